#include "platform/files/FileIdentity.h"

#include "runtime/Clock.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace tallomer {

namespace {

struct RawStat {
    FileIdentity identity;
    std::optional<double> birthUnix;
    double modifiedUnix = 0;
    double accessedUnix = 0;
};

double seconds(std::int64_t sec, std::uint32_t nsec) { return double(sec) + double(nsec) / 1e9; }

std::optional<RawStat> rawStat(const QString& path, SymlinkMode mode)
{
    if (path.isEmpty())
        return std::nullopt;
    const QByteArray name = QFile::encodeName(path);
    const int flags = mode == SymlinkMode::NoFollow ? AT_SYMLINK_NOFOLLOW : 0;
    RawStat out;
    struct statx sx {};
    if (::statx(AT_FDCWD, name.constData(), flags | AT_STATX_SYNC_AS_STAT,
                STATX_BASIC_STATS | STATX_BTIME, &sx) == 0) {
        out.identity.deviceMajor = sx.stx_dev_major;
        out.identity.deviceMinor = sx.stx_dev_minor;
        out.identity.inode = sx.stx_ino;
        if (sx.stx_mask & STATX_BTIME) {
            out.identity.hasBirth = true;
            out.identity.birthSeconds = sx.stx_btime.tv_sec;
            out.identity.birthNanoseconds = sx.stx_btime.tv_nsec;
            out.birthUnix = seconds(sx.stx_btime.tv_sec, sx.stx_btime.tv_nsec);
        }
        out.modifiedUnix = seconds(sx.stx_mtime.tv_sec, sx.stx_mtime.tv_nsec);
        out.accessedUnix = seconds(sx.stx_atime.tv_sec, sx.stx_atime.tv_nsec);
        return out;
    }
    // Kernels or sandboxes without statx still answer stat(2): identity without birth.
    if (errno != ENOSYS && errno != EPERM)
        return std::nullopt;
    struct stat st {};
    const int rc = mode == SymlinkMode::NoFollow ? ::lstat(name.constData(), &st)
                                                 : ::stat(name.constData(), &st);
    if (rc != 0)
        return std::nullopt;
    out.identity.deviceMajor = major(st.st_dev);
    out.identity.deviceMinor = minor(st.st_dev);
    out.identity.inode = st.st_ino;
    out.modifiedUnix = seconds(st.st_mtim.tv_sec, std::uint32_t(st.st_mtim.tv_nsec));
    out.accessedUnix = seconds(st.st_atim.tv_sec, std::uint32_t(st.st_atim.tv_nsec));
    return out;
}

} // namespace

QString FileIdentity::uid() const
{
    QString text = QStringLiteral("%1:%2/%3").arg(deviceMajor).arg(deviceMinor).arg(inode);
    if (hasBirth)
        text += QStringLiteral("/%1.%2").arg(birthSeconds).arg(birthNanoseconds, 9, 10, QLatin1Char('0'));
    return text;
}

bool FileIdentity::sameFile(const FileIdentity& other) const
{
    if (deviceMajor != other.deviceMajor || deviceMinor != other.deviceMinor || inode != other.inode)
        return false;
    if (hasBirth && other.hasBirth)
        return birthSeconds == other.birthSeconds && birthNanoseconds == other.birthNanoseconds;
    return true;
}

std::optional<FileIdentity> fileIdentity(const QString& path, SymlinkMode mode)
{
    const auto raw = rawStat(path, mode);
    if (!raw)
        return std::nullopt;
    return raw->identity;
}

QString fileUid(const QString& path)
{
    const auto identity = fileIdentity(path);
    return identity ? identity->uid() : QString();
}

std::optional<FileDates> fileDates(const QString& path)
{
    const auto raw = rawStat(path, SymlinkMode::Follow);
    if (!raw)
        return std::nullopt;
    FileDates dates;
    if (raw->birthUnix)
        dates.created = dateFromUnix(*raw->birthUnix);
    dates.modified = dateFromUnix(raw->modifiedUnix);
    dates.lastUsed = dateFromUnix(raw->accessedUnix);
    return dates;
}

} // namespace tallomer
