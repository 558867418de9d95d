#include "app/KELApplication.h"

#include "app/KELApplicationDelegate.h"
#include "app/ZEVController.h"
#include "app/store/KELResources.h"
#include "app/wholestore/KELWholeStore.h"
#include "widgets/ZEVAlert.h"
#include "desk/data/ZEVItemData.h"
#include "engine/KELDemarrage.h"
#include "engine/KELICurseur.h"
#include "engine/KELModels.h"
#include "runtime/Log.h"
#include "engine/store/KELChercheurDe.h"
#include "engine/store/Sqlite.h"
#include "keytime/ZEVKeyDocumentController.h"
#include "platform/hid/HIDRegistry.h"
#include "platform/sound/Sound.h"
#include "platform/AppId.h"
#include "platform/KeyboardLayoutWatcher.h"
#include "platform/desktop/FolderIcon.h"
#include "platform/desktop/GtkBookmarks.h"
#include "platform/files/FileMoves.h"
#include "widgets/FileTypeIcon.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QInputMethod>
#include <QMimeDatabase>
#include <QScreen>
#include <QSessionManager>
#include <QWidget>

#include <climits>

namespace tallomer {

namespace {
KELApplication* g_application = nullptr;

// Where no device layer was given: a registry without devices, so playback runs without a remote.
class NoDevices final : public HIDRegistry {
public:
    QVariant property(HIDService, const QString&) override { return {}; }
    IOReturn setProperty(HIDService, const QString&, const QVariant&) override { return kIOReturnError; }
    bool hasServiceOfClass(const QString&) override { return false; }
    std::uint32_t systemVersion() override { return 0; }
    QVariant rootProperty(const QString&) override { return {}; }
    std::vector<HIDService> services() override { return {}; }
    std::unique_ptr<HIDNotification> addMatching(std::function<void(HIDService)>, IOReturn& r) override
    {
        r = kIOReturnSuccess;
        return std::make_unique<HIDNotification>();
    }
    std::unique_ptr<HIDNotification> addInterest(HIDService, std::function<void(std::uint32_t)>, IOReturn& r) override
    {
        r = kIOReturnNoDevice;
        return nullptr;
    }
    std::unique_ptr<HIDNotification> addRootBusyInterest(std::function<void(std::uint32_t)>, IOReturn& r) override
    {
        r = kIOReturnSuccess;
        return std::make_unique<HIDNotification>();
    }
    std::unique_ptr<HIDDevice> createPlugIn(HIDService, IOReturn& r) override
    {
        r = kIOReturnNoDevice;
        return nullptr;
    }
};

constexpr const char* kInitKELApplication = "_initKELApplication";
constexpr const char* kInitZEVController = "_initZEVController";
constexpr const char* kInitKeyEquivalent = "_initKeyEquivalent";
constexpr const char* kStoreErrorAlert = "storeErrorAlert";
constexpr const char* kStoreDamagedAlert = "storeDamagedAlert";
// How long what the start wakes stays read ahead: past the first paint of the desks, and no
// longer, as it holds every row of the base.
constexpr double kLectureDuDemarrage = 1.0;
} // namespace

KELApplication::KELApplication() : KELApplication(Options()) {}

KELApplication::KELApplication(Options options)
    : options_(std::move(options)), layout_(options_.layout)
{
    g_application = this;
    zevletSpaceMinId_ = 100000000;
    zevletSpaceMaxId_ = 1000000000;
    KELIdSpace::set(zevletSpaceMinId_, zevletSpaceMaxId_); // the link base allocates ids in this range
    kelUTI_ = QStringLiteral("%1.ZEVItemPB").arg(QString::fromLatin1(kAppId));
    resources_ = std::make_unique<KELSharedResources>();
    progressPanel_ = std::make_unique<ZEVProgressPanel>(true);
    progressRelay_.panel = progressPanel_.get();
    appTerminate_ = 0;
    wholeStore_ = std::make_unique<KELWholeStore>(*this);
    terminateAction_ = [this](int action) { wholeStore_->terminate(action); };
    installStoreHooks();

    ZEVKeyDocumentController::Hooks keyTime;
    keyTime.space = [this] { return keyTimeSpace_ ? keyTimeSpace_() : nullptr; };
    keyTime.beep = [] { Sound::shared().beep(); };
    keyTime.alert = [](const QString& message, const QString& informative, const QStringList& buttons) {
        return ZEVAlert::ShowAlert(message, informative, buttons);
    };
    keyTime.startStop = [this] { keyTimeStartStop(); };
    keyTime.running = [this] { return isKeyTimeRunning(); };
    keyTime.windowWillClose = [this](ZEVKeyWindowController* w) { keyTimeWindowControllerWillClose(w); };
    keyTime_ = std::make_unique<ZEVKeyDocumentController>(std::move(keyTime));

    // The quit that ends a session asks nothing: what is unsaved is asked about here, while the
    // session can still be kept.
    if (auto* gui = qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        connect(gui, &QGuiApplication::commitDataRequest, this, [this](QSessionManager& manager) {
            struct Manager final : SessionEnd {
                explicit Manager(QSessionManager& m) : m(m) {}
                bool allowsInteraction() override { return asked = m.allowsInteraction(); }
                void cancel() override { m.cancel(); }
                QSessionManager& m;
                bool asked = false;
            } session(manager);
            sessionWillEnd(session);
            if (session.asked)
                manager.release();
        });

    // A quit from elsewhere than the Quit command (the session ending, the last window of a run
    // without a Space closed) runs the same sequence. Closing the Space window only hides it.
    if (QCoreApplication::instance())
        connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, this, [this] {
            if (!quitSequenceRan_) {
                terminating_ = true;
                runQuitSequence();
            }
        });
}

KELApplication::~KELApplication()
{
    if (QCoreApplication::instance())
        QCoreApplication::instance()->removeEventFilter(this);
    if (KELServeurDeLiens::estInitialise())
        KELServeurDeLiens::SetDelegate(nullptr);
    KELChercheurDe::setAlertAndStop({});
    Sqlite::setStoreErrorHook({});
    ZEVItemDataChannels::setStoreErrorHook({});
    // Playback ends before its windows go; the KeyTime windows stand on the Space window and go
    // first.
    if (hidRemote_)
        keyTimeStartStop();
    keyTime_.reset();
    // The controller and its windows go before the shared resources they draw with.
    zevController_.reset();
    wholeStore_.reset();
    if (g_application == this)
        g_application = nullptr;
}

KELApplication* KELApplication::shared() { return g_application; }

void KELApplication::installStoreHooks()
{
    // A store the program cannot use is announced before the program stops.
    KELChercheurDe::setAlertAndStop([this](const std::string& message, const std::string& informative) {
        if (Scheduler::hasShared() && !terminating_ && KELChercheurDe::ZevDataBase().damaged()) {
            // Met by a statement of the start or of some act, in the middle of it: the alert and
            // the stop (which closes the store) come from the event loop, the store refusing
            // every statement meanwhile.
            Scheduler::shared().perform(this, kStoreDamagedAlert, 0, [this, message, informative] {
                ZEVAlert::ShowSimpleAlertWithMessage(QString::fromStdString(message),
                                                     QString::fromStdString(informative));
                stop();
            });
            return;
        }
        if (provingImport_) {
            // The store imported at the last quit passed the checks of a file but still cannot be
            // opened: the next start finds the one it replaced.
            QString why = QString::fromStdString(message.empty() ? KELChercheurDe::lastError() : informative);
            if (why.isEmpty())
                why = QStringLiteral("its link base cannot be opened");
            putPreviousStoreBack(why, QStringLiteral("Start Tallomer again to use it."));
        } else if (!message.empty()) {
            ZEVAlert::ShowSimpleAlertWithMessage(QString::fromStdString(message), QString::fromStdString(informative));
        } else {
            // A refusal the link base has no alert of its own for (an unreadable version, a failed
            // upgrade): the user would otherwise see the program vanish without a word.
            QString reason = QString::fromStdString(KELChercheurDe::lastError());
            if (reason.isEmpty())
                reason = QStringLiteral("The link base cannot be used.");
            ZEVAlert::ShowSimpleAlertWithMessage(QStringLiteral("Tallomer cannot open its store."),
                                                 QStringLiteral("%1\nThe link base is %2.").arg(reason, layout_.zevBase));
        }
        stop();
    });
    Sqlite::setStoreErrorHook([this](const std::string& message) { reportStoreError(QString::fromStdString(message)); });
    ZEVItemDataChannels::setStoreErrorHook([this](const QString& message) { reportStoreError(message); });
}

// ---- stages --------------------------------------------------------------------------------------

void KELApplication::awakeFromNib()
{
    if (stopped())
        return;
    if (!qgetenv("NSZombieEnabled").isEmpty() || !qgetenv("NSAutoreleaseFreedObjectCheckEnabled").isEmpty())
        logLine("--------------------------------------->NSZombieEnabled/NSAutoreleaseFreedObjectCheckEnabled enabled!");

    ZEVItemDataFolders folders;
    folders.zevDir = layout_.zevDir;
    folders.zevData = layout_.zevData;
    folders.zevDrop = layout_.zevDrop;
    folders.zevFolder = layout_.zevFolder;
    ZEVItemDataChannels::SetFolders(folders);

    // The store folder comes first so that its lock guards everything below, the older layout's
    // move included (its folders can only exist inside an existing store folder).
    store::FolderFailure failure;
    if (!store::makeStoreFolder(layout_, &failure)) {
        refuseStart(failure);
        return;
    }
    if (!lockStore()) {
        stop();
        return;
    }
    // An import replaced the store at the last quit. Its link base is checked as the import
    // checked it before anything reads the store; the store it replaced is removed only once the
    // link base has opened.
    if (QFileInfo(layout_.zevPrevious).isDir()) {
        const QString why = KELWholeStore::checkStore(layout_.zevDir);
        provingImport_ = why.isEmpty();
        if (!provingImport_ && (!putPreviousStoreBack(why, QString()) || !lockStore())) {
            stop();
            return;
        }
    }
    const auto transition = options_.transitionForDataURL
                                ? options_.transitionForDataURL
                                : std::function<void(const QString&)>(&ZEVItemData::TransitionForDataURL);
    switch (store::migrateOldLayout(layout_, transition, &failure)) {
    case store::Migration::Done:
        break;
    case store::Migration::Stop:
        refuseStart(failure);
        return;
    case store::Migration::LeftoverAlert:
        if (provingImport_)
            putPreviousStoreBack(QStringLiteral("its files of the older layout cannot be moved"),
                                 QStringLiteral("Start Tallomer again to use it."));
        else
            ZEVAlert::ShowSimpleAlertWithMessage(QStringLiteral("Multi-channel transition ERROR!"),
                                                 QStringLiteral("Try restarting the app"));
        stop();
        return;
    }
    const bool firstRun = !QFileInfo::exists(layout_.zevBase);
    const QString templatePath = firstRun ? KELResources::pathForResource("zev", "sqlite") : QString();
    QString error;
    if (firstRun && !store::copyTemplateIfMissing(layout_, templatePath, &error)) {
        // A program started without its own files (moved away from them, or half installed)
        // would otherwise end without a word.
        if (templatePath.isEmpty())
            ZEVAlert::ShowSimpleAlertWithMessage(
                QStringLiteral("Tallomer cannot find its own files."),
                QStringLiteral("The first store is made from %1/zev.sqlite, which is missing. Install Tallomer "
                               "again, or start it from the folder it was built or installed in.")
                    .arg(KELResources::directory()));
        else
            ZEVAlert::ShowSimpleAlertWithMessage(
                QStringLiteral("Tallomer cannot make its store."),
                QStringLiteral("%1 could not be copied to %2: %3").arg(templatePath, layout_.zevBase, error));
        stop();
        return;
    }
    KELChercheurDe::setDatabasePath(layout_.zevBase.toStdString());

    progressPanel_->showWindow();
    Scheduler::shared().perform(this, kInitKELApplication, 0, [this, firstRun] { _initKELApplication(firstRun); });
}

bool KELApplication::lockStore()
{
    const QString lockFile = StoreLock::lockFilePath(layout_.zevDir);
    switch (storeLock_.lock(lockFile)) {
    case StoreLock::State::Locked:
        return true;
    case StoreLock::State::Busy:
        logFormat("KELApplication: the store %s is in use by another Tallomer program", qUtf8Printable(layout_.zevDir));
        ZEVAlert::ShowSimpleAlertWithMessage(
            QStringLiteral("Tallomer is already running on this store."),
            QStringLiteral("Another Tallomer program uses %1. Only one at a time may use a store: switch to "
                           "that one, or quit it and start Tallomer again.")
                .arg(layout_.zevDir));
        return false;
    case StoreLock::State::Unlocked:
    case StoreLock::State::Failed:
        break;
    }
    logFormat("KELApplication: cannot lock the store %s: %s", qUtf8Printable(lockFile),
              qUtf8Printable(storeLock_.error()));
    ZEVAlert::ShowSimpleAlertWithMessage(
        QStringLiteral("Tallomer cannot lock its store."),
        QStringLiteral("The lock file %1 cannot be used (%2). Check that %3 can be written to, then start "
                       "Tallomer again.")
            .arg(lockFile, storeLock_.error(), layout_.zevDir));
    return false;
}

void KELApplication::refuseStart(const store::FolderFailure& failure)
{
    // Every start would end here again: the user must learn why, not see the program vanish.
    const QString why = QStringLiteral("the folder %1 cannot be made (%2)").arg(failure.folder, failure.error);
    if (provingImport_)
        putPreviousStoreBack(why, QStringLiteral("Start Tallomer again to use it."));
    else
        ZEVAlert::ShowSimpleAlertWithMessage(
            QStringLiteral("Tallomer cannot make its store."),
            QStringLiteral("The folder %1 cannot be made (%2). Move or rename what stands there, or make its "
                           "folder writable, then start Tallomer again.")
                .arg(failure.folder, failure.error));
    stop();
}

bool KELApplication::putPreviousStoreBack(const QString& reason, const QString& then)
{
    provingImport_ = false;
    QString why = reason;
    while (why.endsWith(QLatin1Char('.')))
        why.chop(1);
    logFormat("KELApplication: the imported store cannot be opened (%s); the previous one is put back",
              qUtf8Printable(why));
    // The lock file goes with its folder: the caller locks the store in its place again.
    storeLock_.release();
    QString refused;
    const FileResult back = swapFolderInto(layout_.zevPrevious, layout_.zevDir, &refused);
    if (!back) {
        ZEVAlert::ShowSimpleAlertWithMessage(
            QStringLiteral("The imported Tallomer cannot be opened."),
            QStringLiteral("It was refused: %1. Your previous Tallomer could not be put back (%2); it is kept at %3.")
                .arg(why, back.error, layout_.zevPrevious));
        return false;
    }
    if (!refused.isEmpty() && !removeTree(refused))
        logFormat("KELApplication: the refused imported store cannot be removed: %s", qUtf8Printable(refused));
    ZEVAlert::ShowSimpleAlertWithMessage(
        QStringLiteral("The imported Tallomer cannot be opened."),
        QStringLiteral("It was refused: %1. Your previous Tallomer was put back.%2")
            .arg(why, then.isEmpty() ? QString() : QLatin1Char(' ') + then));
    return true;
}

void KELApplication::_initKELApplication(bool firstRun)
{
    if (stopped())
        return;
    store::FolderFailure failure;
    if (!store::makeDataFolders(layout_, &failure)) {
        refuseStart(failure);
        return;
    }
    store::copyMissingWallpapers(layout_, [](const QString& name) { return KELResources::wallpaperPath(name); });

    // The Object data index.
    progressPanel_->showWindow();
    progressPanel_->setMaxValue(ZEVItemDataChannels::PrepareDicosForURL(layout_.zevData));
    progressPanel_->updateStatus(0);
    progressPanel_->setMessage(QStringLiteral("zev Objects loading\u2026"));
    ZEVProgressPanel* panel = progressPanel_.get();
    ZEVItemDataChannels::InitializeDicos([panel] { panel->increment(); });
    if (stopped())
        return;

    // The user's drop folder.
    switch (store::makeUserFolder(layout_, &failure)) {
    case store::UserFolder::Existing:
        break;
    case store::UserFolder::Created:
        if (options_.setFolderIcon) {
            // The icon the folder names is a copy in the store: the program's own files may lie
            // in a build tree or an installation that is later moved or removed.
            const QString source = KELResources::imagePath(QStringLiteral("zevFolder.svg"));
            const QString icon = source.isEmpty() ? QString() : FolderIcon::keepCopy(source, layout_.zevDir);
            if (!icon.isEmpty())
                FolderIcon::setIcon(QDir::cleanPath(layout_.zevFolder), icon);
        }
        break;
    case store::UserFolder::Failed:
        // Not the store's: an import being proved is not at fault, and waits for the next start.
        ZEVAlert::ShowSimpleAlertWithMessage(
            QStringLiteral("Tallomer cannot make its drop folder."),
            QStringLiteral("The folder %1 cannot be made (%2). Move or rename what stands there, then start "
                           "Tallomer again.")
                .arg(failure.folder, failure.error));
        stop();
        return;
    }
    if (firstRun)
        _addSidebarItem();

    // The link base: opening it may find it unusable, which stops the program through the hook.
    KELServeurDeLiens::initialize();
    if (stopped())
        return;
    // A damaged base without the links the start reads would leave an empty window and no word.
    if (const std::string damage = KELDemarrage::VerifierLaStructure(KELChercheurDe::ZevDataBase(), kCurseurTimelineInt,
                                                                     {ZEVController::kRootSpaceInt});
        !damage.empty()) {
        const QString why = QString::fromStdString(damage);
        logFormat("KELApplication _initKELApplication: the link base cannot be used: %s", damage.c_str());
        if (provingImport_)
            putPreviousStoreBack(why, QStringLiteral("Start Tallomer again to use it."));
        else
            ZEVAlert::ShowSimpleAlertWithMessage(
                QStringLiteral("Tallomer cannot open its store."),
                QStringLiteral("The link base cannot be used: %1.\nThe link base is %2.").arg(why, layout_.zevBase));
        stop();
        return;
    }
    // What the start wakes is read meanwhile; by the time the Space is built it is all in memory.
    KELDemarrage::LireLesRelationsEnAvance(kLectureDuDemarrage);
    KELServeurDeLiens::SetDelegate(&progressRelay_);
    progressPanel_->setMaxValue(static_cast<double>(KELServeurDeLiens::LienCount()));
    progressPanel_->setMessage(QStringLiteral("zevlets loading\u2026"));
    progressPanel_->updateStatus(0);
    if (stopped())
        return;

    if (!KELDemarrage::ReveillerLesModelsEtLancer(kCurseurTimelineInt))
        logFormat("KELApplication _initKELApplication: no timeline cursor %llu",
                  static_cast<unsigned long long>(kCurseurTimelineInt));
    if (stopped())
        return;
    if (provingImport_) {
        provingImport_ = false;
        if (!removeTree(layout_.zevPrevious))
            logFormat("KELApplication: the store replaced by the import cannot be removed: %s",
                      qUtf8Printable(layout_.zevPrevious));
    }

    Scheduler::shared().perform(this, kInitZEVController, 0, [this] { _initZEVController(); });

    _initKeyEquivalent();
    if (QCoreApplication::instance()) {
        QCoreApplication::instance()->removeEventFilter(this);
        QCoreApplication::instance()->installEventFilter(this);
    }
    if (QGuiApplication::inputMethod() && !observingInputMethod_) {
        observingInputMethod_ = true;
        connect(QGuiApplication::inputMethod(), &QInputMethod::localeChanged, this, [this] {
            Scheduler::shared().cancel(this, kInitKeyEquivalent);
            Scheduler::shared().perform(this, kInitKeyEquivalent, 0, [this] { _initKeyEquivalent(); });
        });
    }
    if (!layoutWatcher_) {
        layoutWatcher_ = std::make_unique<KeyboardLayoutWatcher>();
        // A switch sends several events at once: the keys are set again once, after them.
        connect(layoutWatcher_.get(), &KeyboardLayoutWatcher::layoutChanged, this, [this] {
            if (stopped())
                return;
            Scheduler::shared().cancel(this, kInitKeyEquivalent);
            Scheduler::shared().perform(this, kInitKeyEquivalent, 0, [this] { _initKeyEquivalent(); });
        });
    }
}

void KELApplication::_initZEVController()
{
    if (stopped())
        return;
    zevController_ = std::make_unique<ZEVController>(kCurseurTimelineInt, this);
}

void KELApplication::_addSidebarItem()
{
    if (!options_.addSidebarItem)
        return;
    QString path = layout_.zevFolder;
    while (path.size() > 1 && path.endsWith('/'))
        path.chop(1);
    switch (GtkBookmarks::addFolder(path)) {
    case GtkBookmarks::Result::Added:
    case GtkBookmarks::Result::AlreadyPresent:
        break;
    case GtkBookmarks::Result::CannotOpenList:
        logLine("KELApplication ERROR: Impossible to create sidebar list");
        break;
    case GtkBookmarks::Result::CannotInsert:
        logLine("KELApplication ERROR: Impossible to insert item in sidebar list");
        break;
    }
}

void KELApplication::_initKeyEquivalent()
{
    if (keyEquivalentSetter_)
        keyEquivalentSetter_();
}

bool KELApplication::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyboardLayoutChange && Scheduler::hasShared() && !stopped()) {
        Scheduler::shared().cancel(this, kInitKeyEquivalent);
        Scheduler::shared().perform(this, kInitKeyEquivalent, 0, [this] { _initKeyEquivalent(); });
    }
    return QObject::eventFilter(watched, event);
}

