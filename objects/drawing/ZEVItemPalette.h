#pragma once
// The colours and the shadow an Object view is drawn with. The application object owns the
// shared values; the drawing names colours by role so that the decision stays free of Qt
// colours and the active cursor's pair can be switched in one place.

#include <QColor>
#include <QPointF>

#include <array>
#include <cstdint>

namespace tallomer {

enum class ZEVColourRole : std::uint8_t {
    DarkGrey,
    White,
    PresentActif,
    PresentAlpha,
    Futur,
    FuturActif,
    FuturAlpha,
    Passe,
    PasseActif,
    PasseAlpha,
    Out,
    OutActif,
    Curseur,      // the active cursor's colour
    ActifCurseur, // the active cursor's light background colour
    IconCadreFond,
    IconCadreLine,
    Count_
};

// A drop shadow; the offset is y-up, as every drawing formula.
struct ZEVShadowStyle {
    QPointF offset;
    qreal blur = 0;
    QColor colour;
};

class ZEVItemPalette {
public:
    // The shared colours with the Now cursor active.
    static ZEVItemPalette standard();

    QColor colour(ZEVColourRole role) const { return colours_[static_cast<std::size_t>(role)]; }
    void setColour(ZEVColourRole role, const QColor& c) { colours_[static_cast<std::size_t>(role)] = c; }
    // The active cursor changed: its line and background colour follow.
    void setActifCurseurColorSiNow(bool now);

    ZEVShadowStyle itemShadow;

private:
    std::array<QColor, static_cast<std::size_t>(ZEVColourRole::Count_)> colours_;
};

} // namespace tallomer
