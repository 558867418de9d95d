#pragma once
// Texts that name data in a menu item, an action, a button, a tab or a group box. Qt reads a lone
// "&" there as the mark of a shortcut letter: it hides it and underlines the letter after it, so
// "Home & Folder" would show as "Home _Folder". Titles, names, file names and every format that
// carries them go through menuText, which doubles each "&" so that it shows as it is. Fixed texts
// with a real shortcut mark are set as they are.

#include <QString>

namespace tallomer {

QString menuText(const QString& text);

// What an item shows of its text: a lone "&" hidden, "&&" as one "&" (for a label that repeats
// an item's text).
QString shownMenuText(const QString& text);

// The longest start of `text` of at most `most` UTF-16 units that ends between two characters as
// a person sees them: never half of a pair of surrogates, never a letter without the accents
// written after it.
QString leftWholeCharacters(const QString& text, qsizetype most);

} // namespace tallomer
