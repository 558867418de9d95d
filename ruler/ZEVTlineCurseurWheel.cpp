// The cursor views' wheel, pinch and key steps. A wheel or pinch gesture has no natural end: it
// asks the ruler for a move when it starts and ends that move itself once no event has come for a
// moment. A gesture steps and ends only a move it was granted (and that is still under way); one
// that was granted none (the Now view's cursor and Channel switches) only switches, and its end
// just forgets it.

#include "engine/KELICurseur.h"
#include "platform/Events.h"
#include "platform/sound/Sound.h"
#include "ruler/ZEVRulerViewer.h"
#include "ruler/ZEVTlineCurseurView.h"
#include "ruler/ZEVTlineType.h"
#include "ruler/ZEVTlineView.h"
#include "space/ZEVSpaceController.h"

#include <QNativeGestureEvent>
#include <QWheelEvent>

#include <cmath>

namespace tallomer {

namespace {

constexpr char kScrollWheelStop[] = "_scrollWheelStop";
constexpr double kChannelSeuil = 4.0;
// The in-edge is set 0.1 s before the cursor when a key step would bring it past it.
constexpr double kEcart = 0.1;

void tink() { Sound::shared().play(QStringLiteral("Tink")); }

} // namespace

// ---------------------------------------------------------------------------------------------
// What is read of an event

ZEVGeste ZEVGeste::deRoue(const QWheelEvent& e)
{
    const events::WheelDeltas d = events::wheelDeltas(e);
    ZEVGeste g;
    g.dx = d.x;
    g.dy = d.y;
    g.inv = events::invertedFactor(e);
    g.flags = events::modifierFlags(e.modifiers());
    g.fenetre = e.position();
    return g;
}

ZEVGeste ZEVGeste::dePincement(const QNativeGestureEvent& e)
{
    ZEVGeste g;
    g.magnification = e.value();
    g.flags = events::modifierFlags(e.modifiers());
    g.fenetre = e.position();
    return g;
}

bool ZEVGeste::commande() const { return events::hasFlag(flags, keys::kCommandFlag); }
bool ZEVGeste::option() const { return events::hasFlag(flags, keys::kOptionFlag); }
bool ZEVGeste::majuscule() const { return events::hasFlag(flags, keys::kShiftFlag); }
bool ZEVGeste::vertical() const { return std::fabs(dy) > std::fabs(dx); }
bool ZEVGeste::horizontal() const { return std::fabs(dx) > std::fabs(dy); }

// ---------------------------------------------------------------------------------------------
// The base view: the gesture's life

void ZEVTlineCurseurView::scrollWheelWithEvent(QWheelEvent* event)
{
    if (event)
        scrollWheelWithGeste(ZEVGeste::deRoue(*event));
}

void ZEVTlineCurseurView::magnify(QNativeGestureEvent* event)
{
    if (event && event->gestureType() == Qt::ZoomNativeGesture)
        magnifyWithGeste(ZEVGeste::dePincement(*event));
}

void ZEVTlineCurseurView::scrollWheelWithFromBox(QWheelEvent* event)
{
    if (event)
        scrollWheelFromBoxGeste(ZEVGeste::deRoue(*event));
}

void ZEVTlineCurseurView::scrollWheelWithPeriodBox(QWheelEvent* event)
{
    if (event)
        scrollWheelPeriodBoxGeste(ZEVGeste::deRoue(*event));
}

void ZEVTlineCurseurView::scrollWheelWithUntilBox(QWheelEvent* event)
{
    if (event)
        scrollWheelUntilBoxGeste(ZEVGeste::deRoue(*event));
}

void ZEVTlineCurseurView::scrollWheelEntityWithEvent(QWheelEvent* event)
{
    if (event)
        scrollWheelEntityWithGeste(ZEVGeste::deRoue(*event));
}

bool ZEVTlineCurseurView::siMouvementDuGeste() const
{
    return mouvementDuGeste_ != 0 && viewer_.mouvementEnCours() == mouvementDuGeste_;
}

bool ZEVTlineCurseurView::commencerGeste(int highlight, double delai)
{
    if (siInitieSrollWheel_)
        return siMouvementDuGeste();
    bar().setClickPositionForDisplay(highlight);
    // The steps move the moving cursor: this view's, which is the active one.
    if (viewer_.siAccepteDeplacement())
        viewer_.setCurseurEnDeplacement(curseur_);
    siInitieSrollWheel_ = viewer_.userInitieDeplacementCurseur();
    mouvementDuGeste_ = siInitieSrollWheel_ ? viewer_.mouvementEnCours() : 0;
    if (siInitieSrollWheel_)
        rearmer(delai);
    return siMouvementDuGeste();
}

void ZEVTlineCurseurView::commencerGesteSansMouvement(double delai)
{
    siInitieSrollWheel_ = true;
    mouvementDuGeste_ = 0;
    rearmer(delai);
}

void ZEVTlineCurseurView::rearmer(double delai)
{
    Scheduler::shared().cancel(this, kScrollWheelStop);
    Scheduler::shared().perform(
        this, kScrollWheelStop, delai, [this] { scrollWheelStop(); }, true);
}

void ZEVTlineCurseurView::scrollWheelStop()
{
    if (!siInitieSrollWheel_)
        return;
    Scheduler::shared().cancel(this, kScrollWheelStop);
    const bool mien = siMouvementDuGeste();
    siInitieSrollWheel_ = false;
    mouvementDuGeste_ = 0;
    fermetureRulerFlag_ = false;
    ouvertureRulerFlag_ = false;
    scrollDirection_ = 0;
    if (mien) {
        viewer_.userTermineDeplacementCurseur();
    } else if (viewer_.siAccepteDeplacement()) {
        // What the gesture lit goes out with it; a move of another's keeps its own highlight.
        bar().setClickPositionForDisplay(kNone);
        clickPositionForDisplay_ = kNone;
    }
    clickPosition_ = kNone;
    strip_.update();
}

void ZEVTlineCurseurView::changerDeChannel(double dy)
{
    initialDelta_ += dy;
    ZEVSpaceController& space = viewer_.spaceController();
    // After a switch the count starts from the far side: the next switch needs twice the movement.
    if (dy > 0 && initialDelta_ > kChannelSeuil) {
        space.menuChannelDown();
        initialDelta_ = -kChannelSeuil;
    } else if (dy <= 0 && initialDelta_ < -kChannelSeuil) {
        space.menuChannelUp();
        initialDelta_ = kChannelSeuil;
    }
    rearmer(kArretRoue);
}

double ZEVTlineCurseurView::ratio() const { return viewer_.rulerRatio(); }

double ZEVTlineCurseurView::spanDuRuler() const
{
    const ZEVTlineType* axe = strip_.tlineType();
    return axe ? axe->outDate() - axe->inDate() : 0.0;
}

double ZEVTlineCurseurView::debutDuRuler() const
{
    const ZEVTlineType* axe = strip_.tlineType();
    return axe ? axe->inDate() : 0.0;
}

bool ZEVTlineCurseurView::placerRuler(const ZEVDecalage& d) { return viewer_.userPlaceRulerOffsetIn(d.in, d.out); }

std::optional<ZEVGeste> ZEVTlineCurseurView::gesteDeLaRoue(QWheelEvent* event)
{
    if (!event)
        return std::nullopt;
    if (!siActif() || strip_.siScrollWheelStart()) {
        strip_.scrollWheel(event);
        return std::nullopt;
    }
    if (siInitieDeplacement_)
        return std::nullopt;
    return ZEVGeste::deRoue(*event);
}

// ---------------------------------------------------------------------------------------------
// The Now view

void ZEVTlineCurseurRecall::scrollWheel(QWheelEvent* event)
{
    const std::optional<ZEVGeste> geste = gesteDeLaRoue(event);
    if (!geste)
        return;
    const ZEVGeste& g = *geste;
    if (!siInitieSrollWheel_) {
        // The region of the gesture is the one it starts on.
        clickPosition_ = clickPositionForPoint(pointDansLeStrip(g.fenetre));
        if (clickPosition_ == kNone) {
            strip_.scrollWheel(event);
            return;
        }
        if (std::fabs(g.dx) < std::fabs(g.dy))
            commencerGeste(clickPosition_, kArretRoue);
        if (!siInitieSrollWheel_)
            return;
    }
    if (std::fabs(g.dy) <= std::fabs(g.dx))
        return;
    switch (clickPosition_) {
    case kInEdge:
        scrollWheelContexteIn(g);
        break;
    case kOutEdge:
        scrollWheelContexteOut(g);
        break;
    case kPasseBand:
        scrollWheelContextePasse(g);
        break;
    case kFuturBand:
        scrollWheelContexteFutur(g);
        break;
    case kHandle:
        scrollWheelContexte(g);
        break;
    default:
        break;
    }
}

void ZEVTlineCurseurRecall::scrollWheelWithGeste(const ZEVGeste& g)
{
    if (g.horizontal()) {
        if (scrollDirection_ == 0) {
            if (siInitieSrollWheel_)
                return;
            commencerGesteSansMouvement(kArretRoue);
            scrollDirection_ = 1;
        }
        if (scrollDirection_ == 1)
            bar().menuSearchCurseur(nullptr);
        return;
    }
    if (!g.vertical())
        return;
    if (scrollDirection_ == 0) {
        if (siInitieSrollWheel_)
            return;
        const int highlight = g.commande() ? kWholeContext : g.majuscule() ? kOutEdge : kInEdge;
        if (!g.commande() && !g.majuscule()) {
            bar().setClickPositionForDisplay(highlight);
            commencerGesteSansMouvement(kArretRoue);
        } else if (!commencerGeste(highlight, kArretRoue)) {
            return;
        }
        initialDelta_ = 0;
        scrollDirection_ = 2;
    }
    if (scrollDirection_ != 2)
        return;
    if (g.commande())
        scrollWheelContextePasse(g);
    else if (g.majuscule())
        scrollWheelContexteFutur(g);
    else
        changerDeChannel(g.dy);
}

void ZEVTlineCurseurRecall::magnifyWithGeste(const ZEVGeste& g)
{
    if (!siInitieSrollWheel_)
        commencerGeste(kHandle, kArretPincement);
    magnifyContexte(g);
}

void ZEVTlineCurseurRecall::scrollWheelFromBoxGeste(const ZEVGeste& g)
{
    if (g.vertical() && commencerGeste(kInEdge, kArretRoue))
        scrollWheelContextePasse(g);
}

void ZEVTlineCurseurRecall::scrollWheelPeriodBoxGeste(const ZEVGeste& g)
{
    if (g.vertical() && commencerGeste(kWholeContext, kArretRoue))
        scrollWheelContexte(g);
}

void ZEVTlineCurseurRecall::scrollWheelUntilBoxGeste(const ZEVGeste& g)
{
    if (g.vertical() && commencerGeste(kOutEdge, kArretRoue))
        scrollWheelContexteFutur(g);
}

void ZEVTlineCurseurRecall::scrollWheelContexteIn(const ZEVGeste& g) { pasDeBordNow(g, ZEVBord::In, false); }
void ZEVTlineCurseurRecall::scrollWheelContextePasse(const ZEVGeste& g) { pasDeBordNow(g, ZEVBord::In, true); }
void ZEVTlineCurseurRecall::scrollWheelContexteOut(const ZEVGeste& g) { pasDeBordNow(g, ZEVBord::Out, false); }
void ZEVTlineCurseurRecall::scrollWheelContexteFutur(const ZEVGeste& g) { pasDeBordNow(g, ZEVBord::Out, true); }

// The edge grips slide the range with their edge unless Ctrl is held; the sides rescale it unless
// Ctrl is held. The past side pushed against its limit toggles the timeline, once a gesture and
// only before any step; the first step of the past side or of the out-edge opens it.
void ZEVTlineCurseurRecall::pasDeBordNow(const ZEVGeste& g, ZEVBord bord, bool cote)
{
    if (!siMouvementDuGeste() || !curseur_)
        return;
    const double t = curseur_->now(), cIn = curseur_->nowIn(), cOut = curseur_->nowOut();
    const double S = spanDuRuler();
    const double a = -10 * ratio() * g.dy * g.inv;
    const ZEVPasDeBord p = pasDeBord(bord, a, S, cOut - cIn, bord == ZEVBord::In ? t - cIn : cOut - t);
    const bool passe = cote && bord == ZEVBord::In;
    switch (p.issue) {
    case ZEVPasDeBord::Issue::Zero:
        rearmer(kArretRoue);
        return;
    case ZEVPasDeBord::Issue::ContexteCourt:
        return;
    case ZEVPasDeBord::Issue::Limite:
        if (!passe) {
            rearmer(kArretRoue);
            return;
        }
        rearmer(kArretLimite);
        if (!fermetureRulerFlag_) {
            fermetureRulerFlag_ = true;
            viewer_.fermetureRuler();
        }
        return;
    case ZEVPasDeBord::Issue::Pas:
        break;
    }
    if (p.coupe)
        tink();
    clickPositionForDisplay_ = bord == ZEVBord::In ? kInEdge : kOutEdge;
    const bool reechelonne = cote != g.commande();
    const ZEVDecalage d = reechelonne ? reechelonner(bord, p.e, p.r, cIn - debutDuRuler(), S) : glisser(p.e);
    if (!placerRuler(d)) {
        scrollWheelStop();
        return;
    }
    if (passe)
        fermetureRulerFlag_ = true;
    if ((passe || (!cote && bord == ZEVBord::Out)) && !ouvertureRulerFlag_) {
        ouvertureRulerFlag_ = true;
        viewer_.ouvertureRuler();
    }
    if (bord == ZEVBord::In)
        viewer_.userPlaceContexteIn(p.e);
    else
        viewer_.userPlaceContexteOut(p.e);
    viewer_.displayRuler();
    rearmer(kArretRoue);
}

void ZEVTlineCurseurRecall::scrollWheelContexte(const ZEVGeste& g)
{
    pasDuContexteNow(10 * ratio() * g.dy * g.inv, g, kArretRoue);
}

void ZEVTlineCurseurRecall::magnifyContexte(const ZEVGeste& g)
{
    pasDuContexteNow(-700 * ratio() * g.magnification, g, kArretPincement);
}

void ZEVTlineCurseurRecall::pasDuContexteNow(double z, const ZEVGeste& g, double delai)
{
    ZEVTlineType* axe = strip_.tlineType();
    if (!siMouvementDuGeste() || !curseur_ || !contexte_ || !axe)
        return;
    const double W = strip_.largeur();
    const double rhoC = axe->relativeCoordinateForDate(curseur_->now());
    const ZEVPasDuContexte p =
        pasDuContexte(z, W, rhoC, axe->relativeCoordinateForDate(contexte_->nowIn()),
                      axe->relativeCoordinateForDate(contexte_->nowOut()), contexte_->nowOut() - contexte_->nowIn());
    if (!p.pris)
        return;
    clickPositionForDisplay_ = kWholeContext;
    bool accepte = true;
    if (g.option()) {
        // The range zooms around the pointer; the context stays as it is.
        const double rhoM = pointDansLeStrip(g.fenetre).x() / (W - 1);
        accepte = viewer_.userPlaceRulerOffsetIn(rhoM * z, -(1 - rhoM) * z);
    } else {
        if (!g.commande())
            accepte = viewer_.userPlaceRulerOffsetIn(rhoC * z, -(1 - rhoC) * z);
        viewer_.userPlaceContexteIn(p.in);
        viewer_.userPlaceContexteOut(p.out);
    }
    if (!accepte) {
        scrollWheelStop();
        return;
    }
    viewer_.displayRuler();
    rearmer(delai);
}

// One key step is 8 points of the strip. The Now cursor moves with the range and never before its
// reference cursor's offset.
void ZEVTlineCurseurRecall::bougerCurseurAGauche()
{
    clickPositionForDisplay_ = kHandle;
    if (!curseur_)
        return;
    double pas = -kPasClavier * ratio();
    if (KELICurseur* sup = curseur_->curseurSup(); sup && curseur_->offsetDouble() + pas < sup->offsetDouble())
        pas = sup->offsetDouble() - curseur_->offsetDouble();
    viewer_.placeCurseurEtRulerOffset(pas);
}

void ZEVTlineCurseurRecall::bougerCurseurADroite()
{
    clickPositionForDisplay_ = kHandle;
    viewer_.placeCurseurEtRulerOffset(kPasClavier * ratio());
}

void ZEVTlineCurseurRecall::agrandirContexte()
{
    if (viewer_.modificateursCourants().testFlag(keys::kShift)) {
        clickPositionForDisplay_ = kOutEdge;
        updateContexteOut(kPasClavier * ratio());
    } else {
        clickPositionForDisplay_ = kInEdge;
        updateContexteIn(-kPasClavier * ratio());
    }
}

void ZEVTlineCurseurRecall::diminuerContexte()
{
    if (viewer_.modificateursCourants().testFlag(keys::kShift)) {
        clickPositionForDisplay_ = kOutEdge;
        updateContexteOut(-kPasClavier * ratio());
        return;
    }
    clickPositionForDisplay_ = kInEdge;
    double pas = kPasClavier * ratio();
    if (contexte_ && contexte_->offsetIn() + pas > 0)
        pas = -kEcart - contexte_->offsetIn();
    updateContexteIn(pas);
}

void ZEVTlineCurseurRecall::updateContexteIn(double e) { updateContexte(ZEVBord::In, e); }
void ZEVTlineCurseurRecall::updateContexteOut(double e) { updateContexte(ZEVBord::Out, e); }

void ZEVTlineCurseurRecall::updateContexte(ZEVBord bord, double e)
{
    if (e == 0 || !std::isfinite(e) || !curseur_)
        return;
    if (viewer_.modificateursCourants().testFlag(keys::kOption)) {
        placerRuler(glisser(e));
    } else {
        const double S = spanDuRuler();
        const double k = S / (curseur_->nowOut() - curseur_->nowIn());
        if (std::isfinite(k)) {
            const double r = bord == ZEVBord::In ? -k * e : k * e;
            placerRuler(reechelonner(bord, e, r, curseur_->nowIn() - debutDuRuler(), S));
        }
    }
    // The context follows the key whatever the range answered.
    if (bord == ZEVBord::In)
        viewer_.userPlaceContexteIn(e);
    else
        viewer_.userPlaceContexteOut(e);
}

// ---------------------------------------------------------------------------------------------
// The Search view

void ZEVTlineCurseurSearch::scrollWheel(QWheelEvent* event)
{
    const std::optional<ZEVGeste> geste = gesteDeLaRoue(event);
    if (!geste)
        return;
    const ZEVGeste& g = *geste;
    if (!siInitieSrollWheel_) {
        clickPosition_ = clickPositionForPoint(pointDansLeStrip(g.fenetre));
        if (clickPosition_ != kNone)
            commencerGeste(kInEdge, kArretRoue);
    }
    switch (clickPosition_) {
    case kInEdge:
        scrollWheelContexteIn(g);
        break;
    case kWholeContext:
        scrollWheelContextePasse(g);
        break;
    case kHandle:
        scrollWheelCurseur(g);
        break;
    case kNone:
        strip_.scrollWheel(event);
        break;
    default:
        break;
    }
}

void ZEVTlineCurseurSearch::scrollWheelWithGeste(const ZEVGeste& g)
{
    if (!commencerGeste(kWholeContext, kArretRoue))
        return;
    scrollWheelContextePasseXY(g);
}

void ZEVTlineCurseurSearch::magnifyWithGeste(const ZEVGeste& g)
{
    if (!siInitieSrollWheel_)
        commencerGeste(kInEdge, kArretPincement);
    magnifyContexte(g);
}

void ZEVTlineCurseurSearch::scrollWheelFromBoxGeste(const ZEVGeste& g)
{
    if (g.vertical() && commencerGeste(kInEdge, kArretRoue))
        scrollWheelContextePasse(g);
}

void ZEVTlineCurseurSearch::scrollWheelPeriodBoxGeste(const ZEVGeste& g)
{
    if (!g.horizontal() || !commencerGeste(kWholeContext, kArretRoue))
        return;
    clickPositionForDisplay_ = kWholeContext;
    glisserLeCurseur(g);
}

void ZEVTlineCurseurSearch::glisserLeCurseur(const ZEVGeste& g)
{
    const double m = 0.5 * ratio() * g.dx * g.inv;
    if (g.commande())
        viewer_.placeCurseurEtRulerOffset(m);
    else
        viewer_.userPlaceCurseur(m);
    viewer_.displayRuler();
    rearmer(kArretRoue);
}

void ZEVTlineCurseurSearch::scrollWheelEntityWithGeste(const ZEVGeste& g)
{
    if (!siInitieSrollWheel_) {
        clickPosition_ = kHandle;
        commencerGeste(kInEdge, kArretRoue);
    }
    scrollWheelCurseur(g);
}

void ZEVTlineCurseurSearch::scrollWheelStop()
{
    const bool enCours = siInitieSrollWheel_;
    ZEVTlineCurseurView::scrollWheelStop();
    if (!enCours || !siSurPlace_)
        return;
    // Held on the Now cursor: the Now desk comes back once the wheel rests.
    siSurPlace_ = false;
    if (viewer_.siAccepteDeplacement())
        viewer_.userChangeActifCurseur(nowCurseur_);
}

void ZEVTlineCurseurSearch::entrerVerrou(int verrou, int highlight)
{
    scrollDirection_ = verrou;
    clickPositionForDisplay_ = highlight;
    bar().setClickPositionForDisplay(highlight);
    bar().majMenubarForCurseur(curseur_);
}

void ZEVTlineCurseurSearch::scrollWheelContexteIn(const ZEVGeste& g)
{
    pasDuBordIn(-10 * ratio() * g.dy * g.inv, g.commande(), kArretRoue);
}

void ZEVTlineCurseurSearch::pasDuBordIn(double a, bool reechelonne, double delai)
{
    if (!siMouvementDuGeste() || !curseur_)
        return;
    const double t = curseur_->now(), cIn = curseur_->nowIn();
    const double S = spanDuRuler();
    const ZEVPasDeBord p = pasDeBord(ZEVBord::In, a, S, t - cIn, t - cIn);
    switch (p.issue) {
    case ZEVPasDeBord::Issue::Zero:
    case ZEVPasDeBord::Issue::Limite:
        rearmer(delai);
        return;
    case ZEVPasDeBord::Issue::ContexteCourt:
        scrollWheelStop();
        return;
    case ZEVPasDeBord::Issue::Pas:
        break;
    }
    if (p.coupe)
        tink();
    clickPositionForDisplay_ = kInEdge;
    if (!placerRuler(reechelonne ? reechelonner(ZEVBord::In, p.e, p.r, cIn - debutDuRuler(), S) : glisser(p.e))) {
        scrollWheelStop();
        return;
    }
    viewer_.userPlaceContexteIn(p.e);
    viewer_.displayRuler();
    rearmer(delai);
}

void ZEVTlineCurseurSearch::magnifyContexte(const ZEVGeste& g)
{
    // The pinch rescales unless Ctrl is held: the wheel's way the other way round.
    pasDuBordIn(500 * ratio() * g.magnification, !g.commande(), kArretPincement);
}

void ZEVTlineCurseurSearch::scrollWheelContextePasse(const ZEVGeste& g)
{
    if (!siMouvementDuGeste() || !curseur_)
        return;
    if (g.horizontal()) {
        if (scrollDirection_ == 0)
            entrerVerrou(1, kWholeContext);
        if (scrollDirection_ != 1)
            return;
        glisserLeCurseur(g);
        return;
    }
    if (!g.vertical())
        return;
    if (scrollDirection_ == 0)
        entrerVerrou(2, kInEdge);
    if (scrollDirection_ != 2)
        return;
    const double t = curseur_->now(), cIn = curseur_->nowIn();
    const double S = spanDuRuler();
    const ZEVPasDeBord p = pasDeBord(ZEVBord::In, -10 * ratio() * g.dy * g.inv, S, t - cIn, t - cIn);
    if (p.issue != ZEVPasDeBord::Issue::Pas) {
        rearmer(kArretRoue);
        return;
    }
    if (p.coupe)
        tink();
    // Only with Ctrl does the range follow, and what it answers changes nothing here.
    if (g.commande())
        placerRuler(reechelonner(ZEVBord::In, p.e, p.r, cIn - debutDuRuler(), S));
    viewer_.userPlaceContexteIn(p.e);
    viewer_.displayRuler();
    rearmer(kArretRoue);
}

void ZEVTlineCurseurSearch::scrollWheelCurseur(const ZEVGeste& g)
{
    if (!siMouvementDuGeste() || !curseur_)
        return;
    if (scrollDirection_ == 0)
        entrerVerrou(1, kWholeContext);
    pasDuCurseurEtDuContexte(-5 * ratio() * g.dy * g.inv, g, !g.commande());
}

void ZEVTlineCurseurSearch::pasDuCurseurEtDuContexte(double a, const ZEVGeste& g, bool avecLeRuler)
{
    const double t = curseur_->now(), cIn = curseur_->nowIn();
    const double S = spanDuRuler();
    const double C = t - cIn;
    const double e = C > 0 && S > 0 ? -a * C / S : 0.0;
    // Neither cut nor sound: the link base keeps the edge 0.1 s from the cursor.
    if (avecLeRuler)
        placerRuler(reechelonner(ZEVBord::In, e, a, cIn - debutDuRuler(), S));
    viewer_.userPlaceContexteIn(e);
    viewer_.placeCurseurEtRulerOffset(0.5 * ratio() * g.dx * g.inv);
    viewer_.displayRuler();
    rearmer(kArretRoue);
}

void ZEVTlineCurseurSearch::scrollWheelContextePasseXY(const ZEVGeste& g)
{
    if (!siMouvementDuGeste() || !curseur_)
        return;
    if (g.commande()) {
        if (scrollDirection_ != 3) {
            ZEVFrontViewerServices* f = front();
            // Closed, the timeline is opened by its toggle.
            if (f && !f->siTlineOpened())
                viewer_.fermetureRuler();
            entrerVerrou(3, kWholeContext);
        }
        pasDuCurseurEtDuContexte(-10 * ratio() * g.dy * g.inv, g, true);
        return;
    }
    if (g.horizontal()) {
        if (scrollDirection_ == 0 || scrollDirection_ == 3) {
            entrerVerrou(1, kWholeContext);
            initialDelta_ = nowCurseur_ ? nowCurseur_->now() - curseur_->now() : 0.0;
            siSurPlaceBeep_ = true;
        }
        if (scrollDirection_ == 1)
            pasHorizontal(g);
        return;
    }
    if (g.vertical()) {
        if (scrollDirection_ == 0 || scrollDirection_ == 3) {
            initialDelta_ = 0;
            entrerVerrou(2, kNone);
        }
        if (scrollDirection_ == 2)
            changerDeChannel(g.dy);
    }
}

void ZEVTlineCurseurSearch::pasHorizontal(const ZEVGeste& g)
{
    const double m = 0.5 * ratio() * g.dx * g.inv;
    siSurPlace_ = false;
    const double g0 = initialDelta_;
    ZEVPasVersNow p{m, false};
    if (g0 == 0) {
        initialDelta_ = -m;
    } else if (nowCurseur_) {
        p = pasVersNow(m, g0, nowCurseur_->now() - curseur_->now());
    }
    if (p.surPlace) {
        siSurPlace_ = true;
        if (siSurPlaceBeep_)
            tink();
        siSurPlaceBeep_ = false;
    } else {
        siSurPlaceBeep_ = true;
    }
    viewer_.userPlaceCurseur(p.pas);
    viewer_.displayRuler();
    rearmer(kArretRoue);
}

// The Search cursor moves alone, 8 points of the strip a step, along a range that stays.
void ZEVTlineCurseurSearch::bougerCurseurAGauche()
{
    clickPositionForDisplay_ = kHandle;
    if (curseur_)
        curseur_->decalerCurseur(-kPasClavier * ratio());
}

void ZEVTlineCurseurSearch::bougerCurseurADroite()
{
    clickPositionForDisplay_ = kHandle;
    if (curseur_)
        curseur_->decalerCurseur(kPasClavier * ratio());
}

void ZEVTlineCurseurSearch::agrandirContexte()
{
    clickPositionForDisplay_ = kInEdge;
    if (curseur_)
        curseur_->decalerContexteIn(-kPasClavier * ratio());
}

void ZEVTlineCurseurSearch::diminuerContexte()
{
    clickPositionForDisplay_ = kInEdge;
    if (curseur_)
        curseur_->decalerContexteIn(kPasClavier * ratio());
}

} // namespace tallomer
