#pragma once
// The hub of the Space window: it builds and wires the window, the space model, the desks of the
// two time cursors (Search and Now), the inspector viewers and the front viewer, holds the
// cursors and the mapping between the window and the virtual desk, and hands each of its other
// jobs to the part that does it (below), forwarding the calls its callers make. Main thread only.

#include "engine/KELTypes.h"
#include "runtime/Scheduler.h"
#include "platform/UserDefaults.h"
#include "space/ZEVColorItems.h"
#include "space/ZEVCursorDesks.h"
#include "space/ZEVDragSession.h"
#include "space/ZEVFrontSpace.h"
#include "space/ZEVGotoState.h"
#include "space/ZEVInspectorViewers.h"
#include "space/ZEVItemEraser.h"
#include "space/ZEVPointerLimit.h"
#include "space/ZEVRulerPresets.h"
#include "space/ZEVSelections.h"
#include "space/ZEVSpaceChannels.h"
#include "space/ZEVSpaceDisplayOptions.h"
#include "space/ZEVSpaceGoto.h"
#include "space/ZEVSpaceHistory.h"
#include "space/ZEVSpaceKeyboard.h"
#include "space/ZEVSpaceParts.h"
#include "space/ZEVSpacePlace.h"
#include "space/ZEVSpaceTitle.h"
#include "space/ZEVSpaceWalks.h"
#include "space/ZEVSpaceWindowDelegate.h"
#include "space/ZEVSpacesMenus.h"
#include "space/desk/ZEVDeskGeometry.h"

#include <QColor>
#include <QCursor>
#include <QImage>
#include <QObject>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <QStringList>

#include <memory>
#include <set>
#include <string>
#include <vector>

class KELI;
class KELICurseur;
class KELIContexte;
class QMenu;
class QPixmap;

namespace tallomer {

class ZEVChannelClassServices;
class ZEVChannelViewerServices;
struct ZEVChannelPanelSpan;
class ZEVEntityClass;
class ZEVIconClassServices;
class ZEVLinkClassServices;
class ZEVSpaceClass;
class ZEVSpaceWindow;

class ZEVButtonSpaceDelegate;

class ZEVSpaceController {
public:
    static constexpr const char* kDefaultChannelKey = ZEVSpaceChannels::kDefaultChannelKey;
    static constexpr const char* kDefaultChannelZevFolderKey = ZEVSpaceChannels::kDefaultChannelZevFolderKey;

    // Builds the Space of the space object `spaceInt` at the timeline cursor, its window in front.
    // nullptr when there is no timeline cursor or no such space object. `host` is not owned and
    // must outlive the controller.
    static std::unique_ptr<ZEVSpaceController> initSpaceControllerWithSpaceInt(KELId spaceInt, ZEVSpaceHost& host,
                                                                               KELICurseur* tlCurseur);
    ~ZEVSpaceController();
    ZEVSpaceController(const ZEVSpaceController&) = delete;
    ZEVSpaceController& operator=(const ZEVSpaceController&) = delete;

    ZEVSpaceHost& host() const { return host_; }
    UserDefaultsController& defaults() const { return defaults_; }
    KELICurseur* tlCurseur() const { return tlCurseur_; }
    KELICurseur* actifCurseur() const { return actifCurseur_; }
    KELICurseur* nowCurseur() const { return nowCurseur_; }
    KELICurseur* searchCurseur() const { return searchCurseur_; }
    KELIContexte* tlContexte() const { return tlContexte_; }
    bool siSearchActif() const { return actifCurseur_ && actifCurseur_ == searchCurseur_; }
    ZEVSpaceWindow* spaceWindow() const { return spaceWindow_.get(); }
    ZEVSpaceClass* spaceClass() const { return spaceClass_.get(); }
    ZEVEntityClass* entityClass() const { return entityClass_.get(); }
    ZEVFrontViewerServices* frontViewer() const { return frontViewer_.get(); }
    // The time ruler's model and viewer; nullptr when the host made none.
    ZEVRulerClassServices* rulerClass() const { return rulerClass_.get(); }
    ZEVRulerViewerServices* rulerViewer() const { return rulerViewer_.get(); }
    ZEVContextViewerServices* contextViewer() const { return contextViewer_.get(); }
    ZEVEntityViewer* channelViewer() const { return inspectors_->channelViewer(); }
    // The channel viewer as the Space drives it; nullptr without one.
    ZEVChannelViewerServices* channelViewerServices() const { return inspectors_->channelViewerServices(); }
    KELI* defaultColorItem() const { return colors_->defaultColorItem(); }
    // The front layer's mode; icons without a front viewer.
    int frontMode() const;

