#pragma once
// The status an Object's option bits give its title in every list of Objects: the text around
// the title while a transfer runs or after it failed, and which colour shows it.

#include <QString>

#include <cstdint>
#include <optional>

namespace tallomer {

enum class ZEVRowStatusColor { Moving = 1, Error = 2, NotFound = 3 };

struct ZEVRowStatus {
    QString format; // "%1" stands for the title
    ZEVRowStatusColor color;
};

// The first set bit wins, in the order downloading, duplicating, copying, moving, error, not
// found; nullopt when none is set.
std::optional<ZEVRowStatus> ZEVRowStatusForOptions(std::uint64_t options);

} // namespace tallomer
