#include "inspectors/base/ZEVInspectClass.h"

#include "runtime/Log.h"
#include "space/ZEVSpaceController.h"

namespace tallomer {

ZEVInspectClass::ZEVInspectClass(ZEVSpaceController& space)
    : space_(space), actifCurseur_(space.actifCurseur()), currentChannelInt_(space.currentChannelInt())
{
}

void ZEVInspectClass::channelDidChangeWithIdentityInt(KELId identityInt)
{
    if (identityInt)
        currentChannelInt_ = identityInt;
}

namespace {
std::optional<std::vector<KELI*>> refus(const char* code)
{
    logFormat("ZEVInspectClass ERROR %s", code);
    return std::nullopt;
}
} // namespace

std::optional<std::vector<KELI*>> ZEVInspectClass::itemsForIconMode() { return refus("01"); }
std::optional<std::vector<KELI*>> ZEVInspectClass::itemsForFrontMode() { return refus("02"); }
std::optional<std::vector<KELI*>> ZEVInspectClass::moveToItemsForFrontMode() { return refus("03"); }
std::optional<std::vector<KELI*>> ZEVInspectClass::moveToSpaceItemsForFrontMode() { return refus("04"); }
std::optional<std::vector<KELI*>> ZEVInspectClass::copyToItemsForFrontMode() { return refus("05"); }
std::optional<std::vector<KELI*>> ZEVInspectClass::copyToSpaceItemsForFrontMode() { return refus("06"); }

} // namespace tallomer
