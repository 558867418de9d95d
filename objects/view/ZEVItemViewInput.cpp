// How an Object view answers the pointer, the wheel, a pinch and the keys: a press selects in the
// front mode, a drag moves the selected icons, the wheel resizes with one store at its end, the
// arrows move or size the selected icons on the desk's grid, Escape takes a move back.

#include "objects/view/ZEVItemView.h"

#include "desk/model/ZEVItemOptions.h"
#include "desk/view/ZEVDeskView.h"
#include "objects/view/ZEVItemViewCopy.h"
#include "objects/viewer/ZEVItemViewer.h"
#include "runtime/Scheduler.h"
#include "services/ZEVFrontViewerServices.h"
#include "services/ZEVSpaceForObjectViews.h"
#include "space/desk/ZEVDeskGeometry.h"

#include <QGraphicsSceneMouseEvent>
#include <QGraphicsSceneWheelEvent>
#include <QDrag>
#include <QGraphicsScene>
#include <QGraphicsView>
#include <QKeyEvent>
#include <QMimeData>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace tallomer {

namespace {
constexpr char kCadreStop[] = "_siShowCadreStop";
constexpr char kScrollWheelStop[] = "_scrollWheelStop";
constexpr char kRappel[] = "_mouseDownRappel";
constexpr double kDragImageAlpha = 0.4;
constexpr double kWheelStep = -0.005;
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
    Scheduler::shared().cancel(cible(), kRappel);
    Scheduler::shared().perform(cible(), kRappel, kLongPress, [this] { mouseDownRappel(); });
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
            if (siRetablirItemView_) {
                viewer->majSelectedItemViewsForSelectedItemView(this);
                viewer->userAnnuleRetablirPositionForSelectedItemViews();
            }
            showCadreBriefly();
            viewer->userOpenItem(item_, false);
        } else if (siRetablirItemView_) {
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

// ---- wheel and pinch ----

bool ZEVItemView::stopSiSrollWheelStart()
{
    if (!siSrollWheelStart_)
        return false;
    Scheduler::shared().cancel(cible(), kScrollWheelStop);
    if (auto* desk = dynamic_cast<ZEVDeskView*>(scene()))
        desk->setSiScrollingItemView(false);
    siSrollWheelStart_ = false;
    return true;
}

void ZEVItemView::scrollWheelStop()
{
    siSrollWheelStart_ = false;
    if (auto* desk = dynamic_cast<ZEVDeskView*>(scene()))
        desk->setSiScrollingItemView(false);
    siItemViewAccepteMaj_ = true;
    if (itemViewer_)
        itemViewer_->userChangePosition(iconPosition_, savedIconPosition_, this);
}

void ZEVItemView::resize(double factor, bool pendantLeDeplacement)
{
    ZEVSpaceForObjectViews* s = space();
    ZEVDeskGeometry* geo = s ? s->deskGeometry() : nullptr;
    const double max = geo ? static_cast<float>(geo->spaceRatioMaxSize()) : 0;
    const double min = geo ? static_cast<float>(geo->spaceRatioMinSize()) : 0;
    const double taille = iconPosition_.size;
    if (pendantLeDeplacement) {
        double n = taille * factor;
        if (max > 0)
            n = std::min(max, n);
        n = std::max(min, n);
        if (n == taille || !std::isfinite(n))
            return;
        ZEVIconPosition p = iconPosition_;
        p.size = n;
        setIconPosition(p, 0);
        return;
    }
    double n = taille * factor;
    if (max > 0 && n > max) {
        n = max;
        factor = max / taille;
    } else if (n < min) {
        n = min;
        factor = min / taille;
    }
    // A place that is no place is never shown: the store refuses it anyway.
    if (n == taille || !std::isfinite(n) || !(factor > 0))
        return;
    ZEVIconPosition p = iconPosition_;
    if (geo) {
        const ZEVLimitRect L = geo->spaceRatioLimitRect();
        const QRectF f = imageFrame();
        const QPointF c = imageCentre();
        const double ex = c.x() + f.width() / factor - f.width() / 2;
        if (ex < L.minX)
            p.x += L.minX - ex;
        const double ey = c.y() + f.height() / factor - f.height() / 2;
        if (ey < L.minY)
            p.y += L.minY - ey;
    }
    p.size = n;
    p.angle = iconAngle_;
    setIconPosition(p, 0);
    if (s && s->siShowLinks())
        if (ZEVFrontViewerServices* f = s->frontViewer())
            f->displayFrontView();
}

bool ZEVItemView::scrollWheel(const QPointF& p, double deltaY, bool natural)
{
    ZEVSpaceForObjectViews* s = space();
    if (!itemViewer_ || !s || !hitRect().contains(p) || s->siNSCursorHidden())
        return false;
    const int mode = s->frontMode();
    const bool choisi = mode == ZEVFrontModeIcons    ? s->isIconSelectedForItem(item_)
                        : mode == ZEVFrontModeTitles  ? s->isTitleSelectedForItem(item_)
                        : mode == ZEVFrontModeFilters ? s->isFilterSelectedForItem(item_)
                        : mode == ZEVFrontModeLinks   ? s->isNodeSelectedForItem(item_)
                                                      : true;
    if (!choisi)
        return false;
    const double factor = 1 + (natural ? 1.0 : -1.0) * (deltaY * kWheelStep);
    if (siMouseDragged_) {
        resize(factor, true);
        return true;
    }
    if (!siSrollWheelStart_) {
        if (!s->siRulerAccepteDeplacement())
            return false;
        if (auto* desk = dynamic_cast<ZEVDeskView*>(scene()))
            desk->setSiScrollingItemView(true);
        snapAnimation();
        siItemViewAccepteMaj_ = false;
        siSrollWheelStart_ = true;
        saveIconPosition();
    }
    mouseDownRappelCancel();
    Scheduler::shared().cancel(cible(), kScrollWheelStop);
    Scheduler::shared().perform(cible(), kScrollWheelStop, kResizeEnd, [this] { scrollWheelStop(); });
    resize(factor, false);
    return true;
}

void ZEVItemView::magnifyItemViewWithEvent(double magnification)
{
    ZEVSpaceForObjectViews* s = space();
    if (!itemViewer_ || !s || s->siNSCursorHidden())
        return;
    const double factor = 1 + magnification;
    if (siMouseDragged_) {
        resize(factor, true);
        return;
    }
    if (!siSrollWheelStart_) {
        if (!s->siRulerAccepteDeplacement())
            return;
        if (auto* desk = dynamic_cast<ZEVDeskView*>(scene()))
            desk->setSiScrollingItemView(true);
        snapAnimation();
        siItemViewAccepteMaj_ = false;
        siSrollWheelStart_ = true;
        saveIconPosition();
        mouseDownRappelCancel();
    }
    Scheduler::shared().cancel(cible(), kScrollWheelStop);
    Scheduler::shared().perform(cible(), kScrollWheelStop, kResizeEnd, [this] { scrollWheelStop(); });
    resize(factor, false);
}

// ---- the long press ----

namespace {
ZEVItemView::DragRunner& runner()
{
    static ZEVItemView::DragRunner r;
    return r;
}

// The program's drag: from the canvas that shows the view, offering a link to our own desks and
// a copy to other programs.
Qt::DropAction qDrag(QMimeData* data, const QImage& image, ZEVItemView* source)
{
    const QList<QGraphicsView*> views = source->scene() ? source->scene()->views() : QList<QGraphicsView*>{};
    if (views.isEmpty()) {
        delete data;
        return Qt::IgnoreAction;
    }
    auto* drag = new QDrag(views.front()); // owned by the canvas until deleted below
    drag->setMimeData(data);
    drag->setPixmap(QPixmap::fromImage(image));
    const Qt::DropAction a = drag->exec(Qt::CopyAction | Qt::LinkAction, Qt::LinkAction);
    drag->deleteLater();
    return a;
}
} // namespace

void ZEVItemView::setDragRunner(DragRunner r) { runner() = std::move(r); }

namespace {
QPointF& firstClickPoint()
{
    static QPointF p;
    return p;
}
long& draggingSequence()
{
    static long n = 0;
    return n;
}
} // namespace

QPointF ZEVItemView::DraggingFirstClickPoint() { return firstClickPoint(); }
long ZEVItemView::DraggingSequence() { return draggingSequence(); }

Qt::DropAction ZEVItemView::runDrag(QMimeData* data, const QImage& image)
{
    const DragRunner& r = runner();
    return r ? r(data, image, this) : qDrag(data, image, this);
}

void ZEVItemView::mouseDownRappelCancel() { Scheduler::shared().cancel(cible(), kRappel); }

void ZEVItemView::mouseDownRappel()
{
    if (!itemViewer_ || !siMouseDown_ || siMouseDragged_)
        return;
    mouseDownRappelCancel();
    ZEVItemViewer* viewer = itemViewer_;
    ZEVSpaceForObjectViews* s = space();
    // The drag takes the rest of the press.
    siMouseDown_ = false;
    ungrabMouse();
    const auto& copies = viewer->copiedItemViewsForSelectedItemView(this);
    std::vector<ZEVItemViewCopy*> liste;
    QRectF u;
    for (const auto& c : copies)
        if (auto* k = dynamic_cast<ZEVItemViewCopy*>(c.get())) {
            liste.push_back(k);
            u = u.isNull() ? k->imageFrame() : u.united(k->imageFrame());
        }
    ZEVItemViewer::ReferencerDragPoint(mouseLoc_);
    firstClickPoint() = mouseLoc_;
    ++draggingSequence();
    std::unique_ptr<QMimeData> data = ZEVItemViewCopy::mimeDataForCopies(liste, s ? s->identityInt() : 0);

    // The icons of the copies, each at 0.4, where they lie in the rectangle around them all.
    QImage image(std::max(1, int(std::ceil(u.width()))), std::max(1, int(std::ceil(u.height()))),
                 QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter p(&image);
        p.setOpacity(kDragImageAlpha);
        for (ZEVItemViewCopy* k : liste) {
            const QRectF r = qtRect(u.height(), k->imageFrame().translated(-u.topLeft()));
            const QImage& icone = k->itemImageView()->image();
            if (!icone.isNull())
                p.drawImage(r, icone);
        }
    }
    const Qt::DropAction a = runDrag(data.release(), image);
    // The drag ended on no target: nothing was recalled.
    if (a == Qt::IgnoreAction)
        siCancel_ = true;
    siItemViewAccepteMaj_ = true;
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
