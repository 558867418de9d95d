#include "services/ZEVFrontMode.h"
#include "platform/MenuText.h"
#include "space/ZEVSpaceController.h"

#include "engine/KELElements.h"
#include "engine/KELICurseur.h"
#include "engine/KELModels.h"
#include "engine/KELServeurDeLiens.h"
#include "services/ZEVInspectorServices.h"
#include "runtime/Clock.h"
#include "runtime/Log.h"
#include "platform/files/RecordFile.h"
#include "platform/sound/Sound.h"
#include "services/ZEVItemViewForDesks.h"
#include "space/ZEVConstants.h"
#include "space/ZEVSpaceClass.h"
#include "space/ZEVSpaceKeys.h"
#include "space/ZEVSpaceWindow.h"
#include "space/ZEVSpaceWindowFrame.h"
#include "space/ZEVZevpURL.h"
#include "widgets/ZEVButton.h"

#include <QAction>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QGraphicsItem>
#include <QIcon>
#include <QMenu>
#include <QPixmap>

#include <algorithm>
#include <cmath>
#include <iterator>

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

// The go-to buttons stay lit this long after the last Channel step.
constexpr double kGotoOffDelay = 0.2;

template <class T>
T* lienDe(KELId id, KELICc* curseur)
{
    return dynamic_cast<T*>(KELServeurDeLiens::LienForInt(id, curseur));
}

// The keys whose changes the Space follows, in the order they are observed.
const char* const kObservedKeys[] = {
    "ZEVShowObjectAnimation",        "ZEVHideObjectTitle",          "ZEVShowLinksForSelectedIcons",
    "ZEVShowLinksForSelectedTitles", "ZEVShowLinksForSelectedFilters", "ZEVShowLinksForAllIcons",
    "ZEVShowLinksForAllTitles",      "ZEVShowLinksForAllNodes",     "ZEVShowLinksForAllFilters",
};

// The narrowest visible range a place may ask for, as the ruler's own moves allow it.
constexpr double kEtendueMin = 60.0;

struct GotoKey {
    const char* key;
    bool fallback;
    bool ZEVSpaceController::*flag;
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

std::unique_ptr<ZEVSpaceController> ZEVSpaceController::initSpaceControllerWithSpaceInt(KELId spaceInt,
                                                                                      ZEVSpaceHost& host,
                                                                                      KELICurseur* tlCurseur)
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
    : host_(host), defaults_(host.defaults()), tlCurseur_(tlCurseur), buttonDrags_(std::make_unique<ButtonDrags>(*this))
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
    for (DefaultsToken token : defaultsTokens_)
        defaults_.unobserve(token);
    markHistoryViewer_.reset();
    // The ruler's timers stop first; the desks and inspectors may still reach the window and the
    // space model while they go.
    rulerViewer_.reset();
    deskDico_.clear();
    channelViewer_ = nullptr;
    entityViewerDico_.clear();
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
    siAddToHistory_ = false;
    // Before the desks: their item viewers read the filters as they are made.
    selectionContext_ = std::make_unique<SelectionContext>(*this);
    selections_ = std::make_unique<ZEVSelections>(*selectionContext_);

    nombreModel_ = lienDe<KELIModel>(KELMODEL_NOMBRE, tlCurseur_);
    motModel_ = lienDe<KELIModelMot>(KELMODEL_MOT, tlCurseur_);
    itemModel_ = lienDe<KELIModel>(KELMODEL_ITEM, tlCurseur_);
    identityModel_ = lienDe<KELIModel>(KELMODEL_IDENTITY, tlCurseur_);
    itemTitleRelation_ = lienDe<KELIElemRelation>(KELRELATION_ITEM_TITLE, tlCurseur_);
    colorRedRelation_ = lienDe<KELIElemRelation>(KELRELATION_COLOR_RED, tlCurseur_);
    colorGreenRelation_ = lienDe<KELIElemRelation>(KELRELATION_COLOR_GREEN, tlCurseur_);
    colorBlueRelation_ = lienDe<KELIElemRelation>(KELRELATION_COLOR_BLUE, tlCurseur_);
    defaultColorItem_ = KELServeurDeLiens::LienForInt(KELOBJECT_DEFAULT_COLOR, tlCurseur_);
    // Colour items are few and live for all time: their links are woken at the timeline cursor,
    // where every colour is looked up.
    for (KELIElemRelation* r : {colorRedRelation_, colorGreenRelation_, colorBlueRelation_})
        if (r)
            r->liens(tlCurseur_);

    draggingSessionInteger_ = -1;
    siMouseLimitOUT_ = true;

    lireDefaultFile();

    goToDurationMap_ = {{1, 20}, {2, 20}, {3, 20}, {4, 20}, {5, 20}, {100, 100}};
    goToTag_ = 1;

    lireLesDefaults();

    gotoObjects_.clear();
    browsedBackImageInt_ = 0;
    previousImageItemIndexSet_.clear();
    nextImageLienIndexSet_.clear();

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

    channelViewer_ = creerViewerForEntityClassName("ZEVChannelViewer", KELENTITY_CHANNEL_VIEWER);
    initDeskDicoWithChannelViewer(channelViewer_);
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
    siAddToHistory_ = true;
    addToHistory();
}

// ---------------------------------------------------------------------------------------------
// default.file

QString ZEVSpaceController::defaultFilePath() const
{
    return QDir(host_.storeFolder()).filePath(QStringLiteral("default.file"));
}

void ZEVSpaceController::lireDefaultFile()
{
    const QString path = defaultFilePath();
    std::optional<QCborMap> fields;
    if (QFileInfo::exists(path)) {
        RecordRead read = readRecordFile(path);
        if (read)
            fields = std::move(read.fields);
        else
            logFormat("ZEVSpaceController default.file: %s", read.error.toUtf8().constData());
    }
    auto channelOf = [&](const char* key) -> KELId {
        if (!fields)
            return 0;
        const auto v = recordInteger(*fields, QString::fromLatin1(key));
        return v && *v > 0 ? KELId(*v) : 0;
    };
    if (const KELId home = channelOf(kDefaultChannelKey))
        homeChannelInt_ = home;
    else if (!setHomeChannelInt(KELOBJECT_HOME_CHANNEL))
        homeChannelInt_ = KELOBJECT_HOME_CHANNEL;
    if (const KELId folder = channelOf(kDefaultChannelZevFolderKey))
        zevFolderChannelInt_ = folder;
    else if (!setZevFolderChannelInt(KELOBJECT_HOME_CHANNEL))
        zevFolderChannelInt_ = KELOBJECT_HOME_CHANNEL;
}

