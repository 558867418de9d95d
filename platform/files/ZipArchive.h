#pragma once
// Zip archives of a whole folder, written and read with libarchive. Both calls block and touch no
// widget, so they may run off the main thread.
//
// Writing stores every entry below the folder by its path relative to it, in UTF-8, with zip64
// extensions where an entry needs them; symbolic links are stored as links and never followed.
// The archive is written under a hidden temporary name beside the target and takes the target's
// name only once it is complete: a failure leaves no partial archive.
//
// Reading treats the archive as outside input: entries with "..", absolute paths, an entry whose
// folders include a link, hard links, devices, FIFOs and paths too long for the system to name
// whole are refused, and so is an archive whose contents would pass the size bound. A link is refused when its target is absolute or, followed
// through the links the archive placed before it, leads out of the destination; once every entry
// is in place each link is followed again, so that no path below the destination leads out of it
// whatever order the links came in. A refused archive may have left some entries in the
// destination: the caller removes it.

#include "platform/files/FileResult.h"

#include <QMap>
#include <QString>
#include <QStringList>

namespace tallomer {

struct ZipWriteRequest {
    QString folder; // whose contents are archived
    QString target; // the archive's path; an existing file there is replaced once the new one is whole
    // Names relative to folder left out (files only, matched exactly).
    QStringList skip;
    // Names relative to folder whose contents are taken from another file (a snapshot).
    QMap<QString, QString> substitutes;
};

FileResult writeZipArchive(const ZipWriteRequest& request);

struct ZipLimits {
    qint64 maxTotalBytes = 0;    // the sum of the entries' sizes, declared and written
    qint64 maxEntries = 1000000;
};

// Unpacks archive into destination, an existing folder (empty, as the caller made it).
FileResult unpackZipArchive(const QString& archive, const QString& destination, const ZipLimits& limits);

// Whether a link target stored at entry path `entry` stays inside the tree: relative, and never
// climbing above the tree's top.
bool linkStaysInside(const QString& entry, const QString& target);

} // namespace tallomer
