#pragma once
// What the rest of the program asks of the front layer over the desk: its modes and quasimodes,
// the selection notices, the lasso, the header views, and the user commands of the menus and keys.
// The Space, the desks, the Object views, the time ruler and the application shell all reach the
// front layer through these two classes without linking it; the front layer (front/) answers.
//
// The front viewer answers every operation.

#include "services/ZEVFrontMode.h"
#include "engine/KELTypes.h"

#include <functional>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <QStringList>

#include <string_view>

class KELI;
class KELICurseur;
class QEvent;
class QFileDialog;
class QKeyEvent;
class QMenu;
class QObject;
class QPainter;
class QWheelEvent;
class QWidget;

namespace tallomer {

class UserDefaultsController;
class ZEVConnectingView;
class ZEVItemConnexion;
class ZEVItemViewForDesks;
class ZEVLegoSource;

// The front view: the layer of the desk canvas that sees each press first and paints over the
// Object views. Points are in the canvas' coordinates, y-up.
class ZEVFrontViewServices {
public:
    virtual ~ZEVFrontViewServices() = default;

    // A press landed on the empty desk (the desk view tells): the short and long presses are armed.
    virtual void setSiMouseDownInDeskView() = 0;
    // The lasso the desk view draws: the rectangle spanned by the two points, with a positive
    // width and height; it is painted over the desk.
    virtual void setLassoFromPoint(const QPointF& from, const QPointF& to) = 0;
    virtual QRectF lassoRect() const = 0;
    // The grey frame of a Space that stays in front.
    virtual void setSiShowCadre(bool shown) = 0;
    // The front area: the canvas less the open header views, y-up (origin at the canvas' lower
    // left corner). Link lines are drawn and hit only there; the panels over the desk lie in it.
    virtual QRectF frontFrame() const = 0;
    // Keys the desk's Object views leave: what the front layer does not use stays ignored, for
    // the window.
    virtual void keyDown(QKeyEvent* event) = 0;
    virtual void keyUp(QKeyEvent* event) = 0;

    // ---- the canvas' side ----
    // Paints the link lines, the lasso and the frame over the scene, in the viewport's pixels.
    virtual void drawForeground(QPainter& painter) = 0;
    // Every event of the canvas' viewport comes here first; true when the front view took it.
    virtual bool canvasEvent(QEvent* event) = 0;
    // The band of a link drag, painted above the link lines and following the pointer while the
    // drag runs over the canvas; lives as long as the front view.
    virtual ZEVConnectingView* connectingView() = 0;
    // Shows an Object's context menu where the press that asked for it was.
    virtual void popUpMenu(QMenu* menu) = 0;
};

// The time ruler's side of the header views: the time bar and the time line, which the front
// viewer's header layout places at the top of the stack, the user defaults it observes, and the
// Home Time, which drives the bar's buttons. The application answers it (it knows the ruler).
class ZEVFrontHeaderViews {
public:
    virtual ~ZEVFrontHeaderViews() = default;
    // The two top views of the stack, children of the window's content; nullptr when absent.
    virtual QWidget* timebarWidget() = 0;
    virtual QWidget* tlineWidget() = 0;
    // The shared user-defaults controller; nullptr when there is none (the front viewer then
    // observes nothing).
    virtual UserDefaultsController* defaults() = 0;
    // The Home Time: called from the menu (Now cursor, the home Channel again when already
    // there), told that the desk goes home, and whether the desk shows it.
    virtual void menuHomeTime() = 0;
    virtual void userGoHome() = 0;
    virtual bool siCurseurAtHome() = 0;
    // A cursor move starts: the desk is no longer going home.
    virtual void clearGoingToHome() = 0;
    // The ruler bar's Now button: the Now cursor becomes the active one (the time line opening).
    virtual void menuNowCurseur() = 0;
    // The time line reads the desk's keys first; a key it leaves stays ignored, for the window.
    virtual void tlineKeyDown(QKeyEvent* event) = 0;
    virtual void tlineKeyUp(QKeyEvent* event) = 0;
    // A wheel turned over the toolbar moves the time line.
    virtual void tlineWheel(QWheelEvent* event) = 0;
    // The Home Time gliding over that many seconds (0: at once).
    virtual void menuHomeTimeWithDuration(float duration) = 0;
    // The ruler bar's calendar panel shown or hidden, and whether it shows.
    virtual void userShowRulerPickerPanel(bool shown) = 0;
    virtual bool siShowRulerPickerPanel() = 0;
    // The ruler bar's Ruler button is on, and the bar's Search button (the Search cursor becomes
    // the active one).
    virtual bool stateOfRulerButton() = 0;
    virtual void menuSearchCurseur() = 0;
    // A preset's name was edited a moment ago (the Escape that ended the edit is no step back),
    // and a return to the Home Time is under way.
    virtual bool siPresetJustEdited() = 0;
    virtual bool siGoingToHome() = 0;
};

class ZEVFrontViewerServices {
public:
    virtual ~ZEVFrontViewerServices() = default;

