#include "platform/pasteboard/MailHeaders.h"

#include "runtime/Clock.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QStringDecoder>
#include <QUrl>

namespace tallomer {

namespace {

QByteArray headerSection(const QByteArray& message)
{
    const QByteArray head = message.left(kMaxMailHeaderBytes);
    qsizetype end = head.indexOf("\r\n\r\n");
    const qsizetype lf = head.indexOf("\n\n");
    if (end < 0 || (lf >= 0 && lf < end))
        end = lf;
    return end < 0 ? head : head.left(end);
}

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

// One encoded word at value[from...] ("=?" already seen); its end in *end.
std::optional<QString> encodedWord(const QByteArray& value, qsizetype from, qsizetype* end)
{
    const qsizetype q1 = value.indexOf('?', from + 2);
    if (q1 < 0 || q1 + 2 >= value.size() || value.at(q1 + 2) != '?')
        return std::nullopt;
    const QByteArray charset = value.mid(from + 2, q1 - from - 2);
    const char encoding = value.at(q1 + 1);
    const qsizetype close = value.indexOf("?=", q1 + 3);
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
    return decodeCharset(bytes, charset);
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
    bool lastWasEncoded = false;
    while (i < value.size()) {
        const qsizetype start = value.indexOf("=?", i);
        if (start < 0)
            break;
        qsizetype end = 0;
        const std::optional<QString> word = encodedWord(value, start, &end);
        if (!word) {
            i = start + 2;
            continue;
        }
        const QByteArray between = value.mid(plainStart, start - plainStart);
        // Blanks between two encoded words are only there to fold the line.
        if (!(lastWasEncoded && between.trimmed().isEmpty()))
            out += QString::fromUtf8(between);
        out += *word;
        lastWasEncoded = true;
        i = plainStart = end;
    }
    out += QString::fromUtf8(value.mid(plainStart));
    return out;
}

MailHeaders readMailHeaders(const QByteArray& message)
{
    MailHeaders headers;
    const QByteArray section = headerSection(message);
    int fields = 0;
    qsizetype from = 0;
    QByteArray name;
    QByteArray value;
    auto finish = [&] {
        if (name.isEmpty())
            return;
        const QByteArray key = name.trimmed().toLower();
        if (key == "message-id" && headers.messageId.isEmpty())
            headers.messageId = QString::fromUtf8(value.trimmed());
        else if (key == "subject" && headers.subject.isNull())
            headers.subject = decodeMimeWords(value.trimmed());
        else if (key == "date" && !headers.date)
            headers.date = mailDate(value);
        name.clear();
        value.clear();
    };
    while (from < section.size() && fields < kMaxMailHeaderFields) {
        qsizetype end = section.indexOf('\n', from);
        if (end < 0)
            end = section.size();
        QByteArray line = section.mid(from, end - from);
        from = end + 1;
        if (line.endsWith('\r'))
            line.chop(1);
        if (!line.isEmpty() && (line.at(0) == ' ' || line.at(0) == '\t')) {
            // A folded line continues the field above.
            if (!name.isEmpty())
                value += ' ' + line.trimmed();
            continue;
        }
        finish();
        ++fields;
        const qsizetype colon = line.indexOf(':');
        if (colon <= 0)
            continue;
        name = line.left(colon);
        value = line.mid(colon + 1);
    }
    finish();
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
