#include "platform/files/ZipArchive.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <archive.h>
#include <archive_entry.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <locale.h>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_set>
#include <vector>

namespace tallomer {

namespace {

struct ReadDeleter {
    void operator()(archive* a) const { archive_read_free(a); }
};
struct WriteDeleter {
    void operator()(archive* a) const { archive_write_free(a); }
};
struct EntryDeleter {
    void operator()(archive_entry* e) const { archive_entry_free(e); }
};
struct ClosedAtEnd {
    explicit ClosedAtEnd(int f) : fd(f) {}
    int fd;
    ~ClosedAtEnd() { ::close(fd); }
    ClosedAtEnd(const ClosedAtEnd&) = delete;
    ClosedAtEnd& operator=(const ClosedAtEnd&) = delete;
};
using ReadArchive = std::unique_ptr<archive, ReadDeleter>;
using WriteArchive = std::unique_ptr<archive, WriteDeleter>;
using Entry = std::unique_ptr<archive_entry, EntryDeleter>;

// Names are UTF-8 in the archive whatever the program's locale: libarchive converts through the
// calling thread's character type, so the work runs under a UTF-8 one, for this thread alone.
class Utf8Names {
public:
    Utf8Names()
    {
        locale_ = ::newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t(nullptr));
        if (locale_)
            previous_ = ::uselocale(locale_);
    }
    ~Utf8Names()
    {
        if (locale_) {
            ::uselocale(previous_);
            ::freelocale(locale_);
        }
    }
    Utf8Names(const Utf8Names&) = delete;
    Utf8Names& operator=(const Utf8Names&) = delete;

private:
    locale_t locale_ = locale_t(nullptr);
    locale_t previous_ = locale_t(nullptr);
};

QString systemError() { return QString::fromLocal8Bit(std::strerror(errno)); }

QString archiveError(archive* a)
{
    const char* s = archive_error_string(a);
    return s ? QString::fromUtf8(s) : QStringLiteral("unknown archive error");
}

// libarchive names the step that failed ("Write failed"); the system's reason, a full disk most
// often, is what the user can act on.
QString writeError(archive* a)
{
    const QString what = archiveError(a);
    const int e = archive_errno(a);
    if (e <= 0)
        return what;
    const QString why = QString::fromLocal8Bit(std::strerror(e));
    return what.contains(why) ? what : QStringLiteral("%1 (%2)").arg(what, why);
}

class Writer {
public:
    Writer(archive* a, const ZipWriteRequest& r) : a_(a), request_(r) {}

    // Adds every entry below `relative` (a folder inside the request's folder, "" for the top).
    bool addFolder(const QByteArray& relative)
    {
        const QByteArray full = QFile::encodeName(request_.folder) + (relative.isEmpty() ? "" : "/" + relative);
        DIR* dir = ::opendir(full.constData());
        if (!dir) {
            error = QStringLiteral("cannot read %1: %2").arg(QFile::decodeName(full), systemError());
            return false;
        }
        std::vector<QByteArray> names;
        while (dirent* d = ::readdir(dir)) {
            if (std::strcmp(d->d_name, ".") != 0 && std::strcmp(d->d_name, "..") != 0)
                names.emplace_back(d->d_name);
        }
        ::closedir(dir);
        std::sort(names.begin(), names.end());
        for (const QByteArray& name : names) {
            const QByteArray rel = relative.isEmpty() ? name : relative + "/" + name;
            if (!addEntry(rel))
                return false;
        }
        return true;
    }

