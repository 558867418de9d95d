#pragma once
// The infrared remote control: finds the receivers among the input devices of the registry, opens
// each shared or seized, listens to its button elements through a queue and turns their value
// changes into button codes for its delegate, with held Up and Down derived from timing.
//
// Modes: 0 not started; 1 shared (devices opened without seizing); 2 exclusive (seized); 3
// exclusive, stopped while the program is inactive and started again 0.1 s after it becomes
// active. Timers run on the shared scheduler. Everything runs on the main thread.
//
// Sharing: with a notification centre the driver tells other programs that drive the remote the
// same way when it starts, stops and changes (status), answers their ping, gives the receivers up
// when one asks for them (retry) and takes them back, and in mode 2 can lend them out and wait for
// their return. In modes 2 and 3 it starts again when the console's user changes, so that the
// receivers follow the session at the console.

#include "platform/hid/HIDRegistry.h"
#include "platform/notify/DistributedNotifications.h"

#include <QVariantMap>

#include <cstdint>
#include <map>
#include <memory>
#include <optional>

namespace tallomer {

class HIDRemote;

// The notifications the drivers exchange: this prefix followed by "ping", "retry" or "status".
inline constexpr const char* kHIDRemoteNotificationPrefix = "org.tallomer.HIDRemote.";
// The key of the poster's application id in their user information.
inline constexpr const char* kHIDRemoteBundleIdentifierKey = "BundleIdentifier";

// What a receiver that failed to set up is reported with: the I/O result (none for a driver in
// no usable mode) and the step that failed ("InternalErrorCode").
struct HIDRemoteError {
    std::optional<IOReturn> code;
    int internalErrorCode = 0;
};

// Every message's first keyword is the same; each is named by its first two.
class HIDRemoteDelegate {
public:
    enum class Optional {
        RemoteIDChanged,
        FoundNewHardware,
        FailedNewHardware,
        ReleasedHardware,
        InspectNewHardware,
        LendExclusiveLock,
        ExclusiveLockReleased,
        ShouldRetryExclusiveLock,
    };

    virtual ~HIDRemoteDelegate() = default;
    // A button went down or up: codes 1 to 7 and 65537 to 65543.
    virtual void hidRemoteEventWithButton(HIDRemote& remote, int buttonCode, bool isPressed,
                                          const QVariantMap& hardwareAttributes) = 0;

    // Whether the delegate answers an optional message; only those it answers are sent.
    virtual bool respondsTo(Optional) const { return false; }
    virtual void hidRemoteRemoteIDChanged(HIDRemote&, int, int, const QVariantMap&) {}
    virtual void hidRemoteFoundNewHardware(HIDRemote&, const QVariantMap&) {}
    virtual void hidRemoteFailedNewHardware(HIDRemote&, const std::optional<HIDRemoteError>&) {}
    virtual void hidRemoteReleasedHardware(HIDRemote&, const QVariantMap&) {}
    virtual bool hidRemoteInspectNewHardware(HIDRemote&, HIDService, bool prematchResult) { return prematchResult; }
    virtual bool hidRemoteLendExclusiveLock(HIDRemote&, const QVariantMap&) { return false; }
    virtual void hidRemoteExclusiveLockReleased(HIDRemote&, const QVariantMap&) {}
    virtual bool hidRemoteShouldRetryExclusiveLock(HIDRemote&, const QVariantMap&) { return false; }
};

class HIDRemote {
public:
    enum Mode : std::int32_t { kModeNone = 0, kModeShared = 1, kModeExclusive = 2, kModeExclusiveAuto = 3 };

    // Button codes: the low byte is the button, with flags.
    enum ButtonCode : std::int32_t {
        kButtonNone = 0,
        kButtonUp = 1,
        kButtonDown = 2,
        kButtonLeft = 3,
        kButtonRight = 4,
        kButtonCenter = 5,
        kButtonMenu = 6,
        kButtonPlay = 7,
        kButtonHoldFlag = 0x10000,
        kButtonAluminiumFlag = 0x200000,
        kButtonRemoteID = 0x60000,
    };

    enum class AppStatus { DidBecomeActive, WillResignActive, WillTerminate };

    // `registry` and `notifications` are not owned and outlive the driver. Without a centre the
    // driver shares nothing. `processID` stands for the process's own id (0: the real one).
    explicit HIDRemote(HIDRegistry& registry, DistributedNotificationCenter* notifications = nullptr,
                       std::uint32_t processID = 0);
    ~HIDRemote();
    HIDRemote(const HIDRemote&) = delete;
    HIDRemote& operator=(const HIDRemote&) = delete;

    // One instance for the life of the process, on the registry first given (later calls may
    // pass nullptr).
    static HIDRemote* sharedHIDRemote(HIDRegistry* registry = nullptr);
    // A receiver of the outside driver is registered.
    bool isCandelairInstalled();
    bool isCandelairInstallationRequiredForRemoteMode(int mode);

    bool startRemoteControl(int mode);
    void stopRemoteControl();
    bool isStarted() const { return mode_ != kModeNone; }
    int startedInMode() const { return mode_; }
    int activeRemoteControlCount() const { return int(serviceAttribMap_.size()); }
    int aluminiumRemoteSystemSupportLevel() const;

