// What the strip draws of its scale: which units fit, the label cell's padding, the ticks too
// short to draw, labels that push earlier ones out, and the tints per highlight code.

#include "ruler/ZEVTlineScale.h"
#include "ruler/ZEVTlineType.h"

#include <QFontMetricsF>
#include <QVariantList>

#include <gtest/gtest.h>

using namespace tallomer;

namespace {

QVariantMap unit(const QString& name, double length, const QString& title, const QStringList& included = {},
                 const QVariantList& cycles = {})
{
    const QString format = name == "minute" ? "%H:%M" : name == "hour" ? "%H" : name == "second" ? "%S" : "%d";
    return {{"name", name},
            {"format", format},
            {"typicalEventLength", length},
            {"typicalEventTitle", title},
            {"includedUnitsNames", QVariant(included)},
            {"stepUpCycles", cycles},
            {"largestRelevantStepUpCycle", 1}};
}

// Labels are 6 points a character.
QSizeF measure(const QString& text, const QSizeF&) { return QSizeF(6.0 * text.size(), 12); }

QStringList shown(const ZEVTlineUnitChoice& c)
{
    QStringList names;
    for (ZEVTlineUnit* u : c.displayedUnits)
        names << u->name() + "/" + u->typicalEventTitle();
    return names;
}

} // namespace

TEST(StripScale, AUnitShowsFromTenPointsTheFirstFittingVariantOrElseTheLastAndNeverOnceIncluded)
{
    struct Case {
        const char* what;
        QVariantList units;
        QStringList expected;
    };
    // A strip of 101 points over 1000 s: a unit of L seconds spans L / 10 points.
    const Case cases[] = {
        {"9.9 points", {unit("hour", 99, "x")}, {}},
        {"10 points", {unit("hour", 100, "x")}, {"hour/x"}},
        {"first variant fits", {unit("hour", 300, "fits"), unit("hour", 300, "also")}, {"hour/fits"}},
        {"neither fits: the last", {unit("hour", 200, "too long"), unit("hour", 150, "too long!")}, {"hour/too long!"}},
        {"the last too short", {unit("hour", 200, "too long"), unit("hour", 90, "too long!")}, {}},
        {"included", {unit("day", 300, "d", {"minute"}), unit("minute", 500, "m")}, {"day/d"}},
    };
    for (const Case& c : cases) {
        const auto axis = ZEVTlineType::initWithDictionary({{"units", c.units}});
        axis->setInDate(0, 1000);
        EXPECT_EQ(shown(chooseDisplayedUnits(axis->units(), 101, measure)), c.expected) << c.what;
    }
}

TEST(StripScale, TheCyclesArePrintedWhereTheLabelFitsAndThinnedToTenPoints)
{
    // Ten-second marks on a strip of 101 points over 1000 s: 1 point each.
    QVariantMap e = unit("second", 10, "abcd", {}, {5, 10, 15, 30, 60});
    e["largestRelevantStepUpCycle"] = 30;
    const auto axis = ZEVTlineType::initWithDictionary({{"units", QVariantList{e}}});
    axis->setInDate(0, 1000);
    const ZEVTlineUnitChoice c = chooseDisplayedUnits(axis->units(), 101, measure);
    ASSERT_EQ(c.displayedUnits.size(), 1u);
    // The label is 24 points: 30 marks is the smallest cycle wider; 10 marks reach 10 points.
    EXPECT_EQ(c.cyclePrinted, 30);
    EXPECT_EQ(c.cycleDisplayed, 10);
    EXPECT_DOUBLE_EQ(c.enlargeFactor, 0.5);
}

TEST(StripScale, TheLabelCellPadsItsTextByFourPointsAndStaysInItsBand)
{
    // The unit choice and the labels' collisions measure with this one cell.
    EXPECT_EQ(ZEVTlineLabelCell::kPadding, 4.0);
    const QFontMetricsF m(ZEVTlineLabelCell::font());
    EXPECT_DOUBLE_EQ(ZEVTlineLabelCell::cellSize("23:59").width(), m.horizontalAdvance("23:59") + 4.0);
    EXPECT_EQ(ZEVTlineLabelCell::cellSize(QString()), QSizeF());
    EXPECT_EQ(ZEVTlineLabelCell::cellSizeForBounds("September", QSizeF(20, 10)), QSizeF(20, 10));
}

TEST(StripScale, ALabelMeasuredAgainKeepsItsOwnWidthWhateverWasMeasuredBetween)
{
    // Repaints measure the same titles over and over, and a strip that scrolls for long meets
    // more titles than any calendar repeats: each must still measure as its own text.
    const QFontMetricsF m(ZEVTlineLabelCell::font());
    const QStringList titles{"W", "i", "Wi", "iW", "September", "2026"};
    for (const QString& t : titles)
        EXPECT_DOUBLE_EQ(ZEVTlineLabelCell::cellSize(t).width(), m.horizontalAdvance(t) + 4.0) << t.toStdString();
    for (int i = 0; i < 10000; ++i)
        ZEVTlineLabelCell::cellSize(QString::number(i) + QStringLiteral("W"));
    for (const QString& t : titles) {
        EXPECT_DOUBLE_EQ(ZEVTlineLabelCell::cellSize(t).width(), m.horizontalAdvance(t) + 4.0) << t.toStdString();
        EXPECT_DOUBLE_EQ(ZEVTlineLabelCell::cellSize(t).height(), m.height());
    }
    EXPECT_DOUBLE_EQ(ZEVTlineLabelCell::cellSize("9999W").width(), m.horizontalAdvance("9999W") + 4.0);
}

