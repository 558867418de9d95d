#pragma once
// The meeting point of the desk viewer and the Object views. The desk library must not link the
// Object views, so everything the desk viewer calls on an Object view, and everything the Object
// views ask of the desk viewer, is declared here as abstract classes in a header of its own.
//
// The desk viewer gets its views from the item viewer of the same cursor
// (ZEVItemViewerForDesks::creerItemView), owns them, puts graphicsItem() into its scene and keeps
// them in its map from Object to view. Geometry is y-up in desk-view points, as in the models;
// the view converts to the scene itself through ZEVDeskViewerForObjectViews::deskHeight().

#include "services/ZEVIconPosition.h"
#include "engine/KELTypes.h"

#include <QImage>
#include <QRectF>
#include <QString>

#include <cstddef>
#include <cstdint>

class KELI;
class QGraphicsItem;
class QImage;
class QMimeData;

namespace tallomer {

class ZEVItemViewForDesks;

// What the Object views of one desk ask of that desk's viewer. The desk viewer derives from it.
// Beyond this many views changed at once, whoever changes them repaints the whole desk (its
// scene's update()) when their places cover most of it: the paint of the rest then spares little
// and the region of their places still costs its building and its clipping.
inline constexpr std::size_t kZEVVuesDeMasse = 32;

class ZEVDeskViewerForObjectViews {
public:
    virtual ~ZEVDeskViewerForObjectViews() = default;

    // The view of an Object on this desk, or nullptr. Not owned by the caller.
    virtual ZEVItemViewForDesks* itemViewForItem(KELI* item) = 0;
    // Makes, hides and records the view of an Object at its icon position at the cursor (ratio 1).
    virtual ZEVItemViewForDesks* ajouterItemViewAvecItem(KELI* item) = 0;
    // Places an Object that has no view here at that position, with its icon link from the
    // cursor's date on, and answers its view (nullptr when it cannot be placed).
    virtual ZEVItemViewForDesks* creerItemViewWithItem(KELI* item, const ZEVIconPosition& position, float ratio) = 0;
    // Forgets (and destroys) the view.
    virtual void deleteItemView(ZEVItemViewForDesks* view) = 0;
    // Queue a deferred update of one view's place, title, type and visibility, or of all of them.
    virtual void majItemView(ZEVItemViewForDesks* view) = 0;
    virtual void majItemViews() = 0;
    // Queue a redraw of the link lines.
    virtual void majConnexion() = 0;
    // Whether the current drag started on a selected icon.
    virtual bool siSelectedIconAuDrag() = 0;
    // The height of the desk in points. Scene y = deskHeight - y - height for something at y-up
    // y; with 0 the scene is the desk turned over about its bottom edge (scene y = -y - height).
    virtual double deskHeight() = 0;
};

// One Object's view on one desk, as the desk viewer uses it; ZEVItemView answers it all.
class ZEVItemViewForDesks {
public:
    virtual ~ZEVItemViewForDesks() = default;

    // The graphics item to put into the desk's scene (the view itself).
    virtual QGraphicsItem* graphicsItem() = 0;

    virtual KELI* item() const = 0;
    virtual QString itemTitle() const = 0;
    // Shows the title when it differs from the one shown.
    virtual void setItemTitle(const QString& title) = 0;
    // Empty until set.
    virtual QString itemType() const = 0;
    virtual void setItemType(const QString& type) = 0;
    // The icon image, shown scaled down to fit; a null image clears it.
    virtual void setItemImage(const QImage& image) = 0;

    // The icon image's rectangle in desk-view points (y-up).
    virtual QRectF imageFrame() const = 0;
    // The whole view's rectangle (image and title) in desk-view points (y-up); the Tab walk
    // orders views by its origin.
    virtual QRectF frame() const = 0;
    virtual ZEVIconPosition iconPosition() const = 0;
    // Stores the position and moves the view there; the first placement is never animated.
    virtual void setIconPosition(const ZEVIconPosition& position, double duration) = 0;
    // The desk's height changed: put the view back at its place in the scene.
    virtual void replacerDansLaScene() = 0;
    // Asks a repaint of the view only when what it would draw now differs from what it drew last
    // (its state, selections and filters); its place, title and image repaint themselves.
    virtual void updateIfDrawChanged() = 0;

