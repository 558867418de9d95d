// The transfer queue's entry points on the front's list class.

#include "inspectors/ZEVFrontClass.h"
#include "inspectors/services/ZEVInspectorServices.h"

namespace tallomer {

std::vector<KELI*> ZEVFrontClass::rightMenuItems()
{
    dropStaleMenuLink();
    std::vector<KELI*> items;
    if (rightMenuLink_) {
        for (KELI* o : {rightMenuLink_->parentItem(), rightMenuLink_->enfantItem()})
            if (o)
                items.push_back(o);
    } else if (rightMenuItem_) {
        items.push_back(rightMenuItem_);
    }
    return items;
}

// The row menu's Handle items act on the row it was opened on, whatever else is selected.
void ZEVFrontClass::moveToInTableView(ZEVTableView&) { moveToForItems(rightMenuItems()); }
void ZEVFrontClass::moveToSpaceInTableView(ZEVTableView&) { moveToSpaceForItems(rightMenuItems()); }
void ZEVFrontClass::copyToInTableView(ZEVTableView&) { copyToForItems(rightMenuItems()); }
void ZEVFrontClass::copyToSpaceInTableView(ZEVTableView&) { copyToSpaceForItems(rightMenuItems()); }

// Until the shared transfer queue lands, a request it cannot take yet is refused audibly.
void ZEVFrontClass::moveToForItems(const std::vector<KELI*>&) { beep(); }
void ZEVFrontClass::copyToForItems(const std::vector<KELI*>&) { beep(); }
void ZEVFrontClass::moveToSpaceForItems(const std::vector<KELI*>&) { beep(); }
void ZEVFrontClass::copyToSpaceForItems(const std::vector<KELI*>&) { beep(); }

} // namespace tallomer
