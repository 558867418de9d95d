#include "inspectors/core/ZEVFrontModeLists.h"

#include "inspectors/ZEVFrontClass.h"
#include "services/ZEVFrontMode.h"
#include "space/ZEVSelections.h"
#include "space/ZEVSpaceController.h"

namespace tallomer {

namespace {
std::vector<KELI*> gardes(const std::vector<KELI*>& s, const std::function<bool(KELI*)>& listed)
{
    std::vector<KELI*> out;
    for (KELI* o : s)
        if (o && listed(o))
            out.push_back(o);
    return out;
}
} // namespace

std::optional<std::vector<KELI*>> ZEVItemsForFrontMode(ZEVSpaceController& space, int frontMode,
                                                       const std::function<bool(KELI*)>& listed)
{
    ZEVSelections& s = space.selections();
    switch (frontMode) {
    case ZEVFrontModeIcons:
        return gardes(s.selectedIconItems(), listed);
    case ZEVFrontModeTitles:
        return gardes(s.selectedTitleItems(), listed);
    case ZEVFrontModeFilters:
        return gardes(s.selectedFilterItems(), listed);
    case ZEVFrontModeLinks:
        return gardes(s.selectedNodeItemSet(), listed);
    default:
        return std::nullopt;
    }
}

bool ZEVSiSelectedInFrontMode(ZEVSpaceController& space, KELI* item, int frontMode)
{
    ZEVSelections& s = space.selections();
    switch (frontMode) {
    case ZEVFrontModeIcons:
        return s.isIconSelectedForItem(item);
    case ZEVFrontModeTitles:
        return s.isTitleSelectedForItem(item);
    case ZEVFrontModeFilters:
        return s.isFilterSelectedForItem(item);
    case ZEVFrontModeLinks:
        return s.isNodeSelectedForItem(item);
    default:
        return false;
    }
}

std::vector<KELI*> ZEVItemsForIconMode(ZEVSpaceController& space, const std::function<bool(KELI*)>& listed)
{
    return gardes(space.selections().selectedIconItems(), listed);
}

std::optional<std::vector<KELI*>> ZEVItemsForOperation(const std::optional<std::vector<KELI*>>& items,
                                                       ZEVFileOperation operation)
{
    if (!items)
        return std::nullopt;
    bool (*accepte)(KELI*) = nullptr;
    switch (operation) {
    case ZEVFileOperation::MoveTo:
        accepte = &ZEVFrontClass::siMoveToForItem;
        break;
    case ZEVFileOperation::MoveToSpace:
        accepte = &ZEVFrontClass::siMoveToSpaceForItem;
        break;
    case ZEVFileOperation::CopyTo:
        accepte = &ZEVFrontClass::siCopyToForItem;
        break;
    case ZEVFileOperation::CopyToSpace:
        accepte = &ZEVFrontClass::siCopyToSpaceForItem;
        break;
    case ZEVFileOperation::DuplicateTo:
        accepte = &ZEVFrontClass::siDuplicateToForItem;
        break;
    }
    std::vector<KELI*> out;
    for (KELI* o : *items)
        if (accepte(o))
            out.push_back(o);
    return out;
}

} // namespace tallomer
