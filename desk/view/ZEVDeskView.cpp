#include "desk/view/ZEVDeskView.h"

#include "desk/data/ZEVItemData.h"
#include "desk/pasteboard/ZEVItemPB.h"
#include "desk/pasteboard/ZEVPasteboard.h"
#include "platform/AppId.h"
#include "platform/pasteboard/OutgoingObjects.h"
#include "desk/model/ZEVDeskClass.h"
#include "services/ZEVSpaceForDeskViewers.h"
#include "desk/viewer/ZEVDeskViewer.h"
#include "engine/KELICurseur.h"
#include "runtime/Log.h"
#include "services/ZEVFrontViewerServices.h"
#include "services/ZEVItemViewForDesks.h"
#include "services/ZEVItemViewerForDesks.h"
#include "space/desk/ZEVDeskGeometry.h"

#include <QApplication>
#include <QClipboard>
#include <QGraphicsSceneDragDropEvent>
#include <QGraphicsSceneMouseEvent>
#include <QGraphicsItem>
#include <QGraphicsSceneWheelEvent>
#include <QNativeGestureEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QUrl>

#include <algorithm>

namespace tallomer {

namespace {
constexpr char kScrollWheelStop[] = "_scrollWheelStop";
constexpr char kActivate[] = "activateTallomer";
constexpr char kDragStop[] = "draggingSessionDidStop";
constexpr char kActivatePrevious[] = "activatePreviousApp";
constexpr double kWheelQuiet = 0.2;
constexpr double kDragDelay = 0.8;
// A drag seen from outside the program is reported this much higher while the program is not
// active (the pointer is then measured from below the menu bar).
constexpr double kInactiveLift = 23.0;

bool contient(const std::vector<KELI*>& v, KELI* i) { return std::find(v.begin(), v.end(), i) != v.end(); }
} // namespace

ZEVDeskView::ZEVDeskView(const QRectF& frame, ZEVDeskViewer* deskViewer, ZEVSpaceForDeskViewers* space)
    : deskViewer_(deskViewer), space_(space)
{
    setSceneRect(QRectF(QPointF(0, 0), frame.size()));
    setItemIndexMethod(QGraphicsScene::NoIndex);
}

ZEVDeskView::~ZEVDeskView() = default;

void ZEVDeskView::willPaint(const QRegion& exposed, const QTransform& viewportTransform, qreal pixelRatio)
{
    if (itemViewer_)
        itemViewer_->willPaint(*this, exposed, viewportTransform, pixelRatio);
}

void ZEVDeskView::didPaint()
{
    wholeNext_ = false;
    if (itemViewer_)
        itemViewer_->didPaint();
}

void ZEVDeskView::setFrame(const QRectF& frame)
{
    if (space_)
        space_->updateSpaceRatio(frame.width(), frame.height());
    setSceneRect(QRectF(QPointF(0, 0), frame.size()));
}

QPointF ZEVDeskView::deskPoint(const QPointF& scenePoint) const
{
    return qtPoint(sceneRect().height(), scenePoint);
}

int ZEVDeskView::frontMode() const { return space_ ? space_->frontMode() : ZEVFrontModeIcons; }

// ---------------------------------------------------------------------------------------------
// Mouse and lasso

void ZEVDeskView::mouseDown(const QPointF& p)
{
    siMouseDown_ = true;
    initialLoc_ = p;
    if (frontView_)
        frontView_->setSiMouseDownInDeskView();
    setFocusItem(nullptr);
}

void ZEVDeskView::mouseDragged(const QPointF& p, bool siCmd)
{
    if (!siMouseDown_)
        return;
    if (!siLasso_) {
        siLasso_ = true;
        siCmdLasso_ = siCmd;
        const int mode = frontMode();
        if (mode == ZEVFrontModeTitles) {
            if (!siCmd && space_)
                space_->deselectAllTitles();
            initialSelectedTitleItems_ = space_ ? space_->selectedTitleItems() : std::vector<KELI*>{};
            siLassoTitle_ = true;
        } else if (mode == ZEVFrontModeLinks) {
            if (!siCmd && space_)
                space_->deselectAllNodes();
            initialSelectedNodeItems_ = space_ ? space_->selectedNodeItems() : std::vector<KELI*>{};
            siLassoNode_ = true;
        } else {
            if (!siCmd && space_ && !space_->selectedIconItems().empty())
                space_->deselectAllIcons();
            initialSelectedIconItems_ = space_ ? space_->selectedIconItems() : std::vector<KELI*>{};
            siLassoIcon_ = true;
        }
        if (ZEVFrontViewerServices* fv = space_ ? space_->frontViewer() : nullptr)
            fv->lassoDidStart();
    }
    siCmdLasso_ = siCmd;
    lassoRect_ = QRectF(initialLoc_, p).normalized();
    if (frontView_)
        frontView_->setLassoFromPoint(initialLoc_, p);
    lassoPass();
}

void ZEVDeskView::lassoPass()
{
    if (!deskViewer_ || !space_)
        return;
    const bool node = siLassoNode_, title = siLassoTitle_;
    const std::vector<KELI*>& initial =
        node ? initialSelectedNodeItems_ : title ? initialSelectedTitleItems_ : initialSelectedIconItems_;
    const std::vector<ZEVItemViewForDesks*> views = deskViewer_->itemViewSet();
    for (ZEVItemViewForDesks* v : views) {
        if (!node && v->isHidden())
            continue;
        KELI* item = v->item();
        const bool hit = lassoRect_.intersects(v->imageFrame());
        const bool sel = node ? space_->isNodeSelectedForItem(item)
                              : title ? space_->isTitleSelectedForItem(item) : space_->isIconSelectedForItem(item);
        const bool doit = siCmdLasso_ ? hit != contient(initial, item) : hit;
        if (doit && !sel) {
            v->orderToFront();
            if (node)
                space_->multiSelectNodeForItem(item);
            else if (title)
                space_->multiSelectTitleForItem(item);
            else
                space_->multiSelectIconForItem(item);
        } else if (!doit && sel) {
            if (node)
                space_->deselectNodeForItem(item);
            else if (title)
                space_->deselectTitleForItem(item);
            else
                space_->deselectIconForItem(item);
            v->orderToBack();
        }
        if (QGraphicsItem* g = v->graphicsItem())
            g->update();
    }
}

void ZEVDeskView::mouseUp()
{
    if (siLasso_ && deskViewer_ && space_) {
        KELI* dernier = nullptr;
        if (siLassoIcon_ || siLassoTitle_) {
            const std::vector<KELI*> s = siLassoIcon_ ? space_->selectedIconItems() : space_->selectedTitleItems();
            dernier = s.empty() ? nullptr : s.back();
        } else if (siLassoNode_) {
            const std::vector<KELI*> s = space_->selectedNodeItems();
            dernier = s.empty() ? nullptr : s.front();
        }
        if (ZEVItemViewForDesks* v = dernier ? deskViewer_->itemViewForItem(dernier) : nullptr)
            if (QGraphicsItem* g = v->graphicsItem())
                g->setFocus();
        if (ZEVFrontViewerServices* fv = space_->frontViewer())
            fv->lassoDidStop();
    }
    siLasso_ = siLassoIcon_ = siLassoTitle_ = siLassoNode_ = siMouseDown_ = false;
    siCmdLasso_ = false;
    lassoRect_ = QRectF();
}

void ZEVDeskView::mousePressEvent(QGraphicsSceneMouseEvent* event)
{
    QGraphicsScene::mousePressEvent(event);
    if (mouseGrabberItem())
        return; // an Object view took it
    event->accept();
    if (event->button() == Qt::LeftButton)
        mouseDown(deskPoint(event->scenePos()));
    else if (deskViewer_ && event->button() == Qt::RightButton)
        if (QMenu* menu = deskViewer_->menuForFrontView())
            menu->popup(event->screenPos());
}

void ZEVDeskView::mouseMoveEvent(QGraphicsSceneMouseEvent* event)
{
    if (siMouseDown_) {
        mouseDragged(deskPoint(event->scenePos()), event->modifiers() & Qt::ControlModifier);
        return;
    }
    QGraphicsScene::mouseMoveEvent(event);
    if (event->buttons() == Qt::NoButton && space_)
        space_->mouseMovedInLocation(deskPoint(event->scenePos()));
}

void ZEVDeskView::mouseReleaseEvent(QGraphicsSceneMouseEvent* event)
{
    if (siMouseDown_) {
        mouseUp();
        return;
    }
    QGraphicsScene::mouseReleaseEvent(event);
}

// ---------------------------------------------------------------------------------------------
// Wheel

bool ZEVDeskView::scrollWheel(WheelPhase phase, Qt::KeyboardModifiers modifiers, QGraphicsSceneWheelEvent* event)
{
    if (siScrollingItemView_ || siSrollWheel_) {
        siSrollWheel_ = true;
        Scheduler::shared().cancel(this, kScrollWheelStop);
        Scheduler::shared().perform(this, kScrollWheelStop, kWheelQuiet, [this] { siSrollWheel_ = false; });
        return false;
    }
    bool passer = false;
    switch (phase) {
    case WheelPhase::Began:
        flags_ = modifiers;
        passer = true;
        break;
    case WheelPhase::Changed:
        passer = modifiers == flags_;
        break;
    case WheelPhase::None:
        passer = true;
        break;
    default:
        break;
    }
    if (passer && space_)
        space_->rulerScrollWheel(event);
    return passer;
}

bool ZEVDeskView::event(QEvent* event)
{
    if (event->type() == QEvent::NativeGesture) {
        magnify(static_cast<QNativeGestureEvent*>(event));
        return true;
    }
    return QGraphicsScene::event(event);
}

bool ZEVDeskView::siItemViewAt(const QPointF& scenePoint) const
{
    for (QGraphicsItem* i : items(scenePoint))
        for (QGraphicsItem* p = i; p; p = p->parentItem())
            if (p->isVisible() && dynamic_cast<ZEVItemViewForDesks*>(p))
                return true;
    return false;
}

bool ZEVDeskView::magnify(QNativeGestureEvent* event)
{
    switch (event->gestureType()) {
    case Qt::BeginNativeGesture:
        pincementSurVue_ = siItemViewAt(event->position());
        return false;
    case Qt::EndNativeGesture:
        pincementSurVue_.reset();
        return false;
    case Qt::ZoomNativeGesture:
        break;
    default:
        return false;
    }
    // A zoom that came without its beginning is placed by its own position.
    if (!pincementSurVue_)
        pincementSurVue_ = siItemViewAt(event->position());
    if (*pincementSurVue_) {
        // The Object view under the pinch resizes itself.
        for (QGraphicsItem* i : items(event->position()))
            for (QGraphicsItem* p = i; p; p = p->parentItem())
                if (auto* v = dynamic_cast<ZEVItemViewForDesks*>(p); v && p->isVisible()) {
                    v->magnifyItemViewWithEvent(event->value());
                    return false;
                }
        return false;
    }
    if (!space_)
        return false;
    space_->rulerMagnify(event);
    return true;
}

void ZEVDeskView::wheelEvent(QGraphicsSceneWheelEvent* event)
{
    QGraphicsScene::wheelEvent(event);
    if (event->isAccepted() && mouseGrabberItem())
        return;
    WheelPhase phase = WheelPhase::Other;
    switch (event->phase()) {
    case Qt::NoScrollPhase:
        phase = WheelPhase::None;
        break;
    case Qt::ScrollBegin:
        phase = WheelPhase::Began;
        break;
    case Qt::ScrollUpdate:
    case Qt::ScrollMomentum:
        phase = WheelPhase::Changed;
        break;
    default:
        break;
    }
    scrollWheel(phase, event->modifiers(), event);
    event->accept();
}

// ---------------------------------------------------------------------------------------------
// Keys and edit commands

void ZEVDeskView::keyPressEvent(QKeyEvent* event)
{
    if (focusItem()) {
        QGraphicsScene::keyPressEvent(event);
        if (event->isAccepted())
            return;
    }
    // The selection walk has no other home until the front layer takes the keys.
    if (deskViewer_ && (event->key() == Qt::Key_Tab || event->key() == Qt::Key_Backtab)) {
        if (event->key() == Qt::Key_Backtab || (event->modifiers() & Qt::ShiftModifier))
            deskViewer_->userSelectPrevious();
        else
            deskViewer_->userSelectNext();
        event->accept();
        return;
    }
    if (frontView_)
        frontView_->keyDown(event);
}

bool ZEVDeskView::focusNextPrevChild(bool next)
{
    if (!deskViewer_)
        return QGraphicsScene::focusNextPrevChild(next);
    if (next)
        deskViewer_->userSelectNext();
    else
        deskViewer_->userSelectPrevious();
    return true;
}

void ZEVDeskView::keyReleaseEvent(QKeyEvent* event)
{
    if (focusItem()) {
        QGraphicsScene::keyReleaseEvent(event);
        if (event->isAccepted())
            return;
    }
    if (frontView_)
        frontView_->keyUp(event);
}

void ZEVDeskView::selectAll()
{
    if (deskViewer_ && space_) {
        const int mode = frontMode();
        KELI* dernier = nullptr;
        switch (mode) {
        case ZEVFrontModeIcons: {
            deskViewer_->userSelectAllIcons();
            const auto s = space_->selectedIconItems();
            dernier = s.empty() ? nullptr : s.back();
            break;
        }
        case ZEVFrontModeTitles: {
            deskViewer_->userSelectAllTitles();
            const auto s = space_->selectedTitleItems();
            dernier = s.empty() ? nullptr : s.back();
            break;
        }
        case ZEVFrontModeFilters: {
            deskViewer_->userSelectAllFiltres();
            const auto s = space_->selectedFilterItems();
            dernier = s.empty() ? nullptr : s.back();
            break;
        }
        case ZEVFrontModeLinks: {
            deskViewer_->userSelectAllNodes();
            const auto s = space_->selectedNodeItems();
            dernier = s.empty() ? nullptr : s.front();
            break;
        }
        default:
            break;
        }
        if (ZEVItemViewForDesks* v = dernier ? deskViewer_->itemViewForItem(dernier) : nullptr)
            if (QGraphicsItem* g = v->graphicsItem())
                g->setFocus();
    }
    if (space_)
        space_->addToHistory();
}

std::unique_ptr<QMimeData> ZEVDeskView::mimeDataForItemViews(const std::vector<ZEVItemViewForDesks*>& views,
                                                            ZEVDeskClass* model)
{
    auto data = std::make_unique<QMimeData>();
    OutgoingObjects out;
    std::vector<ZEVItemPB> records;
    for (ZEVItemViewForDesks* v : views) {
        KELI* item = v ? v->item() : nullptr;
        if (!item)
            continue;
        const std::string type = model ? model->itemTypeForItem(item).value_or("") : std::string();
        if (type == "file") {
            const QString path = ZEVItemData::Current().fileUrlForItem(item);
            const QUrl url = path.startsWith('/') ? QUrl::fromLocalFile(path) : QUrl(path);
            if (url.isLocalFile())
                out.addFile(url);
        } else if (type == "http") {
            const QString webloc = ZEVItemData::Current().files().weblocUrlForItem(item, v->itemTitle());
            const QUrl location = webloc.isEmpty()         ? QUrl()
                                  : webloc.startsWith('/') ? QUrl::fromLocalFile(webloc)
                                                           : QUrl(webloc);
            out.addWebLink(location, ZEVItemData::Current().uidForItem(item, QStringLiteral("http")), v->itemTitle());
        } else {
            const QString kind = QString::fromStdString(type);
            records.emplace_back(item, ZEVItemData::Current().uidForItem(item, kind), v->itemTitle(), kind,
                                 item->channelInt());
            out.addText(v->itemTitle());
        }
    }
    if (out.isEmpty() && records.empty())
        return nullptr;
    out.writeTo(*data);
    if (!records.empty())
        data->setData(QString::fromLatin1(kItemPasteboardType), ZEVItemPB::archive(records));
    return data;
}

bool ZEVDeskView::copy()
{
    const std::vector<ZEVItemViewForDesks*> views =
        itemViewer_ ? itemViewer_->visibleItemViewsForMode(frontMode()) : std::vector<ZEVItemViewForDesks*>{};
    ZEVDeskClass* model = nullptr;
    if (space_)
        if (ZEVDeskViewer* dv = space_->deskViewerForCurseur(space_->actifCurseur()))
            model = dv->deskClass();
    if (!model && deskViewer_)
        model = deskViewer_->deskClass();
    std::unique_ptr<QMimeData> data = mimeDataForItemViews(views, model);
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!data || !clipboard) {
        if (space_)
            space_->beep();
        return false;
    }
    clipboard->setMimeData(data.release());
    return true;
}

