#include "app/KELApplicationDelegate.h"

#include "app/KELApplication.h"
#include "app/ZEVController.h"
#include "app/widgets/ZEVPreferencesController.h"
#include "engine/KELICurseur.h"
#include "front/ZEVFrontViewer.h"
#include "platform/UserDefaults.h"
#include "platform/desktop/SingleInstance.h"
#include "tests/app/AppFixture.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QEventLoop>
#include <QDBusConnection>
#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <csignal>

using namespace tallomer;
using apptest::AppTest;

namespace {

// Records what the shell asks of the Space, in order.
struct FakeSpace : ZEVSpaceControllerBase {
    struct Front : ZEVFrontViewer {
        bool menubar = true;
        int switches = 0;
        bool siShowMenubar() override { return menubar; }
        void userWillSwitchApp() override { ++switches; }
    };

    std::vector<std::string>* calls = nullptr;
    Front front;
    KELICurseur* now = nullptr;
    KELICurseur* search = nullptr;
    std::vector<QString> urls;
    std::vector<bool> histories;
    std::vector<QStringList> files;

    void add(const std::string& s) { if (calls) calls->push_back(s); }
    ZEVFrontViewer* frontViewer() override { return &front; }
    KELICurseur* nowCurseur() override { return now; }
    KELICurseur* searchCurseur() override { return search; }
    KELICurseur* actifCurseur() override { return search; }
    void openZevpURL(const QString& url, bool siHistory) override
    {
        urls.push_back(url);
        histories.push_back(siHistory);
    }
    void addFilenames(const QStringList& paths) override { files.push_back(paths); }
    void updateTimeline() override { add("updateTimeline"); }
    void updateActifCurseur(KELICurseur* c) override
    {
        // By now the Search cursor's window has shrunk to the cursor and the store is still open.
        KELIContexte* ctx = c ? c->contexte() : nullptr;
        add(ctx && ctx->offsetIn() == -0.1 && ctx->offsetOut() == 0.1 ? "updateActifCurseur(search, zero window)"
                                                                      : "updateActifCurseur");
        if (!KELChercheurDe::ZevDataBase().isOpen())
            add("database closed too early");
    }
    void relancerLesCurseurs() override { add("relancerLesCurseurs"); }
    void receiveFilesForURL(const QString& folder) override { add("receiveFilesForURL " + folder.toStdString()); }
    void updateItemImagesOfCurrentChannel() override { add("updateItemImages"); }
};

class Delegate : public AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        defaults = std::make_unique<UserDefaults>(q(test::makeTempDir("defaults")) + "/Tallomer.conf");
        values = std::make_unique<UserDefaultsController>(*defaults);
    }
    void TearDown() override
    {
        ZEVController::setSpaceControllerFactory({});
        AppTest::TearDown();
        delegate.reset();
    }
    static QString q(const std::string& s) { return QString::fromStdString(s); }

    // Starts with a fake Space whose cursors are the Now and Search cursors.
    FakeSpace* startWithSpace()
    {
        FakeSpace* made = nullptr;
        ZEVController::setSpaceControllerFactory([&](KELId, ZEVController*, KELICurseur*) {
            auto s = std::make_unique<FakeSpace>();
            s->calls = &calls;
            KELICurseur* g = KELServeurDeLiens::CurseurGlobal();
            s->now = dynamic_cast<KELICurseur*>(KELServeurDeLiens::LienForInt(2000090, g));
            s->search = dynamic_cast<KELICurseur*>(KELServeurDeLiens::LienForInt(2000094, g));
            made = s.get();
            return s;
        });
        KELApplication& a = makeApp();
        delegate = std::make_unique<KELApplicationDelegate>(&a, values.get());
        a.setDelegate(delegate.get());
        a.setTerminateAction([this](int action) {
            calls.push_back(KELChercheurDe::ZevDataBase().isOpen() ? "terminate, store open" : "terminate");
            EXPECT_EQ(action, 0);
        });
        startAll();
        return made;
    }

    std::unique_ptr<UserDefaults> defaults;
    std::unique_ptr<UserDefaultsController> values;
    std::unique_ptr<KELApplicationDelegate> delegate;
    std::vector<std::string> calls;
};

} // namespace

