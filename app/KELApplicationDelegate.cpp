#include "app/KELApplicationDelegate.h"

#include "browser/KELBrowserArguments.h"
#include "browser/KELVueController.h"
#include "runtime/Log.h"

#include "app/KELApplication.h"
#include "app/ZEVController.h"
#include "app/widgets/ZEVPreferencesController.h"
#include "desk/model/ZEVItemOptions.h"
#include "engine/KELICurseur.h"
#include "inspectors/ZEVTransferQueue.h"
#include "engine/store/KELChercheurDe.h"
#include "services/ZEVFrontViewerServices.h"
#include "platform/UserDefaults.h"
#include "platform/desktop/SingleInstance.h"
#include "widgets/ZEVAlert.h"

#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLayout>
#include <QMainWindow>
#include <QWidget>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace tallomer {

const std::vector<std::pair<const char*, bool>>& KELApplicationDelegate::showHideOptions()
{
    static const std::vector<std::pair<const char*, bool>> options = {
        {"ZEVShowMacMenu", true},
        {"ZEVShowZevMenu", false},
        {"ZEVShowRuler", true},
        {"ZEVShowTracks", true},
        {"ZEVShowToolbar", true},
        {"ZEVHideRulerWhenSearch", false},
        {"ZEVShowObjectAnimation", true},
        {"ZEVHideObjectTitle", false},
        {"ZEVStepBackShowApps", false},
        {"ZEVShowLinksForSelectedIcons", false},
        {"ZEVShowLinksForSelectedTitles", false},
        {"ZEVShowLinksForSelectedFilters", true},
        {"ZEVShowLinksForAllIcons", false},
        {"ZEVShowLinksForAllTitles", false},
        {"ZEVShowLinksForAllNodes", false},
        {"ZEVShowLinksForAllFilters", false},
    };
    return options;
}

void KELApplicationDelegate::initialize(UserDefaultsController* controller)
{
    UserDefaultsController& c = controller ? *controller : UserDefaultsController::shared();
    QVariantMap values;
    for (const auto& [key, value] : showHideOptions())
        values.insert(QString::fromLatin1(key), value);
    c.setInitialValues(values);
}

KELApplicationDelegate::KELApplicationDelegate(KELApplication* app, UserDefaultsController* defaults)
    : app_(app), defaults_(defaults ? defaults : &UserDefaultsController::shared())
{
    initialize(defaults_);
    if (auto* gui = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        active_ = QGuiApplication::applicationState() == Qt::ApplicationActive;
        connect(gui, &QGuiApplication::applicationStateChanged, this,
                [this](Qt::ApplicationState s) { onApplicationStateChanged(s); });
    }
}

KELApplicationDelegate::~KELApplicationDelegate()
{
    if (instance_) {
        instance_->getURL = nullptr;
        instance_->openDocuments = nullptr;
        instance_->reopen = nullptr;
        instance_->options = nullptr;
    }
}

namespace {

// An address as an alert names it: long ones cut.
QString shortened(const QString& text)
{
    constexpr qsizetype kLength = 80;
    return text.size() <= kLength ? text : text.left(kLength - 1) + QStringLiteral("\u2026");
}

// Why a path handed to the program does not become an Object; empty when it can. Something that
// is neither a file nor a folder (a pipe, a device, a socket) is no document: there is nothing in
// it to show or to open later.
QString whyNotTaken(const QString& path)
{
    const QByteArray native = QFile::encodeName(path);
    struct stat st {};
    if (::stat(native.constData(), &st) != 0) {
        const int error = errno;
        // The start that passed it on could not give it a name of text (it renames files, not
        // the folders on their way): its stray bytes were read as replacement characters.
        if (error == ENOENT && path.contains(QChar::ReplacementCharacter))
            return QStringLiteral("A name on its way is not valid UTF-8, which Tallomer cannot use: rename it, then "
                                  "try again.");
        if (error == ENOENT || error == ENOTDIR)
            return QStringLiteral("There is no file at %1.").arg(path);
        if (error == EACCES)
            return QStringLiteral("You do not have permission to reach %1.").arg(path);
        return QStringLiteral("%1 cannot be read: %2.").arg(path, qt_error_string(error));
    }
    if (S_ISDIR(st.st_mode)) {
        if (::access(native.constData(), R_OK | X_OK) != 0)
            return QStringLiteral("You do not have permission to open the folder %1.").arg(path);
        return QString();
    }
    if (!S_ISREG(st.st_mode))
        return QStringLiteral("%1 is neither a file nor a folder.").arg(path);
    if (::access(native.constData(), R_OK) != 0)
        return QStringLiteral("You do not have permission to read %1.").arg(path);
    return QString();
}

} // namespace

