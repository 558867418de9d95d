// The remote-control driver beside other programs that drive the remote: status, ping and retry
// between drivers with process ids of their own on one centre in memory (each the program it
// stands for), lending in mode 2, the console's user changing, and what another program may send
// that is not what it should be. The drivers find a remote on the evdev layer with fake devices.

#include "keytime/HIDRemote.h"
#include "platform/AppId.h"
#include "platform/hid/EvdevRegistry.h"
#include "platform/hid/FakeEvdevSystem.h"
#include "runtime/Log.h"
#include "runtime/Scheduler.h"

#include <gtest/gtest.h>

#include <set>

namespace tallomer {
namespace {

const QString kRemote = QStringLiteral("/dev/input/event3");
constexpr std::uint32_t kA = 101;
constexpr std::uint32_t kB = 202;

// The evdev layer, with new devices refused from the moment the test says so (a start that fails).
class Devices final : public HIDRegistry {
public:
    Devices(EvdevRegistry& inner) : inner_(inner) {}
    QVariant property(HIDService s, const QString& k) override { return inner_.property(s, k); }
    IOReturn setProperty(HIDService s, const QString& k, const QVariant& v) override { return inner_.setProperty(s, k, v); }
    bool hasServiceOfClass(const QString& c) override { return inner_.hasServiceOfClass(c); }
    std::uint32_t systemVersion() override { return inner_.systemVersion(); }
    QVariant rootProperty(const QString& k) override { return inner_.rootProperty(k); }
    std::vector<HIDService> services() override { return inner_.services(); }
    std::unique_ptr<HIDNotification> addMatching(std::function<void(HIDService)> f, IOReturn& r) override
    {
        if (refuse) {
            r = kIOReturnNoDevice;
            return nullptr;
        }
        return inner_.addMatching(std::move(f), r);
    }
    std::unique_ptr<HIDNotification> addInterest(HIDService s, std::function<void(std::uint32_t)> f, IOReturn& r) override
    {
        return inner_.addInterest(s, std::move(f), r);
    }
    std::unique_ptr<HIDNotification> addRootBusyInterest(std::function<void(std::uint32_t)> f, IOReturn& r) override
    {
        return inner_.addRootBusyInterest(std::move(f), r);
    }
    std::unique_ptr<HIDDevice> createPlugIn(HIDService s, IOReturn& r) override { return inner_.createPlugIn(s, r); }
    bool refuse = false;

private:
    EvdevRegistry& inner_;
};

struct Delegate : HIDRemoteDelegate {
    void hidRemoteEventWithButton(HIDRemote&, int, bool, const QVariantMap&) override {}
    bool respondsTo(Optional m) const override { return answers.count(m) != 0; }
    bool hidRemoteLendExclusiveLock(HIDRemote&, const QVariantMap& info) override
    {
        lendAsked.push_back(info);
        return lend;
    }
    void hidRemoteExclusiveLockReleased(HIDRemote&, const QVariantMap& info) override { released.push_back(info); }
    bool hidRemoteShouldRetryExclusiveLock(HIDRemote&, const QVariantMap&) override { return retry; }
    std::set<Optional> answers;
    bool lend = true;
    bool retry = true;
    std::vector<QVariantMap> lendAsked;
    std::vector<QVariantMap> released;
};

class HIDRemoteSharing : public ::testing::Test {
protected:
    void SetUp() override
    {
        Scheduler::setShared(&clock);
        auto fake = std::make_unique<FakeEvdevSystem>();
        devices = fake.get();
        devices->addDevice(FakeEvdevSystem::remote(3));
        auto sessions = std::make_unique<FakeConsoleSessions>();
        console = sessions.get();
        console->current = {{1000, true}};
        evdev = std::make_unique<EvdevRegistry>(std::move(fake), std::move(sessions));
        registry = std::make_unique<Devices>(*evdev);
    }
    void TearDown() override
    {
        b.reset();
        a.reset();
        registry.reset();
        evdev.reset();
        Scheduler::setShared(nullptr);
    }
    std::unique_ptr<HIDRemote> driver(std::uint32_t pid, int mode = HIDRemote::kModeNone)
    {
        auto d = std::make_unique<HIDRemote>(*registry, &center, pid);
        if (mode != HIDRemote::kModeNone) {
            EXPECT_TRUE(d->startRemoteControl(mode));
        }
        return d;
    }
    // Another program's notification, and everything it sets off.
    void post(const char* word, const QString& object, const QVariantMap& info = {})
    {
        center.post({HIDRemote::notificationName(word), object, info});
        center.deliver();
    }
    // What was posted since the last call: "<word> <object> <action>" (the action for a status).
    std::vector<std::string> posts()
    {
        std::vector<std::string> out;
        for (; seen < center.posted.size(); ++seen) {
            const DistributedNotification& n = center.posted[seen];
            std::string line = n.name.mid(int(qstrlen(kHIDRemoteNotificationPrefix))).toStdString() + " " +
                               n.object.toStdString();
            if (n.userInfo.contains("Action"))
                line += " " + n.userInfo.value("Action").toString().toStdString();
            out.push_back(line);
        }
        return out;
    }
    QVariantMap lastPost() const { return center.posted.empty() ? QVariantMap() : center.posted.back().userInfo; }

