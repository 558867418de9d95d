#include "engine/KELICurseur.h"

#include "engine/KELElements.h"
#include "engine/KELModels.h"
#include "engine/KELServeurDeLiens.h"
#include "runtime/Clock.h"
#include "runtime/Log.h"
#include "runtime/Scheduler.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

using tallomer::Clock;
using tallomer::Scheduler;

namespace {
constexpr double kPas = 0.011;     // how far past an event a user move stops
constexpr double kSommeil = 20.0;  // longest sleep of a timer
constexpr double kRetard = 0.05;   // wake-up after a missed event
constexpr double kEcartMinimal = 0.1; // the closest a resize brings a window's edge to its cursor
constexpr double kInfini = std::numeric_limits<double>::infinity();

// The walks to the next and to the previous plain event: the event of a link, as opposed to a
// cursor's or a context's edge, which a window neither shows nor stops at. simpleApres answers the
// slot of the first plain event after slot `i` that `accepte` takes (any, by default), simpleAvant
// the slot of the last one before it; kAucun when there is none. Every look for a neighbouring
// event goes through them: the moves, the timers and the distances to the next and previous
// events. A move runs them once per event it crosses; as calls they cost the jump a few percent,
// so they are forced inline into its loop.
//
// Slot 0. Going back, the walk examines slot 0 like any other slot: a move that carries an edge back
// past the earliest event of the table must stop there like anywhere else. The distances to the
// previous event (calculerOffsetPrecedent of cursors and contexts) are the one exception: they are
// defined without slot 0, so an event alone in it reads as none. They ask for `plancher` 1, the
// lowest slot the walk may examine.
constexpr std::size_t kAucun = std::numeric_limits<std::size_t>::max();

struct ToutSimple {
    bool operator()(const KELLien*) const { return true; }
};

template <class Accepte = ToutSimple>
[[gnu::always_inline]] inline std::size_t simpleApres(const KELGrandTableau& gt, std::size_t i, Accepte accepte = {})
{
    for (std::size_t j = i + 1; j < gt.count(); ++j) {
        const KELLien* e = gt.at(j);
        if (!e->siCurseur() && accepte(e))
            return j;
    }
    return kAucun;
}

template <class Accepte = ToutSimple>
[[gnu::always_inline]] inline std::size_t simpleAvant(const KELGrandTableau& gt, std::size_t i, std::size_t plancher = 0,
                                                      Accepte accepte = {})
{
    for (std::size_t j = i; j-- > plancher;) {
        const KELLien* e = gt.at(j);
        if (!e->siCurseur() && accepte(e))
            return j;
    }
    return kAucun;
}

// The first plain event after an edge whose date is later than `date`; nullptr when there is none.
[[gnu::always_inline]] inline const KELLien* simpleApresLaDate(const KELLien* bord, KELDate date)
{
    const KELGrandTableau* gt = bord->grandTableau();
    if (!gt)
        return nullptr;
    const std::size_t j = simpleApres(*gt, bord->gtIndexInt(), [date](const KELLien* e) { return e->date() > date; });
    return j != kAucun ? gt->at(j) : nullptr;
}

// How far the next plain event after an edge lies from `date`, and the previous one before it (a
// negative span); 0 when there is none. An event of the edge's own date is no step away and is
// passed over.
double distanceSuivante(const KELLien* bord, KELDate date)
{
    const KELLien* e = simpleApresLaDate(bord, date);
    return e ? e->date() - date : 0.0;
}

double distancePrecedente(const KELLien* bord, KELDate date)
{
    const KELGrandTableau* gt = bord->grandTableau();
    if (!gt)
        return 0.0;
    const std::size_t j = simpleAvant(*gt, bord->gtIndexInt(), 1, [date](const KELLien* e) { return e->date() - date < 0; });
    return j != kAucun ? gt->at(j)->date() - date : 0.0;
}

// How long the timer of an edge standing at `t` sleeps: until the next plain event after the edge,
// kRetard when that event is already due, never longer than kSommeil; kSommeil too for an edge
// that stood still since its last step (`surPlace`).
double delaiJusquAuSuivant(const KELLien* bord, KELDate t, bool surPlace)
{
    double delai = kSommeil;
    const KELGrandTableau* gt = bord->grandTableau();
    if (const std::size_t j = gt ? simpleApres(*gt, bord->gtIndexInt()) : kAucun; j != kAucun) {
        const double d = gt->at(j)->date() - t;
        if (d < kSommeil && !surPlace)
            delai = d < 0 ? kRetard : d;
    }
    return delai;
}

Scheduler& ordonnanceur()
{
    static tallomer::ManualScheduler inerte; // engine used without a run loop: nothing fires
    return Scheduler::hasShared() ? Scheduler::shared() : inerte;
}

double tempsReel() { return Clock::shared().now(); }

KELICurseur* curseurDeLElement(KELI* element)
{
    auto* e = dynamic_cast<KELIElemCurseur*>(element);
    return e ? e->lienCurseur() : nullptr;
}

KELIContexte* contexteDeLElement(KELI* element)
{
    auto* e = dynamic_cast<KELIElemContexte*>(element);
    return e ? e->lienContexte() : nullptr;
}

KELICurseur* leCurseurGlobal() { return KELServeurDeLiens::CurseurGlobal(); }

double arrondi(double v) { return std::round(v * 10.0) / 10.0; }
} // namespace

