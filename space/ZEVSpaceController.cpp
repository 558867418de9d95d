#include "space/ZEVSpaceController.h"

#include "engine/KELElements.h"
#include "engine/KELICurseur.h"
#include "engine/KELServeurDeLiens.h"
#include "services/ZEVFrontMode.h"
#include "services/ZEVInspectorServices.h"
#include "services/ZEVItemViewForDesks.h"
#include "runtime/Log.h"
#include "space/ZEVConstants.h"
#include "space/ZEVSpaceClass.h"
#include "space/ZEVSpaceWindow.h"
#include "widgets/ZEVButton.h"

#include <QCursor>
#include <QGraphicsItem>
#include <QPixmap>

namespace tallomer {

namespace {

// A button's drag notices, passed on to the controller. The button delays the end of a session
// under this object's key, so a session starting again here cancels that pending end.
class ButtonDrags final : public ZEVButtonSpaceDelegate {
public:
    explicit ButtonDrags(ZEVSpaceController& space) : space_(space) {}
    ~ButtonDrags() override
    {
        if (Scheduler::hasShared())
            Scheduler::shared().cancelAll(static_cast<ZEVButtonSpaceDelegate*>(this));
    }
    void draggingSessionStartedWithInteger(qint64 sequenceNumber) override
    {
        Scheduler::shared().cancel(static_cast<ZEVButtonSpaceDelegate*>(this), "draggingSessionDidStop");
        space_.draggingSessionStartedWithInteger(long(sequenceNumber));
    }
    void mouseMovedInLocation(QPointF location) override { space_.mouseMovedInLocation(location); }
    void draggingSessionDidStop() override
    {
        Scheduler::shared().cancel(static_cast<ZEVButtonSpaceDelegate*>(this), "draggingSessionDidStop");
        space_.draggingSessionDidStop();
    }

private:
    ZEVSpaceController& space_;
};

} // namespace

// What the selections ask of the Space, answered by the controller.
class ZEVSpaceController::SelectionContext final : public ZEVSelectionContext {
public:
    explicit SelectionContext(ZEVSpaceController& space) : s_(space) {}
    KELId currentChannelInt() override { return s_.currentChannelInt(); }
    int frontMode() override { return s_.frontMode(); }
    bool siSearchActif() override { return s_.siSearchActif(); }
    ZEVFrontViewerServices* frontViewer() override { return s_.frontViewer(); }
    ZEVIconClassServices* iconClass() override { return s_.iconClass(); }
    ZEVLinkClassServices* linkClass() override { return s_.linkClass(); }
    KELI* sameItem(KELI* item) override { return s_.host().sameItemForItem(item); }
    ZEVCursorDesk* actifDesk() override { return s_.deskForCurseur(s_.actifCurseur()); }
    std::vector<ZEVCursorDesk*> filterDesks() override
    {
        std::vector<ZEVCursorDesk*> out;
        for (KELICurseur* c : {s_.nowCurseur(), s_.searchCurseur()})
            if (ZEVCursorDesk* d = s_.deskForCurseur(c))
                out.push_back(d);
        return out;
    }
    void setFirstResponder(ZEVItemViewForDesks* view) override
    {
        ZEVSpaceWindow* w = s_.spaceWindow();
        if (w)
            w->spaceView()->deskCanvas()->setFocus();
        if (QGraphicsItem* g = view ? view->graphicsItem() : nullptr)
            g->setFocus();
        else if (w && w->spaceView()->deskCanvas()->scene())
            w->spaceView()->deskCanvas()->scene()->setFocusItem(nullptr);
    }
    bool siFirstResponderInTable() override
    {
        for (ZEVEntityViewer* v : s_.entityViewerSet())
            if (v->siFirstResponder())
                return true;
        return false;
    }

private:
    ZEVSpaceController& s_;
};

std::unique_ptr<ZEVSpaceController>
ZEVSpaceController::initSpaceControllerWithSpaceInt(KELId spaceInt, ZEVSpaceHost& host, KELICurseur* tlCurseur)
{
    if (!tlCurseur || !KELServeurDeLiens::LienForInt(spaceInt, tlCurseur)) {
        logFormat("ZEVSpaceController initSpaceControllerWithSpaceInt: no space %llu", (unsigned long long)spaceInt);
        return nullptr;
    }
    std::unique_ptr<ZEVSpaceController> controller(new ZEVSpaceController(spaceInt, host, tlCurseur));
    controller->construire(spaceInt);
    return controller;
}

ZEVSpaceController::ZEVSpaceController(KELId spaceInt, ZEVSpaceHost& host, KELICurseur* tlCurseur)
    : host_(host), defaults_(host.defaults()), tlCurseur_(tlCurseur), desks_(std::make_unique<ZEVCursorDesks>(*this)),
      inspectors_(std::make_unique<ZEVInspectorViewers>(*this)), channels_(std::make_unique<ZEVSpaceChannels>(*this)),
      colors_(std::make_unique<ZEVColorItems>(*this)), display_(std::make_unique<ZEVSpaceDisplayOptions>(*this)),
      drag_(std::make_unique<ZEVDragSession>(*this)), pointerLimit_(std::make_unique<ZEVPointerLimit>(*this)),
      goto_(std::make_unique<ZEVGotoState>(*this)), walks_(std::make_unique<ZEVSpaceWalks>(*this)),
      menus_(std::make_unique<ZEVSpacesMenus>(*this)), place_(std::make_unique<ZEVSpacePlace>(*this)),
      history_(std::make_unique<ZEVSpaceHistory>(*this)),
      windowDelegate_(std::make_unique<ZEVSpaceWindowDelegate>(*this)),
      frontSpace_(std::make_unique<ZEVFrontSpace>(*this)), title_(std::make_unique<ZEVSpaceTitle>(*this)),
      keyboard_(std::make_unique<ZEVSpaceKeyboard>(*this)), eraser_(std::make_unique<ZEVItemEraser>(*this)),
      presets_(std::make_unique<ZEVRulerPresets>(*this)), buttonDrags_(std::make_unique<ButtonDrags>(*this))
{
    // One controller per program: the buttons of its window tell it of the drags over them.
    ZEVButton::setSpaceControllerFinder([this](QWidget* window) -> ZEVButtonSpaceDelegate* {
        return spaceWindow_ && window == spaceWindow_.get() ? buttonDrags_.get() : nullptr;
    });
}

ZEVSpaceController::~ZEVSpaceController()
{
    ZEVButton::setSpaceControllerFinder({});
    if (spaceWindow_)
        spaceWindow_->flushPendingFrame();
    display_->oublierLesDefaults();
    markHistoryViewer_.reset();
    // The ruler's timers stop first; the desks and inspectors may still reach the window and the
    // space model while they go.
    rulerViewer_.reset();
    desks_->clear();
    inspectors_->clear();
    frontViewer_.reset();
    contextViewer_.reset();
    rulerClass_.reset();
    spaceClass_.reset();
    spaceWindow_.reset();
    selections_.reset();
}

void ZEVSpaceController::construire(KELId spaceInt)
{
    host_.referencerSpaceController(this);
    history_->setSiAddToHistory(false);
    // Before the desks: their item viewers read the filters as they are made.
    selectionContext_ = std::make_unique<SelectionContext>(*this);
    selections_ = std::make_unique<ZEVSelections>(*selectionContext_);

    colors_->lireLesModeles();
    channels_->lireLesModeles();
    channels_->lireDefaultFile();
    goto_->reset();
    display_->lireLesDefaults();

    host_.referencerItemDataSpace(this);

    creerLaFenetre();
    deskGeometry_ = ZEVDeskGeometry();
    updateSpaceRatio();

    spaceClass_ = std::make_unique<ZEVSpaceClass>(spaceInt, *this);
    rulerClass_ = host_.creerRulerClass(*this);
    entityClass_ = std::make_unique<ZEVEntityClass>(tlCurseur_);

    lireLesCurseurs();

    if (rulerClass_)
        rulerViewer_ = host_.creerRulerViewer(*rulerClass_, *this);
    contextViewer_ = host_.creerContextViewer(*this);
    frontViewer_ = host_.creerFrontViewer(*this);
    if (rulerClass_)
        rulerClass_->referencerRulerViewer(rulerViewer_.get());
    if (rulerViewer_)
        rulerViewer_->referencerFrontViewer(frontViewer_.get());

    ZEVEntityViewer* channelViewer = creerViewerForEntityClassName("ZEVChannelViewer", KELENTITY_CHANNEL_VIEWER);
    inspectors_->setChannelViewer(channelViewer);
    siFirstTime_ = desks_->initDeskDicoWithChannelViewer(channelViewer);
    if (actifCurseur_) {
        changeDeskForActifCurseur(actifCurseur_);
        if (rulerViewer_)
            rulerViewer_->actifCurseurDidChangeForCurseur(actifCurseur_);
    }
    enclencherMaj();

    creerViewerForEntityClassName("ZEVLinkViewer", KELENTITY_LINK_VIEWER);
    creerViewerForEntityClassName("ZEVIconViewer", KELENTITY_ICON_VIEWER);

    host_.startDropFolderWatch(*this);

    spaceWindow_->spaceView()->deskCanvas()->setFocus();
    regleDeLaMiniSpace();

    host_.spaceWindowWillShow(*this);
    if (defaults_.values(QStringLiteral("ZEVFullScreen")).toBool())
        spaceWindow_->setSiFullScreen(true);
    spaceWindow_->show();
    spaceWindow_->raise();
    spaceWindow_->activateWindow();
    spaceWindow_->setHeaderViewsButtonShown(!siPleinEcran());
    resetMouseLimit();
    majWindowTitle();
    host_.closeProgressPanel();
    KELServeurDeLiens::SetDelegate(nullptr);
    if (siFirstTime_)
        host_.showWelcome();
    markHistoryViewer_ = host_.creerMarkHistoryViewer(*this);
    history_->setSiAddToHistory(true);
    addToHistory();
}

int ZEVSpaceController::frontMode() const { return frontViewer_ ? frontViewer_->frontMode() : ZEVFrontModeIcons; }

void ZEVSpaceController::creerLaFenetre()
{
    spaceWindow_ = std::make_unique<ZEVSpaceWindow>(this);
    spaceWindow_->setWindowTitle(QStringLiteral("Tallomer"));
    // The frame is set also under full screen: it is the one full screen gives back. Full screen
    // itself waits until the menu bar has come (construire), or the frame given back would lack
    // the bar and the desk lose its height at every start.
    spaceWindow_->setFrameYUp(windowDefaultRect(), host_.mainScreenFrame());
}

QRectF ZEVSpaceController::deskViewFrame() const
{
    if (!spaceWindow_)
        return {};
    const QSize size = spaceWindow_->spaceView()->size();
    return QRectF(0, 0, size.width(), size.height());
}

void ZEVSpaceController::updateSpaceRatio()
{
    if (!spaceWindow_)
        return;
    const QSize size = spaceWindow_->spaceView()->size();
    deskGeometry_.updateSpaceRatio(size.width(), size.height());
}

// ---------------------------------------------------------------------------------------------
// Cursors and desks

void ZEVSpaceController::lireLesCurseurs()
{
    if (!rulerClass_)
        return;
    nowCurseur_ = rulerClass_->nowCurseurInitial();
    searchCurseur_ = rulerClass_->searchCurseurInitial();
    actifCurseur_ = rulerClass_->actifCurseurInitial();
    // A record naming no cursor, or one that has no desk, opens on the Now desk.
    if (!actifCurseur_ || (actifCurseur_ != nowCurseur_ && actifCurseur_ != searchCurseur_))
        actifCurseur_ = nowCurseur_;
    tlContexte_ = rulerClass_->tlContexte();
}

KELI* ZEVSpaceController::lienActifInitial() { return rulerClass_ ? rulerClass_->lienActifInitial() : nullptr; }

void ZEVSpaceController::changeDeskForActifCurseur(KELICurseur* curseur)
{
    if (!curseur)
        return;
    ZEVCursorDesk* desk = deskForCurseur(curseur);
    actifCurseur_ = curseur;
    const bool siNow = curseur == nowCurseur_;
    host_.setActifCurseurColorSiNow(siNow);
    majWindowTitle();
    if (desk) {
        desk->placerDevant();
        if (spaceWindow_)
            spaceWindow_->placerDevantDeskView(desk->deskScene());
    }
    for (ZEVEntityViewer* viewer : inspectors_->allEntityViewers())
        viewer->actifCurseurDidChange();
    if (frontViewer_)
        frontViewer_->actifCurseurDidChangeForCurseur(curseur);
    host_.actifCurseurDidChange();
    if (siNow) {
        setBrowsedSpaceBackImageInt(0);
        emptyPreviousImageItemIndexSet();
        emptyNextImageLienIndexSet();
    }
    if (spaceWindow_)
        spaceWindow_->spaceView()->resetCursorRects();
}

void ZEVSpaceController::updateActifCurseur(KELICurseur* curseur)
{
    KELI* lien = lienActifInitial();
    if (!curseur || !curseur->elemCurseur())
        return;
    if (lien && lien->enfantInt() == curseur->elemCurseur()->idInt())
        return;
    KELI* ruler = spaceClass_ ? spaceClass_->ruler() : nullptr;
    if (!ruler)
        return;
    const KELDate t = tlCurseur_->now();
    const KELDate out = lien ? lien->outDate() : KELDateOuverte;
    KELServeurDeLiens::CreerLienRelInt(KELRELATION_RULER_CURSEUR, ruler, curseur->elemCurseur(), t, out, tlCurseur_);
    if (lien)
        lien->placeOutDate(t, tlCurseur_);
}

void ZEVSpaceController::enclencherMaj()
{
    if (spaceClass_)
        spaceClass_->enclencherMaj();
}

void ZEVSpaceController::relancerLesCurseurs() { tlCurseur_->terminerDeplacementCurseur(); }

KELId ZEVSpaceController::currentChannelInt() const { return spaceClass_ ? spaceClass_->identityInt() : 0; }

// ---------------------------------------------------------------------------------------------
// The window

bool ZEVSpaceController::siPleinEcran() const { return spaceWindow_ && spaceWindow_->siFullScreen(); }

QPointF ZEVSpaceController::pointeurDansLaFenetre() const
{
    if (!spaceWindow_)
        return {};
    const QPoint p = spaceWindow_->mapFromGlobal(QCursor::pos());
    return QPointF(p.x(), spaceWindow_->height() - p.y());
}

const QCursor& ZEVSpaceController::SearchCursor(const QPixmap& image)
{
    // Kept for the life of the program; never destroyed, so that no pixmap outlives the
    // application object.
    static const QCursor* pointeur = new QCursor(image.isNull() ? QCursor(Qt::CrossCursor) : QCursor(image, 2, 3));
    return *pointeur;
}

} // namespace tallomer
