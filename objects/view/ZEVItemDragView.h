#pragma once

#include "objects/view/ZEVPaintCut.h"
#include "runtime/Scheduler.h"
#include "services/ZEVItemViewForDesks.h"

#include <QGraphicsItem>
#include <QImage>
#include <QRectF>
#include <QSizeF>
#include <QString>

class QMimeData;

namespace tallomer {

class ZEVItemView;

// The transparent overlay over the icon. In the filter and link modes a drag from it is a link
// drag: the band runs from every selected Object to the pointer, and a drop on another Object's
// overlay links each of them to it. It is the drop target of link drags only; Object drags and
// drags from other programs go to the desk beneath, which handles them the same over an icon.
class ZEVItemDragView final : public QGraphicsItem, public ZEVDropTargetItem {
public:
    static constexpr double kSrcRadius = 10;
    static constexpr double kDstRadius = 16;

    ZEVItemDragView(QGraphicsItem* parent, ZEVItemView* itemView);
    // The image's frame: presses and drops land there alone, sticker or not.
    QRectF boundingRect() const override { return QRectF(QPointF(0, 0), size_); }
    // Nothing: the scene never paints it. Its Object view draws its sticker.
    void paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*) override;
    // The sticker, over the image, drawn within its view's paint, within `cut` if any.
    void paintStickerInView(QPainter& painter, const ZEVPaintCut* cut = nullptr) const;
    void setSize(const QSizeF& size);
    // Shows `image` (none: no sticker), 32 by 32 over the lower left corner of the line drawn
    // around the image (the image grown by 10).
    void setSticker(const QImage& image);
    bool hasSticker() const { return !sticker_.isNull(); }
    // Where the sticker is drawn, in the Object view's coordinates (empty without one).
    QRectF stickerFrame() const { return hasSticker() ? stickerRect().translated(pos()) : QRectF(); }
    ZEVItemView* itemView() const { return itemView_; }

    // The press as the overlay sees it before its view: the front mode is read here.
    void mouseDown();
    // True when the move started (or belongs to) a link drag: the view moves nothing then.
    bool mouseDragged(const QPointF& deskPoint);
    bool siMouseDragged() const { return siMouseDragged_; }
    int frontModeAuClic() const { return frontMode_; }

    // Whether a drag's data is a link drag (it comes from an overlay).
    static bool siLinkDrag(const QMimeData* data);
    // Linux has no packages: every directory is a folder Objects can be dropped into.
    static bool siFolderPath(const QString& path);
    // A "file" Object whose file is a folder, and not itself among the dragged Objects.
    bool siFolderTarget() const;
    bool siTakesDrag(const QMimeData* data) const override;

    // The drop target's side of a link drag; each answers the operation.
    Qt::DropAction draggingEntered();
    Qt::DropAction draggingUpdated();
    void draggingExited();
    bool performDragOperation();

    // Resting over the Object during a drag the desk answers selects it, adds it to the selection
    // or deselects it after a while; leaving it first cancels that.
    static constexpr double kSelectDelay = 0.4;
    static constexpr double kSelectDelayInactive = 1.4;
    static constexpr double kMultiSelectDelay = 1.0;
    static constexpr double kDeselectDelay = 0.4;
    static constexpr char kSelectName[] = "_selectDraggingItem";
    static constexpr char kMultiSelectName[] = "_multiSelectDraggingItem";
    static constexpr char kDeselectName[] = "_deselectDraggingItem";
    void dragHoverUpdated(HoverDrag kind, bool siAlt) override;
    void dragHoverExited(HoverDrag kind) override;
    void dragHoverDropped(HoverDrag kind) override;
    // A modifier quasimode of the front viewer whose key was released during the drag ends here.
    void draggingEnded() override;
    // The last drag of Objects that left an Object outside a folder.
    static long LastExitedDrag();

protected:
    void dragEnterEvent(QGraphicsSceneDragDropEvent* event) override;
    void dragMoveEvent(QGraphicsSceneDragDropEvent* event) override;
    void dragLeaveEvent(QGraphicsSceneDragDropEvent* event) override;
    void dropEvent(QGraphicsSceneDragDropEvent* event) override;

private:
    class ZEVConnectingView* connectingView() const;
    bool siSourceOfTheLines() const;
    void setConnectingFlag(bool flag);
    void linkDragEnded();
    void selectDraggingItem();
    void multiSelectDraggingItem();
    void deselectDraggingItem();
    bool siSelectedInMode(int mode) const;

    // The sticker's place in the overlay's own coordinates: the line around the image lies 10
    // outside it, the sticker 2 in from its left and 3 up from its lower edge.
    QRectF stickerRect() const { return QRectF(-8, size_.height() + 7 - 32, 32, 32); }

    QSizeF size_;
    QImage sticker_;
    ZEVItemView* itemView_; // not owned: the parent item
    bool siMouseDragged_ = false;
    bool siSelectedViewsAuDrag_ = false;
    int frontMode_ = 0;
    Qt::DropAction dragOperation_ = Qt::IgnoreAction;
    bool siDraggingUpdated_ = false;
    bool siDragInFolder_ = false;
    bool siDraggableInFolder_ = false;
    ScheduledTarget guard_{this};
};

} // namespace tallomer
