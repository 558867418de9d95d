#pragma once
// What the Object views and their item viewer ask of the Space: the front mode, the cursors, the
// display options, the Object being dragged and the shared drawing resources. The space
// controller answers (through ZEVSpaceBridge); the selections are their own role.

#include "engine/KELTypes.h"
#include "services/ZEVSpaceSelections.h"

#include <QPointF>

class KELI;
class KELICurseur;

namespace tallomer {

class KELSharedResources;
class ZEVDeskGeometry;
class ZEVFrontViewerServices;
class ZEVPersonServices;

class ZEVSpaceForObjectViews : public virtual ZEVSpaceSelections {
public:
    // The id of the Space's current Channel; 0 when none.
    virtual KELId identityInt() = 0;

    // The front layer's mode: 0 icons, 1 titles, 2 filters, 3 links; anything else is none.
    virtual int frontMode() = 0;
    virtual KELICurseur* actifCurseur() = 0;
    virtual KELICurseur* nowCurseur() = 0;
    // Makes that cursor the active one and the one the ruler moves (the ruler viewer answers).
    virtual void userChangeActifCurseur(KELICurseur* curseur) = 0;
    virtual bool siApplicationActive() = 0;
    // Whether the front layer's go-to panel shows; never without a front layer.
    virtual bool siGoToPanelVisible() = 0;
    // The colours, images and shadows every view draws with (the application's; not owned).
    virtual const KELSharedResources& sharedResources() = 0;

    // Display options.
    virtual bool siHideItemTitle(KELI* item) = 0;
    virtual bool siShowLinks() = 0;
    virtual bool siShowLinksForSelections() = 0;
    virtual bool siShowAnimation() = 0;
    virtual bool siFiltreANDOperation() = 0;

    // The Object being dragged, or nullptr.
    virtual KELI* draggingItem() = 0;
    // The Object whose title is being edited in place (nullptr: the edit ended), and whether it
    // is that one.
    virtual void editTitleForItem(KELI* item) = 0;
    virtual bool isTitleEditedForItem(KELI* item) = 0;

    // Deletes the Object for good: every link that places, describes or connects it is forgotten
    // at every date, then the Object itself, its stored data, its views and every reference the
    // Space keeps to it (the Object views' delete action).
    virtual void userDeleteItem(KELI* item) = 0;

    // What a press, a wheel turn or an arrow key on an Object view needs around it: the desk's
    // units, limits and sizes; the front layer (nullptr for a desk without one); whether the
    // ruler takes a move now (no cursor move under way); whether the pointer is hidden; the
    // history of places; and where the pointer went, y-up in the window.
    virtual ZEVDeskGeometry* deskGeometry() = 0;
    virtual ZEVFrontViewerServices* frontViewer() = 0;
    virtual bool siRulerAccepteDeplacement() = 0;
    virtual bool siNSCursorHidden() = 0;
    virtual void addToHistory() = 0;
    virtual void mouseMovedInLocation(const QPointF& windowPoint) = 0;

    // Every inspector panel shows its lists again, through the front viewer.
    virtual void displayAllInspectView() = 0;

    // The Contacts model, for contact Objects' pictures and opening (not owned); nullptr where a
    // Space has no Contacts inspector.
    virtual ZEVPersonServices* personClass() = 0;
};

} // namespace tallomer
