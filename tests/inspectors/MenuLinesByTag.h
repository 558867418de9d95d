#pragma once
// What a table of menu lines sets, by tag: the last line of a tag wins, as when the table is
// applied to a menu.

#include "inspectors/base/ZEVInspectMenus.h"

#include <QString>

#include <map>
#include <vector>

namespace menutest {

struct Vu {
    QString title;
    bool enabled = true;
    bool visible = true;
    int state = -2;
};

// Only the lines of `place`, unless it is Given (all of them).
inline std::map<long, Vu> parTag(const std::vector<tallomer::ZEVMenuLine>& lines,
                                 tallomer::ZEVMenuPlace place = tallomer::ZEVMenuPlace::Given)
{
    std::map<long, Vu> out;
    for (const tallomer::ZEVMenuLine& l : lines) {
        if (place != tallomer::ZEVMenuPlace::Given && l.place != place)
            continue;
        Vu& v = out[l.tag];
        if (l.title)
            v.title = *l.title;
        if (l.enabled)
            v.enabled = *l.enabled;
        if (l.visible)
            v.visible = *l.visible;
        if (l.state)
            v.state = *l.state;
    }
    return out;
}

} // namespace menutest
