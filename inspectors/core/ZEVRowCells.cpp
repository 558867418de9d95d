#include "inspectors/core/ZEVRowCells.h"

#include "look/KELSharedResources.h"
#include "services/ZEVFrontMode.h"
#include "space/ZEVSelections.h"
#include "platform/SystemColours.h"

#include <QPixmap>

#include <algorithm>

namespace tallomer {

std::optional<QVariant> ZEVSelectionMark(const QString& column, const std::vector<KELI*>& items, int role,
                                         ZEVSelections& s, const KELSharedResources& r,
                                         const std::function<bool(KELI*)>& shown)
{
    auto all = [&](auto test) { return std::all_of(items.begin(), items.end(), test); };
    auto image = [&](bool oui, const QPixmap& p) { return role == Qt::DecorationRole && oui ? QVariant(p) : QVariant(); };
    if (column == QLatin1String("imageIcon"))
        return image(all([&](KELI* o) { return s.isIconSelectedForItem(o); }), r.iconImage());
    if (column == QLatin1String("imageTitle"))
        return image(all([&](KELI* o) { return s.isTitleSelectedForItem(o); }), r.titleImage());
    if (column == QLatin1String("imageNode"))
        return image(all([&](KELI* o) { return s.isNodeSelectedForItem(o); }), r.nodeImage());
    if (column == QLatin1String("imageFilter")) {
        // Asked only for a picture: the desk's views are looked up no more often than drawn.
        if (role != Qt::DecorationRole)
            return QVariant();
        if (all([&](KELI* o) { return s.isFilterSelectedForItem(o); }))
            return QVariant(r.filterImage());
        return image(all(shown), r.impactImage());
    }
    return std::nullopt;
}

QColor ZEVOtherChannelColor() { return QColor::fromRgbF(0.25f, 0.2f, 0.2f, 1.0f); }

QColor ZEVRowStatusColorIn(ZEVRowStatusColor state, const KELSharedResources& r)
{
    switch (state) {
    case ZEVRowStatusColor::Moving:
        return r.movingColor();
    case ZEVRowStatusColor::Error:
        return r.errorColor();
    case ZEVRowStatusColor::NotFound:
        return r.notFoundColor();
    }
    return {};
}

QColor ZEVTitleColor(const std::optional<ZEVRowStatusColor>& state, bool titleSelected, bool otherChannel,
                     const KELSharedResources& r)
{
    if (state)
        return ZEVRowStatusColorIn(*state, r);
    if (titleSelected)
        return otherChannel ? systemLightGrey() : QColor(Qt::white);
    return otherChannel ? ZEVOtherChannelColor() : QColor(Qt::black);
}

namespace {
template <typename Arg>
void selectInMode(ZEVSelections& s, int mode, const std::vector<KELI*>& items, Arg arg)
{
    switch (mode) {
    case ZEVFrontModeIcons:
        s.selectIconForItemSet(items, arg);
        break;
    case ZEVFrontModeTitles:
        s.selectTitleForItemSet(items, arg);
        break;
    case ZEVFrontModeFilters:
        s.selectFilterForItemSet(items, arg);
        break;
    case ZEVFrontModeLinks:
        s.selectNodeForItemSet(items, arg);
        break;
    default:
        break;
    }
}
} // namespace

void ZEVSelectInFrontMode(ZEVSelections& s, int mode, const std::vector<KELI*>& items, const std::vector<KELI*>* minus)
{
    selectInMode(s, mode, items, minus);
}

void ZEVSelectInFrontMode(ZEVSelections& s, int mode, const std::vector<KELI*>& items, int operation)
{
    selectInMode(s, mode, items, operation);
}

double ZEVDurationInRange(const std::vector<std::pair<KELDate, KELDate>>& spans, KELDate rangeIn, KELDate rangeOut)
{
    double total = 0;
    for (const auto& [in, out] : spans) {
        const double part = std::min(out, rangeOut) - std::max(in, rangeIn);
        if (part > 0)
            total += part;
    }
    return total;
}

} // namespace tallomer
