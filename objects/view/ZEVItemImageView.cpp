#include "objects/view/ZEVItemImageView.h"

#include "objects/view/ZEVInkedPixels.h"
#include "widgets/ZEVBlitBatch.h"

#include <QCache>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <memory>

namespace tallomer {

void ZEVItemImageView::setSize(const QSizeF& size) { resize(size); }

void ZEVItemImageView::setImage(const QImage& image)
{
    image_ = image;
    update();
}

void ZEVItemImageView::setOpacity(qreal alpha)
{
    const double clamped = std::clamp(alpha, qreal(0), qreal(1));
    if (clamped == alpha_)
        return;
    alpha_ = clamped;
    update();
}

namespace {

// The images scaled for the sizes they show at, shared by every view: one stand-in icon shows on
// hundreds of Objects. Bounded by their bytes; the least recently drawn go first.
struct Scaled {
    QImage image;
    // The part that holds any pixel, and where it lies in the image. Type icons leave a
    // transparent margin around their shape, which a full desk would otherwise blend thousands
    // of times for nothing. The image itself (shared, not copied) when it has no margin.
    QImage inked;
    QPoint offset;
    // The largest wholly opaque part, in the scaled image's pixels, and each row's opaque run.
    QRect opaque;
    std::shared_ptr<const ZEVOpaqueRuns> runs;
};

// Every row of an image without alpha is opaque from end to end.
std::shared_ptr<const ZEVOpaqueRuns> runsOf(const QImage& premultiplied)
{
    return std::make_shared<const ZEVOpaqueRuns>(
        premultiplied.hasAlphaChannel()
            ? opaqueRuns(premultiplied)
            : ZEVOpaqueRuns(std::size_t(premultiplied.height()), {0, premultiplied.width()}));
}

QCache<QPair<qint64, QSize>, Scaled>& scaledImages()
{
    static QCache<QPair<qint64, QSize>, Scaled> cache(48 * 1024 * 1024);
    return cache;
}

// The image scaled to `pixels` with its inked part; null when it is the image at its own size.
const Scaled* scaledEntry(const QImage& image, const QSize& pixels)
{
    if (pixels == image.size())
        return nullptr;
    const QPair<qint64, QSize> key(image.cacheKey(), pixels);
    if (const Scaled* hit = scaledImages().object(key))
        return hit;
    QImage scaled = image.scaled(pixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    // Premultiplied, the one format the painter blends without converting each line first.
    if (scaled.hasAlphaChannel() && scaled.format() != QImage::Format_ARGB32_Premultiplied)
        scaled = scaled.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const QRect ink = scaled.hasAlphaChannel() ? inkedPixels(scaled, scaled.size()) : scaled.rect();
    auto* entry = new Scaled{scaled, ink == scaled.rect() ? scaled : scaled.copy(ink), ink.topLeft(),
                             scaled.hasAlphaChannel() ? opaquePixels(scaled) : scaled.rect(), runsOf(scaled)};
    const qsizetype cost = std::max<qsizetype>(1, scaled.sizeInBytes()) +
                           (ink == scaled.rect() ? 0 : entry->inked.sizeInBytes());
    if (cost > scaledImages().maxCost()) {
        // Larger than the whole cache: made again at its next paint.
        static std::unique_ptr<Scaled> uncached;
        uncached.reset(entry);
        return entry;
    }
    scaledImages().insert(key, entry, cost);
    return entry;
}

// The largest wholly opaque part of an image shown at its own size and its rows' opaque runs,
// by image.
struct OwnOpaque {
    QRect part;
    std::shared_ptr<const ZEVOpaqueRuns> runs;
};

OwnOpaque opaqueAtOwnSize(const QImage& image)
{
    static QCache<qint64, OwnOpaque> parts(256);
    if (const OwnOpaque* hit = parts.object(image.cacheKey()))
        return *hit;
    const QImage premultiplied = !image.hasAlphaChannel() || image.format() == QImage::Format_ARGB32_Premultiplied
                                     ? image
                                     : image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    auto* own = new OwnOpaque{image.hasAlphaChannel() ? opaquePixels(premultiplied) : image.rect(),
                              runsOf(premultiplied)};
    const OwnOpaque out = *own;
    parts.insert(image.cacheKey(), own);
    return out;
}

} // namespace

QRectF ZEVItemImageView::drawnRectInView(double alpha) const
{
    if (hiddenItself() || alpha <= 0 || image_.isNull() || size_.isEmpty())
        return {};
    return target(pos());
}

QRectF ZEVItemImageView::opaqueRectInView(double alpha) const
{
    const QRectF drawn = drawnRectInView(alpha);
    const QSize pixels = drawn.size().toSize();
    if (alpha < 1 || pixels.isEmpty())
        return {};
    followOpaque(pixels);
    return opaquePart_.isEmpty() ? QRectF()
                                 : QRectF(drawn.topLeft() + opaquePart_.topLeft(), QSizeF(opaquePart_.size()));
}

ZEVItemImageView::OpaqueRows ZEVItemImageView::opaqueRowsInView(double alpha) const
{
    const QRectF drawn = drawnRectInView(alpha);
    const QSize pixels = drawn.size().toSize();
    if (alpha < 1 || pixels.isEmpty())
        return {};
    followOpaque(pixels);
    if (opaquePart_.isEmpty())
        return {};
    return {drawn.topLeft(), opaqueRuns_};
}

void ZEVItemImageView::followOpaque(const QSize& pixels) const
{
    if (opaqueKey_ == image_.cacheKey() && opaqueAt_ == pixels)
        return;
    if (const Scaled* entry = scaledEntry(image_, pixels)) {
        opaquePart_ = entry->opaque;
        opaqueRuns_ = entry->runs;
    } else {
        const OwnOpaque own = opaqueAtOwnSize(image_);
        opaquePart_ = own.part;
        opaqueRuns_ = own.runs;
    }
    opaqueKey_ = image_.cacheKey();
    opaqueAt_ = pixels;
}

const QImage& ZEVItemImageView::scaledFor(const QImage& image, const QSize& pixels)
{
    const Scaled* entry = scaledEntry(image, pixels);
    return entry ? entry->image : image;
}

QRectF ZEVItemImageView::target(const QPointF& corner) const
{
    // Scaled down only, proportionally, standing on the bottom and centred across.
    QSizeF s = image_.size();
    if (s.width() > size_.width() || s.height() > size_.height())
        s = s.scaled(size_, Qt::KeepAspectRatio);
    return QRectF(corner.x() + (size_.width() - s.width()) / 2, corner.y() + size_.height() - s.height(), s.width(),
                  s.height());
}

void ZEVItemImageView::paint(QPainter& painter)
{
    if (image_.isNull() || size_.isEmpty())
        return;
    drawAt(painter, target(QPointF(0, 0)), image_);
}

void ZEVItemImageView::paintInView(QPainter& painter, const ZEVPaintCut* cut) const
{
    if (hiddenItself() || alpha_ <= 0 || image_.isNull() || size_.isEmpty())
        return;
    const qreal opacity = painter.opacity();
    if (alpha_ < 1)
        painter.setOpacity(opacity * alpha_);
    drawAt(painter, target(pos()), image_, cut);
    if (alpha_ < 1)
        painter.setOpacity(opacity);
}

void ZEVItemImageView::drawAt(QPainter& painter, const QRectF& target, const QImage& image, const ZEVPaintCut* cut)
{
    const QSize pixels = target.size().toSize();
    const QTransform& t = painter.transform();
    if (pixels.isEmpty() || t.type() > QTransform::TxTranslate) {
        ZEVBlitBatch::flush(painter);
        painter.save();
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(target, image);
        painter.restore();
        return;
    }
    // Scaled once for its size, not at every paint, and set on a whole device pixel: a plain
    // blit, where a place between pixels would resample the whole image at every paint.
    const QPointF device = t.map(target.topLeft());
    const QPointF at(std::round(device.x()) - t.dx(), std::round(device.y()) - t.dy());
    if (const Scaled* entry = scaledEntry(image, pixels)) {
        if (!entry->inked.isNull())
            drawImageCut(painter, at + entry->offset, entry->inked, cut);
    } else {
        drawImageCut(painter, at, image, cut);
    }
}

} // namespace tallomer
