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

ZEVDeskViewer* ZEVFileViewer::importDesk() const { return space_.deskViewerForCurseur(space_.actifCurseur()); }

KELDate ZEVFileViewer::importDate() const
{
    KELICurseur* c = space_.actifCurseur();
    return c ? c->now() : 0;
}

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
    ZEVDeskViewer* desk = importDesk();
    ZEVSpaceForDeskViewers* space = desk ? desk->space() : nullptr;
    if (space && space_.draggingSessionInteger() != sequence && !set.empty())
        space->selectIconForItemSet(set.items(), {});
    return fileDragOperation(c);
}

bool ZEVFileViewer::userPerformDragOrPaste()
{
    ZEVDeskViewer* desk = importDesk();
    if (!desk)
        return false;
    ZEVItemSet set;
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
    finishImport(*desk, set);
    return result;
}

void ZEVFileViewer::finishImport(ZEVDeskViewer& desk, const ZEVItemSet& set)
{
    L::linkToSelectedFilters(desk, set);
    if (KELICurseur* c = space_.actifCurseur())
        c->terminerDeplacementCurseur();
    // An import that brought nothing leaves the selection as it was.
    if (!set.empty())
        L::selectInFrontMode(desk, set.items());
    model_.majIndexOfSelectedRows();
    ZEVInspectView* v = inspectViewIfBuilt();
    ZEVTableView* table = v ? v->inspectTableView() : nullptr;
    if (table && table->selectionModel()) {
        const QModelIndexList rows = table->selectionModel()->selectedRows();
        if (!rows.isEmpty())
            table->scrollTo(rows.first());
    }
}

KELI* ZEVFileViewer::importFile(ZEVDeskViewer& desk, const QString& path, ZEVItemOption newOptions, KELDate date,
                                std::vector<KELI*>& known)
{
    ZEVImportLookups::Found how = ZEVImportLookups::Found::None;
    if (KELI* item = L::fileObject(desk, path, &how)) {
        // Known to the panel: ever listed in it, whatever the dates.
        if (KELServeurDeLiens::SiLienForRelNum(KELRELATION_FILE_VIEWER, item->idInt()))
            known.push_back(item);
        else
            model_.creerLienFileViewerForItem(item, date);
        return item;
    }
    const QFileInfo info(path);
    KELI* item = L::creer(desk, info.fileName(), "file", info.suffix(), newOptions);
    if (!item)
        return nullptr;
    ZEVItemData::Current().createFileURL(path, QUrl(), item);
    model_.creerLienFileViewerForItem(item, date);
    return item;
}

bool ZEVFileViewer::_addFileURLs(const QList<QUrl>& urls, ZEVItemSet& set)
{
    ZEVDeskViewer* desk = importDesk();
    if (!desk)
        return false;
    const KELDate date = importDate();
    std::vector<KELI*> known;
    const std::size_t before = set.size();
    for (const QUrl& url : urls) {
        if (!url.isLocalFile())
            continue;
        const QString path = QFileInfo(url.toLocalFile()).absoluteFilePath();
        if (!QFileInfo::exists(path)) {
            logFormat("ZEVFileViewer _addFileURLs: no file at %s", qUtf8Printable(path));
            continue;
        }
        if (KELI* item = importFile(*desk, path, P::ItemOptionsForFileURL(path), date, known))
            set.insert(item);
    }
    model_.recallFilesForItems(known);
    return set.size() > before;
}

bool ZEVFileViewer::_addITunesTracks(const QList<ZEVTrack>& tracks, ZEVItemSet& set)
{
    ZEVDeskViewer* desk = importDesk();
    if (!desk)
        return false;
    const KELDate date = importDate();
    std::vector<KELI*> known;
    const std::size_t before = set.size();
    for (const ZEVTrack& track : tracks) {
        if (!track.location.isLocalFile())
            continue;
        const QString path = QFileInfo(track.location.toLocalFile()).absoluteFilePath();
        if (!QFileInfo::exists(path))
            continue;
        if (KELI* item = importFile(*desk, path, ZEVOPTION_HOLD_BY_SYSTEM, date, known))
            set.insert(item);
    }
    model_.recallFilesForItems(known);
    return set.size() > before;
}

bool ZEVFileViewer::addPastedFiles(const QStringList& names, const QString& extension, ZEVItemSet& set,
                                   const PastedWriter& write)
{
    ZEVDeskViewer* desk = importDesk();
    if (!desk)
        return true;
    ZEVItemData& store = ZEVItemData::Current();
    for (qsizetype i = 0; i < names.size(); ++i) {
        const QString name = names[i].isEmpty() ? QStringLiteral("pasted") : names[i];
        KELI* item = L::creer(*desk, name, "file", extension, 0);
        if (!item)
            continue;
        const QString file = write(i, name, item);
        if (!file.isEmpty())
            store.createFileURL(file, QUrl(), item);
        model_.creerLienFileViewerForItem(item, importDate());
        set.insert(item);
    }
    return true;
}

