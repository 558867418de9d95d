#include "engine/KELServeurDeLiens.h"

#include "engine/KELClasses.h"
#include "engine/KELMemoire.h"
#include "engine/KELICurseur.h"
#include "engine/KELModels.h"
#include "runtime/Clock.h"
#include "runtime/Log.h"
#include "engine/store/KELChercheurDe.h"
#include "engine/store/KELChercheurDeLiens.h"
#include "engine/store/KELChercheurDeMots.h"
#include "engine/store/KELChercheurDeNombres.h"

#include <algorithm>
#include <array>
#include <deque>
#include <unordered_map>
#include <unordered_set>

using tallomer::logFormat;

namespace {

struct EnAttente {
    KELI* lien;
    KELICc* curseur;
};

// The id cache. User ids are handed out one after the other, so they live in a dense array (8 bytes
// a link); fixed ids and stray ones go to a map.
class Cache {
public:
    KELI* trouver(KELId id) const
    {
        const std::size_t i = index(id);
        if (i < dense_.size())
            return dense_[i].get();
        // A user id beyond the dense part (a relation being read meets its rows before their
        // links are made) is elsewhere only if one that far was ever kept.
        if (i != kHors && !utilisateursAutres_)
            return nullptr;
        // Fixed ids (relations above all) are asked for at every crossing: the last ones found
        // are remembered. Nothing leaves the cache or is replaced in it, so a hit stays true.
        Retenu& r = retenus_[id % kRetenus];
        if (r.id == id)
            return r.lien;
        auto it = autres_.find(id);
        if (it == autres_.end())
            return nullptr;
        r = Retenu{id, it->second.get()};
        return r.lien;
    }
    bool contient(KELId id) const { return trouver(id) != nullptr; }
    // Asks for the slot of a user id without waiting for it.
    void prefetch(KELId id) const
    {
        if (const std::size_t i = index(id); i < dense_.size())
            __builtin_prefetch(&dense_[i]);
    }
    void reserverJusquA(KELId id)
    {
        if (const std::size_t i = index(id); i != kHors && i >= dense_.size() && i < dense_.size() + kMarge)
            kelReserver(dense_, i + 1);
    }
    KELI* inserer(KELId id, std::unique_ptr<KELI> lien)
    {
        KELI* p = lien.get();
        const std::size_t i = index(id);
        if (i != kHors && id > plusGrandUtilisateur_)
            plusGrandUtilisateur_ = id;
        if (i != kHors && i < dense_.size() + kMarge) {
            if (i >= dense_.size())
                dense_.resize(i + 1);
            dense_[i] = std::move(lien);
        } else {
            if (i != kHors)
                utilisateursAutres_ = true;
            autres_.emplace(id, std::move(lien));
        }
        return p;
    }
    template <class F>
    void pourChaque(F&& f)
    {
        for (auto& l : dense_)
            if (l)
                f(l.get());
        for (auto& [id, l] : autres_)
            f(l.get());
    }

    // The highest user id in memory (erased links keep theirs).
    KELId plusGrandUtilisateur() const { return plusGrandUtilisateur_; }

private:
    static constexpr std::size_t kHors = static_cast<std::size_t>(-1);
    KELId plusGrandUtilisateur_ = 0;
    static constexpr std::size_t kMarge = 1u << 20;
    static std::size_t index(KELId id)
    {
        if (id <= KELIdSpace::minId() || id >= KELIdSpace::maxId())
            return kHors;
        return static_cast<std::size_t>(id - KELIdSpace::minId() - 1);
    }
    std::vector<std::unique_ptr<KELI>> dense_;
    std::unordered_map<KELId, std::unique_ptr<KELI>> autres_;
    bool utilisateursAutres_ = false; // whether autres_ holds any user id
    struct Retenu {
        KELId id = 0;
        KELI* lien = nullptr; // not owned
    };
    static constexpr std::size_t kRetenus = 256;
    mutable std::array<Retenu, kRetenus> retenus_{};
};

struct Etat {
    KELGrandTableau gt;
    Cache cache;
    std::unique_ptr<KELChercheurDeLiens> chercheur;
    std::vector<EnAttente> enAttente;
    bool placementLibre = true;   // no placement running further up
    std::size_t placeJusquA = 0;  // events before this index are in time order
    KELProgressDelegate* delegue = nullptr; // not owned
    KELICurseurGlobal* curseurGlobal = nullptr;
    KELIContexteGlobal* contexteGlobal = nullptr;
    std::vector<KELICc*> fenetres;
    std::unordered_map<KELId, KELRow> lus; // rows read ahead, not yet woken
    int ecrituresSuspendues = 0;
    // What the set of writes under way (KELChercheurDe::Ensemble) did in memory, to be taken back
    // if the store does not keep it.
    struct Journal {
        std::vector<EnAttente> crees;         // links made, with the window each was made in
        std::unordered_set<KELId> creesIds;
        std::vector<EnAttente> touches;       // links of earlier sets whose rows were written again
        std::unordered_set<KELId> touchesIds;
        std::vector<KELId> mots, nombres;     // values made
        std::vector<std::function<void()>> siRefuse; // the acts' work should the set not be stored
    } journal;
    // Links made in a set of writes the store did not keep: no row of theirs is ever written.
    std::unordered_set<KELId> perdus;