// ---------------------------------------------------------------------------------------------
// KELICurseur

KELICurseur::KELICurseur() = default;
KELICurseur::~KELICurseur()
{
    ordonnanceur().cancelAll(this);
}

unsigned KELICurseur::NextOrder()
{
    static unsigned compteur = 0;
    return ++compteur;
}

unsigned KELICurseur::definirTypeTxt(const std::string* texte)
{
    if (!texte)
        return kRelatifTR;
    if (*texte == "relative_cs")
        return kRelatifCS;
    if (*texte == "fixe")
        return kFixe;
    return kRelatifTR;
}

KELICurseur* KELICurseur::curseurSup()
{
    if (!curseurSup_) {
        curseurSup_ = curseurDeLElement(elemCurseurSup_);
        if (!curseurSup_)
            return leCurseurGlobal();
    }
    return curseurSup_;
}

KELIContexte* KELICurseur::contexte()
{
    if (!contexte_)
        contexte_ = contexteDeLElement(elemContexte_);
    return contexte_;
}

KELICc* KELICurseur::fenetre()
{
    KELIContexte* c = contexte();
    return c ? static_cast<KELICc*>(c) : this;
}

KELDate KELICurseur::reference()
{
    if (typeInt_ == kRelatifCS) {
        KELICurseur* sup = curseurSup();
        return sup && sup != this ? sup->now() : tempsReel();
    }
    return tempsReel();
}

KELDate KELICurseur::now()
{
    switch (typeInt_) {
    case kRelatifCS:
    case kRelatifTR:
        return reference() + offsetDouble_;
    case kFixe:
        return outDate() + offsetDouble_;
    default:
        tallomer::logLine("KELICurseur JAMAIS 1");
        return leCurseurGlobal() ? leCurseurGlobal()->now() : tempsReel();
    }
}

KELDate KELICurseur::nowIn()
{
    KELIContexte* c = contexte();
    return c ? c->nowIn() : now();
}

KELDate KELICurseur::nowOut()
{
    KELIContexte* c = contexte();
    return c ? c->nowOut() : now();
}

KELDate KELICurseur::placeToi()
{
    const KELDate t = now();
    if (t > inDate()) {
        placeOutDate(t, this);
        placeInDate(t, this);
    } else if (t < inDate()) {
        placeInDate(t, this);
        placeOutDate(t, this);
    }
    return t;
}

void KELICurseur::assignerType(const std::string* texte)
{
    typeInt_ = definirTypeTxt(texte);
    if (siCurseurDejaLance_)
        lancer();
}

void KELICurseur::assignerOffsetNumber(const double* offset)
{
    offsetDouble_ = offset ? *offset : 0.0;
    if (siCurseurDejaLance_)
        lancer();
}

void KELICurseur::assignerElemCurseurSup(KELI* element)
{
    elemCurseurSup_ = element;
    curseurSup_ = nullptr;
    if (siCurseurDejaLance_) {
        ordonnanceur().cancel(this, "lancer");
        ordonnanceur().perform(this, "lancer", 0.0, [this] { lancer(); }, true);
    }
}

void KELICurseur::assignerElemContexte(KELI* element)
{
    elemContexte_ = element;
    contexte_ = nullptr;
    if (siCurseurDejaLance_) {
        ordonnanceur().cancel(this, "lancer");
        ordonnanceur().perform(this, "lancer", 0.0, [this] { lancer(); }, true);
    }
}

void KELICurseur::programmerAvance(double delai)
{
    dernierDelai_ = delai;
    ordonnanceur().perform(this, "_avance", delai, [this] { avance(); }, true);
}

void KELICurseur::annulerAvance() { ordonnanceur().cancel(this, "_avance"); }

