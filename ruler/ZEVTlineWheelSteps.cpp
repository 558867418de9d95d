#include "ruler/ZEVTlineWheelSteps.h"

#include <cmath>

namespace tallomer {

namespace {

constexpr double kEcart = 0.1;
// Just above 0.1 s, so that an edge left at the limit by rounding counts as at the limit.
constexpr double kEcartAtteint = 0.10001;
constexpr double kContexteMin = 0.20001;

} // namespace

ZEVPasDeBord pasDeBord(ZEVBord bord, double a, double S, double C, double ecart)
{
    ZEVPasDeBord p;
    const double k = S / C;
    // A context of no length, or amounts that are not numbers, move nothing.
    if (!(C > 0) || !std::isfinite(k) || !(k > 0) || !std::isfinite(a) || !std::isfinite(ecart))
        return p;
    const double e = bord == ZEVBord::In ? -a / k : a / k;
    if (e == 0)
        return p;
    if (C <= kContexteMin) {
        p.issue = ZEVPasDeBord::Issue::ContexteCourt;
        return p;
    }
    const double apres = bord == ZEVBord::In ? ecart - e : ecart + e;
    p.issue = ZEVPasDeBord::Issue::Pas;
    if (apres > kEcart) {
        p.e = e;
    } else if (ecart <= kEcartAtteint) {
        p.issue = ZEVPasDeBord::Issue::Limite;
        return p;
    } else {
        p.e = bord == ZEVBord::In ? ecart - kEcart : kEcart - ecart;
        p.coupe = true;
    }
    p.r = bord == ZEVBord::In ? -k * p.e : k * p.e;
    return p;
}

ZEVDecalage reechelonner(ZEVBord bord, double e, double r, double q, double S)
{
    if (!(S > 0))
        return {};
    const double g = (bord == ZEVBord::In ? q + e : q) - (S + r) * q / S;
    return {g, g + r};
}

ZEVPasDuContexte pasDuContexte(double z, double W, double rhoCurseur, double rhoIn, double rhoOut, double longueur)
{
    ZEVPasDuContexte p;
    const double w1 = W - 1;
    if (!(w1 > 0) || !std::isfinite(z))
        return p;
    double w = (rhoOut - rhoIn) * w1;
    // Edges on one point of the strip: a context one point wide.
    if (w == 0)
        w = 1;
    const double pts = w1 / w;
    p.u = z / pts;
    p.phi = (rhoCurseur - rhoIn) * pts;
    if (!std::isfinite(p.u) || !std::isfinite(p.phi) || !(longueur > p.u + 0.2))
        return p;
    p.pris = true;
    p.in = p.phi * p.u;
    p.out = -(1 - p.phi) * p.u;
    return p;
}

ZEVPasVersNow pasVersNow(double m, double g0, double n)
{
    if (g0 == 0)
        return {m, false};
    const bool versNow = (m - n > 0 && m > 0 && g0 > 0) || (m - n < 0 && m < 0 && g0 < 0);
    if (versNow)
        return {n, true};
    return {m, false};
}

} // namespace tallomer
