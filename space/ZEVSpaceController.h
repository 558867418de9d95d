#pragma once
// The hub of the Space window: it owns the window, the space model, one desk per time cursor
// (Search and Now), the inspector viewers and the front viewer, keeps the mapping between the
// window and the virtual desk, the current Channel and the two Channel roles of `default.file`,
// and reacts to the user defaults. Main thread only.

#include "engine/KELTypes.h"
#include "runtime/Scheduler.h"
#include "platform/UserDefaults.h"
#include "space/ZEVSelections.h"
#include "space/ZEVSpaceGoto.h"
#include "space/ZEVSpaceParts.h"
#include "space/desk/ZEVDeskGeometry.h"

#include <QColor>
#include <QCursor>
#include <QImage>
#include <QObject>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <QStringList>

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

class KELI;
class KELICurseur;
class KELIContexte;
class KELIElemRelation;
class KELIModel;
class KELIModelMot;
class KELLien;
class QIcon;
class QMenu;
class QPixmap;

namespace tallomer {

class ZEVChannelClassServices;
class ZEVChannelViewerServices;
struct ZEVChannelPanelSpan;
struct ZEVTimeRegard;
class ZEVEntityClass;
class ZEVIconClassServices;
class ZEVLinkClassServices;
struct ZEVZevpReading;
class ZEVSpaceClass;
class ZEVSpaceWindow;

class ZEVButtonSpaceDelegate;

class ZEVSpaceController {
public:
    static constexpr const char* kDefaultChannelKey = "ZEVDefaultChannel";
    static constexpr const char* kDefaultChannelZevFolderKey = "ZEVDefaultChannelZevFolder";

    // Builds the Space of the space object `spaceInt` at the timeline cursor, its window in front.
    // nullptr when there is no timeline cursor or no such space object. `host` is not owned and
    // must outlive the controller.
    static std::unique_ptr<ZEVSpaceController> initSpaceControllerWithSpaceInt(KELId spaceInt, ZEVSpaceHost& host,
                                                                                KELICurseur* tlCurseur);
    ~ZEVSpaceController();
    ZEVSpaceController(const ZEVSpaceController&) = delete;
    ZEVSpaceController& operator=(const ZEVSpaceController&) = delete;

    ZEVSpaceHost& host() const { return host_; }
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
    ZEVEntityViewer* channelViewer() const { return channelViewer_; }
    // The channel viewer as the Space drives it; nullptr without one.
    ZEVChannelViewerServices* channelViewerServices() const;
    KELI* defaultColorItem() const { return defaultColorItem_; }

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
    const ZEVDeskDisplayOptions& displayOptions() const { return options_; }
    bool siHideItemTitleForItem(KELI* item, bool selectedFilter) const;
    void setSiShowLinksForAllObjects(bool v) { options_.siShowLinksForAllObjects = v; }
    void setSiShowLinksForSelections(bool v) { options_.siShowLinksForSelections = v; }
    void setSiFiltreANDOperation(bool andOperation);
    void draggingSessionStartedWithInteger(long session);
    void cancelDraggingSession();
    void draggingSessionDidStop();
    void setDraggingItem(KELI* item);
    KELI* draggingItem() const { return draggingItem_; }
    long draggingSessionInteger() const { return draggingSessionInteger_; }
    bool siDraggingSession() const { return siDraggingSession_; }
    bool siCancelDraggingSession() const { return siCancelDraggingSession_; }
    bool siBackItemChanges() const { return siBackItemChanges_; }
    bool siBackColorChanges() const { return siBackColorChanges_; }
    bool siBackScaleChanges() const { return siBackScaleChanges_; }

