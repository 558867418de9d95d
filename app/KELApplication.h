#pragma once
// The application object: starts the system in stages and is where every part of the program
// finds the shared things (store folders, id range, pasteboard type, colours, images, shadows,
// progress panel).
//
// Stages: the constructor (shared resources, id range, progress panel); awakeFromNib once the
// menus exist (store folder made and locked for this program, older layout moved, template
// copied); then, each on a later turn of the event loop, _initKELApplication (folders,
// wallpapers, Object data index, ~/Tallomer, the link base's first links) and _initZEVController.
//
// A start-up failure that leaves the store unusable stops the program: nothing after the failed
// step runs, the application delegate's quit sequence runs, and the event loop is asked to end
// (tests install a stop handler instead). Whoever cannot reach the store is told in an alert
// before that happens; failed writes later on are told once per run.

#include "app/store/KELStoreLayout.h"
#include "look/KELSharedResources.h"
#include "app/widgets/ZEVProgressPanel.h"
#include "keytime/HIDRemote.h"
#include "engine/KELServeurDeLiens.h"
#include "engine/KELTypes.h"
#include "runtime/Scheduler.h"
#include "platform/files/StoreLock.h"

#include <QIcon>
#include <QObject>
#include <QPixmap>
#include <QPoint>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>

class QAction;
class QEvent;
class QWidget;

namespace tallomer {

class KELApplicationDelegate;
class KeyboardLayoutWatcher;
class KELWholeStore;
class ZEVController;
class ZEVKeyDocumentController;
class ZEVKeyTimeSpace;
class ZEVKeyWindowController;
class HIDRegistry;

class KELApplication : public QObject {
    Q_OBJECT
public:
    static constexpr KELId kCurseurTimelineInt = 270;

    struct Options {
        // The store's folders; default: $XDG_DATA_HOME/Tallomer and ~/Tallomer.
        KELStoreLayout layout = KELStoreLayout::standard();
        // Rewrites a record moved out of the older layout (default: the Object data store's).
        std::function<void(const QString&)> transitionForDataURL;
        // Whether the first run adds ~/Tallomer to the file manager's favourites.
        bool addSidebarItem = true;
        // Whether ~/Tallomer gets its own icon when it is made.
        bool setFolderIcon = true;
        // The input devices the remote control is found among (not owned); without one, playback
        // runs without a remote.
        HIDRegistry* hidRegistry = nullptr;
        // Where the playback's remote meets other programs that drive the remote (not owned);
        // without one it keeps to itself.
        DistributedNotificationCenter* notifications = nullptr;
    };

    // `init`. One application object at a time; it becomes shared().
    KELApplication();
    explicit KELApplication(Options options);
    ~KELApplication() override;

    // The application object, or nullptr outside a run.
    static KELApplication* shared();

    // Not owned; set before awakeFromNib.
    void setDelegate(KELApplicationDelegate* delegate) { delegate_ = delegate; }
    KELApplicationDelegate* delegate() const { return delegate_; }

    // ---- stages ----
    void awakeFromNib();
    void _initKELApplication(bool firstRun);
    void _initZEVController();
    void _addSidebarItem();
    // Runs the key-equivalent setter (installed by the main menu) again, e.g. after the keyboard
    // layout changed.
    void _initKeyEquivalent();
    void setKeyEquivalentSetter(std::function<void()> setter) { keyEquivalentSetter_ = std::move(setter); }

    // ---- ending the run ----
    // `terminate:`: the quit sequence runs once, then the event loop is asked to end.
    void terminate(QObject* sender);
    // `terminate`: the last step of the quit sequence, a pending import or uninstall.
    void terminate();
    // Stops a start that cannot go on: exit status 1.
    void stop();
    bool isTerminating() const { return terminating_; }
    int exitCode() const { return exitCode_; }

    // The desktop session ending (log out, shut down), as its manager asks the program.
    class SessionEnd {
    public:
        virtual ~SessionEnd() = default;
        // Whether the user may be asked now.
        virtual bool allowsInteraction() = 0;
        // Calls the end of the session off.
        virtual void cancel() = 0;
    };
    // Unsaved KeyTime documents are asked about (Save, Don't Save, Cancel) before the session
    // ends; Cancel keeps the session and everything open. The session's own quit follows later.
    void sessionWillEnd(SessionEnd& session);
    // Replaces "end the event loop with this status" (tests).
    void setStopHandler(std::function<void(int exitCode)> handler) { stopHandler_ = std::move(handler); }

    // ---- the whole store (the application menu) ----
    void menuTallomerExportAll();
    void menuTallomerImportAll();
    void menuTallomerQuitUninstall();
    KELWholeStore& wholeStore() { return *wholeStore_; }

    // What to do at quit: 0 nothing, 1 import, 2 uninstall; carried out by the whole store unless
    // another action is set.
    int appTerminate() const { return appTerminate_; }
    void setAppTerminate(int action) { appTerminate_ = action; }
    const QString& importURL() const { return importURL_; }
    void setImportURL(const QString& url) { importURL_ = url; }
    void setTerminateAction(std::function<void(int appTerminate)> action) { terminateAction_ = std::move(action); }

    // The store could not write: the user is told in an alert shown from the event loop (never
    // inside the failing write), one for all the failures reported before it is closed.
    void reportStoreError(const QString& detail);
    bool storeErrorAlerted() const { return storeErrorAlerted_; }

    // The main-menu state's full-screen refresh (installed with the main menu).
    void fullScreenDidChange();
    void setFullScreenDidChange(std::function<void()> fn) { fullScreenDidChange_ = std::move(fn); }

