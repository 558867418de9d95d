// The ruler bar: its layout by width (the passes on their own, then on the bar), the boxes and
// buttons of each display, the highlight codes' tints, the throttled date refresh and the display
// timer, the box menus and the routing of the wheel.

#include "tests/ruler/RulerBarFixture.h"

#include "look/KELSharedResources.h"
#include "ruler/ZEVRulerPickerDates.h"
#include "ruler/ZEVRulerStandIns.h"

#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QWheelEvent>

using namespace rulerbartest;

namespace {

using Step = ZEVRulerLayoutStep;

// Where the controls end up after the steps, folded in order.
struct Layout {
    double cursorBoxX = ZEVRulerBarFrames::kCursorBoxX;
    bool cursorBoxHidden = false;
    double presetX = ZEVRulerBarFrames::kPresetX;
    double nameFieldX = ZEVRulerBarFrames::kNameFieldX;
    bool buttonsNarrow = false;
};
Layout fold(const std::vector<Step>& steps, Layout l = {})
{
    for (const Step& s : steps) {
        const ZEVRulerStepEffect e = ZEVRulerStepEffectFor(s);
        l.cursorBoxX = e.cursorBoxX.value_or(l.cursorBoxX);
        l.cursorBoxHidden = e.cursorBoxHidden.value_or(l.cursorBoxHidden);
        l.presetX = e.presetX.value_or(l.presetX);
        l.nameFieldX = e.nameFieldX.value_or(l.nameFieldX);
        l.buttonsNarrow = e.buttonsNarrow.value_or(l.buttonsNarrow);
    }
    return l;
}

} // namespace

TEST(RulerBarLayout, EachCrossedBreakpointStepsOnceInTheOrderOfThePassAndAnExactWidthKeepsItsSide)
{
    struct Case {
        std::vector<double> widths; // the first arms the layout from 10000
        std::vector<Step> last;     // the steps of the last pass
        double presetX, nameFieldX;
        bool cursorBoxHidden, buttonsNarrow;
    };
    const Case cases[] = {
        {{300}, {{0, true}, {1, true}, {2, true}, {3, true}}, 55, 277, true, true},
        {{300, 1100}, {{3, false}, {2, false}, {1, false}, {0, false}}, 693, 915, false, false},
        {{600, 500}, {}, 371, 593, false, false},  // 500 from above: the wide buttons stay
        {{400, 500}, {}, 222, 444, false, true},   // from below: the narrow ones
        {{400, 600}, {{2, false}}, 371, 594, false, false},
        {{900, 800, 900}, {{1, false}}, 693, 915, false, false},
        {{800, 700}, {}, 371, 593, false, false},   // no crossing, no step
        {{1055, 1056}, {}, 693, 915, false, false}, // 1055 itself kept the wide side
        {{170}, {{0, true}, {1, true}, {2, true}, {3, true}, {4, true}}, 55, 277, true, true},
    };
    for (const Case& c : cases) {
        ZEVRulerLayoutSides sides;
        double previous = 10000;
        std::vector<Step> steps;
        Layout l;
        for (double w : c.widths) {
            steps = ZEVRulerLayoutPass(sides, previous, w);
            l = fold(steps, l);
            previous = w;
        }
        const std::string where = std::to_string(c.widths.back());
        EXPECT_EQ(steps, c.last) << where;
        EXPECT_EQ(l.presetX, c.presetX) << where;
        EXPECT_EQ(l.nameFieldX, c.nameFieldX) << where;
        EXPECT_EQ(l.cursorBoxHidden, c.cursorBoxHidden) << where;
        EXPECT_EQ(l.buttonsNarrow, c.buttonsNarrow) << where;
    }
}

