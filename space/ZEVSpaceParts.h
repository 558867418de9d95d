#pragma once
// The pieces the space controller holds but does not define: one desk per time cursor, the
// inspector viewers, the front viewer, and the application side that created the controller.
// Each is reached through one of the small interfaces below, so that the Space does not depend on
// the libraries that implement them; the application links them all and hands them over.

#include "services/ZEVFrontMode.h"
#include "services/ZEVFrontViewerServices.h"
#include "engine/KELTypes.h"

#include <QCursor>
#include <QImage>
#include <QRectF>
#include <QString>
#include <QStringList>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class KELI;
class KELICurseur;
class KELIContexte;
class QAction;
class QMenu;
class QGraphicsScene;
class QMouseEvent;
class QNativeGestureEvent;
class QWheelEvent;

namespace tallomer {

class KELSharedResources;
class UserDefaultsController;
class ZEVItemConnexion;
class ZEVItemViewForDesks;
class ZEVSpaceController;
class ZEVDeskClass;
class ZEVDeskViewer;
class ZEVItemViewer;
class ZEVItemViewerForDesks;
class ZEVItemClass;

// Told when the current Channel changes; 0 means "the list of Channels changed".
class ZEVChannelListener {
public:
    virtual ~ZEVChannelListener() = default;
    virtual void channelDidChangeWithIdentityInt(KELId identityInt) = 0;
};

// The desk's edit commands.
enum class ZEVDeskEditCommand { SelectAll, Copy, Cut, Paste };

// One cursor's desk: the desk model, the desk viewer, the item viewer and the Object factory,
// owned together. The four parts keep the names they are filed under in the desk dictionary.
class ZEVCursorDesk : public ZEVChannelListener {
public:
    static constexpr const char* kDeskClassKey = "ZEVDeskClass";
    static constexpr const char* kDeskViewerKey = "ZEVDeskViewer";
    static constexpr const char* kItemViewerKey = "ZEVItemViewer";
    static constexpr const char* kItemClassKey = "ZEVItemClass";

    // The parts, owned by this desk.
    virtual ZEVDeskClass* deskClass() = 0;
    virtual ZEVDeskViewer* deskViewer() = 0;
    virtual ZEVItemViewer* itemViewer() = 0;
    // The same item viewer, as the layers below the Object views reach it.
    virtual ZEVItemViewerForDesks* itemViewerServices() const = 0;
    virtual ZEVItemClass* itemClass() = 0;

    // The desk viewer learns its item viewer and Object factory.
    virtual void referencerViewerParts() = 0;
    // The item viewer, the factory and the desk model learn each other.
    virtual void referencerModelParts() = 0;
    // The desk model, then the factory, read what they show.
    virtual void initialiser() = 0;
    // The desk's background; answers whether the Channel had none yet (a first run).
    virtual bool initWallpaperWithChannelViewer(ZEVChannelListener* channelViewer) = 0;
    virtual void majBackForFirstTime() = 0;
    // The desk model, the desk viewer and the factory start listening, in that order.
    virtual void enclencherMaj() = 0;
    void channelDidChangeWithIdentityInt(KELId identityInt) override = 0;

    // The desk's scene becomes the one the Space window shows.
    virtual void placerDevant() = 0;
    virtual QGraphicsScene* deskScene() = 0;
    // The Object views of Objects on another volume reload their image.
    virtual void majImages() = 0;
    // Every Object view draws itself again (its title, marks and state).
    virtual void displayDeskView() = 0;
    virtual void setSiFiltreANDOperation(bool andOperation) = 0;
    // The Object views of the item viewer shown in that front mode, in stacking order.
    virtual int visibleItemViewCount(int frontMode) = 0;
    // Files opened from the desktop become Objects on this desk.
    virtual void addFilenames(const QStringList& paths) = 0;
    // Select All, Copy, Cut or Paste on this desk.
    virtual void deskEditCommand(ZEVDeskEditCommand command) = 0;

