// The time ruler's gestures in the running program: the wheel and the pinch over the desk canvas
// reach the active cursor's view on the ruler, the arrows step the Channels, and a zoom of the
// strip's menu glides the visible range over its ticks on the virtual clock as one move; the Time
// menu's Zoom offers its Next zooms only to the Now cursor, the one that has a future side.

#include "tests/e2e/E2EFixture.h"

#include "app/menu/KELMainMenu.h"
#include "engine/KELICurseur.h"
#include "engine/KELServeurDeLiens.h"
#include "platform/sound/Sound.h"
#include "ruler/ZEVRulerViewer.h"
#include "ruler/ZEVTlineType.h"
#include "ruler/ZEVTlineView.h"
#include "ruler/ZEVZoomPeriods.h"
#include "space/ZEVConstants.h"

#include <QApplication>
#include <QFile>
#include <QGraphicsItem>
#include <QGraphicsScene>
#include <QMenu>
#include <QNativeGestureEvent>
#include <QTest>
#include <QWheelEvent>

namespace e2e {
namespace {

class RulerGesture : public E2EWithSound<RecordingSound> {
protected:
    // How many moves the ruler completed.
    long moves() const { return long(ruler()->mouvementsTermines()); }
    KELICurseur* now() const { return space()->nowCurseur(); }
    KELICurseur* search() const { return space()->searchCurseur(); }
    KELIContexte* tl() const { return space()->tlContexte(); }
    QGraphicsView* canvas() const { return window()->spaceView()->deskCanvas(); }

