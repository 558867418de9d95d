#pragma once
// Moves and copies of files and folders into a folder that lose nothing and overwrite nothing.
//
// A move within one file system is one rename that never replaces. A copy, or a move to another
// file system, is written under a hidden temporary name in the destination folder (the name the
// caller gives, which starts with kTransferTempPrefix so that leftovers can be told apart), synced,
// read back and compared with the source (size and checksum), and only then renamed to its final
// name, again never replacing; the folder is synced after. A cross-device move leaves the source
// in place: the caller removes it (removeTransferredSource) once the copy is in place and its
// record names it, so that a crash at any moment leaves every byte whole in one place or the other.
// Folders go recursively alike; symbolic links stay links; FIFOs, sockets and devices are refused.
// The modification time is copied (Linux sets no birth time).

#include "platform/files/FileMoves.h"
#include "platform/files/FileResult.h"

#include <QString>

#include <atomic>

namespace tallomer {

inline constexpr const char* kTransferTempPrefix = ".tallomer-transfer-";

// A temporary name in `folder` for one transfer (the path is not created).
QString transferTempPath(const QString& folder);
bool isTransferTempName(const QString& fileName);

struct TransferOutcome {
    bool ok = false;
    // A move that went by copy: the source is still there, for the caller to remove.
    bool sourceLeft = false;
    QString error;
};

// Puts `source` at `target` (a path that should not exist; a name taken meanwhile is a failure).
// `temp` is the temporary path for the copy (transferTempPath of target's folder). `cancel`,
// when given and set, stops a copy between blocks; nothing is left at temp or target then.
TransferOutcome transferNoReplace(const QString& source, const QString& target, const QString& temp, bool move,
                                  const std::atomic<bool>* cancel = nullptr, const RenameFn& rename = systemRename());

// The source of a move that went by copy, removed (a folder with all it holds).
FileResult removeTransferredSource(const QString& source);

// Undoes a transfer that ended well but cannot be kept: a move made by one rename is renamed back
// to `source` (never replacing), anything else (a copy, a move whose source was left) loses its
// copy at `target`, so the source is once more the one place of the bytes.
FileResult takeBackTransfer(const QString& source, const QString& target, bool renamed);

// Whether `folder` is `source` or lies inside it (a folder cannot go into itself).
bool isSameOrInside(const QString& folder, const QString& source);

// The size in bytes of a file, or of all the files of a folder; 0 when unreadable.
qint64 transferSize(const QString& path);

} // namespace tallomer
