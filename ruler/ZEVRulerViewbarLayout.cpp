#include "ruler/ZEVRulerViewbarLayout.h"

namespace tallomer {

std::vector<ZEVRulerLayoutStep> ZEVRulerLayoutPass(ZEVRulerLayoutSides& sides, double previous, double width)
{
    std::vector<ZEVRulerLayoutStep> steps;
    const int n = int(kZEVRulerBreakpoints.size());
    if (previous > width) {
        for (int i = 0; i < n; ++i)
            if (width < kZEVRulerBreakpoints[i] && !sides.narrow[i]) {
                sides.narrow[i] = true;
                steps.push_back({i, true});
            }
    } else {
        for (int i = n - 1; i >= 0; --i)
            if (width > kZEVRulerBreakpoints[i] && sides.narrow[i]) {
                sides.narrow[i] = false;
                steps.push_back({i, false});
            }
    }
    return steps;
}

ZEVRulerStepEffect ZEVRulerStepEffectFor(ZEVRulerLayoutStep step)
{
    ZEVRulerStepEffect e;
    const bool n = step.narrow;
    switch (step.breakpoint) {
    case 0: // 1055
        e.entityRowNarrow = n;
        break;
    case 1: // 820
        e.hideFromAndUntil = n;
        e.reevaluateBoxes = !n;
        e.cursorBoxX = n ? 209 : 370;
        e.presetX = n ? 371 : 693;
        e.nameFieldX = n ? 593 : 915;
        break;
    case 2: // 500
        e.buttonsNarrow = n;
        e.cursorBoxX = n ? 60 : 209;
        e.presetX = n ? 222 : 371;
        // One point right of where the 820 step puts it, as the bar always had it.
        e.nameFieldX = n ? 444 : 594;
        break;
    case 3: // 347
        e.cursorBoxHidden = n;
        if (!n)
            e.cursorBoxX = 60;
        e.presetX = n ? 55 : 222;
        e.nameFieldX = n ? 277 : 444;
        break;
    case 4: // 180
        e.nameFieldHidden = n;
        break;
    default:
        break;
    }
    return e;
}

} // namespace tallomer
