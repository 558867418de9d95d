#include "inspectors/core/ZEVRowStatus.h"

#include "desk/model/ZEVItemOptions.h"

namespace tallomer {

std::optional<ZEVRowStatus> ZEVRowStatusForOptions(std::uint64_t options)
{
    static const struct {
        std::uint64_t bit;
        const char* format;
        ZEVRowStatusColor color;
    } ordre[] = {
        {ZEVOPTION_DOWNLOADING, "Downloading\u2026 \u2013 %1", ZEVRowStatusColor::Moving},
        {ZEVOPTION_DUPLICATING, "Duplicating\u2026 \u2013 %1", ZEVRowStatusColor::Moving},
        {ZEVOPTION_COPYING, "Copying\u2026 \u2013 %1", ZEVRowStatusColor::Moving},
        {ZEVOPTION_MOVING, "Moving\u2026 \u2013 %1", ZEVRowStatusColor::Moving},
        {ZEVOPTION_ERROR, "Error ! \u2013 %1", ZEVRowStatusColor::Error},
        {ZEVOPTION_NOT_FOUND, "Not found ! \u2013 %1", ZEVRowStatusColor::NotFound},
    };
    for (const auto& s : ordre)
        if (options & s.bit)
            return ZEVRowStatus{QString::fromUtf8(s.format), s.color};
    return std::nullopt;
}

} // namespace tallomer
