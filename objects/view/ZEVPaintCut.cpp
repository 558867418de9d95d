#include "objects/view/ZEVPaintCut.h"

#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace tallomer {

void drawImageCut(QPainter& painter, const QPointF& at, const QImage& image, const ZEVPaintCut* cut)
{
    const QTransform& t = painter.transform();
    if (!cut || t.type() > QTransform::TxTranslate) {
        painter.drawImage(at, image);
        return;
    }
    // Set between device pixels, the engine rounds the corner: a part of the image would round
    // on its own and could land a pixel away from where the whole image puts it.
    const double x = at.x() + t.dx(), y = at.y() + t.dy();
    const double left = std::round(x), top = std::round(y);
    if (std::abs(x - left) > 1e-6 || std::abs(y - top) > 1e-6) {
        painter.drawImage(at, image);
        return;
    }
    const int x0 = int(left), y0 = int(top), x1 = x0 + image.width(), y1 = y0 + image.height();
    for (const QRect& r : *cut) {
        const int l = std::max(x0, r.x()), t = std::max(y0, r.y());
        const int w = std::min(x1, r.x() + r.width()) - l, h = std::min(y1, r.y() + r.height()) - t;
        if (w > 0 && h > 0)
            painter.drawImage(QRectF(at.x() + (l - x0), at.y() + (t - y0), w, h), image, QRectF(l - x0, t - y0, w, h));
    }
}

} // namespace tallomer
