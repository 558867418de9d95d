// The browser's date ruler: the program's table of calendar units and the marks its units make
// (with the zone pinned, across daylight-saving changes), what a table that cannot be a ruler
// gives, the line strip's choice of units and its drawing, and the strip of a column with the
// pace of its reloads.

#include "tests/browser/BrowserFixture.h"

#include "browser/GUIRulerCurseurView.h"
#include "browser/GUIRulerType.h"
#include "browser/GUIRulerView.h"
#include "engine/KELICurseur.h"
#include "platform/CalendarDate.h"
#include "ruler/ZEVTlineScale.h"
#include "runtime/Log.h"
#include "tests/support/TestHome.h"
#include "tests/support/TimeZone.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLayout>
#include <QTableView>
#include <QVariantList>

#include <cmath>
#include <limits>

namespace browsertest {
namespace {

using tallomer::test::ScopedTimeZone;

KELDate at(int y, int mo, int d, int h = 0, int mi = 0, int s = 0)
{
    return CalendarDate::fromFields(y, mo, d, h, mi, s)->date();
}

std::string local(KELDate d)
{
    return CalendarDate::fromDate(std::round(d))->format(QStringLiteral("%Y-%m-%d %H:%M")).toStdString();
}

QVariantMap unit(const QString& cls, const QString& name, const QString& format, const QVariantList& cycles = {},
                 double length = 3600, const QString& title = QStringLiteral("00"))
{
    return {{"class", cls},           {"name", name},          {"format", format},
            {"stepUpCycles", cycles}, {"typicalEventLength", length}, {"typicalEventTitle", title},
            {"largestRelevantStepUpCycle", cycles.isEmpty() ? QVariant(1) : cycles.back()}};
}

class BrowserRulerModel : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!ScopedTimeZone::installed("Europe/Berlin"))
            GTEST_SKIP() << "Europe/Berlin is not installed (package tzdata)";
        zone = std::make_unique<ScopedTimeZone>("Europe/Berlin");
        previous = setLogSink(&log);
        ruler = GUIRulerType::rulerWithSpaceName(QStringLiteral("date"), programFiles());
        ASSERT_NE(ruler, nullptr);
    }
    void TearDown() override
    {
        if (zone)
            setLogSink(previous);
    }
    GUIRulerUnit& first(const char* name) { return *ruler->unitsWithName(QString::fromLatin1(name)).at(0); }

    std::unique_ptr<ScopedTimeZone> zone;
    MemoryLogSink log;
    LogSink* previous = nullptr;
    std::unique_ptr<GUIRulerType> ruler;
};

