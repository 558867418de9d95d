#include "space/ZEVSpaceController.h"

#include "engine/KELElements.h"
#include "engine/KELICurseur.h"
#include "engine/KELModels.h"
#include "engine/KELServeurDeLiens.h"
#include "runtime/Clock.h"
#include "runtime/Log.h"
#include "platform/files/RecordFile.h"
#include "space/ZEVConstants.h"
#include "space/ZEVSpaceClass.h"
#include "space/ZEVSpaceKeys.h"
#include "space/ZEVSpaceWindow.h"
#include "space/ZEVSpaceWindowFrame.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <cmath>

namespace tallomer {

namespace {

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

struct GotoKey {
    const char* key;
    bool fallback;
    bool ZEVSpaceController::*flag;
};

} // namespace

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
    : host_(host), defaults_(host.defaults()), tlCurseur_(tlCurseur)
{
}

ZEVSpaceController::~ZEVSpaceController()
{
    if (spaceWindow_)
        spaceWindow_->flushPendingFrame();
    for (DefaultsToken token : defaultsTokens_)
        defaults_.unobserve(token);
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
}

void ZEVSpaceController::construire(KELId spaceInt)
{
    host_.referencerSpaceController(this);
    siAddToHistory_ = false;

    nombreModel_ = lienDe<KELIModel>(KELMODEL_NOMBRE, tlCurseur_);
    motModel_ = lienDe<KELIModelMot>(KELMODEL_MOT, tlCurseur_);
    itemModel_ = lienDe<KELIModel>(KELMODEL_ITEM, tlCurseur_);
    identityModel_ = lienDe<KELIModel>(KELMODEL_IDENTITY, tlCurseur_);
    itemTitleRelation_ = lienDe<KELIElemRelation>(KELRELATION_ITEM_TITLE, tlCurseur_);
    colorRedRelation_ = lienDe<KELIElemRelation>(KELRELATION_COLOR_RED, tlCurseur_);
    colorGreenRelation_ = lienDe<KELIElemRelation>(KELRELATION_COLOR_GREEN, tlCurseur_);
    colorBlueRelation_ = lienDe<KELIElemRelation>(KELRELATION_COLOR_BLUE, tlCurseur_);
    defaultColorItem_ = KELServeurDeLiens::LienForInt(KELOBJECT_DEFAULT_COLOR, tlCurseur_);

    editedTitleTime_ = Clock::shared().now();
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
    siMiniSpace_ = !(spaceWindow_->width() > ZEVSpaceWindowFrame::kMinContentWidth);

    spaceWindow_->show();
    spaceWindow_->raise();
    spaceWindow_->activateWindow();
    host_.closeProgressPanel();
    KELServeurDeLiens::SetDelegate(nullptr);
    if (siFirstTime_)
        host_.showWelcome();
    siAddToHistory_ = true;
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
    return frontViewer_ ? frontViewer_->frontMode() : 0;
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
        {"ZEVShowLinksForSelectedIcons", "ZEVShowLinksForAllIcons", 0},
        {"ZEVShowLinksForSelectedTitles", "ZEVShowLinksForAllTitles", 1},
        {"ZEVShowLinksForSelectedFilters", "ZEVShowLinksForAllFilters", 2},
    };
    if (key == QLatin1String("ZEVShowObjectAnimation")) {
        options_.siShowAnimation = value;
    } else if (key == QLatin1String("ZEVHideObjectTitle")) {
        options_.siHideItemTitle = value;
        if (ZEVCursorDesk* desk = deskForCurseur(actifCurseur_))
            desk->displayDeskView();
    } else if (key == QLatin1String("ZEVShowLinksForAllNodes")) {
        if (mode == 3) {
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
    case A::HistoryPrevious:
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
    case A::SelectAll:
    case A::Copy:
    case A::Cut:
    case A::Paste:
        // The main menu's Edit items will send these; until it exists the keys reach the desk.
        if (ZEVCursorDesk* d = deskForCurseur(actifCurseur_))
            d->deskEditCommand(result.action == A::SelectAll ? ZEVDeskEditCommand::SelectAll
                               : result.action == A::Copy    ? ZEVDeskEditCommand::Copy
                               : result.action == A::Cut     ? ZEVDeskEditCommand::Cut
                                                             : ZEVDeskEditCommand::Paste);
        break;
    }
    return !result.passOn;
}

void ZEVSpaceController::flagsChanged(Qt::KeyboardModifiers modifiers, bool siAcceptsFlagsChanges)
{
    if (siAcceptsFlagsChanges && frontViewer_)
        frontViewer_->userChangeFlag(modifiers);
    if (!modifiers.testFlag(Qt::ControlModifier))
        setBrowsedSpaceBackImageInt(0);
    if (!modifiers.testFlag(Qt::MetaModifier)) {
        emptyPreviousImageItemIndexSet();
        emptyNextImageLienIndexSet();
    }
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
        if (siFirstTime_)
            n->majBackForFirstTime();
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

void ZEVSpaceController::addToHistory()
{
    if (siAddToHistory_)
        host_.addToHistory();
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
    return options_.siHideItemTitleFor(item && item == editedTitleItem_, selectedFilter);
}

void ZEVSpaceController::setSiFiltreANDOperation(bool andOperation)
{
    options_.siFiltreANDOperation = andOperation;
    for (KELICurseur* c : {nowCurseur_, searchCurseur_})
        if (ZEVCursorDesk* d = deskForCurseur(c))
            d->setSiFiltreANDOperation(andOperation);
    if (frontViewer_)
        frontViewer_->filterOperationDidChange();
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

long ZEVSpaceController::durationForGoToTag(long tag) const
{
    auto it = goToDurationMap_.find(tag);
    return it == goToDurationMap_.end() ? 0 : it->second;
}

// ---------------------------------------------------------------------------------------------
// Inspectors

ZEVEntityViewer* ZEVSpaceController::viewerForEntityClassName(const std::string& className) const
{
    auto it = entityViewerDico_.find(className);
    return it == entityViewerDico_.end() ? nullptr : it->second.get();
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

void ZEVSpaceController::openZevpURL(const QString& url, bool siHistory)
{
    // Saved desk views are read by the zevp links' own reader; until it exists the link is refused
    // with a line that says so, never silently.
    logFormat("ZEVSpaceController openZevpURL: %s is not opened: this version cannot read zevp links yet",
              qUtf8Printable(url));
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
}

void ZEVSpaceController::menuChannelUp() { pasDeChannel(-1); }

void ZEVSpaceController::menuChannelDown() { pasDeChannel(1); }

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

} // namespace tallomer
