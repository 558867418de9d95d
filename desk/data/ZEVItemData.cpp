#include "desk/data/ZEVItemData.h"

#include "engine/KELICurseur.h"
#include "engine/KELLien.h"
#include "engine/KELServeurDeLiens.h"
#include "runtime/Clock.h"
#include "runtime/Log.h"
#include "platform/files/FileBookmark.h"
#include "platform/files/FileIdentity.h"
#include "platform/files/GeneratedFiles.h"
#include "platform/files/RecordFile.h"
#include "platform/files/SafeFileName.h"
#include "platform/files/Trash.h"
#include "platform/files/Webloc.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <algorithm>
#include <unistd.h>

namespace tallomer {

namespace {

constexpr KELId kHomeChannel = 2000018;

// The holder bits that follow where a file lies.
constexpr ZEVItemOption kAllHolderBits = ZEVOPTION_HOLD_BY_ZEV | ZEVOPTION_HOLD_BY_ZEV_FOLDER
    | ZEVOPTION_HOLD_BY_CLOUD | ZEVOPTION_HOLD_BY_TRASH | ZEVOPTION_HOLD_BY_APPLICATIONS
    | ZEVOPTION_HOLD_BY_EXTERN; // 0xE8220
// An installed application is also never busy, never in error, never a desk image, and is
// the system's own.
constexpr ZEVItemOption kApplicationClearedBits = kAllHolderBits | ZEVOPTION_ZEVP_IMAGE
    | ZEVOPTION_MASK_BUSY | ZEVOPTION_ERROR | ZEVOPTION_HOLD_BY_SYSTEM; // 0xFF239

const QString kFile = QStringLiteral("file");
const QString kHttp = QStringLiteral("http");
const QString kZevp = QStringLiteral("zevp");
const QString kMessage = QStringLiteral("message");
const QString kPerson = QStringLiteral("ABPerson");

const QString kBookmark = QStringLiteral("bookmark");
const QString kPath = QStringLiteral("path");
const QString kUid = QStringLiteral("uid");
const QString kHttpPath = QStringLiteral("httpPath");

bool isRecordKind(const QString& kind)
{
    return kind == kFile || kind == kHttp || kind == kZevp || kind == kMessage || kind == kPerson;
}

struct ClassState {
    ZEVItemDataFolders folders;
    QStringList channelFolders;
    std::map<KELId, std::unique_ptr<ZEVItemData>> registry;
    KELId current = kHomeChannel;
    ZEVSpaceForItemData* space = nullptr;
    std::optional<VolumeMap> volumes;
    ZEVItemData::StoreErrorHook storeErrorHook;
};

ClassState& state()
{
    static ClassState s;
    return s;
}

// Before the Space exists nothing can be told about an Object: every answer is "unknown".
class NoSpace final : public ZEVSpaceForItemData {
public:
    KELICurseur* actifCurseur() override { return nullptr; }
    int goToTag() override { return 0; }
    std::string itemTypeForItem(KELI*) override { return {}; }
    std::string itemTitleForItem(KELI*) override { return {}; }
    KELI* itemForId(KELId) override { return nullptr; }
    KELI* creerItem(KELId, const std::string&, const std::string&, const std::string&, ZEVItemOption) override
    {
        return nullptr;
    }
};

ZEVSpaceForItemData& space()
{
    static NoSpace fallback;
    return state().space ? *state().space : fallback;
}

void say(const QString& line) { logLine(line.toStdString()); }

// A write that did not happen is logged and told to the application, which warns the user once.
void reportStoreError(const QString& message)
{
    say(QStringLiteral("ZEVItemData ERROR: %1").arg(message));
    if (state().storeErrorHook)
        state().storeErrorHook(message);
}

QString cleanPath(const QString& path)
{
    if (path.isEmpty())
        return path;
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

// "/homework" is not inside "/home".
bool isInside(const QString& path, const QString& folder)
{
    if (folder.isEmpty() || path.isEmpty())
        return false;
    const QString p = cleanPath(path);
    const QString f = cleanPath(folder);
    if (f == QLatin1String("/"))
        return true;
    return p == f || (p.startsWith(f) && p.at(f.size()) == QLatin1Char('/'));
}

bool isWebPage(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix();
    return suffix.compare(QLatin1String("html"), Qt::CaseInsensitive) == 0
        || suffix.compare(QLatin1String("htm"), Qt::CaseInsensitive) == 0;
}

QString dataHome()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
}

QString trashFolder()
{
    return state().folders.trash.isEmpty() ? dataHome() + QStringLiteral("/Trash") : state().folders.trash;
}

// Where a lost file is looked for: the drop folder, the store, the Trash (hidden below the home,
// so the home's walk skips it), then the home.
BookmarkSearch lostFileSearch()
{
    BookmarkSearch search;
    search.roots << state().folders.zevFolder << state().folders.zevDir
                 << trashFolder() + QStringLiteral("/files") << QDir::homePath();
    return search;
}

// A web address kept as text; an empty URL for text that is none.
QUrl webUrl(const QString& text)
{
    if (text.isEmpty())
        return {};
    const QUrl url(text, QUrl::StrictMode);
    if (!url.isValid() || url.scheme().isEmpty())
        return {};
    return url;
}

QString idText(KELId id) { return QString::number(id); }

// Unix time 0, which some copies carry as a creation date they do not know.
constexpr KELDate kUnixEpoch = dateFromUnix(0.0);

} // namespace

// ---------------------------------------------------------------------------------------------
// Class state and registry

struct ZEVItemData::FileRecord {
    QCborMap fields;
    QByteArray bookmark;
    QString path;
    QString uid;
    QString httpPath;
};

void ZEVItemData::setStoreErrorHook(StoreErrorHook hook) { state().storeErrorHook = std::move(hook); }

void ZEVItemData::SetFolders(const ZEVItemDataFolders& folders) { state().folders = folders; }

const ZEVItemDataFolders& ZEVItemData::Folders() { return state().folders; }

void ZEVItemData::SetVolumeMap(std::optional<VolumeMap> volumes) { state().volumes = std::move(volumes); }

void ZEVItemData::Reset()
{
    ClassState& s = state();
    s.registry.clear();
    s.channelFolders.clear();
    s.current = kHomeChannel;
    s.space = nullptr;
    s.volumes.reset();
    s.folders = {};
}

double ZEVItemData::PrepareDicosForURL(const QString& dataFolder)
{
    ClassState& s = state();
    s.channelFolders.clear();
    double total = 0;
    const QDir dir(dataFolder);
    const QFileInfoList entries
        = dir.entryInfoList(QDir::Dirs | QDir::Files | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo& entry : entries) {
        // Only folders named by a Channel id hold records; anything else would become a store of
        // Channel 0.
        bool ok = false;
        const KELId channel = entry.fileName().toULongLong(&ok);
        if (!entry.isDir() || !ok || channel == 0) {
            say(QStringLiteral("PrepareDicosForURL: skipped %1").arg(entry.filePath()));
            continue;
        }
        s.channelFolders << entry.filePath();
        total += QDir(entry.filePath()).entryList(QDir::Files | QDir::NoDotAndDotDot).size();
    }
    return total;
}

void ZEVItemData::InitializeDicos(const std::function<void()>& increment)
{
    ClassState& s = state();
    for (const QString& folder : s.channelFolders) {
        const KELId channel = QFileInfo(folder).fileName().toULongLong();
        if (s.registry.count(channel))
            continue;
        if (auto store = initDicosForChannelInt(channel, increment))
            s.registry[channel] = std::move(store);
    }
}

bool ZEVItemData::CreateItemDataForChannelInt(KELId channel)
{
    if (channel == 0)
        return false;
    ClassState& s = state();
    if (s.registry.count(channel))
        return true;
    auto store = initDicosForChannelInt(channel);
    if (!store)
        return false;
    s.registry[channel] = std::move(store);
    return true;
}

void ZEVItemData::SetCurrentChannelInt(KELId channel) { state().current = channel; }

KELId ZEVItemData::CurrentChannelInt() { return state().current; }

ZEVItemData* ZEVItemData::ItemDataForChannelInt(KELId channel)
{
    const auto it = state().registry.find(channel);
    return it == state().registry.end() ? nullptr : it->second.get();
}

std::vector<ZEVItemData*> ZEVItemData::ItemDatas()
{
    std::vector<ZEVItemData*> out;
    for (const auto& [channel, store] : state().registry)
        out.push_back(store.get());
    return out;
}

void ZEVItemData::ReferencerSpaceController(ZEVSpaceForItemData* controller) { state().space = controller; }

ZEVSpaceForItemData* ZEVItemData::SpaceController() { return state().space; }

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
    const QString zevDir = cleanPath(state().folders.zevDir);
    const QString oldDrop = zevDir + QStringLiteral("/zevDrop/");
    if (zevDir.isEmpty() || !oldPath.startsWith(oldDrop))
        return;
    const QString newPath = zevDir + QStringLiteral("/local/zevDrop/%1/").arg(kHomeChannel)
        + oldPath.mid(oldDrop.size());
    const auto bookmark = FileBookmark::fromPath(newPath);
    if (!bookmark) {
        say(QStringLiteral("TransitionForDataURL   Error when creating URL bookmark data: %1")
                .arg(QStringLiteral("no file at %1").arg(newPath)));
        return;
    }
    QCborMap fields;
    fields.insert(kBookmark, bookmark->toBytes());
    fields.insert(kPath, bookmark->path());
    fields.insert(kUid, bookmark->identity().uid());
    fields.insert(kHttpPath, recordString(*read.fields, kHttpPath));
    if (const FileResult written = writeRecordFile(recordPath, fields); !written)
        reportStoreError(written.error);
}

