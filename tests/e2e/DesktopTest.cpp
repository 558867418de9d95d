// What the desktop hands the running program: files and links from a second start, the window
// brought back, and volumes that come and go.

#include "tests/e2e/E2EFixture.h"

#include "desk/data/ZEVItemData.h"
#include "desk/view/ZEVDeskView.h"
#include "engine/KELICurseur.h"
#include "engine/KELTypes.h"
#include "platform/desktop/SingleInstance.h"
#include "platform/files/VolumeWatch.h"
#include "objects/view/ZEVItemView.h"
#include "objects/viewer/ZEVItemViewer.h"

#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDir>
#include <QFile>
#include <QGraphicsScene>

#include <sys/stat.h>

namespace e2e {
namespace {

TEST_F(E2E, FilesFromASecondStartLandOnTheNowDeskOnceAndRefusedArgumentsAreSaid)
{
    start();
    const QString notes = writeFile(home + "/notes.txt", "notes");
    const QString plan = writeFile(home + "/plan.md", "# plan");
    EXPECT_EQ(secondStart({notes, plan, home + "/gone.txt", QStringLiteral("zevp://desk/2000018?c=1")}), 0);

    // The wallpapers of the first Spaces are file Objects too: the ones with an icon are ours.
    const Rows files = placedObjectsOfType("file");
    ASSERT_EQ(files.size(), 2u);
    EXPECT_EQ(files.at(0, 1), "notes.txt");
    EXPECT_EQ(files.at(1, 1), "plan.md");
    for (std::size_t r = 0; r < files.size(); ++r) {
        const Rows icons = iconLinks(files.at(r, 0));
        ASSERT_EQ(icons.size(), 1u) << files.at(r, 1);
        EXPECT_EQ(icons.at(0, 1), "4.5035996273705e+15") << "an icon placed now stays until the Space ends";
    }
    advance(0.5);
    std::size_t shown = 0;
    for (ZEVItemViewForDesks* v : nowDesk()->itemViewSet())
        shown += v->item() && !v->isHidden() ? 1 : 0;
    EXPECT_EQ(shown, 2u);
    EXPECT_TRUE(log.contains("no file at " + (home + "/gone.txt").toStdString()));
    EXPECT_TRUE(log.contains("refused (its host is not \"local\"): zevp://desk/2000018?c=1"));

    // The same file again is the same Object.
    EXPECT_EQ(secondStart({notes}), 0);
    EXPECT_EQ(placedObjectsOfType("file").size(), 2u);
}

// What cannot be opened is said in one alert once the rest is on the desk, at a first start as
// at a second one; nothing of it reaches the store.
TEST_F(E2E, WhatTheProgramIsGivenAndCannotOpenIsSaidAndTheRestIsOpened)
{
    const QString gone = home + "/gone.txt";
    const QString notes = writeFile(home + "/notes.txt", "notes");
    start({gone, notes});
    advance(0.5);
    // After the welcome of a first start.
    ASSERT_EQ(alerts.size(), 2u);
    EXPECT_EQ(alerts[1].message, QStringLiteral("\u201cgone.txt\u201d could not be opened."));
    EXPECT_EQ(alerts[1].informative, QStringLiteral("There is no file at %1.").arg(gone));
    Rows files = placedObjectsOfType("file");
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(files.at(0, 1), "notes.txt");

    // A link to a Channel of the Space without a date: the Channel is shown, the cursors stay.
    alerts.clear();
    const double contextEnd = space()->nowCurseur()->contexte()->offsetOut();
    EXPECT_EQ(secondStart({QStringLiteral("zevp://local/2000018?c=now&m=0&con=soon")}), 0);
    advance(0.5);
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].message,
              QStringLiteral("The link \u201czevp://local/2000018?c=now&m=0&con=soon\u201d was opened only in part."));
    EXPECT_EQ(alerts[0].informative,
              QStringLiteral("Its date is missing or is not one Tallomer can show, so the cursors stayed where they were."));
    EXPECT_EQ(space()->currentChannelInt(), kHome);
    EXPECT_EQ(space()->nowCurseur()->contexte()->offsetOut(), contextEnd);

