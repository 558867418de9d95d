// The timeline strip's input: presses route to the cursor views or place the Search cursor,
// Ctrl-clicks step it by round durations, Ctrl-secondary presses bring the Now cursor's moment
// under the pointer and drag the range, the wheel zooms about an anchor and pans, keys go through
// the strip's key table, and files or Objects dragged over the strip move the Search cursor.

#include "services/ZEVFrontMode.h"
#include "engine/KELICurseur.h"
#include "platform/AppId.h"
#include "platform/Events.h"
#include "ruler/ZEVRulerViewer.h"
#include "ruler/ZEVTlineKeys.h"
#include "ruler/ZEVTlineType.h"
#include "ruler/ZEVTlineView.h"
#include "services/ZEVItemViewForDesks.h"
#include "services/ZEVItemViewerForDesks.h"
#include "space/ZEVSpaceController.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QGraphicsItem>
#include <QGraphicsScene>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QNativeGestureEvent>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace tallomer {

namespace {

constexpr char kScrollWheelStop[] = "_scrollWheelStop";
constexpr char kStartDraggingUpdate[] = "_startDraggingUpdate";
// The outer twentieths of the strip run the Search cursor while a drag passes over them.
constexpr double kZoneDrag = 0.05;

std::uint32_t drapeaux(Qt::KeyboardModifiers m) { return events::modifierFlags(m); }
bool commande(Qt::KeyboardModifiers m) { return events::hasFlag(drapeaux(m), keys::kCommandFlag); }
bool option(Qt::KeyboardModifiers m) { return events::hasFlag(drapeaux(m), keys::kOptionFlag); }
bool majuscule(Qt::KeyboardModifiers m) { return events::hasFlag(drapeaux(m), keys::kShiftFlag); }

// What the strip follows: files and Objects.
bool siObjetsOuFichiers(const QMimeData* data)
{
    return data && (data->hasUrls() || data->hasFormat(QString::fromLatin1(kItemPasteboardType)) ||
                    data->hasFormat(QString::fromLatin1(kZEVItemViewMime)));
}

// Qt numbers no drags: a drag is told apart from the next by its data, which lives as long as it.
long numeroDuDrag(const QMimeData* data)
{
    static const QMimeData* dernier = nullptr;
    static long numero = 0;
    if (data != dernier) {
        dernier = data;
        ++numero;
    }
    return numero;
}

struct Pas {
    double min, max, pas;
};
// Tested from the smallest up: where two windows overlap the smaller step wins.
constexpr Pas kPasRonds[] = {
    {54, 66, 60},
    {270, 330, 300},
    {540, 660, 600},
    {810, 990, 900},
    {1620, 1920, 1800},
    {2430, 2970, 2700},
    {3240, 3960, 3600},
    {9720, 11880, 10800},
    {19440, 23760, 21600},
    {38880, 47520, 43200},
    {58320, 71280, 64800},
    {77760, 95040, 86400},
    {155520, 190080, 172800},
    {233280, 285120, 259200},
    {311040, 380160, 345600},
    {388800, 475200, 432000},
    {466560, 570240, 518400},
    {544320, 665280, 604800},
    {1088640, 1330560, 1209600},
};

} // namespace

double ZEVTlineView::snapCommandClickStep(double d)
{
    const double a = std::fabs(d);
    for (const Pas& p : kPasRonds)
        if (a > p.min && a < p.max)
            return std::copysign(p.pas, d);
    return d;
}

void ZEVTlineView::activerSearch()
{
    KELICurseur* search = viewer_.searchCurseur();
    if (viewer_.actifCurseur() == viewer_.nowCurseur())
        viewer_.userChangeActifCurseur(search);
    else
        viewer_.actifCurseurDidChangeForCurseur(search);
}

void ZEVTlineView::terminerMonMouvement()
{
    if (!siInitieDeplacement_)
        return;
    siInitieDeplacement_ = false;
    terminerDeplacementPropre(viewer_);
}

// ---------------------------------------------------------------------------------------------
// Qt's events

void ZEVTlineView::mousePressEvent(QMouseEvent* event)
{
    const QPointF p = pointDansLeStrip(event->scenePosition());
    ZEVTlineCurseurView* vue = curseurViewAt(p);
    if (event->button() == Qt::LeftButton) {
        pressTarget_ = vue ? static_cast<ZEVTlineMouseTarget*>(vue) : this;
        if (vue)
            vue->mouseDown(event);
        else
            mouseDown(event);
    } else if (event->button() == Qt::RightButton) {
        if (QMenu* m = vue ? vue->menuForEvent(event) : menuForEvent(event))
            m->popup(event->globalPosition().toPoint());
    }
    event->accept();
}