    QString error;

private:
    bool addEntry(const QByteArray& rel)
    {
        const QString relName = QFile::decodeName(rel);
        if (request_.skip.contains(relName))
            return true;
        QByteArray source = QFile::encodeName(request_.folder) + "/" + rel;
        if (request_.substitutes.contains(relName))
            source = QFile::encodeName(request_.substitutes.value(relName));
        struct stat st {};
        if (::lstat(source.constData(), &st) != 0) {
            error = QStringLiteral("cannot examine %1: %2").arg(QFile::decodeName(source), systemError());
            return false;
        }
        Entry entry(archive_entry_new());
        archive_entry_set_pathname_utf8(entry.get(), relName.toUtf8().constData());
        archive_entry_set_mtime(entry.get(), st.st_mtim.tv_sec, st.st_mtim.tv_nsec);
        archive_entry_set_perm(entry.get(), st.st_mode & 07777);
        if (S_ISDIR(st.st_mode)) {
            archive_entry_set_filetype(entry.get(), AE_IFDIR);
            archive_entry_set_pathname_utf8(entry.get(), (relName + QLatin1Char('/')).toUtf8().constData());
            if (!header(entry.get()))
                return false;
            return addFolder(rel);
        }
        if (S_ISLNK(st.st_mode)) {
            QByteArray target(4096, '\0');
            const ssize_t n = ::readlink(source.constData(), target.data(), target.size());
            if (n < 0 || n >= target.size()) {
                error = QStringLiteral("cannot read the link %1: %2").arg(QFile::decodeName(source), systemError());
                return false;
            }
            target.truncate(n);
            archive_entry_set_filetype(entry.get(), AE_IFLNK);
            archive_entry_set_symlink_utf8(entry.get(), QFile::decodeName(target).toUtf8().constData());
            archive_entry_set_size(entry.get(), 0);
            return header(entry.get());
        }
        if (!S_ISREG(st.st_mode))
            return true; // sockets, FIFOs and devices are nothing of the store's
        const int fd = ::open(source.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
        if (fd < 0) {
            error = QStringLiteral("cannot open %1: %2").arg(QFile::decodeName(source), systemError());
            return false;
        }
        struct stat opened {};
        ::fstat(fd, &opened);
        archive_entry_set_filetype(entry.get(), AE_IFREG);
        archive_entry_set_size(entry.get(), opened.st_size);
        bool ok = header(entry.get());
        std::vector<char> buffer(1 << 16);
        qint64 written = 0;
        while (ok) {
            const ssize_t n = ::read(fd, buffer.data(), buffer.size());
            if (n < 0) {
                error = QStringLiteral("cannot read %1: %2").arg(QFile::decodeName(source), systemError());
                ok = false;
                break;
            }
            if (n == 0)
                break;
            if (archive_write_data(a_, buffer.data(), size_t(n)) != n) {
                error = writeError(a_);
                ok = false;
                break;
            }
            written += n;
        }
        ::close(fd);
        if (ok && written != opened.st_size) {
            // A file that changed size while it was read would be stored torn.
            error = QStringLiteral("%1 changed while it was archived").arg(QFile::decodeName(source));
            ok = false;
        }
        return ok;
    }

    bool header(archive_entry* e)
    {
        if (archive_write_header(a_, e) != ARCHIVE_OK) {
            error = writeError(a_);
            return false;
        }
        return true;
    }

    archive* a_;
    const ZipWriteRequest& request_;
};

} // namespace

FileResult writeZipArchive(const ZipWriteRequest& request)
{
    const Utf8Names utf8;
    if (!QFileInfo(request.folder).isDir())
        return FileResult::failure(QStringLiteral("no folder %1 to archive").arg(request.folder));
    const QFileInfo targetInfo(request.target);
    const QString dir = targetInfo.absolutePath();
    QByteArray temp = QFile::encodeName(dir + QStringLiteral("/.") + targetInfo.fileName() + QStringLiteral(".XXXXXX"));
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0)
        return FileResult::failure(QStringLiteral("cannot create a file in %1: %2").arg(dir, systemError()));
    auto fail = [&](const QString& why) {
        ::unlink(temp.constData());
        return FileResult::failure(QStringLiteral("cannot export to %1: %2").arg(request.target, why));
    };

    WriteArchive a(archive_write_new());
    archive_write_set_format_zip(a.get());
    archive_write_set_options(a.get(), "zip:hdrcharset=UTF-8");
    if (archive_write_open_fd(a.get(), fd) != ARCHIVE_OK) {
        ::close(fd);
        return fail(archiveError(a.get()));
    }
    Writer writer(a.get(), request);
    bool ok = writer.addFolder(QByteArray());
    QString error = writer.error;
    if (archive_write_close(a.get()) != ARCHIVE_OK && ok) {
        ok = false;
        error = writeError(a.get());
    }
    a.reset();
    if (ok && ::fsync(fd) != 0) {
        ok = false;
        error = systemError();
    }
    ::fchmod(fd, 0644);
    ::close(fd);
    if (!ok)
        return fail(error);
    if (::rename(temp.constData(), QFile::encodeName(request.target).constData()) != 0)
        return fail(systemError());
    return FileResult::success();
}

