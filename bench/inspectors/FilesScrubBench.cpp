// The Files panel while the Search cursor is scrubbed: 10^4 file Objects over 5 Channels, each
// with 1 to 5 presence intervals over a year, the panel shown, the Search cursor moved in steps
// that cross about 500 presence events each. A step is timed twice over the same path: once with
// no Files model listening (the engine's own move) and once with the panel's model listening plus
// one table reload; the difference is the model's share. A summary with the target follows.

#include "bench/engine/SyntheticBases.h"
#include "bench/ruler/BenchRulerHost.h"
#include "bench/space/BenchSpaceHost.h"
#include "engine/KELDemarrage.h"
#include "engine/KELICurseur.h"
#include "engine/KELModels.h"
#include "engine/KELServeurDeLiens.h"
#include "engine/store/KELChercheurDe.h"
#include "inspectors/ZEVInspectorClasses.h"
#include "inspectors/files/ZEVFileViewer.h"
#include "ruler/ZEVRulerViewer.h"
#include "runtime/Clock.h"
#include "runtime/Log.h"
#include "space/ZEVConstants.h"
#include "space/ZEVSpaceController.h"
#include "space/ZEVSpaceWindow.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
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
constexpr int kCanaux = 5;
constexpr int kLegosAuPlus = 5;
constexpr double kJour = 86400.0;
constexpr double kEtendue = 365 * kJour;
constexpr KELId kPremierId = 900000000;
constexpr int kPas = 40;
constexpr double kEvenementsParPas = 500;

using benchspace::HorlogeVirtuelle;

using Hote = benchspace::HoteAvecRegle;

struct Banc {
    ManualScheduler sched{kMaintenant};
    HorlogeVirtuelle horloge{sched};
    ScopedLogCapture journal;
    std::unique_ptr<Hote> hote;
    std::unique_ptr<ZEVSpaceController> space;
    std::string fichier;
    std::size_t legos = 0;
    double pas = kJour;

    void demarrer()
    {
        KELChercheurDe::setDatabasePath(fichier);
        KELServeurDeLiens::initialize();
        ZEVRegisterInspectorClasses();
        KELICurseur* timeline = KELDemarrage::ReveillerLesModelsEtLancer(kel::kCurseurTimeline);
        sched.runUntilIdle();
        hote = std::make_unique<Hote>(dossier());
        space = ZEVSpaceController::initSpaceControllerWithSpaceInt(KELOBJECT_CHANNEL_VIEWER_ROOT, *hote, timeline);
        if (!space || !space->searchCurseur()) {
            std::fprintf(stderr, "files_scrub_bench: no Space with its cursors\n");
            std::exit(1);
        }
    }
    void arreter()
    {
        space.reset();
        hote.reset();
        ZEVEntityViewerClasses::reset();
        KELServeurDeLiens::reset();
    }

    Banc()
    {
        tallomer::Clock::setShared(&horloge);
        Scheduler::setShared(&sched);
        fichier = dossier() + "/files.sqlite";
        std::filesystem::copy_file(TALLOMER_TEMPLATE_DB, fichier, std::filesystem::copy_options::overwrite_existing);
        // The four more Channels are made by the Space, as a user makes them.
        demarrer();
        std::vector<KELId> canaux{space->currentChannelInt()};
        for (int i = 1; i < kCanaux; ++i)
            if (KELI* c = space->newIdentityNamed("Bench " + std::to_string(i)))
                canaux.push_back(c->idInt());
        sched.advance(1.0);
        arreter();
        {
            EcrivainDeLiens inserer(fichier);
            std::mt19937_64 rng(57);
            std::uniform_real_distribution<double> u(0.0, 1.0);
            KELId id = kPremierId;
            for (int i = 0; i < kObjets; ++i) {
                const KELId o = id++;
                inserer(o, kMaintenant - 2 * kEtendue, KELDateOuverte, kModelObjet, o, kRelElements);
                const KELId canal = canaux[std::size_t(i) % canaux.size()];
                const int n = 1 + int(u(rng) * kLegosAuPlus) % kLegosAuPlus;
                double t = kMaintenant - kEtendue + u(rng) * (kEtendue / n);
                for (int k = 0; k < n; ++k) {
                    const double duree = (0.5 + u(rng) * 20) * kJour;
                    inserer(id++, t, std::min(t + duree, kMaintenant), o, canal, KELRELATION_FILE_VIEWER);
                    ++legos;
                    t += duree + u(rng) * (kEtendue / n);
                }
            }
        }
        // Two events per interval over the year: a step of that many days crosses about 500.
        pas = kEvenementsParPas / (2.0 * double(legos) / (kEtendue / kJour)) * kJour;
        demarrer();
        space->spaceWindow()->resize(1200, 900);
        space->spaceWindow()->show();
        auto* ruler = dynamic_cast<ZEVRulerViewer*>(space->rulerViewer());
        ruler->userChangeActifCurseur(space->searchCurseur());
        sched.advance(1.0);
    }

