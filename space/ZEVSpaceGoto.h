#pragma once
// What the space controller works out for going to moments and Spaces, and for its window: the
// entries of the list of a Channel's Spaces, the end of a go-to of a chosen duration, the texts
// of durations, the zones of the pointer limit with the delay of their closing, and the window
// title. Plain functions of their inputs; the controller reads the inputs.

#include "runtime/Date.h"

#include <QRectF>
#include <QString>

#include <optional>

class KELI;

namespace tallomer {

// One Space of the list the Spaces menu shows: where a background begins or ends, its image, its
// colour and scale, and the index of the event that ended it (or of the entry in the list).
// The links are not owned; links live for the run.
class ZEVSpaceGotoObject {
public:
    ZEVSpaceGotoObject(KELDate date, KELI* imageItem, KELI* colorItem, KELI* scaleMot)
        : date_(date), imageItem_(imageItem), colorItem_(colorItem), scaleMot_(scaleMot)
    {
    }
    ZEVSpaceGotoObject(KELDate date, KELI* imageItem, long gtIndex)
        : date_(date), imageItem_(imageItem), gtIndex_(gtIndex)
    {
    }

    KELDate date() const { return date_; }
    KELI* imageItem() const { return imageItem_; }
    KELI* colorItem() const { return colorItem_; }
    KELI* scaleMot() const { return scaleMot_; }
    long gtIndex() const { return gtIndex_; }
    void setDate(KELDate date) { date_ = date; }
    void setColorItem(KELI* colorItem) { colorItem_ = colorItem; }
    void setScaleMot(KELI* scaleMot) { scaleMot_ = scaleMot; }

private:
    KELDate date_ = 0;
    KELI* imageItem_ = nullptr;
    KELI* colorItem_ = nullptr;
    KELI* scaleMot_ = nullptr;
    long gtIndex_ = 0;
};

namespace ZEVGoto {

// Duration tags of the go-to panel; any other tag means without end.
enum DurationTag : long {
    kQuarterHour = 11,
    kHour = 12,
    kDay = 13,
    kWeek = 14,
    kMonth = 15,
    kSixMonths = 16,
    kYear = 17,
    kWithoutEnd = 20,
};
// The temporary go-to kind, which gives the previous kind back when it ends.
inline constexpr long kTemporaryTag = 100;

// The end of a go-to that starts at t and lasts the tag's duration. Months and years are
// calendar ones in the local time zone, their fields rolling over as the calendar does (a month
// after 31 January is 3 March, 2 March in a leap year); KELDateOuverte without end, for a t that
// is not finite, and past the calendar's years.
KELDate outTimeForGoToTime(KELDate t, long durationTag);
// " (1 hour)" and the like for tags 11 to 17; empty for the others.
QString durationStringForTag(long durationTag);
// "1 day  01:01:01": days, then hours, minutes and seconds rounded to the second; beyond 100
// years (or not finite), "> 100 years !". A negative duration is written as none.
QString durationStringForDuration(double seconds);

} // namespace ZEVGoto

// The zone at the top of the Space window that opens the header views, y-up in window points,
// with its lower edge.
struct ZEVMouseLimitZone {
    QRectF rect;
    float inf = 0;
};

namespace ZEVMouseLimit {

// The window manager draws the title bar, which reports no pointer: the zones that lay in it lie
// this much lower, in the top of the content.
inline constexpr double kTitleBarShift = 21.0;

// The corner zone, tested while the header views are hidden: the top right corner of a content of
// size w x h (the screen's in full screen).
ZEVMouseLimitZone cornerZone(bool fullScreen, double w, double h);
// The header zone, tested while they are shown: the header area of height headerHeight + 60 over
// the whole width, or the top edge alone when every header view is closed.
ZEVMouseLimitZone headerZone(bool fullScreen, double x, double w, double h, double headerHeight, bool allClosed);
// How long a pointer at height y under a zone whose lower edge is at `inf` waits before the
// header views close: 1 s at the edge down to 0.01 s at the bottom of the window, as
// 1 / (100 - 99 y / inf). Always between 0.01 s and 1 s, also above the edge, below the window or
// for a zone without height.
double closeDelay(float inf, double y);

} // namespace ZEVMouseLimit

// What the window title is made of.
struct ZEVWindowTitleState {
    // "name | background", or the name alone.
    QString n;
    // The front mode; the title stays as it is for a mode outside 0 to 3.
    int mode = 0;
    // The pointer is in the pointer-limit zone.
    bool pointerInZone = false;
    bool nowActive = true;
    bool headerViewsClosed = false;
    bool atHome = false;
    bool cursorHidden = false;
    // The Now cursor's date minus the Search cursor's.
    double d = 0;
};

struct ZEVWindowTitle {
    QString title;
    // The plain title of the Now desk at the Home Time.
    bool siTallomer = false;
};

// nullopt: the title stays as it is.
std::optional<ZEVWindowTitle> ZEVWindowTitleFor(const ZEVWindowTitleState& state);

} // namespace tallomer
