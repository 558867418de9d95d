#pragma once
// A Space on a fresh copy of the template link base, with a virtual clock, user defaults in a
// file of the test's own and stand-ins for the desks, inspectors and front layer that write what
// they are told into one trace.

#include "tests/support/NullFrontViewer.h"
#include "engine/KELDemarrage.h"
#include "engine/KELICurseur.h"
#include "engine/KELModels.h"
#include "engine/KELServeurDeLiens.h"
#include "services/ZEVInspectorServices.h"
#include "runtime/SchedulerClock.h"
#include "platform/UserDefaults.h"
#include "ruler/ZEVMarkHistoryViewer.h"
#include "ruler/ZEVRulerClass.h"
#include "ruler/ZEVRulerViewer.h"
#include "space/ZEVConstants.h"
#include "space/ZEVSpaceClass.h"
#include "space/ZEVSpaceController.h"
#include "space/ZEVSpaceWindow.h"
#include "tests/engine/StoreFixtures.h"
#include "tests/support/NullServices.h"
#include "tests/support/TestHome.h"

#include <QCoreApplication>
#include <QGraphicsScene>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace spacetest {

using Trace = std::vector<std::string>;

// How many times a line was written into a trace.
inline std::size_t count(const Trace& t, const std::string& line)
{
    return std::size_t(std::count(t.begin(), t.end(), line));
}

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
    std::string currentBackImageItemName() override { return backName; }
    KELI* currentBackItem() override { return backItem; }
    KELI* currentBackImageItem() override { return backItem ? backImage : nullptr; }
    // The filters, once a test asks to see them.
    void ajouteFilterForItem(KELI* o) override { filtre("ajoute " + std::to_string(o->idInt())); }
    void enleveFilterForItem(KELI* o) override { filtre("enleve " + std::to_string(o->idInt())); }
    void enleveFilterForAllItems() override { filtre("enleveTout"); }
    void displayDeskView() override { filtre("display"); }
    QGraphicsScene scene;
    std::string backName = "Wallpaper";
    KELI* backItem = nullptr; // the background link the desk shows, when a test sets one
    KELI* backImage = nullptr;
    bool traceFilters = false;

private:
    void filtre(const std::string& what)
    {
        if (traceFilters)
            add(what);
    }
    bool firstTime_;
};

class FakeViewer : public tallomer::ZEVEntityViewer, protected Tracing {
public:
    FakeViewer(Trace& t, const std::string& name, KELId entity) : ZEVEntityViewer(entity), Tracing{t, name} {}
    void channelDidChangeWithIdentityInt(KELId id) override { add("channel " + std::to_string(id)); }
    void actifCurseurDidChange() override { add("actifCurseurDidChange"); }
    void updateInspectView() override {}
    void frontModeDidChange() override {}
    void itemSelectionDidChange() override {}
    void displayInspectView() override {}
    bool siFirstResponder() const override { return false; }
    void setFirstResponder() override {}
    void userDeselect() override {}
    void updateMenuMacForMode(int) override {}
    void updateMenuObject(QMenu*) override {}
    void updateMenuEdit(QMenu*) override {}
    void terminerDeplacementCurseur() override {}
    void headerViewsHeightDidChange(double) override {}
};

// The Channels inspector's model, as far as the Space asks: the listed Channels (the home one by
// default), the names, and what is selected, into the trace.
class FakeChannels final : public tallomer::ZEVChannelClassServices, Tracing {
public:
    FakeChannels(tallomer::ZEVSpaceController& s, Trace& t) : Tracing{t, "channels"}, space_(s) {}
    std::vector<KELI*> timeLineItems() override
    {
        std::vector<KELI*> out;
        for (KELId id : listed)
            out.push_back(KELServeurDeLiens::LienForInt(id, space_.tlCurseur()));
        return out;
    }
    KELI* currentChannel() override { return space_.channelForIdentityInt(space_.currentChannelInt()); }
    std::optional<std::string> nameOfCurrentChannel() override { return std::string("Home"); }
    std::string nameOfChannel(KELI*) override { return "Home"; }
    bool selectChannel(KELI* c) override
    {
        add("select " + std::to_string(c->idInt()));
        if (space_.currentChannelInt() != c->idInt())
            space_.updateChannelWithIdentityInt(c->idInt());
        return true;
    }
    void selectChannelInt(KELId id) override { add("selectInt " + std::to_string(id)); }
    // Once a test has made backgrounds, read from the link base at the cursor's date: the
    // Channel's listing and its background image.
    bool siChannelActif(KELI* c, KELICurseur* k) override
    {
        return !fromLinks ||
               (c && k &&
                KELServeurDeLiens::LienIntForParentInt(tallomer::KELOBJECT_CHANNEL_VIEWER_ROOT, c->idInt(),
                                                       tallomer::KELRELATION_CHANNEL_VIEWER, k->now()));
    }
    KELI* backItemForChannel(KELI* c, KELICurseur* k) override
    {
        if (!fromLinks || !c || !k)
            return nullptr;
        const KELIds ids =
            KELServeurDeLiens::EnfantsNumForParentInt(c->idInt(), tallomer::KELRELATION_IDENTITY_BACK_ITEM, k->now());
        return ids ? KELServeurDeLiens::LienForInt(ids->front(), k) : nullptr;
    }
    std::vector<KELId> listed{tallomer::KELOBJECT_HOME_CHANNEL};
    bool fromLinks = false;

private:
    tallomer::ZEVSpaceController& space_;
};