TEST_F(Delegate, ShowAndHideOptionsHaveInitialValuesThatAreNeverWritten)
{
    defaults->setValue("ZEVShowRuler", false); // the user's own choice
    KELApplicationDelegate::initialize(values.get());
    ASSERT_EQ(KELApplicationDelegate::showHideOptions().size(), 16u);
    int on = 0;
    for (const auto& [key, initial] : KELApplicationDelegate::showHideOptions()) {
        if (QString(key) != "ZEVShowRuler") {
            EXPECT_EQ(values->values(key).toBool(), initial) << key;
        }
        on += initial;
    }
    EXPECT_EQ(on, 6);
    EXPECT_FALSE(values->values("ZEVShowRuler").toBool());
    EXPECT_TRUE(values->values("ZEVShowLinksForSelectedFilters").toBool());
    EXPECT_FALSE(values->values("ZEVShowZevMenu").toBool());
    defaults->sync();
    EXPECT_FALSE(defaults->isWritten("ZEVShowMacMenu"));
    EXPECT_TRUE(defaults->isWritten("ZEVShowRuler"));
}

TEST_F(Delegate, QuitSavesTheCursorsThenClosesTheStoreThenRunsThePendingAction)
{
    FakeSpace* space = startWithSpace();
    ASSERT_NE(space, nullptr);
    ASSERT_TRUE(space->now && space->search && space->search->contexte());
    space->search->contexte()->setOffsetIn(-500.0); // the user widened the Search window
    space->search->contexte()->setOffsetOut(500.0);
    calls.clear();
    app->terminate(nullptr);
    EXPECT_EQ(calls, (std::vector<std::string>{"updateTimeline", "updateActifCurseur(search, zero window)", "terminate"}));
    EXPECT_FALSE(KELChercheurDe::ZevDataBase().isOpen());
    EXPECT_EQ(stops, std::vector<int>{0});
    // The sequence runs once, however the end is asked for.
    app->terminate(nullptr);
    app->stop();
    EXPECT_EQ(calls.size(), 3u);
}

TEST_F(Delegate, QuitBeforeTheControllerRunsOnlyTheLastSteps)
{
    KELApplication& a = makeApp();
    delegate = std::make_unique<KELApplicationDelegate>(&a, values.get());
    a.setDelegate(delegate.get());
    a.setAppTerminate(2);
    std::vector<int> actions;
    a.setTerminateAction([&](int action) { actions.push_back(action); });
    a.awakeFromNib();
    sched.runTurn(); // the link base is open; the controller is not made yet
    ASSERT_TRUE(KELChercheurDe::ZevDataBase().isOpen());
    a.terminate(nullptr);
    EXPECT_FALSE(KELChercheurDe::ZevDataBase().isOpen());
    EXPECT_EQ(actions, std::vector<int>{2});
    const ScopedLogCapture quiet; // the cursors' timers meet the closed store
    sched.runUntilIdle();
    EXPECT_EQ(a.zevController(), nullptr) << "no stage runs after the end was asked for";
}

TEST_F(Delegate, LinksAndFilesArrivingBeforeTheSpaceAreHandedOverOnceItExists)
{
    SingleInstance instance(QDBusConnection(QStringLiteral("not connected")));
    KELApplication& a = makeApp();
    delegate = std::make_unique<KELApplicationDelegate>(&a, values.get());
    a.setDelegate(delegate.get());
    delegate->applicationWillFinishLaunching(&instance);
    const QString file = homeDir + "/notes.txt";
    delegate->openLaunchArguments({"zevp://desk/1?c=2", file});
    instance.dispatch({"zevp://desk/2"}); // forwarded by another start meanwhile

    FakeSpace* space = nullptr;
    ZEVController::setSpaceControllerFactory([&](KELId, ZEVController*, KELICurseur*) {
        auto s = std::make_unique<FakeSpace>();
        space = s.get();
        return s;
    });
    startAll();
    ASSERT_NE(space, nullptr);
    EXPECT_EQ(space->urls, (std::vector<QString>{"zevp://desk/1?c=2", "zevp://desk/2"}));
    EXPECT_EQ(space->histories, (std::vector<bool>{false, false}));
    EXPECT_EQ(space->files, std::vector<QStringList>{QStringList{file}});

    instance.dispatch({"zevp://desk/3"});
    EXPECT_EQ(space->urls.size(), 3u) << "once ready, at once";
}

