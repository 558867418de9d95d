// Commands from the main menu on the desk: the swaps of the current selection and Go to Now.

#include "tests/e2e/E2EFixture.h"

#include "app/menu/KELMainMenu.h"
#include "engine/KELICurseur.h"
#include "front/ZEVFrontViewer.h"
#include "objects/view/ZEVItemView.h"
#include "platform/sound/Sound.h"
#include "space/ZEVSelections.h"

#include <QAction>
#include <QFile>
#include <QTest>

#include <algorithm>

namespace e2e {
namespace {

class ObjectCommands : public E2EWithSound<RecordingSound> {
protected:
    std::vector<KELI*> placeThreeFiles()
    {
        addHomeFiles({"a.txt", "b.txt", "c.txt"});
        std::vector<KELI*> items;
        for (ZEVItemViewForDesks* v : nowDesk()->itemViewSet())
            items.push_back(v->item());
        EXPECT_EQ(items.size(), 3u);
        return items;
    }
    static std::vector<KELI*> sorted(std::vector<KELI*> v)
    {
        std::sort(v.begin(), v.end());
        return v;
    }
    static std::vector<KELI*> without(std::vector<KELI*> all, KELI* one)
    {
        all.erase(std::remove(all.begin(), all.end(), one), all.end());
        return sorted(all);
    }
};

TEST_F(ObjectCommands, SwapSelectsTheOtherObjectsOfTheModeAndBeepsWithNothingSelected)
{
    start();
    const std::vector<KELI*> items = placeThreeFiles();
    ASSERT_EQ(items.size(), 3u);
    ZEVSelections& sel = space()->selections();
    QAction* swap = adapter()->mainMenu()->item(KELMainMenu::kMenuEdit, 105);
    ASSERT_NE(swap, nullptr);

    sel.selectIconForItemSet({items[0]}, nullptr);
    pump();
    EXPECT_TRUE(swap->isEnabled());
    chooseMenuItem(KELMainMenu::kMenuEdit, 105);
    pump();
    EXPECT_EQ(sorted(sel.selectedIconItems()), without(items, items[0]));
    chooseMenuItem(KELMainMenu::kMenuEdit, 105);
    pump();
    EXPECT_EQ(sel.selectedIconItems(), std::vector<KELI*>{items[0]}) << "a second swap gives the first selection back";
    EXPECT_EQ(sound.beeps, 0);

    // Swap Titles works on the title selection while the icons stay as they are.
    sel.selectTitleForItemSet({items[1], items[2]}, nullptr);
    pump();
    chooseMenuItem(KELMainMenu::kMenuEdit, 111);
    pump();
    EXPECT_EQ(sel.selectedTitleItems(), std::vector<KELI*>{items[0]});
    EXPECT_EQ(sel.selectedIconItems(), std::vector<KELI*>{items[0]});

    // Nothing selected: nothing to swap against, the selection stays empty.
    sel.deselectAllIcons();
    pump();
    chooseMenuItem(KELMainMenu::kMenuEdit, 105);
    pump();
    EXPECT_TRUE(sel.selectedIconItems().empty());
    EXPECT_EQ(sound.beeps, 1);

    // An Object of another Channel on the same desk is never swapped in.
    auto* other = dynamic_cast<ZEVItemView*>(nowDesk()->itemViewForItem(items[2]));
    ASSERT_NE(other, nullptr);
    other->setChannelInt(space()->currentChannelInt() + 1000);
    sel.selectIconForItemSet({items[0]}, nullptr);
    pump();
    chooseMenuItem(KELMainMenu::kMenuEdit, 105);
    pump();
    EXPECT_EQ(sel.selectedIconItems(), std::vector<KELI*>{items[1]});
}

TEST_F(ObjectCommands, GoToNowBringsTheSearchCursorFromThePastToNowAndMakesItTheActiveOne)
{
    start();
    ZEVSpaceController& s = *space();
    ZEVRulerViewerServices* r = s.rulerViewer();
    ASSERT_NE(r, nullptr);
    KELICurseur* search = s.searchCurseur();
    ASSERT_TRUE(r->userChangeActifCurseur(search));
    ASSERT_TRUE(r->userInitieDeplacementCurseur());
    r->userPlaceCurseurToDate(s.nowCurseur()->now() - 3 * 86400.0);
    r->userTermineDeplacementCurseur();
    pump();
    ASSERT_GT(s.nowCurseur()->now() - search->now(), 86400.0);
    ASSERT_TRUE(r->userChangeActifCurseur(s.nowCurseur()));
    pump();

    QAction* goNow = adapter()->mainMenu()->item(KELMainMenu::kMenuTime, 25);
    ASSERT_NE(goNow, nullptr);
    EXPECT_TRUE(goNow->isEnabled());
    chooseMenuItem(KELMainMenu::kMenuTime, 25);
    advance(1.0);
    EXPECT_EQ(s.actifCurseur(), search);
    EXPECT_NEAR(search->now(), s.nowCurseur()->now(), 1.0);
    EXPECT_EQ(sound.beeps, 0);
}


TEST_F(ObjectCommands, TheEditTitleKeyOpensTheTitleUnderThePointerAndBeepsWhenNoOneTitleIsMeant)
{
    start();
    const std::vector<KELI*> items = placeThreeFiles();
    ASSERT_EQ(items.size(), 3u);
    ZEVSelections& sel = space()->selections();
    ASSERT_EQ(sel.selectedIconItems().size(), 3u);
    auto pointerAt = [this](QPoint p) {
        QTest::mouseMove(window()->windowHandle(), p);
        pump();
    };
    auto over = [this](KELI* item) {
        auto* v = dynamic_cast<ZEVItemView*>(nowDesk()->itemViewForItem(item));
        return v ? canvas()->mapTo(window(), onScreen(v->itemImageView()->sceneBoundingRect())) : QPoint();
    };

    // Three selected and the pointer over none of them: no title is opened, the user hears so.
    pointerAt(canvas()->mapTo(window(), canvas()->rect().center()));
    key(Qt::Key_E);
    pump();
    EXPECT_FALSE(sel.isTitleEditing());
    EXPECT_EQ(sound.beeps, 1);

    // Three selected and the pointer over the second: its title opens, not the first one's.
    pointerAt(over(items[1]));
    key(Qt::Key_E);
    QTRY_VERIFY(sel.isTitleEditedForItem(items[1]));
    EXPECT_EQ(sound.beeps, 1);
    key(Qt::Key_Escape);
    QTRY_VERIFY(!sel.isTitleEditing());

    // Nothing selected: the Object under the pointer is the one meant.
    sel.deselectAllIcons();
    pointerAt(over(items[2]));
    key(Qt::Key_E);
    QTRY_VERIFY(sel.isTitleEditedForItem(items[2]));
    EXPECT_EQ(sound.beeps, 1);
}

} // namespace
} // namespace e2e
