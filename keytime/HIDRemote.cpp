#include "keytime/HIDRemote.h"

#include "platform/AppId.h"
#include "runtime/Log.h"
#include "runtime/Scheduler.h"

#include <QCoreApplication>

#include <limits>

#include <unistd.h>

namespace tallomer {

namespace {

const char* const kHoldTimer = "simulateHoldEvent";
const char* const kRecovery = "delayedAutoRecovery";
constexpr double kHoldDelay = 0.7;
constexpr double kRecoveryDelay = 0.1;
constexpr int kQueueDepth = 32;
constexpr int kMinimumUsages = 10;

QVariantMap pidUid()
{
    return {{QStringLiteral("pid"), qint64(::getpid())}, {QStringLiteral("uid"), qint64(::getuid())}};
}

const QString kGlobal = QStringLiteral("global");
const QString kPID = QStringLiteral("PID");
const QString kReturnToPID = QStringLiteral("ReturnToPID");
const QString kAction = QStringLiteral("Action");
const QString kMode = QStringLiteral("Mode");
const QString kUnusedButtonCodes = QStringLiteral("UnusedButtonCodes");

bool isInteger(const QVariant& v)
{
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::UChar:
        return true;
    default:
        return false;
    }
}

// An integer within [low, high]; anything else (text, fractions, truth values, lists) is none.
std::optional<qint64> integerIn(const QVariant& v, qint64 low, qint64 high)
{
    if (!isInteger(v))
        return std::nullopt;
    if (v.typeId() == QMetaType::ULongLong && v.toULongLong() > quint64(high))
        return std::nullopt;
    const qint64 n = v.toLongLong();
    if (n < low || n > high)
        return std::nullopt;
    return n;
}

std::optional<std::uint32_t> processIDIn(const QVariantMap& info, const QString& key)
{
    // No process has the id 0 to give the receivers back to.
    if (auto n = integerIn(info.value(key), 1, std::numeric_limits<std::uint32_t>::max()))
        return std::uint32_t(*n);
    return std::nullopt;
}

// The user information of another program with every known value of the wrong type taken out, so
// that neither the driver nor its delegate meets one.
QVariantMap checkedInfo(const QVariantMap& info)
{
    QVariantMap out = info;
    for (const QString& key : {kPID, kReturnToPID})
        if (out.contains(key) && !processIDIn(info, key))
            out.remove(key);
    for (const char* key : {"HIDRemoteVersion", "Mode", "RemoteControlCount"})
        if (out.contains(QLatin1String(key)) &&
            !integerIn(info.value(QLatin1String(key)), std::numeric_limits<std::int32_t>::min(),
                       std::numeric_limits<std::int32_t>::max()))
            out.remove(QLatin1String(key));
    for (const QString& key : {kAction, QString::fromLatin1(kHIDRemoteBundleIdentifierKey)})
        if (out.contains(key) && info.value(key).typeId() != QMetaType::QString)
            out.remove(key);
    if (out.contains(kUnusedButtonCodes)) {
        const QVariant codes = info.value(kUnusedButtonCodes);
        bool ok = codes.typeId() == QMetaType::QVariantList;
        for (const QVariant& c : codes.toList())
            ok = ok && integerIn(c, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max());
        if (!ok)
            out.remove(kUnusedButtonCodes);
    }
    return out;
}

QString hex(IOReturn r) { return QStringLiteral("0x%1").arg(quint32(r), 8, 16, QLatin1Char('0')); }

} // namespace

// One receiver: the attribute dictionary the delegate sees, and the objects it names.
struct HIDRemote::Receiver {
    HIDService service = 0;
    std::unique_ptr<HIDDevice> device;
    bool opened = false;
    std::unique_ptr<HIDQueue> queue;
    bool queueStarted = false;
    std::unique_ptr<HIDNotification> interest;
    std::map<std::uint32_t, std::int32_t> cookies; // "CookieButtonCodeLUT"
    QVariantMap attributes;
    // Cleared when the receiver is given up: a reading in progress ends at once.
    bool alive = true;
};

