// The ruler viewer on a real Space: the move protocol and its refusals, the placements with their
// limits, the step loops on the virtual clock, the redraw rate, the active cursor, the date pickers
// and the menus.

#include "tests/ruler/RulerFixture.h"

#include "engine/KELElements.h"
#include "runtime/Log.h"
#include "space/ZEVSpaceWindow.h"

#include <QMenu>

#include <algorithm>
#include <cmath>

using namespace rulertest;

namespace {

std::ptrdiff_t at(const Trace& t, const std::string& line)
{
    auto it = std::find(t.begin(), t.end(), line);
    return it == t.end() ? -1 : it - t.begin();
}

} // namespace

TEST_F(Ruler, AMoveTellsEveryParticipantOnceInOrderAndCallsBackCannotNestOrRepeatIt)
{
    // Called back from a participant, an initiate is refused and a terminate ends nothing more.
    bool nested = true;
    nowView->hooks.initier = [&] { nested = viewer->userInitieDeplacementCurseur(); };
    nowView->hooks.terminer = [&] {
        viewer->userTermineDeplacementCurseur();
        EXPECT_FALSE(viewer->userInitieDeplacementCurseur());
    };
    ASSERT_TRUE(viewer->userInitieDeplacementCurseur());
    EXPECT_FALSE(nested);
    EXPECT_EQ(take(), (Trace{"Now view initier", "bar initier", "front initier"}));
    EXPECT_FALSE(viewer->userInitieDeplacementCurseur());
    EXPECT_TRUE(take().empty()) << "a second initiate tells no one";
    viewer->userTermineDeplacementCurseur();
    EXPECT_EQ(take(), (Trace{"Now view terminer", "bar terminer", "front terminer", "history mark"}));
    EXPECT_TRUE(viewer->siAccepteDeplacement());
    viewer->userTermineDeplacementCurseur();
    EXPECT_TRUE(take().empty()) << "a terminate outside a move does nothing";

    // A participant that ends the move as it starts: the others are not told it started.
    nowView->hooks = {};
    nowView->hooks.initier = [&] { viewer->userTermineDeplacementCurseur(); };
    EXPECT_TRUE(viewer->userInitieDeplacementCurseur());
    EXPECT_EQ(at(take(), "bar initier"), -1);
    EXPECT_TRUE(viewer->siAccepteDeplacement());
    // The history records only while recording is on.
    nowView->hooks = {};
    space->setSiAddToHistory(false);
    ASSERT_TRUE(viewer->userInitieDeplacementCurseur());
    viewer->userTermineDeplacementCurseur();
    EXPECT_EQ(count(take(), "history mark"), 0u);
}

TEST_F(Ruler, PlacingOutsideAMoveChangesNothingAndSaysSo)
{
    viewer->userChangeActifCurseur(search());
    const double offset = search()->offsetDouble();
    const double in = tl()->offsetIn(), out = tl()->offsetOut();
    const double cIn = search()->contexte()->offsetIn();
    ScopedLogCapture log;
    viewer->userPlaceCurseur(100);
    viewer->userPlaceCurseurEtRulerOffset(100);
    viewer->placeCurseurEtRulerOffset(100);
    viewer->userPlaceCurseurDansContexteFixe(100);
    EXPECT_FALSE(viewer->userPlaceRulerOffsetIn(-100, 100));
    viewer->userPlaceContexte(100);
    viewer->userPlaceContexteEtRulerOffset(100);
    viewer->userPlaceContexteIn(-100);
    viewer->userPlaceContexteOut(100);
    viewer->userBougeCurseur(1);
    viewer->userBougeCurseurAGauche();
    sched.advance(1);
    EXPECT_EQ(search()->offsetDouble(), offset);
    EXPECT_EQ(tl()->offsetIn(), in);
    EXPECT_EQ(tl()->offsetOut(), out);
    EXPECT_EQ(search()->contexte()->offsetIn(), cIn);
    EXPECT_EQ(log.sink.count("no cursor move under way"), 11u);
    EXPECT_EQ(at(take(), "Search view gauche"), -1);
}

