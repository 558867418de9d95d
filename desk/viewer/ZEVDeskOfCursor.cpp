#include "desk/viewer/ZEVDeskOfCursor.h"

#include "desk/model/ZEVDeskClass.h"
#include "desk/model/ZEVItemClass.h"
#include "desk/view/ZEVDeskView.h"
#include "services/ZEVSpaceForDeskViewers.h"
#include "desk/viewer/ZEVDeskViewer.h"
#include "services/ZEVItemViewerForDesks.h"
#include "space/ZEVSpaceController.h"

#include <QPainter>

namespace tallomer {

ZEVDeskOfCursor::ZEVDeskOfCursor(ZEVSpaceController& space, KELICurseur* curseur, ZEVSpaceForDeskViewers* services,
                                 const ItemViewerMaker& itemViewerMaker)
{
    itemClass_ = std::make_unique<ZEVItemClass>(curseur, services);
    deskClass_ = std::make_unique<ZEVDeskClass>(curseur, services);
    deskViewer_ = std::make_unique<ZEVDeskViewer>(curseur, deskClass_.get(), services, space.deskViewFrame());
    if (itemViewerMaker)
        itemViewer_ = itemViewerMaker(curseur, deskClass_.get(), deskViewer_.get(), itemClass_.get());
}

ZEVDeskOfCursor::~ZEVDeskOfCursor()
{
    // The views go before the item viewer that made them.
    deskViewer_.reset();
    itemViewer_.reset();
}

void ZEVDeskOfCursor::referencerViewerParts()
{
    deskViewer_->referencerItemViewer(itemViewer_.get());
    deskViewer_->referencerItemClass(itemClass_.get());
}

void ZEVDeskOfCursor::referencerModelParts()
{
    itemClass_->referencerItemViewer(itemViewer_.get());
    deskClass_->referencerItemViewer(itemViewer_.get());
    deskClass_->referencerDeskViewer(deskViewer_.get());
    deskClass_->referencerItemClass(itemClass_.get());
}

void ZEVDeskOfCursor::initialiser()
{
    deskClass_->initialiser();
    itemClass_->initialiser();
}

bool ZEVDeskOfCursor::initWallpaperWithChannelViewer(ZEVChannelListener*)
{
    return deskViewer_->initWallpaperWithChannelViewer();
}

void ZEVDeskOfCursor::majBackForFirstTime() { deskViewer_->majBackForFirstTime(); }

void ZEVDeskOfCursor::enclencherMaj()
{
    deskClass_->enclencherMaj();
    deskViewer_->enclencherMaj();
    itemClass_->enclencherMaj();
}

void ZEVDeskOfCursor::placerDevant() { deskViewer_->placerDevant(); }
QGraphicsScene* ZEVDeskOfCursor::deskScene() { return deskViewer_->deskView(); }
void ZEVDeskOfCursor::majImages() { deskViewer_->majImages(); }
void ZEVDeskOfCursor::displayDeskView() { deskViewer_->deskView()->update(); }
void ZEVDeskOfCursor::channelDidChangeWithIdentityInt(KELId identityInt)
{
    deskViewer_->channelDidChangeWithIdentityInt(identityInt);
}

void ZEVDeskOfCursor::setSiFiltreANDOperation(bool andOperation)
{
    itemViewer_->setSiFiltreANDOperation(andOperation);
}

int ZEVDeskOfCursor::visibleItemViewCount(int frontMode)
{
    return static_cast<int>(itemViewer_->visibleItemViewsForMode(frontMode).size());
}

void ZEVDeskOfCursor::addFilenames(const QStringList& paths) { deskViewer_->addFilenames(paths); }

void ZEVDeskOfCursor::deskEditCommand(ZEVDeskEditCommand command)
{
    ZEVDeskView* view = deskViewer_->deskView();
    switch (command) {
    case ZEVDeskEditCommand::SelectAll:
        view->selectAll();
        break;
    case ZEVDeskEditCommand::Copy:
        view->copy();
        break;
    case ZEVDeskEditCommand::Cut:
        view->cut();
        break;
    case ZEVDeskEditCommand::Paste:
        view->paste();
        break;
    }
}

void ZEVDeskOfCursor::selectionDidChange()
{
    deskViewer_->iconSelectionDidChange();
    // Each Object view reads its selection as it draws.
    deskViewer_->deskView()->update();
}

void ZEVDeskOfCursor::ajouteFilterForItem(KELI* item) { itemViewer_->ajouteFilterForItem(item); }
void ZEVDeskOfCursor::enleveFilterForItem(KELI* item) { itemViewer_->enleveFilterForItem(item); }
void ZEVDeskOfCursor::enleveFilterForAllItems() { itemViewer_->enleveFilterForAllItems(); }

std::vector<ZEVItemViewForDesks*> ZEVDeskOfCursor::visibleItemViewsForMode(int frontMode)
{
    return itemViewer_->visibleItemViewsForMode(frontMode);
}

std::vector<ZEVItemConnexion*> ZEVDeskOfCursor::connexionsTouchingItem(KELI* item)
{
    return itemViewer_->connexionsTouchingItem(item);
}

QImage ZEVDeskOfCursor::deskImage()
{
    ZEVDeskView* scene = deskViewer_->deskView();
    const QSize size = scene->sceneRect().size().toSize();
    if (size.isEmpty())
        return {};
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    scene->render(&painter, QRectF(QPointF(0, 0), QSizeF(size)), scene->sceneRect());
    return image;
}

std::string ZEVDeskOfCursor::currentBackImageItemName() { return deskViewer_->currentBackImageItemName(); }

void ZEVDeskOfCursor::displayItemViews() { deskViewer_->displayItemViews(); }
void ZEVDeskOfCursor::majBackImage() { deskViewer_->majBackImage(); }
void ZEVDeskOfCursor::majBackImageSize() { deskViewer_->majBackImageSize(); }
KELI* ZEVDeskOfCursor::currentBackItem() { return deskViewer_->currentBackItem(); }
KELI* ZEVDeskOfCursor::currentBackImageItem() { return deskViewer_->currentBackImageItem(); }
void ZEVDeskOfCursor::delConnexionsForParentInt(KELId parentInt) { itemViewer_->delConnexionsForParentInt(parentInt); }
void ZEVDeskOfCursor::deleteItemViewForItem(KELI* item) { itemViewer_->deleteItemViewForItem(item); }

} // namespace tallomer
