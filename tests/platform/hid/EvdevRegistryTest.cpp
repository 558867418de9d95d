// The Linux device layer over fake input devices whose records come through pipes: which devices
// are receivers, how opening fails, what the queue makes of presses, releases, autorepeat and a
// lost stretch of events, and how a device's going is told.

#include "platform/hid/FakeEvdevSystem.h"
#include "runtime/Log.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <cerrno>
#include <linux/input.h>

namespace tallomer {
namespace {

class EvdevTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto fake = std::make_unique<FakeEvdevSystem>();
        devices = fake.get();
        devices->addDevice(FakeEvdevSystem::remote(1));
        devices->addDevice(FakeEvdevSystem::keyboard(2));
        registry = std::make_unique<EvdevRegistry>(std::move(fake));
        previous = setLogSink(&log);
    }
    void TearDown() override
    {
        // The device and its queue go before the registry they stand on.
        queue.reset();
        device.reset();
        registry.reset();
        setLogSink(previous);
    }
    static void pump()
    {
        for (int i = 0; i < 5; ++i)
            QCoreApplication::processEvents();
    }
    HIDService remote() { return registry->serviceForPath(QStringLiteral("/dev/input/event1")); }
    HIDService keyboard() { return registry->serviceForPath(QStringLiteral("/dev/input/event2")); }

    // The remote opened and seized, its queue started, with every element queued.
    void openRemote()
    {
        registry->services();
        IOReturn r = kIOReturnError;
        device = registry->createPlugIn(remote(), r);
        ASSERT_EQ(r, kIOReturnSuccess);
        ASSERT_EQ(device->queryInterface(), kIOReturnSuccess);
        ASSERT_EQ(device->open(true), kIOReturnSuccess);
        std::vector<HIDElement> elements;
        ASSERT_EQ(device->copyElements(elements), kIOReturnSuccess);
        queue = device->allocQueue();
        queue->create(32);
        for (const HIDElement& e : elements)
            queue->addElement(e.cookie);
        queue->createEventSource();
        queue->setEventCallout([this](IOReturn) {
            HIDValueEvent e;
            while (queue->nextEvent(e))
                events.push_back({int(e.cookie), e.value});
        });
        queue->start();
    }

    FakeEvdevSystem* devices = nullptr;
    std::unique_ptr<EvdevRegistry> registry;
    std::unique_ptr<HIDDevice> device;
    std::unique_ptr<HIDQueue> queue;
    std::vector<std::pair<int, int>> events;
    MemoryLogSink log;
    LogSink* previous = nullptr;
};

TEST_F(EvdevTest, ARemoteIsAReceiverAndAKeyboardNever)
{
    EXPECT_EQ(registry->services().size(), 2u);
    EXPECT_EQ(registry->property(remote(), "IOClass").toString(), "AppleIRController");
    EXPECT_EQ(registry->property(keyboard(), "IOClass").toString(), "IOHIDDevice");
    EXPECT_EQ(registry->property(remote(), "Product").toString(), "Test IR Receiver");
    EXPECT_EQ(registry->property(remote(), "Transport").toString(), "usb");
    EXPECT_FALSE(registry->property(remote(), "AluminumRemoteSupportLevel").isValid());
    EXPECT_NE(registry->setProperty(remote(), "EnableAluminumRemoteSupportForMe", QVariantMap{}), kIOReturnSuccess);
    EXPECT_EQ(registry->systemVersion(), 0u);
    EXPECT_FALSE(devices->isOpen("/dev/input/event2")) << "probing closes again";

    // Without udev's names the device is asked.
    FakeEvdevSystem::Device bare = FakeEvdevSystem::remote(7);
    bare.node.product.clear();
    bare.node.transport.clear();
    bare.kernelName = "Kernel IR";
    bare.bus = BUS_USB;
    devices->addDevice(bare);
    const HIDService s = registry->serviceForPath(bare.node.path);
    EXPECT_EQ(registry->property(s, "Product").toString(), "Kernel IR");
    EXPECT_EQ(registry->property(s, "Transport").toString(), "USB");

    // The elements are the remote's keys, each with its usage pair.
    IOReturn r;
    auto d = registry->createPlugIn(remote(), r);
    std::vector<HIDElement> elements;
    ASSERT_EQ(d->copyElements(elements), kIOReturnSuccess);
    EXPECT_EQ(elements.size(), 12u);
    auto menu = std::find_if(elements.begin(), elements.end(), [](const HIDElement& e) { return e.cookie == KEY_MENU; });
    ASSERT_NE(menu, elements.end());
    EXPECT_EQ(menu->usagePage, 1u);
    EXPECT_EQ(menu->usage, 134u);
}

