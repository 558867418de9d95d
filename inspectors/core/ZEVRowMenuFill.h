#pragma once
// What every kind's row menu fills in for the row's Object beside the state its titles come from:
// the Link and Unlink items as the active cursor's item viewer words them.

#include "engine/KELTypes.h"
#include "inspectors/core/ZEVInspectMenus.h"

class KELI;
class QMenu;

namespace tallomer {

class ZEVSpaceController;
class ZEVTableView;

// The Link and Unlink items of the menu, titled, shown and enabled as the item viewer says.
void ZEVFillLinkItems(ZEVSpaceController& space, QMenu* menu, KELI* item);
} // namespace tallomer
