// The Channel list's time strip: slots aligned on Now, the magnifier's snapping, the right-end
// zone, what a press does by the active cursor, and, on the real list, presses that must not end
// a move they did not start.

#include "tests/inspectors/InspectorFixture.h"

#include "inspectors/channels/ZEVChannelStrip.h"
#include "inspectors/channels/ZEVChannelTableView.h"
#include "inspectors/channels/ZEVChannelViewer.h"

#include <QMenu>
#include <QTest>

namespace inspecttest {
namespace {

TEST(ChannelStrip, SlotsAreAlignedOnNowAndCountedFromTheRowsWidth)
{
    EXPECT_DOUBLE_EQ(ZEVChannelFirstSlot(96), -48);
    EXPECT_DOUBLE_EQ(ZEVChannelFirstSlot(-10), -10);
    EXPECT_DOUBLE_EQ(ZEVChannelFirstSlot(-10) + kZEVChannelSlotWidth, 38);
    EXPECT_DOUBLE_EQ(ZEVChannelFirstSlot(100), -44);
    EXPECT_NEAR(ZEVChannelFirstSlot(-100), -4, 1e-9);
    for (double now : {-500.0, -47.5, 0.0, 13.25, 480.0, 1919.0}) {
        const double s0 = ZEVChannelFirstSlot(now);
        EXPECT_LE(s0, 0) << now;
        EXPECT_GE(s0, -kZEVChannelSlotWidth) << now;
        const double k = (now - s0) / kZEVChannelSlotWidth;
        EXPECT_NEAR(k, std::round(k), 1e-9) << "an edge falls on Now x " << now;
    }
    EXPECT_EQ(ZEVChannelSlotCount(500), 12);
    EXPECT_EQ(ZEVChannelSlotCount(1920), 42);
    EXPECT_EQ(ZEVChannelSlotCount(0), 0);
    EXPECT_EQ(ZEVChannelSlotCount(std::nan("")), 0);
}

TEST(ChannelStrip, TheMagnifierSnapsToNowBeforeSearchAndTheZoneIsTheLastSlot)
{
    // Now: less than 4 to the pointer's left... the cursor lies in (px - 5, px + 4).
    EXPECT_FALSE(ZEVChannelSiPresNow(100, 95));
    EXPECT_TRUE(ZEVChannelSiPresNow(100, 95.5));
    EXPECT_TRUE(ZEVChannelSiPresNow(100, 103.9));
    EXPECT_FALSE(ZEVChannelSiPresNow(100, 104));
    EXPECT_FALSE(ZEVChannelSiPresSearch(100, 97));
    EXPECT_TRUE(ZEVChannelSiPresSearch(100, 97.1));
    EXPECT_TRUE(ZEVChannelSiPresSearch(100, 102.9));
    EXPECT_FALSE(ZEVChannelSiPresSearch(100, 103));
    EXPECT_FALSE(ZEVChannelSiZoneDroite(452, 500));
    EXPECT_TRUE(ZEVChannelSiZoneDroite(453, 500));
    EXPECT_TRUE(ZEVChannelSiZoneDroite(499.5, 500));
    EXPECT_FALSE(ZEVChannelSiZoneDroite(500, 500));
}

TEST(ChannelStrip, APressActsByTheActiveCursorAndWhereItLands)
{
    using P = ZEVChannelPress;
    // Now active: near Now nothing, near Search Search, elsewhere Search to the date.
    EXPECT_EQ(ZEVChannelPressFor(true, true, true, true), P::Rien) << "Now wins";
    EXPECT_EQ(ZEVChannelPressFor(true, false, true, true), P::ActiverSearch);
    EXPECT_EQ(ZEVChannelPressFor(true, false, false, true), P::PlacerSearch);
    EXPECT_EQ(ZEVChannelPressFor(true, false, false, false), P::PlacerSearch);
    // Search active: near Now Now, near Search nothing, elsewhere it follows or jumps.
    EXPECT_EQ(ZEVChannelPressFor(false, true, true, true), P::ActiverNow);
    EXPECT_EQ(ZEVChannelPressFor(false, false, true, true), P::Rien);
    EXPECT_EQ(ZEVChannelPressFor(false, false, false, true), P::SuivreSearch);
    EXPECT_EQ(ZEVChannelPressFor(false, false, false, false), P::PlacerSearch);

    EXPECT_FALSE(ZEVChannelDateForStripX(10, 1, 0, 100)) << "a strip under 2 points gives no date";
    EXPECT_FALSE(ZEVChannelDateForStripX(10, 0, 0, 100));
    EXPECT_FALSE(ZEVChannelDateForStripX(10, 101, 0, 0));
    EXPECT_DOUBLE_EQ(*ZEVChannelDateForStripX(50, 101, 1000, 100), 1050);
    EXPECT_DOUBLE_EQ(*ZEVChannelDateForStripX(100, 101, 1000, 100), 1100) << "the last point is the span's end";
}

class ChannelList : public Inspectors {
protected:
    void SetUp() override
    {
        defaults.setValue(QStringLiteral("ZEVInspectChannelH"), 200);
        Inspectors::SetUp();
        ruler = dynamic_cast<ZEVRulerViewer*>(space->rulerViewer());
        channels = dynamic_cast<ZEVChannelViewer*>(viewer("ZEVChannelViewer"));
        ASSERT_TRUE(ruler && channels);
        channels->showInspectView(true);
        settle();
        table = channels->channelTableView();
        ASSERT_NE(table, nullptr);
        ASSERT_GE(table->numberOfRows(), 1);
    }
    QPoint inRow(int row, double x) const { return QPoint(int(x), table->rowViewportPosition(row) + 10); }
    // An x of the strip far from both cursors, on the row, outside the right-end zone.
    double loin() const
    {
        table->viewWillDraw();
        return std::max(2.0, table->curseurNowPosition() - 200);
    }

