#pragma once
// What every presence kind's row menu fills in for the row's Object beside the state its titles
// come from: the Link and Unlink items as the active cursor's item viewer words them. Also the
// one lego deletion of the kinds' lego menus.

#include "engine/KELTypes.h"
#include "inspectors/core/ZEVInspectMenus.h"

#include <functional>

class KELI;
class QMenu;

namespace tallomer {

class ZEVSpaceController;
class ZEVTableView;

// The Link and Unlink items of the menu, titled, shown and enabled as the item viewer says.
void ZEVFillLinkItems(ZEVSpaceController& space, QMenu* menu, KELI* item);
// The lego goes; an Object's last live lego of the relation takes the Object with it, through
// `deleteItem`. A lego whose Object cannot be loaded logs `errorLine` and changes nothing.
void ZEVDeleteLego(ZEVSpaceController& space, KELId relation, KELI* lego, ZEVTableView& table,
                   const char* errorLine, const std::function<void(KELI*)>& deleteItem);

} // namespace tallomer
