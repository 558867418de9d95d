#pragma once
// The dates of the ruler's zooms, on the local calendar (CalendarDate, the process's time zone):
// the minute, hour, day, week, month, quarter or year that holds a moment, and a moment moved one
// such length forward or back. Days, weeks and longer follow the calendar, so that a day of a
// daylight-saving change has its 23 or 25 hours and a month its own length.

#include "runtime/Date.h"

#include <optional>

namespace tallomer {

enum class ZEVZoomFamille { This, Next, Prev };
enum class ZEVZoomUnite { Minute, Heure, Jour, Semaine, Mois, Trimestre, SixMois, Annee };

struct ZEVPeriode {
    KELDate debut = 0;
    KELDate fin = 0;
};

// The period of the unit that holds t, from its start to the start of the next one: weeks start on
// Sunday at 00:00 and quarters on 1 January, April, July and October. Nothing for six months,
// which has no such period, nor for a moment the calendar cannot show.
std::optional<ZEVPeriode> periodeContenant(ZEVZoomUnite unite, KELDate t);

// t one unit later (sens > 0) or earlier: minutes, hours, days and weeks as elapsed seconds;
// months, six months and years on the calendar from t's whole second, a day that the month lacks
// rolling into the next month (31 January and one month is 3 March, or 2 March in a leap year).
// Nothing for a quarter, nor for a moment the calendar cannot show.
std::optional<KELDate> dateDecalee(ZEVZoomUnite unite, KELDate t, int sens);

} // namespace tallomer
