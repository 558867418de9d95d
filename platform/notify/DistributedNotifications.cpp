#include "platform/notify/DistributedNotifications.h"

#include "platform/AppId.h"
#include "runtime/Log.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusVariant>

#include <vector>

namespace tallomer {

DistributedNotificationCenter::Token NotificationObservers::add(const QString& name, const QString& object,
                                                                DistributedNotificationCenter::Observer observer)
{
    const auto token = next_++;
    observers_[token] = Entry{name, object, std::move(observer)};
    return token;
}

void NotificationObservers::remove(DistributedNotificationCenter::Token token) { observers_.erase(token); }

void NotificationObservers::deliver(const DistributedNotification& n)
{
    if (n.name.isEmpty())
        return;
    // Chosen before the first call: an observer added by one of them waits for the next notice.
    std::vector<DistributedNotificationCenter::Token> matching;
    for (const auto& [token, e] : observers_)
        if (e.name == n.name && (e.object.isEmpty() || e.object == n.object))
            matching.push_back(token);
    for (auto token : matching) {
        auto it = observers_.find(token);
        if (it == observers_.end())
            continue;
        // A copy: the observer may remove itself while it runs.
        const auto observer = it->second.observer;
        observer(n);
    }
}

int FakeNotificationCenter::deliver(int limit)
{
    int count = 0;
    while (!waiting_.empty() && count < limit) {
        const DistributedNotification n = waiting_.front();
        waiting_.pop_front();
        observers_.deliver(n);
        ++count;
    }
    return count;
}

QString DBusNotificationCenter::interfaceName()
{
    return QString::fromLatin1(kAppId) + QStringLiteral(".DistributedNotification");
}

QString DBusNotificationCenter::objectPath()
{
    return QLatin1Char('/') + QString::fromLatin1(kAppId).replace(QLatin1Char('.'), QLatin1Char('/')) +
           QStringLiteral("/DistributedNotification");
}

DBusNotificationCenter::DBusNotificationCenter(const QDBusConnection& connection, QObject* parent)
    : QObject(parent), connection_(connection)
{
    if (!connection_.isConnected())
        return;
    // One subscription for every observer, so that each signal arrives once.
    connected_ = connection_.connect(QString(), QString(), interfaceName(), memberName(), this,
                                     SLOT(received(QDBusMessage)));
    if (!connected_)
        logFormat("DBusNotificationCenter init: cannot observe %s.%s: %s", qPrintable(interfaceName()),
                  qPrintable(memberName()), qPrintable(connection_.lastError().message()));
}

DBusNotificationCenter::~DBusNotificationCenter()
{
    if (connected_)
        connection_.disconnect(QString(), QString(), interfaceName(), memberName(), this,
                               SLOT(received(QDBusMessage)));
}

DistributedNotificationCenter::Token DBusNotificationCenter::addObserver(const QString& name, const QString& object,
                                                                         Observer observer)
{
    return observers_.add(name, object, std::move(observer));
}

void DBusNotificationCenter::removeObserver(Token token) { observers_.remove(token); }

void DBusNotificationCenter::post(const DistributedNotification& n)
{
    if (!connected_ || n.name.isEmpty())
        return;
    QDBusMessage signal = QDBusMessage::createSignal(objectPath(), interfaceName(), memberName());
    signal << n.name << n.object << QVariant::fromValue(n.userInfo);
    if (!connection_.send(signal))
        logFormat("DBusNotificationCenter post: %s not sent: %s", qPrintable(n.name),
                  qPrintable(connection_.lastError().message()));
}

void DBusNotificationCenter::received(const QDBusMessage& message)
{
    // Any program may post: what does not have the signal's shape is dropped.
    const QVariantList args = message.arguments();
    if (message.signature() != QLatin1String("ssa{sv}") || args.size() != 3)
        return;
    DistributedNotification n;
    n.name = args.at(0).toString();
    n.object = args.at(1).toString();
    n.userInfo = plainDBusValue(args.at(2)).toMap();
    observers_.deliver(n);
}

namespace {

QVariant plainArgument(const QDBusArgument& arg, int depth);

QVariant plain(const QVariant& v, int depth)
{
    // Nesting beyond any sensible message is cut off rather than followed.
    if (depth > 32)
        return {};
    if (v.canConvert<QDBusVariant>() && v.userType() == qMetaTypeId<QDBusVariant>())
        return plain(qvariant_cast<QDBusVariant>(v).variant(), depth + 1);
    if (v.userType() == qMetaTypeId<QDBusArgument>())
        return plainArgument(qvariant_cast<QDBusArgument>(v), depth + 1);
    if (v.userType() == QMetaType::QVariantList) {
        QVariantList out;
        for (const QVariant& e : v.toList())
            out << plain(e, depth + 1);
        return out;
    }
    if (v.userType() == QMetaType::QVariantMap) {
        QVariantMap out;
        const QVariantMap m = v.toMap();
        for (auto it = m.begin(); it != m.end(); ++it)
            out.insert(it.key(), plain(it.value(), depth + 1));
        return out;
    }
    return v;
}

QVariant plainArgument(const QDBusArgument& arg, int depth)
{
    switch (arg.currentType()) {
    case QDBusArgument::BasicType:
    case QDBusArgument::VariantType:
        return plain(arg.asVariant(), depth);
    case QDBusArgument::ArrayType: {
        QVariantList out;
        arg.beginArray();
        while (!arg.atEnd())
            out << plain(arg.asVariant(), depth);
        arg.endArray();
        return out;
    }
    case QDBusArgument::StructureType: {
        QVariantList out;
        arg.beginStructure();
        while (!arg.atEnd())
            out << plain(arg.asVariant(), depth);
        arg.endStructure();
        return out;
    }
    case QDBusArgument::MapType: {
        QVariantMap out;
        arg.beginMap();
        while (!arg.atEnd()) {
            arg.beginMapEntry();
            const QVariant key = plain(arg.asVariant(), depth);
            const QVariant value = plain(arg.asVariant(), depth);
            arg.endMapEntry();
            out.insert(key.toString(), value);
        }
        arg.endMap();
        return out;
    }
    case QDBusArgument::MapEntryType:
    case QDBusArgument::UnknownType:
        break;
    }
    return {};
}

} // namespace

QVariant plainDBusValue(const QVariant& value) { return plain(value, 0); }

} // namespace tallomer
