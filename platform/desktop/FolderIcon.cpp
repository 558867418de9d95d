#include "platform/desktop/FolderIcon.h"

#include "runtime/Log.h"
#include "platform/files/GeneratedFiles.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace tallomer {

QByteArray FolderIcon::directoryFileWithIcon(const QByteArray& existing, const QString& iconPath)
{
    const QByteArray iconLine = "Icon=" + iconPath.toUtf8();
    QList<QByteArray> lines = existing.split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();

    int groupStart = -1;
    for (int i = 0; i < lines.size(); ++i)
        if (lines[i].trimmed() == "[Desktop Entry]") {
            groupStart = i;
            break;
        }

    if (groupStart < 0) {
        lines.prepend("");
        lines.prepend(iconLine);
        lines.prepend("[Desktop Entry]");
        if (lines.last().isEmpty())
            lines.removeLast();
    } else {
        int end = groupStart + 1;
        bool replaced = false;
        for (; end < lines.size() && !lines[end].trimmed().startsWith('['); ++end) {
            const QByteArray key = lines[end].split('=').first().trimmed();
            if (key == "Icon") {
                lines[end] = iconLine;
                replaced = true;
            }
        }
        if (!replaced)
            lines.insert(groupStart + 1, iconLine);
    }
    return lines.join('\n') + '\n';
}

FolderIcon::Result FolderIcon::setIcon(const QString& folderPath, const QString& iconPath)
{
    return setIcon(folderPath, iconPath, Options());
}

FolderIcon::Result FolderIcon::setIcon(const QString& folderPath, const QString& iconPath,
                                       const Options& options)
{
    Result result;
    const QString dirFile = folderPath + "/.directory";

    QByteArray existing;
    QFile in(dirFile);
    if (in.exists() && in.open(QIODevice::ReadOnly))
        existing = in.readAll();
    const QByteArray text = directoryFileWithIcon(existing, iconPath);
    if (const FileResult written = writeFileAtomically(dirFile, text))
        result.directoryFileWritten = true;
    else
        logFormat("FolderIcon: %s", qPrintable(written.error));

    const QString gio = options.gioProgram.isEmpty() ? QStandardPaths::findExecutable("gio")
                                                     : options.gioProgram;
    if (gio.isEmpty())
        return result; // no GIO here: the .directory entry is all there is

    QProcess proc;
    proc.setProcessChannelMode(QProcess::MergedChannels);
    proc.start(gio, {"set", folderPath, "metadata::custom-icon",
                     QString::fromUtf8(QUrl::fromLocalFile(iconPath).toEncoded())});
    if (!proc.waitForStarted(options.gioTimeoutMs)) {
        logFormat("FolderIcon: cannot start %s: %s", qPrintable(gio), qPrintable(proc.errorString()));
        return result;
    }
    result.gioRan = true;
    if (!proc.waitForFinished(options.gioTimeoutMs)) {
        proc.kill();
        proc.waitForFinished(500);
        logFormat("FolderIcon: gio set on %s did not finish in %d ms; stopped", qPrintable(folderPath),
                  options.gioTimeoutMs);
        return result;
    }
    if (proc.exitStatus() == QProcess::NormalExit && proc.exitCode() == 0) {
        result.gioSucceeded = true;
    } else {
        logFormat("FolderIcon: gio set on %s failed (%d): %s", qPrintable(folderPath), proc.exitCode(),
                  proc.readAll().trimmed().constData());
    }
    return result;
}

QString FolderIcon::keepCopy(const QString& sourceIcon, const QString& copyFolder)
{
    QFile in(sourceIcon);
    if (!in.open(QIODevice::ReadOnly)) {
        logFormat("FolderIcon: cannot read %s: %s", qPrintable(sourceIcon), qPrintable(in.errorString()));
        return {};
    }
    const QByteArray bytes = in.readAll();
    const QString copy = copyFolder + "/" + QFileInfo(sourceIcon).fileName();
    QFile existing(copy);
    if (existing.open(QIODevice::ReadOnly) && existing.readAll() == bytes)
        return copy;
    existing.close();
    const FileResult written = writeFileAtomically(copy, bytes);
    if (!written) {
        logFormat("FolderIcon: %s", qPrintable(written.error));
        return {};
    }
    return copy;
}

} // namespace tallomer
