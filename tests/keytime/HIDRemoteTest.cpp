// The remote-control driver on a registry of the test's own: which devices it takes, how a
// failed set-up is reported and undone, mode-3 recovery and termination on the virtual clock, and
// how queue events become the button codes its delegate receives.

#include "keytime/HIDRemote.h"
#include "runtime/Scheduler.h"

#include <gtest/gtest.h>

#include <deque>
#include <set>
#include <string>

namespace tallomer {
namespace {

struct Journal {
    std::vector<std::string> lines;
};

struct FakeQueue final : HIDQueue {
    FakeQueue(Journal& j, int failAt) : journal(j), fail(failAt) {}
    ~FakeQueue() override { journal.lines.push_back("queue released"); }
    IOReturn create(int depth) override
    {
        this->depth = depth;
        return fail == 6 ? kIOReturnError : kIOReturnSuccess;
    }
    void addElement(std::uint32_t c) override { cookies.insert(c); }
    void removeElement(std::uint32_t c) override { cookies.erase(c); }
    bool hasElement(std::uint32_t c) const override { return cookies.count(c) != 0; }
    IOReturn createEventSource() override { return fail == 9 ? kIOReturnError : kIOReturnSuccess; }
    IOReturn setEventCallout(std::function<void(IOReturn)> c) override
    {
        callout = std::move(c);
        return fail == 10 ? kIOReturnError : kIOReturnSuccess;
    }
    IOReturn start() override
    {
        journal.lines.push_back("queue started");
        return fail == 11 ? kIOReturnError : kIOReturnSuccess;
    }
    void stop() override { journal.lines.push_back("queue stopped"); }
    void dispose() override
    {
        journal.lines.push_back("queue disposed");
        disposed = true;
    }
    bool nextEvent(HIDValueEvent& e) override
    {
        // Reading a disposed queue is the fault this guards against.
        EXPECT_FALSE(disposed) << "a disposed queue was read";
        if (events.empty())
            return false;
        e = events.front();
        events.pop_front();
        return true;
    }
    Journal& journal;
    int fail;
    int depth = 0;
    std::set<std::uint32_t> cookies;
    std::function<void(IOReturn)> callout;
    std::deque<HIDValueEvent> events;
    bool disposed = false;
};

struct FakeDevice final : HIDDevice {
    FakeDevice(Journal& j, std::vector<HIDElement> e, int failAt, FakeQueue*& q)
        : journal(j), elements(std::move(e)), fail(failAt), queue(q)
    {
    }
    ~FakeDevice() override { journal.lines.push_back("plug-in destroyed"); }
    IOReturn queryInterface() override { return fail == 2 ? kIOReturnError : kIOReturnSuccess; }
    IOReturn open(bool seize) override
    {
        if (fail == 3)
            return kIOReturnExclusiveAccess;
        journal.lines.push_back(seize ? "opened seized" : "opened shared");
        return kIOReturnSuccess;
    }
    void close() override { journal.lines.push_back("closed"); }
    IOReturn copyElements(std::vector<HIDElement>& out) override
    {
        if (fail == 4)
            return kIOReturnError;
        out = elements;
        return kIOReturnSuccess;
    }
    std::unique_ptr<HIDQueue> allocQueue() override
    {
        if (fail == 5)
            return nullptr;
        auto q = std::make_unique<FakeQueue>(journal, fail);
        queue = q.get();
        return q;
    }
    Journal& journal;
    std::vector<HIDElement> elements;
    int fail;
    FakeQueue*& queue;
};

struct Note final : HIDNotification {
    explicit Note(std::function<void()> f) : undo(std::move(f)) {}
    ~Note() override { undo(); }
    std::function<void()> undo;
};

// Elements of a remote: the six buttons, the held and aluminium usages, and the remote id.
std::vector<HIDElement> remoteElements()
{
    return {{1, 1, 0x86},  {2, 1, 0x89},  {3, 1, 0x8A},  {4, 1, 0x8B},  {5, 1, 0x8C},    {6, 1, 0x8D},
            {7, 12, 0x40}, {8, 12, 0x41}, {9, 12, 0x82}, {10, 12, 0xB3}, {11, 12, 0xB4},   {12, 12, 0xCD},
            {13, 6, 0x22}, {14, 0xFF01, 0x23}, {15, 9, 1}};
}

struct FakeRegistry final : HIDRegistry {
    struct Service {
        std::map<QString, QVariant> properties;
        std::vector<HIDElement> elements = remoteElements();
        int failAt = 0;
    };
    QVariant property(HIDService s, const QString& k) override
    {
        auto it = services_.find(s);
        if (it == services_.end() || !it->second.properties.count(k))
            return {};
        return it->second.properties[k];
    }
    IOReturn setProperty(HIDService, const QString& k, const QVariant&) override
    {
        journal.lines.push_back("set " + k.toStdString());
        return kIOReturnSuccess;
    }
    bool hasServiceOfClass(const QString& c) override
    {
        for (auto& [id, s] : services_)
            if (s.properties["IOClass"] == c)
                return true;
        return false;
    }
    std::uint32_t systemVersion() override { return version; }
    QVariant rootProperty(const QString&) override { return {}; }
    std::vector<HIDService> services() override
    {
        std::vector<HIDService> out;
        for (auto& [id, s] : services_)
            out.push_back(id);
        return out;
    }
    std::unique_ptr<HIDNotification> addMatching(std::function<void(HIDService)> f, IOReturn& r) override
    {
        matched = std::move(f);
        r = kIOReturnSuccess;
        return std::make_unique<Note>([this] { matched = nullptr; });
    }
    std::unique_ptr<HIDNotification> addInterest(HIDService s, std::function<void(std::uint32_t)> f,
                                                 IOReturn& r) override
    {
        if (services_[s].failAt == 12) {
            r = kIOReturnError;
            return nullptr;
        }
        interests[s] = std::move(f);
        r = kIOReturnSuccess;
        return std::make_unique<Note>([this, s] {
            interests.erase(s);
            journal.lines.push_back("interest released");
        });
    }
    std::unique_ptr<HIDNotification> addRootBusyInterest(std::function<void(std::uint32_t)>, IOReturn& r) override
    {
        r = kIOReturnSuccess;
        return std::make_unique<Note>([] {});
    }
    std::unique_ptr<HIDDevice> createPlugIn(HIDService s, IOReturn& r) override
    {
        Service& svc = services_[s];
        if (svc.failAt == 1) {
            r = kIOReturnError;
            return nullptr;
        }
        r = kIOReturnSuccess;
        return std::make_unique<FakeDevice>(journal, svc.elements, svc.failAt, queues[s]);
    }

