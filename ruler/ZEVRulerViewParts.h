#pragma once
// The parts of the ruler viewer of a Space window: the timeline strip and the ruler bar over the
// window's content view, and the views of the Now and Search cursors on the strip.

#include "ruler/ZEVRulerParts.h"

namespace tallomer {

class ZEVRulerViewParts final : public ZEVRulerParts {
public:
    std::unique_ptr<ZEVTlineViewServices> creerTlineView(const QRectF& frame, ZEVRulerViewer& viewer) override;
    // nullptr unless `tlineView` is this part's strip.
    std::unique_ptr<ZEVTlineCurseurViewServices> creerCurseurView(KELICurseur* curseur, bool siNow,
                                                                ZEVTlineViewServices& tlineView,
                                                                ZEVRulerViewer& viewer) override;
    std::unique_ptr<ZEVRulerViewbarServices> creerRulerViewbar(const QRectF& frame, ZEVRulerViewer& viewer) override;
};

} // namespace tallomer
