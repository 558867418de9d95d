// What an Object view shows: the missing-file rules of its best picture, the deliveries that
// apply (the newest, for a view still there, of a real size), the ratio they bring, the
// flicker, the title's colours and its edit in place, and a view copy's preview frame.

#include "tests/objects/ObjectsFakes.h"

#include "objects/drawing/ZEVItemTitleColours.h"
#include "objects/view/ZEVItemStickers.h"
#include "objects/view/ZEVItemViewCopy.h"
#include "platform/thumbs/Thumbnails.h"
#include "runtime/Log.h"
#include "runtime/Scheduler.h"
#include "services/ZEVPersonServices.h"

#include <QGraphicsView>
#include <QLineEdit>
#include <QStandardItemModel>
#include <QTableView>
#include <QTest>
#include <QThreadPool>

#include <limits>

using namespace tallomer;
using namespace objectstest;

namespace {

class BestImage : public ::testing::Test {
protected:
    void SetUp() override
    {
        Scheduler::setShared(&sched);
        thumbs::ThumbnailPool::setShared(&pool);
        previous = setLogSink(&log);
    }
    void TearDown() override
    {
        d.reset();
        pool.waitForDone();
        QCoreApplication::processEvents();
        thumbs::ThumbnailPool::setShared(nullptr);
        setLogSink(previous);
        Scheduler::setShared(nullptr);
    }
    ZEVItemView* view(KELId id, const ZEVIconPosition& p = {100, 100, 100, 0})
    {
        ZEVItemView* v = d->desk.add(d->objects.objet(id), p);
        v->setIconPosition(p, 0);
        return v;
    }
    void deliver()
    {
        pool.waitForDone();
        QCoreApplication::processEvents();
    }
    static QImage filled(int w, int h, QColor c)
    {
        QImage i(w, h, QImage::Format_RGB32);
        i.fill(c);
        return i;
    }

