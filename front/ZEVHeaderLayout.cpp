#include "front/ZEVHeaderLayout.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace tallomer {

namespace {

constexpr const char* kOpening[4] = {"_timebarOpening", "_tlineOpening", "_tracksOpening", "_toolbarOpening"};
constexpr const char* kClosing[4] = {"_timebarClosing", "_tlineClosing", "_tracksClosing", "_toolbarClosing"};
constexpr char kTracksUpdating[] = "_tracksUpdating";
constexpr char kRefresh[] = "_updateHeaderViews";
constexpr char kTitle[] = "majWindowTitle";
constexpr char kMouseLimit[] = "resetMouseLimit";
constexpr char kTracking[] = "_majTrackingArea";

// The request codes the stack knows how to lay out; every request the program makes is one.
constexpr std::int64_t kSupported[] = {889,   891,   1111,  -911,  -891,  -1091, -1109, -111,
                                       -110,  -101,  -100,  0,     -11,   -10,   -1,    -1011,
                                       -1010, -1001, -1000, -1110, -1101, -1100};

std::string padded(const char* format, std::int64_t a, std::int64_t b = 0)
{
    char line[96];
    std::snprintf(line, sizeof line, format, static_cast<long>(a), static_cast<long>(b));
    return line;
}

} // namespace

ZEVHeaderLayout::ZEVHeaderLayout(ZEVHeaderLayoutHost& host) : host_(host) {}

ZEVHeaderLayout::~ZEVHeaderLayout() = default;

std::int64_t ZEVHeaderLayout::requestCode(int timebar, int tline, int tracks, int toolbar)
{
    return 1000 * timebar + 100 * tline + 10 * tracks + toolbar;
}

std::int64_t ZEVHeaderLayout::stateCode() const
{
    std::int64_t code = 0;
    const int weights[4] = {1000, 100, 10, 1};
    for (int v = 0; v < 4; ++v)
        if (!flags_[v].closed)
            code += weights[v];
    return code;
}

bool ZEVHeaderLayout::isSupported(std::int64_t code)
{
    return std::find(std::begin(kSupported), std::end(kSupported), code) != std::end(kSupported);
}

bool ZEVHeaderLayout::anyMoving() const
{
    return std::any_of(flags_.begin(), flags_.end(), [](const ZEVHeaderFlags& f) { return f.moving(); });
}

double ZEVHeaderLayout::headerViewsHeight() const
{
    double h = menubarHeight_;
    if (flags(ZEVHeaderView::Timebar).shown())
        h += kTimebarHeight;
    if (flags(ZEVHeaderView::Tline).shown())
        h += kTlineHeight;
    if (flags(ZEVHeaderView::Tracks).shown())
        h += tracksHeight_;
    if (flags(ZEVHeaderView::Toolbar).opened || host_.currentNbOfRows() != 0)
        h += toolbarHeight_;
    return h;
}

void ZEVHeaderLayout::setTracksHeightMax(double height)
{
    const double rows = std::ceil(std::max(0.0, height) / kRowHeight - 1e-9);
    tracksHeightMax_ = std::min(rows * kRowHeight, kTracksHeightLimit);
}

void ZEVHeaderLayout::setSelectionAndFrontFrames(const QRectF& selection, const QRectF& front)
{
    frames_.selection = selection;
    frames_.tracks = QRectF(0, toolbarHeight_, selection.width(), std::max(0.0, selection.height() - toolbarHeight_));
    frames_.toolbar = QRectF(0, 0, selection.width(), toolbarHeight_);
    frames_.front = front;
    host_.animateFrames(frames_, frames_, 0);
}

ZEVHeaderLayout::Target ZEVHeaderLayout::currentTarget() const
{
    Target t;
    for (int v = 0; v < 4; ++v)
        t.open[v] = flags_[v].shown();
    return t;
}

