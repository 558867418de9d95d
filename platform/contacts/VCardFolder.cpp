#include "platform/contacts/VCardFolder.h"

#include "platform/files/DirectoryWatch.h"
#include "platform/files/FileIdentity.h"
#include "platform/files/GeneratedFiles.h"
#include "platform/files/SafeFileName.h"
#include "runtime/Clock.h"
#include "runtime/Log.h"

#include <QDir>
#include <QFile>
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
    const QFileInfoList listed = QDir(folder_).entryInfoList({QStringLiteral("*.vcf"), QStringLiteral("*.vcard")},
                                                             QDir::Files | QDir::Readable, QDir::Name);
    if (listed.size() > kMaxVCardFiles && !overCountLogged_) {
        logFormat("VCardFolder: %s holds %lld card files; only the first %d are read",
                  qUtf8Printable(folder_), static_cast<long long>(listed.size()), kMaxVCardFiles);
        overCountLogged_ = true;
    } else if (listed.size() <= kMaxVCardFiles) {
        overCountLogged_ = false;
    }
    QMap<QString, FileState> now;
    for (qsizetype i = 0; i < listed.size() && i < kMaxVCardFiles; ++i) {
        const QFileInfo& info = listed.at(i);
        const QString path = info.filePath();
        auto old = files_.find(path);
        if (old != files_.end() && old->size == info.size() && old->modified == info.lastModified()) {
            now.insert(path, std::move(*old));
            continue;
        }
        FileState state;
        state.size = info.size();
        state.modified = info.lastModified();
        readFile(path, state);
        now.insert(path, std::move(state));
    }
    // The states kept were moved out of files_: the index is made again over what is now held.
    files_ = std::move(now);
    rebuildIndex();
}

void VCardFolder::readFile(const QString& path, FileState& state)
{
    ++filesRead_;
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
    state.cards = parseVCards(file.read(kMaxVCardBytes));
}

void VCardFolder::rebuildIndex()
{
    byUid_.clear();
    // In name order, the first card of a UID is the one the book holds.
    for (auto it = files_.constBegin(); it != files_.constEnd(); ++it)
        for (const VCard& card : it->cards)
            if (!byUid_.contains(card.uid))
                byUid_.insert(card.uid, Entry{&card, it.key()});
}

void VCardFolder::indexWritten(const QString& path)
{
    const QFileInfo info(path);
    FileState state;
    state.size = info.size();
    state.modified = info.lastModified();
    readFile(path, state);
    files_.insert(path, std::move(state));
    rebuildIndex();
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
