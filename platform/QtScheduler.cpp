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
    double due = 0.0;
    if (!nextDue(&due)) {
        if (depth_ == 0)
            timer_.stop();
        return;
    }
    // While a turn runs, performs and cancels arrive here one by one and the turn re-arms once at
    // its end (runDueAt calls back when done). But a perform may wait in a modal loop (an alert,
    // a panel) for as long as the user likes: what falls due meanwhile must wake that loop, so the
    // timer is moved whenever something falls due before it would fire.
    if (depth_ > 0 && timer_.isActive() && due >= armedDue_)
        return;
    const double waitMs = (due - currentTime()) * 1000.0;
    int interval = 0;
    if (waitMs > 0.0) {
        // Rounding up: a timer that fires a hair early would find nothing due and spin.
        interval = static_cast<int>(std::ceil(std::fmin(waitMs, kLongestWaitMs)));
    }
    armedDue_ = due;
    timer_.start(interval);
}

void QtScheduler::fire()
{
    ++depth_;
    struct Reset {
        QtScheduler* self;
        ~Reset()
        {
            --self->depth_;
            self->queueChanged();
        }
    } reset{this};
    runDueAt(currentTime());
}

} // namespace tallomer
