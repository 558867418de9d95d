#include "tests/engine/EngineFixture.h"

#include "engine/KELElements.h"

#include <cmath>

using namespace enginetest;

// The link base started up: the timeline cursor, the Now and Search cursors under it, and the
// element that stores the Search cursor's settings.
class CursorStartUp : public LinkBase {
protected:
    void SetUp() override
    {
        LinkBase::SetUp();
        startUp();
        timeline = wake<KELICurseur>(kel::kCurseurTimeline);
        now = wake<KELICurseur>(2000090);
        search = wake<KELICurseur>(2000094);
        elem = wake<KELIElemCurseur>(2000093);
        ASSERT_TRUE(timeline && now && search && elem && timeline->contexte() && now->contexte() && search->contexte());
    }
    KELICurseur *timeline = nullptr, *now = nullptr, *search = nullptr;
    KELIElemCurseur* elem = nullptr;
};

TEST_F(CursorStartUp, NowAndSearchCursorsLoadTheirSettingsAndFollowTheTimeline)
{
    EXPECT_EQ(timeline->typeInt(), 2u);
    EXPECT_EQ(now->typeInt(), 1u);
    EXPECT_EQ(search->typeInt(), 1u);
    EXPECT_TRUE(timeline->siLance() && now->siLance() && search->siLance());
    EXPECT_EQ(now->curseurSup(), timeline);

    // Real time moves on: all three follow, the windows with them.
    sched.advance(100.0);
    const double t = sched.now();
    EXPECT_NEAR(timeline->inDate(), t, 20.1);
    EXPECT_NEAR(now->now(), t, 1e-6);
    KELIContexte* ctx = now->contexte();
    EXPECT_DOUBLE_EQ(ctx->offsetIn(), -3600.0);
    EXPECT_DOUBLE_EQ(ctx->offsetOut(), 3600.0);
    EXPECT_NEAR(ctx->nowIn(), t - 3600.0, 1e-6);
    EXPECT_DOUBLE_EQ(search->contexte()->offsetIn(), -0.1);
    EXPECT_DOUBLE_EQ(timeline->contexte()->offsetOut(), 43200.0);
}

TEST_F(CursorStartUp, TimerSleepsUntilTheNextEventAtMostTwentySeconds)
{
    sched.advance(30.0);
    KELI* a = newObject();
    KELI* b = newObject();
    ASSERT_TRUE(a && b);
    const double t = sched.now();
    // The timer is driven by hand here: steps at chosen moments.
    auto pas = [&](double attente) {
        sched.cancel(timeline, "_avance");
        if (attente > 0)
            sched.advance(attente);
        timeline->avance();
        return timeline->dernierDelai();
    };
    pas(0.0); // catches up with the Objects made just now
    sched.cancel(timeline, "_avance");
    sched.advance(1.0);
    relier(a, b, t + 6.0);
    EXPECT_NEAR(pas(0.0), 5.0, 1e-9);  // next event 5 s ahead
    EXPECT_DOUBLE_EQ(pas(0.0), 20.0);  // did not move since the last step
    EXPECT_DOUBLE_EQ(pas(10.0), 0.05); // the event is overdue
    EXPECT_DOUBLE_EQ(pas(10.0), 20.0); // nothing ahead within 20 s
}

TEST_F(CursorStartUp, UserMoveStopsPastEachEventInDateOrder)
{
    auto* rel = wake<KELIElemRelation>(1000182, search);
    ASSERT_NE(rel, nullptr);
    KELICc* w = search->fenetre();
    rel->liens(w);
    KELI* a = newObject();
    const double t = sched.now();
    KELI* l1 = relier(a, newObject(), t + 100, t + 200);
    KELI* l2 = relier(a, newObject(), t + 150, t + 300);
    ASSERT_TRUE(l1 && l2);
    Recorder rec(w, {1000182});
    search->initierDeplacementCurseur();
    search->decalerCurseur(400.0);
    search->terminerDeplacementCurseur();
    const std::string i1 = std::to_string(l1->idInt()), i2 = std::to_string(l2->idInt());
    const std::string wid = "@" + std::to_string(w->idInt());
    EXPECT_EQ(rec.events, (std::vector<std::string>{"act " + i1 + wid, "act " + i2 + wid, "des " + i1 + wid,
                                                     "des " + i2 + wid}));
    // Entering at the future edge, leaving at the past edge.
    EXPECT_EQ(rec.futur, (std::vector<bool>{true, true, false, false}));
    rec.take();
    search->decalerCurseur(-400.0);
    EXPECT_EQ(rec.events.size(), 4u);
}

