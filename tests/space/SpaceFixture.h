#pragma once
// A Space on a fresh copy of the template link base, with a virtual clock, user defaults in a
// file of the test's own and stand-ins for the desks, inspectors and front layer that write what
// they are told into one trace.

#include "engine/KELDemarrage.h"
#include "engine/KELICurseur.h"
#include "engine/KELModels.h"
#include "engine/KELServeurDeLiens.h"
#include "engine/runtime/Clock.h"
#include "engine/runtime/Scheduler.h"
#include "engine/runtime/SchedulerClock.h"
#include "platform/UserDefaults.h"
#include "space/ZEVConstants.h"
#include "space/ZEVSpaceController.h"
#include "tests/engine/StoreFixtures.h"
#include "tests/support/TestHome.h"

#include <QGraphicsScene>

#include <gtest/gtest.h>

#include <memory>
#include <string>
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

class FakeDesk final : public tallomer::ZEVCursorDesk {
public:
    FakeDesk(Trace& trace, std::string name, bool firstTime) : trace_(trace), name_(std::move(name)), firstTime_(firstTime) {}
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
    void add(const std::string& what) { trace_.push_back(name_ + " desk " + what); }
    Trace& trace_;
    std::string name_;
    bool firstTime_;
};

class FakeViewer final : public tallomer::ZEVEntityViewer {
public:
    FakeViewer(Trace& trace, std::string name, KELId entity) : ZEVEntityViewer(entity), trace_(trace), name_(std::move(name)) {}
    void channelDidChangeWithIdentityInt(KELId id) override { trace_.push_back(name_ + " channel " + std::to_string(id)); }
    void actifCurseurDidChange() override { trace_.push_back(name_ + " actifCurseurDidChange"); }

private:
    Trace& trace_;
    std::string name_;
};

class FakeFront final : public tallomer::ZEVFrontViewerServices {
public:
    explicit FakeFront(Trace& trace) : trace_(trace) {}
    int frontMode() override { return mode; }
    void channelDidChangeWithIdentityInt(KELId id) override { trace_.push_back("front channel " + std::to_string(id)); }
    void selectionDidChange() override { trace_.push_back("front selectionDidChange"); }
    void actifCurseurDidChangeForCurseur(KELICurseur* c) override { trace_.push_back("front actif " + nomDuCurseur(c)); }
    void userRecallNow() override { trace_.push_back("front userRecallNow"); }
    void userStepBack() override { trace_.push_back("front userStepBack"); }
    void userReleaseNow() override { trace_.push_back("front userReleaseNow"); }
    int mode = 0;

private:
    Trace& trace_;
};

class FakeHost final : public tallomer::ZEVSpaceHost {
public:
    FakeHost(Trace& trace, const QString& store, tallomer::UserDefaultsController& defaults)
        : trace_(trace), store_(store), defaults_(defaults)
    {
    }
    void referencerSpaceController(tallomer::ZEVSpaceController*) override { trace_.push_back("host referencer"); }
    QString storeFolder() override { return store_; }
    tallomer::UserDefaultsController& defaults() override { return defaults_; }
    QRectF mainScreenFrame() override { return QRectF(0, 0, 1920, 1200); }
    std::unique_ptr<tallomer::ZEVCursorDesk> creerDesk(KELICurseur* c, tallomer::ZEVSpaceController&) override
    {
        const std::string name = nomDuCurseur(c);
        trace_.push_back("host creerDesk " + name);
        return std::make_unique<FakeDesk>(trace_, name, firstTime && name == "Now");
    }
    std::unique_ptr<tallomer::ZEVFrontViewerServices> creerFrontViewer(tallomer::ZEVSpaceController&) override
    {
        trace_.push_back("host creerFrontViewer");
        auto f = std::make_unique<FakeFront>(trace_);
        front = f.get();
        return f;
    }
    void referencerItemDataSpace(tallomer::ZEVSpaceController*) override { trace_.push_back("host itemDataSpace"); }
    void setCurrentChannelInt(KELId id) override { trace_.push_back("itemData channel " + std::to_string(id)); }
    void startDropFolderWatch(tallomer::ZEVSpaceController&) override { trace_.push_back("host dropFolderWatch"); }
    void ouvrirEntityWithInt(KELId id) override { trace_.push_back("host ouvrir " + std::to_string(id)); }
    void setActifCurseurColorSiNow(bool now) override { trace_.push_back(now ? "host colour Now" : "host colour Search"); }
    void menuAction(tallomer::ZEVSpaceMenuAction a) override { trace_.push_back("host menu " + std::to_string(int(a))); }
    void closeProgressPanel() override { trace_.push_back("host closeProgressPanel"); }
    void showWelcome() override { trace_.push_back("host welcome"); }

    bool firstTime = false;
    FakeFront* front = nullptr; // owned by the controller

private:
    Trace& trace_;
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
        store = QString::fromStdString(tallomer::test::makeTempDir("space"));
        userDefaults = std::make_unique<tallomer::UserDefaults>(store + "/defaults.conf");
        defaultsController = std::make_unique<tallomer::UserDefaultsController>(*userDefaults);
        host = std::make_unique<FakeHost>(trace, store, *defaultsController);
        registerViewers();
        startUp();
    }

    void TearDown() override
    {
        space.reset();
        tallomer::ZEVEntityViewerClasses::reset();
        KELServeurDeLiens::reset();
        tallomer::Scheduler::setShared(nullptr);
        tallomer::Clock::setShared(nullptr);
    }

    void registerViewers()
    {
        for (const char* name : {"ZEVChannelViewer", "ZEVLinkViewer", "ZEVIconViewer", "ZEVFileViewer",
                                 "ZEVPersonViewer", "ZEVBackViewer"}) {
            std::string n = name;
            tallomer::ZEVEntityViewerClasses::ajouter(n, [this, n](tallomer::ZEVSpaceController&, KELId entity) {
                trace.push_back("creer " + n + " " + std::to_string(entity));
                return std::make_unique<FakeViewer>(trace, n, entity);
            });
        }
    }

    // The link base's start: models, cursor and context elements, then the timeline cursor.
    void startUp()
    {
        timeline = KELDemarrage::ReveillerLesModelsEtLancer(kel::kCurseurTimeline);
        sched.runUntilIdle();
        sched.advance(0.5);
    }

    void build()
    {
        space = tallomer::ZEVSpaceController::initSpaceControllerWithSpaceInt(tallomer::KELOBJECT_CHANNEL_VIEWER_ROOT,
                                                                             *host, timeline);
        ASSERT_NE(space, nullptr);
    }

    Trace take()
    {
        Trace t = std::move(trace);
        trace.clear();
        return t;
    }

    tallomer::ManualScheduler sched{kStart};
    SchedulerClock clock{sched};
    std::string path;
    QString store;
    Trace trace;
    std::unique_ptr<tallomer::UserDefaults> userDefaults;
    std::unique_ptr<tallomer::UserDefaultsController> defaultsController;
    std::unique_ptr<FakeHost> host;
    KELICurseur* timeline = nullptr;
    std::unique_ptr<tallomer::ZEVSpaceController> space;
};

} // namespace spacetest
