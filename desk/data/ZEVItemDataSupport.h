#pragma once
// What the pieces of the Object data store share inside desk/data: the record names, the tests of
// paths and web addresses, and where a lost file is looked for. Not for use outside the store.

#include "engine/KELTypes.h"
#include "platform/files/FileBookmark.h"

#include <QString>
#include <QUrl>

namespace tallomer::itemdata {

// Record kinds: the extension of a record file.
inline const QString kFile = QStringLiteral("file");
inline const QString kHttp = QStringLiteral("http");
inline const QString kZevp = QStringLiteral("zevp");
inline const QString kMessage = QStringLiteral("message");
inline const QString kPerson = QStringLiteral("ABPerson");

// Record fields.
inline const QString kBookmark = QStringLiteral("bookmark");
inline const QString kPath = QStringLiteral("path");
inline const QString kUid = QStringLiteral("uid");
inline const QString kHttpPath = QStringLiteral("httpPath");

bool isRecordKind(const QString& kind);

void say(const QString& line);

// Absolute and without "." or ".." parts; empty stays empty.
QString cleanPath(const QString& path);
bool isWebPage(const QString& path);
// A web address kept as text; an empty URL for text that is none.
QUrl webUrl(const QString& text);
inline QString idText(KELId id) { return QString::number(id); }

// The user's Trash folder.
QString trashFolder();
// Where a lost file is looked for.
BookmarkSearch lostFileSearch();

} // namespace tallomer::itemdata
