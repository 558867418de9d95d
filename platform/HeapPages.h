#pragma once
// The heap in huge pages. A large store's start allocates some hundred megabytes in small pieces,
// and the system hands each new page of them in with a fault of its own: a third of the start's
// processor time went to the kernel. The C library backs its heap with transparent huge pages when
// its tunable `glibc.malloc.hugetlb` says so, but it reads its tunables only as a program starts:
// so the program starts itself once more with the tunable set, then puts the environment back as
// it was, so that the programs it opens in its turn start as they would have.

#include <optional>
#include <string>
#include <string_view>

namespace tallomer::heappages {

// The environment variable holding the tunables as they were before the start again: "=" and the
// value when they were set, empty when they were not.
inline constexpr const char* kSavedVariable = "TALLOMER_TUNABLES_BEFORE";

enum class Step {
    AsIs,      // run on: huge pages cannot be had, or were asked or refused already
    Again,     // start again with `tunables` as GLIBC_TUNABLES
    Restarted, // the start again: put `tunables` back (nullopt: unset them) and run on
};

struct Plan {
    Step step = Step::AsIs;
    std::optional<std::string> tunables;
};

// What a start does, from the tunables it was given (nullptr: unset), the saved variable (nullptr:
// unset), the system's transparent huge page mode as the kernel lists it ("always [madvise]
// never", empty when it has none), and whether starting again would start the same program with
// the C library's allocator (not under a tool that replaces it, nor through an explicit call of
// the loader, which /proc/self/exe names instead of the program).
Plan plan(const char* tunables, const char* saved, std::string_view hugePageModes, bool startAgainWorks);

// Called first thing in main, before any thread: starts the program again when the plan says so
// (answering only if that fails), or puts the environment back after such a start. Not earlier:
// the C library sets up the environment it reads only once the libraries' own start-up code runs.
void atStart(char** argv);

} // namespace tallomer::heappages
