#pragma once
// What the desk model asks of the desk viewer of its cursor, which answers it all: it shows what
// the model reads and hears.

#include "engine/KELTypes.h"
#include "services/ZEVCroisement.h"
#include "services/ZEVIconPosition.h"

class KELI;

namespace tallomer {

class ZEVDeskViewerForDeskModels {
public:
    virtual ~ZEVDeskViewerForDeskModels() = default;

    virtual void initItemViewAvecIcon(KELI* icon, KELDate curseurDate) = 0;
    virtual void initMajItemViews() = 0;
    // Places an Object that never had an icon: its geometry, its icon link over [in, out) and its
    // item view.
    virtual void creerIconForItem(KELI* item, const ZEVIconPosition& position, KELDate inDate, KELDate outDate,
                                  float ratio) = 0;

    // An icon entered or left the cursor (Active/Desactive) or its context (Ajoute/Enleve), at the
    // future or the past edge. The argument is the Object. The eight named notices are the same
    // call with the crossing spelled out.
    virtual void moteurCroisementItem(KELI* item, ZEVCroisement croisement) = 0;
    void moteurActiveFuturItem(KELI* item) { moteurCroisementItem(item, {C::Active, C::Futur}); }
    void moteurActivePasseItem(KELI* item) { moteurCroisementItem(item, {C::Active, C::Passe}); }
    void moteurDesactiveFuturItem(KELI* item) { moteurCroisementItem(item, {C::Desactive, C::Futur}); }
    void moteurDesactivePasseItem(KELI* item) { moteurCroisementItem(item, {C::Desactive, C::Passe}); }
    void moteurAjouteFuturItem(KELI* item) { moteurCroisementItem(item, {C::Ajoute, C::Futur}); }
    void moteurAjoutePasseItem(KELI* item) { moteurCroisementItem(item, {C::Ajoute, C::Passe}); }
    void moteurEnleveFuturItem(KELI* item) { moteurCroisementItem(item, {C::Enleve, C::Futur}); }
    void moteurEnlevePasseItem(KELI* item) { moteurCroisementItem(item, {C::Enleve, C::Passe}); }
    // The Object's title, or its place, size or angle, changed for the cursor or the context.
    virtual void moteurChangeItemTitleForItem(KELI* item) = 0;
    virtual void moteurChangeItemViewForItem(KELI* item) = 0;

private:
    using C = ZEVCroisement;
};

} // namespace tallomer
