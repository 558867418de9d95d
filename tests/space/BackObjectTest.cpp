// The background object's renderings: the sizes and crops of the desk and Channel pictures, the
// Channel picture on its colour, the jobs off the main thread and what an unreadable source does.

#include "engine/KELLien.h"
#include "space/ZEVBackObject.h"
#include "space/background/ZEVBackImageRenderer.h"
#include "tests/support/TestHome.h"

#include <QCoreApplication>
#include <QFile>
#include <QPainter>
#include <QThread>
#include <QThreadPool>

#include <gtest/gtest.h>

#include <memory>

using namespace tallomer;

namespace {

void drain()
{
    for (int i = 0; i < 5; ++i) {
        QThreadPool::globalInstance()->waitForDone();
        QCoreApplication::processEvents();
    }
}

// 3000 x 1000, red but for its middle 1800 columns (blue).
QString bandes(const QString& path)
{
    QImage image(3000, 1000, QImage::Format_RGB32);
    image.fill(Qt::red);
    for (int y = 0; y < 1000; ++y)
        for (int x = 600; x < 2400; ++x)
            image.setPixel(x, y, qRgb(0, 0, 255));
    EXPECT_TRUE(image.save(path));
    return path;
}

bool aDuRouge(const QImage& image)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.red() > 128 && c.blue() < 128)
                return true;
        }
    return false;
}

quint32 crc32(const QByteArray& data)
{
    quint32 c = 0xFFFFFFFFu;
    for (char ch : data) {
        c ^= quint8(ch);
        for (int k = 0; k < 8; ++k)
            c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1u)));
    }
    return ~c;
}

class BackObject : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = QString::fromStdString(test::makeTempDir("backobject"));
        image.assignerIdInt(4711);
        in.assignerIdInt(kZEVScaleIn);
        out.assignerIdInt(kZEVScaleOut);
        rouge.assignerIdInt(2000150);
        vert.assignerIdInt(2000151);
    }
    std::shared_ptr<ZEVBackObject> objet(const QString& path, KELI* scale)
    {
        auto o = std::make_shared<ZEVBackObject>(&image, 1, QRectF(0, 0, 1440, 900));
        o->setScaleMot(scale);
        o->setFileURL(path);
        return o;
    }
    QString dir;
    KELI image, in, out, rouge, vert;
};

TEST_F(BackObject, SizesAndChannelCropsFollowTheFrameChoice)
{
    EXPECT_EQ(ZEVBackImageSize(16.0 / 9.0, 1440, 900, kZEVScaleOut), QSizeF(1600, 900));
    EXPECT_EQ(ZEVBackImageSize(1.0, 1440, 900, kZEVScaleIn), QSizeF(900, 900));
    EXPECT_EQ(ZEVBackImageSize(1.0, 1440, 900, kZEVScaleOut), QSizeF(1600, 1600));
    EXPECT_EQ(ZEVBackImageSize(1.0, 1440, 900, 0), QSizeF(900, 900));
    EXPECT_EQ(ZEVBackImageSize(3.0, 1440, 900, kZEVScaleOut), QSizeF(2700, 900));
    EXPECT_NEAR(ZEVBackImageSize(3.0, 1440, 900, kZEVScaleIn).height(), 533.333, 1e-3);
    EXPECT_EQ(ZEVBackImageSize(1.0, 1000, 800, kZEVScaleIn), QSizeF(625, 625));

    ZEVChannelCrop c = ZEVChannelImageCrop(1000, 1000, kZEVScaleIn);
    EXPECT_EQ(c.size, QSizeF(30, 30));
    EXPECT_EQ(c.point, QPointF(9, 0));
    EXPECT_EQ(c.source, QRectF(0, 0, 1000, 1000));
    c = ZEVChannelImageCrop(1000, 1000, kZEVScaleOut);
    EXPECT_EQ(c.size, QSizeF(48, 30));
    EXPECT_EQ(c.point, QPointF(0, 0));
    EXPECT_EQ(c.source, QRectF(50, 218.75, 900, 562.5));
    c = ZEVChannelImageCrop(2000, 1000, kZEVScaleIn);
    EXPECT_NEAR(c.size.height(), 26.667, 1e-3);
    EXPECT_NEAR(c.point.y(), 1.667, 1e-3);
    EXPECT_EQ(c.source, QRectF(100, 0, 1800, 1000));
    c = ZEVChannelImageCrop(1600, 1000, kZEVScaleIn);
    EXPECT_EQ(c.source, QRectF(0, 0, 1600, 1000));
    EXPECT_EQ(c.size, QSizeF(48, 30));
    c = ZEVChannelImageCrop(1600, 1000, kZEVScaleOut);
    EXPECT_EQ(c.source, QRectF(80, 50, 1440, 900));
}