    // ---- the pointer limit ----
    // The pointer moved to that point of the window (y-up). Entering the zone at the top right
    // opens the header views after mouseLimitDuration(); leaving the zone closes them after a
    // delay that shortens as the pointer goes down the window.
    void mouseMovedInLocation(const QPointF& p);
    // The zone for the current state: the header area while the header views are shown by the
    // limit, else the corner.
    void resetMouseLimit();
    void setMouseLimitInside();
    void setMouseLimitOutside();
    void _mouseLimitInside();
    void _mouseLimitOutside();
    // The header-views button's action.
    void _showHeaderViews();
    const QRectF& mouseLimitRect() const { return mouseLimitRect_; }
    float mouseLimitInf() const { return mouseLimitInf_; }
    QPointF mouseLimitPoint() const { return mouseLimitPoint_; }
    double mouseLimitDuration() const { return mouseLimitDuration_; }
    bool siMouseLimitInside() const { return siMouseLimitInside_; }
    bool siMouseLimitOutside() const { return siMouseLimitOutside_; }
    bool siMouseLimitInDelay() const { return siMouseLimitInDelay_; }
    bool siMouseLimitOutDelay() const { return siMouseLimitOutDelay_; }
    bool siMouseLimitIN() const { return siMouseLimitIN_; }
    bool siMouseLimitOUT() const { return siMouseLimitOUT_; }
    bool siNSCursorHidden() const { return siNSCursorHidden_; }
    void setSiNSCursorHidden(bool hidden) { siNSCursorHidden_ = hidden; }
    int headerViewsBtnState() const { return headerViewsBtnState_; }

    // ---- activation ----
    // A drag from another program rests over the desk: the window comes forward, and the front
    // layer hears of it 0.2 s later.
    void activateTallomer();
    // The desktop gives no way to bring the previous program forward: only the flag is cleared.
    void activatePreviousApp();
    bool siActivateTallomer() const { return siActivateTallomer_; }

    // ---- the go-to state ----
    void setSiGoToMode(bool goTo) { goToModeCount_ += goTo ? 1 : -1; }
    bool siGoToMode() const { return goToModeCount_ > 0; }
    long goToTag() const { return goToTag_; }
    // The temporary kind (100) remembers the kind it replaces, which restoreGoToTag gives back.
    void setGoToTag(long tag);
    void restoreGoToTag();
    // The duration tag of a go-to tag; 0 for an unknown tag.
    long durationTagForGoToTag(long tag) const;
    void setDurationTagForGoToTag(long durationTag, long tag);
    long durationTag() const { return durationTagForGoToTag(goToTag_); }
    void setDurationTag(long durationTag);
    // The end of a go-to of the current kind starting at t.
    KELDate outTimeForGoToTime(KELDate t) const;
    // The duration of the current kind, while the go-to panel shows; empty otherwise.
    QString durationString();
    static QString durationStringForDuration(double seconds) { return ZEVGoto::durationStringForDuration(seconds); }

    // ---- showing the cursors and moving between Spaces ----
    // The Search cursor comes to the Now cursor, the Now cursor becomes active ("Tink"), and the
    // visible range follows when the Now date lies outside the part of the strip watched.
    void _showNowCursor();
    // The Search cursor goes to the date, gliding when `siDuration`; the visible range follows
    // when the date lies outside the part watched.
    void _showSearchCursorToDate(KELDate date, bool siDuration);
    // The same two, keeping the date in view over that panel (an inspector's while it has the
    // keys; nullptr: the strip less its edges) rather than over the open Channels panel.
    void showNowCursorOver(const ZEVChannelPanelSpan* panneau);
    void showSearchCursorToDateOver(KELDate date, bool siDuration, const ZEVChannelPanelSpan* panneau);
    // Into the previous or the next Space of the current Channel: `distinct` skips the images
    // already reached (each image once), `same` keeps to the current image.
    void userGotoPreviousSiDistinct(bool distinct, bool same);
    void userGotoNextSiDistinct(bool distinct, bool same);
    // To the end of the Space of that background link (nullptr: the Now cursor).
    void gotoPreviousFromLien(KELI* lien);
    // What a Spaces menu item does.
    enum class SpacesMenuAction { GotoPrevSpace, ReplacePrevSpace };
    // Lists in the menu, from `startIndex`, the Spaces of the Channel before the Now cursor, most
    // recent first, each image once: maxPrev + 1 of them when maxPrev or maxNext is above 0. The
    // items of that action listed before go. Spaces of a Channel other than the current one are
    // titled in grey italic.
    void addSpacesToMenu(QMenu* menu, SpacesMenuAction action, int startIndex, long maxPrev, long maxNext,
                         KELI* channel);
    // Tag -1: the date of userGotoSetDate; -2: the Now cursor; otherwise the listed Space of that
    // index. Only while the Channels inspector browses Spaces.
    void userGotoPrevSpace(long tag);
    // Goes to the listed Space and has the main menu replace the current one by it.
    void userReplacePrevSpace(long tag);
    void userGotoSetDate(KELDate date) { gotoDate_ = date; }
    KELDate gotoDate() const { return gotoDate_; }
    const std::vector<ZEVSpaceGotoObject>& gotoObjects() const { return gotoObjects_; }
    // Lists the Channels in the menu from `startIndex`, after a separator, the current one on.
    // siShowZevFolder: the drop folder's Channel is named as such too.
    void addChannelsToMenu(QMenu* menu, int startIndex, bool siShowZevFolder);
    void userGotoChannel(long tag);