// ---- ending the run ------------------------------------------------------------------------------

void KELApplication::runQuitSequence()
{
    quitSequenceRan_ = true;
    if (delegate_) {
        delegate_->applicationWillTerminate();
    } else {
        KELChercheurDe::CloseDatabase();
        terminate();
    }
}

void KELApplication::terminate(QObject*)
{
    if (quitSequenceRan_)
        return;
    // Unsaved KeyTime documents are asked about first; Cancel keeps the program running.
    if (keyTime_ && !terminating_ && !keyTime_->closeAllForQuit()) {
        // An import or uninstall waits for this quit: left pending, it would replace or remove
        // the store at some later quit, with everything done meanwhile.
        if (appTerminate_ != 0 && wholeStore_)
            wholeStore_->quitCancelled();
        return;
    }
    terminating_ = true;
    if (Scheduler::hasShared())
        Scheduler::shared().cancelAll(this);
    // The delegate always lets the program quit at once.
    runQuitSequence();
    if (stopHandler_)
        stopHandler_(exitCode_);
    else
        QCoreApplication::exit(exitCode_);
}

void KELApplication::sessionWillEnd(SessionEnd& session)
{
    if (quitSequenceRan_ || !keyTime_ || !keyTime_->siModified())
        return;
    if (!session.allowsInteraction()) {
        logFormat("KELApplication: the session ends without leave to ask about unsaved KeyTime documents");
        return;
    }
    if (!keyTime_->confirmCloseAll())
        session.cancel();
}

