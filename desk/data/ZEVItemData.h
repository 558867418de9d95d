#pragma once
// The Object data store of one Channel: what an Object stands for outside the link base (the file
// it refers to, its web address, the contact, the mail message, the saved desk view).
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
// The stores are registered by Channel id in ZEVItemDataChannels, which also keeps the current
// Channel and what all stores share; the generated files are ZEVItemDataFiles'. Main thread only.

#include "desk/data/ZEVItemDataChannels.h"
#include "desk/data/ZEVItemDataFiles.h"
#include "desk/data/ZEVSpaceForItemData.h"
#include "desk/model/ZEVItemOptions.h"
#include "engine/KELTypes.h"

#include <QCborMap>
#include <QString>
#include <QUrl>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <unordered_map>

class KELI;

namespace tallomer {

class ZEVItemData {
public:
    // The current Channel's store. Without one (no Channel made yet, a store that could not be
    // built) a store of no Channel stands in: it finds nothing, answers nothing and writes nothing,
    // so that callers never test for it.
    static ZEVItemData& Current();
    // Whether this is that stand-in.
    bool isNone() const { return channelInt_ == 0; }

    // The uid of the file at path: survives renames and moves; "" when there is no file.
    static QString UidForURL(const QString& path);
    // Rewrites a record moved from the single-Channel layout into the home Channel.
    static void TransitionForDataURL(const QString& recordPath);

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

    // The files generated for this Channel's Objects.
    ZEVItemDataFiles& files() { return files_; }

    // ---- writing ----
    // Each answers whether the record was written and indexed.
    bool createFileURL(const QString& filePath, const QUrl& httpURL, KELI* item);
    bool createZevpURL(const QString& imagePath, const QString& zevpString, KELI* item);
    bool createFileHttpWithUid(const QString& url, KELI* item);
    bool createFilePersonWithUid(const QString& uid, KELI* item);
    bool createFileMessageWithDico(const QCborMap& dico, KELI* item);
    bool updatePersonUidWithIem(KELI* item, const QString& newUid);

    // ---- lookups ----
    KELId itemNumberWithUid(const QString& uid) const;   // 0 when none
    KELId itemNumberWithPath(const QString& path) const; // 0 when none
    // The web Object whose web location file, made in its own drop folder for a copy, is at
    // path; 0 when path is no such file.
    KELId itemNumberWithWeblocPath(const QString& path) const;
    // The uid of the Object's record of that kind; a null string when there is none.
    QString uidForItem(KELI* item, const QString& kind) const;
    // The path the Object's file record names, when the file there is still the one recorded
    // (not resolved elsewhere); empty otherwise.
    QString filePathForItem(KELI* item) const;
    // The path the Object's file record holds, wherever the file is now; a null string when the
    // record cannot be read.
    QString recordedFilePathForItem(KELI* item) const;

    void addLoadingItemNum(KELId id) { loadingItemNumSet_.insert(id); }
    void delLoadingItemNum(KELId id) { loadingItemNumSet_.erase(id); }
    void addFailedItemNum(KELId id) { failedItemNumSet_.insert(id); }
    void delFaildeItemNum(KELId id) { failedItemNumSet_.erase(id); }
    bool siLoadingItemNum(KELId id) const { return loadingItemNumSet_.count(id) != 0; }

    // ---- reading, repairs, deletion ----
    // The Object's file, its record repaired when the file moved; "" when none.
    QString fileUrlForItem(KELI* item);
    // False when the record could not be read or written: it still names the old place.
    bool updateFilePathWithItem(KELI* item, const QString& filePath);
    void updateFileUidWithItem(KELI* item, const QString& filePath);
    QUrl originalHttpUrlForItem(KELI* item);
    QUrl httpUrlForItem(KELI* item);
    QString zevpImageUrlForItem(KELI* item) const;
    // The file a mail message Object's message is kept in; "" when its record names none.
    QString messageFileForItem(KELI* item) const;
    std::optional<KELDate> goToDateForItem(KELI* item);
    std::optional<KELDate> createdDateForItem(KELI* item);
    std::optional<KELDate> modifiedDateForItem(KELI* item);
    void deleteItem(KELI* item);
    // The records and index entries of an Object the link base did not keep, and nothing else:
    // its file stays where it is, whoever holds it.
    void forgetRecordsOfItem(KELId item);

    // ---- equivalents across Channels ----
    // The Object of this store's Channel that stands for the same thing as item; nullptr for none.
    KELI* matchingItem(KELI* item);
    // The same, made in this store's Channel when there is none yet; nullptr when it cannot be.
    KELI* createSameItem(KELI* item);

private:
    // A text field of the Object's record of that kind; empty without one.
    QString recordFieldForItem(KELI* item, const QString& kind, const QString& field) const;

    ZEVItemData(KELId channel, QString dropFolder, QString dataFolder);

    // Whether store holds another Object for the same thing as item; Unknown when that cannot be
    // told (no Space yet, an Object without Channel or type, a record that cannot be read).
    enum class Equivalence { None, Same, Other, Unknown };
    static Equivalence equivalence(ZEVItemData& store, KELI* item);

    struct FileRecord;
    std::optional<FileRecord> readFileRecord(KELId item) const;
    bool writeRecord(KELId item, const QString& kind, const QCborMap& fields);
    void removeRecords(KELId item);
    void loadRecords(const std::function<void()>& increment);
    void loadFileRecord(KELId item, const QString& recordFile);
    // The indexes are asked for every entry of the drop folder at every scan: hashed.
    using Index = std::unordered_map<QString, KELId>;
    void replaceKey(Index& index, const QString& oldKey, const QString& newKey,
                    KELId item);

    KELId channelInt_ = 0;
    QString zevDropURL_;
    QString zevDataURL_;
    Index uidDico_;
    Index pathDico_;
    std::set<KELId> loadingItemNumSet_;
    std::set<KELId> failedItemNumSet_;
    ZEVItemDataFiles files_{*this};
};

} // namespace tallomer
