#include "space/ZEVGoToFileDate.h"

#include "runtime/Clock.h"

#include <QFileInfo>

namespace tallomer {

namespace {

KELDate dateOf(const QDateTime& t) { return dateFromUnix(double(t.toMSecsSinceEpoch()) / 1000.0); }

} // namespace

std::optional<KELDate> goToDateFromFileDates(const ZEVFileDates& f, long tag, bool epochBirthCounts)
{
    auto valid = [](const QDateTime& t) -> std::optional<KELDate> {
        if (!t.isValid())
            return std::nullopt;
        return dateOf(t);
    };
    switch (tag) {
    case 3:
        // A file system without birth times, or one that reports the start of 1970, gives no
        // creation date worth going to.
        if (f.born.isValid() && (epochBirthCounts || f.born.toMSecsSinceEpoch() != 0))
            return dateOf(f.born);
        return valid(f.modified);
    case 4:
        if (auto m = valid(f.modified))
            return m;
        return valid(f.born);
    case 5:
        if (!f.exists)
            return std::nullopt;
        return valid(f.accessed);
    default:
        return std::nullopt;
    }
}

std::optional<KELDate> fileDateForGoToTag(const QString& path, long tag, bool epochBirthCounts)
{
    const QFileInfo info(path);
    ZEVFileDates dates;
    dates.exists = info.exists();
    if (dates.exists) {
        dates.born = info.birthTime();
        dates.modified = info.lastModified();
        dates.accessed = info.lastRead();
    }
    return goToDateFromFileDates(dates, tag, epochBirthCounts);
}

} // namespace tallomer
