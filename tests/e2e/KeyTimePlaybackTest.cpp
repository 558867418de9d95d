// KeyTime playback in the running program: three steps captured from the Search cursor, Start
// KeyTime chosen from the File menu, and a remote whose key records the test writes into the pipe
// the program's evdev reader reads. Right released applies the next step; the receiver stays
// seized while playback runs and is free once it stops; closing the running window stops it.
// The same on the machine's own input layer with a virtual remote made through uinput, where the
// kernel offers it.

#include "tests/e2e/KeyTimeFixture.h"

#include "app/menu/KELMainMenu.h"
#include "engine/KELICurseur.h"
#include "keytime/ZEVKeyDocumentController.h"
#include "keytime/ZEVKeyWindowController.h"
#include "platform/sound/Sound.h"
#include "ruler/ZEVRulerBox.h"
#include "ruler/ZEVRulerPickerDates.h"
#include "ruler/ZEVRulerViewbar.h"
#include "ruler/ZEVRulerViewer.h"
#include "ruler/ZEVTlineView.h"
#include "widgets/ZEVButton.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QTest>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <linux/input.h>
#include <linux/uinput.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace e2e {
namespace {

const QString kKeyboard = QStringLiteral("/dev/input/event4");

class KeyTimePlayback : public KeyTimeE2E {
protected:
    // The program with a remote and a keyboard among its input devices, and the ruler bar shown.
    void startWithARemote()
    {
        auto fake = std::make_unique<FakeEvdevSystem>();
        devices = fake.get();
        devices->addDevice(FakeEvdevSystem::remote(3));
        devices->addDevice(FakeEvdevSystem::keyboard(4));
        hidRegistry = std::make_unique<EvdevRegistry>(std::move(fake));
        startWithTheBar();
    }
    QAction* startItem() const { return mainMenu()->item(KELMainMenu::kMenuFile, 6); }

    // A new document with three steps captured from the Search cursor, each half an hour earlier
    // than the last; answers their dates.
    std::vector<KELDate> threeSteps()
    {
        chooseMenuItem(KELMainMenu::kMenuFile, 1);
        window()->activateWindow();
        pump();
        QTest::mouseClick(bar()->searchButton(), Qt::LeftButton);
        pump();
        KELICurseur* search = space()->searchCurseur();
        std::vector<KELDate> dates;
        KELDate at = search->now();
        for (int i = 0; i < 3; ++i) {
            scrub(at, at - 1800);
            at = search->now();
            dates.push_back(at);
            click(keyWindow()->addButton());
            keyInWindow(Qt::Key_Return);
        }
        return dates;
    }
    // A button of the remote pressed and released.
    void press(const QString& path, unsigned code)
    {
        ASSERT_TRUE(devices->key(path, code, 1)) << "the remote is not open";
        pump();
        ASSERT_TRUE(devices->key(path, code, 0));
        pump();
    }

