#include "ruler/ZEVTlineMark.h"

#include "ruler/ZEVTlineType.h"
#include "ruler/ZEVTlineUnit.h"

namespace tallomer {

namespace {

ZEVTlineType* axeDe(const ZEVTlineUnit* unit) { return unit ? unit->tlineType() : nullptr; }

} // namespace

void ZEVTlineMark::setInDate(KELDate inDate, KELDate outDate)
{
    ZEVTlineType* axe = axeDe(unit_);
    relativeStart_ = axe ? axe->relativeCoordinateForDate(inDate) : 0.0;
    relativeEnd_ = axe ? axe->relativeCoordinateForDate(outDate) : 0.0;
}

KELDate ZEVTlineMark::inDate() const
{
    ZEVTlineType* axe = axeDe(unit_);
    return axe ? axe->dateForRelativeCoordinate(relativeStart_) : 0.0;
}

KELDate ZEVTlineMark::outDate() const
{
    ZEVTlineType* axe = axeDe(unit_);
    return axe ? axe->dateForRelativeCoordinate(relativeEnd_) : 0.0;
}

ZEVTlineMark ZEVTlineMark::copy() const
{
    ZEVTlineMark c(unit_);
    c.setInDate(inDate(), outDate());
    return c;
}

QString ZEVTlineMark::description() const
{
    return QStringLiteral("%1 <ZEVTlineMark: %2> : %3 , %4")
        .arg(unit_ ? unit_->name() : QString(),
             QStringLiteral("0x%1").arg(quintptr(this), 0, 16), title_, QString::number(stepUpCycle_));
}

} // namespace tallomer
