#include "space/ZEVBackObject.h"

#include <QImageReader>
#include <QUrl>
#include <QPainter>

namespace tallomer {

ZEVBackObject::ZEVBackObject(KELI* imageItem, KELId channelInt, const QRectF& windowRect)
    : imageItem_(imageItem), channelInt_(channelInt), windowRect_(windowRect)
{
}

void ZEVBackObject::setChannelColor(const QColor& color)
{
    if (color == channelColor_)
        return;
    channelColor_ = color;
    channelImageColor_ = QImage();
}

void ZEVBackObject::loadChannelImageColorSync()
{
    if (channelImage_.isNull() && !fileURL_.isEmpty()) {
        QImageReader reader(fileURL_);
        const QSize full = reader.size();
        if (full.isValid() && full.height() > 0) {
            initialImageRatio_ = double(full.width()) / full.height();
            // Only a thumbnail is needed: let the reader scale while decoding.
            reader.setScaledSize(full.scaled(kThumbnailWidth, kThumbnailHeight, Qt::KeepAspectRatio));
        }
        channelImage_ = reader.read();
    }
    QImage out(kThumbnailWidth, kThumbnailHeight, QImage::Format_ARGB32_Premultiplied);
    out.fill(channelColor_);
    if (!channelImage_.isNull()) {
        QPainter p(&out);
        const QImage fitted = channelImage_.scaled(kThumbnailWidth, kThumbnailHeight, Qt::KeepAspectRatio,
                                                   Qt::SmoothTransformation);
        p.drawImage((kThumbnailWidth - fitted.width()) / 2, (kThumbnailHeight - fitted.height()) / 2, fitted);
    }
    channelImageColor_ = out;
}

QString ZEVBackObject::loadPath() const
{
    return fileURL_.startsWith(QLatin1String("file:")) ? QUrl(fileURL_).toLocalFile() : fileURL_;
}

void ZEVBackObject::applyRender(const ZEVBackRender& render)
{
    if (render.ratio > 0)
        initialImageRatio_ = render.ratio;
    if (!render.image.isNull())
        backImage_ = render.image;
}

} // namespace tallomer
