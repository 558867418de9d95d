#include "space/desk/ZEVDeskGeometry.h"

#include "runtime/Log.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace tallomer;

// The 19200 x 12000 units of the desk keep their shape, centred in the view with bands on the
// longer sides; icons keep 200 units from the sides and the bottom and 600 from the top.
TEST(ZEVDeskGeometry, TheDeskKeepsItsShapeCentredInTheView)
{
    struct Case {
        double w, h, sr;
        double left, bottom, right, top; // the desk's edges in points, y-up
    };
    const Case cases[] = {
        {1920, 1200, 10, 0, 0, 1920, 1200},
        {1000, 1000, 19.2, 0, 187.5, 1000, 812.5}, // tall: bands above and below
        {2000, 1000, 12, 200, 0, 1800, 1000},      // wide: bands left and right
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.w);
        ZEVDeskGeometry g(c.w, c.h);
        const double u = 1 / c.sr;
        EXPECT_DOUBLE_EQ(g.spaceRatioSR(), c.sr);
        EXPECT_NEAR(g.xForBase(0), c.left, 1e-9);
        EXPECT_NEAR(g.xForBase(19200), c.right, 1e-9);
        EXPECT_NEAR(g.yForBase(0), c.bottom, 1e-9);
        EXPECT_NEAR(g.yForBase(12000), c.top, 1e-9);
        const ZEVLimitRect l = g.spaceRatioLimitRect();
        EXPECT_NEAR(l.minX, c.left + 200 * u, 1e-9);
        EXPECT_NEAR(l.minY, c.bottom + 200 * u, 1e-9);
        EXPECT_NEAR(l.maxX, c.right - 200 * u, 1e-9);
        EXPECT_NEAR(l.maxY, c.top - 600 * u, 1e-9);
        // The first default icon: 500 units from the left edge, 550 above the bottom.
        EXPECT_EQ(g.iconDefaultPosition(), QRectF(c.left + 500 * u, c.bottom + 550 * u, 800 * u, 0));
    }
    ZEVDeskGeometry g(1920, 1200);
    EXPECT_DOUBLE_EQ(g.spaceRatioMaxSize(), 1000);
    EXPECT_DOUBLE_EQ(g.spaceRatioMinSize(), 40);
    EXPECT_DOUBLE_EQ(g.spaceRatioDropShift(), 20);
    EXPECT_DOUBLE_EQ(g.spaceRatioGrid(), 20);
}

TEST(ZEVDeskGeometry, ConversionsRoundTrip)
{
    for (auto [w, h] : {std::pair{1920.0, 1200.0}, {1000.0, 1000.0}, {2560.0, 1080.0}, {777.0, 1301.0}}) {
        ZEVDeskGeometry g(w, h);
        for (double p : {0.0, 13.25, 487.5, w - 1}) {
            EXPECT_NEAR(g.xForBase(g.baseForX(p)), p, 1e-9) << w << "x" << h;
            EXPECT_NEAR(g.yForBase(g.baseForY(p)), p, 1e-9) << w << "x" << h;
        }
        // Stored forms come back to the whole point when a point is at least a unit.
        for (float p : {0.0f, 20.0f, 333.0f, 700.0f}) {
            EXPECT_FLOAT_EQ(g.xForBaseNum(g.baseNumForX(p)), p) << w << "x" << h;
            EXPECT_FLOAT_EQ(g.yForBaseNum(g.baseNumForY(p)), p) << w << "x" << h;
            EXPECT_FLOAT_EQ(g.sForBaseNum(g.baseNumForS(p)), p) << w << "x" << h;
        }
    }
}

TEST(ZEVDeskGeometry, StoredValuesRoundHalvesAwayFromZero)
{
    ZEVDeskGeometry g(19200, 12000); // one unit per point
    EXPECT_FLOAT_EQ(g.baseNumForX(2.5), 3);
    EXPECT_FLOAT_EQ(g.baseNumForX(-2.5), -3);
    EXPECT_FLOAT_EQ(g.baseNumForS(2.4), 2);
    ZEVDeskGeometry wide(2000, 1000);
    EXPECT_FLOAT_EQ(wide.baseNumForX(200), 0); // the desk's left edge
    EXPECT_FLOAT_EQ(wide.xForBaseNum(19200), 1800);
    EXPECT_FLOAT_EQ(wide.sForBaseNum(800), 67); // 66.67 points
}

TEST(ZEVDeskGeometry, TwentyFirstDefaultIconWrapsToFirstColumn)
{
    ZEVDeskGeometry g(1920, 1200);
    std::vector<QRectF> places;
    for (int i = 0; i < 22; ++i)
        places.push_back(g.nextIconDefaultPosition());
    for (int i = 0; i < 22; ++i)
        EXPECT_EQ(places[i], QRectF(50 + 90 * (i % 20), 55, 80, 0)) << i;
    EXPECT_EQ(g.iconDefaultNumber(), 2);

    // A resize keeps the column and rescales it.
    g.updateSpaceRatio(960, 600);
    EXPECT_DOUBLE_EQ(g.iconDefaultPosition().x(), 25 + 45 * 2);
    EXPECT_DOUBLE_EQ(g.iconDefaultPosition().width(), 40);
}

TEST(ZEVDeskGeometry, CheckRectKeepsTheInfoRectTouchingTheLimits)
{
    ZEVDeskGeometry g(1920, 1200); // limits 20..1900 x 20..1140
    const QRectF icon(0, 0, 100, 100);
    // Entirely right of and above the area: pulled back by the excess.
    EXPECT_EQ(g.spaceRatioCheckRect(icon, QRectF(2000, 1300, 40, 20)), QRectF(-80, -150, 100, 100));
    // Left of and below: pushed by the shortfall.
    EXPECT_EQ(g.spaceRatioCheckRect(icon, QRectF(-30, -10, 20, 40)), QRectF(40, 10, 100, 100));
    // Overlapping the area: unchanged.
    EXPECT_EQ(g.spaceRatioCheckRect(icon, QRectF(1910, 10, 40, 40)), icon);
}

TEST(ZEVDeskGeometry, EmptyViewIsRefusedAndChangesNothing)
{
    ScopedLogCapture log;
    ZEVDeskGeometry g(1920, 1200);
    EXPECT_FALSE(g.updateSpaceRatio(0, 1200));
    EXPECT_FALSE(g.updateSpaceRatio(1920, -5));
    EXPECT_FALSE(g.updateSpaceRatio(NAN, 1200));
    EXPECT_DOUBLE_EQ(g.spaceRatioSR(), 10);
    EXPECT_DOUBLE_EQ(g.spaceRatioDefaultSize(), 80);
    EXPECT_EQ(log.sink.count("updateSpaceRatio"), 3u);
    // A geometry made for an empty view falls back to one unit per point.
    ZEVDeskGeometry empty(0, 0);
    EXPECT_DOUBLE_EQ(empty.spaceRatioSR(), 1);
    EXPECT_TRUE(std::isfinite(empty.baseForX(10)));
}

TEST(ZEVDeskGeometry, QtEdgeFlipsAndIsItsOwnInverse)
{
    EXPECT_DOUBLE_EQ(qtY(100, 10, 30), 60);
    EXPECT_DOUBLE_EQ(qtY(100, qtY(100, 10, 30), 30), 10);
    EXPECT_EQ(qtRect(200, QRectF(5, 0, 10, 20)), QRectF(5, 180, 10, 20));
    EXPECT_EQ(qtFlip(200).map(QPointF(5, 0)), QPointF(5, 200));
    EXPECT_EQ(qtPoint(200, QPointF(5, 50)), QPointF(5, 150));
}
