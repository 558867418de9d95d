#include "platform/files/GeneratedFiles.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QImageWriter>
#include <QPainter>
#include <QSaveFile>

namespace tallomer {

namespace {

QByteArray encode(const QImage& image, const char* format, int quality)
{
    if (image.isNull())
        return {};
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    if (quality >= 0)
        writer.setQuality(quality);
    if (!writer.write(image))
        return {};
    return bytes;
}

} // namespace

FileResult ensureFolder(const QString& path)
{
    const QFileInfo info(path);
    if (info.isDir())
        return FileResult::success();
    if (info.exists() || info.isSymLink())
        return FileResult::failure(QStringLiteral("%1 exists and is not a folder").arg(path));
    if (!QDir().mkpath(path))
        return FileResult::failure(QStringLiteral("cannot create folder %1").arg(path));
    return FileResult::success();
}

FileResult writeFileAtomically(const QString& path, const QByteArray& bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return FileResult::failure(QStringLiteral("cannot write %1: %2").arg(path, file.errorString()));
    if (file.write(bytes) != bytes.size()) {
        const QString error = file.errorString();
        file.cancelWriting();
        return FileResult::failure(QStringLiteral("cannot write %1: %2").arg(path, error));
    }
    if (!file.commit())
        return FileResult::failure(QStringLiteral("cannot write %1: %2").arg(path, file.errorString()));
    return FileResult::success();
}

QByteArray tiffData(const QImage& image)
{
    // The TIFF writer keeps one bit a pixel as black and white, whatever colours the table gives
    // them (a one-colour PNG is read so): such pictures go out in full colour.
    if (image.format() == QImage::Format_Mono || image.format() == QImage::Format_MonoLSB ||
        image.format() == QImage::Format_Indexed8)
        return encode(image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32),
                      "tiff", -1);
    return encode(image, "tiff", -1);
}

QByteArray jpegData(const QImage& image, int quality)
{
    // JPEG has no alpha: flatten onto white rather than let transparent parts turn black.
    if (image.hasAlphaChannel()) {
        QImage flat(image.size(), QImage::Format_RGB32);
        flat.fill(Qt::white);
        QPainter painter(&flat);
        painter.drawImage(0, 0, image);
        painter.end();
        return encode(flat, "jpeg", quality);
    }
    return encode(image, "jpeg", quality);
}

} // namespace tallomer
