#include "platform/contacts/VCard.h"

#include "runtime/Clock.h"
#include "runtime/Log.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QTimeZone>
#include <QStringList>

namespace tallomer {

namespace {

// "\n", "\,", "\;" and "\\" of a value.
QString unescape(QStringView value)
{
    QString out;
    out.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        if (c == QLatin1Char('\\') && i + 1 < value.size()) {
            const QChar n = value.at(++i);
            out += (n == QLatin1Char('n') || n == QLatin1Char('N')) ? QChar(QLatin1Char('\n')) : n;
        } else {
            out += c;
        }
    }
    return out;
}

// The components of a structured value (N, ORG), split on unescaped semicolons.
QStringList components(QStringView value)
{
    QStringList out;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= value.size(); ++i) {
        const bool separator = i < value.size() && value.at(i) == QLatin1Char(';')
            && (i == 0 || value.at(i - 1) != QLatin1Char('\\'));
        if (i == value.size() || separator) {
            out << unescape(value.mid(start, i - start)).trimmed();
            start = i + 1;
            if (out.size() > 16)
                break;
        }
    }
    return out;
}

std::optional<KELDate> revisionDate(const QString& value)
{
    const QString v = value.trimmed();
    for (const char* format : {"yyyyMMdd'T'HHmmss'Z'", "yyyy-MM-dd'T'HH:mm:ss'Z'", "yyyyMMdd'T'HHmmss",
                               "yyyy-MM-dd'T'HH:mm:ss", "yyyyMMdd", "yyyy-MM-dd"}) {
        QDateTime when = QDateTime::fromString(v, QLatin1String(format));
        if (when.isValid()) {
            when.setTimeZone(QTimeZone::utc());
            return dateFromUnix(double(when.toSecsSinceEpoch()));
        }
    }
    const QDateTime iso = QDateTime::fromString(v, Qt::ISODate);
    if (iso.isValid())
        return dateFromUnix(double(iso.toSecsSinceEpoch()));
    return std::nullopt;
}

// A content line's name (upper-cased, group and parameters removed) and its value.
std::optional<std::pair<QString, QString>> contentLine(const QString& line)
{
    // The value starts after the first colon outside a quoted parameter.
    bool quoted = false;
    qsizetype colon = -1;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line.at(i);
        if (c == QLatin1Char('"'))
            quoted = !quoted;
        else if (c == QLatin1Char(':') && !quoted) {
            colon = i;
            break;
        }
    }
    if (colon <= 0)
        return std::nullopt;
    QString name = line.left(colon);
    if (const qsizetype semi = name.indexOf(QLatin1Char(';')); semi >= 0)
        name.truncate(semi);
    if (const qsizetype dot = name.lastIndexOf(QLatin1Char('.')); dot >= 0)
        name = name.mid(dot + 1);
    return std::pair{name.trimmed().toUpper(), line.mid(colon + 1)};
}

void take(VCard& card, const QString& name, const QString& value)
{
    if (name == QLatin1String("UID")) {
        if (card.uid.isEmpty())
            card.uid = unescape(value).trimmed();
    } else if (name == QLatin1String("N")) {
        const QStringList n = components(value);
        card.familyName = n.value(0);
        card.givenName = n.value(1);
    } else if (name == QLatin1String("ORG")) {
        card.organization = components(value).value(0);
    } else if (name == QLatin1String("KIND")) {
        card.kind = value.trimmed().toLower();
    } else if (name == QLatin1String("X-ABSHOWAS")) {
        if (value.trimmed().compare(QLatin1String("COMPANY"), Qt::CaseInsensitive) == 0)
            card.kind = QStringLiteral("org");
    } else if (name == QLatin1String("REV")) {
        card.revision = revisionDate(value);
    }
}

} // namespace

QList<VCard> parseVCards(const QByteArray& data)
{
    QList<VCard> cards;
    if (data.isEmpty() || data.size() > kMaxVCardBytes)
        return cards;
    std::optional<VCard> card;
    qsizetype cardStart = 0;
    QString logical;
    int lines = 0;
    qsizetype from = 0;
    auto handle = [&](const QString& line, qsizetype lineStart, qsizetype lineEnd) {
        const auto parsed = contentLine(line);
        if (!parsed)
            return;
        const auto& [name, value] = *parsed;
        const bool vcard = value.trimmed().compare(QLatin1String("VCARD"), Qt::CaseInsensitive) == 0;
        if (name == QLatin1String("BEGIN") && vcard) {
            // A card inside a card (AGENT, a broken file) starts over.
            card = VCard();
            cardStart = lineStart;
        } else if (name == QLatin1String("END") && card && vcard) {
            card->bytes = data.mid(cardStart, lineEnd - cardStart);
            if (card->uid.isEmpty())
                card->uid = QStringLiteral("urn:sha1:")
                    + QString::fromLatin1(QCryptographicHash::hash(card->bytes, QCryptographicHash::Sha1).toHex());
            else
                card->hasOwnUid = true;
            cards.append(*card);
            card.reset();
        } else if (card) {
            take(*card, name, value);
        }
    };
    qsizetype logicalStart = 0;
    qsizetype logicalEnd = 0;
    while (from < data.size() && lines < kMaxVCardLines && cards.size() < kMaxVCards) {
        qsizetype end = data.indexOf('\n', from);
        const qsizetype next = end < 0 ? data.size() : end + 1;
        if (end < 0)
            end = data.size();
        QByteArray raw = data.mid(from, end - from);
        if (raw.endsWith('\r'))
            raw.chop(1);
        ++lines;
        if (!raw.isEmpty() && (raw.at(0) == ' ' || raw.at(0) == '\t')) {
            // A folded line continues the one above.
            if (logical.size() < kMaxVCardLineChars)
                logical += QString::fromUtf8(raw.mid(1, kMaxVCardLineChars));
            logicalEnd = next;
        } else {
            if (!logical.isEmpty())
                handle(logical, logicalStart, logicalEnd);
            logical = QString::fromUtf8(raw.left(kMaxVCardLineChars));
            logicalStart = from;
            logicalEnd = next;
        }
        from = next;
    }
    if (!logical.isEmpty() && cards.size() < kMaxVCards)
        handle(logical, logicalStart, logicalEnd);
    return cards;
}

QString vcardTitle(const VCard& card)
{
    if (card.kind == QLatin1String("individual")) {
        const QString given = card.givenName.isEmpty() ? QStringLiteral("?") : card.givenName;
        const QString family = card.familyName.isEmpty() ? QStringLiteral("?") : card.familyName;
        return given + QLatin1Char(' ') + family;
    }
    if (card.kind == QLatin1String("org"))
        return card.organization.isEmpty() ? QStringLiteral("No organization name") : card.organization;
    logLine("ZEVPersonClass titleForABPerson: Unexpected error ABPerson is not a company or a person");
    return QStringLiteral("No name");
}

} // namespace tallomer
