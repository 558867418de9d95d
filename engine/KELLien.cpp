#include "engine/KELLien.h"
#include "engine/KELMemoire.h"

#include "engine/KELICc.h"
#include "engine/KELICurseur.h"
#include "engine/KELIRep.h"
#include "engine/KELModels.h"
#include "engine/KELReserve.h"
#include "engine/KELServeurDeLiens.h"
#include "runtime/Clock.h"
#include "runtime/Log.h"
#include "engine/store/KELLog.h"

#include <algorithm>
#include <array>
#include <unordered_map>
#include <cmath>
#include <cstring>
#include <cstdio>
#include <ctime>
#include <limits>
#include <optional>
#include <sstream>
#include <system_error>
#include <thread>

using tallomer::logFormat;
using tallomer::logLine;

// ---------------------------------------------------------------------------------------------
// Root

void KELLien::placeToiAGaucheCurseur(KELICc*) { logLine("placeToiAGaucheCurseur ERREUR"); }
void KELLien::placeToiADroiteCurseur(KELICc*) { logLine("placeToiADroiteCurseur ERREUR"); }
void KELLien::scannToiAGaucheCurseur(KELICc*) { logLine("scannToiAGaucheCurseur ERREUR"); }

// ---------------------------------------------------------------------------------------------
// Passes

namespace {

// Sends the crossing callback for `moving` passing `e` to the moving link.
void croiser(KELLien* moving, KELLien* e, bool versLaGauche, KELICc* curseur)
{
    KELI* lien = moving->lienIn();
    const bool eOut = e->siOut();
    if (!moving->siOut()) {
        if (versLaGauche)
            eOut ? lien->inEstPlaceDansOut(e, curseur) : lien->inEstPlaceHorsIn(e, curseur);
        else
            eOut ? lien->inEstPlaceHorsOut(e, curseur) : lien->inEstPlaceDansIn(e, curseur);
    } else {
        if (versLaGauche)
            eOut ? lien->outEstPlaceDansOut(e, curseur) : lien->outEstPlaceHorsIn(e, curseur);
        else
            eOut ? lien->outEstPlaceHorsOut(e, curseur) : lien->outEstPlaceDansIn(e, curseur);
    }
}

// Carries an event left while its left neighbour is strictly later. A callback may re-enter the
// engine and move other events, so positions are read again after each one.
void passeAGaucheUnParUn(KELLien* moving, KELICc* curseur)
{
    KELGrandTableau* gt = moving->grandTableau();
    if (!gt)
        return;
    const KELGrandTableau::Passe enCours(gt);
    for (;;) {
        std::size_t i = moving->gtIndexInt();
        if (i == 0)
            return;
        KELLien* e = gt->at(i - 1);
        if (!KELGrandTableau::avant(moving, e))
            return;
        // The next neighbour is read once this crossing is told: fetch it while it is.
        if (i >= 2)
            KELGrandTableau::prefetch(gt->at(i - 2));
        croiser(moving, e, true, curseur);
        i = moving->gtIndexInt();
        if (i > 0 && gt->at(i - 1) == e)
            gt->echanger(i - 1, i);
    }
}

void passeADroiteUnParUn(KELLien* moving, KELICc* curseur)
{
    KELGrandTableau* gt = moving->grandTableau();
    if (!gt)
        return;
    const KELGrandTableau::Passe enCours(gt);
    for (;;) {
        std::size_t i = moving->gtIndexInt();
        if (i + 1 >= gt->count())
            return;
        KELLien* e = gt->at(i + 1);
        if (!KELGrandTableau::avant(e, moving))
            return;
        if (i + 2 < gt->count())
            KELGrandTableau::prefetch(gt->at(i + 2));
        croiser(moving, e, false, curseur);
        i = moving->gtIndexInt();
        if (i + 1 < gt->count() && gt->at(i + 1) == e)
            gt->echanger(i, i + 1);
    }
}

constexpr std::size_t kAucun = static_cast<std::size_t>(-1);

// Among the events at [de, jusqua), the one a pass meets first (going left: the highest index)
// whose crossing can do more than set the moving link's crossing side: a window's edge, or an
// event of the link's own relation, which takes the link to its windows. kAucun when none.
std::size_t premierQuiCompte(const KELGrandTableau* gt, KELI* lien, std::size_t de, std::size_t jusqua,
                             bool versLaGauche)
{
    std::size_t trouve = kAucun;
    auto voir = [&](const KELLien* e) {
        if (e->grandTableau() != gt)
            return;
        const std::size_t k = e->gtIndexInt();
        if (k >= de && k < jusqua && (trouve == kAucun || (versLaGauche ? k > trouve : k < trouve)))
            trouve = k;
    };
    for (KELICc* f : KELServeurDeLiens::Fenetres()) {
        voir(f);
        voir(f->lienOut());
    }
    if (KELI* relation = KELServeurDeLiens::DonneMaintenantLeLienId(lien->relationInt())) {
        voir(relation);
        voir(relation->lienOut());
    }
    return trouve;
}

// Whether a pass of this end can leave out the neighbours whose crossing only sets the link's
// crossing side. Not inside another pass, whose moving event is out of place, nor while woken links
// wait at the end of the table to be placed: either would mislead a search. Not for a window's own
// events (every link it meets counts); not for a relation of relations entering, which takes along
// every link of its own relation it meets.
bool parBonds(KELLien* moving, bool versLaGauche)
{
    const KELGrandTableau* gt = moving->grandTableau();
    if (!gt || gt->passesEnCours() > 0 || moving->siCurseur() || !KELServeurDeLiens::estInitialise() ||
        !KELServeurDeLiens::ToutEstPlace())
        return false;
    const bool entre = versLaGauche != moving->siOut();
    return !entre || !dynamic_cast<KELIElemRelationMC*>(moving->lienIn());
}

// A pass that carries the event at once past every run of neighbours that only set its crossing
// side, and crosses the others one at a time as the neighbour-by-neighbour pass does: the same
// messages in the same order, and the same crossing side at the end (the last crossing's).
template <bool kGauche>
void passeParBonds(KELLien* moving, KELICc* curseur)
{
    KELGrandTableau* gt = moving->grandTableau();
    const KELGrandTableau::Passe enCours(gt);
    KELI* lien = moving->lienIn();
    for (;;) {
        const std::size_t i = moving->gtIndexInt();
        // The neighbours it is to pass: [de, jusqua), on its side.
        const std::size_t de = kGauche ? gt->premierApres(moving, 0, i) : i + 1;
        const std::size_t jusqua = kGauche ? i : gt->premierPasAvant(moving, i + 1, gt->count());
        if (de == jusqua)
            return;
        const std::size_t w = premierQuiCompte(gt, lien, de, jusqua, kGauche);
        // As far as it goes without a callback: up to the one that needs it, or past them all.
        const std::size_t cible = w == kAucun ? (kGauche ? de : jusqua - 1) : (kGauche ? w + 1 : w - 1);
        if (cible != i) {
            const bool futur = gt->at(cible)->siOut();
            gt->porter(i, cible);
            lien->setSiCroisementFutur(futur);
        }
        if (w == kAucun)
            return;
        KELLien* e = gt->at(w);
        croiser(moving, e, kGauche, curseur);
        // The callback may have moved either event.
        const std::size_t k = moving->gtIndexInt();
        if (kGauche ? (k > 0 && gt->at(k - 1) == e) : (k + 1 < gt->count() && gt->at(k + 1) == e))
            gt->echanger(kGauche ? k - 1 : k, kGauche ? k : k + 1);
    }
}

void passeAGauche(KELLien* moving, KELICc* curseur)
{
    if (parBonds(moving, true))
        passeParBonds<true>(moving, curseur);
    else
        passeAGaucheUnParUn(moving, curseur);
}

void passeADroite(KELLien* moving, KELICc* curseur)
{
    if (parBonds(moving, false))
        passeParBonds<false>(moving, curseur);
    else
        passeADroiteUnParUn(moving, curseur);
}

// A window's edge meets two kinds of neighbours. A plain link's event on the other side of the
// window (an end for the start edge, a start for the end edge) makes the link enter or leave the
// window; any other only tells the window which way it last crossed, and needs no callback.
template <bool kGauche>
void croiserLeBord(KELLien* e, bool out, KELICc* fenetre, KELICc* curseur)
{
    if (out)
        kGauche ? fenetre->KELICc::outEstPlaceHorsIn(e, curseur) : fenetre->KELICc::outEstPlaceDansIn(e, curseur);
    else
        kGauche ? fenetre->KELICc::inEstPlaceDansOut(e, curseur) : fenetre->KELICc::inEstPlaceHorsOut(e, curseur);
}

// Whether slot `d` is still the destination of an edge at slot `i`: the event there is one the edge
// passes (or the edge's own slot) and the next one beyond it is not. In a table in order but for
// the edge, that is the slot the galloping search answers.
template <bool kGauche>
bool resteLaDestination(const KELGrandTableau& gt, const KELLien* bord, std::size_t i, std::size_t d)
{
    if (kGauche) {
        if (d > i || (d < i && !KELGrandTableau::avant(bord, gt.at(d))))
            return false;
        return d == 0 || !KELGrandTableau::avant(bord, gt.at(d - 1));
    }
    if (d < i || d >= gt.count() || (d > i && !KELGrandTableau::avant(gt.at(d), bord)))
        return false;
    return d + 1 >= gt.count() || !KELGrandTableau::avant(gt.at(d + 1), bord);
}

// An edge carried past a long run: its destination is found by a galloping search, and the events
// up to the next that needs a callback are passed as one block, moved once. A callback may re-enter
// the engine and move events, so after each the destination found is checked against its two
// neighbours, and sought again only when they no longer bound it: a window jumping across
// thousands of links would otherwise search (and read events far ahead, a cache miss each) once
// per link it meets. The search needs the rest of the table in order: no other pass may be under
// way (its event would be out of place).
template <bool kGauche>
void passeDeBordParRecherche(KELGrandTableau& gt, KELLien* bord, KELICc* fenetre, KELICc* curseur)
{
    const bool out = bord->siOut();
    std::size_t dest = std::numeric_limits<std::size_t>::max();
    for (;;) {
        const std::size_t i = bord->gtIndexInt();
        if (dest == std::numeric_limits<std::size_t>::max() || !resteLaDestination<kGauche>(gt, bord, i, dest))
            dest = KELGrandTableau::destination<kGauche>(gt, bord);
        bool memeSorte = false;
        KELLien* e = nullptr;
        std::size_t k = i;
        while (k != dest) {
            const std::size_t m = kGauche ? k - 1 : k + 1;
            KELLien* x = gt.at(m);
            if (x->siOut() == out) {
                memeSorte = true;
            } else if (!x->siCurseur()) {
                e = x;
                break;
            }
            k = m;
        }
        if (k != i)
            gt.deplacer(i, k);
        if (memeSorte)
            fenetre->setSiCroisementFutur(out);
        if (!e)
            return;
        croiserLeBord<kGauche>(e, out, fenetre, curseur);
        // The callback may have moved either event.
        const std::size_t n = bord->gtIndexInt();
        if (kGauche ? (n > 0 && gt.at(n - 1) == e) : (n + 1 < gt.count() && gt.at(n + 1) == e))
            gt.echanger(kGauche ? n - 1 : n, kGauche ? n : n + 1);
    }
}

// Nearly every step of a move carries an edge past one neighbour or none: those are swapped one at
// a time, and only an edge with more to pass (a window resized, an edge at a date many events
// share) goes on by the search.
constexpr int kVoisinsAvantLaRecherche = 4;

template <bool kGauche>
void passeDeBord(KELLien* bord, KELICc* fenetre, KELICc* curseur)
{
    KELGrandTableau* gt = bord->grandTableau();
    if (!gt)
        return;
    const KELGrandTableau::Passe enCours(gt);
    const bool out = bord->siOut();
    for (int voisins = 0;; ++voisins) {
        const std::size_t i = bord->gtIndexInt();
        if (kGauche ? i == 0 : i + 1 >= gt->count())
            return;
        const std::size_t j = kGauche ? i - 1 : i + 1;
        KELLien* e = gt->at(j);
        if (kGauche ? !KELGrandTableau::avant(bord, e) : !KELGrandTableau::avant(e, bord))
            return;
        // Links woken inside a group wait unsorted at the end of the table: no search over them.
        if (voisins == kVoisinsAvantLaRecherche && gt->passesEnCours() == 1 && KELServeurDeLiens::ToutEstPlace()) {
            passeDeBordParRecherche<kGauche>(*gt, bord, fenetre, curseur);
            return;
        }
        if (e->siOut() == out) {
            fenetre->setSiCroisementFutur(out);
            gt->echanger(kGauche ? j : i, kGauche ? i : j);
            continue;
        }
        if (e->siCurseur()) {
            gt->echanger(kGauche ? j : i, kGauche ? i : j);
            continue;
        }
        if (kGauche ? i >= 2 : i + 2 < gt->count())
            KELGrandTableau::prefetch(gt->at(kGauche ? i - 2 : i + 2));
        croiserLeBord<kGauche>(e, out, fenetre, curseur);
        // The callback may have moved either event.
        const std::size_t k = bord->gtIndexInt();
        if (kGauche ? (k > 0 && gt->at(k - 1) == e) : (k + 1 < gt->count() && gt->at(k + 1) == e))
            gt->echanger(kGauche ? k - 1 : k, kGauche ? k : k + 1);
    }
}

} // namespace