    ManualScheduler sched{1000};
    QThreadPool threads;
    thumbs::ThumbnailPool pool{&threads, QStringLiteral("/nonexistent")};
    MemoryLogSink log;
    LogSink* previous = nullptr;
    std::unique_ptr<Desk> d = std::make_unique<Desk>();
};

TEST_F(BestImage, AMissingFileFollowsTheRulesInOrderAndIsNeverErased)
{
    using namespace ZEVItemStickers;
    struct Case {
        ZEVItemOption options;
        const char* type;
        const char* sticker;
        bool notFound;
    };
    // No Channel's store here: every file is missing.
    for (const Case c : {Case{ZEVOPTION_HOLD_BY_TRASH, "file", "ZEVItemStickerNotFound", true},
                         Case{ZEVOPTION_ERROR | ZEVOPTION_COPYING, "file", "ZEVItemStickerError", false},
                         Case{ZEVOPTION_COPYING, "file", "", false},
                         Case{ZEVOPTION_DOWNLOADING, "file", "", false},
                         Case{0, "file", "ZEVItemStickerNotFound", true},
                         Case{ZEVOPTION_DOWNLOADING | ZEVOPTION_ERROR, "http", "ZEVItemStickerDownloading", false},
                         Case{ZEVOPTION_ERROR, "http", "ZEVItemStickerError", false},
                         Case{0, "http", "", false},
                         Case{0, "message", "", false}}) {
        d = std::make_unique<Desk>();
        ZEVItemView* v = view(10);
        setItemOptions(v->item(), c.options);
        v->betterImageForItemType(QString::fromLatin1(c.type));
        EXPECT_EQ(v->stickerName(), c.sticker) << c.options << " " << c.type;
        EXPECT_EQ(siItemOption(v->item(), ZEVOPTION_NOT_FOUND), c.notFound) << c.options << " " << c.type;
        EXPECT_TRUE(siItemOption(v->item(), c.options) || c.options == 0) << "no option is taken away";
        EXPECT_NE(d->desk.itemViewForItem(v->item()), nullptr);
    }

    // No size: a line in the log and nothing else.
    ZEVItemView* none = view(11, {0, 0, 0, 0});
    none->betterImageForItemType(QStringLiteral("file"));
    EXPECT_TRUE(log.contains("ERROR _betterImageForItemType:"));
    EXPECT_FALSE(siItemOption(none->item(), ZEVOPTION_NOT_FOUND));
}

TEST_F(BestImage, ATallPictureGivesRatioTwoAndOnlyABigChangeRedrawsTheLines)
{
    ZEVItemView* v = view(10);
    d->space.showLinks = true;
    v->setBetterImage(filled(50, 100, Qt::red));
    EXPECT_FLOAT_EQ(v->imageSizeRatio(), 2.0f);
    EXPECT_EQ(d->desk.connexions, 1);
    sched.advance(0.1);
    EXPECT_EQ(v->frame().width(), 50 + 2 * ZEVItemView::kMarginX) << "placed again for the new ratio";
    EXPECT_EQ(v->itemImageView()->image().size(), QSize(50, 100));

    v->setBetterImage(filled(100, 203, Qt::red)); // 2.03: a change of 0.03 at most
    EXPECT_EQ(d->desk.connexions, 1);
    // Nothing without a width or a height ever reaches the ratio.
    v->setBetterImage(QImage());
    v->setBetterImage(filled(0, 10, Qt::red).copy(0, 0, 0, 10));
    EXPECT_TRUE(std::isfinite(v->imageSizeRatio()));
    EXPECT_NEAR(v->imageSizeRatio(), 2.03f, 1e-6);
}

TEST_F(BestImage, OnlyTheNewestDeliveryAppliesAndNoneForAViewThatIsGone)
{
    ZEVItemView* v = view(10);
    using K = thumbs::Request::Kind;
    v->queuePicture(int(K::Picture), {}, 100, filled(50, 100, Qt::red));   // old and slow
    v->queuePicture(int(K::Picture), {}, 100, filled(100, 50, Qt::green)); // newest
    deliver();
    EXPECT_FLOAT_EQ(v->imageSizeRatio(), 0.5f);
    EXPECT_EQ(v->itemImageView()->image().pixelColor(1, 1), QColor(Qt::green));
    // An empty picture is never delivered as an image.
    v->queuePicture(int(K::Picture), {}, 100, QImage());
    deliver();
    EXPECT_FLOAT_EQ(v->imageSizeRatio(), 0.5f);

    ZEVItemView* gone = view(11);
    gone->queuePicture(int(K::Picture), {}, 100, filled(50, 100, Qt::red));
    d->desk.deleteItemView(gone);
    deliver(); // would touch a dead view
    SUCCEED();
}

class Persons final : public ZEVPersonServices {
public:
    QImage imageForItem(KELI*, KELId channelInt, const QSize& size) override
    {
        asked = size;
        channel = channelInt;
        return picture;
    }
    void openPersonForItem(KELI*) override {}
    QImage picture;
    QSize asked;
    KELId channel = 0;
};

TEST_F(BestImage, AContactShowsItsPictureFittedOrTheCardIconUntilTheContactsAnswer)
{
    ZEVItemView* v = view(10);
    v->betterImageForItemType(QStringLiteral("ABPerson"));
    EXPECT_FALSE(v->itemImageView()->image().isNull()) << "the card type's icon";

    Persons persons;
    persons.picture = filled(300, 600, Qt::magenta);
    d->space.persons = &persons;
    v->betterImageForItemType(QStringLiteral("ABPerson"));
    EXPECT_EQ(persons.asked, QSize(100, 100));
    EXPECT_EQ(persons.channel, 1);
    deliver();
    EXPECT_EQ(v->itemImageView()->image().size(), QSize(50, 100)) << "fitted, off the main thread";
    EXPECT_FLOAT_EQ(v->imageSizeRatio(), 2.0f);
}

TEST_F(BestImage, ThePlaceholderShowsAtOnceAndTheRequestFollowsSizeChangesOnce)
{
    ZEVItemView* v = view(10);
    v->setItemType(QStringLiteral("file"));
    EXPECT_FALSE(v->itemImageView()->image().isNull()) << "the type's icon stands in";
    const std::uint64_t before = v->imageGeneration();
    sched.advance(0.39);
    EXPECT_EQ(v->imageGeneration(), before);
    sched.advance(0.02);
    EXPECT_EQ(v->imageGeneration(), before + 1) << "asked 0.4 s later";

    // Several changes of size coalesce into one request after the last one settled.
    for (double s : {120.0, 140.0, 90.0}) {
        v->setIconPosition({100, 100, s, 0}, 0);
        sched.advance(0.1);
    }
    sched.advance(0.31);
    EXPECT_EQ(v->imageGeneration(), before + 2);
    v->setIconPosition({120, 100, 90, 0}, 0);
    sched.advance(1);
    EXPECT_EQ(v->imageGeneration(), before + 2) << "a move without a change of size asks nothing";
}

TEST_F(BestImage, AViewWaitingForItsPictureIsAskedOnceAndCanWaitAgainOnceAsked)
{
    ZEVItemView* a = view(10);
    ZEVItemView* b = view(11);
    ZEVItemView* gone = view(12);
    for (ZEVItemView* v : {a, b, gone})
        v->setItemType(QStringLiteral("file"));
    sched.advance(1);
    const std::uint64_t beforeA = a->imageGeneration(), beforeB = b->imageGeneration();

    a->askBetterImageSoon();
    gone->askBetterImageSoon();
    b->askBetterImageSoon();
    a->askBetterImageSoon(); // still waiting: not queued twice
    d->desk.deleteItemView(gone); // its place in the queue is passed over
    sched.advance(0.01);
    EXPECT_EQ(a->imageGeneration(), beforeA + 1);
    EXPECT_EQ(b->imageGeneration(), beforeB + 1);

    // Asked, it may wait again, and is asked again.
    a->askBetterImageSoon();
    sched.advance(0.01);
    EXPECT_EQ(a->imageGeneration(), beforeA + 2);
    EXPECT_EQ(b->imageGeneration(), beforeB + 1);
}

TEST_F(BestImage, AFlickTogglesSixTimesOrEightInTitlesModeAndEndsAsItBegan)
{
    ZEVItemView* v = view(10);
    v->flick();
    EXPECT_FALSE(v->itemImageView()->isVisible());
    int toggles = 1;
    bool shown = false;
    while (v->flickIconCount() > 0) {
        sched.advance(ZEVItemView::kFlickStep);
        if (v->itemImageView()->isVisible() != shown)
            ++toggles, shown = !shown;
        if (toggles == 3)
            v->flick(); // during the flicker: the total stays even
    }
    sched.advance(1);
    EXPECT_TRUE(v->itemImageView()->isVisible());
    EXPECT_EQ(toggles % 2, 0);
    EXPECT_EQ(toggles, 6);

    d->space.mode = ZEVFrontModeTitles;
    v->flick();
    EXPECT_EQ(v->flickTitleCount(), 7);
    EXPECT_TRUE(v->siFlickOn());
    sched.advance(8 * ZEVItemView::kFlickStep + 0.01);
    EXPECT_EQ(v->flickTitleCount(), 0);
    EXPECT_FALSE(v->siFlickOn());
}

TEST(TitleColours, ConnectingThenEditedThenSelectedByModeAndTime)
{
    using R = ZEVColourRole;
    using T = ZEVItemTimeState;
    ZEVItemTitleState s;
    s.time = T::Present;
    s.selected = true;
    s.frontMode = ZEVFrontModeTitles;
    ZEVItemTitleColours c = titleColoursFor(s);
    EXPECT_EQ(c.text, R::Black);
    EXPECT_EQ(c.fill, R::White);
    EXPECT_EQ(c.stroke, R::Curseur);
    s.frontMode = ZEVFrontModeIcons;
    c = titleColoursFor(s);
    EXPECT_EQ(c.text, R::DarkGrey);
    EXPECT_EQ(c.fill, R::PresentAlpha);
    EXPECT_EQ(c.stroke, R::DarkGrey);
    s.time = T::Future;
    EXPECT_EQ(titleColoursFor(s).text, R::FuturActif);
    EXPECT_EQ(titleColoursFor(s).fill, R::Futur);
    s.time = T::Outside;
    EXPECT_EQ(titleColoursFor(s).fill, R::OutActif);
    EXPECT_EQ(titleColoursFor(s).stroke, R::Out);

    // An edit paints the whole cell in its time state's colour, without stroke.
    s.edited = true;
    s.time = T::Past;
    c = titleColoursFor(s);
    EXPECT_TRUE(c.wholeCell);
    EXPECT_EQ(c.fill, R::PasseActif);
    EXPECT_FALSE(c.stroke);
    EXPECT_EQ(c.text, R::Black);
    s.modifiable = false;
    EXPECT_EQ(titleColoursFor(s).text, R::DarkGrey);

    // Connecting comes before all.
    s.connecting = true;
    s.time = T::Future;
    c = titleColoursFor(s);
    EXPECT_EQ(c.fill, R::DarkGrey);
    EXPECT_EQ(c.stroke, R::FuturActif);
    EXPECT_EQ(c.text, R::FuturActif);

    ZEVItemTitleState plain;
    plain.time = T::Past;
    EXPECT_EQ(titleColoursFor(plain).text, R::PasseActif);
    EXPECT_FALSE(titleColoursFor(plain).fill);
    plain.time = T::Outside;
    EXPECT_EQ(titleColoursFor(plain).text, R::White) << "an out title keeps its colour";
}

TEST_F(BestImage, ATitleEditKeepsAChangedTextOnReturnAndEscapeRestores)
{
    QGraphicsView canvas(&d->desk.scene);
    canvas.resize(800, 800);
    canvas.show();
    ZEVItemView* v = view(10, {200, 500, 64, 0});
    v->setItemTitle(QStringLiteral("before"));
    ASSERT_TRUE(v->editTitle());
    ASSERT_NE(v->titleEditor(), nullptr);
    EXPECT_EQ(d->space.editedTitleItem, v->item());
    EXPECT_EQ(v->titleEditor()->text(), "before");
    EXPECT_EQ(v->titleColours()->wholeCell, true);

    QTest::keyClicks(v->titleEditor(), QStringLiteral("after"));
    QTest::keyClick(v->titleEditor(), Qt::Key_Escape);
    EXPECT_EQ(v->titleEditor(), nullptr);
    EXPECT_EQ(d->space.editedTitleItem, nullptr);
    EXPECT_EQ(v->itemTitle(), "before");
    EXPECT_EQ(v->titleView()->text(), "before");

    ASSERT_TRUE(v->editTitle());
    QTest::keyClicks(v->titleEditor(), QStringLiteral("after"));
    QTest::keyClick(v->titleEditor(), Qt::Key_Return);
    EXPECT_EQ(v->itemTitle(), "after");
    EXPECT_EQ(d->space.editedTitleItem, nullptr);
}

TEST(ViewCopySourceFrame, ASquareIconInItsCellAndEmptyFramesForNoRatioOrNoCell)
{
    EXPECT_EQ(ZEVItemViewCopy::sourceFrameInCell(QSizeF(100, 40), 1.0f, 2), QRectF(32, 2, 36, 36));
    const QRectF wide = ZEVItemViewCopy::sourceFrameInCell(QSizeF(100, 40), 0.2f, 2);
    EXPECT_NEAR(wide.x(), 2, 1e-4);
    EXPECT_NEAR(wide.y(), 10.4, 1e-4);
    EXPECT_NEAR(wide.width(), 96, 1e-4);
    EXPECT_NEAR(wide.height(), 19.2, 1e-4);
    EXPECT_TRUE(ZEVItemViewCopy::sourceFrameInCell(QSizeF(100, 40), 0.0f, 2).isEmpty());
    EXPECT_TRUE(
        ZEVItemViewCopy::sourceFrameInCell(QSizeF(100, 40), std::numeric_limits<float>::quiet_NaN(), 2).isEmpty());

    Desk d;
    ZEVItemViewCopy copy(QRectF(0, 0, 200, 205), 1.0f, d.viewer.get(), d.objects.objet(1));
    EXPECT_EQ(copy.previewItemSourceFrame(), QRectF()) << "no table";
    QStandardItemModel model(50, 1);
    QTableView table;
    table.setModel(&model);
    table.resize(200, 120);
    table.show();
    copy.setSourceTableView(&table, 0, 0, 2);
    const QRectF shown = copy.previewItemSourceFrame();
    EXPECT_FALSE(shown.isEmpty());
    copy.setSourceTableView(&table, 0, 49, 2); // scrolled out of view
    const QRectF away = copy.previewItemSourceFrame();
    EXPECT_TRUE(away.isEmpty());
    EXPECT_EQ(away.topLeft(), QPointF(table.window()->frameGeometry().topLeft()));
    copy.setSourceTableView(&table, 0, 0, 2);
    copy.setImageSizeRatio(0);
    EXPECT_EQ(copy.previewItemSourceFrame().size(), QSizeF(0, 0));
}

TEST_F(BestImage, AProgressFractionThatIsNoNumberShowsNothingDone)
{
    ZEVItemView* v = view(10);
    v->duplicateStart();
    ASSERT_NE(v->progressView(), nullptr);
    EXPECT_TRUE(v->itemImageView()->isVisible()) << "a file job keeps the icon";
    v->duplicateSetStatus(std::numeric_limits<float>::quiet_NaN());
    EXPECT_EQ(v->progressView()->text(), "0.0%");
    v->duplicateSetStatus(0.42f);
    EXPECT_EQ(v->progressView()->text(), "42.0%");
    v->duplicateError();
    EXPECT_EQ(v->progressView(), nullptr);
}

} // namespace

