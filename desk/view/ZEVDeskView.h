#pragma once
// The desk surface of one cursor: a graphics scene that spans the desk's frame, with the
// background layer at the back and the Object views above it. Presses on the empty desk draw a
// lasso in the current front mode (Ctrl toggles the starting selection); the wheel goes to the
// time ruler, except while an Object view is being resized by it and for 0.2 s after; keys go to
// the front layer (Tab and Shift-Tab walk the selection); Select All, Copy, Cut and Paste act on
// the desk; drops from Object views, inspector tables and other programs land here.
//
// Events arrive in scene coordinates (y-down); the handlers work in desk coordinates (y-up,
// desk-view points) through deskPoint(), the one conversion at this edge.

#include "runtime/Scheduler.h"
#include "services/ZEVScenePaint.h"

#include <QGraphicsScene>
#include <QPointF>
#include <QRectF>

#include <memory>
#include <optional>
#include <vector>

class KELI;
class QMimeData;
class QNativeGestureEvent;

namespace tallomer {

class ZEVDeskBackImageView;
class ZEVDeskClass;
class ZEVItemViewForDesks;
class ZEVSpaceForDeskViewers;
class ZEVDeskViewer;
class ZEVDropTargetItem;
class ZEVFrontViewServices;
class ZEVItemViewerForDesks;

class ZEVDeskView final : public QGraphicsScene, public ZEVScenePaint {
public:
    enum class DragSource { Overlay, ItemView, Table, Other };
    enum class WheelPhase { None = 0, Began = 1, Changed = 4, Other = 8 };

    // None is owned; `space` may be null (a desk without a window).
    ZEVDeskView(const QRectF& frame, ZEVDeskViewer* deskViewer, ZEVSpaceForDeskViewers* space);
    ~ZEVDeskView() override;

    void referencerFrontView(ZEVFrontViewServices* v) { frontView_ = v; }
    ZEVFrontViewServices* frontView() const { return frontView_; }
    void referencerItemViewer(ZEVItemViewerForDesks* v) { itemViewer_ = v; }
    ZEVDeskViewer* deskViewer() const { return deskViewer_; }
    bool siLassoIcon() const { return siLassoIcon_; }
    bool siLassoTitle() const { return siLassoTitle_; }
    bool siLassoNode() const { return siLassoNode_; }
    bool siLasso() const { return siLasso_; }
    void setSiScrollingItemView(bool v) { siScrollingItemView_ = v; }
    bool siSrollWheel() const { return siSrollWheel_; }

    // The desk's frame (origin 0, 0): asks the space controller to recompute the desk units first.
    void setFrame(const QRectF& frame);
    QRectF frame() const { return QRectF(QPointF(0, 0), sceneRect().size()); }
    QPointF deskPoint(const QPointF& scenePoint) const;

    // The handlers, in desk coordinates; the Qt events below call them.
    void mouseDown(const QPointF& deskPoint);
    void mouseDragged(const QPointF& deskPoint, bool siCmd);
    void mouseUp();
    // Whether the event went to the ruler.
    bool scrollWheel(WheelPhase phase, Qt::KeyboardModifiers modifiers, QGraphicsSceneWheelEvent* event);
    // A pinch, its position in the scene: over the desk it goes to the ruler; one that begins over
    // an Object view is left to the Object views. Answers whether it went to the ruler.
    bool magnify(QNativeGestureEvent* event);
    void selectAll();
    // Whether something was written to the clipboard (a beep otherwise).
    bool copy();
    void cut();
    void paste();
    void cancelOperation();
    QRectF lassoRect() const { return lassoRect_; }

