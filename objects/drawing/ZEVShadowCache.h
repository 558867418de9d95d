#pragma once
// Soft drop shadows for the drawing of Object views. Qt's painter has no shadow state, so a
// shape's shadow is rendered once into an image, blurred here, and kept: every view of the same
// size and state asks for the same shadow on each redraw.

#include <QCache>
#include <QColor>
#include <QImage>
#include <QPainterPath>
#include <QPointF>

class QPainter;

namespace tallomer {

struct ZEVShadowImage {
    QImage image;
    QPointF origin; // where the image's top left lies, in the shape's coordinates, before the offset
};

class ZEVShadowCache {
public:
    explicit ZEVShadowCache(int maxEntries = 64);

    // The blurred silhouette of `shape` in `colour`; `blur` is the platform's shadow blur radius.
    ZEVShadowImage shadowFor(const QPainterPath& shape, qreal blur, const QColor& colour);
    // Draws the shadow of `shape` moved by `offset` (both in the painter's coordinates).
    void draw(QPainter& painter, const QPainterPath& shape, const QPointF& offset, qreal blur,
              const QColor& colour);

    int hits() const { return hits_; }
    int misses() const { return misses_; }
    int size() const { return cache_.size(); }
    void clear() { cache_.clear(); }

    // The cache the painter uses on the main thread.
    static ZEVShadowCache& shared();

    // Three passes of a box blur of `radius` pixels over every channel (premultiplied).
    static void boxBlur(QImage& image, int radius);
    // The box radius whose three passes approach the platform's blur of `blur` points.
    static int boxRadiusForBlur(qreal blur);

private:
    QCache<QByteArray, ZEVShadowImage> cache_;
    int hits_ = 0;
    int misses_ = 0;
};

} // namespace tallomer