    // ---- what the selections ask ----
    // A selection changed: the Tab walk starts afresh and every Object view draws itself again.
    virtual void selectionDidChange() = 0;
    // The item viewer's filters: one added, one removed, all removed.
    virtual void ajouteFilterForItem(KELI* item) = 0;
    virtual void enleveFilterForItem(KELI* item) = 0;
    virtual void enleveFilterForAllItems() = 0;
    // The shown Object views of the Objects selected in that front mode, in selection order
    // (not owned).
    virtual std::vector<ZEVItemViewForDesks*> visibleItemViewsForMode(int frontMode) = 0;
    // The drawn Links of the desk's window that end at the Object, by parent id and then child
    // id (not owned).
    virtual std::vector<ZEVItemConnexion*> connexionsTouchingItem(KELI* item) = 0;
    // The desk as a picture of its view's size; a null image without a view.
    virtual QImage deskImage() = 0;
    // The name of the background image the desk shows; empty for none.
    virtual std::string currentBackImageItemName() = 0;

    // ---- what the window and the go-to steps ask ----
    // Every Object view is laid out and drawn again (after a resize).
    virtual void displayItemViews() = 0;
    // The background picture is rendered again for the desk's size, or only rescaled.
    virtual void majBackImage() = 0;
    virtual void majBackImageSize() = 0;
    // The background link of the current Channel at the desk's cursor, and its image Object;
    // nullptr for none.
    virtual KELI* currentBackItem() = 0;
    virtual KELI* currentBackImageItem() = 0;

