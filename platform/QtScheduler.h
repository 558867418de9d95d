#pragma once
// The scheduler of the running application: delayed performs fire from Qt's event loop.
//
// One single-shot QTimer is armed for the earliest due perform; when it fires, everything due by
// the shared clock's current time runs, in due order. A perform with delay 0 therefore runs on a
// later turn of the event loop, never inside the call that scheduled it; a perform that waits in a
// modal loop (an alert) does not hold back those that fall due meanwhile. Create it after the
// QCoreApplication (the timer needs the thread's event dispatcher), and install it with
// Scheduler::setShared.

#include "runtime/Scheduler.h"

#include <QTimer>

namespace tallomer {

class QtScheduler final : public Scheduler {
public:
    QtScheduler();
    // Uninstalls itself when it is the shared scheduler; pending performs are dropped unrun.
    ~QtScheduler() override;
    QtScheduler(const QtScheduler&) = delete;
    QtScheduler& operator=(const QtScheduler&) = delete;

    // Whether the timer is armed (something is pending), and for how long; for tests.
    bool isArmed() const { return timer_.isActive(); }
    int armedIntervalMs() const { return timer_.interval(); }
    // The shared clock jumped (a virtual clock in tests): the timer is armed again for it.
    void clockMoved() { queueChanged(); }

protected:
    double currentTime() const override;
    void queueChanged() override;

private:
    void fire();

    QTimer timer_;
    double armedDue_ = 0.0; // when what the timer is armed for falls due
    int depth_ = 0;         // turns running: more than one when a perform waits in a modal loop
};

} // namespace tallomer
