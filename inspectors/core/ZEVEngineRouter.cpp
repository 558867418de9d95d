#include "inspectors/core/ZEVEngineRouter.h"

#include "engine/KELLien.h"

namespace tallomer {

void ZEVEngineRouter::enregistrer(KELId relation, KELICc* curseur, Handler handler)
{
    if (!curseur)
        return;
    for (const Entree& e : entrees_)
        if (e.relation == relation && e.curseur == curseur)
            return;
    entrees_.push_back(Entree{relation, curseur, std::move(handler)});
    curseur->ajouterLeDelegueDeMaj(this, relation);
}

void ZEVEngineRouter::toutRetirer()
{
    for (const Entree& e : entrees_)
        e.curseur->enleverLeDelegueDeMaj(this, e.relation);
    entrees_.clear();
}

void ZEVEngineRouter::router(KELI* lien, KELICc* curseur, bool activation)
{
    if (!lien)
        return;
    const KELId relation = lien->relationInt();
    for (const Entree& e : entrees_)
        if (e.curseur == curseur && e.relation == relation) {
            e.handler(lien, curseur, activation);
            return;
        }
}

} // namespace tallomer
