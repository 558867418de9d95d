#include "ruler/ZEVRulerViewParts.h"

#include "ruler/ZEVRulerViewbar.h"
#include "ruler/ZEVRulerViewer.h"
#include "ruler/ZEVTlineView.h"
#include "space/ZEVSpaceController.h"
#include "space/ZEVSpaceWindow.h"

namespace tallomer {

std::unique_ptr<ZEVTlineViewServices> ZEVRulerViewParts::creerTlineView(const QRectF& frame, ZEVRulerViewer& viewer)
{
    ZEVSpaceWindow* w = viewer.spaceController().spaceWindow();
    // A Qt child of the content view only to lie over it: the viewer owns the strip, and the space
    // controller lets the viewer go before the window.
    return std::make_unique<ZEVTlineView>(frame, viewer, w ? w->spaceView() : nullptr);
}

std::unique_ptr<ZEVTlineCurseurViewServices> ZEVRulerViewParts::creerCurseurView(KELICurseur* curseur, bool siNow,
                                                                               ZEVTlineViewServices& tlineView,
                                                                               ZEVRulerViewer& viewer)
{
    auto* strip = dynamic_cast<ZEVTlineView*>(&tlineView);
    if (!strip)
        return nullptr;
    std::unique_ptr<ZEVTlineCurseurView> v;
    if (siNow)
        v = std::make_unique<ZEVTlineCurseurRecall>(curseur, *strip, viewer);
    else
        v = std::make_unique<ZEVTlineCurseurSearch>(curseur, *strip, viewer);
    strip->ajouterCurseurView(v.get());
    return v;
}

std::unique_ptr<ZEVRulerViewbarServices> ZEVRulerViewParts::creerRulerViewbar(const QRectF& frame,
                                                                             ZEVRulerViewer& viewer)
{
    ZEVSpaceWindow* w = viewer.spaceController().spaceWindow();
    // Like the strip, a Qt child of the content view only to lie over it; the viewer owns it.
    return std::make_unique<ZEVRulerViewbar>(frame, viewer, w ? w->spaceView() : nullptr);
}

} // namespace tallomer
