#include "platform/desktop/SingleInstance.h"

#include "engine/runtime/Log.h"
#include "tests/platform/PlatformFixture.h"

#include <QDBusConnectionInterface>
#include <QProcess>

#include <memory>

using tallomer::SingleInstance;
using Role = SingleInstance::Role;

namespace {

// Runs on a bus of its own, started for this suite only, so that nothing is ever registered on
// the user's session bus (nor handed to a running copy of the program).
class SingleInstanceTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        daemon = std::make_unique<QProcess>();
        daemon->start("dbus-daemon", {"--session", "--nofork", "--print-address=1",
                                      "--address=unix:dir=" + tallomer::test::tempFolder("bus")});
        while (!daemon->canReadLine() && daemon->waitForReadyRead(10000)) {
        }
        address = QString::fromUtf8(daemon->readLine()).trimmed();
    }
    static void TearDownTestSuite()
    {
        daemon->terminate();
        daemon->waitForFinished();
        daemon.reset();
    }
    void SetUp() override
    {
        if (address.isEmpty())
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
        names_ << QString("single-instance-test-%1").arg(names_.size());
        return QDBusConnection::connectToBus(address, names_.last());
    }

    static inline std::unique_ptr<QProcess> daemon;
    static inline QString address;
    QStringList names_;
};

} // namespace

TEST_F(SingleInstanceTest, SecondInstanceForwardsAZevpUrlToTheFirst)
{
    QDBusConnection busA = connect();
    ASSERT_TRUE(busA.isConnected());
    SingleInstance first(busA);
    QStringList urls, docs;
    first.getURL = [&](const QString& u) { urls << u; };
    first.openDocuments = [&](const QStringList& p) { docs << p; };
    ASSERT_EQ(first.start({}), Role::Primary);
    EXPECT_TRUE(busA.interface()->isServiceRegistered(SingleInstance::serviceName()));

    SingleInstance second(connect());
    bool secondCalled = false;
    second.getURL = [&](const QString&) { secondCalled = true; };
    EXPECT_EQ(second.start({"zevp://place?id=2000001", "notes.txt"}), Role::Forwarded);

    ASSERT_TRUE(tallomer::test::turnUntil([&] { return !urls.isEmpty() && !docs.isEmpty(); }));
    EXPECT_EQ(urls, QStringList{"zevp://place?id=2000001"});
    // The relative path was made absolute where it was typed, not in the running instance.
    EXPECT_EQ(docs, QStringList{QDir::cleanPath(QDir::currentPath() + "/notes.txt")});
    EXPECT_FALSE(secondCalled);
}

TEST_F(SingleInstanceTest, NameIsFreeAgainWhenTheFirstInstanceEnds)
{
    QDBusConnection busA = connect(), busB = connect();
    ASSERT_EQ(SingleInstance(busA).start({}), Role::Primary);
    EXPECT_EQ(SingleInstance(busB).start({}), Role::Primary);
}

TEST_F(SingleInstanceTest, WithoutABusTheProgramRunsAloneAndSaysSoOnce)
{
    QDBusConnection none = QDBusConnection::connectToBus(QString("unix:path=/nonexistent/bus"), "no-bus");
    names_ << "no-bus";
    ASSERT_FALSE(none.isConnected());
    tallomer::ScopedLogCapture log;
    EXPECT_EQ(SingleInstance(none).start({}), Role::Standalone);
    EXPECT_EQ(SingleInstance(none).start({}), Role::Standalone);
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
    EXPECT_EQ(SingleInstance::absoluteArguments({"a/../b", "zevp://x", "/c"}, "/base"),
              (QStringList{"/base/b", "zevp://x", "/c"}));
}
