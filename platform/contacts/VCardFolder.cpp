#include "platform/contacts/VCardFolder.h"

#include "platform/files/DirectoryWatch.h"
#include "platform/files/FileIdentity.h"
#include "platform/files/GeneratedFiles.h"
#include "platform/files/SafeFileName.h"
#include "runtime/Clock.h"
#include "runtime/Log.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <vector>

#include <dirent.h>
#include <sys/stat.h>
#include <QFileInfo>
#include <QStandardPaths>
#include <QUuid>

namespace tallomer {

namespace {

// Unix time 0, which some copies carry as a creation date they do not know.
constexpr KELDate kUnixEpoch = dateFromUnix(0.0);

std::unique_ptr<DirectoryWatch> inotifyWatch(const QString& folder)
{
    return std::make_unique<InotifyDirectoryWatch>(folder);
}

} // namespace

QString VCardFolder::defaultFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/contacts");
}

VCardFolder::VCardFolder(QString folder, WatchMaker makeWatch)
    : makeWatch_(makeWatch ? std::move(makeWatch) : WatchMaker(inotifyWatch))
{
    setFolder(std::move(folder));
}

VCardFolder::~VCardFolder() = default;

void VCardFolder::setFolder(QString folder)
{
    folder_ = std::move(folder);
    watch_ = makeWatch_(folder_);
    watching_ = false;
    if (watch_)
        watch_->onScan = [this] { rescan(); };
    indexed_ = false;
    overCountLogged_ = false;
    files_.clear();
    byUid_.clear();
    tellObservers();
}

void VCardFolder::ensureIndexed()
{
    // While the folder cannot be watched (it does not exist yet), nothing tells of its changes:
    // each lookup looks at it, and watches it as soon as it is there.
    const bool wasWatching = watching_;
    if (!watching_ && watch_)
        watching_ = watch_->renew();
    if (!indexed_ || !watching_ || !wasWatching)
        rescan();
}

void VCardFolder::rescan()
{
    indexed_ = true;
    if (watch_ && watch_->siScanPending())
        watch_->cancelPendingScan();
    if (watch_ && !watching_)
        watching_ = watch_->renew();
    // Listed and examined through the folder's own descriptor: a look at thousands of cards
    // costs one stat each, without walking their paths.
    struct Listed {
        QByteArray name;
        struct stat st;
    };
    std::vector<Listed> listed;
    if (DIR* dir = ::opendir(QFile::encodeName(folder_).constData())) {
        const int fd = ::dirfd(dir);
        while (const dirent* entry = ::readdir(dir)) {
            const QByteArrayView name(entry->d_name);
            if (name.startsWith('.') || !(name.endsWith(".vcf") || name.endsWith(".vcard")))
                continue;
            Listed l{QByteArray(entry->d_name), {}};
            if (::fstatat(fd, entry->d_name, &l.st, 0) == 0 && S_ISREG(l.st.st_mode))
                listed.push_back(std::move(l));
        }
        ::closedir(dir);
    }
    std::sort(listed.begin(), listed.end(), [](const Listed& a, const Listed& b) { return a.name < b.name; });
    if (listed.size() > std::size_t(kMaxVCardFiles)) {
        if (!overCountLogged_)
            logFormat("VCardFolder: %s holds %llu card files; only the first %d are read", qUtf8Printable(folder_),
                      static_cast<unsigned long long>(listed.size()), kMaxVCardFiles);
        overCountLogged_ = true;
        listed.resize(std::size_t(kMaxVCardFiles));
    } else {
        overCountLogged_ = false;
    }
    bool changed = false;
    std::vector<FileState*> toRead;
    for (auto& [name, state] : files_)
        state.seen = false;
    for (const Listed& l : listed) {
        const qint64 modified = qint64(l.st.st_mtim.tv_sec) * 1000000000 + l.st.st_mtim.tv_nsec;
        auto [it, added] = files_.try_emplace(l.name);
        FileState& state = it->second;
        state.seen = true;
        if (!added && state.size == qint64(l.st.st_size) && state.modifiedNs == modified)
            continue;
        state.path = folder_ + QLatin1Char('/') + QFile::decodeName(l.name);
        state.size = qint64(l.st.st_size);
        state.modifiedNs = modified;
        state.cards.clear();
        toRead.push_back(&state);
        changed = true;
    }
    readFiles(toRead);
    for (auto it = files_.begin(); it != files_.end();) {
        if (it->second.seen) {
            ++it;
        } else {
            it = files_.erase(it);
            changed = true;
        }
    }
    if (changed) {
        rebuildIndex();
        tellObservers();
    }
}

void VCardFolder::readFiles(const std::vector<FileState*>& states)
{
    filesRead_ += qint64(states.size());
    for (FileState* state : states)
        readFile(state->path, *state);
}

void VCardFolder::readFile(const QString& path, FileState& state)
{
    if (state.size > kMaxVCardBytes) {
        logFormat("VCardFolder: %s is larger than %lld bytes; its cards are not read", qUtf8Printable(path),
                  static_cast<long long>(kMaxVCardBytes));
        return;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        logFormat("VCardFolder: %s cannot be read: %s", qUtf8Printable(path), qUtf8Printable(file.errorString()));
        return;
    }
    // Read by the size it has (a read asked for the whole bound would reserve the bound each time),
    // one byte more telling a file grown past the bound since it was listed.
    const QByteArray bytes = file.read(std::min<qint64>(file.size(), kMaxVCardBytes) + 1);
    if (bytes.size() > kMaxVCardBytes) {
        logFormat("VCardFolder: %s is larger than %lld bytes; its cards are not read", qUtf8Printable(path),
                  static_cast<long long>(kMaxVCardBytes));
        return;
    }
    state.cards = parseVCards(bytes);
}

