#include "engine/selection/KELSelection.h"

#include "engine/KELIRep.h"
#include "engine/KELModels.h"
#include "engine/KELServeurDeLiens.h"

#include <algorithm>

// ---------------------------------------------------------------------------------------------
// The link's controllers at a cursor

KELSelCtrlModel* KELI::selCtrlModel(KELICc* curseur)
{
    auto* model = dynamic_cast<KELIModel*>(this);
    KELIRepModel* rep = model ? model->rep(curseur) : nullptr;
    return rep ? rep->selCtrlModel() : nullptr;
}

KELSelCtrlRelation* KELI::selCtrlRelation(KELICc* curseur)
{
    KELIRep* rep = representant(curseur);
    KELIRepRelation* relation = rep ? rep->commeRelation() : nullptr;
    return relation ? relation->selCtrlRelation() : nullptr;
}

void KELSelDetruire::operator()(KELSelCtrlModel* c) const { delete c; }
void KELSelDetruire::operator()(KELSelCtrlRelation* c) const { delete c; }

namespace {

// The model controller of a model link at a cursor, only when one was made: walks and activation
// updates never make controllers (a model nobody chose in holds nothing to walk).
KELSelCtrlModel* ctrlExistant(KELI* model, KELICc* curseur)
{
    auto* m = model ? dynamic_cast<KELIModel*>(model) : nullptr;
    KELIRepModel* rep = m ? m->rep(curseur) : nullptr;
    return rep ? rep->selCtrlModelSiExistant() : nullptr;
}

const KELSelCtrl::Choix kAucunChoix;
const KELSelCtrl::Compte kAucunCompte;
const KELSelCtrlModel::Relations kAucuneRelation;

} // namespace

// ---------------------------------------------------------------------------------------------
// KELSelCompte

namespace {
std::size_t hacherObjet(const KELI* p, std::size_t masque)
{
    auto v = static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(p));
    v ^= v >> 17;
    v *= 0x9E3779B97F4A7C15ull;
    return static_cast<std::size_t>(v >> 32) & masque;
}
} // namespace

std::size_t KELSelCompte::chercher(const KELI* o) const
{
    const std::size_t masque = cases_.size() - 1;
    std::size_t i = hacherObjet(o, masque);
    while (cases_[i].cle && cases_[i].cle != o)
        i = (i + 1) & masque;
    return i;
}

std::size_t KELSelCompte::nb(const KELI* o) const
{
    if (cases_.empty() || !o)
        return 0;
    const Case& c = cases_[chercher(o)];
    return c.cle ? c.n : 0;
}

void KELSelCompte::agrandir()
{
    std::vector<Case> anciennes(cases_.empty() ? 16 : cases_.size() * 2);
    anciennes.swap(cases_);
    for (const Case& c : anciennes)
        if (c.cle)
            cases_[chercher(c.cle)] = c;
}

void KELSelCompte::ajouter(KELI* o, std::size_t n)
{
    if (!o || !n)
        return;
    if ((taille_ + 1) * 2 > cases_.size())
        agrandir();
    Case& c = cases_[chercher(o)];
    if (!c.cle) {
        c.cle = o;
        ++taille_;
    }
    c.n += n;
}

void KELSelCompte::retirer(KELI* o, std::size_t n)
{
    if (cases_.empty() || !o)
        return;
    std::size_t i = chercher(o);
    if (!cases_[i].cle)
        return;
    if (cases_[i].n > n) {
        cases_[i].n -= n;
        return;
    }
    // The case empties: the entries after it that would no longer be found move back.
    const std::size_t masque = cases_.size() - 1;
    cases_[i] = Case{};
    --taille_;
    for (std::size_t j = (i + 1) & masque; cases_[j].cle; j = (j + 1) & masque) {
        const std::size_t k = hacherObjet(cases_[j].cle, masque);
        const bool resteOuIlEst = i <= j ? (i < k && k <= j) : (i < k || k <= j);
        if (resteOuIlEst)
            continue;
        cases_[i] = cases_[j];
        cases_[j] = Case{};
        i = j;
    }
}

std::vector<std::pair<KELI*, std::size_t>> KELSelCompte::copie() const
{
    std::vector<std::pair<KELI*, std::size_t>> out;
    out.reserve(taille_);
    for (const Case& c : cases_)
        if (c.cle)
            out.emplace_back(c.cle, c.n);
    return out;
}

// ---------------------------------------------------------------------------------------------
// KELSelId

std::shared_ptr<KELSelId> KELSelId::nouveau() { return std::shared_ptr<KELSelId>(new KELSelId()); }

KELSelId::~KELSelId() = default;

