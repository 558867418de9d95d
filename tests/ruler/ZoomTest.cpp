// The ruler's zooms and animations: the calendar periods in pinned time zones around both changes
// of daylight saving and in leap years, the ticks of an animation on the virtual clock, and the
// zooms of the Now, Search and timeline cursors through the viewer.

#include "tests/ruler/RulerFixture.h"

#include "runtime/Clock.h"
#include "tests/support/TimeZone.h"

#include <cmath>

using namespace rulertest;
using tallomer::test::ScopedTimeZone;
using U = ZEVZoomUnite;

namespace {

bool zonesInstalled()
{
    for (const char* z : {"Europe/Berlin", "America/New_York", "Australia/Sydney"})
        if (!ScopedTimeZone::installed(z))
            return false;
    return true;
}

class Zoom : public Ruler {
protected:
    void SetUp() override
    {
        if (!zonesInstalled())
            GTEST_SKIP() << "the time zones are not installed (package tzdata)";
        zone = std::make_unique<ScopedTimeZone>("Europe/Berlin");
        Ruler::SetUp();
    }
    void TearDown() override
    {
        Ruler::TearDown();
        zone.reset();
    }
    bool ticking() const { return rulertest::ticking(viewer); }
    // Runs the animation out.
    void finish() { sched.advance(1.6); }
    // Where a date lies on the strip, and how much of it a length takes.
    double place(KELDate d) const { return (d - tl()->nowIn()) / span(); }
    double share(double length) const { return length / span(); }
    // Moves the cursor's context to [t - before, t + after] in one move.
    void context(KELICurseur* c, double before, double after)
    {
        viewer->setCurseurEnDeplacement(c);
        ASSERT_TRUE(viewer->userInitieDeplacementCurseur());
        c->decalerContexteIn(-before - c->contexte()->offsetIn());
        c->decalerContexteOut(after - c->contexte()->offsetOut());
        viewer->userTermineDeplacementCurseur();
        take();
    }

    std::unique_ptr<ScopedTimeZone> zone;
};

} // namespace

TEST(ZoomPeriods, ThisPeriodsFollowTheLocalCalendarAcrossDaylightSavingAndLeapYears)
{
    if (!zonesInstalled())
        GTEST_SKIP() << "the time zones are not installed (package tzdata)";
    struct Case {
        const char* zone;
        U unit;
        KELDate t, start, end;
    };
    const Case cases[] = {
        {"Europe/Berlin", U::Jour, 733572000, 733532400, 733615200},      // 23 h, spring
        {"Europe/Berlin", U::Jour, 751719600, 751672800, 751762800},      // 25 h, autumn
        {"Europe/Berlin", U::Jour, 737416800, 737416800, 737503200},      // at 00:00:00
        {"Europe/Berlin", U::Semaine, 733824000, 733532400, 734133600},   // from the Sunday, 167 h
        {"Europe/Berlin", U::Semaine, 737186400, 737157600, 737762400},   // on a Sunday
        {"Europe/Berlin", U::Trimestre, 755942400, 749426400, 757378800}, // December
        {"Europe/Berlin", U::Trimestre, 737881200, 733615200, 741477600}, // May
        {"Europe/Berlin", U::Mois, 729244800, 728434800, 730940400},      // February 2024
        {"Europe/Berlin", U::Annee, 741510000, 725756400, 757378800},     // 366 days
        {"Europe/Berlin", U::Heure, 751681800, 751680000, 751683600},     // first 02:30
        {"Europe/Berlin", U::Heure, 751685400, 751683600, 751687200},     // second 02:30
        {"Europe/Berlin", U::Minute, 751685442.75, 751685400, 751685460},
        {"America/New_York", U::Jour, 731779200, 731739600, 731822400},      // 23 h
        {"America/New_York", U::Jour, 752346000, 752299200, 752389200},      // 25 h
        {"America/New_York", U::Semaine, 752353200, 752299200, 752907600},   // 169 h
        {"Australia/Sydney", U::Jour, 734148000, 734101200, 734191200},      // 25 h, April
        {"Australia/Sydney", U::Jour, 749869200, 749829600, 749912400},      // 23 h, October
        {"Australia/Sydney", U::Trimestre, 757339200, 749397600, 757342800}, // 31 December
    };
    for (const Case& c : cases) {
        ScopedTimeZone z(c.zone);
        const std::optional<ZEVPeriode> p = periodeContenant(c.unit, c.t);
        ASSERT_TRUE(p) << c.zone << " " << c.t;
        EXPECT_EQ(p->debut, c.start) << c.zone << " " << c.t;
        EXPECT_EQ(p->fin, c.end) << c.zone << " " << c.t;
    }
    EXPECT_FALSE(periodeContenant(U::SixMois, 733572000));
    EXPECT_FALSE(periodeContenant(U::Jour, std::nan("")));
}