    Service& add(HIDService s, const QString& ioClass = QStringLiteral("AppleIRController"))
    {
        services_[s].properties["IOClass"] = ioClass;
        return services_[s];
    }
    void post(HIDService s, std::vector<HIDValueEvent> events)
    {
        FakeQueue* q = queues[s];
        ASSERT_NE(q, nullptr);
        for (const HIDValueEvent& e : events)
            q->events.push_back(e);
        q->callout(kIOReturnSuccess);
    }

    std::map<HIDService, Service> services_;
    std::map<HIDService, FakeQueue*> queues;
    std::map<HIDService, std::function<void(std::uint32_t)>> interests;
    std::function<void(HIDService)> matched;
    std::uint32_t version = 0;
    Journal journal;
};

struct Recorder : HIDRemoteDelegate {
    void hidRemoteEventWithButton(HIDRemote& remote, int code, bool pressed, const QVariantMap&) override
    {
        events.push_back({code, pressed});
        if (stopOn == code)
            remote.stopRemoteControl();
    }
    bool respondsTo(Optional m) const override { return answers.count(m) != 0; }
    void hidRemoteFailedNewHardware(HIDRemote&, const std::optional<HIDRemoteError>& e) override { failures.push_back(e); }
    void hidRemoteFoundNewHardware(HIDRemote&, const QVariantMap& a) override { found.push_back(a); }
    void hidRemoteReleasedHardware(HIDRemote&, const QVariantMap&) override { released++; }
    bool hidRemoteInspectNewHardware(HIDRemote&, HIDService, bool) override { return verdict; }
    void hidRemoteRemoteIDChanged(HIDRemote&, int oldID, int newID, const QVariantMap&) override
    {
        ids.push_back({oldID, newID});
    }