TEST_F(BackObject, TheChannelPictureAndItsColouredOneShowTheSameMiddleOfThePicture)
{
    const QString path = bandes(dir + "/bands.png");
    auto o = objet(path, &out);
    EXPECT_FALSE(o->loadChannelImageSync());
    ASSERT_EQ(o->channelImage().size(), QSize(48, 30));
    EXPECT_EQ(o->channelPoint(), QPointF(0, 0));
    EXPECT_FALSE(aDuRouge(o->channelImage()));
    o->setChannelColorItem(&rouge, QColor(Qt::green));
    o->loadChannelImageColorSync();
    ASSERT_EQ(o->channelImageColor().size(), QSize(48, 30));
    EXPECT_FALSE(aDuRouge(o->channelImageColor())) << "the crop, not the whole picture fitted";

    // The same colour Object keeps the coloured picture; another drops it.
    const QImage avant = o->channelImageColor();
    o->setChannelColorItem(&rouge, QColor(Qt::green));
    EXPECT_EQ(o->channelImageColor().cacheKey(), avant.cacheKey());
    o->setChannelColorItem(&vert, QColor(Qt::green));
    EXPECT_TRUE(o->channelImageColor().isNull());

    // "In" fits the width of a picture wider than 16:9: the red sides show, centred in height.
    auto i = objet(path, &in);
    i->loadChannelImageSync();
    EXPECT_EQ(i->channelImage().width(), 48);
    EXPECT_NEAR(i->channelPoint().y(), (30 - 30 * 16.0 / 9.0 / 3.0) * 0.5, 1e-6);
    EXPECT_TRUE(aDuRouge(i->channelImage()));
    EXPECT_EQ(i->title(), QStringLiteral("bands.png"));
}

TEST_F(BackObject, RenderingsOffTheMainThreadAreOneJobEachAndToldOnTheMainThread)
{
    auto o = objet(bandes(dir + "/bands.png"), &out);
    int told = 0;
    QThread* seenOn = nullptr;
    o->addObserver(ZEVBackKey::ChannelImage, this, [&](ZEVBackImageLoad* b, bool failed) {
        EXPECT_FALSE(failed);
        EXPECT_FALSE(static_cast<ZEVBackObject*>(b)->channelImage().isNull()) << "stored before it is told";
        seenOn = QThread::currentThread();
        ++told;
    });
    EXPECT_FALSE(o->loadChannelImage());
    EXPECT_TRUE(o->loadChannelImage()) << "one under way";
    EXPECT_TRUE(o->channelImage().isNull());
    drain();
    EXPECT_EQ(told, 1);
    EXPECT_EQ(seenOn, QCoreApplication::instance()->thread());
    EXPECT_FALSE(o->siChannelLoading());
    EXPECT_FALSE(o->loadChannelImage());
    drain();
    EXPECT_EQ(told, 1) << "made once";

    o->loadThumbnailImage();
    o->loadThumbnailImage();
    drain();
    EXPECT_EQ(o->thumbnailImage().size(), QSize(900, 300));

    // Dropped by every owner while it renders: the job keeps it until it is handed back.
    std::weak_ptr<ZEVBackObject> w = o;
    auto autre = objet(dir + "/bands.png", &in);
    w = autre;
    autre->loadBackImage();
    autre->loadThumbnailImage();
    autre.reset();
    EXPECT_FALSE(w.expired());
    drain();
    EXPECT_TRUE(w.expired());
}

