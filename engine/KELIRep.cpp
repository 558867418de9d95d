#include "engine/KELIRep.h"
#include "engine/KELReserve.h"

#include "engine/KELICc.h"
#include "engine/KELICurseur.h"
#include "engine/KELModels.h"
#include "engine/KELServeurDeLiens.h"
#include "engine/selection/KELSelection.h"
#include "runtime/Log.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

// ---------------------------------------------------------------------------------------------
// KELIRep

void* KELIRep::operator new(std::size_t taille) { return KELParReserve<KELIRep>::prendre(taille); }
void KELIRep::operator delete(void* p, std::size_t taille) { KELParReserve<KELIRep>::rendre(p, taille); }

KELI* KELIRep::parent()
{
    if (!parent_)
        parent_ = KELServeurDeLiens::LienForInt(lien_->parentInt(), curseur_);
    return parent_;
}

KELI* KELIRep::enfant()
{
    if (!enfant_)
        enfant_ = KELServeurDeLiens::LienForInt(lien_->enfantInt(), curseur_);
    return enfant_;
}

KELI* KELIRep::relation()
{
    return KELServeurDeLiens::LienForInt(lien_->relationInt(), curseur_);
}

KELValue KELIRep::nom()
{
    // The naming relation: the last child, under 259, of the model of the link's relation.
    auto* rel = dynamic_cast<KELIElemRelation*>(relation());
    KELI* model = rel ? rel->modelParent(curseur_) : nullptr;
    KELI* nommage = nullptr;
    if (model) {
        auto* r259 = dynamic_cast<KELIElemRelation*>(KELServeurDeLiens::LienForInt(kel::kRelNommage, curseur_));
        if (r259)
            if (const auto* enfants = r259->enfantsDuParent(model, curseur_); enfants && !enfants->empty())
                nommage = enfants->back();
    }
    if (auto* n = dynamic_cast<KELIElemRelation*>(nommage)) {
        if (const auto* noms = n->enfantsDuParent(lien_, curseur_); noms && !noms->empty())
            return noms->back()->nom(curseur_);
    }
    return KELValue(lien_->idTxt());
}

KELI* KELIRep::enfantDeRelInt(KELId rel)
{
    auto* relation = dynamic_cast<KELIElemRelation*>(KELServeurDeLiens::LienForInt(rel, curseur_));
    if (!relation)
        return nullptr;
    const auto* enfants = relation->enfantsDuParent(lien_, curseur_);
    return enfants && !enfants->empty() ? enfants->front() : nullptr;
}

void KELIRep::lachePrise()
{
    parent_ = nullptr;
    enfant_ = nullptr;
}

// ---------------------------------------------------------------------------------------------
// KELIRepModel

namespace {
std::vector<KELI*> parentsSous(KELId rel, KELI* enfant, KELICc* curseur)
{
    auto* relation = dynamic_cast<KELIElemRelation*>(KELServeurDeLiens::LienForInt(rel, curseur));
    if (!relation)
        return {};
    const auto* parents = relation->parentsDeLEnfant(enfant, curseur);
    return parents ? *parents : std::vector<KELI*>{};
}
} // namespace

std::vector<KELI*> KELIRepModel::relationsParents() { return parentsSous(kel::kRelModelParent, lien_, curseur_); }
std::vector<KELI*> KELIRepModel::relationsEnfants() { return parentsSous(kel::kRelModelEnfant, lien_, curseur_); }

KELI* KELIRepModel::relationParentNommee(const std::string& nom)
{
    for (KELI* r : relationsParents()) {
        KELI* mot = r->enfantDeRelInt(kel::kRelNom, curseur_);
        if (!mot)
            continue;
        KELValue v = mot->base();
        if (auto* s = std::get_if<std::string>(&v); s && *s == nom)
            return r;
    }
    return nullptr;
}

KELI* KELIRepModel::relationMC()
{
    if (relationMC_)
        return relationMC_;
    for (KELI* r : relationsParents()) {
        if (r->kelClasse() == "KELIElemRelationMC") {
            relationMC_ = r;
            break;
        }
    }
    return relationMC_;
}

std::vector<KELI*> KELIRepModel::elements()
{
    auto* mc = dynamic_cast<KELIElemRelation*>(relationMC());
    return mc ? mc->liens(curseur_) : std::vector<KELI*>{};
}

std::size_t KELIRepModel::nbDElements() { return elements().size(); }