    // ---- what deleting an Object asks ----
    // The item viewer forgets the drawn Links of that parent Object.
    virtual void delConnexionsForParentInt(KELId parentInt) = 0;
    // The Object's view leaves the desk, with the drawn Links that end at it.
    virtual void deleteItemViewForItem(KELI* item) = 0;
};

// An inspector's controller, made by class name from the words of the link base; the inspector
// framework answers every notice. The Space reaches a viewer's model through the interfaces of
// services/.
class ZEVEntityViewer : public ZEVChannelListener {
public:
    explicit ZEVEntityViewer(KELId entityInt) : entityInt_(entityInt) {}
    KELId entityInt() const { return entityInt_; }
    // The active cursor changed; the panel refreshes.
    virtual void actifCurseurDidChange() = 0;
    virtual void updateInspectView() = 0;
    // The front layer's mode changed, or the selection of the mode in force did.
    virtual void frontModeDidChange() = 0;
    virtual void itemSelectionDidChange() = 0;
    // The panel redraws; whether its table has the keyboard focus, and taking it; the list's
    // own Deselect.
    virtual void displayInspectView() = 0;
    virtual bool siFirstResponder() const = 0;
    virtual void setFirstResponder() = 0;
    virtual void userDeselect() = 0;
    // The main menu's items for the front mode, when this inspector has the focus (or is the
    // Icons one and none has it).
    virtual void updateMenuMacForMode(int frontMode) = 0;
    // The Object menu opens while this inspector has the focus (the front viewer passes it on to
    // the Icons one otherwise): its items for the inspector's selection.
    virtual void updateMenuObject(QMenu* menu) = 0;
    // The same for the Edit menu's Recall, Retain, Release and Forget items.
    virtual void updateMenuEdit(QMenu* menu) = 0;
    // A cursor move ended.
    virtual void terminerDeplacementCurseur() = 0;
    // The header views grew or shrank, reaching their places over `duration` seconds: an open
    // panel hangs again from the front area's top edge.
    virtual void headerViewsHeightDidChange(double duration) = 0;

private:
    KELId entityInt_;
};

// Inspector classes by name: each inspector registers its maker once at start-up.
class ZEVEntityViewerClasses {
public:
    using Maker = std::function<std::unique_ptr<ZEVEntityViewer>(ZEVSpaceController&, KELId entityInt)>;
    static void ajouter(const std::string& className, Maker maker);
    static bool connait(const std::string& className);
    // nullptr for an unknown name or a maker that refused.
    static std::unique_ptr<ZEVEntityViewer> creer(const std::string& className, ZEVSpaceController& space,
                                                  KELId entityInt);
    static void reset();

private:
    static std::map<std::string, Maker>& registre();
};

// The entity toggle bar: the row of inspector buttons in the ruler bar and the set of open
// inspector panels. The inspector framework answers.
class ZEVContextViewerServices {
public:
    virtual ~ZEVContextViewerServices() = default;
    // The entity button's click: opens and focuses a closed panel, focuses an open one without
    // the focus, closes a focused one.
    virtual void userSelectButton(KELId entityInt) = 0;
    // Opens (or brings forward) and focuses the panel; a focused panel stays open.
    virtual void ouvrirEntityWithInt(KELId entityInt) = 0;
    // Closes a shown panel; never makes a controller.
    virtual void fermerEntityWithInt(KELId entityInt) = 0;
    virtual bool isShowedEntityWithInt(KELId entityInt) = 0;
    // The panel's table (or its type-select field) has the keyboard focus.
    virtual bool isFocusedEntityWithInt(KELId entityInt) = 0;
    virtual void userCloseAllEntities() = 0;
    // The buttons' states follow the panels: on shown and focused, mixed shown, off otherwise.
    virtual void majContextButtons() = 0;
};

// The presets of the ruler bar (stamps 2000009 to 2000017, 2000009 being Home), as the Space
// calls them. The ruler answers.
class ZEVStampServices {
public:
    virtual ~ZEVStampServices() = default;
    // 0: the preset is not of that kind; 1: it is what is shown now; -1: of that kind, elsewhere.
    virtual int stateOfNowPresetWithStampInt(KELId stamp) = 0;
    // -1 for a Search preset, else 0.
    virtual int stateOfSearchPresetWithStampInt(KELId stamp) = 0;
    virtual int stateOfRulerPresetWithStampInt(KELId stamp) = 0;
    virtual std::string nameWithStampInt(KELId stamp) = 0;
    // Moves the cursors or the visible range to the preset; true when something moved.
    virtual bool callPresetWithStampInt(KELId stamp, float duration) = 0;
    // Whether the preset holds anything (it has a kind).
    virtual bool siPresetWithStampInt(KELId stamp) = 0;
    // The resource name of the preset's button image by its kind ("preset_empty.tiff" when empty).
    virtual QString imageNameWithStampInt(KELId stamp) = 0;
    // Saves what is shown into the preset: by the ruler bar's mode, or a Search preset taken at the
    // Now cursor's moment when siSearch. Answers the image and state its button takes, or nothing
    // when no mode asked for a save.
    struct Saved {
        QString imageName;
        int state = 0;
    };
    virtual std::optional<Saved> savePresetWithStampInt(KELId stamp, bool siSearch) = 0;
    // Empties the preset from the timeline cursor's moment on; presets 2 to 9 get their default
    // name back.
    virtual void clearPresetWithStampInt(KELId stamp) = 0;
    virtual void setPresetName(const std::string& name, KELId stamp) = 0;
};

// The time ruler's viewer, as the Space, its desks and the front layer drive it: every change of
// a cursor or of the visible range is one move (initiate, place, terminate), and the active
// cursor changes through it. The ruler library answers.
class ZEVRulerViewerServices {
public:
    virtual ~ZEVRulerViewerServices() = default;
    // Not owned; nullptr when there is no front layer.
    virtual void referencerFrontViewer(ZEVFrontViewerServices* frontViewer) = 0;
    // Makes the cursor the active one and the one moved; true when the active cursor changed.
    virtual bool userChangeActifCurseur(KELICurseur* curseur) = 0;
    // The strip and the bar follow a change of the active cursor.
    virtual void actifCurseurDidChangeForCurseur(KELICurseur* curseur) = 0;
    // True while no move runs.
    virtual bool siAccepteDeplacement() const = 0;
    // The ruler bar's Now, Search and Ruler buttons as it shows them; all off without a bar.
    enum class BarButton { Now, Search, Ruler };
    virtual bool stateOfBarButton(BarButton button) = 0;
    // Starts a move; false while one runs.
    virtual bool userInitieDeplacementCurseur() = 0;
    // Moves the moving cursor and the visible range together by d seconds and redraws.
    virtual void userPlaceCurseurEtRulerOffset(double d) = 0;
    // Ends the running move; nothing when none runs.
    virtual void userTermineDeplacementCurseur() = 0;
    // A wheel turned or a pinch made over the desk (away from the Object views) moves the active
    // cursor's context or switches cursors or Channels; the event's position is the pointer in the
    // window's coordinates.
    virtual void scrollWheelWithEvent(QWheelEvent* event) = 0;
    virtual void magnify(QNativeGestureEvent* event) = 0;
    // A drag over the desk moves the active cursor as a drag of its view on the strip would; the
    // event's scene position is the pointer in the window.
    virtual void draggWithEvent(QMouseEvent* event) = 0;
    // The moving cursor goes to the date.
    virtual void userPlaceCurseurToDate(KELDate date) = 0;
    // The visible range's edges move by these amounts; false, and nothing moved, when the range
    // would fall below 60 s.
    virtual bool userPlaceRulerOffsetIn(double in, double out) = 0;
    virtual void displayRuler() = 0;
    // The strip's frame in the window (y-up); empty without a strip.
    virtual QRectF tlineViewRect() const = 0;

