#pragma once
// What the desks (the Object factory, the desk model, the desk viewer and its view) ask of the
// item viewer of their cursor, which answers it all: the drawn Links follow the
// Object-to-Object links as they come and go, and the filters are rebuilt at start.

#include "services/ZEVCroisement.h"
#include "services/ZEVIconPosition.h"
#include "services/ZEVItemViewForDesks.h"
#include "engine/KELTypes.h"

#include <QPointF>
#include <QRectF>
#include <QRegion>
#include <QTransform>

#include <memory>
#include <vector>

class KELI;
class QGraphicsScene;

namespace tallomer {

class ZEVItemConnexion;
class ZEVItemViewForDesks;

class ZEVItemViewerForDesks {
public:
    virtual ~ZEVItemViewerForDesks() = default;

    // The first drawn Links, one per link of the window, counted at the cursor's date.
    virtual void initItemConnexionAvecLienConnexion(KELI* lien, KELDate curseurDate) = 0;

    // The link entered or left the cursor (Active/Desactive) or its context window (Ajoute/Enleve),
    // at its future or past edge. The eight named notices are the same call with the crossing
    // spelled out.
    virtual void moteurCroisementForConnexion(KELI* lien, ZEVCroisement croisement) = 0;
    void moteurActiveFuturForConnexion(KELI* lien) { moteurCroisementForConnexion(lien, {C::Active, C::Futur}); }
    void moteurActivePasseForConnexion(KELI* lien) { moteurCroisementForConnexion(lien, {C::Active, C::Passe}); }
    void moteurDesactiveFuturForConnexion(KELI* lien) { moteurCroisementForConnexion(lien, {C::Desactive, C::Futur}); }
    void moteurDesactivePasseForConnexion(KELI* lien) { moteurCroisementForConnexion(lien, {C::Desactive, C::Passe}); }
    void moteurAjouteFuturForConnexion(KELI* lien) { moteurCroisementForConnexion(lien, {C::Ajoute, C::Futur}); }
    void moteurAjoutePasseForConnexion(KELI* lien) { moteurCroisementForConnexion(lien, {C::Ajoute, C::Passe}); }
    void moteurEnleveFuturForConnexion(KELI* lien) { moteurCroisementForConnexion(lien, {C::Enleve, C::Futur}); }
    void moteurEnlevePasseForConnexion(KELI* lien) { moteurCroisementForConnexion(lien, {C::Enleve, C::Passe}); }

    virtual void enleveFilterForAllItems() = 0;
    virtual void enleveFilterForItem(KELI* item) = 0;
    // The selected filters combine with AND (every filter reaches the Object) or OR (one does).
    virtual void setSiFiltreANDOperation(bool andOperation) = 0;
    virtual void ajouteFilterForItem(KELI* item) = 0;

    // What the desk viewer of the same cursor asks.
    // Hidden by the active filters (NO while no filter is active).
    virtual bool siHideViewForFilterImpactedItem(KELI* item) = 0;
    // Hidden unless a selected filter Object (YES while no filter is active).
    virtual bool siHideViewForFilterChosenItem(KELI* item) = 0;
    virtual void setSiChannelActif(bool oui) = 0;
    // The item views of the Objects selected in a front mode that are on the desk and shown.
    virtual std::vector<ZEVItemViewForDesks*> visibleItemViewsForMode(int mode) = 0;
    // Recall the Object's icon at the cursor's now, at the view's place or at its stored place.
    virtual void userRecallIconForItemView(ZEVItemViewForDesks* view) = 0;
    virtual void userRecallIconForItem(KELI* item) = 0;
    // Recalls the Object-to-Object link between the two at the cursor (the Object of the greater
    // id is its parent); nothing for one Object with itself.
    virtual void userRecallLinkWithItem(KELI* item, KELI* otherItem) = 0;
    // An item view dragged onto the empty desk: duplicated (Alt) or brought to the Now cursor.
    virtual void userDuplicateSelectedItemViews() = 0;
    virtual void userRecallSelectedItemViewsVersNowCurseur() = 0;
    // The pointer of a drag of copies moved over this desk, to that point (y-up): the copies
    // follow it, and where they are is where the drop places them.
    virtual void copiedItemViewsMovedTo(const QPointF& deskPoint) = 0;

    // A new view of the Object for this desk, made with its icon position at the cursor and the
    // image ratio (1 until an image is known). The caller owns it and puts it into its scene;
    // nullptr when no view can be made.
    virtual std::unique_ptr<ZEVItemViewForDesks> creerItemView(const ZEVIconPosition& position, KELI* item,
                                                               float ratio) = 0;
    virtual bool siChannelActif() const = 0;
    // Removes the Object's view from this desk (and the drawn Links that end at it).
    virtual void deleteItemViewForItem(KELI* item) = 0;
    // The drawn Links in the window that end at the Object, by parent id and then child id.
    virtual std::vector<ZEVItemConnexion*> connexionsTouchingItem(KELI* item) = 0;
    // Forgets the drawn Links of a parent Object, or of one pair.
    virtual void delConnexionsForParentInt(KELId parentInt) = 0;
    virtual void delConnexionsForParentIntEnfantInt(KELId parentInt, KELId enfantInt) = 0;

    // The desk's canvas paints what lies in `exposed` of `scene` next, then is done (see
    // ZEVScenePaint).
    virtual void willPaint(const QGraphicsScene& scene, const QRegion& exposed, const QTransform& viewportTransform,
                           qreal pixelRatio) = 0;
    virtual void didPaint() = 0;

private:
    using C = ZEVCroisement;
};

} // namespace tallomer
