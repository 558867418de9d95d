// The Images commands on images: Recall with the colour of a copy, deletion (the Channel
// backgrounds an image is rewritten to the grey wallpaper first), the add panel's folder, the row
// commands and the row and interval menus.

#include "inspectors/images/ZEVBackClass.h"

#include "look/KELSharedResources.h"
#include "desk/data/ZEVItemData.h"
#include "desk/model/ZEVItemClass.h"
#include "desk/model/ZEVModelSupport.h"
#include "engine/KELICurseur.h"
#include "engine/KELLien.h"
#include "engine/KELServeurDeLiens.h"
#include "inspectors/ZEVFrontClass.h"
#include "inspectors/core/ZEVHolderTest.h"
#include "inspectors/core/ZEVInspectDelete.h"
#include "inspectors/core/ZEVRowMenuParts.h"
#include "inspectors/core/ZEVRowMenuForItem.h"
#include "inspectors/files/ZEVFileClass.h"
#include "inspectors/images/ZEVBackViewer.h"
#include "objects/viewer/ZEVItemMenu.h"
#include "objects/viewer/ZEVItemViewer.h"
#include "platform/sound/Sound.h"
#include "runtime/Log.h"
#include "services/ZEVFrontMode.h"
#include "services/ZEVFrontViewerServices.h"
#include "space/ZEVConstants.h"
#include "space/ZEVSelections.h"
#include "space/ZEVSpaceClass.h"
#include "space/ZEVSpaceController.h"
#include "widgets/FileTypeIcon.h"
#include "widgets/ZEVAlert.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QStandardPaths>
#include <QUrl>

#include <algorithm>
#include <optional>
#include <unordered_set>