ZEVHeaderFrames ZEVHeaderLayout::layoutFor(const Target& t, double tracksHeight, double barHeight) const
{
    const QSizeF size = host_.deskSize();
    const double W = size.width();
    const double H = size.height() - menubarHeight_;
    ZEVHeaderFrames f;
    double top = H;
    // A closed bar or line waits behind what lies above it, out of sight.
    if (t.open[0]) {
        f.timebar = QRectF(0, top - kTimebarHeight, W, kTimebarHeight);
        top -= kTimebarHeight;
    } else {
        f.timebar = QRectF(0, H, W, kTimebarHeight);
    }
    if (t.open[1]) {
        f.tline = QRectF(0, top - kTlineHeight, W, kTlineHeight);
        top -= kTlineHeight;
    } else {
        f.tline = QRectF(0, top, W, kTlineHeight);
    }
    const double trackPart = t.open[2] ? tracksHeight : 0;
    const double barPart = t.open[3] ? kToolbarHeight : (t.open[2] && tracksHeight > 0 ? kSplitbarHeight : 0);
    const double selection = trackPart + barPart;
    f.selection = QRectF(0, top - selection, W, selection);
    f.toolbar = QRectF(0, 0, W, barHeight);
    f.tracks = QRectF(0, barHeight, W, std::max(0.0, selection - barHeight));
    f.front = QRectF(0, 0, W, std::max(0.0, top - selection));
    return f;
}

void ZEVHeaderLayout::placeInitially(bool timebar, bool tline, bool tracks, bool toolbar)
{
    const bool wants[4] = {timebar, tline, tracks, toolbar};
    for (int v = 0; v < 4; ++v) {
        flags_[v] = ZEVHeaderFlags{};
        if (wants[v]) {
            flags_[v].closed = false;
            flags_[v].opened = true;
        }
    }
    const std::int64_t rows = host_.currentNbOfRows();
    tracksHeight_ = std::min(double(rows) * kRowHeight, tracksHeightMax_);
    toolbarHeight_ = toolbar ? kToolbarHeight : kSplitbarHeight;
    host_.setSplitbarInPlace(!toolbar);
    frames_ = layoutFor(currentTarget(), tracksHeight_, toolbarHeight_);
    host_.setViewVisible(ZEVHeaderView::Timebar, timebar);
    host_.setViewVisible(ZEVHeaderView::Tline, tline);
    host_.setViewVisible(ZEVHeaderView::Tracks, toolbar || (tracks && tracksHeight_ > 0));
    host_.animateFrames(frames_, frames_, 0);
    previousNbOfRows_ = rows;
    noteHeight(0);
}

void ZEVHeaderLayout::setMenubarHeight(double height, double duration)
{
    if (height == menubarHeight_)
        return;
    menubarHeight_ = height;
    const ZEVHeaderFrames before = frames_;
    frames_ = layoutFor(currentTarget(), tracksHeight_, toolbarHeight_);
    duration_ = duration;
    host_.animateFrames(before, frames_, duration);
    noteHeight(duration);
}

void ZEVHeaderLayout::relayout()
{
    frames_ = layoutFor(currentTarget(), tracksHeight_, toolbarHeight_);
    host_.animateFrames(frames_, frames_, 0);
    noteHeight(0);
}

void ZEVHeaderLayout::noteHeight(double duration)
{
    const double h = headerViewsHeight();
    if (h == notedHeight_)
        return;
    notedHeight_ = h;
    host_.headerViewsHeightDidChange(duration);
}

void ZEVHeaderLayout::request(int timebar, int tline, int tracks, int toolbar)
{
    // The row count and the flags change at many points of a request, and on every way out.
    requestChecked(timebar, tline, tracks, toolbar);
    noteHeight(duration_);
}

