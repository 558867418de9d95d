#pragma once
// One drawn Link: the desk's model of the line between the icons of two Objects for the ordered
// pair (parent, child), as one cursor's item viewer sees it. It counts the pair's links by time
// state, finds the two Object views, pulls its ends in by a radius around each icon and answers
// whether a point hits it. The item viewer makes, owns and drops them; the front layer draws
// them and marks which it drew.

#include "engine/KELTypes.h"

#include <QPointF>

#include <cstdint>

class KELI;

namespace tallomer {

class ZEVSpaceForObjectViews;
class ZEVDeskViewerForObjectViews;
class ZEVItemViewForDesks;

class ZEVItemConnexion {
public:
    static constexpr double kRadius = 16;
    static constexpr double kHitHalfWidth = 3;

    // Nothing is owned. `space` and `deskViewer` may be null (no selection, no views).
    ZEVItemConnexion(ZEVSpaceForObjectViews* space, ZEVDeskViewerForObjectViews* deskViewer, KELI* lienConnexion,
                     KELI* parentItem, KELI* enfantItem);
    ZEVItemConnexion(const ZEVItemConnexion&) = delete;
    ZEVItemConnexion& operator=(const ZEVItemConnexion&) = delete;

    KELI* lienConnexion() const { return lienConnexion_; }
    KELId parentInt() const { return parentInt_; }
    KELId enfantInt() const { return enfantInt_; }
    KELI* parentItem() const { return parentItem_; }
    KELI* enfantItem() const { return enfantItem_; }
    double dragSrcRadius() const { return dragSrcRadius_; }
    double dragDstRadius() const { return dragDstRadius_; }
    bool siDisplayed() const { return siDisplayed_; }
    void setSiDisplayed(bool flag) { siDisplayed_ = flag; }

    // The Object views at the two ends, found on first need and kept; nullptr while none.
    ZEVItemViewForDesks* srcItemView();
    ZEVItemViewForDesks* dstItemView();
    // The view is going away: the Link stops keeping it.
    void oublierItemView(const ZEVItemViewForDesks* view);
    bool siEffective();
    bool siConnectedToItem(const KELI* item) const { return item && (item == parentItem_ || item == enfantItem_); }

    // added and future never fall below 0, and future is 0 while added is; active is not clamped.
    void setSiAjoute(bool flag);
    void setSiActif(bool flag);
    void setSiFutur(bool flag);
    bool siAjoute() const { return siAjouteCount_ > 0; }
    bool siActif() const { return siActifCount_ > 0; }
    bool siFutur() const { return siFuturCount_ > 0; }
    std::int64_t siAjouteCount() const { return siAjouteCount_; }
    std::int64_t siActifCount() const { return siActifCount_; }
    std::int64_t siFuturCount() const { return siFuturCount_; }

    // The icon centres, refreshed from the views; read them before the corrected points.
    QPointF dragSrcPoint();
    QPointF dragDstPoint();
    QPointF dragSrcPointWithRadiusCorrection() const;
    QPointF dragDstPointWithRadiusCorrection() const;
    // Whether the line is highlighted in that front mode.
    bool siConnectedForFrontMode(int mode);
    // Whether the point lies on the band of 3 points either side of the corrected segment.
    bool siConnexionContainsPoint(const QPointF& point) const;

    // The ends of a segment from `s` to `d` pulled in by `rs` and `rd`; both `s` when the
    // circles touch or overlap.
    static std::pair<QPointF, QPointF> RadiusCorrection(const QPointF& s, const QPointF& d, double rs, double rd);

private:
    bool siVisible(ZEVItemViewForDesks* view) const;
    template <class Test>
    bool parentOuEnfant(Test test) const
    {
        return test(parentItem_) || test(enfantItem_);
    }

    ZEVSpaceForObjectViews* space_;        // not owned
    ZEVDeskViewerForObjectViews* deskViewer_; // not owned
    KELI* lienConnexion_;                // links live for the run
    KELId parentInt_ = 0;
    KELId enfantInt_ = 0;
    KELI* parentItem_;
    KELI* enfantItem_;
    std::int64_t siAjouteCount_ = 0;
    std::int64_t siActifCount_ = 0;
    std::int64_t siFuturCount_ = 0;
    bool siDisplayed_ = false;
    ZEVItemViewForDesks* srcItemView_ = nullptr; // not owned; dropped when the view goes
    ZEVItemViewForDesks* dstItemView_ = nullptr; // not owned; dropped when the view goes
    QPointF dragSrcPoint_;
    QPointF dragDstPoint_;
    double dragSrcRadius_ = kRadius;
    double dragDstRadius_ = kRadius;
};

} // namespace tallomer
