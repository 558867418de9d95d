#pragma once
// A mail message dropped or pasted as message/rfc822: only its header is read, and only so much
// of it (outside input). The Object made for it is found again by its uid: "message:" and the
// percent-encoded Message-ID, or the SHA-1 of the message's bytes when it has none.

#include "runtime/Date.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace tallomer {

inline constexpr qsizetype kMaxMailBytes = 64 * 1024 * 1024;
inline constexpr qsizetype kMaxMailHeaderBytes = 256 * 1024;
inline constexpr int kMaxMailHeaderFields = 4000;

struct MailHeaders {
    QString messageId;             // trimmed, brackets kept; empty when none
    QString subject;               // decoded; null when the message has no Subject field
    std::optional<KELDate> date;   // the Date field, when it reads as a date
};

// The fields above from the header (up to the first empty line, at most kMaxMailHeaderBytes).
MailHeaders readMailHeaders(const QByteArray& message);

// A header value with its encoded words (RFC 2047, "=?charset?B|Q?text?=") decoded; the rest is
// read as UTF-8.
QString decodeMimeWords(const QByteArray& value);

// "message:" + the percent-encoded Message-ID, or "message:" + the SHA-1 of the bytes in hex.
QString mailUid(const QByteArray& message, const MailHeaders& headers);

} // namespace tallomer
