#include "widgets/ZEVPathArc.h"

#include <QLineF>
#include <QRectF>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace tallomer {

namespace {

constexpr qreal kEpsilon = 1e-9;

qreal length(const QPointF& v)
{
    return std::hypot(v.x(), v.y());
}

// QPainterPath::arcTo measures angles counter-clockwise with the y axis pointing down, so a
// point at angle a lies at centre + (r cos a, -r sin a). Reading the angle back the same way
// keeps the helper independent of which way y points.
qreal qtAngle(const QPointF& centre, const QPointF& p)
{
    return std::atan2(-(p.y() - centre.y()), p.x() - centre.x()) * 180.0 / std::numbers::pi;
}

} // namespace

ZEVArcTangents addArcToPoint(QPainterPath& path, const QPointF& corner, const QPointF& end,
                             qreal radius)
{
    ZEVArcTangents result;
    if (path.elementCount() == 0) {
        path.moveTo(corner);
        result.first = result.second = result.centre = corner;
        return result;
    }
    const QPointF start = path.currentPosition();
    const QPointF v1 = start - corner;
    const QPointF v2 = end - corner;
    const qreal l1 = length(v1);
    const qreal l2 = length(v2);
    const qreal cross = v1.x() * v2.y() - v1.y() * v2.x();
    if (!(radius > 0) || l1 < kEpsilon || l2 < kEpsilon || std::abs(cross) < kEpsilon * l1 * l2) {
        path.lineTo(corner);
        result.first = result.second = result.centre = corner;
        return result;
    }
    const QPointF u1 = v1 / l1;
    const QPointF u2 = v2 / l2;
    const qreal cosTheta = std::clamp(u1.x() * u2.x() + u1.y() * u2.y(), -1.0, 1.0);
    const qreal half = std::acos(cosTheta) / 2; // half the angle between the two lines
    const qreal tangentDistance = radius / std::tan(half);
    const QPointF bisector = (u1 + u2) / length(u1 + u2);

    result.arc = true;
    result.first = corner + u1 * tangentDistance;
    result.second = corner + u2 * tangentDistance;
    result.centre = corner + bisector * (radius / std::sin(half));

    const qreal startAngle = qtAngle(result.centre, result.first);
    qreal sweep = qtAngle(result.centre, result.second) - startAngle;
    // The tangent arc is always the short way round.
    while (sweep > 180)
        sweep -= 360;
    while (sweep <= -180)
        sweep += 360;
    path.lineTo(result.first);
    path.arcTo(QRectF(result.centre.x() - radius, result.centre.y() - radius, 2 * radius, 2 * radius),
               startAngle, sweep);
    return result;
}

} // namespace tallomer
