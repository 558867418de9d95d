// The connection wrapper: binding, rows, failures, kept statements, journal and close.

#include "engine/runtime/Log.h"
#include "engine/store/KELLog.h"
#include "engine/store/Sqlite.h"
#include "tests/support/TestHome.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

using tallomer::ScopedLogCapture;

namespace {

class SqliteTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        path = tallomer::test::makeTempDir("sqlite") + "/t.sqlite";
        ASSERT_TRUE(db.open(path));
        ASSERT_TRUE(db.executeNonQuery("CREATE TABLE T (ID INTEGER PRIMARY KEY, V, W TEXT);"));
        Sqlite::setStoreErrorHook([this](const std::string& e) { storeErrors.push_back(e); });
    }
    void TearDown() override { Sqlite::setStoreErrorHook({}); }

    SqlValue roundTrip(const SqlValue& v)
    {
        EXPECT_TRUE(db.executeNonQuery("REPLACE INTO T (ID, V) VALUES (1, ?);", {v}));
        const auto rows = db.executeQuery("SELECT V FROM T WHERE ID = 1;");
        EXPECT_TRUE(rows && rows->size() == 1);
        return rows && !rows->empty() ? (*rows)[0]["V"] : SqlValue();
    }

    std::string path;
    Sqlite db;
    std::vector<std::string> storeErrors;
};

} // namespace

TEST_F(SqliteTest, EveryKindOfArgumentComesBackAsBound)
{
    EXPECT_TRUE(roundTrip(nullptr).isNull());
    // 64 bits both ways: an id above 32 bits keeps its high bits.
    const SqlValue big(static_cast<long long>(0x123456789ABLL));
    EXPECT_EQ(roundTrip(big).toInt64(), 0x123456789ABLL);
    EXPECT_EQ(roundTrip(-5).toInt64(), -5);
    EXPECT_EQ(roundTrip(SqlValue(std::uint64_t(999999999))).toInt64(), 999999999);
    EXPECT_EQ(roundTrip(true).toInt64(), 1);
    EXPECT_EQ(roundTrip(false).toInt64(), 0);
    const SqlValue d = roundTrip(4503599627370496.0);
    EXPECT_TRUE(d.isReal());
    EXPECT_EQ(d.toDouble(), 4503599627370496.0);
    EXPECT_DOUBLE_EQ(roundTrip(0.1f).toDouble(), double(0.1f));
    const std::string text = "Gr\xC3\xBC\xC3\x9F" "e \"?\" 'x'";
    EXPECT_EQ(roundTrip(text).toText(), text);
    const SqlBlob bytes = {0, 1, 0, 255, 0};
    const SqlValue blob = roundTrip(bytes);
    ASSERT_TRUE(blob.isBlob());
    EXPECT_EQ(blob.toBlob(), bytes);
    // Beyond the signed range an unsigned value travels as its text.
    EXPECT_EQ(roundTrip(SqlValue(std::uint64_t(18446744073709551615ULL))).toText(), "18446744073709551615");
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

TEST_F(SqliteTest, InsertAnswersTheRowIdInSixtyFourBits)
{
    EXPECT_EQ(db.executeInsertQuery("INSERT INTO T (ID) VALUES (?);", {5000000000LL}), 5000000000u);
    EXPECT_EQ(db.lastInsertRow(), 5000000000u);
    EXPECT_EQ(db.executeInsertQuery("INSERT INTO T (V) VALUES ('next');"), 5000000001u);
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

// The trace indents two ruler characters per open level, up to the ruler's length, and can be
// switched off except for its information lines.
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

    log.sink.clear();
    KELLog::ActiveLeLog(false);
    KELLog::LogIn("x");
    KELLog::LogOut("x");
    KELLog::LogInfo("always");
    KELLog::ActiveLeLog(true);
    EXPECT_EQ(log.sink.lines, std::vector<std::string>{"|always"});
}
