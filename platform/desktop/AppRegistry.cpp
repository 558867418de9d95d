#include "platform/desktop/AppRegistry.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QLocale>
#include <QMimeDatabase>
#include <QProcess>
#include <QSet>
#include <QStandardPaths>

#include <algorithm>

namespace tallomer {

namespace {

// One file of the desktop's key files (desktop entries, mimeapps.list): group → key → raw value.
using KeyFile = QHash<QString, QHash<QString, QString>>;

KeyFile readKeyFile(const QString& path)
{
    KeyFile file;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return file;
    QString group;
    while (!f.atEnd()) {
        const QString line = QString::fromUtf8(f.readLine()).trimmed();
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        if (line.startsWith(u'[') && line.endsWith(u']')) {
            group = line.mid(1, line.size() - 2);
            continue;
        }
        const qsizetype eq = line.indexOf(u'=');
        if (eq <= 0 || group.isEmpty())
            continue;
        // The first of repeated keys counts.
        auto& keys = file[group];
        const QString key = line.left(eq).trimmed();
        if (!keys.contains(key))
            keys.insert(key, line.mid(eq + 1).trimmed());
    }
    return file;
}

// A string value: \s \n \t \r \\ stand for their characters; other escapes are kept as written.
QString unescapeString(const QString& raw)
{
    QString out;
    out.reserve(raw.size());
    for (qsizetype i = 0; i < raw.size(); ++i) {
        const QChar c = raw.at(i);
        if (c != u'\\' || i + 1 == raw.size()) {
            out += c;
            continue;
        }
        const QChar n = raw.at(++i);
        switch (n.unicode()) {
        case 's':
            out += u' ';
            break;
        case 'n':
            out += u'\n';
            break;
        case 't':
            out += u'\t';
            break;
        case 'r':
            out += u'\r';
            break;
        case '\\':
            out += u'\\';
            break;
        default:
            out += c;
            out += n;
            break;
        }
    }
    return out;
}

// A list value: ";" separates, "\;" is a semicolon in an item.
QStringList splitList(const QString& raw)
{
    QStringList items;
    QString item;
    for (qsizetype i = 0; i < raw.size(); ++i) {
        const QChar c = raw.at(i);
        if (c == u'\\' && i + 1 < raw.size() && raw.at(i + 1) == u';') {
            item += u';';
            ++i;
        } else if (c == u';') {
            if (!item.trimmed().isEmpty())
                items.append(unescapeString(item.trimmed()));
            item.clear();
        } else {
            item += c;
        }
    }
    if (!item.trimmed().isEmpty())
        items.append(unescapeString(item.trimmed()));
    return items;
}

QString localized(const QHash<QString, QString>& group, const QString& key)
{
    const QString locale = QLocale::system().name(); // "de_DE"
    const QString lang = locale.section(u'_', 0, 0);
    for (const QString& k : {key + u'[' + locale + u']', key + u'[' + lang + u']', key})
        if (const auto it = group.constFind(k); it != group.cend())
            return unescapeString(*it);
    return {};
}

bool isTrue(const QHash<QString, QString>& group, const QString& key) { return group.value(key) == u"true"; }

// Exec split into arguments: double quotes group, and in them a backslash keeps the next character;
// outside quotes a backslash escapes one character and single quotes group literally. nullopt for
// an unbalanced quote.
std::optional<QStringList> splitExec(const QString& exec)
{
    QStringList args;
    QString arg;
    bool inArg = false;
    for (qsizetype i = 0; i < exec.size(); ++i) {
        const QChar c = exec.at(i);
        if (c == u'"' || c == u'\'') {
            inArg = true;
            const QChar quote = c;
            bool closed = false;
            for (++i; i < exec.size(); ++i) {
                const QChar q = exec.at(i);
                if (q == quote) {
                    closed = true;
                    break;
                }
                if (quote == u'"' && q == u'\\' && i + 1 < exec.size())
                    arg += exec.at(++i);
                else
                    arg += q;
            }
            if (!closed)
                return std::nullopt;
        } else if (c == u'\\' && i + 1 < exec.size()) {
            inArg = true;
            arg += exec.at(++i);
        } else if (c == u' ' || c == u'\t' || c == u'\n') {
            if (inArg)
                args.append(arg);
            arg.clear();
            inArg = false;
        } else {
            inArg = true;
            arg += c;
        }
    }
    if (inArg)
        args.append(arg);
    return args;
}

QString fileArgument(const QUrl& url)
{
    return url.isLocalFile() ? url.toLocalFile() : url.toString(QUrl::FullyEncoded);
}
QString urlArgument(const QUrl& url) { return url.toString(QUrl::FullyEncoded); }

// One command line from the split Exec for `urls` (all of them for %F and %U, the first for %f
// and %u).
QStringList expand(const Application& app, const QStringList& exec, const QList<QUrl>& urls)
{
    QStringList out;
    for (const QString& arg : exec) {
        if (arg == u"%F" || arg == u"%U") {
            for (const QUrl& url : urls)
                out.append(arg == u"%F" ? fileArgument(url) : urlArgument(url));
            continue;
        }
        if (arg == u"%i") {
            if (!app.iconName.isEmpty())
                out << QStringLiteral("--icon") << app.iconName;
            continue;
        }
        QString expanded;
        bool onlyCodes = true;
        for (qsizetype i = 0; i < arg.size(); ++i) {
            if (arg.at(i) != u'%' || i + 1 == arg.size()) {
                expanded += arg.at(i);
                onlyCodes = false;
                continue;
            }
            switch (arg.at(++i).unicode()) {
            case '%':
                expanded += u'%';
                onlyCodes = false;
                break;
            case 'f':
            case 'F':
                if (!urls.isEmpty())
                    expanded += fileArgument(urls.first());
                break;
            case 'u':
            case 'U':
                if (!urls.isEmpty())
                    expanded += urlArgument(urls.first());
                break;
            case 'c':
                expanded += app.name;
                break;
            case 'k':
                expanded += app.entryPath;
                break;
            default: // the deprecated %d %D %n %N %v %m, and unknown codes
                break;
            }
        }
        // An argument that was only field codes and came to nothing is no argument.
        if (!expanded.isEmpty() || !onlyCodes)
            out.append(expanded);
    }
    return out;
}

// The terminal a Terminal=true program runs in: the desktop's chosen one where the system names
// it, else xterm. Empty when there is none.
QStringList terminalCommand()
{
    const std::pair<const char*, const char*> terminals[] = {
        {"xdg-terminal-exec", nullptr}, {"x-terminal-emulator", "-e"}, {"xterm", "-e"}};
    for (const auto& [program, option] : terminals) {
        const QString path = QStandardPaths::findExecutable(QString::fromLatin1(program));
        if (path.isEmpty())
            continue;
        QStringList command{path};
        if (option)
            command.append(QString::fromLatin1(option));
        return command;
    }
    return {};
}

struct MimeAppsFile {
    QHash<QString, QStringList> defaults;
    QHash<QString, QStringList> added;
    QHash<QString, QStringList> removed;
};

QHash<QString, QStringList> listGroup(const KeyFile& file, const QString& group)
{
    QHash<QString, QStringList> out;
    const auto g = file.value(group);
    for (auto it = g.cbegin(); it != g.cend(); ++it)
        out.insert(it.key(), splitList(it.value()));
    return out;
}

QStringList splitPaths(const QByteArray& value, const QStringList& fallback)
{
    QStringList out;
    for (const QString& p : QString::fromLocal8Bit(value).split(u':', Qt::SkipEmptyParts))
        if (QDir::isAbsolutePath(p))
            out.append(p);
    return out.isEmpty() ? fallback : out;
}

QString homeOr(const char* variable, const QString& underHome)
{
    const QString v = qEnvironmentVariable(variable);
    return QDir::isAbsolutePath(v) ? v : QDir::homePath() + u'/' + underHome;
}

} // namespace

struct AppRegistry::Data {
    Folders folders;
    QHash<QString, Application> installed;
    QHash<QString, QStringList> mimeTypes; // by id, as the entry lists them
    QList<QStringList> byDir;              // installed ids whose entry each data dir gives, sorted
    QList<MimeAppsFile> lists;             // in precedence order

