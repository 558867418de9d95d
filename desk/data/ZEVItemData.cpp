#include "desk/data/ZEVItemData.h"

#include "desk/data/ZEVItemDataSupport.h"
#include "desk/model/ZEVDeskIds.h"
#include "engine/KELICurseur.h"
#include "engine/KELLien.h"
#include "engine/KELServeurDeLiens.h"
#include "runtime/Clock.h"
#include "platform/files/FileBookmark.h"
#include "platform/files/FileIdentity.h"
#include "platform/files/GeneratedFiles.h"
#include "platform/files/RecordFile.h"
#include "platform/files/Trash.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace tallomer {

using namespace itemdata;

namespace {

using Channels = ZEVItemDataChannels;

// The holder bits that follow where a file lies.
constexpr ZEVItemOption kAllHolderBits = ZEVOPTION_HOLD_BY_ZEV | ZEVOPTION_HOLD_BY_ZEV_FOLDER
    | ZEVOPTION_HOLD_BY_CLOUD | ZEVOPTION_HOLD_BY_TRASH | ZEVOPTION_HOLD_BY_APPLICATIONS
    | ZEVOPTION_HOLD_BY_EXTERN; // 0xE8220
// An installed application is also never busy, never in error, never a desk image, and is
// the system's own.
constexpr ZEVItemOption kApplicationClearedBits = kAllHolderBits | ZEVOPTION_ZEVP_IMAGE
    | ZEVOPTION_MASK_BUSY | ZEVOPTION_ERROR | ZEVOPTION_HOLD_BY_SYSTEM; // 0xFF239

ZEVSpaceForItemData& space() { return Channels::Space(); }

// A file record: where the file is, how to find it again, where it came from.
QCborMap fileFields(const FileBookmark& bookmark, const QString& httpPath)
{
    QCborMap fields;
    fields.insert(kBookmark, bookmark.toBytes());
    fields.insert(kPath, bookmark.path());
    fields.insert(kUid, bookmark.identity().uid());
    fields.insert(kHttpPath, httpPath);
    return fields;
}

// Unix time 0, which some copies carry as a creation date they do not know.
constexpr KELDate kUnixEpoch = dateFromUnix(0.0);

} // namespace

// ---------------------------------------------------------------------------------------------
// Class operations

struct ZEVItemData::FileRecord {
    QCborMap fields;
    QByteArray bookmark;
    QString path;
    QString uid;
    QString httpPath;
};

ZEVItemData& ZEVItemData::Current()
{
    static ZEVItemData none(0, QString(), QString());
    ZEVItemData* current = Channels::ItemDataForChannelInt(Channels::CurrentChannelInt());
    return current ? *current : none;
}

QString ZEVItemData::UidForURL(const QString& path) { return fileUid(path); }

void ZEVItemData::TransitionForDataURL(const QString& recordPath)
{
    const RecordRead read = readRecordFile(recordPath);
    if (!read) {
        say(QStringLiteral("TransitionForDataURL ERROR: %1").arg(read.error));
        return;
    }
    const QString oldPath = recordString(*read.fields, kPath);
    // Only paths inside the old store's drop folder move; a folder of the user's that happens to
    // be called the same is left alone.
    const QString zevDir = cleanPath(Channels::Folders().zevDir);
    const QString oldDrop = zevDir + QStringLiteral("/zevDrop/");
    if (zevDir.isEmpty() || !oldPath.startsWith(oldDrop))
        return;
    const QString newPath = zevDir + QStringLiteral("/local/zevDrop/%1/").arg(KELOBJECT_HOME_CHANNEL)
        + oldPath.mid(oldDrop.size());
    const auto bookmark = FileBookmark::fromPath(newPath);
    if (!bookmark) {
        say(QStringLiteral("TransitionForDataURL   Error when creating URL bookmark data: %1")
                .arg(QStringLiteral("no file at %1").arg(newPath)));
        return;
    }
    const QCborMap fields = fileFields(*bookmark, recordString(*read.fields, kHttpPath));
    if (const FileResult written = writeRecordFile(recordPath, fields); !written)
        Channels::ReportStoreError(written.error);
}

// ---------------------------------------------------------------------------------------------
// Building a Channel's store

