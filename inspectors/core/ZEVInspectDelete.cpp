#include "inspectors/core/ZEVInspectDelete.h"

#include "desk/model/ZEVModelSupport.h"
#include "inspectors/core/ZEVHolderTest.h"
#include "inspectors/core/ZEVPresenceCommands.h"
#include "engine/KELServeurDeLiens.h"
#include "runtime/Log.h"
#include "space/ZEVSpaceController.h"

#include <string>

namespace tallomer {

bool ZEVInspectDeleteItem(ZEVSpaceController& space, KELId relation, KELI* item, const char* owner,
                          const char* relationName)
{
    KELICurseur* c = space.actifCurseur() ? space.actifCurseur() : space.tlCurseur();
    if (!item || deskmodel::siOublie(item) || !c)
        return false;
    const KELId id = item->idInt();
    // Something else holds it (a desk, another panel, a Channel's background): the Object stays,
    // and only this panel's presences go.
    if (ZEVSiItemHeld(id, relation)) {
        const std::string warning = std::string(owner) + " WARNING - " + relationName;
        const KELServeurDeLiens::Acte acte(0);
        if (acte.complet())
            ZEVPresenceCommands::forgetAllPresences(relation, id, c, warning.c_str());
        return false;
    }
    // The deletion forgets the presences with the rest, in one act: a full disk that undoes it
    // leaves the Object where it was listed, not on no desk and in no panel.
    space.userDeleteItem(item, owner);
    return deskmodel::siOublie(item);
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
