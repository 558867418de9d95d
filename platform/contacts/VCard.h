#pragma once
// vCards (versions 3 and 4), read for what the program needs of a contact: its UID, the names it
// is titled by, whether it is a company, and its revision date. Each card keeps its own bytes, so
// that it can be stored exactly as it came. Outside input: the bytes, the number of cards, of
// lines and the length of a line are bounded.

#include "runtime/Date.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

namespace tallomer {

inline constexpr qsizetype kMaxVCardBytes = 4 * 1024 * 1024;
inline constexpr qsizetype kMaxVCards = 1000;
inline constexpr int kMaxVCardLines = 20000;
inline constexpr qsizetype kMaxVCardLineChars = 64 * 1024;

struct VCard {
    // The card's UID, or "urn:sha1:" and the SHA-1 of its bytes when it has none.
    QString uid;
    bool hasOwnUid = false;
    QString givenName;
    QString familyName;
    QString organization;
    // "individual" (also when the card says nothing), "org", or another KIND the card gives.
    QString kind = QStringLiteral("individual");
    std::optional<KELDate> revision;
    // From BEGIN:VCARD to END:VCARD, as it came.
    QByteArray bytes;
};

// Every complete card of the data, in order; UTF-8 text with CRLF or LF line ends.
QList<VCard> parseVCards(const QByteArray& data);

// The title a contact is shown with: given and family names as "given family", each "?" when
// missing; a company's organization, or "No organization name"; "No name" (and a log line) for a
// card that is neither.
QString vcardTitle(const VCard& card);

} // namespace tallomer