void KELSelId::referencerCtrlMDeDepart(KELSelCtrlModel* m)
{
    if (!departDuGraphe_ && m) {
        departDuGraphe_ = m;
        m->retenirId(shared_from_this());
    }
    if (depart_ == m)
        return;
    // The old start lets go of its choices while it is still the start, so that its walks detach
    // from its chosen set.
    if (KELSelCtrlModel* ancien = depart_)
        ancien->rejeterTous(shared_from_this());
    depart_ = m;
    if (m)
        m->retenirId(shared_from_this());
    recalculerLesSens();
}

void KELSelId::recalculerLesSens()
{
    const KELSelIdRef moi = shared_from_this();
    std::unordered_set<KELSelCtrlModel*> graphe(orientes_);
    for (const auto& [c, n] : graphe_)
        graphe.insert(c);
    for (KELSelCtrlModel* c : graphe)
        c->annulerSensDePropagation(moi);
    if (depart_)
        depart_->propagerLeSens(moi);
}

void KELSelId::ajouterCtrlMAuGraphe(KELSelCtrlModel* m)
{
    if (!m)
        return;
    if (++graphe_[m] == 1)
        m->retenirId(shared_from_this());
}

void KELSelId::enleverCtrlMAuGraphe(KELSelCtrlModel* m)
{
    auto it = m ? graphe_.find(m) : graphe_.end();
    if (it == graphe_.end())
        return;
    if (--it->second == 0)
        graphe_.erase(it);
}

std::size_t KELSelId::nbDansLeGraphe(const KELSelCtrlModel* m) const
{
    auto it = graphe_.find(const_cast<KELSelCtrlModel*>(m));
    return it == graphe_.end() ? 0 : it->second;
}

void KELSelId::oublierCtrlM(KELSelCtrlModel* m)
{
    if (depart_ == m)
        depart_ = nullptr;
    if (departDuGraphe_ == m)
        departDuGraphe_ = nullptr;
    graphe_.erase(m);
    orientes_.erase(m);
}

// ---------------------------------------------------------------------------------------------
// KELSelCtrl

KELSelCtrl::KELSelCtrl(KELIRepModel* rep) : rep_(rep), curseur_(rep ? rep->curseur() : nullptr) {}

KELSelCtrl::~KELSelCtrl() = default;

void KELSelCtrl::choisir(KELI* o, const KELSelIdRef& s)
{
    if (o && s)
        choix_[s].insert(o);
}

void KELSelCtrl::rejeter(KELI* o, const KELSelIdRef& s)
{
    if (Choix* c = choix_.trouver(s.get()))
        c->erase(o);
}

void KELSelCtrl::rejeterTous(const KELSelIdRef& s)
{
    Choix* c = choix_.trouver(s.get());
    if (!c)
        return;
    const std::vector<KELI*> copie(c->begin(), c->end());
    for (KELI* o : copie)
        rejeter(o, s);
    c->clear();
}

std::size_t KELSelCtrl::nbDeChoix(const KELSelIdRef& s) const
{
    const Choix* c = choix_.trouver(s.get());
    return c ? c->size() : 0;
}

const KELSelCtrl::Choix& KELSelCtrl::choix(const KELSelIdRef& s) { return s ? choix_[s] : kAucunChoix; }

bool KELSelCtrl::siChoisit(KELI* o, const KELSelIdRef& s) const
{
    const Choix* c = choix_.trouver(s.get());
    return c && c->contains(o);
}

void KELSelCtrl::attacher(KELI* o, const KELSelIdRef& s, std::size_t n)
{
    if (o && s && n)
        attaches_[s].ajouter(o, n);
}

void KELSelCtrl::detacher(KELI* o, const KELSelIdRef& s, std::size_t n)
{
    if (Compte* c = attaches_.trouver(s.get()))
        c->retirer(o, n);
}

std::size_t KELSelCtrl::nbDAttaches(const KELSelIdRef& s) const
{
    const Compte* c = attaches_.trouver(s.get());
    return c ? c->size() : 0;
}

std::size_t KELSelCtrl::nbDAttaches(KELI* o, const KELSelIdRef& s) const
{
    const Compte* c = attaches_.trouver(s.get());
    return c ? c->nb(o) : 0;
}

const KELSelCtrl::Compte& KELSelCtrl::attaches(const KELSelIdRef& s) { return s ? attaches_[s] : kAucunCompte; }

// ---------------------------------------------------------------------------------------------
// KELSelCtrlRel

KELSelCtrlRel::KELSelCtrlRel(KELIRepModel* rep, bool finParent) : KELSelCtrl(rep), finParent_(finParent)
{
    if (rep)
        relations_ = finParent ? rep->relationsParents() : rep->relationsEnfants();
}

