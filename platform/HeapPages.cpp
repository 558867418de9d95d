#include "platform/HeapPages.h"

#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <sys/auxv.h>
#include <unistd.h>

namespace tallomer::heappages {

namespace {

constexpr std::string_view kTunable = "glibc.malloc.hugetlb";

// The tunable came with version 2.35 of the C library; elsewhere it would be ignored, and the
// start again would cost its time for nothing.
constexpr bool libraryKnowsTheTunable()
{
#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 35))
    return true;
#else
    return false;
#endif
}

constexpr bool builtWithASanitizer()
{
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    return true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer) || __has_feature(memory_sanitizer)
    return true;
#else
    return false;
#endif
#else
    return false;
#endif
}

// Valgrind's tools put their allocator in through the loader; a start again would also leave the
// tool behind.
bool underValgrind()
{
    const char* preload = std::getenv("LD_PRELOAD");
    return preload && std::strstr(preload, "vgpreload");
}

// Started as the loader's argument ("ld-linux-x86-64.so.2 tallomer"), the process's image is the
// loader itself, which the kernel then loads with no loader of its own.
bool startedThroughTheLoader()
{
    return getauxval(AT_BASE) == 0;
}

std::string hugePageModes()
{
    const int fd = open("/sys/kernel/mm/transparent_hugepage/enabled", O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return {};
    char buffer[128];
    const ssize_t n = read(fd, buffer, sizeof buffer);
    close(fd);
    return n > 0 ? std::string(buffer, std::size_t(n)) : std::string();
}

// GLIBC_TUNABLES as they were given (nullopt: unset), and the saved variable gone.
void putTunablesBack(const std::optional<std::string>& tunables)
{
    if (tunables)
        setenv("GLIBC_TUNABLES", tunables->c_str(), 1);
    else
        unsetenv("GLIBC_TUNABLES");
    unsetenv(kSavedVariable);
}

} // namespace

Plan plan(const char* tunables, const char* saved, std::string_view hugePageModes, bool startAgainWorks)
{
    if (saved) {
        if (*saved == '=')
            return {Step::Restarted, std::string(saved + 1)};
        return {Step::Restarted, std::nullopt};
    }
    // The mode in use is the one in brackets: without one, or with "never", there are none to have.
    const std::size_t open = hugePageModes.find('[');
    const std::size_t close = hugePageModes.find(']', open);
    if (open == std::string_view::npos || close == std::string_view::npos ||
        hugePageModes.substr(open + 1, close - open - 1) == "never")
        return {};
    if (!startAgainWorks || !libraryKnowsTheTunable())
        return {};
    const std::string_view given = tunables ? std::string_view(tunables) : std::string_view();
    // Whoever set it, to any value, has the last word.
    if (given.find(kTunable) != std::string_view::npos)
        return {};
    std::string wanted(given);
    if (!wanted.empty())
        wanted += ':';
    wanted += kTunable;
    wanted += "=1";
    return {Step::Again, std::move(wanted)};
}

void atStart(char** argv)
{
    const char* given = std::getenv("GLIBC_TUNABLES");
    const std::optional<std::string> tunables = given ? std::optional<std::string>(given) : std::nullopt;
    const char* saved = std::getenv(kSavedVariable);
    const Plan p = saved ? plan(given, saved, {}, true)
                         : plan(given, nullptr, hugePageModes(),
                                !builtWithASanitizer() && !underValgrind() && !startedThroughTheLoader());
    switch (p.step) {
    case Step::AsIs:
        return;
    case Step::Restarted:
        putTunablesBack(p.tunables);
        return;
    case Step::Again: {
        const std::string before = tunables ? "=" + *tunables : std::string();
        if (!argv || !argv[0] || setenv(kSavedVariable, before.c_str(), 1) != 0)
            return;
        // By the program's own file name, not /proc/self/exe: the process takes its name from it
        // (in process lists, and for pgrep and killall), and it must stay "tallomer".
        char self[4096];
        const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
        if (n > 0) {
            self[n] = '\0';
            setenv("GLIBC_TUNABLES", p.tunables->c_str(), 1);
            execv(self, argv);
        }
        // Still here: the program runs on as it was started.
        putTunablesBack(tunables);
        return;
    }
    }
}

} // namespace tallomer::heappages
