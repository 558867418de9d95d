#pragma once
// What the random runs over a kind's row lists share: the dice, whose seed a failing run prints
// and TALLOMER_SEED replays, and the check of every list against a model built afresh.

#include "inspectors/core/ZEVRowList.h"
#include "inspectors/core/ZEVRowsClass.h"

#include <QByteArray>
#include <QtGlobal>

#include <gtest/gtest.h>

#include <cstdio>
#include <initializer_list>
#include <map>
#include <random>
#include <string>

namespace inspecttest {

class Dice {
public:
    // `run` names the run in the printed seed.
    explicit Dice(const char* run)
    {
        const QByteArray given = qgetenv("TALLOMER_SEED");
        seed = given.isEmpty() ? std::random_device{}() : given.toUInt();
        std::printf("%s property seed %u\n", run, seed);
        rng_.seed(seed);
    }
    // One of 0 to n - 1.
    int operator()(int n) { return int(rng_() % unsigned(n)); }

    unsigned seed = 0;

private:
    std::mt19937 rng_;
};

// The lego counts of a list, by Object.
inline std::map<KELI*, int> legoCounts(const tallomer::ZEVRowList* l)
{
    std::map<KELI*, int> out;
    if (l)
        for (KELI* o : l->items())
            if (int n = l->count(o, tallomer::ZEVRowReason::Lego))
                out[o] = n;
    return out;
}

// Every list of the Channels, Now and Search, counts the legos a fresh model counts, and holds.
inline void expectListsAsFresh(const tallomer::ZEVRowsClass& m, const tallomer::ZEVRowsClass& fresh,
                               std::initializer_list<KELId> channels, const std::string& step)
{
    using tallomer::ZEVRowScope;
    for (KELId c : channels)
        for (ZEVRowScope s : {ZEVRowScope::Now, ZEVRowScope::Search}) {
            ASSERT_EQ(legoCounts(m.liste(c, s)), legoCounts(fresh.liste(c, s)))
                << step << " Channel " << c << (s == ZEVRowScope::Now ? " Now" : " Search");
            if (const tallomer::ZEVRowList* l = m.liste(c, s)) {
                ASSERT_TRUE(l->invariant()) << step;
            }
        }
}

} // namespace inspecttest
