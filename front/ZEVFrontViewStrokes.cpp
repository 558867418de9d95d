// The front view's stroker: rings and round-ended lines laid row by row on a premultiplied image.
// Each row of a stroke is one or two spans: the pixels whose centres lie a pixel or more inside
// the stroke's edge are laid at full coverage as a run, and only the pixels along the edge have
// their coverage worked out, each from its own distance to the stroke, so that a pixel's colour
// never depends on where a band or a clip starts.

#include "front/ZEVFrontView.h"

#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <thread>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tallomer {

namespace {

// Qt's BYTE_MUL: each channel of a premultiplied pixel times a / 255.
inline quint32 byteMul(quint32 x, quint32 a)
{
    quint32 t = (x & 0xff00ffu) * a;
    t = (t + ((t >> 8) & 0xff00ffu) + 0x800080u) >> 8;
    t &= 0xff00ffu;
    x = ((x >> 8) & 0xff00ffu) * a;
    x = x + ((x >> 8) & 0xff00ffu) + 0x800080u;
    x &= 0xff00ff00u;
    return x | t;
}

// A premultiplied colour at each coverage from 0 to 255, of the last few colours a thread laid:
// a picture has only a handful, one per kind of line, halo and core.
const quint32* shadesOf(quint32 colour)
{
    struct Shades {
        bool made = false;
        quint32 colour = 0;
        quint32 at[256];
    };
    constexpr int kKept = 16;
    thread_local Shades kept[kKept];
    thread_local int next = 0;
    for (const Shades& s : kept)
        if (s.made && s.colour == colour)
            return s.at;
    Shades& s = kept[next];
    next = (next + 1) % kKept;
    s.made = true;
    s.colour = colour;
    for (quint32 c = 0; c < 255; ++c)
        s.at[c] = byteMul(colour, c);
    s.at[255] = colour;
    return s.at;
}

// Lays a colour, given by its shades, over a pixel at a coverage between 0 and 1 (source over).
inline void blend(quint32& d, const quint32* shades, double coverage)
{
    if (coverage <= 0)
        return;
    const quint32 s = shades[coverage >= 1 ? 255u : quint32(coverage * 255 + 0.5)];
    d = d ? s + byteMul(d, 255 - qAlpha(s)) : s;
}

// The colour at full coverage over a run of pixels: what `blend` gives at 1, a pixel at a time
// only where the colour lets what lies beneath show.
inline void fillRun(quint32* d, int n, quint32 colour)
{
    const quint32 through = 255 - qAlpha(colour);
    if (through == 0) {
        std::fill_n(d, n, colour);
        return;
    }
    int i = 0;
#if defined(__SSE2__)
    // Four pixels at a time, each channel in 16 bits: x * a + (x * a >> 8) + 0x80 stays below
    // 65536, so the result is byteMul's to the bit.
    const __m128i a = _mm_set1_epi16(short(through)), half = _mm_set1_epi16(0x80), zero = _mm_setzero_si128();
    const __m128i c = _mm_set1_epi32(int(colour));
    auto times = [&](__m128i x) {
        const __m128i t = _mm_mullo_epi16(x, a);
        return _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(t, _mm_srli_epi16(t, 8)), half), 8);
    };
    for (; i + 4 <= n; i += 4) {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + i));
        const __m128i scaled = _mm_packus_epi16(times(_mm_unpacklo_epi8(x, zero)), times(_mm_unpackhi_epi8(x, zero)));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i), _mm_add_epi32(c, scaled));
    }
#endif
    for (; i < n; ++i)
        d[i] = d[i] ? colour + byteMul(d[i], through) : colour;
}

// The x interval [*lo, *hi] where a * x + b lies within [-r, r]; false when empty.
bool slab(double a, double b, double r, double* lo, double* hi)
{
    if (std::abs(a) < 1e-12) {
        if (std::abs(b) > r)
            return false;
        *lo = -std::numeric_limits<double>::infinity();
        *hi = std::numeric_limits<double>::infinity();
        return true;
    }
    const double x1 = (-r - b) / a, x2 = (r - b) / a;
    *lo = std::min(x1, x2);
    *hi = std::max(x1, x2);
    return true;
}

