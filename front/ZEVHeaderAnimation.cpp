#include "front/ZEVHeaderAnimation.h"

#include <algorithm>
#include <cmath>

namespace tallomer {

namespace {

constexpr char kStep[] = "_headerAnimationStep";

QRectF mix(const QRectF& a, const QRectF& b, double t)
{
    return QRectF(a.x() + (b.x() - a.x()) * t, a.y() + (b.y() - a.y()) * t, a.width() + (b.width() - a.width()) * t,
                  a.height() + (b.height() - a.height()) * t);
}

} // namespace

ZEVHeaderAnimation::ZEVHeaderAnimation(std::function<void(const ZEVHeaderFrames&)> apply) : apply_(std::move(apply)) {}

void ZEVHeaderAnimation::animate(const ZEVHeaderFrames& from, const ZEVHeaderFrames& to, double duration)
{
    Scheduler::shared().cancel(this, kStep);
    from_ = from;
    to_ = to;
    step_ = 0;
    steps_ = duration > 0 ? std::max(1, int(std::ceil(duration * kFrameRate))) : 0;
    if (steps_ == 0) {
        apply_(to);
        return;
    }
    apply_(from);
    Scheduler::shared().perform(this, kStep, 1.0 / kFrameRate, [this] { nextStep(); });
}

void ZEVHeaderAnimation::nextStep()
{
    ++step_;
    const double t = std::min(1.0, double(step_) / steps_);
    ZEVHeaderFrames f;
    f.timebar = mix(from_.timebar, to_.timebar, t);
    f.tline = mix(from_.tline, to_.tline, t);
    f.selection = mix(from_.selection, to_.selection, t);
    f.tracks = mix(from_.tracks, to_.tracks, t);
    f.toolbar = mix(from_.toolbar, to_.toolbar, t);
    f.front = mix(from_.front, to_.front, t);
    apply_(t >= 1 ? to_ : f);
    if (t < 1)
        Scheduler::shared().perform(this, kStep, 1.0 / kFrameRate, [this] { nextStep(); });
}

} // namespace tallomer
