#pragma once
// Record files: the dictionaries the Object data store keeps per Object (`<channel>/<id>.file`,
// `.http`, `.zevp`, `.message`, `.ABPerson`) and the store's `default.file`.
//
// Byte layout, version 1 (all integers big-endian):
//
//   offset  size  field
//   0       4     magic "TLMR"
//   4       2     format version, 1
//   6       2     reserved, 0
//   8       4     payload length in bytes (at most kMaxRecordPayload)
//   12      4     CRC-32 (ISO-HDLC, as zlib) of the payload
//   16      n     payload: one CBOR map (RFC 8949) with text keys, definite lengths only
//
// The file is exactly 16 + n bytes long. Map values are text strings, integers, floats, byte
// strings (e.g. bookmark bytes, see FileBookmark.h), nested maps and arrays, booleans, and dates
// as standard CBOR date-time text (tag 0, millisecond precision; recordDate() below).
// A reader of version 1 rejects any other version, a wrong magic, a length that does not match
// the file, a checksum mismatch, a payload over the limit and malformed CBOR.
//
// Files are replaced atomically (writeFileAtomically): a crash or a full disk leaves the old
// record or the new one.

#include "runtime/Date.h"
#include "platform/files/FileResult.h"

#include <QByteArray>
#include <QCborMap>
#include <QCborValue>
#include <QString>

#include <cstdint>
#include <optional>

namespace tallomer {

inline constexpr std::uint16_t kRecordFormatVersion = 1;
inline constexpr qint64 kRecordHeaderSize = 16;
inline constexpr qint64 kMaxRecordPayload = 16 * 1024 * 1024;

// Why a record could not be read, for a reader that tells the user.
enum class RecordProblem {
    None,
    NotAFile,     // a folder, a device, a pipe, or nothing at the path
    Unreadable,   // the system refused to open or read it: systemReason says why
    TooLarge,     // larger than any record
    NotARecord,   // another kind of file
    OtherVersion, // a record of another format version
    Damaged,      // cut short, changed since written, or its contents malformed
};

struct RecordRead {
    std::optional<QCborMap> fields; // absent when the record could not be read
    QString error;                  // why, for the log
    RecordProblem problem = RecordProblem::None;
    QString systemReason; // the system's words for an Unreadable file

    explicit operator bool() const { return fields.has_value(); }
};

QByteArray encodeRecord(const QCborMap& fields);
RecordRead decodeRecord(const QByteArray& bytes);

// Reads at most the header plus kMaxRecordPayload bytes, whatever the file's size.
RecordRead readRecordFile(const QString& path);

// Replaces the file at path atomically; the folder must exist.
FileResult writeRecordFile(const QString& path, const QCborMap& fields);

// Dates inside records.
QCborValue recordDate(KELDate date);
std::optional<KELDate> recordDateValue(const QCborValue& value);

// Field helpers: the value under key when it has the right type, else the empty/absent value.
QString recordString(const QCborMap& fields, const QString& key);
QByteArray recordBytes(const QCborMap& fields, const QString& key);
std::optional<qint64> recordInteger(const QCborMap& fields, const QString& key);

} // namespace tallomer
