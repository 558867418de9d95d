#pragma once
// A Space on a fresh copy of the template link base with the real ruler, the real inspector
// classes and their toggle bar, a virtual clock, user defaults in a file of the test's own, a
// recording sound and log, and a front layer that only answers its mode and header height.

#include "desk/viewer/ZEVDeskOfCursor.h"
#include "desk/viewer/ZEVDeskViewer.h"
#include "desk/viewer/ZEVSpaceBridge.h"
#include "engine/KELDemarrage.h"
#include "engine/KELICurseur.h"
#include "engine/KELModels.h"
#include "engine/KELServeurDeLiens.h"
#include "inspectors/ZEVInspectorClasses.h"
#include "inspectors/base/ZEVInspectView.h"
#include "inspectors/base/ZEVInspectViewer.h"
#include "inspectors/context/ZEVContextViewer.h"
#include "objects/viewer/ZEVItemViewer.h"
#include "platform/UserDefaults.h"
#include "platform/sound/Sound.h"
#include "ruler/ZEVRulerClass.h"
#include "ruler/ZEVRulerViewer.h"
#include "runtime/Log.h"
#include "runtime/SchedulerClock.h"
#include "space/ZEVConstants.h"
#include "space/ZEVSpaceClass.h"
#include "space/ZEVSpaceController.h"
#include "space/ZEVSpaceWindow.h"
#include "tests/engine/StoreFixtures.h"
#include "tests/support/NullFrontViewer.h"
#include "tests/support/NullServices.h"
#include "tests/support/TestHome.h"

