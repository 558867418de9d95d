// The Images panel's imports: what is dropped or pasted on its table, and the add panel's image
// files. The lookups and the making of Objects are the desk's own; only images come in, one kind
// per drop, each with its presence in the panel from the active cursor's moment.

#include "desk/data/ZEVItemData.h"
#include "desk/viewer/ZEVDeskDrop.h"
#include "desk/viewer/ZEVDeskViewer.h"
#include "desk/viewer/ZEVImportLookups.h"
#include "engine/KELICurseur.h"
#include "engine/KELServeurDeLiens.h"
#include "inspectors/images/ZEVBackViewer.h"
#include "runtime/Log.h"
#include "runtime/Scheduler.h"
#include "services/ZEVFrontViewerServices.h"
#include "services/ZEVSpaceForDeskViewers.h"
#include "space/ZEVConstants.h"
#include "space/ZEVSpaceController.h"


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
    ZEVDeskViewer* desk = imports_.desk();
    if (desk && space_.draggingSessionInteger() != sequence && !set.empty())
        L::selectInFrontMode(*desk, set.items());
    return backDragOperation(c);
}

bool ZEVBackViewer::userPerformDragOrPaste()
{
    return runImport([this](ZEVItemSet& set) {
        switch (backImportKind(imageCounts())) {
        case K::ImageWithAddress:
            return _addBitmapImage(P::BitmapImages().first(), P::HttpURLs().first(), set);
        case K::PdfWithAddress:
            return _addPDFImage(P::PDFImages().first(), P::HttpURLs().first(), set);
        case K::BitmapImages:
            return _addBitmapImages(P::BitmapImages(), set);
        case K::PDFImages:
            return _addPDFImages(P::PDFImages(), set);
        case K::ImageFileURLs:
            return _addFileURLs(P::ImageFileURLs(), set);
        case K::None:
            break;
        }
        return false;
    });
}

void ZEVBackViewer::finishImport(ZEVDeskViewer& desk, const ZEVItemSet& set)
{
    imports_.finish(desk, set);
    Scheduler::shared().cancel(this, "_majAndScroll");
    Scheduler::shared().perform(this, "_majAndScroll", kMajAndScrollDelay, [this] { _majAndScroll(); });
}

bool ZEVBackViewer::_addFileURLs(const QList<QUrl>& urls, ZEVItemSet& set)
{
    imports_.addFileURLs(urls, set);
    return !urls.isEmpty();
}

// ---------------------------------------------------------------------------------------------
// The add panel

bool ZEVBackViewer::addChosenFiles(const QList<QUrl>& urls)
{
    ZEVDeskViewer* desk = imports_.desk();
    if (!desk)
        return false;
    ZEVItemSet set;
    const bool result = imports_.addChosenFiles(urls, set) >= 0;
    finishImport(*desk, set);
    return result;
}

void ZEVBackViewer::btnInspectAdd() { _buttonAddWithUrl(model_.openPanelFolderUrlWithItem(model_.selectedItem())); }

void ZEVBackViewer::menuInspectAdd()
{
    btnInspectAdd();
    Scheduler::shared().cancel(this, "_majAndScroll");
    Scheduler::shared().perform(this, "_majAndScroll", kMajAndScrollDelay, [this] { _majAndScroll(); });
}

} // namespace tallomer
