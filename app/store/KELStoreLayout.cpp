#include "app/store/KELStoreLayout.h"

#include "runtime/Log.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace tallomer {

namespace {

fs::path fsPath(const QString& p) { return fs::path(p.toStdString()); }
QString qPath(const fs::path& p) { return QString::fromStdString(p.string()); }
QString describe(const std::error_code& ec) { return QString::fromStdString(ec.message()); }
QString describeErrno(int e) { return QString::fromLocal8Bit(std::strerror(e)); }

bool entryExists(const fs::path& p)
{
    std::error_code ec;
    return fs::exists(fs::symlink_status(p, ec));
}

// Renames without ever replacing what is at `to`.
bool renameNoReplace(const fs::path& from, const fs::path& to, QString* error)
{
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    const int e = errno;
    if (e != EINVAL && e != ENOSYS) {
        *error = describeErrno(e);
        return false;
    }
    // A file system without the flag: check, then rename (the store is ours alone at start).
    if (entryExists(to)) {
        *error = describeErrno(EEXIST);
        return false;
    }
    if (::rename(from.c_str(), to.c_str()) == 0)
        return true;
    *error = describeErrno(errno);
    return false;
}

// Moves every entry of `oldFolder` into `channelFolder`; removes the old folder once it is empty.
void moveEntries(const fs::path& oldFolder, const fs::path& channelFolder, const char* kind,
                 const store::TransitionHook& transition)
{
    std::error_code ec;
    std::vector<fs::path> entries;
    for (fs::directory_iterator it(oldFolder, ec), end; !ec && it != end; it.increment(ec))
        entries.push_back(it->path());
    if (ec)
        logFormat("Move to Application Support/Tallomer/local/%s/%d folder ERROR: %s", kind,
                  static_cast<int>(KELStoreLayout::kHomeChannel), qUtf8Printable(describe(ec)));
    for (const fs::path& entry : entries) {
        const fs::path target = channelFolder / entry.filename();
        QString error;
        if (!renameNoReplace(entry, target, &error)) {
            logFormat("Move to Application Support/Tallomer/local/%s/%d folder ERROR: %s", kind,
                      static_cast<int>(KELStoreLayout::kHomeChannel), qUtf8Printable(error));
            continue;
        }
        if (transition)
            transition(qPath(target));
    }
    std::error_code listEc;
    if (fs::is_empty(oldFolder, listEc) && !listEc) {
        std::error_code rmEc;
        if (!fs::remove(oldFolder, rmEc))
            logFormat("Deleting Application Support/Tallomer/%s folder ERROR: %s", kind,
                      qUtf8Printable(rmEc ? describe(rmEc) : describeErrno(ENOENT)));
    }
}

} // namespace

KELStoreLayout::KELStoreLayout(const QString& appSupport, const QString& home)
{
    const QString support = QDir::cleanPath(appSupport);
    zevDir = support + "/Tallomer";
    zevLocal = QStringLiteral("%1/%2").arg(zevDir, QStringLiteral("local"));
    zevImport = support + "/TallomerImport";
    zevPrevious = support + "/TallomerPrevious";
    zevBase = zevDir + "/zev.sqlite";
    zevDrop = zevLocal + "/zevDrop";
    zevData = zevLocal + "/zevData";
    zevFolder = QStringLiteral("%1/Tallomer/").arg(QDir::cleanPath(home));
}

KELStoreLayout KELStoreLayout::standard()
{
    return KELStoreLayout(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation), QDir::homePath());
}

QString KELStoreLayout::channelDrop() const { return zevDrop + QStringLiteral("/%1").arg(kHomeChannel); }
QString KELStoreLayout::channelData() const { return zevData + QStringLiteral("/%1").arg(kHomeChannel); }
QString KELStoreLayout::oldDrop() const { return zevDir + "/zevDrop"; }
QString KELStoreLayout::oldData() const { return zevDir + "/zevData"; }
QString KELStoreLayout::wallpaper(const QString& name) const { return zevDir + "/" + name + ".pdf"; }