void ZEVDeskView::cut()
{
    // Nothing leaves the desk unless it reached the clipboard first.
    if (!copy())
        return;
    ZEVFrontViewerServices* fv = space_ ? space_->frontViewer() : nullptr;
    if (!fv)
        return;
    if (space_->actifCurseur() && space_->actifCurseur() == space_->nowCurseur())
        fv->userReleaseNow();
    else
        fv->userReleaseSearch();
}

void ZEVDeskView::paste()
{
    if (!deskViewer_)
        return;
    // A paste is numbered as a drag is: the reader never takes it for the last drag it read.
    const QClipboard* clipboard = QGuiApplication::clipboard();
    ZEVPasteboard::AnalysePasteboard(clipboard ? clipboard->mimeData() : nullptr, nextDragSequenceNumber());
    deskViewer_->userPerformPaste();
}

void ZEVDeskView::cancelOperation() { logLine("ZEVDeskView cancelOperation: (null)"); }

// ---------------------------------------------------------------------------------------------
// Drag destination

ZEVDeskView::DragSource ZEVDeskView::sourceOf(const QMimeData* data)
{
    if (!data)
        return DragSource::Other;
    if (data->hasFormat(QLatin1String(kZEVItemDragViewMime)))
        return DragSource::Overlay;
    if (data->hasFormat(QLatin1String(kZEVItemViewMime)))
        return DragSource::ItemView;
    if (data->hasFormat(QLatin1String(kZEVTableViewMime)))
        return DragSource::Table;
    return DragSource::Other;
}

