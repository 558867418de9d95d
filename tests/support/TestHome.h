#pragma once
// Test binaries never see the real home: main() points HOME and the XDG folders at a fresh
// temporary folder before any test runs, and removes it afterwards.

#include <string>

namespace tallomer::test {

// The temporary home of this test process.
const std::string& testHome();

// A fresh empty folder below the test home.
std::string makeTempDir(const std::string& prefix = "t");

// Where the build tree keeps resources (share/tallomer), and the source tree.
std::string buildDir();
std::string sourceDir();

} // namespace tallomer::test
