#include "tests/space/SpaceFixture.h"

#include "platform/SystemFont.h"
#include "runtime/Log.h"
#include "space/ZEVSpaceClass.h"
#include "space/ZEVSpaceKeys.h"
#include "space/ZEVSpaceWindow.h"
#include "space/ZEVSpaceWindowFrame.h"

#include <QApplication>
#include <QBackingStore>
#include <QGraphicsRectItem>
#include <QGraphicsScene>
#include <QImage>
#include <QKeyEvent>
#include <QPaintEvent>
#include <QScreen>
#include <QTest>
#include <QThreadPool>
#include <QVariantMap>

#include <cmath>
#include <functional>
#include <vector>

using namespace spacetest;
using namespace tallomer;

namespace {

const QRectF kScreen(0, 0, 1920, 1200);

QVariantMap frameDefault(double width, double xRatio, double yRatio)
{
    return QVariantMap{{"width", width}, {"xRatio", xRatio}, {"yRatio", yRatio}};
}

} // namespace

TEST(ZEVSpaceWindowFrame, StoredFramesRoundTripAndFramesOutsideTheRulesFallBack)
{
    // Nothing stored: 1260 x 787.5, centred.
    const QRectF fallback = ZEVSpaceWindowFrame::windowDefaultRect(QVariant(), kScreen);
    EXPECT_EQ(fallback, QRectF(330, 206.25, 1260, 787.5));
    // Round trips through what is written, up to the screen's edges: a frame against the top of
    // the screen (above the stored menu-bar allowance) comes back there, and so does one whose
    // stored title bar, taller than the decorations, reaches below the bottom.
    const QRectF frames[] = {QRectF(460, 100, 1000, 648), QRectF(0, 1200 - 648, 1000, 648), QRectF(920, -19, 1000, 648)};
    for (const QRectF& r : frames) {
        const QVariant written = ZEVSpaceWindowFrame::windowDefaultFor(r, kScreen);
        ASSERT_TRUE(written.isValid()) << &r - frames;
        const QRectF back = ZEVSpaceWindowFrame::windowDefaultRect(written, kScreen);
        EXPECT_NEAR(back.x(), r.x(), 0.01) << &r - frames;
        EXPECT_NEAR(back.y(), r.y(), 0.01) << &r - frames;
        EXPECT_EQ(back.width(), r.width()) << &r - frames;
    }
    // A window as wide as the screen writes nothing.
    EXPECT_FALSE(ZEVSpaceWindowFrame::windowDefaultFor(QRectF(0, 0, 1920, 1223), kScreen).isValid());

    // Too narrow, not numbers, a key missing: the default frame.
    const QVariantMap bad[] = {frameDefault(100, 0.5, 0.5), frameDefault(std::nan(""), 0.5, 0.5),
                               {{"width", "wide"}, {"xRatio", 0}, {"yRatio", 0}}, {{"width", 1000}, {"xRatio", 0.5}}};
    for (const QVariantMap& b : bad)
        EXPECT_EQ(ZEVSpaceWindowFrame::windowDefaultRect(b, kScreen), fallback) << &b - bad;
    // Wider than the screen, or placed off it: kept on the screen, still 8 : 5.
    EXPECT_EQ(ZEVSpaceWindowFrame::windowDefaultRect(frameDefault(5000, 7, -3), kScreen), QRectF(0, -23, 1920, 1223));
    EXPECT_EQ(ZEVSpaceWindowFrame::windowDefaultRect(frameDefault(1000, -2, 40), kScreen), QRectF(0, 552, 1000, 648));
}

// What a start does with the stored frame, in whole pixels: the outer frame's top left corner
// (y-down) where the window is put, and the frame the window then reports to be stored at quit,
// its height its content's (8 : 5, whole pixels) and the stored title bar, whatever the manager's
// decorations and the menu bar add around it.
struct Start {
    QPoint corner;
    QVariant stored;
};
Start startWith(const QVariant& stored, const QRectF& screen)
{
    const QRectF f = ZEVSpaceWindowFrame::windowDefaultRect(stored, screen);
    const QPoint corner(int(std::lround(f.x())), int(std::lround(screen.height() - (f.y() + f.height()))));
    const double content = std::lround(f.width() / ZEVSpaceWindowFrame::kContentAspect);
    const double height = content + ZEVSpaceWindowFrame::kTitleBarHeight;
    const QRectF reported(corner.x(), screen.height() - (corner.y() + height), f.width(), height);
    return {corner, ZEVSpaceWindowFrame::windowDefaultFor(reported, screen)};
}

