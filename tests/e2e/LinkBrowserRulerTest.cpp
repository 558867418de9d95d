// The browser's date strip under the mouse, the wheel and the menus in the running program: a
// window on the word model at the Search cursor shows the cursor as a Search view on each
// column's strip; dragging it moves the Search cursor, and the Space's Search desk follows; the
// wheel over its past band widens its window, and the Space's strip follows; its menu widens the
// past by a day; nothing moves while the Space animates, nor on the global cursor, which beeps.

#include "tests/e2e/E2EFixture.h"

#include "browser/GUIRulerCurseurView.h"
#include "browser/KELVueController.h"
#include "browser/KELVueDe.h"
#include "objects/view/ZEVItemView.h"
#include "engine/KELICurseur.h"
#include "ruler/ZEVRulerViewer.h"
#include "ruler/ZEVTlineCurseurView.h"
#include "ruler/ZEVTlineView.h"

#include <QApplication>
#include <QMenu>
#include <QTest>
#include <QWheelEvent>

#include <cmath>

namespace e2e {
namespace {

class LinkBrowserRuler : public E2EWithSound<RecordingSound> {
protected:

    // Puts the cursor at `now` with its window reaching two hours back, through the link base.
    static void deuxHeures(KELICurseur* c, KELDate now)
    {
        c->initierDeplacementCurseur();
        c->decalerCurseur(now - c->now());
        c->terminerDeplacementCurseur();
        c->decalerContexteIn((now - 7200) - c->nowIn());
    }

    // The column of the only browser window, once its strip shows the cursor's window.
    KELVueDe* colonne()
    {
        if (KELVueController::ouvertes().size() != 1)
            return nullptr;
        KELVueDe* v = KELVueController::ouvertes().front()->premiereVue();
        advance(2.5);
        return v;
    }

    // A y-up point of the strip as Qt's.
    static QPoint qt(GUIRulerViewLine* strip, double x, double yHaut)
    {
        return QPoint(int(std::lround(x)), int(std::lround(strip->height() - yHaut)));
    }

    static void glisser(QWidget* w, QPoint from, QPoint to)
    {
        QTest::mousePress(w, Qt::LeftButton, {}, from);
        QTest::mouseMove(w, (from + to) / 2);
        QTest::mouseMove(w, to);
        QTest::mouseRelease(w, Qt::LeftButton, {}, to);
    }

