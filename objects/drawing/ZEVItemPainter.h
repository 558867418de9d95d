#pragma once
// Paints an Object view's marks as decided by ZEVItemDrawing. Shapes are built y-up in the
// view's own coordinates, then turned over once for Qt.

#include "objects/drawing/ZEVItemDrawing.h"
#include "objects/drawing/ZEVItemPalette.h"
#include "objects/drawing/ZEVShadowCache.h"

#include <QPainterPath>
#include <QRectF>
#include <QSizeF>

class QPainter;

namespace tallomer {

// Where the view's parts are, y-up, in the view's own coordinates.
struct ZEVItemDrawGeometry {
    QSizeF viewSize;
    QRectF imageFrame; // the icon image
    QRectF titleFrame; // the title field

    // The layout of a view of that size: the image with margins of 50 left, right and top and
    // 55 below, the title line under it.
    static ZEVItemDrawGeometry forViewSize(const QSizeF& size);

    // The image's frame grown by 10 on every side: the plate and the line.
    QRectF backFrame() const { return imageFrame.adjusted(-10, -10, 10, 10); }
    QPointF centre() const { return imageFrame.center(); }
};

class ZEVItemPainter {
public:
    static constexpr qreal kTabDepth = 12;

    // The shape, y-up, in the view's coordinates.
    static QPainterPath shape(ZEVItemShape shape, const ZEVItemDrawGeometry& g);

    // Paints the plan's operations in order on a painter set to the view's Qt coordinates.
    static void paint(QPainter& painter, const ZEVItemDrawPlan& plan, const ZEVItemDrawGeometry& g,
                      const ZEVItemPalette& palette, ZEVShadowCache& shadows = ZEVShadowCache::shared());
};

} // namespace tallomer
