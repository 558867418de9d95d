#pragma once
// One mark (tick) of a calendar unit on the time axis: where it starts and ends as relative
// coordinates of the axis at the time it was made, its label and the step-up cycle it starts.

#include "runtime/Date.h"

#include <QString>

#include <cstdint>

namespace tallomer {

class ZEVTlineUnit;

class ZEVTlineMark {
public:
    static ZEVTlineMark RulerMarkWithUnit(ZEVTlineUnit* unit) { return ZEVTlineMark(unit); }

    // Stored as relative coordinates of the unit's axis.
    void setInDate(KELDate inDate, KELDate outDate);
    // The dates now at the stored coordinates: after the axis moved, not the dates the mark was
    // made for.
    KELDate inDate() const;
    KELDate outDate() const;
    double relativeStart() const { return relativeStart_; }
    double relativeEnd() const { return relativeEnd_; }
    double relativeLength() const { return relativeEnd_ - relativeStart_; }

    const QString& title() const { return title_; }
    void setTitle(const QString& title) { title_ = title; }
    std::int64_t stepUpCycle() const { return stepUpCycle_; }
    void setStepUpCycle(std::int64_t cycle) { stepUpCycle_ = cycle; }
    ZEVTlineUnit* unit() const { return unit_; }
    void setUnit(ZEVTlineUnit* unit) { unit_ = unit; }
    ZEVTlineUnit* chronology() const { return unit_; }
    void setChronology(ZEVTlineUnit* unit) { unit_ = unit; }

    // Same unit and dates; no title and a step-up cycle of 0.
    ZEVTlineMark copy() const;
    QString description() const;

private:
    explicit ZEVTlineMark(ZEVTlineUnit* unit) : unit_(unit) {}

    std::int64_t stepUpCycle_ = 0;
    ZEVTlineUnit* unit_ = nullptr; // not owned: the unit that made the mark
    double relativeStart_ = 0;
    double relativeEnd_ = 0;
    QString title_;
};

} // namespace tallomer
