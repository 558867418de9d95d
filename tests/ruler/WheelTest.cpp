// The cursor views' wheel, pinch and key steps: the step arithmetic on its own (edge steps with
// their cut and limits, the whole-context split, the stop on the Now cursor), then the views on a
// real Space and strip: edge steps and their "Tink", the timeline toggled once, refused ranges,
// pinches, the Channel wheel, the Search cursor held on the Now cursor, the key steps, and gestures
// that were granted no move.

#include "ruler/ZEVTlineWheelSteps.h"
#include "tests/ruler/RulerFixture.h"

#include <cmath>

using namespace rulertest;
using I = ZEVPasDeBord::Issue;

TEST(WheelSteps, AnEdgeStepSlidesOrIsCutAtATenthOfASecondAndLeavesShortContextsAlone)
{
    // A day on the strip, an hour of context: k = 24.
    struct Case {
        ZEVBord bord;
        double a, C, ecart;
        I issue;
        double e, r;
        bool coupe;
    };
    const Case cases[] = {
        {ZEVBord::In, 2400, 3600, 1800, I::Pas, -100, 2400, false},    // widens
        {ZEVBord::Out, -2400, 3600, 1800, I::Pas, -100, -2400, false}, // narrows
        {ZEVBord::In, -2400, 3600, 50, I::Pas, 49.9, -1197.6, true},   // cut to 0.1 s
        {ZEVBord::Out, -2400, 3600, 30, I::Pas, -29.9, -717.6, true},
        {ZEVBord::In, -2400, 3600, 0.10001, I::Limite, 0, 0, false},
        {ZEVBord::Out, -1, 3600, 0.1, I::Limite, 0, 0, false},
        {ZEVBord::In, 2400, 3600, 0.1, I::Pas, -100, 2400, false}, // away from the limit
        {ZEVBord::In, 0, 3600, 1800, I::Zero, 0, 0, false},
        {ZEVBord::In, std::nan(""), 3600, 1800, I::Zero, 0, 0, false},
        {ZEVBord::In, 2400, 0.2, 0.1, I::ContexteCourt, 0, 0, false},
        {ZEVBord::Out, 2400, 0.20001, 0.1, I::ContexteCourt, 0, 0, false},
        {ZEVBord::Out, 2400, 0, 0, I::Zero, 0, 0, false},
    };
    for (const Case& c : cases) {
        const ZEVPasDeBord p = pasDeBord(c.bord, c.a, 86400, c.C, c.ecart);
        EXPECT_EQ(p.issue, c.issue) << c.a << " " << c.C << " " << c.ecart;
        EXPECT_NEAR(p.e, c.e, 1e-9) << c.a << " " << c.ecart;
        EXPECT_NEAR(p.r, c.r, 1e-6) << c.a << " " << c.ecart;
        EXPECT_EQ(p.coupe, c.coupe) << c.a << " " << c.ecart;
    }
}

TEST(WheelSteps, RescalingKeepsTheInEdgesPlaceAndTheContextsShareOfTheStrip)
{
    const double S = 86400, rIn = 1000, cIn = 30000, C = 3600;
    for (ZEVBord bord : {ZEVBord::In, ZEVBord::Out}) {
        const ZEVPasDeBord p = pasDeBord(bord, 2400, S, C, 1800);
        const ZEVDecalage d = reechelonner(bord, p.e, p.r, cIn - rIn, S);
        const double inApres = cIn + (bord == ZEVBord::In ? p.e : 0);
        const double cApres = C + (bord == ZEVBord::In ? -p.e : p.e);
        const double span = S + d.out - d.in;
        EXPECT_NEAR(span, S + p.r, 1e-9);
        EXPECT_NEAR((inApres - (rIn + d.in)) / span, (cIn - rIn) / S, 1e-12);
        EXPECT_NEAR(cApres / span, C / S, 1e-12);
    }
}

TEST(WheelSteps, TheWholeContextSharesItsChangeByTheCursorsPlaceAndKeepsMoreThanAFifthOfASecond)
{
    // 1,000 points; the context from 0.2 to 0.6 of the strip, its cursor at 0.3: phi = 1/4.
    ZEVPasDuContexte p = pasDuContexte(100, 1001, 0.3, 0.2, 0.6, 1000);
    ASSERT_TRUE(p.pris);
    EXPECT_NEAR(p.phi, 0.25, 1e-12);
    EXPECT_NEAR(p.in, 10, 1e-9);
    EXPECT_NEAR(p.out, -30, 1e-9);
    // A negative amount (fingers spread) widens.
    p = pasDuContexte(-100, 1001, 0.3, 0.2, 0.6, 1000);
    EXPECT_NEAR(p.in, -10, 1e-9);
    EXPECT_NEAR(p.out, 30, 1e-9);
    EXPECT_FALSE(pasDuContexte(100, 1001, 0.3, 0.2, 0.6, 40.1).pris);
    EXPECT_TRUE(pasDuContexte(100, 1001, 0.3, 0.2, 0.6, 40.3).pris);
    // Edges on one point count as one point wide.
    p = pasDuContexte(100, 1001, 0.5, 0.5, 0.5, 1);
    ASSERT_TRUE(p.pris);
    EXPECT_NEAR(p.u, 0.1, 1e-12);
    EXPECT_FALSE(pasDuContexte(100, 1, 0.5, 0.2, 0.6, 1000).pris);
}

