#include "tests/engine/EngineFixture.h"

#include "engine/KELDemarrage.h"
#include "engine/KELElements.h"

#include <cmath>

using namespace enginetest;

namespace {
// The start-up of the link base: models, cursor and context elements at the global cursor, then the
// timeline cursor; everything queued runs on the following turns.
void startUp(tallomer::ManualScheduler& sched)
{
    KELDemarrage::ReveillerLesModelsEtLancer(kel::kCurseurTimeline);
    sched.runUntilIdle();
    sched.advance(0.5);
}
} // namespace

TEST_F(LinkBase, NowAndSearchCursorsLoadTheirSettingsAndFollowTheTimeline)
{
    startUp(sched);
    checkTable();
    auto* timeline = wake<KELICurseur>(kel::kCurseurTimeline);
    auto* now = wake<KELICurseur>(2000090);
    auto* search = wake<KELICurseur>(2000094);
    ASSERT_TRUE(timeline && now && search);
    EXPECT_EQ(timeline->typeInt(), 2u);
    EXPECT_EQ(now->typeInt(), 1u);
    EXPECT_EQ(search->typeInt(), 1u);
    EXPECT_TRUE(now->siLance());
    EXPECT_TRUE(search->siLance());
    EXPECT_EQ(now->curseurSup(), timeline);

    // Real time moves on: all three follow, the windows with them.
    sched.advance(100.0);
    const double t = sched.now();
    EXPECT_NEAR(timeline->inDate(), t, 20.1);
    EXPECT_NEAR(now->now(), t, 1e-6);
    KELIContexte* ctx = now->contexte();
    ASSERT_NE(ctx, nullptr);
    EXPECT_DOUBLE_EQ(ctx->offsetIn(), -3600.0);
    EXPECT_DOUBLE_EQ(ctx->offsetOut(), 3600.0);
    EXPECT_NEAR(ctx->nowIn(), t - 3600.0, 1e-6);
    KELIContexte* sctx = search->contexte();
    ASSERT_NE(sctx, nullptr);
    EXPECT_DOUBLE_EQ(sctx->offsetIn(), -0.1);
    checkTable();
}

TEST_F(LinkBase, TimerSleepsUntilTheNextEventAtMostTwentySeconds)
{
    startUp(sched);
    auto* timeline = wake<KELICurseur>(kel::kCurseurTimeline);
    ASSERT_NE(timeline, nullptr);
    sched.advance(30.0);
    KELI* a = newObject();
    KELI* b = newObject();
    ASSERT_TRUE(a && b);
    const double t = sched.now();
    // The timer is driven by hand here: steps at chosen moments.
    sched.cancel(timeline, "_avance");
    timeline->avance(); // catches up with the Objects made just now
    sched.cancel(timeline, "_avance");
    sched.advance(1.0);
    KELServeurDeLiens::CreerLienRelInt(1000182, a, b, t + 6.0, KELDateOuverte, global());
    sched.cancel(timeline, "_avance");
    timeline->avance();
    EXPECT_NEAR(timeline->dernierDelai(), 5.0, 1e-9); // next event 5 s ahead
    sched.cancel(timeline, "_avance");
    timeline->avance();
    EXPECT_DOUBLE_EQ(timeline->dernierDelai(), 20.0); // did not move since the last step
    sched.cancel(timeline, "_avance");
    sched.advance(10.0);
    timeline->avance();
    EXPECT_DOUBLE_EQ(timeline->dernierDelai(), 0.05); // the event is overdue
    sched.cancel(timeline, "_avance");
    sched.advance(10.0);
    timeline->avance();
    EXPECT_DOUBLE_EQ(timeline->dernierDelai(), 20.0); // nothing ahead within 20 s
    checkTable();
}

TEST_F(LinkBase, UserMoveStopsPastEachEventInDateOrder)
{
    startUp(sched);
    auto* search = wake<KELICurseur>(2000094);
    ASSERT_NE(search, nullptr);
    auto* rel = wake<KELIElemRelation>(1000182, search);
    ASSERT_NE(rel, nullptr);
    rel->liens(search->fenetre());
    KELI* a = newObject();
    KELI* b = newObject();
    KELI* c = newObject();
    const double t = sched.now();
    KELI* l1 = KELServeurDeLiens::CreerLienRelInt(1000182, a, b, t + 100, t + 200, global());
    KELI* l2 = KELServeurDeLiens::CreerLienRelInt(1000182, a, c, t + 150, t + 300, global());
    ASSERT_TRUE(l1 && l2);
    Recorder rec;
    KELICc* w = search->fenetre();
    w->ajouterLeDelegueDeMaj(&rec, 1000182);
    search->initierDeplacementCurseur();
    search->decalerCurseur(400.0);
    search->terminerDeplacementCurseur();
    const std::string i1 = std::to_string(l1->idInt()), i2 = std::to_string(l2->idInt());
    const std::string wid = std::to_string(w->idInt());
    EXPECT_EQ(rec.events, (std::vector<std::string>{"act " + i1 + "@" + wid, "act " + i2 + "@" + wid,
                                                     "des " + i1 + "@" + wid, "des " + i2 + "@" + wid}));
    // Entering at the future edge, leaving at the past edge.
    ASSERT_EQ(rec.futur.size(), 4u);
    EXPECT_TRUE(rec.futur[0]);
    EXPECT_FALSE(rec.futur[2]);
    rec.take();
    search->decalerCurseur(-400.0);
    EXPECT_EQ(rec.events.size(), 4u);
    w->enleverLeDelegueDeMaj(&rec, 1000182);
    checkTable();
}

