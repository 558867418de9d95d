// The desk at the sizes people reach after years of use, measured through the program's own
// object graph (ApplicationGraph, as main() builds it) on stores seeded through the real desk
// model: 200 Objects with a few moves each, and 2,000 Objects with 20 past moves each (about
// 10^5 links). Reports, by name:
//   startup/N       program start on the store to the end of the first paint with every icon;
//   repaint/N       one full repaint of the desk canvas, 1260 x 788, offscreen;
//   search_step/N   a Search-cursor move crossing about 1,000 events, through the desk's refresh
//                   and the window's paints, until none is pending (the desk's coalescing delay
//                   is skipped on the virtual clock); its engine part, the cursor's move through
//                   the link base with the messages to the views, apart;
//   search_180/N    the same for a step of 180 days;
//   search_past/N   the first step's length, back and forth a month before now: the store's
//                   wallpaper dates from its first run (today), so steps that reach today change
//                   the whole background, while these leave it, and paint only what they change;
//   move_icon/L     one position change of one icon on the store of L links;
//   rss_per_object  resident bytes per Object beyond the empty program.
// The store is written once; each start runs in a process of its own (the program runs itself
// with --measure), so that memory and first-use caches are those of a fresh start. Run it on a
// session bus of its own: dbus-run-session -- bench_desk_DeskAtScaleBench

#include "app/ApplicationGraph.h"
#include "app/space/ZEVSpaceAdapter.h"
#include "app/store/KELResources.h"
#include "desk/model/ZEVDeskClass.h"
#include "desk/model/ZEVItemClass.h"
#include "desk/viewer/ZEVDeskViewer.h"
#include "engine/KELLien.h"
#include "engine/KELServeurDeLiens.h"
#include "platform/HeapPages.h"
#include "platform/QtScheduler.h"
#include "platform/UserDefaults.h"
#include "platform/hid/FakeEvdevSystem.h"
#include "platform/thumbs/Thumbnails.h"
#include "runtime/Clock.h"
#include "engine/KELICurseur.h"
#include "space/ZEVSpaceParts.h"
#include "space/ZEVConstants.h"
#include "space/ZEVSpaceController.h"
#include "space/ZEVSpaceWindow.h"
#include "widgets/ZEVAlert.h"
#include "widgets/ZEVBlitBatch.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGraphicsView>
#include <QImage>
#include <QPaintEngine>
#include <QPaintEvent>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QThreadPool>

#include <sqlite3.h>
#if __has_include(<valgrind/callgrind.h>)
#include <valgrind/callgrind.h>
#else
#define CALLGRIND_TOGGLE_COLLECT
#define CALLGRIND_DUMP_STATS_AT(name)
#endif
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <memory>
#include <random>
#include <vector>

#ifndef TALLOMER_TEMPLATE_DB
#define TALLOMER_TEMPLATE_DB "share/tallomer/zev.sqlite"
#endif