TEST_F(Bar, NothingIsLaidOutBeforeArmingAndTheEntityRowsWideWidthIsLeftOut)
{
    auto fresh = std::make_unique<ZEVRulerViewbar>(QRectF(0, 0, 1200, 23), *viewer, nullptr);
    fresh->contextView()->setWidths(200, 60);
    fresh->setFrameYUp(QRectF(0, 0, 300, 23));
    EXPECT_EQ(fresh->previousWidth(), 0);
    EXPECT_EQ(fresh->layoutSides(), ZEVRulerLayoutSides{});
    EXPECT_FALSE(fresh->contextView()->siNarrow());

    // 1000 wide with a 200-point row: 800 effective, under 1055 and 820.
    fresh->setFrameYUp(QRectF(0, 0, 1000, 23));
    fresh->initPreviousWidth();
    EXPECT_EQ(fresh->contextWidthMax(), 200);
    EXPECT_EQ(fresh->previousWidth(), 800);
    EXPECT_TRUE(fresh->contextView()->siNarrow());
    EXPECT_EQ(fresh->contextView()->geometry(), QRect(940, 0, 60, 23)) << "against the right end";
    EXPECT_EQ(fresh->nowBox()->x(), 209);
    EXPECT_EQ(fresh->scrollBox()->x() + 2, 371) << "the first preset button";

    fresh->setFrameYUp(QRectF(0, 0, 500, 23)); // 300 effective
    EXPECT_TRUE(fresh->nowBox()->isHidden());
    EXPECT_TRUE(fresh->rulerButton()->isHidden());
    EXPECT_EQ(fresh->searchButton()->geometry(), QRect(28, 0, 30, 23));
    EXPECT_EQ(fresh->scrollBox()->x() + 2, 55);
    EXPECT_FALSE(fresh->presetTextField()->isHidden());
    fresh->setFrameYUp(QRectF(0, 0, 350, 23)); // 150
    EXPECT_TRUE(fresh->presetTextField()->isHidden());
}

TEST_F(Bar, ArmedAgainAfterANarrowPassTheLayoutIsTheOneOfItsWidthAlone)
{
    auto armedAt = [this](double width) {
        auto b = std::make_unique<ZEVRulerViewbar>(QRectF(0, 0, 1200, 23), *viewer, nullptr);
        b->contextView()->setWidths(200, 60);
        b->setFrameYUp(QRectF(0, 0, width, 23));
        b->initPreviousWidth();
        return b;
    };
    auto frames = [](ZEVRulerViewbar& b) {
        std::vector<QRect> out;
        for (QWidget* w : std::initializer_list<QWidget*>{b.nowButton(), b.searchButton(), b.rulerButton(),
                                                          b.nowBox(), b.scrollBox(), b.presetTextField(),
                                                          b.contextView()})
            out.push_back(w->isHidden() ? QRect() : w->geometry());
        return out;
    };
    // Armed a second time once a first pass left the row narrow and the controls at narrow places:
    // the row is measured wide and the controls start again from the wide layout.
    auto twice = armedAt(500);
    ASSERT_TRUE(twice->contextView()->siNarrow());
    twice->initPreviousWidth();
    EXPECT_EQ(twice->contextWidthMax(), 200);
    EXPECT_EQ(twice->previousWidth(), 300);
    EXPECT_EQ(frames(*twice), frames(*armedAt(500)));
    twice->setFrameYUp(QRectF(0, 0, 1300, 23));
    EXPECT_FALSE(twice->contextView()->siNarrow());
    EXPECT_EQ(twice->contextView()->geometry(), QRect(1100, 0, 200, 23));
    EXPECT_EQ(frames(*twice), frames(*armedAt(1300)));
    EXPECT_LE(twice->presetTextField()->geometry().right(), 1100) << "the row covers no control";

    // Armed again at another width, the controls stand where that width alone puts them.
    auto moved = armedAt(1300);
    moved->setFrameYUp(QRectF(0, 0, 420, 23));
    moved->initPreviousWidth();
    EXPECT_EQ(frames(*moved), frames(*armedAt(420)));
}

