#include "engine/KELModels.h"

#include "engine/KELICurseur.h"
#include "engine/KELElements.h"
#include "engine/KELServeurDeLiens.h"
#include "engine/store/KELLog.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <sstream>

std::string kelValueTxt(const KELValue& v)
{
    if (auto* s = std::get_if<std::string>(&v))
        return *s;
    if (auto* d = std::get_if<double>(&v)) {
        std::ostringstream o;
        o << *d;
        return o.str();
    }
    return "(null)";
}

// ---------------------------------------------------------------------------------------------
// KELIElemRelation

namespace {
constexpr std::size_t kCurseursSurLaPile = 32;
} // namespace

std::unique_ptr<KELIRep> KELIElemRelation::nouveauRep(KELICc* curseur)
{
    return std::make_unique<KELIRepRelation>(curseur, this);
}

KELIRepRelation* KELIElemRelation::rep(const KELICc* curseur) const
{
    return static_cast<KELIRepRelation*>(representant(curseur));
}

std::vector<KELI*> KELIElemRelation::liens(KELICc* curseur)
{
    KELIRepRelation* r = rep(curseur);
    return r ? r->liens() : std::vector<KELI*>{};
}

std::size_t KELIElemRelation::nbDeLiens(KELICc* curseur)
{
    KELIRepRelation* r = rep(curseur);
    return r ? r->nbDeLiens() : 0;
}

KELI* KELIElemRelation::modelParent(KELICc* curseur)
{
    KELIRepRelation* r = rep(curseur);
    return r ? r->modelParent() : nullptr;
}

KELI* KELIElemRelation::modelEnfant(KELICc* curseur)
{
    KELIRepRelation* r = rep(curseur);
    return r ? r->modelEnfant() : nullptr;
}

const std::vector<KELI*>* KELIElemRelation::enfantsDuParent(KELI* parent, KELICc* curseur)
{
    KELIRepRelation* r = rep(curseur);
    return r && parent ? r->enfantsDuParent(parent) : nullptr;
}

const std::vector<KELI*>* KELIElemRelation::parentsDeLEnfant(KELI* enfant, KELICc* curseur)
{
    KELIRepRelation* r = rep(curseur);
    return r && enfant ? r->parentsDeLEnfant(enfant) : nullptr;
}

const std::vector<KELI*>* KELIElemRelation::liensDuParent(KELI* parent, KELICc* curseur)
{
    KELIRepRelation* r = rep(curseur);
    return r && parent ? r->liensDuParent(parent) : nullptr;
}

const std::vector<KELI*>* KELIElemRelation::liensDeLEnfant(KELI* enfant, KELICc* curseur)
{
    KELIRepRelation* r = rep(curseur);
    return r && enfant ? r->liensDeLEnfant(enfant) : nullptr;
}

KELI* KELIElemRelation::lienDuParent(KELI* parent, KELI* enfant, KELICc* curseur)
{
    if (!parent || !enfant)
        return nullptr;
    KELIRepRelation* r = rep(curseur);
    return r ? r->lienDuParent(parent, enfant) : nullptr;
}

std::vector<KELI*> KELIElemRelation::liensIdentiquesAuLien(KELI* lien, KELICc* contexte)
{
    KELIRepRelation* r = rep(contexte);
    return r ? r->liensIdentiquesAuLien(lien) : std::vector<KELI*>{};
}

void KELIElemRelation::ajouterAuxCurseursLeLien(KELI* lien)
{
    // Activation may wake the relation for further cursors: walk a snapshot (on the stack: this
    // runs for every link placed or crossed).
    std::array<KELICc*, kCurseursSurLaPile> copie;
    std::array<KELIRep*, kCurseursSurLaPile> reps;
    const std::uint64_t enleves = repsEnleves();
    const std::size_t n = copierLesCurseurs(copie.data(), copie.size(), reps.data());
    if (n > kCurseursSurLaPile) {
        for (KELICc* c : curseurs())
            if (KELIRepRelation* r = rep(c))
                r->ajouterAuxLiens(lien);
        return;
    }
    // The copied representations hold while none has been taken away from any link since.
    for (std::size_t i = 0; i < n; ++i) {
        KELIRepRelation* r = repsEnleves() == enleves ? static_cast<KELIRepRelation*>(reps[i]) : rep(copie[i]);
        if (r)
            r->ajouterAuxLiens(lien);
    }
}

