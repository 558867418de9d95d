// Stickers: which one an Object's options call for, and the sticker drawn over the icon's corner.

#include "tests/objects/ObjectsFakes.h"

#include "objects/view/ZEVItemStickers.h"

#include <QPainter>

namespace objectstest {
namespace {

using namespace ZEVItemStickers;

TEST(Stickers, CodeZeroTakesTheFirstOptionInOrderAndOtherCodesNameTheirOwn)
{
    EXPECT_EQ(nameForCode(kForOptions, ZEVOPTION_NOT_FOUND | ZEVOPTION_DOWNLOADING), "ZEVItemStickerNotFound");
    EXPECT_EQ(nameForCode(kForOptions, ZEVOPTION_DOWNLOADING | ZEVOPTION_MOVING), "ZEVItemStickerDownloading");
    EXPECT_EQ(nameForCode(kForOptions, ZEVOPTION_DUPLICATING | ZEVOPTION_ERROR), "ZEVItemStickerCopy");
    EXPECT_EQ(nameForCode(kForOptions, ZEVOPTION_HOLD_BY_ZEV_FOLDER | ZEVOPTION_HOLD_BY_EXTERN),
              "ZEVItemStickerZevFolder");
    EXPECT_EQ(nameForCode(kForOptions, ZEVOPTION_HOLD_BY_TRASH | ZEVOPTION_HOLD_BY_SYSTEM), "ZEVItemStickerTrash");
    EXPECT_EQ(nameForCode(kForOptions, ZEVOPTION_HOLD_BY_SYSTEM), "holdBySystem");
    EXPECT_EQ(nameForCode(kForOptions, ZEVOPTION_GIF | ZEVOPTION_SHOW_TITLE), "") << "no listed bit: none";
    EXPECT_EQ(nameForCode(kMove, ZEVOPTION_NOT_FOUND), "ZEVItemStickerMove") << "a named code ignores the options";
    EXPECT_EQ(nameForCode(5, 0), "");
    for (const char* n : {"ZEVItemStickerCopy", "ZEVItemStickerForbid", "ZEVItemStickerError", "ZEVItemStickerWarning",
                          "ZEVItemStickerNotFound", "ZEVItemStickerDownloading", "ZEVItemStickerMove",
                          "ZEVItemStickerZevp", "ZEVItemStickerZevFolder", "ZEVItemStickerExternalDrive",
                          "ZEVItemStickerTrash", "holdBySystem"})
        EXPECT_EQ(imageNamed(QString::fromLatin1(n)).size(), QSize(32, 32)) << n;
}

TEST(Stickers, TheStickerSitsOnTheLineAroundTheImageAndAnUnnamedCodeTakesItOff)
{
    Desk d;
    KELI* o = d.objects.objet(1);
    ZEVItemView* v = d.desk.add(o, {300, 300, 64, 0});
    const qsizetype parts = v->childItems().size();
    EXPECT_TRUE(v->stickerFrame().isEmpty());
    v->addSticker(kForOptions);
    EXPECT_TRUE(v->stickerFrame().isEmpty()) << "no option, no sticker";

    v->addSticker(kWarning);
    EXPECT_EQ(v->stickerName(), "ZEVItemStickerWarning");
    EXPECT_EQ(v->childItems().size(), parts) << "a sticker is no item of its own";
    // 32 × 32 at the line's corner plus (2, 3), y-up in the view: the line is the image grown by 10.
    const QRectF image = v->imageFrame().translated(-v->frame().topLeft());
    QRectF sticker = v->stickerFrame();
    EXPECT_EQ(sticker.size(), QSizeF(32, 32));
    EXPECT_DOUBLE_EQ(sticker.left(), image.left() - 8);
    EXPECT_DOUBLE_EQ(v->frame().height() - sticker.bottom(), image.top() - 7) << "its lower edge, y-up";
    // It follows the image when the icon grows.
    v->setIconPosition({300, 300, 128, 0}, 0);
    const QRectF grown = v->imageFrame().translated(-v->frame().topLeft());
    sticker = v->stickerFrame();
    EXPECT_DOUBLE_EQ(sticker.left(), grown.left() - 8);
    EXPECT_DOUBLE_EQ(v->frame().height() - sticker.bottom(), grown.top() - 7);

    addItemOption(o, ZEVOPTION_NOT_FOUND);
    v->addSticker(kForOptions);
    EXPECT_EQ(v->stickerName(), "ZEVItemStickerNotFound");
    v->addSticker(5);
    EXPECT_EQ(v->stickerName(), "");
    EXPECT_TRUE(v->stickerFrame().isEmpty()) << "code 5 takes the sticker off";
}

// The sticker is drawn over the image, and the part of it that stands out of the image's frame
// takes no press: a click beside the icon still reaches the desk.
TEST(Stickers, DrawnOverTheImageAndOnlyTheImageTakesPresses)
{
    Desk d;
    ZEVItemView* v = d.desk.add(d.objects.objet(1), {300, 300, 64, 0});
    QImage green(64, 64, QImage::Format_ARGB32_Premultiplied);
    green.fill(Qt::green);
    v->itemImageView()->setImage(green);
    v->addSticker(kWarning);
    const QRectF sticker = v->mapRectToScene(v->stickerFrame());
    const QRectF image = v->itemImageView()->sceneBoundingRect();

    QImage shot(d.desk.scene.sceneRect().size().toSize(), QImage::Format_ARGB32_Premultiplied);
    shot.fill(Qt::black);
    {
        QPainter p(&shot);
        d.desk.scene.render(&p, QRectF(shot.rect()), d.desk.scene.sceneRect());
    }
    const QImage alone = ZEVItemStickers::imageNamed(v->stickerName());
    // A pixel of the sticker that is opaque and inside the image: the sticker's colour, not green.
    bool checked = false;
    for (int y = 0; y < 32 && !checked; ++y)
        for (int x = 0; x < 32 && !checked; ++x) {
            const QPoint in = (sticker.topLeft() + QPointF(x, y)).toPoint();
            if (qAlpha(alone.pixel(x, y)) == 255 && image.contains(QPointF(in) + QPointF(0.5, 0.5))) {
                const QPoint shotAt = in - d.desk.scene.sceneRect().topLeft().toPoint();
                ASSERT_TRUE(shot.rect().contains(shotAt));
                EXPECT_EQ(shot.pixel(shotAt), alone.pixel(x, y)) << x << "," << y;
                checked = true;
            }
        }
    EXPECT_TRUE(checked) << "the sticker overlaps the image";

    const QPointF outside(sticker.left() + 2, sticker.bottom() - 2);
    ASSERT_FALSE(image.contains(outside));
    for (QGraphicsItem* i : d.desk.scene.items(outside))
        EXPECT_NE(i, v->dragView()) << "the overlay takes no press outside the image";
    EXPECT_TRUE(d.desk.scene.items(image.center()).contains(v->dragView()));
}

} // namespace
} // namespace objectstest
