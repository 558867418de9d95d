// The timeline strip at full width (2,560 x 36 points, offscreen, in Europe/Berlin):
//   - repaint: a whole repaint over a day, a month, a year and ten years, the range moved by one
//     periodic-redraw step before each, so that the units' mark lists are made again;
//   - scrub: a drag of the Search cursor across the 10^5-link base of the link base's benchmark
//     and back, each step a mouse move through the strip (placement, redisplay, repaint) over
//     about 1,000 events; mean and max per step and the share of it the link base takes, which is
//     measured by placing the cursor at the same dates again without the strip.
// Times are this thread's processor time. A summary with the targets follows the usual report.

#include "look/KELSharedResources.h"
#include "bench/engine/SyntheticBases.h"
#include "bench/ruler/BenchRulerHost.h"
#include "bench/space/BenchSpaceHost.h"
#include "engine/KELDemarrage.h"
#include "engine/KELICc.h"
#include "engine/KELICurseur.h"
#include "engine/KELModels.h"
#include "engine/KELServeurDeLiens.h"
#include "engine/store/KELChercheurDe.h"
#include "platform/UserDefaults.h"
#include "ruler/ZEVRulerClass.h"
#include "ruler/ZEVRulerViewer.h"
#include "ruler/ZEVTlineView.h"
#include "runtime/Clock.h"
#include "runtime/Log.h"
#include "space/ZEVConstants.h"
#include "space/ZEVSpaceClass.h"
#include "space/ZEVSpaceController.h"
#include "space/ZEVSpaceWindow.h"

#include <QApplication>
#include <QCursor>
#include <QImage>
#include <QMouseEvent>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <memory>
#include <vector>

namespace {

using namespace tallomer;
using namespace synthbases;

constexpr double kLargeur = 2560;
constexpr std::size_t kLiens = 100000;

using benchspace::HorlogeVirtuelle;
using benchspace::tempsProcesseur;
using Hote = benchspace::HoteAvecRegle;

// Counts what the Search window tells, as a desk would be told.
struct Compteur final : KELDelegueDeMaj {
    void activationDuLien(KELI*, KELICc*) override { ++messages; }
    void desactivationDuLien(KELI*, KELICc*) override { ++messages; }
    std::size_t messages = 0;
};

struct Banc {
    ManualScheduler sched{kMaintenant};
    HorlogeVirtuelle horloge{sched};
    ScopedLogCapture journal;
    std::unique_ptr<Hote> hote;
    std::unique_ptr<ZEVSpaceController> space;
    ZEVRulerViewer* viewer = nullptr;
    ZEVTlineView* strip = nullptr;
    Compteur compteur;
    QImage image{int(kLargeur), int(ZEVTlineView::kHeight), QImage::Format_ARGB32_Premultiplied};

    Banc()
    {
        tallomer::Clock::setShared(&horloge);
        Scheduler::setShared(&sched);
        KELChercheurDe::setDatabasePath(base(kLiens).fichier);
        KELServeurDeLiens::initialize();
        KELICurseur* timeline = KELDemarrage::ReveillerLesModelsEtLancer(kel::kCurseurTimeline);
        sched.runUntilIdle();
        hote = std::make_unique<Hote>(dossier());
        space = ZEVSpaceController::initSpaceControllerWithSpaceInt(KELOBJECT_CHANNEL_VIEWER_ROOT, *hote, timeline);
        viewer = space ? dynamic_cast<ZEVRulerViewer*>(space->rulerViewer()) : nullptr;
        strip = viewer ? dynamic_cast<ZEVTlineView*>(viewer->tlineView()) : nullptr;
        if (!strip || !space->searchCurseur()) {
            std::fprintf(stderr, "strip_bench: no Space with a strip and a Search cursor\n");
            std::exit(1);
        }
        strip->setGeometry(0, 0, int(kLargeur), int(ZEVTlineView::kHeight));
        strip->show();
        // The Search desk's Objects, as its desk would follow them.
        KELICurseur* s = space->searchCurseur();
        if (auto* rel = dynamic_cast<KELIElemRelation*>(KELServeurDeLiens::LienForInt(kRelIcone, s)))
            rel->liens(s->fenetre());
        s->fenetre()->ajouterLeDelegueDeMaj(&compteur, kRelIcone);
    }

    ~Banc()
    {
        space->searchCurseur()->fenetre()->enleverLeDelegueDeMaj(&compteur, kRelIcone);
        space.reset();
        KELServeurDeLiens::reset();
        Scheduler::setShared(nullptr);
        tallomer::Clock::setShared(nullptr);
    }

    // The visible range [in, out], as dates.
    void range(double in, double out)
    {
        KELIContexte* tl = space->tlContexte();
        viewer->userInitieDeplacementCurseur();
        viewer->userPlaceRulerOffsetIn(in - tl->nowIn(), out - tl->nowOut());
        viewer->userTermineDeplacementCurseur();
    }

    double repeindre()
    {
        const double t0 = tempsProcesseur();
        strip->render(&image);
        return tempsProcesseur() - t0;
    }