ZEVItemData::ZEVItemData(KELId channel, QString dropFolder, QString dataFolder)
    : channelInt_(channel), zevDropURL_(std::move(dropFolder)), zevDataURL_(std::move(dataFolder))
{
}

ZEVItemData::~ZEVItemData() = default;

std::unique_ptr<ZEVItemData> ZEVItemData::initDicosForChannelInt(KELId channel,
                                                                 const std::function<void()>& increment)
{
    const ZEVItemDataFolders& folders = Channels::Folders();
    if (channel == 0 || folders.zevDrop.isEmpty() || folders.zevData.isEmpty()) {
        say(QStringLiteral("initDicosForChannelInt ERROR: no folders for Channel %1").arg(channel));
        return nullptr;
    }
    const QString drop = cleanPath(folders.zevDrop) + QLatin1Char('/') + idText(channel);
    const QString data = cleanPath(folders.zevData) + QLatin1Char('/') + idText(channel);
    if (const FileResult made = ensureFolder(drop); !made) {
        say(QStringLiteral("Creating Application Support/Tallomer/local/zevDrop/%1 folder ERROR: %2")
                .arg(channel)
                .arg(made.error));
        return nullptr;
    }
    if (const FileResult made = ensureFolder(data); !made) {
        say(QStringLiteral("Creating Application Support/Tallomer/local/zevData/%1 folder ERROR: %2")
                .arg(channel)
                .arg(made.error));
        return nullptr;
    }
    std::unique_ptr<ZEVItemData> store(new ZEVItemData(channel, drop, data));
    store->loadRecords(increment);
    return store;
}

void ZEVItemData::loadRecords(const std::function<void()>& increment)
{
    const QFileInfoList entries = QDir(zevDataURL_).entryInfoList(QDir::Files | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo& entry : entries) {
        bool ok = false;
        const KELId item = entry.completeBaseName().toULongLong(&ok);
        if (increment)
            increment();
        if (!ok || item == 0)
            continue;
        const QString kind = entry.suffix();
        if (kind == kFile) {
            loadFileRecord(item, entry.filePath());
        } else if (kind == kPerson || kind == kHttp || kind == kMessage || kind == kZevp) {
            const RecordRead read = readRecordFile(entry.filePath());
            if (!read) {
                say(QStringLiteral("InitializeDicosFromURL ERROR 1: %1").arg(read.error));
                continue;
            }
            const QString uid = recordString(*read.fields, kUid);
            if (!uid.isEmpty())
                uidDico_[uid] = item;
        }
    }
}

void ZEVItemData::loadFileRecord(KELId item, const QString& recordFile)
{
    const RecordRead read = readRecordFile(recordFile);
    if (!read) {
        say(QStringLiteral("InitializeDicosFromURL ERROR 1: %1").arg(read.error));
        return;
    }
    const QCborMap& fields = *read.fields;
    const QString recordedPath = recordString(fields, kPath);
    const QString recordedUid = recordString(fields, kUid);

    std::optional<ResolvedBookmark> resolved;
    if (const auto bookmark = FileBookmark::fromBytes(recordBytes(fields, kBookmark))) {
        resolved = resolveBookmark(*bookmark, lostFileSearch());
    }
    if (!resolved) {
        say(QStringLiteral("InitializeDicosFromURL ERROR 2: %1")
                .arg(QStringLiteral("the file of record %1 cannot be found").arg(recordFile)));
        say(QStringLiteral("                 previous path: %1").arg(recordedPath));
        return;
    }
    const QString newPath = resolved->path;
    const QString newUid = resolved->identity.uid();
    if (newPath == recordedPath && newUid != recordedUid && !recordedUid.isEmpty() &&
        Channels::IfHoldByZevFolder(newPath)) {
        // Another file put in the drop folder under the recorded one's name, while the program
        // did not run or before its scan was done with it. Learnt here, its uid would make the
        // scan pass it over; left unknown, the scan takes it as the Object's new file, icon and
        // all, as it does a file replaced in its sight.
        pathDico_[newPath] = item;
        return;
    }
    if (resolved->stale || newPath != recordedPath || newUid != recordedUid) {
        const FileBookmark fresh(newPath, resolved->identity);
        const QCborMap rewritten = fileFields(fresh, recordString(fields, kHttpPath));
        if (const FileResult written = writeRecordFile(recordFile, rewritten); !written)
            Channels::ReportStoreError(written.error);
    }
    uidDico_[newUid] = item;
    pathDico_[newPath] = item;
}