    // ---- KeyTime ----
    // The open KeyTime documents and their windows.
    ZEVKeyDocumentController& keyTime() { return *keyTime_; }
    // Where the KeyTime windows find the Space (set where the application graph is built).
    void setKeyTimeSpace(std::function<ZEVKeyTimeSpace*()> space) { keyTimeSpace_ = std::move(space); }
    // `keyTimeAddStep:`: a step of the present state added to the current KeyTime document.
    void keyTimeAddStep();
    // `keyTimeStartStop:`: starts playback of the current document's window with the remote
    // (exclusive, recovering after deactivation), or stops it.
    void keyTimeStartStop();
    // A KeyTime window is going: playback stops first when it is the running one.
    void keyTimeWindowControllerWillClose(ZEVKeyWindowController* controller);
    bool isKeyTimeRunning() const { return hidRemote_ != nullptr; }
    // The driver while playback runs.
    HIDRemote* hidRemote() const { return hidRemote_.get(); }
    ZEVKeyWindowController* runningWindowController() const { return runningWindowController_; }
    // The File menu's Start KeyTime item (not owned), titled by the playback state.
    void setMenuKeyTimeStart(QAction* item);
    // The program became active, resigns or quits (the delegate's notices).
    void applicationStatusChanged(HIDRemote::AppStatus status);

    // ---- accessors ----
    KELId zevletSpaceMinId() const { return zevletSpaceMinId_; }
    KELId zevletSpaceMaxId() const { return zevletSpaceMaxId_; }
    const QString& kelUTI() const { return kelUTI_; }
    ZEVController* zevController() const { return zevController_.get(); }
    const KELStoreLayout& layout() const { return layout_; }
    const QString& zevDirURL() const { return layout_.zevDir; }
    const QString& zevImportURL() const { return layout_.zevImport; }
    const QString& zevBaseURL() const { return layout_.zevBase; }
    const QString& zevDropURL() const { return layout_.zevDrop; }
    const QString& zevDataURL() const { return layout_.zevData; }
    const QString& zevFolderURL() const { return layout_.zevFolder; }
    ZEVProgressPanel* progressPanel() const { return progressPanel_.get(); }
    // Colours, images and shadows. Only the active-cursor pair may change.
    const KELSharedResources& resources() const { return *resources_; }
    void setActifCurseurColorSiNow(bool siNow) { resources_->setActifCurseurColorSiNow(siNow); }

    // The icon of a file type (an extension or a MIME type name): "" a folder, "app" an
    // application.
    static QIcon iconForFileType(const QString& type);
    // The same, with "" a plain document, at 18 by 18.
    static QPixmap findIconForFileType(const QString& type);
    // Whether at most this program shows. The desktop does not tell which other programs show,
    // so the answer is always yes.
    static bool siShowDesktop() { return true; }
    // Where a menu popped up under `sender` puts its top-left corner (global coordinates): just
    // under the button (4 points in the front toolbar, 6 elsewhere), opening towards the left when
    // a menu of `menuWidth` would leave the screen on the right.
    static QPoint eventForSender(const QWidget* sender, int menuWidth);

protected:
    // Keyboard layout changes reach every widget; they rerun the key equivalents once.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void installStoreHooks();
    bool lockStore();
    // Puts the store an import replaced back in the place of the imported one, which cannot be
    // opened for `why`, and tells the user (adding `then`); false when it could not be put back.
    bool putPreviousStoreBack(const QString& why, const QString& then);
    // A folder of the store the start cannot make: told, with the store an import replaced put
    // back when the imported one is being proved; then the program stops.
    void refuseStart(const store::FolderFailure& failure);
    void runQuitSequence();
    bool stopped() const { return terminating_; }

    class ProgressRelay final : public KELProgressDelegate {
    public:
        explicit ProgressRelay(ZEVProgressPanel* p) : panel(p) {}
        void increment() override { panel->increment(); }
        ZEVProgressPanel* panel; // non-owning
    };

    Options options_;
    KELStoreLayout layout_;
    // Held from the store folder's creation until the application object goes: a second program
    // on the same store is refused at start.
    StoreLock storeLock_;
    KELId zevletSpaceMinId_ = 0;
    KELId zevletSpaceMaxId_ = 0;
    QString kelUTI_;
    std::unique_ptr<KELSharedResources> resources_;
    std::unique_ptr<ZEVProgressPanel> progressPanel_;
    std::unique_ptr<KELWholeStore> wholeStore_;
    ProgressRelay progressRelay_{nullptr};
    int appTerminate_ = 0;
    QString importURL_;
    std::unique_ptr<ZEVController> zevController_;
    std::function<ZEVKeyTimeSpace*()> keyTimeSpace_;
    std::unique_ptr<ZEVKeyDocumentController> keyTime_;
    std::unique_ptr<HIDRemote> hidRemote_;
    // The X server's layout changes, which Qt passes on as no event on xcb.
    std::unique_ptr<KeyboardLayoutWatcher> layoutWatcher_;
    // Cleared when playback stops, which its window going always brings about.
    ZEVKeyWindowController* runningWindowController_ = nullptr;
    QPointer<QAction> menuKeyTimeStart_;
    KELApplicationDelegate* delegate_ = nullptr; // non-owning
    std::function<void()> keyEquivalentSetter_;
    std::function<void()> fullScreenDidChange_;
    std::function<void(int)> terminateAction_;
    std::function<void(int)> stopHandler_;
    bool terminating_ = false;
    bool quitSequenceRan_ = false;
    bool observingInputMethod_ = false;
    bool storeErrorAlerted_ = false;
    bool storeErrorWaiting_ = false; // an alert of failed writes is to be shown, or showing
    // The store was imported at the last quit and has not opened yet: the one it replaced waits
    // at layout_.zevPrevious.
    bool provingImport_ = false;
    int exitCode_ = 0;
    ScheduledTarget guard_{this};
};

} // namespace tallomer