    static constexpr std::size_t kEnAttenteInitiale = 300; // links woken at once, before they are placed
    Etat() { enAttente.reserve(kEnAttenteInitiale); }
};

std::unique_ptr<Etat> g;

Etat& etat()
{
    if (!g)
        KELServeurDeLiens::initialize();
    return *g;
}

KELRow rangDe(const KELI* lien)
{
    KELRow r;
    r.id = lien->idInt();
    r.base = lien->baseInt();
    r.className = lien->kelClasse();
    r.inDate = lien->inDate();
    r.outDate = lien->outDate();
    r.child = lien->enfantInt();
    r.parent = lien->parentInt();
    r.relation = lien->relationInt();
    return r;
}

// While a compound act runs, the intermediate rewrites of the row are skipped: the act writes the
// final row once.
struct SansEcriture {
    SansEcriture() { ++etat().ecrituresSuspendues; }
    ~SansEcriture() { --etat().ecrituresSuspendues; }
};

// What the set of writes under way does, noted for finDEnsemble.
void noterCree(KELI* lien, KELICc* curseur)
{
    Etat& e = etat();
    if (!KELChercheurDe::EnsembleOuvert() || !lien)
        return;
    if (e.journal.creesIds.insert(lien->idInt()).second)
        e.journal.crees.push_back({lien, curseur});
}

void noterTouche(const KELI* lien, KELICc* curseur)
{
    Etat& e = etat();
    if (!KELChercheurDe::EnsembleOuvert() || !lien || e.journal.creesIds.count(lien->idInt()))
        return;
    if (e.journal.touchesIds.insert(lien->idInt()).second)
        e.journal.touches.push_back({const_cast<KELI*>(lien), curseur});
}

// A link to or from a link the store never kept would stand in the store pointing at an id it
// does not hold (and that a later run hands out again): the link server makes none. Asked at
// every new link, so it costs nothing while no link is lost.
bool refuserUnLienPerdu(const char* operation, KELId parent, KELId enfant, KELId relation)
{
    const Etat& e = etat();
    if (e.perdus.empty())
        return false;
    const std::pair<const char*, KELId> bouts[] = {{"parent", parent}, {"child", enfant}, {"relation", relation}};
    for (const auto& [role, id] : bouts) {
        if (id && e.perdus.count(id)) {
            logFormat("KELServeurDeLiens %s: refused, its %s %lu was made by an act the store did not keep",
                      operation, role, static_cast<unsigned long>(id));
            return true;
        }
    }
    return false;
}

std::unique_ptr<KELI> lienDeLaRangee(const KELRow& row)
{
    std::unique_ptr<KELI> lien = KELClasses::creer(row.className);
    if (!lien) {
        logFormat("ERREUR!!! Classe '%s' inconnue!", row.className.c_str());
        return nullptr;
    }
    lien->assignerParentInt(row.parent);
    lien->assignerEnfantInt(row.child);
    lien->assignerRelationInt(row.relation);
    lien->assignerBaseInt(row.base);
    lien->assignerInDate(row.inDate);
    lien->assignerOutDate(row.outDate);
    return lien;
}

// What carrying a newly placed link in from the end of the table tells the windows and the
// link's relation (see KELLien.h, "Batches").
void activerApresPlacement(KELI* lien, KELICc* curseur)
{
    if (lien->siCurseur()) {
        if (KELI* relation = KELServeurDeLiens::LienForInt(lien->relationInt(), curseur))
            relation->ajouterAuxCurseursLeLien(lien);
        return;
    }
    lien->scannToiAGaucheCurseur(curseur);
}

} // namespace

// ---------------------------------------------------------------------------------------------

namespace {
void finDEnsemble(bool stocke);
} // namespace

void KELServeurDeLiens::initialize()
{
    if (g)
        return;
    g = std::make_unique<Etat>();
    g->chercheur = std::make_unique<KELChercheurDeLiens>();
    KELChercheurDe::setFinDEnsemble(&finDEnsemble);

    const KELDate now = tallomer::Clock::shared().now();
    auto curseur = std::make_unique<KELICurseurGlobal>();
    curseur->assignerParentInt(kel::kElemCurseurGlobal);
    curseur->assignerEnfantInt(kel::kElemCurseurGlobal);
    curseur->assignerRelationInt(kel::kRelLienCurseur);
    curseur->assignerInDate(now);
    curseur->assignerOutDate(now);
    auto contexte = std::make_unique<KELIContexteGlobal>();
    contexte->assignerParentInt(kel::kElemContexteGlobal);
    contexte->assignerEnfantInt(kel::kElemContexteGlobal);
    contexte->assignerRelationInt(kel::kRelLienContexte);
    contexte->assignerInDate(now - KELIContexteGlobal::kDemiLargeur);
    contexte->assignerOutDate(now + KELIContexteGlobal::kDemiLargeur);
    curseur->setContexte(contexte.get());
    contexte->setCurseur(curseur.get());
    g->curseurGlobal = curseur.get();
    g->contexteGlobal = contexte.get();
    KELICurseurGlobal* cg = g->curseurGlobal;
    AssigneLien(std::move(curseur), kel::kCurseurGlobal, cg);
    AssigneLien(std::move(contexte), kel::kContexteGlobal, cg);
}

bool KELServeurDeLiens::estInitialise() { return g != nullptr; }

KELServeurDeLiens::Groupe::Groupe() : ancien_(etat().placementLibre) { etat().placementLibre = false; }

KELServeurDeLiens::Groupe::~Groupe()
{
    Etat& e = etat();
    e.placementLibre = ancien_;
    if (ancien_ && !e.enAttente.empty())
        placerLesLiensEnAttente();
}

void KELServeurDeLiens::reset()
{
    if (g) {
        // Links refer to each other without owning: drop the references before the objects.
        g->cache.pourChaque([](KELI* lien) { lien->lachePrise(); });
        g.reset();
        KELI::oublierLesVus();
        KELI::oublierLesChannels();
    }
    KELServeurDeMots::reset();
    KELServeurDeNombres::reset();
    KELChercheurDe::resetConnection();
}

