#pragma once
// What the runs over a kind's row lists share: presences made in a Channel, the Search cursor
// moved by the ruler as the user moves it, the dice, whose seed a failing run prints and
// TALLOMER_SEED replays, and the check of every list against a model built afresh.

#include "tests/inspectors/InspectorFixture.h"

#include "engine/KELServeurDeLiens.h"
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

class RowLists : public Inspectors {
protected:
    // A presence of the relation for the Object in the Channel.
    KELI* presence(KELId relation, KELI* o, KELId canal, KELDate in, KELDate out)
    {
        KELI* l = KELServeurDeLiens::CreerLienRelInt(relation, space->channelForIdentityInt(canal), o, in, out,
                                                     space->nowCurseur());
        EXPECT_NE(l, nullptr);
        return l;
    }
    KELDate now() const { return space->nowCurseur()->now(); }
    // The Search cursor made the active one and moved by the offset.
    void moveSearch(double offset)
    {
        ZEVRulerViewerServices* r = space->rulerViewer();
        if (space->actifCurseur() != space->searchCurseur()) {
            ASSERT_TRUE(r->userChangeActifCurseur(space->searchCurseur()));
        }
        ASSERT_TRUE(r->userInitieDeplacementCurseur());
        r->userPlaceCurseurEtRulerOffset(offset);
        r->userTermineDeplacementCurseur();
        settle();
    }
};

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