#include <QApplication>

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace inspecttest {

using namespace tallomer;

// The Files inspector's entity, and an hour in the link base's seconds.
constexpr KELId kFiles = KELENTITY_FILE_VIEWER;
constexpr double kHeure = 3600.0;

// The front layer as the inspectors ask it: its mode and the calls of its mode switches.
class FakeFront final : public test::NullFrontViewer {
public:
    int frontMode() override { return mode; }
    bool isUserChangingFlag() override { return changing; }
    double headerViewsHeight() override { return header; }
    void menuModeIcon() override { switches.push_back(0); }
    void menuModeTitle() override { switches.push_back(1); }
    void menuModeFilter() override { switches.push_back(2); }
    void menuModeLink() override { switches.push_back(3); }
    bool siTlineOpened() override { return tlineOpened; }
    void userStepBack() override { ++stepBacks; }
    void userReleaseNow() override { ++releasesNow; }
    void userReleaseSearch() override { ++releasesSearch; }
    void menuEditRetain() override { ++retains; }
    void menuEditForget() override { ++forgets; }
    void userToggleTline() override
    {
        ++tlineToggles;
        tlineOpened = !tlineOpened;
    }
    void selectionDown(KELId c) override { selectionMoves.push_back("front down " + std::to_string(c)); }
    void selectionUp(KELId c) override { selectionMoves.push_back("front up " + std::to_string(c)); }
    void setSpaceBrowsing(bool b) override { spaceBrowsing = b; }
    void setChannelBrowsing(bool b) override { channelBrowsing = b; }
    void setZevstoryBrowsing(bool b) override { zevstoryBrowsing = b; }
    void setGotoOff() override { ++gotoOffs; }
    bool siCurseurAtHome() override { return atHome; }
    bool siTimebarClosed() override { return timebarClosed; }
    void userShowTracks() override { ++tracksShown; }
    bool spaceBrowsing = false;
    bool channelBrowsing = false;
    bool zevstoryBrowsing = false;
    int gotoOffs = 0;
    bool atHome = false;
    bool timebarClosed = true;
    int tracksShown = 0;
    bool tlineOpened = false;
    std::vector<std::string> selectionMoves;
    int stepBacks = 0;
    int releasesNow = 0;
    int releasesSearch = 0;
    int retains = 0;
    int forgets = 0;
    int tlineToggles = 0;
    int mode = 0;
    bool changing = false;
    double header = 0;
    std::vector<int> switches;
};

// The places' history as the tables step it: only the steps are counted.
class CountingHistory final : public ZEVMarkHistoryServices {
public:
    ZEVMarkObject* markObjectForZevpString(const QString&) override { return nullptr; }
    void selectMarkObject(ZEVMarkObject*) override {}
    void addMarkObject(std::unique_ptr<ZEVMarkObject>, const QString&) override { ++marques; }
    std::vector<ZEVMarkObject*> markObjects() override { return {}; }
    void deleteHistory() override {}
    void previousHistory() override { ++reculs; }
    void previous() override { ++reculs; }
    void next() override { ++avances; }
    int reculs = 0;
    int avances = 0;
    int marques = 0;
};

// A cursor's real desk with its real Object views, as the program builds it.
class RealCursorDesk final : public ZEVDeskOfCursor {
public:
    RealCursorDesk(ZEVSpaceController& space, KELICurseur* curseur, ZEVSpaceBridge* services)
        : ZEVDeskOfCursor(space, curseur, services,
                          [services](KELICurseur* c, ZEVDeskClass* deskClass, ZEVDeskViewer* deskViewer,
                                     ZEVItemClass* itemClass) {
                              auto viewer = std::make_unique<ZEVItemViewer>(c, services, deskViewer);
                              viewer->referencerItemClass(itemClass, deskClass);
                              return viewer;
                          })
    {
    }
    ZEVItemViewer* itemViewer() override { return static_cast<ZEVItemViewer*>(itemViewerServices()); }
};

class Host final : public test::NullSpaceHost {
public:
    Host(const QString& store, UserDefaultsController& defaults) : store_(store), defaults_(defaults) {}
    QString storeFolder() override { return store_; }
    UserDefaultsController& defaults() override { return defaults_; }
    QRectF mainScreenFrame() override { return QRectF(0, 0, 1920, 1200); }
    std::unique_ptr<ZEVRulerClassServices> creerRulerClass(ZEVSpaceController& s) override
    {
        return std::make_unique<ZEVRulerClass>(s.spaceClass()->ruler(), s.tlCurseur());
    }
    std::unique_ptr<ZEVRulerViewerServices> creerRulerViewer(ZEVRulerClassServices& r, ZEVSpaceController& s) override
    {
        return std::make_unique<ZEVRulerViewer>(r, s, QString::fromStdString(test::buildDir() + "/share/tallomer"),
                                                nullptr);
    }
    std::unique_ptr<ZEVContextViewerServices> creerContextViewer(ZEVSpaceController& s) override
    {
        return std::make_unique<ZEVContextViewer>(s);
    }
    std::unique_ptr<ZEVFrontViewerServices> creerFrontViewer(ZEVSpaceController&) override
    {
        auto f = std::make_unique<FakeFront>();
        front = f.get();
        return f;
    }
    void ouvrirEntityWithInt(KELId entity) override { opened.push_back(entity); }
    // The Object's stored data and files: counted, the files never touched.
    void deleteItemData(KELI* item) override { deletedData.push_back(item); }
    std::vector<KELI*> deletedData;
    void menuAction(ZEVSpaceMenuAction action) override { actions.push_back(action); }
    // Only when a test asks for it: the Space then keeps a history it can step.
    std::unique_ptr<ZEVMarkHistoryServices> creerMarkHistoryViewer(ZEVSpaceController&) override
    {
        if (!withHistory)
            return nullptr;
        auto h = std::make_unique<CountingHistory>();
        history = h.get();
        return h;
    }
    // Only when a test asks for it: the Now and Search cursors get real desks.
    void referencerSpaceController(ZEVSpaceController* s) override
    {
        if (withDesks && s)
            bridge = std::make_unique<ZEVSpaceBridge>(*s);
    }
    std::unique_ptr<ZEVCursorDesk> creerDesk(KELICurseur* c, ZEVSpaceController& s) override
    {
        if (!withDesks)
            return nullptr;
        return std::make_unique<RealCursorDesk>(s, c, bridge.get());
    }
    bool withDesks = false;
    std::unique_ptr<ZEVSpaceBridge> bridge; // outlives the Space's desks
    bool withHistory = false;
    CountingHistory* history = nullptr; // owned by the Space
    std::vector<ZEVSpaceMenuAction> actions;
    FakeFront* front = nullptr; // owned by the Space
    std::vector<KELId> opened;

private:
    QString store_;
    UserDefaultsController& defaults_;
};

class Inspectors : public ::testing::Test {
protected:
    static constexpr double kStart = 800000000.0;

    void SetUp() override
    {
        path = storetest::copyTemplate();
        KELChercheurDe::setDatabasePath(path);
        Clock::setShared(&clock);
        Scheduler::setShared(&sched);
        Sound::setShared(&sound);
        previousSink = setLogSink(&log);
        KELServeurDeLiens::initialize();
        ZEVRegisterInspectorClasses();
        timeline = KELDemarrage::ReveillerLesModelsEtLancer(kel::kCurseurTimeline);
        sched.runUntilIdle();
        sched.advance(0.5);
        space = ZEVSpaceController::initSpaceControllerWithSpaceInt(KELOBJECT_CHANNEL_VIEWER_ROOT, host, timeline);
        ASSERT_NE(space, nullptr);
        space->spaceWindow()->resize(1200, 800);
        space->spaceWindow()->show();
        space->spaceWindow()->activateWindow();
        settle();
    }

    void TearDown() override
    {
        space.reset();
        ZEVEntityViewerClasses::reset();
        KELServeurDeLiens::reset();
        setLogSink(previousSink);
        Sound::setShared(nullptr);
        Scheduler::setShared(nullptr);
        Clock::setShared(nullptr);
    }

    void settle()
    {
        for (int i = 0; i < 2; ++i) {
            QCoreApplication::processEvents();
            sched.advance(0.3);
        }
        QCoreApplication::processEvents();
    }

    ZEVContextViewer& bar() { return *dynamic_cast<ZEVContextViewer*>(space->contextViewer()); }
    ZEVInspectViewer* viewer(const char* className)
    {
        return dynamic_cast<ZEVInspectViewer*>(space->viewerForEntityClassName(className));
    }
    ZEVInspectViewer* creer(const char* className, KELId entity)
    {
        return dynamic_cast<ZEVInspectViewer*>(space->creerViewerForEntityClassName(className, entity));
    }
    QWidget* canvas() { return space->spaceWindow()->spaceView()->deskCanvas()->viewport(); }
    // The keyboard goes to the desk, away from every panel.
    void focusDesk()
    {
        space->spaceWindow()->spaceView()->deskCanvas()->setFocus(Qt::OtherFocusReason);
        QCoreApplication::processEvents();
    }

    ManualScheduler sched{kStart};
    SchedulerClock clock{sched};
    RecordingSound sound;
    MemoryLogSink log;
    LogSink* previousSink = nullptr;
    std::string path;
    QString store = QString::fromStdString(test::makeTempDir("inspectors"));
    UserDefaults userDefaults{store + "/defaults.conf"};
    UserDefaultsController defaults{userDefaults};
    Host host{store, defaults};
    KELICurseur* timeline = nullptr;
    std::unique_ptr<ZEVSpaceController> space;
};

} // namespace inspecttest