void ZEVDeskView::scheduleDragEnd()
{
    Scheduler::shared().cancel(this, kDragStop);
    Scheduler::shared().perform(this, kDragStop, kDragDelay, [this] {
        if (space_)
            space_->draggingSessionDidStop();
    });
}

long ZEVDeskView::nextDragSequenceNumber()
{
    static long counter = 0;
    return ++counter;
}

Qt::DropAction ZEVDeskView::allowedAction(Qt::DropAction wanted, Qt::DropActions possible)
{
    if (wanted == Qt::IgnoreAction)
        return Qt::IgnoreAction;
    if (possible.testFlag(wanted) && wanted != Qt::MoveAction)
        return wanted;
    if (possible.testFlag(Qt::CopyAction))
        return Qt::CopyAction;
    if (possible.testFlag(Qt::LinkAction))
        return Qt::LinkAction;
    return Qt::IgnoreAction;
}

void ZEVDeskView::endDrag()
{
    // The number dies with its drag: a later drag, or a paste, is always read afresh.
    if (draggingSequenceNumber_ != 0)
        ZEVPasteboard::EndAnalysis(draggingSequenceNumber_);
    draggingSequenceNumber_ = 0;
}

Qt::DropAction ZEVDeskView::draggingEntered(DragSource source, const QMimeData* data)
{
    if (source == DragSource::Overlay) {
        dragOperation_ = Qt::IgnoreAction;
    } else if (source == DragSource::ItemView) {
        dragOperation_ = Qt::LinkAction;
    } else {
        if (source != DragSource::Table && space_) {
            Scheduler::shared().cancel(space_, kActivate);
            ZEVSpaceForDeskViewers* s = space_;
            Scheduler::shared().perform(space_, kActivate, kDragDelay, [s] { s->activateTallomer(); });
        }
        // The platform may hand every drag the same mime object, so nothing of it can tell one
        // drag from the next: each entry is a drag of its own, numbered once for the whole
        // program so that the other desk never takes it for one it has seen.
        draggingSequenceNumber_ = nextDragSequenceNumber();
        dragOperation_ =
            deskViewer_ ? deskViewer_->dragOperationForDraggingInfo(data, draggingSequenceNumber_) : Qt::IgnoreAction;
    }
    if (space_)
        space_->draggingSessionStartedWithInteger(draggingSequenceNumber_);
    return dragOperation_;
}

