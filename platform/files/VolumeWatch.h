#pragma once
// Tells when a volume was mounted or unmounted. The kernel marks /proc/self/mountinfo with an
// exceptional condition whenever the mount table changes; the mounts are then read again and
// compared with the last reading, so that a wake-up that changed nothing says nothing.

#include <QObject>
#include <QStringList>

#include <functional>
#include <memory>

class QSocketNotifier;

namespace tallomer {

class VolumeWatch final : public QObject {
    Q_OBJECT
public:
    enum class Change { Mounted, Unmounted };
    using Lister = std::function<QStringList()>;

    // `lister` reads the mount roots (default: the disks and shares VolumeMap counts). Watching starts
    // at once when the mount table can be opened; otherwise only recheck() reports changes.
    explicit VolumeWatch(Lister lister = {}, QObject* parent = nullptr);
    ~VolumeWatch() override;

    // Called once per change found: a mount first when both happened at once.
    std::function<void(Change)> changed;

    // Reads the mounts again and reports what differs from the last reading.
    void recheck();
    bool watching() const { return notifier_ != nullptr; }
    const QStringList& roots() const { return roots_; }

private:
    Lister lister_;
    QStringList roots_;
    int fd_ = -1;
    std::unique_ptr<QSocketNotifier> notifier_;
};

} // namespace tallomer