    // ---- the presets ----
    // The ruler bar's presets model (not owned); nullptr when there is none.
    virtual ZEVStampServices* stampClass() = 0;
    // The part of the cursor's view on the strip, and of the bar, shown as the one acted on
    // (4: the cursor's past band, or its whole context).
    virtual void setClickPositionForDisplay(KELICurseur* curseur, int code) = 0;
    // The bar shows the preset's name for that many seconds.
    virtual void showPresetTitleWithTag(KELId stamp, float duration) = 0;

    // ---- the animations the go-to steps use ----
    // The cursor the next move works on.
    virtual void setCurseurEnDeplacement(KELICurseur* curseur) = 0;
    // The moving cursor glides to the date, its in-edge by cOffsetIn and the visible range's
    // edges by rOffsetIn and rOffsetOut, over `duration` seconds (0: at once).
    virtual void userAnimeSearch(float duration, KELDate date, double cOffsetIn, double rOffsetIn,
                                 double rOffsetOut) = 0;
    // The visible range's edges glide by these amounts.
    virtual void userAnimeRuler(float duration, double rOffsetIn, double rOffsetOut) = 0;
    // Within a move, the moving cursor's time window closes on its in side, on its out side.
    virtual void userPlaceContexteInToZero() = 0;
    virtual void userPlaceContexteOutToZero() = 0;
    // The strip's time axis: its span (out-date minus in-date), the strip's width less one point
    // (-1 without a strip), and the date at x points from the strip's left edge (x over that
    // width, on the axis).
    virtual double tlineSpan() const = 0;
    virtual double tlineWidth() const = 0;
    virtual KELDate dateForTlinePoint(double x) const = 0;
};

// The time ruler's model, as the Space reads it: the ruler's cursors and the timeline context,
// found in the link base at the timeline cursor. The ruler library answers.
class ZEVRulerClassServices {
public:
    virtual ~ZEVRulerClassServices() = default;
    // Not owned.
    virtual void referencerRulerViewer(ZEVRulerViewerServices* rulerViewer) = 0;
    // The ruler element of the space; nullptr when there is none.
    virtual KELI* ruler() = 0;
    // The ruler's cursors in the order the link base gives them.
    virtual const std::vector<KELICurseur*>& curseurs() const = 0;
    // The cursor active when the Space opens, and the link that records it.
    virtual KELICurseur* actifCurseurInitial() = 0;
    virtual KELI* lienActifInitial() = 0;
    virtual KELICurseur* nowCurseurInitial() = 0;
    // The second of the ruler's cursors; nullptr when there are fewer than two.
    virtual KELICurseur* searchCurseurInitial() = 0;
    // The timeline cursor's context: its edges are the visible range of the strip.
    virtual KELIContexte* tlContexte() = 0;
    // Saves the visible range in the link base (at quit).
    virtual void updateTimeline() = 0;
};

// One place of the history of the Space window, under its zevp string.
class ZEVMarkObject {
public:
    ZEVMarkObject(QString zevpString, QImage image, KELId channelInt, QString channelTitle, QString spaceTitle)
        : zevpString_(std::move(zevpString)), image_(std::move(image)), channelInt_(channelInt),
          channelTitle_(std::move(channelTitle)), spaceTitle_(std::move(spaceTitle))
    {
    }
    const QString& zevpString() const { return zevpString_; }
    const QImage& markImage() const { return image_; }
    KELId channelInt() const { return channelInt_; }
    const QString& channelTitle() const { return channelTitle_; }
    // One en dash for a mark recorded without a title.
    QString spaceTitle() const { return spaceTitle_.isEmpty() ? QStringLiteral("\u2013") : spaceTitle_; }

private:
    QString zevpString_;
    QImage image_;
    KELId channelInt_;
    QString channelTitle_;
    QString spaceTitle_;
};

// The history of the places of the Space window, newest first, each place once. The time ruler
// answers.
class ZEVMarkHistoryServices {
public:
    virtual ~ZEVMarkHistoryServices() = default;
    // nullptr when no mark is kept under the string. Marks are owned by the history.
    virtual ZEVMarkObject* markObjectForZevpString(const QString& zevpString) = 0;
    // Brings a mark of the history to the front.
    virtual void selectMarkObject(ZEVMarkObject* mark) = 0;
    // Adds a mark at the front; the oldest goes past the history's limit.
    virtual void addMarkObject(std::unique_ptr<ZEVMarkObject> mark, const QString& key) = 0;
    // Newest first.
    virtual std::vector<ZEVMarkObject*> markObjects() = 0;
    virtual void deleteHistory() = 0;
    // Starts stepping back through the marks; then one older, one newer.
    virtual void previousHistory() = 0;
    virtual void previous() = 0;
    virtual void next() = 0;
};

// Menu commands the Space window's arrow keys send to the application.
enum class ZEVSpaceMenuAction {
    ChannelUp,
    ChannelDown,
    GotoPrevious,
    GotoNext,
    SpaceCleanPrevious,
    SpaceCleanNext,
};

// The application side: the controller that made the Space, and the services of the application
// object. The application answers what it has; the operations that keep a default are answered
// by parts of the program that come later, as each comment says.
// The main menu's commands as another menu offers them: by the main menu's action name
// ("menuViewCalandar:"), each goes to the receiver the main menu sends it to and is enabled by the
// same rule, whichever menu shows it. The application answers.
class ZEVMenuCommands {
public:
    virtual ~ZEVMenuCommands() = default;
    // Whether the command's receiver exists and carries it out (the main menu's enabling rule).
    virtual bool routable(const std::string& action) = 0;
    // Runs the command as the main menu's item would; `sender` stands for the item (its tag).
    virtual void perform(const std::string& action, QAction* sender) = 0;
    // The main menu's Object and Edit menus, which another menu may show as its own submenus:
    // they prepare themselves as they open. Not owned.
    virtual QMenu* objectMenu() = 0;
    virtual QMenu* editMenu() = 0;
    // Titles, enables and marks the presets of `menu` (items tagged 2000009 to 2000017) as the
    // Time menu's.
    virtual void updateMenuPresets(QMenu* menu) = 0;
};

class ZEVSpaceHost {
public:
    virtual ~ZEVSpaceHost() = default;