QString ZEVItemData::itemDropFolder(KELId item) const { return zevDropURL_ + QLatin1Char('/') + idText(item); }

QString ZEVItemData::recordPath(KELId item, const QString& kind) const
{
    return zevDataURL_ + QLatin1Char('/') + idText(item) + QLatin1Char('.') + kind;
}

// ---------------------------------------------------------------------------------------------
// Records

std::optional<ZEVItemData::FileRecord> ZEVItemData::readFileRecord(KELId item) const
{
    const QString path = recordPath(item, kFile);
    if (!QFileInfo::exists(path))
        return std::nullopt;
    const RecordRead read = readRecordFile(path);
    if (!read) {
        say(QStringLiteral("ZEVItemData ERROR when reading: %1").arg(read.error));
        return std::nullopt;
    }
    FileRecord record;
    record.fields = *read.fields;
    record.bookmark = recordBytes(record.fields, kBookmark);
    record.path = recordString(record.fields, kPath);
    record.uid = recordString(record.fields, kUid);
    record.httpPath = recordString(record.fields, kHttpPath);
    return record;
}

bool ZEVItemData::writeRecord(KELId item, const QString& kind, const QCborMap& fields)
{
    const FileResult written = writeRecordFile(recordPath(item, kind), fields);
    if (!written) {
        Channels::ReportStoreError(written.error);
        return false;
    }
    return true;
}

void ZEVItemData::replaceKey(Index& index, const QString& oldKey, const QString& newKey,
                             KELId item)
{
    const auto it = index.find(oldKey);
    if (it != index.end() && it->second == item)
        index.erase(it);
    if (!newKey.isEmpty())
        index[newKey] = item;
}

bool ZEVItemData::createFileURL(const QString& filePath, const QUrl& httpURL, KELI* item)
{
    if (!item || isNone())
        return false;
    const auto bookmark = FileBookmark::fromPath(filePath);
    if (!bookmark) {
        say(QStringLiteral("createFileURL   Error when creating URL bookmark data: %1")
                .arg(QStringLiteral("no file at %1").arg(filePath)));
        return false;
    }
    const QString httpPath = httpURL.isEmpty() ? QString() : httpURL.toString(QUrl::FullyEncoded);
    if (!writeRecord(item->idInt(), kFile, fileFields(*bookmark, httpPath)))
        return false;

    const QString& path = bookmark->path();
    ZEVItemOption bits = 0;
    if (httpPath.isEmpty() && isWebPage(path))
        bits |= ZEVOPTION_OPEN_ON_CLICK;
    if (Channels::IfHoldByZev(path))
        bits |= ZEVOPTION_HOLD_BY_ZEV;
    if (Channels::IfHoldByCloud(path))
        bits |= ZEVOPTION_HOLD_BY_CLOUD;
    if (Channels::IfHoldByTrash(path))
        bits |= ZEVOPTION_HOLD_BY_TRASH;
    if (Channels::IfHoldByExtern(path))
        bits |= ZEVOPTION_HOLD_BY_EXTERN;
    if (bits)
        addItemOption(item, bits);
    uidDico_[bookmark->identity().uid()] = item->idInt();
    pathDico_[path] = item->idInt();
    return true;
}

bool ZEVItemData::createZevpURL(const QString& imagePath, const QString& zevpString, KELI* item)
{
    if (!item || isNone())
        return false;
    QCborMap fields;
    fields.insert(kPath, imagePath);
    fields.insert(kUid, zevpString);
    if (!writeRecord(item->idInt(), kZevp, fields))
        return false;
    addItemOption(item, ZEVOPTION_OPEN_ON_CLICK);
    if (!zevpString.isEmpty())
        uidDico_[zevpString] = item->idInt();
    if (!imagePath.isEmpty())
        pathDico_[imagePath] = item->idInt();
    return true;
}

