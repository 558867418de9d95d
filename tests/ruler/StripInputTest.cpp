// The strip and the cursor views on a real Space: the views' regions, presses on the Now cursor,
// Search drags with their zones and modes, Ctrl-clicks, the wheel, drags over the strip, and
// presses that come while another move runs.

#include "tests/ruler/RulerFixture.h"

#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QUrl>

#include <cmath>
#include <functional>
#include <string>

using namespace rulertest;

namespace {

bool contient(const Trace& t, const std::string& line) { return count(t, line) > 0; }

using Strip = LiveRuler;

} // namespace

TEST_F(Strip, RegionsAreHalfOpenWithTheHandleFirstAndAnEmptyContextKeepsItsHandleAndFrame)
{
    const QRectF h = nowView->curseurRect(), in = nowView->beginRect(), out = nowView->endRect();
    const QRectF passe = nowView->passeRect();
    ASSERT_GT(passe.width(), 20);
    EXPECT_EQ(h.width(), 8);
    struct Case {
        QPointF p;
        int region;
    };
    const Case cases[] = {
        {{h.center().x(), 5}, ZEVTlineCurseurView::kHandle}, // over the bands too
        {{in.left(), 0}, ZEVTlineCurseurView::kInEdge},
        {{in.right(), 5}, ZEVTlineCurseurView::kPasseBand}, // x = xIn
        {{passe.left() + 5, 16.9}, ZEVTlineCurseurView::kPasseBand},
        {{passe.left() + 5, 17}, ZEVTlineCurseurView::kNone},
        {{h.right(), 5}, ZEVTlineCurseurView::kFuturBand},
        {{out.left() + 1, 5}, ZEVTlineCurseurView::kOutEdge},
        {{out.right(), 5}, ZEVTlineCurseurView::kNone},
    };
    for (const Case& c : cases)
        EXPECT_EQ(nowView->clickPositionForPoint(c.p), c.region) << c.p.x() << "," << c.p.y();

    // The Search view has no future side; its context shrunk to its cursor still has a handle.
    searchAt(w() / 3);
    oneMove([&] {
        viewer->userPlaceContexteInToZero();
        viewer->userPlaceContexteOutToZero();
    });
    const QRectF s = searchView->curseurRect();
    EXPECT_EQ(s.width(), 8);
    EXPECT_EQ(searchView->frame().width(), 28);
    EXPECT_EQ(searchView->frame().left(), s.left() + 4 - 14);
    EXPECT_EQ(searchView->clickPositionForPoint({s.right() + 10, 5}), ZEVTlineCurseurView::kNone);
}

TEST_F(Strip, WhereTheCursorsOverlapTheActiveOnesViewTakesThePress)
{
    const QPointF p(nowView->curseurRect().center().x(), 5);
    searchAt(p.x());
    ASSERT_LT(std::fabs(searchView->curseurRect().center().x() - p.x()), 1.0);
    EXPECT_EQ(strip->curseurViewAt(p), searchView);
    viewer->userChangeActifCurseur(now());
    dessiner();
    EXPECT_EQ(strip->curseurViewAt(p), nowView);
    // A press there is the Now view's: a click on the active Now cursor asks for the Home Time.
    take();
    click(p.x(), p.y());
    EXPECT_TRUE(contient(take(), "front menuHomeTime"));
    EXPECT_EQ(space->actifCurseur(), now());
}

TEST_F(Strip, AClickOnTheActiveNowCursorAsksForHomeTimeOnTheInactiveOneOnlyActivates)
{
    searchAt(w() / 10);
    const double x = nowView->curseurRect().center().x();
    take();
    click(x);
    EXPECT_EQ(space->actifCurseur(), now());
    EXPECT_FALSE(contient(take(), "front menuHomeTime"));
    click(x);
    EXPECT_TRUE(contient(take(), "front menuHomeTime"));
    EXPECT_TRUE(viewer->siAccepteDeplacement());

    // Dragging the handle slides the range under the needle, and the Home Time is saved after.
    int saved = 0;
    viewer->setPresetHooks([&] { ++saved; }, nullptr);
    const double in = tl()->nowIn();
    press(x);
    dragTo(x + 40);
    release(x + 40);
    EXPECT_NEAR(tl()->nowIn() - in, -40 * perPoint(), 1e-3);
    EXPECT_FALSE(contient(take(), "front menuHomeTime"));
    EXPECT_EQ(saved, 0);
    sched.advance(0.05);
    EXPECT_EQ(saved, 1);
}