namespace {

using namespace tallomer;

constexpr int kCanvasW = 1260;
constexpr int kCanvasH = 788;
constexpr double kDay = 86400.0;

// The targets on the 2,000-Object store.
constexpr double kRepaintTargetMs = 8;
constexpr double kStartupTargetMs = 500;
constexpr double kSearchTargetMs = 16;
constexpr double kMoveTargetMs = 1;
constexpr double kBytesPerObjectTarget = 40 * 1024;

double ms(const QElapsedTimer& t) { return t.nsecsElapsed() / 1e6; }

long residentBytes()
{
    QFile f(QStringLiteral("/proc/self/statm"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = f.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toLong() * sysconf(_SC_PAGESIZE) : 0;
}

void useHome(const QString& home)
{
    for (const auto& [name, sub] : std::vector<std::pair<const char*, const char*>>{
             {"HOME", ""}, {"XDG_DATA_HOME", "/.local/share"}, {"XDG_CONFIG_HOME", "/.config"},
             {"XDG_CACHE_HOME", "/.cache"}}) {
        QDir().mkpath(home + sub);
        qputenv(name, (home + sub).toUtf8());
    }
}

// The program of one home, on a virtual clock that starts today.
struct Program {
    explicit Program(const QString& home)
        : home(home), defaults(home + "/.config/Tallomer/Tallomer.conf"), values(defaults),
          devices(std::make_unique<FakeEvdevSystem>())
    {
        Clock::setShared(&clock);
    }
    ~Program()
    {
        graph.reset();
        Clock::setShared(nullptr);
    }

    bool start()
    {
        ApplicationGraph::Options options;
        options.application.layout = KELStoreLayout::standard();
        options.application.addSidebarItem = false;
        options.application.hidRegistry = &devices;
        options.defaults = &values;
        options.volumeLister = [] { return QStringList{QStringLiteral("/")}; };
        graph = std::make_unique<ApplicationGraph>(std::move(options));
        if (graph->start())
            return false;
        graph->application()->setStopHandler([](int) {});
        for (int i = 0; i < 40 && !window(); ++i)
            advance(0.05);
        return window() != nullptr;
    }

    void pump(int rounds = 3)
    {
        for (int i = 0; i < rounds; ++i) {
            QThreadPool::globalInstance()->waitForDone();
            graph->thumbnails().waitForDone();
            QCoreApplication::processEvents(QEventLoop::AllEvents);
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
    }

    // Every perform due within `seconds` runs now: the delays cost no wall time.
    void advance(double seconds)
    {
        const double start = clock.now();
        const double end = start + seconds;
        double due = 0;
        while (graph && graph->scheduler().nextDue(&due) && due <= end) {
            ++rounds;
            clock.set(std::max(clock.now(), due));
            QElapsedTimer t;
            t.start();
            graph->scheduler().clockMoved();
            const double ran = t.nsecsElapsed() / 1e6;
            pump(1);
            if (trace)
                std::fprintf(stderr, "  round at +%.0f ms: performs %.1f ms, events %.1f ms\n", (due - start) * 1000, ran,
                             t.nsecsElapsed() / 1e6 - ran);
        }
        clock.set(end);
        if (graph)
            graph->scheduler().clockMoved();
        pump(1);
    }

    void quit()
    {
        QWidget* target = window();
        if (QWidget* focus = target->focusWidget())
            target = focus;
        QTest::keyClick(target, Qt::Key_Q, Qt::ControlModifier);
        pump();
        graph.reset();
    }

    ZEVSpaceController* space() const { return graph && graph->space() ? graph->space()->space() : nullptr; }
    ZEVSpaceWindow* window() const { return space() ? space()->spaceWindow() : nullptr; }
    ZEVDeskViewer* desk(KELICurseur* c) const { return space() ? space()->deskViewerForCurseur(c) : nullptr; }
    ZEVDeskViewer* nowDesk() const { return space() ? desk(space()->nowCurseur()) : nullptr; }
    QGraphicsView* canvas() const { return window()->spaceView()->deskCanvas(); }

    // The window sized so that the desk canvas is kCanvasW x kCanvasH.
    void sizeCanvas()
    {
        QWidget* content = canvas();
        for (int i = 0; i < 3 && content->size() != QSize(kCanvasW, kCanvasH); ++i) {
            window()->resize(window()->width() + kCanvasW - content->width(),
                             window()->height() + kCanvasH - content->height());
            advance(0.5);
        }
    }

    // Every paint the window still owes: event passes until one paints nothing more.
    void flush(const int& paints)
    {
        for (int i = 0; i < 10; ++i) {
            const int before = paints;
            pump(1);
            if (paints == before)
                return;
        }
    }

    // One full repaint of the canvas, as the window system asks it.
    void repaint(QImage& image)
    {
        image.fill(Qt::black);
        canvas()->viewport()->render(&image);
    }

    QString home;
    bool trace = false;
    int rounds = 0; // scheduler rounds run by advance, each with its own event pass
    FixedClock clock{dateFromUnix(double(std::time(nullptr)))};
    UserDefaults defaults;
    UserDefaultsController values;
    EvdevRegistry devices;
    // The welcome and every other question answered at once, as a user who knows the program.
    ScopedAlertAnswerer answerer{[](const ZEVAlertRequest&) { return 1; }};
    std::unique_ptr<ApplicationGraph> graph;
};

// n Objects on the Now desk of the home Channel, each moved `moves` times over the two years
// before today, written through the desk model of a first run of the program. Answers the
// dates of the moves, sorted.
std::vector<double> seed(const QString& home, int n, int moves)
{
    useHome(home);
    Program p(home);
    if (!p.start()) {
        std::fprintf(stderr, "bench: the program did not start\n");
        std::exit(1);
    }
    // Places are given in the window's points, at the scale of the measured canvas.
    p.sizeCanvas();
    ZEVDeskViewer* viewer = p.nowDesk();
    ZEVDeskClass* desk = viewer->deskClass();
    ZEVItemClass* items = viewer->itemClass();
    const double now = p.clock.now();
    std::mt19937 random(n);
    std::uniform_real_distribution<double> x(20, kCanvasW - 90), y(20, kCanvasH - 110), when(now - 730 * kDay, now - kDay);
    std::vector<double> dates;
    const char* types[] = {"txt", "pdf", "png", "html", "jpg", "doc", "mp3", "zip"};
    for (int i = 0; i < n; ++i) {
        KELI* item = items->creerItemWithChannelInt(KELOBJECT_HOME_CHANNEL, "Object " + std::to_string(i), "file",
                                                    types[i % 8], 0);
        ZEVIconPosition at{x(random), y(random), 64, 0};
        desk->creerIconAttributsForItem(item, at);
        desk->creerIconForItem(item, now - 800 * kDay, KELDateOuverte);
        std::vector<double> d(moves);
        for (double& t : d)
            t = when(random);
        std::sort(d.begin(), d.end());
        for (double t : d) {
            const ZEVIconPosition to{x(random), y(random), 64, 0};
            desk->updatePosition(to, at, item, t);
            at = to;
        }
        dates.insert(dates.end(), d.begin(), d.end());
        if (i % 100 == 99)
            p.advance(0.1);
    }
    p.advance(2);
    p.quit();
    std::sort(dates.begin(), dates.end());
    return dates;
}

long storeLinks(const QString& home)
{
    sqlite3* db = nullptr;
    long n = 0;
    const QByteArray file = QFile::encodeName(home + "/.local/share/Tallomer/zev.sqlite");
    if (sqlite3_open_v2(file.constData(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(db, "SELECT COUNT(*) FROM ZEVLETS", -1, &st, nullptr) == SQLITE_OK &&
            sqlite3_step(st) == SQLITE_ROW)
            n = sqlite3_column_int64(st, 0);
        sqlite3_finalize(st);
    }
    sqlite3_close(db);
    return n;
}

// Each paint of a desk canvas: counted, and with `listed` printed (when it began, how long it
// took, the region it covered). Filtering the application, it sees the canvas of the start before
// that canvas exists; filtering one viewport, only that one.
class CanvasPaints : public QObject {
public:
    explicit CanvasPaints(QWidget* viewport = nullptr) : viewport_(viewport) {}
    bool eventFilter(QObject* target, QEvent* event) override
    {
        if (event->type() != QEvent::Paint || !since_)
            return false;
        if (viewport_ ? target != viewport_ : !(target->parent() && qobject_cast<QGraphicsView*>(target->parent())))
            return false;
        const QRegion region = static_cast<QPaintEvent*>(event)->region();
        const double at = ms(*since_);
        QObject* filtered = viewport_ ? static_cast<QObject*>(viewport_) : QCoreApplication::instance();
        filtered->removeEventFilter(this);
        QCoreApplication::sendEvent(target, event);
        filtered->installEventFilter(this);
        ++count;
        if (listed) {
            long area = 0;
            for (const QRect& r : region)
                area += long(r.width()) * r.height();
            const QRect b = region.boundingRect();
            std::fprintf(stderr, "  paint at %.1f ms: %.1f ms, %d rects, %ld px, within %d,%d %dx%d\n", at,
                         ms(*since_) - at, int(region.rectCount()), area, b.x(), b.y(), b.width(), b.height());
        }
        return true;
    }
    void start(const QElapsedTimer* since)
    {
        since_ = since;
        count = 0;
    }
    int count = 0;
    bool listed = false;

private:
    QWidget* viewport_;
    const QElapsedTimer* since_ = nullptr;
};

// What a repaint costs Qt's raster engine alone: the images and pixmaps one paint of the canvas
// draws, recorded with the transform, opacity and composition each was drawn with, then drawn
// again onto an image of the canvas's size without the scene, its items or their paint code.
// Whatever the canvas draws otherwise (lines, fills, text not drawn from a cached image) is
// counted and left out, so the floor is an underestimate.
class BlitRecorder : public QPaintEngine, public QPaintDevice {
public:
    explicit BlitRecorder(QSize size) : QPaintEngine(QPaintEngine::AllFeatures), size_(size) {}

    struct Blit {
        QTransform transform;
        double opacity = 1;
        QPainter::CompositionMode mode = QPainter::CompositionMode_SourceOver;
        QRectF target, source;
        QImage image;
        QPixmap pixmap;
    };
    std::vector<Blit> blits;
    int otherOps = 0;

    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    Type type() const override { return QPaintEngine::User; }
    void updateState(const QPaintEngineState& state) override
    {
        if (state.state() & QPaintEngine::DirtyTransform)
            transform_ = state.transform();
        if (state.state() & QPaintEngine::DirtyOpacity)
            opacity_ = state.opacity();
        if (state.state() & QPaintEngine::DirtyCompositionMode)
            mode_ = state.compositionMode();
    }
    void drawPixmap(const QRectF& r, const QPixmap& pm, const QRectF& sr) override
    {
        blits.push_back({transform_, opacity_, mode_, r, sr, QImage(), pm});
    }
    void drawImage(const QRectF& r, const QImage& image, const QRectF& sr, Qt::ImageConversionFlags) override
    {
        blits.push_back({transform_, opacity_, mode_, r, sr, image, QPixmap()});
    }
    void drawTiledPixmap(const QRectF&, const QPixmap&, const QPointF&) override { ++otherOps; }
    void drawRects(const QRectF*, int) override { ++otherOps; }
    void drawRects(const QRect*, int) override { ++otherOps; }
    void drawLines(const QLineF*, int) override { ++otherOps; }
    void drawLines(const QLine*, int) override { ++otherOps; }
    void drawEllipse(const QRectF&) override { ++otherOps; }
    void drawPath(const QPainterPath&) override { ++otherOps; }
    void drawPoints(const QPointF*, int) override { ++otherOps; }
    void drawPolygon(const QPointF*, int, PolygonDrawMode) override { ++otherOps; }
    void drawTextItem(const QPointF&, const QTextItem&) override { ++otherOps; }

    QPaintEngine* paintEngine() const override { return const_cast<BlitRecorder*>(this); }

    // The recorded blits drawn onto `image`, as the raster engine draws them for the canvas.
    void replay(QImage& image) const
    {
        image.fill(Qt::black);
        QPainter painter(&image);
        for (const Blit& b : blits) {
            painter.setTransform(b.transform);
            painter.setOpacity(b.opacity);
            painter.setCompositionMode(b.mode);
            if (!b.image.isNull()) {
                if (b.source == QRectF(b.image.rect()) && b.target.size() == b.source.size())
                    painter.drawImage(b.target.topLeft(), b.image);
                else
                    painter.drawImage(b.target, b.image, b.source);
            } else if (b.source == QRectF(b.pixmap.rect()) && b.target.size() == b.source.size()) {
                painter.drawPixmap(b.target.topLeft(), b.pixmap);
            } else {
                painter.drawPixmap(b.target, b.pixmap, b.source);
            }
        }
    }

protected:
    int metric(PaintDeviceMetric metric) const override
    {
        switch (metric) {
        case PdmWidth: return size_.width();
        case PdmHeight: return size_.height();
        case PdmWidthMM: return size_.width() * 254 / 960;
        case PdmHeightMM: return size_.height() * 254 / 960;
        case PdmNumColors: return 0;
        case PdmDepth: return 32;
        case PdmDpiX: case PdmDpiY: case PdmPhysicalDpiX: case PdmPhysicalDpiY: return 96;
        case PdmDevicePixelRatio: return 1;
        case PdmDevicePixelRatioScaled: return int(QPaintDevice::devicePixelRatioFScale());
        }
        return 0;
    }

private:
    QSize size_;
    QTransform transform_;
    double opacity_ = 1;
    QPainter::CompositionMode mode_ = QPainter::CompositionMode_SourceOver;
};

double median(std::vector<double> v)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// In a process of its own: starts the program on `home`, which holds `objects` Objects, and
// prints one line of measures: startup ms, views shown, resident bytes, repaint ms, search step
// ms, 180-day step ms, move ms.
int measure(const QString& home, int objects, double stepDays)
{
    useHome(home);
    ZEVBlitBatch::setEnabled(qEnvironmentVariableIsEmpty("TALLOMER_BENCH_SERIAL"));
    QElapsedTimer clock;
    clock.start();
    Program p(home);
    CanvasPaints timeline;
    const bool detailed = !qEnvironmentVariableIsEmpty("TALLOMER_BENCH_DETAIL");
    timeline.listed = true;
    timeline.start(&clock);
    if (detailed)
        QCoreApplication::instance()->installEventFilter(&timeline);
    if (!p.start())
        return 1;
    // Until every icon is on the desk, then the first paint of them all.
    ZEVDeskViewer* desk = p.nowDesk();
    for (int i = 0; i < 400 && desk && int(desk->nbDeItemViews()) < objects; ++i)
        p.advance(0.02);
    QImage image(kCanvasW, kCanvasH, QImage::Format_ARGB32_Premultiplied);
    p.repaint(image);
    const double startup = ms(clock);
    CALLGRIND_DUMP_STATS_AT("start");
    if (detailed) {
        QCoreApplication::instance()->removeEventFilter(&timeline);
        // On a busy machine the wall time varies widely; the processor time of the start varies less.
        timespec thread{}, process{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &thread);
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &process);
        std::fprintf(stderr, "  every icon shown at %.0f ms (processor: main thread %.0f ms, all threads %.0f ms)\n",
                     startup, thread.tv_sec * 1e3 + thread.tv_nsec / 1e6, process.tv_sec * 1e3 + process.tv_nsec / 1e6);
    }
    const QSize firstCanvas = p.canvas()->viewport()->size();
    if (!qEnvironmentVariableIsEmpty("TALLOMER_BENCH_SHOT"))
        image.save(qEnvironmentVariable("TALLOMER_BENCH_SHOT") + QString::number(objects) + ".png");
    const std::size_t shown = desk ? desk->nbDeItemViews() : 0;
    p.advance(1);
    const long rss = residentBytes();

    p.sizeCanvas();
    if (!qEnvironmentVariableIsEmpty("TALLOMER_BENCH_SHOT")) {
        p.repaint(image);
        image.save(qEnvironmentVariable("TALLOMER_BENCH_SHOT") + QString::number(objects) + "-sized.png");
        std::fprintf(stderr, "canvas at the first paint: %d x %d\n", firstCanvas.width(), firstCanvas.height());
    }
    const bool detail = detailed;
    std::vector<double> paints;
    const int repaints = qEnvironmentVariableIntValue("TALLOMER_BENCH_REPAINTS");
    for (int i = 0; i < (repaints > 0 ? repaints : 30); ++i) {
        QElapsedTimer t;
        t.start();
        CALLGRIND_TOGGLE_COLLECT;
        p.repaint(image);
        CALLGRIND_TOGGLE_COLLECT;
        paints.push_back(ms(t));
    }
    // The same paint's blits alone, on the raster engine.
    std::vector<double> floors;
    BlitRecorder recorder(image.size());
    {
        QPainter painter(&recorder);
        p.canvas()->viewport()->render(&painter);
    }
    for (std::size_t i = 0; i < paints.size(); ++i) {
        QElapsedTimer t;
        t.start();
        recorder.replay(image);
        floors.push_back(ms(t));
    }
    if (detail)
        // The fastest of them too: on a machine shared with other work, the least disturbed.
        std::fprintf(stderr, "repaint: %zu images drawn (%d other operations left out of the floor), fastest %.2f ms\n",
                     recorder.blits.size(), recorder.otherOps, *std::min_element(paints.begin(), paints.end()));

    // The Search cursor, made active, stepped back and forth.
    ZEVRulerViewerServices* ruler = p.space()->rulerViewer();
    KELICurseur* search = p.space()->searchCurseur();
    CanvasPaints stepPaints(p.canvas()->viewport());
    stepPaints.listed = detail;
    p.canvas()->viewport()->installEventFilter(&stepPaints);
    // Under callgrind, the steps are counted apart: what was collected so far goes to a file of
    // its own, then each step from the cursor's move to its last paint is collected.
    const bool collectSteps = !qEnvironmentVariableIsEmpty("TALLOMER_BENCH_COLLECT_STEPS");
    // "short": the 180-day steps, whose cursor moves outweigh the rest, are left out.
    const bool collectLong = qEnvironmentVariable("TALLOMER_BENCH_COLLECT_STEPS") != QLatin1String("short");
    if (collectSteps)
        CALLGRIND_DUMP_STATS_AT("before the steps");
    std::vector<double> engineParts; // of the steps of about 1,000 events
    auto step = [&](double days) {
        const bool collect = collectSteps && (collectLong || days == stepDays);
        std::vector<double> times;
        for (int i = 0; i < 6; ++i) {
            const double by = (i % 2 == 0 ? -days : days) * kDay;
            QElapsedTimer t;
            t.start();
            stepPaints.start(&t);
            if (collect)
                CALLGRIND_TOGGLE_COLLECT;
            ruler->userChangeActifCurseur(search);
            ruler->userInitieDeplacementCurseur();
            ruler->userPlaceCurseurEtRulerOffset(by);
            ruler->userTermineDeplacementCurseur();
            const double moved = ms(t);
            if (days == stepDays)
                engineParts.push_back(moved);
            p.rounds = 0;
            p.trace = detail;
            // The desk's coalesced pass is due 50 ms later: its work, then the frame it asks.
            p.advance(0.06);
            const double refreshed = ms(t);
            p.trace = false;
            // What the rounds left for the window to paint; the step is over when nothing is.
            p.flush(stepPaints.count);
            times.push_back(ms(t));
            if (collect)
                CALLGRIND_TOGGLE_COLLECT;
            if (detail)
                std::fprintf(stderr,
                             "step %.0f days: cursor %.1f ms, refresh %.1f ms (%d rounds), flush %.1f ms, %d paints\n",
                             by / kDay, moved, refreshed - moved, p.rounds, times.back() - refreshed,
                             stepPaints.count);
            stepPaints.start(nullptr);
            // The icons' moves to their places, frames spread over the next second.
            p.advance(2);
        }
        return median(times);
    };
    const bool steps = qEnvironmentVariable("TALLOMER_BENCH_STEPS") != QLatin1String("0");
    const double searchStep = objects && steps ? step(stepDays) : 0;
    const double search180 = objects && steps ? step(180) : 0;
    double searchPast = 0;
    if (objects && steps) {
        ruler->userChangeActifCurseur(search);
        ruler->userInitieDeplacementCurseur();
        ruler->userPlaceCurseurEtRulerOffset(-30 * kDay);
        ruler->userTermineDeplacementCurseur();
        p.advance(2);
        searchPast = step(stepDays);
        // Back where the store had it, so that the next run on a kept store steps across the same
        // wallpaper change as this one did.
        ruler->userChangeActifCurseur(search);
        ruler->userInitieDeplacementCurseur();
        ruler->userPlaceCurseurEtRulerOffset(30 * kDay);
        ruler->userTermineDeplacementCurseur();
        p.advance(2);
    }
    p.canvas()->viewport()->removeEventFilter(&stepPaints);

    // One icon moved on the Now desk, as a drag ends.
    std::vector<double> moves;
    const bool collectMoves = !qEnvironmentVariableIsEmpty("TALLOMER_BENCH_COLLECT_MOVES");
    if (collectMoves)
        CALLGRIND_DUMP_STATS_AT("before the moves");
    if (desk && objects) {
        ZEVDeskClass* model = desk->deskClass();
        std::vector<KELI*> items = model->itemsForIconViewerRelation();
        for (int i = 0; i < 20 && i < int(items.size()); ++i) {
            KELI* item = items[std::size_t(i) * items.size() / 20];
            const ZEVIconPosition old = model->rectCurseurForItem(item);
            ZEVIconPosition to = old;
            to.x += 100;
            QElapsedTimer t;
            t.start();
            if (collectMoves)
                CALLGRIND_TOGGLE_COLLECT;
            model->updatePosition(to, old, item);
            if (collectMoves)
                CALLGRIND_TOGGLE_COLLECT;
            moves.push_back(ms(t));
        }
        if (detail) {
            std::fprintf(stderr, "moves:");
            for (double m : moves)
                std::fprintf(stderr, " %.2f", m);
            std::fprintf(stderr, " ms\n");
        }
    }
    std::printf("MEASURE %.2f %zu %ld %.2f %.2f %.2f %.3f %.2f %.2f %.2f\n", startup, shown, rss, median(paints),
                searchStep, search180, median(moves), median(floors), searchPast, median(engineParts));
    std::fflush(stdout);
    p.quit();
    return 0;
}

struct Measures {
    double startup = 0;
    long shown = 0;
    long rss = 0;
    double repaint = 0;
    double repaintFloor = 0; // the repaint's blits alone
    double search = 0;
    double search180 = 0;
    double searchPast = 0;
    double searchEngine = 0; // the cursor's move alone
    double move = 0;
};

Measures runMeasure(const QString& self, const QString& home, int objects, double stepDays)
{
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(self, {QStringLiteral("--measure"), home, QString::number(objects), QString::number(stepDays)});
    child.waitForFinished(600000);
    Measures m;
    for (const QByteArray& line : child.readAllStandardOutput().split('\n'))
        if (line.startsWith("MEASURE "))
            std::sscanf(line.constData(), "MEASURE %lf %ld %ld %lf %lf %lf %lf %lf %lf %lf", &m.startup, &m.shown,
                        &m.rss, &m.repaint, &m.search, &m.search180, &m.move, &m.repaintFloor, &m.searchPast,
                        &m.searchEngine);
    return m;
}

// The stores of an earlier run in a kept folder, with the dates of their moves; or written now.
std::vector<double> seeded(const QString& home, int n, int moves)
{
    QFile dates(home + ".dates");
    std::vector<double> out;
    if (QFileInfo::exists(home) && dates.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : dates.readAll().split('\n'))
            if (!line.isEmpty())
                out.push_back(line.toDouble());
        return out;
    }
    out = seed(home, n, moves);
    if (dates.open(QIODevice::WriteOnly))
        for (double d : out)
            dates.write(QByteArray::number(d, 'f', 3) + '\n');
    return out;
}

// The step back from Now that crosses about 1,000 move events.
double stepForEvents(const std::vector<double>& dates, double now, std::size_t events)
{
    if (dates.size() < events)
        return 180;
    return (now - dates[dates.size() - events]) / kDay;
}

const char* verdict(bool met) { return met ? "met" : "MISSED"; }

} // namespace

// Options: --keep DIR keeps the stores in DIR and uses those an earlier run left there;
// --runner PROGRAM measures with another build of this program (a build before a change, on the
// same stores). TALLOMER_BENCH_SHOT=PREFIX saves each first paint as PREFIX<objects>.png;
// TALLOMER_BENCH_DETAIL=1 prints each paint of the start and the processor time the start took,
// splits each Search step into the cursor's move, the desk's refresh and the paints still pending
// after it, and lists each paint of the canvas; TALLOMER_BENCH_REPAINTS=N repaints N times (for a
// profiler); TALLOMER_BENCH_STEPS=0 leaves the Search steps out. Under callgrind with
// --collect-atstart=no, only the repaints are counted; collecting from the start, the counts up to
// the first paint with every icon go to a file of their own (the output file's name followed by
// ".1"). TALLOMER_BENCH_COLLECT_STEPS=1 under callgrind also counts the Search steps, each from the
// cursor's move to its last paint, in the last file; the repaints go to the one before; with
// TALLOMER_BENCH_COLLECT_STEPS=short, only the steps of about 1,000 events are counted.
// TALLOMER_BENCH_COLLECT_MOVES=1 does the same for the icon moves. TALLOMER_BENCH_SERIAL=1 paints
// every image on the GUI thread, as before paints handed them to other threads.
int main(int argc, char** argv)
{
    // As the program's own main does: the start measured is the one its users get.
    tallomer::heappages::atStart(argv);
    QTemporaryDir temporary;
    QString self = QString::fromLocal8Bit(argv[0]);
    QString folder = temporary.path();
    const bool child = argc == 5 && QByteArray(argv[1]) == "--measure";
    for (int i = 1; !child && i + 1 < argc; i += 2) {
        if (QByteArray(argv[i]) == "--keep")
            folder = QString::fromLocal8Bit(argv[i + 1]);
        else if (QByteArray(argv[i]) == "--runner")
            self = QString::fromLocal8Bit(argv[i + 1]);
    }
    QDir().mkpath(folder);
    useHome(child ? QString::fromLocal8Bit(argv[2]) : folder + "/empty");
    // One screen of 1920 x 1200, where the window of 1260 x 788 fits.
    const QString screen = QDir::home().filePath(QStringLiteral("offscreen-screen.json"));
    {
        QFile config(screen);
        if (config.open(QIODevice::WriteOnly))
            config.write(R"({"screens": [{"name": "Main", "width": 1920, "height": 1200}]})");
    }
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + QFile::encodeName(screen));
    QApplication app(argc, argv);
    KELResources::setDirectory(QFileInfo(QStringLiteral(TALLOMER_TEMPLATE_DB)).absolutePath());
    if (child)
        return measure(QString::fromLocal8Bit(argv[2]), atoi(argv[3]), atof(argv[4]));

    const double today = dateFromUnix(double(std::time(nullptr)));
    std::printf("seeding the stores through the desk model...\n");
    std::fflush(stdout);
    QElapsedTimer seeding;
    seeding.start();
    const std::vector<double> dates200 = seeded(folder + "/s200", 200, 6);
    const std::vector<double> dates2000 = seeded(folder + "/s2000", 2000, 20);
    const long links200 = storeLinks(folder + "/s200");
    const long links2000 = storeLinks(folder + "/s2000");
    std::printf("seeded (or found) in %.1f s: 200 Objects (%ld links), 2,000 Objects (%ld links)\n", seeding.elapsed() / 1000.0,
                links200, links2000);

    // The empty program: its first start writes the store, the second is measured.
    runMeasure(self, folder + "/empty", 0, 0);
    const Measures empty = runMeasure(self, folder + "/empty", 0, 0);
    const Measures m200 = runMeasure(self, folder + "/s200", 200, stepForEvents(dates200, today, 1000));
    const double step2000 = stepForEvents(dates2000, today, 1000);
    const Measures m2000 = runMeasure(self, folder + "/s2000", 2000, step2000);

    std::printf("\nSummary (targets in brackets, for the 2,000-Object store)\n");
    std::printf("empty program: start %.0f ms, %.1f MiB resident\n", empty.startup, empty.rss / 1048576.0);
    for (const auto& [n, m, links] : {std::tuple{200, m200, links200}, std::tuple{2000, m2000, links2000}}) {
        std::printf("-- %d Objects, %ld links, %ld icons shown\n", n, links, m.shown);
        std::printf("startup/%d: %.0f ms\n", n, m.startup);
        std::printf("repaint/%d: %.2f ms (its images alone, on the raster engine: %.2f ms)\n", n, m.repaint,
                    m.repaintFloor);
        std::printf("search_step/%d: %.1f ms (about 1,000 events)\n", n, m.search);
        std::printf("search_step_engine/%d: %.2f ms (the cursor's move through the link base)\n", n, m.searchEngine);
        std::printf("search_180/%d: %.1f ms\n", n, m.search180);
        std::printf("search_past/%d: %.1f ms (the same step a month back, the wallpaper unchanged)\n", n, m.searchPast);
        std::printf("move_icon/%ld: %.3f ms\n", links, m.move);
        std::printf("rss_per_object/%d: %.1f KiB (%.1f MiB resident)\n", n, (m.rss - empty.rss) / 1024.0 / n,
                    m.rss / 1048576.0);
    }
    std::printf("-- targets on %ld links\n", links2000);
    std::printf("repaint/2000 %.2f ms [%.0f ms]: %s\n", m2000.repaint, kRepaintTargetMs,
                verdict(m2000.repaint <= kRepaintTargetMs));
    std::printf("startup/2000 %.0f ms [%.0f ms]: %s\n", m2000.startup, kStartupTargetMs,
                verdict(m2000.startup <= kStartupTargetMs));
    std::printf("search_step/2000 %.1f ms [%.0f ms beyond the coalescing delay]: %s\n", m2000.search, kSearchTargetMs,
                verdict(m2000.search <= kSearchTargetMs));
    std::printf("move_icon/%ld %.3f ms [%.0f ms]: %s\n", links2000, m2000.move, kMoveTargetMs,
                verdict(m2000.move <= kMoveTargetMs));
    const double perObject = double(m2000.rss - empty.rss) / 2000;
    std::printf("rss_per_object/2000 %.1f KiB [%.0f KiB]: %s\n", perObject / 1024, kBytesPerObjectTarget / 1024,
                verdict(perObject <= kBytesPerObjectTarget));
    return 0;
}