void KELICurseur::lancer()
{
    curseurSup();
    KELIContexte* ctx = contexte();
    annulerAvance();
    const unsigned avant = typeIntPrecedent_;
    const unsigned type = typeInt_;
    const bool mobile = siMobile(type);
    if (avant == kPasLance) {
        if (mobile) {
            programmerAvance(0.0);
        } else {
            offsetDouble_ = 0.0;
            placeToi();
        }
    } else if (avant == kFixe) {
        if (mobile) {
            if (elemCurseur_)
                offsetDouble_ = elemCurseur_->offsetDouble();
            programmerAvance(0.0);
            if (ctx) {
                if (ctx->typeOutInt() == kRelatifCS)
                    ctx->lancerOut();
                if (ctx->typeInInt() == kRelatifCS)
                    ctx->lancerIn();
            }
            lancerLesSousCurseurs();
        } else {
            offsetDouble_ = 0.0;
        }
    } else {
        if (mobile) {
            programmerAvance(0.0);
        } else {
            annulerAvance();
            offsetDouble_ = 0.0;
            placeToi();
            if (ctx) {
                if (ctx->typeOutInt() == kRelatifCS)
                    ctx->annulerAvanceOut();
                if (ctx->typeInInt() == kRelatifCS)
                    ctx->annulerAvanceIn();
            }
            arreterLesSousCurseurs();
        }
    }
    siCurseurDejaLance_ = true;
    typeIntPrecedent_ = type;
}

double KELICurseur::delaiDAvance(KELDate t) { return delaiJusquAuSuivant(lienOut(), t, siFaitDuSurPlace_); }

void KELICurseur::avance()
{
    const KELDate t = now();
    siFaitDuSurPlace_ = t == precedentNow_;
    const double delai = delaiDAvance(t);
    precedentNow_ = t;
    placeToi();
    programmerAvance(delai);
}

namespace {
// On a large base a crossing mostly waits for memory: the event, then the objects at either end
// of its link, then their representations lie anywhere, each found through the one before; a
// link that leaves a window reads its own representation, and one read without asking costs the
// move a whole wait. A move asks for them some events ahead of its leading edge, one link of each
// chain at each distance, so that each has arrived by the time the next one is read from it. The
// window's other edges meet the same events a step or two later, and find them in the cache.
template <bool kEnAvant>
class Anticipation {
public:
    explicit Anticipation(const KELLien* bord)
        : bord_(bord), gt_(bord->grandTableau()), actif_(gt_ && gt_->count() >= seuil_)
    {
    }

    // After each step of the move.
    void apres()
    {
        if (!actif_)
            return;
        const std::size_t i = bord_->gtIndexInt();
        if (i == dernier_)
            return;
        dernier_ = i;
        if (const KELLien* e = aDistance(i, 5 * kEcart))
            KELGrandTableau::prefetch(e);
        if (KELI* l = lien(i, 4 * kEcart)) {
            KELServeurDeLiens::PrefetchLienId(l->enfantInt());
            if (l->parentInt() != parentVu_) {
                parentVu_ = l->parentInt();
                KELServeurDeLiens::PrefetchLienId(parentVu_);
            }
            l->prefetchRepresentants();
            l->prefetchVu();
        }
        if (KELI* l = lien(i, 3 * kEcart)) {
            // The objects found here are kept until their event is near, to ask for their
            // representations without looking them up again.
            Prevu& p = prevus_[place(i, 3 * kEcart)];
            p.evenement = aDistance(i, 3 * kEcart);
            p.lien = l;
            p.enfant = KELServeurDeLiens::DonneMaintenantLeLienId(l->enfantInt());
            if (l->parentInt() != parent_) {
                parent_ = l->parentInt();
                objetParent_ = KELServeurDeLiens::DonneMaintenantLeLienId(parent_);
            }
            p.parent = objetParent_;
            if (p.enfant) {
                __builtin_prefetch(p.enfant);
                p.enfant->prefetchVu();
            }
        }
        if (const Prevu* p = prevu(i, 2 * kEcart)) {
            p->lien->prefetchRepresentantNo(1);
            if (p->enfant)
                p->enfant->prefetchRepresentants();
            if (p->parent)
                p->parent->prefetchRepresentants();
        }
        // Down the lists of objects shown in a few windows, one place at each distance.
        if (const Prevu* p = prevu(i, kEcart); p && p->enfant)
            p->enfant->prefetchRepresentantNo(1);
        if (const Prevu* p = prevu(i, kEcart / 2); p && p->enfant)
            p->enfant->prefetchRepresentantNo(2);
        if (const Prevu* p = prevu(i, kEcart / 4); p && p->enfant)
            p->enfant->prefetchRepresentantNo(3);
    }

    static inline std::size_t seuil_ = KELICurseur::kAnticipationParDefaut;

private:
    static constexpr std::size_t kEcart = 8;
    static constexpr std::size_t kPrevus = 32; // more than the events from 3 * kEcart on
    struct Prevu {
        const KELLien* evenement = nullptr; // events and links live for the run
        KELI* lien = nullptr;
        KELI* parent = nullptr;
        KELI* enfant = nullptr;
    };
    static std::size_t place(std::size_t i, std::size_t d) { return (kEnAvant ? i + d : i - d) % kPrevus; }
    // What was found for the event `d` places ahead, if it is still the one there (read from the
    // table alone: no call to find its link again).
    const Prevu* prevu(std::size_t i, std::size_t d) const
    {
        const KELLien* e = aDistance(i, d);
        const Prevu& p = prevus_[place(i, d)];
        return e && p.evenement == e ? &p : nullptr;
    }
    const KELLien* aDistance(std::size_t i, std::size_t d) const
    {
        if (kEnAvant)
            return i + d < gt_->count() ? gt_->at(i + d) : nullptr;
        return i >= d ? gt_->at(i - d) : nullptr;
    }
    KELI* lien(std::size_t i, std::size_t d) const
    {
        KELLien* e = const_cast<KELLien*>(aDistance(i, d));
        return e && !e->siCurseur() ? e->lienIn() : nullptr;
    }

