#include "space/ZEVZevpURL.h"

#include <QByteArray>
#include <QStringList>
#include <QUrl>

#include <cmath>
#include <map>

namespace tallomer {

namespace {

// Two decimals, whatever the user's locale (the string travels between machines).
QString deux(double v) { return QString::asprintf("%.2f", v); }

// A decimal unsigned integer of at most 20 digits and no sign, that fits 64 bits.
std::optional<KELId> entier(const QString& s)
{
    if (s.isEmpty() || s.size() > 20)
        return std::nullopt;
    for (QChar ch : s)
        if (ch < u'0' || ch > u'9')
            return std::nullopt;
    bool ok = false;
    const qulonglong v = s.toULongLong(&ok, 10);
    return ok ? std::optional<KELId>(KELId(v)) : std::nullopt;
}

std::optional<double> nombre(const std::map<QString, QString>& champs, const char* nom)
{
    auto it = champs.find(QString::fromLatin1(nom));
    if (it == champs.end())
        return std::nullopt;
    bool ok = false;
    const double v = it->second.toDouble(&ok);
    // 2^52 itself is the link base's open end (and its negative the beginning of time): no place.
    if (!ok || !std::isfinite(v) || !(std::fabs(v) < ZEVZevpReading::kMaxNumber))
        return std::nullopt;
    return v;
}

ZEVZevpReading refus(const QString& pourquoi)
{
    ZEVZevpReading r;
    r.refused = true;
    r.error = pourquoi;
    return r;
}

} // namespace

void ZEVZevpPlaceCursors(ZEVZevpPlace& p, const ZEVZevpCursors& c)
{
    double t = 0;
    if (c.actifNow) {
        p.con = p.siSpace ? c.nOut : c.nNow;
        p.coi = p.siSpace ? c.nIn : 0;
        t = c.nNow - c.tNow;
    } else {
        p.con = p.siSpace ? c.nOut : c.sNow;
        p.coi = p.siSpace ? 0 : c.sIn;
        t = c.sNow - c.tNow;
    }
    p.roi = c.rIn - t;
    p.roo = c.rOut - t;
}

QString ZEVZevpString(const ZEVZevpPlace& p)
{
    QString objets;
    if (!p.objects.empty()) {
        QStringList ids;
        for (KELId id : p.objects)
            ids << QString::number(id);
        objets = QStringLiteral("&o=") + ids.join(u',');
    }
    return QStringLiteral("zevp://local/%1?c=%2&m=%3%4&con=%5&coi=%6&roi=%7&roo=%8")
        .arg(QString::number(p.channelInt), p.siSpace ? QStringLiteral("now") : QStringLiteral("search"),
             QString::number(unsigned(p.mode)), objets, deux(p.con), deux(p.coi), deux(p.roi), deux(p.roo));
}

ZEVZevpReading ZEVZevpRead(const QString& texte)
{
    if (texte.size() > ZEVZevpReading::kMaxLength)
        return refus(QStringLiteral("longer than %1 characters").arg(ZEVZevpReading::kMaxLength));
    const QUrl url(texte, QUrl::StrictMode);
    if (!url.isValid())
        return refus(QStringLiteral("not a URL"));
    if (url.scheme().compare(QLatin1String("zevp"), Qt::CaseInsensitive) != 0)
        return refus(QStringLiteral("not a zevp URL"));
    if (url.host() != QLatin1String("local"))
        return refus(QStringLiteral("its host is not \"local\""));
    const QStringList parties = url.path().split(u'/', Qt::SkipEmptyParts);
    if (parties.isEmpty())
        return refus(QStringLiteral("it names no Channel"));
    const std::optional<KELId> canal = entier(parties.last());
    if (!canal || *canal == 0)
        return refus(QStringLiteral("its Channel is not an id"));

    ZEVZevpReading r;
    r.refused = false;
    r.channelInt = *canal;
    r.hasQuery = url.hasQuery();
    if (!r.hasQuery)
        return r;

    // Names and values are percent-decoded as UTF-8; a later name replaces an earlier one.
    std::map<QString, QString> champs;
    const QByteArray query = url.query(QUrl::FullyEncoded).toLatin1();
    for (const QByteArray& part : query.split('&')) {
        const qsizetype egal = part.indexOf('=');
        if (egal < 0)
            continue;
        champs[QUrl::fromPercentEncoding(part.left(egal))] = QUrl::fromPercentEncoding(part.mid(egal + 1));
    }

    if (auto it = champs.find(QStringLiteral("c")); it != champs.end())
        r.c = it->second;
    if (auto it = champs.find(QStringLiteral("m")); it != champs.end()) {
        bool ok = false;
        const int m = it->second.toInt(&ok, 10);
        r.mode = ok ? m : 0;
    }
    if (auto it = champs.find(QStringLiteral("o")); it != champs.end()) {
        r.hasObjects = true;
        const QStringList ids = it->second.split(u',');
        if (ids.size() > ZEVZevpReading::kMaxIds)
            return refus(QStringLiteral("it names more than %1 Objects").arg(ZEVZevpReading::kMaxIds));
        for (const QString& s : ids)
            if (const std::optional<KELId> id = entier(s); id && *id != 0)
                r.objects.push_back(*id);
    }
    const auto con = nombre(champs, "con"), coi = nombre(champs, "coi"), roi = nombre(champs, "roi"),
               roo = nombre(champs, "roo");
    if (con && coi && roi && roo)
        r.cursor = ZEVZevpReading::Cursor{*con, *coi, *roi, *roo};
    return r;
}

} // namespace tallomer