ZEVSpaceControllerBase* KELApplicationDelegate::space() const
{
    return zevController_ ? zevController_->spaceController() : nullptr;
}

void KELApplicationDelegate::whenReady(std::function<void()> fn)
{
    if (zevController_)
        fn();
    else
        waiting_.push_back(std::move(fn));
}

void KELApplicationDelegate::referencerZEVController(ZEVController* controller)
{
    zevController_ = controller;
    if (!controller)
        return;
    // What the program was started with comes before what other instances sent since.
    if (instance_ && !launchArguments_.isEmpty())
        instance_->dispatch(std::exchange(launchArguments_, {}));
    auto waiting = std::exchange(waiting_, {});
    for (auto& fn : waiting)
        fn();
}

void KELApplicationDelegate::applicationWillFinishLaunching(SingleInstance* instance)
{
    instance_ = instance;
    if (!instance)
        return;
    instance->getURL = [this](const QString& url) { whenReady([this, url] { handleURLEvent(url); }); };
    instance->openDocuments = [this](const QStringList& paths) {
        whenReady([this, paths] { applicationOpenFiles(paths); });
    };
    instance->reopen = [this] { whenReady([this] { applicationShouldOpenUntitledFile(); }); };
    instance->options = [this](const QStringList& options) { whenReady([this, options] { openOptions(options); }); };
    instance->otherURL = [this](const QString& url) {
        whenReady([this, url] {
            logFormat("KELApplicationDelegate: %s is neither a file nor a zevp link", qUtf8Printable(url));
            refuse(QStringLiteral("\u201c%1\u201d could not be opened.").arg(shortened(url)), shortened(url),
                   QStringLiteral("Tallomer opens files, folders and zevp links only."));
        });
    };
}

void KELApplicationDelegate::openOptions(const QStringList& options)
{
    for (const KELBrowserArguments::Requete& r : KELBrowserArguments::lire(options)) {
        if (!r.erreur.isEmpty()) {
            logFormat("KELApplicationDelegate openOptions: %s", qPrintable(r.erreur));
            QString why = r.erreur + u'.';
            why[0] = why[0].toUpper();
            refuse(QStringLiteral("An option given to Tallomer could not be used."), QString(), why);
            continue;
        }
        if (!KELVueController::ouvrir(r.lienInt, r.curseurInt)) {
            const QString cursor = r.curseurInt ? QStringLiteral(" --cursor %1").arg(r.curseurInt) : QString();
            refuse(QStringLiteral("An option given to Tallomer could not be used."), QString(),
                   QStringLiteral("No browser window could be opened for --link-browser %1%2.").arg(r.lienInt).arg(cursor));
        }
    }
}

void KELApplicationDelegate::openLaunchArguments(const QStringList& arguments)
{
    if (arguments.isEmpty())
        return;
    if (zevController_ && instance_)
        instance_->dispatch(arguments);
    else
        launchArguments_ += arguments;
}

void KELApplicationDelegate::applicationOpenFiles(const QStringList& paths)
{
    QStringList taken;
    for (const QString& path : paths) {
        const QString why = whyNotTaken(path);
        if (why.isEmpty()) {
            taken << path;
            continue;
        }
        logFormat("KELApplicationDelegate: %s is not opened: %s", qUtf8Printable(path), qUtf8Printable(why));
        const QString name = QFileInfo(path).fileName().isEmpty() ? path : QFileInfo(path).fileName();
        refuse(QStringLiteral("\u201c%1\u201d could not be opened.").arg(name), name, why);
    }
    if (taken.isEmpty())
        return;
    if (auto* s = space())
        s->addFilenames(taken);
}

