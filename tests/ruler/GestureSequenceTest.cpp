// Seeded random sequences of the user's gestures on the ruler (presses and drags on the strip,
// wheels over the strip, the desk and the bar's boxes, pinches, menus, zooms, animations, key
// repeats, cursor changes, files dragged over the strip) with the virtual clock advancing between them. After every step: at
// most one move runs, every participant was told of its start and end in pairs, one history entry
// per completed move, and no step or animation tick is left pending once the ruler is idle.
//
// A failure prints its seed; TALLOMER_GESTURE_SEED=<seed> runs that sequence first, and
// TALLOMER_GESTURE_SEQUENCES sets how many run.

#include "tests/ruler/RulerFixture.h"

#include <QDragEnterEvent>
#include <QMimeData>
#include <QUrl>

#include <random>

using namespace rulertest;

namespace {

long envOr(const char* name, long fallback)
{
    bool ok = false;
    const long v = qEnvironmentVariable(name).toLong(&ok);
    return ok ? v : fallback;
}

class GestureSequence : public LiveRuler {
protected:
    void verifier(const std::string& where)
    {
        // What the participants were told so far.
        const Trace t = take();
        frontTold += long(count(t, "front initier")) - long(count(t, "front terminer"));
        history += long(count(t, "history mark"));
        const bool moving = !viewer->siAccepteDeplacement();
        const long bars = long(viewer->mouvementsCommences() - viewer->mouvementsTermines());
        ASSERT_TRUE(bars == 0 || bars == 1) << where;
        ASSERT_EQ(bars == 1, moving) << where;
        ASSERT_EQ(frontTold, bars) << where;
        ASSERT_EQ(history, long(viewer->mouvementsTermines())) << where << ": one history entry per completed move";
        if (!moving) {
            ASSERT_FALSE(ticking(viewer)) << where << ": a tick pending while the ruler is idle";
        }
        // The animations' steps add up to the floor within rounding.
        ASSERT_GE(tl()->nowOut() - tl()->nowIn(), ZEVRulerViewer::kSpanMin - 1e-3) << where;
        ASSERT_LE(tl()->nowOut() - tl()->nowIn(), ZEVRulerViewer::kSpanMax) << where;
    }
    QWheelEvent roueAuHasard(std::mt19937& rng, QPointF at, Qt::KeyboardModifiers m)
    {
        std::uniform_int_distribution<int> delta(-360, 360);
        const bool vertical = rng() % 3 != 0;
        const QPoint angle =
            vertical ? QPoint(int(rng() % 40) - 20, delta(rng)) : QPoint(delta(rng), int(rng() % 40) - 20);
        return QWheelEvent(at, at, QPoint(), angle, Qt::NoButton, m, Qt::NoScrollPhase, rng() % 2 == 0);
    }
    Qt::KeyboardModifiers modifiers(std::mt19937& rng)
    {
        static const Qt::KeyboardModifiers choix[] = {
            {}, {}, {}, Qt::ControlModifier, Qt::ShiftModifier, Qt::AltModifier, Qt::ControlModifier | Qt::AltModifier};
        return choix[rng() % std::size(choix)];
    }

