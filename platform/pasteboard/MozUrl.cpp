#include "platform/pasteboard/MozUrl.h"

#include <QStringDecoder>
#include <QStringList>
#include <QStringView>

#include <optional>

namespace tallomer {

namespace {

// UTF-16 text has a NUL in every other byte of ASCII; UTF-8 text from a browser has none.
bool looksUtf16(const QByteArray& data)
{
    if (data.size() < 2 || data.size() % 2 != 0)
        return false;
    const auto b0 = static_cast<unsigned char>(data.at(0));
    const auto b1 = static_cast<unsigned char>(data.at(1));
    if ((b0 == 0xFF && b1 == 0xFE) || (b0 == 0xFE && b1 == 0xFF))
        return true;
    return data.contains('\0');
}

QString decodeText(const QByteArray& data)
{
    if (!looksUtf16(data))
        return QString::fromUtf8(data);
    const auto b0 = static_cast<unsigned char>(data.at(0));
    const auto b1 = static_cast<unsigned char>(data.at(1));
    QStringDecoder decoder(b0 == 0xFE && b1 == 0xFF ? QStringConverter::Utf16BE : QStringConverter::Utf16LE,
                           QStringConverter::Flag::Stateless);
    QString text = decoder.decode(data);
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    return text;
}

QList<PastedBookmark> pairs(const QByteArray& data, bool utf8Only, qsizetype* leftOut = nullptr)
{
    QList<PastedBookmark> out;
    if (leftOut)
        *leftOut = 0;
    if (data.isEmpty() || data.size() > kMaxBookmarkBytes)
        return out;
    QString text = utf8Only ? QString::fromUtf8(data) : decodeText(data);
    text.remove(QLatin1Char('\r'));
    // Some writers end the text with NULs.
    while (text.endsWith(QChar(0)))
        text.chop(1);
    // Line by line, stopping once enough pairs came: a flood of empty lines costs no list.
    qsizetype from = 0;
    auto nextLine = [&]() -> std::optional<QStringView> {
        if (from > text.size())
            return std::nullopt;
        qsizetype end = text.indexOf(QLatin1Char('\n'), from);
        if (end < 0)
            end = text.size();
        const QStringView line = QStringView(text).mid(from, end - from);
        from = end + 1;
        return line;
    };
    // Past the bound the pairs are only counted, so that the user can be told.
    while (out.size() < kMaxBookmarks || leftOut) {
        const std::optional<QStringView> url = nextLine();
        if (!url)
            break;
        const QStringView title = nextLine().value_or(QStringView());
        const QStringView u = url->trimmed();
        if (u.isEmpty() || u.size() > kMaxBookmarkLineChars)
            continue;
        if (out.size() < kMaxBookmarks)
            out.append({u.toString(), title.trimmed().left(kMaxBookmarkLineChars).toString()});
        else
            ++*leftOut;
    }
    return out;
}

} // namespace

QList<PastedBookmark> parseMozUrl(const QByteArray& data, qsizetype* leftOut) { return pairs(data, false, leftOut); }

QList<PastedBookmark> parseNetscapeUrl(const QByteArray& data)
{
    QList<PastedBookmark> out = pairs(data, true);
    // One link only: anything after its title is not another pair.
    if (out.size() > 1)
        out.resize(1);
    return out;
}

QByteArray mozUrlData(const QList<PastedBookmark>& links)
{
    QStringList lines;
    for (const PastedBookmark& link : links) {
        QString title = link.title;
        title.replace(QLatin1String("\r\n"), QLatin1String(" "));
        title.replace(QLatin1Char('\n'), QLatin1Char(' '));
        title.replace(QLatin1Char('\r'), QLatin1Char(' '));
        lines << link.url << title;
    }
    const QString text = lines.join(QLatin1Char('\n'));
    return QByteArray(reinterpret_cast<const char*>(text.utf16()), text.size() * qsizetype(sizeof(char16_t)));
}

} // namespace tallomer
