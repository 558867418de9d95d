#include "app/widgets/ZEVButton.h"

#include "engine/runtime/Clock.h"
#include "engine/runtime/Scheduler.h"

#include <QImage>
#include <QCoreApplication>
#include <QMimeData>
#include <QPainter>
#include <QWheelEvent>
#include <QWidget>

#include <gtest/gtest.h>

#include <memory>

using namespace tallomer;

namespace {

struct RecordingSpace : ZEVButtonSpaceDelegate {
    std::vector<qint64> started;
    std::vector<QPointF> moves;
    int stopped = 0;
    void draggingSessionStartedWithInteger(qint64 n) override { started.push_back(n); }
    void mouseMovedInLocation(QPointF p) override { moves.push_back(p); }
    void draggingSessionDidStop() override { ++stopped; }
};

class ButtonTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        previousScheduler_ = Scheduler::hasShared() ? &Scheduler::shared() : nullptr;
        Scheduler::setShared(&scheduler);
        Clock::setShared(&clock);
        window = std::make_unique<QWidget>();
        window->resize(300, 200);
        button = new ZEVButton(window.get());
        button->setGeometry(10, 20, 40, 30);
        button->setCheckable(true);
        QObject::connect(button, &QAbstractButton::clicked, [this] { ++clicks; });
        ZEVButton::setSpaceControllerFinder([this](QWidget* w) -> ZEVButtonSpaceDelegate* {
            return w == window.get() ? &space : nullptr;
        });
    }
    void TearDown() override
    {
        ZEVButton::setSpaceControllerFinder({});
        window.reset();
        Clock::setShared(nullptr);
        Scheduler::setShared(previousScheduler_);
    }
    // Time passes on both the clock and the scheduler.
    void advance(double s)
    {
        clock.advance(s);
        scheduler.advance(s);
    }

    ManualScheduler scheduler;
    FixedClock clock{1000.0};
    RecordingSpace space;
    std::unique_ptr<QWidget> window;
    ZEVButton* button = nullptr; // owned by window
    int clicks = 0;

private:
    Scheduler* previousScheduler_ = nullptr;
};

} // namespace

TEST_F(ButtonTest, ShortPressIsAnOrdinaryClickLongPressRestoresTheStateLater)
{
    button->mouseDown();
    advance(0.14);
    EXPECT_FALSE(button->siClickLong());
    EXPECT_EQ(clicks, 0);

    button->setState(kZEVStateOff);
    button->mouseDown();
    advance(0.15);
    EXPECT_TRUE(button->siClickLong());
    EXPECT_EQ(clicks, 1); // the click went through
    EXPECT_EQ(button->state(), kZEVStateOn);
    advance(0.29);
    EXPECT_EQ(button->state(), kZEVStateOn);
    advance(0.02);
    EXPECT_EQ(button->state(), kZEVStateOff); // the state of the press is back
}

TEST_F(ButtonTest, CliqueTargetReceivesTheClickOnALaterTurn)
{
    QObject target;
    int received = 0;
    button->setCliqueTarget(&target, [&](ZEVButton* b) {
        EXPECT_EQ(b, button);
        ++received;
    });
    button->performClique();
    EXPECT_TRUE(button->siPerformClick());
    EXPECT_EQ(received, 0);
    scheduler.runTurn();
    EXPECT_EQ(received, 1);
    EXPECT_EQ(clicks, 0); // not also an ordinary click
}

TEST_F(ButtonTest, DragRestingOverTheButtonClicksOnceAfterTheSpringDelay)
{
    button->setState(kZEVStateOff);
    button->draggingEntered(42);
    ASSERT_EQ(space.started, std::vector<qint64>{42});
    EXPECT_EQ(button->state(), kZEVStateMixed);
    advance(0.79);
    EXPECT_EQ(clicks, 0);
    advance(0.02);
    EXPECT_EQ(clicks, 1);
    advance(5.0);
    EXPECT_EQ(clicks, 1);
    // The click stands when the drag leaves: the state is not put back.
    button->draggingExited();
    EXPECT_EQ(button->state(), kZEVStateOn);
}