TEST(WheelSteps, TheSearchCursorStopsOnTheNowCursorOnlyWhenMovingTowardsIt)
{
    struct Case {
        double m, g0, n, pas;
        bool surPlace;
    };
    const Case cases[] = {
        {30, 0, 100, 30, false}, // began on the Now cursor
        {30, 100, 100, 30, false},   {150, 100, 100, 100, true},   {-30, 100, 100, -30, false},
        {-80, -100, -50, -50, true}, {-20, -100, -50, -20, false}, {10, 100, 0, 0, true}, // already on it
    };
    for (const Case& c : cases) {
        const ZEVPasVersNow p = pasVersNow(c.m, c.g0, c.n);
        EXPECT_EQ(p.pas, c.pas) << c.m << " " << c.g0 << " " << c.n;
        EXPECT_EQ(p.surPlace, c.surPlace) << c.m << " " << c.g0 << " " << c.n;
    }
}

using Wheel = LiveRuler;

TEST_F(Wheel, TheNowInEdgeStopsATenthOfASecondFromItsCursorWithOneTinkAndTheGestureEndsAfterAPause)
{
    context(30, 600);
    const double x = nowView->beginRect().center().x();
    const double lieu = place(now()->nowIn());
    take();
    // Narrowing: a wheel step of the grip slides the range with the edge.
    overStrip(x, 8, 0.2);
    EXPECT_FALSE(viewer->siAccepteDeplacement());
    EXPECT_GT(now()->contexte()->offsetIn(), -30);
    EXPECT_NEAR(place(now()->nowIn()), lieu, 1e-6);
    for (int i = 0; i < 40; ++i)
        overStrip(x, 8, 0.2);
    EXPECT_NEAR(now()->contexte()->offsetIn(), -0.1, 1e-6);
    // At the limit every step keeps the gesture alive, and nothing more is heard.
    sched.advance(0.3);
    overStrip(x, 8, 0.2);
    sched.advance(0.3);
    EXPECT_FALSE(viewer->siAccepteDeplacement());
    sched.advance(0.11);
    EXPECT_TRUE(viewer->siAccepteDeplacement());
    EXPECT_FALSE(nowView->siInitieSrollWheel());
    EXPECT_EQ(tinks(), 1);
    EXPECT_EQ(count(take(), "history mark"), 1u);
}

TEST_F(Wheel, ThePastSidePushedAgainstItsLimitTogglesTheTimelineOnceAndTheFirstStepOpensIt)
{
    oneMove([&] { viewer->userPlaceContexteInToZero(); });
    take();
    // The past step, with Ctrl over the desk, kept alive 0.2 s at a time.
    desk(0, 1, Qt::ControlModifier);
    desk(0, 1, Qt::ControlModifier);
    EXPECT_EQ(count(take(), "front openTlineAndTracks"), 1u) << "toggled once, opening a closed timeline";
    sched.advance(0.15);
    EXPECT_FALSE(viewer->siAccepteDeplacement());
    sched.advance(0.06);
    EXPECT_TRUE(viewer->siAccepteDeplacement());

    // A widening step first: the timeline is opened once; pushed to the limit later in the same
    // gesture, it is not toggled.
    desk(0, -1, Qt::ControlModifier);
    for (int i = 0; i < 30; ++i)
        desk(0, 1, Qt::ControlModifier);
    const Trace t = take();
    EXPECT_EQ(count(t, "front openTline"), 1u);
    EXPECT_EQ(count(t, "front openTlineAndTracks"), 0u);
    EXPECT_NEAR(now()->contexte()->offsetIn(), -0.1, 1e-6);
}

