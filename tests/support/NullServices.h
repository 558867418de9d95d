#pragma once
// Stand-ins that answer every service with nothing, for unit tests: a test's fake derives from
// one and overrides only what the test looks at. The program itself never uses them; there each
// interface is answered in full by the subsystem that owns it.

#include "look/KELSharedResources.h"
#include "desk/data/ZEVItemData.h"
#include "services/ZEVDeskViewerForDeskModels.h"
#include "services/ZEVSpaceForDeskModels.h"
#include "services/ZEVSpaceForDeskViewers.h"
#include "engine/KELTypes.h"
#include "services/ZEVSpaceForObjectViews.h"
#include "services/ZEVItemViewForDesks.h"
#include "services/ZEVItemViewerForDesks.h"
#include "space/ZEVConstants.h"
#include "space/ZEVSpaceParts.h"

#include <QCursor>
#include <QGraphicsScene>

namespace tallomer::test {

// One set of shared resources for every stand-in of the process (they draw every image once).
inline const KELSharedResources& testResources()
{
    static const KELSharedResources resources;
    return resources;
}

// Nothing is ever selected, and changes are dropped.
template <class Base>
class NullSelectionsT : public Base {
public:
    bool isIconSelectedForItem(KELI*) override { return false; }
    bool isTitleSelectedForItem(KELI*) override { return false; }
    bool isFilterSelectedForItem(KELI*) override { return false; }
    bool isNodeSelectedForItem(KELI*) override { return false; }
    std::vector<KELI*> selectedIconItems() override { return {}; }
    std::vector<KELI*> selectedTitleItems() override { return {}; }
    std::vector<KELI*> selectedFilterItems() override { return {}; }
    std::vector<KELI*> selectedNodeItems() override { return {}; }
    void selectIconForItem(KELI*) override {}
    void selectTitleForItem(KELI*) override {}
    void selectFilterForItem(KELI*) override {}
    void selectNodeForItem(KELI*) override {}
    void multiSelectIconForItem(KELI*) override {}
    void multiSelectTitleForItem(KELI*) override {}
    void multiSelectNodeForItem(KELI*) override {}
    void deselectIconForItem(KELI*) override {}
    void deselectTitleForItem(KELI*) override {}
    void deselectNodeForItem(KELI*) override {}
    void deselectAllIcons() override {}
    void deselectAllTitles() override {}
    void deselectAllFilters() override {}
    void deselectAllNodes() override {}
    void selectIconForItemSet(const std::vector<KELI*>&, const std::vector<KELI*>*) override {}
    void selectTitleForItemSet(const std::vector<KELI*>&, const std::vector<KELI*>*) override {}
    void selectFilterForItemSet(const std::vector<KELI*>&, const std::vector<KELI*>*) override {}
    void selectNodeForItemSet(const std::vector<KELI*>&, const std::vector<KELI*>*) override {}
    bool isLinkSelectedForConnexion(const ZEVItemConnexion*) override { return false; }
    void selectLinkForConnexion(ZEVItemConnexion*) override {}
    void cmdSelectLinkForConnexion(ZEVItemConnexion*) override {}
    void multiSelectLinkForConnexion(ZEVItemConnexion*) override {}
    void deselectLinkForConnexion(ZEVItemConnexion*) override {}
};

template <class Base>
class NullDeskModelSpaceT : public Base {
public:
    KELICurseur* tlCurseur() override { return nullptr; }
    ZEVDeskGeometry* deskGeometry() override { return nullptr; }
    KELI* channelForIdentityInt(KELId) override { return nullptr; }
    KELI* identity() override { return nullptr; }
    KELDate spaceOutTimeForGoToTime(KELDate t, KELICurseur* c) override
    {
        return std::min(this->outTimeForGoToTime(t), spaceOutTimeForCurseur(c));
    }
    KELDate spaceOutTimeForCurseur(KELICurseur*) override { return KELDateOuverte; }
    bool siGoToMode() override { return false; }
    KELDate outTimeForGoToTime(KELDate) override { return KELDateOuverte; }
    void displayFrontView() override {}
    ZEVLegoSource* frontSelectionTable() override { return nullptr; }
    void beep() override {}
};
using NullDeskModelSpace = NullSelectionsT<NullDeskModelSpaceT<ZEVSpaceForDeskModels>>;

template <class Base>
class NullObjectViewSpaceT : public Base {
public:
    KELId identityInt() override { return 0; }
    int frontMode() override { return 0; }
    KELICurseur* actifCurseur() override { return nullptr; }
    KELICurseur* nowCurseur() override { return nullptr; }
    void userChangeActifCurseur(KELICurseur*) override {}
    bool siApplicationActive() override { return true; }
    bool siGoToPanelVisible() override { return false; }
    const KELSharedResources& sharedResources() override { return testResources(); }
    bool siHideItemTitle(KELI*) override { return false; }
    bool siShowLinks() override { return false; }
    bool siShowLinksForSelections() override { return false; }
    bool siShowAnimation() override { return false; }
    bool siFiltreANDOperation() override { return false; }
    KELI* draggingItem() override { return nullptr; }
    void editTitleForItem(KELI* item) override { editedTitleItem = item; }
    bool isTitleEditedForItem(KELI* item) override { return item && item == editedTitleItem; }
    KELI* editedTitleItem = nullptr;
    void userDeleteItem(KELI*) override {}
    void displayAllInspectView() override {}
    ZEVPersonServices* personClass() override { return nullptr; }
    ZEVDeskGeometry* deskGeometry() override { return nullptr; }
    ZEVFrontViewerServices* frontViewer() override { return nullptr; }
    bool siRulerAccepteDeplacement() override { return true; }
    bool siNSCursorHidden() override { return false; }
    void addToHistory() override {}
    void mouseMovedInLocation(const QPointF&) override {}
};
using NullItemSpace = NullSelectionsT<NullObjectViewSpaceT<ZEVSpaceForObjectViews>>;

class NullDeskSpace : public NullSelectionsT<NullObjectViewSpaceT<NullDeskModelSpaceT<ZEVSpaceForDeskViewers>>> {
public:
    KELId identityInt() override
    {
        KELI* c = identity();
        return c ? c->idInt() : 0;
    }
    ZEVSpaceController* spaceController() override { return nullptr; }
    KELICurseur* searchCurseur() override { return nullptr; }
    ZEVDeskViewer* deskViewerForCurseur(KELICurseur*) override { return nullptr; }
    KELId homeChannelInt() override { return KELOBJECT_HOME_CHANNEL; }
    KELI* defaultColorItem() override { return nullptr; }
    QColor colorForColorItem(KELI*) override { return QColor(); }
    ZEVBackObjectServices* backObjectForItemInt(KELId, KELId) override { return nullptr; }
    ZEVBackObjectServices* backObjectForImage(KELI*, KELId, const QRectF&, KELI*) override { return nullptr; }
    std::string imagePathForItem(KELI*) override { return {}; }
    std::string wallpaperResourcePath(const std::string&) override { return {}; }
    std::string wallpaperStorePath(const std::string&) override { return {}; }
    std::string storeFolderPath() override { return {}; }
    void copyToSpaceForItems(const std::vector<KELI*>&) override {}
    void playSystemSound(const std::string&) override {}
    void rulerScrollWheel(QGraphicsSceneWheelEvent*) override {}
    void rulerMagnify(QNativeGestureEvent*) override {}
    void addToHistory() override {}
    int goToTag() override { return 0; }
    bool moveRulerForward(double) override { return false; }
    void placerDevantDeskView(ZEVDeskViewer*) override {}
    void setBrowsedSpaceBackImageInt(KELId) override {}
    void selectChannelInt(KELId) override {}
    void updateSpaceRatio(double, double) override {}
    void draggingSessionStartedWithInteger(long) override {}
    long draggingSessionInteger() override { return 0; }
    void draggingSessionDidStop() override {}
    bool siCancelDraggingSession() override { return false; }
    QPointF mouseLocationOutsideOfEventStream() override { return {}; }
    void mouseMovedInLocation(const QPointF&) override {}
    void channelsSpaceDidChange() override {}
    void channelsMajInspectView() override {}
    void activateTallomer() override {}
    void activatePreviousApp() override {}
    QString titleForUid(const QString&) override { return QStringLiteral("? ?"); }
    void addPersonCard(const QByteArray&) override {}
    void updateAllTableViews() override {}
};

class NullDeskViewer : public ZEVDeskViewerForDeskModels {
public:
    void initItemViewAvecIcon(KELI*, KELDate) override {}
    void initMajItemViews() override {}
    void creerIconForItem(KELI*, const ZEVIconPosition&, KELDate, KELDate, float) override {}
    void moteurCroisementItem(KELI*, ZEVCroisement) override {}
    void moteurChangeItemTitleForItem(KELI*) override {}
    void moteurChangeItemViewForItem(KELI*) override {}
};

class NullItemViewer : public ZEVItemViewerForDesks {
public:
    void willPaint(const QGraphicsScene&, const QRegion&, const QTransform&, qreal) override {}
    void didPaint() override {}
    void initItemConnexionAvecLienConnexion(KELI*, KELDate) override {}
    void moteurCroisementForConnexion(KELI*, ZEVCroisement) override {}
    void enleveFilterForAllItems() override {}
    void enleveFilterForItem(KELI*) override {}
    void ajouteFilterForItem(KELI*) override {}
    void setSiFiltreANDOperation(bool) override {}
    bool siHideViewForFilterImpactedItem(KELI*) override { return false; }
    bool siHideViewForFilterChosenItem(KELI*) override { return true; }
    void setSiChannelActif(bool) override {}
    std::vector<ZEVItemViewForDesks*> visibleItemViewsForMode(int) override { return {}; }
    void userRecallIconForItemView(ZEVItemViewForDesks*) override {}
    void userRecallIconForItem(KELI*) override {}
    void userRecallLinkWithItem(KELI*, KELI*) override {}
    void userDuplicateSelectedItemViews() override {}
    void userRecallSelectedItemViewsVersNowCurseur() override {}
    void copiedItemViewsMovedTo(const QPointF&) override {}
    std::unique_ptr<ZEVItemViewForDesks> creerItemView(const ZEVIconPosition&, KELI*, float) override
    {
        return nullptr;
    }
    bool siChannelActif() const override { return true; }
    void deleteItemViewForItem(KELI*) override {}
    std::vector<ZEVItemConnexion*> connexionsTouchingItem(KELI*) override { return {}; }
    void delConnexionsForParentInt(KELId) override {}
    void delConnexionsForParentIntEnfantInt(KELId, KELId) override {}
};

class NullItemViewDesk : public ZEVDeskViewerForObjectViews {
public:
    ZEVItemViewForDesks* itemViewForItem(KELI*) override { return nullptr; }
    ZEVItemViewForDesks* ajouterItemViewAvecItem(KELI*) override { return nullptr; }
    ZEVItemViewForDesks* creerItemViewWithItem(KELI*, const ZEVIconPosition&, float) override { return nullptr; }
    void deleteItemView(ZEVItemViewForDesks*) override {}
    void majItemView(ZEVItemViewForDesks*) override {}
    void majItemViews() override {}
    void majConnexion() override {}
    bool siSelectedIconAuDrag() override { return false; }
    double deskHeight() override { return 0; }
};

class NullItemView : public ZEVItemViewForDesks {
public:
    void magnifyItemViewWithEvent(double) override {}
    QGraphicsItem* graphicsItem() override { return nullptr; }
    KELI* item() const override { return nullptr; }
    QString itemTitle() const override { return {}; }
    void setItemTitle(const QString&) override {}
    QString itemType() const override { return {}; }
    void setItemType(const QString&) override {}
    void setItemImage(const QImage&) override {}
    QRectF imageFrame() const override { return {}; }
    QRectF frame() const override { return imageFrame(); }
    ZEVIconPosition iconPosition() const override { return {}; }
    void setIconPosition(const ZEVIconPosition&, double) override {}
    void replacerDansLaScene() override {}
    void updateIfDrawChanged() override {}
    void setSiAjoute(bool) override {}
    void setSiActif(bool) override {}
    void setSiFutur(bool) override {}
    bool siAjoute() const override { return false; }
    bool siActif() const override { return false; }
    bool siFutur() const override { return false; }
    std::int64_t siAjouteCount() const override { return 0; }
    std::int64_t siActifCount() const override { return 0; }
    std::int64_t siFuturCount() const override { return 0; }
    bool siItemViewAccepteMaj() const override { return true; }
    void itemViewAccepteMaj() override {}
    void itemViewRefuseMaj() override {}
    bool siRetablir() const override { return false; }
    void setSiRetablir(bool) override {}
    void setChannelInt(KELId) override {}
    void majChannelInt(KELId, bool) override {}
    void setHidden(bool) override {}
    bool isHidden() const override { return true; }
    void orderToFront() override {}
    void orderToBack() override {}
    void updateImage() override {}
    void showCadreStart() override {}
    void showCadreStop() override {}
    void downloadBegin() override {}
    void downloadStart(bool) override {}
    void downloadSetStatus(float) override {}
    void downloadFinish() override {}
    void downloadError() override {}
    QString previewItemURL() const override { return {}; }
    QImage previewItemTransitionImage() const override { return {}; }
};

class NullCursorDesk : public ZEVCursorDesk {
public:
    ZEVDeskClass* deskClass() override { return nullptr; }
    ZEVDeskViewer* deskViewer() override { return nullptr; }
    ZEVItemViewer* itemViewer() override { return nullptr; }
    ZEVItemViewerForDesks* itemViewerServices() const override { return nullptr; }
    ZEVItemClass* itemClass() override { return nullptr; }
    void referencerViewerParts() override {}
    void referencerModelParts() override {}
    void initialiser() override {}
    bool initWallpaperWithChannelViewer(ZEVChannelListener*) override { return false; }
    void majBackForFirstTime() override {}
    void enclencherMaj() override {}
    void channelDidChangeWithIdentityInt(KELId) override {}
    void placerDevant() override {}
    QGraphicsScene* deskScene() override { return nullptr; }
    void majImages() override {}
    void displayDeskView() override {}
    void setSiFiltreANDOperation(bool) override {}
    int visibleItemViewCount(int) override { return 0; }
    void addFilenames(const QStringList&) override {}
    void deskEditCommand(ZEVDeskEditCommand) override {}
    void selectionDidChange() override {}
    void ajouteFilterForItem(KELI*) override {}
    void enleveFilterForItem(KELI*) override {}
    void enleveFilterForAllItems() override {}
    std::vector<ZEVItemViewForDesks*> visibleItemViewsForMode(int) override { return {}; }
    std::vector<ZEVItemConnexion*> connexionsTouchingItem(KELI*) override { return {}; }
    QImage deskImage() override { return {}; }
    std::string currentBackImageItemName() override { return {}; }
    void displayItemViews() override {}
    void majBackImage() override {}
    void majBackImageSize() override {}
    KELI* currentBackItem() override { return nullptr; }
    KELI* currentBackImageItem() override { return nullptr; }
    void delConnexionsForParentInt(KELId) override {}
    void deleteItemViewForItem(KELI*) override {}
};

class NullSpaceHost : public ZEVSpaceHost {
public:
    void referencerSpaceController(ZEVSpaceController*) override {}
    const KELSharedResources& sharedResources() override { return testResources(); }
    std::unique_ptr<ZEVCursorDesk> creerDesk(KELICurseur*, ZEVSpaceController&) override { return nullptr; }
    std::unique_ptr<ZEVRulerClassServices> creerRulerClass(ZEVSpaceController&) override { return nullptr; }
    std::unique_ptr<ZEVRulerViewerServices> creerRulerViewer(ZEVRulerClassServices&, ZEVSpaceController&) override
    {
        return nullptr;
    }
    std::unique_ptr<ZEVMarkHistoryServices> creerMarkHistoryViewer(ZEVSpaceController&) override { return nullptr; }
    std::unique_ptr<ZEVContextViewerServices> creerContextViewer(ZEVSpaceController&) override { return nullptr; }
    std::unique_ptr<ZEVFrontViewerServices> creerFrontViewer(ZEVSpaceController&) override { return nullptr; }
    void ouvrirEntityWithInt(KELId) override {}
    void referencerItemDataSpace(ZEVSpaceController*) override {}
    KELI* sameItemForItem(KELI*) override { return nullptr; }
    void copyZevpPlace(const QString&, const QString&, KELId, const QImage&) override {}
    void setCurrentChannelInt(KELId) override {}
    QString fileUrlForItem(KELI*, KELId) override { return {}; }
    void startDropFolderWatch(ZEVSpaceController&) override {}
    void setActifCurseurColorSiNow(bool) override {}
    bool siShowDesktop() override { return true; }
    void closeProgressPanel() override {}
    void actifCurseurDidChange() override {}
    void menuAction(ZEVSpaceMenuAction) override {}
    void spaceWindowWillShow(ZEVSpaceController&) override {}
    void showWelcome() override {}
    QCursor searchCursor() override { return QCursor(Qt::CrossCursor); }
    void userQuit() override {}
    void deleteItemData(KELI*) override {}
    void fullScreenDidChange() override {}
    ZEVMenuCommands* menuCommands() override { return nullptr; }
};

using NullSpaceForItemData = ZEVUnknownSpaceForItemData;

} // namespace tallomer::test
