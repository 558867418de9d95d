#include "desk/view/ZEVDeskBackImageView.h"

#include "desk/view/ZEVDeskView.h"
#include "widgets/ZEVBlitBatch.h"

#include <QPainter>

#include <limits>

namespace tallomer {

ZEVDeskBackImageView::ZEVDeskBackImageView(const QRectF& frame, ZEVDeskView* deskView, ZEVFrontViewerServices* frontViewer)
    : frame_(frame), deskView_(deskView), frontViewer_(frontViewer)
{
    setZValue(-std::numeric_limits<double>::max());
    setAcceptedMouseButtons(Qt::NoButton);
    setAcceptHoverEvents(false);
    setAcceptDrops(false);
    setFlag(QGraphicsItem::ItemIsFocusable, false);
}

void ZEVDeskBackImageView::setFrame(const QRectF& frame)
{
    if (frame == frame_)
        return;
    prepareGeometryChange();
    frame_ = frame;
}

QPainterPath ZEVDeskBackImageView::opaqueArea() const
{
    QPainterPath p;
    p.addRect(frame_);
    return p;
}

void ZEVDeskBackImageView::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*)
{
    ZEVBlitBatch::flush(*painter);
    if (image_.isNull()) {
        painter->fillRect(frame_, color_);
        return;
    }
    // Unscaled and centred, as an image view without scaling shows a picture.
    const QSizeF s = image_.deviceIndependentSize();
    const QRectF at(QPointF(frame_.center().x() - s.width() / 2, frame_.center().y() - s.height() / 2), s);
    // A picture that covers the whole desk with no pixel showing through hides the colour: filling
    // under it would write every pixel of the desk twice.
    if (image_.hasAlphaChannel() || !at.contains(frame_))
        painter->fillRect(frame_, color_);
    ZEVBlitBatch::drawImage(*painter, at.topLeft(), image_);
}

// The background lies under every Object view: each update repaints the whole desk, so one that
// changes nothing (every pass of a desk without a wallpaper sets its empty image again) is skipped.
void ZEVDeskBackImageView::setBackgroundImage(const QImage& image)
{
    if (image.cacheKey() == image_.cacheKey() || (image.isNull() && image_.isNull()))
        return;
    image_ = image;
    redraw();
}

void ZEVDeskBackImageView::setBackgroundColor(const QColor& color)
{
    if (color == color_)
        return;
    color_ = color;
    redraw();
}

void ZEVDeskBackImageView::redraw()
{
    update();
    // The desk repaints under every view: whatever else changes before that paint is painted in it.
    if (deskView_ && frame_.contains(deskView_->sceneRect()))
        deskView_->willPaintWhole();
}

} // namespace tallomer
