#pragma once
// One running program per user session. The first instance owns a well-known name on the session
// bus and exports an object that takes a list of arguments; a later instance forwards its own
// arguments there and exits. Arguments are zevp: URLs (opened as places), files (opened as
// documents) and options ("--name" followed by its values, see optionValueCount). Without a
// session bus the program simply runs on its own.

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

namespace tallomer {

class SingleInstanceReceiver;

class SingleInstance : public QObject {
    Q_OBJECT
public:
    enum class Role {
        Primary,    // this process owns the name and receives forwarded arguments
        Forwarded,  // another instance runs and has our arguments: exit now
        Standalone, // no session bus: run on our own
        Failed,     // another instance holds the name but did not take our arguments
    };

    // Names derived from the application id.
    static QString serviceName();
    static QString objectPath();
    static QString interfaceName();

    // `connection` is the bus to use (the session bus in the program; a private bus in tests).
    explicit SingleInstance(const QDBusConnection& connection = QDBusConnection::sessionBus(),
                            QObject* parent = nullptr);
    ~SingleInstance() override;

    std::function<void(const QString& url)> getURL;             // a zevp: URL
    std::function<void(const QStringList& paths)> openDocuments; // absolute file paths
    // Another start of the program reached this one (with or without arguments): the user wants
    // to see it. Called before the arguments are handed on.
    std::function<void()> reopen;
    // The options among the arguments, each followed by its values, in the order given.
    std::function<void(const QStringList& options)> options;
    // An address of another kind than a file or a zevp: link (a web page, a remote file), which
    // the program cannot open; logged when unset.
    std::function<void(const QString& url)> otherURL;

    // Whether an argument is an option name ("--" and a letter).
    static bool isOption(const QString& argument);
    // How many values follow an option: one for --link-browser and --cursor, none for others.
    static int optionValueCount(const QString& option);

    // Claims the name, or hands `arguments` to the instance that has it. A Primary instance does
    // not dispatch its own `arguments`: call dispatch() once the program is ready for them.
    Role start(const QStringList& arguments);

    // Sends `arguments` to the running instance; false when it did not answer in time.
    bool forward(const QStringList& arguments, int timeoutMs = 5000);

    // Hands each argument to its callback: zevp: URLs one by one to getURL, file paths and file:
    // URLs together to openDocuments, options with their values together to options. Relative paths are taken against the current folder;
    // an address of another kind goes to otherURL.
    void dispatch(const QStringList& arguments);

    // Relative paths made absolute against `base` (the forwarding side does this, since the
    // running instance has another current folder); URLs, options and their values pass unchanged.
    // A name with a scheme is an address unless a file of that name lies in `base`.
    static QStringList absoluteArguments(const QStringList& arguments, const QString& base);
    // The first argument that is a relative path (not an address, an option nor its value);
    // empty when there is none.
    static QString relativePath(const QStringList& arguments);

private:
    friend class SingleInstanceReceiver;
    void received(const QStringList& arguments);

    QDBusConnection connection_;
    std::unique_ptr<SingleInstanceReceiver> receiver_;
    bool registered_ = false;
};

} // namespace tallomer