TEST(StripScale, TicksOfEightPointsOrLessAreNotDrawnAndLabelsPushOutThoseTheyOverlap)
{
    EXPECT_DOUBLE_EQ(tickHeight(0.01, 1, 100, 21), 21); // 200 points: the full zone
    EXPECT_NEAR(tickHeight(0.01 / std::exp(1.0), 1, 100, 21), 21 * (1 - 0.1954), 1e-9);
    EXPECT_EQ(tickHeight(0, 1, 100, 21), 0);

    // Hours over half a day on 2,561 points are full height: 8 points in a zone of 8 are not
    // drawn. The range starts 800 s after a whole hour.
    const auto axis = ZEVTlineType::initWithDictionary({{"units", QVariantList{unit("hour", 3600, "23")}}});
    axis->setInDate(800000000, 800000000 + 43200);
    const ZEVTlineUnitChoice c = chooseDisplayedUnits(axis->units(), 2561, measure);
    ASSERT_EQ(c.displayedUnits.size(), 1u);
    EXPECT_TRUE(scaleForChoice(c, 2561, kLabelBandHeight + kTickHeightMin, measure).ticks.empty());
    const ZEVTlineScale taller = scaleForChoice(c, 2561, kLabelBandHeight + 9, measure);
    EXPECT_GE(taller.ticks.size(), 12u);
    EXPECT_EQ(taller.ticks[1].height, 9);
    EXPECT_EQ(taller.labels.size(), taller.ticks.size() - 1) << "the first label sticks out on the left";

    std::vector<ZEVTlineLabel> placed;
    EXPECT_TRUE(placeLabel(placed, {QRectF(0, 0, 10, 10), "a"}, 100));
    EXPECT_TRUE(placeLabel(placed, {QRectF(20, 0, 10, 10), "b"}, 100));
    EXPECT_TRUE(placeLabel(placed, {QRectF(10, 0, 10, 10), "touches"}, 100)) << "edges that touch do not overlap";
    EXPECT_TRUE(placeLabel(placed, {QRectF(5, 0, 20, 10), "c"}, 100));
    ASSERT_EQ(placed.size(), 1u);
    EXPECT_EQ(placed[0].title, "c");
    EXPECT_FALSE(placeLabel(placed, {QRectF(-0.5, 0, 10, 10), "left"}, 100));
    EXPECT_FALSE(placeLabel(placed, {QRectF(91, 0, 10, 10), "right"}, 100));
    EXPECT_FALSE(placeLabel(placed, {QRectF(50, 0, 0, 10), "empty"}, 100));
    EXPECT_EQ(placed.size(), 1u);
}

TEST(StripScale, TintsFollowThePresentOrTheActiveCursorByHighlightCode)
{
    const QColor passe("#101010"), futur("#202020"), app1("#303030"), app2("#404040");
    const QColor g80 = QColor::fromRgbF(0.8f, 0.8f, 0.8f), g71 = QColor::fromRgbF(0.71f, 0.71f, 0.71f),
                 g51 = QColor::fromRgbF(0.51f, 0.51f, 0.51f);
    struct Case {
        int code;
        bool rulerTime;
        QColor rulerPasse, rulerFutur;
        // Fills as x (or -1 for the whole strip) and colour, in order.
        std::vector<std::pair<double, QColor>> fills;
    };
    // The present at 0.25, the active cursor at 0.5 of a strip of 100 points.
    const Case cases[] = {
        {10, false, app1, app2, {{25, passe}, {25, futur}}},
        {0, false, g80, g71, {{25, passe}, {25, futur}, {50, g80}}},
        {0, true, g80, app2, {{50, g80}, {50, app2}}},
        {1, false, g51, g80, {{50, g51}, {50, g80}}},
        {1, true, app1, g80, {{50, app1}, {50, g80}}},
        {4, false, g80, g80, {{50, g80}, {50, g80}}},
    };
    for (const Case& c : cases) {
        const ZEVTlineRulerColours r = rulerColoursForCode(c.code, c.rulerTime, app1, app2, {Qt::red, Qt::red});
        EXPECT_EQ(r.passe, c.rulerPasse) << c.code;
        EXPECT_EQ(r.futur, c.rulerFutur) << c.code;
        const auto tints = tintsFor({100, 36, c.rulerTime, c.code, 0.5, 0.25, passe, futur, r.passe, r.futur});
        ASSERT_EQ(tints.size(), c.fills.size()) << c.code;
        for (std::size_t i = 0; i < tints.size(); ++i) {
            EXPECT_EQ(tints[i].colour, c.fills[i].second) << c.code << " fill " << i;
            EXPECT_EQ(i == 1 ? tints[i].rect.left() : tints[i].rect.right(), c.fills[i].first) << c.code << " fill " << i;
        }
    }
    // Other codes keep the colours; a cursor off either end tints the whole strip.
    EXPECT_EQ(rulerColoursForCode(5, false, app1, app2, {Qt::red, Qt::blue}).futur, QColor(Qt::blue));
    EXPECT_EQ(tintsFor({100, 36, true, 10, -0.2, 0.5, passe, futur, app1, app2}).front().colour, app2);
    EXPECT_EQ(tintsFor({100, 36, true, 10, 1.2, 0.5, passe, futur, app1, app2}).front().colour, app1);
}