    // A pipe is no document to keep.
    const QString pipe = home + "/pipe";
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    const QString plan = writeFile(home + "/plan.md", "# plan");
    QDir().mkpath(home + "/album");
    alerts.clear();
    EXPECT_EQ(secondStart({plan, gone, QStringLiteral("zevp://desk/2000018?c=now"), QStringLiteral("https://example.org/a"),
                           pipe, QStringLiteral("--link-browser"), QStringLiteral("x3"), QStringLiteral("--help"), home + "/album",
                           QStringLiteral("--link-browser"), QStringLiteral("3"), QStringLiteral("--cursor"), QStringLiteral("2000018")}),
              0);
    advance(0.5);
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].message, QStringLiteral("Tallomer could not open 7 of the things it was given."));
    const QStringList lines = alerts[0].informative.split(u'\n');
    EXPECT_EQ(lines, (QStringList{
                         QStringLiteral("\u201czevp://desk/2000018?c=now\u201d: Tallomer cannot go there: its host is not \"local\"."),
                         QStringLiteral("\u201chttps://example.org/a\u201d: Tallomer opens files, folders and zevp links only."),
                         QStringLiteral("\u201cgone.txt\u201d: There is no file at %1.").arg(gone),
                         QStringLiteral("\u201cpipe\u201d: %1 is neither a file nor a folder.").arg(pipe),
                         QStringLiteral("--link-browser: \"x3\" is no link id."),
                         QStringLiteral("Unknown option --help."),
                         QStringLiteral("No browser window could be opened for --link-browser 3 --cursor 2000018."),
                     }));
    files = placedObjectsOfType("file");
    ASSERT_EQ(files.size(), 3u);
    EXPECT_EQ(files.at(1, 1), "plan.md");
    EXPECT_EQ(files.at(2, 1), "album");
    EXPECT_TRUE(liveObjectsTitled("pipe").empty());
    EXPECT_TRUE(liveObjectsTitled("gone.txt").empty());

    // Many at once: the alert stays within the screen.
    alerts.clear();
    QStringList many;
    for (int i = 0; i < 40; ++i)
        many << home + QStringLiteral("/missing-%1.txt").arg(i);
    EXPECT_EQ(secondStart(many), 0);
    advance(0.5);
    ASSERT_EQ(alerts.size(), 1u);
    const QStringList listed = alerts[0].informative.split(u'\n');
    ASSERT_EQ(listed.size(), 13);
    EXPECT_EQ(listed.back(), QStringLiteral("And 28 more."));
}

// Relative names are taken where the second start was made; a caller on the bus, whose folder is
// not known, is answered with an error for one and nothing of its call is taken.
TEST_F(E2E, RelativeNamesAreFilesOfTheFolderTheyWereGivenInAndTheBusRefusesThem)
{
    start();
    alerts.clear();
    const QString folder = home + "/work";
    writeFile(folder + "/notes:v2.txt", "v2");
    writeFile(folder + "/plan.md", "# plan");
    EXPECT_EQ(secondStart({QStringLiteral("notes:v2.txt"), QStringLiteral("./plan.md")}, folder), 0);
    advance(0.5);
    EXPECT_TRUE(alerts.empty());
    Rows files = placedObjectsOfType("file");
    ASSERT_EQ(files.size(), 2u);
    EXPECT_EQ(files.at(0, 1), "notes:v2.txt");
    EXPECT_EQ(files.at(1, 1), "plan.md");

    const QString letter = writeFile(home + "/letter.txt", "dear");
    QDBusMessage call = QDBusMessage::createMethodCall(SingleInstance::serviceName(), SingleInstance::objectPath(),
                                                       SingleInstance::interfaceName(), QStringLiteral("Open"));
    call << QStringList{letter, QStringLiteral("plan.md")};
    QDBusPendingCall pending = bus.connection().asyncCall(call);
    ASSERT_TRUE(pumpUntil([&] { return pending.isFinished(); }));
    const QDBusMessage reply = pending.reply();
    ASSERT_EQ(reply.type(), QDBusMessage::ErrorMessage);
    EXPECT_EQ(reply.errorName(), QStringLiteral("org.freedesktop.DBus.Error.InvalidArgs"));
    EXPECT_EQ(reply.errorMessage(), QStringLiteral("\"plan.md\" is a relative path: files are given with absolute paths"));
    advance(0.5);
    EXPECT_EQ(placedObjectsOfType("file").size(), 2u) << "letter.txt came in the refused call";
    EXPECT_TRUE(alerts.empty());
}

