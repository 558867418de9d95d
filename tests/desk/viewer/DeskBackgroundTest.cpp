#include "tests/desk/DeskFixture.h"

#include "space/background/ZEVBackImageRenderer.h"
#include "desk/view/ZEVDeskBackImageView.h"
#include "desk/view/ZEVDeskView.h"
#include "space/ZEVSpaceWindow.h"

#include <QBackingStore>
#include <QGraphicsScene>
#include <QPaintEvent>
#include <QPainter>
#include <QThread>

namespace desktest {

TEST(BackImageSize, FollowsTheScaleWordAndTheDeskShape)
{
    // 1000 x 800 is narrower than 1.6: the height taken is 625.
    EXPECT_EQ(ZEVBackImageSize(1.5, 1000, 800, kZEVScaleIn), QSizeF(937.5, 625));
    EXPECT_EQ(ZEVBackImageSize(1.5, 1000, 800, kZEVScaleOut), QSizeF(16.0 / 9 * 625, 16.0 / 9 * 625 / 1.5));
    EXPECT_EQ(ZEVBackImageSize(2.0, 1600, 900, kZEVScaleIn), QSizeF(1600, 800));
    EXPECT_EQ(ZEVBackImageSize(2.0, 1600, 900, kZEVScaleOut), QSizeF(1800, 900));
}

TEST(BackRenderCache, RendersAPdfAwayFromTheMainThreadAndHandsItBack)
{
    const QString dir = QString::fromStdString(test::makeTempDir("pdf"));
    const QString pdf = writePdf(dir + "/wide.pdf", 320, 200, Qt::red);
    EXPECT_NEAR(ZEVBackImageRatio(pdf), 1.6, 1e-6);

    KELI image, scale;
    image.assignerIdInt(77);
    scale.assignerIdInt(kZEVScaleIn);
    ZEVBackObject cache(&image, KELOBJECT_HOME_CHANNEL, QRectF(0, 0, 800, 500));
    cache.setScaleMot(&scale);
    cache.setFileURL(pdf);
    QThread* seenOn = nullptr;
    int told = 0;
    cache.addBackImageObserver(&told, [&](ZEVBackObjectServices*) { seenOn = QThread::currentThread(); ++told; });
    cache.loadBackImage();
    cache.loadBackImage(); // under way: queued, not run twice at once
    EXPECT_TRUE(cache.siReloadQueued());
    EXPECT_TRUE(cache.backImage().isNull());
    drainWorkers();
    EXPECT_EQ(told, 2);
    EXPECT_EQ(seenOn, QCoreApplication::instance()->thread());
    ASSERT_FALSE(cache.backImage().isNull());
    EXPECT_EQ(cache.backImage().size(), QSize(800, 500));
    EXPECT_EQ(QColor(cache.backImage().pixel(400, 250)), QColor(Qt::red));
    EXPECT_NEAR(cache.initialImageRatio(), 1.6, 1e-6);

    // A missing file leaves the image as it was and still tells the observers.
    ZEVBackObject missing(&image, KELOBJECT_HOME_CHANNEL, QRectF(0, 0, 800, 500));
    missing.setScaleMot(&scale);
    missing.setFileURL(dir + "/none.pdf");
    told = 0;
    missing.addBackImageObserver(&told, [&](ZEVBackObjectServices*) { ++told; });
    missing.loadBackImage();
    drainWorkers();
    EXPECT_EQ(told, 1);
    EXPECT_TRUE(missing.backImage().isNull());
}

class Backgrounds : public DeskViewerBase {
protected:
    void SetUp() override
    {
        DeskViewerBase::SetUp();
        dir = QString::fromStdString(test::makeTempDir("walls"));
    }
    void wallpapers(double greyRatio)
    {
        grey = writePdf(dir + "/zevWallpaperGrey.pdf", 200 * greyRatio, 200, QColor(200, 0, 0));
        fresh = writePdf(dir + "/zevWallpaperNew.pdf", 320, 200, QColor(0, 200, 0));
        space.wallpapers["zevWallpaperGrey.pdf"] = grey.toStdString();
        space.wallpapers["zevWallpaperNew.pdf"] = fresh.toStdString();
        space.pendingPaths = {fresh, grey};
    }
    QString dir, grey, fresh;
};

TEST_F(Backgrounds, FirstRunLaysSpaceZeroBeforeNowAndSpaceOneFromNow)
{
    wallpapers(1.5);
    ZEVDeskViewer* d = makeDesk(now);
    EXPECT_TRUE(d->initWallpaperWithChannelViewer()); // the home Channel has no background yet
    const KELDate N = now->now();
    d->majBackForFirstTime();

    EXPECT_EQ(spans(kZEVRelationBackItem, space.current),
              (std::vector<Span>{{KELDateToujours, N}, {N, KELDateOuverte}}));
    // Width over height 1.5 for the grey wallpaper: scale "Out"; Space 0 is "In" (below).
    EXPECT_EQ(spans(kZEVRelationBackScale, space.current).size(), 2u);
    EXPECT_EQ(d->currentBackScaleMot()->idInt(), kZEVScaleOut);
    EXPECT_EQ(d->currentBackColorItem()->idInt(), kZEVDefaultColorItem);
    sched.advance(0.1);
    drainWorkers();
    EXPECT_EQ(d->currentBackImageItemName(), "Space 1");
    EXPECT_FALSE(d->deskBackImageView()->backgroundImage().isNull());
    EXPECT_EQ(d->deskBackImageView()->backgroundColor(), QColor(64, 64, 64));

    // The Search desk follows its cursor: before the install moment it shows Space 0.
    ZEVDeskViewer* s = makeDesk(search);
    s->initWallpaperWithChannelViewer();
    moveSearchTo(N + 100);
    EXPECT_EQ(s->currentBackImageItemName(), "Space 1");
    moveSearchTo(N - 3600);
    EXPECT_EQ(s->currentBackImageItemName(), "Space 0");
    EXPECT_EQ(s->currentBackScaleMot()->idInt(), kZEVScaleIn);
    EXPECT_EQ(QColor(s->deskBackImageView()->backgroundImage().pixel(10, 10)), QColor(0, 200, 0));
}

TEST_F(Backgrounds, AWideGreyWallpaperIsScaledInAndMissingWallpapersAreLogged)
{
    ZEVDeskViewer* d = makeDesk(now);
    {
        ScopedLogCapture log;
        d->majBackForFirstTime();
        EXPECT_TRUE(log.sink.contains("majBackForFirstTime: ERROR 01: No zevWallpaperGrey.pdf file found."));
        EXPECT_TRUE(spans(kZEVRelationBackItem, space.current).empty());
    }
    wallpapers(1.6);
    d->majBackForFirstTime();
    EXPECT_EQ(d->currentBackScaleMot()->idInt(), kZEVScaleIn);
}

TEST_F(Backgrounds, AChangeBetweenTwoSpacesEndsTheOldOneThereAndRunsToTheNext)
{
    wallpapers(1.6);
    ZEVDeskViewer* nowDesk = makeDesk(now);
    nowDesk->majBackForFirstTime();
    const KELDate N = now->now();
    sched.advance(10);

    ZEVDeskViewer* d = makeDesk(search);
    moveSearchTo(N - 1000);
    ASSERT_LT(search->now(), N);
    KELI* home = space.current;
    ASSERT_NE(d->currentBackItem(), nullptr);
    EXPECT_EQ(d->currentBackItem()->inDate(), KELDateToujours);

    KELI* image = newItem("Space 2");
    image->setChannelInt(KELOBJECT_HOME_CHANNEL);
    const KELDate T = N - 500;
    ASSERT_TRUE(d->userChangeBackWithImageItem(image, nowDesk->currentBackColorItem(), kZEVScaleOut, T));
    EXPECT_EQ(spans(kZEVRelationBackItem, home),
              (std::vector<Span>{{KELDateToujours, T}, {T, N}, {N, KELDateOuverte}}));
    // The colour did not change: no new colour link.
    EXPECT_EQ(spans(kZEVRelationBackColor, home).size(), 2u);
    EXPECT_EQ(spans(kZEVRelationBackScale, home).size(), 3u);

    // An image of another Channel changes nothing.
    ScopedLogCapture log;
    KELI* stranger = itemClasses.front()->creerItemWithChannelInt(999, "elsewhere", "file", "pdf", 0);
    EXPECT_FALSE(d->userChangeBackWithImageItem(stranger, nullptr, kZEVScaleIn, T + 10));
    EXPECT_TRUE(log.sink.contains("userChangeBackWithImageItem: transitionDate: channelInt = 999  identityInt = 2000018"));
    EXPECT_EQ(spans(kZEVRelationBackItem, home).size(), 3u);
}

TEST_F(Backgrounds, AChangeDatedBeforeTheShownSpaceNeverClosesItBeforeItStarts)
{
    wallpapers(1.6);
    ZEVDeskViewer* d = makeDesk(now);
    d->majBackForFirstTime();
    const KELDate N = now->now();
    sched.advance(10);
    deskmodel::relancer(now);
    KELI* image = newItem("early");
    image->setChannelInt(KELOBJECT_HOME_CHANNEL);
    // The Space shown at the Now cursor began at N; a change dated before it fills the gap only.
    ASSERT_TRUE(d->userChangeBackWithImageItem(image, d->currentBackColorItem(), kZEVScaleIn, N - 100));
    const std::vector<Span> images = spans(kZEVRelationBackItem, space.current);
    for (const auto& [in, out] : images)
        EXPECT_LT(in, out); // no link of zero length or less
    EXPECT_NE(std::find(images.begin(), images.end(), Span(N - 100, N)), images.end());
}

// The background alone hears the background links: the desk viewer is no listener of its own.
static_assert(std::is_base_of_v<KELDelegueDeMaj, ZEVDeskBackground>);
static_assert(!std::is_base_of_v<KELDelegueDeMaj, ZEVDeskViewer>);

TEST_F(Backgrounds, ACursorMovedAcrossABackgroundChangeChangesThePictureAndLeavesTheViewsAlone)
{
    wallpapers(1.6);
    ZEVDeskViewer* nowDesk = makeDesk(now);
    nowDesk->majBackForFirstTime(); // Space 0 (green) until N, Space 1 (red) from N
    const KELDate N = now->now();
    sched.advance(10);

    ZEVDeskViewer* d = makeDesk(search);
    moveSearchTo(N - 100);
    // An icon on the desk at every date, so that no move of the cursor concerns it.
    ZEVDeskClass* model = desks.back().get();
    KELI* a = newItem("always");
    model->creerIconAttributsForItem(a, ZEVIconPosition{400, 300, 80, 0});
    model->creerIconForItem(a, KELDateToujours, KELDateOuverte);
    deskmodel::relancer(search);
    sched.advance(1.0);
    FakeView* v = fake(d->itemViewForItem(a));
    ASSERT_NE(v, nullptr);
    ASSERT_EQ(presence(d, v), std::tuple(true, false, true));
    const auto counts = std::tuple(v->ajoute, v->actif, v->futur);
    const std::size_t views = d->nbDeItemViews(), passes = d->nbDePasses();

    ZEVDeskBackground& back = d->background();
    struct Step {
        double at;
        const char* space;
        QColor pixel;
    };
    for (const Step& s : {Step{N + 100, "Space 1", QColor(200, 0, 0)}, Step{N - 100, "Space 0", QColor(0, 200, 0)},
                          Step{N + 3600, "Space 1", QColor(200, 0, 0)}}) {
        SCOPED_TRACE(s.space);
        moveSearchTo(s.at);
        EXPECT_EQ(back.currentBackImageItemName(), s.space);
        EXPECT_EQ(back.previousBackImageItem(), back.currentBackImageItem()); // the layer shows it
        ASSERT_FALSE(d->deskBackImageView()->backgroundImage().isNull());
        EXPECT_EQ(QColor(d->deskBackImageView()->backgroundImage().pixel(10, 10)), s.pixel);

        EXPECT_EQ(std::pair(d->nbDeItemViews(), d->nbDePasses()), std::pair(views, passes));
        EXPECT_EQ(d->nbEnAttente(), 0u);
        EXPECT_EQ(d->itemViewForItem(a), v);
        EXPECT_EQ(presence(d, v), std::tuple(true, false, true));
        EXPECT_EQ(std::tuple(v->ajoute, v->actif, v->futur), counts);
    }
}

namespace {

// The regions a widget was asked to paint, one per paint.
struct Paints : QObject {
    std::vector<QRegion> regions;
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            regions.push_back(static_cast<QPaintEvent*>(event)->region());
        return false;
    }
};

} // namespace

