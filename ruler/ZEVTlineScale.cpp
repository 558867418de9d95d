#include "ruler/ZEVTlineScale.h"

#include "ruler/ZEVTlineUnit.h"

#include <QFontMetricsF>
#include <QHash>
#include <QSet>

#include <algorithm>
#include <cmath>

namespace tallomer {

namespace {

// The least span, in points, of a unit's largest relevant cycle for the unit to be shown, and of
// the first unit's marks once thinned.
constexpr double kEcartMin = 10.0;

const QFontMetricsF& metriques()
{
    static const QFontMetricsF m(ZEVTlineLabelCell::font());
    return m;
}

QColor gris(double g) { return QColor::fromRgbF(float(g), float(g), float(g)); }

} // namespace

const QFont& ZEVTlineLabelCell::font()
{
    static const QFont f = [] {
        QFont font(QStringLiteral("Helvetica"));
        // Where Helvetica is missing, the system's sans.
        font.setStyleHint(QFont::SansSerif);
        // The strip's points are pixels.
        font.setPixelSize(12);
        return font;
    }();
    return f;
}

QSizeF ZEVTlineLabelCell::cellSize(const QString& text)
{
    if (text.isEmpty())
        return {};
    // Every repaint of a strip measures each of its labels again, and shaping a text costs more
    // than the rest of the strip's layout: the few titles a calendar has are measured once. The
    // font never changes; a table grown past any calendar's titles starts over.
    constexpr qsizetype kMostTitles = 4096;
    thread_local QHash<QString, double> largeurs;
    auto it = largeurs.constFind(text);
    if (it == largeurs.cend()) {
        if (largeurs.size() >= kMostTitles)
            largeurs.clear();
        it = largeurs.insert(text, metriques().horizontalAdvance(text));
    }
    return {*it + kPadding, metriques().height()};
}

QSizeF ZEVTlineLabelCell::cellSizeForBounds(const QString& text, const QSizeF& band)
{
    const QSizeF s = cellSize(text);
    if (band.isEmpty())
        return s;
    return {std::min(s.width(), band.width()), std::min(s.height(), band.height())};
}

ZEVTlineUnitChoice chooseDisplayedUnits(const std::vector<std::unique_ptr<ZEVTlineUnit>>& units, double width,
                                        const ZEVTlineMeasure& measure)
{
    std::vector<ZEVTlineUnitTraits> traits;
    traits.reserve(units.size());
    for (const auto& u : units)
        traits.push_back({u->name(), u->includedUnitsNames(), u->typicalEventRelativeLength(),
                          u->largestRelevantStepUpCycle(), u->typicalEventTitle(), u->stepUpCycles()});
    ZEVTlineChoiceRules rules;
    rules.length = width - 1;
    rules.minSpan = kEcartMin;
    rules.fits = [&](const QString& title, double span) { return span >= measure(title, QSizeF()).width(); };
    rules.extent = [&](const QString& title) { return measure(title, QSizeF()).width(); };
    const ZEVTlineUnitIndexChoice c = chooseUnits(traits, rules);
    ZEVTlineUnitChoice choix;
    for (std::size_t i : c.displayed)
        choix.displayedUnits.push_back(units[i].get());
    choix.firstTitledUnit = c.firstTitled ? units[*c.firstTitled].get() : nullptr;
    choix.cyclePrinted = c.cyclePrinted;
    choix.cycleDisplayed = c.cycleDisplayed;
    choix.enlargeFactor = c.enlargeFactor;
    return choix;
}

ZEVTlineUnitIndexChoice chooseUnits(const std::vector<ZEVTlineUnitTraits>& units, const ZEVTlineChoiceRules& rules)
{
    ZEVTlineUnitIndexChoice choix;
    const double w1 = rules.length;
    QSet<QString> couverts;
    auto couvrir = [&](std::size_t i) {
        choix.displayed.push_back(i);
        couverts.insert(units[i].name);
        for (const QString& n : units[i].includedUnitsNames)
            couverts.insert(n);
    };
    auto span = [&](const ZEVTlineUnitTraits& u, std::int64_t c) { return u.typicalEventRelativeLength * double(c) * w1; };
    std::int64_t cyclePrinted = 0;
    for (std::size_t i = 0; i < units.size(); ++i) {
        const ZEVTlineUnitTraits& u = units[i];
        const ZEVTlineUnitTraits* suivante = i + 1 < units.size() ? &units[i + 1] : nullptr;
        if (couverts.contains(u.name))
            continue;
        const double l = span(u, u.largestRelevantStepUpCycle > 0 ? u.largestRelevantStepUpCycle : 1);
        if (!(l >= rules.minSpan))
            continue;
        if (rules.fits(u.typicalEventTitle, l)) {
            couvrir(i);
            if (!choix.firstTitled)
                choix.firstTitled = i;
        }
        if ((!suivante || suivante->name != u.name) && !couverts.contains(u.name))
            couvrir(i);
    }
    choix.enlargeFactor = w1 / 200.0;
    if (choix.firstTitled) {
        const ZEVTlineUnitTraits& u = units[*choix.firstTitled];
        const double t = rules.extent(u.typicalEventTitle);
        for (auto it = u.stepUpCycles.rbegin(); it != u.stepUpCycles.rend() && *it != 0; ++it) {
            if (!(span(u, *it) > t))
                break;
            cyclePrinted = *it;
        }
    }
    if (!choix.displayed.empty()) {
        const ZEVTlineUnitTraits& u = units[choix.displayed.front()];
        for (auto it = u.stepUpCycles.rbegin(); it != u.stepUpCycles.rend(); ++it) {
            if (!(span(u, *it) >= rules.minSpan))
                break;
            choix.cycleDisplayed = *it;
        }
    }
    choix.cyclePrinted = cyclePrinted > 0 ? cyclePrinted : 1;
    return choix;
}

double tickHeight(double relativeLength, std::int64_t cycle, double enlargeFactor, double zoneHeight)
{
    const double v = relativeLength * double(cycle) * enlargeFactor;
    if (!(v > 0) || !std::isfinite(v))
        return 0.0;
    return std::clamp(1.0 + 0.1954 * std::log(v), 0.0, 1.0) * zoneHeight;
}

bool placeLabel(std::vector<ZEVTlineLabel>& placed, const ZEVTlineLabel& label, double bandWidth)
{
    const QRectF& r = label.rect;
    if (!(r.width() > 0) || !(r.height() > 0) || r.left() < 0 || r.right() > bandWidth)
        return false;
    placed.erase(std::remove_if(placed.begin(), placed.end(),
                                [&](const ZEVTlineLabel& l) { return l.rect.intersects(r); }),
                 placed.end());
    placed.push_back(label);
    return true;
}

ZEVTlineScale scaleForChoice(const ZEVTlineUnitChoice& choice, double width, double height,
                             const ZEVTlineMeasure& measure)
{
    ZEVTlineScale scale;
    const double zone = height - kLabelBandHeight;
    const QSizeF bande(width, kLabelBandHeight);
    bool etiquettes = false;
    for (std::size_t i = 0; i < choice.displayedUnits.size(); ++i) {
        ZEVTlineUnit* u = choice.displayedUnits[i];
        std::int64_t cycleEtiquette = 1;
        if (u == choice.firstTitledUnit) {
            etiquettes = true;
            cycleEtiquette = choice.cyclePrinted;
        }
        // The strip always draws its whole bounds: the marks from 0 to 1.
        u->setMinStepUpCycle(i == 0 ? choice.cycleDisplayed : 1);
        const std::vector<ZEVTlineMark>& marks = u->eventsWithinRelative(0.0, 1.0);
        for (const ZEVTlineMark& m : marks) {
            const std::int64_t c = m.stepUpCycle() ? m.stepUpCycle() : 1;
            const double h = tickHeight(m.relativeLength(), c, choice.enlargeFactor, zone);
            if (h <= kTickHeightMin)
                continue;
            const double x = m.relativeStart() * width;
            scale.ticks.push_back({x, h});
            if (!etiquettes || c % cycleEtiquette != 0)
                continue;
            const QSizeF s = measure(m.title(), bande);
            placeLabel(scale.labels, {QRectF(x - s.width() / 2, h, s.width(), s.height()), m.title()}, width);
        }
        u->setMinStepUpCycle(1);
    }
    return scale;
}

std::vector<ZEVTlineTint> tintsFor(const ZEVTlineTintInput& in)
{
    std::vector<ZEVTlineTint> tints;
    const double w = in.width, h = in.height;
    const bool autourDuCurseur = in.siRulerTime || in.code == 1 || in.code == 4;
    const double rel = autourDuCurseur ? in.actifRelative : in.presentRelative;
    const QColor& passe = autourDuCurseur ? in.rulerPasse : in.passe;
    const QColor& futur = autourDuCurseur ? in.rulerFutur : in.futur;
    double x = std::floor(rel * w);
    if (x > w) {
        tints.push_back({QRectF(0, 0, w, h), passe});
    } else if (x < 0) {
        tints.push_back({QRectF(0, 0, w, h), futur});
    } else {
        tints.push_back({QRectF(0, 0, x, h), passe});
        tints.push_back({QRectF(x, 0, w - x, h), futur});
    }
    if (in.code == 0 && !in.siRulerTime) {
        x = std::floor(in.actifRelative * w);
        if (x > w)
            tints.push_back({QRectF(0, 0, w, h), in.rulerPasse});
        else if (x >= 0)
            tints.push_back({QRectF(0, 0, x, h), in.rulerPasse});
    }
    return tints;
}

ZEVTlineRulerColours rulerColoursForCode(int code, bool siRulerTime, const QColor& appPasse, const QColor& appFutur,
                                         const ZEVTlineRulerColours& current)
{
    switch (code) {
    case 10:
        return {appPasse, appFutur};
    case 0:
        return {gris(0.8), siRulerTime ? appFutur : gris(0.71)};
    case 1:
        return {siRulerTime ? appPasse : gris(0.51), gris(0.8)};
    case 4:
        return {gris(0.8), gris(0.8)};
    default:
        return current;
    }
}

} // namespace tallomer