    void enclencherMaj();
    // Ends a move of the timeline cursor, so that every cursor catches up.
    void relancerLesCurseurs();

    // ---- desk coordinates ----
    // Recomputes the mapping from the content view's current size.
    void updateSpaceRatio();
    ZEVDeskGeometry& deskGeometry() { return deskGeometry_; }
    const ZEVDeskGeometry& deskGeometry() const { return deskGeometry_; }
    QRectF nextIconDefaultPosition() { return deskGeometry_.nextIconDefaultPosition(); }
    // The desk's view in window points (y-up, origin 0).
    QRectF deskViewFrame() const;

    // ---- display options and drag session ----
    ZEVSpaceDisplayOptions& displaySettings() { return *display_; }
    const ZEVDeskDisplayOptions& displayOptions() const { return display_->displayOptions(); }
    bool siHideItemTitleForItem(KELI* item, bool selectedFilter) const
    {
        return display_->siHideItemTitleForItem(item, selectedFilter);
    }
    void setSiShowLinksForAllObjects(bool v) { display_->setSiShowLinksForAllObjects(v); }
    void setSiShowLinksForSelections(bool v) { display_->setSiShowLinksForSelections(v); }
    void setSiFiltreANDOperation(bool andOperation) { display_->setSiFiltreANDOperation(andOperation); }
    ZEVDragSession& dragSession() { return *drag_; }
    void draggingSessionStartedWithInteger(long session) { drag_->draggingSessionStartedWithInteger(session); }
    void cancelDraggingSession() { drag_->cancelDraggingSession(); }
    void draggingSessionDidStop() { drag_->draggingSessionDidStop(); }
    void setDraggingItem(KELI* item) { drag_->setDraggingItem(item); }
    KELI* draggingItem() const { return drag_->draggingItem(); }
    long draggingSessionInteger() const { return drag_->draggingSessionInteger(); }
    bool siDraggingSession() const { return drag_->siDraggingSession(); }
    bool siCancelDraggingSession() const { return drag_->siCancelDraggingSession(); }
    bool siBackItemChanges() const { return display_->siBackItemChanges(); }
    bool siBackColorChanges() const { return display_->siBackColorChanges(); }
    bool siBackScaleChanges() const { return display_->siBackScaleChanges(); }

    // ---- the pointer limit ----
    // The pointer moved to that point of the window (y-up). Entering the zone at the top right
    // opens the header views after mouseLimitDuration(); leaving the zone closes them after a
    // delay that shortens as the pointer goes down the window.
    ZEVPointerLimit& pointerLimit() { return *pointerLimit_; }
    void mouseMovedInLocation(const QPointF& p) { pointerLimit_->mouseMovedInLocation(p); }
    // The zone for the current state: the header area while the header views are shown by the
    // limit, else the corner.
    void resetMouseLimit() { pointerLimit_->resetMouseLimit(); }
    void setMouseLimitInside() { pointerLimit_->setMouseLimitInside(); }
    void setMouseLimitOutside() { pointerLimit_->setMouseLimitOutside(); }
    void _mouseLimitInside() { pointerLimit_->_mouseLimitInside(); }
    void _mouseLimitOutside() { pointerLimit_->_mouseLimitOutside(); }
    // The header-views button's action.
    void _showHeaderViews() { pointerLimit_->_showHeaderViews(); }
    const QRectF& mouseLimitRect() const { return pointerLimit_->mouseLimitRect(); }
    float mouseLimitInf() const { return pointerLimit_->mouseLimitInf(); }
    QPointF mouseLimitPoint() const { return pointerLimit_->mouseLimitPoint(); }
    double mouseLimitDuration() const { return pointerLimit_->mouseLimitDuration(); }
    bool siMouseLimitInside() const { return pointerLimit_->siMouseLimitInside(); }
    bool siMouseLimitOutside() const { return pointerLimit_->siMouseLimitOutside(); }
    bool siMouseLimitInDelay() const { return pointerLimit_->siMouseLimitInDelay(); }
    bool siMouseLimitOutDelay() const { return pointerLimit_->siMouseLimitOutDelay(); }
    bool siMouseLimitIN() const { return pointerLimit_->siMouseLimitIN(); }
    bool siMouseLimitOUT() const { return pointerLimit_->siMouseLimitOUT(); }
    bool siNSCursorHidden() const { return pointerLimit_->siNSCursorHidden(); }
    void setSiNSCursorHidden(bool hidden) { pointerLimit_->setSiNSCursorHidden(hidden); }
    int headerViewsBtnState() const { return pointerLimit_->headerViewsBtnState(); }
    // Whether the window is in full screen.
    bool siPleinEcran() const;
    // Where the pointer is in the window (y-up).
    QPointF pointeurDansLaFenetre() const;