TEST_F(BrowserRulerModel, TheProgramsTableGivesADateRulerWhoseHoursCoverADayInTwentyFiveMarks)
{
    EXPECT_NE(dynamic_cast<GUIRulerTypeDate*>(ruler.get()), nullptr);
    QStringList names;
    for (const auto& u : ruler->units())
        names << u->name();
    EXPECT_EQ(names.join(' '), QStringLiteral("second minute hour day day week month month year"));
    EXPECT_EQ(ruler->unitsWithName(QStringLiteral("day")).size(), 2u);
    EXPECT_TRUE(ruler->unitsWithName(QStringLiteral("fortnight")).empty());
    // Every unit said its format as it loaded.
    EXPECT_TRUE(log.contains("_format = %H:00"));
    EXPECT_TRUE(log.contains("_format = Week %d"));

    const KELDate day = at(2026, 6, 10), next = at(2026, 6, 11);
    ruler->setInDate(day, next);
    GUIRulerUnit& hour = first("hour");
    EXPECT_DOUBLE_EQ(hour.typicalEventRelativeLength(), 1.0 / 24);
    const std::vector<GUIRulerMark>& marks = hour.eventsIntersectingInDate(day, next);
    ASSERT_EQ(marks.size(), 25u);
    EXPECT_EQ(marks.front().title(), QStringLiteral("00:00"));
    EXPECT_DOUBLE_EQ(marks.back().inDate(), next) << "the last starts at the end date";
    for (const GUIRulerMark& m : marks) {
        EXPECT_NEAR(m.relativeLength(), 1.0 / 24, 1e-12);
        EXPECT_EQ(m.unit(), &hour);
    }
    EXPECT_EQ(marks[11].title(), QStringLiteral("11:00"));
    EXPECT_EQ(marks[11].stepUpCycle(), 1) << "no entry divides 11";
    EXPECT_EQ(marks[12].stepUpCycle(), 12);
    EXPECT_EQ(marks[6].stepUpCycle(), 6);
    EXPECT_EQ(marks[0].stepUpCycle(), 12) << "midnight: every entry divides 0, the last wins";

    // Sunday: the day of the week is 0; minute 0 of the day likewise.
    const KELDate sunday = at(2026, 6, 14);
    ruler->setInDate(sunday, sunday + 86400);
    EXPECT_EQ(first("day").eventsIntersectingInDate(sunday, sunday + 3600).front().stepUpCycle(), 7);
    EXPECT_EQ(first("minute").eventsIntersectingInDate(sunday, sunday + 30).front().stepUpCycle(), 720);
    EXPECT_EQ(first("minute").eventsIntersectingInDate(sunday + 7 * 60, sunday + 7 * 60 + 30).front().stepUpCycle(), 1);
}

TEST_F(BrowserRulerModel, TheSameRequestAnswersTheSameMarksWhichKeepTheirPlaceOnTheRulerAndANewOneRecomputes)
{
    const KELDate a = at(2026, 6, 10, 9), b = at(2026, 6, 10, 15);
    ruler->setInDate(a, b);
    GUIRulerUnit& hour = first("hour");
    const std::vector<GUIRulerMark>* once = &hour.eventsIntersectingInDate(a, b);
    ASSERT_EQ(once->size(), 7u);
    const GUIRulerMark noon = (*once)[3];
    EXPECT_DOUBLE_EQ(noon.relativeStart(), 0.5);
    EXPECT_EQ(noon.title(), QStringLiteral("12:00"));

    // The span moves by an hour: the same request answers the very same list, whose marks keep
    // their coordinates and so now read an hour later.
    ruler->setInDate(a + 3600, b + 3600);
    const std::vector<GUIRulerMark>& twice = hour.eventsIntersectingInDate(a, b);
    EXPECT_EQ(&twice, once);
    EXPECT_DOUBLE_EQ(twice[3].relativeStart(), 0.5);
    EXPECT_DOUBLE_EQ(twice[3].inDate(), at(2026, 6, 10, 13));

    // A copy: same place, no title, cycle 0.
    const GUIRulerMark copy = twice[3].copy();
    EXPECT_DOUBLE_EQ(copy.inDate(), twice[3].inDate());
    EXPECT_DOUBLE_EQ(copy.outDate(), twice[3].outDate());
    EXPECT_TRUE(copy.title().isEmpty());
    EXPECT_EQ(copy.stepUpCycle(), 0);
    EXPECT_EQ(copy.chronology(), &hour);
    EXPECT_TRUE(twice[3].description().startsWith(QStringLiteral("hour <GUIRulerMark: 0x")));
    EXPECT_TRUE(twice[3].description().endsWith(QStringLiteral(" : 12:00 , 12")));

    // A new filter recomputes: every third hour, starting on a multiple of 3.
    hour.setMinStepUpCycle(3);
    std::vector<std::string> starts;
    for (const GUIRulerMark& m : hour.eventsIntersectingInDate(a, b))
        starts.push_back(local(m.inDate()));
    EXPECT_EQ(starts, (std::vector<std::string>{"2026-06-10 09:00", "2026-06-10 12:00", "2026-06-10 15:00"}));
    // A new date too; dirty returns the filter to 1.
    hour.dirty();
    EXPECT_EQ(hour.stepUpCycleFilter(), 1);
    EXPECT_EQ(hour.eventsIntersectingInDate(a, a + 2 * 3600).size(), 3u);

    // Months counted back from month 0: a filter of 3 in February starts in the December before.
    ruler->setInDate(at(2026, 2, 10), at(2026, 4, 10));
    GUIRulerUnit& month = first("month");
    month.setMinStepUpCycle(3);
    const auto& months = month.eventsIntersectingInDate(at(2026, 2, 10), at(2026, 4, 10));
    ASSERT_FALSE(months.empty());
    EXPECT_EQ(local(months.front().inDate()), "2025-12-01 00:00");
    EXPECT_EQ(months.front().title(), QStringLiteral("December"));
}