namespace store {

bool ensureFolder(const QString& path, bool intermediate, QString* error)
{
    const fs::path p = fsPath(path);
    std::error_code ec;
    const fs::file_status st = fs::status(p, ec);
    if (fs::is_directory(st))
        return true;
    if (fs::exists(st)) {
        *error = describeErrno(EEXIST);
        return false;
    }
    if (intermediate)
        fs::create_directories(p, ec);
    else
        fs::create_directory(p, ec);
    if (ec) {
        *error = describe(ec);
        return false;
    }
    if (!fs::is_directory(p, ec)) {
        *error = describeErrno(ENOTDIR);
        return false;
    }
    return true;
}

bool copyFileSafely(const QString& source, const QString& target, QString* error)
{
    const fs::path to = fsPath(target);
    if (entryExists(to)) {
        *error = describeErrno(EEXIST);
        return false;
    }
    fs::path partial = to;
    partial += ".copying";
    std::error_code ec;
    if (source.isEmpty() || !fs::is_regular_file(fsPath(source), ec)) {
        *error = describeErrno(ENOENT);
        return false;
    }
    fs::copy_file(fsPath(source), partial, fs::copy_options::overwrite_existing, ec);
    if (ec) {
        *error = describe(ec);
        std::error_code ignored;
        fs::remove(partial, ignored);
        return false;
    }
    if (!renameNoReplace(partial, to, error)) {
        std::error_code ignored;
        fs::remove(partial, ignored);
        return false;
    }
    return true;
}

Migration migrateOldLayout(const KELStoreLayout& layout, const TransitionHook& transition, FolderFailure* failure)
{
    const fs::path oldDrop = fsPath(layout.oldDrop());
    const fs::path oldData = fsPath(layout.oldData());
    const int channel = static_cast<int>(KELStoreLayout::kHomeChannel);
    QString error;

    if (entryExists(oldDrop)) {
        logLine("MULTI-CHANNEL zevDrop transition\u2026");
        if (!ensureFolder(layout.channelDrop(), true, &error)) {
            logFormat("Creating Application Support/Tallomer/local/zevDrop/%d folder ERROR: %s", channel, qUtf8Printable(error));
            if (failure)
                *failure = {layout.channelDrop(), error};
            return Migration::Stop;
        }
        moveEntries(oldDrop, fsPath(layout.channelDrop()), "zevDrop", {});
    }
    if (entryExists(oldData)) {
        const QString channelData = layout.channelData();
        logLine("MULTI-CHANNEL zevData transition\u2026");
        if (!ensureFolder(channelData, true, &error)) {
            logFormat("Creating Application Support/Tallomer/local/zevData/%d folder ERROR: %s", channel, qUtf8Printable(error));
            if (failure)
                *failure = {channelData, error};
            return Migration::Stop;
        }
        moveEntries(oldData, fsPath(channelData), "zevData", transition);
    }
    if (entryExists(oldDrop) || entryExists(oldData)) {
        logLine("Multi-channel transition ERROR");
        return Migration::LeftoverAlert;
    }
    return Migration::Done;
}

bool makeStoreFolder(const KELStoreLayout& layout, FolderFailure* failure)
{
    QString error;
    if (ensureFolder(layout.zevDir, true, &error))
        return true;
    logFormat("Creating Application Support/Tallomer folder %s ERROR: %s", qUtf8Printable(layout.zevDir), qUtf8Printable(error));
    if (failure)
        *failure = {layout.zevDir, error};
    return false;
}

bool copyTemplateIfMissing(const KELStoreLayout& layout, const QString& templatePath, QString* errorOut)
{
    if (entryExists(fsPath(layout.zevBase)))
        return true;
    QString error;
    if (copyFileSafely(templatePath, layout.zevBase, &error))
        return true;
    logFormat("Coping zev.sqlite to NSApplicationSupportDirectory/Tallomer/ folder ERROR: %s", qUtf8Printable(error));
    if (errorOut)
        *errorOut = error;
    return false;
}

bool makeDataFolders(const KELStoreLayout& layout, FolderFailure* failure)
{
    const int channel = static_cast<int>(KELStoreLayout::kHomeChannel);
    QString error;
    auto failed = [&](const QString& folder) {
        if (failure)
            *failure = {folder, error};
        return false;
    };
    if (!ensureFolder(layout.zevDrop, true, &error)) {
        logFormat("Creating Application Support/Tallomer/local/zevDrop/ folder ERROR: %s", qUtf8Printable(error));
        return failed(layout.zevDrop);
    }
    if (!ensureFolder(layout.zevData, true, &error)) {
        logFormat("Creating Application Support/Tallomer/local/zevData/ folder ERROR: %s", qUtf8Printable(error));
        return failed(layout.zevData);
    }
    if (!ensureFolder(layout.channelDrop(), false, &error)) {
        logFormat("Creating Application Support/Tallomer/local/zevDrop/%d folder ERROR: %s", channel, qUtf8Printable(error));
        return failed(layout.channelDrop());
    }
    if (!ensureFolder(layout.channelData(), false, &error)) {
        logFormat("Creating Application Support/Tallomer/local/zevData/%d folder ERROR: %s", channel, qUtf8Printable(error));
        return failed(layout.channelData());
    }
    return true;
}

QString folderObstacle(const QString& storeFolder)
{
    // What makeDataFolders makes, relative to the store folder.
    const QString channel = QString::number(KELStoreLayout::kHomeChannel);
    const QStringList folders = {QStringLiteral("local"), QStringLiteral("local/zevDrop"), QStringLiteral("local/zevData"),
                                 QStringLiteral("local/zevDrop/") + channel, QStringLiteral("local/zevData/") + channel};
    for (const QString& relative : folders) {
        const QFileInfo info(storeFolder + QLatin1Char('/') + relative);
        if (info.isSymLink() && !info.exists())
            return QStringLiteral("%1 is a link that leads nowhere where a folder goes").arg(relative);
        if (info.exists() && !info.isDir())
            return QStringLiteral("%1 is a file where a folder goes").arg(relative);
    }
    return QString();
}

const QStringList& wallpaperNames()
{
    static const QStringList names = {"zevWallpaperGrey", "zevWallpaperBlue", "zevWallpaperNew", "zevWallpaperNo"};
    return names;
}

int copyMissingWallpapers(const KELStoreLayout& layout, const std::function<QString(const QString&)>& sourceFor)
{
    struct Texts {
        const char* first;
        const char* second;
    };
    // The error number and the padding of each line are what the support pages quote.
    static const Texts texts[] = {
        {"majBack:                   ERROR 05: %s", "Error when copying zevWallpaperGrey: %s"},
        {"majBack:                   ERROR 06: %s", "Error when copying zevWallpaperBlue: %s"},
        {"majBack:                   ERROR 07: %s", " Error when copying zevWallpaperNew: %s"},
        {"majBack:                   ERROR 08: %s", "  Error when copying zevWallpaperNo: %s"},
    };
    // Every source is looked up first, then each one found is copied if missing.
    QStringList sources;
    for (const QString& name : wallpaperNames())
        sources << (sourceFor ? sourceFor(name) : QString());
    int copied = 0;
    for (int i = 0; i < wallpaperNames().size(); ++i) {
        const QString& source = sources.at(i);
        if (source.isEmpty())
            continue;
        const QString target = layout.wallpaper(wallpaperNames().at(i));
        if (entryExists(fsPath(target)))
            continue;
        QString error;
        if (copyFileSafely(source, target, &error)) {
            ++copied;
            continue;
        }
        const QString full = QStringLiteral("%1 (copying %2 to %3)").arg(error, source, target);
        logFormat(texts[i].first, qUtf8Printable(full));
        logFormat(texts[i].second, qUtf8Printable(source));
        logFormat("                          to folder: %s", qUtf8Printable(target));
    }
    return copied;
}

UserFolder makeUserFolder(const KELStoreLayout& layout, FolderFailure* failure)
{
    QString path = layout.zevFolder;
    while (path.size() > 1 && path.endsWith('/'))
        path.chop(1);
    const fs::path p = fsPath(path);
    std::error_code ec;
    const fs::file_status st = fs::symlink_status(p, ec);
    if (fs::exists(st)) {
        if (fs::is_directory(fs::status(p, ec)))
            return UserFolder::Existing;
        logFormat("Creating folder NSHomeDirectory/Tallomer/ ERROR: %s", qUtf8Printable(describeErrno(ENOTDIR)));
        if (failure)
            *failure = {path, describeErrno(ENOTDIR)};
        return UserFolder::Failed;
    }
    if (::mkdir(p.c_str(), 0700) != 0) {
        const QString error = describeErrno(errno);
        logFormat("Creating folder NSHomeDirectory/Tallomer/ ERROR: %s", qUtf8Printable(error));
        if (failure)
            *failure = {path, error};
        return UserFolder::Failed;
    }
    // The umask only ever takes bits away; set the mode exactly, as asked.
    if (::chmod(p.c_str(), 0700) != 0)
        logFormat("Creating folder NSHomeDirectory/Tallomer/ ERROR: %s", qUtf8Printable(describeErrno(errno)));
    return UserFolder::Created;
}

} // namespace store
} // namespace tallomer
