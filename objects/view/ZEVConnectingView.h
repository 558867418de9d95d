#pragma once
// The band drawn while the user links Objects: one rubber line from each source Object view to the
// pointer, with a ring at each end, over the whole desk canvas. The front view paints it above the
// link lines; the drag overlay that starts a link drag fills it, and empties it when the drag ends.
//
// Points are y-up in the desk canvas' points. A line keeps its source view without owning it: a
// view that goes while a drag runs takes its line with it (every live band hears of it).

#include <QPointF>

#include <vector>

class KELI;
class QPainter;

namespace tallomer {

class ZEVItemView;

class ZEVConnectingLine {
public:
    ZEVConnectingLine(ZEVItemView* srcView, const QPointF& dstPoint, double srcRadius, double dstRadius);

    ZEVItemView* dragSrcView() const { return srcView_; }
    QPointF dragDstPoint() const { return dstPoint_; }
    void setDragDstPoint(const QPointF& p) { dstPoint_ = p; }
    double dragSrcRadius() const { return srcRadius_; }
    double dragDstRadius() const { return dstRadius_; }
    bool siDejaConnecte() const { return dejaConnecte_; }
    void setSiDejaConnecte(bool flag) { dejaConnecte_ = flag; }

    // The source view's icon centre, read afresh.
    QPointF dragSrcPoint();
    // The ends pulled in to their circles; both the source point when the circles meet. The
    // source one reads the source point afresh, the end one uses the point last read.
    QPointF dragSrcPointWithRadiusCorrection();
    QPointF dragDstPointWithRadiusCorrection() const;

    // The two corrected ends of a segment from s to d with radii rs and rd.
    static void radiusCorrection(const QPointF& s, const QPointF& d, double rs, double rd, QPointF* cs, QPointF* cd);

private:
    ZEVItemView* srcView_; // not owned
    QPointF srcPoint_;
    QPointF dstPoint_;
    double srcRadius_;
    double dstRadius_;
    bool dejaConnecte_ = false;
};

class ZEVConnectingView {
public:
    ZEVConnectingView();
    ~ZEVConnectingView();
    ZEVConnectingView(const ZEVConnectingView&) = delete;
    ZEVConnectingView& operator=(const ZEVConnectingView&) = delete;

    // Hidden between link drags.
    bool isHidden() const { return hidden_; }
    void setHidden(bool hidden) { hidden_ = hidden; }

    void addConnectingLineWithSrcView(ZEVItemView* srcView, const QPointF& dstPoint, double srcRadius,
                                      double dstRadius);
    void updateConnectingLinesWithDstPoint(const QPointF& p);
    // Each line learns whether its source Object is linked to `item` (either way); nullptr clears.
    void updateConnectingLinesWithDstItem(KELI* item);
    void removeConnectingLines() { lines_.clear(); }
    const std::vector<ZEVConnectingLine>& connectingLines() const { return lines_; }

    // Paints the band on a device `height` pixels high (y-up points turn y-down there): a dark
    // edge 6 wide for all lines at once, then each line's white core, 4 wide when it is already
    // linked, else 1. Nothing with no line or while hidden.
    void drawRect(QPainter& painter, double height);

    // A view is going: every band drops the lines that start from it.
    static void itemViewGone(const ZEVItemView* view);

private:
    std::vector<ZEVConnectingLine> lines_;
    bool hidden_ = true;
};

} // namespace tallomer