    // Drags and pastes are numbered by one counter for the whole program.
    static long nextDragSequenceNumber();
    // The action a drop gets among those its drag offers: the wanted one, else Copy, else Link;
    // never Move, by which the source would delete what it gave.
    static Qt::DropAction allowedAction(Qt::DropAction wanted, Qt::DropActions possible);
    // What Copy puts on the clipboard for these views: file and web location URLs, and for every
    // other Object its record and its title as text; nullptr when there is nothing to copy.
    static std::unique_ptr<QMimeData> mimeDataForItemViews(const std::vector<ZEVItemViewForDesks*>& views,
                                                           ZEVDeskClass* model);
    long draggingSequenceNumber() const { return draggingSequenceNumber_; }
    Qt::DropAction draggingEntered(DragSource source, const QMimeData* data);
    Qt::DropAction draggingUpdated(DragSource source, bool siAlt, const QPointF& deskPoint);
    void draggingExited(DragSource source);
    bool performDragOperation(DragSource source, bool siAlt, const QMimeData* data, const QPointF& deskPoint);
    static DragSource sourceOf(const QMimeData* data);

    // The Object views' part of the paint goes to their item viewer.
    void willPaint(const QRegion& exposed, const QTransform& viewportTransform, qreal pixelRatio) override;
    void didPaint() override;
    bool paintsWholeNext() const override { return wholeNext_; }
    // An item that lies under all the others asked its whole repaint: the desk is painted whole.
    void willPaintWhole() { wholeNext_ = true; }

protected:
    // The canvas hands the scene its pinches.
    bool event(QEvent* event) override;
    void mousePressEvent(QGraphicsSceneMouseEvent* event) override;
    void mouseMoveEvent(QGraphicsSceneMouseEvent* event) override;
    void mouseReleaseEvent(QGraphicsSceneMouseEvent* event) override;
    void wheelEvent(QGraphicsSceneWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    // Tab with no Object view holding the keyboard: the selection walk, not the focus chain.
    bool focusNextPrevChild(bool next) override;
    void dragEnterEvent(QGraphicsSceneDragDropEvent* event) override;
    void dragMoveEvent(QGraphicsSceneDragDropEvent* event) override;
    void dragLeaveEvent(QGraphicsSceneDragDropEvent* event) override;
    void dropEvent(QGraphicsSceneDragDropEvent* event) override;

private:
    int frontMode() const;
    bool siItemViewAt(const QPointF& scenePoint) const;
    void lassoPass();
    bool siItemUnderDropAccepts(const QPointF& scenePoint, const QMimeData* data) const;
    // The Object the drag the desk answers rests on (none over the bare desk, or when the Object
    // takes the drag itself): it hears the first move after the pointer came onto it, the leaving
    // and the drop.
    ZEVDropTargetItem* hoverTargetAt(const QPointF& scenePoint) const;
    void hoverMovedTo(ZEVDropTargetItem* target, DragSource source, bool siAlt);
    void hoverEnded(DragSource source, bool siDropped);
    void scheduleDragEnd();
    void endDrag();
    // The drag is over at once: its number ends and the Space hears of it.
    void endDragSession();
    long sequenceForDrop();
    static Qt::DropAction offeredAction(const QGraphicsSceneDragDropEvent* event, Qt::DropAction wanted);

    ZEVDeskViewer* deskViewer_;            // not owned
    ZEVSpaceForDeskViewers* space_;          // not owned
    ZEVItemViewerForDesks* itemViewer_ = nullptr; // not owned
    ZEVFrontViewServices* frontView_ = nullptr;    // not owned
    bool wholeNext_ = false; // until the next paint

    QPointF initialLoc_;
    bool siMouseDown_ = false;
    bool siLasso_ = false;
    bool siLassoIcon_ = false;
    bool siLassoTitle_ = false;
    bool siLassoNode_ = false;
    bool siCmdLasso_ = false;
    QRectF lassoRect_;
    std::vector<KELI*> initialSelectedIconItems_;
    std::vector<KELI*> initialSelectedTitleItems_;
    std::vector<KELI*> initialSelectedNodeItems_;
    Qt::DropAction dragOperation_ = Qt::IgnoreAction;
    long draggingSequenceNumber_ = 0;
    ZEVDropTargetItem* hovered_ = nullptr; // not owned; checked to be in the scene before use
    bool siSrollWheel_ = false;
    bool siScrollingItemView_ = false;
    Qt::KeyboardModifiers flags_;
    // Where the pinch under way began: over an Object view or not; unknown between pinches.
    std::optional<bool> pincementSurVue_;
    ScheduledTarget guard_{this};
};

} // namespace tallomer