void ZEVTlineView::mouseDoubleClickEvent(QMouseEvent* event)
{
    // The second press of a double click is a press like the first.
    mousePressEvent(event);
}

void ZEVTlineView::mouseMoveEvent(QMouseEvent* event)
{
    if (event->buttons() & Qt::LeftButton) {
        if (pressTarget_)
            pressTarget_->mouseDragged(event);
    } else if (event->buttons() & Qt::RightButton) {
        rightMouseDragged(event);
    }
    event->accept();
}

void ZEVTlineView::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        ZEVTlineMouseTarget* t = std::exchange(pressTarget_, nullptr);
        if (t)
            t->mouseUp(event);
    } else if (event->button() == Qt::RightButton) {
        rightMouseUp(event);
    }
    event->accept();
}

void ZEVTlineView::wheelEvent(QWheelEvent* event)
{
    // The ruler reads the pointer in the window's coordinates.
    const QPointF fenetre = window() && window() != this ? mapTo(window(), event->position()) : event->position();
    QWheelEvent e = events::wheelEventAt(*event, fenetre);
    if (ZEVTlineCurseurView* vue = curseurViewAt(pointDansLeStrip(fenetre)))
        vue->scrollWheel(&e);
    else
        scrollWheel(&e);
    event->accept();
}

bool ZEVTlineView::event(QEvent* event)
{
    if (event->type() == QEvent::ScreenChangeInternal)
        majOpacite();
    if (event->type() == QEvent::NativeGesture) {
        auto* g = static_cast<QNativeGestureEvent*>(event);
        if (g->gestureType() == Qt::ZoomNativeGesture) {
            const QPointF fenetre = window() && window() != this ? mapTo(window(), g->position()) : g->position();
            const std::unique_ptr<QNativeGestureEvent> e = events::nativeGestureAt(*g, fenetre, fenetre);
            viewer_.magnify(e.get());
            return true;
        }
    }
    return QWidget::event(event);
}

bool ZEVTlineView::focusNextPrevChild(bool)
{
    // Tab is a key of the strip's table, not a focus move.
    return false;
}

void ZEVTlineView::keyPressEvent(QKeyEvent* event) { keyDown(event); }

void ZEVTlineView::keyReleaseEvent(QKeyEvent* event) { keyUp(event); }

// ---------------------------------------------------------------------------------------------
// The primary button

void ZEVTlineView::mouseDown(QMouseEvent* event)
{
    if (ZEVFrontViewerServices* f = front())
        f->displaySelectionView();
    siMouseDragged_ = false;
    locationInWindow_ = event->scenePosition();
    initialLoc_ = pointDansLeStrip(locationInWindow_);
    devenirProprietaire();
    KELICurseur* search = viewer_.searchCurseur();
    if (!search || !viewer_.siAccepteDeplacement())
        return;
    const bool searchDejaActif = viewer_.actifCurseur() == search;
    activerSearch();
    const Qt::KeyboardModifiers m = event->modifiers();
    if (option(m)) {
        if (commande(m))
            siInitieDeplacement_ = initierDeplacementPropre(viewer_);
    } else if (!(commande(m) && searchDejaActif)) {
        siInitieDeplacement_ = initierDeplacementPropre(viewer_);
        if (siInitieDeplacement_)
            if (const auto d = dateAtX(initialLoc_.x()))
                viewer_.userPlaceCurseurToDate(*d);
    }
    viewer_.displayRuler();
}

void ZEVTlineView::mouseDragged(QMouseEvent* event)
{
    if (passerAuProprietaire(event, false))
        return;
    siMouseDragged_ = true;
    if (siInitieDeplacement_ && siDeplacementPropre(viewer_))
        viewer_.draggWithEvent(event);
}

void ZEVTlineView::mouseUp(QMouseEvent* event)
{
    if (passerAuProprietaire(event, true))
        return;
    const Qt::KeyboardModifiers m = event->modifiers();
    KELICurseur* search = viewer_.searchCurseur();
    if (commande(m) && !option(m) && !siMouseDragged_ && search) {
        // Only a move of the strip's own is placed and ended: inside another one (an animation)
        // the click changes nothing.
        if (!siInitieDeplacement_)
            siInitieDeplacement_ = initierDeplacementPropre(viewer_);
        const auto date = dateAtX(initialLoc_.x());
        if (siInitieDeplacement_ && siDeplacementPropre(viewer_) && date) {
            double d = *date - search->now();
            if (majuscule(m))
                d = -d;
            viewer_.userPlaceCurseurEtRulerOffset(snapCommandClickStep(d));
            viewer_.displayRuler();
        }
    }
    terminerMonMouvement();
}

