#pragma once
// The root controller: holds the timeline cursor, builds the space controller of the root Space
// one event-loop turn after it is made, and follows the desktop's notices.
//
// Until the Space window exists in this program, a controller without a space-controller factory
// shows a plain main window instead, so the program can be started and quit.

#include "app/ZEVSpaceControllerBase.h"
#include "engine/KELTypes.h"
#include "runtime/Scheduler.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

class KELICurseur;
class QWidget;

namespace tallomer {

class FirstWindow;
class KELApplication;

// A notice of the desktop session.
struct ZEVWorkspaceNotification {
    enum Name {
        DidMount,
        DidUnmount,
        DidWake,
        ScreensDidSleep,
        ActiveSpaceDidChange,
        DidActivateApplication,
        DidDeactivateApplication,
        Other,
    };
    Name name = Other;
    // For the application notices: whether an application came with the notice, whether it is
    // this program, and its identifier (empty when it has none).
    bool hasApplication = false;
    bool isThisApplication = false;
    QString applicationIdentifier;
};

class ZEVController : public QObject {
    Q_OBJECT
public:
    static constexpr KELId kRootSpaceInt = 2000001;

    using SpaceControllerFactory = std::function<std::unique_ptr<ZEVSpaceControllerBase>(
        KELId spaceInt, ZEVController* controller, KELICurseur* tlCurseur)>;
    // Installed by the program once the Space exists; an empty factory shows the plain window.
    static void setSpaceControllerFactory(SpaceControllerFactory factory);

    // `initControllerWithCurseurTLInt:`. `app` is not owned (it owns this controller).
    ZEVController(KELId curseurTLInt, KELApplication* app);
    ~ZEVController() override;

    // The deferred stage: the space controller, then the application delegate learns of us.
    void _initAsynchrone();

    KELICurseur* tlCurseur() const { return tlCurseur_; }
    KELApplication* application() const { return app_; }
    ZEVSpaceControllerBase* spaceController() const { return spaceController_.get(); }
    // The Space window, or the plain window while the program has no Space; nullptr before the
    // deferred stage.
    QWidget* spaceWindow() const;

    // Gives the focus back to the application that was active before this one, when it is
    // known, the Space fills the screen and other programs show. The desktop tells neither which
    // program was active before nor which ones show, so on this system it does nothing.
    void activatePreviousApp();
    void cocoaSystemNotification(const ZEVWorkspaceNotification& notification);
    // nullopt until another application was left; "" when it had no identifier.
    const std::optional<QString>& previousAppIdentifier() const { return previousAppIdentifier_; }

private:
    KELApplication* app_; // non-owning: the application owns this controller
    KELICurseur* tlCurseur_ = nullptr; // links live for the whole run
    std::unique_ptr<ZEVSpaceControllerBase> spaceController_;
    std::unique_ptr<FirstWindow> plainWindow_;
    std::optional<QString> previousAppIdentifier_;
    ScheduledTarget guard_{this};
};

} // namespace tallomer
