// The space controller as its window's delegate: the pointer limit at the window's top right,
// activation, the go-to state, the window's resizes, moves and full-screen changes, the title,
// the stay-in-front state, and deleting an Object for good.

#include "space/ZEVSpaceController.h"

#include <QGuiApplication>

#include "engine/KELICurseur.h"
#include "engine/KELServeurDeLiens.h"
#include "services/ZEVInspectorServices.h"
#include "runtime/Log.h"
#include "space/ZEVConstants.h"
#include "space/ZEVSpaceWindow.h"
#include "space/ZEVSpaceWindowFrame.h"

#include <QCursor>
#include <QGuiApplication>
#include <QPixmap>

namespace tallomer {

namespace {

constexpr const char* kMouseLimitInside = "_mouseLimitInside";
constexpr const char* kMouseLimitOutside = "_mouseLimitOutside";
constexpr const char* kActivateTallomerStart = "activateTallomerStart";
constexpr const char* kMajInspectView = "majInspectViewCommonModes";
// After the button closed the header views, the corner opens them again only after this long.
constexpr double kReouverture = 0.2;
constexpr double kActivation = 0.2;
constexpr double kTitreDevant = 0.9;
constexpr double kDelaiInspectView = 0.3;

} // namespace

// ---------------------------------------------------------------------------------------------
// The pointer limit

bool ZEVSpaceController::siPleinEcran() const { return spaceWindow_ && spaceWindow_->siFullScreen(); }

QPointF ZEVSpaceController::pointeurDansLaFenetre() const
{
    if (!spaceWindow_)
        return {};
    const QPoint p = spaceWindow_->mapFromGlobal(QCursor::pos());
    return QPointF(p.x(), spaceWindow_->height() - p.y());
}

void ZEVSpaceController::setHeaderViewsBtnState(int state)
{
    headerViewsBtnState_ = state;
    if (spaceWindow_)
        spaceWindow_->setHeaderViewsButtonState(state);
}

void ZEVSpaceController::appliquerLaZone(const ZEVMouseLimitZone& zone)
{
    mouseLimitRect_ = zone.rect;
    mouseLimitInf_ = zone.inf;
}

void ZEVSpaceController::mouseMovedInLocation(const QPointF& p)
{
    Scheduler& s = Scheduler::shared();
    mouseLimitPoint_ = p;
    siNSCursorHidden_ = false;
    if (!mouseLimitRect_.contains(p)) {
        mouseLimitDuration_ = 0;
        if (!siMouseLimitOUT_) {
            siMouseLimitIN_ = false;
            siMouseLimitOUT_ = true;
            majWindowTitle();
        }
        if (siMouseLimitInDelay_) {
            siMouseLimitInDelay_ = false;
            setHeaderViewsBtnState(0);
            s.cancel(this, kMouseLimitInside);
        }
        if (siMouseLimitOutside_)
            return;
        siMouseLimitOutDelay_ = true;
        s.cancel(this, kMouseLimitOutside);
        s.perform(this, kMouseLimitOutside, ZEVMouseLimit::closeDelay(mouseLimitInf_, p.y()),
                  [this] { _mouseLimitOutside(); });
        return;
    }
    if (!siMouseLimitIN_) {
        siMouseLimitIN_ = true;
        siMouseLimitOUT_ = false;
        majWindowTitle();
    }
    if (siMouseLimitOutDelay_) {
        siMouseLimitOutDelay_ = false;
        setHeaderViewsBtnState(1);
        s.cancel(this, kMouseLimitOutside);
    }
    if (siMouseLimitInside_)
        return;
    siMouseLimitInDelay_ = true;
    s.cancel(this, kMouseLimitInside);
    s.perform(this, kMouseLimitInside, mouseLimitDuration_, [this] { _mouseLimitInside(); });
}

void ZEVSpaceController::resetMouseLimit()
{
    if (siMouseLimitInside_)
        setMouseLimitOutside();
    else
        setMouseLimitInside();
}

void ZEVSpaceController::setMouseLimitInside()
{
    const bool plein = siPleinEcran();
    const QSizeF taille =
        plein ? host_.mainScreenFrame().size() : QSizeF(spaceWindow_ ? spaceWindow_->spaceView()->size() : QSize());
    appliquerLaZone(ZEVMouseLimit::cornerZone(plein, taille.width(), taille.height()));
}

void ZEVSpaceController::setMouseLimitOutside()
{
    const bool plein = siPleinEcran();
    const QSizeF taille =
        plein ? host_.mainScreenFrame().size() : QSizeF(spaceWindow_ ? spaceWindow_->spaceView()->size() : QSize());
    const bool fermees = !frontViewer_ || frontViewer_->siHeaderViewsClosed();
    const double hauteur = frontViewer_ ? frontViewer_->headerViewsHeight() : 0.0;
    if (fermees && !plein)
        setHeaderViewsBtnState(0);
    appliquerLaZone(ZEVMouseLimit::headerZone(plein, 0, taille.width(), taille.height(), hauteur, fermees));
    if (fermees)
        mouseMovedInLocation(pointeurDansLaFenetre());
}

void ZEVSpaceController::_mouseLimitInside()
{
    siMouseLimitInDelay_ = false;
    siMouseLimitInside_ = true;
    siMouseLimitOutside_ = false;
    setHeaderViewsBtnState(1);
    if (frontViewer_)
        frontViewer_->mouseLimitInside();
}

void ZEVSpaceController::_mouseLimitOutside()
{
    siMouseLimitOutDelay_ = false;
    siMouseLimitInside_ = false;
    siMouseLimitOutside_ = true;
    setHeaderViewsBtnState(0);
    if (frontViewer_)
        frontViewer_->mouseLimitOutside();
}

void ZEVSpaceController::_showHeaderViews()
{
    // The button shows whether the header views are open; a click toggles them.
    const int etat = headerViewsBtnState_;
    ZEVFrontViewerServices* front = frontViewer_.get();
    if (etat == 1 && !(front && front->siHeaderViewsOpening())) {
        if (front)
            front->closeAllHeaderViews();
        setHeaderViewsBtnState(0);
        siMouseLimitOutside_ = true;
        siMouseLimitOutDelay_ = false;
        siMouseLimitInDelay_ = true;
        siMouseLimitInside_ = false;
        Scheduler::shared().cancel(this, kMouseLimitOutside);
        mouseLimitDuration_ = kReouverture;
        return;
    }
    if (etat == 0 && (!front || front->siHeaderViewsClosed())) {
        setHeaderViewsBtnState(1);
        _mouseLimitInside();
        return;
    }
    setHeaderViewsBtnState(headerViewsBtnState_);
}

// ---------------------------------------------------------------------------------------------
// Activation

void ZEVSpaceController::activateTallomer()
{
    siActivateTallomer_ = true;
    // The window manager may refuse to hand over the focus (Wayland does): the window at least
    // asks for it.
    if (spaceWindow_) {
        spaceWindow_->raise();
        spaceWindow_->activateWindow();
    }
    Scheduler::shared().cancel(this, kActivateTallomerStart);
    Scheduler::shared().perform(this, kActivateTallomerStart, kActivation, [this] {
        if (frontViewer_)
            frontViewer_->activateTallomerStart();
    });
}

void ZEVSpaceController::activatePreviousApp() { siActivateTallomer_ = false; }

// ---------------------------------------------------------------------------------------------
// The go-to state

void ZEVSpaceController::setGoToTag(long tag)
{
    // The temporary kind set twice still gives back the kind it first replaced.
    if (tag == ZEVGoto::kTemporaryTag && goToTag_ != ZEVGoto::kTemporaryTag)
        goToTagToRestore_ = goToTag_;
    goToTag_ = tag;
    if (frontViewer_)
        frontViewer_->majGoToDurationButtons();
}

void ZEVSpaceController::restoreGoToTag()
{
    if (goToTag_ == ZEVGoto::kTemporaryTag)
        setGoToTag(goToTagToRestore_);
}

long ZEVSpaceController::durationTagForGoToTag(long tag) const
{
    auto it = goToDurationMap_.find(tag);
    return it == goToDurationMap_.end() ? 0 : it->second;
}

void ZEVSpaceController::setDurationTagForGoToTag(long durationTag, long tag) { goToDurationMap_[tag] = durationTag; }

void ZEVSpaceController::setDurationTag(long durationTag)
{
    goToDurationMap_[goToTag_] = durationTag;
    if (frontViewer_)
        frontViewer_->majGoToDurationButtons();
}

KELDate ZEVSpaceController::outTimeForGoToTime(KELDate t) const
{
    return ZEVGoto::outTimeForGoToTime(t, durationTag());
}

QString ZEVSpaceController::durationString()
{
    if (!frontViewer_ || !frontViewer_->siGoToPanelVisible())
        return {};
    return ZEVGoto::durationStringForTag(durationTag());
}

// ---------------------------------------------------------------------------------------------
// The window's delegate

void ZEVSpaceController::windowDidBecomeKey()
{
    mouseLimitPoint_ = pointeurDansLaFenetre();
    // A quasimode never outlives its key, whose release may have gone to another window.
    if (frontViewer_)
        frontViewer_->userRereadFlags(QGuiApplication::queryKeyboardModifiers());
}

void ZEVSpaceController::windowDidTakeFocus()
{
    if (frontViewer_)
        frontViewer_->userRereadFlags(QGuiApplication::queryKeyboardModifiers());
}

void ZEVSpaceController::windowDidResize()
{
    if (ZEVCursorDesk* d = deskForCurseur(actifCurseur_)) {
        d->displayItemViews();
        d->majBackImageSize();
    }
    Scheduler& s = Scheduler::shared();
    s.cancel(this, kMajInspectView);
    s.perform(
        this, kMajInspectView, kDelaiInspectView,
        [this] {
            if (ZEVChannelViewerServices* c = channelViewerServices())
                c->majInspectViewCommonModes();
        },
        true);
    regleDeLaMiniSpace();
}

void ZEVSpaceController::windowDidEndLiveResize()
{
    for (KELICurseur* c : {nowCurseur_, searchCurseur_})
        if (ZEVCursorDesk* d = deskForCurseur(c))
            d->displayItemViews();
    for (KELICurseur* c : {nowCurseur_, searchCurseur_})
        if (ZEVCursorDesk* d = deskForCurseur(c))
            d->majBackImage();
    resetMouseLimit();
    if (!siPleinEcran())
        majWindowDefault();
    host_.fullScreenDidChange();
}

void ZEVSpaceController::windowDidChangeScreen()
{
    // The window manager keeps a full-screen window filling the screen it went to.
    if (siPleinEcran())
        windowDidEndLiveResize();
}

void ZEVSpaceController::windowDidMove()
{
    if (!siPleinEcran())
        majWindowDefault();
}

void ZEVSpaceController::windowDidChangeFullScreenState()
{
    if (ZEVCursorDesk* d = deskForCurseur(actifCurseur_ == nowCurseur_ ? searchCurseur_ : nowCurseur_))
        d->displayItemViews();
    for (KELICurseur* c : {nowCurseur_, searchCurseur_})
        if (ZEVCursorDesk* d = deskForCurseur(c))
            d->majBackImage();
    if (spaceWindow_)
        spaceWindow_->setHeaderViewsButtonShown(!siPleinEcran());
    resetMouseLimit();
    mouseMovedInLocation(pointeurDansLaFenetre());
}

// ---------------------------------------------------------------------------------------------
// Front space and the title

void ZEVSpaceController::userToggleFrontSpace()
{
    if (siFrontSpace_)
        _setFrontSpace(false);
    else if (!siPleinEcran())
        _setFrontSpace(true);
}

void ZEVSpaceController::_setFrontSpace(bool front)
{
    if (front == siFrontSpace_)
        return;
    Scheduler::shared().cancel(this, kMajWindowTitle);
    if (frontViewer_)
        frontViewer_->setSiShowCadre(front);
    siFrontSpace_ = front;
    if (front) {
        if (spaceWindow_)
            spaceWindow_->setWindowTitle(QStringLiteral("Stay in front\u2026"));
        Scheduler::shared().perform(this, kMajWindowTitle, kTitreDevant, [this] { majWindowTitle(); });
    } else {
        majWindowTitle();
    }
    if (spaceWindow_)
        spaceWindow_->setSiFrontSpace(front);
}

void ZEVSpaceController::regleDeLaMiniSpace()
{
    if (!spaceWindow_)
        return;
    // A window at its narrowest floats in front; any wider one does not, whoever turned it on.
    siMiniSpace_ = !(spaceWindow_->width() > ZEVSpaceWindowFrame::kMinContentWidth);
    _setFrontSpace(siMiniSpace_);
}

const QCursor& ZEVSpaceController::SearchCursor(const QPixmap& image)
{
    // Kept for the life of the program; never destroyed, so that no pixmap outlives the
    // application object.
    static const QCursor* pointeur = new QCursor(image.isNull() ? QCursor(Qt::CrossCursor) : QCursor(image, 2, 3));
    return *pointeur;
}

// ---------------------------------------------------------------------------------------------
// Deleting an Object

void ZEVSpaceController::userDeleteItem(KELI* item) { userDeleteItem(item, nullptr); }

void ZEVSpaceController::userDeleteItem(KELI* item, const char* owner)
{
    // Only an Object is deleted here: a Channel, a colour's number or a relation is not.
    if (!item || item->relationInt() != KELRELATION_ITEM)
        return;
    KELICurseur* actif = actifCurseur_ ? actifCurseur_ : tlCurseur_;
    const KELId id = item->idInt();
    // Its Channel is found through its icon links: asked now, before they go, for its data.
    item->channelInt();
    struct Pas {
        KELId relation;
        bool enfant; // the Object is the child of the link
        const char* nom;
    };
    static const Pas pas[] = {
        {KELRELATION_ICON_VIEWER, true, "KELRELATION_ICON_VIEWER"},
        {KELRELATION_FILE_VIEWER, true, "KELRELATION_FILE_VIEWER"},
        {KELRELATION_PERSON_VIEWER, true, "KELRELATION_PERSON_VIEWER"},
        {KELRELATION_BACK_VIEWER, true, "KELRELATION_BACK_VIEWER"},
        {KELRELATION_COLOR_VIEWER, true, "KELRELATION_COLOR_VIEWER"},
        {KELRELATION_APP_VIEWER, true, "KELRELATION_APP_VIEWER"},
        {KELRELATION_ICON_ANGLE, false, "KELRELATION_ICON_ANGLE"},
        {KELRELATION_ICON_RATIO_X, false, "KELRELATION_ICON_RATIO_X"},
        {KELRELATION_ICON_RATIO_Y, false, "KELRELATION_ICON_RATIO_Y"},
        {KELRELATION_ICON_RATIO_S, false, "KELRELATION_ICON_RATIO_S"},
        {KELRELATION_ITEM_ICON, false, "KELRELATION_ITEM_ICON"},
        {KELRELATION_ITEM_TITLE, false, "KELRELATION_ITEM_TITLE"},
        {KELRELATION_ITEM_TYPE, false, "KELRELATION_ITEM_TYPE"},
        {KELRELATION_LINK_VIEWER, true, "KELRELATION_LINK_VIEWER E"},
        {KELRELATION_LINK_VIEWER, false, "KELRELATION_LINK_VIEWER P"},
    };
    for (const Pas& p : pas) {
        const KELIds ids = p.enfant ? KELServeurDeLiens::LiensNumDeLEnfantIntRelInt(id, p.relation)
                                    : KELServeurDeLiens::LiensNumDuParentIntRelInt(id, p.relation);
        if (!ids)
            continue;
        for (KELId lienId : *ids) {
            if (KELI* lien = KELServeurDeLiens::LienForInt(lienId, actif))
                KELServeurDeLiens::DegagerLien(lien, actif);
            else if (owner)
                logFormat("%s WARNING - %s LienForInt:%ld not found !", owner, p.nom, long(lienId));
            else
                logFormat("ZEVSpaceController WARNING - %s LienForInt %ld not found !", p.nom, long(lienId));
        }
    }
    for (KELICurseur* c : {nowCurseur_, searchCurseur_})
        if (ZEVCursorDesk* d = deskForCurseur(c))
            d->delConnexionsForParentInt(id);
    selections_->oublierItem(item);
    if (draggingItem_ == item)
        setDraggingItem(nullptr);
    host_.deleteItemData(item);
    KELServeurDeLiens::DegagerLien(item, actif);
    // Its views go with the drawn Links that end at it, whichever end: no other Object keeps a
    // line to it.
    for (KELICurseur* c : {nowCurseur_, searchCurseur_})
        if (ZEVCursorDesk* d = deskForCurseur(c))
            d->deleteItemViewForItem(item);
    // Last, once no line is left that would ask for one again: the Links model's objects of its
    // pairs, as parent and as child.
    if (ZEVLinkClassServices* links = linkClass()) {
        links->delConnexionsForParentInt(id);
        links->delConnexionsForEnfantInt(id);
    }
}

} // namespace tallomer