KELI* KELServeurDeLiens::AssigneLien(std::unique_ptr<KELI> lienPossede, KELId id, KELICc* curseur)
{
    Etat& e = etat();
    if (id == 0 || !lienPossede)
        return nullptr;
    if (e.cache.contient(id)) {
        logFormat("KELServeurDeLiens _AssigneLien: id %lu is already in memory", static_cast<unsigned long>(id));
        return nullptr;
    }
    KELI* lien = lienPossede.get();
    lien->assignerIdInt(id);
    e.cache.inserer(id, std::move(lienPossede));
    if (lien->siCurseur())
        e.fenetres.push_back(static_cast<KELICc*>(lien));
    lien->ajouterLeCurseur(curseur);
    e.gt.append(lien);
    e.gt.append(lien->lienOut());
    if (e.delegue)
        e.delegue->increment();
    e.enAttente.push_back({lien, curseur});
    lien->reveilleToi(curseur);
    if (!e.placementLibre)
        return lien;
    if (e.enAttente.empty())
        return lien;
    placerLesLiensEnAttente();
    return lien;
}

void KELServeurDeLiens::placerLesLiensEnAttente()
{
    Etat& e = etat();
    while (!e.enAttente.empty()) {
        std::vector<EnAttente> lot;
        lot.swap(e.enAttente);
        e.placementLibre = false;
        if (e.gt.passesEnCours() > 0) {
            for (const EnAttente& a : lot) {
                a.lien->placeToiAGaucheCurseur(a.curseur);
                a.lien->lienOut()->placeToiAGaucheCurseur(a.curseur);
            }
            e.placeJusquA = e.gt.count();
            continue;
        }
        e.gt.fusionnerLaFin(e.placeJusquA);
        e.placeJusquA = e.gt.count();
        for (const EnAttente& a : lot)
            activerApresPlacement(a.lien, a.curseur);
        // Links woken by these activations were appended after the merge: the next turn of the
        // loop places them.
    }
    e.placementLibre = true;
    if (e.gt.passesEnCours() == 0)
        e.gt.verifierSiDemande();
}

namespace {
// The context of the cursor a link is woken for sees it too.
void ajouterLeContexte(KELI* lien, KELICc* curseur)
{
    KELICc* contexte = curseur->contexte();
    if (contexte && contexte != curseur && lien->ajouterLeCurseur(contexte)) {
        lien->scannToiAGaucheCurseur(contexte);
        lien->lienOut()->scannToiAGaucheCurseur(contexte);
    }
}

// A link read from the store, not yet in memory, registered for a cursor.
KELI* reveillerDepuisLaRangee(const KELRow& row, KELICc* curseur)
{
    std::unique_ptr<KELI> nouveau = lienDeLaRangee(row);
    if (!nouveau)
        return nullptr;
    KELI* lien = KELServeurDeLiens::AssigneLien(std::move(nouveau), row.id, curseur);
    if (lien)
        ajouterLeContexte(lien, curseur);
    return lien;
}
// The values of the elements among `rangees` that are about to wake: read with a few
// statements, where waking each would read its own.
void prelireLesValeurs(const KELRow* rangees, std::size_t n)
{
    const auto& cache = etat().cache;
    std::vector<KELId> nombres, mots;
    for (std::size_t i = 0; i < n; ++i) {
        const KELRow& row = rangees[i];
        if (!row.id || !row.base || row.className != "KELIElemBase" || cache.contient(row.id))
            continue;
        (row.child == kel::kModelNombre ? nombres : mots).push_back(row.base);
    }
    KELServeurDeNombres::Prefetch(nombres);
    KELServeurDeMots::Prefetch(mots);
}
} // namespace

KELI* KELServeurDeLiens::LienForInt(KELId id, KELICc* curseur)
{
    if (id == 0)
        return nullptr;
    Etat& e = etat();
    KELI* lien = e.cache.trouver(id);
    if (!curseur)
        return lien;
    if (!lien) {
        std::optional<KELRow> row;
        if (auto lu = e.lus.find(id); lu != e.lus.end()) {
            row = std::move(lu->second);
            e.lus.erase(lu);
        } else {
            row = e.chercheur->loadRowInt(id);
        }
        return row ? reveillerDepuisLaRangee(*row, curseur) : nullptr;
    }
    // Most calls find the link already shown in the cursor and its context (a crossing asks for
    // the relation, the parent and the child of every link it passes): answer those at once.
    const KELICc* contexteVu = nullptr;
    const bool vu = lien->siVuDans(curseur, contexteVu);
    if (vu || lien->representant(curseur)) {
        KELICc* contexte = curseur->contexte();
        if (vu && contexteVu == contexte)
            return lien;
        if (!contexte || contexte == curseur || lien->representant(contexte)) {
            lien->retenirVuDans(curseur, contexte);
            return lien;
        }
        if (lien->ajouterLeCurseur(contexte)) {
            lien->scannToiAGaucheCurseur(contexte);
            lien->lienOut()->scannToiAGaucheCurseur(contexte);
        }
        return lien;
    }
    if (lien->ajouterLeCurseur(curseur)) {
        lien->reveilleToi(curseur);
        lien->scannToiAGaucheCurseur(curseur);
        lien->lienOut()->scannToiAGaucheCurseur(curseur);
    }
    ajouterLeContexte(lien, curseur);
    return lien;
}

