// The link lines painted on an offscreen image: one halo and one core ring per Object however
// many lines end on it, the halo's width for a selected line, and the lines the front mode hides
// when links are shown for the selections only.

#include "front/ZEVFrontView.h"
#include "objects/viewer/ZEVItemConnexion.h"
#include "tests/objects/ObjectsFakes.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

namespace {

using namespace tallomer;
using namespace objectstest;

constexpr double kHeight = 1000;

// A parent with three children around it, every line added and active.
struct Star {
    Star()
    {
        parent = d.objects.objet(1);
        d.desk.add(parent, {400, 400, 64, 0});
        const double places[3][2] = {{700, 400}, {400, 700}, {100, 400}};
        for (int i = 0; i < 3; ++i) {
            KELI* child = d.objects.objet(10 + i);
            d.desk.add(child, {places[i][0], places[i][1], 64, 0});
            KELI* lien = d.objects.lien(100 + i, parent, child);
            d.viewer->moteurAjoutePasseForConnexion(lien);
            d.viewer->moteurActivePasseForConnexion(lien);
            lines[i] = d.viewer->itemConnexionForLienConnexion(lien);
            children[i] = child;
        }
        for (auto& [item, view] : d.desk.views) {
            view->setSiAjoute(true);
            view->setSiActif(true);
        }
    }

    QImage draw(ZEVFrontView::LinkPaint paint)
    {
        paint.colours = &test::testResources();
        const int side = static_cast<int>(kHeight);
        QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter p(&image);
        ZEVFrontView::drawLinks(p, kHeight, d.viewer->connexionsExistantes(), paint);
        return image;
    }
    // The pixel at `distance` from an end's centre, in the direction `angle` (radians, y-up).
    static QColor at(const QImage& image, QPointF centre, double distance, double angle)
    {
        const QPointF p = centre + QPointF(std::cos(angle), std::sin(angle)) * distance;
        return image.pixelColor(int(std::lround(p.x())), int(std::lround(kHeight - p.y())));
    }

