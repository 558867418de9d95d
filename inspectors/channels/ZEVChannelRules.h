#pragma once
// The Channels panel's arithmetic, apart from any widget: where the panel lies, how a Ctrl-wheel
// gesture turns into steps, what the count field reads, how the zoom pop-up names and places the
// strip's scale, and which go buttons light. Geometry is y-up in the front area's points.

#include "inspectors/base/ZEVInspectGeometry.h"

#include <QRectF>
#include <Qt>
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

namespace tallomer::ZEVChannelRules {

// The panel's frame for a request r while no press runs (S: the front area). Its top edge stays
// 10 points above the area's top; too wide a panel spans the area.
QRectF frame(const ZEVInspectMetrics& m, const QRectF& S, const QRectF& r);

// A Ctrl-wheel gesture: it locks to its first direction (horizontal walks Spaces, vertical
// Channels) until stop(); the first step comes after more than 4 lines, each further one after 8.
class Wheel {
public:
    enum class Step { None, PreviousSpace, NextSpace, ChannelUp, ChannelDown };
    static constexpr double kThreshold = 4.0;
    static constexpr double kQuiet = 0.4;
    struct Result {
        Step step = Step::None;
        // The event counted in the gesture's direction: the quiet time starts again.
        bool counted = false;
    };
    Result add(double dx, double dy);
    void stop()
    {
        direction_ = 0;
        delta_ = 0;
    }
    int direction() const { return direction_; }
    double delta() const { return delta_; }

private:
    int direction_ = 0; // 0 none, 1 horizontal, 2 vertical
    double delta_ = 0;
};

// The count field: "No Channel!" for no rows, else rows-row name, row 0 unless exactly one row
// (0-based `selectedRow`) is selected.
QString countText(int rows, int selectedCount, int selectedRow, const QString& spaceName);

// What the held keys ask of a step to the previous or next Space: Ctrl keeps to the same
// picture; Meta without Ctrl skips pictures already met.
struct SpaceStepKeys {
    bool distinct = false;
    bool same = false;
};
SpaceStepKeys spaceStepKeys(Qt::KeyboardModifiers held);

// ---- the zoom pop-up ----
// The tag that stands for any step above the presets.
inline constexpr std::uint64_t kBeyondTag = 346896010;
inline constexpr double kBeyondStep = 346896000.0;
// Seconds of the strip per 48 of its points; nullopt without a width, or for a span or step that
// is not a finite positive number.
std::optional<double> stepFor(double span, double stripWidth);
std::uint64_t tagForStep(double step);
// The extra item's title for a step of s seconds.
QString stringForDuration(double s);
// Where the step shows among the presets' tags (ascending): the index to select, and whether the
// extra item is inserted there (no preset within 2 s above).
struct Placement {
    int index = 0;
    bool extra = false;
};
Placement placement(const std::vector<std::uint64_t>& presetTags, std::uint64_t tag);
// The ruler's in and out offsets that bring the strip (span seconds over width W) to `step`
// seconds per 48 points about the anchor at relative coordinate r (held at the strip's ends);
// nullopt when nothing may move.
struct Offsets {
    double in = 0;
    double out = 0;
};
std::optional<Offsets> zoomOffsets(double span, double W, double r, double step);

// ---- the bar's marks (y-up panel points; Fw the panel's width, bar the bar's height) ----
// The white Ctrl-scroll line under the pointer at panel x `m`; none within 20 points of an edge.
std::optional<QRectF> ctrlScrollLine(double m, double Fw, double bar);
// The active cursor's past band, 4 high at y 39, from its context's start `inX` (nullopt: no
// strip for it) to its x `ax`, both held inside the bar's 20-point margins; an empty rectangle
// when there is none (a start past the right margin, a past shorter than 0.15 s, a cursor left
// of the bar).
QRectF pastBand(std::optional<double> inX, double ax, double Fw, double elapsed);

// ---- lighting of the go buttons ----
// States: 1 on, 0 off, -1 mixed. `aimed` is the look of the button the step goes through: on
// while the panel's list has the keys, else mixed.
// An unset light keeps its state.
struct Lights {
    std::optional<int> channelUp, channelDown;
    std::optional<int> previousSpace, nextSpace;
    std::optional<int> gotoPrevious, gotoNext;
    std::optional<int> home;
};
struct Browsing {
    bool channels = false;
    bool spaces = false;
    bool history = false;
};
enum class Move { Up, Down, PreviousSpace, NextSpace, PreviousObject, NextObject, Rest };
// The lights after a move (`home`: the move reached the home Channel, or showed Home).
Lights lightsFor(Move move, const Browsing& b, bool aimedOn, bool home);

} // namespace tallomer::ZEVChannelRules
