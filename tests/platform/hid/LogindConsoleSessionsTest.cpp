// The console's sessions as a login manager on a bus of the test's own tells them: seat0's
// sessions with their users and active flags, the seat's change of active session, and nothing
// at all where no login manager answers. The registry root's console users are made of them.

#include "platform/hid/ConsoleSessions.h"
#include "platform/hid/EvdevRegistry.h"
#include "platform/hid/FakeEvdevSystem.h"
#include "tests/platform/PlatformFixture.h"
#include "tests/support/BusDaemon.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QProcess>
#include <QThread>

#include <gtest/gtest.h>

namespace {
struct SessionRef {
    QString id;
    QDBusObjectPath path;
};
struct UserRef {
    quint32 uid = 0;
    QDBusObjectPath path;
};
QDBusArgument& operator<<(QDBusArgument& a, const SessionRef& s)
{
    a.beginStructure();
    a << s.id << s.path;
    a.endStructure();
    return a;
}
const QDBusArgument& operator>>(const QDBusArgument& a, SessionRef& s)
{
    a.beginStructure();
    a >> s.id >> s.path;
    a.endStructure();
    return a;
}
QDBusArgument& operator<<(QDBusArgument& a, const UserRef& u)
{
    a.beginStructure();
    a << u.uid << u.path;
    a.endStructure();
    return a;
}
const QDBusArgument& operator>>(const QDBusArgument& a, UserRef& u)
{
    a.beginStructure();
    a >> u.uid >> u.path;
    a.endStructure();
    return a;
}
} // namespace
Q_DECLARE_METATYPE(SessionRef)
Q_DECLARE_METATYPE(UserRef)

namespace tallomer {
namespace {

const QString kRoot = QStringLiteral("/org/freedesktop/login1");

// A login manager answering Properties.Get for seat0 and its sessions.
class FakeLogind final : public QDBusVirtualObject {
public:
    struct Session {
        QString id;
        quint32 uid;
        bool active;
        bool hasUser = true;
    };
    QString introspect(const QString&) const override { return {}; }
    bool handleMessage(const QDBusMessage& m, const QDBusConnection& c) override
    {
        if (m.interface() != QLatin1String("org.freedesktop.DBus.Properties") || m.member() != QLatin1String("Get"))
            return false;
        const QString property = m.arguments().value(1).toString();
        QVariant value;
        if (m.path() == kRoot + "/seat/seat0" && property == "Sessions") {
            QList<SessionRef> refs;
            for (const Session& s : sessions)
                refs << SessionRef{s.id, QDBusObjectPath(kRoot + "/session/" + s.id)};
            value = QVariant::fromValue(refs);
        }
        for (const Session& s : sessions) {
            if (m.path() != kRoot + "/session/" + s.id)
                continue;
            if (property == "User" && s.hasUser)
                value = QVariant::fromValue(UserRef{s.uid, QDBusObjectPath(kRoot + "/user/_" + QString::number(s.uid))});
            else if (property == "Active")
                value = s.active;
        }
        if (!value.isValid())
            c.send(m.createErrorReply(QDBusError::UnknownProperty, property));
        else
            c.send(m.createReply(QVariant::fromValue(QDBusVariant(value))));
        return true;
    }
    std::vector<Session> sessions;
};

class ConsoleSessionsLogind : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        qDBusRegisterMetaType<SessionRef>();
        qDBusRegisterMetaType<QList<SessionRef>>();
        qDBusRegisterMetaType<UserRef>();
        daemon = std::make_unique<test::BusDaemon>();
        address = daemon->address();
    }
    static void TearDownTestSuite() { daemon.reset(); }
    void SetUp() override
    {
        if (address.isEmpty())
            GTEST_SKIP() << "dbus-daemon is not available";
        manager = QDBusConnection::connectToBus(address, "logind-manager");
        client = QDBusConnection::connectToBus(address, "logind-client");
        ASSERT_TRUE(manager.registerService("org.freedesktop.login1"));
        ASSERT_TRUE(manager.registerVirtualObject(kRoot, &logind, QDBusConnection::SubPath));
        // The reader blocks on its calls, as it may against the real one in another process.
        thread.start();
        logind.moveToThread(&thread);
    }
    void TearDown() override
    {
        manager.unregisterObject(kRoot);
        thread.quit();
        thread.wait();
        QDBusConnection::disconnectFromBus("logind-manager");
        QDBusConnection::disconnectFromBus("logind-client");
    }
    void activeSessionChanged(const QString& interface = "org.freedesktop.login1.Seat")
    {
        QDBusMessage m = QDBusMessage::createSignal(kRoot + "/seat/seat0", "org.freedesktop.DBus.Properties",
                                                    "PropertiesChanged");
        m << interface << QVariantMap{{"ActiveSession", QVariant::fromValue(QDBusVariant(QString("c2")))}}
          << QStringList{};
        manager.send(m);
    }

