#include "platform/desktop/SingleInstance.h"

#include "runtime/Log.h"
#include "platform/AppId.h"

#include <QDBusConnectionInterface>
#include <QDBusContext>
#include <QDBusError>
#include <QDBusMessage>
#include <QDir>
#include <QFileInfo>
#include <QPointer>
#include <QUrl>

#include <atomic>

namespace tallomer {

// The exported object; its one scriptable slot is the bus method.
class SingleInstanceReceiver : public QObject, protected QDBusContext {
    Q_OBJECT
    // Must equal SingleInstance::interfaceName(): the application id followed by ".SingleInstance".
    Q_CLASSINFO("D-Bus Interface", "org.tallomer.Tallomer.SingleInstance")
public:
    explicit SingleInstanceReceiver(SingleInstance* owner) : owner_(owner) {}

public Q_SLOTS:
    Q_SCRIPTABLE void Open(const QStringList& arguments)
    {
        // The caller's current folder is not ours: a relative path would name another file here.
        // Nothing of such a call is taken, and the caller learns why.
        const QString relative = SingleInstance::relativePath(arguments);
        if (!relative.isEmpty()) {
            sendErrorReply(QDBusError::InvalidArgs,
                           QStringLiteral("\"%1\" is a relative path: files are given with absolute paths").arg(relative));
            return;
        }
        // Answer the caller first: the callbacks may open windows or ask the user something, and
        // the other instance must not wait on that.
        QPointer<SingleInstance> owner = owner_;
        QMetaObject::invokeMethod(
            owner_, [owner, arguments] { if (owner) owner->received(arguments); }, Qt::QueuedConnection);
    }

private:
    SingleInstance* owner_; // non-owning: the owner owns this receiver
};

namespace {
std::atomic<bool> g_loggedNoBus{false};
const char* const kMethod = "Open";
} // namespace

QString SingleInstance::serviceName() { return QString::fromLatin1(kAppId); }

QString SingleInstance::objectPath()
{
    return "/" + QString::fromLatin1(kAppId).replace('.', '/');
}

QString SingleInstance::interfaceName()
{
    return QString::fromLatin1(kAppId) + ".SingleInstance";
}

SingleInstance::SingleInstance(const QDBusConnection& connection, QObject* parent)
    : QObject(parent), connection_(connection), receiver_(std::make_unique<SingleInstanceReceiver>(this))
{
}

SingleInstance::~SingleInstance()
{
    if (registered_ && connection_.isConnected()) {
        connection_.unregisterObject(objectPath());
        connection_.unregisterService(serviceName());
    }
}

SingleInstance::Role SingleInstance::start(const QStringList& arguments)
{
    if (!connection_.isConnected()) {
        if (!g_loggedNoBus.exchange(true))
            logLine("SingleInstance: no session bus; running as a single process");
        return Role::Standalone;
    }
    const QStringList absolute = absoluteArguments(arguments, QDir::currentPath());

    // Two tries: the running instance may quit between our failed claim and our call.
    for (int attempt = 0; attempt < 2; ++attempt) {
        // The object is in place before the name is claimed, so no caller finds the name without it.
        if (!connection_.objectRegisteredAt(objectPath()) &&
            !connection_.registerObject(objectPath(), receiver_.get(), QDBusConnection::ExportScriptableSlots)) {
            logFormat("SingleInstance: cannot export %s", qPrintable(objectPath()));
            return Role::Standalone;
        }
        const auto reply = connection_.interface()->registerService(
            serviceName(), QDBusConnectionInterface::DontQueueService, QDBusConnectionInterface::DontAllowReplacement);
        if (reply.isValid() && reply.value() == QDBusConnectionInterface::ServiceRegistered) {
            registered_ = true;
            return Role::Primary;
        }
        connection_.unregisterObject(objectPath());
        if (!reply.isValid()) {
            logFormat("SingleInstance: cannot claim %s: %s", qPrintable(serviceName()),
                      qPrintable(reply.error().message()));
            return Role::Standalone;
        }
        if (forward(absolute))
            return Role::Forwarded;
    }
    logFormat("SingleInstance: the running instance did not take the arguments (%lld)",
              static_cast<long long>(arguments.size()));
    return Role::Failed;
}

bool SingleInstance::forward(const QStringList& arguments, int timeoutMs)
{
    QDBusMessage call = QDBusMessage::createMethodCall(serviceName(), objectPath(), interfaceName(), kMethod);
    call << arguments;
    // Events keep flowing while we wait, so a receiver on this same thread can answer.
    const QDBusMessage reply = connection_.call(call, QDBus::BlockWithGui, timeoutMs);
    if (reply.type() == QDBusMessage::ReplyMessage)
        return true;
    logFormat("SingleInstance: forwarding to %s failed: %s", qPrintable(serviceName()),
              qPrintable(reply.errorMessage()));
    return false;
}

void SingleInstance::received(const QStringList& arguments)
{
    if (reopen)
        reopen();
    dispatch(arguments);
}

bool SingleInstance::isOption(const QString& argument)
{
    return argument.size() > 2 && argument.startsWith(QLatin1String("--")) && argument.at(2).isLetter();
}

int SingleInstance::optionValueCount(const QString& option)
{
    return option == QLatin1String("--link-browser") || option == QLatin1String("--cursor") ? 1 : 0;
}

namespace {
// Whether an argument is an address rather than a file: it has a scheme (not "C:"-like), and no
// file of that name lies in `base` ("notes:v2.txt" is a file).
bool isAddress(const QString& argument, const QString& base)
{
    const QUrl url(argument);
    if (url.scheme().size() < 2)
        return false;
    return base.isEmpty() || !QFileInfo::exists(QDir(base).absoluteFilePath(argument));
}
} // namespace

QString SingleInstance::relativePath(const QStringList& arguments)
{
    int values = 0;
    for (const QString& a : arguments) {
        if (values > 0) {
            --values;
            continue;
        }
        if (isOption(a)) {
            values = optionValueCount(a);
            continue;
        }
        if (!a.isEmpty() && !QDir::isAbsolutePath(a) && !isAddress(a, QString()))
            return a;
    }
    return QString();
}

QStringList SingleInstance::absoluteArguments(const QStringList& arguments, const QString& base)
{
    QStringList out;
    out.reserve(arguments.size());
    int values = 0; // values still to pass unchanged after an option
    for (const QString& a : arguments) {
        if (values > 0) {
            --values;
            out << a;
            continue;
        }
        if (isOption(a)) {
            values = optionValueCount(a);
            out << a;
            continue;
        }
        if (a.isEmpty() || QDir::isAbsolutePath(a) || isAddress(a, base))
            out << a;
        else
            out << QDir::cleanPath(QDir(base).absoluteFilePath(a));
    }
    return out;
}

void SingleInstance::dispatch(const QStringList& arguments)
{
    QStringList files;
    QStringList optionList;
    int values = 0;
    for (const QString& a : absoluteArguments(arguments, QDir::currentPath())) {
        if (values > 0) {
            --values;
            optionList << a;
            continue;
        }
        if (isOption(a)) {
            values = optionValueCount(a);
            optionList << a;
            continue;
        }
        if (a.isEmpty())
            continue;
        const QUrl url(a);
        const QString scheme = url.scheme().toLower();
        if (scheme == QLatin1String("zevp")) {
            if (getURL)
                getURL(a);
        } else if (scheme == QLatin1String("file") && url.isLocalFile()) {
            files << url.toLocalFile();
        } else if (scheme.size() > 1) {
            if (otherURL)
                otherURL(a);
            else
                logFormat("SingleInstance: ignored argument %s", qPrintable(a));
        } else {
            files << a;
        }
    }
    if (!files.isEmpty() && openDocuments)
        openDocuments(files);
    if (!optionList.isEmpty()) {
        if (options)
            options(optionList);
        else
            logFormat("SingleInstance: ignored options %s", qPrintable(optionList.join(' ')));
    }
}

} // namespace tallomer

#include "SingleInstance.moc"