// The pixel at or before, and at or after, a coordinate within the range of int.
inline int floorWithin(double v)
{
    const int i = int(v);
    return i - (v < i);
}
inline int ceilWithin(double v)
{
    const int i = int(v);
    return i + (v > i);
}
// Pixel bounds of coordinates far outside any image stay ints.
inline int floorPixel(double v) { return floorWithin(std::clamp(v, -1e9, 1e9)); }
inline int ceilPixel(double v) { return ceilWithin(std::clamp(v, -1e9, 1e9)); }

bool finite(const ZEVFrontView::LinkStroke& k)
{
    return std::isfinite(k.a.x()) && std::isfinite(k.a.y()) && std::isfinite(k.b.x()) && std::isfinite(k.b.y()) &&
           std::isfinite(k.radius) && std::isfinite(k.width);
}

// How far inside a stroke's edge, less than a pixel, a pixel centre is still laid at full
// coverage: the least coverage that rounds to 255 is 254.5 / 255, so the margin only keeps
// rounding of the span's ends from counting a pixel in that is not.
constexpr double kSolidMargin = 1e-7;

struct Run {
    int from, to;
};

// Lays the pixels first..last of a row: those in the runs (in order, disjoint) at full coverage,
// the others at the coverage the stroke gives them.
template <typename Coverage>
void layRow(quint32* line, int first, int last, const Run* runs, int count, const quint32* shades, Coverage coverage)
{
    auto edge = [&](int from, int to) {
        for (int x = from; x <= to; ++x)
            blend(line[x], shades, coverage(x));
    };
    for (int i = 0; i < count; ++i) {
        const int s = std::max(runs[i].from, first), e = std::min(runs[i].to, last);
        if (s > e)
            continue;
        edge(first, s - 1);
        fillRun(line + s, e - s + 1, shades[255]);
        first = e + 1;
    }
    edge(first, last);
}

// Calls `band(tileRow, xFrom, xTo)` for each row of tiles a stroke may lay pixels in, with the
// pixel columns it may reach there (wider than the stroke, never narrower).
template <typename Band>
void footprint(const ZEVFrontView::LinkStroke& k, int width, int height, Band band)
{
    constexpr int kTile = ZEVFrontView::LinkLayer::kTile;
    if (!finite(k) || width <= 0 || height <= 0)
        return;
    // The stroke's reach and a pixel more.
    const double reach = k.width / 2 + 1.5;
    const double grow = k.ring ? k.radius + reach : reach;
    const double top = std::min(k.a.y(), k.ring ? k.a.y() : k.b.y()) - grow;
    const double bottom = std::max(k.a.y(), k.ring ? k.a.y() : k.b.y()) + grow;
    if (bottom < 0 || top > height - 1)
        return;
    const int row0 = std::max(0, floorPixel(top)) / kTile, row1 = std::min(height - 1, ceilPixel(bottom)) / kTile;
    for (int ty = row0; ty <= row1; ++ty) {
        double lo, hi;
        if (k.ring) {
            lo = k.a.x() - grow;
            hi = k.a.x() + grow;
        } else {
            // The part of the segment within `reach` of the band's rows, then `reach` around it.
            const double y0 = ty * kTile - reach, y1 = (ty + 1) * kTile - 1 + reach;
            const double dy = k.b.y() - k.a.y();
            double t0 = 0, t1 = 1;
            if (dy != 0) {
                t0 = std::max(0.0, std::min((y0 - k.a.y()) / dy, (y1 - k.a.y()) / dy));
                t1 = std::min(1.0, std::max((y0 - k.a.y()) / dy, (y1 - k.a.y()) / dy));
            } else if (k.a.y() < y0 || k.a.y() > y1) {
                continue;
            }
            if (t0 > t1)
                continue;
            const double xa = k.a.x() + (k.b.x() - k.a.x()) * t0, xb = k.a.x() + (k.b.x() - k.a.x()) * t1;
            lo = std::min(xa, xb) - reach;
            hi = std::max(xa, xb) + reach;
        }
        if (hi < 0 || lo > width - 1)
            continue;
        band(ty, std::max(0, floorPixel(lo)), std::min(width - 1, ceilPixel(hi)));
    }
}

} // namespace