    int lastSeenRemoteControlID() const { return lastSeenRemoteID_; }
    int lastSeenModel() const { return lastSeenModel_; }
    void setLastSeenModel(int model) { lastSeenModel_ = model; }
    bool simulateHoldEvents() const { return simulateHoldEvents_; }
    void setSimulateHoldEvents(bool on) { simulateHoldEvents_ = on; }
    const QVariantList& unusedButtonCodes() const { return unusedButtonCodes_; }
    // Announced to the others with the status "update".
    void setUnusedButtonCodes(const QVariantList& codes);
    HIDRemoteDelegate* delegate() const { return delegate_; }
    // Not owned.
    void setDelegate(HIDRemoteDelegate* delegate) { delegate_ = delegate; }
    bool enableSecureEventInputWorkaround() const { return secureEventInputWorkAround_; }
    void setEnableSecureEventInputWorkaround(bool on) { secureEventInputWorkAround_ = on; }
    bool exclusiveLockLendingEnabled() const { return exclusiveLockLending_; }
    // While on, another program's "start" in mode 2 may borrow the receivers; off forgets a loan.
    void setExclusiveLockLendingEnabled(bool on);
    bool sendExclusiveResourceReuseNotification() const { return sendExclusiveResourceReuseNotification_; }
    void setSendExclusiveResourceReuseNotification(bool on) { sendExclusiveResourceReuseNotification_ = on; }
    bool isApplicationTerminating() const { return applicationIsTerminating_; }
    bool isStopping() const { return isStopping_; }

    // The button code of a usage; 0 when the element is not a button.
    static std::int32_t buttonCodeForUsage(std::uint32_t usage, std::uint32_t usagePage);

    // The program became active, is resigning or is quitting.
    void _appStatusChanged(AppStatus status);
    // The services the driver holds (for tests and the delegate).
    std::vector<HIDService> services() const;

    // ---- sharing ----
    static QString notificationName(const char* word) { return QLatin1String(kHIDRemoteNotificationPrefix) + QLatin1String(word); }
    std::uint32_t processID() const { return pid_; }
    const QString& pidString() const { return pidString_; }
    bool _sendStatusNotifications() const { return sendStatusNotifications_; }
    void _setSendStatusNotifications(bool on) { sendStatusNotifications_ = on; }
    // Posts the status with `action` while status notifications are on.
    void _postStatusWithAction(const QString& action);
    // The program the receivers were taken from on its request, named in every status.
    std::optional<std::uint32_t> returnToPID() const { return returnToPID_; }
    // The program the receivers were lent to, while waiting for it to give them back.
    std::optional<std::uint32_t> waitForReturnByPID() const { return waitForReturnByPID_; }
    bool isRestarting() const { return isRestarting_; }
    std::uint64_t lastSecureEventInputPIDSum() const { return lastSecureEventInputPIDSum_; }
    std::uint32_t lastFrontUserSession() const { return lastFrontUserSession_; }

private:
    struct Receiver;
    using ReceiverPtr = std::shared_ptr<Receiver>;

    void _delayedAutoRecovery();
    void _serviceMatching(const std::vector<HIDService>& services);
    bool _prematchService(HIDService service);
    bool _setupService(HIDService service);
    void _destructService(HIDService service);
    void _serviceNotificationFor(HIDService service, std::uint32_t messageType);
    void _hidEventFor(HIDService service, HIDQueue* queue, IOReturn result);
    void _handleButtonCode(std::int32_t code, bool isPressed, const ReceiverPtr& receiver);
    void _simulateHoldEvent(const ReceiverPtr& receiver);
    void _sendButtonCode(std::int32_t code, bool isPressed, const ReceiverPtr& receiver);
    bool responds(HIDRemoteDelegate::Optional m) const { return delegate_ && delegate_->respondsTo(m); }
    void _handleNotifications(const DistributedNotification& notification);
    void _handleRetry(const DistributedNotification& notification, const QVariantMap& info);
    void _handleStatus(const QVariantMap& info);
    void _postRetry(const QString& object);
    void _updateSessionInformation();
    void _secureInputNotificationFor(std::uint32_t messageType);
    // Stops and starts again in the same mode as the driver's own act; logs a failed start with
    // its reason. Answers whether it runs again.
    bool _restart(const char* cause);
    void observe(const char* word, const QString& object);

    HIDRegistry& registry_;
    std::unique_ptr<HIDNotification> matchingServicesIterator_;
    std::unique_ptr<HIDNotification> secureInputNotification_;
    std::map<HIDService, ReceiverPtr> serviceAttribMap_;
    std::int32_t mode_ = kModeNone;
    bool autoRecover_ = false;
    bool autoRecoveryTimer_ = false;
    HIDRemoteDelegate* delegate_ = nullptr; // not owned
    std::int32_t lastSeenRemoteID_ = -1;
    std::int32_t lastSeenModel_ = 0;
    std::int32_t lastSeenModelRemoteID_ = 0;
    QVariantList unusedButtonCodes_;
    bool simulateHoldEvents_ = true;
    bool secureEventInputWorkAround_ = true;
    bool exclusiveLockLending_ = false;
    bool sendExclusiveResourceReuseNotification_ = true;
    std::optional<std::uint32_t> waitForReturnByPID_;
    std::optional<std::uint32_t> returnToPID_;
    std::uint64_t lastSecureEventInputPIDSum_ = 0;
    std::uint32_t lastFrontUserSession_ = 0;
    bool isRestarting_ = false;
    bool sendStatusNotifications_ = true;
    DistributedNotificationCenter* notifications_ = nullptr; // not owned
    std::vector<DistributedNotificationCenter::Token> observations_;
    std::optional<DistributedNotificationCenter::Token> statusObservation_;
    std::uint32_t pid_ = 0;
    QString pidString_;
    // Why the last start failed, for the log of a failed restart.
    QString startFailure_;
    bool applicationIsTerminating_ = false;
    bool isStopping_ = false;
};

} // namespace tallomer
