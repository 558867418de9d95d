#include "space/background/ZEVBackImageRenderer.h"

#include "platform/pasteboard/BoundedImage.h"

#include <QFileInfo>
#include <QImageReader>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <memory>

#if __has_include(<QtPdf/QPdfDocument>)
#include <QtPdf/QPdfDocument>
#define TALLOMER_HAS_PDF 1
#else
#define TALLOMER_HAS_PDF 0
#endif

namespace tallomer {

namespace {

constexpr double kWide = 16.0 / 9.0;
constexpr double kDeskAspect = 1.6;
// Beyond this a rendering would only eat memory: no screen is that large.
constexpr double kMaxSide = 16384.0;

bool siPdf(const QString& path)
{
    return QFileInfo(path).suffix().compare(QLatin1String("pdf"), Qt::CaseInsensitive) == 0;
}

bool siLargeur(double ratio, KELId scaleId)
{
    const bool wide = ratio >= kWide;
    return (wide && scaleId == kZEVScaleIn) || (!wide && scaleId == kZEVScaleOut);
}

QSize entier(QSizeF s)
{
    return QSize(int(std::lround(std::clamp(s.width(), 1.0, kMaxSide))),
                 int(std::lround(std::clamp(s.height(), 1.0, kMaxSide))));
}

// A source opened by reference: its size is known, its pixels are read only when drawn. One per
// call: neither documents nor readers are shared between threads.
class Source {
public:
    explicit Source(const QString& path) : pdf_(siPdf(path))
    {
        if (path.isEmpty()) {
            error_ = QStringLiteral("no file");
            return;
        }
        if (pdf_) {
#if TALLOMER_HAS_PDF
            doc_ = std::make_unique<QPdfDocument>();
            if (doc_->load(path) == QPdfDocument::Error::None && doc_->pageCount() > 0)
                size_ = doc_->pagePointSize(0);
            if (!(size_.width() > 0 && size_.height() > 0))
                error_ = QStringLiteral("unreadable PDF");
#else
            error_ = QStringLiteral("PDF rendering not available");
#endif
            return;
        }
        path_ = path;
        QImageReader reader(path);
        const QSize s = reader.size();
        if (s.width() <= 0 || s.height() <= 0) {
            error_ = reader.errorString();
            return;
        }
        // A large photo is decoded straight to the size drawn where its format allows (as a
        // JPEG does): only what the decoder must hold whole is bounded by the memory it takes.
        const qint64 pixels = qint64(s.width()) * s.height();
        const bool wholeTooLarge = pixels * 4 > qint64(kMaxDecodedImageMegabytes) * 1024 * 1024;
        scaledOnly_ = wholeTooLarge && reader.supportsOption(QImageIOHandler::ScaledSize) && scalesWhileReading(reader);
        if ((wholeTooLarge && !scaledOnly_) || pixels > kMaxScaledDecodePixels) {
            error_ = QStringLiteral("picture too large");
            return;
        }
        size_ = QSizeF(s);
    }

    bool ok() const { return error_.isEmpty(); }
    const QString& error() const { return error_; }
    QSizeF size() const { return size_; }
    double ratio() const { return ok() ? size_.width() / size_.height() : 0.0; }

