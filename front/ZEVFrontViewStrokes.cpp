// The front view's stroker: rings and round-ended lines laid row by row on a premultiplied image.
// Each row of a stroke is one or two spans: where a span holds a long run of pixels whose centres
// lie a pixel or more inside the stroke's edge, the run is laid at full coverage, and the other
// pixels have their coverage worked out, four at a time, each from its own distance to the
// stroke, so that a pixel's colour never depends on where a band or a clip starts.

#include "front/ZEVFrontView.h"

#include "widgets/ZEVBlitBatch.h"

#include <QPainter>

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <cstdint>
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

// Two pixels' worth of a coordinate or a coverage, worked out with the operations, in the order,
// that one pixel's would be: the two lanes give the same doubles as two pixels laid one by one.
#if defined(__SSE2__)
struct Pair {
    __m128d v;
    static Pair of(double d) { return {_mm_set1_pd(d)}; }
    // Columns x and x + 1.
    static Pair columns(int x) { return {_mm_set_pd(x + 1, x)}; }
};
inline Pair operator+(Pair a, Pair b) { return {_mm_add_pd(a.v, b.v)}; }
inline Pair operator-(Pair a, Pair b) { return {_mm_sub_pd(a.v, b.v)}; }
inline Pair operator*(Pair a, Pair b) { return {_mm_mul_pd(a.v, b.v)}; }
inline Pair operator-(Pair a) { return {_mm_xor_pd(a.v, _mm_set1_pd(-0.0))}; }
inline Pair abs(Pair a) { return {_mm_andnot_pd(_mm_set1_pd(-0.0), a.v)}; }
inline Pair sqrt(Pair a) { return {_mm_sqrt_pd(a.v)}; }
// Lanes where `when` holds take a, the others b; `when` from the comparisons below.
inline Pair choose(Pair when, Pair a, Pair b)
{
    return {_mm_or_pd(_mm_and_pd(when.v, a.v), _mm_andnot_pd(when.v, b.v))};
}
inline Pair atLeast(Pair a, Pair b) { return {_mm_cmpge_pd(a.v, b.v)}; }
inline Pair atMost(Pair a, Pair b) { return {_mm_cmple_pd(a.v, b.v)}; }
inline Pair both(Pair a, Pair b) { return {_mm_and_pd(a.v, b.v)}; }
#else
struct Pair {
    double v[2];
    static Pair of(double d) { return {{d, d}}; }
    static Pair columns(int x) { return {{double(x), double(x + 1)}}; }
};
template <typename F>
inline Pair lanes(Pair a, Pair b, F f)
{
    return {{f(a.v[0], b.v[0]), f(a.v[1], b.v[1])}};
}
inline Pair operator+(Pair a, Pair b)
{
    return lanes(a, b, [](double x, double y) { return x + y; });
}
inline Pair operator-(Pair a, Pair b)
{
    return lanes(a, b, [](double x, double y) { return x - y; });
}
inline Pair operator*(Pair a, Pair b)
{
    return lanes(a, b, [](double x, double y) { return x * y; });
}
inline Pair operator-(Pair a) { return {{-a.v[0], -a.v[1]}}; }
inline Pair abs(Pair a) { return {{std::abs(a.v[0]), std::abs(a.v[1])}}; }
inline Pair sqrt(Pair a) { return {{std::sqrt(a.v[0]), std::sqrt(a.v[1])}}; }
inline Pair choose(Pair when, Pair a, Pair b) { return {{when.v[0] ? a.v[0] : b.v[0], when.v[1] ? a.v[1] : b.v[1]}}; }
inline Pair atLeast(Pair a, Pair b)
{
    return lanes(a, b, [](double x, double y) { return double(x >= y); });
}
inline Pair atMost(Pair a, Pair b)
{
    return lanes(a, b, [](double x, double y) { return double(x <= y); });
}
inline Pair both(Pair a, Pair b)
{
    return lanes(a, b, [](double x, double y) { return double(x && y); });
}
#endif

