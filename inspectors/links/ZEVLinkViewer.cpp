#include "inspectors/links/ZEVLinkViewer.h"

#include "desk/model/ZEVItemClass.h"
#include "engine/KELICurseur.h"
#include "engine/KELServeurDeLiens.h"
#include "objects/viewer/ZEVItemConnexion.h"
#include "space/ZEVConstants.h"
#include "space/ZEVSpaceController.h"

#include <algorithm>

namespace tallomer {

ZEVLinkObject* ZEVLinkClass::linkForPair(KELI* parent, KELI* enfant)
{
    if (!parent || !enfant)
        return nullptr;
    auto& l = links_[{parent->idInt(), enfant->idInt()}];
    if (!l)
        l = std::make_unique<ZEVLinkObject>(parent, enfant);
    return l.get();
}

ZEVLinkPair* ZEVLinkClass::linkForConnexion(const ZEVItemConnexion* connexion)
{
    return connexion ? linkForPair(connexion->parentItem(), connexion->enfantItem()) : nullptr;
}

std::vector<ZEVLinkPair*> ZEVLinkClass::timeLineItems()
{
    std::vector<ZEVLinkPair*> out;
    const KELId canal = space_.currentChannelInt();
    KELICurseur* tl = space_.tlCurseur();
    const KELIds ids = KELServeurDeLiens::LiensNumDeLaRelInt(KELRELATION_LINK_VIEWER);
    if (!ids || !tl)
        return out;
    for (KELId id : *ids) {
        KELI* lien = KELServeurDeLiens::LienForInt(id, tl);
        // A forgotten link names no pair any more.
        if (!lien || lien->relationInt() != KELRELATION_LINK_VIEWER || lien->inDate() >= KELDateOublieeIn)
            continue;
        KELI* parent = KELServeurDeLiens::LienForInt(lien->parentInt(), tl);
        KELI* enfant = KELServeurDeLiens::LienForInt(lien->enfantInt(), tl);
        if (!parent || !enfant || parent->channelInt() != canal)
            continue;
        ZEVLinkPair* pair = linkForPair(parent, enfant);
        if (std::find(out.begin(), out.end(), pair) == out.end())
            out.push_back(pair);
    }
    std::sort(out.begin(), out.end(), [](const ZEVLinkPair* a, const ZEVLinkPair* b) {
        return std::pair(a->parentItem()->idInt(), a->enfantItem()->idInt()) <
               std::pair(b->parentItem()->idInt(), b->enfantItem()->idInt());
    });
    return out;
}

bool ZEVLinkClass::siLieAuCurseur(const ZEVLinkPair* link, KELICurseur* curseur)
{
    ZEVItemClass* items = curseur ? space_.itemClassForCurseur(curseur) : nullptr;
    return link && items && items->lienConnexionWithParent(link->parentItem(), link->enfantItem()) != nullptr;
}

bool ZEVLinkClass::isLinkActif(const ZEVLinkPair* link) { return siLieAuCurseur(link, space_.actifCurseur()); }
bool ZEVLinkClass::isLinkActifNow(const ZEVLinkPair* link) { return siLieAuCurseur(link, space_.nowCurseur()); }

void ZEVLinkClass::delConnexionsForParentInt(KELId parentInt)
{
    auto debut = links_.lower_bound({parentInt, 0});
    auto fin = debut;
    std::vector<ZEVLinkPair*> partants;
    while (fin != links_.end() && fin->first.first == parentInt)
        partants.push_back((fin++)->second.get());
    if (partants.empty())
        return;
    // The selection lets them go before they are destroyed.
    space_.selections().oublierLinks(partants);
    links_.erase(debut, fin);
}

void ZEVLinkClass::delConnexionsForEnfantInt(KELId enfantInt)
{
    // The pairs are kept by parent: a child's are found by a walk, which only a deletion makes.
    std::vector<ZEVLinkPair*> partants;
    for (const auto& [paire, link] : links_)
        if (paire.second == enfantInt)
            partants.push_back(link.get());
    if (partants.empty())
        return;
    space_.selections().oublierLinks(partants);
    std::erase_if(links_, [enfantInt](const auto& entree) { return entree.first.second == enfantInt; });
}

} // namespace tallomer