    // A point of the canvas (Qt's) below the strip with no Object view under it.
    QPoint emptyPoint() const
    {
        QGraphicsScene* scene = canvas()->scene();
        for (int y = canvas()->viewport()->height() - 20; y > 60; y -= 37)
            for (int x = 20; x < canvas()->viewport()->width(); x += 53) {
                const QList<QGraphicsItem*> items = scene->items(canvas()->mapToScene(QPoint(x, y)));
                if (std::none_of(items.begin(), items.end(),
                                 [](QGraphicsItem* i) { return dynamic_cast<ZEVItemViewForDesks*>(i); }))
                    return {x, y};
            }
        ADD_FAILURE() << "no empty place on the desk";
        return {};
    }
    // A wheel turned over the desk canvas, lines the natural way.
    void wheel(QPoint at, double dx, double dy, Qt::KeyboardModifiers m = {})
    {
        QWidget* v = canvas()->viewport();
        QWheelEvent e(at, v->mapToGlobal(QPointF(at)), QPoint(), QPoint(int(dx * 120), int(dy * 120)), Qt::NoButton,
                      m, Qt::NoScrollPhase, true);
        QApplication::sendEvent(v, &e);
    }
    void pinch(QPoint at, Qt::NativeGestureType type, double magnification = 0)
    {
        QWidget* v = canvas()->viewport();
        QNativeGestureEvent e(type, QPointingDevice::primaryPointingDevice(), 2, at, at, v->mapToGlobal(QPointF(at)),
                              magnification, QPointF());
        QApplication::sendEvent(v, &e);
    }
    int tinks() const { return int(sound.played.count(QStringLiteral("Tink"))); }

};

TEST_F(RulerGesture, AHorizontalWheelOverTheDeskTakesTheSearchCursorToTheNowCursorAndBackToTheNowDesk)
{
    start();
    ZEVRulerViewer* r = ruler();
    ASSERT_NE(r, nullptr);
    // The Search cursor an hour back, the Now desk in front.
    ASSERT_TRUE(r->userChangeActifCurseur(search()));
    ASSERT_TRUE(r->userInitieDeplacementCurseur());
    r->userPlaceCurseur(now()->now() - 3600 - search()->now());
    r->userTermineDeplacementCurseur();
    ASSERT_TRUE(r->userChangeActifCurseur(now()));
    const QPoint at = emptyPoint();
    const long movesBefore = moves();

    wheel(at, 1, 0);
    EXPECT_EQ(space()->actifCurseur(), search()) << "the Now view hands the wheel to the Search cursor";
    EXPECT_EQ(window()->deskViewDevant(), space()->deskForCurseur(search())->deskScene());
    const double before = search()->now();
    wheel(at, 1, 0);
    EXPECT_FALSE(r->siAccepteDeplacement());
    EXPECT_NEAR(search()->now() - before, 0.5 * r->rulerRatio(), 1e-3);
    for (int i = 0; i < int(3600 / (0.5 * r->rulerRatio())) + 3; ++i)
        wheel(at, 1, 0);
    EXPECT_NEAR(search()->now(), now()->now(), 1e-3) << "held on the Now cursor";
    EXPECT_EQ(tinks(), 1);
    advance(0.5);
    EXPECT_TRUE(r->siAccepteDeplacement());
    EXPECT_EQ(space()->actifCurseur(), now());
    EXPECT_EQ(window()->deskViewDevant(), space()->deskForCurseur(now())->deskScene());
    EXPECT_EQ(moves() - movesBefore, 1) << "one move for the whole gesture";
}

TEST_F(RulerGesture, AVerticalWheelOverTheDeskAndTheArrowsStepTheChannels)
{
    start();
    // Listed, as the Channels panel makes them: its rows are what the steps walk.
    KELI* root = KELServeurDeLiens::LienForInt(KELOBJECT_CHANNEL_VIEWER_ROOT, space()->nowCurseur());
    for (const char* name : {"Work", "Travel"}) {
        KELI* c = space()->newIdentityNamed(name);
        ASSERT_NE(c, nullptr);
        ASSERT_NE(KELServeurDeLiens::CreerLienRelInt(KELRELATION_CHANNEL_VIEWER, root, c, KELDateToujours,
                                                     KELDateOuverte, space()->nowCurseur()),
                  nullptr);
    }
    advance(0.2);
    const std::vector<KELI*> channels = space()->allIdentities();
    const auto at = std::find_if(channels.begin(), channels.end(),
                                 [&](KELI* c) { return c->idInt() == space()->currentChannelInt(); });
    ASSERT_GE(channels.end() - at, 3);
    const QPoint p = emptyPoint();
    for (int i = 0; i < 5; ++i)
        wheel(p, 0, 1);
    EXPECT_EQ(space()->currentChannelInt(), at[1]->idInt());
    EXPECT_TRUE(ruler()->siAccepteDeplacement()) << "no cursor moves for a Channel";
    advance(0.5);

    key(Qt::Key_Down);
    EXPECT_EQ(space()->currentChannelInt(), at[2]->idInt());
    key(Qt::Key_Up);
    key(Qt::Key_Up);
    EXPECT_EQ(space()->currentChannelInt(), at[0]->idInt());
}

TEST_F(RulerGesture, APinchOverTheDeskWidensTheNowContextAndTheRangeButNotOverAnObject)
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
    QGraphicsItem* object = nullptr;
    for (ZEVItemViewForDesks* v : nowDesk()->itemViewSet())
        if (v->itemTitle() == "notes.txt")
            object = v->graphicsItem();
    ASSERT_NE(object, nullptr);

    const double context = now()->nowOut() - now()->nowIn();
    const double span = tl()->nowOut() - tl()->nowIn();
    const QPoint onObject = canvas()->mapFromScene(object->sceneBoundingRect().center());
    pinch(onObject, Qt::BeginNativeGesture);
    pinch(onObject, Qt::ZoomNativeGesture, 0.2);
    pinch(onObject, Qt::EndNativeGesture);
    EXPECT_TRUE(ruler()->siAccepteDeplacement()) << "the Object's pinch is the Object's";
    EXPECT_EQ(now()->nowOut() - now()->nowIn(), context);

