#include "inspectors/core/ZEVRowMenuFill.h"

#include "desk/model/ZEVModelSupport.h"
#include "engine/KELICurseur.h"
#include "engine/KELLien.h"
#include "engine/KELServeurDeLiens.h"
#include "inspectors/ZEVFrontClass.h"
#include "inspectors/core/ZEVHolderTest.h"
#include "inspectors/core/ZEVPresenceCommands.h"
#include "inspectors/core/ZEVRowMenuParts.h"
#include "inspectors/core/ZEVRowsClass.h"
#include "inspectors/table/ZEVTableView.h"
#include "objects/viewer/ZEVItemMenu.h"
#include "objects/viewer/ZEVItemViewer.h"
#include "platform/MenuText.h"
#include "runtime/Log.h"
#include "services/ZEVFrontMode.h"
#include "services/ZEVFrontViewerServices.h"
#include "space/ZEVSelections.h"
#include "space/ZEVSpaceController.h"

#include <QAction>
#include <QMenu>

namespace tallomer {

void ZEVFillLinkItems(ZEVSpaceController& space, QMenu* m, KELI* x)
{
    ZEVItemViewer* iv = space.itemViewerForCurseur(space.actifCurseur());
    if (!iv || !m || !x)
        return;
    ZEVItemMenuEntry link, unlink;
    iv->menuInfoForItem(x, link, unlink);
    const std::pair<long, const ZEVItemMenuEntry*> entries[] = {{ZEVRowTagLinkWith, &link},
                                                                {ZEVRowTagUnlinkWith, &unlink}};
    for (const auto& [tag, entry] : entries)
        if (QAction* a = ZEVMenuItemWithTag(m, tag)) {
            a->setText(entry->title.isEmpty()
                           ? (tag == ZEVRowTagLinkWith ? QStringLiteral("Link") : QStringLiteral("Unlink"))
                           : menuText(entry->title));
            a->setVisible(entry->visible);
            a->setEnabled(entry->enabled);
        }
}

} // namespace tallomer