TEST_F(Ruler, TheVisibleRangeIsNeverNarrowerThanAMinute)
{
    ASSERT_TRUE(viewer->userInitieDeplacementCurseur());
    const double in = tl()->offsetIn();
    const double out = tl()->offsetOut();
    // Narrowed to 59.9 s: refused, nothing moves.
    EXPECT_FALSE(viewer->userPlaceRulerOffsetIn(-in - 30, -out + 29.9));
    EXPECT_EQ(tl()->offsetIn(), in);
    EXPECT_EQ(tl()->offsetOut(), out);
    // 60 s exactly is taken.
    EXPECT_TRUE(viewer->userPlaceRulerOffsetIn(-in - 30, -out + 30));
    EXPECT_EQ(tl()->offsetIn(), -30.0);
    EXPECT_EQ(tl()->offsetOut(), 30.0);
    // A loop that narrows the range stops at the minute too.
    viewer->userBougeRulerOffsetIn(1000, -1000);
    sched.advance(1);
    EXPECT_EQ(tl()->offsetIn(), -30.0);
    // Shifted whole, a range of a minute keeps it, even where the shift's rounding leaves a
    // difference a few bits short of it.
    ASSERT_TRUE(
        viewer->userPlaceRulerOffsetIn(-40.89986789333105 - tl()->offsetIn(), 19.10013210666895 - tl()->offsetOut()));
    const double a = tl()->offsetIn(), b = tl()->offsetOut();
    const double shift = -2097129.2707250006;
    ASSERT_LT((b + shift) - (a + shift), 60.0) << "the case rounds short";
    EXPECT_TRUE(viewer->userPlaceRulerOffsetIn(shift, shift));
    EXPECT_EQ(tl()->offsetIn(), a + shift);
    viewer->userTermineDeplacementCurseur();
}

TEST_F(Ruler, ContextEdgesAndACursorInAFixedContextStayATenthOfASecondApart)
{
    KELICurseur* c = now();
    ASSERT_TRUE(viewer->userInitieDeplacementCurseur());
    // Far later the in-edge comes to 0.1 s of the cursor, far earlier the out-edge.
    viewer->userPlaceContexte(1e6);
    EXPECT_NEAR(c->now() - c->nowIn(), 0.1, 1e-6);
    viewer->userPlaceContexte(-1e6);
    EXPECT_NEAR(c->nowOut() - c->now(), 0.1, 1e-6);
    EXPECT_LE(c->nowIn(), c->now() - 0.1 + 1e-6);
    // Asking an edge already at its limit to come closer moves nothing the other way.
    const double in = c->contexte()->offsetIn();
    viewer->userPlaceContexte(-5);
    EXPECT_NEAR(c->contexte()->offsetIn(), in, 1e-6);

    // The context and the visible range move together: the context keeps its place on the strip.
    viewer->userPlaceContexteIn(-3600);
    viewer->userPlaceContexteOut(3600);
    const double placeIn = c->nowIn() - tl()->nowIn();
    viewer->userPlaceContexteEtRulerOffset(-600);
    EXPECT_NEAR(c->nowIn() - tl()->nowIn(), placeIn, 1e-6);
    viewer->userPlaceContexteInToZero();
    viewer->userPlaceContexteOutToZero();
    EXPECT_NEAR(c->contexte()->offsetIn(), -0.1, 1e-9);
    EXPECT_NEAR(c->contexte()->offsetOut(), 0.1, 1e-9);
    viewer->userTermineDeplacementCurseur();

    // The Search cursor moved inside its fixed context stays 0.1 s from either edge.
    viewer->userChangeActifCurseur(search());
    c = search();
    ASSERT_TRUE(viewer->userInitieDeplacementCurseur());
    viewer->userPlaceContexteIn(-100);
    viewer->userPlaceContexteOut(100);
    const double ctxIn = c->nowIn(), ctxOut = c->nowOut();
    for (double d : {1e5, -1e5, 30.0}) {
        viewer->userPlaceCurseurDansContexteFixe(d);
        EXPECT_NEAR(c->nowIn(), ctxIn, 1e-6) << d;
        EXPECT_NEAR(c->nowOut(), ctxOut, 1e-6) << d;
        EXPECT_GE(c->now() - c->nowIn(), 0.1 - 1e-6) << d;
        EXPECT_GE(c->nowOut() - c->now(), 0.1 - 1e-6) << d;
    }
    EXPECT_NEAR(c->nowOut() - c->now(), 100.1 + 70, 1e-6);
    viewer->userTermineDeplacementCurseur();
}