void KELGrandTableau::passerLeBord(KELLien* bord, KELICc* fenetre, bool versLaGauche, KELICc* curseur)
{
    if (versLaGauche)
        passeDeBord<true>(bord, fenetre, curseur);
    else
        passeDeBord<false>(bord, fenetre, curseur);
}

void KELI::placeToiAGaucheCurseur(KELICc* curseur) { passeAGauche(this, curseur); }
void KELI::placeToiADroiteCurseur(KELICc* curseur) { passeADroite(this, curseur); }
void KELO::placeToiAGaucheCurseur(KELICc* curseur) { passeAGauche(this, curseur); }
void KELO::placeToiADroiteCurseur(KELICc* curseur) { passeADroite(this, curseur); }

// A scan has the effect of carrying the event in from the end of the table: it crosses every
// event that is later. For a plain link the only crossings that matter are those with windows
// and with its own relation, so the scan asks the (few) windows directly instead of walking the
// table; a window walks the table, since it must meet every plain link.
void KELI::scannToiAGaucheCurseur(KELICc* curseur)
{
    KELGrandTableau* gt = grandTableau();
    if (!gt)
        return;
    if (siCurseur()) {
        for (std::size_t j = gt->count(); j-- > 0;) {
            KELLien* e = gt->at(j);
            if (e == this || e == lienOut())
                continue;
            if (!KELGrandTableau::avant(this, e))
                break;
            croiser(this, e, true, curseur);
        }
        return;
    }
    // Most links of a large base lie outside every window: those have nothing to do here (their
    // relation was woken for the cursor when they were).
    const std::vector<KELICc*>& fenetres = KELServeurDeLiens::Fenetres();
    if (std::none_of(fenetres.begin(), fenetres.end(),
                     [this](KELICc* f) { return f != this && f->siIncluLeLien(this); }))
        return;
    KELI* relation = KELServeurDeLiens::LienForInt(relationInt(), curseur);
    for (KELICc* fenetre : fenetres) {
        if (fenetre == this || !fenetre->siIncluLeLien(this))
            continue;
        if (relation && relation->siContientLeCurseur(fenetre)) {
            siCroisementFutur_ = true;
            ajouterLeCurseur(fenetre);
        }
    }
    if (relation)
        relation->ajouterAuxCurseursLeLien(this);
}

