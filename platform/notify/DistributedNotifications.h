#pragma once
// Notifications between programs of the same user: a name, an object (a word the observers filter
// on) and user information, posted to everyone who observes that name. On Linux each is one D-Bus
// signal on the session bus, so any program there can take part; tests use the centre in memory.
//
// Delivery is never inside the call that posts: it comes later from the main thread's event loop,
// exactly once to every matching observer, the poster's own observers included.

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <QVariantMap>

#include <cstdint>
#include <deque>
#include <functional>
#include <map>

namespace tallomer {

struct DistributedNotification {
    QString name;
    QString object;
    QVariantMap userInfo;
};

class DistributedNotificationCenter {
public:
    using Observer = std::function<void(const DistributedNotification&)>;
    using Token = std::uint64_t;

    virtual ~DistributedNotificationCenter() = default;
    // Observes `name` posted with `object`; an empty object observes every object. The token
    // removes the observation.
    virtual Token addObserver(const QString& name, const QString& object, Observer observer) = 0;
    virtual void removeObserver(Token token) = 0;
    virtual void post(const DistributedNotification& notification) = 0;
};

// The observers of one centre and the matching that both centres share. Observers may come and
// go while a notification is handed out: one removed meanwhile is not called.
class NotificationObservers {
public:
    DistributedNotificationCenter::Token add(const QString& name, const QString& object,
                                             DistributedNotificationCenter::Observer observer);
    void remove(DistributedNotificationCenter::Token token);
    void deliver(const DistributedNotification& notification);
    std::size_t size() const { return observers_.size(); }

private:
    struct Entry {
        QString name;
        QString object;
        DistributedNotificationCenter::Observer observer;
    };
    std::map<DistributedNotificationCenter::Token, Entry> observers_;
    DistributedNotificationCenter::Token next_ = 1;
};

// On a D-Bus connection: the signal `Post` (name, object, user information a{sv}) of the
// interface below, from any sender and any path. Values arrive as D-Bus gives them: lists as
// QVariantList, dictionaries as QVariantMap, numbers of their own D-Bus width.
class DBusNotificationCenter final : public QObject, public DistributedNotificationCenter {
    Q_OBJECT
public:
    static QString interfaceName(); // the application id followed by ".DistributedNotification"
    static QString objectPath();
    static QString memberName() { return QStringLiteral("Post"); }

    explicit DBusNotificationCenter(const QDBusConnection& connection, QObject* parent = nullptr);
    ~DBusNotificationCenter() override;

    // Whether the bus answered; without one nothing is posted or received.
    bool isConnected() const { return connected_; }

    Token addObserver(const QString& name, const QString& object, Observer observer) override;
    void removeObserver(Token token) override;
    void post(const DistributedNotification& notification) override;

private Q_SLOTS:
    void received(const QDBusMessage& message);

private:
    QDBusConnection connection_;
    bool connected_ = false;
    NotificationObservers observers_;
};

// In memory, for tests: what is posted waits until deliver(); drivers sharing one centre stand
// for programs sharing one bus.
class FakeNotificationCenter final : public DistributedNotificationCenter {
public:
    Token addObserver(const QString& name, const QString& object, Observer observer) override
    {
        return observers_.add(name, object, std::move(observer));
    }
    void removeObserver(Token token) override { observers_.remove(token); }
    void post(const DistributedNotification& notification) override
    {
        posted.push_back(notification);
        waiting_.push_back(notification);
    }

    // Hands out what waits, and what is posted meanwhile, up to `limit` notifications (a bound
    // against two programs answering each other for ever); answers how many went out.
    int deliver(int limit = 100);
    std::size_t observerCount() const { return observers_.size(); }

    // Everything ever posted, in order.
    std::vector<DistributedNotification> posted;

private:
    NotificationObservers observers_;
    std::deque<DistributedNotification> waiting_;
};

// A D-Bus value made plain: nested variants and D-Bus containers become QVariant, QVariantList and
// QVariantMap, recursively; other values pass unchanged.
QVariant plainDBusValue(const QVariant& value);

} // namespace tallomer