HIDRemote::HIDRemote(HIDRegistry& registry, DistributedNotificationCenter* notifications, std::uint32_t processID)
    : registry_(registry),
      notifications_(notifications),
      pid_(processID ? processID : std::uint32_t(::getpid())),
      pidString_(QString::number(pid_))
{
    observe("ping", QString());
    observe("retry", kGlobal);
    observe("retry", pidString_);
}

HIDRemote::~HIDRemote()
{
    if (notifications_)
        for (auto token : observations_)
            notifications_->removeObserver(token);
    observations_.clear();
    stopRemoteControl();
    setExclusiveLockLendingEnabled(false);
    delegate_ = nullptr;
    if (Scheduler::hasShared())
        Scheduler::shared().cancelAll(this);
}

HIDRemote* HIDRemote::sharedHIDRemote(HIDRegistry* registry)
{
    static std::unique_ptr<HIDRemote> shared;
    if (!shared && registry)
        shared = std::make_unique<HIDRemote>(*registry);
    return shared.get();
}

bool HIDRemote::isCandelairInstalled() { return registry_.hasServiceOfClass(QStringLiteral("IOSPIRITIRController")); }

bool HIDRemote::isCandelairInstallationRequiredForRemoteMode(int mode)
{
    const std::uint32_t v = registry_.systemVersion();
    return (v == 0x1060 || v == 0x1061) && (mode == kModeExclusive || mode == kModeExclusiveAuto) &&
           !isCandelairInstalled();
}

int HIDRemote::aluminiumRemoteSystemSupportLevel() const
{
    int level = 0;
    for (const auto& [service, r] : serviceAttribMap_)
        level = std::max(level, r->attributes.value(QStringLiteral("AluminumRemoteSupportLevel")).toInt());
    return level;
}

std::vector<HIDService> HIDRemote::services() const
{
    std::vector<HIDService> out;
    for (const auto& [service, r] : serviceAttribMap_)
        out.push_back(service);
    return out;
}

bool HIDRemote::startRemoteControl(int mode)
{
    if (mode == kModeNone || mode_ != kModeNone) {
        startFailure_ = mode == kModeNone ? QStringLiteral("no mode given") : QStringLiteral("already started");
        return false;
    }
    if (mode == kModeExclusive || mode == kModeExclusiveAuto) {
        IOReturn r = kIOReturnSuccess;
        secureInputNotification_ =
            registry_.addRootBusyInterest([this](std::uint32_t m) { _secureInputNotificationFor(m); }, r);
        if (!secureInputNotification_ || r != kIOReturnSuccess) {
            startFailure_ = QStringLiteral("the console watch could not be had (%1)").arg(hex(r));
            stopRemoteControl();
            return false;
        }
        _updateSessionInformation();
    }
    IOReturn r = kIOReturnSuccess;
    matchingServicesIterator_ = registry_.addMatching([this](HIDService s) { _serviceMatching({s}); }, r);
    if (!matchingServicesIterator_ || r != kIOReturnSuccess) {
        startFailure_ = QStringLiteral("new devices could not be watched (%1)").arg(hex(r));
        stopRemoteControl();
        return false;
    }
    mode_ = mode;
    _serviceMatching(registry_.services());
    startFailure_.clear();
    _postStatusWithAction(QStringLiteral("start"));
    return true;
}

