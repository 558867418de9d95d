// The shared table in the running program: the Icons panel opened from the Object menu shows the
// active cursor's moment over its table at the window x where the strip shows the Now cursor; a
// horizontal wheel over the table moves time as over the strip; Escape in the focused table
// steps back, giving the keyboard to the desk.

#include "tests/e2e/E2EFixture.h"

#include "app/menu/KELMainMenu.h"
#include "app/shared/KELSharedResources.h"
#include "engine/KELICurseur.h"
#include "inspectors/base/ZEVInspectView.h"
#include "inspectors/base/ZEVInspectViewer.h"
#include "inspectors/table/ZEVTableView.h"
#include "ruler/ZEVRulerViewer.h"
#include "ruler/ZEVTlineView.h"
#include "space/ZEVSpaceWindow.h"

#include <QApplication>
#include <QTest>
#include <QWheelEvent>

#include <cmath>

namespace e2e {
namespace {

constexpr KELId kIcons = 2000003;

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

} // namespace
} // namespace e2e
