#pragma once
// The import job a panel listing Objects by a presence (Files, Images) runs the same way on every
// drop or paste: the pictures the pasteboard holds become Objects listed in the panel, a beep is
// owed for a picture that could not be written, the panel closes the import its own way and what
// the pasteboard left out is told; its add panel hands the files chosen back to the panel. Which
// kinds come in, and in what order, the panel says.

#include "inspectors/core/ZEVInspectImports.h"

#include <functional>

namespace tallomer {

class ZEVInspectImporting {
public:
    // The pasted pictures, each a new Object listed from now; whether any came.
    bool _addBitmapImages(const QList<ZEVPastedImage>& images, ZEVItemSet& set);
    bool _addPDFImages(const QList<ZEVPastedPdf>& pdfs, ZEVItemSet& set);
    // A web page's one picture with its address; always handled.
    bool _addBitmapImage(const ZEVPastedImage& image, const QUrl& httpURL, ZEVItemSet& set);
    bool _addPDFImage(const ZEVPastedPdf& pdf, const QUrl& httpURL, ZEVItemSet& set);
    // The add panel opened at the folder with the panel's texts; its choice goes to addChosenFiles.
    void _buttonAddWithUrl(const QString& folder);
    // Files chosen in the add panel, imported as a drop of them would be.
    virtual bool addChosenFiles(const QList<QUrl>& urls) = 0;

protected:
    // `viewer` (not owned) is the panel's controller, which derives from this.
    ZEVInspectImporting(ZEVInspectViewer& viewer, ZEVInspectImports::Kind kind);
    virtual ~ZEVInspectImporting() = default;
    ZEVInspectImporting(const ZEVInspectImporting&) = delete;
    ZEVInspectImporting& operator=(const ZEVInspectImporting&) = delete;

    // One drop or paste at the active cursor's desk: `kinds` imports what came into the set and
    // answers whether anything did. False without a desk.
    bool runImport(const std::function<bool(ZEVItemSet& set)>& kinds);
    // The panel's close of an import: the shared one (imports_.finish) and its own.
    virtual void finishImport(ZEVDeskViewer& desk, const ZEVItemSet& set) = 0;

    ZEVInspectImports imports_;
};

} // namespace tallomer
