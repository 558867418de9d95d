#include "objects/drawing/ZEVItemPainter.h"
#include "objects/drawing/ZEVItemTitleText.h"
#include "objects/drawing/ZEVPathArc.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <cmath>

using namespace tallomer;
using R = ZEVColourRole;

namespace {

// A view of 200 x 205 points: image (50, 55, 100, 100), plate (40, 45, 120, 120), middle y 105.
constexpr int kW = 200;
constexpr int kH = 205;

struct Rendered {
    QImage image;
    // The pixel under a y-up point of the view.
    QColor at(double x, double yUp) const
    {
        return image.pixelColor(static_cast<int>(x), static_cast<int>(kH - yUp));
    }
};

Rendered render(const ZEVItemDrawInputs& in, ZEVShadowCache& cache)
{
    Rendered r{QImage(kW, kH, QImage::Format_ARGB32)};
    r.image.fill(Qt::transparent);
    QPainter p(&r.image);
    ZEVItemPainter::paint(p, ZEVItemDrawing::decide(in), ZEVItemDrawGeometry::forViewSize(QSizeF(kW, kH)),
                          ZEVItemPalette::standard(), cache);
    return r;
}

ZEVItemDrawInputs selectedIn(ZEVItemTimeState state)
{
    ZEVItemDrawInputs in;
    in.iconSelected = true;
    in.ajouteCount = state == ZEVItemTimeState::Outside ? 0 : 1;
    in.actifCount = state == ZEVItemTimeState::Present;
    in.futurCount = state == ZEVItemTimeState::Future;
    return in;
}

::testing::AssertionResult near(const QColor& got, const QColor& want)
{
    const int d = std::max({std::abs(got.red() - want.red()), std::abs(got.green() - want.green()),
                            std::abs(got.blue() - want.blue()), std::abs(got.alpha() - want.alpha())});
    if (d <= 3)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "got " << got.name(QColor::HexArgb).toStdString() << ", want "
                                         << want.name(QColor::HexArgb).toStdString();
}

} // namespace

TEST(ZEVItemPainter, EachStateRendersItsPlateAndTab)
{
    ZEVShadowCache cache;
    const auto palette = ZEVItemPalette::standard();
    const QColor transparent(0, 0, 0, 0);

    // Present: a plate in the active cursor's light colour, no tab on either side.
    auto present = render(selectedIn(ZEVItemTimeState::Present), cache);
    EXPECT_TRUE(near(present.at(100, 50), palette.colour(R::ActifCurseur)));
    EXPECT_TRUE(near(present.at(42, 105), palette.colour(R::ActifCurseur)));
    EXPECT_TRUE(near(present.at(157, 105), palette.colour(R::ActifCurseur)));
    // The plate's shadow falls below it (y-up: under the bottom edge at 45).
    EXPECT_GT(present.at(100, 41).alpha(), 20);
    EXPECT_EQ(present.at(100, 200).alpha(), 0); // well above the plate

    // Future: the tab on the right edge, the plate on the left.
    auto future = render(selectedIn(ZEVItemTimeState::Future), cache);
    EXPECT_TRUE(near(future.at(157, 105), palette.colour(R::Futur)));
    EXPECT_TRUE(near(future.at(42, 105), palette.colour(R::FuturActif)));
    EXPECT_TRUE(near(future.at(157, 125), palette.colour(R::FuturActif))); // above the tab

    // Past: the tab on the left edge.
    auto past = render(selectedIn(ZEVItemTimeState::Past), cache);
    EXPECT_TRUE(near(past.at(42, 105), palette.colour(R::Passe)));
    EXPECT_TRUE(near(past.at(157, 105), palette.colour(R::PasseActif)));

    // Outside: nothing at all.
    auto outside = render(selectedIn(ZEVItemTimeState::Outside), cache);
    EXPECT_TRUE(near(outside.at(100, 50), transparent));
    EXPECT_TRUE(near(outside.at(42, 105), transparent));
    EXPECT_TRUE(outside.image == [] {
        QImage empty(kW, kH, QImage::Format_ARGB32);
        empty.fill(Qt::transparent);
        return empty;
    }());
}

