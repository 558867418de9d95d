#pragma once
// Input devices for tests: each is a pipe the test writes input_event records into, read by the
// same evdev reader the machine's devices go through. Seizing, key bits, key state, names and
// failures are the fake's own answers.

#include "platform/hid/EvdevRegistry.h"

#include <map>
#include <set>

namespace tallomer {

class FakeEvdevSystem final : public EvdevSystem {
public:
    struct Device {
        EvdevNode node;
        std::set<unsigned> keys;
        QString kernelName;      // EVIOCGNAME
        unsigned short bus = 0;  // EVIOCGID
        // errno answered by open(2), EVIOCGVERSION, EVIOCGRAB, EVIOCGBIT; 0 for success.
        int openError = 0;
        int versionError = 0;
        int grabError = 0;
        int bitsError = 0;
    };

    ~FakeEvdevSystem() override;

    // A remote with every button of the table; path "/dev/input/event<n>".
    static Device remote(int n);
    // A keyboard that also has arrows and Menu.
    static Device keyboard(int n);

    // Present from the start, or plugged in now (told to the watcher).
    void addDevice(const Device& device);
    // Unplugged: udev's "remove" is told.
    void removeDevice(const QString& path);
    // The next read of its open descriptor fails with ENODEV.
    void failReads(const QString& path);

    // Writes one record to the device's open descriptor; false when it is not open.
    bool write(const QString& path, unsigned short type, unsigned short code, int value);
    // A key down or up followed by SYN_REPORT.
    bool key(const QString& path, unsigned code, int value);
    // The key state the device reports (EVIOCGKEY) without writing anything.
    void setKeyDown(const QString& path, unsigned code, bool down);

    bool isGrabbed(const QString& path) const;
    bool isOpen(const QString& path) const;
    Device* device(const QString& path);

    // ---- EvdevSystem ----
    std::vector<EvdevNode> nodes() override;
    void watch(std::function<void(const EvdevNode&, bool)> changed) override;
    int open(const QString& path) override;
    void close(int fd) override;
    int ioctl(int fd, unsigned long request, void* arg) override;
    ssize_t read(int fd, void* buffer, size_t size) override;

private:
    struct Open {
        QString path;
        int writeEnd = -1;
    };
    std::map<QString, Device> devices_;
    std::map<QString, std::set<unsigned>> down_;
    std::map<int, Open> open_;
    std::map<QString, int> grabbedBy_;
    std::set<QString> failingReads_;
    std::function<void(const EvdevNode&, bool)> changed_;
};

} // namespace tallomer
