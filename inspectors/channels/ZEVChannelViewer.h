#pragma once
// The Channels inspector's controller. It lives from the Space's start to the end: its toolbar
// carries the window's navigation through Channels, Spaces and time. It makes the model (rows
// filled and kept by the engine from creation on), builds the panel, keeps the count field, the
// zoom pop-up and the go buttons in step with the current Channel, the active cursor and the
// strip, and renames the current Space in place in the count field.

#include "inspectors/base/ZEVInspectViewer.h"
#include "inspectors/channels/ZEVChannelClass.h"
#include "inspectors/channels/ZEVChannelRules.h"
#include "inspectors/channels/ZEVChannelView.h"
#include "services/ZEVInspectorServices.h"

#include <memory>

class QIcon;
class QMenu;

namespace tallomer {

class ZEVChannelModifyPanel;
class ZEVChannelAddPanel;
class ZEVChannelTableView;
class ZEVMenuPreview;
class ZEVMenuPreviewTarget;

class ZEVChannelViewer final : public ZEVInspectViewer, public ZEVChannelViewerServices, public ZEVChannelClassOwner {
public:
    // Redisplay delays: the framework's, the window's resize (common modes), the engine's.
    static constexpr double kRedisplay = 0.1;
    static constexpr double kRedisplayCommonModes = 0.3;
    static constexpr double kRedisplayEngine = 0.07;
    static constexpr double kGotoOff = 0.2;
    static constexpr double kGotoOffAfterMove = 0.1;

    ZEVChannelViewer(ZEVSpaceController& space, KELId entityInt);
    ~ZEVChannelViewer() override;

    ZEVChannelClassServices* channelClass() override { return &model_; }
    ZEVChannelClass& channelModel() { return model_; }
    ZEVInspectClass* inspectClass() override { return &model_; }
    // nullptr until the panel was first shown.
    ZEVChannelView* channelView() const { return static_cast<ZEVChannelView*>(inspectViewIfBuilt()); }
    ZEVChannelTableView* channelTableView() const;

    // ---- notices ----
    void channelDidChangeWithIdentityInt(KELId identityInt) override;
    void actifCurseurDidChange() override;
    void terminerDeplacementCurseur() override;
    void showInspectView(bool show) override;
    void openInspectViewAnimationDone() override;
    void inspectStepBack() override;
    // Coalesced: one redisplay 0.1 s after the first request while the panel shows.
    void majInspectView() override;
    void majInspectViewCommonModes() override;
    void majInspectField() override;
    void updateMenuMacForMode(int frontMode) override;
    void updateMenuEdit(QMenu* menu) override;
    void updateMenuObject(QMenu* menu) override;
    // What the redisplay does, run at once.
    void _majInspectView();

    // ---- the shared viewer commands, for Channels ----
    void buttonInspectCancel() override;
    void userDeselect() override { majInspectField(); }
    void userDelete() override {}
    void userMoveTo() override {}
    void userMoveToSpace() override {}
    void userCopyTo() override {}
    void userCopyToSpace() override {}
    void userShowOriginal() override {}
    bool userToggleQL(bool) override { return false; }
    bool userGotoPrevious() override { return false; }
    bool userGotoNext() override { return false; }
    void userFind() override { menuInspectFind(); }
    void userGoHome(bool on);
    // The front layer's edit commands, at the active cursor.
    void userRecallNow() override { userRecall(); }
    void userRecall() override;
    void userRetain() override;
    void userRelease() override;
    void userForget() override;
    // The selected Channel's listing recalled or released; the other action buttons do nothing.
    void buttonRecallItems() override;
    void buttonReleaseItems() override;
    void buttonRecallNowItems() override {}
    void buttonRetainItems() override {}
    void buttonForgetItems() override {}
    void userWillCleanAndReplace() override;
    void userDidCleanAndReplace() override;
    bool siCleanAndReplaceLit() override { return cleanAndReplaceLit_; }
    // Select the next or the previous row alone; nothing past the list's ends.
    void userChannelDown();
    void userChannelUp();
    void userChannelSelectInt(KELId channelInt) { model_.selectChannelInt(channelInt); }

