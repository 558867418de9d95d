#include "desk/data/ZEVItemDataSupport.h"

#include "desk/data/ZEVItemDataChannels.h"
#include "runtime/Log.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace tallomer::itemdata {

bool isRecordKind(const QString& kind)
{
    return kind == kFile || kind == kHttp || kind == kZevp || kind == kMessage || kind == kPerson;
}

void say(const QString& line) { logLine(line.toStdString()); }

QString cleanPath(const QString& path)
{
    if (path.isEmpty())
        return path;
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

bool isWebPage(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix();
    return suffix.compare(QLatin1String("html"), Qt::CaseInsensitive) == 0
        || suffix.compare(QLatin1String("htm"), Qt::CaseInsensitive) == 0;
}

QUrl webUrl(const QString& text)
{
    if (text.isEmpty())
        return {};
    const QUrl url(text, QUrl::StrictMode);
    if (!url.isValid() || url.scheme().isEmpty())
        return {};
    return url;
}

QString trashFolder()
{
    const QString& trash = ZEVItemDataChannels::Folders().trash;
    return trash.isEmpty()
        ? QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/Trash")
        : trash;
}

// The drop folder, the store, the Trash (hidden below the home, so the home's walk skips it), then
// the home.
BookmarkSearch lostFileSearch()
{
    const ZEVItemDataFolders& folders = ZEVItemDataChannels::Folders();
    BookmarkSearch search;
    search.roots << folders.zevFolder << folders.zevDir << trashFolder() + QStringLiteral("/files")
                 << QDir::homePath();
    return search;
}

} // namespace tallomer::itemdata