namespace {

// A picture whose every pixel differs from its neighbours: any resampling shows.
QImage checker(int side)
{
    QImage i(side, side, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x)
            i.setPixel(x, y, (x + y) % 2 ? qRgb(250, 10, 10) : qRgb(10, 10, 250 - 3 * x));
    return i;
}

// The image part painted alone at a place between pixels, as the scene places most views.
QImage paintedBetweenPixels(ZEVItemImageView& part, QPoint* corner)
{
    QImage out(80, 80, QImage::Format_ARGB32_Premultiplied);
    out.fill(Qt::transparent);
    QPainter p(&out);
    p.translate(5.4, 3.6);
    part.paint(p);
    p.end();
    *corner = QPoint(5, 4);
    return out;
}

} // namespace

TEST_F(BestImage, ObjectsOfOneTypeShareOneImageAndOneScaledCopyUntilTheirImageChanges)
{
    ZEVItemView* a = view(10);
    ZEVItemView* b = view(11);
    ZEVItemView* other = view(12);
    a->setItemType(QStringLiteral("file"));
    b->setItemType(QStringLiteral("file"));
    other->setItemType(QStringLiteral("folder"));
    const QImage& shownA = a->itemImageView()->image();
    const QImage& shownB = b->itemImageView()->image();
    ASSERT_FALSE(shownA.isNull());
    EXPECT_EQ(shownA.cacheKey(), shownB.cacheKey()) << "one stand-in for the type, not a copy per view";
    EXPECT_NE(shownA.cacheKey(), other->itemImageView()->image().cacheKey());

    // Scaled once for a size, for every view that shows it there; another size is another copy.
    const QSize small(37, 37);
    const QImage& scaledA = ZEVItemImageView::scaledFor(shownA, small);
    EXPECT_EQ(scaledA.size(), small);
    EXPECT_EQ(scaledA.format(), QImage::Format_ARGB32_Premultiplied);
    EXPECT_EQ(&ZEVItemImageView::scaledFor(shownB, small), &scaledA);
    EXPECT_NE(ZEVItemImageView::scaledFor(shownA, QSize(38, 38)).cacheKey(), scaledA.cacheKey());
    EXPECT_EQ(&ZEVItemImageView::scaledFor(shownA, shownA.size()), &shownA) << "at its own size, itself";

    // A picture of its own: the view's image and its scaled copy change, the other view keeps its.
    const qint64 sharedKey = ZEVItemImageView::scaledFor(shownB, small).cacheKey();
    a->setBetterImage(filled(120, 120, Qt::green));
    const QImage& own = ZEVItemImageView::scaledFor(a->itemImageView()->image(), small);
    EXPECT_NE(own.cacheKey(), sharedKey);
    EXPECT_EQ(own.pixelColor(18, 18), QColor(Qt::green));
    EXPECT_EQ(ZEVItemImageView::scaledFor(b->itemImageView()->image(), small).cacheKey(), sharedKey);
}

