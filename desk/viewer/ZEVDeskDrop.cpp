#include "desk/viewer/ZEVDeskDrop.h"

#include "desk/data/ZEVItemData.h"
#include "desk/model/ZEVDeskIds.h"
#include "desk/model/ZEVItemClass.h"
#include "desk/viewer/ZEVDeskViewer.h"
#include "desk/viewer/ZEVImportLookups.h"
#include "engine/KELICurseur.h"
#include "engine/KELLien.h"
#include "engine/KELServeurDeLiens.h"
#include "services/ZEVFrontViewerServices.h"
#include "platform/files/OutsideNames.h"
#include "platform/files/RecordFile.h"
#include "platform/pasteboard/BoundedImage.h"
#include "platform/pasteboard/PasteboardRead.h"
#include "runtime/Log.h"
#include "services/ZEVItemViewerForDesks.h"
#include "services/ZEVSpaceForDeskViewers.h"
#include "space/desk/ZEVDeskGeometry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>

#include <utility>

#include <sys/stat.h>

namespace tallomer {

namespace {

using P = ZEVPasteboard;
using L = ZEVImportLookups;
using Found = ZEVImportLookups::Found;

// The desk's web Objects download through the desk viewer's downloads.
bool deskStarter(const QUrl& url, KELI* item, const QString& folder)
{
    return ZEVItemDataChannels::Space().startDownload(url, item, folder);
}

QString absoluteString(const QUrl& url) { return url.toString(QUrl::FullyEncoded); }

// The record of another Channel's Object, from the numbers its pasteboard record gives (numbers
// only: the path never leaves the data folder).
std::optional<QCborMap> otherChannelRecord(const ZEVItemPB& record, const QString& kind)
{
    const QString folder = ZEVItemDataChannels::Folders().zevData;
    if (folder.isEmpty() || record.channelInt() == 0)
        return std::nullopt;
    const QString path =
        QStringLiteral("%1/%2/%3.%4").arg(folder, QString::number(record.channelInt()), QString::number(record.itemInt()), kind);
    const RecordRead read = readRecordFile(path);
    if (!read) {
        logFormat("_addZevItems: the record %s cannot be read: %s", qUtf8Printable(path), qUtf8Printable(read.error));
        return std::nullopt;
    }
    return *read.fields;
}

// The record of a web Object, for creerWithRecord.
std::function<bool(KELI*)> webRecord(const QString& key)
{
    return [key](KELI* item) { return ZEVItemData::Current().createFileHttpWithUid(key, item); };
}

// The record of a saved desk view; its picture may be missing, as before, but goes when the
// record cannot be written.
bool zevpRecord(ZEVItemData& store, const QString& image, const QString& uid, KELI* item)
{
    if (store.createZevpURL(image, uid, item))
        return true;
    L::removeMadeFile(image, item);
    return false;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Helpers

QString ZEVDeskDrop::displayNameForUrl(const QUrl& url)
{
    const QString path = url.path();
    const QStringList parts = path.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    if (!parts.isEmpty())
        return parts.last();
    if (!url.host().isEmpty())
        return url.host();
    return url.toString();
}

bool ZEVDeskDrop::placeNew(KELI* item, ZEVItemSet& set, const QPointF& location, double& countShift)
{
    if (!item)
        return false;
    const ZEVItemViewForDesks* view = desk_.creerItemViewWithItem(item, location, countShift);
    if (ZEVDeskGeometry* g = desk_.space() ? desk_.space()->deskGeometry() : nullptr)
        countShift += g->spaceRatioDropShift();
    // The link base's notices may take the view away again at once; the icon link is the fact.
    if (!view && !KELServeurDeLiens::SiLienForRelNum(KELRELATION_ICON_VIEWER, item->idInt()))
        return false;
    set.insert(item);
    return true;
}

bool ZEVDeskDrop::placeMade(KELI* item, ZEVItemSet& set, const QPointF& location, double& countShift)
{
    if (placeNew(item, set, location, countShift))
        return true;
    // Its icon was not stored (a full disk, told by its own alert): an Object on no desk would
    // stay in the store unseen, its record and files with it.
    L::takeBack(desk_, item);
    return false;
}

bool ZEVDeskDrop::placeReused(KELI* item, ZEVItemSet& set, const QPointF& location, double& countShift)
{
    if (!item)
        return false;
    if (!KELServeurDeLiens::SiLienForRelNum(KELRELATION_ICON_VIEWER, item->idInt()))
        return placeNew(item, set, location, countShift);
    const bool cmd = QGuiApplication::keyboardModifiers().testFlag(Qt::ControlModifier);
    desk_.recallExistingItemViewWithItem(item, location, &countShift, cmd);
    set.insert(item);
    return false;
}

void ZEVDeskDrop::addFile(const QString& path, ZEVItemOption newOptions, ZEVItemSet& set, const QPointF& location,
                          double& countShift, bool* handled)
{
    Found how = Found::None;
    if (KELI* item = L::fileObject(desk_, path, &how)) {
        if (how == Found::ByPath)
            *handled = true;
        if (placeReused(item, set, location, countShift))
            *handled = true;
        return;
    }
    const QFileInfo info(path);
    KELI* item = L::creerWithRecord(desk_, info.fileName(), "file", info.suffix(), newOptions,
                                    [&](KELI* made) { return ZEVItemData::Current().createFileURL(path, QUrl(), made); });
    if (!item)
        return;
    if (placeMade(item, set, location, countShift))
        *handled = true;
}

void ZEVDeskDrop::afterDrop()
{
    if (KELICurseur* c = desk_.curseur())
        c->terminerDeplacementCurseur();
}

// ---------------------------------------------------------------------------------------------
// Drag feedback, drop and paste

Qt::DropAction ZEVDeskDrop::dragOperationForDraggingInfo(const QMimeData* data, long sequence)
{
    ZEVItemSet set;
    P::AnalysePasteboard(data, sequence);
    const auto& http = P::HttpURLs();
    if (!P::HttpBookmarkDicos().isEmpty()) {
        P::CheckBookmarkDicos(P::HttpBookmarkDicos(), set);
    } else if (http.size() == 1) {
        if (P::BitmapImages().size() == 1)
            P::CheckBitmapImage(P::BitmapImages().first(), http.first(), set);
        else if (P::PDFImages().size() == 1)
            P::CheckPDFImage(P::PDFImages().first(), http.first(), set);
        else
            P::CheckHttpURLs(http, set);
    } else if (http.size() >= 2) {
        P::CheckHttpURLs(http, set);
    } else {
        if (!P::BitmapImages().isEmpty() && P::FileURLs().isEmpty())
            P::CheckBitmapImages(P::BitmapImages(), set);
        if (!P::PDFImages().isEmpty())
            P::CheckPDFImages(P::PDFImages(), set);
        if (!P::FileURLs().isEmpty())
            P::CheckFileURLs(P::FileURLs(), set);
        if (!P::ZEVItems().empty())
            P::CheckZEVItems(P::ZEVItems(), set);
        if (!P::Messages().empty())
            P::CheckMessages(P::Messages(), set);
        if (!P::ABPersonUIDs().empty())
            P::CheckABPersonUIDs(P::ABPersonUIDs(), set);
        if (!P::ITunesTracks().isEmpty())
            P::CheckITunesTracks(P::ITunesTracks(), set);
    }
    ZEVSpaceForDeskViewers* space = desk_.space();
    if (space && space->draggingSessionInteger() != sequence)
        L::selectInFrontMode(desk_, set.items());

    if (!P::HttpBookmarkDicos().isEmpty() || !http.isEmpty())
        return Qt::CopyAction;
    if (!P::BitmapImages().isEmpty() || !P::PDFImages().isEmpty() || !P::FileURLs().isEmpty()
        || !P::ZEVItems().empty() || !P::Messages().empty() || !P::ABPersonUIDs().empty()
        || !P::ITunesTracks().isEmpty())
        return Qt::LinkAction;
    if (!P::AttributedStrings().isEmpty())
        return Qt::CopyAction;
    return Qt::IgnoreAction;
}

bool ZEVDeskDrop::userPerformDragWithInfo(const QMimeData* data, const QPointF& location, long sequence)
{
    P::AnalysePasteboard(data, sequence);
    return _performDragOrPasteInLocation(location);
}

bool ZEVDeskDrop::userPerformPaste()
{
    ZEVSpaceForDeskViewers* space = desk_.space();
    return _performDragOrPasteInLocation(space ? space->mouseLocationOutsideOfEventStream() : QPointF());
}

bool ZEVDeskDrop::_performDragOrPasteInLocation(const QPointF& where)
{
    ZEVItemSet set;
    double countShift = 0;
    bool handled = false;
    const QPointF location = desk_.clampedLocation(where);
    refused_.clear();

    const auto& http = P::HttpURLs();
    if (!P::HttpBookmarkDicos().isEmpty()) {
        handled = _addBookmarkDicos(P::HttpBookmarkDicos(), set, location, countShift);
    } else if (http.size() == 1) {
        if (P::BitmapImages().size() == 1)
            handled = _addBitmapImage(P::BitmapImages().first(), http.first(), set, location, countShift);
        else if (P::PDFImages().size() == 1)
            handled = _addPDFImage(P::PDFImages().first(), http.first(), set, location, countShift);
        else
            handled = _addHttpURLs(http, set, location, countShift);
    } else if (http.size() >= 2) {
        handled = _addHttpURLs(http, set, location, countShift);
    } else {
        // Pictures only when no file came: a file's own picture is not a second thing.
        if (!handled && !P::BitmapImages().isEmpty() && P::FileURLs().isEmpty())
            handled = _addBitmapImages(P::BitmapImages(), set, location, countShift);
        if (!handled && !P::PDFImages().isEmpty())
            handled = _addPDFImages(P::PDFImages(), set, location, countShift);
        if (!handled) {
            if (!P::ZEVItems().empty()) {
                handled = _addZevItems(P::ZEVItems(), set, location, countShift);
            } else if (!P::FileURLs().isEmpty()) {
                handled = P::ITunesTracks().isEmpty() ? _addFileURLs(P::FileURLs(), set, location, countShift)
                                                      : _addITunesTracks(P::ITunesTracks(), set, location, countShift);
            } else if (!P::Messages().empty()) {
                std::vector<ZEVMessageDico> messages = P::Messages();
                if (!P::AttributedStrings().isEmpty()) {
                    const QString subject = plainText(P::AttributedStrings().first().runs);
                    for (ZEVMessageDico& m : messages)
                        if (!m.fields.contains(QStringLiteral("subject")))
                            m.fields.insert(QStringLiteral("subject"), subject);
                }
                handled = _addMessages(messages, set, location, countShift);
            } else if (!P::AttributedStrings().isEmpty()) {
                handled = _addAttributedStrings(P::AttributedStrings(), set, location, countShift);
            }
        }
        if (!handled && !P::ABPersonUIDs().empty())
            handled = _addABPersonUIDs(P::ABPersonUIDs(), set, location, countShift);
        if (!handled && !P::ITunesTracks().isEmpty())
            handled = _addITunesTracks(P::ITunesTracks(), set, location, countShift);
    }

    L::linkToSelectedFilters(desk_, set);
    ZEVSpaceForDeskViewers* space = desk_.space();
    if (set.empty() && space)
        space->beep();
    P::TellLeftOut(std::exchange(refused_, {}));
    afterDrop();
    if (space && desk_.curseur() == space->searchCurseur())
        if (ZEVFrontViewerServices* front = desk_.frontViewer())
            front->openTlineAndTracks(true);
    return handled;
}

// ---------------------------------------------------------------------------------------------
// The kinds

bool ZEVDeskDrop::_addBookmarkDicos(const QList<PastedBookmark>& bookmarks, ZEVItemSet& set, const QPointF& location,
                                   double& countShift)
{
    bool handled = false;
    for (const PastedBookmark& bookmark : bookmarks) {
        const QUrl url = P::UrlForBookmark(bookmark);
        if (url.isEmpty()) {
            // The rest of the list is dropped; what came before stays.
            if (ZEVSpaceForDeskViewers* space = desk_.space())
                space->beep();
            break;
        }
        const QString key = absoluteString(url);
        KELI* item = L::objectWithUid(desk_, key);
        bool placed = false;
        if (item) {
            placed = placeReused(item, set, location, countShift);
        } else {
            item = L::creerWithRecord(desk_, bookmark.title.isEmpty() ? key : bookmark.title, "http",
                                      QStringLiteral("webloc"), 0, webRecord(key));
            if (!item)
                continue;
            placed = placeMade(item, set, location, countShift);
        }
        if (placed) {
            L::startDownload(item, url, deskStarter);
            handled = true;
        }
    }
    return handled;
}

bool ZEVDeskDrop::_addHttpURLs(const QList<QUrl>& urls, ZEVItemSet& set, const QPointF& location, double& countShift)
{
    bool handled = false;
    for (const QUrl& url : urls) {
        const QString key = absoluteString(url);
        KELI* item = L::objectWithUid(desk_, key);
        bool placed = false;
        if (item) {
            placed = placeReused(item, set, location, countShift);
        } else {
            item = L::creerWithRecord(desk_, displayNameForUrl(url), "http", QStringLiteral("webloc"), 0, webRecord(key));
            if (!item)
                continue;
            placed = placeMade(item, set, location, countShift);
        }
        if (placed) {
            L::startDownload(item, url, deskStarter);
            handled = true;
        }
    }
    return handled;
}

void ZEVDeskDrop::addMadeFile(const QString& title, const QString& icon, const QUrl& httpURL, const MakeFile& make,
                              ZEVItemSet& set, const QPointF& location, double& countShift)
{
    // A picture or document taken from a page: the page gets its Object too, without an icon,
    // since the picture is what was dropped.
    if (!httpURL.isEmpty()) {
        const QString key = absoluteString(httpURL);
        if (!L::objectWithUid(desk_, key))
            L::creerWithRecord(desk_, title, "http", QStringLiteral("webloc"), 0, webRecord(key));
    }
    KELI* item = L::creerWithRecord(desk_, title, "file", icon, 0, [&](KELI* made) {
        ZEVItemData& store = ZEVItemData::Current();
        return L::madeFileRecord(make(store.files(), made), httpURL, made);
    });
    if (item)
        placeMade(item, set, location, countShift);
}

namespace {

// The title of a picture or document from a page: the page's, else the one it came with.
QString titleFromPage(const QUrl& httpURL, const QString& name)
{
    const QString title = ZEVDeskDrop::displayNameForUrl(httpURL);
    return title.isEmpty() ? name : title;
}

QString pastedName(const QString& name) { return name.isEmpty() ? QStringLiteral("pasted") : name; }

} // namespace

bool ZEVDeskDrop::_addBitmapImage(const ZEVPastedImage& image, const QUrl& httpURL, ZEVItemSet& set,
                                  const QPointF& location, double& countShift)
{
    const QString title = titleFromPage(httpURL, image.name);
    addMadeFile(title, QStringLiteral("tiff"), httpURL, [&](ZEVItemDataFiles& files, KELI* made) {
        return files.createBitmapImage(image.image, QFileInfo(title).completeBaseName(), made);
    }, set, location, countShift);
    return true;
}

bool ZEVDeskDrop::_addPDFImage(const ZEVPastedPdf& pdf, const QUrl& httpURL, ZEVItemSet& set,
                               const QPointF& location, double& countShift)
{
    const QString title = titleFromPage(httpURL, pdf.name);
    addMadeFile(title, QStringLiteral("pdf"), httpURL, [&](ZEVItemDataFiles& files, KELI* made) {
        return files.createPdfImage(pdf.data, QFileInfo(title).completeBaseName(), made);
    }, set, location, countShift);
    return true;
}

bool ZEVDeskDrop::_addBitmapImages(const QList<ZEVPastedImage>& images, ZEVItemSet& set, const QPointF& location,
                                   double& countShift)
{
    for (const ZEVPastedImage& image : images) {
        const QString name = pastedName(image.name);
        addMadeFile(name, QStringLiteral("tiff"), QUrl(), [&](ZEVItemDataFiles& files, KELI* made) {
            return files.createBitmapImage(image.image, name, made);
        }, set, location, countShift);
    }
    return true;
}

bool ZEVDeskDrop::_addPDFImages(const QList<ZEVPastedPdf>& pdfs, ZEVItemSet& set, const QPointF& location,
                                double& countShift)
{
    for (const ZEVPastedPdf& pdf : pdfs) {
        const QString name = pastedName(pdf.name);
        addMadeFile(name, QStringLiteral("pdf"), QUrl(), [&](ZEVItemDataFiles& files, KELI* made) {
            return files.createPdfImage(pdf.data, name, made);
        }, set, location, countShift);
    }
    return true;
}

bool ZEVDeskDrop::_addZevItems(const std::vector<ZEVItemPB>& records, ZEVItemSet& set, const QPointF& location,
                               double& countShift)
{
    bool handled = false;
    ZEVItemData& store = ZEVItemData::Current();
    for (const ZEVItemPB& record : records) {
        const QString& uid = record.itemUid();
        if (record.itemInt() == 0) {
            // A saved desk view. One the store holds already is recalled like any other Object:
            // a second icon of it would be one too many.
            handled = true;
            if (KELI* found = L::objectWithUid(desk_, uid)) {
                placeReused(found, set, location, countShift);
                continue;
            }
            KELI* item =
                L::creerWithRecord(desk_, record.itemTitle(), "zevp", QStringLiteral("jpeg"), ZEVOPTION_HOLD_BY_ZEV,
                                   [&](KELI* made) { return zevpRecord(store, store.files().createZevpImage(record.zevpImage(), made), uid, made); });
            if (!item)
                continue;
            placeMade(item, set, location, countShift);
            continue;
        }
        if (!uid.isEmpty() && store.itemNumberWithUid(uid) != 0) {
            if (KELI* found = L::objectWithUid(desk_, uid)) {
                placeReused(found, set, location, countShift);
                handled = true;
            }
            continue;
        }
        // An Object of another Channel: an equivalent one is made here (this sets no handled).
        const QString& type = record.itemType();
        KELI* item = nullptr;
        if (type == QLatin1String("ABPerson")) {
            // A person the address book does not hold (the card removed since the copy, or a
            // record from elsewhere) would be an Object titled "? ?" that opens nothing.
            if (!ZEVItemDataChannels::Space().personWithUid(uid)) {
                logFormat("_addZevItems: no person %s in the address book: nothing is made for it",
                          qUtf8Printable(uid.left(200)));
                continue;
            }
            const QString title = desk_.space() ? desk_.space()->titleForUid(uid) : QStringLiteral("? ?");
            item = L::creerWithRecord(desk_, title, "ABPerson", QStringLiteral("vcf"), ZEVOPTION_HOLD_BY_APP,
                                      [&](KELI* made) { return store.createFilePersonWithUid(uid, made); });
        } else if (type == QLatin1String("message")) {
            const std::optional<QCborMap> fields = otherChannelRecord(record, QStringLiteral("message"));
            if (!fields)
                continue;
            item = L::creerWithRecord(desk_, record.itemTitle(), "message", QStringLiteral("eml"), ZEVOPTION_HOLD_BY_APP,
                                      [&](KELI* made) { return store.createFileMessageWithDico(*fields, made); });
        } else if (type == QLatin1String("zevp")) {
            const std::optional<QCborMap> fields = otherChannelRecord(record, QStringLiteral("zevp"));
            if (!fields)
                continue;
            const std::optional<QImage> image = readImageFileBounded(recordString(*fields, QStringLiteral("path")));
            item = L::creerWithRecord(desk_, record.itemTitle(), "zevp", QStringLiteral("jpeg"), ZEVOPTION_HOLD_BY_ZEV,
                                      [&](KELI* made) {
                                          return zevpRecord(store, image ? store.files().createZevpImage(*image, made) : QString(),
                                                            uid, made);
                                      });
        } else {
            logLine("_addZevItems: _________________________________________________ ERROR !");
            continue;
        }
        if (item)
            placeMade(item, set, location, countShift);
    }
    return handled;
}

bool ZEVDeskDrop::_addFileURLs(const QList<QUrl>& urls, ZEVItemSet& set, const QPointF& location, double& countShift)
{
    bool handled = false;
    for (const QUrl& url : urls) {
        if (!url.isLocalFile())
            continue;
        // A name that is not valid UTF-8 is given one first: else no path of ours could name it.
        const QString path = QFileInfo(textPathOfUrl(url)).absoluteFilePath();
        if (!QFileInfo::exists(path)) {
            logFormat("ZEVDeskViewer _addFileURLs: no file at %s", qUtf8Printable(path));
            continue;
        }
        // A pipe, a socket or a device is nothing to keep, and a pipe would hold whoever reads it.
        struct stat st {};
        if (::stat(QFile::encodeName(path).constData(), &st) == 0 && !S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode)) {
            logFormat("ZEVDeskViewer _addFileURLs: %s is neither a file nor a folder", qUtf8Printable(path));
            refused_ << QStringLiteral("\u201c%1\u201d is neither a file nor a folder (a pipe, a socket or a device): it "
                                       "stays where it is.")
                            .arg(QFileInfo(path).fileName());
            continue;
        }
        addFile(path, P::ItemOptionsForFileURL(path), set, location, countShift, &handled);
    }
    return handled;
}

bool ZEVDeskDrop::_addITunesTracks(const QList<ZEVTrack>& tracks, ZEVItemSet& set, const QPointF& location,
                                   double& countShift)
{
    bool handled = false;
    for (const ZEVTrack& track : tracks) {
        if (!track.location.isLocalFile())
            continue;
        const QString path = QFileInfo(textPathOfUrl(track.location)).absoluteFilePath();
        if (QFileInfo::exists(path))
            addFile(path, ZEVOPTION_OPEN_ON_CLICK | ZEVOPTION_HOLD_BY_SYSTEM, set, location, countShift, &handled);
    }
    return handled;
}

bool ZEVDeskDrop::_addMessages(const std::vector<ZEVMessageDico>& messages, ZEVItemSet& set, const QPointF& location,
                               double& countShift)
{
    bool handled = false;
    ZEVItemData& store = ZEVItemData::Current();
    for (const ZEVMessageDico& message : messages) {
        const QString uid = recordString(message.fields, QStringLiteral("uid"));
        if (KELI* found = L::objectWithUid(desk_, uid)) {
            if (placeReused(found, set, location, countShift))
                handled = true;
            continue;
        }
        const QString subject = recordString(message.fields, QStringLiteral("subject"));
        KELI* item = L::creerWithRecord(
            desk_, subject.isEmpty() ? QStringLiteral("message") : subject, "message", QStringLiteral("eml"),
            ZEVOPTION_HOLD_BY_APP, [&](KELI* made) {
                QCborMap fields = message.fields;
                const QString file = store.files().createMessageFile(message.bytes, subject, made);
                // The kept file is what the Object opens: without it the Object would hold nothing.
                if (file.isEmpty() && !message.bytes.isEmpty())
                    return false;
                if (!file.isEmpty())
                    fields.insert(QStringLiteral("zevFilename"), file);
                if (store.createFileMessageWithDico(fields, made))
                    return true;
                L::removeMadeFile(file, made);
                return false;
            });
        if (!item)
            continue;
        if (placeMade(item, set, location, countShift))
            handled = true;
    }
    return handled;
}

bool ZEVDeskDrop::_addAttributedStrings(const QList<ZEVRichText>& texts, ZEVItemSet& set, const QPointF& location,
                                        double& countShift)
{
    for (const ZEVRichText& text : texts) {
        KELI* item = L::creerWithRecord(
            desk_, QStringLiteral("pasted text.rtf"), "file", QStringLiteral("rtf"), 0, [&](KELI* made) {
                ZEVItemData& store = ZEVItemData::Current();
                return L::madeFileRecord(store.files().createRTFWithAttributedString(text, made), QUrl(), made);
            });
        if (!item)
            continue;
        placeMade(item, set, location, countShift);
    }
    return true;
}

bool ZEVDeskDrop::_addABPersonUIDs(const std::vector<ZEVPastedPerson>& persons, ZEVItemSet& set,
                                   const QPointF& location, double& countShift)
{
    bool handled = false;
    ZEVSpaceForDeskViewers* space = desk_.space();
    for (const ZEVPastedPerson& person : persons) {
        // A card the address book does not hold yet joins it, so that the contact can be found.
        if (person.card && space)
            space->addPersonCard(person.card->bytes);
        if (KELI* found = L::objectWithUid(desk_, person.uid)) {
            if (placeReused(found, set, location, countShift))
                handled = true;
            continue;
        }
        const QString title = space ? space->titleForUid(person.uid) : QStringLiteral("? ?");
        KELI* item = L::creerWithRecord(desk_, title, "ABPerson", QStringLiteral("vcf"), ZEVOPTION_HOLD_BY_APP,
                                        [&](KELI* made) { return ZEVItemData::Current().createFilePersonWithUid(person.uid, made); });
        if (!item)
            continue;
        if (placeMade(item, set, location, countShift))
            handled = true;
    }
    return handled;
}

// ---------------------------------------------------------------------------------------------
// Files opened through the desktop

void ZEVDeskDrop::addFilenames(const QStringList& paths)
{
    ZEVSpaceForDeskViewers* space = desk_.space();
    if (!space || !desk_.itemClass())
        return;
    ZEVItemSet set;
    for (const QString& given : paths) {
        const QFileInfo info(given);
        if (given.isEmpty() || !info.exists()) {
            logFormat("ZEVDeskViewer addFilenames: no file at %s", qUtf8Printable(given));
            continue;
        }
        const QString path = info.absoluteFilePath();
        Found how = Found::None;
        KELI* item = L::fileObject(desk_, path, &how);
        if (item && KELServeurDeLiens::SiLienForRelNum(KELRELATION_ICON_VIEWER, item->idInt())) {
            desk_.recallExistingItemViewWithItem(item);
            set.insert(item);
            continue;
        }
        if (!item) {
            item = L::creerWithRecord(desk_, info.fileName(), "file", info.suffix(), P::ItemOptionsForFileURL(path),
                                      [&](KELI* made) { return ZEVItemData::Current().createFileURL(path, QUrl(), made); });
            if (!item)
                continue;
        }
        const QRectF r = space->deskGeometry() ? space->deskGeometry()->nextIconDefaultPosition() : QRectF();
        desk_.creerItemViewWithItem(item, ZEVIconPosition{r.x(), r.y(), r.width(), 0}, 1.0f);
        set.insert(item);
    }
    L::linkToSelectedFilters(desk_, set);
    afterDrop();
    L::selectInFrontMode(desk_, set.items());
    if (desk_.curseur() == space->searchCurseur())
        if (ZEVFrontViewerServices* front = desk_.frontViewer())
            front->openTlineAndTracks(true);
}

} // namespace tallomer