void HIDRemote::stopRemoteControl()
{
    autoRecover_ = false;
    isStopping_ = true;
    if (autoRecoveryTimer_ && Scheduler::hasShared())
        Scheduler::shared().cancel(this, kRecovery);
    autoRecoveryTimer_ = false;
    std::vector<HIDService> held = services();
    int givenUp = 0;
    for (HIDService s : held) {
        if (serviceAttribMap_.count(s))
            ++givenUp;
        _destructService(s);
    }
    serviceAttribMap_.clear();
    matchingServicesIterator_.reset();
    secureInputNotification_.reset();
    if (mode_ != kModeNone) {
        // Still named in this "stop": the program the receivers came from learns they are free.
        _postStatusWithAction(QStringLiteral("stop"));
        if (sendStatusNotifications_ && (mode_ == kModeExclusive || mode_ == kModeExclusiveAuto) &&
            sendExclusiveResourceReuseNotification_ && givenUp > 0 && !exclusiveLockLending_) {
            mode_ = kModeNone;
            if (!isRestarting_)
                _postRetry(kGlobal);
        }
    }
    returnToPID_.reset();
    mode_ = kModeNone;
    isStopping_ = false;
}

void HIDRemote::setUnusedButtonCodes(const QVariantList& codes)
{
    unusedButtonCodes_ = codes;
    _postStatusWithAction(QStringLiteral("update"));
}

void HIDRemote::setExclusiveLockLendingEnabled(bool on)
{
    if (on == exclusiveLockLending_)
        return;
    exclusiveLockLending_ = on;
    if (on) {
        if (notifications_)
            statusObservation_ = notifications_->addObserver(
                notificationName("status"), QString(), [this](const DistributedNotification& n) { _handleNotifications(n); });
    } else {
        if (notifications_ && statusObservation_)
            notifications_->removeObserver(*statusObservation_);
        statusObservation_.reset();
        waitForReturnByPID_.reset();
    }
}

void HIDRemote::observe(const char* word, const QString& object)
{
    if (notifications_)
        observations_.push_back(notifications_->addObserver(
            notificationName(word), object, [this](const DistributedNotification& n) { _handleNotifications(n); }));
}

void HIDRemote::_postStatusWithAction(const QString& action)
{
    if (!notifications_ || !sendStatusNotifications_)
        return;
    QVariantMap info;
    info.insert(QStringLiteral("HIDRemoteVersion"), 1);
    info.insert(kPID, pid_);
    info.insert(kMode, mode_);
    info.insert(QStringLiteral("RemoteControlCount"), activeRemoteControlCount());
    info.insert(kUnusedButtonCodes, unusedButtonCodes_);
    info.insert(kAction, action);
    info.insert(QString::fromLatin1(kHIDRemoteBundleIdentifierKey), QString::fromLatin1(kAppId));
    if (returnToPID_)
        info.insert(kReturnToPID, *returnToPID_);
    notifications_->post({notificationName("status"), pidString_, info});
}

void HIDRemote::_postRetry(const QString& object)
{
    if (!notifications_)
        return;
    notifications_->post({notificationName("retry"), object,
                          {{kPID, pid_},
                           {QString::fromLatin1(kHIDRemoteBundleIdentifierKey), QString::fromLatin1(kAppId)}}});
}

void HIDRemote::_handleNotifications(const DistributedNotification& n)
{
    const QVariantMap info = checkedInfo(n.userInfo);
    if (n.name == notificationName("ping"))
        _postStatusWithAction(QStringLiteral("update"));
    else if (n.name == notificationName("retry"))
        _handleRetry(n, info);
    else if (n.name == notificationName("status"))
        _handleStatus(info);
}

void HIDRemote::_handleRetry(const DistributedNotification& n, const QVariantMap& info)
{
    if (!isStarted())
        return;
    const std::optional<std::uint32_t> pid = processIDIn(info, kPID);
    bool decline = n.object == kGlobal && pid == pid_; // the driver's own retry came back
    if (!decline && responds(HIDRemoteDelegate::Optional::ShouldRetryExclusiveLock))
        decline = !delegate_->hidRemoteShouldRetryExclusiveLock(*this, info);
    if (decline) {
        const auto previous = returnToPID_;
        returnToPID_ = pid;
        _postStatusWithAction(QStringLiteral("noneed"));
        returnToPID_ = previous;
        return;
    }
    const int mode = mode_;
    if (_restart("_handleNotifications") && mode != kModeShared)
        returnToPID_ = pid;
}

