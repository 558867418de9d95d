#include "space/ZEVSpaceTitle.h"

#include "engine/KELICurseur.h"
#include "services/ZEVInspectorServices.h"
#include "space/ZEVSpaceController.h"
#include "space/ZEVSpaceGoto.h"
#include "space/ZEVSpaceWindow.h"

namespace tallomer {

void ZEVSpaceTitle::majWindowTitle()
{
    if (!space_.spaceWindow())
        return;
    ZEVChannelClassServices* channels = space_.channelClass();
    const std::optional<std::string> nom = channels ? channels->nameOfCurrentChannel() : std::nullopt;
    QString n = nom ? QString::fromStdString(*nom) : QStringLiteral("Tallomer");
    std::optional<std::string> fond;
    KELI* canal = channels ? channels->currentChannel() : nullptr;
    if (canal && space_.actifCurseur() && channels->siChannelActif(canal, space_.actifCurseur())) {
        if (ZEVCursorDesk* d = space_.deskForCurseur(space_.actifCurseur()))
            fond = d->currentBackImageItemName();
    } else {
        fond = "\u2013";
    }
    if (fond)
        n = QStringLiteral("%1 | %2").arg(n, QString::fromStdString(*fond));
    siTallomer_ = false;
    ZEVWindowTitleState etat;
    etat.n = n;
    etat.mode = space_.frontMode();
    etat.pointerInZone = !space_.siMouseLimitOUT();
    etat.nowActive = space_.actifCurseur() != space_.searchCurseur() || !space_.searchCurseur();
    etat.headerViewsClosed = space_.frontViewer() ? space_.frontViewer()->siHeaderViewsClosed() : true;
    etat.atHome = space_.frontViewer() && space_.frontViewer()->siCurseurAtHome();
    etat.cursorHidden = space_.siNSCursorHidden();
    etat.d = space_.nowCurseur() && space_.searchCurseur() ? space_.nowCurseur()->now() - space_.searchCurseur()->now()
                                                           : 0.0;
    const std::optional<ZEVWindowTitle> titre = ZEVWindowTitleFor(etat);
    if (!titre)
        return;
    siTallomer_ = titre->siTallomer;
    // While "Stay in front…" shows, the title waits for its own turn.
    if (!Scheduler::shared().isPending(&space_, kMajWindowTitle))
        space_.spaceWindow()->setWindowTitle(titre->title);
}

} // namespace tallomer
