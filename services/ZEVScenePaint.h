#pragma once
// A scene that the desk canvas tells, before each paint, which of its items the paint is about
// to draw: items that draw once and keep what they drew (the Object views' titles) draw it then
// for all of them together, rather than one by one as the paint reaches each.

#include <QList>
#include <QTransform>

class QGraphicsItem;

namespace tallomer {

class ZEVScenePaint {
public:
    virtual ~ZEVScenePaint() = default;
    // `items` (in no particular order) are painted next through `viewportTransform`, on a device
    // of `pixelRatio` device pixels per viewport pixel.
    virtual void willPaintItems(const QList<QGraphicsItem*>& items, const QTransform& viewportTransform,
                                qreal pixelRatio) = 0;
};

} // namespace tallomer
