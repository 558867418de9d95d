// An Object view's animated change of place and size, and the blinking that offers to restore a
// moved icon.

#include "objects/view/ZEVItemView.h"

#include "runtime/Scheduler.h"
#include "services/ZEVSpaceForObjectViews.h"

#include <QGraphicsScene>

#include <algorithm>
#include <cmath>

namespace tallomer {

namespace {
constexpr char kAnimation[] = "_animationStep";
constexpr char kStopAnimation[] = "_stopSiAnimationRun";
constexpr char kBlink[] = "retablirItemViewAmation";

// The views of every desk whose placement is running: when a pass set many of them moving, each
// frame repaints the whole desk rather than a region of each view's two places.
std::size_t placementsEnCours = 0;

// Ease in and out: slow at both ends.
double adoucir(double t) { return t * t * (3 - 2 * t); }

QRectF entre(const QRectF& a, const QRectF& b, double t)
{
    return QRectF(a.x() + (b.x() - a.x()) * t, a.y() + (b.y() - a.y()) * t, a.width() + (b.width() - a.width()) * t,
                  a.height() + (b.height() - a.height()) * t);
}
} // namespace

void ZEVItemView::setIconPosition(const ZEVIconPosition& position, double duration)
{
    double d = duration;
    if (!siAnimation_) {
        // The first placement, and the first after hiding, is never animated.
        siAnimation_ = true;
        d = 0;
    }
    ZEVSpaceForObjectViews* s = space();
    if (s && !s->siShowAnimation())
        d = 0;
    const double oldSize = iconPosition_.size;
    placer(position, d);
    // A sharper picture once a change of size has settled; meanwhile the image is only scaled.
    if (position.size != oldSize && !itemType_.isEmpty() && Scheduler::hasShared()) {
        Scheduler::shared().cancel(cible(), kBetterImageName);
        Scheduler::shared().perform(cible(), kBetterImageName, d + kBetterImageDelay, [this] { askBetterImageSoon(); },
                                    true);
    }
}

void ZEVItemView::placer(const ZEVIconPosition& position, double d)
{
    // A new placement replaces a running one from where that one stands.
    Scheduler* sched = Scheduler::hasShared() ? &Scheduler::shared() : nullptr;
    if (sched) {
        sched->cancel(cible(), kAnimation);
        sched->cancel(cible(), kStopAnimation);
    }
    const QRectF to = viewFrameForIconPosition(position);
    // A view told to go where it stands (a Search step re-places every Object it shows) has no
    // way to go: a second of frames for it would repaint the desk for nothing.
    if (d <= kSnapDuration || !sched || to == frame_) {
        setSiAnimationRun(false);
        setFrame(to);
        iconPosition_ = position;
        return;
    }
    setSiAnimationRun(true);
    animationFrom_ = frame_;
    animationTo_ = to;
    animationTarget_ = position;
    animationSteps_ = std::max(1, static_cast<int>(std::ceil(d / kAnimationStep - 1e-9)));
    animationStep_ = 0;
    animationDelay_ = d / animationSteps_;
    iconPosition_ = position;
    sched->perform(cible(), kAnimation, animationDelay_, [this] { animationStep(); }, true);
}

std::size_t ZEVItemView::nbDePlacementsEnCours() { return placementsEnCours; }

void ZEVItemView::setSiAnimationRun(bool running)
{
    if (running != siAnimationRun_)
        running ? ++placementsEnCours : --placementsEnCours;
    siAnimationRun_ = running;
}

void ZEVItemView::animationStep()
{
    if (placementsEnCours > kZEVVuesDeMasse)
        if (QGraphicsScene* s = scene())
            s->update();
    ++animationStep_;
    if (animationStep_ >= animationSteps_) {
        setSiAnimationRun(false);
        setFrame(animationTo_);
        iconPosition_ = animationTarget_;
        return;
    }
    setFrame(entre(animationFrom_, animationTo_, adoucir(double(animationStep_) / animationSteps_)));
    // The view's place is where it goes: a recall or a copy taken while it moves takes that place,
    // not a point on the way.
    iconPosition_ = animationTarget_;
    Scheduler::shared().perform(cible(), kAnimation, animationDelay_, [this] { animationStep(); }, true);
}

void ZEVItemView::snapAnimation()
{
    if (siAnimationRun_)
        setIconPosition(iconPositionForCurrentFrame(), kSnapDuration);
}

void ZEVItemView::startRetablirItemViewAmation()
{
    siRetablir_ = true;
    if (siRetablirItemView_)
        return;
    siRetablirItemView_ = true;
    siRetablirItemViewFlag_ = false;
    retablirItemViewAmation();
}

void ZEVItemView::retablirItemViewAmation()
{
    siRetablirItemViewFlag_ = !siRetablirItemViewFlag_;
    update();
    // On for 0.5 s, off for 0.25 s.
    Scheduler::shared().perform(cible(), kBlink, siRetablirItemViewFlag_ ? 0.5 : 0.25,
                                [this] { retablirItemViewAmation(); }, true);
}

void ZEVItemView::annuleRetablirItemViewAmation()
{
    if (!siRetablirItemView_)
        return;
    Scheduler::shared().cancel(cible(), kBlink);
    siRetablirItemView_ = false;
    siRetablirItemViewFlag_ = false;
    update();
}

void ZEVItemView::stopRetablirItemViewAmation()
{
    Scheduler::shared().cancel(cible(), kBlink);
    siRetablir_ = false;
    siRetablirItemView_ = false;
    siRetablirItemViewFlag_ = false;
    update();
}

} // namespace tallomer
