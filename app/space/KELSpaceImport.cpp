#include "app/space/KELSpaceImport.h"

#include "app/widgets/ZEVFilePanel.h"
#include "app/widgets/ZEVProgressPanel.h"
#include "desk/viewer/ZEVDeskImport.h"
#include "desk/viewer/ZEVDeskViewer.h"
#include "engine/KELICurseur.h"
#include "space/ZEVSpaceController.h"

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
    deskimport::importChoice(*desk, chosen, [] { return QRandomGenerator::global()->generate(); });
    panel.close();
}

} // namespace tallomer