void KELIElemRelation::enleverLeLien(KELI* lien, KELICc* curseur)
{
    if (KELIRepRelation* r = rep(curseur))
        r->enleverAuxLiens(lien);
}

void KELIElemRelation::retenirLaFenetre(KELICc* fenetre)
{
    if (std::find(aRecharger_.begin(), aRecharger_.end(), fenetre) == aRecharger_.end())
        aRecharger_.push_back(fenetre);
}

void KELIElemRelation::revenueDansLaFenetre(KELICc* fenetre)
{
    auto it = std::find(aRecharger_.begin(), aRecharger_.end(), fenetre);
    if (it == aRecharger_.end())
        return;
    aRecharger_.erase(it);
    if (KELIRepRelation* r = rep(fenetre))
        r->rechargerPar(bord_ != 0);
}

void KELIElemRelation::majDActivationDuLienParent(KELI* lien, KELICc* curseur)
{
    if (KELIRepRelation* r = rep(curseur)) {
        if (lien->relationInt() == kel::kRelModelParent)
            r->setModelParent(nullptr);
        else if (lien->relationInt() == kel::kRelModelEnfant)
            r->setModelEnfant(nullptr);
    }
    KELI::majDActivationDuLienParent(lien, curseur);
}

// ---------------------------------------------------------------------------------------------
// KELIElemRelationMC

void KELIElemRelationMC::reveilleToi(KELICc* curseur)
{
    relation(curseur);
    if (idInt() == kel::kRelRelationsMC)
        ajouterAuxCurseursLeLien(this);
}

void KELIElemRelationMC::inEstPlaceDansOut(KELLien* e, KELICc* curseur)
{
    KELIElemRelation::inEstPlaceDansOut(e, curseur);
    if (e->relationInt() == idInt())
        ajouterAuxCurseursLeLien(e->lienIn());
}

void KELIElemRelationMC::outEstPlaceDansIn(KELLien* e, KELICc* curseur)
{
    KELIElemRelation::outEstPlaceDansIn(e, curseur);
    if (e->relationInt() == idInt())
        ajouterAuxCurseursLeLien(e->lienIn());
}

// ---------------------------------------------------------------------------------------------
// KELIModel

std::unique_ptr<KELIRep> KELIModel::nouveauRep(KELICc* curseur) { return std::make_unique<KELIRepModel>(curseur, this); }

KELIRepModel* KELIModel::rep(const KELICc* curseur) const { return static_cast<KELIRepModel*>(representant(curseur)); }

std::vector<KELI*> KELIModel::relationsParents(KELICc* c)
{
    KELIRepModel* r = rep(c);
    return r ? r->relationsParents() : std::vector<KELI*>{};
}

std::vector<KELI*> KELIModel::relationsEnfants(KELICc* c)
{
    KELIRepModel* r = rep(c);
    return r ? r->relationsEnfants() : std::vector<KELI*>{};
}

KELI* KELIModel::relationParentNommee(const std::string& nom, KELICc* c)
{
    KELIRepModel* r = rep(c);
    return r ? r->relationParentNommee(nom) : nullptr;
}

KELIElemRelation* KELIModel::relationMC(KELICc* c)
{
    KELIRepModel* r = rep(c);
    return r ? dynamic_cast<KELIElemRelation*>(r->relationMC()) : nullptr;
}

std::vector<KELI*> KELIModel::elements(KELICc* c)
{
    KELIRepModel* r = rep(c);
    return r ? r->elements() : std::vector<KELI*>{};
}

std::size_t KELIModel::nbDElements(KELICc* c) { return elements(c).size(); }

KELI* KELIModel::enfantDeRelIntParentInt(KELId rel, KELId parentInt, KELICc* c)
{
    KELIRepModel* r = rep(c);
    return r ? r->enfantDeRelIntParentInt(rel, parentInt) : nullptr;
}