TEST_F(LinkBase, MovesWithNoEventAheadEndAndNonFiniteSpansAreRefused)
{
    startUp(sched);
    auto* search = wake<KELICurseur>(2000094);
    ASSERT_NE(search, nullptr);
    const double before = search->offsetDouble();
    search->decalerCurseur(1e12); // far past every event: one last step
    EXPECT_DOUBLE_EQ(search->offsetDouble(), before + 1e12);
    search->decalerCurseur(-1e12);
    tallomer::ScopedLogCapture log;
    search->decalerCurseur(std::nan(""));
    search->decalerCurseur(INFINITY);
    EXPECT_DOUBLE_EQ(search->offsetDouble(), before);
    EXPECT_EQ(log.sink.count("refused span"), 2u);
    checkTable();
}

TEST_F(LinkBase, WindowEdgesStayAwayFromTheCursorAndOffsetsArchiveRounded)
{
    startUp(sched);
    auto* search = wake<KELICurseur>(2000094);
    ASSERT_NE(search, nullptr);
    KELIContexte* ctx = search->contexte();
    ASSERT_NE(ctx, nullptr);
    search->decalerContexteIn(+50.0);
    EXPECT_DOUBLE_EQ(ctx->offsetIn(), -0.1);
    search->decalerContexteOut(-50.0);
    EXPECT_DOUBLE_EQ(ctx->offsetOut(), 0.1);

    search->initierDeplacementCurseur();
    search->decalerCurseur(12.34);
    search->terminerDeplacementCurseur();
    search->updateDeplacementCurseurSearch();
    auto* elem = wake<KELIElemCurseur>(2000093);
    ASSERT_NE(elem, nullptr);
    std::vector<std::string> chemin{"Offset"};
    KELValue v = elem->baseSelonLesRelations(chemin, elem->curseurMaj());
    ASSERT_TRUE(std::holds_alternative<double>(v));
    EXPECT_DOUBLE_EQ(std::get<double>(v), 12.3);

    // The Now cursor snaps back to real time and stores offset 0.
    auto* now = wake<KELICurseur>(2000090);
    now->decalerCurseur(-60.0);
    EXPECT_DOUBLE_EQ(now->offsetDouble(), -60.0);
    now->updateDeplacementCurseurNow();
    EXPECT_DOUBLE_EQ(now->offsetDouble(), 0.0);
    EXPECT_NEAR(now->inDate(), sched.now(), 1e-6);
    checkTable();
}

TEST_F(LinkBase, PathWriteClosesTheOldLinkWhereTheNewOneOpens)
{
    startUp(sched);
    auto* elem = wake<KELIElemCurseur>(2000093);
    ASSERT_NE(elem, nullptr);
    KELICc* c = elem->curseurMaj();
    std::vector<std::string> p1{"Offset"};
    KELI* avant = elem->lienSelonLesRelations(p1, c);
    ASSERT_NE(avant, nullptr);
    elem->setBase(42.0, {"Offset"}, c);
    std::vector<std::string> p2{"Offset"};
    KELI* apres = elem->lienSelonLesRelations(p2, c);
    ASSERT_NE(apres, nullptr);
    EXPECT_NE(avant, apres);
    EXPECT_DOUBLE_EQ(avant->outDate(), apres->inDate());
    // Nothing at the end of the path: logged, nothing written.
    tallomer::ScopedLogCapture log;
    KELI* a = newObject();
    a->setBase(1.0, {"Offset"}, global());
    EXPECT_TRUE(log.sink.contains("Impossible de setter une base si dernierLien inexistant"));
    checkTable();
}

TEST_F(LinkBase, SwitchingToFixedStopsTheTimersOfTheCursorAndItsWindow)
{
    startUp(sched);
    auto* search = wake<KELICurseur>(2000094);
    auto* elem = wake<KELIElemCurseur>(2000093);
    ASSERT_TRUE(search && elem);
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
    checkTable();
}
