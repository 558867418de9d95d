#include "inspectors/channels/ZEVChannelStrip.h"

#include <cmath>

namespace tallomer {

double ZEVChannelFirstSlot(double nowX)
{
    if (!std::isfinite(nowX))
        return -kZEVChannelSlotWidth;
    const double a = std::abs(nowX) / kZEVChannelSlotWidth;
    const double m = (a - std::floor(a)) * kZEVChannelSlotWidth;
    return nowX >= 0 ? m - kZEVChannelSlotWidth : (kZEVChannelSlotWidth - m) - kZEVChannelSlotWidth;
}

int ZEVChannelSlotCount(double width)
{
    if (!(width > 0) || !std::isfinite(width))
        return 0;
    return int(width / kZEVChannelSlotWidth + 2);
}

bool ZEVChannelSiPresNow(double px, double nowX) { return px - 5 < nowX && nowX < px + 4; }

bool ZEVChannelSiPresSearch(double px, double searchX) { return px - 3 < searchX && searchX < px + 3; }

bool ZEVChannelSiZoneDroite(double px, double width) { return width - kZEVChannelSlotWidth < px && px < width; }

ZEVChannelPress ZEVChannelPressFor(bool nowActif, bool presNow, bool presSearch, bool actifDansLaPlage)
{
    if (nowActif) {
        if (presNow)
            return ZEVChannelPress::Rien;
        return presSearch ? ZEVChannelPress::ActiverSearch : ZEVChannelPress::PlacerSearch;
    }
    if (presNow)
        return ZEVChannelPress::ActiverNow;
    if (presSearch)
        return ZEVChannelPress::Rien;
    return actifDansLaPlage ? ZEVChannelPress::SuivreSearch : ZEVChannelPress::PlacerSearch;
}

std::optional<KELDate> ZEVChannelDateForStripX(double x, double stripWidth, KELDate inDate, double length)
{
    if (!(stripWidth >= 2) || !(length > 0) || !std::isfinite(x) || !std::isfinite(inDate))
        return std::nullopt;
    return inDate + x / (stripWidth - 1) * length;
}

} // namespace tallomer
