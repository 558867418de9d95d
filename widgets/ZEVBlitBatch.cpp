#include "widgets/ZEVBlitBatch.h"

#include <QPaintEngine>
#include <QRunnable>
#include <QSemaphore>
#include <QThreadPool>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <functional>
#include <memory>

namespace tallomer {

namespace {

// Fewer rows than this a band are not worth a thread of their own.
constexpr int kRowsPerBand = 96;
constexpr int kMostBands = 4;

ZEVBlitBatch* current = nullptr;
ZEVBlitBatch batch;
bool enabled = true;
quint64 deferred = 0;

} // namespace

struct ZEVBlitBatch::Work {
    const std::vector<Blit>* blits = nullptr;
    uchar* bits = nullptr;
    QSize size;
    qsizetype bytesPerLine = 0;
    QImage::Format format = QImage::Format_Invalid;
    QRect clip;
    int bands = 1;
    std::atomic<int> next = 0;
    // Released by each worker as it leaves.
    QSemaphore done;
};

namespace {

class BandWorker final : public QRunnable {
public:
    BandWorker(std::shared_ptr<void> hold, std::function<void()> run) : hold_(std::move(hold)), run_(std::move(run))
    {
        setAutoDelete(false);
    }
    void run() override { run_(); }

private:
    std::shared_ptr<void> hold_;
    std::function<void()> run_;
};

} // namespace

void ZEVBlitBatch::setEnabled(bool on) { enabled = on; }

quint64 ZEVBlitBatch::blitsDeferred() { return deferred; }

bool ZEVBlitBatch::holds(const QPainter& painter) { return current && current->painter_ == &painter; }

void ZEVBlitBatch::begin(QPainter& painter)
{
    if (current)
        end(*current->painter_);
    if (!enabled || !painter.isActive())
        return;
    QPaintEngine* engine = painter.paintEngine();
    if (!engine || engine->type() != QPaintEngine::Raster || !engine->paintDevice() ||
        engine->paintDevice()->devType() != QInternal::Image)
        return;
    auto* device = static_cast<QImage*>(engine->paintDevice());
    if (device->devicePixelRatio() != 1 || device->isNull())
        return;
    // The clip the painter blits through, in device pixels: the system clip and its own, which
    // maps to whole pixels only under a painter moved by whole pixels.
    const QTransform& t = painter.deviceTransform();
    if (painter.hasClipping() &&
        (t.type() > QTransform::TxTranslate || t.dx() != std::round(t.dx()) || t.dy() != std::round(t.dy())))
        return;
    QRegion clip = engine->systemClip().isEmpty() ? QRegion(device->rect()) : engine->systemClip();
    if (painter.hasClipping())
        clip &= t.map(painter.clipRegion());
    clip &= device->rect();
    if (clip.rectCount() != 1)
        return;
    const QRect rect = clip.boundingRect();
    const int bands =
        std::min({kMostBands, QThreadPool::globalInstance()->maxThreadCount(), rect.height() / kRowsPerBand});
    if (bands < 2)
        return;
    batch.painter_ = &painter;
    batch.device_ = device;
    batch.clip_ = rect;
    batch.bands_ = bands;
    batch.blits_.clear();
    current = &batch;
}

void ZEVBlitBatch::end(const QPainter& painter)
{
    if (!holds(painter))
        return;
    flush(painter);
    current->painter_ = nullptr;
    current->device_ = nullptr;
    current = nullptr;
}

void ZEVBlitBatch::drawImage(QPainter& painter, const QPointF& at, const QImage& image)
{
    if (holds(painter))
        hold(painter, QRectF(at, image.deviceIndependentSize()), image, QRectF());
    else
        painter.drawImage(at, image);
}

void ZEVBlitBatch::drawImage(QPainter& painter, const QRectF& target, const QImage& image, const QRectF& source)
{
    if (holds(painter))
        hold(painter, target, image, source);
    else
        painter.drawImage(target, image, source);
}

void ZEVBlitBatch::hold(QPainter& painter, const QRectF& target, const QImage& image, const QRectF& source)
{
    if (image.isNull())
        return;
    Blit b;
    b.transform = painter.deviceTransform();
    // Every row a blit may touch, rounded or antialiased.
    const QRectF reach = b.transform.mapRect(target);
    b.top = int(std::floor(reach.top())) - 1;
    b.bottom = int(std::ceil(reach.bottom())) + 1;
    if (b.bottom <= current->clip_.top() || b.top > current->clip_.bottom() ||
        reach.right() + 1 < current->clip_.left() || reach.left() - 1 > current->clip_.right() + 1)
        return;
    b.image = image;
    b.target = target;
    b.source = source;
    b.opacity = painter.opacity();
    b.mode = painter.compositionMode();
    b.hints = painter.renderHints();
    current->blits_.push_back(std::move(b));
}

void ZEVBlitBatch::drawBand(const Work& work, int band)
{
    const int top = work.clip.top() + work.clip.height() * band / work.bands;
    const int bottom = work.clip.top() + work.clip.height() * (band + 1) / work.bands;
    // The device's own pixels, seen whole so that every blit lands where the painter puts it;
    // this band's rows alone are written.
    QImage device(work.bits, work.size.width(), work.size.height(), work.bytesPerLine, work.format);
    QPainter p(&device);
    p.setClipRect(QRect(work.clip.left(), top, work.clip.width(), bottom - top));
    QTransform transform;
    qreal opacity = 1;
    QPainter::CompositionMode mode = p.compositionMode();
    QPainter::RenderHints hints = p.renderHints();
    for (const Blit& b : *work.blits) {
        if (b.bottom <= top || b.top >= bottom)
            continue;
        if (b.transform != transform) {
            transform = b.transform;
            p.setTransform(transform);
        }
        if (b.opacity != opacity) {
            opacity = b.opacity;
            p.setOpacity(opacity);
        }
        if (b.mode != mode) {
            mode = b.mode;
            p.setCompositionMode(mode);
        }
        if (b.hints != hints) {
            p.setRenderHints(hints & ~b.hints, false);
            hints = b.hints;
            p.setRenderHints(hints, true);
        }
        if (b.source.isNull())
            p.drawImage(b.target.topLeft(), b.image);
        else
            p.drawImage(b.target, b.image, b.source);
    }
}

void ZEVBlitBatch::flush(const QPainter& painter)
{
    if (!holds(painter) || current->blits_.empty())
        return;
    const auto work = std::make_shared<Work>();
    work->blits = &current->blits_;
    // The painter has made the device its own already: these are the pixels it paints.
    work->bits = const_cast<uchar*>(current->device_->constBits());
    work->size = current->device_->size();
    work->bytesPerLine = current->device_->bytesPerLine();
    work->format = current->device_->format();
    work->clip = current->clip_;
    work->bands = current->bands_;
    // The GUI thread draws bands too, and takes back the workers that have not started: a pool
    // busy elsewhere delays nothing. The blits are not touched again until every worker is done.
    const auto drawBands = [w = work.get()] {
        for (int band = w->next++; band < w->bands; band = w->next++)
            drawBand(*w, band);
    };
    QThreadPool* pool = QThreadPool::globalInstance();
    std::vector<std::unique_ptr<BandWorker>> workers;
    for (int i = 1; i < work->bands; ++i) {
        workers.push_back(std::make_unique<BandWorker>(work, [w = work.get(), drawBands] {
            drawBands();
            w->done.release();
        }));
        pool->start(workers.back().get());
    }
    drawBands();
    int started = 0;
    for (auto& worker : workers)
        started += !pool->tryTake(worker.get());
    work->done.acquire(started);
    deferred += current->blits_.size();
    current->blits_.clear();
}

} // namespace tallomer