void KELIModel::desactiverLeLien(KELI* lien, KELDate date, KELICc* c)
{
    if (KELIRepModel* r = rep(c))
        r->desactiverLeLien(lien, date);
}

namespace {
// Stores a prepared link of `classe`.
template <class T>
T* stocker(KELId parent, KELId enfant, KELId relation, KELDate in, KELDate out, KELICc* c)
{
    auto lien = std::make_unique<T>();
    lien->assignerParentInt(parent);
    lien->assignerEnfantInt(enfant);
    lien->assignerRelationInt(relation);
    lien->assignerInDate(in);
    lien->assignerOutDate(out);
    return dynamic_cast<T*>(KELServeurDeLiens::AjouterLienIn(std::move(lien), c));
}
} // namespace

KELI* KELIModel::ajouterUnElement(KELICc* c)
{
    const KELDate now = c->now();
    c->placeToi();
    KELIElemRelation* mc = relationMC(c);
    if (!mc)
        return nullptr;
    return stocker<KELI>(0, idInt(), mc->idInt(), now, mc->outDate(), c);
}

KELI* KELIModel::ajouterUneRelation(KELICc* c)
{
    const KELDate now = c->now();
    c->placeToi();
    KELIElemRelation* mc = relationMC(c);
    if (!mc)
        return nullptr;
    return stocker<KELIElemRelation>(0, idInt(), mc->idInt(), now, KELDateOuverte, c);
}

KELI* KELIModel::ajouterLaRelation(KELIModel* model, KELId relLien, KELICc* c)
{
    const KELDate now = c->now();
    c->placeToi();
    KELIElemRelation* mc = relationMC(c);
    if (!mc || !model)
        return nullptr;
    const KELServeurDeLiens::Acte acte(2);
    if (!acte.complet())
        return nullptr;
    KELI* r = stocker<KELIElemRelation>(0, idInt(), mc->idInt(), now, mc->outDate(), c);
    if (r)
        stocker<KELI>(r->idInt(), model->idInt(), relLien, now, mc->outDate(), c);
    return r;
}

KELI* KELIModel::ajouterUneRelationParentAuModel(KELIModel* model, KELICc* c)
{
    return ajouterLaRelation(model, kel::kRelModelParent, c);
}

KELI* KELIModel::ajouterUneRelationEnfantAuModel(KELIModel* model, KELICc* c)
{
    return ajouterLaRelation(model, kel::kRelModelEnfant, c);
}

KELI* KELIModel::ajouterUnModel(KELICc* c)
{
    const KELDate now = c->now();
    c->placeToi();
    KELIElemRelation* mc = relationMC(c);
    if (!mc)
        return nullptr;
    const KELServeurDeLiens::Acte acte(6);
    if (!acte.complet())
        return nullptr;
    KELI* n = stocker<KELIModel>(0, idInt(), mc->idInt(), now, KELDateOuverte, c);
    if (!n)
        return nullptr;
    KELI* rmc = stocker<KELIElemRelationMC>(0, kel::kModelDesRelations, kel::kRelRelationsMC, now, KELDateOuverte, c);
    if (!rmc)
        return n;
    stocker<KELI>(rmc->idInt(), n->idInt(), kel::kRelModelParent, now, KELDateOuverte, c);
    stocker<KELI>(rmc->idInt(), kel::kModelDesModels, kel::kRelModelEnfant, now, KELDateOuverte, c);
    stocker<KELI>(rmc->idInt(), kel::kNomElement, kel::kRelNom, now, KELDateOuverte, c);
    stocker<KELI>(rmc->idInt(), kel::kCardinalite, kel::kRelCardinalite, now, KELDateOuverte, c);
    return n;
}

// The removals bring the cursor past their moment first, as the additions do: a cursor still
// standing where it last stepped (the global cursor sleeps between events), or placed a moment
// before a clock that has moved on, would meet the new out-date ahead of it and keep showing the
// element until its next step.
KELI* KELIModel::enleverLElement(KELI* element, KELICc* c)
{
    const KELDate now = c->now();
    c->placeToi();
    desactiverLeLien(element, now, c);
    return element;
}

