// The transfer queue's entry points on the front's list class.

#include "inspectors/ZEVFrontClass.h"

namespace tallomer {

void ZEVFrontClass::moveToInTableView(ZEVTableView& table) { moveToForItems(selectedItemsInTableView(table)); }
void ZEVFrontClass::moveToSpaceInTableView(ZEVTableView& table) { moveToSpaceForItems(selectedItemsInTableView(table)); }
void ZEVFrontClass::copyToInTableView(ZEVTableView& table) { copyToForItems(selectedItemsInTableView(table)); }
void ZEVFrontClass::copyToSpaceInTableView(ZEVTableView& table) { copyToSpaceForItems(selectedItemsInTableView(table)); }

// Until the shared transfer queue lands, a request it cannot take yet is refused audibly.
void ZEVFrontClass::moveToForItems(const std::vector<KELI*>&) { beep(); }
void ZEVFrontClass::copyToForItems(const std::vector<KELI*>&) { beep(); }
void ZEVFrontClass::moveToSpaceForItems(const std::vector<KELI*>&) { beep(); }
void ZEVFrontClass::copyToSpaceForItems(const std::vector<KELI*>&) { beep(); }

} // namespace tallomer