    const KELLien* bord_; // the move's leading edge
    const KELGrandTableau* gt_;
    bool actif_;
    std::size_t dernier_ = std::numeric_limits<std::size_t>::max();
    KELId parentVu_ = 0;
    KELId parent_ = 0;
    KELI* objetParent_ = nullptr;
    std::array<Prevu, kPrevus> prevus_{};
};

std::vector<KELICurseur*> sousCurseurs(KELICurseur* c)
{
    std::vector<KELICurseur*> out;
    KELICc* global = leCurseurGlobal();
    auto* rel = dynamic_cast<KELIElemRelation*>(KELServeurDeLiens::LienForInt(kel::kRelCurseurSup, global));
    if (!rel || !c->elemCurseur())
        return out;
    if (const auto* parents = rel->parentsDeLEnfant(c->elemCurseur(), global))
        for (KELI* p : *parents)
            if (KELICurseur* sc = curseurDeLElement(p); sc && sc != c)
                out.push_back(sc);
    return out;
}
} // namespace

void KELICurseur::lancerLesSousCurseurs()
{
    for (KELICurseur* sc : sousCurseurs(this)) {
        KELIContexte* ctx = sc->contexte();
        if (ctx && ctx->typeOutInt() == kRelatifCS)
            ctx->lancerOut();
        if (sc->typeInt() == kRelatifCS)
            sc->lancer();
        if (ctx && ctx->typeInInt() == kRelatifCS)
            ctx->lancerIn();
        sc->lancerLesSousCurseurs();
    }
}

void KELICurseur::arreterLesSousCurseurs()
{
    for (KELICurseur* sc : sousCurseurs(this)) {
        KELIContexte* ctx = sc->contexte();
        if (sc->typeInt() == kRelatifCS)
            sc->annulerAvance();
        if (ctx && ctx->typeInInt() == kRelatifCS)
            ctx->annulerAvanceIn();
        if (ctx && ctx->typeOutInt() == kRelatifCS)
            ctx->annulerAvanceOut();
        sc->arreterLesSousCurseurs();
    }
}

void KELICurseur::initierDeplacementCurseur()
{
    KELIContexte* ctx = contexte();
    if (typeInt_ == kRelatifCS)
        annulerAvance();
    if (ctx && ctx->typeOutInt() == kRelatifCS)
        ctx->annulerAvanceOut();
    if (ctx && ctx->typeInInt() == kRelatifCS)
        ctx->annulerAvanceIn();
    arreterLesSousCurseurs();
}

void KELICurseur::terminerDeplacementCurseur()
{
    KELIContexte* ctx = contexte();
    if (ctx && ctx->typeOutInt() == kRelatifCS)
        ctx->lancerOut();
    if (typeInt_ == kRelatifCS)
        lancer();
    if (ctx && ctx->typeInInt() == kRelatifCS)
        ctx->lancerIn();
    lancerLesSousCurseurs();
}

double KELICurseur::calculerOffsetSuivant() { return distanceSuivante(lienOut(), outDate()); }
double KELICurseur::calculerOffsetPrecedent() { return distancePrecedente(this, inDate()); }

void KELICurseur::anticiperDesLe(std::size_t evenements)
{
    Anticipation<true>::seuil_ = evenements;
    Anticipation<false>::seuil_ = evenements;
}

