#include "widgets/FileTypeIcon.h"

#include <QApplication>
#include <QMimeDatabase>
#include <QStyle>

namespace tallomer {

QIcon iconForFileType(const QString& type)
{
    QStyle* style = QApplication::style();
    if (type.isEmpty())
        return QIcon::fromTheme(QStringLiteral("folder"), style ? style->standardIcon(QStyle::SP_DirIcon) : QIcon());
    if (type == QLatin1String("app"))
        return QIcon::fromTheme(QStringLiteral("application-x-executable"),
                                style ? style->standardIcon(QStyle::SP_DesktopIcon) : QIcon());
    const QMimeDatabase db;
    QMimeType mime = db.mimeTypeForName(type);
    if (!mime.isValid())
        mime = db.mimeTypeForFile(QStringLiteral("file.") + type, QMimeDatabase::MatchExtension);
    const QIcon fallback = style ? style->standardIcon(QStyle::SP_FileIcon) : QIcon();
    QIcon icon = QIcon::fromTheme(mime.iconName());
    if (icon.isNull())
        icon = QIcon::fromTheme(mime.genericIconName(), fallback);
    return icon;
}

} // namespace tallomer