TEST_F(Bar, WideningAcross820KeepsTheBoxesHiddenUntilTheNextRefresh)
{
    bar->menuRuler(nullptr); // both boxes may show
    EXPECT_FALSE(bar->fromBox()->isHidden());
    EXPECT_FALSE(bar->toBox()->isHidden());
    bar->resize(700, 23);
    EXPECT_TRUE(bar->fromBox()->isHidden());
    bar->resize(900, 23);
    EXPECT_TRUE(bar->fromBox()->isHidden()) << "worked out with the width of the pass before";
    EXPECT_TRUE(bar->toBox()->isHidden());
    sched.advance(ZEVRulerViewbar::kDisplayPeriod);
    EXPECT_FALSE(bar->fromBox()->isHidden());
    EXPECT_FALSE(bar->toBox()->isHidden());
}

TEST_F(Bar, EachDisplayShowsItsBoxesAndButtons)
{
    context(now(), 3600, 3600);
    moveSearch(-7200);
    context(search(), 1800, 1800);
    bar->menuNowCurseur(nullptr);
    EXPECT_FALSE(bar->fromBox()->isHidden());
    EXPECT_FALSE(bar->toBox()->isHidden());
    EXPECT_TRUE(bar->stateOfNowButton());

    // The Now cursor's past edge within 0.15 s of its moment hides the From box.
    context(now(), 0.14, 3600);
    sched.advance(ZEVRulerViewbar::kDisplayPeriod);
    EXPECT_TRUE(bar->fromBox()->isHidden());
    EXPECT_FALSE(bar->toBox()->isHidden());
    context(now(), 3600, 0.1);
    sched.advance(ZEVRulerViewbar::kDisplayPeriod);
    EXPECT_FALSE(bar->fromBox()->isHidden());
    EXPECT_TRUE(bar->toBox()->isHidden());

    // The Search cursor never shows its Until box.
    bar->menuSearchCurseur(nullptr);
    EXPECT_EQ(space->actifCurseur(), search());
    EXPECT_FALSE(bar->fromBox()->isHidden());
    EXPECT_TRUE(bar->toBox()->isHidden());
    EXPECT_TRUE(bar->stateOfSearchButton());
    EXPECT_FALSE(bar->stateOfNowButton());

    // In the Ruler display the active cursor's button is mixed, and answers no.
    bar->menuRuler(nullptr);
    EXPECT_EQ(bar->selectedCurseur(), tlCurseur());
    EXPECT_EQ(bar->searchButton()->state(), kZEVStateMixed);
    EXPECT_EQ(bar->nowButton()->state(), kZEVStateOff);
    EXPECT_FALSE(bar->stateOfSearchButton());
    EXPECT_FALSE(bar->stateOfNowButton());
    EXPECT_TRUE(bar->stateOfRulerButton());
    EXPECT_FALSE(bar->fromBox()->isHidden());
    EXPECT_FALSE(bar->toBox()->isHidden());
    EXPECT_TRUE(strip->siRulerTime());
    EXPECT_EQ(space->actifCurseur(), search()) << "the Ruler display leaves the active cursor";
}