TEST_F(BrowserRulerModel, WeeksAcrossDaylightSavingChangesBeginAtLocalMidnightWithTheirRightNumbers)
{
    GUIRulerUnit& week = first("week");
    // Summer time begins on Sunday 29 March 2026 and ends on Sunday 25 October 2026.
    for (const auto& [a, b, expected] : std::vector<std::tuple<KELDate, KELDate, std::vector<std::string>>>{
             {at(2026, 3, 25), at(2026, 4, 8),
              {"2026-03-22 00:00 Week 12", "2026-03-29 00:00 Week 13", "2026-04-05 00:00 Week 14"}},
             {at(2026, 10, 21), at(2026, 11, 4),
              {"2026-10-18 00:00 Week 42", "2026-10-25 00:00 Week 43", "2026-11-01 00:00 Week 44"}},
         }) {
        ruler->setInDate(a, b);
        std::vector<std::string> seen;
        for (const GUIRulerMark& m : week.eventsIntersectingInDate(a, b))
            seen.push_back(local(m.inDate()) + " " + m.title().toStdString());
        EXPECT_EQ(seen, expected);
    }
    // A span that never ends, or is no number, gives no marks rather than a loop without end.
    EXPECT_TRUE(first("second").eventsIntersectingInDate(0, KELDateOuverte).empty());
    EXPECT_TRUE(week.eventsIntersectingInDate(std::numeric_limits<double>::quiet_NaN(), 0).empty());
}

TEST_F(BrowserRulerModel, ATableWithoutAClassIsNoRulerAndUnitsWithoutOneAreLeftOut)
{
    EXPECT_EQ(GUIRulerType::rulerWithDictionary({{"units", QVariantList{}}}), nullptr);
    EXPECT_EQ(GUIRulerType::rulerWithDictionary({{"class", "NSObject"}}), nullptr);
    EXPECT_EQ(GUIRulerType::rulerWithSpaceName(QStringLiteral("nothing"), programFiles()), nullptr);
    EXPECT_TRUE(log.contains("GUIRulerType rulerWithSpaceName: no ruler"));

    const QVariantMap noClass = unit(QString(), "hour", "%H");
    const QVariantMap wrongCycles = {{"class", "GUIRulerUnitDate"}, {"name", "hour"}, {"stepUpCycles", QVariantList{"3"}}};
    const std::unique_ptr<GUIRulerType> r = GUIRulerType::rulerWithDictionary(
        {{"class", "GUIRulerTypeDate"},
         {"spaceName", "test"},
         {"units", QVariantList{noClass, unit("GUIRulerUnitDate", "fortnight", "%d"), wrongCycles,
                                unit("GUIRulerUnit", "hour", "%H"), unit("GUIRulerUnitDate", "hour", "%H"), 12}}});
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->spaceName(), QStringLiteral("test"));
    ASSERT_EQ(r->units().size(), 3u);
    EXPECT_TRUE(log.contains("unit 0 left out: no class"));
    EXPECT_TRUE(log.contains("unit 2 left out: the hour unit has a step-up cycle that is not an integer"));
    EXPECT_TRUE(log.contains("unit 5 left out: not a dictionary"));
    const KELDate a = at(2026, 6, 10), b = a + 86400;
    r->setInDate(a, b);
    // A date unit with a name outside the seven, and a unit of the plain class, make no marks.
    EXPECT_TRUE(r->units()[0]->eventsIntersectingInDate(a, b).empty());
    EXPECT_TRUE(r->units()[1]->eventsIntersectingInDate(a, b).empty());
    EXPECT_EQ(r->units()[2]->events().size(), 25u);
    EXPECT_EQ(r->units()[0]->stepUpCycleCArray(), std::vector<int>{0});
    EXPECT_EQ(r->units()[2]->stepUpCycleCArray(), std::vector<int>{0});

    // A plain ruler converts nothing.
    const std::unique_ptr<GUIRulerType> plain = GUIRulerType::rulerWithDictionary({{"class", "GUIRulerType"}});
    ASSERT_NE(plain, nullptr);
    plain->setInDate(a, b);
    EXPECT_EQ(plain->relativeCoordinateForDate(a + 3600), 0.0);
    EXPECT_EQ(plain->dateForRelativeCoordinate(0.5), 0.0);
}

