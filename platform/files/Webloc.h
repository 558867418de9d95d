#pragma once
// .webloc files: an XML property list (version 1.0) whose root dictionary holds one key, "URL",
// with the web address as its string.

#include "platform/files/FileResult.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace tallomer {

inline constexpr qint64 kMaxWeblocBytes = 1024 * 1024;

QByteArray weblocData(const QString& url);
// The "URL" string of the root dictionary; absent for anything else.
std::optional<QString> parseWebloc(const QByteArray& data);

// Writes atomically; the caller picks the path (uniquePathInFolder) so nothing else is replaced.
FileResult writeWeblocFile(const QString& path, const QString& url);
// Writes a new file at exactly path, whole under a temporary name first, and never replaces
// anything there (a file appearing meanwhile included).
FileResult writeNewWeblocFile(const QString& path, const QString& url);
std::optional<QString> readWeblocFile(const QString& path);

} // namespace tallomer
