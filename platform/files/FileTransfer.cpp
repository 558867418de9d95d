#include "platform/files/FileTransfer.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUuid>

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace tallomer {

namespace {

QString errorText(int e) { return QString::fromLocal8Bit(std::strerror(e)); }

struct Failure {
    int code = 0;
    QString text;
};

bool cancelled(const std::atomic<bool>* cancel) { return cancel && cancel->load(); }

void syncFolder(const QByteArray& folder)
{
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

QByteArray parentOf(const QByteArray& path)
{
    return QFile::encodeName(QFileInfo(QFile::decodeName(path)).absolutePath());
}

void copyTimes(int fd, const struct stat& st)
{
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    ::futimens(fd, times);
}

// The checksum of a whole file read anew from the disk.
bool hashOf(const QByteArray& path, QByteArray* digest, qint64* size)
{
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return false;
    QCryptographicHash hash(QCryptographicHash::Md5);
    std::vector<char> buffer(1 << 20);
    qint64 total = 0;
    for (;;) {
        const ssize_t n = ::read(fd, buffer.data(), buffer.size());
        if (n < 0) {
            ::close(fd);
            return false;
        }
        if (n == 0)
            break;
        hash.addData(QByteArrayView(buffer.data(), n));
        total += n;
    }
    ::close(fd);
    *digest = hash.result();
    *size = total;
    return true;
}

bool copyFile(const QByteArray& src, const QByteArray& dst, const struct stat& st, const std::atomic<bool>* cancel,
              Failure* f)
{
    const int in = ::open(src.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (in < 0) {
        *f = {errno, QStringLiteral("cannot open %1: %2").arg(QFile::decodeName(src), errorText(errno))};
        return false;
    }
    const int out = ::open(dst.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (out < 0) {
        const int e = errno;
        ::close(in);
        *f = {e, QStringLiteral("cannot create %1: %2").arg(QFile::decodeName(dst), errorText(e))};
        return false;
    }
    QCryptographicHash hash(QCryptographicHash::Md5);
    std::vector<char> buffer(1 << 20);
    qint64 copied = 0;
    int e = 0;
    while (!e) {
        if (cancelled(cancel)) {
            e = ECANCELED;
            break;
        }
        const ssize_t n = ::read(in, buffer.data(), buffer.size());
        if (n < 0) {
            e = errno;
            break;
        }
        if (n == 0)
            break;
        hash.addData(QByteArrayView(buffer.data(), n));
        for (ssize_t done = 0; done < n;) {
            const ssize_t w = ::write(out, buffer.data() + done, size_t(n - done));
            if (w < 0) {
                e = errno;
                break;
            }
            done += w;
        }
        copied += n;
    }
    ::close(in);
    if (!e && ::fchmod(out, st.st_mode & 07777) != 0)
        e = errno;
    if (!e && ::fsync(out) != 0)
        e = errno;
    if (!e)
        copyTimes(out, st);
    if (::close(out) != 0 && !e)
        e = errno;
    if (e) {
        *f = {e, QStringLiteral("cannot copy %1: %2").arg(QFile::decodeName(src), errorText(e))};
        return false;
    }
    // What the disk holds now, read back, against what was read from the source.
    QByteArray written;
    qint64 writtenSize = -1;
    if (copied != st.st_size || !hashOf(dst, &written, &writtenSize) || writtenSize != copied ||
        written != hash.result()) {
        *f = {EIO, QStringLiteral("the copy of %1 does not match its source").arg(QFile::decodeName(src))};
        return false;
    }
    return true;
}

bool copyNode(const QByteArray& src, const QByteArray& dst, const std::atomic<bool>* cancel, Failure* f)
{
    struct stat st {};
    if (::lstat(src.constData(), &st) != 0) {
        *f = {errno, QStringLiteral("cannot examine %1: %2").arg(QFile::decodeName(src), errorText(errno))};
        return false;
    }
    if (S_ISREG(st.st_mode))
        return copyFile(src, dst, st, cancel, f);
    if (S_ISLNK(st.st_mode)) {
        QByteArray target(PATH_MAX, '\0');
        const ssize_t n = ::readlink(src.constData(), target.data(), target.size());
        if (n < 0 || n >= target.size() || ::symlink(target.left(n).constData(), dst.constData()) != 0) {
            *f = {errno, QStringLiteral("cannot copy the link %1: %2").arg(QFile::decodeName(src), errorText(errno))};
            return false;
        }
        const struct timespec times[2] = {st.st_atim, st.st_mtim};
        ::utimensat(AT_FDCWD, dst.constData(), times, AT_SYMLINK_NOFOLLOW);
        return true;
    }
    if (!S_ISDIR(st.st_mode)) {
        *f = {EINVAL, QStringLiteral("%1 is not a file, a folder or a link").arg(QFile::decodeName(src))};
        return false;
    }
    if (::mkdir(dst.constData(), 0700) != 0) {
        *f = {errno, QStringLiteral("cannot make %1: %2").arg(QFile::decodeName(dst), errorText(errno))};
        return false;
    }
    DIR* dir = ::opendir(src.constData());
    if (!dir) {
        *f = {errno, QStringLiteral("cannot read %1: %2").arg(QFile::decodeName(src), errorText(errno))};
        return false;
    }
    bool ok = true;
    while (ok) {
        errno = 0;
        const dirent* entry = ::readdir(dir);
        if (!entry) {
            if (errno) {
                *f = {errno, QStringLiteral("cannot read %1: %2").arg(QFile::decodeName(src), errorText(errno))};
                ok = false;
            }
            break;
        }
        const QByteArray name(entry->d_name);
        if (name == "." || name == "..")
            continue;
        ok = copyNode(src + '/' + name, dst + '/' + name, cancel, f);
    }
    ::closedir(dir);
    if (!ok)
        return false;
    const int fd = ::open(dst.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fchmod(fd, st.st_mode & 07777);
        ::fsync(fd);
        copyTimes(fd, st);
        ::close(fd);
    }
    return true;
}

// Refuses what cannot be copied before anything is written: a FIFO or a device anywhere in a tree.
bool checkTree(const QByteArray& path, Failure* f)
{
    struct stat st {};
    if (::lstat(path.constData(), &st) != 0) {
        *f = {errno, QStringLiteral("no file at %1").arg(QFile::decodeName(path))};
        return false;
    }
    if (S_ISREG(st.st_mode) || S_ISLNK(st.st_mode))
        return true;
    if (!S_ISDIR(st.st_mode)) {
        *f = {EINVAL, QStringLiteral("%1 is not a file, a folder or a link").arg(QFile::decodeName(path))};
        return false;
    }
    DIR* dir = ::opendir(path.constData());
    if (!dir) {
        *f = {errno, QStringLiteral("cannot read %1: %2").arg(QFile::decodeName(path), errorText(errno))};
        return false;
    }
    bool ok = true;
    while (const dirent* entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (name == "." || name == "..")
            continue;
        if (!(ok = checkTree(path + '/' + name, f)))
            break;
    }
    ::closedir(dir);
    return ok;
}

} // namespace

QString transferTempPath(const QString& folder)
{
    return QDir(folder).filePath(QString::fromLatin1(kTransferTempPrefix) +
                                 QUuid::createUuid().toString(QUuid::Id128));
}

bool isTransferTempName(const QString& fileName) { return fileName.startsWith(QLatin1String(kTransferTempPrefix)); }

bool isSameOrInside(const QString& folder, const QString& source)
{
    const QString s = QFileInfo(source).canonicalFilePath();
    const QString f = QFileInfo(folder).canonicalFilePath();
    return !s.isEmpty() && !f.isEmpty() && (f == s || f.startsWith(s + QLatin1Char('/')));
}

qint64 transferSize(const QString& path)
{
    struct stat st {};
    const QByteArray p = QFile::encodeName(path);
    if (::lstat(p.constData(), &st) != 0)
        return 0;
    if (!S_ISDIR(st.st_mode))
        return S_ISREG(st.st_mode) ? qint64(st.st_size) : 0;
    qint64 total = 0;
    const QDir dir(path);
    for (const QString& name : dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot))
        total += transferSize(dir.filePath(name));
    return total;
}

TransferOutcome transferNoReplace(const QString& source, const QString& target, const QString& temp, bool move,
                                  const std::atomic<bool>* cancel, const RenameFn& rename)
{
    TransferOutcome out;
    const QByteArray src = QFile::encodeName(source);
    const QByteArray dst = QFile::encodeName(target);
    const QByteArray tmp = QFile::encodeName(temp);
    Failure f;
    if (!checkTree(src, &f)) {
        out.error = f.text;
        return out;
    }
    struct stat st {};
    ::lstat(src.constData(), &st);
    const bool folder = S_ISDIR(st.st_mode);
    if (folder && isSameOrInside(QFileInfo(target).absolutePath(), source)) {
        out.error = QStringLiteral("%1 cannot go into itself").arg(source);
        return out;
    }
    if (move) {
        if (rename(src, dst, RENAME_NOREPLACE) == 0) {
            syncFolder(parentOf(dst));
            out.ok = true;
            return out;
        }
        const int e = errno;
        // A file system without the no-replace rename refuses it (EINVAL) and a folder cannot be
        // hard-linked in its place (EPERM): the folder goes by copy.
        const bool byCopy = e == EXDEV || (folder && (e == EINVAL || e == ENOSYS || e == EPERM));
        if (!byCopy) {
            out.error = QStringLiteral("cannot move %1 to %2: %3").arg(source, target, errorText(e));
            return out;
        }
    }
    if (!copyNode(src, tmp, cancel, &f)) {
        removeTree(temp);
        out.error = f.text;
        return out;
    }
    syncFolder(parentOf(tmp));
    int e = 0;
    if (rename(tmp, dst, RENAME_NOREPLACE) != 0) {
        e = errno;
        // A folder on a file system without the no-replace rename: named only while the name is free.
        if (folder && (e == EINVAL || e == ENOSYS || e == EPERM)) {
            struct stat there {};
            e = ::lstat(dst.constData(), &there) == 0 ? EEXIST : (rename(tmp, dst, 0) == 0 ? 0 : errno);
        }
    }
    if (e) {
        removeTree(temp);
        out.error = QStringLiteral("cannot name the copy of %1 %2: %3").arg(source, target, errorText(e));
        return out;
    }
    syncFolder(parentOf(dst));
    out.ok = true;
    out.sourceLeft = move;
    return out;
}

FileResult removeTransferredSource(const QString& source)
{
    if (!removeTree(source))
        return FileResult::failure(QStringLiteral("%1 was copied but cannot be removed").arg(source));
    syncFolder(parentOf(QFile::encodeName(source)));
    return FileResult::success();
}

FileResult takeBackTransfer(const QString& source, const QString& target, bool renamed)
{
    if (renamed) {
        const FileResult back = moveFileNoReplace(target, source);
        if (back)
            syncFolder(parentOf(QFile::encodeName(source)));
        return back;
    }
    if (!removeTree(target))
        return FileResult::failure(QStringLiteral("the copy %1 cannot be removed").arg(target));
    syncFolder(parentOf(QFile::encodeName(target)));
    return FileResult::success();
}

} // namespace tallomer
