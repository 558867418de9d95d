#pragma once
// Links and the time-ordered event table.
//
// Every fact is a link PARENT --RELATION--> CHILD valid on [in-date, out-date). In memory each
// link owns two events: itself (its start, at the in-date) and its twin KELO (its end, at the
// out-date). All events of all links in memory, cursors and contexts included, stand in one array,
// the KELGrandTableau, sorted by time. Moving an event carries it through the array one neighbour
// at a time; each neighbour passed is a crossing, and crossings between a plain link's events and
// a cursor's or context's events make the link appear or disappear for that window.
//
// Invariants (KELGrandTableau::verifier checks them; every engine test runs it after each act):
//  1. an event's gtIndexInt equals its position in the array;
//  2. events are in non-decreasing order of (date, rank), see below;
//  3. a link's in-event stands before its out-event, except for a plain link of zero length,
//     whose out-event stands first (rank order below);
//  4. events are never removed: a forgotten or erased link's events move to the end region at
//     KELDateOublieeIn and KELDateOublieeOut.
//
// Equal dates. Whether a link is inside a window is decided by the window's own test: a link L is
// inside the window [a, b] iff L.in <= b and L.out > a (a cursor is the window [t, t]). So a link
// that starts exactly where a window ends is inside, and one that ends exactly where a window
// starts is outside. The array must say the same thing, so among events of one date the order is
// fixed by a rank:
//      rank 0: out-event of a plain link
//      rank 1: in-event of a plain link, in-event of a cursor or context
//      rank 2: out-event of a cursor or context
// Plain ends come before window starts of the same date (the link has ended), and plain starts
// come before window ends of the same date (the link has begun). A pass crosses a neighbour only
// when the neighbour's (date, rank) is strictly on the other side, so every crossing that changes
// the relative order of a plain link and a window is exactly a change of inclusion, in either
// direction, and no other crossing happens. Events of equal (date, rank) are never swapped by a
// pass; their order among themselves means nothing (a link's two events never have equal (date,
// rank)), so inserting one event may move the first event of such a run to the run's end.
// Consequences: a zero-length link at t is inside a window [a, b] iff a < t <= b, so never at a cursor
// (nor in a zero-length context at t, which the windows would otherwise count in while the array
// cannot); a window whose end lies before its start includes exactly the links that span it, and
// its dates are never rewritten behind the array's back.
//
// Batches. Links woken together are placed as a batch: the batch's events are sorted and merged into
// the array in one pass, and each link is then given to the windows that include it. The table ends
// in the same order and every window with the same active links as if they had been carried in one
// at a time; only the order of the activation messages within one batch may differ. Links woken from
// inside a pass (a crossing that wakes a relation) are carried in one at a time, since the moving
// event is out of place until its pass ends.

#include "engine/KELTypes.h"

#include <cstddef>
#include <memory>
#include <string>
#include <utility>
#include <variant>
#include <vector>

class KELI;
class KELO;
class KELICc;
class KELIRep;
class KELGrandTableau;
class KELSelCtrlModel;
class KELSelCtrlRelation;

// The value of a value element: a word or a number.
using KELValue = std::variant<std::monostate, std::string, double>;

// Root of all events.
class KELLien {
public:
    virtual ~KELLien() = default;

    KELId idInt() const { return etendu(idInt_, kChampId); }
    void assignerIdInt(KELId id) { idInt_ = compacter(kChampId, id); }
    std::string idTxt() const { return std::to_string(static_cast<long>(idInt())); }

    // The index is kept as a number from which the table's origin is taken away: an event put in
    // front of all others lowers the origin instead of renumbering every event behind it.
    inline std::size_t gtIndexInt() const;
    inline void assignerGtIndexInt(std::size_t i);

    // The one event table; nullptr until this event stands in it (events never leave it).
    KELGrandTableau* grandTableau() const { return (gtIndexInt_ & kIndex) != kHorsTableau ? tableau_ : nullptr; }
    inline void referencerGrandTableau(KELGrandTableau* gt);

    virtual std::string kelClasse() const = 0;
    virtual KELI* lienIn() { return nullptr; }
    virtual KELO* lienOut() { return nullptr; }
    virtual KELId parentInt() const { return 0; }
    virtual KELId enfantInt() const { return 0; }
    virtual KELId relationInt() const { return 0; }
    // Asked of every neighbour an event passes, so answered from the event itself, not by a call.
    inline KELDate date() const;
    bool siOut() const { return (gtIndexInt_ & kOut) != 0; }
    bool siCurseur() const { return (gtIndexInt_ & kCurseur) != 0; }

