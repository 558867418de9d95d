#pragma once
// Helpers of the platform tests: fresh folders below the test home, whole-file reads and writes,
// and bounded turns of the event loop.

#include "runtime/Scheduler.h"
#include "tests/support/PumpUntil.h"
#include "tests/support/TestHome.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace tallomer::test {

// The shared scheduler, a virtual one, for the lifetime of the object: declared before what uses
// it, it outlives them.
struct SharedManualScheduler {
    SharedManualScheduler() { Scheduler::setShared(&sched); }
    ~SharedManualScheduler() { Scheduler::setShared(nullptr); }
    SharedManualScheduler(const SharedManualScheduler&) = delete;
    SharedManualScheduler& operator=(const SharedManualScheduler&) = delete;
    ManualScheduler sched{500.0};
};

inline QString tempFolder(const char* prefix = "t") { return QString::fromStdString(makeTempDir(prefix)); }

inline QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Writes the whole file, making its folder first; answers the path.
inline QString writeFile(const QString& path, const QByteArray& content = "data")
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(content) == content.size())
        << path.toStdString();
    return path;
}

// Turns the event loop until `done` holds; the wall-clock guard makes a driver that never fires
// fail the test instead of hanging it.
template <typename Done> bool turnUntil(Done done)
{
    return pumpUntil(done);
}

} // namespace tallomer::test
