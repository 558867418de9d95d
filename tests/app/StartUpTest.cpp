#include "app/KELApplication.h"
#include "app/KELApplicationDelegate.h"
#include "app/ZEVController.h"
#include "engine/KELICurseur.h"
#include "engine/store/Sqlite.h"
#include "platform/UserDefaults.h"
#include "platform/desktop/GtkBookmarks.h"
#include "tests/app/AppFixture.h"

#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace tallomer;
using apptest::AppTest;
using apptest::readFile;
using apptest::writeFile;

namespace {

mode_t modeOf(const QString& path)
{
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? (st.st_mode & 07777) : 0;
}

bool bookmarked(const QString& folder)
{
    for (const QByteArray& line : readFile(GtkBookmarks::bookmarksPath()).split('\n'))
        if (GtkBookmarks::localPathOfLine(QString::fromUtf8(line)) == folder)
            return true;
    return false;
}

class StartUp : public AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        QFile::remove(GtkBookmarks::bookmarksPath());
        settingsPath = q(test::makeTempDir("defaults")) + "/Tallomer.conf";
        defaults = std::make_unique<UserDefaults>(settingsPath);
        controller = std::make_unique<UserDefaultsController>(*defaults);
    }
    void TearDown() override
    {
        ZEVController::setSpaceControllerFactory({});
        AppTest::TearDown();
        delegate.reset();
    }
    static QString q(const std::string& s) { return QString::fromStdString(s); }

    QString settingsPath;
    std::unique_ptr<UserDefaults> defaults;
    std::unique_ptr<UserDefaultsController> controller;
    std::unique_ptr<KELApplicationDelegate> delegate;
};

} // namespace

TEST_F(StartUp, FirstStartRunsEachStageOnALaterTurnAndLaysOutTheStore)
{
    setFolderIcon = true;
    KELApplication& a = makeApp();
    delegate = std::make_unique<KELApplicationDelegate>(&a, controller.get());
    a.setDelegate(delegate.get());
    EXPECT_EQ(KELApplication::shared(), &a);
    EXPECT_EQ(a.zevletSpaceMinId(), 100000000u);
    EXPECT_EQ(KELIdSpace::maxId(), 1000000000u);
    EXPECT_EQ(a.kelUTI(), "org.tallomer.Tallomer.ZEVItemPB");
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
    EXPECT_EQ(modeOf(homeDir + "/Tallomer"), 0700u);
    EXPECT_TRUE(QFileInfo::exists(homeDir + "/Tallomer/.directory")) << "the folder has its own icon";
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

TEST_F(StartUp, ASecondStartCopiesOnlyAMissingWallpaperAndLeavesTheUserFolderAlone)
{
    setFolderIcon = true;
    makeApp();
    startAll();
    ASSERT_TRUE(stops.empty());
    endRun();

    const KELStoreLayout l = layout();
    QFile::remove(l.wallpaper("zevWallpaperBlue"));
    ASSERT_TRUE(writeFile(l.wallpaper("zevWallpaperGrey"), "kept"));
    ASSERT_EQ(::chmod(QFile::encodeName(homeDir + "/Tallomer").constData(), 0750), 0);
    QFile::remove(homeDir + "/Tallomer/.directory");
    QFile::remove(GtkBookmarks::bookmarksPath());
    const QByteArray base = readFile(l.zevBase);

    makeApp();
    startAll();
    EXPECT_TRUE(stops.empty());
    EXPECT_TRUE(QFileInfo(l.wallpaper("zevWallpaperBlue")).isFile());
    EXPECT_EQ(readFile(l.wallpaper("zevWallpaperGrey")), "kept");
    EXPECT_EQ(modeOf(homeDir + "/Tallomer"), 0750u);
    EXPECT_FALSE(QFileInfo::exists(homeDir + "/Tallomer/.directory")) << "its icon is not set again";
    EXPECT_FALSE(bookmarked(homeDir + "/Tallomer")) << "the sidebar is only touched on a first run";
    EXPECT_NE(app->zevController(), nullptr);
    EXPECT_FALSE(base.isEmpty());
}

TEST_F(StartUp, AnOlderLayoutThatCannotBeMovedIsAnnouncedThenTheProgramStops)
{
    const KELStoreLayout l = layout();
    ASSERT_TRUE(writeFile(l.channelDrop() + "/same", "newer"));
    ASSERT_TRUE(writeFile(l.oldDrop() + "/same", "older"));
    const ScopedLogCapture log;
    KELApplication& a = makeApp();
    a.awakeFromNib();
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].message, "Multi-channel transition ERROR!");
    EXPECT_EQ(alerts[0].informative, "Try restarting the app");
    EXPECT_EQ(alerts[0].buttons, QStringList{"OK"});
    EXPECT_EQ(stops, std::vector<int>{1});
    EXPECT_FALSE(QFileInfo::exists(l.zevBase)) << "nothing after the failed step runs";
    EXPECT_EQ(sched.pendingCount(), 0u);
    sched.runUntilIdle();
    EXPECT_EQ(a.zevController(), nullptr);
}

