#include "ruler/ZEVRulerPickerDates.h"

#include "platform/CalendarDate.h"

#include <algorithm>
#include <cmath>
#include <tuple>
#include <vector>

namespace tallomer {

namespace {

using Champs = std::tuple<int, int, int, int, int, int>;

Champs champsDe(const CalendarDate& c) { return {c.year(), c.month(), c.day(), c.hour(), c.minute(), c.second()}; }

} // namespace

std::optional<QDateTime> ZEVChampsPourDate(KELDate date)
{
    if (!std::isfinite(date))
        return std::nullopt;
    const std::optional<CalendarDate> c = CalendarDate::fromDate(std::floor(date));
    if (!c)
        return std::nullopt;
    const QDate jour(c->year(), c->month(), c->day());
    if (!jour.isValid())
        return std::nullopt;
    return QDateTime(jour, QTime(c->hour(), c->minute(), std::min(c->second(), 59)), Qt::UTC);
}

std::optional<KELDate> ZEVDatePourChamps(const QDate& day, const QTime& time, std::optional<KELDate> shown)
{
    if (!day.isValid() || !time.isValid())
        return std::nullopt;
    const Champs voulu{day.year(), day.month(), day.day(), time.hour(), time.minute(), time.second()};
    // Both readings of the fields: they differ only for a time the change back repeats. A second
    // typed in the repeated hour must not send the cursor back an hour, nor an hour stepped down
    // from 03:00 two: the side of the moment shown wins.
    std::vector<CalendarDate> lectures;
    for (bool ete : {true, false}) {
        const std::optional<CalendarDate> c = CalendarDate::fromFields(day.year(), day.month(), day.day(), time.hour(),
                                                                       time.minute(), time.second(), ete);
        if (c && champsDe(*c) == voulu)
            lectures.push_back(*c);
    }
    if (!lectures.empty()) {
        const std::optional<CalendarDate> vu = shown ? CalendarDate::fromDate(*shown) : std::nullopt;
        const bool deuxCotes = lectures.size() == 2 && lectures[0].siHeureDEte() != lectures[1].siHeureDEte();
        if (vu && deuxCotes)
            for (const CalendarDate& c : lectures)
                if (c.siHeureDEte() == vu->siHeureDEte())
                    return c.date();
        return std::min_element(lectures.begin(), lectures.end(),
                                [](const CalendarDate& a, const CalendarDate& b) { return a.date() < b.date(); })
            ->date();
    }

    // No instant shows these fields: they lie in a gap. The first instant whose wall clock reads
    // past them ends the gap; the clock runs forward on both sides of it, so it is found by halving.
    const std::optional<CalendarDate> apres =
        CalendarDate::fromFields(day.year(), day.month(), day.day(), time.hour(), time.minute(), time.second());
    if (!apres || !(champsDe(*apres) > voulu))
        return std::nullopt;
    double avant = apres->date() - 2 * 86400.0;
    double haut = apres->date();
    const std::optional<CalendarDate> debut = CalendarDate::fromDate(avant);
    if (!debut || !(champsDe(*debut) < voulu))
        return std::nullopt;
    while (haut - avant > 1) {
        const double milieu = std::floor((avant + haut) / 2);
        const std::optional<CalendarDate> c = CalendarDate::fromDate(milieu);
        if (!c)
            return std::nullopt;
        (champsDe(*c) < voulu ? avant : haut) = milieu;
    }
    return haut;
}

} // namespace tallomer
