#pragma once
// The walk every inspector's go-to buttons make: from the active cursor's place in the time-ordered
// event table, one event at a time towards the past or the future, to the first event that is a
// change of one of the kinds asked for (and, when targets are given, of one of them). The table is
// read in place; the walk ends at either end of it or beyond the far marks, where only the events
// of links open since always or for ever stand.

#include "engine/KELTypes.h"

#include <cstddef>
#include <functional>
#include <unordered_set>
#include <vector>

class KELI;
class KELICc;
class KELLien;
class KELGrandTableau;

namespace tallomer {

struct ZEVChangeKind {
    KELId relation = 0;
    // A start of a link (its own event) or an end (its out-event).
    bool siOut = false;
    // Which end of the link is the Object the targets name: the child, else the parent.
    bool objetEnfant = true;
    // Only links of that Channel (the link's cached Channel); 0: any.
    KELId channelInt = 0;
    // An extra test on the link (e.g. that it is still held at the event's date); empty: none.
    std::function<bool(KELI* lien, KELDate date)> tenu;
};

struct ZEVChangeWalk {
    // Tried in order; the first kind an event answers makes it a candidate.
    std::vector<ZEVChangeKind> kinds;
    // Object ids (the kind's end of the link); null or empty: any.
    const std::unordered_set<KELId>* objets = nullptr;
    // Ids of links; null or empty: any.
    const std::unordered_set<KELId>* liens = nullptr;
    // A winner dated exactly 0.0 gives 0, as "none" does.
    bool zeroSansGagnant = false;
};

class ZEVChangeWalker {
public:
    // Events beyond these dates are only the bounds of the table.
    static constexpr KELDate kBorne = 315632071039485.0;
    static constexpr double kAvant = 0.7;
    static constexpr double kApres = 0.05;

    // The event found walking from `depart` (excluded) in `table`; nullptr when none.
    // Walking to the past, events at or after `avant` are passed over.
    static KELLien* trouver(const KELGrandTableau& table, std::size_t depart, bool versLePasse,
                            const ZEVChangeWalk& walk, KELDate avant = kBorne);
    // The date to go to: the found event's less 0.7 s (past) or plus 0.05 s (future), else 0.
    static KELDate date(const KELGrandTableau& table, std::size_t depart, bool versLePasse, const ZEVChangeWalk& walk);
    // The same from the cursor, placed first. A cursor that runs on with the clock (Search) passes
    // the change it was put 0.7 s before within a second: while it stands where the last step to
    // the past put it, moved only by the clock, that change is passed over.
    static KELDate previousDate(KELICc* curseur, const ZEVChangeWalk& walk);
    static KELDate nextDate(KELICc* curseur, const ZEVChangeWalk& walk);
};

} // namespace tallomer