bool KELApplicationDelegate::applicationShouldOpenUntitledFile()
{
    if (QWidget* w = zevController_ ? zevController_->spaceWindow() : nullptr) {
        // Back from the dock or the task bar, in the state it was left in (full screen stays).
        if (w->isMinimized())
            w->setWindowState(w->windowState() & ~Qt::WindowMinimized);
        w->show();
        w->raise();
        w->activateWindow();
    }
    return false;
}

void KELApplicationDelegate::handleURLEvent(const QString& url)
{
    auto* s = space();
    if (!s)
        return;
    const ZEVZevpOpening opened = s->openZevpURL(url, false);
    if (opened.refused) {
        refuse(QStringLiteral("The link \u201c%1\u201d could not be opened.").arg(shortened(url)), shortened(url),
               QStringLiteral("Tallomer cannot go there: %1.").arg(opened.why));
    } else if (!opened.why.isEmpty()) {
        QString why = opened.why + QStringLiteral(", so the cursors stayed where they were.");
        why[0] = why[0].toUpper();
        refuse(QStringLiteral("The link \u201c%1\u201d was opened only in part.").arg(shortened(url)), shortened(url),
               why);
    }
}

void KELApplicationDelegate::refuse(const QString& message, const QString& name, const QString& why)
{
    refused_.push_back({message, name, why});
    // Whatever came with it is opened first; then one alert says everything that was not.
    Scheduler::shared().cancel(this, "tellRefused");
    Scheduler::shared().perform(this, "tellRefused", 0, [this] { tellRefused(); });
}

void KELApplicationDelegate::tellRefused()
{
    const std::vector<Refused> refused = std::exchange(refused_, {});
    if (refused.empty())
        return;
    if (refused.size() == 1) {
        ZEVAlert::ShowSimpleAlertWithMessage(refused.front().message, refused.front().why);
        return;
    }
    // A whole folder's worth of names would make an alert taller than the screen.
    constexpr std::size_t kLines = 12;
    QStringList lines;
    for (std::size_t i = 0; i < refused.size() && i < kLines; ++i) {
        const Refused& r = refused[i];
        lines << (r.name.isEmpty() ? r.why : QStringLiteral("\u201c%1\u201d: %2").arg(r.name, r.why));
    }
    if (refused.size() > kLines)
        lines << QStringLiteral("And %1 more.").arg(refused.size() - kLines);
    ZEVAlert::ShowSimpleAlertWithMessage(
        QStringLiteral("Tallomer could not open %1 of the things it was given.").arg(refused.size()), lines.join(u'\n'));
}

void KELApplicationDelegate::applicationDidFinishLaunching()
{
    if (app_)
        app_->fullScreenDidChange();
}

void KELApplicationDelegate::onApplicationStateChanged(Qt::ApplicationState state)
{
    const bool active = state == Qt::ApplicationActive;
    if (active == active_)
        return;
    active_ = active;
    if (active)
        applicationWillBecomeActive();
    else
        applicationWillResignActive();
}

namespace {
// The desktop has no menu bar of its own above every program: ours is the Space window's, held by
// a main window or laid out at the top of the window.
bool menuBarShows(QWidget* window)
{
    if (auto* main = qobject_cast<QMainWindow*>(window))
        return !main->menuWidget() || !main->menuWidget()->isHidden();
    QWidget* bar = window && window->layout() ? window->layout()->menuBar() : nullptr;
    return !bar || !bar->isHidden();
}
} // namespace

