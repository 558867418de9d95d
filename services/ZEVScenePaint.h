#pragma once
// A scene that the desk canvas tells, before each paint, which part of it the paint is about to
// draw: items that draw once and keep what they drew (the Object views' titles) draw it then for
// all of them together, rather than one by one as the paint reaches each.

#include <QRectF>
#include <QTransform>

namespace tallomer {

class ZEVScenePaint {
public:
    virtual ~ZEVScenePaint() = default;
    // What lies in `sceneRect` is painted next through `viewportTransform`, on a device of
    // `pixelRatio` device pixels per viewport pixel.
    virtual void willPaint(const QRectF& sceneRect, const QTransform& viewportTransform, qreal pixelRatio) = 0;
};

} // namespace tallomer
