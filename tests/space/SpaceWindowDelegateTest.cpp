// The Space as its window's delegate on the virtual clock: the pointer limit's delays, the header-
// views button, activation, the go-to state, the title as the pointer, the cursors and the mode
// change, stay-in-front and the narrowest window, and the Search pointer.

#include "tests/space/SpaceFixture.h"

#include "platform/sound/Sound.h"
#include "space/ZEVSpaceWindow.h"
#include "space/ZEVSpaceWindowFrame.h"
#include "widgets/ZEVButton.h"

#include <QPixmap>
#include <QTest>

using namespace spacetest;
using tallomer::ZEVSpaceWindow;

namespace {

class Delegate : public Space {
protected:
    void SetUp() override
    {
        Space::SetUp();
        tallomer::Sound::setShared(&sound);
    }
    void TearDown() override
    {
        Space::TearDown();
        tallomer::Sound::setShared(nullptr);
    }
    // The front layer's part of the trace.
    Trace front()
    {
        Trace out;
        for (const std::string& t : take())
            if (t.rfind("front ", 0) == 0)
                out.push_back(t.substr(6));
        return out;
    }
    std::string title() const { return space->spaceWindow()->windowTitle().toStdString(); }
    // The pointer at the middle of the corner zone, and outside it at the zone's lower edge.
    QPointF inCorner() const { return space->mouseLimitRect().center(); }
    QPointF atEdge() const { return QPointF(10, space->mouseLimitInf()); }

    tallomer::RecordingSound sound;
};

} // namespace

TEST_F(Delegate, ThePointerLimitOpensAtOnceAndClosesAfterADelayThatAReturnCancels)
{
    build();
    settle();
    const QSize w = space->spaceWindow()->size();
    EXPECT_EQ(space->mouseLimitRect(), QRectF(w.width() - 32, w.height() - 19, 32, 19));
    take();

    space->mouseMovedInLocation(inCorner());
    EXPECT_TRUE(space->siMouseLimitIN());
    sched.advance(0);
    EXPECT_EQ(front(), Trace{"mouseLimitInside"});
    EXPECT_EQ(space->headerViewsBtnState(), 1);

    // Out at the zone's lower edge: a whole second, unless the pointer comes back.
    space->mouseMovedInLocation(atEdge());
    sched.advance(0.5);
    space->mouseMovedInLocation(inCorner());
    sched.advance(2);
    EXPECT_EQ(front(), Trace{});
    space->mouseMovedInLocation(atEdge());
    sched.advance(0.99);
    EXPECT_EQ(front(), Trace{});
    sched.advance(0.02);
    EXPECT_EQ(front(), Trace{"mouseLimitOutside"});
    EXPECT_EQ(space->headerViewsBtnState(), 0);

    // Low in the window the closing is quick.
    space->mouseMovedInLocation(inCorner());
    sched.advance(0);
    space->mouseMovedInLocation(QPointF(10, 1));
    sched.advance(0.011);
    EXPECT_EQ(front(), (Trace{"mouseLimitInside", "mouseLimitOutside"}));
}

TEST_F(Delegate, AfterTheButtonClosedTheHeaderViewsTheCornerReopensThemOnlyAfterAFifthOfASecond)
{
    build();
    settle();
    space->mouseMovedInLocation(inCorner());
    sched.advance(0);
    take();
    // The button shows them open: a click closes them all.
    space->_showHeaderViews();
    EXPECT_EQ(front(), Trace{"closeAllHeaderViews"});
    EXPECT_EQ(space->headerViewsBtnState(), 0);
    EXPECT_DOUBLE_EQ(space->mouseLimitDuration(), 0.2);
    space->mouseMovedInLocation(inCorner() + QPointF(1, 0));
    sched.advance(0.19);
    EXPECT_EQ(front(), Trace{});
    sched.advance(0.02);
    EXPECT_EQ(front(), Trace{"mouseLimitInside"});

    // Out and back in: the delay is 0 again.
    space->mouseMovedInLocation(atEdge());
    EXPECT_DOUBLE_EQ(space->mouseLimitDuration(), 0);
    sched.advance(2);
    take();
    // Closed, a click opens them.
    space->_showHeaderViews();
    EXPECT_EQ(front(), Trace{"mouseLimitInside"});
    EXPECT_EQ(space->headerViewsBtnState(), 1);
}

