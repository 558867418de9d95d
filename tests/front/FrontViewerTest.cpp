// The front viewer and the front view on a real Space (fresh link base, virtual clock, stand-in
// desks): the quasimodes, the status texts, the refresh notices, the press router on the virtual
// clock, the keys' order, the front area and the strip that follows drags.

#include "front/ZEVFrontSelectionView.h"
#include "front/ZEVFrontView.h"
#include "front/ZEVFrontViewer.h"
#include "inspectors/base/ZEVInspectView.h"
#include "inspectors/base/ZEVInspectViewer.h"
#include "space/ZEVSelections.h"
#include "tests/space/SpaceFixture.h"
#include "widgets/ZEVButton.h"

#include <QCursor>
#include <QDragEnterEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QMouseEvent>

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace tallomer;
using spacetest::Trace;

// The header views: a fixed height over the canvas, and a time line that takes the arrow keys.
class FakeHeaders final : public ZEVFrontHeaderViews {
public:
    explicit FakeHeaders(Trace& t) : trace(t) {}
    QWidget* timebarWidget() override { return nullptr; }
    QWidget* tlineWidget() override { return nullptr; }
    UserDefaultsController* defaults() override { return nullptr; }
    void menuHomeTime() override {}
    void userGoHome() override {}
    bool siCurseurAtHome() override { return false; }
    void clearGoingToHome() override {}
    void menuNowCurseur() override { trace.push_back("bar menuNowCurseur"); }
    void tlineKeyDown(QKeyEvent* e) override
    {
        trace.push_back("tline down " + std::to_string(e->key()));
        if (e->key() == Qt::Key_Left)
            e->accept();
        else
            e->ignore();
    }
    void tlineKeyUp(QKeyEvent* e) override { e->ignore(); }
    void tlineWheel(QWheelEvent*) override {}
    void menuHomeTimeWithDuration(float) override {}
    void userShowRulerPickerPanel(bool) override {}
    bool siShowRulerPickerPanel() override { return false; }
    bool stateOfRulerButton() override { return false; }
    void menuSearchCurseur() override { trace.push_back("bar menuSearchCurseur"); }
    bool siPresetJustEdited() override { return false; }
    bool siGoingToHome() override { return false; }
    Trace& trace;
};

// The real ruler viewer, watched where a press on the desk drives it; the strip's geometry is
// the test's.
class WatchedRuler final : public ZEVRulerViewerServices {
public:
    WatchedRuler(std::unique_ptr<ZEVRulerViewer> r, Trace& t) : real(std::move(r)), trace(t) {}
    void referencerFrontViewer(ZEVFrontViewerServices* f) override { real->referencerFrontViewer(f); }
    bool userChangeActifCurseur(KELICurseur* c) override
    {
        trace.push_back("ruler actif " + spacetest::nomDuCurseur(c));
        return real->userChangeActifCurseur(c);
    }
    void actifCurseurDidChangeForCurseur(KELICurseur* c) override { real->actifCurseurDidChangeForCurseur(c); }
    bool siAccepteDeplacement() const override { return accepts; }
    bool stateOfBarButton(BarButton) override { return false; }
    bool userInitieDeplacementCurseur() override
    {
        trace.push_back("ruler initie");
        return true;
    }
    void userPlaceCurseurEtRulerOffset(double d) override { real->userPlaceCurseurEtRulerOffset(d); }
    void userTermineDeplacementCurseur() override { trace.push_back("ruler termine"); }
    void scrollWheelWithEvent(QWheelEvent* e) override { real->scrollWheelWithEvent(e); }
    void magnify(QNativeGestureEvent* e) override { real->magnify(e); }
    void draggWithEvent(QMouseEvent*) override { trace.push_back("ruler dragg"); }
    void userPlaceCurseurToDate(KELDate d) override { trace.push_back("ruler date " + std::to_string(long(d))); }
    bool userPlaceRulerOffsetIn(double in, double out) override
    {
        trace.push_back("ruler offset");
        offsetIn = in;
        offsetOut = out;
        return true;
    }
    void displayRuler() override {}
    QRectF tlineViewRect() const override { return QRectF(0, 0, width + 1, 20); }
    ZEVStampServices* stampClass() override { return real->stampClass(); }
    void setClickPositionForDisplay(KELICurseur* c, int code) override
    {
        trace.push_back("ruler click " + spacetest::nomDuCurseur(c) + " " + std::to_string(code));
    }
    void showPresetTitleWithTag(KELId s, float d) override { real->showPresetTitleWithTag(s, d); }
    void setCurseurEnDeplacement(KELICurseur* c) override { real->setCurseurEnDeplacement(c); }
    void userAnimeSearch(float d, KELDate date, double c, double ri, double ro) override
    {
        real->userAnimeSearch(d, date, c, ri, ro);
    }
    void userAnimeRuler(float d, double ri, double ro) override { real->userAnimeRuler(d, ri, ro); }
    void userPlaceContexteInToZero() override { trace.push_back("ruler in zero"); }
    void userPlaceContexteOutToZero() override { trace.push_back("ruler out zero"); }
    double tlineSpan() const override { return span; }
    double tlineWidth() const override { return width; }
    // A strip from `origin` spanning `span` seconds over `width` points.
    KELDate dateForTlinePoint(double x) const override { return origin + x / width * span; }

