#include "engine/KELICc.h"

#include "engine/KELICurseur.h"
#include "engine/KELIRep.h"
#include "engine/KELModels.h"
#include "engine/KELServeurDeLiens.h"

#include <algorithm>

KELICc::KELICc()
{
    marquerCurseur();
    lienOut()->marquerCurseur();
}

KELICc* KELICc::curseurGlobal() const
{
    return curseurGlobal_ ? curseurGlobal_ : KELServeurDeLiens::CurseurGlobal();
}

void KELICc::ajouterLeDelegueDeMaj(KELDelegueDeMaj* delegue, KELId lienInt)
{
    filtreDesDelegues_ |= bitDe(lienInt);
    auto& liste = mapLienDelegues_[lienInt];
    if (std::find(liste.begin(), liste.end(), delegue) == liste.end())
        liste.push_back(delegue);
}

void KELICc::enleverLeDelegueDeMaj(KELDelegueDeMaj* delegue, KELId lienInt)
{
    auto it = mapLienDelegues_.find(lienInt);
    if (it == mapLienDelegues_.end())
        return;
    auto& liste = it->second;
    liste.erase(std::remove(liste.begin(), liste.end(), delegue), liste.end());
}

std::size_t KELICc::nbDeDelegues(KELId lienInt) const
{
    auto it = mapLienDelegues_.find(lienInt);
    return it == mapLienDelegues_.end() ? 0 : it->second.size();
}

// Entries of the map are never erased, and an unordered map keeps its entries where they are: the
// list found last stays the id's list for the window's life.
std::vector<KELDelegueDeMaj*>* KELICc::deleguesDe(KELId lienInt)
{
    if (lienInt == idDesDelegues_ && delegues_)
        return delegues_;
    auto it = mapLienDelegues_.find(lienInt);
    if (it == mapLienDelegues_.end())
        return nullptr;
    idDesDelegues_ = lienInt;
    delegues_ = &it->second;
    return delegues_;
}

// The list is read at the moment of informing; a delegate that a message removes (and may
// destroy) is not called afterwards, and one that it adds hears from the next message on.
// Most ids have one delegate: that one is called straight away, with nothing to copy or check.
template <class Message>
void KELICc::informer(KELId lienInt, Message&& message)
{
    std::vector<KELDelegueDeMaj*>* liste = deleguesDe(lienInt);
    if (!liste || liste->empty())
        return;
    if (liste->size() == 1) {
        message(liste->front());
        return;
    }
    const std::vector<KELDelegueDeMaj*> copie = *liste;
    for (KELDelegueDeMaj* d : copie) {
        if (std::find(liste->begin(), liste->end(), d) == liste->end())
            continue;
        message(d);
    }
}

void KELICc::informerActivationLent(KELId id, KELI* lien)
{
    informer(id, [&](KELDelegueDeMaj* d) { d->activationDuLien(lien, this); });
}
void KELICc::informerDesactivationLent(KELId id, KELI* lien)
{
    informer(id, [&](KELDelegueDeMaj* d) { d->desactivationDuLien(lien, this); });
}
void KELICc::informerActivationParentLent(KELId id, KELI* lien)
{
    informer(id, [&](KELDelegueDeMaj* d) { d->activationDuLienParent(lien); });
}
void KELICc::informerActivationEnfantLent(KELId id, KELI* lien)
{
    informer(id, [&](KELDelegueDeMaj* d) { d->activationDuLienEnfant(lien); });
}
void KELICc::informerDesactivationParentLent(KELId id, KELI* lien)
{
    informer(id, [&](KELDelegueDeMaj* d) { d->desactivationDuLienParent(lien); });
}
void KELICc::informerDesactivationEnfantLent(KELId id, KELI* lien)
{
    informer(id, [&](KELDelegueDeMaj* d) { d->desactivationDuLienEnfant(lien); });
}

bool KELICc::siVoitLeLien(const KELI* lien)
{
    if (siIncluLeLien(lien))
        return true;
    KELICc* c = contexte();
    return c && c != this && c->siIncluLeLien(lien);
}

KELI* KELLienRetenu::siToujoursVu(KELICc* curseur) const
{
    const KELICc* contexteVu = nullptr;
    if (!lien_->siVuDans(curseur, contexteVu))
        return nullptr;
    const KELICc* contexte = curseur->contexte();
    return contexteVu == contexte ? lien_ : nullptr;
}

KELI* KELICc::relationDuPassage(KELId id, KELICc* passe, KELIRep*& repRelation)
{
    // A relation's representation here goes only with the representation itself.
    if (KELI* relation = relationRetenue_.siConnu(id, passe);
        relation && relationsEnleveesVues_ == KELIRepRelation::enlevees()) {
        repRelation = repRelationRetenue_;
        return relation;
    }
    KELI* relation = KELServeurDeLiens::LienForInt(id, passe);
    repRelation = relation ? relation->representant(this) : nullptr;
    if (repRelation && repRelation->commeRelation()) {
        relationRetenue_.noter(id, passe, relation);
        repRelationRetenue_ = repRelation;
        relationsEnleveesVues_ = KELIRepRelation::enlevees();
    }
    return relation;
}

// A window edge passing a plain link L: L enters the window if its relation watches the window.
void KELICc::entreeDuLien(KELI* lien, KELICc* passe, bool futur)
{
    if (lien->siCurseur())
        return;
    const KELIElemRelation::BordEnCours bord(futur);
    KELIRep* repRelation = nullptr;
    KELI* relation = relationDuPassage(lien->relationInt(), passe, repRelation);
    if (!repRelation)
        return;
    lien->setSiCroisementFutur(futur);
    KELIRep* rep = lien->representantAjoute(this);
    // Only this window's view of the link changes here: its other windows have it already, or
    // do not include it.
    if (KELIRepRelation* r = repRelation->commeRelation(); r && rep)
        r->ajouterAuxLiens(lien, rep);
    else
        relation->ajouterAuxCurseursLeLien(lien);
}

void KELICc::sortieDuLien(KELI* lien, KELICc* passe, bool futur)
{
    if (lien->siCurseur())
        return;
    lien->setSiCroisementFutur(futur);
    KELIRep* repRelation = nullptr;
    // Only a relation's own representations answer enleverLeLien, as they do here.
    if (relationDuPassage(lien->relationInt(), passe, repRelation))
        if (KELIRepRelation* r = repRelation ? repRelation->commeRelation() : nullptr)
            r->enleverAuxLiens(lien);
    lien->enleverLeCurseur(this);
}

void KELICc::inEstPlaceDansOut(KELLien* e, KELICc* curseur)
{
    KELI* lien = e->lienIn();
    if (lien->siCurseur())
        return;
    if (relationInt() == lien->idInt()) {
        lien->ajouterAuxCurseursLeLien(this);
        return;
    }
    entreeDuLien(lien, curseur, false);
}

void KELICc::outEstPlaceDansIn(KELLien* e, KELICc* curseur) { entreeDuLien(e->lienIn(), curseur, true); }
void KELICc::outEstPlaceHorsIn(KELLien* e, KELICc* curseur) { sortieDuLien(e->lienIn(), curseur, true); }
void KELICc::inEstPlaceHorsOut(KELLien* e, KELICc* curseur) { sortieDuLien(e->lienIn(), curseur, false); }
