#pragma once
// A kind of inspector's words, from which its panel's buttons, menus and count field are titled.

#include <QString>

namespace tallomer {

struct ZEVInspectNouns {
    QString one;     // "File"
    QString many;    // "Files"
    QString object;  // "File Object"
    QString objects; // "File Objects"
    QString store;   // where the Move and Copy into the store go: "zevFiles"
    bool duplicates = false; // whether the kind carries out Duplicate at all
    // No Object or one reads in the singular ("0 File", "1 File"), more in the plural.
    QString forCount(long n) const { return n > 1 ? many : one; }
    QString objectsForCount(long n) const { return n > 1 ? objects : object; }
};

} // namespace tallomer
