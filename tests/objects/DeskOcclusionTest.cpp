// A paint of the desk's canvas leaves out the Object views that opaque views above them hide
// wholly where it paints; such a view's changes repaint nothing, and once uncovered it is
// painted, the window then showing what a full render of the scene draws.

#include "tests/objects/ObjectsFakes.h"

#include "objects/view/ZEVInkedPixels.h"
#include "objects/viewer/ZEVCoverMap.h"
#include "space/ZEVSpaceView.h"
#include "tests/support/PaintedRegions.h"
#include "tests/support/PumpUntil.h"

#include <QPainter>
#include <QScreen>

#include <memory>

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