TEST_F(ButtonTest, FirstMovementRestartsTheSpringDelayAndReportsLocations)
{
    button->draggingEntered(1);
    advance(0.5);
    button->draggingUpdated(QPointF(5, 6));
    advance(0.5); // 1.0 s after entering, 0.5 s after the first move
    EXPECT_EQ(clicks, 0);
    button->draggingUpdated(QPointF(7, 8)); // later moves do not push the click back
    advance(0.31);
    EXPECT_EQ(clicks, 1);
    ASSERT_EQ(space.moves.size(), 2u);
    EXPECT_EQ(space.moves[1], QPointF(7, 8));

    button->setSiDisableMouseMoved(true);
    button->draggingUpdated(QPointF(9, 9));
    EXPECT_EQ(space.moves.size(), 2u);
}

TEST_F(ButtonTest, LeavingEarlyRestoresTheStateClicksNothingAndStopsTheSessionLater)
{
    button->setState(kZEVStateOn);
    button->draggingEntered(3);
    advance(0.4);
    button->draggingExited();
    EXPECT_EQ(button->state(), kZEVStateOn);
    EXPECT_EQ(space.stopped, 0);
    advance(0.79);
    EXPECT_EQ(space.stopped, 0);
    advance(0.02);
    EXPECT_EQ(space.stopped, 1);
    EXPECT_EQ(clicks, 0);
}

TEST_F(ButtonTest, DisabledButtonNeverClicksButReportsTheDrag)
{
    button->setEnabled(false);
    button->setState(kZEVStateOff);
    button->draggingEntered(9);
    button->draggingUpdated(QPointF(1, 1));
    advance(3.0);
    EXPECT_EQ(clicks, 0);
    EXPECT_EQ(button->state(), kZEVStateOff);
    EXPECT_EQ(space.started, std::vector<qint64>{9});
}

TEST_F(ButtonTest, DropIsRefusedAndStopsTheSessionAtOnce)
{
    button->draggingEntered(4);
    EXPECT_FALSE(button->performDragOperation());
    EXPECT_EQ(space.stopped, 1);
    advance(2.0);
    EXPECT_EQ(clicks, 0);
}

TEST_F(ButtonTest, QtDragEventsReachTheSpringLoadingWithWindowCoordinatesYUp)
{
    ZEVButton::setDragSequenceProvider([](const QMimeData*) { return qint64(77); });
    QMimeData data;
    data.setText("x");
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(button, &enter);
    EXPECT_EQ(space.started, std::vector<qint64>{77});
    EXPECT_EQ(button->state(), kZEVStateMixed);

    QDragMoveEvent move(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(button, &move);
    ASSERT_EQ(space.moves.size(), 1u);
    // (5,5) in the button is (15,25) in the 200-high window, i.e. y-up 175.
    EXPECT_EQ(space.moves[0], QPointF(15, 175));

    QDragLeaveEvent leave;
    QCoreApplication::sendEvent(button, &leave);
    EXPECT_EQ(button->state(), kZEVStateOff);
    ZEVButton::setDragSequenceProvider({});
}

TEST_F(ButtonTest, WheelWithoutMovementIsSwallowed)
{
    QWheelEvent still(QPointF(5, 5), QPointF(5, 5), QPoint(), QPoint(), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    still.ignore();
    QCoreApplication::sendEvent(button, &still);
    EXPECT_TRUE(still.isAccepted());

    QWheelEvent moving(QPointF(5, 5), QPointF(5, 5), QPoint(), QPoint(0, 120), Qt::NoButton,
                       Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(button, &moving);
    EXPECT_FALSE(moving.isAccepted()); // passed on to the parent
}

TEST(ButtonCells, OffCell4DrawsNothingUnderneath)
{
    const ZEVButtonCell2 c2;
    const ZEVButtonCell4 c4;
    // The two cells differ only when off.
    EXPECT_EQ(c4.fillColorForState(kZEVStateOn), c2.fillColorForState(kZEVStateOn));
    EXPECT_EQ(c4.fillColorForState(kZEVStateMixed), c2.fillColorForState(kZEVStateMixed));
    EXPECT_GT(c2.fillColorForState(kZEVStateOff).alphaF(), 0.0);

    // An "off" ZEVButtonCell4 leaves the background untouched.
    QImage img(20, 10, QImage::Format_ARGB32);
    img.fill(Qt::red);
    {
        QPainter p(&img);
        c4.drawWithFrame(p, QRectF(0, 0, 20, 10), kZEVStateOff, QIcon(), QString(), true);
    }
    EXPECT_EQ(img.pixelColor(10, 5), QColor(Qt::red));
}
