#include "platform/hid/FakeEvdevSystem.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <linux/input.h>
#include <unistd.h>

namespace tallomer {

namespace {
constexpr std::size_t kKeyBytes = 0x300 / 8;

void setBits(const std::set<unsigned>& keys, void* arg)
{
    auto* bits = static_cast<unsigned char*>(arg);
    std::memset(bits, 0, kKeyBytes);
    for (unsigned k : keys)
        if (k < 0x300)
            bits[k / 8] |= static_cast<unsigned char>(1u << (k % 8));
}
} // namespace

FakeEvdevSystem::~FakeEvdevSystem()
{
    for (auto& [fd, o] : open_) {
        ::close(fd);
        ::close(o.writeEnd);
    }
}

FakeEvdevSystem::Device FakeEvdevSystem::remote(int n)
{
    Device d;
    d.node.path = QStringLiteral("/dev/input/event%1").arg(n);
    d.node.product = QStringLiteral("Test IR Receiver");
    d.node.manufacturer = QStringLiteral("Test");
    d.node.transport = QStringLiteral("usb");
    d.keys = {KEY_MENU, KEY_OK,      KEY_RIGHT,     KEY_LEFT,      KEY_UP,    KEY_DOWN,
              KEY_CONTEXT_MENU, KEY_SELECT, KEY_FASTFORWARD, KEY_REWIND, KEY_PLAYPAUSE, KEY_INFO};
    return d;
}

FakeEvdevSystem::Device FakeEvdevSystem::keyboard(int n)
{
    Device d = remote(n);
    d.node.product = QStringLiteral("Test Keyboard");
    for (unsigned k = KEY_Q; k <= KEY_P; ++k)
        d.keys.insert(k);
    for (unsigned k = KEY_A; k <= KEY_L; ++k)
        d.keys.insert(k);
    for (unsigned k = KEY_Z; k <= KEY_M; ++k)
        d.keys.insert(k);
    return d;
}

void FakeEvdevSystem::addDevice(const Device& device)
{
    devices_[device.node.path] = device;
    if (changed_)
        changed_(device.node, true);
}

void FakeEvdevSystem::removeDevice(const QString& path)
{
    auto it = devices_.find(path);
    if (it == devices_.end())
        return;
    const EvdevNode node = it->second.node;
    devices_.erase(it);
    if (changed_)
        changed_(node, false);
}

void FakeEvdevSystem::failReads(const QString& path)
{
    failingReads_.insert(path);
    // Wakes the reader up.
    write(path, EV_SYN, SYN_REPORT, 0);
}

bool FakeEvdevSystem::write(const QString& path, unsigned short type, unsigned short code, int value)
{
    int writeEnd = -1;
    for (const auto& [fd, o] : open_)
        if (o.path == path)
            writeEnd = o.writeEnd;
    if (writeEnd < 0)
        return false;
    input_event ev{};
    ev.type = type;
    ev.code = code;
    ev.value = value;
    return ::write(writeEnd, &ev, sizeof ev) == ssize_t(sizeof ev);
}

bool FakeEvdevSystem::key(const QString& path, unsigned code, int value)
{
    if (value == 1)
        down_[path].insert(code);
    else if (value == 0)
        down_[path].erase(code);
    return write(path, EV_KEY, static_cast<unsigned short>(code), value) && write(path, EV_SYN, SYN_REPORT, 0);
}

void FakeEvdevSystem::setKeyDown(const QString& path, unsigned code, bool down)
{
    if (down)
        down_[path].insert(code);
    else
        down_[path].erase(code);
}

bool FakeEvdevSystem::isGrabbed(const QString& path) const { return grabbedBy_.count(path) != 0; }

bool FakeEvdevSystem::isOpen(const QString& path) const
{
    for (const auto& [fd, o] : open_)
        if (o.path == path)
            return true;
    return false;
}

FakeEvdevSystem::Device* FakeEvdevSystem::device(const QString& path)
{
    auto it = devices_.find(path);
    return it == devices_.end() ? nullptr : &it->second;
}

std::vector<EvdevNode> FakeEvdevSystem::nodes()
{
    std::vector<EvdevNode> out;
    for (const auto& [path, d] : devices_)
        out.push_back(d.node);
    return out;
}

void FakeEvdevSystem::watch(std::function<void(const EvdevNode&, bool)> changed) { changed_ = std::move(changed); }

int FakeEvdevSystem::open(const QString& path)
{
    Device* d = device(path);
    if (!d)
        return -ENOENT;
    if (d->openError)
        return -d->openError;
    int fds[2];
    if (::pipe2(fds, O_NONBLOCK | O_CLOEXEC) != 0)
        return -errno;
    open_[fds[0]] = {path, fds[1]};
    return fds[0];
}

void FakeEvdevSystem::close(int fd)
{
    auto it = open_.find(fd);
    if (it == open_.end())
        return;
    auto g = grabbedBy_.find(it->second.path);
    if (g != grabbedBy_.end() && g->second == fd)
        grabbedBy_.erase(g);
    ::close(it->second.writeEnd);
    ::close(fd);
    open_.erase(it);
}

int FakeEvdevSystem::ioctl(int fd, unsigned long request, void* arg)
{
    auto it = open_.find(fd);
    if (it == open_.end())
        return -EBADF;
    const QString path = it->second.path;
    Device* d = device(path);
    if (!d)
        return -ENODEV;
    if (request == EVIOCGVERSION) {
        if (d->versionError)
            return -d->versionError;
        *static_cast<int*>(arg) = EV_VERSION;
        return 0;
    }
    if (request == EVIOCGRAB) {
        if (arg) {
            if (d->grabError)
                return -d->grabError;
            auto g = grabbedBy_.find(path);
            if (g != grabbedBy_.end() && g->second != fd)
                return -EBUSY;
            grabbedBy_[path] = fd;
        } else {
            auto g = grabbedBy_.find(path);
            if (g == grabbedBy_.end() || g->second != fd)
                return -EINVAL;
            grabbedBy_.erase(g);
        }
        return 0;
    }
    if (request == EVIOCGBIT(EV_KEY, kKeyBytes)) {
        if (d->bitsError)
            return -d->bitsError;
        setBits(d->keys, arg);
        return 0;
    }
    if (request == EVIOCGKEY(kKeyBytes)) {
        setBits(down_[path], arg);
        return 0;
    }
    if (request == EVIOCGNAME(255)) {
        const QByteArray name = d->kernelName.toUtf8().left(254);
        std::memset(arg, 0, 255);
        std::memcpy(arg, name.constData(), std::size_t(name.size()));
        return 0;
    }
    if (request == EVIOCGID) {
        input_id id{};
        id.bustype = d->bus;
        std::memcpy(arg, &id, sizeof id);
        return 0;
    }
    return -ENOTTY;
}

ssize_t FakeEvdevSystem::read(int fd, void* buffer, size_t size)
{
    auto it = open_.find(fd);
    if (it != open_.end() && failingReads_.count(it->second.path))
        return -ENODEV;
    const ssize_t n = ::read(fd, buffer, size);
    return n < 0 ? -errno : n;
}

} // namespace tallomer
