#include "app/ApplicationGraph.h"

#include "platform/thumbs/Thumbnails.h"

#include "objects/viewer/ZEVItemViewer.h"

#include "app/KELApplicationDelegate.h"
#include "app/ZEVController.h"
#include "app/space/ZEVItemViewerAppHost.h"
#include "app/space/ZEVSpaceAdapter.h"
#include "app/store/KELResources.h"
#include "browser/GUIRulerView.h"
#include "browser/KELVueController.h"
#include "browser/KELVueDeEspace.h"
#include "desk/data/ZEVItemData.h"
#include "engine/KELServeurDeLiens.h"
#include "inspectors/ZEVInspectorClasses.h"
#include "platform/QtScheduler.h"
#include "platform/UserDefaults.h"
#include "platform/desktop/Desktop.h"
#include "platform/desktop/SingleInstance.h"
#include "platform/files/VolumeWatch.h"
#include "platform/files/Volumes.h"
#include "platform/hid/EvdevRegistry.h"
#include "platform/notify/DistributedNotifications.h"
#include "platform/pasteboard/X11LinkAnswer.h"
#include "ruler/ZEVRulerViewer.h"
#include "widgets/ZEVAlert.h"
#include "space/ZEVSpaceController.h"
#include "widgets/FileTypeIcon.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace tallomer {

namespace {

// The browser's columns on the Space's cursors move them through its ruler.
class BrowserSpace final : public KELVueDeEspace {
public:
    explicit BrowserSpace(std::function<ZEVSpaceAdapter*()> space) : space_(std::move(space)) {}
    ZEVRulerViewerServices* rulerViewer() override
    {
        ZEVSpaceController* s = controller();
        return s ? s->rulerViewer() : nullptr;
    }
    KELICurseur* nowCurseur() override { return controller() ? controller()->nowCurseur() : nullptr; }
    KELICurseur* searchCurseur() override { return controller() ? controller()->searchCurseur() : nullptr; }
    KELICurseur* tlCurseur() override { return controller() ? controller()->tlCurseur() : nullptr; }
    KELICurseur* actifCurseur() override { return controller() ? controller()->actifCurseur() : nullptr; }
    std::uint64_t mouvementEnCours() override
    {
        auto* r = dynamic_cast<ZEVRulerViewer*>(rulerViewer());
        return r ? r->mouvementEnCours() : 0;
    }

private:
    ZEVSpaceController* controller() const
    {
        ZEVSpaceAdapter* a = space_();
        return a ? a->space() : nullptr;
    }
    std::function<ZEVSpaceAdapter*()> space_;
};

// The C library raises its thresholds for giving memory back to the system to the largest block
// ever freed: after one large load or image, every thread's heap kept megabytes it no longer used,
// a good part of a large desk's resident memory. Fixed thresholds give freed memory back, and
// large blocks are mapped on their own, so their untouched tails are never resident.
void giveFreedMemoryBack()
{
#if defined(__GLIBC__)
    constexpr int kThreshold = 128 * 1024;
    mallopt(M_MMAP_THRESHOLD, kThreshold);
    mallopt(M_TRIM_THRESHOLD, kThreshold);
#endif
}

} // namespace

ApplicationGraph::ApplicationGraph(Options options)
    : options_(std::move(options)),
      defaults_(options_.defaults ? options_.defaults : &UserDefaultsController::shared()),
      scheduler_(std::make_unique<QtScheduler>())
{
    giveFreedMemoryBack();
    Scheduler::setShared(scheduler_.get());
    // One pool for every Object view's picture, so that decoding never competes with the file
    // jobs' threads nor holds the main thread.
    thumbnailThreads_ = std::make_unique<QThreadPool>();
    thumbnails_ = std::make_unique<thumbs::ThumbnailPool>(thumbnailThreads_.get());
    thumbs::ThumbnailPool::setShared(thumbnails_.get());
    // The program ends by its quit command alone: the Space window only hides when closed, and an
    // alert or panel closed while it is hidden (or that Qt counts as a window of its own) must not
    // end the run without the quit sequence that saves the cursors.
    QGuiApplication::setQuitOnLastWindowClosed(false);
    instance_ = std::make_unique<SingleInstance>(options_.bus ? *options_.bus : QDBusConnection::sessionBus());
}

ApplicationGraph::~ApplicationGraph()
{
    volumes_.reset();
    // The application must not call its delegate while either is torn down.
    if (app_)
        app_->setDelegate(nullptr);
    delegate_.reset();
    app_.reset();
    // The views that asked for pictures are gone; what is still being made is dropped.
    thumbnails_.reset();
    thumbnailThreads_.reset();
    ZEVController::setSpaceControllerFactory({});
    ZEVEntityViewerClasses::reset();
    // Browser windows show links of this run.
    KELVueController::fermerToutes();
    if (KELVueDeEspace::partage() == browserSpace_.get())
        KELVueDeEspace::referencer(nullptr);
    browserSpace_.reset();
    // The links and the Object data index belong to this run.
    KELServeurDeLiens::reset();
    ZEVItemDataChannels::Reset();
    if (ZEVItemViewer::Host() == itemViewerHost_.get())
        ZEVItemViewer::ReferencerHost(nullptr);
    itemViewerHost_.reset();
    if (Desktop::shared() == desktop_.get())
        Desktop::setShared(nullptr);
    desktop_.reset();
    instance_.reset();
    notifications_.reset();
    devices_.reset();
    scheduler_.reset();
}