    // ---- deleting an Object ----
    // Forgets every link that places, describes or connects the Object, at every date, then the
    // Object itself; its data, its views, its drawn Links and link objects, and every selection,
    // drag or title edit that held it go with it.
    void userDeleteItem(KELI* item);
    // The same erase for an inspector's delete: a link that cannot be loaded is logged under the
    // inspector's name (`owner`).
    void userDeleteItem(KELI* item, const char* owner);

    // ---- per-cursor desks ----
    ZEVCursorDesk* deskForCurseur(KELICurseur* curseur) const;
    ZEVItemClass* itemClassForCurseur(KELICurseur* curseur) const;
    ZEVItemViewer* itemViewerForCurseur(KELICurseur* curseur) const;
    ZEVDeskClass* deskClassForCurseur(KELICurseur* curseur) const;
    ZEVDeskViewer* deskViewerForCurseur(KELICurseur* curseur) const;
    void changeDeskForActifCurseur(KELICurseur* curseur);
    // Records in the link base which cursor is active.
    void updateActifCurseur(KELICurseur* curseur);

    // ---- inspectors ----
    ZEVEntityViewer* viewerForEntityClassName(const std::string& className) const;
    // The inspector controllers made so far (not owned).
    std::vector<ZEVEntityViewer*> entityViewerSet() const;
    ZEVEntityViewer* creerViewerForEntityClassName(const std::string& className, KELId entityInt);
    // The same, the class name read from the entity's words in the link base.
    ZEVEntityViewer* creerViewerForEntityInt(KELId entityInt);
    // Opens the Files, Contacts and Images inspectors in which the Object is listed at the
    // cursor; answers the entities opened, in that order.
    std::vector<KELId> openViewersForCurseur(KELICurseur* curseur, KELI* item);
    std::vector<ZEVEntityViewer*> allEntityViewers() const;
    void updateAllTableViews();
    void volumeMountDidChange();
    // Every Object view of the active cursor's desk redraws its image.
    void updateItemImagesOfCurrentChannel();

    // ---- what the desktop hands over ----
    // Files opened from the desktop become Objects on the Now desk.
    void addFilenames(const QStringList& paths);

    // ---- the zevp place ----
    // The current place as a zevp string (the Objects given, or none), and the first number of
    // its cursor part (a date or an offset) in *con. siSpace: the place is the Now cursor's.
    QString zevpStringForItems(const std::vector<KELI*>* items, bool siSpace, double* con = nullptr);
    // A picture of the active desk, or with siSpace of the Now desk (a null image when the ruler
    // cannot change cursors).
    QImage zevpImageSiSpace(bool siSpace);
    // Puts the place with the Objects on the pasteboard, as a saved desk view and as text.
    void copyZevpUrlForItems(const std::vector<KELI*>& items, bool siSpace);
    // Moves to the place a zevp string names. siHistory: the move comes from the history, and
    // records no history mark; otherwise the place reached is recorded (also when the string is
    // refused). Bad input is refused with a log line, or a beep for its cursor part.
    void openZevpURL(const QString& url, bool siHistory = false);

