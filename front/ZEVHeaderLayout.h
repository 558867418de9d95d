#pragma once
// The stack of header views over the desk, as a model: the time bar (23 high), the time line (36)
// and the selection view (the tracks over the toolbar, 23, or over the split bar, 5), from the top
// edge of the content down, and under them the front area, whose height is what they leave.
//
// Every change goes through request(): one value per view (1 open, 0 close, -1 keep), checked
// against the state, laid out y-up, animated by the host and completed by delayed performs on the
// shared scheduler. While a view opens or closes, every request but a refresh is dropped; the
// refresh waits in steps of 0.1 s. Nothing here touches a widget: the host applies the frames.

#include "runtime/Scheduler.h"

#include <QRectF>

#include <array>
#include <cstdint>
#include <string>

namespace tallomer {

// One view's request: open, close, or leave as it is.
enum ZEVHeaderViewRequest : int { ZEVHeaderKeep = -1, ZEVHeaderClose = 0, ZEVHeaderOpen = 1 };

enum class ZEVHeaderView { Timebar = 0, Tline = 1, Tracks = 2, Toolbar = 3 };

struct ZEVHeaderFlags {
    bool opening = false;
    bool opened = false;
    bool closing = false;
    bool closed = true;
    bool shown() const { return opening || opened; }
    bool moving() const { return opening || closing; }
};

// The frames of the stack, y-up in the content view. The tracks and the toolbar (or split bar)
// are in the selection view's own coordinates.
struct ZEVHeaderFrames {
    QRectF timebar;
    QRectF tline;
    QRectF selection;
    QRectF tracks;
    QRectF toolbar;
    QRectF front;
    bool operator==(const ZEVHeaderFrames&) const = default;
};

// What the layout asks of the window around it. Every call comes on the main thread.
class ZEVHeaderLayoutHost {
public:
    virtual ~ZEVHeaderLayoutHost() = default;
    // The content view's size (the desk view's), in points.
    virtual QSizeF deskSize() = 0;
    // The rows of the selection list now.
    virtual std::int64_t currentNbOfRows() = 0;
    // Sets the frames at once, then moves them to `to` over `duration` seconds (0: at once) in one
    // animation; the views in `show` become visible first.
    virtual void animateFrames(const ZEVHeaderFrames& from, const ZEVHeaderFrames& to, double duration) = 0;
    virtual void setViewVisible(ZEVHeaderView view, bool visible) = 0;
    // The toolbar shows, or the split bar stands in its place.
    virtual void setSplitbarInPlace(bool splitbar) = 0;
    virtual void setUpDownImages(bool shown) = 0;
    virtual void beep() = 0;
    virtual void logLine(const std::string& line) = 0;
    // Follow-ups of a change: the pointer's limit, the list's tracking, the mode buttons' titles,
    // the window's title, the list's rows, the clean-all flag, the Icon button's title.
    virtual void resetMouseLimit() = 0;
    virtual void majTrackingArea() = 0;
    virtual void updateViewbarModes() = 0;
    virtual void majWindowTitle() = 0;
    virtual void reloadSelectionList() = 0;
    virtual void clearCleanAll() = 0;
    virtual void clearIconModeTitle() = 0;
    // The sum headerViewsHeight() gives changed; the views reach their places over `duration`
    // seconds (0: at once). Whatever hangs from the front area's top edge follows.
    virtual void headerViewsHeightDidChange(double duration) = 0;
};

class ZEVHeaderLayout {
public:
    static constexpr double kTimebarHeight = 23;
    static constexpr double kTlineHeight = 36;
    static constexpr double kToolbarHeight = 23;
    static constexpr double kSplitbarHeight = 5;
    static constexpr double kRowHeight = 19;
    static constexpr double kTracksHeightMax = 190;
    static constexpr double kTracksHeightLimit = 570;
    static constexpr double kOpeningSpeed = 160;
    static constexpr double kClosingSpeed = 200;
    static constexpr double kCompletionDelay = 0.1;
    static constexpr double kMouseLimitDelay = 0.2;
    static constexpr double kTrackingDelay = 0.3;
    static constexpr double kRefreshRetry = 0.1;

