#pragma once
// The ruler bar's responsive layout, worked out apart from the widgets. The bar lays its controls
// out by its effective width (its width less the entity-button row's wide width) against five
// breakpoints. Each breakpoint has a narrow and a wide step; a pass from the width last laid out to
// the new one runs the step of every breakpoint it crosses, once per crossing, in the order of the
// pass, later positions replacing earlier ones. A width exactly at a breakpoint keeps the side the
// layout was on.
//
// Frames are in the bar's points, y-up (origin x, origin y, width, height).

#include <QRectF>

#include <array>
#include <optional>
#include <vector>

namespace tallomer {

// Widest first.
inline constexpr std::array<double, 5> kZEVRulerBreakpoints = {1055, 820, 500, 347, 180};

// Which side of each breakpoint the layout is on; all wide once armed.
struct ZEVRulerLayoutSides {
    std::array<bool, 5> narrow{};
    bool operator==(const ZEVRulerLayoutSides&) const = default;
};

struct ZEVRulerLayoutStep {
    int breakpoint = 0; // index into kZEVRulerBreakpoints
    bool narrow = false;
    bool operator==(const ZEVRulerLayoutStep&) const = default;
};

// The steps a pass from `previous` to `width` runs, in order; `sides` follows them. Narrowing
// (previous > width) visits the breakpoints widest first, widening or staying the narrowest first.
std::vector<ZEVRulerLayoutStep> ZEVRulerLayoutPass(ZEVRulerLayoutSides& sides, double previous, double width);

// What one step does to the controls; what it leaves alone is empty.
struct ZEVRulerStepEffect {
    // The entity-button row: image only (narrow) or image and title.
    std::optional<bool> entityRowNarrow;
    // The From and Until boxes hidden, or their visibility worked out again from the dates.
    bool hideFromAndUntil = false;
    bool reevaluateBoxes = false;
    // The cursor buttons: image only with the Ruler button hidden (narrow), or image and title.
    std::optional<bool> buttonsNarrow;
    std::optional<double> cursorBoxX;
    std::optional<bool> cursorBoxHidden;
    // The first preset button's x; the others follow 24 points apart.
    std::optional<double> presetX;
    std::optional<double> nameFieldX;
    std::optional<bool> nameFieldHidden;
};
ZEVRulerStepEffect ZEVRulerStepEffectFor(ZEVRulerLayoutStep step);

// The controls' fixed frames.
struct ZEVRulerBarFrames {
    static constexpr double kHeight = 23;
    static constexpr double kPresetSpacing = 24;
    static QRectF nowButton(bool narrow) { return narrow ? QRectF(-1, 0, 30, 23) : QRectF(-1, 0, 70, 23); }
    static QRectF searchButton(bool narrow) { return narrow ? QRectF(28, 0, 30, 23) : QRectF(68, 0, 70, 23); }
    static QRectF rulerButton() { return QRectF(137, 0, 70, 23); }
    static QRectF fromBox() { return QRectF(209, 2, 159, 19); }
    static QRectF cursorBox(double x) { return QRectF(x, 2, 159, 19); }
    static QRectF untilBox() { return QRectF(532, 2, 159, 19); }
    static QRectF presetButton(double firstX, int index) { return QRectF(firstX + index * kPresetSpacing, 0, 24, 23); }
    static QRectF nameField(double x) { return QRectF(x, 2, 110, 19); }
    // Where the controls stand before any step has run: the wide layout.
    static constexpr double kCursorBoxX = 370;
    static constexpr double kPresetX = 693;
    static constexpr double kNameFieldX = 915;
};

} // namespace tallomer
