// Opening the link base file: version check, the 1→2→3 upgrade and its refusals.

#include "tests/engine/StoreFixtures.h"

#include "engine/runtime/Log.h"
#include "engine/store/KELChercheurDe.h"
#include "engine/store/KELChercheurDeLiens.h"

#include <gtest/gtest.h>

#include <fstream>

using namespace storetest;

namespace {

constexpr const char* kOneToTwo = "Update zevDatabase from version 1 to version 2";
constexpr const char* kTwoToThree = "Update zevDatabase from version 2 to version 3";
constexpr const char* kStaysAtTwo = "failed; the database stays at version 2.";

std::int64_t storedVersion(const std::string& path)
{
    return scalar(path, "SELECT VALUE FROM SETTINGS WHERE NAME = 'dbVersion';").toInt64();
}

// The file opened through the shared connection, as the first finder does, and what that said.
struct Opened {
    explicit Opened(const std::string& path) : session(path) { KELChercheurDe::initialize(); }
    tallomer::ScopedLogCapture log;
    StoreSession session;
};

} // namespace

TEST(StoreUpgrade, VersionOneAndTwoEndIdenticalToTheTemplateWithTheirLogLines)
{
    const std::string expected = dump(templatePath());
    for (int from : {1, 2}) {
        SCOPED_TRACE(from);
        const std::string path = copyTemplate();
        from == 1 ? makeVersion1(path) : makeVersion2(path);
        ASSERT_NE(dump(path), expected);
        {
            Opened o(path);
            EXPECT_TRUE(o.session.stops.empty());
            EXPECT_EQ(o.log.sink.count(kOneToTwo), from == 1 ? 1u : 0u);
            EXPECT_EQ(o.log.sink.count(kTwoToThree), 1u);
            if (from == 1) {
                ASSERT_EQ(o.log.sink.lines.size(), 2u);
                EXPECT_EQ(o.log.sink.lines[0], kOneToTwo);
            }
            // The open connection serves the finders at once.
            EXPECT_EQ(KELChercheurDeLiens().loadRowInt(2000195)->parent, 2000002u);
            KELChercheurDe::CloseDatabase();
        }
        EXPECT_EQ(dump(path), expected);
    }
}

// The current version, and integer versions that are not above it, are opened as they are.
TEST(StoreUpgrade, CurrentZeroAndNegativeVersionsAreAcceptedUnchangedAndSilently)
{
    for (const char* value : {"3", "0", "-2", "'0'"}) {
        SCOPED_TRACE(value);
        const std::string path = copyTemplate();
        run(path, {std::string("UPDATE SETTINGS SET VALUE = ") + value + " WHERE NAME = 'dbVersion';"});
        const std::string before = dump(path);
        {
            Opened o(path);
            KELChercheurDe::CloseDatabase();
            EXPECT_TRUE(o.session.stops.empty());
            EXPECT_TRUE(o.log.sink.lines.empty());
        }
        EXPECT_EQ(dump(path), before);
    }
}

TEST(StoreUpgrade, NewerVersionAlertsAndStops)
{
    const std::string path = copyTemplate();
    run(path, {"UPDATE SETTINGS SET VALUE = 4 WHERE NAME = 'dbVersion';"});
    KELChercheurDe::setDownloadPage("https://example.org/get");
    Opened o(path);
    KELChercheurDe::setDownloadPage("https://tallomer.org/download");
    const char* text = "zevDatabase version (4) newer than expected (3). You should update the application.";
    ASSERT_EQ(o.session.stops.size(), 1u);
    EXPECT_EQ(o.session.stops[0].message, "zevDatabase Error!");
    EXPECT_EQ(o.session.stops[0].informative, std::string(text) + "\nhttps://example.org/get");
    EXPECT_TRUE(o.log.sink.contains(text));
    // The refused store is closed: nothing more reaches the file.
    EXPECT_FALSE(KELChercheurDe::ZevDataBase().isOpen());
    EXPECT_EQ(storedVersion(path), 4);
}

TEST(StoreUpgrade, UnreadableVersionsStopWithoutAlert)
{
    for (const char* change : {
             "DELETE FROM SETTINGS;",
             "INSERT INTO SETTINGS VALUES ('dbVersion', 3);", // two rows
             "UPDATE SETTINGS SET VALUE = 'three' WHERE NAME = 'dbVersion';",
             "UPDATE SETTINGS SET VALUE = 2.5 WHERE NAME = 'dbVersion';",
             "UPDATE SETTINGS SET VALUE = NULL WHERE NAME = 'dbVersion';",
             "UPDATE SETTINGS SET VALUE = 4294967299 WHERE NAME = 'dbVersion';", // 3 in its low 32 bits
             "DROP TABLE SETTINGS;",
         }) {
        SCOPED_TRACE(change);
        const std::string path = copyTemplate();
        run(path, {change});
        const std::string before = dump(path);
        {
            Opened o(path);
            EXPECT_TRUE(o.log.sink.contains("zevDatabase Impossible to read database version."));
            ASSERT_EQ(o.session.stops.size(), 1u);
            EXPECT_TRUE(o.session.stops[0].message.empty());
        }
        EXPECT_EQ(dump(path), before);
    }
}

