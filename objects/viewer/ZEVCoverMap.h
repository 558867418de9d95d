#pragma once
// The pixels of one paint of a desk that opaque drawing will cover. The views are taken from the
// top of the stack down: one whose every pixel in the paint lies under views already taken need
// not be painted at all, and a full desk holds views many deep. Counted in cells of 4 by 4
// pixels: a cell is covered only when wholly covered, and exposed when any pixel of it is.

#include <QRect>
#include <QRectF>
#include <QRegion>

#include <QPointF>

#include <cstdint>
#include <utility>
#include <vector>

namespace tallomer {

class ZEVCoverMap {
public:
    // Starts over on the pixels of `exposed`, the paint's region; nothing is covered yet.
    void reset(const QRegion& exposed);
    // Whether every exposed pixel of `r` is covered (true when none is exposed).
    bool hidden(const QRect& r) const;
    // The pixels of `r` are covered from now on.
    void cover(const QRect& r);
    // The same for an image blitted with its corner on the device pixel nearest `corner`, by
    // the opaque run of each of its rows (first column, the one after the last).
    void cover(const QPointF& corner, const std::vector<std::pair<int, int>>& runs);
    // Appends to `out` rectangles within `r` that hold every exposed pixel of `r` not covered:
    // bands of whole rows of cells, a row joining the band above while the covered pixels the
    // join adds cost less to blend than a blit of its own. Appends nothing when `r` is hidden.
    void uncovered(const QRect& r, std::vector<QRect>& out) const;

    // Every pixel a drawing of `r` may touch, antialiased or set on the nearest device pixel.
    static QRect touched(const QRectF& r);
    // The pixels wholly inside `r` even when its drawing is set off by up to half a pixel.
    static QRect inside(const QRectF& r);

    static constexpr int kCell = 4;
    // What starting one more blit costs, in pixels blended: rows of a drawing are drawn apart
    // only when that saves more.
    static constexpr int kBlitPixels = 128;

private:
    // The rows and words of the cells of `r` clipped to the map (those it touches, or only those
    // wholly inside it), and the bits of its first and last word.
    struct Span {
        int top = 0, bottom = -1;
        int first = 0, last = -1;
        std::uint64_t firstMask = 0, lastMask = 0;
    };
    Span span(const QRect& r, bool inside) const;

    QRect area_;
    int words_ = 0; // per row of cells
    int rows_ = 0;
    bool wholeExposed_ = false; // every cell of the map is exposed
    std::vector<std::uint64_t> exposed_;
    std::vector<std::uint64_t> covered_;
};

} // namespace tallomer