std::optional<int> ApplicationGraph::start()
{
    // One program per store: a second start hands its files and links to the first and ends.
    switch (instance_->start(options_.arguments)) {
    case SingleInstance::Role::Forwarded:
        return 0;
    case SingleInstance::Role::Failed:
        // Ending here without a word would look as if the start was lost. The calls may still
        // reach it once it answers again: nothing is said to be lost.
        ZEVAlert::ShowSimpleAlertWithMessage(
            QStringLiteral("Tallomer is already running but does not answer."),
            options_.arguments.isEmpty()
                ? QStringLiteral("Quit the running Tallomer, or end it if it does not quit, then start Tallomer again.")
                : QStringLiteral("It may still open what you gave it once it answers. If it does not, quit the "
                                 "running Tallomer (or end it if it does not quit), then try again."));
        return 1;
    case SingleInstance::Role::Primary:
    case SingleInstance::Role::Standalone:
        break;
    }

    // Every icon the program names is looked up in a theme, a bare system's too.
    installIconThemeFallback();
    // Links copied or dragged reach other programs as links.
    installX11LinkAnswer();
    UserDefaultsController* defaults = defaults_;
    ZEVRegisterInspectorClasses();
    ZEVController::setSpaceControllerFactory([defaults](KELId spaceInt, ZEVController* controller, KELICurseur* tl) {
        return ZEVSpaceAdapter::creer(spaceInt, tl, controller, *defaults);
    });
    // The remote control is looked for among the machine's input devices unless given others.
    if (!options_.application.hidRegistry) {
        if (!devices_)
            devices_ = std::make_unique<EvdevRegistry>(makeLinuxEvdevSystem(), makeLogindConsoleSessions());
        options_.application.hidRegistry = devices_.get();
    }
    // The remote is shared with other programs of the session over its bus.
    if (!options_.application.notifications) {
        if (!notifications_)
            notifications_ =
                std::make_unique<DBusNotificationCenter>(options_.bus ? *options_.bus : QDBusConnection::sessionBus());
        options_.application.notifications = notifications_.get();
    }
    app_ = std::make_unique<KELApplication>(options_.application);
    desktop_ = std::make_unique<SystemDesktop>(options_.bus ? *options_.bus : QDBusConnection::sessionBus(),
                                               options_.opener ? *options_.opener : DesktopOpener::find());
    // Whatever asks for a file to be opened, a program runs only once the user said so.
    desktop_->setConfirmRun([](const QString& path) {
        return ZEVAlert::ShowAlertWithTitle(QStringLiteral("Opening Object\u2026"),
                                            QStringLiteral("\"%1\" is a program.").arg(QFileInfo(path).fileName()),
                                            QStringLiteral("Opening it runs it. Do you want to run it?"),
                                            {QStringLiteral("Yes"), QStringLiteral("Cancel")}) == 0;
    });
    Desktop::setShared(desktop_.get());
    itemViewerHost_ = std::make_unique<ZEVItemViewerAppHost>([this]() -> ZEVSpaceController* {
        ZEVSpaceAdapter* s = space();
        return s ? s->space() : nullptr;
    });
    ZEVItemViewer::ReferencerHost(itemViewerHost_.get());
    // The browser's date rulers draw with the application's colours and read their tables from
    // the program's files.
    GUIRulerRessources::referencer(app_->resources(), KELResources::directory());
    browserSpace_ = std::make_unique<BrowserSpace>([this] { return space(); });
    KELVueDeEspace::referencer(browserSpace_.get());
    // The KeyTime windows find the Space once the root controller built it.
    app_->setKeyTimeSpace([this]() -> ZEVKeyTimeSpace* {
        ZEVSpaceAdapter* s = space();
        return s ? s->keyTimeSpace() : nullptr;
    });
    delegate_ = std::make_unique<KELApplicationDelegate>(app_.get(), defaults_);
    app_->setDelegate(delegate_.get());
    delegate_->applicationWillFinishLaunching(instance_.get());
    delegate_->openLaunchArguments(options_.arguments);
    app_->awakeFromNib();
    if (app_->isTerminating())
        return app_->exitCode();
    delegate_->applicationDidFinishLaunching();

    volumes_ = std::make_unique<VolumeWatch>(options_.volumeLister);
    ZEVItemDataChannels::SetVolumeMap(VolumeMap(volumes_->roots(), QDir::homePath()));
    volumes_->changed = [this](VolumeWatch::Change change) {
        // The "another volume" test answers from the mounts as they are now.
        ZEVItemDataChannels::SetVolumeMap(VolumeMap(volumes_->roots(), QDir::homePath()));
        ZEVWorkspaceNotification notice;
        notice.name = change == VolumeWatch::Change::Mounted ? ZEVWorkspaceNotification::DidMount
                                                             : ZEVWorkspaceNotification::DidUnmount;
        if (ZEVController* controller = app_ ? app_->zevController() : nullptr)
            controller->cocoaSystemNotification(notice);
    };
    return std::nullopt;
}

int ApplicationGraph::finish(int status)
{
    if (!finished_ && app_)
        app_->setDelegate(nullptr);
    finished_ = true;
    return status;
}

ZEVSpaceAdapter* ApplicationGraph::space() const
{
    ZEVController* controller = app_ ? app_->zevController() : nullptr;
    return controller ? dynamic_cast<ZEVSpaceAdapter*>(controller->spaceController()) : nullptr;
}

} // namespace tallomer
