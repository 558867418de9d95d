#pragma once
// The walk of a time action (Recall, Retain, Release or Forget) over a set of Objects or links:
// the one place that says which model call each action is, so that the icons of a desk, the links
// of its drawn lines and the front mode's subset of the selections are walked alike.

#include <vector>

class KELI;

namespace tallomer {

class ZEVDeskClass;
class ZEVItemClass;
class ZEVItemConnexion;
class ZEVItemViewer;
class ZEVSelections;

enum class ZEVTimeAction { Recall, Retain, Release, Forget };

// The icons of `items` on the desk of `desk`. Recall is not a walk of its own (each Object wants
// its date and place) and does nothing here.
void walkIcons(ZEVDeskClass& desk, const std::vector<KELI*>& items, ZEVTimeAction action);

// The links of the drawn `lines` (none without `items`), their pairs read before the first action: an action's notices
// forget and remake drawn lines.
void walkLinks(ZEVItemClass* items, const std::vector<ZEVItemConnexion*>& lines, ZEVTimeAction action);

// The front mode's subset of the selections on the desk of `viewer`, in one commit: the Objects the
// action takes in the Icon, Title and Filter modes (Forget takes what Release would: those on the
// desk at the cursor's moment), the selected links in Link mode. Recall is left to the front,
// which places each Object it recalls.
void walkModeSubset(ZEVItemViewer& viewer, ZEVSelections& selections, int mode, ZEVTimeAction action);

} // namespace tallomer
