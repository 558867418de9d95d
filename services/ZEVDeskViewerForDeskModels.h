#pragma once
// What the desk model asks of the desk viewer of its cursor, which answers it all: it shows what
// the model reads and hears.

#include "engine/KELTypes.h"
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
