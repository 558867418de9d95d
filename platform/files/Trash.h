#pragma once
// Moving to the Trash: the freedesktop trash of the user ($XDG_DATA_HOME/Trash, or the trash at
// the top of another mounted volume), so the user can still put things back.

#include "platform/files/FileResult.h"

#include <QString>

namespace tallomer {

// Moves a file or a whole folder. On success trashedPath (when given) receives where it now lies.
FileResult moveToTrash(const QString& path, QString* trashedPath = nullptr);

} // namespace tallomer