KELI* KELIRepModel::enfantDeRelIntParentInt(KELId rel, KELId parentInt)
{
    auto* relation = dynamic_cast<KELIElemRelation*>(KELServeurDeLiens::LienForInt(rel, curseur_));
    KELI* parent = KELServeurDeLiens::LienForInt(parentInt, curseur_);
    if (!relation || !parent)
        return nullptr;
    const auto* enfants = relation->enfantsDuParent(parent, curseur_);
    return enfants && !enfants->empty() ? enfants->front() : nullptr;
}

void KELIRepModel::desactiverLeLien(KELI* objet, KELDate date)
{
    const bool rienApres = !KELServeurDeLiens::LiensNumDuParentIntApres(objet->idInt(), date) &&
                           !KELServeurDeLiens::LiensNumDeLEnfantIntApres(objet->idInt(), date);
    KELI* mc = relationMC();
    for (KELI* r : relationsParents()) {
        auto* rel = dynamic_cast<KELIElemRelation*>(r);
        if (!rel || (!rienApres && r == mc))
            continue;
        const auto* liens = rel->liensDuParent(objet, curseur_);
        if (!liens)
            continue;
        const std::vector<KELI*> copie = *liens;
        for (KELI* l : copie)
            l->placeOutDate(date, curseur_);
    }
    for (KELI* r : relationsEnfants()) {
        auto* rel = dynamic_cast<KELIElemRelation*>(r);
        if (!rel)
            continue;
        const auto* liens = rel->liensDeLEnfant(objet, curseur_);
        if (!liens)
            continue;
        const std::vector<KELI*> copie = *liens;
        for (KELI* l : copie)
            l->placeOutDate(date, curseur_);
    }
}

KELSelCtrlModel* KELIRepModel::selCtrlModel()
{
    if (!selCtrlM_)
        selCtrlM_.reset(KELSelCtrlModel::initAvecRepModel(this).release());
    return selCtrlM_.get();
}

void KELIRepModel::lachePrise()
{
    relationMC_ = nullptr;
    KELIRep::lachePrise();
}

// ---------------------------------------------------------------------------------------------
// KELIRepRelation

const std::vector<KELI*>& KELIRepRelation::liens()
{
    charger();
    if (liens_.size() != nbLiens_)
        compacter();
    return liens_;
}

void KELIRepRelation::compacter()
{
    // Each link's representation is read through the link, both anywhere in memory: both are
    // asked for some places ahead, the link first.
    constexpr std::size_t kAvance = 8;
    const std::size_t n = liens_.size();
    std::size_t w = 0;
    for (std::size_t i = 0; i < n; ++i) {
        if (i + 2 * kAvance < n && liens_[i + 2 * kAvance]) {
            const char* l = reinterpret_cast<const char*>(liens_[i + 2 * kAvance]);
            __builtin_prefetch(l);
            __builtin_prefetch(l + 63);
        }
        if (i + kAvance < n && liens_[i + kAvance])
            liens_[i + kAvance]->prefetchRepresentants();
        KELI* lien = liens_[i];
        if (!lien)
            continue;
        if (KELIRep* rep = lien->representant(curseur_); rep && rep->actifDansLaRelation_)
            rep->placeDansLaRelation_ = static_cast<std::uint32_t>(w);
        else if (auto it = orphelins_.find(lien); it != orphelins_.end())
            it->second = static_cast<std::uint32_t>(w);
        liens_[w++] = lien;
    }
    liens_.resize(w);
}

bool KELIRepRelation::siActif(KELI* lien) const
{
    const KELIRep* rep = lien ? lien->representant(curseur_) : nullptr;
    return rep && rep->actifDansLaRelation_;
}

void KELIRepRelation::oublierLeLien(KELIRep* rep)
{
    // The link stays listed, as it was never deactivated; a representation it gets again takes
    // its place back.
    const std::uint32_t place = rep->placeDansLaRelation_;
    if (place < liens_.size() && liens_[place] == rep->lien())
        orphelins_[rep->lien()] = place;
    rep->actifDansLaRelation_ = false;
}

