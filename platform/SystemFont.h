#pragma once
// The system font's changes, counted: text laid out once for speed (thousands of titles on a
// desk) asks whether the font changed since, with one comparison at each paint. The window
// that sees the desktop's font or theme change counts it.

#include <QtGlobal>

namespace tallomer::systemfont {

quint64 generation();
void changed();

} // namespace tallomer::systemfont
