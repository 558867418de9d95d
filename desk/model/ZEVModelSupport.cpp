#include "desk/model/ZEVModelSupport.h"

#include "services/ZEVSpaceForDeskModels.h"
#include "engine/KELServeurDeLiens.h"

namespace tallomer::deskmodel {

KELICurseur* timelineCurseur(ZEVSpaceForDeskModels* space)
{
    if (space)
        if (KELICurseur* tl = space->tlCurseur())
            return tl;
    if (!KELServeurDeLiens::estInitialise())
        return nullptr;
    return dynamic_cast<KELICurseur*>(
        KELServeurDeLiens::LienForInt(kel::kCurseurTimeline, KELServeurDeLiens::CurseurGlobal()));
}

KELI* premierLienDuParent(KELIElemRelation* relation, KELI* parent, KELICc* fenetre)
{
    if (!relation || !parent || !fenetre)
        return nullptr;
    const std::vector<KELI*>* liens = relation->liensDuParent(parent, fenetre);
    return liens && !liens->empty() ? liens->front() : nullptr;
}

std::optional<std::string> motDuParent(KELIElemRelation* relation, KELI* parent, KELICc* fenetre)
{
    KELI* lien = premierLienDuParent(relation, parent, fenetre);
    KELI* mot = lien ? lien->enfant(fenetre) : nullptr;
    if (!mot)
        return std::nullopt;
    const KELValue v = mot->base();
    if (const auto* s = std::get_if<std::string>(&v))
        return *s;
    return std::nullopt;
}

void relancer(KELICurseur* curseur)
{
    if (!curseur)
        return;
    if (KELIContexte* contexte = curseur->contexte()) {
        contexte->lancerOut();
        contexte->lancerIn();
    }
    curseur->placeToi();
}

} // namespace tallomer::deskmodel
