#include "platform/files/GeneratedFiles.h"

#include "platform/files/SafeFileName.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageWriter>
#include <QPainter>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

QString systemError(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

FileResult failure(const QString& path, int error)
{
    return FileResult::failure(QStringLiteral("cannot write %1: %2").arg(path, systemError(error)));
}

bool writeAll(int fd, const QByteArray& bytes, int* error)
{
    const char* data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, data, size_t(left));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            *error = n < 0 ? errno : EIO;
            return false;
        }
        data += n;
        left -= n;
    }
    return true;
}

QString linkTarget(const QString& path)
{
    QString target = path;
    for (int depth = 0; depth < 40; ++depth) {
        const QFileInfo info(target);
        if (!info.isSymLink())
            break;
        target = info.symLinkTarget();
    }
    return target;
}

void syncFolder(const QString& folder)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
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
    // A symbolic link keeps pointing where the user made it point: its target is what is replaced.
    const QString target = linkTarget(path);
    const QFileInfo info(target);
    const QString folder = info.absolutePath();
    QByteArray temporary = QFile::encodeName(folder + QStringLiteral("/.tallomer-XXXXXX.part"));
    const int fd = ::mkostemps(temporary.data(), 5, O_CLOEXEC);
    if (fd < 0)
        return failure(target, errno);

    // Every step is checked: a full disk may show only at the flush to the disk or at the close,
    // and the old file must then stay as it was.
    struct stat old {};
    const bool replacing = ::stat(QFile::encodeName(target).constData(), &old) == 0;
    int error = 0;
    if (!writeAll(fd, bytes, &error)) {
        // error tells why
    } else if (replacing ? ::fchmod(fd, old.st_mode & 07777) != 0 : !setOrdinaryFileMode(fd)) {
        error = errno;
    } else if (::fsync(fd) != 0) {
        error = errno;
    }
    if (::close(fd) != 0 && error == 0)
        error = errno;
    if (error == 0 && ::rename(temporary.constData(), QFile::encodeName(target).constData()) != 0)
        error = errno;
    if (error != 0) {
        ::unlink(temporary.constData());
        return failure(target, error);
    }
    // The new name itself lives in the folder: without this a crash could bring the old file back.
    // The file is in place whatever this answers.
    syncFolder(folder);
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
