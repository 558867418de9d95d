#pragma once
// Starts the application object on a store in temporary folders, with a virtual clock: each
// turn of the event loop is one ManualScheduler turn, alerts are answered without a dialog and
// recorded, and a stop ends nothing but is recorded.

#include "app/KELApplication.h"
#include "app/store/KELResources.h"
#include "app/widgets/ZEVAlert.h"
#include "desk/data/ZEVItemData.h"
#include "engine/KELServeurDeLiens.h"
#include "engine/runtime/Clock.h"
#include "engine/runtime/Log.h"
#include "engine/runtime/Scheduler.h"
#include "engine/runtime/SchedulerClock.h"
#include "engine/store/KELChercheurDe.h"
#include "tests/support/TestHome.h"

#include <QDir>
#include <QWidget>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace apptest {

using tallomer::SchedulerClock;

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

class AppTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        supportDir = q(tallomer::test::makeTempDir("support"));
        homeDir = q(tallomer::test::makeTempDir("home"));
        tallomer::KELResources::setDirectory(q(tallomer::test::buildDir() + "/share/tallomer"));
        tallomer::Clock::setShared(&clock);
        tallomer::Scheduler::setShared(&sched);
        answerer = std::make_unique<tallomer::ScopedAlertAnswerer>([this](const tallomer::ZEVAlertRequest& r) {
            alerts.push_back(r);
            return 0;
        });
    }

    void TearDown() override
    {
        app.reset();
        answerer.reset();
        KELServeurDeLiens::reset();
        tallomer::ZEVItemData::Reset();
        tallomer::Scheduler::setShared(nullptr);
        tallomer::Clock::setShared(nullptr);
        tallomer::KELResources::setDirectory(QString());
    }

    tallomer::KELStoreLayout layout() const { return tallomer::KELStoreLayout(supportDir, homeDir); }

    // The application object as main() makes it, with its stop recorded instead of ending the loop.
    tallomer::KELApplication& makeApp(tallomer::KELApplication::Options options = tallomer::KELApplication::Options())
    {
        options.layout = layout();
        options.setFolderIcon = setFolderIcon;
        app = std::make_unique<tallomer::KELApplication>(std::move(options));
        app->setStopHandler([this](int code) { stops.push_back(code); });
        return *app;
    }

    // Runs awakeFromNib and then each later stage on its own turn until none is pending.
    void startAll()
    {
        app->awakeFromNib();
        sched.runUntilIdle(50);
    }

    // Ends a run as the program does, and forgets the link base so the next start reads the store.
    void endRun()
    {
        if (app && !app->isTerminating())
            app->terminate(nullptr);
        app.reset();
        KELServeurDeLiens::reset();
        tallomer::ZEVItemData::Reset();
        stops.clear();
    }

    static constexpr double kStart = 800000000.0;
    tallomer::ManualScheduler sched{kStart};
    SchedulerClock clock{sched};
    QString supportDir;
    QString homeDir;
    std::unique_ptr<tallomer::ScopedAlertAnswerer> answerer;
    std::vector<tallomer::ZEVAlertRequest> alerts;
    std::vector<int> stops;
    std::unique_ptr<tallomer::KELApplication> app;
    bool setFolderIcon = false; // gio and .directory are the desktop's business; one test asks for them
};

} // namespace apptest
