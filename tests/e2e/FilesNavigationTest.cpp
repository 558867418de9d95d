// The Files panel moves the cursors and previews in the running program: its Previous button
// takes the Search cursor to just before the last change of its Objects' presences, and the space
// bar with the pointer over a row shows that row's picture in the preview.

#include "tests/e2e/E2EFixture.h"

#include "engine/KELICurseur.h"
#include "engine/KELServeurDeLiens.h"
#include "inspectors/base/ZEVInspectView.h"
#include "inspectors/context/ZEVContextViewer.h"
#include "inspectors/files/ZEVFileViewer.h"
#include "inspectors/table/ZEVTableModel.h"
#include "services/ZEVItemViewForDesks.h"
#include "space/ZEVConstants.h"
#include "space/ZEVSelections.h"
#include "space/ZEVSpacePreview.h"
#include "widgets/ZEVButton.h"
#include "widgets/ZEVPreviewWindow.h"

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QTest>

#include <map>

namespace e2e {
namespace {

class FilesNavigation : public E2E {
protected:
    ZEVContextViewer* context() const { return dynamic_cast<ZEVContextViewer*>(space()->contextViewer()); }
    ZEVFileViewer* files() const { return dynamic_cast<ZEVFileViewer*>(space()->viewerForEntityClassName("ZEVFileViewer")); }
    ZEVTableView* table() const
    {
        ZEVInspectView* p = files() ? files()->inspectViewIfBuilt() : nullptr;
        return p ? p->inspectTableView() : nullptr;
    }
    KELI* placer(const QString& path)
    {
        addFiles({path}, 1.5);
        const auto views = viewsTitled({QFileInfo(path).fileName()});
        return views.empty() ? nullptr : views.front()->item();
    }
    // A Files presence of the Object on the current Channel from `in` on, through the model.
    void presence(KELI* item, KELDate in)
    {
        ASSERT_NE(files()->fileClass().creerLienFileViewerForItem(item, in), nullptr);
    }
    void ouvrir()
    {
        ZEVButton* bouton = context()->buttonForEntityInt(kFiles);
        ASSERT_NE(bouton, nullptr);
        click(bouton);
        advance(1.0);
        ASSERT_TRUE(table() && table()->isVisible());
    }
};

TEST_F(FilesNavigation, PreviousGoesJustBeforeTheLastChangeAndTheSpaceBarPreviewsTheRowUnderThePointer)
{
    startWithTheBar();
    QImage rouge(64, 48, QImage::Format_RGB32);
    rouge.fill(Qt::red);
    const QString chemin = home + "/rouge.png";
    ASSERT_TRUE(rouge.save(chemin));
    KELI* item = placer(chemin);
    ASSERT_NE(item, nullptr);
    space()->selections().deselectAllIcons();
    advance(1.0);
    ouvrir();
    ASSERT_NE(files(), nullptr);
    const KELDate now = space()->nowCurseur()->now();
    const KELDate changement = now - 2 * kJour;
    presence(item, changement);
    advance(1.0);
    ASSERT_EQ(table()->numberOfRows(), 1);
    ASSERT_EQ(space()->actifCurseur(), space()->nowCurseur());

    // Previous, from Now: the Search cursor becomes active, just before the presence began.
    ZEVButton* precedent = files()->inspectViewIfBuilt()->btnGotoPrevious();
    click(precedent);
    EXPECT_EQ(precedent->state(), kZEVStateOn);
    // The glide lasts at most 1 s; landed, the Search cursor goes on with the clock.
    advance(1.05);
    EXPECT_EQ(space()->actifCurseur(), space()->searchCurseur());
    EXPECT_NEAR(space()->searchCurseur()->now(), changement - 0.7, 0.1);
    EXPECT_EQ(precedent->state(), kZEVStateOff) << "the button rests 0.8 s later";

    // Back at Now, the table focused, nothing selected, the pointer over the row: the space bar
    // previews that row's picture.
    space()->_showNowCursor();
    advance(2.0);
    space()->selections().deselectAllIcons();
    files()->setFirstResponder();
    pump();
    ASSERT_TRUE(files()->siFirstResponder());
    ASSERT_EQ(table()->numberOfRows(), 1);
    const QPoint p = table()->visualRect(table()->tableModel()->index(0, 5)).center();
    QMouseEvent move(QEvent::MouseMove, p, table()->viewport()->mapToGlobal(p), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    move.setTimestamp(5000);
    QApplication::sendEvent(table()->viewport(), &move);
    pump();
    ASSERT_EQ(files()->rowItemUnderPointer(), item);
    key(Qt::Key_Space);
    pump();
    ASSERT_TRUE(pumpUntil([&] { return window()->siPreviewPanelVisible(); }));
    ZEVPreviewWindow* w = window()->preview().window();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->windowTitle(), "rouge.png");
    EXPECT_TRUE(pumpUntil([&] { return !w->shownImage().isNull(); })) << "the picture shows";
    EXPECT_EQ(w->shownImage().pixelColor(w->shownImage().rect().center()), QColor(Qt::red));
}

TEST_F(FilesNavigation, ARowClickedWhileThePreviewShowsIsWhatItPreviews)
{
    startWithTheBar();
    addHomeFiles({"a.txt", "b.txt", "c.txt"}, 1.5);
    space()->selections().deselectAllIcons();
    advance(1.0);
    ouvrir();
    std::map<KELI*, QString> titles;
    for (const QString& name : QStringList{"a.txt", "b.txt", "c.txt"}) {
        KELI* item = viewsTitled({name}).front()->item();
        titles[item] = name;
        presence(item, space()->nowCurseur()->now() - kHeure);
    }
    advance(1.0);
    ASSERT_EQ(table()->numberOfRows(), 3);
    const auto clickRow = [&](int row) {
        QTest::mouseClick(table()->viewport(), Qt::LeftButton, {},
                          table()->visualRect(table()->tableModel()->index(row, 5)).center());
        advance(1.0);
    };
    const auto titleOfRow = [&](int row) { return titles[table()->element(row)->item]; };
    clickRow(0);
    ASSERT_TRUE(files()->siFirstResponder()) << "the click gives the table the keys";
    key(Qt::Key_Space);
    pump();
    ASSERT_TRUE(window()->siPreviewPanelVisible());
    ZEVPreviewWindow* w = window()->preview().window();
    EXPECT_EQ(w->windowTitle(), titleOfRow(0));
    clickRow(2);
    ASSERT_TRUE(window()->siPreviewPanelVisible()) << "the preview stays open";
    EXPECT_EQ(w->windowTitle(), titleOfRow(2)) << "and shows the row chosen";
    pumpUntil([&] { return !w->siLoading(); });
    EXPECT_EQ(w->shownText(), titleOfRow(2)) << "each file holds its own name";
}

} // namespace
} // namespace e2e
