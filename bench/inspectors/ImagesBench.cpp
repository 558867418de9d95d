// The Images panel scrolled a page at a time: 10^4 image Objects listed in the current Channel,
// each on a small PNG, the panel 700 x 700 points offscreen. A step scrolls one page, paints the
// table at once (the visible-row pass, its overlays and its cells) and takes the thumbnails
// handed back meanwhile; it is timed on the main thread. The thumbnail jobs started per step are
// counted (on the first pass over the pages only: later passes find their thumbnails made). A
// summary with the target follows the usual report.

#include "bench/engine/SyntheticBases.h"
#include "bench/space/BenchSpaceHost.h"
#include "engine/KELDemarrage.h"
#include "engine/KELICurseur.h"
#include "engine/KELModels.h"
#include "engine/KELServeurDeLiens.h"
#include "engine/store/KELChercheurDe.h"
#include "inspectors/ZEVInspectorClasses.h"
#include "inspectors/base/ZEVInspectView.h"
#include "inspectors/images/ZEVBackViewer.h"
#include "ruler/ZEVRulerViewer.h"
#include "runtime/Log.h"
#include "space/ZEVConstants.h"
#include "space/ZEVSpaceController.h"
#include "space/ZEVSpaceWindow.h"

#include <QApplication>
#include <QImage>
#include <QScrollBar>

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

constexpr int kImages = 10000;
constexpr KELId kPremier = 910000000;
constexpr int kPages = 40;
constexpr double kCibleMs = 8.0;

// The Space's host with the real ruler, every image Object on the same small picture.
class HoteImages final : public benchspace::HoteNu {
public:
    HoteImages(const std::string& dir, QString image) : HoteNu(dir), image_(std::move(image)) {}
    std::unique_ptr<ZEVRulerViewerServices> creerRulerViewer(ZEVRulerClassServices& r, ZEVSpaceController& s) override
    {
        const QString res = QString::fromStdString(std::filesystem::path(TALLOMER_TEMPLATE_DB).parent_path().string());
        return std::make_unique<ZEVRulerViewer>(r, s, res, nullptr);
    }
    QString fileUrlForItem(KELI*, KELId) override { return image_; }

private:
    QString image_;
};

struct Mesure {
    std::vector<double> pas;
    std::vector<std::size_t> travaux;
    int lignes = 0;
} mesure;

void BM_ImagesScroll(benchmark::State& state)
{
    ManualScheduler sched{kMaintenant};
    benchspace::HorlogeVirtuelle horloge{sched};
    ScopedLogCapture journal;
    tallomer::Clock::setShared(&horloge);
    Scheduler::setShared(&sched);
    const std::string fichier = dossier() + "/images.sqlite";
    std::filesystem::copy_file(TALLOMER_TEMPLATE_DB, fichier, std::filesystem::copy_options::overwrite_existing);
    const QString png = QString::fromStdString(dossier() + "/picture.png");
    QImage petite(320, 200, QImage::Format_RGB32);
    petite.fill(QColor(40, 120, 200));
    petite.save(png);

    KELChercheurDe::setDatabasePath(fichier);
    KELServeurDeLiens::initialize();
    ZEVRegisterInspectorClasses();
    KELICurseur* timeline = KELDemarrage::ReveillerLesModelsEtLancer(kel::kCurseurTimeline);
    sched.runUntilIdle();
    auto hote = std::make_unique<HoteImages>(dossier(), png);
    auto space = ZEVSpaceController::initSpaceControllerWithSpaceInt(KELOBJECT_CHANNEL_VIEWER_ROOT, *hote, timeline);
    if (!space) {
        state.SkipWithError("no Space");
        return;
    }
    const KELId canal = space->currentChannelInt();
    space.reset();
    hote.reset();
    ZEVEntityViewerClasses::reset();
    KELServeurDeLiens::reset();
    {
        EcrivainDeLiens inserer(fichier);
        KELId id = kPremier;
        for (int i = 0; i < kImages; ++i) {
            const KELId o = id++;
            inserer(o, kMaintenant - 400 * 86400.0, KELDateOuverte, kModelObjet, o, kRelElements);
            inserer(id++, kMaintenant - 30 * 86400.0, KELDateOuverte, o, canal, KELRELATION_BACK_VIEWER);
        }
    }
    KELServeurDeLiens::initialize();
    ZEVRegisterInspectorClasses();
    timeline = KELDemarrage::ReveillerLesModelsEtLancer(kel::kCurseurTimeline);
    sched.runUntilIdle();
    hote = std::make_unique<HoteImages>(dossier(), png);
    space = ZEVSpaceController::initSpaceControllerWithSpaceInt(KELOBJECT_CHANNEL_VIEWER_ROOT, *hote, timeline);
    space->spaceWindow()->resize(1400, 1000);
    space->spaceWindow()->show();
    auto* images =
        dynamic_cast<ZEVBackViewer*>(space->creerViewerForEntityClassName("ZEVBackViewer", KELENTITY_BACK_VIEWER));
    if (!images) {
        state.SkipWithError("no Images viewer");
        return;
    }
    images->showInspectView(true);
    sched.advance(1.0);
    ZEVBackTableView* table = images->backTableView();
    images->inspectView()->setFrame(QRectF(images->inspectView()->frame().x(), images->inspectView()->frame().y(), 700, 700));
    sched.advance(1.0);
    QCoreApplication::processEvents();
    mesure.lignes = table->numberOfRows();
    ZEVBackClass& modele = images->backClass();

    for (auto _ : state) {
        table->verticalScrollBar()->setValue(0);
        table->viewport()->repaint();
        std::vector<double> temps;
        for (int k = 0; k < kPages; ++k) {
            // Each image met for the first time gets its cache and one thumbnail job.
            const std::size_t avant = modele.backObjectCount();
            const auto t0 = std::chrono::steady_clock::now();
            QScrollBar* s = table->verticalScrollBar();
            s->setValue(s->value() + s->pageStep());
            table->viewport()->repaint();
            QCoreApplication::processEvents();
            temps.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
            mesure.travaux.push_back(modele.backObjectCount() - avant);
        }
        double somme = 0;
        for (double t : temps)
            somme += t;
        state.SetIterationTime(somme / double(temps.size()));
        mesure.pas.insert(mesure.pas.end(), temps.begin(), temps.end());
    }
    images = nullptr;
    space.reset();
    hote.reset();
    ZEVEntityViewerClasses::reset();
    KELServeurDeLiens::reset();
    Scheduler::setShared(nullptr);
    tallomer::Clock::setShared(nullptr);
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (lancerLeBanc(argc, argv, "images_scroll", BM_ImagesScroll, 3) != 0)
        return 1;
    double somme = 0, max = 0;
    for (double t : mesure.pas) {
        somme += t;
        max = std::max(max, t);
    }
    std::size_t travaux = 0;
    for (std::size_t n : mesure.travaux)
        travaux += n;
    const double n = mesure.pas.empty() ? 1.0 : double(mesure.pas.size());
    std::printf("images_scroll (%d image rows, 700 x 700 panel, a page per step): mean_ms %.3f [<=%.0f], max_ms %.3f, "
                "thumbnail jobs per step %.1f\n",
                mesure.lignes, somme / n * 1e3, kCibleMs, max * 1e3, double(travaux) / n);
    supprimerLesBases();
    return 0;
}
