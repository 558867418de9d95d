#include "widgets/ZEVButton.h"

#include "runtime/Clock.h"

#include <QDragEnterEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QWheelEvent>

#include <algorithm>

namespace tallomer {

namespace {
ZEVButton::SpaceControllerFinder& finder()
{
    static ZEVButton::SpaceControllerFinder f;
    return f;
}
ZEVButton::DragSequenceProvider& sequenceProvider()
{
    static ZEVButton::DragSequenceProvider p;
    return p;
}
QColor white(qreal w, qreal a) { return QColor::fromRgbF(w, w, w, a); }
} // namespace

// ---- cells ------------------------------------------------------------------------------------

void ZEVButtonCellBase::drawBezelWithFrame(QPainter& painter, const QRectF& frame, int state) const
{
    QPainterPath path;
    path.addRoundedRect(frame, 1, 1);
    painter.fillPath(path, fillColorForState(state));
}

void ZEVButtonCellBase::drawWithFrame(QPainter& painter, const QRectF& frame, int state, const QIcon& icon,
                                  const QString& title, bool enabled) const
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    drawBezelWithFrame(painter, frame, state);

    const QIcon::Mode mode = enabled ? QIcon::Normal : QIcon::Disabled;
    QRectF content = frame.adjusted(2, 1, -2, -1);
    if (!icon.isNull() && imagePosition_ == ZEVImagePosition::ImageLeft) {
        const double side = std::min(16.0, content.height());
        const QRectF image(content.x() + 2, content.center().y() - side / 2, side, side);
        icon.paint(&painter, image.toRect(), Qt::AlignCenter, mode, state == kZEVStateOn ? QIcon::On : QIcon::Off);
        painter.setPen(enabled ? QColor(Qt::black) : QColor(Qt::gray));
        painter.drawText(content.adjusted(side + 6, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, title);
    } else if (!icon.isNull()) {
        icon.paint(&painter, content.toRect(), Qt::AlignCenter, mode,
                   state == kZEVStateOn ? QIcon::On : QIcon::Off);
    } else if (!title.isEmpty()) {
        painter.setPen(enabled ? QColor(Qt::black) : QColor(Qt::gray));
        painter.drawText(content, Qt::AlignCenter, title);
    }
    painter.restore();
}

QColor ZEVButtonCell2::fillColorForState(int state) const
{
    if (state == kZEVStateOn)
        return white(1.0, 1.0);
    if (state == kZEVStateMixed)
        return white(0.85, 0.85);
    return white(0.6, 0.5);
}

QColor ZEVButtonCell4::fillColorForState(int state) const
{
    if (state == kZEVStateOn)
        return white(1.0, 1.0);
    if (state == kZEVStateMixed)
        return white(0.85, 0.85);
    return white(0.6, 0.0);
}

// ---- button -----------------------------------------------------------------------------------

ZEVButton::ZEVButton(QWidget* parent) : QToolButton(parent) { setAcceptDrops(true); }

ZEVButton::~ZEVButton() = default;

void ZEVButton::setSpaceControllerFinder(SpaceControllerFinder f) { finder() = std::move(f); }
void ZEVButton::setDragSequenceProvider(DragSequenceProvider p) { sequenceProvider() = std::move(p); }

void ZEVButton::setCliqueTarget(QObject* target, std::function<void(ZEVButton*)> performClique)
{
    cliqueTarget_ = target;
    cliqueHandler_ = std::move(performClique);
}

void ZEVButton::setCell(std::unique_ptr<ZEVButtonCellBase> cell)
{
    cell_ = std::move(cell);
    update();
}

int ZEVButton::state() const
{
    if (mixed_)
        return kZEVStateMixed;
    return isChecked() ? kZEVStateOn : kZEVStateOff;
}

void ZEVButton::setState(int state)
{
    mixed_ = state == kZEVStateMixed;
    if (isCheckable())
        setChecked(state == kZEVStateOn);
    update();
}

void ZEVButton::setImagePosition(ZEVImagePosition position)
{
    if (cell_)
        cell_->setImagePosition(position);
    update();
}

void ZEVButton::nextCheckState()
{
    if (siClickKeepsState_)
        return;
    // A click out of the mixed state turns the button on.
    if (mixed_) {
        mixed_ = false;
        setChecked(true);
        return;
    }
    QToolButton::nextCheckState();
}

ZEVButtonSpaceDelegate* ZEVButton::spaceController() const
{
    return finder() ? finder()(window()) : nullptr;
}

void ZEVButton::schedule(const char* name, double delay, std::function<void()> fn)
{
    Scheduler::shared().perform(this, name, delay, std::move(fn));
}

void ZEVButton::mouseDown()
{
    previousState_ = state();
    mouseDownDate_ = Clock::shared().now();
}

void ZEVButton::setSiEnabled(bool enabled)
{
    if (siEnabled_ == enabled)
        return;
    siEnabled_ = enabled;
    update();
}

void ZEVButton::mousePressEvent(QMouseEvent* e)
{
    if (!siEnabled_ && e->button() == Qt::LeftButton) {
        e->accept();
        return;
    }
    mouseDown();
    QToolButton::mousePressEvent(e);
}

void ZEVButton::mouseReleaseEvent(QMouseEvent* e)
{
    if (!siEnabled_ && e->button() == Qt::LeftButton) {
        e->accept();
        return;
    }
    QToolButton::mouseReleaseEvent(e);
}

bool ZEVButton::siClickLong()
{
    // Dates are large doubles: allow for their rounding so that a press of exactly the delay
    // counts as long.
    if (Clock::shared().now() - mouseDownDate_ < kLongClickDelay - 1e-6)
        return false;
    Scheduler::shared().cancel(this, "_gotoPrevious");
    schedule("_gotoPrevious", kGotoPreviousDelay, [this] { _gotoPrevious(); });
    performClique();
    return true;
}

void ZEVButton::performClique()
{
    siPerformClick_ = true;
    if (cliqueTarget_ && cliqueHandler_) {
        QPointer<QObject> target = cliqueTarget_;
        QPointer<ZEVButton> self = this;
        auto handler = cliqueHandler_;
        Scheduler::shared().perform(target.data(), "performClique:", 0.0, [target, self, handler] {
            if (target && self)
                handler(self.data());
        });
    } else {
        click();
    }
}

void ZEVButton::_gotoPrevious() { setState(static_cast<int>(previousState_)); }

void ZEVButton::wheelEvent(QWheelEvent* e)
{
    const QPoint a = e->angleDelta();
    const QPoint p = e->pixelDelta();
    if (a.x() + a.y() != 0 || p.x() + p.y() != 0)
        QToolButton::wheelEvent(e);
    else
        e->accept(); // an event that moves nothing stops here
}

// ---- spring-loaded click ----------------------------------------------------------------------

void ZEVButton::draggingEntered(qint64 sequenceNumber)
{
    if (siEnabled()) {
        Scheduler::shared().cancelAll(this);
        siPerformClick_ = false;
        previousState_ = state();
        siDraggingUpdated_ = false;
        setState(kZEVStateMixed);
        schedule("performClique", kSpringDelay, [this] { performClique(); });
    }
    if (ZEVButtonSpaceDelegate* sc = spaceController())
        sc->draggingSessionStartedWithInteger(sequenceNumber);
}

void ZEVButton::draggingUpdated(QPointF windowLocation)
{
    if (!siDisableMouseMoved_)
        if (ZEVButtonSpaceDelegate* sc = spaceController())
            sc->mouseMovedInLocation(windowLocation);
    if (!siDraggingUpdated_) {
        siDraggingUpdated_ = true;
        Scheduler::shared().cancelAll(this);
        // A disabled button never clicks, however the drag moves over it.
        if (siEnabled())
            schedule("performClique", kSpringDelay, [this] { performClique(); });
    }
}

void ZEVButton::draggingExited()
{
    if (!siPerformClick_)
        setState(static_cast<int>(previousState_));
    Scheduler::shared().cancelAll(this);
    siPerformClick_ = false;
    if (ZEVButtonSpaceDelegate* sc = spaceController())
        Scheduler::shared().perform(sc, "draggingSessionDidStop", kSpringDelay,
                                    [sc] { sc->draggingSessionDidStop(); });
}

bool ZEVButton::performDragOperation()
{
    Scheduler::shared().cancelAll(this);
    siPerformClick_ = false;
    if (ZEVButtonSpaceDelegate* sc = spaceController())
        sc->draggingSessionDidStop();
    return false;
}

void ZEVButton::dragEnterEvent(QDragEnterEvent* e)
{
    const auto& provider = sequenceProvider();
    draggingEntered(provider ? provider(e->mimeData()) : 0);
    // Accepted so that moves and the exit arrive, but nothing may be dropped here.
    e->setDropAction(Qt::IgnoreAction);
    e->accept();
}

void ZEVButton::dragMoveEvent(QDragMoveEvent* e)
{
    QWidget* w = window();
    const QPointF inWindow = mapTo(w, e->position().toPoint());
    draggingUpdated(QPointF(inWindow.x(), w->height() - inWindow.y()));
    e->ignore();
}

void ZEVButton::dragLeaveEvent(QDragLeaveEvent* e)
{
    draggingExited();
    e->accept();
}

void ZEVButton::dropEvent(QDropEvent* e)
{
    performDragOperation();
    e->setDropAction(Qt::IgnoreAction);
    e->ignore();
}

void ZEVButton::paintEvent(QPaintEvent* e)
{
    if (!cell_) {
        QToolButton::paintEvent(e);
        return;
    }
    QPainter p(this);
    cell_->drawWithFrame(p, QRectF(rect()), state(), icon(), text(), siEnabled());
}

} // namespace tallomer
