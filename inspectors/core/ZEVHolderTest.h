#pragma once
// Whether something other than the inspector removing an Object still holds it: a desk icon, a
// panel's presence, an image or colour panel, an application panel, or a Channel's background. An
// Object still held keeps its record, words, links and files; only one that nothing holds is erased.

#include "engine/KELTypes.h"

#include <array>

namespace tallomer {

// The relations whose live link (the Object as child) keeps the Object.
const std::array<KELId, 7>& ZEVHoldingRelations();

// True when the Object is the child of a live (not forgotten) link of a holding relation other
// than `exceptRelation` (the relation being removed; 0 for none).
bool ZEVSiItemHeld(KELId itemInt, KELId exceptRelation);
// The Object's live links of the relation with it as child, at every date and in every Channel.
int ZEVLiveLinkCount(KELId itemInt, KELId relation);

} // namespace tallomer
