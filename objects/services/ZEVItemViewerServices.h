#pragma once
// What the Object factory asks of the item viewer of its cursor: the drawn Links follow the
// Object-to-Object links as they come and go, and the filters are rebuilt at start. Every call
// has an empty default; the item viewer answers them all.

#include "desk/model/ZEVIconPosition.h"
#include "objects/ZEVItemViewServices.h"
#include "engine/KELTypes.h"

#include <memory>
#include <vector>

class KELI;

namespace tallomer {

class ZEVItemViewServices;

class ZEVItemViewerServices {
public:
    virtual ~ZEVItemViewerServices() = default;

    // The first drawn Links, one per link of the window, counted at the cursor's date.
    virtual void initItemConnexionAvecLienConnexion(KELI* lien, KELDate curseurDate) {}

    // The link entered or left the cursor, at its future (Futur) or past (Passe) edge.
    virtual void moteurActiveFuturForConnexion(KELI* lien) {}
    virtual void moteurActivePasseForConnexion(KELI* lien) {}
    virtual void moteurDesactiveFuturForConnexion(KELI* lien) {}
    virtual void moteurDesactivePasseForConnexion(KELI* lien) {}
    // The same for the cursor's context window.
    virtual void moteurAjouteFuturForConnexion(KELI* lien) {}
    virtual void moteurAjoutePasseForConnexion(KELI* lien) {}
    virtual void moteurEnleveFuturForConnexion(KELI* lien) {}
    virtual void moteurEnlevePasseForConnexion(KELI* lien) {}

    virtual void enleveFilterForAllItems() {}
    virtual void ajouteFilterForItem(KELI* item) {}

    // What the desk viewer of the same cursor asks.
    // Hidden by the active filters (NO while no filter is active).
    virtual bool siHideViewForFilterImpactedItem(KELI* item) { return false; }
    // Hidden unless a selected filter Object (YES while no filter is active).
    virtual bool siHideViewForFilterChosenItem(KELI* item) { return true; }
    virtual void setSiChannelActif(bool oui) {}
    // The item views of the Objects selected in a front mode that are on the desk and shown.
    virtual std::vector<ZEVItemViewServices*> visibleItemViewsForMode(int mode) { return {}; }
    // Recall the Object's icon at the cursor's now, at the view's place or at its stored place.
    virtual void userRecallIconForItemView(ZEVItemViewServices* view) {}
    virtual void userRecallIconForItem(KELI* item) {}
    // An item view dragged onto the empty desk: duplicated (Alt) or brought to the Now cursor.
    virtual void userDuplicateSelectedItemViews() {}
    virtual void userRecallSelectedItemViewsVersNowCurseur() {}

    // A new view of the Object for this desk, made with its icon position at the cursor and the
    // image ratio (1 until an image is known). The caller owns it and puts it into its scene;
    // nullptr when no view can be made.
    virtual std::unique_ptr<ZEVItemViewServices> creerItemView(const ZEVIconPosition& position, KELI* item,
                                                               float ratio)
    {
        return nullptr;
    }
    virtual bool siChannelActif() const { return true; }
    // Removes the Object's view from this desk (and the drawn Links that end at it).
    virtual void deleteItemViewForItem(KELI* item) {}
    // Forgets the drawn Links of a parent Object, or of one pair.
    virtual void delConnexionsForParentInt(KELId parentInt) {}
    virtual void delConnexionsForParentIntEnfantInt(KELId parentInt, KELId enfantInt) {}
};

} // namespace tallomer