    const QPoint p = emptyPoint();
    pinch(p, Qt::BeginNativeGesture);
    pinch(p, Qt::ZoomNativeGesture, 0.1);
    pinch(p, Qt::ZoomNativeGesture, 0.1);
    pinch(p, Qt::EndNativeGesture);
    EXPECT_FALSE(ruler()->siAccepteDeplacement());
    EXPECT_GT(now()->nowOut() - now()->nowIn(), context + 1);
    EXPECT_GT(tl()->nowOut() - tl()->nowIn(), span + 1);
    advance(0.65);
    EXPECT_FALSE(ruler()->siAccepteDeplacement()) << "a pinch rests 0.7 s after its last event";
    advance(0.1);
    EXPECT_TRUE(ruler()->siAccepteDeplacement());
}

TEST_F(RulerGesture, ThisWeekFromTheStripsMenuGlidesTheRangeOverItsTicksAsOneMove)
{
    start();
    auto* strip = dynamic_cast<ZEVTlineView*>(ruler()->tlineView());
    ASSERT_NE(strip, nullptr);
    QAction* thisWeek = nullptr;
    for (QAction* a : strip->menuRuler()->actions())
        if (a->text() == QStringLiteral("This Week"))
            thisWeek = a;
    ASSERT_NE(thisWeek, nullptr);
    const std::optional<ZEVPeriode> semaine = periodeContenant(ZEVZoomUnite::Semaine, now()->now());
    ASSERT_TRUE(semaine);
    const long movesBefore = moves();
    const double span = tl()->nowOut() - tl()->nowIn();
    ASSERT_NE(span, semaine->fin - semaine->debut);

    thisWeek->trigger();
    EXPECT_FALSE(ruler()->siAccepteDeplacement());
    advance(0.75);
    const double halfway = tl()->nowOut() - tl()->nowIn();
    EXPECT_GT(std::abs(halfway - span), 1) << "under way";
    EXPECT_GT(std::abs(halfway - (semaine->fin - semaine->debut)), 1) << "not there yet";
    EXPECT_EQ(moves(), movesBefore);
    advance(0.8);
    EXPECT_TRUE(ruler()->siAccepteDeplacement());
    EXPECT_EQ(moves() - movesBefore, 1);
    // The range follows the clock with the timeline cursor.
    EXPECT_NEAR(tl()->nowIn(), semaine->debut, 2);
    EXPECT_NEAR(tl()->nowOut(), semaine->fin, 2);
    EXPECT_NEAR(ruler()->tlineType()->inDate(), tl()->nowIn(), 1);
}

TEST_F(RulerGesture, TheTimeMenusZoomOffersTheNextZoomsOnlyWhileTheNowCursorIsActive)
{
    start();
    // The Time menu's Zoom submenu, opened by resting on it: its Previous and Next items offered.
    auto offered = [this](const char* family) {
        std::vector<bool> on;
        QMenu* time = openMenu(KELMainMenu::kMenuTime);
        QAction* zoom = time ? menuItemTagged(time, 31) : nullptr;
        if (!zoom || !zoom->menu())
            return on;
        QTest::mouseMove(time, time->actionGeometry(zoom).center());
        time->setActiveAction(zoom);
        pumpUntil([&] { return zoom->menu()->isVisible(); });
        for (QAction* a : zoom->menu()->actions())
            if (a->text().startsWith(QLatin1String(family)))
                on.push_back(a->isEnabled());
        zoom->menu()->close();
        time->close();
        pump();
        return on;
    };
    const std::vector<bool> all(7, true), none(7, false);
    EXPECT_EQ(offered("Next "), all);
    EXPECT_EQ(offered("Previous "), all);

    ASSERT_TRUE(ruler()->userChangeActifCurseur(search()));
    EXPECT_EQ(offered("Next "), none) << "the Search cursor has no future side";
    EXPECT_EQ(offered("Previous "), all);

    ASSERT_TRUE(ruler()->userChangeActifCurseur(now()));
    EXPECT_EQ(offered("Next "), all);
}

} // namespace
} // namespace e2e
