#pragma once
// The selection engine of the link base browser: what the user chose in one model, and what is
// reached from it, with a count, through the relations opened as paths, kept right as links come
// and go at a cursor.
//
// It lives in the engine, not with the browser, because the per-cursor representations own the
// controllers and tell them of every activation, and the engine links neither Qt nor the browser.
//
// Counts are per path: an object reached by two links counts two, and every walk that attaches
// has a detaching twin that removes exactly what it added. To keep that true while links appear
// and disappear, each model controller also remembers, per selection id, how many walks went on
// from each object towards outputs and towards inputs (its passages): a link appearing next to an
// object is walked once per passage, as a fresh walk from the choices would.
//
// Lifetimes: selection ids are shared (std::shared_ptr) by every map keyed on them, so a key never
// outlives its id nor is taken over by a new one. Controllers live and die with their
// representations; one that goes away leaves every id and neighbour that points at it.

#include "engine/KELLien.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

class KELICc;
class KELIRepModel;
class KELIRepRelation;
class KELSelCtrlModel;
class KELSelCtrlRelation;
class KELSelCtrlRel;

// Counts per object: open addressing over one array, so that an object counted and uncounted at
// every crossing of a scrub costs no allocation.
class KELSelCompte {
public:
    std::size_t nb(const KELI* o) const;
    void ajouter(KELI* o, std::size_t n);
    // Never below nothing.
    void retirer(KELI* o, std::size_t n);
    std::size_t size() const { return taille_; }
    bool empty() const { return taille_ == 0; }
    bool contains(const KELI* o) const { return nb(o) > 0; }
    // The objects and their counts, to walk while the counts change.
    std::vector<std::pair<KELI*, std::size_t>> copie() const;

private:
    struct Case {
        KELI* cle = nullptr;
        std::size_t n = 0;
    };
    std::size_t chercher(const KELI* o) const;
    void agrandir();
    std::vector<Case> cases_; // a power of two, at most half full
    std::size_t taille_ = 0;
};

class KELSelId;
// Per selection id: a window has two ids, so a short list searched in place beats any hashing.
// The values stay where they are while the list grows.
template <class X>
class KELSelParId {
public:
    X* trouver(const KELSelId* s) const
    {
        for (const auto& e : v_)
            if (e.first.get() == s)
                return e.second.get();
        return nullptr;
    }
    X& operator[](const std::shared_ptr<KELSelId>& s)
    {
        if (X* x = trouver(s.get()))
            return *x;
        v_.emplace_back(s, std::make_unique<X>());
        return *v_.back().second;
    }
    auto begin() const { return v_.begin(); }
    auto end() const { return v_.end(); }

private:
    std::vector<std::pair<std::shared_ptr<KELSelId>, std::unique_ptr<X>>> v_;
};

// A direction of propagation: bit value 4 towards outputs, 2 towards inputs.
class KELSelSens {
public:
    static constexpr unsigned kNonDefini = 0;
    static constexpr unsigned kEntree = 2;
    static constexpr unsigned kSortie = 4;
    static constexpr unsigned kEntreSortie = 6;

    void assignerSens(unsigned s) { sens_ = s; }
    unsigned sens() const { return sens_; }
    bool siSensVersSortie() const { return (sens_ & kSortie) != 0; }
    bool siSensVersEntree() const { return (sens_ & kEntree) != 0; }
    bool siNonDefini() const { return sens_ == kNonDefini; }
    // Each answers whether the direction was undefined before.
    bool assignerSensVersSortie() { return std::exchange(sens_, kSortie) == kNonDefini; }
    bool assignerSensVersEntree() { return std::exchange(sens_, kEntree) == kNonDefini; }
    void assignerSensVersEntreSortie() { sens_ = kEntreSortie; }
    void assignerSensNonDefini() { sens_ = kNonDefini; }

private:
    unsigned sens_ = kNonDefini;
};

// The identity under which a selection is made.
class KELSelId : public std::enable_shared_from_this<KELSelId> {
public:
    static std::shared_ptr<KELSelId> nouveau();
    ~KELSelId();
    KELSelId(const KELSelId&) = delete;
    KELSelId& operator=(const KELSelId&) = delete;

    // Makes `m` the start of the selection (nullptr: no start); see KELSelCtrlModel::choisir.
    void referencerCtrlMDeDepart(KELSelCtrlModel* m);
    KELSelCtrlModel* ctrlMDeDepart() const { return depart_; }
    KELSelCtrlModel* ctrlMDeDepartDuGraphe() const { return departDuGraphe_; }
    void ajouterCtrlMAuGraphe(KELSelCtrlModel* m);
    // Removes one count (nullptr is ignored).
    void enleverCtrlMAuGraphe(KELSelCtrlModel* m);
    std::size_t nbDansLeGraphe(const KELSelCtrlModel* m) const;
    // Every direction undefined, then propagated again from the start: after a change of start,
    // and after a path opens or closes (the directions of the last graph would otherwise stay).
    void recalculerLesSens();

private:
    friend class KELSelCtrlModel;
    KELSelId() = default;
    // A controller going away.
    void oublierCtrlM(KELSelCtrlModel* m);

