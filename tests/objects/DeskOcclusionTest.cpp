// A paint of the desk's canvas leaves out the Object views that opaque views above them hide
// wholly where it paints; such a view's changes repaint nothing, and once uncovered it is
// painted, the window then showing what a full render of the scene draws.

#include "tests/objects/ObjectsFakes.h"

#include "objects/view/ZEVInkedPixels.h"
#include "objects/view/ZEVPaintCut.h"
#include "objects/viewer/ZEVCoverMap.h"
#include "space/ZEVSpaceView.h"
#include "tests/support/PaintedRegions.h"
#include "tests/support/PumpUntil.h"
#include "widgets/ZEVBlitBatch.h"

#include <QPainter>
#include <QScreen>

#include <memory>
#include <random>

using namespace tallomer;
using namespace objectstest;

namespace {

QImage solid(QColor colour, int side = 64)
{
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(colour);
    return image;
}

class DeskOcclusion : public ::testing::Test {
protected:
    void SetUp() override
    {
        d.desk.scene.setSceneRect(0, 0, 480, 300);
        d.desk.scene.setBackgroundBrush(QColor(40, 60, 80));
        canvas = std::make_unique<ZEVDeskCanvas>(nullptr);
        canvas->setScene(&d.desk.scene);
        canvas->resize(480, 300);
        canvas->viewport()->installEventFilter(&paints);
    }
    ZEVItemView* add(KELId id, const ZEVIconPosition& at, QColor colour, const QString& title = {})
    {
        ZEVItemView* v = d.desk.add(d.objects.objet(id), at);
        v->setSiAjoute(true);
        v->setSiActif(true);
        v->setItemImage(solid(colour, int(at.size)));
        v->setItemTitle(title);
        return v;
    }
    QRect onCanvas(ZEVItemView* v) const { return canvas->mapFromScene(v->sceneBoundingRect()).boundingRect(); }
    // Turns the event loop until the canvas has painted `n` more times.
    bool painted(int n = 1)
    {
        const int until = paints.paints + n;
        return test::pumpUntil([&] { return paints.paints >= until; });
    }
    // The window as it stands, and the scene rendered whole without the canvas.
    QImage shown() const
    {
        return canvas->screen()
            ->grabWindow(canvas->winId(), 0, 0, 480, 300)
            .toImage()
            .convertToFormat(QImage::Format_RGB32);
    }
    QImage fullRender()
    {
        QImage image(480, 300, QImage::Format_RGB32);
        QPainter p(&image);
        d.desk.scene.render(&p, QRectF(0, 0, 480, 300), QRectF(0, 0, 480, 300));
        return image;
    }

