#include "objects/drawing/ZEVItemTitleText.h"

#include <QFontDatabase>
#include <QFontMetricsF>

namespace tallomer {

QFont ZEVItemTitleText::font()
{
    QFont f = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    f.setPointSizeF(kPointSize);
    f.setBold(false);
    return f;
}

QString ZEVItemTitleText::elided(const QString& title, qreal width, const QFont& font)
{
    if (width <= 0)
        return QString();
    return QFontMetricsF(font).elidedText(title, Qt::ElideMiddle, width);
}

} // namespace tallomer
