#pragma once
// The backmost layer of a desk: the Channel's background colour over the whole desk and its
// picture drawn over it at its own size, centred, as an image view without scaling does. It
// never counts as hit: presses and drags fall through to the desk surface (the scene).

#include "engine/KELTypes.h"
#include "platform/SystemColours.h"

#include <QColor>
#include <QGraphicsItem>
#include <QImage>

namespace tallomer {

class ZEVDeskView;
class ZEVFrontViewerServices;

class ZEVDeskBackImageView final : public QGraphicsItem {
public:
    // Neither is owned.
    ZEVDeskBackImageView(const QRectF& frame, ZEVDeskView* deskView, ZEVFrontViewerServices* frontViewer);

    void setFrame(const QRectF& frame);
    QRectF boundingRect() const override { return frame_; }
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;
    bool isObscuredBy(const QGraphicsItem*) const override { return false; }
    QPainterPath opaqueArea() const override;

    void setBackgroundImage(const QImage& image);
    QImage backgroundImage() const { return image_; }
    // The image view's own editing never replaces the picture.
    void setImage(const QImage&) {}
    bool allowsCutCopyPaste() const { return false; }
    void setBackgroundColor(const QColor& color);
    QColor backgroundColor() const { return color_; }
    // The background shows whatever the Channel shows.
    void majChannelInt(KELId, bool) {}

    ZEVDeskView* deskView() const { return deskView_; }
    // Paints the layer again, and with it the whole desk.
    void redraw();

private:
    QRectF frame_;
    ZEVDeskView* deskView_;          // not owned
    ZEVFrontViewerServices* frontViewer_;    // not owned
    QColor color_{systemDarkGrey()};
    QImage image_;
};

} // namespace tallomer
