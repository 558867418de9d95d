#pragma once
// File names that come from outside text (an Object's title, a name a web server suggests, the
// name of a pasted image) are made safe before they touch the file system: they name one entry
// inside the folder they are meant for, never a path elsewhere, and never replace another file.

#include "platform/files/FileResult.h"

#include <QByteArray>
#include <QString>

namespace tallomer {

inline constexpr qsizetype kMaxFileNameBytes = 255;

// The last path component of name, without NUL or control characters, without leading dots and
// surrounding blanks, at most 255 bytes of UTF-8 (cut on a character boundary, keeping a short
// extension). When nothing usable is left: fallback, made safe the same way ("untitled" if that
// fails too).
QString safeFileName(const QString& name, const QString& fallback = QStringLiteral("untitled"));

// folder + "/" + safeFileName(name): always an entry directly inside folder.
QString pathInFolder(const QString& folder, const QString& name);

// A path inside folder for safeFileName(name) where nothing exists yet (not even a dangling
// symbolic link): "name.ext", then "name (1).ext", "name (2).ext" ... Empty when the folder is
// missing or no free name was found.
QString uniquePathInFolder(const QString& folder, const QString& name);

// Writes bytes to a new file at uniquePathInFolder(folder, name): written whole under a hidden
// temporary name, then named in one step that never replaces a file appearing meanwhile.
// writtenPath (when given) receives the path.
FileResult writeNewFile(const QString& folder, const QString& name, const QByteArray& bytes,
                        QString* writtenPath = nullptr);

// Names the finished file at `from` (a temporary file inside folder) in one step: as
// pathInFolder(folder, name) replacing the file there when that path is `replaceable` (a file the
// caller owns), else at uniquePathInFolder(folder, name), never replacing a file appearing
// meanwhile. writtenPath (when given) receives the path. On failure `from` is left as it was.
FileResult nameNewFile(const QString& from, const QString& folder, const QString& name,
                       const QString& replaceable = QString(), QString* writtenPath = nullptr);

// A temporary file is private to its owner; the file it becomes gets the ordinary mode of the
// user's new files (0666 less the process's mask). false when the mode cannot be set.
bool setOrdinaryFileMode(int fd);

} // namespace tallomer