    ~Banc()
    {
        arreter();
        Scheduler::setShared(nullptr);
        tallomer::Clock::setShared(nullptr);
    }

    void placerSearch(KELDate date)
    {
        ZEVRulerViewerServices* r = space->rulerViewer();
        if (r->userInitieDeplacementCurseur()) {
            r->userPlaceCurseurEtRulerOffset(date - space->searchCurseur()->now());
            r->userTermineDeplacementCurseur();
        }
    }

    // The steps from the middle of the year forwards, each timed; with the panel, one reload of
    // its table after each.
    std::vector<double> scrub(ZEVFileViewer* files)
    {
        const KELDate debut = kMaintenant - kEtendue / 2;
        placerSearch(debut);
        std::vector<double> t;
        for (int k = 1; k <= kPas; ++k) {
            const auto t0 = std::chrono::steady_clock::now();
            placerSearch(debut + k * pas);
            if (files)
                files->fileClass().reloadItems();

            t.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
        }
        return t;
    }
};

struct Mesures {
    double moyenneSans = 0, moyenneAvec = 0, max = 0, pasJours = 0;
    std::size_t legos = 0, lignes = 0;
} mesures;

double moyenne(const std::vector<double>& v)
{
    double s = 0;
    for (double x : v)
        s += x;
    return v.empty() ? 0 : s / double(v.size());
}

void BM_FilesScrub(benchmark::State& state)
{
    Banc b;
    // The links are woken by a first pass; the second is the engine's move alone.
    b.scrub(nullptr);
    const std::vector<double> sans = b.scrub(nullptr);
    auto* files =
        dynamic_cast<ZEVFileViewer*>(b.space->creerViewerForEntityClassName("ZEVFileViewer", KELENTITY_FILE_VIEWER));
    if (!files) {
        state.SkipWithError("no Files viewer");
        return;
    }
    files->showInspectView(true);
    b.sched.advance(1.0);
    std::vector<double> avec;
    for (auto _ : state) {
        const std::vector<double> a = b.scrub(files);
        for (std::size_t i = 0; i < a.size() && i < sans.size(); ++i)
            mesures.max = std::max(mesures.max, a[i] - sans[i]);
        avec.insert(avec.end(), a.begin(), a.end());
        state.SetIterationTime(moyenne(a));
    }
    mesures.moyenneSans = moyenne(sans);
    mesures.moyenneAvec = moyenne(avec);
    mesures.legos = b.legos;
    mesures.pasJours = b.pas / kJour;
    mesures.lignes = files->fileClass().actifListe().size();
    state.counters["model_share_mean_ms"] = (mesures.moyenneAvec - mesures.moyenneSans) * 1e3;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (lancerLeBanc(argc, argv, "files_scrub_step", BM_FilesScrub, 3) != 0)
        return 1;
    std::printf("Files scrub (%d Objects, %d Channels, %zu intervals, steps of %.2f days, %zu rows at the end): "
                "engine move alone %.3f ms, with the model and one reload %.3f ms; model's share mean %.3f ms "
                "[<=4], max %.3f ms\n",
                kObjets, kCanaux, mesures.legos, mesures.pasJours, mesures.lignes, mesures.moyenneSans * 1e3,
                mesures.moyenneAvec * 1e3, (mesures.moyenneAvec - mesures.moyenneSans) * 1e3, mesures.max * 1e3);
    supprimerLesBases();
    return 0;
}
