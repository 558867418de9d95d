#include "app/space/ZEVSpaceAdapter.h"

#include "app/KELApplication.h"
#include "app/ZEVController.h"
#include "app/store/KELResources.h"
#include "desk/data/ZEVItemData.h"
#include "desk/viewer/ZEVDeskOfCursor.h"
#include "desk/viewer/ZEVDeskViewer.h"
#include "desk/viewer/ZEVSpaceDeskServices.h"
#include "objects/viewer/ZEVItemViewer.h"
#include "space/ZEVSpaceController.h"
#include "space/ZEVSpaceWindow.h"

#include <QFileInfo>

namespace tallomer {

std::unique_ptr<ZEVSpaceControllerBase> ZEVSpaceAdapter::creer(KELId spaceInt, KELICurseur* tlCurseur,
                                                             KELApplication* app)
{
    auto adapter = std::make_unique<ZEVSpaceAdapter>(app);
    adapter->space_ = ZEVSpaceController::initSpaceControllerWithSpaceInt(spaceInt, *adapter, tlCurseur);
    if (!adapter->space_)
        return nullptr;
    return adapter;
}

void ZEVSpaceAdapter::installer()
{
    ZEVController::setSpaceControllerFactory([](KELId spaceInt, ZEVController*, KELICurseur* tl) {
        return creer(spaceInt, tl, KELApplication::shared());
    });
}

ZEVSpaceAdapter::ZEVSpaceAdapter(KELApplication* app) : app_(app) {}

ZEVSpaceAdapter::~ZEVSpaceAdapter()
{
    // The desks go with the controller, before the services they were given.
    space_.reset();
}

QWidget* ZEVSpaceAdapter::spaceWindow() { return space_ ? space_->spaceWindow() : nullptr; }
KELICurseur* ZEVSpaceAdapter::nowCurseur() { return space_ ? space_->nowCurseur() : nullptr; }
KELICurseur* ZEVSpaceAdapter::searchCurseur() { return space_ ? space_->searchCurseur() : nullptr; }
KELICurseur* ZEVSpaceAdapter::actifCurseur() { return space_ ? space_->actifCurseur() : nullptr; }
KELId ZEVSpaceAdapter::currentChannelInt() { return space_ ? space_->currentChannelInt() : 0; }

void ZEVSpaceAdapter::volumeMountDidChange()
{
    if (space_)
        space_->volumeMountDidChange();
}

void ZEVSpaceAdapter::updateActifCurseur(KELICurseur* curseur)
{
    if (space_)
        space_->updateActifCurseur(curseur);
}

void ZEVSpaceAdapter::relancerLesCurseurs()
{
    if (space_)
        space_->relancerLesCurseurs();
}

void ZEVSpaceAdapter::referencerSpaceController(ZEVSpaceController* space)
{
    deskServices_ = std::make_unique<ZEVSpaceDeskServices>(*space);
    // The wallpapers of a first run come from the program's own copies.
    const QString wallpaper = KELResources::wallpaperPath(QStringLiteral("zevWallpaperGrey"));
    if (!wallpaper.isEmpty())
        deskServices_->setWallpaperResourceFolder(QFileInfo(wallpaper).absolutePath());
}

QString ZEVSpaceAdapter::storeFolder() { return app_ ? app_->zevDirURL() : QString(); }

std::unique_ptr<ZEVCursorDesk> ZEVSpaceAdapter::creerDesk(KELICurseur* curseur, ZEVSpaceController& space)
{
    ZEVSpaceDeskServices* services = deskServices_.get();
    return std::make_unique<ZEVDeskOfCursor>(
        space, curseur, services,
        [services](KELICurseur* c, ZEVDeskClass* deskClass, ZEVDeskViewer* deskViewer, ZEVItemClass* itemClass) {
            auto viewer = std::make_unique<ZEVItemViewer>(c, services, deskViewer);
            viewer->referencerItemClass(itemClass, deskClass);
            return viewer;
        });
}

void ZEVSpaceAdapter::setCurrentChannelInt(KELId channelInt) { ZEVItemData::SetCurrentChannelInt(channelInt); }

QString ZEVSpaceAdapter::fileUrlForItem(KELI* item) { return ZEVItemData::FileUrlForItem(item); }

void ZEVSpaceAdapter::setActifCurseurColorSiNow(bool siNow)
{
    if (app_)
        app_->setActifCurseurColorSiNow(siNow);
}

void ZEVSpaceAdapter::closeProgressPanel()
{
    if (app_ && app_->progressPanel())
        app_->progressPanel()->close();
}

void ZEVSpaceAdapter::userQuit()
{
    if (KELApplication* app = KELApplication::shared())
        app->terminate(nullptr);
}

} // namespace tallomer
