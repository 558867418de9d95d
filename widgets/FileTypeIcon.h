#pragma once
// The icon of a file type, as the desktop's theme draws it: the one place the program picks a
// type's icon, shared by the Object views, the application, the inspectors and the previews.

#include <QIcon>
#include <QImage>
#include <QString>

class QFileDialog;

namespace tallomer {

// `type` is an extension or a MIME type name: "" gives a folder, "app" an application; any other
// word the theme's icon for that type. Each kind keeps an icon of its own (folder, text, web page,
// web link, picture, contact, mail, application, document) even where the theme has none of them.
QIcon iconForFileType(const QString& type);

// The icon of the generic document, for a type that names none.
QIcon genericDocumentIcon();

// The icon of a find by kind: there the empty type stands for any file, the generic document,
// not for a folder; any other type as iconForFileType.
QIcon findIconForFileType(const QString& type);

// The icon of the file or folder at `path`, by what it is rather than by how it is named when
// its name says nothing.
QIcon iconForFile(const QString& path);

// Has a file panel's lists show each file and folder by the icon the rest of the program gives
// its type.
void showTypeIconsIn(QFileDialog& panel);

// The icon drawn on a side by side square, scaled when the theme has it only at other sizes.
QImage imageOfIcon(const QIcon& icon, int side);
// iconForFileType drawn so, once per type, side and theme: the same image each time. Kept between
// runs in the user's cache folder, under a name that changes with the theme's files.
QImage imageForFileType(const QString& type, int side);
// The file the image of a type at a side is kept in for the theme as it is now.
QString keptFileForFileType(const QString& type, int side);

// Without a desktop session Qt knows no icon theme, and one that is set may lack a type: the
// installed Adwaita theme stands in for both. Idempotent; every function above calls it first.
void installIconThemeFallback();

} // namespace tallomer