    // The part of the source (in its points) drawn into an image of `out`.
    QImage draw(const QRectF& part, QSize out, QString* error) const
    {
        QImage image;
        if (pdf_) {
#if TALLOMER_HAS_PDF
            const double fx = out.width() / part.width();
            const double fy = out.height() / part.height();
            const QSize page = entier(QSizeF(size_.width() * fx, size_.height() * fy));
            const QImage full = doc_->render(0, page, QPdfDocumentRenderOptions());
            if (!full.isNull())
                image = full.copy(QRectF(part.x() * fx, part.y() * fy, out.width(), out.height()).toRect());
#endif
        } else {
            QImageReader reader(path_);
            reader.setAllocationLimit(kMaxDecodedImageMegabytes);
            reader.setAutoTransform(true);
            const QRect clip = part.toAlignedRect().intersected(QRect(QPoint(0, 0), size_.toSize()));
            if (scaledOnly_) {
                // Never whole: the source is read at the scale of the part drawn, then cut.
                const double fx = out.width() / part.width();
                const double fy = out.height() / part.height();
                reader.setScaledSize(entier(QSizeF(size_.width() * fx, size_.height() * fy)));
                image = reader.read();
                if (!image.isNull() && clip != QRect(QPoint(0, 0), size_.toSize()))
                    image = image.copy(QRectF(part.x() * fx, part.y() * fy, out.width(), out.height()).toRect());
                if (image.isNull() && error)
                    *error = reader.errorString();
            } else {
                if (clip != QRect(QPoint(0, 0), size_.toSize()))
                    reader.setClipRect(clip);
                const bool scaled = scalesWhileReading(reader);
                if (scaled)
                    reader.setScaledSize(out);
                image = reader.read();
                if (!scaled && !image.isNull())
                    image = inTrueColour(std::move(image)).scaled(out, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
                if (image.isNull() && error)
                    *error = reader.errorString();
            }
        }
        if (image.isNull() && error && error->isEmpty())
            *error = QStringLiteral("picture not rendered");
        // Readers give plain ARGB32 for a picture with an alpha channel, which the desk would
        // premultiply again at every paint of its million pixels.
        return forDrawing(std::move(image));
    }

private:
    bool pdf_;
    // Too large to decode whole, but its format decodes straight to a smaller size.
    bool scaledOnly_ = false;
    QString path_;
    QSizeF size_;
    QString error_;
#if TALLOMER_HAS_PDF
    std::unique_ptr<QPdfDocument> doc_;
#endif
};

ZEVBackRender echec(const Source& s)
{
    ZEVBackRender out;
    out.error = s.error();
    return out;
}

} // namespace

QSizeF ZEVBackImageSize(double ratio, double width, double height, KELId scaleId)
{
    double h = height;
    if (height > 0 && width / height < kDeskAspect)
        h = width / kDeskAspect;
    if (!(ratio > 0))
        return QSizeF(width, h);
    if (siLargeur(ratio, scaleId))
        return QSizeF(kWide * h, (kWide * h) / ratio);
    return QSizeF(ratio * h, h);
}

ZEVChannelCrop ZEVChannelImageCrop(double iw, double ih, KELId scaleId)
{
    ZEVChannelCrop c;
    c.source = QRectF(0, 0, iw, ih);
    if (!(iw > 0 && ih > 0))
        return c;
    const double r = iw / ih;
    double w, h;
    if (siLargeur(r, scaleId)) {
        w = kZEVChannelImageHeight * kWide;
        h = w / r;
    } else {
        h = kZEVChannelImageHeight;
        w = kZEVChannelImageHeight * r;
    }
    const double s = static_cast<float>(iw / w);
    if (w > kZEVChannelImageWidth) {
        c.source.setX((iw - s * kZEVChannelImageWidth) * 0.5);
        c.source.setWidth(s * kZEVChannelImageWidth);
        w = kZEVChannelImageWidth;
    } else {
        c.point.setX((kZEVChannelImageWidth - w) * 0.5);
    }
    if (h > kZEVChannelImageHeight) {
        c.source.setY((ih - s * kZEVChannelImageHeight) * 0.5);
        c.source.setHeight(s * kZEVChannelImageHeight);
        h = kZEVChannelImageHeight;
    } else {
        c.point.setY((kZEVChannelImageHeight - h) * 0.5);
    }
    c.size = QSizeF(w, h);
    return c;
}

double ZEVBackImageRatio(const QString& path) { return Source(path).ratio(); }

ZEVBackRender ZEVRenderBackImage(const QString& path, double width, double height, KELId scaleId)
{
    const Source s(path);
    if (!s.ok())
        return echec(s);
    ZEVBackRender out;
    out.ratio = s.ratio();
    out.image = s.draw(QRectF(QPointF(), s.size()), entier(ZEVBackImageSize(out.ratio, width, height, scaleId)),
                       &out.error);
    return out;
}

ZEVBackRender ZEVRenderThumbnail(const QString& path)
{
    const Source s(path);
    if (!s.ok())
        return echec(s);
    ZEVBackRender out;
    out.ratio = s.ratio();
    out.image = s.draw(QRectF(QPointF(), s.size()), entier(QSizeF(kZEVThumbnailHeight * out.ratio, kZEVThumbnailHeight)),
                       &out.error);
    return out;
}

ZEVBackRender ZEVRenderChannelImage(const QString& path, KELId scaleId)
{
    const Source s(path);
    if (!s.ok())
        return echec(s);
    ZEVBackRender out;
    out.ratio = s.ratio();
    const ZEVChannelCrop c = ZEVChannelImageCrop(s.size().width(), s.size().height(), scaleId);
    out.point = c.point;
    out.image = s.draw(c.source, entier(c.size), &out.error);
    return out;
}

ZEVBackRender ZEVRenderChannelImageColor(const QString& path, KELId scaleId, const QColor& color)
{
    const Source s(path);
    if (!s.ok())
        return echec(s);
    ZEVBackRender out;
    out.ratio = s.ratio();
    const ZEVChannelCrop c = ZEVChannelImageCrop(s.size().width(), s.size().height(), scaleId);
    const QImage part = s.draw(c.source, entier(c.size), &out.error);
    if (part.isNull())
        return out;
    QImage box(int(kZEVChannelImageWidth), int(kZEVChannelImageHeight), QImage::Format_ARGB32_Premultiplied);
    box.fill(color);
    QPainter p(&box);
    p.drawImage(QRectF(c.point, c.size), part);
    p.end();
    out.image = box;
    return out;
}

} // namespace tallomer
