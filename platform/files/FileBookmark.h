#pragma once
// A "bookmark" finds a file again after it was renamed or moved: the path it had and its identity
// (FileIdentity.h). Resolving trusts the path while the same file is still there; otherwise it
// looks for the identity in a few likely folders, within a fixed budget so that a start-up with
// many lost files stays quick, and never leaves the file system the file lived on.
//
// Bytes (toBytes): a CBOR map, version 1:
//   "v": 1, "path": text, "dev": [major, minor], "ino": integer,
//   "birth": [seconds, nanoseconds]   (only when the file system keeps a birth time)

#include "platform/files/FileIdentity.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

namespace tallomer {

class FileBookmark {
public:
    FileBookmark(QString path, FileIdentity identity);

    // Absent when there is no file at path. The path is made absolute and clean.
    static std::optional<FileBookmark> fromPath(const QString& path);
    // Absent when the bytes are damaged or of an unknown version.
    static std::optional<FileBookmark> fromBytes(const QByteArray& bytes);

    QByteArray toBytes() const;

    const QString& path() const { return path_; }
    const FileIdentity& identity() const { return identity_; }

private:
    QString path_;
    FileIdentity identity_;
};

// Where and how far a lost file is looked for.
struct BookmarkSearch {
    // Searched in this order, after the folder the file was last seen in. Missing folders are skipped.
    QStringList roots;
    int maxDepth = 6;            // folder levels below each root
    qsizetype maxEntries = 50000; // directory entries examined in all, over every root

    // The drop folder ~/Tallomer, the store folder, then the home folder.
    static BookmarkSearch standard(const QString& storeFolder);
};

struct ResolvedBookmark {
    QString path;
    FileIdentity identity;
    // The bookmark no longer describes the file (other path or other identity): rewrite the record.
    bool stale = false;
};

// 1. the recorded path, when the file there has the recorded identity;
// 2. the identity, searched breadth first in the old parent folder and then the roots
//    (symbolic links are not followed; hidden folders below a root and folders tagged with
//    CACHEDIR.TAG are skipped);
// 3. the recorded path itself when a file is still there under a new identity (a program that
//    saves by replacing the file gives it a new inode);
// else absent.
std::optional<ResolvedBookmark> resolveBookmark(const FileBookmark& bookmark,
                                                const BookmarkSearch& search);

} // namespace tallomer
