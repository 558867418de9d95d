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

    // Types the digits of all the focused picker's fields, then Return.
    void type(const QString& digits)
    {
        QTest::keyClicks(window()->focusWidget(), digits);
        key(Qt::Key_Return);
        pump();
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

    // Half an hour after the file came, as the local clock reads it: the day, double-clicked and
    // typed, then the time, the next field.
    const QDateTime target = *ZEVChampsPourDate(added + 1800);
    QTest::mouseDClick(bar()->nowDatePicker(), Qt::LeftButton, {}, QPoint(4, 9));
    pump();
    ASSERT_EQ(window()->focusWidget(), bar()->nowDatePicker()) << "the date takes the keyboard";
    type(target.date().toString(QStringLiteral("yyyyMMdd")));
    // Tab walks the date's fields, then goes on to the time.
    for (int i = 0; i < 4 && window()->focusWidget() != bar()->nowHourPicker(); ++i)
        key(Qt::Key_Tab);
    ASSERT_EQ(window()->focusWidget(), bar()->nowHourPicker());
    type(target.time().toString(QStringLiteral("HHmmss")));
    EXPECT_EQ(ZEVChampsPourDate(search->now()), target);
    EXPECT_EQ(window()->windowTitle(), QStringLiteral("Tallomer  (Past)"));
    EXPECT_TRUE(ruler()->siAccepteDeplacement());
    ZEVItemViewForDesks* v = desk(search)->itemViewForItem(item);
    EXPECT_TRUE(v && !v->isHidden()) << "the Search desk shows the icon of that hour";

    // The time bar off: the strip goes back to the top.
    values->setValue("ZEVShowZevMenu", false);
    pump();
    EXPECT_FALSE(bar()->isVisible());
    EXPECT_EQ(strip()->geometry(), QRect(0, 0, w, 36));
}

} // namespace
} // namespace e2e
