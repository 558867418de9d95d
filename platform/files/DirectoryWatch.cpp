#include "platform/files/DirectoryWatch.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstring>

#include <dirent.h>

#include <algorithm>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

namespace tallomer {

namespace {
constexpr char kScan[] = "scan";
// Below this many entries per thread, starting a thread costs more than it saves.
constexpr std::size_t kEntriesPerThread = 1000;
constexpr std::size_t kMaxHelpers = 3;
} // namespace

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
    std::vector<std::string> names;
    errno = 0;
    while (const dirent* entry = ::readdir(dir)) {
        if (entry->d_name[0] != '.')
            names.emplace_back(entry->d_name);
        errno = 0;
    }
    const int failure = errno;
    if (failure != 0) {
        ::closedir(dir);
        if (error)
            *error = QString::fromLocal8Bit(std::strerror(failure));
        return false;
    }
    // Examined through the open folder: one step of path lookup per entry, not the whole path.
    // Each examination is a system call that waits on the kernel; a large folder's are shared
    // among a few threads, since the scan holds up the main thread at every activation.
    const int fd = ::dirfd(dir);
    std::vector<std::optional<FileIdentity>> identities(names.size());
    const auto examine = [&](std::size_t from, std::size_t to) {
        for (std::size_t i = from; i < to; ++i)
            identities[i] = fileIdentityAt(fd, names[i].c_str());
    };
    const std::size_t helpers = std::min<std::size_t>(
        {names.size() / kEntriesPerThread, kMaxHelpers, std::max(1u, std::thread::hardware_concurrency()) - 1});
    const std::size_t share = names.size() / (helpers + 1);
    std::vector<std::thread> threads;
    threads.reserve(helpers);
    for (std::size_t t = 0; t < helpers; ++t) {
        try {
            threads.emplace_back(examine, t * share, (t + 1) * share);
        } catch (const std::system_error&) {
            examine(t * share, (t + 1) * share); // no thread to be had: this one does it
        }
    }
    examine(helpers * share, names.size());
    for (std::thread& t : threads)
        t.join();
    ::closedir(dir);
    for (std::size_t i = 0; i < names.size(); ++i)
        fn(names[i].c_str(), identities[i]);
    return true;
}

} // namespace tallomer
