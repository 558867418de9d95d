// The Files panel's imports: what is dropped or pasted on its table, and the add panel's files.
// The lookups and the making of Objects are the desk's own; only the placement differs: a
// presence in the panel from the active cursor's date instead of an icon.

#include "inspectors/files/ZEVFileImports.h"

#include "desk/data/ZEVItemData.h"
#include "desk/viewer/ZEVDeskDrop.h"
#include "desk/viewer/ZEVDeskViewer.h"
#include "desk/viewer/ZEVImportLookups.h"
#include "engine/KELICurseur.h"
#include "engine/KELLien.h"
#include "engine/KELServeurDeLiens.h"
#include "inspectors/base/ZEVInspectView.h"
#include "inspectors/files/ZEVFileViewer.h"
#include "inspectors/table/ZEVTableModel.h"
#include "platform/sound/Sound.h"
#include "runtime/Log.h"
#include "services/ZEVFrontViewerServices.h"
#include "services/ZEVSpaceForDeskViewers.h"
#include "space/ZEVConstants.h"
#include "space/ZEVSpaceController.h"
#include "space/ZEVSpaceWindow.h"

#include <QFileInfo>
#include <QItemSelectionModel>

namespace tallomer {

namespace {
using P = ZEVPasteboard;
using L = ZEVImportLookups;
using K = ZEVFileImportKind;

QString absoluteString(const QUrl& url) { return url.toString(QUrl::FullyEncoded); }

ZEVPasteCounts countsOfPasteboard()
{
    ZEVPasteCounts c;
    c.bookmarks = int(P::HttpBookmarkDicos().size());
    c.http = int(P::HttpURLs().size());
    c.bitmaps = int(P::BitmapImages().size());
    c.pdfs = int(P::PDFImages().size());
    c.files = int(P::FileURLs().size());
    c.messages = int(P::Messages().size());
    c.persons = int(P::ABPersonUIDs().size());
    c.rich = int(P::AttributedStrings().size());
    c.tracks = int(P::ITunesTracks().size());
    return c;
}
} // namespace

std::vector<ZEVFileImportKind> fileImportOrder(const ZEVPasteCounts& c)
{
    if (c.bookmarks > 0)
        return {K::Bookmarks};
    if (c.http == 1) {
        if (c.bitmaps == 1)
            return {K::ImageWithAddress};
        if (c.pdfs == 1)
            return {K::PdfWithAddress};
        return {K::HttpURLs};
    }
    if (c.http >= 2)
        return {K::HttpURLs};
    std::vector<K> out;
    if (c.bitmaps > 0 && c.files == 0)
        out.push_back(K::BitmapImages);
    if (c.pdfs > 0)
        out.push_back(K::PDFImages);
    if (c.files > 0)
        out.push_back(K::FileURLs);
    else if (c.rich > 0)
        out.push_back(K::AttributedStrings);
    if (c.tracks > 0)
        out.push_back(K::Tracks);
    return out;
}

Qt::DropAction fileDragOperation(const ZEVPasteCounts& c)
{
    if (c.http > 0 || c.bookmarks > 0)
        return Qt::CopyAction;
    if (c.bitmaps > 0 || c.pdfs > 0 || c.files > 0 || c.messages > 0 || c.tracks > 0)
        return Qt::LinkAction;
    if (c.rich > 0)
        return Qt::CopyAction;
    return Qt::IgnoreAction;
}

// ---------------------------------------------------------------------------------------------

Qt::DropAction ZEVFileViewer::dragOperationForDraggingInfo(const QMimeData* data, long sequence)
{
    ZEVItemSet set;
    P::AnalysePasteboard(data, sequence);
    const ZEVPasteCounts c = countsOfPasteboard();
    const auto& http = P::HttpURLs();
    if (c.bookmarks > 0) {
        P::CheckBookmarkDicos(P::HttpBookmarkDicos(), set);
    } else if (c.http == 1) {
        if (c.bitmaps == 1)
            P::CheckBitmapImage(P::BitmapImages().first(), http.first(), set);
        else if (c.pdfs == 1)
            P::CheckPDFImage(P::PDFImages().first(), http.first(), set);
        else
            P::CheckHttpURLs(http, set);
    } else if (c.http >= 2) {
        P::CheckHttpURLs(http, set);
    } else {
        if (c.bitmaps > 0 && c.files == 0)
            P::CheckBitmapImages(P::BitmapImages(), set);
        if (c.pdfs > 0)
            P::CheckPDFImages(P::PDFImages(), set);
        if (c.files > 0)
            P::CheckFileURLs(P::FileURLs(), set);
        if (c.messages > 0)
            P::CheckMessages(P::Messages(), set);
        if (c.persons > 0)
            P::CheckABPersonUIDs(P::ABPersonUIDs(), set);
        if (c.tracks > 0)
            P::CheckITunesTracks(P::ITunesTracks(), set);
    }
    // Shown once per drag: the Objects a drop would reuse.
    ZEVDeskViewer* desk = imports_.desk();
    ZEVSpaceForDeskViewers* space = desk ? desk->space() : nullptr;
    if (space && space_.draggingSessionInteger() != sequence && !set.empty())
        space->selectIconForItemSet(set.items(), {});
    return fileDragOperation(c);
}

bool ZEVFileViewer::userPerformDragOrPaste()
{
    return runImport([this](ZEVItemSet& set) {
        bool result = false;
        const auto& http = P::HttpURLs();
        for (ZEVFileImportKind kind : fileImportOrder(countsOfPasteboard())) {
            switch (kind) {
            case K::Bookmarks:
                result = _addBookmarkDicos(P::HttpBookmarkDicos(), set) || result;
                break;
            case K::ImageWithAddress:
                result = _addBitmapImage(P::BitmapImages().first(), http.first(), set) || result;
                break;
            case K::PdfWithAddress:
                result = _addPDFImage(P::PDFImages().first(), http.first(), set) || result;
                break;
            case K::HttpURLs:
                result = _addHttpURLs(http, set) || result;
                break;
            case K::BitmapImages:
                result = _addBitmapImages(P::BitmapImages(), set) || result;
                break;
            case K::PDFImages:
                if (!result)
                    result = _addPDFImages(P::PDFImages(), set);
                break;
            case K::FileURLs:
                result = _addFileURLs(P::FileURLs(), set) || result;
                break;
            case K::AttributedStrings:
                result = _addAttributedStrings(P::AttributedStrings(), set) || result;
                break;
            case K::Tracks:
                result = _addITunesTracks(P::ITunesTracks(), set) || result;
                break;
            }
        }
        return result;
    });
}

void ZEVFileViewer::finishImport(ZEVDeskViewer& desk, const ZEVItemSet& set)
{
    imports_.finish(desk, set);
    model_.majIndexOfSelectedRows();
    scrollToFirstSelectedRow();
}

bool ZEVFileViewer::_addFileURLs(const QList<QUrl>& urls, ZEVItemSet& set)
{
    return imports_.addFileURLs(urls, set) > 0;
}

bool ZEVFileViewer::_addITunesTracks(const QList<ZEVTrack>& tracks, ZEVItemSet& set)
{
    ZEVDeskViewer* desk = imports_.desk();
    if (!desk)
        return false;
    const KELDate date = imports_.date();
    std::vector<KELI*> known;
    const std::size_t before = set.size();
    for (const ZEVTrack& track : tracks) {
        if (!track.location.isLocalFile())
            continue;
        const QString path = QFileInfo(track.location.toLocalFile()).absoluteFilePath();
        if (!QFileInfo::exists(path))
            continue;
        if (KELI* item = imports_.importFile(*desk, path, ZEVOPTION_HOLD_BY_SYSTEM, date, known))
            set.insert(item);
    }
    model_.recallFilesForItems(known);
    return set.size() > before;
}

bool ZEVFileViewer::_addAttributedStrings(const QList<ZEVRichText>& texts, ZEVItemSet& set)
{
    ZEVDeskViewer* desk = imports_.desk();
    if (!desk)
        return true;
    for (const ZEVRichText& text : texts) {
        KELI* item = L::creerWithRecord(
            *desk, QStringLiteral("pasted text.rtf"), "file", QStringLiteral("rtf"), 0, [&](KELI* made) {
                ZEVItemData& store = ZEVItemData::Current();
                return L::madeFileRecord(store.files().createRTFWithAttributedString(text, made), QUrl(), made);
            });
        if (!item)
            continue;
        // Listed nowhere, it is not made (a full disk, told by its own alert).
        if (!model_.creerLienFileViewerForItem(item, imports_.date())) {
            L::takeBack(*desk, item);
            continue;
        }
        set.insert(item);
    }
    return true;
}

namespace {
struct WebImport {
    ZEVDeskViewer& desk;
    ZEVFileClass& model;
    KELDate date;
    std::vector<KELI*> known;

