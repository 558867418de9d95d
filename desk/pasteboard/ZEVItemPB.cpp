#include "desk/pasteboard/ZEVItemPB.h"

#include "engine/KELLien.h"
#include "platform/AppId.h"
#include "platform/files/BoundedCbor.h"
#include "platform/pasteboard/BoundedImage.h"

#include <QCborArray>
#include <QCborValue>

namespace tallomer {

namespace {

const QString kVersion = QStringLiteral("version");
const QString kRecords = QStringLiteral("records");
const QString kItemNum = QStringLiteral("itemNum");
const QString kItemUid = QStringLiteral("itemUid");
const QString kItemTitle = QStringLiteral("itemTitle");
const QString kItemType = QStringLiteral("itemType");
const QString kChannelNum = QStringLiteral("channelNum");
const QString kZevpImage = QStringLiteral("zevpImage");

QCborValue idValue(std::optional<KELId> id)
{
    return id ? QCborValue(qint64(*id)) : QCborValue(QCborValue::Null);
}

QCborValue textValue(const QString& s) { return s.isNull() ? QCborValue(QCborValue::Null) : QCborValue(s); }

// An id field: absent or null is none; a non-negative integer is the id; anything else is wrong.
bool readId(const QCborMap& map, const QString& key, std::optional<KELId>* out)
{
    const QCborValue v = map.value(key);
    if (v.isUndefined() || v.isNull())
        return true;
    if (!v.isInteger() || v.toInteger() < 0)
        return false;
    *out = KELId(v.toInteger());
    return true;
}

bool readText(const QCborMap& map, const QString& key, QString* out)
{
    const QCborValue v = map.value(key);
    if (v.isUndefined() || v.isNull())
        return true;
    if (!v.isString() || v.toString().size() > kMaxItemRecordText)
        return false;
    *out = v.toString();
    return true;
}

} // namespace

ZEVItemPB::ZEVItemPB(KELI* item, const QString& itemUid, const QString& itemTitle, const QString& itemType,
                     KELId channelInt)
    : itemUid_(itemUid), itemTitle_(itemTitle), itemType_(itemType)
{
    if (item)
        itemNum_ = item->idInt();
    if (channelInt != 0)
        channelNum_ = channelInt;
}

QCborMap ZEVItemPB::encode() const
{
    QCborMap map;
    map.insert(kItemNum, idValue(itemNum_));
    map.insert(kItemUid, textValue(itemUid_));
    map.insert(kItemTitle, textValue(itemTitle_));
    map.insert(kItemType, textValue(itemType_));
    map.insert(kChannelNum, idValue(channelNum_));
    const QByteArray png = pngData(zevpImage_);
    map.insert(kZevpImage, png.isEmpty() ? QCborValue(QCborValue::Null) : QCborValue(png));
    return map;
}

std::optional<ZEVItemPB> ZEVItemPB::decode(const QCborMap& map, qint64* imageBudget)
{
    ZEVItemPB record;
    if (!readId(map, kItemNum, &record.itemNum_) || !readId(map, kChannelNum, &record.channelNum_)
        || !readText(map, kItemUid, &record.itemUid_) || !readText(map, kItemTitle, &record.itemTitle_)
        || !readText(map, kItemType, &record.itemType_))
        return std::nullopt;
    const QCborValue image = map.value(kZevpImage);
    if (image.isByteArray()) {
        const std::optional<QImage> decoded = decodeImageBounded(image.toByteArray(), "png");
        if (!decoded || (imageBudget && decoded->sizeInBytes() > *imageBudget))
            return std::nullopt;
        if (imageBudget)
            *imageBudget -= decoded->sizeInBytes();
        record.zevpImage_ = *decoded;
    } else if (!image.isUndefined() && !image.isNull()) {
        return std::nullopt;
    }
    return record;
}

const QStringList& ZEVItemPB::writableTypes()
{
    static const QStringList types{QString::fromLatin1(kItemPasteboardType)};
    return types;
}

const QStringList& ZEVItemPB::readableTypes() { return writableTypes(); }

QByteArray ZEVItemPB::pasteboardPropertyListForType(const QString& type) const
{
    if (type != QLatin1String(kItemPasteboardType))
        return {};
    return archive({*this});
}

QByteArray ZEVItemPB::archive(const std::vector<ZEVItemPB>& records)
{
    QCborArray list;
    for (const ZEVItemPB& r : records)
        list.append(r.encode());
    QCborMap root;
    root.insert(kVersion, kItemRecordVersion);
    root.insert(kRecords, list);
    return root.toCborValue().toCbor();
}

std::vector<ZEVItemPB> ZEVItemPB::unarchive(const QByteArray& bytes, QString* error, qsizetype* leftOut)
{
    std::vector<ZEVItemPB> out;
    if (leftOut)
        *leftOut = 0;
    const std::optional<QCborMap> root = decodeCborMap(bytes, error);
    if (!root)
        return out;
    const QCborValue version = root->value(kVersion);
    if (!version.isInteger() || version.toInteger() != kItemRecordVersion) {
        if (error)
            *error = QStringLiteral("not a version %1 archive of Object records").arg(kItemRecordVersion);
        return out;
    }
    const QCborValue records = root->value(kRecords);
    if (!records.isArray()) {
        if (error)
            *error = QStringLiteral("no list of Object records");
        return out;
    }
    const QCborArray list = records.toArray();
    qint64 imageBudget = qint64(kMaxDecodedImageMegabytes) * 1024 * 1024;
    qsizetype i = 0;
    for (; i < list.size() && qsizetype(out.size()) < kMaxItemRecords; ++i) {
        if (!list.at(i).isMap())
            continue;
        if (std::optional<ZEVItemPB> r = decode(list.at(i).toMap(), &imageBudget))
            out.push_back(std::move(*r));
    }
    // Those past the bound are counted, not decoded.
    for (; leftOut && i < list.size(); ++i)
        if (list.at(i).isMap())
            ++*leftOut;
    return out;
}

bool ZEVItemPB::operator==(const ZEVItemPB& o) const
{
    return itemNum_ == o.itemNum_ && itemUid_ == o.itemUid_ && itemTitle_ == o.itemTitle_ && itemType_ == o.itemType_
        && channelNum_ == o.channelNum_
        // The same picture whatever the pixel format a decoder chose.
        && zevpImage_.convertToFormat(QImage::Format_ARGB32) == o.zevpImage_.convertToFormat(QImage::Format_ARGB32);
}

} // namespace tallomer