bool linkStaysInside(const QString& entry, const QString& target)
{
    if (target.isEmpty() || target.startsWith(QLatin1Char('/')))
        return false;
    // The link's own folder, then its target's components, never above the top.
    QStringList parts = entry.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    if (!parts.isEmpty())
        parts.removeLast();
    for (const QString& part : target.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (part == QLatin1String("."))
            continue;
        if (part == QLatin1String("..")) {
            if (parts.isEmpty())
                return false;
            parts.removeLast();
        } else {
            parts << part;
        }
    }
    return true;
}

namespace {

constexpr int kMaxLinksFollowed = 40; // as the kernel's limit: more is a loop

std::vector<std::string> components(const std::string& path)
{
    std::vector<std::string> out;
    std::size_t at = 0;
    while (at <= path.size()) {
        const std::size_t slash = std::min(path.find('/', at), path.size());
        if (slash > at && path.compare(at, slash - at, ".") != 0)
            out.push_back(path.substr(at, slash - at));
        at = slash + 1;
    }
    return out;
}

std::string joined(const std::string& base, const std::vector<std::string>& parts)
{
    std::string path = base;
    for (const std::string& part : parts)
        path += '/' + part;
    return path;
}

// Whether `target`, read from the folder `from` (components below base, none of them a link),
// stays below base once every link met on disk is followed, as the kernel follows them.
// Components that do not exist (yet) are taken as written; a link placed there later changes the
// answer, which is why every link is checked again once the whole archive is in place. Absolute
// targets and loops are refused.
bool leadsInside(const std::string& base, const std::unordered_set<std::string>& placedLinks,
                 std::vector<std::string> from, const std::string& target)
{
    if (target.empty() || target.front() == '/')
        return false;
    std::vector<std::string> pending = components(target);
    std::reverse(pending.begin(), pending.end());
    int followed = 0;
    while (!pending.empty()) {
        const std::string part = std::move(pending.back());
        pending.pop_back();
        if (part == "..") {
            if (from.empty())
                return false;
            from.pop_back();
            continue;
        }
        from.push_back(part);
        // Only what the archive placed can be a link: the others need no look at the disk, which
        // for a deep path costs as much as the path is long.
        if (!placedLinks.count(joined(std::string(), from).substr(1)))
            continue;
        const std::string path = joined(base, from);
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            continue;
        if (++followed > kMaxLinksFollowed)
            return false;
        std::string next(PATH_MAX, '\0');
        const ssize_t n = ::readlink(path.c_str(), next.data(), next.size());
        if (n <= 0 || std::size_t(n) >= next.size() || next.front() == '/')
            return false;
        next.resize(std::size_t(n));
        from.pop_back();
        std::vector<std::string> more = components(next);
        pending.insert(pending.end(), more.rbegin(), more.rend());
    }
    return true;
}

// The first link the archive placed among the folders of `entry` (its components), empty when
// none. The folders are found by name, in a time that grows with the name's length alone.
QString linkOnTheWay(const std::unordered_set<std::string>& placedLinks, const std::vector<std::string>& entry)
{
    std::string at;
    for (std::size_t i = 0; i + 1 < entry.size(); ++i) {
        at += (i ? "/" : "") + entry[i];
        if (placedLinks.count(at))
            return QString::fromStdString(at);
    }
    return QString();
}

// A name as an alert can show it, however long the archive made it.
QString shortened(const QString& name)
{
    constexpr qsizetype kShown = 120;
    return name.size() <= kShown ? name : name.left(kShown) + QStringLiteral("\u2026");
}

QString refuseEntryName(const QString& name)
{
    if (name.isEmpty())
        return QStringLiteral("an entry without a name");
    if (name.startsWith(QLatin1Char('/')))
        return QStringLiteral("the absolute path %1").arg(name);
    for (const QString& part : name.split(QLatin1Char('/')))
        if (part == QLatin1String(".."))
            return QStringLiteral("the path %1, which leads outside the folder it is unpacked into").arg(name);
    if (name.contains(QChar(0)))
        return QStringLiteral("a name with a NUL character");
    return QString();
}

} // namespace

