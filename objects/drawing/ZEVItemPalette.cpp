#include "objects/drawing/ZEVItemPalette.h"

#include "look/KELSharedResources.h"

namespace tallomer {

namespace {
// The platform's dark grey is one third white.
const QColor kDarkGrey = QColor::fromRgbF(1 / 3.0, 1 / 3.0, 1 / 3.0);
} // namespace

QColor ZEVItemPalette::colour(ZEVColourRole role) const
{
    const KELSharedResources& r = *resources_;
    switch (role) {
    case ZEVColourRole::DarkGrey:
        return kDarkGrey;
    case ZEVColourRole::White:
        return Qt::white;
    case ZEVColourRole::PresentActif:
        return r.presentActifColor();
    case ZEVColourRole::PresentAlpha:
        return r.presentAlphaColor();
    case ZEVColourRole::Futur:
        return r.futurColor();
    case ZEVColourRole::FuturActif:
        return r.futurActifColor();
    case ZEVColourRole::FuturAlpha:
        return r.futurAlphaColor();
    case ZEVColourRole::Passe:
        return r.passeColor();
    case ZEVColourRole::PasseActif:
        return r.passeActifColor();
    case ZEVColourRole::PasseAlpha:
        return r.passeAlphaColor();
    case ZEVColourRole::Out:
        return r.outColor();
    case ZEVColourRole::OutActif:
        return r.outActifColor();
    case ZEVColourRole::Curseur:
        return r.curseurColor();
    case ZEVColourRole::ActifCurseur:
        return r.actifCurseurColor();
    case ZEVColourRole::IconCadreFond:
        return r.iconCadreFondColor();
    case ZEVColourRole::IconCadreLine:
        return r.iconCadreLineColor();
    case ZEVColourRole::Black:
        return Qt::black;
    case ZEVColourRole::Count_:
        break;
    }
    return {};
}

ZEVShadowStyle ZEVItemPalette::itemShadow() const
{
    const KELShadow& s = resources_->itemShadow();
    return ZEVShadowStyle{s.offset, s.blurRadius, s.color};
}

} // namespace tallomer
