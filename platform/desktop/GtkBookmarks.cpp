#include "platform/desktop/GtkBookmarks.h"

#include "platform/files/GeneratedFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QUrl>

namespace tallomer {

namespace {
QString normalised(const QString& path)
{
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

// The list as it is on the disk, empty when there is none. The list is rewritten from what is read
// here: a list read only in part, or a named pipe that would wait for a writer, is refused.
bool readList(const QString& path, QByteArray* list, QString* error)
{
    list->clear();
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return true;
    QFile in(path);
    if (!info.isFile() || !in.open(QIODevice::ReadOnly)) {
        if (error)
            *error = info.isFile() ? in.errorString() : QStringLiteral("%1 is not a plain file").arg(path);
        return false;
    }
    *list = in.readAll();
    if (in.error() != QFileDevice::NoError) {
        if (error)
            *error = in.errorString();
        return false;
    }
    return true;
}
} // namespace

QString GtkBookmarks::bookmarksPath()
{
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (config.isEmpty() || !QDir::isAbsolutePath(config))
        config = QDir::homePath() + "/.config";
    return config + "/gtk-3.0/bookmarks";
}

QString GtkBookmarks::localPathOfLine(const QString& line)
{
    const QString trimmed = line.trimmed();
    const QString uri = trimmed.section(' ', 0, 0);
    const QUrl url(uri, QUrl::StrictMode);
    if (!url.isValid() || !url.isLocalFile())
        return {};
    return normalised(url.toLocalFile());
}

GtkBookmarks::Result GtkBookmarks::addFolder(const QString& folderPath, QString* error)
{
    const QString path = bookmarksPath();
    const QString wanted = normalised(folderPath);

    if (!QDir().mkpath(QFileInfo(path).absolutePath())) {
        if (error)
            *error = QStringLiteral("cannot create folder %1").arg(QFileInfo(path).absolutePath());
        return Result::CannotOpenList;
    }

    QByteArray old;
    if (!readList(path, &old, error))
        return Result::CannotOpenList;

    const QList<QByteArray> lines = old.split('\n');
    for (const QByteArray& line : lines)
        if (localPathOfLine(QString::fromUtf8(line)) == wanted)
            return Result::AlreadyPresent;

    QByteArray out = QUrl::fromLocalFile(wanted).toEncoded() + '\n';
    out += old;
    if (!old.isEmpty() && !old.endsWith('\n'))
        out += '\n';

    // Written whole or not at all, so a failure never leaves the list cut short.
    if (const FileResult written = writeFileAtomically(path, out); !written) {
        if (error)
            *error = written.error;
        return Result::CannotInsert;
    }
    return Result::Added;
}

bool GtkBookmarks::removeFolder(const QString& folderPath, QString* error)
{
    const QString path = bookmarksPath();
    QByteArray old;
    if (!readList(path, &old, error))
        return false;
    const QByteArray ours = QUrl::fromLocalFile(normalised(folderPath)).toEncoded();
    QByteArray out;
    bool removed = false;
    const QList<QByteArray> lines = old.split('\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (lines.at(i).trimmed() == ours) {
            removed = true;
            continue;
        }
        out += lines.at(i);
        if (i + 1 < lines.size())
            out += '\n';
    }
    if (!removed)
        return true;
    if (const FileResult written = writeFileAtomically(path, out); !written) {
        if (error)
            *error = written.error;
        return false;
    }
    return true;
}

} // namespace tallomer
