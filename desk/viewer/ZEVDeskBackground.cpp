#include "desk/viewer/ZEVDeskBackground.h"

#include "desk/data/ZEVItemData.h"
#include "desk/data/ZEVItemDataChannels.h"
#include "desk/model/ZEVDeskClass.h"
#include "desk/model/ZEVDeskIds.h"
#include "desk/model/ZEVItemClass.h"
#include "desk/model/ZEVItemOptions.h"
#include "desk/model/ZEVModelSupport.h"
#include "desk/view/ZEVDeskBackImageView.h"
#include "desk/view/ZEVDeskView.h"
#include "desk/viewer/ZEVDeskViewRegistry.h"
#include "desk/viewer/ZEVDeskViewer.h"
#include "engine/KELICurseur.h"
#include "engine/KELServeurDeLiens.h"
#include "runtime/Clock.h"
#include "runtime/Log.h"
#include "services/ZEVItemViewerForDesks.h"
#include "services/ZEVSpaceForDeskViewers.h"
#include "space/background/ZEVBackImageRenderer.h"
#include "space/background/ZEVBackObjectServices.h"

#include <QFileInfo>
#include <QUrl>

#include <algorithm>
#include <cmath>
#include <utility>

namespace tallomer {

namespace {

constexpr char kDiffererBack[] = "_differerDisplayBackView";
// The background links of a Channel and the Channel list's, which the link base tells about.
constexpr KELId kRelationsEcoutees[] = {kZEVRelationBackItem, kZEVRelationBackColor, kZEVRelationBackScale,
                                        kZEVRelationChannel};

} // namespace

ZEVDeskBackground::ZEVDeskBackground(ZEVDeskViewer& desk, double maintenant)
    : desk_(desk), curseur_(desk.curseur()), space_(desk.space()),
      backgrounds_(curseur_, deskmodel::timelineCurseur(space_)), currentTimeBackView_(maintenant)
{
    currentBackColorItem_ = defaultColorItem();
    currentBackScaleMot_ = curseur_ ? KELServeurDeLiens::LienForInt(kZEVScaleIn, curseur_) : nullptr;
}

ZEVDeskBackground::~ZEVDeskBackground()
{
    desk_.views().quitterLaPasse(this);
    for (const Observe& o : observes_)
        o.object->removeBackImageObserver(this);
    if (siEnclenche_ && curseur_)
        for (KELId r : kRelationsEcoutees)
            curseur_->enleverLeDelegueDeMaj(this, r);
}

void ZEVDeskBackground::enclencherMaj()
{
    if (!curseur_ || siEnclenche_)
        return;
    siEnclenche_ = true;
    for (KELId r : kRelationsEcoutees)
        curseur_->ajouterLeDelegueDeMaj(this, r);
}

KELI* ZEVDeskBackground::channelCourant()
{
    KELId id = space_ ? space_->identityInt() : 0;
    if (id == 0)
        id = space_ ? space_->homeChannelInt() : KELOBJECT_HOME_CHANNEL;
    return curseur_ ? KELServeurDeLiens::LienForInt(id, curseur_) : nullptr;
}

KELI* ZEVDeskBackground::defaultColorItem()
{
    if (space_)
        if (KELI* c = space_->defaultColorItem())
            return c;
    return curseur_ ? KELServeurDeLiens::LienForInt(kZEVDefaultColorItem, curseur_) : nullptr;
}

QColor ZEVDeskBackground::couleur(KELI* colorItem)
{
    if (space_) {
        const QColor c = space_->colorForColorItem(colorItem);
        if (c.isValid())
            return c;
    }
    return backgrounds_.colorForColorItem(colorItem);
}

KELI* ZEVDeskBackground::currentBackItem() { return backgrounds_.premierLien(kZEVRelationBackItem, channelCourant()); }

std::string ZEVDeskBackground::currentBackImageItemName()
{
    ZEVDeskClass* deskClass = desk_.deskClass();
    if (!currentBackImageItem_ || !deskClass)
        return "\u2013";
    return deskClass->itemTitleCurseurForItem(currentBackImageItem_).value_or("\u2013");
}

void ZEVDeskBackground::setBackImageItemName(const std::string& name)
{
    if (ZEVDeskClass* deskClass = desk_.deskClass(); deskClass && currentBackImageItem_)
        deskClass->updateSpaceTitle(name, currentBackImageItem_);
}

QSizeF ZEVDeskBackground::_newBackImageSizeForBackObject(ZEVBackObjectServices* backObject, KELId scaleMotInt) const
{
    const QRectF f = desk_.deskViewFrame();
    return ZEVBackImageSize(backObject ? backObject->initialImageRatio() : 0.0, f.width(), f.height(), scaleMotInt);
}

void ZEVDeskBackground::observer(ZEVBackObjectServices* backObject)
{
    if (!backObject)
        return;
    // The Search and the Now desks both follow every cache either of them starts.
    std::vector<ZEVDeskBackground*> fonds;
    if (space_)
        for (KELICurseur* c : {space_->searchCurseur(), space_->nowCurseur()})
            if (ZEVDeskViewer* v = c ? space_->deskViewerForCurseur(c) : nullptr)
                fonds.push_back(&v->background());
    if (fonds.empty())
        fonds.push_back(this);
    for (ZEVDeskBackground* f : fonds) {
        backObject->addBackImageObserver(f, [f](ZEVBackObjectServices* b) { f->_majBackImageForBackObject(b); });
        if (std::none_of(f->observes_.begin(), f->observes_.end(),
                         [backObject](const Observe& o) { return o.object == backObject; }))
            f->observes_.push_back({backObject, backObject->weak_from_this().lock()});
    }
}

void ZEVDeskBackground::majChannelDesVues(KELId channelId)
{
    for (const auto& [item, view] : desk_.views().lienViewMap())
        view->majChannelInt(channelId, siChannelActif_);
}

ZEVBackObjectServices* ZEVDeskBackground::backObject(KELI* image, KELI* scale, bool creer)
{
    if (!space_ || !image || !scale)
        return nullptr;
    if (ZEVBackObjectServices* b = space_->backObjectForItemInt(image->idInt(), scale->idInt()))
        return b;
    return creer ? space_->backObjectForImage(image, image->channelInt(), desk_.deskViewFrame(), scale) : nullptr;
}

void ZEVDeskBackground::showBack(ZEVBackObjectServices* b)
{
    previousBackImageItem_ = b->imageItem();
    previousBackScaleMot_ = b->scaleMot();
    poserImage(b->backImage());
}

void ZEVDeskBackground::poserImage(const QImage& image)
{
    couche_.image = image;
    poserCouche();
}

void ZEVDeskBackground::poserCouleur(const QColor& color)
{
    couche_.couleur = color;
    poserCouche();
}

// A cursor move changes the picture (on the next turn of the event loop) and moves the views (in
// the pass that waits for the rest of the move's notices): the pass carries the picture, so that
// the desk is painted once with both rather than once for each. What the background holds as
// current changes at once all the same; only the layer waits.
void ZEVDeskBackground::poserCouche()
{
    if (!desk_.views().joindreALaPasse(this, [this] { appliquerCouche(); }))
        appliquerCouche();
}

void ZEVDeskBackground::appliquerCouche()
{
    ZEVDeskBackImageView* layer = desk_.deskBackImageView();
    Couche c = std::exchange(couche_, Couche{});
    if (c.couleur)
        layer->setBackgroundColor(*c.couleur);
    if (c.image)
        layer->setBackgroundImage(*c.image);
    if (c.siRepeindre)
        layer->redraw();
}

bool ZEVDeskBackground::initWallpaperWithChannelViewer()
{
    bool premiereFois = false;
    const KELId home = space_ ? space_->homeChannelInt() : KELOBJECT_HOME_CHANNEL;
    for (KELI* channel : backgrounds_.timeLineItems()) {
        if (!backgrounds_.premierLien(kZEVRelationBackItem, channel)) {
            premiereFois = true;
            continue;
        }
        KELI* color = backgrounds_.backColorItemForChannel(channel);
        KELI* scale = backgrounds_.backScaleMotForChannel(channel);
        KELI* image = backgrounds_.backItemForChannel(channel); // stamped with the Channel
        if (channel->idInt() == home) {
            siChannelActif_ = backgrounds_.siChannelActif(channel);
            if (ZEVItemViewerForDesks* itemViewer = desk_.itemViewer())
                itemViewer->setSiChannelActif(siChannelActif_);
            previousBackSiActif_ = siChannelActif_;
            currentBackImageItem_ = image;
            currentBackColorItem_ = color;
            currentBackScaleMot_ = scale;
        }
        if (image && scale && !backObject(image, scale, false))
            if (ZEVBackObjectServices* b = backObject(image, scale, true)) {
                observer(b);
                b->loadBackImage();
            }
    }
    if (space_)
        space_->selectChannelInt(home);
    _majBackForImageItem();
    return premiereFois;
}

void ZEVDeskBackground::_majBackForImageItem()
{
    KELI* channel = channelCourant();
    const KELId channelId = channel ? channel->idInt() : 0;
    siChannelActif_ = backgrounds_.siChannelActif(channel);
    if (siChannelActif_ != previousBackSiActif_) {
        previousBackSiActif_ = siChannelActif_;
        if (ZEVItemViewerForDesks* itemViewer = desk_.itemViewer())
            itemViewer->setSiChannelActif(siChannelActif_);
        majChannelDesVues(channelId);
        desk_.deskBackImageView()->majChannelInt(channelId, siChannelActif_);
        desk_.deskView()->update();
    }
    if (siChannelActif_) {
        if (KELI* image = backgrounds_.backItemForChannel(channel))
            currentBackImageItem_ = image;
        currentBackColorItem_ = backgrounds_.backColorItemForChannel(channel);
        currentBackScaleMot_ = backgrounds_.backScaleMotForChannel(channel);
    } else {
        currentBackColorItem_ = defaultColorItem();
        currentBackImageItem_ = nullptr;
    }
    if (!currentBackScaleMot_ || !currentBackColorItem_)
        return;
    if (currentBackColorItem_ != previousBackColorItem_) {
        previousBackColorItem_ = currentBackColorItem_;
        poserCouleur(couleur(currentBackColorItem_));
    }
    if (!currentBackImageItem_) {
        previousBackImageItem_ = nullptr;
        poserImage(QImage());
        return;
    }
    if (currentBackImageItem_ == previousBackImageItem_ && currentBackScaleMot_ == previousBackScaleMot_ &&
        !siChannelRefresh_)
        return;
    ZEVBackObjectServices* b = backObject(currentBackImageItem_, currentBackScaleMot_, false);
    const QSizeF wanted = _newBackImageSizeForBackObject(b, currentBackScaleMot_->idInt());
    previousBackImageItem_ = currentBackImageItem_;
    previousBackScaleMot_ = currentBackScaleMot_;
    if (!b) {
        if ((b = backObject(currentBackImageItem_, currentBackScaleMot_, true))) {
            observer(b);
            b->loadBackImage();
        }
        return;
    }
    if (b->backImage().isNull()) {
        observer(b);
        b->setWindowRect(desk_.deskViewFrame());
        b->loadBackImage();
        return;
    }
    if (std::lround(wanted.width()) == b->backImage().width()) {
        showBack(b);
        return;
    }
    b->setWindowRect(desk_.deskViewFrame());
    b->loadBackImage();
}

void ZEVDeskBackground::_majBackImageForBackObject(ZEVBackObjectServices* b)
{
    if (!siChannelActif_) {
        previousBackColorItem_ = defaultColorItem();
        poserCouleur(couleur(previousBackColorItem_));
        poserImage(QImage());
    } else if (b && b->imageItem() == currentBackImageItem_ && b->scaleMot() == currentBackScaleMot_) {
        showBack(b);
    }
    couche_.siRepeindre = true;
    poserCouche();
}

void ZEVDeskBackground::_moteurChange()
{
    const double t = Clock::shared().now();
    currentTimeBackView_ = t;
    if (siAccepteDisplayBackView_) {
        siAccepteDisplayBackView_ = false;
        Scheduler::shared().perform(this, kDiffererBack, 0.0, [this] { _differerDisplayBackView(); }, true);
        return;
    }
    if (t - maxTimeBackView_ > kForceMajBack) {
        _differerDisplayBackView();
        maxTimeBackView_ = t;
    }
}

void ZEVDeskBackground::_differerDisplayBackView()
{
    _majBackForImageItem();
    if (space_)
        space_->channelsSpaceDidChange();
    siAccepteDisplayBackView_ = true;
}

void ZEVDeskBackground::channelDidChangeWithIdentityInt(KELId channelId)
{
    KELI* channel = curseur_ ? KELServeurDeLiens::LienForInt(channelId, curseur_) : nullptr;
    siChannelActif_ = backgrounds_.siChannelActif(channel);
    if (ZEVItemViewerForDesks* itemViewer = desk_.itemViewer())
        itemViewer->setSiChannelActif(siChannelActif_);
    previousBackSiActif_ = siChannelActif_;
    if (siChannelActif_) {
        if (KELI* image = backgrounds_.backItemForChannel(channel))
            currentBackImageItem_ = image;
        currentBackColorItem_ = backgrounds_.backColorItemForChannel(channel);
        currentBackScaleMot_ = backgrounds_.backScaleMotForChannel(channel);
    } else {
        currentBackColorItem_ = defaultColorItem();
        currentBackImageItem_ = nullptr;
    }
    majChannelDesVues(channelId);
    siChannelRefresh_ = true;
    _majBackForImageItem();
    siChannelRefresh_ = false;
    if (space_)
        space_->channelsMajInspectView();
    desk_.deskView()->update();
}

void ZEVDeskBackground::majBackImage()
{
    if (ZEVBackObjectServices* b = backObject(currentBackImageItem_, currentBackScaleMot_, false)) {
        b->setWindowRect(desk_.deskViewFrame());
        b->loadBackImage();
    }
}

void ZEVDeskBackground::majBackImageSize()
{
    ZEVBackObjectServices* b = backObject(currentBackImageItem_, currentBackScaleMot_, false);
    if (!b || b->backImage().isNull() || !currentBackScaleMot_)
        return;
    const QSizeF s = _newBackImageSizeForBackObject(b, currentBackScaleMot_->idInt());
    if (s.width() < 1 || s.height() < 1)
        return;
    poserImage(b->backImage().scaled(s.toSize(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
}

// ---------------------------------------------------------------------------------------------
// Writing backgrounds

KELI* ZEVDeskBackground::lienBack(KELId relation, KELI* parent, KELI* enfant, KELDate in, KELDate out)
{
    if (!parent || !enfant)
        return nullptr;
    return KELServeurDeLiens::CreerLienRelInt(relation, parent, enfant, in, out, curseur_);
}

bool ZEVDeskBackground::userChangeBackWithImageItem(KELI* imageItem, KELI* colorItem, KELId scaleMotInt,
                                                    KELDate transitionDate)
{
    const KELId identity = space_ ? space_->identityInt() : 0;
    KELI* channel = channelCourant();
    if (!imageItem || !channel || imageItem->channelInt() != identity) {
        logFormat("userChangeBackWithImageItem: transitionDate: channelInt = %ld  identityInt = %ld",
                  imageItem ? static_cast<long>(imageItem->channelInt()) : 0L, static_cast<long>(identity));
        if (space_)
            space_->beep();
        return false;
    }
    const KELDate T = transitionDate;
    // The old value ends at T and the new one runs until the old one's successor starts. A T
    // before the old value's own start would close it before it opens: the new value then runs
    // up to that start instead, and the old one is left whole.
    auto fermer = [&](KELI* lien) {
        if (T < lien->inDate())
            return lien->inDate();
        const KELDate fin = KELServeurDeLiens::OutDateDuLienParent(lien);
        lien->placeOutDate(T, curseur_);
        return fin;
    };
    std::vector<KELI*> faits;
    {
        // The image, colour and scale change at T together, or not at all: a store that kept the
        // old image's end alone (a full disk) would leave the Space with no background from T.
        const KELServeurDeLiens::Acte acte(3);
        if (!acte.complet())
            return false;
        KELDate E;
        if (KELI* lien = backgrounds_.premierLien(kZEVRelationBackItem, channel)) {
            E = fermer(lien);
        } else {
            // Where the Channel's next background starts, seen from T.
            KELI sonde;
            sonde.assignerParentInt(channel->idInt());
            sonde.assignerRelationInt(kZEVRelationBackItem);
            sonde.assignerInDate(T);
            E = KELServeurDeLiens::OutDateDuLienParent(&sonde);
        }
        faits.push_back(lienBack(kZEVRelationBackItem, channel, imageItem, T, E));

        auto attribut = [&](KELId relation, KELI* valeur) {
            if (!valeur)
                return;
            KELI* lien = backgrounds_.premierLien(relation, channel);
            if (!lien) {
                faits.push_back(lienBack(relation, channel, valeur, T, E));
            } else if (lien->enfantInt() != valeur->idInt()) {
                E = fermer(lien);
                faits.push_back(lienBack(relation, channel, valeur, T, E));
            }
        };
        attribut(kZEVRelationBackColor, colorItem);
        attribut(kZEVRelationBackScale, curseur_ ? KELServeurDeLiens::LienForInt(scaleMotInt, curseur_) : nullptr);
    }
    deskmodel::relancer(curseur_);
    // The store kept none of it: the Space keeps the background it had, in memory as in the store.
    return std::none_of(faits.begin(), faits.end(), [](const KELI* l) { return KELServeurDeLiens::Perdu(l); });
}

KELI* ZEVDeskBackground::fichierDeFond(KELId channel, const std::string& title, const QString& path)
{
    ZEVItemClass* itemClass = desk_.itemClass();
    if (!itemClass)
        return nullptr;
    const std::string icon = QFileInfo(path).suffix().toStdString();
    // Without any store (none could be built) there is nowhere to write a record: the Space keeps
    // its picture Object, as it always did.
    ZEVItemData& store = ZEVItemData::Current();
    KELI* item = itemClass->creerItemWithRecord(channel, title, "file", icon, 1, [&](KELI* made) {
        return store.isNone() || store.createFileURL(path, QUrl(), made);
    });
    if (!item)
        return nullptr;
    clearItemOption(item, ZEVOPTION_HOLD_BY_ZEV);
    return item;
}

std::function<void()> ZEVDeskBackground::oublierLesRecords(std::vector<KELId> ids)
{
    return [ids = std::move(ids), canal = ZEVItemDataChannels::CurrentChannelInt()] {
        if (ZEVItemData* store = ZEVItemDataChannels::ItemDataForChannelInt(canal))
            for (KELId id : ids)
                store->forgetRecordsOfItem(id);
    };
}

KELI* ZEVDeskBackground::createBackForNewChannel(KELI* channel, const std::string& spaceTitle,
                                                 const QString& imagePath, KELI* scaleItem, KELI* colorItem)
{
    if (imagePath.isEmpty() || !channel || !curseur_)
        return nullptr;
    const KELDate N = curseur_->now();
    const std::uint64_t refusees = KELServeurDeLiens::EcrituresRefusees();
    KELI* item = nullptr;
    {
        // The picture Object, the background it begins and the Channel's listing: all of them or
        // none, or the Channel would be listed with no background.
        const KELServeurDeLiens::Acte acte(0);
        if (!acte.complet())
            return nullptr;
        item = fichierDeFond(channel->idInt(), spaceTitle, imagePath);
        if (!item)
            return nullptr;
        // The record of an Object the store does not hold would be read for the next Object given
        // its id: it goes once the commit is known, that of any act this one runs inside.
        acte.siRefuse(oublierLesRecords({item->idInt()}));
        lienBack(kZEVRelationImageColor, item, colorItem, KELDateToujours, KELDateOuverte);
        lienBack(kZEVRelationBackItem, channel, item, N, KELDateOuverte);
        lienBack(kZEVRelationBackColor, channel, colorItem, N, KELDateOuverte);
        lienBack(kZEVRelationBackScale, channel, scaleItem, N, KELDateOuverte);
        KELI* root = KELServeurDeLiens::LienForInt(kZEVChannelRoot, curseur_);
        lienBack(kZEVRelationChannel, root, channel, N, KELDateOuverte);
    }
    // A write refused: the act, and any act it runs inside, is lost.
    if (KELServeurDeLiens::EcrituresRefusees() != refusees)
        return nullptr;
    return item;
}

void ZEVDeskBackground::majBackForFirstTime()
{
    const std::string folder = space_ ? space_->storeFolderPath() : std::string();
    // Each wallpaper must be both the program's and the store's copy; the codes say which is not.
    auto present = [&](const char* name, const char* missing, const char* notStoredCode, QString* store) {
        const QString resource = space_ ? QString::fromStdString(space_->wallpaperResourcePath(name)) : QString();
        *store = space_ ? QString::fromStdString(space_->wallpaperStorePath(name)) : QString();
        if (resource.isEmpty() || !QFileInfo::exists(resource)) {
            logLine(missing);
            return false;
        }
        if (store->isEmpty() || !QFileInfo::exists(*store)) {
            logFormat("majBackForFirstTime:      ERROR %s: %s", notStoredCode,
                      QUrl::fromLocalFile(resource).toString().toUtf8().constData());
            logFormat("                              file: %s", store->toUtf8().constData());
            logFormat("                         in folder: %s", folder.c_str());
            return false;
        }
        return true;
    };
    QString greyStore, newStore;
    if (!present("zevWallpaperGrey.pdf", "majBackForFirstTime: ERROR 01: No zevWallpaperGrey.pdf file found.", "04",
                 &greyStore) ||
        !present("zevWallpaperNew.pdf", "majBackForFirstTime: ERROR 03: zevWallpaperNew.pdf file not found.", "02",
                 &newStore))
        return;
    KELI* channel = channelCourant();
    if (!channel || !curseur_)
        return;
    const KELDate N = curseur_->now();
    KELI* color = defaultColorItem();
    const double ratio = ZEVBackImageRatio(greyStore);
    KELI* scale0 = KELServeurDeLiens::LienForInt(kZEVScaleIn, curseur_);
    KELI* scale1 = KELServeurDeLiens::LienForInt(ratio > 0 && ratio < 1.6 ? kZEVScaleOut : kZEVScaleIn, curseur_);

    const std::uint64_t refusees = KELServeurDeLiens::EcrituresRefusees();
    KELI* space0 = nullptr;
    KELI* space1 = nullptr;
    {
        // The two first Spaces and their backgrounds, or none: a Channel left with a Space Object
        // and no background would be made again beside it at the next start.
        const KELServeurDeLiens::Acte acte(0);
        if (!acte.complet())
            return;
        space0 = fichierDeFond(channel->idInt(), "Space 0", newStore);
        space1 = space0 ? fichierDeFond(channel->idInt(), "Space 1", greyStore) : nullptr;
        if (space1) {
            acte.siRefuse(oublierLesRecords({space0->idInt(), space1->idInt()}));
            lienBack(kZEVRelationImageColor, space0, color, KELDateToujours, KELDateOuverte);
            lienBack(kZEVRelationBackItem, channel, space0, KELDateToujours, N);
            lienBack(kZEVRelationBackColor, channel, color, KELDateToujours, N);
            lienBack(kZEVRelationBackScale, channel, scale0, KELDateToujours, N);
            lienBack(kZEVRelationImageColor, space1, color, KELDateToujours, KELDateOuverte);
            lienBack(kZEVRelationBackItem, channel, space1, N, KELDateOuverte);
            lienBack(kZEVRelationBackColor, channel, color, N, KELDateOuverte);
            lienBack(kZEVRelationBackScale, channel, scale1, N, KELDateOuverte);
        } else if (space0 && desk_.itemClass()) {
            desk_.itemClass()->eraseNewItem(space0);
        }
    }
    if (!space0 || !space1 || KELServeurDeLiens::EcrituresRefusees() != refusees) {
        logLine("majBackForFirstTime: ERROR: the Space Objects could not be made.");
        // The store holds neither: their records would be read for the next Objects of their ids.
        for (KELI* made : {space0, space1})
            if (made)
                ZEVItemData::Current().forgetRecordsOfItem(made->idInt());
        return;
    }
    for (KELI* made : {space0, space1})
        if (space_)
            space_->copyToSpaceForItems({made});

    poserCouleur(couleur(color));
    currentBackColorItem_ = color;
    currentBackImageItem_ = space1;
    currentBackScaleMot_ = scale1;
    const QRectF frame = desk_.deskViewFrame();
    if (ZEVBackObjectServices* b = space_->backObjectForImage(space1, channel->idInt(), frame, scale1)) {
        observer(b);
        previousBackImageItem_ = space1;
        b->loadBackImage();
    }
    deskmodel::relancer(curseur_);
}

// ---------------------------------------------------------------------------------------------
// Link-base notices for the background relations and the Channel list

void ZEVDeskBackground::activationDuLien(KELI* lien, KELICc* curseur)
{
    if (!lien)
        return;
    const KELId current = space_ ? space_->identityInt() : 0;
    const KELId rel = lien->relationInt();
    if (rel == kZEVRelationChannel) {
        if (lien->enfantInt() == current) {
            siChannelActif_ = true;
            _moteurChange();
        }
        return;
    }
    if (lien->parentInt() == current) {
        if (rel == kZEVRelationBackItem) {
            if (KELI* image = lien->enfant(curseur_))
                image->setChannelInt(current);
            _moteurChange();
            if (space_)
                space_->setBrowsedSpaceBackImageInt(0);
        } else if (rel == kZEVRelationBackColor || rel == kZEVRelationBackScale) {
            _moteurChange();
        }
    } else if (rel == kZEVRelationBackItem) {
        if (KELI* image = lien->enfant(curseur_))
            image->setChannelInt(lien->parentInt());
    }
}

void ZEVDeskBackground::desactivationDuLien(KELI* lien, KELICc* curseur)
{
    const KELId current = space_ ? space_->identityInt() : 0;
    if (lien && lien->relationInt() == kZEVRelationChannel && lien->enfantInt() == current) {
        siChannelActif_ = false;
        _moteurChange();
    }
}

} // namespace tallomer
