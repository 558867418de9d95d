#pragma once
// What a row menu of an inspector's list shows of one Object, read once for every kind that lists
// Objects by a viewer relation: its title and presence at the cursors, the front mode and the
// Object's selections, what the file operations allow, and its presence in the timeline's window.

#include "inspectors/core/ZEVInspectMenus.h"

class KELI;

namespace tallomer {

class ZEVPresenceCommands;
class ZEVRowsClass;
class ZEVSpaceController;

ZEVRowMenuState ZEVRowMenuStateForItem(ZEVSpaceController& space, ZEVRowsClass& rows, const ZEVPresenceCommands& presence,
                                       KELI* item, const std::string& durationOfLegos);

} // namespace tallomer
