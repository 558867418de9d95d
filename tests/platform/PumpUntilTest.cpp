// The tests' wait on a condition: it sees what a later turn or another thread brings, however
// late, and a condition that never comes ends the wait at its deadline rather than hanging.

#include "tests/support/PumpUntil.h"

#include <QElapsedTimer>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

#include <atomic>

using tallomer::test::pumpUntil;

TEST(PumpUntil, WaitsForWhatALaterTurnOrAnotherThreadBringsAndGivesUpAtTheDeadline)
{
    // Posted now, delivered on a later turn.
    bool posted = false;
    QTimer::singleShot(0, [&posted] { posted = true; });
    EXPECT_TRUE(pumpUntil([&] { return posted; }));

    // Later than any fixed number of turns would wait on a fast machine.
    bool late = false;
    QTimer::singleShot(300, [&late] { late = true; });
    EXPECT_TRUE(pumpUntil([&] { return late; }));

    // Another thread's result.
    std::atomic<bool> done = false;
    QThread* worker = QThread::create([&done] {
        QThread::msleep(200);
        done = true;
    });
    worker->start();
    EXPECT_TRUE(pumpUntil([&] { return done.load(); }));
    worker->wait();
    delete worker;

    // Never: false once the deadline passed, not long after it, and each turn was made.
    int turns = 0;
    QElapsedTimer t;
    t.start();
    EXPECT_FALSE(pumpUntil([] { return false; }, [&turns] { ++turns; }, 100));
    EXPECT_GE(t.elapsed(), 100);
    EXPECT_LT(t.elapsed(), 5000);
    EXPECT_GT(turns, 0);

    // Already true: no turn at all.
    turns = 0;
    EXPECT_TRUE(pumpUntil([] { return true; }, [&turns] { ++turns; }));
    EXPECT_EQ(turns, 0);
}