#if defined(__SSE2__)
// The levels in 255ths of two coverages, rounded, in the low two 32-bit lanes: a coverage of 1 or
// more gives 255 (min with 1 first, so that no level beyond reaches the conversion); one of
// nothing or less gives 0 or less, as does one that is not a number (it stays one through min).
inline __m128i levelsOf(Pair c)
{
    return _mm_cvttpd_epi32(
        _mm_add_pd(_mm_mul_pd(_mm_min_pd(_mm_set1_pd(1.0), c.v), _mm_set1_pd(255.0)), _mm_set1_pd(0.5)));
}
// Qt's BYTE_MUL on 16-bit channels: x * a + (x * a >> 8) + 0x80 stays below 65536.
inline __m128i times(__m128i x, __m128i a)
{
    const __m128i t = _mm_mullo_epi16(x, a);
    return _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(t, _mm_srli_epi16(t, 8)), _mm_set1_epi16(0x80)), 8);
}
// Of two pixels as 16-bit channels, 255 less each one's alpha, in each of its channels.
inline __m128i through(__m128i s)
{
    return _mm_sub_epi16(_mm_set1_epi16(255), _mm_shufflehi_epi16(_mm_shufflelo_epi16(s, 0xff), 0xff));
}
// Levels 0 to 255 from 32-bit lanes (those below 0 made 0, those of pixels from n on made 0, so
// that they are written as they were), each repeated in the four 16-bit channels of its pixel:
// pixels 0 and 1 in the first, 2 and 3 in the second.
inline void spread(__m128i levels, int n, __m128i* lo, __m128i* hi)
{
    alignas(16) static const qint32 lanes[5][4] = {
        {0, 0, 0, 0}, {-1, 0, 0, 0}, {-1, -1, 0, 0}, {-1, -1, -1, 0}, {-1, -1, -1, -1}};
    const __m128i kept = _mm_and_si128(levels, _mm_load_si128(reinterpret_cast<const __m128i*>(lanes[n])));
    const __m128i zero = _mm_setzero_si128();
    const __m128i words = _mm_unpacklo_epi8(_mm_packus_epi16(_mm_packs_epi32(kept, kept), zero), zero);
    const __m128i pairs = _mm_unpacklo_epi16(words, words);
    *lo = _mm_unpacklo_epi32(pairs, pairs);
    *hi = _mm_unpackhi_epi32(pairs, pairs);
}
#else
inline void blendScalar(quint32* d, quint32 colour, const double* coverage, int n)
{
    for (int i = 0; i < n; ++i) {
        if (!(coverage[i] > 0))
            continue;
        const quint32 s = coverage[i] >= 1 ? colour : byteMul(colour, quint32(coverage[i] * 255 + 0.5));
        d[i] = s + byteMul(d[i], 255 - qAlpha(s));
    }
}
#endif

// Lays a premultiplied colour over the first n of four pixels (the others are written as they
// were), each at its coverage (of pixels 0 and 1, then 2 and 3) between 0 and 1, source over: the
// colour scaled by the coverage in 255ths, rounded, and what lies beneath scaled by what the
// scaled colour lets through (Qt's BYTE_MUL, to the bit). A coverage of nothing or less leaves the
// pixel as it was, as does one that is not a number.
inline void blendFour(quint32* d, quint32 colour, Pair first, Pair second, int n)
{
#if defined(__SSE2__)
    __m128i lo, hi;
    spread(_mm_unpacklo_epi64(levelsOf(first), levelsOf(second)), n, &lo, &hi);
    const __m128i zero = _mm_setzero_si128(), c = _mm_unpacklo_epi8(_mm_set1_epi32(int(colour)), zero);
    const __m128i sLo = times(c, lo), sHi = times(c, hi);
    const __m128i under = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d));
    const __m128i kept = _mm_packus_epi16(times(_mm_unpacklo_epi8(under, zero), through(sLo)),
                                          times(_mm_unpackhi_epi8(under, zero), through(sHi)));
    // Added as whole pixels, as the scalar sum is.
    _mm_storeu_si128(reinterpret_cast<__m128i*>(d), _mm_add_epi32(_mm_packus_epi16(sLo, sHi), kept));
#else
    const double coverage[4] = {first.v[0], first.v[1], second.v[0], second.v[1]};
    blendScalar(d, colour, coverage, n);
#endif
}