// ---------------------------------------------------------------------------------------------
// The secondary button

QMenu* ZEVTlineView::menuForEvent(QMouseEvent* event)
{
    locationInWindow_ = event->scenePosition();
    if (siInitieScrollWheel_) {
        Scheduler::shared().cancel(this, kScrollWheelStop);
        scrollWheelStop();
    }
    if (!viewer_.siAccepteDeplacement())
        return nullptr;
    if (!commande(event->modifiers()))
        return menuRuler_;
    KELICurseur* now = viewer_.nowCurseur();
    if (!now)
        return nullptr;
    if (viewer_.actifCurseur() != now)
        viewer_.userChangeActifCurseur(now);
    siInitieDeplacement_ = initierDeplacementPropre(viewer_);
    if (siInitieDeplacement_)
        if (const auto d = dateAtX(pointDansLeStrip(locationInWindow_).x())) {
            // The Now cursor's moment comes under the pointer.
            viewer_.userPlaceRulerOffsetIn(now->now() - *d, now->now() - *d);
            viewer_.displayRuler();
        }
    return nullptr;
}

void ZEVTlineView::rightMouseDragged(QMouseEvent* event)
{
    if (!commande(event->modifiers()) || !siInitieDeplacement_ || !siDeplacementPropre(viewer_) || !tlineType_)
        return;
    siMouseDragged_ = true;
    const double w = largeur();
    if (w >= 2) {
        const double dx = pointDansLeStrip(event->scenePosition()).x() - pointDansLeStrip(locationInWindow_).x();
        // The date under the pointer stays under it.
        const double d = -dx * tlineType_->lenght() / (w - 1);
        viewer_.userPlaceRulerOffsetIn(d, d);
        viewer_.displayRuler();
    }
    locationInWindow_ = event->scenePosition();
}

void ZEVTlineView::rightMouseUp(QMouseEvent*)
{
    siMouseDragged_ = false;
    terminerMonMouvement();
}

// ---------------------------------------------------------------------------------------------
// The wheel

bool ZEVTlineView::initierMouvementDeLaRoue()
{
    siInitieScrollWheel_ = viewer_.userInitieDeplacementCurseur();
    mouvementDeLaRoue_ = siInitieScrollWheel_ ? viewer_.mouvementEnCours() : 0;
    return siInitieScrollWheel_;
}

bool ZEVTlineView::siMouvementDeLaRoue() const
{
    return mouvementDeLaRoue_ != 0 && viewer_.mouvementEnCours() == mouvementDeLaRoue_;
}

void ZEVTlineView::oublierUneRoueInterrompue()
{
    // A gesture whose move another party ended (an animation's cancel) is over: the next event
    // begins another.
    if (siInitieScrollWheel_ && !siMouvementDeLaRoue()) {
        Scheduler::shared().cancel(this, kScrollWheelStop);
        scrollWheelStop();
    }
}

void ZEVTlineView::scrollWheel(QWheelEvent* event)
{
    oublierUneRoueInterrompue();
    if (!siInitieScrollWheel_) {
        if (ZEVRulerViewbarServices* b = bar())
            b->setClickPositionForDisplay(9);
        initierMouvementDeLaRoue();
        if (siInitieScrollWheel_) {
            ZEVFrontViewerServices* f = front();
            siRow_ = f && f->siNbOfRows();
            siCmd_ = siRow_ != commande(event->modifiers());
        }
    }
    if (siInitieScrollWheel_)
        scrollWheelRuler(event);
    else
        viewer_.scrollWheelWithEvent(event);
}

void ZEVTlineView::scrollWheelRuler(QWheelEvent* event)
{
    const double s = events::invertedFactor(*event);
    const double k = viewer_.rulerRatio();
    const events::WheelDeltas delta = events::wheelDeltas(*event);
    const double z = s * delta.y * k * 10.0;
    const double pan = -s * delta.x * k;
    siCmd_ = siRow_ != commande(event->modifiers());
    pointerXInWindow_ = event->scenePosition().x();
    double a = 0.5;
    if (siCmd_) {
        const double f = width();
        a = f > 0 ? pointerXInWindow_ / f : 0.5;
    } else if (KELICurseur* c = viewer_.actifCurseur(); c && tlineType_) {
        a = tlineType_->relativeCoordinateForDate(c->now());
    }
    a = std::clamp(a, 0.0, 1.0);
    // The span shrinks by z with the date at the anchor kept in place; the pan moves both edges.
    viewer_.userPlaceRulerOffsetIn(a * z + pan, pan - (1 - a) * z);
    viewer_.displayRuler();
    rearmerScrollWheelStop();
}