bool ZEVItemData::createFileHttpWithUid(const QString& url, KELI* item)
{
    if (!item || isNone())
        return false;
    QCborMap fields;
    fields.insert(kUid, url);
    if (!writeRecord(item->idInt(), kHttp, fields))
        return false;
    addItemOption(item, ZEVOPTION_QL_ICON);
    if (!url.isEmpty())
        uidDico_[url] = item->idInt();
    return true;
}

bool ZEVItemData::createFilePersonWithUid(const QString& uid, KELI* item)
{
    if (!item || isNone())
        return false;
    QCborMap fields;
    fields.insert(kUid, uid);
    if (!writeRecord(item->idInt(), kPerson, fields))
        return false;
    if (!uid.isEmpty())
        uidDico_[uid] = item->idInt();
    return true;
}

bool ZEVItemData::createFileMessageWithDico(const QCborMap& dico, KELI* item)
{
    if (!item || isNone())
        return false;
    if (!writeRecord(item->idInt(), kMessage, dico))
        return false;
    const QString uid = recordString(dico, kUid);
    if (!uid.isEmpty())
        uidDico_[uid] = item->idInt();
    return true;
}

bool ZEVItemData::updatePersonUidWithIem(KELI* item, const QString& newUid)
{
    if (!item || isNone())
        return false;
    const QString oldUid = uidForItem(item, kPerson);
    QCborMap fields;
    fields.insert(kUid, newUid);
    if (!writeRecord(item->idInt(), kPerson, fields))
        return false;
    replaceKey(uidDico_, oldUid, newUid, item->idInt());
    return true;
}

// ---------------------------------------------------------------------------------------------
// Lookups

KELId ZEVItemData::itemNumberWithUid(const QString& uid) const
{
    const auto it = uidDico_.find(uid);
    return it == uidDico_.end() ? 0 : it->second;
}

KELId ZEVItemData::itemNumberWithPath(const QString& path) const
{
    const auto it = pathDico_.find(path);
    return it == pathDico_.end() ? 0 : it->second;
}

KELId ZEVItemData::itemNumberWithWeblocPath(const QString& path) const
{
    // Such a file is indexed nowhere: the web Object is found again from the folder it lies in.
    const QFileInfo file(path);
    if (isNone() || file.suffix() != QLatin1String("webloc") || !file.isFile())
        return 0;
    const QFileInfo folder(file.absolutePath());
    const QString drop = QFileInfo(zevDropURL_).canonicalFilePath();
    if (drop.isEmpty() || QFileInfo(folder.absolutePath()).canonicalFilePath() != drop)
        return 0;
    bool ok = false;
    const KELId id = folder.fileName().toULongLong(&ok);
    if (!ok || id == 0 || idText(id) != folder.fileName() || !QFileInfo::exists(recordPath(id, kHttp)))
        return 0;
    return id;
}

QString ZEVItemData::uidForItem(KELI* item, const QString& kind) const
{
    // The kind names a file: only the five record kinds are ever read.
    if (!item || isNone() || !isRecordKind(kind))
        return QString();
    const QString path = recordPath(item->idInt(), kind);
    if (!QFileInfo::exists(path))
        return QString();
    const RecordRead read = readRecordFile(path);
    if (!read) {
        say(QStringLiteral("ZEVItemData ERROR when reading: %1").arg(read.error));
        return QString();
    }
    const QCborValue uid = read.fields->value(kUid);
    return uid.isString() ? uid.toString() : QString();
}

QString ZEVItemData::filePathForItem(KELI* item) const
{
    if (!item || isNone())
        return QString();
    const auto record = readFileRecord(item->idInt());
    const auto bookmark = record ? FileBookmark::fromBytes(record->bookmark) : std::nullopt;
    const auto there = bookmark ? fileIdentity(record->path) : std::nullopt;
    return there && there->sameFile(bookmark->identity()) ? record->path : QString();
}

QString ZEVItemData::recordedFilePathForItem(KELI* item) const
{
    if (!item || isNone())
        return QString();
    const auto record = readFileRecord(item->idInt());
    return record ? record->path : QString();
}

// ---------------------------------------------------------------------------------------------
// Reading and repairs