void KELApplication::keyTimeAddStep()
{
    if (hidRemote_)
        return;
    keyTime_->addStep();
}

void KELApplication::keyTimeStartStop()
{
    if (!hidRemote_) {
        ZEVKeyDocument* document = keyTime_->currentDocument();
        ZEVKeyWindowController* running = document ? keyTime_->windowFor(document) : nullptr;
        if (!running)
            return;
        runningWindowController_ = running;
        static NoDevices none;
        hidRemote_ = std::make_unique<HIDRemote>(options_.hidRegistry ? *options_.hidRegistry : none,
                                                 options_.notifications);
        hidRemote_->setDelegate(running);
        if (!hidRemote_->startRemoteControl(HIDRemote::kModeExclusiveAuto))
            ZEVAlert::ShowAlert(QStringLiteral("Remote error!"), QStringLiteral("Starting HID Remote failed"),
                                {QStringLiteral("OK")});
        // The alert's event loop may have closed the window meanwhile.
        if (!hidRemote_)
            return;
        if (runningWindowController_)
            runningWindowController_->setAsRunning();
        for (ZEVKeyDocument* d : keyTime_->documents())
            if (ZEVKeyWindowController* w = keyTime_->windowFor(d))
                w->startHIDRemote();
        if (menuKeyTimeStart_)
            menuKeyTimeStart_->setText(QStringLiteral("Stop KeyTime"));
        return;
    }
    if (hidRemote_->isStarted())
        hidRemote_->stopRemoteControl();
    hidRemote_->setDelegate(nullptr);
    hidRemote_.reset();
    runningWindowController_ = nullptr;
    for (ZEVKeyDocument* d : keyTime_->documents())
        if (ZEVKeyWindowController* w = keyTime_->windowFor(d))
            w->stopHIDRemote();
    if (menuKeyTimeStart_)
        menuKeyTimeStart_->setText(QStringLiteral("Start KeyTime"));
}

