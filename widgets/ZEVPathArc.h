#pragma once
// The arc "from the current point, tangent to two lines, with a radius" that the drawing of
// Object views builds its tabs with. QPainterPath has no such call: this adds it.

#include <QPainterPath>
#include <QPointF>

namespace tallomer {

// Where the arc touched its two lines; `arc` is false when no arc could be made (no current
// point, a radius of zero or less, or the three points on one line) and a straight line to
// `corner` was added instead.
struct ZEVArcTangents {
    bool arc = false;
    QPointF first;  // on the line from the current point to the corner
    QPointF second; // on the line from the corner to `end`; the path's new current point
    QPointF centre;
};

// From the path's current point, adds a straight line to the first tangent point, then the arc
// of `radius` tangent to the line (current point → corner) and to the line (corner → end).
// Works the same in y-up and y-down coordinates. An empty path starts at `corner`.
ZEVArcTangents addArcToPoint(QPainterPath& path, const QPointF& corner, const QPointF& end,
                             qreal radius);

} // namespace tallomer
