#pragma once
// Cursors and contexts: links whose events mark a moment or a window in the event table.
// KELICc holds what both share: the update-delegate lists and the window side of crossings.

#include "engine/KELLien.h"

#include <unordered_map>
#include <vector>

class KELICurseur;
class KELIContexte;

// The update-delegate protocol: what models and viewers hear when links become active or
// inactive for a cursor. Every message has an empty default; a delegate answers what it needs.
// Delegates are never owned by the engine: each one removes itself when it is torn down.
class KELDelegueDeMaj {
public:
    virtual ~KELDelegueDeMaj() = default;
    virtual void activationDuLien(KELI* lien, KELICc* curseur) {}
    virtual void desactivationDuLien(KELI* lien, KELICc* curseur) {}
    virtual void activationDuLienParent(KELI* lien) {}
    virtual void activationDuLienEnfant(KELI* lien) {}
    virtual void desactivationDuLienParent(KELI* lien) {}
    virtual void desactivationDuLienEnfant(KELI* lien) {}
};

// A link the server answered for an id at a cursor, found again without asking while the server
// would answer it at once and change nothing: while the link is known shown in the cursor and in
// the cursor's context (the server's own memory of that, which a link loses with any of its
// representations; the server never replaces a link it holds). A crossing asks for its link's
// relation, parent and child, and the relation and often the parent are the same from one link to
// the next.
class KELLienRetenu {
public:
    // The link kept for `id` at `curseur`, or nullptr. The child of each link is another id: that
    // much is answered inline.
    KELI* siConnu(KELId id, KELICc* curseur) const
    {
        return id == id_ && curseur == curseur_ && lien_ ? siToujoursVu(curseur) : nullptr;
    }
    void noter(KELId id, KELICc* curseur, KELI* lien)
    {
        id_ = id;
        curseur_ = curseur;
        lien_ = lien;
    }

private:
    KELI* siToujoursVu(KELICc* curseur) const;
    KELId id_ = 0;
    const KELICc* curseur_ = nullptr;
    KELI* lien_ = nullptr;
};

class KELICc : public KELI {
public:
    KELICc();
    std::string kelClasse() const override { return "KELICc"; }

    void ajouterLeDelegueDeMaj(KELDelegueDeMaj* delegue, KELId lienInt);
    void enleverLeDelegueDeMaj(KELDelegueDeMaj* delegue, KELId lienInt);
    // The messages activationDuLien:curseur:, desactivationDuLien:curseur:, activationDuLienParent:,
    // activationDuLienEnfant:, desactivationDuLienParent: and desactivationDuLienEnfant:. Every
    // activation informs the delegates of three ids, and nearly all ids have none: that much is
    // answered here, inline.
    void informerActivation(KELId id, KELI* lien) { informerSi(id, lien, &KELICc::informerActivationLent); }
    void informerDesactivation(KELId id, KELI* lien) { informerSi(id, lien, &KELICc::informerDesactivationLent); }
    void informerActivationParent(KELId id, KELI* lien) { informerSi(id, lien, &KELICc::informerActivationParentLent); }
    void informerActivationEnfant(KELId id, KELI* lien) { informerSi(id, lien, &KELICc::informerActivationEnfantLent); }
    void informerDesactivationParent(KELId id, KELI* lien)
    {
        informerSi(id, lien, &KELICc::informerDesactivationParentLent);
    }
    void informerDesactivationEnfant(KELId id, KELI* lien)
    {
        informerSi(id, lien, &KELICc::informerDesactivationEnfantLent);
    }
    std::size_t nbDeDelegues(KELId lienInt) const;

    KELICc* curseurGlobal() const;
    void setCurseurGlobal(KELICc* c) { curseurGlobal_ = c; }

    // Defaults that cursors and contexts override.
    virtual KELDate now() { return 0.0; }
    virtual KELDate nowIn() { return 0.0; }
    virtual KELDate nowOut() { return 0.0; }
    virtual KELDate placeToi() { return 0.0; }
    virtual double calculerOffsetSuivant() { return 0.0; }
    virtual double calculerOffsetPrecedent() { return 0.0; }
    // Whether the window includes a link: L.in <= end and L.out > start (see KELLien.h). Asked
    // of every window of a relation at every crossing, so answered here and inline.
    bool siIncluLeLien(const KELI* lien) const
    {
        return lien->siCurseur() || (lien->inDate() <= outDate() && lien->outDate() > inDate());
    }
    // Whether the window or its context includes it: waking a link for a window that sees it in
    // neither changes nothing.
    bool siVoitLeLien(const KELI* lien);
    virtual KELICurseur* curseur() { return nullptr; }
    virtual KELIContexte* contexte() { return nullptr; }
    void reveilleToi(KELICc*) override {}
    virtual void addOffset(double) {}

