#include "widgets/ZEVMixedMark.h"

#include <QApplication>
#include <QPainter>
#include <QPalette>
#include <QPen>
#include <QPixmap>

namespace tallomer {

QIcon ZEVMixedMark()
{
    QPixmap p(16, 16);
    p.fill(Qt::transparent);
    QPainter painter(&p);
    painter.setPen(QPen(QApplication::palette().color(QPalette::WindowText), 2));
    painter.drawLine(4, 8, 12, 8);
    return QIcon(p);
}

} // namespace tallomer
