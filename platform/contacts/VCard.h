#pragma once
// vCards (versions 3 and 4), read for what the program needs of a contact: its UID, the names it
// is titled by, whether it is a company, its revision date and the photo it carries. Each card
// keeps its own bytes, so that it can be stored exactly as it came. Outside input: the bytes, the
// number of cards, of lines and the length of a line are bounded (a PHOTO line only by the bytes).

#include "runtime/Date.h"

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QSize>
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
    // The photo carried in the card itself (vCard 3 ENCODING=b, vCard 4 data: URI), still in
    // base64, and the image type the card names ("jpeg"; empty: told by the bytes). Empty when
    // the card has none or only points elsewhere: a photo's URI is never fetched.
    QByteArray photoBase64;
    QByteArray photoType;
    // From BEGIN:VCARD to END:VCARD, as it came.
    QByteArray bytes;
};

// Every complete card of the data, in order; UTF-8 text with CRLF or LF line ends. At most
// kMaxVCards cards and kMaxVCardLines lines are read.
QList<VCard> parseVCards(const QByteArray& data, qsizetype* leftOut = nullptr);
// With `leftOut`: how many cards began past those bounds (and so were not read).

// The title a contact is shown with: given and family names as "given family", each "?" when
// missing; a company's organization, or "No organization name"; "No name" (and a log line) for a
// card that is neither.
QString vcardTitle(const VCard& card);

// The card's photo, decoded under the picture bounds and fitted within `size` (the whole picture
// when size is empty); absent when it has none or it is no picture those bounds let through.
std::optional<QImage> vcardPhoto(const VCard& card, const QSize& size = {});

// The card's bytes with its UID and REV lines replaced by `uid` and `revision` (UTC), added before
// END:VCARD when missing.
QByteArray vcardWithUidAndRevision(const QByteArray& bytes, const QString& uid, KELDate revision);

} // namespace tallomer