TEST_F(Strip, APressPlacesTheSearchCursorAndItsDragRunsNearTheEndsAndCreepsWithShift)
{
    const double x = w() / 4;
    press(x);
    EXPECT_EQ(space->actifCurseur(), search());
    EXPECT_NEAR(search()->now(), dateAt(x), 0.01);
    dragTo(x + 100);
    EXPECT_NEAR(search()->now(), dateAt(x + 100), 0.01);

    // The right twentieth runs the cursor and the range forward.
    const double in = tl()->nowIn();
    dragTo(w() - 2);
    sched.advance(0.3);
    EXPECT_GT(tl()->nowIn(), in + 60);
    dragTo(x);
    EXPECT_NEAR(search()->now(), dateAt(x), 0.01) << "back inside, the cursor is under the pointer again";
    const double runStopped = tl()->offsetIn();
    sched.advance(0.3);
    EXPECT_EQ(tl()->offsetIn(), runStopped);

    // Shift, halfway down the window: 38.5 times slower than the pointer.
    const double before = search()->now();
    const double h = strip->window()->height();
    // Each event is made just before it is sent: Qt's events of one device share their point.
    auto shift = [&](double at) {
        QMouseEvent e(QEvent::MouseMove, QPointF(at, 0), QPointF(at, h / 2), QPointF(at, 0), Qt::NoButton,
                      Qt::LeftButton, Qt::ShiftModifier);
        searchView->draggCurseurWithEvent(&e);
    };
    shift(x);
    const double apres = search()->now();
    shift(x + 77);
    EXPECT_NEAR(search()->now() - apres, 77 * perPoint() / 38.5, 0.01);
    EXPECT_NEAR(apres, before, 0.01);
    release(x);
    EXPECT_TRUE(viewer->siAccepteDeplacement());
}

TEST_F(Strip, ACtrlClickStepsTheSearchCursorAndTheRangeByARoundDurationButNotAfterADrag)
{
    struct Case {
        double d, step;
    };
    for (const Case c : {Case{62, 60}, Case{-62, -60}, Case{1900, 1800}, Case{1950, 1950}, Case{54, 54}, Case{66, 66},
                         Case{470000, 432000}, Case{550000, 518400}, Case{1200000, 1209600}})
        EXPECT_EQ(ZEVTlineView::snapCommandClickStep(c.d), c.step) << c.d;

    range(-600, 3000); // 1 hour: under 3 s a point
    searchAt(w() / 10);
    struct Step {
        double ecart;
        Qt::KeyboardModifiers extra;
        double attendu;
    };
    for (const Step s : {Step{62, {}, 60}, Step{62, Qt::ShiftModifier, -60}}) {
        const double t = search()->now(), in = tl()->nowIn();
        const double x = std::round(xOf(t + s.ecart) * (w() - 1) / w());
        click(x, 30, Qt::ControlModifier | s.extra);
        EXPECT_NEAR(search()->now() - t, s.attendu, 1e-3) << s.ecart;
        EXPECT_NEAR(tl()->nowIn() - in, s.attendu, 1e-3) << s.ecart;
        dessiner();
    }
    const double t = search()->now();
    const double x = std::round(xOf(t + 1950) * (w() - 1) / w());
    const double d = dateAt(x) - t;
    click(x, 30, Qt::ControlModifier);
    EXPECT_NEAR(search()->now() - t, d, 1e-3) << "no round duration near 1,950 s";

    const double t2 = search()->now();
    press(x - 100, 30, Qt::ControlModifier);
    dragTo(x - 50, 30, Qt::ControlModifier);
    release(x - 50, 30, Qt::ControlModifier);
    EXPECT_EQ(search()->now(), t2);
    EXPECT_TRUE(viewer->siAccepteDeplacement());
}

