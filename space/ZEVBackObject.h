#pragma once
// The render cache of one background image Object for one scale word: the picture drawn behind a
// Channel's desk and its small coloured thumbnail. The Space model keeps one per image and scale,
// and the desks of both cursors render through it (off the main thread; a render handed back
// after the cache went is dropped with it).

#include "engine/KELTypes.h"
#include "space/background/ZEVBackImageLoad.h"

#include <QColor>
#include <QImage>
#include <QRectF>
#include <QString>

class KELI;

namespace tallomer {

class ZEVBackObject : public ZEVBackImageLoad {
public:
    // Size of the Channel thumbnail.
    static constexpr int kThumbnailWidth = 48;
    static constexpr int kThumbnailHeight = 30;

    // `imageItem` is not owned (links live for the run).
    ZEVBackObject(KELI* imageItem, KELId channelInt, const QRectF& windowRect);
    ~ZEVBackObject() override = default;
    ZEVBackObject(const ZEVBackObject&) = delete;
    ZEVBackObject& operator=(const ZEVBackObject&) = delete;

    KELI* imageItem() const override { return imageItem_; }
    KELId channelInt() const { return channelInt_; }
    KELI* scaleMot() const override { return scaleMot_; }
    void setScaleMot(KELI* scaleMot) { scaleMot_ = scaleMot; } // not owned
    QRectF windowRect() const { return windowRect_; }
    void setWindowRect(const QRectF& rect) override { windowRect_ = rect; }
    // Width over height of the picture; 0 until it was read.
    double initialImageRatio() const override { return initialImageRatio_; }
    QString fileURL() const { return fileURL_; }
    void setFileURL(const QString& path) { fileURL_ = path; }
    QColor channelColor() const { return channelColor_; }
    // A new colour makes the coloured thumbnail stale.
    void setChannelColor(const QColor& color);

    QImage backImage() const override { return backImage_; }
    const QImage& channelImage() const { return channelImage_; }
    const QImage& channelImageColor() const { return channelImageColor_; }
    const QImage& thumbnailImage() const { return thumbnailImage_; }
    // A null image clears the cached one.
    void setBackImage(const QImage& image) { backImage_ = image; }
    void setChannelImage(const QImage& image) { channelImage_ = image; }
    void setChannelImageColor(const QImage& image) { channelImageColor_ = image; }
    void setThumbnailImage(const QImage& image) { thumbnailImage_ = image; }

    // Makes the coloured thumbnail now: the Channel colour with the picture fitted on it (or the
    // colour alone when the picture cannot be read).
    virtual void loadChannelImageColorSync();

protected:
    QString loadPath() const override;
    QRectF loadRect() const override { return windowRect_; }
    void applyRender(const ZEVBackRender& render) override;

private:
    KELI* imageItem_;
    KELId channelInt_;
    KELI* scaleMot_ = nullptr;
    QRectF windowRect_;
    double initialImageRatio_ = 0;
    QString fileURL_;
    QColor channelColor_ = Qt::black;
    QImage backImage_;
    QImage channelImage_;
    QImage channelImageColor_;
    QImage thumbnailImage_;
};

} // namespace tallomer
