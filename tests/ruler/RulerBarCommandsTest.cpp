// The ruler bar's commands: the Now, Search and Ruler buttons with and without a sender, their
// recentring, widening, Home Time and beeps; the time picker's edit; the days picked in the
// calendar; the zooms of the box menus; and the pickers' wall clock across daylight-saving changes.

#include "tests/ruler/RulerBarFixture.h"

#include "platform/CalendarDate.h"
#include "ruler/ZEVRulerPickerDates.h"
#include "runtime/Clock.h"

#include <QMenu>

#include <cmath>
#include <limits>

using namespace rulerbartest;

namespace {

class Commands : public Bar {
protected:
    void SetUp() override
    {
        Bar::SetUp();
        if (IsSkipped())
            return;
        bar->menuNowCurseur(nullptr);
        take();
    }
    // The visible range's offsets moved by a command, its animation run out.
    std::pair<double, double> rangeMove(const std::function<void()>& command)
    {
        const double in = tl()->offsetIn(), out = tl()->offsetOut();
        command();
        finish();
        return {tl()->offsetIn() - in, tl()->offsetOut() - out};
    }
    QObject sender;
};

} // namespace

TEST_F(Commands, TheNowCommandRecentresWidensForTheContextOrGoesToTheHomeTime)
{
    struct Case {
        const char* what;
        double before, after; // the Now cursor's context
        double a, b;          // the range's expected moves (before the offsets' own move)
    };
    // A day of range centred on the timeline cursor, which the Now cursor follows.
    const Case cases[] = {
        {"past side out", 7200, 600, -10800, 10800},
        {"future side out", 600, 7200, -10800, 10800},
        {"both out", 7200, 7200, -32400, 21600},
    };
    for (const Case& c : cases) {
        range(-3600, 3600);
        context(now(), c.before, c.after);
        const auto [in, out] = rangeMove([&] { bar->menuNowCurseur(&sender); });
        EXPECT_NEAR(in, c.a, 1e-3) << c.what;
        EXPECT_NEAR(out, c.b, 1e-3) << c.what;
    }
    // Without a sender nothing but the display.
    range(-3600, 3600);
    context(now(), 7200, 600);
    EXPECT_EQ(rangeMove([&] { bar->menuNowCurseur(nullptr); }), std::make_pair(0.0, 0.0));

    // Out of the strip: one move puts it in the middle.
    range(-300000, -200000);
    bar->menuNowCurseur(&sender);
    EXPECT_NEAR((tl()->nowIn() + tl()->nowOut()) / 2, now()->now(), 1e-3);
    EXPECT_TRUE(viewer->siAccepteDeplacement());

    // Inside: the Home Time, or a beep when it is shown and the timeline was open.
    range(-3600, 3600);
    context(now(), 600, 600);
    take();
    bar->menuNowCurseur(&sender);
    EXPECT_EQ(presets, std::vector<KELId>{2000009});
    stamps->now = 1;
    bar->menuNowCurseur(&sender);
    EXPECT_EQ(sound.beeps, 0) << "the timeline was closed: the command opened it";
    EXPECT_EQ(count(take(), "front openTlineAndTracks"), 2u);
    host.front->headerViewsOpen = true;
    bar->menuNowCurseur(&sender);
    EXPECT_EQ(sound.beeps, 1);
    EXPECT_EQ(presets.size(), 1u);
}

TEST_F(Commands, ARefusedMoveBeepsForAnotherCursorAndLeavesTheDisplay)
{
    bar->menuSearchCurseur(nullptr);
    ASSERT_TRUE(viewer->userInitieDeplacementCurseur());
    bar->menuNowCurseur(nullptr);
    EXPECT_EQ(sound.beeps, 1);
    EXPECT_EQ(space->actifCurseur(), search());
    EXPECT_EQ(bar->selectedCurseur(), search());
    bar->menuSearchCurseur(&sender);
    EXPECT_EQ(sound.beeps, 1) << "the Search cursor is the active one";
    viewer->userTermineDeplacementCurseur();
    bar->menuNowCurseur(nullptr);
    ASSERT_TRUE(viewer->userInitieDeplacementCurseur());
    bar->menuSearchCurseur(nullptr);
    EXPECT_EQ(sound.beeps, 1) << "without a sender a refused Search command says nothing";
    bar->menuSearchCurseur(&sender);
    EXPECT_EQ(sound.beeps, 2);
    bar->menuRuler(&sender);
    EXPECT_EQ(sound.beeps, 2) << "the Ruler command neither tests nor beeps";
    EXPECT_EQ(bar->selectedCurseur(), tlCurseur());
    viewer->userTermineDeplacementCurseur();
}