    std::unique_ptr<ZEVRulerViewer> real;
    Trace& trace;
    bool accepts = true;
    double offsetIn = 0, offsetOut = 0;
    double width = 999;
    double span = 1000;
    KELDate origin = 0;
};

// An inspector that writes the front layer's notices into the trace.
class Inspector final : public ZEVEntityViewer {
public:
    Inspector(Trace& t, KELId entity) : ZEVEntityViewer(entity), trace(t) {}
    void channelDidChangeWithIdentityInt(KELId) override {}
    void actifCurseurDidChange() override {}
    void updateInspectView() override {}
    void updateMenuObject(QMenu*) override {}
    void updateMenuEdit(QMenu*) override {}
    void headerViewsHeightDidChange(double) override {}
    void frontModeDidChange() override { trace.push_back("inspector frontModeDidChange"); }
    void itemSelectionDidChange() override { trace.push_back("inspector itemSelectionDidChange"); }
    void displayInspectView() override { ++displays; }
    bool siFirstResponder() const override { return focused; }
    void setFirstResponder() override { trace.push_back("inspector setFirstResponder"); }
    void userDeselect() override { trace.push_back("inspector userDeselect"); }
    void updateMenuMacForMode(int mode) override
    {
        trace.push_back("inspector " + std::to_string(entityInt()) + " menus " + std::to_string(mode));
    }
    void terminerDeplacementCurseur() override { trace.push_back("inspector terminer"); }
    Trace& trace;
    int displays = 0;
    bool focused = false;
};

class Front : public spacetest::Space {
protected:
    void SetUp() override
    {
        Space::SetUp();
        host.makeFront = [this](ZEVSpaceController& s) {
            auto h = std::make_unique<FakeHeaders>(notices);
            headers = h.get();
            auto f = std::make_unique<ZEVFrontViewer>(s, std::move(h));
            front = f.get();
            return std::unique_ptr<ZEVFrontViewerServices>(std::move(f));
        };
        host.wrapRuler = [this](std::unique_ptr<ZEVRulerViewer> r) {
            auto w = std::make_unique<WatchedRuler>(std::move(r), notices);
            ruler = w.get();
            return std::unique_ptr<ZEVRulerViewerServices>(std::move(w));
        };
        // The Space makes its Icons inspector as it opens.
        ZEVEntityViewerClasses::ajouter("ZEVIconViewer", [this](ZEVSpaceController&, KELId entity) {
            if (withoutIcons)
                return std::unique_ptr<ZEVEntityViewer>();
            auto v = std::make_unique<Inspector>(notices, entity);
            inspector_ = v.get();
            return std::unique_ptr<ZEVEntityViewer>(std::move(v));
        });
        build();
        space->spaceWindow()->resize(1000, 700);
        settle();
        notices.clear();
    }

    // Some Objects of the link base to select (the fixed ones are enough).
    std::vector<KELI*> objects(int n)
    {
        std::vector<KELI*> out;
        for (KELId id = 2000018; int(out.size()) < n; ++id)
            if (KELI* o = KELServeurDeLiens::LienForInt(id, space->tlCurseur()))
                out.push_back(o);
        return out;
    }
    Inspector& inspector()
    {
        EXPECT_NE(inspector_, nullptr) << "the Space made no Icons inspector";
        return *inspector_;
    }
    void flag(int key, Qt::KeyboardModifiers held) { front->userChangeFlag(key, held); }
    QWidget* viewport() const { return space->spaceWindow()->spaceView()->deskCanvas()->viewport(); }
    bool send(QEvent::Type type, QPointF at, Qt::MouseButton button = Qt::LeftButton, Qt::KeyboardModifiers mods = {})
    {
        const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
        QMouseEvent e(type, at, viewport()->mapToGlobal(at), type == QEvent::MouseMove ? Qt::NoButton : button, held,
                      mods);
        return front->frontViewImpl()->canvasEvent(&e);
    }
    // The inspectors' notices but the main menu's refreshes.
    Trace told() const
    {
        Trace out;
        for (const std::string& n : notices)
            if (n.find(" menus ") == std::string::npos)
                out.push_back(n);
        return out;
    }
    std::vector<std::string> rulerCalls() const
    {
        std::vector<std::string> out;
        for (const std::string& n : notices)
            if (n.rfind("ruler", 0) == 0)
                out.push_back(n);
        return out;
    }

