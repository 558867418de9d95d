#pragma once
// The browser's date ruler model: a span of time with the calendar units of a table that ships
// with the program (<resources>/browser/<name>Ruler.table). The calendar work itself (loop
// starts, steps, step-up cycles, the mark loop) is the time ruler's own ZEVTlineUnit, so that the
// whole program agrees on what a week or a month is; what these classes add is what the browser's
// strip reads: the classes the table names, units that make no marks, and marks kept in relative
// coordinates of this ruler, which outlive a change of its span.

#include "runtime/Date.h"

#include <QString>
#include <QStringList>
#include <QVariantMap>

#include <cstdint>
#include <memory>
#include <vector>

namespace tallomer {

class GUIRulerType;
class GUIRulerUnit;
class ZEVTlineType;
class ZEVTlineUnit;

class GUIRulerMark {
public:
    explicit GUIRulerMark(GUIRulerUnit* unit = nullptr) : unit_(unit) {}
    static GUIRulerMark rulerMarkWithUnit(GUIRulerUnit* unit) { return GUIRulerMark(unit); }

    GUIRulerUnit* unit() const { return unit_; }
    void setUnit(GUIRulerUnit* unit) { unit_ = unit; }
    GUIRulerUnit* chronology() const { return unit_; }
    void setChronology(GUIRulerUnit* unit) { unit_ = unit; }

    // Kept as relative coordinates of the unit's ruler as it stands now.
    void setInDate(KELDate inDate, KELDate outDate);
    // The dates at those coordinates of the ruler's current span.
    KELDate inDate() const;
    KELDate outDate() const;
    double relativeStart() const { return relativeStart_; }
    double relativeEnd() const { return relativeEnd_; }
    double relativeLength() const { return relativeEnd_ - relativeStart_; }

    const QString& title() const { return title_; }
    void setTitle(const QString& title) { title_ = title; }
    int stepUpCycle() const { return stepUpCycle_; }
    void setStepUpCycle(int cycle) { stepUpCycle_ = cycle; }

    // Same unit and dates; no title, cycle 0.
    GUIRulerMark copy() const;
    QString description() const;

private:
    int stepUpCycle_ = 0;
    GUIRulerUnit* unit_ = nullptr; // not owned: the ruler owns its units
    double relativeStart_ = 0;
    double relativeEnd_ = 0;
    QString title_;
};

// A unit of the plain class: it has its sizes and names but makes no marks.
class GUIRulerUnit {
public:
    // The unit of a table entry, by its "class"; nullptr, with the reason in `error`, for an
    // entry without a class this program knows, or whose step-up cycles are not integers.
    static std::unique_ptr<GUIRulerUnit> unitWithDictionary(const QVariantMap& entry, QString* error = nullptr);

    GUIRulerUnit() = default;
    virtual ~GUIRulerUnit() = default;
    GUIRulerUnit(const GUIRulerUnit&) = delete;
    GUIRulerUnit& operator=(const GUIRulerUnit&) = delete;

    void setRuler(GUIRulerType* ruler) { ruler_ = ruler; }
    GUIRulerType* ruler() const { return ruler_; }

    double typicalEventLength() const { return typicalEventLength_; }
    const QString& typicalEventTitle() const { return typicalEventTitle_; }
    const QString& name() const { return name_; }
    const QStringList& includedUnitsNames() const { return includedUnitsNames_; }
    const std::vector<int>& stepUpCycles() const { return stepUpCycles_; }
    // The cycles up to the first 0, closed by a 0.
    const std::vector<int>& stepUpCycleCArray() const { return stepUpCycleCArray_; }
    int largestRelevantStepUpCycle() const { return largestRelevantStepUpCycle_; }
    // typicalEventLength as a length on the ruler: 0 without a ruler.
    double typicalEventRelativeLength() const;

    // The step in which marks are made; below 1 counts as 1.
    void setMinStepUpCycle(int filter);
    int stepUpCycleFilter() const { return stepUpCycleFilter_; }
    // Filter back to 1, the cycle array rebuilt.
    virtual void dirty();

    // The marks over [a, b]; none for this class. The list is the unit's own, valid until its next
    // request with other arguments.
    virtual const std::vector<GUIRulerMark>& eventsIntersectingInDate(KELDate a, KELDate b);
    const std::vector<GUIRulerMark>& eventsWithinRelative(double r0, double r1);
    const std::vector<GUIRulerMark>& events();
    KELDate inDate() const;
    KELDate outDate() const;

