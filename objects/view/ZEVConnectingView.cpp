#include "objects/view/ZEVConnectingView.h"

#include "objects/view/ZEVItemView.h"
#include "objects/viewer/ZEVItemViewer.h"
#include "platform/SystemColours.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <set>

namespace tallomer {

namespace {
// Every band alive, so that a view going can be dropped from all of them; main thread only.
std::set<ZEVConnectingView*>& bands()
{
    static std::set<ZEVConnectingView*> s;
    return s;
}

QPointF down(double h, const QPointF& p) { return QPointF(p.x(), h - p.y()); }
} // namespace

ZEVConnectingLine::ZEVConnectingLine(ZEVItemView* srcView, const QPointF& dstPoint, double srcRadius, double dstRadius)
    : srcView_(srcView), dstPoint_(dstPoint), srcRadius_(srcRadius), dstRadius_(dstRadius)
{
    if (srcView_)
        srcPoint_ = srcView_->imageCentre();
}

QPointF ZEVConnectingLine::dragSrcPoint()
{
    if (srcView_)
        srcPoint_ = srcView_->imageCentre();
    return srcPoint_;
}

void ZEVConnectingLine::radiusCorrection(const QPointF& s, const QPointF& d, double rs, double rd, QPointF* cs,
                                         QPointF* cd)
{
    const QPointF v = d - s;
    const double l = std::hypot(v.x(), v.y());
    if (rs + rd >= l) {
        *cs = s;
        *cd = s;
        return;
    }
    *cs = s + v * (rs / l);
    *cd = d - v * (rd / l);
}

QPointF ZEVConnectingLine::dragSrcPointWithRadiusCorrection()
{
    dragSrcPoint();
    QPointF cs, cd;
    radiusCorrection(srcPoint_, dstPoint_, srcRadius_, dstRadius_, &cs, &cd);
    return cs;
}

QPointF ZEVConnectingLine::dragDstPointWithRadiusCorrection() const
{
    QPointF cs, cd;
    radiusCorrection(srcPoint_, dstPoint_, srcRadius_, dstRadius_, &cs, &cd);
    return cd;
}

ZEVConnectingView::ZEVConnectingView()
{
    lines_.reserve(20);
    bands().insert(this);
}

ZEVConnectingView::~ZEVConnectingView() { bands().erase(this); }

void ZEVConnectingView::addConnectingLineWithSrcView(ZEVItemView* srcView, const QPointF& dstPoint, double srcRadius,
                                                     double dstRadius)
{
    if (srcView)
        lines_.emplace_back(srcView, dstPoint, srcRadius, dstRadius);
}

void ZEVConnectingView::updateConnectingLinesWithDstPoint(const QPointF& p)
{
    for (ZEVConnectingLine& l : lines_)
        l.setDragDstPoint(p);
}

void ZEVConnectingView::updateConnectingLinesWithDstItem(KELI* item)
{
    for (ZEVConnectingLine& l : lines_) {
        ZEVItemView* v = l.dragSrcView();
        ZEVItemViewer* iv = v ? v->itemViewer() : nullptr;
        l.setSiDejaConnecte(item && iv && iv->userAskIfItemIsConnectedWithItem(v->item(), item));
    }
}

void ZEVConnectingView::itemViewGone(const ZEVItemView* view)
{
    for (ZEVConnectingView* b : bands())
        std::erase_if(b->lines_, [view](const ZEVConnectingLine& l) { return l.dragSrcView() == view; });
}

void ZEVConnectingView::drawRect(QPainter& p, double h)
{
    if (hidden_ || lines_.empty())
        return;
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setBrush(Qt::NoBrush);
    struct Ends {
        QPointF cs, s, cd;
        double rs;
    };
    std::vector<Ends> ends;
    ends.reserve(lines_.size());
    for (ZEVConnectingLine& l : lines_) {
        Ends e;
        e.cs = l.dragSrcPointWithRadiusCorrection();
        e.s = l.dragSrcPoint();
        e.cd = l.dragDstPointWithRadiusCorrection();
        e.rs = l.dragSrcRadius();
        ends.push_back(e);
    }
    // All lines of a drag share one end point.
    const QPointF d = lines_.front().dragDstPoint();
    const double rd = lines_.front().dragDstRadius();
    auto addLine = [h](QPainterPath& path, const Ends& e) {
        path.moveTo(down(h, e.cd));
        path.lineTo(down(h, e.cs));
        path.addEllipse(down(h, e.s), e.rs, e.rs);
    };

    QPainterPath edge;
    edge.addEllipse(down(h, d), rd, rd);
    for (const Ends& e : ends)
        addLine(edge, e);
    p.strokePath(edge, QPen(systemDarkGrey(), 6));

    for (std::size_t i = 0; i < lines_.size(); ++i) {
        const bool deja = lines_[i].siDejaConnecte();
        QPainterPath core;
        if (i == 0 || deja)
            core.addEllipse(down(h, d), rd, rd);
        addLine(core, ends[i]);
        p.strokePath(core, QPen(Qt::white, deja ? 4 : 1));
    }
    p.restore();
}

} // namespace tallomer