void KELIRepRelation::charger()
{
    if (liensCharges_ || chargement_)
        return;
    // One read of the relation fills the lists of every window that has not loaded it yet: a
    // link woken for one cursor is offered to the others while it is placed, and would otherwise
    // make each of them read the whole relation again from inside the first load.
    std::vector<KELIRepRelation*> charges;
    charges.push_back(this);
    for (std::size_t i = 0, n = lien_->nbDeCurseurs(); i < n; ++i) {
        KELIRep* rep = lien_->representant(lien_->curseurNo(i));
        KELIRepRelation* r = rep ? rep->commeRelation() : nullptr;
        if (r && r != this && !r->liensCharges_ && !r->chargement_)
            charges.push_back(r);
    }
    std::vector<KELICc*> autres;
    for (KELIRepRelation* r : charges) {
        r->chargement_ = true;
        r->liensCharges_ = true;
        if (r != this)
            autres.push_back(r->curseur_);
    }
    KELServeurDeLiens::ReveillerLaRelInt(lien_->idInt(), curseur_, autres);
    for (KELIRepRelation* r : charges)
        r->chargement_ = false;
}

std::size_t KELIRepRelation::nbDeLiens()
{
    charger();
    return nbLiens_;
}

template <KELI* (KELIRep::*siConnu)() const, KELI* (KELIRep::*retenir)(KELI*), KELI* (KELI::*chercher)(KELIRep*, KELICc*)>
inline KELI* KELIRepRelation::objetDuLien(KELI* lien, KELIRep* rep, KELId id, KELLienRetenu& retenu)
{
    if (rep) {
        if (KELI* o = (rep->*siConnu)())
            return o;
        // The server would answer it and change nothing: the representation takes it as from there.
        if (KELI* o = retenu.siConnu(id, curseur_))
            return (rep->*retenir)(o);
    }
    KELI* o = (lien->*chercher)(rep, curseur_);
    if (o)
        retenu.noter(id, curseur_, o);
    return o;
}

void KELIRepRelation::ajouterAuxLiens(KELI* lien, KELIRep* connu)
{
    KELICc* c = curseur_;
    if (!c->siIncluLeLien(lien) || partie_)
        return;
    // A link entering one window is offered to all the relation's windows, and those that saw it
    // already (a context around the cursor it entered) need nothing looked up.
    KELIRep* rep = connu ? connu : lien->representant(c);
    if (rep && rep->actifDansLaRelation_)
        return;
    // Finding the objects may wake them, and waking may take representations away or make the
    // link's own: the one held is asked again only then.
    std::uint64_t enleves = KELI::repsEnleves();
    auto revoir = [&] {
        if (!rep || KELI::repsEnleves() != enleves) {
            rep = lien->representant(c);
            enleves = KELI::repsEnleves();
        }
    };
    KELI* p = objetDuLien<&KELIRep::parentSiConnu, &KELIRep::parentConnu, &KELI::parentDe>(lien, rep, lien->parentInt(),
                                                                                         parentRetenu_);
    revoir();
    KELI* e = objetDuLien<&KELIRep::enfantSiConnu, &KELIRep::enfantConnu, &KELI::enfantDe>(lien, rep, lien->enfantInt(),
                                                                                         enfantRetenu_);
    charger();
    if (!p || !e)
        return;
    revoir();
    if (!rep || rep->actifDansLaRelation_)
        return;
    if (!orphelins_.empty()) {
        if (auto it = orphelins_.find(lien); it != orphelins_.end()) {
            rep->actifDansLaRelation_ = true;
            rep->placeDansLaRelation_ = it->second;
            orphelins_.erase(it);
            return;
        }
    }
    // A list that keeps its size while links come and go would otherwise grow its holes without
    // bound until someone reads it.
    if (liens_.size() > 64 && liens_.size() > 4 * nbLiens_)
        compacter();
    rep->actifDansLaRelation_ = true;
    rep->placeDansLaRelation_ = static_cast<std::uint32_t>(liens_.size());
    liens_.push_back(lien);
    ++nbLiens_;
    if (indexesVivants_)
        indexerLeLien(lien, p, e);
    if (bordImpose_ >= 0)
        lien->setSiCroisementFutur(bordImpose_ != 0);
    p->majDActivationDuLienParent(lien, c);
    e->majDActivationDuLienEnfant(lien, c);
    c->informerActivationParent(p->idInt(), lien);
    c->informerActivationEnfant(e->idInt(), lien);
    c->informerActivation(lien_->idInt(), lien);
    if (selCtrlR_)
        selCtrlR_->majDActivationDuLien(lien);
}