// ---- the line strip ----

class BrowserRulerStrip : public BrowserRulerModel {
protected:
    void SetUp() override
    {
        BrowserRulerModel::SetUp();
        if (!zone)
            return;
        previousFolder = GUIRulerRessources::partagees().dossier;
        GUIRulerRessources::partagees().dossier = programFiles();
        clock.set(at(2026, 6, 10, 12));
        tallomer::Clock::setShared(&clock);
        strip.resize(301, 30);
    }
    void TearDown() override
    {
        tallomer::Clock::setShared(nullptr);
        if (zone)
            GUIRulerRessources::partagees().dossier = previousFolder;
        BrowserRulerModel::TearDown();
    }
    // Shows `ruler` over [a, b] and draws the strip into an image.
    QImage draw(std::shared_ptr<GUIRulerType> r, KELDate a, KELDate b, const QRect& part = {})
    {
        r->setInDate(a, b);
        strip.setRuler(std::move(r));
        QImage image(strip.size(), QImage::Format_ARGB32);
        image.fill(Qt::magenta);
        strip.render(&image, QPoint(), part.isNull() ? QRegion(strip.rect()) : QRegion(part),
                     QWidget::RenderFlags());
        return image;
    }
    std::shared_ptr<GUIRulerType> programRuler()
    {
        return std::shared_ptr<GUIRulerType>(GUIRulerType::rulerWithSpaceName(QStringLiteral("date"), programFiles()));
    }
    QStringList shown() const
    {
        QStringList s;
        for (GUIRulerUnit* u : strip.displayedUnits().value_or(std::vector<GUIRulerUnit*>{}))
            s << u->name() + ":" + u->typicalEventTitle();
        return s;
    }
    // Share of the pixels of line y that have colour c.
    static double share(const QImage& image, int y, const QColor& c, int x0 = 0, int x1 = -1)
    {
        if (x1 < 0)
            x1 = image.width();
        int n = 0;
        for (int x = x0; x < x1; ++x)
            n += image.pixelColor(x, y).rgb() == c.rgb() ? 1 : 0;
        return double(n) / (x1 - x0);
    }

    FixedClock clock;
    QString previousFolder;
    GUIRulerViewLine strip;
};

