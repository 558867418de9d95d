#pragma once
// Files the Object data store generates in an Object's own folder: images, rich text, links.
// Encoders answer bytes (empty on failure); writing goes through writeNewFile (SafeFileName.h),
// which never overwrites, or writeFileAtomically for a file the Object owns and replaces.

#include "platform/files/FileResult.h"

#include <QByteArray>
#include <QImage>
#include <QString>

namespace tallomer {

inline constexpr int kDeskImageJpegQuality = 50;

// Creates the folder and any missing folders above it; an existing folder is fine.
FileResult ensureFolder(const QString& path);

// Replaces path (the target, when path is a symbolic link) with bytes through a temporary file
// synced to the disk before it takes the name: readers, and a crash, see the old file or the new
// one. On failure (a full disk among them) the old file is left as it was and nothing else stays.
FileResult writeFileAtomically(const QString& path, const QByteArray& bytes);

// Empty when the image is null or the format's image plugin is missing.
QByteArray tiffData(const QImage& image);
QByteArray jpegData(const QImage& image, int quality = kDeskImageJpegQuality);

} // namespace tallomer
