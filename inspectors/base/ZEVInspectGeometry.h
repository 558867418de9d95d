#pragma once
// Where an inspector panel lies, as pure functions of its kind's sizes and of the front area
// (the desk canvas less the open header views). Everything is y-up, in the front area's points:
// the panel hangs from the area's top edge like a blind, its bar along its bottom edge. A panel
// rect's 20 points left, right and below are the shadow's margin.

#include <QRectF>
#include <QString>

namespace tallomer {

// A kind's sizes: the smallest panel, the kept geometry and the bar's thickness.
struct ZEVInspectMetrics {
    double minWidth = 500;
    double minHeight = 75;
    double initialX = 100;
    double initialWidth = 600;
    double initialHeight = 300;
    double barWidth = 35;
};

// The zone of a press: which part of the panel a drag moves.
enum ZEVInspectZone {
    ZEVInspectZoneRight = 0,
    ZEVInspectZoneMiddle = 1,
    ZEVInspectZoneLeft = 2,
    ZEVInspectZoneNone = 3
};

namespace ZEVInspectGeometry {

// The kept geometry's largest believable value; beyond it a stored value is taken as damaged.
inline constexpr double kAbsurd = 100000.0;

// F is the front area, Hh the open header views' height.
QRectF closedRect(const ZEVInspectMetrics& m, const QRectF& F, double Hh);
QRectF openedRect(const ZEVInspectMetrics& m, const QRectF& F, double Hh);
// A frame hung again from the top edge of the area F after the header views over it grew or
// shrank: its top 10 points above F's top, its bottom where it was while the panel keeps at least
// its smallest height.
QRectF rehung(const ZEVInspectMetrics& m, const QRectF& frame, const QRectF& F);
// The frame a request becomes while no press runs (S: the front area).
QRectF constrainedFrame(const ZEVInspectMetrics& m, const QRectF& S, const QRectF& r);
// The zone of a press at front x mx on a panel of that x and width.
ZEVInspectZone zoneForX(double frameX, double frameWidth, double mx);

// One step of a drag by (dx, dy): the new frame, and whether the pointer's reference stays (the
// frame met a limit on that axis, so the edge catches up only when the pointer comes back).
struct DragStep {
    QRectF frame;
    bool keepX = false;
    bool keepY = false;
};
DragStep drag(const ZEVInspectMetrics& m, ZEVInspectZone zone, const QRectF& frame, const QRectF& S, double dx,
              double dy);

// The content (the panel less the shadow's margin) and the bar, in the panel's own y-up points.
QRectF inspectRect(double width, double height);
QRectF inspectBarRect(double width, double barWidth);

// A stored X, W or H as the kind keeps it: a value that is not a finite number in [0, kAbsurd]
// (a width or height of 0 included) reads as `initial`, with a log line naming the key.
double readKept(const QString& key, double stored, bool present, double initial, bool allowZero);

} // namespace ZEVInspectGeometry

} // namespace tallomer
