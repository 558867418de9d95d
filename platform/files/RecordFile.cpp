#include "platform/files/RecordFile.h"

#include "platform/files/GeneratedFiles.h"

#include "runtime/Clock.h"
#include "platform/files/BoundedCbor.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>

#include <algorithm>
#include <array>
#include <cmath>

namespace tallomer {

namespace {

constexpr char kMagic[4] = {'T', 'L', 'M', 'R'};

std::uint32_t crc32(const QByteArray& data)
{
    static const std::array<std::uint32_t, 256> table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t i = 0; i < 256; ++i) {
            std::uint32_t c = i;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    std::uint32_t crc = 0xFFFFFFFFu;
    for (const char ch : data)
        crc = table[(crc ^ std::uint8_t(ch)) & 0xFF] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

RecordRead failure(RecordProblem problem, QString message, QString systemReason = {})
{
    return {std::nullopt, std::move(message), problem, std::move(systemReason)};
}

} // namespace

QByteArray encodeRecord(const QCborMap& fields)
{
    const QByteArray payload = fields.toCborValue().toCbor();
    QByteArray out(kRecordHeaderSize, '\0');
    char* h = out.data();
    std::copy(std::begin(kMagic), std::end(kMagic), h);
    qToBigEndian<std::uint16_t>(kRecordFormatVersion, h + 4);
    qToBigEndian<std::uint16_t>(0, h + 6);
    qToBigEndian<std::uint32_t>(std::uint32_t(payload.size()), h + 8);
    qToBigEndian<std::uint32_t>(crc32(payload), h + 12);
    out += payload;
    return out;
}

RecordRead decodeRecord(const QByteArray& bytes)
{
    if (bytes.size() < kRecordHeaderSize) {
        // Cut short when it begins as a record does; another kind of file otherwise.
        const qsizetype debut = std::min<qsizetype>(bytes.size(), qsizetype(sizeof kMagic));
        const bool magie = debut > 0 && std::equal(bytes.constData(), bytes.constData() + debut, kMagic);
        return failure(magie ? RecordProblem::Damaged : RecordProblem::NotARecord,
                       QStringLiteral("record truncated (%1 bytes)").arg(bytes.size()));
    }
    const char* h = bytes.constData();
    if (!std::equal(std::begin(kMagic), std::end(kMagic), h))
        return failure(RecordProblem::NotARecord, QStringLiteral("not a record file (wrong magic)"));
    const auto version = qFromBigEndian<std::uint16_t>(h + 4);
    if (version != kRecordFormatVersion)
        return failure(RecordProblem::OtherVersion, QStringLiteral("unsupported record version %1").arg(version));
    const auto length = qFromBigEndian<std::uint32_t>(h + 8);
    if (qint64(length) > kMaxRecordPayload)
        return failure(RecordProblem::TooLarge, QStringLiteral("record payload too large (%1 bytes)").arg(length));
    if (qint64(length) != bytes.size() - kRecordHeaderSize)
        return failure(RecordProblem::Damaged, QStringLiteral("record length %1 does not match the file (%2 bytes)")
                           .arg(length)
                           .arg(bytes.size() - kRecordHeaderSize));
    const QByteArray payload = bytes.mid(kRecordHeaderSize);
    if (crc32(payload) != qFromBigEndian<std::uint32_t>(h + 12))
        return failure(RecordProblem::Damaged, QStringLiteral("record checksum mismatch"));
    QString error;
    auto map = decodeCborMap(payload, &error);
    if (!map)
        return failure(RecordProblem::Damaged, QStringLiteral("record damaged: %1").arg(error));
    return {std::move(map), {}, RecordProblem::None, {}};
}

RecordRead readRecordFile(const QString& path)
{
    // Only regular files: opening a FIFO would block, a device could stream forever.
    if (!QFileInfo(path).isFile())
        return failure(RecordProblem::NotAFile, QStringLiteral("not a regular file: %1").arg(path));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return failure(RecordProblem::Unreadable, QStringLiteral("cannot open %1: %2").arg(path, file.errorString()),
                       file.errorString());
    const qint64 size = file.size();
    if (size > kRecordHeaderSize + kMaxRecordPayload)
        return failure(RecordProblem::TooLarge, QStringLiteral("record file too large (%1 bytes): %2").arg(size).arg(path));
    // A file that grows meanwhile is cut at its old size and then fails the length check.
    const QByteArray bytes = file.read(size);
    if (file.error() != QFileDevice::NoError)
        return failure(RecordProblem::Unreadable, QStringLiteral("cannot read %1: %2").arg(path, file.errorString()),
                       file.errorString());
    RecordRead read = decodeRecord(bytes);
    if (!read)
        read.error = QStringLiteral("%1: %2").arg(path, read.error);
    return read;
}

FileResult writeRecordFile(const QString& path, const QCborMap& fields)
{
    const QByteArray bytes = encodeRecord(fields);
    if (bytes.size() - kRecordHeaderSize > kMaxRecordPayload)
        return FileResult::failure(QStringLiteral("record too large to write: %1").arg(path));
    return writeFileAtomically(path, bytes);
}

QCborValue recordDate(KELDate date)
{
    const double ms = std::round(unixFromDate(date) * 1000.0);
    return QCborValue(QDateTime::fromMSecsSinceEpoch(qint64(ms), Qt::UTC));
}

std::optional<KELDate> recordDateValue(const QCborValue& value)
{
    if (!value.isDateTime())
        return std::nullopt;
    const QDateTime dt = value.toDateTime();
    if (!dt.isValid())
        return std::nullopt;
    return dateFromUnix(double(dt.toMSecsSinceEpoch()) / 1000.0);
}

QString recordString(const QCborMap& fields, const QString& key)
{
    const QCborValue v = fields.value(key);
    return v.isString() ? v.toString() : QString();
}

QByteArray recordBytes(const QCborMap& fields, const QString& key)
{
    const QCborValue v = fields.value(key);
    return v.isByteArray() ? v.toByteArray() : QByteArray();
}

std::optional<qint64> recordInteger(const QCborMap& fields, const QString& key)
{
    const QCborValue v = fields.value(key);
    if (!v.isInteger())
        return std::nullopt;
    return v.toInteger();
}

} // namespace tallomer