TEST_F(Delegate, ActivationKeepsTheMenuBarChoiceAndRefreshesTheDesk)
{
    FakeSpace* space = startWithSpace();
    ASSERT_NE(space, nullptr);
    EXPECT_EQ(delegate->previousIfShowMacMenu(), -1);
    delegate->applicationWillResignActive();
    EXPECT_EQ(delegate->previousIfShowMacMenu(), 1);
    EXPECT_EQ(space->front.switches, 1);

    calls.clear();
    space->front.menubar = false; // hidden while we were away
    delegate->applicationWillBecomeActive();
    EXPECT_TRUE(defaults->isWritten("ZEVShowMacMenu"));
    EXPECT_TRUE(values->values("ZEVShowMacMenu").toBool());
    EXPECT_EQ(calls, (std::vector<std::string>{"relancerLesCurseurs", "receiveFilesForURL " + app->zevFolderURL().toStdString(),
                                               "updateItemImages"}));
    EXPECT_FALSE(delegate->applicationShouldOpenUntitledFile());
    EXPECT_EQ(delegate->applicationShouldTerminate(), 1);
}

TEST_F(Delegate, PreferencesShowTheOptionsAndWriteWhatTheUserToggles)
{
    KELApplication& a = makeApp();
    delegate = std::make_unique<KELApplicationDelegate>(&a, values.get());
    delegate->showPreferences();
    ZEVPreferencesController* prefs = delegate->preferencesController();
    ASSERT_NE(prefs, nullptr);
    EXPECT_TRUE(prefs->showAnimation()->isChecked());
    EXPECT_FALSE(prefs->hideTitle()->isChecked());
    prefs->hideTitle()->click();
    EXPECT_TRUE(values->values("ZEVHideObjectTitle").toBool());
    delegate->showPreferences();
    EXPECT_EQ(delegate->preferencesController(), prefs) << "made once";
}

namespace {

// A private session bus, so nothing is ever registered on the user's own bus.
class PrivateBus {
public:
    ~PrivateBus()
    {
        if (pid_ > 0)
            ::kill(static_cast<pid_t>(pid_), SIGTERM);
    }
    bool start()
    {
        const QString daemon = QStandardPaths::findExecutable("dbus-daemon");
        if (daemon.isEmpty())
            return false;
        QProcess p;
        p.start(daemon, {"--session", "--fork", "--print-address=1", "--print-pid=1",
                         "--address=unix:dir=" + QString::fromStdString(test::makeTempDir("bus"))});
        if (!p.waitForFinished(10000))
            return false;
        for (const QByteArray& raw : p.readAllStandardOutput().split('\n')) {
            const QString line = QString::fromUtf8(raw).trimmed();
            bool numeric = false;
            const qint64 pid = line.toLongLong(&numeric);
            if (numeric)
                pid_ = pid;
            else if (line.contains(':'))
                address_ = line;
        }
        return !address_.isEmpty();
    }
    const QString& address() const { return address_; }

private:
    QString address_;
    qint64 pid_ = 0;
};

} // namespace

TEST_F(Delegate, AZevpLinkGivenToASecondStartReachesTheRunningOne)
{
    PrivateBus bus;
    if (!bus.start())
        GTEST_SKIP() << "dbus-daemon is not available";
    {
        SingleInstance first(QDBusConnection::connectToBus(bus.address(), "delegate-first"));
        FakeSpace* space = startWithSpace();
        ASSERT_NE(space, nullptr);
        delegate->applicationWillFinishLaunching(&first);
        ASSERT_EQ(first.start({}), SingleInstance::Role::Primary);

        SingleInstance second(QDBusConnection::connectToBus(bus.address(), "delegate-second"));
        EXPECT_EQ(second.start({"zevp://desk/7?c=2000018"}), SingleInstance::Role::Forwarded);
        // The running instance answers the call first and opens the link on a later turn.
        QElapsedTimer t;
        t.start();
        while (space->urls.empty() && t.elapsed() < 5000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        EXPECT_EQ(space->urls, std::vector<QString>{"zevp://desk/7?c=2000018"});
        EXPECT_EQ(space->histories, std::vector<bool>{false});
        delegate.reset();
    }
    QDBusConnection::disconnectFromBus("delegate-first");
    QDBusConnection::disconnectFromBus("delegate-second");
}
