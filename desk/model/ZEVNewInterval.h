#pragma once
// The interval a new presence link gets when the user recalls an Object at a date: the one rule
// the desk's icons and the inspectors' imports share.

#include "engine/KELTypes.h"

class KELI;

namespace tallomer {

struct ZEVInterval {
    KELDate in = 0;
    KELDate out = 0;
};

// `dragging` is the presence interval being dragged in the front's selection list (nullptr for
// none): a date after its end opens from the date on, else the dragged interval is copied. Without
// one, in go-to mode the link ends at `goToEnd`, otherwise at `callerEnd` (the Space's end for the
// desk, open for an import).
ZEVInterval ZEVNewIntervalForDate(KELDate date, const KELI* dragging, bool siGoToMode, KELDate goToEnd,
                                  KELDate callerEnd);

} // namespace tallomer