void HIDRemote::_handleStatus(const QVariantMap& info)
{
    if (!exclusiveLockLending_ || !info.contains(kAction))
        return;
    // A borrower's start in shared mode counts as its "noneed" here and below.
    QString act = info.value(kAction).toString();
    const std::optional<std::uint32_t> pid = processIDIn(info, kPID);
    if (mode_ == kModeNone && waitForReturnByPID_ && pid) {
        std::optional<std::uint32_t> returnTo = processIDIn(info, kReturnToPID);
        if (act == QLatin1String("start") && pid == waitForReturnByPID_ && info.value(kMode).toInt() == kModeShared &&
            info.contains(kMode)) {
            act = QStringLiteral("noneed");
            returnTo = pid_;
        }
        if (returnTo && (act == QLatin1String("stop") || act == QLatin1String("noneed")) &&
            pid == waitForReturnByPID_ && returnTo == pid_) {
            waitForReturnByPID_.reset();
            if (responds(HIDRemoteDelegate::Optional::ExclusiveLockReleased))
                delegate_->hidRemoteExclusiveLockReleased(*this, info);
            else if (!startRemoteControl(kModeExclusive))
                logFormat("HIDRemote _handleNotifications: taking the remote back in mode 2 failed: %s",
                          qPrintable(startFailure_));
        }
    }
    if (mode_ == kModeExclusive && act == QLatin1String("start") && pid && *pid != pid_) {
        if (responds(HIDRemoteDelegate::Optional::LendExclusiveLock) &&
            !delegate_->hidRemoteLendExclusiveLock(*this, info))
            return;
        waitForReturnByPID_ = pid;
        stopRemoteControl();
        _postRetry(QString::number(*pid));
    }
}

bool HIDRemote::_restart(const char* cause)
{
    const int mode = mode_;
    isRestarting_ = true;
    stopRemoteControl();
    const bool started = startRemoteControl(mode);
    isRestarting_ = false;
    // Nothing else tells of it: the remote would fall silent while the program still plays.
    if (!started)
        logFormat("HIDRemote %s: restart in mode %d failed: %s", cause, mode, qPrintable(startFailure_));
    return started;
}

void HIDRemote::_updateSessionInformation()
{
    const QVariant users = registry_.rootProperty(QStringLiteral("IOConsoleUsers"));
    if (users.typeId() != QMetaType::QVariantList)
        return;
    std::uint64_t sum = 0;
    std::uint32_t front = 0;
    for (const QVariant& entry : users.toList()) {
        if (entry.typeId() != QMetaType::QVariantMap)
            continue;
        const QVariantMap session = entry.toMap();
        if (auto pid = integerIn(session.value(QStringLiteral("kCGSSessionSecureInputPID")), 0,
                                 std::numeric_limits<std::uint32_t>::max()))
            sum += std::uint64_t(*pid);
        const QVariant onConsole = session.value(QStringLiteral("kCGSSessionOnConsoleKey"));
        const auto user = integerIn(session.value(QStringLiteral("kCGSSessionUserIDKey")), 0,
                                    std::numeric_limits<std::uint32_t>::max());
        if (user && (isInteger(onConsole) || onConsole.typeId() == QMetaType::Bool) && onConsole.toBool())
            front = std::uint32_t(*user);
    }
    lastSecureEventInputPIDSum_ = sum;
    lastFrontUserSession_ = front;
}

void HIDRemote::_secureInputNotificationFor(std::uint32_t messageType)
{
    if (messageType != kIOMessageServiceBusyStateChange)
        return;
    const std::uint64_t sum = lastSecureEventInputPIDSum_;
    const std::uint32_t user = lastFrontUserSession_;
    _updateSessionInformation();
    if (sum == lastSecureEventInputPIDSum_ && user == lastFrontUserSession_)
        return;
    if (secureEventInputWorkAround_ && (mode_ == kModeExclusive || mode_ == kModeExclusiveAuto))
        _restart("_secureInputNotificationFor");
}