void ZEVFrontView::rasterizeStroke(QImage& image, const LinkStroke& k, const QRect& clip)
{
    if (!finite(k) || clip.isEmpty())
        return;
    const int left = clip.left(), right = clip.right(), top = clip.top(), bottom = clip.bottom();
    uchar* bits = image.bits();
    const qsizetype stride = image.bytesPerLine();
    const quint32* shades = shadesOf(qPremultiply(k.colour));
    const double hw = k.width / 2;
    // A pixel is covered by how far its centre lies inside the stroke's edge, over one pixel; as
    // with the painter's antialiasing, pixel (x, y) is centred on the point (x, y).
    const double reach = hw + 0.5;
    // Within `solid` of the stroke's middle a pixel is covered in full.
    const double solid = reach - 1 - kSolidMargin;
    auto row = [&](int y) { return reinterpret_cast<quint32*>(bits + y * stride); };

    if (k.ring) {
        const double cx = k.a.x(), cy = k.a.y(), r = k.radius;
        const double outer = r + reach, inner = r - reach;
        const double solidOuter = r + solid, solidInner = r - solid;
        const int y0 = std::max(top, floorPixel(cy - outer));
        const int y1 = std::min(bottom, ceilPixel(cy + outer));
        for (int y = y0; y <= y1; ++y) {
            const double dy = y - cy;
            if (std::abs(dy) > outer)
                continue;
            const double ox = std::sqrt(outer * outer - dy * dy);
            const double ix = inner > 0 && std::abs(dy) < inner ? std::sqrt(inner * inner - dy * dy) : -1;
            Run runs[2];
            int count = 0;
            if (solid > 0 && std::abs(dy) <= solidOuter) {
                const double fo = std::sqrt(solidOuter * solidOuter - dy * dy);
                const double fi =
                    solidInner > 0 && std::abs(dy) < solidInner ? std::sqrt(solidInner * solidInner - dy * dy) : -1;
                if (fi < 0) {
                    runs[count++] = {ceilPixel(cx - fo), floorPixel(cx + fo)};
                } else {
                    runs[count++] = {ceilPixel(cx - fo), floorPixel(cx - fi)};
                    runs[count++] = {ceilPixel(cx + fi), floorPixel(cx + fo)};
                }
            }
            auto coverage = [&](int x) {
                const double dx = x - cx;
                return reach - std::abs(std::sqrt(dx * dx + dy * dy) - r);
            };
            quint32* line = row(y);
            // A pixel beyond the span's ends lies outside the stroke, or so close to its edge
            // that its coverage rounds to nothing.
            const int x0 = std::max(left, ceilPixel(cx - ox)), x1 = std::min(right, floorPixel(cx + ox));
            // The pixels strictly between these two lie inside the hole. Where none does, the row
            // is one span, each pixel laid once.
            const int holeLeft = ix < 0 ? 0 : floorPixel(cx - ix), holeRight = ix < 0 ? 0 : ceilPixel(cx + ix);
            if (ix >= 0 && holeRight - holeLeft >= 2) {
                layRow(line, x0, std::min(x1, holeLeft), runs, count, shades, coverage);
                layRow(line, std::max(x0, holeRight), x1, runs, count, shades, coverage);
            } else {
                layRow(line, x0, x1, runs, count, shades, coverage);
            }
        }
        return;
    }

    // A line with round caps: the pixels near the segment from a to b.
    const QPointF a = k.a, b = k.b;
    const double lx = b.x() - a.x(), ly = b.y() - a.y();
    const double len = std::hypot(lx, ly);
    const double ux = len > 0 ? lx / len : 1, uy = len > 0 ? ly / len : 0;
    // The x interval of a row within `within` of the segment. The capsule is convex: its row is one
    // interval, the hull of its band's and its caps'.
    auto span = [&](double yc, double within, double* lo, double* hi) {
        *lo = std::numeric_limits<double>::infinity();
        *hi = -*lo;
        for (const QPointF& e : {a, b}) {
            const double dy = yc - e.y();
            if (std::abs(dy) <= within) {
                const double dx = std::sqrt(within * within - dy * dy);
                *lo = std::min(*lo, e.x() - dx);
                *hi = std::max(*hi, e.x() + dx);
            }
        }
        double nlo, nhi, tlo, thi;
        // Across: |-uy (x - ax) + ux (yc - ay)| <= within; along: 0 <= ux (x - ax) + uy (yc - ay) <= len.
        if (len > 0 && slab(-uy, uy * a.x() + ux * (yc - a.y()), within, &nlo, &nhi) &&
            slab(ux, -ux * a.x() + uy * (yc - a.y()) - len / 2, len / 2, &tlo, &thi)) {
            const double l = std::max(nlo, tlo), r = std::min(nhi, thi);
            if (l <= r) {
                *lo = std::min(*lo, l);
                *hi = std::max(*hi, r);
            }
        }
        return *lo <= *hi;
    };
    // Rows further than the reach (and a pixel or two) from both ends' rows cross the band between
    // the ends alone: there the span is centred where the line crosses the row, as wide as the
    // band measured along the row, and every pixel of it lies beside the segment, none beyond an
    // end (it is within a pixel of the band), so that its coverage is how far it lies across.
    const double high = std::min(a.y(), b.y()), low = std::max(a.y(), b.y());
    const int y0 = std::max(top, floorPixel(high - reach));
    const int y1 = std::min(bottom, ceilPixel(low + reach));
    const bool slanted = ly != 0;
    const int between0 = std::max(y0, floorPixel(high + reach + 2) + 1);
    const int between1 = std::min(y1, ceilPixel(low - reach - 2) - 1);
    auto betweenRows = [&](int from, int to) {
        const double dxdy = lx / ly, along = len / std::abs(ly);
        const double reachAlong = reach * along, solidAlong = solid * along;
        // Span ends kept within a pixel of the clip stay ints.
        const double lowest = left - 1.0, highest = right + 1.0;
        for (int y = from; y <= to; ++y) {
            const double yc = y;
            const double xc = a.x() + (yc - a.y()) * dxdy;
            // A pixel beyond the span's ends lies outside the stroke, or so close to its edge
            // that its coverage rounds to nothing.
            const int x0 = std::max(left, ceilWithin(std::clamp(xc - reachAlong, lowest, highest)));
            const int x1 = std::min(right, floorWithin(std::clamp(xc + reachAlong, lowest, highest)));
            if (x0 > x1)
                continue;
            quint32* line = row(y);
            const double across0 = (yc - a.y()) * ux + a.x() * uy;
            auto edge = [&](int first, int last) {
                double xd = first;
                for (int x = first; x <= last; ++x, xd += 1)
                    blend(line[x], shades, reach - std::abs(across0 - xd * uy));
            };
            if (solid > 0) {
                const int s = std::max(x0, ceilWithin(std::clamp(xc - solidAlong, lowest, highest)));
                const int e = std::min(x1, floorWithin(std::clamp(xc + solidAlong, lowest, highest)));
                if (s <= e) {
                    edge(x0, s - 1);
                    fillRun(line + s, e - s + 1, shades[255]);
                    edge(e + 1, x1);
                    continue;
                }
            }
            edge(x0, x1);
        }
    };
    // Rows near an end: the hull of the band's part and the ends' discs, each pixel from its own
    // position along the line and across it; the round ends alone need a square root.
    auto endRows = [&](int from, int to) {
        for (int y = from; y <= to; ++y) {
            const double yc = y;
            double lo, hi;
            if (!span(yc, reach, &lo, &hi))
                continue;
            Run run{0, -1};
            double flo, fhi;
            if (solid > 0 && span(yc, solid, &flo, &fhi))
                run = {ceilPixel(flo), floorPixel(fhi)};
            const int x0 = std::max(left, ceilPixel(lo)), x1 = std::min(right, floorPixel(hi));
            if (x0 > x1)
                continue;
            const double py = yc - a.y();
            auto coverage = [&](int x) {
                const double px = x - a.x();
                const double t = px * ux + py * uy, across = -px * uy + py * ux;
                if (t >= 0 && t <= len)
                    return reach - std::abs(across);
                const double e = t < 0 ? t : t - len;
                return reach - std::sqrt(e * e + across * across);
            };
            layRow(row(y), x0, x1, &run, 1, shades, coverage);
        }
    };
    if (!slanted || between0 > between1) {
        endRows(y0, y1);
        return;
    }
    endRows(y0, between0 - 1);
    betweenRows(between0, between1);
    endRows(between1 + 1, y1);
}