bool KELServeurDeLiens::ReveillerLaRelInt(KELId rel, KELICc* curseur, const std::vector<KELICc*>& autres)
{
    Etat& e = etat();
    if (!curseur)
        return false;
    // Most links of a large relation lie outside every window: asking for those changes nothing.
    auto demander = [](KELI* lien, KELICc* fenetre) {
        if (fenetre->siVoitLeLien(lien))
            LienForInt(lien->idInt(), fenetre);
    };
    bool lus = false;
    const Groupe groupe;
    e.chercheur->forEachBlocDeLaRelInt(
        rel,
        [&](std::size_t rangees) {
            // Room for the new links is made once: a relation of a large base would otherwise
            // grow the event table and the waiting list by doubling, copying each many times over.
            e.gt.reserver(2 * rangees);
            kelReserver(e.enAttente, e.enAttente.size() + rangees);
        },
        [&](const KELRow* rangees, std::size_t n) {
            lus = true;
            KELId plusGrand = 0;
            for (std::size_t i = 0; i < n; ++i)
                plusGrand = std::max(plusGrand, rangees[i].id);
            e.cache.reserverJusquA(plusGrand);
            prelireLesValeurs(rangees, n);
            for (std::size_t i = 0; i < n; ++i) {
                const KELRow& row = rangees[i];
                if (!row.id)
                    continue;
                // Known links (and ones woken meanwhile by another) take the ordinary way.
                KELI* lien = e.cache.trouver(row.id);
                if (lien)
                    demander(lien, curseur);
                else
                    lien = reveillerDepuisLaRangee(row, curseur);
                if (lien)
                    for (KELICc* fenetre : autres)
                        demander(lien, fenetre);
            }
        });
    return lus;
}

void KELServeurDeLiens::Prefetch(const std::vector<KELId>& ids)
{
    Etat& e = etat();
    std::vector<KELId> manquants;
    for (KELId id : ids)
        if (id && !e.cache.contient(id) && !e.lus.count(id))
            manquants.push_back(id);
    if (manquants.size() < 2)
        return;
    auto rows = e.chercheur->loadRowsInt(manquants);
    for (std::size_t i = 0; i < rows.size() && i < manquants.size(); ++i)
        if (rows[i])
            e.lus.emplace(manquants[i], std::move(*rows[i]));
}

KELI* KELServeurDeLiens::AjouterLienIn(std::unique_ptr<KELI> lien, KELICc* curseur)
{
    // A set of writes of its own ends before the answer: a link its store did not keep is none.
    KELI* stocke = ajouterLienDansUnEnsemble(std::move(lien), curseur);
    return stocke && !Perdu(stocke) ? stocke : nullptr;
}

KELI* KELServeurDeLiens::ajouterLienDansUnEnsemble(std::unique_ptr<KELI> lien, KELICc* curseur)
{
    Etat& e = etat();
    if (!lien)
        return nullptr;
    if (refuserUnLienPerdu("AjouterLienIn", lien->parentInt(), lien->enfantInt(), lien->relationInt()))
        return nullptr;
    if (curseur)
        curseur->placeToi();
    const KELChercheurDe::Ensemble unCommit;
    KELId nouvelId = 0;
    if (lien->kelClasse() == "KELIElemBase") {
        const KELValue valeur = lien->base();
        if (const auto* mot = std::get_if<std::string>(&valeur)) {
            if (KELId existant = KELServeurDeMots::MotIntAvecBaseTxt(*mot))
                return LienForInt(existant, curseur);
            nouvelId = NouvelIdInt();
            if (!nouvelId)
                return nullptr;
            const KELId valeurId = KELServeurDeMots::CreeMotAvecBaseTxt(*mot, nouvelId);
            if (!valeurId) {
                e.chercheur->deleteLeLien(nouvelId); // give the reserved id back
                return nullptr;
            }
            lien->assignerBaseInt(valeurId);
        } else if (const auto* nombre = std::get_if<double>(&valeur)) {
            if (KELId existant = KELServeurDeNombres::NombreIntAvecBaseNum(*nombre))
                return LienForInt(existant, curseur);
            nouvelId = NouvelIdInt();
            if (!nouvelId)
                return nullptr;
            const KELId valeurId = KELServeurDeNombres::CreeNombreAvecBaseNum(*nombre, nouvelId);
            if (!valeurId) {
                e.chercheur->deleteLeLien(nouvelId);
                return nullptr;
            }
            lien->assignerBaseInt(valeurId);
        } else {
            return nullptr;
        }
    } else {
        nouvelId = NouvelIdInt();
        if (!nouvelId)
            return nullptr;
    }
    lien->assignerIdInt(nouvelId);
    if (lien->parentInt() == 0)
        lien->assignerParentInt(nouvelId);
    KELI* stocke = AssigneLien(std::move(lien), nouvelId, curseur);
    if (stocke) {
        noterCree(stocke, curseur);
        e.chercheur->insertLeLien(rangDe(stocke));
    }
    return stocke;
}

KELI* KELServeurDeLiens::CreerLienRelInt(KELId rel, KELI* parent, KELI* enfant, KELDate inDate, KELDate outDate,
                                        KELICc* curseur)
{
    KELI* stocke = creerLienDansUnEnsemble(rel, parent, enfant, inDate, outDate, curseur);
    return stocke && !Perdu(stocke) ? stocke : nullptr;
}

