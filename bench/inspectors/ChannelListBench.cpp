// The Channel list's repaint: 20 Channels, each with 200 Spaces over the span the timeline
// shows, in 20 rows 1,920 points wide offscreen, every Space's picture already rendered in the
// Space's cache. Each step times one repaint of the whole list (wall time), first with no
// pointer, then while the pointer moves across the rows (the magnifier in every row). A summary
// with the target follows the usual report.

#include "bench/engine/SyntheticBases.h"
#include "bench/ruler/BenchRulerHost.h"
#include "bench/space/BenchSpaceHost.h"
#include "engine/KELDemarrage.h"
#include "engine/KELICurseur.h"
#include "engine/KELModels.h"
#include "engine/KELServeurDeLiens.h"
#include "engine/store/KELChercheurDe.h"
#include "inspectors/ZEVInspectorClasses.h"
#include "inspectors/channels/ZEVChannelTableView.h"
#include "inspectors/channels/ZEVChannelViewer.h"
#include "ruler/ZEVRulerClass.h"
#include "ruler/ZEVRulerViewer.h"
#include "ruler/ZEVTlineType.h"
#include "ruler/ZEVTlineView.h"
#include "runtime/Log.h"
#include "space/ZEVBackObject.h"
#include "space/ZEVConstants.h"
#include "space/ZEVSpaceClass.h"
#include "space/ZEVSpaceController.h"
#include "space/ZEVSpaceWindow.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace tallomer;
using namespace synthbases;

constexpr int kChannels = 20;
constexpr int kEspaces = 200;
constexpr double kJour = 86400.0;
constexpr double kEtendue = 60 * kJour;
constexpr KELId kPremierId = 900000000;
constexpr KELId kModelIdentite = 1000041;
constexpr KELId kRelIdentite = 1000042;
constexpr int kLargeur = 1920;
constexpr int kPas = 40;

using benchspace::HorlogeVirtuelle;

using Hote = benchspace::HoteAvecRegle;

struct Base {
    std::vector<KELId> channels;
    std::vector<KELId> images;
};

// The Channels, listed over the whole span, each with its Spaces one after the other in it.
Base construireLaBase(double fin, std::string& fichier)
{
    fichier = dossier() + "/channels.sqlite";
    std::filesystem::copy_file(TALLOMER_TEMPLATE_DB, fichier, std::filesystem::copy_options::overwrite_existing);
    EcrivainDeLiens inserer(fichier);
    Base b;
    KELId id = kPremierId;
    const double debut = fin - kEtendue;
    const double duree = kEtendue / kEspaces;
    for (int c = 0; c < kChannels; ++c) {
        const KELId canal = id++;
        b.channels.push_back(canal);
        inserer(canal, -KELDateOuverte, KELDateOuverte, kModelIdentite, canal, kRelIdentite);
        inserer(id++, debut - kJour, KELDateOuverte, canal, KELOBJECT_CHANNEL_VIEWER_ROOT, KELRELATION_CHANNEL_VIEWER);
        for (int s = 0; s < kEspaces; ++s) {
            const double in = debut + s * duree + c * 60.0;
            const double out = s + 1 == kEspaces ? KELDateOuverte : debut + (s + 1) * duree + c * 60.0;
            const KELId image = id++;
            b.images.push_back(image);
            inserer(image, -KELDateOuverte, KELDateOuverte, kModelObjet, image, kRelElements);
            inserer(id++, in, out, image, canal, KELRELATION_IDENTITY_BACK_ITEM);
            inserer(id++, in, out, KELOBJECT_DEFAULT_COLOR, canal, KELRELATION_IDENTITY_BACK_COLOR);
            inserer(id++, in, out, KELOBJECT_SCALE_IN, canal, KELRELATION_IDENTITY_BACK_SCALE);
        }
    }
    return b;
}

struct Banc {
    ManualScheduler sched{kMaintenant};
    HorlogeVirtuelle horloge{sched};
    ScopedLogCapture journal;
    std::unique_ptr<Hote> hote;
    std::unique_ptr<ZEVSpaceController> space;
    ZEVChannelTableView* table = nullptr; // a child of the Space window
    ZEVChannelViewer* viewer = nullptr;   // the Space's