bool ZEVSpaceController::ecrireDefaultFile(const char* key, KELId channelInt)
{
    const QString path = defaultFilePath();
    QCborMap fields;
    if (QFileInfo::exists(path)) {
        if (RecordRead read = readRecordFile(path))
            fields = *read.fields;
    }
    fields.insert(QString::fromLatin1(key), qint64(channelInt));
    return bool(writeRecordFile(path, fields));
}

bool ZEVSpaceController::setHomeChannelInt(KELId channelInt)
{
    if (!ecrireDefaultFile(kDefaultChannelKey, channelInt))
        return false;
    homeChannelInt_ = channelInt;
    return true;
}

bool ZEVSpaceController::setZevFolderChannelInt(KELId channelInt)
{
    if (!ecrireDefaultFile(kDefaultChannelZevFolderKey, channelInt))
        return false;
    zevFolderChannelInt_ = channelInt;
    return true;
}

// ---------------------------------------------------------------------------------------------
// User defaults

void ZEVSpaceController::lireLesDefaults()
{
    options_.siShowAnimation = defaults_.values(QStringLiteral("ZEVShowObjectAnimation")).toBool();
    options_.siHideItemTitle = defaults_.values(QStringLiteral("ZEVHideObjectTitle")).toBool();
    auto observer = [this](const QString& key, const QVariant& value) { observeValueForKey(key, value.toBool()); };
    for (const char* key : kObservedKeys)
        defaultsTokens_.push_back(defaults_.observe(QString::fromLatin1(key), observer));

    const GotoKey gotoKeys[] = {
        {"ZEVGotoBackItemChanges", true, &ZEVSpaceController::siBackItemChanges_},
        {"ZEVGotoBackColorChanges", false, &ZEVSpaceController::siBackColorChanges_},
        {"ZEVGotoBackScaleChanges", false, &ZEVSpaceController::siBackScaleChanges_},
    };
    for (const GotoKey& g : gotoKeys) {
        const QString key = QString::fromLatin1(g.key);
        const QVariant v = defaults_.values(key);
        if (v.isValid()) {
            this->*g.flag = v.toBool();
        } else {
            this->*g.flag = g.fallback;
            defaults_.setValue(key, g.fallback);
        }
        defaultsTokens_.push_back(defaults_.observe(key, observer));
    }
}

int ZEVSpaceController::frontMode() const
{
    return frontViewer_ ? frontViewer_->frontMode() : ZEVFrontModeIcons;
}

void ZEVSpaceController::observeValueForKey(const QString& key, bool value)
{
    const int mode = frontMode();
    auto redraw = [this] {
        if (frontViewer_)
            frontViewer_->displayFrontView();
    };
    // Within one mode, links for the selection and links for all exclude each other.
    struct Pair {
        const char* selected;
        const char* all;
        int mode;
    };
    static const Pair pairs[] = {
        {"ZEVShowLinksForSelectedIcons", "ZEVShowLinksForAllIcons", ZEVFrontModeIcons},
        {"ZEVShowLinksForSelectedTitles", "ZEVShowLinksForAllTitles", ZEVFrontModeTitles},
        {"ZEVShowLinksForSelectedFilters", "ZEVShowLinksForAllFilters", ZEVFrontModeFilters},
    };
    if (key == QLatin1String("ZEVShowObjectAnimation")) {
        options_.siShowAnimation = value;
    } else if (key == QLatin1String("ZEVHideObjectTitle")) {
        options_.siHideItemTitle = value;
        if (ZEVCursorDesk* desk = deskForCurseur(actifCurseur_))
            desk->displayDeskView();
    } else if (key == QLatin1String("ZEVShowLinksForAllNodes")) {
        if (mode == ZEVFrontModeLinks) {
            options_.siShowLinksForAllObjects = value;
            options_.siShowLinksForSelections = !value;
            redraw();
        }
    } else if (key == QLatin1String("ZEVGotoBackItemChanges")) {
        siBackItemChanges_ = value;
    } else if (key == QLatin1String("ZEVGotoBackColorChanges")) {
        siBackColorChanges_ = value;
    } else if (key == QLatin1String("ZEVGotoBackScaleChanges")) {
        siBackScaleChanges_ = value;
    } else {
        for (const Pair& p : pairs) {
            const bool selected = key == QLatin1String(p.selected);
            if (!selected && key != QLatin1String(p.all))
                continue;
            if (value)
                defaults_.setValue(QString::fromLatin1(selected ? p.all : p.selected), false);
            if (mode == p.mode) {
                (selected ? options_.siShowLinksForSelections : options_.siShowLinksForAllObjects) = value;
                redraw();
            }
            break;
        }
    }
}

// ---------------------------------------------------------------------------------------------
// The window

QRectF ZEVSpaceController::windowDefaultRect()
{
    return ZEVSpaceWindowFrame::windowDefaultRect(defaults_.values(QStringLiteral("ZEVSpaceWindow")),
                                                  host_.mainScreenFrame());
}

void ZEVSpaceController::majWindowDefault()
{
    // A maximised window's frame is the manager's, not one to open with next time.
    if (!spaceWindow_ || spaceWindow_->siFullScreen() || spaceWindow_->isMaximized())
        return;
    const QRectF screen = host_.mainScreenFrame();
    const QVariant stored = ZEVSpaceWindowFrame::windowDefaultFor(spaceWindow_->frameYUp(screen), screen);
    if (stored.isValid())
        defaults_.setValue(QStringLiteral("ZEVSpaceWindow"), stored);
}

void ZEVSpaceController::majFullScreenDefault()
{
    if (spaceWindow_)
        defaults_.setValue(QStringLiteral("ZEVFullScreen"), spaceWindow_->siFullScreen());
}

void ZEVSpaceController::userQuit()
{
    // A move or resize still settling would otherwise be lost with the window.
    if (spaceWindow_)
        spaceWindow_->flushPendingFrame();
    host_.userQuit();
}