TEST_F(BrowserRulerStrip, UnitsShowFromTwoPointsAndOfEntriesOfOneNameTheFirstWhoseTitleFits)
{
    const KELDate a = at(2026, 1, 1);
    // Forty days on 300 points: twelve hours span 3.75 points, enough for the hour's ticks here
    // (the time strip wants 10).
    draw(programRuler(), a, a + 40 * 86400.0);
    EXPECT_TRUE(shown().contains(QStringLiteral("hour:23:00"))) << shown().join(',').toStdString();
    // A hundred days: 1.5 points, not enough.
    draw(programRuler(), a, a + 100 * 86400.0);
    EXPECT_FALSE(shown().join(',').contains(QStringLiteral("hour"))) << shown().join(',').toStdString();

    // Between the two day titles' widths a week holds the short one only: the second day entry
    // shows with its titles.
    const double longTitle = ZEVTlineLabelCell::cellSize(QStringLiteral("Wed 30")).width();
    const double shortTitle = ZEVTlineLabelCell::cellSize(QStringLiteral("30")).width();
    ASSERT_LT(shortTitle + 2, longTitle);
    const double week = (longTitle + shortTitle) / 2; // points
    draw(programRuler(), a, a + 7 * 86400.0 * 300 / week);
    EXPECT_TRUE(shown().contains(QStringLiteral("day:30")));
    EXPECT_FALSE(shown().contains(QStringLiteral("day:Wed 30")));
    ASSERT_NE(strip.firstDislpayedTitlesUnit(), nullptr);
    EXPECT_EQ(strip.firstDislpayedTitlesUnit()->typicalEventTitle(), QStringLiteral("30"));
    // Room for the long one: the first entry shows, and covers its name.
    draw(programRuler(), a, a + 7 * 86400.0 * 300 / (longTitle + 4));
    EXPECT_TRUE(shown().contains(QStringLiteral("day:Wed 30")));
    EXPECT_FALSE(shown().contains(QStringLiteral("day:30")));
    // No room for either: the last shows, for its ticks alone.
    draw(programRuler(), a, a + 7 * 86400.0 * 300 / (shortTitle - 4));
    EXPECT_TRUE(shown().contains(QStringLiteral("day:30")));
    EXPECT_NE(strip.firstDislpayedTitlesUnit()->name(), QStringLiteral("day"));
}

TEST_F(BrowserRulerStrip, PastAndFutureMeetAtThePresentAndNothingIsDrawnWithoutAUnitToShow)
{
    const QColor past = strip.couleurPasse(), future = strip.couleurFutur();
    const KELDate now = clock.now();
    // Present inside: the past up to its point, the future after (read on the top line, above
    // the ticks, where titles leave most pixels alone).
    QImage image = draw(programRuler(), now - 3600, now + 3600);
    EXPECT_GT(share(image, 0, past, 0, 140), 0.8);
    EXPECT_GT(share(image, 0, future, 160, 301), 0.8);
    // Present after the span, or before it: one colour throughout.
    image = draw(programRuler(), now - 7200, now - 3600);
    EXPECT_GT(share(image, 0, past), 0.8);
    EXPECT_EQ(share(image, 0, future), 0.0);
    image = draw(programRuler(), now + 3600, now + 7200);
    EXPECT_GT(share(image, 0, future), 0.8);
    EXPECT_EQ(share(image, 0, past), 0.0);

    // Only seconds, over a year: not one unit to show, so not even the background.
    const std::shared_ptr<GUIRulerType> seconds(GUIRulerType::rulerWithDictionary(
        {{"class", "GUIRulerTypeDate"},
         {"units", QVariantList{unit("GUIRulerUnitDate", "second", "%S", {5, 10}, 1)}}}));
    image = draw(seconds, now - 365 * 86400.0, now);
    ASSERT_TRUE(strip.displayedUnits().has_value());
    EXPECT_TRUE(strip.displayedUnits()->empty());
    for (int y : {0, 15, 29})
        EXPECT_EQ(share(image, y, Qt::magenta), 1.0);
}

