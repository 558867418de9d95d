#pragma once
// The colours of an Object's title: its text, and what is painted behind it, from the view's
// state. Connecting (a link drag hovers over it) comes first, then an edit in place, then a
// selected title; an unselected title gets only its text colour and a shadow.

#include "objects/drawing/ZEVItemDrawing.h"
#include "objects/drawing/ZEVItemPalette.h"

#include <optional>

namespace tallomer {

struct ZEVItemTitleColours {
    ZEVColourRole text = ZEVColourRole::White;
    // Painted behind the text when set: the plate inset by 1 with corner radius 9, stroked when
    // `stroke` is set; the whole cell, square, while the title is edited.
    std::optional<ZEVColourRole> fill;
    std::optional<ZEVColourRole> stroke;
    bool wholeCell = false;
    // The shadow of Titles mode (darker, wider) instead of the usual one; unselected titles only.
    bool titlesShadow = false;
    bool shadow = false;
};

struct ZEVItemTitleState {
    ZEVItemTimeState time = ZEVItemTimeState::Outside;
    bool connecting = false;
    bool edited = false;
    bool modifiable = true;
    bool selected = false;
    int frontMode = 0;
};

ZEVItemTitleColours titleColoursFor(const ZEVItemTitleState& state);

} // namespace tallomer
