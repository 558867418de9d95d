#include "objects/viewer/ZEVItemConnexion.h"

#include "engine/KELLien.h"
#include "services/ZEVSpaceForObjectViews.h"
#include "services/ZEVItemViewForDesks.h"
#include "objects/drawing/ZEVItemDrawing.h"

#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace tallomer {

ZEVItemConnexion::ZEVItemConnexion(ZEVSpaceForObjectViews* space, ZEVDeskViewerForObjectViews* deskViewer,
                                   KELI* lienConnexion, KELI* parentItem, KELI* enfantItem)
    : space_(space), deskViewer_(deskViewer), lienConnexion_(lienConnexion), parentItem_(parentItem),
      enfantItem_(enfantItem)
{
    if (lienConnexion_) {
        parentInt_ = lienConnexion_->parentInt();
        enfantInt_ = lienConnexion_->enfantInt();
    }
}

ZEVItemViewForDesks* ZEVItemConnexion::srcItemView()
{
    if (!srcItemView_ && deskViewer_ && parentItem_)
        srcItemView_ = deskViewer_->itemViewForItem(parentItem_);
    return srcItemView_;
}

ZEVItemViewForDesks* ZEVItemConnexion::dstItemView()
{
    if (!dstItemView_ && deskViewer_ && enfantItem_)
        dstItemView_ = deskViewer_->itemViewForItem(enfantItem_);
    return dstItemView_;
}

void ZEVItemConnexion::oublierItemView(const ZEVItemViewForDesks* view)
{
    if (srcItemView_ == view)
        srcItemView_ = nullptr;
    if (dstItemView_ == view)
        dstItemView_ = nullptr;
}

bool ZEVItemConnexion::siVisible(ZEVItemViewForDesks* view) const { return view && !view->isHidden(); }

bool ZEVItemConnexion::siEffective() { return siVisible(srcItemView()) && siVisible(dstItemView()); }

void ZEVItemConnexion::setSiAjoute(bool flag)
{
    siAjouteCount_ = std::max<std::int64_t>(0, siAjouteCount_ + (flag ? 1 : -1));
}

void ZEVItemConnexion::setSiActif(bool flag) { siActifCount_ += flag ? 1 : -1; }

void ZEVItemConnexion::setSiFutur(bool flag)
{
    siFuturCount_ = std::max<std::int64_t>(0, siFuturCount_ + (flag ? 1 : -1));
    if (siAjouteCount_ == 0)
        siFuturCount_ = 0;
}

namespace {

QPointF centreOf(ZEVItemViewForDesks* view, const QPointF& fallback)
{
    return view ? view->imageFrame().center() : fallback;
}

} // namespace

QPointF ZEVItemConnexion::dragSrcPoint()
{
    dragSrcPoint_ = centreOf(srcItemView(), dragSrcPoint_);
    return dragSrcPoint_;
}

QPointF ZEVItemConnexion::dragDstPoint()
{
    dragDstPoint_ = centreOf(dstItemView(), dragDstPoint_);
    return dragDstPoint_;
}

std::pair<QPointF, QPointF> ZEVItemConnexion::RadiusCorrection(const QPointF& s, const QPointF& d, double rs,
                                                                double rd)
{
    const QPointF v = d - s;
    const double l = std::hypot(v.x(), v.y());
    if (rs + rd >= l)
        return {s, s};
    return {s + v * (rs / l), d - v * (rd / l)};
}

QPointF ZEVItemConnexion::dragSrcPointWithRadiusCorrection() const
{
    return RadiusCorrection(dragSrcPoint_, dragDstPoint_, dragSrcRadius_, dragDstRadius_).first;
}

QPointF ZEVItemConnexion::dragDstPointWithRadiusCorrection() const
{
    return RadiusCorrection(dragSrcPoint_, dragDstPoint_, dragSrcRadius_, dragDstRadius_).second;
}

bool ZEVItemConnexion::siConnexionContainsPoint(const QPointF& point) const
{
    const auto [s, d] = RadiusCorrection(dragSrcPoint_, dragDstPoint_, dragSrcRadius_, dragDstRadius_);
    const QPointF v = d - s;
    const double l = std::hypot(v.x(), v.y());
    if (l == 0)
        return false;
    const QPointF n(-v.y() * kHitHalfWidth / l, v.x() * kHitHalfWidth / l);
    QPainterPath band;
    band.moveTo(s + n);
    band.lineTo(s - n);
    band.lineTo(d - n);
    band.lineTo(d + n);
    band.closeSubpath();
    return band.contains(point);
}

bool ZEVItemConnexion::siConnectedForFrontMode(int mode)
{
    if (!space_)
        return false;
    ZEVSpaceForObjectViews* s = space_;
    KELI* dragging = s->draggingItem();
    switch (mode) {
    case ZEVFrontModeLinks:
        if (dragging)
            return siConnectedToItem(dragging);
        return s->isLinkSelectedForConnexion(this);
    case ZEVFrontModeFilters:
        if (dragging)
            return siConnectedToItem(dragging);
        if ((deskViewer_ && deskViewer_->siSelectedIconAuDrag()) || s->selectedFilterItems().empty())
            return parentOuEnfant([s](KELI* o) { return s->isIconSelectedForItem(o); });
        return parentOuEnfant([s](KELI* o) { return s->isFilterSelectedForItem(o); });
    case ZEVFrontModeTitles:
        return parentOuEnfant([s](KELI* o) { return s->isTitleSelectedForItem(o); });
    default:
        return parentOuEnfant([s](KELI* o) { return s->isIconSelectedForItem(o); });
    }
}

} // namespace tallomer