void ZEVHeaderLayout::requestChecked(int timebar, int tline, int tracks, int toolbar)
{
    const std::array<int, 4> asked{timebar, tline, tracks, toolbar};
    const std::int64_t state = stateCode();
    const std::int64_t code = requestCode(timebar, tline, tracks, toolbar);
    const bool opens = std::find(asked.begin(), asked.end(), int(ZEVHeaderOpen)) != asked.end();
    const bool isRefresh = code == -1111;
    const std::int64_t rows = host_.currentNbOfRows();

    // A refused request is refused before it touches anything, the flags included.
    if (!isRefresh && !isSupported(code) && !anyMoving() && !tracksUpdating_) {
        host_.beep();
        host_.logLine(padded("               --> TODO choise (%.4ld)", code + 1111));
        host_.logLine(padded("               --> TODO status (%.4ld)", state));
        return;
    }
    if (opens)
        host_.clearCleanAll();
    tracksHeight_ = std::min(double(rows) * kRowHeight, tracksHeightMax_);
    double oldFront = frames_.front.height();
    duration_ = 0;
    host_.setUpDownImages(double(rows) * kRowHeight > tracksHeightMax_ ||
                          (rows >= 1 && tracks != ZEVHeaderOpen && !tracksPref_));

    if (anyMoving()) {
        previousNbOfRows_ = rows;
        if (isRefresh)
            Scheduler::shared().perform(this, kRefresh, kRefreshRetry, [this] { refresh(); });
        return;
    }
    if (isRefresh) {
        runRefresh(oldFront, rows);
        return;
    }
    if (tracksUpdating_) {
        previousNbOfRows_ = rows;
        return;
    }

    Target target = currentTarget();
    for (int v = 0; v < 4; ++v)
        if (asked[v] != ZEVHeaderKeep)
            target.open[v] = asked[v] == ZEVHeaderOpen;

    const ZEVHeaderFrames before = frames_;
    bool toolbarAtOnce = false;
    const bool tracksStay = target.open[2] && tracksHeight_ > 0;
    if (asked[3] == ZEVHeaderClose && flags(ZEVHeaderView::Toolbar).opened && tracksStay) {
        setSplitbar();
    } else if (asked[3] == ZEVHeaderOpen && !flags(ZEVHeaderView::Toolbar).opened) {
        if (splitbarInPlace_ && flags(ZEVHeaderView::Tracks).opened && tracksHeight_ > 0 && frames_.selection.height() > 0) {
            // The split bar gives way to the toolbar where it lies; the tracks stay where they are.
            setToolbar(frames_.selection.y() - (kToolbarHeight - kSplitbarHeight),
                       frames_.selection.height() + (kToolbarHeight - kSplitbarHeight));
            frames_.front.setHeight(frames_.selection.y());
            host_.animateFrames(frames_, frames_, 0);
            toolbarAtOnce = code == 891;
        } else {
            setToolbar(frames_.selection.y() + frames_.selection.height(), 0);
        }
    }
    // A swap is made at once: the animation counts from where it left the front area.
    oldFront = frames_.front.height();
    const double barHeight = target.open[3] ? kToolbarHeight : toolbarHeight_;
    const ZEVHeaderFrames after = layoutFor(target, tracksHeight_, barHeight);

    // Where the opening views start: as one block directly above where they will lie.
    ZEVHeaderFrames from = frames_;
    double block = 0;
    if (target.open[0] && !flags(ZEVHeaderView::Timebar).shown())
        block += kTimebarHeight;
    if (target.open[1] && !flags(ZEVHeaderView::Tline).shown())
        block += kTlineHeight;
    if (target.open[0] && !flags(ZEVHeaderView::Timebar).shown())
        from.timebar = after.timebar.translated(0, block);
    if (target.open[1] && !flags(ZEVHeaderView::Tline).shown())
        from.tline = after.tline.translated(0, block);
    const bool selectionHidden = before.selection.height() <= 0;
    if ((target.open[2] || target.open[3]) && selectionHidden) {
        if (block > 0)
            from.selection = after.selection.translated(0, block);
        else
            from.selection = QRectF(0, after.selection.y() + after.selection.height(), after.selection.width(), 0);
    }

    host_.setViewVisible(ZEVHeaderView::Timebar, target.open[0] || flags(ZEVHeaderView::Timebar).shown());
    host_.setViewVisible(ZEVHeaderView::Tline, target.open[1] || flags(ZEVHeaderView::Tline).shown());
    if (target.open[2] || target.open[3])
        host_.setViewVisible(ZEVHeaderView::Tracks, true);

    const double newFront = after.front.height();
    const double change = std::abs(oldFront - newFront);
    duration_ = newFront <= oldFront ? change / kOpeningSpeed : change / kClosingSpeed;

    static constexpr ZEVHeaderView order[4] = {ZEVHeaderView::Toolbar, ZEVHeaderView::Tracks, ZEVHeaderView::Tline,
                                               ZEVHeaderView::Timebar};
    for (ZEVHeaderView v : order) {
        const int i = int(v);
        if (opens && asked[i] == ZEVHeaderOpen && !flags_[i].opened) {
            cancel(v);
            flags_[i].opening = true;
            if (v == ZEVHeaderView::Toolbar && toolbarAtOnce)
                complete(v, true);
            else
                schedule(v, true);
            if (v == ZEVHeaderView::Toolbar)
                host_.updateViewbarModes();
        } else if (!opens && asked[i] == ZEVHeaderClose && !flags_[i].closed) {
            cancel(v);
            flags_[i].closing = true;
            schedule(v, false);
        }
    }
    if (code == 0)
        host_.clearIconModeTitle();

    frames_ = after;
    host_.animateFrames(from, after, duration_);
    finish(rows);
}