TEST_F(BrowserRulerStrip, TicksShorterThanEightPointsGoAndALaterOverlappingTitleWinsOverAnEarlierOne)
{
    // Minutes titled "m.." and hours titled "h..": at 11:00 both units title the same place.
    const std::shared_ptr<GUIRulerType> r(GUIRulerType::rulerWithDictionary(
        {{"class", "GUIRulerTypeDate"},
         {"units", QVariantList{unit("GUIRulerUnitDate", "minute", "m%M", {5, 15, 30, 60}, 60, "m00"),
                                unit("GUIRulerUnitDate", "hour", "h%H", {3, 6, 12}, 3600, "h00")}}}));
    const KELDate a = at(2026, 6, 10, 10, 30), b = at(2026, 6, 10, 12, 30);
    draw(r, a, b);
    QStringList titles;
    for (const auto& t : strip.titres())
        titles << t.texte;
    EXPECT_TRUE(titles.contains(QStringLiteral("h11"))) << titles.join(',').toStdString();
    EXPECT_TRUE(titles.contains(QStringLiteral("h12")));
    EXPECT_FALSE(titles.contains(QStringLiteral("m00"))) << "pushed out by the hours' titles";
    EXPECT_TRUE(titles.contains(QStringLiteral("m30")));
    for (std::size_t i = 0; i < strip.titres().size(); ++i)
        for (std::size_t j = i + 1; j < strip.titres().size(); ++j)
            EXPECT_FALSE(strip.titres()[i].rect.intersects(strip.titres()[j].rect));
    // Every five minutes a mark is made, but the ticks of five minutes are too short to draw:
    // only the quarters (12.5 points a step of five minutes) have theirs.
    EXPECT_EQ(strip.cycleDisplayed(), 5);
    ASSERT_FALSE(strip.traits().empty());
    for (const auto& t : strip.traits()) {
        EXPECT_GT(t.longueur, kTickHeightMin);
        const double steps = t.x / 12.5;
        EXPECT_NEAR(steps / 3, std::round(steps / 3), 1e-9) << t.x;
    }
}

TEST_F(BrowserRulerStrip, UnitsAreChosenOncePerChangeAndOnlyTheRedrawnRangeAsksForMarks)
{
    const KELDate a = at(2026, 6, 10, 10, 30), b = at(2026, 6, 10, 12, 30);
    draw(programRuler(), a, b);
    EXPECT_EQ(strip.choix(), 1);
    EXPECT_EQ(strip.derniereEtendue(), std::make_pair(0.0, 1.0));
    // A part of it: the marks of that part widened by half a title. A new ruler drops the choice.
    strip.setRuler(programRuler());
    strip.rulerType()->setInDate(a, b);
    QImage image(strip.size(), QImage::Format_ARGB32);
    strip.render(&image, QPoint(), QRegion(QRect(100, 0, 20, 30)), QWidget::RenderFlags());
    const int afterSetRuler = strip.choix();
    const double t = ZEVTlineLabelCell::cellSizeForBounds(strip.displayedUnits()->front()->typicalEventTitle(),
                                                          QSizeF(301, 15))
                         .width();
    EXPECT_NEAR(strip.derniereEtendue().first, (100 - t / 2) / 301, 1e-9);
    EXPECT_NEAR(strip.derniereEtendue().second, (120 + t / 2) / 301, 1e-9);
    strip.render(&image, QPoint(), QRegion(strip.rect()), QWidget::RenderFlags());
    EXPECT_EQ(strip.choix(), afterSetRuler) << "drawn again, not chosen again";
    strip.rulerDidChange();
    strip.render(&image);
    EXPECT_EQ(strip.choix(), afterSetRuler + 1);
    strip.resize(401, 30);
    strip.render(&image);
    EXPECT_EQ(strip.choix(), afterSetRuler + 2);
    strip.setPosition(1);
    strip.render(&image);
    EXPECT_EQ(strip.choix(), afterSetRuler + 3);
}