    // One gesture of the user, chosen by the generator.
    void pas(std::mt19937& rng, int& step)
    {
        geometrie();
        std::uniform_real_distribution<double> x(0, strip->largeur());
        std::uniform_real_distribution<double> y(0, 36);
        KELICurseur* curseurs[] = {now(), search(), space->tlCurseur()};
        const Qt::KeyboardModifiers m = modifiers(rng);
        viewer->setModifiersReader([m] { return m; });
        step = int(rng() % 16);
        switch (step) {
        case 0: // a press, or the release of the one held
            mouse(pressed ? QEvent::MouseButtonRelease : QEvent::MouseButtonPress, x(rng), y(rng), Qt::LeftButton, m);
            pressed = !pressed;
            break;
        case 1:
            if (pressed)
                mouse(QEvent::MouseMove, x(rng), y(rng), Qt::NoButton, m);
            break;
        case 2: {
            const QPointF local(x(rng), y(rng));
            QWheelEvent e = roueAuHasard(rng, local, m);
            QApplication::sendEvent(strip, &e);
            break;
        }
        case 3: {
            QWheelEvent e = roueAuHasard(rng, QPointF(x(rng), 300), m);
            viewer->scrollWheelWithEvent(&e);
            break;
        }
        case 4: {
            std::uniform_real_distribution<double> mag(-0.2, 0.2);
            QNativeGestureEvent e(Qt::ZoomNativeGesture, QPointingDevice::primaryPointingDevice(), 2,
                                  QPointF(x(rng), 300), QPointF(x(rng), 300), QPointF(), mag(rng), QPointF());
            viewer->magnify(&e);
            break;
        }
        case 5: { // the bar's boxes and the entity wheel of the active cursor's view
            using Boite = void (ZEVTlineCurseurViewServices::*)(QWheelEvent*);
            static constexpr Boite kBoites[] = {
                &ZEVTlineCurseurViewServices::scrollWheelWithFromBox, &ZEVTlineCurseurViewServices::scrollWheelWithPeriodBox,
                &ZEVTlineCurseurViewServices::scrollWheelWithUntilBox,
                &ZEVTlineCurseurViewServices::scrollWheelEntityWithEvent};
            QWheelEvent e = roueAuHasard(rng, QPointF(), m);
            (viewer->curseurViewForActifCurseur()->*kBoites[rng() % 4])(&e);
            break;
        }
        case 6: {
            const auto famille = ZEVZoomFamille(rng() % 3);
            const auto unite = ZEVZoomUnite(rng() % 8);
            viewer->userZoom(famille, unite, curseurs[rng() % 3]);
            break;
        }
        case 7: {
            std::uniform_real_distribution<double> d(-5000, 5000);
            const float duree = float(rng() % 4) * 0.5f;
            switch (rng() % 5) {
            case 0:
                viewer->userAnimeRuler(duree, d(rng), d(rng));
                break;
            case 1:
                viewer->userAnimeNow(duree, d(rng) / 10, d(rng) / 10, d(rng), d(rng));
                break;
            case 2:
                viewer->userAnimeCurseurToDate(viewer->tlCurseur()->now() + d(rng));
                break;
            case 3:
                viewer->userZoomPrevZero(curseurs[rng() % 2]);
                break;
            default:
                viewer->userDesactiveAnimer();
                break;
            }
            break;
        }
        case 8: // the link base browser's arrow keys: a move, a repeat, then the key up
            if (keyMove) {
                viewer->userTermineDeplacementCurseur();
                keyMove = false;
            } else if (viewer->userInitieDeplacementCurseur()) {
                static constexpr void (ZEVRulerViewer::*kTouches[])() = {
                    &ZEVRulerViewer::userBougeCurseurAGauche, &ZEVRulerViewer::userBougeCurseurADroite,
                    &ZEVRulerViewer::userAgranditContexte, &ZEVRulerViewer::userDiminueContexte};
                keyMove = true;
                (viewer->*kTouches[rng() % 4])();
            }
            break;
        case 9:
            if (viewer->siAccepteDeplacement())
                viewer->userChangeActifCurseur(curseurs[rng() % 2]);
            break;
        case 10: {
            QMouseEvent e(QEvent::MouseButtonPress, QPointF(x(rng), 5), QPointF(x(rng), 5), QPointF(), Qt::RightButton,
                          Qt::RightButton, {});
            view(rng() % 2)->menuForEvent(&e);
            break;
        }
        case 11:
            rng() % 2 ? space->menuChannelDown() : space->menuChannelUp();
            break;
        case 12: // files dragged over the strip: in, about, out
            if (!dragging) {
                QDragEnterEvent e(QPoint(int(x(rng)), 10), Qt::CopyAction, &files, Qt::LeftButton, m);
                QApplication::sendEvent(strip, &e);
                dragging = true;
            } else if (rng() % 3 == 0) {
                QDragLeaveEvent e;
                QApplication::sendEvent(strip, &e);
                dragging = false;
            } else {
                QDragMoveEvent e(QPoint(int(x(rng)), 10), Qt::CopyAction, &files, Qt::LeftButton, m);
                QApplication::sendEvent(strip, &e);
            }
            break;
        default: {
            std::uniform_real_distribution<double> t(0.01, 0.8);
            sched.advance(t(rng));
            break;
        }
        }
    }