void ZEVFrontView::rasterizeStrokes(QImage& image, const std::vector<LinkStroke>& strokes)
{
    // Bands of rows laid side by side: each pixel lies in one band, where the strokes are laid
    // in their order, so the picture is the same as laid by one thread. One join a picture.
    const int w = image.width(), h = image.height();
    const int bands = strokes.size() < 64 || h < 64 ? 1 : int(std::clamp(std::thread::hardware_concurrency(), 1u, 4u));
    auto band = [&](int i) {
        const int from = h * i / bands, to = h * (i + 1) / bands;
        const QRect rows(0, from, w, to - from);
        for (const LinkStroke& k : strokes)
            rasterizeStroke(image, k, rows);
    };
    if (bands == 1) {
        band(0);
        return;
    }
    image.bits(); // detached once, before the threads write
    std::vector<std::thread> threads;
    for (int i = 1; i < bands; ++i)
        threads.emplace_back(band, i);
    band(0);
    for (std::thread& t : threads)
        t.join();
}

void ZEVFrontView::LinkLayer::paint(QPainter& p, QSize size, std::vector<LinkStroke> strokes)
{
    relaid_ = {};
    if (image_.size() != size) {
        image_ = QImage(size, QImage::Format_ARGB32_Premultiplied);
        layAll(strokes);
        strokes_ = std::move(strokes);
    } else if (strokes != strokes_) {
        if (strokes.size() != strokes_.size() || !layChanges(strokes))
            layAll(strokes);
        strokes_ = std::move(strokes);
    }
    if (!strokes_.empty())
        p.drawImage(QPointF(0, 0), image_);
}

