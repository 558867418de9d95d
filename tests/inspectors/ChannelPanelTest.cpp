// The Channels panel: its frame rule, the Ctrl-wheel gesture's thresholds and direction lock on the
// virtual clock, the bar's click (first click, dragged, elsewhere), the count field's texts, the
// coalesced redisplay and the list's ends.

#include "tests/inspectors/InspectorFixture.h"

#include "desk/model/ZEVItemClass.h"
#include "inspectors/base/ZEVInspectPanels.h"
#include "inspectors/channels/ZEVChannelRules.h"
#include "inspectors/channels/ZEVChannelTableView.h"
#include "inspectors/channels/ZEVChannelViewer.h"
#include "inspectors/table/ZEVTableModel.h"
#include "space/ZEVSelections.h"

#include <QItemSelectionModel>
#include <QLineEdit>
#include <QTest>
#include <QWheelEvent>

namespace inspecttest {
namespace {

namespace R = ZEVChannelRules;

TEST(ChannelPanelRules, TheFrameHangsFromTheAreaTopAndANarrowAreaIsSpanned)
{
    const ZEVInspectMetrics m = kChannelMetrics;
    // Any frame tall enough: 83 high, its bottom 73 below the area's top, at its kept x and width.
    EXPECT_EQ(R::frame(m, QRectF(0, 0, 1400, 800), QRectF(50, 500, 1200, 300)), QRectF(50, 727, 1200, 83));
    EXPECT_EQ(R::frame(m, QRectF(0, 0, 1400, 800), QRectF(300, 10, 1200, 90)), QRectF(200, 727, 1200, 83));
    // Too low a request keeps the least height.
    EXPECT_EQ(R::frame(m, QRectF(0, 0, 1400, 800), QRectF(50, 500, 1200, 40)), QRectF(50, 727, 1200, 83));
    // Wider than the area: laid from x 0 at the area's width, from any x.
    EXPECT_EQ(R::frame(m, QRectF(0, 0, 900, 800), QRectF(50, 500, 1200, 300)), QRectF(0, 727, 900, 83));
    EXPECT_EQ(R::frame(m, QRectF(0, 0, 900, 800), QRectF(-20, 500, 1200, 300)), QRectF(0, 727, 900, 83));
    // Wide enough for the panel but not at that x: pushed left to end at the area's edge.
    EXPECT_EQ(R::frame(m, QRectF(0, 0, 1300, 800), QRectF(200, 500, 1200, 300)), QRectF(100, 727, 1200, 83));
    // An area lower than the panel: the panel fills it, 10 points hidden above.
    EXPECT_EQ(R::frame(m, QRectF(0, 0, 1400, 50), QRectF(50, -5, 1200, 100)), QRectF(50, 0, 1200, 60));
}

TEST(ChannelPanelRules, TheCtrlWheelStepsAfterFourLinesThenEveryEightAndKeepsItsFirstDirection)
{
    using S = R::Wheel::Step;
    R::Wheel w;
    EXPECT_EQ(w.add(0, 4).step, S::None) << "4 lines are not more than 4";
    EXPECT_EQ(w.add(0, 0.5).step, S::ChannelDown);
    EXPECT_EQ(w.add(0, 8).step, S::None);
    EXPECT_EQ(w.add(0, 0.5).step, S::ChannelDown);
    // Horizontal events do not count while the gesture is vertical, nor re-arm its quiet time.
    const R::Wheel::Result across = w.add(20, 0);
    EXPECT_EQ(across.step, S::None);
    EXPECT_FALSE(across.counted);
    // Back the other way: the count left at -4 after a step down passes -4 at once.
    EXPECT_EQ(w.add(0, -0.5).step, S::ChannelUp);
    EXPECT_EQ(w.delta(), 4);
    w.stop();
    EXPECT_EQ(w.add(-5, 1).step, S::PreviousSpace);
    EXPECT_EQ(w.direction(), 1);
    EXPECT_FALSE(w.add(0, 30).counted);
    EXPECT_EQ(w.add(9, 0).step, S::NextSpace) << "from +4 after the step back, 9 more pass 4 the other way";
    // Equal deltas, or a broken device's numbers, count for nothing.
    EXPECT_FALSE(w.add(3, 3).counted);
    EXPECT_FALSE(w.add(std::nan(""), 1).counted);
}

TEST(ChannelPanelRules, TheCountFieldReadsRowsRowAndSpace)
{
    EXPECT_EQ(R::countText(3, 1, 1, QStringLiteral("Beach")), QStringLiteral("3-2 Beach"));
    EXPECT_EQ(R::countText(3, 0, -1, QStringLiteral("Beach")), QStringLiteral("3-0 Beach"));
    EXPECT_EQ(R::countText(3, 2, 0, QStringLiteral("Beach")), QStringLiteral("3-0 Beach")) << "two rows: none";
    EXPECT_EQ(R::countText(3, 1, 0, QString()), QStringLiteral("3-1 ")) << "the Channel is not listed there";
    EXPECT_EQ(R::countText(0, 0, -1, QStringLiteral("Beach")), QStringLiteral("No Channel!"));
}

class ChannelPanel : public Inspectors {
protected:
    void SetUp() override
    {
        defaults.setValue(QStringLiteral("ZEVInspectChannelH"), 200);
        Inspectors::SetUp();
        KELICurseur* now = space->nowCurseur();
        KELI* root = KELServeurDeLiens::LienForInt(KELOBJECT_CHANNEL_VIEWER_ROOT, now);
        const KELDate avant = space->tlContexte()->nowIn() - 1000;
        for (const char* nom : {"Work", "Travel"}) {
            KELI* c = space->newIdentityNamed(nom);
            ASSERT_NE(c, nullptr);
            ASSERT_NE(KELServeurDeLiens::CreerLienRelInt(KELRELATION_CHANNEL_VIEWER, root, c, avant, KELDateOuverte, now),
                      nullptr);
        }
        settle();
        channels = dynamic_cast<ZEVChannelViewer*>(viewer("ZEVChannelViewer"));
        ASSERT_NE(channels, nullptr);
        channels->showInspectView(true);
        sched.advance(0.8);
        settle();
        view = channels->channelView();
        table = channels->channelTableView();
        ASSERT_TRUE(view && table);
        ASSERT_EQ(table->tableModel()->rowCount(), 3);
    }
    int ligne() const
    {
        const QModelIndexList rows = table->selectionModel()->selectedRows();
        return rows.size() == 1 ? rows.first().row() : -1;
    }
    void choisir(int row)
    {
        table->selectionModel()->select(table->tableModel()->index(row, 0),
                                        QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        settle();
    }
    // A point of the panel's content (Qt's y-down) well away from the active cursor's mark.
    QPoint loinDeLaMarque() const
    {
        const double marque = view->curseurActifRect().center().x();
        const int x = marque > view->width() / 2 ? 60 : view->width() - 60;
        return QPoint(x, 12);
    }
    void molette(QPoint angle, Qt::KeyboardModifiers m)
    {
        const QPoint at = loinDeLaMarque();
        QWheelEvent e(at, view->mapToGlobal(at), QPoint(), angle, Qt::NoButton, m, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(view, &e);
        // The list follows its selection on the next turn.
        sched.runUntilIdle();
        QCoreApplication::processEvents();
    }
    // On the bar, between its left end and the Close button.
    QPoint surLaBarre() const { return QPoint(23, view->height() - 20 - 11); }

    ZEVChannelViewer* channels = nullptr;
    ZEVChannelView* view = nullptr;
    ZEVChannelTableView* table = nullptr;
};

TEST_F(ChannelPanel, CtrlWheelWalksTheRowsLockedToItsDirectionUntilQuietOnTheClock)
{
    choisir(0);
    molette(QPoint(0, 5 * 120), Qt::ControlModifier);
    EXPECT_EQ(view->wheel().direction(), 2);
    EXPECT_EQ(ligne(), 1) << "5 lines: the next row";
    molette(QPoint(0, 9 * 120), Qt::ControlModifier);
    EXPECT_EQ(ligne(), 2) << "9 more: the one after";
    molette(QPoint(0, 9 * 120), Qt::ControlModifier);
    EXPECT_EQ(ligne(), 2) << "the last row stays";

    // Horizontal within 0.4 s: nothing, and the quiet time is not started again.
    const int beeps = sound.beeps;
    sched.advance(0.3);
    molette(QPoint(5 * 120, 0), Qt::ControlModifier);
    EXPECT_EQ(view->wheel().direction(), 2);
    EXPECT_EQ(sound.beeps, beeps);
    sched.advance(0.11);
    EXPECT_EQ(view->wheel().direction(), 0) << "0.4 s after the last counted event";
    // Now horizontal counts: the gesture walks Spaces.
    molette(QPoint(5 * 120, 0), Qt::ControlModifier);
    EXPECT_EQ(view->wheel().direction(), 1);
    EXPECT_EQ(view->wheel().delta(), -4);
    EXPECT_EQ(ligne(), 2);
}

TEST_F(ChannelPanel, AWheelWithoutCtrlOpensTheTimeLineFirst)
{
    host.front->tlineOpened = false;
    molette(QPoint(0, 120), Qt::NoModifier);
    EXPECT_EQ(host.front->tlineToggles, 1);
    molette(QPoint(0, 120), Qt::NoModifier);
    EXPECT_EQ(host.front->tlineToggles, 1) << "open: the time line scrolls";
    EXPECT_EQ(view->wheel().direction(), 0);
}

TEST_F(ChannelPanel, ABarClickStepsBackUnlessItGaveTheFocusWasDraggedOrEndedElsewhere)
{
    // A selected icon of this Channel has no counterpart to select again: a step back beeps.
    ZEVItemClass items(space->nowCurseur(), nullptr);
    KELI* note = items.creerItemWithChannelInt(space->currentChannelInt(), "Note", "file", "txt", 1);
    ASSERT_NE(note, nullptr);
    space->selections().selectIconForItemSet(std::vector<KELI*>{note}, nullptr);
    // The first click gives the list the keys: no step back.
    focusDesk();
    const int beeps = sound.beeps;
    QTest::mouseClick(view, Qt::LeftButton, {}, surLaBarre());
    settle();
    EXPECT_TRUE(channels->siFirstResponder());
    EXPECT_EQ(sound.beeps, beeps);
    // The next one steps back.
    QTest::mouseClick(view, Qt::LeftButton, {}, surLaBarre());
    settle();
    EXPECT_EQ(sound.beeps, beeps + 1);
    EXPECT_FALSE(view->siSelected());
    // Released off the bar: nothing.
    QTest::mousePress(view, Qt::LeftButton, {}, surLaBarre());
    QTest::mouseRelease(view, Qt::LeftButton, {}, QPoint(surLaBarre().x(), 12));
    settle();
    EXPECT_EQ(sound.beeps, beeps + 1);

    // Dragged by its left end: the frame is kept under the panel's keys, and no step back.
    const QRectF avant = view->frame();
    QTest::mousePress(view, Qt::LeftButton, {}, surLaBarre() + QPoint(2, 0));
    QTest::mouseMove(view, surLaBarre() + QPoint(32, 0));
    QTest::mouseRelease(view, Qt::LeftButton, {}, surLaBarre() + QPoint(32, 0));
    settle();
    EXPECT_EQ(sound.beeps, beeps + 1);
    const QRectF apres = view->frame();
    EXPECT_NE(apres.x(), avant.x());
    EXPECT_DOUBLE_EQ(defaults.values(QStringLiteral("ZEVInspectChannelX")).toDouble(), apres.x());
    EXPECT_DOUBLE_EQ(defaults.values(QStringLiteral("ZEVInspectChannelW")).toDouble(), apres.width());
    EXPECT_DOUBLE_EQ(defaults.values(QStringLiteral("ZEVInspectChannelH")).toDouble(), apres.height() - 10);
}

TEST_F(ChannelPanel, RedisplaysCoalesceAndNoneRunsWhileHidden)
{
    sched.advance(1.0);
    const int runs = channels->redisplayCount();
    channels->majInspectView();
    channels->moteurChangeChannel();
    sched.advance(0.05);
    channels->majInspectView();
    channels->majInspectViewCommonModes();
    sched.advance(0.5);
    EXPECT_EQ(channels->redisplayCount(), runs + 1);
    EXPECT_EQ(channels->channelView()->countField()->text().left(4), QStringLiteral("3-%1 ").arg(ligne() + 1));

    channels->showInspectView(false);
    sched.advance(1.0);
    const int hidden = channels->redisplayCount();
    channels->majInspectView();
    sched.advance(0.5);
    EXPECT_EQ(channels->redisplayCount(), hidden);
}

TEST_F(ChannelPanel, UpOnTheFirstRowAndDownOnTheLastChangeNothing)
{
    choisir(0);
    const KELId first = space->currentChannelInt();
    channels->menuChannelUp();
    settle();
    EXPECT_EQ(ligne(), 0);
    EXPECT_EQ(space->currentChannelInt(), first);
    // The Space's own step (the window's arrows and the desk's wheel) goes through the list.
    space->menuChannelDown();
    settle();
    EXPECT_EQ(ligne(), 1);
    EXPECT_NE(space->currentChannelInt(), first);
    choisir(2);
    const KELId last = space->currentChannelInt();
    channels->menuChannelDown();
    settle();
    EXPECT_EQ(ligne(), 2);
    EXPECT_EQ(space->currentChannelInt(), last);
}

using ChannelPanelNeverShown = Inspectors;

TEST_F(ChannelPanelNeverShown, TheWindowsChannelStepsWalkTheListsRowsWithoutThePanel)
{
    KELICurseur* now = space->nowCurseur();
    KELI* root = KELServeurDeLiens::LienForInt(KELOBJECT_CHANNEL_VIEWER_ROOT, now);
    KELI* work = space->newIdentityNamed("Work");
    ASSERT_NE(work, nullptr);
    ASSERT_NE(KELServeurDeLiens::CreerLienRelInt(KELRELATION_CHANNEL_VIEWER, root, work,
                                                 space->tlContexte()->nowIn() - 1000, KELDateOuverte, now),
              nullptr);
    settle();
    auto* channels = dynamic_cast<ZEVChannelViewer*>(viewer("ZEVChannelViewer"));
    ASSERT_NE(channels, nullptr);
    ASSERT_EQ(channels->channelView(), nullptr);
    const KELId home = space->currentChannelInt();
    space->menuChannelDown();
    settle();
    EXPECT_EQ(space->currentChannelInt(), work->idInt());
    space->menuChannelDown();
    settle();
    EXPECT_EQ(space->currentChannelInt(), work->idInt()) << "the last row";
    space->menuChannelUp();
    settle();
    EXPECT_EQ(space->currentChannelInt(), home);
    EXPECT_EQ(channels->channelView(), nullptr) << "the steps build no panel";
}

} // namespace
} // namespace inspecttest
