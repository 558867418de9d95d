#include "app/FirstWindow.h"
#include "app/space/ZEVSpaceAdapter.h"
#include "desk/viewer/ZEVDeskViewer.h"
#include "engine/store/KELChercheurDe.h"
#include "engine/store/Sqlite.h"
#include "platform/AppId.h"
#include "platform/files/StoreLock.h"
#include "space/ZEVSpaceController.h"
#include "space/ZEVSpaceWindow.h"
#include "tests/app/AppFixture.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QStandardPaths>
#include <QThreadPool>

using namespace apptest;

namespace {

bool bookmarked(const QString& folder)
{
    for (const QByteArray& line : readFile(GtkBookmarks::bookmarksPath()).split('\n'))
        if (GtkBookmarks::localPathOfLine(QString::fromUtf8(line)) == folder)
            return true;
    return false;
}

class StartUp : public AppTest {};

} // namespace

TEST(FirstWindow, IdentityNamesTheApplicationAndItsDataFolder)
{
    setUpApplicationIdentity();
    EXPECT_EQ(QGuiApplication::desktopFileName(), QString::fromLatin1(kAppId));
    // No organisation name, so the data folder is not nested.
    EXPECT_EQ(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation),
              QString::fromLocal8Bit(qgetenv("XDG_DATA_HOME")) + "/Tallomer");
}

TEST_F(StartUp, FirstStartRunsEachStageOnALaterTurnAndLaysOutTheStore)
{
    setFolderIcon = true;
    KELApplication& a = makeAppWithDelegate();
    EXPECT_EQ(KELApplication::shared(), &a);
    const KELStoreLayout l = layout();

    a.awakeFromNib();
    // This turn: the store folder and the template only.
    EXPECT_TRUE(QFileInfo(l.zevBase).isFile());
    EXPECT_FALSE(QFileInfo::exists(l.zevDrop));
    EXPECT_TRUE(a.progressPanel()->window()->isVisible());

    sched.runTurn(); // _initKELApplication
    EXPECT_TRUE(QFileInfo(l.channelDrop()).isDir());
    EXPECT_TRUE(QFileInfo(l.channelData()).isDir());
    for (const QString& n : store::wallpaperNames())
        EXPECT_TRUE(QFileInfo(l.wallpaper(n)).isFile()) << n.toStdString();
    // The folder's icon is the store's own copy, never a file of the build tree.
    const QByteArray directory = readFile(homeDir + "/Tallomer/.directory");
    EXPECT_TRUE(directory.contains("\nIcon=" + l.zevDir.toUtf8() + "/zevFolder.svg\n")) << directory.toStdString();
    EXPECT_FALSE(directory.contains(QByteArray::fromStdString(test::buildDir()))) << directory.toStdString();
    EXPECT_EQ(readFile(l.zevDir + "/zevFolder.svg"), readFile(KELResources::imagePath("zevFolder.svg")));
    EXPECT_TRUE(bookmarked(homeDir + "/Tallomer"));
    auto* timeline = dynamic_cast<KELICurseur*>(KELServeurDeLiens::DonneMaintenantLeLienId(270));
    ASSERT_NE(timeline, nullptr);
    EXPECT_TRUE(timeline->siLance());
    for (KELId id : {1u, 5u, 6u})
        EXPECT_NE(KELServeurDeLiens::DonneMaintenantLeLienId(id), nullptr) << id;
    // The link load moved the bar.
    EXPECT_EQ(a.progressPanel()->message(), QStringLiteral("zevlets loading\u2026"));
    EXPECT_DOUBLE_EQ(a.progressPanel()->progressMax(), static_cast<double>(KELServeurDeLiens::LienCount()));
    EXPECT_GT(a.progressPanel()->barValue(), 0.0);
    EXPECT_EQ(a.zevController(), nullptr);

    sched.runTurn(); // _initZEVController
    ASSERT_NE(a.zevController(), nullptr);
    EXPECT_EQ(a.zevController()->tlCurseur(), timeline);
    EXPECT_EQ(delegate->zevController(), nullptr);

    sched.runTurn(); // the controller's deferred stage: no Space yet, the plain window
    EXPECT_EQ(delegate->zevController(), a.zevController());
    QWidget* window = a.zevController()->spaceWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->windowTitle(), "Tallomer");
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(a.progressPanel()->window()->isVisible());
    EXPECT_TRUE(stops.empty());
    EXPECT_TRUE(alerts.empty());
}

