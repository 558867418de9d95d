#pragma once
// One calendar unit of the time axis (year, month, week, day, hour, minute or second), built from
// one entry of the timeline table. It produces the labelled marks that cover a range of dates,
// every mark one unit long and the marks every `stepUpCycleFilter` units apart, and keeps the
// last list it made for a repeated query.

#include "platform/CalendarDate.h"
#include "ruler/ZEVTlineMark.h"
#include "runtime/Date.h"

#include <QString>
#include <QStringList>
#include <QVariantMap>

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace tallomer {

class ZEVTlineType;

class ZEVTlineUnit {
public:
    // The most marks one query makes; a range that would need more gives none (and a log line)
    // instead of holding up the drawing.
    static constexpr std::size_t kMaxMarks = 100000;
    // The largest thinning factor; a larger one is taken as this.
    static constexpr std::int64_t kMaxStepUpCycleFilter = 1 << 20;

    // The unit of one table entry; nullptr, with the reason in `error`, for an entry whose name is
    // not one of the seven, whose format does not suit its name, or whose step-up cycles are not
    // integers.
    static std::unique_ptr<ZEVTlineUnit> initWithDictionary(const QVariantMap& entry, QString* error = nullptr);

    ZEVTlineUnit(const ZEVTlineUnit&) = delete;
    ZEVTlineUnit& operator=(const ZEVTlineUnit&) = delete;

    // The marks covering [a, b]: the first starts at or before a, the last is the first whose end
    // lies after b. None for a bound that is not finite or is open (±2^52). The list is the unit's
    // own and is valid until its next query; the same query twice in a row (same dates, same
    // filter) answers the same list without making it again.
    const std::vector<ZEVTlineMark>& eventsIntersectingInDate(KELDate a, KELDate b);
    const std::vector<ZEVTlineMark>& eventsWithinRelative(double r0, double r1);

    // The thinning factor: marks every f units (below 1 counts as 1).
    void setMinStepUpCycle(std::int64_t f);
    std::int64_t stepUpCycleFilter() const { return stepUpCycleFilter_; }
    // typicalEventLength / the axis's length; 0 without an axis or with an empty one.
    double typicalEventRelativeLength() const;
    std::int64_t largestRelevantStepUpCycle() const { return largestRelevantStepUpCycle_ ? largestRelevantStepUpCycle_ : 1; }

    const QString& name() const { return name_; }
    const QString& format() const { return format_; }
    double typicalEventLength() const { return typicalEventLength_; }
    const QString& typicalEventTitle() const { return typicalEventTitle_; }
    const QStringList& includedUnitsNames() const { return includedUnitsNames_; }
    const std::vector<std::int64_t>& stepUpCycles() const { return stepUpCycles_; }
    ZEVTlineType* tlineType() const { return tlineType_; }
    void setTlineType(ZEVTlineType* axis) { tlineType_ = axis; }

    // The start of the first mark at or before the date, with f = stepUpCycleFilter. A field
    // computed as 0 counts back (month 0 is December of the year before). A wall-clock start
    // that a change back to winter time repeats is its occurrence at or before the date.
    std::optional<CalendarDate> yearEventLoopInitWithStart(const CalendarDate& d) const;
    std::optional<CalendarDate> monthEventLoopInitWithStart(const CalendarDate& d) const;
    std::optional<CalendarDate> weekEventLoopInitWithStart(const CalendarDate& d) const;
    std::optional<CalendarDate> dayEventLoopInitWithStart(const CalendarDate& d) const;
    std::optional<CalendarDate> hourEventLoopInitWithStart(const CalendarDate& d) const;
    std::optional<CalendarDate> minuteEventLoopInitWithStart(const CalendarDate& d) const;
    std::optional<CalendarDate> secondEventLoopInitWithStart(const CalendarDate& d) const;

private:
    using FieldGetter = int (*)(const CalendarDate&);
    using LoopStart = std::optional<CalendarDate> (ZEVTlineUnit::*)(const CalendarDate&) const;

    ZEVTlineUnit() = default;
    void typeSetUp();
    // The date `n` units after `from`; a step that does not move forward (a daylight-saving gap)
    // takes the unit's nominal length.
    std::optional<CalendarDate> pas(const CalendarDate& from, std::int64_t n) const;
    double nominalSeconds() const;
    QString titleFor(const CalendarDate& start) const;
    std::optional<CalendarDate> auPlusTard(std::optional<CalendarDate> start, const CalendarDate& d) const;
    const std::vector<ZEVTlineMark>& vider();

    QString name_;
    QString format_;
    double typicalEventLength_ = 0;
    QString typicalEventTitle_;
    QStringList includedUnitsNames_;
    std::vector<std::int64_t> stepUpCycles_;
    std::vector<std::int64_t> stepUpCycleCArray_; // up to the first 0, then a 0
    std::int64_t stepUpCycleFilter_ = 1;
    std::int64_t largestRelevantStepUpCycle_ = 0;
    ZEVTlineType* tlineType_ = nullptr; // not owned: the axis owns its units

    bool siLastQuery_ = false;
    std::int64_t lastReturnedEventsStepUpCycle_ = 0;
    KELDate lastReturnedEventsInDate_ = 0;
    KELDate lastReturnedEventsOutDate_ = 0;

    std::int64_t yearIncrement_ = 0;
    std::int64_t monthIncrement_ = 0;
    std::int64_t dayIncrement_ = 0;
    std::int64_t hourIncrement_ = 0;
    std::int64_t minuteIncrement_ = 0;
    std::int64_t secondIncrement_ = 0;
    FieldGetter getValue_ = nullptr;
    LoopStart eventLoopInit_ = nullptr;

    std::vector<ZEVTlineMark> events_;
};

} // namespace tallomer
