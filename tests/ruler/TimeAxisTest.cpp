// The time axis and its calendar units: the program's table, the marks of each unit over a range
// in zones with daylight saving, the cache of the last query, and the input that is refused.

#include "platform/CalendarDate.h"
#include "ruler/ZEVTlineType.h"
#include "runtime/Log.h"
#include "tests/support/TestHome.h"
#include "tests/support/TimeZone.h"

#include <QVariantList>

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

using namespace tallomer;
using test::ScopedTimeZone;

namespace {

QString resources() { return QString::fromStdString(test::buildDir() + "/share/tallomer"); }

KELDate at(int y, int mo, int d, int h = 0, int mi = 0, int s = 0)
{
    return CalendarDate::fromFields(y, mo, d, h, mi, s)->date();
}

std::string local(KELDate d)
{
    return CalendarDate::fromDate(std::round(d))->format(QStringLiteral("%Y-%m-%d %H:%M")).toStdString();
}

struct Mark {
    std::string start;
    double hours; // length
    std::string title;
    long long cycle;
};

// The marks of a unit over [a, b], read back through the axis set to that range.
std::vector<Mark> marks(ZEVTlineType& axis, ZEVTlineUnit& unit, KELDate a, KELDate b)
{
    axis.setInDate(a, b);
    std::vector<Mark> out;
    for (const ZEVTlineMark& m : unit.eventsIntersectingInDate(a, b))
        out.push_back({local(m.inDate()), (m.outDate() - m.inDate()) / 3600.0,
                       m.title().toStdString(), static_cast<long long>(m.stepUpCycle())});
    return out;
}

class TimeAxis : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!ScopedTimeZone::installed("Europe/Berlin"))
            GTEST_SKIP() << "Europe/Berlin is not installed (package tzdata)";
        zone = std::make_unique<ScopedTimeZone>("Europe/Berlin");
        axis = ZEVTlineType::RulerWithSpaceName(QStringLiteral("zevDate"), resources());
        ASSERT_EQ(axis->units().size(), 7u);
    }
    ZEVTlineUnit& unit(const char* name) { return *axis->unitNamed(QString::fromLatin1(name)); }

    std::unique_ptr<ScopedTimeZone> zone;
    std::unique_ptr<ZEVTlineType> axis;
};

QVariantMap entry(const QString& name, const QString& format, const QVariantList& cycles = {})
{
    return {{"name", name}, {"format", format}, {"stepUpCycles", cycles}};
}

} // namespace

TEST(TimeAxisTable, TheProgramsUnitsRunFromTheShortestAndBadEntriesAreLeftOutAtReading)
{
    const std::unique_ptr<ZEVTlineType> axis = ZEVTlineType::RulerWithSpaceName(QStringLiteral("zevDate"), resources());
    QStringList names;
    for (const auto& u : axis->units())
        names << u->name();
    EXPECT_EQ(names, (QStringList{"second", "minute", "hour", "day", "week", "month", "year"}));

    ScopedLogCapture log;
    QVariantMap noLargest = entry("hour", "%H", {3, 6, 0, 12});
    const QVariantList entries = {
        entry("fortnight", "%d"),                      // no such unit: no loop start, no field
        entry("day", "%Q"),                            // a format the calendar does not know
        entry("week", "%Y"),                           // the week's label takes the week number
        entry("week", "W%d %d"),                       // once
        entry("month", "%B", {3, QStringLiteral("x")}), // cycles are integers
        QStringLiteral("not a dictionary"),
        entry("week", "W%d (100%%)"),
        noLargest,
    };
    const std::unique_ptr<ZEVTlineType> read = ZEVTlineType::initWithDictionary({{"units", entries}});
    ASSERT_EQ(read->units().size(), 2u);
    EXPECT_EQ(log.sink.count("left out"), 6u);
    EXPECT_TRUE(log.sink.contains("fortnight"));
    ZEVTlineUnit& hour = *read->units()[1];
    EXPECT_EQ(hour.largestRelevantStepUpCycle(), 1); // absent counts as 1
    EXPECT_EQ(hour.stepUpCycles(), (std::vector<std::int64_t>{3, 6, 0, 12}));
    EXPECT_EQ(hour.typicalEventLength(), 0.0);

    ScopedLogCapture missing;
    EXPECT_TRUE(ZEVTlineType::RulerWithSpaceName(QStringLiteral("zevDate"), QStringLiteral("/nonexistent"))->units().empty());
    EXPECT_TRUE(missing.sink.contains("no calendar units"));
}

