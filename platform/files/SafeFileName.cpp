#include "platform/files/SafeFileName.h"

#include "platform/files/FileIdentity.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tallomer {

namespace {

constexpr int kMaxUniqueAttempts = 10000;
constexpr qsizetype kMaxKeptExtensionBytes = 16;

qsizetype utf8Size(const QString& s) { return s.toUtf8().size(); }

// The longest prefix of s that fits in maxBytes of UTF-8, never splitting a surrogate pair.
QString cutToBytes(const QString& s, qsizetype maxBytes)
{
    qsizetype bytes = 0;
    qsizetype i = 0;
    while (i < s.size()) {
        const char32_t code = s.at(i).isHighSurrogate() && i + 1 < s.size() && s.at(i + 1).isLowSurrogate()
            ? QChar::surrogateToUcs4(s.at(i), s.at(i + 1))
            : s.at(i).unicode();
        const qsizetype units = code > 0xFFFF ? 2 : 1;
        const qsizetype size = code < 0x80 ? 1 : code < 0x800 ? 2 : code < 0x10000 ? 3 : 4;
        if (bytes + size > maxBytes)
            break;
        bytes += size;
        i += units;
    }
    return s.left(i);
}

// "name.ext" → ("name", ".ext"); no extension for "name", "name." or an overlong one.
std::pair<QString, QString> splitExtension(const QString& name)
{
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot <= 0 || dot == name.size() - 1 || utf8Size(name.mid(dot)) > kMaxKeptExtensionBytes)
        return {name, QString()};
    return {name.left(dot), name.mid(dot)};
}

// base + suffix + extension within the byte limit, shortening the base as needed.
QString fitName(const QString& base, const QString& suffix, const QString& extension)
{
    const qsizetype room = kMaxFileNameBytes - utf8Size(suffix) - utf8Size(extension);
    QString cut = cutToBytes(base, room).trimmed();
    return cut + suffix + extension;
}

QString clean(const QString& name)
{
    QString last = name;
    while (last.endsWith(QLatin1Char('/')))
        last.chop(1);
    last = last.mid(last.lastIndexOf(QLatin1Char('/')) + 1);
    QString out;
    out.reserve(last.size());
    for (const QChar c : last) {
        if (c.unicode() == 0)
            continue;
        out += (c.category() == QChar::Other_Control) ? QLatin1Char(' ') : c;
    }
    // Dots and blanks go together from the front: ". .x" would else still start with a dot, and
    // ". .." would be the parent folder.
    qsizetype lead = 0;
    while (lead < out.size() && (out.at(lead) == QLatin1Char('.') || out.at(lead).isSpace()))
        ++lead;
    out = out.mid(lead).trimmed();
    if (utf8Size(out) > kMaxFileNameBytes) {
        const auto [base, extension] = splitExtension(out);
        out = fitName(base, QString(), extension);
        if (out == extension) // nothing of the base survived: cut the whole name instead
            out = cutToBytes(base + extension, kMaxFileNameBytes).trimmed();
    }
    return out;
}

bool somethingAt(const QString& path) { return fileIdentity(path, SymlinkMode::NoFollow).has_value(); }

// The process's file mode mask, read without changing it (setting it to read it back would leave
// other threads a moment without one).
mode_t processUmask()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly))
        for (const QByteArray& line : status.readAll().split('\n'))
            if (line.startsWith("Umask:")) {
                bool ok = false;
                const uint mask = line.mid(6).trimmed().toUInt(&ok, 8);
                if (ok)
                    return mode_t(mask);
            }
    return 022;
}

} // namespace

QString safeFileName(const QString& name, const QString& fallback)
{
    QString out = clean(name);
    if (out.isEmpty())
        out = clean(fallback);
    if (out.isEmpty())
        out = QStringLiteral("untitled");
    return out;
}

QString pathInFolder(const QString& folder, const QString& name)
{
    QString base = QDir::cleanPath(folder);
    if (!base.endsWith(QLatin1Char('/')))
        base += QLatin1Char('/');
    return base + safeFileName(name);
}

