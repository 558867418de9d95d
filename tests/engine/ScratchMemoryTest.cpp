// The free lists and scratch arrays behind a large load: small requests come from the heap, large
// ones are mapped whole. Both kinds must hand out memory that does not overlap, survive being
// given back and taken again, and grow past the point where the kind changes.

#include "engine/KELMemoire.h"
#include "engine/KELReserve.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <numeric>
#include <vector>

#include <sys/mman.h>
#include <unistd.h>

namespace {

using Reserve = KELReserve<80, 8>;

// Writes a block's own number all over it, and reads it back.
void marquer(void* p, std::uint64_t n) { std::fill_n(static_cast<std::uint64_t*>(p), 10, n); }
bool marque(const void* p, std::uint64_t n)
{
    const auto* mots = static_cast<const std::uint64_t*>(p);
    return std::all_of(mots, mots + 10, [n](std::uint64_t m) { return m == n; });
}

} // namespace

TEST(ScratchMemory, ReserveBlocksNeverOverlapAcrossHeapAndMappedSlices)
{
    Reserve r;
    // Enough blocks to pass from heap slices to mapped ones (a slice of 16384 blocks of 80 bytes).
    constexpr std::size_t kN = 60000;
    std::vector<void*> blocs;
    for (std::size_t i = 0; i < kN; ++i) {
        blocs.push_back(r.prendre());
        marquer(blocs.back(), i);
    }
    for (std::size_t i = 0; i < kN; ++i)
        ASSERT_TRUE(marque(blocs[i], i)) << i;

    // Half given back, then taken again: the free list hands the same blocks out, and the others
    // keep what was written in them.
    for (std::size_t i = 0; i < kN; i += 2)
        r.rendre(blocs[i]);
    for (std::size_t i = 0; i < kN; i += 2) {
        blocs[i] = r.prendre();
        marquer(blocs[i], kN + i);
    }
    for (std::size_t i = 0; i < kN; ++i)
        ASSERT_TRUE(marque(blocs[i], i % 2 ? i : kN + i)) << i;

    // All given back: the slices go, and the reserve starts over.
    for (void* b : blocs)
        r.rendre(b);
    void* neuf = r.prendre();
    marquer(neuf, 7);
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
    std::size_t n = 0;
    for (std::size_t i = 0; i < pages; ++i)
        n += residentes[i] & 1;
    EXPECT_GE(n, 1u);
    EXPECT_LE(n, (std::size_t{1} << 17) / page + 2) << "of " << pages << " pages";
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
