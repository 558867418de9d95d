// The calendar of the timeline: fields, steps and week starts in the process's zone, pinned here
// to zones with daylight saving on both hemispheres.

#include "platform/CalendarDate.h"

#include "tests/support/TimeZone.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

using namespace tallomer;
using test::ScopedTimeZone;

namespace {

CalendarDate at(int y, int mo, int d, int h = 0, int mi = 0, int s = 0)
{
    std::optional<CalendarDate> c = CalendarDate::fromFields(y, mo, d, h, mi, s);
    EXPECT_TRUE(c.has_value());
    return c.value_or(*CalendarDate::fromDate(0));
}

std::string fields(const CalendarDate& c) { return c.format(QStringLiteral("%Y-%m-%d %H:%M:%S")).toStdString(); }

#define REQUIRE_ZONE(zone)                                                                                             \
    if (!ScopedTimeZone::installed(zone))                                                                              \
    GTEST_SKIP() << zone << " is not installed (package tzdata)"

} // namespace

TEST(CalendarDate, WeekOfYearBeginsOnTheFirstSunday)
{
    REQUIRE_ZONE("Europe/Berlin");
    ScopedTimeZone zone("Europe/Berlin");
    const struct {
        int y, mo, d, week;
    } cases[] = {
        {2017, 1, 1, 1},  // 2017 begins on a Sunday
        {2017, 1, 7, 1},  // its first Saturday
        {2017, 1, 8, 2},
        {2018, 1, 1, 0},  // 2018 begins on a Monday: week 0 until
        {2018, 1, 6, 0},
        {2018, 1, 7, 1},  // the first Sunday
        {2018, 12, 31, 52},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(fields(at(c.y, c.mo, c.d)));
        EXPECT_EQ(at(c.y, c.mo, c.d, 12).weekOfYear(), c.week);
    }
}

