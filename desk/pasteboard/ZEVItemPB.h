#pragma once
// The pasteboard record of one Object that is not simply a file or a web location: enough to
// find the same Object again in this program (its id and Channel) or to make an equivalent one
// (its uid, title, type and, for a saved desk view, the desk image).
//
// Records travel under the private type kItemPasteboardType as one archive per pasteboard, a
// CBOR map (RFC 8949, definite lengths):
//
//   { "version": 1,
//     "records": [ { "itemNum":    unsigned integer | null,   the Object's id
//                    "itemUid":    text | null,               the uid of the Object's record
//                    "itemTitle":  text | null,
//                    "itemType":   text | null,               "file", "http", "zevp", ...
//                    "channelNum": unsigned integer | null,   the Object's Channel
//                    "zevpImage":  bytes (PNG) | null },      a saved desk view's image
//                  ... ] }
//
// Any program can write our type: the archive is read through the bounded CBOR reader, at most
// kMaxItemRecords records, texts of at most kMaxItemRecordText characters, the images decoded
// under the picture cap, all of an archive's together (a few compressed bytes can claim a large
// picture, and an archive may hold many). A record that breaks a rule is dropped; the others are
// kept.

#include "engine/KELTypes.h"

#include <QByteArray>
#include <QCborMap>
#include <QImage>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

class KELI;

namespace tallomer {

inline constexpr qint64 kItemRecordVersion = 1;
inline constexpr qsizetype kMaxItemRecords = 10000;
inline constexpr qsizetype kMaxItemRecordText = 64 * 1024;

class ZEVItemPB {
public:
    ZEVItemPB() = default;
    // With an Object, itemNum is its id; uid, title and type are kept unless null; a Channel id
    // other than 0 is kept.
    ZEVItemPB(KELI* item, const QString& itemUid, const QString& itemTitle, const QString& itemType,
              KELId channelInt);

    std::optional<KELId> itemNum() const { return itemNum_; }
    void setItemNum(std::optional<KELId> n) { itemNum_ = n; }
    // Null strings stand for fields that are not set.
    const QString& itemUid() const { return itemUid_; }
    void setItemUid(const QString& s) { itemUid_ = s; }
    const QString& itemTitle() const { return itemTitle_; }
    void setItemTitle(const QString& s) { itemTitle_ = s; }
    const QString& itemType() const { return itemType_; }
    void setItemType(const QString& s) { itemType_ = s; }
    std::optional<KELId> channelNum() const { return channelNum_; }
    void setChannelNum(std::optional<KELId> n) { channelNum_ = n; }
    const QImage& zevpImage() const { return zevpImage_; }
    void setZevpImage(const QImage& image) { zevpImage_ = image; }
    // The two ids, 0 when not set.
    KELId itemInt() const { return itemNum_.value_or(0); }
    KELId channelInt() const { return channelNum_.value_or(0); }

    // The one record as a map of the six keys; and back, absent when a field breaks the rules.
    // The image takes its decoded size from *imageBudget (bytes) when one is given, and is
    // refused when that is not enough.
    QCborMap encode() const;
    static std::optional<ZEVItemPB> decode(const QCborMap& map, qint64* imageBudget = nullptr);

    // Pasteboard writing and reading: the private type only.
    static const QStringList& writableTypes();
    static const QStringList& readableTypes();
    // The archive of this record for the private type; empty for any other.
    QByteArray pasteboardPropertyListForType(const QString& type) const;

    static QByteArray archive(const std::vector<ZEVItemPB>& records);
    // The records of an archive; none (and *error set) when it is not one.
    // `leftOut`, when given, is told how many records came past kMaxItemRecords.
    static std::vector<ZEVItemPB> unarchive(const QByteArray& bytes, QString* error = nullptr,
                                            qsizetype* leftOut = nullptr);

    bool operator==(const ZEVItemPB& other) const;

private:
    std::optional<KELId> itemNum_;
    QString itemUid_;
    QString itemTitle_;
    QString itemType_;
    std::optional<KELId> channelNum_;
    QImage zevpImage_;
};

} // namespace tallomer