    FakeEvdevSystem* devices = nullptr; // owned by hidRegistry
};

TEST_F(KeyTimePlayback, TheRemoteStepsThroughTheListWhileTheReceiverIsSeizedUntilPlaybackStops)
{
    startWithARemote();
    const std::vector<KELDate> dates = threeSteps();
    ASSERT_EQ(dates.size(), 3u);
    ZEVKeyWindowController* w = keyWindow();
    KELICurseur* search = space()->searchCurseur();
    clickRow(0);
    ASSERT_EQ(selectedRow(), 0);
    EXPECT_FALSE(devices->isOpen(kRemote)) << "nothing is opened before playback";

    EXPECT_EQ(startItem()->text(), "Start KeyTime");
    chooseMenuItem(KELMainMenu::kMenuFile, 6);
    ASSERT_TRUE(app()->isKeyTimeRunning());
    EXPECT_EQ(startItem()->text(), "Stop KeyTime");
    EXPECT_EQ(w->startButton()->text(), "Stop");
    for (QWidget* c : std::initializer_list<QWidget*>{w->addButton(), w->removeButton(), w->updateButton(),
                                                      w->animationButton()})
        EXPECT_FALSE(c->isEnabled());
    EXPECT_EQ(w->progress()->maximum(), 0) << "the progress indicator animates";
    EXPECT_TRUE(alerts.empty()) << "the driver started";
    EXPECT_TRUE(devices->isGrabbed(kRemote));
    EXPECT_FALSE(devices->isGrabbed(kKeyboard)) << "a keyboard is never seized";
    EXPECT_FALSE(devices->isOpen(kKeyboard));
    EXPECT_EQ(app()->hidRemote()->activeRemoteControlCount(), 1);

    // Right, pressed and released, selects and applies the second step.
    press(kRemote, KEY_RIGHT);
    EXPECT_EQ(selectedRow(), 1);
    EXPECT_NEAR(search->now(), dates[1], 0.01);
    advance(0.3);
    const QDateTime shown = *ZEVChampsPourDate(search->now());
    EXPECT_EQ(bar()->nowDatePicker()->date(), shown.date()) << "the bar's date box shows it";
    EXPECT_EQ(bar()->nowHourPicker()->time().toString("HHmmss"), shown.time().toString("HHmmss"));

    // Right held (the consumer usage of a held Right) does nothing; Menu brings the window forward.
    press(kRemote, KEY_FASTFORWARD);
    EXPECT_EQ(selectedRow(), 1);
    window()->activateWindow();
    pump();
    press(kRemote, KEY_MENU);
    EXPECT_EQ(QApplication::activeWindow(), w);
    EXPECT_EQ(selectedRow(), 1);
    // Add Step is off while playback runs, and ignored if sent all the same.
    QMenu* file = openMenu(KELMainMenu::kMenuFile);
    ASSERT_NE(file, nullptr);
    EXPECT_FALSE(mainMenu()->item(KELMainMenu::kMenuFile, 5)->isEnabled());
    EXPECT_TRUE(startItem()->isEnabled());
    file->close();
    pump();
    app()->keyTimeAddStep();
    pump();
    EXPECT_EQ(keyTime().currentDocument()->countOfSteps(), 3);

    // A click in the KeyTime window and back to the Space window: still seized, still heard.
    click(w->cursorInTextField());
    window()->activateWindow();
    pump();
    EXPECT_TRUE(devices->isGrabbed(kRemote));
    press(kRemote, KEY_LEFT);
    EXPECT_EQ(selectedRow(), 0);
    EXPECT_NEAR(search->now(), dates[0], 0.01);

    // Stop KeyTime frees the receiver; a button then does nothing.
    chooseMenuItem(KELMainMenu::kMenuFile, 6);
    EXPECT_FALSE(app()->isKeyTimeRunning());
    EXPECT_EQ(startItem()->text(), "Start KeyTime");
    EXPECT_EQ(w->startButton()->text(), "Start");
    EXPECT_TRUE(w->addButton()->isEnabled());
    EXPECT_FALSE(devices->isGrabbed(kRemote));
    EXPECT_FALSE(devices->isOpen(kRemote));
}

TEST_F(KeyTimePlayback, ClosingTheRunningWindowStopsPlaybackAndClosingAnotherDoesNot)
{
    startWithARemote();
    // Nothing to play: Start KeyTime is off, and sent all the same it starts nothing and makes no
    // driver.
    QMenu* file = openMenu(KELMainMenu::kMenuFile);
    ASSERT_NE(file, nullptr);
    EXPECT_FALSE(startItem()->isEnabled());
    file->close();
    pump();
    app()->keyTimeStartStop();
    EXPECT_FALSE(app()->isKeyTimeRunning());
    EXPECT_EQ(app()->hidRemote(), nullptr);

    threeSteps();
    ZEVKeyWindowController* running = keyWindow();
    // Playback from the window's own Start button.
    click(running->startButton());
    ASSERT_TRUE(app()->isKeyTimeRunning());
    EXPECT_EQ(app()->runningWindowController(), running);

    // A second document opened meanwhile shows Stop too; closing it leaves playback on.
    chooseMenuItem(KELMainMenu::kMenuFile, 1);
    ZEVKeyWindowController* other = keyWindow();
    ASSERT_NE(other, running);
    EXPECT_EQ(other->startButton()->text(), "Stop");
    EXPECT_FALSE(other->addButton()->isEnabled());
    other->close();
    advance(0.1);
    EXPECT_TRUE(app()->isKeyTimeRunning());
    EXPECT_TRUE(devices->isGrabbed(kRemote));

    // Closing the running window (its document unchanged since it was saved or not: Don't Save).
    alertAnswer = 1;
    running->close();
    advance(0.1);
    EXPECT_FALSE(app()->isKeyTimeRunning());
    EXPECT_FALSE(devices->isGrabbed(kRemote));
    EXPECT_EQ(startItem()->text(), "Start KeyTime");
}

// Input devices that cannot be watched at all: the driver cannot start.
class UnwatchableDevices final : public HIDRegistry {
public:
    QVariant property(HIDService, const QString&) override { return {}; }
    IOReturn setProperty(HIDService, const QString&, const QVariant&) override { return kIOReturnError; }
    bool hasServiceOfClass(const QString&) override { return false; }
    std::uint32_t systemVersion() override { return 0; }
    QVariant rootProperty(const QString&) override { return {}; }
    std::vector<HIDService> services() override { return {}; }
    std::unique_ptr<HIDNotification> addMatching(std::function<void(HIDService)>, IOReturn& r) override
    {
        r = kIOReturnError;
        return nullptr;
    }
    std::unique_ptr<HIDNotification> addInterest(HIDService, std::function<void(std::uint32_t)>, IOReturn& r) override
    {
        r = kIOReturnError;
        return nullptr;
    }
    std::unique_ptr<HIDNotification> addRootBusyInterest(std::function<void(std::uint32_t)>, IOReturn& r) override
    {
        r = kIOReturnSuccess;
        return std::make_unique<HIDNotification>();
    }
    std::unique_ptr<HIDDevice> createPlugIn(HIDService, IOReturn& r) override
    {
        r = kIOReturnError;
        return nullptr;
    }
};

TEST_F(KeyTimePlayback, ADriverThatCannotStartIsToldOnceAndPlaybackGoesOnUntilQuit)
{
    hidRegistry = std::make_unique<UnwatchableDevices>();
    startWithTheBar();
    threeSteps();
    ZEVKeyWindowController* w = keyWindow();
    clickRow(2);
    clickRow(0);
    chooseMenuItem(KELMainMenu::kMenuFile, 6);
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].message, "Remote error!");
    EXPECT_EQ(alerts[0].informative, "Starting HID Remote failed");
    ASSERT_TRUE(app()->isKeyTimeRunning()) << "playback goes on without the remote";
    EXPECT_FALSE(app()->hidRemote()->isStarted());
    EXPECT_EQ(w->startButton()->text(), "Stop");
    EXPECT_NEAR(space()->searchCurseur()->now(), keyTime().currentDocument()->steps()[0]->spaceDico()->value("CursorPos").toDouble(), 0.01)
        << "the running window applies its selected step";

    // Quitting ends playback before its windows go (changes not saved when asked).
    alertAnswer = 1;
    key(Qt::Key_Q, Qt::ControlModifier);
    pump();
    EXPECT_FALSE(app()->isKeyTimeRunning());
    EXPECT_EQ(alerts.size(), 2u) << "no second remote alert";
    graph.reset();
}

