#pragma once
// The title under an Object's icon: the system's sans font at 12 points, cut in the middle
// when it is wider than the title line, so that both the start and the end (often a file's
// extension) stay readable.

#include <QFont>
#include <QString>

#include <optional>

namespace tallomer {

class ZEVItemTitleText {
public:
    static constexpr qreal kPointSize = 12;

    static QFont font();
    // font().key(), shared rather than made anew at each call.
    static QString fontKey();
    // Unit tests stand in a whole font for the system's title font (nullopt: the system's again),
    // as a change of the system font.
    static void overrideFontForTests(const std::optional<QFont>& font);
    // The title as shown in `width` points; whole when it fits.
    static QString elided(const QString& title, qreal width, const QFont& font = ZEVItemTitleText::font());
};

} // namespace tallomer