    // Marks are never edited in this program: the editing questions have fixed answers.
    const GUIRulerMark* eventAt(double) const { return nullptr; }
    bool containsEvent(const GUIRulerMark&) const { return false; }
    bool isPositionValidForEvent(double, const GUIRulerMark&, const GUIRulerMark*) const { return false; }
    const GUIRulerMark* intervalAt(double, bool* allowed, const GUIRulerMark*) const
    {
        if (allowed)
            *allowed = false;
        return nullptr;
    }
    bool isEventEditable(const GUIRulerMark&) const { return false; }
    const GUIRulerMark* placeEvent(const GUIRulerMark&, double) { return nullptr; }
    void startUpdate() {}
    bool endUpdate() { return true; }
    void cancelUpdate() {}
    bool isEditable() const { return true; }
    void deleteEvent(const GUIRulerMark&) {}
    bool isPeriodEditable(const GUIRulerMark&) const { return isEditable(); }

protected:
    // Reads the fields every unit has; false, with the reason, when the cycles are not integers.
    bool lire(const QVariantMap& entry, QString* error);
    void clacStepUpCycleCArray();

    std::vector<GUIRulerMark> events_;

private:
    double typicalEventLength_ = 0;
    QString typicalEventTitle_;
    QString name_;
    QStringList includedUnitsNames_;
    std::vector<int> stepUpCycles_;
    std::vector<int> stepUpCycleCArray_{0};
    int stepUpCycleFilter_ = 1;
    int largestRelevantStepUpCycle_ = 0;
    GUIRulerType* ruler_ = nullptr; // not owned: the ruler owns its units
};

// A calendar unit: years, months, weeks, days, hours, minutes or seconds, by its name.
class GUIRulerUnitDate final : public GUIRulerUnit {
public:
    GUIRulerUnitDate();
    ~GUIRulerUnitDate() override;
    // Logs the unit's format as it loads.
    bool lireDate(const QVariantMap& entry, QString* error);

    const QString& format() const { return format_; }
    // Whether the calendar can make this unit's marks: a name of the seven and a format that
    // suits it. A unit that cannot keeps its place in the table and makes no marks.
    bool siCalendrier() const { return calendrier_ != nullptr; }

    void dirty() override;
    // The same request twice in a row (same dates, same filter) answers the same list without
    // making it again; any other request makes it anew.
    const std::vector<GUIRulerMark>& eventsIntersectingInDate(KELDate a, KELDate b) override;

private:
    void calendarSetUp();

    QString format_;
    QVariantMap entry_;
    // The calendar's own unit over a span of [0, 1], where relative coordinates are dates.
    std::unique_ptr<ZEVTlineType> axe_;
    std::unique_ptr<ZEVTlineUnit> calendrier_;
    bool siDerniere_ = false;
    int lastReturnedEventsStepUpCycle_ = 0;
    KELDate lastReturnedEventsInDate_ = 0;
    KELDate lastReturnedEventsOutDate_ = 0;
};

// A ruler of the plain class: its units, and conversions that answer 0.
class GUIRulerType {
public:
    // The ruler of <folder>/browser/<name>Ruler.table; nullptr (logged) when the file is missing
    // or unreadable, or names no class.
    static std::unique_ptr<GUIRulerType> rulerWithSpaceName(const QString& name, const QString& folder);
    // By the table's "class"; nullptr (logged) without one this program knows. Units whose entry
    // cannot be a unit are logged and left out.
    static std::unique_ptr<GUIRulerType> rulerWithDictionary(const QVariantMap& table);

    GUIRulerType() = default;
    virtual ~GUIRulerType() = default;
    GUIRulerType(const GUIRulerType&) = delete;
    GUIRulerType& operator=(const GUIRulerType&) = delete;

    void setInDate(KELDate inDate, KELDate outDate);
    KELDate inDate() const { return inDate_; }
    KELDate outDate() const { return outDate_; }
    double lenght() const { return length_; }
    const QString& spaceName() const { return spaceName_; }

    const std::vector<std::unique_ptr<GUIRulerUnit>>& units() const { return units_; }
    // The units of that name, in table order.
    std::vector<GUIRulerUnit*> unitsWithName(const QString& name) const;

    virtual double relativeCoordinateForDate(KELDate) const { return 0.0; }
    virtual KELDate dateForRelativeCoordinate(double) const { return 0.0; }

private:
    void initWithDictionary(const QVariantMap& table);

    std::vector<std::unique_ptr<GUIRulerUnit>> units_;
    KELDate inDate_ = 0;
    KELDate outDate_ = 0;
    double length_ = 0;
    QString spaceName_;
};

// The linear date mapping: 0 at the in-date, 1 at the out-date, no clamping.
class GUIRulerTypeDate final : public GUIRulerType {
public:
    // An empty or reversed span, or a date that is not finite, gives 0 rather than a NaN.
    double relativeCoordinateForDate(KELDate date) const override;
    KELDate dateForRelativeCoordinate(double r) const override;
};

} // namespace tallomer
