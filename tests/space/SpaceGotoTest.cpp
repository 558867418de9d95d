// What the Space works out for going to moments and for its window: the ends of go-tos through the
// local calendar, the texts of durations, the pointer limit's zones and closing delay, and the
// window title.

#include "platform/CalendarDate.h"
#include "space/ZEVSpaceGoto.h"

#include "tests/support/TimeZone.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace tallomer;
using test::ScopedTimeZone;

namespace {

KELDate local(int y, int mo, int d, int h = 0, int mi = 0, int s = 0)
{
    const std::optional<CalendarDate> c = CalendarDate::fromFields(y, mo, d, h, mi, s);
    EXPECT_TRUE(c.has_value());
    return c ? c->date() : 0;
}

} // namespace

TEST(SpaceGoto, GoToEndsFollowTheLocalCalendarAndItsMonthEnds)
{
    if (!ScopedTimeZone::installed("Europe/Berlin"))
        GTEST_SKIP() << "Europe/Berlin is not installed (package tzdata)";
    ScopedTimeZone zone("Europe/Berlin");
    using namespace ZEVGoto;
    const KELDate t = local(2021, 1, 31, 12, 30, 15) + 0.25;
    const struct {
        const char* name;
        KELDate start;
        long tag;
        KELDate end;
    } rows[] = {
        {"a quarter hour", t, kQuarterHour, t + 900},
        {"an hour", t, kHour, t + 3600},
        {"a day", t, kDay, t + 86400},
        {"a week", t, kWeek, t + 604800},
        {"a month after 31 January rolls over to 3 March", t, kMonth, local(2021, 3, 3, 12, 30, 15) + 0.25},
        {"and to 2 March in a leap year", local(2024, 1, 31, 8), kMonth, local(2024, 3, 2, 8)},
        {"a month across summer time keeps the wall clock", local(2021, 3, 15, 12), kMonth, local(2021, 4, 15, 12)},
        {"six months after 31 August", local(2021, 8, 31, 9), kSixMonths, local(2022, 3, 3, 9)},
        {"a year after 29 February", local(2024, 2, 29, 9), kYear, local(2025, 3, 1, 9)},
        {"without end", t, kWithoutEnd, KELDateOuverte},
        {"the temporary kind", t, kTemporaryTag, KELDateOuverte},
        {"a start that is not finite", std::numeric_limits<double>::quiet_NaN(), kMonth, KELDateOuverte},
        {"beyond the calendar's years", 1e17, kYear, KELDateOuverte},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        EXPECT_DOUBLE_EQ(outTimeForGoToTime(r.start, r.tag), r.end);
    }
}

TEST(SpaceGoto, DurationsAreWrittenInDaysAndClockTime)
{
    const struct {
        double seconds;
        const char* text;
    } rows[] = {
        {90061, "1 day  01:01:01"},
        {59.6, "0 day  00:01:00"},    // rounds to a whole minute
        {86399.6, "1 day  00:00:00"}, // and on to a whole day
        {2 * 86400 + 3599.5, "2 days  01:00:00"},
        {36500.0 * 86400, "36500 days  00:00:00"},
        {36501.0 * 86400, "> 100 years !"},
        {std::numeric_limits<double>::infinity(), "> 100 years !"},
        {std::numeric_limits<double>::quiet_NaN(), "> 100 years !"},
        {-5, "0 day  00:00:00"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.seconds);
        EXPECT_EQ(ZEVGoto::durationStringForDuration(r.seconds).toStdString(), r.text);
    }
    EXPECT_EQ(ZEVGoto::durationStringForTag(ZEVGoto::kQuarterHour), QString::fromUtf8(" (\u00bc hour)"));
    EXPECT_EQ(ZEVGoto::durationStringForTag(ZEVGoto::kSixMonths), " (6 months)");
    EXPECT_TRUE(ZEVGoto::durationStringForTag(ZEVGoto::kWithoutEnd).isEmpty());
}

