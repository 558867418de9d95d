#pragma once
// The meeting point of the desk viewer and the Object views. The desk library must not link the
// Object views, so everything the desk viewer calls on an Object view, and everything the Object
// views ask of the desk viewer, is declared here as abstract classes in a header of its own.
//
// The desk viewer gets its views from the item viewer of the same cursor
// (ZEVItemViewerServices::creerItemView), owns them, puts graphicsItem() into its scene and keeps
// them in its map from Object to view. Geometry is y-up in desk-view points, as in the models;
// the view converts to the scene itself through ZEVItemViewDeskServices::deskHeight().

#include "desk/model/ZEVIconPosition.h"
#include "engine/KELTypes.h"

#include <QRectF>
#include <QString>

#include <cstdint>

class KELI;
class QGraphicsItem;
class QImage;

namespace tallomer {

class ZEVItemViewServices;

// What the Object views of one desk ask of that desk's viewer. The desk viewer derives from it.
class ZEVItemViewDeskServices {
public:
    virtual ~ZEVItemViewDeskServices() = default;

    // The view of an Object on this desk, or nullptr. Not owned by the caller.
    virtual ZEVItemViewServices* itemViewForItem(KELI* item) { return nullptr; }
    // Makes, hides and records the view of an Object at its icon position at the cursor (ratio 1).
    virtual ZEVItemViewServices* ajouterItemViewAvecItem(KELI* item) { return nullptr; }
    // Forgets (and destroys) the view.
    virtual void deleteItemView(ZEVItemViewServices* view) {}
    // Queue a deferred update of one view's place, title, type and visibility, or of all of them.
    virtual void majItemView(ZEVItemViewServices* view) {}
    virtual void majItemViews() {}
    // Queue a redraw of the link lines.
    virtual void majConnexion() {}
    // Whether the current drag started on a selected icon.
    virtual bool siSelectedIconAuDrag() { return false; }
    // The height of the desk in points. Scene y = deskHeight - y - height for something at y-up
    // y; with 0 the scene is the desk turned over about its bottom edge (scene y = -y - height).
    virtual double deskHeight() { return 0; }
};

// One Object's view on one desk, as the desk viewer uses it. Every call has a harmless default
// so that a stand-in view needs only what it is used for; ZEVItemView answers them all.
class ZEVItemViewServices {
public:
    virtual ~ZEVItemViewServices() = default;

    // The graphics item to put into the desk's scene (the view itself); nullptr for a stand-in.
    virtual QGraphicsItem* graphicsItem() { return nullptr; }

    virtual KELI* item() const { return nullptr; }
    virtual QString itemTitle() const { return {}; }
    // Shows the title when it differs from the one shown.
    virtual void setItemTitle(const QString& title) {}
    // Empty until set.
    virtual QString itemType() const { return {}; }
    virtual void setItemType(const QString& type) {}
    // The icon image, shown scaled down to fit; a null image clears it.
    virtual void setItemImage(const QImage& image) {}

    // The icon image's rectangle in desk-view points (y-up).
    virtual QRectF imageFrame() const { return {}; }
    // The whole view's rectangle (image and title) in desk-view points (y-up); the Tab walk
    // orders views by its origin.
    virtual QRectF frame() const { return imageFrame(); }
    virtual ZEVIconPosition iconPosition() const { return {}; }
    // Stores the position and moves the view there; the first placement is never animated.
    virtual void setIconPosition(const ZEVIconPosition& position, double duration) {}
    // The desk's height changed: put the view back at its place in the scene.
    virtual void replacerDansLaScene() {}

    // Presence counters, fed by the link base's notices in the order the desk viewer knows:
    // added before future when an icon enters the window, future before added when it leaves.
    virtual void setSiAjoute(bool flag) {}
    virtual void setSiActif(bool flag) {}
    virtual void setSiFutur(bool flag) {}
    virtual bool siAjoute() const { return false; }
    virtual bool siActif() const { return false; }
    virtual bool siFutur() const { return false; }
    virtual std::int64_t siAjouteCount() const { return 0; }
    virtual std::int64_t siActifCount() const { return 0; }
    virtual std::int64_t siFuturCount() const { return 0; }

    // Whether the desk viewer may queue the view for an update of its place and title.
    virtual bool siItemViewAccepteMaj() const { return true; }
    virtual void itemViewAccepteMaj() {}
    virtual void itemViewRefuseMaj() {}
    virtual bool siRetablir() const { return false; }
    virtual void setSiRetablir(bool flag) {}

    // Channel and visibility.
    virtual void setChannelInt(KELId channelInt) {}
    virtual void majChannelInt(KELId channelInt, bool siChannelActif) {}
    virtual void setHidden(bool hidden) {}
    virtual bool isHidden() const { return true; }

    // Stacking among the desk's Object views.
    virtual void orderToFront() {}
    virtual void orderToBack() {}

    // Feedback the desk viewer relays.
    virtual void updateImage() {}
    virtual void flick() {}
    virtual void addSticker(int code) {}
    virtual void showCadreStart() {}
    virtual void showCadreStop() {}
    virtual void downloadBegin() {}
    virtual void downloadStart(bool determinate) {}
    virtual void downloadSetStatus(float fraction) {}
    virtual void downloadFinish() {}
    virtual void downloadError() {}
};

// What a drag onto a desk carries, so that the desk knows where it comes from: the drag overlay
// of an item view, an item view itself, or a row of an inspector table; anything else came from
// outside the program.
inline constexpr char kZEVItemDragViewMime[] = "application/x-tallomer-item-drag-view";
inline constexpr char kZEVItemViewMime[] = "application/x-tallomer-item-view";
inline constexpr char kZEVTableViewMime[] = "application/x-tallomer-table-view";

} // namespace tallomer