TEST_F(Wheel, AContextOfAFifthOfASecondIsLeftToTheEdgeStepsButTheHandleWidensItAndARefusedRangeEndsTheMove)
{
    context(0.1, 0.1);
    desk(0, -1, Qt::ShiftModifier); // the future step
    EXPECT_NEAR(now()->contexte()->offsetOut(), 0.1, 1e-9);
    sched.advance(0.41);
    // The whole-context step of the handle can widen it: the range widens with it.
    const double s = span(), z = 10 * k();
    overStrip(nowView->curseurRect().center().x(), 25, -1);
    EXPECT_GT(now()->contexte()->offsetOut(), 0.1);
    EXPECT_NEAR(span(), s + z, 1e-6);
    sched.advance(0.41);

    // The range refuses to become shorter than 60 s: the gesture's move ends at once.
    range(-60, 60);
    context(90, 10);
    take();
    QWheelEvent e = roue(0, 70 / (10 * k()));
    nowView->scrollWheelWithFromBox(&e); // the past step rescales the range
    EXPECT_TRUE(viewer->siAccepteDeplacement());
    EXPECT_FALSE(nowView->siInitieSrollWheel());
    EXPECT_NEAR(now()->contexte()->offsetIn(), -90, 1e-9);
    EXPECT_EQ(count(take(), "history mark"), 1u);
}

TEST_F(Wheel, TheHandleStepNarrowsBothSidesByTheCursorsPlaceAboutTheCursor)
{
    context(300, 900);
    const double in = now()->contexte()->offsetIn(), out = now()->contexte()->offsetOut();
    const double lieu = place(now()->now());
    overStrip(nowView->curseurRect().center().x(), 25, 1);
    const double dIn = now()->contexte()->offsetIn() - in, dOut = now()->contexte()->offsetOut() - out;
    ASSERT_GT(dIn, 0);
    EXPECT_NEAR(dIn / -dOut, 1.0 / 3.0, 0.02) << "a quarter of the context lies before the cursor";
    EXPECT_NEAR(place(now()->now()), lieu, 1e-6) << "the range zooms about the cursor";
}

TEST_F(Wheel, TheWheelOverTheDeskSwitchesChannelsAfterFourThenEightWithoutAMove)
{
    for (const char* name : {"Two", "Three"})
        ASSERT_NE(space->newIdentityNamed(name), nullptr);
    const std::vector<KELI*> channels = space->allIdentities();
    const auto at = std::find_if(channels.begin(), channels.end(),
                                 [&](KELI* c) { return c->idInt() == space->currentChannelInt(); });
    ASSERT_GE(channels.end() - at, 3) << "two Channels after the current one";
    take();
    // Steps to take, in lines, and the Channel then current.
    const std::pair<int, KELI*> steps[] = {{4, at[0]}, {1, at[1]}, {8, at[1]}, {1, at[2]}, {-9, at[1]}};
    for (const auto& [n, channel] : steps) {
        for (int i = 0; i < std::abs(n); ++i)
            desk(0, n > 0 ? 1 : -1);
        EXPECT_EQ(space->currentChannelInt(), channel->idInt()) << n;
    }
    EXPECT_TRUE(viewer->siAccepteDeplacement()) << "switching Channels holds no move";
    sched.advance(0.41);
    const Trace t = take();
    EXPECT_EQ(count(t, "history mark"), 3u) << "each Channel reached is a place of its own; no move adds one";
    EXPECT_EQ(count(t, "front setGotoOff"), 1u) << "0.2 s after the last step";
}

TEST_F(Wheel, KeyStepsAreEightPointsTheNowCursorWithTheRangeAndTheSearchCursorAlone)
{
    // The Now cursor goes forward with the range; held left, it comes back to its reference
    // cursor's offset and no further.
    KELICurseur* sup = now()->curseurSup();
    ASSERT_NE(sup, nullptr);
    const double lieu = place(now()->now());
    ASSERT_TRUE(viewer->userInitieDeplacementCurseur());
    viewer->userBougeCurseurADroite();
    sched.advance(0.31);
    viewer->userTermineDeplacementCurseur();
    EXPECT_NEAR(now()->offsetDouble() - sup->offsetDouble(), 3 * 8 * k(), 1e-6);
    EXPECT_NEAR(place(now()->now()), lieu, 1e-6) << "the range moves with the Now cursor";
    ASSERT_TRUE(viewer->userInitieDeplacementCurseur());
    viewer->userBougeCurseurAGauche();
    sched.advance(0.9);
    viewer->userTermineDeplacementCurseur();
    EXPECT_EQ(now()->offsetDouble(), sup->offsetDouble());
    // With Shift the out-edge takes the steps.
    viewer->setModifiersReader([] { return Qt::KeyboardModifiers(Qt::ShiftModifier); });
    const double out = now()->contexte()->offsetOut(), in = now()->contexte()->offsetIn(), pas = 8 * k();
    oneMove([&] { viewer->userAgranditContexte(); });
    EXPECT_NEAR(now()->contexte()->offsetOut() - out, pas, 1e-6);
    EXPECT_EQ(now()->contexte()->offsetIn(), in);
    viewer->setModifiersReader([] { return Qt::KeyboardModifiers(); });

    // The Search cursor: 8 points' worth of time per repeat, the range staying; it also follows
    // the clock.
    viewer->userChangeActifCurseur(search());
    const double s = search()->now(), r = tl()->offsetIn();
    ASSERT_TRUE(viewer->userInitieDeplacementCurseur());
    viewer->userBougeCurseurADroite();
    sched.advance(0.31);
    viewer->userTermineDeplacementCurseur();
    EXPECT_NEAR(search()->now() - s, 3 * 8 * k() + 0.31, 1e-3);
    EXPECT_EQ(tl()->offsetIn(), r);
}

