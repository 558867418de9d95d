#include "inspectors/core/ZEVInspectDelete.h"

#include "desk/model/ZEVModelSupport.h"
#include "inspectors/core/ZEVHolderTest.h"
#include "inspectors/core/ZEVPresenceCommands.h"
#include "engine/KELServeurDeLiens.h"
#include "runtime/Log.h"
#include "space/ZEVSpaceController.h"

#include <string>
#include <unordered_set>

namespace tallomer {

bool ZEVInspectDeleteItem(ZEVSpaceController& space, KELId relation, KELI* item, const char* owner,
                          const char* relationName)
{
    return !ZEVInspectDeleteItems(space, relation, {item}, owner, relationName).empty();
}

std::vector<KELI*> ZEVInspectDeleteItems(ZEVSpaceController& space, KELId relation, const std::vector<KELI*>& items,
                                         const char* owner, const char* relationName)
{
    ZEVInspectDeletion d;
    {
        // One act for them all: a full disk that undoes it leaves every Object where it was
        // listed, rather than some erased and others not, or one on no desk and in no panel.
        const KELServeurDeLiens::Acte acte(0);
        if (!acte.complet())
            return {};
        d = ZEVInspectDeleteForget(space, relation, items, owner, relationName);
    }
    return ZEVInspectDeleteFinish(space, d);
}

ZEVInspectDeletion ZEVInspectDeleteForget(ZEVSpaceController& space, KELId relation, const std::vector<KELI*>& items,
                                          const char* owner, const char* relationName)
{
    ZEVInspectDeletion d;
    KELICurseur* c = space.actifCurseur() ? space.actifCurseur() : space.tlCurseur();
    if (!c)
        return d;
    // Something else holds one (a desk, another panel, a Channel's background): the Object stays,
    // and only this panel's presences go. The others are erased.
    std::unordered_set<KELI*> vus;
    for (KELI* item : items)
        if (item && !deskmodel::siOublie(item) && vus.insert(item).second)
            (ZEVSiItemHeld(item->idInt(), relation) ? d.tenus : d.libres).push_back(item);
    const std::string warning = std::string(owner) + " WARNING - " + relationName;
    for (KELI* item : d.tenus)
        ZEVPresenceCommands::forgetAllPresences(relation, item->idInt(), c, warning.c_str());
    for (KELI* item : d.libres)
        space.itemEraser().oublier(item, owner);
    return d;
}

std::vector<KELI*> ZEVInspectDeleteFinish(ZEVSpaceController& space, const ZEVInspectDeletion& deletion)
{
    std::vector<KELI*> effaces;
    for (KELI* item : deletion.libres)
        if (space.itemEraser().achever(item))
            effaces.push_back(item);
    return effaces;
}

bool ZEVInspectDeleteLego(ZEVSpaceController& space, KELId relation, KELI* lego, const char* owner,
                          const std::function<void(KELI* item)>& deleteItem)
{
    KELICurseur* c = space.actifCurseur();
    if (!lego || deskmodel::siOublie(lego) || !c)
        return false;
    if (ZEVLiveLinkCount(lego->enfantInt(), relation) != 1) {
        KELServeurDeLiens::DegagerLien(lego, c);
        return true;
    }
    KELI* item = lego->enfantInt() ? KELServeurDeLiens::LienForInt(lego->enfantInt(), c) : nullptr;
    if (!item) {
        logLine(std::string(owner) + " Error - deleteLego:inTableView:");
        return false;
    }
    deleteItem(item);
    return true;
}

} // namespace tallomer
