#pragma once
// The interval a new presence of an Object gets when an inspector makes it at a date: the
// interval being dragged in the front's selection list when there is one; else, in the go-to
// steps of the record's own dates (tag 3 and above), from the Object's go-to date, with the Search
// cursor taken there when it lies ahead; else from the date to the go-to end or the open end.
// The Files and Contacts inspectors share it.

#include "desk/model/ZEVNewInterval.h"
#include "engine/KELTypes.h"

class KELI;
class KELICurseur;

namespace tallomer {

class ZEVSpaceController;

// `curseur` is the cursor the presence is made at; `searchCurseur` the one moved to a go-to date
// (may be null).
ZEVInterval ZEVPresenceIntervalForItem(ZEVSpaceController& space, KELICurseur* curseur, KELICurseur* searchCurseur,
                                       KELI* item, KELDate date);

} // namespace tallomer
