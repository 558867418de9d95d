#include "tests/support/NullFrontViewer.h"
#include "app/widgets/ZEVPreferencesController.h"
#include "services/ZEVFrontViewerServices.h"
#include "platform/desktop/SingleInstance.h"
#include "tests/app/AppFixture.h"

#include <QCheckBox>
#include <QDBusConnection>
#include <QFile>

using namespace apptest;

namespace {

// Records what the shell asks of the Space, in order; its cursors are the Now and Search cursors.
struct FakeSpace : ZEVSpaceControllerBase {
    struct Front : tallomer::test::NullFrontViewer {
        bool menubar = true;
        int switches = 0;
        bool siShowMenubar() override { return menubar; }
        void userWillSwitchApp() override { ++switches; }
    };
    static KELICurseur* cursor(KELId id)
    {
        return dynamic_cast<KELICurseur*>(KELServeurDeLiens::LienForInt(id, KELServeurDeLiens::CurseurGlobal()));
    }

    explicit FakeSpace(std::vector<std::string>& c) : calls(c) {}
    std::vector<std::string>& calls;
    Front front;
    KELICurseur* now = cursor(2000090);
    KELICurseur* search = cursor(2000094);
    std::vector<QString> urls;
    std::vector<QStringList> files;

    ZEVFrontViewerServices* frontViewer() override { return &front; }
    QWidget* spaceWindow() override { return nullptr; }
    KELId currentChannelInt() override { return 2000018; }
    void volumeMountDidChange() override { calls.push_back("volumeMountDidChange"); }
    KELICurseur* nowCurseur() override { return now; }
    KELICurseur* searchCurseur() override { return search; }
    KELICurseur* actifCurseur() override { return search; }
    ZEVZevpOpening openZevpURL(const QString& url, bool siHistory) override
    {
        urls.push_back(siHistory ? url + " +history" : url);
        return {};
    }
    void addFilenames(const QStringList& paths) override { files.push_back(paths); }
    void commitTyping() override { calls.push_back("commitTyping"); }
    void updateTimeline() override { calls.push_back("updateTimeline"); }
    void updateActifCurseur(KELICurseur* c) override
    {
        // By now the Search cursor's window has shrunk to the cursor and the store is still open.
        KELIContexte* ctx = c ? c->contexte() : nullptr;
        calls.push_back(ctx && ctx->offsetIn() == -0.1 && ctx->offsetOut() == 0.1
                            ? "updateActifCurseur(search, zero window)" : "updateActifCurseur");
        if (!KELChercheurDe::ZevDataBase().isOpen())
            calls.push_back("database closed too early");
    }
    void relancerLesCurseurs() override { calls.push_back("relancerLesCurseurs"); }
    void receiveFilesForURL(const QString& folder) override { calls.push_back("receiveFilesForURL " + folder.toStdString()); }
    void abortDownloads() override
    {
        calls.push_back(KELChercheurDe::ZevDataBase().isOpen() ? "abortDownloads" : "abortDownloads, store closed");
    }
    void updateItemImagesOfCurrentChannel() override { calls.push_back("updateItemImages"); }
};

class Delegate : public AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        ZEVController::setSpaceControllerFactory([this](KELId, ZEVController*, KELICurseur*) {
            auto s = std::make_unique<FakeSpace>(calls);
            space = s.get();
            return s;
        });
    }

    void startWithSpace()
    {
        makeAppWithDelegate().setTerminateAction([this](int action) {
            calls.push_back(KELChercheurDe::ZevDataBase().isOpen() ? "terminate, store open" : "terminate");
            EXPECT_EQ(action, 0);
        });
        startAll();
        ASSERT_NE(space, nullptr);
    }

    std::vector<std::string> calls;
    FakeSpace* space = nullptr; // owned by the controller
};

} // namespace

