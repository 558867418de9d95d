// The real program, started as a person starts it, runs with its heap in huge pages where the
// system has them, in the one process the person started.

#include "tests/e2e/E2EFixture.h"

#include <QFile>
#include <QProcess>

namespace e2e {
namespace {

QByteArray readProc(qint64 pid, const char* what)
{
    QFile f(QStringLiteral("/proc/%1/%2").arg(pid).arg(QLatin1String(what)));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool systemHasHugePages()
{
    QFile f(QStringLiteral("/sys/kernel/mm/transparent_hugepage/enabled"));
    if (!f.open(QIODevice::ReadOnly))
        return false;
    const QByteArray modes = f.readAll();
    return modes.contains('[') && !modes.contains("[never]");
}

// A program built with a sanitizer carries its allocator in a library of its own.
bool runsASanitizer(qint64 pid)
{
    const QByteArray maps = readProc(pid, "maps");
    return maps.contains("libasan") || maps.contains("libtsan") || maps.contains("libmsan");
}

// Ends the started program whichever way the test leaves.
struct Ended {
    QProcess& program;
    ~Ended()
    {
        if (program.state() == QProcess::NotRunning)
            return;
        program.terminate();
        if (!program.waitForFinished(test::kWaitMilliseconds)) {
            program.kill();
            program.waitForFinished();
        }
    }
};

TEST_F(E2E, TheProgramRunsWithItsHeapInHugePagesInTheProcessThePersonStarted)
{
    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), bus.address());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.remove(QStringLiteral("GLIBC_TUNABLES"));
    env.remove(QStringLiteral("TALLOMER_TUNABLES_BEFORE"));
    program.setProcessEnvironment(env);
    program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    const Ended ended{program};
    program.start(q(test::buildDir() + "/bin/tallomer"), {});
    ASSERT_TRUE(program.waitForStarted(test::kWaitMilliseconds));
    const qint64 pid = program.processId();
    // The store is made once the program runs its own code, after any start again: from then on
    // the process shows the environment it runs with.
    ASSERT_TRUE(test::pumpUntil([&] { return QFile::exists(database()) || program.state() != QProcess::Running; }));
    ASSERT_EQ(program.state(), QProcess::Running) << "the program ended at start";
    const QByteArray environment = readProc(pid, "environ");
    const QList<QByteArray> variables = environment.split('\0');

    if (systemHasHugePages() && !runsASanitizer(pid)) {
        EXPECT_TRUE(variables.contains("GLIBC_TUNABLES=glibc.malloc.hugetlb=1"));
        // Given no tunables, it has none to put back for the programs it opens.
        EXPECT_TRUE(variables.contains("TALLOMER_TUNABLES_BEFORE="));
        // The heap it allocates from is one the system backs with huge pages.
        ASSERT_TRUE(test::pumpUntil([&] {
            const QList<QByteArray> lines = readProc(pid, "smaps").split('\n');
            bool inHeap = false;
            for (const QByteArray& line : lines) {
                const QByteArray first = line.left(line.indexOf(' '));
                if (first.contains('-') && !first.endsWith(':')) // a mapping's own line
                    inHeap = line.trimmed().endsWith("[heap]");
                else if (inHeap && line.startsWith("THPeligible:") && line.trimmed().endsWith('1'))
                    return true;
            }
            return false;
        })) << "no part of the heap is one the system may back with huge pages";
    } else {
        EXPECT_FALSE(environment.contains("GLIBC_TUNABLES=glibc.malloc.hugetlb"));
        EXPECT_FALSE(environment.contains("TALLOMER_TUNABLES_BEFORE"));
    }
    // Still the process that was started, under the program's name: whoever started it (the
    // desktop, a terminal) waits on the program itself, and process lists name it.
    EXPECT_EQ(program.processId(), pid);
    EXPECT_EQ(readProc(pid, "comm").trimmed(), "tallomer");
}

} // namespace
} // namespace e2e
