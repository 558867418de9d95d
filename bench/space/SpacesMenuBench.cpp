// The Spaces menu over the 10^6-link base of the link base's benchmark (ten years of icon links on
// the home Channel), given a new background every six months: addSpacesToMenu with maxPrev 10
// lists the eleven Spaces before Now, each walk going back through about half the event table.
// Times are this thread's processor time; the first call, which wakes the relations the walk
// reads, is left out. A summary with the target follows the usual report.

#include "look/KELSharedResources.h"
#include "bench/engine/SyntheticBases.h"
#include "bench/space/BenchSpaceHost.h"
#include "engine/KELDemarrage.h"
#include "engine/KELModels.h"
#include "engine/KELServeurDeLiens.h"
#include "engine/store/KELChercheurDe.h"
#include "inspectors/ZEVInspectorClasses.h"
#include "platform/UserDefaults.h"
#include "ruler/ZEVRulerClass.h"
#include "runtime/Clock.h"
#include "runtime/Log.h"
#include "space/ZEVConstants.h"
#include "space/ZEVSpaceClass.h"
#include "space/ZEVSpaceController.h"

#include <QApplication>
#include <QCursor>
#include <QMenu>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace tallomer;
using namespace synthbases;

constexpr std::size_t kLiens = 1000000;
constexpr int kFonds = 20;
constexpr long kMaxPrev = 10;
// Ids above those of the base's Objects and links.
constexpr KELId kPremierId = 900000000;

using benchspace::HorlogeVirtuelle;
using benchspace::tempsProcesseur;
// A Space with its cursors and inspectors' models, and nothing else: no desks, no ruler viewer.
using Hote = benchspace::HoteNu;

// The backgrounds of the home Channel: a new image Object every six months of the base's ten
// years, the last one still shown.
void ajouterLesFonds(const std::string& fichier)
{
    EcrivainDeLiens inserer(fichier);
    const double pas = (kFin - kDebut) / kFonds;
    KELId id = kPremierId;
    for (int k = 0; k < kFonds; ++k) {
        const KELId image = id++;
        inserer(image, KELDateToujours, KELDateOuverte, kModelObjet, image, kRelElements);
        const double in = kDebut + k * pas;
        inserer(id++, in, k + 1 == kFonds ? KELDateOuverte : in + pas, image, kChannel, KELRELATION_IDENTITY_BACK_ITEM);
    }
}

struct Banc {
    ManualScheduler sched{kMaintenant};
    HorlogeVirtuelle horloge{sched};
    ScopedLogCapture journal;
    std::unique_ptr<Hote> hote;
    std::unique_ptr<ZEVSpaceController> space;
    KELI* canal = nullptr;
    QMenu menu;

    Banc()
    {
        tallomer::Clock::setShared(&horloge);
        Scheduler::setShared(&sched);
        const Base& b = base(kLiens);
        ajouterLesFonds(b.fichier);
        KELChercheurDe::setDatabasePath(b.fichier);
        KELServeurDeLiens::initialize();
        ZEVRegisterInspectorClasses();
        KELICurseur* timeline = KELDemarrage::ReveillerLesModelsEtLancer(kel::kCurseurTimeline);
        sched.runUntilIdle();
        hote = std::make_unique<Hote>(dossier());
        space = ZEVSpaceController::initSpaceControllerWithSpaceInt(KELOBJECT_CHANNEL_VIEWER_ROOT, *hote, timeline);
        canal = space ? space->channelForIdentityInt(kChannel) : nullptr;
        if (!canal || !space->nowCurseur() || !space->channelClass()) {
            std::fprintf(stderr, "spaces_menu_bench: no Space with a Now cursor and its Channels\n");
            std::exit(1);
        }
        // Wakes the relations the walk reads: the whole base comes into the event table.
        lister();
        if (space->gotoObjects().size() != std::size_t(kMaxPrev) + 1) {
            std::fprintf(stderr, "spaces_menu_bench: %zu Spaces listed, %ld expected\n", space->gotoObjects().size(),
                         kMaxPrev + 1);
            std::exit(1);
        }
    }

    ~Banc()
    {
        space.reset();
        KELServeurDeLiens::reset();
        Scheduler::setShared(nullptr);
        tallomer::Clock::setShared(nullptr);
    }

    void lister()
    {
        space->addSpacesToMenu(&menu, ZEVSpaceController::SpacesMenuAction::GotoPrevSpace, 0, kMaxPrev, 0, canal);
    }
};

struct Mesures {
    double moyenne = 0, max = 0;
    std::size_t evenements = 0;
} mesures;

// Made after the application and gone before it: the menu is a widget.
std::unique_ptr<Banc> leBanc;

void BM_SpacesMenu(benchmark::State& state)
{
    if (!leBanc)
        leBanc = std::make_unique<Banc>();
    Banc& b = *leBanc;
    std::vector<double> temps;
    for (auto _ : state) {
        const double t0 = tempsProcesseur();
        b.lister();
        const double t = tempsProcesseur() - t0;
        temps.push_back(t);
        state.SetIterationTime(t);
    }
    double somme = 0;
    for (double t : temps)
        somme += t;
    mesures.moyenne = somme / static_cast<double>(temps.size());
    mesures.max = *std::max_element(temps.begin(), temps.end());
    mesures.evenements = KELServeurDeLiens::GrandTableau().count();
    state.counters["mean_ms"] = mesures.moyenne * 1e3;
    state.counters["max_ms"] = mesures.max * 1e3;
    state.counters["events_in_table"] = static_cast<double>(mesures.evenements);
}

} // namespace

int main(int argc, char** argv)
{
    setenv("TZ", "Europe/Berlin", 1);
    tzset();
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (lancerLeBanc(argc, argv, "spaces_menu_maxPrev_10", BM_SpacesMenu, 20) != 0)
        return 1;
    std::printf("addSpacesToMenu, maxPrev 10, %zu events in the table: mean %.3f ms, max %.3f ms [<=50]\n",
                mesures.evenements, mesures.moyenne * 1e3, mesures.max * 1e3);
    leBanc.reset();
    supprimerLesBases();
    return 0;
}