KELSelCtrlRel::~KELSelCtrlRel() = default;

void KELSelCtrlRel::choisir(KELI* relation, const KELSelIdRef& s)
{
    if (!relation || !s || siChoisit(relation, s))
        return;
    KELSelCtrlRelation* c = relation->selCtrlRelation(curseur_);
    if (!c)
        return;
    KELSelCtrl::choisir(relation, s);
    c->assignerLeSensDesAttaches(finParent_ ? 1 : 2, s);
    KELSelCtrlModel* source = c->ctrlMSource(s);
    KELSelCtrlModel* cible = c->ctrlMDeSortie(s);
    if (source)
        source->ajouterCtrlRSortie(c, s);
    if (cible)
        cible->ajouterCtrlREntree(c, s);
    c->choisir(s);
    s->recalculerLesSens();
}

void KELSelCtrlRel::rejeter(KELI* relation, const KELSelIdRef& s)
{
    if (!siChoisit(relation, s))
        return;
    KELSelCtrl::rejeter(relation, s);
    KELSelCtrlRelation* c = relation->selCtrlRelation(curseur_);
    if (!c)
        return;
    c->rejeter(s);
    if (KELSelCtrlModel* source = c->ctrlMSource(s))
        source->enleverCtrlRSortie(c, s);
    if (KELSelCtrlModel* cible = c->ctrlMDeSortie(s))
        cible->enleverCtrlREntree(c, s);
    s->recalculerLesSens();
}

void KELSelCtrlRel::rejeterTous(const KELSelIdRef& s)
{
    Choix* c = choix_.trouver(s.get());
    if (!c)
        return;
    const std::vector<KELI*> copie(c->begin(), c->end());
    for (KELI* r : copie)
        rejeter(r, s);
}

namespace {
std::unique_ptr<KELSelCtrlRel> finDuModelDesRelations(KELICc* curseur, bool finParent)
{
    auto* model = dynamic_cast<KELIModel*>(KELServeurDeLiens::LienForInt(kel::kModelDesRelations, curseur));
    KELIRepModel* rep = model ? model->rep(curseur) : nullptr;
    if (!rep)
        return nullptr;
    if (finParent)
        return std::make_unique<KELSelCtrlRelParent>(rep);
    return std::make_unique<KELSelCtrlRelEnfant>(rep);
}
} // namespace

KELSelCtrlRel* KELSelCtrlRel::ctrlRP()
{
    if (!ctrlRP_)
        ctrlRP_ = finDuModelDesRelations(curseur_, true);
    return ctrlRP_.get();
}

KELSelCtrlRel* KELSelCtrlRel::ctrlRE()
{
    if (!ctrlRE_)
        ctrlRE_ = finDuModelDesRelations(curseur_, false);
    return ctrlRE_.get();
}

void KELSelCtrlRel::attacherLesRelations(KELI* o, const KELSelIdRef& s)
{
    if (!o || !s)
        return;
    std::vector<KELI*>& attachees = attacheesPour_[s][o];
    for (KELI* r : relations_) {
        auto* rel = dynamic_cast<KELIElemRelation*>(r);
        if (!rel)
            continue;
        const auto* liens = finParent_ ? rel->liensDuParent(o, curseur_) : rel->liensDeLEnfant(o, curseur_);
        if (!liens)
            continue;
        attacher(r, s);
        attachees.push_back(r);
    }
}

void KELSelCtrlRel::detacherLesRelations(KELI* o, const KELSelIdRef& s)
{
    auto* table = attacheesPour_.trouver(s.get());
    if (!table)
        return;
    auto pour = table->find(o);
    if (pour == table->end())
        return;
    const std::vector<KELI*> attachees = std::move(pour->second);
    table->erase(pour);
    for (KELI* r : attachees)
        detacher(r, s);
}

void KELSelCtrlRel::attacherLaRelation(KELI* relation, const KELSelIdRef& s, std::size_t n)
{
    if (std::find(relations_.begin(), relations_.end(), relation) != relations_.end())
        attacher(relation, s, n);
}

void KELSelCtrlRel::detacherLaRelation(KELI* relation, const KELSelIdRef& s, std::size_t n)
{
    if (std::find(relations_.begin(), relations_.end(), relation) != relations_.end())
        detacher(relation, s, n);
}

// ---------------------------------------------------------------------------------------------
// KELSelCtrlModel

KELSelCtrlModel::KELSelCtrlModel(KELIRepModel* rep)
    : KELSelCtrl(rep), ctrlRP_(std::make_unique<KELSelCtrlRelParent>(rep)), ctrlRE_(std::make_unique<KELSelCtrlRelEnfant>(rep))
{
}

