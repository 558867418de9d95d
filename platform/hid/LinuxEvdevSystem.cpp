// The machine's input devices: udev finds and follows them, the kernel answers the rest.

#include "platform/hid/EvdevRegistry.h"

#include <QSocketNotifier>

#include <cerrno>
#include <fcntl.h>
#include <libudev.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace tallomer {

namespace {

QString text(const char* s) { return s ? QString::fromUtf8(s).remove(QLatin1Char('"')) : QString(); }

bool isEventNode(udev_device* d)
{
    const char* name = udev_device_get_sysname(d);
    return name && QByteArray(name).startsWith("event") && udev_device_get_devnode(d);
}

EvdevNode nodeOf(udev_device* d)
{
    EvdevNode n;
    n.path = text(udev_device_get_devnode(d));
    udev_device* parent = udev_device_get_parent_with_subsystem_devtype(d, "input", nullptr);
    n.product = text(udev_device_get_property_value(d, "NAME"));
    if (n.product.isEmpty() && parent)
        n.product = text(udev_device_get_property_value(parent, "NAME"));
    n.manufacturer = text(udev_device_get_property_value(d, "ID_VENDOR"));
    n.transport = text(udev_device_get_property_value(d, "ID_BUS"));
    return n;
}

class LinuxEvdevSystem final : public EvdevSystem {
public:
    LinuxEvdevSystem() : udev_(udev_new()) {}
    ~LinuxEvdevSystem() override
    {
        delete notifier_;
        if (monitor_)
            udev_monitor_unref(monitor_);
        if (udev_)
            udev_unref(udev_);
    }

    std::vector<EvdevNode> nodes() override
    {
        std::vector<EvdevNode> out;
        if (!udev_)
            return out;
        udev_enumerate* e = udev_enumerate_new(udev_);
        udev_enumerate_add_match_subsystem(e, "input");
        udev_enumerate_scan_devices(e);
        udev_list_entry* entry = nullptr;
        udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(e))
        {
            udev_device* d = udev_device_new_from_syspath(udev_, udev_list_entry_get_name(entry));
            if (!d)
                continue;
            if (isEventNode(d))
                out.push_back(nodeOf(d));
            udev_device_unref(d);
        }
        udev_enumerate_unref(e);
        return out;
    }

    void watch(std::function<void(const EvdevNode&, bool)> changed) override
    {
        changed_ = std::move(changed);
        if (monitor_ || !udev_)
            return;
        monitor_ = udev_monitor_new_from_netlink(udev_, "udev");
        if (!monitor_)
            return;
        udev_monitor_filter_add_match_subsystem_devtype(monitor_, "input", nullptr);
        if (udev_monitor_enable_receiving(monitor_) < 0)
            return;
        notifier_ = new QSocketNotifier(udev_monitor_get_fd(monitor_), QSocketNotifier::Read);
        QObject::connect(notifier_, &QSocketNotifier::activated, notifier_, [this] {
            while (udev_device* d = udev_monitor_receive_device(monitor_)) {
                const QByteArray action = udev_device_get_action(d);
                if (isEventNode(d) && changed_ && (action == "add" || action == "remove"))
                    changed_(nodeOf(d), action == "add");
                udev_device_unref(d);
            }
        });
    }

    int open(const QString& path) override
    {
        const int fd = ::open(path.toLocal8Bit().constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        return fd < 0 ? -errno : fd;
    }
    void close(int fd) override { ::close(fd); }
    int ioctl(int fd, unsigned long request, void* arg) override { return ::ioctl(fd, request, arg) < 0 ? -errno : 0; }
    ssize_t read(int fd, void* buffer, size_t size) override
    {
        const ssize_t n = ::read(fd, buffer, size);
        return n < 0 ? -errno : n;
    }

private:
    udev* udev_;
    udev_monitor* monitor_ = nullptr;
    QSocketNotifier* notifier_ = nullptr;
    std::function<void(const EvdevNode&, bool)> changed_;
};

} // namespace

std::unique_ptr<EvdevSystem> makeLinuxEvdevSystem() { return std::make_unique<LinuxEvdevSystem>(); }

} // namespace tallomer
