#pragma once
// The background of one desk: the picture, colour and scale of the current Channel at the desk's
// cursor, followed through time and shown in the desk's background layer. It alone listens to
// the link base for the background and Channel-list relations of the cursor, and it writes new
// backgrounds: a new Channel's first one, a new Space from a date, the two of a first run.
//
// The pictures are rendered by the Space's background caches; each desk's background observes the
// caches it uses and holds a share of each, so that a cache the Space drops (its image deleted)
// lives until the desk lets it go.

#include "desk/background/ZEVChannelBackgrounds.h"
#include "engine/KELICc.h"
#include "engine/KELTypes.h"
#include "runtime/Scheduler.h"

#include <QColor>
#include <QImage>
#include <QSizeF>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class KELI;
class KELICurseur;

namespace tallomer {

class ZEVBackObjectServices;
class ZEVDeskViewer;
class ZEVSpaceForDeskViewers;

class ZEVDeskBackground final : public KELDelegueDeMaj {
public:
    // Refreshes after link-base changes are forced this often while the changes keep coming.
    static constexpr double kForceMajBack = 0.06;
    // maxTime value that disables forced refreshes.
    static constexpr double kJamais = KELDateOuverte;

    // `desk` is the viewer that owns this background (its cursor, Space, desk model, Object views
    // and layers); `maintenant` the time of its making.
    ZEVDeskBackground(ZEVDeskViewer& desk, double maintenant);
    ~ZEVDeskBackground() override;
    ZEVDeskBackground(const ZEVDeskBackground&) = delete;
    ZEVDeskBackground& operator=(const ZEVDeskBackground&) = delete;

    // Starts listening to the background and Channel-list links of the cursor (once).
    void enclencherMaj();
    // From now on a burst of link-base changes forces refreshes.
    void initMajBackView(double maintenant) { maxTimeBackView_ = maintenant; }

    KELI* currentBackImageItem() const { return currentBackImageItem_; }
    KELI* currentBackColorItem() const { return currentBackColorItem_; }
    KELI* currentBackScaleMot() const { return currentBackScaleMot_; }
    KELI* previousBackImageItem() const { return previousBackImageItem_; }
    bool siChannelActif() const { return siChannelActif_; }
    KELI* currentBackItem();
    std::string currentBackImageItemName();
    void setBackImageItemName(const std::string& name);

    // Whether at least one Channel has no background at the cursor (a first run).
    bool initWallpaperWithChannelViewer();
    // The first Space of a new Channel and the Channel's listing, from the cursor's now, in one
    // act; its picture Object, nullptr when the store kept none of it. The caller copies the
    // picture into the store once the act it may run inside is known to be stored.
    KELI* createBackForNewChannel(KELI* channel, const std::string& spaceTitle, const QString& imagePath,
                                  KELI* scaleItem, KELI* colorItem);
    void majBackForFirstTime();
    bool userChangeBackWithImageItem(KELI* imageItem, KELI* colorItem, KELId scaleMotInt, KELDate transitionDate);
    void channelDidChangeWithIdentityInt(KELId channel);
    void majBackImage();
    void majBackImageSize();

    ZEVChannelBackgrounds& backgrounds() { return backgrounds_; }
    QSizeF _newBackImageSizeForBackObject(ZEVBackObjectServices* backObject, KELId scaleMotInt) const;
    void _majBackForImageItem();
    void _majBackImageForBackObject(ZEVBackObjectServices* backObject);
    void _moteurChange();
    void _differerDisplayBackView();
    bool siAccepteDisplayBackView() const { return siAccepteDisplayBackView_; }

    // The link base's notices for the relations enclencherMaj listens to.
    void activationDuLien(KELI* lien, KELICc* curseur) override;
    void desactivationDuLien(KELI* lien, KELICc* curseur) override;

private:
    KELI* channelCourant();
    KELI* defaultColorItem();
    QColor couleur(KELI* colorItem);
    ZEVBackObjectServices* backObject(KELI* image, KELI* scale, bool creer);
    void observer(ZEVBackObjectServices* backObject);
    void showBack(ZEVBackObjectServices* backObject);
    // The Object views and the background layer show whether the Channel is active.
    void majChannelDesVues(KELId channelId);
    KELI* fichierDeFond(KELId channel, const std::string& title, const QString& path);
    // Forgets, in the current Channel's store, the records of these Objects: for an act refused.
    static std::function<void()> oublierLesRecords(std::vector<KELId> ids);
    KELI* lienBack(KELId relation, KELI* parent, KELI* enfant, KELDate in, KELDate out);
    // What the background layer is to show: at once, or with the views' pass when one is pending.
    void poserImage(const QImage& image);
    void poserCouleur(const QColor& color);
    void poserCouche();
    void appliquerCouche();

    ZEVDeskViewer& desk_;            // not owned: owns this background
    KELICurseur* curseur_;           // not owned
    ZEVSpaceForDeskViewers* space_;  // not owned; may be null
    ZEVChannelBackgrounds backgrounds_;

    KELI* currentBackImageItem_ = nullptr;
    KELI* currentBackColorItem_ = nullptr;
    KELI* currentBackScaleMot_ = nullptr;
    // What the background layer shows now.
    KELI* previousBackImageItem_ = nullptr;
    KELI* previousBackColorItem_ = nullptr;
    KELI* previousBackScaleMot_ = nullptr;
    // The active flag last passed on to the views.
    bool previousBackSiActif_ = false;
    bool siChannelActif_ = false;
    // Forces a reload of the same picture during a switch of Channel.
    bool siChannelRefresh_ = false;
    bool siAccepteDisplayBackView_ = true;
    double maxTimeBackView_ = kJamais;
    double currentTimeBackView_ = 0;
    struct Observe {
        ZEVBackObjectServices* object;
        std::shared_ptr<ZEVBackObjectServices> share; // null for a cache nobody shares
    };
    std::vector<Observe> observes_;
    // What the layer is still to show, waiting for the views' pass.
    struct Couche {
        std::optional<QColor> couleur;
        std::optional<QImage> image;
        bool siRepeindre = false;
    };
    Couche couche_;
    bool siEnclenche_ = false;

    ScheduledTarget guard_{this};
};

} // namespace tallomer