TEST(ZoomPeriods, NextAndPrevStepElapsedTimeUpToTheWeekAndTheCalendarBeyondToTheWholeSecond)
{
    if (!zonesInstalled())
        GTEST_SKIP() << "the time zones are not installed (package tzdata)";
    struct Case {
        const char* zone;
        U unit;
        int sens;
        KELDate t, target;
    };
    const Case cases[] = {
        {"Europe/Berlin", U::Mois, 1, 696855600, 699534000},    // 31 January 2023: 3 March
        {"Europe/Berlin", U::Mois, 1, 728391600, 731070000},    // 31 January 2024: 2 March
        {"Europe/Berlin", U::Annee, -1, 730897200, 699361200},  // 29 February: 1 March
        {"Europe/Berlin", U::Jour, 1, 751629600, 751716000},    // 86,400 s over 25 hours
        {"Europe/Berlin", U::Mois, 1, 732193200.75, 734868000}, // the clock's noon, whole
        {"Australia/Sydney", U::SixMois, -1, 749869200, 734058000},
        {"Europe/Berlin", U::Minute, -1, 1000.5, 940.5},
        {"Europe/Berlin", U::Semaine, 1, 1000, 605800},
    };
    for (const Case& c : cases) {
        ScopedTimeZone z(c.zone);
        const std::optional<KELDate> d = dateDecalee(c.unit, c.t, c.sens);
        ASSERT_TRUE(d) << c.zone << " " << c.t;
        EXPECT_EQ(*d, c.target) << c.zone << " " << c.t;
    }
    EXPECT_FALSE(dateDecalee(U::Trimestre, 1000, 1));
}

TEST_F(Zoom, AnAnimationStepsTheRestOverTheTicksLeftAndEndsAsOneMoveOnItsLastTick)
{
    const double in0 = tl()->offsetIn(), out0 = tl()->offsetOut();
    viewer->userAnimeRuler(1.5, -3000, 6000);
    // The first tick comes at once, with 50 ticks left.
    EXPECT_NEAR(tl()->offsetIn() - in0, -60, 1e-6);
    EXPECT_NEAR(tl()->offsetOut() - out0, 120, 1e-6);
    EXPECT_FALSE(viewer->siAccepteDeplacement());
    sched.advance(0.03);
    EXPECT_NEAR(tl()->offsetIn() - in0, -120, 1e-6);
    sched.advance(0.6);
    EXPECT_NEAR(tl()->offsetIn() - in0, -1320, 1e-3);
    sched.advance(0.9);
    EXPECT_NEAR(tl()->offsetIn() - in0, -3000, 1e-6);
    EXPECT_NEAR(tl()->offsetOut() - out0, 6000, 1e-6);
    EXPECT_TRUE(viewer->siAccepteDeplacement());
    EXPECT_FALSE(ticking());
    EXPECT_EQ(count(take(), "history mark"), 1u);
}

TEST_F(Zoom, ALateRunLoopMakesTheStepsLargerAndAfterTheDeadlineTheRestComesAtOnce)
{
    const double in0 = tl()->offsetIn();
    viewer->userAnimeRuler(1.5, -1500, 0);
    // The loop is held for a second: 16.7 ticks are left for the rest.
    FixedClock bloque(sched.now() + 1.0);
    Clock::setShared(&bloque);
    sched.advance(0.03);
    EXPECT_NEAR(tl()->offsetIn() - in0, -30 - 1470 / (0.5 / 0.03), 1e-3);
    // Held past the deadline: everything left, and the move ends.
    bloque.set(sched.now() + 2.0);
    sched.advance(0.03);
    Clock::setShared(&clock);
    EXPECT_NEAR(tl()->offsetIn() - in0, -1500, 1e-6);
    EXPECT_TRUE(viewer->siAccepteDeplacement());
    EXPECT_FALSE(ticking());

    // A duration of 0 ends in its first tick.
    viewer->userAnimeNow(0, -10, 20, 0, 0);
    EXPECT_TRUE(viewer->siAccepteDeplacement());
    EXPECT_FALSE(ticking());
    EXPECT_EQ(count(take(), "history mark"), 2u);
}