    Desk d;
    test::PaintedRegions paints;
    std::unique_ptr<ZEVDeskCanvas> canvas;
};

TEST_F(DeskOcclusion, AViewHiddenUnderOthersIsNotPaintedUntilUncovered)
{
    // Desk height 1000, y-up: the canvas shows the top 300 points. The low view lies under a
    // larger one; the third stands apart with its title.
    ZEVItemView* low = add(1, {100, 850, 64, 0}, Qt::red);
    ZEVItemView* high = add(2, {90, 840, 84, 0}, Qt::blue, QStringLiteral("Over"));
    ZEVItemView* apart = add(3, {320, 850, 64, 0}, Qt::yellow, QStringLiteral("Apart"));
    ASSERT_TRUE(low->stacksBelow(*high));
    canvas->show();
    ASSERT_TRUE(painted());
    EXPECT_EQ(low->drawnCount(), 0) << "the first paint draws the view under the other";
    EXPECT_GT(high->drawnCount(), 0);
    EXPECT_GT(apart->drawnCount(), 0);

    // A whole repaint leaves it out too.
    canvas->viewport()->update();
    ASSERT_TRUE(painted());
    EXPECT_EQ(low->drawnCount(), 0);

    // Its change of state shows nowhere, so it asks no paint: only the other view's change is
    // painted, away from it.
    paints.painted = QRegion();
    low->setSiActif(false);
    low->updateIfDrawChanged();
    apart->setItemTitle(QStringLiteral("Apart again"));
    ASSERT_TRUE(painted());
    EXPECT_FALSE(paints.painted.intersects(onCanvas(low))) << "a hidden change repainted its place";
    EXPECT_EQ(low->drawnCount(), 0);
    // What shows is what the whole scene renders (a render draws every view).
    EXPECT_EQ(shown(), fullRender());

    // The view above leaves: the one below is painted, in its new state, and the window shows what
    // a full render of the scene draws.
    const int rendered = low->drawnCount();
    high->setIconPosition({250, 700, 84, 0}, 0);
    ASSERT_TRUE(painted());
    EXPECT_GT(low->drawnCount(), rendered);
    EXPECT_DOUBLE_EQ(low->itemImageView()->alphaValue(), 0.3) << "painted in the state it is in now";
    ASSERT_TRUE(test::pumpUntil([&] { return shown() == fullRender(); }));
}

TEST_F(DeskOcclusion, ATranslucentOrPartlyCoveringViewHidesNothing)
{
    ZEVItemView* low = add(1, {100, 850, 64, 0}, Qt::red);
    ZEVItemView* high = add(2, {90, 840, 84, 0}, Qt::blue);
    // Future: the image shows at a third of its alpha, and what lies below shows through.
    high->setSiFutur(true);
    high->setSiActif(false);
    canvas->show();
    ASSERT_TRUE(painted());
    EXPECT_GT(low->drawnCount(), 0);

    // Present again, but moved so that a strip of the low view shows beside it.
    high->setSiActif(true);
    high->setSiFutur(false);
    high->setIconPosition({110, 840, 84, 0}, 0);
    const int before = low->drawnCount();
    canvas->viewport()->update();
    ASSERT_TRUE(painted());
    EXPECT_GT(low->drawnCount(), before);
    ASSERT_TRUE(test::pumpUntil([&] { return shown() == fullRender(); }));

    // An image with a transparent margin hides only its opaque part.
    high->setIconPosition({90, 840, 84, 0}, 0);
    QImage framed = solid(Qt::transparent, 84);
    QPainter(&framed).fillRect(QRect(16, 16, 52, 52), Qt::blue);
    high->setItemImage(framed);
    const int shownBefore = low->drawnCount();
    canvas->viewport()->update();
    ASSERT_TRUE(painted());
    EXPECT_GT(low->drawnCount(), shownBefore) << "the margin left the view below in sight";
    ASSERT_TRUE(test::pumpUntil([&] { return shown() == fullRender(); }));
}

TEST_F(DeskOcclusion, ViewsPartlyUnderOthersShowWhatAFullRenderDraws)
{
    // A pile of icons many deep, at places between pixels, with transparent margins, titles and
    // translucent edges: each draws only what the views above leave in sight, and the window
    // shows pixel for pixel what the whole scene renders.
    std::mt19937 random(7);
    std::uniform_real_distribution<double> x(-20, 440), y(680, 1010);
    const QColor colours[] = {Qt::red, Qt::blue, Qt::green, Qt::yellow, Qt::cyan};
    std::vector<ZEVItemView*> views;
    for (int i = 0; i < 120; ++i) {
        const double size = 40 + (i % 3) * 12;
        QImage icon = solid(Qt::transparent, int(size));
        {
            QPainter p(&icon);
            p.setRenderHint(QPainter::Antialiasing);
            p.setBrush(colours[i % 5]);
            p.setPen(Qt::NoPen);
            p.drawRoundedRect(QRectF(3.5, 2.5, size - 9, size - 4), 6, 6);
            p.fillRect(QRectF(size / 4, size / 4, size / 2, size / 2), QColor(0, 0, 0, 120));
        }
        views.push_back(add(KELId(i + 1), {x(random), y(random), size, 0}, Qt::black,
                            i % 2 ? QStringLiteral("Object %1").arg(i) : QString()));
        views.back()->setItemImage(icon);
    }
    canvas->show();
    ASSERT_TRUE(painted());
    ASSERT_TRUE(test::pumpUntil([&] { return shown() == fullRender(); }));
    // A view in the middle of the pile moves: the paint of its two places cuts the views around.
    views[60]->setIconPosition({200.5, 850.25, 52, 0}, 0);
    ASSERT_TRUE(painted());
    ASSERT_TRUE(test::pumpUntil([&] { return shown() == fullRender(); }));
    canvas->viewport()->update();
    ASSERT_TRUE(painted());
    EXPECT_EQ(shown(), fullRender());
}

TEST_F(DeskOcclusion, AFrameDrawnStraightLiesOverTheImagesOfTheViewsBelow)
{
    // The paint hands its blits to several threads at once; the framed view on top draws its
    // frame straight, after the image of the larger view below it has landed.
    add(1, {150, 850, 120, 0}, Qt::red);
    ZEVItemView* framed = add(2, {150, 850, 48, 0}, Qt::blue);
    framed->showCadreStart();
    const quint64 deferred = ZEVBlitBatch::blitsDeferred();
    canvas->show();
    ASSERT_TRUE(painted());
    EXPECT_GT(ZEVBlitBatch::blitsDeferred(), deferred);
    EXPECT_EQ(shown(), fullRender());
}

// Draws nothing over the whole scene, and keeps the clip of the viewport's pixels it was painted
// under, each time (empty: no clip but the paint's own region).
class ClipProbe final : public QGraphicsItem {
public:
    explicit ClipProbe(const QRectF& area) : area_(area) { setZValue(-1e9); }
    QRectF boundingRect() const override { return area_; }
    void paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*) override
    {
        clips.push_back(painter->hasClipping() ? painter->transform().map(painter->clipRegion()) : QRegion());
    }
    std::vector<QRegion> clips;

private:
    QRectF area_;
};