    // Order of events of equal date (see the header comment).
    int rang() const { return siOut() ? (siCurseur() ? 2 : 0) : 1; }
    // Said once by a cursor or context of itself and of its end event, when made.
    void marquerCurseur() { gtIndexInt_ |= kCurseur; }

    // The passes. The root only logs.
    virtual void placeToiAGaucheCurseur(KELICc* curseur);
    virtual void placeToiADroiteCurseur(KELICc* curseur);
    virtual void scannToiAGaucheCurseur(KELICc* curseur);

protected:
    // Ids and values are kept in 32 bits: a base holds millions of links, and the ids the store
    // hands out stay below 10^9. A value that does not fit (a store written by other means) is
    // kept whole in a table beside the links, and the field only says so.
    static constexpr std::uint32_t kGrand = 0xFFFFFFFFu;
    enum Champ { kChampId, kChampParent, kChampEnfant, kChampRelation, kChampBase, kNbChamps };
    std::uint32_t compacter(Champ champ, KELId v) const
    {
        return v < kGrand ? static_cast<std::uint32_t>(v) : retenirGrand(champ, v);
    }
    KELId etendu(std::uint32_t v, Champ champ) const { return v != kGrand ? v : grand(champ); }
    std::uint32_t retenirGrand(Champ champ, KELId v) const;
    KELId grand(Champ champ) const;
    void oublierLesGrands() const;

    friend class KELGrandTableau;
    // There is one table for all links; keeping it out of every event saves memory on large bases.
    static inline KELGrandTableau* tableau_ = nullptr; // not owned
    // That table's origin (see KELGrandTableau), kept here: an index is read at every step of a pass.
    static inline std::uint32_t origine_ = 0;
    // The position in the table shares its word with what kind of event this is: the top bits
    // say end event and cursor or context, the rest is the index (a table of a billion events).
    static constexpr std::uint32_t kOut = 0x80000000u;
    static constexpr std::uint32_t kCurseur = 0x40000000u;
    static constexpr std::uint32_t kIndex = 0x3FFFFFFFu;
    static constexpr std::uint32_t kHorsTableau = kIndex;
    std::uint32_t idInt_ = 0;
    std::uint32_t gtIndexInt_ = kHorsTableau;
};

// The end event of a link; lives inside its link.
class KELO final : public KELLien {
public:
    KELO() { gtIndexInt_ |= kOut; }
    std::string kelClasse() const override { return "KELO"; }
    KELI* lienIn() override { return duLien(); }
    KELO* lienOut() override { return this; }
    KELId parentInt() const override;
    KELId enfantInt() const override;
    KELId relationInt() const override;
    std::string dateTxt() const;
    std::string parentTxt() const { return "-"; }
    std::string enfantTxt() const { return "-"; }
    std::string relationTxt() const { return "-"; }

    void placeToiAGaucheCurseur(KELICc* curseur) override;
    void placeToiADroiteCurseur(KELICc* curseur) override;
    void scannToiAGaucheCurseur(KELICc* curseur) override;

private:
    friend class KELLien;
    // The link this event lives in: it is always the link's own member, so it is found by
    // position instead of being pointed at (one pointer less for every link of the base).
    KELI* duLien() const;
};

// A link, which is also its own start event.
class KELI : public KELLien {
public:
    KELI();
    ~KELI() override;
    KELI(const KELI&) = delete;
    KELI& operator=(const KELI&) = delete;

    std::string kelClasse() const override { return "KELI"; }

    // A base holds a plain link object for every link: those come from a free list of their own
    // (subclasses, being larger, from the ordinary heap).
    static void* operator new(std::size_t taille);
    static void operator delete(void* p, std::size_t taille);

    KELId parentInt() const final { return etendu(parentInt_, kChampParent); }
    KELId enfantInt() const final { return etendu(enfantInt_, kChampEnfant); }
    KELId relationInt() const final { return etendu(relationInt_, kChampRelation); }
    KELId baseInt() const { return etendu(baseInt_, kChampBase); }
    void assignerParentInt(KELId v) { parentInt_ = compacter(kChampParent, v); }
    void assignerEnfantInt(KELId v) { enfantInt_ = compacter(kChampEnfant, v); }
    void assignerRelationInt(KELId v) { relationInt_ = compacter(kChampRelation, v); }
    void assignerBaseInt(KELId v) { baseInt_ = compacter(kChampBase, v); }
    std::string parentTxt() const { return std::to_string(static_cast<long>(parentInt())); }
    std::string enfantTxt() const { return std::to_string(static_cast<long>(enfantInt())); }
    std::string relationTxt() const { return std::to_string(static_cast<long>(relationInt())); }