    KELSelCtrlModel* depart_ = nullptr;
    KELSelCtrlModel* departDuGraphe_ = nullptr;
    std::unordered_map<KELSelCtrlModel*, std::size_t> graphe_;
    // Every controller that holds a direction for this id: a new start resets them all, those
    // that paths no longer bring into the graph too (one left with its old direction would walk,
    // or turn the new start's direction, when a path from it opens).
    std::unordered_set<KELSelCtrlModel*> orientes_;
};
using KELSelIdRef = std::shared_ptr<KELSelId>;

// What model and relation-end controllers share: per id, a chosen set and an attached counted set.
class KELSelCtrl {
public:
    using Compte = KELSelCompte;
    using Choix = std::unordered_set<KELI*>;

    explicit KELSelCtrl(KELIRepModel* rep);
    virtual ~KELSelCtrl();
    KELSelCtrl(const KELSelCtrl&) = delete;
    KELSelCtrl& operator=(const KELSelCtrl&) = delete;

    KELIRepModel* repModel() const { return rep_; }
    KELICc* curseur() const { return curseur_; }

    virtual void choisir(KELI* o, const KELSelIdRef& s);
    virtual void rejeter(KELI* o, const KELSelIdRef& s);
    virtual void rejeterTous(const KELSelIdRef& s);
    std::size_t nbDeChoix(const KELSelIdRef& s) const;
    const Choix& choix(const KELSelIdRef& s);
    bool siChoisit(KELI* o, const KELSelIdRef& s) const;

    // `n` counts at once (a walk that stands for n paths).
    void attacher(KELI* o, const KELSelIdRef& s, std::size_t n = 1);
    void detacher(KELI* o, const KELSelIdRef& s, std::size_t n = 1);
    std::size_t nbDAttaches(const KELSelIdRef& s) const;
    std::size_t nbDAttaches(KELI* o, const KELSelIdRef& s) const;
    const Compte& attaches(const KELSelIdRef& s);
    bool siAttache(KELI* o, const KELSelIdRef& s) const { return nbDAttaches(o, s) > 0; }

    virtual KELSelCtrlRel* ctrlRP() { return nullptr; }
    virtual KELSelCtrlRel* ctrlRE() { return nullptr; }
    virtual void attacherLesRelations(KELI*, const KELSelIdRef&) {}
    virtual void detacherLesRelations(KELI*, const KELSelIdRef&) {}
    // `n` counts at once, as attacher.
    virtual void attacherLaRelation(KELI*, const KELSelIdRef&, std::size_t = 1) {}
    virtual void detacherLaRelation(KELI*, const KELSelIdRef&, std::size_t = 1) {}

protected:
    KELIRepModel* rep_; // not owned: the representation (or its model's) owns this controller
    KELICc* curseur_;
    KELSelParId<Choix> choix_;
    KELSelParId<Compte> attaches_;
};

// The controller of the relations at one end of a model: choosing a relation opens it as a path.
class KELSelCtrlRel : public KELSelCtrl {
public:
    KELSelCtrlRel(KELIRepModel* rep, bool finParent);
    ~KELSelCtrlRel() override;

    const std::vector<KELI*>& relations() const { return relations_; }
    bool siFinParent() const { return finParent_; }

    void choisir(KELI* relation, const KELSelIdRef& s) override;
    void rejeter(KELI* relation, const KELSelIdRef& s) override;
    void rejeterTous(const KELSelIdRef& s) override;

    // Relations of relations: controllers on the model of relations at this cursor.
    KELSelCtrlRel* ctrlRP() override;
    KELSelCtrlRel* ctrlRE() override;

    void attacherLesRelations(KELI* o, const KELSelIdRef& s) override;
    void detacherLesRelations(KELI* o, const KELSelIdRef& s) override;
    void attacherLaRelation(KELI* relation, const KELSelIdRef& s, std::size_t n = 1) override;
    void detacherLaRelation(KELI* relation, const KELSelIdRef& s, std::size_t n = 1) override;

private:
    bool finParent_;
    std::vector<KELI*> relations_;
    // The relations attached for each chosen object, so that unchoosing it detaches exactly those
    // whatever links came or went in between.
    KELSelParId<std::unordered_map<KELI*, std::vector<KELI*>>> attacheesPour_;
    std::unique_ptr<KELSelCtrlRel> ctrlRP_;
    std::unique_ptr<KELSelCtrlRel> ctrlRE_;
};