    // ---- activation ----
    // A drag from another program rests over the desk: the window comes forward, and the front
    // layer hears of it 0.2 s later.
    void activateTallomer() { windowDelegate_->activateTallomer(); }
    // The desktop gives no way to bring the previous program forward: only the flag is cleared.
    void activatePreviousApp() { windowDelegate_->activatePreviousApp(); }
    bool siActivateTallomer() const { return windowDelegate_->siActivateTallomer(); }

    // ---- the go-to state ----
    ZEVGotoState& gotoState() { return *goto_; }
    void setSiGoToMode(bool goTo) { goto_->setSiGoToMode(goTo); }
    bool siGoToMode() const { return goto_->siGoToMode(); }
    long goToTag() const { return goto_->goToTag(); }
    // The temporary kind (100) remembers the kind it replaces, which restoreGoToTag gives back.
    void setGoToTag(long tag) { goto_->setGoToTag(tag); }
    void restoreGoToTag() { goto_->restoreGoToTag(); }
    // The duration tag of a go-to tag; 0 for an unknown tag.
    long durationTagForGoToTag(long tag) const { return goto_->durationTagForGoToTag(tag); }
    void setDurationTagForGoToTag(long durationTag, long tag) { goto_->setDurationTagForGoToTag(durationTag, tag); }
    long durationTag() const { return goto_->durationTag(); }
    void setDurationTag(long durationTag) { goto_->setDurationTag(durationTag); }
    // The end of a go-to of the current kind starting at t.
    KELDate outTimeForGoToTime(KELDate t) const { return goto_->outTimeForGoToTime(t); }
    // The duration of the current kind, while the go-to panel shows; empty otherwise.
    QString durationString() { return goto_->durationString(); }
    static QString durationStringForDuration(double seconds) { return ZEVGoto::durationStringForDuration(seconds); }

