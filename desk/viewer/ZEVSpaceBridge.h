#pragma once
// The bridge from the space controller to its desks: it answers every role the desks and the Object
// views ask of the Space (desk models, Object views, desk viewers, selections) and what the
// Object data store asks, from ZEVSpaceController, its window and its space model. The
// code that builds a Space's desks makes one of these per Space and hands it to every desk model,
// Object factory, desk viewer and item viewer, and to the Object data store.

#include "desk/data/ZEVItemData.h"
#include "platform/contacts/VCardFolder.h"
#include "services/ZEVSpaceForDeskViewers.h"
#include "runtime/Scheduler.h"

#include <QObject>
#include <QSize>

#include <memory>

namespace tallomer {

class ZEVSpaceController;

class ZEVSpaceBridge final : public ZEVSpaceForDeskViewers, public ZEVSpaceForItemData {
public:
    explicit ZEVSpaceBridge(ZEVSpaceController& space);
    ZEVSpaceController* spaceController() override { return &space_; }
    ~ZEVSpaceBridge() override;

    // ZEVSpaceForDeskModels
    KELICurseur* tlCurseur() override;
    ZEVDeskGeometry* deskGeometry() override;
    KELI* channelForIdentityInt(KELId id) override;
    KELI* identity() override;
    KELDate spaceOutTimeForGoToTime(KELDate t, KELICurseur* curseur) override;
    KELDate spaceOutTimeForCurseur(KELICurseur* curseur) override;
    bool siGoToMode() override;
    KELDate outTimeForGoToTime(KELDate t) override;
    void displayFrontView() override;
    void beep() override;

    // ZEVSpaceForObjectViews
    KELId identityInt() override;
    int frontMode() override;
    ZEVFrontViewerServices* frontViewer() override;
    ZEVLegoSource* frontSelectionTable() override;
    void channelsMajInspectView() override;
    KELICurseur* actifCurseur() override;
    KELICurseur* nowCurseur() override;
    void userChangeActifCurseur(KELICurseur* curseur) override;
    bool siApplicationActive() override;
    bool siGoToPanelVisible() override;
    const KELSharedResources& sharedResources() override;
    bool siHideItemTitle(KELI* item) override;
    bool siShowLinks() override;
    bool siShowLinksForSelections() override;
    bool siShowAnimation() override;
    bool siFiltreANDOperation() override;
    KELI* draggingItem() override;
    void editTitleForItem(KELI* item) override;
    bool isTitleEditedForItem(KELI* item) override;
    bool siRulerAccepteDeplacement() override;
    bool siNSCursorHidden() override;
    void userDeleteItem(KELI* item) override;
    void displayAllInspectView() override;
    // The Contacts inspector's model, its controller made on first request; it reads this
    // bridge's address book.
    ZEVPersonServices* personClass() override;

    // ZEVSpaceSelections: the space controller's selections.
    bool isIconSelectedForItem(KELI* item) override;
    bool isTitleSelectedForItem(KELI* item) override;
    bool isFilterSelectedForItem(KELI* item) override;
    bool isNodeSelectedForItem(KELI* item) override;
    std::vector<KELI*> selectedIconItems() override;
    std::vector<KELI*> selectedTitleItems() override;
    std::vector<KELI*> selectedFilterItems() override;
    std::vector<KELI*> selectedNodeItems() override;
    void selectIconForItem(KELI* item) override;
    void selectTitleForItem(KELI* item) override;
    void selectFilterForItem(KELI* item) override;
    void selectNodeForItem(KELI* item) override;
    void multiSelectIconForItem(KELI* item) override;
    void multiSelectTitleForItem(KELI* item) override;
    void multiSelectNodeForItem(KELI* item) override;
    void deselectIconForItem(KELI* item) override;
    void deselectTitleForItem(KELI* item) override;
    void deselectNodeForItem(KELI* item) override;
    void deselectAllIcons() override;
    void deselectAllTitles() override;
    void deselectAllFilters() override;
    void deselectAllNodes() override;
    void selectIconForItemSet(const std::vector<KELI*>& items, const std::vector<KELI*>* minus) override;
    void selectTitleForItemSet(const std::vector<KELI*>& items, const std::vector<KELI*>* minus) override;
    void selectFilterForItemSet(const std::vector<KELI*>& items, const std::vector<KELI*>* minus) override;
    void selectNodeForItemSet(const std::vector<KELI*>& items, const std::vector<KELI*>* minus) override;
    bool isLinkSelectedForConnexion(const ZEVItemConnexion* connexion) override;
    void selectLinkForConnexion(ZEVItemConnexion* connexion) override;
    void cmdSelectLinkForConnexion(ZEVItemConnexion* connexion) override;
    void multiSelectLinkForConnexion(ZEVItemConnexion* connexion) override;
    void deselectLinkForConnexion(ZEVItemConnexion* connexion) override;