void ZEVTlineView::rearmerScrollWheelStop()
{
    Scheduler::shared().cancel(this, kScrollWheelStop);
    Scheduler::shared().perform(this, kScrollWheelStop, kWheelStopDelay, [this] { scrollWheelStop(); }, true);
}

void ZEVTlineView::scrollWheelWithFromBox(QWheelEvent* event) { scrollWheelBox(event, Boite::From); }
void ZEVTlineView::scrollWheelWithPeriodBox(QWheelEvent* event) { scrollWheelBox(event, Boite::Period); }
void ZEVTlineView::scrollWheelWithUntilBox(QWheelEvent* event) { scrollWheelBox(event, Boite::Until); }

void ZEVTlineView::scrollWheelBox(QWheelEvent* event, Boite boite)
{
    if (!event)
        return;
    oublierUneRoueInterrompue();
    if (!siInitieScrollWheel_) {
        // The strip's codes, then the bar's: 0 and 7 the in-edge, 1 and 8 the out-edge, 4 and 9
        // the whole range.
        setClickPositionForDisplay(boite == Boite::From ? 0 : boite == Boite::Until ? 1 : 4);
        if (ZEVRulerViewbarServices* b = bar())
            b->setClickPositionForDisplay(boite == Boite::From ? 7 : boite == Boite::Until ? 8 : 9);
        initierMouvementDeLaRoue();
    }
    if (!siInitieScrollWheel_)
        return;
    event->accept();
    const double s = events::invertedFactor(*event);
    const double k = viewer_.rulerRatio();
    const events::WheelDeltas delta = events::wheelDeltas(*event);
    if (boite == Boite::From) {
        viewer_.userPlaceRulerOffsetIn(s * delta.y * k, 0);
    } else if (boite == Boite::Until) {
        viewer_.userPlaceRulerOffsetIn(0, -s * delta.y * k);
    } else {
        const double z = s * delta.y * k * 10.0;
        const double pan = -s * delta.x * k;
        KELICurseur* c = commande(event->modifiers()) ? viewer_.nowCurseur() : viewer_.actifCurseur();
        const double a = c && tlineType_ ? std::clamp(tlineType_->relativeCoordinateForDate(c->now()), 0.0, 1.0) : 0.5;
        viewer_.userPlaceRulerOffsetIn(a * z + pan, pan - (1 - a) * z);
    }
    viewer_.displayRuler();
    rearmerScrollWheelStop();
}

void ZEVTlineView::scrollWheelStop()
{
    setClickPositionForDisplay(ZEVTlineCurseurView::kNone);
    siCmd_ = false;
    // The wheel's move is the strip's own: the stop ends nothing else.
    const bool mien = siInitieScrollWheel_ && siMouvementDeLaRoue();
    siInitieScrollWheel_ = false;
    mouvementDeLaRoue_ = 0;
    if (mien)
        viewer_.userTermineDeplacementCurseur();
}

// ---------------------------------------------------------------------------------------------
// Keys

