// The inspectors' own answers to the front layer's commands in the running program: Delete in Link
// mode forgets the selected pairs for good and no other, and the Edit menu's items follow the
// selection whether or not the Icons panel was ever opened.

#include "tests/e2e/E2EFixture.h"

#include "engine/KELServeurDeLiens.h"
#include "front/ZEVFrontViewer.h"
#include "inspectors/links/ZEVLinkViewer.h"
#include "objects/view/ZEVItemView.h"
#include "objects/viewer/ZEVItemViewer.h"
#include "space/ZEVConstants.h"
#include "space/ZEVSelections.h"

#include <QAction>
#include <QFile>
#include <QMenu>

#include <algorithm>

namespace e2e {
namespace {

class InspectorCommands : public E2EWithSound<RecordingSound> {
protected:
    std::vector<KELI*> threeFiles()
    {
        QStringList paths;
        for (const char* name : {"a.txt", "b.txt", "c.txt"}) {
            QFile f(home + "/" + name);
            EXPECT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(name);
            paths << f.fileName();
        }
        adapter()->addFilenames(paths);
        advance(1.0);
        std::vector<KELI*> items;
        for (const char* name : {"a.txt", "b.txt", "c.txt"})
            if (ZEVItemView* v = viewTitled(QString::fromLatin1(name)))
                items.push_back(v->item());
        EXPECT_EQ(items.size(), 3u);
        return items;
    }
    ZEVFrontViewer* front() const { return dynamic_cast<ZEVFrontViewer*>(space()->frontViewer()); }
    ZEVLinkClass& links() const
    {
        return dynamic_cast<ZEVLinkViewer&>(*space()->viewerForEntityClassName("ZEVLinkViewer")).model();
    }
    // The link records between two Objects, as the store holds them.
    std::size_t storedLinks(KELI* parent, KELI* enfant) const
    {
        return sql(database(), "SELECT ZEVLET_ID FROM ZEVLETS WHERE RELATION = " +
                                   std::to_string(KELRELATION_LINK_VIEWER) + " AND PARENT_ZEVLET = " +
                                   std::to_string(parent->idInt()) + " AND CHILD_ZEVLET = " +
                                   std::to_string(enfant->idInt()))
            .size();
    }
    bool listed(KELI* parent, KELI* enfant) const
    {
        const auto& rows = links().linksExistants();
        return std::any_of(rows.begin(), rows.end(), [&](ZEVLinkObject* r) {
            return r->parentInt() == parent->idInt() && r->enfantInt() == enfant->idInt();
        });
    }
};

TEST_F(InspectorCommands, DeleteInLinkModeForgetsEveryLinkOfTheSelectedPairAndNoOther)
{
    start();
    const auto items = threeFiles();
    ASSERT_EQ(items.size(), 3u);
    KELI* a = items[0];
    KELI* b = items[1];
    KELI* c = items[2];
    ZEVItemViewer* viewer = space()->itemViewerForCurseur(space()->nowCurseur());
    viewer->userRecallLinkWithItem(a, b);
    viewer->userRecallLinkWithItem(b, c);
    advance(1);
    // A second interval of the first pair, closed an hour ago.
    const KELDate t = space()->nowCurseur()->now();
    KELServeurDeLiens::CreerLienRelInt(KELRELATION_LINK_VIEWER, a, b, t - 7200, t - 3600, space()->nowCurseur());
    advance(1);
    ASSERT_EQ(storedLinks(a, b), 2u);
    ASSERT_EQ(storedLinks(b, c), 1u);

    front()->menuModeLink();
    space()->selections().selectNodeForItemSet({a}, nullptr);
    advance(1);
    ASSERT_EQ(space()->selections().selectedLinks().size(), 1u);
    chooseMenuItem(KELMainMenu::kMenuEdit, 112);
    advance(1);

    EXPECT_EQ(storedLinks(a, b), 0u) << "both intervals of the pair";
    EXPECT_EQ(storedLinks(b, c), 1u);
    EXPECT_TRUE(space()->selections().selectedLinks().empty());
    EXPECT_FALSE(listed(a, b));
    EXPECT_TRUE(listed(b, c));
    EXPECT_EQ(viewer->connexionsTouchingItem(a).size(), 0u) << "no line is left drawn to a";

    // Nothing selected: a beep, and the other pair stays.
    const int beeps = sound.beeps;
    space()->selections().selectNodeForItemSet({}, nullptr);
    advance(1);
    chooseMenuItem(KELMainMenu::kMenuEdit, 112);
    advance(1);
    EXPECT_EQ(sound.beeps, beeps + 1);
    EXPECT_EQ(storedLinks(b, c), 1u);
}

TEST_F(InspectorCommands, TheEditMenusItemsFollowTheSelectionThroughTheIconsInspector)
{
    start();
    ASSERT_EQ(threeFiles().size(), 3u);
    KELMainMenu* menu = adapter()->mainMenu();
    ASSERT_NE(menu, nullptr);
    auto enabled = [&](int menuTag, long tag) {
        QMenu* m = openMenu(menuTag);
        const bool on = menu->item(menuTag, tag) && menu->item(menuTag, tag)->isEnabled();
        if (m)
            m->close();
        pump();
        return on;
    };
    key(Qt::Key_A, Qt::ControlModifier);
    advance(1);
    EXPECT_TRUE(enabled(KELMainMenu::kMenuEdit, 62)) << "Release Now";
    EXPECT_TRUE(enabled(KELMainMenu::kMenuObject, 1)) << "Open";
    front()->userDeselectAll();
    advance(1);
    EXPECT_FALSE(enabled(KELMainMenu::kMenuEdit, 62));
    EXPECT_FALSE(enabled(KELMainMenu::kMenuObject, 1));
    EXPECT_TRUE(enabled(KELMainMenu::kMenuObject, 31)) << "Add asks for no selection";
}

} // namespace
} // namespace e2e