    // Each sequence starts from the same places: the Now cursor active with an hour of context in
    // a day of range, the Search cursor an hour before it.
    void depart()
    {
        files.setUrls({QUrl::fromLocalFile(QStringLiteral("/tmp/a.txt"))});
        viewer->userChangeActifCurseur(search());
        ASSERT_TRUE(viewer->userInitieDeplacementCurseur());
        viewer->userPlaceCurseurToDate(now()->now() - 3600);
        search()->decalerContexteIn(-600 - search()->contexte()->offsetIn());
        viewer->userTermineDeplacementCurseur();
        viewer->userChangeActifCurseur(now());
        ASSERT_TRUE(viewer->userInitieDeplacementCurseur());
        tl()->setOffsetInOffsetOut(-43200, 43200);
        now()->decalerContexteIn(-1800 - now()->contexte()->offsetIn());
        now()->decalerContexteOut(1800 - now()->contexte()->offsetOut());
        viewer->userTermineDeplacementCurseur();
    }

    // Back to rest: held keys and buttons let go, the clock past every stop and tick.
    void repos()
    {
        if (pressed)
            mouse(QEvent::MouseButtonRelease, 10, 10, Qt::LeftButton, {});
        pressed = false;
        if (keyMove)
            viewer->userTermineDeplacementCurseur();
        keyMove = false;
        if (dragging) {
            QDragLeaveEvent e;
            QApplication::sendEvent(strip, &e);
        }
        dragging = false;
        viewer->setModifiersReader([] { return Qt::KeyboardModifiers(); });
        sched.advance(2.5);
    }

    long frontTold = 0, history = 0;
    bool pressed = false;
    bool keyMove = false;
    bool dragging = false;
    QMimeData files;
};

} // namespace

TEST_F(GestureSequence, EverySequenceKeepsOneMoveAtATimeItsParticipantsInPairsAndNoTickWhenIdle)
{
    const long sequences = envOr("TALLOMER_GESTURE_SEQUENCES", 5000);
    const long premier = envOr("TALLOMER_GESTURE_SEED", 1);
    for (long n = 0; n < sequences; ++n) {
        const unsigned seed = unsigned(n == 0 ? premier : premier + n);
        std::mt19937 rng(seed);
        depart();
        verifier("seed " + std::to_string(seed) + " at the start");
        if (HasFatalFailure())
            return;
        const int steps = 10 + int(rng() % 30);
        for (int i = 0; i < steps; ++i) {
            int kind = -1;
            pas(rng, kind);
            verifier("seed " + std::to_string(seed) + ", step " + std::to_string(i) + " (gesture " +
                     std::to_string(kind) + ")");
            if (HasFatalFailure())
                return;
        }
        repos();
        verifier("seed " + std::to_string(seed) + " at rest");
        if (HasFatalFailure())
            return;
        ASSERT_TRUE(viewer->siAccepteDeplacement()) << "seed " << seed << ": a move left running";
        ASSERT_FALSE(nowView->siInitieSrollWheel() || searchView->siInitieSrollWheel()) << "seed " << seed;
        ASSERT_FALSE(strip->siScrollWheelStart()) << "seed " << seed;
        ASSERT_FALSE(space->siDraggingSession()) << "seed " << seed << ": a drag session left open";
        // Each cursor a move stopped was started again at its end: those that follow the clock
        // follow it once the ruler rests.
        for (KELICurseur* c : {now(), search()})
            if (KELICurseur::siMobile(c->typeInt())) {
                ASSERT_TRUE(Scheduler::shared().isPending(c, "_avance")) << "seed " << seed << ": a cursor left stopped";
            }
    }
}
