// Blits held back and drawn by bands of rows on several threads land pixel for pixel where, and
// as, the painter draws them at once; a paint that cannot be split draws at once.

#include "widgets/ZEVBlitBatch.h"

#include <gtest/gtest.h>

#include <QPicture>

#include <random>

using namespace tallomer;

namespace {

// A device with something under the blits, so that every blend shows.
QImage device(QSize size, QImage::Format format = QImage::Format_ARGB32_Premultiplied)
{
    QImage image(size, format);
    QPainter p(&image);
    QLinearGradient g(0, 0, size.width(), size.height());
    g.setColorAt(0, QColor(30, 90, 160));
    g.setColorAt(1, QColor(220, 180, 40));
    p.fillRect(image.rect(), g);
    return image;
}

// Translucent and opaque images of many sizes, with soft edges.
std::vector<QImage> images(std::mt19937& random)
{
    std::uniform_int_distribution<int> side(3, 70), channel(0, 255);
    std::vector<QImage> out;
    for (int i = 0; i < 24; ++i) {
        const QImage::Format format = i % 4 == 0 ? QImage::Format_RGB32 : QImage::Format_ARGB32_Premultiplied;
        QImage image(side(random), side(random), format);
        image.fill(Qt::transparent);
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(channel(random), channel(random), channel(random), 40 + channel(random) * 215 / 255));
        p.drawEllipse(QRectF(0.5, 0.5, image.width() - 1.5, image.height() - 1.5));
        out.push_back(image);
    }
    return out;
}

// What a desk's paint asks: whole images and parts of them, at places between pixels, some
// faded, some drawn with another composition; and, after a part of them, a fill drawn straight.
void drawPile(QPainter& p, const std::vector<QImage>& pictures, std::mt19937 random, bool batched)
{
    std::uniform_real_distribution<double> x(-40, 330), y(-40, 420), unit(0, 1);
    for (int i = 0; i < 600; ++i) {
        const QImage& image = pictures[std::size_t(i) % pictures.size()];
        const QPointF at(x(random), y(random));
        const bool faded = i % 7 == 0, part = i % 3 == 0, plus = i % 50 == 0;
        if (faded)
            p.setOpacity(0.25 + unit(random) / 2);
        if (plus)
            p.setCompositionMode(QPainter::CompositionMode_Plus);
        if (part) {
            const QRectF source(image.width() / 4, image.height() / 3, image.width() / 2, image.height() / 2);
            const QRectF target(at, source.size());
            batched ? ZEVBlitBatch::drawImage(p, target, image, source) : p.drawImage(target, image, source);
        } else {
            batched ? ZEVBlitBatch::drawImage(p, at, image) : p.drawImage(at, image);
        }
        p.setOpacity(1);
        p.setCompositionMode(QPainter::CompositionMode_SourceOver);
        if (i == 300) {
            if (batched)
                ZEVBlitBatch::flush(p);
            p.fillRect(QRectF(20.5, 30.25, 200, 150), QColor(255, 255, 255, 90));
        }
    }
}

} // namespace

TEST(ZEVBlitBatch, HeldBackBlitsDrawWhatThePainterDrawsAtOnce)
{
    std::mt19937 random(11);
    const std::vector<QImage> pictures = images(random);
    for (const QImage::Format format : {QImage::Format_ARGB32_Premultiplied, QImage::Format_RGB32}) {
        SCOPED_TRACE(int(format));
        QImage straight = device(QSize(320, 420), format), batched = straight;
        // A painter moved and clipped, as the desk's canvas paints a piece of a window; then moved
        // between pixels.
        const auto prepare = [](QPainter& p) {
            p.setClipRect(QRect(7, 5, 300, 400));
            p.translate(3, -2);
        };
        {
            QPainter p(&straight);
            prepare(p);
            p.translate(0.25, -0.5);
            drawPile(p, pictures, random, false);
        }
        const quint64 before = ZEVBlitBatch::blitsDeferred();
        {
            QPainter p(&batched);
            prepare(p);
            ZEVBlitBatch::begin(p);
            ASSERT_TRUE(ZEVBlitBatch::holds(p));
            p.translate(0.25, -0.5);
            drawPile(p, pictures, random, true);
            ZEVBlitBatch::end(p);
            EXPECT_FALSE(ZEVBlitBatch::holds(p));
        }
        EXPECT_GT(ZEVBlitBatch::blitsDeferred(), before + 300) << "the blits were not held back";
        EXPECT_TRUE(straight == batched) << "a held back blit landed elsewhere or otherwise";
    }
}

