#include "ruler/ZEVStampClass.h"

#include "engine/KELElements.h"
#include "engine/KELICurseur.h"
#include "engine/KELModels.h"
#include "engine/KELServeurDeLiens.h"
#include "ruler/ZEVRulerViewer.h"
#include "space/ZEVConstants.h"
#include "space/ZEVSpaceController.h"

#include <cmath>

namespace tallomer {

namespace {

// A preset is what is shown when its offsets are all within this much of the current ones.
constexpr double kMemeVue = 1.0;

} // namespace

ZEVStampClass::ZEVStampClass(ZEVRulerViewer& viewer, ZEVSpaceController& space) : viewer_(viewer), space_(space)
{
    KELICurseur* tl = space_.tlCurseur();
    auto relation = [tl](KELId id) {
        auto* r = tl ? dynamic_cast<KELIElemRelation*>(KELServeurDeLiens::LienForInt(id, tl)) : nullptr;
        // Nine presets: their few links are woken at the timeline cursor once.
        if (r)
            r->liens(tl);
        return r;
    };
    curseur_ = relation(KELRELATION_STAMP_CURSEUR);
    curseurNow_ = relation(KELRELATION_STAMP_CURSEUR_NOW);
    curseurIn_ = relation(KELRELATION_STAMP_CURSEUR_IN);
    curseurOut_ = relation(KELRELATION_STAMP_CURSEUR_OUT);
    rulerIn_ = relation(KELRELATION_STAMP_RULER_IN);
    rulerOut_ = relation(KELRELATION_STAMP_RULER_OUT);
    name_ = relation(KELRELATION_STAMP_NAME);
}

KELI* ZEVStampClass::valeur(KELId stamp, KELIElemRelation* relation)
{
    KELICurseur* tl = space_.tlCurseur();
    KELI* s = tl ? KELServeurDeLiens::LienForInt(stamp, tl) : nullptr;
    const std::vector<KELI*>* liens = s && relation ? relation->liensDuParent(s, tl) : nullptr;
    return liens && !liens->empty() ? liens->front()->enfant(tl) : nullptr;
}

double ZEVStampClass::nombre(KELId stamp, KELIElemRelation* relation)
{
    KELI* n = valeur(stamp, relation);
    const KELValue v = n ? n->base() : KELValue{};
    const double* d = std::get_if<double>(&v);
    return d && std::isfinite(*d) ? *d : 0.0;
}

ZEVStampClass::Kind ZEVStampClass::kind(KELId stamp)
{
    KELI* elem = valeur(stamp, curseur_);
    if (!elem)
        return Kind::None;
    auto elemDe = [](KELICurseur* c) -> KELId { return c && c->elemCurseur() ? c->elemCurseur()->idInt() : 0; };
    const KELId id = elem->idInt();
    if (id == elemDe(space_.nowCurseur()))
        return Kind::Now;
    if (id == elemDe(space_.searchCurseur()))
        return Kind::Search;
    if (id == elemDe(space_.tlCurseur()))
        return Kind::Ruler;
    return Kind::Other;
}

double ZEVStampClass::derive()
{
    KELICurseur* n = space_.nowCurseur();
    KELICurseur* s = space_.searchCurseur();
    return space_.siSearchActif() && n && s ? n->now() - s->now() : 0.0;
}

int ZEVStampClass::stateOfNowPresetWithStampInt(KELId stamp)
{
    KELIContexte* n = space_.nowCurseur() ? space_.nowCurseur()->contexte() : nullptr;
    KELIContexte* t = space_.tlContexte();
    if (kind(stamp) != Kind::Now || !n || !t)
        return 0;
    const double ecart = std::fabs(nombre(stamp, curseurIn_) - n->offsetIn()) +
                         std::fabs(nombre(stamp, curseurOut_) - n->offsetOut()) +
                         std::fabs(nombre(stamp, rulerIn_) - t->offsetIn()) +
                         std::fabs(nombre(stamp, rulerOut_) - t->offsetOut());
    return ecart < kMemeVue ? 1 : -1;
}

int ZEVStampClass::stateOfSearchPresetWithStampInt(KELId stamp) { return kind(stamp) == Kind::Search ? -1 : 0; }

int ZEVStampClass::stateOfRulerPresetWithStampInt(KELId stamp)
{
    KELIContexte* t = space_.tlContexte();
    if (kind(stamp) != Kind::Ruler || !t)
        return 0;
    const double d = derive();
    const double ecart = std::fabs(nombre(stamp, rulerIn_) - t->offsetIn() - d) +
                         std::fabs(nombre(stamp, rulerOut_) - t->offsetOut() - d);
    return ecart < kMemeVue ? 1 : -1;
}

std::string ZEVStampClass::nameWithStampInt(KELId stamp)
{
    KELI* mot = valeur(stamp, name_);
    const KELValue v = mot ? mot->base() : KELValue{};
    return std::holds_alternative<std::string>(v) ? std::get<std::string>(v) : std::string();
}

bool ZEVStampClass::deplacer(KELICurseur* curseur, const std::function<void()>& placer)
{
    KELICurseur* avant = viewer_.curseurEnDeplacement();
    viewer_.setCurseurEnDeplacement(curseur);
    const bool ok = viewer_.userInitieDeplacementCurseur();
    if (ok) {
        placer();
        viewer_.userTermineDeplacementCurseur();
    }
    viewer_.setCurseurEnDeplacement(avant);
    return ok;
}

bool ZEVStampClass::callPresetWithStampInt(KELId stamp, float)
{
    KELICurseur* tl = space_.tlCurseur();
    KELIContexte* t = space_.tlContexte();
    if (tl)
        tl->placeToi();
    const Kind k = kind(stamp);
    if (!t || k == Kind::None || k == Kind::Other)
        return true;
    if (k == Kind::Now) {
        KELICurseur* n = space_.nowCurseur();
        KELIContexte* nc = n ? n->contexte() : nullptr;
        if (!nc)
            return true;
        const double dCin = nombre(stamp, curseurIn_) - nc->offsetIn();
        const double dCout = nombre(stamp, curseurOut_) - nc->offsetOut();
        const double dRin = nombre(stamp, rulerIn_) - t->offsetIn();
        const double dRout = nombre(stamp, rulerOut_) - t->offsetOut();
        deplacer(n, [&] {
            viewer_.userPlaceContexteIn(dCin);
            viewer_.userPlaceContexteOut(dCout);
            viewer_.userPlaceRulerOffsetIn(dRin, dRout);
        });
        return std::fabs(dCin + dCout + dRin + dRout) >= 0.001;
    }
    if (k == Kind::Search) {
        KELICurseur* s = space_.searchCurseur();
        KELIContexte* sc = s ? s->contexte() : nullptr;
        if (!sc || !tl)
            return true;
        const double m = nombre(stamp, curseurNow_);
        const double decalage = m - tl->now();
        const double dCin = nombre(stamp, curseurIn_) - sc->offsetIn();
        const double dRin = nombre(stamp, rulerIn_) + decalage - t->offsetIn();
        const double dRout = nombre(stamp, rulerOut_) + decalage - t->offsetOut();
        deplacer(s, [&] {
            viewer_.userPlaceCurseurToDate(m);
            viewer_.userPlaceContexteIn(dCin);
            viewer_.userPlaceRulerOffsetIn(dRin, dRout);
        });
        return true;
    }
    const double d = derive();
    const double dRin = nombre(stamp, rulerIn_) - t->offsetIn() - d;
    const double dRout = nombre(stamp, rulerOut_) - t->offsetOut() - d;
    deplacer(viewer_.curseurEnDeplacement(), [&] { viewer_.userPlaceRulerOffsetIn(dRin, dRout); });
    return true;
}

} // namespace tallomer
