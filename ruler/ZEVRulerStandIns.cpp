#include "ruler/ZEVRulerStandIns.h"

#include "platform/UserDefaults.h"
#include "ruler/ZEVRulerViewer.h"
#include "space/ZEVSpaceController.h"

namespace tallomer {

void ZEVRulerViewbarStandIn::menuSearchCurseur()
{
    ZEVSpaceController& space = viewer_.spaceController();
    ZEVFrontViewerServices* f = space.frontViewer();
    if (f && !f->siTlineOpened() &&
        !space.host().defaults().values(QString::fromLatin1(kHideRulerWhenSearchKey)).toBool())
        f->openTlineAndTracks(false);
    // Without a sender a refused command says nothing.
    if (!viewer_.siAccepteDeplacement())
        return;
    KELICurseur* search = space.searchCurseur();
    if (space.actifCurseur() != search)
        viewer_.userChangeActifCurseur(search);
    majMenubarForCurseur(search);
}

} // namespace tallomer