TEST_F(EvdevTest, OpeningFailsStepByStepWithTheErrnoAsTheResult)
{
    registry->services();
    IOReturn r = kIOReturnSuccess;
    devices->device("/dev/input/event1")->openError = EACCES;
    EXPECT_EQ(registry->createPlugIn(remote(), r), nullptr);
    EXPECT_EQ(r, kIOReturnError);
    devices->device("/dev/input/event1")->openError = EBUSY;
    registry->createPlugIn(remote(), r);
    EXPECT_EQ(r, kIOReturnExclusiveAccess);
    devices->device("/dev/input/event1")->openError = 0;
    devices->device("/dev/input/event1")->versionError = EINVAL;
    EXPECT_EQ(registry->createPlugIn(remote(), r)->queryInterface(), kIOReturnError);
    devices->device("/dev/input/event1")->versionError = 0;

    // Seized by one opening, the other is refused as exclusive access; shared opens do not seize.
    auto first = registry->createPlugIn(remote(), r);
    ASSERT_EQ(first->open(true), kIOReturnSuccess);
    auto second = registry->createPlugIn(remote(), r);
    EXPECT_EQ(second->open(true), kIOReturnExclusiveAccess);
    EXPECT_EQ(second->open(false), kIOReturnSuccess);
    first.reset();
    EXPECT_FALSE(devices->isGrabbed("/dev/input/event1")) << "closing gives the device back";
    devices->device("/dev/input/event1")->bitsError = EIO;
    std::vector<HIDElement> elements;
    EXPECT_EQ(second->copyElements(elements), kIOReturnError);
}

TEST_F(EvdevTest, ARefusedNodeWithNoReceiverIsLoggedOnce)
{
    devices->removeDevice("/dev/input/event1");
    devices->device("/dev/input/event2")->openError = EACCES;
    registry->services();
    registry->services();
    ASSERT_EQ(log.lines.size(), 1u);
    EXPECT_NE(log.lines[0].find("input"), std::string::npos);
}

TEST_F(EvdevTest, TheQueueTakesPressesAndReleasesDropsRepeatsAndResyncsAfterALoss)
{
    openRemote();
    const QString path = "/dev/input/event1";
    devices->key(path, KEY_RIGHT, 1);
    devices->key(path, KEY_RIGHT, 2); // autorepeat
    devices->key(path, KEY_RIGHT, 0);
    devices->key(path, KEY_A, 1); // not an element
    pump();
    EXPECT_EQ(events, (std::vector<std::pair<int, int>>{{KEY_RIGHT, 1}, {KEY_RIGHT, 0}}));

    // Down, then a lost stretch in which the release went: what follows up to SYN_REPORT is
    // dropped and the key's state read again, so it is released all the same.
    events.clear();
    devices->key(path, KEY_LEFT, 1);
    devices->write(path, EV_SYN, SYN_DROPPED, 0);
    devices->setKeyDown(path, KEY_LEFT, false);
    devices->write(path, EV_KEY, KEY_UP, 1); // dropped
    devices->write(path, EV_SYN, SYN_REPORT, 0);
    pump();
    EXPECT_EQ(events, (std::vector<std::pair<int, int>>{{KEY_LEFT, 1}, {KEY_LEFT, 0}}));
}

TEST_F(EvdevTest, ARemovedDeviceOrAReadEndingInNoDeviceIsTerminated)
{
    openRemote();
    std::vector<std::uint32_t> messages;
    IOReturn r;
    auto interest = registry->addInterest(remote(), [&](std::uint32_t m) { messages.push_back(m); }, r);
    devices->failReads("/dev/input/event1");
    pump();
    EXPECT_EQ(messages, std::vector<std::uint32_t>{kIOMessageServiceIsTerminated});
    EXPECT_EQ(remote(), 0u) << "the service is gone";

    // udev's "remove" of another; and a device plugged in later is matched.
    std::vector<HIDService> matched;
    auto matching = registry->addMatching([&](HIDService s) { matched.push_back(s); }, r);
    const HIDService kb = keyboard();
    auto kbInterest = registry->addInterest(kb, [&](std::uint32_t m) { messages.push_back(m); }, r);
    devices->removeDevice("/dev/input/event2");
    pump();
    EXPECT_EQ(messages.size(), 2u);
    devices->addDevice(FakeEvdevSystem::remote(9));
    ASSERT_EQ(matched.size(), 1u);
    EXPECT_EQ(registry->property(matched[0], "IOClass").toString(), "AppleIRController");
}

} // namespace
} // namespace tallomer
