#pragma once
// The time axis of the ruler's strip: the window of time shown (in-date at relative coordinate 0,
// out-date at 1), the linear mapping between dates and relative coordinates, and the calendar
// units read from the program's table `<space name>Tline.table`. One per Space window; the ruler
// viewer sets its dates to the visible range at every redraw.

#include "ruler/ZEVTlineUnit.h"
#include "runtime/Date.h"

#include <QString>
#include <QVariantMap>

#include <memory>
#include <vector>

namespace tallomer {

class ZEVTlineType {
public:
    // The axis of the table `<resourceFolder>/timeline/<spaceName>Tline.table`; an axis without
    // units when the table is missing or unreadable (the reason is logged).
    static std::unique_ptr<ZEVTlineType> RulerWithSpaceName(const QString& spaceName, const QString& resourceFolder);
    // One unit per entry of "units", in table order; an entry that cannot be a unit is logged and
    // left out.
    static std::unique_ptr<ZEVTlineType> initWithDictionary(const QVariantMap& table);

    ZEVTlineType() = default;
    ZEVTlineType(const ZEVTlineType&) = delete;
    ZEVTlineType& operator=(const ZEVTlineType&) = delete;

    // Dates that are not finite are refused with a log line; the axis keeps its window.
    void setInDate(KELDate inDate, KELDate outDate);
    KELDate inDate() const { return inDate_; }
    KELDate outDate() const { return outDate_; }
    double lenght() const { return length_; }
    const std::vector<std::unique_ptr<ZEVTlineUnit>>& units() const { return units_; }
    // The first unit of that name, or nullptr.
    ZEVTlineUnit* unitNamed(const QString& name) const;

    // (date - inDate) / length; dates outside the window give values below 0 or above 1. An
    // empty or reversed window, or a date that is not finite, gives 0 rather than a NaN.
    double relativeCoordinateForDate(KELDate date) const;
    KELDate dateForRelativeCoordinate(double r) const;

private:
    std::vector<std::unique_ptr<ZEVTlineUnit>> units_;
    KELDate inDate_ = 0;
    KELDate outDate_ = 0;
    double length_ = 0;
};

} // namespace tallomer
