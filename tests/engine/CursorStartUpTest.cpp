#include "tests/engine/EngineFixture.h"

#include "engine/KELElements.h"

#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <set>
#include <thread>

using namespace enginetest;

namespace {

// Ends the test program when the code it watches has not returned in time: a move that never
// ends must fail the run, not stall it. Nothing waits when the code returns.
class Garde {
public:
    explicit Garde(double secondes)
        : fil_([this, secondes] {
              std::unique_lock<std::mutex> verrou(m_);
              if (!cv_.wait_for(verrou, std::chrono::duration<double>(secondes), [this] { return fini_; })) {
                  std::fprintf(stderr, "a cursor move did not end within %.0f s\n", secondes);
                  std::fflush(stderr);
                  std::_Exit(EXIT_FAILURE);
              }
          })
    {
    }
    ~Garde()
    {
        {
            std::lock_guard<std::mutex> verrou(m_);
            fini_ = true;
        }
        cv_.notify_one();
        fil_.join();
    }
    Garde(const Garde&) = delete;
    Garde& operator=(const Garde&) = delete;

private:
    std::mutex m_;
    std::condition_variable cv_;
    bool fini_ = false;
    std::thread fil_;
};

} // namespace

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
    EXPECT_EQ(timeline->typeInt(), KELICurseur::kRelatifTR);
    EXPECT_EQ(now->typeInt(), KELICurseur::kRelatifCS);
    EXPECT_EQ(search->typeInt(), KELICurseur::kRelatifCS);
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
    EXPECT_EQ(search->typeInt(), KELICurseur::kFixe);
    EXPECT_FALSE(sched.isPending(search, "_avance"));
    const double fige = search->inDate();
    sched.advance(500.0);
    EXPECT_DOUBLE_EQ(search->inDate(), fige);
    // Back to relative: moves again, the offset is the distance to the parent cursor's moment.
    elem->setTypeRelatifCS(elem->curseurMaj());
    sched.runUntilIdle();
    EXPECT_EQ(search->typeInt(), KELICurseur::kRelatifCS);
    sched.advance(50.0);
    EXPECT_GT(search->inDate(), fige);
}

// Far from 2001 the last bit of a date is worth more than the step a move takes past an event,
// and every template row starts at the beginning of time, where a window's edge lands on their
// events. Moves there end, in both directions, with an hour's window and without any, and the
// windows then show what their dates say.
TEST_F(CursorStartUp, MovesNearTheEndsOfTimeEndAndShowWhatTheirDatesSay)
{
    const Garde garde(60.0);
    auto* modele = wake<KELIModelCurseur>(kel::kModelCurseur);
    ASSERT_NE(modele, nullptr);
    auto* elemSeul = dynamic_cast<KELIElemCurseur*>(modele->ajouterUnCurseurAvecLeCurseurSup(nullptr, global()));
    sched.runUntilIdle();
    KELICurseur* seul = elemSeul ? elemSeul->lienCurseur() : nullptr;
    ASSERT_NE(seul, nullptr);
    ASSERT_EQ(seul->contexte(), nullptr);
    search->contexte()->setOffsetInOffsetOut(-1800.0, 1800.0);

    KELI* a = newObject();
    KELI* b = newObject();
    const KELDate bas = KELDateToujours + 1000.0;
    const KELDate haut = KELDateOuverte - 20000.0;
    std::vector<KELI*> liens;
    for (double pas : {0.0, 600.0, 1800.0, 2400.0, 3000.0}) {
        liens.push_back(relier(a, b, bas + pas, bas + pas + 1200.0));
        liens.push_back(relier(a, b, haut - pas, KELDateOuverte));
        liens.push_back(relier(a, b, haut - pas - 1200.0, haut - pas));
    }
    ASSERT_EQ(std::count(liens.begin(), liens.end(), nullptr), 0);

    auto* rel = wake<KELIElemRelation>(kRel);
    ASSERT_NE(rel, nullptr);
    struct Cas {
        KELICurseur* curseur;
        std::vector<KELICc*> fenetres;
    };
    for (const Cas& cas : {Cas{search, {search, search->contexte()}}, Cas{seul, {seul}}}) {
        KELICurseur* c = cas.curseur;
        std::vector<std::unique_ptr<Recorder>> recorders;
        for (KELICc* w : cas.fenetres) {
            KELServeurDeLiens::LienForInt(kRel, w);
            rel->liens(w);
            recorders.push_back(std::make_unique<Recorder>(w, std::initializer_list<KELId>{kRel}));
        }
        // What the windows show, and what their delegates were told, against their dates.
        std::vector<std::set<std::string>> dits(cas.fenetres.size());
        auto montre = [&](const std::string& quoi) {
            for (std::size_t i = 0; i < cas.fenetres.size(); ++i) {
                KELICc* w = cas.fenetres[i];
                const std::string chez = "@" + std::to_string(w->idInt());
                std::set<KELI*> attendus;
                std::set<std::string> attendusDits;
                for (KELI* l : liens)
                    if (w->siIncluLeLien(l)) {
                        attendus.insert(l);
                        attendusDits.insert(std::to_string(l->idInt()) + chez);
                    }
                const auto vus = rel->liens(w);
                EXPECT_EQ(std::set<KELI*>(vus.begin(), vus.end()), attendus) << quoi << ", window " << w->idInt();
                for (const std::string& e : recorders[i]->take()) {
                    if (e.rfind("act ", 0) == 0)
                        dits[i].insert(e.substr(4));
                    else if (e.rfind("des ", 0) == 0)
                        dits[i].erase(e.substr(4));
                }
                EXPECT_EQ(dits[i], attendusDits) << quoi << ", told to window " << w->idInt();
            }
        };
        montre("before any move");
        struct Geste {
            bool placer;
            double valeur;
        };
        const Geste gestes[] = {{true, bas},          {false, -500.0},        {false, 2500.0}, {false, -2500.0},
                                {true, haut},         {false, 2500.0},        {false, -4000.0}, {false, -600.0},
                                {true, bas + 2400.0}, {true, haut - 2400.0}, {true, kStart}};
        for (const Geste& g : gestes) {
            const std::string quoi = std::string(g.placer ? "place at " : "move by ") + std::to_string(g.valeur) +
                                     " (cursor " + std::to_string(c->idInt()) + ")";
            const KELDate avant = c->now();
            c->initierDeplacementCurseur();
            g.placer ? c->placerCurseur(g.valeur) : c->decalerCurseur(g.valeur);
            c->terminerDeplacementCurseur();
            sched.runUntilIdle();
            // A date there has a last bit of half a second or a second.
            EXPECT_NEAR(c->now(), g.placer ? g.valeur : avant + g.valeur, 1.0) << quoi;
            montre(quoi);
        }
    }
}

