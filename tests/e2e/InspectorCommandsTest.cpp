// The inspectors' own answers to the front layer's commands in the running program: Delete in Link
// mode forgets the selected pairs for good and no other, and the Edit menu's items follow the
// selection whether or not the Icons panel was ever opened.

#include "tests/e2e/E2EFixture.h"

#include "app/menu/KELMainMenu.h"
#include "desk/model/ZEVModelSupport.h"
#include "engine/KELICurseur.h"
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
        addHomeFiles({"a.txt", "b.txt", "c.txt"});
        std::vector<KELI*> items = itemsTitled({"a.txt", "b.txt", "c.txt"});
        EXPECT_EQ(items.size(), 3u);
        return items;
    }
    ZEVFrontViewer* front() const { return dynamic_cast<ZEVFrontViewer*>(space()->frontViewer()); }
    ZEVLinkClass& links() const
    {
        return dynamic_cast<ZEVLinkViewer&>(*space()->viewerForEntityClassName("ZEVLinkViewer")).model();
    }
    // The row of the two Objects' pair in the Links model, either way; nullptr when none.
    ZEVLinkObject* row(KELI* parent, KELI* enfant) const
    {
        for (ZEVLinkObject* r : links().linksExistants())
            if ((r->parentInt() == parent->idInt() && r->enfantInt() == enfant->idInt()) ||
                (r->parentInt() == enfant->idInt() && r->enfantInt() == parent->idInt()))
                return r;
        return nullptr;
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
    advance(3);
    ASSERT_NE(row(a, b), nullptr);
    ASSERT_NE(row(b, c), nullptr);
    const std::vector<KELI*> ab = row(a, b)->lienConnexions();
    const std::vector<KELI*> bc = row(b, c)->lienConnexions();
    ASSERT_FALSE(ab.empty());
    ASSERT_FALSE(bc.empty());

    front()->menuModeLink();
    space()->selections().selectNodeForItemSet({a}, nullptr);
    advance(1);
    ASSERT_EQ(space()->selections().selectedLinks().size(), 1u);
    chooseMenuItem(KELMainMenu::kMenuEdit, 112);
    advance(5);

    for (KELI* l : ab)
        EXPECT_TRUE(deskmodel::siOublie(l));
    for (KELI* l : bc)
        EXPECT_FALSE(deskmodel::siOublie(l));
    EXPECT_TRUE(space()->selections().selectedLinks().empty());
    EXPECT_EQ(row(a, b), nullptr);
    EXPECT_NE(row(b, c), nullptr);
    EXPECT_EQ(viewer->connexionsTouchingItem(a).size(), 0u) << "no line is left drawn to a";

    // Nothing selected: a beep, and the other pair stays.
    const int beeps = sound.beeps;
    space()->selections().selectNodeForItemSet({}, nullptr);
    advance(1);
    chooseMenuItem(KELMainMenu::kMenuEdit, 112);
    advance(1);
    EXPECT_EQ(sound.beeps, beeps + 1);
    for (KELI* l : bc)
        EXPECT_FALSE(deskmodel::siOublie(l));
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