QString ZEVItemData::fileUrlForItem(KELI* item)
{
    if (!item || isNone())
        return QString();
    const KELId id = item->idInt();
    if (QFileInfo::exists(recordPath(id, kFile))) {
        const auto record = readFileRecord(id);
        if (!record)
            return QString();
        std::optional<ResolvedBookmark> resolved;
        if (const auto bookmark = FileBookmark::fromBytes(record->bookmark)) {
            resolved = resolveBookmark(*bookmark, lostFileSearch());
        }
        if (!resolved && QFileInfo(record->path).suffix() == QLatin1String("rtf")) {
            // A pasted text kept as a bundle beside the name it was recorded under.
            const QString bundle = record->path + QLatin1Char('d');
            if (const auto identity = fileIdentity(bundle))
                resolved = ResolvedBookmark{bundle, *identity, true};
        }
        if (!resolved)
            return QString();

        const QString newPath = resolved->path;
        const QString newUid = resolved->identity.uid();
        const bool pathChanged = record->path != newPath;
        const bool uidChanged = record->uid != newUid;
        if (pathChanged || uidChanged) {
            const FileBookmark fresh(newPath, resolved->identity);
            if (writeRecord(id, kFile, fileFields(fresh, record->httpPath))) {
                if (pathChanged)
                    replaceKey(pathDico_, record->path, newPath, id);
                if (uidChanged)
                    replaceKey(uidDico_, record->uid, newUid, id);
            }
        }

        ZEVItemOption clear = kAllHolderBits;
        if (Channels::IfHoldByApplications(newPath))
            clear = kApplicationClearedBits;
        if (Channels::IfHoldByTrash(newPath))
            clear |= ZEVOPTION_MASK_BUSY;
        ZEVItemOption add = 0;
        if (Channels::IfHoldByZev(newPath))
            add |= ZEVOPTION_HOLD_BY_ZEV;
        if (Channels::IfHoldByZevFolder(newPath))
            add |= ZEVOPTION_HOLD_BY_ZEV_FOLDER;
        if (Channels::IfHoldByCloud(newPath))
            add |= ZEVOPTION_HOLD_BY_CLOUD;
        if (Channels::IfHoldByTrash(newPath))
            add |= ZEVOPTION_HOLD_BY_TRASH;
        if (Channels::IfHoldByApplications(newPath))
            add |= ZEVOPTION_HOLD_BY_APPLICATIONS;
        if (Channels::IfHoldByExtern(newPath))
            add |= ZEVOPTION_HOLD_BY_EXTERN;
        if (siItemOption(item, clear & ~add))
            clearItemOption(item, clear & ~add);
        if ((item->baseInt() & add) != add)
            addItemOption(item, add);
        return newPath;
    }

    if (loadingItemNumSet_.count(id) || failedItemNumSet_.count(id))
        return QString();
    const QString address = uidForItem(item, kHttp);
    const QUrl url = webUrl(address);
    if (url.isEmpty())
        return QString();
    const QString folder = files_.ensureItemDropFolder(id);
    if (folder.isEmpty())
        return QString();
    addLoadingItemNum(id);
    if (!space().startDownload(url, item, folder))
        delLoadingItemNum(id);
    return QString();
}

bool ZEVItemData::updateFilePathWithItem(KELI* item, const QString& filePath)
{
    if (!item || isNone())
        return false;
    const auto record = readFileRecord(item->idInt());
    if (!record)
        return false;
    if (cleanPath(filePath) == record->path)
        return true;
    const auto bookmark = FileBookmark::fromPath(filePath);
    if (!bookmark) {
        say(QStringLiteral("updateFilePathWithItem   Error when creating URL bookmark data: %1")
                .arg(QStringLiteral("no file at %1").arg(filePath)));
        return false;
    }
    const QString& newPath = bookmark->path();
    const auto align = [&](ZEVItemOption bit, bool holds) {
        if (holds && !siItemOption(item, bit))
            addItemOption(item, bit);
        else if (!holds && siItemOption(item, bit))
            clearItemOption(item, bit);
    };
    align(ZEVOPTION_HOLD_BY_ZEV, Channels::IfHoldByZev(newPath));
    align(ZEVOPTION_HOLD_BY_ZEV_FOLDER, Channels::IfHoldByZevFolder(newPath));
    align(ZEVOPTION_HOLD_BY_TRASH, Channels::IfHoldByTrash(newPath));
    align(ZEVOPTION_HOLD_BY_CLOUD, Channels::IfHoldByCloud(newPath));
    align(ZEVOPTION_HOLD_BY_EXTERN, Channels::IfHoldByExtern(newPath));
    if (siItemOption(item, ZEVOPTION_MASK_GIF_ANIMATION))
        clearItemOption(item, ZEVOPTION_MASK_GIF_ANIMATION);
    if (!writeRecord(item->idInt(), kFile, fileFields(*bookmark, record->httpPath)))
        return false;
    replaceKey(pathDico_, record->path, newPath, item->idInt());
    replaceKey(uidDico_, record->uid, bookmark->identity().uid(), item->idInt());
    return true;
}

