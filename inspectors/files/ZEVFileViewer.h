#pragma once
// The Files inspector's controller: its model lists the file Objects of the current Channel at
// the active cursor; its panel shows them, rebuilt once shortly after the engine's first notice
// while shown, and when shown again. Its buttons and menus carry out the Files commands on the
// Objects selected in the front mode.

#include "inspectors/base/ZEVInspectPanels.h"
#include "inspectors/base/ZEVInspectViewer.h"
#include "inspectors/files/ZEVFileClass.h"

#include <QGuiApplication>

#include <memory>

namespace tallomer {

class ZEVFileViewer final : public ZEVInspectViewer {
public:
    // The delay from the engine's first notice to the panel's refresh.
    static constexpr double kRebuildDelay = kRefreshDelay;

    ZEVFileViewer(ZEVSpaceController& space, KELId entityInt);
    ~ZEVFileViewer() override;

    ZEVInspectClass* inspectClass() override { return &model_; }
    ZEVFileClass& fileClass() { return model_; }
    std::optional<ZEVInspectNouns> noms() const override;
    // Closes the panel and unchecks its item in the main menu's inspectors menu.
    void buttonInspectCancel() override;
    void channelDidChangeWithIdentityInt(KELId identityInt) override;
    void itemSelectionDidChange() override;
    void frontModeDidChange() override;
    void actifCurseurDidChange() override;
    void showInspectView(bool show) override;
    void majInspectView() override;
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
    bool userFilter() override;
    void userSwap() override;
    void buttonDeselectItems() override;
    // The per-Object forms the row menu uses.
    void userReleaseFileItem(KELI* item);
    void userRecallFileItem(KELI* item);
    void userRecallNowFileItem(KELI* item);
    void userOpenFileItem(KELI* item);
    // Opens the Object of the row double-clicked.
    void openFile(int row);

    // The engine changed the rows.
    void moteurChangeFile() { moteurChangeRows(); }

protected:
    std::unique_ptr<ZEVInspectView> creerInspectView() override { return std::make_unique<ZEVFileView>(*this); }
    void awakeFromNib() override;
    void appliquer(Commande commande, const std::vector<KELI*>& items) override;
    bool siItemActif(KELI* item) override { return model_.isItemActif(item); }
    bool siItemActifNow(KELI* item) override { return model_.isItemActifNow(item); }
    std::optional<std::string> typeForItem(KELI* item) override { return model_.itemTypeForItem(item); }
    std::optional<std::string> titleForItem(KELI* item) override { return model_.itemTitleForItem(item); }
    quint64 nombreDeRows() override { return model_.actifItems().size(); }
    bool siTrouves() override { return !model_.foundedItemSet().empty(); }

private:
    // The Object of the row under the pointer; nullptr outside the table's visible rows.
    KELI* objetSousLePointeur();

    ZEVFileClass model_;
};

} // namespace tallomer