TEST(ZEVBlitBatch, APaintItCannotSplitDrawsAtOnce)
{
    QImage image(16, 16, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::red);
    const auto drawsAtOnce = [&](QPainter& p, const char* why) {
        SCOPED_TRACE(why);
        ZEVBlitBatch::begin(p);
        EXPECT_FALSE(ZEVBlitBatch::holds(p));
        ZEVBlitBatch::drawImage(p, QPointF(2, 2), image);
        ZEVBlitBatch::end(p);
    };
    {
        // A clip of two pieces: a band's own clip could not keep to it.
        QImage target = device(QSize(200, 400));
        QPainter p(&target);
        p.setClipRegion(QRegion(0, 0, 50, 400) + QRegion(100, 0, 50, 400));
        drawsAtOnce(p, "two pieces");
        p.end();
        EXPECT_EQ(target.pixel(5, 5), QColor(Qt::red).rgb());
    }
    {
        QImage target = device(QSize(400, 100));
        QPainter p(&target);
        drawsAtOnce(p, "too few rows to share");
    }
    {
        // Its own clip, under a painter moved between pixels, may not map to whole pixels.
        QImage target = device(QSize(200, 400));
        QPainter p(&target);
        p.setClipRect(QRect(0, 0, 100, 300));
        p.translate(0.5, 0);
        drawsAtOnce(p, "a clip between pixels");
    }
    {
        QPicture picture;
        QPainter p(&picture);
        drawsAtOnce(p, "not a raster image");
    }
    {
        QImage target = device(QSize(200, 400));
        target.setDevicePixelRatio(2);
        QPainter p(&target);
        drawsAtOnce(p, "more than one device pixel a point");
    }
    {
        ZEVBlitBatch::setEnabled(false);
        QImage target = device(QSize(200, 400));
        QPainter p(&target);
        drawsAtOnce(p, "turned off");
        ZEVBlitBatch::setEnabled(true);
    }
}

TEST(ZEVBlitBatch, AnImageDrawsAsItWasWhenHeldThoughChangedOrGoneSince)
{
    // One image drawn again and again and changed now and then, as a view's picture is; and
    // images made for one blit and gone before the bands draw them, more than the batch keeps
    // track of.
    const auto pile = [](QPainter& p, bool batched) {
        QImage mark(20, 20, QImage::Format_ARGB32_Premultiplied);
        mark.fill(QColor(200, 0, 0, 180));
        for (int i = 0; i < 1500; ++i) {
            const QPointF at((i * 37) % 300, (i * 53) % 400);
            if (i % 100 == 50)
                mark.fill(QColor(0, i % 256, 200, 120));
            batched ? ZEVBlitBatch::drawImage(p, at, mark) : p.drawImage(at, mark);
            QImage once(3 + i % 40, 5, QImage::Format_ARGB32_Premultiplied);
            once.fill(QColor(i % 256, 80, 255 - i % 256, 200));
            batched ? ZEVBlitBatch::drawImage(p, at + QPointF(10, 10), once) : p.drawImage(at + QPointF(10, 10), once);
        }
    };
    QImage straight = device(QSize(320, 420)), batched = straight;
    {
        QPainter p(&straight);
        pile(p, false);
    }
    {
        QPainter p(&batched);
        ZEVBlitBatch::begin(p);
        ASSERT_TRUE(ZEVBlitBatch::holds(p));
        pile(p, true);
        ZEVBlitBatch::end(p);
    }
    EXPECT_TRUE(straight == batched) << "a blit drew an image as it was changed later, or lost it";
}
