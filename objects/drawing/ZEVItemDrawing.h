#pragma once
// What an Object view draws behind its icon image and title, whether its title is hidden and
// how opaque its image is: a pure function of the view's flags, counters and the selections,
// so that every mode and state can be checked without painting. ZEVItemPainter turns the
// answer into painting.

#include "services/ZEVFrontViewerServices.h"
#include "objects/drawing/ZEVItemPalette.h"

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace tallomer {

// The time state of an Object view, in this order of precedence.
enum class ZEVItemTimeState : std::uint8_t { Present, Future, Past, Outside };

// Front modes are the front layer's (ZEVFrontMode); anything from 4 on draws rings only.

struct ZEVItemDrawInputs {
    int frontMode = ZEVFrontModeIcons;

    // The view's presence counters (added, active, future).
    std::int64_t ajouteCount = 0;
    std::int64_t actifCount = 0;
    std::int64_t futurCount = 0;

    bool connecting = false;      // a link being drawn is over the view
    bool restoreBlinking = false; // the restore blinking is on
    bool blinkFlag = false;       // phase of the restore blinking
    bool showCadre = false;       // the highlight frame
    bool showTitle = false;       // title forced visible (a drag hovers)
    bool flickOn = false;         // the current flick step hides the title
    bool optionShowTitle = false; // the Object always shows its title

    // Selections of the space controller, for this Object.
    bool iconSelected = false;
    bool titleSelected = false;
    bool filterSelected = false;
    bool nodeSelected = false;
    bool hideItemTitle = false; // titles hidden for this Object
    bool anyFilterSelected = false;
    bool anyNodeSelected = false;

    // Answers of the item viewer.
    bool impacted = false;         // reached by the selected filters
    bool linkedToSelection = false; // linked to a selected node
    bool dragging = false;          // an Object is being dragged
    bool isDraggedItem = false;     // ...and it is this one
    bool connectedWithDragged = false;

    ZEVItemTimeState timeState() const
    {
        if (actifCount > 0)
            return ZEVItemTimeState::Present;
        if (futurCount > 0)
            return ZEVItemTimeState::Future;
        if (ajouteCount > 0)
            return ZEVItemTimeState::Past;
        return ZEVItemTimeState::Outside;
    }
    bool operator==(const ZEVItemDrawInputs&) const = default;
};

enum class ZEVItemShape : std::uint8_t {
    Plate,           // the image's frame grown by 10, corner radius 7
    Line,            // the same rectangle, corner radius 6
    FutureTab,       // rounded point on the right edge
    PastTab,         // rounded point on the left edge
    TitlePlate,      // the title's frame inset by 1, corner radius 9
    NodeRing,        // diameter 32 around the image's centre
    InnerFilterRing, // diameter 24
    OuterFilterRing  // diameter 32
};

enum class ZEVDash : std::uint8_t { None, A, B };

struct ZEVItemDashPatterns {
    static constexpr std::array<double, 2> kA = {15, 9};
    static constexpr std::array<double, 2> kB = {15, 33};
};

struct ZEVDrawOp {
    enum class Kind : std::uint8_t { Fill, Stroke };
    Kind kind = Kind::Fill;
    ZEVItemShape shape = ZEVItemShape::Plate;
    ZEVColourRole colour = ZEVColourRole::DarkGrey;
    double width = 0; // strokes only
    ZEVDash dash = ZEVDash::None;
    double dashPhase = 0;
    bool shadow = false;

    bool operator==(const ZEVDrawOp&) const = default;
};

enum class ZEVTabSide : std::uint8_t { None, Left, Right };

// The answer: the painting operations in order, then the title's hidden flag and the image's
// target alpha, each absent when this redraw leaves it as it is.
struct ZEVItemDrawPlan {
    std::vector<ZEVDrawOp> ops;
    std::optional<bool> titleHidden;
    std::optional<double> imageAlpha;

    const ZEVDrawOp* first(ZEVDrawOp::Kind kind, ZEVItemShape shape) const;
    bool has(ZEVDrawOp::Kind kind, ZEVItemShape shape) const { return first(kind, shape) != nullptr; }
    // The colour the plate is filled with, when it is.
    std::optional<ZEVColourRole> plateColour() const;
    // Which edge carries a tab (a past and a future tab never go together).
    ZEVTabSide tabSide() const;
    bool usesDash(ZEVDash dash) const;
    bool usesShadow() const;
    // Only node and filter rings, or nothing at all.
    bool ringsOnly() const;
};

class ZEVItemDrawing {
public:
    static ZEVItemDrawPlan decide(const ZEVItemDrawInputs& in);

    // The alpha to give the image view, or nothing when it already has the target (so that an
    // unchanged redraw starts no new fade).
    static std::optional<double> alphaToWrite(double currentAlpha, const ZEVItemDrawPlan& plan);
};

} // namespace tallomer