void KELIRepRelation::indexerLeLien(KELI* lien, KELI* p, KELI* e)
{
    Voisins& duParent = mapDuParent_.entree(p);
    duParent.autres.add(e);
    duParent.liens.add(lien);
    Voisins& deLEnfant = mapDeLEnfant_.entree(e);
    deLEnfant.autres.add(p);
    deLEnfant.liens.add(lien);
}

// The indexes are made from the active list the first time one is read and kept up to date from
// then on. Most windows never read most relations' indexes (a context that only follows its
// cursor, a timeline nobody browses): those pay for none, neither in memory nor at every crossing.
void KELIRepRelation::indexer()
{
    charger();
    if (indexesVivants_)
        return;
    indexesVivants_ = true;
    for (KELI* lien : liens_) {
        if (!lien)
            continue;
        // The objects the activation found, as the link's representation keeps them.
        KELIRep* r = lien->representant(curseur_);
        KELI* p = r && r->parentSiConnu() ? r->parentSiConnu() : KELServeurDeLiens::DonneMaintenantLeLienId(lien->parentInt());
        KELI* e = r && r->enfantSiConnu() ? r->enfantSiConnu() : KELServeurDeLiens::DonneMaintenantLeLienId(lien->enfantInt());
        if (p && e)
            indexerLeLien(lien, p, e);
    }
}

// ---------------------------------------------------------------------------------------------
// The object index

namespace {
std::size_t hacherObjet(const KELI* p, std::size_t masque)
{
    auto v = static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(p));
    v ^= v >> 17;
    v *= 0x9E3779B97F4A7C15ull;
    return static_cast<std::size_t>(v >> 32) & masque;
}
// A freed entry keeps its lists' storage for the next object, unless the lists had grown large.
constexpr std::size_t kGardeAuPlus = 64;
} // namespace

KELIRepRelation::Index::Case* KELIRepRelation::Index::chercher(const KELI* cle) const
{
    if (cases_.empty())
        return nullptr;
    const std::size_t masque = cases_.size() - 1;
    for (std::size_t i = hacherObjet(cle, masque);; i = (i + 1) & masque) {
        const Case& c = cases_[i];
        if (c.cle == cle)
            return const_cast<Case*>(&c);
        if (!c.cle)
            return nullptr;
    }
}

KELIRepRelation::Voisins* KELIRepRelation::Index::trouver(const KELI* cle) const
{
    const Case* c = chercher(cle);
    return c ? &voisins(c->numero) : nullptr;
}

void KELIRepRelation::Index::redimensionner()
{
    std::size_t n = 16;
    while (n < (taille_ + 1) * 4)
        n *= 2;
    std::vector<Case> anciennes(n, Case{nullptr, 0});
    anciennes.swap(cases_);
    occupees_ = taille_;
    const std::size_t masque = cases_.size() - 1;
    for (const Case& c : anciennes) {
        if (!c.cle || c.cle == tombe())
            continue;
        std::size_t i = hacherObjet(c.cle, masque);
        while (cases_[i].cle)
            i = (i + 1) & masque;
        cases_[i] = c;
    }
}

KELIRepRelation::Voisins& KELIRepRelation::Index::entree(KELI* cle)
{
    if (Case* c = chercher(cle))
        return voisins(c->numero);
    if ((occupees_ + 1) * 2 > cases_.size())
        redimensionner();
    std::uint32_t numero;
    if (!libres_.empty()) {
        numero = libres_.back();
        libres_.pop_back();
    } else {
        numero = suivant_++;
        if (const std::size_t b = blocDe(numero); b >= blocs_.size())
            blocs_.push_back(std::make_unique<Voisins[]>(tailleDuBloc(b)));
    }
    const std::size_t masque = cases_.size() - 1;
    std::size_t i = hacherObjet(cle, masque);
    while (cases_[i].cle && cases_[i].cle != tombe())
        i = (i + 1) & masque;
    if (!cases_[i].cle)
        ++occupees_;
    cases_[i] = Case{cle, numero};
    ++taille_;
    return voisins(numero);
}

void KELIRepRelation::Index::liberer(const KELI* cle)
{
    Case* c = chercher(cle);
    if (!c)
        return;
    Voisins& v = voisins(c->numero);
    if (v.autres.emplacements() > kGardeAuPlus)
        v.autres = Bag();
    else
        v.autres.clear();
    if (v.liens.emplacements() > kGardeAuPlus)
        v.liens = Bag();
    else
        v.liens.clear();
    libres_.push_back(c->numero);
    c->cle = tombe();
    --taille_;
    // An index that held every object once and few now would keep its probes out of the cache.
    if (cases_.size() > 256 && taille_ * 16 < cases_.size())
        redimensionner();
}

