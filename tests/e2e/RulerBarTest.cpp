// The ruler bar in the running program: shown over the strip while the time bar is on, its Search
// button clicked and its pickers typed into as a user does, moving the Search cursor to the hour
// whose desk then shows.

#include "tests/e2e/E2EFixture.h"

#include "desk/model/ZEVDeskClass.h"
#include "engine/KELICurseur.h"
#include "ruler/ZEVRulerBox.h"
#include "ruler/ZEVRulerPickerDates.h"
#include "ruler/ZEVRulerViewbar.h"
#include "ruler/ZEVRulerViewer.h"
#include "ruler/ZEVTlineView.h"
#include "widgets/ZEVButton.h"

#include <QFile>
#include <QTest>

namespace e2e {
namespace {

class RulerBar : public E2E {
protected:
    ZEVRulerViewer* ruler() const { return dynamic_cast<ZEVRulerViewer*>(space()->rulerViewer()); }
    ZEVRulerViewbar* bar() const { return dynamic_cast<ZEVRulerViewbar*>(ruler()->rulerViewbar()); }
    ZEVTlineView* strip() const { return dynamic_cast<ZEVTlineView*>(ruler()->tlineView()); }

    // Clicks a picker, selects its first field of `width` characters, types the digits of all its
    // fields, then Return.
    void typeInto(ZEVRulerDatePicker* picker, int width, const QString& digits)
    {
        QTest::mouseClick(picker, Qt::LeftButton, {}, QPoint(4, picker->height() / 2));
        pump();
        ASSERT_EQ(window()->focusWidget(), picker) << "the picker takes the keyboard";
        key(Qt::Key_Home);
        for (int i = 0; i < width; ++i)
            key(Qt::Key_Right, Qt::ShiftModifier);
        QTest::keyClicks(window()->focusWidget(), digits);
        key(Qt::Key_Return);
        // The user's pace: the bar's dates follow before the next field.
        advance(0.5);
    }
};

TEST_F(RulerBar, TheTimeBarShowsOverTheStripAndItsSearchButtonAndPickersTakeTheSearchCursorToAnHour)
{
    start();
    ASSERT_NE(bar(), nullptr);
    EXPECT_FALSE(bar()->isVisible()) << "the time bar is off at first";
    values->setValue("ZEVShowZevMenu", true);
    pump();
    const int w = window()->spaceView()->width();
    EXPECT_TRUE(bar()->isVisible());
    EXPECT_EQ(bar()->geometry(), QRect(0, 0, w, 23));
    EXPECT_EQ(strip()->geometry(), QRect(0, 23, w, 36)) << "the strip right under the bar";
    EXPECT_FALSE(space()->frontViewer()->siTimebarClosed());
    EXPECT_FALSE(bar()->fromBox()->isHidden()) << "the Now cursor's dates, all three";
    EXPECT_FALSE(bar()->toBox()->isHidden());

    // A file's icon that was on the desk for one hour, two hours ago.
    const QString notes = home + "/notes.txt";
    {
        QFile f(notes);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("notes");
    }
    ASSERT_EQ(secondStart({notes}), 0);
    const double added = clock.now();
    KELI* item = nullptr;
    for (ZEVItemViewForDesks* v : nowDesk()->itemViewSet())
        if (v->item() && v->itemTitle() == "notes.txt")
            item = v->item();
    ASSERT_NE(item, nullptr);
    advance(3600);
    space()->deskClassForCurseur(space()->nowCurseur())->releaseIconForItem(item);
    advance(2 * 3600);

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
    pump();
    EXPECT_FALSE(bar()->isVisible());
    EXPECT_EQ(strip()->geometry(), QRect(0, 0, w, 36));
}

} // namespace
} // namespace e2e
