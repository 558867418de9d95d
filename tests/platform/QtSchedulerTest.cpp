#include "runtime/Scheduler.h"
#include "platform/QtScheduler.h"
#include "tests/platform/PlatformFixture.h"

#include <QEventLoop>
#include <QTimer>

#include <functional>
#include <memory>
#include <string>

using namespace tallomer;

// The order of a turn is the engine scheduler's; here it must survive real timers and turns.
TEST(QtScheduler, PerformsRunOnLaterTurnsInDueThenSchedulingOrder)
{
    QtScheduler s;
    int a = 0, b = 0;
    std::string ran;
    s.perform(&a, "c", 0.030, [&] { ran += "c"; });
    s.perform(&a, "a", 0.010, [&] { ran += "a"; });
    s.perform(&b, "b", 0.020, [&] { ran += "b"; });
    s.perform(&a, "x", 0, [&] { ran += "1"; });
    s.perform(&b, "y", 0, [&] { ran += "2"; s.perform(&a, "z", 0, [&] { ran += "3"; }); });
    EXPECT_TRUE(ran.empty()) << "a perform ran inside the call that scheduled it";
    ASSERT_TRUE(test::turnUntil([&] { return ran.size() == 6; }));
    EXPECT_EQ(ran, "123abc");
    EXPECT_FALSE(s.isArmed());
}

// The timer stays armed for performs that are gone; when it fires it must find nothing to run.
TEST(QtScheduler, GonePerformsNeverFireAndOnlyTheSharedSchedulerUninstallsItself)
{
    auto s = std::make_unique<QtScheduler>();
    Scheduler::setShared(s.get());
    struct Owner { ScheduledTarget guard{this}; };
    int a = 0;
    std::string ran;
    s->perform(&a, "refresh", 0, [&] { ran += "cancelled"; });
    {
        auto owner = std::make_unique<Owner>();
        s->perform(owner.get(), "tick", 0, [&] { ran += "dead"; });
    }
    s->cancel(&a, "refresh");
    s->perform(&a, "other", 0.005, [&] { ran += "kept"; });
    ASSERT_TRUE(test::turnUntil([&] { return !ran.empty(); }));
    EXPECT_EQ(ran, "kept");

    { QtScheduler other; }
    EXPECT_EQ(&Scheduler::shared(), s.get());
    s.reset();
    EXPECT_FALSE(Scheduler::hasShared());
}

// A perform that keeps asking for "after 0 s" must leave room for other events each turn; one due
// far beyond a millisecond int must neither overflow the timer nor run early.
TEST(QtScheduler, SelfReschedulingPerformDoesNotStarveTheLoopNorAFarOneOverflowTheTimer)
{
    QtScheduler s;
    int t = 0, runs = 0;
    bool far = false, posted = false;
    s.perform(&t, "far", 1.0e9, [&] { far = true; });
    std::function<void()> again = [&] {
        if (++runs < 3 || !posted)
            s.perform(&t, "again", 0, again);
    };
    s.perform(&t, "again", 0, again);
    QTimer::singleShot(0, [&] { posted = true; });
    ASSERT_TRUE(test::turnUntil([&] { return posted && !s.isPending(&t, "again"); }));
    EXPECT_FALSE(far);
    EXPECT_TRUE(s.isArmed() && s.armedIntervalMs() > 60 * 60 * 1000) << "not re-armed for the far one";
    s.cancelAll(&t);
    EXPECT_FALSE(s.isArmed());
}

// A perform that waits in a modal loop (an alert, a panel) must not hold back what falls due
// meanwhile: a job's answer handed back by a queued call schedules the next step at once, and a
// perform already armed far ahead must not keep the timer from it.
TEST(QtScheduler, PerformsDueWhileAPerformWaitsInAModalLoopRunInThatLoop)
{
    QtScheduler s;
    int t = 0;
    bool far = false, answered = false, loopEnded = false;
    s.perform(&t, "far", 3600, [&] { far = true; });
    s.perform(&t, "alert", 0, [&] {
        QEventLoop loop;
        s.perform(&t, "later", 3000, [] {});
        QMetaObject::invokeMethod(
            &loop,
            [&] {
                s.perform(&t, "answer", 0, [&] {
                    answered = true;
                    loop.quit();
                });
            },
            Qt::QueuedConnection);
        // Only a guard against hanging the test: the answer ends the loop long before.
        QTimer::singleShot(2000, &loop, &QEventLoop::quit);
        loop.exec();
        loopEnded = true;
    });
    ASSERT_TRUE(test::turnUntil([&] { return loopEnded; }));
    EXPECT_TRUE(answered) << "the answer waited for the modal loop to end";
    EXPECT_FALSE(far);
    EXPECT_TRUE(s.isArmed());
    EXPECT_GT(s.armedIntervalMs(), 1000) << "re-armed for what is left once the turn ended";
    s.cancelAll(&t);
}