    Trace notices;
    ZEVFrontViewer* front = nullptr;
    FakeHeaders* headers = nullptr;
    WatchedRuler* ruler = nullptr;
    Inspector* inspector_ = nullptr;
    // The Space makes no Icons inspector.
    bool withoutIcons = false;
};

class FrontWithoutInspectors : public Front {
protected:
    void SetUp() override
    {
        withoutIcons = true;
        Front::SetUp();
    }
};

// ---- quasimodes ----

TEST_F(Front, AltDuringShiftChangesNothingAndShiftsReleaseRestoresTheModeBeforeIt)
{
    front->menuModeFilter();
    flag(Qt::Key_Shift, Qt::ShiftModifier);
    EXPECT_EQ(front->frontMode(), ZEVFrontModeIcons);
    EXPECT_EQ(front->modeButtonState(ZEVFrontModeFilters), -1);
    EXPECT_TRUE(front->siAvoidGraphicalLarsen());
    flag(Qt::Key_Alt, Qt::ShiftModifier | Qt::AltModifier);
    EXPECT_EQ(front->frontMode(), ZEVFrontModeIcons);
    flag(Qt::Key_Shift, Qt::AltModifier);
    EXPECT_EQ(front->frontMode(), ZEVFrontModeFilters);
    EXPECT_FALSE(front->isUserChangingFlag());
    EXPECT_EQ(front->previousFrontMode(), ZEVFrontModeNone);
    // Alt's release belongs to no quasimode.
    flag(Qt::Key_Alt, {});
    EXPECT_EQ(front->frontMode(), ZEVFrontModeFilters);
    EXPECT_EQ(front->modeButtonState(ZEVFrontModeFilters), 1);
}

TEST_F(Front, SwitchingAppsEndsTheQuasimodeAtOnceAndLetsTheInspectorsHearAgain)
{
    Inspector& i = inspector();
    flag(Qt::Key_Alt, Qt::AltModifier);
    ASSERT_EQ(front->frontMode(), ZEVFrontModeFilters);
    front->userWillSwitchApp();
    EXPECT_EQ(front->frontMode(), ZEVFrontModeIcons);
    EXPECT_FALSE(front->isUserChangingFlag());
    EXPECT_FALSE(front->siAvoidGraphicalLarsen());
    flag(Qt::Key_Alt, {});
    EXPECT_EQ(front->frontMode(), ZEVFrontModeIcons);
    notices.clear();
    space->selections().selectIconForItemSet(objects(1), nullptr);
    EXPECT_NE(std::find(notices.begin(), notices.end(), "inspector itemSelectionDidChange"), notices.end());
    (void)i;
}

TEST_F(Front, NoQuasimodeStartsDuringALassoNorForTheModeInForce)
{
    front->lassoDidStart();
    flag(Qt::Key_Alt, Qt::AltModifier);
    EXPECT_EQ(front->frontMode(), ZEVFrontModeIcons);
    EXPECT_FALSE(front->isUserChangingFlag());
    front->lassoDidStop();
    flag(Qt::Key_Alt, {});
    // Shift in Icon mode lends nothing.
    flag(Qt::Key_Shift, Qt::ShiftModifier);
    EXPECT_FALSE(front->isUserChangingFlag());
}

TEST_F(Front, TwoShiftPressesWithinAFifthOfASecondOpenTheChannelsOnceAndAThirdDoesNot)
{
    auto opened = [&] {
        return std::count(trace.begin(), trace.end(), std::string("host ouvrir 2000194"));
    };
    trace.clear();
    for (int i = 0; i < 3; ++i) {
        flag(Qt::Key_Shift, Qt::ShiftModifier);
        flag(Qt::Key_Shift, {});
        sched.advance(0.1);
    }
    EXPECT_EQ(opened(), 1);
    // Presses 0.25 s apart are no double press.
    sched.advance(1.0);
    flag(Qt::Key_Shift, Qt::ShiftModifier);
    sched.advance(0.25);
    flag(Qt::Key_Shift, Qt::ShiftModifier);
    EXPECT_EQ(opened(), 1);
    // Shift held for another key (Shift+Right, Shift+Right selecting text) is no tap.
    sched.advance(1.0);
    flag(Qt::Key_Shift, Qt::ShiftModifier);
    front->userTypedKey();
    flag(Qt::Key_Shift, {});
    flag(Qt::Key_Shift, Qt::ShiftModifier);
    EXPECT_EQ(opened(), 1);
}

