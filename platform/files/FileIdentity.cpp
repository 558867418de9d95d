#include "platform/files/FileIdentity.h"

#include "runtime/Clock.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstdio>
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

std::optional<RawStat> rawStat(int dirFd, const char* name, SymlinkMode mode)
{
    const int flags = mode == SymlinkMode::NoFollow ? AT_SYMLINK_NOFOLLOW : 0;
    RawStat out;
    struct statx sx {};
    if (::statx(dirFd, name, flags | AT_STATX_SYNC_AS_STAT,
                STATX_BASIC_STATS | STATX_BTIME, &sx) == 0) {
        out.identity.deviceMajor = sx.stx_dev_major;
        out.identity.deviceMinor = sx.stx_dev_minor;
        out.identity.inode = sx.stx_ino;
        out.identity.fileOrFolder = S_ISREG(sx.stx_mode) || S_ISDIR(sx.stx_mode);
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
    const int rc = ::fstatat(dirFd, name, &st, flags);
    if (rc != 0)
        return std::nullopt;
    out.identity.deviceMajor = major(st.st_dev);
    out.identity.deviceMinor = minor(st.st_dev);
    out.identity.inode = st.st_ino;
    out.identity.fileOrFolder = S_ISREG(st.st_mode) || S_ISDIR(st.st_mode);
    out.modifiedUnix = seconds(st.st_mtim.tv_sec, std::uint32_t(st.st_mtim.tv_nsec));
    out.accessedUnix = seconds(st.st_atim.tv_sec, std::uint32_t(st.st_atim.tv_nsec));
    return out;
}

std::optional<RawStat> rawStat(const QString& path, SymlinkMode mode)
{
    if (path.isEmpty())
        return std::nullopt;
    return rawStat(AT_FDCWD, QFile::encodeName(path).constData(), mode);
}

} // namespace

QString FileIdentity::uid() const
{
    // Made for every entry of the drop folder at every scan: one formatting, one allocation.
    char text[96];
    const int n = hasBirth ? std::snprintf(text, sizeof text, "%u:%u/%llu/%lld.%09u", deviceMajor, deviceMinor,
                                           (unsigned long long)inode, (long long)birthSeconds, birthNanoseconds)
                           : std::snprintf(text, sizeof text, "%u:%u/%llu", deviceMajor, deviceMinor,
                                           (unsigned long long)inode);
    return QString::fromLatin1(text, std::min<int>(n, int(sizeof text) - 1));
}

bool FileIdentity::sameFile(const FileIdentity& other) const
{
    if (deviceMajor != other.deviceMajor || deviceMinor != other.deviceMinor || inode != other.inode)
        return false;
    if (hasBirth && other.hasBirth)
        return birthSeconds == other.birthSeconds && birthNanoseconds == other.birthNanoseconds;
    return true;
}

std::optional<FileIdentity> fileIdentityAt(int dirFd, const char* name, SymlinkMode mode)
{
    const auto raw = rawStat(dirFd, name, mode);
    if (!raw)
        return std::nullopt;
    return raw->identity;
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
