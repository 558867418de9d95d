#pragma once
// What a desk viewer and its desk view ask of the space controller, beyond what the desk model
// and the Object views ask (ZEVItemSpaceServices: front mode, selections, current Channel). Header-only, every call with a harmless default, so that a desk works
// in a bare scene (tests) and the space controller answers what it has.

#include "objects/ZEVItemSpaceServices.h"
#include "engine/KELLien.h"
#include "engine/KELTypes.h"

#include <QColor>
#include <QImage>
#include <QPointF>
#include <QRectF>

#include <optional>
#include <string>
#include <vector>

class KELICurseur;
class QGraphicsSceneWheelEvent;

namespace tallomer {

class ZEVBackObjectServices;
class ZEVDeskViewer;
class ZEVFrontViewer;
class ZEVItemViewServices;

class ZEVDeskSpaceServices : public ZEVItemSpaceServices {
public:
    // Companions; none is owned by the caller.
    virtual ZEVFrontViewer* frontViewer() { return nullptr; }
    virtual KELICurseur* searchCurseur() { return nullptr; }
    virtual ZEVDeskViewer* deskViewerForCurseur(KELICurseur* curseur) { return nullptr; }

    // The home Channel.
    virtual KELId homeChannelInt() { return 2000018; }
    // The default colour Object; nullptr: the desk viewer takes the template's.
    virtual KELI* defaultColorItem() { return nullptr; }
    // An invalid colour: the desk viewer reads the colour item's numbers itself.
    virtual QColor colorForColorItem(KELI* colorItem) { return QColor(); }

    // The render caches of background images, shared by the Now and Search desks.
    virtual ZEVBackObjectServices* backObjectForItemInt(KELId imageId, KELId scaleId) { return nullptr; }
    virtual ZEVBackObjectServices* backObjectForImage(KELI* image, KELId channelInt, const QRectF& windowRect,
                                                      KELI* scaleMot)
    {
        return nullptr;
    }
    // The image file of an image Object; empty: the Object data store is asked.
    virtual std::string imagePathForItem(KELI* image) { return {}; }
    // Where the wallpapers of a first run are found: the program's own copy and the store's.
    virtual std::string wallpaperResourcePath(const std::string& name) { return {}; }
    virtual std::string wallpaperStorePath(const std::string& name) { return {}; }
    virtual std::string storeFolderPath() { return {}; }
    // Copies the files of new background Objects into the store (front class).
    virtual void copyToSpaceForItems(const std::vector<KELI*>& items) {}

    // Selection changes per front mode (0 icons, 1 titles, 2 filters, 3 nodes).
    virtual void selectIconForItem(KELI* item) {}
    virtual void selectTitleForItem(KELI* item) {}
    virtual void selectFilterForItem(KELI* item) {}
    virtual void selectNodeForItem(KELI* item) {}
    virtual void multiSelectIconForItem(KELI* item) {}
    virtual void multiSelectTitleForItem(KELI* item) {}
    virtual void multiSelectNodeForItem(KELI* item) {}
    virtual void deselectIconForItem(KELI* item) {}
    virtual void deselectTitleForItem(KELI* item) {}
    virtual void deselectNodeForItem(KELI* item) {}
    virtual void deselectAllIcons() {}
    virtual void deselectAllTitles() {}
    virtual void deselectAllFilters() {}
    virtual void deselectAllNodes() {}
    virtual void selectIconForItemSet(const std::vector<KELI*>& items, const std::vector<KELI*>& minus) {}
    virtual void selectTitleForItemSet(const std::vector<KELI*>& items, const std::vector<KELI*>& minus) {}
    virtual void selectFilterForItemSet(const std::vector<KELI*>& items, const std::vector<KELI*>& minus) {}
    virtual void selectNodeForItemSet(const std::vector<KELI*>& items, const std::vector<KELI*>& minus) {}

    virtual void addToHistory() {}
    virtual void playSystemSound(const std::string& name) {}
    virtual int goToTag() { return 0; }
    // The ruler's moving cursor and the ruler go forward by d; false when the ruler refuses.
    virtual bool moveRulerForward(double d) { return false; }
    // Shows this desk in the Space window.
    virtual void placerDevantDeskView(ZEVDeskViewer* deskViewer) {}
    virtual void setBrowsedSpaceBackImageInt(KELId imageId) {}
    // The Channels inspector's refreshes.
    virtual void channelsSpaceDidChange() {}
    virtual void channelsMajInspectView() {}
    virtual void selectChannelInt(KELId channel) {}

    // The desk surface's neighbours.
    virtual void updateSpaceRatio(double width, double height) {}
    virtual void mouseMovedInLocation(const QPointF& windowPoint) {}
    virtual void rulerScrollWheel(QGraphicsSceneWheelEvent* event) {}
    virtual void draggingSessionStartedWithInteger(long sequence) {}
    virtual long draggingSessionInteger() { return 0; }
    virtual void draggingSessionDidStop() {}
    virtual bool siCancelDraggingSession() { return false; }
    virtual void activateTallomer() {}
    virtual void activatePreviousApp() {}

    // Pasteboard contents of a copied Object that is neither a file nor a web link; empty: only
    // its title travels.
    virtual QByteArray itemRecordForItem(KELI* item, const std::string& title, const std::string& type)
    {
        return {};
    }
};

} // namespace tallomer
