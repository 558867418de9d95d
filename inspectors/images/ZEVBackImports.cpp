// The Images panel's imports: what is dropped or pasted on its table, and the add panel's image
// files. The lookups and the making of Objects are the desk's own; only images come in, one kind
// per drop, each with its presence in the panel from the active cursor's moment.

#include "desk/data/ZEVItemData.h"
#include "desk/viewer/ZEVDeskDrop.h"
#include "desk/viewer/ZEVDeskViewer.h"
#include "desk/viewer/ZEVImportLookups.h"
#include "engine/KELICurseur.h"
#include "engine/KELServeurDeLiens.h"
#include "inspectors/core/ZEVInspectDelete.h"
#include "inspectors/images/ZEVBackViewer.h"
#include "platform/sound/Sound.h"
#include "runtime/Log.h"
#include "runtime/Scheduler.h"
#include "services/ZEVFrontViewerServices.h"
#include "services/ZEVSpaceForDeskViewers.h"
#include "space/ZEVConstants.h"
#include "space/ZEVSpaceController.h"

#include <QFileDialog>
#include <QFileInfo>

namespace tallomer {

namespace {
using P = ZEVPasteboard;
using L = ZEVImportLookups;
using K = ZEVBackImportKind;

ZEVPasteCounts imageCounts()
{
    ZEVPasteCounts c;
    c.http = int(P::HttpURLs().size());
    c.bitmaps = int(P::BitmapImages().size());
    c.pdfs = int(P::PDFImages().size());
    c.files = int(P::ImageFileURLs().size());
    return c;
}

bool siImageFile(const QString& path)
{
    return P::ImageExtensions().contains(QFileInfo(path).suffix(), Qt::CaseInsensitive);
}
} // namespace

ZEVBackImportKind backImportKind(const ZEVPasteCounts& c)
{
    if (c.http == 1) {
        if (c.bitmaps == 1)
            return K::ImageWithAddress;
        if (c.pdfs == 1)
            return K::PdfWithAddress;
        return K::None;
    }
    // A file's own picture often comes along with it: the file is what was meant.
    if (c.bitmaps > 0 && c.files == 0)
        return K::BitmapImages;
    if (c.pdfs > 0)
        return K::PDFImages;
    if (c.files > 0)
        return K::ImageFileURLs;
    return K::None;
}

Qt::DropAction backDragOperation(const ZEVPasteCounts& c)
{
    return c.bitmaps > 0 || c.pdfs > 0 || c.files > 0 ? Qt::LinkAction : Qt::IgnoreAction;
}

ZEVDeskViewer* ZEVBackViewer::importDesk() const { return space_.deskViewerForCurseur(space_.actifCurseur()); }

KELDate ZEVBackViewer::importDate() const
{
    KELICurseur* c = space_.actifCurseur();
    return c ? c->now() : 0;
}

Qt::DropAction ZEVBackViewer::dragOperationForDraggingInfo(const QMimeData* data, long sequence)
{
    ZEVItemSet set;
    P::AnalysePasteboard(data, sequence);
    const ZEVPasteCounts c = imageCounts();
    if (c.http == 1) {
        if (c.bitmaps == 1)
            P::CheckBitmapImage(P::BitmapImages().first(), P::HttpURLs().first(), set);
        else if (c.pdfs == 1)
            P::CheckPDFImage(P::PDFImages().first(), P::HttpURLs().first(), set);
    } else {
        if (c.bitmaps > 0 && c.files == 0)
            P::CheckBitmapImages(P::BitmapImages(), set);
        if (c.pdfs > 0)
            P::CheckPDFImages(P::PDFImages(), set);
        if (c.files > 0)
            P::CheckFileURLs(P::ImageFileURLs(), set);
    }
    // Shown once per drag: the images a drop would reuse, in the front mode's selection.
    ZEVDeskViewer* desk = importDesk();
    if (desk && space_.draggingSessionInteger() != sequence && !set.empty())
        L::selectInFrontMode(*desk, set.items());
    return backDragOperation(c);
}

bool ZEVBackViewer::userPerformDragOrPaste()
{
    ZEVDeskViewer* desk = importDesk();
    if (!desk)
        return false;
    ZEVItemSet set;
    bool result = false;
    siBeepImport_ = false;
    switch (backImportKind(imageCounts())) {
    case K::ImageWithAddress:
        result = _addBitmapImage(P::BitmapImages().first(), P::HttpURLs().first(), set);
        break;
    case K::PdfWithAddress:
        result = _addPDFImage(P::PDFImages().first(), P::HttpURLs().first(), set);
        break;
    case K::BitmapImages:
        result = _addBitmapImages(P::BitmapImages(), set);
        break;
    case K::PDFImages:
        result = _addPDFImages(P::PDFImages(), set);
        break;
    case K::ImageFileURLs:
        result = _addFileURLs(P::ImageFileURLs(), set);
        break;
    case K::None:
        break;
    }
    if (siBeepImport_)
        Sound::shared().beep();
    finishImport(*desk, set);
    return result;
}

void ZEVBackViewer::finishImport(ZEVDeskViewer& desk, const ZEVItemSet& set)
{
    L::linkToSelectedFilters(desk, set);
    if (KELICurseur* c = space_.actifCurseur())
        c->terminerDeplacementCurseur();
    // An import that brought nothing leaves the selection as it was.
    if (!set.empty())
        L::selectInFrontMode(desk, set.items());
    Scheduler::shared().cancel(this, "_majAndScroll");
    Scheduler::shared().perform(this, "_majAndScroll", kMajAndScrollDelay, [this] { _majAndScroll(); });
}

KELI* ZEVBackViewer::addPastedFile(ZEVDeskViewer& desk, const QString& title, const char* icon, const QUrl& httpURL,
                                   const std::function<QString(KELI*)>& write)
{
    KELI* item = L::creer(desk, title, "file", QString::fromLatin1(icon), 0);
    if (!item)
        return nullptr;
    const QString file = write(item);
    if (file.isEmpty()) {
        // Nothing to show: the Object goes with its picture, and the import says so once.
        logFormat("ZEVBackViewer: the picture %s could not be written", qUtf8Printable(title));
        ZEVInspectDeleteItem(space_, KELRELATION_BACK_VIEWER, item, "ZEVBackViewer", "KELRELATION_BACK_VIEWER");
        siBeepImport_ = true;
        return nullptr;
    }
    ZEVItemData::Current().createFileURL(file, httpURL, item);
    model_.creerLienBackViewerForItem(item, importDate());
    return item;
}

bool ZEVBackViewer::_addBitmapImages(const QList<ZEVPastedImage>& images, ZEVItemSet& set)
{
    ZEVDeskViewer* desk = importDesk();
    if (!desk)
        return false;
    const std::size_t before = set.size();
    for (const ZEVPastedImage& image : images) {
        const QString name = image.name.isEmpty() ? QStringLiteral("pasted") : image.name;
        if (KELI* item = addPastedFile(*desk, name, "tiff", QUrl(), [&](KELI* i) {
                return ZEVItemData::Current().files().createBitmapImage(image.image, name, i);
            }))
            set.insert(item);
    }
    return set.size() > before;
}

bool ZEVBackViewer::_addPDFImages(const QList<ZEVPastedPdf>& pdfs, ZEVItemSet& set)
{
    ZEVDeskViewer* desk = importDesk();
    if (!desk)
        return false;
    const std::size_t before = set.size();
    for (const ZEVPastedPdf& pdf : pdfs) {
        const QString name = pdf.name.isEmpty() ? QStringLiteral("pasted") : pdf.name;
        if (KELI* item = addPastedFile(*desk, name, "pdf", QUrl(), [&](KELI* i) {
                return ZEVItemData::Current().files().createPdfImage(pdf.data, name, i);
            }))
            set.insert(item);
    }
    return set.size() > before;
}

bool ZEVBackViewer::_addBitmapImage(const ZEVPastedImage& image, const QUrl& httpURL, ZEVItemSet& set)
{
    ZEVDeskViewer* desk = importDesk();
    if (!desk)
        return true;
    QString title = ZEVDeskDrop::displayNameForUrl(httpURL);
    if (title.isEmpty())
        title = image.name;
    L::webObjectForPage(*desk, httpURL, title);
    if (KELI* item = addPastedFile(*desk, title, "tiff", httpURL, [&](KELI* i) {
            return ZEVItemData::Current().files().createBitmapImage(image.image, QFileInfo(title).completeBaseName(), i);
        }))
        set.insert(item);
    return true;
}

bool ZEVBackViewer::_addPDFImage(const ZEVPastedPdf& pdf, const QUrl& httpURL, ZEVItemSet& set)
{
    ZEVDeskViewer* desk = importDesk();
    if (!desk)
        return true;
    QString title = ZEVDeskDrop::displayNameForUrl(httpURL);
    if (title.isEmpty())
        title = pdf.name;
    L::webObjectForPage(*desk, httpURL, title);
    if (KELI* item = addPastedFile(*desk, title, "pdf", httpURL, [&](KELI* i) {
            return ZEVItemData::Current().files().createPdfImage(pdf.data, QFileInfo(title).completeBaseName(), i);
        }))
        set.insert(item);
    return true;
}

bool ZEVBackViewer::_addFileURLs(const QList<QUrl>& urls, ZEVItemSet& set)
{
    ZEVDeskViewer* desk = importDesk();
    const KELDate date = importDate();
    std::vector<KELI*> known;
    for (const QUrl& url : urls) {
        if (!desk || !url.isLocalFile())
            continue;
        const QString path = QFileInfo(url.toLocalFile()).absoluteFilePath();
        if (!QFileInfo::exists(path) || !siImageFile(path)) {
            logFormat("ZEVBackViewer _addFileURLs: no image file at %s", qUtf8Printable(path));
            continue;
        }
        L::Found how = L::Found::None;
        KELI* item = L::fileObject(*desk, path, &how);
        if (item && KELServeurDeLiens::SiLienForRelNum(KELRELATION_BACK_VIEWER, item->idInt())) {
            // Listed before, whatever the dates: recalled rather than listed twice.
            known.push_back(item);
            set.insert(item);
            continue;
        }
        if (!item) {
            const QFileInfo info(path);
            item = L::creer(*desk, info.fileName(), "file", info.suffix(), P::ItemOptionsForFileURL(path));
            if (!item)
                continue;
            ZEVItemData::Current().createFileURL(path, QUrl(), item);
        }
        model_.creerLienBackViewerForItem(item, date);
        set.insert(item);
    }
    model_.recallBacksForItems(known);
    return !urls.isEmpty();
}

// ---------------------------------------------------------------------------------------------
// The add panel

bool ZEVBackViewer::addChosenFiles(const QList<QUrl>& urls)
{
    ZEVDeskViewer* desk = importDesk();
    if (!desk)
        return false;
    QList<QUrl> images;
    for (const QUrl& url : urls)
        if (url.isLocalFile() && siImageFile(url.toLocalFile()))
            images << url;
    if (images.size() != urls.size())
        Sound::shared().beep();
    ZEVItemSet set;
    const bool result = !images.isEmpty() && _addFileURLs(images, set);
    finishImport(*desk, set);
    return result;
}

void ZEVBackViewer::_buttonAddWithUrl(const QString& folder)
{
    ZEVFrontViewerServices* front = space_.frontViewer();
    if (!front) {
        beep();
        return;
    }
    front->addPanelWithUrl(folder, QStringLiteral("Add Images\u2026"),
                           QStringLiteral("Select the images you want to add (as references) in the \"Images Window\""),
                           [this](const QStringList& paths) {
                               QList<QUrl> urls;
                               for (const QString& path : paths)
                                   urls << QUrl::fromLocalFile(path);
                               addChosenFiles(urls);
                           },
                           [this](QFileDialog* panel) {
                               QStringList patterns;
                               for (const QString& e : P::ImageExtensions())
                                   patterns << QStringLiteral("*.") + e;
                               panel->setNameFilter(QStringLiteral("Images (%1)").arg(patterns.join(u' ')));
                               suivrePanneauAjout(panel);
                           });
}

void ZEVBackViewer::btnInspectAdd() { _buttonAddWithUrl(model_.openPanelFolderUrlWithItem(model_.selectedItem())); }

void ZEVBackViewer::menuInspectAdd()
{
    btnInspectAdd();
    Scheduler::shared().cancel(this, "_majAndScroll");
    Scheduler::shared().perform(this, "_majAndScroll", kMajAndScrollDelay, [this] { _majAndScroll(); });
}

} // namespace tallomer