TEST_F(Strip, PressesDuringAnotherMoveChangeNothingAndEndNothing)
{
    searchAt(w() / 2);
    const double t = search()->now();
    ASSERT_TRUE(viewer->userInitieDeplacementCurseur()); // an animation, say
    click(w() / 4);
    click(w() / 4, 30, Qt::ControlModifier);
    press(searchView->curseurRect().center().x());
    dragTo(w() / 3);
    release(w() / 3);
    EXPECT_EQ(search()->now(), t);
    EXPECT_EQ(space->actifCurseur(), search());
    EXPECT_FALSE(viewer->siAccepteDeplacement()) << "the other move still runs";
    viewer->userTermineDeplacementCurseur();

    // A strip under two points wide has no dates to give.
    strip->setFrameYUp(QRectF(0, 0, 1, 36));
    click(0);
    EXPECT_EQ(search()->now(), t);
    EXPECT_TRUE(viewer->siAccepteDeplacement());
}

TEST_F(Strip, APressWhoseMoveWasEndedElsewhereStepsAndEndsNothingOfTheNext)
{
    // The press's move is ended by another party (an animation's cancel) and another move
    // begins (an animation): the press's drag and release belong to neither.
    struct Press {
        const char* what;
        std::function<double()> x; // where the press lands
    };
    const Press presses[] = {
        {"the strip", [&] { return w() / 4; }},
        {"the Search handle", [&] { return searchView->curseurRect().center().x(); }},
        {"the Now in-edge", [&] { return nowView->beginRect().center().x(); }},
    };
    for (const Press& p : presses) {
        searchAt(w() / 2);
        if (std::string(p.what) == "the Now in-edge") {
            viewer->userChangeActifCurseur(now());
            dessiner();
        }
        const double x = p.x();
        press(x, 5);
        ASSERT_FALSE(viewer->siAccepteDeplacement()) << p.what;
        viewer->userDesactiveAnimer();
        viewer->userAnimeRuler(1.5, -600, 600);
        ASSERT_FALSE(viewer->siAccepteDeplacement()) << p.what;
        const double t = search()->now(), cIn = now()->nowIn();
        dragTo(x + 60, 5);
        release(x + 60, 5);
        EXPECT_EQ(search()->now(), t) << p.what;
        EXPECT_EQ(now()->nowIn(), cIn) << p.what;
        EXPECT_FALSE(viewer->siAccepteDeplacement()) << p.what << ": the animation still runs";
        sched.advance(1.6);
        EXPECT_TRUE(viewer->siAccepteDeplacement()) << p.what;
        dessiner();
    }

    // The same of the wheel over the strip: its stop leaves the animation running.
    overStrip(w() / 3, 26, 1);
    ASSERT_FALSE(viewer->siAccepteDeplacement());
    viewer->userDesactiveAnimer();
    viewer->userAnimeRuler(1.5, -600, 600);
    sched.advance(0.35);
    EXPECT_FALSE(viewer->siAccepteDeplacement()) << "the animation still runs";
    EXPECT_FALSE(strip->siScrollWheelStart());
    sched.advance(1.3);
    EXPECT_TRUE(viewer->siAccepteDeplacement());
}

TEST_F(Strip, TheWheelZoomsAboutTheActiveCursorOrThePointerAndStopsAfterAPause)
{
    searchAt(w() / 3);
    const double rel = place(search()->now()), s0 = span(), k0 = k();
    overStrip(w() - 10, 26, 1);
    EXPECT_NEAR(span(), s0 - 10 * k0, 1e-3) << "a notch down narrows by 10 points";
    EXPECT_NEAR(place(search()->now()), rel, 1e-9);
    sched.advance(0.2);
    EXPECT_FALSE(viewer->siAccepteDeplacement()) << "an event within 0.3 s extends the gesture";
    sched.advance(0.2);
    EXPECT_TRUE(viewer->siAccepteDeplacement());
    EXPECT_FALSE(strip->siCmd());

    // With Ctrl the date under the pointer stays.
    const double x = w() * 0.8;
    const double under = tl()->nowIn() + x / w() * span();
    overStrip(x, 26, 1, Qt::ControlModifier);
    EXPECT_TRUE(strip->siCmd());
    EXPECT_NEAR(tl()->nowIn() + x / w() * span(), under, 1e-3);
    sched.advance(0.3);
}

