#pragma once
// The colours and the shadow an Object view is drawn with, by role, read from the application's
// shared resources at each use: the active cursor's pair switches there, and every view follows.

#include <QColor>
#include <QPointF>

#include <cstdint>

namespace tallomer {

class KELSharedResources;

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
    Black,
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
    // `resources` is not owned and outlives the palette.
    explicit ZEVItemPalette(const KELSharedResources& resources) : resources_(&resources) {}

    QColor colour(ZEVColourRole role) const;
    ZEVShadowStyle itemShadow() const;

private:
    const KELSharedResources* resources_;
};

} // namespace tallomer
