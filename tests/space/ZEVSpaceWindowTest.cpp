#include "tests/space/SpaceFixture.h"

#include "engine/runtime/Log.h"
#include "space/ZEVSpaceClass.h"
#include "space/ZEVSpaceKeys.h"
#include "space/ZEVSpaceWindow.h"
#include "space/ZEVSpaceWindowFrame.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QVariantMap>

using namespace spacetest;
using namespace tallomer;

namespace {

const QRectF kScreen(0, 0, 1920, 1200);

QVariantMap frameDefault(double width, double xRatio, double yRatio)
{
    return QVariantMap{{"width", width}, {"xRatio", xRatio}, {"yRatio", yRatio}};
}

} // namespace

TEST(ZEVSpaceWindowFrame, DefaultsAndStoredFrames)
{
    // Nothing stored: 1260 x 787.5, centred.
    EXPECT_EQ(ZEVSpaceWindowFrame::windowDefaultRect(QVariant(), kScreen), QRectF(330, 206.25, 1260, 787.5));
    // A stored width of 1000 gives a frame 648 high, placed by the ratios.
    const QRectF r = ZEVSpaceWindowFrame::windowDefaultRect(frameDefault(1000, 0.5, 0.25), kScreen);
    EXPECT_EQ(r, QRectF(460, (1200 - 648 - 23) * 0.25, 1000, 648));
    // Round trip through what is written.
    const QVariant written = ZEVSpaceWindowFrame::windowDefaultFor(r, kScreen);
    ASSERT_TRUE(written.isValid());
    const QRectF back = ZEVSpaceWindowFrame::windowDefaultRect(written, kScreen);
    EXPECT_NEAR(back.x(), r.x(), 0.01);
    EXPECT_NEAR(back.y(), r.y(), 0.01);
    EXPECT_EQ(back.width(), r.width());
    // A window as wide as the screen writes nothing.
    EXPECT_FALSE(ZEVSpaceWindowFrame::windowDefaultFor(QRectF(0, 0, 1920, 1223), kScreen).isValid());
}

TEST(ZEVSpaceWindowFrame, RefusesStoredFramesOutsideTheRules)
{
    const QRectF fallback = ZEVSpaceWindowFrame::windowDefaultRect(QVariant(), kScreen);
    // Too narrow, not numbers, a key missing: the default frame.
    EXPECT_EQ(ZEVSpaceWindowFrame::windowDefaultRect(frameDefault(100, 0.5, 0.5), kScreen), fallback);
    EXPECT_EQ(ZEVSpaceWindowFrame::windowDefaultRect(QVariantMap{{"width", "wide"}, {"xRatio", 0}, {"yRatio", 0}}, kScreen),
              fallback);
    EXPECT_EQ(ZEVSpaceWindowFrame::windowDefaultRect(frameDefault(std::nan(""), 0.5, 0.5), kScreen), fallback);
    EXPECT_EQ(ZEVSpaceWindowFrame::windowDefaultRect(QVariantMap{{"width", 1000}, {"xRatio", 0.5}}, kScreen), fallback);
    // Wider than the screen, or placed off it: kept on the screen, still 8 : 5.
    const QRectF wide = ZEVSpaceWindowFrame::windowDefaultRect(frameDefault(5000, 7, -3), kScreen);
    EXPECT_EQ(wide.width(), 1920);
    EXPECT_EQ(wide.height(), 1920 / 1.6 + 23);
    EXPECT_EQ(wide.x(), 0);
    EXPECT_EQ(wide.y(), 0);

    EXPECT_EQ(ZEVSpaceWindowFrame::constrainedContentSize(QSizeF(900, 900)), QSizeF(900, 562.5));
    EXPECT_EQ(ZEVSpaceWindowFrame::constrainedContentSize(QSizeF(10, 10)), QSizeF(432, 270));
}