TEST_F(Strip, ADragOverTheStripMovesTheSearchCursorAfterAPauseAndDropsNothing)
{
    QMimeData files;
    files.setUrls({QUrl::fromLocalFile("/tmp/a.txt")});
    auto drag = [&](QEvent::Type type, double x) {
        if (type == QEvent::DragLeave) {
            QDragLeaveEvent e;
            QApplication::sendEvent(strip, &e);
            return;
        }
        QDragMoveEvent e(QPoint(int(x), 10), Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier, type);
        QApplication::sendEvent(strip, &e);
        EXPECT_FALSE(type == QEvent::DragMove && e.isAccepted()) << "nothing is dropped on the strip";
    };
    // The Search cursor keeps its distance to the timeline cursor, which follows the clock.
    const double t = search()->offsetDouble();
    const double x = std::round(w() / 4);
    drag(QEvent::DragEnter, x);
    EXPECT_TRUE(space->siDraggingSession());
    sched.advance(0.29);
    drag(QEvent::DragLeave, 0);
    sched.advance(0.5);
    EXPECT_EQ(search()->offsetDouble(), t);
    EXPECT_EQ(space->actifCurseur(), now());
    EXPECT_TRUE(space->siDraggingSession());
    sched.advance(0.3);
    EXPECT_FALSE(space->siDraggingSession()) << "0.8 s after the drag left";

    drag(QEvent::DragEnter, x);
    sched.advance(0.3);
    EXPECT_EQ(space->actifCurseur(), search());
    // Under the pointer, on the strip as it was drawn.
    EXPECT_NEAR(xOf(search()->now()), x, 1);
    drag(QEvent::DragMove, w() / 2);
    EXPECT_NEAR(xOf(search()->now()), w() / 2, 1);
    drag(QEvent::DragLeave, 0);
    EXPECT_TRUE(viewer->siAccepteDeplacement());
}

TEST_F(Strip, KeysGoToTheFrontLayerAndTheMenuHighlightsWhatItsItemsShow)
{
    QKeyEvent ret(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, "\r");
    QApplication::sendEvent(strip, &ret);
    EXPECT_TRUE(ret.isAccepted());
    EXPECT_TRUE(contient(take(), "front userStepBack"));
    QKeyEvent x(QEvent::KeyPress, Qt::Key_X, Qt::NoModifier, "x");
    QApplication::sendEvent(strip, &x);
    EXPECT_FALSE(x.isAccepted()) << "other keys go on to the window";
    QKeyEvent shift(QEvent::KeyPress, Qt::Key_Shift, Qt::ShiftModifier);
    strip->keyDown(&shift);
    EXPECT_FALSE(shift.isAccepted()) << "and so do the modifier keys, which the window follows";

    QMenu* m = strip->menuRuler();
    const QList<QAction*> items = m->actions();
    const auto past = std::find_if(items.begin(), items.end(), [](QAction* a) { return a->text() == "Show the Past"; });
    ASSERT_NE(past, items.end());
    strip->menuWillHighlightItem(m, *past);
    EXPECT_EQ(strip->clickPosition(), 0);
    strip->menuDidClose(m);
    EXPECT_EQ(strip->clickPosition(), 10);
}

