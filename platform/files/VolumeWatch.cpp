#include "platform/files/VolumeWatch.h"

#include "runtime/Log.h"
#include "platform/files/Volumes.h"

#include <QSocketNotifier>

#include <algorithm>
#include <fcntl.h>
#include <unistd.h>

namespace tallomer {

VolumeWatch::VolumeWatch(Lister lister, QObject* parent)
    : QObject(parent), lister_(lister ? std::move(lister) : Lister(&VolumeMap::systemRoots))
{
    roots_ = lister_();
    roots_.sort();
    fd_ = ::open("/proc/self/mountinfo", O_RDONLY | O_CLOEXEC);
    if (fd_ < 0) {
        logLine("VolumeWatch: /proc/self/mountinfo cannot be opened; mounts are not followed");
        return;
    }
    notifier_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Exception);
    connect(notifier_.get(), &QSocketNotifier::activated, this, [this] {
        // The condition stays raised until the file is read again from its start.
        char buffer[4096];
        ::lseek(fd_, 0, SEEK_SET);
        while (::read(fd_, buffer, sizeof buffer) > 0) {
        }
        recheck();
    });
}

VolumeWatch::~VolumeWatch()
{
    notifier_.reset();
    if (fd_ >= 0)
        ::close(fd_);
}

void VolumeWatch::recheck()
{
    QStringList now = lister_();
    now.sort();
    const bool added = std::any_of(now.begin(), now.end(), [this](const QString& r) { return !roots_.contains(r); });
    const bool removed = std::any_of(roots_.begin(), roots_.end(), [&now](const QString& r) { return !now.contains(r); });
    roots_ = std::move(now);
    if (!changed)
        return;
    if (added)
        changed(Change::Mounted);
    if (removed)
        changed(Change::Unmounted);
}

} // namespace tallomer
