// The shared table in the running program: the Icons panel opened from the Object menu shows the
// active cursor's moment over its table at the window x where the strip shows the Now cursor; a
// horizontal wheel over the table moves time as over the strip; Escape in the focused table
// steps back, giving the keyboard to the desk. A selected row still shows its presence interval,
// in a panel and in the tracks' list, whose rows are all selected.

#include "tests/e2e/E2EFixture.h"

#include "app/menu/KELMainMenu.h"
#include "look/KELSharedResources.h"
#include "engine/KELICurseur.h"
#include "inspectors/base/ZEVInspectView.h"
#include "inspectors/base/ZEVInspectViewer.h"
#include "inspectors/table/ZEVTableModel.h"
#include "inspectors/table/ZEVTableView.h"
#include "front/ZEVFrontViewer.h"
#include "objects/view/ZEVItemView.h"
#include "ruler/ZEVRulerViewer.h"
#include "space/ZEVSelections.h"
#include "ruler/ZEVTlineView.h"
#include "space/ZEVSpaceWindow.h"

#include <QApplication>
#include <QTest>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace e2e {
namespace {

class InspectorTable : public E2E {
protected:
    ZEVRulerViewer* ruler() const { return dynamic_cast<ZEVRulerViewer*>(space()->rulerViewer()); }
    ZEVTlineView* strip() const { return ruler() ? dynamic_cast<ZEVTlineView*>(ruler()->tlineView()) : nullptr; }
    ZEVTableView* iconsTable() const
    {
        auto* v = dynamic_cast<ZEVInspectViewer*>(space()->viewerForEntityClassName("ZEVIconViewer"));
        ZEVInspectView* panel = v ? v->inspectViewIfBuilt() : nullptr;
        return panel ? panel->inspectTableView() : nullptr;
    }
    // In a grab of the window, how many pixels of the row's middle line, just right of where its
    // Object's interval begins, wear the colour of an interval present at the cursor.
    int intervalPixels(ZEVTableView* table, KELI* item)
    {
        const int row = rowOfItem(table, item);
        if (row < 0) {
            ADD_FAILURE() << "no row for the Object";
            return 0;
        }
        table->viewWillDraw();
        const QImage img = window()->grab().toImage();
        const QRect r = table->visualRect(table->tableModel()->index(row, 0));
        const KELDate debut = space()->nowCurseur()->now() - 30.0;
        const int x0 = int(table->scale().x(debut)) + 4;
        int n = 0;
        for (int x = x0; x < x0 + 40 && x < table->viewport()->width(); ++x) {
            const QPoint p = table->viewport()->mapTo(window(), QPoint(x, r.center().y()));
            const QColor c = img.pixelColor(p);
            if (std::abs(c.red() - 140) <= 3 && std::abs(c.green() - 140) <= 3 && std::abs(c.blue() - 140) <= 3)
                ++n;
        }
        return n;
    }
};

TEST_F(InspectorTable, TheIconsPanelsTableShowsNowUnderTheStripMovesTimeWithTheWheelAndStepsBackOnEscape)
{
    start();
    ZEVFrontViewerServices* front = space()->frontViewer();
    if (!front->siTlineOpened())
        front->userToggleTline();
    advance(1.0);
    ASSERT_TRUE(front->siTlineOpened());
    ASSERT_NE(strip(), nullptr);

    // The user had placed the panel under the middle of the strip, where Now shows.
    values->setValue(QStringLiteral("ZEVInspectIconX"), 400.0);
    values->setValue(QStringLiteral("ZEVInspectIconW"), 500.0);
    chooseMenuItem(KELMainMenu::kMenuObject, long(kIcons));
    advance(1.0);
    ZEVTableView* table = iconsTable();
    ASSERT_NE(table, nullptr) << "the Object menu's item opened the Icons panel";
    ASSERT_TRUE(table->isVisible());
    EXPECT_EQ(window()->focusWidget(), table) << "the opened panel's table has the keyboard";

    // The Now line over the table, in a grab of the window, at the strip's Now x.
    const KELDate now = space()->nowCurseur()->now();
    const int stripX = strip()->mapTo(window(), QPoint(int(strip()->pointForDate(now).x()), 0)).x();
    const QImage img = window()->grab().toImage();
    const QColor curseur = space()->host().sharedResources().curseurColor();
    const int y = table->viewport()->mapTo(window(), QPoint(0, table->viewport()->height() / 2)).y();
    const int gauche = table->viewport()->mapTo(window(), QPoint(0, 0)).x();
    ASSERT_TRUE(stripX > gauche && stripX < gauche + table->viewport()->width()) << "the panel lies under Now";
    auto estLeCurseur = [&](int x) {
        const QColor c = img.pixelColor(x, y);
        return std::abs(c.red() - curseur.red()) <= 8 && std::abs(c.green() - curseur.green()) <= 8 &&
               std::abs(c.blue() - curseur.blue()) <= 8;
    };
    std::vector<int> trouves;
    for (int x = stripX - 4; x <= stripX + 4; ++x)
        if (estLeCurseur(x))
            trouves.push_back(x);
    ASSERT_FALSE(trouves.empty()) << "no Now line near x " << stripX;
    for (int x : trouves)
        EXPECT_LE(std::abs(x - stripX), 1) << "a line at " << x << " for the strip's " << stripX;

    // A horizontal wheel over the table moves the shown range, as over the active cursor's view; a
    // vertical one scrolls the rows and leaves time alone. The range is read against Now, which
    // the clock moves on.
    KELIContexte* contexte = space()->tlContexte();
    KELICurseur* nowCurseur = space()->nowCurseur();
    auto range = [&] {
        return std::pair<double, double>(contexte->nowIn() - nowCurseur->now(), contexte->nowOut() - nowCurseur->now());
    };
    auto roue = [&](QPoint delta) {
        const QPointF at(table->viewport()->width() / 2.0, 10);
        for (int i = 0; i < 3; ++i) {
            QWheelEvent wheel(at, table->viewport()->mapToGlobal(at), QPoint(), delta, Qt::NoButton, Qt::NoModifier,
                              Qt::NoScrollPhase, false);
            QApplication::sendEvent(table->viewport(), &wheel);
            pump(3);
        }
        advance(1.0);
    };
    const auto avant = range();
    roue(QPoint(0, -120));
    const auto apresVertical = range();
    EXPECT_NEAR(apresVertical.first, avant.first, 1.0);
    EXPECT_NEAR(apresVertical.second, avant.second, 1.0);
    EXPECT_EQ(space()->actifCurseur(), nowCurseur);
    // Over the Now cursor's view a sideways wheel brings the Search cursor; over the Search
    // cursor's it moves the Search time and the range with it.
    roue(QPoint(-120, 0));
    ASSERT_EQ(space()->actifCurseur(), space()->searchCurseur());
    KELICurseur* search = space()->searchCurseur();
    const double searchAvant = search->now(), inAvant = contexte->nowIn(), outAvant = contexte->nowOut();
    roue(QPoint(-120, 0));
    EXPECT_TRUE(std::abs(search->now() - searchAvant) > 1.0 || std::abs(contexte->nowIn() - inAvant) > 1.0 ||
                std::abs(contexte->nowOut() - outAvant) > 1.0)
        << "the wheel moved time";

    // Escape in the focused table steps back: the desk takes the keyboard.
    table->setFocus(Qt::OtherFocusReason);
    pump();
    ASSERT_EQ(window()->focusWidget(), table);
    key(Qt::Key_Escape);
    pump();
    EXPECT_NE(window()->focusWidget(), table);
    EXPECT_EQ(window()->focusWidget(), window()->spaceView()->deskCanvas());
}

TEST_F(InspectorTable, ASelectedRowShowsItsIntervalInThePanelAndInTheTracksList)
{
    start();
    ZEVFrontViewerServices* front = space()->frontViewer();
    if (!front->siTlineOpened())
        front->userToggleTline();
    advance(1.0);
    ASSERT_TRUE(front->siTlineOpened());
    // The file lies on the desk from a minute ago on: its interval begins left of Now and goes on.
    addHomeFiles({QStringLiteral("notes.txt")});
    advance(60.0);
    const std::vector<KELI*> items = itemsTitled({QStringLiteral("notes.txt")});
    ASSERT_EQ(items.size(), 1u);
    KELI* item = items.front();

    values->setValue(QStringLiteral("ZEVInspectIconX"), 400.0);
    values->setValue(QStringLiteral("ZEVInspectIconW"), 500.0);
    chooseMenuItem(KELMainMenu::kMenuObject, long(kIcons));
    advance(1.0);
    ZEVTableView* table = iconsTable();
    ASSERT_NE(table, nullptr);
    const int row = rowOfItem(table, item);
    ASSERT_GE(row, 0);
    // The file came selected: first nothing is.
    space()->selections().deselectAllIcons();
    advance(0.5);
    ASSERT_FALSE(table->selectionModel()->isRowSelected(row, QModelIndex()));
    const int avant = intervalPixels(table, item);
    ASSERT_GT(avant, 10) << "the interval shows on the row before it is selected";
    // Selected by a click on its title, the row keeps its interval in view over the band.
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {},
                      table->visualRect(table->tableModel()->index(row, 5)).center());
    advance(0.5);
    ASSERT_EQ(space()->selections().selectedIconItems(), std::vector<KELI*>{item});
    ASSERT_TRUE(table->selectionModel()->isRowSelected(row, QModelIndex()));
    EXPECT_GE(intervalPixels(table, item), avant - 2) << "the selected row hides its interval";