namespace {
// The date of the first plain event after an edge, at a later date than the edge's own; +inf when
// there is none.
[[gnu::always_inline]] inline KELDate evenementApres(const KELLien* bord, KELDate date)
{
    const KELLien* e = simpleApresLaDate(bord, date);
    return e ? e->date() : kInfini;
}

// The date of the last plain event before an edge. Going back, an edge also meets the events that
// stand just before it at its own date (a link starting exactly where the window ends is inside
// it): those come first, with a step of nothing but the overshoot. -inf when there is none.
[[gnu::always_inline]] inline KELDate evenementAvant(const KELLien* bord)
{
    const KELGrandTableau* gt = bord->grandTableau();
    const std::size_t j = gt ? simpleAvant(*gt, bord->gtIndexInt()) : kAucun;
    return j != kAucun ? gt->at(j)->date() : -kInfini;
}

// The next plain event ahead of one edge of a moving window, kept from step to step: each step
// carries one edge past an event and the others past nothing, and those others' next events have
// not changed. What was found still holds while no plain event came into the table, moved in it or
// was dated again (a callback may wake links or move them), and the edge stands between the date
// it was sought from and the event: an edge passes only events no later than its own date, so
// the events between its old and its new place are none of those it looks for.
template <bool kEnAvant>
class Prochain {
public:
    [[gnu::always_inline]] inline KELDate date(const KELLien* bord, KELDate d)
    {
        const KELGrandTableau* gt = bord->grandTableau();
        if (gt && gt->versionDesLiens() == version_ &&
            (kEnAvant ? d >= depuis_ && d < date_ : d <= depuis_ && d > date_))
            return date_;
        date_ = kEnAvant ? evenementApres(bord, d) : evenementAvant(bord);
        depuis_ = d;
        version_ = gt ? gt->versionDesLiens() : kJamais;
        return date_;
    }

private:
    static constexpr std::uint64_t kJamais = ~std::uint64_t{0};
    std::uint64_t version_ = kJamais;
    KELDate depuis_ = 0.0;
    KELDate date_ = 0.0;
};
} // namespace

// Moves event by event: each step ends just past the nearest event ahead of the cursor or of
// either window edge, so that crossings come one date at a time and in time order; the last step
// ends exactly at the destination, where the ranks of events of equal date say what is inside.
//
// Far from 2001 the last bit of a date is worth more than the overshoot (from about 2^47 s on),
// and a step of nothing but the overshoot would leave the edge on the event it should pass, for
// ever. So the edge that meets the event that bounds a step ends on the next date past it: each
// step but the last carries an edge past an event, and a move ends after as many steps as there
// are events on its way, whatever the dates.
void KELICurseur::avancerJusquA(KELDate cible)
{
    KELIContexte* ctx = contexte();
    Anticipation<true> anticipation(ctx ? ctx->lienOut() : lienOut());
    Prochain<true> pCurseur, pOut, pIn;
    while (outDate() < cible) {
        anticipation.apres();
        const KELDate eCurseur = pCurseur.date(lienOut(), outDate());
        const KELDate eOut = ctx ? pOut.date(ctx->lienOut(), ctx->outDate()) : kInfini;
        const KELDate eIn = ctx ? pIn.date(ctx, ctx->inDate()) : kInfini;
        const double dCurseur = eCurseur - outDate();
        const double dOut = ctx ? eOut - ctx->outDate() : kInfini;
        const double dIn = ctx ? eIn - ctx->inDate() : kInfini;
        const double s = std::min({dCurseur, dOut, dIn});
        const double r = cible - outDate();
        if (!(s + kPas < r)) {
            if (ctx)
                ctx->placeOutDate(ctx->outDate() + r, this);
            placeOutDate(cible, this);
            placeInDate(cible, this);
            if (ctx)
                ctx->placeInDate(ctx->inDate() + r, this);
            return;
        }
        const double pas = s + kPas;
        auto fin = [pas, s](KELDate date, double distance, KELDate evenement) {
            const KELDate n = date + pas;
            return distance == s && !(n > evenement) ? std::nextafter(evenement, kInfini) : n;
        };
        if (ctx)
            ctx->placeOutDate(fin(ctx->outDate(), dOut, eOut), this);
        placeOutDate(fin(outDate(), dCurseur, eCurseur), this);
        placeInDate(outDate(), this);
        if (ctx)
            ctx->placeInDate(fin(ctx->inDate(), dIn, eIn), this);
    }
}

void KELICurseur::reculerJusquA(KELDate cible)
{
    KELIContexte* ctx = contexte();
    Anticipation<false> anticipation(ctx ? static_cast<KELLien*>(ctx) : this);
    Prochain<false> pCurseurIn, pCurseurOut, pIn, pOut;
    while (inDate() > cible) {
        anticipation.apres();
        const KELDate eCurseurIn = pCurseurIn.date(this, inDate());
        const KELDate eCurseurOut = pCurseurOut.date(lienOut(), outDate());
        const KELDate eIn = ctx ? pIn.date(ctx, ctx->inDate()) : -kInfini;
        const KELDate eOut = ctx ? pOut.date(ctx->lienOut(), ctx->outDate()) : -kInfini;
        const double dCurseurIn = eCurseurIn - inDate();
        const double dCurseurOut = eCurseurOut - outDate();
        const double dIn = ctx ? eIn - ctx->inDate() : -kInfini;
        const double dOut = ctx ? eOut - ctx->outDate() : -kInfini;
        const double s = std::max({dCurseurIn, dCurseurOut, dIn, dOut});
        const double r = cible - inDate();
        if (!(s - kPas > r)) {
            if (ctx)
                ctx->placeInDate(ctx->inDate() + r, this);
            placeInDate(cible, this);
            placeOutDate(cible, this);
            if (ctx)
                ctx->placeOutDate(ctx->outDate() + r, this);
            return;
        }
        const double pas = s - kPas;
        auto fin = [pas, s](KELDate date, double distance, KELDate evenement) {
            const KELDate n = date + pas;
            return distance == s && !(n < evenement) ? std::nextafter(evenement, -kInfini) : n;
        };
        if (ctx)
            ctx->placeInDate(fin(ctx->inDate(), dIn, eIn), this);
        // The cursor's two events share one date: it ends past whichever of them met the event.
        placeInDate(std::min(fin(inDate(), dCurseurIn, eCurseurIn), fin(outDate(), dCurseurOut, eCurseurOut)), this);
        placeOutDate(inDate(), this);
        if (ctx)
            ctx->placeOutDate(fin(ctx->outDate(), dOut, eOut), this);
    }
}