TEST_F(StartUp, ASecondStartCopiesAMissingWallpaperAndLeavesTheUserFolderAlone)
{
    setFolderIcon = true;
    makeApp();
    startAll();
    ASSERT_TRUE(stops.empty());
    app->terminate(nullptr);
    app.reset();
    KELServeurDeLiens::reset(); // so the next start reads the store
    ZEVItemDataChannels::Reset();

    const KELStoreLayout l = layout();
    QFile::remove(l.wallpaper("zevWallpaperBlue"));
    QFile::remove(homeDir + "/Tallomer/.directory");
    QFile::remove(GtkBookmarks::bookmarksPath());

    makeApp();
    startAll();
    EXPECT_EQ(stops, std::vector<int>{0}) << "the first run's end only";
    EXPECT_TRUE(QFileInfo(l.wallpaper("zevWallpaperBlue")).isFile());
    EXPECT_FALSE(QFileInfo::exists(homeDir + "/Tallomer/.directory")) << "its icon is not set again";
    EXPECT_FALSE(bookmarked(homeDir + "/Tallomer")) << "the sidebar is only touched on a first run";
    EXPECT_NE(app->zevController(), nullptr);
}

TEST_F(StartUp, AnOlderLayoutThatCannotBeMovedIsAnnouncedThenTheProgramStops)
{
    const KELStoreLayout l = layout();
    ASSERT_TRUE(writeFile(l.channelDrop() + "/same", "newer"));
    ASSERT_TRUE(writeFile(l.oldDrop() + "/same", "older"));
    const ScopedLogCapture log;
    makeApp().awakeFromNib();
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].message, "Multi-channel transition ERROR!");
    EXPECT_EQ(alerts[0].informative, "Try restarting the app");
    EXPECT_EQ(alerts[0].buttons, QStringList{"OK"});
    EXPECT_EQ(stops, std::vector<int>{1});
    EXPECT_FALSE(QFileInfo::exists(l.zevBase)) << "nothing after the failed step runs";
    EXPECT_EQ(sched.pendingCount(), 0u);
    sched.runUntilIdle();
    EXPECT_EQ(app->zevController(), nullptr);
}

TEST_F(StartUp, AFolderThatCannotBeMadeStopsTheStartWithItsText)
{
    ASSERT_TRUE(writeFile(layout().zevData, "a file where a folder goes"));
    const ScopedLogCapture log;
    KELApplication& a = makeApp();
    int quitActions = 0;
    a.setTerminateAction([&](int) { ++quitActions; });
    startAll();
    EXPECT_TRUE(log.sink.contains("Creating Application Support/Tallomer/local/zevData/ folder ERROR: "));
    EXPECT_EQ(stops, std::vector<int>{1});
    EXPECT_EQ(a.exitCode(), 1);
    EXPECT_EQ(quitActions, 1) << "the quit sequence still runs its last steps";
    EXPECT_EQ(a.zevController(), nullptr);
    EXPECT_FALSE(KELServeurDeLiens::estInitialise()) << "the link base is not opened after the failure";
}

// A program without its own files says so and where it looked, rather than ending without a word.
TEST_F(StartUp, AMissingTemplateStopsTheFirstStartAndSaysWhereItWasLookedFor)
{
    const QString empty = q(test::makeTempDir("empty-resources"));
    KELResources::setDirectory(empty);
    const ScopedLogCapture log;
    makeApp().awakeFromNib();
    EXPECT_TRUE(log.sink.contains("Coping zev.sqlite to NSApplicationSupportDirectory/Tallomer/ folder ERROR: "));
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].message, "Tallomer cannot find its own files.");
    EXPECT_TRUE(alerts[0].informative.contains(empty + "/zev.sqlite")) << alerts[0].informative.toStdString();
    EXPECT_EQ(stops, std::vector<int>{1});
    EXPECT_EQ(sched.pendingCount(), 0u);
    EXPECT_FALSE(QFileInfo::exists(layout().zevBase));
}

