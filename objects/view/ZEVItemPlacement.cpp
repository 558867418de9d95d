#include "objects/view/ZEVItemPlacement.h"

#include "objects/view/ZEVItemView.h"
#include "runtime/Scheduler.h"
#include "services/ZEVSpaceForObjectViews.h"
#include "widgets/ZEVRepaintExtent.h"

#include <QGraphicsScene>

#include <algorithm>
#include <cmath>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace tallomer {

namespace {
constexpr char kAnimation[] = "_animationStep";
constexpr char kStopAnimation[] = "_stopSiAnimationRun";
constexpr char kBlink[] = "retablirItemViewAmation";

// The views of every desk whose placement is running.
std::size_t placementsEnCours = 0;
std::unordered_set<ZEVItemPlacement*>& enCours()
{
    static std::unordered_set<ZEVItemPlacement*> set;
    return set;
}

// For each desk with moving views, the tiles covered by where each stood and where its next frame
// took it when it was counted: a view that starts or ends adds or takes back its own places.
struct Couverture {
    explicit Couverture(const QRectF& area) : extent(area) {}
    ZEVRepaintExtent extent;
    std::size_t moves = 0;
};
std::unordered_map<const QGraphicsScene*, Couverture>& couvertures()
{
    static std::unordered_map<const QGraphicsScene*, Couverture> map;
    return map;
}

// Ease in and out: slow at both ends.
double adoucir(double t) { return t * t * (3 - 2 * t); }

QRectF entre(const QRectF& a, const QRectF& b, double t)
{
    return QRectF(a.x() + (b.x() - a.x()) * t, a.y() + (b.y() - a.y()) * t, a.width() + (b.width() - a.width()) * t,
                  a.height() + (b.height() - a.height()) * t);
}
} // namespace

// ---- the move ----

void ZEVItemPlacement::moveTo(const ZEVIconPosition& position, double d)
{
    // A new placement replaces a running one from where that one stands.
    Scheduler* sched = Scheduler::hasShared() ? &Scheduler::shared() : nullptr;
    if (sched) {
        sched->cancel(view_.cible(), kAnimation);
        sched->cancel(view_.cible(), kStopAnimation);
    }
    const QRectF to = view_.viewFrameForIconPosition(position);
    // A view told to go where it stands (a Search step re-places every Object it shows) has no
    // way to go: a second of frames for it would repaint the desk for nothing.
    if (d <= ZEVItemView::kSnapDuration || !sched || to == view_.frame()) {
        setRunning(false);
        view_.setFrame(to);
        view_.iconPosition_ = position;
        return;
    }
    setRunning(true);
    from_ = view_.frame();
    to_ = to;
    target_ = position;
    steps_ = std::max(1, static_cast<int>(std::ceil(d / ZEVItemView::kAnimationStep - 1e-9)));
    step_ = 0;
    delay_ = d / steps_;
    view_.iconPosition_ = position;
    recount();
    sched->perform(
        view_.cible(), kAnimation, delay_, [this] { step(); }, true);
}

std::size_t ZEVItemPlacement::runningCount() { return placementsEnCours; }

void ZEVItemPlacement::setRunning(bool running)
{
    if (running != running_) {
        running ? ++placementsEnCours : --placementsEnCours;
        if (running)
            enCours().insert(this);
        else
            enCours().erase(this);
    }
    running_ = running;
    if (!running)
        uncount();
}

void ZEVItemPlacement::uncount()
{
    if (!countedOn_)
        return;
    // The desk may be gone: it is only a key here.
    auto at = couvertures().find(countedOn_);
    countedOn_ = nullptr;
    if (at == couvertures().end())
        return;
    at->second.extent.remove(countedHere_);
    at->second.extent.remove(countedNext_);
    if (--at->second.moves == 0)
        couvertures().erase(at);
}

void ZEVItemPlacement::recount()
{
    uncount();
    const QGraphicsScene* scene = view_.scene();
    if (!running_ || !scene)
        return;
    // Until a frame asks about its desk, there is nothing to keep.
    auto c = couvertures().find(scene);
    if (c == couvertures().end())
        return;
    // Where it stands and, near enough for a share, where the frame takes it (y-up).
    const QRectF here = view_.sceneBoundingRect();
    const QRectF at = view_.frame();
    const QRectF next = entre(from_, to_, adoucir(double(step_ + 1) / steps_));
    countedOn_ = scene;
    countedHere_ = here;
    countedNext_ = here.translated(next.x() - at.x(), at.y() - next.y());
    c->second.extent.add(countedHere_);
    c->second.extent.add(countedNext_);
    ++c->second.moves;
}

bool ZEVItemPlacement::frameCoversMostOf(const QGraphicsScene& scene)
{
    // Each frame of many moving views paints the region of their places, as Qt gathers it from
    // each view's move; only when those cover most of the desk is the whole desk painted at once,
    // which spares building and clipping by that region. Frame after frame, each view moves a
    // little: the places counted at the first frame that asks answer for the frames after it,
    // and a view that starts or ends its move adds or takes back its own places, so that
    // hundreds of views starting and ending at their own moments never count all the others.
    auto c = couvertures().find(&scene);
    if (c != couvertures().end() && c->second.extent.area() == scene.sceneRect())
        return c->second.extent.mostOfTheArea();
    // The first frame to ask, or the desk changed size: its moving views are counted once.
    std::vector<ZEVItemPlacement*> counted;
    for (ZEVItemPlacement* p : enCours())
        if (p->countedOn_ == &scene || p->view_.scene() == &scene) {
            p->uncount();
            counted.push_back(p);
        }
    couvertures().erase(&scene);
    couvertures().try_emplace(&scene, scene.sceneRect());
    for (ZEVItemPlacement* p : counted)
        p->recount();
    c = couvertures().find(&scene);
    if (c->second.moves == 0) {
        couvertures().erase(c);
        return false;
    }
    return c->second.extent.mostOfTheArea();
}

void ZEVItemPlacement::step()
{
    if (placementsEnCours > kZEVVuesDeMasse)
        if (QGraphicsScene* s = view_.scene(); s && frameCoversMostOf(*s))
            s->update();
    ++step_;
    if (step_ >= steps_) {
        setRunning(false);
        view_.setFrame(to_);
        view_.iconPosition_ = target_;
        return;
    }
    view_.setFrame(entre(from_, to_, adoucir(double(step_) / steps_)));
    // The view's place is where it goes: a recall or a copy taken while it moves takes that place,
    // not a point on the way.
    view_.iconPosition_ = target_;
    Scheduler::shared().perform(
        view_.cible(), kAnimation, delay_, [this] { step(); }, true);
}

// ---- the restore blink ----

void ZEVItemRestoreBlink::start()
{
    if (on_)
        return;
    on_ = true;
    lit_ = false;
    toggle();
}

void ZEVItemRestoreBlink::toggle()
{
    lit_ = !lit_;
    view_.update();
    // On for 0.5 s, off for 0.25 s.
    Scheduler::shared().perform(
        view_.cible(), kBlink, lit_ ? 0.5 : 0.25, [this] { toggle(); }, true);
}

void ZEVItemRestoreBlink::cancel()
{
    if (on_)
        off();
}

void ZEVItemRestoreBlink::stop() { off(); }

void ZEVItemRestoreBlink::off()
{
    Scheduler::shared().cancel(view_.cible(), kBlink);
    on_ = false;
    lit_ = false;
    view_.update();
}

void ZEVItemRestoreBlink::set(bool on, bool lit)
{
    on_ = on;
    lit_ = lit;
    view_.update();
}

} // namespace tallomer
