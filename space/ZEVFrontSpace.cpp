#include "space/ZEVFrontSpace.h"

#include "runtime/Scheduler.h"
#include "space/ZEVSpaceController.h"
#include "space/ZEVSpaceTitle.h"
#include "space/ZEVSpaceWindow.h"
#include "space/ZEVSpaceWindowFrame.h"

namespace tallomer {

namespace {

constexpr double kTitreDevant = 0.9;

} // namespace

void ZEVFrontSpace::userToggleFrontSpace()
{
    if (siFrontSpace_)
        _setFrontSpace(false);
    else if (!space_.siPleinEcran())
        _setFrontSpace(true);
}

void ZEVFrontSpace::_setFrontSpace(bool front)
{
    if (front == siFrontSpace_)
        return;
    // The title waits under the controller's name, where the title looks for it.
    ZEVSpaceController* space = &space_;
    Scheduler::shared().cancel(space, ZEVSpaceTitle::kMajWindowTitle);
    if (space_.frontViewer())
        space_.frontViewer()->setSiShowCadre(front);
    siFrontSpace_ = front;
    if (front) {
        if (space_.spaceWindow())
            space_.spaceWindow()->setWindowTitle(QStringLiteral("Stay in front\u2026"));
        Scheduler::shared().perform(space, ZEVSpaceTitle::kMajWindowTitle, kTitreDevant,
                                    [space] { space->majWindowTitle(); });
    } else {
        space_.majWindowTitle();
    }
    if (space_.spaceWindow())
        space_.spaceWindow()->setSiFrontSpace(front);
}

void ZEVFrontSpace::regleDeLaMiniSpace()
{
    ZEVSpaceWindow* w = space_.spaceWindow();
    if (!w)
        return;
    // A window at its narrowest floats in front; any wider one does not, whoever turned it on.
    siMiniSpace_ = !(w->width() > ZEVSpaceWindowFrame::kMinContentWidth);
    _setFrontSpace(siMiniSpace_);
}
} // namespace tallomer
