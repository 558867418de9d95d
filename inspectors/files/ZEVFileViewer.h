#pragma once
// The Files inspector's controller: its model lists the file Objects of the current Channel at
// the active cursor; its panel shows them, rebuilt once shortly after the engine's first notice
// while shown, and when shown again. Its buttons and menus carry out the Files commands on the
// Objects selected in the front mode.

#include "inspectors/base/ZEVInspectPanels.h"
#include "inspectors/core/ZEVRowsViewer.h"
#include "inspectors/core/ZEVInspectDrag.h"
#include "inspectors/core/ZEVInspectImporting.h"
#include "inspectors/files/ZEVFileClass.h"
#include "inspectors/files/ZEVFileImports.h"
#include "desk/model/ZEVItemOptions.h"
#include "desk/pasteboard/ZEVPasteboard.h"

#include <QGuiApplication>

#include <functional>
#include <memory>

namespace tallomer {

class ZEVDeskViewer;

class ZEVFileViewer final : public ZEVRowsViewer, public ZEVInspectDragClient, public ZEVInspectImporting {
public:
    // The delay from the engine's first notice to the panel's refresh.
    static constexpr double kRebuildDelay = kRefreshDelay;

    ZEVFileViewer(ZEVSpaceController& space, KELId entityInt);
    ~ZEVFileViewer() override;

    ZEVRowsClass& rows() override { return model_; }
    ZEVFileClass& fileClass() { return model_; }
    std::optional<ZEVInspectNouns> noms() const override;
    // The finds by holder take their operation from the modifiers held.
    void menuFindZevHeld() override
    {
        model_.findHeldWithModifiers(ZEVFileClass::HeldByZev, QGuiApplication::keyboardModifiers());
    }
    void menuFindMacHeld() override
    {
        model_.findHeldWithModifiers(ZEVFileClass::HeldBySystem, QGuiApplication::keyboardModifiers());
    }
    void menuFindExtHeld() override
    {
        model_.findHeldWithModifiers(ZEVFileClass::HeldExternally, QGuiApplication::keyboardModifiers());
    }

    // ---- the user's commands on the Objects the front mode selects in the panel ----
    void userOpen() override;
    void userDelete() override;
    void userMoveTo() override;
    void userMoveToSpace() override;
    void userCopyTo() override;
    void userCopyToSpace() override;
    // Duplicating file Objects is not offered: a log line.
    void userDuplicateTo() override;
    void userDuplicateToSpace() override;
    void userShowOriginal() override;
    bool userGetInfo() override;
    // The per-Object forms the row menu uses.
    void userReleaseFileItem(KELI* item);
    void userRecallFileItem(KELI* item);
    void userRecallNowFileItem(KELI* item);
    void userOpenFileItem(KELI* item);
    // Opens the Object of the row double-clicked.
    void openFile(int row);


    // ---- imports: what is dropped or pasted on the table, and the add panel's files ----
    // The drag's Objects already known are selected as icons; the answer by what it holds.
    Qt::DropAction dragOperationForDraggingInfo(const QMimeData* data, long sequence) override;
    // Imports the analysed pasteboard at the active cursor; whether anything came in. The
    // Objects that came are linked to the selected Filters and selected in the front mode; when
    // none came the selection stays.
    bool userPerformDragOrPaste() override;
    // Files chosen in the add panel ("Add Files…"), imported as a paste of them would be.
    bool addChosenFiles(const QList<QUrl>& urls) override;
    void btnInspectAdd() override;

    // One import per kind; each collects the Objects it made or reused in the set. Known files
    // (ever listed in the panel) and known web addresses (ever on a desk) are recalled at the
    // active cursor; the others get a presence from the cursor's date.
    bool _addFileURLs(const QList<QUrl>& urls, ZEVItemSet& set);
    bool _addITunesTracks(const QList<ZEVTrack>& tracks, ZEVItemSet& set);
    bool _addAttributedStrings(const QList<ZEVRichText>& texts, ZEVItemSet& set);
    bool _addHttpURLs(const QList<QUrl>& urls, ZEVItemSet& set);
    bool _addBookmarkDicos(const QList<PastedBookmark>& bookmarks, ZEVItemSet& set);

protected:
    std::unique_ptr<ZEVInspectView> creerInspectView() override { return std::make_unique<ZEVFileView>(*this); }
    void awakeFromNib() override;
    void appliquer(Commande commande, const std::vector<KELI*>& items) override;

private:
    // Steps 3 to 6 of an import: Filters, the cursor move, the selection, the table.
    void finishImport(ZEVDeskViewer& desk, const ZEVItemSet& set) override;

    ZEVFileClass model_;
};

} // namespace tallomer