void ZEVHeaderLayout::runRefresh(double oldFront, std::int64_t rows)
{
    const ZEVHeaderFlags& tracks = flags(ZEVHeaderView::Tracks);
    const ZEVHeaderFlags& toolbar = flags(ZEVHeaderView::Toolbar);
    ZEVHeaderFrames from = frames_;
    ZEVHeaderFrames after = frames_;
    if (tracks.opened) {
        const Target t = currentTarget();
        after = layoutFor(t, tracksHeight_, toolbarHeight_);
        if (!toolbar.opened && previousNbOfRows_ == 0 && rows > 0) {
            // The split bar comes first, collapsed under the headers; the rows then push it down.
            const double top = after.selection.y() + after.selection.height();
            from.selection = QRectF(0, top - toolbarHeight_, after.selection.width(), toolbarHeight_);
            from.front.setHeight(from.selection.y());
            host_.setViewVisible(ZEVHeaderView::Tracks, true);
        } else if (!toolbar.opened && previousNbOfRows_ == 0) {
            after = frames_;
        }
    }
    host_.reloadSelectionList();
    const double newFront = after.front.height();
    const double change = std::abs(from.front.height() - newFront);
    duration_ = newFront <= from.front.height() ? change / kOpeningSpeed : change / kClosingSpeed;
    (void)oldFront;
    if (tracks.opened && rows != previousNbOfRows_) {
        tracksUpdating_ = true;
        Scheduler::shared().cancel(this, kTracksUpdating);
        Scheduler::shared().perform(this, kTracksUpdating, duration_, [this] { tracksUpdating_ = false; });
    }
    frames_ = after;
    if (!(from == after) || !(from == frames_))
        host_.animateFrames(from, after, duration_);
    finish(rows);
}

void ZEVHeaderLayout::finish(std::int64_t rows)
{
    Scheduler& s = Scheduler::shared();
    s.cancel(this, kMouseLimit);
    s.perform(this, kMouseLimit, duration_ + kMouseLimitDelay, [this] { host_.resetMouseLimit(); });
    s.cancel(this, kTracking);
    s.perform(this, kTracking, duration_ + kTrackingDelay, [this] { host_.majTrackingArea(); });
    previousNbOfRows_ = rows;
}

void ZEVHeaderLayout::cancel(ZEVHeaderView v)
{
    const int i = int(v);
    Scheduler& s = Scheduler::shared();
    s.cancel(this, kOpening[i]);
    s.cancel(this, kClosing[i]);
    if (v == ZEVHeaderView::Tracks) {
        s.cancel(this, kTracksUpdating);
        tracksUpdating_ = false;
    }
    flags_[i] = ZEVHeaderFlags{false, false, false, false};
}

