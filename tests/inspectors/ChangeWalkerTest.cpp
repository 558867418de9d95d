// The walk of changes on a table of events built by hand: which events stop it, where it stops
// without one, and the dates it answers.

#include "engine/KELLien.h"
#include "inspectors/services/ZEVChangeWalker.h"
#include "space/ZEVConstants.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

using namespace tallomer;

namespace {

constexpr KELId kIcon = 1000152;

class ChangeWalker : public ::testing::Test {
protected:
    KELI* lien(KELId id, KELId rel, KELId parent, KELId enfant, KELDate in, KELDate out, KELId channel)
    {
        auto l = std::make_unique<KELI>();
        l->assignerIdInt(id);
        l->assignerRelationInt(rel);
        l->assignerParentInt(parent);
        l->assignerEnfantInt(enfant);
        l->assignerInDate(in);
        l->assignerOutDate(out);
        l->setChannelInt(channel);
        liens.push_back(std::move(l));
        return liens.back().get();
    }
    // Every event of the links, in time order (ends first at equal dates, as the engine has them).
    void ranger()
    {
        std::vector<KELLien*> ev;
        for (auto& l : liens) {
            ev.push_back(l.get());
            ev.push_back(l->lienOut());
        }
        std::stable_sort(ev.begin(), ev.end(), [](KELLien* a, KELLien* b) { return KELGrandTableau::avant(a, b); });
        for (KELLien* e : ev)
            table.append(e);
    }
    double avant(const ZEVChangeWalk& w) { return ZEVChangeWalker::date(table, marque->gtIndexInt(), true, w); }
    double apres(const ZEVChangeWalk& w) { return ZEVChangeWalker::date(table, marque->gtIndexInt(), false, w); }

    void SetUp() override
    {
        // Since always and for ever: the bounds, of the relation walked for, on the Channel.
        borne = lien(91, KELRELATION_LINK_VIEWER, 1, 100, KELDateToujours, KELDateOuverte, 7);
        zero = lien(92, KELRELATION_LINK_VIEWER, 3, 102, 0.0, 5.0, 9);
        a = lien(93, KELRELATION_LINK_VIEWER, 1, 100, 10, 50, 7);
        b = lien(94, KELRELATION_LINK_VIEWER, 2, 101, 20, 30, 8);
        icone = lien(95, kIcon, 7, 100, 25, 60, 7);
        // Where the cursor stands.
        marque = lien(96, 1, 0, 0, 40, 45, 0);
        ranger();
    }

    std::vector<std::unique_ptr<KELI>> liens;
    KELGrandTableau table;
    KELI *borne = nullptr, *zero = nullptr, *a = nullptr, *b = nullptr, *icone = nullptr, *marque = nullptr;
};

ZEVChangeKind kind(KELId rel, bool out, KELId channel = 0, bool enfant = true)
{
    return {rel, out, enfant, channel, {}};
}

TEST_F(ChangeWalker, StopsAtTheFirstEventOfAKindAndAnswersItsDateLessOrMoreTheMargins)
{
    ZEVChangeWalk w;
    w.kinds = {kind(KELRELATION_LINK_VIEWER, false, 7)};
    EXPECT_DOUBLE_EQ(avant(w), 10 - 0.7) << "a's start, not b's of another Channel";
    w.kinds = {kind(KELRELATION_LINK_VIEWER, true)};
    EXPECT_DOUBLE_EQ(avant(w), 30 - 0.7) << "b's end, the nearest end of any Channel";
    EXPECT_DOUBLE_EQ(apres(w), 50 + 0.05);
    // Kinds in order: the icon's end comes before the link's start that the first kind wants.
    w.kinds = {kind(KELRELATION_LINK_VIEWER, false, 7), kind(kIcon, true)};
    EXPECT_DOUBLE_EQ(apres(w), 60 + 0.05);
    EXPECT_DOUBLE_EQ(avant(w), 10 - 0.7);
}

TEST_F(ChangeWalker, TargetsHeldTestsAndTheFarBoundsLeaveOnlyTheRightEvents)
{
    ZEVChangeWalk w;
    w.kinds = {kind(kIcon, true, 0, true)};
    const std::unordered_set<KELId> objet{100}, autre{999};
    w.objets = &objet;
    EXPECT_DOUBLE_EQ(apres(w), 60.05);
    w.objets = &autre;
    EXPECT_EQ(apres(w), 0.0) << "the table's end with no change of that Object";
    // By the parent end: the icon's parent is 7.
    w.kinds = {kind(kIcon, true, 0, false)};
    const std::unordered_set<KELId> parent{7};
    w.objets = &parent;
    EXPECT_DOUBLE_EQ(apres(w), 60.05);

    // Selected links: a is stepped over for b.
    ZEVChangeWalk l;
    l.kinds = {kind(KELRELATION_LINK_VIEWER, false)};
    const std::unordered_set<KELId> seulB{b->idInt()};
    l.liens = &seulB;
    EXPECT_DOUBLE_EQ(avant(l), 20 - 0.7);
    // A link open since always is beyond the far mark: the walk gives up before it.
    const std::unordered_set<KELId> seulBorne{borne->idInt()};
    l.liens = &seulBorne;
    EXPECT_EQ(avant(l), 0.0);
    l.kinds = {kind(KELRELATION_LINK_VIEWER, true)};
    EXPECT_EQ(apres(l), 0.0);

    // A held test that refuses a sends the walk on to the next start of the kind.
    ZEVChangeWalk h;
    h.kinds = {kind(KELRELATION_LINK_VIEWER, false)};
    h.kinds[0].tenu = [this](KELI* lien, KELDate) { return lien != b; };
    EXPECT_DOUBLE_EQ(avant(h), 10 - 0.7);
}

TEST_F(ChangeWalker, AWinnerAtZeroGivesNothingOnlyWhereTheInspectorSaysSo)
{
    ZEVChangeWalk w;
    w.kinds = {kind(KELRELATION_LINK_VIEWER, false, 9)};
    EXPECT_DOUBLE_EQ(avant(w), -0.7);
    w.zeroSansGagnant = true;
    EXPECT_EQ(avant(w), 0.0);
    // From either end of the table.
    EXPECT_EQ(ZEVChangeWalker::date(table, 0, true, w), 0.0);
    EXPECT_EQ(ZEVChangeWalker::date(table, table.count() - 1, false, w), 0.0);
}

} // namespace
