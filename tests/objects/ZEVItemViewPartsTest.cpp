// The title and the image of an Object view are parts it draws itself: no scene item each, yet
// placed, shown, faded and repainted as their items were.

#include "tests/objects/ObjectsFakes.h"

#include "objects/view/ZEVItemStickers.h"

#include <QCoreApplication>
#include <QPainter>

#include <functional>

using namespace tallomer;
using namespace objectstest;

namespace {

// The scene rectangles `change` asks to repaint, once the scene has processed it.
QList<QRectF> repaintedBy(QGraphicsScene& scene, const std::function<void()>& change)
{
    QCoreApplication::processEvents();
    QList<QRectF> rects;
    const auto connection =
        QObject::connect(&scene, &QGraphicsScene::changed, [&rects](const QList<QRectF>& r) { rects += r; });
    change();
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
    QObject::disconnect(connection);
    return rects;
}

bool covers(const QList<QRectF>& rects, const QRectF& part)
{
    for (const QRectF& r : rects)
        if (r.contains(part))
            return true;
    return false;
}

QImage greenSquare()
{
    QImage green(64, 64, QImage::Format_ARGB32_Premultiplied);
    green.fill(Qt::green);
    return green;
}

// The view as the scene paints it, on black.
QImage painted(ZEVItemView& v)
{
    QImage image(v.boundingRect().size().toSize(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::black);
    QPainter p(&image);
    v.paint(&p, nullptr, nullptr);
    return image;
}

} // namespace

TEST(ZEVItemViewParts, OnlyTheOverlayIsAnItemAndTheSceneNeverPaintsIt)
{
    Desk d;
    ZEVItemView* v = d.desk.add(d.objects.objet(1), {300, 300, 64, 0});
    v->addSticker(ZEVItemStickers::kWarning);
    ASSERT_FALSE(v->stickerFrame().isEmpty());
    // A painted item costs the scene a record of where it painted it: the view alone is one.
    EXPECT_EQ(v->childItems(), QList<QGraphicsItem*>{v->dragView()});
    EXPECT_TRUE(v->dragView()->flags() & QGraphicsItem::ItemHasNoContents) << "even with a sticker";
    // The parts answer in the scene where their items stood.
    for (ZEVItemViewPart* part : std::initializer_list<ZEVItemViewPart*>{v->titleView(), v->itemImageView()})
        EXPECT_EQ(part->sceneBoundingRect(), v->mapRectToScene(QRectF(part->pos(), part->boundingRect().size())));
    EXPECT_EQ(v->itemImageView()->sceneBoundingRect(), v->dragView()->sceneBoundingRect());
    // Hidden with their view, shown again with it unless hidden themselves.
    v->titleView()->setVisible(false);
    v->setHidden(true);
    EXPECT_FALSE(v->itemImageView()->isVisible());
    v->setHidden(false);
    EXPECT_TRUE(v->itemImageView()->isVisible());
    EXPECT_FALSE(v->titleView()->isVisible());
}

TEST(ZEVItemViewParts, EachChangeOfAPartRepaintsItAndNoChangeRepaintsNothing)
{
    Desk d;
    ZEVItemView* v = d.desk.add(d.objects.objet(1), {300, 300, 64, 0});
    v->setItemTitle(QStringLiteral("Before"));
    v->itemImageView()->setImage(greenSquare());
    QGraphicsScene& scene = d.desk.scene;
    ZEVItemTitleView* title = v->titleView();
    ZEVItemImageView* image = v->itemImageView();

    EXPECT_TRUE(
        covers(repaintedBy(scene, [&] { v->setItemTitle(QStringLiteral("After")); }), title->sceneBoundingRect()));
    EXPECT_TRUE(covers(repaintedBy(scene, [&] { title->setVisible(false); }), title->sceneBoundingRect()));
    EXPECT_TRUE(covers(repaintedBy(scene, [&] { image->setOpacity(0.5); }), image->sceneBoundingRect()));
    EXPECT_TRUE(covers(repaintedBy(scene, [&] { image->setImage(QImage()); }), image->sceneBoundingRect()));
    EXPECT_TRUE(covers(repaintedBy(scene, [&] { image->setVisible(false); }), image->sceneBoundingRect()));
    const auto sticker = [&] { return v->mapRectToScene(v->stickerFrame()); };
    const QList<QRectF> stuck = repaintedBy(scene, [&] { v->addSticker(ZEVItemStickers::kWarning); });
    EXPECT_TRUE(covers(stuck, sticker()));
    const QRectF worn = sticker();
    EXPECT_TRUE(covers(repaintedBy(scene, [&] { v->addSticker(5); }), worn)) << "taken off";

    // The same state again: a full desk redraws thousands of views, each writing its state.
    EXPECT_TRUE(repaintedBy(scene, [&] {
                    title->setVisible(false);
                    image->setOpacity(0.5);
                    image->setVisible(false);
                    v->addSticker(5);
                }).isEmpty());
}

TEST(ZEVItemViewParts, TheViewDrawsTheImageInItsOpacityAndNoPartItHides)
{
    Desk d;
    // Outside the cursor's window: the view's own drawing leaves the image's alpha and the title
    // as they are set here.
    ZEVItemView* v = d.desk.add(d.objects.objet(1), {300, 300, 64, 0});
    v->setItemTitle(QStringLiteral("Shown title"));
    const QImage green = greenSquare();
    ZEVItemImageView* image = v->itemImageView();
    image->setImage(green);
    const QPoint inImage = image->rectInView().center().toPoint();
    const QRect titleRect = v->titleView()->rectInView().toAlignedRect();
    const auto inked = [](const QImage& shot, const QRect& r) {
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                if (shot.pixel(x, y) != qRgb(0, 0, 0))
                    return true;
        return false;
    };

    QImage shot = painted(*v);
    EXPECT_EQ(shot.pixel(inImage), qRgb(0, 255, 0));
    EXPECT_TRUE(inked(shot, titleRect));
    image->setOpacity(0.5);
    EXPECT_NEAR(qGreen(painted(*v).pixel(inImage)), 128, 1) << "half the green over black";
    EXPECT_DOUBLE_EQ(image->alphaValue(), 0.5) << "its drawing left it";
    image->setOpacity(0);
    EXPECT_EQ(painted(*v).pixel(inImage), qRgb(0, 0, 0));
    image->setOpacity(1);
    image->setVisible(false);
    v->titleView()->setVisible(false);
    shot = painted(*v);
    EXPECT_EQ(shot.pixel(inImage), qRgb(0, 0, 0));
    EXPECT_FALSE(inked(shot, titleRect));
}

TEST(ZEVItemViewParts, TheStickerBlittedFromItsInkedPartShowsTheWholeSticker)
{
    Desk d;
    ZEVItemView* v = d.desk.add(d.objects.objet(1), {300, 300, 64, 0});
    v->itemImageView()->setVisible(false);
    v->titleView()->setVisible(false);
    for (int code : {ZEVItemStickers::kWarning, ZEVItemStickers::kCopy, ZEVItemStickers::kMove}) {
        v->addSticker(code);
        QImage expected(v->boundingRect().size().toSize(), QImage::Format_ARGB32_Premultiplied);
        expected.fill(Qt::black);
        {
            QPainter p(&expected);
            p.drawImage(v->stickerFrame().topLeft(), ZEVItemStickers::imageNamed(v->stickerName()));
        }
        EXPECT_EQ(painted(*v), expected) << v->stickerName().toStdString();
    }
}
