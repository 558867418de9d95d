#include "platform/contacts/VCard.h"

#include "platform/pasteboard/BoundedImage.h"
#include "runtime/Clock.h"
#include "runtime/Log.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QTimeZone>
#include <QStringDecoder>
#include <QStringList>

#include <algorithm>
#include <cctype>

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

// The common forms, basic or extended, in UTC: 20240102, 20240102T030405, with a final Z or not.
// Read by hand: a book of thousands of cards is read at its first lookup, and a parse by format
// costs more than the rest of a card.
std::optional<KELDate> plainRevisionDate(const QString& v)
{
    QString compact;
    compact.reserve(v.size());
    for (const QChar c : v)
        if (c != QLatin1Char('-') && c != QLatin1Char(':'))
            compact += c;
    if (compact.endsWith(QLatin1Char('Z')))
        compact.chop(1);
    const bool withTime = compact.size() == 15 && compact.at(8) == QLatin1Char('T');
    if (compact.size() != 8 && !withTime)
        return std::nullopt;
    auto number = [&](int from, int count, bool* ok) { return QStringView(compact).mid(from, count).toInt(ok); };
    bool ok[6] = {true, true, true, true, true, true};
    const QDate date(number(0, 4, &ok[0]), number(4, 2, &ok[1]), number(6, 2, &ok[2]));
    const QTime time = withTime ? QTime(number(9, 2, &ok[3]), number(11, 2, &ok[4]), number(13, 2, &ok[5])) : QTime(0, 0);
    if (!std::all_of(std::begin(ok), std::end(ok), [](bool b) { return b; }) || !date.isValid() || !time.isValid())
        return std::nullopt;
    return dateFromUnix(double(QDateTime(date, time, QTimeZone::utc()).toSecsSinceEpoch()));
}

std::optional<KELDate> revisionDate(const QString& value)
{
    const QString v = value.trimmed();
    if (const std::optional<KELDate> plain = plainRevisionDate(v))
        return plain;
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

// A line's text: UTF-8, or, when the bytes are no UTF-8, the 8-bit charset older programs wrote
// (Latin-1), rather than names full of replacement marks.
QString textOf(QByteArrayView bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(bytes);
    return utf8.hasError() ? QString::fromLatin1(bytes) : text;
}

struct ContentLine {
    QString name; // upper-cased, without group and parameters
    QString value;
};

// Whether the head of a content line (its name and parameters) says ENCODING=QUOTED-PRINTABLE,
// as phones and older programs write cards with names beyond ASCII (vCard 2.1).
bool quotedPrintableHead(QByteArrayView line)
{
    const qsizetype colon = line.indexOf(':');
    return colon > 0 && line.first(colon).toByteArray().toUpper().contains("QUOTED-PRINTABLE");
}

// The text of a quoted-printable value ("=XX" are bytes; soft breaks were joined already); the
// bytes are the card's charset (UTF-8 unless it names Latin-1 or Windows' code page).
QString fromQuotedPrintable(QByteArrayView value, QByteArrayView head)
{
    QByteArray bytes;
    bytes.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        const char c = value.at(i);
        if (c == '=' && i + 2 < value.size() && isxdigit(uchar(value.at(i + 1))) && isxdigit(uchar(value.at(i + 2)))) {
            bytes += char(value.sliced(i + 1, 2).toByteArray().toInt(nullptr, 16));
            i += 2;
        } else {
            bytes += c;
        }
    }
    const QByteArray h = head.toByteArray().toUpper();
    if (h.contains("CHARSET=ISO-8859-1") || h.contains("CHARSET=WINDOWS-1252") || h.contains("CHARSET=LATIN1"))
        return QString::fromLatin1(bytes);
    return textOf(bytes);
}

// A content line's name, parameters and value.
std::optional<ContentLine> contentLine(const QString& line)
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
    return ContentLine{name.trimmed().toUpper(), line.mid(colon + 1)};
}

// Whether the raw line starts a PHOTO property (with or without a group), which alone may run
// past the line bound: an inline picture is one long line.
bool startsPhoto(QByteArrayView raw)
{
    qsizetype end = 0;
    while (end < raw.size() && end < 80 && raw.at(end) != ':' && raw.at(end) != ';')
        ++end;
    QByteArrayView name = raw.first(end);
    if (const qsizetype dot = name.lastIndexOf('.'); dot >= 0)
        name = name.sliced(dot + 1);
    return name.trimmed().compare("PHOTO", Qt::CaseInsensitive) == 0;
}

