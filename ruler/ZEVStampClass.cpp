#include "ruler/ZEVStampClass.h"

#include "engine/KELElements.h"
#include "engine/KELICurseur.h"
#include "engine/KELModels.h"
#include "engine/KELServeurDeLiens.h"
#include "ruler/ZEVRulerViewer.h"
#include "space/ZEVConstants.h"
#include "space/ZEVSpaceController.h"

#include <algorithm>
#include <cmath>

namespace tallomer {

namespace {

// A preset is what is shown when its offsets are all within this much of the current ones.
constexpr double kMemeVue = 1.0;
// A stored number changes only by more than this.
constexpr double kEcartMin = 0.001;

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
    nombreModel_ = tl ? KELServeurDeLiens::LienForInt(KELMODEL_NOMBRE, tl) : nullptr;
    motModel_ = tl ? KELServeurDeLiens::LienForInt(KELMODEL_MOT, tl) : nullptr;
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

bool ZEVStampClass::preparer(KELICurseur* curseur)
{
    if (!curseur || !viewer_.siAccepteDeplacement())
        return false;
    viewer_.setCurseurEnDeplacement(curseur);
    return true;
}

bool ZEVStampClass::callPresetWithStampInt(KELId stamp, float duration)
{
    KELICurseur* tl = space_.tlCurseur();
    KELIContexte* t = space_.tlContexte();
    if (tl)
        tl->placeToi();
    const Kind k = kind(stamp);
    if (k == Kind::None)
        return true;
    if (ZEVRulerViewbarServices* bar = viewer_.rulerViewbar()) {
        bar->menuPresetDidRename();
        bar->highlightButtonWithTag(stamp);
    }
    if (!t || k == Kind::Other)
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
        if (stamp == kHomeTime)
            if (ZEVFrontViewerServices* front = space_.frontViewer())
                front->userGoHome();
        if (preparer(n))
            viewer_.userAnimeNow(duration, dCin, dCout, dRin, dRout);
        // Each change counts on its own: a wider past and a narrower future do not cancel out.
        return std::fabs(dCin) + std::fabs(dCout) + std::fabs(dRin) + std::fabs(dRout) >= kEcartMin;
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
        if (preparer(s))
            viewer_.userAnimeSearch(duration, m, dCin, dRin, dRout);
        return true;
    }
    const double d = derive();
    const double dRin = nombre(stamp, rulerIn_) - t->offsetIn() - d;
    const double dRout = nombre(stamp, rulerOut_) - t->offsetOut() - d;
    if (preparer(space_.actifCurseur()))
        viewer_.userAnimeRuler(duration, dRin, dRout);
    return true;
}

QString ZEVStampClass::imageNameWithStampInt(KELId stamp)
{
    switch (kind(stamp)) {
    case Kind::Now:
        return QStringLiteral("now.tiff");
    case Kind::Search:
        return QStringLiteral("search.tiff");
    case Kind::Ruler:
        return QStringLiteral("ruler.pdf");
    default:
        return QStringLiteral("preset_empty.tiff");
    }
}

// ---------------------------------------------------------------------------------------------
// Writing

KELI* ZEVStampClass::premierLien(KELId stamp, KELIElemRelation* relation)
{
    KELICurseur* tl = space_.tlCurseur();
    KELI* s = tl ? KELServeurDeLiens::LienForInt(stamp, tl) : nullptr;
    const std::vector<KELI*>* liens = s && relation ? relation->liensDuParent(s, tl) : nullptr;
    return liens && !liens->empty() ? liens->front() : nullptr;
}

void ZEVStampClass::fermer(KELI* lien, KELDate t)
{
    if (lien)
        lien->placeOutDate(std::max(t, lien->inDate()), space_.tlCurseur());
}

void ZEVStampClass::ecrireNombre(KELI* stampLien, KELIElemRelation* relation, double valeur, KELDate t)
{
    auto* nombres = dynamic_cast<KELIModelNombre*>(nombreModel_);
    KELICurseur* tl = space_.tlCurseur();
    if (!nombres || !relation || !stampLien || !std::isfinite(valeur))
        return;
    const std::vector<KELI*>* liens = relation->liensDuParent(stampLien, tl);
    KELI* ancien = liens && !liens->empty() ? liens->front() : nullptr;
    if (ancien) {
        KELI* n = ancien->enfant(tl);
        const KELValue v = n ? n->base() : KELValue{};
        const double* d = std::get_if<double>(&v);
        if (d && std::fabs(*d - valeur) <= kEcartMin)
            return;
    }
    KELI* n = nombres->ajouterLeNombre(valeur, tl);
    if (!n)
        return;
    if (!ancien) {
        KELServeurDeLiens::CreerLienRelInt(relation->idInt(), stampLien, n, KELDateToujours, KELDateOuverte, tl);
        return;
    }
    fermer(ancien, t);
    KELServeurDeLiens::CreerLienRelInt(relation->idInt(), stampLien, n, t, KELDateOuverte, tl);
}

void ZEVStampClass::ecrireGenre(KELI* stampLien, KELI* elem, KELDate t)
{
    KELICurseur* tl = space_.tlCurseur();
    if (!curseur_ || !stampLien || !elem)
        return;
    const std::vector<KELI*>* liens = curseur_->liensDuParent(stampLien, tl);
    KELI* ancien = liens && !liens->empty() ? liens->front() : nullptr;
    KELI* enfant = ancien ? ancien->enfant(tl) : nullptr;
    if (enfant && enfant->idInt() == elem->idInt())
        return;
    fermer(ancien, t);
    KELServeurDeLiens::CreerLienRelInt(curseur_->idInt(), stampLien, elem, t, KELDateOuverte, tl);
}

void ZEVStampClass::replacerLesContextes()
{
    KELICurseur* n = space_.nowCurseur();
    if (KELIContexte* nc = n ? n->contexte() : nullptr)
        nc->placeToi();
    if (KELIContexte* t = space_.tlContexte())
        t->placeToi();
}

std::optional<ZEVStampServices::Saved> ZEVStampClass::savePresetWithStampInt(KELId stamp, bool siSearch)
{
    ZEVRulerViewbarServices* bar = viewer_.rulerViewbar();
    KELICurseur* tl = space_.tlCurseur();
    KELIContexte* t = space_.tlContexte();
    KELICurseur* n = space_.nowCurseur();
    KELICurseur* sr = space_.searchCurseur();
    KELIContexte* nc = n ? n->contexte() : nullptr;
    KELI* s = tl ? KELServeurDeLiens::LienForInt(stamp, tl) : nullptr;
    if (!bar || !tl || !t || !nc || !sr || !sr->contexte() || !s)
        return std::nullopt;
    std::optional<Saved> saved;
    // All of a save or none: the kind, five values and their five numbers.
    KELServeurDeLiens::Acte acte(11, 0, 5);
    if (!acte.complet())
        return std::nullopt;
    if (!siSearch && bar->stateOfNowButton()) {
        const double cIn = nc->offsetIn(), cOut = nc->offsetOut(), rIn = t->offsetIn(), rOut = t->offsetOut();
        const KELDate date = tl->placeToi();
        ecrireGenre(s, n->elemCurseur(), date);
        ecrireNombre(s, curseurIn_, cIn, date);
        ecrireNombre(s, curseurOut_, cOut, date);
        ecrireNombre(s, rulerIn_, rIn, date);
        ecrireNombre(s, rulerOut_, rOut, date);
        saved = Saved{stamp == kHomeTime ? QStringLiteral("home.tiff") : QStringLiteral("now.tiff"), 1};
    } else if (!siSearch && !bar->stateOfSearchButton()) {
        if (!bar->stateOfRulerButton())
            return std::nullopt;
        const double d = derive();
        const double rIn = t->offsetIn() + d, rOut = t->offsetOut() + d;
        const KELDate date = tl->placeToi();
        ecrireGenre(s, tl->elemCurseur(), date);
        ecrireNombre(s, rulerIn_, rIn, date);
        ecrireNombre(s, rulerOut_, rOut, date);
        saved = Saved{QStringLiteral("ruler.pdf"), 1};
    } else {
        const KELDate date = tl->placeToi();
        KELICurseur* k = siSearch ? n : sr;
        const double m = k->now();
        const double cIn = k->contexte()->offsetIn();
        const double rIn = t->offsetIn() - (m - date), rOut = t->offsetOut() - (m - date);
        ecrireGenre(s, sr->elemCurseur(), date);
        ecrireNombre(s, curseurNow_, m, date);
        ecrireNombre(s, curseurIn_, cIn, date);
        ecrireNombre(s, rulerIn_, rIn, date);
        ecrireNombre(s, rulerOut_, rOut, date);
        saved = Saved{QStringLiteral("search.tiff"), siSearch ? 0 : -1};
    }
    replacerLesContextes();
    return saved;
}

void ZEVStampClass::clearPresetWithStampInt(KELId stamp)
{
    KELICurseur* tl = space_.tlCurseur();
    KELI* genre = premierLien(stamp, curseur_);
    KELI* s = tl ? KELServeurDeLiens::LienForInt(stamp, tl) : nullptr;
    if (!genre || !s)
        return;
    const std::string nom = nameWithStampInt(stamp);
    const KELDate t = tl->placeToi();
    KELServeurDeLiens::Acte acte(2, 1);
    if (stamp > kHomeTime && stamp <= kLastPreset) {
        const std::string parDefaut = "preset " + std::to_string(stamp - kHomeTime + 1);
        auto* mots = dynamic_cast<KELIModelMot*>(motModel_);
        if (nom != parDefaut && mots && name_) {
            if (KELI* mot = mots->ajouterLeMot(parDefaut, tl)) {
                fermer(premierLien(stamp, name_), t);
                KELServeurDeLiens::CreerLienRelInt(name_->idInt(), s, mot, t, KELDateOuverte, tl);
            }
        }
    }
    fermer(genre, t);
    replacerLesContextes();
}

void ZEVStampClass::setPresetName(const std::string& name, KELId stamp)
{
    KELICurseur* tl = space_.tlCurseur();
    auto* mots = dynamic_cast<KELIModelMot*>(motModel_);
    KELI* s = tl ? KELServeurDeLiens::LienForInt(stamp, tl) : nullptr;
    if (!s || !mots || !name_)
        return;
    const KELDate t = tl->placeToi();
    KELServeurDeLiens::Acte acte(2, 1);
    KELI* mot = mots->ajouterLeMot(name, tl);
    if (!mot)
        return;
    fermer(premierLien(stamp, name_), t);
    KELServeurDeLiens::CreerLienRelInt(name_->idInt(), s, mot, t, KELDateOuverte, tl);
    replacerLesContextes();
}

} // namespace tallomer
