#include "widgets/ZEVButton.h"

#include "runtime/SchedulerClock.h"

#include <QImage>
#include <QCoreApplication>
#include <QMimeData>
#include <QMouseEvent>
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
        Scheduler::setShared(&scheduler);
        Clock::setShared(&clock);
        window = std::make_unique<QWidget>();
        window->resize(300, 200);
        button = new ZEVButton(window.get());
        button->setGeometry(10, 20, 40, 30);
        button->setCheckable(true);
        QObject::connect(button, &QAbstractButton::clicked, [this] { ++clicks; });
        ZEVButton::setSpaceControllerFinder([this](QWidget* w) { return w == window.get() ? &space : nullptr; });
    }
    void TearDown() override
    {
        ZEVButton::setSpaceControllerFinder({});
        window.reset();
        Clock::setShared(nullptr);
        Scheduler::setShared(nullptr);
    }
    ManualScheduler scheduler{1000.0};
    SchedulerClock clock{scheduler}; // time passes on both together
    RecordingSpace space;
    std::unique_ptr<QWidget> window;
    ZEVButton* button = nullptr; // owned by window
    int clicks = 0;
};

} // namespace

TEST_F(ButtonTest, ShortPressIsAnOrdinaryClickLongPressRestoresTheStateLater)
{
    button->mouseDown();
    scheduler.advance(0.14);
    EXPECT_FALSE(button->siClickLong());
    EXPECT_EQ(clicks, 0);

    button->setState(kZEVStateOff);
    button->mouseDown();
    scheduler.advance(0.15);
    EXPECT_TRUE(button->siClickLong());
    EXPECT_EQ(clicks, 1); // the click went through
    EXPECT_EQ(button->state(), kZEVStateOn);
    scheduler.advance(0.29);
    EXPECT_EQ(button->state(), kZEVStateOn);
    scheduler.advance(0.02);
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
    EXPECT_EQ(received, 0);
    scheduler.runTurn();
    EXPECT_EQ(received, 1);
    EXPECT_EQ(clicks, 0); // not also an ordinary click
}

TEST_F(ButtonTest, DragRestingOverAnEnabledButtonClicksOnceAfterTheSpringDelay)
{
    button->setState(kZEVStateOff);
    button->draggingEntered(42);
    ASSERT_EQ(space.started, std::vector<qint64>{42});
    EXPECT_EQ(button->state(), kZEVStateMixed);
    scheduler.advance(0.79);
    EXPECT_EQ(clicks, 0);
    scheduler.advance(0.02);
    EXPECT_EQ(clicks, 1);
    scheduler.advance(5.0);
    EXPECT_EQ(clicks, 1);
    // The click stands when the drag leaves: the state is not put back.
    button->draggingExited();
    EXPECT_EQ(button->state(), kZEVStateOn);

    // A disabled button never clicks, but the Space still hears of the drag.
    button->setEnabled(false);
    button->draggingEntered(9);
    scheduler.advance(3.0);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(button->state(), kZEVStateOn);
    EXPECT_EQ(space.started, (std::vector<qint64>{42, 9}));
}

TEST_F(ButtonTest, FirstMovementRestartsTheSpringDelayAndReportsLocations)
{
    button->draggingEntered(1);
    scheduler.advance(0.5);
    button->draggingUpdated(QPointF(5, 6));
    scheduler.advance(0.5); // 1.0 s after entering, 0.5 s after the first move
    EXPECT_EQ(clicks, 0);
    button->draggingUpdated(QPointF(7, 8)); // later moves do not push the click back
    scheduler.advance(0.31);
    EXPECT_EQ(clicks, 1);
    ASSERT_EQ(space.moves.size(), 2u);
    EXPECT_EQ(space.moves[1], QPointF(7, 8));

    button->setSiDisableMouseMoved(true);
    button->draggingUpdated(QPointF(9, 9));
    EXPECT_EQ(space.moves.size(), 2u);
}

TEST_F(ButtonTest, LeavingEarlyStopsTheSessionLaterADropStopsItAtOnceAndNeitherClicks)
{
    button->setState(kZEVStateOn);
    button->draggingEntered(3);
    scheduler.advance(0.4);
    button->draggingExited();
    EXPECT_EQ(button->state(), kZEVStateOn);
    scheduler.advance(0.79);
    EXPECT_EQ(space.stopped, 0);
    scheduler.advance(0.02);
    EXPECT_EQ(space.stopped, 1);

    button->draggingEntered(4);
    EXPECT_FALSE(button->performDragOperation());
    EXPECT_EQ(space.stopped, 2);
    scheduler.advance(2.0);
    EXPECT_EQ(clicks, 0);
}

