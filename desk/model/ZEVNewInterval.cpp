#include "desk/model/ZEVNewInterval.h"

#include "engine/KELLien.h"

namespace tallomer {

ZEVInterval ZEVNewIntervalForDate(KELDate date, const KELI* dragging, bool siGoToMode, KELDate goToEnd,
                                  KELDate callerEnd)
{
    if (dragging)
        return date > dragging->outDate() ? ZEVInterval{date, KELDateOuverte}
                                          : ZEVInterval{dragging->inDate(), dragging->outDate()};
    return {date, siGoToMode ? goToEnd : callerEnd};
}

} // namespace tallomer