void KELICurseur::decalerCurseur(double d)
{
    if (!std::isfinite(d)) {
        tallomer::logFormat("KELICurseur decalerCurseur: refused span %f", d);
        return;
    }
    KELIContexte* ctx = contexte();
    placeToi();
    if (ctx)
        ctx->placeToi();
    const KELDate cible = (d > 0 ? outDate() : inDate()) + d;
    if (std::isinf(cible)) {
        tallomer::logFormat("KELICurseur decalerCurseur: refused span %f", d);
        return;
    }
    if (d > 0)
        avancerJusquA(cible);
    else if (d < 0)
        reculerJusquA(cible);
    if (siMobile(typeInt_))
        offsetDouble_ += d;
}

void KELICurseur::decalerCurseurContexteIn(double d, double dIn)
{
    decalerCurseur(d);
    if (KELIContexte* ctx = contexte())
        ctx->setOffsetIn(std::min(ctx->offsetIn() + dIn, -kEcartMinimal));
}

// The walk goes to the date itself, and the offset is taken against the moment it is added to:
// measured from where the cursor stood, which may be the beginning of time, the span keeps only
// whole seconds of the date. Where even the reference is too far for the date's last bits, the
// cursor stands just after the date rather than before it, so that a link starting there is shown.
void KELICurseur::placerCurseur(KELDate date)
{
    if (!std::isfinite(date)) {
        tallomer::logFormat("KELICurseur placerCurseur: refused date %f", date);
        return;
    }
    initierDeplacementCurseur();
    KELIContexte* ctx = contexte();
    placeToi();
    if (ctx)
        ctx->placeToi();
    if (date > outDate())
        avancerJusquA(date);
    else if (date < inDate())
        reculerJusquA(date);
    if (siMobile(typeInt_)) {
        const KELDate ref = reference();
        double offset = date - ref;
        for (int i = 0; i < 2 && ref + offset < date; ++i)
            offset = std::nextafter(offset, kInfini);
        offsetDouble_ = offset;
    }
    terminerDeplacementCurseur();
}

void KELICurseur::decalerContexte(double d)
{
    KELIContexte* ctx = contexte();
    if (!ctx || !std::isfinite(d))
        return;
    ctx->placeToi();
    if (d > 0) {
        ctx->placeOutDate(ctx->outDate() + d + kPas, this);
        ctx->placeInDate(ctx->inDate() + d + kPas, this);
    } else if (d < 0) {
        ctx->placeInDate(ctx->inDate() + d - kPas, this);
        ctx->placeOutDate(ctx->outDate() + d - kPas, this);
    }
    ctx->addOffset(d);
    ctx->placeToi();
}

void KELICurseur::decalerContexteIn(double d)
{
    if (KELIContexte* ctx = contexte())
        ctx->setOffsetIn(std::min(ctx->offsetIn() + d, -kEcartMinimal));
}

void KELICurseur::decalerContexteOut(double d)
{
    if (KELIContexte* ctx = contexte())
        ctx->setOffsetOut(std::max(ctx->offsetOut() + d, kEcartMinimal));
}

void KELICurseur::agrandirContexte(double d)
{
    decalerContexteOut(d);
    decalerContexteIn(-d);
}

void KELICurseur::placerContexteInToZero()
{
    if (KELIContexte* ctx = contexte())
        ctx->setOffsetIn(-kEcartMinimal);
}

void KELICurseur::placerContexteOutToZero()
{
    if (KELIContexte* ctx = contexte())
        ctx->setOffsetOut(kEcartMinimal);
}

void KELICurseur::updateDeplacementCurseurSearch()
{
    if (elemCurseur_)
        elemCurseur_->archiverOffset(arrondi(offsetDouble_));
    if (KELIContexte* ctx = contexte(); ctx && ctx->elemContexte()) {
        ctx->elemContexte()->archiverOffsetIn(arrondi(ctx->offsetIn()));
        ctx->elemContexte()->archiverOffsetOut(arrondi(ctx->offsetOut()));
    }
}

