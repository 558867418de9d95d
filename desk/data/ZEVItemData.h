#pragma once
// The Object data store: what an Object stands for outside the link base (the file it refers to,
// its web address, the contact, the mail message, the saved desk view), kept per Channel.
//
// Layout, per Channel id C and Object id N (both decimal):
//   <data folder>/C/N.file | N.http | N.zevp | N.message | N.ABPerson   record files (RecordFile.h)
//   <drop folder>/C/N/                                                   files generated for N
//
// Record fields (text unless noted):
//   file      bookmark (bytes, FileBookmark.h), path, uid, httpPath ("" when none)
//   http      uid (the web address)
//   zevp      path (the saved desk image), uid (the zevp address)
//   message   the mail message's fields as handed in; zevFilename, createdDate, modifiedDate, uid
//   ABPerson  uid (the contact's unique id)
//
// One store per Channel, registered by Channel id for the whole run; the class operations with an
// upper-case first letter work on the current Channel's store. Main thread only.

#include "desk/model/ZEVItemOptions.h"
#include "engine/KELTypes.h"
#include "platform/files/RtfWriter.h"
#include "platform/files/Volumes.h"

#include <QByteArray>
#include <QCborMap>
#include <QImage>
#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

class KELI;
class KELICurseur;

namespace tallomer {

// The folders the application object owns; the store never guesses them.
struct ZEVItemDataFolders {
    QString zevDir;    // the store folder ($XDG_DATA_HOME/Tallomer)
    QString zevData;   // parent of the per-Channel record folders (…/local/zevData)
    QString zevDrop;   // parent of the per-Channel drop folders (…/local/zevDrop)
    QString zevFolder; // the user's drop folder ~/Tallomer
    QString trash;     // the user's Trash ($XDG_DATA_HOME/Trash); empty: derived from XDG_DATA_HOME
    QString cloud;     // a cloud documents folder, if the user has one; empty: none
    QStringList applications; // folders of installed applications; empty: the usual ones
};

// Pasted rich text: styled runs and, for the bundle form, attached files.
struct ZEVRichText {
    struct Attachment {
        QString name; // as the pasteboard named it; made safe before use
        QByteArray data;
    };
    QList<RtfRun> runs;
    QList<Attachment> attachments;
};

// A contact's dates, as the address book keeps them.
struct ZEVPersonDates {
    std::optional<KELDate> created;
    std::optional<KELDate> modified;
};

// What the store asks of the space controller and its neighbours (desk model, item model,
// desk viewer, address book, pasteboard reader). The Space answers what it keeps; until the
// Space exists (start-up) the store answers "unknown" itself and never deletes a file on such
// an answer. Downloads, file options and contacts keep a default until their parts exist.
class ZEVSpaceForItemData {
public:
    virtual ~ZEVSpaceForItemData() = default;

    virtual KELICurseur* actifCurseur() = 0;
    // 3 created, 4 modified, 5 last used.
    virtual int goToTag() = 0;

    // The Object's type and title words at the active cursor; empty when unknown.
    virtual std::string itemTypeForItem(KELI* item) = 0;
    virtual std::string itemTitleForItem(KELI* item) = 0;
    // Wakes an Object for the active cursor.
    virtual KELI* itemForId(KELId id) = 0;
    // The item model's factory; nullptr when it cannot make the Object.
    virtual KELI* creerItem(KELId channel, const std::string& title, const std::string& type,
                            const std::string& icon, ZEVItemOption options) = 0;

    // A web download of url into folder for item, reporting to the desk viewer: the downloads
    // answer it once they exist; a web Object keeps no copy of its page until then.
    virtual void startDownload(const QUrl& url, KELI* item, const QString& folder) {}
    // The options a new file Object gets for the file at path: the pasteboard reader answers it
    // once it exists; plain options until then.
    virtual ZEVItemOption itemOptionsForFile(const QString& path) { return 0; }
    // The address book: the person's dates, absent when the person is gone. The contacts answer
    // once they exist; no person is known until then.
    virtual std::optional<ZEVPersonDates> personWithUid(const QString& uid) { return std::nullopt; }
};

class ZEVItemData {
public:
    // Told once for every failed write of a record or a generated file, after the log line;
    // the application turns it into one alert per run.
    using StoreErrorHook = std::function<void(const QString&)>;
    static void setStoreErrorHook(StoreErrorHook hook);

