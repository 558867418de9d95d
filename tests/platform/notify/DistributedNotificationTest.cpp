// Notifications between programs: who is told (name and object, the poster included, once each,
// never inside the post), over two connections to a bus of the test's own, and what arrives from
// a program that does not keep to the signal's shape.

#include "platform/notify/DistributedNotifications.h"
#include "tests/platform/PlatformFixture.h"
#include "tests/support/BusDaemon.h"

#include <QDBusMessage>
#include <QProcess>

#include <gtest/gtest.h>

#include <memory>

namespace tallomer {
namespace {

using Seen = std::vector<std::string>;

// Records "<who>:<name>/<object>" for every notification an observer is told.
DistributedNotificationCenter::Observer recorder(Seen& seen, const std::string& who)
{
    return [&seen, who](const DistributedNotification& n) {
        seen.push_back(who + ":" + n.name.toStdString() + "/" + n.object.toStdString());
    };
}

TEST(DistributedNotificationFake, ObserversAreMatchedByNameAndObjectAndToldOnceWhenDelivered)
{
    FakeNotificationCenter center;
    Seen seen;
    center.addObserver("retry", "global", recorder(seen, "global"));
    center.addObserver("retry", "42", recorder(seen, "mine"));
    center.addObserver("ping", QString(), recorder(seen, "any"));
    center.post({"retry", "global", {}});
    center.post({"retry", "43", {}});
    center.post({"ping", "7", {}});
    center.post({"retry", "42", {}});
    center.post({QString(), "42", {}});
    EXPECT_TRUE(seen.empty()) << "never inside the post";
    EXPECT_EQ(center.deliver(), 5);
    EXPECT_EQ(seen, (Seen{"global:retry/global", "any:ping/7", "mine:retry/42"}));
    EXPECT_EQ(center.deliver(), 0) << "each is delivered once";
}

TEST(DistributedNotificationFake, AnObserverRemovedOrAddedWhileOneIsHandedOutIsNotCalledForIt)
{
    FakeNotificationCenter center;
    Seen seen;
    DistributedNotificationCenter::Token second = 0;
    center.addObserver("status", QString(), [&](const DistributedNotification&) {
        seen.push_back("first");
        center.removeObserver(second);
        center.addObserver("status", QString(), recorder(seen, "late"));
        // What an observer posts waits its turn.
        center.post({"ping", QString(), {}});
    });
    second = center.addObserver("status", QString(), recorder(seen, "second"));
    center.post({"status", "1", {}});
    EXPECT_EQ(center.deliver(1), 1);
    EXPECT_EQ(seen, Seen{"first"});
    // Two programs answering each other for ever stop at the bound.
    center.addObserver("ping", QString(), [&](const DistributedNotification&) { center.post({"ping", {}, {}}); });
    EXPECT_EQ(center.deliver(10), 10);
}

// Two programs on one bus of the test's own.
class DistributedNotificationBus : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        daemon = std::make_unique<test::BusDaemon>();
        address = daemon->address();
    }
    static void TearDownTestSuite() { daemon.reset(); }
    void SetUp() override
    {
        if (address.isEmpty())
            GTEST_SKIP() << "dbus-daemon is not available";
        one = std::make_unique<DBusNotificationCenter>(connect());
        other = std::make_unique<DBusNotificationCenter>(connect());
        ASSERT_TRUE(one->isConnected() && other->isConnected());
    }
    void TearDown() override
    {
        one.reset();
        other.reset();
        for (const QString& n : names_)
            QDBusConnection::disconnectFromBus(n);
    }
    QDBusConnection connect()
    {
        names_ << QString("notification-test-%1").arg(names_.size());
        return QDBusConnection::connectToBus(address, names_.last());
    }
    // Posts a last notification from `from` and turns the event loop until both centres have it:
    // the bus keeps one sender's order, so whatever came before has arrived by then.
    void settle(DBusNotificationCenter& from)
    {
        int marks = 0;
        auto a = one->addObserver("mark", QString(), [&](const DistributedNotification&) { ++marks; });
        auto b = other->addObserver("mark", QString(), [&](const DistributedNotification&) { ++marks; });
        from.post({"mark", QString(), {}});
        EXPECT_TRUE(test::turnUntil([&] { return marks == 2; })) << "the mark never came back";
        one->removeObserver(a);
        other->removeObserver(b);
    }

    static inline std::unique_ptr<test::BusDaemon> daemon;
    static inline QString address;
    QStringList names_;
    std::unique_ptr<DBusNotificationCenter> one;
    std::unique_ptr<DBusNotificationCenter> other;
};

TEST_F(DistributedNotificationBus, APostReachesTheOtherProgramAndThePosterOnceEachWithItsValues)
{
    Seen seen;
    std::vector<QVariantMap> infos;
    one->addObserver("status", QString(), [&](const DistributedNotification& n) {
        seen.push_back("poster:" + n.object.toStdString());
    });
    other->addObserver("status", QString(), [&](const DistributedNotification& n) {
        seen.push_back("other:" + n.object.toStdString());
        infos.push_back(n.userInfo);
    });
    other->addObserver("status", "999", recorder(seen, "someone else"));
    const QVariantMap info{{"PID", 4242u},
                           {"Mode", 3},
                           {"UnusedButtonCodes", QVariantList{5, 65541}},
                           {"Action", "update"},
                           {"Nested", QVariantMap{{"a", QVariantList{QVariantMap{{"b", true}}}}}}};
    one->post({"status", "4242", info});
    EXPECT_TRUE(seen.empty()) << "never inside the post";
    settle(*one);
    std::sort(seen.begin(), seen.end());
    EXPECT_EQ(seen, (Seen{"other:4242", "poster:4242"}));
    ASSERT_EQ(infos.size(), 1u);
    const QVariantMap& got = infos[0];
    EXPECT_EQ(got.value("PID").typeId(), QMetaType::UInt);
    EXPECT_EQ(got.value("PID").toUInt(), 4242u);
    EXPECT_EQ(got.value("Mode").typeId(), QMetaType::Int);
    EXPECT_EQ(got.value("UnusedButtonCodes").typeId(), QMetaType::QVariantList);
    EXPECT_EQ(got.value("UnusedButtonCodes").toList(), (QVariantList{5, 65541}));
    EXPECT_EQ(got.value("Action").toString(), "update");
    EXPECT_EQ(got.value("Nested").toMap().value("a").toList().value(0).toMap().value("b"), QVariant(true));
}

TEST_F(DistributedNotificationBus, ASignalOfAnotherShapeIsDroppedAndAnEmptyNameIsNeverPosted)
{
    Seen seen;
    one->addObserver("ping", QString(), recorder(seen, "one"));
    one->addObserver("", QString(), recorder(seen, "nameless"));
    QDBusConnection raw = connect();
    const auto send = [&](const QVariantList& args) {
        QDBusMessage m = QDBusMessage::createSignal("/x", DBusNotificationCenter::interfaceName(),
                                                    DBusNotificationCenter::memberName());
        m.setArguments(args);
        EXPECT_TRUE(raw.send(m));
    };
    send({"ping"});
    send({"ping", "global", "not a dictionary"});
    send({"ping", 7, QVariantMap{}});
    send({"ping", "global", QVariantMap{}, "one too many"});
    other->post({QString(), "global", {}});
    send({"ping", "global", QVariantMap{{"PID", "text"}}});
    settle(*other);
    EXPECT_EQ(seen, Seen{"one:ping/global"}) << "only the well-formed one, from any path";
}

} // namespace
} // namespace tallomer
