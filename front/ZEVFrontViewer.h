#pragma once
// The front viewer: the controller of the tool layer over the active desk. It holds the front mode
// (what a click selects and what the commands act on) and the quasimodes that change it while a
// modifier is held (Shift: Icons, Alt: Filters, the Menu key standing for Fn: Titles), follows the
// selections (counts, status texts, the desks and the inspectors told), the active cursor and the
// Channel, carries out the edit commands through the active desk, and owns the front view.
//
// It lays out the header views over the desk (the ruler's time bar and time line, then the
// selection view with the tracks over the toolbar or split bar) through its header layout, which
// it answers as the Qt edge, and follows the user defaults that keep each view open. The ruler's
// side (the two views, the defaults, the Home Time) comes from the headers it is given. The edit
// actions and the panels are later parts of the front layer.

#include "front/ZEVFrontBars.h"
#include "front/ZEVHeaderAnimation.h"
#include "front/ZEVHeaderLayout.h"
#include "front/ZEVFrontEvents.h"
#include "front/ZEVSpaceTransition.h"
#include "inspectors/table/ZEVTableView.h"
#include "platform/UserDefaults.h"
#include "runtime/Scheduler.h"
#include "services/ZEVFrontViewerServices.h"

#include <QObject>
#include <QPointer>

#include <array>
#include <cstdint>
#include <memory>
#include <initializer_list>
#include <vector>

class KELI;
class QAction;
class QMenu;

