#include "platform/files/Trash.h"

#include "platform/files/FileIdentity.h"

#include <QFile>

namespace tallomer {

FileResult moveToTrash(const QString& path, QString* trashedPath)
{
    // A dangling symbolic link is still something to throw away; QFile::exists would say no.
    if (path.isEmpty() || !fileIdentity(path, SymlinkMode::NoFollow))
        return FileResult::failure(QStringLiteral("nothing to move to the Trash at %1").arg(path));
    QFile file(path);
    if (!file.moveToTrash()) {
        return FileResult::failure(QStringLiteral("cannot move %1 to the Trash: %2")
                                       .arg(path, file.errorString()));
    }
    if (trashedPath)
        *trashedPath = file.fileName();
    return FileResult::success();
}

} // namespace tallomer