    // ---- showing the cursors and moving between Spaces ----
    // The Search cursor comes to the Now cursor, the Now cursor becomes active ("Tink"), and the
    // visible range follows when the Now date lies outside the part of the strip watched.
    ZEVSpaceWalks& walks() { return *walks_; }
    void _showNowCursor() { walks_->_showNowCursor(); }
    // The Search cursor goes to the date, gliding when `siDuration`; the visible range follows
    // when the date lies outside the part watched.
    void _showSearchCursorToDate(KELDate date, bool siDuration) { walks_->_showSearchCursorToDate(date, siDuration); }
    // The same two, keeping the date in view over that panel (an inspector's while it has the
    // keys; nullptr: the strip less its edges) rather than over the open Channels panel.
    void showNowCursorOver(const ZEVChannelPanelSpan* panneau) { walks_->showNowCursorOver(panneau); }
    void showSearchCursorToDateOver(KELDate date, bool siDuration, const ZEVChannelPanelSpan* panneau)
    {
        walks_->showSearchCursorToDateOver(date, siDuration, panneau);
    }
    // Into the previous or the next Space of the current Channel: `distinct` skips the images
    // already reached (each image once), `same` keeps to the current image.
    void userGotoPreviousSiDistinct(bool distinct, bool same) { walks_->userGotoPreviousSiDistinct(distinct, same); }
    void userGotoNextSiDistinct(bool distinct, bool same) { walks_->userGotoNextSiDistinct(distinct, same); }
    // To the end of the Space of that background link (nullptr: the Now cursor).
    void gotoPreviousFromLien(KELI* lien) { walks_->gotoPreviousFromLien(lien); }
    // What a Spaces menu item does.
    using SpacesMenuAction = ZEVSpacesMenuAction;
    ZEVSpacesMenus& spacesMenus() { return *menus_; }
    // Lists in the menu, from `startIndex`, the Spaces of the Channel before the Now cursor, most
    // recent first, each image once: maxPrev + 1 of them when maxPrev or maxNext is above 0. The
    // items of that action listed before go. Spaces of a Channel other than the current one are
    // titled in grey italic.
    void addSpacesToMenu(QMenu* menu, SpacesMenuAction action, int startIndex, long maxPrev, long maxNext,
                         KELI* channel)
    {
        menus_->addSpacesToMenu(menu, action, startIndex, maxPrev, maxNext, channel);
    }
    // Tag -1: the date of userGotoSetDate; -2: the Now cursor; otherwise the listed Space of that
    // index. Only while the Channels inspector browses Spaces.
    void userGotoPrevSpace(long tag) { menus_->userGotoPrevSpace(tag); }
    // Goes to the listed Space and has the main menu replace the current one by it.
    void userReplacePrevSpace(long tag) { menus_->userReplacePrevSpace(tag); }
    void userGotoSetDate(KELDate date) { menus_->userGotoSetDate(date); }
    KELDate gotoDate() const { return menus_->gotoDate(); }
    const std::vector<ZEVSpaceGotoObject>& gotoObjects() const { return menus_->gotoObjects(); }
    // Lists the Channels in the menu from `startIndex`, after a separator, the current one on.
    // siShowZevFolder: the drop folder's Channel is named as such too.
    void addChannelsToMenu(QMenu* menu, int startIndex, bool siShowZevFolder)
    {
        menus_->addChannelsToMenu(menu, startIndex, siShowZevFolder);
    }
    void userGotoChannel(long tag) { menus_->userGotoChannel(tag); }

    // ---- deleting an Object ----
    // Forgets every link that places, describes or connects the Object, at every date, then the
    // Object itself; its data, its views, its drawn Links and link objects, and every selection,
    // drag or title edit that held it go with it.
    void userDeleteItem(KELI* item) { eraser_->userDeleteItem(item, nullptr); }
    // The same erase for an inspector's delete: a link that cannot be loaded is logged under the
    // inspector's name (`owner`).
    void userDeleteItem(KELI* item, const char* owner) { eraser_->userDeleteItem(item, owner); }
    // Its two halves, for a delete of several Objects in one act.
    ZEVItemEraser& itemEraser() { return *eraser_; }

    // ---- per-cursor desks ----
    ZEVCursorDesks& desks() { return *desks_; }
    ZEVCursorDesk* deskForCurseur(KELICurseur* curseur) const { return desks_->deskForCurseur(curseur); }
    ZEVItemClass* itemClassForCurseur(KELICurseur* curseur) const { return desks_->itemClassForCurseur(curseur); }
    ZEVItemViewer* itemViewerForCurseur(KELICurseur* curseur) const { return desks_->itemViewerForCurseur(curseur); }
    ZEVDeskClass* deskClassForCurseur(KELICurseur* curseur) const { return desks_->deskClassForCurseur(curseur); }
    ZEVDeskViewer* deskViewerForCurseur(KELICurseur* curseur) const { return desks_->deskViewerForCurseur(curseur); }
    void changeDeskForActifCurseur(KELICurseur* curseur);
    // Records in the link base which cursor is active.
    void updateActifCurseur(KELICurseur* curseur);

