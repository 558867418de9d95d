// A column as the controller of its date strip: the moves the strip and its cursor view ask for,
// on the column's cursor and its window. On a cursor the Space window shows, the column begins and
// ends each move through the Space's ruler, so that one move runs at a time across both windows
// and the Space's desks and strip follow; on the global cursor, whose time is everyone's real
// time, it refuses every move with a beep.

#include "browser/GUIRulerCurseurView.h"
#include "browser/KELVueDe.h"
#include "browser/KELVueDeEspace.h"
#include "engine/KELICurseur.h"
#include "platform/sound/Sound.h"
#include "runtime/Log.h"
#include "space/ZEVSpaceParts.h"

#include <cmath>

namespace tallomer {

namespace {
constexpr const char* kBougerRuler = "_bougerRuler";
constexpr const char* kAgrandir = "_agrandir";
constexpr const char* kDiminuer = "_diminuer";
constexpr const char* kGauche = "_bougerCurseurAGauche";
constexpr const char* kDroite = "_bougerCurseurADroite";
constexpr const char* kMouvements[] = {kBougerRuler, kAgrandir, kDiminuer, kGauche, kDroite};
} // namespace

// ---- the cursor view ----

GUIRulerCurseurView* KELVueDe::curseurView()
{
    if (!curseurView_ && rulerViewLine_ && curseur_) {
        KELVueDeEspace* espace = KELVueDeEspace::partage();
        if (espace && curseur_ == espace->searchCurseur())
            curseurView_ = std::make_unique<GUIRulerCurseurSearch>(curseur_, rulerViewLine_, this);
        else
            curseurView_ = std::make_unique<GUIRulerCurseurRecall>(curseur_, rulerViewLine_, this);
    }
    return curseurView_.get();
}

std::vector<GUIRulerCurseurView*> KELVueDe::curseurViews()
{
    if (GUIRulerCurseurView* v = curseurView())
        return {v};
    return {};
}

KELICurseur* KELVueDe::tlCurseur() { return curseur_ ? curseur_->curseurSup() : nullptr; }

void KELVueDe::draggWithEvent(QMouseEvent* event)
{
    if (GUIRulerCurseurView* v = curseurView())
        v->draggCurseurWithEvent(event);
}

void KELVueDe::displayRuler()
{
    if (ZEVRulerViewerServices* r = rulerDeLEspace())
        r->displayRuler();
}

// ---- the move ----

bool KELVueDe::siSurLeCurseurGlobal() const { return dynamic_cast<KELICurseurGlobal*>(curseur_) != nullptr; }

ZEVRulerViewerServices* KELVueDe::rulerDeLEspace() const
{
    KELVueDeEspace* espace = KELVueDeEspace::partage();
    if (!espace || !curseur_)
        return nullptr;
    if (curseur_ != espace->nowCurseur() && curseur_ != espace->searchCurseur() && curseur_ != espace->tlCurseur())
        return nullptr;
    return espace->rulerViewer();
}

bool KELVueDe::siEnDeplacement() const
{
    if (!enDeplacement_)
        return false;
    if (mouvementEspace_ == 0)
        return true;
    KELVueDeEspace* espace = KELVueDeEspace::partage();
    return espace && espace->mouvementEnCours() == mouvementEspace_;
}

bool KELVueDe::siDeplacable()
{
    if (!curseur_)
        return false;
    if (siSurLeCurseurGlobal()) {
        Sound::shared().beep();
        return false;
    }
    return !siEnDeplacement();
}

bool KELVueDe::siAccepteDeplacement()
{
    if (!siDeplacable())
        return false;
    if (ZEVRulerViewerServices* r = rulerDeLEspace())
        return r->siAccepteDeplacement();
    return true;
}

bool KELVueDe::userInitieDeplacementCurseur()
{
    if (!siDeplacable())
        return false;
    // A move of ours that the Space ended meanwhile (an animation's cancel) is over.
    enDeplacement_ = false;
    mouvementEspace_ = 0;
    annulerLesMouvements();
    if (ZEVRulerViewerServices* r = rulerDeLEspace()) {
        // Asked first: the moving cursor of a move under way must not change under it.
        if (!r->siAccepteDeplacement())
            return false;
        r->setCurseurEnDeplacement(curseur_);
        if (!r->userInitieDeplacementCurseur()) {
            if (KELVueDeEspace* espace = KELVueDeEspace::partage())
                r->setCurseurEnDeplacement(espace->actifCurseur());
            return false;
        }
        // The ruler tells the cursor; the number says whose move it is.
        mouvementEspace_ = KELVueDeEspace::partage()->mouvementEnCours();
        if (mouvementEspace_ == 0)
            mouvementEspace_ = ~std::uint64_t{0};
    } else {
        curseur_->initierDeplacementCurseur();
    }
    enDeplacement_ = true;
    siPremierDeplacement_ = true;
    intervalleDeRecharge() = 0.05;
    Scheduler::shared().cancel(this, "_recharger");
    Scheduler::shared().perform(this, "_recharger", 0.05, [this] { rechargerPeriodiquement(); });
    return true;
}

void KELVueDe::userTermineDeplacementCurseur() { terminerLeMouvement(true); }

void KELVueDe::terminerLeMouvement(bool recharger)
{
    if (!enDeplacement_)
        return;
    const bool mien = siEnDeplacement();
    enDeplacement_ = false;
    annulerLesMouvements();
    if (mouvementEspace_ != 0) {
        mouvementEspace_ = 0;
        KELVueDeEspace* espace = KELVueDeEspace::partage();
        ZEVRulerViewerServices* r = rulerDeLEspace();
        // A move the Space ended already is not ended again, nor one it began since.
        if (mien && r && espace) {
            r->userTermineDeplacementCurseur();
            r->setCurseurEnDeplacement(espace->actifCurseur());
        }
    } else if (curseur_) {
        curseur_->terminerDeplacementCurseur();
    }
    if (curseurView_)
        curseurView_->terminerDeplacementCurseur();
    if (recharger)
        majProchaineRecharge();
}

bool KELVueDe::siPlacable(const char* operation) const
{
    if (curseur_ && siEnDeplacement())
        return true;
    logFormat("KELVueDe %s: no move of the column under way, nothing moved", operation);
    return false;
}

// ---- placing ----

void KELVueDe::placer(const char* operation, void (KELICurseur::*decaler)(double), double d)
{
    if (siPlacable(operation))
        (curseur_->*decaler)(d);
}

void KELVueDe::userPlaceCurseur(double d) { placer("userPlaceCurseur", &KELICurseur::decalerCurseur, d); }

// The window follows its cursor, and the strip shows the window.
void KELVueDe::placeCurseurEtRulerOffset(double d)
{
    placer("placeCurseurEtRulerOffset", &KELICurseur::decalerCurseur, d);
}

void KELVueDe::userPlaceContexteIn(double d) { placer("userPlaceContexteIn", &KELICurseur::decalerContexteIn, d); }

void KELVueDe::userPlaceContexteOut(double d) { placer("userPlaceContexteOut", &KELICurseur::decalerContexteOut, d); }

void KELVueDe::userPlaceContexte(double d) { placer("userPlaceContexte", &KELICurseur::decalerContexte, d); }

bool KELVueDe::userPlaceRulerOffsetIn(double in, double out)
{
    if (!siPlacable("userPlaceRulerOffsetIn") || !curseur_->contexte() || !std::isfinite(in) || !std::isfinite(out))
        return false;
    curseur_->decalerContexteIn(in);
    curseur_->decalerContexteOut(out);
    return true;
}

void KELVueDe::userAnimeCurseurToDate(KELDate date)
{
    if (!std::isfinite(date) || !curseur_ || !userInitieDeplacementCurseur())
        return;
    curseur_->decalerCurseur(date - curseur_->now());
    userTermineDeplacementCurseur();
}

void KELVueDe::userZoom(ZEVZoomFamille famille, ZEVZoomUnite unite, KELICurseur* curseur)
{
    if (!curseur || curseur != curseur_ || !userInitieDeplacementCurseur())
        return;
    const KELDate t = curseur_->now();
    switch (famille) {
    case ZEVZoomFamille::This:
        if (const std::optional<ZEVPeriode> p = periodeContenant(unite, t)) {
            curseur_->decalerContexteIn(p->debut - curseur_->nowIn());
            curseur_->decalerContexteOut(p->fin - curseur_->nowOut());
        }
        break;
    case ZEVZoomFamille::Prev:
        if (const std::optional<KELDate> d = dateDecalee(unite, curseur_->nowIn(), -1))
            curseur_->decalerContexteIn(*d - curseur_->nowIn());
        break;
    case ZEVZoomFamille::Next:
        if (const std::optional<KELDate> d = dateDecalee(unite, curseur_->nowOut(), 1))
            curseur_->decalerContexteOut(*d - curseur_->nowOut());
        break;
    }
    userTermineDeplacementCurseur();
}

// ---- continuous moves ----

void KELVueDe::annulerLesMouvements()
{
    for (const char* nom : kMouvements)
        Scheduler::shared().cancel(this, nom);
}

void KELVueDe::userDesactiveBouger()
{
    annulerLesMouvements();
    siPremierDeplacement_ = true;
}

void KELVueDe::pasContinu(const char* nom, void (KELVueDe::*pas)())
{
    if (!siEnDeplacement())
        return;
    (this->*pas)();
    Scheduler::shared().perform(this, nom, kPasContinu, [this, nom, pas] { pasContinu(nom, pas); }, true);
}

void KELVueDe::demarrer(const char* nom, void (KELVueDe::*pas)())
{
    if (!siPremierDeplacement_ || !siEnDeplacement())
        return;
    siPremierDeplacement_ = false;
    pasContinu(nom, pas);
}

void KELVueDe::userBougeRulerOffsetIn(double in, double out)
{
    deplacementIn_ = deplacementCurseur_ = in;
    deplacementOut_ = out;
    demarrer(kBougerRuler, &KELVueDe::bougerRuler);
}

void KELVueDe::userAgranditContexte() { demarrer(kAgrandir, &KELVueDe::agrandir); }

void KELVueDe::userDiminueContexte() { demarrer(kDiminuer, &KELVueDe::diminuer); }

void KELVueDe::userBougeCurseurAGauche()
{
    deplacementCurseur_ = 8 * rulerRatio();
    demarrer(kGauche, &KELVueDe::bougerCurseurAGauche);
}

void KELVueDe::userBougeCurseurADroite()
{
    deplacementCurseur_ = 8 * rulerRatio();
    demarrer(kDroite, &KELVueDe::bougerCurseurADroite);
}

void KELVueDe::bougerRuler()
{
    const double r = rulerRatio();
    curseur_->decalerContexteIn(deplacementIn_ * r / 3);
    curseur_->decalerContexteOut(deplacementOut_ * r / 3);
}

// Up widens the window and Down narrows it, as the keys say.
void KELVueDe::agrandir()
{
    const double r = rulerRatio();
    curseur_->decalerContexteIn(-10 * r);
    curseur_->decalerContexteOut(10 * r);
}

void KELVueDe::diminuer()
{
    const double r = rulerRatio();
    curseur_->decalerContexteIn(10 * r);
    curseur_->decalerContexteOut(-10 * r);
}

void KELVueDe::bougerCurseurAGauche() { curseur_->decalerCurseur(-deplacementCurseur_); }

void KELVueDe::bougerCurseurADroite() { curseur_->decalerCurseur(deplacementCurseur_); }

} // namespace tallomer