TEST_F(Wheel, AGestureStepsAndEndsOnlyTheMoveItWasGranted)
{
    // During an animation: the Now view's Channel wheel holds no move and ends none.
    viewer->userAnimeRuler(1.5, -3000, 0);
    desk(0, 1);
    EXPECT_TRUE(nowView->siInitieSrollWheel());
    sched.advance(0.45);
    EXPECT_FALSE(nowView->siInitieSrollWheel());
    EXPECT_FALSE(viewer->siAccepteDeplacement()) << "the animation's move goes on";
    sched.advance(1.2);
    EXPECT_TRUE(viewer->siAccepteDeplacement());

    // The Search view's wheels take no step in another's move, and their stops end nothing.
    viewer->userChangeActifCurseur(search());
    context(600, 600);
    const double x = searchView->beginRect().center().x();
    const double in = search()->contexte()->offsetIn(), s = search()->now();
    ASSERT_TRUE(viewer->userInitieDeplacementCurseur());
    overStrip(x, 5, 1);
    QWheelEvent e = roue(1, 3);
    searchView->scrollWheelEntityWithEvent(&e);
    EXPECT_EQ(search()->contexte()->offsetIn(), in);
    EXPECT_EQ(search()->now(), s);
    sched.advance(0.5);
    EXPECT_FALSE(viewer->siAccepteDeplacement());
    viewer->userTermineDeplacementCurseur();

    // A menu ends the gesture at once.
    desk(0, 1);
    EXPECT_FALSE(viewer->siAccepteDeplacement());
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(x, 30), QPointF(x, 30), QPointF(x, 30), Qt::RightButton,
                      Qt::RightButton, {});
    EXPECT_EQ(searchView->menuForEvent(&press), searchView->menuContexteIn());
    EXPECT_TRUE(viewer->siAccepteDeplacement());
}

TEST_F(Wheel, TheSearchInEdgeSlidesTheRangeUnderTheWheelAndRescalesItUnderThePinchCtrlTheOtherWay)
{
    viewer->userChangeActifCurseur(search());
    context(600, 600);
    // Each gesture is one step from the same place, then its pause ends it.
    auto pas = [&](const std::function<void()>& geste) {
        const double s0 = span(), in0 = search()->contexte()->offsetIn();
        geste();
        const bool bouge = search()->contexte()->offsetIn() != in0;
        const bool reechelonne = std::fabs(span() - s0) > 1e-6;
        // The pinch's pause is the longer.
        sched.advance(ZEVTlineCurseurView::kArretPincement + 0.05);
        EXPECT_TRUE(viewer->siAccepteDeplacement());
        return std::pair<bool, bool>{bouge, reechelonne};
    };
    const double x = searchView->beginRect().center().x();
    auto pince = [&](Qt::KeyboardModifiers m) {
        QNativeGestureEvent e(Qt::ZoomNativeGesture, QPointingDevice::primaryPointingDevice(), 2, QPointF(x, 300),
                              QPointF(x, 300), QPointF(), 0.05, QPointF());
        e.setModifiers(m);
        searchView->magnify(&e);
    };
    EXPECT_EQ(pas([&] { overStrip(x, 5, 0.2); }), (std::pair<bool, bool>{true, false})) << "the wheel slides";
    EXPECT_EQ(pas([&] { overStrip(x, 5, 0.2, Qt::ControlModifier); }), (std::pair<bool, bool>{true, true}))
        << "the wheel with Ctrl rescales";
    EXPECT_EQ(pas([&] { pince({}); }), (std::pair<bool, bool>{true, true})) << "the pinch rescales";
    EXPECT_EQ(pas([&] { pince(Qt::ControlModifier); }), (std::pair<bool, bool>{true, false}))
        << "the pinch with Ctrl slides";
}
