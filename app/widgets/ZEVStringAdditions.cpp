#include "app/widgets/ZEVStringAdditions.h"

#include "platform/MenuText.h"

namespace tallomer {

QString stringMenuForString(const QString& string, unsigned length)
{
    if (length == 0)
        length = 1;
    if (static_cast<qsizetype>(length) > string.size())
        return string;
    return leftWholeCharacters(string, static_cast<qsizetype>(length) - 1) + QChar(0x2026);
}

int compareLastPathComponent(const QUrl& a, const QUrl& b)
{
    auto last = [](const QUrl& u) {
        QString path = u.path();
        while (path.size() > 1 && path.endsWith('/'))
            path.chop(1);
        return path == "/" ? path : path.section('/', -1);
    };
    return QString::compare(last(a), last(b));
}

} // namespace tallomer
