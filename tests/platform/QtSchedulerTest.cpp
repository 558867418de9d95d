#include "engine/runtime/Scheduler.h"
#include "platform/QtScheduler.h"
#include "tests/platform/PlatformFixture.h"

#include <QTimer>

#include <functional>
#include <memory>
#include <string>

using namespace tallomer;
using test::turnUntil;

TEST(QtScheduler, PerformsRunOnLaterTurnsInDueThenSchedulingOrder)
{
    QtScheduler s;
    int a = 0, b = 0;
    std::string ran, delayed;
    s.perform(&a, "c", 0.030, [&] { delayed += "c"; });
    s.perform(&a, "a", 0.010, [&] { delayed += "a"; });
    s.perform(&b, "b", 0.020, [&] { delayed += "b"; });
    s.perform(&a, "x", 0, [&] { ran += "1"; });
    s.perform(&b, "y", 0, [&] { ran += "2"; });
    s.perform(&a, "z", 0, [&] {
        ran += "3";
        s.perform(&a, "w", 0, [&] { ran += "4"; });
        EXPECT_EQ(ran, "123") << "a perform scheduled during a turn ran inside it";
    });
    EXPECT_TRUE(ran.empty()) << "a perform ran inside the call that scheduled it";
    EXPECT_TRUE(s.isArmed());
    ASSERT_TRUE(turnUntil([&] { return ran.size() == 4 && delayed.size() == 3; }));
    EXPECT_EQ(ran, "1234");
    EXPECT_EQ(delayed, "abc");
    EXPECT_EQ(s.pendingCount(), 0u);
    EXPECT_FALSE(s.isArmed());
}

// The timer stays armed for performs that are gone; when it fires it must find nothing to run.
TEST(QtScheduler, CancelledPerformsAndThoseOfDeadTargetsNeverFire)
{
    QtScheduler s;
    Scheduler::setShared(&s);
    struct Owner {
        ScheduledTarget guard{this};
    };
    int a = 0, b = 0;
    std::string ran;
    s.perform(&a, "refresh", 0.005, [&] { ran += "a1"; });
    s.perform(&a, "refresh", 0, [&] { ran += "a2"; });
    s.perform(&a, "other", 0.005, [&] { ran += "ao"; });
    s.perform(&b, "refresh", 0.005, [&] { ran += "b"; });
    s.cancel(&a, "refresh");
    {
        auto owner = std::make_unique<Owner>();
        s.perform(owner.get(), "tick", 0, [&] { ran += "dead"; });
        s.perform(owner.get(), "later", 0.005, [&] { ran += "dead"; });
    }
    EXPECT_EQ(s.pendingCount(), 2u);
    bool sentinel = false;
    s.perform(&b, "sentinel", 0.02, [&] { sentinel = true; });
    ASSERT_TRUE(turnUntil([&] { return sentinel; }));
    EXPECT_EQ(ran, "aob");
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
    bool ran = false, near = false;
    s.perform(&t, "far", 1.0e9, [&] { ran = true; }); // far beyond a millisecond int
    EXPECT_GT(s.armedIntervalMs(), 60 * 60 * 1000);
    s.perform(&t, "near", 0.005, [&] { near = true; });
    ASSERT_TRUE(turnUntil([&] { return near; }));
    EXPECT_FALSE(ran);
    EXPECT_TRUE(s.isPending(&t, "far"));
    EXPECT_TRUE(s.isArmed());
    EXPECT_GT(s.armedIntervalMs(), 60 * 60 * 1000) << "re-armed after the near one";
}