TEST(TimeAxisTable, DatesMapLinearlyAndAnEmptyWindowGivesNoNaN)
{
    ZEVTlineType axis;
    axis.setInDate(1000, 2000);
    EXPECT_EQ(axis.relativeCoordinateForDate(2500), 1.5);
    EXPECT_EQ(axis.dateForRelativeCoordinate(0.25), 1250.0);
    {
        ScopedLogCapture log;
        axis.setInDate(NAN, 5);
        axis.setInDate(0, INFINITY);
        EXPECT_EQ(log.sink.count("refused"), 2u);
        EXPECT_EQ(axis.inDate(), 1000.0); // kept
    }
    for (const auto& [in, out] : std::vector<std::pair<double, double>>{{5, 5}, {9, 3}, {-1e308, 1e308}}) {
        axis.setInDate(in, out);
        EXPECT_EQ(axis.relativeCoordinateForDate(7), 0.0);
        EXPECT_FALSE(std::isnan(axis.dateForRelativeCoordinate(NAN)));
    }
}

TEST_F(TimeAxis, LoopStartsOfThinnedUnits)
{
    const struct {
        const char* unit;
        std::int64_t f;
        KELDate a, b;
        std::vector<std::string> starts;
        double hours;
    } cases[] = {
        // From February, every third month starts from December of the year before.
        {"month", 3, at(2024, 2, 10), at(2024, 8, 1), {"2023-12-01 00:00", "2024-03-01 00:00", "2024-06-01 00:00", "2024-09-01 00:00"}, 0},
        // Every seventh day starts on Sunday at midnight, also in the week summer time begins.
        {"day", 7, at(2024, 4, 3, 15), at(2024, 4, 18), {"2024-03-31 00:00", "2024-04-07 00:00", "2024-04-14 00:00", "2024-04-21 00:00"}, 0},
        // Every 120th minute starts on an even hour.
        {"minute", 120, at(2024, 5, 1, 3, 10), at(2024, 5, 1, 6, 30), {"2024-05-01 02:00", "2024-05-01 04:00", "2024-05-01 06:00", "2024-05-01 08:00"}, 1.0 / 60},
        {"year", 10, at(2024, 5, 1), at(2041, 1, 1), {"2020-01-01 00:00", "2030-01-01 00:00", "2040-01-01 00:00", "2050-01-01 00:00"}, 0},
        // Years before year 0 count down to their multiple of ten as well, tens of millions of
        // years back.
        {"year", 10, at(-28000005, 5, 1), at(-27999989, 1, 1), {"-28000010-01-01 00:00", "-28000000-01-01 00:00", "-27999990-01-01 00:00", "-27999980-01-01 00:00"}, 0},
        {"hour", 6, at(-28000000, 7, 4, 5), at(-28000000, 7, 4, 14), {"-28000000-07-04 00:00", "-28000000-07-04 06:00", "-28000000-07-04 12:00", "-28000000-07-04 18:00"}, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.unit) + " every " + std::to_string(c.f));
        ZEVTlineUnit& u = unit(c.unit);
        u.setMinStepUpCycle(c.f);
        const std::vector<Mark> got = marks(*axis, u, c.a, c.b);
        std::vector<std::string> starts;
        for (const Mark& m : got) {
            starts.push_back(m.start);
            if (c.hours > 0) {
                EXPECT_NEAR(m.hours, c.hours, 0.01) << m.start;
            }
        }
        EXPECT_EQ(starts, c.starts);
        u.setMinStepUpCycle(1);
    }
    // Each day mark every seven days is one calendar day long (23 hours the day summer time
    // begins); each month mark one month, with the cycle of its own month.
    unit("day").setMinStepUpCycle(7);
    const std::vector<Mark> spring = marks(*axis, unit("day"), at(2024, 4, 3, 15), at(2024, 4, 18));
    ASSERT_EQ(spring.size(), 4u);
    EXPECT_NEAR(spring[0].hours, 23, 0.01);
    EXPECT_NEAR(spring[1].hours, 24, 0.01);
    unit("month").setMinStepUpCycle(3);
    const std::vector<Mark> quarter = marks(*axis, unit("month"), at(2024, 2, 10), at(2024, 3, 10));
    ASSERT_FALSE(quarter.empty());
    EXPECT_NEAR(quarter[0].hours, 31 * 24, 0.01);
    EXPECT_EQ(quarter[0].cycle, 12); // December
}

