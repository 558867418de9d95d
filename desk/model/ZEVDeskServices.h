#pragma once
// What the desk models ask of their neighbours: the space controller (Channels, the end of the
// current Space, go-to mode, desk coordinates) and the desk viewer of the same cursor.
//
// The space controller and the desk viewer answer every operation they own, so those are pure;
// the few that keep a default are answered by parts of the Space that come later, as each
// comment says.

#include "desk/model/ZEVIconPosition.h"
#include "engine/KELTypes.h"

#include <vector>

class KELI;
class KELICurseur;

namespace tallomer {

class ZEVDeskGeometry;
class ZEVLegoSource;

class ZEVSpaceServices {
public:
    virtual ~ZEVSpaceServices() = default;

    // The timeline cursor, through which models and relations are fetched.
    virtual KELICurseur* tlCurseur() = 0;
    // The window's mapping between points and desk units.
    virtual ZEVDeskGeometry* deskGeometry() = 0;

    // The Channel link of that id at the timeline cursor; nullptr when unknown.
    virtual KELI* channelForIdentityInt(KELId id) = 0;
    // The current Channel of the Space; nullptr when none.
    virtual KELI* identity() = 0;

    // Go-to mode and its spans belong to the go-to buttons and panel; until they exist the Space
    // is never in go-to mode and a go-to span has no end.
    virtual bool siGoToMode() { return false; }
    virtual KELDate outTimeForGoToTime(KELDate t) { return KELDateOuverte; }
    // The end of the current Space of the cursor's desk, or of the go-to span when earlier.
    virtual KELDate spaceOutTimeForGoToTime(KELDate t, KELICurseur* curseur) = 0;
    virtual KELDate spaceOutTimeForCurseur(KELICurseur* curseur) = 0;

    // The selected filter Objects: the selection lists of the front modes answer them once they
    // exist; none is selected until then.
    virtual std::vector<KELI*> selectedFilterItems() { return {}; }
    // The table of the front viewer's selection, from which presence intervals are dragged; the
    // front layer's list answers it once it exists. Not owned.
    virtual ZEVLegoSource* frontSelectionTable() { return nullptr; }
    // The front layer redraws its view (link lines, lasso); nothing to redraw until it exists.
    virtual void displayFrontView() {}
    // The system beep.
    virtual void beep() = 0;
};

// The desk viewer of one cursor: it shows what the desk model reads and hears.
class ZEVDeskViewerServices {
public:
    virtual ~ZEVDeskViewerServices() = default;

    virtual void initItemViewAvecIcon(KELI* icon, KELDate curseurDate) = 0;
    virtual void initMajItemViews() = 0;
    // Places an Object that never had an icon: its geometry, its icon link over [in, out) and its
    // item view.
    virtual void creerIconForItem(KELI* item, const ZEVIconPosition& position, KELDate inDate, KELDate outDate,
                                  float ratio) = 0;

    // An icon entered or left the cursor (Active/Desactive) or its context (Ajoute/Enleve), at the
    // future or the past edge. The argument is the Object.
    virtual void moteurActiveFuturItem(KELI* item) = 0;
    virtual void moteurActivePasseItem(KELI* item) = 0;
    virtual void moteurDesactiveFuturItem(KELI* item) = 0;
    virtual void moteurDesactivePasseItem(KELI* item) = 0;
    virtual void moteurAjouteFuturItem(KELI* item) = 0;
    virtual void moteurAjoutePasseItem(KELI* item) = 0;
    virtual void moteurEnleveFuturItem(KELI* item) = 0;
    virtual void moteurEnlevePasseItem(KELI* item) = 0;
    // The Object's title, or its place, size or angle, changed for the cursor or the context.
    virtual void moteurChangeItemTitleForItem(KELI* item) = 0;
    virtual void moteurChangeItemViewForItem(KELI* item) = 0;
};

} // namespace tallomer
