#pragma once
// What the Object views ask of the space controller: the front mode, the selections of each mode,
// the display options, the Object being dragged and the link selection. It extends what the desk
// models ask, so that the space controller answers both through one class.
//
// What the space controller keeps itself is pure. The selections of the front modes keep
// "nothing selected" defaults until the selection lists exist.

#include "desk/model/ZEVDeskServices.h"
#include "engine/KELLien.h"
#include "engine/KELTypes.h"

#include <vector>

class KELI;
class KELICurseur;

namespace tallomer {

class KELSharedResources;
class ZEVItemConnexion;

class ZEVItemSpaceServices : public ZEVSpaceServices {
public:
    // The id of the Space's current Channel; 0 when none.
    virtual KELId identityInt() = 0;

    // The front layer's mode: 0 icons, 1 titles, 2 filters, 3 links; anything else is none.
    virtual int frontMode() = 0;
    virtual KELICurseur* actifCurseur() = 0;
    virtual KELICurseur* nowCurseur() = 0;
    // Makes that cursor the active one, as a user's move of the ruler; the ruler viewer answers
    // it once it exists, nothing changes until then.
    virtual void userChangeActifCurseur(KELICurseur* curseur) {}
    virtual bool siApplicationActive() = 0;
    // Whether the front layer's go-to panel shows; it never does until the panel exists.
    virtual bool siGoToPanelVisible() { return false; }
    // The colours, images and shadows every view draws with (the application's; not owned).
    virtual const KELSharedResources& sharedResources() = 0;

    // Selections, by mode. The filters' list is ZEVSpaceServices::selectedFilterItems.
    virtual bool isIconSelectedForItem(KELI* item) { return false; }
    virtual bool isTitleSelectedForItem(KELI* item) { return false; }
    virtual bool isFilterSelectedForItem(KELI* item) { return false; }
    virtual bool isNodeSelectedForItem(KELI* item) { return false; }
    virtual std::vector<KELI*> selectedIconItems() { return {}; }
    virtual std::vector<KELI*> selectedTitleItems() { return {}; }
    virtual std::vector<KELI*> selectedNodeItems() { return {}; }

    // The link selection, by drawn Link (the selection keeps the pair, never the Link itself).
    virtual bool isLinkSelectedForConnexion(const ZEVItemConnexion* connexion) { return false; }
    virtual void selectLinkForConnexion(ZEVItemConnexion* connexion) {}
    virtual void cmdSelectLinkForConnexion(ZEVItemConnexion* connexion) {}
    virtual void multiSelectLinkForConnexion(ZEVItemConnexion* connexion) {}
    virtual void deselectLinkForConnexion(ZEVItemConnexion* connexion) {}

    // Display options.
    virtual bool siHideItemTitle(KELI* item) = 0;
    virtual bool siShowLinks() = 0;
    virtual bool siShowLinksForSelections() = 0;
    virtual bool siShowAnimation() = 0;
    virtual bool siFiltreANDOperation() = 0;

    // The Object being dragged, or nullptr.
    virtual KELI* draggingItem() = 0;
};

} // namespace tallomer