TEST_F(Front, AQuasimodeWhoseKeyIsNoLongerHeldEndsWhenTheFlagsAreReadAgain)
{
    front->menuModeLink();
    flag(Qt::Key_Shift, Qt::ShiftModifier);
    front->userRereadFlags(Qt::ShiftModifier);
    EXPECT_EQ(front->frontMode(), ZEVFrontModeIcons) << "still held";
    front->userRereadFlags({});
    EXPECT_EQ(front->frontMode(), ZEVFrontModeLinks);
    EXPECT_FALSE(front->siAvoidGraphicalLarsen());
}

// ---- status texts ----

TEST_F(Front, StatusTextsCountEachModesSelection)
{
    ZEVSelections& s = space->selections();
    EXPECT_EQ(front->nameForFrontMode(0), "0 Icon selected");
    s.selectIconForItemSet(objects(1), nullptr);
    EXPECT_EQ(front->nameForFrontMode(0), "1 Icon selected");
    s.selectIconForItemSet(objects(2), nullptr);
    EXPECT_EQ(front->nameForFrontMode(0), "2 Icons selected");
    EXPECT_EQ(front->shortNameForFrontMode(0), "2");
    s.selectTitleForItemSet(objects(3), nullptr);
    EXPECT_EQ(front->nameForFrontMode(1), "3 Titles selected");
    s.selectFilterForItems(objects(1));
    EXPECT_EQ(front->nameForFrontMode(2), "1 Object filtered");
    EXPECT_EQ(front->nameForFrontMode(3), "0 Link selected / 0 Node");
    EXPECT_EQ(front->shortNameForFrontMode(3), "0 / 0");
    EXPECT_EQ(front->nameForFrontMode(4), QString());
    EXPECT_EQ(front->shortNameForFrontMode(4), "0");
}

// ---- refresh notices ----

TEST_F(Front, AModeSwitchTellsTheInspectorsOnceThatTheModeChangedThenSelectionsAsSuch)
{
    Inspector& i = inspector();
    notices.clear();
    front->menuModeTitle();
    EXPECT_EQ(std::count(notices.begin(), notices.end(), "inspector frontModeDidChange"), 1);
    EXPECT_EQ(std::count(notices.begin(), notices.end(), "inspector itemSelectionDidChange"), 0);
    notices.clear();
    space->selections().selectTitleForItemSet(objects(2), nullptr);
    EXPECT_EQ(told(), Trace{"inspector itemSelectionDidChange"});
    EXPECT_GT(i.displays, 0) << "every panel redraws";
    // Another mode's selection is counted but not told.
    notices.clear();
    space->selections().selectIconForItemSet(objects(1), nullptr);
    EXPECT_TRUE(told().empty());
    EXPECT_EQ(front->nbOfIcons(), 1);
    // During a quasimode nothing is told but the mode changes.
    flag(Qt::Key_Shift, Qt::ShiftModifier);
    notices.clear();
    space->selections().selectIconForItemSet(objects(2), nullptr);
    EXPECT_TRUE(told().empty());
    EXPECT_EQ(front->nbOfIcons(), 2);
}

TEST_F(Front, AFocusChangeRefreshesTheMenusOnceOnTheNextTurnForTheFocusedInspectorElseTheIcons)
{
    Inspector& icons = inspector();
    ZEVEntityViewerClasses::ajouter("ZEVFileViewer", [this](ZEVSpaceController&, KELId entity) {
        return std::unique_ptr<ZEVEntityViewer>(std::make_unique<Inspector>(notices, entity));
    });
    auto* files = dynamic_cast<Inspector*>(space->creerViewerForEntityClassName("ZEVFileViewer", 2000005));
    ASSERT_NE(files, nullptr);
    front->menuModeTitle();
    notices.clear();

    // A loss and a gain in the same turn: one refresh, after the turn, for the one focused now.
    front->entityWillChange();
    files->focused = true;
    front->entityWillChange();
    EXPECT_TRUE(notices.empty()) << "nothing before the next turn";
    sched.advance(0.0);
    EXPECT_EQ(notices, Trace{"inspector 2000005 menus 1"});

    // No inspector focused: the Icons one answers.
    files->focused = false;
    notices.clear();
    front->entityWillChange();
    sched.advance(0.0);
    EXPECT_EQ(notices, Trace{"inspector " + std::to_string(icons.entityInt()) + " menus 1"});
}

TEST_F(Front, TheEndOfACursorMoveReachesTheInspectors)
{
    inspector();
    notices.clear();
    front->terminerDeplacementCurseur();
    EXPECT_EQ(told(), Trace{"inspector terminer"});
}

