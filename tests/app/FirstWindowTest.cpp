#include "app/FirstWindow.h"
#include "platform/AppId.h"
#include "platform/QtScheduler.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QStandardPaths>
#include <QTimer>
#include <QWindow>

#include <gtest/gtest.h>

#include <functional>

using namespace tallomer;

TEST(FirstWindow, IdentityNamesTheApplicationAndItsDataFolder)
{
    setUpApplicationIdentity();
    EXPECT_EQ(QCoreApplication::applicationName(), QStringLiteral("Tallomer"));
    EXPECT_EQ(QGuiApplication::desktopFileName(), QString::fromLatin1(kAppId));
    EXPECT_TRUE(QCoreApplication::organizationName().isEmpty());
    const QString data = QString::fromLocal8Bit(qgetenv("XDG_DATA_HOME")) + QStringLiteral("/Tallomer");
    EXPECT_EQ(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation), data);
}

TEST(FirstWindow, StartsOffscreenAndTheApplicationQuitsWhenItCloses)
{
    setUpApplicationIdentity();
    QtScheduler scheduler;
    Scheduler::setShared(&scheduler);
    ASSERT_TRUE(QGuiApplication::quitOnLastWindowClosed());
    {
        FirstWindow window;
        EXPECT_EQ(window.windowTitle(), QStringLiteral("Tallomer"));
        bool wasExposed = false;
        // As main() does: show, then run the loop; once the window is on screen, close it.
        window.show();
        std::function<void()> closeWhenShown = [&] {
            if (window.windowHandle() && window.windowHandle()->isExposed()) {
                wasExposed = true;
                window.close();
            } else {
                Scheduler::shared().perform(&window, "close", 0.005, closeWhenShown);
            }
        };
        Scheduler::shared().perform(&window, "close", 0, closeWhenShown);
        // If the loop does not end by itself, fail rather than hang.
        bool timedOut = false;
        QTimer guard;
        guard.setSingleShot(true);
        QObject::connect(&guard, &QTimer::timeout, [&] {
            timedOut = true;
            QCoreApplication::exit(1);
        });
        guard.start(10000);
        const int rc = QApplication::exec();
        EXPECT_FALSE(timedOut) << "closing the last window did not end the event loop";
        EXPECT_EQ(rc, 0);
        EXPECT_TRUE(wasExposed);
        EXPECT_FALSE(window.isVisible());
    }
    EXPECT_EQ(scheduler.pendingCount(), 0u);
    Scheduler::setShared(nullptr);
}
