#include "inspectors/icons/ZEVIconViewer.h"

#include "desk/model/ZEVDeskClass.h"
#include "desk/model/ZEVModelSupport.h"
#include "engine/KELLien.h"
#include "engine/KELServeurDeLiens.h"
#include "space/ZEVConstants.h"
#include "objects/viewer/ZEVItemViewer.h"
#include "space/ZEVSelections.h"
#include "space/ZEVSpaceController.h"

#include <algorithm>
#include <set>

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

std::vector<KELI*> ZEVIconClass::timeLineItems()
{
    std::vector<KELI*> items;
    const KELId channel = currentChannelInt_ ? currentChannelInt_ : space_.currentChannelInt();
    const KELIds ids = KELServeurDeLiens::LiensNumDuParentIntRelInt(channel, KELRELATION_ICON_VIEWER);
    if (!ids)
        return items;
    std::vector<KELI*> liens;
    for (KELId id : *ids)
        if (KELI* l = KELServeurDeLiens::LienForInt(id, space_.tlCurseur()); !deskmodel::siOublie(l))
            liens.push_back(l);
    std::stable_sort(liens.begin(), liens.end(), [](KELI* a, KELI* b) { return a->inDate() < b->inDate(); });
    std::set<KELId> vus;
    for (KELI* l : liens)
        if (vus.insert(l->enfantInt()).second)
            if (KELI* item = KELServeurDeLiens::LienForInt(l->enfantInt(), space_.tlCurseur()))
                items.push_back(item);
    return items;
}

void ZEVIconViewer::userDelete()
{
    const auto items = space_.selections().selectedItemsForFrontMode();
    if (!items || items->empty()) {
        beep();
        return;
    }
    // A copy: each deletion takes the Object out of the selection walked.
    for (KELI* item : std::vector<KELI*>(*items))
        space_.userDeleteItem(item);
}

void ZEVIconViewer::userShowOriginal()
{
    const auto items = space_.selections().selectedItemsForFrontMode();
    if (!items || items->empty())
        return;
    if (ZEVItemViewer* iv = space_.itemViewerForCurseur(space_.actifCurseur()))
        iv->userShowOriginalForItem(items->front());
}

} // namespace tallomer