Qt::DropAction ZEVDeskView::draggingUpdated(DragSource source, bool siAlt, const QPointF& p)
{
    if (source == DragSource::ItemView && itemViewer_)
        itemViewer_->copiedItemViewsMovedTo(p);
    if (source == DragSource::ItemView && siAlt)
        return Qt::CopyAction;
    if (space_) {
        QPointF w = p;
        if (!QGuiApplication::focusWindow())
            w.ry() += kInactiveLift;
        space_->mouseMovedInLocation(w);
    }
    return dragOperation_;
}

void ZEVDeskView::draggingExited(DragSource source)
{
    if (source == DragSource::Other && space_)
        Scheduler::shared().cancel(space_, kActivate);
    endDrag();
    scheduleDragEnd();
}

bool ZEVDeskView::performDragOperation(DragSource source, bool siAlt, const QMimeData* data, const QPointF& p)
{
    bool ok = false;
    switch (source) {
    case DragSource::Overlay:
        ok = false;
        break;
    case DragSource::ItemView:
        if (itemViewer_) {
            if (siAlt)
                itemViewer_->userDuplicateSelectedItemViews();
            else
                itemViewer_->userRecallSelectedItemViewsVersNowCurseur();
        }
        ok = true;
        break;
    case DragSource::Table:
        ok = deskViewer_ && deskViewer_->userPerformDragWithInfo(data, p, sequenceForDrop());
        break;
    case DragSource::Other:
        if (space_)
            Scheduler::shared().cancel(space_, kActivate);
        if (dragOperation_ != Qt::IgnoreAction && space_ && !space_->siCancelDraggingSession()) {
            ok = deskViewer_ && deskViewer_->userPerformDragWithInfo(data, p, sequenceForDrop());
            if (ok) {
                ZEVSpaceForDeskViewers* s = space_;
                Scheduler::shared().perform(space_, kActivatePrevious, kDragDelay, [s] { s->activatePreviousApp(); });
            }
        }
        break;
    }
    endDragSession();
    return ok;
}