void KELO::scannToiAGaucheCurseur(KELICc* curseur)
{
    KELI* lien = duLien();
    KELGrandTableau* gt = grandTableau();
    if (!gt || gt->count() < 2)
        return;
    if (lien->siCurseur()) {
        for (std::size_t j = gt->count(); j-- > 0;) {
            KELLien* e = gt->at(j);
            if (e == this || e == lien)
                continue;
            if (!KELGrandTableau::avant(this, e))
                break;
            croiser(this, e, true, curseur);
        }
        return;
    }
    // A plain link's end passing windows that start after it: it leaves them. The in-event's scan
    // only entered windows that include the link, so nothing is left to undo here.
}

// ---------------------------------------------------------------------------------------------
// KELO

KELId KELO::parentInt() const { return duLien()->parentInt(); }
KELId KELO::enfantInt() const { return duLien()->enfantInt(); }
KELId KELO::relationInt() const { return duLien()->relationInt(); }
std::string KELO::dateTxt() const { return duLien()->outDateTxt(); }

// ---------------------------------------------------------------------------------------------
// KELI

KELI::KELI() = default;

void* KELI::operator new(std::size_t taille) { return KELParReserve<KELI>::prendre(taille); }
void KELI::operator delete(void* p, std::size_t taille) { KELParReserve<KELI>::rendre(p, taille); }
KELI::~KELI()
{
    detruireLesReps();
    // Another link may come to live at this address.
    oublierVu();
    if (idInt_ == kGrand || parentInt_ == kGrand || enfantInt_ == kGrand || relationInt_ == kGrand ||
        baseInt_ == kGrand)
        oublierLesGrands();
}

namespace {
std::unordered_map<const KELLien*, std::array<KELId, 5>>& grands()
{
    static std::unordered_map<const KELLien*, std::array<KELId, 5>> table;
    return table;
}
} // namespace

std::uint32_t KELLien::retenirGrand(Champ champ, KELId v) const
{
    grands()[this][champ] = v;
    return kGrand;
}

KELId KELLien::grand(Champ champ) const
{
    auto it = grands().find(this);
    return it == grands().end() ? kGrand : it->second[champ];
}

void KELLien::oublierLesGrands() const { grands().erase(this); }

void KELI::retenirVuDans(const KELICc* curseur, const KELICc* contexte) const
{
    VuDans* v = vus(this);
    for (std::size_t i = 0; i < kVoies; ++i) {
        if (v[i].lien == this && v[i].curseur == curseur) {
            v[i].contexte = contexte;
            return;
        }
    }
    // The newest in the first way; the others move down and the oldest goes.
    for (std::size_t i = kVoies - 1; i > 0; --i)
        v[i] = v[i - 1];
    v[0] = VuDans{this, curseur, contexte};
}

void KELI::oublierVu() const
{
    VuDans* v = vus(this);
    for (std::size_t i = 0; i < kVoies; ++i)
        if (v[i].lien == this)
            v[i] = VuDans{};
}

void KELI::oublierLesVus()
{
    for (auto& ensemble : vus_)
        for (VuDans& v : ensemble)
            v = VuDans{};
}

std::string KELI::dateDescription(KELDate d)
{
    if (d == KELDateToujours)
        return "toujours";
    if (d == KELDateOuverte)
        return "ouverte";
    if (d >= KELDateOublieeIn)
        return "oubliee";
    if (!std::isfinite(d))
        return "invalide";
    const std::time_t t = static_cast<std::time_t>(std::floor(tallomer::unixFromDate(d)));
    std::tm tm{};
    gmtime_r(&t, &tm);
    char buf[64];
    std::strftime(buf, sizeof buf, "%Y-%m-%d %H:%M:%S +0000", &tm);
    return buf;
}

int KELI::compareOutDate(const KELI& other) const
{
    if (outDate_ > other.outDate_)
        return 1;
    if (outDate_ < other.outDate_)
        return -1;
    return idInt() < other.idInt() ? 1 : 0;
}

// A link's representations, in order of addition. Most links are shown in four windows or fewer
// (the global cursor and context, the timeline's, a cursor and its context): those are a list, the
// link holding the first and each the next, which costs no memory beside them and reads first the
// one a crossing asked for ahead of time. From the fifth on (the desk's windows on top of those)
// they all stand in a block of (window, representation) pairs, so that finding a window's among
// six or more reads one block instead of following a list, a cache miss a step; the pairs keep the
// window beside the representation for that reason. Blocks of eight places come from a free list
// of their own, larger ones from the heap.
namespace {
constexpr std::size_t kEnListe = 4; // the most held as a list

struct PaireDeRep {
    KELICc* curseur;
    KELIRep* rep;
};
struct BlocDeReps {
    std::uint32_t nb;
    std::uint32_t places;
    PaireDeRep* paires() { return reinterpret_cast<PaireDeRep*>(this + 1); }
};
static_assert(sizeof(BlocDeReps) % alignof(PaireDeRep) == 0);

constexpr std::uint32_t kPetitBloc = 8;
using ReserveDeBlocs = KELReserve<sizeof(BlocDeReps) + kPetitBloc * sizeof(PaireDeRep), alignof(PaireDeRep)>;
ReserveDeBlocs& petitsBlocs()
{
    static auto* r = new ReserveDeBlocs; // never destroyed: links torn down at exit give theirs back
    return *r;
}

BlocDeReps* nouveauBloc(std::uint32_t places)
{
    void* p = places == kPetitBloc ? petitsBlocs().prendre()
                                   : ::operator new(sizeof(BlocDeReps) + places * sizeof(PaireDeRep));
    auto* b = static_cast<BlocDeReps*>(p);
    b->nb = 0;
    b->places = places;
    return b;
}

void rendreBloc(BlocDeReps* b)
{
    if (b->places == kPetitBloc)
        petitsBlocs().rendre(b);
    else
        ::operator delete(b, sizeof(BlocDeReps) + b->places * sizeof(PaireDeRep));
}

// The low bit of the link's word tells a block from a first representation.
bool estUnBloc(std::uintptr_t reps) { return (reps & 1u) != 0; }
BlocDeReps* leBloc(std::uintptr_t reps) { return reinterpret_cast<BlocDeReps*>(reps & ~std::uintptr_t{1}); }
std::uintptr_t marquerBloc(BlocDeReps* b) { return reinterpret_cast<std::uintptr_t>(b) | 1u; }
static_assert(alignof(BlocDeReps) >= 2 && alignof(KELIRep) >= 2);
} // namespace

[[gnu::always_inline]] inline KELIRep* KELI::trouverRep(std::uintptr_t reps, const KELICc* curseur)
{
    if (!estUnBloc(reps)) {
        for (KELIRep* r = reinterpret_cast<KELIRep*>(reps); r; r = r->suivant_)
            if (r->curseur_ == curseur)
                return r;
        return nullptr;
    }
    // A block holds more than a list. The windows added last are the ones a move asks for (a
    // cursor and its context woken after the global ones): the block is read from its end.
    BlocDeReps* b = leBloc(reps);
    const PaireDeRep* debut = b->paires();
    const PaireDeRep* p = debut + b->nb;
    do {
        --p;
        if (p->curseur == curseur)
            return p->rep;
    } while (p != debut);
    return nullptr;
}

