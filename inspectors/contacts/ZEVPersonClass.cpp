#include "inspectors/contacts/ZEVPersonClass.h"

#include "inspectors/contacts/ZEVPersonViewer.h"
#include "runtime/Scheduler.h"

#include "desk/data/ZEVItemData.h"
#include "desk/data/ZEVItemDataChannels.h"
#include "desk/model/ZEVItemOptions.h"
#include "desk/pasteboard/ZEVPasteboard.h"
#include "desk/viewer/ZEVDeskViewer.h"
#include "desk/viewer/ZEVImportLookups.h"
#include "engine/KELICurseur.h"
#include "engine/KELLien.h"
#include "engine/KELServeurDeLiens.h"
#include "inspectors/core/ZEVPresenceInterval.h"
#include "objects/view/ZEVItemStickers.h"
#include "platform/contacts/VCardFolder.h"
#include "platform/desktop/ContactOpener.h"
#include "platform/files/GeneratedFiles.h"
#include "runtime/Clock.h"
#include "runtime/Log.h"
#include "space/ZEVConstants.h"
#include "space/ZEVSpaceClass.h"
#include "space/ZEVSpaceController.h"
#include "widgets/FileTypeIcon.h"
#include "widgets/ZEVAlert.h"

#include <QFile>
#include <QFileInfo>
#include <QPainter>