TEST_F(StartUp, AFolderThatCannotBeMadeStopsTheStartWithItsText)
{
    const KELStoreLayout l = layout();
    ASSERT_TRUE(writeFile(l.zevData, "a file where a folder goes"));
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

TEST_F(StartUp, AMissingTemplateStopsTheFirstStart)
{
    KELResources::setDirectory(q(test::makeTempDir("empty-resources")));
    const ScopedLogCapture log;
    makeApp().awakeFromNib();
    EXPECT_TRUE(log.sink.contains("Coping zev.sqlite to NSApplicationSupportDirectory/Tallomer/ folder ERROR: "));
    EXPECT_EQ(stops, std::vector<int>{1});
    EXPECT_EQ(sched.pendingCount(), 0u);
}

TEST_F(StartUp, ADatabaseTooNewIsAnnouncedThenTheProgramStops)
{
    const KELStoreLayout l = layout();
    ASSERT_TRUE(store::makeStoreFolder(l));
    ASSERT_TRUE(store::copyTemplateIfMissing(l, KELResources::pathForResource("zev", "sqlite")));
    {
        Sqlite db;
        ASSERT_TRUE(db.open(l.zevBase.toStdString(), false));
        ASSERT_TRUE(db.executeNonQuery("UPDATE SETTINGS SET VALUE = 9 WHERE NAME = 'dbVersion';"));
    }
    const ScopedLogCapture log;
    KELApplication& a = makeApp();
    startAll();
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_FALSE(alerts[0].message.isEmpty());
    EXPECT_EQ(stops, std::vector<int>{1});
    EXPECT_EQ(a.zevController(), nullptr);
    EXPECT_EQ(KELServeurDeLiens::DonneMaintenantLeLienId(270), nullptr) << "no link is woken from a refused store";
}

TEST_F(StartUp, FailedWritesAreToldOncePerRunFromTheEventLoop)
{
    makeApp();
    startAll();
    ASSERT_TRUE(alerts.empty());
    const ScopedLogCapture log;
    Sqlite db;
    ASSERT_TRUE(db.open(layout().zevBase.toStdString(), false));
    EXPECT_FALSE(db.executeNonQuery("INSERT INTO NO_SUCH_TABLE VALUES (1);"));
    EXPECT_FALSE(db.executeNonQuery("INSERT INTO NO_SUCH_TABLE VALUES (2);"));
    EXPECT_TRUE(alerts.empty()) << "never inside the failing write";
    sched.runUntilIdle();
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].message, "Your changes could not be saved.");
    EXPECT_TRUE(alerts[0].informative.contains("NO_SUCH_TABLE"));
    app->reportStoreError("again");
    sched.runUntilIdle();
    EXPECT_EQ(alerts.size(), 1u);
    EXPECT_TRUE(stops.empty()) << "the program goes on";
}

TEST_F(StartUp, AKeyboardLayoutChangeRerunsTheKeyEquivalentsOnce)
{
    KELApplication& a = makeApp();
    int runs = 0;
    a.setKeyEquivalentSetter([&] { ++runs; });
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

TEST_F(StartUp, TheControllerBuildsTheSpaceOnTheNextTurnAndThenRegisters)
{
    struct Space : ZEVSpaceControllerBase {};
    std::vector<std::string> order;
    ZEVController::setSpaceControllerFactory([&](KELId space, ZEVController* c, KELICurseur* tl) {
        EXPECT_EQ(space, 2000001u);
        EXPECT_EQ(tl, c->tlCurseur());
        EXPECT_EQ(delegate->zevController(), nullptr);
        order.push_back("space");
        return std::make_unique<Space>();
    });
    KELApplication& a = makeApp();
    delegate = std::make_unique<KELApplicationDelegate>(&a, controller.get());
    a.setDelegate(delegate.get());
    startAll();
    ASSERT_NE(a.zevController(), nullptr);
    EXPECT_EQ(order, std::vector<std::string>{"space"});
    EXPECT_NE(a.zevController()->spaceController(), nullptr);
    EXPECT_EQ(delegate->zevController(), a.zevController());
    EXPECT_EQ(a.zevController()->spaceWindow(), nullptr) << "the Space shows its own window";
}

TEST(SharedServices, MenusUnderAButtonOpenBelowItAndLeftwardsAtTheScreenEdge)
{
    QWidget top;
    top.setGeometry(0, 0, 400, 300);
    QWidget toolbar(&top);
    toolbar.setObjectName("ZEVFrontToolbar");
    toolbar.setGeometry(0, 0, 400, 40);
    QWidget inBar(&toolbar);
    inBar.setGeometry(10, 5, 30, 20);
    QWidget elsewhere(&top);
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

    EXPECT_FALSE(KELApplication::iconForFileType("").isNull());
    EXPECT_FALSE(KELApplication::findIconForFileType("").isNull());
    EXPECT_EQ(KELApplication::findIconForFileType("pdf").size(), QSize(18, 18));
}