TEST_F(Zoom, ARefusedStartStoresNothingAndNoTickMovesAfterItsMoveEnded)
{
    const double in0 = tl()->offsetIn(), out0 = tl()->offsetOut();
    const double ctxIn = now()->contexte()->offsetIn();
    ASSERT_TRUE(viewer->userInitieDeplacementCurseur());
    viewer->userAnimeNow(1.5, -100, 100, -500, 500);
    viewer->userAnimeCurseurToDate(now()->now() + 50);
    EXPECT_FALSE(ticking());
    viewer->userTermineDeplacementCurseur();
    finish();
    EXPECT_EQ(tl()->offsetIn(), in0);
    EXPECT_EQ(now()->contexte()->offsetIn(), ctxIn);

    // Cancelled half-way: what was done stays, nothing more comes.
    viewer->userAnimeRuler(1.5, -3000, 0);
    sched.advance(0.75);
    viewer->userDesactiveAnimer();
    const double moitie = tl()->offsetIn();
    EXPECT_NEAR(moitie - in0, -1560, 61);
    EXPECT_TRUE(viewer->siAccepteDeplacement());
    finish();
    EXPECT_EQ(tl()->offsetIn(), moitie);

    // Ended elsewhere, then a new move: the animation's ticks touch neither.
    viewer->userAnimeRuler(1.5, 0, 3000);
    viewer->userTermineDeplacementCurseur();
    const double apres = tl()->offsetOut();
    ASSERT_TRUE(viewer->userInitieDeplacementCurseur());
    finish();
    EXPECT_EQ(tl()->offsetOut(), apres);
    EXPECT_FALSE(viewer->siAccepteDeplacement());
    viewer->userTermineDeplacementCurseur();
    EXPECT_NEAR(apres - out0, 60, 1e-9);
}

TEST_F(Zoom, TheCursorAnimationsTakeTheMovingCursorToItsDateAloneOrWithTheRange)
{
    // The Search cursor follows the clock: the animations that take it to a date measure what is
    // left at every tick, so it stands on the date at the last tick, 1.5 s after the start.
    viewer->userChangeActifCurseur(search());
    const double target = search()->now() - 7200;
    const double in0 = tl()->offsetIn();
    viewer->userAnimeCurseurToDate(target);
    sched.advance(1.5);
    EXPECT_TRUE(viewer->siAccepteDeplacement());
    EXPECT_NEAR(search()->now(), target, 1e-3);
    EXPECT_EQ(tl()->offsetIn(), in0);

    // With the range: both by the same steps.
    const double d = 3600;
    const double at = search()->now();
    viewer->userAnimeCurseurEtRulerToDate(at + d);
    sched.advance(1.5);
    EXPECT_NEAR(search()->now(), at + d, 1e-3);
    EXPECT_NEAR(tl()->offsetIn() - in0, d - 1.5, 1e-3);

    // Search's animation runs its date, in-edge and range together.
    const double ctxIn = search()->contexte()->offsetIn();
    const double rIn = tl()->offsetIn();
    const double cible = search()->now() - 600;
    viewer->userAnimeSearch(0.9f, cible, -600, 100, 200);
    sched.advance(0.9);
    EXPECT_TRUE(viewer->siAccepteDeplacement());
    EXPECT_NEAR(search()->now(), cible, 1e-3);
    EXPECT_NEAR(search()->contexte()->offsetIn(), ctxIn - 600, 1e-6);
    EXPECT_NEAR(tl()->offsetIn(), rIn + 100, 1e-6);
    EXPECT_EQ(count(take(), "history mark"), 3u);
}

TEST_F(Zoom, ThisDayFramesTheNowContextAndTheRangeKeepsItsPlaceAndShareUnlessCtrlOrTheRulerButton)
{
    context(now(), 1800, 3600);
    const double lieu = place(now()->nowIn());
    const double part = share(now()->nowOut() - now()->nowIn());
    const std::optional<ZEVPeriode> jour = periodeContenant(U::Jour, now()->now());
    ASSERT_TRUE(jour);
    viewer->userZoomThisDay(now());
    EXPECT_EQ(nowView->clickPosition, 4);
    EXPECT_EQ(bar->clickPosition, 4);
    finish();
    // The Now cursor keeps following the clock during the 1.5 s.
    EXPECT_NEAR(now()->nowIn(), jour->debut, 2);
    EXPECT_NEAR(now()->nowOut(), jour->fin, 2);
    EXPECT_NEAR(place(now()->nowIn()), lieu, 1e-4);
    EXPECT_NEAR(share(now()->nowOut() - now()->nowIn()), part, 1e-4);
    EXPECT_EQ(count(take(), "history mark"), 1u);

    for (int way = 0; way < 2; ++way) {
        context(now(), 1800, 3600);
        const double in = tl()->offsetIn(), out = tl()->offsetOut();
        if (way == 0)
            viewer->setModifiersReader([] { return Qt::KeyboardModifiers(Qt::ControlModifier); });
        else
            bar->rulerButton = true;
        viewer->userZoomThisHour(now());
        finish();
        EXPECT_EQ(tl()->offsetIn(), in) << way;
        EXPECT_EQ(tl()->offsetOut(), out) << way;
        EXPECT_NEAR(now()->nowOut() - now()->nowIn(), 3600, 1e-6) << way;
        viewer->setModifiersReader([] { return Qt::KeyboardModifiers(); });
        bar->rulerButton = false;
    }
}