TEST_F(BrowserRulerStrip, PointsAndDatesConvertBothWaysAndAppearanceSetsAreReadOnce)
{
    const KELDate a = at(2026, 6, 10, 10), b = a + 300;
    draw(programRuler(), a, b);
    EXPECT_DOUBLE_EQ(strip.dateForPoint(QPointF(0, 3)), a);
    EXPECT_DOUBLE_EQ(strip.dateForPoint(QPointF(150.5, 3)), a + 150);
    EXPECT_EQ(strip.pointForDate(a + 150), QPointF(150, 15));
    // Back and forth within a point (300 s on 301 points).
    EXPECT_NEAR(strip.dateForPoint(strip.pointForDate(a + 100)), a + 100, 300.0 / 301);
    strip.setPosition(2); // vertical, y-up: the in-date at the top
    EXPECT_DOUBLE_EQ(strip.dateForPoint(QPointF(0, 30)), a);
    EXPECT_EQ(strip.pointForDate(b), QPointF(150.5, 0));

    // The program's "line" set; a set without a table answers nothing, and is not looked for again.
    EXPECT_NE(GUIRulerView::marksAppearance(QStringLiteral("line")), nullptr);
    const QString folder = QString::fromStdString(tallomer::test::makeTempDir("marks"));
    GUIRulerRessources::partagees().dossier = folder;
    EXPECT_EQ(GUIRulerView::marksAppearance(QStringLiteral("later")), nullptr);
    QDir().mkpath(folder + "/browser");
    QFile f(folder + "/browser/laterMarksAppearance.table");
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("<plist version=\"1.0\"><dict><key>k</key><string>v</string></dict></plist>");
    f.close();
    EXPECT_EQ(GUIRulerView::marksAppearance(QStringLiteral("later")), nullptr);
    GUIRulerView::oublierLesApparences();
    EXPECT_NE(GUIRulerView::marksAppearance(QStringLiteral("later")), nullptr);
}

// ---- the column's strip ----

class BrowserRulerColumn : public Browser {
protected:
    void SetUp() override
    {
        Browser::SetUp();
        previousFolder = GUIRulerRessources::partagees().dossier;
        GUIRulerRessources::partagees().dossier = programFiles();
    }
    void TearDown() override
    {
        KELVueDe::intervalleDeRecharge() = 2.0;
        GUIRulerRessources::partagees().dossier = previousFolder;
        Browser::TearDown();
    }
    QString previousFolder;
};

// A column that shows no column titles.
class SansTitres final : public KELVueDe {
public:
    SansTitres(KELVueController* vc, KELICurseur* c) : KELVueDe(vc, nullptr, kel::kModelMot, c)
    {
        initLaScrollView();
        initLaTableView();
        initLaRulerView();
    }
};

