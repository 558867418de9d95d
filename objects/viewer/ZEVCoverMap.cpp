#include "objects/viewer/ZEVCoverMap.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>

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
    wholeExposed_ = exposed.rectCount() == 1;
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

void ZEVCoverMap::cover(const QPointF& corner, const std::vector<std::pair<int, int>>& runs)
{
    if (area_.isEmpty())
        return;
    // The corner was reckoned apart from the paint, which may round it to the next pixel
    // instead: a pixel is counted covered only when the image hides it in both places.
    const int x0 = int(std::floor(corner.x())), y0 = int(std::floor(corner.y()));
    const int rows = int(runs.size());
    const int mapLeft = area_.left(), mapRight = area_.left() + area_.width();
    const int mapTop = area_.top(), mapBottom = area_.top() + area_.height();
    const int columns = (area_.width() + kCell - 1) / kCell;
    for (int cy = std::max(0, (y0 + 1 - mapTop + kCell - 1) / kCell); cy < rows_; ++cy) {
        const int top = mapTop + cy * kCell;
        const int bottom = std::min(top + kCell, mapBottom); // the row after the cell's last
        if (bottom - y0 > rows)
            break;
        // The image rows that may land on the cell's rows, in either place.
        const std::pair<int, int>* run = runs.data() + (top - y0 - 1);
        int from = run[0].first, to = run[0].second;
        if (bottom - top == kCell) {
            // A whole cell, all but at the map's last row: unrolled.
            static_assert(kCell == 4);
            from = std::max(std::max(std::max(from, run[1].first), std::max(run[2].first, run[3].first)), run[4].first);
            to = std::min(std::min(std::min(to, run[1].second), std::min(run[2].second, run[3].second)), run[4].second);
        } else {
            for (int k = 1; k <= bottom - top; ++k) {
                from = std::max(from, run[k].first);
                to = std::min(to, run[k].second);
            }
        }
        const int left = x0 + 1 + from, right = x0 + to; // hidden columns, the last excluded
        if (right <= left)
            continue;
        // The cells wholly within them; the map's last cell of a row may hold fewer pixels.
        const int first = left <= mapLeft ? 0 : (left - mapLeft + kCell - 1) / kCell;
        const int last = right >= mapRight ? columns - 1 : (right - mapLeft) / kCell - 1;
        if (last < first)
            continue;
        std::uint64_t* row = covered_.data() + std::size_t(cy) * words_;
        const int fw = first / 64, lw = last / 64;
        if (fw == lw) {
            row[fw] |= bits(first % 64, last % 64);
            continue;
        }
        row[fw] |= bits(first % 64, 63);
        for (int w = fw + 1; w < lw; ++w)
            row[w] = ~std::uint64_t(0);
        row[lw] |= bits(0, last % 64);
    }
}

void ZEVCoverMap::uncovered(const QRect& r, std::vector<QRect>& out) const
{
    const Span s = span(r, false);
    if (s.bottom < s.top)
        return;
    // The band under way, in cells: its rows and the columns its rows leave uncovered.
    int top = -1, bottom = -1, left = 0, right = -1;
    const int words = s.last - s.first + 1;
    const std::uint64_t lastMask = words > 1 ? s.lastMask : s.firstMask;
    // A drawing of at most 64 cells across, an icon: its cells of a row gathered in one word.
    const int from = s.first * 64 + std::countr_zero(s.firstMask);
    const int cells = s.last * 64 + 63 - std::countl_zero(lastMask) - from + 1;
    const bool narrow = cells <= 64;
    const int shift = from % 64;
    const bool straddles = shift + cells > 64; // then shift > 0
    const std::uint64_t cellMask = cells >= 64 ? ~std::uint64_t(0) : (std::uint64_t(1) << cells) - 1;
    for (int y = s.top; y <= s.bottom + 1; ++y) {
        int first = -1, last = -1;
        if (y <= s.bottom) {
            const std::uint64_t* exposed = exposed_.data() + std::size_t(y) * words_ + s.first;
            const std::uint64_t* covered = covered_.data() + std::size_t(y) * words_ + s.first;
            if (narrow) {
                std::uint64_t open = covered[0] >> shift;
                if (straddles)
                    open |= covered[1] << (64 - shift);
                open = ~open & cellMask;
                if (!wholeExposed_) {
                    std::uint64_t e = exposed[0] >> shift;
                    if (straddles)
                        e |= exposed[1] << (64 - shift);
                    open &= e;
                }
                if (open) {
                    first = from + std::countr_zero(open);
                    last = from + 63 - std::countl_zero(open);
                }
            } else {
                for (int w = 0; w < words; ++w) {
                    const std::uint64_t mask = w == 0 ? s.firstMask : w == words - 1 ? lastMask : ~std::uint64_t(0);
                    const std::uint64_t open = exposed[w] & ~covered[w] & mask;
                    if (!open)
                        continue;
                    const int at = (s.first + w) * 64;
                    if (first < 0)
                        first = at + std::countr_zero(open);
                    last = at + 63 - std::countl_zero(open);
                }
            }
        }
        if (top >= 0 && first >= 0) {
            // Joined, the band blends the covered cells between; apart, it costs one more blit.
            const int joinedLeft = std::min(left, first), joinedRight = std::max(right, last);
            const int joined = (joinedRight - joinedLeft + 1) * (y - top + 1);
            const int apart = (right - left + 1) * (bottom - top + 1) + (last - first + 1);
            if ((joined - apart) * kCell * kCell <= kBlitPixels) {
                bottom = y;
                left = joinedLeft;
                right = joinedRight;
                continue;
            }
        }
        if (top >= 0) {
            const QRect band(area_.left() + left * kCell, area_.top() + top * kCell, (right - left + 1) * kCell,
                             (bottom - top + 1) * kCell);
            out.push_back(band & r);
            top = -1;
        }
        if (first >= 0) {
            top = bottom = y;
            left = first;
            right = last;
        }
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