    static void roue(QWidget* w, QPoint at, int notches)
    {
        QWheelEvent e(QPointF(at), QPointF(w->mapToGlobal(at)), QPoint(), QPoint(0, 120 * notches), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(w, &e);
    }
};

TEST_F(LinkBrowserRuler, TheSearchViewDragsWheelsAndZoomsTheSearchCursorAndTheSpaceFollows)
{
    start({QStringLiteral("--link-browser"), QStringLiteral("3"), QStringLiteral("--cursor"),
           QStringLiteral("2000094")});
    const auto placed = fileIconShownForAnHour(QStringLiteral("notes.txt"));
    KELI* item = placed.first;
    const double added = placed.second;
    ASSERT_NE(item, nullptr);

    KELICurseur* search = space()->searchCurseur();
    ASSERT_NE(ruler(), nullptr);
    // The Space shows the Search cursor's view on its strip while the Search cursor is active.
    ruler()->userChangeActifCurseur(search);
    deuxHeures(search, added + 3.5 * 3600);
    KELVueDe* column = colonne();
    ASSERT_NE(column, nullptr);
    ASSERT_EQ(column->curseur(), search);
    GUIRulerViewLine* strip = column->rulerViewLine();
    ASSERT_NE(strip, nullptr);
    ASSERT_EQ(column->curseurViews().size(), 1u);
    auto* vue = dynamic_cast<GUIRulerCurseurSearch*>(column->curseurViews().front());
    ASSERT_NE(vue, nullptr) << "the Search cursor gets the Search view";
    strip->grab();
    ZEVDeskViewer* searchDesk = desk(search);
    auto shown = [&] {
        ZEVItemViewForDesks* v = searchDesk->itemViewForItem(item);
        return v && !v->isHidden();
    };
    EXPECT_FALSE(shown()) << "its window reaches back to an hour and a half after the icon went";

    // Pressed on the cursor and dragged left by half the strip: an hour back.
    const double P = strip->width() - 1;
    const double span = column->ruler()->outDate() - column->ruler()->inDate();
    const QPoint sur = qt(strip, vue->curseurRect().center().x() - 1, 5);
    const int dx = int(std::lround(P / 2));
    const double avant = search->now();
    const std::uint64_t termines = ruler()->mouvementsTermines();
    glisser(strip, sur, sur - QPoint(dx, 0));
    EXPECT_NEAR(search->now(), avant - dx * span / P, 1.0);
    EXPECT_NEAR(search->now(), added + 2.5 * 3600, 60);
    EXPECT_EQ(ruler()->mouvementsTermines(), termines + 1) << "one move, through the Space's ruler";
    EXPECT_TRUE(ruler()->siAccepteDeplacement());
    EXPECT_FALSE(column->siEnDeplacement());
    advance(0.5);
    EXPECT_TRUE(shown()) << "the Space's Search desk shows the icon of the window's first hour";

    // The wheel up over the past band widens the window; the Space's strip draws the wider band.
    advance(2.5);
    auto* tline = dynamic_cast<QWidget*>(ruler()->tlineView());
    auto* bande = dynamic_cast<ZEVTlineCurseurView*>(ruler()->curseurViewForCurseur(search));
    ASSERT_NE(tline, nullptr);
    ASSERT_NE(bande, nullptr);
    tline->grab();
    const double largeur = bande->passeRect().width();
    strip->grab();
    const double in = search->nowIn();
    const double ratio = column->rulerRatio();
    roue(strip, qt(strip, vue->passeRect().center().x(), 5), 1);
    EXPECT_NEAR(search->nowIn(), in - ratio * 10, 1.0);
    EXPECT_TRUE(vue->siInitieSrollWheel());
    advance(1.0);
    EXPECT_FALSE(vue->siInitieSrollWheel()) << "the wheel move ended 0.7 s after its event";
    EXPECT_TRUE(ruler()->siAccepteDeplacement());
    tline->grab();
    EXPECT_GT(bande->passeRect().width(), largeur);

    // Prev Day from the view's menu widens the past by a day.
    strip->grab();
    const double in2 = search->nowIn();
    QTest::mousePress(strip, Qt::RightButton, {}, qt(strip, vue->passeRect().center().x(), 5));
    QMenu* menu = strip->dernierMenu();
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu, vue->menuContexteIn());
    EXPECT_EQ(vue->clickPositionForDisplay(), GUIRulerCurseurView::kDebut);
    QAction* prevDay = nullptr;
    for (QAction* a : menu->actions())
        if (a->text() == QStringLiteral("Prev Day"))
            prevDay = a;
    ASSERT_NE(prevDay, nullptr);
    pump();
    ASSERT_TRUE(menu->isVisible());
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(prevDay).center());
    pump();
    EXPECT_NEAR(search->nowIn(), in2 - 86400, 1.0);
    EXPECT_TRUE(ruler()->siAccepteDeplacement());

    // During an animation of the Space a drag in the column changes nothing.
    advance(2.5);
    strip->grab();
    ruler()->userAnimeRuler(1.5f, -600, 600);
    ASSERT_FALSE(ruler()->siAccepteDeplacement());
    const std::uint64_t animation = ruler()->mouvementEnCours();
    const double fige = search->now();
    const QPoint ici = qt(strip, vue->curseurRect().center().x() - 1, 5);
    glisser(strip, ici, ici - QPoint(dx, 0));
    EXPECT_DOUBLE_EQ(search->now(), fige);
    EXPECT_EQ(ruler()->mouvementEnCours(), animation) << "the animation's move is not ended by the column";
    advance(2.0);
    EXPECT_TRUE(ruler()->siAccepteDeplacement());
}

TEST_F(LinkBrowserRuler, OnTheGlobalCursorADragOrAWheelBeepsAndNothingMoves)
{
    start({QStringLiteral("--link-browser"), QStringLiteral("3")});
    KELVueDe* column = colonne();
    ASSERT_NE(column, nullptr);
    ASSERT_TRUE(column->siSurLeCurseurGlobal());
    GUIRulerViewLine* strip = column->rulerViewLine();
    ASSERT_NE(strip, nullptr);
    strip->grab();
    KELICurseur* global = column->curseur();
    const double in = global->now() - global->nowIn();
    const double out = global->nowOut() - global->now();
    const std::uint64_t termines = ruler()->mouvementsTermines();

    const QPoint a(strip->width() / 2, 25);
    glisser(strip, a, a - QPoint(60, 0));
    EXPECT_GE(sound.beeps, 1);
    const int beeps = sound.beeps;
    roue(strip, a, 1);
    EXPECT_GT(sound.beeps, beeps);
    advance(1.0);
    EXPECT_DOUBLE_EQ(global->now() - global->nowIn(), in);
    EXPECT_DOUBLE_EQ(global->nowOut() - global->now(), out);
    EXPECT_EQ(ruler()->mouvementsTermines(), termines);
    EXPECT_FALSE(column->siEnDeplacement());
}

} // namespace
} // namespace e2e
