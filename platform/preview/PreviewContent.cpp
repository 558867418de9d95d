#include "platform/preview/PreviewContent.h"

#include "platform/files/Webloc.h"
#include "platform/thumbs/Thumbnails.h"

#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QMimeDatabase>
#include <QStringDecoder>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <optional>

namespace tallomer::preview {

Facts factsOf(const QString& path)
{
    Facts f;
    f.path = path;
    const QFileInfo info(path);
    f.name = info.fileName().isEmpty() ? path : info.fileName();
    f.exists = info.exists();
    if (!f.exists)
        return f;
    f.folder = info.isDir();
    f.modified = info.lastModified();
    if (info.isFile())
        f.size = info.size();
    const QMimeDatabase db;
    // Only a regular file is opened to read its type from its first bytes: a pipe would block.
    const QMimeType mime =
        info.isFile() || info.isDir() ? db.mimeTypeForFile(info) : db.mimeTypeForFile(info, QMimeDatabase::MatchExtension);
    if (mime.isValid()) {
        f.mimeName = mime.name();
        f.kind = mime.comment();
    }
    return f;
}

bool siText(const QByteArray& bytes)
{
    if (bytes.contains('\0'))
        return false;
    // The decoder keeps a character cut by the end of what was read for a next call that never
    // comes: no fault of the file's.
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString text = decoder(bytes);
    if (decoder.hasError())
        return false;
    qsizetype controls = 0;
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x20 && u != '\t' && u != '\n' && u != '\r' && u != '\f' && u != 0x1b)
            ++controls;
    }
    // A stray control character is a text's; many of them are a binary's.
    return controls * 100 <= text.size();
}

QString sizeText(std::int64_t bytes)
{
    if (bytes < 0)
        return {};
    if (bytes < 1000)
        return bytes == 1 ? QStringLiteral("1 byte") : QStringLiteral("%1 bytes").arg(bytes);
    static const char* const units[] = {"KB", "MB", "GB", "TB"};
    double v = double(bytes);
    int u = -1;
    while (v >= 1000 && u < 3) {
        v /= 1000;
        ++u;
    }
    return QStringLiteral("%1 %2").arg(v, 0, 'f', v < 10 ? 1 : 0).arg(QLatin1String(units[u]));
}

namespace {

// Reads the start of a regular file; false for anything else (a pipe swapped in after the facts
// were read included: it is opened without waiting and then refused).
bool readStart(const QString& path, std::int64_t max, QByteArray* out, bool* cut)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return false;
    }
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return false;
    }
    *out = file.read(max + 1);
    *cut = out->size() > max;
    if (*cut)
        out->truncate(max);
    return true;
}

bool siImageType(const QString& mimeName)
{
    static const QList<QByteArray> types = QImageReader::supportedMimeTypes();
    return types.contains(mimeName.toLatin1());
}

bool siTextType(const QString& mimeName)
{
    if (mimeName.startsWith(QLatin1String("text/")))
        return true;
    const QMimeDatabase db;
    const QMimeType mime = db.mimeTypeForName(mimeName);
    return mime.isValid() && mime.inherits(QStringLiteral("text/plain"));
}

} // namespace

Content loadPreview(const QString& path, double side, const QString& cacheHome)
{
    Content c;
    c.facts = factsOf(path);
    if (!c.facts.exists || c.facts.size < 0 || !(side > 0) || !std::isfinite(side))
        return c;
    const QString& mime = c.facts.mimeName;
    // Known to no MIME database here: told by its name, and shown by what it points at.
    if (QFileInfo(path).suffix().compare(QLatin1String("webloc"), Qt::CaseInsensitive) == 0) {
        QByteArray bytes;
        bool cut = false;
        std::optional<QString> address;
        if (readStart(path, kMaxWeblocBytes, &bytes, &cut) && !cut)
            address = parseWebloc(bytes);
        if (address && !address->isEmpty()) {
            c.address = *address;
            c.kind = Content::Kind::Link;
        } else {
            c.unreadable = true;
        }
        return c;
    }
    if (mime == QLatin1String("application/pdf")) {
        if (c.facts.size > kMaxPdfBytes) {
            c.unreadable = true;
            return c;
        }
        c.image = thumbs::cachedThumbnail(cacheHome, path, side);
        if (c.image.isNull())
            c.image = thumbs::renderedPdf(path, side);
    } else if (siImageType(mime)) {
        thumbs::Request r;
        r.kind = thumbs::Request::Kind::File;
        r.path = path;
        r.size = side;
        c.image = thumbs::load(r, cacheHome).image;
    } else if (siTextType(mime)) {
        QByteArray bytes;
        bool cut = false;
        if (readStart(path, kMaxTextBytes, &bytes, &cut) && siText(bytes)) {
            QStringDecoder decoder(QStringDecoder::Utf8);
            c.text = decoder(bytes);
            c.textCut = cut;
            c.kind = Content::Kind::Text;
        } else {
            c.unreadable = true;
        }
        return c;
    } else {
        return c;
    }
    if (!c.image.isNull() && c.image.width() > 0 && c.image.height() > 0) {
        c.kind = Content::Kind::Image;
    } else {
        c.image = QImage();
        c.unreadable = true;
    }
    return c;
}

} // namespace tallomer::preview
