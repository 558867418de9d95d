// The panel's places and its drag rules with a kind's numbers (the Files kind: 310 x 83, kept at
// x 400, 420 wide, 500 high) over a front area of 1200 x 700 under 60 points of header views.

#include "inspectors/base/ZEVInspectGeometry.h"
#include "inspectors/base/ZEVInspectPanels.h"
#include "runtime/Log.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace tallomer;
namespace G = tallomer::ZEVInspectGeometry;

namespace {

const QRectF F(0, 0, 1200, 700);

TEST(InspectGeometry, AClosedPanelLiesAboveTheAreaAndOpensDownToItsKeptHeight)
{
    const ZEVInspectMetrics m = kFileMetrics;
    // 500 - 60 = 440 of height under the header views, plus the 10 of the top edge.
    EXPECT_EQ(G::closedRect(m, F, 60), QRectF(400, 680, 420, 450));
    EXPECT_EQ(G::openedRect(m, F, 60), QRectF(400, 260, 420, 450));
    // The opened top edge stands 10 points into the header views, the closed one far above.
    EXPECT_EQ(G::openedRect(m, F, 60).bottom(), 710);

    // Kept taller than the whole canvas: the area's height, from the bottom.
    ZEVInspectMetrics tall = m;
    tall.initialHeight = 900;
    EXPECT_EQ(G::closedRect(tall, F, 60), QRectF(400, 680, 420, 710));
    EXPECT_EQ(G::openedRect(tall, F, 60).y(), 0);
    // ...and an area lower than the smallest panel: the smallest panel, hanging from the top.
    const QRectF low(0, 0, 1200, 90);
    EXPECT_EQ(G::openedRect(tall, low, 60).y(), 90 - (83 + 20));
    // Kept lower than the smallest panel: the smallest panel.
    ZEVInspectMetrics short_ = m;
    short_.initialHeight = 100;
    EXPECT_EQ(G::closedRect(short_, F, 60).height(), 10 + 83 + 20);
    EXPECT_EQ(G::openedRect(short_, F, 60).y(), 700 - 103);
}

TEST(InspectGeometry, HeaderViewsGrowingOverAnOpenPanelHangItAgainUnderThemWithItsBottomKept)
{
    const ZEVInspectMetrics m = kFileMetrics;
    const QRectF opened = G::openedRect(m, F, 60);
    // 57 points of tracks open: the area loses them from its top, and so does the panel.
    const QRectF lower(0, 0, 1200, 700 - 57);
    const QRectF r = G::rehung(m, opened, lower);
    EXPECT_EQ(r.bottom(), lower.height() + 10);
    EXPECT_EQ(r.y(), opened.y());
    EXPECT_EQ(r, G::openedRect(m, lower, 60 + 57)) << "where a panel opened under the taller views lies";
    // Closed again: back where it was.
    EXPECT_EQ(G::rehung(m, r, F), opened);
    // Views taller than the panel's room: its smallest height, its bottom going up.
    const QRectF tiny(0, 0, 1200, 300);
    const QRectF least = G::rehung(m, opened, tiny);
    EXPECT_EQ(least.height(), 83 + 30);
    EXPECT_EQ(least.bottom(), 310);
}

TEST(InspectGeometry, APanelWiderThanTheRoomLeftGoesAgainstTheRightEdgeOrTakesTheWholeWidth)
{
    ZEVInspectMetrics m = kFileMetrics;
    m.initialX = 1000;
    EXPECT_EQ(G::openedRect(m, F, 0).x(), 1200 - 420);
    EXPECT_EQ(G::openedRect(m, F, 0).width(), 420);
    m.initialWidth = 1500;
    EXPECT_EQ(G::openedRect(m, F, 0).x(), 0);
    EXPECT_EQ(G::openedRect(m, F, 0).width(), 1200);
}

TEST(InspectGeometry, TheFrameConstraintRowByRow)
{
    const ZEVInspectMetrics m = kFileMetrics; // mh = 83 + 30 = 113
    // Lower than the smallest panel: the smallest, hung from the top.
    EXPECT_EQ(G::constrainedFrame(m, F, QRectF(400, 300, 420, 50)), QRectF(400, 700 - 113 + 10, 420, 113));
    // Its kept height fits under the top: hung at the kept height.
    EXPECT_EQ(G::constrainedFrame(m, F, QRectF(400, 150, 420, 300)), QRectF(400, 200, 420, 510));
    // Below the area: the smallest panel.
    ZEVInspectMetrics tall = m;
    tall.initialHeight = 900;
    EXPECT_EQ(G::constrainedFrame(tall, F, QRectF(400, -5, 420, 300)), QRectF(400, 597, 420, 113));
    // On the bottom edge: the whole height.
    EXPECT_EQ(G::constrainedFrame(tall, F, QRectF(400, 0, 420, 300)), QRectF(400, 0, 420, 710));
    // Otherwise the request stands.
    EXPECT_EQ(G::constrainedFrame(tall, F, QRectF(400, 20, 420, 300)), QRectF(400, 20, 420, 300));
    // Width: past the right edge from inside, against it; from the left of the area, the whole width.
    EXPECT_EQ(G::constrainedFrame(tall, F, QRectF(900, 20, 420, 300)).x(), 780);
    EXPECT_EQ(G::constrainedFrame(tall, QRectF(0, 0, 300, 700), QRectF(10, 20, 420, 300)), QRectF(0, 20, 300, 300));
    EXPECT_EQ(G::constrainedFrame(tall, QRectF(0, 0, 300, 700), QRectF(-10, 20, 420, 300)), QRectF(0, 20, 300, 300));
    // Inside: the kept width, at the kept x when asked at or right of it, else against the right edge.
    EXPECT_EQ(G::constrainedFrame(tall, F, QRectF(500, 20, 300, 300)), QRectF(400, 20, 420, 300));
    EXPECT_EQ(G::constrainedFrame(tall, F, QRectF(100, 20, 300, 300)), QRectF(780, 20, 420, 300));
}

TEST(InspectGeometry, APressIsClassedByItsZoneAlongTheBar)
{
    // Panel at x 100, 400 wide: content from 120 to 480.
    EXPECT_EQ(G::zoneForX(100, 400, 125), ZEVInspectZoneLeft);
    EXPECT_EQ(G::zoneForX(100, 400, 470), ZEVInspectZoneRight);
    EXPECT_EQ(G::zoneForX(100, 400, 300), ZEVInspectZoneMiddle);
    EXPECT_EQ(G::zoneForX(100, 400, 110), ZEVInspectZoneNone) << "in the shadow's margin";
    EXPECT_EQ(G::zoneForX(100, 400, 490), ZEVInspectZoneNone);
}

TEST(InspectGeometry, DragsKeepTheTopEdgeAndStopAtTheEdgesAndTheSmallestSize)
{
    const ZEVInspectMetrics m = kFileMetrics;
    const QRectF frame(400, 260, 420, 450);
    // The middle moves; the bar going down lengthens the panel from its fixed top.
    G::DragStep s = G::drag(m, ZEVInspectZoneMiddle, frame, F, -30, -40);
    EXPECT_EQ(s.frame, QRectF(370, 220, 420, 490));
    EXPECT_FALSE(s.keepX || s.keepY);
    // Against the left edge the x reference stays.
    s = G::drag(m, ZEVInspectZoneMiddle, frame, F, -500, 0);
    EXPECT_EQ(s.frame.x(), 0);
    EXPECT_TRUE(s.keepX);
    // The right edge below the smallest width: unchanged, and the reference stays, so the edge
    // catches up only once the pointer comes back.
    s = G::drag(m, ZEVInspectZoneRight, frame, F, -200, 0);
    EXPECT_EQ(s.frame.width(), 420);
    EXPECT_TRUE(s.keepX);
    s = G::drag(m, ZEVInspectZoneRight, frame, F, 1000, 0);
    EXPECT_EQ(s.frame.width(), 1200 - 400) << "up to the area's right edge";
    // The left edge: x and width together; past the minimum both stay.
    s = G::drag(m, ZEVInspectZoneLeft, frame, F, 50, 0);
    EXPECT_EQ(s.frame, QRectF(450, 260, 370, 450));
    s = G::drag(m, ZEVInspectZoneLeft, frame, F, 200, 0);
    EXPECT_EQ(s.frame.x(), 400);
    EXPECT_EQ(s.frame.width(), 420);
    EXPECT_TRUE(s.keepX);
    // Below the bottom: the whole height; above the smallest panel's bar: the smallest.
    s = G::drag(m, ZEVInspectZoneMiddle, frame, F, 0, -300);
    EXPECT_EQ(s.frame.y(), 0);
    EXPECT_EQ(s.frame.height(), 710);
    EXPECT_TRUE(s.keepY);
    s = G::drag(m, ZEVInspectZoneMiddle, frame, F, 0, 400);
    EXPECT_EQ(s.frame.y(), 700 - 83 - 20);
    EXPECT_EQ(s.frame.height(), 83 + 30);
    EXPECT_TRUE(s.keepY);
}

TEST(InspectGeometry, AKeptValueThatIsNoBelievableSizeReadsAsTheInitialOneWithALogLine)
{
    MemoryLogSink log;
    LogSink* before = setLogSink(&log);
    EXPECT_EQ(G::readKept("ZEVInspectFileW", 300, true, 420, false), 300);
    EXPECT_EQ(G::readKept("ZEVInspectFileX", 0, true, 400, true), 0);
    EXPECT_EQ(G::readKept("ZEVInspectFileX", 0, false, 400, true), 400) << "absent: the initial value, silently";
    EXPECT_TRUE(log.lines.empty());
    for (double bad : {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(), -5.0, 1e9})
        EXPECT_EQ(G::readKept("ZEVInspectFileW", bad, true, 420, false), 420);
    EXPECT_EQ(G::readKept("ZEVInspectFileW", 0, true, 420, false), 420) << "a panel of no width";
    EXPECT_EQ(log.count("ZEVInspectFileW"), 5u);
    setLogSink(before);
}

} // namespace