void HIDRemote::_appStatusChanged(AppStatus status)
{
    if (autoRecoveryTimer_ && Scheduler::hasShared())
        Scheduler::shared().cancel(this, kRecovery);
    autoRecoveryTimer_ = false;
    switch (status) {
    case AppStatus::DidBecomeActive:
        if (autoRecover_ && Scheduler::hasShared()) {
            autoRecoveryTimer_ = true;
            Scheduler::shared().perform(this, kRecovery, kRecoveryDelay, [this] { _delayedAutoRecovery(); }, true);
        }
        break;
    case AppStatus::WillResignActive:
        if (mode_ == kModeExclusiveAuto) {
            stopRemoteControl();
            autoRecover_ = true;
        }
        break;
    case AppStatus::WillTerminate:
        applicationIsTerminating_ = true;
        if (isStarted())
            stopRemoteControl();
        break;
    }
}

void HIDRemote::_delayedAutoRecovery()
{
    autoRecoveryTimer_ = false;
    if (autoRecover_) {
        if (!startRemoteControl(kModeExclusiveAuto))
            logFormat("HIDRemote _delayedAutoRecovery: restart in mode 3 failed: %s", qPrintable(startFailure_));
        autoRecover_ = false;
    }
}

void HIDRemote::_serviceMatching(const std::vector<HIDService>& services)
{
    for (HIDService s : services)
        if (mode_ != kModeNone)
            _setupService(s);
}

bool HIDRemote::_prematchService(HIDService service)
{
    if (service == 0)
        return false;
    bool verdict = false;
    const QString ioClass = registry_.property(service, QStringLiteral("IOClass")).toString();
    if (ioClass == QLatin1String("AppleIRController") || ioClass == QLatin1String("RBIOKitAIREmu")) {
        const QVariant compat = registry_.property(service, QStringLiteral("CandelairHIDRemoteCompatibilityDevice"));
        verdict = !(compat.typeId() == QMetaType::Bool && compat.toBool());
    } else if (ioClass == QLatin1String("IOSPIRITIRController")) {
        verdict = true;
    }
    const QVariant mask = registry_.property(service, QStringLiteral("CandelairHIDRemoteCompatibilityMask"));
    if (mask.isValid() && mask.typeId() != QMetaType::Bool && mask.canConvert<qlonglong>() &&
        mask.typeId() != QMetaType::QString)
        verdict = (mask.toLongLong() & 1) != 0;
    if (responds(HIDRemoteDelegate::Optional::InspectNewHardware))
        verdict = delegate_->hidRemoteInspectNewHardware(*this, service, verdict);
    return verdict;
}

