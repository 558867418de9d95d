// The tests' own connections to the store, beside the running program's: what they read and
// write must not depend on whether another connection held the file at that moment.

#include "tests/e2e/E2EFixture.h"

#include <chrono>
#include <thread>

namespace e2e {
namespace {

TEST_F(E2E, TheTestsOwnStoreConnectionsWaitOutALockHeldBesideThem)
{
    start();
    // Another connection in the middle of a write, as the program's own writes and log merges are
    // for moments: a statement of the test's waits for it rather than fail as busy.
    sqlite3* holder = openBeside(database(), SQLITE_OPEN_READWRITE);
    ASSERT_NE(holder, nullptr);
    ASSERT_EQ(sqlite3_exec(holder, "BEGIN IMMEDIATE; INSERT INTO SETTINGS (NAME, VALUE) VALUES ('held', 1);", nullptr,
                           nullptr, nullptr),
              SQLITE_OK);
    std::thread releaser([holder] {
        // How long the lock is held is the situation tested, not a wait for a result.
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        sqlite3_exec(holder, "COMMIT;", nullptr, nullptr, nullptr);
    });
    EXPECT_EQ(execOnStore(database(), "INSERT INTO SETTINGS (NAME, VALUE) VALUES ('beside', 2);"), SQLITE_OK);
    releaser.join();
    sqlite3_close(holder);
    const Rows both = sql(database(), "SELECT NAME FROM SETTINGS WHERE NAME IN ('held', 'beside') ORDER BY VALUE");
    ASSERT_EQ(both.size(), 2u) << "a write was lost";
    EXPECT_EQ(both.at(0, 0), "held");
    EXPECT_EQ(both.at(1, 0), "beside");
}

} // namespace
} // namespace e2e
