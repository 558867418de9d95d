#include "front/ZEVFrontSelectionView.h"

#include "desk/view/ZEVDeskView.h"
#include "runtime/Scheduler.h"
#include "services/ZEVFrontViewerServices.h"
#include "space/ZEVSpaceController.h"

#include <QCursor>
#include <cmath>
#include <QDragEnterEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>

namespace tallomer {

namespace {
constexpr char kStop[] = "draggingSessionDidStop";
}

ZEVFrontSelectionView::ZEVFrontSelectionView(QWidget* parent, ZEVSpaceController& space,
                                             ZEVFrontViewerServices& frontViewer)
    : QWidget(parent), space_(space), frontViewer_(frontViewer)
{
    setObjectName(QStringLiteral("frontSelectionView"));
    setAcceptDrops(true);
    setMouseTracking(true);
    setAttribute(Qt::WA_TransparentForMouseEvents, false);
    setAttribute(Qt::WA_NoSystemBackground);
}

ZEVFrontSelectionView::~ZEVFrontSelectionView() = default;

QPointF ZEVFrontSelectionView::pointerInWindow() const
{
    QWidget* w = window();
    const QPoint p = w->mapFromGlobal(QCursor::pos());
    return QPointF(p.x(), w->height() - p.y());
}

void ZEVFrontSelectionView::dragEnterEvent(QDragEnterEvent* event)
{
    Scheduler::shared().cancel(this, kStop);
    space_.draggingSessionStartedWithInteger(ZEVDeskView::nextDragSequenceNumber());
    // Accepted only so that the moves keep coming; no drop is offered.
    event->setDropAction(Qt::IgnoreAction);
    event->accept();
}

void ZEVFrontSelectionView::dragMoveEvent(QDragMoveEvent* event)
{
    QPointF p = pointerInWindow();
    if (QGuiApplication::applicationState() != Qt::ApplicationActive)
        p.ry() += kInactiveLift;
    space_.mouseMovedInLocation(p);
    event->setDropAction(Qt::IgnoreAction);
    event->ignore(rect());
}

void ZEVFrontSelectionView::dragLeaveEvent(QDragLeaveEvent*)
{
    Scheduler::shared().perform(this, kStop, kStopDelay, [this] { space_.draggingSessionDidStop(); });
}

void ZEVFrontSelectionView::dropEvent(QDropEvent* event)
{
    Scheduler::shared().cancel(this, kStop);
    space_.draggingSessionDidStop();
    event->setDropAction(Qt::IgnoreAction);
    event->ignore();
}

void ZEVFrontSelectionView::mouseMoveEvent(QMouseEvent* event)
{
    const QPointF p = mapTo(window(), event->position());
    space_.mouseMovedInLocation(QPointF(p.x(), window()->height() - p.y()));
}

void ZEVFrontSelectionView::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        frontViewer_.cancelOperation();
        return;
    }
    QWidget::keyPressEvent(event);
}

} // namespace tallomer
