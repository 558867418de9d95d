#pragma once
// Files chosen through the menu's Import become file Objects on a desk: each file the current
// Channel does not know yet, at a random place, present from its creation date for fourteen days.

#include "engine/KELTypes.h"

#include <QRectF>
#include <QSizeF>
#include <QStringList>

#include <functional>

namespace tallomer {

class ZEVDeskViewer;

namespace deskimport {

// How long an imported file's icon stays on the desk.
inline constexpr KELDate kImportDuration = 1209600.0;

// The files of a choice, in its order: a folder is walked all levels deep (hidden entries
// skipped, linked folders not followed, a folder met again not walked twice); the folders
// themselves are left out. Pipes, sockets and devices are left out too, and their paths go to
// `refused` when given.
QStringList filesOfChoice(const QStringList& chosen, QStringList* refused = nullptr);

// A random rectangle 100 wide on a desk of that size; on a desk of 100 points or less in a
// direction the place is 0 there.
QRectF randomRect(const QSizeF& desk, const std::function<unsigned()>& random);

// One Object for the file; false when the Channel already knows it (by uid, then by path) or
// nothing could be made (logged).
bool createNewItemWithFileURL(ZEVDeskViewer& desk, const QString& path, const QRectF& position);

// The whole walk of a choice onto the desk; answers how many Objects were made. What is neither
// a file nor a folder goes to `refused`, as with filesOfChoice.
int importChoice(ZEVDeskViewer& desk, const QStringList& chosen, const std::function<unsigned()>& random,
                 QStringList* refused = nullptr);

} // namespace deskimport
} // namespace tallomer
