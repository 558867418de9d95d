#pragma once
// Including this mounts the tests' other file systems while the program has one thread (a static
// initializer, run once however many files include it).

#include "tests/support/SecondFileSystem.h"

namespace tallomer::test {

// Whether there is another file system to move to (else SecondFileSystem::why() says why not).
inline const bool kSecondFileSystem = SecondFileSystem::prepare();

} // namespace tallomer::test
