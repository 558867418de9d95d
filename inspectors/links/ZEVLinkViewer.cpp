#include "inspectors/links/ZEVLinkViewer.h"

#include "engine/KELICurseur.h"
#include "engine/KELLien.h"
#include "engine/KELServeurDeLiens.h"
#include "objects/viewer/ZEVItemViewer.h"
#include "runtime/Log.h"
#include "space/ZEVConstants.h"
#include "space/ZEVSelections.h"
#include "space/ZEVSpaceController.h"

#include <unordered_set>
#include <utility>
#include <vector>

namespace tallomer {

ZEVLinkViewer::ZEVLinkViewer(ZEVSpaceController& space, KELId entityInt)
    : ZEVInspectViewer(space, entityInt), model_(space)
{
    model_.initialiser();
    model_.enclencherMaj();
}

void ZEVLinkViewer::channelDidChangeWithIdentityInt(KELId identityInt)
{
    ZEVInspectViewer::channelDidChangeWithIdentityInt(identityInt);
    model_.channelDidChangeWithIdentityInt(identityInt);
}

void ZEVLinkViewer::userDelete()
{
    const auto links = model_.linksForFrontMode();
    if (!links || links->empty()) {
        beep();
        return;
    }
    // The rows die with their pairs: what is needed of them is read first.
    struct Paire {
        KELId parent;
        KELId enfant;
        std::vector<KELId> liens;
    };
    std::vector<Paire> paires;
    KELICurseur* actif = space_.actifCurseur() ? space_.actifCurseur() : space_.tlCurseur();
    for (ZEVLinkPair* l : *links) {
        auto* row = dynamic_cast<ZEVLinkObject*>(l);
        if (!row)
            continue;
        Paire p{row->parentInt(), row->enfantInt(), {}};
        // The row holds only the intervals of the visible range; the pair is all of them.
        std::unordered_set<KELId> vus;
        for (KELI* lien : row->lienConnexions())
            if (vus.insert(lien->idInt()).second)
                p.liens.push_back(lien->idInt());
        if (const KELIds ids = KELServeurDeLiens::LiensNumDuParentIntRelInt(p.parent, KELRELATION_LINK_VIEWER))
            for (KELId id : *ids)
                if (KELI* lien = KELServeurDeLiens::LienForInt(id, actif);
                    lien && lien->enfantInt() == p.enfant && vus.insert(id).second)
                    p.liens.push_back(id);
        paires.push_back(std::move(p));
        space_.selections().deselectLinkObject(row);
    }
    for (const Paire& p : paires) {
        for (KELId id : p.liens) {
            if (KELI* lien = KELServeurDeLiens::LienForInt(id, actif))
                KELServeurDeLiens::DegagerLien(lien, actif);
            else
                logFormat("ZEVLinkViewer WARNING - link %ld of a deleted pair not found", long(id));
        }
        for (KELICurseur* c : {space_.nowCurseur(), space_.searchCurseur()})
            if (ZEVCursorDesk* d = space_.deskForCurseur(c))
                if (ZEVItemViewer* iv = d->itemViewer())
                    iv->delConnexionsForParentIntEnfantInt(p.parent, p.enfant);
        model_.delConnexionsForParentIntEnfantInt(p.parent, p.enfant);
    }
}

} // namespace tallomer