    // ---- inspectors ----
    ZEVInspectorViewers& inspectors() { return *inspectors_; }
    ZEVEntityViewer* viewerForEntityClassName(const std::string& className) const
    {
        return inspectors_->viewerForEntityClassName(className);
    }
    // The inspector controllers made so far (not owned).
    std::vector<ZEVEntityViewer*> entityViewerSet() const { return inspectors_->entityViewerSet(); }
    ZEVEntityViewer* creerViewerForEntityClassName(const std::string& className, KELId entityInt)
    {
        return inspectors_->creerViewerForEntityClassName(className, entityInt);
    }
    // The same, the class name read from the entity's words in the link base.
    ZEVEntityViewer* creerViewerForEntityInt(KELId entityInt)
    {
        return inspectors_->creerViewerForEntityInt(entityInt);
    }
    // Opens the Files, Contacts and Images inspectors in which the Object is listed at the
    // cursor; answers the entities opened, in that order.
    std::vector<KELId> openViewersForCurseur(KELICurseur* curseur, KELI* item)
    {
        return inspectors_->openViewersForCurseur(curseur, item);
    }
    std::vector<ZEVEntityViewer*> allEntityViewers() const { return inspectors_->allEntityViewers(); }
    void updateAllTableViews() { inspectors_->updateAllTableViews(); }
    void volumeMountDidChange() { desks_->volumeMountDidChange(); }
    // Every Object view of the active cursor's desk redraws its image.
    void updateItemImagesOfCurrentChannel() { desks_->updateItemImagesOfCurrentChannel(); }

    // ---- what the desktop hands over ----
    // Files opened from the desktop become Objects on the Now desk.
    void addFilenames(const QStringList& paths) { desks_->addFilenames(paths); }

    // ---- the zevp place ----
    // The current place as a zevp string (the Objects given, or none), and the first number of
    // its cursor part (a date or an offset) in *con. siSpace: the place is the Now cursor's.
    ZEVSpacePlace& place() { return *place_; }
    QString zevpStringForItems(const std::vector<KELI*>* items, bool siSpace, double* con = nullptr)
    {
        return place_->zevpStringForItems(items, siSpace, con);
    }
    // A picture of the active desk, or with siSpace of the Now desk (a null image when the ruler
    // cannot change cursors).
    QImage zevpImageSiSpace(bool siSpace) { return place_->zevpImageSiSpace(siSpace); }
    // Puts the place with the Objects on the pasteboard, as a saved desk view and as text.
    void copyZevpUrlForItems(const std::vector<KELI*>& items, bool siSpace)
    {
        place_->copyZevpUrlForItems(items, siSpace);
    }
    // Moves to the place a zevp string names. siHistory: the move comes from the history, and
    // records no history mark; otherwise the place reached is recorded (also when the string is
    // refused). Bad input is refused with a log line, or a beep for its cursor part; the answer
    // says which and why.
    ZEVZevpOpening openZevpURL(const QString& url, bool siHistory = false)
    {
        return place_->openZevpURL(url, siHistory);
    }

    // ---- the history ----
    ZEVMarkHistoryServices* markHistoryViewer() const { return markHistoryViewer_.get(); }
    // Records the current place while recording is on: its mark comes to the front, or is made.
    ZEVSpaceHistory& history() { return *history_; }
    void addToHistory() { history_->addToHistory(); }
    // Lists the marks older than the current place in the menu from `startIndex`, at most `max`,
    // replacing the ones listed before.
    void addZevStoryToMenu(QMenu* menu, int startIndex, unsigned max)
    {
        history_->addZevStoryToMenu(menu, startIndex, max);
    }
    // Remembers the current place while the history is browsed; forgets it.
    void menuHistoryStart() { history_->menuHistoryStart(); }
    void menuHistoryStop() { history_->menuHistoryStop(); }
    // The History menu closed: the place it remembered for its previews is forgotten, unless a
    // stroll it started runs its panel, which returns there on Cancel.
    void menuHistoryDidClose() { history_->menuHistoryDidClose(); }
    void menuHistoryPrevious() { history_->menuHistoryPrevious(); }
    void menuHistoryNext() { history_->menuHistoryNext(); }
    // Opens the mark at that index (brought to the front), recording nothing.
    void userGotoHistory(long tag) { history_->userGotoHistory(tag); }
    // Shows a mark while the history is browsed, or the remembered place (outOfHistory).
    void userScannHistory(long tag, bool outOfHistory) { history_->userScannHistory(tag, outOfHistory); }
    // Empties the history; the current place becomes its only mark.
    void userDeleteHistory() { history_->userDeleteHistory(); }
    const QString& initialZevpString() const { return history_->initialZevpString(); }