// ---------------------------------------------------------------------------------------------
// Holder tests

bool ZEVItemData::IfHoldByZev(const QString& path) { return isInside(path, state().folders.zevDir); }

bool ZEVItemData::IfHoldByZevFolder(const QString& path)
{
    return isInside(path, state().folders.zevFolder);
}

bool ZEVItemData::IfHoldByCloud(const QString& path) { return isInside(path, state().folders.cloud); }

bool ZEVItemData::IfHoldByTrash(const QString& path)
{
    if (isInside(path, trashFolder()))
        return true;
    // The trash at the top of another volume.
    const QString uid = QString::number(::getuid());
    const QString clean = cleanPath(path);
    return clean.contains(QStringLiteral("/.Trash-%1/").arg(uid))
        || clean.contains(QStringLiteral("/.Trash/%1/").arg(uid));
}

bool ZEVItemData::IfHoldByApplications(const QString& path)
{
    QStringList folders = state().folders.applications;
    if (folders.isEmpty())
        folders << QStringLiteral("/usr/share/applications") << QStringLiteral("/usr/local/share/applications")
                << dataHome() + QStringLiteral("/applications") << QStringLiteral("/opt");
    return std::any_of(folders.begin(), folders.end(),
                       [&](const QString& folder) { return isInside(path, folder); });
}