TEST(ZEVSpaceWindowFrame, AWindowComesBackToTheSamePixelAtEveryStart)
{
    const QMargins decorations(1, 20, 1, 5); // a window manager's frame
    const int bar = 19;
    const QRect available(0, 0, 1920, 1200);
    // The largest window refused a maximise lies whole inside the available area.
    const QRect largest = ZEVSpaceWindowFrame::largestFrame(available, decorations + QMargins(0, bar, 0, 0));
    EXPECT_TRUE(available.contains(largest)) << largest.x() << "," << largest.y() << " " << largest.width() << "x"
                                             << largest.height();
    EXPECT_EQ(largest.size(), QSize(1849 + 2, 1156 + 20 + bar + 5));

    // Frames whose height is not the one the stored width gives (a content of whole pixels), as
    // tall as the screen allows, against an edge or anywhere.
    const struct {
        QPoint corner;
        int width;
    } frames[] = {{largest.topLeft(), 1849}, {{30, 3}, 1849}, {{0, 0}, 1901}, {{500, 370}, 1261}, {{7, 411}, 1261},
                  {{900, 0}, 1003}};
    for (const auto& f : frames) {
        SCOPED_TRACE(f.width);
        const double content = std::lround(f.width / ZEVSpaceWindowFrame::kContentAspect);
        const double height = content + ZEVSpaceWindowFrame::kTitleBarHeight;
        QVariant stored = ZEVSpaceWindowFrame::windowDefaultFor(
            QRectF(f.corner.x(), kScreen.height() - (f.corner.y() + height), f.width, height), kScreen);
        ASSERT_TRUE(stored.isValid());
        for (int start = 0; start < 3; ++start) {
            const Start s = startWith(stored, kScreen);
            EXPECT_EQ(s.corner, f.corner) << "start " << start;
            EXPECT_EQ(s.stored, stored) << "start " << start;
            stored = s.stored;
        }
    }
}

TEST(ZEVSpaceWindowFrame, ContentFitsWhatWasGivenAndTheScreenByShrinking)
{
    const QSize room(1916, 1196);
    const struct {
        QSize given;
        QSize fitted;
    } rows[] = {
        {{1000, 625}, {1000, 625}},   // already 8 : 5
        {{900, 900}, {900, 563}},     // too tall: the width decides
        {{1800, 700}, {1120, 700}},   // too wide: the height decides
        {{1600, 1001}, {1600, 1000}}, // one pixel off
        {{2400, 1500}, {1913, 1196}}, // beyond the screen: the room decides
        {{1916, 1196}, {1913, 1196}}, // a maximised size without the maximised state
    };
    for (const auto& r : rows) {
        const QSize got = ZEVSpaceWindowFrame::fittedContentSize(r.given, room);
        EXPECT_EQ(got, r.fitted) << "row " << &r - rows;
        EXPECT_TRUE(got.width() <= r.given.width() && got.height() <= r.given.height()) << "row " << &r - rows;
        EXPECT_TRUE(ZEVSpaceWindowFrame::siContentSizeAllowed(QSizeF(got))) << "row " << &r - rows;
    }
    // Below the minimum, or a screen smaller than it: the minimum, the one size allowed to exceed.
    EXPECT_EQ(ZEVSpaceWindowFrame::fittedContentSize(QSize(100, 60), room), QSize(432, 270));
    EXPECT_EQ(ZEVSpaceWindowFrame::fittedContentSize(QSize(1000, 625), QSize(300, 200)), QSize(432, 270));
}