TEST(SpaceGoto, TheZonesLieInTheTopOfTheContentAndTheirClosingDelayStaysBetweenAHundredthAndOneSecond)
{
    using namespace ZEVMouseLimit;
    // A window 1000 x 625: the corner over the header-views button, 21 points lower than the
    // title bar it lay in.
    const ZEVMouseLimitZone coin = cornerZone(false, 1000, 625);
    EXPECT_EQ(coin.rect, QRectF(968, 606, 32, 19));
    EXPECT_FLOAT_EQ(coin.inf, 606);
    EXPECT_EQ(cornerZone(true, 1920, 1200).rect, QRectF(1850, 1199, 70, 3));
    EXPECT_EQ(headerZone(false, 0, 1000, 625, 36, false).rect, QRectF(0, 625 - 96 - 21, 1000, 96 + 21));
    EXPECT_FLOAT_EQ(headerZone(false, 0, 1000, 625, 36, false).inf, 625 - 96 - 21);
    EXPECT_EQ(headerZone(false, 0, 1000, 625, 36, true).rect, QRectF(0, 604, 1000, 21));
    EXPECT_EQ(headerZone(true, 0, 1920, 1200, 36, false).rect, QRectF(0, 1104, 1920, 98));

    const double nan = std::numeric_limits<double>::quiet_NaN();
    const struct {
        const char* name;
        float inf;
        double y;
        double delay;
    } rows[] = {
        {"at the edge", 100, 100, 1.0},
        {"at the bottom", 100, 0, 0.01},
        {"half way", 100, 50, 1 / 50.5},
        {"just above the edge", 100, 100.5, 1.0},
        {"where the formula divides by zero", 100, 1000 / 9.9, 1.0},
        {"far above", 100, 500, 1.0},
        {"below the window", 100, -300, 0.01},
        {"a zone without height", 0, 10, 1.0},
        {"a zone below the window", -20, -30, 1.0},
        {"a pointer nowhere", 100, nan, 1.0},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        EXPECT_NEAR(closeDelay(r.inf, r.y), r.delay, 1e-6);
    }
}

TEST(SpaceGoto, TheTitleNamesTheToolTheCursorAndWhereTheSearchCursorLies)
{
    ZEVWindowTitleState s;
    s.n = QStringLiteral("Channel 1 | Space 1");
    const struct {
        const char* name;
        int mode;
        bool inZone, now;
        double d;
        const char* title;
    } rows[] = {
        {"Now, icons", 0, false, true, 0, "Channel 1 | Space 1"},
        {"Now, titles", 1, false, true, 0, "Channel 1 | Space 1  (Title Tool)"},
        {"Now, links", 3, false, true, 0, "Channel 1 | Space 1  (Link Tool)"},
        {"in the zone", 0, true, true, 0, "=  Channel 1 | Space 1  ="},
        {"in the zone, filters", 2, true, true, 0, "=  Channel 1 | Space 1  (Filter Tool)  ="},
        {"in the zone, Search", 0, true, false, 50, "=  Channel 1 | Space 1  (Search)  ="},
        {"in the zone, Search, titles", 1, true, false, 50, "=  Channel 1 | Space 1  (Search - Title Tool)  ="},
        {"Search ahead", 0, false, false, -0.1, "Channel 1 | Space 1  (Futur)"},
        {"Search behind, filters", 2, false, false, 0.1, "Channel 1 | Space 1  (Past - Filter Tool)"},
        {"Search 0.000005 s away is at Now", 0, false, false, 0.000005, "Channel 1 | Space 1  (Now)"},
        {"and 0.00001 s too", 3, false, false, -0.00001, "Channel 1 | Space 1  (Now - Link Tool)"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        s.mode = r.mode;
        s.pointerInZone = r.inZone;
        s.nowActive = r.now;
        s.d = r.d;
        const std::optional<ZEVWindowTitle> t = ZEVWindowTitleFor(s);
        ASSERT_TRUE(t);
        EXPECT_EQ(t->title.toStdString(), r.title);
        EXPECT_FALSE(t->siTallomer);
    }
    s.mode = 4;
    EXPECT_FALSE(ZEVWindowTitleFor(s)) << "no tool: the title stays";

    // The Now desk at the Home Time with the header views closed: the plain title, the program's
    // name alone while the pointer is hidden.
    s = ZEVWindowTitleState{QStringLiteral("Channel 1 | Space 1"), 0, false, true, true, true, false, 0};
    EXPECT_EQ(ZEVWindowTitleFor(s)->title, s.n);
    EXPECT_TRUE(ZEVWindowTitleFor(s)->siTallomer);
    s.cursorHidden = true;
    EXPECT_EQ(ZEVWindowTitleFor(s)->title, "Tallomer");
}