    // The tracks' list outside a panel shows the selected Objects, every row selected.
    auto* f = dynamic_cast<ZEVFrontViewer*>(front);
    ASSERT_NE(f, nullptr);
    chooseMenuItem(KELMainMenu::kMenuInspectors, 50);
    advance(1.0);
    f->userShowTracks();
    advance(1.0);
    ZEVTableView* list = f->selectionItemTableView();
    ASSERT_TRUE(list && list->isVisible());
    ASSERT_EQ(list->numberOfRows(), 1);
    list->selectAll();
    pump();
    EXPECT_GT(intervalPixels(list, item), 10) << "the tracks' list shows the interval of its selected row";
}

// In the Icons panel the arrow keys step the selection from the row the user chose, one row at a
// time, although every change of the desk's selection reloads the rows.
TEST_F(InspectorTable, TheArrowKeysStepFromTheChosenRow)
{
    start();
    const QStringList names = {QStringLiteral("alpha.txt"), QStringLiteral("beta.txt"), QStringLiteral("gamma.txt"),
                               QStringLiteral("delta.txt")};
    addHomeFiles(names);
    const std::vector<KELI*> items = itemsTitled(names);
    ASSERT_EQ(items.size(), 4u);
    space()->selections().deselectAllIcons();
    chooseMenuItem(KELMainMenu::kMenuObject, long(kIcons));
    advance(1.0);
    ZEVTableView* table = iconsTable();
    ASSERT_NE(table, nullptr);
    std::vector<int> rows;
    for (KELI* o : items)
        rows.push_back(rowOfItem(table, o));
    std::sort(rows.begin(), rows.end());
    ASSERT_EQ(rows, (std::vector<int>{0, 1, 2, 3}));
    auto itemAt = [&](int row) {
        for (KELI* o : items)
            if (rowOfItem(table, o) == row)
                return o;
        return static_cast<KELI*>(nullptr);
    };
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, table->visualRect(table->tableModel()->index(2, 5)).center());
    advance(0.5);
    ASSERT_EQ(space()->selections().selectedIconItems(), std::vector<KELI*>{itemAt(2)});
    ASSERT_EQ(QApplication::focusWidget(), table);
    const std::pair<Qt::Key, int> steps[] = {{Qt::Key_Down, 3}, {Qt::Key_Up, 2}, {Qt::Key_Up, 1}, {Qt::Key_Up, 0}, {Qt::Key_Down, 1}};
    for (const auto& [k, row] : steps) {
        QTest::keyClick(table, k);
        advance(0.5);
        EXPECT_EQ(space()->selections().selectedIconItems(), std::vector<KELI*>{itemAt(row)}) << "to row " << row;
        EXPECT_TRUE(table->selectionModel()->isRowSelected(row, QModelIndex())) << "to row " << row;
    }
}

} // namespace
} // namespace e2e