TEST_F(TimeAxis, StepUpCyclesAndLabels)
{
    // Minutes: the largest listed cycle that divides the minute of the day.
    std::vector<Mark> m = marks(*axis, unit("minute"), at(2024, 5, 1, 11, 59), at(2024, 5, 1, 12, 10, 30));
    ASSERT_EQ(m.size(), 12u);
    EXPECT_EQ(m[0].title, "11:59");
    EXPECT_EQ(m[0].cycle, 1);
    EXPECT_EQ(m[1].title, "12:00");
    EXPECT_EQ(m[1].cycle, 720);
    EXPECT_EQ(m[6].cycle, 5);
    EXPECT_EQ(m[11].cycle, 10);
    // Weeks are labelled with their number; the day marks name the leap day.
    const std::vector<Mark> w = marks(*axis, unit("week"), at(2024, 1, 2), at(2024, 1, 10));
    ASSERT_EQ(w.size(), 2u);
    EXPECT_EQ(w[0].start, "2023-12-31 00:00");
    EXPECT_EQ(w[0].title, "Week 53");
    EXPECT_EQ(w[1].title, "Week 1");
    const std::vector<Mark> leap = marks(*axis, unit("day"), at(2024, 2, 28, 12), at(2024, 3, 1, 12));
    ASSERT_EQ(leap.size(), 3u);
    EXPECT_EQ(leap[1].start, "2024-02-29 00:00");
    EXPECT_EQ(leap[1].title.substr(leap[1].title.size() - 2), "29");
    const std::vector<Mark> feb = marks(*axis, unit("month"), at(2024, 2, 10), at(2024, 2, 11));
    ASSERT_EQ(feb.size(), 1u);
    EXPECT_NEAR(feb[0].hours, 29 * 24, 0.01);
    const std::vector<Mark> noLeap = marks(*axis, unit("month"), at(2023, 2, 10), at(2023, 2, 11));
    EXPECT_NEAR(noLeap[0].hours, 28 * 24, 0.01);
}

TEST(TimeAxisZones, HourMarksAcrossBothDaylightSavingChanges)
{
    const struct {
        const char* zone;
        int y, mo, d;
        std::vector<std::string> titles;
        std::vector<double> hours;
    } cases[] = {
        {"Europe/Berlin", 2024, 3, 31, {"00:00", "01:00", "03:00", "04:00"}, {1, 1, 1, 1}},
        {"Europe/Berlin", 2024, 10, 27, {"00:00", "01:00", "02:00", "03:00", "04:00"}, {1, 1, 2, 1, 1}},
        {"America/New_York", 2024, 3, 10, {"00:00", "01:00", "03:00", "04:00"}, {1, 1, 1, 1}},
        {"America/New_York", 2024, 11, 3, {"00:00", "01:00", "02:00", "03:00", "04:00"}, {1, 2, 1, 1, 1}},
        {"Australia/Sydney", 2024, 10, 6, {"00:00", "01:00", "03:00", "04:00"}, {1, 1, 1, 1}},
        {"Australia/Sydney", 2024, 4, 7, {"00:00", "01:00", "02:00", "03:00", "04:00"}, {1, 1, 2, 1, 1}},
    };
    for (const auto& c : cases) {
        if (!ScopedTimeZone::installed(c.zone))
            GTEST_SKIP() << c.zone << " is not installed (package tzdata)";
        ScopedTimeZone zone(c.zone);
        SCOPED_TRACE(std::string(c.zone) + " " + std::to_string(c.mo) + "/" + std::to_string(c.d));
        auto axis = ZEVTlineType::RulerWithSpaceName(QStringLiteral("zevDate"), resources());
        ZEVTlineUnit& hour = *axis->unitNamed(QStringLiteral("hour"));
        const KELDate a = at(c.y, c.mo, c.d, 0, 30);
        // Four hours on the clock: 2.5 hours of time when summer time begins, 4.5 when it ends.
        const KELDate b = a + (c.hours.size() > 4 ? 4.5 : 2.5) * 3600;
        std::vector<std::string> titles;
        std::vector<double> hours;
        KELDate previous = -INFINITY;
        axis->setInDate(a, b);
        for (const ZEVTlineMark& m : hour.eventsIntersectingInDate(a, b)) {
            ASSERT_FALSE(std::isnan(m.relativeStart()));
            EXPECT_GT(m.inDate(), previous);
            previous = m.inDate();
            titles.push_back(m.title().toStdString());
            hours.push_back(std::round((m.outDate() - m.inDate()) / 36.0) / 100.0);
        }
        EXPECT_EQ(titles, c.titles);
        EXPECT_EQ(hours, c.hours);
    }
}