    // `host` is not owned and outlives the layout.
    explicit ZEVHeaderLayout(ZEVHeaderLayoutHost& host);
    ~ZEVHeaderLayout();

    // Places the views the user keeps open at once, without animation, as the window first shows.
    void placeInitially(bool timebar, bool tline, bool tracks, bool toolbar);
    // The one operation that opens and closes header views.
    void request(int timebar, int tline, int tracks, int toolbar);
    // All four kept: the selection view follows the row count.
    void refresh() { request(ZEVHeaderKeep, ZEVHeaderKeep, ZEVHeaderKeep, ZEVHeaderKeep); }
    // The content changed size: the stack is laid out again at once, each view where its state
    // puts it.
    void relayout();

    const ZEVHeaderFlags& flags(ZEVHeaderView v) const { return flags_[int(v)]; }
    bool siTracksUpdating() const { return tracksUpdating_; }
    void clearTracksUpdating() { tracksUpdating_ = false; }
    bool anyMoving() const;
    const ZEVHeaderFrames& frames() const { return frames_; }
    double duration() const { return duration_; }
    double tracksHeight() const { return tracksHeight_; }
    double tracksHeightMax() const { return tracksHeightMax_; }
    // The user keeps the tracks open (ZEVShowTracks): rows over closed tracks show the hint only
    // when not.
    void setTracksPref(bool on) { tracksPref_ = on; }
    bool splitbarInPlace() const { return splitbarInPlace_; }
    // The end of a drag on the toolbar or split bar: a whole number of rows, at most thirty.
    void setTracksHeightMax(double height);
    double toolbarHeight() const { return toolbarHeight_; }
    double menubarHeight() const { return menubarHeight_; }
    // The menu bar over a full-screen window takes its height from the top of the stack: the
    // stack moves down by it, or back up by exactly as much, at once or over `duration` seconds.
    void setMenubarHeight(double height, double duration = 0);
    // The selection view's frame after a drag of its top edge; the front area follows.
    void setSelectionAndFrontFrames(const QRectF& selection, const QRectF& front);

    // The four-digit codes of a call (time bar, time line, tracks, toolbar).
    std::int64_t stateCode() const;
    static std::int64_t requestCode(int timebar, int tline, int tracks, int toolbar);
    static bool isSupported(std::int64_t requestCode);

    // The sum the inspector panels and the Space ask for: the views open or opening, the toolbar
    // while open or while the list has rows, and the menu bar.
    double headerViewsHeight() const;

private:
    struct Target {
        std::array<bool, 4> open{};
    };
    ZEVHeaderFrames layoutFor(const Target& t, double tracksHeight, double barHeight) const;
    Target currentTarget() const;
    void runRefresh(double oldFront, std::int64_t rows);
    void schedule(ZEVHeaderView v, bool opening);
    void complete(ZEVHeaderView v, bool opening);
    void cancel(ZEVHeaderView v);
    // The follow-ups every change schedules: the pointer's limit and the list's tracking.
    void finish(std::int64_t rows);
    void setSplitbar();
    void setToolbar(double y, double height);
    void titleLater();
    void requestChecked(int timebar, int tline, int tracks, int toolbar);
    // Tells the host when the sum moved since it was last told.
    void noteHeight(double duration);

    ZEVHeaderLayoutHost& host_;
    std::array<ZEVHeaderFlags, 4> flags_{};
    bool tracksUpdating_ = false;
    ZEVHeaderFrames frames_;
    double tracksHeight_ = 0;
    double tracksHeightMax_ = kTracksHeightMax;
    double toolbarHeight_ = kSplitbarHeight;
    double menubarHeight_ = 0;
    double duration_ = 0;
    bool tracksPref_ = true;
    bool splitbarInPlace_ = true;
    std::int64_t previousNbOfRows_ = 0;
    double notedHeight_ = 0;
    ScheduledTarget guard_{this};
};

} // namespace tallomer
