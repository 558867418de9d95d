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

namespace {
// The title font and its key, made once for each generation of the system font: thousands of
// titles then share one font's data and one key instead of holding copies of their own.
struct SharedTitleFont {
    QFont font;
    QString key;
    quint64 generation = ~quint64(0);
};

const SharedTitleFont& sharedTitleFont()
{
    static SharedTitleFont shared;
    if (shared.generation != systemfont::generation()) {
        if (fontOverride()) {
            shared.font = *fontOverride();
        } else {
            shared.font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
            shared.font.setPointSizeF(ZEVItemTitleText::kPointSize);
            shared.font.setBold(false);
        }
        shared.key = shared.font.key();
        shared.generation = systemfont::generation();
    }
    return shared;
}
} // namespace

QFont ZEVItemTitleText::font() { return sharedTitleFont().font; }

QString ZEVItemTitleText::fontKey() { return sharedTitleFont().key; }

QString ZEVItemTitleText::elided(const QString& title, qreal width, const QFont& font)
{
    if (width <= 0)
        return QString();
    return QFontMetricsF(font).elidedText(title, Qt::ElideMiddle, width);
}

} // namespace tallomer