TEST_F(Bar, TheBoxesTakeTheirTintsFromTheHighlightCode)
{
    const KELSharedResources& r = space->host().sharedResources();
    const QColor blanc = r.presentActifColor(), gris = QColor::fromRgbF(1.0f / 3, 1.0f / 3, 1.0f / 3);
    context(now(), 3600, 3600);
    range(-86400, 86400);
    struct Case {
        char display; // N, S or R
        int code;
        QColor from, cursorOrUntil, fromText;
    };
    // Ruler: the Now cursor is active and lies inside the range: past tint before, future after.
    const Case cases[] = {
        {'N', 0, blanc, gris, Qt::black},
        {'N', 3, gris, blanc, r.passeActifColor()},
        {'N', 5, blanc, blanc, Qt::black},
        {'N', 10, gris, gris, r.passeActifColor()},
        {'S', 4, blanc, blanc, Qt::black},
        {'S', 0, blanc, gris, Qt::black},
        {'S', 10, gris, gris, r.passeActifColor()},
        {'R', 7, blanc, r.futurColor(), Qt::black},
        {'R', 8, r.passeColor(), blanc, Qt::black},
        {'R', 10, r.passeColor(), r.futurColor(), Qt::black},
    };
    for (const Case& c : cases) {
        bar->menuNowCurseur(nullptr);
        if (c.display == 'S')
            bar->menuSearchCurseur(nullptr);
        if (c.display == 'R')
            bar->menuRuler(nullptr);
        bar->setClickPositionForDisplay(c.code);
        bar->initierDeplacementCurseur();
        const std::string where = std::string(1, c.display) + std::to_string(c.code);
        EXPECT_EQ(bar->fromBox()->fillColor(), c.from) << where;
        EXPECT_EQ((c.display == 'S' ? bar->nowBox() : bar->toBox())->fillColor(), c.cursorOrUntil) << where;
        EXPECT_EQ(bar->fromDatePicker()->textColor(), c.fromText) << where;
    }
    // A code the display does not know leaves the tints; the end of a move brings 10 back.
    bar->menuNowCurseur(nullptr);
    bar->setClickPositionForDisplay(0);
    bar->initierDeplacementCurseur();
    bar->setClickPositionForDisplay(8);
    bar->initierDeplacementCurseur();
    EXPECT_EQ(bar->fromBox()->fillColor(), blanc);
    bar->terminerDeplacementCurseur();
    EXPECT_EQ(bar->clickPositionForDisplay(), 10);
    EXPECT_EQ(bar->fromBox()->fillColor(), gris);
    EXPECT_EQ(bar->nowDatePicker()->textColor(), QColor(Qt::white));
}

TEST_F(Bar, RedrawsRefreshTheDatesAtOnceAndOnceMoreAfterAPauseWithOneTitleRefreshWaiting)
{
    bar->menuSearchCurseur(nullptr);
    const auto shown = [this] { return bar->nowHourPicker()->dateChoisie().value_or(0); };
    const auto sur = [](double d) { return std::floor(d); };
    sched.advance(1);
    // The Search cursor moved behind the bar's back: the next redraw shows it at once...
    search()->decalerCurseur(3600);
    const std::size_t pending = sched.pendingCount();
    bar->majDatePicker();
    EXPECT_EQ(shown(), sur(search()->now()));
    // ...and the redraws that follow within 0.05 s wait for the trailing refresh.
    search()->decalerCurseur(60);
    for (int i = 0; i < 10; ++i)
        bar->majDatePicker();
    EXPECT_EQ(shown(), sur(search()->now() - 60));
    EXPECT_EQ(sched.pendingCount(), pending + 2) << "the trailing refresh and one title refresh";
    sched.runTurn();
    EXPECT_TRUE(space->spaceWindow()->windowTitle().endsWith(QStringLiteral("  (Futur)"))) << space->spaceWindow()->windowTitle().toStdString();
    sched.advance(ZEVRulerViewbar::kThrottle);
    EXPECT_EQ(shown(), sur(search()->now()));
    search()->decalerCurseur(60);
    bar->majDatePicker();
    EXPECT_EQ(shown(), sur(search()->now())) << "the gate is open again";

    // A hidden bar shows nothing new.
    bar->hide();
    sched.advance(1);
    const double avant = shown();
    search()->decalerCurseur(60);
    bar->majDatePicker();
    EXPECT_EQ(shown(), avant);
}