bool HIDRemote::_setupService(HIDService service)
{
    if (serviceAttribMap_.count(service) || !_prematchService(service))
        return false;
    auto r = std::make_shared<Receiver>();
    r->service = service;
    IOReturn result = kIOReturnSuccess;
    int step = 0;
    std::optional<IOReturn> error;
    auto fail = [&](int code, std::optional<IOReturn> io) {
        step = code;
        error = io;
    };

    do {
        if (mode_ != kModeShared && mode_ != kModeExclusive && mode_ != kModeExclusiveAuto) {
            fail(0, std::nullopt);
            break;
        }
        r->device = registry_.createPlugIn(service, result);
        if (!r->device) {
            fail(1, result);
            break;
        }
        if ((result = r->device->queryInterface()) != kIOReturnSuccess) {
            fail(2, result);
            break;
        }
        if ((result = r->device->open(mode_ != kModeShared)) != kIOReturnSuccess) {
            fail(3, result);
            break;
        }
        r->opened = true;
        std::vector<HIDElement> elements;
        if ((result = r->device->copyElements(elements)) != kIOReturnSuccess) {
            fail(4, result);
            break;
        }
        r->queue = r->device->allocQueue();
        if (!r->queue) {
            fail(5, kIOReturnError);
            break;
        }
        if ((result = r->queue->create(kQueueDepth)) != kIOReturnSuccess) {
            fail(6, result);
            break;
        }
        QVariantMap usages;
        QVariantMap lut;
        for (const HIDElement& e : elements) {
            const std::int32_t code = buttonCodeForUsage(e.usage, e.usagePage);
            if (code == 0)
                continue;
            usages.insert(QStringLiteral("%1_%2").arg(e.usagePage).arg(e.usage), code);
            r->cookies[e.cookie] = code;
            lut.insert(QString::number(e.cookie), code);
            r->queue->addElement(e.cookie);
        }
        if (usages.size() < kMinimumUsages) {
            fail(8, kIOReturnError);
            break;
        }
        r->attributes.insert(QStringLiteral("CookieButtonCodeLUT"), lut);
        if ((result = r->queue->createEventSource()) != kIOReturnSuccess) {
            fail(9, result);
            break;
        }
        HIDQueue* q = r->queue.get();
        if ((result = q->setEventCallout([this, service, q](IOReturn res) { _hidEventFor(service, q, res); })) !=
            kIOReturnSuccess) {
            fail(10, result);
            break;
        }
        if ((result = q->start()) != kIOReturnSuccess) {
            fail(11, result);
            break;
        }
        r->queueStarted = true;
        r->interest = registry_.addInterest(
            service, [this, service](std::uint32_t m) { _serviceNotificationFor(service, m); }, result);
        if (!r->interest || result != kIOReturnSuccess) {
            fail(12, result);
            break;
        }
        r->attributes.insert(QStringLiteral("Service"), service);
        for (const char* key : {"Product", "Manufacturer", "Transport"}) {
            const QVariant v = registry_.property(service, QString::fromLatin1(key));
            if (v.typeId() == QMetaType::QString)
                r->attributes.insert(QString::fromLatin1(key), v);
        }
        int level = 0;
        bool levelSet = false;
        const QVariant onDemand = registry_.property(service, QStringLiteral("AluminumRemoteSupportLevelOnDemand"));
        if ((mode_ == kModeExclusive || mode_ == kModeExclusiveAuto) && onDemand.isValid() &&
            registry_.setProperty(service, QStringLiteral("EnableAluminumRemoteSupportForMe"), pidUid()) ==
                kIOReturnSuccess) {
            level = onDemand.toInt();
            r->attributes.insert(QStringLiteral("AluminumRemoteSupportLevelOnDemand"), true);
            levelSet = level != 0;
        }
        if (!levelSet) {
            const QVariant l = registry_.property(service, QStringLiteral("AluminumRemoteSupportLevel"));
            if (l.isValid())
                level = l.toInt();
            else
                level = registry_.property(service, QStringLiteral("IOClass")).toString() ==
                                    QLatin1String("AppleIRController") &&
                                registry_.systemVersion() > 0x1061
                            ? 2
                            : 0;
        }
        r->attributes.insert(QStringLiteral("AluminumRemoteSupportLevel"), level);
        serviceAttribMap_[service] = r;
        if (responds(HIDRemoteDelegate::Optional::FoundNewHardware))
            delegate_->hidRemoteFoundNewHardware(*this, r->attributes);
        return true;
    } while (false);

    // Undone in the reverse order of making.
    r->interest.reset();
    if (r->queue) {
        if (r->queueStarted)
            r->queue->stop();
        r->queue->dispose();
        r->queue.reset();
    }
    if (r->device) {
        if (r->opened)
            r->device->close();
        r->device.reset();
    }
    if (responds(HIDRemoteDelegate::Optional::FailedNewHardware)) {
        std::optional<HIDRemoteError> e;
        if (error)
            e = HIDRemoteError{error, step};
        delegate_->hidRemoteFailedNewHardware(*this, e);
    }
    return false;
}

