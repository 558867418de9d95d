// The stroker of the link lines against the one it replaced (kept here as the judge): the same
// pixels for random rings and lines of every width, angle and length, ends outside the picture,
// halo and core laid as a frame lays them. And the kept layer: after some strokes change, or one
// Object of a desk moves, only those strokes are laid whole, the others only where they were
// cleared, and the picture is the one laid afresh.

#include "front/ZEVFrontView.h"
#include "objects/viewer/ZEVItemConnexion.h"
#include "tests/objects/ObjectsFakes.h"
#include "widgets/ZEVBlitBatch.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <set>
#include <vector>

namespace {

using namespace tallomer;
using Stroke = ZEVFrontView::LinkStroke;

// The stroker as it was: per pixel of a row's span, coverage in doubles stepped along the row.
// Its one fault is mended: where a ring's hole is narrower than a pixel on a row, the two spans
// of that row overlapped and their common pixels were laid twice.
namespace before {

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

inline void blend(quint32& d, quint32 colour, double coverage)
{
    if (coverage <= 0)
        return;
    const quint32 c = coverage >= 1 ? 255u : quint32(coverage * 255 + 0.5);
    const quint32 s = c == 255 ? colour : byteMul(colour, c);
    d = s + byteMul(d, 255 - qAlpha(s));
}

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

void lay(QImage& image, const Stroke& k)
{
    const int w = image.width(), h = image.height();
    const quint32 colour = qPremultiply(k.colour);
    const double reach = k.width / 2 + 0.5;
    auto row = [&](int y) { return reinterpret_cast<quint32*>(image.scanLine(y)); };
    if (k.ring) {
        const double cx = k.a.x(), cy = k.a.y(), r = k.radius;
        const double outer = r + reach, inner = r - reach;
        const int y0 = std::max(0, int(std::floor(cy - outer)));
        const int y1 = std::min(h - 1, int(std::ceil(cy + outer)));
        for (int y = y0; y <= y1; ++y) {
            const double dy = y - cy;
            if (std::abs(dy) > outer)
                continue;
            const double ox = std::sqrt(outer * outer - dy * dy);
            const double ix = inner > 0 && std::abs(dy) < inner ? std::sqrt(inner * inner - dy * dy) : -1;
            quint32* line = row(y);
            auto span = [&](double lo, double hi) {
                const int x0 = std::max(0, int(std::floor(lo))), x1 = std::min(w - 1, int(std::ceil(hi)));
                for (int x = x0; x <= x1; ++x) {
                    const double dx = x - cx;
                    blend(line[x], colour, reach - std::abs(std::sqrt(dx * dx + dy * dy) - r));
                }
            };
            if (ix < 0 || std::ceil(cx - ix) >= std::floor(cx + ix)) { // the mend
                span(cx - ox, cx + ox);
            } else {
                span(cx - ox, cx - ix);
                span(cx + ix, cx + ox);
            }
        }
        return;
    }
    const QPointF a = k.a, b = k.b;
    const double lx = b.x() - a.x(), ly = b.y() - a.y();
    const double len = std::hypot(lx, ly);
    const double ux = len > 0 ? lx / len : 1, uy = len > 0 ? ly / len : 0;
    const int y0 = std::max(0, int(std::floor(std::min(a.y(), b.y()) - reach)));
    const int y1 = std::min(h - 1, int(std::ceil(std::max(a.y(), b.y()) + reach)));
    for (int y = y0; y <= y1; ++y) {
        const double yc = y;
        double lo = std::numeric_limits<double>::infinity(), hi = -lo;
        for (const QPointF& e : {a, b}) {
            const double dy = yc - e.y();
            if (std::abs(dy) <= reach) {
                const double dx = std::sqrt(reach * reach - dy * dy);
                lo = std::min(lo, e.x() - dx);
                hi = std::max(hi, e.x() + dx);
            }
        }
        double nlo, nhi, tlo, thi;
        if (len > 0 && slab(-uy, uy * a.x() + ux * (yc - a.y()), reach, &nlo, &nhi) &&
            slab(ux, -ux * a.x() + uy * (yc - a.y()) - len / 2, len / 2, &tlo, &thi)) {
            const double l = std::max(nlo, tlo), r = std::min(nhi, thi);
            if (l <= r) {
                lo = std::min(lo, l);
                hi = std::max(hi, r);
            }
        }
        if (lo > hi)
            continue;
        quint32* line = row(y);
        const int x0 = std::max(0, int(std::floor(lo))), x1 = std::min(w - 1, int(std::ceil(hi)));
        const double py = yc - a.y();
        double t = (x0 - a.x()) * ux + py * uy;
        double across = -(x0 - a.x()) * uy + py * ux;
        for (int x = x0; x <= x1; ++x, t += ux, across -= uy) {
            double d;
            if (t >= 0 && t <= len) {
                d = std::abs(across);
            } else {
                const double e = t < 0 ? t : t - len;
                d = std::sqrt(e * e + across * across);
            }
            blend(line[x], colour, reach - d);
        }
    }
}

} // namespace before

// Random rings and lines as a frame has them: a translucent halo pass, then an opaque or
// translucent core pass over the same places, with the awkward cases among them.
std::vector<Stroke> randomFrame(std::mt19937& random, int count, double width, double height)
{
    std::uniform_real_distribution<double> x(-60, width + 60), y(-60, height + 60), unit(0, 1), radius(0.2, 48);
    const double halos[] = {5.0, 7.5, 10.0, 0.6}, cores[] = {1.5, 2.5, 1.0, 0.4};
    std::vector<Stroke> halo, core;
    for (int i = 0; i < count; ++i) {
        const QPointF a(x(random), y(random));
        QPointF b(x(random), y(random));
        switch (i % 12) {
        case 0: b.setX(a.x()); break;                                // upright
        case 1: b.setY(a.y()); break;                                // level
        case 2: b = a; break;                                        // a dot
        case 3: b = a + QPointF(unit(random), -unit(random)); break; // shorter than a pixel
        case 4: b = QPointF(std::round(b.x()), std::round(b.y())); break;
        case 5: b = a + QPointF(1e5 * (unit(random) - 0.5), 1e5 * (unit(random) - 0.5)); break; // far out
        case 6: b = a + QPointF(400, 1); break;                      // nearly level
        default: break;
        }
        const bool ring = i % 4 == 3;
        const QPointF centre = i % 8 == 3 ? QPointF(std::round(a.x()) + 0.5, std::round(a.y())) : a;
        const double r = i % 16 == 7 ? 0.3 : radius(random);
        const QColor c = QColor::fromHsv((i * 53) % 360, 180, 230);
        const QColor h = QColor::fromHsv((i * 53) % 360, 120, 250, 40 + i % 180);
        halo.push_back({ring, ring ? centre : a, ring ? QPointF() : b, ring ? r : 0, halos[i % 4], h.rgba()});
        core.push_back({ring, ring ? centre : a, ring ? QPointF() : b, ring ? r : 0, cores[i % 4],
                        i % 5 == 0 ? QColor(c.red(), c.green(), c.blue(), 150).rgba() : c.rgba()});
    }
    halo.insert(halo.end(), core.begin(), core.end());
    return halo;
}

// A picture inside a larger buffer whose margin holds a pattern: a stroke that lays a pixel
// outside the picture (a row above or below it, a column beside it) changes the pattern.
class Framed {
public:
    static constexpr int kMargin = 80;
    static constexpr quint32 kPattern = 0x5a3c5a3cu;

