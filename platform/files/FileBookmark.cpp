#include "platform/files/FileBookmark.h"

#include "platform/files/BoundedCbor.h"

#include <QCborArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <deque>
#include <dirent.h>
#include <set>
#include <unistd.h>
#include <utility>

namespace tallomer {

namespace {

constexpr qint64 kBookmarkVersion = 1;
constexpr qsizetype kMaxBookmarkBytes = 64 * 1024;

QString cleanAbsolute(const QString& path)
{
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

bool fitsUnsigned32(const QCborValue& v)
{
    return v.isInteger() && v.toInteger() >= 0 && v.toInteger() <= 0xFFFFFFFFll;
}

// Breadth-first walk for one identity, sharing its budget and visited folders over all roots.
class IdentitySearch {
public:
    IdentitySearch(const FileIdentity& target, const BookmarkSearch& limits)
        : target_(target), limits_(limits)
    {
    }

    std::optional<QString> searchFrom(const QString& root)
    {
        std::deque<std::pair<QString, int>> queue;
        queue.emplace_back(cleanAbsolute(root), 0);
        while (!queue.empty() && entries_ < limits_.maxEntries) {
            auto [folder, depth] = std::move(queue.front());
            queue.pop_front();
            if (!enter(folder))
                continue;
            if (auto found = scan(folder, depth, queue))
                return found;
        }
        return std::nullopt;
    }

private:
    // A folder is searched once, only on the target's file system, and never when it declares
    // itself a cache.
    bool enter(const QString& folder)
    {
        const auto id = fileIdentity(folder, SymlinkMode::NoFollow);
        if (!id || id->deviceMajor != target_.deviceMajor || id->deviceMinor != target_.deviceMinor)
            return false;
        if (!visited_.insert(id->inode).second)
            return false;
        const QByteArray tag = QFile::encodeName(folder + QStringLiteral("/CACHEDIR.TAG"));
        return ::access(tag.constData(), F_OK) != 0;
    }

    std::optional<QString> scan(const QString& folder, int depth,
                                std::deque<std::pair<QString, int>>& queue)
    {
        DIR* dir = ::opendir(QFile::encodeName(folder).constData());
        if (!dir)
            return std::nullopt;
        std::optional<QString> found;
        while (const dirent* entry = ::readdir(dir)) {
            const char* name = entry->d_name;
            if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0')))
                continue;
            if (++entries_ > limits_.maxEntries)
                break;
            const QString path = folder + QLatin1Char('/') + QFile::decodeName(name);
            if (entry->d_ino == target_.inode) {
                const auto id = fileIdentity(path, SymlinkMode::NoFollow);
                if (id && id->sameFile(target_)) {
                    found = path;
                    break;
                }
            }
            if (name[0] == '.' || depth + 1 > limits_.maxDepth)
                continue;
            bool isDir = entry->d_type == DT_DIR;
            if (entry->d_type == DT_UNKNOWN) {
                const QFileInfo info(path);
                isDir = info.isDir() && !info.isSymLink();
            }
            if (isDir)
                queue.emplace_back(path, depth + 1);
        }
        ::closedir(dir);
        return found;
    }

    FileIdentity target_;
    const BookmarkSearch& limits_;
    qsizetype entries_ = 0;
    std::set<std::uint64_t> visited_;
};

} // namespace

FileBookmark::FileBookmark(QString path, FileIdentity identity)
    : path_(std::move(path)), identity_(identity)
{
}

std::optional<FileBookmark> FileBookmark::fromPath(const QString& path)
{
    if (path.isEmpty())
        return std::nullopt;
    const QString clean = cleanAbsolute(path);
    const auto identity = fileIdentity(clean);
    if (!identity)
        return std::nullopt;
    return FileBookmark(clean, *identity);
}

QByteArray FileBookmark::toBytes() const
{
    QCborMap map;
    map.insert(QStringLiteral("v"), kBookmarkVersion);
    map.insert(QStringLiteral("path"), path_);
    map.insert(QStringLiteral("dev"),
               QCborArray{qint64(identity_.deviceMajor), qint64(identity_.deviceMinor)});
    map.insert(QStringLiteral("ino"), qint64(identity_.inode));
    if (identity_.hasBirth)
        map.insert(QStringLiteral("birth"),
                   QCborArray{qint64(identity_.birthSeconds), qint64(identity_.birthNanoseconds)});
    return map.toCborValue().toCbor();
}

std::optional<FileBookmark> FileBookmark::fromBytes(const QByteArray& bytes)
{
    if (bytes.size() > kMaxBookmarkBytes)
        return std::nullopt;
    const auto map = decodeCborMap(bytes);
    if (!map || map->value(QStringLiteral("v")).toInteger(-1) != kBookmarkVersion)
        return std::nullopt;
    const QCborValue path = map->value(QStringLiteral("path"));
    const QCborArray dev = map->value(QStringLiteral("dev")).toArray();
    const QCborValue ino = map->value(QStringLiteral("ino"));
    if (!path.isString() || !path.toString().startsWith(QLatin1Char('/')) || dev.size() != 2
        || !fitsUnsigned32(dev.at(0)) || !fitsUnsigned32(dev.at(1)) || !ino.isInteger())
        return std::nullopt;
    FileIdentity identity;
    identity.deviceMajor = std::uint32_t(dev.at(0).toInteger());
    identity.deviceMinor = std::uint32_t(dev.at(1).toInteger());
    identity.inode = std::uint64_t(ino.toInteger());
    if (map->contains(QStringLiteral("birth"))) {
        const QCborArray birth = map->value(QStringLiteral("birth")).toArray();
        if (birth.size() != 2 || !birth.at(0).isInteger() || !birth.at(1).isInteger()
            || birth.at(1).toInteger() < 0 || birth.at(1).toInteger() >= 1000000000)
            return std::nullopt;
        identity.hasBirth = true;
        identity.birthSeconds = birth.at(0).toInteger();
        identity.birthNanoseconds = std::uint32_t(birth.at(1).toInteger());
    }
    return FileBookmark(path.toString(), identity);
}

BookmarkSearch BookmarkSearch::standard(const QString& storeFolder)
{
    BookmarkSearch search;
    const QString home = QDir::homePath();
    search.roots << home + QStringLiteral("/Tallomer");
    if (!storeFolder.isEmpty())
        search.roots << storeFolder;
    search.roots << home;
    return search;
}

std::optional<ResolvedBookmark> resolveBookmark(const FileBookmark& bookmark,
                                                const BookmarkSearch& search)
{
    const QString& recorded = bookmark.path();
    const auto atPath = fileIdentity(recorded);
    if (atPath && atPath->sameFile(bookmark.identity()))
        return ResolvedBookmark{recorded, *atPath, !(*atPath == bookmark.identity())};

    IdentitySearch walk(bookmark.identity(), search);
    QStringList roots;
    roots << QFileInfo(recorded).absolutePath() << search.roots;
    for (const QString& root : roots) {
        if (root.isEmpty())
            continue;
        if (auto found = walk.searchFrom(root)) {
            const auto identity = fileIdentity(*found, SymlinkMode::NoFollow);
            if (identity)
                return ResolvedBookmark{*found, *identity, true};
        }
    }

    if (atPath)
        return ResolvedBookmark{recorded, *atPath, true};
    return std::nullopt;
}

} // namespace tallomer
