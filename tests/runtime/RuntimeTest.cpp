#include "runtime/Clock.h"
#include "runtime/Scheduler.h"

#include <gtest/gtest.h>

#include <memory>

using namespace tallomer;

TEST(Scheduler, ZeroDelayRunsOnALaterTurnInOrderAndNeverHangs)
{
    ManualScheduler s;
    std::vector<int> ran;
    int a = 0, b = 0;
    s.perform(&a, "x", 0, [&] { ran.push_back(1); });
    s.perform(&b, "y", 0, [&] { ran.push_back(2); });
    s.perform(&a, "z", 0, [&] {
        ran.push_back(3);
        // scheduled during a turn: waits for the next one
        s.perform(&a, "w", 0, [&] { ran.push_back(4); });
    });
    EXPECT_TRUE(ran.empty());
    EXPECT_EQ(s.runTurn(), 3u);
    EXPECT_EQ(ran, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(s.runTurn(), 1u);
    EXPECT_EQ(ran.back(), 4);

    // Work that schedules itself again at once runs once a turn, so running until idle ends.
    int runs = 0;
    std::function<void()> again = [&] { ++runs; s.perform(&a, "again", 0, again); };
    s.perform(&a, "again", 0, again);
    EXPECT_EQ(s.runUntilIdle(50), 50u);
    EXPECT_EQ(runs, 50);
}

TEST(Scheduler, CancelByTargetAndNameLeavesOthers)
{
    ManualScheduler s;
    int a = 0, b = 0;
    std::string ran;
    s.perform(&a, "refresh", 0.2, [&] { ran += "a1"; });
    s.perform(&a, "refresh", 0.3, [&] { ran += "a2"; });
    s.perform(&a, "other", 0.2, [&] { ran += "ao"; });
    s.perform(&b, "refresh", 0.2, [&] { ran += "b"; });
    s.cancel(&a, "refresh");
    EXPECT_FALSE(s.isPending(&a, "refresh"));
    EXPECT_TRUE(s.isPending(&a, "other"));
    s.advance(1.0);
    EXPECT_EQ(ran, "aob");
    // "0.2 s later, cancelled when superseded": only the last request of a burst runs.
    for (int i = 0; i < 5; ++i) {
        s.cancel(&a, "refresh");
        s.perform(&a, "refresh", 0.2, [&ran, i] { ran += std::to_string(i); });
        s.advance(0.1);
    }
    s.advance(0.5);
    EXPECT_EQ(ran, "aob4");
}

namespace {
// Counts the driver's calls; a driver arms its timer for the earliest due date at each.
class CountingScheduler final : public Scheduler {
public:
    int changes = 0;
    double now = 0;

protected:
    double currentTime() const override { return now; }
    void queueChanged() override { ++changes; }
};
} // namespace

TEST(Scheduler, TheDriverHearsOfEveryChangeOfTheEarliestDueDateAndOnlyOfThose)
{
    CountingScheduler s;
    int views[100] = {};
    s.perform(&views[0], "frame", 0.5, [] {});
    EXPECT_EQ(s.changes, 1) << "the first perform";
    // A frame for each of many views, all due after the first.
    for (int& v : views)
        s.perform(&v, "frame", 1.0, [] {});
    EXPECT_EQ(s.changes, 1);
    s.perform(&views[1], "frame", 0.2, [] {});
    EXPECT_EQ(s.changes, 2) << "a perform due before all others";
    s.cancel(&views[5], "frame");
    s.cancel(&views[5], "other");
    s.cancelAll(&views[6]);
    EXPECT_EQ(s.changes, 2) << "cancels behind the earliest";
    s.cancel(&views[1], "frame");
    EXPECT_EQ(s.changes, 3) << "the earliest cancelled";
    s.cancelAll(&views[0]);
    EXPECT_EQ(s.changes, 4) << "the earliest of a target cancelled";
    double due = 0;
    ASSERT_TRUE(s.nextDue(&due));
    EXPECT_DOUBLE_EQ(due, 1.0);
    for (int i = 99; i >= 0; --i)
        s.cancelAll(&views[i]);
    EXPECT_EQ(s.changes, 5) << "the queue emptied";
    EXPECT_EQ(s.pendingCount(), 0u);
}

TEST(Scheduler, AdvanceRunsEachPerformAtItsOwnMoment)
{
    ManualScheduler s(100.0);
    int t = 0;
    std::vector<double> at;
    s.perform(&t, "late", 0.5, [&] { at.push_back(s.now()); });
    s.perform(&t, "early", 0.1, [&] {
        at.push_back(s.now());
        s.perform(&t, "chained", 0.1, [&] { at.push_back(s.now()); });
    });
    s.advance(0.35);
    ASSERT_EQ(at.size(), 2u);
    EXPECT_DOUBLE_EQ(at[0], 100.1);
    EXPECT_DOUBLE_EQ(at[1], 100.2);
    EXPECT_DOUBLE_EQ(s.now(), 100.35);
    s.advance(1);
    EXPECT_EQ(at.size(), 3u);
}

TEST(Scheduler, TargetDestroyedBeforeItsPerformFires)
{
    ManualScheduler s;
    Scheduler::setShared(&s);
    struct Owner {
        ScheduledTarget guard{this};
    };
    int fired = 0;
    auto owner = std::make_unique<Owner>();
    s.perform(owner.get(), "tick", 0.1, [&fired] { ++fired; });
    owner.reset();
    s.advance(1);
    EXPECT_EQ(fired, 0);
    EXPECT_EQ(s.pendingCount(), 0u);
    Scheduler::setShared(nullptr);
}

TEST(Clock, ReferenceDateIs2001InUtc)
{
    EXPECT_DOUBLE_EQ(dateFromUnix(978307200.0), 0.0);
    EXPECT_DOUBLE_EQ(unixFromDate(-1.0), 978307199.0);
    // 2026-01-01 00:00 UTC
    EXPECT_DOUBLE_EQ(dateFromUnix(1767225600.0), 788918400.0);
    EXPECT_GT(Clock::shared().now(), 788918400.0);
}