TEST_F(DeskOcclusion, AWholePaintAroundAnOpaqueBarIsPaintedAPieceAtATimeAndShowsWhatOnePaintDraws)
{
    // Views above, across and below an opaque bar laid over the canvas, as the window's header
    // lies over the desk: a whole paint of the canvas paints the region around the bar.
    add(1, {100.5, 950.25, 64, 0}, Qt::red, QStringLiteral("Above"));
    add(2, {120, 930, 84, 0}, Qt::blue, QStringLiteral("Across"));
    add(3, {300.25, 850.5, 64, 0}, Qt::yellow, QStringLiteral("Below"));
    auto* probe = new ClipProbe(d.desk.scene.sceneRect());
    d.desk.scene.addItem(probe); // the scene owns it
    QWidget bar(canvas.get());
    bar.setAutoFillBackground(true);
    bar.setGeometry(0, 60, 480, 24);
    canvas->show();
    ASSERT_TRUE(painted());
    test::PaintedRegions region;
    canvas->viewport()->installEventFilter(&region);
    probe->clips.clear();
    canvas->viewport()->update();
    ASSERT_TRUE(painted());
    canvas->viewport()->removeEventFilter(&region);
    const QRegion around = QRegion(canvas->viewport()->rect()) - QRegion(bar.geometry());
    ASSERT_EQ(region.painted, around);

    // One pass for each piece of the region, clipped to that piece alone: the raster engine then
    // blits each image instead of blending it span by span. Together they paint the region once.
    ASSERT_EQ(probe->clips.size(), std::size_t(around.rectCount()));
    QRegion clipped;
    for (const QRegion& clip : probe->clips) {
        EXPECT_EQ(clip.rectCount(), 1);
        EXPECT_FALSE(clipped.intersects(clip));
        clipped += clip;
    }
    EXPECT_EQ(clipped, around);
    // What the window shows around the bar is what the scene renders there.
    QImage shownAround = shown(), rendered = fullRender();
    QPainter(&shownAround).fillRect(bar.geometry(), Qt::black);
    QPainter(&rendered).fillRect(bar.geometry(), Qt::black);
    EXPECT_EQ(shownAround, rendered);

    // Two small places are painted in one pass: a walk of the scene for each costs more than the
    // blending it spares.
    probe->clips.clear();
    canvas->viewport()->update(QRect(10, 10, 40, 40));
    canvas->viewport()->update(QRect(300, 200, 40, 40));
    ASSERT_TRUE(painted());
    EXPECT_EQ(probe->clips.size(), 1u);
}

