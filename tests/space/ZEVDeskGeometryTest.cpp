#include "space/desk/ZEVDeskGeometry.h"

#include "engine/runtime/Log.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace tallomer;

namespace {

void expectLimit(const ZEVLimitRect& l, double minX, double minY, double maxX, double maxY)
{
    EXPECT_NEAR(l.minX, minX, 1e-9);
    EXPECT_NEAR(l.minY, minY, 1e-9);
    EXPECT_NEAR(l.maxX, maxX, 1e-9);
    EXPECT_NEAR(l.maxY, maxY, 1e-9);
}

} // namespace

TEST(ZEVDeskGeometry, FullDeskAtTenUnitsPerPoint)
{
    ZEVDeskGeometry g(1920, 1200);
    EXPECT_DOUBLE_EQ(g.spaceRatioSR(), 10);
    EXPECT_DOUBLE_EQ(g.spaceRatioXD(), 0);
    EXPECT_DOUBLE_EQ(g.spaceRatioYD(), 0);
    expectLimit(g.spaceRatioLimitRect(), 20, 20, 1900, 1140);
    EXPECT_DOUBLE_EQ(g.spaceRatioDefaultSize(), 80);
    EXPECT_DOUBLE_EQ(g.spaceRatioMaxSize(), 1000);
    EXPECT_DOUBLE_EQ(g.spaceRatioMinSize(), 40);
    EXPECT_DOUBLE_EQ(g.spaceRatioDropShift(), 20);
    EXPECT_DOUBLE_EQ(g.spaceRatioGrid(), 20);
    // 500 units from the left edge, 550 above the bottom.
    EXPECT_EQ(g.iconDefaultPosition(), QRectF(50, 55, 80, 0));
}

TEST(ZEVDeskGeometry, TallViewPutsBandsAboveAndBelow)
{
    ZEVDeskGeometry g(1000, 1000);
    EXPECT_DOUBLE_EQ(g.spaceRatioSR(), 19.2);
    EXPECT_DOUBLE_EQ(g.spaceRatioXD(), 0);
    EXPECT_NEAR(g.spaceRatioYD(), 3600, 1e-9);
    // The desk occupies y from 187.5 to 812.5 points.
    EXPECT_NEAR(g.yForBase(0), 187.5, 1e-9);
    EXPECT_NEAR(g.yForBase(12000), 812.5, 1e-9);
    EXPECT_NEAR(g.xForBase(19200), 1000, 1e-9);
    // 200 units in from the sides and the bottom, 600 from the top.
    const double u = 1 / 19.2;
    expectLimit(g.spaceRatioLimitRect(), 200 * u, 187.5 + 200 * u, 1000 - 200 * u, 812.5 - 600 * u);
}

TEST(ZEVDeskGeometry, WideViewPutsBandsLeftAndRight)
{
    ZEVDeskGeometry g(2000, 1000);
    EXPECT_DOUBLE_EQ(g.spaceRatioSR(), 12);
    EXPECT_DOUBLE_EQ(g.spaceRatioXD(), 2400);
    EXPECT_DOUBLE_EQ(g.spaceRatioYD(), 0);
    EXPECT_NEAR(g.xForBase(0), 200, 1e-9);
    EXPECT_NEAR(g.xForBase(19200), 1800, 1e-9);
    const double u = 1 / 12.0;
    expectLimit(g.spaceRatioLimitRect(), 200 + 200 * u, 200 * u, 1800 - 200 * u, 1000 - 600 * u);
    EXPECT_NEAR(g.iconDefaultPosition().x(), 200 + 500 * u, 1e-9);
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
    for (int i = 0; i < 20; ++i) {
        EXPECT_DOUBLE_EQ(places[i].x(), 50 + 90 * i) << i;
        EXPECT_DOUBLE_EQ(places[i].y(), 55) << i;
        EXPECT_DOUBLE_EQ(places[i].width(), 80) << i;
    }
    EXPECT_DOUBLE_EQ(places[20].x(), 50);
    EXPECT_DOUBLE_EQ(places[20].y(), 55);
    EXPECT_DOUBLE_EQ(places[21].x(), 140);
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
