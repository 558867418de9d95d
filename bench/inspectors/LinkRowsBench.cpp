// The Links model's share of a move of the visible range: 10^4 linked pairs (3 x 10^4 intervals
// of a day or three) over three Channels and a hundred days, the range ten days wide scrolled a
// tenth of its span per step. Each round times the same forty steps with the model listening to the
// timeline cursor and context and without it; the model's share of a step is the difference.
// Between the two the range goes back to where it was, heard as it was gone through, so the model
// is as the program keeps it. Times are this thread's processor time. A summary with the target
// follows the usual report.

#include "look/KELSharedResources.h"
#include "bench/engine/SyntheticBases.h"
#include "bench/inspectors/BenchInspectorSpace.h"
#include "bench/space/BenchSpaceHost.h"
#include "engine/KELDemarrage.h"
#include "engine/KELICurseur.h"
#include "engine/KELModels.h"
#include "engine/KELServeurDeLiens.h"
#include "engine/store/KELChercheurDe.h"
#include "inspectors/ZEVInspectorClasses.h"
#include "inspectors/links/ZEVLinkClass.h"
#include "platform/UserDefaults.h"
#include "ruler/ZEVRulerClass.h"
#include "runtime/Clock.h"
#include "runtime/Log.h"
#include "space/ZEVConstants.h"
#include "space/ZEVSpaceClass.h"
#include "space/ZEVSpaceController.h"

#include <QApplication>
#include <QCursor>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

using namespace tallomer;
using namespace synthbases;

constexpr int kPaires = 10000;
constexpr int kIntervalles = 3;
constexpr int kObjetsParCanal = 120;
constexpr double kJour = 86400.0;
constexpr double kLargeur = 10 * kJour;
constexpr double kPas = kLargeur / 10;
constexpr int kPasParTour = 40;
constexpr KELId kPremierId = 900000000;

using benchspace::HorlogeVirtuelle;
using benchspace::tempsProcesseur;
// A Space with its cursors and inspectors' models, and nothing else.
using Hote = benchspace::HoteNu;

// Two Channels beside the home one, their Objects on their desks, and the pairs with their
// intervals spread over fifty days either side of `centre`.
std::string construireLaBase(double centre)
{
    const std::string fichier = dossier() + "/links.sqlite";
    std::filesystem::copy_file(TALLOMER_TEMPLATE_DB, fichier, std::filesystem::copy_options::overwrite_existing);
    EcrivainDeLiens inserer(fichier);
    KELId id = kPremierId;
    std::vector<KELId> canaux{kChannel};
    for (int k = 0; k < 2; ++k) {
        const KELId c = id++;
        inserer(c, KELDateToujours, KELDateOuverte, KELMODEL_IDENTITY, c, KELRELATION_IDENTITY);
        canaux.push_back(c);
    }
    std::mt19937_64 rng(54);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    int paires = 0;
    for (std::size_t k = 0; k < canaux.size(); ++k) {
        std::vector<KELId> objets;
        for (int i = 0; i < kObjetsParCanal; ++i) {
            const KELId o = id++;
            inserer(o, KELDateToujours, KELDateOuverte, kModelObjet, o, kRelElements);
            inserer(id++, centre - 60 * kJour, KELDateOuverte, o, canaux[k], kRelIcone);
            objets.push_back(o);
        }
        // Every ordered pair of the Channel's Objects until the Channel has its third of them.
        const int voulues = kPaires / 3 + (int(k) < kPaires % 3 ? 1 : 0);
        for (int i = 0, n = 0; i < kObjetsParCanal && n < voulues; ++i)
            for (int j = 0; j < kObjetsParCanal && n < voulues; ++j) {
                if (i == j)
                    continue;
                for (int v = 0; v < kIntervalles; ++v) {
                    const double in = centre + (u(rng) - 0.5) * 100 * kJour;
                    inserer(id++, in, in + (1 + 2 * u(rng)) * kJour, objets[std::size_t(j)], objets[std::size_t(i)],
                            KELRELATION_LINK_VIEWER);
                }
                ++n;
                ++paires;
            }
    }
    if (paires != kPaires) {
        std::fprintf(stderr, "link_rows_bench: %d pairs made\n", paires);
        std::exit(1);
    }
    return fichier;
}

