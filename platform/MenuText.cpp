#include "platform/MenuText.h"

namespace tallomer {

QString menuText(const QString& text)
{
    QString shown = text;
    shown.replace(QLatin1Char('&'), QLatin1String("&&"));
    return shown;
}

QString shownMenuText(const QString& text)
{
    QString shown;
    shown.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) == QLatin1Char('&') && i + 1 < text.size())
            ++i;
        shown.append(text.at(i));
    }
    return shown;
}

} // namespace tallomer