    KELDate inDate() const { return inDate_; }
    KELDate outDate() const { return outDate_; }
    void assignerInDate(KELDate d) { inDate_ = d; }
    void assignerOutDate(KELDate d) { outDate_ = d; }
    static std::string dateDescription(KELDate d);
    std::string inDateTxt() const { return dateDescription(inDate_); }
    std::string outDateTxt() const { return dateDescription(outDate_); }
    std::string dateTxt() const { return inDateTxt(); }

    KELI* lienIn() final { return this; }
    KELO* lienOut() final { return &lienOut_; }

    bool siCroisementFutur() const { return siCroisementFutur_; }
    void setSiCroisementFutur(bool v) { siCroisementFutur_ = v; }

    bool siIncluLaDate(KELDate d) const { return inDate_ <= d && d < outDate_; }
    int compareInDate(const KELI& other) const { return inDate_ < other.inDate_ ? -1 : 1; }
    int compareOutDate(const KELI& other) const;
    int compareIdInt(const KELI& other) const
    {
        return idInt() > other.idInt() ? 1 : (idInt() < other.idInt() ? -1 : 0);
    }

    // Per-cursor representations.
    KELIRep* representant(const KELICc* curseur) const;
    // Asks for the first representation without waiting for it, or for the whole of a block of
    // eight (read from its end, it spans up to three lines).
    void prefetchRepresentants() const
    {
        if (!reps_)
            return;
        const char* p = reinterpret_cast<const char*>(reps_ & ~std::uintptr_t{1});
        __builtin_prefetch(p);
        if (reps_ & 1u) {
            __builtin_prefetch(p + 64);
            __builtin_prefetch(p + 128);
            __builtin_prefetch(p + 135);
        }
    }
    // The same for the representation `n` places down a list (the first one is place 0), reached
    // through those before it, which must have been asked for already; nothing for a block or past
    // the end. A move asks for a few more of each link it is about to meet, one place at a time.
    void prefetchRepresentantNo(std::size_t n) const;
    // Asks for the server's memory of this link (see siVuDans) without waiting for it.
    void prefetchVu() const
    {
        const char* v = reinterpret_cast<const char*>(vus(this));
        __builtin_prefetch(v, 1);
        __builtin_prefetch(v + sizeof(VuDans) * kVoies - 1, 1);
    }
    bool siContientLeCurseur(const KELICc* curseur) const { return representant(curseur) != nullptr; }
    virtual bool ajouterLeCurseur(KELICc* curseur);
    // The same, answering the link's representation for the cursor (made now or found), or
    // nullptr when it has none and the cursor does not include the link.
    KELIRep* representantAjoute(KELICc* curseur);
    void enleverLeCurseur(KELICc* curseur);
    // The cursors and contexts that have a representation of this link, in order of addition.
    std::vector<KELICc*> curseurs() const;
    // The same without a copy: how many, and the i-th (nullptr past the end).
    std::size_t nbDeCurseurs() const;
    KELICc* curseurNo(std::size_t i) const;
    // Copies the first `max` of them (and their representations) into `dest` (and `reps`, when
    // given); answers how many there are in all.
    std::size_t copierLesCurseurs(KELICc** dest, std::size_t max, KELIRep** reps = nullptr) const;
    // Counts representations taken away from any link: while it stands still, representations
    // copied earlier are still alive and still the ones their links answer.
    static std::uint64_t repsEnleves() { return repsEnleves_; }

    // The server's memory of links it found shown in a cursor and in that cursor's context, so
    // that asking again (every crossing asks for a link's relation, parent and child) costs no
    // walk of the representations. A link forgets it whenever it loses a representation.
    // siVuDans answers true when the link is known to be shown in `curseur`, and then gives the
    // context it was found shown in as well.
    bool siVuDans(const KELICc* curseur, const KELICc*& contexte) const
    {
        const VuDans* v = vus(this);
        for (std::size_t i = 0; i < kVoies; ++i) {
            if (v[i].lien == this && v[i].curseur == curseur) {
                contexte = v[i].contexte;
                return true;
            }
        }
        return false;
    }
    void retenirVuDans(const KELICc* curseur, const KELICc* contexte) const;
    static void oublierLesVus();

