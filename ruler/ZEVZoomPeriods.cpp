#include "ruler/ZEVZoomPeriods.h"

#include "platform/CalendarDate.h"

#include <cmath>

namespace tallomer {

namespace {

std::optional<ZEVPeriode> entre(const std::optional<CalendarDate>& debut, const std::optional<CalendarDate>& fin)
{
    if (!debut || !fin)
        return std::nullopt;
    return ZEVPeriode{debut->date(), fin->date()};
}

} // namespace

std::optional<ZEVPeriode> periodeContenant(ZEVZoomUnite unite, KELDate t)
{
    const std::optional<CalendarDate> c = CalendarDate::fromDate(t);
    if (!c)
        return std::nullopt;
    // Minutes and hours are cut as elapsed time: in an hour that the change back repeats, the
    // clock's fields alone would not say which of the two is meant.
    const double seconde = std::floor(t);
    switch (unite) {
    case ZEVZoomUnite::Minute: {
        const double debut = seconde - c->second();
        return ZEVPeriode{debut, debut + 60};
    }
    case ZEVZoomUnite::Heure: {
        const double debut = seconde - c->second() - 60.0 * c->minute();
        return ZEVPeriode{debut, debut + 3600};
    }
    case ZEVZoomUnite::Jour:
        return entre(c->beginningOfDay(), CalendarDate::fromFields(c->year(), c->month(), c->day() + 1));
    case ZEVZoomUnite::Semaine:
        return entre(c->beginningOfWeek(),
                     CalendarDate::fromFields(c->year(), c->month(), c->day() - c->dayOfWeek() + 7));
    case ZEVZoomUnite::Mois:
        return entre(CalendarDate::fromFields(c->year(), c->month(), 1),
                     CalendarDate::fromFields(c->year(), c->month() + 1, 1));
    case ZEVZoomUnite::Trimestre: {
        const int premier = (c->month() - 1) / 3 * 3 + 1;
        return entre(CalendarDate::fromFields(c->year(), premier, 1),
                     CalendarDate::fromFields(c->year(), premier + 3, 1));
    }
    case ZEVZoomUnite::Annee:
        return entre(CalendarDate::fromFields(c->year(), 1, 1), CalendarDate::fromFields(c->year() + 1, 1, 1));
    case ZEVZoomUnite::SixMois:
        break;
    }
    return std::nullopt;
}

std::optional<KELDate> dateDecalee(ZEVZoomUnite unite, KELDate t, int sens)
{
    if (!std::isfinite(t))
        return std::nullopt;
    const int s = sens > 0 ? 1 : -1;
    auto calendrier = [&](int annees, int mois) -> std::optional<KELDate> {
        const std::optional<CalendarDate> c = CalendarDate::fromDate(std::floor(t));
        const std::optional<CalendarDate> d = c ? c->dateByAdding(s * annees, s * mois, 0, 0, 0, 0) : std::nullopt;
        if (!d)
            return std::nullopt;
        return d->date();
    };
    switch (unite) {
    case ZEVZoomUnite::Minute:
        return t + s * 60.0;
    case ZEVZoomUnite::Heure:
        return t + s * 3600.0;
    case ZEVZoomUnite::Jour:
        return t + s * 86400.0;
    case ZEVZoomUnite::Semaine:
        return t + s * 604800.0;
    case ZEVZoomUnite::Mois:
        return calendrier(0, 1);
    case ZEVZoomUnite::SixMois:
        return calendrier(0, 6);
    case ZEVZoomUnite::Annee:
        return calendrier(1, 0);
    case ZEVZoomUnite::Trimestre:
        break;
    }
    return std::nullopt;
}

} // namespace tallomer
