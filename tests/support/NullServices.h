#pragma once
// Stand-ins that answer every service with nothing, for unit tests: a test's fake derives from
// one and overrides only what the test looks at. The program itself never uses them; there each
// interface is answered in full by the subsystem that owns it.

#include "app/shared/KELSharedResources.h"
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
    void beep() override {}
};
using NullDeskModelSpace = NullDeskModelSpaceT<ZEVSpaceForDeskModels>;

template <class Base>
class NullObjectViewSpaceT : public Base {
public:
    KELId identityInt() override { return 0; }
    int frontMode() override { return 0; }
    KELICurseur* actifCurseur() override { return nullptr; }
    KELICurseur* nowCurseur() override { return nullptr; }
    void userChangeActifCurseur(KELICurseur*) override {}
    bool siApplicationActive() override { return true; }
    const KELSharedResources& sharedResources() override { return testResources(); }
    bool siHideItemTitle(KELI*) override { return false; }
    bool siShowLinks() override { return false; }
    bool siShowLinksForSelections() override { return false; }
    bool siShowAnimation() override { return false; }
    bool siFiltreANDOperation() override { return false; }
    KELI* draggingItem() override { return nullptr; }
};
using NullItemSpace = NullObjectViewSpaceT<ZEVSpaceForObjectViews>;

class NullDeskSpace : public NullObjectViewSpaceT<NullDeskModelSpaceT<ZEVSpaceForDeskViewers>> {
public:
    KELId identityInt() override
    {
        KELI* c = identity();
        return c ? c->idInt() : 0;
    }
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
    void playSystemSound(const std::string&) override {}
    int goToTag() override { return 0; }
    bool moveRulerForward(double) override { return false; }
    void placerDevantDeskView(ZEVDeskViewer*) override {}
    void setBrowsedSpaceBackImageInt(KELId) override {}
    void updateSpaceRatio(double, double) override {}
    void draggingSessionStartedWithInteger(long) override {}
    long draggingSessionInteger() override { return 0; }
    void draggingSessionDidStop() override {}
    bool siCancelDraggingSession() override { return false; }
    QPointF mouseLocationOutsideOfEventStream() override { return {}; }
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
    void initItemConnexionAvecLienConnexion(KELI*, KELDate) override {}
    void moteurCroisementForConnexion(KELI*, ZEVCroisement) override {}
    void enleveFilterForAllItems() override {}
    void ajouteFilterForItem(KELI*) override {}
    void setSiFiltreANDOperation(bool) override {}
    bool siHideViewForFilterImpactedItem(KELI*) override { return false; }
    bool siHideViewForFilterChosenItem(KELI*) override { return true; }
    void setSiChannelActif(bool) override {}
    std::vector<ZEVItemViewForDesks*> visibleItemViewsForMode(int) override { return {}; }
    void userRecallIconForItemView(ZEVItemViewForDesks*) override {}
    void userRecallIconForItem(KELI*) override {}
    void userRecallLinkWithItem(KELI*, KELI*) override {}
    std::unique_ptr<ZEVItemViewForDesks> creerItemView(const ZEVIconPosition&, KELI*, float) override
    {
        return nullptr;
    }
    bool siChannelActif() const override { return true; }
    void deleteItemViewForItem(KELI*) override {}
    void delConnexionsForParentInt(KELId) override {}
    void delConnexionsForParentIntEnfantInt(KELId, KELId) override {}
};

class NullItemViewDesk : public ZEVDeskViewerForObjectViews {
public:
    ZEVItemViewForDesks* itemViewForItem(KELI*) override { return nullptr; }
    ZEVItemViewForDesks* ajouterItemViewAvecItem(KELI*) override { return nullptr; }
    void deleteItemView(ZEVItemViewForDesks*) override {}
    void majItemView(ZEVItemViewForDesks*) override {}
    void majItemViews() override {}
    void majConnexion() override {}
    bool siSelectedIconAuDrag() override { return false; }
    double deskHeight() override { return 0; }
};

class NullItemView : public ZEVItemViewForDesks {
public:
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
};

class NullCursorDesk : public ZEVCursorDesk {
public:
    ZEVDeskClass* deskClass() override { return nullptr; }
    ZEVDeskViewer* deskViewer() override { return nullptr; }
    ZEVItemViewer* itemViewer() override { return nullptr; }
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
    void referencerItemDataSpace(ZEVSpaceController*) override {}
    void setCurrentChannelInt(KELId) override {}
    QString fileUrlForItem(KELI*) override { return {}; }
    void startDropFolderWatch(ZEVSpaceController&) override {}
    void setActifCurseurColorSiNow(bool) override {}
    bool siShowDesktop() override { return true; }
    void closeProgressPanel() override {}
    void showWelcome() override {}
    QCursor searchCursor() override { return QCursor(Qt::CrossCursor); }
    void userQuit() override {}
};

using NullSpaceForItemData = ZEVUnknownSpaceForItemData;

} // namespace tallomer::test
