// The shared table's repaint: 10^4 rows of Objects, each with 1 to 20 icon intervals read as the
// front list reads them (the icon relation's links of the Object in the timeline's context), in a
// table 1,200 x 900 offscreen with the Search cursor active, scrolled a third of a page per step.
// Each step times one repaint of the viewport (wall time). A summary with the target follows the
// usual report.

#include "bench/engine/SyntheticBases.h"
#include "bench/ruler/BenchRulerHost.h"
#include "bench/space/BenchSpaceHost.h"
#include "engine/KELDemarrage.h"
#include "engine/KELICurseur.h"
#include "engine/KELModels.h"
#include "engine/KELServeurDeLiens.h"
#include "engine/store/KELChercheurDe.h"
#include "inspectors/ZEVInspectorClasses.h"
#include "inspectors/table/ZEVTableView.h"
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
#include <QScrollBar>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

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

constexpr int kLignes = 10000;
constexpr int kLegosAuPlus = 20;
constexpr double kJour = 86400.0;
constexpr double kEtendue = 100 * kJour;
constexpr KELId kPremierId = 900000000;
constexpr int kPasParTour = 60;

using benchspace::HorlogeVirtuelle;

using Hote = benchspace::HoteAvecRegle;

// The Objects on the home Channel, each with its icon intervals spread over the hundred days
// before `fin`.
std::vector<KELId> construireLaBase(double fin, std::string& fichier)
{
    fichier = dossier() + "/table.sqlite";
    std::filesystem::copy_file(TALLOMER_TEMPLATE_DB, fichier, std::filesystem::copy_options::overwrite_existing);
    EcrivainDeLiens inserer(fichier);
    std::mt19937_64 rng(43);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    KELId id = kPremierId;
    std::vector<KELId> objets;
    for (int i = 0; i < kLignes; ++i) {
        const KELId o = id++;
        inserer(o, fin - 2 * kEtendue, KELDateOuverte, kModelObjet, o, kRelElements);
        const int n = 1 + int(u(rng) * kLegosAuPlus) % kLegosAuPlus;
        double t = fin - kEtendue + u(rng) * kJour;
        for (int k = 0; k < n; ++k) {
            const double duree = (0.05 + u(rng) * 2) * kJour;
            inserer(id++, t, std::min(t + duree, fin), o, kChannel, kRelIcone);
            t += duree + u(rng) * (kEtendue / n);
        }
        objets.push_back(o);
    }
    return objets;
}

// The rows and their intervals, as a front list answers them.
class Lignes final : public ZEVTableViewClass {
public:
    Lignes(KELIElemRelation* icones, KELICc* contexte) : icones_(icones), contexte_(contexte) {}
    std::vector<ZEVTableElement> elements;

