// Seeded random sequences of the user's gestures on the ruler (presses and drags on the strip,
// wheels over the strip, the desk and the bar's boxes, pinches, menus, zooms, animations, key
// repeats, cursor changes) with the virtual clock advancing between them. After every step: at
// most one move runs, every participant was told of its start and end in pairs, one history entry
// per completed move, and no step or animation tick is left pending once the ruler is idle.
//
// A failure prints its seed; TALLOMER_GESTURE_SEED=<seed> runs that sequence first, and
// TALLOMER_GESTURE_SEQUENCES sets how many run.

#include "engine/KELICurseur.h"
#include "platform/sound/Sound.h"
#include "ruler/ZEVRulerViewbar.h"
#include "ruler/ZEVTlineView.h"
#include "space/ZEVSpaceWindow.h"
#include "tests/space/SpaceFixture.h"

#include <QApplication>
#include <QNativeGestureEvent>
#include <QWheelEvent>

#include <algorithm>
#include <random>

using namespace tallomer;
using spacetest::Trace;

namespace {

constexpr const char* kTicks[] = {"_animerCurseurToDate", "_animerCurseurEtRuler", "_animerCurseurEtContexteIn",
                                  "_animerNow",           "_animerSearch",         "_animerRuler",
                                  "_bougerCurseur",       "_bougerRuler",          "_bougerCurseurEtRuler",
                                  "_agrandirContexte",    "_diminuerContexte",     "_bougerCurseurAGauche",
                                  "_bougerCurseurADroite"};

long envOr(const char* name, long fallback)
{
    bool ok = false;
    const long v = qEnvironmentVariable(name).toLong(&ok);
    return ok ? v : fallback;
}

class GestureSequence : public spacetest::Space {
protected:
    void SetUp() override
    {
        spacetest::Space::SetUp();
        Sound::setShared(&sound);
        build();
        viewer = host.rulerViewer;
        strip = dynamic_cast<ZEVTlineView*>(viewer->tlineView());
        ASSERT_NE(strip, nullptr);
        QWidget* content = space->spaceWindow()->spaceView();
        strip->setFrameYUp(QRectF(0, content->height() - 36, content->width(), 36));
        strip->show();
        nowView = dynamic_cast<ZEVTlineCurseurView*>(viewer->curseurViewForCurseur(space->nowCurseur()));
        searchView = dynamic_cast<ZEVTlineCurseurView*>(viewer->curseurViewForCurseur(space->searchCurseur()));
        bar = dynamic_cast<ZEVRulerViewbar*>(viewer->rulerViewbar());
        ASSERT_TRUE(nowView && searchView && bar);
        take();
    }
    void TearDown() override
    {
        spacetest::Space::TearDown();
        Sound::setShared(nullptr);
    }

    // What the participants were told so far.
    struct Counts {
        long frontInitier = 0, frontTerminer = 0, history = 0;
    };
    void compter()
    {
        for (const std::string& l : take()) {
            counts.frontInitier += l == "front initier";
            counts.frontTerminer += l == "front terminer";
            counts.history += l == "host addToHistory";
        }
    }
    bool ticking() const
    {
        return std::any_of(std::begin(kTicks), std::end(kTicks),
                           [this](const char* n) { return Scheduler::shared().isPending(viewer, n); });
    }
    void verifier(const std::string& where)
    {
        compter();
        const bool moving = !viewer->siAccepteDeplacement();
        const long bars = long(viewer->mouvementsCommences() - viewer->mouvementsTermines());
        ASSERT_TRUE(bars == 0 || bars == 1) << where;
        ASSERT_EQ(bars == 1, moving) << where;
        ASSERT_EQ(counts.frontInitier - counts.frontTerminer, bars) << where;
        ASSERT_EQ(counts.history, long(viewer->mouvementsTermines()))
            << where << ": one history entry per completed move";
        if (!moving) {
            ASSERT_FALSE(ticking()) << where << ": a tick pending while the ruler is idle";
        }
        // The animations' steps add up to the floor within rounding.
        ASSERT_GE(tl()->nowOut() - tl()->nowIn(), ZEVRulerViewer::kSpanMin - 1e-3) << where;
        ASSERT_LE(tl()->nowOut() - tl()->nowIn(), ZEVRulerViewer::kSpanMax) << where;
    }
    KELIContexte* tl() const { return space->tlContexte(); }

