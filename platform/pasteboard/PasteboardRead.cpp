#include "platform/pasteboard/PasteboardRead.h"

#include "platform/AppId.h"
#include "platform/files/RtfReader.h"
#include "platform/pasteboard/BoundedImage.h"
#include "platform/pasteboard/HtmlText.h"
#include "platform/pasteboard/MailHeaders.h"

#include <QMimeData>
#include <QStringDecoder>

#include <algorithm>

namespace tallomer {

namespace {

// The bytes of a type, or nothing when absent or over the bound.
QByteArray bounded(const QMimeData* data, const QString& type, qsizetype limit)
{
    if (!data->hasFormat(type))
        return {};
    const QByteArray bytes = data->data(type);
    return bytes.size() <= limit ? bytes : QByteArray();
}

QByteArray bounded(const QMimeData* data, const char* type, qsizetype limit)
{
    return bounded(data, QString::fromLatin1(type), limit);
}

QList<QImage> bitmaps(const QMimeData* data)
{
    QStringList types;
    for (const QString& type : data->formats())
        if (type.startsWith(QLatin1String("image/")))
            types << type;
    // PNG first: lossless, and what most programs offer.
    std::stable_partition(types.begin(), types.end(), [](const QString& t) { return t == QLatin1String(mime::kPng); });
    for (const QString& type : types) {
        if (type == QLatin1String("image/svg+xml"))
            continue; // drawn, not decoded: not a bitmap
        const QByteArray bytes = bounded(data, type, kMaxEncodedImageBytes);
        if (const auto image = decodeImageBounded(bytes, type.mid(6).toLatin1()))
            return {*image};
    }
    // A picture handed over inside this program is already decoded.
    if (types.isEmpty() && data->hasFormat(QLatin1String(mime::kQtImage))) {
        const QImage image = qvariant_cast<QImage>(data->imageData());
        const qint64 bytes = qint64(image.width()) * image.height() * 4;
        if (!image.isNull() && bytes <= qint64(kMaxDecodedImageMegabytes) * 1024 * 1024)
            return {image};
    }
    return {};
}

QString plainString(const QMimeData* data)
{
    QByteArray bytes = bounded(data, mime::kPlainUtf8, kMaxPlainTextBytes);
    if (!bytes.isEmpty())
        return QString::fromUtf8(bytes);
    // "text/plain;charset=…" of another charset, then plain "text/plain" as UTF-8.
    for (const QString& type : data->formats()) {
        if (!type.startsWith(QLatin1String("text/plain;charset="), Qt::CaseInsensitive))
            continue;
        bytes = bounded(data, type, kMaxPlainTextBytes);
        QStringDecoder decoder(type.mid(int(qstrlen("text/plain;charset="))).toLatin1().constData(),
                               QStringConverter::Flag::Stateless);
        if (!bytes.isEmpty() && decoder.isValid())
            return decoder.decode(bytes);
    }
    bytes = bounded(data, mime::kPlain, kMaxPlainTextBytes);
    return QString::fromUtf8(bytes);
}

} // namespace

QList<QUrl> parseUriList(const QByteArray& data, qsizetype* leftOut)
{
    if (leftOut)
        *leftOut = 0;
    QList<QUrl> urls;
    if (data.size() > kMaxUriListBytes)
        return urls;
    qsizetype from = 0;
    while (from < data.size() && urls.size() < kMaxUris) {
        qsizetype end = data.indexOf('\n', from);
        if (end < 0)
            end = data.size();
        const QByteArray line = data.mid(from, end - from).trimmed();
        from = end + 1;
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        const QUrl url = QUrl::fromEncoded(line);
        if (url.isValid() && !url.scheme().isEmpty())
            urls << url;
    }
    // Past the bound only the lines are counted.
    while (leftOut && from < data.size()) {
        qsizetype end = data.indexOf('\n', from);
        if (end < 0)
            end = data.size();
        const QByteArrayView line = QByteArrayView(data).sliced(from, end - from).trimmed();
        if (!line.isEmpty() && !line.startsWith('#'))
            ++*leftOut;
        from = end + 1;
    }
    return urls;
}

QString plainText(const QList<RtfRun>& runs)
{
    QString text;
    for (const RtfRun& run : runs)
        text += run.text;
    return text;
}

PasteboardContents readPasteboard(const QMimeData* data)
{
    PasteboardContents out;
    if (!data)
        return out;

    out.urls = parseUriList(bounded(data, mime::kUriList, kMaxUriListBytes), &out.urlsLeftOut);

    out.bookmarks = parseMozUrl(bounded(data, mime::kMozUrl, kMaxBookmarkBytes), &out.bookmarksLeftOut);
    if (out.bookmarks.isEmpty())
        out.bookmarks = parseNetscapeUrl(bounded(data, mime::kNetscapeUrl, kMaxBookmarkBytes));

    out.bitmaps = bitmaps(data);
    const QByteArray pdf = bounded(data, mime::kPdf, kMaxPdfBytes);
    if (pdf.startsWith("%PDF-"))
        out.pdfs << pdf;

    out.itemRecords = bounded(data, kItemPasteboardType, kMaxItemRecordBytes);

    const QByteArray message = bounded(data, mime::kMessage, kMaxMailBytes);
    if (!message.isEmpty())
        out.messages << message;

    QByteArray cards = bounded(data, mime::kVCard, kMaxVCardBytes);
    if (cards.isEmpty())
        cards = bounded(data, mime::kXVCard, kMaxVCardBytes);
    out.vcards = parseVCards(cards, &out.vcardsLeftOut);
    out.vcardsDamaged =
        std::max<qsizetype>(0, cards.toUpper().count("BEGIN:VCARD") - out.vcards.size() - out.vcardsLeftOut);
    if (cards.isEmpty())
        for (const char* type : {mime::kVCard, mime::kXVCard})
            if (data->hasFormat(QString::fromLatin1(type))) {
                // Too large to be read at all: how many cards it held is still told.
                const QByteArray all = data->data(QString::fromLatin1(type));
                if (all.size() > kMaxVCardBytes) {
                    out.vcardsTooLarge = std::max<qsizetype>(1, all.toUpper().count("BEGIN:VCARD"));
                    break;
                }
            }

    const QString plain = plainString(data);
    if (!plain.isEmpty())
        out.strings << plain;

    std::optional<QList<RtfRun>> rich = readHtmlText(bounded(data, mime::kHtml, kMaxHtmlBytes));
    if (!rich) {
        QByteArray rtf = bounded(data, mime::kRtf, kMaxRtfBytes);
        if (rtf.isEmpty())
            rtf = bounded(data, mime::kApplicationRtf, kMaxRtfBytes);
        rich = readRtf(rtf);
        if (rich && plainText(*rich).trimmed().isEmpty())
            rich.reset();
    }
    if (!rich && !plain.isEmpty())
        rich = QList<RtfRun>{RtfRun{plain}};
    if (rich)
        out.attributed << *rich;
    return out;
}

} // namespace tallomer