TEST(StoreUpgrade, FailedStepRollsBackAndKeepsTheOldVersion)
{
    // 2→3: the word row 2000028 already exists, so its insert fails after the link insert before it.
    std::string path = copyTemplate();
    makeVersion2(path);
    run(path, {"INSERT INTO WORD VALUES (2000028, 5, 'taken');"});
    std::string before = dump(path);
    {
        Opened o(path);
        EXPECT_TRUE(o.log.sink.contains("SQLite Step Failed:"));
        EXPECT_TRUE(o.log.sink.contains(kStaysAtTwo));
        ASSERT_EQ(o.session.stops.size(), 1u);
        EXPECT_TRUE(o.session.stops[0].message.empty());
    }
    EXPECT_EQ(dump(path), before);
    EXPECT_EQ(storedVersion(path), 2);

    // 1→2: the last index exists already; the first three are rolled back with the version row.
    path = copyTemplate();
    makeVersion1(path);
    run(path, {"CREATE INDEX NumbIndex ON NUMBER(NUMBER);"});
    {
        Opened o(path);
        EXPECT_FALSE(o.log.sink.contains(kTwoToThree));
        EXPECT_EQ(o.session.stops.size(), 1u);
    }
    EXPECT_EQ(storedVersion(path), 1);
    EXPECT_EQ(scalar(path, "SELECT COUNT(*) FROM sqlite_master WHERE name = 'RelationIndex';").toInt64(), 0);
    EXPECT_FALSE(scalar(path, "SELECT ZEVLET_ID FROM ZEVLETS WHERE ZEVLET_ID = 2000193;").isInteger());

    // 1→2 succeeds, 2→3 fails: the file stays a complete version 2.
    path = copyTemplate();
    makeVersion1(path);
    run(path, {"INSERT INTO ZEVLETS VALUES (2000196, 0, 'KELI', 0, 0, 0, 0, 0);"});
    {
        Opened o(path);
        EXPECT_EQ(o.session.stops.size(), 1u);
        EXPECT_TRUE(o.log.sink.contains(kOneToTwo));
        EXPECT_TRUE(o.log.sink.contains(kStaysAtTwo));
    }
    EXPECT_EQ(storedVersion(path), 2);
    EXPECT_EQ(scalar(path, "SELECT COUNT(*) FROM sqlite_master WHERE name = 'NumbIndex';").toInt64(), 1);
    EXPECT_EQ(scalar(path, "SELECT COUNT(*) FROM WORD WHERE WORD_ID = 2000028;").toInt64(), 0);
}

TEST(StoreUpgrade, FileThatCannotBeOpenedIsAnUnusableStore)
{
    const std::string dir = tallomer::test::makeTempDir("store");
    const std::string garbage = dir + "/garbage.sqlite";
    std::ofstream(garbage) << std::string(4096, 'x');
    for (const std::string& path : {dir + "/missing/zev.sqlite", dir + "/absent.sqlite", garbage}) {
        SCOPED_TRACE(path);
        Opened o(path);
        EXPECT_TRUE(o.log.sink.contains("SQLite Opening Error:"));
        EXPECT_TRUE(o.log.sink.contains("+ [KELChercheurDe initialize] SQLite Connection failed !!!"));
        ASSERT_EQ(o.session.stops.size(), 1u);
        EXPECT_EQ(o.session.stops[0].message, "zevDatabase Error!");
        EXPECT_FALSE(KELChercheurDe::ZevDataBase().isOpen());
    }
    // No empty file was left where the template copy belongs.
    EXPECT_FALSE(std::filesystem::exists(dir + "/absent.sqlite"));
}

TEST(StoreUpgrade, OneConnectionForAllFindersAndStatementsFailAfterClose)
{
    const std::string path = copyTemplate();
    StoreSession session(path);
    KELChercheurDeLiens a;
    Sqlite* first = &KELChercheurDe::ZevDataBase();
    KELChercheurDe::initialize();
    KELChercheurDeLiens b;
    EXPECT_EQ(first, &KELChercheurDe::ZevDataBase());
    EXPECT_EQ(first->filePath(), path);

    KELChercheurDe::CloseDatabase();
    tallomer::ScopedLogCapture log;
    EXPECT_EQ(b.lienCount(), 0u);
    EXPECT_TRUE(log.sink.contains("SQLite Prepare Failed:"));
    EXPECT_FALSE(b.deleteLeLien(1));
    EXPECT_EQ(session.storeErrors.size(), 1u);
    // The connection is not reopened behind the caller's back.
    EXPECT_EQ(first, &KELChercheurDe::ZevDataBase());
    EXPECT_FALSE(first->isOpen());
}