bool ZEVItemData::IfHoldByExtern(const QString& path)
{
    if (path.isEmpty())
        return false;
    ClassState& s = state();
    if (!s.volumes)
        s.volumes = VolumeMap::system();
    return s.volumes->isExternal(path);
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
    const ZEVItemDataFolders& folders = state().folders;
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
    if (resolved->stale || newPath != recordedPath || newUid != recordedUid) {
        const FileBookmark fresh(newPath, resolved->identity);
        QCborMap rewritten;
        rewritten.insert(kBookmark, fresh.toBytes());
        rewritten.insert(kPath, newPath);
        rewritten.insert(kUid, newUid);
        rewritten.insert(kHttpPath, recordString(fields, kHttpPath));
        if (const FileResult written = writeRecordFile(recordFile, rewritten); !written)
            reportStoreError(written.error);
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
        reportStoreError(written.error);
        return false;
    }
    return true;
}

void ZEVItemData::replaceKey(std::map<QString, KELId>& index, const QString& oldKey, const QString& newKey,
                             KELId item)
{
    const auto it = index.find(oldKey);
    if (it != index.end() && it->second == item)
        index.erase(it);
    if (!newKey.isEmpty())
        index[newKey] = item;
}

namespace {

QCborMap fileFields(const FileBookmark& bookmark, const QString& httpPath)
{
    QCborMap fields;
    fields.insert(QStringLiteral("bookmark"), bookmark.toBytes());
    fields.insert(QStringLiteral("path"), bookmark.path());
    fields.insert(QStringLiteral("uid"), bookmark.identity().uid());
    fields.insert(QStringLiteral("httpPath"), httpPath);
    return fields;
}

} // namespace