struct Banc {
    ManualScheduler sched{kMaintenant};
    HorlogeVirtuelle horloge{sched};
    ScopedLogCapture journal;
    std::unique_ptr<Hote> hote;
    std::unique_ptr<ZEVSpaceController> space;
    ZEVLinkClass* modele = nullptr;
    KELIContexte* tl = nullptr;
    KELICurseur* curseur = nullptr;

    Banc()
    {
        space = benchspace::spaceOnBase(sched, horloge, construireLaBase(kMaintenant), hote, dossier());
        modele = space ? dynamic_cast<ZEVLinkClass*>(space->linkClass()) : nullptr;
        tl = space ? space->tlContexte() : nullptr;
        curseur = space ? space->tlCurseur() : nullptr;
        if (!modele || !tl || !curseur) {
            std::fprintf(stderr, "link_rows_bench: no Space with its Links model and timeline context\n");
            std::exit(1);
        }
        // The first pass wakes every link of the relation into the event table.
        placer(-45 * kJour);
        placer(45 * kJour);
        placer(-45 * kJour);
    }

    ~Banc()
    {
        space.reset();
        KELServeurDeLiens::reset();
        Scheduler::setShared(nullptr);
        tallomer::Clock::setShared(nullptr);
    }

    // The range [centre - 5 days, centre + 5 days], centre relative to the timeline cursor.
    void placer(double centre)
    {
        tl->setOffsetInOffsetOut(centre - kLargeur / 2, centre + kLargeur / 2);
        tl->placeToi();
    }
    void ecouter(bool oui)
    {
        for (KELICc* c : {static_cast<KELICc*>(curseur), static_cast<KELICc*>(tl)}) {
            if (oui)
                c->ajouterLeDelegueDeMaj(modele, KELRELATION_LINK_VIEWER);
            else
                c->enleverLeDelegueDeMaj(modele, KELRELATION_LINK_VIEWER);
        }
    }
    // The forty steps from `debut`, each timed.
    std::vector<double> tour(double debut)
    {
        placer(debut);
        std::vector<double> t;
        for (int k = 1; k <= kPasParTour; ++k) {
            const double t0 = tempsProcesseur();
            placer(debut + k * kPas);
            t.push_back(tempsProcesseur() - t0);
        }
        return t;
    }
};

struct Mesures {
    double moyenne = 0, max = 0, avec = 0, sans = 0;
    std::size_t lignes = 0;
} mesures;

std::unique_ptr<Banc> leBanc;

void BM_LinkRows(benchmark::State& state)
{
    if (!leBanc)
        leBanc = std::make_unique<Banc>();
    Banc& b = *leBanc;
    std::vector<double> parts;
    double avec = 0, sans = 0;
    std::size_t n = 0;
    for (auto _ : state) {
        const double debut = -45 * kJour + double(parts.size() % 3) * kPas / 3;
        const std::vector<double> a = b.tour(debut);
        b.placer(debut);
        b.ecouter(false);
        const std::vector<double> s = b.tour(debut);
        b.placer(debut);
        b.ecouter(true);
        double tourAvec = 0, tourSans = 0;
        for (int k = 0; k < kPasParTour; ++k) {
            parts.push_back(a[std::size_t(k)] - s[std::size_t(k)]);
            tourAvec += a[std::size_t(k)];
            tourSans += s[std::size_t(k)];
        }
        avec += tourAvec;
        sans += tourSans;
        n += kPasParTour;
        state.SetIterationTime((tourAvec - tourSans) / kPasParTour);
    }
    double somme = 0;
    for (double p : parts)
        somme += p;
    mesures.moyenne = somme / double(parts.size());
    mesures.max = *std::max_element(parts.begin(), parts.end());
    mesures.avec = avec / double(n);
    mesures.sans = sans / double(n);
    mesures.lignes = b.modele->linkCount();
    state.counters["share_mean_ms"] = mesures.moyenne * 1e3;
    state.counters["share_max_ms"] = mesures.max * 1e3;
    state.counters["rows"] = double(mesures.lignes);
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (lancerLeBanc(argc, argv, "link_rows_range_step", BM_LinkRows, 10) != 0)
        return 1;
    std::printf("Links model's share of a range step (10^4 pairs, 3x10^4 intervals, 3 Channels, %zu rows): "
                "mean %.3f ms [<=4], max %.3f ms; step with the model %.3f ms, without %.3f ms\n",
                mesures.lignes, mesures.moyenne * 1e3, mesures.max * 1e3, mesures.avec * 1e3, mesures.sans * 1e3);
    leBanc.reset();
    supprimerLesBases();
    return 0;
}