// Every refused link base is announced with its reason before the program stops; none wakes a link.
TEST_F(StartUp, ARefusedDatabaseIsAnnouncedWithItsReasonThenTheProgramStops)
{
    const struct {
        const char* change;
        const char* message;
        const char* reason; // in the informative text
    } cases[] = {
        {"UPDATE SETTINGS SET VALUE = 9 WHERE NAME = 'dbVersion';", "zevDatabase Error!",
         "zevDatabase version (9) newer than expected (3)."},
        // The template is at version 3: its version-3 rows stand in the way of the 2->3 step.
        {"UPDATE SETTINGS SET VALUE = 2 WHERE NAME = 'dbVersion';", "Tallomer cannot open its store.",
         "The link base could not be upgraded from version 2 to version 3 (UNIQUE constraint failed"},
        {"DELETE FROM SETTINGS;", "Tallomer cannot open its store.", "The version of the link base cannot be read"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.change);
        supportDir = q(test::makeTempDir("support"));
        alerts.clear();
        stops.clear();
        const KELStoreLayout l = layout();
        ASSERT_TRUE(store::makeStoreFolder(l));
        ASSERT_TRUE(store::copyTemplateIfMissing(l, KELResources::pathForResource("zev", "sqlite")));
        {
            Sqlite db;
            ASSERT_TRUE(db.open(l.zevBase.toStdString(), false));
            ASSERT_TRUE(db.executeNonQuery(c.change));
        }
        const ScopedLogCapture log;
        makeApp();
        startAll();
        ASSERT_EQ(alerts.size(), 1u);
        EXPECT_EQ(alerts[0].message, c.message);
        EXPECT_TRUE(alerts[0].informative.contains(c.reason)) << alerts[0].informative.toStdString();
        EXPECT_EQ(stops, std::vector<int>{1});
        EXPECT_EQ(app->zevController(), nullptr);
        EXPECT_EQ(KELServeurDeLiens::DonneMaintenantLeLienId(270), nullptr) << "no link is woken from a refused store";
        app.reset();
        KELServeurDeLiens::reset();
        ZEVItemDataChannels::Reset();
    }
}

// Without a session bus each start runs on its own; the store's lock keeps a second one off it
// before anything of the store is touched.
TEST_F(StartUp, ASecondProgramOnTheSameStoreIsToldAndStopsBeforeOpeningIt)
{
    const KELStoreLayout l = layout();
    ASSERT_TRUE(QDir().mkpath(l.zevDir));
    auto other = std::make_unique<StoreLock>();
    ASSERT_EQ(other->lock(StoreLock::lockFilePath(l.zevDir)), StoreLock::State::Locked);
    {
        const ScopedLogCapture log;
        makeApp().awakeFromNib();
        EXPECT_TRUE(log.sink.contains("is in use by another Tallomer program"));
    }
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].message, "Tallomer is already running on this store.");
    EXPECT_TRUE(alerts[0].informative.contains(l.zevDir));
    EXPECT_EQ(stops, std::vector<int>{1});
    EXPECT_EQ(app->exitCode(), 1);
    EXPECT_FALSE(QFileInfo::exists(l.zevBase)) << "the store is not touched";
    EXPECT_EQ(sched.pendingCount(), 0u);
    EXPECT_FALSE(KELServeurDeLiens::estInitialise());

    // Once the other program is gone the next start takes the store, and holds it while it runs.
    other.reset();
    app.reset();
    alerts.clear();
    stops.clear();
    makeApp();
    startAll();
    EXPECT_TRUE(alerts.empty());
    EXPECT_TRUE(stops.empty());
    ASSERT_NE(app->zevController(), nullptr);
    StoreLock second;
    EXPECT_EQ(second.lock(StoreLock::lockFilePath(l.zevDir)), StoreLock::State::Busy);
    app.reset();
    EXPECT_EQ(second.lock(StoreLock::lockFilePath(l.zevDir)), StoreLock::State::Locked) << "released with the program";
}

// The failures of one act are told in one alert, from the event loop; a failure after it was
// closed is another act's, and is told again rather than passed over in silence.
TEST_F(StartUp, FailedWritesAreToldOncePerActFromTheEventLoop)
{
    makeApp();
    startAll();
    ASSERT_TRUE(alerts.empty());
    const ScopedLogCapture log;
    Sqlite db;
    ASSERT_TRUE(db.open(layout().zevBase.toStdString(), false));
    // Beside the program's connection, which may hold the file for a moment: a busy answer would
    // be another failure than the one told.
    db.setBusyRetryTimeout(KELChercheurDe::kBusyRetries);
    EXPECT_FALSE(db.executeNonQuery("INSERT INTO NO_SUCH_TABLE VALUES (1);"));
    EXPECT_FALSE(db.executeNonQuery("INSERT INTO NO_SUCH_TABLE VALUES (2);"));
    EXPECT_TRUE(alerts.empty()) << "never inside the failing write";
    sched.runUntilIdle();
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].message, "Your changes could not be saved.");
    EXPECT_TRUE(alerts[0].informative.contains("NO_SUCH_TABLE"));
    app->reportStoreError("again");
    app->reportStoreError("and again");
    sched.runUntilIdle();
    ASSERT_EQ(alerts.size(), 2u) << "a later failed act went untold";
    EXPECT_EQ(alerts[1].message, "Your changes could not be saved.");
    EXPECT_TRUE(alerts[1].informative.contains("again"));
    EXPECT_TRUE(stops.empty()) << "the program goes on";
}

