#include "platform/desktop/SingleInstance.h"

#include "engine/runtime/Log.h"
#include "tests/support/TestHome.h"

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/types.h>

using tallomer::SingleInstance;

namespace {

// A private session bus, so nothing is ever registered on the user's own bus. Started for this
// suite only (each test may run in its own process) and stopped after it.
class PrivateBus {
public:
    void start()
    {
        const QString daemon = QStandardPaths::findExecutable("dbus-daemon");
        if (daemon.isEmpty())
            return;
        const QString dir = QString::fromStdString(tallomer::test::makeTempDir("bus"));
        QProcess p;
        p.start(daemon, {"--session", "--fork", "--print-address=1", "--print-pid=1",
                         "--address=unix:dir=" + dir});
        if (!p.waitForFinished(10000))
            return;
        for (const QByteArray& raw : p.readAllStandardOutput().split('\n')) {
            const QString line = QString::fromUtf8(raw).trimmed();
            bool numeric = false;
            const qint64 pid = line.toLongLong(&numeric);
            if (numeric)
                pid_ = pid;
            else if (line.contains(':'))
                address_ = line;
        }
    }
    void stop()
    {
        if (pid_ > 0)
            ::kill(static_cast<pid_t>(pid_), SIGTERM);
        pid_ = 0;
        address_.clear();
    }
    const QString& address() const { return address_; }

private:
    QString address_;
    qint64 pid_ = 0;
};

class SingleInstanceTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { bus.start(); }
    static void TearDownTestSuite() { bus.stop(); }
    void SetUp() override
    {
        if (bus.address().isEmpty())
            GTEST_SKIP() << "dbus-daemon is not available";
    }
    void TearDown() override
    {
        for (const QString& n : names_)
            QDBusConnection::disconnectFromBus(n);
    }
    // Each instance has its own connection, as separate processes would.
    QDBusConnection connect()
    {
        const QString name = QString("single-instance-test-%1").arg(names_.size());
        names_ << name;
        return QDBusConnection::connectToBus(bus.address(), name);
    }
    // Spins the event loop until `done` holds (bounded), as the queued hand-over needs turns.
    template <typename F>
    static bool spinUntil(F done)
    {
        QElapsedTimer t;
        t.start();
        while (!done() && t.elapsed() < 5000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        return done();
    }

    static inline PrivateBus bus;
    QStringList names_;
};

} // namespace

TEST_F(SingleInstanceTest, SecondInstanceForwardsAZevpUrlToTheFirst)
{
    QDBusConnection busA = connect();
    QDBusConnection busB = connect();
    ASSERT_TRUE(busA.isConnected());

    SingleInstance first(busA);
    QStringList urls;
    QStringList docs;
    first.getURL = [&](const QString& u) { urls << u; };
    first.openDocuments = [&](const QStringList& p) { docs << p; };
    ASSERT_EQ(first.start({}), SingleInstance::Role::Primary);
    EXPECT_TRUE(busA.interface()->isServiceRegistered(SingleInstance::serviceName()));

    SingleInstance second(busB);
    bool secondCalled = false;
    second.getURL = [&](const QString&) { secondCalled = true; };
    const QString here = QDir::currentPath();
    EXPECT_EQ(second.start({"zevp://place?id=2000001", "notes.txt"}), SingleInstance::Role::Forwarded);

    ASSERT_TRUE(spinUntil([&] { return !urls.isEmpty() && !docs.isEmpty(); }));
    EXPECT_EQ(urls, QStringList{"zevp://place?id=2000001"});
    // The relative path was made absolute where it was typed, not in the running instance.
    EXPECT_EQ(docs, QStringList{QDir::cleanPath(here + "/notes.txt")});
    EXPECT_FALSE(secondCalled);
}

TEST_F(SingleInstanceTest, NameIsFreeAgainWhenTheFirstInstanceEnds)
{
    QDBusConnection busA = connect();
    QDBusConnection busB = connect();
    {
        SingleInstance first(busA);
        ASSERT_EQ(first.start({}), SingleInstance::Role::Primary);
    }
    SingleInstance next(busB);
    EXPECT_EQ(next.start({}), SingleInstance::Role::Primary);
}

TEST_F(SingleInstanceTest, WithoutABusTheProgramRunsAloneAndSaysSoOnce)
{
    QDBusConnection none = QDBusConnection::connectToBus(QString("unix:path=/nonexistent/bus"), "no-bus");
    names_ << "no-bus";
    ASSERT_FALSE(none.isConnected());
    tallomer::ScopedLogCapture log;
    SingleInstance a(none);
    SingleInstance b(none);
    EXPECT_EQ(a.start({}), SingleInstance::Role::Standalone);
    EXPECT_EQ(b.start({}), SingleInstance::Role::Standalone);
    EXPECT_LE(log.sink.count("no session bus"), 1u);
}

TEST(SingleInstanceDispatch, SortsUrlsFromFiles)
{
    SingleInstance si(QDBusConnection(QString("unused")));
    QStringList urls, docs;
    si.getURL = [&](const QString& u) { urls << u; };
    si.openDocuments = [&](const QStringList& p) { docs << p; };
    tallomer::ScopedLogCapture log;
    si.dispatch({"ZEVP://a", "file:///tmp/x%20y.pdf", "/abs/file", "https://example.org/", "", "zevp://b"});
    EXPECT_EQ(urls, (QStringList{"ZEVP://a", "zevp://b"}));
    EXPECT_EQ(docs, (QStringList{"/tmp/x y.pdf", "/abs/file"}));
    EXPECT_TRUE(log.sink.contains("https://example.org/"));
}

TEST(SingleInstanceDispatch, NamesDeriveFromTheApplicationId)
{
    EXPECT_EQ(SingleInstance::serviceName(), QString("org.tallomer.Tallomer"));
    EXPECT_EQ(SingleInstance::objectPath(), QString("/org/tallomer/Tallomer"));
    EXPECT_EQ(SingleInstance::absoluteArguments({"a/../b", "zevp://x", "/c"}, "/base"),
              (QStringList{"/base/b", "zevp://x", "/c"}));
}