TEST_F(Delegate, TheHeaderViewsButtonSitsInTheCornerOutOfFullScreenAndTogglesTheHeaderViews)
{
    build();
    settle();
    ZEVSpaceWindow* w = space->spaceWindow();
    tallomer::ZEVButton* b = w->headerViewsButton();
    auto ou = [w] { return QRect(w->width() - 30, 5, 24, 10); };
    EXPECT_TRUE(b->isVisible());
    EXPECT_EQ(b->geometry(), ou());
    const QPoint centre = b->geometry().center();
    EXPECT_TRUE(space->mouseLimitRect().contains(QPointF(centre.x(), w->height() - centre.y())));
    take();
    QTest::mouseClick(b, Qt::LeftButton);
    EXPECT_EQ(front(), Trace{"mouseLimitInside"});
    EXPECT_EQ(b->state(), 1);
    QTest::mouseClick(b, Qt::LeftButton);
    EXPECT_EQ(front(), Trace{"closeAllHeaderViews"});
    EXPECT_EQ(b->state(), 0);

    w->setSiFullScreen(true);
    settle();
    EXPECT_FALSE(b->isVisible());
    EXPECT_EQ(space->mouseLimitRect(), QRectF(1920 - 70, 1200 - 1, 70, 3)) << "the full screen's corner";
    w->setSiFullScreen(false);
    settle();
    EXPECT_TRUE(b->isVisible());
    EXPECT_EQ(b->geometry(), ou());
}

TEST_F(Delegate, ActivationAsksForTheWindowAndTellsTheFrontLayerAFifthOfASecondLater)
{
    build();
    take();
    space->activateTallomer();
    EXPECT_TRUE(space->siActivateTallomer());
    sched.advance(0.19);
    EXPECT_EQ(front(), Trace{});
    sched.advance(0.02);
    EXPECT_EQ(front(), Trace{"activateTallomerStart"});
    space->activatePreviousApp();
    EXPECT_FALSE(space->siActivateTallomer());
}

TEST_F(Delegate, GoToKindsKeepTheirDurationsAndTheTemporaryKindGivesBackTheOneItReplaced)
{
    build();
    EXPECT_EQ(space->goToTag(), 1);
    EXPECT_FALSE(space->siGoToMode());
    space->setSiGoToMode(true);
    space->setSiGoToMode(true);
    space->setSiGoToMode(false);
    EXPECT_TRUE(space->siGoToMode());
    space->setSiGoToMode(false);
    EXPECT_FALSE(space->siGoToMode());

    space->setGoToTag(3);
    space->setDurationTag(tallomer::ZEVGoto::kHour);
    EXPECT_EQ(space->durationTagForGoToTag(3), tallomer::ZEVGoto::kHour);
    EXPECT_DOUBLE_EQ(space->outTimeForGoToTime(1000), 4600);
    EXPECT_EQ(space->durationString(), "") << "only while the go-to panel shows";
    host.front->goToPanel = true;
    EXPECT_EQ(space->durationString(), " (1 hour)");

    space->setGoToTag(100);
    space->setGoToTag(100);
    EXPECT_DOUBLE_EQ(space->outTimeForGoToTime(1000), KELDateOuverte);
    space->restoreGoToTag();
    EXPECT_EQ(space->goToTag(), 3);
    space->restoreGoToTag();
    EXPECT_EQ(space->goToTag(), 3) << "only the temporary kind is restored";
}