void ZEVTlineView::keyDown(QKeyEvent* event)
{
    const events::KeyInfo key = events::keyInfo(*event);
    // The modifier keys themselves go on to the window, which follows them.
    if (key.characters.isEmpty()) {
        event->ignore();
        return;
    }
    ZEVSpaceController& space = viewer_.spaceController();
    ZEVFrontViewerServices* f = front();
    ZEVTlineKeyState state;
    state.searchActive = space.siSearchActif();
    int mode = f ? f->frontMode() : ZEVFrontModeIcons;
    if (mode == ZEVFrontModeFilters && !(f && f->siSelectedFilterItems()))
        mode = 0;
    ZEVCursorDesk* desk = space.deskForCurseur(space.actifCurseur());
    state.itemViewsTakeKeys = f && f->siFocus() && desk && desk->visibleItemViewCount(mode) > 0;
    state.lasso = f && f->siLasso();
    if (f) {
        state.releasingItems = f->siReleasingSelectedItems();
        state.recallingItems = f->siRecallingSelectedItems();
        state.recallingNowItems = f->siRecallingNowSelectedItems();
    }
    using A = ZEVTlineKeyAction;
    const A action = tlineKeyDown(key, state);
    auto menu = [&](ZEVSpaceMenuAction a) { space.host().menuAction(a); };
    auto appel = [&](void (ZEVFrontViewerServices::*op)()) {
        if (f)
            (f->*op)();
    };
    switch (action) {
    case A::Default:
        // Escape is the strip's step back; every other key goes on to the window.
        if (event->key() == Qt::Key_Escape) {
            appel(&ZEVFrontViewerServices::userStepBack);
            break;
        }
        event->ignore();
        return;
    case A::Nothing:
        break;
    case A::HistoryNext:
        space.menuHistoryNext();
        break;
    case A::HistoryPrevious:
        space.menuHistoryPrevious();
        break;
    case A::ItemView: {
        ZEVItemViewerForDesks* items = desk ? desk->itemViewerServices() : nullptr;
        const std::vector<ZEVItemViewForDesks*> vues =
            items ? items->visibleItemViewsForMode(mode) : std::vector<ZEVItemViewForDesks*>{};
        QGraphicsItem* dernier = vues.empty() ? nullptr : vues.back()->graphicsItem();
        if (dernier && dernier->scene())
            dernier->scene()->sendEvent(dernier, event);
        break;
    }
    case A::ChannelUp:
        menu(ZEVSpaceMenuAction::ChannelUp);
        break;
    case A::ChannelDown:
        menu(ZEVSpaceMenuAction::ChannelDown);
        break;
    case A::GotoPrevious:
        menu(ZEVSpaceMenuAction::GotoPrevious);
        break;
    case A::GotoNext:
        menu(ZEVSpaceMenuAction::GotoNext);
        break;
    case A::SpaceCleanPrevious:
        menu(ZEVSpaceMenuAction::SpaceCleanPrevious);
        break;
    case A::SpaceCleanNext:
        menu(ZEVSpaceMenuAction::SpaceCleanNext);
        break;
    case A::SelectPrevious:
        appel(&ZEVFrontViewerServices::userSelectPrevious);
        break;
    case A::SelectNext:
        appel(&ZEVFrontViewerServices::userSelectNext);
        break;
    case A::Filter:
        appel(&ZEVFrontViewerServices::menuActionFilter);
        break;
    case A::ToggleQL:
        appel(&ZEVFrontViewerServices::userToggleQL);
        break;
    case A::StepBack:
        appel(&ZEVFrontViewerServices::userStepBack);
        break;
    case A::RecallNow:
        appel(&ZEVFrontViewerServices::userRecallNow);
        break;
    case A::RecallSearch:
        appel(&ZEVFrontViewerServices::userRecallSearch);
        break;
    case A::RetainNow:
        appel(&ZEVFrontViewerServices::userRetainNow);
        break;
    case A::RetainSearch:
        appel(&ZEVFrontViewerServices::userRetainSearch);
        break;
    case A::ReleaseNow:
        appel(&ZEVFrontViewerServices::userReleaseNow);
        break;
    case A::ReleaseSearch:
        appel(&ZEVFrontViewerServices::userReleaseSearch);
        break;
    case A::ForgetNow:
        appel(&ZEVFrontViewerServices::userForgetNow);
        break;
    case A::ForgetSearch:
        appel(&ZEVFrontViewerServices::userForgetSearch);
        break;
    case A::CleanAll:
        appel(&ZEVFrontViewerServices::userSpaceCleanAll);
        break;
    case A::CleanAndRecall:
        appel(&ZEVFrontViewerServices::userSpaceCleanAndRecall);
        break;
    case A::CleanAndRecallBack:
        appel(&ZEVFrontViewerServices::userSpaceCleanAndRecallBack);
        break;
    case A::CleanAndReplace:
        appel(&ZEVFrontViewerServices::userSpaceCleanAndReplace);
        break;
    case A::HomeTimePreset:
        viewer_.userChangePresetWithStampInt(2000009);
        break;
    case A::SelectAll: {
        QKeyEvent ctrlA(QEvent::KeyPress, Qt::Key_A, Qt::ControlModifier, QStringLiteral("a"));
        if (QWidget* p = parentWidget())
            QApplication::sendEvent(p, &ctrlA);
        break;
    }
    }
    event->accept();
}

