#include "app/FirstWindow.h"
#include "app/KELApplication.h"
#include "app/KELApplicationDelegate.h"
#include "app/space/ZEVSpaceAdapter.h"
#include "platform/QtScheduler.h"
#include "platform/desktop/SingleInstance.h"

#include <QApplication>
#include <QSocketNotifier>

#include <csignal>
#include <memory>
#include <fcntl.h>
#include <unistd.h>

namespace {

// The session ends programs with SIGTERM (and a terminal with SIGINT or SIGHUP): that is a quit
// like any other, so the cursors are saved and the store is closed. The handler only wakes the
// event loop; the quit itself runs there.
int g_signalPipe[2] = {-1, -1};

void onSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(g_signalPipe[1], &byte, 1);
}

std::unique_ptr<QSocketNotifier> quitOnSignals()
{
    if (::pipe2(g_signalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return nullptr;
    auto notifier = std::make_unique<QSocketNotifier>(g_signalPipe[0], QSocketNotifier::Read);
    QObject::connect(notifier.get(), &QSocketNotifier::activated, [] {
        char buffer[16];
        while (::read(g_signalPipe[0], buffer, sizeof buffer) > 0) {
        }
        if (tallomer::KELApplication* app = tallomer::KELApplication::shared())
            app->terminate(nullptr);
        else
            QCoreApplication::quit();
    });
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int sig : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(sig, &action, nullptr);
    return notifier;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication qapp(argc, argv);
    tallomer::setUpApplicationIdentity();
    const QStringList arguments = QCoreApplication::arguments().mid(1);

    // One program per session: a second start hands its files and links to the first and ends.
    tallomer::SingleInstance instance;
    switch (instance.start(arguments)) {
    case tallomer::SingleInstance::Role::Forwarded:
        return 0;
    case tallomer::SingleInstance::Role::Failed:
        // Two programs on one store would overwrite each other's changes.
        return 1;
    case tallomer::SingleInstance::Role::Primary:
    case tallomer::SingleInstance::Role::Standalone:
        break;
    }

    // Declared after the application (its timer needs the event loop) and before every window
    // (targets cancel their performs on it when they die).
    tallomer::QtScheduler scheduler;
    tallomer::Scheduler::setShared(&scheduler);
    const auto signalNotifier = quitOnSignals();
    tallomer::ZEVSpaceAdapter::installer();
    {
        tallomer::KELApplication app;
        tallomer::KELApplicationDelegate delegate(&app);
        app.setDelegate(&delegate);
        delegate.applicationWillFinishLaunching(&instance);
        delegate.openLaunchArguments(arguments);
        app.awakeFromNib();
        if (app.isTerminating())
            return app.exitCode();
        delegate.applicationDidFinishLaunching();
        const int rc = QApplication::exec();
        // The delegate goes first; the application must not call it while it is torn down.
        app.setDelegate(nullptr);
        return rc;
    }
}