KELI* KELServeurDeLiens::creerLienDansUnEnsemble(KELId rel, KELI* parent, KELI* enfant, KELDate inDate,
                                                 KELDate outDate, KELICc* curseur)
{
    Etat& e = etat();
    if (refuserUnLienPerdu("CreerLienRelInt", parent ? parent->idInt() : 0, enfant ? enfant->idInt() : 0, rel))
        return nullptr;
    const KELChercheurDe::Ensemble unCommit;
    const KELId nouvelId = NouvelIdInt();
    if (!nouvelId)
        return nullptr;
    auto lien = std::make_unique<KELI>();
    lien->assignerIdInt(nouvelId);
    lien->assignerParentInt(parent ? parent->idInt() : nouvelId);
    lien->assignerEnfantInt(enfant ? enfant->idInt() : 0);
    lien->assignerRelationInt(rel);
    lien->assignerInDate(inDate);
    lien->assignerOutDate(KELDateOuverte);
    if (curseur)
        curseur->placeToi();
    KELI* stocke = AssigneLien(std::move(lien), nouvelId, curseur);
    if (!stocke)
        return nullptr;
    noterCree(stocke, curseur);
    {
        SansEcriture sans;
        stocke->placeOutDate(outDate, curseur);
    }
    e.chercheur->insertLeLien(rangDe(stocke));
    return stocke;
}

void KELServeurDeLiens::DegagerLien(KELI* lien, KELICc* curseur)
{
    if (!lien)
        return;
    {
        SansEcriture sans;
        lien->placeOutDate(KELDateOublieeOut, curseur);
        lien->placeInDate(KELDateOublieeIn, curseur);
    }
    lien->lachePrise();
    Etat& e = etat();
    if (e.perdus.count(lien->idInt()))
        return;
    noterTouche(lien, curseur);
    e.chercheur->majLesDatesDuLien(rangDe(lien));
}

void KELServeurDeLiens::EraseLien(KELI* lien, KELICc* curseur)
{
    if (!lien)
        return;
    {
        SansEcriture sans;
        lien->placeOutDate(KELDateOublieeOut, curseur);
        lien->placeInDate(KELDateOublieeIn, curseur);
    }
    lien->lachePrise();
    Etat& e = etat();
    if (e.perdus.count(lien->idInt()))
        return;
    noterTouche(lien, curseur);
    e.chercheur->deleteLeLien(lien->idInt());
}

void KELServeurDeLiens::SetDelegate(KELProgressDelegate* d) { etat().delegue = d; }
KELGrandTableau& KELServeurDeLiens::GrandTableau() { return etat().gt; }
KELICurseurGlobal* KELServeurDeLiens::CurseurGlobal() { return g ? g->curseurGlobal : nullptr; }
KELIContexteGlobal* KELServeurDeLiens::ContexteGlobal() { return g ? g->contexteGlobal : nullptr; }
const std::vector<KELICc*>& KELServeurDeLiens::Fenetres() { return etat().fenetres; }
bool KELServeurDeLiens::ToutEstPlace() { return !g || (g->enAttente.empty() && g->placeJusquA == g->gt.count()); }

KELI* KELServeurDeLiens::DonneMaintenantLeLienId(KELId id)
{
    return etat().cache.trouver(id);
}

void KELServeurDeLiens::PrefetchLienId(KELId id)
{
    etat().cache.prefetch(id);
}

void KELServeurDeLiens::LibereLienInt(KELId id)
{
    if (KELI* l = DonneMaintenantLeLienId(id))
        l->lachePrise();
}

std::unique_ptr<KELI> KELServeurDeLiens::FetchLienInt(KELId id)
{
    auto row = etat().chercheur->loadRowInt(id);
    return row ? lienDeLaRangee(*row) : nullptr;
}

namespace {
// An erased link's row is gone but the link keeps its id for the run: never hand it out again.
KELId reserverUnLien()
{
    Etat& e = etat();
    return e.chercheur->maxIdInt(e.cache.plusGrandUtilisateur());
}

enum class Genre { lien, mot, nombre };
KELId prisDeLActe(Genre genre);
} // namespace

KELId KELServeurDeLiens::NouvelIdInt()
{
    if (const KELId id = prisDeLActe(Genre::lien))
        return id;
    return reserverUnLien();
}

bool KELServeurDeLiens::SiLienForRelNum(KELId rel, KELId enfant)
{
    return enfant && etat().chercheur->siLienForRelNum(rel, enfant);
}

KELDate KELServeurDeLiens::OutDateDuLienParent(const KELI* l)
{
    return etat().chercheur->outDatePourParentRelationDate(l->parentInt(), l->relationInt(), l->inDate());
}
KELDate KELServeurDeLiens::OutDateDuLienEnfant(const KELI* l)
{
    return etat().chercheur->outDatePourEnfant(l->enfantInt(), l->relationInt(), l->inDate());
}
KELDate KELServeurDeLiens::OutDateDuLien(const KELI* l)
{
    return etat().chercheur->outDatePourParentEnfantRelationDate(l->parentInt(), l->enfantInt(), l->relationInt(),
                                                               l->inDate());
}

// ---------------------------------------------------------------------------------------------
// Forwarders

std::size_t KELServeurDeLiens::LienCount() { return etat().chercheur->lienCount(); }
std::uint64_t KELServeurDeLiens::EcrituresRefusees() { return KELChercheurDe::ZevDataBase().writeFailureCount(); }
void KELServeurDeLiens::MajLesDatesDuLien(const KELI* lien, KELICc* curseur)
{
    Etat& e = etat();
    // A link whose set of writes was lost has no row: its own written alone would stand in the
    // store without the links that make it whole.
    if (e.ecrituresSuspendues || !lien || lien->idInt() == 0 || e.perdus.count(lien->idInt()))
        return;
    noterTouche(lien, curseur);
    e.chercheur->majLesDatesDuLien(rangDe(lien));
}
void KELServeurDeLiens::MajLien(const KELI* lien, KELId enfantInt)
{
    Etat& e = etat();
    if (!lien || !lien->idInt() || e.perdus.count(lien->idInt()))
        return;
    if (refuserUnLienPerdu("MajLien", 0, enfantInt, 0))
        return;
    noterTouche(lien, nullptr);
    e.chercheur->majLien(rangDe(lien), enfantInt);
}