TEST(CalendarDate, MonthsAndDaysCountBackFromZeroAndRollOver)
{
    REQUIRE_ZONE("America/New_York");
    ScopedTimeZone zone("America/New_York");
    const struct {
        int y, mo, d;
        const char* expected;
    } cases[] = {
        {2024, 0, 1, "2023-12-01 00:00:00"},  // month 0: December of the year before
        {2024, 3, 0, "2024-02-29 00:00:00"},  // day 0: the last day of the month before
        {2023, 3, 0, "2023-02-28 00:00:00"},
        {2023, 2, 31, "2023-03-03 00:00:00"}, // overflow rolls over
        {2024, 13, 1, "2025-01-01 00:00:00"},
        {2024, -1, 1, "2023-11-01 00:00:00"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(fields(at(c.y, c.mo, c.d)), c.expected) << c.y << "-" << c.mo << "-" << c.d;

    // One month after January 31 is March 3, March 2 in a leap year (it does not clamp).
    EXPECT_EQ(fields(*at(2023, 1, 31, 9).dateByAdding(0, 1, 0, 0, 0, 0)), "2023-03-03 09:00:00");
    EXPECT_EQ(fields(*at(2024, 1, 31, 9).dateByAdding(0, 1, 0, 0, 0, 0)), "2024-03-02 09:00:00");
    EXPECT_EQ(fields(*at(2024, 2, 29).dateByAdding(1, 0, 0, 0, 0, 0)), "2025-03-01 00:00:00");
}

TEST(CalendarDate, WeeksBeginOnSundayAtMidnightAlsoAcrossDaylightSaving)
{
    const struct {
        const char* zone;
        int y, mo, d, h; // a day of the week
        const char* sunday;
    } cases[] = {
        {"Europe/Berlin", 2024, 4, 6, 12, "2024-03-31 00:00:00"},  // summer time began that Sunday
        {"Europe/Berlin", 2024, 11, 2, 23, "2024-10-27 00:00:00"}, // winter time began that Sunday
        {"Europe/Berlin", 2024, 3, 31, 0, "2024-03-31 00:00:00"},  // a Sunday is its own start
        {"America/New_York", 2024, 3, 16, 8, "2024-03-10 00:00:00"},
        {"America/New_York", 2024, 11, 9, 8, "2024-11-03 00:00:00"},
        {"Australia/Sydney", 2024, 10, 12, 20, "2024-10-06 00:00:00"},
        {"Australia/Sydney", 2024, 4, 13, 20, "2024-04-07 00:00:00"},
    };
    for (const auto& c : cases) {
        if (!ScopedTimeZone::installed(c.zone))
            GTEST_SKIP() << c.zone << " is not installed (package tzdata)";
        ScopedTimeZone zone(c.zone);
        const CalendarDate day = at(c.y, c.mo, c.d, c.h);
        SCOPED_TRACE(std::string(c.zone) + " " + fields(day));
        const std::optional<CalendarDate> sunday = day.beginningOfWeek();
        ASSERT_TRUE(sunday);
        EXPECT_EQ(fields(*sunday), c.sunday);
        EXPECT_EQ(sunday->dayOfWeek(), 0);
        EXPECT_EQ(fields(*day.beginningOfDay()).substr(11), "00:00:00");
    }
}

TEST(CalendarDate, WallClockTimesThatDaylightSavingSkipsOrRepeats)
{
    REQUIRE_ZONE("Europe/Berlin");
    ScopedTimeZone zone("Europe/Berlin");
    // Skipped: 02:30 on the day summer time begins is 03:30, an hour after 01:30.
    const CalendarDate skipped = at(2024, 3, 31, 2, 30);
    EXPECT_EQ(fields(skipped), "2024-03-31 03:30:00");
    EXPECT_EQ(skipped.date() - at(2024, 3, 31, 1, 30).date(), 3600.0);
    // Repeated: 02:30 on the day winter time begins, the second time unless summer time is asked.
    const CalendarDate second = at(2024, 10, 27, 2, 30);
    const CalendarDate first = *CalendarDate::fromFields(2024, 10, 27, 2, 30, 0, true);
    EXPECT_FALSE(second.siHeureDEte());
    EXPECT_TRUE(first.siHeureDEte());
    EXPECT_EQ(second.date() - first.date(), 3600.0);
    EXPECT_EQ(fields(first), "2024-10-27 02:30:00");
    // Whatever was asked just before (mktime alone guesses from its previous call).
    for (int month : {7, 1, 7}) {
        at(2024, month, 1, 12);
        EXPECT_EQ(at(2024, 10, 27, 2, 30).date(), second.date()) << month;
        EXPECT_EQ(at(2024, 3, 31, 2, 30).date(), skipped.date()) << month;
    }
    // Asking summer time of a winter date changes nothing.
    EXPECT_EQ(CalendarDate::fromFields(2024, 1, 10, 12, 0, 0, true)->date(), at(2024, 1, 10, 12).date());
}

TEST(CalendarDate, StepsKeepTheWallClockForDaysAndHoursAndElapsedTimeForMinutes)
{
    REQUIRE_ZONE("Europe/Berlin");
    ScopedTimeZone zone("Europe/Berlin");
    const struct {
        const char* name;
        CalendarDate from;
        int days, hours, minutes;
        const char* expected;
        double elapsed;
    } cases[] = {
        {"a day over the spring change", at(2024, 3, 30, 12), 1, 0, 0, "2024-03-31 12:00:00", 23 * 3600.0},
        {"a day over the autumn change", at(2024, 10, 26, 12), 1, 0, 0, "2024-10-27 12:00:00", 25 * 3600.0},
        {"an hour into the gap", at(2024, 3, 31, 1), 0, 1, 0, "2024-03-31 03:00:00", 3600.0},
        {"an hour into the repeat", at(2024, 10, 27, 1), 0, 1, 0, "2024-10-27 02:00:00", 3600.0},
        {"an hour out of the repeat", *CalendarDate::fromFields(2024, 10, 27, 2, 0, 0, true), 0, 1, 0,
         "2024-10-27 03:00:00", 7200.0},
        {"three hours on the clock", at(2024, 10, 27, 0), 0, 3, 0, "2024-10-27 03:00:00", 4 * 3600.0},
        {"a minute into the repeat", *CalendarDate::fromFields(2024, 10, 27, 2, 59, 0, true), 0, 0, 1,
         "2024-10-27 02:00:00", 60.0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::optional<CalendarDate> next = c.from.dateByAdding(0, 0, c.days, c.hours, c.minutes, 0);
        ASSERT_TRUE(next);
        EXPECT_EQ(fields(*next), c.expected);
        EXPECT_EQ(next->date() - c.from.date(), c.elapsed);
    }
}

TEST(CalendarDate, FieldsAndFormats)
{
    REQUIRE_ZONE("Australia/Sydney");
    ScopedTimeZone zone("Australia/Sydney");
    const CalendarDate noon = at(2024, 10, 6, 12, 0, 59); // the day summer time begins
    EXPECT_EQ(noon.minuteOfDay(), 720);
    EXPECT_EQ(noon.dayOfWeek(), 0);
    EXPECT_EQ(noon.dayOfYear(), 280);
    EXPECT_EQ(noon.format(QStringLiteral("%Y %m %d %H:%M:%S %%")), QStringLiteral("2024 10 06 12:00:59 %"));
    // The date a calendar date was made from is kept to the fraction.
    EXPECT_EQ(CalendarDate::fromDate(noon.date() + 0.25)->date(), noon.date() + 0.25);

    const struct {
        const char* format;
        bool valid;
    } formats[] = {{"%Y", true}, {"%a %e", true}, {"%H:00", true}, {"100%%", true}, {"", false},
                   {"%", false}, {"%n", false},   {"%s", false},    {"%Y %", false}, {"%c", false}};
    for (const auto& f : formats)
        EXPECT_EQ(CalendarDate::siFormatValide(QString::fromLatin1(f.format)), f.valid) << f.format;
    EXPECT_TRUE(noon.format(QStringLiteral("%s")).isEmpty());
}

TEST(CalendarDate, DatesBeyondTheCalendarGiveNothing)
{
    for (double d : {std::nan(""), double(INFINITY), -double(INFINITY), 1e300})
        EXPECT_FALSE(CalendarDate::fromDate(d)) << d;
    EXPECT_FALSE(CalendarDate::fromFields(200000000, 1, 1));
    EXPECT_FALSE(at(2024, 1, 1).dateByAdding(2000000000, 0, 0, 0, 0, 0));
}

// Dates as far back or on as the program keeps them (2^52 s either side of 2001) have their
// fields, which read back to them, and steps.
TEST(CalendarDate, DatesTensOfMillionsOfYearsAwayHaveTheirFieldsAndSteps)
{
    for (int year : {-28000000, -142000000, 142000000}) {
        const CalendarDate d = at(year, 3, 1, 13, 30);
        EXPECT_EQ(fields(*CalendarDate::fromDate(d.date())), std::to_string(year) + "-03-01 13:30:00");
        const std::optional<CalendarDate> later = d.dateByAdding(1, 1, 1, 1, 0, 0);
        ASSERT_TRUE(later);
        EXPECT_EQ(fields(*later), std::to_string(year + 1) + "-04-02 14:30:00");
    }
}

// Each moment's own fields, with its daylight saving, read back to that moment: on both sides of
// every change of a year, in zones whose changes are an hour, half an hour or a whole day.
TEST(CalendarDate, TheFieldsOfEveryHalfHourOfAYearReadBackToThatMoment)
{
    struct Case {
        const char* zone;
        int year;
    };
    for (const Case& c : {Case{"Europe/Berlin", 2024}, Case{"Australia/Lord_Howe", 2024}, Case{"Pacific/Apia", 2011},
                          Case{"UTC", 2024}}) {
        SCOPED_TRACE(c.zone);
        if (!ScopedTimeZone::installed(c.zone))
            continue;
        ScopedTimeZone zone(c.zone);
        const double debut = at(c.year, 1, 1).date(), fin = at(c.year + 1, 1, 1).date();
        int fautes = 0;
        for (double t = debut; t < fin && fautes < 5; t += 1800) {
            const CalendarDate d = *CalendarDate::fromDate(t);
            const std::optional<CalendarDate> r = CalendarDate::fromFields(d.year(), d.month(), d.day(), d.hour(),
                                                                           d.minute(), d.second(), d.siHeureDEte());
            if (!r || r->date() != t) {
                ++fautes;
                ADD_FAILURE() << fields(d) << " read back to " << (r ? fields(*r) : "nothing");
            }
        }
    }
}

#undef REQUIRE_ZONE