void KELI::prefetchRepresentantNo(std::size_t n) const
{
    if (!reps_ || estUnBloc(reps_))
        return;
    const KELIRep* r = reinterpret_cast<const KELIRep*>(reps_);
    for (; r && n > 0; --n)
        r = r->suivant_;
    if (r) {
        __builtin_prefetch(r);
        __builtin_prefetch(reinterpret_cast<const char*>(r) + sizeof(KELIRep) - 1);
    }
}

KELIRep* KELI::representant(const KELICc* curseur) const
{
    return curseur && reps_ ? trouverRep(reps_, curseur) : nullptr;
}

[[gnu::always_inline]] inline std::size_t KELI::placeDuCurseur(const KELICc* curseur) const
{
    if (!reps_)
        return kPasDePlace;
    if (!estUnBloc(reps_)) {
        std::size_t i = 0;
        for (const KELIRep* r = reinterpret_cast<KELIRep*>(reps_); r; r = r->suivant_, ++i)
            if (r->curseur_ == curseur)
                return i;
        return kPasDePlace;
    }
    BlocDeReps* b = leBloc(reps_);
    const PaireDeRep* p = b->paires();
    for (std::uint32_t i = 0; i < b->nb; ++i)
        if (p[i].curseur == curseur)
            return i;
    return kPasDePlace;
}

std::size_t KELI::nbDeCurseurs() const
{
    if (estUnBloc(reps_))
        return leBloc(reps_)->nb;
    std::size_t n = 0;
    for (const KELIRep* r = reinterpret_cast<KELIRep*>(reps_); r; r = r->suivant_)
        ++n;
    return n;
}

[[gnu::always_inline]] inline KELIRep* KELI::repNo(std::size_t i) const
{
    if (estUnBloc(reps_)) {
        BlocDeReps* b = leBloc(reps_);
        return i < b->nb ? b->paires()[i].rep : nullptr;
    }
    KELIRep* r = reinterpret_cast<KELIRep*>(reps_);
    for (; r && i > 0; --i)
        r = r->suivant_;
    return r;
}

[[gnu::always_inline]] inline KELIRep* KELI::ajouterRep(std::unique_ptr<KELIRep> nouveau)
{
    KELIRep* rep = nouveau.release();
    if (!reps_) {
        reps_ = reinterpret_cast<std::uintptr_t>(rep);
        return rep;
    }
    if (!estUnBloc(reps_)) {
        // The end of the list, and how long it is.
        KELIRep* dernier = reinterpret_cast<KELIRep*>(reps_);
        std::size_t n = 1;
        for (; dernier->suivant_; dernier = dernier->suivant_)
            ++n;
        if (n < kEnListe) {
            dernier->suivant_ = rep;
            return rep;
        }
        BlocDeReps* b = nouveauBloc(kPetitBloc);
        for (KELIRep* r = reinterpret_cast<KELIRep*>(reps_); r;) {
            b->paires()[b->nb++] = PaireDeRep{r->curseur_, r};
            r = std::exchange(r->suivant_, nullptr);
        }
        reps_ = marquerBloc(b);
    }
    BlocDeReps* b = leBloc(reps_);
    if (b->nb == b->places) {
        BlocDeReps* plus = nouveauBloc(b->places * 2);
        std::copy(b->paires(), b->paires() + b->nb, plus->paires());
        plus->nb = b->nb;
        rendreBloc(b);
        b = plus;
        reps_ = marquerBloc(b);
    }
    b->paires()[b->nb++] = PaireDeRep{rep->curseur_, rep};
    return rep;
}

[[gnu::always_inline]] inline std::unique_ptr<KELIRep> KELI::retirerRepNo(std::size_t i)
{
    if (!estUnBloc(reps_)) {
        KELIRep* premier = reinterpret_cast<KELIRep*>(reps_);
        if (i == 0) {
            reps_ = reinterpret_cast<std::uintptr_t>(std::exchange(premier->suivant_, nullptr));
            return std::unique_ptr<KELIRep>(premier);
        }
        KELIRep* avant = premier;
        for (; i > 1; --i)
            avant = avant->suivant_;
        KELIRep* rep = avant->suivant_;
        avant->suivant_ = std::exchange(rep->suivant_, nullptr);
        return std::unique_ptr<KELIRep>(rep);
    }
    BlocDeReps* b = leBloc(reps_);
    PaireDeRep* p = b->paires();
    std::unique_ptr<KELIRep> rep(p[i].rep);
    std::copy(p + i + 1, p + b->nb, p + i);
    --b->nb;
    if (b->nb == kEnListe) {
        // Back to a list.
        for (std::size_t k = 0; k + 1 < b->nb; ++k)
            p[k].rep->suivant_ = p[k + 1].rep;
        reps_ = reinterpret_cast<std::uintptr_t>(p[0].rep);
        rendreBloc(b);
    } else if (b->nb * 4 <= b->places && b->places > kPetitBloc) {
        BlocDeReps* moins = nouveauBloc(b->places / 2);
        std::copy(p, p + b->nb, moins->paires());
        moins->nb = b->nb;
        rendreBloc(b);
        reps_ = marquerBloc(moins);
    }
    return rep;
}

void KELI::detruireLesReps()
{
    // First to last, as the list they once all formed was destroyed; each is out of the link first.
    while (reps_)
        retirerRepNo(0).reset();
}

std::vector<KELICc*> KELI::curseurs() const
{
    std::vector<KELICc*> out;
    for (std::size_t i = 0, n = nbDeCurseurs(); i < n; ++i)
        out.push_back(repNo(i)->curseur_);
    return out;
}

std::size_t KELI::copierLesCurseurs(KELICc** dest, std::size_t max, KELIRep** reps) const
{
    const std::size_t n = nbDeCurseurs();
    for (std::size_t i = 0; i < n && i < max; ++i) {
        KELIRep* r = repNo(i);
        dest[i] = r->curseur_;
        if (reps)
            reps[i] = r;
    }
    return n;
}

KELICc* KELI::curseurNo(std::size_t i) const
{
    KELIRep* r = repNo(i);
    return r ? r->curseur_ : nullptr;
}

std::unique_ptr<KELIRep> KELI::nouveauRep(KELICc* curseur) { return std::make_unique<KELIRep>(curseur, this); }

bool KELI::ajouterLeCurseur(KELICc* curseur)
{
    if (!curseur || (reps_ && trouverRep(reps_, curseur)))
        return false;
    if (!curseur->siIncluLeLien(this))
        return false;
    if (ajouterRep(nouveauRep(curseur))->commeRelation())
        static_cast<KELIElemRelation*>(this)->revenueDansLaFenetre(curseur);
    return true;
}

KELIRep* KELI::representantAjoute(KELICc* curseur)
{
    if (!curseur)
        return nullptr;
    if (KELIRep* deja = reps_ ? trouverRep(reps_, curseur) : nullptr)
        return deja;
    if (!curseur->siIncluLeLien(this))
        return nullptr;
    KELIRep* rep = ajouterRep(nouveauRep(curseur));
    if (rep->commeRelation())
        static_cast<KELIElemRelation*>(this)->revenueDansLaFenetre(curseur);
    return rep;
}