TEST_F(CursorStartUp, MovesEndPastTheLastEventAndKeepTheirBounds)
{
    const double before = search->offsetDouble();
    search->decalerCurseur(1e12); // far past every event: one last step
    EXPECT_DOUBLE_EQ(search->offsetDouble(), before + 1e12);
    search->decalerCurseur(-1e12);
    tallomer::ScopedLogCapture log;
    search->decalerCurseur(std::nan(""));
    search->decalerCurseur(INFINITY);
    EXPECT_DOUBLE_EQ(search->offsetDouble(), before);
    EXPECT_EQ(log.sink.count("refused span"), 2u);

    // The window's edges stay away from the cursor; the offset is archived rounded.
    KELIContexte* ctx = search->contexte();
    search->decalerContexteIn(+50.0);
    EXPECT_DOUBLE_EQ(ctx->offsetIn(), -0.1);
    search->decalerContexteOut(-50.0);
    EXPECT_DOUBLE_EQ(ctx->offsetOut(), 0.1);

    search->initierDeplacementCurseur();
    search->decalerCurseur(12.34);
    search->terminerDeplacementCurseur();
    search->updateDeplacementCurseurSearch();
    std::vector<std::string> chemin{"Offset"};
    KELValue v = elem->baseSelonLesRelations(chemin, elem->curseurMaj());
    ASSERT_TRUE(std::holds_alternative<double>(v));
    EXPECT_DOUBLE_EQ(std::get<double>(v), 12.3);

    // The Now cursor snaps back to real time and stores offset 0.
    now->decalerCurseur(-60.0);
    EXPECT_DOUBLE_EQ(now->offsetDouble(), -60.0);
    now->updateDeplacementCurseurNow();
    EXPECT_DOUBLE_EQ(now->offsetDouble(), 0.0);
    EXPECT_NEAR(now->inDate(), sched.now(), 1e-6);
}

TEST_F(CursorStartUp, PathWriteClosesTheOldLinkWhereTheNewOneOpens)
{
    KELICc* c = elem->curseurMaj();
    std::vector<std::string> p1{"Offset"}, p2{"Offset"};
    KELI* avant = elem->lienSelonLesRelations(p1, c);
    elem->setBase(42.0, {"Offset"}, c);
    KELI* apres = elem->lienSelonLesRelations(p2, c);
    ASSERT_TRUE(avant && apres);
    EXPECT_NE(avant, apres);
    EXPECT_DOUBLE_EQ(avant->outDate(), apres->inDate());
    // Nothing at the end of the path: logged, nothing written.
    tallomer::ScopedLogCapture log;
    newObject()->setBase(1.0, {"Offset"}, global());
    EXPECT_TRUE(log.sink.contains("Impossible de setter une base si dernierLien inexistant"));
}

TEST_F(CursorStartUp, SwitchingToFixedStopsTheTimersOfTheCursorAndItsWindow)
{
    elem->setTypeFixe(elem->curseurMaj());
    sched.runUntilIdle();
    EXPECT_EQ(search->typeInt(), 3u);
    EXPECT_FALSE(sched.isPending(search, "_avance"));
    const double fige = search->inDate();
    sched.advance(500.0);
    EXPECT_DOUBLE_EQ(search->inDate(), fige);
    // Back to relative: moves again, the offset is the distance to the parent cursor's moment.
    elem->setTypeRelatifCS(elem->curseurMaj());
    sched.runUntilIdle();
    EXPECT_EQ(search->typeInt(), 1u);
    sched.advance(50.0);
    EXPECT_GT(search->inDate(), fige);
}