    // ---- selections ----
    ZEVSelections& selections() { return *selections_; }
    // Whether the selections are made yet (and not yet gone).
    bool siSelections() const { return selections_ != nullptr; }
    // The inspectors' models, once their viewers exist; nullptr before (not owned).
    ZEVIconClassServices* iconClass() const { return inspectors_->iconClass(); }
    ZEVLinkClassServices* linkClass() const { return inspectors_->linkClass(); }
    ZEVChannelClassServices* channelClass() const { return inspectors_->channelClass(); }

    // ---- colour items, filters and presets ----
    // The colour item of the colour's red, green and blue (0 to 255), found whatever its name,
    // or made under `name`; nullptr when it cannot be made.
    ZEVColorItems& colorItems() { return *colors_; }
    KELI* createColorItemWithColor(const QColor& color, const std::string& name)
    {
        return colors_->createColorItemWithColor(color, name);
    }
    KELI* newColorWithRouge(KELI* rouge, KELI* vert, KELI* bleu, KELI* name)
    {
        return colors_->newColorWithRouge(rouge, vert, bleu, name);
    }
    std::string colorNameForColorItem(KELI* colorItem) { return colors_->colorNameForColorItem(colorItem); }
    void userChangeFilterToAndOperation() { setSiFiltreANDOperation(true); }
    void userChangeFilterToOrOperation() { setSiFiltreANDOperation(false); }
    // Moves to a preset of the ruler bar (2000009 to 2000017); a stamp of no kind beeps.
    void userChangePresetWithStampInt(KELId stamp) { presets_->userChangePresetWithStampInt(stamp); }
    // The menus' Home: the Now cursor brought back into view (the application's menu bar will
    // send it; the ruler bar's own Home button goes through the Home Time preset).
    void userChangePresetHome() { _showNowCursor(); }

    // ---- Channels ----
    ZEVSpaceChannels& channels() { return *channels_; }
    std::vector<KELI*> allIdentities() { return channels_->allIdentities(); }
    // nullptr when the id is not a Channel.
    KELI* channelForIdentityInt(KELId identityInt) { return channels_->channelForIdentityInt(identityInt); }
    KELI* newIdentityNamed(const std::string& name) { return channels_->newIdentityNamed(name); }
    void renameIdentity(KELI* channel, const std::string& name) { channels_->renameIdentity(channel, name); }
    // Makes the Channel current and tells every listener; an unknown id changes nothing.
    void updateChannelWithIdentityInt(KELId identityInt) { channels_->updateChannelWithIdentityInt(identityInt); }
    // The list of Channels changed.
    void updateChannelWithIdentitySet() { channels_->updateChannelWithIdentitySet(); }
    // The Channel before (up) or after (down) the current one: the Channels inspector steps its
    // list's rows; without it, the Space steps its own list of Channels (pasDeChannel).
    void menuChannelUp() { channels_->menuChannelUp(); }
    void menuChannelDown() { channels_->menuChannelDown(); }
    // The Channel before (-1) or after (1) the current one among all the Channels, stopping at
    // either end; the go-to buttons are reset 0.2 s after the last step.
    void pasDeChannel(int sens) { channels_->pasDeChannel(sens); }
    KELId homeChannelInt() const { return channels_->homeChannelInt(); }
    KELId zevFolderChannelInt() const { return channels_->zevFolderChannelInt(); }
    KELId currentChannelInt() const;
    // Rewrite `default.file`; the field changes only when the file was written.
    bool setHomeChannelInt(KELId channelInt) { return channels_->setHomeChannelInt(channelInt); }
    bool setZevFolderChannelInt(KELId channelInt) { return channels_->setZevFolderChannelInt(channelInt); }
    QString defaultFilePath() const { return channels_->defaultFilePath(); }
    // The colour of a colour item (its three numbers 0 to 255; nullptr for the default colour
    // item); black when incomplete.
    QColor colorForColorItem(KELI* colorItem) { return colors_->colorForColorItem(colorItem); }

