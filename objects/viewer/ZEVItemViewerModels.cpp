#include "objects/viewer/ZEVItemViewerModels.h"

#include "desk/model/ZEVDeskClass.h"
#include "desk/model/ZEVItemClass.h"
#include "engine/KELICurseur.h"
#include "engine/KELServeurDeLiens.h"

namespace tallomer {

KELI* ZEVItemViewerDeskModels::objetForInt(KELId id) { return KELServeurDeLiens::LienForInt(id, nullptr); }

std::vector<KELI*> ZEVItemViewerDeskModels::connectedItemsForItem(KELI* item)
{
    return itemClass_ && item ? itemClass_->connectedItemsForItem(item) : std::vector<KELI*>{};
}

bool ZEVItemViewerDeskModels::siConnected(KELI* a, KELI* b)
{
    if (!itemClass_ || !a || !b)
        return false;
    return itemClass_->lienConnexionWithParent(a, b) || itemClass_->lienConnexionWithParent(b, a);
}

bool ZEVItemViewerDeskModels::siIconExisteForItem(KELI* item)
{
    return deskClass_ && item && deskClass_->siIconExisteForItem(item);
}

bool ZEVItemViewerDeskModels::siIncluLeLien(KELI* lien)
{
    KELICurseur* c = itemClass_ ? itemClass_->curseur() : nullptr;
    return c && lien && c->siIncluLeLien(lien);
}

} // namespace tallomer
