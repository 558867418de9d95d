#pragma once
// What a desk viewer and its desk view ask of the Space, beyond what the desk models and the
// Object views ask (both roles, since a desk viewer hands its Space to both). The space controller
// answers (through ZEVSpaceBridge) what it keeps itself, which is pure; the rest keeps a harmless
// default until the part of the Space that answers it exists, as each comment says.

#include "services/ZEVSpaceForDeskModels.h"
#include "services/ZEVSpaceForObjectViews.h"
#include "engine/KELLien.h"
#include "engine/KELTypes.h"

#include <QColor>
#include <QImage>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <QByteArray>

#include <optional>
#include <string>
#include <vector>

class KELICurseur;
class QGraphicsSceneWheelEvent;
class QNativeGestureEvent;

namespace tallomer {

class ZEVBackObjectServices;
class ZEVDeskViewer;
class ZEVFrontViewerServices;
class ZEVSpaceController;

class ZEVSpaceForDeskViewers : public ZEVSpaceForDeskModels, public ZEVSpaceForObjectViews {
public:
    // Both roles ask for the desk's units; one answer serves both.
    ZEVDeskGeometry* deskGeometry() override = 0;
    // Companions; none is owned by the caller.
    // The front layer; nullptr for a desk without one.
    virtual ZEVFrontViewerServices* frontViewer() = 0;
    // The Space itself, which the desk's menus drive; nullptr for a desk without a Space.
    virtual ZEVSpaceController* spaceController() = 0;
    virtual KELICurseur* searchCurseur() = 0;
    virtual ZEVDeskViewer* deskViewerForCurseur(KELICurseur* curseur) = 0;

    // The home Channel.
    virtual KELId homeChannelInt() = 0;
    // The default colour Object.
    virtual KELI* defaultColorItem() = 0;
    // The colour of a colour item; black when it is incomplete.
    virtual QColor colorForColorItem(KELI* colorItem) = 0;

    // The render caches of background images, shared by the Now and Search desks.
    virtual ZEVBackObjectServices* backObjectForItemInt(KELId imageId, KELId scaleId) = 0;
    virtual ZEVBackObjectServices* backObjectForImage(KELI* image, KELId channelInt, const QRectF& windowRect,
                                                      KELI* scaleMot) = 0;
    // The image file of an image Object; empty when it has none.
    virtual std::string imagePathForItem(KELI* image) = 0;
    // Where the wallpapers of a first run are found: the program's own copy and the store's.
    virtual std::string wallpaperResourcePath(const std::string& name) = 0;
    virtual std::string wallpaperStorePath(const std::string& name) = 0;
    virtual std::string storeFolderPath() = 0;
    // Copies the files of new background Objects into the store, on the front layer's transfer queue.
    virtual void copyToSpaceForItems(const std::vector<KELI*>& items) = 0;

    // The inspectors' tables refresh, 0.2 s after the last of a run of requests.
    virtual void updateAllTableViews() = 0;
    // The place shown goes into the history of places (the space controller's).
    virtual void addToHistory() = 0;
    // A named system sound.
    virtual void playSystemSound(const std::string& name) = 0;
    virtual int goToTag() = 0;
    // The ruler's moving cursor and the visible range go forward by d, as one move of the ruler
    // viewer; false, and nothing moved, when the ruler refuses (a move is under way).
    virtual bool moveRulerForward(double d) = 0;
    // Shows this desk in the Space window.
    virtual void placerDevantDeskView(ZEVDeskViewer* deskViewer) = 0;
    virtual void setBrowsedSpaceBackImageInt(KELId imageId) = 0;
    // The desk's background changed: the window title follows it (and the Channels inspector's
    // panel, once it exists).
    virtual void channelsSpaceDidChange() = 0;
    // The Channels inspector shows the Channels' backgrounds: it refreshes when one changes.
    virtual void channelsMajInspectView() = 0;
    // The Channels inspector's model selects that Channel (the Space switches to it when it is
    // not the current one); nothing while the model is not made.
    virtual void selectChannelInt(KELId channel) = 0;

    // The desk surface's neighbours.
    virtual void updateSpaceRatio(double width, double height) = 0;
    // The pointer moved to that point of the window (y-up): the pointer limit at the window's top
    // right follows it.
    virtual void mouseMovedInLocation(const QPointF& windowPoint) = 0;
    // A wheel turned over the desk goes to the active cursor's view on the ruler; so does a pinch
    // over the desk away from the Object views (its position is that in the desk's scene, its
    // scene position the pointer in the window).
    virtual void rulerScrollWheel(QGraphicsSceneWheelEvent* event) = 0;
    virtual void rulerMagnify(QNativeGestureEvent* event) = 0;
    virtual void draggingSessionStartedWithInteger(long sequence) = 0;
    virtual long draggingSessionInteger() = 0;
    virtual void draggingSessionDidStop() = 0;
    virtual bool siCancelDraggingSession() = 0;
    // A drag from another program rests over the desk: the window comes forward. After a drop,
    // the step back to the program the drag came from.
    virtual void activateTallomer() = 0;
    virtual void activatePreviousApp() = 0;

    // The pointer in the desk, y-up (the paste lands there).
    virtual QPointF mouseLocationOutsideOfEventStream() = 0;

    // The Contacts inspector's person model, the least of it the desks need: the title of the
    // address-book person with that unique id ("? ?" for none), and a card the book does not hold
    // yet added to it.
    virtual QString titleForUid(const QString& uid) = 0;
    virtual void addPersonCard(const QByteArray& card) = 0;
};

} // namespace tallomer
