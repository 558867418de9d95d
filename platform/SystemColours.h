#pragma once
// The desktop's named greys as the rest of the program means them. Qt's own constants of the same
// names are other shades (its dark grey is half white), too light for text on the toolbars' grey.

#include <QColor>

namespace tallomer {

inline QColor systemDarkGrey() { return QColor::fromRgbF(1 / 3.0, 1 / 3.0, 1 / 3.0); }
inline QColor systemGrey() { return QColor::fromRgbF(0.5, 0.5, 0.5); }
inline QColor systemLightGrey() { return QColor::fromRgbF(2 / 3.0, 2 / 3.0, 2 / 3.0); }

} // namespace tallomer
