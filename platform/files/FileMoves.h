#pragma once
// Moves that lose nothing: a file moved to another file system is copied, checked and only then
// removed from where it was; a folder that takes another's place is swapped in, the old one kept
// until the swap has succeeded.

#include "platform/files/FileResult.h"

#include <QString>

#include <functional>

namespace tallomer {

// rename(2)/renameat2(2) as the moves call it (flags 0, RENAME_NOREPLACE or RENAME_EXCHANGE);
// answers 0 or -1 with errno set. Tests put failures in its place.
using RenameFn = std::function<int(const QByteArray& from, const QByteArray& to, unsigned flags)>;
RenameFn systemRename();

// Moves the file (or symbolic link) at `from` to `to`, never replacing anything there. Across file
// systems the copy is written under a temporary name, its size checked, named, and then the source
// is removed; any failure keeps the source and leaves nothing at `to`.
FileResult moveFileNoReplace(const QString& from, const QString& to, const RenameFn& rename = systemRename());

// Puts the folder `incoming` in the place of `current` (both in one file system). With an atomic
// exchange where the file system has one; else `current` goes to a backup name beside it,
// `incoming` takes its place, and the backup is put back when that fails. The old contents end up
// at `*oldLeftAt` (for the caller to remove) only when the swap succeeded; on failure `current`
// holds what it held before, whenever the file system lets it be put back.
FileResult swapFolderInto(const QString& incoming, const QString& current, QString* oldLeftAt,
                          const RenameFn& rename = systemRename());

// Removes a tree without following symbolic links; true when nothing is left.
bool removeTree(const QString& path);

} // namespace tallomer
