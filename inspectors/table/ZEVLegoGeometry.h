#pragma once
// The pure part of the presence intervals ("legos") of a table row: where a date falls on the
// strip's scale in the table, the lego's rectangle in its row, and which of the five colour cases
// a lego is in against the active cursor's window and moment. Row rectangles are the table's own
// (Qt's y-down, the row's top first), as the table draws them.

#include "engine/KELTypes.h"

#include <QRectF>

namespace tallomer {

// The time axis as the table maps it: x = (date - inDate) / length * bound + shift.
class ZEVLegoScale {
public:
    ZEVLegoScale() = default;
    // `shift` is the x of the strip's left edge in the table; [clipLeft, clipRight] the x range
    // drawn now.
    ZEVLegoScale(KELDate inDate, double length, double bound, double shift, double clipLeft, double clipRight);
    // An axis of zero, negative or non-finite length, or a strip without width, has no scale:
    // nothing is placed on it.
    bool valid() const { return valid_; }
    // The x of the date, held just outside the drawn range (a date far off, an open end or a
    // non-finite date never gives a huge or NaN x). Without a scale, just left of the range.
    double x(KELDate date) const;
    double shift() const { return shift_; }
    double bound() const { return bound_; }

private:
    KELDate inDate_ = 0;
    double length_ = 0;
    double bound_ = 0;
    double shift_ = 0;
    double clipLeft_ = 0;
    double clipRight_ = 0;
    bool valid_ = false;
};

// The lego's rectangle in its row: from inX to outX (at least 0.5 wide), legoHeight - 5 high,
// 2.5 below the row's top plus the offset.
QRectF legoRectForRow(const QRectF& rowRect, double inX, double outX, double legoHeight, double legoOffset);

// Where a lego lies against the active cursor's window [windowIn, windowOut] and moment: the
// tests run in this order and are inclusive on the lego's side (an out-date on the window's start
// touches it; an in-date on the moment is present).
enum class ZEVLegoCase {
    Passe,      // ended before the window
    Futur,      // starts after the window
    PasseActif, // ends inside the window, before the moment
    FuturActif, // starts inside the window, after the moment
    Present     // in <= moment <= out
};
ZEVLegoCase legoCaseFor(KELDate in, KELDate out, KELDate windowIn, KELDate windowOut, KELDate now);

} // namespace tallomer