bool KELServeurDeLiens::Perdu(const KELI* lien) { return lien && g && g->perdus.count(lien->idInt()); }
KELId KELServeurDeLiens::LienIntForParentInt(KELId p, KELId c, KELId r, KELDate d)
{
    return etat().chercheur->lienIntForParentInt(p, c, r, d);
}
KELIds KELServeurDeLiens::LiensNumForEnfantInt(KELId c, KELId r, KELDate d) { return etat().chercheur->liensNumForEnfantInt(c, r, d); }
KELIds KELServeurDeLiens::EnfantsNumForParentInt(KELId p, KELId r, KELDate d) { return etat().chercheur->enfantsNumForParentInt(p, r, d); }
KELIds KELServeurDeLiens::LiensNumForParentInt(KELId p, KELId r, KELDate d) { return etat().chercheur->liensNumForParentInt(p, r, d); }
KELIds KELServeurDeLiens::LiensNumDeLaRelInt(KELId r) { return etat().chercheur->liensNumDeLaRelInt(r); }
std::size_t KELServeurDeLiens::NbDeParentsDistinctsPourLaRelInt(KELId r) { return etat().chercheur->nbDeParentsDistinctsPourLaRelationInt(r); }
std::size_t KELServeurDeLiens::NbDEnfantsDistinctsPourLaRelInt(KELId r) { return etat().chercheur->nbDEnfantsDistinctsPourLaRelationInt(r); }
KELDate KELServeurDeLiens::InDateForLienNum(KELId id) { return etat().chercheur->inDatePourLienNum(id); }
KELDate KELServeurDeLiens::OutDateForLienNum(KELId id) { return etat().chercheur->outDatePourLienNum(id); }
KELIds KELServeurDeLiens::LiensNumDuParentIntApres(KELId p, KELDate d) { return etat().chercheur->liensNumDuParentIntApres(p, d); }
KELIds KELServeurDeLiens::LiensNumDeLEnfantIntApres(KELId c, KELDate d) { return etat().chercheur->liensNumDeLEnfantIntApres(c, d); }
KELId KELServeurDeLiens::LienIntDeRelInt(KELId r, KELId b) { return etat().chercheur->lienIntDeRelInt(r, b); }
KELId KELServeurDeLiens::FirstLienNumDeRelIntParentInt(KELId r, KELId p) { return etat().chercheur->firstLienNumDeRelIntParentInt(r, p).value_or(0); }
KELId KELServeurDeLiens::FirstLienNumDeRelIntEnfantInt(KELId r, KELId c) { return etat().chercheur->firstLienNumDeRelIntEnfantInt(r, c).value_or(0); }
KELId KELServeurDeLiens::FirstLienNumDeRelIntEnfantIntApresDate(KELId r, KELId c, KELDate d)
{
    return etat().chercheur->firstLienNumDeRelIntEnfantIntApresDate(r, c, d).value_or(0);
}
std::unordered_map<KELId, KELId> KELServeurDeLiens::FirstLiensNumDeRelIntApresDateParEnfant(KELId r, KELDate d)
{
    return etat().chercheur->firstLiensNumDeRelIntApresDateParEnfant(r, d);
}
KELId KELServeurDeLiens::FirstLienNumDeRelNumParentNumApresDate(KELId r, KELId p, KELDate d)
{
    return etat().chercheur->firstLienNumDeRelNumParentNumApresDate(r, p, d).value_or(0);
}
KELId KELServeurDeLiens::FirstLienNumDeRelNumParentNumEnfantNumApresDate(KELId r, KELId p, KELId c, KELDate d)
{
    return etat().chercheur->firstLienNumDeRelNumParentNumEnfantNumApresDate(r, p, c, d).value_or(0);
}
KELId KELServeurDeLiens::LastLienNumDeRelIntParentInt(KELId r, KELId p) { return etat().chercheur->lastLienNumDeRelIntParentInt(r, p).value_or(0); }
KELId KELServeurDeLiens::LastLienNumDeRelIntParentIntForDate(KELId r, KELId p, KELDate d)
{
    return etat().chercheur->lastLienNumDeRelIntParentIntForDate(r, p, d).value_or(0);
}
KELId KELServeurDeLiens::LastLienNumDeRelNumParentNumEnfantNumAvantDate(KELId r, KELId p, KELId c, KELDate d)
{
    return etat().chercheur->lastLienNumDeRelNum(r, p, c, d).value_or(0);
}
KELIds KELServeurDeLiens::LiensNumDeLEnfantIntRelInt(KELId c, KELId r) { return etat().chercheur->liensNumDeLEnfantIntRelInt(c, r); }
KELIds KELServeurDeLiens::LiensNumDuParentIntRelInt(KELId p, KELId r) { return etat().chercheur->liensNumDuParentIntRelInt(p, r); }
KELIds KELServeurDeLiens::LiensNumDeLEnfantInt(KELId c) { return etat().chercheur->liensNumDeLEnfantInt(c); }

// ---------------------------------------------------------------------------------------------
// Value servers

