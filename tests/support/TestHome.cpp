#include "tests/support/TestHome.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <unistd.h>

namespace fs = std::filesystem;

namespace tallomer::test {

namespace {
std::string g_home;

void setEnv(const char* name, const fs::path& value)
{
    fs::create_directories(value);
    ::setenv(name, value.c_str(), 1);
}
} // namespace

const std::string& testHome() { return g_home; }

std::string makeTempDir(const std::string& prefix)
{
    static std::atomic<int> counter{0};
    fs::path p = fs::path(g_home) / "tmp" / (prefix + "-" + std::to_string(counter++));
    fs::remove_all(p);
    fs::create_directories(p);
    return p.string();
}

std::string buildDir()
{
    const char* d = std::getenv("TALLOMER_BUILD_DIR");
    return d ? d : TALLOMER_BUILD_DIR_DEFAULT;
}

std::string sourceDir()
{
    const char* d = std::getenv("TALLOMER_SOURCE_DIR");
    return d ? d : TALLOMER_SOURCE_DIR_DEFAULT;
}

} // namespace tallomer::test

// Qt test binaries provide their own main through this hook (see tests/support/QtTestMain.h).
extern "C" int tallomerRunTests(int argc, char** argv) __attribute__((weak));

int main(int argc, char** argv)
{
    char pattern[] = "/tmp/tallomer-test-XXXXXX";
    const char* dir = ::mkdtemp(pattern);
    if (!dir)
        return 2;
    tallomer::test::g_home = dir;
    const fs::path home(dir);
    tallomer::test::setEnv("HOME", home);
    tallomer::test::setEnv("XDG_DATA_HOME", home / ".local/share");
    tallomer::test::setEnv("XDG_CONFIG_HOME", home / ".config");
    tallomer::test::setEnv("XDG_CACHE_HOME", home / ".cache");
    tallomer::test::setEnv("XDG_STATE_HOME", home / ".local/state");
    tallomer::test::setEnv("XDG_RUNTIME_DIR", home / "runtime");
    fs::permissions(home / "runtime", fs::perms::owner_all, fs::perm_options::replace);
    tallomer::test::setEnv("TMPDIR", home / "tmp");

    ::testing::InitGoogleTest(&argc, argv);
    const int rc = tallomerRunTests ? tallomerRunTests(argc, argv) : RUN_ALL_TESTS();
    std::error_code ec;
    if (!std::getenv("TALLOMER_KEEP_TEST_HOME"))
        fs::remove_all(home, ec);
    return rc;
}
