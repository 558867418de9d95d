#pragma once
// The row menu of an inspector's list for one Object, the same for every kind: its state (the
// desk's selections, the file operations it may take, its presence in the timeline's window), the
// Link and Unlink items as the item viewer words them, who holds its file and Open With. The kind
// says whether the Object is present at the active and at the Now cursor, may narrow the state
// (a contact has no file to move), and sets the header's picture afterwards.

#include "inspectors/core/ZEVInspectMenus.h"

#include <vector>

class KELI;
class QMenu;

namespace tallomer {

class ZEVRowsClass;
class ZEVSpaceController;
class ZEVTableView;

ZEVRowMenuState ZEVRowMenuStateForItem(ZEVSpaceController& space, ZEVRowsClass& rows, KELI* item, bool present,
                                       bool presentNow, const std::vector<KELI*>& legosInWindow);
QMenu* ZEVRowMenuForItem(ZEVSpaceController& space, ZEVInspectMenus& menus, ZEVTableView& table, KELI* item,
                         const ZEVRowMenuState& state);
inline QMenu* ZEVRowMenuForItem(ZEVSpaceController& space, ZEVRowsClass& rows, ZEVInspectMenus& menus,
                                ZEVTableView& table, KELI* item, bool present, bool presentNow,
                                const std::vector<KELI*>& legosInWindow)
{
    return ZEVRowMenuForItem(space, menus, table, item,
                             ZEVRowMenuStateForItem(space, rows, item, present, presentNow, legosInWindow));
}

} // namespace tallomer