void KELApplicationDelegate::applicationWillResignActive()
{
    if (app_)
        app_->applicationStatusChanged(HIDRemote::AppStatus::WillResignActive);
    QWidget* window = zevController_ ? zevController_->spaceWindow() : nullptr;
    previousIfShowMacMenu_ = menuBarShows(window) ? 1 : 0;
    if (window)
        window->setMouseTracking(false);
    if (auto* s = space())
        if (ZEVFrontViewerServices* front = s->frontViewer())
            front->userWillSwitchApp();
    if (app_)
        app_->fullScreenDidChange();
}

void KELApplicationDelegate::applicationWillBecomeActive()
{
    if (app_)
        app_->applicationStatusChanged(HIDRemote::AppStatus::DidBecomeActive);
    QWidget* window = zevController_ ? zevController_->spaceWindow() : nullptr;
    if (window)
        window->raise();
    ZEVSpaceControllerBase* s = space();
    ZEVFrontViewerServices* front = s ? s->frontViewer() : nullptr;
    if (previousIfShowMacMenu_ != -1 && front && front->siShowMenubar() != (previousIfShowMacMenu_ == 1))
        defaults_->setValue(QStringLiteral("ZEVShowMacMenu"), previousIfShowMacMenu_ == 1);
    if (window) {
        window->setMouseTracking(true);
        window->update();
    }
    if (s) {
        s->relancerLesCurseurs();
        if (app_)
            s->receiveFilesForURL(app_->zevFolderURL());
        s->updateItemImagesOfCurrentChannel();
    }
    if (app_)
        app_->fullScreenDidChange();
}

void KELApplicationDelegate::applicationWillTerminate()
{
    // Playback and its remote end first.
    if (app_) {
        app_->applicationStatusChanged(HIDRemote::AppStatus::WillTerminate);
        if (app_->isKeyTimeRunning())
            app_->keyTimeStartStop();
    }
    if (ZEVSpaceControllerBase* s = space()) {
        s->commitTyping();
        s->updateTimeline();
        if (KELICurseur* now = s->nowCurseur())
            now->updateDeplacementCurseurNow();
        if (KELICurseur* search = s->searchCurseur()) {
            search->placerContexteInToZero();
            search->placerContexteOutToZero();
            search->updateDeplacementCurseurSearch();
        }
        s->updateActifCurseur(s->actifCurseur());
        // Downloads cut short leave no partial file and no Object marked downloading for ever.
        s->abortDownloads();
    }
    // File jobs under way are cut short: no temporary left, no Object marked moving for ever.
    ZEVTransferQueue::shared().quit();
    // A change of option bits made in the last turn is still waiting for its write.
    ZEVItemOptionWrites::flushPending();
    KELChercheurDe::CloseDatabase();
    // Written now, while the user can still be told: the window's place and the options of this
    // run are otherwise lost without a word.
    if (defaults_ && !defaults_->defaults().sync()) {
        const QString file = defaults_->defaults().fileName();
        logFormat("KELApplicationDelegate: the preferences could not be written to %s", qUtf8Printable(file));
        ZEVAlert::ShowSimpleAlertWithMessage(
            QStringLiteral("Your preferences could not be saved."),
            QStringLiteral("Tallomer could not write %1, which keeps as it was. The window's place and the options "
                           "changed since it was last written are lost. Check that the disk has free space and that "
                           "%2 can be written to.")
                .arg(file, QFileInfo(file).absolutePath()));
    }
    if (app_)
        app_->terminate();
}

void KELApplicationDelegate::showPreferences()
{
    if (!preferences_) {
        UserDefaultsController* d = defaults_;
        preferences_ = std::make_unique<ZEVPreferencesController>(
            [d](const QString& key) { return d->values(key); },
            [d](const QString& key, const QVariant& value) { d->setValue(key, value); },
            [d](const QString& key, std::function<void()> changed) -> std::function<void()> {
                const DefaultsToken token =
                    d->observe(key, [changed = std::move(changed)](const QString&, const QVariant&) { changed(); });
                return [d, token] { d->unobserve(token); };
            });
    }
    preferences_->showWindow();
    preferences_->window()->raise();
    preferences_->window()->activateWindow();
}

} // namespace tallomer