TEST_F(Bar, TheDatesRunEveryHalfSecondWhileTheBarOrTheCalendarShows)
{
    EXPECT_TRUE(bar->siDisplayTimer());
    bar->hide();
    EXPECT_FALSE(bar->siDisplayTimer());
    bar->showRulerPickerPanel(true);
    EXPECT_TRUE(bar->siShowRulerPickerPanel());
    EXPECT_TRUE(bar->siDisplayTimer());
    EXPECT_EQ(take(), Trace{"front calendar on"});
    bar->show();
    bar->showRulerPickerPanel(false);
    EXPECT_TRUE(bar->siDisplayTimer()) << "the bar still shows";
    // The calendar opened under the bar goes with it; one opened with the bar hidden stays, and
    // the dates keep running for it.
    bar->showRulerPickerPanel(true);
    bar->hide();
    EXPECT_FALSE(bar->siShowRulerPickerPanel()) << "the calendar went with the bar";
    EXPECT_FALSE(bar->siDisplayTimer());
    bar->showRulerPickerPanel(true);
    EXPECT_TRUE(bar->siDisplayTimer()) << "the calendar still shows";
    bar->showRulerPickerPanel(false);
    EXPECT_FALSE(bar->siDisplayTimer());
    EXPECT_FALSE(bar->siShowRulerPickerPanel());
}

TEST_F(Bar, OnlyTheCursorsPickersTakeTheKeyboardOnlyForTheSearchCursorAndOnlyByAClick)
{
    QWidget* fenetre = space->spaceWindow();
    for (KELICurseur* c : {now(), search(), tlCurseur()}) {
        bar->majMenubarForCurseur(c);
        const bool s = c == search();
        EXPECT_EQ(bar->nowDatePicker()->acceptsFirstResponder(), s);
        EXPECT_EQ(bar->nowHourPicker()->acceptsFirstResponder(), s);
        EXPECT_EQ(bar->nowHourPicker()->focusPolicy(), s ? Qt::ClickFocus : Qt::NoFocus);
        EXPECT_FALSE(bar->fromDatePicker()->acceptsFirstResponder());
        EXPECT_FALSE(bar->toDatePicker()->acceptsFirstResponder());
        // Nothing the window's Tab walk or its activation would focus hands the keys to a picker.
        for (QWidget* w = fenetre->nextInFocusChain(); w != fenetre; w = w->nextInFocusChain()) {
            const QWidget* cible = w->focusProxy() ? w->focusProxy() : w;
            if (w->focusPolicy() & Qt::TabFocus) {
                EXPECT_FALSE(qobject_cast<const ZEVRulerDatePicker*>(cible)) << w->metaObject()->className();
            }
        }
    }
}

TEST_F(Bar, ABoxMenuLightsItsPartUntilItIsDismissedOrItsMoveEnds)
{
    context(now(), 3600, 3600);
    bar->menuNowCurseur(nullptr);
    // While a move runs: a beep and no menu.
    ASSERT_TRUE(viewer->userInitieDeplacementCurseur());
    EXPECT_EQ(bar->fromBox()->menuForEvent(), nullptr);
    EXPECT_EQ(sound.beeps, 1);
    viewer->userTermineDeplacementCurseur();

    struct Case {
        ZEVRulerBox* box;
        int code;
    };
    for (const Case& c : {Case{bar->fromBox(), 0}, Case{bar->toBox(), 1}, Case{bar->nowBox(), 4}}) {
        QMenu* m = c.box->menuForEvent();
        ASSERT_NE(m, nullptr);
        m->popup(QPoint(0, 0));
        EXPECT_EQ(view(now())->clickPositionForDisplay(), c.code);
        m->hide();
        EXPECT_EQ(view(now())->clickPositionForDisplay(), c.code) << "dismissed or chosen: known on the next turn";
        sched.runTurn();
        EXPECT_EQ(view(now())->clickPositionForDisplay(), 10);
    }

    // Qt hides the menu before it sends the chosen item: the item's move keeps the light until
    // it ends. Going to Now glides the Search cursor there.
    moveSearch(-7200);
    bar->menuSearchCurseur(nullptr);
    QMenu* m = bar->nowBox()->menuForEvent();
    m->popup(QPoint(0, 0));
    m->hide();
    for (QAction* a : m->actions())
        if (a->data().toInt() == ZEVRulerViewbar::kTagGoToNow)
            a->trigger();
    sched.runTurn();
    EXPECT_FALSE(viewer->siAccepteDeplacement());
    EXPECT_EQ(view(search())->clickPositionForDisplay(), 4);
    finish();
    EXPECT_EQ(view(search())->clickPositionForDisplay(), 10);
    EXPECT_NEAR(search()->now(), now()->now(), 2) << "where the Now cursor was when the item was chosen";

    // The timeline's menus light the strip; the Search items show only for the Search cursor.
    bar->menuRuler(nullptr);
    m = bar->toBox()->menuForEvent();
    m->popup(QPoint(0, 0));
    EXPECT_EQ(strip->clickPosition(), 1);
    m->hide();
    sched.runTurn();
    EXPECT_EQ(strip->clickPosition(), 10);
    for (KELICurseur* c : {now(), search(), tlCurseur()}) {
        bar->majMenubarForCurseur(c);
        m = bar->nowBox()->menuForEvent();
        int shown = 0;
        for (QAction* a : m->actions())
            if (a->data().toInt() >= ZEVRulerViewbar::kTagGoToNow)
                shown += a->isVisible();
        EXPECT_EQ(shown, c == search() ? 2 : 0);
    }
}