// The photo of a PHOTO line, when the card carries it: a data: URI in base64 (vCard 4) or an
// ENCODING=b / BASE64 value (vCard 3, 2.1). Any other URI is left alone, never fetched. The value
// stays bytes: a photo is most of a card's size, and base64 is ASCII.
void takePhoto(VCard& card, const QString& params, const QByteArray& value)
{
    const QByteArray v = value.trimmed();
    if (v.left(5).toLower() == "data:") {
        const qsizetype comma = v.indexOf(',');
        if (comma < 0)
            return;
        const QByteArray header = v.mid(5, comma - 5).toLower();
        if (!header.endsWith(";base64"))
            return;
        QByteArray media = header.left(header.size() - 7);
        if (const qsizetype semi = media.indexOf(';'); semi >= 0)
            media.truncate(semi);
        card.photoType = media.startsWith("image/") ? media.mid(6) : QByteArray();
        card.photoBase64 = v.mid(comma + 1);
        return;
    }
    bool base64 = false;
    QByteArray type;
    for (const QString& p : params.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const qsizetype eq = p.indexOf(QLatin1Char('='));
        const QString key = (eq < 0 ? p : p.left(eq)).trimmed().toUpper();
        const QString val = eq < 0 ? QString() : p.mid(eq + 1).trimmed().remove(QLatin1Char('"')).toLower();
        if (key == QLatin1String("ENCODING") && (val == QLatin1String("b") || val == QLatin1String("base64")))
            base64 = true;
        else if (eq < 0 && key == QLatin1String("BASE64"))
            base64 = true;
        else if (key == QLatin1String("TYPE") && !val.isEmpty())
            type = val.section(QLatin1Char('/'), -1).toLatin1();
        else if (eq < 0 && (key == QLatin1String("JPEG") || key == QLatin1String("PNG") || key == QLatin1String("GIF")))
            type = key.toLower().toLatin1();
    }
    if (!base64)
        return;
    card.photoType = type;
    card.photoBase64 = v;
}

// A PHOTO line read from its bytes: only its head (name and parameters) becomes text.
void takePhotoLine(VCard& card, const QByteArray& line)
{
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        if (line.at(i) == '"') {
            quoted = !quoted;
        } else if (line.at(i) == ':' && !quoted) {
            const QString head = QString::fromUtf8(line.left(i));
            const qsizetype semi = head.indexOf(QLatin1Char(';'));
            takePhoto(card, semi < 0 ? QString() : head.mid(semi), line.mid(i + 1));
            return;
        }
    }
}

void take(VCard& card, const ContentLine& line)
{
    const QString& name = line.name;
    const QString& value = line.value;
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

// An unfolded content line as the reader and the writer both judge it.
std::optional<ContentLine> logicalLine(const QByteArray& logical)
{
    if (quotedPrintableHead(logical)) {
        const qsizetype colon = logical.indexOf(':');
        const QByteArrayView head = QByteArrayView(logical).first(colon);
        return contentLine(textOf(head) + QLatin1Char(':')
                           + fromQuotedPrintable(QByteArrayView(logical).sliced(colon + 1), head));
    }
    return contentLine(textOf(logical));
}

// Whether a BEGIN or END line's value is "VCARD": any case, any blanks around, Unicode's too.
bool namesVCard(const ContentLine& line)
{
    return line.value.trimmed().compare(QLatin1String("VCARD"), Qt::CaseInsensitive) == 0;
}

// How many lines from `from` on begin a card ("BEGIN:VCARD", any case, spaces around).
qsizetype countCardsFrom(const QByteArray& data, qsizetype from)
{
    qsizetype count = 0;
    while (from < data.size()) {
        qsizetype end = data.indexOf('\n', from);
        if (end < 0)
            end = data.size();
        if (QByteArrayView(data).sliced(from, end - from).trimmed().compare("BEGIN:VCARD", Qt::CaseInsensitive) == 0)
            ++count;
        from = end + 1;
    }
    return count;
}

} // namespace