    // ---- state ----
    // Not owned; lives as long as the front viewer.
    virtual ZEVFrontViewServices* frontView() = 0;
    // The add panel for an inspector's files: several files, opening at `folder`, under the
    // inspector's title and message, the Search cursor following the file chosen; `done` gets the
    // chosen files once confirmed, never on Cancel. Go-to mode is on while it is up.
    virtual void addPanelWithUrl(const QString& folder, const QString& title, const QString& message,
                                 std::function<void(const QStringList&)> done,
                                 std::function<void(QFileDialog*)> follow) = 0;
    // The mode in force, 0 to 3.
    virtual int frontMode() = 0;
    // The status texts of a mode's selection ("2 Icons selected"; for links the links part then
    // the nodes part); empty for a mode outside 0 to 3. The short one is the counts only.
    virtual QString nameForFrontMode(int mode) = 0;
    virtual QString shortNameForFrontMode(int mode) = 0;
    // Whether a modifier quasimode is active (the desk then shows no context menu).
    virtual bool isUserChangingFlag() = 0;
    // Whether a lasso is being drawn, and whether the front layer has the keyboard focus.
    virtual bool siLasso() = 0;
    virtual bool siFocus() = 0;

    // ---- notices ----
    // The current Channel changed (0: the list of Channels changed).
    virtual void channelDidChangeWithIdentityInt(KELId identityInt) = 0;
    virtual void actifCurseurDidChangeForCurseur(KELICurseur* curseur) = 0;
    // The selection of the current mode, after a change of Channel.
    virtual void selectionDidChange() = 0;
    // The selection of one family changed (the nodes are told as links).
    virtual void iconSelectionDidChange() = 0;
    virtual void titleSelectionDidChange() = 0;
    virtual void filterSelectionDidChange() = 0;
    virtual void linkSelectionDidChange() = 0;
    virtual void filterOperationDidChange() = 0;
    // The echo guard: while set, a selection change of the desk is not pushed back into the
    // inspector tables (an inspector's own row click made it); clearing it tells every inspector.
    virtual void setSiAvoidGraphicalLarsen(bool avoid) = 0;
    // The front view redraws (link lines, lasso); updateFrontView also refreshes the counts.
    virtual void displayFrontView() = 0;
    virtual void updateFrontView() = 0;
    // After a refresh pass moved views: the counts, and a redraw only while link lines are shown
    // or may still be on screen; the lasso and the frame do not follow the views.
    virtual void updateFrontViewLinks() = 0;
    // The desk view started or ended a lasso.
    virtual void lassoDidStart() = 0;
    virtual void lassoDidStop() = 0;
    // The application is about to lose the keyboard: no quasimode outlives it.
    virtual void userWillSwitchApp() = 0;
    // A modifier key went down or up: `key` is the Qt key that changed (0 when unknown, as at the
    // end of a drag), `modifiers` all those held now.
    virtual void userChangeFlag(int key, Qt::KeyboardModifiers modifiers) = 0;
    // A key other than a modifier went down anywhere in the window: Shift used with it (Shift+Right
    // selecting text) is no tap, so two such presses never make a double Shift.
    virtual void userTypedKey() = 0;
    // The window came forward or took the keyboard: the held modifiers are read again, since the
    // release of one may have gone to another window.
    virtual void userRereadFlags(Qt::KeyboardModifiers modifiers) = 0;
    // The front view draws the frame of a window that stays in front.
    virtual void setSiShowCadre(bool shown) = 0;

