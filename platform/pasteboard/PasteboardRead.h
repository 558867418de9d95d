#pragma once
// What a drop or the clipboard carries, read from its MIME types into typed lists: the one table
// of the types the program reads. Everything here is outside input (any program can put any bytes
// under any type, ours included): each type is read only within its bounds, and a type over its
// bound, or unreadable, gives nothing.
//
//   list            MIME types, in the order tried
//   urls            text/uri-list
//   bookmarks       text/x-moz-url, else _NETSCAPE_URL
//   bitmaps         image/png, then any other image/* Qt reads (one picture); an in-process
//                   picture (application/x-qt-image) only when no image/* type came
//   pdfs            application/pdf
//   itemRecords     our private type (kItemPasteboardType), the bytes as they came
//   messages        message/rfc822
//   vcards          text/vcard, else text/x-vcard (one entry per card)
//   attributed      text/html, else text/rtf (or application/rtf), else text/plain
//   strings         text/plain (UTF-8, or the charset the type names)
// Music tracks have no type of their own here: music files come as file URLs.

#include "platform/contacts/VCard.h"
#include "platform/files/RtfWriter.h"
#include "platform/pasteboard/MozUrl.h"

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QStringList>
#include <QUrl>

class QMimeData;

namespace tallomer::mime {
inline constexpr char kUriList[] = "text/uri-list";
inline constexpr char kMozUrl[] = "text/x-moz-url";
inline constexpr char kNetscapeUrl[] = "_NETSCAPE_URL";
inline constexpr char kPng[] = "image/png";
inline constexpr char kQtImage[] = "application/x-qt-image";
inline constexpr char kPdf[] = "application/pdf";
inline constexpr char kMessage[] = "message/rfc822";
inline constexpr char kVCard[] = "text/vcard";
inline constexpr char kXVCard[] = "text/x-vcard";
inline constexpr char kHtml[] = "text/html";
inline constexpr char kRtf[] = "text/rtf";
inline constexpr char kApplicationRtf[] = "application/rtf";
inline constexpr char kPlain[] = "text/plain";
inline constexpr char kPlainUtf8[] = "text/plain;charset=utf-8";
} // namespace tallomer::mime

namespace tallomer {

inline constexpr qsizetype kMaxUriListBytes = 4 * 1024 * 1024;
inline constexpr qsizetype kMaxUris = 10000;
inline constexpr qsizetype kMaxPdfBytes = 64 * 1024 * 1024;
inline constexpr qsizetype kMaxItemRecordBytes = 64 * 1024 * 1024;
inline constexpr qsizetype kMaxPlainTextBytes = 4 * 1024 * 1024;

struct PasteboardContents {
    QList<QUrl> urls;
    QList<PastedBookmark> bookmarks;
    QList<QImage> bitmaps;
    QList<QByteArray> pdfs;
    QByteArray itemRecords;
    QList<QByteArray> messages;
    QList<VCard> vcards;
    QList<QList<RtfRun>> attributed;
    QStringList strings;
    // How many addresses, bookmarks and contacts came past the bounds, and so are not in the lists.
    qsizetype urlsLeftOut = 0;
    qsizetype bookmarksLeftOut = 0;
    qsizetype vcardsLeftOut = 0;
    // The cards of a vCard payload larger than kMaxVCardBytes, none of which is read.
    qsizetype vcardsTooLarge = 0;
    // The cards begun within the bounds that make no card (no end, no name): none is read.
    qsizetype vcardsDamaged = 0;
};

PasteboardContents readPasteboard(const QMimeData* data);

// The URLs of a text/uri-list: one per line, comments and blank lines skipped; at most kMaxUris,
// with `leftOut` told how many more lines there were.
QList<QUrl> parseUriList(const QByteArray& data, qsizetype* leftOut = nullptr);

// The plain text of styled runs.
QString plainText(const QList<RtfRun>& runs);

} // namespace tallomer
