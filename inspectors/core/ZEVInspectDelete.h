#pragma once
// An inspector's delete of an Object, the same for every kind: its presence step (every live link
// of the kind's relation to it, in every Channel, forgotten), the holder test, then the Space's
// one erase of an Object nothing else holds, its warnings logged under the inspector's name.

#include "engine/KELTypes.h"

#include <functional>
#include <vector>

class KELI;

namespace tallomer {

class ZEVSpaceController;

// `owner` names the inspector in the log ("ZEVFileViewer"), `relationName` its relation
// ("KELRELATION_FILE_VIEWER"). Answers true when the Object itself was erased, false when it
// is kept (held elsewhere, or already gone).
bool ZEVInspectDeleteItem(ZEVSpaceController& space, KELId relation, KELI* item, const char* owner,
                          const char* relationName);
// Several Objects removed together, each as above, in one act: when the store keeps none of it (a
// full disk) none is erased and none loses its presences. Answers the Objects erased.
std::vector<KELI*> ZEVInspectDeleteItems(ZEVSpaceController& space, KELId relation, const std::vector<KELI*>& items,
                                         const char* owner, const char* relationName);

// The two halves of that removal, for a panel whose act writes more: the presences of the Objects
// held elsewhere and the links of the others forgotten in the act under way; then, once that act
// has ended, the others erased for good when the store kept it. The second answers them.
struct ZEVInspectDeletion {
    std::vector<KELI*> tenus;  // held elsewhere: only their presences go
    std::vector<KELI*> libres; // erased
};
ZEVInspectDeletion ZEVInspectDeleteForget(ZEVSpaceController& space, KELId relation, const std::vector<KELI*>& items,
                                          const char* owner, const char* relationName);
std::vector<KELI*> ZEVInspectDeleteFinish(ZEVSpaceController& space, const ZEVInspectDeletion& deletion);

// A lego's deletion from a panel's table: one of several of its Object's live legos is forgotten
// alone; the last one takes the Object, loaded at the active cursor, through `deleteItem`. An Object
// that does not load is logged under `owner` and nothing changes. True when anything went.
bool ZEVInspectDeleteLego(ZEVSpaceController& space, KELId relation, KELI* lego, const char* owner,
                          const std::function<void(KELI* item)>& deleteItem);

} // namespace tallomer
