#pragma once
// The date a go-to kind reads from a file, for the add panels of the desk and of the inspectors.

#include "engine/KELTypes.h"

#include <QDateTime>
#include <QString>

#include <optional>

namespace tallomer {

// The date of the file at `path` for a go-to kind: 3 its creation (birth) date, else, or when
// that is the very start of 1970, its modification date; 4 its modification date, else its
// creation date; 5 its last access, only for a file that exists. None for any other kind.
// With `epochBirthCounts`, a creation date at the very start of 1970 is taken like any other.
std::optional<KELDate> fileDateForGoToTag(const QString& path, long tag, bool epochBirthCounts = false);
// The same from the file's dates as the file system gives them (null: none).
struct ZEVFileDates {
    bool exists = false;
    QDateTime born, modified, accessed;
};
std::optional<KELDate> goToDateFromFileDates(const ZEVFileDates& dates, long tag, bool epochBirthCounts = false);

} // namespace tallomer