KELSelCtrlModel::~KELSelCtrlModel()
{
    for (const KELSelIdRef& s : ids_)
        s->oublierCtrlM(this);
    for (auto* table : {&entrees_, &sorties_})
        for (const auto& [s, relations] : *table)
            for (KELSelCtrlRelation* c : *relations)
                c->lacherPar(this);
    for (KELSelCtrlRelation* c : std::exchange(connus_, {}))
        c->oublierCtrlM(this);
}

void KELSelCtrlModel::choisir(KELI* o, const KELSelIdRef& s)
{
    if (!o || !s || siChoisit(o, s))
        return;
    s->referencerCtrlMDeDepart(this);
    KELSelCtrl::choisir(o, s);
    attacherLesRelations(o, s);
    attacherVersLesSorties(o, s);
    attacherVersLesEntrees(o, s);
}

void KELSelCtrlModel::rejeter(KELI* o, const KELSelIdRef& s)
{
    if (!siChoisit(o, s))
        return;
    detacherVersLesSorties(o, s);
    detacherVersLesEntrees(o, s);
    detacherLesRelations(o, s);
    KELSelCtrl::rejeter(o, s);
}

void KELSelCtrlModel::rejeterTous(const KELSelIdRef& s) { KELSelCtrl::rejeterTous(s); }

namespace {
void ajouterUneFois(KELSelCtrlModel::Relations& relations, KELSelCtrlRelation* c, bool& ajoute)
{
    ajoute = std::find(relations.begin(), relations.end(), c) == relations.end();
    if (ajoute)
        relations.push_back(c);
}
bool enleverDe(KELSelParId<KELSelCtrlModel::Relations>& table, KELSelCtrlRelation* c, const KELSelIdRef& s)
{
    KELSelCtrlModel::Relations* r = table.trouver(s.get());
    auto pos = r ? std::find(r->begin(), r->end(), c) : KELSelCtrlModel::Relations::iterator{};
    if (!r || pos == r->end())
        return false;
    r->erase(pos);
    return true;
}
} // namespace

void KELSelCtrlModel::ajouterCtrlREntree(KELSelCtrlRelation* c, const KELSelIdRef& s)
{
    bool ajoute = false;
    if (c && s)
        ajouterUneFois(entrees_[s], c, ajoute);
    if (ajoute)
        c->tenirPar(this);
}

void KELSelCtrlModel::enleverCtrlREntree(KELSelCtrlRelation* c, const KELSelIdRef& s)
{
    if (enleverDe(entrees_, c, s))
        c->lacherPar(this);
}

void KELSelCtrlModel::ajouterCtrlRSortie(KELSelCtrlRelation* c, const KELSelIdRef& s)
{
    bool ajoute = false;
    if (c && s)
        ajouterUneFois(sorties_[s], c, ajoute);
    if (ajoute)
        c->tenirPar(this);
}

void KELSelCtrlModel::enleverCtrlRSortie(KELSelCtrlRelation* c, const KELSelIdRef& s)
{
    if (enleverDe(sorties_, c, s))
        c->lacherPar(this);
}

const KELSelCtrlModel::Relations& KELSelCtrlModel::ctrlREntrees(const KELSelIdRef& s) const
{
    const Relations* r = entrees_.trouver(s.get());
    return r ? *r : kAucuneRelation;
}

const KELSelCtrlModel::Relations& KELSelCtrlModel::ctrlRSorties(const KELSelIdRef& s) const
{
    const Relations* r = sorties_.trouver(s.get());
    return r ? *r : kAucuneRelation;
}

bool KELSelCtrlModel::siEntree(const KELSelCtrlRelation* c, const KELSelIdRef& s) const
{
    const Relations& r = ctrlREntrees(s);
    return std::find(r.begin(), r.end(), c) != r.end();
}

bool KELSelCtrlModel::siSortie(const KELSelCtrlRelation* c, const KELSelIdRef& s) const
{
    const Relations& r = ctrlRSorties(s);
    return std::find(r.begin(), r.end(), c) != r.end();
}

void KELSelCtrlModel::oublierCtrlR(KELSelCtrlRelation* c)
{
    for (auto* table : {&entrees_, &sorties_})
        for (const auto& [s, relations] : *table)
            std::erase(*relations, c);
}