void KELI::enleverLeCurseur(KELICc* curseur)
{
    // Every link a window leaves behind comes here: a list is walked once, to the representation
    // and the one before it, instead of once to find its place and again to take it out.
    KELIRep* avant = nullptr;
    KELIRep* trouve = nullptr;
    std::size_t i = kPasDePlace;
    if (reps_ && !estUnBloc(reps_)) {
        for (KELIRep* r = reinterpret_cast<KELIRep*>(reps_); r; avant = r, r = r->suivant_) {
            if (r->curseur_ == curseur) {
                trouve = r;
                break;
            }
        }
    } else if ((i = placeDuCurseur(curseur)) != kPasDePlace) {
        trouve = repNo(i);
    }
    if (trouve) {
        if (KELIRepRelation* rr = trouve->commeRelation(); rr && !rr->siPartie()) {
            // A relation leaving a window takes its active links with it; the messages may
            // change this link's representations, so they are walked again afterwards.
            if (rr->quitterLaFenetre())
                static_cast<KELIElemRelation*>(this)->retenirLaFenetre(curseur);
            enleverLeCurseur(curseur);
            return;
        }
        // Keep the representation alive until it is out of the list: its owner may be asked
        // about it while it is torn down.
        std::unique_ptr<KELIRep> rep;
        if (i != kPasDePlace) {
            rep = retirerRepNo(i);
        } else {
            if (avant)
                avant->suivant_ = trouve->suivant_;
            else
                reps_ = reinterpret_cast<std::uintptr_t>(trouve->suivant_);
            trouve->suivant_ = nullptr;
            rep.reset(trouve);
        }
        ++repsEnleves_;
        oublierVu();
        if (rep->actifDansLaRelation_) {
            KELI* relation = KELServeurDeLiens::DonneMaintenantLeLienId(relationInt());
            if (KELIRep* r = relation ? relation->representant(curseur) : nullptr; KELIRepRelation* rr = r ? r->commeRelation() : nullptr)
                rr->oublierLeLien(rep.get());
        }
    }
}

void KELI::reveilleToi(KELICc* curseur) { relation(curseur); }

void KELI::lachePrise()
{
    for (std::size_t i = 0; i < nbDeCurseurs(); ++i)
        repNo(i)->lachePrise();
}

void KELI::placeInDate(KELDate date, KELICc* curseur)
{
    if (KELGrandTableau* gt = grandTableau(); gt && date != inDate_)
        gt->liensChanges();
    if (date > inDate_) {
        inDate_ = date;
        placeToiADroiteCurseur(curseur);
    } else if (date < inDate_) {
        inDate_ = date;
        placeToiAGaucheCurseur(curseur);
    }
    KELServeurDeLiens::MajLesDatesDuLien(this, curseur);
}

void KELI::placeOutDate(KELDate date, KELICc* curseur)
{
    if (KELGrandTableau* gt = grandTableau(); gt && date != outDate_)
        gt->liensChanges();
    if (date > outDate_) {
        outDate_ = date;
        lienOut_.placeToiADroiteCurseur(curseur);
    } else if (date < outDate_) {
        outDate_ = date;
        lienOut_.placeToiAGaucheCurseur(curseur);
    }
    KELServeurDeLiens::MajLesDatesDuLien(this, curseur);
}

// The link meets a window edge: it enters the window `fenetre` if its relation watches it.
void KELI::entreDansLaFenetre(KELLien* e, KELICc* curseur)
{
    KELI* c = e->lienIn();
    if (c->siCurseur()) {
        KELI* relation = KELServeurDeLiens::LienForInt(relationInt(), curseur);
        auto* fenetre = static_cast<KELICc*>(c);
        if (relation && relation->siContientLeCurseur(fenetre)) {
            ajouterLeCurseur(fenetre);
            relation->ajouterAuxCurseursLeLien(this);
        }
    } else if (relationInt() == c->idInt()) {
        c->ajouterAuxCurseursLeLien(this);
    }
}

void KELI::sortDeLaFenetre(KELLien* e, KELICc* curseur)
{
    KELI* c = e->lienIn();
    if (!c->siCurseur())
        return;
    auto* fenetre = static_cast<KELICc*>(c);
    KELI* relation = KELServeurDeLiens::LienForInt(relationInt(), curseur);
    if (relation)
        relation->enleverLeLien(this, fenetre);
    enleverLeCurseur(fenetre);
}

void KELI::inEstPlaceDansOut(KELLien* e, KELICc* curseur)
{
    siCroisementFutur_ = true;
    entreDansLaFenetre(e, curseur);
}

void KELI::outEstPlaceDansIn(KELLien* e, KELICc* curseur)
{
    siCroisementFutur_ = false;
    entreDansLaFenetre(e, curseur);
}

void KELI::outEstPlaceHorsIn(KELLien* e, KELICc* curseur)
{
    siCroisementFutur_ = false;
    sortDeLaFenetre(e, curseur);
}

void KELI::inEstPlaceHorsOut(KELLien* e, KELICc* curseur)
{
    siCroisementFutur_ = true;
    sortDeLaFenetre(e, curseur);
}

void KELI::inEstPlaceDansIn(KELLien*, KELICc*) { siCroisementFutur_ = false; }
void KELI::inEstPlaceHorsIn(KELLien*, KELICc*) { siCroisementFutur_ = false; }
void KELI::outEstPlaceDansOut(KELLien*, KELICc*) { siCroisementFutur_ = true; }
void KELI::outEstPlaceHorsOut(KELLien*, KELICc*) { siCroisementFutur_ = true; }

// ---------------------------------------------------------------------------------------------
// Navigation

// A link asked about a cursor it was never woken for is woken for it first, so that paths read at
// a parent cursor find the links of an object that was only loaded for another cursor.
static KELIRep* repPour(KELI* lien, KELICc* curseur)
{
    KELIRep* rep = lien->representant(curseur);
    if (!rep && curseur && lien->idInt() && curseur->siVoitLeLien(lien)) {
        KELServeurDeLiens::LienForInt(lien->idInt(), curseur);
        rep = lien->representant(curseur);
    }
    return rep;
}

// The link woken here is the one the representation would look up again: it is handed over. A
// representation that found its object once keeps it: that object was woken for the cursor then, and
// crossings have kept it registered there since, so asking the server again would change nothing
// (every crossing asks for the child of the link it passes).
KELI* KELI::parent(KELICc* curseur) { return parentDe(representant(curseur), curseur); }
KELI* KELI::enfant(KELICc* curseur) { return enfantDe(representant(curseur), curseur); }

// One of the link's two objects (parent or child), found from the representation the caller holds.
template <KELI* (KELIRep::*siConnu)() const, KELI* (KELIRep::*retenir)(KELI*)>
KELI* KELI::objetDe(KELIRep* connu, KELICc* curseur, KELId id)
{
    if (connu && (connu->*siConnu)())
        return (connu->*siConnu)();
    const std::uint64_t enleves = repsEnleves_;
    KELI* objet = KELServeurDeLiens::LienForInt(id, curseur);
    // The representation found above is still this link's for the cursor unless one was taken
    // away meanwhile (a link never has two for one cursor).
    KELIRep* rep = connu && repsEnleves_ == enleves ? connu : repPour(this, curseur);
    return rep ? (rep->*retenir)(objet) : nullptr;
}

KELI* KELI::parentDe(KELIRep* connu, KELICc* curseur)
{
    return objetDe<&KELIRep::parentSiConnu, &KELIRep::parentConnu>(connu, curseur, parentInt());
}

KELI* KELI::enfantDe(KELIRep* connu, KELICc* curseur)
{
    return objetDe<&KELIRep::enfantSiConnu, &KELIRep::enfantConnu>(connu, curseur, enfantInt());
}

KELI* KELI::relation(KELICc* curseur)
{
    KELI* r = KELServeurDeLiens::LienForInt(relationInt(), curseur);
    KELIRep* rep = repPour(this, curseur);
    return rep ? rep->relationConnue(r) : nullptr;
}

