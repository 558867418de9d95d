#include "platform/pasteboard/BoundedImage.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>

namespace tallomer {

namespace {

std::optional<QImage> decode(QIODevice* device, const QByteArray& format, const QSize& fitIn = {})
{
    QImageReader reader(device, format);
    reader.setAllocationLimit(kMaxDecodedImageMegabytes);
    const QSize declared = reader.size();
    if (!declared.isValid() || declared.isEmpty() || !decodableWithin(reader, declared, fitIn))
        return std::nullopt;
    const bool larger =
        fitIn.isValid() && !fitIn.isEmpty() && (declared.width() > fitIn.width() || declared.height() > fitIn.height());
    const QSize fitted = declared.scaled(fitIn, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
    if (larger && scalesWhileReading(reader))
        reader.setScaledSize(fitted);
    QImage image;
    if (!reader.read(&image) || image.isNull())
        return std::nullopt;
    if (larger && image.size() != fitted)
        image = inTrueColour(std::move(image)).scaled(fitted, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    return image;
}

} // namespace

bool decodableWithin(QImageReader& reader, const QSize& declared, const QSize& fitIn)
{
    const auto bytes = [](const QSize& s) { return qint64(s.width()) * s.height() * 4; };
    constexpr qint64 cap = qint64(kMaxDecodedImageMegabytes) * 1024 * 1024;
    if (bytes(declared) <= cap)
        return true;
    if (!fitIn.isValid() || fitIn.isEmpty() || qint64(declared.width()) * declared.height() > kMaxScaledDecodePixels)
        return false;
    const QSize fitted = declared.scaled(fitIn, Qt::KeepAspectRatio).boundedTo(declared);
    return bytes(fitted) <= cap && reader.supportsOption(QImageIOHandler::ScaledSize) && scalesWhileReading(reader);
}

bool scalesWhileReading(const QImageReader& reader)
{
    switch (reader.imageFormat()) {
    case QImage::Format_Mono:
    case QImage::Format_MonoLSB:
    case QImage::Format_Indexed8:
        return false;
    default:
        return true;
    }
}

QImage inTrueColour(QImage image)
{
    if (image.isNull() || image.format() == QImage::Format_ARGB32_Premultiplied || image.format() == QImage::Format_RGB32)
        return image;
    return image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
}

QImage forDrawing(QImage image)
{
    image = inTrueColour(std::move(image));
    if (image.format() != QImage::Format_ARGB32_Premultiplied)
        return image;
    for (int y = 0; y < image.height(); ++y) {
        const QRgb* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(row[x]) != 255)
                return image;
    }
    // Opaque premultiplied pixels are already what RGB32 stores.
    image.reinterpretAsFormat(QImage::Format_RGB32);
    return image;
}

std::optional<QImage> decodeImageBounded(const QByteArray& bytes, const QByteArray& format)
{
    if (bytes.isEmpty() || bytes.size() > kMaxEncodedImageBytes)
        return std::nullopt;
    QBuffer buffer;
    buffer.setData(bytes);
    if (!buffer.open(QIODevice::ReadOnly))
        return std::nullopt;
    return decode(&buffer, format);
}

std::optional<QImage> decodeImageBounded(const QByteArray& bytes, const QByteArray& format, const QSize& fitIn)
{
    if (bytes.isEmpty() || bytes.size() > kMaxEncodedImageBytes)
        return std::nullopt;
    QBuffer buffer;
    buffer.setData(bytes);
    if (!buffer.open(QIODevice::ReadOnly))
        return std::nullopt;
    return decode(&buffer, format, fitIn);
}

std::optional<QImage> readImageFileBounded(const QString& path)
{
    // Only a plain file: opening a named pipe would wait for a writer.
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly) || file.size() > kMaxEncodedImageBytes)
        return std::nullopt;
    return decodeImageBounded(file.read(kMaxEncodedImageBytes));
}

QByteArray pngData(const QImage& image)
{
    if (image.isNull())
        return {};
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    return writer.write(image) ? bytes : QByteArray();
}

} // namespace tallomer