    // The selection controller of the link's representation at the cursor, made on first request;
    // nullptr without a representation, or for a link that is no model (no relation).
    KELSelCtrlModel* selCtrlModel(KELICc* curseur);
    KELSelCtrlRelation* selCtrlRelation(KELICc* curseur);

    // Wakes the link's relation for the cursor; value elements also load their value.
    virtual void reveilleToi(KELICc* curseur);
    virtual void lachePrise();

    // Moving one end in time, then rewriting the row.
    virtual void placeInDate(KELDate date, KELICc* curseur);
    virtual void placeOutDate(KELDate date, KELICc* curseur);

    void placeToiAGaucheCurseur(KELICc* curseur) override;
    void placeToiADroiteCurseur(KELICc* curseur) override;
    void scannToiAGaucheCurseur(KELICc* curseur) override;

    // Crossing callbacks; `e` is the event passed, `curseur` the pass's cursor.
    virtual void inEstPlaceDansOut(KELLien* e, KELICc* curseur);
    virtual void inEstPlaceHorsIn(KELLien* e, KELICc* curseur);
    virtual void inEstPlaceHorsOut(KELLien* e, KELICc* curseur);
    virtual void inEstPlaceDansIn(KELLien* e, KELICc* curseur);
    virtual void outEstPlaceDansOut(KELLien* e, KELICc* curseur);
    virtual void outEstPlaceHorsIn(KELLien* e, KELICc* curseur);
    virtual void outEstPlaceHorsOut(KELLien* e, KELICc* curseur);
    virtual void outEstPlaceDansIn(KELLien* e, KELICc* curseur);

    // Hooks on a link's parent and child when one of its links changes activation.
    virtual void majDActivationDuLienParent(KELI* lien, KELICc* curseur) {}
    virtual void majDActivationDuLienEnfant(KELI* lien, KELICc* curseur) {}
    virtual void majDeDesactivationDuLienParent(KELI* lien, KELICc* curseur) {}
    virtual void majDeDesactivationDuLienEnfant(KELI* lien, KELICc* curseur) {}

    // Relation objects override these (a plain link is no relation).
    virtual void ajouterAuxCurseursLeLien(KELI* lien) {}
    virtual void enleverLeLien(KELI* lien, KELICc* curseur) {}

    // Navigation at a cursor.
    KELI* parent(KELICc* curseur);
    KELI* enfant(KELICc* curseur);
    // The same when the caller holds the link's representation for the cursor (or knows it has
    // none: nullptr).
    KELI* parentDe(KELIRep* connu, KELICc* curseur);
    KELI* enfantDe(KELIRep* connu, KELICc* curseur);
    KELI* relation(KELICc* curseur);
    KELI* enfantDeRelInt(KELId rel, KELICc* curseur);
    KELI* enfantDeRelTxt(const std::string& nom, KELICc* curseur);
    std::vector<KELI*> enfantsDeRelTxt(const std::string& nom, KELICc* curseur);
    virtual KELI* lienSelonLesRelations(std::vector<std::string>& chemin, KELICc* curseur);
    virtual KELValue baseSelonLesRelations(std::vector<std::string>& chemin, KELICc* curseur);
    void setBase(const KELValue& valeur, const std::vector<std::string>& chemin, KELICc* curseur);
    virtual KELValue nom(KELICc* curseur);
    // The Channel an Object was first shown on, found once and remembered for the run (few links
    // are Objects: the memory lives beside the links, not in each).
    KELId channelInt();
    void setChannelInt(KELId channel);
    static void oublierLesChannels();
    virtual void logLienIn(KELICc* curseur);