    Desk d;
    KELI* parent = nullptr;
    KELI* children[3] = {};
    ZEVItemConnexion* lines[3] = {};
};

TEST(LinkDrawing, AnObjectWithThreeLinesGetsOneHaloRingAndOneCoreRing)
{
    Star s;
    const QImage image = s.draw({});
    for (ZEVItemConnexion* l : s.lines)
        EXPECT_TRUE(l->siDisplayed());
    const QPointF parentCentre = s.lines[0]->dragSrcPoint();
    const QPointF childCentre = s.lines[0]->dragDstPoint();
    const double radius = s.lines[0]->dragSrcRadius();
    ASSERT_GT(radius, 4);
    // Away from every line (the lines leave the parent at 0, 90 and 180 degrees, the child at 180).
    const double away = -M_PI / 2;
    // Just outside the core ring, inside the halo: the halo's translucent colour once, the same
    // over the parent (three lines) as over the child (one): a second ring would darken it.
    const QColor parentHalo = Star::at(image, parentCentre, radius + 1.2, away);
    const QColor childHalo = Star::at(image, childCentre, radius + 1.2, away);
    EXPECT_GT(parentHalo.alpha(), 0);
    EXPECT_LT(parentHalo.alpha(), 255) << "the halo is translucent in Icon mode";
    EXPECT_EQ(parentHalo.rgba(), childHalo.rgba());
    // On the ring the core colour of an active Object covers the halo.
    const QColor core = Star::at(image, parentCentre, radius, away);
    const QColor cursor = test::testResources().curseurColor();
    EXPECT_NEAR(core.red(), cursor.red(), 40);
    EXPECT_NEAR(core.green(), cursor.green(), 40);
    EXPECT_NEAR(core.blue(), cursor.blue(), 40);
    // Nothing is drawn inside the icon's circle.
    EXPECT_EQ(Star::at(image, parentCentre, radius / 2, away).alpha(), 0);
}

TEST(LinkDrawing, ASelectedLineHasTheWiderHaloAndLinesHiddenByTheModeAreNeitherDrawnNorMarked)
{
    Star s;
    const QPointF from = s.lines[0]->dragSrcPoint();
    const QPointF to = s.lines[0]->dragDstPoint();
    const QPointF middle = (from + to) / 2;
    // 3.2 px off the line's middle, across it: outside a halo 5 wide, inside one 7.5 wide.
    const auto offLine = [&](const QImage& image) {
        return image.pixelColor(int(middle.x()), int(std::lround(kHeight - middle.y() - 3.2))).alpha();
    };
    EXPECT_EQ(offLine(s.draw({})), 0);
    ZEVFrontView::LinkPaint selected;
    selected.linkSelected = [&](const ZEVItemConnexion* l) { return l == s.lines[0]; };
    EXPECT_GT(offLine(s.draw(selected)), 0);

    // Links for the selections only, in Icon mode with no Icon selected: no line is drawn, each is
    // marked not displayed (so that no click hits it), and the picture stays empty.
    ZEVFrontView::LinkPaint forSelections;
    forSelections.forSelectionsOnly = true;
    forSelections.frontMode = ZEVFrontModeIcons;
    const QImage none = s.draw(forSelections);
    for (ZEVItemConnexion* l : s.lines)
        EXPECT_FALSE(l->siDisplayed());
    EXPECT_EQ(offLine(none), 0);
    EXPECT_EQ(Star::at(none, from, s.lines[0]->dragSrcRadius(), -M_PI / 2).alpha(), 0);
    // Selecting the child of the first line connects that line alone in Icon mode.
    s.d.space.icons = {s.children[0]};
    s.draw(forSelections);
    EXPECT_TRUE(s.lines[0]->siDisplayed());
    EXPECT_FALSE(s.lines[1]->siDisplayed());
    EXPECT_FALSE(s.lines[2]->siDisplayed());
}

} // namespace

namespace {

// The front view lays its strokes itself; they match what the painter draws for the same pen.
TEST(LinkDrawing, TheLaidStrokesMatchThePaintersAntialiasedStrokes)
{
    using Stroke = tallomer::ZEVFrontView::LinkStroke;
    const QColor halo(200, 100, 50, 140);
    const std::vector<Stroke> strokes = {
        {false, QPointF(20.3, 30.7), QPointF(170.2, 110.4), 0, 5.0, halo.rgba()},
        {false, QPointF(30, 160), QPointF(180, 160), 0, 1.5, QColor(20, 20, 200).rgba()},
        {true, QPointF(100, 100), {}, 32, 10.0, halo.rgba()},
    };
    for (const Stroke& k : strokes) {
        QImage ours(200, 200, QImage::Format_ARGB32_Premultiplied);
        ours.fill(Qt::transparent);
        tallomer::ZEVFrontView::rasterizeStrokes(ours, {k});
        QImage theirs(200, 200, QImage::Format_ARGB32_Premultiplied);
        theirs.fill(Qt::transparent);
        {
            QPainter p(&theirs);
            p.setRenderHint(QPainter::Antialiasing, true);
            p.setPen(QPen(QColor::fromRgba(k.colour), k.width, Qt::SolidLine, Qt::RoundCap));
            if (k.ring)
                p.drawEllipse(k.a, k.radius, k.radius);
            else
                p.drawLine(k.a, k.b);
        }
        // The same ink at the same place: the painter itself lays a pixel's centre half a pixel
        // apart from one stroke to another, so the pixels are compared in sum, by the centre of
        // their ink and by their extent.
        double ink[2] = {0, 0}, cx[2] = {0, 0}, cy[2] = {0, 0};
        QRect extent[2];
        const QImage* images[2] = {&ours, &theirs};
        for (int i = 0; i < 2; ++i)
            for (int y = 0; y < 200; ++y)
                for (int x = 0; x < 200; ++x) {
                    const int a = qAlpha(images[i]->pixel(x, y));
                    if (!a)
                        continue;
                    ink[i] += a;
                    cx[i] += double(a) * x;
                    cy[i] += double(a) * y;
                    extent[i] = extent[i].united(QRect(x, y, 1, 1));
                }
        const char* what = k.ring ? "ring" : "line";
        ASSERT_GT(ink[1], 0);
        EXPECT_NEAR(ink[0] / ink[1], 1.0, 0.04) << what;
        EXPECT_NEAR(cx[0] / ink[0], cx[1] / ink[1], 0.75) << what;
        EXPECT_NEAR(cy[0] / ink[0], cy[1] / ink[1], 0.75) << what;
        EXPECT_LE(std::abs(extent[0].left() - extent[1].left()), 1) << what;
        EXPECT_LE(std::abs(extent[0].right() - extent[1].right()), 1) << what;
        EXPECT_LE(std::abs(extent[0].top() - extent[1].top()), 1) << what;
        EXPECT_LE(std::abs(extent[0].bottom() - extent[1].bottom()), 1) << what;
    }
}

} // namespace

