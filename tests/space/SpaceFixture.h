#pragma once
// A Space on a fresh copy of the template link base, with a virtual clock, user defaults in a
// file of the test's own and stand-ins for the desks, inspectors and front layer that write what
// they are told into one trace.

#include "engine/KELDemarrage.h"
#include "engine/KELICurseur.h"
#include "engine/KELModels.h"
#include "engine/KELServeurDeLiens.h"
#include "runtime/SchedulerClock.h"
#include "platform/UserDefaults.h"
#include "ruler/ZEVRulerClass.h"
#include "ruler/ZEVRulerViewer.h"
#include "space/ZEVConstants.h"
#include "space/ZEVSpaceClass.h"
#include "space/ZEVSpaceController.h"
#include "tests/engine/StoreFixtures.h"
#include "tests/support/NullServices.h"
#include "tests/support/TestHome.h"

#include <QCoreApplication>
#include <QGraphicsScene>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace spacetest {

using Trace = std::vector<std::string>;

using tallomer::SchedulerClock;

inline std::string nomDuCurseur(KELICurseur* c)
{
    if (!c)
        return "?";
    if (c->idInt() == tallomer::KELOBJECT_NOW_CURSEUR)
        return "Now";
    if (c->idInt() == tallomer::KELOBJECT_SEARCH_CURSEUR)
        return "Search";
    return std::to_string(c->idInt());
}

// Writes what a stand-in is told into the shared trace, after the stand-in's name.
struct Tracing {
    Trace& trace;
    std::string who;
    void add(const std::string& what) const { trace.push_back(who + " " + what); }
};

class FakeDesk final : public tallomer::test::NullCursorDesk, Tracing {
public:
    FakeDesk(Trace& t, const std::string& cursor, bool firstTime) : Tracing{t, cursor + " desk"}, firstTime_(firstTime) {}
    void referencerViewerParts() override { add("referencerViewerParts"); }
    void referencerModelParts() override { add("referencerModelParts"); }
    void initialiser() override { add("initialiser"); }
    bool initWallpaperWithChannelViewer(tallomer::ZEVChannelListener*) override
    {
        add("initWallpaper");
        return firstTime_;
    }
    void majBackForFirstTime() override { add("majBackForFirstTime"); }
    void enclencherMaj() override { add("enclencherMaj"); }
    void placerDevant() override { add("placerDevant"); }
    QGraphicsScene* deskScene() override { return &scene; }
    void channelDidChangeWithIdentityInt(KELId id) override { add("channel " + std::to_string(id)); }
    QGraphicsScene scene;

private:
    bool firstTime_;
};

class FakeViewer final : public tallomer::ZEVEntityViewer, Tracing {
public:
    FakeViewer(Trace& t, const std::string& name, KELId entity) : ZEVEntityViewer(entity), Tracing{t, name} {}
    void channelDidChangeWithIdentityInt(KELId id) override { add("channel " + std::to_string(id)); }
    void actifCurseurDidChange() override { add("actifCurseurDidChange"); }
};

class FakeFront final : public tallomer::ZEVFrontViewerServices, Tracing {
public:
    explicit FakeFront(Trace& t) : Tracing{t, "front"} {}
    int frontMode() override { return mode; }
    void channelDidChangeWithIdentityInt(KELId id) override { add("channel " + std::to_string(id)); }
    void selectionDidChange() override { add("selectionDidChange"); }
    void actifCurseurDidChangeForCurseur(KELICurseur* c) override { add("actif " + nomDuCurseur(c)); }
    void userRecallNow() override { add("userRecallNow"); }
    void userStepBack() override { add("userStepBack"); }
    void userReleaseNow() override { add("userReleaseNow"); }
    // What the ruler asks.
    void initierDeplacementCurseur() override { add("initier"); }
    void terminerDeplacementCurseur() override { add("terminer"); }
    bool siTlineOpened() override { return headerViewsOpen; }
    void openTline() override { add("openTline"); }
    void openTlineAndTracks(bool) override { add("openTlineAndTracks"); }
    void closeTlineAndTracks() override { add("closeTlineAndTracks"); }
    bool siTimebarClosed() override { return !headerViewsOpen; }
    bool siTlineClosed() override { return !headerViewsOpen; }
    bool siTracksClosed() override { return true; }
    bool siToolbarClosed() override { return !headerViewsOpen; }
    void setSiShowCalandar(bool shown) override { add(shown ? "calendar on" : "calendar off"); }
    void menuHomeTime() override { add("menuHomeTime"); }
    void setGotoOff() override { add("setGotoOff"); }
    int mode = 0;
    bool headerViewsOpen = false;
};

