#include "tests/objects/ObjectsFakes.h"

#include "objects/drawing/ZEVItemPainter.h"
#include "objects/drawing/ZEVItemTitleText.h"
#include "widgets/ZEVPathArc.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QPainter>

#include <cmath>

using namespace tallomer;
using namespace objectstest;
using R = ZEVColourRole;
using St = ZEVItemTimeState;

namespace {

// A view of 200 x 205 points: image (50, 55, 100, 100), plate (40, 45, 120, 120), middle y 105.
constexpr int kW = 200, kH = 205;

QColor colour(R role) { return ZEVItemPalette(test::testResources()).colour(role); }

QImage render(const ZEVItemDrawInputs& in)
{
    static ZEVShadowCache cache;
    QImage img(kW, kH, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    QPainter p(&img);
    ZEVItemPainter::paint(p, ZEVItemDrawing::decide(in), ZEVItemDrawGeometry::forViewSize(QSizeF(kW, kH)),
                          ZEVItemPalette(test::testResources()));
    return img;
}

} // namespace

TEST(ZEVItemPainter, EachStateRendersItsPlateAndTab)
{
    // Present: a plate in the active cursor's light colour, no tab on either side.
    const QImage present = render(inputs(0, St::Present, true));
    EXPECT_TRUE(near(at(present, 100, 50), colour(R::ActifCurseur)));
    EXPECT_TRUE(near(at(present, 42, 105), colour(R::ActifCurseur)));
    EXPECT_TRUE(near(at(present, 157, 105), colour(R::ActifCurseur)));
    // The plate's shadow falls below it (y-up: under the bottom edge at 45).
    EXPECT_GT(at(present, 100, 41).alpha(), 20);
    EXPECT_EQ(at(present, 100, 200).alpha(), 0); // well above the plate
    // Future: the tab on the right edge, the plate on the left.
    const QImage future = render(inputs(0, St::Future, true));
    EXPECT_TRUE(near(at(future, 157, 105), colour(R::Futur)));
    EXPECT_TRUE(near(at(future, 42, 105), colour(R::FuturActif)));
    EXPECT_TRUE(near(at(future, 157, 125), colour(R::FuturActif))); // above the tab
    // Past: the tab on the left edge.
    const QImage past = render(inputs(0, St::Past, true));
    EXPECT_TRUE(near(at(past, 42, 105), colour(R::Passe)));
    EXPECT_TRUE(near(at(past, 157, 105), colour(R::PasseActif)));
    // Outside: nothing at all.
    QImage empty(kW, kH, QImage::Format_ARGB32);
    empty.fill(Qt::transparent);
    EXPECT_TRUE(render(inputs(0, St::Outside, true)) == empty);
}

TEST(ZEVItemPainter, UnselectedFutureDrawsOnlyItsDashedLine)
{
    const QImage dashed = render(inputs(0, St::Future, false));
    EXPECT_EQ(at(dashed, 100, 50).alpha(), 0); // no plate
    // Along the bottom edge (y 45) the line alternates between its two colours.
    // The 1-point line straddles two pixel rows; read the stronger of the two.
    auto closeTo = [](const QColor& c, const QColor& want) {
        return std::abs(c.red() - want.red()) < 8 && std::abs(c.green() - want.green()) < 8
            && std::abs(c.blue() - want.blue()) < 8;
    };
    int actif = 0, plain = 0, gaps = 0;
    for (int x = 50; x < 150; ++x) {
        const QColor low = at(dashed, x, 45), high = at(dashed, x, 46);
        const QColor c = high.alpha() > low.alpha() ? high : low;
        if (c.alpha() < 60) {
            ++gaps;
            continue;
        }
        actif += closeTo(c, colour(R::FuturActif)) ? 1 : 0;
        plain += closeTo(c, colour(R::Futur)) ? 1 : 0;
    }
    EXPECT_GT(actif, 5);
    EXPECT_GT(plain, 5);
    EXPECT_GT(gaps, 5);
}

// An axis-aligned corner (no finite slope on its second line) and a tilted one, each also turned
// upside down, which must give the mirrored arc.
TEST(ZEVPathArc, ArcIsTangentToBothLinesAndOnTheCircle)
{
    struct Figure {
        QPointF start, corner, end;
        qreal r;
        QPointF centre;
    };
    const Figure figures[] = {
        {{0, 0}, {10, 0}, {10, 10}, 3, {7, 3}},
        {{160, 93}, {148, 105}, {160, 117}, 12, {148 + 12 * std::sqrt(2.0), 105}},
    };
    auto cross = [](QPointF a, QPointF b) { return a.x() * b.y() - a.y() * b.x(); };
    for (const Figure& f : figures)
        for (bool mirrored : {false, true}) {
            SCOPED_TRACE(testing::Message() << "corner " << f.corner.x() << " mirrored " << mirrored);
            auto m = [&](QPointF p) { return mirrored ? QPointF(p.x(), -p.y()) : p; };
            const QPointF start = m(f.start), corner = m(f.corner), end = m(f.end);
            QPainterPath path(start);
            const auto t = addArcToPoint(path, corner, end, f.r);
            ASSERT_TRUE(t.arc);
            EXPECT_NEAR(t.centre.x(), m(f.centre).x(), 1e-9);
            EXPECT_NEAR(t.centre.y(), m(f.centre).y(), 1e-9);
            // Each tangent point lies on its line, one radius from the centre.
            EXPECT_NEAR(cross(t.first - corner, start - corner), 0, 1e-9);
            EXPECT_NEAR(cross(t.second - corner, end - corner), 0, 1e-9);
            EXPECT_NEAR(QLineF(t.centre, t.first).length(), f.r, 1e-9);
            EXPECT_NEAR(QLineF(t.centre, t.second).length(), f.r, 1e-9);
            // Every point of the arc part lies on the circle, and it bulges towards the corner.
            const qreal from = path.percentAtLength(QLineF(start, t.first).length());
            qreal closest = 1e9;
            for (int i = 1; i <= 20; ++i) {
                const QPointF p = path.pointAtPercent(from + (1 - from) * i / 20.0);
                EXPECT_NEAR(QLineF(t.centre, p).length(), f.r, 0.02) << i;
                closest = std::min(closest, QLineF(corner, p).length());
            }
            EXPECT_NEAR(closest, QLineF(corner, t.centre).length() - f.r, 0.05);
            EXPECT_NEAR(path.currentPosition().x(), t.second.x(), 1e-6);
            EXPECT_NEAR(path.currentPosition().y(), t.second.y(), 1e-6);
        }
}

TEST(ZEVPathArc, DegenerateCasesDrawAStraightLine)
{
    QPainterPath collinear(QPointF(0, 0));
    EXPECT_FALSE(addArcToPoint(collinear, QPointF(5, 0), QPointF(10, 0), 3).arc);
    EXPECT_EQ(collinear.currentPosition(), QPointF(5, 0));
    QPainterPath noRadius(QPointF(0, 0));
    EXPECT_FALSE(addArcToPoint(noRadius, QPointF(5, 0), QPointF(5, 5), 0).arc);
    EXPECT_EQ(noRadius.currentPosition(), QPointF(5, 0));
    QPainterPath empty;
    EXPECT_FALSE(addArcToPoint(empty, QPointF(5, 0), QPointF(5, 5), 2).arc);
    EXPECT_EQ(empty.currentPosition(), QPointF(5, 0));
}

TEST(ZEVShadowCache, SameSilhouetteIsBlurredOnce)
{
    ZEVShadowCache cache(8);
    QPainterPath a;
    a.addRoundedRect(QRectF(10, 10, 40, 30), 7, 7);
    const QPainterPath b = a.translated(100, 50); // the same plate elsewhere
    const auto first = cache.shadowFor(a, 10, Qt::darkGray);
    const auto second = cache.shadowFor(b, 10, Qt::darkGray);
    EXPECT_EQ(cache.misses(), 1);
    EXPECT_EQ(cache.hits(), 1);
    EXPECT_EQ(second.origin - first.origin, QPointF(100, 50));
    EXPECT_EQ(first.image.cacheKey(), second.image.cacheKey());

    cache.shadowFor(a, 10, Qt::black);
    cache.shadowFor(a, 4, Qt::darkGray);
    EXPECT_EQ(cache.misses(), 3);
    // Soft beyond the shape, solid inside it.
    const QImage& img = first.image;
    auto alphaAt = [&](double x, double y) { return img.pixelColor((QPointF(x, y) - first.origin).toPoint()).alpha(); };
    EXPECT_GT(alphaAt(30, 25), 240);
    const int soft = alphaAt(10 - 4, 25);
    EXPECT_GT(soft, 0);
    EXPECT_LT(soft, 128);
    // The image is large enough for the blur to fade out before its border.
    for (int x = 0; x < img.width(); ++x)
        EXPECT_EQ(img.pixelColor(x, 0).alpha(), 0);
}

TEST(ZEVItemTitleText, SystemSansCutInTheMiddle)
{
    EXPECT_EQ(ZEVItemTitleText::font().family(), QFontDatabase::systemFont(QFontDatabase::GeneralFont).family());
    EXPECT_DOUBLE_EQ(ZEVItemTitleText::font().pointSizeF(), 12);
    const QString title = QStringLiteral("Quarterly report of the northern region final version.pdf");
    const QString shown = ZEVItemTitleText::elided(title, 120);
    EXPECT_LT(shown.size(), title.size());
    EXPECT_TRUE(shown.contains(QChar(0x2026)));
    EXPECT_TRUE(shown.startsWith(QStringLiteral("Qu")));
    EXPECT_TRUE(shown.endsWith(QStringLiteral("df")));
    EXPECT_LE(QFontMetricsF(ZEVItemTitleText::font()).horizontalAdvance(shown), 120);

    EXPECT_EQ(ZEVItemTitleText::elided(QStringLiteral("a.txt"), 120), QStringLiteral("a.txt"));
    EXPECT_TRUE(ZEVItemTitleText::elided(title, 0).isEmpty());
}
