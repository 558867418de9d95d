#include "platform/CalendarDate.h"

#include "runtime/Clock.h"

#include <cmath>
#include <limits>

namespace tallomer {

namespace {

// Every date the program graduates: dates run to 2^52 s either side of 2001 (some 142.7 million
// years), beyond which they stand for "always" or "open". Near enough for every field to stay an
// int.
constexpr long long kAnneesMax = 150000000;

bool dansLesAnnees(long long year) { return year > -kAnneesMax && year < kAnneesMax; }

bool memesChamps(const std::tm& a, const std::tm& b)
{
    return a.tm_year == b.tm_year && a.tm_mon == b.tm_mon && a.tm_mday == b.tm_mday && a.tm_hour == b.tm_hour &&
           a.tm_min == b.tm_min && a.tm_sec == b.tm_sec;
}

} // namespace

std::optional<CalendarDate> CalendarDate::fromDate(KELDate date)
{
    if (!std::isfinite(date))
        return std::nullopt;
    const double unix = std::floor(unixFromDate(date));
    if (std::fabs(unix) > double(std::numeric_limits<std::int64_t>::max() / 2))
        return std::nullopt;
    const std::time_t t = static_cast<std::time_t>(unix);
    std::tm tm{};
    if (!localtime_r(&t, &tm))
        return std::nullopt;
    return CalendarDate(tm, date);
}

// mktime normalises the fields in place; a failure leaves tm_wday as it was.
std::optional<CalendarDate> CalendarDate::depuisTm(std::tm tm)
{
    tm.tm_wday = -1;
    const std::time_t t = std::mktime(&tm);
    if (tm.tm_wday < 0)
        return std::nullopt;
    return CalendarDate(tm, dateFromUnix(double(t)));
}

std::optional<CalendarDate> CalendarDate::fromFields(int year, int month, int day, int hour, int minute, int second)
{
    return resoudre(year, month, day, hour, minute, second, std::nullopt);
}

std::optional<CalendarDate> CalendarDate::fromFields(int year, int month, int day, int hour, int minute, int second,
                                                     bool summerTime)
{
    return resoudre(year, month, day, hour, minute, second, summerTime);
}

// mktime with tm_isdst -1 guesses from the offset of its previous call, so that a repeated or
// skipped wall-clock time could come out either way; both readings are asked for instead, and the
// one the zone really shows is kept.
std::optional<CalendarDate> CalendarDate::resoudre(int year, int month, int day, int hour, int minute, int second,
                                                   std::optional<bool> summerTime)
{
    if (!dansLesAnnees(year))
        return std::nullopt;
    std::tm tm{};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_sec = second;
    if (std::optional<CalendarDate> seule = loinDesChangements(tm))
        return seule;
    std::tm h = tm;
    h.tm_isdst = 0;
    std::tm e = tm;
    e.tm_isdst = 1;
    const std::optional<CalendarDate> hiver = depuisTm(h);
    const std::optional<CalendarDate> ete = depuisTm(e);
    // A reading is the zone's own when the zone shows that moment with that daylight saving.
    const bool hiverJuste = hiver && !hiver->siHeureDEte();
    const bool eteJuste = ete && ete->siHeureDEte();
    if (hiverJuste && eteJuste && memesChamps(hiver->tm_, ete->tm_)) {
        // Repeated by the change back: the occurrence asked for, else the second.
        if (summerTime)
            return *summerTime ? ete : hiver;
        return hiver->date() > ete->date() ? hiver : ete;
    }
    if (hiverJuste != eteJuste)
        return hiverJuste ? hiver : ete;
    if (!hiverJuste && !eteJuste && hiver && ete)
        // Skipped by the change to summer time: the same time after the change.
        return hiver->date() > ete->date() ? hiver : ete;
    tm.tm_isdst = -1;
    return depuisTm(tm);
}

// A reading whose zone keeps one offset for two days on either side is the only reading: no
// change of offset lies near enough to skip or repeat it. Most moments are such; this spares them
// the reading with the other daylight saving, for which mktime searches the zone's rules across
// months on either side (hundreds of conversions) and, in a zone with no summer time, finds none.
std::optional<CalendarDate> CalendarDate::loinDesChangements(std::tm tm)
{
    tm.tm_isdst = -1;
    const std::optional<CalendarDate> r = depuisTm(tm);
    if (!r)
        return std::nullopt;
    constexpr std::time_t kAutour = 2 * 86400;
    const std::time_t t = static_cast<std::time_t>(std::floor(unixFromDate(r->date())));
    for (const std::time_t u : {t - kAutour, t + kAutour}) {
        std::tm voisin{};
        if (!localtime_r(&u, &voisin) || voisin.tm_gmtoff != r->tm_.tm_gmtoff || voisin.tm_isdst != r->tm_.tm_isdst)
            return std::nullopt;
    }
    return r;
}

int CalendarDate::weekOfYear() const
{
    const int k = tm_.tm_yday - tm_.tm_wday;
    return k < 0 ? 0 : k / 7 + 1;
}

int CalendarDate::minuteOfDay() const { return tm_.tm_hour * 60 + tm_.tm_min; }

std::optional<CalendarDate> CalendarDate::beginningOfDay() const { return fromFields(year(), month(), day()); }

std::optional<CalendarDate> CalendarDate::beginningOfWeek() const
{
    return fromFields(year(), month(), day() - dayOfWeek());
}

std::optional<CalendarDate> CalendarDate::dateByAdding(int years, int months, int days, int hours, int minutes,
                                                       int seconds) const
{
    std::optional<CalendarDate> r = *this;
    if (years || months || days || hours) {
        const long long y = static_cast<long long>(year()) + years;
        if (!dansLesAnnees(y) || std::abs(static_cast<long long>(months)) > 12 * kAnneesMax ||
            std::abs(static_cast<long long>(days)) > 366 * kAnneesMax)
            return std::nullopt;
        // Daylight saving as it was: an hour later than the first 02:30 of a change back is the
        // second 02:30, not 03:30.
        r = fromFields(int(y), month() + months, day() + days, hour() + hours, minute(), second(), siHeureDEte());
        if (!r)
            return std::nullopt;
        r = CalendarDate(r->tm_, r->date_ + (date_ - std::floor(date_)));
    }
    if (minutes || seconds) {
        const double d = r->date_ + 60.0 * minutes + seconds;
        r = fromDate(d);
    }
    return r;
}

QString CalendarDate::format(const QString& format) const
{
    if (!siFormatValide(format))
        return {};
    char buffer[256];
    const QByteArray f = format.toLocal8Bit();
    const std::size_t n = std::strftime(buffer, sizeof buffer, f.constData(), &tm_);
    return QString::fromLocal8Bit(buffer, int(n));
}

bool CalendarDate::siFormatValide(const QString& format)
{
    if (format.isEmpty())
        return false;
    static const QString conversions = QStringLiteral("aAbBdeHIjmMpSyYZ%");
    for (qsizetype i = 0; i < format.size(); ++i) {
        if (format[i] != QLatin1Char('%'))
            continue;
        if (i + 1 >= format.size() || !conversions.contains(format[i + 1]))
            return false;
        ++i;
    }
    return true;
}

} // namespace tallomer