    // Value elements answer their value.
    virtual KELValue base() const { return {}; }

protected:
    template <KELI* (KELIRep::*siConnu)() const, KELI* (KELIRep::*retenir)(KELI*)>
    KELI* objetDe(KELIRep* connu, KELICc* curseur, KELId id);
    // The representation class a link makes for a cursor.
    virtual std::unique_ptr<KELIRep> nouveauRep(KELICc* curseur);
    // Shared by the crossing callbacks that add or remove a window.
    void entreDansLaFenetre(KELLien* fenetre, KELICc* curseur);
    void sortDeLaFenetre(KELLien* fenetre, KELICc* curseur);

private:
    struct VuDans {
        const KELI* lien;
        const KELICc* curseur;
        const KELICc* contexte;
    };
    // Two ways a set, so that a link asked for in a cursor and in its context keeps both. Large
    // enough to hold the Objects a jump meets between entering and leaving a window: finding one
    // again otherwise walks its representations, a cache miss each.
    static constexpr std::size_t kVus = 8192;
    static constexpr std::size_t kVoies = 2;
    static inline VuDans vus_[kVus][kVoies] = {};
    static VuDans* vus(const KELI* lien)
    {
        const auto p = static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(lien));
        return vus_[(p * 0x9E3779B97F4A7C15ull) >> 51]; // the top 13 bits: kVus sets
    }
    void oublierVu() const;
    // The i-th representation in order of addition (nullptr past the end); adding one at the end,
    // taking the i-th out (its owner now the caller), and destroying all of them.
    KELIRep* repNo(std::size_t i) const;
    static KELIRep* trouverRep(std::uintptr_t reps, const KELICc* curseur); // reps_ not empty
    // Where the window's representation stands in that order; kPasDePlace when it has none.
    static constexpr std::size_t kPasDePlace = ~std::size_t{0};
    std::size_t placeDuCurseur(const KELICc* curseur) const;
    KELIRep* ajouterRep(std::unique_ptr<KELIRep> rep);
    std::unique_ptr<KELIRep> retirerRepNo(std::size_t i);
    void detruireLesReps();

    friend class KELO;
    friend class KELLien;
    static inline std::uint64_t repsEnleves_ = 0;
    bool siCroisementFutur_ = false; // first, so that it fills the base's padding
    std::uint32_t parentInt_ = 0;
    std::uint32_t enfantInt_ = 0;
    std::uint32_t relationInt_ = 0;
    std::uint32_t baseInt_ = 0;
    KELDate inDate_ = 0.0;
    KELDate outDate_ = 0.0;
    // The representations (owned): the first, which holds the next, or, tagged by the low bit, a
    // block of five or more (see KELLien.cpp).
    std::uintptr_t reps_ = 0;
    KELO lienOut_;
};

#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
#endif
inline KELI* KELO::duLien() const
{
    // KELI has no virtual base, so its members sit at fixed offsets.
    constexpr std::size_t decalage = offsetof(KELI, lienOut_);
    return reinterpret_cast<KELI*>(reinterpret_cast<char*>(const_cast<KELO*>(this)) - decalage);
}
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

inline KELDate KELLien::date() const
{
    return siOut() ? static_cast<const KELO*>(this)->duLien()->outDate_ : static_cast<const KELI*>(this)->inDate_;
}

// The table's storage: an array with room kept in front as well as behind, so that an event that
// goes before most others (a value dated "always") moves those before it, not those after.
class KELEvenements {
public:
    std::size_t size() const { return n_; }
    KELLien*& operator[](std::size_t i) { return premier_[i]; }
    KELLien* operator[](std::size_t i) const { return premier_[i]; }
    KELLien** begin() { return premier_; }
    KELLien** end() { return premier_ + n_; }
    KELLien* const* begin() const { return premier_; }
    KELLien* const* end() const { return premier_ + n_; }
    std::size_t capacity() const { return v_.capacity() - debut_; }
    void reserve(std::size_t n)
    {
        v_.reserve(debut_ + n);
        suivre();
    }
    void push_back(KELLien* e)
    {
        v_.push_back(e);
        suivre();
    }
    void resize(std::size_t n)
    {
        v_.resize(debut_ + n);
        suivre();
    }
    template <class It>
    void ajouter(It premier, It dernier)
    {
        v_.insert(v_.end(), premier, dernier);
        suivre();
    }
    // A place in front of the first event, which becomes index 0.
    void ouvrirDevant();

private:
    // The first event and the count are read at every step of a pass: kept at hand.
    void suivre()
    {
        premier_ = v_.data() + debut_;
        n_ = v_.size() - debut_;
    }
    std::vector<KELLien*> v_;
    std::size_t debut_ = 0;
    KELLien** premier_ = nullptr;
    std::size_t n_ = 0;
};

// The time-ordered event array.
class KELGrandTableau {
public:
    // The events the table holds before it first grows.
    static constexpr std::size_t kPlacesInitiales = 350000;

