// The playback's remote beside other programs on the session bus. The program plays a KeyTime
// document with a remote among its (fake) input devices; the test, on a connection of its own to
// the program's bus and with a process id of its own, is another program that drives the remote
// the same way: it pings, asks for the remote, and hears the program give it up when playback
// stops from the menu.

#include "tests/e2e/E2EFixture.h"

#include "app/menu/KELMainMenu.h"
#include "keytime/HIDRemote.h"
#include "keytime/ZEVKeyDocumentController.h"
#include "keytime/ZEVKeyWindowController.h"
#include "platform/AppId.h"
#include "platform/notify/DistributedNotifications.h"
#include "widgets/ZEVButton.h"

#include <QMenu>
#include <QPushButton>
#include <QMenuBar>
#include <QTest>

#include <unistd.h>

namespace e2e {
namespace {

class RemoteSharing : public E2EWithSound<RecordingSound> {
protected:
    void TearDown() override
    {
        other.reset();
        QDBusConnection::disconnectFromBus(QStringLiteral("remote-sharing-other"));
        E2EWithSound<RecordingSound>::TearDown();
    }

    KELMainMenu* mainMenu() const { return adapter()->mainMenu(); }
    ZEVKeyDocumentController& keyTime() const { return app()->keyTime(); }
    ZEVKeyWindowController* keyWindow() const { return keyTime().windowFor(keyTime().currentDocument()); }

    void choose(int menuTag, long itemTag)
    {
        window()->activateWindow();
        pump();
        QMenuBar* menuBar = mainMenu()->menuBar();
        QMenu* m = mainMenu()->menuWithTag(menuTag);
        QTest::mouseClick(menuBar, Qt::LeftButton, {}, menuBar->actionGeometry(m->menuAction()).center());
        pump();
        ASSERT_TRUE(m->isVisible()) << "the menu did not open";
        QAction* item = mainMenu()->item(menuTag, itemTag);
        ASSERT_TRUE(item && item->isEnabled()) << "item " << itemTag << " is not enabled";
        QTest::mouseClick(m, Qt::LeftButton, {}, m->actionGeometry(item).center());
        pump();
    }

    // The other program: its own connection to the bus, everything it hears of the remote.
    void joinTheBus()
    {
        other = std::make_unique<DBusNotificationCenter>(
            QDBusConnection::connectToBus(bus.address(), QStringLiteral("remote-sharing-other")));
        ASSERT_TRUE(other->isConnected());
        other->addObserver(HIDRemote::notificationName("status"), QString(),
                           [this](const DistributedNotification& n) { heard.push_back(n); });
        // The test's own retries come back to it too: only the program's are kept.
        other->addObserver(HIDRemote::notificationName("retry"), QString(), [this](const DistributedNotification& n) {
            if (n.userInfo.value("PID") == QVariant(programPID))
                heard.push_back(n);
        });
    }
    void send(const char* word, const QString& object, const QVariantMap& info = {})
    {
        other->post({HIDRemote::notificationName(word), object, info});
    }
    // Waits (bounded) until the program has posted `count` notifications since the last clear.
    bool hear(std::size_t count)
    {
        return pumpUntil([&] { return heard.size() >= count; });
    }
    // "<word> <object> <action>" of what was heard.
    std::vector<std::string> lines() const
    {
        std::vector<std::string> out;
        for (const DistributedNotification& n : heard) {
            std::string line = n.name.mid(int(qstrlen(kHIDRemoteNotificationPrefix))).toStdString() + " " +
                               n.object.toStdString();
            if (n.userInfo.contains("Action"))
                line += " " + n.userInfo.value("Action").toString().toStdString();
            out.push_back(line);
        }
        return out;
    }

