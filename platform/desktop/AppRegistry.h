#pragma once
// The desktop's applications and which of them open what: the installed desktop entries and the
// mimeapps.list files, read as the freedesktop rules order them, with the MIME type parents
// QMimeDatabase knows. An application is its desktop-file id ("org.example.Viewer.desktop"),
// titled by its Name; Linux has no application versions to show.
//
// The folders are read at construction and kept: build a new registry to see later installs.
// Launching starts the Exec line's program directly, with the files as whole arguments, never
// through a shell.

#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <memory>
#include <optional>

namespace tallomer {

struct Application {
    QString id;               // the desktop-file id, the application's identity
    QString name;             // Name of the entry, the title a menu shows
    QString iconName;         // Icon: a theme name or an absolute path; may be empty
    QString exec;             // Exec, as written (unescaped from the file's string rules)
    QString entryPath;        // where the desktop entry was read
    QString workingDirectory; // Path; empty for ours
    bool terminal = false;

    bool operator==(const Application& other) const { return id == other.id; }
};

// One Object's part in an Open With menu.
struct OpenWithSubject {
    enum class Kind {
        File,    // a file on disk (`path`; empty when the Object has none)
        Contact, // a contact: the address book offers it
        Mail,    // a mail message: the mail program offers it
        Other,   // nothing opens it
    };
    Kind kind = Kind::Other;
    QString path;
};

// One entry of an Open With menu; it carries its application, so a menu item built from it opens
// that application however the menu was rebuilt since.
struct OpenWithChoice {
    Application application;
    // The Name, or "Name (id without .desktop)" where two listed applications share a Name.
    QString title;
};

struct OpenWithMenu {
    // The default application common to every subject, if they share one.
    std::optional<OpenWithChoice> defaultChoice;
    // The applications offered for every subject, by title, the default left out. Empty means
    // the menu shows its disabled "<None>" item.
    QList<OpenWithChoice> choices;
};

class AppRegistry {
public:
    struct Folders {
        // Data folders holding applications/, highest precedence first (XDG_DATA_HOME, then
        // XDG_DATA_DIRS).
        QStringList dataDirs;
        // Config folders holding mimeapps.list, highest precedence first (XDG_CONFIG_HOME, then
        // XDG_CONFIG_DIRS).
        QStringList configDirs;
        // XDG_CURRENT_DESKTOP, lower-cased, for the "<desktop>-mimeapps.list" files.
        QStringList desktops;
        // Where TryExec programs are looked for; empty means PATH.
        QStringList searchPath;
    };
    // The folders the environment names, with the freedesktop defaults for unset variables.
    static Folders foldersFromEnvironment();

    AppRegistry(); // from the environment
    explicit AppRegistry(Folders folders);

    // The installed application of that desktop-file id, if it is installed and not hidden.
    std::optional<Application> application(const QString& id) const;

    // The default application of a MIME type, if any: the default that a mimeapps.list names, else
    // the most preferred application for the type; failing both, the same for its parents in turn.
    std::optional<Application> defaultForMimeType(const QString& mimeType) const;
    // Every application that opens a MIME type or one of its parents, the default first.
    QList<Application> applicationsForMimeType(const QString& mimeType) const;
    // The same for a file, by its MIME type (content and name).
    std::optional<Application> defaultForFile(const QString& path) const;
    QList<Application> applicationsForFile(const QString& path) const;
    // The handler of a URL scheme ("mailto", "https"...).
    std::optional<Application> defaultForScheme(const QString& scheme) const;
    // The desktop's address book and mail program: the defaults of text/vcard and message/rfc822
    // themselves (their parents' programs do not stand for them).
    std::optional<Application> addressBook() const;
    std::optional<Application> mail() const;

    // The Open With menu for a set of Objects. A file offers its type's applications with its
    // default; a contact or a mail message offers only the address book or mail program; an Object
    // with nothing to open offers nothing and keeps the default of the Object before it. The
    // default is common while every Object after the first known one has the same; the choices are
    // the applications every Object offers, the common default left out.
    OpenWithMenu openWith(const QList<OpenWithSubject>& subjects) const;

    // The program and its arguments that open `urls` with `app`: Exec's field codes expanded
    // (%f %u once per argument, %F %U as a list, %i %c %k as the entry says, %% a "%"; the
    // deprecated codes dropped). Exec with only %f or %u and several URLs gives one command per
    // URL. Exec is split as the desktop entry rules say (double quotes with backslash escapes);
    // single quotes and backslashes outside quotes are read as a shell would, for the entries that
    // use them. A Terminal=true program runs in xdg-terminal-exec, x-terminal-emulator -e or
    // xterm -e, the first found on PATH. Empty when Exec cannot be split (an unbalanced quote) or
    // no terminal is found for a program that needs one.
    static QList<QStringList> commandLines(const Application& app, const QList<QUrl>& urls);
    // Starts `app` on `urls` without a shell (QProcess::startDetached). False with `error` set when
    // the Exec line is unusable or a program does not start.
    static bool open(const Application& app, const QList<QUrl>& urls, QString* error = nullptr);

private:
    struct Data;
    std::shared_ptr<const Data> data_;
};

} // namespace tallomer
