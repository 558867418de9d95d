#pragma once
// Small helpers shared by the Object factory and the desk model.

#include "engine/KELICurseur.h"
#include "engine/KELModels.h"
#include "engine/KELServeurDeLiens.h"
#include "engine/KELTypes.h"

#include <optional>
#include <string>

namespace tallomer {

class ZEVSpaceForDeskModels;

namespace deskmodel {

// The space controller's timeline cursor, or the link base's own when there is no controller.
KELICurseur* timelineCurseur(ZEVSpaceForDeskModels* space);

// A model or relation of the template, loaded at the timeline cursor; nullptr when missing or of
// another class.
template <class T>
T* fetch(KELId id, KELICurseur* timeline)
{
    return timeline ? dynamic_cast<T*>(KELServeurDeLiens::LienForInt(id, timeline)) : nullptr;
}

// The parent's first link of the relation active at the cursor or window; nullptr when none.
KELI* premierLienDuParent(KELIElemRelation* relation, KELI* parent, KELICc* fenetre);

// The word a parent's first link of the relation points to at the cursor.
std::optional<std::string> motDuParent(KELIElemRelation* relation, KELI* parent, KELICc* fenetre);

// The context's lancerOut and lancerIn, then the cursor's placeToi.
void relancer(KELICurseur* curseur);

// Whether a link lies in the forgotten region of the event table (it holds at no moment).
inline bool siOublie(const KELI* lien) { return !lien || lien->inDate() >= KELDateOublieeIn; }

} // namespace deskmodel
} // namespace tallomer