TEST_F(Zoom, TheSearchCursorGlidesToTheEndOfItsPeriodWithItsInEdgeAtTheStartAndNextDoesNothing)
{
    viewer->userChangeActifCurseur(search());
    context(search(), 600, 600);
    const double t = search()->now();
    const double in = tl()->offsetIn();
    const std::optional<ZEVPeriode> heure = periodeContenant(U::Heure, t);
    viewer->userZoomThisHour(search());
    EXPECT_EQ(searchView->clickPosition, 4);
    finish();
    // By fixed amounts: the cursor's own following of the clock comes on top.
    EXPECT_NEAR(search()->now(), heure->fin, 2);
    EXPECT_NEAR(search()->nowIn(), heure->debut, 2);
    EXPECT_NEAR(search()->now() - search()->nowIn(), 3600, 1e-6);
    EXPECT_EQ(tl()->offsetIn(), in);

    // Next-zooms leave the Search cursor alone: no move at all.
    take();
    viewer->userZoomNextDay(search());
    EXPECT_TRUE(viewer->siAccepteDeplacement());
    EXPECT_TRUE(take().empty());

    // Prev-zooms widen its past side, the range staying.
    const double s = search()->now();
    viewer->userZoomPrevWeek(search());
    EXPECT_EQ(searchView->clickPosition, 0);
    finish();
    EXPECT_NEAR(search()->nowIn(), s - 604800, 2);
    EXPECT_EQ(tl()->offsetIn(), in);
}

TEST_F(Zoom, TheTimelineZoomsMoveTheRangeAloneAndAZoomDuringAMoveChangesNothing)
{
    const double ctxIn = now()->contexte()->offsetIn();
    const double a = tl()->nowIn();
    double t = now()->now();
    viewer->userZoomNextMonth(viewer->curseurForMenuTag(301));
    EXPECT_EQ(bar->clickPosition, 8);
    finish();
    // The range follows the clock during the 1.5 s, as the timeline cursor does.
    EXPECT_NEAR(tl()->nowOut(), *dateDecalee(U::Mois, t, 1), 2);
    EXPECT_NEAR(tl()->nowIn(), a, 2);
    EXPECT_EQ(now()->contexte()->offsetIn(), ctxIn);
    EXPECT_EQ(viewer->curseurEnDeplacement(), now());
    t = now()->now();
    viewer->userZoomPrevYear(space->tlCurseur());
    finish();
    EXPECT_NEAR(tl()->nowIn(), *dateDecalee(U::Annee, t, -1), 2);

    // Any zoom while a move runs does nothing.
    ASSERT_TRUE(viewer->userInitieDeplacementCurseur());
    take();
    const double in = tl()->offsetIn();
    for (KELICurseur* c : {now(), search(), space->tlCurseur()}) {
        viewer->userZoomThisDay(c);
        viewer->userZoomPrevMinute(c);
        viewer->userZoomNextYear(c);
        viewer->userZoomPrevZero(c);
        viewer->userPrevZero(c);
    }
    EXPECT_FALSE(ticking());
    viewer->userTermineDeplacementCurseur();
    finish();
    EXPECT_EQ(tl()->offsetIn(), in);
    EXPECT_EQ(count(take(), "history mark"), 1u);
    EXPECT_EQ(viewer->curseurForMenuTag(300), space->actifCurseur());
}

TEST_F(Zoom, PrevAndPrevZeroMoveTheInEdgeAndTheNowRangeFollows)
{
    context(now(), 1800, 3600);
    const double lieu = place(now()->nowOut());
    viewer->userZoomPrevDay(now());
    EXPECT_EQ(nowView->clickPosition, 0);
    finish();
    EXPECT_NEAR(now()->nowIn(), now()->now() - 86400, 2);
    EXPECT_NEAR(place(now()->nowOut()), lieu, 1e-4);

    // The in-edge glides onto the cursor, 0.1 s before it; at once in the instant form, which
    // ignores the timeline cursor.
    viewer->userZoomPrevZero(now());
    finish();
    EXPECT_NEAR(now()->contexte()->offsetIn(), -0.1, 1e-9);
    viewer->userChangeActifCurseur(search());
    context(search(), 900, 900);
    take();
    viewer->userPrevZero(space->tlCurseur());
    EXPECT_TRUE(take().empty());
    viewer->userPrevZero(search());
    EXPECT_NEAR(search()->contexte()->offsetIn(), -0.1, 1e-9);
    EXPECT_TRUE(viewer->siAccepteDeplacement());
    EXPECT_FALSE(ticking());
    EXPECT_EQ(count(take(), "history mark"), 1u);
}
