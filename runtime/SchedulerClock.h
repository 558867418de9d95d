#pragma once
// A clock that reads the virtual time of a ManualScheduler, so that tests and benchmarks move
// the clock and the delayed performs together.

#include "runtime/Clock.h"
#include "runtime/Scheduler.h"

namespace tallomer {

class SchedulerClock final : public Clock {
public:
    explicit SchedulerClock(const ManualScheduler& scheduler) : scheduler_(scheduler) {}
    double now() const override { return scheduler_.now(); }

private:
    const ManualScheduler& scheduler_; // not owned
};

} // namespace tallomer