TEST_F(Strip, TheNowViewsGripsMoveItsEdgesAndACtrlSecondaryPressBringsNowUnderThePointer)
{
    const double pp = perPoint();
    const QRectF grip = nowView->beginRect();
    const double in = now()->nowIn();
    press(grip.center().x(), 5);
    dragTo(grip.center().x() + 20, 5);
    release(grip.center().x() + 20, 5);
    EXPECT_NEAR(now()->nowIn() - in, 20 * pp, 1e-3);

    // A band dragged with Ctrl stays where it is on the strip while the time under it scrolls.
    dessiner();
    const double band = nowView->futurRect().center().x();
    const double out = now()->nowOut(), rangeIn = tl()->nowIn();
    press(band, 5);
    dragTo(band, 5); // the first step of a drag is where it starts
    dragTo(band - 30, 5, Qt::ControlModifier);
    release(band - 30, 5, Qt::ControlModifier);
    EXPECT_NEAR(now()->nowOut() - out, 30 * pp, 1e-3);
    EXPECT_NEAR(tl()->nowIn() - rangeIn, 30 * pp, 1e-3);

    const double x = w() / 10;
    searchAt(w() / 2);
    const auto nowAt = [&] { return (now()->now() - tl()->nowIn()) / span() * (w() - 1); };
    mouse(QEvent::MouseButtonPress, x, 30, Qt::RightButton, Qt::ControlModifier);
    EXPECT_EQ(space->actifCurseur(), now());
    EXPECT_NEAR(nowAt(), x, 1e-6);
    mouse(QEvent::MouseMove, x + 50, 30, Qt::NoButton, Qt::ControlModifier);
    EXPECT_NEAR(nowAt(), x + 50, 1e-6);
    mouse(QEvent::MouseButtonRelease, x + 50, 30, Qt::RightButton, Qt::ControlModifier);
    EXPECT_TRUE(viewer->siAccepteDeplacement());
}

TEST_F(Strip, ASearchDragWithCtrlSlidesTheRangeAndTheBarFollowsItsModes)
{
    searchAt(w() / 2);
    const double x = searchView->curseurRect().center().x();
    const double pp = perPoint(), in = tl()->nowIn();
    press(x, 30);
    EXPECT_EQ(bar->clickPositionForDisplay(), ZEVTlineCurseurView::kHandle);
    dragTo(x, 30, Qt::ControlModifier);
    dragTo(x + 30, 30, Qt::ControlModifier);
    EXPECT_NEAR(tl()->nowIn() - in, -30 * pp, 1e-3);
    EXPECT_EQ(bar->clickPositionForDisplay(), 10);
    dragTo(x + 40, 30);
    EXPECT_EQ(bar->clickPositionForDisplay(), ZEVTlineCurseurView::kHandle);
    release(x + 40, 30);
    EXPECT_EQ(searchView->clickPositionForDisplay(), 10) << "the end of the move";

    // With Alt the cursor runs on its own, at a pace set by the pointer's distance from where the
    // run began, the range standing; with Ctrl and Alt the range runs with it. Back to a plain
    // drag, the run stops.
    const double x2 = searchView->curseurRect().center().x();
    press(x2, 30);
    dragTo(x2 + 1, 30, Qt::AltModifier);
    dragTo(x2 + 21, 30, Qt::AltModifier);
    const double t1 = search()->now(), r1 = tl()->nowIn();
    sched.advance(0.5);
    const double t2 = search()->now();
    EXPECT_GT(t2, t1 + 1);
    sched.advance(0.5);
    EXPECT_GT(search()->now(), t2 + 1) << "it keeps running";
    EXPECT_NEAR(tl()->nowIn(), r1 + 1.0, 1e-3) << "the range only follows the clock";
    release(x2 + 21, 30, Qt::AltModifier);
    const double t21 = search()->now();
    sched.advance(0.5);
    EXPECT_NEAR(search()->now(), t21 + 0.5, 1e-3) << "the release stops the run";
    const double x3 = searchView->curseurRect().center().x();
    press(x3, 30);
    dragTo(x3 + 1, 30, Qt::ControlModifier | Qt::AltModifier);
    dragTo(x3 + 21, 30, Qt::ControlModifier | Qt::AltModifier);
    const double t3 = search()->now(), r3 = tl()->nowIn();
    sched.advance(0.5);
    EXPECT_GT(search()->now() - t3, 1);
    EXPECT_NEAR(tl()->nowIn() - r3, search()->now() - t3, 1e-3) << "the range runs with the cursor";
    dragTo(w() / 2, 30);
    const double t4 = search()->now(), r4 = tl()->nowIn();
    EXPECT_NEAR(t4, dateAt(w() / 2), 0.1);
    sched.advance(0.5);
    EXPECT_NEAR(tl()->nowIn() - r4, 0.5, 1e-3) << "the run stopped";
    release(w() / 2, 30);
    EXPECT_TRUE(viewer->siAccepteDeplacement());
}