namespace tallomer {

namespace {

const QString kPersonRecord = QStringLiteral("ABPerson");
const QString kArchiveName = QStringLiteral("archive.vcf");

// Each picture operation logs a missing record file once in the program's run.
bool gImageLogged = false;
bool gImageForChannelLogged = false;

QString addressBookUrl(const QString& uid) { return QStringLiteral("addressbook://") + uid; }

QImage vcfIcon(const QSize& size)
{
    const QSize side = size.isValid() && !size.isEmpty() ? size : QSize(128, 128);
    QImage image = iconForFileType(QStringLiteral("vcf")).pixmap(side).toImage();
    if (image.isNull()) {
        // A desktop without any icon still gets a picture: a plain card.
        image = QImage(side, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter p(&image);
        p.setBrush(QColor(240, 240, 240));
        p.setPen(QColor(120, 120, 120));
        p.drawRoundedRect(QRectF(QPointF(0, 0), side).adjusted(2, side.height() * 0.2, -2, -side.height() * 0.2), 4, 4);
    }
    return image;
}

} // namespace

ZEVPersonClass::ZEVPersonClass(ZEVSpaceController& space, ZEVPersonViewer* viewer)
    : ZEVRowsClass(space, KELRELATION_PERSON_VIEWER), viewer_(viewer),
      goto_(space.host().defaults(), KELRELATION_PERSON_VIEWER, {kGotoRecallKey, kGotoReleaseKey, kGotoTitleKey}),
      presence_(space, KELRELATION_PERSON_VIEWER,
                [this](KELI* item, KELICurseur* c) { return legosForItem(item, c); }),
      menus_(std::make_unique<ZEVInspectMenus>(nouns())),
      drag_(std::make_unique<ZEVInspectDrag>(space, *this, viewer))
{
    referencerDrag(drag_.get());
    referencerPanneau(viewer, ZEVInspectViewer::kRefreshDelay, true);
    menus_->onDeleteLego = [this](KELId legoId, ZEVTableView& table) {
        if (KELI* lego = KELServeurDeLiens::LienForInt(legoId, KELServeurDeLiens::CurseurGlobal()))
            deleteLego(lego, table);
    };
    drag_->writeItems = [this](const std::vector<KELI*>& items, QMimeData& into) { return writeItems(items, into); };
}

ZEVPersonClass::~ZEVPersonClass() { Scheduler::shared().cancelAll(this); }

void ZEVPersonClass::ResetOnceLogs()
{
    gImageLogged = false;
    gImageForChannelLogged = false;
}

// ---------------------------------------------------------------------------------------------
// Records and archives

ZEVItemData* ZEVPersonClass::storeForItem(KELI* item, KELId channelInt) const
{
    KELId channel = channelInt;
    if (!channel && item)
        channel = item->channelInt();
    if (!channel)
        channel = currentChannelInt_ ? currentChannelInt_ : ZEVItemDataChannels::CurrentChannelInt();
    return ZEVItemDataChannels::ItemDataForChannelInt(channel);
}

std::optional<QString> ZEVPersonClass::uidForItem(KELI* item, KELId channelInt) const
{
    ZEVItemData* store = item ? storeForItem(item, channelInt) : nullptr;
    const QString uid = store ? store->uidForItem(item, kPersonRecord) : QString();
    if (uid.isNull())
        return std::nullopt;
    return uid;
}

QString ZEVPersonClass::archivePathForItem(KELI* item) const
{
    ZEVItemData* store = item ? storeForItem(item) : nullptr;
    return store ? store->itemDropFolder(item->idInt()) + QLatin1Char('/') + kArchiveName : QString();
}

bool ZEVPersonClass::siArchivedToSpaceForItem(KELI* item)
{
    const QString path = archivePathForItem(item);
    return !path.isEmpty() && QFileInfo(path).isFile();
}

QString ZEVPersonClass::titleForUid(const QString& uid)
{
    return book_ ? book_->titleForUid(uid) : QStringLiteral("? ?");
}

QString ZEVPersonClass::titleAtActifCurseur(KELI* item) const
{
    KELICurseur* curseur = actifCurseur_ ? actifCurseur_ : space_.actifCurseur();
    KELI* word = item ? item->enfantDeRelInt(KELRELATION_ITEM_TITLE, curseur) : nullptr;
    const KELValue value = word ? word->base() : KELValue{};
    return std::holds_alternative<std::string>(value) ? QString::fromStdString(std::get<std::string>(value)) : QString();
}

// ---------------------------------------------------------------------------------------------
// The not-found mark

void ZEVPersonClass::setSticker(KELI* item, int code)
{
    if (ZEVDeskViewer* desk = space_.deskViewerForCurseur(space_.actifCurseur()))
        if (ZEVItemViewForDesks* view = desk->itemViewForItem(item))
            view->addSticker(code);
}

void ZEVPersonClass::markNotFound(KELI* item)
{
    if (!siItemOption(item, ZEVOPTION_NOT_FOUND))
        addItemOption(item, ZEVOPTION_NOT_FOUND);
    setSticker(item, int(kNotFoundSticker));
}

void ZEVPersonClass::markFound(KELI* item)
{
    // A card come back through another program (a sync, a restore) takes the mark away as an
    // import would: the Object is no longer stuck as not found.
    if (!siItemOption(item, ZEVOPTION_NOT_FOUND))
        return;
    clearItemOption(item, ZEVOPTION_NOT_FOUND);
    setSticker(item, ZEVItemStickers::kForOptions);
    space_.updateAllTableViews();
}

// ---------------------------------------------------------------------------------------------
// Pictures

QImage ZEVPersonClass::pictureFor(const VCard& card, const QSize& size) const
{
    if (std::optional<QImage> photo = vcardPhoto(card, size); photo && !photo->isNull())
        return *photo;
    return vcfIcon(size);
}

QImage ZEVPersonClass::imageForItem(KELI* item) { return imageForItem(item, 0, QSize(kImageSide, kImageSide), gImageLogged); }

QImage ZEVPersonClass::imageForItem(KELI* item, KELId channelInt, const QSize& size)
{
    return imageForItem(item, channelInt, size, gImageForChannelLogged);
}

QImage ZEVPersonClass::imageForItem(KELI* item, KELId channelInt, const QSize& size, bool& logged)
{
    const std::optional<QString> uid = uidForItem(item, channelInt);
    if (!uid) {
        if (!logged) {
            logFormat("ZEVPersonClass imageForItem: ERROR item=%ld", item ? long(item->idInt()) : 0L);
            logged = true;
        }
        return ZEVItemStickers::imageNamed(QStringLiteral("ZEVItemStickerError"));
    }
    if (!book_)
        return vcfIcon(size);
    const std::optional<VCard> card = book_->cardForUid(*uid);
    if (!card) {
        markNotFound(item);
        return vcfIcon(size);
    }
    markFound(item);
    return pictureFor(*card, size);
}

QImage ZEVPersonClass::menuImageForItem(KELI* item)
{
    const QSize side(kMenuImageSide, kMenuImageSide);
    const std::optional<QString> uid = uidForItem(item);
    const std::optional<VCard> card = uid && book_ ? book_->cardForUid(*uid) : std::nullopt;
    if (!card)
        return vcfIcon(side);
    QImage picture = pictureFor(*card, side);
    return picture.size() == side ? picture : picture.scaled(side, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

// ---------------------------------------------------------------------------------------------
// Presence

KELI* ZEVPersonClass::creerLienPersonItemForItem(KELI* item, KELDate date)
{
    KELI* canal = space_.spaceClass() ? space_.spaceClass()->identity() : nullptr;
    KELICurseur* curseur = actifCurseur_ ? actifCurseur_ : space_.actifCurseur();
    if (!item || !canal || !curseur)
        return nullptr;
    const ZEVInterval i = ZEVPresenceIntervalForItem(space_, curseur, space_.searchCurseur(), item, date);
    if (!(i.in < i.out)) {
        logFormat("ZEVPersonClass ERROR - no presence made for Object %lu: empty interval",
                  static_cast<unsigned long>(item->idInt()));
        return nullptr;
    }
    return KELServeurDeLiens::CreerLienRelInt(KELRELATION_PERSON_VIEWER, canal, item, i.in, i.out, curseur);
}

// ---------------------------------------------------------------------------------------------
// Adding people

bool ZEVPersonClass::addABPersonUIDs(const QStringList& uids, ZEVItemSet& set)
{
    KELICurseur* curseur = space_.actifCurseur();
    ZEVDeskViewer* desk = curseur ? space_.deskViewerForCurseur(curseur) : nullptr;
    if (!desk)
        return false;
    const KELDate t = curseur->now();
    const std::size_t before = set.size();
    std::vector<KELI*> recall;
    for (const QString& uid : uids) {
        if (uid.isEmpty())
            continue;
        KELI* item = ZEVImportLookups::objectWithUid(*desk, uid);
        if (!item) {
            item = ZEVImportLookups::creerWithRecord(
                *desk, titleForUid(uid), kPersonType, QStringLiteral("vcf"), ZEVOPTION_HOLD_BY_APP,
                [&uid](KELI* made) { return ZEVItemData::Current().createFilePersonWithUid(uid, made); });
            if (!item)
                continue;
            // A contact whose presence was not stored (a full disk, told by its own alert) would
            // be on no panel and no desk: it is not made.
            if (!creerLienPersonItemForItem(item, t)) {
                ZEVImportLookups::takeBack(*desk, item);
                continue;
            }
        } else if (KELServeurDeLiens::SiLienForRelNum(KELRELATION_PERSON_VIEWER, item->idInt())) {
            recall.push_back(item);
        } else {
            creerLienPersonItemForItem(item, t);
        }
        set.insert(item);
    }
    recallPersonsForItems(recall);
    return set.size() > before;
}

bool ZEVPersonClass::addABPersonZevItems(const std::vector<ZEVItemPB>& records, ZEVItemSet& set)
{
    KELICurseur* curseur = space_.actifCurseur();
    const KELId c = space_.currentChannelInt();
    ZEVItemData* store = ZEVItemDataChannels::ItemDataForChannelInt(c);
    if (!curseur || !store)
        return false;
    const KELDate t = curseur->now();
    bool result = false;
    std::vector<KELI*> recall;
    for (const ZEVItemPB& record : records) {
        KELI* item = record.itemInt() ? KELServeurDeLiens::LienForInt(record.itemInt(), curseur) : nullptr;
        if (!item || item->relationInt() != KELRELATION_ITEM)
            continue;
        const bool linked = KELServeurDeLiens::SiLienForRelNum(KELRELATION_PERSON_VIEWER, item->idInt());
        // Only an Object taken as a contact is given this Channel; one of another Channel keeps
        // its own and is recalled here through its equivalent.
        if (linked) {
            item->setChannelInt(c);
            recall.push_back(item);
        } else if (!store->uidForItem(item, kPersonRecord).isNull()) {
            item->setChannelInt(c);
            creerLienPersonItemForItem(item, t);
        } else {
            continue;
        }
        set.insert(item);
        result = true;
    }
    recallPersonsForItems(recall);
    return result;
}

// ---------------------------------------------------------------------------------------------
// Opening

void ZEVPersonClass::openPerson()
{
    if (clickedItem_)
        openPersonForItem(clickedItem_);
}

void ZEVPersonClass::openPersonForFrontMode()
{
    const std::optional<std::vector<KELI*>> items = itemsForFrontMode();
    if (items && !items->empty())
        openPersonForItem(items->front());
}

void ZEVPersonClass::openPersonForItem(KELI* item)
{
    if (!item)
        return;
    // An unreadable record names no card: the Object is treated as one whose card is gone.
    const QString uid = uidForItem(item).value_or(QString());
    const QString url = addressBookUrl(uid);
    if (book_ && !uid.isEmpty()) {
        if (const QString file = book_->fileForUid(uid); !file.isEmpty()) {
            markFound(item);
            if (!openContactCard(file))
                logFormat("Error when opening Contact: %s", qUtf8Printable(url));
            return;
        }
    }
    markNotFound(item);
    const QString archive = archivePathForItem(item);
    if (archive.isEmpty() || !QFileInfo(archive).isFile()) {
        logFormat("Error when opening Contact: %s", qUtf8Printable(url));
        if (viewer_)
            viewer_->retrieveItem(item);
        return;
    }
    if (!ZEVAlert::ShowYesNoAlertWithTitle(
            QStringLiteral("Contact \"%1\" not found").arg(titleAtActifCurseur(item)),
            QStringLiteral("Import from the Tallomer archive?"),
            QStringLiteral("It will create a new entry in the Contacts application")))
        return;
    QFile file(archive);
    QList<VCard> cards;
    QString unreadable;
    if (!file.open(QIODevice::ReadOnly))
        unreadable = file.errorString();
    else if (cards = parseVCards(file.read(kMaxVCardBytes)); cards.isEmpty())
        unreadable = QStringLiteral("it holds no whole card");
    if (cards.isEmpty() || !book_) {
        logFormat("Error when creating Contact with file: %s", qUtf8Printable(archive));
        // The user said Yes: a damaged archive is named rather than nothing happening.
        if (!unreadable.isEmpty())
            ZEVAlert::ShowSimpleAlertWithMessage(
                QStringLiteral("The contact could not be imported."),
                QStringLiteral("The archive in Tallomer (%1) cannot be read: %2. Nothing was changed.")
                    .arg(archive, unreadable));
        return;
    }
    QString newUid;
    QString written;
    // Nothing changes on the Object unless the new card is really in the book.
    if (const FileResult added = book_->addCardAsNewEntry(cards.first(), Clock::shared().now(), &newUid, &written);
        !added) {
        logFormat("Error when creating Contact with file: %s", qUtf8Printable(archive));
        logFormat("                             : %s", qUtf8Printable(added.error));
        // The user asked for the import: it is told that none took place.
        ZEVAlert::ShowSimpleAlertWithMessage(
            QStringLiteral("The contact could not be imported."),
            QStringLiteral("Tallomer could not add the card to the address book: %1. The archive in Tallomer is kept.")
                .arg(added.error));
        return;
    }
    ZEVItemData* store = storeForItem(item);
    if (!store || !store->updatePersonUidWithIem(item, newUid)) {
        logFormat("ZEVPersonClass openPersonForItem: ERROR item=%ld", long(item->idInt()));
        return;
    }
    clearItemOption(item, ZEVOPTION_NOT_FOUND);
    setSticker(item, ZEVItemStickers::kForOptions);
    space_.updateAllTableViews();
    if (!openContactCard(written))
        logFormat("Error when opening Contact: %s", qUtf8Printable(addressBookUrl(newUid)));
}

// ---------------------------------------------------------------------------------------------
// The archive

void ZEVPersonClass::archivePersonForItem(KELI* item)
{
    if (!item)
        return;
    const std::optional<QString> uid = uidForItem(item);
    if (!uid) {
        logFormat("ZEVPersonClass archivePersonForItem: ERROR item=%ld", long(item->idInt()));
        return;
    }
    const std::optional<VCard> card = book_ ? book_->cardForUid(*uid) : std::nullopt;
    if (!card)
        return;
    ZEVItemData* store = storeForItem(item);
    if (!store)
        return;
    // Archiving again replaces the archive: it follows the card as it is now.
    const QString folder = store->itemDropFolder(item->idInt());
    // The user asked for the archive: a failure is told, and an older archive stays whole.
    if (const FileResult made = ensureFolder(folder); !made) {
        logFormat("Error when creating directory: %s", qUtf8Printable(folder));
        logFormat("                             : %s", qUtf8Printable(made.error));
        ZEVItemDataChannels::ReportStoreError(made.error);
        return;
    }
    if (const FileResult written = writeFileAtomically(folder + QLatin1Char('/') + kArchiveName, card->bytes);
        !written) {
        logFormat("ZEVPersonClass archivePersonForItem: ERROR item=%ld", long(item->idInt()));
        logFormat("                             : %s", qUtf8Printable(written.error));
        ZEVItemDataChannels::ReportStoreError(written.error);
    }
}

// ---------------------------------------------------------------------------------------------
// Binding to another contact

bool ZEVPersonClass::bindItemToUid(KELI* item, const QString& uid)
{
    if (!item || uid.isEmpty())
        return false;
    ZEVItemData* store = storeForItem(item);
    if (!store || !store->updatePersonUidWithIem(item, uid)) {
        logFormat("ZEVPersonClass bindItemToUid: ERROR item=%ld", long(item->idInt()));
        return false;
    }
    clearItemOption(item, ZEVOPTION_NOT_FOUND);
    for (KELICurseur* c : {space_.nowCurseur(), space_.searchCurseur()}) {
        ZEVDeskViewer* desk = c ? space_.deskViewerForCurseur(c) : nullptr;
        if (ZEVItemViewForDesks* view = desk ? desk->itemViewForItem(item) : nullptr) {
            view->addSticker(ZEVItemStickers::kForOptions);
            view->updateImage();
        }
    }
    space_.updateAllTableViews();
    return true;
}

} // namespace tallomer
