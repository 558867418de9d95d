#include "space/ZEVSpaceClass.h"

#include "engine/KELICurseur.h"
#include "engine/KELModels.h"
#include "engine/KELServeurDeLiens.h"
#include "runtime/Log.h"
#include "space/ZEVConstants.h"
#include "space/ZEVSpaceController.h"

namespace tallomer {

ZEVSpaceClass::ZEVSpaceClass(KELId spaceInt, ZEVSpaceController& controller)
    : controller_(controller), tlCurseur_(controller.tlCurseur())
{
    spaceModel_ = KELServeurDeLiens::LienForInt(KELMODEL_SPACE, tlCurseur_);
    spaceElem_ = KELServeurDeLiens::LienForInt(spaceInt, tlCurseur_);
    spaceContextRelation_ =
        dynamic_cast<KELIElemRelation*>(KELServeurDeLiens::LienForInt(KELRELATION_SPACE_CONTEXT, tlCurseur_));
    spaceRulerRelation_ =
        dynamic_cast<KELIElemRelation*>(KELServeurDeLiens::LienForInt(KELRELATION_SPACE_RULER, tlCurseur_));
    currentIdentityInt_ = controller.homeChannelInt();
    currentIdentity_ = controller.channelForIdentityInt(currentIdentityInt_);
    if (auto* model = dynamic_cast<KELIModel*>(spaceModel_))
        model->elements(tlCurseur_);
    if (spaceContextRelation_)
        spaceContextRelation_->liens(tlCurseur_);
    if (spaceRulerRelation_)
        spaceRulerRelation_->liens(tlCurseur_);
}

ZEVSpaceClass::~ZEVSpaceClass()
{
    // A rendering still under way keeps its object alive past the caches: it tells no one.
    for (Cache* cache : {&mapLienBackImageIn_, &mapLienBackImageOut_})
        for (auto& [item, object] : *cache)
            if (object)
                object->removeAllObservers();
}

KELI* ZEVSpaceClass::premierEnfant(KELIElemRelation* relation)
{
    if (!relation || !spaceElem_)
        return nullptr;
    const auto* enfants = relation->enfantsDuParent(spaceElem_, tlCurseur_);
    return enfants && !enfants->empty() ? enfants->front() : nullptr;
}

KELI* ZEVSpaceClass::context()
{
    return premierEnfant(spaceContextRelation_);
}

KELI* ZEVSpaceClass::ruler()
{
    return premierEnfant(spaceRulerRelation_);
}

void ZEVSpaceClass::setIdentity(KELI* channel)
{
    currentIdentity_ = channel;
    currentIdentityInt_ = channel ? channel->idInt() : 0;
    if (channel)
        controller_.setZevFolderChannelInt(currentIdentityInt_);
}

ZEVSpaceClass::Cache* ZEVSpaceClass::cacheFor(KELId scaleMotInt)
{
    if (scaleMotInt == KELOBJECT_SCALE_IN)
        return &mapLienBackImageIn_;
    if (scaleMotInt == KELOBJECT_SCALE_OUT)
        return &mapLienBackImageOut_;
    return nullptr;
}

const ZEVSpaceClass::Cache* ZEVSpaceClass::cacheFor(KELId scaleMotInt) const
{
    return const_cast<ZEVSpaceClass*>(this)->cacheFor(scaleMotInt);
}

ZEVBackObject* ZEVSpaceClass::backObjectForItemInt(KELId itemInt, KELId scaleMotInt) const
{
    const Cache* cache = cacheFor(scaleMotInt);
    if (!cache)
        return nullptr;
    auto it = cache->find(itemInt);
    return it == cache->end() ? nullptr : it->second.get();
}

ZEVBackObject* ZEVSpaceClass::backObjectForImage(KELI* image, KELId channelInt, const QRectF& windowRect,
                                                 KELI* scaleMot)
{
    if (!image || !scaleMot || !cacheFor(scaleMot->idInt()))
        return nullptr;
    if (ZEVBackObject* cached = backObjectForItemInt(image->idInt(), scaleMot->idInt()))
        return cached;
    auto object = std::make_shared<ZEVBackObject>(image, channelInt, windowRect);
    object->setScaleMot(scaleMot);
    object->setFileURL(controller_.host().fileUrlForItem(image, channelInt));
    object->setFileFinder(
        [host = &controller_.host(), channelInt](KELI* item) { return host->fileUrlForItem(item, channelInt); });
    ZEVBackObject* raw = object.get();
    ajouteBackObject(std::move(object), image->idInt(), scaleMot->idInt());
    return raw;
}

void ZEVSpaceClass::ajouteBackObject(std::shared_ptr<ZEVBackObject> object, KELId itemInt, KELId scaleMotInt)
{
    Cache* cache = cacheFor(scaleMotInt);
    if (!cache || !object)
        return;
    if (scaleMotInt == KELOBJECT_SCALE_IN && cache->count(itemInt)) {
        logLine("BackObject already exists !");
        return;
    }
    (*cache)[itemInt] = std::move(object);
}

void ZEVSpaceClass::enleveBackObjectForItemInt(KELId itemInt)
{
    for (Cache* cache : {&mapLienBackImageIn_, &mapLienBackImageOut_})
        if (auto it = cache->find(itemInt); it != cache->end()) {
            it->second->removeAllObservers();
            cache->erase(it);
        }
}

void ZEVSpaceClass::updateBackObjectForItemInt(KELId itemInt, KELId scaleMotInt, const QString& fileURL)
{
    ZEVBackObject* object = backObjectForItemInt(itemInt, scaleMotInt);
    if (!object)
        return;
    object->setBackImage({});
    object->setChannelImage({});
    object->setChannelImageColor({});
    object->setThumbnailImage({});
    object->setFileURL(fileURL);
}

QImage ZEVSpaceClass::imageForImageItem(KELI* image, KELId channelInt, KELI* colorItem, KELI* scaleMot)
{
    if (!image)
        return ImageForNilImageItem();
    ZEVBackObject* object = scaleMot ? backObjectForItemInt(image->idInt(), scaleMot->idInt()) : nullptr;
    if (!object)
        object = backObjectForImage(image, channelInt, controller_.deskViewFrame(), scaleMot);
    if (!object)
        return ImageForNilImageItem();
    object->setChannelColorItem(colorItem, controller_);
    object->loadChannelImageColorSync();
    return object->channelImageColor();
}

const QImage& ZEVSpaceClass::ImageForNilImageItem()
{
    static const QImage black = [] {
        QImage image(ZEVBackObject::kThumbnailWidth, ZEVBackObject::kThumbnailHeight, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::black);
        return image;
    }();
    return black;
}

std::string ZEVEntityClass::entityNameForEntity(KELI* entity) const
{
    if (!entity)
        return {};
    std::vector<std::string> path{"entityName"};
    const KELValue v = entity->baseSelonLesRelations(path, tlCurseur_);
    const auto* s = std::get_if<std::string>(&v);
    return s ? *s : std::string();
}

std::string ZEVEntityClass::classNameForEntity(KELI* entity) const
{
    if (!entity)
        return {};
    std::vector<std::string> path{"entityRelation", "Nom"};
    const KELValue v = entity->baseSelonLesRelations(path, tlCurseur_);
    const auto* s = std::get_if<std::string>(&v);
    return s ? *s : std::string();
}

} // namespace tallomer
