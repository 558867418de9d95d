#include "inspectors/icons/ZEVIconViewer.h"

#include "desk/model/ZEVDeskClass.h"
#include "space/ZEVSpaceController.h"

namespace tallomer {

bool ZEVIconClass::siIconAuCurseur(KELI* item, KELICurseur* curseur)
{
    ZEVDeskClass* desk = curseur ? space_.deskClassForCurseur(curseur) : nullptr;
    return item && desk && desk->siIconExisteForItem(item);
}

bool ZEVIconClass::isItemActif(KELI* item) { return siIconAuCurseur(item, space_.actifCurseur()); }
bool ZEVIconClass::isItemActifNow(KELI* item) { return siIconAuCurseur(item, space_.nowCurseur()); }

std::optional<std::string> ZEVIconClass::itemTitleForItem(KELI* item)
{
    ZEVDeskClass* desk = space_.deskClassForCurseur(space_.actifCurseur());
    return item && desk ? desk->itemTitleCurseurForItem(item) : std::nullopt;
}

} // namespace tallomer
