#include "platform/hid/EvdevRegistry.h"

#include "runtime/Log.h"

#include <QPointer>
#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>
#include <cstring>
#include <deque>
#include <linux/input.h>

namespace tallomer {

namespace {

constexpr std::size_t kKeyBytes = 0x300 / 8;

// The keys of a remote and the usages its receiver would report for them. Ten or more of them
// make a receiver the driver takes.
struct KeyUsage {
    unsigned key;
    EvdevUsage usage;
};
const KeyUsage kKeyUsages[] = {
    {KEY_MENU, {1, 134}},
    {KEY_OK, {1, 137}},
    {KEY_RIGHT, {1, 138}},
    {KEY_LEFT, {1, 139}},
    {KEY_UP, {1, 140}},
    {KEY_DOWN, {1, 141}},
    {KEY_CONTEXT_MENU, {12, 64}},
    {KEY_SELECT, {12, 65}},
    {KEY_FASTFORWARD, {12, 179}},
    {KEY_REWIND, {12, 180}},
    {KEY_PLAYPAUSE, {12, 205}},
    {KEY_PLAY, {12, 205}},
    {KEY_INFO, {0xFF01, 35}},
};

IOReturn ioResult(int negErrno) { return negErrno == -EBUSY ? kIOReturnExclusiveAccess : kIOReturnError; }

QString busName(unsigned bus)
{
    switch (bus) {
    case BUS_USB: return QStringLiteral("USB");
    case BUS_BLUETOOTH: return QStringLiteral("Bluetooth");
    case BUS_I2C: return QStringLiteral("I2C");
    case BUS_HOST: return QStringLiteral("Host");
    case BUS_VIRTUAL: return QStringLiteral("Virtual");
    default: return QStringLiteral("Bus %1").arg(bus);
    }
}

class Nothing final : public HIDNotification {};

class EvdevQueue final : public HIDQueue {
public:
    EvdevQueue(EvdevRegistry& registry, HIDService service, int fd) : registry_(registry), service_(service), fd_(fd) {}
    ~EvdevQueue() override { dispose(); }

    IOReturn create(int depth) override
    {
        depth_ = depth > 0 ? std::size_t(depth) : 1;
        return kIOReturnSuccess;
    }
    void addElement(std::uint32_t cookie) override { cookies_.insert(cookie); }
    void removeElement(std::uint32_t cookie) override { cookies_.erase(cookie); }
    bool hasElement(std::uint32_t cookie) const override { return cookies_.count(cookie) != 0; }
    IOReturn createEventSource() override
    {
        notifier_ = new QSocketNotifier(fd_, QSocketNotifier::Read);
        notifier_->setEnabled(false);
        QObject::connect(notifier_, &QSocketNotifier::activated, notifier_, [this] { readAvailable(); });
        return kIOReturnSuccess;
    }
    IOReturn setEventCallout(std::function<void(IOReturn)> callout) override
    {
        callout_ = std::move(callout);
        return kIOReturnSuccess;
    }
    IOReturn start() override
    {
        if (!notifier_)
            return kIOReturnError;
        // What the keys are now is where the reading starts.
        readKeyState(known_);
        notifier_->setEnabled(true);
        return kIOReturnSuccess;
    }
    void stop() override
    {
        if (notifier_)
            notifier_->setEnabled(false);
    }
    void dispose() override
    {
        callout_ = nullptr;
        if (notifier_) {
            notifier_->setEnabled(false);
            QObject::disconnect(notifier_, nullptr, nullptr, nullptr);
            // It may be the one whose signal is being handled.
            notifier_->deleteLater();
            notifier_ = nullptr;
        }
        events_.clear();
    }
    bool nextEvent(HIDValueEvent& event) override
    {
        if (events_.empty())
            return false;
        event = events_.front();
        events_.pop_front();
        return true;
    }

private:
    void readKeyState(std::bitset<0x300>& state)
    {
        unsigned char bits[kKeyBytes] = {};
        if (registry_.system().ioctl(fd_, EVIOCGKEY(sizeof bits), bits) != 0)
            return;
        for (std::size_t k = 0; k < 0x300; ++k)
            state[k] = (bits[k / 8] >> (k % 8)) & 1;
    }
    void push(std::uint32_t cookie, std::int32_t value)
    {
        // A full queue loses what comes after, as a hardware queue does.
        if (events_.size() < depth_)
            events_.push_back({cookie, value});
    }
    void resync()
    {
        std::bitset<0x300> now;
        readKeyState(now);
        for (std::uint32_t c : cookies_)
            if (c < 0x300 && now[c] != known_[c]) {
                known_[c] = now[c];
                push(c, now[c] ? 1 : 0);
            }
    }
    void readAvailable()
    {
        bool gone = false;
        for (;;) {
            char buffer[sizeof(input_event) * 64];
            const ssize_t n = registry_.system().read(fd_, buffer + pending_.size(), sizeof buffer - pending_.size());
            if (n == -EAGAIN || n == -EINTR)
                break;
            if (n <= 0) {
                // ENODEV, or the end of the stream: the device is gone.
                gone = true;
                break;
            }
            std::memcpy(buffer, pending_.data(), pending_.size());
            const std::size_t total = pending_.size() + std::size_t(n);
            std::size_t at = 0;
            for (; at + sizeof(input_event) <= total; at += sizeof(input_event)) {
                input_event ev;
                std::memcpy(&ev, buffer + at, sizeof ev);
                record(ev);
            }
            pending_.assign(buffer + at, buffer + total);
        }
        if (gone && notifier_)
            notifier_->setEnabled(false);
        // The callout may dispose of this queue: nothing of it is touched afterwards.
        EvdevRegistry& registry = registry_;
        const HIDService service = service_;
        if (!events_.empty() && callout_) {
            auto callout = callout_;
            callout(kIOReturnSuccess);
        }
        if (gone)
            registry.terminate(service);
    }
    void record(const input_event& ev)
    {
        if (dropping_) {
            if (ev.type == EV_SYN && ev.code == SYN_REPORT) {
                dropping_ = false;
                resync();
            }
            return;
        }
        if (ev.type == EV_SYN && ev.code == SYN_DROPPED) {
            dropping_ = true;
            return;
        }
        if (ev.type != EV_KEY || ev.value == 2 || ev.code >= 0x300 || !cookies_.count(ev.code))
            return;
        known_[ev.code] = ev.value != 0;
        push(ev.code, ev.value);
    }

