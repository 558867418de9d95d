#include "objects/view/ZEVPaintCut.h"

#include "widgets/ZEVBlitBatch.h"

#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace tallomer {

void drawImageCut(QPainter& painter, const QPointF& at, const QImage& image, const ZEVPaintCut* cut)
{
    const QTransform& t = painter.transform();
    if (!cut || t.type() > QTransform::TxTranslate) {
        ZEVBlitBatch::drawImage(painter, at, image);
        return;
    }
    // The engine sets a whole image's corner on the nearest device pixel, and a part given that
    // pixel lands where the whole image puts it; but for a corner near half way between two,
    // where the engine's own rounding may go either way, the whole image is drawn.
    const double x = at.x() + t.dx(), y = at.y() + t.dy();
    const auto nearHalf = [](double v) { return std::abs(v - std::floor(v) - 0.5) < 1.0 / 32; };
    if (nearHalf(x) || nearHalf(y)) {
        ZEVBlitBatch::drawImage(painter, at, image);
        return;
    }
    const int x0 = int(std::floor(x + 0.5)), y0 = int(std::floor(y + 0.5));
    const int x1 = x0 + image.width(), y1 = y0 + image.height();
    for (const QRect& r : *cut) {
        const int l = std::max(x0, r.x()), top = std::max(y0, r.y());
        const int w = std::min(x1, r.x() + r.width()) - l, h = std::min(y1, r.y() + r.height()) - top;
        if (w > 0 && h > 0)
            ZEVBlitBatch::drawImage(painter, QRectF(l - t.dx(), top - t.dy(), w, h), image,
                                    QRectF(l - x0, top - y0, w, h));
    }
}

} // namespace tallomer