class KELSelCtrlRelParent final : public KELSelCtrlRel {
public:
    explicit KELSelCtrlRelParent(KELIRepModel* rep) : KELSelCtrlRel(rep, true) {}
};

class KELSelCtrlRelEnfant final : public KELSelCtrlRel {
public:
    explicit KELSelCtrlRelEnfant(KELIRepModel* rep) : KELSelCtrlRel(rep, false) {}
};

// The selection controller of one model at one cursor.
class KELSelCtrlModel final : public KELSelCtrl {
public:
    using Relations = std::vector<KELSelCtrlRelation*>;

    explicit KELSelCtrlModel(KELIRepModel* rep);
    ~KELSelCtrlModel() override;
    static std::unique_ptr<KELSelCtrlModel> initAvecRepModel(KELIRepModel* rep)
    {
        return std::make_unique<KELSelCtrlModel>(rep);
    }

    void choisir(KELI* o, const KELSelIdRef& s) override;
    void rejeter(KELI* o, const KELSelIdRef& s) override;
    void rejeterTous(const KELSelIdRef& s) override;

    KELSelCtrlRel* ctrlRP() override { return ctrlRP_.get(); }
    KELSelCtrlRel* ctrlRE() override { return ctrlRE_.get(); }

    void ajouterCtrlREntree(KELSelCtrlRelation* c, const KELSelIdRef& s);
    void enleverCtrlREntree(KELSelCtrlRelation* c, const KELSelIdRef& s);
    const Relations& ctrlREntrees(const KELSelIdRef& s) const;
    void ajouterCtrlRSortie(KELSelCtrlRelation* c, const KELSelIdRef& s);
    void enleverCtrlRSortie(KELSelCtrlRelation* c, const KELSelIdRef& s);
    const Relations& ctrlRSorties(const KELSelIdRef& s) const;
    bool siEntree(const KELSelCtrlRelation* c, const KELSelIdRef& s) const;
    bool siSortie(const KELSelCtrlRelation* c, const KELSelIdRef& s) const;

    // Whether `m` is reached from here through outputs (each controller visited once).
    bool siSortieVersCtrlM(const KELSelCtrlModel* m, const KELSelIdRef& s) const;

    void propagerLeSens(const KELSelIdRef& s);
    void propagerLeSensVerslesSorties(const KELSelIdRef& s);
    void propagerLeSensVerslesEntrees(const KELSelIdRef& s);
    KELSelSens& sensDePropagation(const KELSelIdRef& s);
    // The direction without making one (undefined when none).
    KELSelSens sensSiConnu(const KELSelIdRef& s) const;
    void annulerSensDePropagation(const KELSelIdRef& s);
    std::vector<KELSelIdRef> selIdsDePropagation() const;

    // Hand o to each output (input) relation controller of the id, n paths at once.
    void attacherVersLesSorties(KELI* o, const KELSelIdRef& s, std::size_t n = 1);
    void attacherVersLesEntrees(KELI* o, const KELSelIdRef& s, std::size_t n = 1);
    void detacherVersLesSorties(KELI* o, const KELSelIdRef& s, std::size_t n = 1);
    void detacherVersLesEntrees(KELI* o, const KELSelIdRef& s, std::size_t n = 1);
    // How many walks went on from o towards outputs (inputs).
    std::size_t passagesVersLesSorties(KELI* o, const KELSelIdRef& s) const;
    std::size_t passagesVersLesEntrees(KELI* o, const KELSelIdRef& s) const;
    // Every object walks went on from towards outputs (inputs), with how many (a copy).
    std::vector<std::pair<KELI*, std::size_t>> passagesVersLesSorties(const KELSelIdRef& s) const;
    std::vector<std::pair<KELI*, std::size_t>> passagesVersLesEntrees(const KELSelIdRef& s) const;

    void attacherLesRelations(KELI* o, const KELSelIdRef& s) override;
    void detacherLesRelations(KELI* o, const KELSelIdRef& s) override;
    void attacherLaRelation(KELI* relation, const KELSelIdRef& s, std::size_t n = 1) override;
    void detacherLaRelation(KELI* relation, const KELSelIdRef& s, std::size_t n = 1) override;

private:
    friend class KELSelId;
    friend class KELSelCtrlRelation;
    void retenirId(const KELSelIdRef& s) { ids_.insert(s); }
    void oublierCtrlR(KELSelCtrlRelation* c);
    void marcher(KELI* o, const KELSelIdRef& s, std::size_t n, bool versSorties, bool attacher);