    static inline std::unique_ptr<test::BusDaemon> daemon;
    static inline QString address;
    QDBusConnection manager{QString()};
    QDBusConnection client{QString()};
    QThread thread;
    FakeLogind logind;
};

TEST_F(ConsoleSessionsLogind, SeatSessionsGiveTheConsoleUsersAndAChangeOfActiveSessionIsTold)
{
    logind.sessions = {{"c1", 1000, false}, {"c2", 1001, true}};
    auto sessions = makeLogindConsoleSessions(client);
    ConsoleSessions* s = sessions.get();
    EvdevRegistry registry(std::make_unique<FakeEvdevSystem>(), std::move(sessions));
    EXPECT_EQ(registry.rootProperty("IOConsoleUsers"),
              QVariant(QVariantList{
                  QVariantMap{{"kCGSSessionUserIDKey", 1000ull}, {"kCGSSessionOnConsoleKey", false}},
                  QVariantMap{{"kCGSSessionUserIDKey", 1001ull}, {"kCGSSessionOnConsoleKey", true}}}));
    EXPECT_FALSE(registry.rootProperty("Other").isValid());

    std::vector<std::uint32_t> told;
    IOReturn r = kIOReturnError;
    auto busy = registry.addRootBusyInterest([&](std::uint32_t m) { told.push_back(m); }, r);
    ASSERT_EQ(r, kIOReturnSuccess);
    // Another interface's change is not the seat's; the seat's is told once.
    activeSessionChanged("org.freedesktop.login1.Other");
    activeSessionChanged();
    EXPECT_TRUE(test::turnUntil([&] { return !told.empty(); }));
    EXPECT_EQ(told, std::vector<std::uint32_t>{kIOMessageServiceBusyStateChange});

    // Ended: nothing more is told.
    busy.reset();
    told.clear();
    int direct = 0;
    s->watch([&] { ++direct; });
    activeSessionChanged();
    EXPECT_TRUE(test::turnUntil([&] { return direct == 1; }));
    EXPECT_TRUE(told.empty());
    s->watch({});

    // A session whose user cannot be read is left out.
    logind.sessions = {{"c3", 1002, true}, {"c4", 1003, true, false}};
    const std::vector<ConsoleSession> now = s->sessions();
    ASSERT_EQ(now.size(), 1u);
    EXPECT_EQ(now[0].userID, 1002u);
    EXPECT_TRUE(now[0].active);
}

TEST(ConsoleSessionsWithoutLogind, ReadEmptyAndTheWatchNeverFires)
{
    // A bus that cannot be reached.
    const QDBusConnection none = QDBusConnection::connectToBus(QStringLiteral("unix:path=/nonexistent/bus"),
                                                               QStringLiteral("no-logind"));
    auto sessions = makeLogindConsoleSessions(none);
    int told = 0;
    sessions->watch([&] { ++told; });
    EXPECT_TRUE(sessions->sessions().empty());
    sessions->watch({});
    EXPECT_EQ(told, 0);
    QDBusConnection::disconnectFromBus(QStringLiteral("no-logind"));
}

} // namespace
} // namespace tallomer