    // ---- the window ----
    ZEVSpaceWindowDelegate& windowDelegate() { return *windowDelegate_; }
    // The frame to open with out of full screen (y-up, title bar included).
    QRectF windowDefaultRect() { return windowDelegate_->windowDefaultRect(); }
    // Remembers the window's frame in the user defaults (not in full screen, nor maximised).
    void majWindowDefault() { windowDelegate_->majWindowDefault(); }
    // Remembers in the user defaults whether the window is in full screen.
    void majFullScreenDefault() { windowDelegate_->majFullScreenDefault(); }
    // What the window tells of itself: it became the active window, its size changed, a resize
    // or move ended, it changed screens, it moved, its full-screen state changed.
    void windowDidBecomeKey() { windowDelegate_->windowDidBecomeKey(); }
    // A widget of the window took the keyboard focus: the quasimodes follow the held modifiers.
    void windowDidTakeFocus() { windowDelegate_->windowDidTakeFocus(); }
    void windowDidResize() { windowDelegate_->windowDidResize(); }
    void windowDidEndLiveResize() { windowDelegate_->windowDidEndLiveResize(); }
    void windowDidChangeScreen() { windowDelegate_->windowDidChangeScreen(); }
    void windowDidMove() { windowDelegate_->windowDidMove(); }
    void windowDidChangeFullScreenState() { windowDelegate_->windowDidChangeFullScreenState(); }
    // The stay-in-front command: off when on; else on, unless in full screen.
    void userToggleFrontSpace() { frontSpace_->userToggleFrontSpace(); }
    void _setFrontSpace(bool front) { frontSpace_->_setFrontSpace(front); }
    bool siFrontSpace() const { return frontSpace_->siFrontSpace(); }
    // A window at its narrowest floats in front; any wider one does not.
    void regleDeLaMiniSpace() { frontSpace_->regleDeLaMiniSpace(); }
    // Whether the last title was the plain one of the Now desk at the Home Time.
    bool siTallomer() const { return title_->siTallomer(); }
    // The pointer over the Search desk, made once from the shared image, its hot spot at (2, 3).
    static const QCursor& SearchCursor(const QPixmap& image);
    // The user asked to quit from the window (Ctrl+Q): the pending frame is written, then the
    // host runs the quit sequence.
    void userQuit() { windowDelegate_->userQuit(); }
    // A key of the Space window: answers true when the key is used up.
    bool spaceKeyPressed(int qtKey, Qt::KeyboardModifiers modifiers)
    {
        return keyboard_->spaceKeyPressed(qtKey, modifiers);
    }
    // Titles the window after the current Channel and its background, the active cursor (the
    // Search cursor says whether it looks at the past, the future or now), the front mode and the
    // pointer in the top right zone.
    void majWindowTitle() { title_->majWindowTitle(); }
    // A modifier key (the Qt key) went down or up; `modifiers` are all those held now.
    void flagsChanged(int key, Qt::KeyboardModifiers modifiers, bool siAcceptsFlagsChanges)
    {
        keyboard_->flagsChanged(key, modifiers, siAcceptsFlagsChanges);
    }
    // A key other than a modifier went down in the window.
    void keyTyped() { keyboard_->keyTyped(); }
    void setBrowsedSpaceBackImageInt(KELId imageInt) { walks_->setBrowsedBackImageInt(imageInt); }
    KELId browsedBackImageInt() const { return walks_->browsedBackImageInt(); }
    void emptyPreviousImageItemIndexSet() { walks_->previousImageItemIndexSet().clear(); }
    void emptyNextImageLienIndexSet() { walks_->nextImageLienIndexSet().clear(); }
    std::set<long>& previousImageItemIndexSet() { return walks_->previousImageItemIndexSet(); }
    std::set<long>& nextImageLienIndexSet() { return walks_->nextImageLienIndexSet(); }
    bool siFirstTime() const { return siFirstTime_; }
    bool siMiniSpace() const { return frontSpace_->siMiniSpace(); }
    bool siAddToHistory() const { return history_->siAddToHistory(); }
    void setSiAddToHistory(bool v) { history_->setSiAddToHistory(v); }

