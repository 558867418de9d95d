// How an Object view answers the pointer and the keys: a press selects in the front mode, a drag
// moves the selected icons, a double click opens, the arrows move or size the selected icons on
// the desk's grid, Escape takes a move back. The wheel and the pinch resize (ZEVItemViewResize),
// a long press drags copies out (ZEVItemRecallDrag).

#include "objects/view/ZEVItemView.h"

#include "desk/model/ZEVItemOptions.h"
#include "desk/view/ZEVDeskView.h"
#include "objects/viewer/ZEVItemViewer.h"
#include "runtime/Scheduler.h"
#include "services/ZEVFrontViewerServices.h"
#include "services/ZEVSpaceForObjectViews.h"
#include "space/desk/ZEVDeskGeometry.h"

#include <QGraphicsSceneMouseEvent>
#include <QGraphicsSceneWheelEvent>
#include <QGraphicsScene>
#include <QKeyEvent>

#include <algorithm>
#include <cmath>

namespace tallomer {

namespace {
constexpr char kCadreStop[] = "_siShowCadreStop";
constexpr double kGrid = 200;

QPointF floored(const QPointF& p) { return QPointF(std::floor(p.x()), std::floor(p.y())); }

bool isArrow(int key) { return key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_Left || key == Qt::Key_Right; }
} // namespace

QRectF ZEVItemView::hitRect() const
{
    const QRectF image = imageFrame();
    ZEVSpaceForObjectViews* s = space();
    if (s && s->isIconSelectedForItem(item_))
        return image.adjusted(-10, -10, 10, 10);
    return image;
}

QPointF ZEVItemView::deskPointOf(const QPointF& scenePoint) const
{
    ZEVDeskViewerForObjectViews* desk = itemViewer_ ? itemViewer_->deskViewer() : nullptr;
    const double h = desk ? desk->deskHeight() : 0;
    return qtPoint(h, scenePoint);
}

void ZEVItemView::showCadreBriefly()
{
    siShowCadre_ = true;
    update();
    Scheduler::shared().cancel(cible(), kCadreStop);
    Scheduler::shared().perform(cible(), kCadreStop, kCadreTime, [this] { showCadreStop(); });
}

QRectF ZEVItemView::titleDeskRect() const
{
    const QRectF inView = titleView_->rectInView();
    // The view's own coordinates are y-down from its top: turned over into desk points.
    return QRectF(frame_.x() + inView.x(), frame_.y() + frame_.height() - inView.bottom(), inView.width(),
                  inView.height());
}

// ---- the press ----

bool ZEVItemView::mouseDown(const QPointF& p, Qt::KeyboardModifiers modifiers)
{
    if (!hitRect().contains(p) || !itemViewer_)
        return false;
    ZEVSpaceForObjectViews* s = space();
    const int mode = s ? s->frontMode() : ZEVFrontModeIcons;
    const bool commande = modifiers & Qt::ControlModifier;
    siDoubleClick_ = false;
    setFocus(Qt::MouseFocusReason);
    ZEVFrontViewerServices* front = s ? s->frontViewer() : nullptr;
    if (front)
        front->displaySelectionView();
    siDragsIgnored_ = false;
    mouseDownRappelSoon();
    switch (mode) {
    case ZEVFrontModeIcons:
        if (!commande && s && s->isIconSelectedForItem(item_) && s->selectedIconItems().size() > 1)
            showCadreBriefly();
        itemViewer_->majSelectedItemViewsForSelectedItemView(this);
        break;
    case ZEVFrontModeTitles:
        if (!commande && s && s->isTitleSelectedForItem(item_))
            showCadreBriefly();
        itemViewer_->majSelectedItemViewsForSelectedItemView(this);
        break;
    case ZEVFrontModeFilters:
    case ZEVFrontModeLinks:
        // With Ctrl the press only selects: its drag moves nothing, and it drags nothing out.
        if (commande) {
            siDragsIgnored_ = true;
            mouseDownRappelCancel();
        } else
            itemViewer_->majSelectedItemViewsForSelectedItemView(this);
        break;
    default:
        break;
    }
    // Positions read during the press are final ones.
    for (ZEVItemView* v : itemViewer_->selectedItemViews())
        v->snapAnimation();
    siMouseDown_ = true;
    mouseLoc_ = floored(p);
    siMouseDragged_ = false;
    siCancel_ = false;
    siItemViewAccepteMaj_ = false;
    return true;
}

void ZEVItemView::mouseDragged(const QPointF& deskPoint)
{
    if (!siMouseDown_ || !itemViewer_ || siDragsIgnored_)
        return;
    const QPointF p = floored(deskPoint);
    ZEVSpaceForObjectViews* s = space();
    ZEVDeskGeometry* geo = s ? s->deskGeometry() : nullptr;
    const ZEVLimitRect L = geo ? geo->spaceRatioLimitRect() : ZEVLimitRect{};
    if (!siCancel_) {
        const std::vector<ZEVItemView*> views = itemViewer_->selectedItemViews();
        if (!siMouseDragged_) {
            siMouseDragged_ = true;
            mouseDownRappelCancel();
            for (ZEVItemView* v : views) {
                v->itemViewRefuseMaj();
                v->setOpacity(kMoveAlpha);
                // A resize under way ends without its store: its saved place stays the old one.
                if (!v->stopSiSrollWheelStart())
                    v->saveIconPosition();
            }
        }
        for (ZEVItemView* v : views) {
            ZEVIconPosition ip = v->iconPosition();
            const QPointF c = v->imageCentre();
            const QRectF f = v->imageFrame();
            double dx = p.x() - mouseLoc_.x();
            double dy = p.y() - mouseLoc_.y();
            // Each view stops on its own at the limits; the others go on.
            if (geo) {
                if (c.x() + dx - f.width() / 2 > L.maxX)
                    dx -= c.x() + dx - f.width() / 2 - L.maxX;
                else if (c.x() + dx + f.width() / 2 < L.minX)
                    dx += L.minX - (c.x() + dx + f.width() / 2);
                if (c.y() + dy - f.height() / 2 > L.maxY)
                    dy -= c.y() + dy - f.height() / 2 - L.maxY;
                else if (c.y() + dy + f.height() / 2 < L.minY)
                    dy += L.minY - (c.y() + dy + f.height() / 2);
            }
            ip.x += std::floor(dx);
            ip.y += std::floor(dy);
            v->setIconPosition(ip, 0);
        }
    }
    mouseLoc_ = p;
    if (s && s->siShowLinks())
        if (ZEVFrontViewerServices* f = s->frontViewer())
            f->displayFrontView();
}

void ZEVItemView::mouseUp(Qt::KeyboardModifiers modifiers)
{
    if (!siMouseDown_ || !itemViewer_)
        return;
    siMouseDown_ = false;
    mouseDownRappelCancel();
    ZEVSpaceForObjectViews* s = space();
    ZEVItemViewer* viewer = itemViewer_;
    if (siDoubleClick_) {
        siDoubleClick_ = false;
        siItemViewAccepteMaj_ = true;
        return;
    }
    const bool deplace = siMouseDragged_;
    if (siMouseDragged_) {
        // Copied: a store may change the selection's views.
        const std::vector<ZEVItemView*> views = viewer->selectedItemViews();
        for (ZEVItemView* v : views) {
            v->setOpacity(1.0);
            viewer->userChangePosition(v->iconPosition(), v->savedIconPosition(), v);
            v->itemViewAccepteMaj();
        }
    } else if (!siCancel_ && s) {
        const bool commande = modifiers & Qt::ControlModifier;
        const int mode = s->frontMode();
        if (siItemOption(item_, ZEVOPTION_OPEN_ON_CLICK) && !commande) {
            if (blink_.on()) {
                viewer->majSelectedItemViewsForSelectedItemView(this);
                viewer->userAnnuleRetablirPositionForSelectedItemViews();
            }
            showCadreBriefly();
            viewer->userOpenItem(item_, false);
        } else if (blink_.on()) {
            viewer->majSelectedItemViewsForSelectedItemView(this);
            viewer->userAnnuleRetablirPositionForSelectedItemViews();
        } else {
            switch (mode) {
            case ZEVFrontModeIcons:
                if (commande) {
                    if (s->isIconSelectedForItem(item_))
                        s->deselectIconForItem(item_);
                    else
                        s->multiSelectIconForItem(item_);
                } else {
                    // A click on a selected icon looks at its file again.
                    if (s->isIconSelectedForItem(item_))
                        betterImageForItemType(itemType_);
                    s->selectIconForItem(item_);
                }
                break;
            case ZEVFrontModeTitles:
                if (commande) {
                    if (s->isTitleSelectedForItem(item_))
                        s->deselectTitleForItem(item_);
                    else
                        s->multiSelectTitleForItem(item_);
                } else {
                    s->selectTitleForItem(item_);
                }
                break;
            case ZEVFrontModeFilters:
                if (commande) {
                    std::vector<KELI*> filtres = s->selectedFilterItems();
                    auto it = std::find(filtres.begin(), filtres.end(), item_);
                    if (it != filtres.end())
                        filtres.erase(it);
                    else
                        filtres.push_back(item_);
                    s->selectFilterForItemSet(filtres, nullptr);
                } else {
                    s->selectFilterForItem(item_);
                }
                break;
            case ZEVFrontModeLinks:
                if (commande) {
                    if (s->isNodeSelectedForItem(item_))
                        s->deselectNodeForItem(item_);
                    else
                        s->multiSelectNodeForItem(item_);
                } else {
                    s->selectNodeForItem(item_);
                }
                break;
            default:
                break;
            }
        }
        if (!(itemType_ == QLatin1String("zevp") && siItemOption(item_, ZEVOPTION_OPEN_ON_CLICK)))
            s->addToHistory();
    }
    if (!deplace)
        orderToFront();
    siMouseDragged_ = false;
    siDragsIgnored_ = false;
    siItemViewAccepteMaj_ = true;
}

bool ZEVItemView::doubleClick(const QPointF& p)
{
    if (!hitRect().contains(p) || !itemViewer_)
        return false;
    // The first click selected; the second opens, once; its release does nothing. An Object that
    // opens on a click was opened by the first one already.
    siDoubleClick_ = true;
    siMouseDown_ = true;
    if (!siItemOption(item_, ZEVOPTION_OPEN_ON_CLICK))
        itemViewer_->userOpenItem(item_, false);
    return true;
}

bool ZEVItemView::otherMouseDown(const QPointF& p)
{
    if (!hitRect().contains(p) || !itemViewer_)
        return false;
    showCadreBriefly();
    itemViewer_->setMenuForItemView(this);
    return true;
}

void ZEVItemView::cancelOperation()
{
    siCancel_ = true;
    if (!itemViewer_)
        return;
    if (!siMouseDragged_) {
        itemViewer_->userCancelOperation();
        return;
    }
    for (ZEVItemView* v : itemViewer_->selectedItemViews()) {
        v->itemViewAccepteMaj();
        v->setOpacity(1.0);
        v->setIconPosition(v->savedIconPosition(), kCancelDuration);
    }
    ZEVSpaceForObjectViews* s = space();
    if (s && s->siShowLinks())
        if (ZEVFrontViewerServices* f = s->frontViewer())
            f->displayFrontView();
    siMouseDragged_ = false;
}

// ---- keys ----

bool ZEVItemView::siFreeArrows(std::vector<ZEVItemView*>* out) const
{
    ZEVSpaceForObjectViews* s = space();
    if (!itemViewer_ || !s)
        return false;
    int mode = s->frontMode();
    if (mode == ZEVFrontModeFilters && s->selectedFilterItems().empty())
        mode = ZEVFrontModeIcons;
    std::vector<ZEVItemView*> views;
    for (ZEVItemViewForDesks* v : itemViewer_->visibleItemViewsForMode(mode))
        if (auto* iv = dynamic_cast<ZEVItemView*>(v))
            views.push_back(iv);
    ZEVFrontViewerServices* front = s->frontViewer();
    const bool libre = !(front && front->siFocus()) && !views.empty();
    if (out)
        *out = std::move(views);
    return libre;
}

bool ZEVItemView::keyDown(int key, Qt::KeyboardModifiers modifiers)
{
    if (!itemViewer_)
        return false;
    if (key == Qt::Key_Escape) {
        cancelOperation();
        return true;
    }
    if (!isArrow(key))
        return false;
    std::vector<ZEVItemView*> views;
    // The Meta key's arrows walk the history and the Spaces; without free keys the arrows change
    // the Channel and the appearance: both are the window's.
    if (!siFreeArrows(&views) || (modifiers & Qt::MetaModifier))
        return false;
    const double g = (modifiers & Qt::ShiftModifier) ? 2 * kGrid : kGrid;
    const bool commande = modifiers & Qt::ControlModifier;
    ZEVItemViewer* iv = itemViewer_;
    for (ZEVItemView* v : views) {
        switch (key) {
        case Qt::Key_Up:
            commande ? iv->userZoomInTopAlignItemView(v, g) : iv->userMoveUpItemView(v, g);
            break;
        case Qt::Key_Down:
            commande ? iv->userZoomOutTopAlignItemView(v, g) : iv->userMoveDownItemView(v, g);
            break;
        case Qt::Key_Left:
            commande ? iv->userZoomOutRightAlignItemView(v, g) : iv->userMoveLeftItemView(v, g);
            break;
        case Qt::Key_Right:
            commande ? iv->userZoomInRightAlignItemView(v, g) : iv->userMoveRightItemView(v, g);
            break;
        default:
            break;
        }
    }
    ZEVSpaceForObjectViews* s = space();
    if (s && s->siShowLinks())
        if (ZEVFrontViewerServices* f = s->frontViewer())
            f->displayFrontView();
    return true;
}

// ---- the Qt edge ----

void ZEVItemView::mousePressEvent(QGraphicsSceneMouseEvent* event)
{
    const QPointF p = deskPointOf(event->scenePos());
    bool pris = false;
    if (event->button() == Qt::LeftButton) {
        // The overlay sees the press first: it keeps the mode a drag of this press goes by.
        if (dragView_ && hitRect().contains(p))
            dragView_->mouseDown();
        pris = mouseDown(p, event->modifiers());
        // A plain click on a shown title that is selected edits it in place; any other press
        // there is the desk's (a lasso may start over a title).
        ZEVSpaceForObjectViews* s = space();
        if (!pris && event->modifiers() == Qt::NoModifier && s && s->isTitleSelectedForItem(item_) &&
            titleView_->isVisible() && !titleView_->shownText().isEmpty() && titleDeskRect().contains(p))
            pris = editTitle();
    }
    else if (event->button() == Qt::RightButton)
        pris = otherMouseDown(p);
    if (pris)
        event->accept();
    else
        event->ignore();
}

void ZEVItemView::mouseMoveEvent(QGraphicsSceneMouseEvent* event)
{
    if (!(event->buttons() & Qt::LeftButton))
        return;
    const QPointF p = deskPointOf(event->scenePos());
    if (dragView_ && siMouseDown_ && dragView_->mouseDragged(p))
        return;
    mouseDragged(p);
}

void ZEVItemView::mouseReleaseEvent(QGraphicsSceneMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        mouseUp(event->modifiers());
}

void ZEVItemView::mouseDoubleClickEvent(QGraphicsSceneMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && doubleClick(deskPointOf(event->scenePos())))
        event->accept();
    else
        event->ignore();
}

