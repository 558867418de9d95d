#pragma once
// What an inspector's commands act on: the Objects selected in the front mode that its panel
// lists, and of those the ones each file operation of the front class may take. Written once for
// every inspector kind.

#include <functional>
#include <optional>
#include <vector>

class KELI;

namespace tallomer {

class ZEVSpaceController;

enum class ZEVFileOperation { MoveTo, MoveToSpace, CopyTo, CopyToSpace, DuplicateTo };

// The mode's selection (icons, titles, filters or link ends) kept to what `listed` holds, in the
// selection's order; nullopt outside the four modes.
std::optional<std::vector<KELI*>> ZEVItemsForFrontMode(ZEVSpaceController& space, int frontMode,
                                                       const std::function<bool(KELI*)>& listed);
// Whether the Object is selected on the desk in that front mode (as a link end in Link mode);
// false outside the four modes.
bool ZEVSiSelectedInFrontMode(ZEVSpaceController& space, KELI* item, int frontMode);
// The selected icons that `listed` holds, whatever the mode.
std::vector<KELI*> ZEVItemsForIconMode(ZEVSpaceController& space, const std::function<bool(KELI*)>& listed);
// The Objects the front class's predicate for the operation accepts; nullopt stays nullopt.
std::optional<std::vector<KELI*>> ZEVItemsForOperation(const std::optional<std::vector<KELI*>>& items,
                                                       ZEVFileOperation operation);

} // namespace tallomer