TEST_F(DeskOcclusion, APileAcrossAnOpaqueBarLeavesOutWhatIsHiddenInEveryPieceAndShowsWhatOnePaintDraws)
{
    // A pile across the bar, painted a piece at a time: a view wholly under another, both across
    // the bar, stays out of both pieces; views partly covered draw, in each piece, what is left in
    // sight of them there.
    ZEVItemView* low = add(1, {110, 910, 64, 0}, Qt::red);
    ZEVItemView* high = add(2, {100, 900, 96, 0}, Qt::blue);
    std::mt19937 random(11);
    std::uniform_real_distribution<double> x(-20, 440), y(870, 960);
    for (int i = 0; i < 60; ++i) {
        const double size = 40 + (i % 3) * 12;
        QImage icon = solid(Qt::transparent, int(size));
        {
            QPainter p(&icon);
            p.setRenderHint(QPainter::Antialiasing);
            p.setBrush(i % 2 ? Qt::green : Qt::yellow);
            p.setPen(Qt::NoPen);
            p.drawRoundedRect(QRectF(2.5, 3.5, size - 6, size - 5), 5, 5);
        }
        ZEVItemView* v = add(KELId(i + 3), {x(random), y(random), size, 0}, Qt::black,
                             i % 3 ? QStringLiteral("Pile %1").arg(i) : QString());
        v->setItemImage(icon);
    }
    QWidget bar(canvas.get());
    bar.setAutoFillBackground(true);
    bar.setGeometry(0, 50, 480, 20);
    ASSERT_TRUE(onCanvas(low).top() < 50 && onCanvas(low).bottom() >= 70) << "the hidden view lies across the bar";
    canvas->show();
    ASSERT_TRUE(painted());
    canvas->viewport()->update();
    ASSERT_TRUE(painted());

    const QRegion around = QRegion(canvas->viewport()->rect()) - QRegion(bar.geometry());
    ASSERT_EQ(around.rectCount(), 2);
    EXPECT_EQ(low->drawnCount(), 0) << "a view hidden in both pieces was painted in one of them";
    EXPECT_GT(high->drawnCount(), 0);
    QImage shownAround = shown(), rendered = fullRender();
    QPainter(&shownAround).fillRect(bar.geometry(), Qt::black);
    QPainter(&rendered).fillRect(bar.geometry(), Qt::black);
    EXPECT_EQ(shownAround, rendered);
}

TEST(ZEVCoverMap, TheUncoveredPartsHoldEveryExposedPixelNotCovered)
{
    ZEVCoverMap map;
    map.reset(QRegion(0, 0, 300, 100));
    std::vector<QRect> parts;
    // Nothing covered: the rectangle itself, in one part.
    map.uncovered(QRect(10, 10, 50, 50), parts);
    ASSERT_EQ(parts.size(), 1u);
    EXPECT_EQ(parts[0], QRect(10, 10, 50, 50));

    // A band across its middle covered: what lies above and below, apart.
    map.cover(QRect(0, 20, 300, 24));
    parts.clear();
    map.uncovered(QRect(10, 10, 50, 50), parts);
    ASSERT_EQ(parts.size(), 2u);
    EXPECT_EQ(parts[0], QRect(10, 10, 50, 10));
    EXPECT_EQ(parts[1], QRect(10, 44, 50, 16));

    // A small covered corner is not worth a blit of its own; every open pixel stays in a part.
    map.reset(QRegion(0, 0, 300, 100));
    map.cover(QRect(8, 8, 8, 8));
    parts.clear();
    const QRect drawn(5, 5, 40, 40);
    map.uncovered(drawn, parts);
    EXPECT_EQ(parts.size(), 1u);
    QRegion held;
    for (const QRect& r : parts) {
        EXPECT_TRUE(drawn.contains(r));
        held += r;
    }
    EXPECT_EQ(QRegion(drawn).subtracted(held), QRegion());

    // Wholly covered, or outside the paint: nothing.
    map.cover(QRect(0, 0, 300, 100));
    parts.clear();
    map.uncovered(drawn, parts);
    map.uncovered(QRect(400, 0, 10, 10), parts);
    EXPECT_TRUE(parts.empty());
}