    std::vector<KELI*> legosForRow(ZEVTableView& table, int row) override
    {
        const ZEVTableElement* e = table.element(row);
        const std::vector<KELI*>* l = e ? icones_->liensDeLEnfant(e->item, contexte_) : nullptr;
        return l ? *l : std::vector<KELI*>{};
    }
    QVariant objectValue(ZEVTableView&, const QString&, int row, int role) override
    {
        return role == Qt::DisplayRole ? QVariant(QStringLiteral("Object %1").arg(row)) : QVariant();
    }
    bool isTitleRowSelectedForItem(ZEVTableView&, const ZEVTableElement&) override { return false; }
    bool isIconRowSelectedForItem(ZEVTableView&, const ZEVTableElement&) override { return false; }
    bool isItemActif(ZEVTableView&, const ZEVTableElement&, KELICurseur*) override { return false; }
    void selectItemsWithString(ZEVTableView&, const QString&, int) override {}
    void tableViewSearchingWillStart(ZEVTableView&) override {}
    void tableViewSearchingDidFinish(ZEVTableView&) override {}
    void tvFrontModeDidChange() override {}
    void majIndexOfSelectedRowsForTableView(ZEVTableView&) override {}
    void refreshIndexOfSelectedRowsForTableView(ZEVTableView&) override {}
    bool siFilteredItem(const ZEVTableElement&, ZEVTableView&) override { return false; }
#define RIEN(name)                                                                                                     \
    void name(ZEVTableView&) override {}
    RIEN(openSelectionInTableView)
    RIEN(findInChannelsInTableView)
    RIEN(showOriginalInTableView)
    RIEN(moveToInTableView)
    RIEN(moveToSpaceInTableView)
    RIEN(copyToInTableView)
    RIEN(copyToSpaceInTableView)
    RIEN(duplicateToInTableView)
    RIEN(duplicateToSpaceInTableView)
    RIEN(archiveToSpaceInTableView)
    RIEN(releaseSelectionInTableView)
    RIEN(recallNowSelectionInTableView)
    RIEN(recallSelectionInTableView)
    RIEN(forgetSelectionInTableView)
    RIEN(retainSelectionInTableView)
    RIEN(deselectSelectionInTableView)
    RIEN(linkSelectionInTableView)
    RIEN(unlinkSelectionInTableView)
    RIEN(renameSelectionInTableView)
    RIEN(selectIconInTableView)
    RIEN(selectTitleInTableView)
    RIEN(selectNodeInTableView)
    RIEN(selectFilterInTableView)
    RIEN(copyDurationsInTableView)
    RIEN(paste)
    RIEN(copy)
    RIEN(cut)
#undef RIEN
    void deleteLego(KELI*, ZEVTableView&) override {}
    QMenu* updateRowMenu(QMenu* menu, ZEVTableView&, const ZEVTableElement&) override { return menu; }
    QMenu* updateLegoMenu(QMenu* menu, ZEVTableView&, KELI*) override { return menu; }
    void setSiAccepteMajSelectedRows(bool, ZEVTableView&) override {}
    bool siDropedItem(const ZEVTableElement&, ZEVTableView&) override { return false; }

private:
    KELIElemRelation* icones_;
    KELICc* contexte_;
};

struct Banc {
    ManualScheduler sched{kMaintenant};
    HorlogeVirtuelle horloge{sched};
    ScopedLogCapture journal;
    std::unique_ptr<Hote> hote;
    std::unique_ptr<ZEVSpaceController> space;
    std::unique_ptr<Lignes> lignes;
    ZEVTableView* table = nullptr; // a child of the Space window
    std::size_t legos = 0;

    Banc()
    {
        tallomer::Clock::setShared(&horloge);
        Scheduler::setShared(&sched);
        std::string fichier;
        const std::vector<KELId> objets = construireLaBase(kMaintenant, fichier);
        KELChercheurDe::setDatabasePath(fichier);
        KELServeurDeLiens::initialize();
        ZEVRegisterInspectorClasses();
        KELICurseur* timeline = KELDemarrage::ReveillerLesModelsEtLancer(kel::kCurseurTimeline);
        sched.runUntilIdle();
        hote = std::make_unique<Hote>(dossier());
        space = ZEVSpaceController::initSpaceControllerWithSpaceInt(KELOBJECT_CHANNEL_VIEWER_ROOT, *hote, timeline);
        auto* ruler = space ? dynamic_cast<ZEVRulerViewer*>(space->rulerViewer()) : nullptr;
        auto* strip = ruler ? dynamic_cast<ZEVTlineView*>(ruler->tlineView()) : nullptr;
        KELIContexte* tl = space ? space->tlContexte() : nullptr;
        if (!strip || !tl || !space->searchCurseur()) {
            std::fprintf(stderr, "table_repaint_bench: no Space with its ruler, strip and cursors\n");
            std::exit(1);
        }
        // The hundred days shown, the Search cursor active in their middle.
        tl->setOffsetInOffsetOut(-kEtendue - kJour, kJour);
        tl->placeToi();
        ruler->userChangeActifCurseur(space->searchCurseur());
        ruler->setCurseurEnDeplacement(space->searchCurseur());
        if (ruler->userInitieDeplacementCurseur()) {
            ruler->userPlaceCurseurToDate(kMaintenant - kEtendue / 2);
            ruler->userTermineDeplacementCurseur();
        }
        ruler->displayRuler();
        sched.advance(1.0);

        auto* icones = dynamic_cast<KELIElemRelation*>(KELServeurDeLiens::LienForInt(kRelIcone, tl));
        if (!icones || !KELServeurDeLiens::ReveillerLaRelInt(kRelIcone, tl)) {
            std::fprintf(stderr, "table_repaint_bench: the icon relation is not in the base\n");
            std::exit(1);
        }
        lignes = std::make_unique<Lignes>(icones, tl);
        for (KELId id : objets) {
            KELI* o = KELServeurDeLiens::LienForInt(id, tl);
            if (!o) {
                std::fprintf(stderr, "table_repaint_bench: Object %lld not found\n", static_cast<long long>(id));
                std::exit(1);
            }
            o->setChannelInt(kChannel);
            lignes->elements.push_back(ZEVTableElement{o, nullptr});
            const std::vector<KELI*>* l = icones->liensDeLEnfant(o, tl);
            legos += l ? l->size() : 0;
        }

        ZEVSpaceWindow* w = space->spaceWindow();
        w->resize(1200, 960);
        w->show();
        strip->setFrameYUp(QRectF(0, 900, 1200, ZEVTlineView::kHeight));
        table = new ZEVTableView(w);
        table->setGeometry(0, 60, 1200, 900);
        table->referencerSpaceController(*space, space->frontViewer());
        table->setZevClass(lignes.get());
        table->setLegoHeight(19.0, 0.0);
        table->setSiAllLegos(true);
        table->setElements(&lignes->elements);
        table->setColumnIdentifiers({QStringLiteral("title")});
        table->reloadData();
        table->show();
        QCoreApplication::processEvents();
        table->viewport()->repaint();
    }