TEST(ZEVSpaceKeys, ReturnDeleteArrowsAndEditKeysFollowTheActiveCursor)
{
    using A = ZEVSpaceKeyAction;
    const struct {
        int key;
        ZEVSpaceKeyState state;
        A action;
        int passOn; // -1: either
    } rows[] = {
        {Qt::Key_Return, {}, A::StepBack, true},
        {Qt::Key_Return, {.recallingSelectedItems = true}, A::RecallNow, -1},
        {Qt::Key_Backspace, {.recallingSelectedItems = true}, A::StepBack, false},
        {Qt::Key_Backspace, {.shift = true, .recallingSelectedItems = true}, A::None, -1},
        {Qt::Key_Backspace, {.searchActive = true}, A::None, false},
        {Qt::Key_Backspace, {.searchActive = true, .shift = true}, A::StepBack, -1},
        {Qt::Key_Delete, {.searchActive = true, .shift = true, .releasingSelectedItems = true}, A::ReleaseSearch, -1},
        // Nothing to recall at Search, unless to Now.
        {Qt::Key_Return, {.searchActive = true, .shift = true, .releasingSelectedItems = true}, A::None, -1},
        {Qt::Key_Return, {.searchActive = true, .recallingNowSelectedItems = true}, A::RecallNow, -1},
        {Qt::Key_Up, {}, A::ChannelUp, -1},
        // Escape that no view or list took is the window's step back.
        {Qt::Key_Escape, {.searchActive = true}, A::StepBack, false},
        {Qt::Key_Left, {}, A::GotoPrevious, -1},
        {Qt::Key_Up, {.control = true}, A::HistoryNext, -1},
        {Qt::Key_Down, {.control = true}, A::HistoryPrevious, -1},
        {Qt::Key_Right, {.control = true}, A::SpaceCleanNext, false},
        {Qt::Key_A, {.control = true}, A::None, true},
        // Ctrl with A, C, X, V are the main menu's Edit keys: the window leaves them alone.
        {Qt::Key_A, {.command = true}, A::None, true},
        {Qt::Key_C, {.command = true}, A::None, true},
        {Qt::Key_V, {}, A::None, true},
        {Qt::Key_C, {.control = true, .command = true}, A::None, true},
    };
    for (const auto& r : rows) {
        const ZEVSpaceKeyResult got = spaceKeyResult(r.key, r.state);
        EXPECT_EQ(got.action, r.action) << "row " << &r - rows;
        EXPECT_TRUE(r.passOn < 0 || got.passOn == bool(r.passOn)) << "row " << &r - rows;
    }
}

TEST_F(Space, WindowOpensWithTheStoredFrameAndKeepsItsMinimum)
{
    defaultsController.setValue("ZEVSpaceWindow", frameDefault(1000, 0.5, 0.25));
    build();
    ZEVSpaceWindow* w = space->spaceWindow();
    ASSERT_NE(w, nullptr);
    settle();
    EXPECT_TRUE(w->isWindow());
    EXPECT_TRUE(w->isVisible());
    EXPECT_FALSE(w->siFullScreen());
    EXPECT_EQ(w->size(), QSize(1000, 625));
    // The frame's corner is the decorations' outer corner; the content sits inside them.
    const QRectF frame = w->frameYUp(kScreen);
    EXPECT_EQ(frame.width(), 1000);
    EXPECT_EQ(frame.height(), 648);
    EXPECT_NEAR(frame.x(), 460, 0.5);
    EXPECT_NEAR(frame.y(), (1200 - 648 - 23) * 0.25, 0.5);
    EXPECT_EQ(w->frameGeometry().topLeft(), QPoint(460, 1200 - 648 - 132));
    EXPECT_EQ(w->geometry().topLeft(), w->frameGeometry().topLeft() + QPoint(2, 2));
    EXPECT_FALSE(space->siMiniSpace());
    EXPECT_DOUBLE_EQ(space->deskGeometry().spaceRatioSR(), 19200.0 / 1000); // the desk follows the window

    // Below the minimum is refused at once; the minimum is itself 8 : 5.
    w->resize(100, 60);
    settle();
    EXPECT_EQ(w->size(), QSize(432, 270));
}

TEST_F(Space, WindowTakesTheManagersFullScreenTurnsAMaximiseIntoItsLargestFrameAndShrinksAnyOtherSizeToFit)
{
    build();
    ZEVSpaceWindow* w = space->spaceWindow();
    const QRect available = w->screen()->availableGeometry();
    ASSERT_EQ(available, QRect(0, 0, 1920, 1200));
    const QRect normal(200, 150, 800, 500);
    const struct {
        const char* name;
        std::function<void()> manager;
        QRect content; // the content the window ends with
        bool inside;   // the whole frame on the available area
    } rows[] = {
        {"maximised: the largest 8 : 5 window, centred", [w] { w->showMaximized(); }, QRect(3, 2, 1913, 1196), true},
        {"full screen", [w] { w->showFullScreen(); }, QRect(0, 0, 1920, 1200), true},
        {"the whole available area, not maximised", [&] { w->setGeometry(available); }, QRect(2, 2, 1913, 1196), true},
        {"too tall", [w] { w->resize(900, 900); }, QRect(200, 150, 900, 563), true},
        {"too wide", [w] { w->resize(1600, 700); }, QRect(200, 150, 1120, 700), true},
        {"beyond the screen's right and bottom edges", [w] { w->resize(2400, 1500); }, QRect(5, 2, 1913, 1196), true},
        {"8 : 5 and partly off the screen: the user's to place", [w] { w->move(1500, 900); },
         QRect(1502, 902, 800, 500), false},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        w->showNormal();
        w->setGeometry(normal);
        settle();
        ASSERT_EQ(w->geometry(), normal);
        r.manager();
        settle();
        EXPECT_EQ(w->geometry(), r.content);
        EXPECT_EQ(available.contains(w->frameGeometry()), r.inside);
        EXPECT_FALSE(w->isMaximized());
        const QSize view = w->spaceView()->size();
        EXPECT_DOUBLE_EQ(space->deskGeometry().spaceRatioSR(), ZEVDeskGeometry(view.width(), view.height()).spaceRatioSR());
    }
}

