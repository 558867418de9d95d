#include "inspectors/services/ZEVChangeWalker.h"

#include "engine/KELICc.h"
#include "engine/KELLien.h"
#include "runtime/Clock.h"

#include <cmath>

namespace tallomer {

namespace {

bool contient(const std::unordered_set<KELId>* s, KELId id) { return !s || s->empty() || s->count(id) != 0; }

bool candidat(KELLien* e, const ZEVChangeWalk& walk)
{
    const KELId relation = e->relationInt();
    const bool out = e->siOut();
    KELI* lien = nullptr;
    for (const ZEVChangeKind& k : walk.kinds) {
        if (k.relation != relation || k.siOut != out)
            continue;
        if (!lien)
            lien = e->lienIn();
        if (!lien)
            return false;
        if (k.channelInt && lien->channelInt() != k.channelInt)
            continue;
        if (!contient(walk.objets, k.objetEnfant ? lien->enfantInt() : lien->parentInt()))
            continue;
        if (k.tenu && !k.tenu(lien, e->date()))
            continue;
        return contient(walk.liens, lien->idInt());
    }
    return false;
}

} // namespace

KELLien* ZEVChangeWalker::trouver(const KELGrandTableau& table, std::size_t depart, bool versLePasse,
                                  const ZEVChangeWalk& walk, KELDate avant)
{
    const std::size_t n = table.count();
    if (depart >= n)
        return nullptr;
    for (std::size_t i = depart; versLePasse ? i > 0 : i + 1 < n;) {
        i = versLePasse ? i - 1 : i + 1;
        KELLien* e = table.at(i);
        const KELDate d = e->date();
        if (versLePasse ? d < -kBorne : d > kBorne)
            return nullptr;
        if (versLePasse && d >= avant)
            continue;
        if (candidat(e, walk))
            return e;
    }
    return nullptr;
}

KELDate ZEVChangeWalker::date(const KELGrandTableau& table, std::size_t depart, bool versLePasse,
                              const ZEVChangeWalk& walk)
{
    KELLien* e = trouver(table, depart, versLePasse, walk);
    if (!e)
        return 0.0;
    const KELDate d = e->date();
    if (walk.zeroSansGagnant && d == 0.0)
        return 0.0;
    return versLePasse ? d - kAvant : d + kApres;
}

namespace {
// The last step to the past: the change, where the cursor was put, and the clock then.
struct DernierPas {
    const KELICc* curseur = nullptr;
    KELDate changement = 0.0;
    KELDate arrivee = 0.0;
    double horloge = 0.0;
} dernierPas;
} // namespace

KELDate ZEVChangeWalker::previousDate(KELICc* curseur, const ZEVChangeWalk& walk)
{
    if (!curseur)
        return 0.0;
    curseur->placeToi();
    const KELGrandTableau* t = curseur->grandTableau();
    if (!t)
        return 0.0;
    const double horloge = Clock::shared().now();
    const bool pasBouge = dernierPas.curseur == curseur &&
                          std::abs(curseur->now() - (dernierPas.arrivee + (horloge - dernierPas.horloge))) < 0.05;
    KELLien* e = trouver(*t, curseur->gtIndexInt(), true, walk, pasBouge ? dernierPas.changement : kBorne);
    if (!e || (walk.zeroSansGagnant && e->date() == 0.0))
        return 0.0;
    const KELDate d = e->date();
    dernierPas = {curseur, d, d - kAvant, horloge};
    return d - kAvant;
}

KELDate ZEVChangeWalker::nextDate(KELICc* curseur, const ZEVChangeWalk& walk)
{
    if (!curseur)
        return 0.0;
    curseur->placeToi();
    const KELGrandTableau* t = curseur->grandTableau();
    return t ? date(*t, curseur->gtIndexInt(), false, walk) : 0.0;
}

} // namespace tallomer