    KELGrandTableau() { events_.reserve(kPlacesInitiales); }

    std::size_t count() const { return events_.size(); }
    KELLien* at(std::size_t i) const { return events_[i]; }
    void append(KELLien* e)
    {
        ++versionDesLiens_;
        if (origine_ + events_.size() + 1 >= kIndexMax)
            renumeroter(0);
        e->referencerGrandTableau(this);
        e->assignerGtIndexInt(events_.size());
        events_.push_back(e);
    }
    // Room for `n` more events.
    void reserver(std::size_t n) { kelReserver(events_, events_.size() + n); }
    void echanger(std::size_t i, std::size_t j)
    {
        std::swap(events_[i], events_[j]);
        events_[i]->assignerGtIndexInt(i);
        events_[j]->assignerGtIndexInt(j);
    }

    // Moves the event at `de` to slot `a`, the events between shifting by one towards `de`.
    void deplacer(std::size_t de, std::size_t a);
    // The farthest slot an event out of place must be carried to, later (or earlier, kGauche) in
    // the table: the last event strictly earlier (the first strictly later) than it. Its own slot
    // when it is in place. The rest of the table must be in order.
    template <bool kGauche>
    static std::size_t destination(const KELGrandTableau& gt, const KELLien* e)
    {
        const std::size_t i = e->gtIndexInt();
        const std::size_t n = gt.count();
        auto passe = [&](std::size_t d) { // whether the event is to pass the one d slots away
            return kGauche ? (d <= i && avant(e, gt.at(i - d))) : (i + d < n && avant(gt.at(i + d), e));
        };
        // Gallop to a distance it does not pass, then halve the gap: [bas passed, haut not].
        std::size_t bas = 0, haut = 1;
        while (passe(haut)) {
            bas = haut;
            haut *= 2;
        }
        while (haut - bas > 1) {
            const std::size_t milieu = bas + (haut - bas) / 2;
            (passe(milieu) ? bas : haut) = milieu;
        }
        return kGauche ? i - bas : i + bas;
    }
    // Places the events of links already appended at the end of the array (both events of each)
    // into time order in one merge; answers nothing about windows (the server does that).
    void fusionnerLaFin(std::size_t debut);
    // Inserts one event at its place (after the events of equal (date, rank)).
    void insererUn(KELLien* e);
    // The first index in [de, jusqua) whose event is strictly later than `e` (jusqua when none);
    // the events there must be in order.
    std::size_t premierApres(const KELLien* e, std::size_t de, std::size_t jusqua) const;
    // The same for the first that is not strictly earlier.
    std::size_t premierPasAvant(const KELLien* e, std::size_t de, std::size_t jusqua) const;
    // Moves the event at `de` to `vers`, those between one place towards `de`, with no callback.
    void porter(std::size_t de, std::size_t vers);

    // Brings an event's kind and date towards the cache without waiting for either: an end
    // event's date lives in its link, just before it, and a start event's a few words after it.
    // Sixty-four bytes around the event hold both, whichever it is.
    static void prefetch(const KELLien* e)
    {
        const char* p = reinterpret_cast<const char*>(e);
        __builtin_prefetch(p - 16);
        __builtin_prefetch(p + 47);
    }

    // Carries a window's edge (an event of `fenetre`) past every neighbour it is now strictly
    // later (earlier) than, telling the window of each link that enters or leaves it.
    static void passerLeBord(KELLien* bord, KELICc* fenetre, bool versLaGauche, KELICc* curseur);
    // Whether a window's edge just moved later (earlier, kGauche) to `date`, its new date, needs
    // that pass. Window edges move at every step of a cursor move and most steps pass nothing;
    // half the crossings of a move pass one neighbour that tells the window nothing (an event of the
    // edge's own kind, or another window's edge) and nothing after it: those are carried here.
    template <bool kGauche>
    [[gnu::always_inline]] static inline bool aPasserApres(KELLien* bord, KELDate date, KELI* fenetre);

    // (date, rank) strictly before.
    static bool avant(const KELLien* a, const KELLien* b)
    {
        const KELDate da = a->date(), db = b->date();
        if (da != db)
            return da < db;
        return a->rang() < b->rang();
    }

    // Checks the invariants; answers an empty text when they hold.
    std::string verifier() const;