void ZEVItemData::updateFileUidWithItem(KELI* item, const QString& filePath)
{
    if (!item || isNone())
        return;
    const auto bookmark = FileBookmark::fromPath(filePath);
    if (!bookmark) {
        say(QStringLiteral("updateFileUidWithItem   Error when creating URL bookmark data: %1")
                .arg(QStringLiteral("no file at %1").arg(filePath)));
        return;
    }
    const auto record = readFileRecord(item->idInt());
    const QString httpPath = record ? record->httpPath : QString();
    if (!writeRecord(item->idInt(), kFile, fileFields(*bookmark, httpPath)))
        return;
    replaceKey(uidDico_, record ? record->uid : QString(), bookmark->identity().uid(), item->idInt());
}

QUrl ZEVItemData::originalHttpUrlForItem(KELI* item)
{
    if (!item || isNone())
        return {};
    if (QFileInfo::exists(recordPath(item->idInt(), kHttp))) {
        const QString file = fileUrlForItem(item);
        if (file.isEmpty() || isWebPage(file))
            return {};
        return webUrl(uidForItem(item, kHttp));
    }
    const auto record = readFileRecord(item->idInt());
    return record ? webUrl(record->httpPath) : QUrl();
}

QUrl ZEVItemData::httpUrlForItem(KELI* item)
{
    if (!item || isNone())
        return {};
    const QString file = fileUrlForItem(item);
    if (!file.isEmpty() && !isWebPage(file))
        return QUrl::fromLocalFile(file);
    return webUrl(uidForItem(item, kHttp));
}

QString ZEVItemData::recordFieldForItem(KELI* item, const QString& kind, const QString& field) const
{
    if (!item || isNone())
        return QString();
    const QString path = recordPath(item->idInt(), kind);
    if (!QFileInfo::exists(path))
        return QString();
    const RecordRead read = readRecordFile(path);
    return read ? recordString(*read.fields, field) : QString();
}

QString ZEVItemData::zevpImageUrlForItem(KELI* item) const { return recordFieldForItem(item, kZevp, kPath); }

QString ZEVItemData::messageFileForItem(KELI* item) const
{
    return recordFieldForItem(item, kMessage, QStringLiteral("zevFilename"));
}

// ---------------------------------------------------------------------------------------------
// Dates

std::optional<KELDate> ZEVItemData::goToDateForItem(KELI* item)
{
    if (isNone())
        return std::nullopt;
    const int tag = space().goToTag();
    if (tag == 3)
        return createdDateForItem(item);
    if (tag == 4)
        return modifiedDateForItem(item);
    if (tag != 5 || !item || space().itemTypeForItem(item) != "message")
        return std::nullopt;
    const QString path = recordPath(item->idInt(), kMessage);
    if (!QFileInfo::exists(path))
        return std::nullopt;
    const RecordRead read = readRecordFile(path);
    if (!read)
        return std::nullopt;
    const QString message = recordString(*read.fields, QStringLiteral("zevFilename"));
    const auto dates = message.isEmpty() ? std::nullopt : fileDates(message);
    return dates ? dates->lastUsed : std::nullopt;
}

namespace {

enum class Which { Created, Modified };

std::optional<KELDate> fileDate(const QString& path, Which which)
{
    const auto dates = path.isEmpty() ? std::nullopt : fileDates(path);
    if (!dates)
        return std::nullopt;
    if (which == Which::Created) {
        if (dates->created && *dates->created != kUnixEpoch)
            return dates->created;
        return dates->modified;
    }
    return dates->modified ? dates->modified : dates->created;
}

} // namespace