KELI* KELIModel::enleverLeModel(KELIModel* model, KELICc* c)
{
    const KELDate now = c->now();
    c->placeToi();
    for (std::size_t garde = 0; garde < 1000000; ++garde) {
        auto elements = model->elements(c);
        if (elements.empty())
            break;
        const std::size_t avant = elements.size();
        model->desactiverLeLien(elements.back(), now, c);
        if (model->elements(c).size() >= avant)
            break; // nothing could be closed: stop rather than loop
    }
    auto* relations = dynamic_cast<KELIModel*>(KELServeurDeLiens::LienForInt(kel::kModelDesRelations, c));
    if (relations) {
        for (std::size_t garde = 0; garde < 1000000; ++garde) {
            auto parents = model->relationsParents(c);
            if (parents.empty())
                break;
            const std::size_t avant = parents.size();
            relations->desactiverLeLien(parents.back(), now, c);
            if (model->relationsParents(c).size() >= avant)
                break;
        }
    }
    auto* models = dynamic_cast<KELIModel*>(KELServeurDeLiens::LienForInt(kel::kModelDesModels, c));
    if (models)
        models->desactiverLeLien(model, now, c);
    return model;
}

KELI* KELIModel::enleverLaRelation(KELIElemRelation* relation, KELICc* c)
{
    const KELDate now = c->now();
    c->placeToi();
    for (std::size_t garde = 0; garde < 1000000; ++garde) {
        auto liens = relation->liens(c);
        if (liens.empty())
            break;
        const std::size_t avant = liens.size();
        liens.back()->placeOutDate(now, c);
        if (relation->liens(c).size() >= avant)
            break;
    }
    auto* relations = dynamic_cast<KELIModel*>(KELServeurDeLiens::LienForInt(kel::kModelDesRelations, c));
    if (relations)
        relations->desactiverLeLien(relation, now, c);
    return nullptr;
}

void KELIModel::afficheLeContenu(KELICc* c)
{
    KELLog::ActiveLeLog(false);
    char line[256];
    auto info = [&](const char* fmt, long a, long b = 0) {
        std::snprintf(line, sizeof line, fmt, a, b);
        KELLog::LogInfo(line);
    };
    KELLog::LogInfo("--------------------------------------------");
    info("  _idInt du Model:      (%ld)", static_cast<long>(idInt()));
    KELIElemRelation* mc = relationMC(c);
    info("  RelationMC:           (%ld)", mc ? static_cast<long>(mc->idInt()) : 0L);
    auto elems = elements(c);
    auto parents = relationsParents(c);
    info("  nb d'Elements:         %ld", static_cast<long>(elems.size()));
    info("  nb de RelationParents: %ld", static_cast<long>(parents.size()));
    for (std::size_t i = 0; i < elems.size(); ++i) {
        info("  Element %ld:\t(%ld)", static_cast<long>(i), static_cast<long>(elems[i]->idInt()));
        for (std::size_t j = 0; j < parents.size(); ++j) {
            info("    RelParent %ld:\t(%ld)", static_cast<long>(j), static_cast<long>(parents[j]->idInt()));
            auto* rel = dynamic_cast<KELIElemRelation*>(parents[j]);
            const auto* enfants = rel ? rel->enfantsDuParent(elems[i], c) : nullptr;
            if (enfants)
                for (std::size_t k = 0; k < enfants->size(); ++k)
                    info("      Enfant %ld:\t(%ld)", static_cast<long>(k), static_cast<long>((*enfants)[k]->idInt()));
        }
    }
    KELLog::LogInfo("--------------------------------------------");
    KELLog::ActiveLeLog(true);
}

// ---------------------------------------------------------------------------------------------
// Value models

KELI* KELIModelBase::enleverLElement(KELI* element, KELICc* c)
{
    if (KELServeurDeLiens::LiensNumDeLEnfantInt(element->idInt()))
        return nullptr;
    const KELDate now = c->now();
    c->placeToi();
    element->placeOutDate(now, c);
    if (idInt() == kel::kModelNombre)
        KELServeurDeNombres::SuppNombreAvecBaseInt(element->baseInt());
    else
        KELServeurDeMots::SuppMotAvecBaseInt(element->baseInt());
    return element;
}