    void souris(QEvent::Type type, double x)
    {
        const QPointF p(x, 8);
        const Qt::MouseButtons boutons = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent e(type, p, p, p, type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, boutons, Qt::NoModifier);
        QApplication::sendEvent(strip, &e);
    }
};

// Made after the application and gone before it: the strip is a widget.
std::unique_ptr<Banc> leBanc;
Banc& banc()
{
    if (!leBanc)
        leBanc = std::make_unique<Banc>();
    return *leBanc;
}

struct Mesures {
    double repeint[4] = {0, 0, 0, 0};
    double pasMoyen = 0, pasMax = 0, partMoteur = 0, evenementsParPas = 0;
    std::size_t pas = 0;
} mesures;

const char* const kNomsDePlages[] = {"day", "month", "year", "ten_years"};
constexpr double kPlages[] = {86400.0, 30 * 86400.0, kAn, 10 * kAn};

void BM_Repaint(benchmark::State& state)
{
    Banc& b = banc();
    const auto i = static_cast<std::size_t>(state.range(0));
    const double centre = (kDebut + kFin) / 2;
    b.range(centre - kPlages[i] / 2, centre + kPlages[i] / 2);
    b.repeindre();
    double somme = 0;
    for (auto _ : state) {
        // One periodic redraw's worth of time: the range follows the clock, and the marks with it.
        b.sched.advance(b.viewer->prochaineRecharge());
        const double t = b.repeindre();
        state.SetIterationTime(t);
        somme += t;
    }
    mesures.repeint[i] = somme / static_cast<double>(state.iterations());
    state.counters["units"] = static_cast<double>(b.strip->displayedUnits().displayedUnits.size());
}

void BM_Scrub(benchmark::State& state)
{
    Banc& b = banc();
    const Base& base = synthbases::base(kLiens);
    KELICurseur* search = b.space->searchCurseur();
    for (auto _ : state) {
        // The whole base on the strip, with a margin for the zones at the ends.
        const double marge = (kFin - kDebut) * 0.12;
        b.range(kDebut - marge, kFin + marge);
        b.repeindre();
        const double x0 = kLargeur * 0.06, x1 = kLargeur * 0.94;
        const double d0 = *b.strip->dateAtX(x0), d1 = *b.strip->dateAtX(x1);
        const std::size_t n = std::max<std::size_t>(1, evenementsEntre(base, d0, d1) / 1000);
        std::vector<double> xs;
        for (std::size_t k = 0; k <= n; ++k)
            xs.push_back(x0 + (x1 - x0) * static_cast<double>(k) / static_cast<double>(n));
        for (std::size_t k = n; k-- > 0;)
            xs.push_back(xs[k]);

        b.souris(QEvent::MouseButtonPress, xs.front());
        b.repeindre();
        const double depart = search->now();
        std::vector<double> pas, dates;
        std::size_t evenements = 0;
        double avant = depart;
        for (std::size_t k = 1; k < xs.size(); ++k) {
            const double t0 = tempsProcesseur();
            b.souris(QEvent::MouseMove, xs[k]);
            b.strip->render(&b.image);
            pas.push_back(tempsProcesseur() - t0);
            dates.push_back(search->now());
            evenements += evenementsEntre(base, avant, search->now());
            avant = search->now();
        }
        b.souris(QEvent::MouseButtonRelease, xs.back());

        // The link base alone, over the same dates from the same place.
        search->placerCurseur(depart);
        double moteur = 0;
        for (double d : dates) {
            const double t0 = tempsProcesseur();
            search->placerCurseur(d);
            moteur += tempsProcesseur() - t0;
        }
        double somme = 0;
        for (double p : pas)
            somme += p;
        mesures.pas = pas.size();
        mesures.pasMoyen = somme / static_cast<double>(pas.size());
        mesures.pasMax = *std::max_element(pas.begin(), pas.end());
        mesures.partMoteur = moteur / somme;
        mesures.evenementsParPas = static_cast<double>(evenements) / static_cast<double>(pas.size());
        state.SetIterationTime(somme);
    }
    state.counters["steps"] = static_cast<double>(mesures.pas);
    state.counters["events_per_step"] = mesures.evenementsParPas;
    state.counters["mean_ms"] = mesures.pasMoyen * 1e3;
    state.counters["max_ms"] = mesures.pasMax * 1e3;
    state.counters["engine_share"] = mesures.partMoteur;
}

void resume()
{
    std::printf("\nSummary (targets in brackets)\n");
    std::printf("repaint ms [<=4]:");
    for (std::size_t i = 0; i < 4; ++i)
        std::printf("  %s %.3f", kNomsDePlages[i], mesures.repeint[i] * 1e3);
    std::printf("\nscrub over %zu steps of %.0f events: mean %.3f ms [<=8], max %.3f ms, link base %.0f %%\n",
                mesures.pas, mesures.evenementsParPas, mesures.pasMoyen * 1e3, mesures.pasMax * 1e3,
                mesures.partMoteur * 100);
}

} // namespace

int main(int argc, char** argv)
{
    setenv("TZ", "Europe/Berlin", 1);
    tzset();
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    for (long i = 0; i < 4; ++i)
        benchmark::RegisterBenchmark(kNomsDePlages[i], BM_Repaint)->Arg(i)->UseManualTime()->Iterations(200)
            ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("scrub", BM_Scrub)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    resume();
    leBanc.reset();
    supprimerLesBases();
    return 0;
}