std::optional<KELDate> ZEVItemData::createdDateForItem(KELI* item)
{
    if (!item || isNone())
        return std::nullopt;
    const std::string type = space().itemTypeForItem(item);
    if (type == "file")
        return fileDate(fileUrlForItem(item), Which::Created);
    if (type == "message") {
        const RecordRead read = readRecordFile(recordPath(item->idInt(), kMessage));
        return read ? recordDateValue(read.fields->value(QStringLiteral("createdDate"))) : std::nullopt;
    }
    if (type == "ABPerson") {
        const auto person = space().personWithUid(uidForItem(item, kPerson));
        return person ? person->created : std::nullopt;
    }
    return std::nullopt;
}

std::optional<KELDate> ZEVItemData::modifiedDateForItem(KELI* item)
{
    if (!item || isNone())
        return std::nullopt;
    const std::string type = space().itemTypeForItem(item);
    if (type == "file")
        return fileDate(fileUrlForItem(item), Which::Modified);
    if (type == "message") {
        const RecordRead read = readRecordFile(recordPath(item->idInt(), kMessage));
        return read ? recordDateValue(read.fields->value(QStringLiteral("modifiedDate"))) : std::nullopt;
    }
    if (type == "ABPerson") {
        const auto person = space().personWithUid(uidForItem(item, kPerson));
        return person ? person->modified : std::nullopt;
    }
    return std::nullopt;
}

// ---------------------------------------------------------------------------------------------
// Deletion and equivalents

void ZEVItemData::deleteItem(KELI* item)
{
    if (!item || isNone())
        return;
    const KELId id = item->idInt();
    // Resolving must not start a download of a web Object that is going away.
    const QString file = QFileInfo::exists(recordPath(id, kFile)) ? fileUrlForItem(item) : QString();

    // Asked before the records go: the equivalents are found through this Object's own uid. A
    // question that cannot be answered keeps the files: another Channel may still show them.
    bool heldElsewhere = false;
    bool unknown = false;
    for (ZEVItemData* store : Channels::ItemDatas()) {
        switch (equivalence(*store, item)) {
        case Equivalence::Other:
            heldElsewhere = true;
            break;
        case Equivalence::Unknown:
            unknown = true;
            break;
        case Equivalence::None:
        case Equivalence::Same:
            break;
        }
    }
    if (unknown) {
        heldElsewhere = true;
        say(QStringLiteral("ZEVItemData deleteItem: the files of %1 are kept: whether another Channel holds them "
                           "cannot be told")
                .arg(idText(id)));
    }

    removeRecords(id);

    const QString folder = itemDropFolder(id);
    if (QFileInfo(folder).isDir()) {
        if (!heldElsewhere && !moveToTrash(folder))
            say(QStringLiteral("Error 1 when moving to trash: %1").arg(folder));
    } else if (!file.isEmpty() && Channels::IfHoldByZevFolder(file)) {
        if (!heldElsewhere && !moveToTrash(file))
            say(QStringLiteral("Error 2 when moving to trash: %1").arg(file));
    }

    for (auto* index : {&uidDico_, &pathDico_})
        std::erase_if(*index, [id](const auto& entry) { return entry.second == id; });
}

void ZEVItemData::removeRecords(KELId id)
{
    const QString prefix = idText(id);
    for (const QFileInfo& entry : QDir(zevDataURL_).entryInfoList(QDir::Files | QDir::Hidden | QDir::System
                                                                  | QDir::NoDotAndDotDot)) {
        if (entry.completeBaseName() != prefix)
            continue;
        QFile record(entry.filePath());
        if (!record.remove()) {
            say(QStringLiteral("Error when removing: %1").arg(entry.filePath()));
            say(QStringLiteral("                   : %1").arg(record.errorString()));
        }
    }
}

void ZEVItemData::forgetRecordsOfItem(KELId id)
{
    if (id == 0 || isNone())
        return;
    removeRecords(id);
    for (auto* index : {&uidDico_, &pathDico_})
        std::erase_if(*index, [id](const auto& entry) { return entry.second == id; });
}