bool KELSelCtrlModel::siSortieVersCtrlM(const KELSelCtrlModel* m, const KELSelIdRef& s) const
{
    // Depth first, each controller once: a cycle of outputs ends instead of recursing for ever.
    std::unordered_set<const KELSelCtrlModel*> vus{this};
    std::vector<const KELSelCtrlModel*> aVoir{this};
    while (!aVoir.empty()) {
        const KELSelCtrlModel* x = aVoir.back();
        aVoir.pop_back();
        const Relations sorties = x->ctrlRSorties(s);
        for (auto it = sorties.rbegin(); it != sorties.rend(); ++it) {
            KELSelCtrlModel* suivant = (*it)->ctrlMDeSortie(s);
            if (!suivant)
                continue;
            if (suivant == m)
                return true;
            if (vus.insert(suivant).second)
                aVoir.push_back(suivant);
        }
    }
    return false;
}

void KELSelCtrlModel::propagerLeSens(const KELSelIdRef& s)
{
    sensDePropagation(s).assignerSensVersEntreSortie();
    for (KELSelCtrlRelation* c : Relations(ctrlRSorties(s)))
        c->propagerLeSensVerslesSorties(s);
    for (KELSelCtrlRelation* c : Relations(ctrlREntrees(s)))
        c->propagerLeSensVerslesEntrees(s);
}

void KELSelCtrlModel::propagerLeSensVerslesSorties(const KELSelIdRef& s)
{
    // A controller reached again takes the value but does not forward it: that ends the walk.
    if (!sensDePropagation(s).assignerSensVersSortie())
        return;
    for (KELSelCtrlRelation* c : Relations(ctrlRSorties(s)))
        c->propagerLeSensVerslesSorties(s);
}

void KELSelCtrlModel::propagerLeSensVerslesEntrees(const KELSelIdRef& s)
{
    if (!sensDePropagation(s).assignerSensVersEntree())
        return;
    for (KELSelCtrlRelation* c : Relations(ctrlREntrees(s)))
        c->propagerLeSensVerslesEntrees(s);
}

KELSelSens& KELSelCtrlModel::sensDePropagation(const KELSelIdRef& s)
{
    if (KELSelSens* sens = sens_.trouver(s.get()))
        return *sens;
    retenirId(s);
    s->orientes_.insert(this);
    return sens_[s];
}

KELSelSens KELSelCtrlModel::sensSiConnu(const KELSelIdRef& s) const
{
    const KELSelSens* sens = sens_.trouver(s.get());
    return sens ? *sens : KELSelSens();
}

void KELSelCtrlModel::annulerSensDePropagation(const KELSelIdRef& s) { sensDePropagation(s).assignerSensNonDefini(); }

std::vector<KELSelIdRef> KELSelCtrlModel::selIdsDePropagation() const
{
    std::vector<KELSelIdRef> ids;
    for (const auto& [s, sens] : sens_)
        ids.push_back(s);
    return ids;
}

void KELSelCtrlModel::marcher(KELI* o, const KELSelIdRef& s, std::size_t n, bool versSorties, bool attacher)
{
    bool& enMarche = versSorties ? enMarcheSortie_ : enMarcheEntree_;
    // Back on a controller whose walk is under way: the paths form a cycle, which would recurse
    // until the stack ran out. Attach and detach stop at the same place, so counts still mirror.
    if (enMarche || !o || !s || !n)
        return;
    Compte& passages = (versSorties ? passagesSortie_ : passagesEntree_)[s];
    if (attacher)
        passages.ajouter(o, n);
    else
        passages.retirer(o, n);
    const Relations* table = (versSorties ? sorties_ : entrees_).trouver(s.get());
    if (!table || table->empty())
        return;
    // Most models have one path out: no copy then (a walk never changes the paths).
    KELSelCtrlRelation* seule = table->size() == 1 ? table->front() : nullptr;
    const Relations relations = seule ? Relations{} : *table;
    enMarche = true;
    if (seule)
        seule->marcher(o, s, n, versSorties, attacher);
    for (KELSelCtrlRelation* c : relations)
        c->marcher(o, s, n, versSorties, attacher);
    enMarche = false;
}

void KELSelCtrlModel::attacherVersLesSorties(KELI* o, const KELSelIdRef& s, std::size_t n) { marcher(o, s, n, true, true); }
void KELSelCtrlModel::attacherVersLesEntrees(KELI* o, const KELSelIdRef& s, std::size_t n) { marcher(o, s, n, false, true); }
void KELSelCtrlModel::detacherVersLesSorties(KELI* o, const KELSelIdRef& s, std::size_t n) { marcher(o, s, n, true, false); }
void KELSelCtrlModel::detacherVersLesEntrees(KELI* o, const KELSelIdRef& s, std::size_t n) { marcher(o, s, n, false, false); }

namespace {
std::size_t passagesDe(const KELSelParId<KELSelCtrl::Compte>& table, KELI* o, const KELSelIdRef& s)
{
    const KELSelCtrl::Compte* c = table.trouver(s.get());
    return c ? c->nb(o) : 0;
}
} // namespace

