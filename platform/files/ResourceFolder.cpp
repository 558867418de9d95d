#include "platform/files/ResourceFolder.h"

#include <QDir>
#include <QFileInfo>

// Both come from the build configuration (platform/CMakeLists.txt); the defaults are the usual
// GNU layout, for a compiler run outside it.
#ifndef TALLOMER_BIN_TO_DATA
#define TALLOMER_BIN_TO_DATA "../share/tallomer"
#endif
#ifndef TALLOMER_INSTALLED_DATA_DIR
#define TALLOMER_INSTALLED_DATA_DIR "/usr/local/share/tallomer"
#endif

namespace tallomer::resourcefolder {

QString installedDataDir() { return QDir::cleanPath(QStringLiteral(TALLOMER_INSTALLED_DATA_DIR)); }

QStringList candidates(const QString& exeDir, const QString& installedDir)
{
    QStringList out;
    auto add = [&out](const QString& path) {
        if (!path.isEmpty() && !out.contains(QDir::cleanPath(path)))
            out << QDir::cleanPath(path);
    };
    if (!exeDir.isEmpty()) {
        add(exeDir + "/" + QStringLiteral(TALLOMER_BIN_TO_DATA));
        // The build tree keeps this layout whatever the install directories are.
        add(exeDir + QStringLiteral("/../share/tallomer"));
    }
    add(installedDir);
    return out;
}

QString find(const QString& exeDir, const QString& installedDir)
{
    const QStringList all = candidates(exeDir, installedDir);
    for (const QString& c : all)
        if (QFileInfo(c).isDir())
            return c;
    return all.value(0);
}

QString find(const QString& exeDir) { return find(exeDir, installedDataDir()); }

} // namespace tallomer::resourcefolder