// The same over the first n of two pixels.
inline void blendTwo(quint32* d, quint32 colour, Pair first, int n)
{
#if defined(__SSE2__)
    __m128i lo, hi;
    spread(levelsOf(first), n, &lo, &hi);
    const __m128i zero = _mm_setzero_si128(), c = _mm_unpacklo_epi8(_mm_set1_epi32(int(colour)), zero);
    const __m128i s = times(c, lo);
    const __m128i under = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(d));
    const __m128i kept = times(_mm_unpacklo_epi8(under, zero), through(s));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(d),
                     _mm_add_epi32(_mm_packus_epi16(s, zero), _mm_packus_epi16(kept, zero)));
#else
    blendScalar(d, colour, first.v, n);
#endif
}

// Lays a colour over pixels first..last of a row `width` pixels long, each at the coverage `cover`
// gives for a pair of columns. Four pixels at a time, the last two or four read and written whole
// (the ones past `last` as they were) unless they would run past the row.
template <typename Cover>
[[gnu::always_inline]] inline void layCovered(quint32* line, int first, int last, int width, quint32 colour,
                                              Cover cover)
{
    int x = first;
    Pair at = Pair::columns(first);
    const Pair two = Pair::of(2), four = Pair::of(4);
    for (; x + 3 <= last; x += 4, at = at + four)
        blendFour(line + x, colour, cover(at), cover(at + two), 4);
    if (x > last)
        return;
    const int n = last - x + 1;
    if (n <= 2 && x + 1 < width) {
        blendTwo(line + x, colour, cover(at), n);
        return;
    }
    if (x + 3 < width) {
        blendFour(line + x, colour, cover(at), cover(at + two), n);
        return;
    }
    quint32 part[4] = {};
    for (int i = 0; i < n; ++i)
        part[i] = line[x + i];
    blendFour(part, colour, cover(at), cover(at + two), n);
    for (int i = 0; i < n; ++i)
        line[x + i] = part[i];
}

// The colour at full coverage over a run of pixels: what `blendFour` gives at 1, a pixel at a
// time only where the colour lets what lies beneath show.
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

// The rows a thread lays at a time.
constexpr int kBand = 2 * ZEVFrontView::LinkLayer::kTile;

// Runs of full coverage shorter than this are laid with the pixels around them, each at its
// coverage (which is full there): one pass over the row costs less than three.
constexpr int kLongRun = 8;

// Lays the pixels first..last of a row: the long ones of the runs (in order, disjoint) at full
// coverage, the others at the coverage the stroke gives them.
template <typename Cover>
void layRow(quint32* line, int first, int last, int width, const Run* runs, int count, quint32 colour, Cover cover)
{
    for (int i = 0; i < count; ++i) {
        const int s = std::max(runs[i].from, first), e = std::min(runs[i].to, last);
        if (e - s + 1 < kLongRun)
            continue;
        layCovered(line, first, s - 1, width, colour, cover);
        fillRun(line + s, e - s + 1, colour);
        first = e + 1;
    }
    layCovered(line, first, last, width, colour, cover);
}

// Calls `band(tileRow, xFrom, xTo)` for each row of tiles from `firstRow` to `lastRow` a stroke
// may lay pixels in, with the pixel columns it may reach there (wider than the stroke, never
// narrower).
template <typename Band>
void footprint(const ZEVFrontView::LinkStroke& k, int width, int height, Band band, int firstRow = 0,
               int lastRow = std::numeric_limits<int>::max())
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
    const int row0 = std::max(firstRow, std::max(0, floorPixel(top)) / kTile);
    const int row1 = std::min(lastRow, std::min(height - 1, ceilPixel(bottom)) / kTile);
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

// Where a stroke may lay pixels: the rows top..bottom, and of each row's span the parts `each`
// hands on (in order). `open` says whether a row may hold any at all, before its span is sought.
struct RectClip {
    int left, right, top, bottom;
    bool open(int) const { return true; }
    template <typename F>
    void each(int, int x0, int x1, F f) const
    {
        const int s = std::max(x0, left), e = std::min(x1, right);
        if (s <= e)
            f(s, e);
    }
};

