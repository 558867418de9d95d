#include "ruler/ZEVRulerClass.h"

#include "engine/KELElements.h"
#include "engine/KELICurseur.h"
#include "engine/KELModels.h"
#include "engine/KELServeurDeLiens.h"
#include "runtime/Log.h"
#include "space/ZEVConstants.h"

#include <cmath>

namespace tallomer {

namespace {

template <class T>
T* lienDe(KELId id, KELICurseur* curseur)
{
    return curseur ? dynamic_cast<T*>(KELServeurDeLiens::LienForInt(id, curseur)) : nullptr;
}

} // namespace

ZEVRulerClass::ZEVRulerClass(KELI* ruler, KELICurseur* tlCurseur) : tlCurseur_(tlCurseur), rulerElem_(ruler)
{
    rulerModel_ = lienDe<KELIModel>(KELMODEL_RULER, tlCurseur_);
    rulerActifCurseurRelation_ = lienDe<KELIElemRelation>(KELRELATION_RULER_CURSEUR, tlCurseur_);
    rulerNowCurseurRelation_ = lienDe<KELIElemRelation>(KELRELATION_RULER_NOW_CURSEUR, tlCurseur_);
    rulerCurseursRelation_ = lienDe<KELIElemRelation>(KELRELATION_RULER_CURSEURS, tlCurseur_);
    rulerTimelineRelation_ = lienDe<KELIElemRelation>(KELRELATION_RULER_TIMELINE, tlCurseur_);
    // Wake them at the timeline cursor, so that its indexes hold their links.
    if (rulerModel_)
        rulerModel_->elements(tlCurseur_);
    for (KELIElemRelation* r : {rulerActifCurseurRelation_, rulerNowCurseurRelation_, rulerCurseursRelation_,
                                rulerTimelineRelation_})
        if (r)
            r->liens(tlCurseur_);
    if (!rulerCurseursRelation_ || !rulerElem_)
        return;
    curseurs_.reserve(10);
    if (const auto* enfants = rulerCurseursRelation_->enfantsDuParent(rulerElem_, tlCurseur_))
        for (KELI* enfant : *enfants)
            if (auto* e = dynamic_cast<KELIElemCurseur*>(enfant); e && e->lienCurseur())
                curseurs_.push_back(e->lienCurseur());
}

KELI* ZEVRulerClass::premierLien(KELIElemRelation* relation) const
{
    if (!relation || !rulerElem_)
        return nullptr;
    const auto* liens = relation->liensDuParent(rulerElem_, tlCurseur_);
    return liens && !liens->empty() ? liens->front() : nullptr;
}

KELI* ZEVRulerClass::premierEnfant(KELIElemRelation* relation) const
{
    KELI* lien = premierLien(relation);
    return lien ? lien->enfant(tlCurseur_) : nullptr;
}

KELICurseur* ZEVRulerClass::curseurDuPremierEnfant(KELIElemRelation* relation) const
{
    auto* e = dynamic_cast<KELIElemCurseur*>(premierEnfant(relation));
    return e ? e->lienCurseur() : nullptr;
}

KELICurseur* ZEVRulerClass::actifCurseurInitial() { return curseurDuPremierEnfant(rulerActifCurseurRelation_); }

KELI* ZEVRulerClass::lienActifInitial() { return premierLien(rulerActifCurseurRelation_); }

KELICurseur* ZEVRulerClass::nowCurseurInitial() { return curseurDuPremierEnfant(rulerNowCurseurRelation_); }

KELICurseur* ZEVRulerClass::searchCurseurInitial() { return curseurs_.size() >= 2 ? curseurs_[1] : nullptr; }

KELIContexte* ZEVRulerClass::tlContexte()
{
    auto* e = dynamic_cast<KELIElemContexte*>(premierEnfant(rulerTimelineRelation_));
    return e ? e->lienContexte() : nullptr;
}

double ZEVRulerClass::arrondiAuDixieme(double v) { return std::round(v * 10.0) / 10.0; }

void ZEVRulerClass::updateTimeline()
{
    auto* e = dynamic_cast<KELIElemContexte*>(premierEnfant(rulerTimelineRelation_));
    KELIContexte* c = e ? e->lienContexte() : nullptr;
    if (!c)
        return;
    const double in = c->offsetIn();
    const double out = c->offsetOut();
    if (!std::isfinite(in) || !std::isfinite(out)) {
        logFormat("ZEVRulerClass updateTimeline: the range %f to %f is not stored", in, out);
        return;
    }
    e->archiverOffsetIn(arrondiAuDixieme(in));
    e->archiverOffsetOut(arrondiAuDixieme(out));
}

} // namespace tallomer
