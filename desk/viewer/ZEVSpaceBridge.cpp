#include "desk/viewer/ZEVSpaceBridge.h"

#include "desk/data/ZEVItemData.h"
#include "desk/model/ZEVDeskIds.h"
#include "desk/model/ZEVItemClass.h"
#include "desk/pasteboard/ZEVPasteboard.h"
#include "desk/view/ZEVDeskView.h"
#include "desk/viewer/ZEVDeskDownloads.h"
#include "desk/viewer/ZEVDeskViewer.h"
#include "engine/KELICurseur.h"
#include "engine/KELLien.h"
#include "engine/KELServeurDeLiens.h"
#include "services/ZEVFileJobs.h"
#include "services/ZEVFrontViewerServices.h"
#include "services/ZEVInspectorServices.h"
#include "services/ZEVPersonClassServices.h"
#include "space/ZEVConstants.h"
#include "platform/Events.h"
#include "platform/sound/Sound.h"
#include "runtime/Log.h"
#include "runtime/Scheduler.h"
#include "space/ZEVBackObject.h"
#include "space/ZEVSpaceParts.h"
#include "space/ZEVSpaceClass.h"
#include "space/ZEVSpaceController.h"
#include "space/ZEVSpaceWindow.h"

#include <QApplication>
#include <QCursor>
#include <QGraphicsSceneWheelEvent>
#include <QNativeGestureEvent>
#include <QResizeEvent>
#include <QUrl>

#include <algorithm>