    // Presence counters, fed by the link base's notices in the order the desk viewer knows:
    // added before future when an icon enters the window, future before added when it leaves.
    virtual void setSiAjoute(bool flag) = 0;
    virtual void setSiActif(bool flag) = 0;
    virtual void setSiFutur(bool flag) = 0;
    virtual bool siAjoute() const = 0;
    virtual bool siActif() const = 0;
    virtual bool siFutur() const = 0;
    virtual std::int64_t siAjouteCount() const = 0;
    virtual std::int64_t siActifCount() const = 0;
    virtual std::int64_t siFuturCount() const = 0;

    // Whether the desk viewer may queue the view for an update of its place and title.
    virtual bool siItemViewAccepteMaj() const = 0;
    virtual void itemViewAccepteMaj() = 0;
    virtual void itemViewRefuseMaj() = 0;
    virtual bool siRetablir() const = 0;
    virtual void setSiRetablir(bool flag) = 0;

    // Channel and visibility.
    virtual void setChannelInt(KELId channelInt) = 0;
    virtual void majChannelInt(KELId channelInt, bool siChannelActif) = 0;
    virtual void setHidden(bool hidden) = 0;
    virtual bool isHidden() const = 0;

    // Stacking among the desk's Object views.
    virtual void orderToFront() = 0;
    virtual void orderToBack() = 0;

    // A pinch over the view resizes its icon (the change of scale, 0 for none).
    virtual void magnifyItemViewWithEvent(double magnification) = 0;

    // Feedback the desk viewer relays.
    virtual void updateImage() = 0;
    virtual void showCadreStart() = 0;
    virtual void showCadreStop() = 0;
    // The flicker that draws the eye to a view, and a sticker drawn over it by code.
    virtual void flick() = 0;
    virtual void addSticker(int code) = 0;
    // A web download of the Object: begun; the response came (a bar from 0 to 1 when
    // determinate, a busy one otherwise, in place of the icon); the fraction received; the end,
    // as a finish (the icon reloaded) or an error. After either the view is as before.
    virtual void downloadBegin() = 0;
    virtual void downloadStart(bool determinate) = 0;
    virtual void downloadSetStatus(float fraction) = 0;
    virtual void downloadFinish() = 0;
    virtual void downloadError() = 0;

    // What the preview window shows of the Object: its file (empty when it has none to show) and
    // the picture the view shows now, until the file has been read.
    virtual QString previewItemURL() const = 0;
    virtual QImage previewItemTransitionImage() const = 0;
};

// What a drag onto a desk carries, so that the desk knows where it comes from: the drag overlay
// of an item view, an item view itself, or a row of an inspector table; anything else came from
// outside the program.
inline constexpr char kZEVItemDragViewMime[] = "application/x-tallomer-item-drag-view";
inline constexpr char kZEVItemViewMime[] = "application/x-tallomer-item-view";

// An item of the desk's scene that takes some drags itself (an Object's overlay: link drags, and
// drags of Objects over a folder Object); the desk answers the others.
class ZEVDropTargetItem {
public:
    virtual ~ZEVDropTargetItem() = default;
    virtual bool siTakesDrag(const QMimeData* data) const = 0;

    // The drags the desk answers itself, as they pass over the item: a drag of Objects (a long
    // press) or any other (other programs, tables). The desk tells only the first move after the
    // pointer came onto the item, then the leaving, then the end of a drag dropped on it.
    enum class HoverDrag { Objects, Outside };
    virtual void dragHoverUpdated(HoverDrag kind, bool siAlt) = 0;
    virtual void dragHoverExited(HoverDrag kind) = 0;
    virtual void dragHoverDropped(HoverDrag kind) = 0;
    // Any drag that ended over the item.
    virtual void draggingEnded() = 0;
};
inline constexpr char kZEVTableViewMime[] = "application/x-tallomer-table-view";

} // namespace tallomer
