#include "space/ZEVItemEraser.h"

#include "engine/KELICurseur.h"
#include "engine/KELServeurDeLiens.h"
#include "services/ZEVInspectorServices.h"
#include "runtime/Log.h"
#include "space/ZEVConstants.h"
#include "space/ZEVSpaceController.h"

namespace tallomer {

namespace {
// Only an Object is deleted here: a Channel, a colour's number or a relation is not.
bool siObjet(const KELI* item) { return item && item->relationInt() == KELRELATION_ITEM; }
} // namespace

void ZEVItemEraser::userDeleteItem(KELI* item, const char* owner)
{
    if (!siObjet(item))
        return;
    {
        // Its links and itself are forgotten together: a store that kept only some (a full disk)
        // would hold an Object half gone, on no desk and in no panel, yet titled and linked.
        const KELServeurDeLiens::Acte acte(0);
        if (!acte.complet())
            return;
        oublier(item, owner);
    }
    achever(item);
}

void ZEVItemEraser::oublier(KELI* item, const char* owner)
{
    if (!siObjet(item))
        return;
    KELICurseur* actif = space_.actifCurseur() ? space_.actifCurseur() : space_.tlCurseur();
    const KELId id = item->idInt();
    // Its Channel is found through its icon links: asked now, before they go, for its data.
    item->channelInt();
    struct Pas {
        KELId relation;
        bool enfant; // the Object is the child of the link
        const char* nom;
    };
    static const Pas pas[] = {
        {KELRELATION_ICON_VIEWER, true, "KELRELATION_ICON_VIEWER"},
        {KELRELATION_FILE_VIEWER, true, "KELRELATION_FILE_VIEWER"},
        {KELRELATION_PERSON_VIEWER, true, "KELRELATION_PERSON_VIEWER"},
        {KELRELATION_BACK_VIEWER, true, "KELRELATION_BACK_VIEWER"},
        {KELRELATION_COLOR_VIEWER, true, "KELRELATION_COLOR_VIEWER"},
        {KELRELATION_APP_VIEWER, true, "KELRELATION_APP_VIEWER"},
        {KELRELATION_ICON_ANGLE, false, "KELRELATION_ICON_ANGLE"},
        {KELRELATION_ICON_RATIO_X, false, "KELRELATION_ICON_RATIO_X"},
        {KELRELATION_ICON_RATIO_Y, false, "KELRELATION_ICON_RATIO_Y"},
        {KELRELATION_ICON_RATIO_S, false, "KELRELATION_ICON_RATIO_S"},
        {KELRELATION_ITEM_ICON, false, "KELRELATION_ITEM_ICON"},
        {KELRELATION_ITEM_TITLE, false, "KELRELATION_ITEM_TITLE"},
        {KELRELATION_ITEM_TYPE, false, "KELRELATION_ITEM_TYPE"},
        {KELRELATION_LINK_VIEWER, true, "KELRELATION_LINK_VIEWER E"},
        {KELRELATION_LINK_VIEWER, false, "KELRELATION_LINK_VIEWER P"},
    };
    for (const Pas& p : pas) {
        const KELIds ids = p.enfant ? KELServeurDeLiens::LiensNumDeLEnfantIntRelInt(id, p.relation)
                                    : KELServeurDeLiens::LiensNumDuParentIntRelInt(id, p.relation);
        if (!ids)
            continue;
        for (KELId lienId : *ids) {
            if (KELI* lien = KELServeurDeLiens::LienForInt(lienId, actif))
                KELServeurDeLiens::DegagerLien(lien, actif);
            else if (owner)
                logFormat("%s WARNING - %s LienForInt:%ld not found !", owner, p.nom, long(lienId));
            else
                logFormat("ZEVSpaceController WARNING - %s LienForInt %ld not found !", p.nom, long(lienId));
        }
    }
    KELServeurDeLiens::DegagerLien(item, actif);
}

bool ZEVItemEraser::achever(KELI* item)
{
    if (!siObjet(item))
        return false;
    const KELId id = item->idInt();
    // The store kept none of it: the Object stays as it was, its record, views and Links too.
    if (item->inDate() < KELDateOublieeIn) {
        logFormat("ZEVItemEraser: Object %ld not deleted, the store did not keep its deletion", long(id));
        return false;
    }
    for (KELICurseur* c : {space_.nowCurseur(), space_.searchCurseur()})
        if (ZEVCursorDesk* d = space_.deskForCurseur(c))
            d->delConnexionsForParentInt(id);
    space_.selections().oublierItem(item);
    if (space_.draggingItem() == item)
        space_.setDraggingItem(nullptr);
    space_.host().deleteItemData(item);
    // Its views go with the drawn Links that end at it, whichever end: no other Object keeps a
    // line to it.
    for (KELICurseur* c : {space_.nowCurseur(), space_.searchCurseur()})
        if (ZEVCursorDesk* d = space_.deskForCurseur(c))
            d->deleteItemViewForItem(item);
    // Last, once no line is left that would ask for one again: the Links model's objects of its
    // pairs, as parent and as child.
    if (ZEVLinkClassServices* links = space_.linkClass()) {
        links->delConnexionsForParentInt(id);
        links->delConnexionsForEnfantInt(id);
    }
    return true;
}

} // namespace tallomer
