#include "app/space/KELSpaceImport.h"

#include "app/widgets/ZEVFilePanel.h"
#include "app/widgets/ZEVProgressPanel.h"
#include "desk/viewer/ZEVDeskImport.h"
#include "desk/viewer/ZEVDeskViewer.h"
#include "engine/KELICurseur.h"
#include "space/ZEVSpaceController.h"
#include "widgets/ZEVAlert.h"

#include <QDir>
#include <QRandomGenerator>
#include <QWidget>

namespace tallomer {

void menuActionImport(ZEVSpaceController& space)
{
    ZEVFilePanelRequest request;
    request.kind = ZEVFilePanelRequest::Kind::FilesAndFolders;
    request.title = QStringLiteral("Import");
    request.directory = QDir::homePath();
    const QStringList chosen = ZEVFilePanel::runMany(request);
    if (chosen.isEmpty())
        return;
    ZEVDeskViewer* desk = space.deskViewerForCurseur(space.actifCurseur());
    if (!desk)
        return;
    ZEVProgressPanel panel(false);
    panel.setMessage(QStringLiteral("Loading files\u2026"));
    panel.showWindow();
    QStringList refused;
    deskimport::importChoice(*desk, chosen, [] { return QRandomGenerator::global()->generate(); }, &refused);
    panel.close();
    if (refused.isEmpty())
        return;
    // Named all in one alert, and not too many to fit on the screen.
    constexpr qsizetype kLines = 12;
    QStringList lines;
    for (qsizetype i = 0; i < refused.size() && i < kLines; ++i)
        lines << QStringLiteral("\u201c%1\u201d").arg(refused[i]);
    if (refused.size() > kLines)
        lines << QStringLiteral("And %1 more.").arg(refused.size() - kLines);
    ZEVAlert::ShowSimpleAlertWithMessage(
        refused.size() == 1 ? QStringLiteral("One of the things chosen was not imported.")
                            : QStringLiteral("%1 of the things chosen were not imported.").arg(refused.size()),
        QStringLiteral("Pipes, sockets and devices are neither files nor folders: they stay where they are.\n")
            + lines.join(u'\n'));
}

} // namespace tallomer
