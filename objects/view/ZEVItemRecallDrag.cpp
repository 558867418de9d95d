// The long press on an Object view: copies of the selected Objects are dragged out, to be
// recalled where they are dropped.

#include "objects/view/ZEVItemView.h"

#include "objects/view/ZEVItemViewCopy.h"
#include "objects/viewer/ZEVItemViewer.h"
#include "runtime/Scheduler.h"
#include "services/ZEVSpaceForObjectViews.h"
#include "space/desk/ZEVDeskGeometry.h"

#include <QDrag>
#include <QGraphicsScene>
#include <QGraphicsView>
#include <QMimeData>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <memory>

namespace tallomer {

namespace {
constexpr char kRappel[] = "_mouseDownRappel";
constexpr double kDragImageAlpha = 0.4;
} // namespace

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

void ZEVItemView::mouseDownRappelSoon()
{
    Scheduler::shared().cancel(cible(), kRappel);
    Scheduler::shared().perform(cible(), kRappel, kLongPress, [this] { mouseDownRappel(); });
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

} // namespace tallomer
