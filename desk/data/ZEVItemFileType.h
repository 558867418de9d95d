#pragma once
// The type an Object's icon shows wherever the program lists it (the panels' rows, their menus,
// the pictures of rows dragged, the desk's menus), decided as its view on the desk decides it.

#include <QString>

class KELI;

namespace tallomer {

// `itemType` and `iconWord` are what the Object's records hold: its kind ("file", "http", …) and
// its icon word, a file's extension, which is empty for a folder and for a file without one
// alike. A file Object's type is what its file is (thumbs::typeOfFile), the file read where its
// record names it; a file not there, and any other Object, keeps the type its word names.
QString iconTypeForItem(KELI* item, const QString& itemType, const QString& iconWord);

} // namespace tallomer