TEST_F(Ruler, AStepLoopChangesSpeedWithoutASecondLoopAndStopsWithTheMove)
{
    viewer->userChangeActifCurseur(search());
    KELICurseur* c = search();
    ASSERT_TRUE(viewer->userInitieDeplacementCurseur());
    const double r = viewer->rulerRatio();
    const double start = c->offsetDouble();
    viewer->userBougeCurseur(3); // the first tick runs at once
    EXPECT_NEAR(c->offsetDouble() - start, 3 * r / 30, 1e-6);
    sched.advance(0.031); // one tick later
    EXPECT_NEAR(c->offsetDouble() - start, 6 * r / 30, 1e-6);
    viewer->userBougeCurseur(-3); // a new speed, no new loop
    EXPECT_NEAR(c->offsetDouble() - start, 6 * r / 30, 1e-6);
    sched.advance(0.03);
    EXPECT_NEAR(c->offsetDouble() - start, 3 * r / 30, 1e-6);
    viewer->userDesactiveBouger();
    sched.advance(1);
    EXPECT_NEAR(c->offsetDouble() - start, 3 * r / 30, 1e-6);
    viewer->userBougeCurseur(3); // a new loop after the stop
    EXPECT_NEAR(c->offsetDouble() - start, 6 * r / 30, 1e-6);
    viewer->userTermineDeplacementCurseur();
    EXPECT_FALSE(sched.isPending(viewer, "_bougerCurseur")); // the end cancels the pending tick
    const double ended = c->offsetDouble();
    sched.advance(1);
    EXPECT_EQ(c->offsetDouble(), ended);

    // The views' loops tick every 0.15 s; one whose step ends the move is not ticked again.
    ASSERT_TRUE(viewer->userInitieDeplacementCurseur());
    take();
    viewer->userBougeCurseurAGauche();
    sched.advance(0.31);
    EXPECT_EQ(count(take(), "Search view gauche"), 3u);
    searchView->hooks.pas = [&] { viewer->userTermineDeplacementCurseur(); };
    sched.advance(1);
    EXPECT_EQ(count(take(), "Search view gauche"), 1u);
    EXPECT_TRUE(viewer->siAccepteDeplacement());
    EXPECT_FALSE(sched.isPending(viewer, "_bougerCurseurAGauche"));
}

TEST_F(Ruler, TheScaleChangesOnlyWhenTheSpanCrossesAHundredSecondsAndTheRedrawRateFollowsIt)
{
    const struct {
        double span;
        bool refreshed;
    } steps[] = {{1050, true}, {1099, false}, {1100, true}, {1199.9, false}, {1000, true}};
    for (const auto& s : steps) {
        const int before = strip->rulerDidChangeCount;
        const double ratio = viewer->rulerRatio();
        setRange(-s.span / 2, s.span / 2);
        EXPECT_EQ(strip->rulerDidChangeCount > before, s.refreshed) << s.span;
        EXPECT_EQ(viewer->rulerRatio(), s.refreshed ? s.span / viewer->rulerWidth() : ratio) << s.span;
    }
    EXPECT_DOUBLE_EQ(viewer->prochaineRecharge(), viewer->rulerRatio() / 3) << "about every third of a point";
    // A resized window keeps the width the ruler was made with.
    const double width = viewer->rulerWidth();
    space->spaceWindow()->resize(space->spaceWindow()->width() / 2, space->spaceWindow()->height() / 2);
    settle();
    setRange(-1000, 1000);
    EXPECT_EQ(viewer->rulerWidth(), width);

    // A minute on the strip: at most 25 redraws a second.
    setRange(-30, 30);
    EXPECT_EQ(viewer->prochaineRecharge(), 0.04);
    int displays = strip->displayCount;
    sched.advance(0.98);
    EXPECT_EQ(strip->displayCount - displays, 24); // at 0.04, 0.08 … 0.96 s
    // During a move, every 10 s.
    ASSERT_TRUE(viewer->userInitieDeplacementCurseur());
    sched.advance(0.05); // the redraw already due
    displays = strip->displayCount;
    sched.advance(9.9);
    EXPECT_EQ(strip->displayCount, displays);
    sched.advance(0.2);
    EXPECT_EQ(strip->displayCount, displays + 1);
    viewer->userTermineDeplacementCurseur();
    EXPECT_EQ(viewer->prochaineRecharge(), 0.04);
}