    // ---- navigation ----
    void menuChannelUp() override;
    void menuChannelDown() override;
    // With the keys held: Ctrl keeps to the same picture, Meta alone skips pictures already met.
    void menuPreviousSpace();
    void menuNextSpace();
    void userPreviousSpace();
    void userNextSpace();
    void menuPreviousSpaceDistinct();
    void menuNextSpaceDistinct();
    void menuHomeTime();
    void menuInspectPrevious() override;
    void menuInspectNext() override;
    void btnInspectPrevious() override { menuInspectPrevious(); }
    void btnInspectNext() override { menuInspectNext(); }
    // The list's type-select field, shown or hidden.
    void menuInspectFind() override;
    // The front viewer's search field of the selection list.
    void menuFindObjects();
    // The front viewer's finds on the Objects, then the tracks show.
    void menuFindZevHeld() override;
    void menuFindZevFolderHeld() override;
    void menuFindMacHeld() override;
    void menuFindExtHeld() override;
    void menuFindFiles() override;
    void menuFindPersons() override;
    void menuFindEmails() override;
    void menuFindBookmarks() override;
    void menuEntity() override {}
    // A long press, or a drag resting on a button.
    void performClique(ZEVButton* sender) override;
    // A short press: the button's menu under it.
    void boutonPresse(ZEVButton* sender);
    QMenu* buttonMenu(ZEVButton* b) const;

    // ---- lighting ----
    void selectionUp(KELId channelInt) override;
    void selectionDown(KELId channelInt) override;
    void selectionPreviousSpace(bool siHome) override;
    void selectionNextSpace(bool siHome) override;
    void selectionPreviousObject(bool siHome) override;
    void selectionNextObject(bool siHome) override;
    void selectionHome() override;
    void setGotoOff() override;
    bool spaceBrowsing() override { return browsing_.spaces; }
    void setSpaceBrowsing(bool browsing) override { browsing_.spaces = browsing; }
    void setChannelBrowsing(bool browsing) override { browsing_.channels = browsing; }
    void setZevstoryBrowsing(bool browsing) { browsing_.history = browsing; }

    // ---- the zoom pop-up ----
    void majZoomPopUp();
    // The item chosen: the strip zooms to it about the active cursor.
    void popUpChangeZoom(int index);
    // Animated over `duration` seconds to `step` seconds per 48 strip points; nothing moves
    // without a strip or for a step that is not a finite positive number.
    void _zoomTag(double step, float duration);
    double zoomStepDuration() const { return zoomStepDuration_; }
    // How many redisplays ran.
    int redisplayCount() const { return redisplayCount_; }

    // ---- the toolbar's menus (ZEVChannelMenus.cpp) ----
    // Each is prepared as it opens; the Spaces, Channels, history and zoom menus show the place
    // under the pointer and bring the window back when it leaves them without a choice.
    enum class ToolbarMenu { Entity, Clean, Spaces, Row, Goto, ZoomButton, History, Add, Channels, Find };
    QMenu* toolbarMenu(ToolbarMenu which) const;
    void menuWillOpen(QMenu* menu) override;
    void menuDidClose(QMenu* menu) override;
    bool siZevstoryBrowsing() const { return browsing_.history; }
    bool siChannelBrowsing() const { return browsing_.channels; }
    // The zoom pop-up's list opened, its item `index` highlighted (-1: none) and closed. While it
    // is open, the step of its opening is the one it returns to and the redisplay leaves it be.
    void zoomMenuWillOpen();
    void zoomMenuHighlight(int index);
    void zoomMenuDidClose(bool chosen);
    bool siZoomMenuOpen() const { return zoomMenuOpen_; }
    void btnInspectAdd() override;
    void btnInspectFind() override;
    void btnEntity() override;
    // A new Channel (through the panel's Add), a new Space: the add panels answer these; until
    // they come, a beep.
    void menuChannelAdd();
    void menuSpaceNew();

    // ---- renaming the current Space in the count field ----
    void menuSpaceRename();
    void menuSpaceDidRename();
    bool menuInspectCancelRename() override;
    bool siEditSpaceName() const { return siEditSpaceName_; }

    // ---- the modify panel ----
    // Opens it on the current Channel, its name (the Space's title) selected.
    void userChannelRename() override;
    void userSpaceRename();
    // nullptr until first opened.
    ZEVChannelModifyPanel* modifyPanel() const { return modifyPanel_.get(); }

    // ---- ZEVChannelViewerServices ----
    std::optional<ZEVChannelPanelSpan> channelViewIfOpen() override;

