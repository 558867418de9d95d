#pragma once
// Waiting on a condition: the event loop turns until it holds, bounded by a wall-clock deadline
// generous enough for a machine whose every core is busy. A loaded machine only makes a test
// slower; a condition that never comes fails the test at the deadline instead of hanging it.

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QThread>

namespace tallomer::test {

// How long a test waits for something the real world does (a window shown, a worker's result, a
// child process, a reply on the bus) before it fails.
inline constexpr int kWaitMilliseconds = 30000;

// Calls `turn` until `done` holds or `milliseconds` pass; answers whether it holds. The first
// turns follow one another at once, for what the next turn already brings; after them the thread
// gives the processor up for a moment between turns, as what it waits for runs elsewhere.
template <typename Done, typename Turn>
bool pumpUntil(Done&& done, Turn&& turn, int milliseconds = kWaitMilliseconds)
{
    QDeadlineTimer deadline(milliseconds);
    for (int turns = 0; !done(); ++turns) {
        if (deadline.hasExpired())
            return done();
        if (turns >= 50)
            QThread::msleep(1);
        turn();
    }
    return true;
}

// The same with one turn of the event loop (deferred deletes included) as the turn.
template <typename Done>
bool pumpUntil(Done&& done, int milliseconds = kWaitMilliseconds)
{
    return pumpUntil(
        done,
        [] {
            QCoreApplication::processEvents(QEventLoop::AllEvents);
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        },
        milliseconds);
}

} // namespace tallomer::test
