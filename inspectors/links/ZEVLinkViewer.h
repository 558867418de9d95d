#pragma once
// The Links inspector's controller: it makes the model at start-up (the program's index of link
// pairs, whether or not the panel is ever opened), shows the pairs of the time line's span in its
// panel, refreshed once shortly after the engine's first notice while shown, and carries out the
// user's commands on the links the front mode selects. The menus count links and Objects apart;
// Quick Look shows both ends of each link, the end under the pointer first.

#include "inspectors/base/ZEVInspectMenus.h"
#include "inspectors/base/ZEVInspectPanels.h"
#include "inspectors/base/ZEVInspectViewer.h"
#include "inspectors/links/ZEVLinkClass.h"

#include <QGuiApplication>

namespace tallomer {

class ZEVSpaceController;

class ZEVLinkViewer final : public ZEVInspectViewer, public ZEVLinkViewerServices, public ZEVLinkClassDelegate {
public:
    // How the preview comes forward for that many Objects: not at all, in front without the keys,
    // or over everything.
    enum class Presentation { None, Front, Key };

    ZEVLinkViewer(ZEVSpaceController& space, KELId entityInt);
    ~ZEVLinkViewer() override;
    ZEVLinkClassServices* linkClass() override { return &model_; }
    ZEVLinkClass& model() { return model_; }
    ZEVInspectClass* inspectClass() override { return &model_; }
    std::optional<ZEVInspectNouns> noms() const override { return ZEVLinkClass::nouns(); }
    // Closes the panel and unchecks its item in the main menu's inspectors menu.
    void buttonInspectCancel() override;

    void channelDidChangeWithIdentityInt(KELId identityInt) override;
    void actifCurseurDidChange() override;
    void frontModeDidChange() override;
    void itemSelectionDidChange() override;
    void showInspectView(bool show) override;
    void majInspectView() override;

    // ---- the model's notices ----
    void moteurChangeLink() override { moteurChangeRows(); }
    void linkRowsSelected(quint64 n) override;
    void linkSearchingDidFinish() override { searchingDidFinish(); }

    // ---- menus ----
    // The counts over the front mode's links (A active, I not, N not at Now while Search is
    // active); nTotal is the Objects the mode takes, `links` the links.
    ZEVInspectCounts compterLesLiens(int mode, quint64& links);
    ZEVInspectCounts compter(int mode) override
    {
        quint64 links = 0;
        return compterLesLiens(mode, links);
    }
    static std::vector<ZEVMenuLine> editLines(const ZEVInspectCounts& c);
    static std::vector<ZEVMenuLine> objectLines(const ZEVInspectCounts& c, quint64 links);
    static std::vector<ZEVMenuLine> macLines(const ZEVInspectCounts& c);
    void updateMenuMacForMode(int frontMode) override;
    void updateMenuEdit(QMenu* menu) override;
    void updateMenuObject(QMenu* menu) override;
    void menuEntity() override {}
    // The finds by holder: the operation from the modifiers held.
    void menuFindZevHeld() override { trouver(ZEVLinkClass::HeldByZev); }
    void menuFindZevFolderHeld() override { trouver(ZEVLinkClass::HeldByZevFolder); }
    void menuFindMacHeld() override { trouver(ZEVLinkClass::HeldBySystem); }
    void menuFindExtHeld() override { trouver(ZEVLinkClass::HeldExternally); }

    // ---- the user's commands on the front mode's links ----
    void userOpen() override { model_.openLinksForFrontMode(); }
    void userDelete() override;
    void userMoveTo() override;
    void userMoveToSpace() override;
    void userCopyTo() override;
    void userCopyToSpace() override;
    void userDuplicateTo() override;
    void userDuplicateToSpace() override;
    // Only for exactly two Objects.
    void userShowOriginal() override;
    bool userGetInfo() override;
    bool userFilter() override;
    void userSwap() override { model_.swapForFrontMode(); }
    void userRecallNow() override { buttonRecallNowItems(); }
    void userRecall() override { buttonRecallItems(); }
    void userRetain() override { buttonRetainItems(); }
    void userRelease() override { buttonReleaseItems(); }
    void userForget() override { buttonForgetItems(); }
    void userDeselect() override;
    void buttonDeselectItems() override { userDeselect(); }
    void buttonRecallNowItems() override;
    void buttonRecallItems() override;
    void buttonRetainItems() override;
    void buttonReleaseItems() override;
    void buttonForgetItems() override;

    // ---- Quick Look ----
    // Both ends of each link, the child first when the column is the child's; with `once`, each
    // Object once.
    static std::vector<KELI*> quickLookItems(const std::vector<ZEVLinkPair*>& links, int column, bool once);
    static Presentation presentationForCount(std::size_t n);
    bool userToggleQL(bool fromButton) override;
    int qlColumn() const { return QLColumn_; }

protected:
    std::unique_ptr<ZEVInspectView> creerInspectView() override { return std::make_unique<ZEVLinkView>(*this); }
    void awakeFromNib() override;
    std::optional<std::string> titleForItem(KELI* item) override { return model_.itemTitleForItem(item); }
    std::optional<std::string> typeForItem(KELI* item) override { return model_.itemTypeForItem(item); }
    quint64 nombreDeRows() override { return model_.linksExistants().size(); }

private:
    std::vector<ZEVLinkPair*> liensDuMode() { return model_.linksForFrontMode().value_or(std::vector<ZEVLinkPair*>()); }
    void trouver(ZEVLinkClass::Holder holder);
    // The table's row and column under the pointer (-1 for none); false when the pointer is outside
    // the panel's content.
    bool sousLePointeur(int& row, int& column, bool& dansLaTable) const;
    void montrer(const std::vector<KELI*>& items);
    void apresCommande(KELICurseur* curseur);

    ZEVLinkClass model_;
    int QLColumn_ = -1;
};

} // namespace tallomer
