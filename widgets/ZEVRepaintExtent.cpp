#include "widgets/ZEVRepaintExtent.h"

#include <algorithm>
#include <cmath>

namespace tallomer {

ZEVRepaintExtent::ZEVRepaintExtent(const QRectF& area) : area_(area)
{
    if (area.isEmpty())
        return;
    columns_ = int(std::ceil(area.width() / kTile));
    rows_ = int(std::ceil(area.height() / kTile));
    touched_.assign(std::size_t(columns_) * std::size_t(rows_), 0);
}

void ZEVRepaintExtent::add(const QRectF& place) { count(place, true); }

void ZEVRepaintExtent::remove(const QRectF& place) { count(place, false); }

void ZEVRepaintExtent::count(const QRectF& place, bool add)
{
    ++placesCounted_;
    const QRectF r = place.intersected(area_);
    if (r.isEmpty())
        return;
    const int left = std::clamp(int((r.left() - area_.left()) / kTile), 0, columns_ - 1);
    const int right = std::clamp(int((r.right() - area_.left()) / kTile), 0, columns_ - 1);
    const int top = std::clamp(int((r.top() - area_.top()) / kTile), 0, rows_ - 1);
    const int bottom = std::clamp(int((r.bottom() - area_.top()) / kTile), 0, rows_ - 1);
    for (int y = top; y <= bottom; ++y) {
        std::uint32_t* row = touched_.data() + std::size_t(y) * std::size_t(columns_);
        if (add) {
            for (int x = left; x <= right; ++x)
                count_ += !row[x]++;
        } else {
            // A place never added would leave a tile below zero: such a take-back is dropped.
            for (int x = left; x <= right; ++x)
                if (row[x])
                    count_ -= !--row[x];
        }
    }
}

double ZEVRepaintExtent::share() const { return touched_.empty() ? 0 : double(count_) / double(touched_.size()); }

} // namespace tallomer