    // ---- modes and selections ----
    virtual void menuModeIcon() = 0;
    virtual void menuModeTitle() = 0;
    virtual void menuModeFilter() = 0;
    virtual void menuModeLink() = 0;
    // Whether the front layer carries out a command of the menus, by the command's name (for
    // example "userCopy"); an item whose command is not handled is disabled.
    virtual bool handlesCommand(std::string_view command) = 0;
    virtual void userCopy() = 0;
    virtual void userCut() = 0;
    virtual void userPaste() = 0;
    virtual void userSelectAll() = 0;
    virtual void userDeselectAll() = 0;
    virtual void userSelectNext() = 0;
    virtual void userSelectPrevious() = 0;
    // Edit Title: the title of the selected Object on the active desk (its selected title in
    // Titles mode, its selected icon otherwise) is edited in place.
    virtual void userEditTitle() = 0;

    // ---- header views: the front viewer answers through its header layout ----
    virtual bool siTlineOpened() = 0;
    virtual bool siTlineClosed() = 0;
    virtual void openTline() = 0;
    virtual void openTlineAndTracks(bool siFocus) = 0;
    virtual void closeTlineAndTracks() = 0;
    virtual bool siTimebarClosed() = 0;
    virtual void setSiShowCalandar(bool shown) = 0;
    virtual bool siShowCalandar() = 0;
    virtual double headerViewsHeight() = 0;
    // The main menu's toggles of the four header views.
    virtual void userToggleTimebar() = 0;
    virtual void userToggleTline() = 0;
    virtual void userToggleTracks() = 0;
    virtual void userToggleToolbar() = 0;
    // The find commands open the time line and the tracks.
    virtual void userShowTracks() = 0;
    // The header-views button closes them all; the pointer at the window's top edge opens them
    // all, and leaving it closes those the user does not keep open.
    virtual void closeAllHeaderViews() = 0;
    virtual void mouseLimitInside() = 0;
    virtual void mouseLimitOutside() = 0;
    virtual bool siTracksClosed() = 0;
    virtual bool siToolbarClosed() = 0;
    virtual bool siHeaderViewsOpening() = 0;
    // Closed: the time bar, the time line and the toolbar closed and the tracks 0 high; all
    // closed: the same with the tracks closed or 0 high.
    virtual bool siHeaderViewsClosed() = 0;
    virtual bool siAllHeaderViewsClosed() = 0;
    // Full screen: the window's full-screen form, refused with a beep while a header view moves.
    virtual bool siFullWindow() = 0;
    virtual bool siFullScreen() = 0;
    virtual void setSiFullScreen(bool fullScreen) = 0;
    virtual void userToggleFullScreen() = 0;
    // Whether the menu bar shows (ZEVShowMacMenu); over a full-screen window its height is taken
    // from the top of the stack.
    virtual bool siShowMenubar() = 0;

    // ---- the Home Time and the cursor moves: the front viewer answers through the layout ----
    // Returns the desk to the Home Time.
    virtual void menuHomeTime() = 0;
    // The desk goes home (the Home Time preset is called for the Now cursor): the front layer
    // resets what it shows of the place first.
    virtual void userGoHome() = 0;
    // Whether the desk shows the Home Time.
    virtual bool siCurseurAtHome() = 0;
    // A cursor move starts: the timeline opens for a Search move unless the user keeps it closed
    // while searching.
    virtual void initierDeplacementCurseur() = 0;

    // An inspector's table gained or lost the keyboard focus: the desk redraws now, and the main
    // menu follows the focus on the next turn.
    virtual void entityWillChange() = 0;
    // The main menu's items that the front mode and the focused inspector decide, for that mode.
    virtual void updateMenuMacForMode(int mode) = 0;