    QStringList associated(const QString& mime) const;
    QString explicitDefault(const QString& mime) const;
    QStringList withParents(const QString& mime) const;
    std::optional<Application> defaultOf(const QStringList& types) const;
};

QStringList AppRegistry::Data::associated(const QString& mime) const
{
    QStringList result;
    QSet<QString> removed;
    auto add = [&](const QString& id) {
        if (installed.contains(id) && !removed.contains(id) && !result.contains(id))
            result.append(id);
    };
    for (const MimeAppsFile& list : lists) {
        for (const QString& id : list.defaults.value(mime))
            add(id);
        for (const QString& id : list.added.value(mime))
            add(id);
        for (const QString& id : list.removed.value(mime))
            removed.insert(id);
    }
    for (const QStringList& ids : byDir)
        for (const QString& id : ids)
            if (mimeTypes.value(id).contains(mime))
                add(id);
    return result;
}

QString AppRegistry::Data::explicitDefault(const QString& mime) const
{
    QSet<QString> removed;
    for (const MimeAppsFile& list : lists) {
        for (const QString& id : list.removed.value(mime))
            removed.insert(id);
        for (const QString& id : list.defaults.value(mime))
            if (installed.contains(id) && !removed.contains(id))
                return id;
    }
    return {};
}

QStringList AppRegistry::Data::withParents(const QString& mime) const
{
    const QMimeType type = QMimeDatabase().mimeTypeForName(mime);
    if (!type.isValid())
        return {mime};
    QStringList types{mime};
    if (type.name() != mime)
        types.append(type.name()); // the canonical name of an alias
    for (const QString& parent : type.allAncestors())
        if (!types.contains(parent))
            types.append(parent);
    return types;
}

AppRegistry::Folders AppRegistry::foldersFromEnvironment()
{
    Folders f;
    f.dataDirs.append(homeOr("XDG_DATA_HOME", QStringLiteral(".local/share")));
    f.dataDirs.append(
        splitPaths(qgetenv("XDG_DATA_DIRS"), {QStringLiteral("/usr/local/share"), QStringLiteral("/usr/share")}));
    f.configDirs.append(homeOr("XDG_CONFIG_HOME", QStringLiteral(".config")));
    f.configDirs.append(splitPaths(qgetenv("XDG_CONFIG_DIRS"), {QStringLiteral("/etc/xdg")}));
    for (const QString& d : qEnvironmentVariable("XDG_CURRENT_DESKTOP").split(u':', Qt::SkipEmptyParts))
        f.desktops.append(d.toLower());
    return f;
}

AppRegistry::AppRegistry() : AppRegistry(foldersFromEnvironment()) {}

AppRegistry::AppRegistry(Folders folders)
{
    auto data = std::make_shared<Data>();
    data->folders = std::move(folders);
    const Folders& f = data->folders;

    // Each id is decided by the first data dir that has a file for it, even a hidden one.
    QSet<QString> decided;
    for (const QString& dataDir : f.dataDirs) {
        const QString root = dataDir + QStringLiteral("/applications");
        QStringList ids;
        QDirIterator it(root, {QStringLiteral("*.desktop")}, QDir::Files, QDirIterator::Subdirectories);
        QStringList paths;
        while (it.hasNext())
            paths.append(it.next());
        std::sort(paths.begin(), paths.end());
        for (const QString& path : paths) {
            const QString id = QDir(root).relativeFilePath(path).replace(u'/', u'-');
            if (decided.contains(id))
                continue;
            decided.insert(id);
            const auto entry = readKeyFile(path).value(QStringLiteral("Desktop Entry"));
            if (entry.value(QStringLiteral("Type")) != u"Application" || isTrue(entry, QStringLiteral("Hidden")))
                continue;
            const QString exec = unescapeString(entry.value(QStringLiteral("Exec")));
            if (exec.isEmpty() || !splitExec(exec))
                continue;
            if (const QString tryExec = unescapeString(entry.value(QStringLiteral("TryExec"))); !tryExec.isEmpty()) {
                const bool found = QDir::isAbsolutePath(tryExec)
                                       ? QFileInfo(tryExec).isExecutable()
                                       : !QStandardPaths::findExecutable(tryExec, f.searchPath).isEmpty();
                if (!found)
                    continue;
            }
            // NoDisplay keeps an application out of launchers, not out of the types it opens.
            Application app;
            app.id = id;
            app.name = localized(entry, QStringLiteral("Name"));
            if (app.name.isEmpty())
                app.name = QFileInfo(id).completeBaseName();
            app.iconName = localized(entry, QStringLiteral("Icon"));
            app.exec = exec;
            app.workingDirectory = unescapeString(entry.value(QStringLiteral("Path")));
            app.entryPath = path;
            app.terminal = isTrue(entry, QStringLiteral("Terminal"));
            data->installed.insert(id, app);
            data->mimeTypes.insert(id, splitList(entry.value(QStringLiteral("MimeType"))));
            ids.append(id);
        }
        data->byDir.append(ids);
    }

    auto readList = [&](const QString& path, bool desktopSpecific) {
        if (!QFileInfo::exists(path))
            return;
        const KeyFile file = readKeyFile(path);
        MimeAppsFile list;
        list.defaults = listGroup(file, QStringLiteral("Default Applications"));
        // Only the plain mimeapps.list files may add or remove associations.
        if (!desktopSpecific) {
            list.added = listGroup(file, QStringLiteral("Added Associations"));
            list.removed = listGroup(file, QStringLiteral("Removed Associations"));
        }
        data->lists.append(list);
    };
    QStringList listDirs = f.configDirs;
    for (const QString& d : f.dataDirs)
        listDirs.append(d + QStringLiteral("/applications"));
    for (const QString& dir : listDirs) {
        for (const QString& desktop : f.desktops)
            readList(dir + u'/' + desktop + QStringLiteral("-mimeapps.list"), true);
        readList(dir + QStringLiteral("/mimeapps.list"), false);
    }
    data_ = std::move(data);
}

std::optional<Application> AppRegistry::application(const QString& id) const
{
    if (const auto it = data_->installed.constFind(id); it != data_->installed.cend())
        return *it;
    return std::nullopt;
}

std::optional<Application> AppRegistry::Data::defaultOf(const QStringList& types) const
{
    // The most specific type that any application opens decides: a type's own handlers come
    // before its parents' defaults, so that a contact card does not go to the text editor.
    for (const QString& t : types) {
        QString id = explicitDefault(t);
        if (id.isEmpty())
            id = associated(t).value(0);
        if (!id.isEmpty())
            return installed.value(id);
    }
    return std::nullopt;
}

std::optional<Application> AppRegistry::defaultForMimeType(const QString& mimeType) const
{
    return data_->defaultOf(data_->withParents(mimeType));
}

QList<Application> AppRegistry::applicationsForMimeType(const QString& mimeType) const
{
    QList<Application> apps;
    if (const auto def = defaultForMimeType(mimeType))
        apps.append(*def);
    for (const QString& t : data_->withParents(mimeType))
        for (const QString& id : data_->associated(t))
            if (const auto app = application(id); app && !apps.contains(*app))
                apps.append(*app);
    return apps;
}

std::optional<Application> AppRegistry::defaultForFile(const QString& path) const
{
    return defaultForMimeType(QMimeDatabase().mimeTypeForFile(path).name());
}

QList<Application> AppRegistry::applicationsForFile(const QString& path) const
{
    return applicationsForMimeType(QMimeDatabase().mimeTypeForFile(path).name());
}

std::optional<Application> AppRegistry::defaultForScheme(const QString& scheme) const
{
    if (scheme.isEmpty())
        return std::nullopt;
    return defaultForMimeType(QStringLiteral("x-scheme-handler/") + scheme.toLower());
}

// Only a program for the type itself stands for them: text/vcard is text, but the text editor is
// no address book.
std::optional<Application> AppRegistry::addressBook() const { return data_->defaultOf({QStringLiteral("text/vcard")}); }

std::optional<Application> AppRegistry::mail() const { return data_->defaultOf({QStringLiteral("message/rfc822")}); }

OpenWithMenu AppRegistry::openWith(const QList<OpenWithSubject>& subjects) const
{
    using Kind = OpenWithSubject::Kind;
    std::optional<Application> previous;
    std::optional<Application> common;
    bool known = false;
    QList<Application> offered;
    QList<int> counts;
    for (const OpenWithSubject& s : subjects) {
        std::optional<Application> def = previous;
        QList<Application> candidates;
        if (s.kind == Kind::File && !s.path.isEmpty()) {
            def = defaultForFile(s.path);
            candidates = applicationsForFile(s.path);
        } else if (s.kind == Kind::Contact || s.kind == Kind::Mail) {
            def = s.kind == Kind::Contact ? addressBook() : mail();
            if (def)
                candidates.append(*def);
        }
        previous = def;
        // The first known default is the common one; any later difference clears it for good.
        if (!known) {
            common = def;
            known = def.has_value();
        } else if (common && def != common) {
            common.reset();
        }
        for (const Application& app : candidates) {
            const qsizetype at = offered.indexOf(app);
            if (at < 0) {
                offered.append(app);
                counts.append(1);
            } else {
                ++counts[at];
            }
        }
    }

    QList<Application> listed;
    for (qsizetype i = 0; i < offered.size(); ++i)
        if (counts.at(i) == subjects.size() && offered.at(i) != common)
            listed.append(offered.at(i));
    std::sort(listed.begin(), listed.end(), [](const Application& a, const Application& b) {
        return a.name != b.name ? a.name < b.name : a.id < b.id;
    });

    // Applications that share a Name show their ids to tell them apart, the default included.
    auto withId = [](const Application& app) {
        QString id = app.id;
        if (id.endsWith(QStringLiteral(".desktop")))
            id.chop(8);
        return app.name + QStringLiteral(" (") + id + u')';
    };
    OpenWithMenu menu;
    bool defaultMarked = false;
    for (qsizetype i = 0; i < listed.size(); ++i) {
        const Application& app = listed.at(i);
        const bool sameAsNeighbour = (i > 0 && listed.at(i - 1).name == app.name) ||
                                     (i + 1 < listed.size() && listed.at(i + 1).name == app.name);
        const bool sameAsDefault = common && common->name == app.name;
        defaultMarked = defaultMarked || sameAsDefault;
        menu.choices.append({app, sameAsNeighbour || sameAsDefault ? withId(app) : app.name});
    }
    if (common)
        menu.defaultChoice = OpenWithChoice{*common, defaultMarked ? withId(*common) : common->name};
    return menu;
}

QList<QStringList> AppRegistry::commandLines(const Application& app, const QList<QUrl>& urls)
{
    const std::optional<QStringList> exec = splitExec(app.exec);
    if (!exec || exec->isEmpty())
        return {};
    bool takesList = false;
    bool takesOne = false;
    for (const QString& arg : *exec) {
        for (qsizetype i = 0; i + 1 < arg.size(); ++i) {
            if (arg.at(i) != u'%')
                continue;
            const QChar code = arg.at(++i);
            takesList = takesList || code == u'F' || code == u'U';
            takesOne = takesOne || code == u'f' || code == u'u';
        }
    }
    takesOne = takesOne && !takesList;
    QList<QStringList> lines;
    if (takesOne && urls.size() > 1) {
        for (const QUrl& url : urls)
            lines.append(expand(app, *exec, {url}));
    } else {
        lines.append(expand(app, *exec, urls));
    }
    lines.removeIf([](const QStringList& l) { return l.isEmpty() || l.first().isEmpty(); });
    if (app.terminal) {
        const QStringList terminal = terminalCommand();
        if (terminal.isEmpty())
            return {};
        for (QStringList& line : lines)
            line = terminal + line;
    }
    return lines;
}

bool AppRegistry::open(const Application& app, const QList<QUrl>& urls, QString* error)
{
    const QList<QStringList> lines = commandLines(app, urls);
    if (lines.isEmpty()) {
        if (error)
            *error = app.terminal && terminalCommand().isEmpty()
                         ? QStringLiteral("no terminal to run %1 in").arg(app.id)
                         : QStringLiteral("the command line of %1 cannot be read: %2").arg(app.id, app.exec);
        return false;
    }
    for (const QStringList& line : lines) {
        if (!QProcess::startDetached(line.first(), line.mid(1), app.workingDirectory)) {
            if (error)
                *error = QStringLiteral("%1 did not start").arg(line.first());
            return false;
        }
    }
    return true;
}

} // namespace tallomer
