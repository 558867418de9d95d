#pragma once
// The device registry on Linux: the kernel's input devices (/dev/input/eventN), found through
// udev at start and followed by its monitor, read through the evdev interface.
//
// A device is an infrared receiver ("IOClass" "AppleIRController") when its keys give a remote
// button and it has no letter key, so a keyboard is never seized. Its elements are its keys that
// have a usage in the table (cookie = key code). The queue reads input_event records: autorepeat
// is dropped; after SYN_DROPPED everything up to the next SYN_REPORT is dropped and the keys'
// state is read again, so that a lost release still releases. A udev "remove" or a read ending in
// ENODEV terminates the service.
//
// What the kernel and udev answer comes through EvdevSystem: the machine's own, or a fake whose
// devices are pipes the tests write records into.
//
// The root's console users and busy notice come from the console's login sessions; without them
// (no login manager, or none given) the console users read as an empty list and no notice comes.

#include "platform/hid/ConsoleSessions.h"
#include "platform/hid/HIDRegistry.h"

#include <QObject>

#include <bitset>
#include <map>
#include <set>
#include <sys/types.h>

namespace tallomer {

struct EvdevNode {
    QString path; // the device node; also what identifies it
    // From udev; empty ones are asked of the device (EVIOCGNAME, EVIOCGID).
    QString product;
    QString manufacturer;
    QString transport;
};

class EvdevSystem {
public:
    virtual ~EvdevSystem() = default;
    // The event nodes present now.
    virtual std::vector<EvdevNode> nodes() = 0;
    // Nodes added or removed from now on, from the event loop.
    virtual void watch(std::function<void(const EvdevNode& node, bool added)> changed) = 0;
    // A descriptor open for reading without blocking, or -errno.
    virtual int open(const QString& path) = 0;
    virtual void close(int fd) = 0;
    // 0, or -errno.
    virtual int ioctl(int fd, unsigned long request, void* arg) = 0;
    // Bytes read, or -errno (-EAGAIN when nothing waits).
    virtual ssize_t read(int fd, void* buffer, size_t size) = 0;
};

// The machine's own: udev and the kernel.
std::unique_ptr<EvdevSystem> makeLinuxEvdevSystem();

// The usage pair of a key code; {0, 0} when it is no remote button.
struct EvdevUsage {
    std::uint32_t page = 0;
    std::uint32_t usage = 0;
};
EvdevUsage evdevUsageForKey(unsigned keyCode);

class EvdevRegistry final : public QObject, public HIDRegistry {
public:
    explicit EvdevRegistry(std::unique_ptr<EvdevSystem> system, std::unique_ptr<ConsoleSessions> console = nullptr);
    ~EvdevRegistry() override;

    EvdevSystem& system() { return *system_; }
    // The service of a node path; 0 when it is not known.
    HIDService serviceForPath(const QString& path) const;

    // ---- HIDRegistry ----
    QVariant property(HIDService service, const QString& key) override;
    IOReturn setProperty(HIDService service, const QString& key, const QVariant& value) override;
    bool hasServiceOfClass(const QString& ioClass) override;
    std::uint32_t systemVersion() override { return 0; }
    std::vector<HIDService> services() override;
    std::unique_ptr<HIDNotification> addMatching(std::function<void(HIDService)> matched, IOReturn& result) override;
    std::unique_ptr<HIDNotification> addInterest(HIDService service, std::function<void(std::uint32_t)> notice,
                                                 IOReturn& result) override;
    QVariant rootProperty(const QString& key) override;
    std::unique_ptr<HIDNotification> addRootBusyInterest(std::function<void(std::uint32_t)> notice,
                                                         IOReturn& result) override;
    std::unique_ptr<HIDDevice> createPlugIn(HIDService service, IOReturn& result) override;

    // A service went (udev "remove", or its reading ended in ENODEV): its interested parties are
    // told from the event loop.
    void terminate(HIDService service);

private:
    struct Service {
        EvdevNode node;
        bool probed = false;
        int probeError = 0;
        std::bitset<0x300> keys;
        QString ioClass;
    };
    class Registration;
    void startWatching();
    HIDService add(const EvdevNode& node);
    Service* find(HIDService service);
    void probe(Service& s);
    void consoleChanged();

    std::unique_ptr<EvdevSystem> system_;
    bool watching_ = false;
    HIDService next_ = 1;
    std::map<HIDService, Service> services_;
    std::uint64_t nextRegistration_ = 1;
    std::map<std::uint64_t, std::function<void(HIDService)>> matching_;
    std::map<std::uint64_t, std::pair<HIDService, std::function<void(std::uint32_t)>>> interests_;
    bool refusalLogged_ = false;
    std::unique_ptr<ConsoleSessions> console_;
    std::map<std::uint64_t, std::function<void(std::uint32_t)>> rootBusy_;
};

} // namespace tallomer