TEST_F(TimeAxis, AStartInTheRepeatedHourIsTheOccurrenceAtOrBeforeTheDate)
{
    // 02:40 in summer time, the first of the two: its hour starts at the first 02:00.
    const KELDate firstPass = CalendarDate::fromFields(2024, 10, 27, 2, 40, 0, true)->date();
    const std::vector<Mark> m = marks(*axis, unit("hour"), firstPass, firstPass + 600);
    ASSERT_EQ(m.size(), 1u);
    axis->setInDate(firstPass, firstPass + 600);
    EXPECT_LE(unit("hour").eventsIntersectingInDate(firstPass, firstPass + 600)[0].inDate(), firstPass);
    // Its minutes follow each other a minute apart, into the second pass of the hour.
    const std::vector<Mark> minutes =
        marks(*axis, unit("minute"), firstPass + 18 * 60, firstPass + 21 * 60 + 30);
    ASSERT_EQ(minutes.size(), 4u);
    EXPECT_EQ(minutes[1].title, "02:59");
    EXPECT_EQ(minutes[2].title, "02:00");
    for (const Mark& x : minutes)
        EXPECT_NEAR(x.hours, 1.0 / 60, 1e-3);
}

TEST_F(TimeAxis, TheLastListIsReturnedForTheSameQueryAndMadeAgainOtherwise)
{
    ZEVTlineUnit& hour = unit("hour");
    const KELDate a = at(2024, 6, 1, 8), b = at(2024, 6, 1, 12);
    axis->setInDate(a, b);
    const std::vector<ZEVTlineMark>* first = &hour.eventsIntersectingInDate(a, b);
    const double start = (*first)[0].relativeStart();
    EXPECT_EQ(start, 0.0);
    // The axis moves; the same query answers the same list, not made again.
    axis->setInDate(a - 3600, b);
    EXPECT_EQ(&hour.eventsIntersectingInDate(a, b), first);
    EXPECT_EQ((*first)[0].relativeStart(), start);
    // A mark's date is the one now at its stored place.
    EXPECT_EQ((*first)[0].inDate(), a - 3600);
    // Another filter makes the list again on the moved axis.
    hour.setMinStepUpCycle(2);
    EXPECT_GT(hour.eventsIntersectingInDate(a, b)[0].relativeStart(), 0.0);
    hour.setMinStepUpCycle(0); // below 1 counts as 1
    EXPECT_EQ(hour.stepUpCycleFilter(), 1);
}

TEST_F(TimeAxis, BoundsThatCannotBeGraduatedGiveNoMarks)
{
    ZEVTlineUnit& second = unit("second");
    const KELDate t = at(2024, 6, 1);
    ScopedLogCapture log;
    const struct {
        const char* name;
        KELDate a, b;
    } cases[] = {
        {"not a number", NAN, t},
        {"infinite", t, INFINITY},
        {"since always", KELDateToujours, t},
        {"open", t, KELDateOuverte},
        {"a century of seconds", t, t + 100 * 365 * 86400.0},
    };
    for (const auto& c : cases)
        EXPECT_TRUE(second.eventsIntersectingInDate(c.a, c.b).empty()) << c.name;
    EXPECT_EQ(log.sink.count("would be more than"), 1u);
    // A range that ends before its first mark starts has none.
    EXPECT_TRUE(unit("day").eventsIntersectingInDate(t + 86400 * 3, t).empty());
    // Marks made on an empty axis stand at 0, not at NaN.
    axis->setInDate(t, t);
    for (const ZEVTlineMark& m : unit("hour").eventsIntersectingInDate(t, t + 7200))
        EXPECT_EQ(m.relativeStart(), 0.0);
    EXPECT_EQ(unit("hour").typicalEventRelativeLength(), 0.0);
}