// Runs of pixels row by row, each row's in order and apart.
struct RowRuns {
    std::vector<int> first; // row y's runs are runs[first[y]] up to runs[first[y + 1]]
    std::vector<Run> runs;
    bool any(int y) const { return first[std::size_t(y)] < first[std::size_t(y) + 1]; }
};

struct RunsClip {
    const RowRuns& rows;
    int top, bottom;
    bool open(int y) const { return rows.any(y); }
    template <typename F>
    void each(int y, int x0, int x1, F f) const
    {
        for (int i = rows.first[std::size_t(y)], n = rows.first[std::size_t(y) + 1]; i < n; ++i) {
            const Run& r = rows.runs[std::size_t(i)];
            if (r.from > x1)
                return;
            const int s = std::max(x0, r.from), e = std::min(x1, r.to);
            if (s <= e)
                f(s, e);
        }
    }
};

// Lays nothing: keeps, row by row, the span of pixels a stroke would lay in, within the picture.
struct SpanTaker {
    int top, bottom, width;
    std::vector<std::array<int, 3>>* spans;
    bool open(int) const { return true; }
    template <typename F>
    void each(int y, int x0, int x1, F) const
    {
        const int s = std::max(x0, 0), e = std::min(x1, width - 1);
        if (s <= e)
            spans->push_back({y, s, e});
    }
};

