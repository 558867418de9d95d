#include "engine/KELOrderedSet.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace {
int objets[64];
}

// Against a plain vector model, across the change from a small set to an indexed one and back
// down: same members, same order, same multiplicities.
TEST(OrderedSet, BehavesLikeAnOrderedMultisetOfDistinctMembers)
{
    std::mt19937 rng(4242);
    KELOrderedSet<int> set;
    std::vector<std::pair<int*, unsigned>> modele;
    for (int pas = 0; pas < 20000; ++pas) {
        int* o = &objets[rng() % (pas < 10000 ? 64 : 6)];
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
        if (pas % 97 == 0) {
            const auto& items = set.items();
            ASSERT_EQ(items.size(), modele.size());
            for (std::size_t i = 0; i < items.size(); ++i) {
                EXPECT_EQ(items[i], modele[i].first);
                EXPECT_EQ(set.multiplicity(items[i]), modele[i].second);
            }
        }
    }
}
