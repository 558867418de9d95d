#include "platform/MenuText.h"

#include <QTextBoundaryFinder>

#include <algorithm>

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

QString leftWholeCharacters(const QString& text, qsizetype most)
{
    if (most <= 0)
        return QString();
    if (most >= text.size())
        return text;
    QTextBoundaryFinder characters(QTextBoundaryFinder::Grapheme, text);
    characters.setPosition(most);
    if (!characters.isAtBoundary())
        characters.toPreviousBoundary();
    return text.left(std::max<qsizetype>(0, characters.position()));
}

} // namespace tallomer
