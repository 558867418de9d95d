#pragma once
// The part of the time strip a cursor is kept in view within, and how long the strip takes to
// scroll a date into it: the Channels panel and every inspector panel use this one computation.
// With a panel watched, the part is the panel's rows less 80 points at each side; else the strip
// less 100 points at each edge. Pure functions of the strip's width and its date-at-point.

#include "engine/KELTypes.h"
#include "services/ZEVInspectorServices.h"

#include <cmath>
#include <optional>

namespace tallomer {

struct ZEVTimeRegard {
    static constexpr double kMarge = 100.0;
    static constexpr double kMargePanneau = 80.0;

    KELDate left = 0;
    KELDate right = 0;
    bool panneau = false;
    // No strip to scroll: a strip under 2 points wide (its width less one under one point) maps
    // every point far outside the timeline, so nothing may scroll from it.
    bool aveugle = true;

    bool dehors(KELDate d) const { return !aveugle && (d > right || d < left); }
    // The scroll that centres d in the part; 0 for a date inside or an offset that is not a number.
    double offsetPour(KELDate d) const
    {
        if (!dehors(d))
            return 0.0;
        const double o = d - (left + right) / 2;
        return std::isfinite(o) ? o : 0.0;
    }
};

// `largeur` is the strip's width less one point (-1 without a strip); `dateA(x)` the date at x
// points from the strip's left edge.
template <class DateA>
ZEVTimeRegard timeRegard(double largeur, const std::optional<ZEVChannelPanelSpan>& panneau, DateA dateA)
{
    ZEVTimeRegard r;
    if (!(largeur >= 1.0) || !std::isfinite(largeur))
        return r;
    if (panneau) {
        r.left = dateA(panneau->x + panneau->inspectX + ZEVTimeRegard::kMargePanneau);
        r.right = dateA(panneau->x + panneau->inspectX + panneau->inspectWidth - ZEVTimeRegard::kMargePanneau);
        r.panneau = true;
    } else {
        r.left = dateA(ZEVTimeRegard::kMarge);
        r.right = dateA(largeur - ZEVTimeRegard::kMarge);
    }
    r.aveugle = !std::isfinite(r.left) || !std::isfinite(r.right);
    return r;
}

// Seconds an animated scroll of `offset` takes over a visible span: 1 when it exceeds the span,
// else the fraction of the span it covers plus 0.15.
inline float timeScrollDuration(double offset, double span)
{
    const double o = std::fabs(offset);
    if (!(span > 0))
        return o > 0 ? 1.0f : 0.15f;
    return o > span ? 1.0f : float(o / span + 0.15);
}

} // namespace tallomer
