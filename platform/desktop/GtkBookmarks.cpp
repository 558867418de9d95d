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
    QFile in(path);
    if (in.exists()) {
        if (!in.open(QIODevice::ReadOnly)) {
            if (error)
                *error = in.errorString();
            return Result::CannotOpenList;
        }
        old = in.readAll();
        in.close();
    }

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
    QFile in(path);
    if (!in.exists())
        return true;
    if (!in.open(QIODevice::ReadOnly)) {
        if (error)
            *error = in.errorString();
        return false;
    }
    const QByteArray old = in.readAll();
    in.close();
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
