// The browser date ruler under the mouse, the wheel and the keys. The view moves nothing itself:
// each gesture is one move of its controller, begun when the controller grants it and ended only
// when the view holds it. Presses, drags, wheel turns and secondary presses over a cursor view go
// to that view first.

#include "browser/GUIRulerCurseurView.h"
#include "browser/GUIRulerView.h"
#include "engine/KELICurseur.h"
#include "platform/Events.h"
#include "runtime/Log.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QWheelEvent>

#include <algorithm>

namespace tallomer {

namespace {
constexpr const char* kStop = "_scrollWheelStop";
}

GUIRulerMouseTarget::~GUIRulerMouseTarget()
{
    if (owner_ == this)
        owner_ = nullptr;
}

bool GUIRulerMouseTarget::passerAuProprietaire(QMouseEvent* event, bool release)
{
    GUIRulerMouseTarget* o = owner_;
    if (!o || o == this)
        return false;
    if (release)
        o->mouseUp(event);
    else
        o->mouseDragged(event);
    return true;
}

KELDate GUIRulerView::dateAtX(double x) const
{
    if (!ruler_)
        return 0.0;
    const double w1 = width() - 1;
    return ruler_->dateForRelativeCoordinate(w1 > 0 ? x / w1 : 0.0);
}

GUIRulerCurseurView* GUIRulerView::curseurViewAt(QPointF point) const
{
    if (!viewerDelegate_)
        return nullptr;
    std::vector<GUIRulerCurseurView*> vues = viewerDelegate_->curseurViews();
    // The active cursor's view lies on top.
    std::stable_partition(vues.begin(), vues.end(), [this](GUIRulerCurseurView* v) {
        return v && v->curseur() == viewerDelegate_->actifCurseur();
    });
    for (GUIRulerCurseurView* v : vues) {
        if (!v)
            continue;
        v->calculerGeometrie();
        if (v->clickPositionForPoint(point) != GUIRulerCurseurView::kRien)
            return v;
    }
    return nullptr;
}

// ---- Qt's events ----

void GUIRulerView::mousePressEvent(QMouseEvent* event)
{
    const QPointF p = versHaut(event->position());
    if (event->button() == Qt::LeftButton) {
        if (GUIRulerCurseurView* v = curseurViewAt(p))
            v->mouseDown(event);
        else
            mouseDown(event);
    } else if (event->button() == Qt::RightButton) {
        dernierMenu_ = nullptr;
        if (GUIRulerCurseurView* v = curseurViewAt(p)) {
            if (QMenu* menu = v->menuForEvent(event)) {
                dernierMenu_ = menu;
                update();
                menu->popup(event->globalPosition().toPoint());
                return;
            }
        }
        rightMouseDown(event);
    }
    event->accept();
}

void GUIRulerView::mouseMoveEvent(QMouseEvent* event)
{
    if (event->buttons() & Qt::LeftButton) {
        if (GUIRulerMouseTarget* o = mouseDownOwner())
            o->mouseDragged(event);
    } else if (event->buttons() & Qt::RightButton) {
        rightMouseDragged(event);
    }
    event->accept();
}

void GUIRulerView::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        if (GUIRulerMouseTarget* o = mouseDownOwner())
            o->mouseUp(event);
    } else if (event->button() == Qt::RightButton) {
        rightMouseUp(event);
    }
    event->accept();
}

void GUIRulerView::wheelEvent(QWheelEvent* event)
{
    const QPointF p = versHaut(event->position());
    GUIRulerCurseurView* sur = nullptr;
    if (viewerDelegate_)
        for (GUIRulerCurseurView* v : viewerDelegate_->curseurViews()) {
            if (!v)
                continue;
            v->calculerGeometrie();
            if (v->frame().contains(p) && (!sur || v->curseur() == viewerDelegate_->actifCurseur()))
                sur = v;
        }
    if (sur)
        sur->scrollWheel(event);
    else
        scrollWheel(event);
    event->accept();
}

void GUIRulerView::keyPressEvent(QKeyEvent* event) { keyDown(event); }

