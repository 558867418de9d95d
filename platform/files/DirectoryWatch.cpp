#include "platform/files/DirectoryWatch.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstring>

#include <dirent.h>

namespace tallomer {

namespace {
constexpr char kScan[] = "scan";
}

DirectoryWatch::DirectoryWatch(const QString& path, double latency) : path_(QDir::cleanPath(path)), latency_(latency)
{
}

void DirectoryWatch::noteChange()
{
    if (siScanPending())
        return;
    Scheduler::shared().perform(this, kScan, latency_, [this] {
        if (onScan)
            onScan();
    });
}

void DirectoryWatch::cancelPendingScan() { Scheduler::shared().cancel(this, kScan); }

bool DirectoryWatch::siScanPending() const { return Scheduler::shared().isPending(this, kScan); }

InotifyDirectoryWatch::InotifyDirectoryWatch(const QString& path, double latency) : DirectoryWatch(path, latency)
{
    QObject::connect(&watcher_, &QFileSystemWatcher::directoryChanged, &watcher_,
                     [this](const QString&) { noteChange(); });
}

bool InotifyDirectoryWatch::renew()
{
    const std::optional<FileIdentity> folder = fileIdentity(path());
    const bool listed = watcher_.directories().contains(path());
    if (folder && listed && watched_ && watched_->sameFile(*folder))
        return true;
    // The folder went (the watch with it) or another folder took its name.
    if (listed)
        watcher_.removePath(path());
    watched_.reset();
    if (!folder || !watcher_.addPath(path()))
        return false;
    watched_ = folder;
    return true;
}

bool forEachFolderEntry(const QString& path, const FolderEntryFn& fn, QString* error)
{
    DIR* dir = ::opendir(QFile::encodeName(path).constData());
    if (!dir) {
        if (error)
            *error = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    // Examined through the open folder: one step of path lookup per entry, not the whole path.
    const int fd = ::dirfd(dir);
    errno = 0;
    while (const dirent* entry = ::readdir(dir)) {
        if (entry->d_name[0] != '.')
            fn(entry->d_name, fileIdentityAt(fd, entry->d_name));
        errno = 0;
    }
    const int failure = errno;
    ::closedir(dir);
    if (failure != 0 && error)
        *error = QString::fromLocal8Bit(std::strerror(failure));
    return failure == 0;
}

} // namespace tallomer