void ZEVFrontView::LinkLayer::layAll(const std::vector<LinkStroke>& strokes)
{
    image_.fill(Qt::transparent);
    rasterizeStrokes(image_, strokes);
    relaid_ = {strokes.size(), 0, true};
}

bool ZEVFrontView::LinkLayer::layChanges(const std::vector<LinkStroke>& strokes)
{
    // Same number of strokes: those unchanged keep their order, so a pixel away from every
    // changed stroke (old place and new) is laid by the same strokes in the same order as before.
    const int w = image_.width(), h = image_.height();
    const int columns = (w + kTile - 1) / kTile, rows = (h + kTile - 1) / kTile;
    std::vector<char> dirty(std::size_t(columns) * rows, 0);
    std::vector<char> changed(strokes.size(), 0);
    auto mark = [&](const LinkStroke& k) {
        footprint(k, w, h, [&](int ty, int x0, int x1) {
            std::fill(dirty.begin() + ty * columns + x0 / kTile, dirty.begin() + ty * columns + x1 / kTile + 1, 1);
        });
    };
    for (std::size_t i = 0; i < strokes.size(); ++i)
        if (!(strokes[i] == strokes_[i])) {
            changed[i] = 1;
            mark(strokes_[i]);
            mark(strokes[i]);
        }
    // Beyond half the layer the threads laying it all are quicker.
    if (std::count(dirty.begin(), dirty.end(), 1) * 2 > std::ptrdiff_t(dirty.size()))
        return false;

    // The runs of dirty tiles in a row of tiles, over columns x0..x1 of pixels.
    auto runs = [&](int ty, int x0, int x1, auto each) {
        for (int tx = x0 / kTile, last = x1 / kTile; tx <= last; ++tx) {
            if (!dirty[std::size_t(ty) * columns + tx])
                continue;
            const int from = tx;
            while (tx < last && dirty[std::size_t(ty) * columns + tx + 1])
                ++tx;
            const QRect tiles(from * kTile, ty * kTile, (tx - from + 1) * kTile, kTile);
            each(tiles.intersected(QRect(x0, 0, x1 - x0 + 1, h)));
        }
    };
    uchar* bits = image_.bits();
    for (int ty = 0; ty < rows; ++ty)
        runs(ty, 0, w - 1, [&](const QRect& r) {
            for (int y = r.top(); y <= r.bottom(); ++y)
                std::memset(bits + y * image_.bytesPerLine() + r.left() * 4, 0, std::size_t(r.width()) * 4);
        });
    for (std::size_t i = 0; i < strokes.size(); ++i) {
        bool laid = false;
        footprint(strokes[i], w, h, [&](int ty, int x0, int x1) {
            runs(ty, x0, x1, [&](const QRect& r) {
                rasterizeStroke(image_, strokes[i], r);
                laid = true;
            });
        });
        if (changed[i])
            ++relaid_.whole;
        else if (laid)
            ++relaid_.clipped;
    }
    return true;
}

} // namespace tallomer
