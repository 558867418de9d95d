#pragma once
// Membership in the selections' lists, which keep their order and hold each entry once.

#include <algorithm>
#include <vector>

namespace tallomer {

template <class T>
bool contient(const std::vector<T*>& v, const T* x)
{
    return std::find(v.begin(), v.end(), x) != v.end();
}

// Takes x out of v; false when it was not there.
template <class T>
bool retirer(std::vector<T*>& v, const T* x)
{
    auto it = std::find(v.begin(), v.end(), x);
    if (it == v.end())
        return false;
    v.erase(it);
    return true;
}

} // namespace tallomer