KELI* KELI::enfantDeRelInt(KELId rel, KELICc* curseur)
{
    KELIRep* rep = repPour(this, curseur);
    return rep ? rep->enfantDeRelInt(rel) : nullptr;
}

namespace {
// The relation named `nom` among the parent relations of the model of a link's relation.
KELI* relationNommee(KELI* lien, const std::string& nom, KELICc* curseur)
{
    KELI* relation = lien->relation(curseur);
    auto* rel = dynamic_cast<KELIElemRelation*>(relation);
    if (!rel)
        return nullptr;
    auto* model = dynamic_cast<KELIModel*>(rel->modelParent(curseur));
    if (!model)
        return nullptr;
    return model->relationParentNommee(nom, curseur);
}
} // namespace

KELI* KELI::enfantDeRelTxt(const std::string& nom, KELICc* curseur)
{
    auto enfants = enfantsDeRelTxt(nom, curseur);
    return enfants.empty() ? nullptr : enfants.front();
}

std::vector<KELI*> KELI::enfantsDeRelTxt(const std::string& nom, KELICc* curseur)
{
    auto* rel = dynamic_cast<KELIElemRelation*>(relationNommee(this, nom, curseur));
    if (!rel)
        return {};
    const auto* enfants = rel->enfantsDuParent(this, curseur);
    return enfants ? *enfants : std::vector<KELI*>{};
}

KELValue KELI::baseSelonLesRelations(std::vector<std::string>& chemin, KELICc* curseur)
{
    if (chemin.empty())
        return {};
    auto* rel = dynamic_cast<KELIElemRelation*>(relationNommee(this, chemin.front(), curseur));
    chemin.erase(chemin.begin());
    if (!rel)
        return {};
    const auto* enfants = rel->enfantsDuParent(this, curseur);
    if (!enfants || enfants->empty())
        return {};
    return enfants->front()->baseSelonLesRelations(chemin, curseur);
}

KELI* KELI::lienSelonLesRelations(std::vector<std::string>& chemin, KELICc* curseur)
{
    if (chemin.empty())
        return nullptr;
    auto* rel = dynamic_cast<KELIElemRelation*>(relationNommee(this, chemin.front(), curseur));
    chemin.erase(chemin.begin());
    if (!rel)
        return nullptr;
    if (!chemin.empty()) {
        const auto* enfants = rel->enfantsDuParent(this, curseur);
        if (!enfants || enfants->empty())
            return nullptr;
        return enfants->front()->lienSelonLesRelations(chemin, curseur);
    }
    const auto* liens = rel->liensDuParent(this, curseur);
    return liens && !liens->empty() ? liens->front() : nullptr;
}

void KELI::setBase(const KELValue& valeur, const std::vector<std::string>& chemin, KELICc* curseur)
{
    std::vector<std::string> copie = chemin;
    KELI* dernier = lienSelonLesRelations(copie, curseur);
    if (!dernier) {
        logLine("ERREUR : Impossible de setter une base si dernierLien inexistant !");
        return;
    }
    auto* relation = dynamic_cast<KELIElemRelation*>(dernier->relation(curseur));
    KELI* parent = dernier->parent(curseur);
    auto* model = relation ? dynamic_cast<KELIModel*>(relation->modelEnfant(curseur)) : nullptr;
    if (!relation || !parent || !model) {
        logLine("ERREUR : Impossible de setter une base si dernierLien inexistant !");
        return;
    }
    const KELDate t = curseur->placeToi();
    KELIElemRelation* mc = model->relationMC(curseur);
    // The value's element and the link to it, and the value itself when it is new.
    const KELServeurDeLiens::Acte acte(2, std::holds_alternative<std::string>(valeur) ? 1 : 0,
                                       std::holds_alternative<double>(valeur) ? 1 : 0);
    if (!acte.complet())
        return;
    KELI* element = KELServeurDeLiens::AjouterLienIn(
        KELIElemBase::nouveau(model->idInt(), mc ? mc->idInt() : 0, valeur), curseur);
    if (!element)
        return;
    dernier->placeOutDate(t, curseur);
    KELServeurDeLiens::CreerLienRelInt(relation->idInt(), parent, element, t, KELDateOuverte, curseur);
}

KELValue KELI::nom(KELICc* curseur)
{
    KELIRep* rep = representant(curseur);
    if (!rep)
        return {};
    return rep->nom();
}

namespace {
std::unordered_map<KELId, KELId>& channels()
{
    static std::unordered_map<KELId, KELId> carte;
    return carte;
}
} // namespace

void KELI::oublierLesChannels() { channels().clear(); }

KELId KELI::channelInt()
{
    if (auto it = channels().find(idInt()); it != channels().end())
        return it->second;
    static constexpr KELId kViewers[] = {1000152, 1000157, 1000162, 1000167};
    for (KELId rel : kViewers) {
        KELIds ids = KELServeurDeLiens::LiensNumDeLEnfantIntRelInt(idInt(), rel);
        if (!ids)
            continue;
        KELI* lien = KELServeurDeLiens::LienForInt(ids->front(), nullptr);
        if (!lien)
            return 0;
        channels()[idInt()] = lien->parentInt();
        return lien->parentInt();
    }
    return 0;
}

void KELI::setChannelInt(KELId channel)
{
    if (channel && idInt())
        channels().emplace(idInt(), channel);
}

void KELI::logLienIn(KELICc* curseur)
{
    if (!curseur)
        curseur = KELServeurDeLiens::CurseurGlobal();
    char line[512];
    std::snprintf(line, sizeof line, "%s (%ld):", kelClasse().c_str(), static_cast<long>(idInt()));
    KELLog::LogInfo(line);
    auto objet = [&](const char* label, KELI* o, KELId id) {
        std::snprintf(line, sizeof line, "  %s: %s (%ld)", label, o ? o->kelClasse().c_str() : "(null)",
                      static_cast<long>(id));
        KELLog::LogInfo(line);
    };
    objet("Enfant  ", enfant(curseur), enfantInt());
    objet("Parent  ", parent(curseur), parentInt());
    objet("Relation", relation(curseur), relationInt());
    const std::size_t n = grandTableau() ? grandTableau()->count() : 0;
    std::snprintf(line, sizeof line, "  Index GT : %ld/%ld", static_cast<long>(gtIndexInt()), static_cast<long>(n));
    KELLog::LogInfo(line);
    KELLog::LogInfo("  Retain   : 1");
    std::snprintf(line, sizeof line, "  inDate   : %s (%f)", inDateTxt().c_str(), inDate_);
    KELLog::LogInfo(line);
    std::snprintf(line, sizeof line, "  outDate  : %s (%f)", outDateTxt().c_str(), outDate_);
    KELLog::LogInfo(line);
    long i = 0;
    for (KELICc* c : curseurs()) {
        std::snprintf(line, sizeof line, "  Curseur %ld: %ld", i++, static_cast<long>(c->idInt()));
        KELLog::LogInfo(line);
    }
}

// ---------------------------------------------------------------------------------------------
// The table