std::size_t KELSelCtrlModel::passagesVersLesSorties(KELI* o, const KELSelIdRef& s) const { return passagesDe(passagesSortie_, o, s); }
std::size_t KELSelCtrlModel::passagesVersLesEntrees(KELI* o, const KELSelIdRef& s) const { return passagesDe(passagesEntree_, o, s); }

std::vector<std::pair<KELI*, std::size_t>> KELSelCtrlModel::passagesVersLesSorties(const KELSelIdRef& s) const
{
    const Compte* c = passagesSortie_.trouver(s.get());
    return c ? c->copie() : std::vector<std::pair<KELI*, std::size_t>>{};
}

std::vector<std::pair<KELI*, std::size_t>> KELSelCtrlModel::passagesVersLesEntrees(const KELSelIdRef& s) const
{
    const Compte* c = passagesEntree_.trouver(s.get());
    return c ? c->copie() : std::vector<std::pair<KELI*, std::size_t>>{};
}

void KELSelCtrlModel::attacherLesRelations(KELI* o, const KELSelIdRef& s)
{
    ctrlRP_->attacherLesRelations(o, s);
    ctrlRE_->attacherLesRelations(o, s);
}

void KELSelCtrlModel::detacherLesRelations(KELI* o, const KELSelIdRef& s)
{
    ctrlRP_->detacherLesRelations(o, s);
    ctrlRE_->detacherLesRelations(o, s);
}

void KELSelCtrlModel::attacherLaRelation(KELI* relation, const KELSelIdRef& s, std::size_t n)
{
    ctrlRP_->attacherLaRelation(relation, s, n);
    ctrlRE_->attacherLaRelation(relation, s, n);
}

void KELSelCtrlModel::detacherLaRelation(KELI* relation, const KELSelIdRef& s, std::size_t n)
{
    ctrlRP_->detacherLaRelation(relation, s, n);
    ctrlRE_->detacherLaRelation(relation, s, n);
}

// ---------------------------------------------------------------------------------------------
// KELSelCtrlRelation

KELSelCtrlRelation::KELSelCtrlRelation(KELIRepRelation* rep) : rep_(rep), curseur_(rep ? rep->curseur() : nullptr) {}

KELSelCtrlRelation::~KELSelCtrlRelation()
{
    const auto tenants = std::move(tenuPar_);
    for (const auto& [m, n] : tenants)
        m->oublierCtrlR(this);
    for (KELSelCtrlModel* m : auBout_)
        if (m)
            m->connus_.erase(this);
}

void KELSelCtrlRelation::oublierCtrlM(KELSelCtrlModel* m)
{
    for (KELSelCtrlModel*& b : auBout_)
        if (b == m)
            b = nullptr;
}

KELSelCtrlModel* KELSelCtrlRelation::existantAuBout(bool parent)
{
    KELI* model = parent ? rep_->modelParent() : rep_->modelEnfant();
    KELSelCtrlModel*& m = auBout_[parent ? 0 : 1];
    // Remembered while it lives and while the relation keeps that model.
    if (m && model && m->repModel() && m->repModel()->lien() == model)
        return m;
    if (m)
        m->connus_.erase(this);
    m = ctrlExistant(model, curseur_);
    if (m)
        m->connus_.insert(this);
    return m;
}

void KELSelCtrlRelation::lacherPar(KELSelCtrlModel* m)
{
    auto it = tenuPar_.find(m);
    if (it != tenuPar_.end() && --it->second == 0)
        tenuPar_.erase(it);
}

void KELSelCtrlRelation::assignerLeSensDesAttaches(unsigned sens, const KELSelIdRef& s)
{
    if (!s)
        return;
    if (sens == 1) {
        if (!contient(sensPE_, s))
            sensPE_.push_back(s);
    } else {
        std::erase(sensPE_, s);
    }
}

void KELSelCtrlRelation::attacher(KELI* lien, const KELSelIdRef& s, std::size_t n)
{
    if (lien && s && n)
        attaches_[s].ajouter(lien, n);
}

void KELSelCtrlRelation::detacher(KELI* lien, const KELSelIdRef& s, std::size_t n)
{
    if (Compte* c = attaches_.trouver(s.get()))
        c->retirer(lien, n);
}

std::size_t KELSelCtrlRelation::nbDAttaches(const KELSelIdRef& s) const
{
    const Compte* c = attaches_.trouver(s.get());
    return c ? c->size() : 0;
}

const KELSelCtrlRelation::Compte& KELSelCtrlRelation::attaches(const KELSelIdRef& s) { return s ? attaches_[s] : kAucunCompte; }