class FakeChannelViewer final : public FakeViewer, public tallomer::ZEVChannelViewerServices {
public:
    FakeChannelViewer(tallomer::ZEVSpaceController& s, Trace& t, KELId entity)
        : FakeViewer(t, "ZEVChannelViewer", entity), model(s, t), space_(s)
    {
    }
    tallomer::ZEVChannelClassServices* channelClass() override { return &model; }
    std::optional<tallomer::ZEVChannelPanelSpan> channelViewIfOpen() override { return panel; }
    bool spaceBrowsing() override { return browsing; }
    void setSpaceBrowsing(bool) override {}
    void setChannelBrowsing(bool) override {}
    bool userChannelAddWihImageURL(const QString&, const std::optional<QString>&, const QString&, KELI*,
                                   long) override
    {
        return false;
    }
    bool userSpaceAddWihImageURL(const QString&, const QString&, KELI*, long) override { return false; }
    void setGotoOff() override {}
    void selectionHome() override {}
    void majInspectViewCommonModes() override {}
    // The Space's own steps stand for the list's rows.
    void menuChannelUp() override { space_.pasDeChannel(-1); }
    void menuChannelDown() override { space_.pasDeChannel(1); }
    void selectionPreviousSpace(bool now) override { add(now ? "previous Now" : "previous"); }
    void selectionNextSpace(bool now) override { add(now ? "next Now" : "next"); }
    void selectionPreviousObject(bool now) override { add(now ? "previous Object Now" : "previous Object"); }
    void selectionNextObject(bool now) override { add(now ? "next Object Now" : "next Object"); }
    void userWillCleanAndReplace() override { add("light on"); }
    void userDidCleanAndReplace() override { add("light off"); }
    bool siCleanAndReplaceLit() override { return false; }
    bool menuInspectCancelRename() override { return false; }
    FakeChannels model;
    std::optional<tallomer::ZEVChannelPanelSpan> panel;
    bool browsing = false;

private:
    tallomer::ZEVSpaceController& space_;
};

class FakeFront final : public tallomer::test::NullFrontViewer, Tracing {
public:
    explicit FakeFront(Trace& t) : Tracing{t, "front"} {}
    int frontMode() override { return mode; }
    bool isUserChangingFlag() override { return quasimode; }
    void channelDidChangeWithIdentityInt(KELId id) override { add("channel " + std::to_string(id)); }
    void selectionDidChange() override { add("selectionDidChange"); }
    void actifCurseurDidChangeForCurseur(KELICurseur* c) override { add("actif " + nomDuCurseur(c)); }
    void userRecallNow() override { add("userRecallNow"); }
    void userStepBack() override { add("userStepBack"); }
    void userReleaseNow() override { add("userReleaseNow"); }
    void userSpaceCleanAndReplace() override { add("userSpaceCleanAndReplace"); }
    void newSpaceWithBackground(std::function<bool(NewBackground&)>, std::function<void(bool)>) override
    {
        add("newSpaceWithBackground");
    }
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
    void userGoHome() override { add("userGoHome"); }
    void setGotoOff() override { add("setGotoOff"); }
    // What the pointer limit, the go-to steps and the title ask.
    void mouseLimitInside() override { add("mouseLimitInside"); }
    void mouseLimitOutside() override { add("mouseLimitOutside"); }
    void closeAllHeaderViews() override { add("closeAllHeaderViews"); }
    void activateTallomerStart() override { add("activateTallomerStart"); }
    bool siCurseurAtHome() override { return atHome; }
    bool siGoToPanelVisible() override { return goToPanel; }
    void majGoToDurationButtons() override { add("majGoToDurationButtons"); }
    void selectionPreviousSpace(bool now) override { add(now ? "previous Now" : "previous"); }
    void selectionNextSpace(bool now) override { add(now ? "next Now" : "next"); }
    void setSiShowCadre(bool shown) override { add(shown ? "cadre on" : "cadre off"); }
    int mode = 0;
    bool quasimode = false;
    bool headerViewsOpen = false;
    bool atHome = false;
    bool goToPanel = false;
};

