#pragma once
// What the desk models ask of their neighbours: the space controller (Channels, the end of the
// current Space, go-to mode, desk coordinates) and the desk viewer of the same cursor. Every call
// has a default so that a model also works without them (a desk without a window).

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

    // The timeline cursor, through which models and relations are fetched; nullptr: the link
    // base's own timeline cursor is used.
    virtual KELICurseur* tlCurseur() { return nullptr; }
    // The window's mapping between points and desk units; nullptr: one point is one unit.
    virtual ZEVDeskGeometry* deskGeometry() { return nullptr; }

    // The Channel link of that id at the timeline cursor; nullptr when unknown.
    virtual KELI* channelForIdentityInt(KELId id) = 0;
    // The current Channel of the Space; nullptr when none.
    virtual KELI* identity() = 0;

    virtual bool siGoToMode() { return false; }
    // The end of a go-to span starting at t.
    virtual KELDate outTimeForGoToTime(KELDate t) { return KELDateOuverte; }
    // The end of the current Space of the cursor's desk, or of the go-to span when earlier.
    virtual KELDate spaceOutTimeForGoToTime(KELDate t, KELICurseur* curseur) { return outTimeForGoToTime(t); }
    virtual KELDate spaceOutTimeForCurseur(KELICurseur* curseur) { return KELDateOuverte; }

    virtual std::vector<KELI*> selectedFilterItems() { return {}; }
    // The table of the front viewer's selection, from which presence intervals are dragged;
    // nullptr when none. Not owned.
    virtual ZEVLegoSource* frontSelectionTable() { return nullptr; }
    virtual void displayFrontView() {}
    virtual void beep() {}
};

// The desk viewer of one cursor: it shows what the desk model reads and hears.
class ZEVDeskViewerServices {
public:
    virtual ~ZEVDeskViewerServices() = default;

    virtual void initItemViewAvecIcon(KELI* icon, KELDate curseurDate) {}
    virtual void initMajItemViews() {}
    // Places an Object that never had an icon: its geometry, its icon link over [in, out) and its
    // item view.
    virtual void creerIconForItem(KELI* item, const ZEVIconPosition& position, KELDate inDate,
                                  KELDate outDate, float ratio) {}

    // An icon entered or left the cursor (Active/Desactive) or its context (Ajoute/Enleve), at the
    // future or the past edge. The argument is the Object.
    virtual void moteurActiveFuturItem(KELI* item) {}
    virtual void moteurActivePasseItem(KELI* item) {}
    virtual void moteurDesactiveFuturItem(KELI* item) {}
    virtual void moteurDesactivePasseItem(KELI* item) {}
    virtual void moteurAjouteFuturItem(KELI* item) {}
    virtual void moteurAjoutePasseItem(KELI* item) {}
    virtual void moteurEnleveFuturItem(KELI* item) {}
    virtual void moteurEnlevePasseItem(KELI* item) {}
    // The Object's title, or its place, size or angle, changed for the cursor or the context.
    virtual void moteurChangeItemTitleForItem(KELI* item) {}
    virtual void moteurChangeItemViewForItem(KELI* item) {}
};

} // namespace tallomer