    // ---- what the time ruler and the Space tell; the front viewer answers ----
    virtual void terminerDeplacementCurseur() = 0;
    virtual void displayAllInspectView() = 0;
    // The tracks are open, opening or updating and the shown list has rows.
    virtual bool siNbOfRows() = 0;
    virtual bool siSelectedFilterItems() = 0;
    virtual void displaySelectionView() = 0;
    virtual void forgetDraggingLego() = 0;
    virtual QString durationStringForAllLegos() = 0;
    // The front's Objects list, from which presence intervals are dragged; nullptr without one.
    virtual ZEVLegoSource* selectionItemLegoSource() = 0;
    // A drag session ended; the header views opened for it close again a little later.
    virtual void draggingSessionDidStop() = 0;
    // The application came forward for a drag (every header view opens), and the drag ended (those
    // that were closed close again).
    virtual void activateTallomerStart() = 0;
    virtual void activateTallomerStop() = 0;
    // The Space window begins (true) or ends (false) controlling the Quick Look panel: the
    // toolbar's Quick Look button and the main menu's item follow.
    virtual void setSiShowQLPreview(bool shown) = 0;
    // A list search starts and ends.
    virtual void searchingWillStart() = 0;
    virtual void searchingDidFinish() = 0;

    // ---- edit actions (Recall, Retain, Release, Forget) ----
    virtual bool siRecallingSelectedItems() = 0;
    virtual bool siRecallingNowSelectedItems() = 0;
    virtual bool siReleasingSelectedItems() = 0;
    virtual void userRecallNow() = 0;
    virtual void userRecallSearch() = 0;
    virtual void userRetainNow() = 0;
    virtual void userRetainSearch() = 0;
    virtual void userReleaseNow() = 0;
    virtual void userReleaseSearch() = 0;
    virtual void userForgetNow() = 0;
    virtual void userForgetSearch() = 0;

    // ---- user commands on Objects, toolbar and panels ----
    virtual void userStepBack() = 0;
    virtual void cancelOperation() = 0;
    virtual void menuActionFilter() = 0;
    // The desk's own commands on the mode's selection, whichever panel has the keys: the Icons
    // panel's buttons do exactly what the desk does.
    virtual void menuEditRecallNow() = 0;
    virtual void menuEditRecall() = 0;
    virtual void menuEditRetain() = 0;
    virtual void menuEditRelease() = 0;
    virtual void menuEditForget() = 0;
    virtual void menuOpen() = 0;
    virtual void menuAddDocuments() = 0;
    // The same panel opened in the folder of that Object's file (Documents when it has none, or
    // when the file lies in the program's own folders): a panel's row menu adds beside a row.
    virtual void buttonAddWithItem(KELI* item) = 0;
    virtual void userToggleQL() = 0;
    // The Quick Look panel for the context menu's Object.
    virtual void userOpenQL() = 0;
    // Starts editing the view's title in place (nothing for a hidden view).
    virtual void userEditTitleForItemView(ZEVItemViewForDesks* view) = 0;
    // The link-line menu of a line (nullptr: none).
    virtual QMenu* connexionMenuForConnexion(ZEVItemConnexion*) = 0;
    // The per-Object display options, the stacking order and delete; the front viewer answers.
    virtual void userShowTitle() = 0;
    virtual void userShowQLIcon() = 0;
    virtual void userOpenOnClick() = 0;
    virtual void userAnimate() = 0;
    virtual void userSendToBack() = 0;
    virtual void userSendToFront() = 0;
    virtual void userDelete() = 0;
    virtual void userShowOriginal() = 0;
    // The focused inspector's swap, else the current mode's selection becomes the Objects of the
    // current Channel it leaves out; the Icons and Titles forms swap that mode's selection whatever
    // the mode.
    virtual void userSwap() = 0;
    virtual void userSwapIcons() = 0;
    virtual void userSwapTitles() = 0;
    // Open and Get Info of the current mode's selection (each Object once in Link mode), after
    // the focused inspector (open) or the topmost panel (Get Info, filter) had its say; Get Info
    // and the filter marking take the Object under the pointer alone when there is one.
    virtual void userOpen() = 0;
    virtual void userGetInfo() = 0;
    virtual void userFilter() = 0;
    virtual void userGoNow() = 0;
    virtual void userSpaceStartHome() = 0;
    virtual void userSpaceStart() = 0;
    virtual void userSpaceCleanAll() = 0;
    virtual void userSpaceCleanAndRecall() = 0;
    virtual void userSpaceCleanAndRecallBack() = 0;
    virtual void userSpaceCleanAndReplace() = 0;
    // A new Space's background: a picture Object, a colour item and a scale word.
    struct NewBackground {
        KELI* image = nullptr;
        KELI* color = nullptr;
        KELI* scaleMot = nullptr;
    };
    // A new Space of the current Channel from the active cursor's moment, with the background
    // `make` gives and no Objects. `make` runs inside the transition's one act, so that what it
    // makes is stored with the new Space or not at all; it answers false when it cannot. `done`
    // hears once whether the store kept the act (false too when no transition ran).
    virtual void newSpaceWithBackground(std::function<bool(NewBackground&)> make,
                                        std::function<void(bool stored)> done) = 0;
    virtual bool siGoToPanelVisible() = 0;
    virtual void majGoToDurationButtons() = 0;
    virtual void setGotoOff() = 0;
    virtual void selectionPreviousSpace(bool siNow) = 0;
    virtual void selectionNextSpace(bool siNow) = 0;
    virtual void selectionHome() = 0;
    // The Channel list's selection moved down or up to that Channel; the front toolbar answers.
    virtual void selectionDown(KELId channelInt) = 0;
    virtual void selectionUp(KELId channelInt) = 0;
    virtual void setSpaceBrowsing(bool browsing) = 0;
    virtual void setChannelBrowsing(bool browsing) = 0;
    // A history menu is open: the Home button keeps its light until it closes.
    virtual void setZevstoryBrowsing(bool browsing) = 0;
    // The edit items' images by the active cursor (the front viewer answers; a menu without it
    // keeps its images).
    virtual void majImageForEditionMenu1(QMenu*) = 0;
    virtual void majImageForEditionMenu2(QMenu*) = 0;
    // The Object menu opens with no inspector focused: the Icons inspector's items, then the
    // remove item's title for the selected links.
    virtual void updateMenuObject(QMenu* menu) = 0;