void KELIRepRelation::Index::clear()
{
    cases_.clear();
    occupees_ = taille_ = 0;
    blocs_.clear();
    suivant_ = 0;
    libres_.clear();
}

void KELIRepRelation::retirer(Index& map, KELI* cle, KELI* autre, KELI* lien)
{
    Voisins* v = map.trouver(cle);
    if (!v)
        return;
    v->autres.removeOne(autre);
    v->liens.removeOne(lien);
    if (v->liens.empty() && v->autres.empty())
        map.liberer(cle);
}

void KELIRepRelation::enleverAuxLiens(KELI* lien)
{
    KELICc* c = curseur_;
    if (c->siIncluLeLien(lien))
        return;
    KELIRep* rep = lien->representant(c);
    if (!rep || !rep->actifDansLaRelation_)
        return;
    // The objects the activation found are still the link's for this cursor.
    KELI* p = rep->parentSiConnu() ? rep->parentSiConnu() : lien->parent(c);
    KELI* e = rep->enfantSiConnu() ? rep->enfantSiConnu() : lien->enfant(c);
    if (!p || !e)
        return;
    liens_[rep->placeDansLaRelation_] = nullptr;
    rep->actifDansLaRelation_ = false;
    desactiver(lien, p, e);
}

// What a deactivation tells, once the link is out of the list.
inline void KELIRepRelation::desactiver(KELI* lien, KELI* p, KELI* e)
{
    KELICc* c = curseur_;
    if (selCtrlR_)
        selCtrlR_->majDeDesactivationDuLien(lien);
    --nbLiens_;
    if (indexesVivants_) {
        retirer(mapDeLEnfant_, e, p, lien);
        retirer(mapDuParent_, p, e, lien);
    }
    p->majDeDesactivationDuLienParent(lien, c);
    e->majDeDesactivationDuLienEnfant(lien, c);
    c->informerDesactivationParent(p->idInt(), lien);
    c->informerDesactivationEnfant(e->idInt(), lien);
    c->informerDesactivation(lien_->idInt(), lien);
}

void KELIRepRelation::rechargerPar(bool futur)
{
    bordImpose_ = futur ? 1 : 0;
    charger();
    bordImpose_ = -1;
}

bool KELIRepRelation::quitterLaFenetre()
{
    const bool charge = liensCharges_;
    partie_ = true;
    KELICc* c = curseur_;
    // They leave through the edge the relation left by.
    const bool futur = lien_->siCroisementFutur();
    // The messages may make anyone read the list: each link leaves it before it is told of.
    const std::vector<KELI*> copie = liens_;
    for (KELI* lien : copie) {
        if (!lien)
            continue;
        KELIRep* rep = lien->representant(c);
        KELI* p = nullptr;
        KELI* e = nullptr;
        if (rep && rep->actifDansLaRelation_) {
            liens_[rep->placeDansLaRelation_] = nullptr;
            rep->actifDansLaRelation_ = false;
            p = rep->parentSiConnu() ? rep->parentSiConnu() : lien->parent(c);
            e = rep->enfantSiConnu() ? rep->enfantSiConnu() : lien->enfant(c);
        } else if (auto it = orphelins_.find(lien); it != orphelins_.end()) {
            // Heard active, then lost its representation without a word: it is told of now.
            liens_[it->second] = nullptr;
            orphelins_.erase(it);
            p = KELServeurDeLiens::DonneMaintenantLeLienId(lien->parentInt());
            e = KELServeurDeLiens::DonneMaintenantLeLienId(lien->enfantInt());
        } else {
            continue;
        }
        lien->setSiCroisementFutur(futur);
        if (p && e)
            desactiver(lien, p, e);
        else
            --nbLiens_;
        // A relation keeps its windows of its own (being woken for one does not depend on the
        // relation of relations); any other link shown here only through this relation does not.
        if (KELIRep* r = lien->representant(c); r && !r->commeRelation())
            lien->enleverLeCurseur(c);
    }
    liens_.clear();
    nbLiens_ = 0;
    orphelins_.clear();
    mapDuParent_.clear();
    mapDeLEnfant_.clear();
    indexesVivants_ = false;
    return charge;
}