TEST_F(FrontWithoutInspectors, WithNoInspectorTheItemsThatNeedOneAreDisabledThoseOfTheHandleSubmenuIncluded)
{
    // A bar laid out as the main menu's: menus by tag, Move To and Copy To in the Object menu's
    // Handle submenu, and a tag 21 in another menu that is not Move To.
    auto* bar = new QMenuBar(space->spaceWindow());
    auto menu = [](QMenu* m, int tag) {
        m->menuAction()->setProperty("tag", tag);
        return m;
    };
    auto items = [](QMenu* m, std::vector<long> tags) {
        for (long t : tags)
            m->addAction(QString::number(t))->setProperty("tag", qlonglong(t));
    };
    QMenu* time = menu(bar->addMenu("Time"), 5);
    items(time, {21});
    QMenu* edit = menu(bar->addMenu("Edit"), 3);
    items(edit, {100, 101, 6, 65, 62, 63, 4, 5, 2, 3});
    QMenu* object = menu(bar->addMenu("Object"), 4);
    items(object, {1, 523, 31, 13, 7});
    QMenu* handle = menu(object->addMenu("Handle"), 4333);
    items(handle, {21, 20, 23, 22});
    QMenu* spaces = menu(bar->addMenu("Spaces"), 9);
    items(spaces, {40, 41, 44, 43});
    space->spaceWindow()->setMenuBar(bar);
    const auto tagged = [](QMenu* m, long t) {
        for (QAction* a : m->actions())
            if (a->property("tag").toLongLong() == t)
                return a;
        return static_cast<QAction*>(nullptr);
    };
    ASSERT_EQ(front->menuMacItem(ZEVFrontViewer::MacMoveTo), tagged(handle, 21));
    ASSERT_EQ(front->menuMacItem(ZEVFrontViewer::MacCopyToSpace), tagged(handle, 22));

    // The focus settles with no inspector to ask.
    front->entityWillChange();
    sched.advance(0.0);
    for (QAction* a : handle->actions())
        EXPECT_FALSE(a->isEnabled()) << a->text().toStdString();
    for (long t : {100L, 101L, 6L, 65L, 62L, 63L, 5L, 2L, 3L})
        EXPECT_FALSE(tagged(edit, t)->isEnabled()) << t;
    for (long t : {40L, 41L, 44L, 43L})
        EXPECT_FALSE(tagged(spaces, t)->isEnabled()) << t;
    EXPECT_FALSE(tagged(object, 1)->isEnabled());
    EXPECT_FALSE(tagged(object, 31)->isEnabled());
    EXPECT_TRUE(tagged(object, 13)->isEnabled()) << "Remove stays";
    EXPECT_TRUE(tagged(object, 7)->isEnabled()) << "Filter stays";
    EXPECT_TRUE(tagged(edit, 4)->isEnabled()) << "Recall Search is left as it is";
    EXPECT_TRUE(tagged(object, 523)->isEnabled()) << "Quick Look is left as it is";
    EXPECT_TRUE(tagged(time, 21)->isEnabled()) << "another menu's tag 21 is not Move To";
}

TEST_F(Front, AfterAChannelChangeInFilterModeTheFilterRefreshRuns)
{
    Inspector& i = inspector();
    front->menuModeFilter();
    notices.clear();
    front->selectionDidChange();
    // The inspectors are told, then the main menu follows the mode in force.
    EXPECT_EQ(notices, (Trace{"inspector itemSelectionDidChange", "inspector " + std::to_string(i.entityInt()) + " menus 2"}));
}

TEST_F(Front, TheActiveCursorDecidesTheGoToKind)
{
    space->setGoToTag(1);
    front->actifCurseurDidChangeForCurseur(space->searchCurseur());
    EXPECT_EQ(space->goToTag(), 2);
    space->setGoToTag(4);
    front->actifCurseurDidChangeForCurseur(space->searchCurseur());
    EXPECT_EQ(space->goToTag(), 4);
    front->actifCurseurDidChangeForCurseur(space->nowCurseur());
    EXPECT_EQ(space->goToTag(), 1);
}

// ---- the press router on the virtual clock ----

struct Press {
    const char* what;
    bool searchActive;       // the Search cursor is active when the press starts
    bool searchInRange;      // the Search cursor stands within the strip's range
    double dragAt;           // seconds after the press when the pointer moves (< 0: never)
    double releaseAt;        // seconds after the press when the button comes up
    std::vector<std::string> expected;
};

class Presses : public Front, public ::testing::WithParamInterface<Press> {};

