#pragma once
// The Images inspector's controller: its model lists the image Objects of the current Channel at
// the active cursor with their colours; its panel shows them with their thumbnails beside the
// preview of the selected one, rebuilt once shortly after the engine's first notice while shown,
// and when shown again. Its buttons and menus carry out the Images commands on the images
// selected in the front mode, test an image full screen as the desk would show it, and start a
// new Channel or Space from it. Drops, pastes and the add panel bring images in.

#include "desk/pasteboard/ZEVPasteboard.h"
#include "inspectors/base/ZEVInspectViewer.h"
#include "inspectors/core/ZEVInspectDrag.h"
#include "inspectors/core/ZEVInspectImporting.h"
#include "inspectors/files/ZEVFileImports.h"
#include "inspectors/images/ZEVBackClass.h"
#include "inspectors/images/ZEVBackTest.h"
#include "inspectors/images/ZEVBackView.h"
#include "platform/SystemColours.h"

#include <QColor>

#include <memory>

namespace tallomer {

class ZEVDeskViewer;

// The one kind of thing an Images drop or paste brings in, in order of preference: a web page's
// one picture, else pasted bitmaps unless image files come too, else PDFs, else image files.
enum class ZEVBackImportKind { None, ImageWithAddress, PdfWithAddress, BitmapImages, PDFImages, ImageFileURLs };
// `c.files` counts image files only.
ZEVBackImportKind backImportKind(const ZEVPasteCounts& c);
// Link when an image of any kind comes, none otherwise (web links alone are refused).
Qt::DropAction backDragOperation(const ZEVPasteCounts& c);

class ZEVBackViewer final : public ZEVInspectViewer,
                            public ZEVInspectDragClient,
                            public ZEVInspectImporting,
                            public ZEVBackTestClient {
public:
    // The delay from the engine's first notice to the panel's refresh.
    static constexpr double kRebuildDelay = 0.03;
    // From an import or an Add to the refresh that shows its rows.
    static constexpr double kMajAndScrollDelay = 0.05;
    // From a new Channel or Space made to the panel closing.
    static constexpr double kFermerDelay = 0.4;

    ZEVBackViewer(ZEVSpaceController& space, KELId entityInt);
    ~ZEVBackViewer() override;

    ZEVInspectClass* inspectClass() override { return &model_; }
    ZEVBackClass& backClass() { return model_; }
    // The panel and its table, once the panel is built; nullptr before.
    ZEVBackView* backView() const;
    ZEVBackTableView* backTableView() const;
    std::optional<ZEVInspectNouns> noms() const override { return ZEVBackClass::nouns(); }
    // Closes the panel and unchecks its item in the main menu's inspectors menu.
    void buttonInspectCancel() override;
    void channelDidChangeWithIdentityInt(KELId identityInt) override;
    void itemSelectionDidChange() override;
    void frontModeDidChange() override;
    void actifCurseurDidChange() override;
    void showInspectView(bool show) override;
    void openInspectViewAnimationDone() override;
    void hideInspectViewAnimationDone() override;
    void majInspectView() override;
    // Opens the Pictures folder with the desktop's opener.
    void menuEntity() override;
    // The listed images whose files lie in the program's folders, with the system, on an
    // external volume: replacing, joining, meeting or leaving the selection by the keys held.
    void menuFindZevHeld() override { trouver(&ZEVRowsClass::selectZevHeldItemsWithOperation); }
    void menuFindMacHeld() override { trouver(&ZEVRowsClass::selectMacHeldItemsWithOperation); }
    void menuFindExtHeld() override { trouver(&ZEVRowsClass::selectExtHeldItemsWithOperation); }

    // ---- the user's commands on the images the front mode selects in the panel ----
    void userOpen() override;
    // Deletes the images (their backgrounds rewritten after the user said Yes).
    void userDelete() override;

    // The image of the row (-1: none) is the one the preview shows, on its colour; a row whose
    // thumbnail has not come leaves the preview as it is (its arrival calls again).
    void displayImageFromRow(int row);
    // The shown image's colour changed at the active cursor.
    void userChangeFillColor(const QColor& color);
    int previewRow() const { return previewRow_; }
    const QColor& previewColor() const { return previewColor_; }
    // Test, New Channel, New Space and the scale pop-up, from the table's selection.
    void majPreviewButtons();

    // ---- the full-screen test ----
    void testImage();
    ZEVBackTest& test() { return test_; }

    // ---- a new Channel or Space from the selected image ----
    void btnSetAsNewChannel();
    void btnSetAsDesktopWallpaperClick();

    // Reloads the table and brings the selected row into view.
    void _majAndScroll();

    // ---- imports ----
    // The drag's images already known are selected by front mode; Link when it carries images.
    Qt::DropAction dragOperationForDraggingInfo(const QMimeData* data, long sequence) override;
    // Imports one kind of image from the analysed pasteboard at the active cursor; whether
    // anything came in. When nothing came the selection stays.
    bool userPerformDragOrPaste() override;
    // Image files chosen in the add panel ("Add Images…", image files only), imported as a drop
    // of them would be.
    bool addChosenFiles(const QList<QUrl>& urls) override;
    void btnInspectAdd() override;
    void menuInspectAdd() override;
    // The Object menu's Add, as the panel's own menu does it.
    void userAdd() override { menuInspectAdd(); }
    bool _addFileURLs(const QList<QUrl>& urls, ZEVItemSet& set);

    // ---- ZEVBackTestClient ----
    int testSelectedRow() override;
    ZEVBackObject* testBackObjectForRow(int row) override { return model_.backObjectForRow(row); }
    QColor testColorForRow(int row) override;
    void testRenderBackObject(ZEVBackObject& object, const QSize& size) override;
    void testPointerHidden(bool hidden) override;

    // The panel covers the strip with its table only: a cursor behind the preview counts as seen.
    double largeurRegardee() const override;
    // A preview copy carrying the image's thumbnail and its ratio, zooming from its table cell;
    // ratio 1 and the type's icon while the thumbnail has not come.
    std::unique_ptr<ZEVItemViewCopy> copiePourLePreview(KELI* item) override;
    // Pictures from cameras and archives may well carry 1970 as their creation date.
    bool siNaissance1970Valide() const override { return true; }

protected:
    std::unique_ptr<ZEVInspectView> creerInspectView() override { return std::make_unique<ZEVBackView>(*this); }
    void awakeFromNib() override;
    void appliquer(Commande commande, const std::vector<KELI*>& items) override;
    bool siItemActif(KELI* item) override { return model_.isItemActif(item); }
    bool siItemActifNow(KELI* item) override { return model_.isItemActifNow(item); }
    std::optional<std::string> typeForItem(KELI* item) override { return model_.itemTypeForItem(item); }
    std::optional<std::string> titleForItem(KELI* item) override { return model_.itemTitleForItem(item); }
    quint64 nombreDeRows() override { return model_.actifItems().size(); }
    bool siTrouves() override { return !model_.foundedItemSet().empty(); }

private:
    void trouver(void (ZEVRowsClass::*select)(int));
    // Filters, the cursor's move, the selection by front mode, the refresh.
    void finishImport(ZEVDeskViewer& desk, const ZEVItemSet& set) override;
    // The new Channel or Space from the selected image, closing the panel after a YES.
    void newFromImage(bool channel);

    ZEVBackClass model_;
    ZEVBackTest test_{*this};
    int previewRow_ = -1;
    QColor previewColor_{systemDarkGrey()};
    // The rows visible when the panel began to hide.
    ZEVRowRange visibleRowsRange_;
};

} // namespace tallomer