    // ---- commands that hand over to the Icons inspector, finds and the change steps ----
    // The Object under the pointer opens (nothing without one).
    virtual void userOpenOverfly() = 0;
    // The focused inspector's file command, else the Icons inspector's on the mode's Objects.
    virtual void userMoveTo() = 0;
    virtual void userMoveToSpace() = 0;
    virtual void userCopyTo() = 0;
    virtual void userCopyToSpace() = 0;
    virtual void userDuplicateTo() = 0;
    virtual void userDuplicateToSpace() = 0;
    // The focused inspector's find, else the selection list's search field shows or hides.
    virtual void userFind() = 0;
    // The Objects of every Channel that match the mode's selection (by title with `textual`) are
    // selected and the tracks open; true when more than one matched.
    virtual bool userFindInChannels() = 0;
    virtual void userFindTextInChannels() = 0;
    // The selection list's search field shows (the mode buttons in its way hiding) or hides.
    virtual void menuInspectFind() = 0;
    // The held-file and kind finds on the mode's Objects: the Links inspector's in Link mode, the
    // Icons inspector's otherwise (nothing when that inspector is not open).
    virtual void menuFindZevHeld() = 0;
    virtual void menuFindZevFolderHeld() = 0;
    virtual void menuFindMacHeld() = 0;
    virtual void menuFindExtHeld() = 0;
    virtual void menuFindFiles() = 0;
    virtual void menuFindPersons() = 0;
    virtual void menuFindEmails() = 0;
    virtual void menuFindBookmarks() = 0;
    // The Search cursor to the previous or next change: a focused inspector that takes the step
    // first. `fromControl`: a button or menu item sent it, and the step keeps to the current
    // Space only while Ctrl is held; without (the main menu's same-Space items) it always does.
    virtual void userGotoPrevious() = 0;
    virtual void userGotoNext() = 0;
    virtual void menuInspectPrevious(bool fromControl) = 0;
    virtual void menuInspectNext(bool fromControl) = 0;
};

} // namespace tallomer
