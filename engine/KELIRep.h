#pragma once
// What a cursor shows lives per cursor: each link a cursor includes has a representation for it,
// each relation an index of its links active for it, each model the view of its elements.
// Activating and deactivating a link in a relation's representation is the one place where the
// engine announces changes, in a fixed order:
//   activation:   parent hook, child hook, delegates of the parent id, of the child id, of the
//                 relation id, then the selection controller;
//   deactivation: the selection controller first, then the same order.

#include "engine/KELICc.h"
#include "engine/KELLien.h"
#include "engine/KELOrderedSet.h"

#include <bit>
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

class KELIRepModel;
class KELIRepRelation;
class KELIElemRelation;
class KELIModel;

// The selection controllers of the link base browser (engine/selection): the representations of
// models and relations make them on first request, own them and tell them of activations.
class KELSelCtrlModel;
class KELSelCtrlRelation;
struct KELSelDetruire {
    void operator()(KELSelCtrlModel* c) const;
    void operator()(KELSelCtrlRelation* c) const;
};

class KELIRep {
public:
    KELIRep(KELICc* curseur, KELI* lien) : curseur_(curseur), lien_(lien) {}
    virtual ~KELIRep() = default;
    KELIRep(const KELIRep&) = delete;
    KELIRep& operator=(const KELIRep&) = delete;

    // A plain link gets one of these for every window it enters and loses it when it leaves, so
    // scrubbing makes and drops them by the thousand: they come from a free list of their own.
    // Larger representations (relations, models) use the ordinary heap.
    static void* operator new(std::size_t taille);
    static void operator delete(void* p, std::size_t taille);

    KELICc* curseur() const { return curseur_; }
    KELI* lien() const { return lien_; }
    KELI* parent();
    KELI* enfant();
    KELI* relation();
    // The same when the caller has just woken the object for this cursor (nullptr: look it up).
    KELI* parentConnu(KELI* p) { return parent_ ? parent_ : (p ? (parent_ = p) : parent()); }
    KELI* enfantConnu(KELI* e) { return enfant_ ? enfant_ : (e ? (enfant_ = e) : enfant()); }
    KELI* relationConnue(KELI* r) { return r ? r : relation(); }
    // What was found already, without looking (nullptr when not yet).
    KELI* parentSiConnu() const { return parent_; }
    KELI* enfantSiConnu() const { return enfant_; }
    KELValue nom();
    KELI* enfantDeRelInt(KELId rel);
    virtual void lachePrise();
    // A relation's representation, or nullptr: asked at every deactivation, so without a cast.
    inline KELIRepRelation* commeRelation();

protected:
    KELICc* curseur_; // not owned: cursors live for the run
    KELI* lien_;      // not owned: the link owns this representation
    KELI* parent_ = nullptr; // both found on first use; links live for the run
    KELI* enfant_ = nullptr;

private:
    friend class KELI;
    friend class KELIRepRelation;
    // Whether the link is in its relation's active list for this cursor, and where: the list
    // keeps no index of its own, since the crossing that adds or removes a link has just read
    // the link's representation (a large list's index is a cache miss at every crossing).
    bool actifDansLaRelation_ = false;
    bool siRelation_ = false;
    std::uint32_t placeDansLaRelation_ = 0;
    // A link shown in four windows or fewer holds the first representation and each the next; from
    // the fifth on, the link keeps them all elsewhere and this stays empty (see KELLien.cpp).
    KELIRep* suivant_ = nullptr;
};

class KELIRepModel : public KELIRep {
public:
    using KELIRep::KELIRep;
    std::vector<KELI*> relationsParents();
    std::vector<KELI*> relationsEnfants();
    KELI* relationParentNommee(const std::string& nom);
    KELI* relationMC();
    std::vector<KELI*> elements();
    std::size_t nbDElements();
    KELI* enfantDeRelIntParentInt(KELId rel, KELId parentInt);
    void desactiverLeLien(KELI* objet, KELDate date);
    KELSelCtrlModel* selCtrlModel();
    KELSelCtrlModel* selCtrlModelSiExistant() const { return selCtrlM_.get(); }
    void lachePrise() override;

private:
    KELI* relationMC_ = nullptr;
    std::unique_ptr<KELSelCtrlModel, KELSelDetruire> selCtrlM_;
};

class KELIRepRelation : public KELIRep {
public:
    KELIRepRelation(KELICc* curseur, KELI* lien) : KELIRep(curseur, lien) { siRelation_ = true; }
    ~KELIRepRelation() override { ++enlevees_; }
    // How many relations' representations have gone: while it stands still, one found earlier is
    // still its relation's for its window.
    static std::uint64_t enlevees() { return enlevees_; }
    const std::vector<KELI*>& liens();
    std::size_t nbDeLiens();
    // Loads the active list on first use (without answering it, which would compact it).
    void charger();
    // `connu`: the link's representation for this cursor, when the caller has just found or made it.
    void ajouterAuxLiens(KELI* lien, KELIRep* connu = nullptr);
    void enleverAuxLiens(KELI* lien);
    bool siActif(KELI* lien) const;
    // A link active here whose representation goes away without a deactivation.
    void oublierLeLien(KELIRep* rep);
    // The relation leaves this window: every link its delegates heard active here is heard
    // inactive now, whatever the link's own dates and whatever order the table holds equal dates
    // in, since no crossing will tell of them once the list is gone. Links the window still
    // includes lose their representation for it too, as in a window that never had the relation,
    // so that the relation's next load finds them again. Answers whether the list had been loaded.
    bool quitterLaFenetre();
    bool siPartie() const { return partie_; }
    // Loads the list, every link told as crossing the window's future edge (`futur`) or its past
    // one: the edge the relation itself came back through.
    void rechargerPar(bool futur);

