#include "inspectors/core/ZEVInspectImporting.h"

#include "desk/pasteboard/ZEVPasteboard.h"
#include "platform/sound/Sound.h"

namespace tallomer {

ZEVInspectImporting::ZEVInspectImporting(ZEVInspectViewer& viewer, ZEVInspectImports::Kind kind)
    : imports_(viewer, std::move(kind))
{
}

bool ZEVInspectImporting::_addBitmapImages(const QList<ZEVPastedImage>& images, ZEVItemSet& set)
{
    return imports_.addPasted(images, set) > 0;
}

bool ZEVInspectImporting::_addPDFImages(const QList<ZEVPastedPdf>& pdfs, ZEVItemSet& set)
{
    return imports_.addPasted(pdfs, set) > 0;
}

bool ZEVInspectImporting::_addBitmapImage(const ZEVPastedImage& image, const QUrl& httpURL, ZEVItemSet& set)
{
    imports_.addPagePicture(image, httpURL, set);
    return true;
}

bool ZEVInspectImporting::_addPDFImage(const ZEVPastedPdf& pdf, const QUrl& httpURL, ZEVItemSet& set)
{
    imports_.addPagePicture(pdf, httpURL, set);
    return true;
}

void ZEVInspectImporting::_buttonAddWithUrl(const QString& folder)
{
    imports_.openAddPanel(folder, [this](const QList<QUrl>& urls) { addChosenFiles(urls); });
}

bool ZEVInspectImporting::runImport(const std::function<bool(ZEVItemSet& set)>& kinds)
{
    ZEVDeskViewer* desk = imports_.desk();
    if (!desk)
        return false;
    ZEVItemSet set;
    // A beep owed by an earlier import is not this one's.
    imports_.takeBeep();
    const bool result = kinds(set);
    if (imports_.takeBeep())
        Sound::shared().beep();
    finishImport(*desk, set);
    ZEVPasteboard::TellLeftOut();
    return result;
}

} // namespace tallomer
