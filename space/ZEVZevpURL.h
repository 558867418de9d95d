#pragma once
// The zevp string of a place, written and read without touching anything: a Channel, the active
// time cursor with its date or context, the visible range, the front mode and the selected
// Objects, as
//
//   zevp://local/<channel>?c=now|search&m=<mode>[&o=<id>,<id>,...]&con=<n>&coi=<n>&roi=<n>&roo=<n>
//
// with the four numbers written with two decimals. The string comes back from outside (links
// handed over by the desktop, pasted Objects), so the reader bounds everything it takes: the
// string's length, the number of ids, the numbers of the cursor part. The space controller
// applies what it reads.

#include "engine/KELTypes.h"

#include <QString>

#include <optional>
#include <vector>

namespace tallomer {

// The cursors a place is written from: the Now (N), Search (S) and timeline (T) cursors' dates,
// the offsets of the Now and Search contexts, and of the ruler's time context (R).
struct ZEVZevpCursors {
    bool actifNow = true;
    double nNow = 0, nIn = 0, nOut = 0;
    double sNow = 0, sIn = 0;
    double tNow = 0;
    double rIn = 0, rOut = 0;
};

struct ZEVZevpPlace {
    KELId channelInt = 0;
    // "c=now": the place is the Now cursor's (with its context); else the active cursor's date.
    bool siSpace = false;
    int mode = 0;
    // The Objects; none written when empty.
    std::vector<KELId> objects;
    double con = 0, coi = 0, roi = 0, roo = 0;
};

// The cursor part of a place: con, coi and, with t the shift of the written cursor from the
// timeline cursor, roi = R.offsetIn - t and roo = R.offsetOut - t.
void ZEVZevpPlaceCursors(ZEVZevpPlace& place, const ZEVZevpCursors& cursors);
QString ZEVZevpString(const ZEVZevpPlace& place);

struct ZEVZevpReading {
    // The longest string read, and the most Object ids one may name.
    static constexpr qsizetype kMaxLength = 64 * 1024;
    static constexpr qsizetype kMaxIds = 10000;
    // The bound of the cursor part's numbers, not reached: 2^52 s, the link base's open end.
    static constexpr double kMaxNumber = 4503599627370496.0;

    // Not a zevp place at all (nothing is to be done with it); `error` says why.
    bool refused = true;
    QString error;
    KELId channelInt = 0;
    bool hasQuery = false;
    // "now", "search", or anything else (no cursor is moved).
    QString c;
    // 0 when absent or not an integer.
    int mode = 0;
    // Whether the place names Objects ("o" present), and their ids: unsigned decimal integers,
    // in the order written; anything else in the list is skipped.
    bool hasObjects = false;
    std::vector<KELId> objects;
    // The four numbers, finite and strictly within ±2^52; nullopt when one is missing or is not
    // such a number (the cursor part is then refused).
    struct Cursor {
        double con, coi, roi, roo;
    };
    std::optional<Cursor> cursor;
};

ZEVZevpReading ZEVZevpRead(const QString& url);

// What opening a place came to: refused whole, reached with its cursor part left out, or reached.
struct ZEVZevpOpening {
    bool refused = false;
    // Why it was refused, or why its cursor part was left out; empty when the place was reached.
    QString why;
};

} // namespace tallomer
