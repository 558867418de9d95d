#include "widgets/ZEVBlitBatch.h"

#include <QPaintEngine>
#include <QRunnable>
#include <QThreadPool>

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <tuple>

namespace tallomer {

namespace {

// Fewer rows than this a band are not worth a thread of their own.
constexpr int kRowsPerBand = 96;
constexpr int kMostBands = 4;
// Blits are stored in chunks that never move, handed to the bands this many at a time.
constexpr std::size_t kChunk = 512;
constexpr std::size_t kMostChunks = 4096;
constexpr std::size_t kHandedEvery = 1024;
// The images a paint remembers having held, by a hash of their identity; one forgotten is only
// held once more.
constexpr std::size_t kSeen = 512;
constexpr std::size_t kCacheLine = 64;

ZEVBlitBatch* current = nullptr;
ZEVBlitBatch batch;
bool enabled = true;
quint64 deferred = 0;

} // namespace

// A band is drawn by a worker of the pool from the time it starts; the GUI thread draws a band
// no worker has started when it must wait for it, and keeps it once the paint is over. Each on
// lines of its own, as each is written by its own thread.
class alignas(kCacheLine) ZEVBlitBatch::Band {
public:
    enum Owner { None, Worker, Gui, GuiLast };
    std::atomic<int> owner = None;
    std::size_t drawn = 0; // under the stream's lock, for a worker's band
    bool done = false;     // under the stream's lock

    // Draws the blits up to `until` its owner has not drawn yet.
    void draw(const Stream& stream, std::size_t until);
    // Its painter ends, on the GUI thread while the device is sure to be there.
    void stop() { painter_.reset(); }

private:
    void start(const Stream& stream);

    std::size_t next_ = 0; // its owner's own

    QImage device_;
    std::unique_ptr<QPainter> painter_;
    int top_ = 0, bottom_ = 0;
    const State* state_ = nullptr; // the last drawn in
    QTransform transform_;
    qreal opacity_ = 1;
    QPainter::CompositionMode mode_ = QPainter::CompositionMode_SourceOver;
    QPainter::RenderHints hints_;
};

struct ZEVBlitBatch::Stream {
    // The device's pixels, which the painter has made its own already.
    uchar* bits = nullptr;
    QSize size;
    qsizetype bytesPerLine = 0;
    QImage::Format format = QImage::Format_Invalid;
    QRect clip;
    int bands = 1;
    std::unique_ptr<Band[]> band;

    // Read by the bands at every blit, written by the GUI thread once a chunk.
    std::vector<Blit*> chunkAt; // never grows past its first capacity, so never moves
    const Blit& at(std::size_t i) const { return chunkAt[i / kChunk][i % kChunk]; }

    // Written by the GUI thread alone at every blit, on lines of their own: on a line the bands
    // read, each write would take it from them and each of their reads take it back. A blit is
    // read by the bands once handed to them.
    alignas(kCacheLine) std::size_t count = 0;
    std::size_t settled = 0; // every band has drawn this many
    std::vector<std::unique_ptr<Blit[]>> chunks;
    // One copy of each image the paint draws, which its blits point to. A desk draws the same
    // badge or kind icon hundreds of times: a copy a blit would change the image's shared count
    // at every blit while the bands read the same memory to draw it. Never moves once added.
    std::deque<QImage> images;
    struct Seen {
        qint64 key = 0;
        const QImage* image = nullptr;
    };
    std::array<Seen, kSeen> seen{};
    // The painter's states the blits are drawn in, each kept while it lasts. Never moves once
    // added.
    std::deque<State> states;

    alignas(kCacheLine) std::mutex lock;
    std::condition_variable more;   // the bands wait for blits, or for the end
    std::condition_variable caught; // the GUI thread waits for the bands
    std::size_t handed = 0;         // under the lock
    bool last = false;              // under the lock: nothing more will come

