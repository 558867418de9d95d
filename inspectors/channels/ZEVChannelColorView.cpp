#include "inspectors/channels/ZEVChannelColorView.h"

#include <QMouseEvent>
#include <QPainter>

namespace tallomer {

ZEVChannelColorView::ZEVChannelColorView(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void ZEVChannelColorView::setBackgroundColor(const QColor& color)
{
    if (color == backgroundColor_)
        return;
    backgroundColor_ = color;
    update();
}

void ZEVChannelColorView::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), backgroundColor_);
}

void ZEVChannelColorView::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
    QWidget::mouseReleaseEvent(event);
}

} // namespace tallomer
