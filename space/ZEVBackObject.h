#pragma once
// The renderings of one background image Object for one scale word, so that nothing else ever
// draws a large source picture: the background drawn behind a Channel's desk, a 300-point-high
// thumbnail, the Channel's small picture with its offset in its 48 x 30 box, and the same drawn
// on the Channel's colour for the menus. The Space model keeps one per image and scale; the
// desks, the menus, the Channels strip and the Images inspector all ask it. Each rendering is made
// on request and kept until replaced; the three that render off the main thread are stored and
// told on the main thread. A source that cannot be read is asked again only once its file was
// replaced, appeared, or changed.

#include "engine/KELTypes.h"
#include "space/background/ZEVBackImageLoad.h"

#include <QColor>
#include <QDateTime>
#include <QImage>
#include <QPointF>
#include <QRectF>
#include <QString>

#include <array>
#include <functional>
#include <optional>

class KELI;

namespace tallomer {

class ZEVSpaceController;

class ZEVBackObject : public ZEVBackImageLoad {
public:
    // The box of a Channel's small picture.
    static constexpr int kThumbnailWidth = int(kZEVChannelImageWidth);
    static constexpr int kThumbnailHeight = int(kZEVChannelImageHeight);

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
    // Nothing is rendered again until the next loadBackImage.
    void setWindowRect(const QRectF& rect) override { windowRect_ = rect; }
    // Width over height of the picture; 0 until it was read.
    double initialImageRatio() const override { return imageRatio_; }
    QString fileURL() const { return fileURL_; }
    // Keeps the renderings; a source that could not be read is tried again.
    void setFileURL(const QString& path);
    // Where the Object's file is now, asked again whenever the file is not where it was.
    void setFileFinder(std::function<QString(KELI*)> finder) { finder_ = std::move(finder); }
    // The file's name as the file system gives it; nullopt when it cannot be read.
    std::optional<QString> title() const;
    const QString& fillColorName() const { return fillColorName_; }
    void setFillColorName(const QString& name) { fillColorName_ = name; }
    // Another colour Object drops the coloured picture; the same one keeps it.
    void setChannelColorItem(KELI* colorItem, ZEVSpaceController& space);
    void setChannelColorItem(KELI* colorItem, const QColor& color);
    KELI* channelColorItem() const { return channelColorItem_; }
    QColor channelColor() const { return channelColor_; }

    QImage backImage() const override { return backImage_; }
    const QImage& thumbnailImage() const { return thumbnailImage_; }
    const QImage& channelImage() const { return channelImage_; }
    const QImage& channelImageColor() const { return channelImageColor_; }
    // The offset of channelImage in its 48 x 30 box; (0, 0) until rendered.
    QPointF channelPoint() const { return channelPoint_; }
    // The last rendering off the main thread found the source unreadable.
    bool siError() const { return siError_; }
    bool siBackLoading() const { return siLoading(ZEVBackKey::BackImage); }
    bool siThumbnailLoading() const { return siLoading(ZEVBackKey::ThumbnailImage); }
    bool siChannelLoading() const { return siLoading(ZEVBackKey::ChannelImage); }

    // Setters tell nobody; the renderings tell the observers of their key.
    void setBackImage(const QImage& image) { backImage_ = image; }
    void setThumbnailImage(const QImage& image) { thumbnailImage_ = image; }
    void setChannelImage(const QImage& image) { channelImage_ = image; }
    void setChannelImageColor(const QImage& image) { channelImageColor_ = image; }

    // The background for the frame and scale, now, whatever is under way (loadBackImage queues it).
    void loadBackImageSync();
    // Queues the thumbnail unless it exists or is under way.
    void loadThumbnailImage();
    // Queues (or makes now) the Channel picture unless it exists or is under way; answers whether
    // one was under way.
    bool loadChannelImage();
    bool loadChannelImageSync();
    // Makes the coloured picture now unless it exists: the colour alone when the picture cannot
    // be read.
    void loadChannelImageColorSync();

protected:
    QString loadPath() const override;
    QRectF loadRect() const override { return windowRect_; }
    void store(ZEVBackKey key, const ZEVBackRender& render) override;

private:
    // What the source file was when it could not be read.
    struct Empreinte {
        bool existe = false;
        QDateTime modifie;
        friend bool operator==(const Empreinte&, const Empreinte&) = default;
    };
    Empreinte empreinte() const;
    // Whether that rendering failed on the source as it still is.
    bool siEchecTenace(ZEVBackKey key) const;
    void echec(ZEVBackKey key, const Empreinte& e);
    KELId scaleId() const;

    KELI* imageItem_;
    KELId channelInt_;
    KELI* scaleMot_ = nullptr;
    QRectF windowRect_;
    double imageRatio_ = 0;
    // Followed to wherever the file went (a load reads it on the main thread).
    mutable QString fileURL_;
    std::function<QString(KELI*)> finder_;
    QImage backImage_;
    bool siError_ = false;
    QImage thumbnailImage_;
    QImage channelImage_;
    QImage channelImageColor_;
    QString fillColorName_;
    KELI* channelColorItem_ = nullptr;
    QColor channelColor_ = Qt::black;
    QPointF channelPoint_;
    std::array<std::optional<Empreinte>, 3> echecs_;
    std::array<Empreinte, 3> lancees_;
    // The coloured picture is the colour alone, made when the source was so.
    std::optional<Empreinte> couleurSeule_;
};

} // namespace tallomer