namespace {

// The Object of store's Channel that stands for the same thing as item; logs with prefix.
KELI* equivalentIn(ZEVItemData& store, KELI* item, const char* prefix, bool* unknown = nullptr)
{
    auto cannotTell = [unknown] {
        if (unknown)
            *unknown = true;
        return nullptr;
    };
    if (!item)
        return nullptr;
    if (item->channelInt() == 0) {
        say(QStringLiteral("%1: ERROR %2")
                .arg(QLatin1String(prefix), QString::fromStdString(space().itemTitleForItem(item))));
        return cannotTell();
    }
    if (item->channelInt() == store.channelInt())
        return item;
    ZEVItemData* own = Channels::ItemDataForChannelInt(item->channelInt());
    if (!own)
        return cannotTell();
    const std::string type = space().itemTypeForItem(item);
    if (type.empty())
        return cannotTell();
    const QString uid = own->uidForItem(item, QString::fromStdString(type));
    if (uid.isEmpty())
        return nullptr;
    const KELId id = store.itemNumberWithUid(uid);
    if (id == 0)
        return nullptr;
    KELI* match = space().itemForId(id);
    if (!match) {
        say(QStringLiteral("%1: ERROR !").arg(QLatin1String(prefix)));
        return cannotTell();
    }
    match->setChannelInt(store.channelInt());
    return match;
}

} // namespace

ZEVItemData::Equivalence ZEVItemData::equivalence(ZEVItemData& store, KELI* item)
{
    bool unknown = false;
    KELI* match = equivalentIn(store, item, "matchingItem", &unknown);
    if (unknown)
        return Equivalence::Unknown;
    if (!match)
        return Equivalence::None;
    return match == item ? Equivalence::Same : Equivalence::Other;
}

KELI* ZEVItemData::matchingItem(KELI* item)
{
    return isNone() ? nullptr : equivalentIn(*this, item, "matchingItem");
}

KELI* ZEVItemData::createSameItem(KELI* item)
{
    if (!item || isNone())
        return nullptr;
    const KELId channel = channelInt_;
    if (item->channelInt() == channel)
        return item;
    if (KELI* same = equivalentIn(*this, item, "SameItem"))
        return same;
    ZEVItemData* source = Channels::ItemDataForChannelInt(item->channelInt());
    if (!source)
        return nullptr;
    ZEVSpaceForItemData& s = space();
    const std::string type = s.itemTypeForItem(item);
    const std::string title = s.itemTitleForItem(item);
    const QString uid = source->uidForItem(item, QString::fromStdString(type));

    if (type == "file") {
        const QString file = source->fileUrlForItem(item);
        if (file.isEmpty())
            return nullptr;
        const QUrl httpURL = source->originalHttpUrlForItem(item);
        return s.creerItem(channel, title, "file", QFileInfo(file).suffix().toStdString(), s.itemOptionsForFile(file),
                           [&](KELI* made) { return createFileURL(file, httpURL, made); });
    }
    if (type == "ABPerson") {
        if (!s.personWithUid(uid))
            return nullptr;
        return s.creerItem(channel, title, "ABPerson", "vcf", ZEVOPTION_HOLD_BY_APP,
                           [&](KELI* made) { return createFilePersonWithUid(uid, made); });
    }
    if (type == "zevp") {
        const QString image = source->zevpImageUrlForItem(item);
        return s.creerItem(channel, title, "zevp", "jpeg", ZEVOPTION_HOLD_BY_ZEV,
                           [&](KELI* made) { return createZevpURL(image, uid, made); });
    }
    if (type == "http")
        return s.creerItem(channel, title, "http", "webloc", 0,
                           [&](KELI* made) { return createFileHttpWithUid(uid, made); });
    if (type == "message") {
        QCborMap dico;
        dico.insert(kUid, uid);
        return s.creerItem(channel, title, "message", "eml", ZEVOPTION_HOLD_BY_APP,
                           [&](KELI* made) { return createFileMessageWithDico(dico, made); });
    }
    say(QStringLiteral("CreateSameItem: _________________________________________________ ERROR !"));
    return nullptr;
}

} // namespace tallomer
