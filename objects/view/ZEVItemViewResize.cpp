// An Object view resized by the wheel or a pinch: the icon follows at once, and the new size is
// stored once, when the gesture has settled.

#include "objects/view/ZEVItemView.h"

#include "desk/view/ZEVDeskView.h"
#include "objects/viewer/ZEVItemViewer.h"
#include "runtime/Scheduler.h"
#include "services/ZEVFrontViewerServices.h"
#include "services/ZEVSpaceForObjectViews.h"
#include "space/desk/ZEVDeskGeometry.h"

#include <algorithm>
#include <cmath>

namespace tallomer {

namespace {
constexpr char kScrollWheelStop[] = "_scrollWheelStop";
constexpr double kWheelStep = -0.005;
} // namespace

bool ZEVItemView::stopSiSrollWheelStart()
{
    if (!siSrollWheelStart_)
        return false;
    Scheduler::shared().cancel(cible(), kScrollWheelStop);
    if (auto* desk = dynamic_cast<ZEVDeskView*>(scene()))
        desk->setSiScrollingItemView(false);
    siSrollWheelStart_ = false;
    return true;
}

void ZEVItemView::scrollWheelStop()
{
    siSrollWheelStart_ = false;
    if (auto* desk = dynamic_cast<ZEVDeskView*>(scene()))
        desk->setSiScrollingItemView(false);
    siItemViewAccepteMaj_ = true;
    if (itemViewer_)
        itemViewer_->userChangePosition(iconPosition_, savedIconPosition_, this);
}

void ZEVItemView::resize(double factor, bool pendantLeDeplacement)
{
    ZEVSpaceForObjectViews* s = space();
    ZEVDeskGeometry* geo = s ? s->deskGeometry() : nullptr;
    const double max = geo ? static_cast<float>(geo->spaceRatioMaxSize()) : 0;
    const double min = geo ? static_cast<float>(geo->spaceRatioMinSize()) : 0;
    const double taille = iconPosition_.size;
    if (pendantLeDeplacement) {
        double n = taille * factor;
        if (max > 0)
            n = std::min(max, n);
        n = std::max(min, n);
        if (n == taille || !std::isfinite(n))
            return;
        ZEVIconPosition p = iconPosition_;
        p.size = n;
        setIconPosition(p, 0);
        return;
    }
    double n = taille * factor;
    if (max > 0 && n > max) {
        n = max;
        factor = max / taille;
    } else if (n < min) {
        n = min;
        factor = min / taille;
    }
    // A place that is no place is never shown: the store refuses it anyway.
    if (n == taille || !std::isfinite(n) || !(factor > 0))
        return;
    ZEVIconPosition p = iconPosition_;
    if (geo) {
        const ZEVLimitRect L = geo->spaceRatioLimitRect();
        const QRectF f = imageFrame();
        const QPointF c = imageCentre();
        const double ex = c.x() + f.width() / factor - f.width() / 2;
        if (ex < L.minX)
            p.x += L.minX - ex;
        const double ey = c.y() + f.height() / factor - f.height() / 2;
        if (ey < L.minY)
            p.y += L.minY - ey;
    }
    p.size = n;
    p.angle = iconAngle_;
    setIconPosition(p, 0);
    if (s && s->siShowLinks())
        if (ZEVFrontViewerServices* f = s->frontViewer())
            f->displayFrontView();
}

bool ZEVItemView::scrollWheel(const QPointF& p, double deltaY, bool natural)
{
    ZEVSpaceForObjectViews* s = space();
    if (!itemViewer_ || !s || !hitRect().contains(p) || s->siNSCursorHidden())
        return false;
    const int mode = s->frontMode();
    const bool choisi = mode == ZEVFrontModeIcons    ? s->isIconSelectedForItem(item_)
                        : mode == ZEVFrontModeTitles  ? s->isTitleSelectedForItem(item_)
                        : mode == ZEVFrontModeFilters ? s->isFilterSelectedForItem(item_)
                        : mode == ZEVFrontModeLinks   ? s->isNodeSelectedForItem(item_)
                                                      : true;
    if (!choisi)
        return false;
    return resizeStep(1 + (natural ? 1.0 : -1.0) * (deltaY * kWheelStep), true);
}

void ZEVItemView::magnifyItemViewWithEvent(double magnification)
{
    ZEVSpaceForObjectViews* s = space();
    if (!itemViewer_ || !s || s->siNSCursorHidden())
        return;
    resizeStep(1 + magnification, false);
}

bool ZEVItemView::resizeStep(double factor, bool eachStepCancelsLongPress)
{
    if (siMouseDragged_) {
        resize(factor, true);
        return true;
    }
    if (!siSrollWheelStart_) {
        ZEVSpaceForObjectViews* s = space();
        if (!s || !s->siRulerAccepteDeplacement())
            return false;
        if (auto* desk = dynamic_cast<ZEVDeskView*>(scene()))
            desk->setSiScrollingItemView(true);
        snapAnimation();
        siItemViewAccepteMaj_ = false;
        siSrollWheelStart_ = true;
        saveIconPosition();
        if (!eachStepCancelsLongPress)
            mouseDownRappelCancel();
    }
    if (eachStepCancelsLongPress)
        mouseDownRappelCancel();
    Scheduler::shared().cancel(cible(), kScrollWheelStop);
    Scheduler::shared().perform(cible(), kScrollWheelStop, kResizeEnd, [this] { scrollWheelStop(); });
    resize(factor, false);
    return true;
}

} // namespace tallomer
