#include "desk/viewer/ZEVSpaceDeskServices.h"

#include "desk/data/ZEVItemData.h"
#include "desk/view/ZEVDeskView.h"
#include "desk/viewer/ZEVDeskViewer.h"
#include "engine/KELLien.h"
#include "engine/runtime/Scheduler.h"
#include "space/ZEVBackObject.h"
#include "space/ZEVSpaceClass.h"
#include "space/ZEVSpaceController.h"
#include "space/ZEVSpaceWindow.h"

#include <QResizeEvent>
#include <QUrl>

namespace tallomer {

// ---------------------------------------------------------------------------------------------
// Loading a background render cache

KELI* ZEVBackObjectLoader::imageItem() const { return object_->imageItem(); }
KELI* ZEVBackObjectLoader::scaleMot() const { return object_->scaleMot(); }
double ZEVBackObjectLoader::initialImageRatio() const
{
    return ratio_ > 0 ? ratio_ : object_->initialImageRatio();
}
QImage ZEVBackObjectLoader::backImage() const { return object_->backImage(); }
void ZEVBackObjectLoader::setWindowRect(const QRectF& rect) { object_->setWindowRect(rect); }
QRectF ZEVBackObjectLoader::loadRect() const { return object_->windowRect(); }

QString ZEVBackObjectLoader::loadPath() const
{
    QString path = object_->fileURL();
    if (path.isEmpty())
        path = ZEVItemData::FileUrlForItem(object_->imageItem());
    return path.startsWith(QLatin1String("file:")) ? QUrl(path).toLocalFile() : path;
}

void ZEVBackObjectLoader::applyRender(const ZEVBackRender& r)
{
    if (r.ratio > 0)
        ratio_ = r.ratio;
    if (!r.image.isNull())
        object_->setBackImage(r.image);
}

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
// The picture is rendered again once the size has held this long.
constexpr double kResizeSettled = 0.3;

} // namespace

ZEVSpaceDeskServices::ZEVSpaceDeskServices(ZEVSpaceController& space) : space_(space) {}

ZEVSpaceDeskServices::~ZEVSpaceDeskServices() = default;

void ZEVSpaceDeskServices::suivreLeCanevas()
{
    ZEVSpaceWindow* w = space_.spaceWindow();
    QWidget* viewport = w ? w->spaceView()->deskCanvas()->viewport() : nullptr;
    if (!viewport || suiveur_)
        return;
    suiveur_ = std::make_unique<Suiveur>([this](const QSize& s) { canevasRedimensionne(s); });
    viewport->installEventFilter(suiveur_.get());
    canevasRedimensionne(viewport->size());
}

std::vector<ZEVDeskViewer*> ZEVSpaceDeskServices::desks()
{
    std::vector<ZEVDeskViewer*> out;
    for (KELICurseur* c : {space_.searchCurseur(), space_.nowCurseur()})
        if (ZEVDeskViewer* d = c ? space_.deskViewerForCurseur(c) : nullptr)
            out.push_back(d);
    return out;
}

void ZEVSpaceDeskServices::canevasRedimensionne(const QSize& size)
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

KELICurseur* ZEVSpaceDeskServices::tlCurseur() { return space_.tlCurseur(); }
ZEVDeskGeometry* ZEVSpaceDeskServices::deskGeometry() { return &space_.deskGeometry(); }
KELI* ZEVSpaceDeskServices::channelForIdentityInt(KELId id) { return space_.channelForIdentityInt(id); }
KELI* ZEVSpaceDeskServices::identity() { return space_.channelForIdentityInt(space_.currentChannelInt()); }
KELId ZEVSpaceDeskServices::identityInt() { return space_.currentChannelInt(); }
int ZEVSpaceDeskServices::frontMode()
{
    ZEVFrontViewerServices* f = space_.frontViewer();
    return f ? f->frontMode() : 0;
}
KELICurseur* ZEVSpaceDeskServices::actifCurseur() { return space_.actifCurseur(); }
KELICurseur* ZEVSpaceDeskServices::nowCurseur() { return space_.nowCurseur(); }
KELICurseur* ZEVSpaceDeskServices::searchCurseur() { return space_.searchCurseur(); }
ZEVDeskViewer* ZEVSpaceDeskServices::deskViewerForCurseur(KELICurseur* c) { return space_.deskViewerForCurseur(c); }
KELId ZEVSpaceDeskServices::homeChannelInt() { return space_.homeChannelInt(); }
QColor ZEVSpaceDeskServices::colorForColorItem(KELI* colorItem) { return space_.colorForColorItem(colorItem); }

ZEVBackObjectServices* ZEVSpaceDeskServices::loader(ZEVBackObject* object)
{
    if (!object)
        return nullptr;
    auto& slot = loaders_[object];
    if (!slot)
        slot = std::make_unique<ZEVBackObjectLoader>(object);
    return slot.get();
}

ZEVBackObjectServices* ZEVSpaceDeskServices::backObjectForItemInt(KELId imageId, KELId scaleId)
{
    ZEVSpaceClass* model = space_.spaceClass();
    return model ? loader(model->backObjectForItemInt(imageId, scaleId)) : nullptr;
}

ZEVBackObjectServices* ZEVSpaceDeskServices::backObjectForImage(KELI* image, KELId channelInt,
                                                                const QRectF& windowRect, KELI* scaleMot)
{
    ZEVSpaceClass* model = space_.spaceClass();
    return model ? loader(model->backObjectForImage(image, channelInt, windowRect, scaleMot)) : nullptr;
}

void ZEVSpaceDeskServices::placerDevantDeskView(ZEVDeskViewer* deskViewer)
{
    if (ZEVSpaceWindow* w = space_.spaceWindow()) {
        w->placerDevantDeskView(deskViewer ? deskViewer->deskView() : nullptr);
        suivreLeCanevas();
    }
}

void ZEVSpaceDeskServices::setBrowsedSpaceBackImageInt(KELId imageId) { space_.setBrowsedSpaceBackImageInt(imageId); }
int ZEVSpaceDeskServices::goToTag() { return static_cast<int>(space_.goToTag()); }
void ZEVSpaceDeskServices::updateSpaceRatio(double, double) { space_.updateSpaceRatio(); }
void ZEVSpaceDeskServices::draggingSessionStartedWithInteger(long s) { space_.draggingSessionStartedWithInteger(s); }
long ZEVSpaceDeskServices::draggingSessionInteger() { return space_.draggingSessionInteger(); }
void ZEVSpaceDeskServices::draggingSessionDidStop() { space_.draggingSessionDidStop(); }
bool ZEVSpaceDeskServices::siCancelDraggingSession() { return space_.siCancelDraggingSession(); }

std::string ZEVSpaceDeskServices::storeFolderPath() { return space_.host().storeFolder().toStdString(); }

std::string ZEVSpaceDeskServices::wallpaperStorePath(const std::string& name)
{
    return storeFolderPath() + "/" + name;
}

std::string ZEVSpaceDeskServices::wallpaperResourcePath(const std::string& name)
{
    if (resourceFolder_.isEmpty())
        return wallpaperStorePath(name);
    return (resourceFolder_ + "/" + QString::fromStdString(name)).toStdString();
}

} // namespace tallomer