    // ---- class state and registry ----
    static void SetFolders(const ZEVItemDataFolders& folders);
    static const ZEVItemDataFolders& Folders();
    // The volumes used by the "another volume" test (default: this machine's, read once).
    static void SetVolumeMap(std::optional<VolumeMap> volumes);
    // Forgets every store and the class state (the end of a run; tests).
    static void Reset();

    // Lists the Channel folders of dataFolder and answers how many records they hold.
    static double PrepareDicosForURL(const QString& dataFolder);
    // Builds and registers the store of every listed Channel; increment is called once per record.
    static void InitializeDicos(const std::function<void()>& increment = {});
    static bool CreateItemDataForChannelInt(KELId channel);
    static void SetCurrentChannelInt(KELId channel);
    static KELId CurrentChannelInt();
    static ZEVItemData* ItemDataForChannelInt(KELId channel);
    static std::vector<ZEVItemData*> ItemDatas();
    // Not owned; nullptr for none.
    static void ReferencerSpaceController(ZEVSpaceForItemData* space);
    static ZEVSpaceForItemData* SpaceController();

    // The uid of the file at path: survives renames and moves; "" when there is no file.
    static QString UidForURL(const QString& path);
    // Rewrites a record moved from the single-Channel layout into Channel 2000018.
    static void TransitionForDataURL(const QString& recordPath);

    // Holder tests.
    static bool IfHoldByZev(const QString& path);
    static bool IfHoldByZevFolder(const QString& path);
    static bool IfHoldByCloud(const QString& path);
    static bool IfHoldByTrash(const QString& path);
    static bool IfHoldByApplications(const QString& path);
    static bool IfHoldByExtern(const QString& path);

    // ---- building a Channel's store ----
    // Creates the Channel's folders when missing and loads its indexes; nullptr on failure.
    static std::unique_ptr<ZEVItemData> initDicosForChannelInt(KELId channel,
                                                               const std::function<void()>& increment = {});
    ~ZEVItemData();
    ZEVItemData(const ZEVItemData&) = delete;
    ZEVItemData& operator=(const ZEVItemData&) = delete;

    KELId channelInt() const { return channelInt_; }
    const QString& zevDropURL() const { return zevDropURL_; }
    const QString& zevDataURL() const { return zevDataURL_; }
    // The Object's own folder in the drop folder (it may not exist).
    QString itemDropFolder(KELId item) const;
    QString recordPath(KELId item, const QString& kind) const;

    // ---- writing ----
    // Each answers whether the record was written and indexed.
    bool createFileURL(const QString& filePath, const QUrl& httpURL, KELI* item);
    bool createZevpURL(const QString& imagePath, const QString& zevpString, KELI* item);
    bool createFileHttpWithUid(const QString& url, KELI* item);
    bool createFilePersonWithUid(const QString& uid, KELI* item);
    bool createFileMessageWithDico(const QCborMap& dico, KELI* item);
    bool updatePersonUidWithIem(KELI* item, const QString& newUid);

    // Generated files; each answers the written file's path, "" on failure.
    QString createBitmapImage(const QImage& image, const QString& name, KELI* item);
    QString createPdfImage(const QByteArray& pdfData, const QString& name, KELI* item);
    QString createZevpImage(const QImage& image, KELI* item);
    QString createRTFWithAttributedString(const ZEVRichText& text, KELI* item);
    QString createRTFDWithAttributedString(const ZEVRichText& text, KELI* item);

    // ---- lookups ----
    KELId itemNumberWithUid(const QString& uid) const;   // 0 when none
    KELId itemNumberWithPath(const QString& path) const; // 0 when none
    // The uid of the Object's record of that kind; a null string when there is none.
    QString uidForItem(KELI* item, const QString& kind) const;

    void addLoadingItemNum(KELId id) { loadingItemNumSet_.insert(id); }
    void delLoadingItemNum(KELId id) { loadingItemNumSet_.erase(id); }
    void addFailedItemNum(KELId id) { failedItemNumSet_.insert(id); }
    void delFaildeItemNum(KELId id) { failedItemNumSet_.erase(id); }
    bool siLoadingItemNum(KELId id) const { return loadingItemNumSet_.count(id) != 0; }

