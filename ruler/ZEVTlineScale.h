#pragma once
// What the timeline strip draws of its scale, worked out apart from any painting: which calendar
// units fit the strip, the ticks and labels of their marks, and the past and future tints. All of
// it is y-up in the strip's points, with the bottom edge at 0.

#include "runtime/Date.h"

#include <QColor>
#include <QFont>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace tallomer {

class ZEVTlineUnit;

// The one label cell of every strip: its font, and the room it leaves around a text.
class ZEVTlineLabelCell {
public:
    // Added to the width of the text, half on each side, so that two labels never touch.
    static constexpr double kPadding = 4.0;
    static const QFont& font();
    // The text's natural size, padding included.
    static QSizeF cellSize(const QString& text);
    // The same, no larger than the band.
    static QSizeF cellSizeForBounds(const QString& text, const QSizeF& band);
};

// How the label cell measures a text within a band; a test gives its own.
using ZEVTlineMeasure = std::function<QSizeF(const QString& text, const QSizeF& band)>;

struct ZEVTlineUnitChoice {
    // In table order; not owned (the axis owns its units).
    std::vector<ZEVTlineUnit*> displayedUnits;
    // The first displayed unit whose typical label fits its largest relevant cycle.
    ZEVTlineUnit* firstTitledUnit = nullptr;
    std::int64_t cyclePrinted = 1;
    std::int64_t cycleDisplayed = 1;
    // (width - 1) / 200.
    double enlargeFactor = 0;
};

// The units of a strip `width` points wide. A unit shows when its largest relevant cycle spans at
// least 10 points and no unit shown before it names it; of consecutive units of one name, the
// first whose typical label fits shows, else the last of them.
ZEVTlineUnitChoice chooseDisplayedUnits(const std::vector<std::unique_ptr<ZEVTlineUnit>>& units, double width,
                                        const ZEVTlineMeasure& measure);

// What the choice reads of a unit, whatever kind of unit it is (the browser's date ruler has
// units of its own over the same calendar).
struct ZEVTlineUnitTraits {
    QString name;
    QStringList includedUnitsNames;
    double typicalEventRelativeLength = 0;
    std::int64_t largestRelevantStepUpCycle = 1;
    QString typicalEventTitle;
    std::vector<std::int64_t> stepUpCycles;
};

struct ZEVTlineChoiceRules {
    // The strip's length along its axis less one point.
    double length = 0;
    // The least span, in points, of a unit's largest relevant cycle, and of the first unit's
    // marks once thinned.
    double minSpan = 10.0;
    // Whether the typical title fits between marks `span` points apart.
    std::function<bool(const QString& title, double span)> fits;
    // The title's extent along the axis.
    std::function<double(const QString& title)> extent;
};

struct ZEVTlineUnitIndexChoice {
    std::vector<std::size_t> displayed; // indices into the units, in table order
    std::optional<std::size_t> firstTitled;
    std::int64_t cyclePrinted = 1;
    std::int64_t cycleDisplayed = 1;
    double enlargeFactor = 0; // length / 200
};

// The same choice over any units, by the rules given.
ZEVTlineUnitIndexChoice chooseUnits(const std::vector<ZEVTlineUnitTraits>& units, const ZEVTlineChoiceRules& rules);

// The height of a mark's tick in a tick zone of that height: the full zone for a mark of 200
// points (with cycle 1), 0.1954 of the zone less for each factor e shorter.
double tickHeight(double relativeLength, std::int64_t cycle, double enlargeFactor, double zoneHeight);
// Ticks this short or shorter are not drawn.
inline constexpr double kTickHeightMin = 8.0;

struct ZEVTlineTick {
    double x = 0;
    double height = 0;
};

struct ZEVTlineLabel {
    QRectF rect;
    QString title;
};

// Places the label unless it sticks out of 0..bandWidth or has no size, after removing every label
// already placed that it overlaps; answers whether it was placed.
bool placeLabel(std::vector<ZEVTlineLabel>& placed, const ZEVTlineLabel& label, double bandWidth);

struct ZEVTlineScale {
    std::vector<ZEVTlineTick> ticks;
    std::vector<ZEVTlineLabel> labels;
};

// The ticks and labels of the chosen units on a strip of that size. The units' marks are made
// for the axis as it stands.
ZEVTlineScale scaleForChoice(const ZEVTlineUnitChoice& choice, double width, double height,
                             const ZEVTlineMeasure& measure);
// The top of the strip where labels stand.
inline constexpr double kLabelBandHeight = 15.0;

struct ZEVTlineTint {
    QRectF rect;
    QColor colour;
};

struct ZEVTlineTintInput {
    double width = 0;
    double height = 0;
    bool siRulerTime = false;
    int code = 10;
    // Relative coordinates of the active cursor's moment and of the present.
    double actifRelative = 0;
    double presentRelative = 0;
    QColor passe, futur, rulerPasse, rulerFutur;
};

// The fills behind the scale: past and future around the present, or around the active cursor
// in ruler time and under codes 1 and 4; under code 0 the ruler past colour up to the cursor.
std::vector<ZEVTlineTint> tintsFor(const ZEVTlineTintInput& input);

struct ZEVTlineRulerColours {
    QColor passe;
    QColor futur;
};
// The ruler tint colours a highlight code sets; other codes keep `current`.
ZEVTlineRulerColours rulerColoursForCode(int code, bool siRulerTime, const QColor& appPasse, const QColor& appFutur,
                                         const ZEVTlineRulerColours& current);

} // namespace tallomer
