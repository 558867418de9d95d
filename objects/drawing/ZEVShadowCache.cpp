#include "objects/drawing/ZEVShadowCache.h"

#include <QDataStream>
#include <QIODevice>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <vector>

namespace tallomer {

namespace {

// Shapes are compared by their elements, quantised to 1/64 point, relative to their bounds:
// the same silhouette anywhere in the view shares one shadow.
QByteArray keyFor(const QPainterPath& shape, qreal blur, const QColor& colour)
{
    QByteArray key;
    QDataStream out(&key, QIODevice::WriteOnly);
    const QRectF bounds = shape.boundingRect();
    const QPointF base(std::floor(bounds.x()), std::floor(bounds.y()));
    out << qRound(blur * 64) << colour.rgba() << static_cast<int>(shape.fillRule());
    for (int i = 0; i < shape.elementCount(); ++i) {
        const QPainterPath::Element e = shape.elementAt(i);
        out << static_cast<int>(e.type) << qRound((e.x - base.x()) * 64) << qRound((e.y - base.y()) * 64);
    }
    return key;
}

// One pass over a contiguous copy of a row or column, written back with the destination's
// stride, with a running sum; beyond the ends reads as transparent.
void blurLine(const QRgb* src, QRgb* dst, int count, int dstStride, int radius, std::vector<int>& sums)
{
    const int window = 2 * radius + 1;
    sums.assign(4, 0);
    auto add = [&](QRgb p, int sign) {
        sums[0] += sign * qAlpha(p);
        sums[1] += sign * qRed(p);
        sums[2] += sign * qGreen(p);
        sums[3] += sign * qBlue(p);
    };
    for (int i = 0; i < radius && i < count; ++i)
        add(src[i], 1);
    for (int i = 0; i < count; ++i) {
        const int in = i + radius;
        const int out = i - radius - 1;
        if (in < count)
            add(src[in], 1);
        if (out >= 0)
            add(src[out], -1);
        // Rounded, not truncated: truncation would lose up to a level per pass over the whole
        // spread and visibly thin the shadow.
        auto avg = [&](int s) { return (s + window / 2) / window; };
        dst[static_cast<std::ptrdiff_t>(i) * dstStride] = qRgba(avg(sums[1]), avg(sums[2]), avg(sums[3]), avg(sums[0]));
    }
}

} // namespace

ZEVShadowCache::ZEVShadowCache(int maxEntries) : cache_(std::max(1, maxEntries)) {}

ZEVShadowCache& ZEVShadowCache::shared()
{
    static ZEVShadowCache cache;
    return cache;
}

int ZEVShadowCache::boxRadiusForBlur(qreal blur)
{
    // The platform's blur radius is about two standard deviations of a Gaussian; three box
    // passes of radius r have a variance of r (r + 1).
    const qreal sigma = std::max<qreal>(0, blur) / 2;
    return std::max(1, static_cast<int>(std::lround((std::sqrt(1 + 4 * sigma * sigma) - 1) / 2)));
}

void ZEVShadowCache::boxBlur(QImage& image, int radius)
{
    if (radius < 1 || image.isNull())
        return;
    if (image.format() != QImage::Format_ARGB32_Premultiplied)
        image = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const int w = image.width();
    const int h = image.height();
    const int stride = static_cast<int>(image.bytesPerLine() / sizeof(QRgb));
    QRgb* pixels = reinterpret_cast<QRgb*>(image.bits());
    std::vector<QRgb> line(static_cast<std::size_t>(std::max(w, h)));
    std::vector<int> sums;
    for (int pass = 0; pass < 3; ++pass) {
        for (int y = 0; y < h; ++y) {
            QRgb* row = pixels + static_cast<std::ptrdiff_t>(y) * stride;
            std::copy(row, row + w, line.begin());
            blurLine(line.data(), row, w, 1, radius, sums);
        }
        for (int x = 0; x < w; ++x) {
            for (int y = 0; y < h; ++y)
                line[static_cast<std::size_t>(y)] = pixels[static_cast<std::ptrdiff_t>(y) * stride + x];
            blurLine(line.data(), pixels + x, h, stride, radius, sums);
        }
    }
}

ZEVShadowImage ZEVShadowCache::shadowFor(const QPainterPath& shape, qreal blur, const QColor& colour)
{
    const QRectF bounds = shape.boundingRect();
    const QPointF base(std::floor(bounds.x()), std::floor(bounds.y()));
    const QByteArray key = keyFor(shape, blur, colour);
    if (const ZEVShadowImage* cached = cache_.object(key)) {
        ++hits_;
        ZEVShadowImage result = *cached;
        result.origin += base;
        return result;
    }
    ++misses_;
    const int radius = boxRadiusForBlur(blur);
    const int pad = 3 * radius + 1;
    const int w = static_cast<int>(std::ceil(bounds.right() - base.x())) + 2 * pad;
    const int h = static_cast<int>(std::ceil(bounds.bottom() - base.y())) + 2 * pad;
    auto* entry = new ZEVShadowImage;
    entry->image = QImage(std::max(1, w), std::max(1, h), QImage::Format_ARGB32_Premultiplied);
    entry->image.fill(Qt::transparent);
    {
        QPainter p(&entry->image);
        p.setRenderHint(QPainter::Antialiasing);
        p.translate(pad - base.x(), pad - base.y());
        p.fillPath(shape, colour);
    }
    if (blur > 0)
        boxBlur(entry->image, radius);
    entry->origin = QPointF(-pad, -pad); // relative to the shape's whole-point base
    ZEVShadowImage result = *entry;
    result.origin += base;
    cache_.insert(key, entry);
    return result;
}

void ZEVShadowCache::draw(QPainter& painter, const QPainterPath& shape, const QPointF& offset, qreal blur,
                          const QColor& colour)
{
    if (!colour.isValid() || colour.alpha() == 0)
        return;
    const ZEVShadowImage s = shadowFor(shape, blur, colour);
    painter.drawImage(s.origin + offset, s.image);
}

} // namespace tallomer