    // The space controller is made and reachable (called first thing in its construction).
    virtual void referencerSpaceController(ZEVSpaceController* space) = 0;
    // The store folder, which holds `default.file`.
    virtual QString storeFolder() = 0;
    virtual UserDefaultsController& defaults() = 0;
    // The main screen's frame, y-up, in points (default: the primary screen's).
    virtual QRectF mainScreenFrame();
    // The colours, images and shadows of the application (not owned).
    virtual const KELSharedResources& sharedResources() = 0;

    virtual std::unique_ptr<ZEVCursorDesk> creerDesk(KELICurseur* curseur, ZEVSpaceController& space) = 0;
    // The time ruler: its model, from which the Space takes its cursors (nullptr: a Space without
    // cursors), then its viewer on that model.
    virtual std::unique_ptr<ZEVRulerClassServices> creerRulerClass(ZEVSpaceController& space) = 0;
    virtual std::unique_ptr<ZEVRulerViewerServices> creerRulerViewer(ZEVRulerClassServices& rulerClass,
                                                                    ZEVSpaceController& space) = 0;
    // The entity toggle bar, made after the ruler viewer (it fills the ruler bar's row); nullptr:
    // a Space without inspector panels.
    virtual std::unique_ptr<ZEVContextViewerServices> creerContextViewer(ZEVSpaceController& space) = 0;
    // The front layer; nullptr: a Space without one runs in icons mode.
    virtual std::unique_ptr<ZEVFrontViewerServices> creerFrontViewer(ZEVSpaceController& space) = 0;