TEST_P(Presses, RouteAsTheTableSays)
{
    const Press& p = GetParam();
    KELICurseur* search = space->searchCurseur();
    if (p.searchActive)
        ruler->real->userChangeActifCurseur(search);
    if (!p.searchInRange) {
        ASSERT_TRUE(ruler->real->userInitieDeplacementCurseur());
        ASSERT_TRUE(ruler->real->userPlaceRulerOffsetIn(1e7, 1e7)) << "the range moves away from Search";
        ruler->real->userTermineDeplacementCurseur();
        ASSERT_LT(search->now(), space->tlContexte()->nowIn());
    }
    // The strip spans 1,000 s over 999 points; the press is at x = 333, whose date is origin + 333.
    const KELDate d = search->now();
    ruler->origin = p.searchInRange ? space->tlContexte()->nowIn() : d + 10000;
    if (p.searchInRange) {
        ASSERT_GE(d, space->tlContexte()->nowIn());
        ASSERT_LE(d, space->tlContexte()->nowOut());
    }
    notices.clear();
    const QPointF at(333, 400);
    EXPECT_FALSE(send(QEvent::MouseButtonPress, at)) << "the press goes on to the desk";
    front->frontViewImpl()->setSiMouseDownInDeskView();
    double t = 0;
    if (p.dragAt >= 0) {
        sched.advance(p.dragAt);
        t = p.dragAt;
        send(QEvent::MouseMove, at + QPointF(10, 0));
    }
    sched.advance(p.releaseAt - t);
    send(QEvent::MouseButtonRelease, at + QPointF(p.dragAt >= 0 ? 10 : 0, 0));
    sched.advance(5);
    std::vector<std::string> expected;
    for (const std::string& e : p.expected) {
        std::string x = e;
        const auto origin = x.find("ORIGIN+333");
        if (origin != std::string::npos)
            x.replace(origin, 10, std::to_string(long(ruler->origin + 333)));
        expected.push_back(x);
    }
    EXPECT_EQ(rulerCalls(), expected) << p.what;
    if (!p.searchInRange) {
        // Both edges move back by the distance from Search to the date under the pointer.
        EXPECT_EQ(ruler->offsetIn, ruler->offsetOut);
        EXPECT_NEAR(-ruler->offsetIn, ruler->origin + 333.0 * 1000 / 999 - d, 2.0);
    }
    EXPECT_FALSE(front->frontViewImpl()->siMouseDownCourt());
    EXPECT_FALSE(front->frontViewImpl()->siMouseDownLong());
}

INSTANTIATE_TEST_SUITE_P(
    Front, Presses,
    ::testing::Values(
        Press{"a click: a step back, no cursor", false, true, -1, 0.3, {}},
        Press{"an early drag draws a lasso", false, true, 0.3, 3.0, {}},
        Press{"0.7 s with Now active hands the desk to Search",
              false,
              true,
              -1,
              1.0,
              {"ruler actif Search", "ruler click Search 4", "ruler initie", "ruler termine"}},
        Press{"Now active, held 2.5 s: Search jumps to the date under the pointer",
              false,
              true,
              -1,
              3.0,
              {"ruler actif Search", "ruler click Search 4", "ruler initie", "ruler date ORIGIN+333", "ruler termine"}},
        Press{"Search active and in range: the cursor follows the pointer; the drag stops the jump",
              true,
              true,
              1.0,
              3.0,
              {"ruler click Search 4", "ruler initie", "ruler dragg", "ruler dragg", "ruler termine"}},
        Press{"Search outside the range: the range shifts under the pointer, no jump",
              true,
              false,
              -1,
              3.0,
              {"ruler click Search 4", "ruler initie", "ruler offset", "ruler termine"}}));

TEST_F(Front, APressWhileTheRulerMovesOrAfterReleaseStartsNothing)
{
    ruler->accepts = false;
    send(QEvent::MouseButtonPress, QPointF(100, 300));
    front->frontViewImpl()->setSiMouseDownInDeskView();
    sched.advance(3);
    send(QEvent::MouseButtonRelease, QPointF(100, 300));
    EXPECT_TRUE(rulerCalls().empty());
    // Released before the timers: they never fire on a press that is gone.
    ruler->accepts = true;
    send(QEvent::MouseButtonPress, QPointF(100, 300));
    front->frontViewImpl()->setSiMouseDownInDeskView();
    send(QEvent::MouseButtonRelease, QPointF(100, 300));
    sched.advance(3);
    EXPECT_TRUE(rulerCalls().empty());
}

TEST_F(Front, ARightClickWithAModifierIsNeverTheFrontViews)
{
    for (Qt::KeyboardModifier m : {Qt::ShiftModifier, Qt::ControlModifier, Qt::AltModifier, Qt::MetaModifier})
        EXPECT_FALSE(send(QEvent::MouseButtonPress, QPointF(200, 200), Qt::RightButton, m));
}

// ---- keys, the front area, the strip ----

TEST_F(Front, KeysGoToTheTimeLineFirstAndWhatItLeavesStaysForTheWindow)
{
    QKeyEvent left(QEvent::KeyPress, Qt::Key_Left, Qt::NoModifier);
    front->frontViewImpl()->keyDown(&left);
    EXPECT_TRUE(left.isAccepted());
    QKeyEvent a(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier);
    front->frontViewImpl()->keyDown(&a);
    EXPECT_FALSE(a.isAccepted());
    EXPECT_EQ(notices, (Trace{"tline down " + std::to_string(Qt::Key_Left), "tline down " + std::to_string(Qt::Key_A)}));
}