namespace {
// An event's place in time as one unsigned key: the date's bits turned so that integer order is
// the dates' order (all dates are finite or the sentinels, never NaN; -0 is 0).
std::uint64_t cleDeDate(KELDate d)
{
    if (d == 0.0)
        d = 0.0;
    std::uint64_t u;
    std::memcpy(&u, &d, sizeof u);
    return (u >> 63) ? ~u : (u | (std::uint64_t{1} << 63));
}

// Sixteen bytes a key: the date as above, and the event itself with its rank in the low bits of
// its address (events are aligned on eight bytes). The sort carries the event along: looking it up
// by its place in the batch afterwards would be a random read for every event.
struct CleDEvenement {
    std::uint64_t date;
    std::uintptr_t lienEtRang;
};
static_assert(alignof(KELLien) >= 4);

unsigned rangDe(const CleDEvenement& c) { return static_cast<unsigned>(c.lienEtRang & 3u); }
KELLien* lienDe(const CleDEvenement& c) { return reinterpret_cast<KELLien*>(c.lienEtRang & ~std::uintptr_t{3}); }

bool clesAvant(const CleDEvenement& a, const CleDEvenement& b)
{
    return a.date != b.date ? a.date < b.date : rangDe(a) < rangDe(b);
}

// Sorts keys by date with least-significant-digit radix passes, a byte at a time, skipping the
// bytes every key shares (the counts of all bytes are taken in one sweep), then puts each run of
// one date in rank order: a relation of a large base is loaded as one batch, and a comparison sort
// would spend much of that load. `tampon` has room for n keys.
void trierParDateEtRang(CleDEvenement* cles, CleDEvenement* tampon, std::size_t n)
{
    auto parRang = [](const CleDEvenement& a, const CleDEvenement& b) { return rangDe(a) < rangDe(b); };
    if (n < 4096) {
        std::sort(cles, cles + n, clesAvant);
        return;
    }
    constexpr unsigned kOctets = 8;
    std::vector<std::array<std::size_t, 256>> compte(kOctets);
    for (std::size_t i = 0; i < n; ++i) {
        const std::uint64_t d = cles[i].date;
        for (unsigned o = 0; o < kOctets; ++o)
            ++compte[o][(d >> (8 * o)) & 0xFF];
    }
    CleDEvenement* de = cles;
    CleDEvenement* vers = tampon;
    for (unsigned o = 0; o < kOctets; ++o) {
        std::array<std::size_t, 256>& c = compte[o];
        if (std::find(c.begin(), c.end(), n) != c.end())
            continue; // every key has this byte: nothing moves
        std::size_t total = 0;
        for (std::size_t& x : c)
            total += std::exchange(x, total);
        for (std::size_t i = 0; i < n; ++i)
            vers[c[(de[i].date >> (8 * o)) & 0xFF]++] = de[i];
        std::swap(de, vers);
    }
    if (de != cles)
        std::copy(de, de + n, cles);
    // Events of equal (date, rank) may stay in any order (see the header).
    for (std::size_t i = 0; i < n;) {
        std::size_t j = i + 1;
        while (j < n && cles[j].date == cles[i].date)
            ++j;
        if (j - i > 1)
            std::sort(cles + i, cles + j, parRang);
        i = j;
    }
}

// A large batch is sorted in two halves at once, on this thread and another, and the halves merged.
void trierLesCles(KELTemporaire<CleDEvenement>& cles)
{
    const std::size_t n = cles.size();
    KELTemporaire<CleDEvenement> tampon(n < 4096 ? 0 : n);
    if (n < (std::size_t{1} << 16)) {
        trierParDateEtRang(cles.data(), tampon.data(), n);
        return;
    }
    const std::size_t moitie = n / 2;
    std::optional<std::thread> autre;
    try {
        autre.emplace([&] { trierParDateEtRang(cles.data(), tampon.data(), moitie); });
    } catch (const std::system_error&) {
        trierParDateEtRang(cles.data(), tampon.data(), moitie);
    }
    trierParDateEtRang(cles.data() + moitie, tampon.data() + moitie, n - moitie);
    if (autre)
        autre->join();
    std::merge(cles.begin(), cles.begin() + static_cast<std::ptrdiff_t>(moitie),
               cles.begin() + static_cast<std::ptrdiff_t>(moitie), cles.end(), tampon.begin(), clesAvant);
    cles.swap(tampon);
}

CleDEvenement cleDe(const KELLien* e)
{
    return CleDEvenement{cleDeDate(e->date()),
                         reinterpret_cast<std::uintptr_t>(e) | static_cast<std::uintptr_t>(e->rang())};
}
} // namespace

void KELGrandTableau::fusionnerLaFin(std::size_t debut)
{
    if (debut >= events_.size())
        return;
    ++versionDesLiens_;
    auto moins = [](const KELLien* a, const KELLien* b) { return avant(a, b); };
    const std::size_t k = events_.size() - debut;
    // The keys are read once: a batch can be a whole relation of a large base. Events of equal
    // (date, rank) may come out in any order (see the header); a link's own two events never tie.
    KELTemporaire<CleDEvenement> cles;
    cles.reserve(k);
    for (std::size_t i = debut; i < events_.size(); ++i)
        cles.push_back(cleDe(events_[i]));
    trierLesCles(cles);
    events_.resize(debut);
    if (k <= 64) {
        // A few events (a link made by the user): each is inserted on its own.
        for (const CleDEvenement& c : cles)
            insererUn(lienDe(c));
        return;
    }
    // Nothing before the first new event's place moves: merge and renumber from there only. The
    // old events behind that place are few (the open links' ends, the windows): each one's place
    // among the new ones is searched, and the runs of new events between them are written apart.
    const std::size_t premier = static_cast<std::size_t>(
        std::upper_bound(events_.begin(), events_.end(), lienDe(cles.front()), moins) - events_.begin());
    KELTemporaire<KELLien*> fusion(debut - premier + k);
    struct Suite {
        std::size_t cle, place; // the run's first key, and where it goes in the merge
    };
    std::vector<Suite> suites;
    std::size_t b = 0;
    for (std::size_t a = premier; a < debut; ++a) {
        std::size_t fin = b;
        if (b < k) {
            // The new events before this old one, searched by doubling steps from the last place:
            // a merge of two large interleaved sequences stays about linear.
            const CleDEvenement ca = cleDe(events_[a]);
            std::size_t pas = 1;
            while (fin + pas <= k && clesAvant(cles[fin + pas - 1], ca)) {
                fin += pas;
                pas *= 2;
            }
            fin = static_cast<std::size_t>(
                std::partition_point(cles.begin() + static_cast<std::ptrdiff_t>(fin),
                                     cles.begin() + static_cast<std::ptrdiff_t>(std::min(k, fin + pas)),
                                     [&](const CleDEvenement& c) { return clesAvant(c, ca); }) -
                cles.begin());
        }
        if (fin > b)
            suites.push_back({b, b + (a - premier)});
        b = fin;
        const std::size_t place = b + (a - premier);
        fusion[place] = events_[a];
        events_[a]->assignerGtIndexInt(premier + place);
    }
    if (b < k)
        suites.push_back({b, b + (debut - premier)});
    // New events [de, a) in place; their index words lie all over memory, so they are asked for
    // well ahead.
    auto placer = [&](std::size_t de, std::size_t jusqua) {
        constexpr std::size_t kAvance = 16;
        std::size_t s = 0;
        while (s + 1 < suites.size() && suites[s + 1].cle <= de)
            ++s;
        for (std::size_t c = de; c < jusqua; ++c) {
            while (s + 1 < suites.size() && suites[s + 1].cle <= c)
                ++s;
            if (c + kAvance < jusqua)
                __builtin_prefetch(lienDe(cles[c + kAvance]), 1);
            const std::size_t place = suites[s].place + (c - suites[s].cle);
            KELLien* e = lienDe(cles[c]);
            fusion[place] = e;
            e->assignerGtIndexInt(premier + place);
        }
    };
    std::optional<std::thread> autre;
    const std::size_t moitie = k >= (std::size_t{1} << 16) ? k / 2 : k;
    if (moitie < k) {
        try {
            autre.emplace([&] { placer(moitie, k); });
        } catch (const std::system_error&) {
            placer(moitie, k);
        }
    }
    placer(0, moitie);
    if (autre)
        autre->join();
    events_.resize(premier);
    events_.ajouter(fusion.begin(), fusion.end());
}

