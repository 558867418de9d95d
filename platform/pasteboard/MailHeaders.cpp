#include "platform/pasteboard/MailHeaders.h"

#include "runtime/Clock.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QStringDecoder>
#include <QUrl>

#include <algorithm>

namespace tallomer {

namespace {

QByteArray decodeQ(const QByteArray& text)
{
    QByteArray out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char c = text.at(i);
        if (c == '_') {
            out += ' ';
        } else if (c == '=' && i + 2 < text.size()) {
            bool ok = false;
            const int v = text.mid(i + 1, 2).toInt(&ok, 16);
            if (ok) {
                out += char(v);
                i += 2;
            } else {
                out += c;
            }
        } else {
            out += c;
        }
    }
    return out;
}

QString decodeCharset(const QByteArray& bytes, QByteArray charset)
{
    // "utf-8*en": a language tag may follow the charset.
    if (const qsizetype star = charset.indexOf('*'); star >= 0)
        charset.truncate(star);
    QStringDecoder decoder(charset.constData(), QStringConverter::Flag::Stateless);
    if (!decoder.isValid())
        return QString::fromLatin1(bytes);
    return decoder.decode(bytes);
}

// One encoded word at value[from...] ("=?" already seen): its charset and its bytes; its end in
// *end. *last is set when no word can end anywhere after this one's start.
struct EncodedWord {
    QByteArray charset;
    QByteArray bytes;
};
std::optional<EncodedWord> encodedWord(const QByteArray& value, qsizetype from, qsizetype* end, bool* last)
{
    const qsizetype q1 = value.indexOf('?', from + 2);
    if (q1 < 0 || q1 + 2 >= value.size() || value.at(q1 + 2) != '?')
        return std::nullopt;
    const QByteArray charset = value.mid(from + 2, q1 - from - 2);
    const char encoding = value.at(q1 + 1);
    const qsizetype close = value.indexOf("?=", q1 + 3);
    // Without a close here none comes later: looking again from each later "=?" would read the
    // rest of a hostile value once per start.
    if (close < 0)
        *last = true;
    if (charset.isEmpty() || close < 0)
        return std::nullopt;
    const QByteArray text = value.mid(q1 + 3, close - q1 - 3);
    if (text.contains(' '))
        return std::nullopt;
    QByteArray bytes;
    if (encoding == 'B' || encoding == 'b') {
        const auto decoded = QByteArray::fromBase64Encoding(text, QByteArray::AbortOnBase64DecodingErrors);
        if (!decoded)
            return std::nullopt;
        bytes = *decoded;
    } else if (encoding == 'Q' || encoding == 'q') {
        bytes = decodeQ(text);
    } else {
        return std::nullopt;
    }
    *end = close + 2;
    return EncodedWord{charset, bytes};
}

std::optional<KELDate> mailDate(QByteArray value)
{
    value = value.trimmed();
    // A trailing comment, "(CET)", is not part of the date.
    if (value.endsWith(')'))
        if (const qsizetype open = value.lastIndexOf('('); open > 0)
            value = value.left(open).trimmed();
    const QDateTime when = QDateTime::fromString(QString::fromLatin1(value), Qt::RFC2822Date);
    if (!when.isValid())
        return std::nullopt;
    return dateFromUnix(double(when.toSecsSinceEpoch()));
}

} // namespace

QString decodeMimeWords(const QByteArray& value)
{
    QString out;
    qsizetype i = 0;
    qsizetype plainStart = 0;
    // The bytes of the encoded words met since the last plain text, while they share a charset.
    QByteArray pending;
    QByteArray pendingCharset;
    auto flush = [&] {
        if (!pendingCharset.isEmpty())
            out += decodeCharset(pending, pendingCharset);
        pending.clear();
        pendingCharset.clear();
    };
    while (i < value.size()) {
        const qsizetype start = value.indexOf("=?", i);
        if (start < 0)
            break;
        qsizetype end = 0;
        bool last = false;
        const std::optional<EncodedWord> word = encodedWord(value, start, &end, &last);
        if (last)
            break;
        if (!word) {
            i = start + 2;
            continue;
        }
        const QByteArray between = value.mid(plainStart, start - plainStart);
        // Blanks between two encoded words are only there to fold the line.
        if (!(!pendingCharset.isEmpty() && between.trimmed().isEmpty())) {
            flush();
            out += QString::fromUtf8(between);
        } else if (word->charset.compare(pendingCharset, Qt::CaseInsensitive) != 0) {
            flush();
        }
        pendingCharset = word->charset;
        pending += word->bytes;
        i = plainStart = end;
    }
    flush();
    out += QString::fromUtf8(value.mid(plainStart));
    return out;
}

MailHeaderFields readMailHeaderFields(const QByteArray& message)
{
    MailHeaderFields header;
    const qsizetype limit = std::min(message.size(), kMaxMailHeaderBytes);
    header.bodyStart = message.size();
    qsizetype from = 0;
    // Whether the line above began a field that a folded line may continue.
    bool inField = false;
    int lines = 0;
    while (from < limit && lines < kMaxMailHeaderFields) {
        qsizetype end = message.indexOf('\n', from);
        const bool lastLine = end < 0 || end >= limit;
        if (lastLine)
            end = limit;
        QByteArray line = message.mid(from, end - from);
        // A message saved through a text mode twice ends its lines in CR CR LF.
        while (line.endsWith('\r'))
            line.chop(1);
        if (line.isEmpty() && !lastLine) {
            header.bodyStart = end + 1;
            break;
        }
        from = end + 1;
        if (line.startsWith(' ') || line.startsWith('\t')) {
            // Appended in place: a header of many short folds costs no more than one long line.
            const QByteArray more = line.trimmed();
            if (inField && !more.isEmpty()) {
                QByteArray& value = header.fields.last().second;
                if (!value.isEmpty())
                    value += ' ';
                value += more;
            }
            continue;
        }
        ++lines;
        const qsizetype colon = line.indexOf(':');
        inField = colon > 0;
        if (inField)
            header.fields.append({line.left(colon).trimmed().toLower(), line.mid(colon + 1).trimmed()});
    }
    return header;
}

QByteArray MailHeaderFields::field(const QByteArray& name) const
{
    for (const auto& [n, v] : fields)
        if (n == name)
            return v;
    return {};
}

MailHeaders readMailHeaders(const QByteArray& message)
{
    MailHeaders headers;
    const MailHeaderFields header = readMailHeaderFields(message);
    for (const auto& [name, value] : header.fields) {
        if (name == "message-id" && headers.messageId.isEmpty())
            headers.messageId = QString::fromUtf8(value);
        else if (name == "subject" && headers.subject.isNull())
            headers.subject = decodeMimeWords(value);
        else if (name == "date" && !headers.date)
            headers.date = mailDate(value);
    }
    // An empty Subject field is no subject.
    if (!headers.subject.isNull() && headers.subject.trimmed().isEmpty())
        headers.subject = QString();
    return headers;
}

QString mailUid(const QByteArray& message, const MailHeaders& headers)
{
    if (!headers.messageId.isEmpty())
        return QStringLiteral("message:") + QString::fromLatin1(QUrl::toPercentEncoding(headers.messageId));
    return QStringLiteral("message:")
        + QString::fromLatin1(QCryptographicHash::hash(message, QCryptographicHash::Sha1).toHex());
}

} // namespace tallomer
