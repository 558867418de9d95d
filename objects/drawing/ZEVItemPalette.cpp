#include "objects/drawing/ZEVItemPalette.h"

namespace tallomer {

namespace {

const QColor kNowCurseur = QColor::fromRgbF(235 / 255.0, 19 / 255.0, 42 / 255.0);
const QColor kNowActif = QColor::fromRgbF(250 / 255.0, 246 / 255.0, 246 / 255.0);
const QColor kSearchCurseur = QColor::fromRgbF(1.0, 138 / 255.0, 10 / 255.0);
const QColor kSearchActif = QColor::fromRgbF(1.0, 238 / 255.0, 219 / 255.0);
// The platform's dark and light greys are one and two thirds white.
const QColor kDarkGrey = QColor::fromRgbF(1 / 3.0, 1 / 3.0, 1 / 3.0);
const QColor kLightGrey = QColor::fromRgbF(2 / 3.0, 2 / 3.0, 2 / 3.0);

} // namespace

ZEVItemPalette ZEVItemPalette::standard()
{
    using R = ZEVColourRole;
    ZEVItemPalette p;
    p.setColour(R::DarkGrey, kDarkGrey);
    p.setColour(R::White, Qt::white);
    p.setColour(R::PresentActif, Qt::white);
    p.setColour(R::PresentAlpha, QColor::fromRgbF(1, 1, 1, 0.6));
    p.setColour(R::Futur, QColor::fromRgbF(0.65, 0.65, 0.74));
    p.setColour(R::FuturActif, QColor::fromRgbF(0.88, 0.88, 1.0));
    p.setColour(R::FuturAlpha, QColor::fromRgbF(0.88, 0.88, 1.0, 0.6));
    p.setColour(R::Passe, QColor::fromRgbF(0.65, 0.74, 0.65));
    p.setColour(R::PasseActif, QColor::fromRgbF(0.88, 1.0, 0.88));
    p.setColour(R::PasseAlpha, QColor::fromRgbF(0.88, 1.0, 0.88, 0.4));
    p.setColour(R::Out, kDarkGrey);
    p.setColour(R::OutActif, kLightGrey);
    p.setColour(R::IconCadreLine, QColor::fromRgbF(1, 1, 1, 0.5));
    p.setColour(R::IconCadreFond, QColor::fromRgbF(0, 0, 0, 0.12));
    p.setActifCurseurColorSiNow(true);
    p.itemShadow = ZEVShadowStyle{QPointF(0, -3), 10, kDarkGrey};
    return p;
}

void ZEVItemPalette::setActifCurseurColorSiNow(bool now)
{
    setColour(ZEVColourRole::Curseur, now ? kNowCurseur : kSearchCurseur);
    setColour(ZEVColourRole::ActifCurseur, now ? kNowActif : kSearchActif);
}

} // namespace tallomer
