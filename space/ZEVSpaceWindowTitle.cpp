#include "engine/KELICurseur.h"
#include "space/ZEVSpaceController.h"
#include "space/ZEVSpaceWindow.h"

namespace tallomer {

void ZEVSpaceController::majWindowTitle()
{
    if (!spaceWindow_)
        return;
    const QString nom = QStringLiteral("Tallomer");
    const int mode = frontMode();
    if (mode < 0 || mode > 3)
        return;
    static const char* const kOutils[4] = {"", "Title Tool", "Filter Tool", "Link Tool"};
    const QString outil = QString::fromLatin1(kOutils[mode]);
    QString titre = nom;
    if (!siSearchActif()) {
        if (mode != 0)
            titre = QStringLiteral("%1  (%2)").arg(nom, outil);
    } else if (nowCurseur_ && searchCurseur_) {
        const double d = nowCurseur_->now() - searchCurseur_->now();
        const QString quand = d < -0.00001  ? QStringLiteral("Futur")
                              : d > 0.00001 ? QStringLiteral("Past")
                                            : QStringLiteral("Now");
        titre = mode == 0 ? QStringLiteral("%1  (%2)").arg(nom, quand)
                          : QStringLiteral("%1  (%2 - %3)").arg(nom, quand, outil);
    }
    if (spaceWindow_->windowTitle() != titre)
        spaceWindow_->setWindowTitle(titre);
}

} // namespace tallomer
