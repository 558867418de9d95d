#pragma once
// The space controller as its desks see it: what the desk models and desk viewers ask, answered
// from ZEVSpaceController, its window and its space model. The code that builds a Space's desks
// makes one of these per Space and hands it to every desk model, Object factory and desk viewer.
//
// Background render caches of the space model are given the loading the desks need: a picture is
// rendered on the thread pool and handed back to the main thread (ZEVBackImageRenderer).

#include "desk/background/ZEVBackRenderCache.h"
#include "desk/viewer/ZEVDeskSpaceServices.h"
#include "engine/runtime/Scheduler.h"

#include <QObject>
#include <QSize>

#include <map>
#include <memory>

namespace tallomer {

class ZEVBackObject;
class ZEVSpaceController;

// Loading for one of the space model's background render caches; the cache is not owned and
// outlives this (both live as long as the Space).
class ZEVBackObjectLoader final : public ZEVBackImageLoad {
public:
    explicit ZEVBackObjectLoader(ZEVBackObject* object) : object_(object) {}

    KELI* imageItem() const override;
    KELI* scaleMot() const override;
    double initialImageRatio() const override;
    QImage backImage() const override;
    void setWindowRect(const QRectF& rect) override;

protected:
    QString loadPath() const override;
    QRectF loadRect() const override;
    void applyRender(const ZEVBackRender& render) override;

private:
    ZEVBackObject* object_; // not owned
    double ratio_ = 0;
};

class ZEVSpaceDeskServices final : public ZEVDeskSpaceServices {
public:
    explicit ZEVSpaceDeskServices(ZEVSpaceController& space);
    ~ZEVSpaceDeskServices() override;

    KELICurseur* tlCurseur() override;
    ZEVDeskGeometry* deskGeometry() override;
    KELI* channelForIdentityInt(KELId id) override;
    KELI* identity() override;
    KELId identityInt() override;
    int frontMode() override;
    KELICurseur* actifCurseur() override;
    KELICurseur* nowCurseur() override;
    KELICurseur* searchCurseur() override;
    ZEVDeskViewer* deskViewerForCurseur(KELICurseur* curseur) override;
    KELId homeChannelInt() override;
    QColor colorForColorItem(KELI* colorItem) override;
    ZEVBackObjectServices* backObjectForItemInt(KELId imageId, KELId scaleId) override;
    ZEVBackObjectServices* backObjectForImage(KELI* image, KELId channelInt, const QRectF& windowRect,
                                              KELI* scaleMot) override;
    void placerDevantDeskView(ZEVDeskViewer* deskViewer) override;
    void setBrowsedSpaceBackImageInt(KELId imageId) override;
    int goToTag() override;
    void updateSpaceRatio(double width, double height) override;
    void draggingSessionStartedWithInteger(long sequence) override;
    long draggingSessionInteger() override;
    void draggingSessionDidStop() override;
    bool siCancelDraggingSession() override;
    // The wallpapers of a first run: the program's copies lie in `folder` (none set: the store's
    // copies are taken for them), the store's in the store folder.
    void setWallpaperResourceFolder(const QString& folder) { resourceFolder_ = folder; }
    std::string wallpaperResourcePath(const std::string& name) override;
    std::string wallpaperStorePath(const std::string& name) override;
    std::string storeFolderPath() override;

    // The desks take the size of the canvas that shows them, now and whenever it changes.
    void suivreLeCanevas();

private:
    ZEVBackObjectServices* loader(ZEVBackObject* object);
    void canevasRedimensionne(const QSize& size);
    std::vector<ZEVDeskViewer*> desks();

    ZEVSpaceController& space_;
    std::unique_ptr<QObject> suiveur_; // watches the canvas' viewport
    QString resourceFolder_;
    ScheduledTarget guard_{this};
    std::map<ZEVBackObject*, std::unique_ptr<ZEVBackObjectLoader>> loaders_;
};

} // namespace tallomer