// A cursor move that changes the picture and moves a view is painted once, the picture and the
// view together, however the event loop turns between the move's refreshes; and the window then
// shows the new picture with the view at its new place only.
TEST_F(Backgrounds, ACursorMoveThatChangesThePictureAndMovesAViewIsPaintedOnce)
{
    wallpapers(1.6); // 800 x 500 pictures on the 800 x 600 desk, from y = 50 to 550
    ZEVDeskViewer* nowDesk = makeDesk(now);
    nowDesk->majBackForFirstTime(); // Space 0 (green) until N, Space 1 (red) from N
    const KELDate N = now->now();
    sched.advance(10);

    ZEVDeskViewer* d = makeDesk(search);
    ZEVDeskClass* model = desks.back().get();
    KELI* a = newItem("moving");
    const ZEVIconPosition left{200, 300, 80, 0}, right{600, 300, 80, 0};
    model->creerIconAttributsForItem(a, left);
    model->creerIconForItem(a, KELDateToujours, KELDateOuverte);
    model->updatePosition(right, left, a, N + 50);
    deskmodel::relancer(search);
    // Both pictures once, so that neither waits for its rendering in the move measured.
    moveSearchTo(N + 100);
    moveSearchTo(N - 100);
    FakeView* v = fake(d->itemViewForItem(a));
    ASSERT_NE(v, nullptr);
    ASSERT_EQ(v->iconPosition().x, 200);

    ZEVDeskCanvas canvas(nullptr);
    canvas.setScene(d->deskView());
    canvas.resize(800, 600);
    canvas.show();
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();
    Paints paints;
    canvas.viewport()->installEventFilter(&paints);

    search->initierDeplacementCurseur();
    search->decalerCurseur(N + 100 - search->now());
    search->terminerDeplacementCurseur();
    // The event loop turns (and paints) between each perform of the refresh.
    for (int i = 0; i < 12; ++i) {
        sched.advance(0.01);
        QCoreApplication::processEvents();
    }
    drainWorkers();

    EXPECT_EQ(d->currentBackImageItemName(), "Space 1");
    EXPECT_EQ(v->iconPosition().x, 600);
    ASSERT_EQ(paints.regions.size(), 1u);
    EXPECT_EQ(paints.regions[0].intersected(canvas.viewport()->rect()), QRegion(canvas.viewport()->rect()));
    auto* shown = dynamic_cast<QImage*>(canvas.backingStore()->paintDevice());
    ASSERT_NE(shown, nullptr);
    const qreal dpr = shown->devicePixelRatio();
    auto at = [&](int x, int y) { return shown->pixelColor(QPointF(x * dpr, y * dpr).toPoint()); };
    EXPECT_EQ(at(200, 300), QColor(200, 0, 0)); // the old place shows the new picture
    EXPECT_EQ(at(600, 300), QColor(0, 0, 255));
    EXPECT_EQ(at(400, 100), QColor(200, 0, 0));
}