void KELApplication::keyTimeWindowControllerWillClose(ZEVKeyWindowController* controller)
{
    if (hidRemote_ && controller == runningWindowController_)
        keyTimeStartStop();
}

void KELApplication::setMenuKeyTimeStart(QAction* item)
{
    menuKeyTimeStart_ = item;
    if (item)
        item->setText(hidRemote_ ? QStringLiteral("Stop KeyTime") : QStringLiteral("Start KeyTime"));
}

void KELApplication::applicationStatusChanged(HIDRemote::AppStatus status)
{
    if (hidRemote_)
        hidRemote_->_appStatusChanged(status);
}

void KELApplication::terminate()
{
    if (terminateAction_)
        terminateAction_(appTerminate_);
}

void KELApplication::menuTallomerExportAll() { wholeStore_->menuTallomerExportAll(); }
void KELApplication::menuTallomerImportAll() { wholeStore_->menuTallomerImportAll(); }
void KELApplication::menuTallomerQuitUninstall() { wholeStore_->menuTallomerQuitUninstall(); }

void KELApplication::stop()
{
    if (quitSequenceRan_)
        return;
    exitCode_ = 1;
    terminate(nullptr);
}

void KELApplication::reportStoreError(const QString& detail)
{
    // The failed writes of one act come in one turn of the event loop: they are told in the one
    // alert waiting to be shown, or showing. A failure after it was closed belongs to a later act,
    // which the user must hear of as well.
    storeErrorAlerted_ = true;
    if (storeErrorWaiting_)
        return;
    storeErrorWaiting_ = true;
    const QString informative =
        QStringLiteral("Tallomer could not write to its store (%1). What you just changed may not have been kept. "
                       "Check that the disk has free space and that %2 can be written to.")
            .arg(detail, layout_.zevDir);
    auto show = [informative] {
        ZEVAlert::ShowSimpleAlertWithMessage(QStringLiteral("Your changes could not be saved."), informative);
    };
    // Shown from the event loop: a modal alert inside the failing write would let timers run link
    // base code in the middle of it. The quit is one act: told once.
    if (terminating_ || !Scheduler::hasShared()) {
        show();
        return;
    }
    Scheduler::shared().perform(this, kStoreErrorAlert, 0, [this, show] {
        show();
        storeErrorWaiting_ = false;
    });
}