namespace tallomer {

namespace {

constexpr const char* kOwner = "ZEVBackViewer";
constexpr const char* kGreyWallpaper = "zevWallpaperGrey.pdf";

// The live links of the relation with the Object as child, by id.
std::vector<KELId> liensVivants(KELId itemInt, KELId relation)
{
    std::vector<KELId> out;
    const KELIds ids = KELServeurDeLiens::LiensNumDeLEnfantIntRelInt(itemInt, relation);
    if (!ids)
        return out;
    KELICc* global = KELServeurDeLiens::CurseurGlobal();
    for (KELId id : *ids)
        if (KELI* l = KELServeurDeLiens::LienForInt(id, global); !l || !deskmodel::siOublie(l))
            out.push_back(id);
    return out;
}

} // namespace

// ---- Recall -----------------------------------------------------------------------------------

void ZEVBackClass::recallBacksForItems(const std::vector<KELI*>& items)
{
    KELICurseur* c = actif();
    const KELId canal = space_.currentChannelInt();
    ZEVItemData* store = ZEVItemDataChannels::ItemDataForChannelInt(canal);
    // The copies and their colours belong to the Recall's act: stored with it or not at all.
    const auto copies = [&] {
        if (!c || !store)
            return;
        for (KELI* item : items) {
            if (!item || item->channelInt() == canal)
                continue;
            // The copy the Channel gets (the one Recall then finds) takes the colour of its source,
            // unless it has one of its own already.
            KELI* copie = store->createSameItem(item);
            KELI* couleur = colorItemForImageItem(item);
            if (!copie || copie == item || !couleur)
                continue;
            const KELIds deja = KELServeurDeLiens::LiensNumDuParentIntRelInt(copie->idInt(), KELRELATION_IMAGE_COLOR);
            bool aUneCouleur = false;
            for (KELId id : deja ? *deja : std::vector<KELId>())
                aUneCouleur = aUneCouleur || !deskmodel::siOublie(KELServeurDeLiens::LienForInt(id, c));
            if (!aUneCouleur)
                KELServeurDeLiens::CreerLienRelInt(KELRELATION_IMAGE_COLOR, copie, couleur, KELDateToujours,
                                                   KELDateOuverte, c);
        }
    };
    presence_.recall(items, copies);
}

// ---- deletion ---------------------------------------------------------------------------------

KELI* ZEVBackClass::greyWallpaperForChannel(KELId channelInt)
{
    ZEVItemData* store = ZEVItemDataChannels::ItemDataForChannelInt(channelInt);
    KELICurseur* c = actif() ? actif() : tlCurseur_;
    if (!store || !c)
        return nullptr;
    const QString path = QDir(space_.host().storeFolder()).filePath(QString::fromLatin1(kGreyWallpaper));
    // That Channel's own record of the store's wallpaper: another Channel's Object is one its
    // store cannot read.
    if (const KELId id = store->itemNumberWithPath(path))
        if (KELI* found = KELServeurDeLiens::LienForInt(id, c); !deskmodel::siOublie(found))
            return found;
    if (!QFileInfo::exists(path))
        return nullptr;
    ZEVItemClass* items = space_.itemClassForCurseur(c);
    if (!items)
        items = space_.itemClassForCurseur(space_.nowCurseur());
    KELI* grey = items
                     ? items->creerItemWithRecord(channelInt, QFileInfo(path).completeBaseName().toStdString(), "file",
                                                  QFileInfo(path).suffix().toStdString(), 0,
                                                  [&](KELI* made) { return store->createFileURL(path, QUrl(), made); })
                     : nullptr;
    if (!grey)
        logFormat("ZEVBackClass ERROR - no grey wallpaper Object for Channel %ld", long(channelInt));
    return grey;
}

std::optional<std::vector<ZEVBackClass::Reecriture>> ZEVBackClass::planFonds(const std::vector<KELId>& liens, bool& ok)
{
    KELICurseur* c = actif();
    if (!c)
        return std::nullopt;
    std::vector<Reecriture> plan;
    for (KELId id : liens) {
        KELI* lien = KELServeurDeLiens::LienForInt(id, c);
        if (!lien) {
            logFormat("%s WARNING - KELRELATION_IDENTITY_BACK_ITEM LienForInt:%ld not found !", kOwner, long(id));
            ok = false;
            continue;
        }
        KELI* grey = greyWallpaperForChannel(lien->parentInt());
        if (!grey) {
            // No background is rewritten for this image: it stays whole.
            Sound::shared().beep();
            logLine("Error: No wallpaperNum");
            return std::nullopt;
        }
        KELI* parent = space_.channelForIdentityInt(lien->parentInt());
        plan.push_back({lien, parent ? parent : KELServeurDeLiens::LienForInt(lien->parentInt(), c), grey});
    }
    return plan;
}

bool ZEVBackClass::reecrire(const std::vector<Reecriture>& plan, std::vector<KELI*>& gris)
{
    KELICurseur* c = actif();
    bool ok = c != nullptr;
    for (const Reecriture& r : plan) {
        if (!c || !r.parent) {
            logLine("Error: No parent-enfant");
            ok = false;
            continue;
        }
        const KELDate in = r.lien->inDate();
        const KELDate out = r.lien->outDate();
        KELServeurDeLiens::DegagerLien(r.lien, c);
        gris.push_back(KELServeurDeLiens::CreerLienRelInt(KELRELATION_IDENTITY_BACK_ITEM, r.parent, r.grey, in, out, c));
    }
    return ok;
}

void ZEVBackClass::deleteBacks(const std::vector<KELI*>& items)
{
    // Each image a Space shows is asked for first, and its grey wallpapers found or made.
    struct Fond {
        KELI* item;
        std::vector<Reecriture> plan;
        bool ok;
    };
    std::vector<Fond> fonds;
    std::vector<KELI*> images;
    std::vector<KELId> sansFond; // a background image whose rewrite cannot be planned
    std::unordered_set<KELI*> vus;
    // A copy: the deletion changes the selections the list may come from.
    for (KELI* item : std::vector<KELI*>(items)) {
        if (!item || deskmodel::siOublie(item) || !vus.insert(item).second)
            continue;
        const std::vector<KELId> liens = liensVivants(item->idInt(), KELRELATION_IDENTITY_BACK_ITEM);
        if (liens.empty()) {
            images.push_back(item);
            continue;
        }
        if (!ZEVAlert::ShowYesNoAlertWithTitle(QStringLiteral("Images Window"), QStringLiteral("Deleting Images"),
                                               QStringLiteral("Image used as background. Do you really want to delete it?")))
            continue;
        bool ok = true;
        if (std::optional<std::vector<Reecriture>> plan = planFonds(liens, ok))
            fonds.push_back({item, std::move(*plan), ok});
        else
            sansFond.push_back(item->idInt());
    }
    std::size_t nouveaux = 0;
    for (const Fond& f : fonds)
        nouveaux += f.plan.size();
    std::vector<KELI*> gris;
    ZEVInspectDeletion suppression;
    {
        // The images' backgrounds rewritten and the images deleted together, all of it or none: a
        // store that kept only part (a full disk) would leave a Space with no background over an
        // interval, or some images deleted and others not.
        const KELServeurDeLiens::Acte acte(nouveaux);
        if (!acte.complet())
            return;
        for (Fond& f : fonds) {
            f.ok = reecrire(f.plan, gris) && f.ok;
            // An image whose backgrounds could not all be rewritten is not deleted.
            if (f.ok)
                images.push_back(f.item);
        }
        suppression = ZEVInspectDeleteForget(space_, KELRELATION_BACK_VIEWER, images, kOwner, "KELRELATION_BACK_VIEWER");
    }
    ZEVSpaceClass* sc = space_.spaceClass();
    for (KELId id : sansFond)
        if (sc)
            sc->enleveBackObjectForItemInt(id);
    // The store kept none of it: every image is still where it was, a background and listed.
    if (std::any_of(gris.begin(), gris.end(), [](const KELI* l) { return !l || KELServeurDeLiens::Perdu(l); })) {
        logFormat("%s ERROR - the backgrounds of the images were not rewritten", kOwner);
        return;
    }
    for (const Fond& f : fonds)
        if (sc)
            sc->enleveBackObjectForItemInt(f.item->idInt());
    KELI* avantDroit = rightMenuItem();
    for (KELI* item : ZEVInspectDeleteFinish(space_, suppression)) {
        if (rightMenuId_ == item->idInt())
            rightMenuId_ = 0;
        if (avantDroit == item)
            setRightMenuItem(nullptr);
    }
}

void ZEVBackClass::deleteLego(KELI* lego, ZEVTableView& table)
{
    KELICurseur* c = actif();
    if (!lego || !c || deskmodel::siOublie(lego))
        return;
    if (ZEVLiveLinkCount(lego->enfantInt(), KELRELATION_BACK_VIEWER) == 1) {
        // The image's only interval: the image goes, through the Images panel's own model.
        if (KELI* item = KELServeurDeLiens::LienForInt(lego->enfantInt(), c)) {
            auto* v = dynamic_cast<ZEVBackViewer*>(space_.viewerForEntityClassName(kOwner));
            (v ? v->backClass() : *this).deleteBacks({item});
        } else {
            logLine("ZEVBackClass Error - deleteLego:inTableView:");
        }
    } else {
        KELServeurDeLiens::DegagerLien(lego, c);
    }
    table.viewport()->update();
}

// ---- the add panel ----------------------------------------------------------------------------

QString ZEVBackClass::openPanelFolderUrlWithItem(KELI* item)
{
    std::vector<KELI*> pris = item ? std::vector<KELI*>{item} : itemsForFrontMode().value_or(std::vector<KELI*>());
    if (pris.size() == 1)
        if (const QString dossier = ZEVFileClass::folderForPath(space_.host().fileUrlForItem(pris.front(), pris.front()->channelInt()));
            !dossier.isEmpty())
            return dossier;
    // The user's pictures, not made when missing.
    const QString images = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    return !images.isEmpty() && QFileInfo(images).isDir() ? images : QDir::homePath();
}

// ---- row commands -----------------------------------------------------------------------------

KELI* ZEVBackClass::rightItem() const
{
    KELI* item = rightMenuId_ ? KELServeurDeLiens::LienForInt(rightMenuId_, KELServeurDeLiens::CurseurGlobal()) : nullptr;
    return deskmodel::siOublie(item) ? nullptr : item;
}

void ZEVBackClass::openSelectionInTableView(ZEVTableView&)
{
    if (KELI* item = rightItem())
        if (ZEVItemViewer* iv = space_.itemViewerForCurseur(actif()))
            iv->userOpenItem(item, false);
}

void ZEVBackClass::releaseSelectionInTableView(ZEVTableView&)
{
    if (KELI* item = rightItem())
        releaseBacksForItems({item});
}

void ZEVBackClass::recallNowSelectionInTableView(ZEVTableView&)
{
    if (KELI* item = rightItem())
        recallNowBacksForItems({item});
}

void ZEVBackClass::recallSelectionInTableView(ZEVTableView&)
{
    if (KELI* item = rightItem())
        recallBacksForItems({item});
}

void ZEVBackClass::forgetSelectionInTableView(ZEVTableView&)
{
    if (KELI* item = rightItem())
        forgetBacksForItems({item});
}

void ZEVBackClass::retainSelectionInTableView(ZEVTableView&)
{
    if (KELI* item = rightItem())
        retainBacksForItems({item});
}

// ---- menus ------------------------------------------------------------------------------------

QMenu* ZEVBackClass::updateRowMenu(QMenu* menu, ZEVTableView& table, const ZEVTableElement& e)
{
    ZEVRowsClass::updateRowMenu(menu, table, e);
    KELI* image = e.item;
    if (!image)
        return nullptr;
    rightMenuId_ = image->idInt();
    QMenu* m = ZEVRowMenuForItem(space_, *this, *menus_, table, image, presence_.legoAt(image, actif()) != nullptr,
                                 presence_.legoAt(image, space_.nowCurseur()) != nullptr, legosForItem(image, tlContexte_));
    // The header shows the image's own thumbnail when its cache has one, else its file's icon,
    // else its type's: never the picture of the row the menu was last opened on.
    if (QAction* header = ZEVMenuItemWithTag(m, ZEVRowTagHeader)) {
        header->setIcon(iconForFileType(QString::fromStdString(itemIconForItem(image).value_or(std::string()))));
        if (const QString path = space_.host().fileUrlForItem(image, image->channelInt());
            !path.isEmpty() && QFileInfo::exists(path))
            header->setIcon(iconForFile(path));
        const ZEVBackObject* o = existingBackObjectForItem(image);
        if (o && !o->thumbnailImage().isNull())
            header->setIcon(QIcon(QPixmap::fromImage(o->thumbnailImage().scaled(
                kRowMenuHeaderImageSize, kRowMenuHeaderImageSize, Qt::KeepAspectRatio, Qt::SmoothTransformation))));
    }
    if (ZEVFrontViewerServices* f = space_.frontViewer())
        f->majImageForEditionMenu2(m);
    return m;
}

QMenu* ZEVBackClass::updateLegoMenu(QMenu*, ZEVTableView& table, KELI* lego)
{
    return lego ? menus_->legoMenu(table, lego, ZEVLiveLinkCount(lego->enfantInt(), KELRELATION_BACK_VIEWER)) : nullptr;
}

} // namespace tallomer
