#pragma once
// The Icons inspector's controller: its panel lists every Object that lay on a desk in the span the
// timeline shows, of every Channel. Its row buttons hand the commands to the front layer, so that
// they do what the same commands do on the desk; its finds select the desk's Objects by holder and
// by kind; its go-to steps follow the same Objects, or the current Space's changes.

#include "inspectors/base/ZEVInspectPanels.h"
#include "inspectors/base/ZEVInspectViewer.h"
#include "inspectors/icons/ZEVIconClass.h"
#include "inspectors/icons/ZEVIconMenus.h"
#include "services/ZEVInspectorServices.h"

#include <cstdint>
#include <functional>

namespace tallomer {

class ZEVFrontClass;
class ZEVSpaceController;

class ZEVIconViewer final : public ZEVInspectViewer, public ZEVIconViewerServices {
public:
    ZEVIconViewer(ZEVSpaceController& space, KELId entityInt);
    ~ZEVIconViewer() override;

    ZEVIconClass& model() { return model_; }
    ZEVIconClassServices* iconClass() override { return &model_; }
    ZEVInspectClass* inspectClass() override { return &model_; }
    std::optional<ZEVInspectNouns> noms() const override { return ZEVIconClass::nouns(); }
    // Closes the panel and unchecks its item in the main menu's inspectors menu.
    void buttonInspectCancel() override;
    void channelDidChangeWithIdentityInt(KELId identityInt) override;
    void itemSelectionDidChange() override;
    void frontModeDidChange() override;
    void actifCurseurDidChange() override;
    void showInspectView(bool show) override;
    void majInspectView() override;
    // Redrawn after a desk command re-placed its cursor or the timeline moved: the buttons follow
    // once the burst settles, as the rows hear only of what changes over the timeline's span.
    void displayInspectView() override;

    // The mode's Objects removed from the desks, each kept when something else holds it.
    void userDelete() override;
    // The first Object of the mode's selection shown in the file manager.
    void userShowOriginal() override;
    // The Search cursor to the previous or next change of the mode's selected Objects while the
    // tracks are open, else of the current Channel (`siSame`: within the current Space). True
    // when the step showed the Now cursor instead; a beep and false when there is no such change.
    bool userGotoPreviousItemSiSame(bool siSame) override { return allerAuChangement(true, siSame); }
    bool userGotoNextItemSiSame(bool siSame) override { return allerAuChangement(false, siSame); }
    // The menu bar's items enabled by what the mode's commands would take (nothing in mode 4).
    // With no panel focused the desk's menus are these.
    void updateMenuMacForMode(int frontMode) override;
    // The Object items titled and enabled by the mode's Objects (with no panel focused, Link
    // mode's Remove is the front layer's to title).
    void updateMenuObject(QMenu* menu) override;
    // The temporal items of the active cursor shown, the other cursor's hidden, each titled and
    // enabled by the selection its command takes.
    void updateMenuEdit(QMenu* menu) override;
    void menuWillOpen(QMenu* menu) override;
    void menuDidClose(QMenu* menu) override;
    // The Recall, Retain, Release and Forget buttons enabled as the Edit menu's items are.
    void majActionButtons() override;
    // What the menus and buttons count, in that front mode; `chemins`: the moves and copies into
    // the store also by where each file lies now.
    ZEVIconMenuCounts compterPourLesMenus(int mode, bool chemins = true);
    bool findInChannelsForItems(const std::vector<KELI*>& items, bool textual) override
    {
        return model_.findInChannelsForItems(items, textual);
    }
    // The mode's Objects the file jobs may take go to the front class's transfer queue.
    void userMoveTo() override;
    void userMoveToSpace() override;
    void userCopyTo() override;
    void userCopyToSpace() override;
    void userDuplicateTo() override;
    void userDuplicateToSpace() override;
    void userDeselect() override;

    // The row buttons: the front layer's commands, as on the desk.
    void buttonRecallNowItems() override;
    void buttonRecallItems() override;
    void buttonRetainItems() override;
    void buttonReleaseItems() override;
    void buttonForgetItems() override;
    // Add from the panel's button: the front layer's Add Documents panel.
    void btnInspectAdd() override;
    // Add from a menu: the same panel, opened in the folder of the Object whose row menu was
    // prepared last.
    void menuInspectAdd() override;

    // ---- the eight finds: the rows that pass go into the mode's selection by the keys held ----
    // The program's own folder (0x20); from a menu or the front layer every Channel's rows, else
    // the current Channel's.
    void menuFindZevHeld() override { findZevHeld(true); }
    void findZevHeld(bool withSender);
    // The drop folder (0x20000), the system (none of 0x20, 0x200, 0x20000), an external volume
    // (0x200); contacts, mails (a "message", or a file whose name ends in ".eml"), web links and
    // other files: the current Channel's rows only.
    void menuFindZevFolderHeld() override;
    void menuFindMacHeld() override;
    void menuFindExtHeld() override;
    void menuFindFiles() override;
    void menuFindPersons() override;
    void menuFindEmails() override;
    void menuFindBookmarks() override;
    // The test of one kind find on an Object of the given type whose file is at `path`.
    enum class Kind { Files, Persons, Emails, Bookmarks };
    static bool siKind(Kind kind, const std::string& type, const QString& path);

    // After a step that showed the Now cursor: Previous 0.7 s; Next leaves its button on.
    static constexpr double kGotoOffPreviousNow = 0.7;

protected:
    std::optional<double> gotoOffAfterNow(bool precedent) const override
    {
        return precedent ? std::optional<double>(kGotoOffPreviousNow) : std::nullopt;
    }
    std::unique_ptr<ZEVInspectView> creerInspectView() override;
    void awakeFromNib() override;
    bool siItemActif(KELI* item) override { return model_.isItemActif(item); }
    bool siItemActifNow(KELI* item) override { return model_.isItemActifNow(item); }
    std::optional<std::string> typeForItem(KELI* item) override { return model_.itemTypeForItem(item); }
    std::optional<std::string> titleForItem(KELI* item) override { return model_.itemTitleForItem(item); }
    quint64 nombreDeRows() override { return model_.actifListe().size(); }

private:
    bool allerAuChangement(bool versLePasse, bool siSame);
    // The rows that pass, of the current Channel only unless `everyChannel`, selected with the
    // operation of the modifiers held.
    void trouver(const std::function<bool(KELI*)>& test, bool everyChannel);
    void trouverKind(Kind kind);
    void transfer(std::optional<std::vector<KELI*>> items, void (ZEVFrontClass::*to)(const std::vector<KELI*>&));
    // A temporal command of the desk on its selection, then the buttons as it leaves them.
    void commeSurLeBureau(void (ZEVFrontViewerServices::*commande)());

    ZEVIconClass model_;
};

} // namespace tallomer
