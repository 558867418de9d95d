// The ruler bar in the running program: shown over the strip while the time bar is on, its Search
// button clicked and its pickers typed into as a user does, moving the Search cursor to the hour
// whose desk then shows, a time typed at a person's pace surviving the refreshes of the dates, a
// date and a time typed with their separators, days and hours that do not exist refused aloud
// (the 31st of April, a 24th hour, a time the clocks skip), a date typed and not entered kept by a
// quit, by a press of the Now or Ruler button, by a preset and by the wheel, and typed slowly
// keeping the time of day shown; its buttons' second presses, the calendar opened from a box's
// menu, and its layout following the window's width whatever widths it went through, the calendar
// going with it; the calendar browsed to another month and back with the cursor.

#include "tests/e2e/E2EFixture.h"

#include "app/menu/KELMainMenu.h"
#include "desk/model/ZEVDeskClass.h"
#include "engine/KELICurseur.h"
#include "ruler/ZEVRulerBox.h"
#include "ruler/ZEVRulerPickerDates.h"
#include "ruler/ZEVRulerPresetButton.h"
#include "ruler/ZEVRulerStandIns.h"
#include "ruler/ZEVRulerViewbar.h"
#include "ruler/ZEVRulerViewer.h"
#include "ruler/ZEVTlineView.h"
#include "widgets/ZEVButton.h"

#include "look/KELSharedResources.h"
#include "platform/sound/Sound.h"
#include "ruler/ZEVStampClass.h"
#include "tests/support/TimeZone.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCalendarWidget>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QSpinBox>
#include <QTest>
#include <QToolButton>
#include <QWheelEvent>

#include <cmath>
#include <ostream>

namespace e2e {
namespace {

class RulerBar : public E2EWithSound<RecordingSound> {
protected:
    void click(QWidget* w, Qt::MouseButton button = Qt::LeftButton, QPoint at = {})
    {
        QTest::mouseClick(w, button, {}, at.isNull() ? w->rect().center() : at);
        pump();
    }
    // The menu a right click on the box opened, once it shows. The click comes through the
    // window, as the desktop's do, which makes the context menu event of it.
    QMenu* rightClick(ZEVRulerBox* box)
    {
        QTest::mouseClick(window()->windowHandle(), Qt::RightButton, {},
                          box->mapTo(window(), QPoint(2, box->height() / 2)));
        pump();
        return box->menu()->isVisible() ? box->menu() : nullptr;
    }
    void choose(QMenu* menu, const QString& title)
    {
        for (QAction* a : menu->actions())
            if (a->text() == title) {
                click(menu, Qt::LeftButton, menu->actionGeometry(a).center());
                return;
            }
        ADD_FAILURE() << "no item " << title.toStdString();
    }
    // Clicks a day of the month the calendar shows: the days of the months around it are shown
    // too, before (23 and later) and after (14 and before).
    void clickDay(QCalendarWidget* calendar, int day)
    {
        auto* view = calendar->findChild<QAbstractItemView*>();
        ASSERT_NE(view, nullptr);
        QModelIndex found;
        for (int r = 0; r < view->model()->rowCount(); ++r)
            for (int c = 0; c < view->model()->columnCount(); ++c) {
                const QModelIndex i = view->model()->index(r, c);
                if (i.data().toString() == QString::number(day) && (day > 14 || !found.isValid()))
                    found = i;
            }
        ASSERT_TRUE(found.isValid()) << day;
        click(view->viewport(), Qt::LeftButton, view->visualRect(found).center());
    }
    // The stamp of the Home Time.
    int homeTimeState() const
    {
        return dynamic_cast<ZEVStampClass*>(ruler()->stampClass())->stateOfNowPresetWithStampInt(2000009);
    }


    // The bar shown and its Search button pressed: the Search cursor, active (nullptr otherwise).
    KELICurseur* startSearching()
    {
        startWithTheBar();
        click(bar()->searchButton());
        return space()->actifCurseur() == space()->searchCurseur() ? space()->searchCurseur() : nullptr;
    }