// Lays one stroke where the clip lets it, on the rows of a picture `width` pixels wide (inside
// the picture, which the caller has detached).
template <typename Clip>
void layStroke(uchar* bits, int width, qsizetype stride, const ZEVFrontView::LinkStroke& k, const Clip& clip)
{
    if (!finite(k) || clip.top > clip.bottom)
        return;
    const int top = clip.top, bottom = clip.bottom;
    const quint32 colour = qPremultiply(k.colour);
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
            if (std::abs(dy) > outer || !clip.open(y))
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
            const Pair dyy = Pair::of(dy * dy), rr = Pair::of(r), reached = Pair::of(reach), centre = Pair::of(cx);
            auto coverage = [&](Pair x) {
                const Pair dx = x - centre;
                return reached - abs(sqrt(dx * dx + dyy) - rr);
            };
            quint32* line = row(y);
            // The pixels strictly between these two lie inside the hole. Where none does, the row
            // is one span, each pixel laid once.
            const int holeLeft = ix < 0 ? 0 : floorPixel(cx - ix), holeRight = ix < 0 ? 0 : ceilPixel(cx + ix);
            const bool hole = ix >= 0 && holeRight - holeLeft >= 2;
            // A pixel beyond the span's ends lies outside the stroke, or so close to its edge
            // that its coverage rounds to nothing.
            clip.each(y, ceilPixel(cx - ox), floorPixel(cx + ox), [&](int x0, int x1) {
                if (hole) {
                    layRow(line, x0, std::min(x1, holeLeft), width, runs, count, colour, coverage);
                    layRow(line, std::max(x0, holeRight), x1, width, runs, count, colour, coverage);
                } else {
                    layRow(line, x0, x1, width, runs, count, colour, coverage);
                }
            });
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
        // Span ends kept within a pixel of the picture stay ints.
        const double lowest = -1.0, highest = width;
        for (int y = from; y <= to; ++y) {
            if (!clip.open(y))
                continue;
            const double yc = y;
            const double xc = a.x() + (yc - a.y()) * dxdy;
            // A pixel beyond the span's ends lies outside the stroke, or so close to its edge
            // that its coverage rounds to nothing.
            const int x0 = ceilWithin(std::clamp(xc - reachAlong, lowest, highest));
            const int x1 = floorWithin(std::clamp(xc + reachAlong, lowest, highest));
            if (x0 > x1)
                continue;
            quint32* line = row(y);
            const double across0 = (yc - a.y()) * ux + a.x() * uy;
            const Pair across = Pair::of(across0), slope = Pair::of(uy), reached = Pair::of(reach);
            auto coverage = [&](Pair x) { return reached - abs(across - x * slope); };
            clip.each(y, x0, x1, [&](int first, int last) {
                // A span too short to hold a long run is laid in one pass, its run unsought.
                if (solid > 0 && last - first + 1 >= kLongRun) {
                    const int s = std::max(first, ceilWithin(std::clamp(xc - solidAlong, lowest, highest)));
                    const int e = std::min(last, floorWithin(std::clamp(xc + solidAlong, lowest, highest)));
                    if (e - s + 1 >= kLongRun) {
                        layCovered(line, first, s - 1, width, colour, coverage);
                        fillRun(line + s, e - s + 1, colour);
                        layCovered(line, e + 1, last, width, colour, coverage);
                        return;
                    }
                }
                layCovered(line, first, last, width, colour, coverage);
            });
        }
    };
    // Rows near an end: the hull of the band's part and the ends' discs, each pixel from its own
    // position along the line and across it; the round ends alone need a square root.
    auto endRows = [&](int from, int to) {
        for (int y = from; y <= to; ++y) {
            if (!clip.open(y))
                continue;
            const double yc = y;
            double lo, hi;
            if (!span(yc, reach, &lo, &hi))
                continue;
            Run run{0, -1};
            double flo, fhi;
            if (solid > 0 && span(yc, solid, &flo, &fhi))
                run = {ceilPixel(flo), floorPixel(fhi)};
            const double py = yc - a.y();
            const Pair pyuy = Pair::of(py * uy), pyux = Pair::of(py * ux), ax = Pair::of(a.x()), alongX = Pair::of(ux),
                       acrossX = Pair::of(uy), length = Pair::of(len), reached = Pair::of(reach), zero = Pair::of(0);
            auto coverage = [&](Pair x) {
                const Pair px = x - ax;
                const Pair t = px * alongX + pyuy, across = -px * acrossX + pyux;
                // Beside the segment, how far across; beyond an end, how far from it.
                const Pair e = choose(atLeast(t, zero), t - length, t);
                return choose(both(atLeast(t, zero), atMost(t, length)), reached - abs(across),
                              reached - sqrt(e * e + across * across));
            };
            quint32* line = row(y);
            clip.each(y, ceilPixel(lo), floorPixel(hi),
                      [&](int x0, int x1) { layRow(line, x0, x1, width, &run, 1, colour, coverage); });
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

// Calls `lay(band)` for bands 0..count - 1, on `threads` threads taking bands in turn, whichever
// is free next; one join.
template <typename Lay>
void inBands(int count, int threads, Lay lay)
{
    std::atomic<int> next{0};
    auto run = [&] {
        for (int b; (b = next.fetch_add(1, std::memory_order_relaxed)) < count;)
            lay(b);
    };
    std::vector<std::thread> others;
    for (int i = 1; i < threads; ++i)
        others.emplace_back(run);
    run();
    for (std::thread& t : others)
        t.join();
}

int threadsFor(std::size_t strokesLaid, int bands)
{
    return strokesLaid < 64 || bands < 4 ? 1 : int(std::clamp(std::thread::hardware_concurrency(), 1u, 4u));
}

// The picture's part a stroke may lay pixels in, a pixel more all round.
QRect reachOf(const ZEVFrontView::LinkStroke& k, QSize size)
{
    if (!finite(k))
        return {};
    const double grow = k.width / 2 + 1.5 + (k.ring ? k.radius : 0);
    const QPointF b = k.ring ? k.a : k.b;
    const int x0 = std::max(0, floorPixel(std::min(k.a.x(), b.x()) - grow));
    const int x1 = std::min(size.width() - 1, ceilPixel(std::max(k.a.x(), b.x()) + grow));
    const int y0 = std::max(0, floorPixel(std::min(k.a.y(), b.y()) - grow));
    const int y1 = std::min(size.height() - 1, ceilPixel(std::max(k.a.y(), b.y()) + grow));
    return x0 > x1 || y0 > y1 ? QRect() : QRect(QPoint(x0, y0), QPoint(x1, y1));
}

} // namespace

void ZEVFrontView::rasterizeStrokes(QImage& image, const std::vector<LinkStroke>& strokes)
{
    // Bands of rows small enough to stay in a core's cache while every stroke crossing one is laid
    // there: a long line crosses a row of the picture at a new place each row, and a picture of
    // 1920 by 1200 would be fetched from memory again for each. In a band the strokes are laid in
    // their order, so the picture is the same as laid by one thread.
    const int w = image.width(), h = image.height();
    if (w <= 0 || h <= 0 || strokes.empty())
        return;
    const int bands = (h + kBand - 1) / kBand;
    std::vector<std::vector<std::uint32_t>> crossing{std::size_t(bands)};
    for (std::size_t i = 0; i < strokes.size(); ++i)
        footprint(strokes[i], w, h, [&](int tileRow, int, int) {
            std::vector<std::uint32_t>& in = crossing[std::size_t(tileRow * LinkLayer::kTile / kBand)];
            if (in.empty() || in.back() != i)
                in.push_back(std::uint32_t(i));
        });
    uchar* bits = image.bits(); // detached once, before the threads write
    const qsizetype stride = image.bytesPerLine();
    inBands(bands, threadsFor(strokes.size(), bands), [&](int b) {
        const RectClip rows{0, w - 1, b * kBand, std::min(h, (b + 1) * kBand) - 1};
        for (std::uint32_t i : crossing[std::size_t(b)])
            layStroke(bits, w, stride, strokes[i], rows);
    });
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
    if (strokes_.empty() || laidIn_.isEmpty())
        return;
    // Only the part strokes may have laid pixels in, the rest being clear, blended by the threads
    // of a blit batch. Its pixels are lent, not shared: a copy the batch let go of on another
    // thread after this paint would make the next lay copy the whole layer first; the batch has
    // drawn it before this returns.
    const QImage part(image_.constBits() + laidIn_.top() * image_.bytesPerLine() + laidIn_.left() * 4, laidIn_.width(),
                      laidIn_.height(), image_.bytesPerLine(), image_.format());
    ZEVBlitBatch::begin(p);
    ZEVBlitBatch::drawImage(p, QPointF(laidIn_.topLeft()), part);
    ZEVBlitBatch::end(p);
}

void ZEVFrontView::LinkLayer::layAll(const std::vector<LinkStroke>& strokes)
{
    image_.fill(Qt::transparent);
    rasterizeStrokes(image_, strokes);
    relaid_ = {strokes.size(), 0, true};
    laidIn_ = QRect();
    for (const LinkStroke& k : strokes)
        laidIn_ |= reachOf(k, image_.size());
}

bool ZEVFrontView::LinkLayer::layChanges(const std::vector<LinkStroke>& strokes)
{
    // Same number of strokes: those unchanged keep their order, so a pixel no changed stroke lays
    // in (at its old place or its new) is laid by the same strokes in the same order as before.
    // Those pixels are kept; the others are cleared and laid again by every stroke crossing them.
    const int w = image_.width(), h = image_.height();
    uchar* bits = image_.bits();
    const qsizetype stride = image_.bytesPerLine();
    std::vector<char> changed(strokes.size(), 0);
    std::vector<std::array<int, 3>> spans;
    const SpanTaker taker{0, h - 1, w, &spans};
    for (std::size_t i = 0; i < strokes.size(); ++i)
        if (!(strokes[i] == strokes_[i])) {
            changed[i] = 1;
            layStroke(bits, w, stride, strokes_[i], taker);
            layStroke(bits, w, stride, strokes[i], taker);
        }

    // The spans, row by row, in order and merged.
    RowRuns dirty;
    dirty.first.assign(std::size_t(h) + 1, 0);
    for (const auto& s : spans)
        ++dirty.first[std::size_t(s[0]) + 1];
    for (int y = 0; y < h; ++y)
        dirty.first[std::size_t(y) + 1] += dirty.first[std::size_t(y)];
    dirty.runs.resize(spans.size());
    {
        std::vector<int> at(dirty.first.begin(), dirty.first.end() - 1);
        for (const auto& s : spans)
            dirty.runs[std::size_t(at[std::size_t(s[0])]++)] = {s[1], s[2]};
    }
    int kept = 0;
    for (int y = 0, from = 0; y < h; ++y) {
        const int to = dirty.first[std::size_t(y) + 1];
        dirty.first[std::size_t(y)] = kept;
        std::sort(dirty.runs.begin() + from, dirty.runs.begin() + to,
                  [](const Run& l, const Run& r) { return l.from < r.from; });
        for (int i = from; i < to; ++i) {
            const Run r = dirty.runs[std::size_t(i)];
            if (kept > dirty.first[std::size_t(y)] && r.from <= dirty.runs[std::size_t(kept) - 1].to + 1)
                dirty.runs[std::size_t(kept) - 1].to = std::max(dirty.runs[std::size_t(kept) - 1].to, r.to);
            else
                dirty.runs[std::size_t(kept++)] = r;
        }
        from = to;
    }
    dirty.first[std::size_t(h)] = kept;
    dirty.runs.resize(std::size_t(kept));

    const int columns = (w + kTile - 1) / kTile, rows = (h + kTile - 1) / kTile;
    std::vector<char> tiles(std::size_t(columns) * rows, 0);
    for (int y = 0; y < h; ++y)
        for (int i = dirty.first[std::size_t(y)]; i < dirty.first[std::size_t(y) + 1]; ++i) {
            const Run& r = dirty.runs[std::size_t(i)];
            std::fill(tiles.begin() + (y / kTile) * columns + r.from / kTile,
                      tiles.begin() + (y / kTile) * columns + r.to / kTile + 1, 1);
        }
    // Beyond half the layer the threads laying it all are quicker.
    if (std::count(tiles.begin(), tiles.end(), 1) * 2 > std::ptrdiff_t(tiles.size()))
        return false;

    // Each band of rows with pixels to lay again is cleared there, then laid by the strokes
    // crossing its tiles with such pixels, in their order.
    std::vector<QRect> reaches(strokes.size());
    laidIn_ = QRect();
    for (std::size_t i = 0; i < strokes.size(); ++i)
        laidIn_ |= reaches[i] = reachOf(strokes[i], image_.size());
    const int bands = (h + kBand - 1) / kBand;
    std::vector<int> work;
    for (int b = 0; b < bands; ++b)
        if (dirty.first[std::size_t(b) * kBand] < dirty.first[std::size_t(std::min(h, (b + 1) * kBand))])
            work.push_back(b);
    std::vector<std::vector<std::uint32_t>> crossing(work.size());
    inBands(int(work.size()), threadsFor(strokes.size(), int(work.size())), [&](int n) {
        const int b = work[std::size_t(n)];
        const RunsClip clip{dirty, b * kBand, std::min(h, (b + 1) * kBand) - 1};
        for (int y = clip.top; y <= clip.bottom; ++y)
            for (int i = dirty.first[std::size_t(y)]; i < dirty.first[std::size_t(y) + 1]; ++i) {
                const Run& r = dirty.runs[std::size_t(i)];
                std::memset(bits + y * stride + r.from * 4, 0, std::size_t(r.to - r.from + 1) * 4);
            }
        for (std::size_t i = 0; i < strokes.size(); ++i) {
            const QRect& reach = reaches[i];
            if (reach.isEmpty() || reach.bottom() < clip.top || reach.top() > clip.bottom)
                continue;
            // The band's rows of tiles (a bit each) where the stroke meets pixels to lay again:
            // it is laid on those rows alone.
            int hit = 0;
            footprint(
                strokes[i], w, h,
                [&](int ty, int x0, int x1) {
                    const auto tile = tiles.begin() + ty * columns;
                    if (std::find(tile + x0 / kTile, tile + x1 / kTile + 1, 1) != tile + x1 / kTile + 1)
                        hit |= 1 << (ty - clip.top / kTile);
                },
                clip.top / kTile, clip.bottom / kTile);
            if (!hit)
                continue;
            crossing[std::size_t(n)].push_back(std::uint32_t(i));
            static_assert(kBand == 2 * kTile);
            const int top = hit & 1 ? clip.top : clip.top + kTile;
            const int bottom = hit & 2 ? clip.bottom : std::min(clip.bottom, clip.top + kTile - 1);
            layStroke(bits, w, stride, strokes[i], RunsClip{dirty, top, bottom});
        }
    });
    std::vector<char> laid(strokes.size(), 0);
    for (const auto& in : crossing)
        for (std::uint32_t i : in)
            laid[i] = 1;
    for (std::size_t i = 0; i < strokes.size(); ++i) {
        if (changed[i])
            ++relaid_.whole;
        else if (laid[i])
            ++relaid_.clipped;
    }
    return true;
}

} // namespace tallomer
