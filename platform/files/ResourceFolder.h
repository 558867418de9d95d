#pragma once
// Where the files that ship with the program lie (template link base, wallpapers, images).
//
// The program finds them from where its binary is, so that the build tree (build/bin next to
// build/share/tallomer) and any installed copy, moved or not, work alike; the data folder of the
// prefix it was configured for is the last resort. No path of the machine that built it is needed.

#include <QString>
#include <QStringList>

namespace tallomer::resourcefolder {

// The folders looked at, in order, for a binary in `exeDir`: <exeDir>/<the installed path from
// the binary folder to the data folder>/tallomer (../share/tallomer with the usual layout), then
// ../share/tallomer when that differs, then `installedDir`.
QStringList candidates(const QString& exeDir, const QString& installedDir);

// The first candidate that is a folder; when none is, the first candidate (so that errors name
// the place a fresh build would use).
QString find(const QString& exeDir, const QString& installedDir);
QString find(const QString& exeDir); // with installedDataDir()

// <install prefix>/<data dir>/tallomer, as configured when the program was built.
QString installedDataDir();

} // namespace tallomer::resourcefolder
