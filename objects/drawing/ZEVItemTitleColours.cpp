#include "objects/drawing/ZEVItemTitleColours.h"

namespace tallomer {

namespace {
using R = ZEVColourRole;
using T = ZEVItemTimeState;

R actifOf(T t)
{
    switch (t) {
    case T::Present:
        return R::PresentActif;
    case T::Future:
        return R::FuturActif;
    case T::Past:
        return R::PasseActif;
    case T::Outside:
        break;
    }
    return R::OutActif;
}
} // namespace

ZEVItemTitleColours titleColoursFor(const ZEVItemTitleState& s)
{
    ZEVItemTitleColours c;
    if (s.connecting) {
        // A target under a link drag: its time state's strong colour on dark grey.
        const R strong = s.time == T::Present ? R::PresentActif : s.time == T::Future ? R::FuturActif : R::PasseActif;
        c.fill = R::DarkGrey;
        c.stroke = strong;
        c.text = strong;
        return c;
    }
    if (s.edited) {
        c.text = s.modifiable ? R::Black : R::DarkGrey;
        c.fill = actifOf(s.time);
        c.wholeCell = true;
        return c;
    }
    if (s.selected) {
        const bool titles = s.frontMode == ZEVFrontModeTitles;
        switch (s.time) {
        case T::Present:
            if (titles)
                c.text = R::Black, c.fill = R::White, c.stroke = R::Curseur;
            else
                c.text = R::DarkGrey, c.fill = R::PresentAlpha, c.stroke = R::DarkGrey;
            break;
        case T::Future:
            if (titles)
                c.text = R::Black, c.fill = R::FuturActif, c.stroke = R::Futur;
            else
                c.text = R::FuturActif, c.fill = R::Futur, c.stroke = R::FuturActif;
            break;
        case T::Past:
            if (titles)
                c.text = R::Black, c.fill = R::PasseActif, c.stroke = R::Passe;
            else
                c.text = R::PasseActif, c.fill = R::Passe, c.stroke = R::PasseActif;
            break;
        case T::Outside:
            c.text = R::DarkGrey;
            c.fill = R::OutActif;
            c.stroke = R::Out;
            break;
        }
        return c;
    }
    // An out title keeps the usual text colour.
    c.text = s.time == T::Outside ? R::White : actifOf(s.time);
    c.shadow = true;
    c.titlesShadow = s.frontMode == ZEVFrontModeTitles;
    return c;
}

} // namespace tallomer