void ZEVDeskView::endDragSession()
{
    endDrag();
    Scheduler::shared().cancel(this, kDragStop);
    if (space_)
        space_->draggingSessionDidStop();
}

long ZEVDeskView::sequenceForDrop()
{
    // A drop that no entry announced is a drag of its own.
    if (draggingSequenceNumber_ == 0)
        draggingSequenceNumber_ = nextDragSequenceNumber();
    return draggingSequenceNumber_;
}

bool ZEVDeskView::siItemUnderDropAccepts(const QPointF& scenePoint, const QMimeData* data) const
{
    for (QGraphicsItem* i : items(scenePoint))
        if (auto* t = dynamic_cast<ZEVDropTargetItem*>(i); t && i->acceptDrops() && i->isEnabled())
            return t->siTakesDrag(data);
    return false;
}

ZEVDropTargetItem* ZEVDeskView::hoverTargetAt(const QPointF& scenePoint) const
{
    for (QGraphicsItem* i : items(scenePoint))
        if (auto* t = dynamic_cast<ZEVDropTargetItem*>(i); t && i->acceptDrops() && i->isEnabled() && i->isVisible())
            return t;
    return nullptr;
}

namespace {
ZEVDropTargetItem::HoverDrag hoverKind(ZEVDeskView::DragSource source)
{
    return source == ZEVDeskView::DragSource::ItemView ? ZEVDropTargetItem::HoverDrag::Objects
                                                      : ZEVDropTargetItem::HoverDrag::Outside;
}
} // namespace

