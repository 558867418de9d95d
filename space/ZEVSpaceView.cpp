#include "space/ZEVSpaceView.h"

#include "platform/Events.h"
#include "platform/SystemFont.h"
#include "services/ZEVFrontViewerServices.h"
#include "services/ZEVScenePaint.h"
#include "space/ZEVSpaceController.h"
#include "widgets/ZEVBlitBatch.h"

#include <QCoreApplication>
#include <QGraphicsScene>
#include <QKeyEvent>
#include <QNativeGestureEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QVBoxLayout>

namespace tallomer {

namespace {

qint64 regionArea(const QRegion& region)
{
    qint64 area = 0;
    for (const QRect& r : region)
        area += qint64(r.width()) * r.height();
    return area;
}

} // namespace

ZEVDeskCanvas::ZEVDeskCanvas(QWidget* parent) : QGraphicsView(parent)
{
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // The exact region of what changed: two icons moved at opposite corners repaint their four
    // places, not the rectangle that spans them (the whole desk). A Search step's pass repaints
    // only the views whose drawing changed; many views moving in one frame, or every view shown
    // again, ask the whole scene only when their places cover most of it (kZEVVuesDeMasse): a
    // region of overlapping places stays a few dozen rectangles, cheap to build and clip by.
    setViewportUpdateMode(QGraphicsView::MinimalViewportUpdate);
    // Thousands of icons paint in a frame and nearly all of them leave the painter as they found
    // it: the few that change it put it back themselves, rather than the view saving and
    // restoring the whole painter around each of them.
    setOptimizationFlags(QGraphicsView::DontSavePainterState);
}

bool ZEVDeskCanvas::event(QEvent* event)
{
    switch (event->type()) {
    case QEvent::ApplicationFontChange:
    case QEvent::FontChange:
    case QEvent::ThemeChange:
        systemfont::changed();
        if (scene())
            scene()->update();
        break;
    default:
        break;
    }
    return QGraphicsView::event(event);
}

// The scene gets the pinch at its own position; the pointer in the window rides along as the
// event's scene position.
bool ZEVDeskCanvas::viewportEvent(QEvent* event)
{
    if (front_ && front_->canvasEvent(event))
        return true;
    if (event->type() != QEvent::NativeGesture)
        return QGraphicsView::viewportEvent(event);
    auto* g = static_cast<QNativeGestureEvent*>(event);
    if (QGraphicsScene* s = scene()) {
        const QPointF fenetre = window() ? viewport()->mapTo(window(), g->position()) : g->position();
        const auto e = events::nativeGestureAt(*g, mapToScene(g->position().toPoint()), fenetre);
        QCoreApplication::sendEvent(s, e.get());
    }
    return true;
}

void ZEVDeskCanvas::paintEvent(QPaintEvent* event)
{
    // Qt's raster engine blits an image in one pass only within a clip of one rectangle: within the
    // canvas less an opaque bar laid over it (the region of a whole-desk paint), it blends every
    // image span by span, which costs half as much again. A large region of a few pieces is
    // painted a piece at a time, each clipped to its own rectangle; each walk of the scene costs
    // too much for the pieces of a small one.
    const QRegion region = event->region();
    const QRect whole = viewport()->rect();
    if (region.rectCount() < 2 || region.rectCount() > kMostPiecesPaintedApart || cacheMode() != CacheNone ||
        !(optimizationFlags() & DontSavePainterState) ||
        regionArea(region) * 4 < qint64(whole.width()) * whole.height()) {
        paintPiece(event);
        return;
    }
    for (const QRect& r : region) {
        QPaintEvent piece(r);
        piece_ = r;
        paintPiece(&piece);
    }
    piece_ = QRect();
}

void ZEVDeskCanvas::paintPiece(QPaintEvent* event)
{
    auto* s = dynamic_cast<ZEVScenePaint*>(scene());
    if (s)
        s->willPaint(event->region(), viewportTransform(), viewport()->devicePixelRatioF());
    QGraphicsView::paintEvent(event);
    // The foreground ends the blits handed to other threads; a paint that never reached it
    // leaves none behind.
    ZEVBlitBatch::close();
    if (s)
        s->didPaint();
}

void ZEVDeskCanvas::drawBackground(QPainter* painter, const QRectF& rect)
{
    // The first the view draws with its painter, which it does not save: the clip holds for the
    // items and the foreground after it.
    if (!piece_.isNull()) {
        const QTransform scene = painter->transform();
        painter->resetTransform();
        painter->setClipRect(piece_, Qt::IntersectClip);
        painter->setTransform(scene);
    }
    QGraphicsView::drawBackground(painter, rect);
    // The items' blits, from here to the foreground, are drawn by several threads at once.
    ZEVBlitBatch::begin(*painter);
}

void ZEVDeskCanvas::drawForeground(QPainter* painter, const QRectF& rect)
{
    ZEVBlitBatch::end(*painter);
    QGraphicsView::drawForeground(painter, rect);
    if (!front_)
        return;
    // The front view paints in the viewport's own pixels.
    painter->save();
    painter->resetTransform();
    front_->drawForeground(*painter);
    painter->restore();
}

void ZEVDeskCanvas::keyPressEvent(QKeyEvent* event)
{
    // The view would scroll on the arrows; they belong to the window. Tab is the desk's walk.
    const bool tab = event->key() == Qt::Key_Tab || event->key() == Qt::Key_Backtab;
    if (scene() && (scene()->focusItem() || tab))
        QGraphicsView::keyPressEvent(event);
    else
        event->ignore();
}

void ZEVDeskCanvas::keyReleaseEvent(QKeyEvent* event)
{
    if (scene() && scene()->focusItem())
        QGraphicsView::keyReleaseEvent(event);
    else
        event->ignore();
}

ZEVSpaceView::ZEVSpaceView(QWidget* parent, ZEVSpaceController* spaceController)
    : QWidget(parent), spaceController_(spaceController), canvas_(new ZEVDeskCanvas(this))
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(canvas_);
    setMouseTracking(true);
}

ZEVSpaceView::~ZEVSpaceView() = default;

void ZEVSpaceView::resetCursorRects()
{
    Scheduler::shared().cancel(this, "resetCursorRects");
    if (!spaceController_) {
        setCursor(Qt::ArrowCursor);
        return;
    }
    if (spaceController_->siDraggingSession()) {
        setCursor(Qt::DragLinkCursor);
    } else if (spaceController_->siCancelDraggingSession()) {
        setCursor(Qt::ForbiddenCursor);
    } else if (spaceController_->siSearchActif()) {
        setCursor(spaceController_->host().searchCursor());
        // The pointer may have been changed behind our back (menus, drags): take it back later.
        Scheduler::shared().perform(this, "resetCursorRects", 3.0, [this] { resetCursorRects(); });
    } else {
        setCursor(Qt::ArrowCursor);
    }
}

void ZEVSpaceView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (spaceController_)
        spaceController_->updateSpaceRatio();
}

} // namespace tallomer