    std::unique_ptr<KELSelCtrlRel> ctrlRP_;
    std::unique_ptr<KELSelCtrlRel> ctrlRE_;
    KELSelParId<Relations> entrees_;
    KELSelParId<Relations> sorties_;
    KELSelParId<KELSelSens> sens_;
    KELSelParId<Compte> passagesSortie_;
    KELSelParId<Compte> passagesEntree_;
    // Relation controllers that keep this one in their memory of their two ends.
    std::unordered_set<KELSelCtrlRelation*> connus_;
    // Ids that point at this controller (as start or in their graph).
    std::unordered_set<KELSelIdRef> ids_;
    // On the walk under way towards outputs (inputs): a walk that comes back here is a cycle.
    bool enMarcheSortie_ = false;
    bool enMarcheEntree_ = false;
};

// The selection controller of one relation at one cursor.
class KELSelCtrlRelation final {
public:
    using Compte = KELSelCtrl::Compte;

    explicit KELSelCtrlRelation(KELIRepRelation* rep);
    ~KELSelCtrlRelation();
    KELSelCtrlRelation(const KELSelCtrlRelation&) = delete;
    KELSelCtrlRelation& operator=(const KELSelCtrlRelation&) = delete;
    static std::unique_ptr<KELSelCtrlRelation> initAvecRepRelation(KELIRepRelation* rep)
    {
        return std::make_unique<KELSelCtrlRelation>(rep);
    }
    KELIRepRelation* repRelation() const { return rep_; }

    // Opening and closing the path for an id (the relation-end controllers call these).
    void choisir(const KELSelIdRef& s);
    void rejeter(const KELSelIdRef& s);
    bool siChoisi(const KELSelIdRef& s) const { return contient(choix_, s); }
    // 1: followed from parent to child; any other value: from child to parent.
    void assignerLeSensDesAttaches(unsigned sens, const KELSelIdRef& s);
    bool siParentVersEnfant(const KELSelIdRef& s) const { return contient(sensPE_, s); }

    void attacher(KELI* lien, const KELSelIdRef& s, std::size_t n = 1);
    void detacher(KELI* lien, const KELSelIdRef& s, std::size_t n = 1);
    std::size_t nbDAttaches(const KELSelIdRef& s) const;
    const Compte& attaches(const KELSelIdRef& s);

    void propagerLeSensVerslesSorties(const KELSelIdRef& s);
    void propagerLeSensVerslesEntrees(const KELSelIdRef& s);

    // The model controllers at the two ends, and the source and target for an id.
    KELSelCtrlModel* ctrlMParent();
    KELSelCtrlModel* ctrlMEnfant();
    KELSelCtrlModel* ctrlMSource(const KELSelIdRef& s);
    KELSelCtrlModel* ctrlMDeSortie(const KELSelIdRef& s);

    void attacherVersLesSorties(KELI* o, const KELSelIdRef& s, std::size_t n = 1);
    void attacherVersLesEntrees(KELI* o, const KELSelIdRef& s, std::size_t n = 1);
    void detacherVersLesSorties(KELI* o, const KELSelIdRef& s, std::size_t n = 1);
    void detacherVersLesEntrees(KELI* o, const KELSelIdRef& s, std::size_t n = 1);

    // Told by the representation: after a link became active, before one stops being active.
    void majDActivationDuLien(KELI* lien);
    void majDeDesactivationDuLien(KELI* lien);

private:
    friend class KELSelCtrlModel;
    void marcher(KELI* o, const KELSelIdRef& s, std::size_t n, bool versSorties, bool attacher);
    void majDuLien(KELI* lien, bool attacher);
    void tenirPar(KELSelCtrlModel* m) { ++tenuPar_[m]; }
    void lacherPar(KELSelCtrlModel* m);

    static bool contient(const std::vector<KELSelIdRef>& ids, const KELSelIdRef& s)
    {
        return std::find(ids.begin(), ids.end(), s) != ids.end();
    }
    // The model controllers at the two ends, remembered while they live (nullptr: ask).
    KELSelCtrlModel* existantAuBout(bool parent);
    void oublierCtrlM(KELSelCtrlModel* m);

    KELIRepRelation* rep_; // not owned: the representation owns this controller
    KELICc* curseur_;
    KELSelParId<Compte> attaches_;
    std::vector<KELSelIdRef> sensPE_;
    std::vector<KELSelIdRef> choix_;
    KELSelCtrlModel* auBout_[2] = {nullptr, nullptr}; // parent, child
    // The model controllers that list this one as an input or output (how many times).
    std::unordered_map<KELSelCtrlModel*, std::size_t> tenuPar_;
};
