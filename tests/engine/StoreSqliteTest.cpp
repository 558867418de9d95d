// The connection wrapper: binding, rows, failures, kept statements and close; and the file layer
// under it: a commit's log frames go to the kernel in one write, and nothing (another connection,
// a checkpoint, a killed process) ever sees the log without them.

#include "runtime/Log.h"
#include "engine/store/KELLog.h"
#include "engine/store/Sqlite.h"
#include "engine/store/SqliteVfs.h"
#include "tests/support/TestHome.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <thread>
#include <vector>

#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

using tallomer::ScopedLogCapture;

namespace {

// A new file with its table, open on db.
class SqliteTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        path = tallomer::test::makeTempDir("sqlite") + "/t.sqlite";
        ASSERT_TRUE(db.open(path));
        ASSERT_TRUE(db.executeNonQuery("CREATE TABLE T (ID INTEGER PRIMARY KEY, V, W TEXT);"));
        ASSERT_TRUE(db.executeNonQuery("CREATE INDEX TV ON T(V);"));
        Sqlite::setStoreErrorHook([this](const std::string& e) { storeErrors.push_back(e); });
    }
    void TearDown() override { Sqlite::setStoreErrorHook({}); }

    std::string path;
    Sqlite db;
    std::vector<std::string> storeErrors;
};
using StoreJournal = SqliteTest;

// A connection through the system's own layer, as another program would open the file. The first
// connection's merging thread may hold the file for a moment as it reads or writes: it waits as
// that connection would, rather than fail at the first busy answer.
struct Autre {
    explicit Autre(const std::string& path)
    {
        sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE, nullptr);
        sqlite3_busy_timeout(db_, 30000); // as long as the tests wait on anything else
    }
    ~Autre() { sqlite3_close(db_); }
    std::string texte(const char* sql)
    {
        std::string out;
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(db_, sql, -1, &st, nullptr) == SQLITE_OK && sqlite3_step(st) == SQLITE_ROW)
            out = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
        sqlite3_finalize(st);
        return out;
    }
    bool fait(const char* sql) { return sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) == SQLITE_OK; }
    sqlite3* db_ = nullptr;
};