    // ZEVSpaceForDeskViewers
    KELICurseur* searchCurseur() override;
    ZEVDeskViewer* deskViewerForCurseur(KELICurseur* curseur) override;
    KELId homeChannelInt() override;
    KELI* defaultColorItem() override;
    QColor colorForColorItem(KELI* colorItem) override;
    ZEVBackObjectServices* backObjectForItemInt(KELId imageId, KELId scaleId) override;
    ZEVBackObjectServices* backObjectForImage(KELI* image, KELId channelInt, const QRectF& windowRect,
                                              KELI* scaleMot) override;
    std::string imagePathForItem(KELI* image) override;
    std::string wallpaperResourcePath(const std::string& name) override;
    std::string wallpaperStorePath(const std::string& name) override;
    std::string storeFolderPath() override;
    void copyToSpaceForItems(const std::vector<KELI*>& items) override;
    void playSystemSound(const std::string& name) override;
    void addToHistory() override;
    int goToTag() override;
    bool moveRulerForward(double d) override;
    void placerDevantDeskView(ZEVDeskViewer* deskViewer) override;
    void setBrowsedSpaceBackImageInt(KELId imageId) override;
    void updateSpaceRatio(double width, double height) override;
    void channelsSpaceDidChange() override;
    void selectChannelInt(KELId channel) override;
    void mouseMovedInLocation(const QPointF& windowPoint) override;
    void activateTallomer() override;
    void activatePreviousApp() override;
    void rulerScrollWheel(QGraphicsSceneWheelEvent* event) override;
    void rulerMagnify(QNativeGestureEvent* event) override;
    void draggingSessionStartedWithInteger(long sequence) override;
    long draggingSessionInteger() override;
    void draggingSessionDidStop() override;
    bool siCancelDraggingSession() override;
    QPointF mouseLocationOutsideOfEventStream() override;
    QString titleForUid(const QString& uid) override;
    void addPersonCard(const QByteArray& card) override;
    void updateAllTableViews() override;

    // ZEVSpaceForItemData
    std::string itemTypeForItem(KELI* item) override;
    std::string itemTitleForItem(KELI* item) override;
    KELI* itemForId(KELId id) override;
    KELI* creerItem(KELId channel, const std::string& title, const std::string& type, const std::string& icon,
                    ZEVItemOption options, const std::function<bool(KELI* item)>& writeOutside) override;
    ZEVItemOption itemOptionsForFile(const QString& path) override;
    std::optional<ZEVPersonDates> personWithUid(const QString& uid) override;
    // The active cursor's desk viewer is the download's delegate: drops and pastes land there.
    bool startDownload(const QUrl& url, KELI* item, const QString& folder) override;

    // The wallpapers of a first run: the program's copies lie in `folder` (none set: the store's
    // copies are taken for them), the store's in the store folder.
    void setWallpaperResourceFolder(const QString& folder) { resourceFolder_ = folder; }
    // The address book's folder of vCards (default VCardFolder::defaultFolder()).
    void setContactsFolder(const QString& folder) { contacts_.setFolder(folder); }
    VCardFolder& contacts() { return contacts_; }

    // The desks take the size of the canvas that shows them, now and whenever it changes.
    void suivreLeCanevas();

private:
    void canevasRedimensionne(const QSize& size);
    std::vector<ZEVDeskViewer*> desks();
    std::string wordOf(KELI* item, KELId relation);

    ZEVSpaceController& space_;
    std::unique_ptr<QObject> suiveur_; // watches the canvas' viewport
    QString resourceFolder_;
    VCardFolder contacts_;
    ScheduledTarget guard_{this};
};

} // namespace tallomer
