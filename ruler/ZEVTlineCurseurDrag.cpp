// The cursor views' presses and drags: the Now view moves its context edges, its context, or the
// visible range under its handle; the Search view places its cursor under the pointer, runs it
// and the range near the strip's ends, slides the range with Ctrl, and moves finely with Shift.

#include "engine/KELICurseur.h"
#include "platform/Events.h"
#include "ruler/ZEVRulerViewer.h"
#include "ruler/ZEVTlineCurseurView.h"
#include "ruler/ZEVTlineType.h"
#include "ruler/ZEVTlineView.h"
#include "space/ZEVSpaceController.h"

#include <QMouseEvent>

#include <algorithm>
#include <cmath>

namespace tallomer {

namespace {

std::uint32_t drapeaux(const QMouseEvent* e) { return events::modifierFlags(e->modifiers()); }
bool commande(const QMouseEvent* e) { return events::hasFlag(drapeaux(e), keys::kCommandFlag); }
bool option(const QMouseEvent* e) { return events::hasFlag(drapeaux(e), keys::kOptionFlag); }
bool majuscule(const QMouseEvent* e) { return events::hasFlag(drapeaux(e), keys::kShiftFlag); }

// The outer twentieths of the strip run a cursor drag, the outer tenths an entity drag.
constexpr double kZoneCurseur = 0.05;
constexpr double kZoneEntite = 0.1;

} // namespace

// ---------------------------------------------------------------------------------------------
// The Now view

void ZEVTlineCurseurRecall::mouseDown(QMouseEvent* event)
{
    clickPosition_ = clickPositionForEvent(event);
    siBouger_ = false;
    // A release passed on to another view left this flag as its drag set it.
    siCurseurDragged_ = false;
    if (ZEVFrontViewerServices* f = front())
        f->displaySelectionView();
    // The wheel's gesture keeps the view until it rests.
    if (siInitieSrollWheel_) {
        clickPosition_ = kNone;
        return;
    }
    if (clickPosition_ == kNone || commande(event)) {
        strip_.mouseDown(event);
        return;
    }
    if (!viewer_.siAccepteDeplacement())
        return;
    previousCurseur_ = viewer_.actifCurseur();
    viewer_.userChangeActifCurseur(curseur_);
    strip_.setFocus(Qt::MouseFocusReason);
    if (clickPosition_ == kPasseBand || clickPosition_ == kFuturBand)
        bar().setClickPositionForDisplay(kWholeContext);
    else if (clickPosition_ == kInEdge || clickPosition_ == kOutEdge)
        bar().setClickPositionForDisplay(clickPosition_);
    clickPositionForDisplay_ = clickPosition_;
    siInitieDeplacement_ = initierDeplacementPropre(viewer_);
    if (clickPosition_ == kHandle)
        clickPositionForDisplay_ = kNone;
    viewer_.displayRuler();
    devenirProprietaire();
}

void ZEVTlineCurseurRecall::mouseDragged(QMouseEvent* event)
{
    if (!siCurseurDragged_) {
        siCurseurDragged_ = true;
        if (siInitieDeplacement_ && clickPosition_ == kHandle) {
            clickPositionForDisplay_ = kNone;
            strip_.setClickPositionForDisplay(kWholeContext);
        }
    }
    if (passerAuProprietaire(event, false) || !siInitieDeplacement_ || !siDeplacementPropre(viewer_))
        return;
    const double dt = deltaT(event);
    switch (clickPosition_) {
    case kInEdge:
        viewer_.userPlaceContexteIn(dt);
        break;
    case kOutEdge:
        viewer_.userPlaceContexteOut(dt);
        break;
    case kPasseBand:
    case kFuturBand:
        draggCurseurWithEvent(event);
        return;
    case kHandle:
        // The range slides under the Now needle, which follows the clock.
        viewer_.userPlaceRulerOffsetIn(-dt, -dt);
        break;
    default:
        return;
    }
    viewer_.displayRuler();
    locationInWindow_ = event->scenePosition();
}

void ZEVTlineCurseurRecall::mouseUp(QMouseEvent* event)
{
    if (passerAuProprietaire(event, true))
        return;
    const bool dragged = siCurseurDragged_;
    siCurseurDragged_ = false;
    if (!siInitieDeplacement_)
        return;
    siInitieDeplacement_ = false;
    if (clickPosition_ == kHandle) {
        if (dragged)
            Scheduler::shared().perform(this, "menuPresetSaveHome", kSaveHomeDelay,
                                        [this] { viewer_.menuPresetSaveHome(); });
        strip_.setClickPositionForDisplay(kNone);
    }
    terminerDeplacementPropre(viewer_);
    if (!dragged && previousCurseur_ == curseur_)
        if (ZEVFrontViewerServices* f = front())
            f->menuHomeTime();
}

void ZEVTlineCurseurRecall::draggCurseurWithEvent(QMouseEvent* event)
{
    if (!siMouseDragged_) {
        clickPositionForDisplay_ = kWholeContext;
        siMouseDragged_ = true;
        locationInWindow_ = event->scenePosition();
    }
    arreterBouger();
    const double dt = deltaT(event);
    if (commande(event))
        // The band stays where it is on the strip while the time under it scrolls.
        viewer_.userPlaceContexteEtRulerOffset(dt);
    else
        viewer_.userPlaceContexte(dt);
    viewer_.displayRuler();
    locationInWindow_ = event->scenePosition();
}

void ZEVTlineCurseurRecall::draggEntityWithEvent(QMouseEvent* event)
{
    if (!siMouseDragged_) {
        siMouseDragged_ = true;
        locationInWindow_ = event->scenePosition();
    }
    const double dt = deltaT(event);
    viewer_.userPlaceRulerOffsetIn(-dt, -dt);
    viewer_.displayRuler();
    locationInWindow_ = event->scenePosition();
}

// ---------------------------------------------------------------------------------------------
// The Search view

void ZEVTlineCurseurSearch::mouseDown(QMouseEvent* event)
{
    clickPosition_ = clickPositionForEvent(event);
    siBouger_ = false;
    if (ZEVFrontViewerServices* f = front())
        f->displaySelectionView();
    if (siInitieSrollWheel_) {
        clickPosition_ = kNone;
        return;
    }
    if (clickPosition_ == kNone) {
        strip_.mouseDown(event);
        return;
    }
    if (!viewer_.siAccepteDeplacement())
        return;
    siFirstClick_ = viewer_.userChangeActifCurseur(curseur_);
    strip_.setFocus(Qt::MouseFocusReason);
    if (!siFirstClick_) {
        bar().setClickPositionForDisplay(clickPosition_);
        clickPositionForDisplay_ = clickPosition_;
    }
    // A press refused by the viewer places nothing, and its release ends nothing.
    siInitieDeplacement_ = initierDeplacementPropre(viewer_);
    if (siInitieDeplacement_ && siFirstClick_)
        if (const auto d = dateAtWindowX(event->scenePosition().x()))
            viewer_.userPlaceCurseurToDate(*d);
    viewer_.displayRuler();
    devenirProprietaire();
}

void ZEVTlineCurseurSearch::mouseDragged(QMouseEvent* event)
{
    if (passerAuProprietaire(event, false) || !siInitieDeplacement_ || !siDeplacementPropre(viewer_))
        return;
    switch (clickPosition_) {
    case kWholeContext:
    case kHandle:
        draggCurseurWithEvent(event);
        break;
    case kInEdge:
        viewer_.userPlaceContexteIn(deltaT(event));
        viewer_.displayRuler();
        locationInWindow_ = event->scenePosition();
        break;
    default:
        break;
    }
}

void ZEVTlineCurseurSearch::mouseUp(QMouseEvent* event)
{
    if (siInitieSrollWheel_ || passerAuProprietaire(event, true) || !siInitieDeplacement_)
        return;
    siInitieDeplacement_ = false;
    terminerDeplacementPropre(viewer_);
}

void ZEVTlineCurseurSearch::quitterModeRuler(int highlight)
{
    if (!siCommandKey_)
        return;
    siCommandKey_ = false;
    bar().setClickPositionForDisplay(highlight);
    bar().majMenubarForCurseur(curseur_);
    clickPositionForDisplay_ = highlight;
}

void ZEVTlineCurseurSearch::entrerModeRuler()
{
    if (siCommandKey_)
        return;
    siCommandKey_ = true;
    bar().setClickPositionForDisplay(kNone);
    bar().majMenubarForCurseur(curseur_);
    clickPositionForDisplay_ = kNone;
}

void ZEVTlineCurseurSearch::draggCurseurWithEvent(QMouseEvent* event)
{
    if (!siMouseDragged_) {
        siMouseDragged_ = true;
        clickPositionForDisplay_ = kHandle;
        locationInWindow_ = event->scenePosition();
        spaceHeight_ = strip_.window() ? strip_.window()->height() : 0;
    }
    const double xOld = pointDansLeStrip(locationInWindow_).x();
    const double xNew = pointDansLeStrip(event->scenePosition()).x();
    if (commande(event) && option(event)) {
        // The speed follows the distance from where the mode began: the location is kept.
        quitterModeRuler(kHandle);
        siBouger_ = true;
        viewer_.userBougeCurseurEtRulerOffset((xOld - xNew) / 5);
        return;
    }
    if (option(event)) {
        quitterModeRuler(kHandle);
        siBouger_ = true;
        viewer_.userBougeCurseur(float(xNew - xOld));
        return;
    }
    if (commande(event)) {
        arreterBouger();
        entrerModeRuler();
        const double dt = deltaT(event);
        viewer_.userPlaceRulerOffsetIn(-dt, -dt);
    } else if (majuscule(event)) {
        arreterBouger();
        quitterModeRuler(kHandle);
        // The distance from the window's top edge.
        const double v = event->scenePosition().y();
        viewer_.userPlaceCurseur(deltaT(event) / facteurFin(v, spaceHeight_));
    } else {
        const double xw = event->scenePosition().x();
        const double f = frameWidth();
        const double rho = f > 0 ? xw / f : 0.5;
        if (rho > 1 - kZoneCurseur) {
            siBouger_ = true;
            viewer_.userBougeCurseurEtRulerOffset((1 - kZoneCurseur - std::min(f, xw) / f) * f);
        } else if (rho < kZoneCurseur) {
            siBouger_ = true;
            viewer_.userBougeCurseurEtRulerOffset((kZoneCurseur - std::max(0.0, xw) / f) * f);
        } else {
            arreterBouger();
            quitterModeRuler(kHandle);
            if (const auto d = dateAtWindowX(xw))
                viewer_.userPlaceCurseurToDate(*d);
        }
    }
    viewer_.displayRuler();
    locationInWindow_ = event->scenePosition();
}

void ZEVTlineCurseurSearch::draggEntityWithEvent(QMouseEvent* event)
{
    const double xw = event->scenePosition().x();
    const double f = frameWidth();
    ZEVTlineType* axe = strip_.tlineType();
    if (!siMouseDragged_) {
        siMouseDragged_ = true;
        locationInWindow_ = event->scenePosition();
        const double rc = axe && curseur_ ? axe->relativeCoordinateForDate(curseur_->now()) : 0.0;
        grabOffset_ = rc * f - xw;
    }
    if (commande(event)) {
        entrerModeRuler();
        const double dx = pointDansLeStrip(event->scenePosition()).x() - pointDansLeStrip(locationInWindow_).x();
        const double d = axe && f > 0 ? dx * axe->lenght() / f : 0.0;
        viewer_.userPlaceRulerOffsetIn(-d, -d);
    } else if (f > 0) {
        quitterModeRuler(kWholeContext);
        const double x2 = grabOffset_ + xw;
        const double haut = 1 - kZoneEntite;
        if (xw / f > haut || x2 / f > haut) {
            siBouger_ = true;
            viewer_.userBougeCurseurEtRulerOffset((haut - std::min(f, xw / f > haut ? xw : x2) / f) * f);
        } else if (xw / f < kZoneEntite || x2 / f < kZoneEntite) {
            siBouger_ = true;
            viewer_.userBougeCurseurEtRulerOffset((kZoneEntite - std::max(0.0, xw / f < kZoneEntite ? xw : x2) / f) * f);
        } else {
            arreterBouger();
            if (const auto d = dateAtWindowX(xw))
                viewer_.userPlaceCurseurToDate(*d);
        }
    }
    viewer_.displayRuler();
    locationInWindow_ = event->scenePosition();
}

} // namespace tallomer
