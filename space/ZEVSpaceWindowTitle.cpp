// The window title: the Channel and its Space, the active cursor and where the Search cursor lies,
// the front mode's tool, and the pointer in the top right zone.

#include "engine/KELICurseur.h"
#include "services/ZEVInspectorServices.h"
#include "space/ZEVSpaceController.h"
#include "space/ZEVSpaceWindow.h"

namespace tallomer {

void ZEVSpaceController::majWindowTitle()
{
    if (!spaceWindow_)
        return;
    ZEVChannelClassServices* channels = channelClass();
    const std::optional<std::string> nom = channels ? channels->nameOfCurrentChannel() : std::nullopt;
    QString n = nom ? QString::fromStdString(*nom) : QStringLiteral("Tallomer");
    std::optional<std::string> fond;
    KELI* canal = channels ? channels->currentChannel() : nullptr;
    if (canal && actifCurseur_ && channels->siChannelActif(canal, actifCurseur_)) {
        if (ZEVCursorDesk* d = deskForCurseur(actifCurseur_))
            fond = d->currentBackImageItemName();
    } else {
        fond = "\u2013";
    }
    if (fond)
        n = QStringLiteral("%1 | %2").arg(n, QString::fromStdString(*fond));
    siTallomer_ = false;
    ZEVWindowTitleState etat;
    etat.n = n;
    etat.mode = frontMode();
    etat.pointerInZone = !siMouseLimitOUT_;
    etat.nowActive = actifCurseur_ != searchCurseur_ || !searchCurseur_;
    etat.headerViewsClosed = frontViewer_ ? frontViewer_->siHeaderViewsClosed() : true;
    etat.atHome = frontViewer_ && frontViewer_->siCurseurAtHome();
    etat.cursorHidden = siNSCursorHidden_;
    etat.d = nowCurseur_ && searchCurseur_ ? nowCurseur_->now() - searchCurseur_->now() : 0.0;
    const std::optional<ZEVWindowTitle> titre = ZEVWindowTitleFor(etat);
    if (!titre)
        return;
    siTallomer_ = titre->siTallomer;
    // While "Stay in front…" shows, the title waits for its own turn.
    if (!Scheduler::shared().isPending(this, kMajWindowTitle))
        spaceWindow_->setWindowTitle(titre->title);
}

} // namespace tallomer