void VCardFolder::rebuildIndex()
{
    byUid_.clear();
    // In name order, the first card of a UID is the one the book holds.
    for (const auto& [name, state] : files_)
        for (const VCard& card : state.cards)
            if (!byUid_.contains(card.uid))
                byUid_.insert(card.uid, Entry{&card, state.path});
}

void VCardFolder::indexWritten(const QString& path)
{
    struct stat st;
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return;
    FileState& state = files_[QFile::encodeName(QFileInfo(path).fileName())];
    state.path = path;
    state.size = qint64(st.st_size);
    state.modifiedNs = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    state.seen = true;
    state.cards.clear();
    readFiles({&state});
    rebuildIndex();
    tellObservers();
}

void VCardFolder::tellObservers()
{
    // A copy: an observer may come or go while they are told.
    const auto observers = observers_;
    for (const auto& [id, fn] : observers)
        if (observers_.count(id))
            fn();
}

int VCardFolder::addChangeObserver(std::function<void()> fn)
{
    const int id = nextObserver_++;
    observers_.emplace(id, std::move(fn));
    return id;
}

void VCardFolder::removeChangeObserver(int id) { observers_.erase(id); }

std::vector<const VCard*> VCardFolder::cards()
{
    ensureIndexed();
    std::vector<const VCard*> out;
    out.reserve(std::size_t(byUid_.size()));
    for (const auto& [name, state] : files_)
        for (const VCard& card : state.cards) {
            const auto it = byUid_.constFind(card.uid);
            if (it != byUid_.constEnd() && it->card == &card)
                out.push_back(&card);
        }
    return out;
}

std::optional<VCard> VCardFolder::cardForUid(const QString& uid)
{
    ensureIndexed();
    const auto it = byUid_.constFind(uid);
    if (it == byUid_.constEnd())
        return std::nullopt;
    return *it->card;
}

QString VCardFolder::titleForUid(const QString& uid)
{
    ensureIndexed();
    const auto it = byUid_.constFind(uid);
    return it == byUid_.constEnd() ? QStringLiteral("? ?") : vcardTitle(*it->card);
}

QString VCardFolder::fileForUid(const QString& uid)
{
    ensureIndexed();
    const auto it = byUid_.constFind(uid);
    return it == byUid_.constEnd() ? QString() : it->file;
}

std::optional<VCardDates> VCardFolder::datesForUid(const QString& uid)
{
    ensureIndexed();
    const auto it = byUid_.constFind(uid);
    if (it == byUid_.constEnd())
        return std::nullopt;
    VCardDates dates;
    const std::optional<FileDates> file = fileDates(it->file);
    if (file && file->created && *file->created != kUnixEpoch)
        dates.created = file->created;
    dates.modified = it->card->revision ? it->card->revision : (file ? file->modified : std::nullopt);
    return dates;
}

FileResult VCardFolder::addCard(const VCard& card, QString* path)
{
    if (card.bytes.isEmpty() || card.uid.isEmpty())
        return FileResult::failure(QStringLiteral("an empty card is not added to %1").arg(folder_));
    ensureIndexed();
    if (byUid_.contains(card.uid))
        return FileResult::success();
    if (const FileResult made = ensureFolder(folder_); !made)
        return made;
    // Stored exactly as it came: a card without a UID is known by the digest of these bytes.
    QString written;
    const QString name = safeFileName(card.uid, QStringLiteral("contact")) + QStringLiteral(".vcf");
    const FileResult result = writeNewFile(folder_, name, card.bytes, &written);
    if (!result)
        return result;
    indexWritten(written);
    if (path)
        *path = written;
    return FileResult::success();
}

FileResult VCardFolder::addCardAsNewEntry(const VCard& card, KELDate now, QString* uid, QString* path)
{
    if (card.bytes.isEmpty())
        return FileResult::failure(QStringLiteral("an empty card is not added to %1").arg(folder_));
    ensureIndexed();
    // A UID that would break its line (an escaped line end read back) is not written again.
    const bool writable = !card.uid.contains(QLatin1Char('\n')) && !card.uid.contains(QLatin1Char('\r'));
    const QString chosen = card.hasOwnUid && writable && !card.uid.isEmpty() && !byUid_.contains(card.uid)
        ? card.uid
        : QStringLiteral("urn:uuid:") + QUuid::createUuid().toString(QUuid::WithoutBraces);
    if (const FileResult made = ensureFolder(folder_); !made)
        return made;
    QString written;
    const QString name = safeFileName(chosen, QStringLiteral("contact")) + QStringLiteral(".vcf");
    const FileResult result = writeNewFile(folder_, name, vcardWithUidAndRevision(card.bytes, chosen, now), &written);
    if (!result)
        return result;
    indexWritten(written);
    if (uid)
        *uid = chosen;
    if (path)
        *path = written;
    return FileResult::success();
}

} // namespace tallomer