void ZEVItemView::wheelEvent(QGraphicsSceneWheelEvent* event)
{
    if (event->orientation() != Qt::Vertical) {
        event->ignore();
        return;
    }
    // A notch is one line; a touchpad's pixels count a tenth each.
    const double deltaY = !event->pixelDelta().isNull() ? event->pixelDelta().y() / 10.0 : event->delta() / 120.0;
    if (scrollWheel(deskPointOf(event->scenePos()), deltaY, event->isInverted()))
        event->accept();
    else
        event->ignore();
}

void ZEVItemView::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Tab) {
        event->ignore(); // the desk's walk
        return;
    }
    if (keyDown(event->key(), event->modifiers()))
        event->accept();
    else
        event->ignore();
}

bool ZEVItemView::sceneEvent(QEvent* event)
{
    // The arrows of a view with free keys come before the window's shortcuts.
    if (event->type() == QEvent::ShortcutOverride) {
        auto* k = static_cast<QKeyEvent*>(event);
        if ((isArrow(k->key()) && !(k->modifiers() & Qt::MetaModifier) && siFreeArrows()) ||
            k->key() == Qt::Key_Escape) {
            event->accept();
            return true;
        }
    }
    return QGraphicsItem::sceneEvent(event);
}

} // namespace tallomer
