// The Icons inspector at scale: 10^4 Objects with one to five icon links each (and as many moves
// and resizes) over a year on two Channels, the panel shown. `icons_scroll` times a step of the
// visible range, a tenth of its span, with the rows following and the panel's refresh run (the
// whole step: an upper bound of the model's and panel's share). `icons_walk` times a previous walk
// keeping to the Space of a Channel that has no icon, which goes through every event of the table
// to its start (the summary gives their number). Both report the mean and the largest time of one,
// in this thread's processor time.

#include "bench/engine/SyntheticBases.h"
#include "bench/inspectors/BenchInspectorSpace.h"
#include "bench/space/BenchSpaceHost.h"
#include "engine/KELDemarrage.h"
#include "engine/KELICurseur.h"
#include "engine/KELLien.h"
#include "engine/KELModels.h"
#include "engine/KELServeurDeLiens.h"
#include "engine/store/KELChercheurDe.h"
#include "inspectors/ZEVInspectorClasses.h"
#include "inspectors/icons/ZEVIconViewer.h"
#include "runtime/Clock.h"
#include "runtime/Log.h"
#include "space/ZEVConstants.h"
#include "space/ZEVSpaceController.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

using namespace tallomer;
using namespace synthbases;

constexpr int kObjets = 10000;
constexpr double kJour = 86400.0;
constexpr double kAnnee = 365 * kJour;
constexpr double kLargeur = 30 * kJour;
constexpr double kPas = kLargeur / 10;
constexpr int kPasParTour = 40;
constexpr KELId kPremierId = 900000000;

using benchspace::HorlogeVirtuelle;
using benchspace::tempsProcesseur;
using Hote = benchspace::HoteNu;

std::string construireLaBase(double fin)
{
    const std::string fichier = dossier() + "/icons.sqlite";
    std::filesystem::copy_file(TALLOMER_TEMPLATE_DB, fichier, std::filesystem::copy_options::overwrite_existing);
    EcrivainDeLiens inserer(fichier);
    KELId id = kPremierId;
    const KELId autre = id++;
    inserer(autre, KELDateToujours, KELDateOuverte, KELMODEL_IDENTITY, autre, KELRELATION_IDENTITY);
    const KELId valeur = id++;
    inserer(valeur, KELDateToujours, KELDateOuverte, kModelObjet, valeur, kRelElements);
    std::mt19937_64 rng(58);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    for (int i = 0; i < kObjets; ++i) {
        const KELId o = id++;
        const KELId canal = i % 2 ? autre : kChannel;
        inserer(o, KELDateToujours, KELDateOuverte, kModelObjet, o, kRelElements);
        const int n = 1 + int(u(rng) * 5) % 5;
        for (int k = 0; k < n; ++k) {
            const double in = fin - kAnnee + u(rng) * kAnnee;
            inserer(id++, in, in + (0.5 + 3 * u(rng)) * kJour, o, canal, kRelIcone);
            inserer(id++, in + 60, KELDateOuverte, valeur, o, KELRELATION_ICON_RATIO_X);
            inserer(id++, in + 120, KELDateOuverte, valeur, o, KELRELATION_ICON_RATIO_S);
        }
    }
    return fichier;
}

struct Banc {
    ManualScheduler sched{kMaintenant};
    HorlogeVirtuelle horloge{sched};
    ScopedLogCapture journal;
    std::unique_ptr<Hote> hote;
    std::unique_ptr<ZEVSpaceController> space;
    ZEVIconViewer* icons = nullptr;
    KELIContexte* tl = nullptr;

    Banc()
    {
        space = benchspace::spaceOnBase(sched, horloge, construireLaBase(kMaintenant), hote, dossier());
        icons = space ? dynamic_cast<ZEVIconViewer*>(space->viewerForEntityClassName("ZEVIconViewer")) : nullptr;
        tl = space ? space->tlContexte() : nullptr;
        if (!icons || !tl) {
            std::fprintf(stderr, "icons_bench: no Space with its Icons inspector and timeline context\n");
            std::exit(1);
        }
        icons->showInspectView(true);
        sched.advance(1.0);
        // The moves and resizes are events of the table too, as the desk reads them: their
        // relations' links are woken as the desk wakes them, not only the relations themselves.
        for (KELId rel : {KELRELATION_ICON_RATIO_X, KELRELATION_ICON_RATIO_S})
            if (!KELServeurDeLiens::LienForInt(rel, tl) || !KELServeurDeLiens::ReveillerLaRelInt(rel, tl)) {
                std::fprintf(stderr, "icons_bench: the geometry relation %lld is not in the base\n", (long long)rel);
                std::exit(1);
            }
        // A first pass wakes the year's links into the event table.
        for (double c = -kAnnee; c <= 0; c += kLargeur)
            placer(c);
    }

