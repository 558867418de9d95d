#include "platform/pasteboard/HtmlText.h"

#include <QSet>
#include <QStringDecoder>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFragment>

namespace tallomer {

namespace {

// A document that loads nothing it is not given.
class ClosedDocument final : public QTextDocument {
protected:
    QVariant loadResource(int, const QUrl&) override { return {}; }
};

bool isVoidElement(QStringView name)
{
    static const QSet<QString> voids{QStringLiteral("br"),    QStringLiteral("img"),   QStringLiteral("hr"),
                                     QStringLiteral("meta"),  QStringLiteral("link"),  QStringLiteral("input"),
                                     QStringLiteral("area"),  QStringLiteral("base"),  QStringLiteral("col"),
                                     QStringLiteral("embed"), QStringLiteral("param"), QStringLiteral("source"),
                                     QStringLiteral("track"), QStringLiteral("wbr"),   QStringLiteral("p"),
                                     QStringLiteral("li"),    QStringLiteral("td"),    QStringLiteral("tr")};
    return voids.contains(name.toString().toLower());
}

// Whether the tags stay within bounds. Elements whose end may be left out (p, li, ...) are not
// counted as nesting, so that ordinary pages pass whatever their length.
bool withinBounds(const QString& html)
{
    qsizetype tags = 0;
    int depth = 0;
    qsizetype i = 0;
    while ((i = html.indexOf(QLatin1Char('<'), i)) >= 0) {
        const qsizetype close = html.indexOf(QLatin1Char('>'), i + 1);
        if (close < 0)
            break;
        if (++tags > kMaxHtmlTags)
            return false;
        QStringView tag = QStringView(html).mid(i + 1, close - i - 1).trimmed();
        i = close + 1;
        if (tag.isEmpty() || tag.startsWith(QLatin1Char('!')) || tag.startsWith(QLatin1Char('?')))
            continue;
        const bool closing = tag.startsWith(QLatin1Char('/'));
        if (closing)
            tag = tag.mid(1);
        qsizetype n = 0;
        while (n < tag.size() && (tag.at(n).isLetterOrNumber()))
            ++n;
        const QStringView name = tag.left(n);
        if (isVoidElement(name) || tag.endsWith(QLatin1Char('/')))
            continue;
        depth += closing ? -1 : 1;
        if (depth < 0)
            depth = 0;
        if (depth > kMaxHtmlDepth)
            return false;
    }
    return true;
}

} // namespace

std::optional<QList<RtfRun>> readHtmlText(const QByteArray& html)
{
    if (html.isEmpty() || html.size() > kMaxHtmlBytes)
        return std::nullopt;
    QStringDecoder decoder = QStringDecoder::decoderForHtml(html);
    const QString text = decoder.isValid() ? decoder.decode(html) : QString::fromUtf8(html);
    if (!withinBounds(text))
        return std::nullopt;
    ClosedDocument document;
    document.setHtml(text);
    QList<RtfRun> runs;
    bool first = true;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        if (!first)
            runs.append(RtfRun{QStringLiteral("\n")});
        first = false;
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!fragment.isValid())
                continue;
            const QTextCharFormat format = fragment.charFormat();
            // Images and other objects stand in the text as one replacement character.
            QString piece = fragment.text();
            piece.remove(QChar::ObjectReplacementCharacter);
            if (piece.isEmpty())
                continue;
            runs.append(RtfRun{piece, format.fontWeight() >= QFont::Bold, format.fontItalic()});
        }
    }
    // Line breaks inside a block come as U+2028 already; nothing but breaks is no text.
    bool hasText = false;
    for (const RtfRun& r : runs)
        if (!r.text.trimmed().isEmpty())
            hasText = true;
    if (!hasText)
        return std::nullopt;
    return runs;
}

} // namespace tallomer
