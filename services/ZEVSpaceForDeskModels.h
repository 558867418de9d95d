#pragma once
// What the desk models (the desk model and the Object factory) ask of the Space: the timeline
// cursor, Channels, the end of the current Space, go-to mode and desk coordinates. The space
// controller answers (through ZEVSpaceBridge); the front layer's parts keep a default until the
// front layer exists, as each comment says.

#include "engine/KELTypes.h"
#include "services/ZEVSpaceSelections.h"

class KELI;
class KELICurseur;

namespace tallomer {

class ZEVDeskGeometry;
class ZEVLegoSource;

class ZEVSpaceForDeskModels : public virtual ZEVSpaceSelections {
public:
    // The timeline cursor, through which models and relations are fetched.
    virtual KELICurseur* tlCurseur() = 0;
    // The window's mapping between points and desk units.
    virtual ZEVDeskGeometry* deskGeometry() = 0;

    // The Channel link of that id at the timeline cursor; nullptr when unknown.
    virtual KELI* channelForIdentityInt(KELId id) = 0;
    // The current Channel of the Space; nullptr when none.
    virtual KELI* identity() = 0;

    // Whether a go-to is under way, and the end of a go-to that starts at t (by the duration
    // chosen for the current go-to kind; KELDateOuverte without end).
    virtual bool siGoToMode() = 0;
    virtual KELDate outTimeForGoToTime(KELDate t) = 0;
    // The end of the current Space of the cursor's desk, or of the go-to span when earlier.
    virtual KELDate spaceOutTimeForGoToTime(KELDate t, KELICurseur* curseur) = 0;
    virtual KELDate spaceOutTimeForCurseur(KELICurseur* curseur) = 0;

    // The table of the front viewer's selection, from which presence intervals are dragged;
    // nullptr while there is none. Not owned.
    virtual ZEVLegoSource* frontSelectionTable() = 0;
    // The front layer redraws its view (link lines, lasso).
    virtual void displayFrontView() = 0;
    // The system beep.
    virtual void beep() = 0;
};

} // namespace tallomer
