#pragma once
// The space model: the space element with its time context and ruler, the current Channel, and
// the render caches of background images, one per image Object and scale word.

#include "engine/KELTypes.h"
#include "space/ZEVBackObject.h"

#include <QImage>
#include <QRectF>
#include <QString>

#include <map>
#include <memory>

class KELI;
class KELICurseur;
class KELIElemRelation;

namespace tallomer {

class ZEVSpaceController;

class ZEVSpaceClass {
public:
    // Reads the space model, the space element and its two relations at the controller's
    // timeline cursor; the current Channel is the home Channel. `controller` is not owned.
    ZEVSpaceClass(KELId spaceInt, ZEVSpaceController& controller);
    ~ZEVSpaceClass();
    ZEVSpaceClass(const ZEVSpaceClass&) = delete;
    ZEVSpaceClass& operator=(const ZEVSpaceClass&) = delete;

    void enclencherMaj() {}

    // The space's time context and ruler; nullptr when there is none.
    KELI* context();
    KELI* ruler();
    KELI* space() const { return spaceElem_; }
    KELI* identity() const { return currentIdentity_; }
    KELId identityInt() const { return currentIdentityInt_; }
    // Makes the Channel current, and the drop-folder Channel too.
    void setIdentity(KELI* channel);

    // Background caches, for the scale words "In" and "Out" only; nullptr otherwise.
    ZEVBackObject* backObjectForItemInt(KELId itemInt, KELId scaleMotInt) const;
    ZEVBackObject* backObjectForImage(KELI* image, KELId channelInt, const QRectF& windowRect, KELI* scaleMot);
    // "Out" replaces what is cached; "In" keeps the first and logs any later one.
    void ajouteBackObject(std::shared_ptr<ZEVBackObject> object, KELId itemInt, KELId scaleMotInt);
    // The image's objects leave the caches and tell no one any more; those who hold one (a desk,
    // a rendering under way) keep it until they let it go.
    void enleveBackObjectForItemInt(KELId itemInt);
    void updateBackObjectForItemInt(KELId itemInt, KELId scaleMotInt, const QString& fileURL);
    // The Channel's small picture on its colour, 48 x 30, for the menus; the black stand-in
    // without an image.
    QImage imageForImageItem(KELI* image, KELId channelInt, KELI* colorItem, KELI* scaleMot);
    static const QImage& ImageForNilImageItem();

private:
    using Cache = std::map<KELId, std::shared_ptr<ZEVBackObject>>;
    Cache* cacheFor(KELId scaleMotInt);
    const Cache* cacheFor(KELId scaleMotInt) const;
    KELI* premierEnfant(KELIElemRelation* relation);

    ZEVSpaceController& controller_; // not owned: the controller owns this model
    KELICurseur* tlCurseur_;         // not owned
    KELI* spaceModel_ = nullptr;     // links live for the run
    KELI* spaceElem_ = nullptr;
    KELIElemRelation* spaceContextRelation_ = nullptr;
    KELIElemRelation* spaceRulerRelation_ = nullptr;
    KELI* currentIdentity_ = nullptr;
    KELId currentIdentityInt_ = 0;
    Cache mapLienBackImageIn_;
    Cache mapLienBackImageOut_;
};

// Reads what the link base says of an inspector (entity): its name and its viewer class name.
class ZEVEntityClass {
public:
    explicit ZEVEntityClass(KELICurseur* tlCurseur) : tlCurseur_(tlCurseur) {}
    // Empty when the entity has none.
    std::string entityNameForEntity(KELI* entity) const;
    std::string classNameForEntity(KELI* entity) const;

private:
    KELICurseur* tlCurseur_; // not owned
};

} // namespace tallomer