void GUIRulerView::keyReleaseEvent(QKeyEvent* event) { keyUp(event); }

void GUIRulerView::contextMenuEvent(QContextMenuEvent* event)
{
    // The secondary press already chose; no menu of the widgets around.
    event->accept();
}

// ---- the left button ----

void GUIRulerView::mouseDown(QMouseEvent* event)
{
    siMouseDragged_ = false;
    locationInWindow_ = event->globalPosition();
    const QPointF p = mapFromGlobal(event->globalPosition());
    ratioIn_ = width() > 0 ? p.x() / width() : 0.0;
    ratioOut_ = 1 - ratioIn_;
    devenirProprietaire();
    GUIRulerViewerDelegate* d = viewerDelegate_;
    if (!d || !d->siAccepteDeplacement())
        return;
    if (d->nowCurseur() && d->actifCurseur() == d->nowCurseur())
        d->userChangeActifCurseur(d->searchCurseur());
    // Only a move the controller granted is the view's to end.
    siInitieDeplacement_ = d->userInitieDeplacementCurseur();
    if (!siInitieDeplacement_)
        return;
    d->userPlaceCurseurToDate(dateAtX(p.x()));
    d->displayRuler();
}

void GUIRulerView::mouseDragged(QMouseEvent* event)
{
    if (!siProprietaire() && passerAuProprietaire(event, false))
        return;
    siMouseDragged_ = true;
    if (siInitieDeplacement_ && viewerDelegate_)
        viewerDelegate_->draggWithEvent(event);
}

void GUIRulerView::mouseUp(QMouseEvent* event)
{
    if (!siProprietaire() && passerAuProprietaire(event, true))
        return;
    if (!siInitieDeplacement_)
        return;
    siInitieDeplacement_ = false;
    if (viewerDelegate_)
        viewerDelegate_->userTermineDeplacementCurseur();
}

// ---- the right button: the ruler under the Now cursor ----

void GUIRulerView::rightMouseDown(QMouseEvent* event)
{
    siDroit_ = false;
    siMouseDragged_ = false;
    locationInWindow_ = event->globalPosition();
    GUIRulerViewerDelegate* d = viewerDelegate_;
    if (!d)
        return;
    KELICurseur* now = d->nowCurseur();
    if (now && d->actifCurseur() == now) {
        if (!d->siAccepteDeplacement())
            return;
        const double offset = now->now() - dateAtX(mapFromGlobal(event->globalPosition()).x());
        siDroit_ = d->userInitieDeplacementCurseur();
        if (!siDroit_)
            return;
        d->userPlaceRulerOffsetIn(offset, offset);
        d->displayRuler();
    } else {
        d->userChangeActifCurseur(now);
    }
}

void GUIRulerView::rightMouseDragged(QMouseEvent* event)
{
    if (!siDroit_ || !viewerDelegate_ || !ruler_)
        return;
    const double w1 = width() - 1;
    const double dx = event->globalPosition().x() - locationInWindow_.x();
    const double d = w1 > 0 ? dx * (ruler_->outDate() - ruler_->inDate()) / w1 : 0.0;
    if (!siMouseDragged_) {
        siMouseDragged_ = true;
        assignForegroundColor(GUIRulerRessources::partagees().rulerTexteActifColor);
    }
    viewerDelegate_->userPlaceRulerOffsetIn(-d, -d);
    viewerDelegate_->displayRuler();
    locationInWindow_ = event->globalPosition();
}

void GUIRulerView::rightMouseUp(QMouseEvent*)
{
    if (siMouseDragged_)
        assignForegroundColor(GUIRulerRessources::partagees().rulerTexteColor);
    siMouseDragged_ = false;
    if (!siDroit_)
        return;
    siDroit_ = false;
    if (viewerDelegate_)
        viewerDelegate_->userTermineDeplacementCurseur();
}

// ---- the wheel: zoom about the active cursor, slide sideways ----