TEST(ZEVSpaceKeys, ReturnDeleteAndArrowsFollowTheActiveCursor)
{
    using A = ZEVSpaceKeyAction;
    ZEVSpaceKeyState now;
    EXPECT_EQ(spaceKeyResult(Qt::Key_Return, now).action, A::StepBack);
    EXPECT_TRUE(spaceKeyResult(Qt::Key_Return, now).passOn);
    now.recallingSelectedItems = true;
    EXPECT_EQ(spaceKeyResult(Qt::Key_Return, now).action, A::RecallNow);
    EXPECT_EQ(spaceKeyResult(Qt::Key_Backspace, now).action, A::StepBack);
    EXPECT_FALSE(spaceKeyResult(Qt::Key_Backspace, now).passOn);
    now.shift = true;
    EXPECT_EQ(spaceKeyResult(Qt::Key_Backspace, now).action, A::None);

    ZEVSpaceKeyState search;
    search.searchActive = true;
    EXPECT_EQ(spaceKeyResult(Qt::Key_Backspace, search).action, A::None);
    EXPECT_FALSE(spaceKeyResult(Qt::Key_Backspace, search).passOn);
    search.shift = true;
    EXPECT_EQ(spaceKeyResult(Qt::Key_Backspace, search).action, A::StepBack);
    search.releasingSelectedItems = true;
    EXPECT_EQ(spaceKeyResult(Qt::Key_Delete, search).action, A::ReleaseSearch);
    EXPECT_EQ(spaceKeyResult(Qt::Key_Return, search).action, A::None); // nothing to recall at Search
    search.shift = false;
    search.recallingNowSelectedItems = true;
    EXPECT_EQ(spaceKeyResult(Qt::Key_Return, search).action, A::RecallNow);

    ZEVSpaceKeyState arrows;
    EXPECT_EQ(spaceKeyResult(Qt::Key_Up, arrows).action, A::ChannelUp);
    EXPECT_EQ(spaceKeyResult(Qt::Key_Left, arrows).action, A::GotoPrevious);
    arrows.control = true;
    EXPECT_EQ(spaceKeyResult(Qt::Key_Up, arrows).action, A::HistoryNext);
    EXPECT_EQ(spaceKeyResult(Qt::Key_Down, arrows).action, A::HistoryPrevious);
    EXPECT_EQ(spaceKeyResult(Qt::Key_Right, arrows).action, A::SpaceCleanNext);
    EXPECT_FALSE(spaceKeyResult(Qt::Key_Right, arrows).passOn);
    EXPECT_TRUE(spaceKeyResult(Qt::Key_A, arrows).passOn);
}

TEST_F(Space, WindowOpensWithTheStoredFrame)
{
    defaultsController->setValue("ZEVSpaceWindow", frameDefault(1000, 0.5, 0.25));
    build();
    ZEVSpaceWindow* w = space->spaceWindow();
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(w->isWindow());
    EXPECT_TRUE(w->isVisible());
    EXPECT_FALSE(w->siFullScreen());
    EXPECT_EQ(w->size(), QSize(1000, 625));
    const QRectF frame = w->frameYUp(kScreen);
    EXPECT_EQ(frame.width(), 1000);
    EXPECT_EQ(frame.height(), 648);
    EXPECT_NEAR(frame.x(), 460, 0.5);
    EXPECT_NEAR(frame.y(), (1200 - 648 - 23) * 0.25, 0.5);
    EXPECT_FALSE(space->siMiniSpace());

    // A move is remembered.
    w->setGeometry(100, w->y(), w->width(), w->height());
    space->majWindowDefault();
    const QVariantMap stored = defaultsController->values("ZEVSpaceWindow").toMap();
    EXPECT_NEAR(stored.value("xRatio").toDouble(), 100.0 / 920.0, 1e-6);
    EXPECT_EQ(stored.value("width").toDouble(), 1000);
}

TEST_F(Space, WindowRefusesAFrameOutsideTheAspectAndMinimum)
{
    build();
    ZEVSpaceWindow* w = space->spaceWindow();
    w->resize(900, 900);
    QCoreApplication::processEvents();
    EXPECT_EQ(w->size(), QSize(900, 563));
    w->resize(100, 60);
    QCoreApplication::processEvents();
    EXPECT_EQ(w->size(), QSize(432, 270));
    EXPECT_TRUE(ZEVSpaceWindowFrame::siContentSizeAllowed(QSizeF(w->size())));
}