    Banc()
    {
        tallomer::Clock::setShared(&horloge);
        Scheduler::setShared(&sched);
        std::string fichier;
        const Base base = construireLaBase(kMaintenant, fichier);
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
        viewer = space ? dynamic_cast<ZEVChannelViewer*>(space->viewerForEntityClassName("ZEVChannelViewer")) : nullptr;
        if (!strip || !tl || !viewer) {
            std::fprintf(stderr, "channel_list_bench: no Space with its ruler, strip and Channels\n");
            std::exit(1);
        }
        tl->setOffsetInOffsetOut(-kEtendue - kJour, kJour);
        tl->placeToi();
        ruler->displayRuler();
        sched.advance(1.0);

        // Every picture rendered already.
        QImage vignette(int(ZEVBackObject::kThumbnailWidth), int(ZEVBackObject::kThumbnailHeight) - 6,
                        QImage::Format_ARGB32_Premultiplied);
        vignette.fill(QColor(120, 160, 200));
        for (KELId id : base.images) {
            auto o = std::make_shared<ZEVBackObject>(KELServeurDeLiens::LienForInt(id, tl), 0, QRectF());
            o->setChannelImage(vignette);
            space->spaceClass()->ajouteBackObject(std::move(o), id, KELOBJECT_SCALE_IN);
        }

        ZEVSpaceWindow* w = space->spaceWindow();
        w->resize(kLargeur, 900);
        w->show();
        strip->setFrameYUp(QRectF(0, 860, kLargeur, ZEVTlineView::kHeight));
        ZEVChannelClass& model = viewer->channelModel();
        table = new ZEVChannelTableView(*viewer, nullptr);
        table->setParent(w);
        table->referencerSpaceController(*space, space->frontViewer());
        table->setGeometry(0, 40, kLargeur, kChannels * int(ZEVChannelTableView::kRowHeight));
        table->referencerChannelClass(&model);
        table->setZevClass(&model);
        model.referencerInspectTableView(table);
        table->show();
        QCoreApplication::processEvents();
        if (table->numberOfRows() < kChannels) {
            std::fprintf(stderr, "channel_list_bench: %d rows listed\n", table->numberOfRows());
            std::exit(1);
        }
        // The strips are drawn: the rendered pictures show in the rows.
        const QImage vue = table->viewport()->grab().toImage();
        int bleus = 0;
        for (int x = 0; x < vue.width(); x += 7) {
            const QColor c = vue.pixelColor(x, 30 + 12);
            bleus += c.blue() > c.red() + 20 ? 1 : 0;
        }
        if (bleus < vue.width() / 7 / 2) {
            std::fprintf(stderr, "channel_list_bench: the strips show no pictures (%d)\n", bleus);
            std::exit(1);
        }
    }

    ~Banc()
    {
        viewer->channelModel().referencerInspectTableView(nullptr);
        delete table;
        space.reset();
        KELServeurDeLiens::reset();
        Scheduler::setShared(nullptr);
        tallomer::Clock::setShared(nullptr);
    }

    // Repaints of the whole list; with `pointeur`, the pointer a step further across each time.
    std::vector<double> tour(bool pointeur, int decalage)
    {
        std::vector<double> t;
        table->mouseMovedAtPoint(QPointF(ZEVChannelTableView::kPointerGone, 0));
        for (int k = 0; k < kPas; ++k) {
            if (pointeur)
                table->mouseMovedAtPoint(QPointF((decalage + k * 47) % (kLargeur - 60), 15 + (k % kChannels) * 30));
            const auto t0 = std::chrono::steady_clock::now();
            table->viewport()->repaint();
            t.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
        }
        return t;
    }
};

struct Mesures {
    double moyenne = 0, max = 0;
} repos, pointeur;

std::unique_ptr<Banc> leBanc;

void mesurer(benchmark::State& state, bool avecPointeur, Mesures& m)
{
    if (!leBanc)
        leBanc = std::make_unique<Banc>();
    std::vector<double> toutes;
    int decalage = 0;
    for (auto _ : state) {
        const std::vector<double> t = leBanc->tour(avecPointeur, decalage);
        double somme = 0;
        for (double x : t)
            somme += x;
        toutes.insert(toutes.end(), t.begin(), t.end());
        state.SetIterationTime(somme / double(t.size()));
        decalage += 13;
    }
    double somme = 0;
    for (double x : toutes)
        somme += x;
    m.moyenne = somme / double(toutes.size());
    m.max = *std::max_element(toutes.begin(), toutes.end());
    state.counters["repaint_mean_ms"] = m.moyenne * 1e3;
    state.counters["repaint_max_ms"] = m.max * 1e3;
}

void BM_ChannelList(benchmark::State& state) { mesurer(state, false, repos); }
void BM_ChannelListPointer(benchmark::State& state) { mesurer(state, true, pointeur); }

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::RegisterBenchmark("channel_list_repaint_pointer_moving", BM_ChannelListPointer)
        ->UseManualTime()
        ->Iterations(10)
        ->Unit(benchmark::kMillisecond);
    if (lancerLeBanc(argc, argv, "channel_list_repaint", BM_ChannelList, 10) != 0)
        return 1;
    std::printf("Channel list repaint (%d Channels x %d Spaces, %d rows %d wide, pictures cached): "
                "mean %.3f ms [<=8], max %.3f ms; pointer moving: mean %.3f ms [<=8], max %.3f ms\n",
                kChannels, kEspaces, kChannels, kLargeur, repos.moyenne * 1e3, repos.max * 1e3, pointeur.moyenne * 1e3,
                pointeur.max * 1e3);
    leBanc.reset();
    supprimerLesBases();
    return 0;
}