TEST_F(Front, TheToolbarOpensOverTheFrontAreaWhichLosesItsHeight)
{
    const QSize canvas = viewport()->size();
    EXPECT_EQ(front->frontViewImpl()->frontFrame(), QRectF(0, 0, canvas.width(), canvas.height()));
    front->userToggleToolbar();
    sched.advance(1);
    EXPECT_FALSE(front->siToolbarClosed());
    EXPECT_EQ(front->frontViewImpl()->frontFrame(), QRectF(0, 0, canvas.width(), canvas.height() - 23));
    ZEVFrontSelectionView* selection = front->selectionView();
    ASSERT_NE(selection, nullptr);
    const int contentHeight = selection->parentWidget()->height();
    // The selection view lies at the top edge, the toolbar filling it.
    EXPECT_EQ(selection->geometry().top(), 0);
    EXPECT_EQ(selection->height(), 23);
    EXPECT_EQ(selection->width(), selection->parentWidget()->width());
    EXPECT_TRUE(front->toolbar()->isVisible());
    EXPECT_FALSE(front->splitbar()->isVisible());
    (void)contentHeight;
    // Icon mode again with nothing selected closes the stack.
    front->menuModeIcon();
    sched.advance(1);
    EXPECT_TRUE(front->siToolbarClosed());
    EXPECT_FALSE(selection->isVisible());
}

TEST_F(Front, PasteTellsTheSpaceThePointerInTheWindowYUp)
{
    QWidget* w = space->spaceWindow();
    QCursor::setPos(w->mapToGlobal(QPoint(100, 50)));
    front->userPaste();
    EXPECT_EQ(space->mouseLimitPoint(), QPointF(100, w->height() - 50));
}

TEST_F(Front, TheStripFollowsADragAndRefusesItsDrop)
{
    ZEVFrontSelectionView* strip = front->selectionView();
    ASSERT_NE(strip, nullptr);
    QMimeData data;
    data.setText("notes");
    QDragEnterEvent enter(QPoint(10, 2), Qt::CopyAction, &data, Qt::LeftButton, {});
    QCoreApplication::sendEvent(strip, &enter);
    EXPECT_TRUE(space->siDraggingSession());
    const long session = space->draggingSessionInteger();
    QDropEvent drop(QPointF(10, 2), Qt::CopyAction, &data, Qt::LeftButton, {});
    QCoreApplication::sendEvent(strip, &drop);
    EXPECT_FALSE(drop.isAccepted());
    EXPECT_FALSE(space->siDraggingSession());
    // Leaving ends the session 0.8 s later.
    QDragEnterEvent again(QPoint(10, 2), Qt::CopyAction, &data, Qt::LeftButton, {});
    QCoreApplication::sendEvent(strip, &again);
    EXPECT_NE(space->draggingSessionInteger(), session);
    QDragLeaveEvent leave;
    QCoreApplication::sendEvent(strip, &leave);
    sched.advance(0.7);
    EXPECT_TRUE(space->siDraggingSession());
    sched.advance(0.2);
    EXPECT_FALSE(space->siDraggingSession());
}

} // namespace

