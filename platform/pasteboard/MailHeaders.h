#pragma once
// A mail message dropped or pasted as message/rfc822: only its header is read, and only so much
// of it (outside input). The Object made for it is found again by its uid: "message:" and the
// percent-encoded Message-ID, or the SHA-1 of the message's bytes when it has none.

#include "runtime/Date.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>
#include <utility>

namespace tallomer {

inline constexpr qsizetype kMaxMailBytes = 64 * 1024 * 1024;
inline constexpr qsizetype kMaxMailHeaderBytes = 256 * 1024;
inline constexpr int kMaxMailHeaderFields = 4000;

struct MailHeaders {
    QString messageId;             // trimmed, brackets kept; empty when none
    QString subject;               // decoded; null when the message has no Subject field
    std::optional<KELDate> date;   // the Date field, when it reads as a date
};

// A message's header, field by field: up to its first empty line (CRLF or LF), within
// kMaxMailHeaderBytes and kMaxMailHeaderFields. Names are in lower case; a field folded over
// lines is one value, its lines joined by a space; values are trimmed and not decoded.
struct MailHeaderFields {
    QList<std::pair<QByteArray, QByteArray>> fields;
    // Where the body begins: past the empty line, or the end of the message when nothing follows
    // its header.
    qsizetype bodyStart = 0;

    // The first field of that name (lower case); empty when there is none.
    QByteArray field(const QByteArray& name) const;
};
MailHeaderFields readMailHeaderFields(const QByteArray& message);

// The fields above from the header.
MailHeaders readMailHeaders(const QByteArray& message);

// A header value with its encoded words (RFC 2047, "=?charset?B|Q?text?=") decoded; the rest is
// read as UTF-8. Neighbouring words of one charset are decoded together: mail programs cut a
// long value into words wherever its bytes fall, a character's bytes included.
QString decodeMimeWords(const QByteArray& value);

// "message:" + the percent-encoded Message-ID, or "message:" + the SHA-1 of the bytes in hex.
QString mailUid(const QByteArray& message, const MailHeaders& headers);

} // namespace tallomer