    // A cursor or context moves without writing its row. Its edges move at every step of a move,
    // and most steps carry an edge past nothing: that much is answered here, inline, and forced
    // into the move's loop (four calls a step otherwise, each saving and restoring registers).
    [[gnu::always_inline]] inline void placeInDate(KELDate date, KELICc* curseur) final
    {
        const KELDate avant = inDate();
        if (!(date > avant) && !(date < avant))
            return;
        assignerInDate(date);
        porterLeBord(this, avant, date, curseur);
    }
    [[gnu::always_inline]] inline void placeOutDate(KELDate date, KELICc* curseur) final
    {
        const KELDate avant = outDate();
        if (!(date > avant) && !(date < avant))
            return;
        assignerOutDate(date);
        porterLeBord(lienOut(), avant, date, curseur);
    }

    // The crossings that carry a link into or out of the window; the window's edges are carried by
    // KELGrandTableau::passerLeBord, which calls these directly.
    void inEstPlaceDansOut(KELLien* e, KELICc* curseur) final;
    void outEstPlaceDansIn(KELLien* e, KELICc* curseur) final;
    void outEstPlaceHorsIn(KELLien* e, KELICc* curseur) final;
    void inEstPlaceHorsOut(KELLien* e, KELICc* curseur) final;
    void inEstPlaceDansIn(KELLien* e, KELICc* curseur) final { KELI::inEstPlaceDansIn(e, curseur); }
    void inEstPlaceHorsIn(KELLien* e, KELICc* curseur) final { KELI::inEstPlaceHorsIn(e, curseur); }
    void outEstPlaceDansOut(KELLien* e, KELICc* curseur) final { KELI::outEstPlaceDansOut(e, curseur); }
    void outEstPlaceHorsOut(KELLien* e, KELICc* curseur) final { KELI::outEstPlaceHorsOut(e, curseur); }

protected:
    void entreeDuLien(KELI* lien, KELICc* passe, bool futur);
    void sortieDuLien(KELI* lien, KELICc* passe, bool futur);

private:
    // After one of the window's edges moved from `avant` to `date` (not equal): the pass, when it
    // has something to pass.
    [[gnu::always_inline]] inline void porterLeBord(KELLien* bord, KELDate avant, KELDate date, KELICc* curseur)
    {
        if (date > avant) {
            if (KELGrandTableau::aPasserApres<false>(bord, date, this))
                KELGrandTableau::passerLeBord(bord, this, false, curseur);
        } else if (KELGrandTableau::aPasserApres<true>(bord, date, this)) {
            KELGrandTableau::passerLeBord(bord, this, true, curseur);
        }
    }

    template <class Message>
    void informer(KELId lienInt, Message&& message);
    void informerSi(KELId lienInt, KELI* lien, void (KELICc::*lent)(KELId, KELI*))
    {
        if (filtreDesDelegues_ & bitDe(lienInt))
            (this->*lent)(lienInt, lien);
    }
    void informerActivationLent(KELId lienInt, KELI* lien);
    void informerDesactivationLent(KELId lienInt, KELI* lien);
    void informerActivationParentLent(KELId lienInt, KELI* lien);
    void informerActivationEnfantLent(KELId lienInt, KELI* lien);
    void informerDesactivationParentLent(KELId lienInt, KELI* lien);
    void informerDesactivationEnfantLent(KELId lienInt, KELI* lien);

    // Every activation asks for the delegates of three ids, and nearly all of them have none: a
    // bit per id (by hash, set when a delegate is added, never cleared) answers most at once.
    static std::uint64_t bitDe(KELId id) { return std::uint64_t{1} << ((id * 0x9E3779B97F4A7C15ull) >> 58); }

    // The relation of the links crossed and its representation here, when the last crossing
    // found them as they still are.
    KELI* relationDuPassage(KELId id, KELICc* passe, KELIRep*& repRelation);
    KELLienRetenu relationRetenue_;
    KELIRep* repRelationRetenue_ = nullptr;
    std::uint64_t relationsEnleveesVues_ = 0;

    KELICc* curseurGlobal_ = nullptr; // not owned
    std::uint64_t filtreDesDelegues_ = 0;
    std::unordered_map<KELId, std::vector<KELDelegueDeMaj*>> mapLienDelegues_;
    // The list asked for last (entries are never erased: it stays valid).
    std::vector<KELDelegueDeMaj*>* deleguesDe(KELId lienInt);
    KELId idDesDelegues_ = 0;
    std::vector<KELDelegueDeMaj*>* delegues_ = nullptr;
};

