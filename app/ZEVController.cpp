#include "app/ZEVController.h"

#include "app/FirstWindow.h"
#include "app/KELApplication.h"
#include "app/KELApplicationDelegate.h"
#include "engine/KELICurseur.h"
#include "engine/KELServeurDeLiens.h"
#include "runtime/Log.h"
#include "services/ZEVFrontViewerServices.h"

namespace tallomer {

namespace {
ZEVController::SpaceControllerFactory& factory()
{
    static ZEVController::SpaceControllerFactory f;
    return f;
}
} // namespace

void ZEVController::setSpaceControllerFactory(SpaceControllerFactory f) { factory() = std::move(f); }

ZEVController::ZEVController(KELId curseurTLInt, KELApplication* app) : app_(app)
{
    previousAppIdentifier_.reset();
    tlCurseur_ = dynamic_cast<KELICurseur*>(
        KELServeurDeLiens::LienForInt(curseurTLInt, KELServeurDeLiens::CurseurGlobal()));
    if (tlCurseur_)
        tlCurseur_->placeToi();
    else
        logFormat("ZEVController initControllerWithCurseurTLInt: no cursor %llu",
                  static_cast<unsigned long long>(curseurTLInt));
    Scheduler::shared().perform(this, "_initAsynchrone", 0, [this] { _initAsynchrone(); });
}

ZEVController::~ZEVController()
{
    // The space controller's windows and models go before the plain window and the cursor.
    spaceController_.reset();
    plainWindow_.reset();
}

void ZEVController::_initAsynchrone()
{
    if (factory())
        spaceController_ = factory()(kRootSpaceInt, this, tlCurseur_);
    if (!spaceController_) {
        // No Space yet in this program: a plain main window, so it can be used and quit. The
        // space controller closes the progress panel once its window shows; so does this.
        plainWindow_ = std::make_unique<FirstWindow>();
        plainWindow_->show();
        if (app_ && app_->progressPanel())
            app_->progressPanel()->close();
    }
    if (app_ && app_->delegate())
        app_->delegate()->referencerZEVController(this);
}

QWidget* ZEVController::spaceWindow() const
{
    if (spaceController_)
        return spaceController_->spaceWindow();
    return plainWindow_.get();
}

void ZEVController::activatePreviousApp()
{
    if (!previousAppIdentifier_ || previousAppIdentifier_->isEmpty())
        return;
    ZEVFrontViewerServices* front = spaceController_ ? spaceController_->frontViewer() : nullptr;
    if (!front || !front->siFullScreen())
        return;
    if (KELApplication::siShowDesktop())
        return;
    // Bringing another program forward is the window manager's business on this desktop.
    logFormat("ZEVController activatePreviousApp: cannot activate %s", qUtf8Printable(*previousAppIdentifier_));
}

void ZEVController::cocoaSystemNotification(const ZEVWorkspaceNotification& n)
{
    switch (n.name) {
    case ZEVWorkspaceNotification::DidMount:
    case ZEVWorkspaceNotification::DidUnmount:
        if (spaceController_)
            spaceController_->volumeMountDidChange();
        break;
    case ZEVWorkspaceNotification::DidDeactivateApplication:
        if (n.hasApplication && !n.isThisApplication)
            previousAppIdentifier_ = n.applicationIdentifier; // "" when it has none
        break;
    default:
        break;
    }
}

} // namespace tallomer