TEST_F(Space, FullScreenCoversTheScreenWithoutTitleBar)
{
    defaultsController->setValue("ZEVFullScreen", true);
    build();
    ZEVSpaceWindow* w = space->spaceWindow();
    EXPECT_TRUE(w->siFullScreen());
    EXPECT_TRUE(w->windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_EQ(w->geometry(), QRect(0, 0, 1920, 1200));
    // Full screen keeps no aspect, and writes no frame.
    space->majWindowDefault();
    EXPECT_FALSE(defaultsController->values("ZEVSpaceWindow").isValid());
}

TEST_F(Space, KeysReachTheFrontViewerAndTheApplication)
{
    build();
    ZEVSpaceWindow* w = space->spaceWindow();
    take();
    QKeyEvent ret(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &ret);
    QKeyEvent up(QEvent::KeyPress, Qt::Key_Up, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &up);
    QKeyEvent histo(QEvent::KeyPress, Qt::Key_Up, Qt::MetaModifier);
    QCoreApplication::sendEvent(w, &histo);
    EXPECT_EQ(take(), (Trace{"front userStepBack", "host menu 0"}));

    // Letting go of the Command key (Ctrl here) clears the browsed background.
    space->setBrowsedSpaceBackImageInt(7);
    QKeyEvent ctrl(QEvent::KeyRelease, Qt::Key_Control, Qt::ControlModifier);
    QCoreApplication::sendEvent(w, &ctrl);
    EXPECT_EQ(space->browsedBackImageInt(), 0u);
}

TEST_F(Space, BackgroundCachesKeepOnePerImageAndScale)
{
    build();
    ZEVSpaceClass* model = space->spaceClass();
    KELI* in = KELServeurDeLiens::LienForInt(KELOBJECT_SCALE_IN, timeline);
    KELI* out = KELServeurDeLiens::LienForInt(KELOBJECT_SCALE_OUT, timeline);
    KELI* image = KELServeurDeLiens::LienForInt(KELOBJECT_HOME_CHANNEL, timeline); // any link stands in
    ASSERT_TRUE(in && out && image);

    ZEVBackObject* a = model->backObjectForImage(image, KELOBJECT_HOME_CHANNEL, QRectF(0, 0, 100, 60), in);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->scaleMot(), in);
    EXPECT_EQ(model->backObjectForImage(image, KELOBJECT_HOME_CHANNEL, QRectF(), in), a);
    EXPECT_EQ(model->backObjectForItemInt(image->idInt(), KELOBJECT_SCALE_OUT), nullptr);
    EXPECT_EQ(model->backObjectForImage(image, KELOBJECT_HOME_CHANNEL, QRectF(), image), nullptr); // no scale word

    {
        ScopedLogCapture log;
        model->ajouteBackObject(std::make_unique<ZEVBackObject>(image, 1, QRectF()), image->idInt(), KELOBJECT_SCALE_IN);
        EXPECT_TRUE(log.sink.contains("BackObject already exists !"));
        EXPECT_EQ(model->backObjectForItemInt(image->idInt(), KELOBJECT_SCALE_IN), a);
    }
    auto second = std::make_unique<ZEVBackObject>(image, 1, QRectF());
    ZEVBackObject* b = second.get();
    model->ajouteBackObject(std::make_unique<ZEVBackObject>(image, 1, QRectF()), image->idInt(), KELOBJECT_SCALE_OUT);
    model->ajouteBackObject(std::move(second), image->idInt(), KELOBJECT_SCALE_OUT);
    EXPECT_EQ(model->backObjectForItemInt(image->idInt(), KELOBJECT_SCALE_OUT), b); // "Out" replaces

    a->setChannelImageColor(QImage(4, 4, QImage::Format_RGB32));
    model->updateBackObjectForItemInt(image->idInt(), KELOBJECT_SCALE_IN, "/nowhere.png");
    EXPECT_TRUE(a->channelImageColor().isNull());
    EXPECT_EQ(a->fileURL(), "/nowhere.png");

    // The thumbnail: the default colour alone when the picture cannot be read.
    const QImage thumb = model->imageForImageItem(image, KELOBJECT_HOME_CHANNEL, nullptr, in);
    EXPECT_EQ(thumb.size(), QSize(48, 30));
    EXPECT_EQ(ZEVSpaceClass::ImageForNilImageItem().pixelColor(0, 0), QColor(Qt::black));
    EXPECT_EQ(model->imageForImageItem(nullptr, 0, nullptr, in).size(), QSize(48, 30));

    model->enleveBackObjectForItemInt(image->idInt());
    EXPECT_EQ(model->backObjectForItemInt(image->idInt(), KELOBJECT_SCALE_IN), nullptr);
    EXPECT_EQ(model->backObjectForItemInt(image->idInt(), KELOBJECT_SCALE_OUT), nullptr);
}