void ZEVSpaceController::creerLaFenetre()
{
    spaceWindow_ = std::make_unique<ZEVSpaceWindow>(this);
    spaceWindow_->setWindowTitle(QStringLiteral("Tallomer"));
    // The frame is set also under full screen: it is the one full screen gives back.
    spaceWindow_->setFrameYUp(windowDefaultRect(), host_.mainScreenFrame());
    if (defaults_.values(QStringLiteral("ZEVFullScreen")).toBool())
        spaceWindow_->setSiFullScreen(true);
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

bool ZEVSpaceController::spaceKeyPressed(int qtKey, Qt::KeyboardModifiers modifiers)
{
    ZEVSpaceKeyState state;
    state.searchActive = siSearchActif();
    state.shift = modifiers.testFlag(Qt::ShiftModifier);
    state.control = modifiers.testFlag(Qt::MetaModifier);
    state.command = modifiers.testFlag(Qt::ControlModifier);
    if (frontViewer_) {
        state.recallingSelectedItems = frontViewer_->siRecallingSelectedItems();
        state.recallingNowSelectedItems = frontViewer_->siRecallingNowSelectedItems();
        state.releasingSelectedItems = frontViewer_->siReleasingSelectedItems();
    }
    const ZEVSpaceKeyResult result = spaceKeyResult(qtKey, state);
    using A = ZEVSpaceKeyAction;
    ZEVFrontViewerServices* front = frontViewer_.get();
    switch (result.action) {
    case A::None:
        break;
    case A::RecallSearch:
        if (front)
            front->userRecallSearch();
        break;
    case A::RecallNow:
        if (front)
            front->userRecallNow();
        break;
    case A::StepBack:
        if (front)
            front->userStepBack();
        break;
    case A::ReleaseSearch:
        if (front)
            front->userReleaseSearch();
        break;
    case A::ReleaseNow:
        if (front)
            front->userReleaseNow();
        break;
    case A::HistoryNext:
        menuHistoryNext();
        break;
    case A::HistoryPrevious:
        menuHistoryPrevious();
        break;
    case A::ChannelUp:
        host_.menuAction(ZEVSpaceMenuAction::ChannelUp);
        break;
    case A::ChannelDown:
        host_.menuAction(ZEVSpaceMenuAction::ChannelDown);
        break;
    case A::SpaceCleanPrevious:
        host_.menuAction(ZEVSpaceMenuAction::SpaceCleanPrevious);
        break;
    case A::SpaceCleanNext:
        host_.menuAction(ZEVSpaceMenuAction::SpaceCleanNext);
        break;
    case A::GotoPrevious:
        host_.menuAction(ZEVSpaceMenuAction::GotoPrevious);
        break;
    case A::GotoNext:
        host_.menuAction(ZEVSpaceMenuAction::GotoNext);
        break;
    }
    return !result.passOn;
}

void ZEVSpaceController::flagsChanged(int key, Qt::KeyboardModifiers modifiers, bool siAcceptsFlagsChanges)
{
    if (siAcceptsFlagsChanges && frontViewer_)
        frontViewer_->userChangeFlag(key, modifiers);
    if (!modifiers.testFlag(Qt::ControlModifier))
        setBrowsedSpaceBackImageInt(0);
    if (!modifiers.testFlag(Qt::MetaModifier)) {
        emptyPreviousImageItemIndexSet();
        emptyNextImageLienIndexSet();
    }
}

void ZEVSpaceController::keyTyped()
{
    if (frontViewer_)
        frontViewer_->userTypedKey();
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

KELI* ZEVSpaceController::lienActifInitial()
{
    return rulerClass_ ? rulerClass_->lienActifInitial() : nullptr;
}

std::unique_ptr<ZEVCursorDesk> ZEVSpaceController::creerDesk(KELICurseur* curseur)
{
    if (!curseur)
        return nullptr;
    return host_.creerDesk(curseur, *this);
}

void ZEVSpaceController::initDeskDicoWithChannelViewer(ZEVEntityViewer* channelViewer)
{
    if (searchCurseur_)
        searchCurseur_->placeToi();
    std::unique_ptr<ZEVCursorDesk> search = creerDesk(searchCurseur_);
    ZEVCursorDesk* s = search.get();
    if (search)
        deskDico_[searchCurseur_->idInt()] = std::move(search);
    if (s) {
        s->referencerViewerParts();
        s->referencerModelParts();
        s->initialiser();
    }

    if (nowCurseur_) {
        nowCurseur_->placeToi();
        if (nowCurseur_->offsetDouble() != 0.0 || std::isnan(nowCurseur_->offsetDouble()))
            nowCurseur_->updateDeplacementCurseurNow();
    }
    std::unique_ptr<ZEVCursorDesk> now = creerDesk(nowCurseur_);
    ZEVCursorDesk* n = now.get();
    if (now)
        deskDico_[nowCurseur_->idInt()] = std::move(now);
    if (n)
        n->referencerViewerParts();

    if (s)
        s->initWallpaperWithChannelViewer(channelViewer);
    if (n) {
        siFirstTime_ = n->initWallpaperWithChannelViewer(channelViewer);
        if (siFirstTime_) {
            n->majBackForFirstTime();
            // The Search desk read its backgrounds before these were made, and listens only from
            // enclencherMaj on: it reads them again, or it would show none until its cursor crossed
            // their start.
            if (s)
                s->initWallpaperWithChannelViewer(channelViewer);
        }
        n->referencerModelParts();
        n->initialiser();
    }

    if (s)
        s->enclencherMaj();
    if (n)
        n->enclencherMaj();
}

ZEVCursorDesk* ZEVSpaceController::deskForCurseur(KELICurseur* curseur) const
{
    if (!curseur)
        return nullptr;
    auto it = deskDico_.find(curseur->idInt());
    return it == deskDico_.end() ? nullptr : it->second.get();
}

ZEVItemClass* ZEVSpaceController::itemClassForCurseur(KELICurseur* curseur) const
{
    ZEVCursorDesk* d = deskForCurseur(curseur);
    return d ? d->itemClass() : nullptr;
}

ZEVItemViewer* ZEVSpaceController::itemViewerForCurseur(KELICurseur* curseur) const
{
    ZEVCursorDesk* d = deskForCurseur(curseur);
    return d ? d->itemViewer() : nullptr;
}

ZEVDeskClass* ZEVSpaceController::deskClassForCurseur(KELICurseur* curseur) const
{
    ZEVCursorDesk* d = deskForCurseur(curseur);
    return d ? d->deskClass() : nullptr;
}

ZEVDeskViewer* ZEVSpaceController::deskViewerForCurseur(KELICurseur* curseur) const
{
    ZEVCursorDesk* d = deskForCurseur(curseur);
    return d ? d->deskViewer() : nullptr;
}

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
    for (auto& [name, viewer] : entityViewerDico_)
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

void ZEVSpaceController::relancerLesCurseurs()
{
    tlCurseur_->terminerDeplacementCurseur();
}

// ---------------------------------------------------------------------------------------------
// Display options and the drag session

bool ZEVSpaceController::siHideItemTitleForItem(KELI* item, bool selectedFilter) const
{
    return options_.siHideItemTitleFor(item && selections_ && selections_->isTitleEditedForItem(item), selectedFilter);
}

void ZEVSpaceController::setSiFiltreANDOperation(bool andOperation)
{
    options_.siFiltreANDOperation = andOperation;
    for (KELICurseur* c : {nowCurseur_, searchCurseur_})
        if (ZEVCursorDesk* d = deskForCurseur(c))
            d->setSiFiltreANDOperation(andOperation);
    if (frontViewer_)
        frontViewer_->filterOperationDidChange();
    // Both item viewers drop and take again every filter under the new rule.
    if (selections_ && !selections_->selectedFilterItems().empty()) {
        const std::vector<KELI*> filtres = selections_->selectedFilterItems();
        selections_->selectFilterForItems(filtres);
        if (ZEVCursorDesk* d = deskForCurseur(actifCurseur_))
            d->displayDeskView();
    }
}

void ZEVSpaceController::draggingSessionStartedWithInteger(long session)
{
    Scheduler::shared().cancel(this, "draggingSessionDidStop");
    draggingSessionInteger_ = session;
    siDraggingSession_ = true;
    siCancelDraggingSession_ = false;
}

void ZEVSpaceController::cancelDraggingSession()
{
    siDraggingSession_ = false;
    siCancelDraggingSession_ = true;
    if (spaceWindow_)
        spaceWindow_->spaceView()->resetCursorRects();
}

void ZEVSpaceController::draggingSessionDidStop()
{
    Scheduler::shared().cancel(this, "draggingSessionDidStop");
    draggingSessionInteger_ = -1;
    if (frontViewer_)
        frontViewer_->draggingSessionDidStop();
    siDraggingSession_ = false;
    siCancelDraggingSession_ = false;
    if (spaceWindow_)
        spaceWindow_->spaceView()->resetCursorRects();
}

void ZEVSpaceController::setDraggingItem(KELI* item)
{
    draggingItem_ = item;
    if (!item && frontViewer_)
        frontViewer_->displayFrontView();
}

// ---------------------------------------------------------------------------------------------
// Inspectors

ZEVEntityViewer* ZEVSpaceController::viewerForEntityClassName(const std::string& className) const
{
    auto it = entityViewerDico_.find(className);
    return it == entityViewerDico_.end() ? nullptr : it->second.get();
}

std::vector<ZEVEntityViewer*> ZEVSpaceController::entityViewerSet() const
{
    std::vector<ZEVEntityViewer*> out;
    for (const auto& [name, viewer] : entityViewerDico_)
        if (viewer)
            out.push_back(viewer.get());
    return out;
}

ZEVEntityViewer* ZEVSpaceController::creerViewerForEntityClassName(const std::string& className, KELId entityInt)
{
    if (ZEVEntityViewer* existing = viewerForEntityClassName(className))
        return existing;
    std::unique_ptr<ZEVEntityViewer> viewer = ZEVEntityViewerClasses::creer(className, *this, entityInt);
    if (!viewer)
        return nullptr;
    ZEVEntityViewer* raw = viewer.get();
    entityViewerDico_[className] = std::move(viewer);
    return raw;
}

ZEVEntityViewer* ZEVSpaceController::creerViewerForEntityInt(KELId entityInt)
{
    const std::string className =
        entityClass_ ? entityClass_->classNameForEntity(KELServeurDeLiens::LienForInt(entityInt, tlCurseur_))
                     : std::string();
    if (className.empty()) {
        logFormat("ZEVSpaceController creerViewerForEntityInt: no viewer class for entity %llu",
                  (unsigned long long)entityInt);
        return nullptr;
    }
    return creerViewerForEntityClassName(className, entityInt);
}

std::vector<KELId> ZEVSpaceController::openViewersForCurseur(KELICurseur* curseur, KELI* item)
{
    std::vector<KELId> opened;
    if (!curseur || !item)
        return opened;
    const std::pair<KELId, KELId> steps[] = {
        {KELRELATION_FILE_VIEWER, KELENTITY_FILE_VIEWER},
        {KELRELATION_PERSON_VIEWER, KELENTITY_PERSON_VIEWER},
        {KELRELATION_BACK_VIEWER, KELENTITY_BACK_VIEWER},
    };
    for (const auto& [rel, entity] : steps) {
        const KELIds ids = KELServeurDeLiens::LiensNumDeLEnfantIntRelInt(item->idInt(), rel);
        if (!ids)
            continue;
        for (KELId id : *ids) {
            KELI* lien = KELServeurDeLiens::LienForInt(id, curseur);
            // A link that can be woken is not yet one the cursor shows: a past-only listing
            // must not open the inspector.
            if (!lien || !curseur->siIncluLeLien(lien))
                continue;
            creerViewerForEntityInt(entity);
            host_.ouvrirEntityWithInt(entity);
            opened.push_back(entity);
            break;
        }
    }
    return opened;
}

std::vector<ZEVEntityViewer*> ZEVSpaceController::allEntityViewers() const
{
    std::vector<ZEVEntityViewer*> all;
    for (const auto& [name, viewer] : entityViewerDico_)
        all.push_back(viewer.get());
    return all;
}

void ZEVSpaceController::updateAllTableViews()
{
    for (const auto& [name, viewer] : entityViewerDico_)
        viewer->updateInspectView();
}

void ZEVSpaceController::volumeMountDidChange()
{
    for (KELICurseur* c : {nowCurseur_, searchCurseur_})
        if (ZEVCursorDesk* d = deskForCurseur(c))
            d->majImages();
    updateAllTableViews();
}

void ZEVSpaceController::updateItemImagesOfCurrentChannel()
{
    if (ZEVCursorDesk* d = deskForCurseur(actifCurseur_))
        d->majImages();
}

void ZEVSpaceController::addFilenames(const QStringList& paths)
{
    if (ZEVCursorDesk* d = deskForCurseur(nowCurseur_))
        d->addFilenames(paths);
    else
        logFormat("ZEVSpaceController addFilenames: no Now desk for %lld files", static_cast<long long>(paths.size()));
}

// ---------------------------------------------------------------------------------------------
// Channels

std::vector<KELI*> ZEVSpaceController::allIdentities()
{
    return identityModel_ ? identityModel_->elements(tlCurseur_) : std::vector<KELI*>();
}

KELI* ZEVSpaceController::channelForIdentityInt(KELId identityInt)
{
    if (!identityInt)
        return nullptr;
    KELI* lien = KELServeurDeLiens::LienForInt(identityInt, tlCurseur_);
    return lien && lien->relationInt() == KELRELATION_IDENTITY ? lien : nullptr;
}

KELI* ZEVSpaceController::newIdentityNamed(const std::string& name)
{
    if (!identityModel_ || !motModel_)
        return nullptr;
    // The Channel and its name: both or neither.
    KELServeurDeLiens::Acte acte(3, 1);
    if (!acte.complet())
        return nullptr;
    KELI* channel = KELServeurDeLiens::CreerLienRelInt(KELRELATION_IDENTITY, nullptr, identityModel_, KELDateToujours,
                                                       KELDateOuverte, tlCurseur_);
    if (!channel)
        return nullptr;
    KELI* mot = motModel_->ajouterLeMot(name, tlCurseur_);
    if (mot)
        KELServeurDeLiens::CreerLienRelInt(KELRELATION_IDENTITY_NAME, channel, mot, KELDateToujours, KELDateOuverte,
                                           tlCurseur_);
    return channel;
}

void ZEVSpaceController::renameIdentity(KELI* channel, const std::string& name)
{
    if (!channel || !motModel_)
        return;
    KELI* mot = motModel_->ajouterLeMot(name, tlCurseur_);
    if (!mot)
        return;
    if (auto* relation = lienDe<KELIElemRelation>(KELRELATION_IDENTITY_NAME, tlCurseur_)) {
        const auto* liens = relation->liensDuParent(channel, tlCurseur_);
        if (liens && !liens->empty())
            KELServeurDeLiens::EraseLien(liens->front(), tlCurseur_);
    }
    KELServeurDeLiens::CreerLienRelInt(KELRELATION_IDENTITY_NAME, channel, mot, KELDateToujours, KELDateOuverte,
                                       tlCurseur_);
}

void ZEVSpaceController::updateChannelWithIdentityInt(KELId identityInt)
{
    KELI* channel = channelForIdentityInt(identityInt);
    if (!channel) {
        logFormat("ZEVSpaceController updateChannelWithIdentityInt: %llu is no Channel",
                  (unsigned long long)identityInt);
        return;
    }
    if (spaceClass_)
        spaceClass_->setIdentity(channel);
    host_.setCurrentChannelInt(identityInt);
    for (KELICurseur* c : {nowCurseur_, searchCurseur_})
        if (ZEVCursorDesk* d = deskForCurseur(c))
            d->channelDidChangeWithIdentityInt(identityInt);
    if (frontViewer_)
        frontViewer_->channelDidChangeWithIdentityInt(identityInt);
    for (auto& [name, viewer] : entityViewerDico_)
        viewer->channelDidChangeWithIdentityInt(identityInt);
    if (frontViewer_)
        frontViewer_->selectionDidChange();
    addToHistory();
}

// The Channels list steps its rows; without it, the Space steps its own list of Channels.
void ZEVSpaceController::menuChannelUp()
{
    if (ZEVChannelViewerServices* c = channelViewerServices())
        c->menuChannelUp();
    else
        pasDeChannel(-1);
}

void ZEVSpaceController::menuChannelDown()
{
    if (ZEVChannelViewerServices* c = channelViewerServices())
        c->menuChannelDown();
    else
        pasDeChannel(1);
}

void ZEVSpaceController::pasDeChannel(int sens)
{
    const std::vector<KELI*> channels = allIdentities();
    const KELId courant = currentChannelInt();
    const auto it =
        std::find_if(channels.begin(), channels.end(), [courant](KELI* c) { return c && c->idInt() == courant; });
    if (it != channels.end()) {
        const std::ptrdiff_t i = (it - channels.begin()) + sens;
        if (i >= 0 && i < std::ptrdiff_t(channels.size()))
            updateChannelWithIdentityInt(channels[std::size_t(i)]->idInt());
    }
    Scheduler::shared().cancel(this, "setGotoOff");
    Scheduler::shared().perform(
        this, "setGotoOff", kGotoOffDelay,
        [this] {
            if (frontViewer_)
                frontViewer_->setGotoOff();
        },
        true);
}

void ZEVSpaceController::updateChannelWithIdentitySet()
{
    for (auto& [name, viewer] : entityViewerDico_)
        viewer->channelDidChangeWithIdentityInt(0);
}

KELId ZEVSpaceController::currentChannelInt() const
{
    return spaceClass_ ? spaceClass_->identityInt() : 0;
}

QColor ZEVSpaceController::colorForColorItem(KELI* colorItem)
{
    if (!colorItem)
        colorItem = defaultColorItem_;
    if (!colorItem)
        return Qt::black;
    int rgb[3] = {0, 0, 0};
    KELIElemRelation* relations[3] = {colorRedRelation_, colorGreenRelation_, colorBlueRelation_};
    for (int i = 0; i < 3; ++i) {
        if (!relations[i])
            return Qt::black;
        const auto* enfants = relations[i]->enfantsDuParent(colorItem, tlCurseur_);
        if (!enfants || enfants->empty())
            return Qt::black;
        const KELValue v = enfants->front()->base();
        const double* d = std::get_if<double>(&v);
        if (!d || !std::isfinite(*d))
            return Qt::black;
        rgb[i] = int(std::lround(std::clamp(*d, 0.0, 255.0)));
    }
    return QColor(rgb[0], rgb[1], rgb[2]);
}

// ---------------------------------------------------------------------------------------------
// The inspectors' models

ZEVIconClassServices* ZEVSpaceController::iconClass() const
{
    auto* v = dynamic_cast<ZEVIconViewerServices*>(viewerForEntityClassName("ZEVIconViewer"));
    return v ? v->iconClass() : nullptr;
}

ZEVLinkClassServices* ZEVSpaceController::linkClass() const
{
    auto* v = dynamic_cast<ZEVLinkViewerServices*>(viewerForEntityClassName("ZEVLinkViewer"));
    return v ? v->linkClass() : nullptr;
}

ZEVChannelClassServices* ZEVSpaceController::channelClass() const
{
    auto* v = dynamic_cast<ZEVChannelViewerServices*>(channelViewer_);
    return v ? v->channelClass() : nullptr;
}

// ---------------------------------------------------------------------------------------------
// Colour items

KELI* ZEVSpaceController::createColorItemWithColor(const QColor& color, const std::string& name)
{
    auto* nombres = dynamic_cast<KELIModelNombre*>(nombreModel_);
    KELIElemRelation* relations[3] = {colorRedRelation_, colorGreenRelation_, colorBlueRelation_};
    if (!nombres || !motModel_ || !itemModel_ || !itemTitleRelation_ || !relations[0] || !relations[1] ||
        !relations[2])
        return nullptr;
    // The three numbers, the name, the Object and its four links: all of them or none.
    KELServeurDeLiens::Acte acte(9, 1, 3);
    if (!acte.complet())
        return nullptr;
    const QColor rgb = color.toRgb();
    const double composantes[3] = {rgb.redF(), rgb.greenF(), rgb.blueF()};
    KELI* elements[3] = {};
    std::vector<KELI*> communs;
    bool premier = true;
    for (int i = 0; i < 3; ++i) {
        // To single precision, then halves away from zero: 0.5 gives 128.
        const double v = double(std::lround(static_cast<float>(composantes[i] * 255.0)));
        elements[i] = nombres->ajouterLeNombre(v, tlCurseur_);
        if (!elements[i])
            return nullptr;
        const std::vector<KELI*>* parents = relations[i]->parentsDeLEnfant(elements[i], tlCurseur_);
        std::vector<KELI*> items = parents ? *parents : std::vector<KELI*>();
        std::sort(items.begin(), items.end());
        if (premier) {
            communs = std::move(items);
            premier = false;
        } else {
            std::vector<KELI*> inter;
            std::set_intersection(communs.begin(), communs.end(), items.begin(), items.end(), std::back_inserter(inter));
            communs = std::move(inter);
        }
    }
    KELI* mot = motModel_->ajouterLeMot(name, tlCurseur_);
    if (!mot)
        return nullptr;
    if (!communs.empty())
        return *std::min_element(communs.begin(), communs.end(),
                                 [](const KELI* a, const KELI* b) { return a->idInt() < b->idInt(); });
    return newColorWithRouge(elements[0], elements[1], elements[2], mot);
}

KELI* ZEVSpaceController::newColorWithRouge(KELI* rouge, KELI* vert, KELI* bleu, KELI* name)
{
    if (!itemModel_ || !rouge || !vert || !bleu || !name)
        return nullptr;
    KELServeurDeLiens::Acte acte(5);
    if (!acte.complet())
        return nullptr;
    KELI* item = KELServeurDeLiens::CreerLienRelInt(KELRELATION_ITEM, nullptr, itemModel_, KELDateToujours,
                                                    KELDateOuverte, tlCurseur_);
    if (!item)
        return nullptr;
    const std::pair<KELId, KELI*> liens[] = {{KELRELATION_COLOR_RED, rouge},
                                             {KELRELATION_COLOR_GREEN, vert},
                                             {KELRELATION_COLOR_BLUE, bleu},
                                             {KELRELATION_ITEM_TITLE, name}};
    for (const auto& [rel, enfant] : liens)
        KELServeurDeLiens::CreerLienRelInt(rel, item, enfant, KELDateToujours, KELDateOuverte, tlCurseur_);
    return item;
}

std::string ZEVSpaceController::colorNameForColorItem(KELI* colorItem)
{
    const auto* noms = colorItem && itemTitleRelation_ ? itemTitleRelation_->enfantsDuParent(colorItem, tlCurseur_)
                                                       : nullptr;
    const KELValue v = noms && !noms->empty() ? noms->front()->base() : KELValue{};
    return std::holds_alternative<std::string>(v) ? std::get<std::string>(v) : std::string();
}

// ---------------------------------------------------------------------------------------------
// Presets

void ZEVSpaceController::userChangePresetWithStampInt(KELId stamp)
{
    ZEVRulerViewerServices* ruler = rulerViewer_.get();
    ZEVStampServices* presets = ruler ? ruler->stampClass() : nullptr;
    if (!presets) {
        Sound::shared().beep();
        return;
    }
    // A preset called while the ruler moves is let go without a word.
    if (presets->stateOfNowPresetWithStampInt(stamp) != 0) {
        if (!ruler->siAccepteDeplacement())
            return;
        bool bascule = false;
        if (siSearchActif()) {
            ruler->userChangeActifCurseur(nowCurseur_);
            bascule = true;
        }
        ruler->setClickPositionForDisplay(nowCurseur_, 4);
        const bool bouge = presets->callPresetWithStampInt(stamp, 0.0f);
        ruler->showPresetTitleWithTag(stamp, 0.7f);
        // Home pressed where Home already is: the home Channel comes back instead.
        if (stamp == ZEVSTAMP_HOME_TIME && !bascule && !bouge)
            if (ZEVChannelClassServices* channels = channelClass())
                channels->selectChannelInt(homeChannelInt_);
    } else if (presets->stateOfSearchPresetWithStampInt(stamp) != 0) {
        if (!ruler->siAccepteDeplacement())
            return;
        if (actifCurseur_ == nowCurseur_)
            ruler->userChangeActifCurseur(searchCurseur_);
        ruler->setClickPositionForDisplay(searchCurseur_, 4);
        presets->callPresetWithStampInt(stamp, 0.0f);
        ruler->showPresetTitleWithTag(stamp, 0.7f);
    } else if (presets->stateOfRulerPresetWithStampInt(stamp) != 0) {
        if (!ruler->siAccepteDeplacement())
            return;
        presets->callPresetWithStampInt(stamp, 1.0f);
        ruler->showPresetTitleWithTag(stamp, 1.0f);
    } else {
        Sound::shared().beep();
    }
}

// ---------------------------------------------------------------------------------------------
// The zevp place

QString ZEVSpaceController::zevpStringForItems(const std::vector<KELI*>* items, bool siSpace, double* con)
{
    KELIContexte* n = nowCurseur_ ? nowCurseur_->contexte() : nullptr;
    KELIContexte* s = searchCurseur_ ? searchCurseur_->contexte() : nullptr;
    if (!n || !s || !tlContexte_)
        return {};
    ZEVZevpCursors c;
    c.actifNow = actifCurseur_ != searchCurseur_;
    c.nNow = nowCurseur_->now();
    c.nIn = n->offsetIn();
    c.nOut = n->offsetOut();
    c.sNow = searchCurseur_->now();
    c.sIn = s->offsetIn();
    c.tNow = tlCurseur_->now();
    c.rIn = tlContexte_->offsetIn();
    c.rOut = tlContexte_->offsetOut();
    ZEVZevpPlace place;
    place.channelInt = currentChannelInt();
    place.siSpace = siSpace;
    place.mode = frontMode();
    if (items)
        for (KELI* o : *items)
            if (o)
                place.objects.push_back(o->idInt());
    ZEVZevpPlaceCursors(place, c);
    if (con)
        *con = place.con;
    return ZEVZevpString(place);
}

QImage ZEVSpaceController::zevpImageSiSpace(bool siSpace)
{
    if (!siSpace) {
        ZEVCursorDesk* d = deskForCurseur(actifCurseur_);
        return d ? d->deskImage() : QImage();
    }
    // The Now desk is drawn from its own scene, shown or not: no switch of desks is needed, but a
    // desk in the middle of a cursor move is not one to keep.
    if (!rulerViewer_ || !rulerViewer_->siAccepteDeplacement())
        return {};
    ZEVCursorDesk* d = deskForCurseur(nowCurseur_);
    return d ? d->deskImage() : QImage();
}

void ZEVSpaceController::copyZevpUrlForItems(const std::vector<KELI*>& items, bool siSpace)
{
    tlCurseur_->placeToi();
    if (actifCurseur_)
        actifCurseur_->placeToi();
    double con = 0;
    const QString url = zevpStringForItems(&items, siSpace, &con);
    if (url.isEmpty())
        return;
    const QImage image = zevpImageSiSpace(siSpace);
    ZEVChannelClassServices* channels = channelClass();
    const QString canal =
        channels ? QString::fromStdString(channels->nameOfCurrentChannel().value_or(std::string())) : QString();
    ZEVCursorDesk* desk = deskForCurseur(actifCurseur_);
    const QString fond = desk ? QString::fromStdString(desk->currentBackImageItemName()) : QString();
    QString title;
    if (siSpace) {
        title = QStringLiteral("%1 | %2").arg(canal, fond);
    } else {
        const QDateTime date = QDateTime::fromMSecsSinceEpoch(qint64(std::llround((con + kReferenceDateUnix) * 1000.0)));
        title = QStringLiteral("%1 %2 | %3").arg(date.toString(QStringLiteral("yyyy.MM.dd")), canal, fond);
    }
    host_.copyZevpPlace(url, title, currentChannelInt(), image);
}

void ZEVSpaceController::openZevpURL(const QString& url, bool siHistory)
{
    // One change of place, one mark: the Channel switch on the way records none.
    siAddToHistory_ = false;
    const ZEVZevpReading lu = ZEVZevpRead(url);
    QString refus = lu.refused ? lu.error : QString();
    ZEVChannelClassServices* channels = channelClass();
    if (refus.isEmpty() && !channels)
        refus = QStringLiteral("there is no list of Channels");
    KELI* channel = nullptr;
    if (refus.isEmpty()) {
        // Only a Channel of the Space may become current (and the drop folder's Channel).
        for (KELI* c : channels->timeLineItems())
            if (c->idInt() == lu.channelInt)
                channel = c;
        if (!channel)
            refus = QStringLiteral("%1 is not a Channel of the Space").arg(lu.channelInt);
    }
    if (refus.isEmpty() && !channels->selectChannel(channel))
        refus = QStringLiteral("Channel %1 cannot be selected").arg(lu.channelInt);
    if (refus.isEmpty() && !lu.hasQuery)
        refus = QStringLiteral("it names no place in Channel %1").arg(lu.channelInt);
    if (refus.isEmpty()) {
        appliquerLeCurseur(lu);
        appliquerLaSelection(lu);
    } else {
        logFormat("ZEVSpaceController openZevpURL: refused (%s): %s", qUtf8Printable(refus),
                  qUtf8Printable(url.left(200)));
    }
    siAddToHistory_ = !siHistory;
    addToHistory();
}

void ZEVSpaceController::appliquerLeCurseur(const ZEVZevpReading& lu)
{
    const bool search = lu.c == QLatin1String("search");
    if (!search && lu.c != QLatin1String("now"))
        return;
    ZEVRulerViewerServices* ruler = rulerViewer_.get();
    KELICurseur* curseur = search ? searchCurseur_ : nowCurseur_;
    KELIContexte* ctx = curseur ? curseur->contexte() : nullptr;
    if (!lu.cursor || !ruler || !ctx || !tlContexte_ || !ruler->siAccepteDeplacement()) {
        if (!lu.cursor)
            logFormat("ZEVSpaceController openZevpURL: the cursor part is not a place: it is left out");
        Sound::shared().beep();
        return;
    }
    const ZEVZevpReading::Cursor& p = *lu.cursor;
    const double tNow = tlCurseur_->now();
    const double cIn = ctx->offsetIn(), cOut = ctx->offsetOut();
    const double rIn = tlContexte_->offsetIn(), rOut = tlContexte_->offsetOut();
    ruler->userChangeActifCurseur(curseur);
    if (!ruler->userInitieDeplacementCurseur())
        return;
    double in = 0, out = 0;
    if (search) {
        const double d = p.con - tNow;
        curseur->decalerCurseur(p.con - curseur->now());
        // From far off (the edges of time) the shift keeps only whole seconds: the rest is made
        // up by a second, short one.
        if (const double reste = p.con - curseur->now(); reste != 0 && std::fabs(reste) < 1.0)
            curseur->decalerCurseur(reste);
        curseur->decalerContexteIn(p.coi - cIn);
        in = tlContexte_->offsetIn() + p.roi + d - rIn;
        out = tlContexte_->offsetOut() + p.roo + d - rOut;
    } else {
        curseur->decalerContexteIn(p.coi - cIn);
        curseur->decalerContexteOut(p.con - cOut);
        in = tlContexte_->offsetIn() + p.roi - rIn;
        out = tlContexte_->offsetOut() + p.roo - rOut;
    }
    // A visible range turned over, or narrower than the ruler ever makes one, is not one to show.
    if (std::isfinite(in) && std::isfinite(out) && out - in >= kEtendueMin)
        tlContexte_->setOffsetInOffsetOut(in, out);
    siAddToHistory_ = false;
    ruler->userTermineDeplacementCurseur();
}

void ZEVSpaceController::menuModePour(int mode)
{
    if (!frontViewer_ || mode == frontMode())
        return;
    switch (mode) {
    case ZEVFrontModeIcons:
        frontViewer_->menuModeIcon();
        break;
    case ZEVFrontModeTitles:
        frontViewer_->menuModeTitle();
        break;
    case ZEVFrontModeFilters:
        frontViewer_->menuModeFilter();
        break;
    case ZEVFrontModeLinks:
        frontViewer_->menuModeLink();
        break;
    default:
        break;
    }
    majWindowTitle();
}

void ZEVSpaceController::appliquerLaSelection(const ZEVZevpReading& lu)
{
    ZEVSelections& sel = *selections_;
    if (!lu.hasObjects) {
        sel.deselectAllTitles();
        sel.deselectAllIcons();
        sel.deselectAllNodes();
        sel.deselectAllFilters();
        if (ZEVNormalisedFrontMode(lu.mode) != ZEVFrontModeNone)
            menuModePour(lu.mode);
        return;
    }
    std::vector<KELI*> items;
    for (KELId id : lu.objects) {
        // Only Objects: any other link named here is skipped.
        KELI* o = KELServeurDeLiens::LienForInt(id, tlContexte_);
        if (!o || o->relationInt() != KELRELATION_ITEM)
            continue;
        o->setChannelInt(lu.channelInt);
        items.push_back(o);
    }
    int mode = lu.mode;
    switch (mode) {
    case ZEVFrontModeIcons:
        menuModePour(ZEVFrontModeIcons);
        sel.deselectAllFilters();
        sel.selectIconForItemSet(items, nullptr);
        break;
    case ZEVFrontModeTitles:
        menuModePour(ZEVFrontModeTitles);
        sel.deselectAllFilters();
        sel.selectTitleForItemSet(items, nullptr);
        break;
    case ZEVFrontModeFilters:
        menuModePour(ZEVFrontModeFilters);
        sel.deselectAllIcons();
        sel.selectFilterForItemSet(items, nullptr);
        break;
    case ZEVFrontModeLinks:
        menuModePour(ZEVFrontModeLinks);
        sel.deselectAllFilters();
        sel.selectNodeForItemSet(items, nullptr);
        break;
    default:
        mode = ZEVFrontModeIcons;
        menuModePour(ZEVFrontModeIcons);
        sel.selectIconForItemSet(items, nullptr);
        break;
    }
    if (ZEVCursorDesk* d = deskForCurseur(actifCurseur_))
        for (ZEVItemViewForDesks* v : d->visibleItemViewsForMode(mode))
            v->orderToFront();
}

// ---------------------------------------------------------------------------------------------
// The history

void ZEVSpaceController::addToHistory()
{
    // Every end of a cursor move and every change of place comes by here: the title follows.
    majWindowTitle();
    if (!siAddToHistory_ || !markHistoryViewer_)
        return;
    // A place of the user's own ends a stroll through the history where it stands.
    if (!initialZevpString_.isEmpty())
        menuHistoryStop();
    const KELId canal = currentChannelInt();
    const std::vector<KELI*> items = selections_->selectedItemsForChannelInt(canal);
    const QString url = zevpStringForItems(&items, actifCurseur_ == nowCurseur_);
    if (url.isEmpty())
        return;
    if (ZEVMarkObject* mark = markHistoryViewer_->markObjectForZevpString(url)) {
        markHistoryViewer_->selectMarkObject(mark);
        return;
    }
    ZEVCursorDesk* desk = deskForCurseur(actifCurseur_);
    QString title = desk ? QString::fromStdString(desk->currentBackImageItemName()) : QString();
    if (items.size() == 1) {
        ZEVIconClassServices* icons = iconClass();
        if (const auto nom = icons ? icons->itemTitleForItem(items.front()) : std::nullopt)
            title = QStringLiteral("%1 - %2").arg(title, QString::fromStdString(*nom));
    } else if (items.size() > 1) {
        const int mode = frontMode();
        const QString genre = mode == ZEVFrontModeLinks    ? QStringLiteral("Nodes")
                              : mode == ZEVFrontModeTitles ? QStringLiteral("Titles")
                              : mode == ZEVFrontModeFilters ? QStringLiteral("Filters")
                                          : QStringLiteral("Icons");
        title = QStringLiteral("%1 - %2 %3").arg(title).arg(items.size()).arg(genre);
    }
    if (title.size() >= 36) {
        // Never half of a character outside the basic plane.
        qsizetype n = 35;
        if (title.at(n - 1).isHighSurrogate())
            --n;
        title = title.left(n) + QChar(0x2026);
    }
    ZEVChannelClassServices* channels = channelClass();
    KELI* channel = channelForIdentityInt(canal);
    const QString nomCanal =
        channels && channel ? QString::fromStdString(channels->nameOfChannel(channel)) : QString();
    markHistoryViewer_->addMarkObject(std::make_unique<ZEVMarkObject>(url, QImage(), canal, nomCanal, title), url);
}

void ZEVSpaceController::addZevStoryToMenu(QMenu* menu, int startIndex, unsigned max)
{
    if (!menu)
        return;
    for (QAction* a : menu->actions())
        if (a->property("userGotoHistory").toBool()) {
            menu->removeAction(a);
            a->deleteLater();
        }
    const std::vector<ZEVMarkObject*> marks =
        markHistoryViewer_ ? markHistoryViewer_->markObjects() : std::vector<ZEVMarkObject*>();
    const std::size_t n = std::min<std::size_t>(std::size_t(max) + 1, marks.size());
    for (std::size_t k = n; k-- > 1;) {
        const ZEVMarkObject* mark = marks[k];
        auto* a = new QAction(menuText(QStringLiteral("%1 | %2").arg(mark->channelTitle(), mark->spaceTitle())), menu);
        if (!mark->markImage().isNull())
            a->setIcon(QIcon(QPixmap::fromImage(mark->markImage())));
        a->setData(qlonglong(k));
        a->setProperty("userGotoHistory", true);
        const long tag = long(k);
        QObject::connect(a, &QAction::triggered, menu, [this, tag] { userGotoHistory(tag); });
        const QList<QAction*> actions = menu->actions();
        menu->insertAction(startIndex >= 0 && startIndex < actions.size() ? actions.at(startIndex) : nullptr, a);
    }
    menuHistoryStart();
}

void ZEVSpaceController::menuHistoryStart()
{
    const std::vector<KELI*> items = selections_->selectedItemsForChannelInt(currentChannelInt());
    initialZevpString_ = zevpStringForItems(&items, actifCurseur_ == nowCurseur_);
}

void ZEVSpaceController::menuHistoryStop() { initialZevpString_.clear(); }

void ZEVSpaceController::menuHistoryPrevious()
{
    if (!markHistoryViewer_)
        return;
    // The stroll's panel runs modally within this call; the History menu that asked for it closes
    // meanwhile.
    const bool dejaEnCours = siStroll_;
    siStroll_ = true;
    if (!initialZevpString_.isEmpty())
        markHistoryViewer_->previous();
    else
        markHistoryViewer_->previousHistory();
    siStroll_ = dejaEnCours;
}

void ZEVSpaceController::menuHistoryNext()
{
    if (markHistoryViewer_)
        markHistoryViewer_->next();
}

template <class Fn>
void ZEVSpaceController::sansHistorique(Fn fn)
{
    siAddToHistory_ = false;
    fn();
    siAddToHistory_ = true;
}

void ZEVSpaceController::userGotoHistory(long tag)
{
    const std::vector<ZEVMarkObject*> marks =
        markHistoryViewer_ ? markHistoryViewer_->markObjects() : std::vector<ZEVMarkObject*>();
    if (tag < 0 || std::size_t(tag) >= marks.size())
        return;
    ZEVMarkObject* mark = marks[std::size_t(tag)];
    const QString url = mark->zevpString();
    markHistoryViewer_->selectMarkObject(mark);
    sansHistorique([&] { openZevpURL(url, true); });
}

void ZEVSpaceController::userScannHistory(long tag, bool outOfHistory)
{
    QString url;
    if (outOfHistory) {
        url = initialZevpString_;
    } else {
        const std::vector<ZEVMarkObject*> marks =
            markHistoryViewer_ ? markHistoryViewer_->markObjects() : std::vector<ZEVMarkObject*>();
        if (tag >= 0 && std::size_t(tag) < marks.size())
            url = marks[std::size_t(tag)]->zevpString();
    }
    if (url.isEmpty())
        return;
    sansHistorique([&] { openZevpURL(url, true); });
}

void ZEVSpaceController::userDeleteHistory()
{
    if (markHistoryViewer_)
        markHistoryViewer_->deleteHistory();
    addToHistory();
}

} // namespace tallomer