bool ZEVItemData::createFileURL(const QString& filePath, const QUrl& httpURL, KELI* item)
{
    if (!item)
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
    if (IfHoldByZev(path))
        bits |= ZEVOPTION_HOLD_BY_ZEV;
    if (IfHoldByCloud(path))
        bits |= ZEVOPTION_HOLD_BY_CLOUD;
    if (IfHoldByTrash(path))
        bits |= ZEVOPTION_HOLD_BY_TRASH;
    if (IfHoldByExtern(path))
        bits |= ZEVOPTION_HOLD_BY_EXTERN;
    if (bits)
        addItemOption(item, bits);
    uidDico_[bookmark->identity().uid()] = item->idInt();
    pathDico_[path] = item->idInt();
    return true;
}

bool ZEVItemData::createZevpURL(const QString& imagePath, const QString& zevpString, KELI* item)
{
    if (!item)
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
    if (!item)
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
    if (!item)
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
    if (!item)
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
    if (!item)
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
// Generated files

QString ZEVItemData::ensureItemDropFolder(KELId item)
{
    const QString folder = itemDropFolder(item);
    if (const FileResult made = ensureFolder(folder); !made) {
        say(QStringLiteral("Error when creating directory: %1").arg(folder));
        say(QStringLiteral("                             : %1").arg(made.error));
        return QString();
    }
    return folder;
}

namespace {

// Writes bytes under a new name in folder; "" (logged, reported) on failure.
QString writeGenerated(const QString& folder, const QString& name, const QByteArray& bytes)
{
    QString written;
    if (const FileResult result = writeNewFile(folder, name, bytes, &written); !result) {
        reportStoreError(result.error);
        return QString();
    }
    return written;
}

} // namespace

QString ZEVItemData::createBitmapImage(const QImage& image, const QString& name, KELI* item)
{
    if (!item)
        return QString();
    const QByteArray bytes = tiffData(image);
    if (bytes.isEmpty()) {
        say(QStringLiteral("createBitmapImage ERROR: the image cannot be written as TIFF"));
        return QString();
    }
    const QString folder = ensureItemDropFolder(item->idInt());
    if (folder.isEmpty())
        return QString();
    return writeGenerated(folder, safeFileName(name, QStringLiteral("image")) + QStringLiteral(".tiff"), bytes);
}

QString ZEVItemData::createPdfImage(const QByteArray& pdfData, const QString& name, KELI* item)
{
    if (!item || pdfData.isEmpty())
        return QString();
    const QString folder = ensureItemDropFolder(item->idInt());
    if (folder.isEmpty())
        return QString();
    return writeGenerated(folder, safeFileName(name, QStringLiteral("image")) + QStringLiteral(".pdf"), pdfData);
}

QString ZEVItemData::createZevpImage(const QImage& image, KELI* item)
{
    if (!item)
        return QString();
    const QByteArray bytes = jpegData(image, kDeskImageJpegQuality);
    if (bytes.isEmpty()) {
        say(QStringLiteral("createZevpImage ERROR: the image cannot be written as JPEG"));
        return QString();
    }
    const QString folder = ensureItemDropFolder(item->idInt());
    if (folder.isEmpty())
        return QString();
    // The Object's own desk image: a newer view of the desk replaces it.
    const QString path = folder + QStringLiteral("/zevp.jpeg");
    if (const FileResult written = writeFileAtomically(path, bytes); !written) {
        reportStoreError(written.error);
        return QString();
    }
    return path;
}

QString ZEVItemData::createRTFWithAttributedString(const ZEVRichText& text, KELI* item)
{
    if (!item)
        return QString();
    const QString folder = ensureItemDropFolder(item->idInt());
    if (folder.isEmpty())
        return QString();
    return writeGenerated(folder, QStringLiteral("pasted text.rtf"), rtfDocument(text.runs));
}

QString ZEVItemData::createRTFDWithAttributedString(const ZEVRichText& text, KELI* item)
{
    if (!item)
        return QString();
    const QString folder = ensureItemDropFolder(item->idInt());
    if (folder.isEmpty())
        return QString();
    // The bundle: a folder holding the text as TXT.rtf and each attachment beside it.
    const QString bundle = uniquePathInFolder(folder, QStringLiteral("pasted text.rtfd"));
    if (bundle.isEmpty() || !QDir().mkdir(bundle)) {
        say(QStringLiteral("Error when creating directory: %1").arg(bundle.isEmpty() ? folder : bundle));
        say(QStringLiteral("                             : %1").arg(QStringLiteral("no free name")));
        return QString();
    }
    if (const FileResult written = writeFileAtomically(bundle + QStringLiteral("/TXT.rtf"), rtfDocument(text.runs));
        !written) {
        reportStoreError(written.error);
        QDir(bundle).removeRecursively();
        return QString();
    }
    for (const ZEVRichText::Attachment& attachment : text.attachments) {
        // Attachments never take the text's own name.
        const QString name = safeFileName(attachment.name, QStringLiteral("attachment"));
        const QString safe = name == QLatin1String("TXT.rtf") ? QStringLiteral("attachment ") + name : name;
        if (writeGenerated(bundle, safe, attachment.data).isEmpty()) {
            QDir(bundle).removeRecursively();
            return QString();
        }
    }
    return bundle;
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

QString ZEVItemData::uidForItem(KELI* item, const QString& kind) const
{
    // The kind names a file: only the five record kinds are ever read.
    if (!item || !isRecordKind(kind))
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

// ---------------------------------------------------------------------------------------------
// Reading and repairs

QString ZEVItemData::fileUrlForItem(KELI* item)
{
    if (!item)
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
        if (IfHoldByApplications(newPath))
            clear = kApplicationClearedBits;
        if (IfHoldByTrash(newPath))
            clear |= ZEVOPTION_MASK_BUSY;
        ZEVItemOption add = 0;
        if (IfHoldByZev(newPath))
            add |= ZEVOPTION_HOLD_BY_ZEV;
        if (IfHoldByZevFolder(newPath))
            add |= ZEVOPTION_HOLD_BY_ZEV_FOLDER;
        if (IfHoldByCloud(newPath))
            add |= ZEVOPTION_HOLD_BY_CLOUD;
        if (IfHoldByTrash(newPath))
            add |= ZEVOPTION_HOLD_BY_TRASH;
        if (IfHoldByApplications(newPath))
            add |= ZEVOPTION_HOLD_BY_APPLICATIONS;
        if (IfHoldByExtern(newPath))
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
    const QString folder = ensureItemDropFolder(id);
    if (folder.isEmpty())
        return QString();
    addLoadingItemNum(id);
    space().startDownload(url, item, folder);
    return QString();
}

void ZEVItemData::updateFilePathWithItem(KELI* item, const QString& filePath)
{
    if (!item)
        return;
    const auto record = readFileRecord(item->idInt());
    if (!record)
        return;
    if (cleanPath(filePath) == record->path)
        return;
    const auto bookmark = FileBookmark::fromPath(filePath);
    if (!bookmark) {
        say(QStringLiteral("updateFilePathWithItem   Error when creating URL bookmark data: %1")
                .arg(QStringLiteral("no file at %1").arg(filePath)));
        return;
    }
    const QString& newPath = bookmark->path();
    const auto align = [&](ZEVItemOption bit, bool holds) {
        if (holds && !siItemOption(item, bit))
            addItemOption(item, bit);
        else if (!holds && siItemOption(item, bit))
            clearItemOption(item, bit);
    };
    align(ZEVOPTION_HOLD_BY_ZEV, IfHoldByZev(newPath));
    align(ZEVOPTION_HOLD_BY_ZEV_FOLDER, IfHoldByZevFolder(newPath));
    align(ZEVOPTION_HOLD_BY_TRASH, IfHoldByTrash(newPath));
    align(ZEVOPTION_HOLD_BY_CLOUD, IfHoldByCloud(newPath));
    align(ZEVOPTION_HOLD_BY_EXTERN, IfHoldByExtern(newPath));
    if (siItemOption(item, ZEVOPTION_MASK_GIF_ANIMATION))
        clearItemOption(item, ZEVOPTION_MASK_GIF_ANIMATION);
    if (!writeRecord(item->idInt(), kFile, fileFields(*bookmark, record->httpPath)))
        return;
    replaceKey(pathDico_, record->path, newPath, item->idInt());
    replaceKey(uidDico_, record->uid, bookmark->identity().uid(), item->idInt());
}

void ZEVItemData::updateFileUidWithItem(KELI* item, const QString& filePath)
{
    if (!item)
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
    if (!item)
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
    if (!item)
        return {};
    const QString file = fileUrlForItem(item);
    if (!file.isEmpty() && !isWebPage(file))
        return QUrl::fromLocalFile(file);
    return webUrl(uidForItem(item, kHttp));
}

QString ZEVItemData::zevpImageUrlForItem(KELI* item) const
{
    if (!item)
        return QString();
    const QString path = recordPath(item->idInt(), kZevp);
    if (!QFileInfo::exists(path))
        return QString();
    const RecordRead read = readRecordFile(path);
    return read ? recordString(*read.fields, kPath) : QString();
}

QString ZEVItemData::weblocUrlForItem(KELI* item, const QString& name)
{
    if (!item)
        return QString();
    if (ZEVItemData* current = ItemDataForChannelInt(CurrentChannelInt())) {
        const QString file = current->fileUrlForItem(item);
        if (!file.isEmpty() && !isWebPage(file))
            return file;
    }
    const QString folder = itemDropFolder(item->idInt());
    if (!QFileInfo(folder).isDir())
        return QString();
    QStringList weblocs;
    QStringList pages;
    QDirIterator walk(folder, QDir::Files | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (walk.hasNext()) {
        const QString path = walk.next();
        const QString suffix = walk.fileInfo().suffix();
        if (suffix == QLatin1String("webloc"))
            weblocs << path;
        else if (isWebPage(path))
            pages << path;
    }
    if (!weblocs.isEmpty()) {
        weblocs.sort();
        return weblocs.first();
    }
    const QUrl asUrl(name);
    const QString base = asUrl.isValid() && !asUrl.host().isEmpty() ? asUrl.host() : name;
    const QUrl address = webUrl(uidForItem(item, kHttp));
    if (address.isEmpty())
        return QString();
    for (qsizetype i = 0; i < pages.size(); ++i) {
        // The title is outside text: it names one new file inside the Object's folder.
        const QString path = uniquePathInFolder(folder, safeFileName(base, QStringLiteral("link")) + QStringLiteral(".webloc"));
        if (path.isEmpty())
            continue;
        const FileResult written = writeWeblocFile(path, address.toString(QUrl::FullyEncoded));
        if (written)
            return path;
        reportStoreError(written.error);
    }
    return QString();
}

// ---------------------------------------------------------------------------------------------
// Dates

std::optional<KELDate> ZEVItemData::goToDateForItem(KELI* item)
{
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
    if (!item)
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
    if (!item)
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
    if (!item)
        return;
    const KELId id = item->idInt();
    // Resolving must not start a download of a web Object that is going away.
    const QString file = QFileInfo::exists(recordPath(id, kFile)) ? fileUrlForItem(item) : QString();

    // Asked before the records go: the equivalents are found through this Object's own uid. A
    // question that cannot be answered keeps the files: another Channel may still show them.
    bool heldElsewhere = false;
    bool unknown = false;
    for (ZEVItemData* store : ItemDatas()) {
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

    const QString folder = itemDropFolder(id);
    if (QFileInfo(folder).isDir()) {
        if (!heldElsewhere && !moveToTrash(folder))
            say(QStringLiteral("Error 1 when moving to trash: %1").arg(folder));
    } else if (!file.isEmpty() && IfHoldByZevFolder(file)) {
        if (!heldElsewhere && !moveToTrash(file))
            say(QStringLiteral("Error 2 when moving to trash: %1").arg(file));
    }

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
    ZEVItemData* own = ZEVItemData::ItemDataForChannelInt(item->channelInt());
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

KELI* ZEVItemData::matchingItem(KELI* item) { return equivalentIn(*this, item, "matchingItem"); }

KELI* ZEVItemData::SameItem(KELI* item)
{
    ZEVItemData* current = ItemDataForChannelInt(CurrentChannelInt());
    return current ? equivalentIn(*current, item, "SameItem") : nullptr;
}

KELI* ZEVItemData::CreateSameItem(KELI* item)
{
    if (!item)
        return nullptr;
    const KELId channel = CurrentChannelInt();
    if (item->channelInt() == channel)
        return item;
    if (KELI* same = SameItem(item))
        return same;
    ZEVItemData* source = ItemDataForChannelInt(item->channelInt());
    ZEVItemData* current = ItemDataForChannelInt(channel);
    if (!source || !current)
        return nullptr;
    ZEVSpaceForItemData& s = space();
    const std::string type = s.itemTypeForItem(item);
    const std::string title = s.itemTitleForItem(item);
    const QString uid = source->uidForItem(item, QString::fromStdString(type));

    if (type == "file") {
        const QString file = source->fileUrlForItem(item);
        if (file.isEmpty())
            return nullptr;
        KELI* made = s.creerItem(channel, title, "file", QFileInfo(file).suffix().toStdString(),
                                 s.itemOptionsForFile(file));
        if (made)
            current->createFileURL(file, source->originalHttpUrlForItem(item), made);
        return made;
    }
    if (type == "ABPerson") {
        if (!s.personWithUid(uid))
            return nullptr;
        KELI* made = s.creerItem(channel, title, "ABPerson", "vcf", ZEVOPTION_HOLD_BY_APP);
        if (made)
            current->createFilePersonWithUid(uid, made);
        return made;
    }
    if (type == "zevp") {
        KELI* made = s.creerItem(channel, title, "zevp", "jpeg", ZEVOPTION_HOLD_BY_ZEV);
        if (made)
            current->createZevpURL(source->zevpImageUrlForItem(item), uid, made);
        return made;
    }
    if (type == "http") {
        KELI* made = s.creerItem(channel, title, "http", "webloc", 0);
        if (made)
            current->createFileHttpWithUid(uid, made);
        return made;
    }
    if (type == "message") {
        KELI* made = s.creerItem(channel, title, "message", "eml", ZEVOPTION_HOLD_BY_APP);
        if (made) {
            QCborMap dico;
            dico.insert(kUid, uid);
            current->createFileMessageWithDico(dico, made);
        }
        return made;
    }
    say(QStringLiteral("CreateSameItem: _________________________________________________ ERROR !"));
    return nullptr;
}

// ---------------------------------------------------------------------------------------------
// Class operations on the current Channel's store

namespace {

ZEVItemData* currentStore() { return ZEVItemData::ItemDataForChannelInt(ZEVItemData::CurrentChannelInt()); }

} // namespace

KELId ZEVItemData::ItemNumberWithUid(const QString& uid)
{
    auto* s = currentStore();
    return s ? s->itemNumberWithUid(uid) : 0;
}

KELId ZEVItemData::ItemNumberWithPath(const QString& path)
{
    auto* s = currentStore();
    return s ? s->itemNumberWithPath(path) : 0;
}

QString ZEVItemData::CreateBitmapImage(const QImage& image, const QString& name, KELI* item)
{
    auto* s = currentStore();
    return s ? s->createBitmapImage(image, name, item) : QString();
}

QString ZEVItemData::CreatePdfImage(const QByteArray& pdfData, const QString& name, KELI* item)
{
    auto* s = currentStore();
    return s ? s->createPdfImage(pdfData, name, item) : QString();
}

QString ZEVItemData::CreateZevpImage(const QImage& image, KELI* item)
{
    auto* s = currentStore();
    return s ? s->createZevpImage(image, item) : QString();
}

QString ZEVItemData::CreateRTFWithAttributedString(const ZEVRichText& text, KELI* item)
{
    auto* s = currentStore();
    return s ? s->createRTFWithAttributedString(text, item) : QString();
}

QString ZEVItemData::CreateRTFDWithAttributedString(const ZEVRichText& text, KELI* item)
{
    auto* s = currentStore();
    return s ? s->createRTFDWithAttributedString(text, item) : QString();
}

bool ZEVItemData::CreateFileURL(const QString& filePath, const QUrl& httpURL, KELI* item)
{
    auto* s = currentStore();
    return s && s->createFileURL(filePath, httpURL, item);
}

bool ZEVItemData::CreateZevpURL(const QString& imagePath, const QString& zevpString, KELI* item)
{
    auto* s = currentStore();
    return s && s->createZevpURL(imagePath, zevpString, item);
}

void ZEVItemData::UpdateFilePathWithItem(KELI* item, const QString& filePath)
{
    if (auto* s = currentStore())
        s->updateFilePathWithItem(item, filePath);
}

void ZEVItemData::UpdateFileUidWithItem(KELI* item, const QString& filePath)
{
    if (auto* s = currentStore())
        s->updateFileUidWithItem(item, filePath);
}

bool ZEVItemData::UpdatePersonUidWithIem(KELI* item, const QString& newUid)
{
    auto* s = currentStore();
    return s && s->updatePersonUidWithIem(item, newUid);
}

void ZEVItemData::DeleteItem(KELI* item)
{
    if (auto* s = currentStore())
        s->deleteItem(item);
}

bool ZEVItemData::CreateFileMessageWithDico(const QCborMap& dico, KELI* item)
{
    auto* s = currentStore();
    return s && s->createFileMessageWithDico(dico, item);
}

bool ZEVItemData::CreateFileHttpWithUid(const QString& url, KELI* item)
{
    auto* s = currentStore();
    return s && s->createFileHttpWithUid(url, item);
}

bool ZEVItemData::CreateFilePersonWithUid(const QString& uid, KELI* item)
{
    auto* s = currentStore();
    return s && s->createFilePersonWithUid(uid, item);
}

QString ZEVItemData::FileUrlForItem(KELI* item)
{
    auto* s = currentStore();
    return s ? s->fileUrlForItem(item) : QString();
}

QUrl ZEVItemData::OriginalHttpUrlForItem(KELI* item)
{
    auto* s = currentStore();
    return s ? s->originalHttpUrlForItem(item) : QUrl();
}

QUrl ZEVItemData::HttpUrlForItem(KELI* item)
{
    auto* s = currentStore();
    return s ? s->httpUrlForItem(item) : QUrl();
}

QString ZEVItemData::ZevpImageUrlForItem(KELI* item)
{
    auto* s = currentStore();
    return s ? s->zevpImageUrlForItem(item) : QString();
}

QString ZEVItemData::WeblocUrlForItem(KELI* item, const QString& name)
{
    auto* s = currentStore();
    return s ? s->weblocUrlForItem(item, name) : QString();
}

QString ZEVItemData::UidForItem(KELI* item, const QString& kind)
{
    auto* s = currentStore();
    return s ? s->uidForItem(item, kind) : QString();
}

std::optional<KELDate> ZEVItemData::GoToDateForItem(KELI* item)
{
    auto* s = currentStore();
    return s ? s->goToDateForItem(item) : std::nullopt;
}

std::optional<KELDate> ZEVItemData::CreatedDateForItem(KELI* item)
{
    auto* s = currentStore();
    return s ? s->createdDateForItem(item) : std::nullopt;
}

std::optional<KELDate> ZEVItemData::ModifiedDateForItem(KELI* item)
{
    auto* s = currentStore();
    return s ? s->modifiedDateForItem(item) : std::nullopt;
}

} // namespace tallomer
