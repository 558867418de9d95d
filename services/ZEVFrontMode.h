#pragma once
// The front layer's modes, known below it: the Space, the desks and the ruler all branch on them
// without linking the front layer itself.

#include <cstdint>

namespace tallomer {

// Callers treat any other value as none.
enum ZEVFrontMode : std::int32_t {
    ZEVFrontModeIcons = 0,
    ZEVFrontModeTitles = 1,
    ZEVFrontModeFilters = 2,
    ZEVFrontModeLinks = 3,
    ZEVFrontModeNone = 4,
};

// Any value outside 0…3 is "none".
inline std::int32_t ZEVNormalisedFrontMode(std::int32_t mode)
{
    return (mode >= ZEVFrontModeIcons && mode <= ZEVFrontModeLinks) ? mode : ZEVFrontModeNone;
}

} // namespace tallomer
