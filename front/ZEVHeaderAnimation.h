#pragma once
// The header views move as one group: from one set of frames to another in steps of a sixtieth of
// a second on the shared scheduler, each step's frames handed to the Qt edge, the last step the
// target frames exactly. A new move replaces the one under way from where it is asked to start.

#include "front/ZEVHeaderLayout.h"
#include "runtime/Scheduler.h"

#include <functional>

namespace tallomer {

class ZEVHeaderAnimation final {
public:
    static constexpr double kFrameRate = 60;

    // `apply` places the views at a set of frames (y-up).
    explicit ZEVHeaderAnimation(std::function<void(const ZEVHeaderFrames&)> apply);
    ZEVHeaderAnimation(const ZEVHeaderAnimation&) = delete;
    ZEVHeaderAnimation& operator=(const ZEVHeaderAnimation&) = delete;

    // No duration places the views at `to` at once; else at `from` now and at `to` after it.
    void animate(const ZEVHeaderFrames& from, const ZEVHeaderFrames& to, double duration);
    bool siRunning() const { return step_ < steps_; }

private:
    void nextStep();

    std::function<void(const ZEVHeaderFrames&)> apply_;
    ZEVHeaderFrames from_, to_;
    int step_ = 0;
    int steps_ = 0;
    ScheduledTarget guard_{this};
};

} // namespace tallomer