// A start that cannot hand its files to the instance holding the name ends with a word, and
// takes nothing itself.
TEST_F(E2E, AStartThatTheRunningProgramDoesNotAnswerSaysSo)
{
    QDBusConnection holder = QDBusConnection::connectToBus(bus.address(), QStringLiteral("e2e-silent-instance"));
    ASSERT_TRUE(holder.registerService(SingleInstance::serviceName()));
    const QString notes = writeFile(home + "/notes.txt", "notes");
    launch({notes});
    ASSERT_TRUE(status);
    EXPECT_EQ(*status, 1);
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].message, QStringLiteral("Tallomer is already running but does not answer."));
    EXPECT_TRUE(alerts[0].informative.startsWith(QStringLiteral("It may still open what you gave it")));
    EXPECT_FALSE(QFileInfo::exists(database())) << "this start made no store of its own";
    holder.unregisterService(SingleInstance::serviceName());
    QDBusConnection::disconnectFromBus(QStringLiteral("e2e-silent-instance"));
}

TEST_F(E2E, ASecondStartBringsTheMinimisedWindowBack)
{
    start();
    window()->showMinimized();
    pump();
    ASSERT_TRUE(window()->isMinimized());
    EXPECT_EQ(secondStart({}), 0);
    EXPECT_FALSE(window()->isMinimized());
    EXPECT_TRUE(window()->isVisible());
}

TEST_F(E2E, AVolumeMountedOrUnmountedChangesWhatCountsAsAnotherDiskAndRedrawsItsObjects)
{
    const QString disk = home + "/disk";
    QDir().mkpath(disk);
    mounts << disk;
    start();
    const QString onDisk = QStringLiteral("/srv/e2e-disk/report.pdf");
    EXPECT_FALSE(ZEVItemDataChannels::IfHoldByExtern(onDisk));
    mounts << QStringLiteral("/srv/e2e-disk");
    graph->volumeWatch()->recheck();
    EXPECT_TRUE(ZEVItemDataChannels::IfHoldByExtern(onDisk));
    mounts.removeLast();
    graph->volumeWatch()->recheck();
    EXPECT_FALSE(ZEVItemDataChannels::IfHoldByExtern(onDisk));

    // An Object whose file lies on another disk is drawn again whenever a volume comes or goes
    // (its picture may have become readable or gone), and not when the mounts stayed as they were.
    addFiles({writeFile(disk + "/minutes.txt", "minutes")}, 0.5);
    ASSERT_EQ(placedObjectsOfType("file").size(), 1u);
    QGraphicsScene* scene = nowDesk()->deskView();
    window()->grab();
    pump();
    int redraws = 0;
    QObject::connect(scene, &QGraphicsScene::changed, [&redraws] { ++redraws; });
    graph->volumeWatch()->recheck();
    pump();
    EXPECT_EQ(redraws, 0) << "nothing was mounted or unmounted";
    mounts.removeAll(disk);
    graph->volumeWatch()->recheck();
    pump();
    EXPECT_GT(redraws, 0) << "the unmount reached the desks";
}

} // namespace
} // namespace e2e

namespace e2e {
namespace {

// With the store's ids nearly used up, a file handed over makes no Object at all, not half of
// one, and the user is told once.
TEST_F(E2E, AFileThatCannotGetItsIdsLeavesTheStoreAsItWasAndTheUserIsTold)
{
    start();
    alerts.clear();
    const QString letter = writeFile(home + "/letter.txt", "dear");
    const Rows before = sql(database(), "SELECT COUNT(*), MAX(ZEVLET_ID) FROM ZEVLETS");
    const Rows wordsBefore = sql(database(), "SELECT COUNT(*) FROM WORD");
    KELIdSpace::set(KELIdSpace::minId(), std::stoull(before.at(0, 1)) + 3);
    EXPECT_EQ(secondStart({letter, letter}), 0);
    advance(0.5);
    EXPECT_EQ(sql(database(), "SELECT COUNT(*), MAX(ZEVLET_ID) FROM ZEVLETS").rows, before.rows);
    EXPECT_EQ(sql(database(), "SELECT COUNT(*) FROM WORD").rows, wordsBefore.rows);
    EXPECT_TRUE(placedObjectsOfType("file").empty());
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].message, QStringLiteral("Your changes could not be saved."));
}

} // namespace
} // namespace e2e
