#pragma once
// One cursor's desk as the space controller holds it: the Object factory, the desk model, the
// item viewer and the desk viewer, owned together and introduced to each other in the order the
// Space is built. The item viewer comes from a maker, since the Object views live in a library
// the desks do not link; the application derives from this class to answer itemViewer() with
// the concrete type it made.

#include "space/ZEVSpaceParts.h"

#include <functional>
#include <memory>

class KELICurseur;

namespace tallomer {

class ZEVDeskClass;
class ZEVSpaceForDeskViewers;
class ZEVDeskViewer;
class ZEVItemClass;
class ZEVItemViewerForDesks;
class ZEVSpaceController;

class ZEVDeskOfCursor : public ZEVCursorDesk {
public:
    using ItemViewerMaker = std::function<std::unique_ptr<ZEVItemViewerForDesks>(
        KELICurseur* curseur, ZEVDeskClass* deskClass, ZEVDeskViewer* deskViewer, ZEVItemClass* itemClass)>;

    // `services` (the space controller as the desks see it) is not owned and outlives the desk.
    ZEVDeskOfCursor(ZEVSpaceController& space, KELICurseur* curseur, ZEVSpaceForDeskViewers* services,
                    const ItemViewerMaker& itemViewerMaker);
    ~ZEVDeskOfCursor() override;

    ZEVDeskClass* deskClass() override { return deskClass_.get(); }
    ZEVDeskViewer* deskViewer() override { return deskViewer_.get(); }
    ZEVItemClass* itemClass() override { return itemClass_.get(); }
    ZEVItemViewerForDesks* itemViewerServices() const override { return itemViewer_.get(); }

    void referencerViewerParts() override;
    void referencerModelParts() override;
    void initialiser() override;
    bool initWallpaperWithChannelViewer(ZEVChannelListener* channelViewer) override;
    void majBackForFirstTime() override;
    void enclencherMaj() override;
    void placerDevant() override;
    QGraphicsScene* deskScene() override;
    void majImages() override;
    void displayDeskView() override;
    void channelDidChangeWithIdentityInt(KELId identityInt) override;
    void setSiFiltreANDOperation(bool andOperation) override;
    int visibleItemViewCount(int frontMode) override;
    void addFilenames(const QStringList& paths) override;
    void deskEditCommand(ZEVDeskEditCommand command) override;
    void selectionDidChange() override;
    void ajouteFilterForItem(KELI* item) override;
    void enleveFilterForItem(KELI* item) override;
    void enleveFilterForAllItems() override;
    std::vector<ZEVItemViewForDesks*> visibleItemViewsForMode(int frontMode) override;
    std::vector<ZEVItemConnexion*> connexionsTouchingItem(KELI* item) override;
    QImage deskImage() override;
    std::string currentBackImageItemName() override;
    void displayItemViews() override;
    void majBackImage() override;
    void majBackImageSize() override;
    KELI* currentBackItem() override;
    KELI* currentBackImageItem() override;
    void delConnexionsForParentInt(KELId parentInt) override;
    void deleteItemViewForItem(KELI* item) override;

private:
    // Destroyed in reverse: the desk viewer (and its Object views) first, the factory last.
    std::unique_ptr<ZEVItemClass> itemClass_;
    std::unique_ptr<ZEVDeskClass> deskClass_;
    std::unique_ptr<ZEVItemViewerForDesks> itemViewer_;
    std::unique_ptr<ZEVDeskViewer> deskViewer_;
};

} // namespace tallomer