FileResult unpackZipArchive(const QString& archivePath, const QString& destination, const ZipLimits& limits)
{
    const Utf8Names utf8;
    // libarchive refuses to write through any link on the way; the destination's own path may
    // have some (a home reached through a link), so it is given without them.
    const QString base = QFileInfo(destination).canonicalFilePath();
    if (base.isEmpty() || !QFileInfo(base).isDir())
        return FileResult::failure(QStringLiteral("no folder %1 to unpack into").arg(destination));

    const std::string root = QFile::encodeName(base).toStdString();
    std::vector<std::vector<std::string>> links; // every link placed, by its components
    std::unordered_set<std::string> placedLinks; // the same, by their paths below base

    // Opened without waiting and looked at first: a named pipe chosen as the archive would hold
    // the import until something wrote to it, which nothing does.
    const int fd = ::open(QFile::encodeName(archivePath).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return FileResult::failure(QStringLiteral("%1 cannot be read: %2").arg(archivePath, systemError()));
    const ClosedAtEnd closer(fd); // declared before the reader, so closed after it is freed
    struct stat opened {};
    if (::fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode))
        return FileResult::failure(QStringLiteral("%1 is not an ordinary file").arg(archivePath));

    ReadArchive in(archive_read_new());
    archive_read_support_format_zip(in.get());
    archive_read_set_options(in.get(), "hdrcharset=UTF-8");
    if (archive_read_open_fd(in.get(), fd, 1 << 16) != ARCHIVE_OK)
        return FileResult::failure(QStringLiteral("%1 is not a zip archive: %2").arg(archivePath, archiveError(in.get())));

    WriteArchive out(archive_write_disk_new());
    archive_write_disk_set_options(out.get(), ARCHIVE_EXTRACT_SECURE_SYMLINKS | ARCHIVE_EXTRACT_SECURE_NODOTDOT |
                                                  ARCHIVE_EXTRACT_TIME | ARCHIVE_EXTRACT_NO_OVERWRITE);

    qint64 total = 0;
    qint64 count = 0;
    std::vector<char> buffer(1 << 16);
    for (;;) {
        archive_entry* entry = nullptr;
        const int r = archive_read_next_header(in.get(), &entry);
        if (r == ARCHIVE_EOF)
            break;
        if (r != ARCHIVE_OK && r != ARCHIVE_WARN)
            return FileResult::failure(QStringLiteral("the archive is damaged: %1").arg(archiveError(in.get())));
        if (++count > limits.maxEntries)
            return FileResult::failure(QStringLiteral("the archive holds more than %1 entries").arg(limits.maxEntries));
        const char* utf8 = archive_entry_pathname_utf8(entry);
        const char* raw = archive_entry_pathname(entry);
        QString name = utf8 ? QString::fromUtf8(utf8) : QFile::decodeName(raw ? raw : "");
        if (const QString why = refuseEntryName(name); !why.isEmpty())
            return FileResult::failure(QStringLiteral("the archive holds %1").arg(why));
        while (name.endsWith(QLatin1Char('/')))
            name.chop(1);
        if (name.isEmpty() || name == QLatin1String("."))
            continue;
        if (archive_entry_hardlink(entry))
            return FileResult::failure(QStringLiteral("the archive holds the hard link %1").arg(name));
        const std::vector<std::string> parts = components(name.toStdString());
        if (parts.empty())
            continue; // the top itself ("./.")
        // A path the system cannot name whole could be neither removed nor read again by path:
        // a refused import would leave a folder that no later import can empty.
        if (root.size() + 1 + name.toUtf8().size() >= PATH_MAX)
            return FileResult::failure(QStringLiteral("the path %1, too long to be unpacked").arg(shortened(name)));
        if (const QString link = linkOnTheWay(placedLinks, parts); !link.isEmpty())
            return FileResult::failure(QStringLiteral("the entry %1 lies behind the link %2").arg(name, link));
        const mode_t type = archive_entry_filetype(entry);
        if (type == AE_IFLNK) {
            const char* t8 = archive_entry_symlink_utf8(entry);
            const char* traw = archive_entry_symlink(entry);
            const QString target = t8 ? QString::fromUtf8(t8) : QFile::decodeName(traw ? traw : "");
            // Lexically first, then through the links already in place.
            if (target.toUtf8().size() >= PATH_MAX || !linkStaysInside(name, target) ||
                !leadsInside(root, placedLinks, {parts.begin(), parts.end() - 1}, target.toStdString()))
                return FileResult::failure(
                    QStringLiteral("the link %1 leads outside (%2)").arg(shortened(name), shortened(target)));
            links.push_back(parts);
            placedLinks.insert(joined(std::string(), parts).substr(1));
        } else if (type != AE_IFREG && type != AE_IFDIR) {
            return FileResult::failure(QStringLiteral("the archive holds %1, which is no file, folder or link").arg(name));
        }
        if (archive_entry_size_is_set(entry)) {
            const qint64 declared = archive_entry_size(entry);
            if (declared < 0 || declared > limits.maxTotalBytes - total)
                return FileResult::failure(QStringLiteral("the archive's contents are larger than the %1 bytes free")
                                               .arg(limits.maxTotalBytes));
        }
        archive_entry_set_pathname_utf8(entry, (base + QLatin1Char('/') + name).toUtf8().constData());
        archive_entry_set_perm(entry, archive_entry_perm(entry) & 0777);
        if (archive_write_header(out.get(), entry) != ARCHIVE_OK)
            return FileResult::failure(QStringLiteral("%1 cannot be unpacked: %2").arg(name, writeError(out.get())));
        if (type == AE_IFREG) {
            for (;;) {
                const la_ssize_t n = archive_read_data(in.get(), buffer.data(), buffer.size());
                if (n == 0)
                    break;
                if (n < 0)
                    return FileResult::failure(QStringLiteral("the archive is damaged at %1: %2")
                                                   .arg(name, archiveError(in.get())));
                total += n;
                if (total > limits.maxTotalBytes)
                    return FileResult::failure(QStringLiteral("the archive's contents are larger than the %1 bytes free")
                                                   .arg(limits.maxTotalBytes));
                const la_ssize_t written = archive_write_data(out.get(), buffer.data(), size_t(n));
                // Short without an error: the entry holds more than its header declared.
                if (written >= 0 && written < n)
                    return FileResult::failure(
                        QStringLiteral("the archive is damaged at %1: it holds more than it declares").arg(name));
                if (written != n)
                    return FileResult::failure(QStringLiteral("%1 cannot be written: %2").arg(name, writeError(out.get())));
            }
        }
        if (archive_write_finish_entry(out.get()) != ARCHIVE_OK)
            return FileResult::failure(QStringLiteral("%1 cannot be written: %2").arg(name, writeError(out.get())));
    }
    if (archive_write_close(out.get()) != ARCHIVE_OK)
        return FileResult::failure(QStringLiteral("the unpacked files cannot be finished: %1").arg(writeError(out.get())));
    // A link placed later may have changed where an earlier one leads (one that went through a
    // name not yet there): every link again, in the tree as it is now.
    for (const std::vector<std::string>& link : links) {
        const std::string path = joined(root, link);
        std::string target(PATH_MAX, '\0');
        const ssize_t n = ::readlink(path.c_str(), target.data(), target.size());
        const QString name = QString::fromStdString(joined(std::string(), link).substr(1));
        if (n <= 0 || std::size_t(n) >= target.size())
            return FileResult::failure(QStringLiteral("the link %1 cannot be read back").arg(name));
        target.resize(std::size_t(n));
        if (!leadsInside(root, placedLinks, {link.begin(), link.end() - 1}, target))
            return FileResult::failure(QStringLiteral("the link %1 leads outside through other links (%2)")
                                           .arg(name, QString::fromStdString(target)));
    }
    return FileResult::success();
}

} // namespace tallomer
