#pragma once
// Browser bookmarks as they travel on the pasteboard: text/x-moz-url (UTF-16 lines, a URL then
// its title, as many pairs as links) and the older _NETSCAPE_URL (UTF-8, one URL and a title).
// Outside input: the lines, their number and their length are bounded.

#include <QByteArray>
#include <QList>
#include <QString>

namespace tallomer {

struct PastedBookmark {
    QString url;   // as written; the caller parses it
    QString title; // empty when none came
    bool operator==(const PastedBookmark&) const = default;
};

inline constexpr qsizetype kMaxBookmarkBytes = 4 * 1024 * 1024;
inline constexpr qsizetype kMaxBookmarks = 1000;
inline constexpr qsizetype kMaxBookmarkLineChars = 64 * 1024;

// UTF-16 in either byte order (a byte-order mark says which; little-endian without one), or
// UTF-8 when the bytes cannot be UTF-16. Pairs whose URL line is empty or overlong are dropped.
// At most kMaxBookmarks, with `leftOut` told how many more pairs there were.
QList<PastedBookmark> parseMozUrl(const QByteArray& data, qsizetype* leftOut = nullptr);
QList<PastedBookmark> parseNetscapeUrl(const QByteArray& data);

// The links as browsers write text/x-moz-url: UTF-16 in the machine's byte order without a mark,
// each URL line followed by its title line. A title keeps no line break of its own.
QByteArray mozUrlData(const QList<PastedBookmark>& links);

} // namespace tallomer