namespace {

// Many strokes are laid by bands of rows side by side; the picture is the one laid stroke by
// stroke, to the pixel, band edges included.
TEST(LinkDrawing, StrokesLaidByBandsGiveTheSamePictureAsOneByOne)
{
    using Stroke = tallomer::ZEVFrontView::LinkStroke;
    std::vector<Stroke> strokes;
    for (int i = 0; i < 120; ++i) {
        const QColor c = QColor::fromHsv((i * 37) % 360, 200, 220, i % 2 ? 255 : 120);
        if (i % 3 == 0)
            strokes.push_back({true, QPointF(7.3 * i, 3.1 * i), {}, 20.0 + i % 7, i % 2 ? 1.5 : 5.0, c.rgba()});
        else
            strokes.push_back({false, QPointF(5.5 * i, 300 - 2.2 * i), QPointF(800 - 6.1 * i, 4.4 * i), 0,
                               i % 2 ? 2.5 : 7.5, c.rgba()});
    }
    QImage banded(800, 331, QImage::Format_ARGB32_Premultiplied);
    banded.fill(Qt::transparent);
    QImage single = banded;
    tallomer::ZEVFrontView::rasterizeStrokes(banded, strokes);
    for (const Stroke& k : strokes)
        tallomer::ZEVFrontView::rasterizeStrokes(single, {k});
    EXPECT_TRUE(banded == single);
}

} // namespace

namespace {

// Each pixel by itself, the slow way: covered by how far its centre lies inside the round-ended
// stroke, over one pixel, and laid source-over with the raster engine's byte arithmetic.
void layPixelByPixel(QImage& image, const tallomer::ZEVFrontView::LinkStroke& k)
{
    auto byteMul = [](quint32 x, quint32 a) {
        quint32 t = (x & 0xff00ffu) * a;
        t = ((t + ((t >> 8) & 0xff00ffu) + 0x800080u) >> 8) & 0xff00ffu;
        x = ((x >> 8) & 0xff00ffu) * a;
        x = (x + ((x >> 8) & 0xff00ffu) + 0x800080u) & 0xff00ff00u;
        return x | t;
    };
    const quint32 colour = qPremultiply(k.colour);
    const double reach = k.width / 2 + 0.5;
    const double lx = k.b.x() - k.a.x(), ly = k.b.y() - k.a.y(), len = std::hypot(lx, ly);
    const double ux = len > 0 ? lx / len : 1, uy = len > 0 ? ly / len : 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const double px = x - k.a.x(), py = y - k.a.y();
            const double t = px * ux + py * uy, across = -px * uy + py * ux;
            const double e = t < 0 ? t : t > len ? t - len : 0;
            const double coverage = reach - std::sqrt(e * e + across * across);
            if (coverage <= 0)
                continue;
            const quint32 c = coverage >= 1 ? 255u : quint32(coverage * 255 + 0.5);
            const quint32 s = c == 255 ? colour : byteMul(colour, c);
            quint32& d = reinterpret_cast<quint32*>(image.scanLine(y))[x];
            d = s + byteMul(d, 255 - qAlpha(s));
        }
}

