// The preview from the desk: the shown Objects of the current mode are previewed, and the same
// command closes the preview again.

#include "front/ZEVFrontViewer.h"

#include "space/ZEVSpaceController.h"
#include "space/ZEVSpaceWindow.h"

namespace tallomer {

namespace {

std::vector<ZEVItemViewForDesks*> modeViews(ZEVSpaceController& space, int mode)
{
    ZEVCursorDesk* desk = space.deskForCurseur(space.actifCurseur());
    return desk ? desk->visibleItemViewsForMode(mode) : std::vector<ZEVItemViewForDesks*>();
}

} // namespace

void ZEVFrontViewer::userToggleQL()
{
    ZEVSpaceWindow* w = space_.spaceWindow();
    if (!w)
        return;
    if (w->siPreviewPanelVisible()) {
        w->orderOutPreviewPanel();
        return;
    }
    const std::vector<ZEVItemViewForDesks*> views = modeViews(space_, currentFrontMode_);
    if (views.empty())
        return;
    w->setPreviewItems(views);
    w->orderFrontPreviewPanel();
}

void ZEVFrontViewer::previewFollowsSelection()
{
    ZEVSpaceWindow* w = space_.spaceWindow();
    if (!w || !w->siPreviewPanelVisible())
        return;
    w->setPreviewItems(modeViews(space_, currentFrontMode_));
    w->reloadPreviewPanel();
}

} // namespace tallomer