void ZEVDeskView::hoverMovedTo(ZEVDropTargetItem* target, DragSource source, bool siAlt)
{
    if (target == hovered_)
        return; // only the first move over an Object does anything
    hoverEnded(source, false);
    hovered_ = target;
    if (hovered_ && source != DragSource::Overlay)
        hovered_->dragHoverUpdated(hoverKind(source), siAlt);
}

void ZEVDeskView::hoverEnded(DragSource source, bool siDropped)
{
    ZEVDropTargetItem* t = hovered_;
    hovered_ = nullptr;
    // The Object may have gone during the drag.
    if (!t || source == DragSource::Overlay)
        return;
    const QList<QGraphicsItem*> all = items();
    if (std::none_of(all.begin(), all.end(), [t](QGraphicsItem* i) { return dynamic_cast<ZEVDropTargetItem*>(i) == t; }))
        return;
    if (siDropped) {
        t->dragHoverDropped(hoverKind(source));
        t->draggingEnded();
    } else {
        t->dragHoverExited(hoverKind(source));
    }
}

Qt::DropAction ZEVDeskView::offeredAction(const QGraphicsSceneDragDropEvent* event, Qt::DropAction wanted)
{
    const DragSource source = sourceOf(event->mimeData());
    if (source == DragSource::Other || source == DragSource::Table)
        return allowedAction(wanted, event->possibleActions());
    return wanted;
}