namespace {

// ---- the handle and the activation around drags ----

TEST_F(Front, DraggingTheHandleStopsAtThirtyRowsAndAtTheToolbarAndReleaseRoundsToAWholeRow)
{
    front->userToggleToolbar();
    sched.advance(1);
    ZEVHeaderLayout& layout = front->headerLayout();
    const double top = layout.frames().selection.y() + layout.frames().selection.height();
    // Far down: the list stops 570 under the toolbar and shows thirty rows.
    front->handleMouseDown(QPointF(300, top - 23));
    front->handleMouseDragged(QPointF(300, top - 23 - 2000));
    EXPECT_EQ(layout.frames().selection.height(), 23 + 570);
    EXPECT_EQ(front->rowField(0)->text(), "30");
    EXPECT_EQ(layout.frames().front.height() + layout.frames().selection.height(), top);
    // Back up past the toolbar: "0", the list no lower than the toolbar.
    front->handleMouseDragged(QPointF(300, top + 3000));
    EXPECT_EQ(layout.frames().selection.height(), 23);
    EXPECT_EQ(front->rowField(0)->text(), "0");
    // Down by 50 and released: the maximum is the next whole row above, 57.
    front->handleMouseDragged(QPointF(300, top - 23 - 50));
    EXPECT_EQ(layout.frames().selection.height(), 23 + 50);
    front->handleMouseUp(true);
    EXPECT_TRUE(front->rowField(0)->isHidden());
    EXPECT_EQ(layout.tracksHeightMax(), 57);
}

TEST_F(Front, ActivationOpensEveryViewOnceAndItsEndClosesOnlyWhatWasClosed)
{
    front->userToggleToolbar();
    sched.advance(1);
    // A NO without a YES changes nothing.
    front->activateTallomer(false);
    sched.advance(1);
    EXPECT_TRUE(front->siTimebarClosed());
    EXPECT_FALSE(front->siToolbarClosed());

    front->activateTallomer(true);
    sched.advance(1);
    EXPECT_FALSE(front->siTimebarClosed());
    EXPECT_FALSE(front->siTlineClosed());
    // A second YES saves nothing new: the toolbar alone was open at the first.
    front->activateTallomer(true);
    sched.advance(1);
    front->activateTallomer(false);
    sched.advance(1);
    EXPECT_TRUE(front->siTimebarClosed());
    EXPECT_TRUE(front->siTlineClosed());
    EXPECT_FALSE(front->siToolbarClosed());
}

TEST_F(Front, AHeaderViewSlidingRefusesFullScreen)
{
    front->userToggleToolbar();
    front->setSiFullScreen(true);
    EXPECT_FALSE(front->siFullScreen());
}

// ---- edit actions ----

// An inspector controller that writes the edit commands it takes into the trace.
class EditRecorder final : public ZEVInspectViewer {
public:
    EditRecorder(ZEVSpaceController& s, KELId entity, Trace& t, std::string name)
        : ZEVInspectViewer(s, entity), trace(t), name(std::move(name))
    {
    }
    bool siFirstResponder() const override { return focused; }
    void userRecallNow() override { trace.push_back(name + " userRecallNow"); }
    void userRecall() override { trace.push_back(name + " userRecall"); }
    void userRetain() override { trace.push_back(name + " userRetain"); }
    void userRelease() override { trace.push_back(name + " userRelease"); }
    void userForget() override { trace.push_back(name + " userForget"); }
    Trace& trace;
    std::string name;
    bool focused = false;

protected:
    std::unique_ptr<ZEVInspectView> creerInspectView() override
    {
        return std::make_unique<ZEVInspectView>(*this, QStringLiteral("Recorder"), ZEVInspectMetrics{});
    }
};

class FrontEdit : public spacetest::Space {
protected:
    void SetUp() override
    {
        Space::SetUp();
        host.makeFront = [this](ZEVSpaceController& s) {
            auto f = std::make_unique<ZEVFrontViewer>(s, std::make_unique<FakeHeaders>(edits));
            front = f.get();
            return std::unique_ptr<ZEVFrontViewerServices>(std::move(f));
        };
        for (const auto& [className, name] : std::vector<std::pair<std::string, std::string>>{
                 {"ZEVIconViewer", "icons"}, {"ZEVFileViewer", "files"}}) {
            ZEVEntityViewerClasses::ajouter(className, [this, n = name](ZEVSpaceController& s, KELId entity) {
                auto v = std::make_unique<EditRecorder>(s, entity, edits, n);
                recorders[n] = v.get();
                return std::unique_ptr<ZEVEntityViewer>(std::move(v));
            });
        }
        build();
        space->creerViewerForEntityClassName("ZEVFileViewer", 2000005);
        settle();
        edits.clear();
    }
    EditRecorder& rec(const std::string& n) { return *recorders.at(n); }

    Trace edits;
    ZEVFrontViewer* front = nullptr;
    std::map<std::string, EditRecorder*> recorders;
};

TEST_F(FrontEdit, EachCommandGoesToTheFirstFocusedInspectorNotPassedOverForIt)
{
    ASSERT_EQ(recorders.size(), 2u);
    // The Icons inspector is passed over for Recall Now, Recall and Release, not for the others.
    rec("icons").focused = true;
    front->userRecallNow();
    front->userRecallSearch();
    front->userReleaseNow();
    front->userReleaseSearch();
    EXPECT_EQ(edits, Trace{}) << "no other inspector focused: the desk's turn";
    front->userRetainNow();
    front->userForgetSearch();
    EXPECT_EQ(edits, (Trace{"icons userRetain", "icons userForget"}));

    // With the Files inspector focused too, it takes what the Icons one passes over.
    edits.clear();
    rec("files").focused = true;
    front->userRecallNow();
    front->userRecallSearch();
    front->userReleaseNow();
    EXPECT_EQ(edits, (Trace{"files userRecallNow", "files userRecall", "files userRelease"}));
}

TEST_F(FrontEdit, RecallNowWithTheSearchCursorActiveAsksTheNowButtonFirst)
{
    space->rulerViewer()->userChangeActifCurseur(space->searchCurseur());
    settle();
    edits.clear();
    front->userRecallNow();
    EXPECT_EQ(edits, Trace{"bar menuNowCurseur"});
    // Recall Search does not.
    edits.clear();
    front->userRecallSearch();
    EXPECT_EQ(edits, Trace{});
}

} // namespace
