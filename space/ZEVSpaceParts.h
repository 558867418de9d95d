#pragma once
// The pieces the space controller holds but does not define: one desk per time cursor, the
// inspector viewers, the front viewer, and the application side that created the controller.
// Each is reached through one of the small interfaces below, so that the Space does not depend on
// the libraries that implement them; the application links them all and hands them over.

#include "engine/KELTypes.h"

#include <QCursor>
#include <QRectF>
#include <QString>
#include <QStringList>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

class KELI;
class KELICurseur;
class KELIContexte;
class QGraphicsScene;

namespace tallomer {

class KELSharedResources;
class UserDefaultsController;
class ZEVSpaceController;
class ZEVDeskClass;
class ZEVDeskViewer;
class ZEVItemViewer;
class ZEVItemClass;

// Told when the current Channel changes; 0 means "the list of Channels changed".
class ZEVChannelListener {
public:
    virtual ~ZEVChannelListener() = default;
    virtual void channelDidChangeWithIdentityInt(KELId identityInt) {}
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
};

// An inspector's controller, made by class name from the words of the link base. The inspectors
// answer these once they exist; no class registers until then.
class ZEVEntityViewer : public ZEVChannelListener {
public:
    explicit ZEVEntityViewer(KELId entityInt) : entityInt_(entityInt) {}
    KELId entityInt() const { return entityInt_; }
    virtual void actifCurseurDidChange() {}
    virtual void updateInspectView() {}

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

// The front layer, as far as the Space and the time ruler drive it; the front viewer answers these
// once it exists.
class ZEVFrontViewerServices : public ZEVChannelListener {
public:
    // 0 icons, 1 titles, 2 filters, 3 links, 4 none.
    virtual int frontMode() { return 0; }
    virtual void selectionDidChange() {}
    virtual void actifCurseurDidChangeForCurseur(KELICurseur* curseur) {}
    virtual void filterOperationDidChange() {}
    virtual void draggingSessionDidStop() {}
    virtual void displayFrontView() {}
    virtual void userChangeFlag(Qt::KeyboardModifiers modifiers) {}
    // Whether the selection of the front mode holds something to recall at the active cursor,
    // to recall at Now from the Search desk, or to release.
    virtual bool siRecallingSelectedItems() { return false; }
    virtual bool siRecallingNowSelectedItems() { return false; }
    virtual bool siReleasingSelectedItems() { return false; }
    virtual void userRecallNow() {}
    virtual void userRecallSearch() {}
    virtual void userReleaseNow() {}
    virtual void userReleaseSearch() {}
    virtual void userStepBack() {}
    virtual void cancelOperation() {}

    // ---- what the time ruler asks ----
    // A cursor move starts and ends (the front layer opens the strip for the Search cursor and
    // passes the end on to the inspectors).
    virtual void initierDeplacementCurseur() {}
    virtual void terminerDeplacementCurseur() {}
    // Every inspector panel redraws its time strips.
    virtual void displayAllInspectView() {}
    // The header views: the strip, the time bar, the tracks and the toolbar.
    virtual bool siTlineOpened() { return false; }
    virtual void openTline() {}
    virtual void openTlineAndTracks(bool siFocus) {}
    virtual void closeTlineAndTracks() {}
    virtual bool siTimebarClosed() { return true; }
    virtual bool siTlineClosed() { return true; }
    virtual bool siTracksClosed() { return true; }
    virtual bool siToolbarClosed() { return true; }
    // Whether the Space window shows without a title bar.
    virtual bool siFullWindow() { return false; }
    virtual void setSiShowCalandar(bool shown) {}

    // ---- what the timeline strip and the cursor views ask; the front layer answers ----
    // Whether the front layer has the keyboard focus, draws a lasso, shows rows of tracks, and
    // has filters selected.
    virtual bool siFocus() { return false; }
    virtual bool siLasso() { return false; }
    virtual bool siNbOfRows() { return false; }
    virtual bool siSelectedFilterItems() { return false; }
    virtual void userSelectNext() {}
    virtual void userSelectPrevious() {}
    virtual void menuActionFilter() {}
    virtual void userToggleQL() {}
    virtual void userRetainNow() {}
    virtual void userRetainSearch() {}
    virtual void userForgetNow() {}
    virtual void userForgetSearch() {}
    virtual void userSpaceCleanAll() {}
    virtual void userSpaceCleanAndRecall() {}
    virtual void userSpaceCleanAndRecallBack() {}
    virtual void userSpaceCleanAndReplace() {}
    // Returns the desk to the Home Time.
    virtual void menuHomeTime() {}
    // The selection drawn over the desk redraws; the selection list forgets the row it drags.
    virtual void displaySelectionView() {}
    virtual void forgetDraggingLego() {}
    // The total duration of the selection's presence, as display text; empty for none.
    virtual QString durationStringForAllLegos() { return {}; }
};

// The inspector framework's context viewer, which hosts the inspector panels; it answers these
// once it exists.
class ZEVContextViewerServices {
public:
    virtual ~ZEVContextViewerServices() = default;
    // Opens, or brings forward, the inspector of that entity.
    virtual void userSelectButton(KELId entityInt) {}
    virtual bool isShowedEntityWithInt(KELId entityInt) { return false; }
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
    // Starts a move; false while one runs.
    virtual bool userInitieDeplacementCurseur() = 0;
    // Moves the moving cursor and the visible range together by d seconds and redraws.
    virtual void userPlaceCurseurEtRulerOffset(double d) = 0;
    // Ends the running move; nothing when none runs.
    virtual void userTermineDeplacementCurseur() = 0;
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
    // The inspector framework's context viewer, once it exists.
    virtual std::unique_ptr<ZEVContextViewerServices> creerContextViewer(ZEVSpaceController& space)
    {
        return nullptr;
    }
    // The front layer, once it exists; a Space without one runs in icons mode.
    virtual std::unique_ptr<ZEVFrontViewerServices> creerFrontViewer(ZEVSpaceController& space)
    {
        return nullptr;
    }

    // The Object data store: who answers its questions, and which Channel is current.
    virtual void referencerItemDataSpace(ZEVSpaceController* space) = 0;
    virtual void setCurrentChannelInt(KELId channelInt) = 0;
    // The file an image Object stands for; empty when none.
    virtual QString fileUrlForItem(KELI* item) = 0;
    // The watch of the user's drop folder starts: a first scan, then the folder's changes.
    virtual void startDropFolderWatch(ZEVSpaceController& space) = 0;
    // The inspector panel of that entity is shown, once inspector panels exist.
    virtual void ouvrirEntityWithInt(KELId entityInt) {}

    virtual void setActifCurseurColorSiNow(bool siNow) = 0;
    // Whether no other application shows a window (then there is no desktop to show).
    virtual bool siShowDesktop() = 0;
    // The history of places records the current one, once the history exists.
    virtual void addToHistory() {}
    // The main menu's state follows the active cursor, once there is a main menu.
    virtual void actifCurseurDidChange() {}
    // The main menu's commands; the arrows of the Space window reach them once it exists.
    virtual void menuAction(ZEVSpaceMenuAction action) {}
    virtual void closeProgressPanel() = 0;
    // The first-run greeting, after the window is in front.
    virtual void showWelcome() = 0;
    // The pointer over the Search desk.
    virtual QCursor searchCursor() = 0;
    // The user asked to quit (Ctrl+Q in the Space window): the application's quit sequence.
    virtual void userQuit() = 0;
};

} // namespace tallomer