TEST_F(Bar, TheWheelGoesToTheStripTheActiveCursorsViewOrTheRulerViewer)
{
    context(now(), 3600, 3600);
    bar->menuNowCurseur(nullptr);
    auto roue = [](QWidget* w, double dy) {
        const QPointF p(5, 5);
        QWheelEvent e(p, w->mapToGlobal(p), QPoint(), QPoint(0, int(dy * 120)), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, true);
        QApplication::sendEvent(w, &e);
    };
    roue(bar->fromBox(), 1);
    EXPECT_EQ(bar->fromBox()->targetView(), viewer->curseurViewForCurseur(now()));
    EXPECT_FALSE(viewer->siAccepteDeplacement()) << "the past edge's wheel gesture";
    sched.advance(1);
    EXPECT_TRUE(viewer->siAccepteDeplacement());

    // With the Ruler button on, the From box moves the range's in-edge alone.
    bar->menuRuler(nullptr);
    const double in = tl()->nowIn(), out = tl()->nowOut(), k = viewer->rulerRatio();
    roue(bar->fromBox(), 1);
    EXPECT_EQ(bar->fromBox()->targetView(), static_cast<ZEVTlineViewServices*>(strip));
    EXPECT_NEAR(tl()->nowIn() - in, k, 1e-6);
    EXPECT_NEAR(tl()->nowOut(), out, 1e-6);
    EXPECT_EQ(strip->clickPosition(), 0);
    EXPECT_EQ(bar->fromBox()->fillColor(), space->host().sharedResources().presentActifColor());
    sched.advance(1);
    EXPECT_TRUE(viewer->siAccepteDeplacement());
    EXPECT_EQ(strip->clickPosition(), 10);

    // The bar's background zooms the strip about the active cursor.
    const double span = tl()->nowOut() - tl()->nowIn(), k2 = viewer->rulerRatio();
    roue(bar, 1);
    EXPECT_NEAR(span - (tl()->nowOut() - tl()->nowIn()), 10 * k2, 1e-3);
    sched.advance(1);
    // The preset buttons' box hands the wheel to the active cursor's view, as the desk does: a
    // sideways turn goes to the Search cursor.
    bar->menuNowCurseur(nullptr);
    const QPointF p(5, 5);
    QWheelEvent sideways(p, bar->scrollBox()->mapToGlobal(p), QPoint(), QPoint(120, 0), Qt::NoButton, Qt::NoModifier,
                         Qt::NoScrollPhase, true);
    QApplication::sendEvent(bar->scrollBox(), &sideways);
    EXPECT_EQ(space->actifCurseur(), search());
    sched.advance(1);
}