TEST_F(KeyTimePlayback, UinputRemoteOnTheMachinesInputLayer)
{
    const int ui = ::open("/dev/uinput", O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (ui < 0)
        GTEST_SKIP() << "/dev/uinput cannot be opened here (" << std::strerror(errno)
                     << "); the fake input layer carries the playback tests";
    ::ioctl(ui, UI_SET_EVBIT, EV_KEY);
    for (unsigned k : FakeEvdevSystem::remote(0).keys)
        ::ioctl(ui, UI_SET_KEYBIT, k);
    uinput_setup setup{};
    setup.id.bustype = BUS_VIRTUAL;
    std::strncpy(setup.name, "Tallomer test remote", UINPUT_MAX_NAME_SIZE - 1);
    if (::ioctl(ui, UI_DEV_SETUP, &setup) != 0 || ::ioctl(ui, UI_DEV_CREATE) != 0) {
        ::close(ui);
        GTEST_SKIP() << "the virtual remote cannot be made here (" << std::strerror(errno) << ")";
    }
    char sys[64] = {};
    QString node;
    if (::ioctl(ui, UI_GET_SYSNAME(sizeof sys), sys) == 0) {
        QDir dir(QStringLiteral("/sys/devices/virtual/input/%1").arg(QString::fromLatin1(sys)));
        for (const QString& e : dir.entryList({QStringLiteral("event*")}, QDir::Dirs))
            node = QStringLiteral("/dev/input/") + e;
    }
    const int probe = node.isEmpty() ? -1 : ::open(node.toLocal8Bit().constData(), O_RDONLY | O_NONBLOCK);
    if (probe < 0) {
        ::ioctl(ui, UI_DEV_DESTROY);
        ::close(ui);
        GTEST_SKIP() << "the virtual remote's node cannot be opened here";
    }
    ::close(probe);
    auto send = [ui](unsigned short type, unsigned short code, int value) {
        input_event ev{};
        ev.type = type;
        ev.code = code;
        ev.value = value;
        return ::write(ui, &ev, sizeof ev) == ssize_t(sizeof ev);
    };

    hidRegistry = std::make_unique<EvdevRegistry>(makeLinuxEvdevSystem());
    startWithTheBar();
    const std::vector<KELDate> dates = threeSteps();
    clickRow(0);
    chooseMenuItem(KELMainMenu::kMenuFile, 6);
    ASSERT_TRUE(app()->isKeyTimeRunning());
    EXPECT_GE(app()->hidRemote()->activeRemoteControlCount(), 1);
    send(EV_KEY, KEY_RIGHT, 1);
    send(EV_SYN, SYN_REPORT, 0);
    send(EV_KEY, KEY_RIGHT, 0);
    send(EV_SYN, SYN_REPORT, 0);
    // The device's events come through the kernel and the registry's notifier.
    pumpUntil([this] { return selectedRow() == 1; });
    EXPECT_EQ(selectedRow(), 1);
    EXPECT_NEAR(space()->searchCurseur()->now(), dates[1], 0.01);
    chooseMenuItem(KELMainMenu::kMenuFile, 6);
    EXPECT_FALSE(app()->isKeyTimeRunning());
    ::ioctl(ui, UI_DEV_DESTROY);
    ::close(ui);
}

} // namespace
} // namespace e2e
