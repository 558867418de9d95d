#pragma once
// Starts the application object on a store in temporary folders, with a virtual clock: each
// turn of the event loop is one ManualScheduler turn, alerts are answered without a dialog and
// recorded, and a stop ends nothing but is recorded.

#include "app/KELApplication.h"
#include "app/KELApplicationDelegate.h"
#include "app/ZEVController.h"
#include "app/store/KELResources.h"
#include "widgets/ZEVAlert.h"
#include "desk/data/ZEVItemData.h"
#include "engine/KELICurseur.h"
#include "engine/KELServeurDeLiens.h"
#include "runtime/Log.h"
#include "runtime/SchedulerClock.h"
#include "engine/store/KELChercheurDe.h"
#include "platform/UserDefaults.h"
#include "platform/desktop/GtkBookmarks.h"
#include "tests/support/TestHome.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QWidget>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <memory>
#include <vector>

namespace apptest {

using namespace tallomer;

inline QString q(const std::string& s) { return QString::fromStdString(s); }

inline bool writeFile(const QString& path, const QByteArray& data)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(data) == data.size();
}

inline QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline mode_t modeOf(const QString& path)
{
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? (st.st_mode & 07777) : 0;
}

class AppTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        KELResources::setDirectory(q(test::buildDir() + "/share/tallomer"));
        Clock::setShared(&clock);
        Scheduler::setShared(&sched);
        QFile::remove(GtkBookmarks::bookmarksPath()); // every test shares the one temporary home
    }

    void TearDown() override
    {
        if (app) // as main() ends: the delegate goes first, unhooked so the application cannot call it
            app->setDelegate(nullptr);
        delegate.reset();
        app.reset();
        KELServeurDeLiens::reset();
        ZEVItemDataChannels::Reset();
        ZEVController::setSpaceControllerFactory({});
        Scheduler::setShared(nullptr);
        Clock::setShared(nullptr);
        KELResources::setDirectory(QString());
    }

    KELStoreLayout layout() const { return KELStoreLayout(supportDir, homeDir); }

    // The application object as main() makes it, with its stop recorded instead of ending the loop.
    KELApplication& makeApp()
    {
        KELApplication::Options options;
        options.layout = layout();
        options.setFolderIcon = setFolderIcon;
        app = std::make_unique<KELApplication>(std::move(options));
        app->setStopHandler([this](int code) { stops.push_back(code); });
        return *app;
    }

    KELApplication& makeAppWithDelegate()
    {
        delegate = std::make_unique<KELApplicationDelegate>(&makeApp(), &values);
        app->setDelegate(delegate.get());
        return *app;
    }

    // Runs awakeFromNib and then each later stage on its own turn until none is pending.
    void startAll()
    {
        app->awakeFromNib();
        sched.runUntilIdle(50);
    }

    ManualScheduler sched{800000000.0};
    SchedulerClock clock{sched};
    QString supportDir = q(test::makeTempDir("support"));
    QString homeDir = q(test::makeTempDir("home"));
    std::vector<ZEVAlertRequest> alerts;
    ScopedAlertAnswerer answerer{[this](const ZEVAlertRequest& r) { return alerts.push_back(r), 0; }};
    std::vector<int> stops;
    UserDefaults defaults{q(test::makeTempDir("defaults")) + "/Tallomer.conf"};
    UserDefaultsController values{defaults};
    std::unique_ptr<KELApplication> app;
    std::unique_ptr<KELApplicationDelegate> delegate;
    bool setFolderIcon = false; // gio and .directory are the desktop's business; one test asks for them
};

} // namespace apptest