TEST_F(Ruler, TheActiveCursorChangesThroughTheViewer)
{
    EXPECT_TRUE(viewer->userChangeActifCurseur(search()));
    EXPECT_EQ(space->actifCurseur(), search());
    EXPECT_EQ(viewer->curseurEnDeplacement(), search());
    EXPECT_EQ(viewer->curseurViews(), (std::vector<ZEVTlineCurseurViewServices*>{nowView, searchView}));
    Trace t = take();
    EXPECT_LT(at(t, "Search desk placerDevant"), at(t, "strip devant Search"));
    EXPECT_LT(at(t, "strip devant Search"), at(t, "bar menubar Search"));
    // Already active: no change, and the Search view is listed once.
    EXPECT_FALSE(viewer->userChangeActifCurseur(search()));
    EXPECT_EQ(viewer->curseurViews().size(), 2u);
    EXPECT_EQ(at(take(), "Search desk placerDevant"), -1);
    EXPECT_TRUE(viewer->userChangeActifCurseur(now()));
    EXPECT_EQ(viewer->curseurViews(), std::vector<ZEVTlineCurseurViewServices*>{nowView});
    // None: no change, and nothing to move; moves skip the cursor.
    EXPECT_FALSE(viewer->userChangeActifCurseur(nullptr));
    EXPECT_EQ(viewer->curseurEnDeplacement(), nullptr);
    EXPECT_EQ(space->actifCurseur(), now());
    ASSERT_TRUE(viewer->userInitieDeplacementCurseur());
    viewer->userPlaceCurseur(10);
    viewer->userBougeCurseur(1);
    viewer->userTermineDeplacementCurseur();
    EXPECT_EQ(at(take(), "Now view terminer"), -1);
}

TEST_F(Ruler, StartStopSwitchesACursorBetweenFollowingAndStandingStill)
{
    viewer->userChangeActifCurseur(search());
    ASSERT_EQ(search()->typeInt(), KELICurseur::kRelatifCS); // follows the timeline cursor
    for (unsigned type : {KELICurseur::kFixe, KELICurseur::kRelatifCS}) {
        viewer->userStartStopCurseur();
        sched.runUntilIdle();
        EXPECT_EQ(search()->typeInt(), type);
    }
}

TEST_F(Ruler, DatePickersMoveTheCursorOrTheRange)
{
    // The Ruler button on, a past date 30 s before the out-edge: the in-edge 60 s before it; a
    // future date 20 s after the in-edge: the out-edge 60 s after it.
    bar->rulerButton = true;
    const double out = tl()->nowOut();
    viewer->userChangeDatePickerPasseToDate(out - 30);
    EXPECT_NEAR(tl()->nowIn(), out - 60, 1e-6);
    const double in = tl()->nowIn();
    viewer->userChangeDatePickerFuturToDate(in + 20);
    EXPECT_NEAR(tl()->nowOut(), in + 60, 1e-6);
    bar->rulerButton = false;

    // The future picker does nothing while the Search cursor is moved.
    viewer->userChangeActifCurseur(search());
    take();
    const double searchOut = search()->nowOut();
    viewer->userChangeDatePickerFuturToDate(searchOut + 500);
    EXPECT_TRUE(take().empty());
    EXPECT_EQ(search()->nowOut(), searchOut);
    // The present picker moves the Search cursor and the range to the date, as one move.
    const double target = search()->now() - 7200;
    const double rangeIn = tl()->nowIn();
    viewer->userChangeDatePickerPresentToDate(target);
    EXPECT_NEAR(search()->now(), target, 0.05);
    EXPECT_NEAR(tl()->nowIn(), rangeIn - 7200, 0.05);
    EXPECT_EQ(count(take(), "history mark"), 1u);
}