namespace {
KELI* ajouterUneValeur(KELIModel* model, const KELValue& v, KELICc* c)
{
    c->now();
    c->placeToi();
    KELIElemRelation* mc = model->relationMC(c);
    const KELId rel = mc ? mc->idInt() : (model->idInt() == kel::kModelNombre ? kel::kRelNombres : kel::kRelMots);
    return KELServeurDeLiens::AjouterLienIn(KELIElemBase::nouveau(model->idInt(), rel, v), c);
}
} // namespace

KELI* KELIModelMot::ajouterLeMot(const std::string& mot, KELICc* c) { return ajouterUneValeur(this, mot, c); }
KELI* KELIModelNombre::ajouterLeNombre(double nombre, KELICc* c) { return ajouterUneValeur(this, nombre, c); }

KELI* KELIModelCurseur::ajouterUnCurseurAvecLeCurseurSup(KELI* curseurSup, KELICc* c)
{
    const KELDate now = c->now();
    c->placeToi();
    KELIElemRelation* mc = relationMC(c);
    if (!mc)
        return nullptr;
    const KELServeurDeLiens::Acte acte(3);
    if (!acte.complet())
        return nullptr;
    KELI* e = stocker<KELIElemCurseur>(0, idInt(), mc->idInt(), now, mc->outDate(), c);
    if (!e)
        return nullptr;
    stocker<KELICurseur>(e->idInt(), e->idInt(), kel::kRelLienCurseur, now, now, c);
    stocker<KELI>(e->idInt(), curseurSup ? curseurSup->idInt() : kel::kElemCurseurGlobal, kel::kRelCurseurSup, now,
                  mc->outDate(), c);
    return e;
}

KELI* KELIModelContexte::ajouterUnContexte(KELICc* c)
{
    const KELDate now = c->now();
    c->placeToi();
    KELIElemRelation* mc = relationMC(c);
    if (!mc)
        return nullptr;
    const KELServeurDeLiens::Acte acte(2);
    if (!acte.complet())
        return nullptr;
    KELI* e = stocker<KELIElemContexte>(0, idInt(), mc->idInt(), now, mc->outDate(), c);
    if (!e)
        return nullptr;
    stocker<KELIContexte>(e->idInt(), e->idInt(), kel::kRelLienContexte, now + KELIContexte::kOffsetInParDefaut,
                          now + KELIContexte::kOffsetOutParDefaut, c);
    return e;
}

// ---------------------------------------------------------------------------------------------
// KELIElemBase

std::unique_ptr<KELIElemBase> KELIElemBase::nouveau(KELId model, KELId relationMC, const KELValue& v)
{
    auto e = std::make_unique<KELIElemBase>();
    e->assignerEnfantInt(model);
    e->assignerRelationInt(relationMC);
    e->assignerInDate(KELDateToujours);
    e->assignerOutDate(KELDateOuverte);
    e->assignerBase(v);
    return e;
}

void KELIElemBase::reveilleToi(KELICc* curseur)
{
    KELI::reveilleToi(curseur);
    if (!std::holds_alternative<std::monostate>(base_))
        return;
    if (enfantInt() == kel::kModelNombre)
        assignerBase(KELServeurDeNombres::BaseDuLien(this));
    else
        assignerBase(KELServeurDeMots::BaseDuLien(this));
}

void KELIElemBase::logLienIn(KELICc* curseur)
{
    KELI::logLienIn(curseur);
    char line[512];
    std::snprintf(line, sizeof line, "  BaseId   : %s (%ld)", std::to_string(baseInt()).c_str(), static_cast<long>(baseInt()));
    KELLog::LogInfo(line);
    std::snprintf(line, sizeof line, "  Base     :    (%s)", kelValueTxt(base_).c_str());
    KELLog::LogInfo(line);
}

void KELIElemBase::lachePrise()
{
    base_ = KELValue{};
    KELI::lachePrise();
}