TEST_F(BackObject, AnUnreadableSourceClearsItsFlagsSaysSoAndIsReadOnceItAppears)
{
    const QString path = dir + "/later.png";
    auto o = objet(path, &out);
    std::vector<bool> notices;
    o->addObserver(ZEVBackKey::ThumbnailImage, this, [&](ZEVBackImageLoad*, bool failed) { notices.push_back(failed); });
    o->addObserver(ZEVBackKey::ChannelImage, this, [&](ZEVBackImageLoad*, bool failed) { notices.push_back(failed); });
    o->loadThumbnailImage();
    EXPECT_FALSE(o->loadChannelImage());
    drain();
    EXPECT_EQ(notices, (std::vector<bool>{true, true}));
    EXPECT_FALSE(o->siThumbnailLoading());
    EXPECT_FALSE(o->siChannelLoading());
    EXPECT_TRUE(o->siError());
    // The same missing file: no new job.
    o->loadThumbnailImage();
    EXPECT_FALSE(o->siThumbnailLoading());
    EXPECT_FALSE(o->loadChannelImageSync());
    EXPECT_TRUE(o->channelImage().isNull());

    bandes(path);
    o->loadThumbnailImage();
    EXPECT_TRUE(o->siThumbnailLoading());
    o->loadChannelImage();
    drain();
    EXPECT_EQ(notices, (std::vector<bool>{true, true, false, false}));
    EXPECT_EQ(o->thumbnailImage().height(), 300);
    EXPECT_EQ(o->channelImage().size(), QSize(48, 30));
    EXPECT_FALSE(o->siError());
}

TEST_F(BackObject, APictureClaimingSixtyThousandSquarePixelsReadsAsUnreadable)
{
    QImage small(2, 2, QImage::Format_RGB32);
    small.fill(Qt::red);
    const QString path = dir + "/huge.png";
    ASSERT_TRUE(small.save(path));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    QByteArray bytes = f.readAll();
    // The header's width and height, then its checksum.
    auto be = [&](int at, quint32 v) {
        for (int k = 0; k < 4; ++k)
            bytes[at + k] = char((v >> (24 - 8 * k)) & 0xFF);
    };
    be(16, 60000);
    be(20, 60000);
    be(29, crc32(bytes.mid(12, 17)));
    f.seek(0);
    f.write(bytes);
    f.close();

    EXPECT_EQ(ZEVBackImageRatio(path), 0.0);
    const ZEVBackRender r = ZEVRenderBackImage(path, 1440, 900, kZEVScaleOut);
    EXPECT_TRUE(r.image.isNull());
    EXPECT_FALSE(r.error.isEmpty());
    auto o = objet(path, &out);
    EXPECT_FALSE(o->loadChannelImageSync());
    EXPECT_TRUE(o->channelImage().isNull());
}

// Pictures are read once and drawn at every paint of the desk, so the rendering hands them over
// ready to copy; whatever format it picks, a picture draws as its file does, and one with pixels
// that show through keeps them.
TEST_F(BackObject, ARenderedPictureDrawsAsItsFileDoesOverWhatLiesUnder)
{
    QImage opaque(160, 100, QImage::Format_ARGB32);
    QImage seeThrough(160, 100, QImage::Format_ARGB32);
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 160; ++x) {
            opaque.setPixel(x, y, qRgba(x, y * 2, 200, 255));
            seeThrough.setPixel(x, y, qRgba(x, y * 2, 200, x % 2 ? 255 : (x * 3) % 256));
        }
    for (const bool through : {false, true}) {
        const QImage& picture = through ? seeThrough : opaque;
        const QString path = dir + (through ? "/through.png" : "/opaque.png");
        ASSERT_TRUE(picture.save(path));
        const ZEVBackRender r = ZEVRenderBackImage(path, 160, 100, kZEVScaleIn);
        ASSERT_EQ(r.image.size(), QSize(160, 100)) << path.toStdString();
        QImage drawn(160, 100, QImage::Format_ARGB32_Premultiplied), expected = drawn;
        drawn.fill(Qt::red);
        expected.fill(Qt::red);
        QPainter(&drawn).drawImage(0, 0, r.image);
        QPainter(&expected).drawImage(0, 0, QImage(path));
        EXPECT_EQ(drawn, expected) << path.toStdString();
        EXPECT_EQ(r.image.hasAlphaChannel(), through) << "an opaque picture is copied, not blended";
    }
}

} // namespace
