#include "inspectors/core/ZEVPresenceInterval.h"

#include "desk/data/ZEVItemData.h"
#include "desk/model/ZEVDeskClass.h"
#include "engine/KELICurseur.h"
#include "space/ZEVSpaceController.h"

namespace tallomer {

ZEVInterval ZEVPresenceIntervalForItem(ZEVSpaceController& space, KELICurseur* curseur, KELICurseur* searchCurseur,
                                       KELI* item, KELDate date)
{
    ZEVDeskClass* desk = space.deskClassForCurseur(curseur);
    KELI* lego = desk ? desk->draggingLego() : nullptr;
    if (lego || space.goToTag() < 3)
        return ZEVNewIntervalForDate(date, lego, space.siGoToMode(), space.outTimeForGoToTime(date), KELDateOuverte);
    // The Object's own go-to date, with the Search cursor taken there when it lies ahead.
    if (const std::optional<KELDate> d = ZEVItemData::Current().goToDateForItem(item))
        date = *d;
    const double delta = searchCurseur ? date - searchCurseur->now() : 0.0;
    ZEVRulerViewerServices* ruler = space.rulerViewer();
    if (delta > 0 && ruler && ruler->userInitieDeplacementCurseur()) {
        ruler->userPlaceCurseurEtRulerOffset(delta);
        ruler->userTermineDeplacementCurseur();
    }
    return {date, space.outTimeForGoToTime(date)};
}

} // namespace tallomer
