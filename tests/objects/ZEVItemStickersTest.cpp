// Stickers: which one an Object's options call for, and the sticker view over the icon's corner.

#include "tests/objects/ObjectsFakes.h"

#include "objects/view/ZEVItemStickers.h"

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
    EXPECT_EQ(v->stickerView(), nullptr) << "made on the first sticker";
    v->addSticker(kForOptions);
    EXPECT_EQ(v->stickerView(), nullptr) << "no option, no sticker, no view";

    v->addSticker(kWarning);
    ASSERT_NE(v->stickerView(), nullptr);
    EXPECT_EQ(v->stickerName(), "ZEVItemStickerWarning");
    EXPECT_TRUE(v->stickerView()->isVisible());
    // 32 × 32 at the line's corner plus (2, 3), y-up in the view: the line is the image grown by 10.
    const QRectF image = v->imageFrame().translated(-v->frame().topLeft());
    const QRectF sticker = v->stickerView()->mapRectToParent(v->stickerView()->boundingRect());
    EXPECT_EQ(sticker.size(), QSizeF(32, 32));
    EXPECT_DOUBLE_EQ(sticker.left(), image.left() - 8);
    EXPECT_DOUBLE_EQ(v->frame().height() - sticker.bottom(), image.top() - 7) << "its lower edge, y-up";

    addItemOption(o, ZEVOPTION_NOT_FOUND);
    v->addSticker(kForOptions);
    EXPECT_EQ(v->stickerName(), "ZEVItemStickerNotFound");
    v->addSticker(5);
    EXPECT_EQ(v->stickerName(), "");
    EXPECT_FALSE(v->stickerView()->isVisible()) << "code 5 takes the sticker off";
}

} // namespace
} // namespace objectstest