namespace {
constexpr std::size_t kValeursInitiales = 35000; // values each cache holds before it first grows

struct Valeurs {
    std::unique_ptr<KELChercheurDeMots> mots;
    std::unique_ptr<KELChercheurDeNombres> nombres;
    std::unordered_map<KELId, std::string> cacheMots;
    std::unordered_map<KELId, double> cacheNombres;
};
std::unique_ptr<Valeurs> v;

Valeurs& valeurs()
{
    if (!v) {
        v = std::make_unique<Valeurs>();
        v->mots = std::make_unique<KELChercheurDeMots>();
        v->nombres = std::make_unique<KELChercheurDeNombres>();
        v->cacheMots.reserve(kValeursInitiales);
        v->cacheNombres.reserve(kValeursInitiales);
    }
    return *v;
}

// A value read once from the store is kept for the run (values never change under an id).
template <class Cache, class Lire>
KELValue enCache(Cache& cache, KELId id, Lire&& lire)
{
    if (auto it = cache.find(id); it != cache.end())
        return it->second;
    auto valeur = lire();
    if (!valeur)
        return {};
    cache.emplace(id, *valeur);
    return *valeur;
}
// The ids of `ids` not yet kept, each once; read in batches only from two on.
template <class Cache>
std::vector<KELId> manquantes(const Cache& cache, const std::vector<KELId>& ids)
{
    std::vector<KELId> out;
    out.reserve(ids.size());
    for (KELId id : ids)
        if (id && !cache.count(id))
            out.push_back(id);
    std::sort(out.begin(), out.end());
    out.erase(std::unique(out.begin(), out.end()), out.end());
    if (out.size() < 2)
        out.clear();
    return out;
}
} // namespace

void KELServeurDeMots::Prefetch(const std::vector<KELId>& ids)
{
    Valeurs& s = valeurs();
    s.mots->motsAvecBasesInt(manquantes(s.cacheMots, ids), [&](KELId id, std::string mot) {
        s.cacheMots.emplace(id, std::move(mot));
    });
}

void KELServeurDeNombres::Prefetch(const std::vector<KELId>& ids)
{
    Valeurs& s = valeurs();
    s.nombres->nombresAvecBasesInt(manquantes(s.cacheNombres, ids), [&](KELId id, double nombre) {
        s.cacheNombres.emplace(id, nombre);
    });
}

KELValue KELServeurDeMots::BaseDuLien(const KELI* element) { return MotAvecBaseInt(element->baseInt()); }

KELValue KELServeurDeMots::MotAvecBaseInt(KELId id)
{
    Valeurs& s = valeurs();
    return enCache(s.cacheMots, id, [&] { return s.mots->motAvecBaseInt(id); });
}

KELId KELServeurDeMots::MotIntAvecBaseTxt(const std::string& mot) { return valeurs().mots->motIntAvecBaseTxt(mot); }

KELId KELServeurDeMots::CreeMotAvecBaseTxt(const std::string& mot, KELId lienInt)
{
    const KELId id = NouvelIdInt();
    if (!id)
        return 0;
    if (!valeurs().mots->creeMotAvecBaseTxt(mot, lienInt, id))
        return 0;
    if (KELChercheurDe::EnsembleOuvert())
        etat().journal.mots.push_back(id);
    return id;
}

void KELServeurDeMots::SuppMotAvecBaseInt(KELId id)
{
    valeurs().mots->suppMotAvecBaseInt(id);
    valeurs().cacheMots.erase(id);
}

KELId KELServeurDeMots::NouvelIdInt()
{
    if (const KELId id = prisDeLActe(Genre::mot))
        return id;
    return valeurs().mots->maxIdInt();
}
void KELServeurDeMots::reset() { v.reset(); }

KELValue KELServeurDeNombres::BaseDuLien(const KELI* element) { return NombreAvecBaseInt(element->baseInt()); }

KELValue KELServeurDeNombres::NombreAvecBaseInt(KELId id)
{
    Valeurs& s = valeurs();
    return enCache(s.cacheNombres, id, [&] { return s.nombres->nombreAvecBaseInt(id); });
}

KELId KELServeurDeNombres::NombreIntAvecBaseNum(double n) { return valeurs().nombres->nombreIntAvecBaseNum(n); }

KELId KELServeurDeNombres::CreeNombreAvecBaseNum(double n, KELId lienInt)
{
    const KELId id = NouvelIdInt();
    if (!id)
        return 0;
    if (!valeurs().nombres->creeNombreAvecBaseNum(n, lienInt, id))
        return 0;
    valeurs().cacheNombres[id] = n;
    if (KELChercheurDe::EnsembleOuvert())
        etat().journal.nombres.push_back(id);
    return id;
}

void KELServeurDeNombres::SuppNombreAvecBaseInt(KELId id)
{
    valeurs().nombres->suppNombreAvecBaseInt(id);
    valeurs().cacheNombres.erase(id);
}

KELId KELServeurDeNombres::NouvelIdInt()
{
    if (const KELId id = prisDeLActe(Genre::nombre))
        return id;
    return valeurs().nombres->maxIdInt();
}
void KELServeurDeNombres::reset() { v.reset(); }

// ---------------------------------------------------------------------------------------------
// Acts

struct KELServeurDeLiens::Acte::Ids {
    const KELChercheurDe::Ensemble unCommit; // first made, last gone: the act is one commit
    std::deque<KELId> liens, mots, nombres;
    Ids* precedent = nullptr; // the act this one runs inside, if any
    bool comptees = false;    // it reserved its ids; an act of none takes them as it goes, in its one commit
    // With no set of writes to be told of the refusal, its work waits for the act's end, which
    // compares the refused writes with those when it began.
    std::uint64_t refuseesAuDebut = 0;
    std::vector<std::function<void()>> siRefuseSansEnsemble;
};

