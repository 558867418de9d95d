#pragma once
// The running program's objects and how they meet: the scheduler of delayed performs, the
// single-instance service, the application object and its delegate, the Space (made by the root
// controller through the factory installed here) and the desktop's notices. main() builds one
// and runs the event loop; the end-to-end tests build the same one and drive it with real
// events, so that what they prove is what a user gets.

#include "app/KELApplication.h"
#include "platform/desktop/Desktop.h"

#include <QDBusConnection>
#include <QThreadPool>
#include <QWidget>
#include <QStringList>

#include <memory>
#include <optional>

namespace tallomer {


class KELApplicationDelegate;
class QtScheduler;
class SingleInstance;
class UserDefaultsController;
class VolumeWatch;
class ZEVSpaceAdapter;
class SystemDesktop;
class ZEVItemViewerAppHost;

class DBusNotificationCenter;
class EvdevRegistry;
class KELVueDeEspace;
namespace thumbs {
class ThumbnailPool;
}

class ApplicationGraph {
public:
    struct Options {
        // The program's arguments (files and zevp: links), without the program's name.
        QStringList arguments;
        // Its hidRegistry is the input devices the remote is found among (not owned); the
        // machine's own (udev and evdev) when unset.
        KELApplication::Options application;
        // The bus of the single-instance service and of the notifications the remote control
        // exchanges with other programs; the session bus when unset.
        std::optional<QDBusConnection> bus;
        // The preferences every part reads (not owned); the user's own when null.
        UserDefaultsController* defaults = nullptr;
        // Reads the mount roots for the volume watch; the machine's own when empty.
        std::function<QStringList()> volumeLister;
        // What opens files and addresses for the desktop; the first of xdg-open and `gio open`
        // on the PATH when unset.
        std::optional<DesktopOpener> opener;
    };

    // Needs the QApplication. Installs its scheduler as the shared one.
    explicit ApplicationGraph(Options options);
    ~ApplicationGraph();
    ApplicationGraph(const ApplicationGraph&) = delete;
    ApplicationGraph& operator=(const ApplicationGraph&) = delete;

    // Everything up to the event loop. Answers the exit status when the program ends here (its
    // arguments went to the running instance, or the start failed); nullopt when the event loop
    // is to run.
    std::optional<int> start();
    // The event loop returned `status`: the delegate is unhooked before anything is torn down.
    int finish(int status);

    QtScheduler& scheduler() { return *scheduler_; }
    SingleInstance& instance() { return *instance_; }
    KELApplication* application() const { return app_.get(); }
    KELApplicationDelegate* delegate() const { return delegate_.get(); }
    VolumeWatch* volumeWatch() const { return volumes_.get(); }
    // The Space of the running program, once the root controller built it; nullptr before.
    ZEVSpaceAdapter* space() const;
    UserDefaultsController& defaults() const { return *defaults_; }
    // Where the Object views' pictures are made, away from the main thread.
    thumbs::ThumbnailPool& thumbnails() const { return *thumbnails_; }

private:
    Options options_;
    UserDefaultsController* defaults_; // not owned
    std::unique_ptr<QtScheduler> scheduler_;
    std::unique_ptr<QThreadPool> thumbnailThreads_;
    std::unique_ptr<thumbs::ThumbnailPool> thumbnails_;
    std::unique_ptr<SingleInstance> instance_;
    std::unique_ptr<KELApplication> app_;
    std::unique_ptr<KELApplicationDelegate> delegate_;
    std::unique_ptr<VolumeWatch> volumes_;
    std::unique_ptr<EvdevRegistry> devices_;
    std::unique_ptr<DBusNotificationCenter> notifications_;
    // The Space as the browser's columns reach it.
    std::unique_ptr<KELVueDeEspace> browserSpace_;
    // The file jobs on Objects (drops onto folder Objects).
    // The desktop's opener and file manager, and what opening Objects asks of the program.
    std::unique_ptr<SystemDesktop> desktop_;
    std::unique_ptr<ZEVItemViewerAppHost> itemViewerHost_;
    bool finished_ = false;
};

} // namespace tallomer
