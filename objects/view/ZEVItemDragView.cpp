// The drag overlay over an Object's icon: link drags start from it in the filter and link modes,
// and it is where a link drag is dropped.

#include "objects/view/ZEVItemView.h"

#include "desk/data/ZEVItemData.h"
#include "desk/pasteboard/ZEVItemPB.h"
#include "objects/view/ZEVConnectingView.h"
#include "objects/view/ZEVInkedPixels.h"
#include "objects/view/ZEVItemStickers.h"
#include "desk/model/ZEVItemOptions.h"
#include "engine/KELServeurDeLiens.h"
#include "objects/viewer/ZEVItemViewer.h"
#include "platform/AppId.h"
#include "runtime/Log.h"
#include "runtime/Scheduler.h"
#include "services/ZEVFrontViewerServices.h"
#include "services/ZEVSpaceForObjectViews.h"

#include <QGraphicsSceneDragDropEvent>
#include <QFileInfo>
#include <QImage>
#include <QMimeData>
#include <QPainter>

#include <algorithm>
#include <map>

namespace tallomer {

ZEVItemDragView::ZEVItemDragView(QGraphicsItem* parent, ZEVItemView* itemView)
    : QGraphicsItem(parent), itemView_(itemView)
{
    setAcceptDrops(true);
    // It only takes presses and drops: the scene skips it in every paint, and keeps no record of
    // where it painted it, a kilobyte per Object.
    setFlag(QGraphicsItem::ItemHasNoContents);
}

void ZEVItemDragView::setSticker(const QImage& image)
{
    if (image.cacheKey() == sticker_.cacheKey() || (image.isNull() && sticker_.isNull()))
        return;
    if (hasSticker())
        itemView_->update(stickerFrame());
    sticker_ = image;
    if (hasSticker())
        itemView_->update(stickerFrame());
}

void ZEVItemDragView::paint(QPainter*, const QStyleOptionGraphicsItem*, QWidget*) {}

namespace {

// A sticker's part that holds pixels, and where it lies in the sticker: the badges are round, and
// the corners a full desk would blend for nothing are a quarter of each.
struct InkedSticker {
    QImage inked;
    QPoint offset;
};

const InkedSticker& inkedSticker(const QImage& sticker)
{
    // One per sticker image: every view shares the few there are.
    static std::map<qint64, InkedSticker> cut;
    auto it = cut.find(sticker.cacheKey());
    if (it == cut.end()) {
        QRect ink = sticker.rect();
        if (sticker.format() == QImage::Format_ARGB32_Premultiplied)
            ink = inkedPixels(sticker, sticker.size());
        it = cut.emplace(sticker.cacheKey(), InkedSticker{ink.isEmpty() ? QImage() : sticker.copy(ink), ink.topLeft()})
                 .first;
    }
    return it->second;
}

} // namespace

void ZEVItemDragView::paintStickerInView(QPainter& painter, const ZEVPaintCut* cut) const
{
    if (sticker_.isNull())
        return;
    // Like the icon beneath it; its cut part alone on a plain painter. A turned one resamples the
    // whole sticker, whose transparent edges its cut would lose.
    const QRectF frame = stickerFrame();
    if (painter.transform().type() > QTransform::TxTranslate) {
        ZEVItemImageView::drawAt(painter, frame, sticker_);
        return;
    }
    const InkedSticker& s = inkedSticker(sticker_);
    if (!s.inked.isNull())
        ZEVItemImageView::drawAt(painter, QRectF(frame.topLeft() + QPointF(s.offset), QSizeF(s.inked.size())), s.inked,
                                 cut);
}

void ZEVItemDragView::setSize(const QSizeF& size)
{
    if (size == size_)
        return;
    // Its sticker moves with it, within its view's frame, which is repainted whole as it resizes.
    prepareGeometryChange();
    size_ = size;
}

bool ZEVItemDragView::siLinkDrag(const QMimeData* data)
{
    return data && data->hasFormat(QLatin1String(kZEVItemDragViewMime));
}

bool ZEVItemDragView::siFolderPath(const QString& path) { return !path.isEmpty() && QFileInfo(path).isDir(); }

bool ZEVItemDragView::siFolderTarget() const
{
    ZEVItemViewer* viewer = itemView_->itemViewer();
    KELI* item = itemView_->item();
    if (!viewer || !item || itemView_->itemType() != QLatin1String("file"))
        return false;
    const std::vector<KELI*> dragged = viewer->draggedItems();
    if (std::find(dragged.begin(), dragged.end(), item) != dragged.end())
        return false;
    return siFolderPath(ZEVItemData::Current().fileUrlForItem(item));
}

bool ZEVItemDragView::siTakesDrag(const QMimeData* data) const
{
    if (siLinkDrag(data))
        return true;
    return data && data->hasFormat(QLatin1String(kZEVItemViewMime)) && siFolderTarget();
}

ZEVConnectingView* ZEVItemDragView::connectingView() const
{
    ZEVSpaceForObjectViews* s = itemView_->space();
    ZEVFrontViewerServices* f = s ? s->frontViewer() : nullptr;
    ZEVFrontViewServices* v = f ? f->frontView() : nullptr;
    return v ? v->connectingView() : nullptr;
}

namespace {
void redrawFront(ZEVSpaceForObjectViews* s)
{
    if (ZEVFrontViewerServices* f = s ? s->frontViewer() : nullptr)
        f->displayFrontView();
}
} // namespace

// ---- the source side ----

void ZEVItemDragView::mouseDown()
{
    ZEVSpaceForObjectViews* s = itemView_->space();
    frontMode_ = s ? s->frontMode() : ZEVFrontModeIcons;
    siMouseDragged_ = false;
    siSelectedViewsAuDrag_ = frontMode_ == ZEVFrontModeLinks && s && s->isNodeSelectedForItem(itemView_->item());
}

bool ZEVItemDragView::mouseDragged(const QPointF& deskPoint)
{
    if (frontMode_ != ZEVFrontModeFilters && frontMode_ != ZEVFrontModeLinks)
        return false;
    if (siMouseDragged_)
        return true; // one drag per press
    ZEVItemViewer* viewer = itemView_->itemViewer();
    ZEVConnectingView* band = connectingView();
    if (!viewer)
        return false;
    ZEVSpaceForObjectViews* s = itemView_->space();

    auto data = std::make_unique<QMimeData>();
    data->setData(QString::fromLatin1(kZEVItemDragViewMime), QByteArray("1"));
    KELI* item = itemView_->item();
    const QString type = itemView_->itemType();
    if (item) {
        const std::vector<ZEVItemPB> record{ZEVItemPB(item, ZEVItemData::Current().uidForItem(item, type),
                                                      itemView_->itemTitle(), type, s ? s->identityInt() : 0)};
        data->setData(QString::fromLatin1(kItemPasteboardType), ZEVItemPB::archive(record));
    }
    itemView_->mouseDownRappelCancel();
    siMouseDragged_ = true;
    if (band) {
        band->removeConnectingLines();
        for (ZEVItemView* v : viewer->majSelectedItemViewsForSelectedItemView(itemView_))
            band->addConnectingLineWithSrcView(v, deskPoint, kSrcRadius, kDstRadius);
        band->setHidden(false);
    }
    itemView_->update();
    redrawFront(s);

    // The drag takes the rest of the press; the view moves nothing.
    itemView_->siMouseDown_ = false;
    itemView_->ungrabMouse();
    QImage image(1, 1, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    itemView_->runDrag(data.release(), image);
    linkDragEnded();
    return true;
}

void ZEVItemDragView::linkDragEnded()
{
    if (ZEVConnectingView* band = connectingView()) {
        band->setHidden(true);
        band->removeConnectingLines();
    }
    itemView_->itemViewAccepteMaj();
    siMouseDragged_ = false;
    ZEVSpaceForObjectViews* s = itemView_->space();
    if (s)
        s->addToHistory();
    redrawFront(s);
}

// ---- the target side ----

bool ZEVItemDragView::siSourceOfTheLines() const
{
    ZEVItemViewer* viewer = itemView_->itemViewer();
    if (!viewer)
        return true;
    const std::vector<ZEVItemView*>& sources = viewer->selectedItemViews();
    if (std::find(sources.begin(), sources.end(), itemView_) != sources.end())
        return true;
    // A band from another desk's views, or none: only its own lines' sources count.
    if (ZEVConnectingView* band = connectingView())
        for (const ZEVConnectingLine& l : band->connectingLines())
            if (l.dragSrcView() == itemView_ || (l.dragSrcView() && l.dragSrcView()->item() == itemView_->item()))
                return true;
    return false;
}

void ZEVItemDragView::setConnectingFlag(bool flag) { itemView_->setSiConnecting(flag); }

Qt::DropAction ZEVItemDragView::draggingEntered()
{
    siDraggingUpdated_ = false;
    if (siSourceOfTheLines()) {
        dragOperation_ = Qt::IgnoreAction;
    } else {
        setConnectingFlag(true);
        if (ZEVConnectingView* band = connectingView())
            band->updateConnectingLinesWithDstItem(itemView_->item());
        itemView_->orderToFront();
        dragOperation_ = Qt::LinkAction;
    }
    redrawFront(itemView_->space());
    return dragOperation_;
}

Qt::DropAction ZEVItemDragView::draggingUpdated()
{
    // Only the first update after an entry does anything.
    if (siDraggingUpdated_)
        return dragOperation_;
    siDraggingUpdated_ = true;
    if (!siSourceOfTheLines())
        setConnectingFlag(true);
    return dragOperation_;
}

void ZEVItemDragView::draggingExited()
{
    if (ZEVConnectingView* band = connectingView())
        band->updateConnectingLinesWithDstItem(nullptr);
    setConnectingFlag(false);
    redrawFront(itemView_->space());
}

bool ZEVItemDragView::performDragOperation()
{
    setConnectingFlag(false);
    ZEVItemViewer* viewer = itemView_->itemViewer();
    ZEVConnectingView* band = connectingView();
    if (!viewer || !band || dragOperation_ == Qt::IgnoreAction)
        return false;
    // Copied: each link's notices may reach the band.
    std::vector<KELI*> sources;
    for (const ZEVConnectingLine& l : band->connectingLines())
        if (l.dragSrcView())
            sources.push_back(l.dragSrcView()->item());
    {
        // Every Object of the band is linked, or none: a full disk that cut the drop short would
        // link some of them and not the others.
        const KELServeurDeLiens::Acte acte(sources.size());
        if (!acte.complet())
            return false;
        for (KELI* source : sources)
            viewer->userRecallLinkWithItem(source, itemView_->item());
    }
    logFormat("ZEVItemDragView performDragOperation: %d links to one Object", int(sources.size()));
    return true;
}

// ---- resting over the Object during the drags the desk answers ----

namespace {
long& lastExitedDrag()
{
    static long n = 0;
    return n;
}
} // namespace

long ZEVItemDragView::LastExitedDrag() { return lastExitedDrag(); }

bool ZEVItemDragView::siSelectedInMode(int mode) const
{
    ZEVSpaceForObjectViews* s = itemView_->space();
    KELI* item = itemView_->item();
    if (!s || !item)
        return false;
    switch (mode) {
    case ZEVFrontModeIcons:
        return s->isIconSelectedForItem(item);
    case ZEVFrontModeTitles:
        return s->isTitleSelectedForItem(item);
    case ZEVFrontModeFilters:
        return s->isFilterSelectedForItem(item);
    case ZEVFrontModeLinks:
        return s->isNodeSelectedForItem(item);
    default:
        return false;
    }
}

void ZEVItemDragView::dragHoverUpdated(HoverDrag kind, bool siAlt)
{
    Scheduler& sched = Scheduler::shared();
    ZEVSpaceForObjectViews* s = itemView_->space();
    if (!s)
        return;
    const int mode = s->frontMode();
    const bool outside = kind == HoverDrag::Outside;
    sched.cancel(this, outside ? kSelectName : kMultiSelectName);
    sched.cancel(this, kDeselectName);
    if (!outside) {
        if (siAlt)
            return;
        // The Object a drag started from is left alone until the drag has once left an Object.
        ZEVItemViewer* viewer = itemView_->itemViewer();
        if (ZEVItemView::DraggingSequence() != lastExitedDrag() && viewer &&
            viewer->siCopiedItemViewForItem(itemView_->item()) &&
            itemView_->imageFrame().contains(ZEVItemView::DraggingFirstClickPoint()))
            return;
    }
    if (mode < ZEVFrontModeIcons || mode > ZEVFrontModeLinks)
        return;
    if (siSelectedInMode(mode))
        sched.perform(this, kDeselectName, kDeselectDelay, [this] { deselectDraggingItem(); });
    else if (outside)
        sched.perform(this, kSelectName, s->siApplicationActive() ? kSelectDelay : kSelectDelayInactive,
                      [this] { selectDraggingItem(); });
    else
        sched.perform(this, kMultiSelectName, kMultiSelectDelay, [this] { multiSelectDraggingItem(); });
}

void ZEVItemDragView::dragHoverExited(HoverDrag kind)
{
    Scheduler& sched = Scheduler::shared();
    if (kind == HoverDrag::Outside) {
        sched.cancel(this, kSelectName);
    } else {
        lastExitedDrag() = ZEVItemView::DraggingSequence();
        sched.cancel(this, kMultiSelectName);
    }
    sched.cancel(this, kDeselectName);
}

void ZEVItemDragView::dragHoverDropped(HoverDrag kind)
{
    Scheduler& sched = Scheduler::shared();
    sched.cancel(this, kind == HoverDrag::Outside ? kSelectName : kMultiSelectName);
    sched.cancel(this, kDeselectName);
}

void ZEVItemDragView::draggingEnded()
{
    ZEVSpaceForObjectViews* s = itemView_->space();
    ZEVFrontViewerServices* f = s ? s->frontViewer() : nullptr;
    // The key's release went to the drag: a release of Alt with no modifier ends the quasimode.
    if (f && f->isUserChangingFlag())
        f->userChangeFlag(Qt::Key_Alt, Qt::NoModifier);
}

namespace {
// The Object chosen in the front mode, alone or added to the mode's selection; false outside the
// four modes.
bool chooseInMode(ZEVSpaceForObjectViews& s, KELI* item, bool adding)
{
    switch (s.frontMode()) {
    case ZEVFrontModeIcons:
        adding ? s.multiSelectIconForItem(item) : s.selectIconForItem(item);
        return true;
    case ZEVFrontModeTitles:
        adding ? s.multiSelectTitleForItem(item) : s.selectTitleForItem(item);
        return true;
    case ZEVFrontModeFilters:
        if (adding) {
            std::vector<KELI*> filters = s.selectedFilterItems();
            filters.push_back(item);
            s.selectFilterForItemSet(filters, nullptr);
        } else {
            s.selectFilterForItem(item);
        }
        return true;
    case ZEVFrontModeLinks:
        adding ? s.multiSelectNodeForItem(item) : s.selectNodeForItem(item);
        return true;
    default:
        return false;
    }
}
} // namespace

void ZEVItemDragView::selectDraggingItem()
{
    ZEVSpaceForObjectViews* s = itemView_->space();
    KELI* item = itemView_->item();
    if (!s || !item || !chooseInMode(*s, item, false))
        return;
    // The keys go to the Object just chosen.
    itemView_->setFocus();
    itemView_->orderToFront();
}

void ZEVItemDragView::multiSelectDraggingItem()
{
    ZEVSpaceForObjectViews* s = itemView_->space();
    KELI* item = itemView_->item();
    if (!s || !item)
        return;
    if (itemView_->itemType() == QLatin1String("zevp")) {
        if (ZEVItemViewer* viewer = itemView_->itemViewer())
            viewer->userOpenItem(item, false);
        return;
    }
    if (!chooseInMode(*s, item, true))
        return;
    itemView_->setFocus();
    itemView_->orderToFront();
}

void ZEVItemDragView::deselectDraggingItem()
{
    ZEVSpaceForObjectViews* s = itemView_->space();
    KELI* item = itemView_->item();
    if (!s || !item)
        return;
    switch (s->frontMode()) {
    case ZEVFrontModeIcons:
        s->deselectIconForItem(item);
        break;
    case ZEVFrontModeTitles:
        s->deselectTitleForItem(item);
        break;
    case ZEVFrontModeFilters: {
        std::vector<KELI*> filters = s->selectedFilterItems();
        std::erase(filters, item);
        s->selectFilterForItemSet(filters, nullptr);
        break;
    }
    case ZEVFrontModeLinks:
        s->deselectNodeForItem(item);
        break;
    default:
        break;
    }
}

void ZEVItemDragView::dragEnterEvent(QGraphicsSceneDragDropEvent* event)
{
    const QMimeData* data = event->mimeData();
    siDragInFolder_ = siDraggableInFolder_ = false;
    if (siLinkDrag(data)) {
        event->setDropAction(draggingEntered());
        // Taken even when refused, so that the desk beneath does not answer for it.
        event->accept();
        return;
    }
    if (!siTakesDrag(data)) {
        event->ignore();
        return;
    }
    // Objects over a folder Object.
    siDragInFolder_ = true;
    siDraggingUpdated_ = false;
    itemView_->setSiShowTitle(true);
    itemView_->orderToFront();
    itemView_->showCadreStart();
    if (siItemOption(itemView_->item(), ZEVOPTION_HOLD_BY_SYSTEM))
        itemView_->addSticker(ZEVItemStickers::kWarning);
    ZEVItemViewer* viewer = itemView_->itemViewer();
    dragOperation_ = viewer ? viewer->userWillDragToFolderItemView(itemView_, event->modifiers()) : Qt::IgnoreAction;
    siDraggableInFolder_ = dragOperation_ != Qt::IgnoreAction;
    event->setDropAction(dragOperation_);
    event->accept();
}

void ZEVItemDragView::dragMoveEvent(QGraphicsSceneDragDropEvent* event)
{
    Qt::DropAction a = dragOperation_;
    if (siDragInFolder_) {
        // The first update after the entry asks again, with the keys held now.
        if (!siDraggingUpdated_) {
            siDraggingUpdated_ = true;
            if (ZEVItemViewer* viewer = itemView_->itemViewer())
                dragOperation_ = viewer->userWillDragToFolderItemView(itemView_, event->modifiers());
            siDraggableInFolder_ = dragOperation_ != Qt::IgnoreAction;
        }
        a = dragOperation_;
    } else {
        a = draggingUpdated();
    }
    event->setDropAction(a);
    event->setAccepted(a != Qt::IgnoreAction);
}

void ZEVItemDragView::dragLeaveEvent(QGraphicsSceneDragDropEvent*)
{
    if (!siDragInFolder_) {
        draggingExited();
        return;
    }
    siDragInFolder_ = false;
    // The stickers follow the options again.
    if (ZEVItemViewer* viewer = itemView_->itemViewer())
        for (ZEVItemView* v : viewer->draggedItemViews())
            v->addSticker(ZEVItemStickers::kForOptions);
    itemView_->addSticker(ZEVItemStickers::kForOptions);
    itemView_->setSiShowTitle(false);
    itemView_->showCadreStop();
}

void ZEVItemDragView::dropEvent(QGraphicsSceneDragDropEvent* event)
{
    if (siDragInFolder_) {
        siDragInFolder_ = false;
        ZEVItemViewer* viewer = itemView_->itemViewer();
        if (siDraggableInFolder_ && viewer)
            viewer->userDragToFolderItemView(itemView_, event->modifiers());
        itemView_->setSiShowTitle(false);
        itemView_->showCadreStop();
        draggingEnded();
        event->setDropAction(dragOperation_);
        event->setAccepted(siDraggableInFolder_);
        return;
    }
    const bool ok = performDragOperation();
    draggingEnded();
    if (ok)
        event->setDropAction(Qt::LinkAction);
    event->setAccepted(ok);
}

} // namespace tallomer