QList<VCard> parseVCards(const QByteArray& data, qsizetype* leftOut)
{
    if (leftOut)
        *leftOut = 0;
    QList<VCard> cards;
    if (data.isEmpty() || data.size() > kMaxVCardBytes)
        return cards;
    std::optional<VCard> card;
    qsizetype cardStart = 0;
    QByteArray logical; // one content line, unfolded, as UTF-8
    bool photo = false;  // the logical line is a PHOTO, bounded by the bytes alone
    int lines = 0;
    qsizetype from = 0;
    auto handle = [&](qsizetype lineStart, qsizetype lineEnd) {
        if (photo) {
            if (card)
                takePhotoLine(*card, logical);
            return;
        }
        const std::optional<ContentLine> parsed = logicalLine(logical);
        if (!parsed)
            return;
        const QString& name = parsed->name;
        const bool vcard = namesVCard(*parsed);
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
            take(*card, *parsed);
        }
    };
    qsizetype logicalStart = 0;
    qsizetype logicalEnd = 0;
    qsizetype bound = kMaxVCardLineChars;
    const QByteArrayView all(data);
    while (from < data.size() && lines < kMaxVCardLines && cards.size() < kMaxVCards) {
        qsizetype end = data.indexOf('\n', from);
        const qsizetype next = end < 0 ? data.size() : end + 1;
        if (end < 0)
            end = data.size();
        QByteArrayView raw = all.sliced(from, end - from);
        if (raw.endsWith('\r'))
            raw.chop(1);
        ++lines;
        if (!photo && logical.endsWith('=') && quotedPrintableHead(logical)) {
            // A quoted-printable soft break: the next line goes on with the value as it stands.
            logical.chop(1);
            if (logical.size() < bound)
                logical += raw.first(std::min(raw.size(), bound - logical.size()));
            logicalEnd = next;
        } else if (!raw.isEmpty() && (raw.at(0) == ' ' || raw.at(0) == '\t')) {
            // A folded line continues the one above.
            if (logical.size() < bound)
                logical += raw.sliced(1, std::min(raw.size() - 1, bound - logical.size()));
            logicalEnd = next;
        } else {
            if (!logical.isEmpty())
                handle(logicalStart, logicalEnd);
            photo = startsPhoto(raw);
            bound = photo ? kMaxVCardBytes : kMaxVCardLineChars;
            logical = raw.first(std::min(raw.size(), bound)).toByteArray();
            logicalStart = from;
            logicalEnd = next;
        }
        from = next;
    }
    if (!logical.isEmpty() && cards.size() < kMaxVCards)
        handle(logicalStart, logicalEnd);
    if (leftOut && from < data.size()) {
        // The bounds stopped the reading: the cards that began from the one left open on.
        *leftOut = countCardsFrom(data, card ? cardStart : logicalStart);
    }
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

std::optional<QImage> vcardPhoto(const VCard& card, const QSize& size)
{
    if (card.photoBase64.isEmpty())
        return std::nullopt;
    // Older cards indent the photo's lines further than a fold takes away; the blanks are no data.
    QByteArray base64 = card.photoBase64;
    base64.removeIf([](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; });
    const auto decoded = QByteArray::fromBase64Encoding(base64, QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded)
        return std::nullopt;
    // The bytes tell the format: cards often name it wrongly ("JPG", "image/jpg").
    return decodeImageBounded(*decoded, QByteArray(), size);
}

QByteArray vcardWithUidAndRevision(const QByteArray& bytes, const QString& uid, KELDate revision)
{
    const QString stamp = QDateTime::fromSecsSinceEpoch(qint64(unixFromDate(revision)), QTimeZone::utc())
                              .toString(QStringLiteral("yyyyMMdd'T'HHmmss'Z'"));
    const QByteArray eol = bytes.contains("\r\n") ? QByteArray("\r\n") : QByteArray("\n");
    const QByteArray added = "UID:" + uid.toUtf8() + eol + "REV:" + stamp.toLatin1() + eol;
    // Content lines with their folded continuations, each judged unfolded as the reader does.
    // Joined as parseVCards joins them (folds and quoted-printable soft breaks), so that a line the
    // reader takes for a UID or the card's end is the one replaced or written before.
    QList<std::pair<QByteArray, QByteArray>> units; // raw text, unfolded text
    bool photo = false;
    qsizetype from = 0;
    while (from < bytes.size()) {
        qsizetype end = bytes.indexOf('\n', from);
        end = end < 0 ? bytes.size() : end + 1;
        const QByteArray line = bytes.mid(from, end - from);
        from = end;
        QByteArray bare = line;
        if (bare.endsWith('\n'))
            bare.chop(1);
        if (bare.endsWith('\r'))
            bare.chop(1);
        if (!units.isEmpty() && !photo && units.last().second.endsWith('=') && quotedPrintableHead(units.last().second)) {
            units.last().first += line;
            units.last().second.chop(1);
            units.last().second += bare;
        } else if (!units.isEmpty() && !line.isEmpty() && (line.at(0) == ' ' || line.at(0) == '\t')) {
            units.last().first += line;
            units.last().second += bare.mid(1);
        } else {
            units.append({line, bare});
            photo = startsPhoto(bare);
        }
    }
    QByteArray out;
    out.reserve(bytes.size() + added.size());
    bool placed = false;
    for (const auto& [raw, text] : units) {
        const std::optional<ContentLine> line = startsPhoto(text) ? std::nullopt : logicalLine(text);
        const QString name = line ? line->name : QString();
        if (name == QLatin1String("UID") || name == QLatin1String("REV"))
            continue;
        if (!placed && name == QLatin1String("END") && namesVCard(*line)) {
            out += added;
            placed = true;
        }
        out += raw;
    }
    return out;
}

} // namespace tallomer
