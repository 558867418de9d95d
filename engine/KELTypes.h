#pragma once
// Types shared by the whole link base.

#include "runtime/Date.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <vector>

using KELId = std::uint64_t;          // link ids; 0 means none
using KELIds = std::optional<std::vector<KELId>>; // a list of ids is absent, never empty

// The range of ids the user creates: strictly between these two.
struct KELIdSpace {
    static KELId minId() { return min_; }
    static KELId maxId() { return max_; }
    static void set(KELId min, KELId max)
    {
        min_ = min;
        max_ = max;
    }

private:
    static inline KELId min_ = 100000000;
    static inline KELId max_ = 1000000000;
};

// Makes an absent list from an empty one.
inline KELIds kelIds(std::vector<KELId> ids)
{
    if (ids.empty())
        return std::nullopt;
    return KELIds(std::move(ids));
}

// Makes room in a vector for `total` elements in one step when it lacks it, never less than twice
// its capacity: one large batch is copied once, and many small ones stay amortised.
template <class V>
void kelReserver(V& v, std::size_t total)
{
    if (total > v.capacity())
        v.reserve(std::max(total, 2 * v.capacity()));
}
