// The console's sessions from logind: seat0's Sessions, each session's User and Active, and the
// seat's PropertiesChanged for ActiveSession.

#include "platform/hid/ConsoleSessions.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>

namespace tallomer {

namespace {

const QString kService = QStringLiteral("org.freedesktop.login1");
const QString kSeatPath = QStringLiteral("/org/freedesktop/login1/seat/seat0");
const QString kSeat = QStringLiteral("org.freedesktop.login1.Seat");
const QString kSession = QStringLiteral("org.freedesktop.login1.Session");
const QString kProperties = QStringLiteral("org.freedesktop.DBus.Properties");
// A login manager that does not answer within this is taken as absent for that reading.
constexpr int kTimeoutMs = 1000;
// More sessions than a seat ever has are not read.
constexpr int kMaxSessions = 256;

class LogindConsoleSessions final : public QObject, public ConsoleSessions {
    Q_OBJECT
public:
    explicit LogindConsoleSessions(const QDBusConnection& bus) : bus_(bus) {}
    ~LogindConsoleSessions() override { watch({}); }

    std::vector<ConsoleSession> sessions() override
    {
        std::vector<ConsoleSession> out;
        if (!bus_.isConnected())
            return out;
        QDBusArgument sessionList;
        // Only the shapes logind gives are read: any other would not be walked safely.
        if (!get(kSeatPath, kSeat, QStringLiteral("Sessions"), sessionList) ||
            sessionList.currentSignature() != QLatin1String("a(so)"))
            return out;
        // Read through a const reference: the other overloads of begin and end write.
        const QDBusArgument& list = sessionList;
        std::vector<QString> paths;
        list.beginArray();
        while (!list.atEnd() && int(paths.size()) < kMaxSessions) {
            QString id;
            QDBusObjectPath path;
            list.beginStructure();
            list >> id >> path;
            list.endStructure();
            paths.push_back(path.path());
        }
        list.endArray();
        for (const QString& path : paths) {
            QDBusArgument userArgument;
            QVariant active;
            if (!get(path, kSession, QStringLiteral("User"), userArgument) ||
                userArgument.currentSignature() != QLatin1String("(uo)"))
                continue;
            const QDBusArgument& user = userArgument;
            std::uint32_t uid = 0;
            QDBusObjectPath userPath;
            user.beginStructure();
            user >> uid >> userPath;
            user.endStructure();
            ConsoleSession s;
            s.userID = uid;
            s.active = getValue(path, kSession, QStringLiteral("Active"), active) &&
                       active.userType() == QMetaType::Bool && active.toBool();
            out.push_back(s);
        }
        return out;
    }

    void watch(std::function<void()> changed) override
    {
        if (watching_ && !changed) {
            bus_.disconnect(kService, kSeatPath, kProperties, QStringLiteral("PropertiesChanged"), this,
                            SLOT(propertiesChanged(QDBusMessage)));
            watching_ = false;
        }
        changed_ = std::move(changed);
        if (changed_ && !watching_ && bus_.isConnected())
            watching_ = bus_.connect(kService, kSeatPath, kProperties, QStringLiteral("PropertiesChanged"), this,
                                     SLOT(propertiesChanged(QDBusMessage)));
    }

private Q_SLOTS:
    void propertiesChanged(const QDBusMessage& message)
    {
        const QVariantList args = message.arguments();
        if (args.size() < 2 || args.at(0).toString() != kSeat)
            return;
        bool active = false;
        if (message.signature() != QLatin1String("sa{sv}as"))
            return;
        const QDBusArgument changed = qvariant_cast<QDBusArgument>(args.at(1));
        changed.beginMap();
        while (!changed.atEnd()) {
            QString key;
            QDBusVariant value;
            changed.beginMapEntry();
            changed >> key >> value;
            changed.endMapEntry();
            active = active || key == QLatin1String("ActiveSession");
        }
        changed.endMap();
        // A property only said to be invalidated counts too.
        if (args.size() > 2 && args.at(2).toStringList().contains(QStringLiteral("ActiveSession")))
            active = true;
        if (active && changed_) {
            const auto f = changed_;
            f();
        }
    }

private:
    bool getValue(const QString& path, const QString& interface, const QString& name, QVariant& out)
    {
        QDBusMessage call = QDBusMessage::createMethodCall(kService, path, kProperties, QStringLiteral("Get"));
        call << interface << name;
        const QDBusMessage reply = bus_.call(call, QDBus::Block, kTimeoutMs);
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
            return false;
        out = qvariant_cast<QDBusVariant>(reply.arguments().first()).variant();
        return true;
    }
    bool get(const QString& path, const QString& interface, const QString& name, QDBusArgument& out)
    {
        QVariant v;
        if (!getValue(path, interface, name, v) || v.userType() != qMetaTypeId<QDBusArgument>())
            return false;
        out = qvariant_cast<QDBusArgument>(v);
        return true;
    }

    QDBusConnection bus_;
    bool watching_ = false;
    std::function<void()> changed_;
};

} // namespace

std::unique_ptr<ConsoleSessions> makeLogindConsoleSessions(const QDBusConnection& bus)
{
    return std::make_unique<LogindConsoleSessions>(bus);
}

} // namespace tallomer

#include "LogindConsoleSessions.moc"