void KELApplication::fullScreenDidChange()
{
    if (fullScreenDidChange_)
        fullScreenDidChange_();
}

// ---- shared services -----------------------------------------------------------------------------

QIcon KELApplication::iconForFileType(const QString& type) { return tallomer::iconForFileType(type); }

QPixmap KELApplication::findIconForFileType(const QString& type)
{
    return QPixmap::fromImage(imageOfIcon(tallomer::findIconForFileType(type), 18));
}

QPoint KELApplication::eventForSender(const QWidget* sender, int menuWidth)
{
    if (!sender)
        return {};
    const QWidget* parent = sender->parentWidget();
    const bool inToolbar = parent && (parent->objectName() == QLatin1String("ZEVFrontToolbar") ||
                                      parent->inherits("tallomer::ZEVFrontToolbar"));
    const int gap = inToolbar ? 4 : 6;
    QPoint p = sender->mapToGlobal(QPoint(-1, sender->height() + gap));
    const QPoint origin = sender->mapToGlobal(QPoint(0, 0));
    const QScreen* screen = QGuiApplication::primaryScreen();
    const int screenWidth = screen ? screen->geometry().x() + screen->geometry().width() : INT_MAX;
    if (menuWidth + origin.x() + 10 > screenWidth)
        p.rx() += sender->width() - menuWidth; // opens towards the left from the right edge
    return p;
}

} // namespace tallomer