    // nullptr when there is none (never an empty list).
    const std::vector<KELI*>* enfantsDuParent(KELI* parent);
    const std::vector<KELI*>* parentsDeLEnfant(KELI* enfant);
    const std::vector<KELI*>* liensDuParent(KELI* parent);
    const std::vector<KELI*>* liensDeLEnfant(KELI* enfant);
    KELI* lienDuParent(KELI* parent, KELI* enfant);
    std::vector<KELI*> liensIdentiquesAuLien(KELI* lien);

    KELI* modelParent();
    KELI* modelEnfant();
    void setModelParent(KELI* m) { modelParent_ = m; modelParentConnu_ = m != nullptr; }
    void setModelEnfant(KELI* m) { modelEnfant_ = m; modelEnfantConnu_ = m != nullptr; }
    KELSelCtrlRelation* selCtrlRelation();
    KELSelCtrlRelation* selCtrlRelationSiExistant() const { return selCtrlR_.get(); }
    void lachePrise() override;

private:
    using Bag = KELOrderedSet<KELI>;
    // What one object is linked to through this relation: the objects at the other end and the
    // links themselves. Both lists count the same active links, so they empty together.
    struct Voisins {
        Bag autres;
        Bag liens;
    };
    // Object -> its Voisins. Open addressing over a table of (object, number), the entries in
    // blocks that never move (callers hold on to the lists), emptied entries reused with their
    // lists' storage: an activation costs no allocation and two probes.
    class Index {
    public:
        Voisins* trouver(const KELI* cle) const;
        Voisins& entree(KELI* cle);
        // Frees the object's entry (its lists are empty).
        void liberer(const KELI* cle);
        void clear();

    private:
        struct Case {
            const KELI* cle; // nullptr: never used; tombe(): freed
            std::uint32_t numero;
        };
        static const KELI* tombe() { return reinterpret_cast<const KELI*>(std::uintptr_t{1}); }
        // Blocks of 4, 8, 16, 32 then 64 entries: most objects' indexes stay small, large ones
        // waste little.
        static constexpr std::uint32_t kPetits = 4 + 8 + 16 + 32;
        static std::size_t blocDe(std::uint32_t n)
        {
            return n < kPetits ? static_cast<std::size_t>(std::bit_width(n + 4u)) - 3 : 4 + (n - kPetits) / 64;
        }
        static std::size_t tailleDuBloc(std::size_t b) { return b < 4 ? std::size_t{4} << b : 64; }
        Case* chercher(const KELI* cle) const;
        void redimensionner();
        Voisins& voisins(std::uint32_t n) const
        {
            if (n < kPetits) {
                const std::size_t b = blocDe(n);
                return blocs_[b][n + 4u - (4u << b)];
            }
            return blocs_[4 + (n - kPetits) / 64][(n - kPetits) % 64];
        }

        std::vector<Case> cases_; // a power of two, at most half occupied (tombstones included)
        std::size_t occupees_ = 0;
        std::size_t taille_ = 0;
        std::vector<std::unique_ptr<Voisins[]>> blocs_;
        std::uint32_t suivant_ = 0;        // entries handed out so far
        std::vector<std::uint32_t> libres_; // freed entries
    };
    void indexer();
    void indexerLeLien(KELI* lien, KELI* p, KELI* e);
    static const std::vector<KELI*>* listeDe(const Index& map, KELI* cle, Bag Voisins::*liste);
    static void retirer(Index& map, KELI* cle, KELI* autre, KELI* lien);

    void compacter();
    void desactiver(KELI* lien, KELI* p, KELI* e);
    // A link's parent or child for this window, as KELI::parentDe and enfantDe answer them, with
    // the object the last links shared remembered (the links of one parent cross one after the
    // other).
    template <KELI* (KELIRep::*siConnu)() const, KELI* (KELIRep::*retenir)(KELI*), KELI* (KELI::*chercher)(KELIRep*, KELICc*)>
    KELI* objetDuLien(KELI* lien, KELIRep* rep, KELId id, KELLienRetenu& retenu);

    std::vector<KELI*> liens_; // in order of activation; nullptr where a link left
    std::size_t nbLiens_ = 0;
    // Listed links that lost their representation without leaving (their places).
    std::unordered_map<KELI*, std::uint32_t> orphelins_;
    bool liensCharges_ = false;
    bool chargement_ = false;
    bool partie_ = false; // the relation left the window: nothing is activated here any more
    std::int8_t bordImpose_ = -1; // while reloading: the edge every activation is told of
    KELI* modelParent_ = nullptr;
    KELI* modelEnfant_ = nullptr;
    bool modelParentConnu_ = false;
    bool modelEnfantConnu_ = false;
    KELLienRetenu parentRetenu_;
    KELLienRetenu enfantRetenu_;
    Index mapDuParent_;  // parent -> its children and its links
    Index mapDeLEnfant_; // child -> its parents and its links
    bool indexesVivants_ = false; // both indexes made (on first read) and kept since
    std::unique_ptr<KELSelCtrlRelation, KELSelDetruire> selCtrlR_;
    static inline std::uint64_t enlevees_ = 0;
};

inline KELIRepRelation* KELIRep::commeRelation() { return siRelation_ ? static_cast<KELIRepRelation*>(this) : nullptr; }
