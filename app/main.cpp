#include "app/ApplicationGraph.h"
#include "app/FirstWindow.h"
#include "platform/HeapPages.h"
#include "platform/files/OutsideNames.h"

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
    tallomer::heappages::atStart(argv);
    QApplication qapp(argc, argv);
    tallomer::setUpApplicationIdentity();

    tallomer::ApplicationGraph::Options options;
    // From the bytes: a file name that is not valid UTF-8 does not survive QCoreApplication's text.
    options.arguments = tallomer::textArguments(argc, argv);
    tallomer::ApplicationGraph graph(std::move(options));
    const auto signalNotifier = quitOnSignals();
    if (const std::optional<int> status = graph.start())
        return *status;
    return graph.finish(QApplication::exec());
}
