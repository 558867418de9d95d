// The display options of the Space reach the Object views of both desks, and the views draw in
// the colours of the active cursor.

#include "tests/e2e/E2EFixture.h"

#include "desk/view/ZEVDeskView.h"
#include "objects/view/ZEVItemView.h"
#include "objects/viewer/ZEVItemViewer.h"

#include <QFile>

namespace e2e {
namespace {

class DeskOptions : public E2E {
protected:
    // One file Object on the Now desk, drawn.
    ZEVItemView* placeOneFile()
    {
        QFile f(home + "/letter.txt");
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("dear");
        f.close();
        addFiles({f.fileName()}, 0.5);
        for (ZEVItemViewForDesks* v : nowDesk()->itemViewSet())
            if (auto* view = dynamic_cast<ZEVItemView*>(v))
                return view;
        ADD_FAILURE() << "no Object view on the Now desk";
        return nullptr;
    }
    void draw()
    {
        pump();
        window()->grab(); // the offscreen window paints only when asked to
    }
};

TEST_F(DeskOptions, HidingTitlesReachesTheViewsAndShowingThemBringsThemBack)
{
    start();
    ZEVItemView* view = placeOneFile();
    ASSERT_NE(view, nullptr);
    // The new Object comes selected, and a selected icon always shows its title.
    ASSERT_TRUE(space()->selections().isIconSelectedForItem(view->item()));
    space()->selections().deselectAllIcons();
    draw();
    EXPECT_TRUE(view->titleView()->isVisible());
    values->setValue(QStringLiteral("ZEVHideObjectTitle"), true);
    draw();
    EXPECT_FALSE(view->titleView()->isVisible());
    space()->selections().selectIconForItem(view->item());
    draw();
    EXPECT_TRUE(view->titleView()->isVisible());
    space()->selections().deselectAllIcons();
    values->setValue(QStringLiteral("ZEVHideObjectTitle"), false);
    draw();
    EXPECT_TRUE(view->titleView()->isVisible());
}

TEST_F(DeskOptions, LinksShownAndFiltersCombinedAsTheSpaceSays)
{
    start();
    ZEVSpaceBridge* services = adapter()->deskServices();
    EXPECT_FALSE(services->siShowLinks());
    values->setValue(QStringLiteral("ZEVShowLinksForSelectedIcons"), true);
    EXPECT_TRUE(services->siShowLinks());
    EXPECT_TRUE(services->siShowLinksForSelections());
    // In one front mode, links for all and links for the selection exclude each other.
    values->setValue(QStringLiteral("ZEVShowLinksForAllIcons"), true);
    EXPECT_FALSE(values->values(QStringLiteral("ZEVShowLinksForSelectedIcons")).toBool());
    EXPECT_FALSE(services->siShowLinksForSelections());
    EXPECT_TRUE(services->siShowLinks());

    for (bool andOperation : {true, false}) {
        space()->setSiFiltreANDOperation(andOperation);
        EXPECT_EQ(services->siFiltreANDOperation(), andOperation);
        for (KELICurseur* c : {space()->nowCurseur(), space()->searchCurseur()})
            EXPECT_EQ(space()->itemViewerForCurseur(c)->siFiltreANDOperation(), andOperation);
    }
}

TEST_F(DeskOptions, ViewsDrawInTheColoursOfTheActiveCursor)
{
    start();
    const KELSharedResources& shared = app()->resources();
    struct Row {
        KELICurseur* cursor;
        QColor line;
        QColor background;
    };
    const Row rows[] = {
        {space()->searchCurseur(), shared.searchCurseurColor(), KELSharedResources::searchActifColor()},
        {space()->nowCurseur(), shared.nowCurseurColor(), KELSharedResources::nowActifColor()},
    };
    for (const Row& r : rows) {
        space()->changeDeskForActifCurseur(r.cursor);
        for (KELICurseur* c : {space()->nowCurseur(), space()->searchCurseur()}) {
            const ZEVItemPalette& palette = space()->itemViewerForCurseur(c)->palette();
            EXPECT_EQ(palette.colour(ZEVColourRole::Curseur), r.line);
            EXPECT_EQ(palette.colour(ZEVColourRole::ActifCurseur), r.background);
        }
        EXPECT_EQ(window()->spaceView()->deskCanvas()->scene(), static_cast<QGraphicsScene*>(desk(r.cursor)->deskView()));
    }
}

} // namespace
} // namespace e2e