TEST_F(Space, FrameIsRememberedOnceMovesSettleAndReopensWhereItWas)
{
    build();
    settle();
    // Frame corners: inside the screen, against its top left, against its bottom right.
    const QPoint corners[] = {{300, 150}, {0, 0}, {1920 - 1004, 1200 - 629}};
    for (const QPoint& corner : corners) {
        SCOPED_TRACE(&corner - corners);
        ZEVSpaceWindow* w = space->spaceWindow();
        w->resize(1000, 625);
        w->move(corner);
        QCoreApplication::processEvents();
        sched.advance(0.2);
        EXPECT_NE(defaultsController.values("ZEVSpaceWindow").toMap().value("xRatio").toDouble(), corner.x() / 920.0);
        settle();
        const QRect frame = w->frameGeometry();
        const QRect geometry = w->geometry();
        ASSERT_EQ(frame.topLeft(), corner);
        const QVariantMap stored = defaultsController.values("ZEVSpaceWindow").toMap();
        EXPECT_EQ(stored.value("width").toDouble(), 1000);
        EXPECT_NEAR(stored.value("xRatio").toDouble(), corner.x() / 920.0, 1e-6);

        space.reset();
        build();
        settle();
        EXPECT_EQ(space->spaceWindow()->frameGeometry(), frame);
        EXPECT_EQ(space->spaceWindow()->geometry(), geometry);
    }
}

// The largest window a maximise gives, as tall as the screen allows: its stored height is not its
// own, and the difference once came back multiplied at every start, moving it down the screen.
TEST_F(Space, TheLargestWindowReopensOnTheSameFrameAtEveryStart)
{
    build();
    settle();
    ZEVSpaceWindow* w = space->spaceWindow();
    w->showMaximized();
    settle();
    ASSERT_FALSE(w->isMaximized());
    const QRect frame = w->frameGeometry();
    EXPECT_TRUE(w->screen()->availableGeometry().contains(frame));
    const QVariant stored = defaultsController.values("ZEVSpaceWindow");
    for (int start = 0; start < 3; ++start) {
        SCOPED_TRACE(start);
        space.reset();
        build();
        settle();
        EXPECT_EQ(space->spaceWindow()->frameGeometry(), frame);
        EXPECT_EQ(defaultsController.values("ZEVSpaceWindow"), stored);
    }
}