    const std::uint32_t programPID = std::uint32_t(::getpid());
    // Not the program's: the test stands for another process.
    const std::uint32_t otherPID = programPID + 100000u;
    const std::string pid = std::to_string(programPID);
    std::unique_ptr<DBusNotificationCenter> other;
    std::vector<DistributedNotification> heard;
    FakeEvdevSystem* devices = nullptr; // owned by hidRegistry
};

using Lines = std::vector<std::string>;

TEST_F(RemoteSharing, AnotherProgramPingsAsksForTheRemoteAndHearsItGivenUpWhenPlaybackStops)
{
    auto fake = std::make_unique<FakeEvdevSystem>();
    devices = fake.get();
    devices->addDevice(FakeEvdevSystem::remote(3));
    hidRegistry = std::make_unique<EvdevRegistry>(std::move(fake));
    start();
    joinTheBus();

    // A KeyTime document with one step, played from the File menu.
    choose(KELMainMenu::kMenuFile, 1);
    ZEVKeyWindowController* w = keyWindow();
    ASSERT_NE(w, nullptr);
    QTest::mouseClick(w->addButton(), Qt::LeftButton);
    pump();
    QTest::keyClick(w->focusWidget() ? w->focusWidget() : w, Qt::Key_Return);
    pump();
    choose(KELMainMenu::kMenuFile, 6);
    ASSERT_TRUE(app()->isKeyTimeRunning());
    ASSERT_TRUE(devices->isGrabbed(kRemote));
    ASSERT_TRUE(hear(1)) << "the driver's start was not heard";
    EXPECT_EQ(lines(), Lines{"status " + pid + " start"});
    heard.clear();

    // A ping is answered with the program's state.
    send("ping", "global");
    ASSERT_TRUE(hear(1));
    EXPECT_EQ(lines(), Lines{"status " + pid + " update"});
    QVariantMap info = heard[0].userInfo;
    EXPECT_EQ(info.value("HIDRemoteVersion"), QVariant(1));
    EXPECT_EQ(info.value("PID"), QVariant(programPID));
    EXPECT_EQ(info.value("Mode"), QVariant(3));
    EXPECT_EQ(info.value("RemoteControlCount"), QVariant(1));
    EXPECT_EQ(info.value("BundleIdentifier"), QVariant(QString::fromLatin1(kAppId)));
    EXPECT_FALSE(info.contains("ReturnToPID"));
    heard.clear();

    // The other program asks everyone for the remote: the program gives it up and takes it again
    // (the other is told with "stop" and "start"), and names the other from then on.
    send("retry", "global", {{"PID", otherPID}, {"BundleIdentifier", "org.example.Other"}});
    ASSERT_TRUE(hear(2));
    EXPECT_EQ(lines(), (Lines{"status " + pid + " stop", "status " + pid + " start"}));
    EXPECT_TRUE(devices->isGrabbed(kRemote));
    heard.clear();
    send("ping", pid.c_str());
    ASSERT_TRUE(hear(1));
    EXPECT_EQ(heard[0].userInfo.value("ReturnToPID"), QVariant(otherPID));
    EXPECT_EQ(heard[0].userInfo.value("Action"), QVariant("update"));
    heard.clear();

    // Something malformed from a program on the bus changes nothing.
    send("retry", pid.c_str(), {{"PID", "not a number"}, {"Action", QVariantList{1, 2}}});
    send("ping", "global");
    ASSERT_TRUE(hear(3));
    EXPECT_EQ(lines(),
              (Lines{"status " + pid + " stop", "status " + pid + " start", "status " + pid + " update"}));
    EXPECT_FALSE(heard[2].userInfo.contains("ReturnToPID")) << "a text PID names no one";
    EXPECT_TRUE(app()->isKeyTimeRunning());
    heard.clear();

    // Stop KeyTime: the program says so and invites everyone to take the remote.
    choose(KELMainMenu::kMenuFile, 6);
    EXPECT_FALSE(app()->isKeyTimeRunning());
    EXPECT_FALSE(devices->isGrabbed(kRemote));
    ASSERT_TRUE(hear(2));
    EXPECT_EQ(lines(), (Lines{"status " + pid + " stop", "retry global"}));
    EXPECT_EQ(heard[1].userInfo.value("BundleIdentifier"), QVariant(QString::fromLatin1(kAppId)));
}

} // namespace
} // namespace e2e
