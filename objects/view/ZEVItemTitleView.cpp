#include "objects/view/ZEVItemTitleView.h"

#include "objects/drawing/ZEVItemTitleText.h"
#include "objects/view/ZEVItemView.h"
#include "objects/viewer/ZEVItemViewer.h"
#include "platform/SystemFont.h"

#include <QPainter>
#include <QRunnable>
#include <QSemaphore>
#include <QThreadPool>

#include <algorithm>
#include <atomic>
#include <memory>

namespace tallomer {

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

void ZEVItemTitleView::paintInView(QPainter& painter, const ZEVPaintCut* cut)
{
    if (!hiddenItself())
        paintAt(painter, pos(), cut);
}

void ZEVItemTitleView::paintAt(QPainter& painter, const QPointF& corner, const ZEVPaintCut* cut)
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
    cell_.paint(painter, scale, *layout_, font_, fontKey_, look, corner, cut);
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

} // namespace tallomer