QString uniquePathInFolder(const QString& folder, const QString& name)
{
    if (!QFileInfo(folder).isDir())
        return QString();
    const QString safe = safeFileName(name);
    const QString first = pathInFolder(folder, safe);
    if (!somethingAt(first))
        return first;
    const auto [base, extension] = splitExtension(safe);
    for (int n = 1; n <= kMaxUniqueAttempts; ++n) {
        const QString candidate
            = pathInFolder(folder, fitName(base, QStringLiteral(" (%1)").arg(n), extension));
        if (!somethingAt(candidate))
            return candidate;
    }
    return QString();
}

FileResult writeNewFile(const QString& folder, const QString& name, const QByteArray& bytes,
                        QString* writtenPath)
{
    if (!QFileInfo(folder).isDir())
        return FileResult::failure(QStringLiteral("no folder %1 for %2").arg(folder, name));
    // The bytes go to a hidden temporary file first, which is then given its name in one step
    // that never replaces anything: readers (other programs watching the folder among them) see
    // the whole file or none, even after a crash.
    QTemporaryFile temporary(QDir(folder).filePath(QStringLiteral(".tallomer-XXXXXX.part")));
    if (!temporary.open())
        return FileResult::failure(
            QStringLiteral("cannot create a file in %1: %2").arg(folder, temporary.errorString()));
    if (temporary.write(bytes) != bytes.size() || !temporary.flush() || !setOrdinaryFileMode(temporary.handle())
        || ::fsync(temporary.handle()) != 0)
        return FileResult::failure(
            QStringLiteral("cannot write %1 in %2: %3").arg(name, folder, temporary.errorString()));
    const FileResult named = nameNewFile(temporary.fileName(), folder, name, QString(), writtenPath);
    if (named)
        temporary.setAutoRemove(false);
    return named;
}

bool setOrdinaryFileMode(int fd)
{
    return ::fchmod(fd, 0666 & ~processUmask()) == 0;
}

FileResult nameNewFile(const QString& from, const QString& folder, const QString& name, const QString& replaceable,
                       QString* writtenPath)
{
    if (!QFileInfo(folder).isDir())
        return FileResult::failure(QStringLiteral("no folder %1 for %2").arg(folder, name));
    const QByteArray source = QFile::encodeName(from);
    const QString own = pathInFolder(folder, name);
    if (!replaceable.isEmpty() && QDir::cleanPath(replaceable) == own) {
        // The caller's own file: readers see the old one or the new one, never a mix.
        if (::rename(source.constData(), QFile::encodeName(own).constData()) != 0)
            return FileResult::failure(
                QStringLiteral("cannot name %1: %2").arg(own, QString::fromLocal8Bit(std::strerror(errno))));
        if (writtenPath)
            *writtenPath = own;
        return FileResult::success();
    }
    // Another writer may take the free name between the check and the naming: try again then.
    for (int attempt = 0; attempt < 8; ++attempt) {
        const QString path = uniquePathInFolder(folder, name);
        if (path.isEmpty())
            break;
        const QByteArray to = QFile::encodeName(path);
        int done = ::renameat2(AT_FDCWD, source.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE);
        if (done != 0 && (errno == EINVAL || errno == ENOSYS)) {
            // A file system without the no-replace rename: a hard link never replaces either.
            done = ::link(source.constData(), to.constData());
            if (done == 0)
                ::unlink(source.constData());
        }
        if (done == 0) {
            if (writtenPath)
                *writtenPath = path;
            return FileResult::success();
        }
        if (errno != EEXIST)
            return FileResult::failure(
                QStringLiteral("cannot name %1: %2").arg(path, QString::fromLocal8Bit(std::strerror(errno))));
    }
    return FileResult::failure(QStringLiteral("no free name for %1 in %2").arg(name, folder));
}

} // namespace tallomer
