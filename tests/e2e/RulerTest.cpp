// The time ruler in the running program: the visible range kept from one start to the next, the
// active cursor changed from the desks through the ruler, moves refused while one runs, and the
// ruler's redraw following the clock, and its strip labelled tens of millions of years back.

#include "tests/e2e/E2EFixture.h"

#include "engine/KELElements.h"
#include "engine/KELICurseur.h"
#include "objects/view/ZEVItemView.h"
#include "objects/viewer/ZEVItemViewer.h"
#include "ruler/ZEVRulerBox.h"
#include "ruler/ZEVRulerPickerDates.h"
#include "ruler/ZEVRulerViewbar.h"
#include "ruler/ZEVRulerViewer.h"
#include "ruler/ZEVTlineType.h"
#include "ruler/ZEVTlineView.h"
#include "desk/model/ZEVDeskClass.h"
#include "space/ZEVConstants.h"

#include <QFile>
#include <QImage>

#include <cstdlib>
#include <QTest>

namespace e2e {
namespace {

class Ruler : public E2E {
protected:
    KELIContexte* tl() const { return space()->tlContexte(); }

    // The visible range as the store keeps it: the open Offset IN and OUT values of the timeline
    // context's element, and how many such links there ever were.
    struct StoredRange {
        std::string in, out;
        std::string links;
    };
    StoredRange storedRange() const
    {
        auto value = [this](int relation) {
            const Rows r = sql(database(), "SELECT n.NUMBER FROM ZEVLETS l JOIN NUMBER n ON n.ZEVLET_ID = l.CHILD_ZEVLET "
                                           "WHERE l.PARENT_ZEVLET = 271 AND l.DATE_OUT > 4e15 AND l.RELATION = " +
                                               std::to_string(relation));
            return r.size() == 1 ? r.at(0, 0) : std::string("?");
        };
        return {value(45), value(46),
                sql(database(), "SELECT COUNT(*) FROM ZEVLETS WHERE PARENT_ZEVLET = 271 AND RELATION IN (45, 46)").at(0, 0)};
    }
    // The child of the newest link that records the active cursor.
    std::string newestActiveCursorElement() const
    {
        const Rows r = sql(database(), "SELECT CHILD_ZEVLET FROM ZEVLETS WHERE RELATION = 1000092 AND PARENT_ZEVLET = " +
                                           std::to_string(KELOBJECT_RULER) + " ORDER BY DATE_IN DESC, ZEVLET_ID DESC LIMIT 1");
        return r.empty() ? std::string() : r.at(0, 0);
    }
    // Points of the strip's labels: points near the labels' colour whose right neighbour is too,
    // which the ticks, one point wide, never give.
    int labelInk() const
    {
        const QImage shot = strip()->grab().toImage();
        const QColor encre = strip()->foregroundColor();
        auto pres = [&](int x, int y) {
            const QColor c = shot.pixelColor(x, y);
            return std::abs(c.red() - encre.red()) + std::abs(c.green() - encre.green()) +
                       std::abs(c.blue() - encre.blue()) < 150;
        };
        int n = 0;
        for (int y = 0; y < shot.height(); ++y)
            for (int x = 0; x + 1 < shot.width(); ++x)
                n += pres(x, y) && pres(x + 1, y);
        return n;
    }
};

TEST_F(Ruler, TheVisibleRangeIsKeptToATenthOfASecondAndWrittenOnlyWhenItChanged)
{
    start();
    ASSERT_NE(ruler(), nullptr);
    EXPECT_EQ(tl()->offsetIn(), -43200.0);
    quit();
    const StoredRange first = storedRange();
    EXPECT_EQ(first.in, "-43200");
    EXPECT_EQ(first.out, "43200");
    EXPECT_EQ(first.links, "2") << "a range left as it was is not written again";

    start();
    ASSERT_TRUE(ruler()->userInitieDeplacementCurseur());
    ASSERT_TRUE(ruler()->userPlaceRulerOffsetIn(-3600.04 - tl()->offsetIn(), 7200.06 - tl()->offsetOut()));
    ruler()->userTermineDeplacementCurseur();
    quit();
    const StoredRange moved = storedRange();
    EXPECT_EQ(moved.in, "-3600");
    EXPECT_EQ(moved.out, "7200.1");
    EXPECT_EQ(moved.links, "4");

    start();
    EXPECT_EQ(tl()->offsetIn(), -3600.0);
    EXPECT_EQ(tl()->offsetOut(), 7200.1);
    EXPECT_NEAR(ruler()->tlineType()->outDate() - ruler()->tlineType()->inDate(), 10800.1, 1e-6);
    quit();
    EXPECT_EQ(storedRange().links, "4");
}

TEST_F(Ruler, ADragFromTheSearchDeskSwitchesToTheNowDeskThroughTheRulerAndTheNextStartOpensThere)
{
    start();
    const QString notes = home + "/notes.txt";
    {
        QFile f(notes);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("notes");
    }
    ASSERT_EQ(secondStart({notes}), 0);
    advance(0.5);

    // The Search desk in front, through the ruler, and kept so by the quit.
    EXPECT_TRUE(ruler()->userChangeActifCurseur(space()->searchCurseur()));
    EXPECT_EQ(space()->actifCurseur(), space()->searchCurseur());
    EXPECT_EQ(window()->deskViewDevant(), space()->deskForCurseur(space()->searchCurseur())->deskScene());
    const std::string searchElement = std::to_string(KELOBJECT_SEARCH_ELEM_CURSEUR);
    quit();
    EXPECT_EQ(newestActiveCursorElement(), searchElement);

    start();
    ASSERT_EQ(space()->actifCurseur(), space()->searchCurseur());
    EXPECT_EQ(ruler()->curseurEnDeplacement(), space()->searchCurseur());
    // An Object's copies for a drag are made for the Now desk, where the drop lands: its viewer
    // asks the Space, whose ruler makes the Now cursor active and the one it moves.
    ZEVItemView* view = lastNowObjectView();
    ASSERT_NE(view, nullptr);
    ZEVItemViewer* nowItems = space()->itemViewerForCurseur(space()->nowCurseur());
    window()->activateWindow();
    pump();
    ASSERT_TRUE(adapter()->deskServices()->siApplicationActive());
    EXPECT_FALSE(nowItems->copiedItemViewsForSelectedItemView(view).empty());
    EXPECT_EQ(space()->actifCurseur(), space()->nowCurseur());
    EXPECT_EQ(ruler()->curseurEnDeplacement(), space()->nowCurseur());
    EXPECT_EQ(window()->deskViewDevant(), space()->deskForCurseur(space()->nowCurseur())->deskScene());
    ZEVItemViewer::ViderCopiedItemViews();
    quit();
    EXPECT_EQ(newestActiveCursorElement(), std::to_string(KELOBJECT_NOW_ELEM_CURSEUR));

    start();
    EXPECT_EQ(space()->actifCurseur(), space()->nowCurseur());
}

TEST_F(Ruler, TheDesksMoveTheRulerForwardAsOneMoveAndNotDuringAnother)
{
    start();
    ZEVSpaceBridge* desks = adapter()->deskServices();
    KELICurseur* search = space()->searchCurseur();
    ASSERT_TRUE(ruler()->userChangeActifCurseur(search));
    const double at = search->now();
    const double in = tl()->nowIn();
    const std::size_t history = log.lines.size();
    EXPECT_TRUE(desks->moveRulerForward(3600));
    EXPECT_NEAR(search->now() - at, 3600, 0.05);
    EXPECT_NEAR(tl()->nowIn() - in, 3600, 0.05);
    EXPECT_TRUE(ruler()->siAccepteDeplacement());
    EXPECT_EQ(log.lines.size(), history) << "nothing to complain about";

    // While another move runs the ruler refuses, and nothing moves.
    ASSERT_TRUE(ruler()->userInitieDeplacementCurseur());
    const double held = search->now();
    EXPECT_FALSE(desks->moveRulerForward(3600));
    EXPECT_NEAR(search->now(), held, 0.05);
    ruler()->userTermineDeplacementCurseur();
}

TEST_F(Ruler, TheRulerRedrawsAtTheRateOfItsScaleAndItsAxisFollowsTheClock)
{
    start();
    ZEVRulerViewer* r = ruler();
    ASSERT_NE(r, nullptr);
    // Half the content's width, and a day on the strip: a redraw about every third of a point.
    EXPECT_EQ(r->rulerWidth(), window()->spaceView()->width() / 2.0);
    EXPECT_NEAR(r->rulerRatio(), 86400.0 / r->rulerWidth(), 1e-9);
    EXPECT_NEAR(r->prochaineRecharge(), r->rulerRatio() / 3, 1e-9);
    // The redraws bring the shown bar's dates up to date: the Now cursor's past edge, which
    // follows the clock, in the From picker to the minute.
    values->setValue("ZEVShowZevMenu", true);
    auto* bar = dynamic_cast<ZEVRulerViewbar*>(r->rulerViewbar());
    ASSERT_NE(bar, nullptr);
    advance(10 * r->prochaineRecharge());
    EXPECT_EQ(bar->fromDatePicker()->dateTime(), ZEVChampsPourDate(space()->nowCurseur()->nowIn()));
    EXPECT_NEAR(r->tlineType()->inDate(), tl()->nowIn(), r->prochaineRecharge() + 1e-3);
    EXPECT_EQ(r->tlineType()->units().size(), 7u) << "the calendar table ships with the program";
}

TEST_F(Ruler, TheStripIsLabelledTensOfMillionsOfYearsBackAsItIsToday)
{
    start();
    ZEVRulerViewer* r = ruler();
    ASSERT_NE(r, nullptr);
    advance(1);
    const int today = labelInk();
    ASSERT_GT(today, 30) << "the strip's labels of today";

    // The Search cursor carried 28 million years back, the visible range of a day going with it.
    KELICurseur* search = space()->searchCurseur();
    ASSERT_TRUE(r->userChangeActifCurseur(search));
    ASSERT_TRUE(r->userInitieDeplacementCurseur());
    r->userPlaceCurseurEtRulerOffset(-28e6 * 365.2425 * 86400 - search->now());
    r->userTermineDeplacementCurseur();
    advance(1);
    ASSERT_LT(r->tlineType()->inDate(), -8.8e14);
    EXPECT_GT(labelInk(), today / 3) << "the hours of a day then";

    // The range widened to some forty years: their years are labelled.
    ASSERT_TRUE(r->userInitieDeplacementCurseur());
    ASSERT_TRUE(r->userPlaceRulerOffsetIn(-20 * 365.2425 * 86400, 20 * 365.2425 * 86400));
    r->userTermineDeplacementCurseur();
    advance(1);
    EXPECT_GT(labelInk(), today / 3) << "the years then";
}

TEST_F(Ruler, ADragOnTheStripOverTheDeskShowsTheSearchDeskOfThePastHourItPointsAt)
{
    start();
    auto* strip = dynamic_cast<ZEVTlineView*>(ruler()->tlineView());
    ASSERT_NE(strip, nullptr);
    EXPECT_TRUE(strip->isVisible());
    EXPECT_EQ(strip->geometry(), QRect(0, 0, window()->spaceView()->width(), 36)) << "over the top of the desk";

    // A file's icon that was on the Now desk for one hour, two hours ago.
    const auto placed = fileIconShownForAnHour(QStringLiteral("notes.txt"));
    KELI* item = placed.first;
    const double added = placed.second;
    ASSERT_NE(item, nullptr);

    KELICurseur* search = space()->searchCurseur();
    ZEVDeskViewer* searchDesk = desk(search);
    auto shown = [&] {
        ZEVItemViewForDesks* v = searchDesk->itemViewForItem(item);
        return v && !v->isHidden();
    };
    // Pressed, dragged and released as the user does, away from the cursors' bands.
    auto scrub = [&](KELDate from, KELDate to) {
        const QPoint a(int(strip->pointForDate(from).x()), 8), b(int(strip->pointForDate(to).x()), 8);
        QTest::mousePress(strip, Qt::LeftButton, {}, a);
        QTest::mouseMove(strip, (a + b) / 2);
        QTest::mouseMove(strip, b);
        QTest::mouseRelease(strip, Qt::LeftButton, {}, b);
        advance(0.5);
    };
    scrub(added - 5400, added + 1800);
    EXPECT_EQ(space()->actifCurseur(), search);
    EXPECT_GT(search->now(), added);
    EXPECT_LT(search->now(), added + 3600);
    EXPECT_TRUE(ruler()->siAccepteDeplacement());
    EXPECT_TRUE(shown()) << "the Search desk shows the icon of that hour";

    scrub(added + 1800, added - 1800);
    EXPECT_LT(search->now(), added);
    EXPECT_FALSE(shown());
    scrub(added - 1800, added + 5400);
    EXPECT_GT(search->now(), added + 3600);
    EXPECT_FALSE(shown());

    // Closing the timeline in the preferences takes the strip away.
    values->setValue("ZEVShowRuler", false);
    // It slides up out of sight.
    advance(1);
    EXPECT_FALSE(strip->isVisible());
    EXPECT_FALSE(space()->frontViewer()->siTlineOpened());
}

} // namespace
} // namespace e2e