    std::vector<std::pair<int, bool>> events;
    std::set<Optional> answers{Optional::FailedNewHardware, Optional::FoundNewHardware, Optional::ReleasedHardware,
                               Optional::RemoteIDChanged};
    std::vector<std::optional<HIDRemoteError>> failures;
    std::vector<QVariantMap> found;
    std::vector<std::pair<int, int>> ids;
    int released = 0;
    bool verdict = false;
    int stopOn = -1;
};

class HIDRemoteTest : public ::testing::Test {
protected:
    void SetUp() override { Scheduler::setShared(&clock); }
    void TearDown() override
    {
        remote.reset();
        Scheduler::setShared(nullptr);
    }
    void startWith(int mode = HIDRemote::kModeExclusiveAuto)
    {
        remote = std::make_unique<HIDRemote>(registry);
        remote->setDelegate(&delegate);
        ASSERT_TRUE(remote->startRemoteControl(mode));
    }
    // A button down, then up, as two callouts.
    void click(std::uint32_t cookie)
    {
        registry.post(1, {{cookie, 1}});
        registry.post(1, {{cookie, 0}});
    }
    using Events = std::vector<std::pair<int, bool>>;

    ManualScheduler clock;
    FakeRegistry registry;
    Recorder delegate;
    std::unique_ptr<HIDRemote> remote;
};

TEST_F(HIDRemoteTest, StartsOnceSeizesInExclusiveModesAndStopsWhenDestroyed)
{
    registry.add(1);
    startWith(HIDRemote::kModeExclusive);
    EXPECT_FALSE(remote->startRemoteControl(HIDRemote::kModeShared)) << "already started";
    EXPECT_EQ(remote->startedInMode(), HIDRemote::kModeExclusive);
    EXPECT_EQ(remote->activeRemoteControlCount(), 1);
    EXPECT_EQ(registry.queues[1]->depth, 32);
    EXPECT_NE(std::find(registry.journal.lines.begin(), registry.journal.lines.end(), "opened seized"),
              registry.journal.lines.end());
    ASSERT_EQ(delegate.found.size(), 1u);
    EXPECT_EQ(delegate.found[0].value("AluminumRemoteSupportLevel").toInt(), 0) << "version 0: no support";

    // A device that appears later is set up too.
    registry.add(2);
    registry.matched(2);
    EXPECT_EQ(remote->activeRemoteControlCount(), 2);
    registry.journal.lines.clear();
    remote.reset();
    EXPECT_EQ(delegate.released, 2);
    EXPECT_EQ(std::count(registry.journal.lines.begin(), registry.journal.lines.end(), "closed"), 2);
    EXPECT_FALSE(registry.matched) << "the first-match notice was released";

    HIDRemote shared(registry);
    EXPECT_FALSE(shared.startRemoteControl(HIDRemote::kModeNone));
    ASSERT_TRUE(shared.startRemoteControl(HIDRemote::kModeShared));
    EXPECT_NE(std::find(registry.journal.lines.begin(), registry.journal.lines.end(), "opened shared"),
              registry.journal.lines.end());
}

TEST_F(HIDRemoteTest, PrematchTakesReceiversByClassMaskAndTheDelegatesFinalWord)
{
    registry.add(1);                                  // receiver
    registry.add(2, "IOSPIRITIRController").properties["CandelairHIDRemoteCompatibilityMask"] = 0; // mask 0
    registry.add(3).properties["CandelairHIDRemoteCompatibilityDevice"] = true;                     // compat
    auto& both = registry.add(4);
    both.properties["CandelairHIDRemoteCompatibilityDevice"] = true;
    both.properties["CandelairHIDRemoteCompatibilityMask"] = 1; // the mask overrides
    registry.add(5, "IOHIDEventDriver");                          // a keyboard
    startWith();
    EXPECT_EQ(remote->services(), (std::vector<HIDService>{1, 4}));
    EXPECT_FALSE(remote->isCandelairInstallationRequiredForRemoteMode(3)) << "version 0";
    EXPECT_TRUE(remote->isCandelairInstalled());
    remote.reset();

    // The delegate's answer is final, both ways.
    delegate.answers.insert(HIDRemoteDelegate::Optional::InspectNewHardware);
    delegate.verdict = true;
    startWith();
    EXPECT_EQ(remote->services(), (std::vector<HIDService>{1, 2, 3, 4, 5}));
    remote.reset();
    delegate.verdict = false;
    startWith();
    EXPECT_EQ(remote->activeRemoteControlCount(), 0);
}

TEST_F(HIDRemoteTest, AFailureAtEachStepIsReportedWithItsCodeAndUndoneInOrder)
{
    for (int step : {1, 2, 3, 4, 5, 6, 9, 10, 11, 12}) {
        SCOPED_TRACE(step);
        registry = FakeRegistry();
        registry.add(1).failAt = step;
        delegate.failures.clear();
        startWith();
        EXPECT_EQ(remote->activeRemoteControlCount(), 0);
        ASSERT_EQ(delegate.failures.size(), 1u);
        ASSERT_TRUE(delegate.failures[0]);
        EXPECT_EQ(delegate.failures[0]->internalErrorCode, step);
        EXPECT_EQ(*delegate.failures[0]->code, step == 3 ? kIOReturnExclusiveAccess : kIOReturnError);
        const auto& j = registry.journal.lines;
        // The queue goes before the device is closed, the device before its plug-in.
        const auto at = [&j](const char* s) { return std::find(j.begin(), j.end(), s) - j.begin(); };
        if (step > 5) {
            EXPECT_LT(at("queue disposed"), at("closed"));
        }
        if (step == 12) {
            EXPECT_LT(at("queue stopped"), at("queue disposed"));
        }
        if (step >= 4) {
            EXPECT_LT(at("closed"), at("plug-in destroyed"));
        }
        remote.reset();
    }
    // Nine distinct usages are not a remote: code 8, the generic error.
    registry = FakeRegistry();
    auto& few = registry.add(1);
    few.elements.resize(9);
    delegate.failures.clear();
    startWith();
    ASSERT_EQ(delegate.failures.size(), 1u);
    EXPECT_EQ(delegate.failures[0]->internalErrorCode, 8);
    EXPECT_EQ(*delegate.failures[0]->code, kIOReturnError);
}

TEST_F(HIDRemoteTest, ModeThreeStopsOnDeactivationAndRestartsAfterTheLastActivation)
{
    registry.add(1);
    startWith();
    remote->_appStatusChanged(HIDRemote::AppStatus::WillResignActive);
    EXPECT_FALSE(remote->isStarted());
    remote->_appStatusChanged(HIDRemote::AppStatus::DidBecomeActive);
    clock.advance(0.05);
    // A second activation replaces the pending restart.
    remote->_appStatusChanged(HIDRemote::AppStatus::DidBecomeActive);
    clock.advance(0.08);
    EXPECT_FALSE(remote->isStarted());
    clock.advance(0.03);
    EXPECT_TRUE(remote->isStarted());
    EXPECT_EQ(remote->startedInMode(), 3);
    EXPECT_EQ(remote->activeRemoteControlCount(), 1);
    // Mode 2 stays on through deactivation; quitting stops it.
    remote.reset();
    startWith(HIDRemote::kModeExclusive);
    remote->_appStatusChanged(HIDRemote::AppStatus::WillResignActive);
    EXPECT_TRUE(remote->isStarted());
    remote->_appStatusChanged(HIDRemote::AppStatus::WillTerminate);
    EXPECT_FALSE(remote->isStarted());
    EXPECT_TRUE(remote->isApplicationTerminating());
}

TEST_F(HIDRemoteTest, TerminationGivesUpTheReceiverAndItsHoldTimer)
{
    registry.add(1);
    startWith();
    registry.post(1, {{5, 1}}); // Up down: the hold timer runs
    registry.interests[1](kIOMessageServiceIsTerminated);
    EXPECT_EQ(remote->activeRemoteControlCount(), 0);
    EXPECT_EQ(delegate.released, 1);
    clock.advance(1.0);
    EXPECT_TRUE(delegate.events.empty()) << "no hold after the receiver went";
    EXPECT_EQ(clock.pendingCount(), 0u);
}

TEST_F(HIDRemoteTest, UpAndDownAreTimedIntoPressesOrHolds)
{
    registry.add(1);
    startWith();
    registry.post(1, {{5, 1}});
    clock.advance(0.5);
    EXPECT_TRUE(delegate.events.empty()) << "nothing before the release";
    registry.post(1, {{5, 0}});
    EXPECT_EQ(delegate.events, (Events{{1, true}, {1, false}}));

    delegate.events.clear();
    registry.post(1, {{6, 1}});
    clock.advance(1.0);
    registry.post(1, {{6, 0}});
    EXPECT_EQ(delegate.events, (Events{{65538, true}, {65538, false}})) << "no plain Down";

    delegate.events.clear();
    remote->setSimulateHoldEvents(false);
    registry.post(1, {{5, 1}});
    EXPECT_EQ(delegate.events, (Events{{1, true}}));
    registry.post(1, {{5, 0}});
    EXPECT_EQ(delegate.events, (Events{{1, true}, {1, false}}));
}

TEST_F(HIDRemoteTest, OneButtonDownAtATimeRemoteIDsAndTheConsumerHolds)
{
    registry.add(1);
    startWith();
    // Right while Left is down: Left goes up first; Left's own release later changes nothing.
    registry.post(1, {{4, 1}, {3, 1}, {4, 0}, {3, 0}});
    EXPECT_EQ(delegate.events, (Events{{3, true}, {3, false}, {4, true}, {4, false}}));

    delegate.events.clear();
    registry.post(1, {{13, 7}, {13, 0}});
    EXPECT_TRUE(delegate.events.empty()) << "the remote id is never a button";
    EXPECT_EQ(remote->lastSeenRemoteControlID(), 7);
    EXPECT_EQ(delegate.ids, (std::vector<std::pair<int, int>>{{-1, 7}}));
    EXPECT_EQ(remote->lastSeenModel(), 0);

    // The consumer page's Right held comes at once, without the timer; unknown cookies are skipped.
    registry.post(1, {{10, 1}, {15, 1}, {10, 0}});
    EXPECT_EQ(delegate.events, (Events{{65540, true}, {65540, false}}));
}

TEST_F(HIDRemoteTest, TheAluminiumRemoteIsGuessedFromItsPlayButton)
{
    registry.add(1).properties["AluminumRemoteSupportLevel"] = 2;
    startWith();
    click(14); // the vendor page's Center held
    EXPECT_EQ(delegate.events.front().first, 65541);
    delegate.events.clear();
    click(12); // aluminium Play/Pause
    EXPECT_EQ(remote->lastSeenModel(), 2);
    EXPECT_EQ(delegate.events, (Events{{7, true}, {7, false}})) << "the aluminium flag is never delivered";
    delegate.events.clear();
    click(14);
    EXPECT_EQ(delegate.events, (Events{{65543, true}, {65543, false}}));
    delegate.events.clear();
    click(9); // the consumer page's aluminium Center held
    EXPECT_EQ(delegate.events, (Events{{65541, true}, {65541, false}}));

    // Another remote: a plain Center makes the model 1, and Center held stays itself.
    registry.post(1, {{13, 9}, {13, 0}});
    click(2);
    EXPECT_EQ(remote->lastSeenModel(), 1);
    delegate.events.clear();
    click(14);
    EXPECT_EQ(delegate.events, (Events{{65541, true}, {65541, false}}));
}

TEST_F(HIDRemoteTest, ADelegateStoppingTheDriverInsideAnEventEndsTheReading)
{
    registry.add(1);
    startWith();
    delegate.stopOn = HIDRemote::kButtonRight;
    // Right down (cookie 3) stops the driver; the rest of the queue is never read (the queue
    // fails the test when read once disposed).
    registry.post(1, {{4, 1}, {3, 1}, {4, 0}, {3, 0}});
    EXPECT_FALSE(remote->isStarted());
    EXPECT_EQ(delegate.events, (Events{{3, true}, {3, false}, {4, true}}));
}

TEST(HIDRemoteUsages, TheTableGivesTheCodesAndNothingElse)
{
    EXPECT_EQ(HIDRemote::buttonCodeForUsage(0x86, 1), 6);
    EXPECT_EQ(HIDRemote::buttonCodeForUsage(0x87, 1), 0);
    EXPECT_EQ(HIDRemote::buttonCodeForUsage(0x22, 6), 0x60000);
    EXPECT_EQ(HIDRemote::buttonCodeForUsage(0x82, 12), 2162693);
    EXPECT_EQ(HIDRemote::buttonCodeForUsage(0x23, 0xFF01), 65541);
    EXPECT_EQ(HIDRemote::buttonCodeForUsage(0x23, 0xFF02), 0);
}

} // namespace
} // namespace tallomer
