#pragma once

#include "objects/view/ZEVInkedPixels.h"
#include "objects/view/ZEVItemViewPart.h"
#include "objects/view/ZEVPaintCut.h"

#include <QImage>
#include <QPointF>
#include <QSize>

#include <memory>

class QPainter;

namespace tallomer {

// The icon image, scaled down to fit and standing on the bottom of its frame. Its opacity is the
// image alpha the drawing decides.
class ZEVItemImageView final : public ZEVItemViewPart {
public:
    explicit ZEVItemImageView(ZEVItemView* view) : ZEVItemViewPart(view) {}
    // Draws the image as if the painter stood at the part's corner, without its opacity.
    void paint(QPainter& painter);
    // Draws it within its view's paint, at its place and in its opacity, within `cut` if any.
    void paintInView(QPainter& painter, const ZEVPaintCut* cut = nullptr) const;

    void setSize(const QSizeF& size);
    void setImage(const QImage& image);
    const QImage& image() const { return image_; }
    // `image` at `pixels`, from the one cache every view shares (the image itself at its size).
    static const QImage& scaledFor(const QImage& image, const QSize& pixels);
    // Draws `image` into `target`: a blit of its scaled copy on a whole device pixel, or
    // resampled on a turned or stretched painter (whose state it leaves as it was). A blit draws
    // only its parts within `cut`, if any.
    static void drawAt(QPainter& painter, const QRectF& target, const QImage& image,
                       const ZEVPaintCut* cut = nullptr);
    // Between 0 and 1, as an item's opacity: the image's own, under its view's.
    double alphaValue() const { return alpha_; }
    void setOpacity(qreal alpha);
    // Where a paint in its view at `alpha` draws the image, in the view's coordinates; empty
    // when it draws nothing.
    QRectF drawnRectInView(double alpha) const;
    // Where that paint hides whatever lies beneath, on a painter that only moves; empty when
    // nowhere (a translucent image, or one without a wholly opaque part).
    QRectF opaqueRectInView(double alpha) const;
    // Finer: the opaque run of each row of the image that paint draws, and where the image's
    // corner stands in the view's coordinates; no runs where it hides nothing.
    struct OpaqueRows {
        QPointF corner;
        std::shared_ptr<const ZEVOpaqueRuns> runs;
    };
    OpaqueRows opaqueRowsInView(double alpha) const;

private:
    // Where the image stands in a frame of the part's size whose corner is `corner`.
    QRectF target(const QPointF& corner) const;

    QImage image_;
    double alpha_ = 1.0;
    // The opaque part of the image at the pixels it last showed at, in those pixels.
    mutable qint64 opaqueKey_ = 0;
    mutable QSize opaqueAt_;
    mutable QRect opaquePart_;
    mutable std::shared_ptr<const ZEVOpaqueRuns> opaqueRuns_;
    // Reads the opaque part and runs of the image shown at `pixels`, unless read already.
    void followOpaque(const QSize& pixels) const;
};

} // namespace tallomer