    explicit Framed(const QImage& picture)
        : stride_(picture.width() + 2 * kMargin),
          buffer_(std::size_t(stride_) * (picture.height() + 2 * kMargin), kPattern),
          image_(reinterpret_cast<uchar*>(buffer_.data() + kMargin * stride_ + kMargin), picture.width(),
                 picture.height(), stride_ * 4, QImage::Format_ARGB32_Premultiplied)
    {
        for (int y = 0; y < picture.height(); ++y)
            std::memcpy(image_.scanLine(y), picture.constScanLine(y), std::size_t(picture.width()) * 4);
    }
    QImage& image() { return image_; }
    bool marginUntouched() const
    {
        const int w = image_.width(), h = image_.height();
        for (int y = 0; y < h + 2 * kMargin; ++y)
            for (int x = 0; x < stride_; ++x) {
                const bool inside = y >= kMargin && y < kMargin + h && x >= kMargin && x < kMargin + w;
                if (!inside && buffer_[std::size_t(y) * stride_ + x] != kPattern)
                    return false;
            }
        return true;
    }

private:
    int stride_;
    std::vector<quint32> buffer_;
    QImage image_;
};

// A picture whose rows are its width apart and whose last byte is the last one readable: the
// page after it can be neither read nor written.
class AtTheEnd {
public:
    explicit AtTheEnd(QSize size)
    {
        const std::size_t page = std::size_t(sysconf(_SC_PAGESIZE)),
                          bytes = std::size_t(size.width()) * size.height() * 4;
        length_ = (bytes + page - 1) / page * page + page;
        void* memory = mmap(nullptr, length_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        EXPECT_NE(memory, MAP_FAILED);
        base_ = static_cast<uchar*>(memory);
        EXPECT_EQ(mprotect(base_ + length_ - page, page, PROT_NONE), 0);
        image_ = QImage(base_ + length_ - page - bytes, size.width(), size.height(), size.width() * 4,
                        QImage::Format_ARGB32_Premultiplied);
    }
    ~AtTheEnd()
    {
        image_ = QImage();
        munmap(base_, length_);
    }
    AtTheEnd(const AtTheEnd&) = delete;
    AtTheEnd& operator=(const AtTheEnd&) = delete;
    QImage& image() { return image_; }

private:
    uchar* base_ = nullptr;
    std::size_t length_ = 0;
    QImage image_;
};

struct Difference {
    long pixels = 0;
    int worst = 0;
};

Difference compare(const QImage& one, const QImage& other)
{
    Difference d;
    for (int y = 0; y < one.height(); ++y)
        for (int x = 0; x < one.width(); ++x) {
            const QRgb o = one.pixel(x, y), s = other.pixel(x, y);
            if (o == s)
                continue;
            ++d.pixels;
            d.worst = std::max({d.worst, std::abs(qRed(o) - qRed(s)), std::abs(qGreen(o) - qGreen(s)),
                                std::abs(qBlue(o) - qBlue(s)), std::abs(qAlpha(o) - qAlpha(s))});
        }
    return d;
}

// The stroker works each edge pixel out from its own distance, where the one before stepped the
// distance along the row: the two may fall on either side of a 255th on a pixel in millions, and
// a channel then differs by one. Everything else is the same to the bit.
TEST(LinkStrokes, TheSpanStrokerLaysThePixelsTheStrokerBeforeLaid)
{
    std::mt19937 random(4);
    const std::vector<Stroke> strokes = randomFrame(random, 400, 320, 240);
    QImage background(320, 240, QImage::Format_ARGB32_Premultiplied);
    background.fill(QColor(30, 60, 90, 200));
    long pixels = 0, differing = 0;
    int worst = 0;
    QImage clear = background;
    clear.fill(Qt::transparent);
    int outside = 0;
    for (const Stroke& k : strokes) {
        for (const QImage* under : {&background, &clear}) {
            Framed framed(*under);
            QImage& ours = framed.image();
            QImage old = *under;
            ZEVFrontView::rasterizeStrokes(ours, {k});
            before::lay(old, k);
            outside += !framed.marginUntouched();
            const Difference d = compare(ours, old);
            pixels += long(ours.width()) * ours.height();
            differing += d.pixels;
            worst = std::max(worst, d.worst);
        }
    }
    EXPECT_EQ(outside, 0) << "strokes laid pixels outside the picture";
    EXPECT_LE(worst, 1);
    EXPECT_LE(differing, pixels / 1000000) << differing << " of " << pixels;

    // The whole frame laid over one another, on a picture of more than 64 rows (laid by bands).
    QImage old(640, 480, QImage::Format_ARGB32_Premultiplied);
    old.fill(Qt::transparent);
    Framed framed(old);
    QImage& ours = framed.image();
    std::mt19937 again(5);
    const std::vector<Stroke> frame = randomFrame(again, 300, 640, 480);
    ZEVFrontView::rasterizeStrokes(ours, frame);
    for (const Stroke& k : frame)
        before::lay(old, k);
    EXPECT_TRUE(framed.marginUntouched());
    const Difference d = compare(ours, old);
    EXPECT_LE(d.worst, 1);
    EXPECT_LE(d.pixels, 3) << "of " << 640 * 480;
}

// Strokes along the picture's edges and across the boundaries of the bands of rows the picture
// is laid in, on pictures whose width is no multiple of four (a row's last pixels are laid four at
// a time where the row goes on, one by one where it ends) and tall enough to be laid by several
// threads: each picture is the one the stroker before laid, and nothing is laid outside it.
TEST(LinkStrokes, StrokesAlongThePicturesEdgesAndAcrossItsBandsLayWhatTheStrokerBeforeLaid)
{
    const QRgb halo = qRgba(250, 220, 120, 90), core = qRgba(40, 90, 200, 255), glass = qRgba(200, 40, 90, 150);
    for (const QSize size :
         {QSize(37, 150), QSize(1, 70), QSize(2, 130), QSize(3, 40), QSize(6, 97), QSize(641, 129)}) {
        const double w = size.width(), h = size.height();
        std::vector<Stroke> strokes;
        auto both = [&](bool ring, QPointF a, QPointF b, double radius) {
            strokes.push_back({ring, a, b, radius, 5.0, halo});
            strokes.push_back({ring, a, b, radius, 1.5, strokes.size() % 3 ? core : glass});
        };
        // Upright along the right and left edges, inside and just beyond them.
        for (double x : {w - 1, w - 1.5, w - 2.3, w - 0.2, w + 1.4, 0.3, -1.2})
            both(false, QPointF(x, -5), QPointF(x, h + 5), 0);
        // Level along the boundaries of bands (32 rows) and along the top and bottom rows.
        for (double y : {31.5, 32.0, 63.7, 95.9, 96.2, 0.0, h - 1, h - 0.4})
            both(false, QPointF(-10, y), QPointF(w + 10, y), 0);
        // Slanted from beyond one edge to beyond another, and ends within a band's first rows.
        both(false, QPointF(-20, -20), QPointF(w + 20, h + 20), 0);
        both(false, QPointF(w + 3, -7), QPointF(-3, h + 7), 0);
        both(false, QPointF(w * 0.3, 33.2), QPointF(w * 0.7, 64.1), 0);
        both(false, QPointF(w - 0.6, 30.8), QPointF(w - 2.6, 97.3), 0);
        // Rings across band boundaries and edges.
        for (const QPointF c : {QPointF(w - 2, 32), QPointF(5, 64), QPointF(w / 2, 96.5), QPointF(w + 4, h - 3)})
            both(true, c, {}, 10.5);
        while (strokes.size() < 80) // enough for the threads
            both(false, QPointF(-4, strokes.size()), QPointF(w + 4, h - strokes.size()), 0);

        for (const QColor under : {QColor(Qt::transparent), QColor(30, 60, 90, 200)}) {
            QImage old(size, QImage::Format_ARGB32_Premultiplied);
            old.fill(under);
            // A picture sharing its pixels with another is laid on its own copy of them.
            const QImage untouched = old.copy();
            QImage shared = old;
            ZEVFrontView::rasterizeStrokes(shared, strokes);
            EXPECT_TRUE(old == untouched);
            Framed framed(old);
            ZEVFrontView::rasterizeStrokes(framed.image(), strokes);
            for (const Stroke& k : strokes)
                before::lay(old, k);
            EXPECT_TRUE(framed.marginUntouched()) << size.width() << " x " << size.height();
            const Difference d = compare(framed.image(), old);
            EXPECT_LE(d.worst, 1) << size.width() << " x " << size.height();
            EXPECT_LE(d.pixels, 2) << size.width() << " x " << size.height();
        }
        // The picture's last row ending where the process's memory ends: a pixel read past it
        // faults.
        AtTheEnd last(size);
        last.image().fill(Qt::transparent);
        ZEVFrontView::rasterizeStrokes(last.image(), strokes);
        QImage old(size, QImage::Format_ARGB32_Premultiplied);
        old.fill(Qt::transparent);
        for (const Stroke& k : strokes)
            before::lay(old, k);
        EXPECT_LE(compare(last.image(), old).worst, 1);
    }
}

// A ring a row of which crosses its hole where the hole is narrower than a pixel: each pixel of
// that row is laid once, as by its distance to the ring.
TEST(LinkStrokes, ARowThroughTheTipOfARingsHoleLaysEachPixelOnce)
{
    // Radius 20, width 5: the hole's edge is 17 from the centre; row 100 lies 16.9988 below it,
    // where the hole is 0.4 wide, around x = 10.3.
    const Stroke k{true, QPointF(10.3, 100 - std::sqrt(17.0 * 17.0 - 0.04)), {}, 20, 5.0, qRgba(40, 90, 200, 255)};
    QImage ours(40, 130, QImage::Format_ARGB32_Premultiplied);
    ours.fill(Qt::transparent);
    ZEVFrontView::rasterizeStrokes(ours, {k});
    const quint32 colour = qPremultiply(k.colour);
    for (int x = 5; x <= 16; ++x) {
        const double dx = x - k.a.x(), dy = 100 - k.a.y();
        const double coverage = 3.0 - std::abs(std::sqrt(dx * dx + dy * dy) - 20);
        quint32 once = 0;
        before::blend(once, colour, coverage);
        EXPECT_EQ(ours.pixel(x, 100), once) << "x " << x;
    }
}

// Ends at infinity, not numbers, or too far for an int: nothing is laid outside the picture, a
// stroke with no place lays nothing, and one running far away is laid where it crosses.
TEST(LinkStrokes, StrokesWithEndsFarAwayOrNowhereLayNothingOutsideThePicture)
{
    const double inf = std::numeric_limits<double>::infinity(), nan = std::numeric_limits<double>::quiet_NaN();
    const QRgb red = qRgba(200, 0, 0, 255);
    QImage blank(120, 90, QImage::Format_ARGB32_Premultiplied);
    blank.fill(Qt::transparent);
    for (const Stroke& k : {Stroke{false, QPointF(10, 10), QPointF(nan, 50), 0, 5.0, red},
                            Stroke{false, QPointF(10, 10), QPointF(inf, -inf), 0, 5.0, red},
                            Stroke{true, QPointF(60, nan), {}, 20, 5.0, red},
                            Stroke{true, QPointF(60, 40), {}, inf, 5.0, red}}) {
        Framed framed(blank);
        ZEVFrontView::rasterizeStrokes(framed.image(), {k});
        EXPECT_TRUE(framed.marginUntouched());
        EXPECT_TRUE(framed.image() == blank);
    }
    // From inside the picture out to 1e300 along the diagonal.
    Framed framed(blank);
    ZEVFrontView::rasterizeStrokes(framed.image(), {Stroke{false, QPointF(10, 10), QPointF(1e300, 1e300), 0, 5.0, red}});
    EXPECT_TRUE(framed.marginUntouched());
    EXPECT_EQ(qAlpha(framed.image().pixel(50, 50)), 255);
    EXPECT_EQ(qAlpha(framed.image().pixel(50, 20)), 0);
}

// Strokes the kept layer holds change: a few of them, then many, then their number.
TEST(LinkStrokes, ALayerLaidAgainWhereStrokesChangedIsTheOneLaidAfresh)
{
    std::mt19937 random(7);
    const QSize size(500, 380);
    std::vector<Stroke> strokes = randomFrame(random, 120, size.width(), size.height());
    auto picture = [&](ZEVFrontView::LinkLayer& layer, const std::vector<Stroke>& s) {
        QImage image(size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter p(&image);
        layer.paint(p, size, s);
        return image;
    };
    auto afresh = [&](const std::vector<Stroke>& s) {
        ZEVFrontView::LinkLayer fresh;
        return picture(fresh, s);
    };
    ZEVFrontView::LinkLayer layer;
    picture(layer, strokes);
    EXPECT_TRUE(layer.relaid().all);
    EXPECT_EQ(layer.relaid().whole, strokes.size());

    // The same strokes: nothing laid.
    picture(layer, strokes);
    EXPECT_EQ(layer.relaid().whole + layer.relaid().clipped, 0u);
    EXPECT_FALSE(layer.relaid().all);

    std::uniform_int_distribution<std::size_t> pick(0, strokes.size() - 1);
    std::uniform_real_distribution<double> shift(-30, 30);
    for (int round = 0; round < 12; ++round) {
        std::set<std::size_t> moved;
        for (int i = 0; i < 1 + round % 3; ++i)
            moved.insert(pick(random));
        for (std::size_t i : moved) {
            strokes[i].a += QPointF(shift(random), shift(random));
            if (round % 4 == 2)
                strokes[i].a = QPointF(-400, 2000); // off the picture
            if (!strokes[i].ring && round % 4 == 1)
                strokes[i].b = strokes[i].a + QPointF(0.3, 0.2);
        }
        const QImage kept = picture(layer, strokes);
        ASSERT_FALSE(layer.relaid().all) << "round " << round;
        EXPECT_EQ(layer.relaid().whole, moved.size()) << "round " << round;
        EXPECT_LT(layer.relaid().clipped, strokes.size() / 2) << "round " << round;
        EXPECT_TRUE(kept == afresh(strokes)) << "round " << round;
    }

    // Most strokes move: the layer is laid afresh; so it is when a stroke comes or goes.
    for (Stroke& k : strokes)
        k.a += QPointF(3, 2);
    EXPECT_TRUE(picture(layer, strokes) == afresh(strokes));
    EXPECT_TRUE(layer.relaid().all);
    strokes.pop_back();
    EXPECT_TRUE(picture(layer, strokes) == afresh(strokes));
    EXPECT_TRUE(layer.relaid().all);
}

// A frame through the kept layer against one laid straight (every stroke on a clear picture,
// blended whole) on a busy picture under a clip, as the front view draws: strokes move a few at a
// time, run off the picture and come back, so that the layer is laid again in parts, its blend
// reaching only where strokes lie.
TEST(LinkStrokes, FramesThroughTheLayerAreTheFramesLaidStraight)
{
    std::mt19937 random(11);
    const QSize size(640, 480);
    QImage under(size, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x) {
            const int a = (x / 40 + y / 30) % 3 == 0 ? 255 : 60 + (x * 7 + y * 3) % 150;
            under.setPixel(x, y, qPremultiply(qRgba((x * 5) % 256, (y * 3) % 256, (x + y) % 256, a)));
        }
    const QRect clip(0, 0, size.width(), size.height() - 70);
    auto frame = [&](auto draw) {
        QImage image = under;
        QPainter p(&image);
        p.setClipRect(clip);
        p.setRenderHint(QPainter::Antialiasing, true);
        draw(p);
        return image;
    };
    auto straight = [&](const std::vector<Stroke>& s) {
        return frame([&](QPainter& p) {
            QImage layer(size, QImage::Format_ARGB32_Premultiplied);
            layer.fill(Qt::transparent);
            ZEVFrontView::rasterizeStrokes(layer, s);
            p.drawImage(QPointF(0, 0), layer);
        });
    };
    // Strokes in one corner first: the rest of the picture is never blended.
    std::vector<Stroke> strokes = randomFrame(random, 30, 200, 150);
    ZEVFrontView::LinkLayer layer;
    auto layered = [&] { return frame([&](QPainter& p) { layer.paint(p, size, strokes); }); };
    EXPECT_TRUE(layered() == straight(strokes));
    EXPECT_TRUE(layered() == straight(strokes));
    EXPECT_EQ(layer.relaid().whole, 0u);

    strokes = randomFrame(random, 150, size.width(), size.height());
    std::uniform_int_distribution<std::size_t> pick(0, strokes.size() - 1);
    std::uniform_real_distribution<double> shift(-80, 80);
    std::vector<QPointF> away(strokes.size());
    for (int round = 0; round < 16; ++round) {
        std::set<std::size_t> moved;
        for (int i = 0; i < 1 + round % 5; ++i)
            moved.insert(pick(random));
        for (std::size_t i : moved) {
            Stroke& k = strokes[i];
            if (round % 4 == 3 && away[i].isNull()) {
                away[i] = k.a;
                k.a = QPointF(-500, -500);
            } else if (!away[i].isNull()) {
                k.a = away[i];
                away[i] = QPointF();
            } else {
                k.a += QPointF(shift(random), shift(random));
                k.b += QPointF(shift(random), shift(random));
            }
            if (round % 6 == 5)
                k.colour = qRgba(20, 200, 90, 120);
        }
        const QImage kept = layered();
        if (round > 0) {
            ASSERT_FALSE(layer.relaid().all) << "round " << round;
            EXPECT_EQ(layer.relaid().whole, moved.size()) << "round " << round;
        }
        ASSERT_TRUE(kept == straight(strokes)) << "round " << round;
    }
}

// Blits a paint holds back when the lines are laid are drawn under them, as they were asked.
TEST(LinkStrokes, TheLayerLiesOverWhatThePaintHeldBack)
{
    std::mt19937 random(5);
    const QSize size(400, 400);
    const std::vector<Stroke> strokes = randomFrame(random, 40, size.width(), size.height());
    QImage tile(120, 300, QImage::Format_ARGB32_Premultiplied);
    tile.fill(QColor(10, 120, 40, 220));
    auto frame = [&](bool held) {
        QImage image(size, QImage::Format_ARGB32_Premultiplied);
        image.fill(QColor(240, 240, 230));
        QPainter p(&image);
        if (held) {
            ZEVBlitBatch::begin(p);
            ZEVBlitBatch::drawImage(p, QPointF(30, 50), tile);
            ZEVFrontView::LinkLayer layer;
            layer.paint(p, size, strokes);
            EXPECT_FALSE(ZEVBlitBatch::holds(p));
        } else {
            p.drawImage(QPointF(30, 50), tile);
            QImage layer(size, QImage::Format_ARGB32_Premultiplied);
            layer.fill(Qt::transparent);
            ZEVFrontView::rasterizeStrokes(layer, strokes);
            p.drawImage(QPointF(0, 0), layer);
        }
        return image;
    };
    EXPECT_TRUE(frame(true) == frame(false));
}

} // namespace

namespace {

using namespace objectstest;

// Objects in a ring of six around a hub, each linked to the hub and to its neighbour; one of the
// ring moves. Its ring strokes and the strokes of its three lines are laid whole, nothing else
// is, and the picture is the one laid afresh.
TEST(LinkStrokes, AfterAnObjectMovesOnlyItsLinesAreLaidAgainInWhole)
{
    Desk d;
    KELI* hub = d.objects.objet(1);
    d.desk.add(hub, {500, 500, 64, 0});
    std::vector<KELI*> around;
    for (int i = 0; i < 6; ++i) {
        KELI* o = d.objects.objet(10 + i);
        const double angle = i * M_PI / 3;
        d.desk.add(o, {500 + 320 * std::cos(angle), 500 + 320 * std::sin(angle), 64, 0});
        around.push_back(o);
    }
    KELId id = 100;
    auto link = [&](KELI* parent, KELI* child) {
        KELI* lien = d.objects.lien(id++, parent, child);
        d.viewer->moteurAjoutePasseForConnexion(lien);
        d.viewer->moteurActivePasseForConnexion(lien);
    };
    for (int i = 0; i < 6; ++i) {
        link(hub, around[i]);
        link(around[i], around[(i + 1) % 6]);
    }
    for (auto& [item, view] : d.desk.views) {
        view->setSiAjoute(true);
        view->setSiActif(true);
    }
    ZEVFrontView::LinkPaint paint;
    paint.colours = &test::testResources();
    const QSize size(1100, 1000);
    auto picture = [&](ZEVFrontView::LinkLayer& layer) {
        QImage image(size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter p(&image);
        layer.paint(p, size, ZEVFrontView::linkStrokes(size.height(), d.viewer->connexionsExistantes(), paint));
        return image;
    };
    ZEVFrontView::LinkLayer layer;
    const QImage first = picture(layer);
    ASSERT_EQ(d.viewer->connexionsExistantes().size(), 12u);
    ASSERT_EQ(layer.relaid().whole, 2 * (12 + 7)) << "halo and core of each line and each Object's ring";

    ZEVItemViewForDesks* moving = d.desk.views[around[0]].get();
    ZEVIconPosition to = moving->iconPosition();
    to.x -= 90;
    to.y += 140;
    moving->setIconPosition(to, 0);
    const QImage moved = picture(layer);
    EXPECT_FALSE(layer.relaid().all);
    EXPECT_EQ(layer.relaid().whole, 2 * (3 + 1)) << "its three lines and its ring, halo and core";
    EXPECT_GT(layer.relaid().clipped, 0u) << "the lines crossing where it was or is now";
    EXPECT_FALSE(moved == first);
    ZEVFrontView::LinkLayer fresh;
    EXPECT_TRUE(moved == picture(fresh));
}

} // namespace
