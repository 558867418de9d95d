#include "platform/files/FileMoves.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace tallomer {

namespace {

QString errorText(int e) { return QString::fromLocal8Bit(std::strerror(e)); }

// Copies the regular file src to a new file at dst (never replacing), with its size checked.
FileResult copyThenCheck(const QByteArray& src, const QByteArray& dst, const RenameFn& rename)
{
    const int in = ::open(src.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (in < 0)
        return FileResult::failure(QStringLiteral("cannot open %1: %2").arg(QFile::decodeName(src), errorText(errno)));
    struct stat st {};
    ::fstat(in, &st);
    const QByteArray folder = QFile::encodeName(QFileInfo(QFile::decodeName(dst)).absolutePath());
    QByteArray temp = folder + "/.tallomer-move-XXXXXX";
    const int out = ::mkostemp(temp.data(), O_CLOEXEC);
    if (out < 0) {
        const int e = errno;
        ::close(in);
        return FileResult::failure(QStringLiteral("cannot create a file in %1: %2").arg(QFile::decodeName(folder), errorText(e)));
    }
    std::vector<char> buffer(1 << 16);
    qint64 copied = 0;
    int e = 0;
    for (;;) {
        const ssize_t n = ::read(in, buffer.data(), buffer.size());
        if (n < 0) {
            e = errno;
            break;
        }
        if (n == 0)
            break;
        ssize_t done = 0;
        while (done < n) {
            const ssize_t w = ::write(out, buffer.data() + done, size_t(n - done));
            if (w < 0) {
                e = errno;
                break;
            }
            done += w;
        }
        if (e)
            break;
        copied += n;
    }
    if (!e && ::fchmod(out, st.st_mode & 0777) != 0)
        e = errno;
    if (!e && ::fsync(out) != 0)
        e = errno;
    // A file system may report a lost write only when the file is closed.
    if (::close(out) != 0 && !e)
        e = errno;
    ::close(in);
    struct stat written {};
    if (!e && (::stat(temp.constData(), &written) != 0 || written.st_size != st.st_size || copied != st.st_size))
        e = EIO;
    if (!e && rename(temp, dst, RENAME_NOREPLACE) != 0)
        e = errno;
    if (e) {
        ::unlink(temp.constData());
        return FileResult::failure(QStringLiteral("cannot copy %1 to %2: %3")
                                       .arg(QFile::decodeName(src), QFile::decodeName(dst), errorText(e)));
    }
    return FileResult::success();
}

} // namespace

RenameFn systemRename()
{
    return [](const QByteArray& from, const QByteArray& to, unsigned flags) {
        if (flags == 0)
            return ::rename(from.constData(), to.constData());
        const int r = ::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), flags);
        if (r != 0 && flags == RENAME_NOREPLACE && (errno == EINVAL || errno == ENOSYS)) {
            // A file system without the no-replace rename: a hard link never replaces either.
            if (::link(from.constData(), to.constData()) != 0)
                return -1;
            ::unlink(from.constData());
            return 0;
        }
        return r;
    };
}

FileResult moveFileNoReplace(const QString& from, const QString& to, const RenameFn& rename)
{
    const QByteArray src = QFile::encodeName(from);
    const QByteArray dst = QFile::encodeName(to);
    if (rename(src, dst, RENAME_NOREPLACE) == 0)
        return FileResult::success();
    if (errno != EXDEV)
        return FileResult::failure(QStringLiteral("cannot move %1 to %2: %3").arg(from, to, errorText(errno)));
    struct stat st {};
    if (::lstat(src.constData(), &st) != 0)
        return FileResult::failure(QStringLiteral("cannot examine %1: %2").arg(from, errorText(errno)));
    if (S_ISLNK(st.st_mode)) {
        QByteArray target(4096, '\0');
        const ssize_t n = ::readlink(src.constData(), target.data(), target.size());
        if (n < 0 || n >= target.size() || ::symlink(target.left(n).constData(), dst.constData()) != 0)
            return FileResult::failure(QStringLiteral("cannot move the link %1 to %2: %3").arg(from, to, errorText(errno)));
    } else if (S_ISREG(st.st_mode)) {
        if (const FileResult copied = copyThenCheck(src, dst, rename); !copied)
            return copied;
    } else {
        return FileResult::failure(QStringLiteral("cannot move %1 to another file system").arg(from));
    }
    if (::unlink(src.constData()) != 0) {
        // Both stay: the copy is whole, and the source was not lost.
        return FileResult::failure(QStringLiteral("%1 was copied to %2 but cannot be removed: %3")
                                       .arg(from, to, errorText(errno)));
    }
    return FileResult::success();
}

FileResult swapFolderInto(const QString& incoming, const QString& current, QString* oldLeftAt, const RenameFn& rename)
{
    const QByteArray in = QFile::encodeName(incoming);
    const QByteArray cur = QFile::encodeName(current);
    if (!QFileInfo(incoming).isDir())
        return FileResult::failure(QStringLiteral("no folder %1").arg(incoming));
    if (!QFileInfo::exists(current)) {
        if (rename(in, cur, 0) != 0)
            return FileResult::failure(QStringLiteral("cannot rename %1 to %2: %3").arg(incoming, current, errorText(errno)));
        if (oldLeftAt)
            oldLeftAt->clear();
        return FileResult::success();
    }
    if (rename(in, cur, RENAME_EXCHANGE) == 0) {
        if (oldLeftAt)
            *oldLeftAt = incoming;
        return FileResult::success();
    }
    if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP)
        return FileResult::failure(QStringLiteral("cannot exchange %1 and %2: %3").arg(incoming, current, errorText(errno)));

    // No exchange on this file system: through a backup name.
    QString backup;
    for (int n = 0; n < 1000; ++n) {
        const QString candidate = current + QStringLiteral(".previous") + (n ? QString::number(n) : QString());
        if (!QFileInfo::exists(candidate) && !QFileInfo(candidate).isSymLink()) {
            backup = candidate;
            break;
        }
    }
    if (backup.isEmpty())
        return FileResult::failure(QStringLiteral("no free name beside %1").arg(current));
    const QByteArray back = QFile::encodeName(backup);
    if (rename(cur, back, RENAME_NOREPLACE) != 0)
        return FileResult::failure(QStringLiteral("cannot rename %1 to %2: %3").arg(current, backup, errorText(errno)));
    if (rename(in, cur, RENAME_NOREPLACE) != 0) {
        const QString why = errorText(errno);
        if (rename(back, cur, RENAME_NOREPLACE) != 0)
            return FileResult::failure(QStringLiteral("cannot rename %1 to %2 (%3), and the previous store stays at %4: %5")
                                           .arg(incoming, current, why, backup, errorText(errno)));
        return FileResult::failure(QStringLiteral("cannot rename %1 to %2: %3").arg(incoming, current, why));
    }
    if (oldLeftAt)
        *oldLeftAt = backup;
    return FileResult::success();
}

bool removeTree(const QString& path)
{
    const QFileInfo info(path);
    if (info.isSymLink() || (info.exists() && !info.isDir()))
        return QFile::remove(path);
    if (!info.exists())
        return true;
    // QDir removes links it meets as entries and never descends through them.
    return QDir(path).removeRecursively();
}

} // namespace tallomer