namespace tallomer {

class ZEVButton;
class ZEVFrontClass;
class ZEVFrontSelectionView;
class ZEVFrontLinkLineMenu;
class ZEVFrontMainMenu;
class ZEVFrontQuickLook;
class ZEVFrontStepBack;
class ZEVFrontTransitions;
class ZEVFrontToolButtons;
class ZEVFrontView;
class ZEVInspectViewer;
class ZEVItemViewer;
class ZEVDeskViewer;
class ZEVItemView;
class ZEVSpaceController;
class ZEVTracksHandle;
enum class ZEVTimeAction;

class ZEVFrontViewer final : public QObject,
                             public ZEVFrontViewerServices,
                             private ZEVHeaderLayoutHost,
                             public ZEVFrontBarsOwner {
    Q_OBJECT
public:
    // Two Shift presses closer than this open the Channels inspector.
    static constexpr double kDoubleShift = 0.2;
    static constexpr KELId kChannelsEntity = 2000194;

    // `space` is not owned and outlives the viewer; its window and ruler viewer exist. `headers`
    // lays out the header views (may be null: none).
    ZEVFrontViewer(ZEVSpaceController& space, std::unique_ptr<ZEVFrontHeaderViews> headers);
    ~ZEVFrontViewer() override;

    ZEVFrontView* frontViewImpl() const { return frontView_.get(); }
    // The strip that follows drags over the top of the front area.
    ZEVFrontSelectionView* selectionView() const;
    // The number of Object views on the active desk, as the toolbar will show it.
    std::int64_t nbOfItems() const { return nbOfItems_; }
    bool siAvoidGraphicalLarsen() const { return siAvoidGraphicalLarsen_; }
    ZEVSpaceController& spaceController() const { return space_; }
    // The ruler's side of the header views; nullptr for none.
    ZEVFrontHeaderViews* headers() const { return headers_.get(); }
    KELId currentChannelInt() const { return currentChannelInt_; }
    // The model of the two selection lists, and the lists: the Objects list and the links list
    // (shown in the tracks by the header views), and the one of the current mode.
    ZEVFrontClass* frontClass() const { return frontClass_.get(); }
    ZEVTableView* selectionItemTableView() const { return itemList_.data(); }
    ZEVTableView* selectionLinkTableView() const { return linkList_.data(); }
    ZEVTableView* selectionTableView() const;
    ZEVLegoSource* selectionItemLegoSource() override;
    QString durationStringForAllLegos() override;
    // A lego drag left the list for the time line or the go-to panel: the list forgets it.
    void forgetDraggingLego() override;
    bool siSelectedFilterItems() override;
    // The mode to return to when the quasimode ends, and the quasimode's mode (4: none).
    int previousFrontMode() const { return previousFrontMode_; }
    int temporaryFrontMode() const { return temporaryFrontMode_; }
    int frontModeAfterFilterMode() const { return frontModeAfterFilterMode_; }
    // The front mode becomes `mode`; `withSender` when the user asked for it by name (a menu
    // item or a button), not by a step of the program.
    void modeSwitch(int mode, bool withSender);
    // The kind of the lasso running (its mode), for the way it is drawn.
    int lassoKind() const { return lassoFrontMode_; }
    // The mode buttons' states (1 on, 0 off, -1 mixed), by mode.
    int modeButtonState(int mode) const;
    ZEVButton* modeButton(int mode) const;
    // The tool menu of a mode's button.
    QMenu* toolMenu(int mode) const;
    // What the Icon, Title or Link tool menu shows as it opens, by the front mode and which
    // selections hold something (by mode: icons, titles, filters, nodes; and the links). Null
    // titles are left as the last opening set them (no mode: there is no selection to carry over).
    struct ToolMenuLook {
        bool toolChecked = false, toolEnabled = true;
        QString copy, et, ou;
        bool copyOn = false, andOn = false, orOn = false, deselectOn = false;
    };
    static ToolMenuLook toolMenuLook(int tool, int mode, const std::array<bool, 4>& selections, bool links);
    std::int64_t nbOfIcons() const { return nbOfIcons_; }
    std::int64_t nbOfTitles() const { return nbOfTitles_; }
    std::int64_t nbOfFilters() const { return nbOfFilters_; }
    std::int64_t nbOfLinks() const { return nbOfLinks_; }
    std::int64_t nbOfNodes() const { return nbOfNodes_; }

    // ---- ZEVFrontViewerServices ----
    ZEVFrontViewServices* frontView() override;
    int frontMode() override { return currentFrontMode_; }
    QString nameForFrontMode(int mode) override;
    QString shortNameForFrontMode(int mode) override;
    bool isUserChangingFlag() override { return temporaryFrontMode_ != ZEVFrontModeNone; }
    bool siLasso() override { return siLasso_; }
    bool siFocus() override;

    void channelDidChangeWithIdentityInt(KELId identityInt) override;
    void actifCurseurDidChangeForCurseur(KELICurseur* curseur) override;
    void selectionDidChange() override;
    void iconSelectionDidChange() override;
    void titleSelectionDidChange() override;
    void filterSelectionDidChange() override;
    void linkSelectionDidChange() override;
    void filterOperationDidChange() override;
    void setSiAvoidGraphicalLarsen(bool avoid) override;
    void displayFrontView() override;
    void updateFrontView() override;
    void updateFrontViewLinks() override;
    void lassoDidStart() override;
    void lassoDidStop() override;
    void userWillSwitchApp() override;
    void userChangeFlag(int key, Qt::KeyboardModifiers modifiers) override;
    void userTypedKey() override;
    void userRereadFlags(Qt::KeyboardModifiers modifiers) override;
    void setSiShowCadre(bool shown) override;
    void displayAllInspectView() override;
    void entityWillChange() override;
    // The focus settled: the main menu's items follow the focused inspector (the Icons one when
    // none has the focus).
    void entityDidChange();

    void menuModeIcon() override { modeSwitch(ZEVFrontModeIcons, true); }
    void menuModeTitle() override { modeSwitch(ZEVFrontModeTitles, true); }
    void menuModeFilter() override { modeSwitch(ZEVFrontModeFilters, true); }
    void menuModeLink() override { modeSwitch(ZEVFrontModeLinks, true); }
    bool handlesCommand(std::string_view command) override;
    void userCopy() override;
    void userCut() override;
    void userPaste() override;
    void userSelectAll() override;
    void userDeselectAll() override;
    void userSelectNext() override;
    void userSelectPrevious() override;
    void userEditTitle() override;
    void userEditTitleForItemView(ZEVItemViewForDesks* view) override;
    // ---- the step back, handed to its own job (ZEVFrontStepBack) ----
    void userStepBack() override;
    // Escape from a view that has no step of its own.
    void cancelOperation() override { userStepBack(); }
    void stepBackKey();
    bool siCloseViewer();
    bool cmdTab();
    void hidePointer();
    const ZEVCurrentEvent& currentEvent() const;
    bool siPointerHidden() const;
    ZEVTableView* firstResponderWasOnTableView() const;

    // ---- Space transitions, handed to their own job (ZEVFrontTransitions) ----
    void userSpaceStartHome() override;
    void userSpaceStart() override;
    void userSpaceCleanAll() override;
    void userSpaceCleanAndRecall() override;
    void userSpaceCleanAndRecallBack() override;
    void userSpaceCleanAndReplace() override;
    void newSpaceWithBackground(std::function<bool(NewBackground&)> make,
                                std::function<void(bool stored)> done) override;
    void cleanAll(const ZEVSpaceTransition& transition);
    bool siTransitionRunning() const;
    void stopSpaceEventMonitor();
    // ---- Quick Look, handed to its own job (ZEVFrontQuickLook) ----
    // The space bar and the Quick Look command: the preview of the current mode's shown Objects
    // opens, or closes when it shows.
    void userToggleQL() override;
    void buttonActionToggleQL(bool fromButton);
    void userOpenQL() override;
    // Whether the pointer lies over the shown selection list, and the Object of the row (and
    // column, for links) under it; nullptr for none.
    bool siPointerOverSelectionList() const;
    KELI* rowItemUnderPointer() const;
    // While the preview shows, it shows the current mode's shown Objects as the selection changes.
    void previewFollowsSelection();

    // ---- header views ----
    ZEVHeaderLayout& headerLayout() { return *layout_; }
    ZEVFrontToolbar* toolbar() const { return toolbar_.data(); }
    ZEVFrontSplitbar* splitbar() const { return splitbar_.data(); }
    bool siTlineOpened() override { return layout_->flags(ZEVHeaderView::Tline).opened; }
    bool siTlineClosed() override { return layout_->flags(ZEVHeaderView::Tline).closed; }
    bool siTimebarClosed() override { return layout_->flags(ZEVHeaderView::Timebar).closed; }
    bool siTracksOpened() { return layout_->flags(ZEVHeaderView::Tracks).opened; }
    bool siTracksClosed() override { return layout_->flags(ZEVHeaderView::Tracks).closed; }
    bool siToolbarClosed() override { return layout_->flags(ZEVHeaderView::Toolbar).closed; }
    bool siHeaderViewsOpening() override;
    bool siHeaderViewOpen() const;
    bool siHeaderViewsClosed() override;
    bool siAllHeaderViewsClosed() override;
    double headerViewsHeight() override { return layout_->headerViewsHeight(); }
    void openTline() override { layout_->request(-1, 1, -1, -1); }
    void openTlineAndTracks(bool siFocus) override;
    void closeTlineAndTracks() override;
    void setSiShowCalandar(bool shown) override;
    bool siShowCalandar() override { return siShowCalandar_; }
    void userToggleTimebar() override;
    void userToggleTline() override;
    void userToggleTracks() override;
    void userToggleToolbar() override;
    void userShowTracks() override;
    void closeAllHeaderViews() override { layout_->request(0, 0, 0, 0); }
    void mouseLimitInside() override;
    void mouseLimitOutside() override;
    // Full screen through the window's own full-screen form; the window writes ZEVFullScreen and
    // tells the Space, which refreshes the title and tells the application.
    bool siFullWindow() override { return siFullScreen(); }
    bool siFullScreen() override;
    void setSiFullScreen(bool fullScreen) override;
    void userToggleFullScreen() override { setSiFullScreen(!siFullScreen()); }
    // The menu bar shows while ZEVShowMacMenu is on; the front viewer alone follows the default.
    bool siShowMenubar() override;
    // The menu bar's height the stack leaves free at the top (full screen with the bar shown).
    double menubarHeight() const { return layout_->menubarHeight(); }
    // How long the stack takes to make room for the menu bar, or to give it back.
    static constexpr double kMenubarSlide = 0.14375;
    // The application came forward for a drag (YES) or the drag ended (NO): every header view
    // opens, then those closed before close again. One saved layout for the whole program.
    void activateTallomer(bool on);
    void activateTallomerStart() override { activateTallomer(true); }
    void activateTallomerStop() override { activateTallomer(false); }
    void draggingSessionDidStop() override;
    void searchingWillStart() override;
    void searchingDidFinish() override;
    void terminerDeplacementCurseur() override;
    bool siNbOfRows() override;
    void displaySelectionView() override;
    // The rows of the selection of the mode the shown list stands for.
    std::int64_t currentNbOfRowsShown() const;
    // The arrows of the tracks' handle (and the split bar's grips).
    void setUpDownImages(bool shown) override;
    bool upDownImages() const { return upDown_; }
    // The two row counts shown while the handle is dragged.
    QLabel* rowField(int i) const { return rowFields_[i]; }

    // ---- the toolbar and the split bar ----
    int currentFrontMode() override { return currentFrontMode_; }
    void updateNbOfItems() override;
    // The action buttons for the mode in force, its selection and the toolbar's width; then the
    // main menu's items for that mode. Nothing while no mode is in force.
    void updateToolbarButtons() override;
    // The four edit buttons' pictures: the Now set while the Now cursor is active, else the
    // Search set.
    void updateBtnImagesSiRecall(bool siRecall);

    // ---- the main menu's state ----
    // The main-menu items the front layer enables, found by tag in their menu or its submenus.
    enum MenuMac {
        MacCut, MacCopy, MacRecallNow, MacRetainNow, MacReleaseNow, MacForgetNow, MacRecallSearch,
        MacRetainSearch, MacReleaseSearch, MacForgetSearch, MacOpen, MacOpenQL, MacMoveTo, MacMoveToSpace,
        MacCopyTo, MacCopyToSpace, MacAdd, MacRemove, MacFilter, MacCleanAll, MacCleanAndRecall,
        MacCleanAndRecallBack, MacCleanAndReplace, MenuMacCount
    };
    QAction* menuMacItem(MenuMac item);
    // The focused inspector (the Icons one when none has the focus) enables the items for the
    // mode; with none, the items that need one are disabled.
    void updateMenuMacForMode(int mode) override;
    void updateMenuObject(QMenu* menu) override;
    // The Space window controls the Quick Look panel (or no longer does).
    void setSiShowQLPreview(bool shown) override;
    // Whether Quick Look is offered, by the toolbar's button and the Object menu alike: the mode
    // has a selection to preview, or the preview shows and may be closed.
    bool siQuickLookOffert() const;
    bool siShowQLPanel() const;
    void handleMouseDown(const QPointF& windowYUp) override;
    void handleMouseDragged(const QPointF& windowYUp) override;
    void handleMouseUp(bool dragged) override;
    void reselectSame() override;
    void showToolbarByDefault() override;
    void wheelToTline(QWheelEvent* event) override;

    // ---- the toolbar's buttons, their menus and panels (ZEVFrontToolButtons.cpp) ----
    // nullptr without a toolbar.
    ZEVFrontToolButtons* tools() const { return tools_.get(); }
    void addPanelWithUrl(const QString& folder, const QString& title, const QString& message,
                         std::function<void(const QStringList&)> done,
                         std::function<void(QFileDialog*)> follow) override;
    // Shows the selections' links when none show; hides them (both show-links items of the mode
    // off) when they show.
    void buttonShowLink();
    bool siGoToPanelVisible() override;
    void majGoToDurationButtons() override;
    void setGotoOff() override;
    void selectionPreviousSpace(bool siNow) override;
    void selectionNextSpace(bool siNow) override;
    void selectionHome() override;
    void selectionDown(KELId channelInt) override;
    void selectionUp(KELId channelInt) override;
    void setSpaceBrowsing(bool browsing) override;
    void setChannelBrowsing(bool browsing) override;
    void setZevstoryBrowsing(bool browsing) override;

    // The Home Time and the start of a cursor move.
    void menuHomeTime() override;
    // Without animation the ruler is at Home at once.
    void menuHomeTime(bool animated);
    void userGoHome() override;
    bool siCurseurAtHome() override { return headers_ && headers_->siCurseurAtHome(); }
    // The time line's turn at a key of the desk; ignored when there is none.
    void tlineKeyDown(QKeyEvent* event);
    void tlineKeyUp(QKeyEvent* event);
    bool siCleanAll() const { return siCleanAll_; }
    void setSiCleanAll(bool clean) { siCleanAll_ = clean; }
    void initierDeplacementCurseur() override;

    // ---- tool menus ----
    // Icon, Title and Link menus: their own selection combined with the selection of the mode in
    // force (Copy, And, Or), or emptied.
    void menuIconCopy() { combine(ZEVFrontModeIcons, Op::Copy); }
    void menuIconAnd() { combine(ZEVFrontModeIcons, Op::And); }
    void menuIconOr() { combine(ZEVFrontModeIcons, Op::Or); }
    void menuIconDeselect();
    void menuTitleCopy() { combine(ZEVFrontModeTitles, Op::Copy); }
    void menuTitleAnd() { combine(ZEVFrontModeTitles, Op::And); }
    void menuTitleOr() { combine(ZEVFrontModeTitles, Op::Or); }
    void menuTitleDeselect();
    void menuLinkCopy() { combine(ZEVFrontModeLinks, Op::Copy); }
    void menuLinkAnd() { combine(ZEVFrontModeLinks, Op::And); }
    void menuLinkOr() { combine(ZEVFrontModeLinks, Op::Or); }
    void menuLinkDeselect();
    // The Filter menu: the selected icons, titles or nodes become the filters, and the mode
    // Filters; or no filter at all.
    void menuFilterIcons();
    void menuFilterTitles();
    void menuFilterNodes();
    void menuFilterDeselect();
    // The tool menus' show-links items of the current mode go to the Space, and the links redraw.
    void majSiShowLinksForCurrentMode();

    // ---- edit actions (ZEVFrontViewerEdit.cpp) ----
    // The eight commands go to the first focused inspector that takes them, else to the desk of
    // the active cursor by front mode. Recall Now passes over the Icons and Channels inspectors,
    // Recall Search and Release the Icons one.
    bool siRecallingSelectedItems() override;
    bool siRecallingNowSelectedItems() override;
    bool siReleasingSelectedItems() override;
    void userRecallNow() override;
    void userRecallSearch() override;
    void userRetainNow() override;
    void userRetainSearch() override;
    void userReleaseNow() override;
    void userReleaseSearch() override;
    void userForgetNow() override;
    void userForgetSearch() override;
    // The mode's whole selection recalled on the Now desk, whatever cursor is active.
    void menuEditRecallNow() override;
    // The action at the active cursor on the mode's subset.
    void menuEditRecall() override;
    void menuEditRetain() override;
    void menuEditRelease() override;
    void menuEditForget() override;

    // ---- commands on Objects (ZEVFrontViewerCommands.cpp) ----
    // The option toggles work on the Object under the pointer, else on the mode's shown views
    // (Open on Click always on these); all targets end in the same state. Nothing to work on beeps.
    void userShowTitle() override;
    void userShowQLIcon() override;
    void userOpenOnClick() override;
    // GIF Objects only.
    void userAnimate() override;
    // The targets keep their order among themselves.
    void userSendToBack() override;
    void userSendToFront() override;
    // The focused inspector's delete, else the Links one's in Link mode, else the Icons one's.
    void userDelete() override;
    void userShowOriginal() override;
    // The Search cursor goes to now; already there, the time line centres on now when it lies
    // outside the shown span.
    void userGoNow() override;
    // Asks nothing of an inspector when swapping a named mode.
    void userSwap() override;
    void userSwapIcons() override { swapForMode(ZEVFrontModeIcons); }
    void userSwapTitles() override { swapForMode(ZEVFrontModeTitles); }
    void swapForMode(int mode);
    void swapSelection();

    // ---- open, Get Info and filter marking (ZEVFrontViewerOpen.cpp) ----
    void userOpen() override;
    void userGetInfo() override;
    void userFilter() override;
    // The time line's filter key: the Object under the pointer marked, or the mode's selection.
    void menuActionFilter() override { filterMarking(false); }
    void menuOpen() override;
    // The Add Documents panel of the toolbar's Add menu.
    void menuAddDocuments() override;
    void buttonAddWithItem(KELI* item) override;
    void buttonActionGetInfo();
    // The Filter button passes true: it ignores the Object under the pointer.
    void filterMarking(bool fromButton);
    // The toolbar's Open, Get Info and Filter buttons.
    void connectActionButtons();
    // The controllers of the shown inspector panels, topmost first.
    std::vector<ZEVInspectViewer*> frontPanelViewers() const;
    // Icon, Title, Filter selections as listed; Link mode the ends of the selected links, once each.
    std::vector<KELI*> modeSelectionItems();
    bool isFileObject(KELI* item);
    // The shown Object view under the pointer, topmost first; nullptr for none.
    ZEVItemViewForDesks* hoveredItemView() const;

    // ---- the hovered view's open, the file commands, finds and the change steps
    //      (ZEVFrontViewerFind.cpp) ----
    void userOpenOverfly() override;
    void userMoveTo() override;
    void userMoveToSpace() override;
    void userCopyTo() override;
    void userCopyToSpace() override;
    void userDuplicateTo() override;
    void userDuplicateToSpace() override;
    void userFind() override;
    bool userFindInChannels() override;
    void userFindTextInChannels() override;
    void userGotoPrevious() override;
    void userGotoNext() override;
    void menuInspectPrevious(bool fromControl) override;
    void menuInspectNext(bool fromControl) override;
    // The toolbar's go buttons: the desk takes the keyboard first.
    void btnInspectPrevious();
    void btnInspectNext();
    // The selection list's search field shows, the mode buttons in its way hiding, or hides and
    // they show again.
    void menuInspectFind() override;
    // The Channels inspector opens if need be and shows its list's search field.
    void menuFindSpaces();
    // A mode button's tool menu, set for the mode and the selections as it opens; its button put
    // back as it closes (ZEVFrontToolMenus.cpp).
    void toolMenuWillOpen(int tool);
    void toolMenuDidClose(int tool);
    bool siSearchingField() const { return siSearchingField_; }
    void setSiSearchingField(bool shown) { siSearchingField_ = shown; }
    // The held-file finds: the focused inspector's, else the Links inspector's in Link mode and
    // the Icons one's otherwise.
    void userFindZevHeld();
    void userFindZevFolderHeld();
    void userFindMacHeld();
    void userFindExtHeld();
    void menuFindZevHeld() override;
    void menuFindZevFolderHeld() override;
    void menuFindMacHeld() override;
    void menuFindExtHeld() override;
    void menuFindFiles() override;
    void menuFindPersons() override;
    void menuFindEmails() override;
    void menuFindBookmarks() override;
    // The go button of the step lit, the other off; Home mixed when the step showed Now.
    void selectionPreviousObject(bool siNow);
    void selectionNextObject(bool siNow);

    // ---- the link-line menu, handed to its own job (ZEVFrontLinkLineMenu) ----
    QMenu* connexionMenuForConnexion(ZEVItemConnexion* connexion) override;
    QMenu* connexionMenu() const;
    ZEVItemConnexion* selectedConnexion() const;
    void menuReleaseConnexion();
    void menuRecallConnexion();
    void menuRecallNowConnexion();
    void menuRetainConnexion();
    void menuForgetConnexion();
    void menuSelectIconConnexion();
    void menuSelectTitleConnexion();
    void menuSelectLinkConnexion();
    void menuSelectFilterConnexion();

    // ---- the edit images (ZEVFrontViewerEditImages.cpp) ----
    // The Recall, Retain, Release and Forget items of a menu take the images of the active cursor,
    // a disabled one the black image: a menu with both forms (1), or one form and Recall Now (2).
    // Items are found by their "tag" property; a tag the menu lacks is skipped.
    void majImageForEditionMenu1(QMenu* menu) override;
    void majImageForEditionMenu2(QMenu* menu) override;

protected:
    // The mode buttons follow the content view's size.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // ---- the header layout's host: the Qt edge of the stack ----
    QSizeF deskSize() override;
    std::int64_t currentNbOfRows() override { return currentNbOfRowsShown(); }
    void animateFrames(const ZEVHeaderFrames& from, const ZEVHeaderFrames& to, double duration) override;
    void setViewVisible(ZEVHeaderView view, bool visible) override;
    void setSplitbarInPlace(bool splitbar) override;
    void beep() override;
    void logLine(const std::string& line) override;
    void resetMouseLimit() override;
    void majTrackingArea() override;
    void updateViewbarModes() override;
    void majWindowTitle() override;
    void reloadSelectionList() override;
    void clearCleanAll() override { siCleanAll_ = false; }
    void clearIconModeTitle() override;
    void headerViewsHeightDidChange(double duration) override;
    // Frames y-up to the widgets: the one place they are converted.
    void applyFrames(const ZEVHeaderFrames& frames);
    void buildHeaderStack();
    void observeHeaderKeys();
    // ZEVShowMacMenu changed: the bar shows or hides, and in full screen the stack moves by it.
    void showMacMenuDidChange(bool shown);
    void hideMenubar();
    // The window entered or left full screen: the bar lies over the stack there, or above it.
    void fullScreenStateDidChange();
    // The main menu's toggle of a header view (0 time bar to 3 toolbar).
    void toggle(int view);
    QWidget* contentView() const;
    // The lists are set up once: their columns, legos, rows and the modes they stand for.
    void wakeSelectionLists();
    // The lists' rows become the selection of the current mode, and their selected rows follow.
    void majSelectionLists();
    void attachSearchField();
    // The selection list with the keyboard focus; nullptr for none.
    ZEVTableView* focusedSelectionList() const;
    // The table of the inspector panel that has the keyboard focus; nullptr when none.
    ZEVTableView* focusedInspectorTable() const;
    enum class Op { Copy, And, Or };
    void selectionRefresh(int family);
    void setModeButtons(int on, int mixed = -1);
    void combine(int target, Op op);
    std::vector<KELI*> sourceSet();
    void buildModeButtons();
    void buildToolMenus();
    // The tool menus' show-links items read and write the user's keys and follow them when
    // they change elsewhere (the step back, the start transitions, the toolbar's button).
    void bindShowLinksItems();
    void popToolMenu(int mode);
    void deskEdit(int command);
    void tellInspectors(bool modeChanged);
    // The focused inspector that takes an edit command (nullptr: none): entities of `excluded`
    // are passed over.
    ZEVInspectViewer* focusedInspectorFor(std::initializer_list<KELId> excluded) const;
    // Retain, Release or Forget: offered to the focused inspector that takes it, else done on the
    // desk of the active cursor over the mode's subset.
    void offerTimeAction(ZEVTimeAction action);
    void deskTimeAction(ZEVTimeAction action);
    // Recall of one Object on a desk: its view kept in `views` to be recalled at its place, or a
    // new icon made; true when it lay on a desk before, to be recalled with the others.
    bool recallOne(KELI* item, KELI* selected, ZEVDeskViewer* dv, KELICurseur* c, int mode, bool siNowForm,
                   std::vector<ZEVItemViewForDesks*>& views);
    // The kept views and the Objects recalled, the cursor run once for each kind.
    void recallIcons(const std::vector<ZEVItemViewForDesks*>& views, const std::vector<KELI*>& items,
                     ZEVItemViewer* iv, ZEVDeskViewer* dv, bool devant);
    void inspectStep(bool previous, bool fromControl);
    void fileCommand(void (ZEVInspectViewer::*command)());
    void findHeld(void (ZEVInspectViewer::*action)(), bool focusFirst);
    void lightGoButtons(bool previous, bool siNow);
    std::vector<ZEVItemViewForDesks*> shownModeViews() const;
    // Closes the title being typed on the active desk, keeping the text.
    void endTitleEdits();
    // The view's frame shows for half a second after the last call.
    void flash(ZEVItemViewForDesks* view);
    void toggleOption(std::uint64_t bit, bool hoveredFirst, bool toFront);
    void stack(bool toBack);
    void leaveQuasimode();
    std::int64_t countForMode(int mode) const;

    ZEVSpaceController& space_;
    std::unique_ptr<ZEVFrontHeaderViews> headers_;
    std::unique_ptr<ZEVFrontView> frontView_;
    KELICurseur* actifCurseur_ = nullptr;
    KELId currentChannelInt_ = 0;

    int currentFrontMode_ = ZEVFrontModeIcons;
    int previousFrontMode_ = ZEVFrontModeNone;
    int temporaryFrontMode_ = ZEVFrontModeNone;
    int lassoFrontMode_ = ZEVFrontModeNone;
    int frontModeAfterFilterMode_ = ZEVFrontModeIcons;
    bool siFrontModeDidChange_ = false;
    bool siAvoidGraphicalLarsen_ = false;
    bool siLasso_ = false;
    bool siCleanAll_ = false;
    std::unique_ptr<ZEVFrontStepBack> stepBack_;
    std::unique_ptr<ZEVFrontTransitions> transitions_;
    // Whether the Menu key (standing for Fn) is down.
    bool siFnDown_ = false;

    std::int64_t nbOfIcons_ = 0;
    std::int64_t nbOfTitles_ = 0;
    std::int64_t nbOfFilters_ = 0;
    std::int64_t nbOfLinks_ = 0;
    std::int64_t nbOfNodes_ = 0;
    std::int64_t nbOfItems_ = 0;

    // The four mode buttons and their tool menus, by mode (owned by the window, or here).
    std::array<QPointer<ZEVButton>, 4> modeButtons_{};
    // Owned here, parented to the window's content (which may go first).
    QPointer<ZEVFrontSelectionView> selectionView_;
    // Declared after the Qt-parented lists' pointers so that it outlives none of its users.
    std::unique_ptr<ZEVFrontClass> frontClass_;
    QPointer<ZEVTableView> itemList_;
    QPointer<ZEVTableView> linkList_;
    std::array<std::unique_ptr<QMenu>, 4> toolMenus_;
    // The show-links items of each menu: for all Objects, for the selections (none in Links).
    std::array<QAction*, 4> showAllItems_{};
    std::array<QAction*, 4> showSelectionItems_{};

    // Declared after the lists so that it goes before them.
    // Before the layout, which moves the views through it.
    std::unique_ptr<ZEVHeaderAnimation> animation_;
    std::unique_ptr<ZEVHeaderLayout> layout_;
    QPointer<ZEVFrontToolbar> toolbar_;
    QPointer<ZEVFrontSplitbar> splitbar_;
    std::array<QLabel*, 2> rowFields_{};
    UserDefaultsController* defaults_ = nullptr; // not owned
    std::vector<DefaultsToken> tokens_;
    std::array<bool, 4> prefs_{};
    bool siShowCalandar_ = false;
    bool upDown_ = false;
    bool siSearchingWillStart_ = false;
    bool siSearchingField_ = false;
    bool siSearchingToolbar_ = false;
    std::unique_ptr<ZEVFrontQuickLook> quickLook_;
    // The main-menu items the front layer enables.
    std::unique_ptr<ZEVFrontMainMenu> mainMenu_;
    std::unique_ptr<ZEVTracksHandle> tracksHandle_;
    std::unique_ptr<ZEVFrontLinkLineMenu> linkLineMenu_;
    // After the toolbar it reaches, and goes before it.
    std::unique_ptr<ZEVFrontToolButtons> tools_;
    ScheduledTarget guard_{this};
};

} // namespace tallomer