    // ---- the collect grid ----
    // The grid of files added at once. It places Objects, which the desks make, so the desk side
    // makes it on first use and hands it over; the controller keeps it for the window's life.
    QObject* collectViewer() const { return collectViewer_.get(); }
    void setCollectViewer(std::unique_ptr<QObject> viewer) { collectViewer_ = std::move(viewer); }

private:
    ZEVSpaceController(KELId spaceInt, ZEVSpaceHost& host, KELICurseur* tlCurseur);
    void construire(KELId spaceInt);
    void creerLaFenetre();
    void lireLesCurseurs();
    KELI* lienActifInitial();
    class SelectionContext;

    ZEVSpaceHost& host_;               // not owned: the controller that made the Space
    UserDefaultsController& defaults_; // not owned
    KELICurseur* tlCurseur_;           // not owned; links live for the run
    KELICurseur* actifCurseur_ = nullptr;
    KELICurseur* nowCurseur_ = nullptr;
    KELICurseur* searchCurseur_ = nullptr;
    KELIContexte* tlContexte_ = nullptr;

    // The jobs the controller hands on. They go after the window and the viewers (declared
    // later), which may still ask them for things while they go.
    std::unique_ptr<ZEVCursorDesks> desks_;
    std::unique_ptr<ZEVInspectorViewers> inspectors_;
    std::unique_ptr<ZEVSpaceChannels> channels_;
    std::unique_ptr<ZEVColorItems> colors_;
    std::unique_ptr<ZEVSpaceDisplayOptions> display_;
    std::unique_ptr<ZEVDragSession> drag_;
    std::unique_ptr<ZEVPointerLimit> pointerLimit_;
    std::unique_ptr<ZEVGotoState> goto_;
    std::unique_ptr<ZEVSpaceWalks> walks_;
    std::unique_ptr<ZEVSpacesMenus> menus_;
    std::unique_ptr<ZEVSpacePlace> place_;
    std::unique_ptr<ZEVSpaceHistory> history_;
    std::unique_ptr<ZEVSpaceWindowDelegate> windowDelegate_;
    std::unique_ptr<ZEVFrontSpace> frontSpace_;
    std::unique_ptr<ZEVSpaceTitle> title_;
    std::unique_ptr<ZEVSpaceKeyboard> keyboard_;
    std::unique_ptr<ZEVItemEraser> eraser_;
    std::unique_ptr<ZEVRulerPresets> presets_;

    ZEVDeskGeometry deskGeometry_;
    bool siFirstTime_ = false;

    // What the window's buttons say of drags passing over them reaches this controller through it.
    std::unique_ptr<ZEVButtonSpaceDelegate> buttonDrags_;

    std::unique_ptr<ZEVSpaceWindow> spaceWindow_;
    std::unique_ptr<ZEVSpaceClass> spaceClass_;
    std::unique_ptr<ZEVEntityClass> entityClass_;
    std::unique_ptr<ZEVRulerClassServices> rulerClass_;
    std::unique_ptr<ZEVRulerViewerServices> rulerViewer_;
    std::unique_ptr<ZEVContextViewerServices> contextViewer_;
    std::unique_ptr<ZEVFrontViewerServices> frontViewer_;
    std::unique_ptr<SelectionContext> selectionContext_;
    std::unique_ptr<ZEVSelections> selections_;
    std::unique_ptr<ZEVMarkHistoryServices> markHistoryViewer_;
    // Goes before the window's parts it floats over.
    std::unique_ptr<QObject> collectViewer_;
    ScheduledTarget guard_{this};
};

} // namespace tallomer