    ManualScheduler clock;
    FakeNotificationCenter center;
    FakeEvdevSystem* devices = nullptr;  // owned by evdev
    FakeConsoleSessions* console = nullptr; // owned by evdev
    std::unique_ptr<EvdevRegistry> evdev;
    std::unique_ptr<Devices> registry;
    Delegate delegate; // A's, when it has one
    std::unique_ptr<HIDRemote> a;
    std::unique_ptr<HIDRemote> b;
    std::size_t seen = 0;
};

using Posts = std::vector<std::string>;

TEST_F(HIDRemoteSharing, StatusAnswersPingsAndTellsStartUpdateAndStopWithItsKeys)
{
    a = driver(kA);
    post("ping", "whoever");
    EXPECT_EQ(posts(), (Posts{"ping whoever", "status 101 update"}));
    EXPECT_EQ(lastPost(), (QVariantMap{{"HIDRemoteVersion", 1},
                                       {"PID", kA},
                                       {"Mode", 0},
                                       {"RemoteControlCount", 0},
                                       {"UnusedButtonCodes", QVariantList{}},
                                       {"Action", "update"},
                                       {"BundleIdentifier", QString::fromLatin1(kAppId)}}));

    ASSERT_TRUE(a->startRemoteControl(HIDRemote::kModeExclusiveAuto));
    EXPECT_EQ(posts(), Posts{"status 101 start"});
    EXPECT_EQ(lastPost().value("Mode"), 3);
    EXPECT_EQ(lastPost().value("RemoteControlCount"), 1);
    a->setUnusedButtonCodes({6, 65542});
    EXPECT_EQ(posts(), Posts{"status 101 update"});
    EXPECT_EQ(lastPost().value("UnusedButtonCodes"), (QVariantList{6, 65542}));
    EXPECT_FALSE(a->startRemoteControl(HIDRemote::kModeShared));
    EXPECT_EQ(posts(), Posts{}) << "a start refused tells nothing";

    a->_setSendStatusNotifications(false);
    post("ping", "x");
    EXPECT_EQ(posts(), Posts{"ping x"});
    a->_setSendStatusNotifications(true);

    // Stopping a mode-3 driver that held a receiver, lending off: "stop" and a global retry.
    a->stopRemoteControl();
    EXPECT_EQ(posts(), (Posts{"status 101 stop", "retry global"}));
    EXPECT_EQ(lastPost(), (QVariantMap{{"PID", kA}, {"BundleIdentifier", QString::fromLatin1(kAppId)}}));
    a->stopRemoteControl();
    EXPECT_EQ(posts(), Posts{}) << "a stopped driver stops silently";
    center.deliver();
    EXPECT_EQ(posts(), Posts{}) << "its own retry, come back while stopped, is ignored";

    // No global retry without a receiver given up, nor while lending is on.
    devices->device(kRemote)->grabError = EBUSY;
    ASSERT_TRUE(a->startRemoteControl(HIDRemote::kModeExclusive));
    a->stopRemoteControl();
    EXPECT_EQ(posts(), (Posts{"status 101 start", "status 101 stop"}));
    devices->device(kRemote)->grabError = 0;
    a->setExclusiveLockLendingEnabled(true);
    ASSERT_TRUE(a->startRemoteControl(HIDRemote::kModeExclusive));
    a->stopRemoteControl();
    EXPECT_EQ(posts(), (Posts{"status 101 start", "status 101 stop"}));

    // Tear-down stops (with the global retry) and leaves no observer behind.
    a->setExclusiveLockLendingEnabled(false);
    ASSERT_TRUE(a->startRemoteControl(HIDRemote::kModeExclusiveAuto));
    a.reset();
    EXPECT_EQ(posts(), (Posts{"status 101 start", "status 101 stop", "retry global"}));
    EXPECT_EQ(center.observerCount(), 0u);
}

TEST_F(HIDRemoteSharing, RetriesAreDeclinedWhenTheirOwnOrRefusedAndOtherwiseRestartTheDriverNamingTheAsker)
{
    a = driver(kA, HIDRemote::kModeExclusiveAuto);
    a->setDelegate(&delegate);
    posts();
    // The driver's own global retry come back while it runs: declined, naming itself.
    post("retry", "global", {{"PID", kA}});
    EXPECT_EQ(posts(), (Posts{"retry global", "status 101 noneed"}));
    EXPECT_EQ(lastPost().value("ReturnToPID"), QVariant(kA));
    EXPECT_FALSE(a->returnToPID()) << "only for that one post";
    EXPECT_TRUE(a->isStarted());
    EXPECT_TRUE(devices->isGrabbed(kRemote));

    // Another program asks: stop, start again in the same mode, and name it from then on.
    post("retry", "101", {{"PID", kB}});
    EXPECT_EQ(posts(), (Posts{"retry 101", "status 101 stop", "status 101 start"})) << "no global retry";
    EXPECT_EQ(a->startedInMode(), HIDRemote::kModeExclusiveAuto);
    EXPECT_EQ(a->returnToPID(), kB);
    EXPECT_FALSE(a->isRestarting());
    post("ping", "");
    EXPECT_EQ(lastPost().value("ReturnToPID"), QVariant(kB));

    // A delegate that refuses: declined naming the asker, the remembered one kept.
    delegate.answers = {HIDRemoteDelegate::Optional::ShouldRetryExclusiveLock};
    delegate.retry = false;
    posts();
    post("retry", "global", {{"PID", 303u}});
    EXPECT_EQ(posts(), (Posts{"retry global", "status 101 noneed"}));
    EXPECT_EQ(lastPost().value("ReturnToPID"), QVariant(303u));
    EXPECT_EQ(a->returnToPID(), kB);

    // In shared mode a retry restarts without remembering the asker.
    a->stopRemoteControl();
    center.deliver();
    ASSERT_TRUE(a->startRemoteControl(HIDRemote::kModeShared));
    delegate.retry = true;
    posts();
    post("retry", "101", {{"PID", kB}});
    EXPECT_EQ(posts(), (Posts{"retry 101", "status 101 stop", "status 101 start"}));
    EXPECT_FALSE(a->returnToPID());
    // Addressed to another program: not ours.
    post("retry", "202", {{"PID", 303u}});
    EXPECT_EQ(posts(), Posts{"retry 202"});
}

TEST_F(HIDRemoteSharing, InModeTwoTheRemoteIsLentToAnotherProgramAndComesBackWhenItStops)
{
    delegate.answers = {HIDRemoteDelegate::Optional::LendExclusiveLock};
    a = driver(kA, HIDRemote::kModeExclusive);
    a->setDelegate(&delegate);
    a->setExclusiveLockLendingEnabled(true);
    // B starts while A holds the receiver: B finds none, announces itself, A grants it.
    b = driver(kB, HIDRemote::kModeExclusiveAuto);
    EXPECT_EQ(b->activeRemoteControlCount(), 0);
    posts();
    center.deliver();
    EXPECT_EQ(posts(), (Posts{"status 101 stop", "retry 202", "status 202 stop", "status 202 start"}));
    ASSERT_EQ(delegate.lendAsked.size(), 1u);
    EXPECT_EQ(delegate.lendAsked[0].value("PID"), QVariant(kB));
    EXPECT_FALSE(a->isStarted());
    EXPECT_EQ(a->waitForReturnByPID(), kB);
    EXPECT_EQ(b->activeRemoteControlCount(), 1) << "B took the receiver over";
    EXPECT_EQ(b->returnToPID(), kA);

    // B is done: its "stop" names A, which starts again in mode 2.
    b->stopRemoteControl();
    center.deliver();
    EXPECT_EQ(a->startedInMode(), HIDRemote::kModeExclusive);
    EXPECT_EQ(a->activeRemoteControlCount(), 1);
    EXPECT_FALSE(a->waitForReturnByPID());

    // A delegate that says no keeps the remote; one that hears of the return starts it itself.
    delegate.lend = false;
    ASSERT_TRUE(b->startRemoteControl(HIDRemote::kModeExclusive));
    center.deliver();
    EXPECT_TRUE(a->isStarted());
    delegate.lend = true;
    delegate.answers.insert(HIDRemoteDelegate::Optional::ExclusiveLockReleased);
    b->stopRemoteControl();
    ASSERT_TRUE(b->startRemoteControl(HIDRemote::kModeExclusive));
    center.deliver();
    ASSERT_EQ(a->waitForReturnByPID(), kB);
    b->stopRemoteControl();
    center.deliver();
    ASSERT_EQ(delegate.released.size(), 1u);
    EXPECT_EQ(delegate.released[0].value("ReturnToPID"), QVariant(kA));
    EXPECT_FALSE(a->isStarted()) << "the delegate restarts it";

    // A borrower that runs only shared gives the remote back at once.
    ASSERT_TRUE(a->startRemoteControl(HIDRemote::kModeExclusive));
    b->stopRemoteControl();
    center.deliver();
    delegate.answers.erase(HIDRemoteDelegate::Optional::ExclusiveLockReleased);
    post("status", "404", {{"PID", 404u}, {"Mode", 2}, {"Action", "start"}});
    ASSERT_EQ(a->waitForReturnByPID(), 404u);
    post("status", "404", {{"PID", 404u}, {"Mode", 1}, {"Action", "start"}});
    EXPECT_EQ(a->startedInMode(), HIDRemote::kModeExclusive);
    EXPECT_FALSE(a->waitForReturnByPID()) << "the same start is not taken as a new request";

    // Lending off forgets a loan.
    post("status", "404", {{"PID", 404u}, {"Mode", 2}, {"Action", "start"}});
    ASSERT_EQ(a->waitForReturnByPID(), 404u);
    a->setExclusiveLockLendingEnabled(false);
    EXPECT_FALSE(a->waitForReturnByPID());
    post("status", "404", {{"PID", 404u}, {"ReturnToPID", kA}, {"Action", "stop"}});
    EXPECT_FALSE(a->isStarted()) << "status is not heard with lending off";
}

TEST_F(HIDRemoteSharing, ValuesOfTheWrongTypeCountAsAbsent)
{
    delegate.answers = {HIDRemoteDelegate::Optional::LendExclusiveLock, HIDRemoteDelegate::Optional::ShouldRetryExclusiveLock};
    a = driver(kA, HIDRemote::kModeExclusive);
    a->setDelegate(&delegate);
    a->setExclusiveLockLendingEnabled(true);
    // No usable "PID" or "Action": no loan.
    for (const QVariant& pid : {QVariant("202"), QVariant(-202), QVariant(2.5), QVariant(true), QVariant(0)})
        post("status", "202", {{"PID", pid}, {"Action", "start"}, {"Mode", 2}});
    post("status", "202", {{"PID", kB}, {"Action", 7}});
    post("status", "202", {{"PID", kB}, {"Action", QVariantList{"start"}}});
    EXPECT_TRUE(a->isStarted());
    EXPECT_TRUE(delegate.lendAsked.empty());
    // The delegate never meets a value of the wrong type.
    post("status", "202",
         {{"PID", kB}, {"Action", "start"}, {"Mode", "2"}, {"UnusedButtonCodes", QVariantList{5, "x"}},
          {"BundleIdentifier", 12}, {"Extra", "kept"}});
    ASSERT_EQ(delegate.lendAsked.size(), 1u);
    EXPECT_EQ(delegate.lendAsked[0], (QVariantMap{{"PID", kB}, {"Action", "start"}, {"Extra", "kept"}}));
    ASSERT_EQ(a->waitForReturnByPID(), kB);
    // A "ReturnToPID" in text does not bring the remote back; a number does.
    post("status", "202", {{"PID", kB}, {"Action", "stop"}, {"ReturnToPID", "101"}});
    EXPECT_FALSE(a->isStarted());
    post("status", "202", {{"PID", qulonglong(kB)}, {"Action", "stop"}, {"ReturnToPID", qint64(kA)}});
    EXPECT_TRUE(a->isStarted()) << "any integer width will do";
    // A retry whose "PID" is text is no one's: no name is remembered.
    posts();
    post("retry", "101", {{"PID", "202"}});
    EXPECT_EQ(posts(), (Posts{"retry 101", "status 101 stop", "status 101 start"}));
    EXPECT_FALSE(a->returnToPID());
    post("retry", "global", {{"PID", QVariantMap{}}});
    EXPECT_FALSE(a->returnToPID());
}

TEST_F(HIDRemoteSharing, ANewConsoleUserRestartsAnExclusiveDriverOnceAndTheSameStateNothing)
{
    a = driver(kA, HIDRemote::kModeExclusive);
    EXPECT_EQ(a->lastFrontUserSession(), 1000u);
    EXPECT_EQ(a->lastSecureEventInputPIDSum(), 0u);
    posts();
    console->change();
    EXPECT_EQ(posts(), Posts{}) << "the same state restarts nothing";
    console->current = {{1000, false}, {1001, true}};
    console->change();
    EXPECT_EQ(posts(), (Posts{"status 101 stop", "status 101 start"})) << "no global retry while restarting";
    EXPECT_EQ(a->lastFrontUserSession(), 1001u);
    EXPECT_TRUE(devices->isGrabbed(kRemote));
    console->change();
    EXPECT_EQ(posts(), Posts{});
    // Without the workaround, or shared, the console is not followed.
    a->setEnableSecureEventInputWorkaround(false);
    console->current = {{1000, true}};
    console->change();
    EXPECT_EQ(posts(), Posts{});
    a->stopRemoteControl();
    ASSERT_TRUE(a->startRemoteControl(HIDRemote::kModeShared));
    EXPECT_FALSE(console->watched());
    a->stopRemoteControl();
    EXPECT_FALSE(console->watched());
}

TEST_F(HIDRemoteSharing, WithoutALoginManagerTheConsoleReadsEmptyAndStartingNeverFails)
{
    auto fake = std::make_unique<FakeEvdevSystem>();
    fake->addDevice(FakeEvdevSystem::remote(3));
    EvdevRegistry bare(std::move(fake));
    EXPECT_EQ(bare.rootProperty("IOConsoleUsers"), QVariant(QVariantList{}));
    HIDRemote d(bare, &center, kA);
    ASSERT_TRUE(d.startRemoteControl(HIDRemote::kModeExclusiveAuto));
    EXPECT_EQ(d.lastFrontUserSession(), 0u);
    EXPECT_EQ(d.activeRemoteControlCount(), 1);
}

TEST_F(HIDRemoteSharing, ARestartThatFailsLeavesTheDriverStoppedAndIsLoggedWithItsReason)
{
    ScopedLogCapture log;
    a = driver(kA, HIDRemote::kModeExclusiveAuto);
    posts();
    registry->refuse = true;
    post("retry", "101", {{"PID", kB}});
    EXPECT_EQ(posts(), (Posts{"retry 101", "status 101 stop"})) << "nothing beyond the stop";
    EXPECT_FALSE(a->isStarted());
    EXPECT_FALSE(a->returnToPID());
    EXPECT_EQ(log.sink.count("restart in mode 3 failed: new devices could not be watched"), 1u)
        << (log.sink.lines.empty() ? "" : log.sink.lines.back());
    // Likewise after a change of console user.
    registry->refuse = false;
    ASSERT_TRUE(a->startRemoteControl(HIDRemote::kModeExclusive));
    registry->refuse = true;
    console->current = {{1001, true}};
    console->change();
    EXPECT_FALSE(a->isStarted());
    EXPECT_EQ(log.sink.count("HIDRemote _secureInputNotificationFor: restart in mode 2 failed"), 1u);
    // And when the program comes back to the front in mode 3.
    registry->refuse = false;
    ASSERT_TRUE(a->startRemoteControl(HIDRemote::kModeExclusiveAuto));
    a->_appStatusChanged(HIDRemote::AppStatus::WillResignActive);
    registry->refuse = true;
    a->_appStatusChanged(HIDRemote::AppStatus::DidBecomeActive);
    clock.advance(0.1);
    EXPECT_FALSE(a->isStarted());
    EXPECT_EQ(log.sink.count("HIDRemote _delayedAutoRecovery: restart in mode 3 failed"), 1u);
}

} // namespace
} // namespace tallomer