TEST_F(Commands, TheSearchCommandWidensForItsPastEdgeBeepsWhenItFitsAndMayLeaveTheTimelineClosed)
{
    moveSearch(-1800);
    bar->menuSearchCurseur(&sender);
    EXPECT_EQ(space->actifCurseur(), search());
    EXPECT_EQ(count(take(), "front openTlineAndTracks"), 1u);
    range(-3600, 3600);
    context(search(), 7200, 600);
    // A = 2 (t - in) - (t - vIn), with t half an hour before the range's middle.
    const auto [in, out] = rangeMove([&] { bar->menuSearchCurseur(&sender); });
    EXPECT_NEAR(in, -(14400 - 1800), 1e-3);
    EXPECT_NEAR(out, 14400 - 1800, 1e-3);

    context(search(), 600, 600);
    host.front->headerViewsOpen = true;
    bar->menuSearchCurseur(&sender);
    EXPECT_EQ(sound.beeps, 1);

    // The user keeps the timeline closed for the Search cursor: it still becomes active.
    host.front->headerViewsOpen = false;
    defaultsController.setValue(QStringLiteral("ZEVHideRulerWhenSearch"), true);
    bar->menuNowCurseur(nullptr);
    take();
    bar->menuSearchCurseur(&sender);
    EXPECT_EQ(count(take(), "front openTlineAndTracks"), 0u);
    EXPECT_EQ(space->actifCurseur(), search());
    EXPECT_EQ(bar->selectedCurseur(), search());
    EXPECT_EQ(sound.beeps, 1);
}

TEST_F(Commands, TheRulerButtonsSecondPressSwapsTheCursorsAndTheRangeFollows)
{
    moveSearch(-5000);
    bar->menuRuler(nullptr);
    bar->menuRuler(nullptr);
    EXPECT_EQ(space->actifCurseur(), now()) << "without a sender: the display only";
    bar->menuRuler(&sender);
    EXPECT_EQ(space->actifCurseur(), search());
    EXPECT_EQ(bar->selectedCurseur(), tlCurseur());
    EXPECT_EQ(bar->searchButton()->state(), kZEVStateMixed);
    const double in = tl()->offsetIn(), out = tl()->offsetOut();
    const double d = now()->now() - search()->now();
    bar->menuRuler(&sender);
    EXPECT_EQ(space->actifCurseur(), now());
    EXPECT_NEAR(tl()->offsetIn() - in, d, 1e-3);
    EXPECT_NEAR(tl()->offsetOut() - out, d, 1e-3);
    EXPECT_EQ(bar->nowButton()->state(), kZEVStateMixed);
}

TEST_F(Commands, ATimeEditedWithTheNowCursorActiveMovesTheSearchCursorToIt)
{
    moveSearch(-7200);
    // The time picker shows the Now cursor's moment; an hour earlier is picked.
    ZEVRulerDatePicker* heure = bar->nowHourPicker();
    heure->setTime(heure->time().addSecs(-3600));
    const double voulu = std::floor(now()->now()) - 3600;
    bar->presentHourPickerChanged();
    EXPECT_EQ(space->actifCurseur(), search());
    EXPECT_NEAR(search()->now(), voulu, 1e-6);
    EXPECT_TRUE(viewer->siAccepteDeplacement());

    // A zoom left the Now cursor as the moving one: the edit still moves the Search cursor.
    ASSERT_EQ(space->actifCurseur(), search());
    viewer->userZoomThisHour(now());
    finish();
    ASSERT_EQ(viewer->curseurEnDeplacement(), now());
    const double nowAt = now()->now();
    // The Search cursor kept its distance from the clock while the zoom ran: the picker shows
    // where it is now, and a minute later than what it shows is where the edit takes it.
    const std::optional<KELDate> shown = ZEVDatePourChamps(heure->date(), heure->time());
    ASSERT_TRUE(shown);
    EXPECT_EQ(*shown, std::floor(search()->now()));
    heure->setTime(heure->time().addSecs(60));
    bar->presentHourPickerChanged();
    EXPECT_NEAR(search()->now(), *shown + 60, 1e-6);
    EXPECT_EQ(now()->now(), nowAt);
}

TEST_F(Commands, ACalendarPickOfTodayIsTheNowCommandAndAnotherDayMovesTheSearchCursor)
{
    bar->menuShowRulerPickerPanel();
    const QDate today = ZEVChampsPourDate(Clock::shared().now())->date();
    bar->setPanelMouseDown(true);
    bar->panelDatePickerChanged(today.addDays(-3));
    EXPECT_FALSE(bar->siPanelMouseDown());
    EXPECT_EQ(space->actifCurseur(), search());
    EXPECT_NEAR(search()->now(), std::floor(now()->now()) - 3 * 86400, 1e-6) << "at the time of day shown";

    bar->panelDatePickerChanged(today);
    EXPECT_EQ(space->actifCurseur(), now());
    bar->majMenubarForCurseur(now());
    range(-3600, 3600);
    bar->panelDatePickerChanged(today);
    EXPECT_EQ(presets, std::vector<KELId>{2000009}) << "the Home Time";
    stamps->now = 1;
    bar->panelDatePickerChanged(today);
    EXPECT_EQ(presets.size(), 1u);
}

