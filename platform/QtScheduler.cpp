#include "platform/QtScheduler.h"

#include "runtime/Clock.h"

#include <cmath>

namespace tallomer {

namespace {
// QTimer takes an int of milliseconds; a far-off perform is reached in steps of at most a day.
constexpr double kLongestWaitMs = 24.0 * 3600.0 * 1000.0;
} // namespace

QtScheduler::QtScheduler()
{
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer_, &QTimer::timeout, &timer_, [this] { fire(); });
}

QtScheduler::~QtScheduler()
{
    timer_.stop();
    if (Scheduler::hasShared() && &Scheduler::shared() == this)
        Scheduler::setShared(nullptr);
}

double QtScheduler::currentTime() const { return Clock::shared().now(); }

void QtScheduler::queueChanged()
{
    // While a turn runs, performs and cancels arrive here one by one; the turn re-arms once at
    // its end (runDueAt calls back when done).
    if (running_)
        return;
    double due = 0.0;
    if (!nextDue(&due)) {
        timer_.stop();
        return;
    }
    const double waitMs = (due - currentTime()) * 1000.0;
    int interval = 0;
    if (waitMs > 0.0) {
        // Rounding up: a timer that fires a hair early would find nothing due and spin.
        interval = static_cast<int>(std::ceil(std::fmin(waitMs, kLongestWaitMs)));
    }
    timer_.start(interval);
}

void QtScheduler::fire()
{
    running_ = true;
    struct Reset {
        QtScheduler* self;
        ~Reset()
        {
            self->running_ = false;
            self->queueChanged();
        }
    } reset{this};
    runDueAt(currentTime());
}

} // namespace tallomer
