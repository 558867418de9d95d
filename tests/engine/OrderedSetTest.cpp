#include "engine/KELOrderedSet.h"

#include <gtest/gtest.h>

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
