// The collect grid's rules without widgets: its measures and shapes, the cells files land in,
// the columns gained and lost at the edges of the desk's usable area, and the pointer moves
// ignored while a reshape runs (on a virtual clock).

#include "desk/viewer/ZEVCollectViewer.h"
#include "runtime/Scheduler.h"

#include <gtest/gtest.h>

using namespace tallomer;

namespace {

class CollectGridTest : public ::testing::Test {
protected:
    void SetUp() override { Scheduler::setShared(&sched); }
    void TearDown() override { Scheduler::setShared(nullptr); }

    // A 1920 by 1200 window: g 20, icons 80, cells 140 by 140.
    ZEVCollectMeasures m = ZEVCollectMeasures::make(20, 80);
    ZEVLimitRect limit{40, 40, 1880, 1160};
    ManualScheduler sched{100.0};
};

TEST_F(CollectGridTest, MeasuresAndShapeTable)
{
    EXPECT_EQ(m.carre, 80.0f);
    EXPECT_EQ(m.textToImage, 2.0f);
    EXPECT_EQ(m.protoSize, QSizeF(140, 140));
    EXPECT_EQ(m.imageFrame, QRectF(30, 50, 80, 80));
    // A larger icon enlarges the cell, not the image.
    EXPECT_EQ(ZEVCollectMeasures::make(20, 120).protoSize, QSizeF(180, 180));
    const std::vector<std::pair<std::size_t, QSize>> table = {
        {0, {2, 2}},  {1, {1, 1}},  {2, {2, 1}},  {3, {2, 2}},  {4, {2, 2}},  {5, {3, 2}},  {6, {3, 2}},
        {7, {3, 3}},  {9, {3, 3}},  {10, {4, 3}}, {12, {4, 3}}, {13, {4, 4}}, {16, {4, 4}}, {17, {5, 4}},
        {20, {5, 4}}, {21, {5, 5}}, {25, {5, 5}}, {26, {6, 5}}, {30, {6, 5}}, {31, {7, 5}}, {40, {7, 5}}};
    for (const auto& [n, shape] : table)
        EXPECT_EQ(collectShape(n), shape) << n;
}

TEST_F(CollectGridTest, CellsAreCentredOnThePointerAndFilesBeyondTheVisibleCellsWrap)
{
    ZEVCollectGrid one(m, 1, {500, 400}, limit);
    EXPECT_EQ(one.frame(), QRectF(430, 330, 140, 140));
    EXPECT_EQ(one.imageOriginForIndex(0), QPointF(460, 380));

    ZEVCollectGrid grid(m, 40, {960, 600}, limit);
    ASSERT_EQ(grid.nbOfVisibleObjects(), 35u);
    for (std::size_t k = 35; k < 40; ++k)
        EXPECT_EQ(grid.imageOriginForIndex(k), grid.imageOriginForIndex(k - 35)) << k;
    // Rows go down from the top: the second row lies one cell lower.
    EXPECT_EQ(grid.imageOriginForIndex(7).y(), grid.imageOriginForIndex(0).y() - 140);
    EXPECT_EQ(grid.imageOriginForIndex(1).x(), grid.imageOriginForIndex(0).x() + 140);
}

TEST_F(CollectGridTest, EdgesAddAndRemoveColumnsWithinBoundsAndMovesWaitForTheReshape)
{
    ZEVCollectGrid grid(m, 10, {960, 600}, limit);
    int reshapes = 0;
    grid.reshape = [&](const QRectF&) { ++reshapes; };
    ASSERT_EQ(grid.columns(), 4u);
    // Pushed past the left edge: one more column, one row fewer, once per crossing.
    grid.mouseMoved({300, 600});
    for (int i = 0; i < 40 && reshapes == 0; ++i)
        grid.mouseMoved({300 - 20.0 * i, 600});
    EXPECT_EQ(reshapes, 1);
    EXPECT_EQ(grid.columns(), 5u);
    EXPECT_EQ(grid.rows(), 2u);
    EXPECT_EQ(grid.frame().width(), 5 * 140);
    EXPECT_EQ(grid.frame().height(), 2 * 140);
    // While it reshapes, moves only record the pointer.
    EXPECT_TRUE(grid.siResizing());
    const QRectF held = grid.frame();
    grid.mouseMoved({900, 600});
    EXPECT_EQ(grid.frame(), held);
    sched.advance(0.29);
    EXPECT_TRUE(grid.siResizing());
    sched.advance(0.02);
    EXPECT_FALSE(grid.siResizing());

    // Columns never exceed the files, nor fall below one.
    ZEVCollectGrid two(m, 2, {960, 600}, limit);
    two.addColumn();
    EXPECT_EQ(two.columns(), 2u);
    two.removeColumn();
    EXPECT_EQ(two.columns(), 1u);
    EXPECT_EQ(two.rows(), 2u);
    two.removeColumn();
    EXPECT_EQ(two.columns(), 1u);
}

TEST_F(CollectGridTest, AWindowLowerThanOneCellKeepsOneRow)
{
    // 100 points high: no whole cell fits, yet the grid keeps a row and cells never divide by 0.
    ZEVCollectGrid grid(m, 6, {300, 50}, ZEVLimitRect{10, 10, 600, 90});
    EXPECT_EQ(grid.maxRows(), 1u);
    EXPECT_EQ(grid.maxColumns(), 4u);
    grid.removeColumn();
    grid.removeColumn();
    EXPECT_EQ(grid.columns(), 1u);
    EXPECT_EQ(grid.rows(), 1u);
    EXPECT_EQ(grid.nbOfVisibleObjects(), 1u);
    EXPECT_EQ(grid.imageOriginForIndex(5), grid.imageOriginForIndex(0));
}

} // namespace
