// Stepping, finding and going home in the running program: the O and P keys step the Search
// cursor through the desk's changes with the go button lit a moment, Find shows and hides the
// selection list's search field, the held-file finds and Find in Channels select, the Object menu
// titles its Remove item, and Home lights the Home button until the ruler has arrived.

#include "tests/e2e/E2EFixture.h"

#include "app/menu/KELMainMenu.h"
#include "desk/model/ZEVItemOptions.h"
#include "desk/model/ZEVItemClass.h"
#include "engine/KELICurseur.h"
#include "engine/KELServeurDeLiens.h"
#include "front/ZEVFrontBars.h"
#include "front/ZEVFrontViewer.h"
#include "services/ZEVInspectorServices.h"
#include "inspectors/table/ZEVTableView.h"
#include "inspectors/table/ZEVTypeSelect.h"
#include "platform/sound/Sound.h"
#include "space/ZEVConstants.h"
#include "space/ZEVSelections.h"
#include "widgets/ZEVButton.h"

#include <QAction>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QTest>

#include <algorithm>

namespace e2e {
namespace {

constexpr double kHour = 3600.0;

class ObjectSteps : public E2EWithSound<RecordingSound> {
protected:
    ZEVFrontViewer* front() const { return dynamic_cast<ZEVFrontViewer*>(space()->frontViewer()); }
    // The files given to the program, their Objects in the order named.
    std::vector<KELI*> place(const QStringList& names)
    {
        addHomeFiles(names);
        std::vector<KELI*> items = itemsTitled(names);
        EXPECT_EQ(items.size(), std::size_t(names.size()));
        return items;
    }
    void focusDesk()
    {
        window()->activateWindow();
        window()->spaceView()->deskCanvas()->setFocus(Qt::OtherFocusReason);
        pump();
    }
    static std::vector<KELI*> sorted(std::vector<KELI*> v)
    {
        std::sort(v.begin(), v.end());
        return v;
    }
};

TEST_F(ObjectSteps, PreviousAndNextInTheListStepTheSearchCursorAndLightTheGoButtonAMoment)
{
    start();
    ZEVSpaceController& s = *space();
    KELICurseur* now = s.nowCurseur();
    const KELDate t = now->now();
    KELI* canal = s.channelForIdentityInt(s.currentChannelInt());
    ASSERT_NE(canal, nullptr);
    // The Space's background since five hours ago; a lay on its desk for an hour two hours ago,
    // b for an hour four hours ago.
    for (KELId id : KELServeurDeLiens::LiensNumDuParentIntRelInt(canal->idInt(), KELRELATION_IDENTITY_BACK_ITEM)
                        .value_or(std::vector<KELId>()))
        if (KELI* l = KELServeurDeLiens::LienForInt(id, now); l && l->outDate() > t)
            l->placeInDate(t - 5 * kHour, now);
    ZEVItemClass* objects = s.itemClassForCurseur(now);
    KELI* a = objects->creerItemWithChannelInt(canal->idInt(), "a", "file", "txt", 0);
    KELI* b = objects->creerItemWithChannelInt(canal->idInt(), "b", "file", "txt", 0);
    ASSERT_TRUE(a && b);
    ASSERT_NE(KELServeurDeLiens::CreerLienRelInt(KELRELATION_ICON_VIEWER, canal, a, t - 2 * kHour, t - kHour, now), nullptr);
    ASSERT_NE(KELServeurDeLiens::CreerLienRelInt(KELRELATION_ICON_VIEWER, canal, b, t - 4 * kHour, t - 3 * kHour, now), nullptr);
    advance(0.5);
    focusDesk();
    ZEVButton* previous = front()->toolbar()->button(QStringLiteral("btnGotoPrevious"));
    ZEVButton* next = front()->toolbar()->button(QStringLiteral("btnGotoNext"));
    ASSERT_TRUE(previous && next);

    // O steps back change by change, the Previous button lit a moment. (The Search cursor runs on
    // with the clock: the presses come within the step's margin before the change.)
    KELICurseur* search = s.searchCurseur();
    auto step = [&](Qt::Key k, ZEVButton* lit) {
        key(k);
        EXPECT_NE(lit->state(), 0) << "lit as it steps";
        advance(0.25);
        EXPECT_EQ(lit->state(), 0) << "out again 0.2 s after the step";
        return search->now() - t;
    };
    EXPECT_NEAR(step(Qt::Key_O, previous), -kHour - 0.7, 0.3);
    ASSERT_EQ(s.actifCurseur(), search);
    EXPECT_NEAR(step(Qt::Key_O, previous), -2 * kHour - 0.7, 0.3);
    EXPECT_NEAR(step(Qt::Key_O, previous), -3 * kHour - 0.7, 0.3);
    // P steps forward.
    EXPECT_NEAR(step(Qt::Key_P, next), -3 * kHour + 0.05, 0.3);
    EXPECT_EQ(sound.beeps, 0);

    // A person pressing O a second or more apart: the Search cursor ran on past the change it
    // was put before, and the next O still goes to the change before that one.
    EXPECT_NEAR(step(Qt::Key_O, previous), -3 * kHour - 0.7, 0.3);
    advance(1.5);
    EXPECT_NEAR(step(Qt::Key_O, previous), -4 * kHour - 0.7, 2.0) << "not back to the same change";
}

TEST_F(ObjectSteps, FindShowsAndHidesTheListsSearchFieldAndTheHeldFindsSelectByWhereTheFilesLie)
{
    start();
    const std::vector<KELI*> items = place({"a.txt", "b.txt", "c.txt"});
    ASSERT_EQ(items.size(), 3u);
    focusDesk();
    ZEVTableView* list = front()->selectionTableView();
    ASSERT_NE(list, nullptr);
    QLineEdit* field = list->typeSelect()->field();
    ASSERT_NE(field, nullptr);

    // Object > Find (Ctrl+F) shows the field; again, with the field typing, hides it.
    chooseMenuItem(KELMainMenu::kMenuObject, 32);
    EXPECT_TRUE(front()->siSearchingField());
    EXPECT_FALSE(field->isHidden()) << "the list's search field shows";
    EXPECT_FALSE(front()->siToolbarClosed()) << "the toolbar opens for it";
    key(Qt::Key_F, Qt::ControlModifier);
    pump();
    EXPECT_FALSE(front()->siSearchingField());
    EXPECT_TRUE(field->isHidden());

    // One file as if the program held it: the finds select it alone, or the others. They read
    // the keys held: Ctrl is let go first.
    QTest::keyRelease(window(), Qt::Key_Control);
    addItemOption(items[1], ZEVOPTION_HOLD_BY_ZEV);
    ZEVSelections& sel = space()->selections();
    front()->userFindZevHeld();
    EXPECT_EQ(sel.selectedIconItems(), std::vector<KELI*>{items[1]});
    front()->menuFindMacHeld();
    std::vector<KELI*> mine;
    for (KELI* o : items)
        if ((itemOptions(o) & ZEVOPTION_MASK_NOT_ON_COMPUTER) == 0)
            mine.push_back(o);
    EXPECT_EQ(sorted(sel.selectedIconItems()), sorted(mine));
    EXPECT_EQ(std::count(mine.begin(), mine.end(), items[1]), 0);
    // In Titles mode the finds select titles.
    front()->menuModeTitle();
    front()->menuFindZevHeld();
    EXPECT_EQ(sel.selectedTitleItems(), std::vector<KELI*>{items[1]});
}

// The toolbar's search field is the Find's own: hidden until Ctrl+F, then drawn in the toolbar with
// the keyboard, and each Find types over the text of the one before.
TEST_F(ObjectSteps, FindTypesIntoTheToolbarsSearchFieldAndEachFindTypesOverTheLast)
{
    start();
    const std::vector<KELI*> items = place({"apple.txt", "berry.txt", "cherry.txt"});
    ASSERT_EQ(items.size(), 3u);
    focusDesk();
    ZEVFrontToolbar* toolbar = front()->toolbar();
    ASSERT_NE(toolbar, nullptr);
    QLineEdit* field = toolbar->searchField();
    EXPECT_TRUE(field->isHidden()) << "nothing to type into before a Find";
    ZEVSelections& sel = space()->selections();

    auto find = [&](const char* text) {
        key(Qt::Key_F, Qt::ControlModifier);
        QTest::keyRelease(window(), Qt::Key_Control);
        pump();
        ASSERT_TRUE(field->isVisible());
        ASSERT_TRUE(toolbar->rect().contains(field->geometry())) << "drawn inside the toolbar";
        ASSERT_EQ(window()->focusWidget(), field);
        QTest::keyClicks(window()->focusWidget(), text);
        QTest::keyClick(window()->focusWidget(), Qt::Key_Return);
        pump();
    };
    find("berry");
    EXPECT_EQ(sel.selectedIconItems(), std::vector<KELI*>{items[1]});
    find("cherry");
    EXPECT_EQ(field->text(), "cherry");
    EXPECT_EQ(sel.selectedIconItems(), std::vector<KELI*>{items[2]});
}

TEST_F(ObjectSteps, FindInChannelsSelectsTheSameObjectsOrTheTitlesHoldingTheirsAndTheObjectMenuCountsThem)
{
    start();
    const std::vector<KELI*> items = place({"a.txt", "b.txt", "ba.txt"});
    ASSERT_EQ(items.size(), 3u);
    focusDesk();
    ZEVSelections& sel = space()->selections();
    sel.selectIconForItemSet({items[0], items[1]}, nullptr);
    pump();

    // The Object menu counts the mode's Objects in its Remove item.
    QMenu* object = openMenu(KELMainMenu::kMenuObject);
    ASSERT_NE(object, nullptr);
    QAction* remove = adapter()->mainMenu()->item(KELMainMenu::kMenuObject, 13);
    ASSERT_NE(remove, nullptr);
    EXPECT_EQ(remove->text(), "Remove 2 Objects");
    EXPECT_TRUE(remove->isEnabled());
    EXPECT_TRUE(adapter()->mainMenu()->item(KELMainMenu::kMenuObject, 36)->isEnabled());
    object->hide();
    pump();

    sel.selectIconForItemSet({items[0]}, nullptr);
    pump();
    chooseMenuItem(KELMainMenu::kMenuObject, 36);
    EXPECT_EQ(sel.selectedIconItems(), std::vector<KELI*>{items[0]}) << "no other Channel holds a.txt";
    EXPECT_FALSE(front()->siTracksClosed()) << "the tracks show what was found";
    chooseMenuItem(KELMainMenu::kMenuObject, 37);
    EXPECT_EQ(sorted(sel.selectedIconItems()), sorted({items[0], items[2]})) << "ba.txt holds a.txt";

    sel.deselectAllIcons();
    pump();
    object = openMenu(KELMainMenu::kMenuObject);
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(remove->text(), "Remove Objects");
    EXPECT_FALSE(remove->isEnabled());
    object->hide();
}

TEST_F(ObjectSteps, HomeLightsTheHomeButtonUntilTheRulerHasArrived)
{
    start();
    focusDesk();
    ZEVButton* home = front()->toolbar()->button(QStringLiteral("btnDeskHome"));
    ASSERT_NE(home, nullptr);
    ASSERT_EQ(home->state(), 0);
    // The Search cursor in the past; Home (the toolbar's Home command) brings the Now desk back.
    ASSERT_TRUE(space()->rulerViewer()->userChangeActifCurseur(space()->searchCurseur()));
    front()->menuHomeTime();
    EXPECT_EQ(home->state(), 1);
    EXPECT_EQ(space()->actifCurseur(), space()->nowCurseur());
    advance(3.0);
    EXPECT_EQ(home->state(), 0) << "out once the ruler has arrived";
}

} // namespace
} // namespace e2e
