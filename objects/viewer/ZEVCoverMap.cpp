#include "objects/viewer/ZEVCoverMap.h"

#include <algorithm>
#include <cmath>

namespace tallomer {

namespace {

// Bits `from` to `to` of a word, both included.
std::uint64_t bits(int from, int to)
{
    const std::uint64_t high = to >= 63 ? ~std::uint64_t(0) : (std::uint64_t(1) << (to + 1)) - 1;
    return high & ~((std::uint64_t(1) << from) - 1);
}

} // namespace

ZEVCoverMap::Span ZEVCoverMap::span(const QRect& r, bool inside) const
{
    Span s;
    const QRect clipped = r.intersected(area_);
    if (clipped.isEmpty())
        return s;
    const int x0 = clipped.left() - area_.left(), x1 = clipped.right() + 1 - area_.left();
    const int y0 = clipped.top() - area_.top(), y1 = clipped.bottom() + 1 - area_.top();
    // From the map's corner, so never below zero. The last cell of a row or column may hold
    // fewer pixels: a rectangle that reaches the map's edge covers it.
    const int left = inside ? (x0 + kCell - 1) / kCell : x0 / kCell;
    const int right = inside && x1 < area_.width() ? x1 / kCell - 1 : (x1 - 1) / kCell;
    s.top = inside ? (y0 + kCell - 1) / kCell : y0 / kCell;
    s.bottom = inside && y1 < area_.height() ? y1 / kCell - 1 : (y1 - 1) / kCell;
    if (right < left || s.bottom < s.top) {
        s.bottom = s.top - 1;
        return s;
    }
    s.first = left / 64;
    s.last = right / 64;
    s.firstMask = bits(left % 64, s.first == s.last ? right % 64 : 63);
    s.lastMask = bits(0, right % 64);
    return s;
}

void ZEVCoverMap::reset(const QRegion& exposed)
{
    area_ = exposed.boundingRect();
    const int columns = (area_.width() + kCell - 1) / kCell;
    rows_ = (area_.height() + kCell - 1) / kCell;
    words_ = area_.isEmpty() ? 0 : (columns + 63) / 64;
    const std::size_t size = std::size_t(words_) * std::size_t(std::max(0, rows_));
    exposed_.assign(size, 0);
    covered_.assign(size, 0);
    for (const QRect& r : exposed) {
        const Span s = span(r, false);
        for (int y = s.top; y <= s.bottom; ++y) {
            std::uint64_t* row = exposed_.data() + std::size_t(y) * words_;
            for (int w = s.first; w <= s.last; ++w)
                row[w] |= w == s.first ? s.firstMask : w == s.last ? s.lastMask : ~std::uint64_t(0);
        }
    }
}

bool ZEVCoverMap::hidden(const QRect& r) const
{
    const Span s = span(r, false);
    for (int y = s.top; y <= s.bottom; ++y) {
        const std::size_t row = std::size_t(y) * words_;
        for (int w = s.first; w <= s.last; ++w) {
            const std::uint64_t mask = w == s.first ? s.firstMask : w == s.last ? s.lastMask : ~std::uint64_t(0);
            if (exposed_[row + w] & mask & ~covered_[row + w])
                return false;
        }
    }
    return true;
}

void ZEVCoverMap::cover(const QRect& r)
{
    const Span s = span(r, true);
    for (int y = s.top; y <= s.bottom; ++y) {
        std::uint64_t* row = covered_.data() + std::size_t(y) * words_;
        for (int w = s.first; w <= s.last; ++w)
            row[w] |= w == s.first ? s.firstMask : w == s.last ? s.lastMask : ~std::uint64_t(0);
    }
}

QRect ZEVCoverMap::touched(const QRectF& r)
{
    if (r.isEmpty())
        return {};
    const int left = int(std::floor(r.left())) - 1;
    const int top = int(std::floor(r.top())) - 1;
    const int right = int(std::ceil(r.right())) + 1;
    const int bottom = int(std::ceil(r.bottom())) + 1;
    return QRect(left, top, right - left, bottom - top);
}

QRect ZEVCoverMap::inside(const QRectF& r)
{
    if (r.isEmpty())
        return {};
    const int left = int(std::ceil(r.left())) + 1;
    const int top = int(std::ceil(r.top())) + 1;
    const int right = int(std::floor(r.right())) - 1;
    const int bottom = int(std::floor(r.bottom())) - 1;
    if (right <= left || bottom <= top)
        return {};
    return QRect(left, top, right - left, bottom - top);
}

} // namespace tallomer
