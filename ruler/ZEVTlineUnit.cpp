#include "ruler/ZEVTlineUnit.h"

#include "ruler/ZEVTlineType.h"
#include "runtime/Log.h"

#include <QVariantList>

#include <algorithm>
#include <cmath>

namespace tallomer {

namespace {

// Beyond ±2^52 a date stands for "always" or "open": there is nothing to graduate.
bool siDateBornee(KELDate d) { return std::isfinite(d) && std::fabs(d) < KELDateOuverte; }

int annee(const CalendarDate& d) { return d.year(); }
int mois(const CalendarDate& d) { return d.month(); }
int jourDuMois(const CalendarDate& d) { return d.day(); }
int jourDeLaSemaine(const CalendarDate& d) { return d.dayOfWeek(); }
int heure(const CalendarDate& d) { return d.hour(); }
int minuteDuJour(const CalendarDate& d) { return d.minuteOfDay(); }
int seconde(const CalendarDate& d) { return d.second(); }

// "%d" once, otherwise only "%%": the week's label is filled by us, never by printf.
bool siFormatDeSemaine(const QString& format)
{
    int placeholders = 0;
    for (qsizetype i = 0; i < format.size(); ++i) {
        if (format[i] != QLatin1Char('%'))
            continue;
        if (i + 1 >= format.size())
            return false;
        const QChar c = format[++i];
        if (c == QLatin1Char('d'))
            ++placeholders;
        else if (c != QLatin1Char('%'))
            return false;
    }
    return placeholders == 1;
}

int entier(std::int64_t v) { return int(std::clamp<std::int64_t>(v, -2000000000, 2000000000)); }

} // namespace

std::unique_ptr<ZEVTlineUnit> ZEVTlineUnit::initWithDictionary(const QVariantMap& entry, QString* error)
{
    auto refus = [error](const QString& why) -> std::unique_ptr<ZEVTlineUnit> {
        if (error)
            *error = why;
        return nullptr;
    };
    std::unique_ptr<ZEVTlineUnit> unit(new ZEVTlineUnit);
    unit->name_ = entry.value(QStringLiteral("name")).toString();
    static const QStringList noms = {QStringLiteral("year"), QStringLiteral("month"),  QStringLiteral("week"),
                                     QStringLiteral("day"),  QStringLiteral("hour"),   QStringLiteral("minute"),
                                     QStringLiteral("second")};
    if (!noms.contains(unit->name_))
        return refus(QStringLiteral("unknown unit name \"%1\"").arg(unit->name_));
    unit->format_ = entry.value(QStringLiteral("format")).toString();
    const bool semaine = unit->name_ == QLatin1String("week");
    if (semaine ? !siFormatDeSemaine(unit->format_) : !CalendarDate::siFormatValide(unit->format_))
        return refus(QStringLiteral("the %1 unit's format \"%2\" is not one it can use").arg(unit->name_, unit->format_));

    bool ok = false;
    const double longueur = entry.value(QStringLiteral("typicalEventLength")).toDouble(&ok);
    unit->typicalEventLength_ = ok && std::isfinite(longueur) ? longueur : 0.0;
    unit->typicalEventTitle_ = entry.value(QStringLiteral("typicalEventTitle")).toString();
    for (const QVariant& v : entry.value(QStringLiteral("includedUnitsNames")).toList())
        if (v.typeId() == QMetaType::QString)
            unit->includedUnitsNames_.append(v.toString());
    for (const QVariant& v : entry.value(QStringLiteral("stepUpCycles")).toList()) {
        if (v.typeId() != QMetaType::LongLong && v.typeId() != QMetaType::Int)
            return refus(QStringLiteral("the %1 unit has a step-up cycle that is not an integer").arg(unit->name_));
        unit->stepUpCycles_.push_back(v.toLongLong());
    }
    const QVariant plusGrand = entry.value(QStringLiteral("largestRelevantStepUpCycle"));
    unit->largestRelevantStepUpCycle_ = plusGrand.isValid() ? plusGrand.toLongLong() : 0;

    for (std::int64_t c : unit->stepUpCycles_) {
        if (c == 0)
            break;
        unit->stepUpCycleCArray_.push_back(c);
    }
    unit->stepUpCycleCArray_.push_back(0);
    unit->typeSetUp();
    unit->events_.reserve(1000);
    return unit;
}

void ZEVTlineUnit::typeSetUp()
{
    struct Ligne {
        const char* nom;
        std::int64_t ZEVTlineUnit::*increment;
        std::int64_t pas;
        FieldGetter champ;
        LoopStart debut;
    };
    static const Ligne lignes[] = {
        {"year", &ZEVTlineUnit::yearIncrement_, 1, annee, &ZEVTlineUnit::yearEventLoopInitWithStart},
        {"month", &ZEVTlineUnit::monthIncrement_, 1, mois, &ZEVTlineUnit::monthEventLoopInitWithStart},
        {"week", &ZEVTlineUnit::dayIncrement_, 7, jourDuMois, &ZEVTlineUnit::weekEventLoopInitWithStart},
        {"day", &ZEVTlineUnit::dayIncrement_, 1, jourDeLaSemaine, &ZEVTlineUnit::dayEventLoopInitWithStart},
        {"hour", &ZEVTlineUnit::hourIncrement_, 1, heure, &ZEVTlineUnit::hourEventLoopInitWithStart},
        {"minute", &ZEVTlineUnit::minuteIncrement_, 1, minuteDuJour, &ZEVTlineUnit::minuteEventLoopInitWithStart},
        {"second", &ZEVTlineUnit::secondIncrement_, 1, seconde, &ZEVTlineUnit::secondEventLoopInitWithStart},
    };
    for (const Ligne& l : lignes) {
        if (name_ != QLatin1String(l.nom))
            continue;
        this->*l.increment = l.pas;
        getValue_ = l.champ;
        eventLoopInit_ = l.debut;
    }
}

void ZEVTlineUnit::setMinStepUpCycle(std::int64_t f) { stepUpCycleFilter_ = std::clamp<std::int64_t>(f, 1, kMaxStepUpCycleFilter); }

double ZEVTlineUnit::typicalEventRelativeLength() const
{
    if (!tlineType_)
        return 0.0;
    return tlineType_->relativeCoordinateForDate(tlineType_->inDate() + typicalEventLength_);
}

double ZEVTlineUnit::nominalSeconds() const
{
    return yearIncrement_ * 365.0 * 86400.0 + monthIncrement_ * 28.0 * 86400.0 + dayIncrement_ * 86400.0 +
           hourIncrement_ * 3600.0 + minuteIncrement_ * 60.0 + double(secondIncrement_);
}

std::optional<CalendarDate> ZEVTlineUnit::pas(const CalendarDate& from, std::int64_t n) const
{
    std::optional<CalendarDate> next =
        from.dateByAdding(entier(yearIncrement_ * n), entier(monthIncrement_ * n), entier(dayIncrement_ * n),
                          entier(hourIncrement_ * n), entier(minuteIncrement_ * n), entier(secondIncrement_ * n));
    if (next && next->date() <= from.date())
        next = CalendarDate::fromDate(from.date() + nominalSeconds() * double(n));
    return next;
}

QString ZEVTlineUnit::titleFor(const CalendarDate& start) const
{
    if (name_ != QLatin1String("week"))
        return start.format(format_);
    QString titre;
    for (qsizetype i = 0; i < format_.size(); ++i) {
        if (format_[i] == QLatin1Char('%') && i + 1 < format_.size()) {
            ++i;
            titre += format_[i] == QLatin1Char('d') ? QString::number(start.weekOfYear()) : QStringLiteral("%");
        } else {
            titre += format_[i];
        }
    }
    return titre;
}

// A start computed from wall-clock fields in a repeated hour may be the later occurrence, after
// the date it is for; the earlier occurrence is the one at or before it.
std::optional<CalendarDate> ZEVTlineUnit::auPlusTard(std::optional<CalendarDate> start, const CalendarDate& d) const
{
    if (!start || start->date() <= d.date())
        return start;
    std::optional<CalendarDate> ete = CalendarDate::fromFields(start->year(), start->month(), start->day(), start->hour(),
                                                               start->minute(), start->second(), true);
    return ete && ete->date() <= d.date() ? ete : start;
}

std::optional<CalendarDate> ZEVTlineUnit::yearEventLoopInitWithStart(const CalendarDate& d) const
{
    const std::int64_t f = stepUpCycleFilter_;
    const std::int64_t y = d.year();
    // Counted down to the multiple of f at or before the year, before year 0 as well.
    const std::int64_t reste = ((y % f) + f) % f;
    return auPlusTard(CalendarDate::fromFields(entier(y - reste), 1, 1), d);
}

std::optional<CalendarDate> ZEVTlineUnit::monthEventLoopInitWithStart(const CalendarDate& d) const
{
    const std::int64_t f = stepUpCycleFilter_;
    const int m = d.month();
    return auPlusTard(CalendarDate::fromFields(d.year(), entier(m - (m % f)), 1), d);
}

std::optional<CalendarDate> ZEVTlineUnit::weekEventLoopInitWithStart(const CalendarDate& d) const
{
    return auPlusTard(d.beginningOfWeek(), d);
}

std::optional<CalendarDate> ZEVTlineUnit::dayEventLoopInitWithStart(const CalendarDate& d) const
{
    const std::int64_t f = stepUpCycleFilter_;
    if (f == 7)
        return auPlusTard(d.beginningOfWeek(), d);
    return auPlusTard(CalendarDate::fromFields(d.year(), d.month(), entier(f * (d.day() / f))), d);
}

std::optional<CalendarDate> ZEVTlineUnit::hourEventLoopInitWithStart(const CalendarDate& d) const
{
    const std::int64_t f = stepUpCycleFilter_;
    return auPlusTard(CalendarDate::fromFields(d.year(), d.month(), d.day(), entier(f * (d.hour() / f))), d);
}

std::optional<CalendarDate> ZEVTlineUnit::minuteEventLoopInitWithStart(const CalendarDate& d) const
{
    const std::int64_t f = stepUpCycleFilter_;
    if (f <= 60)
        return auPlusTard(CalendarDate::fromFields(d.year(), d.month(), d.day(), d.hour(), entier(f * (d.minute() / f))),
                          d);
    const std::int64_t g = f / 60;
    return auPlusTard(CalendarDate::fromFields(d.year(), d.month(), d.day(), entier(g * (d.hour() / g))), d);
}

std::optional<CalendarDate> ZEVTlineUnit::secondEventLoopInitWithStart(const CalendarDate& d) const
{
    const std::int64_t f = stepUpCycleFilter_;
    return auPlusTard(
        CalendarDate::fromFields(d.year(), d.month(), d.day(), d.hour(), d.minute(), entier(f * (d.second() / f))), d);
}

const std::vector<ZEVTlineMark>& ZEVTlineUnit::eventsWithinRelative(double r0, double r1)
{
    if (!tlineType_)
        return vider();
    return eventsIntersectingInDate(tlineType_->dateForRelativeCoordinate(r0), tlineType_->dateForRelativeCoordinate(r1));
}

const std::vector<ZEVTlineMark>& ZEVTlineUnit::vider()
{
    events_.clear();
    return events_;
}

const std::vector<ZEVTlineMark>& ZEVTlineUnit::eventsIntersectingInDate(KELDate a, KELDate b)
{
    const std::int64_t f = stepUpCycleFilter_;
    if (siLastQuery_ && f == lastReturnedEventsStepUpCycle_ && a == lastReturnedEventsInDate_ &&
        b == lastReturnedEventsOutDate_)
        return events_;
    siLastQuery_ = true;
    lastReturnedEventsStepUpCycle_ = f;
    lastReturnedEventsInDate_ = a;
    lastReturnedEventsOutDate_ = b;
    vider();
    if (!siDateBornee(a) || !siDateBornee(b) || !eventLoopInit_)
        return events_;
    const double marques = (b - a) / (nominalSeconds() * double(f));
    if (marques > double(kMaxMarks)) {
        logFormat("ZEVTlineUnit eventsIntersectingInDate: %s marks every %lld over %.0f s would be more than %zu",
                  qUtf8Printable(name_), static_cast<long long>(f), b - a, kMaxMarks);
        return events_;
    }
    const std::optional<CalendarDate> sa = CalendarDate::fromDate(a);
    if (!sa)
        return events_;
    std::optional<CalendarDate> cur = (this->*eventLoopInit_)(*sa);
    if (!cur || cur->date() > b)
        return events_;
    while (events_.size() <= kMaxMarks) {
        const int v = getValue_(*cur);
        std::int64_t stepUp = 1;
        for (const std::int64_t* c = stepUpCycleCArray_.data(); *c != 0; ++c)
            if (v % *c == 0)
                stepUp = *c;
        const std::optional<CalendarDate> next = pas(*cur, 1);
        if (!next)
            break;
        ZEVTlineMark mark = ZEVTlineMark::RulerMarkWithUnit(this);
        mark.setTitle(titleFor(*cur));
        mark.setStepUpCycle(stepUp);
        mark.setInDate(cur->date(), next->date());
        events_.push_back(std::move(mark));
        cur = f > 1 ? pas(*cur, f) : next;
        if (!cur || next->date() > b)
            break;
    }
    return events_;
}

} // namespace tallomer