void ZEVTlineView::keyUp(QKeyEvent* event)
{
    const events::KeyInfo key = events::keyInfo(*event);
    if (events::hasFlag(key.flags, keys::kNumericPadFlag)) {
        terminerMonMouvement();
        if (key.characters.size() > 1 || (!key.characters.isEmpty() && events::isArrowCharacter(key.characters.at(0)))) {
            event->accept();
            return;
        }
    }
    event->ignore();
}

// ---------------------------------------------------------------------------------------------
// Drags over the strip: nothing is ever dropped on it

void ZEVTlineView::dragEnterEvent(QDragEnterEvent* event)
{
    if (!siObjetsOuFichiers(event->mimeData())) {
        event->ignore();
        return;
    }
    // Accepted so that the moves and the leave come, with no operation: the strip takes nothing.
    event->setDropAction(Qt::IgnoreAction);
    event->accept();
    dragLocation_ = QPointF(mapTo(window(), event->position().toPoint()));
    Scheduler::shared().cancel(this, kStartDraggingUpdate);
    Scheduler::shared().perform(this, kStartDraggingUpdate, kDragFollowDelay, [this] { startDraggingUpdate(); }, true);
    viewer_.spaceController().draggingSessionStartedWithInteger(numeroDuDrag(event->mimeData()));
}

void ZEVTlineView::startDraggingUpdate()
{
    siStartDraggingUpdate_ = true;
    if ((siInitieDeplacement_ && siDeplacementPropre(viewer_)) || !viewer_.siAccepteDeplacement())
        return;
    KELICurseur* now = viewer_.nowCurseur();
    KELICurseur* search = viewer_.searchCurseur();
    ZEVTlineCurseurViewServices* nowView = viewer_.curseurViewForCurseur(now);
    auto* nowVue = dynamic_cast<ZEVTlineCurseurView*>(nowView);
    if (nowVue && nowVue->siContainsPoint(dragLocation_)) {
        if (viewer_.actifCurseur() == search)
            viewer_.userChangeActifCurseur(now);
    } else if (search) {
        const auto d = dateAtX(pointDansLeStrip(dragLocation_).x());
        activerSearch();
        if (ZEVRulerViewbarServices* b = bar())
            b->setClickPositionForDisplay(ZEVTlineCurseurView::kWholeContext);
        // A refused move leaves the drag without a cursor to move.
        siInitieDeplacement_ = initierDeplacementPropre(viewer_);
        if (siInitieDeplacement_ && d)
            viewer_.userPlaceCurseurToDate(*d);
    }
    viewer_.displayRuler();
    if (ZEVFrontViewerServices* f = front())
        f->forgetDraggingLego();
}

void ZEVTlineView::dragMoveEvent(QDragMoveEvent* event)
{
    dragUpdated(QPointF(mapTo(window(), event->position().toPoint())));
    event->ignore();
}

void ZEVTlineView::dragUpdated(const QPointF& p)
{
    dragLocation_ = p;
    if (!siStartDraggingUpdate_ || !siInitieDeplacement_ || !siDeplacementPropre(viewer_) ||
        viewer_.actifCurseur() != viewer_.searchCurseur())
        return;
    const double f = width();
    if (!(f > 0))
        return;
    const double r = p.x() / f;
    if (r > 1 - kZoneDrag) {
        viewer_.userBougeCurseurEtRulerOffset((1 - kZoneDrag - r) * f);
    } else if (r < kZoneDrag) {
        viewer_.userBougeCurseurEtRulerOffset((kZoneDrag - r) * f);
    } else {
        viewer_.userDesactiveBouger();
        if (tlineType_)
            viewer_.userPlaceCurseurToDate(tlineType_->dateForRelativeCoordinate(r));
        viewer_.displayRuler();
    }
}

void ZEVTlineView::dragLeaveEvent(QDragLeaveEvent* event)
{
    Scheduler::shared().cancel(this, kStartDraggingUpdate);
    siStartDraggingUpdate_ = false;
    terminerMonMouvement();
    ZEVSpaceController* space = &viewer_.spaceController();
    // On the controller, under the name its next session cancels.
    Scheduler::shared().perform(space, "draggingSessionDidStop", kDragSessionStopDelay,
                                [space] { space->draggingSessionDidStop(); });
    event->accept();
}

void ZEVTlineView::dropEvent(QDropEvent* event)
{
    event->setDropAction(Qt::IgnoreAction);
    event->ignore();
    Scheduler::shared().cancel(this, kStartDraggingUpdate);
    siStartDraggingUpdate_ = false;
    terminerMonMouvement();
    viewer_.spaceController().draggingSessionDidStop();
}

} // namespace tallomer