    ZEVRulerViewer* ruler = nullptr;
    ZEVChannelViewer* channels = nullptr;
    ZEVChannelTableView* table = nullptr;
};

TEST_F(ChannelList, AReleaseEndsOnlyTheMoveItsOwnPressStarted)
{
    // Another move runs (an animation, a drag on the strip): the press moves nothing and its
    // release leaves that move running.
    ASSERT_TRUE(ruler->userInitieDeplacementCurseur());
    const KELDate search = space->searchCurseur()->now();
    QTest::mousePress(table->viewport(), Qt::LeftButton, {}, inRow(0, loin()));
    EXPECT_FALSE(table->siMoveEnCours());
    QTest::mouseRelease(table->viewport(), Qt::LeftButton, {}, inRow(0, loin()));
    EXPECT_FALSE(ruler->siAccepteDeplacement()) << "the other move still runs";
    EXPECT_EQ(space->searchCurseur()->now(), search);
    ruler->userTermineDeplacementCurseur();

    // Near the Now cursor with Now active: nothing moves, the release ends nothing.
    table->viewWillDraw();
    const double nowX = table->curseurNowPosition();
    QTest::mousePress(table->viewport(), Qt::LeftButton, {}, inRow(0, nowX + 1));
    EXPECT_FALSE(table->siMoveEnCours());
    EXPECT_EQ(space->actifCurseur(), space->nowCurseur());
    QTest::mouseRelease(table->viewport(), Qt::LeftButton, {}, inRow(0, nowX + 1));
    EXPECT_TRUE(ruler->siAccepteDeplacement());

    // In the right-end zone: the row only.
    const int w = table->viewport()->width();
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, inRow(0, w - 10));
    EXPECT_EQ(space->actifCurseur(), space->nowCurseur());
    EXPECT_TRUE(ruler->siAccepteDeplacement());

    // Elsewhere: Search goes to the click's date, and the release ends that move.
    QTest::mousePress(table->viewport(), Qt::LeftButton, {}, inRow(0, loin()));
    EXPECT_TRUE(table->siMoveEnCours());
    EXPECT_EQ(space->actifCurseur(), space->searchCurseur());
    QTest::mouseRelease(table->viewport(), Qt::LeftButton, {}, inRow(0, loin()));
    EXPECT_TRUE(ruler->siAccepteDeplacement());
    EXPECT_FALSE(table->siPointerVertical());
}

TEST_F(ChannelList, TheKeysWalkRowsHistoryAndSpacesAndTheMenuNamesTheRow)
{
    host.actions.clear();
    table->setFocus();
    QTest::keyClick(table, Qt::Key_Left);
    QTest::keyClick(table, Qt::Key_Right);
    EXPECT_EQ(host.actions, (std::vector<ZEVSpaceMenuAction>{ZEVSpaceMenuAction::SpaceCleanPrevious,
                                                             ZEVSpaceMenuAction::SpaceCleanNext}));
    QMenu* menu = table->menuForRowAt(QPointF(20, table->rowViewportPosition(0) + 10));
    ASSERT_NE(menu, nullptr);
    const QString nom = QString::fromStdString(channels->channelModel().nameOfChannelForRow(0));
    ASSERT_FALSE(menu->actions().isEmpty());
    QAction* choix = menu->actions().first();
    EXPECT_EQ(choix->text(), QStringLiteral("\"%1\"").arg(nom)) << "the selected row's item";
    EXPECT_TRUE(choix->isChecked());
    EXPECT_FALSE(choix->isEnabled());
    EXPECT_EQ(table->pointerPosition().x(), ZEVChannelTableView::kPointerGone) << "the menu hides the magnifier";
    bool maintenant = false;
    for (QAction* a : menu->actions())
        if (a->data().toLongLong() == 2000009)
            maintenant = a->text().startsWith(QStringLiteral("Now  --  "));
    EXPECT_TRUE(maintenant);
}

} // namespace
} // namespace inspecttest