// Shifting the whole tail would renumber every event behind the new one, and behind a link made
// now stand all the open links' ends (one run of equal (date, rank) at KELDateOuverte) and the
// forgotten links; in front of a value dated "always", every other event. Order inside a run of
// equal (date, rank) means nothing (no pass ever swaps two such events, and a link's two events
// never share a run), so the new event goes in at the nearer end of the table and is carried to its
// place with one move per run it passes.
void KELGrandTableau::insererUn(KELLien* e)
{
    ++versionDesLiens_;
    auto moins = [](const KELLien* a, const KELLien* b) { return avant(a, b); };
    const std::size_t n = events_.size();
    const std::size_t s =
        static_cast<std::size_t>(std::upper_bound(events_.begin(), events_.end(), e, moins) - events_.begin());
    e->referencerGrandTableau(this);
    if (s < n - s) {
        if (origine_ == 0)
            renumeroter(std::min<std::uint32_t>(kOrigineInitiale, kIndexMax - 2 - static_cast<std::uint32_t>(n)));
        events_.ouvrirDevant();
        KELLien::origine_ = --origine_;
        events_[0] = e;
        e->assignerGtIndexInt(0);
        porter(0, s);
    } else {
        append(e);
        porter(n, s);
    }
}

void KELGrandTableau::deplacer(std::size_t de, std::size_t a)
{
    const auto debut = events_.begin();
    if (de < a)
        std::rotate(debut + static_cast<std::ptrdiff_t>(de), debut + static_cast<std::ptrdiff_t>(de + 1),
                    debut + static_cast<std::ptrdiff_t>(a + 1));
    else if (a < de)
        std::rotate(debut + static_cast<std::ptrdiff_t>(a), debut + static_cast<std::ptrdiff_t>(de),
                    debut + static_cast<std::ptrdiff_t>(de + 1));
    for (std::size_t k = std::min(de, a), fin = std::max(de, a); k <= fin; ++k)
        events_[k]->assignerGtIndexInt(k);
}

void KELGrandTableau::renumeroter(std::uint32_t origine)
{
    KELLien::tableau_ = this;
    KELLien::origine_ = origine_ = origine;
    for (std::size_t i = 0; i < events_.size(); ++i)
        events_[i]->assignerGtIndexInt(i);
}

void KELEvenements::ouvrirDevant()
{
    if (debut_ == 0) {
        // Room in front for a quarter of the events, made as a vector grows: one copy, now and then.
        const std::size_t place = std::max<std::size_t>(1024, size() / 4);
        std::vector<KELLien*> v;
        v.reserve(place + std::max(v_.capacity(), v_.size() + 1));
        v.resize(place);
        v.insert(v.end(), v_.begin(), v_.end());
        v_.swap(v);
        debut_ = place;
    }
    --debut_;
    suivre();
}

std::size_t KELGrandTableau::premierApres(const KELLien* e, std::size_t de, std::size_t jusqua) const
{
    const auto debut = events_.begin();
    return static_cast<std::size_t>(std::partition_point(debut + static_cast<std::ptrdiff_t>(de),
                                                         debut + static_cast<std::ptrdiff_t>(jusqua),
                                                         [e](const KELLien* x) { return !avant(e, x); }) -
                                    debut);
}

std::size_t KELGrandTableau::premierPasAvant(const KELLien* e, std::size_t de, std::size_t jusqua) const
{
    const auto debut = events_.begin();
    return static_cast<std::size_t>(std::partition_point(debut + static_cast<std::ptrdiff_t>(de),
                                                         debut + static_cast<std::ptrdiff_t>(jusqua),
                                                         [e](const KELLien* x) { return avant(x, e); }) -
                                    debut);
}

// The run of equal (date, rank) holding `j`, bounded by [borne, j] (or [j, borne]): searched by
// doubling steps from `j`, since most runs are one event long and one (the open ends) is long.
std::size_t KELGrandTableau::debutDeSuite(std::size_t borne, std::size_t j) const
{
    const KELLien* x = events_[j];
    std::size_t a = j, pas = 1;
    while (a >= borne + pas && !avant(events_[a - pas], x)) {
        a -= pas;
        pas *= 2;
    }
    const auto debut = events_.begin();
    return static_cast<std::size_t>(
        std::partition_point(debut + static_cast<std::ptrdiff_t>(std::max(borne, a >= pas ? a - pas + 1 : borne)),
                             debut + static_cast<std::ptrdiff_t>(a), [x](const KELLien* y) { return avant(y, x); }) -
        debut);
}

std::size_t KELGrandTableau::finDeSuite(std::size_t j, std::size_t borne) const
{
    const KELLien* x = events_[j];
    std::size_t b = j, pas = 1;
    while (b + pas <= borne && !avant(x, events_[b + pas])) {
        b += pas;
        pas *= 2;
    }
    const auto debut = events_.begin();
    return static_cast<std::size_t>(
               std::partition_point(debut + static_cast<std::ptrdiff_t>(b + 1),
                                    debut + static_cast<std::ptrdiff_t>(std::min(borne, b + pas - 1) + 1),
                                    [x](const KELLien* y) { return !avant(x, y); }) -
               debut) -
           1;
}

// The events between move one place towards `de`, a run of equal (date, rank) at a time: order
// inside such a run means nothing, so each run moves by carrying its first (last) event to its
// other end.
void KELGrandTableau::porter(std::size_t de, std::size_t vers)
{
    ++versionDesLiens_;
    KELLien* e = events_[de];
    std::size_t libre = de;
    while (libre > vers) {
        const std::size_t a = debutDeSuite(vers, libre - 1);
        events_[libre] = events_[a];
        events_[libre]->assignerGtIndexInt(libre);
        libre = a;
    }
    while (libre < vers) {
        const std::size_t b = finDeSuite(libre + 1, vers);
        events_[libre] = events_[b];
        events_[libre]->assignerGtIndexInt(libre);
        libre = b;
    }
    events_[vers] = e;
    e->assignerGtIndexInt(vers);
}

namespace {
std::string g_premiereErreur;
} // namespace

void KELGrandTableau::activerVerification(bool oui)
{
    verification_ = oui;
    g_premiereErreur.clear();
}

const std::string& KELGrandTableau::premiereErreur() { return g_premiereErreur; }

void KELGrandTableau::verifierSiDemande() const
{
    if (!verification_ || !g_premiereErreur.empty())
        return;
    g_premiereErreur = verifier();
}

std::string KELGrandTableau::verifier() const
{
    std::ostringstream why;
    for (std::size_t i = 0; i < events_.size(); ++i) {
        const KELLien* e = events_[i];
        if (e->gtIndexInt() != i) {
            why << "event " << e->idInt() << " at " << i << " says index " << e->gtIndexInt();
            return why.str();
        }
        if (i > 0 && avant(e, events_[i - 1])) {
            why << "events out of order at " << i << ": " << events_[i - 1]->date() << " then " << e->date();
            return why.str();
        }
        if (!e->siOut()) {
            auto* lien = const_cast<KELLien*>(e)->lienIn();
            const KELO* out = lien->lienOut();
            const bool zeroPlain = !lien->siCurseur() && lien->inDate() == lien->outDate();
            const bool inverse = lien->inDate() > lien->outDate();
            if (!zeroPlain && !inverse && out->gtIndexInt() < i) {
                why << "link " << lien->idInt() << " ends before it starts in the table";
                return why.str();
            }
        }
    }
    return {};
}