namespace {
KELServeurDeLiens::Acte::Ids* g_acte = nullptr; // the innermost act under way

KELId reserver(Genre genre)
{
    switch (genre) {
    case Genre::lien: return reserverUnLien();
    case Genre::mot: return valeurs().mots->maxIdInt();
    case Genre::nombre: return valeurs().nombres->maxIdInt();
    }
    return 0;
}

void rendre(Genre genre, KELId id)
{
    switch (genre) {
    case Genre::lien: etat().chercheur->deleteLeLien(id); break;
    case Genre::mot: valeurs().mots->suppMotAvecBaseInt(id); break;
    case Genre::nombre: valeurs().nombres->suppNombreAvecBaseInt(id); break;
    }
}

std::deque<KELId>& idsDu(KELServeurDeLiens::Acte::Ids& ids, Genre genre)
{
    return genre == Genre::lien ? ids.liens : genre == Genre::mot ? ids.mots : ids.nombres;
}

void toutRendre(KELServeurDeLiens::Acte::Ids& ids)
{
    for (Genre genre : {Genre::lien, Genre::mot, Genre::nombre}) {
        auto& reste = idsDu(ids, genre);
        // The highest first: each row given back is then the highest, and its id is free again.
        while (!reste.empty()) {
            rendre(genre, reste.back());
            reste.pop_back();
        }
    }
}

KELId prisDeLActe(Genre genre)
{
    if (!g_acte)
        return 0;
    auto& reste = idsDu(*g_acte, genre);
    if (reste.empty()) {
        // An act that reserved too few would store part of itself when the ids run out.
        if (g_acte->comptees)
            logFormat("KELServeurDeLiens: an act asked for more ids than it reserved");
        return 0;
    }
    const KELId id = reste.front();
    reste.pop_front();
    return id;
}
} // namespace

KELServeurDeLiens::Acte::Acte(std::size_t liens, std::size_t mots, std::size_t nombres)
    : ids_(std::make_unique<Ids>())
{
    ids_->comptees = liens + mots + nombres > 0;
    const std::pair<Genre, std::size_t> besoins[] = {{Genre::lien, liens}, {Genre::mot, mots}, {Genre::nombre, nombres}};
    for (const auto& [genre, nombre] : besoins) {
        for (std::size_t i = 0; i < nombre; ++i) {
            const KELId id = reserver(genre);
            if (!id) {
                // The finder has told the store-error hook.
                toutRendre(*ids_);
                return;
            }
            idsDu(*ids_, genre).push_back(id);
        }
    }
    complet_ = true;
    ids_->precedent = g_acte;
    ids_->refuseesAuDebut = EcrituresRefusees();
    g_acte = ids_.get();
}

KELServeurDeLiens::Acte::~Acte()
{
    if (complet_) {
        g_acte = ids_->precedent;
        toutRendre(*ids_);
        std::vector<std::function<void()>> travaux = std::move(ids_->siRefuseSansEnsemble);
        if (!travaux.empty() && EcrituresRefusees() != ids_->refuseesAuDebut)
            for (auto& travail : travaux)
                travail();
    }
}

void KELServeurDeLiens::Acte::siRefuse(std::function<void()> travail) const
{
    if (!complet_ || !travail)
        return;
    if (KELChercheurDe::EnsembleOuvert())
        etat().journal.siRefuse.push_back(std::move(travail));
    else
        ids_->siRefuseSansEnsemble.push_back(std::move(travail));
}

// ---------------------------------------------------------------------------------------------
// A set of writes the store did not keep

namespace {
// The store holds nothing of the set: what it made is forgotten in memory as an erased link is
// (its id stays taken for the run, and no row of it is written again), and the links it wrote
// again, erased or forgot take back their stored dates.
void finDEnsemble(bool stocke)
{
    if (!g)
        return;
    Etat& e = *g;
    Etat::Journal j = std::move(e.journal);
    e.journal = Etat::Journal{};
    if (stocke)
        return;
    logFormat("KELServeurDeLiens: %zu links made and %zu written again were not stored; memory follows the store",
              j.crees.size(), j.touches.size());
    // Their ids are handed out again: a value kept under one would be read for the next.
    if (v) {
        for (KELId id : j.mots)
            v->cacheMots.erase(id);
        for (KELId id : j.nombres)
            v->cacheNombres.erase(id);
    }
    for (const EnAttente& a : j.crees)
        e.perdus.insert(a.lien->idInt());
    for (auto it = j.crees.rbegin(); it != j.crees.rend(); ++it) {
        KELICc* c = it->curseur ? it->curseur : e.curseurGlobal;
        SansEcriture sans;
        it->lien->placeOutDate(KELDateOublieeOut, c);
        it->lien->placeInDate(KELDateOublieeIn, c);
        it->lien->lachePrise();
    }
    for (auto it = j.touches.rbegin(); it != j.touches.rend(); ++it) {
        KELI* lien = it->lien;
        // An erased or forgotten one comes back with the dates the store kept, as a link moved
        // there would; the ends it let go of are found again when next asked for.
        const std::optional<KELRow> row = e.chercheur->loadRowInt(lien->idInt());
        if (!row)
            continue;
        KELICc* c = it->curseur ? it->curseur : e.curseurGlobal;
        SansEcriture sans;
        lien->assignerBaseInt(row->base);
        if (row->inDate < lien->inDate()) {
            lien->placeInDate(row->inDate, c);
            lien->placeOutDate(row->outDate, c);
        } else {
            lien->placeOutDate(row->outDate, c);
            lien->placeInDate(row->inDate, c);
        }
    }
    // Last: the acts' work may ask Perdu, and may write afresh in sets of its own.
    for (auto& travail : j.siRefuse)
        travail();
}
} // namespace