bool ZEVFileViewer::_addBitmapImages(const QList<ZEVPastedImage>& images, ZEVItemSet& set)
{
    QStringList names;
    for (const ZEVPastedImage& image : images)
        names << image.name;
    return addPastedFiles(names, QStringLiteral("tiff"), set, [&images](qsizetype i, const QString& name, KELI* item) {
        return ZEVItemData::Current().files().createBitmapImage(images[i].image, name, item);
    });
}

bool ZEVFileViewer::_addPDFImages(const QList<ZEVPastedPdf>& pdfs, ZEVItemSet& set)
{
    QStringList names;
    for (const ZEVPastedPdf& pdf : pdfs)
        names << pdf.name;
    return addPastedFiles(names, QStringLiteral("pdf"), set, [&pdfs](qsizetype i, const QString& name, KELI* item) {
        return ZEVItemData::Current().files().createPdfImage(pdfs[i].data, name, item);
    });
}

bool ZEVFileViewer::_addBitmapImage(const ZEVPastedImage& image, const QUrl& httpURL, ZEVItemSet& set)
{
    ZEVDeskViewer* desk = importDesk();
    if (!desk)
        return true;
    QString title = ZEVDeskDrop::displayNameForUrl(httpURL);
    if (title.isEmpty())
        title = image.name;
    L::webObjectForPage(*desk, httpURL, title);
    if (KELI* item = L::creer(*desk, title, "file", QStringLiteral("tiff"), 0)) {
        ZEVItemData& store = ZEVItemData::Current();
        const QString file = store.files().createBitmapImage(image.image, QFileInfo(title).completeBaseName(), item);
        if (!file.isEmpty())
            store.createFileURL(file, httpURL, item);
        model_.creerLienFileViewerForItem(item, importDate());
        set.insert(item);
    }
    return true;
}

bool ZEVFileViewer::_addPDFImage(const ZEVPastedPdf& pdf, const QUrl& httpURL, ZEVItemSet& set)
{
    ZEVDeskViewer* desk = importDesk();
    if (!desk)
        return true;
    QString title = ZEVDeskDrop::displayNameForUrl(httpURL);
    if (title.isEmpty())
        title = pdf.name;
    L::webObjectForPage(*desk, httpURL, title);
    if (KELI* item = L::creer(*desk, title, "file", QStringLiteral("pdf"), 0)) {
        ZEVItemData& store = ZEVItemData::Current();
        const QString file = store.files().createPdfImage(pdf.data, QFileInfo(title).completeBaseName(), item);
        if (!file.isEmpty())
            store.createFileURL(file, httpURL, item);
        model_.creerLienFileViewerForItem(item, importDate());
        set.insert(item);
    }
    return true;
}

bool ZEVFileViewer::_addAttributedStrings(const QList<ZEVRichText>& texts, ZEVItemSet& set)
{
    ZEVDeskViewer* desk = importDesk();
    if (!desk)
        return true;
    ZEVItemData& store = ZEVItemData::Current();
    for (const ZEVRichText& text : texts) {
        KELI* item = L::creer(*desk, QStringLiteral("pasted text.rtf"), "file", QStringLiteral("rtf"), 0);
        if (!item)
            continue;
        const QString file = store.files().createRTFWithAttributedString(text, item);
        if (!file.isEmpty())
            store.createFileURL(file, QUrl(), item);
        model_.creerLienFileViewerForItem(item, importDate());
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
        if (!item) {
            item = L::creer(desk, title, "http", QStringLiteral("webloc"), 0);
            if (!item)
                return false;
            ZEVItemData::Current().createFileHttpWithUid(uid, item);
        }
        model.creerLienFileViewerForItem(item, date);
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
    ZEVDeskViewer* desk = importDesk();
    if (!desk)
        return false;
    WebImport web{*desk, model_, importDate(), {}};
    bool result = false;
    for (const QUrl& url : urls)
        result = web.add(url, ZEVDeskDrop::displayNameForUrl(url), set) || result;
    model_.recallFilesForItems(web.known);
    return result;
}

bool ZEVFileViewer::_addBookmarkDicos(const QList<PastedBookmark>& bookmarks, ZEVItemSet& set)
{
    ZEVDeskViewer* desk = importDesk();
    if (!desk)
        return false;
    WebImport web{*desk, model_, importDate(), {}};
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
    ZEVDeskViewer* desk = importDesk();
    if (!desk)
        return false;
    ZEVItemSet set;
    const bool result = _addFileURLs(urls, set);
    finishImport(*desk, set);
    return result;
}

void ZEVFileViewer::_buttonAddWithUrl(const QString& folder)
{
    ZEVFrontViewerServices* front = space_.frontViewer();
    if (!front) {
        beep();
        return;
    }
    front->addPanelWithUrl(folder, QStringLiteral("Add Files\u2026"),
                           QStringLiteral("Select the files you want to add (as references) in the \"Files Window\""),
                           [this](const QStringList& paths) {
                               QList<QUrl> urls;
                               for (const QString& path : paths)
                                   urls << QUrl::fromLocalFile(path);
                               addChosenFiles(urls);
                           },
                           [this](QFileDialog* panel) { suivrePanneauAjout(panel); });
}

void ZEVFileViewer::btnInspectAdd() { _buttonAddWithUrl(model_.openPanelFolderUrlWithItem(nullptr)); }

} // namespace tallomer
