#include "engine/KELOrderedSet.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

namespace {
int objets[5000];

// Against a plain vector model: same members, same order, same multiplicities. Members are drawn
// from the first `large` objects, then from the first `petit` ones, so the set grows past its
// small form, churns (the index empties and refills its cases) and shrinks again.
void comparerAuModele(std::size_t large, std::size_t petit, int pas_, int verifierTous)
{
    std::mt19937 rng(4242);
    KELOrderedSet<int> set;
    std::vector<std::pair<int*, unsigned>> modele;
    for (int pas = 0; pas < pas_; ++pas) {
        int* o = &objets[rng() % (pas < pas_ / 2 ? large : petit)];
        auto it = std::find_if(modele.begin(), modele.end(), [&](auto& p) { return p.first == o; });
        if (rng() % 2) {
            const bool nouveau = set.add(o);
            EXPECT_EQ(nouveau, it == modele.end());
            if (it == modele.end())
                modele.emplace_back(o, 1);
            else
                ++it->second;
        } else {
            const bool parti = set.removeOne(o);
            EXPECT_EQ(parti, it != modele.end() && it->second == 1);
            if (it != modele.end() && --it->second == 0)
                modele.erase(it);
        }
        ASSERT_EQ(set.size(), modele.size()) << "step " << pas;
        if (pas % verifierTous == 0) {
            const auto& items = set.items();
            ASSERT_EQ(items.size(), modele.size());
            for (std::size_t i = 0; i < items.size(); ++i) {
                ASSERT_EQ(items[i], modele[i].first);
                EXPECT_TRUE(set.contains(items[i]));
                EXPECT_EQ(set.multiplicity(items[i]), modele[i].second);
            }
        }
    }
}
} // namespace

TEST(OrderedSet, BehavesLikeAnOrderedMultisetOfDistinctMembers)
{
    comparerAuModele(64, 6, 20000, 97);
    comparerAuModele(5000, 40, 60000, 1013);
}

// A large list whose membership churns while nobody reads it (a relation's list of a Channel's
// icons while the cursor is scrubbed) keeps its storage near its size, and its order.
TEST(OrderedSet, ChurnWithoutReadingKeepsStorageBoundedAndOrder)
{
    KELOrderedSet<int> set;
    for (int i = 0; i < 100; ++i)
        set.add(&objets[i]);
    std::size_t plusGrand = 0;
    for (int tour = 0; tour < 20000; ++tour) {
        // Members 0..49 stay; the other half leaves and comes back, each time at the end.
        int* o = &objets[50 + tour % 50];
        ASSERT_TRUE(set.removeOne(o));
        ASSERT_TRUE(set.add(o));
        plusGrand = std::max(plusGrand, set.emplacements());
    }
    EXPECT_EQ(set.size(), 100u);
    EXPECT_LE(plusGrand, 6 * 100u + 64u);
    const auto& items = set.items();
    ASSERT_EQ(items.size(), 100u);
    for (int i = 0; i < 50; ++i)
        EXPECT_EQ(items[static_cast<std::size_t>(i)], &objets[i]);
    // After 20000 turns of 50 the rotation has come full circle: 50..99 in order.
    for (int i = 50; i < 100; ++i)
        EXPECT_EQ(items[static_cast<std::size_t>(i)], &objets[i]);
    // A member added twice stays through one removal.
    set.add(&objets[7]);
    EXPECT_FALSE(set.removeOne(&objets[7]));
    EXPECT_TRUE(set.contains(&objets[7]));
}

// A small list keeps its multiplicities in single bytes: an object added hundreds of times (many
// links between the same two objects) moves the list to its indexed form without losing count,
// and a list handed over keeps its members.
TEST(OrderedSet, ManyOccurrencesOfOneMemberAndMoves)
{
    KELOrderedSet<int> set;
    set.add(&objets[1]);
    for (int i = 0; i < 300; ++i)
        EXPECT_FALSE(set.add(&objets[0]) && i > 0);
    EXPECT_EQ(set.multiplicity(&objets[0]), 300u);
    EXPECT_EQ(set.multiplicity(&objets[1]), 1u);
    EXPECT_EQ(set.items(), (std::vector<int*>{&objets[1], &objets[0]}));
    for (int i = 0; i < 299; ++i)
        EXPECT_FALSE(set.removeOne(&objets[0]));
    EXPECT_TRUE(set.removeOne(&objets[0]));
    EXPECT_EQ(set.items(), (std::vector<int*>{&objets[1]}));

    KELOrderedSet<int> petit;
    petit.add(&objets[2]);
    petit.add(&objets[2]);
    KELOrderedSet<int> autre(std::move(petit));
    EXPECT_TRUE(petit.empty());
    EXPECT_EQ(autre.multiplicity(&objets[2]), 2u);
    autre = std::move(set);
    EXPECT_EQ(autre.items(), (std::vector<int*>{&objets[1]}));
    EXPECT_TRUE(autre.contains(&objets[1]));
    EXPECT_FALSE(autre.contains(&objets[2]));
}