TEST_F(Delegate, TheTitleFollowsTheZoneTheCursorsAndTheMode)
{
    build();
    settle();
    EXPECT_EQ(title(), "Home | Wallpaper");
    space->mouseMovedInLocation(inCorner());
    EXPECT_EQ(title(), "=  Home | Wallpaper  =");
    EXPECT_FALSE(space->siTallomer());
    space->mouseMovedInLocation(atEdge());
    EXPECT_EQ(title(), "Home | Wallpaper");

    // The Search cursor a tenth of a second ahead of Now, then on it.
    tallomer::ZEVRulerViewerServices* ruler = space->rulerViewer();
    ruler->userChangeActifCurseur(space->searchCurseur());
    ASSERT_TRUE(ruler->userInitieDeplacementCurseur());
    ruler->userPlaceCurseurEtRulerOffset(space->nowCurseur()->now() + 0.1 - space->searchCurseur()->now());
    ruler->userTermineDeplacementCurseur();
    EXPECT_EQ(title(), "Home | Wallpaper  (Futur)");
    host.front->mode = 1;
    space->majWindowTitle();
    EXPECT_EQ(title(), "Home | Wallpaper  (Futur - Title Tool)");
    ASSERT_TRUE(ruler->userInitieDeplacementCurseur());
    ruler->userPlaceCurseurEtRulerOffset(space->nowCurseur()->now() + 0.000005 - space->searchCurseur()->now());
    ruler->userTermineDeplacementCurseur();
    EXPECT_EQ(title(), "Home | Wallpaper  (Now - Title Tool)");
}

TEST_F(Delegate, TheNarrowestWindowFloatsInFrontAndAnyWiderOneDoesNot)
{
    build();
    settle();
    ZEVSpaceWindow* w = space->spaceWindow();
    EXPECT_FALSE(space->siFrontSpace());
    take();
    w->resize(100, 60);
    settle();
    EXPECT_EQ(w->width(), int(tallomer::ZEVSpaceWindowFrame::kMinContentWidth));
    EXPECT_TRUE(space->siMiniSpace());
    EXPECT_TRUE(space->siFrontSpace());
    EXPECT_TRUE(w->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(front(), Trace{"cadre on"});

    // Widened, and again after the user had turned it on: off.
    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE(i);
        const QSize wider(800 + 80 * i, 500 + 50 * i);
        w->resize(wider);
        settle();
        EXPECT_FALSE(space->siMiniSpace());
        EXPECT_FALSE(space->siFrontSpace());
        EXPECT_FALSE(w->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        EXPECT_EQ(w->size(), wider);
        space->userToggleFrontSpace();
        EXPECT_TRUE(space->siFrontSpace());
    }
}

TEST_F(Delegate, StayInFrontShowsItsTitleForAMomentAndIsRefusedInFullScreen)
{
    build();
    settle();
    space->userToggleFrontSpace();
    EXPECT_EQ(title(), "Stay in front\u2026");
    space->mouseMovedInLocation(inCorner());
    EXPECT_EQ(title(), "Stay in front\u2026");
    sched.advance(0.91);
    EXPECT_EQ(title(), "=  Home | Wallpaper  =");
    space->userToggleFrontSpace();
    EXPECT_FALSE(space->siFrontSpace());
    EXPECT_EQ(title(), "=  Home | Wallpaper  =") << "at once";

    space->spaceWindow()->setSiFullScreen(true);
    settle();
    space->userToggleFrontSpace();
    EXPECT_FALSE(space->siFrontSpace());
}

TEST_F(Delegate, TheSearchPointerIsMadeOnceWithItsHotSpotNearItsTip)
{
    QPixmap image(16, 16);
    image.fill(Qt::red);
    const QCursor& c = tallomer::ZEVSpaceController::SearchCursor(image);
    EXPECT_EQ(c.hotSpot(), QPoint(2, 3));
    EXPECT_EQ(&tallomer::ZEVSpaceController::SearchCursor(QPixmap()), &c);
}
