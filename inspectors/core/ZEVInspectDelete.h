#pragma once
// An inspector's delete of an Object, the same for every kind: its presence step (every live link
// of the kind's relation to it, in every Channel, forgotten), the holder test, then the Space's
// one erase of an Object nothing else holds, its warnings logged under the inspector's name.

#include "engine/KELTypes.h"

class KELI;

namespace tallomer {

class ZEVSpaceController;

// `owner` names the inspector in the log ("ZEVFileViewer"), `relationName` its relation
// ("KELRELATION_FILE_VIEWER"). Answers true when the Object itself was erased, false when it
// is kept (held elsewhere, or already gone).
bool ZEVInspectDeleteItem(ZEVSpaceController& space, KELId relation, KELI* item, const char* owner,
                          const char* relationName);

} // namespace tallomer