void KELICurseur::updateDeplacementCurseurNow()
{
    if (offsetDouble_ != 0.0) {
        offsetDouble_ = 0.0;
        if (elemCurseur_)
            elemCurseur_->archiverOffsetToZero();
        placeToi();
    }
    if (KELIContexte* ctx = contexte(); ctx && ctx->elemContexte()) {
        ctx->elemContexte()->archiverOffsetIn(arrondi(ctx->offsetIn()));
        ctx->elemContexte()->archiverOffsetOut(arrondi(ctx->offsetOut()));
    }
}

void KELICurseur::lachePrise()
{
    elemCurseurSup_ = nullptr;
    curseurSup_ = nullptr;
    elemContexte_ = nullptr;
    contexte_ = nullptr;
    KELICc::lachePrise();
}

// ---------------------------------------------------------------------------------------------
// KELICurseurGlobal

KELICurseurGlobal::KELICurseurGlobal() { typeInt_ = kRelatifTR; }

KELDate KELICurseurGlobal::now() { return tempsReel(); }

void KELICurseurGlobal::lancer()
{
    ordonnanceur().cancel(this, "_avance");
    programmerAvance(0.0);
    siCurseurDejaLance_ = true;
}

double KELICurseurGlobal::delaiDAvance(KELDate t) { return delaiJusquAuSuivant(lienOut(), t, false); }

// ---------------------------------------------------------------------------------------------
// KELIContexte

KELIContexte::KELIContexte() = default;
KELIContexte::~KELIContexte() { ordonnanceur().cancelAll(this); }

KELICurseur* KELIContexte::curseur()
{
    if (!curseur_)
        curseur_ = curseurDeLElement(elemCurseurElem_);
    return curseur_;
}

KELDate KELIContexte::now()
{
    KELICurseur* c = curseur();
    return c ? c->now() : (leCurseurGlobal() ? leCurseurGlobal()->now() : tempsReel());
}

double KELIContexte::nowBord(bool in)
{
    const unsigned type = in ? typeInInt_ : typeOutInt_;
    double base;
    if (type == KELICurseur::kRelatifCS) {
        KELICurseur* c = curseur();
        base = c ? c->now() : tempsReel();
    } else if (type == KELICurseur::kFixe) {
        base = in ? inDate() : outDate();
    } else {
        base = tempsReel();
    }
    return base + (in ? offsetInDouble_ : offsetOutDouble_);
}

KELDate KELIContexte::nowIn() { return nowBord(true); }
KELDate KELIContexte::nowOut() { return nowBord(false); }

void KELIContexte::setOffsetIn(double o)
{
    offsetInDouble_ = o;
    placeInDate(nowIn(), this);
}

void KELIContexte::setOffsetOut(double o)
{
    offsetOutDouble_ = o;
    placeOutDate(nowOut(), this);
}

void KELIContexte::setOffsetInOffsetOut(double in, double out)
{
    offsetInDouble_ = in;
    offsetOutDouble_ = out;
    placeToi();
}

KELDate KELIContexte::placeToi()
{
    const KELDate a = nowIn();
    const KELDate b = nowOut();
    if (a > outDate()) {
        placeOutDate(b, this);
        placeInDate(a, this);
    } else if (inDate() > b) {
        placeInDate(a, this);
        placeOutDate(b, this);
    } else {
        placeOutDate(b, this);
        placeInDate(a, this);
    }
    return b;
}

void KELIContexte::placeToiIn() { placeInDate(nowIn(), this); }
void KELIContexte::placeToiOut() { placeOutDate(nowOut(), this); }

namespace {
// The smaller positive (larger negative) of two distances, 0 meaning none.
double plusProche(double a, double b)
{
    if (a == 0.0)
        return b;
    if (b == 0.0)
        return a;
    return std::abs(a) < std::abs(b) ? a : b;
}
} // namespace

double KELIContexte::calculerOffsetSuivantIn() { return distanceSuivante(this, inDate()); }
double KELIContexte::calculerOffsetSuivantOut() { return distanceSuivante(lienOut(), outDate()); }
double KELIContexte::calculerOffsetPrecedentIn() { return distancePrecedente(this, inDate()); }
double KELIContexte::calculerOffsetPrecedentOut() { return distancePrecedente(lienOut(), outDate()); }
double KELIContexte::calculerOffsetSuivant() { return plusProche(calculerOffsetSuivantIn(), calculerOffsetSuivantOut()); }
double KELIContexte::calculerOffsetPrecedent() { return plusProche(calculerOffsetPrecedentIn(), calculerOffsetPrecedentOut()); }

void KELIContexte::assignerTypeIn(const std::string* texte)
{
    typeInInt_ = KELICurseur::definirTypeTxt(texte);
    if (siContexteInDejaLance_) {
        ordonnanceur().cancel(this, "lancerIn");
        ordonnanceur().perform(this, "lancerIn", 0.0, [this] { lancerIn(); }, true);
    }
}