TEST_F(ButtonTest, QtDragEventsReachTheSpringLoadingWithWindowCoordinatesYUp)
{
    ZEVButton::setDragSequenceProvider([](const QMimeData*) { return qint64(77); });
    QMimeData data;
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(button, &enter);
    EXPECT_EQ(space.started, std::vector<qint64>{77});

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
    // Unlike the plain cell, an "off" ZEVButtonCell4 leaves the background untouched.
    EXPECT_GT(ZEVButtonCell2().fillColorForState(kZEVStateOff).alphaF(), 0.0);
    const ZEVButtonCell4 c4;
    QImage img(20, 10, QImage::Format_ARGB32);
    img.fill(Qt::red);
    {
        QPainter p(&img);
        c4.drawWithFrame(p, QRectF(0, 0, 20, 10), kZEVStateOff, QIcon(), QString(), true);
    }
    EXPECT_EQ(img.pixelColor(10, 5), QColor(Qt::red));
}

TEST_F(ButtonTest, AClickThatKeepsTheStateLeavesItToTheTargetAndStillClicks)
{
    button->setSiClickKeepsState(true);
    for (int state : {kZEVStateOff, kZEVStateOn, kZEVStateMixed}) {
        button->setState(state);
        button->click();
        EXPECT_EQ(button->state(), state);
    }
    EXPECT_EQ(clicks, 3);
}

TEST(ButtonCells, TheImageStandsAloneOrLeftOfTheTitle)
{
    QPixmap red(16, 16);
    red.fill(Qt::red);
    const QIcon icon(red);
    ZEVButtonCell2 cell;
    // Where red lands: the image alone is centred, left of the title it hugs the left edge.
    auto redAt = [&](ZEVImagePosition position, int x) {
        cell.setImagePosition(position);
        QImage img(70, 23, QImage::Format_ARGB32);
        img.fill(Qt::white);
        QPainter p(&img);
        cell.drawWithFrame(p, QRectF(0, 0, 70, 23), kZEVStateOff, icon, QStringLiteral("Search"), true);
        p.end();
        return img.pixelColor(x, 11) == QColor(Qt::red);
    };
    EXPECT_TRUE(redAt(ZEVImagePosition::ImageOnly, 35));
    EXPECT_FALSE(redAt(ZEVImagePosition::ImageOnly, 8));
    EXPECT_TRUE(redAt(ZEVImagePosition::ImageLeft, 8));
    EXPECT_FALSE(redAt(ZEVImagePosition::ImageLeft, 35));
}

TEST_F(ButtonTest, ItsOwnEnabledFlagRefusesClicksAndSpringsYetStillHearsRightPressesAndDrags)
{
    struct Ecoute : ZEVButton {
        using ZEVButton::ZEVButton;
        int droits = 0;
        void mousePressEvent(QMouseEvent* e) override
        {
            if (e->button() == Qt::RightButton)
                ++droits;
            ZEVButton::mousePressEvent(e);
        }
    };
    auto* b = new Ecoute(window.get());
    int cliques = 0;
    QObject::connect(b, &QAbstractButton::clicked, [&] { ++cliques; });
    b->setSiEnabled(false);
    EXPECT_TRUE(b->isEnabled()) << "Qt still sends it every event";
    EXPECT_FALSE(b->siEnabled());
    const QPointF c(5, 5);
    QMouseEvent press(QEvent::MouseButtonPress, c, b->mapToGlobal(c), Qt::LeftButton, Qt::LeftButton, {});
    QMouseEvent release(QEvent::MouseButtonRelease, c, b->mapToGlobal(c), Qt::LeftButton, Qt::NoButton, {});
    QCoreApplication::sendEvent(b, &press);
    QCoreApplication::sendEvent(b, &release);
    EXPECT_EQ(cliques, 0);
    QMouseEvent droit(QEvent::MouseButtonPress, c, b->mapToGlobal(c), Qt::RightButton, Qt::RightButton, {});
    QCoreApplication::sendEvent(b, &droit);
    EXPECT_EQ(b->droits, 1);
    b->draggingEntered(7);
    scheduler.advance(2.0);
    EXPECT_EQ(cliques, 0);
    EXPECT_EQ(space.started, std::vector<qint64>{7});
    b->setSiEnabled(true);
    QCoreApplication::sendEvent(b, &press);
    QCoreApplication::sendEvent(b, &release);
    EXPECT_EQ(cliques, 1);
}