    // ---- adding Channels and Spaces ----
    // The image chooser for a new Channel, then its panel.
    void menuInspectAdd() override;
    // The Object menu's "Add Channel…" while the list has the keyboard: the same.
    void userAdd() override { menuInspectAdd(); }
    // The image chooser for a new Space of the current Channel, then its panel.
    void userSpaceAdd();
    // Empty names take their defaults; a null colour item the new background colour.
    bool userChannelAddWihImageURL(const QString& fileURL, const std::optional<QString>& channelName,
                                   const QString& spaceName, KELI* colorItem, long scaleInt) override;
    bool userSpaceAddWihImageURL(const QString& fileURL, const QString& title, KELI* colorItem,
                                 long scaleInt) override;
    // The add panel while it runs (nullptr otherwise), and what the last one kept.
    ZEVChannelAddPanel* addPanel() const { return addPanel_; }
    const QString& channelPanelURL() const { return channelPanelURL_; }
    const QString& spacePanelURL() const { return spacePanelURL_; }

    // ---- ZEVChannelClassOwner ----
    void moteurChangeChannel() override;
    void searchingDidFinish() override { ZEVInspectViewer::searchingDidFinish(); }

protected:
    std::unique_ptr<ZEVInspectView> creerInspectView() override { return std::make_unique<ZEVChannelView>(*this); }
    void awakeFromNib() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void redisplayAfter(double delay, bool commonModes);
    void scheduleGotoOff(double delay, bool commonModes);
    // One row down (1) or up (-1), the selection alone.
    void pasDeLigne(int sens);
    // This toolbar alone rests 0.2 s after a lighting.
    void relancerGotoOff();
    void allumer(const ZEVChannelRules::Lights& lights);
    bool aimedOn() const;
    std::string currentSpaceName();
    void findThenTracks(void (ZEVInspectViewer::*find)());
    void construireLesMenusDuBandeau();
    void preparerEntity(QMenu* menu);
    void preparerFind(QMenu* menu);
    void preparerHomeItems(QMenu* menu);
    // The thumbnail of the Now desk's background, for the Spaces and clean menus.
    QIcon vignetteDuNow();
    void popUpSous(QMenu* menu, ZEVButton* sous);
    void spaceStep(bool previous, bool distinct, bool same);
    ZEVChannelModifyPanel& panneauModify();
    // The chooser's file for a new Channel (true) or Space; empty when none was chosen.
    QString chooseBackgroundImage(bool channel);
    // Runs the add panel modally; its code (kCreate or kCancel).
    int runAddPanel(ZEVChannelAddPanel& panel);
    // The defaults of an add panel: the colour item's colour, or the new background colour.
    QColor colorForPanel(KELI* colorItem);
    // The picture-less wallpaper when show-image is off and it exists: the image and the scale.
    void withoutPicture(const ZEVChannelAddPanel& panel, QString* path, KELId* scaleInt);
    void setAddButtonOn(bool on);
    // A new Channel whose first Space failed is taken back: the previous Channel current again
    // and the identity's two links forgotten.
    void forgetNewChannel(KELI* channel, KELId previousChannelInt, KELI* previousIdentity);
    // The current Channel again as it was before a new one was made.
    void restoreChannel(KELId previousChannelInt, KELI* previousIdentity);
    // The new Channel and its name links erased from the store.
    void eraseNewChannel(KELI* channel);

    ZEVChannelClass model_;
    bool accepteRedisplay_ = true;
    bool siEditSpaceName_ = false;
    bool cleanAndReplaceLit_ = false;
    ZEVChannelRules::Browsing browsing_;
    double zoomStepDuration_ = 0;
    int redisplayCount_ = 0;
    // The toolbar's menus, built with the panel.
    std::unique_ptr<QMenu> menuUpDown_, menuGotoSpace_, menuDeskHome_, menuClean_;
    // A window of its own, made on first use.
    std::unique_ptr<ZEVChannelModifyPanel> modifyPanel_;
    std::unique_ptr<QMenu> menuBtnAdd_, menuBtnFind_, menuBtnEntity_, menuBtnGoto_, menuBtnZoom_;
    // What the previews move; declared before them, so that it outlives them.
    std::unique_ptr<ZEVMenuPreviewTarget> previewTarget_, rowPreviewTarget_, historyPreviewTarget_;
    std::unique_ptr<ZEVMenuPreview> spacesPreview_, channelsPreview_, historyPreview_, cleanPreview_, rowPreview_;
    bool zoomMenuOpen_ = false;
    bool zoomChosen_ = false;
    // The step when the zoom list opened; kept until its choice is carried out.
    std::optional<double> zoomStepKept_;
    // The add panel running, if any (a local of the run, not owned here).
    ZEVChannelAddPanel* addPanel_ = nullptr;
    QString channelPanelURL_, spacePanelURL_;
    KELId channelScaleInt_ = 0, spaceScaleInt_ = 0;
    ScheduledTarget guard_{this};
};

} // namespace tallomer