TEST_F(Strip, ARowDraggedOverTheStripRunsTheSearchCursorInTheOuterTenthsOfThePointerOrItsGrab)
{
    // An inspector's row dragged with the Search cursor active, inside the inspector's move.
    searchAt(w() / 2);
    auto entity = [&](double x) {
        const QPointF at = strip->mapTo(strip->window(), QPointF(x, 20));
        QMouseEvent e(QEvent::MouseMove, at, at, strip->mapToGlobal(QPointF(x, 20)), Qt::NoButton, Qt::LeftButton, {});
        viewer->draggEntityWithEvent(&e);
    };
    auto running = [&] {
        const double in = tl()->nowIn();
        sched.advance(0.3);
        return std::fabs(tl()->nowIn() - in - 0.3) > 1;
    };
    ASSERT_TRUE(viewer->userInitieDeplacementCurseur());
    entity(w() / 2);
    entity(w() * 0.7);
    EXPECT_NEAR(search()->now(), dateAt(w() * 0.7), 0.1) << "under the pointer";
    EXPECT_FALSE(running());
    entity(w() * 0.88);
    EXPECT_FALSE(running()) << "short of the outer tenth";
    entity(w() * 0.95);
    EXPECT_TRUE(running());
    entity(w() * 0.05);
    EXPECT_TRUE(running());
    entity(w() / 2);
    EXPECT_FALSE(running());
    viewer->userTermineDeplacementCurseur();

    // Grabbed 0.4 of the width left of the cursor: the row's far end reaches the outer tenth first.
    dessiner();
    const double c = xOf(search()->now());
    ASSERT_TRUE(viewer->userInitieDeplacementCurseur());
    entity(c - w() * 0.4);
    entity(w() / 2 + 10);
    EXPECT_TRUE(running()) << "the pointer plus the grab offset";
    entity(w() / 4);
    EXPECT_FALSE(running());
    viewer->userTermineDeplacementCurseur();
}

TEST_F(Strip, TheCursorViewsMenusFollowTheRegionAndAMenuClosedWithoutAChoiceHighlightsNothing)
{
    searchAt(w() / 2);
    const double in = searchView->beginRect().center().x(), handle = searchView->curseurRect().center().x();
    mouse(QEvent::MouseButtonPress, in, 5, Qt::RightButton);
    mouse(QEvent::MouseButtonRelease, in, 5, Qt::RightButton);
    EXPECT_TRUE(searchView->menuContexteIn()->isVisible());
    EXPECT_EQ(searchView->clickPositionForDisplay(), 10) << "the in-edge grip leaves the highlight alone";
    searchView->menuContexteIn()->hide();

    mouse(QEvent::MouseButtonPress, handle, 30, Qt::RightButton);
    mouse(QEvent::MouseButtonRelease, handle, 30, Qt::RightButton);
    QMenu* m = searchView->menuContexte();
    ASSERT_TRUE(m->isVisible());
    EXPECT_EQ(searchView->clickPositionForDisplay(), ZEVTlineCurseurView::kHandle);
    for (QAction* a : m->actions()) {
        const int tag = a->data().toInt();
        EXPECT_FALSE((tag == ZEVTlineCurseurView::kTagHomeTime || tag == ZEVTlineCurseurView::kTagSaveHomeTime) &&
                     a->isVisible())
            << "the Now view's items";
    }
    m->hide();
    EXPECT_EQ(searchView->clickPositionForDisplay(), 10);
}