TEST(ZEVItemPainter, ConnectingDrawsDarkPlateAndUnselectedFutureOnlyItsDashedLine)
{
    ZEVShadowCache cache;
    const auto palette = ZEVItemPalette::standard();
    auto in = selectedIn(ZEVItemTimeState::Outside);
    in.connecting = true;
    auto connecting = render(in, cache);
    EXPECT_TRUE(near(connecting.at(100, 50), palette.colour(R::DarkGrey)));
    EXPECT_TRUE(near(connecting.at(42, 105), palette.colour(R::PasseActif)));

    in = selectedIn(ZEVItemTimeState::Future);
    in.iconSelected = false;
    auto dashed = render(in, cache);
    EXPECT_EQ(dashed.at(100, 50).alpha(), 0); // no plate
    // Along the bottom edge (y 45) the line alternates between its two colours.
    // The 1-point line straddles two pixel rows; read the stronger of the two.
    auto closeTo = [](const QColor& c, const QColor& want) {
        return std::abs(c.red() - want.red()) < 8 && std::abs(c.green() - want.green()) < 8
            && std::abs(c.blue() - want.blue()) < 8;
    };
    int actif = 0, plain = 0, gaps = 0;
    for (int x = 50; x < 150; ++x) {
        QColor c = dashed.image.pixelColor(x, kH - 45);
        const QColor other = dashed.image.pixelColor(x, kH - 46);
        if (other.alpha() > c.alpha())
            c = other;
        if (c.alpha() < 60) {
            ++gaps;
            continue;
        }
        actif += closeTo(c, palette.colour(R::FuturActif)) ? 1 : 0;
        plain += closeTo(c, palette.colour(R::Futur)) ? 1 : 0;
    }
    EXPECT_GT(actif, 5);
    EXPECT_GT(plain, 5);
    EXPECT_GT(gaps, 5);
}

TEST(ZEVPathArc, RightAngleCornerGivesQuarterCircle)
{
    QPainterPath path(QPointF(0, 0));
    const auto t = addArcToPoint(path, QPointF(10, 0), QPointF(10, 10), 3);
    ASSERT_TRUE(t.arc);
    EXPECT_NEAR(t.first.x(), 7, 1e-9);
    EXPECT_NEAR(t.first.y(), 0, 1e-9);
    EXPECT_NEAR(t.second.x(), 10, 1e-9);
    EXPECT_NEAR(t.second.y(), 3, 1e-9);
    EXPECT_NEAR(t.centre.x(), 7, 1e-9);
    EXPECT_NEAR(t.centre.y(), 3, 1e-9);
    EXPECT_NEAR(path.currentPosition().x(), 10, 1e-6);
    EXPECT_NEAR(path.currentPosition().y(), 3, 1e-6);
}

TEST(ZEVPathArc, ArcIsTangentToBothLinesAndOnTheCircle)
{
    const QPointF start(160, 93), corner(148, 105), end(160, 117);
    const qreal r = 12;
    for (bool mirrored : {false, true}) {
        // The same figure turned upside down must give the mirrored arc.
        auto m = [&](QPointF p) { return mirrored ? QPointF(p.x(), -p.y()) : p; };
        QPainterPath path(m(start));
        const auto t = addArcToPoint(path, m(corner), m(end), r);
        ASSERT_TRUE(t.arc);
        auto dot = [](QPointF a, QPointF b) { return a.x() * b.x() + a.y() * b.y(); };
        EXPECT_NEAR(QLineF(t.centre, t.first).length(), r, 1e-9);
        EXPECT_NEAR(QLineF(t.centre, t.second).length(), r, 1e-9);
        EXPECT_NEAR(dot(t.first - t.centre, m(start) - m(corner)), 0, 1e-9);
        EXPECT_NEAR(dot(t.second - t.centre, m(end) - m(corner)), 0, 1e-9);
        EXPECT_NEAR(t.centre.y(), m(corner).y(), 1e-9);
        EXPECT_NEAR(t.centre.x(), 148 + 12 * std::sqrt(2.0), 1e-9);

        // Every point of the arc part lies on the circle, and it bulges towards the corner.
        const qreal lineLength = QLineF(m(start), t.first).length();
        const qreal from = path.percentAtLength(lineLength);
        qreal minX = 1e9;
        for (int i = 1; i <= 20; ++i) {
            const QPointF p = path.pointAtPercent(from + (1 - from) * i / 20.0);
            EXPECT_NEAR(QLineF(t.centre, p).length(), r, 0.02) << i;
            minX = std::min(minX, p.x());
        }
        EXPECT_NEAR(minX, t.centre.x() - r, 0.05);
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
    const QPointF centre = QPointF(30, 25) - first.origin;
    EXPECT_GT(img.pixelColor(centre.toPoint()).alpha(), 240);
    const QPointF outside = QPointF(10 - 4, 25) - first.origin;
    const int soft = img.pixelColor(outside.toPoint()).alpha();
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