TEST_F(Space, FullScreenStateIsRememberedAndComesBackWithTheFrameBehindIt)
{
    defaultsController.setValue("ZEVSpaceWindow", frameDefault(1000, 0.5, 0.25));
    build();
    ZEVSpaceWindow* w = space->spaceWindow();
    settle();
    const QRect normal = w->geometry();
    const QVariant storedFrame = defaultsController.values("ZEVSpaceWindow");
    auto fullScreenDefault = [this] { return defaultsController.values("ZEVFullScreen").toBool(); };
    auto storedRect = [this] {
        return ZEVSpaceWindowFrame::windowDefaultRect(defaultsController.values("ZEVSpaceWindow"), kScreen).toRect();
    };

    // The manager (or the user through it) makes the window full screen.
    w->showFullScreen();
    settle();
    EXPECT_TRUE(w->siFullScreen());
    EXPECT_TRUE(fullScreenDefault());
    EXPECT_EQ(w->geometry(), QRect(0, 0, 1920, 1200));
    EXPECT_EQ(defaultsController.values("ZEVSpaceWindow"), storedFrame); // full screen writes no frame
    // Minimised and back: the state stays remembered.
    w->setWindowState(Qt::WindowMinimized);
    QCoreApplication::processEvents();
    EXPECT_TRUE(fullScreenDefault());
    w->showFullScreen();
    settle();

    // The next start opens full screen, and leaving it gives back the stored frame.
    space.reset();
    build();
    w = space->spaceWindow();
    settle();
    EXPECT_TRUE(w->siFullScreen());
    EXPECT_FALSE(w->windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_EQ(w->geometry(), QRect(0, 0, 1920, 1200));
    w->setSiFullScreen(false);
    settle();
    EXPECT_FALSE(fullScreenDefault());
    EXPECT_EQ(w->geometry(), normal);
    EXPECT_EQ(storedRect(), ZEVSpaceWindowFrame::windowDefaultRect(storedFrame, kScreen).toRect());

    space.reset();
    build();
    settle();
    EXPECT_FALSE(space->spaceWindow()->siFullScreen());
    EXPECT_EQ(space->spaceWindow()->geometry(), normal);
}

TEST_F(Space, CtrlQAsksTheHostToQuitAndKeepsAMoveNotYetSettled)
{
    build();
    ZEVSpaceWindow* w = space->spaceWindow();
    settle();
    QApplication::setActiveWindow(w);
    QCoreApplication::processEvents();
    ASSERT_EQ(QApplication::activeWindow(), w);
    // From the window itself and from the desk canvas inside it.
    QWidget* const targets[] = {w, w->spaceView()->deskCanvas()};
    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE(i);
        QWidget* target = targets[i];
        const QPoint corner(100 + 50 * i, 80);
        w->move(corner);
        QCoreApplication::processEvents();
        take();
        QTest::keyClick(target, Qt::Key_Q, Qt::ControlModifier);
        EXPECT_EQ(take(), Trace{"host userQuit"});
        const QVariantMap stored = defaultsController.values("ZEVSpaceWindow").toMap();
        EXPECT_NEAR(stored.value("xRatio").toDouble(), corner.x() / (1920.0 - w->width()), 1e-6);
    }
    // Q alone is no quit.
    QTest::keyClick(w, Qt::Key_Q);
    EXPECT_EQ(take(), Trace{});
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

// The space model drops a cache while its picture is rendered on a worker: the render comes back
// to nothing, and the observers of the cache that went are never called.
TEST_F(Space, ABackgroundCacheDroppedWhileItsPictureRendersHearsNothingAfter)
{
    build();
    ZEVSpaceClass* model = space->spaceClass();
    KELI* in = KELServeurDeLiens::LienForInt(KELOBJECT_SCALE_IN, timeline);
    KELI* image = KELServeurDeLiens::LienForInt(KELOBJECT_HOME_CHANNEL, timeline);
    ASSERT_TRUE(in && image);
    const QString picture = QString::fromStdString(test::makeTempDir("back")) + "/big.png";
    QImage big(3000, 2000, QImage::Format_RGB32);
    big.fill(Qt::darkCyan);
    ASSERT_TRUE(big.save(picture));

    int told = 0;
    for (int round = 0; round < 3; ++round) {
        ZEVBackObject* cache = model->backObjectForImage(image, KELOBJECT_HOME_CHANNEL, QRectF(0, 0, 1600, 1000), in);
        ASSERT_NE(cache, nullptr);
        cache->setFileURL(picture);
        cache->addBackImageObserver(&told, [&told](ZEVBackObjectServices*) { ++told; });
        cache->loadBackImage();
        model->enleveBackObjectForItemInt(image->idInt());
        QThreadPool::globalInstance()->waitForDone();
        QCoreApplication::processEvents();
    }
    EXPECT_EQ(told, 0);
    // A cache that stays hears of its picture.
    ZEVBackObject* kept = model->backObjectForImage(image, KELOBJECT_HOME_CHANNEL, QRectF(0, 0, 160, 100), in);
    kept->setFileURL(picture);
    kept->addBackImageObserver(&told, [&told](ZEVBackObjectServices*) { ++told; });
    kept->loadBackImage();
    for (int i = 0; i < 20 && told == 0; ++i) {
        QThreadPool::globalInstance()->waitForDone();
        QCoreApplication::processEvents();
    }
    EXPECT_EQ(told, 1);
    EXPECT_FALSE(kept->backImage().isNull());
}

// The desk canvas is where a change of the desktop's font or theme is seen: it tells the titles,
// which lay themselves out again at their next paint.
TEST(ZEVDeskCanvas, AChangeOfTheFontOrTheThemeIsCountedForTheTitles)
{
    ZEVDeskCanvas canvas(nullptr);
    for (QEvent::Type type : {QEvent::ApplicationFontChange, QEvent::ThemeChange}) {
        const quint64 before = systemfont::generation();
        QEvent change(type);
        QApplication::sendEvent(&canvas, &change);
        EXPECT_GT(systemfont::generation(), before);
    }
    // Through the window, as a new desktop font reaches it.
    QWidget window;
    auto* inside = new ZEVDeskCanvas(&window);
    QFont larger = window.font();
    larger.setPointSizeF(larger.pointSizeF() + 3);
    const quint64 before = systemfont::generation();
    window.setFont(larger);
    EXPECT_EQ(inside->font(), larger);
    EXPECT_GT(systemfont::generation(), before);
}

namespace {

// Every region the canvas's viewport was asked to paint, as it arrives.
struct PaintedRegions : QObject {
    QRegion painted;
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            painted += static_cast<QPaintEvent*>(event)->region();
            ++paints;
        }
        return false;
    }
};

