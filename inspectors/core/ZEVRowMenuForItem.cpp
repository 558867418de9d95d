#include "inspectors/core/ZEVRowMenuForItem.h"

#include "look/KELSharedResources.h"
#include "desk/model/ZEVItemOptions.h"
#include "inspectors/ZEVFrontClass.h"
#include "inspectors/core/ZEVInspectMenus.h"
#include "inspectors/core/ZEVRowMenuFill.h"
#include "inspectors/core/ZEVRowMenuParts.h"
#include "inspectors/core/ZEVRowsClass.h"
#include "objects/viewer/ZEVItemMenu.h"
#include "objects/viewer/ZEVItemViewer.h"
#include "objects/viewer/ZEVItemViewerHost.h"
#include "services/ZEVFrontMode.h"
#include "services/ZEVFrontViewerServices.h"
#include "space/ZEVSelections.h"
#include "space/ZEVSpaceController.h"

#include <QAction>
#include <QIcon>
#include <QMenu>

#include <utility>

namespace tallomer {

ZEVRowMenuState ZEVRowMenuStateForItem(ZEVSpaceController& space, ZEVRowsClass& rows, KELI* x, bool present,
                                       bool presentNow, const std::vector<KELI*>& legosInWindow)
{
    KELICurseur* actif = space.actifCurseur();
    ZEVSelections& sel = space.selections();
    const std::uint64_t options = std::uint64_t(itemOptions(x));
    const QString type = QString::fromStdString(rows.itemTypeForItem(x).value_or(std::string()));
    ZEVRowMenuState s;
    s.title = QString::fromStdString(rows.itemTitleForItem(x).value_or(std::string()));
    s.present = present;
    s.presentNow = presentNow;
    s.nowActif = actif && actif == space.nowCurseur();
    s.gotoSuffix = space.durationString();
    s.frontMode = space.frontViewer() ? space.frontViewer()->frontMode() : ZEVFrontModeIcons;
    s.iconSelected = sel.isIconSelectedForItem(x);
    s.titleSelected = sel.isTitleSelectedForItem(x);
    s.linkSelected = sel.isNodeSelectedForItem(x);
    s.filterSelected = sel.isFilterSelectedForItem(x);
    s.moveTo = ZEVFrontClass::siMoveToForItem(x);
    s.moveToSpace = ZEVFrontClass::siMoveToSpaceForItem(x);
    s.copyTo = ZEVFrontClass::siCopyToForItem(x);
    s.copyToSpace = ZEVFrontClass::siCopyToSpaceForItem(x);
    s.showOriginal = ZEVFrontClass::enableShowOriginal(options, type);
    s.duration = QString::fromStdString(rows.durationStringForLegos(legosInWindow));
    return s;
}

QMenu* ZEVRowMenuForItem(ZEVSpaceController& space, ZEVInspectMenus& menus, ZEVTableView& table, KELI* x,
                         const ZEVRowMenuState& s)
{
    const KELSharedResources& resources = space.host().sharedResources();
    QMenu* m = menus.rowMenu(table, s, &resources);
    ZEVFillLinkItems(space, m, x);
    if (QAction* h = ZEVMenuItemWithTag(m, ZEVRowTagHandle))
        h->setIcon(QIcon(ZEVHolderImage(std::uint64_t(itemOptions(x)), resources)));
    ZEVFillRowOpenWith(m, x);
    return m;
}

} // namespace tallomer
