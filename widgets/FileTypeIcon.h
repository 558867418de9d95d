#pragma once
// The icon of a file type, as the desktop's theme draws it: shared by the application and the
// inspectors' tables.

#include <QIcon>
#include <QString>

namespace tallomer {

// `type` is an extension or a MIME type name: "" gives a folder, "app" an application.
QIcon iconForFileType(const QString& type);

} // namespace tallomer
