#pragma once
// A file's identity: what stays the same when the file is renamed or moved within its file system.
// Device and inode name the file; the birth time tells a file apart from a later one that happens
// to reuse a freed inode. The change time is deliberately not used where a file system keeps no
// birth time: rename(2) updates it, so it would break the one promise an identity makes.

#include "runtime/Date.h"

#include <QString>

#include <cstdint>
#include <optional>

namespace tallomer {

struct FileIdentity {
    std::uint32_t deviceMajor = 0;
    std::uint32_t deviceMinor = 0;
    std::uint64_t inode = 0;
    bool hasBirth = false;
    std::int64_t birthSeconds = 0;
    std::uint32_t birthNanoseconds = 0;
    // false for a named pipe, a socket or a device: nothing a user keeps, and opening one may wait
    // for ever.
    bool fileOrFolder = true;

    // The uid text kept in records and indexes, e.g. "259:2/1835012/1701434805.123456789".
    // Never empty.
    QString uid() const;

    // Same device and inode, and the same birth when both sides know it.
    bool sameFile(const FileIdentity& other) const;

    bool operator==(const FileIdentity&) const = default;
};

enum class SymlinkMode { Follow, NoFollow };

// The identity of the file at path; absent when nothing is there (or it cannot be examined).
std::optional<FileIdentity> fileIdentity(const QString& path, SymlinkMode mode = SymlinkMode::Follow);

// The identity of the entry `name` of the open folder dirFd (for walks over a folder's entries).
std::optional<FileIdentity> fileIdentityAt(int dirFd, const char* name, SymlinkMode mode = SymlinkMode::Follow);

// The uid of the file at path; the empty string when there is no file.
QString fileUid(const QString& path);

// The dates the file system keeps for a file, as seconds since 2001-01-01 UTC.
struct FileDates {
    std::optional<KELDate> created;  // birth time; absent where the file system keeps none
    std::optional<KELDate> modified; // content modification time
    std::optional<KELDate> lastUsed; // access time
};

// Absent when there is no file at path.
std::optional<FileDates> fileDates(const QString& path);

} // namespace tallomer