TEST_F(Ruler, TheProportionalRuleLeavesAnEmptyContextOrRangeAlone)
{
    EXPECT_EQ(ZEVRulerViewer::regleProportionnelle(5, 5, 1, 1, 0, 10), (std::pair<double, double>{0, 0}));
    EXPECT_EQ(ZEVRulerViewer::regleProportionnelle(0, 5, 1, 1, 3, 3), (std::pair<double, double>{0, 0}));
}

TEST_F(Ruler, TheMenusShowTheStateOfTheHeaderViews)
{
    QMenu* window = viewer->windowMenu();
    QMenu* barMenu = viewer->rulerbarMenu();
    ASSERT_TRUE(window && barMenu);
    auto item = [](QMenu* m, int tag) -> QAction* {
        for (QAction* a : m->actions())
            if (a->data().toInt() == tag)
                return a;
        return nullptr;
    };
    for (bool open : {true, false}) {
        host.front->headerViewsOpen = open;
        viewer->menuWillOpen(window);
        viewer->menuWillOpen(barMenu);
        for (QMenu* m : {window, barMenu}) {
            EXPECT_EQ(item(m, ZEVRulerViewer::kTagTimebar)->isChecked(), open);
            EXPECT_EQ(item(m, ZEVRulerViewer::kTagTline)->isChecked(), open);
        }
    }
    // Any other menu is left alone.
    QMenu other;
    QAction* a = other.addAction("x");
    a->setData(int(ZEVRulerViewer::kTagTline));
    a->setCheckable(true);
    host.front->headerViewsOpen = true;
    viewer->menuWillOpen(&other);
    EXPECT_FALSE(a->isChecked());
}

namespace {

// What any animation moves: the visible range, and both cursors with their contexts.
std::vector<double> etat(KELIContexte* tl, KELICurseur* now, KELICurseur* search)
{
    return {tl->offsetIn(),          tl->offsetOut(),        now->offsetDouble(),
            now->contexte()->offsetIn(), now->contexte()->offsetOut(), search->offsetDouble(),
            search->contexte()->offsetIn()};
}

} // namespace

TEST_F(Ruler, EveryAnimationTicksUnderItsOwnNameAndNoneMovesOnceCancelled)
{
    const std::vector<std::pair<const char*, std::function<void()>>> animations = {
        {"_animerCurseurToDate", [&] { viewer->userAnimeCurseurToDate(now()->now() + 600); }},
        {"_animerCurseurEtRuler", [&] { viewer->userAnimeCurseurEtRulerToDate(now()->now() + 600); }},
        {"_animerCurseurEtContexteIn", [&] { viewer->userAnimeCurseurOffset(300, 200); }},
        {"_animerNow", [&] { viewer->userAnimeNow(1.5, -100, 100, -500, 500); }},
        {"_animerSearch", [&] { viewer->userAnimeSearch(1.5, search()->now() - 600, -600, 100, 200); }},
        {"_animerRuler", [&] { viewer->userAnimeRuler(1.5, -3000, 3000); }},
    };
    for (const auto& [nom, lancer] : animations) {
        SCOPED_TRACE(nom);
        viewer->userChangeActifCurseur(std::string(nom) == "_animerSearch" ? search() : now());
        const std::vector<double> avant = etat(tl(), now(), search());
        lancer();
        sched.advance(0.1);
        EXPECT_TRUE(sched.isPending(viewer, nom));
        EXPECT_NE(etat(tl(), now(), search()), avant) << "the first ticks moved something";
        viewer->userDesactiveAnimer();
        EXPECT_FALSE(rulertest::ticking(viewer));
        EXPECT_TRUE(viewer->siAccepteDeplacement());
        const std::vector<double> arrete = etat(tl(), now(), search());
        sched.advance(2);
        EXPECT_EQ(etat(tl(), now(), search()), arrete);
    }
}