class FakeHost final : public tallomer::test::NullSpaceHost, Tracing {
public:
    FakeHost(Trace& t, const QString& store, tallomer::UserDefaultsController& defaults)
        : Tracing{t, "host"}, store_(store), defaults_(defaults) {}
    void referencerSpaceController(tallomer::ZEVSpaceController*) override { add("referencer"); }
    QString storeFolder() override { return store_; }
    tallomer::UserDefaultsController& defaults() override { return defaults_; }
    QRectF mainScreenFrame() override { return QRectF(0, 0, 1920, 1200); }
    std::unique_ptr<tallomer::ZEVCursorDesk> creerDesk(KELICurseur* c, tallomer::ZEVSpaceController&) override
    {
        add("creerDesk " + nomDuCurseur(c));
        return std::make_unique<FakeDesk>(trace, nomDuCurseur(c), firstTime && nomDuCurseur(c) == "Now");
    }
    // The real ruler: the Space takes its cursors from its model.
    std::unique_ptr<tallomer::ZEVRulerClassServices> creerRulerClass(tallomer::ZEVSpaceController& s) override
    {
        add("creerRulerClass");
        auto r = std::make_unique<tallomer::ZEVRulerClass>(s.spaceClass()->ruler(), s.tlCurseur());
        rulerClass = r.get();
        return r;
    }
    std::unique_ptr<tallomer::ZEVRulerViewerServices> creerRulerViewer(tallomer::ZEVRulerClassServices& r,
                                                                      tallomer::ZEVSpaceController& s) override
    {
        add("creerRulerViewer");
        auto v = std::make_unique<tallomer::ZEVRulerViewer>(
            r, s, QString::fromStdString(tallomer::test::buildDir() + "/share/tallomer"),
            rulerParts ? rulerParts() : nullptr);
        rulerViewer = v.get();
        return v;
    }
    void addToHistory() override { add("addToHistory"); }
    std::unique_ptr<tallomer::ZEVFrontViewerServices> creerFrontViewer(tallomer::ZEVSpaceController&) override
    {
        add("creerFrontViewer");
        auto f = std::make_unique<FakeFront>(trace);
        front = f.get();
        return f;
    }
    void referencerItemDataSpace(tallomer::ZEVSpaceController*) override { add("itemDataSpace"); }
    void setCurrentChannelInt(KELId id) override { trace.push_back("itemData channel " + std::to_string(id)); }
    void startDropFolderWatch(tallomer::ZEVSpaceController&) override { add("dropFolderWatch"); }
    void ouvrirEntityWithInt(KELId id) override { add("ouvrir " + std::to_string(id)); }
    void setActifCurseurColorSiNow(bool now) override { add(now ? "colour Now" : "colour Search"); }
    void menuAction(tallomer::ZEVSpaceMenuAction a) override { add("menu " + std::to_string(int(a))); }
    void closeProgressPanel() override { add("closeProgressPanel"); }
    void showWelcome() override { add("welcome"); }
    void userQuit() override { add("userQuit"); }

    bool firstTime = false;
    FakeFront* front = nullptr; // owned by the controller
    tallomer::ZEVRulerClass* rulerClass = nullptr;   // owned by the controller
    tallomer::ZEVRulerViewer* rulerViewer = nullptr; // owned by the controller
    // The parts of the ruler viewer; the stand-ins when unset.
    std::function<std::unique_ptr<tallomer::ZEVRulerParts>()> rulerParts;

private:
    QString store_;
    tallomer::UserDefaultsController& defaults_;
};

class Space : public ::testing::Test {
protected:
    static constexpr double kStart = 800000000.0;

    void SetUp() override
    {
        path = storetest::copyTemplate();
        KELChercheurDe::setDatabasePath(path);
        tallomer::Clock::setShared(&clock);
        tallomer::Scheduler::setShared(&sched);
        KELServeurDeLiens::initialize();
        for (const char* name : {"ZEVChannelViewer", "ZEVLinkViewer", "ZEVIconViewer", "ZEVFileViewer",
                                 "ZEVPersonViewer", "ZEVBackViewer"}) {
            std::string n = name;
            tallomer::ZEVEntityViewerClasses::ajouter(n, [this, n](tallomer::ZEVSpaceController&, KELId entity) {
                trace.push_back("creer " + n + " " + std::to_string(entity));
                return std::make_unique<FakeViewer>(trace, n, entity);
            });
        }
        timeline = KELDemarrage::ReveillerLesModelsEtLancer(kel::kCurseurTimeline);
        sched.runUntilIdle();
        sched.advance(0.5);
    }

    void TearDown() override
    {
        space.reset();
        tallomer::ZEVEntityViewerClasses::reset();
        KELServeurDeLiens::reset();
        tallomer::Scheduler::setShared(nullptr);
        tallomer::Clock::setShared(nullptr);
    }

    void build()
    {
        space = tallomer::ZEVSpaceController::initSpaceControllerWithSpaceInt(tallomer::KELOBJECT_CHANNEL_VIEWER_ROOT,
                                                                             host, timeline);
        ASSERT_NE(space, nullptr);
    }

    Trace take() { return std::exchange(trace, {}); }

    // Lets the window's events arrive and its moves and resizes settle, twice: a correction of
    // the size settles in turn.
    void settle()
    {
        for (int i = 0; i < 2; ++i) {
            QCoreApplication::processEvents();
            sched.advance(0.3);
        }
        QCoreApplication::processEvents();
    }

    tallomer::ManualScheduler sched{kStart};
    SchedulerClock clock{sched};
    std::string path;
    QString store = QString::fromStdString(tallomer::test::makeTempDir("space"));
    Trace trace;
    tallomer::UserDefaults userDefaults{store + "/defaults.conf"};
    tallomer::UserDefaultsController defaultsController{userDefaults};
    FakeHost host{trace, store, defaultsController};
    KELICurseur* timeline = nullptr;
    std::unique_ptr<tallomer::ZEVSpaceController> space;
};

} // namespace spacetest