    // ---- the history ----
    ZEVMarkHistoryServices* markHistoryViewer() const { return markHistoryViewer_.get(); }
    // Records the current place while recording is on: its mark comes to the front, or is made.
    void addToHistory();
    // Lists the marks older than the current place in the menu from `startIndex`, at most `max`,
    // replacing the ones listed before.
    void addZevStoryToMenu(QMenu* menu, int startIndex, unsigned max);
    // Remembers the current place while the history is browsed; forgets it.
    void menuHistoryStart();
    void menuHistoryStop();
    // The History menu closed: the place it remembered for its previews is forgotten, unless a
    // stroll it started runs its panel, which returns there on Cancel.
    void menuHistoryDidClose()
    {
        if (!siStroll_)
            menuHistoryStop();
    }
    void menuHistoryPrevious();
    void menuHistoryNext();
    // Opens the mark at that index (brought to the front), recording nothing.
    void userGotoHistory(long tag);
    // Shows a mark while the history is browsed, or the remembered place (outOfHistory).
    void userScannHistory(long tag, bool outOfHistory);
    // Empties the history; the current place becomes its only mark.
    void userDeleteHistory();
    const QString& initialZevpString() const { return initialZevpString_; }

    // ---- selections ----
    ZEVSelections& selections() { return *selections_; }
    // The inspectors' models, once their viewers exist; nullptr before (not owned).
    ZEVIconClassServices* iconClass() const;
    ZEVLinkClassServices* linkClass() const;
    ZEVChannelClassServices* channelClass() const;

    // ---- colour items, filters and presets ----
    // The colour item of the colour's red, green and blue (0 to 255), found whatever its name,
    // or made under `name`; nullptr when it cannot be made.
    KELI* createColorItemWithColor(const QColor& color, const std::string& name);
    KELI* newColorWithRouge(KELI* rouge, KELI* vert, KELI* bleu, KELI* name);
    std::string colorNameForColorItem(KELI* colorItem);
    void userChangeFilterToAndOperation() { setSiFiltreANDOperation(true); }
    void userChangeFilterToOrOperation() { setSiFiltreANDOperation(false); }
    // Moves to a preset of the ruler bar (2000009 to 2000017); a stamp of no kind beeps.
    void userChangePresetWithStampInt(KELId stamp);
    // The menus' Home: the Now cursor brought back into view (the application's menu bar will
    // send it; the ruler bar's own Home button goes through the Home Time preset).
    void userChangePresetHome() { _showNowCursor(); }

    // ---- Channels ----
    std::vector<KELI*> allIdentities();
    // nullptr when the id is not a Channel.
    KELI* channelForIdentityInt(KELId identityInt);
    KELI* newIdentityNamed(const std::string& name);
    void renameIdentity(KELI* channel, const std::string& name);
    // Makes the Channel current and tells every listener; an unknown id changes nothing.
    void updateChannelWithIdentityInt(KELId identityInt);
    // The list of Channels changed.
    void updateChannelWithIdentitySet();
    // The Channel before (up) or after (down) the current one: the Channels inspector steps its
    // list's rows; without it, the Space steps its own list of Channels (pasDeChannel).
    void menuChannelUp();
    void menuChannelDown();
    // The Channel before (-1) or after (1) the current one among all the Channels, stopping at
    // either end; the go-to buttons are reset 0.2 s after the last step.
    void pasDeChannel(int sens);
    KELId homeChannelInt() const { return homeChannelInt_; }
    KELId zevFolderChannelInt() const { return zevFolderChannelInt_; }
    KELId currentChannelInt() const;
    // Rewrite `default.file`; the field changes only when the file was written.
    bool setHomeChannelInt(KELId channelInt);
    bool setZevFolderChannelInt(KELId channelInt);
    QString defaultFilePath() const;
    // The colour of a colour item (its three numbers 0 to 255; nullptr for the default colour
    // item); black when incomplete.
    QColor colorForColorItem(KELI* colorItem);