const std::vector<KELI*>* KELIRepRelation::listeDe(const Index& map, KELI* cle, Bag Voisins::*liste)
{
    Voisins* v = map.trouver(cle);
    if (!v || (v->*liste).empty())
        return nullptr;
    return &(v->*liste).items();
}

const std::vector<KELI*>* KELIRepRelation::enfantsDuParent(KELI* parent)
{
    indexer();
    return listeDe(mapDuParent_, parent, &Voisins::autres);
}

const std::vector<KELI*>* KELIRepRelation::parentsDeLEnfant(KELI* enfant)
{
    indexer();
    return listeDe(mapDeLEnfant_, enfant, &Voisins::autres);
}

const std::vector<KELI*>* KELIRepRelation::liensDuParent(KELI* parent)
{
    indexer();
    return listeDe(mapDuParent_, parent, &Voisins::liens);
}

const std::vector<KELI*>* KELIRepRelation::liensDeLEnfant(KELI* enfant)
{
    indexer();
    return listeDe(mapDeLEnfant_, enfant, &Voisins::liens);
}

KELI* KELIRepRelation::lienDuParent(KELI* parent, KELI* enfant)
{
    const auto* liens = liensDuParent(parent);
    if (!liens || !enfant)
        return nullptr;
    KELI* premier = nullptr;
    for (KELI* l : *liens) {
        if (l->enfantInt() != enfant->idInt())
            continue;
        if (!premier) {
            premier = l;
            continue;
        }
        tallomer::logLine("KELIRepRelation ERREUR D'INTEGRITE Plusieurs Liens identiques dans un Contexte");
        tallomer::logFormat("  [(%lu)KELIRepRelation lienDuParent:(%lu) deLEnfant:(%lu)] _curseur:(%lu)",
                            static_cast<unsigned long>(lien_->idInt()), static_cast<unsigned long>(parent->idInt()),
                            static_cast<unsigned long>(enfant->idInt()), static_cast<unsigned long>(curseur_->idInt()));
    }
    return premier;
}

std::vector<KELI*> KELIRepRelation::liensIdentiquesAuLien(KELI* lien)
{
    std::vector<KELI*> out;
    KELI* p = lien->parent(curseur_);
    const auto* liens = p ? liensDuParent(p) : nullptr;
    if (!liens)
        return out;
    for (KELI* l : *liens)
        if (l != lien && l->enfantInt() == lien->enfantInt())
            out.push_back(l);
    return out;
}

KELI* KELIRepRelation::modelParent()
{
    if (!modelParentConnu_) {
        auto* r26 = dynamic_cast<KELIElemRelation*>(KELServeurDeLiens::LienForInt(kel::kRelModelParent, curseur_));
        const auto* enfants = r26 ? r26->enfantsDuParent(lien_, curseur_) : nullptr;
        modelParent_ = enfants && !enfants->empty() ? enfants->back() : nullptr;
        modelParentConnu_ = modelParent_ != nullptr;
    }
    return modelParent_;
}

KELI* KELIRepRelation::modelEnfant()
{
    if (!modelEnfantConnu_) {
        auto* r27 = dynamic_cast<KELIElemRelation*>(KELServeurDeLiens::LienForInt(kel::kRelModelEnfant, curseur_));
        const auto* enfants = r27 ? r27->enfantsDuParent(lien_, curseur_) : nullptr;
        modelEnfant_ = enfants && !enfants->empty() ? enfants->back() : nullptr;
        modelEnfantConnu_ = modelEnfant_ != nullptr;
    }
    return modelEnfant_;
}

KELSelCtrlRelation* KELIRepRelation::selCtrlRelation()
{
    if (!selCtrlR_)
        selCtrlR_.reset(KELSelCtrlRelation::initAvecRepRelation(this).release());
    return selCtrlR_.get();
}

void KELIRepRelation::lachePrise()
{
    for (KELI* lien : liens_)
        if (KELIRep* rep = lien ? lien->representant(curseur_) : nullptr)
            rep->actifDansLaRelation_ = false;
    liens_.clear();
    nbLiens_ = 0;
    orphelins_.clear();
    liensCharges_ = false;
    modelParent_ = modelEnfant_ = nullptr;
    modelParentConnu_ = modelEnfantConnu_ = false;
    mapDuParent_.clear();
    mapDeLEnfant_.clear();
    indexesVivants_ = false;
    KELIRep::lachePrise();
}