KELSelCtrlModel* KELSelCtrlRelation::ctrlMParent()
{
    KELI* m = rep_ ? rep_->modelParent() : nullptr;
    return m ? m->selCtrlModel(curseur_) : nullptr;
}

KELSelCtrlModel* KELSelCtrlRelation::ctrlMEnfant()
{
    KELI* m = rep_ ? rep_->modelEnfant() : nullptr;
    return m ? m->selCtrlModel(curseur_) : nullptr;
}

KELSelCtrlModel* KELSelCtrlRelation::ctrlMSource(const KELSelIdRef& s) { return siParentVersEnfant(s) ? ctrlMParent() : ctrlMEnfant(); }
KELSelCtrlModel* KELSelCtrlRelation::ctrlMDeSortie(const KELSelIdRef& s) { return siParentVersEnfant(s) ? ctrlMEnfant() : ctrlMParent(); }

void KELSelCtrlRelation::choisir(const KELSelIdRef& s)
{
    if (!s)
        return;
    KELSelCtrlModel* source = ctrlMSource(s);
    KELSelCtrlModel* cible = ctrlMDeSortie(s);
    if (source && cible) {
        // Each object as many times as walks went on from it, so that the counts are those of a
        // path that was open when the walks came; closing walks the same objects back.
        const auto sorties = source->passagesVersLesSorties(s);
        const auto entrees = source != cible ? cible->passagesVersLesEntrees(s) : std::vector<std::pair<KELI*, std::size_t>>{};
        if (source != cible && source->sensSiConnu(s).siSensVersSortie())
            cible->propagerLeSensVerslesSorties(s);
        for (const auto& [o, n] : sorties)
            attacherVersLesSorties(o, s, n);
        // The selection already comes into the target from downstream: it goes on upstream
        // through the new path at once (closing the path takes it back, the start letting go).
        if (source != cible && cible->sensSiConnu(s).siSensVersEntree())
            source->propagerLeSensVerslesEntrees(s);
        for (const auto& [o, n] : entrees)
            attacherVersLesEntrees(o, s, n);
    }
    s->ajouterCtrlMAuGraphe(cible);
    if (!contient(choix_, s))
        choix_.push_back(s);
}

void KELSelCtrlRelation::rejeter(const KELSelIdRef& s)
{
    if (!s || !contient(choix_, s))
        return;
    std::erase(choix_, s);
    KELSelCtrlModel* source = ctrlMSource(s);
    KELSelCtrlModel* cible = ctrlMDeSortie(s);
    if (source)
        for (const auto& [o, n] : source->passagesVersLesSorties(s))
            detacherVersLesSorties(o, s, n);
    // The selection came into the target from downstream: without this path it has no start.
    if (cible && cible != source && cible->sensSiConnu(s).siSensVersEntree())
        s->referencerCtrlMDeDepart(nullptr);
    else if (cible && cible != source)
        for (const auto& [o, n] : cible->passagesVersLesEntrees(s))
            detacherVersLesEntrees(o, s, n);
    s->enleverCtrlMAuGraphe(cible);
}

// A relation from a model to itself carries no direction: walks go no further through it, and
// the model handing itself the other direction would lose the one it has (the start its outputs).
void KELSelCtrlRelation::propagerLeSensVerslesSorties(const KELSelIdRef& s)
{
    KELSelCtrlModel* source = ctrlMSource(s);
    KELSelCtrlModel* cible = ctrlMDeSortie(s);
    if (cible && cible != source)
        cible->propagerLeSensVerslesSorties(s);
}

void KELSelCtrlRelation::propagerLeSensVerslesEntrees(const KELSelIdRef& s)
{
    KELSelCtrlModel* source = ctrlMSource(s);
    KELSelCtrlModel* cible = ctrlMDeSortie(s);
    if (source && source != cible)
        source->propagerLeSensVerslesEntrees(s);
}

void KELSelCtrlRelation::marcher(KELI* o, const KELSelIdRef& s, std::size_t n, bool versSorties, bool attacher)
{
    if (!o || !rep_)
        return;
    KELSelCtrlModel* p = existantAuBout(true);
    KELSelCtrlModel* e = existantAuBout(false);
    if (!p || !e)
        return;
    const bool distincts = p != e;
    // A relation from a model to itself is walked towards outputs only, and no further.
    if (!versSorties && !distincts)
        return;
    // Towards outputs from o along parent->child, or towards inputs along child->parent, o is the
    // parent of the links walked; otherwise their child.
    const bool pe = siParentVersEnfant(s);
    const bool oParent = versSorties == pe;
    const std::vector<KELI*>* liste = oParent ? rep_->liensDuParent(o) : rep_->liensDeLEnfant(o);
    if (!liste)
        return;
    const std::vector<KELI*> liens = *liste;
    KELI* relation = rep_->lien();
    for (KELI* l : liens) {
        KELI* autre = oParent ? l->enfant(curseur_) : l->parent(curseur_);
        if (!autre)
            continue;
        KELSelCtrlModel* chezO = oParent ? p : e;
        KELSelCtrlModel* chezAutre = oParent ? e : p;
        // The relation is reached at the end the walk crosses it from, once per step, as the
        // activation of a link attaches it there: so that the two stay each other's mirror.
        if (attacher) {
            chezO->attacher(o, s, n);
            chezAutre->attacher(autre, s, n);
            chezO->attacherLaRelation(relation, s, n);
        } else {
            chezO->detacher(o, s, n);
            chezAutre->detacher(autre, s, n);
            chezO->detacherLaRelation(relation, s, n);
        }
        if (distincts)
            chezAutre->marcher(autre, s, n, versSorties, attacher);
    }
}