void KELIContexte::assignerOffsetNumberIn(const double* offset)
{
    offsetInDouble_ = offset ? *offset : kOffsetInParDefaut;
    if (siContexteInDejaLance_) {
        ordonnanceur().cancel(this, "lancerIn");
        ordonnanceur().perform(this, "lancerIn", 0.0, [this] { lancerIn(); }, true);
    }
}

void KELIContexte::assignerTypeOut(const std::string* texte)
{
    typeOutInt_ = KELICurseur::definirTypeTxt(texte);
    if (siContexteOutDejaLance_) {
        ordonnanceur().cancel(this, "lancerOut");
        ordonnanceur().perform(this, "lancerOut", 0.0, [this] { lancerOut(); }, true);
    }
}

void KELIContexte::assignerOffsetNumberOut(const double* offset)
{
    offsetOutDouble_ = offset ? *offset : kOffsetOutParDefaut;
    if (siContexteOutDejaLance_) {
        ordonnanceur().cancel(this, "lancerOut");
        ordonnanceur().perform(this, "lancerOut", 0.0, [this] { lancerOut(); }, true);
    }
}

void KELIContexte::assignerElemCurseur(KELI* element)
{
    elemCurseurElem_ = element;
    curseur_ = nullptr;
    if (siContexteInDejaLance_ && siContexteOutDejaLance_) {
        ordonnanceur().cancel(this, "lancerOut");
        ordonnanceur().cancel(this, "lancerIn");
        ordonnanceur().perform(this, "lancerOut", 0.0, [this] { lancerOut(); }, true);
        ordonnanceur().perform(this, "lancerIn", 0.0, [this] { lancerIn(); }, true);
    }
}

void KELIContexte::annulerAvanceIn() { ordonnanceur().cancel(this, "_avanceIn"); }
void KELIContexte::annulerAvanceOut() { ordonnanceur().cancel(this, "_avanceOut"); }

// An edge launches like a cursor, with one choice of ours: a change between kRelatifCS and
// kRelatifTR restarts the edge's timer (otherwise the edge would stop moving until launched again).
void KELIContexte::lancerBord(bool in)
{
    curseur();
    bool& lance = in ? siContexteInDejaLance_ : siContexteOutDejaLance_;
    unsigned& precedent = in ? typeInIntPrecedent_ : typeOutIntPrecedent_;
    const unsigned type = in ? typeInInt_ : typeOutInt_;
    double& offset = in ? offsetInDouble_ : offsetOutDouble_;
    const char* nom = in ? "_avanceIn" : "_avanceOut";
    lance = false;
    ordonnanceur().cancel(this, nom);
    const bool mobile = KELICurseur::siMobile(type);
    auto programmer = [this, in, nom] {
        ordonnanceur().perform(this, nom, 0.0, [this, in] { avanceBord(in); }, true);
    };
    auto placer = [this, in] { in ? placeInDate(nowIn(), this) : placeOutDate(nowOut(), this); };
    if (mobile) {
        programmer();
    } else if (precedent == KELICurseur::kFixe) {
        offset = 0.0;
    } else {
        offset = 0.0;
        placer();
    }
    precedent = type;
    lance = true;
}

void KELIContexte::lancerIn() { lancerBord(true); }
void KELIContexte::lancerOut() { lancerBord(false); }

void KELIContexte::avanceBord(bool in)
{
    const KELDate t = nowBord(in);
    double& precedent = in ? precedentNowIn_ : precedentNowOut_;
    bool& surPlace = in ? siInFaitDuSurPlace_ : siOutFaitDuSurPlace_;
    surPlace = t == precedent;
    const double delai = delaiJusquAuSuivant(in ? static_cast<KELLien*>(this) : lienOut(), t, surPlace);
    precedent = t;
    if (in)
        placeInDate(t, this);
    else
        placeOutDate(t, this);
    const char* nom = in ? "_avanceIn" : "_avanceOut";
    ordonnanceur().perform(this, nom, delai, [this, in] { avanceBord(in); }, true);
}

void KELIContexte::avanceIn() { avanceBord(true); }
void KELIContexte::avanceOut() { avanceBord(false); }

void KELIContexte::lachePrise()
{
    elemCurseurElem_ = nullptr;
    curseur_ = nullptr;
    KELICc::lachePrise();
}

// ---------------------------------------------------------------------------------------------
// KELIContexteGlobal

KELIContexteGlobal::KELIContexteGlobal()
{
    offsetInDouble_ = -kDemiLargeur;
    offsetOutDouble_ = kDemiLargeur;
}

KELDate KELIContexteGlobal::nowIn()
{
    KELICurseur* c = curseur();
    return (c ? c->now() : tempsReel()) + offsetInDouble_;
}

KELDate KELIContexteGlobal::nowOut()
{
    KELICurseur* c = curseur();
    return (c ? c->now() : tempsReel()) + offsetOutDouble_;
}
