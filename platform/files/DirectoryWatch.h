#pragma once
// A watch on one folder that says, after a burst of changes in it, that it is worth a look: one
// call of onScan, `latency` seconds after the first change of the burst, on the shared scheduler.
// Changes meanwhile join that scan; a steady stream of them never postpones it. The watch says
// nothing about which entry changed: the caller lists the folder again.
//
// The program's watch uses inotify (QFileSystemWatcher); tests call noteChange() themselves.

#include "platform/files/FileIdentity.h"
#include "runtime/Scheduler.h"

#include <QFileSystemWatcher>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace tallomer {

class DirectoryWatch {
public:
    static constexpr double kLatency = 1.0;

    explicit DirectoryWatch(const QString& path, double latency = kLatency);
    virtual ~DirectoryWatch() = default;
    DirectoryWatch(const DirectoryWatch&) = delete;
    DirectoryWatch& operator=(const DirectoryWatch&) = delete;

    const QString& path() const { return path_; }
    std::function<void()> onScan;

    // Watches the folder, anew when it was removed and made again since; false when there is no
    // folder to watch (it is tried again at the next call).
    virtual bool renew() = 0;
    // Something changed in the folder.
    void noteChange();
    // The scan a burst is waiting for is not wanted (the caller scans now).
    void cancelPendingScan();
    bool siScanPending() const;

private:
    QString path_;
    double latency_;
    ScheduledTarget guard_{this};
};

class InotifyDirectoryWatch final : public DirectoryWatch {
public:
    explicit InotifyDirectoryWatch(const QString& path, double latency = kLatency);
    bool renew() override;

private:
    QFileSystemWatcher watcher_;
    std::optional<FileIdentity> watched_; // the folder the watch is on
};

// Calls fn with each top-level entry of a folder, hidden ones (beginning with a point) left out, in
// the order the file system gives them: its name as the file system spells it, and the identity of
// what it names (symbolic links followed; absent when it vanished meanwhile or cannot be
// examined). A large folder's entries are examined by a few threads; fn is called on the calling
// thread alone, once they are all done. false, with the reason in error, when the folder cannot
// be listed.
using FolderEntryFn = std::function<void(const char* name, const std::optional<FileIdentity>& identity)>;
bool forEachFolderEntry(const QString& path, const FolderEntryFn& fn, QString* error = nullptr);

} // namespace tallomer