    ~Banc()
    {
        delete table;
        lignes.reset();
        space.reset();
        KELServeurDeLiens::reset();
        Scheduler::setShared(nullptr);
        tallomer::Clock::setShared(nullptr);
    }

    // Steps of a third of a page from `debut`, each repaint timed.
    std::vector<double> tour(int debut)
    {
        QScrollBar* barre = table->verticalScrollBar();
        const int pas = std::max(1, barre->pageStep() / 3);
        barre->setValue(debut);
        table->viewport()->repaint();
        std::vector<double> t;
        for (int k = 1; k <= kPasParTour; ++k) {
            barre->setValue(std::min(barre->maximum(), debut + k * pas));
            const auto t0 = std::chrono::steady_clock::now();
            table->viewport()->repaint();
            t.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
        }
        return t;
    }
};

struct Mesures {
    double moyenne = 0, max = 0;
    std::size_t lignes = 0, legos = 0;
} mesures;

std::unique_ptr<Banc> leBanc;

void BM_TableRepaint(benchmark::State& state)
{
    if (!leBanc)
        leBanc = std::make_unique<Banc>();
    Banc& b = *leBanc;
    std::vector<double> toutes;
    int debut = 0;
    for (auto _ : state) {
        const std::vector<double> t = b.tour(debut);
        double somme = 0;
        for (double x : t)
            somme += x;
        toutes.insert(toutes.end(), t.begin(), t.end());
        state.SetIterationTime(somme / double(t.size()));
        debut = (debut + b.table->verticalScrollBar()->pageStep() * 7) %
                std::max(1, b.table->verticalScrollBar()->maximum());
    }
    double somme = 0;
    for (double x : toutes)
        somme += x;
    mesures.moyenne = somme / double(toutes.size());
    mesures.max = *std::max_element(toutes.begin(), toutes.end());
    mesures.lignes = std::size_t(b.table->numberOfRows());
    mesures.legos = b.legos;
    state.counters["repaint_mean_ms"] = mesures.moyenne * 1e3;
    state.counters["repaint_max_ms"] = mesures.max * 1e3;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (lancerLeBanc(argc, argv, "table_repaint_third_page_step", BM_TableRepaint, 10) != 0)
        return 1;
    std::printf("Table repaint per third-of-a-page step (%zu rows, %zu icon intervals, 1200x900, Search active): "
                "mean %.3f ms [<=8], max %.3f ms\n",
                mesures.lignes, mesures.legos, mesures.moyenne * 1e3, mesures.max * 1e3);
    leBanc.reset();
    supprimerLesBases();
    return 0;
}
