#pragma once
// The file manager's sidebar favourites, as GTK keeps them: one "URI [label]" line per place in
// $XDG_CONFIG_HOME/gtk-3.0/bookmarks.

#include <QString>

namespace tallomer {

class GtkBookmarks {
public:
    enum class Result {
        Added,          // the line was put first in the list
        AlreadyPresent, // the folder was already a favourite; the file is unchanged
        CannotOpenList, // the list could not be made or read
        CannotInsert,   // the list could not be written
    };

    // $XDG_CONFIG_HOME/gtk-3.0/bookmarks (default ~/.config/gtk-3.0/bookmarks).
    static QString bookmarksPath();

    // Puts `folderPath` first among the favourites unless it is one already. Every other line is
    // kept as it was; the file and its folder are made when missing. `error` receives the reason of
    // a failure.
    static Result addFolder(const QString& folderPath, QString* error = nullptr);

    // Removes the line addFolder writes for `folderPath` (the folder's URI alone); lines the user
    // wrote, with a label of their own, stay. true when the list needs no change or was written.
    static bool removeFolder(const QString& folderPath, QString* error = nullptr);

    // The line's place as a local path, or empty when it names no local folder.
    static QString localPathOfLine(const QString& line);
};

} // namespace tallomer