TEST_F(BestImage, AnImageIsCopiedPixelForPixelOntoWholePixelsAtItsSizeAndOnceScaledBelowIt)
{
    ZEVItemImageView part(nullptr);
    part.setSize(QSizeF(20, 20));
    QPoint corner;

    // At its own size: a blit at the nearest whole pixel, not a blurred resampling.
    const QImage same = checker(20);
    part.setImage(same);
    QImage out = paintedBetweenPixels(part, &corner);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x)
            ASSERT_EQ(out.pixel(corner.x() + x, corner.y() + y), same.pixel(x, y)) << x << "," << y;
    EXPECT_EQ(qAlpha(out.pixel(corner.x() - 1, corner.y())), 0) << "nothing left of the image";

    // Larger: the shared scaled copy, blitted the same way.
    const QImage large = checker(40);
    part.setImage(large);
    out = paintedBetweenPixels(part, &corner);
    const QImage& scaled = ZEVItemImageView::scaledFor(large, QSize(20, 20));
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x)
            ASSERT_EQ(out.pixel(corner.x() + x, corner.y() + y), scaled.pixel(x, y)) << x << "," << y;

    // A shape inside a transparent margin, as type icons are: the blit of its inked part alone
    // puts every pixel where the whole scaled copy has it, and nothing around.
    QImage margin(40, 40, QImage::Format_ARGB32_Premultiplied);
    margin.fill(Qt::transparent);
    {
        QPainter shape(&margin);
        shape.fillRect(QRect(9, 5, 17, 30), QColor(200, 40, 40, 160));
        shape.fillRect(QRect(14, 12, 6, 4), Qt::blue);
    }
    part.setImage(margin);
    out = paintedBetweenPixels(part, &corner);
    const QImage& scaledMargin = ZEVItemImageView::scaledFor(margin, QSize(20, 20));
    for (int y = -1; y <= 20; ++y)
        for (int x = -1; x <= 20; ++x) {
            const QRgb expected = QRect(0, 0, 20, 20).contains(x, y) ? scaledMargin.pixel(x, y) : 0;
            ASSERT_EQ(out.pixel(corner.x() + x, corner.y() + y), expected) << x << "," << y;
        }
    // A copy that shows nothing draws nothing.
    QImage empty(40, 40, QImage::Format_ARGB32_Premultiplied);
    empty.fill(Qt::transparent);
    part.setImage(empty);
    out = paintedBetweenPixels(part, &corner);
    EXPECT_EQ(out, [] { QImage e(80, 80, QImage::Format_ARGB32_Premultiplied); e.fill(Qt::transparent); return e; }());
}
