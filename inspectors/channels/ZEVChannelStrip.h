#pragma once
// The pure part of a Channel row's time strip: its 48-point slots aligned on the Now cursor's x,
// the magnifier snapping to the Now and Search cursors, the right-end zone, and what a press in
// the strip does to the cursors. x runs left to right in the table's points.

#include "engine/KELTypes.h"

#include <optional>

namespace tallomer {

inline constexpr double kZEVChannelSlotWidth = 48.0;
inline constexpr double kZEVChannelSlotHeight = 30.0;

// The first slot's left edge: slots are 48 wide with an edge on Now x (96 gives -48, -10 gives
// -10).
double ZEVChannelFirstSlot(double nowX);
// The slots of a row that wide: width / 48 + 2, truncated; none for a row without width.
int ZEVChannelSlotCount(double width);

// The magnifier snaps to Now when the pointer is less than 4 points left of it or less than 5
// right of it; to Search within less than 3 either side. Now wins when both apply.
bool ZEVChannelSiPresNow(double pointerX, double nowX);
bool ZEVChannelSiPresSearch(double pointerX, double searchX);
// The last 48 points of the row, ends excluded.
bool ZEVChannelSiZoneDroite(double pointerX, double width);

// What a press in a row's strip does to the cursors.
enum class ZEVChannelPress {
    Rien,          // near the active cursor: no cursor acts
    ActiverNow,    // near Now while Search is active: Now becomes active
    ActiverSearch, // near Search while Now is active: Search becomes active
    PlacerSearch,  // Search becomes active (if needed) and goes to the click's date
    SuivreSearch   // Search follows the mouse from the press on
};
// `actifDansLaPlage`: the active cursor's time lies within the shown span, ends included.
ZEVChannelPress ZEVChannelPressFor(bool nowActif, bool presNow, bool presSearch, bool actifDansLaPlage);

// The date under a strip x (points from the strip's left edge), on a strip that wide showing
// [inDate, inDate + length]: x over (width - 1). None for a strip under 2 points or an empty span.
std::optional<KELDate> ZEVChannelDateForStripX(double x, double stripWidth, KELDate inDate, double length);

} // namespace tallomer