    EvdevRegistry& registry_;
    HIDService service_;
    int fd_;
    std::size_t depth_ = 1;
    std::set<std::uint32_t> cookies_;
    QSocketNotifier* notifier_ = nullptr;
    std::function<void(IOReturn)> callout_;
    std::deque<HIDValueEvent> events_;
    std::string pending_;
    std::bitset<0x300> known_;
    bool dropping_ = false;
};

class EvdevDevice final : public HIDDevice {
public:
    EvdevDevice(EvdevRegistry& registry, HIDService service, int fd) : registry_(registry), service_(service), fd_(fd) {}
    ~EvdevDevice() override
    {
        close();
        registry_.system().close(fd_);
    }
    IOReturn queryInterface() override
    {
        int version = 0;
        const int r = registry_.system().ioctl(fd_, EVIOCGVERSION, &version);
        return r == 0 ? kIOReturnSuccess : ioResult(r);
    }
    IOReturn open(bool seize) override
    {
        if (seize) {
            const int r = registry_.system().ioctl(fd_, EVIOCGRAB, reinterpret_cast<void*>(1));
            if (r != 0)
                return ioResult(r);
            grabbed_ = true;
        }
        return kIOReturnSuccess;
    }
    void close() override
    {
        if (grabbed_)
            registry_.system().ioctl(fd_, EVIOCGRAB, nullptr);
        grabbed_ = false;
    }
    IOReturn copyElements(std::vector<HIDElement>& elements) override
    {
        unsigned char bits[kKeyBytes] = {};
        const int r = registry_.system().ioctl(fd_, EVIOCGBIT(EV_KEY, sizeof bits), bits);
        if (r != 0)
            return ioResult(r);
        elements.clear();
        for (unsigned k = 0; k < 0x300; ++k) {
            if (!((bits[k / 8] >> (k % 8)) & 1))
                continue;
            const EvdevUsage u = evdevUsageForKey(k);
            if (u.page)
                elements.push_back({k, u.page, u.usage});
        }
        return kIOReturnSuccess;
    }
    std::unique_ptr<HIDQueue> allocQueue() override { return std::make_unique<EvdevQueue>(registry_, service_, fd_); }

private:
    EvdevRegistry& registry_;
    HIDService service_;
    int fd_;
    bool grabbed_ = false;
};

} // namespace

EvdevUsage evdevUsageForKey(unsigned keyCode)
{
    for (const KeyUsage& k : kKeyUsages)
        if (k.key == keyCode)
            return k.usage;
    return {};
}

class EvdevRegistry::Registration final : public HIDNotification {
public:
    Registration(std::function<void()> undo) : undo_(std::move(undo)) {}
    ~Registration() override { undo_(); }

private:
    std::function<void()> undo_;
};

EvdevRegistry::EvdevRegistry(std::unique_ptr<EvdevSystem> system, std::unique_ptr<ConsoleSessions> console)
    : system_(std::move(system)), console_(std::move(console))
{
}

EvdevRegistry::~EvdevRegistry()
{
    if (console_)
        console_->watch({});
}

void EvdevRegistry::startWatching()
{
    if (watching_)
        return;
    watching_ = true;
    for (const EvdevNode& n : system_->nodes())
        add(n);
    QPointer<EvdevRegistry> self(this);
    system_->watch([self](const EvdevNode& node, bool added) {
        if (!self)
            return;
        if (!added) {
            if (HIDService s = self->serviceForPath(node.path))
                self->terminate(s);
            return;
        }
        if (self->serviceForPath(node.path))
            return;
        const HIDService s = self->add(node);
        auto matching = self->matching_;
        for (auto& [id, fn] : matching)
            if (self && self->matching_.count(id))
                fn(s);
    });
}

HIDService EvdevRegistry::add(const EvdevNode& node)
{
    const HIDService s = next_++;
    services_[s].node = node;
    return s;
}

HIDService EvdevRegistry::serviceForPath(const QString& path) const
{
    for (const auto& [s, info] : services_)
        if (info.node.path == path)
            return s;
    return 0;
}

EvdevRegistry::Service* EvdevRegistry::find(HIDService service)
{
    auto it = services_.find(service);
    return it == services_.end() ? nullptr : &it->second;
}

void EvdevRegistry::probe(Service& s)
{
    if (s.probed)
        return;
    s.probed = true;
    s.ioClass = QStringLiteral("IOHIDDevice");
    const int fd = system_->open(s.node.path);
    if (fd < 0) {
        s.probeError = -fd;
        return;
    }
    unsigned char bits[kKeyBytes] = {};
    if (system_->ioctl(fd, EVIOCGBIT(EV_KEY, sizeof bits), bits) == 0)
        for (std::size_t k = 0; k < 0x300; ++k)
            s.keys[k] = (bits[k / 8] >> (k % 8)) & 1;
    if (s.node.product.isEmpty()) {
        char name[256] = {};
        if (system_->ioctl(fd, EVIOCGNAME(sizeof name - 1), name) == 0)
            s.node.product = QString::fromUtf8(name);
    }
    if (s.node.transport.isEmpty()) {
        input_id id{};
        if (system_->ioctl(fd, EVIOCGID, &id) == 0)
            s.node.transport = busName(id.bustype);
    }
    system_->close(fd);
    bool button = false, letter = false;
    for (unsigned k = 0; k < 0x300; ++k)
        if (s.keys[k]) {
            button = button || evdevUsageForKey(k).page != 0;
            letter = letter || (k >= KEY_Q && k <= KEY_P) || (k >= KEY_A && k <= KEY_L) || (k >= KEY_Z && k <= KEY_M);
        }
    if (button && !letter)
        s.ioClass = QStringLiteral("AppleIRController");
}

QVariant EvdevRegistry::property(HIDService service, const QString& key)
{
    Service* s = find(service);
    if (!s)
        return {};
    probe(*s);
    if (key == QLatin1String("IOClass"))
        return s->ioClass;
    const QString* text = key == QLatin1String("Product")        ? &s->node.product
                          : key == QLatin1String("Manufacturer") ? &s->node.manufacturer
                          : key == QLatin1String("Transport")    ? &s->node.transport
                                                                 : nullptr;
    if (text && !text->isEmpty())
        return *text;
    return {};
}

IOReturn EvdevRegistry::setProperty(HIDService, const QString&, const QVariant&)
{
    // The kernel's receivers take no settings.
    return kIOReturnError;
}

bool EvdevRegistry::hasServiceOfClass(const QString& ioClass)
{
    startWatching();
    for (auto& [id, s] : services_) {
        probe(s);
        if (s.ioClass == ioClass)
            return true;
    }
    return false;
}

std::vector<HIDService> EvdevRegistry::services()
{
    startWatching();
    std::vector<HIDService> out;
    bool receiver = false, refused = false;
    QString refusedPath;
    for (auto& [id, s] : services_) {
        out.push_back(id);
        probe(s);
        receiver = receiver || s.ioClass == QLatin1String("AppleIRController");
        if (s.probeError == EACCES) {
            refused = true;
            refusedPath = s.node.path;
        }
    }
    if (!receiver && refused && !refusedPath.isEmpty() && !refusalLogged_) {
        refusalLogged_ = true;
        logFormat("No remote receiver found: input devices such as %s may not be opened by this user (see the README: "
                  "the \"input\" group or a udev rule)",
                  qPrintable(refusedPath));
    }
    return out;
}

std::unique_ptr<HIDNotification> EvdevRegistry::addMatching(std::function<void(HIDService)> matched,
                                                            IOReturn& result)
{
    startWatching();
    const std::uint64_t id = nextRegistration_++;
    matching_[id] = std::move(matched);
    result = kIOReturnSuccess;
    QPointer<EvdevRegistry> self(this);
    return std::make_unique<Registration>([self, id] {
        if (self)
            self->matching_.erase(id);
    });
}

std::unique_ptr<HIDNotification> EvdevRegistry::addInterest(HIDService service,
                                                            std::function<void(std::uint32_t)> notice,
                                                            IOReturn& result)
{
    if (!find(service)) {
        result = kIOReturnNoDevice;
        return nullptr;
    }
    const std::uint64_t id = nextRegistration_++;
    interests_[id] = {service, std::move(notice)};
    result = kIOReturnSuccess;
    QPointer<EvdevRegistry> self(this);
    return std::make_unique<Registration>([self, id] {
        if (self)
            self->interests_.erase(id);
    });
}

QVariant EvdevRegistry::rootProperty(const QString& key)
{
    if (key != QLatin1String("IOConsoleUsers"))
        return {};
    QVariantList users;
    if (console_)
        for (const ConsoleSession& s : console_->sessions())
            users << QVariantMap{{QStringLiteral("kCGSSessionUserIDKey"), qulonglong(s.userID)},
                                 {QStringLiteral("kCGSSessionOnConsoleKey"), s.active}};
    return users;
}

std::unique_ptr<HIDNotification> EvdevRegistry::addRootBusyInterest(std::function<void(std::uint32_t)> notice,
                                                                    IOReturn& result)
{
    result = kIOReturnSuccess;
    if (!console_)
        return std::make_unique<Nothing>();
    const std::uint64_t id = nextRegistration_++;
    rootBusy_[id] = std::move(notice);
    if (rootBusy_.size() == 1)
        console_->watch([this] { consoleChanged(); });
    QPointer<EvdevRegistry> self(this);
    return std::make_unique<Registration>([self, id] {
        if (!self)
            return;
        self->rootBusy_.erase(id);
        if (self->rootBusy_.empty())
            self->console_->watch({});
    });
}

void EvdevRegistry::consoleChanged()
{
    std::vector<std::uint64_t> ids;
    for (const auto& [id, fn] : rootBusy_)
        ids.push_back(id);
    for (std::uint64_t id : ids) {
        auto it = rootBusy_.find(id);
        if (it == rootBusy_.end())
            continue;
        // A copy: the party told may end its registration (a driver restarting does).
        auto fn = it->second;
        fn(kIOMessageServiceBusyStateChange);
    }
}

std::unique_ptr<HIDDevice> EvdevRegistry::createPlugIn(HIDService service, IOReturn& result)
{
    Service* s = find(service);
    if (!s) {
        result = kIOReturnNoDevice;
        return nullptr;
    }
    const int fd = system_->open(s->node.path);
    if (fd < 0) {
        result = ioResult(fd);
        return nullptr;
    }
    result = kIOReturnSuccess;
    return std::make_unique<EvdevDevice>(*this, service, fd);
}

void EvdevRegistry::terminate(HIDService service)
{
    if (!services_.erase(service))
        return;
    QTimer::singleShot(0, this, [this, service] {
        std::vector<std::uint64_t> ids;
        for (const auto& [id, entry] : interests_)
            if (entry.first == service)
                ids.push_back(id);
        for (std::uint64_t id : ids) {
            auto it = interests_.find(id);
            if (it != interests_.end()) {
                auto fn = it->second.second;
                fn(kIOMessageServiceIsTerminated);
            }
        }
    });
}

} // namespace tallomer
