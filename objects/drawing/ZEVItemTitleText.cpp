#include "objects/drawing/ZEVItemTitleText.h"

#include "platform/SystemFont.h"

#include <QFontDatabase>
#include <QFontMetricsF>

namespace tallomer {

namespace {
std::optional<QFont>& fontOverride()
{
    static std::optional<QFont> font;
    return font;
}
} // namespace

void ZEVItemTitleText::overrideFontForTests(const std::optional<QFont>& font)
{
    fontOverride() = font;
    systemfont::changed();
}

QFont ZEVItemTitleText::font()
{
    if (fontOverride())
        return *fontOverride();
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
