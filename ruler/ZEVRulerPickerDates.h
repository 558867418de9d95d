#pragma once
// The ruler bar's pickers show and take dates as the local wall clock reads them. A picker holds
// the wall-clock fields of a date as a QDateTime in UTC, so that Qt converts nothing;
// the fields go to and come from dates through CalendarDate, in the process's time zone.

#include "runtime/Date.h"

#include <QDateTime>

#include <optional>

namespace tallomer {

// The wall-clock fields of a date (whole seconds, truncated); nothing for a date the calendar
// cannot show.
std::optional<QDateTime> ZEVChampsPourDate(KELDate date);

// The date of wall-clock fields a user picked. A time that a change to summer time skips is taken
// as the first instant after the gap; a time that the change back repeats, as its occurrence on
// the side of the change where `shown` lies (the moment the picker showed before), else as its
// first occurrence. Nothing for fields beyond the calendar's years.
std::optional<KELDate> ZEVDatePourChamps(const QDate& day, const QTime& time,
                                         std::optional<KELDate> shown = std::nullopt);

} // namespace tallomer