TEST_F(BrowserRulerColumn, EveryColumnHasItsStripUnderItsTitlesOnItsCursorsWindow)
{
    KELICurseur* search = wake<KELICurseur>(2000094);
    ASSERT_NE(search, nullptr);
    KELVueController* w = KELVueController::ouvrir(kel::kModelMot, 2000094);
    ASSERT_NE(w, nullptr);
    KELVueDe* v = w->premiereVue();
    GUIRulerViewLine* strip = v->rulerViewLine();
    ASSERT_NE(strip, nullptr);
    GUITableHeaderView* header = v->headerView();
    EXPECT_EQ(strip->parentWidget(), header);
    EXPECT_EQ(strip->geometry(), QRect(0, int(header->hauteurHeader()), header->width(), 30));
    EXPECT_EQ(header->sizeHint().height(), int(header->hauteurHeader()) + 30);
    EXPECT_EQ(strip->viewerDelegate(), v);
    EXPECT_EQ(strip->markAppearanceSet(), QStringLiteral("line"));
    ASSERT_NE(v->ruler(), nullptr);
    EXPECT_EQ(strip->rulerType(), v->ruler());
    EXPECT_EQ(v->ruler()->inDate(), search->nowIn());
    EXPECT_EQ(v->ruler()->outDate(), search->nowOut());
    // One view for the column's cursor, a Recall view where no Space shows it.
    ASSERT_EQ(v->curseurViews().size(), 1u);
    EXPECT_NE(dynamic_cast<GUIRulerCurseurRecall*>(v->curseurViews().front()), nullptr);

    // Wider, the strip follows the header.
    w->resize(600, 300);
    EXPECT_EQ(strip->width(), header->width());

    // The window grows by a minute: the next reload moves the ruler and tells the strip.
    const QImage image = strip->grab().toImage();
    ASSERT_TRUE(strip->displayedUnits().has_value());
    search->decalerContexteIn(-60);
    v->recharger();
    EXPECT_EQ(v->ruler()->inDate(), search->nowIn());
    EXPECT_FALSE(strip->displayedUnits().has_value());
    // Moved without changing its length, the units stay.
    strip->grab();
    ASSERT_TRUE(strip->displayedUnits().has_value());
    search->initierDeplacementCurseur();
    search->decalerCurseur(-600);
    search->terminerDeplacementCurseur();
    v->recharger();
    EXPECT_EQ(v->ruler()->outDate(), search->nowOut());
    EXPECT_TRUE(strip->displayedUnits().has_value());

    // Seconds per point of the strip, and the reload pace it sets.
    EXPECT_DOUBLE_EQ(v->rulerRatio(), (search->nowOut() - search->nowIn()) / strip->width());
    v->majProchaineRecharge();
    EXPECT_DOUBLE_EQ(KELVueDe::intervalleDeRecharge(), KELVueDe::intervallePourRatio(v->rulerRatio()));

    // A column without titles gives the table's first points to its strip.
    SansTitres sans(w, search);
    ASSERT_NE(sans.rulerViewLine(), nullptr);
    sans.guiView()->resize(220, 200);
    sans.guiView()->layout()->activate();
    EXPECT_EQ(sans.rulerViewLine()->parentWidget(), sans.guiView());
    EXPECT_EQ(sans.rulerViewLine()->height(), 30);
    EXPECT_EQ(sans.rulerViewLine()->geometry().bottom() + 1, sans.tableView()->geometry().top());
    sans.libererSelf();
}

TEST_F(BrowserRulerColumn, TheReloadPaceFollowsTheScaleWithoutEverBecomingABusyLoop)
{
    EXPECT_DOUBLE_EQ(KELVueDe::intervallePourRatio(600.0 / 300), 2.0);
    EXPECT_DOUBLE_EQ(KELVueDe::intervallePourRatio(60.0 / 300), 0.2);
    EXPECT_DOUBLE_EQ(KELVueDe::intervallePourRatio(0.0), 0.04);
    EXPECT_DOUBLE_EQ(KELVueDe::intervallePourRatio(-1.0), 0.04);
    EXPECT_DOUBLE_EQ(KELVueDe::intervallePourRatio(std::numeric_limits<double>::quiet_NaN()), 2.0);
    EXPECT_DOUBLE_EQ(KELVueDe::intervallePourRatio(std::numeric_limits<double>::infinity()), 2.0);

    // A window closed to its cursor: next to 0 s per point, the least interval, and a reload at
    // once and then every 0.04 s.
    KELICurseur* search = wake<KELICurseur>(2000094);
    ASSERT_NE(search, nullptr);
    search->placerContexteInToZero();
    search->placerContexteOutToZero();
    KELVueController* w = KELVueController::ouvrir(kel::kModelMot, 2000094);
    ASSERT_NE(w, nullptr);
    KELVueDe* v = w->premiereVue();
    EXPECT_LT(v->rulerRatio(), 0.01);
    v->entete()->setText(QString());
    v->majProchaineRecharge();
    EXPECT_DOUBLE_EQ(KELVueDe::intervalleDeRecharge(), 0.04);
    EXPECT_FALSE(v->entete()->text().isEmpty()) << "reloaded at once";
    v->entete()->setText(QString());
    sched.advance(0.05);
    EXPECT_FALSE(v->entete()->text().isEmpty()) << "and again 0.04 s later";
}

} // namespace
} // namespace browsertest
