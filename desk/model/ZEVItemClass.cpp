#include "desk/model/ZEVItemClass.h"

#include "desk/model/ZEVDeskIds.h"
#include "services/ZEVSpaceForDeskModels.h"
#include "desk/model/ZEVItemOptions.h"
#include "desk/model/ZEVModelSupport.h"
#include "engine/KELICurseur.h"
#include "engine/KELModels.h"
#include "engine/KELServeurDeLiens.h"
#include "runtime/Log.h"
#include "services/ZEVInspectorServices.h"
#include "services/ZEVItemViewerForDesks.h"

#include <algorithm>

namespace tallomer {

using deskmodel::fetch;

ZEVItemClass::ZEVItemClass(KELICurseur* curseur, ZEVSpaceForDeskModels* space) : curseur_(curseur), space_(space)
{
    KELICurseur* tl = deskmodel::timelineCurseur(space_);
    itemModel_ = fetch<KELIModel>(KELMODEL_ITEM, tl);
    motModel_ = fetch<KELIModel>(KELMODEL_MOT, tl);
    typeRelation_ = fetch<KELIElemRelation>(KELRELATION_ITEM_TYPE, tl);
    iconRelation_ = fetch<KELIElemRelation>(KELRELATION_ITEM_ICON, tl);
    linkRelation_ = fetch<KELIElemRelation>(KELRELATION_LINK_VIEWER, tl);
    if (!curseur_)
        return;
    if (itemModel_)
        itemModel_->elements(curseur_);
    if (motModel_)
        motModel_->elements(curseur_);
    if (typeRelation_)
        typeRelation_->liens(curseur_);
    if (iconRelation_)
        iconRelation_->liens(curseur_);
    if (linkRelation_)
        linkRelation_->liens(contexte());
}

ZEVItemClass::~ZEVItemClass()
{
    if (!siEnclenche_)
        return;
    curseur_->enleverLeDelegueDeMaj(this, KELRELATION_LINK_VIEWER);
    if (KELIContexte* c = curseur_->contexte())
        c->enleverLeDelegueDeMaj(this, KELRELATION_LINK_VIEWER);
}

bool ZEVItemClass::valide() const
{
    return curseur_ && itemModel_ && motModel_ && typeRelation_ && iconRelation_ && linkRelation_;
}

KELICc* ZEVItemClass::contexte() const { return curseur_ ? curseur_->fenetre() : nullptr; }

void ZEVItemClass::enclencherMaj()
{
    if (!curseur_ || siEnclenche_)
        return;
    siEnclenche_ = true;
    curseur_->ajouterLeDelegueDeMaj(this, KELRELATION_LINK_VIEWER);
    if (KELIContexte* c = curseur_->contexte())
        c->ajouterLeDelegueDeMaj(this, KELRELATION_LINK_VIEWER);
}

void ZEVItemClass::initialiser()
{
    if (!valide())
        return;
    const KELDate now = curseur_->now();
    if (itemViewer_)
        for (KELI* lien : linkRelation_->liens(contexte()))
            itemViewer_->initItemConnexionAvecLienConnexion(lien, now);
    if (!space_)
        return;
    space_->displayFrontView();
    const std::vector<KELI*> filtres = space_->selectedFilterItems();
    if (!filtres.empty() && itemViewer_) {
        itemViewer_->enleveFilterForAllItems();
        for (KELI* item : filtres)
            itemViewer_->ajouteFilterForItem(item);
    }
}

std::optional<std::string> ZEVItemClass::itemIconForItem(KELI* item)
{
    return deskmodel::motDuParent(iconRelation_, item, curseur_);
}

std::optional<std::string> ZEVItemClass::itemTypeForItem(KELI* item)
{
    return deskmodel::motDuParent(typeRelation_, item, curseur_);
}

KELI* ZEVItemClass::creerItemWithChannelInt(KELId channelInt, const std::string& title, const std::string& itemType,
                                            const std::string& itemIcon, std::uint64_t options)
{
    auto* mots = dynamic_cast<KELIModelMot*>(motModel_);
    if (!valide() || !mots)
        return nullptr;
    KELI* item = nullptr;
    {
        // An Object is its link, three words and their links: all of them or none.
        KELServeurDeLiens::Acte acte(7, 3);
        if (!acte.complet())
            return nullptr;
        item = KELServeurDeLiens::CreerLienRelInt(KELRELATION_ITEM, nullptr, itemModel_, KELDateToujours,
                                                  KELDateOuverte, curseur_);
        if (!item) {
            logLine("ZEVItemClass ERROR - Object not created");
            return nullptr;
        }
        KELI* motTitre = mots->ajouterLeMot(title, curseur_);
        KELI* motType = mots->ajouterLeMot(itemType, curseur_);
        KELI* motIcone = mots->ajouterLeMot(itemIcon, curseur_);
        const std::pair<KELId, KELI*> attributs[] = {
            {KELRELATION_ITEM_TITLE, motTitre}, {KELRELATION_ITEM_TYPE, motType}, {KELRELATION_ITEM_ICON, motIcone}};
        for (const auto& [rel, mot] : attributs)
            if (mot)
                KELServeurDeLiens::CreerLienRelInt(rel, item, mot, KELDateToujours, KELDateOuverte, curseur_);
        addItemOption(item, options);
        item->setChannelInt(channelInt);
        if (channelInt == 0)
            logLine("CreateItem ERROR !");
    }
    // The store kept none of it (a full disk): there is no Object to show or to give a record.
    if (KELServeurDeLiens::Perdu(item)) {
        ZEVItemOptionWrites::cancel(item);
        logLine("ZEVItemClass ERROR - Object not stored");
        return nullptr;
    }
    return item;
}

void ZEVItemClass::eraseNewItem(KELI* item)
{
    if (!valide() || !item || item->relationInt() != KELRELATION_ITEM)
        return;
    ZEVItemOptionWrites::cancel(item);
    KELServeurDeLiens::Acte acte(0);
    for (const KELId rel : {KELRELATION_ITEM_TITLE, KELRELATION_ITEM_TYPE, KELRELATION_ITEM_ICON}) {
        const KELIds ids = KELServeurDeLiens::LiensNumDuParentIntRelInt(item->idInt(), rel);
        if (!ids)
            continue;
        for (const KELId id : *ids)
            if (KELI* lien = KELServeurDeLiens::LienForInt(id, curseur_))
                KELServeurDeLiens::EraseLien(lien, curseur_);
    }
    KELServeurDeLiens::EraseLien(item, curseur_);
}

KELI* ZEVItemClass::creerItemWithRecord(KELId channelInt, const std::string& title, const std::string& itemType,
                                        const std::string& itemIcon, std::uint64_t options,
                                        const std::function<bool(KELI* item)>& writeOutside)
{
    KELI* item = creerItemWithChannelInt(channelInt, title, itemType, itemIcon, options);
    if (!item || !writeOutside || writeOutside(item))
        return item;
    logLine("ZEVItemClass: " + title + " was not added: its record could not be written");
    eraseNewItem(item);
    return nullptr;
}

bool ZEVItemClass::changeItem(KELI* item, const std::string& itemType)
{
    auto* mots = dynamic_cast<KELIModelMot*>(motModel_);
    if (!valide() || !mots || !item)
        return false;
    KELI* nouveau = nullptr;
    {
        // The old type's end and the new type: both or neither, or the Object is left with no
        // type, or two. The word may be new: its element and its value.
        KELServeurDeLiens::Acte acte(2, 1);
        if (!acte.complet())
            return false;
        KELI* mot = mots->ajouterLeMot(itemType, curseur_);
        if (!mot)
            return false;
        KELI* parent = item;
        // The type keeps no history: the old link goes altogether.
        if (KELI* ancien = deskmodel::premierLienDuParent(typeRelation_, item, curseur_)) {
            if (KELI* p = ancien->parent(curseur_))
                parent = p;
            KELServeurDeLiens::EraseLien(ancien, curseur_);
        }
        nouveau = KELServeurDeLiens::CreerLienRelInt(KELRELATION_ITEM_TYPE, parent, mot, KELDateToujours,
                                                     KELDateOuverte, curseur_);
    }
    if (!nouveau || KELServeurDeLiens::Perdu(nouveau)) {
        logFormat("ZEVItemClass ERROR - type of Object %ld not changed", static_cast<long>(item->idInt()));
        return false;
    }
    return true;
}

KELI* ZEVItemClass::lienConnexionWithParent(KELI* parent, KELI* enfant)
{
    if (!parent || !enfant || !linkRelation_ || !curseur_)
        return nullptr;
    return linkRelation_->lienDuParent(parent, enfant, curseur_);
}

std::vector<KELI*> ZEVItemClass::lienConnexionsForItem(KELI* item)
{
    std::vector<KELI*> out;
    if (!item || !linkRelation_ || !curseur_)
        return out;
    KELICc* fenetre = contexte();
    for (const auto* liste : {linkRelation_->liensDuParent(item, fenetre), linkRelation_->liensDeLEnfant(item, fenetre)})
        if (liste)
            for (KELI* l : *liste)
                if (std::find(out.begin(), out.end(), l) == out.end())
                    out.push_back(l);
    return out;
}

std::vector<KELI*> ZEVItemClass::connectedItemsForItem(KELI* item)
{
    std::vector<KELI*> out;
    KELICc* fenetre = contexte();
    for (KELI* l : lienConnexionsForItem(item)) {
        KELI* autre = l->parentInt() == item->idInt() ? l->enfant(fenetre) : l->parent(fenetre);
        if (autre && std::find(out.begin(), out.end(), autre) == out.end())
            out.push_back(autre);
    }
    return out;
}

const std::vector<KELI*>* ZEVItemClass::impactedLiensForParentFiltreItem(KELI* item)
{
    if (!item || !linkRelation_ || !curseur_)
        return nullptr;
    const std::vector<KELI*>* l = linkRelation_->liensDuParent(item, contexte());
    return l && !l->empty() ? l : nullptr;
}

const std::vector<KELI*>* ZEVItemClass::impactedLiensForEnfantFiltreItem(KELI* item)
{
    if (!item || !linkRelation_ || !curseur_)
        return nullptr;
    const std::vector<KELI*>* l = linkRelation_->liensDeLEnfant(item, contexte());
    return l && !l->empty() ? l : nullptr;
}

KELI* ZEVItemClass::creerConnexion(KELI* parent, KELI* enfant, KELDate in, KELDate out)
{
    if (!(in < out)) { // an empty or reversed span would hold at no moment
        logFormat("ZEVItemClass ERROR - Link not created: empty span %f %f", in, out);
        return nullptr;
    }
    return KELServeurDeLiens::CreerLienRelInt(KELRELATION_LINK_VIEWER, parent, enfant, in, out, curseur_);
}

KELDate ZEVItemClass::finDuGoTo(KELDate date)
{
    return space_ && space_->siGoToMode() ? space_->outTimeForGoToTime(date) : KELDateOuverte;
}

void ZEVItemClass::recallLienConnexionWithParentRecallDate(KELI* parent, KELI* enfant, KELDate date)
{
    if (!parent || !enfant || !curseur_)
        return;
    KELI* actif = lienConnexionWithParent(parent, enfant);
    const KELId suivantId = KELServeurDeLiens::FirstLienNumDeRelNumParentNumEnfantNumApresDate(
        KELRELATION_LINK_VIEWER, parent->idInt(), enfant->idInt(), date);
    const KELDate fin = finDuGoTo(date);
    KELI* suivant = nullptr;
    if (suivantId) {
        suivant = KELServeurDeLiens::LienForInt(suivantId, curseur_);
        if (!suivant) {
            logLine("ZEVItemClass ERROR - Link not created");
            if (space_)
                space_->beep();
            return;
        }
        // Forgotten rows sort last; one found first means there is no later Link at all.
        if (deskmodel::siOublie(suivant))
            suivant = nullptr;
    }
    if (suivant) {
        if (actif)
            actif->placeOutDate(std::min(suivant->inDate(), fin), curseur_);
        else if (fin > suivant->inDate())
            suivant->placeInDate(date, curseur_);
        else
            creerConnexion(parent, enfant, date, fin);
    } else if (actif) {
        if (fin > actif->outDate())
            actif->placeOutDate(fin, curseur_);
    } else {
        creerConnexion(parent, enfant, date, fin);
    }
}

void ZEVItemClass::retainLienConnexionWithParentRecallDate(KELI* parent, KELI* enfant, KELDate date)
{
    if (!parent || !enfant || !curseur_)
        return;
    KELI* actif = lienConnexionWithParent(parent, enfant);
    const KELId precedentId = KELServeurDeLiens::LastLienNumDeRelNumParentNumEnfantNumAvantDate(
        KELRELATION_LINK_VIEWER, parent->idInt(), enfant->idInt(), date);
    KELI* precedent = precedentId ? KELServeurDeLiens::LienForInt(precedentId, curseur_) : nullptr;
    if (precedent)
        precedent->placeOutDate(actif ? actif->inDate() : date, curseur_);
    else if (actif)
        actif->placeInDate(KELDateToujours, curseur_);
    else
        creerConnexion(parent, enfant, KELDateToujours, date);
}

// The cursor is placed first: the Link active "at the cursor" is then the one active at the date
// written, so a Release never stretches a Link that already ended and a Forget never moves an
// in-date past the out-date.
void ZEVItemClass::recallLienConnexionWithParent(KELI* parent, KELI* enfant)
{
    if (!curseur_)
        return;
    recallLienConnexionWithParentRecallDate(parent, enfant, curseur_->placeToi());
    refresh();
}

void ZEVItemClass::retainLienConnexionWithParent(KELI* parent, KELI* enfant)
{
    if (!curseur_)
        return;
    retainLienConnexionWithParentRecallDate(parent, enfant, curseur_->placeToi());
    refresh();
}

void ZEVItemClass::releaseAt(KELI* parent, KELI* enfant, KELDate date)
{
    if (KELI* actif = lienConnexionWithParent(parent, enfant))
        actif->placeOutDate(date, curseur_);
}

void ZEVItemClass::releaseLienConnexionWithParent(KELI* parent, KELI* enfant)
{
    if (!curseur_)
        return;
    releaseAt(parent, enfant, curseur_->placeToi());
    refresh();
}

void ZEVItemClass::forgetLienConnexionWithParent(KELI* parent, KELI* enfant)
{
    if (!curseur_)
        return;
    const KELDate now = curseur_->placeToi();
    if (KELI* actif = lienConnexionWithParent(parent, enfant))
        actif->placeInDate(now, curseur_);
    refresh();
}

void ZEVItemClass::recallLienConnexionForLinkObjects(const std::vector<const ZEVLinkPair*>& links)
{
    if (!curseur_)
        return;
    const KELDate now = curseur_->placeToi();
    for (const ZEVLinkPair* l : links)
        if (l)
            recallLienConnexionWithParentRecallDate(l->parentItem(), l->enfantItem(), now);
    refresh();
}

void ZEVItemClass::releaseLienConnexionForLinkObjects(const std::vector<const ZEVLinkPair*>& links)
{
    if (!curseur_)
        return;
    const KELDate now = curseur_->placeToi();
    for (const ZEVLinkPair* l : links)
        if (l)
            releaseAt(l->parentItem(), l->enfantItem(), now);
    refresh();
}

void ZEVItemClass::refresh() { deskmodel::relancer(curseur_); }

void ZEVItemClass::activationDuLien(KELI* lien, KELICc* c)
{
    if (!itemViewer_ || !lien)
        return;
    // Registered on the cursor and its context only: what is not the cursor is the context.
    itemViewer_->moteurCroisementForConnexion(lien,
                                              ZEVCroisement::DuLien(true, c == curseur_, lien->siCroisementFutur()));
}

void ZEVItemClass::desactivationDuLien(KELI* lien, KELICc* c)
{
    if (!itemViewer_ || !lien)
        return;
    itemViewer_->moteurCroisementForConnexion(lien,
                                              ZEVCroisement::DuLien(false, c == curseur_, lien->siCroisementFutur()));
}

} // namespace tallomer