void GUIRulerView::scrollWheel(QWheelEvent* event)
{
    GUIRulerViewerDelegate* d = viewerDelegate_;
    if (!d || !ruler_)
        return;
    if (!siInitieSrollWheel_) {
        if (!d->userInitieDeplacementCurseur()) {
            d->scrollWheelWithEvent(event);
            return;
        }
        siInitieSrollWheel_ = true;
        assignForegroundColor(GUIRulerRessources::partagees().rulerTexteActifColor);
    }
    const events::WheelDeltas w = events::wheelDeltas(*event);
    const double r = d->rulerRatio();
    const double z = w.y * r * 20;
    const double p = w.x * r;
    KELICurseur* actif = d->actifCurseur();
    const double c = std::clamp(actif ? ruler_->relativeCoordinateForDate(actif->now()) : 0.5, 0.0, 1.0);
    d->userPlaceRulerOffsetIn(p - c * z, p + (1 - c) * z);
    d->displayRuler();
    Scheduler::shared().cancel(this, kStop);
    Scheduler::shared().perform(this, kStop, kArretRoue, [this] { scrollWheelStop(); }, true);
}

void GUIRulerView::scrollWheelStop()
{
    Scheduler::shared().cancel(this, kStop);
    if (!siInitieSrollWheel_)
        return;
    siInitieSrollWheel_ = false;
    assignForegroundColor(GUIRulerRessources::partagees().rulerTexteColor);
    if (viewerDelegate_)
        viewerDelegate_->userTermineDeplacementCurseur();
}

// ---- keys ----

void GUIRulerView::keyDown(QKeyEvent* event)
{
    const events::KeyInfo k = events::keyInfo(*event);
    if (k.characters.isEmpty())
        return;
    GUIRulerViewerDelegate* d = viewerDelegate_;
    if (!d)
        return;
    const QChar c = k.characters.at(0);
    const bool pave = events::hasFlag(k.flags, keys::kNumericPadFlag);
    if (pave) {
        if (!d->siAccepteDeplacement() && !siInitieDeplacement_)
            return;
        // A held key repeats: the move it began goes on.
        if (!siInitieDeplacement_) {
            siInitieDeplacement_ = d->userInitieDeplacementCurseur();
            if (!siInitieDeplacement_)
                return;
        }
        switch (c.unicode()) {
        case events::kUpArrowCharacter:
            d->userAgranditContexte();
            break;
        case events::kDownArrowCharacter:
            d->userDiminueContexte();
            break;
        case events::kLeftArrowCharacter:
            d->userBougeCurseurAGauche();
            break;
        case events::kRightArrowCharacter:
            d->userBougeCurseurADroite();
            break;
        default:
            break;
        }
        return;
    }
    if (c == QLatin1Char(' ')) {
        d->userStartStopCurseur();
    } else if (c == QLatin1Char('1') || c == QLatin1Char('2') || c == QLatin1Char('a')) {
        if (!d->siAccepteDeplacement())
            return;
        d->userChangeActifCurseur(c == QLatin1Char('2') ? d->searchCurseur() : d->nowCurseur());
        if (c != QLatin1Char('a'))
            setFocus(Qt::OtherFocusReason);
        update();
    } else if (c == QLatin1Char('n')) {
        KELICurseur* actif = d->actifCurseur();
        KELICurseur* sup = actif ? actif->curseurSup() : nullptr;
        if (sup)
            d->userAnimeCurseurToDate(sup->now());
    }
}

void GUIRulerView::keyUp(QKeyEvent* event)
{
    logFormat("GUIRulerView keyUp");
    const events::KeyInfo k = events::keyInfo(*event);
    if (!events::hasFlag(k.flags, keys::kNumericPadFlag)) {
        QWidget::keyReleaseEvent(event);
        return;
    }
    if (event->isAutoRepeat())
        return;
    if (siInitieDeplacement_) {
        siInitieDeplacement_ = false;
        if (viewerDelegate_)
            viewerDelegate_->userTermineDeplacementCurseur();
    }
    if (k.characters.size() == 1 && !events::isArrowCharacter(k.characters.at(0)))
        QWidget::keyReleaseEvent(event);
}

} // namespace tallomer