    ~Banc()
    {
        space.reset();
        KELServeurDeLiens::reset();
        Scheduler::setShared(nullptr);
        tallomer::Clock::setShared(nullptr);
    }

    void placer(double centre)
    {
        tl->setOffsetInOffsetOut(centre - kLargeur / 2, centre + kLargeur / 2);
        tl->placeToi();
        // The panel's refresh comes 0.07 s after the rows changed.
        sched.advance(0.1);
    }
};

struct Mesure {
    double moyenne = 0, max = 0;
};
Mesure defilement, marche;
std::size_t lignes = 0;
std::size_t evenements = 0;
std::unique_ptr<Banc> leBanc;

Banc& banc()
{
    if (!leBanc)
        leBanc = std::make_unique<Banc>();
    return *leBanc;
}

void resumer(const std::vector<double>& t, Mesure& m, benchmark::State& state)
{
    double somme = 0;
    for (double x : t)
        somme += x;
    m.moyenne = t.empty() ? 0 : somme / double(t.size());
    m.max = t.empty() ? 0 : *std::max_element(t.begin(), t.end());
    state.counters["mean_ms"] = m.moyenne * 1e3;
    state.counters["max_ms"] = m.max * 1e3;
}

void BM_IconsScroll(benchmark::State& state)
{
    Banc& b = banc();
    std::vector<double> t;
    for (auto _ : state) {
        const double debut = -kAnnee / 2 + double(t.size() % 3) * kPas / 3;
        b.placer(debut);
        double tour = 0;
        for (int k = 1; k <= kPasParTour; ++k) {
            const double t0 = tempsProcesseur();
            b.placer(debut + k * kPas);
            const double d = tempsProcesseur() - t0;
            t.push_back(d);
            tour += d;
        }
        state.SetIterationTime(tour / kPasParTour);
    }
    lignes = b.icons->model().timeLineItems().size();
    state.counters["rows"] = double(lignes);
    resumer(t, defilement, state);
}

void BM_IconsWalk(benchmark::State& state)
{
    Banc& b = banc();
    KELI* vide = b.space->newIdentityNamed("empty");
    ZEVIconClass& m = b.icons->model();
    m.channelDidChangeWithIdentityInt(vide ? vide->idInt() : 0);
    m.actifCurseurDidChangeForCurseur(b.space->nowCurseur());
    KELICurseur* now = b.space->nowCurseur();
    now->placeToi();
    if (const KELGrandTableau* table = now->grandTableau())
        evenements = table->count();
    std::vector<double> t;
    for (auto _ : state) {
        const double t0 = tempsProcesseur();
        benchmark::DoNotOptimize(m.previousDateItemSiSame(true));
        const double d = tempsProcesseur() - t0;
        t.push_back(d);
        state.SetIterationTime(d);
    }
    resumer(t, marche, state);
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::RegisterBenchmark("icons_scroll", BM_IconsScroll)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("icons_walk", BM_IconsWalk)->UseManualTime()->Iterations(20)->Unit(benchmark::kMillisecond);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::printf("\nSummary (targets in brackets)\n");
    std::printf("icons_scroll (10^4 Objects, 2 Channels, %zu rows): mean_ms %.3f [<=4], max_ms %.3f\n", lignes,
                defilement.moyenne * 1e3, defilement.max * 1e3);
    std::printf("icons_walk (same Space, the whole table of %zu events): mean_ms %.3f [<=20], max_ms %.3f\n",
                evenements, marche.moyenne * 1e3, marche.max * 1e3);
    if (evenements < 100000)
        std::printf("icons_walk: the table holds fewer than 10^5 events; the walk is not the one measured for\n");
    leBanc.reset();
    supprimerLesBases();
    return 0;
}
