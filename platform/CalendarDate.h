#pragma once
// A moment as the local calendar shows it: year, month, day, hour, minute, second and weekday in
// the process's time zone (TZ), read with localtime_r and built with mktime. Every calendar step
// and field of the timeline goes through this one class, so that the whole program agrees on what
// a month or a day is across month ends and daylight-saving changes.
//
// Fields that are out of range roll over, and 0 or negative ones count back, as mktime does:
// month 0 is December of the year before, day 0 the last day of the month before, and January 31
// plus one month is March 3 (March 2 in a leap year). QDate::addMonths would clamp instead.

#include "runtime/Date.h"

#include <QString>

#include <ctime>
#include <optional>

namespace tallomer {

class CalendarDate {
public:
    // Nothing for a date the calendar cannot show (not finite, or beyond the C library's years).
    static std::optional<CalendarDate> fromDate(KELDate date);
    // The local moment with these fields (month 1 to 12, day from 1), daylight saving left for
    // the zone to decide. A wall-clock time that a change to summer time skips is taken as the
    // time that many minutes after the change; one that the change back repeats, as its second
    // occurrence. Nothing when the fields lie beyond the C library's years.
    static std::optional<CalendarDate> fromFields(int year, int month, int day, int hour = 0, int minute = 0,
                                                  int second = 0);
    // The same, but a repeated wall-clock time is taken as its occurrence on the side of
    // `summerTime` when it has one there (the first occurrence for true).
    static std::optional<CalendarDate> fromFields(int year, int month, int day, int hour, int minute, int second,
                                                  bool summerTime);

    KELDate date() const { return date_; }
    int year() const { return tm_.tm_year + 1900; }
    int month() const { return tm_.tm_mon + 1; }  // 1 to 12
    int day() const { return tm_.tm_mday; }       // 1 to 31
    int hour() const { return tm_.tm_hour; }      // 0 to 23
    int minute() const { return tm_.tm_min; }     // 0 to 59
    int second() const { return tm_.tm_sec; }     // 0 to 60
    int dayOfWeek() const { return tm_.tm_wday; } // 0 Sunday to 6 Saturday
    int dayOfYear() const { return tm_.tm_yday + 1; }
    bool siHeureDEte() const { return tm_.tm_isdst > 0; }

    // Week 1 begins on the year's first Sunday; the days before it are week 0.
    int weekOfYear() const;
    // Minutes since midnight as the clock shows them (12:00:59 is 720, also on the day of a
    // daylight-saving change).
    int minuteOfDay() const;
    // 00:00:00 of the same day (the day's first moment when the zone skips midnight).
    std::optional<CalendarDate> beginningOfDay() const;
    // 00:00:00 of the Sunday that begins this date's week, counted in calendar days, so that a
    // week holding a daylight-saving change still begins at midnight.
    std::optional<CalendarDate> beginningOfWeek() const;

    // Years, months, days and hours are added on the wall clock (a day later keeps the time of
    // day across a daylight-saving change); minutes and seconds are added as elapsed time, so that
    // the minutes of an hour the change back repeats are all there. Nothing beyond the C
    // library's years.
    std::optional<CalendarDate> dateByAdding(int years, int months, int days, int hours, int minutes,
                                             int seconds) const;

    // The date written with a strftime format limited to the conversions siFormatValide accepts.
    QString format(const QString& format) const;
    // Whether every % of the format starts one of the conversions
    // a A b B d e H I j m M p S y Y Z %, and the format is not empty.
    static bool siFormatValide(const QString& format);

private:
    CalendarDate(const std::tm& tm, KELDate date) : tm_(tm), date_(date) {}
    static std::optional<CalendarDate> depuisTm(std::tm tm);
    static std::optional<CalendarDate> resoudre(int year, int month, int day, int hour, int minute, int second,
                                                std::optional<bool> summerTime);
    // The one reading of the fields, when no change of the zone's offset lies near it.
    static std::optional<CalendarDate> loinDesChangements(std::tm tm);

    std::tm tm_{};
    KELDate date_ = 0;
};

} // namespace tallomer