// The real history, which writes each recorded place's lookup into the trace.
class TracingHistory final : public tallomer::ZEVMarkHistoryServices {
public:
    TracingHistory(Trace& t, tallomer::ZEVSpaceController& space) : trace_(t), history(space) {}
    tallomer::ZEVMarkObject* markObjectForZevpString(const QString& s) override
    {
        trace_.push_back("history mark");
        return history.markObjectForZevpString(s);
    }
    void selectMarkObject(tallomer::ZEVMarkObject* m) override { history.selectMarkObject(m); }
    void addMarkObject(std::unique_ptr<tallomer::ZEVMarkObject> m, const QString& k) override
    {
        history.addMarkObject(std::move(m), k);
    }
    std::vector<tallomer::ZEVMarkObject*> markObjects() override { return history.markObjects(); }
    void deleteHistory() override { history.deleteHistory(); }
    void previousHistory() override { history.previousHistory(); }
    void previous() override { history.previous(); }
    void next() override { history.next(); }

private:
    Trace& trace_;

public:
    tallomer::ZEVMarkHistoryViewer history;
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
        if (wrapRuler)
            return wrapRuler(std::move(v));
        return v;
    }
    std::unique_ptr<tallomer::ZEVMarkHistoryServices> creerMarkHistoryViewer(tallomer::ZEVSpaceController& s) override
    {
        auto h = std::make_unique<TracingHistory>(trace, s);
        history = h.get();
        return h;
    }
    std::unique_ptr<tallomer::ZEVFrontViewerServices> creerFrontViewer(tallomer::ZEVSpaceController& s) override
    {
        add("creerFrontViewer");
        if (makeFront)
            return makeFront(s);
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
    void spaceWindowWillShow(tallomer::ZEVSpaceController& s) override
    {
        add(std::string("windowWillShow ") + (s.spaceWindow()->isVisible() ? "shown" : "hidden"));
    }
    void showWelcome() override { add("welcome"); }
    void userQuit() override { add("userQuit"); }

    bool firstTime = false;
    FakeFront* front = nullptr; // owned by the controller
    TracingHistory* history = nullptr; // owned by the controller
    tallomer::ZEVRulerClass* rulerClass = nullptr;   // owned by the controller
    tallomer::ZEVRulerViewer* rulerViewer = nullptr; // owned by the controller
    // The parts of the ruler viewer; the stand-ins when unset.
    std::function<std::unique_ptr<tallomer::ZEVRulerParts>()> rulerParts;
    // The front layer tests put the real front viewer here, and a ruler viewer that watches the
    // real one.
    std::function<std::unique_ptr<tallomer::ZEVFrontViewerServices>(tallomer::ZEVSpaceController&)> makeFront;
    std::function<std::unique_ptr<tallomer::ZEVRulerViewerServices>(std::unique_ptr<tallomer::ZEVRulerViewer>)>
        wrapRuler;

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
            tallomer::ZEVEntityViewerClasses::ajouter(n, [this, n](tallomer::ZEVSpaceController& s, KELId entity) {
                trace.push_back("creer " + n + " " + std::to_string(entity));
                if (n == "ZEVChannelViewer") {
                    auto v = std::make_unique<FakeChannelViewer>(s, trace, entity);
                    channels = &v->model;
                    channelViewer = v.get();
                    return std::unique_ptr<tallomer::ZEVEntityViewer>(std::move(v));
                }
                return std::unique_ptr<tallomer::ZEVEntityViewer>(std::make_unique<FakeViewer>(trace, n, entity));
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
    FakeChannels* channels = nullptr; // owned by the Space's Channels viewer
    FakeChannelViewer* channelViewer = nullptr; // the same
    std::unique_ptr<tallomer::ZEVSpaceController> space;
};

} // namespace spacetest