// A cursor placed at a date stands at that date, wherever it stood before (the offset is not
// measured from the beginning of time): a link starting there is shown, one ending there is not,
// at once and after the cursor's next step.
TEST_F(CursorStartUp, PlacedAtADateTheCursorStandsThereWhereverItStood)
{
    const Garde garde(60.0);
    auto* modele = wake<KELIModelCurseur>(kel::kModelCurseur);
    ASSERT_NE(modele, nullptr);
    auto* elemSeul = dynamic_cast<KELIElemCurseur*>(modele->ajouterUnCurseurAvecLeCurseurSup(nullptr, global()));
    sched.runUntilIdle();
    KELICurseur* seul = elemSeul ? elemSeul->lienCurseur() : nullptr;
    ASSERT_NE(seul, nullptr);

    const KELDate t = 786000000.123;
    KELI* a = newObject();
    KELI* b = newObject();
    KELI* commence = relier(a, b, t);
    KELI* fini = relier(a, b, t - 10.0, t);
    ASSERT_TRUE(commence && fini);
    auto* rel = wake<KELIElemRelation>(kRel);
    ASSERT_NE(rel, nullptr);

    struct Cas {
        const char* nom;
        KELICurseur* curseur;
        bool fixe;
    };
    for (const Cas& cas : {Cas{"relative to the timeline", search, false}, Cas{"relative to real time", seul, false},
                           Cas{"fixed", search, true}}) {
        KELICurseur* c = cas.curseur;
        if (cas.fixe) {
            elem->setTypeFixe(elem->curseurMaj());
            sched.runUntilIdle();
            ASSERT_EQ(c->typeInt(), KELICurseur::kFixe);
        }
        KELServeurDeLiens::LienForInt(kRel, c);
        for (KELDate depuis : {KELDateToujours, KELDateOuverte - 1.0, kStart}) {
            const std::string quoi = std::string(cas.nom) + ", from " + std::to_string(depuis);
            c->placerCurseur(depuis);
            c->placerCurseur(t);
            for (const char* quand : {"at once", "after the next step"}) {
                EXPECT_EQ(c->now(), t) << quoi << ", " << quand;
                EXPECT_EQ(c->inDate(), t) << quoi << ", " << quand;
                EXPECT_EQ(c->outDate(), t) << quoi << ", " << quand;
                const auto vus = rel->liens(c);
                EXPECT_EQ(std::count(vus.begin(), vus.end(), commence), 1) << quoi << ", " << quand;
                EXPECT_EQ(std::count(vus.begin(), vus.end(), fini), 0) << quoi << ", " << quand;
                sched.runUntilIdle();
            }
        }
    }
}
