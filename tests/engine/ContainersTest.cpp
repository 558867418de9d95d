// The engine's own containers. The ordered multiset behind every relation list. The free lists
// and scratch arrays behind a large load: small requests come from the heap, large ones are
// mapped whole; both kinds must hand out memory that does not overlap, survive being given back
// and taken again, and grow past the point where the kind changes.

#include "engine/KELMemoire.h"
#include "engine/KELOrderedSet.h"
#include "engine/KELReserve.h"

#include <gtest/gtest.h>

#include <numeric>
#include <random>

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

using Reserve = KELReserve<80, 8>;

// Writes a block's own number all over it (and answers the block), and reads it back.
void* marquer(void* p, std::uint64_t n) { std::fill_n(static_cast<std::uint64_t*>(p), 10, n); return p; }
bool marque(const void* p, std::uint64_t n)
{
    return std::count(static_cast<const std::uint64_t*>(p), static_cast<const std::uint64_t*>(p) + 10, n) == 10;
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
    // After 20000 turns of 50 the rotation has come full circle: 50..99 in order after 0..49.
    const auto& items = set.items();
    ASSERT_EQ(items.size(), 100u);
    for (std::size_t i = 0; i < 100; ++i)
        EXPECT_EQ(items[i], &objets[i]);
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

TEST(ScratchMemory, ReserveBlocksNeverOverlapAcrossHeapAndMappedSlices)
{
    Reserve r;
    // Enough blocks to pass from heap slices to mapped ones (a slice of 16384 blocks of 80 bytes).
    constexpr std::size_t kN = 60000;
    std::vector<void*> blocs;
    for (std::size_t i = 0; i < kN; ++i)
        blocs.push_back(marquer(r.prendre(), i));
    for (std::size_t i = 0; i < kN; ++i)
        ASSERT_TRUE(marque(blocs[i], i)) << i;

    // Half given back, then taken again: the free list hands the same blocks out, and the others
    // keep what was written in them.
    for (std::size_t i = 0; i < kN; i += 2)
        r.rendre(blocs[i]);
    for (std::size_t i = 0; i < kN; i += 2)
        blocs[i] = marquer(r.prendre(), kN + i);
    for (std::size_t i = 0; i < kN; ++i)
        ASSERT_TRUE(marque(blocs[i], i % 2 ? i : kN + i)) << i;

    // All given back: the slices go, and the reserve starts over.
    for (void* b : blocs)
        r.rendre(b);
    void* neuf = marquer(r.prendre(), 7);
    EXPECT_TRUE(marque(neuf, 7));
    r.rendre(neuf);
}

// A base that uses a few blocks of a full-size slice must not pay for the whole slice.
TEST(ScratchMemory, AMappedSliceHoldsPagesOnlyAboutAsFarAsItsBlocksAreUsed)
{
    Reserve r;
    std::vector<void*> blocs;
    // The heap slices (64 + 128 + ... + 8192 blocks), then the first ten blocks of a mapped one.
    for (std::size_t i = 0; i < 16320 + 10; ++i)
        blocs.push_back(r.prendre());
    auto* tranche = static_cast<unsigned char*>(blocs[16320]);
    for (std::size_t i = 16320; i < blocs.size(); ++i)
        marquer(blocs[i], i);
    const std::size_t page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    const auto debut = reinterpret_cast<std::uintptr_t>(tranche) & ~(page - 1);
    const std::size_t pages = (16384 * 80 + page - 1) / page;
    std::vector<unsigned char> residentes(pages + 1);
    ASSERT_EQ(mincore(reinterpret_cast<void*>(debut), pages * page, residentes.data()), 0);
    const auto n = std::count_if(residentes.begin(), residentes.begin() + pages, [](unsigned char r) { return r & 1; });
    EXPECT_GE(n, 1);
    EXPECT_LE(n, (1 << 17) / page + 2) << "of " << pages << " pages";
    for (std::size_t i = 16320; i < blocs.size(); ++i)
        EXPECT_TRUE(marque(blocs[i], i));
    for (void* b : blocs)
        r.rendre(b);
}

TEST(ScratchMemory, ScratchArraysGrowAcrossTheMappedThresholdAndKeepTheirContents)
{
    KELTemporaire<std::uint32_t> v;
    // From the heap to mapped storage and on, by doubling.
    for (std::uint32_t i = 0; i < 1000000; ++i)
        v.push_back(i * 3u);
    ASSERT_EQ(v.size(), 1000000u);
    for (std::uint32_t i = 0; i < v.size(); ++i)
        ASSERT_EQ(v[i], i * 3u) << i;

    // A sized array is left unfilled but every element written is read back.
    KELTemporaire<std::uint64_t> w(300000);
    std::iota(w.begin(), w.end(), std::uint64_t{11});
    EXPECT_EQ(w.front(), 11u);
    EXPECT_EQ(w.back(), 11u + 299999u);

    // Swapping and moving keep the storage with its contents.
    KELTemporaire<std::uint64_t> x;
    x.swap(w);
    EXPECT_TRUE(w.empty());
    EXPECT_EQ(x[1234], 11u + 1234u);
    KELTemporaire<std::uint64_t> y(std::move(x));
    EXPECT_EQ(y[299999], 11u + 299999u);

    // Elements that own memory are made and destroyed as usual.
    KELTemporaire<std::vector<int>> listes;
    listes.reserve(40000); // mapped
    for (int i = 0; i < 40000; ++i)
        listes.emplace_back(3, i);
    EXPECT_EQ(listes[39999], std::vector<int>({39999, 39999, 39999}));
}