void HIDRemote::_destructService(HIDService service)
{
    auto it = serviceAttribMap_.find(service);
    if (it == serviceAttribMap_.end())
        return;
    ReceiverPtr r = it->second;
    serviceAttribMap_.erase(it);
    r->alive = false;
    if (r->attributes.value(QStringLiteral("AluminumRemoteSupportLevelOnDemand")).toBool())
        registry_.setProperty(service, QStringLiteral("DisableAluminumRemoteSupportForMe"), pidUid());
    if (responds(HIDRemoteDelegate::Optional::ReleasedHardware))
        delegate_->hidRemoteReleasedHardware(*this, r->attributes);
    if (Scheduler::hasShared())
        Scheduler::shared().cancel(r.get(), kHoldTimer);
    r->interest.reset();
    if (r->queue) {
        for (const auto& [cookie, code] : r->cookies)
            if (r->queue->hasElement(cookie))
                r->queue->removeElement(cookie);
        r->queue->stop();
        r->queue->dispose();
    }
    if (r->device && r->opened)
        r->device->close();
    // The objects themselves go with the last reference: a reading of this receiver in progress
    // still holds one.
}

void HIDRemote::_serviceNotificationFor(HIDService service, std::uint32_t messageType)
{
    if (messageType == kIOMessageServiceIsTerminated)
        _destructService(service);
}

std::int32_t HIDRemote::buttonCodeForUsage(std::uint32_t usage, std::uint32_t usagePage)
{
    switch (usagePage) {
    case 1:
        switch (usage) {
        case 0x86: return kButtonMenu;
        case 0x89: return kButtonCenter;
        case 0x8A: return kButtonRight;
        case 0x8B: return kButtonLeft;
        case 0x8C: return kButtonUp;
        case 0x8D: return kButtonDown;
        default: return 0;
        }
    case 6:
        return usage == 0x22 ? kButtonRemoteID : 0;
    case 12:
        switch (usage) {
        case 0x40: return kButtonHoldFlag | kButtonMenu;
        case 0x41: return kButtonAluminiumFlag | kButtonCenter;
        case 0x82: return kButtonAluminiumFlag | kButtonHoldFlag | kButtonCenter;
        case 0xB3: return kButtonHoldFlag | kButtonRight;
        case 0xB4: return kButtonHoldFlag | kButtonLeft;
        case 0xCD: return kButtonAluminiumFlag | kButtonPlay;
        default: return 0;
        }
    case 0xFF01:
        return usage == 0x23 ? kButtonHoldFlag | kButtonCenter : 0;
    default:
        return 0;
    }
}

void HIDRemote::_hidEventFor(HIDService service, HIDQueue* queue, IOReturn result)
{
    auto it = serviceAttribMap_.find(service);
    if (it == serviceAttribMap_.end() || it->second->queue.get() != queue)
        return;
    // Held for the whole reading: the delegate may give the receiver up from inside an event.
    const ReceiverPtr r = it->second;
    std::int32_t last = r->attributes.value(QStringLiteral("LastButtonPressed")).toInt();
    if (result == kIOReturnSuccess) {
        HIDValueEvent event;
        while (r->alive && queue->nextEvent(event)) {
            const auto c = r->cookies.find(event.cookie);
            if (c == r->cookies.end())
                continue;
            const std::int32_t code = c->second;
            if (code == last && event.value == 0) {
                _handleButtonCode(last, false, r);
                last = 0;
            } else if (event.value != 0) {
                if (last != 0)
                    _handleButtonCode(last, false, r);
                if (!r->alive)
                    break;
                if (code == kButtonRemoteID) {
                    if (responds(HIDRemoteDelegate::Optional::RemoteIDChanged))
                        delegate_->hidRemoteRemoteIDChanged(*this, lastSeenRemoteID_, event.value, r->attributes);
                    lastSeenRemoteID_ = event.value;
                    lastSeenModel_ = 0;
                }
                _handleButtonCode(code, true, r);
                last = code;
            }
        }
    }
    r->attributes.insert(QStringLiteral("LastButtonPressed"), last);
}

