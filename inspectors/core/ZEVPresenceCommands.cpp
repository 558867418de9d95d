#include "inspectors/core/ZEVPresenceCommands.h"

#include "desk/data/ZEVItemData.h"
#include "desk/data/ZEVItemDataChannels.h"
#include "desk/model/ZEVDeskClass.h"
#include "desk/model/ZEVModelSupport.h"
#include "engine/KELICurseur.h"
#include "engine/KELLien.h"
#include "engine/KELServeurDeLiens.h"
#include "runtime/Log.h"
#include "space/ZEVSelections.h"
#include "space/ZEVSpaceClass.h"
#include "space/ZEVSpaceController.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <cstdint>

namespace tallomer {

ZEVPresenceCommands::ZEVPresenceCommands(ZEVSpaceController& space, KELId relation, LegosAt legosAt,
                                         DidCreate didCreate)
    : space_(space), relation_(relation), legosAt_(std::move(legosAt)), didCreate_(std::move(didCreate))
{
}

KELI* ZEVPresenceCommands::identity() const { return space_.spaceClass() ? space_.spaceClass()->identity() : nullptr; }

KELICurseur* ZEVPresenceCommands::actif() const { return space_.actifCurseur(); }

KELI* ZEVPresenceCommands::legoAt(KELI* item, KELICurseur* curseur) const
{
    KELI* canal = identity();
    if (!item || !curseur || !canal || !legosAt_)
        return nullptr;
    for (KELI* l : legosAt_(item, curseur))
        if (l && l->parentInt() == canal->idInt() && !deskmodel::siOublie(l))
            return l;
    return nullptr;
}

void ZEVPresenceCommands::replacerFenetre(KELICurseur* curseur)
{
    KELIContexte* ctx = curseur->contexte();
    if (ctx)
        ctx->placeToiOut();
    curseur->placeToi();
    if (ctx)
        ctx->placeToiIn();
}

void ZEVPresenceCommands::release(const std::vector<KELI*>& items)
{
    KELICurseur* c = actif();
    if (!c)
        return;
    const KELDate d = c->now();
    for (KELI* item : items)
        // A lego never ends before it began.
        if (KELI* lego = legoAt(item, c); lego && d < lego->outDate())
            lego->placeOutDate(std::max(d, lego->inDate()), c);
    replacerFenetre(c);
}

void ZEVPresenceCommands::forget(const std::vector<KELI*>& items)
{
    KELICurseur* c = actif();
    if (!c)
        return;
    const KELDate d = c->now();
    for (KELI* item : items)
        if (KELI* lego = legoAt(item, c); lego && d > lego->inDate())
            lego->placeInDate(std::min(d, lego->outDate()), c);
    replacerFenetre(c);
}

ZEVInterval ZEVPresenceCommands::commonInterval(KELDate date, const KELI* dragging, bool siGoToMode, KELDate goToEnd)
{
    return ZEVNewIntervalForDate(date, dragging, siGoToMode, goToEnd, KELDateOuverte);
}

KELDate ZEVPresenceCommands::endBefore(KELDate commonEnd, KELDate nextIn)
{
    return nextIn ? std::min(commonEnd, nextIn) : commonEnd;
}

ZEVInterval ZEVPresenceCommands::intervalleCommun(KELDate date, KELICurseur* curseur) const
{
    ZEVDeskClass* desk = space_.deskClassForCurseur(curseur);
    const bool goTo = space_.siGoToMode();
    return commonInterval(date, desk ? desk->draggingLego() : nullptr, goTo,
                          goTo ? space_.outTimeForGoToTime(date) : KELDateOuverte);
}

KELI* ZEVPresenceCommands::creerLego(KELI* item, KELDate in, KELDate commonEnd, KELICurseur* curseur)
{
    KELI* canal = identity();
    if (!canal || !item)
        return nullptr;
    // Each Object's end is cut afresh from the common end by its own next lego.
    KELDate nextIn = 0;
    if (const KELId id = KELServeurDeLiens::FirstLienNumDeRelNumParentNumEnfantNumApresDate(relation_, canal->idInt(),
                                                                                            item->idInt(), in))
        if (KELI* suivant = KELServeurDeLiens::LienForInt(id, curseur); !deskmodel::siOublie(suivant))
            nextIn = suivant->inDate();
    const KELDate out = endBefore(commonEnd, nextIn);
    if (!(in < out)) {
        logFormat("ZEVPresenceCommands ERROR - no lego made for Object %ld: empty interval", long(item->idInt()));
        return nullptr;
    }
    KELI* lego = KELServeurDeLiens::CreerLienRelInt(relation_, canal, item, in, out, curseur);
    if (lego && didCreate_)
        didCreate_(lego);
    return lego;
}

void ZEVPresenceCommands::recallNow(const std::vector<KELI*>& items)
{
    KELICurseur* now = space_.nowCurseur();
    if (!now)
        return;
    const ZEVInterval i = intervalleCommun(now->now(), now);
    for (KELI* item : items)
        if (item && !legoAt(item, now))
            creerLego(item, i.in, i.out, now);
}

std::vector<KELI*> ZEVPresenceCommands::recall(const std::vector<KELI*>& items, const std::function<void()>& first)
{
    KELICurseur* c = actif();
    if (!c)
        return {};
    std::vector<KELI*> pris;
    if (siDuCanal(items)) {
        if (first)
            first();
        pris = lierLesEquivalents(items, c);
    } else {
        // An equivalent is an Object, its words and its record: made for one Object after another
        // in commits of their own, a full disk would keep the first ones and not the rest.
        const std::uint64_t refusees = KELServeurDeLiens::EcrituresRefusees();
        {
            const KELServeurDeLiens::Acte acte(0);
            if (!acte.complet())
                return {};
            if (first)
                first();
            pris = lierLesEquivalents(items, c);
            // The records are written beside the link base and follow it: none is left for an
            // Object the store does not hold. Told when the commit is known, which a larger act
            // this one runs inside makes only once it ends itself.
            acte.siRefuse([pris, canal = space_.currentChannelInt(), n = items.size()] {
                oublierLesEquivalentsPerdus(pris, canal);
                logFormat("ZEVPresenceCommands: the Recall of %zu Objects was not stored", n);
            });
        }
        if (KELServeurDeLiens::EcrituresRefusees() != refusees)
            return {}; // told by the store's own alert
    }
    if (!pris.empty())
        space_.selections().selectIconForItemSet(pris, nullptr);
    return pris;
}

void ZEVPresenceCommands::oublierLesEquivalentsPerdus(const std::vector<KELI*>& pris, KELId canal)
{
    ZEVItemData* store = ZEVItemDataChannels::ItemDataForChannelInt(canal);
    if (!store)
        return;
    for (KELI* meme : pris)
        if (KELServeurDeLiens::Perdu(meme)) {
            store->forgetRecordsOfItem(meme->idInt());
            if (const QString folder = store->itemDropFolder(meme->idInt()); QFileInfo(folder).isDir())
                QDir(folder).removeRecursively();
        }
}

std::vector<KELI*> ZEVPresenceCommands::lierLesEquivalents(const std::vector<KELI*>& items, KELICurseur* c)
{
    std::vector<KELI*> pris;
    const ZEVInterval i = intervalleCommun(c->now(), c);
    ZEVItemData* store = ZEVItemDataChannels::ItemDataForChannelInt(space_.currentChannelInt());
    ZEVItemData& data = store ? *store : ZEVItemData::Current();
    for (KELI* item : items) {
        // An Object of this Channel stands for itself; another's is found or made by the store.
        KELI* meme = !item                                              ? nullptr
                     : item->channelInt() == space_.currentChannelInt() ? item
                                                                        : data.createSameItem(item);
        if (!meme) {
            // Nothing stands for it in this Channel and none could be made: the others go on.
            if (item)
                logFormat("ZEVPresenceCommands WARNING - Object %ld has no equivalent in this Channel",
                          long(item->idInt()));
            continue;
        }
        if (std::find(pris.begin(), pris.end(), meme) == pris.end())
            pris.push_back(meme);
        if (!legoAt(meme, c))
            creerLego(meme, i.in, i.out, c);
    }
    return pris;
}

bool ZEVPresenceCommands::siDuCanal(const std::vector<KELI*>& items) const
{
    const KELId canal = space_.currentChannelInt();
    return std::all_of(items.begin(), items.end(), [canal](KELI* o) { return !o || o->channelInt() == canal; });
}

void ZEVPresenceCommands::retain(const std::vector<KELI*>& items)
{
    KELICurseur* c = actif();
    KELI* canal = identity();
    if (!c || !canal)
        return;
    const KELDate d = c->placeToi();
    for (KELI* item : items) {
        if (!item || legoAt(item, c))
            continue;
        const KELId id = KELServeurDeLiens::LastLienNumDeRelNumParentNumEnfantNumAvantDate(relation_, canal->idInt(),
                                                                                           item->idInt(), d);
        if (KELI* avant = id ? KELServeurDeLiens::LienForInt(id, c) : nullptr; !deskmodel::siOublie(avant)) {
            avant->placeOutDate(d, c);
            continue;
        }
        if (KELI* lego = KELServeurDeLiens::CreerLienRelInt(relation_, canal, item, KELDateToujours, d, c);
            lego && didCreate_)
            didCreate_(lego);
    }
}

int ZEVPresenceCommands::forgetAllPresences(KELId relation, KELId itemInt, KELICurseur* curseur, const char* warning)
{
    const KELIds ids = KELServeurDeLiens::LiensNumDeLEnfantIntRelInt(itemInt, relation);
    if (!ids)
        return 0;
    int n = 0;
    for (KELId id : *ids) {
        KELI* lien = KELServeurDeLiens::LienForInt(id, curseur);
        if (!lien) {
            logFormat("%s LienForInt:%ld not found !", warning, long(id));
            continue;
        }
        if (deskmodel::siOublie(lien))
            continue;
        KELServeurDeLiens::DegagerLien(lien, curseur);
        ++n;
    }
    return n;
}

} // namespace tallomer