    // ---- reading, repairs, deletion ----
    // The Object's file, its record repaired when the file moved; "" when none.
    QString fileUrlForItem(KELI* item);
    void updateFilePathWithItem(KELI* item, const QString& filePath);
    void updateFileUidWithItem(KELI* item, const QString& filePath);
    QUrl originalHttpUrlForItem(KELI* item);
    QUrl httpUrlForItem(KELI* item);
    QString zevpImageUrlForItem(KELI* item) const;
    QString weblocUrlForItem(KELI* item, const QString& name);
    std::optional<KELDate> goToDateForItem(KELI* item);
    std::optional<KELDate> createdDateForItem(KELI* item);
    std::optional<KELDate> modifiedDateForItem(KELI* item);
    void deleteItem(KELI* item);
    KELI* matchingItem(KELI* item);

    // ---- class operations on the current Channel's store ----
    static KELId ItemNumberWithUid(const QString& uid);
    static KELId ItemNumberWithPath(const QString& path);
    static QString CreateBitmapImage(const QImage& image, const QString& name, KELI* item);
    static QString CreatePdfImage(const QByteArray& pdfData, const QString& name, KELI* item);
    static QString CreateZevpImage(const QImage& image, KELI* item);
    static QString CreateRTFWithAttributedString(const ZEVRichText& text, KELI* item);
    static QString CreateRTFDWithAttributedString(const ZEVRichText& text, KELI* item);
    static bool CreateFileURL(const QString& filePath, const QUrl& httpURL, KELI* item);
    static bool CreateZevpURL(const QString& imagePath, const QString& zevpString, KELI* item);
    static void UpdateFilePathWithItem(KELI* item, const QString& filePath);
    static void UpdateFileUidWithItem(KELI* item, const QString& filePath);
    static bool UpdatePersonUidWithIem(KELI* item, const QString& newUid);
    static void DeleteItem(KELI* item);
    static bool CreateFileMessageWithDico(const QCborMap& dico, KELI* item);
    static bool CreateFileHttpWithUid(const QString& url, KELI* item);
    static bool CreateFilePersonWithUid(const QString& uid, KELI* item);
    static QString FileUrlForItem(KELI* item);
    static QUrl OriginalHttpUrlForItem(KELI* item);
    static QUrl HttpUrlForItem(KELI* item);
    static QString ZevpImageUrlForItem(KELI* item);
    static QString WeblocUrlForItem(KELI* item, const QString& name);
    static QString UidForItem(KELI* item, const QString& kind);
    static std::optional<KELDate> GoToDateForItem(KELI* item);
    static std::optional<KELDate> CreatedDateForItem(KELI* item);
    static std::optional<KELDate> ModifiedDateForItem(KELI* item);
    static void RetablirChannelForItem(KELI* item) {}
    // The equivalent Object in the current Channel: looked up, or made.
    static KELI* SameItem(KELI* item);
    static KELI* CreateSameItem(KELI* item);

private:
    ZEVItemData(KELId channel, QString dropFolder, QString dataFolder);

    // Whether store holds another Object for the same thing as item; Unknown when that cannot be
    // told (no Space yet, an Object without Channel or type, a record that cannot be read).
    enum class Equivalence { None, Same, Other, Unknown };
    static Equivalence equivalence(ZEVItemData& store, KELI* item);

    struct FileRecord;
    std::optional<FileRecord> readFileRecord(KELId item) const;
    bool writeRecord(KELId item, const QString& kind, const QCborMap& fields);
    void loadRecords(const std::function<void()>& increment);
    void loadFileRecord(KELId item, const QString& recordFile);
    QString ensureItemDropFolder(KELId item);
    void replaceKey(std::map<QString, KELId>& index, const QString& oldKey, const QString& newKey,
                    KELId item);

    KELId channelInt_ = 0;
    QString zevDropURL_;
    QString zevDataURL_;
    std::map<QString, KELId> uidDico_;
    std::map<QString, KELId> pathDico_;
    std::set<KELId> loadingItemNumSet_;
    std::set<KELId> failedItemNumSet_;
};

} // namespace tallomer
