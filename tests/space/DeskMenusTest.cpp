// The desk's context menu over a real Space: the AND and OR filter items show only with two
// filters selected in the filters mode, the current operator marked and disabled, and choosing the
// other changes the Space's operator; the tools the front layer does not carry out are disabled.

#include "desk/viewer/ZEVDeskMenus.h"
#include "engine/KELLien.h"
#include "space/ZEVSelections.h"
#include "tests/space/SpaceFixture.h"

#include <QAction>
#include <QMenu>

namespace spacetest {
namespace {

class DeskMenus : public Space {
protected:
    KELI* objet(KELId id)
    {
        auto o = std::make_unique<KELI>();
        o->assignerIdInt(id);
        o->setChannelInt(space->currentChannelInt());
        objets.push_back(std::move(o));
        return objets.back().get();
    }
    void TearDown() override
    {
        menus.reset();
        Space::TearDown();
        objets.clear();
    }
    std::vector<std::unique_ptr<KELI>> objets;
    std::unique_ptr<tallomer::ZEVDeskMenus> menus;
};

TEST_F(DeskMenus, TheAndOrItemsShowWithTwoFiltersAndSwitchTheOperator)
{
    build();
    menus = std::make_unique<tallomer::ZEVDeskMenus>(*space);
    host.front->mode = 2;
    space->setSiFiltreANDOperation(true);
    space->selections().selectFilterForItems({objet(900000001)});
    ASSERT_NE(menus->menuForFrontView(), nullptr);
    EXPECT_FALSE(menus->filtreAND()->isVisible()) << "one filter";
    space->selections().selectFilterForItems({objet(900000001), objet(900000002)});
    menus->menuForFrontView();
    EXPECT_TRUE(menus->filtreAND()->isVisible());
    EXPECT_TRUE(menus->filtreOR()->isVisible());
    EXPECT_TRUE(menus->filtreAND()->isChecked());
    EXPECT_FALSE(menus->filtreAND()->isEnabled());
    EXPECT_TRUE(menus->filtreOR()->isEnabled());
    menus->filtreOR()->trigger();
    EXPECT_FALSE(space->displayOptions().siFiltreANDOperation);
    EXPECT_TRUE(menus->filtreOR()->isChecked());
    EXPECT_FALSE(menus->filtreOR()->isEnabled());
    EXPECT_TRUE(menus->filtreAND()->isEnabled());
    // Out of the filters mode they hide again.
    host.front->mode = 0;
    menus->menuForFrontView();
    EXPECT_FALSE(menus->filtreOR()->isVisible());
    // The fake front carries out no tool: the tool items are disabled, the icon one checked.
    const QList<QAction*> actions = menus->menuFrontView()->actions();
    EXPECT_TRUE(actions.at(0)->isChecked());
    EXPECT_FALSE(actions.at(0)->isEnabled());
    // In a modifier quasimode the desk shows no menu.
    host.front->quasimode = true;
    EXPECT_EQ(menus->menuForFrontView(), nullptr);
}

TEST_F(DeskMenus, HighlightingAnInspectorItemGivesItsLongTitleAndTheTimeItemsKeepTheirs)
{
    build();
    menus = std::make_unique<tallomer::ZEVDeskMenus>(*space);
    QMenu* m = menus->menuForFrontView();
    QAction* files = nullptr;
    QAction* now = nullptr;
    for (QAction* a : m->actions()) {
        if (a->text() == QStringLiteral("Files\u2026"))
            files = a;
        if (a->text().startsWith(QStringLiteral("Now")))
            now = a;
    }
    ASSERT_TRUE(files && now);
    menus->updateTitles(files);
    EXPECT_EQ(files->text(), QStringLiteral("Files Window\u2026"));
    EXPECT_EQ(now->text(), space->actifCurseur() == space->nowCurseur() ? "Now TimeCursor" : "Now");
    menus->updateTitles(nullptr);
    EXPECT_EQ(files->text(), QStringLiteral("Files\u2026"));
}

} // namespace
} // namespace spacetest