void KELSelCtrlRelation::attacherVersLesSorties(KELI* o, const KELSelIdRef& s, std::size_t n) { marcher(o, s, n, true, true); }
void KELSelCtrlRelation::attacherVersLesEntrees(KELI* o, const KELSelIdRef& s, std::size_t n) { marcher(o, s, n, false, true); }
void KELSelCtrlRelation::detacherVersLesSorties(KELI* o, const KELSelIdRef& s, std::size_t n) { marcher(o, s, n, true, false); }
void KELSelCtrlRelation::detacherVersLesEntrees(KELI* o, const KELSelIdRef& s, std::size_t n) { marcher(o, s, n, false, false); }

void KELSelCtrlRelation::majDActivationDuLien(KELI* lien) { majDuLien(lien, true); }
void KELSelCtrlRelation::majDeDesactivationDuLien(KELI* lien) { majDuLien(lien, false); }

void KELSelCtrlRelation::majDuLien(KELI* lien, bool attacher)
{
    if (choix_.empty() || !lien || !rep_)
        return;
    KELSelCtrlModel* p = existantAuBout(true);
    KELSelCtrlModel* e = existantAuBout(false);
    if (!p || !e)
        return;
    KELIRep* r = lien->representant(curseur_);
    KELI* po = r && r->parentSiConnu() ? r->parentSiConnu() : lien->parent(curseur_);
    KELI* eo = r && r->enfantSiConnu() ? r->enfantSiConnu() : lien->enfant(curseur_);
    if (!po || !eo)
        return;
    KELI* relation = rep_->lien();
    const bool distincts = p != e;
    auto pas = [&](std::size_t n, KELSelCtrlModel* suite, KELI* depuis, bool versSorties, KELSelCtrlModel* fin, const KELSelIdRef& s) {
        if (attacher) {
            p->attacher(po, s, n);
            e->attacher(eo, s, n);
        } else {
            p->detacher(po, s, n);
            e->detacher(eo, s, n);
        }
        if (suite)
            suite->marcher(depuis, s, n, versSorties, attacher);
        if (attacher)
            fin->attacherLaRelation(relation, s, n);
        else
            fin->detacherLaRelation(relation, s, n);
    };
    if (!distincts) {
        // From a model to itself: walked towards outputs from the link's parent (parent to child)
        // or child, attaching both ends and going no further.
        // (Walks change counts, never directions: the table stands still while it is read.)
        for (const auto& [s, sens] : p->sens_)
            if (sens->siSensVersSortie() && contient(choix_, s) && p->siSortie(this, s))
                if (const std::size_t n = p->passagesVersLesSorties(siParentVersEnfant(s) ? po : eo, s))
                    pas(n, nullptr, nullptr, true, p, s);
        return;
    }
    // Each end in turn: for the ids it holds a direction for and this path is open under, a walk
    // that went on from the link's object there goes on through the link, as many times as it did.
    for (int bout = 0; bout < 2; ++bout) {
        KELSelCtrlModel* ici = bout == 0 ? p : e;
        KELSelCtrlModel* la = bout == 0 ? e : p;
        KELI* oIci = bout == 0 ? po : eo;
        KELI* oLa = bout == 0 ? eo : po;
        for (const auto& [s, sensRef] : ici->sens_) {
            if (!contient(choix_, s))
                continue;
            const KELSelSens sens = *sensRef;
            if (sens.siSensVersEntree() && ici->siEntree(this, s))
                if (const std::size_t n = ici->passagesVersLesEntrees(oIci, s))
                    pas(n, la, oLa, false, ici, s);
            if (sens.siSensVersSortie() && ici->siSortie(this, s))
                if (const std::size_t n = ici->passagesVersLesSorties(oIci, s))
                    pas(n, la, oLa, true, ici, s);
        }
    }
}