// However the stroker finds the pixels of a row (spans, steps along the row, runs at full
// coverage), the picture is the one laid pixel by pixel from the distance to the segment, on
// random lines and the awkward ones. Coverage rounds to a 255th: where two ways of working out a
// distance fall on either side of a rounding step, a channel may differ by one, on very few pixels.
TEST(LinkDrawing, LinesMatchLinesLaidPixelByPixel)
{
    using Stroke = tallomer::ZEVFrontView::LinkStroke;
    std::mt19937 random(89);
    std::uniform_real_distribution<double> x(-40, 360), y(-40, 280), unit(0, 1);
    const double widths[] = {1.5, 2.5, 5.0, 7.5, 10.0};
    std::vector<Stroke> strokes;
    for (int i = 0; i < 200; ++i) {
        const QPointF a(x(random), y(random));
        QPointF b(x(random), y(random));
        switch (i % 10) {
        case 0: b.setX(a.x()); break;                        // upright
        case 1: b.setY(a.y()); break;                        // level
        case 2: b = a; break;                                // a dot
        case 3: b = a + QPointF(unit(random), unit(random)); break; // shorter than it is wide
        case 4: b = QPointF(std::round(b.x()), std::round(b.y())); break;
        default: break;
        }
        const int alpha = i % 3 == 0 ? 255 : 40 + i % 200;
        strokes.push_back({false, a, b, 0, widths[i % 5], QColor::fromHsv((i * 53) % 360, 180, 230, alpha).rgba()});
    }
    QImage background(320, 240, QImage::Format_ARGB32_Premultiplied);
    background.fill(QColor(30, 60, 90, 200));
    long pixels = 0, differing = 0;
    int worst = 0;
    for (const Stroke& k : strokes) {
        QImage ours = background, slow = background;
        tallomer::ZEVFrontView::rasterizeStrokes(ours, {k});
        layPixelByPixel(slow, k);
        for (int py = 0; py < ours.height(); ++py)
            for (int px = 0; px < ours.width(); ++px) {
                const QRgb o = ours.pixel(px, py), s = slow.pixel(px, py);
                ++pixels;
                if (o == s)
                    continue;
                ++differing;
                worst = std::max({worst, std::abs(qRed(o) - qRed(s)), std::abs(qGreen(o) - qGreen(s)),
                                  std::abs(qBlue(o) - qBlue(s)), std::abs(qAlpha(o) - qAlpha(s))});
            }
    }
    EXPECT_LE(worst, 1);
    EXPECT_LE(differing, pixels / 100000) << differing << " of " << pixels;
    // All of them laid over one another, as a frame lays them.
    QImage ours = background, slow = background;
    tallomer::ZEVFrontView::rasterizeStrokes(ours, strokes);
    for (const Stroke& k : strokes)
        layPixelByPixel(slow, k);
    int worstTogether = 0;
    for (int py = 0; py < ours.height(); ++py)
        for (int px = 0; px < ours.width(); ++px) {
            const QRgb o = ours.pixel(px, py), s = slow.pixel(px, py);
            worstTogether = std::max({worstTogether, std::abs(qRed(o) - qRed(s)), std::abs(qGreen(o) - qGreen(s)),
                                      std::abs(qBlue(o) - qBlue(s)), std::abs(qAlpha(o) - qAlpha(s))});
        }
    EXPECT_LE(worstTogether, 2);
}

} // namespace