TEST(ZEVCoverMap, TheUncoveredPartsOfAnyRectangleHoldItsOpenPixelsOnceAndNoHiddenPart)
{
    // Maps not on the device's corner, exposed whole or in pieces, rows of cells over several
    // words; rectangles narrow and wide, straddling words, reaching past the map's edges.
    std::mt19937 random(7);
    const auto pick = [&](int from, int to) { return std::uniform_int_distribution<int>(from, to)(random); };
    const QRect area(13, 6, 700, 70);
    for (const QRegion& exposed : {QRegion(area), QRegion(13, 6, 700, 30) + QRegion(13, 50, 700, 26)}) {
        for (int round = 0; round < 60; ++round) {
            ZEVCoverMap map;
            map.reset(exposed);
            for (int i = pick(0, 12); i > 0; --i)
                map.cover(QRect(pick(0, 720), pick(0, 80), pick(1, 300), pick(1, 60)));
            const QRect r(pick(0, 700), pick(0, 70), pick(1, round % 2 ? 60 : 330), pick(1, 50));
            std::vector<QRect> parts;
            map.uncovered(r, parts);
            QRegion held;
            for (const QRect& part : parts) {
                ASSERT_TRUE(r.contains(part)) << round;
                EXPECT_FALSE(held.intersects(part)) << "a pixel drawn twice, round " << round;
                EXPECT_FALSE(map.hidden(part)) << "a part with nothing to draw, round " << round;
                held += part;
            }
            // A pixel whose cell is exposed and not wholly covered is drawn.
            const QRect within = r & area;
            for (int y = within.top(); y <= within.bottom(); ++y) {
                for (int x = within.left(); x <= within.right(); ++x) {
                    if (!map.hidden(QRect(x, y, 1, 1))) {
                        ASSERT_TRUE(held.contains(QPoint(x, y))) << x << "," << y << " round " << round;
                    }
                }
            }
        }
    }
}

TEST(ZEVCoverMap, AnImageCoversByTheOpaqueRunsOfItsRowsWhereverItsCornerRounds)
{
    // 20 rows opaque from end to end but the ninth, which is clear.
    std::vector<std::pair<int, int>> runs(20, {0, 20});
    runs[8] = {0, 0};
    ZEVCoverMap map;
    map.reset(QRegion(0, 0, 100, 100));
    // Between pixels: the paint may put the corner on 10 or 11, so pixels 11 to 29 are hidden in
    // both places, and the cells wholly among them (12 to 27) covered.
    map.cover(QPointF(10.4, 10.6), runs);
    EXPECT_TRUE(map.hidden(QRect(12, 24, 16, 4)));
    EXPECT_FALSE(map.hidden(QRect(11, 24, 1, 1))) << "a cell it covers only in part";
    EXPECT_FALSE(map.hidden(QRect(20, 28, 1, 1))) << "below the image's last sure row";
    // The clear row, landing on 18 or 19, leaves the cells of rows 16 to 19 open, and those of
    // 12 to 15 wholly hidden.
    EXPECT_FALSE(map.hidden(QRect(12, 16, 16, 4)));
    EXPECT_TRUE(map.hidden(QRect(12, 12, 16, 4)));
    // At the map's edge a last cell of fewer pixels is covered by what reaches the edge.
    map.reset(QRegion(0, 0, 30, 30));
    map.cover(QPointF(-5, -5), std::vector<std::pair<int, int>>(40, {0, 40}));
    EXPECT_TRUE(map.hidden(QRect(0, 0, 30, 30)));
}