TEST_F(StartUp, AKeyboardLayoutChangeRerunsTheKeyEquivalentsOnce)
{
    int runs = 0;
    makeApp().setKeyEquivalentSetter([&] { ++runs; });
    startAll();
    EXPECT_EQ(runs, 1);
    QWidget w1, w2;
    QEvent change(QEvent::KeyboardLayoutChange);
    QCoreApplication::sendEvent(&w1, &change);
    QCoreApplication::sendEvent(&w2, &change);
    EXPECT_EQ(runs, 1);
    sched.runUntilIdle();
    EXPECT_EQ(runs, 2) << "every widget hears of the change; the setter runs once";
}

// The whole start with the real Space and its two desks, on a first run.
TEST_F(StartUp, FirstRunOpensTheSpaceWindowOnTheHomeChannelWithItsWallpaper)
{
    ZEVController::setSpaceControllerFactory([this](KELId spaceInt, ZEVController* c, KELICurseur* tl) {
        return ZEVSpaceAdapter::creer(spaceInt, tl, c, values);
    });
    KELApplication& a = makeAppWithDelegate();
    startAll();
    for (int i = 0; i < 10; ++i) {
        sched.advance(0.1);
        QThreadPool::globalInstance()->waitForDone();
        QCoreApplication::processEvents();
    }
    ASSERT_TRUE(stops.empty());
    ASSERT_NE(a.zevController(), nullptr);
    EXPECT_EQ(delegate->zevController(), a.zevController());
    auto* adapter = dynamic_cast<ZEVSpaceAdapter*>(a.zevController()->spaceController());
    ASSERT_TRUE(adapter && adapter->space());
    ZEVSpaceController* space = adapter->space();
    EXPECT_NE(dynamic_cast<ZEVSpaceWindow*>(a.zevController()->spaceWindow()), nullptr);
    EXPECT_EQ(space->currentChannelInt(), 2000018u);
    ZEVDeskViewer* now = space->deskViewerForCurseur(space->nowCurseur());
    ASSERT_NE(now, nullptr);
    EXPECT_EQ(now->currentBackImageItemName(), "Space 1");
    EXPECT_NE(space->deskViewerForCurseur(space->searchCurseur()), nullptr);
}

TEST(SharedServices, MenusUnderAButtonOpenBelowItAndLeftwardsAtTheScreenEdge)
{
    QWidget toolbar;
    toolbar.setObjectName("ZEVFrontToolbar");
    QWidget inBar(&toolbar);
    inBar.setGeometry(10, 5, 30, 20);
    QWidget elsewhere;
    elsewhere.setGeometry(10, 100, 30, 20);

    const QPoint a = KELApplication::eventForSender(&inBar, 100);
    const QPoint b = KELApplication::eventForSender(&elsewhere, 100);
    EXPECT_EQ(a.x(), inBar.mapToGlobal(QPoint(0, 0)).x() - 1);
    EXPECT_EQ(a.y(), inBar.mapToGlobal(QPoint(0, 0)).y() + 20 + 4);
    EXPECT_EQ(b.y(), elsewhere.mapToGlobal(QPoint(0, 0)).y() + 20 + 6);
    // A menu wider than the room left on the screen ends at the button's right edge.
    const int screenRight = QGuiApplication::primaryScreen()->geometry().right() + 1;
    const QPoint c = KELApplication::eventForSender(&elsewhere, screenRight);
    EXPECT_EQ(c.x() + screenRight, elsewhere.mapToGlobal(QPoint(0, 0)).x() - 1 + 30);

    EXPECT_EQ(KELApplication::findIconForFileType("pdf").size(), QSize(18, 18));
}