TEST_F(Commands, TheBoxMenusZoomTheSelectedCursor)
{
    auto item = [](ZEVRulerBox* box, const QString& title) -> QAction* {
        for (QAction* a : box->menu()->actions())
            if (a->text() == title)
                return a;
        return nullptr;
    };
    for (ZEVRulerBox* box : {bar->fromBox(), bar->nowBox(), bar->toBox()}) {
        int zooms = 0;
        for (QAction* a : box->menu()->actions())
            zooms += a->text().startsWith(QStringLiteral("This")) || a->text().startsWith(QStringLiteral("Back")) ||
                     a->text().startsWith(QStringLiteral("On "));
        EXPECT_EQ(zooms, 7);
    }
    bar->menuSearchCurseur(nullptr);
    item(bar->fromBox(), QStringLiteral("Back a Day"))->trigger();
    finish();
    EXPECT_NEAR(search()->contexte()->offsetIn(), -86400, 1e-3);

    bar->menuNowCurseur(nullptr);
    context(now(), 600, 600);
    item(bar->toBox(), QStringLiteral("On an Hour"))->trigger();
    finish();
    EXPECT_NEAR(now()->contexte()->offsetOut(), 3600, 1e-3);

    bar->menuRuler(nullptr);
    item(bar->nowBox(), QStringLiteral("This Week"))->trigger();
    finish();
    const std::optional<ZEVPeriode> semaine = periodeContenant(ZEVZoomUnite::Semaine, now()->now());
    ASSERT_TRUE(semaine);
    EXPECT_NEAR(tl()->nowIn(), semaine->debut, 2);
    EXPECT_NEAR(tl()->nowOut(), semaine->fin, 2);
}

TEST(RulerBarPickers, TypedWallClockTimesTakeTheNextInstantInAGapAndTheFirstOfARepeatedHour)
{
    auto utc = [](const char* iso) {
        return dateFromUnix(double(QDateTime::fromString(QString::fromLatin1(iso), Qt::ISODate).toSecsSinceEpoch()));
    };
    struct Case {
        const char* zone;
        QDate day;
        QTime time;
        const char* expected; // UTC
    };
    const Case cases[] = {
        {"Europe/Paris", {2024, 7, 1}, {12, 0}, "2024-07-01T10:00:00Z"},
        {"Europe/Paris", {2024, 3, 31}, {2, 30}, "2024-03-31T01:00:00Z"}, // skipped: 03:00
        {"Europe/Paris", {2024, 3, 31}, {1, 59, 59}, "2024-03-31T00:59:59Z"},
        {"Europe/Paris", {2024, 10, 27}, {2, 30}, "2024-10-27T00:30:00Z"}, // repeated: the first
        {"Europe/Paris", {2024, 10, 27}, {3, 0}, "2024-10-27T02:00:00Z"},
        {"Australia/Sydney", {2024, 10, 6}, {2, 30}, "2024-10-05T16:00:00Z"},
        {"Australia/Sydney", {2024, 4, 7}, {2, 30}, "2024-04-06T15:30:00Z"},
        {"Pacific/Apia", {2011, 12, 30}, {12, 0}, "2011-12-30T10:00:00Z"}, // a day that never was
    };
    for (const Case& c : cases) {
        if (!test::ScopedTimeZone::installed(c.zone))
            GTEST_SKIP() << c.zone << " is not installed (package tzdata)";
        test::ScopedTimeZone zone(c.zone);
        const std::optional<KELDate> d = ZEVDatePourChamps(c.day, c.time);
        ASSERT_TRUE(d) << c.expected;
        EXPECT_EQ(*d, utc(c.expected)) << c.zone << " " << c.expected;
        // What the picker then shows reads as the instant taken.
        const std::optional<QDateTime> shown = ZEVChampsPourDate(*d);
        ASSERT_TRUE(shown);
        EXPECT_EQ(ZEVDatePourChamps(shown->date(), shown->time()), d);
    }
    // The second pass of a repeated hour shows the same wall clock, and reads back as itself when
    // the picker showed a moment of that side of the change.
    test::ScopedTimeZone zone("Europe/Paris");
    const KELDate secondPass = utc("2024-10-27T01:30:00Z");
    EXPECT_EQ(ZEVChampsPourDate(secondPass)->time(), QTime(2, 30));
    const QDate change(2024, 10, 27);
    EXPECT_EQ(ZEVDatePourChamps(change, QTime(2, 30), secondPass), secondPass);
    EXPECT_EQ(ZEVDatePourChamps(change, QTime(2, 45), utc("2024-10-27T11:00:00Z")), utc("2024-10-27T01:45:00Z"));
    EXPECT_EQ(ZEVDatePourChamps(change, QTime(2, 45), utc("2024-10-26T11:00:00Z")), utc("2024-10-27T00:45:00Z"));
    // Away from a change the moment shown changes nothing.
    EXPECT_EQ(ZEVDatePourChamps(QDate(2024, 7, 1), QTime(12, 0), secondPass), utc("2024-07-01T10:00:00Z"));
    for (double bad : {std::nan(""), std::numeric_limits<double>::infinity(), 1e300})
        EXPECT_FALSE(ZEVChampsPourDate(bad));
    EXPECT_FALSE(ZEVDatePourChamps(QDate(), QTime(1, 0)));
}