void ZEVHeaderLayout::schedule(ZEVHeaderView v, bool opening)
{
    const int i = int(v);
    Scheduler::shared().perform(this, opening ? kOpening[i] : kClosing[i], duration_ + kCompletionDelay,
                                [this, v, opening] { complete(v, opening); });
}

void ZEVHeaderLayout::complete(ZEVHeaderView v, bool opening)
{
    const int i = int(v);
    ZEVHeaderFlags& f = flags_[i];
    if (opening) {
        f = ZEVHeaderFlags{false, true, false, false};
    } else {
        f = ZEVHeaderFlags{false, false, false, true};
        switch (v) {
        case ZEVHeaderView::Timebar:
        case ZEVHeaderView::Tline:
            host_.setViewVisible(v, false);
            break;
        case ZEVHeaderView::Tracks:
            frames_.selection = QRectF(frames_.selection.x(), frames_.selection.y() + frames_.selection.height() - toolbarHeight_,
                                       frames_.selection.width(), toolbarHeight_);
            frames_.tracks.setHeight(0);
            if (flags(ZEVHeaderView::Toolbar).closed) {
                host_.setViewVisible(ZEVHeaderView::Tracks, false);
            } else {
                host_.animateFrames(frames_, frames_, 0);
            }
            break;
        case ZEVHeaderView::Toolbar: {
            const ZEVHeaderFlags& tracks = flags(ZEVHeaderView::Tracks);
            if (tracks.closing || tracks.closed)
                host_.setViewVisible(ZEVHeaderView::Tracks, false);
            if (!splitbarInPlace_) {
                const QSizeF size = host_.deskSize();
                toolbarHeight_ = kSplitbarHeight;
                frames_.selection = QRectF(0, size.height() - menubarHeight_, size.width(), kSplitbarHeight);
                frames_.tracks = QRectF(0, kSplitbarHeight, size.width(), 0);
                frames_.toolbar = QRectF(0, 0, size.width(), kSplitbarHeight);
                splitbarInPlace_ = true;
                host_.setSplitbarInPlace(true);
                host_.animateFrames(frames_, frames_, 0);
            }
            break;
        }
        }
    }
    // An opened toolbar counts from here on.
    noteHeight(0);
    titleLater();
}

void ZEVHeaderLayout::titleLater()
{
    Scheduler& s = Scheduler::shared();
    s.cancel(this, kTitle);
    s.perform(this, kTitle, kCompletionDelay, [this] { host_.majWindowTitle(); });
}

void ZEVHeaderLayout::setSplitbar()
{
    const double lost = kToolbarHeight - kSplitbarHeight;
    toolbarHeight_ = kSplitbarHeight;
    frames_.selection = QRectF(frames_.selection.x(), frames_.selection.y() + lost, frames_.selection.width(),
                               std::max(0.0, frames_.selection.height() - lost));
    frames_.tracks = QRectF(0, kSplitbarHeight, frames_.selection.width(), std::max(0.0, frames_.selection.height() - kSplitbarHeight));
    frames_.toolbar = QRectF(0, 0, frames_.selection.width(), kSplitbarHeight);
    frames_.front.setHeight(frames_.selection.y());
    splitbarInPlace_ = true;
    host_.setSplitbarInPlace(true);
    host_.animateFrames(frames_, frames_, 0);
}

void ZEVHeaderLayout::setToolbar(double y, double height)
{
    toolbarHeight_ = kToolbarHeight;
    frames_.selection = QRectF(frames_.selection.x(), y, frames_.selection.width(), height);
    frames_.tracks = QRectF(0, kToolbarHeight, frames_.selection.width(), std::max(0.0, height - kToolbarHeight));
    frames_.toolbar = QRectF(0, 0, frames_.selection.width(), kToolbarHeight);
    splitbarInPlace_ = false;
    host_.setSplitbarInPlace(false);
}

} // namespace tallomer
