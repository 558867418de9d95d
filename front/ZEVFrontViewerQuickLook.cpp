// The preview from the desk: the shown Objects of the current mode are previewed, and the same
// command closes the preview again.

#include "front/ZEVFrontViewer.h"

#include "space/ZEVSpaceController.h"
#include "space/ZEVSpaceWindow.h"

namespace tallomer {

void ZEVFrontViewer::userToggleQL()
{
    ZEVSpaceWindow* w = space_.spaceWindow();
    if (!w)
        return;
    if (w->siPreviewPanelVisible()) {
        w->orderOutPreviewPanel();
        return;
    }
    ZEVCursorDesk* desk = space_.deskForCurseur(space_.actifCurseur());
    const std::vector<ZEVItemViewForDesks*> views = desk ? desk->visibleItemViewsForMode(currentFrontMode_) : std::vector<ZEVItemViewForDesks*>();
    if (views.empty())
        return;
    w->setPreviewItems(views);
    w->orderFrontPreviewPanel();
}

} // namespace tallomer
