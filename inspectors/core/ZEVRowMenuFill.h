#pragma once
// What every presence kind's row menu reads of the row's Object before its own items: the state
// its titles come from, and the Link and Unlink items as the active cursor's item viewer words
// them. Also the one lego deletion of the kinds' lego menus.

#include "engine/KELTypes.h"
#include "inspectors/core/ZEVInspectMenus.h"

#include <functional>

class KELI;
class QMenu;

namespace tallomer {

class ZEVPresenceCommands;
class ZEVRowsClass;
class ZEVSpaceController;
class ZEVTableView;

// The Object's presence at the active and the Now cursor, the go-to suffix, the front mode, its
// four selections, what the front class may move or copy, and its presence in the timeline.
ZEVRowMenuState ZEVRowMenuStateFor(ZEVSpaceController& space, ZEVRowsClass& rows,
                                   const ZEVPresenceCommands& presence, KELI* item);
// The Link and Unlink items of the menu, titled, shown and enabled as the item viewer says.
void ZEVFillLinkItems(ZEVSpaceController& space, QMenu* menu, KELI* item);
// The lego goes; an Object's last live lego of the relation takes the Object with it, through
// `deleteItem`. A lego whose Object cannot be loaded logs `errorLine` and changes nothing.
void ZEVDeleteLego(ZEVSpaceController& space, KELId relation, KELI* lego, ZEVTableView& table,
                   const char* errorLine, const std::function<void(KELI*)>& deleteItem);

} // namespace tallomer
