#include "inspectors/table/ZEVLegoGeometry.h"

#include <algorithm>
#include <cmath>

namespace tallomer {

namespace {
// How far outside the drawn range a held position lies: far enough that a rounded lego's edge or
// a line never shows, near enough that the painter works with small numbers.
constexpr double kHorsDuClip = 8.0;
} // namespace

ZEVLegoScale::ZEVLegoScale(KELDate inDate, double length, double bound, double shift, double clipLeft, double clipRight)
    : inDate_(inDate), length_(length), bound_(bound), shift_(shift), clipLeft_(clipLeft), clipRight_(clipRight)
{
    valid_ = std::isfinite(inDate) && std::isfinite(length) && length > 0 && std::isfinite(bound) && bound > 0 &&
             std::isfinite(shift) && std::isfinite(clipLeft) && std::isfinite(clipRight) && clipLeft <= clipRight;
}

double ZEVLegoScale::x(KELDate date) const
{
    const double gauche = clipLeft_ - kHorsDuClip, droite = clipRight_ + kHorsDuClip;
    if (!valid_)
        return gauche;
    if (std::isnan(date))
        return gauche;
    const double x = (date - inDate_) / length_ * bound_ + shift_;
    if (std::isnan(x))
        return gauche;
    return std::clamp(x, gauche, droite);
}

QRectF legoRectForRow(const QRectF& rowRect, double inX, double outX, double legoHeight, double legoOffset)
{
    return QRectF(inX, rowRect.y() + legoOffset + 2.5, std::max(0.5, outX - inX), legoHeight - 5.0);
}

ZEVLegoCase legoCaseFor(KELDate in, KELDate out, KELDate windowIn, KELDate windowOut, KELDate now)
{
    if (out < windowIn)
        return ZEVLegoCase::Passe;
    if (in > windowOut)
        return ZEVLegoCase::Futur;
    if (out < now)
        return ZEVLegoCase::PasseActif;
    if (in > now)
        return ZEVLegoCase::FuturActif;
    return ZEVLegoCase::Present;
}

} // namespace tallomer
