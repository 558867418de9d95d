// When a start asks the C library for a heap in huge pages, and what the start again hands on.

#include "platform/HeapPages.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include <sys/wait.h>
#include <unistd.h>

using namespace tallomer::heappages;

namespace {

constexpr const char* kMadvise = "always [madvise] never\n";

TEST(HeapPages, AStartAsksForHugePagesOnlyWhereTheyCanBeHadAndNobodyDecidedOtherwise)
{
#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 35))
    Plan p = plan(nullptr, nullptr, kMadvise, true);
    EXPECT_EQ(p.step, Step::Again);
    EXPECT_EQ(p.tunables, "glibc.malloc.hugetlb=1");
    p = plan(nullptr, nullptr, "[always] madvise never", true);
    EXPECT_EQ(p.step, Step::Again);

    // Other tunables are kept, in their order, with ours after them.
    p = plan("glibc.malloc.tcache_count=0:glibc.pthread.rseq=0", nullptr, kMadvise, true);
    EXPECT_EQ(p.step, Step::Again);
    EXPECT_EQ(p.tunables, "glibc.malloc.tcache_count=0:glibc.pthread.rseq=0:glibc.malloc.hugetlb=1");
    // An empty value is as good as none.
    EXPECT_EQ(plan("", nullptr, kMadvise, true).tunables, "glibc.malloc.hugetlb=1");
#endif
    // Whoever set the tunable has the last word, even to refuse huge pages.
    EXPECT_EQ(plan("glibc.malloc.hugetlb=0", nullptr, kMadvise, true).step, Step::AsIs);
    EXPECT_EQ(plan("glibc.malloc.tcache_count=0:glibc.malloc.hugetlb=2", nullptr, kMadvise, true).step, Step::AsIs);
    // No huge pages on the system, or no word of them: starting again would gain nothing.
    EXPECT_EQ(plan(nullptr, nullptr, "always madvise [never]\n", true).step, Step::AsIs);
    EXPECT_EQ(plan(nullptr, nullptr, "", true).step, Step::AsIs);
    EXPECT_EQ(plan(nullptr, nullptr, "garbled [", true).step, Step::AsIs);
    // Under a tool with an allocator of its own, a start again would lose the tool; through the
    // loader, it would start the loader alone.
    EXPECT_EQ(plan(nullptr, nullptr, kMadvise, false).step, Step::AsIs);
}

TEST(HeapPages, TheStartAgainPutsBackTheTunablesItWasGivenAndNeverStartsOnceMore)
{
    // Set, even to an empty value, they come back as they were; unset, they go.
    Plan p = plan("glibc.malloc.hugetlb=1", "=glibc.pthread.rseq=0", kMadvise, true);
    EXPECT_EQ(p.step, Step::Restarted);
    EXPECT_EQ(p.tunables, "glibc.pthread.rseq=0");
    p = plan("glibc.malloc.hugetlb=1", "=", kMadvise, true);
    EXPECT_EQ(p.step, Step::Restarted);
    EXPECT_EQ(p.tunables, "");
    p = plan("glibc.malloc.hugetlb=1", "", kMadvise, true);
    EXPECT_EQ(p.step, Step::Restarted);
    EXPECT_FALSE(p.tunables.has_value());
    // Even if something between dropped the tunable: one start again, never a loop.
    EXPECT_EQ(plan(nullptr, "", kMadvise, true).step, Step::Restarted);
}

// atStart in a child of its own, so that this process's environment stays as it is: after a start
// again, the environment is the one the first start was given.
TEST(HeapPages, AfterTheStartAgainTheEnvironmentIsTheOneTheFirstStartWasGiven)
{
    for (const char* before : {"=glibc.pthread.rseq=0", ""}) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            setenv("GLIBC_TUNABLES", "glibc.malloc.hugetlb=1", 1);
            setenv(kSavedVariable, before, 1);
            char name[] = "tallomer";
            char* argv[] = {name, nullptr};
            atStart(argv);
            const char* t = std::getenv("GLIBC_TUNABLES");
            const bool restored = *before ? t && std::strcmp(t, before + 1) == 0 : t == nullptr;
            _exit(restored && !std::getenv(kSavedVariable) ? 0 : 1);
        }
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 0) << "tunables before: \"" << before << "\"";
    }
}

} // namespace
