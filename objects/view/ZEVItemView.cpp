#include "objects/view/ZEVItemView.h"

#include "objects/view/ZEVConnectingView.h"
#include "objects/view/ZEVInkedPixels.h"
#include "objects/view/ZEVItemStickers.h"
#include "desk/viewer/ZEVDeskViewer.h"
#include "services/ZEVSpaceForDeskViewers.h"

#include "desk/model/ZEVItemOptions.h"
#include "engine/KELICurseur.h"
#include "engine/KELLien.h"
#include "runtime/Scheduler.h"
#include "services/ZEVSpaceForObjectViews.h"
#include "objects/drawing/ZEVItemPainter.h"
#include "objects/drawing/ZEVItemTitleText.h"
#include "objects/viewer/ZEVItemViewer.h"
#include "platform/SystemFont.h"
#include "space/desk/ZEVDeskGeometry.h"
#include "widgets/FileTypeIcon.h"

#include <QApplication>
#include <QCache>
#include <QGraphicsScene>
#include <QHash>
#include <QIcon>
#include <QLineEdit>
#include <QMovie>
#include <QPainter>
#include <QRunnable>
#include <QSemaphore>
#include <QThreadPool>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <memory>

namespace tallomer {

namespace {

// Title line and image inside a view, y-up.
constexpr double kTitleX = 12;
constexpr double kTitleY = 19;
constexpr double kTitleHeight = 18;

// The download's bar: its height and its place above the bottom of the image's frame, y-up.
constexpr double kBarHeight = 8;
constexpr double kBarInset = 6;
constexpr double kBarTextHeight = 16;

// A part's y-up rectangle inside its parent of `parentHeight`, as the part's Qt position.
QPointF qtPos(double parentHeight, const QRectF& r) { return QPointF(r.x(), qtY(parentHeight, r.y(), r.height())); }

} // namespace

// ---- parts ----

void ZEVItemViewPart::setPos(const QPointF& pos)
{
    if (pos == pos_)
        return;
    update();
    pos_ = pos;
    update();
}

bool ZEVItemViewPart::isVisible() const { return visible_ && (!view_ || view_->isVisible()); }

void ZEVItemViewPart::setVisible(bool visible)
{
    if (visible == visible_)
        return;
    visible_ = visible;
    update();
}

QRectF ZEVItemViewPart::sceneBoundingRect() const { return view_ ? view_->mapRectToScene(rectInView()) : rectInView(); }

void ZEVItemViewPart::update() const
{
    if (view_ && !size_.isEmpty())
        view_->update(rectInView());
}

bool ZEVItemViewPart::resize(const QSizeF& size)
{
    if (size == size_)
        return false;
    update();
    size_ = size;
    update();
    return true;
}

void ZEVItemImageView::setSize(const QSizeF& size) { resize(size); }

void ZEVItemImageView::setImage(const QImage& image)
{
    image_ = image;
    update();
}

void ZEVItemImageView::setOpacity(qreal alpha)
{
    const double clamped = std::clamp(alpha, qreal(0), qreal(1));
    if (clamped == alpha_)
        return;
    alpha_ = clamped;
    update();
}

namespace {

// The images scaled for the sizes they show at, shared by every view: one stand-in icon shows on
// hundreds of Objects. Bounded by their bytes; the least recently drawn go first.
struct Scaled {
    QImage image;
    // The part that holds any pixel, and where it lies in the image. Type icons leave a
    // transparent margin around their shape, which a full desk would otherwise blend thousands
    // of times for nothing. The image itself (shared, not copied) when it has no margin.
    QImage inked;
    QPoint offset;
};

QCache<QPair<qint64, QSize>, Scaled>& scaledImages()
{
    static QCache<QPair<qint64, QSize>, Scaled> cache(48 * 1024 * 1024);
    return cache;
}

// The image scaled to `pixels` with its inked part; null when it is the image at its own size.
const Scaled* scaledEntry(const QImage& image, const QSize& pixels)
{
    if (pixels == image.size())
        return nullptr;
    const QPair<qint64, QSize> key(image.cacheKey(), pixels);
    if (const Scaled* hit = scaledImages().object(key))
        return hit;
    QImage scaled = image.scaled(pixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    // Premultiplied, the one format the painter blends without converting each line first.
    if (scaled.hasAlphaChannel() && scaled.format() != QImage::Format_ARGB32_Premultiplied)
        scaled = scaled.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const QRect ink = scaled.hasAlphaChannel() ? inkedPixels(scaled, scaled.size()) : scaled.rect();
    auto* entry = new Scaled{scaled, ink == scaled.rect() ? scaled : scaled.copy(ink), ink.topLeft()};
    const qsizetype cost = std::max<qsizetype>(1, scaled.sizeInBytes()) +
                           (ink == scaled.rect() ? 0 : entry->inked.sizeInBytes());
    if (cost > scaledImages().maxCost()) {
        // Larger than the whole cache: made again at its next paint.
        static std::unique_ptr<Scaled> uncached;
        uncached.reset(entry);
        return entry;
    }
    scaledImages().insert(key, entry, cost);
    return entry;
}

} // namespace

const QImage& ZEVItemImageView::scaledFor(const QImage& image, const QSize& pixels)
{
    const Scaled* entry = scaledEntry(image, pixels);
    return entry ? entry->image : image;
}

QRectF ZEVItemImageView::target(const QPointF& corner) const
{
    // Scaled down only, proportionally, standing on the bottom and centred across.
    QSizeF s = image_.size();
    if (s.width() > size_.width() || s.height() > size_.height())
        s = s.scaled(size_, Qt::KeepAspectRatio);
    return QRectF(corner.x() + (size_.width() - s.width()) / 2, corner.y() + size_.height() - s.height(), s.width(),
                  s.height());
}

void ZEVItemImageView::paint(QPainter& painter)
{
    if (image_.isNull() || size_.isEmpty())
        return;
    drawAt(painter, target(QPointF(0, 0)), image_);
}

void ZEVItemImageView::paintInView(QPainter& painter) const
{
    if (hiddenItself() || alpha_ <= 0 || image_.isNull() || size_.isEmpty())
        return;
    const qreal opacity = painter.opacity();
    if (alpha_ < 1)
        painter.setOpacity(opacity * alpha_);
    drawAt(painter, target(pos()), image_);
    if (alpha_ < 1)
        painter.setOpacity(opacity);
}

void ZEVItemImageView::drawAt(QPainter& painter, const QRectF& target, const QImage& image)
{
    const QSize pixels = target.size().toSize();
    const QTransform& t = painter.transform();
    if (pixels.isEmpty() || t.type() > QTransform::TxTranslate) {
        painter.save();
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(target, image);
        painter.restore();
        return;
    }
    // Scaled once for its size, not at every paint, and set on a whole device pixel: a plain
    // blit, where a place between pixels would resample the whole image at every paint.
    const QPointF device = t.map(target.topLeft());
    const QPointF at(std::round(device.x()) - t.dx(), std::round(device.y()) - t.dy());
    if (const Scaled* entry = scaledEntry(image, pixels)) {
        if (!entry->inked.isNull())
            painter.drawImage(at + entry->offset, entry->inked);
    } else {
        painter.drawImage(at, image);
    }
}

void ZEVItemTitleView::setSize(const QSizeF& size)
{
    if (resize(size))
        layout_.reset();
}

void ZEVItemTitleView::setText(const QString& text)
{
    if (text != text_)
        layout_.reset();
    text_ = text;
    update();
}

QString ZEVItemTitleView::shownText() const { return layout().text(); }

void ZEVItemTitleView::followFont() const
{
    // Another system font: laid out anew only when the title's font is really another.
    if (layout_ && fontGeneration_ != systemfont::generation()) {
        fontGeneration_ = systemfont::generation();
        if (ZEVItemTitleText::fontKey() != fontKey_)
            layout_.reset();
    }
}

const QStaticText& ZEVItemTitleView::layout() const
{
    followFont();
    if (!layout_) {
        fontGeneration_ = systemfont::generation();
        font_ = ZEVItemTitleText::font();
        fontKey_ = ZEVItemTitleText::fontKey();
        layout_.emplace(ZEVItemTitleText::elided(text_, size_.width(), font_));
        layout_->setTextFormat(Qt::PlainText);
        layout_->prepare(QTransform(), font_);
        prepared_ = true;
        shownEmpty_ = layout_->text().isEmpty();
    }
    return *layout_;
}

void ZEVItemTitleView::setColours(const std::optional<ZEVItemTitleColours>& colours)
{
    const bool same = colours_.has_value() == colours.has_value() &&
                      (!colours || (colours_->text == colours->text && colours_->fill == colours->fill &&
                                    colours_->stroke == colours->stroke && colours_->wholeCell == colours->wholeCell &&
                                    colours_->titlesShadow == colours->titlesShadow));
    colours_ = colours;
    if (!same)
        update();
}

ZEVItemTitleLook ZEVItemTitleView::look(const std::optional<ZEVItemTitleColours>& colours) const
{
    ZEVItemViewer* viewer = itemView() ? itemView()->itemViewer() : nullptr;
    ZEVItemTitleLook look;
    look.size = size_;
    if (colours && viewer) {
        const ZEVItemPalette& palette = viewer->palette();
        look.text = palette.colour(colours->text).rgba();
        look.shadow = colours->shadow;
        if (colours->titlesShadow)
            look.shadowAlpha = 230;
        if (colours->fill) {
            look.fill = palette.colour(*colours->fill).rgba();
            if (colours->stroke)
                look.stroke = palette.colour(*colours->stroke).rgba();
            look.wholeCell = colours->wholeCell;
        }
    }
    return look;
}

void ZEVItemTitleView::paint(QPainter& painter) { paintAt(painter, QPointF(0, 0)); }

void ZEVItemTitleView::paintInView(QPainter& painter)
{
    if (!hiddenItself())
        paintAt(painter, pos());
}

void ZEVItemTitleView::paintAt(QPainter& painter, const QPointF& corner)
{
    const QStaticText& shown = layout();
    if (shownEmpty_)
        return;
    const ZEVItemTitleLook look = this->look(colours_);
    const std::optional<qreal> scale = ZEVItemTitleCell::blitScale(painter);
    if (!prepared_ && (!scale || !cell_.current(shown, fontKey_, look, *scale))) {
        layout_->prepare(QTransform(), font_);
        prepared_ = true;
    }
    cell_.paint(painter, scale, *layout_, font_, fontKey_, look, corner);
}

namespace {

// Fewer stale titles than this in a paint are drawn by it: one renamed Object is not worth a
// hand-off to other threads.
constexpr std::size_t kTitlesWorthThreads = 32;

// A stale title's cell to draw off the GUI thread, with all it needs copied in, and what comes out.
struct TitleJob {
    ZEVItemTitleView* title;
    QString text; // the whole title to cut, or the shown text when `laidOut`
    bool laidOut;
    ZEVItemTitleLook look;
    qreal scale;
    QString shown;
    ZEVItemTitleCell::Drawn drawn;
};

// The title font for this thread: a font shares its glyphs' engines with every copy of it, and
// two threads may not lay out or draw through one.
const QFont& threadFont(const QFont& shared, const QString& key)
{
    thread_local QFont font;
    thread_local QString fontKey;
    if (fontKey != key) {
        // A change of a property detaches the copy; changed back, it asks for the same font.
        font = shared;
        const uint resolved = font.resolveMask();
        const QFont::HintingPreference hinting = font.hintingPreference();
        font.setHintingPreference(hinting == QFont::PreferNoHinting ? QFont::PreferFullHinting
                                                                    : QFont::PreferNoHinting);
        font.setHintingPreference(hinting);
        font.setResolveMask(resolved);
        fontKey = key;
    }
    return font;
}

// The titles of one paint, taken one at a time by each thread that draws them.
struct TitleWork {
    std::vector<TitleJob> jobs;
    std::atomic<std::size_t> next = 0;
    QFont font;
    QString key;
    // Released by each worker as it leaves.
    QSemaphore done;
};

void drawTitles(TitleWork& work)
{
    const QFont& font = threadFont(work.font, work.key);
    for (std::size_t i = work.next++; i < work.jobs.size(); i = work.next++) {
        TitleJob& job = work.jobs[i];
        job.shown = job.laidOut ? job.text : ZEVItemTitleText::elided(job.text, job.look.size.width(), font);
        if (job.shown.isEmpty())
            continue;
        // Laid out here for the drawing alone: the layout's glyphs belong to this thread's fonts.
        QStaticText laid(job.shown);
        laid.setTextFormat(Qt::PlainText);
        laid.prepare(QTransform(), font);
        job.drawn = ZEVItemTitleCell::render(laid, font, job.look, job.scale);
    }
}

class TitleWorker final : public QRunnable {
public:
    explicit TitleWorker(std::shared_ptr<TitleWork> work) : work_(std::move(work)) { setAutoDelete(false); }
    void run() override
    {
        // Its own hold on the work: the semaphore it releases outlives the release, whenever the
        // GUI thread, woken by it, returns and lets go of this worker.
        const std::shared_ptr<TitleWork> work = work_;
        drawTitles(*work);
        work->done.release();
    }

private:
    std::shared_ptr<TitleWork> work_;
};

quint64 titlesDrawnAhead = 0;

} // namespace

quint64 ZEVItemTitleView::drawnAhead() { return titlesDrawnAhead; }

void ZEVItemTitleView::prepareForPaint(const std::vector<ZEVItemTitleView*>& titles,
                                       const QTransform& viewportTransform, qreal pixelRatio)
{
    const auto work = std::make_shared<TitleWork>();
    std::vector<TitleJob>& jobs = work->jobs;
    for (ZEVItemTitleView* title : titles) {
        const ZEVItemView* view = title->itemView();
        if (!view || !title->isVisible() || view->effectiveOpacity() <= 0)
            continue;
        // The view's transform: the title's place in it moves the cell, it does not scale it.
        const std::optional<qreal> scale =
            ZEVItemTitleCell::blitScale(view->deviceTransform(viewportTransform), pixelRatio);
        if (!scale)
            continue;
        title->followFont();
        const bool laidOut = title->layout_.has_value();
        if (laidOut && title->shownEmpty_)
            continue;
        // In the colours its Object view's paint gives it just before drawing it.
        const ZEVItemTitleLook look = title->look(view->titleColours());
        if (laidOut && title->cell_.current(*title->layout_, title->fontKey_, look, *scale))
            continue;
        jobs.push_back({title, laidOut ? title->layout_->text() : title->text_, laidOut, look, *scale, {}, {}});
    }
    if (jobs.size() < kTitlesWorthThreads)
        return;

    // The GUI thread draws its share too, and takes back the workers that have not started: a pool
    // busy elsewhere delays nothing. No title is touched here until every worker is done.
    work->font = ZEVItemTitleText::font();
    work->key = ZEVItemTitleText::fontKey();
    QThreadPool* pool = QThreadPool::globalInstance();
    // One thread a core with this one; each takes at least a few titles, its first being dearer
    // (its fonts are loaded for it).
    const int helpers = int(std::min<std::size_t>(std::max(pool->maxThreadCount() - 1, 0), jobs.size() / 16));
    std::vector<std::unique_ptr<TitleWorker>> workers;
    for (int i = 0; i < helpers; ++i) {
        workers.push_back(std::make_unique<TitleWorker>(work));
        pool->start(workers.back().get());
    }
    drawTitles(*work);
    int started = 0;
    for (auto& worker : workers)
        started += !pool->tryTake(worker.get());
    work->done.acquire(started);
    titlesDrawnAhead += jobs.size();

    const quint64 generation = systemfont::generation();
    for (TitleJob& job : jobs) {
        ZEVItemTitleView* title = job.title;
        if (!job.laidOut) {
            // The shown text alone: its glyphs are laid out on this thread only if a paint must
            // draw from them.
            title->layout_.emplace(job.shown);
            title->layout_->setTextFormat(Qt::PlainText);
            title->prepared_ = false;
            title->shownEmpty_ = job.shown.isEmpty();
            title->font_ = work->font;
            title->fontKey_ = work->key;
            title->fontGeneration_ = generation;
        }
        if (!title->shownEmpty_)
            title->cell_.adopt(std::move(job.drawn), *title->layout_, work->key, job.look, job.scale);
    }
}

void ZEVItemProgressView::setSize(const QSizeF& size)
{
    if (size == size_)
        return;
    prepareGeometryChange();
    size_ = size;
}

void ZEVItemProgressView::setFraction(double fraction)
{
    // A fraction that is no number shows as nothing done.
    fraction_ = std::isnan(fraction) ? 0.0 : std::clamp(fraction, 0.0, 1.0);
    update();
}

QString ZEVItemProgressView::text() const
{
    return determinate_ ? QString::asprintf("%.1f%%", fraction_ * 100.0) : QString();
}

void ZEVItemProgressView::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*)
{
    if (size_.width() <= 2 * kBarInset)
        return;
    // The desk's view leaves the painter's state to the items that change it.
    painter->save();
    // Drawn y-down: the bar above the text, both in the lower part of the frame.
    const QRectF bar(kBarInset, size_.height() - kBarTextHeight - kBarHeight, size_.width() - 2 * kBarInset,
                     kBarHeight);
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(QPen(QColor(255, 255, 255, 220), 1));
    painter->setBrush(QColor(0, 0, 0, 120));
    painter->drawRoundedRect(bar, kBarHeight / 2, kBarHeight / 2);
    painter->setPen(Qt::NoPen);
    if (determinate_) {
        QRectF done = bar.adjusted(1, 1, -1, -1);
        done.setWidth(done.width() * fraction_);
        painter->setBrush(QColor(255, 255, 255, 230));
        painter->drawRoundedRect(done, kBarHeight / 2 - 1, kBarHeight / 2 - 1);
        painter->setFont(ZEVItemTitleText::font());
        painter->setPen(Qt::white);
        painter->drawText(QRectF(0, bar.bottom(), size_.width(), kBarTextHeight), Qt::AlignCenter, text());
    } else {
        painter->setBrush(QBrush(QColor(255, 255, 255, 200), Qt::BDiagPattern));
        painter->drawRoundedRect(bar.adjusted(1, 1, -1, -1), kBarHeight / 2 - 1, kBarHeight / 2 - 1);
    }
    painter->restore();
}


// ---- geometry ----

QSizeF ZEVItemView::imageSize(double s, float ratio)
{
    if (ratio > 1)
        return QSizeF(s / ratio, s);
    return QSizeF(s, s * ratio);
}

QRectF ZEVItemView::viewFrameForIconPosition(const ZEVIconPosition& p, float ratio)
{
    const QSizeF image = imageSize(p.size, ratio);
    return QRectF(p.x - kMarginX, p.y - kMarginBottom, image.width() + 2 * kMarginX,
                  image.height() + kMarginTop + kMarginBottom);
}

ZEVIconPosition ZEVItemView::iconPositionForViewFrame(const QRectF& f, float ratio, double angle)
{
    ZEVIconPosition p;
    p.x = f.x() + kMarginX;
    p.y = f.y() + kMarginBottom;
    p.size = ratio > 1 ? f.height() - (kMarginTop + kMarginBottom) : f.width() - 2 * kMarginX;
    p.angle = angle;
    return p;
}

// ---- life ----

ZEVItemView::ZEVItemView(const ZEVIconPosition& position, ZEVItemViewer* viewer, KELI* item, float ratio)
    : itemViewer_(viewer), item_(item), iconPosition_(position), iconAngle_(position.angle), imageSizeRatio_(ratio)
{
    // Square at first, whatever the ratio: the first image's placement corrects it.
    frame_ = QRectF(position.x - kMarginX, position.y - kMarginBottom, position.size + 2 * kMarginX,
                    position.size + kMarginTop + kMarginBottom);
    identityInt_ = item_ ? item_->channelInt() : 0;
    ZEVSpaceForObjectViews* s = space();
    siIdentiy_ = s && identityInt_ == s->identityInt();
    setFlag(QGraphicsItem::ItemUsesExtendedStyleOption, false);
    // The arrows and Escape of a pressed view are its own.
    setFlag(QGraphicsItem::ItemIsFocusable, true);
    construireLesParties(true);
    replacerDansLaScene();
}

ZEVItemView::ZEVItemView(const QRectF& frame, float ratio, ZEVItemViewer* viewer, KELI* item)
    : itemViewer_(viewer), item_(item), siIdentiy_(true), imageSizeRatio_(ratio), frame_(frame)
{
    iconPosition_ = iconPositionForViewFrame(frame, ratio, 0);
    iconAngle_ = 0;
    construireLesParties(false);
    replacerDansLaScene();
}

ZEVItemView::~ZEVItemView()
{
    // Whoever kept this view (drawn Links, the viewer's lists) must forget it before it is gone.
    endTitleEdit(false);
    if (itemViewer_)
        itemViewer_->itemViewDetruite(this);
    ZEVConnectingView::itemViewGone(this);
    if (Scheduler::hasShared())
        Scheduler::shared().cancelAll(static_cast<ZEVItemViewForDesks*>(this));
    setSiAnimationRun(false);
}

void ZEVItemView::construireLesParties(bool avecDragView)
{
    // The title and then the image are drawn over the view's marks; the overlay, an item of its
    // own, lies above them all.
    titleView_ = std::make_unique<ZEVItemTitleView>(this);
    imageView_ = std::make_unique<ZEVItemImageView>(this);
    if (avecDragView)
        dragView_ = new ZEVItemDragView(this, this);
    disposerLesParties();
}

void ZEVItemView::disposerLesParties()
{
    const ZEVItemDrawGeometry g = ZEVItemDrawGeometry::forViewSize(frame_.size());
    const double h = frame_.height();
    const QRectF title(kTitleX, kTitleY, std::max(0.0, frame_.width() - 2 * kTitleX), kTitleHeight);
    titleView_->setSize(title.size());
    titleView_->setPos(qtPos(h, title));
    imageView_->setSize(g.imageFrame.size());
    imageView_->setPos(qtPos(h, g.imageFrame));
    if (dragView_) {
        dragView_->setSize(g.imageFrame.size());
        dragView_->setPos(qtPos(h, g.imageFrame));
    }
    if (progressView_) {
        progressView_->setSize(g.imageFrame.size());
        progressView_->setPos(qtPos(h, g.imageFrame));
    }
}

void ZEVItemView::addSticker(int code)
{
    const QString name = ZEVItemStickers::nameForCode(code, item_ ? itemOptions(item_) : ZEVItemOption(0));
    std::vector<ZEVItemView*> views;
    if (auto* s = dynamic_cast<ZEVSpaceForDeskViewers*>(space()))
        for (KELICurseur* c : {s->nowCurseur(), s->searchCurseur()})
            if (ZEVDeskViewer* d = c ? s->deskViewerForCurseur(c) : nullptr)
                if (auto* v = dynamic_cast<ZEVItemView*>(d->itemViewForItem(item_)))
                    views.push_back(v);
    if (std::find(views.begin(), views.end(), this) == views.end())
        views.push_back(this);
    for (ZEVItemView* v : views)
        v->setStickerImage(name);
}

void ZEVItemView::setStickerImage(const QString& name)
{
    const QImage image = ZEVItemStickers::imageNamed(name);
    stickerName_ = image.isNull() ? QString() : name;
    if (dragView_)
        dragView_->setSticker(image);
}

ZEVSpaceForObjectViews* ZEVItemView::space() const { return itemViewer_ ? itemViewer_->spaceController() : nullptr; }

bool ZEVItemView::siChannelActif() const { return !itemViewer_ || itemViewer_->siChannelActif(); }

// ---- geometry on the desk ----

void ZEVItemView::setFrame(const QRectF& frame)
{
    // The numbers the place was read from stay with it: they count only where it still stands.
    const ZEVIconPosition::Stored stored = iconPosition_.stored;
    iconPosition_ = iconPositionForViewFrame(frame, imageSizeRatio_, iconAngle_);
    iconPosition_.stored = stored;
    if (frame.size() != frame_.size())
        prepareGeometryChange();
    frame_ = frame;
    disposerLesParties();
    replacerDansLaScene();
}

void ZEVItemView::replacerDansLaScene()
{
    ZEVDeskViewerForObjectViews* desk = itemViewer_ ? itemViewer_->deskViewer() : nullptr;
    const double height = desk ? desk->deskHeight() : 0;
    setPos(frame_.x(), qtY(height, frame_.y(), frame_.height()));
}

namespace {
constexpr char kAnimation[] = "_animationStep";
constexpr char kStopAnimation[] = "_stopSiAnimationRun";
constexpr char kBlink[] = "retablirItemViewAmation";

// The views of every desk whose placement is running: when a pass set many of them moving, each
// frame repaints the whole desk rather than a region of each view's two places.
std::size_t placementsEnCours = 0;

// Ease in and out: slow at both ends.
double adoucir(double t) { return t * t * (3 - 2 * t); }

QRectF entre(const QRectF& a, const QRectF& b, double t)
{
    return QRectF(a.x() + (b.x() - a.x()) * t, a.y() + (b.y() - a.y()) * t, a.width() + (b.width() - a.width()) * t,
                  a.height() + (b.height() - a.height()) * t);
}
} // namespace

void ZEVItemView::setIconPosition(const ZEVIconPosition& position, double duration)
{
    double d = duration;
    if (!siAnimation_) {
        // The first placement, and the first after hiding, is never animated.
        siAnimation_ = true;
        d = 0;
    }
    ZEVSpaceForObjectViews* s = space();
    if (s && !s->siShowAnimation())
        d = 0;
    const double oldSize = iconPosition_.size;
    placer(position, d);
    // A sharper picture once a change of size has settled; meanwhile the image is only scaled.
    if (position.size != oldSize && !itemType_.isEmpty() && Scheduler::hasShared()) {
        Scheduler::shared().cancel(cible(), kBetterImageName);
        Scheduler::shared().perform(cible(), kBetterImageName, d + kBetterImageDelay, [this] { askBetterImageSoon(); },
                                    true);
    }
}

void ZEVItemView::placer(const ZEVIconPosition& position, double d)
{
    // A new placement replaces a running one from where that one stands.
    Scheduler* sched = Scheduler::hasShared() ? &Scheduler::shared() : nullptr;
    if (sched) {
        sched->cancel(cible(), kAnimation);
        sched->cancel(cible(), kStopAnimation);
    }
    const QRectF to = viewFrameForIconPosition(position);
    // A view told to go where it stands (a Search step re-places every Object it shows) has no
    // way to go: a second of frames for it would repaint the desk for nothing.
    if (d <= kSnapDuration || !sched || to == frame_) {
        setSiAnimationRun(false);
        setFrame(to);
        iconPosition_ = position;
        return;
    }
    setSiAnimationRun(true);
    animationFrom_ = frame_;
    animationTo_ = to;
    animationTarget_ = position;
    animationSteps_ = std::max(1, static_cast<int>(std::ceil(d / kAnimationStep - 1e-9)));
    animationStep_ = 0;
    animationDelay_ = d / animationSteps_;
    iconPosition_ = position;
    sched->perform(cible(), kAnimation, animationDelay_, [this] { animationStep(); }, true);
}

std::size_t ZEVItemView::nbDePlacementsEnCours() { return placementsEnCours; }

void ZEVItemView::setSiAnimationRun(bool running)
{
    if (running != siAnimationRun_)
        running ? ++placementsEnCours : --placementsEnCours;
    siAnimationRun_ = running;
}

void ZEVItemView::animationStep()
{
    if (placementsEnCours > kZEVVuesDeMasse)
        if (QGraphicsScene* s = scene())
            s->update();
    ++animationStep_;
    if (animationStep_ >= animationSteps_) {
        setSiAnimationRun(false);
        setFrame(animationTo_);
        iconPosition_ = animationTarget_;
        return;
    }
    setFrame(entre(animationFrom_, animationTo_, adoucir(double(animationStep_) / animationSteps_)));
    // The view's place is where it goes: a recall or a copy taken while it moves takes that place,
    // not a point on the way.
    iconPosition_ = animationTarget_;
    Scheduler::shared().perform(cible(), kAnimation, animationDelay_, [this] { animationStep(); }, true);
}

void ZEVItemView::snapAnimation()
{
    if (siAnimationRun_)
        setIconPosition(iconPositionForCurrentFrame(), kSnapDuration);
}

void ZEVItemView::startRetablirItemViewAmation()
{
    siRetablir_ = true;
    if (siRetablirItemView_)
        return;
    siRetablirItemView_ = true;
    siRetablirItemViewFlag_ = false;
    retablirItemViewAmation();
}

void ZEVItemView::retablirItemViewAmation()
{
    siRetablirItemViewFlag_ = !siRetablirItemViewFlag_;
    update();
    // On for 0.5 s, off for 0.25 s.
    Scheduler::shared().perform(cible(), kBlink, siRetablirItemViewFlag_ ? 0.5 : 0.25,
                                [this] { retablirItemViewAmation(); }, true);
}

void ZEVItemView::annuleRetablirItemViewAmation()
{
    if (!siRetablirItemView_)
        return;
    Scheduler::shared().cancel(cible(), kBlink);
    siRetablirItemView_ = false;
    siRetablirItemViewFlag_ = false;
    update();
}

void ZEVItemView::stopRetablirItemViewAmation()
{
    Scheduler::shared().cancel(cible(), kBlink);
    siRetablir_ = false;
    siRetablirItemView_ = false;
    siRetablirItemViewFlag_ = false;
    update();
}

QRectF ZEVItemView::imageFrame() const
{
    if (!imageView_)
        return {};
    const QRectF inside = ZEVItemDrawGeometry::forViewSize(frame_.size()).imageFrame;
    return inside.translated(frame_.topLeft());
}

QPointF ZEVItemView::imageCentre() const
{
    // Where the image stands now, on its way while it moves.
    const ZEVIconPosition p = iconPositionForCurrentFrame();
    const QSizeF s = imageSize(p.size, imageSizeRatio_);
    return QPointF(p.x + s.width() / 2, p.y + s.height() / 2);
}

void ZEVItemView::setItemTitle(const QString& title)
{
    if (title == itemTitle_)
        return;
    itemTitle_ = title;
    titleView_->setText(title);
}

void ZEVItemView::setItemImage(const QImage& image) { imageView_->setImage(image); }

void ZEVItemView::setItemType(const QString& type)
{
    if (type.isEmpty() || type == itemType_)
        return;
    itemType_ = type;
    setItemIconImage();
}

QString ZEVItemView::iconWordForItemType(const QString& type)
{
    // The icon word each kind of Object is made with, for an Object that has none.
    static const QHash<QString, QString> words = {
        {QStringLiteral("http"), QStringLiteral("webloc")},
        {QStringLiteral("zevp"), QStringLiteral("jpeg")},
        {QStringLiteral("ABPerson"), QStringLiteral("vcf")},
        {QStringLiteral("message"), QStringLiteral("eml")},
        {QStringLiteral("folder"), QString()},
    };
    if (auto it = words.find(type); it != words.end())
        return *it;
    // A file of no known type, or no type yet: a document, never the folder the empty word is.
    if (type.isEmpty() || type == QLatin1String("file"))
        return QStringLiteral("application/octet-stream");
    return type;
}

QImage ZEVItemView::imageDuType(const QString& type) { return imageForFileType(iconWordForItemType(type), 128); }

// ---- counters ----

void ZEVItemView::setSiAjoute(bool flag) { siAjouteCount_ += flag ? 1 : -1; }

void ZEVItemView::setSiActif(bool flag) { siActifCount_ += flag ? 1 : -1; }

void ZEVItemView::setSiFutur(bool flag)
{
    siFuturCount_ = std::max<std::int64_t>(0, siFuturCount_ + (flag ? 1 : -1));
    // An icon out of the window has no future side.
    if (siAjouteCount_ == 0)
        siFuturCount_ = 0;
}

ZEVItemTimeState ZEVItemView::timeState() const
{
    if (siActif())
        return ZEVItemTimeState::Present;
    if (siFutur())
        return ZEVItemTimeState::Future;
    if (siAjoute())
        return ZEVItemTimeState::Past;
    return ZEVItemTimeState::Outside;
}

// ---- Channel and visibility ----

void ZEVItemView::setChannelInt(KELId channelInt)
{
    identityInt_ = channelInt;
    ZEVSpaceForObjectViews* s = space();
    siIdentiy_ = s && channelInt == s->identityInt();
}

void ZEVItemView::majChannelInt(KELId channelInt, bool siChannelActif)
{
    siIdentiy_ = identityInt_ == channelInt;
    setVisible(!siHidden_ && siIdentiy_ && siChannelActif);
}

void ZEVItemView::setHidden(bool hidden)
{
    if (hidden) {
        siAnimation_ = false;
        siHidden_ = true;
        setVisible(false);
        return;
    }
    siHidden_ = false;
    setVisible(siIdentiy_ && siChannelActif());
}

bool ZEVItemView::isHidden() const { return siHidden_ || !siIdentiy_ || !siChannelActif(); }

// ---- stacking ----

std::vector<ZEVItemView*> ZEVItemView::itemViewsInStackingOrder(QGraphicsScene* scene)
{
    std::vector<ZEVItemView*> out;
    if (!scene)
        return out;
    for (QGraphicsItem* i : scene->items(Qt::AscendingOrder))
        if (!i->parentItem())
            if (auto* v = dynamic_cast<ZEVItemView*>(i))
                out.push_back(v);
    return out;
}

void ZEVItemView::restack(bool toFront)
{
    std::vector<ZEVItemView*> views = itemViewsInStackingOrder(scene());
    if (views.empty())
        return;
    views.erase(std::remove(views.begin(), views.end(), this), views.end());
    if (toFront)
        views.push_back(this);
    else
        views.insert(views.begin(), this);
    // Object views take z 1, 2, 3…; what lies under them (the background) stays below 1 and the
    // front layer above them, so only the Object views move among themselves.
    double z = 1;
    for (ZEVItemView* v : views)
        v->setZValue(z++);
}

void ZEVItemView::orderToFront() { restack(true); }

void ZEVItemView::orderToBack() { restack(false); }

// ---- flags ----

void ZEVItemView::showCadreStart()
{
    siShowCadre_ = true;
    update();
}

void ZEVItemView::showCadreStop()
{
    siShowCadre_ = false;
    update();
}

// ---- download progress ----

void ZEVItemView::downloadStart(bool determinate)
{
    delete progressView_; // a new response replaces the bar of an earlier one
    progressView_ = new ZEVItemProgressView(this, determinate); // owned by this item
    imageView_->setVisible(false);
    disposerLesParties();
}

void ZEVItemView::downloadSetStatus(float fraction)
{
    if (progressView_)
        progressView_->setFraction(fraction);
}

void ZEVItemView::endDownload()
{
    delete progressView_;
    progressView_ = nullptr;
    imageView_->setVisible(true);
    titleView_->setText(itemTitle_.isEmpty() ? QStringLiteral("No Name") : itemTitle_);
}

void ZEVItemView::downloadFinish()
{
    endDownload();
    updateImage();
}

void ZEVItemView::downloadError() { endDownload(); }

void ZEVItemView::duplicateStart()
{
    delete progressView_;
    progressView_ = new ZEVItemProgressView(this, true); // owned by this item
    disposerLesParties();
}

void ZEVItemView::duplicateFinish()
{
    endDownload();
    updateImage();
}

void ZEVItemView::duplicateError() { endDownload(); }

void ZEVItemView::setSiConnecting(bool flag)
{
    if (flag != siConnecting_)
        update();
    siConnecting_ = flag;
}

void ZEVItemView::setSiShowTitle(bool flag)
{
    update();
    siShowTitle_ = flag;
}

void ZEVItemView::setSiFlickOn(bool flag)
{
    siFlickOn_ = flag;
    update();
}

void ZEVItemView::setSiRetablirItemView(bool on, bool flag)
{
    siRetablirItemView_ = on;
    siRetablirItemViewFlag_ = flag;
    update();
}

bool ZEVItemView::siModifiableIcon(bool commande) const
{
    if (!siActif())
        return false;
    if (commande)
        return true;
    ZEVSpaceForObjectViews* s = space();
    KELICurseur* actif = s ? s->actifCurseur() : nullptr;
    if (!actif)
        return true;
    KELICurseur* sup = actif->curseurSup();
    // A cursor lying in its parent cursor's past shows a past that is not edited by moving icons.
    return !sup || actif->now() - sup->now() > -0.001;
}

bool ZEVItemView::isFilterActif() const
{
    ZEVSpaceForObjectViews* s = space();
    return s && s->isFilterSelectedForItem(item_);
}

bool ZEVItemView::isFilterMode() const
{
    ZEVSpaceForObjectViews* s = space();
    return s && s->frontMode() == ZEVFrontModeFilters;
}

// ---- drawing ----

ZEVItemDrawInputs ZEVItemView::drawInputs() const
{
    ZEVItemDrawInputs in;
    in.ajouteCount = siAjouteCount_;
    in.actifCount = siActifCount_;
    in.futurCount = siFuturCount_;
    in.connecting = siConnecting_;
    in.restoreBlinking = siRetablirItemView_;
    in.blinkFlag = siRetablirItemViewFlag_;
    in.showCadre = siShowCadre_;
    in.showTitle = siShowTitle_;
    in.flickOn = siFlickOn_;
    in.optionShowTitle = siItemOption(item_, ZEVOPTION_SHOW_TITLE);
    ZEVSpaceForObjectViews* s = space();
    if (!s) {
        in.frontMode = ZEVFrontModeIcons;
        return in;
    }
    in.frontMode = s->frontMode();
    in.iconSelected = s->isIconSelectedForItem(item_);
    in.titleSelected = s->isTitleSelectedForItem(item_);
    in.filterSelected = s->isFilterSelectedForItem(item_);
    in.nodeSelected = s->isNodeSelectedForItem(item_);
    in.hideItemTitle = s->siHideItemTitle(item_);
    in.anyFilterSelected = !s->selectedFilterItems().empty();
    in.anyNodeSelected = !s->selectedNodeItems().empty();
    KELI* dragged = s->draggingItem();
    in.dragging = dragged != nullptr;
    in.isDraggedItem = dragged && dragged == item_;
    if (itemViewer_) {
        in.impacted = itemViewer_->siImpactedItem(item_);
        in.linkedToSelection = in.anyNodeSelected && itemViewer_->siLinkedToItem(item_);
        in.connectedWithDragged = dragged && itemViewer_->userAskIfItemIsConnectedWithItem(item_, dragged);
    }
    return in;
}

ZEVItemDrawPlan ZEVItemView::drawRect(QPainter& painter)
{
    const ZEVItemDrawPlan plan = ZEVItemDrawing::decide(drawInputs());
    const ZEVItemDrawGeometry g = ZEVItemDrawGeometry::forViewSize(frame_.size());
    if (itemViewer_)
        ZEVItemPainter::paint(painter, plan, g, itemViewer_->palette());
    if (plan.titleHidden && titleView_->isVisible() == *plan.titleHidden)
        titleView_->setVisible(!*plan.titleHidden);
    // Written only on a change, so an unchanged redraw starts no new fade.
    if (auto alpha = ZEVItemDrawing::alphaToWrite(imageView_->alphaValue(), plan))
        imageView_->setOpacity(*alpha);
    titleView_->setColours(titleColours());
    return plan;
}

void ZEVItemView::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*)
{
    if (!painter)
        return;
    drawRect(*painter);
    titleView_->paintInView(*painter);
    imageView_->paintInView(*painter);
    if (dragView_)
        dragView_->paintStickerInView(*painter);
}

} // namespace tallomer
