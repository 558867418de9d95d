#include "inspectors/core/ZEVRowMenuState.h"

#include "desk/model/ZEVItemOptions.h"
#include "inspectors/ZEVFrontClass.h"
#include "inspectors/core/ZEVPresenceCommands.h"
#include "inspectors/core/ZEVRowsClass.h"
#include "services/ZEVFrontMode.h"
#include "services/ZEVFrontViewerServices.h"
#include "space/ZEVSelections.h"
#include "space/ZEVSpaceController.h"

namespace tallomer {

ZEVRowMenuState ZEVRowMenuStateForItem(ZEVSpaceController& space, ZEVRowsClass& rows, const ZEVPresenceCommands& presence,
                                       KELI* x, const std::string& durationOfLegos)
{
    KELICurseur* actif = space.actifCurseur();
    ZEVSelections& sel = space.selections();
    ZEVRowMenuState s;
    s.title = QString::fromStdString(rows.itemTitleForItem(x).value_or(std::string()));
    s.present = presence.legoAt(x, actif) != nullptr;
    s.presentNow = presence.legoAt(x, space.nowCurseur()) != nullptr;
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
    s.showOriginal = ZEVFrontClass::enableShowOriginal(std::uint64_t(itemOptions(x)),
                                                       QString::fromStdString(rows.itemTypeForItem(x).value_or(std::string())));
    s.duration = QString::fromStdString(durationOfLegos);
    return s;
}

} // namespace tallomer