void HIDRemote::_handleButtonCode(std::int32_t code, bool isPressed, const ReceiverPtr& r)
{
    if (!r->alive)
        return;
    const QString originKey = QStringLiteral("SimulateHoldEventsOriginButtonCode");
    const QString timerKey = QStringLiteral("SimulateHoldEventsTimer");
    if ((code == kButtonUp || code == kButtonDown) && simulateHoldEvents_) {
        if (r->attributes.contains(timerKey) && Scheduler::hasShared())
            Scheduler::shared().cancel(r.get(), kHoldTimer);
        if (isPressed && Scheduler::hasShared()) {
            r->attributes.insert(originKey, code);
            r->attributes.insert(timerKey, true);
            std::weak_ptr<Receiver> weak = r;
            Scheduler::shared().perform(
                r.get(), kHoldTimer, kHoldDelay,
                [this, weak] {
                    if (ReceiverPtr held = weak.lock())
                        _simulateHoldEvent(held);
                },
                true);
            return;
        }
        if (!isPressed) {
            const bool timing = r->attributes.contains(timerKey);
            const QVariant origin = r->attributes.value(originKey);
            r->attributes.remove(timerKey);
            r->attributes.remove(originKey);
            if (origin.isValid() && timing) {
                _sendButtonCode(origin.toInt(), true, r);
                _sendButtonCode(origin.toInt(), false, r);
            } else if (origin.isValid()) {
                _sendButtonCode(origin.toInt() | kButtonHoldFlag, false, r);
            }
            return;
        }
        // No timer could be had: the press goes out as it is.
        r->attributes.remove(timerKey);
        r->attributes.remove(originKey);
    }
    if (code == kButtonRemoteID)
        return;
    _sendButtonCode(code, isPressed, r);
}

void HIDRemote::_simulateHoldEvent(const ReceiverPtr& r)
{
    const QString originKey = QStringLiteral("SimulateHoldEventsOriginButtonCode");
    const QString timerKey = QStringLiteral("SimulateHoldEventsTimer");
    if (!r->alive || !r->attributes.contains(timerKey) || !r->attributes.contains(originKey))
        return;
    r->attributes.remove(timerKey);
    _sendButtonCode(r->attributes.value(originKey).toInt() | kButtonHoldFlag, true, r);
}

void HIDRemote::_sendButtonCode(std::int32_t code, bool isPressed, const ReceiverPtr& r)
{
    if (!delegate_ || !r->alive)
        return;
    if (code == kButtonCenter || code == kButtonPlay || code == (kButtonAluminiumFlag | kButtonCenter) ||
        code == (kButtonAluminiumFlag | kButtonPlay)) {
        if (code & kButtonAluminiumFlag) {
            lastSeenModel_ = 2;
            lastSeenModelRemoteID_ = lastSeenRemoteID_;
        } else if (r->attributes.value(QStringLiteral("AluminumRemoteSupportLevel")).toInt() == 2) {
            if (lastSeenModel_ == 0)
                lastSeenModel_ = 1;
            else if (lastSeenModel_ == 2 && lastSeenModelRemoteID_ != lastSeenRemoteID_)
                lastSeenModel_ = 1;
        }
    }
    if (code == (kButtonHoldFlag | kButtonCenter) && lastSeenModel_ == 2)
        code = kButtonHoldFlag | kButtonPlay;
    delegate_->hidRemoteEventWithButton(*this, code & ~kButtonAluminiumFlag, isPressed, r->attributes);
}

} // namespace tallomer