    // ---- the window ----
    // The frame to open with out of full screen (y-up, title bar included).
    QRectF windowDefaultRect();
    // Remembers the window's frame in the user defaults (not in full screen, nor maximised).
    void majWindowDefault();
    // Remembers in the user defaults whether the window is in full screen.
    void majFullScreenDefault();
    // What the window tells of itself: it became the active window, its size changed, a resize
    // or move ended, it changed screens, it moved, its full-screen state changed.
    void windowDidBecomeKey();
    // A widget of the window took the keyboard focus: the quasimodes follow the held modifiers.
    void windowDidTakeFocus();
    void windowDidResize();
    void windowDidEndLiveResize();
    void windowDidChangeScreen();
    void windowDidMove();
    void windowDidChangeFullScreenState();
    // The stay-in-front command: off when on; else on, unless in full screen.
    void userToggleFrontSpace();
    void _setFrontSpace(bool front);
    bool siFrontSpace() const { return siFrontSpace_; }
    // Whether the last title was the plain one of the Now desk at the Home Time.
    bool siTallomer() const { return siTallomer_; }
    // The pointer over the Search desk, made once from the shared image, its hot spot at (2, 3).
    static const QCursor& SearchCursor(const QPixmap& image);
    // The user asked to quit from the window (Ctrl+Q): the pending frame is written, then the
    // host runs the quit sequence.
    void userQuit();
    // A key of the Space window: answers true when the key is used up.
    bool spaceKeyPressed(int qtKey, Qt::KeyboardModifiers modifiers);
    // Titles the window after the current Channel and its background, the active cursor (the
    // Search cursor says whether it looks at the past, the future or now), the front mode and the
    // pointer in the top right zone.
    void majWindowTitle();
    // A modifier key (the Qt key) went down or up; `modifiers` are all those held now.
    void flagsChanged(int key, Qt::KeyboardModifiers modifiers, bool siAcceptsFlagsChanges);
    // A key other than a modifier went down in the window.
    void keyTyped();
    void setBrowsedSpaceBackImageInt(KELId imageInt) { browsedBackImageInt_ = imageInt; }
    KELId browsedBackImageInt() const { return browsedBackImageInt_; }
    void emptyPreviousImageItemIndexSet() { previousImageItemIndexSet_.clear(); }
    void emptyNextImageLienIndexSet() { nextImageLienIndexSet_.clear(); }
    std::set<long>& previousImageItemIndexSet() { return previousImageItemIndexSet_; }
    std::set<long>& nextImageLienIndexSet() { return nextImageLienIndexSet_; }
    bool siFirstTime() const { return siFirstTime_; }
    bool siMiniSpace() const { return siMiniSpace_; }
    bool siAddToHistory() const { return siAddToHistory_; }
    void setSiAddToHistory(bool v) { siAddToHistory_ = v; }

    // ---- the collect grid ----
    // The grid of files added at once. It places Objects, which the desks make, so the desk side
    // makes it on first use and hands it over; the controller keeps it for the window's life.
    QObject* collectViewer() const { return collectViewer_.get(); }
    void setCollectViewer(std::unique_ptr<QObject> viewer) { collectViewer_ = std::move(viewer); }

private:
    ZEVSpaceController(KELId spaceInt, ZEVSpaceHost& host, KELICurseur* tlCurseur);
    void construire(KELId spaceInt);
    void lireDefaultFile();
    bool ecrireDefaultFile(const char* key, KELId channelInt);
    void lireLesDefaults();
    void observeValueForKey(const QString& key, bool value);
    void creerLaFenetre();
    void lireLesCurseurs();
    KELI* lienActifInitial();
    void initDeskDicoWithChannelViewer(ZEVEntityViewer* channelViewer);
    // ---- the go-to steps ----
    struct EspaceTrouve;
    ZEVTimeRegard regard(const ZEVChannelPanelSpan* panneau) const;
    float dureePourOffset(double offset) const;
    void selectionEspace(bool precedent, bool siNow);
    void atterrir(KELDate t, KELICurseur* actif, KELDate now0, bool suivant);
    void reveillerLesRelations();
    KELI* lienAuNow(KELId id) const;
    // The walk back of Previous and of the Spaces menu, from `depart` (excluded); `passer` skips
    // an image, `trouve` answers whether to go on. False when the walk met the start.
    template <class Passer, class Trouve>
    bool marcherVersLePasse(std::size_t depart, KELId channel, bool inSpace, KELI* pending, Passer passer,
                            Trouve trouve);
    KELDate dateDansLEspace(const EspaceTrouve& espace, KELId channel);
    bool siEvenementDeBureauAvant(KELLien* e, KELId channel);
    bool siEvenementDeBureauApres(KELLien* e, KELId channel, bool depuisLeLien);
    QIcon vignette(KELI* image, KELId channel, KELI* couleur, KELI* echelle);
    KELI* premierEnfant(KELId channel, KELId relation, KELDate date);
    // The title waits under this name while "Stay in front…" shows.
    static constexpr const char* kMajWindowTitle = "majWindowTitle";
    // ---- the header-views button and the window ----
    void setHeaderViewsBtnState(int state);
    void appliquerLaZone(const ZEVMouseLimitZone& zone);
    bool siPleinEcran() const;
    QPointF pointeurDansLaFenetre() const;
    void regleDeLaMiniSpace();
    std::unique_ptr<ZEVCursorDesk> creerDesk(KELICurseur* curseur);
    int frontMode() const;
    class SelectionContext;
    // A reading of a zevp string applied: its cursor part, then its selection.
    void appliquerLeCurseur(const ZEVZevpReading& lu);
    void appliquerLaSelection(const ZEVZevpReading& lu);
    void menuModePour(int mode);
    template <class Fn>
    void sansHistorique(Fn fn);