    void mouse(QEvent::Type type, double x, double yUp, Qt::MouseButton b, Qt::KeyboardModifiers m)
    {
        const QPointF local(x, 36 - yUp);
        const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(b);
        QMouseEvent e(type, local, strip->mapTo(strip->window(), local), strip->mapToGlobal(local),
                      type == QEvent::MouseMove ? Qt::NoButton : b, held, m);
        QApplication::sendEvent(strip, &e);
    }
    QWheelEvent roue(std::mt19937& rng, QPointF at, Qt::KeyboardModifiers m)
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
        for (ZEVTlineCurseurView* v : {nowView, searchView})
            v->calculerGeometrie();
        std::uniform_real_distribution<double> x(0, strip->largeur());
        std::uniform_real_distribution<double> y(0, 36);
        KELICurseur* curseurs[] = {space->nowCurseur(), space->searchCurseur(), space->tlCurseur()};
        const Qt::KeyboardModifiers m = modifiers(rng);
        viewer->setModifiersReader([m] { return m; });
        step = int(rng() % 15);
        switch (step) {
        case 0: // a press, or the release of the one held
            if (pressed) {
                mouse(QEvent::MouseButtonRelease, x(rng), y(rng), Qt::LeftButton, m);
                pressed = false;
            } else {
                mouse(QEvent::MouseButtonPress, x(rng), y(rng), Qt::LeftButton, m);
                pressed = true;
            }
            break;
        case 1:
            if (pressed)
                mouse(QEvent::MouseMove, x(rng), y(rng), Qt::LeftButton, m);
            break;
        case 2: {
            const QPointF local(x(rng), y(rng));
            QWheelEvent e = roue(rng, local, m);
            QApplication::sendEvent(strip, &e);
            break;
        }
        case 3: {
            QWheelEvent e = roue(rng, QPointF(x(rng), 300), m);
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
        case 5: {
            auto* v = viewer->curseurViewForActifCurseur();
            QWheelEvent e = roue(rng, QPointF(), m);
            switch (rng() % 4) {
            case 0:
                v->scrollWheelWithFromBox(&e);
                break;
            case 1:
                v->scrollWheelWithPeriodBox(&e);
                break;
            case 2:
                v->scrollWheelWithUntilBox(&e);
                break;
            default:
                v->scrollWheelEntityWithEvent(&e);
                break;
            }
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
                keyMove = true;
                switch (rng() % 4) {
                case 0:
                    viewer->userBougeCurseurAGauche();
                    break;
                case 1:
                    viewer->userBougeCurseurADroite();
                    break;
                case 2:
                    viewer->userAgranditContexte();
                    break;
                default:
                    viewer->userDiminueContexte();
                    break;
                }
            }
            break;
        case 9:
            if (viewer->siAccepteDeplacement())
                viewer->userChangeActifCurseur(curseurs[rng() % 2]);
            break;
        case 10: {
            QMouseEvent e(QEvent::MouseButtonPress, QPointF(x(rng), 5), QPointF(x(rng), 5), QPointF(), Qt::RightButton,
                          Qt::RightButton, {});
            (rng() % 2 ? nowView : searchView)->menuForEvent(&e);
            break;
        }
        case 11:
            if (rng() % 2)
                space->menuChannelDown();
            else
                space->menuChannelUp();
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
        KELICurseur* now = space->nowCurseur();
        KELICurseur* search = space->searchCurseur();
        viewer->userChangeActifCurseur(search);
        ASSERT_TRUE(viewer->userInitieDeplacementCurseur());
        viewer->userPlaceCurseurToDate(now->now() - 3600);
        search->decalerContexteIn(-600 - search->contexte()->offsetIn());
        viewer->userTermineDeplacementCurseur();
        viewer->userChangeActifCurseur(now);
        ASSERT_TRUE(viewer->userInitieDeplacementCurseur());
        tl()->setOffsetInOffsetOut(-43200, 43200);
        now->decalerContexteIn(-1800 - now->contexte()->offsetIn());
        now->decalerContexteOut(1800 - now->contexte()->offsetOut());
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
        viewer->setModifiersReader([] { return Qt::KeyboardModifiers(); });
        sched.advance(2.5);
    }

    RecordingSound sound;
    ZEVRulerViewer* viewer = nullptr;
    ZEVTlineView* strip = nullptr;
    ZEVTlineCurseurView* nowView = nullptr;
    ZEVTlineCurseurView* searchView = nullptr;
    ZEVRulerViewbar* bar = nullptr;
    Counts counts;
    bool pressed = false;
    bool keyMove = false;
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
    }
}
