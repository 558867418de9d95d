#include "space/ZEVSpaceWindow.h"

#include "space/ZEVSpaceController.h"
#include "space/ZEVSpaceWindowFrame.h"

#include <QCloseEvent>
#include <QGraphicsScene>
#include <QKeyEvent>
#include <QResizeEvent>
#include <QVBoxLayout>

#include <cmath>

namespace tallomer {

namespace {

Qt::KeyboardModifier modifierOfKey(int key)
{
    switch (key) {
    case Qt::Key_Shift:
        return Qt::ShiftModifier;
    case Qt::Key_Control:
        return Qt::ControlModifier;
    case Qt::Key_Meta:
        return Qt::MetaModifier;
    case Qt::Key_Alt:
        return Qt::AltModifier;
    default:
        return Qt::NoModifier;
    }
}

} // namespace

ZEVDeskCanvas::ZEVDeskCanvas(QWidget* parent) : QGraphicsView(parent)
{
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

void ZEVDeskCanvas::keyPressEvent(QKeyEvent* event)
{
    // The view would scroll on the arrows; they belong to the window.
    if (scene() && scene()->focusItem())
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

ZEVSpaceWindow::ZEVSpaceWindow(ZEVSpaceController* spaceController)
    : QWidget(nullptr, Qt::Window), spaceController_(spaceController), view_(new ZEVSpaceView(this, spaceController))
{
    setObjectName(QStringLiteral("ZEVSpaceWindow"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    setAttribute(Qt::WA_OpaquePaintEvent, true);
    setFocusPolicy(Qt::StrongFocus);
    setMinimumSize(int(ZEVSpaceWindowFrame::kMinContentWidth), int(ZEVSpaceWindowFrame::kMinContentHeight));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(view_);
    if (spaceController)
        referencerSpaceController(spaceController);
}

ZEVSpaceWindow::~ZEVSpaceWindow() = default;

void ZEVSpaceWindow::referencerSpaceController(ZEVSpaceController* controller)
{
    spaceController_ = controller;
    siAcceptsFlagsChanges_ = controller != nullptr;
}

void ZEVSpaceWindow::setFrameYUp(const QRectF& frame, const QRectF& screen)
{
    siFullScreen_ = false;
    setWindowFlags(Qt::Window);
    const QRectF content = ZEVSpaceWindowFrame::contentRectForFrame(frame);
    const QSizeF size = ZEVSpaceWindowFrame::constrainedContentSize(content.size());
    // y-up to the screen's y-down: the content's top edge.
    const double top = screen.y() + screen.height() - (content.y() + size.height());
    setGeometry(int(std::lround(content.x())), int(std::lround(top)), int(std::lround(size.width())),
                int(std::lround(size.height())));
}

QRectF ZEVSpaceWindow::frameYUp(const QRectF& screen) const
{
    const QRect g = geometry();
    const double bottom = screen.y() + screen.height() - (g.y() + g.height());
    return ZEVSpaceWindowFrame::frameRectForContent(QRectF(g.x(), bottom, g.width(), g.height()));
}

void ZEVSpaceWindow::setFullScreenFrame(const QRectF& screen)
{
    siFullScreen_ = true;
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    setGeometry(screen.toRect());
}

void ZEVSpaceWindow::placerDevantDeskView(QGraphicsScene* scene)
{
    ZEVDeskCanvas* canvas = view_->deskCanvas();
    if (canvas->scene() != scene)
        canvas->setScene(scene);
    canvas->setVisible(scene != nullptr);
}

QGraphicsScene* ZEVSpaceWindow::deskViewDevant() const
{
    return view_->deskCanvas()->scene();
}

void ZEVSpaceWindow::keyPressEvent(QKeyEvent* event)
{
    if (const auto m = modifierOfKey(event->key()); m != Qt::NoModifier) {
        flagsChanged(event->modifiers() | m);
        return;
    }
    if (!spaceController_ || !spaceController_->spaceKeyPressed(event->key(), event->modifiers()))
        QWidget::keyPressEvent(event);
}

void ZEVSpaceWindow::keyReleaseEvent(QKeyEvent* event)
{
    if (const auto m = modifierOfKey(event->key()); m != Qt::NoModifier) {
        flagsChanged(event->modifiers() & ~Qt::KeyboardModifiers(m));
        return;
    }
    QWidget::keyReleaseEvent(event);
}

void ZEVSpaceWindow::flagsChanged(Qt::KeyboardModifiers modifiers)
{
    if (spaceController_)
        spaceController_->flagsChanged(modifiers, siAcceptsFlagsChanges_);
}

void ZEVSpaceWindow::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (siFullScreen_)
        return;
    const QSizeF size(event->size());
    if (!ZEVSpaceWindowFrame::siContentSizeAllowed(size)) {
        const QSizeF fixed = ZEVSpaceWindowFrame::constrainedContentSize(size);
        resize(int(std::lround(fixed.width())), int(std::lround(fixed.height())));
    }
}

void ZEVSpaceWindow::closeEvent(QCloseEvent* event)
{
    // The window lives as long as the Space: closing only hides it.
    event->accept();
}

} // namespace tallomer