// Runs the work in a child process and answers its exit status, or -1 if it did not exit.
template <class Travail>
int dansUnEnfant(Travail travail)
{
    const pid_t pid = ::fork();
    if (pid == 0)
        ::_exit(travail() ? 0 : 1);
    int status = 0;
    if (pid < 0 || ::waitpid(pid, &status, 0) != pid || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

bool remplir(Sqlite& db, int premier, int nombre)
{
    bool ok = db.beginTransaction();
    for (int i = premier; ok && i < premier + nombre; ++i)
        ok = db.executeNonQuery("INSERT INTO T (ID, V, W) VALUES (?, ?, ?);", {i, i % 7, std::string(200, 'a' + i % 26)});
    return ok && db.commit();
}

} // namespace

TEST_F(SqliteTest, EveryKindOfArgumentComesBackAsBoundAndRowIdsKeepSixtyFourBits)
{
    const std::string text = "Gr\xC3\xBC\xC3\x9F" "e \"?\" 'x'";
    const SqlBlob bytes = {0, 1, 0, 255, 0};
    // What is bound comes back of the same kind and value, integers with all 64 bits; an unsigned
    // value beyond the signed range travels as its text.
    const std::pair<SqlValue, SqlValue> cas[] = {
        {nullptr, nullptr}, {0x123456789ABLL, 0x123456789ABLL}, {-5, -5}, {std::uint64_t(999999999), 999999999},
        {true, 1}, {false, 0}, {4503599627370496.0, 4503599627370496.0}, {0.1f, double(0.1f)}, {text, text},
        {bytes, bytes}, {std::uint64_t(18446744073709551615ULL), "18446744073709551615"},
    };
    for (std::size_t i = 0; i < std::size(cas); ++i) {
        ASSERT_TRUE(db.executeNonQuery("REPLACE INTO T (ID, V) VALUES (1, ?);", {cas[i].first}));
        const auto rows = db.executeQuery("SELECT V FROM T WHERE ID = 1;");
        EXPECT_TRUE(rows && rows->size() == 1 && (*rows)[0]["V"] == cas[i].second) << "case " << i;
    }
    // Row ids keep their 64 bits too.
    EXPECT_EQ(db.executeInsertQuery("INSERT INTO T (ID) VALUES (?);", {5000000000LL}), 5000000000u);
    EXPECT_EQ(db.lastInsertRow(), 5000000000u);
    EXPECT_EQ(db.executeInsertQuery("INSERT INTO T (V) VALUES ('next');"), 5000000001u);
}

TEST_F(SqliteTest, ParametersAreCountedByTheStatementNotByQuestionMarksInTheText)
{
    const auto rows = db.executeQuery("SELECT '?' AS Q, ? AS V, ?2 AS AGAIN;", {7, "seven"});
    ASSERT_TRUE(rows && rows->size() == 1);
    const SqlRow& r = (*rows)[0];
    EXPECT_EQ(r.text("Q"), "?");
    EXPECT_EQ(r.int64("V"), 7);
    EXPECT_EQ(r.text("AGAIN"), "seven");
    EXPECT_TRUE(r["NO_SUCH_COLUMN"].isNull());
    EXPECT_FALSE(r.has("NO_SUCH_COLUMN"));
}

TEST_F(SqliteTest, KeptStatementsNeverCarryArgumentsOver)
{
    const std::string insert = "INSERT INTO T (ID, V, W) VALUES (?, ?, ?);";
    ASSERT_TRUE(db.executeNonQuery(insert, {1, "a", "first"}));
    // Fewer arguments than parameters: the rest is null, not the previous call's values.
    ASSERT_TRUE(db.executeNonQuery(insert, {2}));
    const auto rows = db.executeQuery("SELECT ID, V, W FROM T ORDER BY ID;");
    ASSERT_TRUE(rows && rows->size() == 2);
    EXPECT_TRUE((*rows)[1]["V"].isNull());
    EXPECT_TRUE((*rows)[1]["W"].isNull());

    // The same text run again inside its own row loop gets its own statement.
    std::vector<std::int64_t> seen;
    const std::string select = "SELECT ID FROM T WHERE ID >= ? ORDER BY ID;";
    EXPECT_TRUE(db.forEach(select, {1}, [&](const SqlCursor& c) {
        const auto inner = db.executeQuery(select, {c.int64(0)});
        seen.push_back(c.int64(0) * 10 + static_cast<std::int64_t>(inner ? inner->size() : 99));
        return true;
    }));
    EXPECT_EQ(seen, (std::vector<std::int64_t>{12, 21}));
}

TEST_F(SqliteTest, FailuresAreLoggedAndAnswerNothing)
{
    ScopedLogCapture log;
    EXPECT_FALSE(db.executeQuery("SELEKT 1;").has_value());
    EXPECT_TRUE(log.sink.contains("SQLite Prepare Failed: near \"SELEKT\": syntax error"));
    EXPECT_TRUE(log.sink.contains(" - Query: SELEKT 1;"));
    EXPECT_TRUE(storeErrors.empty()); // a read loses nothing

    log.sink.clear();
    ASSERT_TRUE(db.executeNonQuery("INSERT INTO T (ID) VALUES (5);"));
    EXPECT_FALSE(db.executeNonQuery("INSERT INTO T (ID) VALUES (5);"));
    EXPECT_TRUE(log.sink.contains("SQLite Step Failed: UNIQUE constraint failed: T.ID"));
    EXPECT_EQ(db.executeInsertQuery("INSERT INTO T (ID) VALUES (?);", {5}), 0u);
    EXPECT_FALSE(db.executeNonQuery("UPDATE NOPE SET X = 1;"));
    ASSERT_EQ(storeErrors.size(), 3u);
    EXPECT_EQ(storeErrors[0], "UNIQUE constraint failed: T.ID");
}

// A full file (here through its page limit, as SQLite gives it) rolls the whole transaction back
// at the failing statement: the statements after it are not stored on their own, the commit
// fails, and once the transaction is ended the connection writes again.
TEST_F(SqliteTest, AWriteThatUndoesItsTransactionLetsNoLaterStatementOfItBeStored)
{
    const auto pages = db.executeQuery("PRAGMA page_count;");
    ASSERT_TRUE(pages && pages->size() == 1);
    const std::int64_t room = pages->at(0).valueAt(0).toInt64() + 2;
    ASSERT_TRUE(db.executeNonQuery("PRAGMA max_page_count = " + std::to_string(room) + ";"));
    ScopedLogCapture log;

    ASSERT_TRUE(db.beginDeferredTransaction());
    ASSERT_TRUE(db.executeNonQuery("INSERT INTO T (ID, W) VALUES (1, 'head');"));
    bool failed = false;
    for (int i = 0; i < 50 && !failed; ++i)
        failed = !db.executeNonQuery("INSERT INTO T (V) VALUES (?);", {SqlBlob(3000, 7)});
    ASSERT_TRUE(failed) << "the page limit was never met";
    EXPECT_TRUE(db.inTransaction()) << "the caller has still to end it";
    EXPECT_FALSE(db.executeNonQuery("INSERT INTO T (ID, W) VALUES (2, 'tail');"));
    EXPECT_FALSE(db.executeInsertQuery("INSERT INTO T (ID, W) VALUES (3, 'tail');"));
    EXPECT_FALSE(db.commit());
    EXPECT_TRUE(db.rollback());
    EXPECT_FALSE(db.inTransaction());
    EXPECT_EQ(Autre(path).texte("SELECT COUNT(*) FROM T;"), "0") << "neither head nor tail stored";
    EXPECT_FALSE(log.sink.contains("cannot rollback"));
    ASSERT_FALSE(storeErrors.empty());
    EXPECT_NE(storeErrors[0].find("full"), std::string::npos) << storeErrors[0];

    // Room again: the connection writes, alone and in transactions.
    ASSERT_TRUE(db.executeNonQuery("PRAGMA max_page_count = 1000000;"));
    EXPECT_TRUE(db.executeNonQuery("INSERT INTO T (ID, W) VALUES (4, 'later');"));
    ASSERT_TRUE(db.beginDeferredTransaction());
    EXPECT_TRUE(db.executeNonQuery("INSERT INTO T (ID, W) VALUES (5, 'act');"));
    EXPECT_TRUE(db.commit());
    EXPECT_EQ(Autre(path).texte("SELECT GROUP_CONCAT(W) FROM T ORDER BY ID;"), "later,act");
}

TEST_F(SqliteTest, RunsInWalModeAndLeavesOneCompleteFileAtClose)
{
    const auto mode = db.executeQuery("SELECT * FROM pragma_journal_mode, pragma_synchronous;");
    ASSERT_TRUE(mode && mode->size() == 1);
    EXPECT_EQ((*mode)[0].valueAt(0).toText(), "wal");
    EXPECT_EQ((*mode)[0].valueAt(1).toInt64(), 1); // NORMAL
    ASSERT_TRUE(db.executeNonQuery("INSERT INTO T (ID, W) VALUES (1, 'kept');"));
    db.close();
    EXPECT_FALSE(db.isOpen());
    EXPECT_TRUE(db.filePath().empty());
    const std::string wal = path + "-wal";
    EXPECT_TRUE(!std::filesystem::exists(wal) || std::filesystem::file_size(wal) == 0);

    // The main file alone holds the row: copy it without its companions and read it back.
    const std::string copy = tallomer::test::makeTempDir("sqlite") + "/copy.sqlite";
    std::filesystem::copy_file(path, copy);
    Sqlite other;
    ASSERT_TRUE(other.open(copy));
    const auto rows = other.executeQuery("SELECT W FROM T;");
    ASSERT_TRUE(rows && rows->size() == 1);
    EXPECT_EQ((*rows)[0].text("W"), "kept");
}

// A page of the table damaged in the file (its bytes flipped) is met by the first statement
// that reads it: the damage is told once, and no statement runs after it, neither a read that
// would act on what such a page answers nor a write, which fails without the store-error hook
// (the damage has its own alert); a transaction under way is still rolled back.
TEST_F(SqliteTest, APageDamagedInTheFileIsToldOnceAndNothingRunsAfterIt)
{
    ASSERT_TRUE(db.executeNonQuery("BEGIN TRANSACTION;"));
    for (int i = 0; i < 400; ++i)
        ASSERT_TRUE(db.executeNonQuery("INSERT INTO T (V, W) VALUES (?, ?);", {i, std::string(200, 'w')}));
    ASSERT_TRUE(db.executeNonQuery("COMMIT TRANSACTION;"));
    db.close();
    {
        // A leaf of the table, far from its root, every byte flipped.
        const int page = 10;
        const int size = 4096;
        FILE* f = std::fopen(path.c_str(), "r+b");
        ASSERT_NE(f, nullptr);
        std::vector<unsigned char> bytes(size);
        ASSERT_EQ(std::fseek(f, long(page - 1) * size, SEEK_SET), 0);
        ASSERT_EQ(std::fread(bytes.data(), 1, bytes.size(), f), bytes.size());
        for (unsigned char& b : bytes)
            b = static_cast<unsigned char>(~b);
        ASSERT_EQ(std::fseek(f, long(page - 1) * size, SEEK_SET), 0);
        ASSERT_EQ(std::fwrite(bytes.data(), 1, bytes.size(), f), bytes.size());
        std::fclose(f);
    }
    ASSERT_TRUE(db.open(path, false));
    std::vector<std::string> told;
    db.setDamageHandler([&](const std::string& why) { told.push_back(why); });
    const ScopedLogCapture log;
    EXPECT_TRUE(db.executeQuery("SELECT ID FROM T WHERE ID = 1;").has_value()) << "an undamaged page reads";
    EXPECT_TRUE(told.empty());
    ASSERT_TRUE(db.executeNonQuery("BEGIN TRANSACTION;"));
    EXPECT_TRUE(db.executeNonQuery("INSERT INTO T (V, W) VALUES (-1, 'before');"));
    std::size_t rows = 0;
    db.forEach("SELECT W FROM T ORDER BY ID;", {}, [&](const SqlCursor&) { return ++rows, true; });
    ASSERT_EQ(told.size(), 1u) << "the damaged page went unnoticed";
    EXPECT_TRUE(db.damaged());
    EXPECT_FALSE(db.executeQuery("SELECT ID FROM T WHERE ID = 1;").has_value()) << "a read ran after the damage";
    EXPECT_FALSE(db.executeNonQuery("INSERT INTO T (V, W) VALUES (-2, 'after');"));
    EXPECT_FALSE(db.commit());
    EXPECT_TRUE(db.rollback());
    EXPECT_FALSE(db.inTransaction());
    EXPECT_TRUE(storeErrors.empty()) << "the damage was told as a full disk too";
    EXPECT_EQ(told.size(), 1u);
    db.close();
    EXPECT_FALSE(db.executeNonQuery("INSERT INTO T (V, W) VALUES (-3, 'closed');"));
    EXPECT_TRUE(storeErrors.empty()) << "a write after the close was told as a full disk";
    Autre autre(path);
    EXPECT_EQ(autre.texte("SELECT COUNT(*) FROM T WHERE V < 0;"), "0") << "a write of the damaged run was stored";
}

TEST_F(SqliteTest, ClosedConnectionFailsEveryStatement)
{
    db.close();
    db.close(); // harmless
    ScopedLogCapture log;
    EXPECT_FALSE(db.executeQuery("SELECT 1;").has_value());
    EXPECT_FALSE(db.executeNonQuery("DELETE FROM T;"));
    EXPECT_EQ(db.executeInsertQuery("INSERT INTO T (ID) VALUES (1);"), 0u);
    EXPECT_EQ(log.sink.count("SQLite Prepare Failed:"), 3u);
    EXPECT_EQ(storeErrors.size(), 2u);
    // Reopening works and keeps the data.
    ASSERT_TRUE(db.open(path));
    EXPECT_TRUE(db.executeQuery("SELECT * FROM T;").has_value());
}

TEST_F(StoreJournal, ACommitOfManyPagesIsOneWriteAndOthersSeeItAtOnce)
{
    ASSERT_TRUE(remplir(db, 1, 40)); // several table and index pages

    const std::size_t avant = tallomer::store::ecrituresDeJournal();
    ASSERT_TRUE(remplir(db, 1000, 40));
    EXPECT_EQ(tallomer::store::ecrituresDeJournal() - avant, 1u);

    // The first connection stays open with its log unmerged: the other reads the frames.
    Autre autre(path);
    EXPECT_EQ(autre.texte("SELECT COUNT(*) FROM T;"), "80");
    EXPECT_EQ(autre.texte("SELECT COUNT(*) FROM T WHERE V = 3;"), "12");
    // And the other way round: what the other writes, this one reads.
    EXPECT_EQ(autre.texte("INSERT INTO T (ID, V) VALUES (5000, 3) RETURNING ID;"), "5000");
    EXPECT_EQ(db.executeQuery("SELECT COUNT(*) AS N FROM T WHERE V = 3;").value().at(0).int64("N"), 13);
}

TEST_F(StoreJournal, SpilledTransactionsCheckpointsAndRollbacksKeepTheFileSound)
{
    // A tiny cache makes a large transaction write frames before its commit.
    ASSERT_TRUE(db.executeNonQuery("PRAGMA cache_size=10;"));
    ASSERT_TRUE(remplir(db, 1, 5000));
    // Rolled back after spilling: none of it is left.
    ASSERT_TRUE(db.beginTransaction());
    for (int i = 10000; i < 13000; ++i)
        ASSERT_TRUE(db.executeNonQuery("INSERT INTO T (ID, V, W) VALUES (?, 1, ?);", {i, std::string(300, 'z')}));
    ASSERT_TRUE(db.rollback());
    // Many small commits run the automatic checkpoint several times, the other reading between.
    Autre autre(path);
    for (int i = 0; i < 600; ++i) {
        ASSERT_TRUE(remplir(db, 20000 + i * 3, 3));
        if (i % 100 == 0) {
            EXPECT_EQ(autre.texte("SELECT COUNT(*) FROM T;"), std::to_string(5000 + (i + 1) * 3));
        }
    }
    EXPECT_EQ(autre.texte("PRAGMA integrity_check;"), "ok");
    EXPECT_EQ(autre.texte("SELECT COUNT(*) FROM T WHERE ID >= 10000 AND ID < 13000;"), "0");
    db.close();
    Autre apres(path);
    EXPECT_EQ(apres.texte("SELECT COUNT(*) FROM T;"), "6800");
    EXPECT_EQ(apres.texte("PRAGMA integrity_check;"), "ok");
}

TEST_F(StoreJournal, AChildClosesTheConnectionItInheritedWhileItsMergingThreadRuns)
{
    // Enough frames (one commit writes at least one) to start the merging thread.
    for (int i = 0; i < Sqlite::kFramesBeforeCheckpoint + 100; ++i)
        ASSERT_TRUE(remplir(db, i * 3, 3));
    // The thread was not copied: closing must neither wait for it nor touch it.
    const auto enfant = [&] {
        db.close();
        Sqlite autre;
        return autre.open(path) && remplir(autre, 100000, 1);
    };
    EXPECT_EQ(dansUnEnfant(enfant), 0);
    ASSERT_TRUE(remplir(db, 200000, 1));
    db.close();
    Autre apres(path);
    EXPECT_EQ(apres.texte("SELECT COUNT(*) FROM T;"), std::to_string((Sqlite::kFramesBeforeCheckpoint + 100) * 3 + 2));
    EXPECT_EQ(apres.texte("PRAGMA integrity_check;"), "ok");
}

// Another connection, or this one's own merging thread, may hold the write lock for a moment on a
// loaded machine: a write meeting it waits, without being told as a failure, and then lands.
TEST_F(StoreJournal, AWriteMeetingTheLockOfAnotherConnectionWaitsAndLands)
{
    ASSERT_TRUE(remplir(db, 0, 1));
    Autre autre(path);
    ASSERT_TRUE(autre.fait("BEGIN IMMEDIATE;"));
    std::mutex m;
    std::condition_variable cv;
    bool parti = false;
    std::thread ecrivain([&] {
        {
            const std::lock_guard<std::mutex> verrou(m);
            parti = true;
        }
        cv.notify_one();
        EXPECT_TRUE(remplir(db, 10, 2));
    });
    {
        std::unique_lock<std::mutex> verrou(m);
        cv.wait(verrou, [&] { return parti; });
    }
    // The writer is on its way: it meets the lock, unless the commit below comes first.
    EXPECT_TRUE(autre.fait("INSERT INTO T (ID) VALUES (5);"));
    EXPECT_TRUE(autre.fait("COMMIT;"));
    ecrivain.join();
    EXPECT_EQ(autre.texte("SELECT COUNT(*) FROM T;"), "4");
    EXPECT_TRUE(storeErrors.empty());
}

// The trace indents two ruler characters per open level, up to the ruler's length.
TEST(KELLog, IndentationFollowsNestingWithinTheRuler)
{
    ScopedLogCapture log;
    KELLog::LogIn("a");
    KELLog::LogIn("b");
    KELLog::LogInfo("i");
    KELLog::LogOut("b");
    KELLog::LogOut("a");
    EXPECT_EQ(log.sink.lines, (std::vector<std::string>{".|a", ".|.|b", ".|.||i", ".|.|b", ".|a"}));
    for (int i = 0; i < 100; ++i)
        KELLog::LogIn("deep");
    EXPECT_EQ(KELLog::depth(), 128);
    for (int i = 0; i < 100; ++i)
        KELLog::LogOut("up");
    EXPECT_EQ(KELLog::depth(), 0);
}
