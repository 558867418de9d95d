#pragma once
// The application's delegate: files and zevp: links opened from the desktop, the window state on
// activation, the quit sequence that saves the cursors and closes the link base, the Preferences
// window, and the initial values of the show and hide options.
//
// Files and links that arrive before the Space exists (those the program was started with, or
// forwarded during start-up) are kept and handed over once the root controller registers: the
// desktop sends them only once.

#include "runtime/Scheduler.h"
#include "platform/desktop/SingleInstance.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QVariantMap>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace tallomer {

class KELApplication;

class UserDefaultsController;
class ZEVController;
class ZEVPreferencesController;
class ZEVSpaceControllerBase;

class KELApplicationDelegate : public QObject {
    Q_OBJECT
public:
    // The sixteen show and hide options with their initial values, in the order they are set.
    static const std::vector<std::pair<const char*, bool>>& showHideOptions();
    // `+initialize`: gives the options their initial values on `controller` (default: the shared
    // one) without writing them.
    static void initialize(UserDefaultsController* controller = nullptr);

    // `app` is not owned. `defaults`, when given, is the controller to use (tests); it must
    // outlive the delegate.
    explicit KELApplicationDelegate(KELApplication* app, UserDefaultsController* defaults = nullptr);
    ~KELApplicationDelegate() override;

    // The controller once it has built the Space (not owned); nullptr before.
    void referencerZEVController(ZEVController* controller);
    ZEVController* zevController() const { return zevController_; }

    // Installs the handlers of zevp: links and opened files on the single-instance service (not
    // owned; the delegate forgets it when it dies first).
    void applicationWillFinishLaunching(SingleInstance* instance);
    // Arguments the program was started with: dispatched once the Space exists.
    void openLaunchArguments(const QStringList& arguments);

    // `application:openFiles:`. What was handed over and cannot be used (a file that is not
    // there or cannot be read, a link to no place, a malformed option, an address of another
    // kind) is said in one alert after the rest was opened.
    void applicationOpenFiles(const QStringList& paths);
    bool applicationShouldOpenUntitledFile();
    // The Get URL handler: opens the zevp: link as a new place, which the history records
    // (siHistory NO).
    void handleURLEvent(const QString& url);
    // The program's options (--link-browser <link id> [--cursor <cursor id>]): each request opens
    // a link base browser window.
    void openOptions(const QStringList& options);

    void applicationDidFinishLaunching();
    void applicationWillResignActive();
    void applicationWillBecomeActive();
    // The quit sequence.
    void applicationWillTerminate();
    // Always "terminate now".
    int applicationShouldTerminate() { return 1; }
    void applicationWillHide() {}
    void applicationDidChangeScreenParameters() {}

    void showPreferences();
    ZEVPreferencesController* preferencesController() const { return preferences_.get(); }

    // -1 until the program first lost the focus; then whether the menu bar showed at that moment.
    std::int64_t previousIfShowMacMenu() const { return previousIfShowMacMenu_; }

private:
    ZEVSpaceControllerBase* space() const;
    void whenReady(std::function<void()> fn);
    void onApplicationStateChanged(Qt::ApplicationState state);
    // `message` is the alert's when it is the only thing refused; `name` and `why` make its line
    // in the alert that lists several.
    void refuse(const QString& message, const QString& name, const QString& why);
    void tellRefused();

    KELApplication* app_; // non-owning
    UserDefaultsController* defaults_; // non-owning
    ZEVController* zevController_ = nullptr; // non-owning: the application owns it
    std::unique_ptr<ZEVPreferencesController> preferences_;
    QPointer<SingleInstance> instance_; // non-owning
    std::vector<std::function<void()>> waiting_;
    QStringList launchArguments_;
    struct Refused {
        QString message, name, why;
    };
    std::vector<Refused> refused_;
    std::int64_t previousIfShowMacMenu_ = -1;
    bool active_ = false;
    ScheduledTarget guard_{this};
};

} // namespace tallomer