    // Changes whenever a plain event comes into the table, moves in it or is dated again; never
    // when only window edges move. A cursor move remembers the next event ahead of each edge from
    // one step to the next for as long as this stays the same.
    std::uint64_t versionDesLiens() const { return versionDesLiens_; }
    void liensChanges() { ++versionDesLiens_; }

    // Passes under way. While one runs, its moving event is out of place, so new links are carried
    // in one by one (as a pass would) instead of being merged.
    int passesEnCours() const { return passesEnCours_; }
    struct Passe {
        explicit Passe(KELGrandTableau* gt) : gt_(gt) { ++gt_->passesEnCours_; }
        ~Passe()
        {
            // Asked at the end of every pass of a move: the flag is read here, not behind a call.
            if (--gt_->passesEnCours_ == 0 && verification_)
                gt_->verifierSiDemande();
        }
        Passe(const Passe&) = delete;
        Passe& operator=(const Passe&) = delete;
        KELGrandTableau* gt_;
    };

    // Debug aid for tests: check the invariants after every outermost move and placement, and keep
    // the first violation found (empty while none).
    static void activerVerification(bool oui);
    static const std::string& premiereErreur();
    void verifierSiDemande() const;

private:
    // The first (last) index of the run of equal (date, rank) holding `j`, no further than `borne`.
    std::size_t debutDeSuite(std::size_t borne, std::size_t j) const;
    std::size_t finDeSuite(std::size_t j, std::size_t borne) const;

    // Gives every event its index again from a new origin.
    void renumeroter(std::uint32_t origine);

    static inline bool verification_ = false;

    friend class KELLien;
    // What an event keeps is its index plus the origin; events put in front lower it, and the
    // table is renumbered only when it would go below 0 (or a kept number reach kIndexMax).
    static constexpr std::uint32_t kOrigineInitiale = 1u << 28;
    static constexpr std::uint32_t kIndexMax = 0x3FFFFFFFu;
    KELEvenements events_;
    std::uint32_t origine_ = kOrigineInitiale;
    int passesEnCours_ = 0;
    std::uint64_t versionDesLiens_ = 0;
};

template <bool kGauche>
inline bool KELGrandTableau::aPasserApres(KELLien* bord, KELDate date, KELI* fenetre)
{
    const std::uint32_t mot = bord->gtIndexInt_;
    if ((mot & KELLien::kIndex) == KELLien::kHorsTableau)
        return false;
    KELGrandTableau* gt = KELLien::tableau_;
    const std::size_t i = (mot & KELLien::kIndex) - KELLien::origine_;
    const std::size_t n = gt->count();
    // The edge's date is the one just given it, and its rank is a window edge's.
    const bool out = (mot & KELLien::kOut) != 0;
    const int rang = out ? 2 : 1;
    auto passe = [date, rang](const KELLien* x) {
        const KELDate dx = x->date();
        if (dx != date)
            return kGauche ? date < dx : dx < date;
        return kGauche ? rang < x->rang() : x->rang() < rang;
    };
    if (kGauche ? i == 0 : i + 1 >= n)
        return false;
    const std::size_t j = kGauche ? i - 1 : i + 1;
    KELLien* e = gt->at(j);
    if (!passe(e))
        return false;
    const bool memeSorte = e->siOut() == out;
    if (!memeSorte && !e->siCurseur())
        return true;
    if (kGauche ? (j > 0 && passe(gt->at(j - 1))) : (j + 1 < n && passe(gt->at(j + 1))))
        return true;
    if (memeSorte)
        fenetre->setSiCroisementFutur(out);
    gt->echanger(kGauche ? j : i, kGauche ? i : j);
    // What the end of a pass checks, when tests ask for it.
    if (verification_ && gt->passesEnCours_ == 0)
        gt->verifierSiDemande();
    return false;
}

inline std::size_t KELLien::gtIndexInt() const
{
    const std::uint32_t i = gtIndexInt_ & kIndex;
    return i == kHorsTableau ? 0 : i - origine_;
}

inline void KELLien::assignerGtIndexInt(std::size_t i)
{
    gtIndexInt_ = (gtIndexInt_ & ~kIndex) | static_cast<std::uint32_t>(i + origine_);
}

inline void KELLien::referencerGrandTableau(KELGrandTableau* gt)
{
    tableau_ = gt;
    if (gt)
        origine_ = gt->origine_;
    else
        gtIndexInt_ |= kHorsTableau;
}