    std::pair<int, int> rows(int b) const
    {
        return {clip.top() + clip.height() * b / bands, clip.top() + clip.height() * (b + 1) / bands};
    }
};

void ZEVBlitBatch::Band::start(const Stream& stream)
{
    std::tie(top_, bottom_) = stream.rows(int(this - stream.band.get()));
    // The device seen whole, so that every blit lands where the painter puts it; this band's
    // rows alone are written.
    device_ = QImage(stream.bits, stream.size.width(), stream.size.height(), stream.bytesPerLine, stream.format);
    painter_ = std::make_unique<QPainter>(&device_);
    painter_->setClipRect(QRect(stream.clip.left(), top_, stream.clip.width(), bottom_ - top_));
    mode_ = painter_->compositionMode();
    hints_ = painter_->renderHints();
}

void ZEVBlitBatch::Band::draw(const Stream& stream, std::size_t until)
{
    if (!painter_)
        start(stream);
    QPainter& p = *painter_;
    for (; next_ < until; ++next_) {
        const Blit& b = stream.at(next_);
        if (b.bottom <= top_ || b.top >= bottom_)
            continue;
        if (b.state != state_) {
            state_ = b.state;
            const State& st = *b.state;
            if (st.transform != transform_) {
                transform_ = st.transform;
                p.setTransform(transform_);
            }
            if (st.opacity != opacity_) {
                opacity_ = st.opacity;
                p.setOpacity(opacity_);
            }
            if (st.mode != mode_) {
                mode_ = st.mode;
                p.setCompositionMode(mode_);
            }
            if (st.hints != hints_) {
                p.setRenderHints(hints_ & ~st.hints, false);
                hints_ = st.hints;
                p.setRenderHints(hints_, true);
            }
        }
        if (b.source.isNull())
            p.drawImage(b.target.topLeft(), *b.image);
        else
            p.drawImage(b.target, *b.image, b.source);
    }
}

namespace {

// Draws one band as its blits are handed over, until the last.
class BandWorker final : public QRunnable {
public:
    BandWorker(std::shared_ptr<void> stream, std::function<void()> run)
        : stream_(std::move(stream)), run_(std::move(run))
    {
        setAutoDelete(false);
    }
    void run() override
    {
        run_();
        left.store(true, std::memory_order_release);
    }
    std::atomic<bool> left = false;

private:
    std::shared_ptr<void> stream_; // kept while it runs, whenever the paint is over
    std::function<void()> run_;
};

// The workers the pool may still be running.
std::vector<std::unique_ptr<BandWorker>> workers;

void forgetWorkersGone()
{
    workers.erase(std::remove_if(workers.begin(), workers.end(),
                                 [](const auto& w) { return w->left.load(std::memory_order_acquire); }),
                  workers.end());
}

} // namespace

void ZEVBlitBatch::setEnabled(bool on) { enabled = on; }

quint64 ZEVBlitBatch::blitsDeferred() { return deferred; }

bool ZEVBlitBatch::holds(const QPainter& painter) { return current && current->painter_ == &painter; }

void ZEVBlitBatch::begin(QPainter& painter)
{
    close();
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
    QThreadPool* pool = QThreadPool::globalInstance();
    const int bands = std::min({kMostBands, pool->maxThreadCount(), rect.height() / kRowsPerBand});
    if (bands < 2)
        return;

    auto stream = std::make_shared<Stream>();
    stream->bits = const_cast<uchar*>(device->constBits());
    stream->size = device->size();
    stream->bytesPerLine = device->bytesPerLine();
    stream->format = device->format();
    stream->clip = rect;
    stream->bands = bands;
    stream->chunkAt.reserve(kMostChunks);
    stream->band = std::make_unique<Band[]>(std::size_t(bands));
    batch.painter_ = &painter;
    batch.stream_ = stream;
    current = &batch;
    // Each band is drawn by a worker of its own while the paint goes on; the GUI thread draws
    // those no worker has started when it must wait for them, so a pool busy elsewhere delays
    // nothing.
    forgetWorkersGone();
    for (int b = 0; b < bands; ++b) {
        Stream* s = stream.get();
        workers.push_back(std::make_unique<BandWorker>(stream, [s, b] {
            Band& band = s->band[b];
            std::unique_lock<std::mutex> l(s->lock);
            for (;;) {
                int none = Band::None;
                if (band.owner.compare_exchange_strong(none, Band::Worker))
                    break;
                if (none != Band::Gui)
                    return;
                s->more.wait(l);
            }
            for (;;) {
                s->more.wait(l, [&] { return s->handed > band.drawn || s->last; });
                const std::size_t until = s->handed;
                if (band.drawn == until && s->last)
                    break;
                l.unlock();
                band.draw(*s, until);
                l.lock();
                band.drawn = until;
                s->caught.notify_all();
            }
            band.done = true;
            s->caught.notify_all();
        }));
        pool->start(workers.back().get());
    }
}

void ZEVBlitBatch::catchUp(bool finish)
{
    Stream& s = *stream_;
    {
        std::lock_guard<std::mutex> l(s.lock);
        s.handed = s.count;
        s.last = finish;
    }
    s.more.notify_all();
    bool released = false;
    for (int b = 0; b < s.bands; ++b) {
        Band& band = s.band[b];
        int none = Band::None;
        if (!band.owner.compare_exchange_strong(none, finish ? Band::GuiLast : Band::Gui) && none != Band::GuiLast)
            continue;
        band.draw(s, s.count);
        if (!finish) {
            // Its worker may take it from here.
            std::lock_guard<std::mutex> l(s.lock);
            band.drawn = s.count;
            band.owner = Band::None;
            released = true;
        }
    }
    if (released)
        s.more.notify_all();
    std::unique_lock<std::mutex> l(s.lock);
    s.caught.wait(l, [&] {
        for (int b = 0; b < s.bands; ++b)
            if (s.band[b].owner == Band::Worker && (finish ? !s.band[b].done : s.band[b].drawn < s.count))
                return false;
        return true;
    });
    s.settled = s.count;
}

void ZEVBlitBatch::end(const QPainter& painter)
{
    if (holds(painter))
        close();
}

void ZEVBlitBatch::close()
{
    if (!current)
        return;
    current->catchUp(true);
    Stream& s = *current->stream_;
    for (int b = 0; b < s.bands; ++b)
        s.band[b].stop();
    deferred += s.count;
    QThreadPool* pool = QThreadPool::globalInstance();
    // The images go back to their owners off the GUI thread: the counts of the images the bands
    // have read would each cost it a trip to another core's cache.
    if (!s.images.empty()) {
        auto used = std::make_shared<std::deque<QImage>>(std::move(s.images));
        pool->start([used] { used->clear(); });
    }
    for (auto& chunk : s.chunks)
        current->spare_.push_back(std::move(chunk));
    s.chunks.clear();
    workers.erase(
        std::remove_if(workers.begin(), workers.end(), [pool](const auto& w) { return pool->tryTake(w.get()); }),
        workers.end());
    forgetWorkersGone();
    // A worker that started late, finding its band taken, holds the stream until it leaves.
    current->stream_.reset();
    current->painter_ = nullptr;
    current = nullptr;
}

void ZEVBlitBatch::flush(const QPainter& painter)
{
    if (holds(painter) && current->stream_->count > current->stream_->settled)
        current->catchUp(false);
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
    Stream& s = *current->stream_;
    const QTransform& t = painter.deviceTransform();
    // Every row a blit may touch, rounded or antialiased.
    const QRectF reach = t.mapRect(target);
    const int top = int(std::floor(reach.top())) - 1, bottom = int(std::ceil(reach.bottom())) + 1;
    if (bottom <= s.clip.top() || top > s.clip.bottom() || reach.right() + 1 < s.clip.left() ||
        reach.left() - 1 > s.clip.right() + 1)
        return;
    if (s.count == s.chunkAt.size() * kChunk) {
        if (s.chunkAt.size() == kMostChunks) {
            // Far more than a desk draws: the rest is drawn at once.
            current->catchUp(false);
            painter.drawImage(target, image, source.isNull() ? QRectF(image.rect()) : source);
            return;
        }
        std::unique_ptr<Blit[]> chunk;
        if (!current->spare_.empty()) {
            chunk = std::move(current->spare_.back());
            current->spare_.pop_back();
        }
        if (!chunk)
            chunk = std::make_unique<Blit[]>(kChunk);
        s.chunkAt.push_back(chunk.get());
        s.chunks.push_back(std::move(chunk));
    }
    Blit& b = s.chunkAt[s.count / kChunk][s.count % kChunk];
    const qint64 key = image.cacheKey();
    Stream::Seen& seen = s.seen[std::size_t((quint64(key) * 0x9E3779B97F4A7C15ull) >> 55) % kSeen];
    if (!seen.image || seen.key != key) {
        s.images.push_back(image);
        seen = {key, &s.images.back()};
    }
    b.image = seen.image;
    const qreal opacity = painter.opacity();
    const QPainter::CompositionMode mode = painter.compositionMode();
    const QPainter::RenderHints hints = painter.renderHints();
    if (s.states.empty() || s.states.back().transform != t || s.states.back().opacity != opacity ||
        s.states.back().mode != mode || s.states.back().hints != hints)
        s.states.push_back({t, opacity, mode, hints});
    b.state = &s.states.back();
    b.target = target;
    b.source = source;
    b.top = top;
    b.bottom = bottom;
    ++s.count;
    if (s.count % kHandedEvery == 0) {
        {
            std::lock_guard<std::mutex> l(s.lock);
            s.handed = s.count;
        }
        s.more.notify_all();
    }
}

} // namespace tallomer
