#pragma once
// Gives a folder its own icon, the ways Linux file managers look for one: a `.directory` file
// with an Icon= entry (read by KDE file managers) and the GIO custom-icon metadata (read by GTK
// ones) when the `gio` tool is present. Both are best effort: failures are logged, never fatal.

#include <QString>

namespace tallomer {

class FolderIcon {
public:
    struct Options {
        // The gio program; empty means "look it up in PATH".
        QString gioProgram;
        // How long `gio set` may take before it is stopped.
        int gioTimeoutMs = 2000;
    };

    struct Result {
        bool directoryFileWritten = false;
        bool gioRan = false;       // gio was found and started
        bool gioSucceeded = false; // and ended with status 0 in time
    };

    // Sets `iconPath` (an absolute path to an image file) as the icon of `folderPath`.
    static Result setIcon(const QString& folderPath, const QString& iconPath);
    static Result setIcon(const QString& folderPath, const QString& iconPath, const Options& options);

    // Copies `sourceIcon` into `copyFolder` under its own file name (through a temporary file; an
    // identical copy is kept as it is) and answers the copy's path, or an empty string when the
    // source cannot be read or the copy cannot be written (logged). A folder's icon must point at
    // such a copy: the program's own files may lie in a build tree that goes away.
    static QString keepCopy(const QString& sourceIcon, const QString& copyFolder);

    // The text of a `.directory` file: `existing` with Icon= set in its [Desktop Entry] group
    // (the group is added when missing); every other line is kept.
    static QByteArray directoryFileWithIcon(const QByteArray& existing, const QString& iconPath);
};

} // namespace tallomer
