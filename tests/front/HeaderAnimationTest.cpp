// The header views' move as one group, on the virtual clock: the steps it takes, the frames of
// each, and what a new move or the end of the animation does to the one under way.

#include "front/ZEVHeaderAnimation.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

using namespace tallomer;

ZEVHeaderFrames frames(double y, double h)
{
    ZEVHeaderFrames f;
    f.timebar = QRectF(0, y, 100, h);
    f.tline = QRectF(0, y + 10, 100, h);
    f.selection = QRectF(0, y + 20, 100, h);
    f.tracks = QRectF(0, y + 30, 100, h);
    f.toolbar = QRectF(0, y + 40, 100, h);
    f.front = QRectF(0, 0, 100, y);
    return f;
}

class HeaderAnimationTest : public ::testing::Test {
protected:
    void SetUp() override { Scheduler::setShared(&clock); }
    void TearDown() override { Scheduler::setShared(nullptr); }

    ManualScheduler clock;
    std::vector<ZEVHeaderFrames> applied;
    std::unique_ptr<ZEVHeaderAnimation> animation =
        std::make_unique<ZEVHeaderAnimation>([this](const ZEVHeaderFrames& f) { applied.push_back(f); });
};

TEST_F(HeaderAnimationTest, AMoveStartsAtItsFromStepsEverySixtiethAndEndsExactlyAtItsTo)
{
    const ZEVHeaderFrames from = frames(700, 0), to = frames(664, 36);
    animation->animate(from, to, 0.1);
    ASSERT_EQ(applied.size(), 1u);
    EXPECT_EQ(applied[0], from);
    EXPECT_TRUE(animation->siRunning());
    for (int step = 1; step <= 6; ++step) {
        clock.advance(1.0 / 60);
        ASSERT_EQ(applied.size(), std::size_t(step + 1)) << "one step a sixtieth of a second";
    }
    // Halfway every frame lies halfway.
    EXPECT_DOUBLE_EQ(applied[3].tline.y(), 700 + 10 - 18);
    EXPECT_DOUBLE_EQ(applied[3].front.height(), 682);
    EXPECT_DOUBLE_EQ(applied[3].toolbar.height(), 18);
    EXPECT_EQ(applied.back(), to);
    EXPECT_FALSE(animation->siRunning());
    clock.advance(1);
    EXPECT_EQ(applied.size(), 7u) << "nothing after the last step";

    // Without a duration the views stand at once where they go.
    applied.clear();
    animation->animate(to, from, 0);
    ASSERT_EQ(applied.size(), 1u);
    EXPECT_EQ(applied[0], from);
    clock.advance(1);
    EXPECT_EQ(applied.size(), 1u);
}

TEST_F(HeaderAnimationTest, ANewMoveReplacesTheOneUnderWayAndNoStepOutlivesTheAnimation)
{
    const ZEVHeaderFrames a = frames(700, 0), b = frames(600, 100), c = frames(650, 50);
    animation->animate(a, b, 0.5);
    clock.advance(2.0 / 60);
    const std::size_t before = applied.size();
    animation->animate(applied.back(), c, 0);
    ASSERT_EQ(applied.size(), before + 1);
    EXPECT_EQ(applied.back(), c);
    clock.advance(1);
    EXPECT_EQ(applied.size(), before + 1) << "the first move's steps were dropped";
    EXPECT_EQ(applied.back(), c);

    animation->animate(c, a, 0.5);
    const std::size_t started = applied.size();
    animation.reset();
    clock.advance(1);
    EXPECT_EQ(applied.size(), started) << "a step ran for an animation that is gone";
}

} // namespace