TEST(ZEVPaintCut, PartsOfAnImageLandWhereTheWholeImageDoes)
{
    QImage image(37, 29, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, qPremultiply(qRgba(x * 7, y * 9, (x * y) % 256, (x + y) * 4 % 256)));
    const ZEVPaintCut cut{QRect(0, 0, 200, 12), QRect(30, 30, 12, 40)};
    // On a pixel, between pixels, and about half way, where the image is drawn whole.
    for (const QPointF at : {QPointF(20, 5), QPointF(20.3, 5.25), QPointF(-4.8, -3.1), QPointF(21.5, 4.2)}) {
        QImage whole(100, 100, QImage::Format_ARGB32_Premultiplied), parts = whole;
        whole.fill(Qt::darkGray);
        parts.fill(Qt::darkGray);
        {
            QPainter p(&whole);
            p.translate(3.3, 2);
            p.drawImage(at - QPointF(3.3, 2), image);
        }
        {
            QPainter p(&parts);
            p.translate(3.3, 2);
            drawImageCut(p, at - QPointF(3.3, 2), image, &cut);
        }
        // Within the cut the same pixels; outside it nothing, but where the image is drawn whole.
        for (const QRect& r : cut)
            EXPECT_EQ(parts.copy(r), whole.copy(r)) << at.x() << "," << at.y();
        EXPECT_EQ(parts == whole, at.x() == 21.5) << at.x() << "," << at.y();
    }
}

TEST(ZEVCoverMap, AnAreaIsHiddenOnlyWhenEveryExposedCellIsWhollyCovered)
{
    ZEVCoverMap map;
    // Two exposed strips, rows of cells across two words.
    map.reset(QRegion(0, 0, 300, 20) + QRegion(0, 40, 300, 20));
    const QRect across(60, 4, 200, 52); // straddles both strips and the unexposed gap
    EXPECT_FALSE(map.hidden(across));
    map.cover(QRect(60, 0, 200, 20));
    EXPECT_FALSE(map.hidden(across)) << "the lower strip is still open";
    map.cover(QRect(60, 40, 199, 20));
    EXPECT_FALSE(map.hidden(across)) << "its last cell is covered but for a pixel";
    map.cover(QRect(256, 40, 4, 20));
    EXPECT_TRUE(map.hidden(across)) << "the gap between the strips is not painted";
    EXPECT_FALSE(map.hidden(QRect(259, 40, 2, 2))) << "a cell it only touches is still open";
    EXPECT_TRUE(map.hidden(QRect(400, 0, 10, 10))) << "nothing outside the paint is exposed";
    // The last cell of a row holds two pixels of the map: covered by what reaches its edge.
    map.reset(QRegion(0, 0, 10, 4));
    map.cover(QRect(0, 0, 9, 4));
    EXPECT_FALSE(map.hidden(QRect(0, 0, 10, 4)));
    map.cover(QRect(8, 0, 5, 4));
    EXPECT_TRUE(map.hidden(QRect(0, 0, 10, 4)));

    // What a drawing may touch grows outwards, what it surely covers shrinks inwards.
    EXPECT_EQ(ZEVCoverMap::touched(QRectF(10.5, 10, 20, 20)), QRect(9, 9, 23, 22));
    EXPECT_EQ(ZEVCoverMap::inside(QRectF(10.5, 10, 20, 20)), QRect(12, 11, 17, 18));
    EXPECT_TRUE(ZEVCoverMap::inside(QRectF(0, 0, 2, 2)).isEmpty());
}

TEST(ZEVInkedPixels, TheOpaquePartIsTheLargestWhollyOpaqueRectangle)
{
    QImage icon(40, 30, QImage::Format_ARGB32_Premultiplied);
    icon.fill(Qt::transparent);
    {
        QPainter p(&icon);
        p.fillRect(QRect(5, 2, 20, 26), Qt::black);  // a page
        p.fillRect(QRect(25, 10, 10, 5), Qt::black); // a tab beside it
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.fillRect(QRect(12, 20, 2, 2), QColor(0, 0, 0, 200)); // a translucent speck
    }
    EXPECT_EQ(opaquePixels(icon), QRect(5, 2, 20, 18)) << "the page above the speck";
    EXPECT_TRUE(opaquePixels(solid(Qt::transparent, 8)).isNull());
    EXPECT_EQ(opaquePixels(solid(Qt::white, 8)), QRect(0, 0, 8, 8));
}

} // namespace