namespace tallomer {

// ---------------------------------------------------------------------------------------------
// The space controller

namespace {

// Tells its owner the new size of the widget it watches.
class Suiveur final : public QObject {
public:
    explicit Suiveur(std::function<void(const QSize&)> fn) : fn_(std::move(fn)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Resize)
            fn_(static_cast<QResizeEvent*>(event)->size());
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void(const QSize&)> fn_;
};

constexpr char kMajBackImage[] = "majBackImage";
constexpr char kUpdateAllTableViews[] = "updateAllTableViews";
// The inspectors' tables refresh once a run of requests has stopped this long.
constexpr double kTableViewsSettled = 0.2;
// The picture is rendered again once the size has held this long.
constexpr double kResizeSettled = 0.3;

} // namespace

ZEVSpaceBridge::ZEVSpaceBridge(ZEVSpaceController& space) : space_(space) {}

ZEVSpaceBridge::~ZEVSpaceBridge() = default;

void ZEVSpaceBridge::suivreLeCanevas()
{
    ZEVSpaceWindow* w = space_.spaceWindow();
    QWidget* viewport = w ? w->spaceView()->deskCanvas()->viewport() : nullptr;
    if (!viewport || suiveur_)
        return;
    suiveur_ = std::make_unique<Suiveur>([this](const QSize& s) { canevasRedimensionne(s); });
    viewport->installEventFilter(suiveur_.get());
    canevasRedimensionne(viewport->size());
}

std::vector<ZEVDeskViewer*> ZEVSpaceBridge::desks()
{
    std::vector<ZEVDeskViewer*> out;
    for (KELICurseur* c : {space_.searchCurseur(), space_.nowCurseur()})
        if (ZEVDeskViewer* d = c ? space_.deskViewerForCurseur(c) : nullptr)
            out.push_back(d);
    return out;
}

void ZEVSpaceBridge::canevasRedimensionne(const QSize& size)
{
    if (size.width() <= 0 || size.height() <= 0)
        return;
    for (ZEVDeskViewer* d : desks())
        d->setDeskViewFrame(QRectF(0, 0, size.width(), size.height()));
    Scheduler::shared().cancel(this, kMajBackImage);
    Scheduler::shared().perform(this, kMajBackImage, kResizeSettled, [this] {
        for (ZEVDeskViewer* d : desks())
            d->majBackImage();
    });
}

KELICurseur* ZEVSpaceBridge::tlCurseur() { return space_.tlCurseur(); }

KELDate ZEVSpaceBridge::spaceOutTimeForCurseur(KELICurseur* curseur)
{
    ZEVDeskViewer* desk = curseur ? space_.deskViewerForCurseur(curseur) : nullptr;
    KELI* back = desk ? desk->currentBackItem() : nullptr;
    return back ? back->outDate() : KELDateOuverte;
}

KELDate ZEVSpaceBridge::spaceOutTimeForGoToTime(KELDate t, KELICurseur* curseur)
{
    return std::min(outTimeForGoToTime(t), spaceOutTimeForCurseur(curseur));
}

bool ZEVSpaceBridge::siGoToMode() { return space_.siGoToMode(); }
KELDate ZEVSpaceBridge::outTimeForGoToTime(KELDate t) { return space_.outTimeForGoToTime(t); }

void ZEVSpaceBridge::beep() { Sound::shared().beep(); }

void ZEVSpaceBridge::userDeleteItem(KELI* item) { space_.userDeleteItem(item); }
// The window title names the background.
void ZEVSpaceBridge::channelsSpaceDidChange() { space_.majWindowTitle(); }

void ZEVSpaceBridge::selectChannelInt(KELId channel)
{
    if (ZEVChannelClassServices* channels = space_.channelClass())
        channels->selectChannelInt(channel);
}
void ZEVSpaceBridge::mouseMovedInLocation(const QPointF& p) { space_.mouseMovedInLocation(p); }
void ZEVSpaceBridge::activateTallomer() { space_.activateTallomer(); }
void ZEVSpaceBridge::activatePreviousApp() { space_.activatePreviousApp(); }

// The ruler reads the pointer in the window's coordinates.
void ZEVSpaceBridge::rulerScrollWheel(QGraphicsSceneWheelEvent* event)
{
    ZEVRulerViewerServices* ruler = space_.rulerViewer();
    if (!ruler || !event)
        return;
    ZEVSpaceWindow* w = space_.spaceWindow();
    const QPointF fenetre = w ? w->mapFromGlobal(QPointF(event->screenPos())) : event->scenePos();
    QWheelEvent e = events::wheelEventFromScene(*event, fenetre);
    ruler->scrollWheelWithEvent(&e);
}

void ZEVSpaceBridge::rulerMagnify(QNativeGestureEvent* event)
{
    ZEVRulerViewerServices* ruler = space_.rulerViewer();
    if (!ruler || !event)
        return;
    const auto e = events::nativeGestureAt(*event, event->scenePosition(), event->scenePosition());
    ruler->magnify(e.get());
}

void ZEVSpaceBridge::playSystemSound(const std::string& name) { Sound::shared().play(QString::fromStdString(name)); }

bool ZEVSpaceBridge::siApplicationActive()
{
    return QGuiApplication::applicationState() == Qt::ApplicationActive;
}

bool ZEVSpaceBridge::siGoToPanelVisible()
{
    ZEVFrontViewerServices* f = space_.frontViewer();
    return f && f->siGoToPanelVisible();
}

const KELSharedResources& ZEVSpaceBridge::sharedResources() { return space_.host().sharedResources(); }

bool ZEVSpaceBridge::siHideItemTitle(KELI* item)
{
    return space_.siHideItemTitleForItem(item, isFilterSelectedForItem(item));
}

bool ZEVSpaceBridge::siShowLinks() { return space_.displayOptions().siShowLinks(); }
bool ZEVSpaceBridge::siShowLinksForSelections() { return space_.displayOptions().siShowLinksForSelections; }
bool ZEVSpaceBridge::siShowAnimation() { return space_.displayOptions().siShowAnimation; }
bool ZEVSpaceBridge::siFiltreANDOperation() { return space_.displayOptions().siFiltreANDOperation; }
KELI* ZEVSpaceBridge::draggingItem() { return space_.draggingItem(); }
void ZEVSpaceBridge::editTitleForItem(KELI* item) { space_.selections().editTitleForItem(item); }
bool ZEVSpaceBridge::isTitleEditedForItem(KELI* item) { return space_.selections().isTitleEditedForItem(item); }
KELI* ZEVSpaceBridge::defaultColorItem() { return space_.defaultColorItem(); }

// ---------------------------------------------------------------------------------------------
// The selections, all kept by the space controller

bool ZEVSpaceBridge::isIconSelectedForItem(KELI* item) { return space_.selections().isIconSelectedForItem(item); }
bool ZEVSpaceBridge::isTitleSelectedForItem(KELI* item) { return space_.selections().isTitleSelectedForItem(item); }
bool ZEVSpaceBridge::isFilterSelectedForItem(KELI* item) { return space_.selections().isFilterSelectedForItem(item); }
bool ZEVSpaceBridge::isNodeSelectedForItem(KELI* item) { return space_.selections().isNodeSelectedForItem(item); }
std::vector<KELI*> ZEVSpaceBridge::selectedIconItems() { return space_.selections().selectedIconItems(); }
std::vector<KELI*> ZEVSpaceBridge::selectedTitleItems() { return space_.selections().selectedTitleItems(); }
std::vector<KELI*> ZEVSpaceBridge::selectedFilterItems() { return space_.selections().selectedFilterItems(); }
std::vector<KELI*> ZEVSpaceBridge::selectedNodeItems() { return space_.selections().selectedNodeItemSet(); }
void ZEVSpaceBridge::selectIconForItem(KELI* item) { space_.selections().selectIconForItem(item); }
void ZEVSpaceBridge::selectTitleForItem(KELI* item) { space_.selections().selectTitleForItem(item); }
void ZEVSpaceBridge::selectFilterForItem(KELI* item) { space_.selections().selectFilterForItem(item); }
void ZEVSpaceBridge::selectNodeForItem(KELI* item) { space_.selections().selectNodeForItem(item); }
void ZEVSpaceBridge::multiSelectIconForItem(KELI* item) { space_.selections().multiSelectIconForItem(item); }
void ZEVSpaceBridge::multiSelectTitleForItem(KELI* item) { space_.selections().multiSelectTitleForItem(item); }
void ZEVSpaceBridge::multiSelectNodeForItem(KELI* item) { space_.selections().multiSelectNodeForItem(item); }
void ZEVSpaceBridge::deselectIconForItem(KELI* item) { space_.selections().deselectIconForItem(item); }
void ZEVSpaceBridge::deselectTitleForItem(KELI* item) { space_.selections().deselectTitleForItem(item); }
void ZEVSpaceBridge::deselectNodeForItem(KELI* item) { space_.selections().deselectNodeForItem(item); }
void ZEVSpaceBridge::deselectAllIcons() { space_.selections().deselectAllIcons(); }
void ZEVSpaceBridge::deselectAllTitles() { space_.selections().deselectAllTitles(); }
void ZEVSpaceBridge::deselectAllFilters() { space_.selections().deselectAllFilters(); }
void ZEVSpaceBridge::deselectAllNodes() { space_.selections().deselectAllNodes(); }

void ZEVSpaceBridge::selectIconForItemSet(const std::vector<KELI*>& items, const std::vector<KELI*>* minus)
{
    space_.selections().selectIconForItemSet(items, minus);
}

void ZEVSpaceBridge::selectTitleForItemSet(const std::vector<KELI*>& items, const std::vector<KELI*>* minus)
{
    space_.selections().selectTitleForItemSet(items, minus);
}

void ZEVSpaceBridge::selectFilterForItemSet(const std::vector<KELI*>& items, const std::vector<KELI*>* minus)
{
    space_.selections().selectFilterForItemSet(items, minus);
}

void ZEVSpaceBridge::selectNodeForItemSet(const std::vector<KELI*>& items, const std::vector<KELI*>* minus)
{
    space_.selections().selectNodeForItemSet(items, minus);
}

bool ZEVSpaceBridge::isLinkSelectedForConnexion(const ZEVItemConnexion* c)
{
    return space_.selections().isLinkSelectedForConnexion(c);
}
void ZEVSpaceBridge::selectLinkForConnexion(ZEVItemConnexion* c) { space_.selections().selectLinkForConnexion(c); }
void ZEVSpaceBridge::cmdSelectLinkForConnexion(ZEVItemConnexion* c) { space_.selections().cmdSelectLinkForConnexion(c); }
void ZEVSpaceBridge::multiSelectLinkForConnexion(ZEVItemConnexion* c)
{
    space_.selections().multiSelectLinkForConnexion(c);
}
void ZEVSpaceBridge::deselectLinkForConnexion(ZEVItemConnexion* c) { space_.selections().deselectLinkForConnexion(c); }

void ZEVSpaceBridge::addToHistory() { space_.addToHistory(); }

// ---------------------------------------------------------------------------------------------
// The Object data store's questions

std::string ZEVSpaceBridge::wordOf(KELI* item, KELId relation)
{
    KELI* word = item ? item->enfantDeRelInt(relation, space_.actifCurseur()) : nullptr;
    const KELValue value = word ? word->base() : KELValue{};
    return std::holds_alternative<std::string>(value) ? std::get<std::string>(value) : std::string();
}

std::string ZEVSpaceBridge::itemTypeForItem(KELI* item) { return wordOf(item, KELRELATION_ITEM_TYPE); }
std::string ZEVSpaceBridge::itemTitleForItem(KELI* item) { return wordOf(item, KELRELATION_ITEM_TITLE); }

KELI* ZEVSpaceBridge::itemForId(KELId id)
{
    return KELServeurDeLiens::LienForInt(id, space_.actifCurseur());
}

KELI* ZEVSpaceBridge::creerItem(KELId channel, const std::string& title, const std::string& type,
                                const std::string& icon, ZEVItemOption options,
                                const std::function<bool(KELI* item)>& writeOutside)
{
    ZEVItemClass* factory = space_.itemClassForCurseur(space_.actifCurseur());
    return factory ? factory->creerItemWithRecord(channel, title, type, icon, options, writeOutside) : nullptr;
}
ZEVDeskGeometry* ZEVSpaceBridge::deskGeometry() { return &space_.deskGeometry(); }
KELI* ZEVSpaceBridge::channelForIdentityInt(KELId id) { return space_.channelForIdentityInt(id); }
KELI* ZEVSpaceBridge::identity() { return space_.channelForIdentityInt(space_.currentChannelInt()); }
KELId ZEVSpaceBridge::identityInt() { return space_.currentChannelInt(); }
ZEVFrontViewerServices* ZEVSpaceBridge::frontViewer() { return space_.frontViewer(); }
ZEVLegoSource* ZEVSpaceBridge::frontSelectionTable()
{
    ZEVFrontViewerServices* f = space_.frontViewer();
    return f ? f->selectionItemLegoSource() : nullptr;
}
void ZEVSpaceBridge::channelsMajInspectView()
{
    if (ZEVEntityViewer* channels = space_.channelViewer())
        channels->updateInspectView();
}
void ZEVSpaceBridge::displayFrontView()
{
    if (ZEVFrontViewerServices* f = space_.frontViewer())
        f->displayFrontView();
}
void ZEVSpaceBridge::displayAllInspectView()
{
    if (ZEVFrontViewerServices* f = space_.frontViewer())
        f->displayAllInspectView();
}
bool ZEVSpaceBridge::siRulerAccepteDeplacement()
{
    ZEVRulerViewerServices* r = space_.rulerViewer();
    return !r || r->siAccepteDeplacement();
}
bool ZEVSpaceBridge::siNSCursorHidden() { return space_.siNSCursorHidden(); }
int ZEVSpaceBridge::frontMode()
{
    ZEVFrontViewerServices* f = space_.frontViewer();
    return f ? f->frontMode() : ZEVFrontModeIcons;
}
KELICurseur* ZEVSpaceBridge::actifCurseur() { return space_.actifCurseur(); }
KELICurseur* ZEVSpaceBridge::nowCurseur() { return space_.nowCurseur(); }
KELICurseur* ZEVSpaceBridge::searchCurseur() { return space_.searchCurseur(); }

void ZEVSpaceBridge::userChangeActifCurseur(KELICurseur* curseur)
{
    if (ZEVRulerViewerServices* ruler = space_.rulerViewer())
        ruler->userChangeActifCurseur(curseur);
}

bool ZEVSpaceBridge::moveRulerForward(double d)
{
    ZEVRulerViewerServices* ruler = space_.rulerViewer();
    if (!ruler || !ruler->userInitieDeplacementCurseur())
        return false;
    ruler->userPlaceCurseurEtRulerOffset(d);
    ruler->userTermineDeplacementCurseur();
    return true;
}
ZEVDeskViewer* ZEVSpaceBridge::deskViewerForCurseur(KELICurseur* c) { return space_.deskViewerForCurseur(c); }
KELId ZEVSpaceBridge::homeChannelInt() { return space_.homeChannelInt(); }
QColor ZEVSpaceBridge::colorForColorItem(KELI* colorItem) { return space_.colorForColorItem(colorItem); }

ZEVBackObjectServices* ZEVSpaceBridge::backObjectForItemInt(KELId imageId, KELId scaleId)
{
    ZEVSpaceClass* model = space_.spaceClass();
    return model ? model->backObjectForItemInt(imageId, scaleId) : nullptr;
}

ZEVBackObjectServices* ZEVSpaceBridge::backObjectForImage(KELI* image, KELId channelInt,
                                                                const QRectF& windowRect, KELI* scaleMot)
{
    ZEVSpaceClass* model = space_.spaceClass();
    return model ? model->backObjectForImage(image, channelInt, windowRect, scaleMot) : nullptr;
}

std::string ZEVSpaceBridge::imagePathForItem(KELI* image)
{
    QString path = ZEVItemData::Current().fileUrlForItem(image);
    if (path.startsWith(QLatin1String("file:")))
        path = QUrl(path).toLocalFile();
    return path.toStdString();
}

void ZEVSpaceBridge::placerDevantDeskView(ZEVDeskViewer* deskViewer)
{
    if (ZEVSpaceWindow* w = space_.spaceWindow()) {
        w->placerDevantDeskView(deskViewer ? deskViewer->deskView() : nullptr);
        suivreLeCanevas();
    }
}

void ZEVSpaceBridge::setBrowsedSpaceBackImageInt(KELId imageId) { space_.setBrowsedSpaceBackImageInt(imageId); }
int ZEVSpaceBridge::goToTag() { return static_cast<int>(space_.goToTag()); }
void ZEVSpaceBridge::updateSpaceRatio(double, double) { space_.updateSpaceRatio(); }
void ZEVSpaceBridge::draggingSessionStartedWithInteger(long s) { space_.draggingSessionStartedWithInteger(s); }
long ZEVSpaceBridge::draggingSessionInteger() { return space_.draggingSessionInteger(); }
void ZEVSpaceBridge::draggingSessionDidStop() { space_.draggingSessionDidStop(); }
bool ZEVSpaceBridge::siCancelDraggingSession() { return space_.siCancelDraggingSession(); }

QPointF ZEVSpaceBridge::mouseLocationOutsideOfEventStream()
{
    ZEVSpaceWindow* w = space_.spaceWindow();
    QWidget* viewport = w ? w->spaceView()->deskCanvas()->viewport() : nullptr;
    if (!viewport)
        return {};
    const QPoint p = viewport->mapFromGlobal(QCursor::pos());
    return qtPoint(viewport->height(), QPointF(p));
}

// ---------------------------------------------------------------------------------------------
// Contacts and file options

QString ZEVSpaceBridge::titleForUid(const QString& uid) { return contacts_.titleForUid(uid); }

ZEVPersonServices* ZEVSpaceBridge::personClass()
{
    auto* viewer = dynamic_cast<ZEVPersonViewerServices*>(
        space_.creerViewerForEntityClassName("ZEVPersonViewer", KELENTITY_PERSON_VIEWER));
    ZEVPersonClassServices* model = viewer ? viewer->personClass() : nullptr;
    if (model)
        model->referencerAddressBook(&contacts_);
    return model;
}

void ZEVSpaceBridge::addPersonCard(const QByteArray& card)
{
    const QList<VCard> cards = parseVCards(card);
    if (cards.isEmpty())
        return;
    QString written;
    if (const FileResult added = contacts_.addCard(cards.first(), &written); !added)
        ZEVItemDataChannels::ReportStoreError(added.error);
}

bool ZEVSpaceBridge::startDownload(const QUrl& url, KELI* item, const QString& folder)
{
    ZEVDeskViewer* desk = space_.deskViewerForCurseur(space_.actifCurseur());
    return desk && desk->downloads().startDownload(url, item, folder);
}

void ZEVSpaceBridge::updateAllTableViews()
{
    Scheduler::shared().cancel(this, kUpdateAllTableViews);
    Scheduler::shared().perform(this, kUpdateAllTableViews, kTableViewsSettled, [this] { space_.updateAllTableViews(); });
}

ZEVItemOption ZEVSpaceBridge::itemOptionsForFile(const QString& path)
{
    return ZEVPasteboard::ItemOptionsForFileURL(path);
}

std::optional<ZEVPersonDates> ZEVSpaceBridge::personWithUid(const QString& uid)
{
    const std::optional<VCardDates> dates = contacts_.datesForUid(uid);
    if (!dates)
        return std::nullopt;
    return ZEVPersonDates{dates->created, dates->modified};
}

std::string ZEVSpaceBridge::storeFolderPath() { return space_.host().storeFolder().toStdString(); }

void ZEVSpaceBridge::copyToSpaceForItems(const std::vector<KELI*>& items)
{
    if (ZEVFileJobs* jobs = ZEVFileJobs::Shared())
        jobs->copyToSpaceForItems(items);
    else
        logLine("ZEVSpaceBridge copyToSpaceForItems: no transfer queue yet; the files stay where they are");
}

std::string ZEVSpaceBridge::wallpaperStorePath(const std::string& name)
{
    return storeFolderPath() + "/" + name;
}

std::string ZEVSpaceBridge::wallpaperResourcePath(const std::string& name)
{
    if (resourceFolder_.isEmpty())
        return wallpaperStorePath(name);
    return (resourceFolder_ + "/" + QString::fromStdString(name)).toStdString();
}

} // namespace tallomer