    // The Object data store: who answers its questions, and which Channel is current.
    virtual void referencerItemDataSpace(ZEVSpaceController* space) = 0;
    virtual void setCurrentChannelInt(KELId channelInt) = 0;
    // The file an image Object of the Channel stands for (its record lies with that Channel's, not
    // necessarily the current one's); empty when none.
    virtual QString fileUrlForItem(KELI* item, KELId channelInt) = 0;
    // The Object of the current Channel that stands for the same thing as item (itself when it
    // lies there); nullptr for none.
    virtual KELI* sameItemForItem(KELI* item) = 0;
    // The pasteboard gets a saved desk view: its record (type "zevp", uid the zevp string, the
    // picture) and the zevp string as text.
    virtual void copyZevpPlace(const QString& zevpString, const QString& title, KELId channelInt,
                               const QImage& image) = 0;
    // The watch of the user's drop folder starts: a first scan, then the folder's changes.
    virtual void startDropFolderWatch(ZEVSpaceController& space) = 0;
    // The inspector panel of that entity is shown (through the entity toggle bar).
    virtual void ouvrirEntityWithInt(KELId entityInt) = 0;

    virtual void setActifCurseurColorSiNow(bool siNow) = 0;
    // Whether no other application shows a window (then there is no desktop to show).
    virtual bool siShowDesktop() = 0;
    // The history of the places of the window (nullptr: a Space without history).
    virtual std::unique_ptr<ZEVMarkHistoryServices> creerMarkHistoryViewer(ZEVSpaceController& space) = 0;
    // The main menu's state follows the active cursor.
    virtual void actifCurseurDidChange() = 0;
    // The main menu's commands, as the Space window's arrows send them.
    virtual void menuAction(ZEVSpaceMenuAction action) = 0;
    virtual void closeProgressPanel() = 0;
    // The window is built and about to be shown for the first time: what it carries (the main
    // menu's bar) goes in now. A manager frames the window at the size it is shown with; a resize
    // before the frame is known would move the window by the height of the decorations.
    virtual void spaceWindowWillShow(ZEVSpaceController& space) = 0;
    // The first-run greeting, after the window is in front.
    virtual void showWelcome() = 0;
    // The pointer over the Search desk.
    virtual QCursor searchCursor() = 0;
    // The user asked to quit (Ctrl+Q in the Space window): the application's quit sequence.
    virtual void userQuit() = 0;

    // The stored data of an Object deleted for good (its records, generated files and index
    // entries; its files in the drop folder go to the Trash).
    virtual void deleteItemData(KELI* item) = 0;
    // The main menu's state follows a change of full screen or of the window's size.
    virtual void fullScreenDidChange() = 0;
    // The main menu's commands; nullptr before the window carries its menu, or without one.
    virtual ZEVMenuCommands* menuCommands() = 0;
};

} // namespace tallomer
