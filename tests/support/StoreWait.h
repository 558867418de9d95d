#pragma once
// A test's own connection to a store the program has open waits out the program's locks (its
// writes, its log merges, held for moments, longer on a loaded machine) as long as the program's
// connection waits out another's: as many retries after a busy answer, each after the same pause.
// A shorter wait fails a test at random on a busy machine; a longer one would hide a lock the
// program itself could not wait out.

#include "engine/store/KELChercheurDe.h"
#include "engine/store/Sqlite.h"

#include <sqlite3.h>
#include <unistd.h>

namespace tallomer::test {

// The pause the program's connection makes before each retry.
inline constexpr useconds_t kStoreRetryPauseMicroseconds = 20;

inline void waitAsTheProgramDoes(Sqlite& db)
{
    db.setBusyRetryTimeout(KELChercheurDe::kBusyRetries);
}

inline void waitAsTheProgramDoes(sqlite3* db)
{
    sqlite3_busy_handler(
        db,
        [](void*, int retries) -> int {
            if (retries >= KELChercheurDe::kBusyRetries)
                return 0;
            ::usleep(kStoreRetryPauseMicroseconds);
            return 1;
        },
        nullptr);
}

} // namespace tallomer::test