TEST_F(Backgrounds, AnInactiveChannelShowsTheDefaultColourAndHidesItsViews)
{
    wallpapers(1.6);
    ZEVDeskViewer* d = makeDesk(now);
    d->majBackForFirstTime();
    d->initWallpaperWithChannelViewer();
    EXPECT_TRUE(d->siChannelActif());
    KELI* unlisted = newChannel(); // no listing link at the cursor
    FakeView* v = fake(d->creerItemViewWithItem(newItem(), QPointF(300, 300), 0));
    space.current = unlisted;
    d->channelDidChangeWithIdentityInt(unlisted->idInt());
    EXPECT_FALSE(d->siChannelActif());
    EXPECT_FALSE(itemViewers.front()->channelActif);
    EXPECT_FALSE(v->channelActif);
    EXPECT_EQ(d->currentBackImageItem(), nullptr);
    EXPECT_TRUE(d->deskBackImageView()->backgroundImage().isNull());
    EXPECT_EQ(d->currentBackImageItemName(), "\u2013");
}

} // namespace desktest

namespace desktest {

// The background lies under every Object view: an update of it repaints the whole desk. Setting
// the picture or colour it already shows repaints nothing; a real change repaints.
TEST(BackImageView, SettingWhatItShowsRepaintsNothingAndAChangeRepaints)
{
    QGraphicsScene scene;
    auto* back = new ZEVDeskBackImageView(QRectF(0, 0, 400, 300), nullptr, nullptr);
    scene.addItem(back); // the scene owns it
    int repaints = 0;
    QObject::connect(&scene, &QGraphicsScene::changed, [&](const QList<QRectF>& r) { repaints += int(r.size()); });
    QCoreApplication::processEvents();
    repaints = 0;

    QImage picture(40, 30, QImage::Format_RGB32);
    picture.fill(Qt::blue);
    back->setBackgroundImage(QImage());
    back->setBackgroundColor(back->backgroundColor());
    QCoreApplication::processEvents();
    EXPECT_EQ(repaints, 0) << "the empty picture and the same colour again";

    back->setBackgroundImage(picture);
    QCoreApplication::processEvents();
    EXPECT_GT(repaints, 0);
    repaints = 0;
    back->setBackgroundImage(picture);
    QCoreApplication::processEvents();
    EXPECT_EQ(repaints, 0) << "the same picture again";

    QImage edited = picture;
    edited.setPixel(0, 0, qRgb(255, 0, 0)); // its own copy now, another picture
    back->setBackgroundImage(edited);
    QCoreApplication::processEvents();
    EXPECT_GT(repaints, 0);
    EXPECT_EQ(back->backgroundImage().pixel(0, 0), qRgb(255, 0, 0));
    repaints = 0;
    back->setBackgroundColor(Qt::red);
    QCoreApplication::processEvents();
    EXPECT_GT(repaints, 0);
    repaints = 0;
    back->setBackgroundImage(QImage());
    QCoreApplication::processEvents();
    EXPECT_GT(repaints, 0) << "the picture taken away shows the colour alone";
}

// The colour lies under the picture wherever the picture leaves the desk bare or lets it show
// through; only a picture covering the whole desk with no such pixel hides it.
TEST(BackImageView, TheColourShowsWhereThePictureLeavesTheDeskOrShowsThrough)
{
    QGraphicsScene scene(QRectF(0, 0, 400, 300));
    auto* back = new ZEVDeskBackImageView(QRectF(0, 0, 400, 300), nullptr, nullptr);
    scene.addItem(back); // the scene owns it
    back->setBackgroundColor(Qt::red);
    auto shown = [&] {
        QImage canvas(400, 300, QImage::Format_ARGB32_Premultiplied);
        canvas.fill(Qt::black);
        QPainter p(&canvas);
        scene.render(&p, QRectF(0, 0, 400, 300), QRectF(0, 0, 400, 300));
        return canvas;
    };
    QImage whole(400, 300, QImage::Format_RGB32);
    whole.fill(Qt::blue);
    back->setBackgroundImage(whole);
    EXPECT_EQ(shown().pixel(200, 150), qRgb(0, 0, 255));
    EXPECT_EQ(shown().pixel(0, 0), qRgb(0, 0, 255));

    QImage small(200, 100, QImage::Format_RGB32);
    small.fill(Qt::blue);
    back->setBackgroundImage(small);
    EXPECT_EQ(shown().pixel(200, 150), qRgb(0, 0, 255));
    EXPECT_EQ(shown().pixel(5, 5), qRgb(255, 0, 0)) << "the bare desk around a smaller picture";

    QImage through(400, 300, QImage::Format_ARGB32_Premultiplied);
    through.fill(Qt::transparent);
    back->setBackgroundImage(through);
    EXPECT_EQ(shown().pixel(200, 150), qRgb(255, 0, 0)) << "a picture that lets the desk show through";
}

// A new picture or colour repaints the whole desk: until that paint, the desk says so, and a view
// that changes meanwhile need not search whether others hide it. A layer that leaves part of the
// desk out, or a change that repaints nothing, does not.
TEST(BackImageView, ANewPictureOrColourHasTheWholeDeskPaintedNext)
{
    ZEVDeskView desk(QRectF(0, 0, 400, 300), nullptr, nullptr);
    auto* back = new ZEVDeskBackImageView(QRectF(0, 0, 400, 300), &desk, nullptr);
    desk.addItem(back); // the scene owns it
    EXPECT_FALSE(desk.paintsWholeNext());
    back->setBackgroundColor(Qt::red);
    EXPECT_TRUE(desk.paintsWholeNext());
    desk.didPaint();
    EXPECT_FALSE(desk.paintsWholeNext()) << "painted";
    back->setBackgroundColor(Qt::red);
    EXPECT_FALSE(desk.paintsWholeNext()) << "the same colour repaints nothing";
    QImage picture(40, 30, QImage::Format_RGB32);
    picture.fill(Qt::blue);
    back->setBackgroundImage(picture);
    EXPECT_TRUE(desk.paintsWholeNext());
    desk.didPaint();
    back->redraw();
    EXPECT_TRUE(desk.paintsWholeNext()) << "the picture drawn again, as when it was rendered anew";
    desk.didPaint();

    back->setFrame(QRectF(0, 0, 200, 300));
    back->setBackgroundColor(Qt::green);
    EXPECT_FALSE(desk.paintsWholeNext()) << "a layer over half the desk";
}

} // namespace desktest