TEST_F(Delegate, OptionsHaveInitialValuesThatAreNeverWrittenWhileWhatTheUserTogglesIs)
{
    defaults.setValue("ZEVShowRuler", false); // the user's own choice
    KELApplicationDelegate::initialize(&values);
    for (const auto& [key, initial] : KELApplicationDelegate::showHideOptions())
        EXPECT_EQ(values.values(key).toBool(), QString(key) != "ZEVShowRuler" && initial) << key;

    makeAppWithDelegate();
    delegate->showPreferences();
    ZEVPreferencesController* prefs = delegate->preferencesController();
    ASSERT_NE(prefs, nullptr);
    prefs->hideTitle()->click();
    delegate->showPreferences();
    EXPECT_EQ(delegate->preferencesController(), prefs) << "made once";
    defaults.sync();
    EXPECT_FALSE(defaults.isWritten("ZEVShowMacMenu"));
    EXPECT_TRUE(defaults.isWritten("ZEVShowRuler"));
    EXPECT_TRUE(defaults.isWritten("ZEVHideObjectTitle"));
    EXPECT_TRUE(values.values("ZEVHideObjectTitle").toBool());
}

TEST_F(Delegate, QuitSavesTheCursorsThenClosesTheStoreThenRunsThePendingAction)
{
    ASSERT_NO_FATAL_FAILURE(startWithSpace());
    ASSERT_TRUE(space->now && space->search && space->search->contexte());
    space->search->contexte()->setOffsetIn(-500.0); // the user widened the Search window
    space->search->contexte()->setOffsetOut(500.0);
    calls.clear();
    app->terminate(nullptr);
    EXPECT_EQ(calls, (std::vector<std::string>{"commitTyping", "updateTimeline",
                                               "updateActifCurseur(search, zero window)", "abortDownloads",
                                               "terminate"}));
    EXPECT_FALSE(KELChercheurDe::ZevDataBase().isOpen());
    EXPECT_EQ(stops, std::vector<int>{0});
    // The sequence runs once, however the end is asked for.
    app->terminate(nullptr);
    app->stop();
    EXPECT_EQ(calls.size(), 5u);
}

TEST_F(Delegate, QuitBeforeTheControllerRunsOnlyTheLastSteps)
{
    KELApplication& a = makeAppWithDelegate();
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
    makeAppWithDelegate();
    delegate->applicationWillFinishLaunching(&instance);
    const QString file = homeDir + "/notes.txt";
    QFile notes(file);
    ASSERT_TRUE(notes.open(QIODevice::WriteOnly));
    notes.close();
    delegate->openLaunchArguments({"zevp://desk/1?c=2", file});
    instance.dispatch({"zevp://desk/2"}); // forwarded by another start meanwhile
    startAll();
    ASSERT_NE(space, nullptr);
    EXPECT_EQ(space->urls, (std::vector<QString>{"zevp://desk/1?c=2", "zevp://desk/2"}));
    EXPECT_EQ(space->files, std::vector<QStringList>{QStringList{file}});
    instance.dispatch({"zevp://desk/3"});
    EXPECT_EQ(space->urls.size(), 3u) << "once ready, at once";
}

TEST_F(Delegate, ActivationKeepsTheMenuBarChoiceAndRefreshesTheDesk)
{
    ASSERT_NO_FATAL_FAILURE(startWithSpace());
    EXPECT_EQ(delegate->previousIfShowMacMenu(), -1);
    delegate->applicationWillResignActive();
    EXPECT_EQ(delegate->previousIfShowMacMenu(), 1);
    EXPECT_EQ(space->front.switches, 1);

    calls.clear();
    space->front.menubar = false; // hidden while we were away
    delegate->applicationWillBecomeActive();
    EXPECT_TRUE(defaults.isWritten("ZEVShowMacMenu"));
    EXPECT_TRUE(values.values("ZEVShowMacMenu").toBool());
    EXPECT_EQ(calls, (std::vector<std::string>{"relancerLesCurseurs", "receiveFilesForURL " + app->zevFolderURL().toStdString(),
                                               "updateItemImages"}));
    EXPECT_FALSE(delegate->applicationShouldOpenUntitledFile());
    EXPECT_EQ(delegate->applicationShouldTerminate(), 1);
}