void ZEVDeskView::dragEnterEvent(QGraphicsSceneDragDropEvent* event)
{
    QGraphicsScene::dragEnterEvent(event);
    event->setDropAction(offeredAction(event, draggingEntered(sourceOf(event->mimeData()), event->mimeData())));
    event->accept();
}

void ZEVDeskView::dragMoveEvent(QGraphicsSceneDragDropEvent* event)
{
    // Link drags, and Objects over a folder Object, go to the Objects' overlays; the scene tells
    // an overlay it is left too. The copies of dragged Objects follow the pointer all the same.
    const DragSource source = sourceOf(event->mimeData());
    if (source == DragSource::Overlay || source == DragSource::ItemView) {
        QGraphicsScene::dragMoveEvent(event);
        if (siItemUnderDropAccepts(event->scenePos(), event->mimeData())) {
            hoverMovedTo(nullptr, source, false);
            if (source == DragSource::ItemView && itemViewer_)
                itemViewer_->copiedItemViewsMovedTo(deskPoint(event->scenePos()));
            return;
        }
    }
    hoverMovedTo(hoverTargetAt(event->scenePos()), source, event->modifiers() & Qt::AltModifier);
    const Qt::DropAction a = offeredAction(
        event, draggingUpdated(source, event->modifiers() & Qt::AltModifier, deskPoint(event->scenePos())));
    event->setDropAction(a);
    event->setAccepted(a != Qt::IgnoreAction);
}

void ZEVDeskView::dragLeaveEvent(QGraphicsSceneDragDropEvent* event)
{
    QGraphicsScene::dragLeaveEvent(event);
    hoverEnded(sourceOf(event->mimeData()), false);
    draggingExited(sourceOf(event->mimeData()));
}

void ZEVDeskView::dropEvent(QGraphicsSceneDragDropEvent* event)
{
    if (siItemUnderDropAccepts(event->scenePos(), event->mimeData())) {
        QGraphicsScene::dropEvent(event);
        endDragSession();
        return;
    }
    const DragSource source = sourceOf(event->mimeData());
    hoverEnded(source, true);
    const Qt::DropAction action = offeredAction(event, dragOperation_);
    if ((source == DragSource::Other || source == DragSource::Table) && action == Qt::IgnoreAction) {
        // The drag offers none of the actions a drop here could take: it lands nothing.
        if (space_)
            Scheduler::shared().cancel(space_, kActivate);
        endDragSession();
        event->ignore();
        return;
    }
    const bool ok = performDragOperation(source, event->modifiers() & Qt::AltModifier, event->mimeData(),
                                         deskPoint(event->scenePos()));
    if (ok)
        event->setDropAction(action);
    event->setAccepted(ok);
}

} // namespace tallomer