    ZEVSpaceHost& host_;        // not owned: the controller that made the Space
    UserDefaultsController& defaults_; // not owned
    KELICurseur* tlCurseur_;    // not owned; links live for the run
    KELICurseur* actifCurseur_ = nullptr;
    KELICurseur* nowCurseur_ = nullptr;
    KELICurseur* searchCurseur_ = nullptr;
    KELIContexte* tlContexte_ = nullptr;

    KELIModel* nombreModel_ = nullptr;
    KELIModelMot* motModel_ = nullptr;
    KELIModel* itemModel_ = nullptr;
    KELIModel* identityModel_ = nullptr;
    KELIElemRelation* itemTitleRelation_ = nullptr;
    KELIElemRelation* colorRedRelation_ = nullptr;
    KELIElemRelation* colorGreenRelation_ = nullptr;
    KELIElemRelation* colorBlueRelation_ = nullptr;
    KELI* defaultColorItem_ = nullptr;

    // Keyed by the cursor's id.
    std::map<KELId, std::unique_ptr<ZEVCursorDesk>> deskDico_;
    // Keyed by the viewer's class name.
    std::map<std::string, std::unique_ptr<ZEVEntityViewer>> entityViewerDico_;
    ZEVEntityViewer* channelViewer_ = nullptr; // held by entityViewerDico_

    KELId homeChannelInt_ = 0;
    KELId zevFolderChannelInt_ = 0;
    std::map<long, long> goToDurationMap_;
    long goToTag_ = 1;
    long goToTagToRestore_ = 1;
    long goToModeCount_ = 0;

    ZEVDeskGeometry deskGeometry_;
    ZEVDeskDisplayOptions options_;
    bool siBackItemChanges_ = true;
    bool siBackColorChanges_ = false;
    bool siBackScaleChanges_ = false;
    std::vector<DefaultsToken> defaultsTokens_;

    std::vector<ZEVSpaceGotoObject> gotoObjects_;
    KELDate gotoDate_ = 0;
    KELId browsedBackImageInt_ = 0;
    std::set<long> previousImageItemIndexSet_;
    std::set<long> nextImageLienIndexSet_;

    long draggingSessionInteger_ = -1;
    // What the window's buttons say of drags passing over them reaches this controller through it.
    std::unique_ptr<ZEVButtonSpaceDelegate> buttonDrags_;
    KELI* draggingItem_ = nullptr; // not owned
    bool siDraggingSession_ = false;
    bool siCancelDraggingSession_ = false;
    // The pointer limit.
    QRectF mouseLimitRect_;
    float mouseLimitInf_ = 0;
    QPointF mouseLimitPoint_;
    double mouseLimitDuration_ = 0;
    bool siMouseLimitInside_ = false;
    bool siMouseLimitOutside_ = false;
    bool siMouseLimitInDelay_ = false;
    bool siMouseLimitOutDelay_ = false;
    bool siMouseLimitIN_ = false;
    bool siMouseLimitOUT_ = true;
    bool siNSCursorHidden_ = false;
    int headerViewsBtnState_ = 0;
    bool siActivateTallomer_ = false;
    bool siFrontSpace_ = false;
    bool siTallomer_ = false;

    bool siFirstTime_ = false;
    bool siMiniSpace_ = false;
    bool siAddToHistory_ = false;
    // A stroll back through the history runs its modal panel.
    bool siStroll_ = false;

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
    QString initialZevpString_;
    // Goes before the window's parts it floats over.
    std::unique_ptr<QObject> collectViewer_;
    ScheduledTarget guard_{this};
};

} // namespace tallomer
