#include "engine/runtime/Scheduler.h"
#include "platform/QtScheduler.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

using namespace tallomer;

namespace {

// Turns the event loop until `done` holds; bounded by turns and by a wall-clock guard, so a
// driver that never fires fails the test instead of hanging it.
bool turnUntil(const std::function<bool()>& done, int maxTurns = 2000000)
{
    QElapsedTimer guard;
    guard.start();
    for (int i = 0; i < maxTurns && guard.elapsed() < 5000; ++i) {
        if (done())
            return true;
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    }
    return done();
}

} // namespace

TEST(QtScheduler, ZeroDelayRunsOnALaterTurnInSchedulingOrder)
{
    QtScheduler s;
    int a = 0, b = 0;
    std::vector<int> ran;
    s.perform(&a, "x", 0, [&] { ran.push_back(1); });
    s.perform(&b, "y", 0, [&] { ran.push_back(2); });
    s.perform(&a, "z", 0, [&] {
        ran.push_back(3);
        s.perform(&a, "w", 0, [&] { ran.push_back(4); });
        // scheduled during a turn: not run inside it
        EXPECT_EQ(ran.size(), 3u);
    });
    EXPECT_TRUE(ran.empty()) << "a perform ran inside the call that scheduled it";
    EXPECT_TRUE(s.isArmed());
    ASSERT_TRUE(turnUntil([&] { return ran.size() == 4; }));
    EXPECT_EQ(ran, (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(s.pendingCount(), 0u);
    EXPECT_FALSE(s.isArmed());
}

TEST(QtScheduler, DelayedPerformsFireInDueOrderNotSchedulingOrder)
{
    QtScheduler s;
    int t = 0;
    std::string ran;
    s.perform(&t, "c", 0.030, [&] { ran += "c"; });
    s.perform(&t, "a", 0.010, [&] { ran += "a"; });
    s.perform(&t, "b", 0.020, [&] { ran += "b"; });
    s.perform(&t, "now", 0, [&] { ran += "0"; });
    ASSERT_TRUE(turnUntil([&] { return ran.size() == 4; }));
    EXPECT_EQ(ran, "0abc");
}

TEST(QtScheduler, CancelDropsOnlyThatTargetAndName)
{
    QtScheduler s;
    int a = 0, b = 0;
    std::string ran;
    s.perform(&a, "refresh", 0.005, [&] { ran += "a1"; });
    s.perform(&a, "refresh", 0, [&] { ran += "a2"; });
    s.perform(&a, "other", 0.005, [&] { ran += "ao"; });
    s.perform(&b, "refresh", 0.005, [&] { ran += "b"; });
    s.cancel(&a, "refresh");
    bool sentinel = false;
    s.perform(&b, "sentinel", 0.02, [&] { sentinel = true; });
    ASSERT_TRUE(turnUntil([&] { return sentinel; }));
    EXPECT_EQ(ran, "aob");
}

TEST(QtScheduler, TargetDestroyedBeforeItsPerformFires)
{
    QtScheduler s;
    Scheduler::setShared(&s);
    struct Owner {
        int value = 0;
        ScheduledTarget guard{this};
    };
    int fired = 0;
    {
        auto owner = std::make_unique<Owner>();
        s.perform(owner.get(), "tick", 0, [&fired] { ++fired; });
        s.perform(owner.get(), "later", 0.005, [&fired] { ++fired; });
    }
    EXPECT_EQ(s.pendingCount(), 0u);
    bool sentinel = false;
    int other = 0;
    s.perform(&other, "sentinel", 0.01, [&] { sentinel = true; });
    ASSERT_TRUE(turnUntil([&] { return sentinel; }));
    EXPECT_EQ(fired, 0);
    Scheduler::setShared(nullptr);
}

TEST(QtScheduler, DestroyedSharedSchedulerUninstallsItself)
{
    {
        QtScheduler s;
        Scheduler::setShared(&s);
        EXPECT_EQ(&Scheduler::shared(), &s);
    }
    EXPECT_FALSE(Scheduler::hasShared());

    // A scheduler that is not the shared one leaves the shared one alone.
    QtScheduler kept;
    Scheduler::setShared(&kept);
    { QtScheduler other; }
    EXPECT_TRUE(Scheduler::hasShared());
    Scheduler::setShared(nullptr);
}

TEST(QtScheduler, SelfReschedulingPerformDoesNotStarveTheLoop)
{
    // A perform that keeps asking for "after 0 s" must leave room for other events each turn.
    QtScheduler s;
    int t = 0, runs = 0;
    std::function<void()> again = [&] {
        ++runs;
        s.perform(&t, "again", 0, again);
    };
    s.perform(&t, "again", 0, again);
    bool posted = false;
    QTimer::singleShot(0, [&] { posted = true; });
    ASSERT_TRUE(turnUntil([&] { return posted && runs >= 3; }));
    s.cancelAll(&t);
    EXPECT_FALSE(s.isArmed());
}

TEST(QtScheduler, FarFuturePerformWaitsWithoutOverflowingTheTimer)
{
    QtScheduler s;
    int t = 0;
    bool ran = false;
    // Far beyond the range of a millisecond int.
    s.perform(&t, "far", 1.0e9, [&] { ran = true; });
    EXPECT_TRUE(s.isArmed());
    EXPECT_GT(s.armedIntervalMs(), 60 * 60 * 1000);
    bool sentinel = false;
    s.perform(&t, "near", 0.005, [&] { sentinel = true; });
    ASSERT_TRUE(turnUntil([&] { return sentinel; }));
    EXPECT_FALSE(ran);
    EXPECT_TRUE(s.isPending(&t, "far"));
    EXPECT_TRUE(s.isArmed());
    EXPECT_GT(s.armedIntervalMs(), 60 * 60 * 1000);
}