    // Clicks a picker, selects its first field of `width` characters, types the digits of all its
    // fields, then Return unless told not to.
    void typeInto(ZEVRulerDatePicker* picker, int width, const QString& digits, bool enter = true)
    {
        QTest::mouseClick(picker, Qt::LeftButton, {}, QPoint(4, picker->height() / 2));
        pump();
        ASSERT_EQ(window()->focusWidget(), picker) << "the picker takes the keyboard";
        key(Qt::Key_Home);
        for (int i = 0; i < width; ++i)
            key(Qt::Key_Right, Qt::ShiftModifier);
        QTest::keyClicks(window()->focusWidget(), digits);
        if (!enter)
            return;
        key(Qt::Key_Return);
        // The user's pace: the bar's dates follow before the next field.
        advance(0.5);
    }
    // A wheel turned sideways over the strip's left end, away from the cursors, as the mouse sends
    // it; the gesture then ends.
    void wheelOverTheStrip()
    {
        const QPointF at(2, strip()->height() / 2.0);
        QWheelEvent e(at, strip()->mapToGlobal(at), QPoint(), QPoint(120, 0), Qt::NoButton, {}, Qt::NoScrollPhase,
                      true);
        QApplication::sendEvent(strip(), &e);
        advance(1);
    }
};

TEST_F(RulerBar, TheTimeBarShowsOverTheStripAndItsSearchButtonAndPickersTakeTheSearchCursorToAnHour)
{
    start();
    ASSERT_NE(bar(), nullptr);
    EXPECT_FALSE(bar()->isVisible()) << "the time bar is off at first";
    values->setValue("ZEVShowZevMenu", true);
    // It slides in over the strip.
    advance(1);
    const int w = window()->spaceView()->width();
    EXPECT_TRUE(bar()->isVisible());
    EXPECT_EQ(bar()->geometry(), QRect(0, 0, w, 23));
    EXPECT_EQ(strip()->geometry(), QRect(0, 23, w, 36)) << "the strip right under the bar";
    EXPECT_FALSE(space()->frontViewer()->siTimebarClosed());
    EXPECT_FALSE(bar()->fromBox()->isHidden()) << "the Now cursor's dates, all three";
    EXPECT_FALSE(bar()->toBox()->isHidden());

    // A file's icon that was on the Now desk for one hour, two hours ago.
    const auto placed = fileIconShownForAnHour(QStringLiteral("notes.txt"));
    KELI* item = placed.first;
    const double added = placed.second;
    ASSERT_NE(item, nullptr);

    KELICurseur* search = space()->searchCurseur();
    window()->activateWindow();
    pump();
    QTest::mouseClick(bar()->searchButton(), Qt::LeftButton);
    pump();
    EXPECT_EQ(space()->actifCurseur(), search);
    EXPECT_TRUE(bar()->stateOfSearchButton());
    EXPECT_FALSE(bar()->stateOfNowButton());

    // Half an hour after the file came, as the local clock reads it: the day, then the time.
    const QDateTime target = *ZEVChampsPourDate(added + 1800);
    typeInto(bar()->nowDatePicker(), 4, target.date().toString(QStringLiteral("yyyyMMdd")));
    typeInto(bar()->nowHourPicker(), 2, target.time().toString(QStringLiteral("HHmmss")));
    EXPECT_EQ(ZEVChampsPourDate(search->now()), target);
    EXPECT_EQ(window()->windowTitle(), QStringLiteral("Channel 1 | Space 1  (Past)"));
    EXPECT_TRUE(ruler()->siAccepteDeplacement());
    ZEVItemViewForDesks* v = desk(search)->itemViewForItem(item);
    EXPECT_TRUE(v && !v->isHidden()) << "the Search desk shows the icon of that hour";
    // Two days before, at the same time of day: the icon is not there yet.
    typeInto(bar()->nowDatePicker(), 4, target.date().addDays(-2).toString(QStringLiteral("yyyyMMdd")));
    EXPECT_EQ(ZEVChampsPourDate(search->now()), QDateTime(target.date().addDays(-2), target.time(), Qt::UTC));
    v = desk(search)->itemViewForItem(item);
    EXPECT_FALSE(v && !v->isHidden());

    // The time bar off: the strip goes back to the top.
    values->setValue("ZEVShowZevMenu", false);
    advance(1);
    EXPECT_FALSE(bar()->isVisible());
    EXPECT_EQ(strip()->geometry(), QRect(0, 0, w, 36));
}

TEST_F(RulerBar, TheRulerButtonShowsTheVisibleRangeAndItsSecondPressSwapsTheCursorsWithTheRange)
{
    startWithTheBar();
    KELICurseur* now = space()->nowCurseur();
    KELICurseur* search = space()->searchCurseur();
    KELIContexte* tl = space()->tlContexte();
    // The Search cursor three hours back, where the strip still shows it.
    click(bar()->searchButton());
    ASSERT_EQ(space()->actifCurseur(), search);
    const QDateTime target = *ZEVChampsPourDate(search->now() - 3 * 3600);
    QTest::mouseClick(bar()->nowHourPicker(), Qt::LeftButton, {}, QPoint(4, 8));
    key(Qt::Key_Home);
    key(Qt::Key_Right, Qt::ShiftModifier);
    key(Qt::Key_Right, Qt::ShiftModifier);
    QTest::keyClicks(window()->focusWidget(), target.time().toString(QStringLiteral("HHmmss")));
    key(Qt::Key_Return);
    advance(0.5);
    ASSERT_EQ(ZEVChampsPourDate(search->now())->time(), target.time());

    click(bar()->rulerButton());
    EXPECT_TRUE(bar()->stateOfRulerButton());
    EXPECT_EQ(bar()->searchButton()->state(), kZEVStateMixed) << "the active cursor's button";
    EXPECT_FALSE(bar()->stateOfSearchButton());
    EXPECT_EQ(space()->actifCurseur(), search);
    EXPECT_EQ(bar()->fromDatePicker()->text(), ZEVChampsPourDate(tl->nowIn())->toString("yyyy-MM-dd HH:mm"))
        << "the visible range's edges";
    EXPECT_EQ(bar()->toDatePicker()->text(), ZEVChampsPourDate(tl->nowOut())->toString("yyyy-MM-dd HH:mm"));
    EXPECT_FALSE(bar()->fromBox()->isHidden());
    EXPECT_FALSE(bar()->toBox()->isHidden());

    // Pressed again: the Now cursor becomes active and the range keeps its place around it.
    const double before = now->now() - (tl->nowIn() + tl->nowOut()) / 2;
    const double placeOfSearch = search->now() - (tl->nowIn() + tl->nowOut()) / 2;
    click(bar()->rulerButton());
    EXPECT_EQ(space()->actifCurseur(), now);
    EXPECT_EQ(bar()->nowButton()->state(), kZEVStateMixed);
    EXPECT_NEAR(now->now() - (tl->nowIn() + tl->nowOut()) / 2, placeOfSearch, 1) << "not " << before;
    EXPECT_TRUE(ruler()->siAccepteDeplacement());
    EXPECT_EQ(sound.beeps, 0);
}

TEST_F(RulerBar, EscGlidesToTheHomeTimeOverTheTimeLineAndIsThereAtOnceWithTheTimeLineClosed)
{
    startWithTheBar();
    auto leaveHome = [this] {
        QMenu* menu = rightClick(bar()->nowBox());
        ASSERT_NE(menu, nullptr);
        choose(menu, QStringLiteral("This Hour"));
        advance(2);
        ASSERT_EQ(homeTimeState(), -1);
        ASSERT_EQ(space()->actifCurseur(), space()->nowCurseur());
    };
    auto escOnTheDesk = [this] {
        canvas()->setFocus(Qt::OtherFocusReason);
        pump();
        key(Qt::Key_Escape);
        pump();
    };

    // The time line shows the way Home: the ruler glides there.
    ASSERT_TRUE(space()->frontViewer()->siTlineOpened());
    leaveHome();
    escOnTheDesk();
    EXPECT_NE(homeTimeState(), 1) << "still on its way";
    advance(2);
    EXPECT_EQ(homeTimeState(), 1);

    // Nothing shows the way with the time line closed: Home is there at once.
    chooseMenuItem(KELMainMenu::kMenuView, 3);
    advance(1);
    ASSERT_FALSE(space()->frontViewer()->siTlineOpened());
    leaveHome();
    escOnTheDesk();
    EXPECT_EQ(homeTimeState(), 1);
    EXPECT_EQ(sound.beeps, 0);
}

TEST_F(RulerBar, TheNowButtonPressedAgainGoesToTheHomeTimeAndThenHasNothingToDo)
{
    startWithTheBar();
    KELIContexte* tl = space()->tlContexte();
    // This hour framed from the cursor box's menu: the Now cursor's context and the range move.
    QMenu* menu = rightClick(bar()->nowBox());
    ASSERT_NE(menu, nullptr);
    choose(menu, QStringLiteral("This Hour"));
    advance(2);
    ASSERT_TRUE(ruler()->siAccepteDeplacement());
    EXPECT_EQ(homeTimeState(), -1);
    const double span = tl->nowOut() - tl->nowIn();

    click(bar()->nowButton());
    EXPECT_EQ(homeTimeState(), 1) << "the Home Time is shown";
    EXPECT_NE(tl->nowOut() - tl->nowIn(), span);
    EXPECT_EQ(sound.beeps, 0);
    const double in = tl->nowIn(), out = tl->nowOut();
    click(bar()->nowButton());
    EXPECT_EQ(sound.beeps, 1) << "already there";
    EXPECT_EQ(tl->nowIn(), in);
    EXPECT_EQ(tl->nowOut(), out);
}

TEST_F(RulerBar, TheCalendarOpensFromTheCursorsBoxAndADayPickedThereTakesTheSearchCursorTodayTheNowCursor)
{
    startWithTheBar();
    KELICurseur* now = space()->nowCurseur();
    KELICurseur* search = space()->searchCurseur();
    ZEVRulerPickerPanel* panel = bar()->rulerPickerPanel();
    EXPECT_FALSE(panel->isVisible());
    QMenu* menu = rightClick(bar()->nowBox());
    ASSERT_NE(menu, nullptr);
    choose(menu, QStringLiteral("Show Calendar"));
    advance(0.1);
    ASSERT_TRUE(panel->isVisible());
    EXPECT_TRUE(bar()->siShowRulerPickerPanel());
    const QDateTime shown = *ZEVChampsPourDate(now->now());
    EXPECT_EQ(panel->calendar()->selectedDate(), shown.date());
    EXPECT_EQ(panel->dateLine()->text(), QLocale().toString(shown.date(), QLocale::LongFormat));
    // The Now cursor's: its colour on the calendar's white, white on the panel's dark ground.
    const KELSharedResources& colours = space()->host().sharedResources();
    EXPECT_EQ(panel->calendarColor(), colours.nowCurseurColor());
    EXPECT_EQ(panel->textColor(), QColor(Qt::white));

    // Another day of the month shown, at the time of day shown.
    const int day = shown.date().day() > 20 ? 10 : shown.date().day() + 5;
    clickDay(panel->calendar(), day);
    EXPECT_EQ(space()->actifCurseur(), search);
    const QDateTime moved = *ZEVChampsPourDate(search->now());
    EXPECT_EQ(moved.date(), QDate(shown.date().year(), shown.date().month(), day));
    EXPECT_LT(std::fabs(moved.time().secsTo(shown.time())), 2);
    EXPECT_TRUE(ruler()->siAccepteDeplacement());
    advance(0.5);
    EXPECT_EQ(panel->calendar()->selectedDate(), moved.date()) << "the calendar follows the Search cursor";
    EXPECT_EQ(panel->calendarColor(), colours.searchCurseurColor());
    EXPECT_EQ(panel->textColor(), colours.searchCurseurColor());

    // Today: the Now cursor again.
    clickDay(panel->calendar(), shown.date().day());
    EXPECT_EQ(space()->actifCurseur(), now);
    EXPECT_EQ(bar()->selectedCurseur(), now);
    panel->close();
    pump();
    EXPECT_FALSE(bar()->siShowRulerPickerPanel());
}

TEST_F(RulerBar, TheCalendarBrowsedByItsArrowsStaysThereAndFollowsTheCursorAgainWhenItChangesDay)
{
    startWithTheBar();
    KELICurseur* search = space()->searchCurseur();
    ZEVRulerPickerPanel* panel = bar()->rulerPickerPanel();
    QCalendarWidget* calendar = panel->calendar();
    QMenu* menu = rightClick(bar()->nowBox());
    ASSERT_NE(menu, nullptr);
    choose(menu, QStringLiteral("Show Calendar"));
    advance(0.1);
    ASSERT_TRUE(panel->isVisible());
    const QDate today = ZEVChampsPourDate(space()->nowCurseur()->now())->date();
    const int day = today.day() > 20 ? 10 : today.day() + 5;
    clickDay(calendar, day);
    ASSERT_EQ(space()->actifCurseur(), search);
    const QDate picked(today.year(), today.month(), day);
    auto lineOf = [](QDate d) { return QLocale().toString(d, QLocale::LongFormat); };

    // A month back by the arrow: the page stays there while the cursor keeps its day.
    auto* back = calendar->findChild<QToolButton*>(QStringLiteral("qt_calendar_prevmonth"));
    ASSERT_NE(back, nullptr);
    click(back);
    advance(2);
    EXPECT_EQ(calendar->monthShown(), picked.addMonths(-1).month()) << "the month browsed to";
    EXPECT_EQ(calendar->selectedDate(), picked);
    EXPECT_EQ(panel->dateLine()->text(), lineOf(picked));

    // The Now cursor pressed: calendar and date line show its day again.
    click(bar()->nowButton());
    advance(1);
    EXPECT_EQ(calendar->selectedDate(), today) << "the calendar follows the cursor after the arrows";
    EXPECT_EQ(calendar->monthShown(), today.month());
    EXPECT_EQ(panel->dateLine()->text(), lineOf(today));

    // The panel never takes the keyboard: a click on the year opens no field to type it in, and
    // the calendar goes on following the cursor.
    auto* year = calendar->findChild<QToolButton*>(QStringLiteral("qt_calendar_yearbutton"));
    auto* yearField = calendar->findChild<QSpinBox*>(QStringLiteral("qt_calendar_yearedit"));
    ASSERT_TRUE(year && yearField);
    QTest::mouseClick(panel->windowHandle(), Qt::LeftButton, {}, year->mapTo(panel, year->rect().center()));
    advance(1);
    EXPECT_FALSE(yearField->isVisible());
    click(bar()->searchButton());
    advance(1);
    EXPECT_EQ(calendar->selectedDate(), picked);
    EXPECT_EQ(panel->dateLine()->text(), lineOf(picked));

    // Closed on another month and opened again: the cursor's month.
    click(back);
    panel->close();
    pump();
    choose(rightClick(bar()->nowBox()), QStringLiteral("Show Calendar"));
    advance(0.1);
    EXPECT_EQ(calendar->monthShown(), picked.month());
}

TEST_F(RulerBar, ADateOfAnyYearIsTypedIntoTheSearchCursorsBoxAndFieldsThatMakeNoDateAreRefusedAloudAndKept)
{
    KELICurseur* search = startSearching();
    ASSERT_NE(search, nullptr);
    ZEVRulerDatePicker* picker = bar()->nowDatePicker();
    const QTime time = ZEVChampsPourDate(search->now())->time();

    // Centuries back and forth, the time of day kept.
    for (const QDate day : {QDate(1600, 3, 15), QDate(1969, 7, 20), QDate(2040, 2, 29), QDate(9999, 12, 31)}) {
        typeInto(picker, 4, day.toString(QStringLiteral("yyyyMMdd")));
        const QDateTime there = *ZEVChampsPourDate(search->now());
        EXPECT_EQ(there.date(), day);
        EXPECT_LT(std::abs(there.time().secsTo(time)), 3) << day.toString().toStdString();
        EXPECT_EQ(picker->text(), day.toString(QStringLiteral("yyyy-MM-dd")));
        EXPECT_TRUE(window()->windowTitle().endsWith(day.year() < 2026 ? QStringLiteral("(Past)")
                                                                      : QStringLiteral("(Futur)")));
    }
    EXPECT_EQ(sound.beeps, 0);

    // A year of one digit: Return beeps, the fields stay as typed and nothing moves; Esc drops them.
    const double before = search->now();
    const double clock0 = Clock::shared().now();
    QTest::mouseClick(picker, Qt::LeftButton, {}, QPoint(4, picker->height() / 2));
    pump();
    key(Qt::Key_Home);
    for (int i = 0; i < 4; ++i)
        key(Qt::Key_Right, Qt::ShiftModifier);
    QTest::keyClicks(window()->focusWidget(), QStringLiteral("5"));
    key(Qt::Key_Return);
    advance(1);
    EXPECT_EQ(sound.beeps, 1);
    EXPECT_TRUE(picker->text().startsWith(QStringLiteral("5-"))) << picker->text().toStdString();
    EXPECT_NEAR(search->now() - before, Clock::shared().now() - clock0, 0.01) << "nothing moved";
    key(Qt::Key_Escape);
    EXPECT_EQ(picker->text(), QStringLiteral("9999-12-31"));
    EXPECT_NEAR(search->now() - before, Clock::shared().now() - clock0, 0.01);
}

// On most keyboards the colon takes Shift, which the box receives as a key of its own between a
// field's last digit and the colon: the colon still only ends the field the digits filled.
TEST_F(RulerBar, ATimeWhoseColonsAreTypedWithShiftIsTakenAsTyped)
{
    KELICurseur* search = startSearching();
    ASSERT_NE(search, nullptr);
    ZEVRulerDatePicker* hour = bar()->nowHourPicker();
    auto typeAsAKeyboard = [&](const QString& text) {
        typeInto(hour, 2, QString(), false);
        QWidget* w = window()->focusWidget();
        for (const QChar c : text) {
            // With its modifier, a click presses and releases Shift around the colon, as a
            // keyboard does.
            if (c == QLatin1Char(':')) {
                QTest::keyClick(w, Qt::Key_Colon, Qt::ShiftModifier);
            } else {
                QTest::keyClick(w, c.toLatin1());
            }
            // A person's pace: two Shifts a tenth of a second apart would be the double Shift.
            advance(0.1);
        }
        key(Qt::Key_Return);
        advance(0.5);
    };
    for (const auto& [typed, wanted] : {std::pair{QStringLiteral("09:30:15"), QTime(9, 30, 15)},
                                        std::pair{QStringLiteral("7:05:09"), QTime(7, 5, 9)},
                                        std::pair{QStringLiteral("23:59:58"), QTime(23, 59, 58)}}) {
        SCOPED_TRACE(typed.toStdString());
        const int beeps = sound.beeps;
        typeAsAKeyboard(typed);
        const QDateTime there = *ZEVChampsPourDate(search->now());
        EXPECT_LT(std::abs(there.time().secsTo(wanted)), 3) << there.toString().toStdString();
        EXPECT_EQ(sound.beeps, beeps);
    }
}

TEST_F(RulerBar, ADateAndATimeTypedWithTheirSeparatorsAreTakenAsTypedAndDaysAndHoursThatDoNotExistAreRefusedAloud)
{
    KELICurseur* search = startSearching();
    ASSERT_NE(search, nullptr);
    ZEVRulerDatePicker* date = bar()->nowDatePicker();
    ZEVRulerDatePicker* hour = bar()->nowHourPicker();

    // Typed as it reads, dashes and colons included.
    typeInto(date, 4, QStringLiteral("2024-02-03"));
    typeInto(hour, 2, QStringLiteral("12:30:15"));
    const QDateTime there = *ZEVChampsPourDate(search->now());
    EXPECT_EQ(there.date(), QDate(2024, 2, 3));
    EXPECT_LT(std::abs(there.time().secsTo(QTime(12, 30, 15))), 3) << there.toString().toStdString();
    EXPECT_EQ(sound.beeps, 0);

    // Nothing moves but with the clock while the fields are refused.
    const double before = search->now();
    const double clock0 = Clock::shared().now();
    auto unmoved = [&](const char* what) {
        EXPECT_NEAR(search->now() - before, Clock::shared().now() - clock0, 0.01) << what;
    };

    // A day its month does not have: Return refuses it aloud and the fields stay as typed, the
    // 31st of April as the 29th of February of a common year; leaving them drops them, aloud.
    typeInto(date, 4, QStringLiteral("20230431"));
    EXPECT_EQ(sound.beeps, 1);
    EXPECT_EQ(date->text(), QStringLiteral("2023-04-31"));
    unmoved("31 April");
    key(Qt::Key_Escape);
    typeInto(date, 4, QStringLiteral("20230229"));
    EXPECT_EQ(sound.beeps, 2);
    EXPECT_EQ(date->text(), QStringLiteral("2023-02-29"));
    QTest::mouseClick(window()->windowHandle(), Qt::LeftButton, {}, hour->mapTo(window(), QPoint(6, 9)));
    pump();
    ASSERT_EQ(window()->focusWidget(), hour);
    EXPECT_EQ(sound.beeps, 3);
    EXPECT_EQ(date->text(), QStringLiteral("2024-02-03")) << "the box shows the cursor";
    unmoved("29 February 2023 left");

    // A 24th hour, a letter, a date in another order: the key refused is heard.
    key(Qt::Key_Home);
    key(Qt::Key_Right, Qt::ShiftModifier);
    key(Qt::Key_Right, Qt::ShiftModifier);
    QTest::keyClicks(hour, QStringLiteral("24"));
    EXPECT_EQ(sound.beeps, 4);
    QTest::keyClicks(hour, QStringLiteral("x"));
    EXPECT_EQ(sound.beeps, 5);
    key(Qt::Key_Escape);
    typeInto(date, 4, QStringLiteral("03/"));
    EXPECT_EQ(sound.beeps, 7) << "the slash, then Return on a year of two digits";
    key(Qt::Key_Escape);
    unmoved("nothing entered");
    EXPECT_EQ(date->text(), QStringLiteral("2024-02-03"));
}

TEST_F(RulerBar, ADateTypedSlowlyKeepsTheTimeOfDayTheBoxShowsWhenItIsEntered)
{
    KELICurseur* search = startSearching();
    ASSERT_NE(search, nullptr);
    ZEVRulerDatePicker* date = bar()->nowDatePicker();
    QTest::mouseClick(date, Qt::LeftButton, {}, QPoint(4, date->height() / 2));
    pump();
    ASSERT_EQ(window()->focusWidget(), date);
    key(Qt::Key_Home);
    for (int i = 0; i < 4; ++i)
        key(Qt::Key_Right, Qt::ShiftModifier);
    // A person's pace: the cursor runs with the clock meanwhile, and its hour box with it.
    for (QChar c : QStringLiteral("20190704")) {
        QTest::keyClicks(date, QString(c));
        advance(5);
    }
    const QString hourShown = bar()->nowHourPicker()->text();
    EXPECT_EQ(hourShown, ZEVChampsPourDate(search->now())->time().toString(QStringLiteral("HH:mm:ss")));
    key(Qt::Key_Return);
    const QDateTime there = *ZEVChampsPourDate(search->now());
    EXPECT_EQ(there.date(), QDate(2019, 7, 4));
    EXPECT_LE(std::abs(there.time().secsTo(QTime::fromString(hourShown, QStringLiteral("HH:mm:ss")))), 1)
        << there.time().toString().toStdString() << " for " << hourShown.toStdString();
}

TEST_F(RulerBar, ADateTypedAndNotEnteredIsEnteredForTheSearchCursorWhenTheNowOrRulerButtonIsPressed)
{
    KELICurseur* search = startSearching();
    ASSERT_NE(search, nullptr);
    const QTime time = ZEVChampsPourDate(search->now())->time();
    typeInto(bar()->nowDatePicker(), 4, QStringLiteral("2018-03-01"), false);
    click(bar()->nowButton());
    EXPECT_EQ(space()->actifCurseur(), space()->nowCurseur());
    QDateTime there = *ZEVChampsPourDate(search->now());
    EXPECT_EQ(there.date(), QDate(2018, 3, 1)) << "the Search cursor went to the day typed";
    EXPECT_LT(std::abs(there.time().secsTo(time)), 3);

    click(bar()->searchButton());
    ASSERT_EQ(space()->actifCurseur(), search);
    EXPECT_EQ(bar()->nowDatePicker()->text(), QStringLiteral("2018-03-01"));
    typeInto(bar()->nowHourPicker(), 2, QStringLiteral("07:45:00"), false);
    click(bar()->rulerButton());
    there = *ZEVChampsPourDate(search->now());
    EXPECT_EQ(there.date(), QDate(2018, 3, 1));
    EXPECT_EQ(there.time().toString(QStringLiteral("HH:mm")), QStringLiteral("07:45"));
    EXPECT_EQ(sound.beeps, 0);
}

TEST_F(RulerBar, ADateTypedAndNotEnteredIsEnteredBeforeAPresetOrTheWheelActsAndOneThatMakesNoDateIsRefusedOnceAndKept)
{
    // Preset 3 held until it saves the Now cursor's context.
    startWithTheBar();
    ZEVRulerPresetButton* preset = bar()->presetButtons()[2];
    QTest::mousePress(preset, Qt::LeftButton, {}, preset->rect().center());
    advance(1.4);
    QTest::mouseRelease(preset, Qt::LeftButton, {}, preset->rect().center());
    pump();
    click(bar()->searchButton());
    KELICurseur* search = space()->searchCurseur();
    ASSERT_EQ(space()->actifCurseur(), search);
    const QTime time = ZEVChampsPourDate(search->now())->time();
    auto searchDay = [&] { return ZEVChampsPourDate(search->now())->date(); };

    // The preset called by a quick click brings the Now cursor forward, the Search cursor left on
    // the day typed.
    typeInto(bar()->nowDatePicker(), 4, QStringLiteral("2018-03-01"), false);
    QTest::mousePress(preset, Qt::LeftButton, {}, preset->rect().center());
    advance(0.15);
    QTest::mouseRelease(preset, Qt::LeftButton, {}, preset->rect().center());
    advance(2);
    EXPECT_EQ(space()->actifCurseur(), space()->nowCurseur());
    EXPECT_EQ(searchDay(), QDate(2018, 3, 1));
    EXPECT_LT(std::abs(ZEVChampsPourDate(search->now())->time().secsTo(time)), 3);

    // The wheel over the strip moves the visible range once the day typed is entered.
    click(bar()->searchButton());
    ASSERT_EQ(space()->actifCurseur(), search);
    typeInto(bar()->nowDatePicker(), 4, QStringLiteral("2016-07-04"), false);
    const double in = space()->tlContexte()->nowIn();
    wheelOverTheStrip();
    EXPECT_EQ(searchDay(), QDate(2016, 7, 4));
    EXPECT_EQ(bar()->nowDatePicker()->text(), QStringLiteral("2016-07-04"));
    EXPECT_GT(std::abs(space()->tlContexte()->nowIn() - in), 3600.0) << "the range went with the cursor";
    EXPECT_EQ(sound.beeps, 0);

    // A whole date is entered as a menu opens, where an item reading the cursor finds it.
    typeInto(bar()->nowDatePicker(), 4, QStringLiteral("2015-05-05"), false);
    QMenu* menu = openMenu(KELMainMenu::kMenuTime);
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(searchDay(), QDate(2015, 5, 5));
    menu->close();
    pump();

    // The 31st of April: said once, left as typed for the user to mend; the wheel still acts.
    typeInto(bar()->nowDatePicker(), 4, QStringLiteral("20230431"), false);
    const double before = space()->tlContexte()->nowIn();
    wheelOverTheStrip();
    wheelOverTheStrip();
    EXPECT_EQ(sound.beeps, 1);
    EXPECT_EQ(bar()->nowDatePicker()->text(), QStringLiteral("2023-04-31"));
    EXPECT_NE(space()->tlContexte()->nowIn(), before) << "the wheel moved the range";
    EXPECT_EQ(searchDay(), QDate(2015, 5, 5));
    // A menu opened over the window and closed leaves the fields as typed.
    menu = openMenu(KELMainMenu::kMenuTime);
    ASSERT_NE(menu, nullptr);
    menu->close();
    pump();
    EXPECT_EQ(bar()->nowDatePicker()->text(), QStringLiteral("2023-04-31"));
    EXPECT_EQ(sound.beeps, 1);
    key(Qt::Key_Escape);
    EXPECT_EQ(bar()->nowDatePicker()->text(), QStringLiteral("2015-05-05"));
}

TEST_F(RulerBar, TheBoxWritesOutAYearItsFieldsCannotHoldAndADateTypedOverItIsTaken)
{
    KELICurseur* search = startSearching();
    ASSERT_NE(search, nullptr);
    // Carried 28 million years back by the ruler.
    ZEVRulerViewer* r = ruler();
    ASSERT_TRUE(r->userInitieDeplacementCurseur());
    r->userPlaceCurseurEtRulerOffset(-28e6 * 365.2425 * 86400);
    r->userTermineDeplacementCurseur();
    advance(1);
    const QDateTime far = *ZEVChampsPourDate(search->now());
    ASSERT_LT(far.date().year(), -27990000);
    EXPECT_EQ(bar()->nowDatePicker()->text(), far.date().toString(QStringLiteral("yyyy-MM-dd")));
    EXPECT_EQ(bar()->nowHourPicker()->text(), far.time().toString(QStringLiteral("HH:mm:ss")));
    EXPECT_TRUE(bar()->fromDatePicker()->text().startsWith(QString::number(far.date().year())));

    typeInto(bar()->nowDatePicker(), 4, QStringLiteral("20180301"));
    const QDateTime there = *ZEVChampsPourDate(search->now());
    EXPECT_EQ(there.date(), QDate(2018, 3, 1));
    EXPECT_EQ(bar()->nowDatePicker()->text(), QStringLiteral("2018-03-01"));
    EXPECT_EQ(sound.beeps, 0);

    // Over a written-out year, the very day the fields stand on when they cannot show it.
    r->userInitieDeplacementCurseur();
    r->userPlaceCurseurEtRulerOffset(-28e6 * 365.2425 * 86400);
    r->userTermineDeplacementCurseur();
    advance(1);
    ASSERT_LT(ZEVChampsPourDate(search->now())->date().year(), -27990000);
    typeInto(bar()->nowDatePicker(), 4, QStringLiteral("01000101"));
    EXPECT_EQ(ZEVChampsPourDate(search->now())->date(), QDate(100, 1, 1));
    EXPECT_EQ(bar()->nowDatePicker()->text(), QStringLiteral("0100-01-01"));
    EXPECT_EQ(sound.beeps, 0);
}

TEST_F(RulerBar, ADateTypedAndNotEnteredIsWhereTheSearchCursorStandsAfterAQuit)
{
    KELICurseur* search = startSearching();
    ASSERT_NE(search, nullptr);
    const QTime time = ZEVChampsPourDate(search->now())->time();
    typeInto(bar()->nowDatePicker(), 4, QStringLiteral("19870615"), false);
    ASSERT_EQ(bar()->nowDatePicker()->text(), QStringLiteral("1987-06-15"));

    // Ctrl+Q straight away; the next start finds the Search cursor on the day typed.
    quit();
    search = startSearching();
    ASSERT_NE(search, nullptr);
    const QDateTime there = *ZEVChampsPourDate(search->now());
    EXPECT_EQ(there.date(), QDate(1987, 6, 15));
    EXPECT_LT(std::abs(there.time().secsTo(time)), 3);
    EXPECT_EQ(bar()->nowDatePicker()->text(), QStringLiteral("1987-06-15"));
}

TEST_F(RulerBar, ATimeTypedAndNotEnteredGivesWayToAMoveMadeElsewhereAndTheBoxesShowWhereTheCursorWent)
{
    KELICurseur* search = startSearching();
    ASSERT_NE(search, nullptr);
    // Preset 3 held until it saves the Search cursor's moment.
    ZEVRulerPresetButton* preset = bar()->presetButtons()[2];
    QTest::mousePress(preset, Qt::LeftButton, {}, preset->rect().center());
    advance(1.4);
    QTest::mouseRelease(preset, Qt::LeftButton, {}, preset->rect().center());
    pump();
    const QDate saved = ZEVChampsPourDate(search->now())->date();
    typeInto(bar()->nowDatePicker(), 4, saved.addDays(-2).toString(QStringLiteral("yyyyMMdd")));
    ASSERT_EQ(ZEVChampsPourDate(search->now())->date(), saved.addDays(-2));

    // An hour typed, not entered; then the preset called by a quick click.
    ZEVRulerDatePicker* hour = bar()->nowHourPicker();
    QTest::mouseClick(window()->windowHandle(), Qt::LeftButton, {}, hour->mapTo(window(), QPoint(6, 9)));
    pump();
    ASSERT_EQ(window()->focusWidget(), hour);
    const QString typedHour = ZEVChampsPourDate(search->now())->time().hour() == 5 ? QStringLiteral("06")
                                                                                   : QStringLiteral("05");
    QTest::keyClicks(hour, typedHour);
    ASSERT_TRUE(hour->text().startsWith(typedHour));
    QTest::mousePress(preset, Qt::LeftButton, {}, preset->rect().center());
    advance(0.15);
    QTest::mouseRelease(preset, Qt::LeftButton, {}, preset->rect().center());
    advance(2);
    const QDateTime there = *ZEVChampsPourDate(search->now());
    EXPECT_EQ(there.date(), saved) << "the preset took the cursor back";
    EXPECT_EQ(bar()->nowDatePicker()->text(), there.date().toString(QStringLiteral("yyyy-MM-dd")));
    EXPECT_EQ(hour->text(), there.time().toString(QStringLiteral("HH:mm:ss"))) << "the box shows the cursor";

    // Return has nothing left to take the cursor anywhere.
    const double before = search->now();
    const double clock0 = Clock::shared().now();
    key(Qt::Key_Return);
    advance(0.5);
    EXPECT_NEAR(search->now() - before, Clock::shared().now() - clock0, 0.01);
}

// The bar in a zone whose clocks go back an hour on 27 October 2024, at 03:00 summer time.
class RulerBarInParis : public RulerBar {
protected:
    void SetUp() override
    {
        if (!tallomer::test::ScopedTimeZone::installed("Europe/Paris"))
            GTEST_SKIP() << "Europe/Paris is not installed (package tzdata)";
        zone = std::make_unique<tallomer::test::ScopedTimeZone>("Europe/Paris");
        RulerBar::SetUp();
    }
    void TearDown() override
    {
        if (zone)
            RulerBar::TearDown();
    }
    std::unique_ptr<tallomer::test::ScopedTimeZone> zone;
};

TEST_F(RulerBarInParis, ATimeTypedOrSteppedInTheRepeatedHourStaysOnTheSideOfTheChangeTheCursorIsOn)
{
    KELICurseur* search = startSearching();
    ASSERT_NE(search, nullptr);
    auto utc = [](const char* iso) {
        return dateFromUnix(double(QDateTime::fromString(QString::fromLatin1(iso), Qt::ISODate).toSecsSinceEpoch()));
    };
    // The cursor runs with the clock between the keys: within a second of where it was put.
    auto expectAt = [&](const char* iso, const char* what) {
        EXPECT_NEAR(search->now(), utc(iso), 1.5)
            << what << ": " << ZEVChampsPourDate(search->now())->toString().toStdString();
    };
    typeInto(bar()->nowDatePicker(), 4, QStringLiteral("20241027"));
    typeInto(bar()->nowHourPicker(), 2, QStringLiteral("030000"));
    expectAt("2024-10-27T02:00:00Z", "03:00 winter time");

    // An hour down from 03:00 is 02:00 winter time, an hour back, not two.
    // A click on the hour as the window hands it on.
    QTest::mouseClick(window()->windowHandle(), Qt::LeftButton, {},
                      bar()->nowHourPicker()->mapTo(window(), QPoint(6, bar()->nowHourPicker()->height() / 2)));
    pump();
    key(Qt::Key_Down);
    expectAt("2024-10-27T01:00:00Z", "stepped down an hour");
    // A time typed there stays in the second pass of the hour.
    typeInto(bar()->nowHourPicker(), 2, QStringLiteral("023015"));
    expectAt("2024-10-27T01:30:15Z", "typed in the second 02:00");
    EXPECT_EQ(ZEVChampsPourDate(search->now())->time().toString(QStringLiteral("HH:mm")), QStringLiteral("02:30"));
    EXPECT_TRUE(window()->windowTitle().endsWith(QStringLiteral("(Past)")));

    // From before the change, the same time is its first pass.
    typeInto(bar()->nowHourPicker(), 2, QStringLiteral("013000"));
    expectAt("2024-10-26T23:30:00Z", "01:30 summer time");
    typeInto(bar()->nowHourPicker(), 2, QStringLiteral("023000"));
    expectAt("2024-10-27T00:30:00Z", "typed in the first 02:00");
}

TEST_F(RulerBarInParis, ATimeTheClocksSkipIsRefusedAloudAndKeptAsTyped)
{
    KELICurseur* search = startSearching();
    ASSERT_NE(search, nullptr);
    ZEVRulerDatePicker* hour = bar()->nowHourPicker();
    // Summer time begins on 31 March 2024: the clocks go from 02:00 to 03:00.
    typeInto(bar()->nowDatePicker(), 4, QStringLiteral("20240331"));
    typeInto(hour, 2, QStringLiteral("013000"));
    ASSERT_EQ(ZEVChampsPourDate(search->now())->time().toString(QStringLiteral("HH:mm")), QStringLiteral("01:30"));
    ASSERT_EQ(sound.beeps, 0);
    const double before = search->now();
    const double clock0 = Clock::shared().now();

    typeInto(hour, 2, QStringLiteral("023000"));
    EXPECT_EQ(sound.beeps, 1);
    EXPECT_EQ(hour->text(), QStringLiteral("02:30:00")) << "kept as typed";
    EXPECT_NEAR(search->now() - before, Clock::shared().now() - clock0, 0.01) << "nothing moved";
    // Leaving it drops it, aloud.
    click(bar()->nowDatePicker());
    EXPECT_EQ(sound.beeps, 2);
    EXPECT_EQ(hour->text(), ZEVChampsPourDate(search->now())->time().toString(QStringLiteral("HH:mm:ss")));
    EXPECT_NEAR(search->now() - before, Clock::shared().now() - clock0, 0.01);

    // An hour later on the clock is a time of that day.
    typeInto(hour, 2, QStringLiteral("033000"));
    EXPECT_EQ(sound.beeps, 2);
    EXPECT_EQ(ZEVChampsPourDate(search->now())->time().toString(QStringLiteral("HH:mm")), QStringLiteral("03:30"));
}

TEST_F(RulerBar, ANarrowerWindowGivesUpTheBoxesThenTheButtonsTitlesAndAWiderOneBringsThemBack)
{
    startWithTheBar();
    auto widthTo = [this](int w) {
        window()->resize(w, window()->height());
        pump();
    };
    auto x = [this](QWidget* w) { return w->geometry().x(); };
    // Wide enough for the entity row's titled buttons as well.
    widthTo(1600);
    EXPECT_EQ(bar()->width(), window()->spaceView()->width());
    EXPECT_FALSE(bar()->fromBox()->isHidden());
    EXPECT_FALSE(bar()->toBox()->isHidden());
    EXPECT_EQ(x(bar()->nowBox()), 370);
    EXPECT_FALSE(bar()->rulerButton()->isHidden());
    EXPECT_EQ(bar()->nowButton()->width(), 70);

    widthTo(1100);
    EXPECT_TRUE(bar()->fromBox()->isHidden());
    EXPECT_TRUE(bar()->toBox()->isHidden());
    EXPECT_EQ(x(bar()->nowBox()), 209);
    EXPECT_EQ(bar()->presetButtons()[0]->mapTo(bar(), QPoint(0, 0)).x(), 371);
    EXPECT_FALSE(bar()->rulerButton()->isHidden());

    // The narrowest window: the buttons' images only, no Ruler button.
    widthTo(300);
    EXPECT_EQ(window()->spaceView()->width(), 432);
    EXPECT_TRUE(bar()->rulerButton()->isHidden());
    EXPECT_EQ(bar()->nowButton()->width(), 30);
    EXPECT_EQ(x(bar()->nowBox()), 60);
    // The four entity buttons at the right end leave the period box no room.
    EXPECT_TRUE(bar()->nowBox()->isHidden());
    EXPECT_EQ(dynamic_cast<ZEVContextViewStandIn*>(bar()->contextView())->siNarrow(), true);

    // Wide again: the buttons at once, the boxes with the next refresh of the dates.
    widthTo(1600);
    EXPECT_FALSE(bar()->rulerButton()->isHidden());
    EXPECT_EQ(bar()->nowButton()->width(), 70);
    EXPECT_EQ(x(bar()->nowBox()), 370);
    advance(0.5);
    EXPECT_FALSE(bar()->fromBox()->isHidden());
    EXPECT_FALSE(bar()->toBox()->isHidden());
}

TEST_F(RulerBar, ATimeTypedIntoTheSearchCursorsBoxSurvivesTheRefreshesReturnAppliesItAndEscRevertsIt)
{
    // The hour typed below must lie hours before the clock whatever the hour the suite runs at: here
    // the day has reached 15:00.
    clock.set(dateFromUnix(double(QDateTime(QDate::currentDate(), QTime(15, 0)).toSecsSinceEpoch())));
    startWithTheBar();
    KELICurseur* search = space()->searchCurseur();
    click(bar()->searchButton());
    ASSERT_EQ(space()->actifCurseur(), search);
    ZEVRulerDatePicker* picker = bar()->nowHourPicker();
    const QDate day = ZEVChampsPourDate(search->now())->date();
    // The cursor's moment as the box shows it; the cursor runs with the clock.
    auto shown = [&] { return ZEVChampsPourDate(search->now())->time().toString(QStringLiteral("HH:mm:ss")); };
    // A click on the hour as the window hands it on, then the digits at a person's pace: the
    // box's refreshes run between the keys.
    auto clickTheHour = [&] {
        QTest::mouseClick(window()->windowHandle(), Qt::LeftButton, {}, picker->mapTo(window(), QPoint(6, 9)));
        pump();
        ASSERT_EQ(window()->focusWidget(), picker) << "the picker takes the keyboard";
    };
    auto typeSlowly = [&](const QString& digits) {
        for (QChar c : digits) {
            QTest::keyClicks(window()->focusWidget(), QString(c));
            advance(3 * ZEVRulerViewbar::kDisplayPeriod);
        }
    };
    const double start = search->now();
    const double clockAtStart = Clock::shared().now();
    clickTheHour();
    typeSlowly(QStringLiteral("0930"));
    const QString typed = picker->text();
    EXPECT_TRUE(typed.startsWith(QStringLiteral("09:30"))) << typed.toStdString();
    EXPECT_NEAR(search->now() - start, Clock::shared().now() - clockAtStart, 0.01) << "nothing moves before Return";
    key(Qt::Key_Return);
    const QDateTime there = *ZEVChampsPourDate(search->now());
    EXPECT_EQ(there.date(), day);
    EXPECT_EQ(there.time(), QTime::fromString(typed, QStringLiteral("HH:mm:ss")));
    advance(1);
    EXPECT_EQ(picker->text(), shown()) << "the box shows the cursor";
    EXPECT_EQ(space()->actifCurseur(), search);
    EXPECT_EQ(sound.beeps, 0);

    // Esc puts the cursor's time back in the box, over a time typed half-way, and moves nothing.
    const double before = search->now();
    const double clock0 = Clock::shared().now();
    clickTheHour();
    typeSlowly(QStringLiteral("07"));
    EXPECT_TRUE(picker->text().startsWith(QStringLiteral("07"))) << picker->text().toStdString();
    key(Qt::Key_Escape);
    EXPECT_EQ(picker->text(), shown());
    advance(1);
    EXPECT_NEAR(search->now() - before, Clock::shared().now() - clock0, 0.01) << "only the clock ran";
    EXPECT_EQ(picker->text(), shown());

    // Done typing, the box follows the cursor again, though it keeps the keyboard.
    ASSERT_EQ(window()->focusWidget(), picker);
    QMenu* menu = rightClick(bar()->nowBox());
    ASSERT_NE(menu, nullptr);
    choose(menu, QStringLiteral("Go to Now, Range Kept"));
    advance(3);
    EXPECT_GT(search->now() - before, 3600) << "the cursor went to now";
    EXPECT_EQ(picker->text(), shown());

    // A time typed half-way for the Search cursor is dropped when the Now cursor is pressed.
    const double left = search->now();
    const double clock1 = Clock::shared().now();
    clickTheHour();
    typeSlowly(QStringLiteral("0"));
    click(bar()->nowButton());
    EXPECT_EQ(space()->actifCurseur(), space()->nowCurseur());
    advance(1);
    EXPECT_EQ(space()->actifCurseur(), space()->nowCurseur()) << "the typing did not take the Search cursor back";
    EXPECT_NEAR(search->now() - left, Clock::shared().now() - clock1, 0.01);
}

// Every control of the bar where it stands, with whether it shows.
struct BarLayout {
    std::vector<std::pair<QString, QRect>> controls;
    // The name field stands one point further right when the cursor buttons take their titles back
    // than when the boxes leave, as the bar always had it: that point aside, equal.
    bool operator==(const BarLayout& other) const
    {
        if (controls.size() != other.controls.size())
            return false;
        for (std::size_t i = 0; i < controls.size(); ++i) {
            const auto& [name, r] = controls[i];
            const QRect& o = other.controls[i].second;
            const bool oneOff = name == QLatin1String("Name") && std::abs(r.x() - o.x()) <= 1 &&
                                r.translated(o.x() - r.x(), 0) == o;
            if (name != other.controls[i].first || (r != o && !oneOff))
                return false;
        }
        return true;
    }
};

std::ostream& operator<<(std::ostream& out, const BarLayout& l)
{
    for (const auto& [name, r] : l.controls)
        out << "\n  " << name.toStdString() << " " << r.x() << "," << r.y() << " " << r.width() << "x" << r.height();
    return out;
}

BarLayout layoutOf(ZEVRulerViewbar* bar)
{
    BarLayout l;
    auto add = [&](const QString& name, QWidget* w) {
        l.controls.emplace_back(name, w->isVisibleTo(bar) ? QRect(w->mapTo(bar, QPoint(0, 0)), w->size()) : QRect());
    };
    add("Now", bar->nowButton());
    add("Search", bar->searchButton());
    add("Ruler", bar->rulerButton());
    add("From", bar->fromBox());
    add("Period", bar->nowBox());
    add("Until", bar->toBox());
    for (std::size_t i = 0; i < bar->presetButtons().size(); ++i)
        add(QStringLiteral("Preset%1").arg(i + 1), bar->presetButtons()[i]);
    add("Name", bar->presetTextField());
    add("Entities", bar->contextView());
    for (QWidget* b : bar->contextView()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        add(b->objectName(), b);
    return l;
}

// The controls that show on the bar, side by side: none covers another (the entity row's own
// buttons lie inside it).
void expectNoOverlap(ZEVRulerViewbar* bar, const BarLayout& l)
{
    std::vector<std::pair<QString, QRect>> shown;
    for (const auto& [name, r] : l.controls)
        if (!r.isNull() && !(name.startsWith(QLatin1String("Entity")) && name.endsWith(QLatin1String("Button"))))
            shown.emplace_back(name, r);
    for (std::size_t i = 0; i < shown.size(); ++i) {
        EXPECT_TRUE(shown[i].second.left() >= -1 && shown[i].second.right() < bar->width())
            << shown[i].first.toStdString() << " outside the bar";
        // Neighbours' frames touch by a few points at most, as the bar's fixed frames have them.
        for (std::size_t k = i + 1; k < shown.size(); ++k)
            EXPECT_LE(shown[i].second.intersected(shown[k].second).width(), 3)
                << shown[i].first.toStdString() << " covers " << shown[k].first.toStdString();
    }
}

TEST_F(RulerBar, AfterAnyResizeTheBarIsLaidOutAsAFreshStartAtThatWidthAndTheCalendarGoesWithIt)
{
    startWithTheBar();
    auto widthTo = [this](int w) {
        // The window keeps its content 8 : 5: a width asks for its height too.
        const QSize around = window()->size() - window()->spaceView()->size();
        window()->resize(QSize(w, int(std::lround(w / 1.6))) + around);
        pump();
        ASSERT_EQ(bar()->width(), w);
        // The From and Until boxes come back with the next refresh of the dates.
        advance(ZEVRulerViewbar::kDisplayPeriod);
        ASSERT_EQ(bar()->width(), w) << "the window keeps the size asked";
        ASSERT_EQ(bar()->contextView()->geometry().right(), w - 1) << "the entity row against the right end";
    };
    widthTo(1260);
    const BarLayout fresh = layoutOf(bar());
    for (ZEVRulerPresetButton* p : bar()->presetButtons())
        EXPECT_TRUE(p->isVisible());
    EXPECT_TRUE(bar()->presetTextField()->isVisible());
    expectNoOverlap(bar(), fresh);
    // What the user sees right of the cursor buttons and boxes: the presets, the name, the row.
    const int right = bar()->presetButtons()[0]->mapTo(bar(), QPoint(0, 0)).x() - 2;
    auto rightPart = [&] { return bar()->grab(QRect(right, 0, bar()->width() - right, bar()->height())).toImage(); };
    const QImage freshPixels = rightPart();

    widthTo(760);
    expectNoOverlap(bar(), layoutOf(bar()));
    widthTo(1260);
    EXPECT_EQ(layoutOf(bar()), fresh);
    EXPECT_TRUE(rightPart() == freshPixels) << "the presets, the name and the entity row look as at the start";

    // Any way to a width lays the bar out as the straight way does.
    const std::vector<int> widths = {1600, 1180, 1000, 880, 640, 470};
    std::vector<BarLayout> straight;
    for (int w : widths) {
        widthTo(1260);
        widthTo(w);
        straight.push_back(layoutOf(bar()));
        expectNoOverlap(bar(), straight.back());
    }
    for (std::size_t i = 0; i < widths.size(); ++i)
        for (int via : {widths[(i + 2) % widths.size()], widths[(i + 4) % widths.size()], 440, 1800}) {
            widthTo(via);
            widthTo(widths[i]);
            EXPECT_EQ(layoutOf(bar()), straight[i]) << widths[i] << " by way of " << via;
        }
    widthTo(1260);
    EXPECT_EQ(layoutOf(bar()), fresh);

    // The calendar under the cursor's box stays under it as the bar lays itself out and the
    // window moves, and goes when the bar slides away.
    QMenu* menu = rightClick(bar()->nowBox());
    ASSERT_NE(menu, nullptr);
    choose(menu, QStringLiteral("Show Calendar"));
    advance(0.1);
    ZEVRulerPickerPanel* panel = bar()->rulerPickerPanel();
    ASSERT_TRUE(panel->isVisible());
    auto underTheBox = [&] { return bar()->nowBox()->mapToGlobal(QPoint(0, bar()->nowBox()->height() + 4)); };
    EXPECT_EQ(panel->pos(), underTheBox());
    widthTo(1100);
    EXPECT_EQ(bar()->nowBox()->mapTo(bar(), QPoint(0, 0)).x(), 209);
    EXPECT_EQ(panel->pos(), underTheBox());
    window()->move(window()->pos() + QPoint(40, 30));
    pump();
    EXPECT_EQ(panel->pos(), underTheBox());
    values->setValue("ZEVShowZevMenu", false);
    advance(1);
    EXPECT_FALSE(bar()->isVisible());
    EXPECT_FALSE(panel->isVisible()) << "the calendar went with the bar";
    EXPECT_FALSE(bar()->siShowRulerPickerPanel());
    EXPECT_FALSE(bar()->siDisplayTimer()) << "no date refresh runs for a bar nobody sees";
}

TEST_F(RulerBar, WithTheTimelineKeptClosedForSearchingTheSearchButtonLeavesItClosed)
{
    // The user's choices, kept from an earlier run.
    defaults = std::make_unique<UserDefaults>(home + "/.config/Tallomer/Tallomer.conf");
    values = std::make_unique<UserDefaultsController>(*defaults);
    values->setValue("ZEVShowRuler", false);
    values->setValue("ZEVHideRulerWhenSearch", true);
    startWithTheBar();
    EXPECT_FALSE(strip()->isVisible());
    click(bar()->searchButton());
    EXPECT_EQ(space()->actifCurseur(), space()->searchCurseur());
    EXPECT_TRUE(bar()->stateOfSearchButton());
    EXPECT_FALSE(strip()->isVisible()) << "the timeline stays closed";
    // The Now button opens it whatever the user keeps for searching.
    click(bar()->nowButton());
    EXPECT_EQ(space()->actifCurseur(), space()->nowCurseur());
    EXPECT_TRUE(strip()->isVisible());
    // Without the choice the Search button opens it too, once the user closed it again.
    values->setValue("ZEVHideRulerWhenSearch", false);
    values->setValue("ZEVShowRuler", true);
    advance(1);
    values->setValue("ZEVShowRuler", false);
    advance(1);
    ASSERT_FALSE(strip()->isVisible());
    click(bar()->searchButton());
    EXPECT_TRUE(strip()->isVisible());
}

} // namespace
} // namespace e2e
