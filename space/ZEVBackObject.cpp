#include "space/ZEVBackObject.h"

#include "engine/KELLien.h"
#include "runtime/Log.h"
#include "space/ZEVSpaceController.h"

#include <QFileInfo>
#include <QUrl>

namespace tallomer {

ZEVBackObject::ZEVBackObject(KELI* imageItem, KELId channelInt, const QRectF& windowRect)
    : imageItem_(imageItem), channelInt_(channelInt), windowRect_(windowRect)
{
}

void ZEVBackObject::setFileURL(const QString& path)
{
    fileURL_ = path;
    echecs_ = {};
}

std::optional<QString> ZEVBackObject::title() const
{
    const QFileInfo f(loadPath());
    if (fileURL_.isEmpty() || !f.exists())
        return std::nullopt;
    return f.fileName();
}

void ZEVBackObject::setChannelColorItem(KELI* colorItem, ZEVSpaceController& space)
{
    if (colorItem != channelColorItem_ || !channelColorItem_)
        setChannelColorItem(colorItem, space.colorForColorItem(colorItem));
}

void ZEVBackObject::setChannelColorItem(KELI* colorItem, const QColor& color)
{
    // No colour Object (the default colour) is kept by its colour.
    if (colorItem == channelColorItem_ && (colorItem || color == channelColor_))
        return;
    channelImageColor_ = QImage();
    channelColorItem_ = colorItem;
    channelColor_ = color;
}

QString ZEVBackObject::loadPath() const
{
    auto local = [](const QString& url) {
        return url.startsWith(QLatin1String("file:")) ? QUrl(url).toLocalFile() : url;
    };
    QString path = local(fileURL_);
    if (finder_ && (path.isEmpty() || !QFileInfo::exists(path))) {
        const QString found = finder_(imageItem_);
        if (!found.isEmpty()) {
            fileURL_ = found;
            path = local(found);
        }
    }
    return path;
}

KELId ZEVBackObject::scaleId() const { return scaleMot_ ? scaleMot_->idInt() : 0; }

ZEVBackObject::Empreinte ZEVBackObject::empreinte() const
{
    const QFileInfo f(loadPath());
    if (f.filePath().isEmpty() || !f.exists())
        return {};
    return {true, f.lastModified()};
}

bool ZEVBackObject::siEchecTenace(ZEVBackKey key) const
{
    const auto& e = echecs_[std::size_t(key)];
    return e && *e == empreinte();
}

void ZEVBackObject::echec(ZEVBackKey key, const Empreinte& e)
{
    echecs_[std::size_t(key)] = e;
    siError_ = true;
}

void ZEVBackObject::loadBackImageSync()
{
    const ZEVBackRender r = ZEVRenderBackImage(loadPath(), windowRect_.width(), windowRect_.height(), scaleId());
    if (r.ratio > 0)
        imageRatio_ = r.ratio;
    if (!r.image.isNull())
        setBackImage(r.image);
}

void ZEVBackObject::loadThumbnailImage()
{
    if (!thumbnailImage_.isNull() || siThumbnailLoading() || siEchecTenace(ZEVBackKey::ThumbnailImage))
        return;
    lancees_[std::size_t(ZEVBackKey::ThumbnailImage)] = empreinte();
    launch(ZEVBackKey::ThumbnailImage, [path = loadPath()] { return ZEVRenderThumbnail(path); });
}

bool ZEVBackObject::loadChannelImage()
{
    const bool enCours = siChannelLoading();
    if (enCours || !channelImage_.isNull() || siEchecTenace(ZEVBackKey::ChannelImage))
        return enCours;
    lancees_[std::size_t(ZEVBackKey::ChannelImage)] = empreinte();
    launch(ZEVBackKey::ChannelImage, [path = loadPath(), scale = scaleId()] { return ZEVRenderChannelImage(path, scale); });
    return false;
}

bool ZEVBackObject::loadChannelImageSync()
{
    const bool enCours = siChannelLoading();
    if (enCours || !channelImage_.isNull() || siEchecTenace(ZEVBackKey::ChannelImage))
        return enCours;
    const Empreinte e = empreinte();
    const ZEVBackRender r = ZEVRenderChannelImage(loadPath(), scaleId());
    if (r.image.isNull()) {
        echec(ZEVBackKey::ChannelImage, e);
        return false;
    }
    imageRatio_ = r.ratio;
    channelPoint_ = r.point;
    setChannelImage(r.image);
    return false;
}

void ZEVBackObject::loadChannelImageColorSync()
{
    // The colour alone stands in until the source changes.
    if (!channelImageColor_.isNull() && (!couleurSeule_ || couleurSeule_ == empreinte()))
        return;
    couleurSeule_.reset();
    const Empreinte e = empreinte();
    const ZEVBackRender r = ZEVRenderChannelImageColor(loadPath(), scaleId(), channelColor_);
    if (!r.image.isNull()) {
        imageRatio_ = r.ratio;
        channelImageColor_ = r.image;
        return;
    }
    QImage colour(kThumbnailWidth, kThumbnailHeight, QImage::Format_ARGB32_Premultiplied);
    colour.fill(channelColor_);
    channelImageColor_ = colour;
    couleurSeule_ = e;
}

void ZEVBackObject::store(ZEVBackKey key, const ZEVBackRender& r)
{
    if (r.ratio > 0)
        imageRatio_ = r.ratio;
    if (r.image.isNull()) {
        if (key == ZEVBackKey::BackImage) {
            siError_ = true;
            logLine("loadBackImage ERROR !");
        } else {
            echec(key, lancees_[std::size_t(key)]);
        }
        return;
    }
    siError_ = false;
    echecs_[std::size_t(key)].reset();
    switch (key) {
    case ZEVBackKey::BackImage:
        setBackImage(r.image);
        break;
    case ZEVBackKey::ThumbnailImage:
        setThumbnailImage(r.image);
        break;
    case ZEVBackKey::ChannelImage:
        channelPoint_ = r.point;
        setChannelImage(r.image);
        break;
    }
}

} // namespace tallomer