void pumpPaints()
{
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();
}

} // namespace

// The canvas repaints what changed: a moved icon's old place and its new one (a part sticking out
// of it included), never the desk between two small changes at opposite corners; a change of many
// icons at once asks the whole scene, and gets it. What is on screen afterwards shows the move.
TEST(ZEVDeskCanvas, RepaintsTheOldAndNewPlacesOfAMovedIconAndNotTheDeskBetween)
{
    QGraphicsScene scene(0, 0, 600, 400);
    scene.setBackgroundBrush(Qt::white);
    ZEVDeskCanvas canvas(nullptr);
    canvas.setScene(&scene);
    canvas.resize(600, 400);
    auto* icon = scene.addRect(0, 0, 40, 50, Qt::NoPen, Qt::red);
    icon->setPos(10, 10);
    // A part of the icon outside its own rectangle, as a sticker lies.
    auto* part = new QGraphicsRectItem(0, 0, 12, 12, icon);
    part->setPen(Qt::NoPen);
    part->setBrush(Qt::blue);
    part->setPos(44, 54);
    auto* other = scene.addRect(0, 0, 40, 50, Qt::NoPen, Qt::green);
    other->setPos(540, 20);
    std::vector<QGraphicsRectItem*> many;
    for (int i = 0; i < 60; ++i) {
        many.push_back(scene.addRect(0, 0, 8, 8, Qt::NoPen, Qt::gray));
        many.back()->setPos(100 + (i % 10) * 30, 200 + (i / 10) * 20);
    }
    canvas.show();
    pumpPaints();
    PaintedRegions spy;
    canvas.viewport()->installEventFilter(&spy);

    icon->setPos(520, 320);
    other->setBrush(Qt::darkGreen);
    pumpPaints();
    ASSERT_GT(spy.paints, 0);
    for (const QRect& place : {QRect(10, 10, 40, 50), QRect(54, 64, 12, 12), QRect(520, 320, 40, 50),
                               QRect(564, 374, 12, 12), QRect(540, 20, 40, 50)})
        EXPECT_EQ(spy.painted.intersected(place), QRegion(place)) << place.x() << "," << place.y();
    long area = 0;
    for (const QRect& r : spy.painted)
        area += long(r.width()) * r.height();
    EXPECT_LT(area, 600 * 400 / 10);

    // What the window shows: the red icon and its part at the new place, the old place bare.
    auto* shown = dynamic_cast<QImage*>(canvas.backingStore()->paintDevice());
    ASSERT_NE(shown, nullptr);
    {
        const qreal dpr = shown->devicePixelRatio();
        auto at = [&](int x, int y) { return shown->pixelColor(QPointF(x * dpr, y * dpr).toPoint()); };
        EXPECT_EQ(at(30, 30), QColor(Qt::white));
        EXPECT_EQ(at(60, 70), QColor(Qt::white));
        EXPECT_EQ(at(540, 340), QColor(Qt::red));
        EXPECT_EQ(at(570, 380), QColor(Qt::blue));
        EXPECT_EQ(at(560, 40), QColor(Qt::darkGreen));
    }

    // Many icons moved: the whole scene is asked, and the whole viewport painted.
    spy.painted = QRegion();
    for (QGraphicsRectItem* r : many)
        r->moveBy(3, 0);
    scene.update();
    pumpPaints();
    EXPECT_EQ(spy.painted.intersected(canvas.viewport()->rect()), QRegion(canvas.viewport()->rect()));
}