    // One address: a known Object (ever on a desk) is recalled; any other gets a presence and
    // its download. Whether a download started.
    bool add(const QUrl& url, const QString& title, ZEVItemSet& set)
    {
        const QString uid = absoluteString(url);
        KELI* item = L::objectWithUid(desk, uid);
        if (item && KELServeurDeLiens::SiLienForRelNum(KELRELATION_ICON_VIEWER, item->idInt())) {
            known.push_back(item);
            set.insert(item);
            return false;
        }
        const bool nouveau = !item;
        if (!item) {
            item = L::creerWithRecord(desk, title, "http", QStringLiteral("webloc"), 0, [&uid](KELI* made) {
                return ZEVItemData::Current().createFileHttpWithUid(uid, made);
            });
            if (!item)
                return false;
        }
        // A new one listed nowhere is not made (a full disk, told by its own alert).
        if (!model.creerLienFileViewerForItem(item, date) && nouveau) {
            L::takeBack(desk, item);
            return false;
        }
        ZEVFileDownloads& downloads = model.downloads();
        L::startDownload(item, url, [&downloads](const QUrl& u, KELI* i, const QString& folder) {
            return downloads.startDownload(u, i, folder);
        });
        set.insert(item);
        return true;
    }
};
} // namespace

bool ZEVFileViewer::_addHttpURLs(const QList<QUrl>& urls, ZEVItemSet& set)
{
    ZEVDeskViewer* desk = imports_.desk();
    if (!desk)
        return false;
    WebImport web{*desk, model_, imports_.date(), {}};
    bool result = false;
    for (const QUrl& url : urls)
        result = web.add(url, ZEVDeskDrop::displayNameForUrl(url), set) || result;
    model_.recallFilesForItems(web.known);
    return result;
}

bool ZEVFileViewer::_addBookmarkDicos(const QList<PastedBookmark>& bookmarks, ZEVItemSet& set)
{
    ZEVDeskViewer* desk = imports_.desk();
    if (!desk)
        return false;
    WebImport web{*desk, model_, imports_.date(), {}};
    bool result = false;
    for (const PastedBookmark& bookmark : bookmarks) {
        const QUrl url = P::UrlForBookmark(bookmark);
        if (url.isEmpty()) {
            // The rest of the list is not imported; what came before it stays.
            Sound::shared().beep();
            return result;
        }
        const QString title = bookmark.title.isEmpty() ? absoluteString(url) : bookmark.title;
        result = web.add(url, title, set) || result;
    }
    model_.recallFilesForItems(web.known);
    return result;
}

// ---------------------------------------------------------------------------------------------
// The add panel

bool ZEVFileViewer::addChosenFiles(const QList<QUrl>& urls)
{
    ZEVDeskViewer* desk = imports_.desk();
    if (!desk)
        return false;
    ZEVItemSet set;
    const bool result = imports_.addChosenFiles(urls, set) > 0;
    finishImport(*desk, set);
    return result;
}

void ZEVFileViewer::btnInspectAdd() { _buttonAddWithUrl(model_.openPanelFolderUrlWithItem(nullptr)); }

} // namespace tallomer
