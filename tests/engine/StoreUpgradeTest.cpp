// Opening the link base file: version check, the 1→2→3 upgrade and its refusals.

#include "tests/engine/StoreFixtures.h"

#include "engine/store/KELChercheurDeLiens.h"

#include <fstream>

using namespace storetest;

namespace {

const std::vector<std::string> kUpgradeSteps = {"Update zevDatabase from version 1 to version 2",
                                                "Update zevDatabase from version 2 to version 3"};

// A copy of the template as version 2 left it (without the version-3 rows, another word in
// 1000010) or as version 1 did (version 2 without the indexes), then changed.
std::string copyAt(int version, const std::vector<std::string>& changes = {})
{
    const std::string path = copyTemplate();
    run(path, {"DELETE FROM ZEVLETS WHERE ZEVLET_ID BETWEEN 2000193 AND 2000197;",
               "DELETE FROM WORD WHERE WORD_ID = 2000028;",
               "UPDATE WORD SET WORD = 'channelViewer' WHERE WORD_ID = 1000010;",
               "UPDATE SETTINGS SET VALUE = " + std::to_string(version) + " WHERE NAME = 'dbVersion';"});
    if (version == 1)
        run(path, {"DROP INDEX RelationIndex;", "DROP INDEX DateInIndex;", "DROP INDEX WordIndex;",
                   "DROP INDEX NumbIndex;"});
    run(path, changes);
    return path;
}

// The file opened through the shared connection, as the first finder does, and what that said.
struct Opened {
    explicit Opened(const std::string& path) : session(path) { KELChercheurDe::initialize(); }
    tallomer::ScopedLogCapture log;
    StoreSession session;
};

} // namespace

namespace {
const std::vector<std::string> kIndexesMadeAtOpen{KELChercheurDe::kParentIndex, KELChercheurDe::kRowsIndex};
} // namespace

TEST(StoreUpgrade, VersionOneAndTwoEndIdenticalToTheTemplateWithTheirLogLines)
{
    // The template with the index every opened store of this version gets.
    const std::string expected = [] {
        const std::string path = copyTemplate();
        Opened o(path);
        KELChercheurDe::CloseDatabase();
        return dump(path);
    }();
    for (int from : {1, 2}) {
        SCOPED_TRACE(from);
        const std::string path = copyAt(from);
        ASSERT_NE(dump(path), expected);
        {
            Opened o(path);
            EXPECT_TRUE(o.session.stops.empty());
            EXPECT_EQ(o.log.sink.lines,
                      std::vector<std::string>(kUpgradeSteps.begin() + from - 1, kUpgradeSteps.end()));
            // The open connection serves the finders at once.
            EXPECT_EQ(KELChercheurDeLiens().loadRowInt(2000195)->parent, 2000002u);
            KELChercheurDe::CloseDatabase();
        }
        EXPECT_EQ(dump(path), expected);
    }
}

// The version row decides: the current version and integer versions not above it are opened as
// they are and silently, a newer one alerts and stops, one that cannot be read stops without an
// alert of its own. Either way the reason is there for the user. A refused file is closed and left
// as it was.
TEST(StoreUpgrade, TheVersionRowDecidesAndARefusedFileIsLeftAsItWas)
{
    const std::string illisible = "zevDatabase Impossible to read database version.";
    const std::string nouvelle = "zevDatabase version (4) newer than expected (3). You should update the application.";
    auto version = [](std::string v) { return "UPDATE SETTINGS SET VALUE = " + v + " WHERE NAME = 'dbVersion';"; };
    const std::string illisibleRaison =
        "The version of the link base cannot be read: the file is damaged or is no link base.";
    const struct {
        std::string change, log; // the line that says why it stops, none for an open file
        std::string raison;      // lastError
    } cas[] = {
        {version("3"), "", ""}, {version("0"), "", ""}, {version("-2"), "", ""}, {version("'0'"), "", ""},
        {version("4"), nouvelle,
         "The link base is newer than this version of Tallomer (version 4; this version reads up to version 3)."},
        {"DELETE FROM SETTINGS;", illisible, illisibleRaison},
        {"INSERT INTO SETTINGS VALUES ('dbVersion', 3);", illisible, illisibleRaison}, // two rows
        {version("'three'"), illisible, illisibleRaison}, {version("2.5"), illisible, illisibleRaison},
        {version("NULL"), illisible, illisibleRaison},
        {version("4294967299"), illisible, illisibleRaison}, // 3 in its low 32 bits
        {"DROP TABLE SETTINGS;", illisible, illisibleRaison},
    };
    KELChercheurDe::setDownloadPage("https://example.org/get");
    for (const auto& c : cas) {
        SCOPED_TRACE(c.change);
        const std::string path = copyTemplate();
        run(path, {c.change});
        const std::string before = dump(path);
        {
            Opened o(path);
            EXPECT_EQ(o.log.sink.lines.empty(), c.log.empty());
            EXPECT_TRUE(c.log.empty() || o.log.sink.contains(c.log));
            EXPECT_EQ(KELChercheurDe::ZevDataBase().isOpen(), c.log.empty());
            ASSERT_EQ(o.session.stops.size(), c.log.empty() ? 0u : 1u);
            EXPECT_EQ(KELChercheurDe::lastError(), c.raison);
            if (c.log == nouvelle) {
                EXPECT_EQ(o.session.stops[0].message, "zevDatabase Error!");
                EXPECT_EQ(o.session.stops[0].informative, nouvelle + "\nhttps://example.org/get");
            } else if (!c.log.empty()) {
                EXPECT_TRUE(o.session.stops[0].message.empty());
            }
            KELChercheurDe::CloseDatabase();
        }
        // An opened store of this version also gains the indexes made at open, and nothing else.
        EXPECT_EQ(dump(path, kIndexesMadeAtOpen), before);
        EXPECT_EQ(dump(path) != before, c.change == version("3"));
    }
    KELChercheurDe::setDownloadPage("https://tallomer.org/download");
}

// A step that fails is rolled back whole: the file is exactly what the last step that succeeded
// made of it, and says that version.
TEST(StoreUpgrade, FailedStepRollsBackAndKeepsTheOldVersion)
{
    const struct {
        int from, stays;
        const char* change;
        const char* quoi;
        const char* cause; // the library's words, passed on in lastError
    } cas[] = {
        {2, 2, "INSERT INTO WORD VALUES (2000028, 5, 'taken');", "2->3: the word insert fails after a link insert",
         "UNIQUE constraint failed"},
        {1, 1, "CREATE INDEX NumbIndex ON NUMBER(NUMBER);", "1->2: the last index exists, the first three go",
         "index NumbIndex already exists"},
        {1, 2, "INSERT INTO ZEVLETS VALUES (2000196, 0, 'KELI', 0, 0, 0, 0, 0);", "1->2 succeeds, 2->3 fails",
         "UNIQUE constraint failed"},
    };
    for (const auto& c : cas) {
        SCOPED_TRACE(c.quoi);
        const std::string path = copyAt(c.from, {c.change});
        {
            Opened o(path);
            EXPECT_EQ(o.log.sink.count("failed; the database stays at version " + std::to_string(c.stays) + "."), 1u);
            EXPECT_EQ(o.log.sink.contains(kUpgradeSteps[1]), c.stays == 2);
            ASSERT_EQ(o.session.stops.size(), 1u);
            EXPECT_TRUE(o.session.stops[0].message.empty());
            const std::string raison = KELChercheurDe::lastError();
            EXPECT_EQ(raison.find("The link base could not be upgraded from version " + std::to_string(c.stays) +
                                  " to version " + std::to_string(c.stays + 1) + " ("),
                      0u) << raison;
            EXPECT_NE(raison.find(c.cause), std::string::npos) << raison;
            EXPECT_TRUE(raison.ends_with("); it was left at version " + std::to_string(c.stays) + ".")) << raison;
        }
        EXPECT_EQ(dump(path), dump(copyAt(c.stays, {c.change})));
    }
}

TEST(StoreUpgrade, FileThatCannotBeOpenedIsAnUnusableStore)
{
    const std::string dir = tallomer::test::makeTempDir("store");
    const std::string garbage = dir + "/garbage.sqlite";
    std::ofstream(garbage) << std::string(4096, 'x');
    const std::string folder = dir + "/folder.sqlite";
    std::filesystem::create_directory(folder);
    // Each with its reason in the system's words, or the library's where the system gave none.
    for (const auto& [path, reason] : std::vector<std::pair<std::string, std::string>>{
             {dir + "/missing/zev.sqlite", "No such file or directory"},
             {dir + "/absent.sqlite", "No such file or directory"},
             {garbage, "file is not a database"},
             {folder, "Is a directory"}}) {
        SCOPED_TRACE(path);
        Opened o(path);
        EXPECT_TRUE(o.log.sink.contains("SQLite Opening Error:"));
        EXPECT_TRUE(o.log.sink.contains("+ [KELChercheurDe initialize] SQLite Connection failed !!!"));
        ASSERT_EQ(o.session.stops.size(), 1u);
        EXPECT_EQ(o.session.stops[0].message, "zevDatabase Error!");
        EXPECT_EQ(KELChercheurDe::lastError(), "The link base file " + path + " cannot be opened (" + reason + ").");
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
    const tallomer::ScopedLogCapture quiet;
    EXPECT_EQ(b.lienCount(), 0u);
    EXPECT_FALSE(b.deleteLeLien(1));
    EXPECT_EQ(session.storeErrors.size(), 1u);
    // The connection is not reopened behind the caller's back.
    EXPECT_EQ(first, &KELChercheurDe::ZevDataBase());
    EXPECT_FALSE(first->isOpen());
}

// The indexes of links by relation and parent and of a relation's rows are made once, at the
// first open of a store that lacks them; the tables and rows stay as they were, and the file opens
// as before: the version, the integrity check and the links read back. Each lookup keeps the index
// it was planned through before; only reading a whole relation goes through the rows index.
TEST(StoreUpgrade, TheIndexesMadeAtOpenAreMadeOnceAndChangeNoRowNorAnyOtherLookup)
{
    const std::string path = copyTemplate();
    const std::string before = dump(path);
    auto indexes = [&] {
        Sqlite db;
        db.open(path, false);
        const auto rows = db.executeQuery("SELECT sql FROM sqlite_master WHERE type = 'index' AND name IN (?, ?);",
                                          {KELChercheurDe::kParentIndex, KELChercheurDe::kRowsIndex});
        return rows ? rows->size() : 0u;
    };
    ASSERT_EQ(indexes(), 0u) << "the template is left without them";
    for (int open = 0; open < 2; ++open) {
        SCOPED_TRACE(open);
        {
            Opened o(path);
            EXPECT_TRUE(o.session.stops.empty());
            EXPECT_TRUE(o.log.sink.lines.empty());
            EXPECT_EQ(KELChercheurDeLiens().loadRowInt(2000195)->parent, 2000002u);
            KELChercheurDe::CloseDatabase();
        }
        EXPECT_EQ(indexes(), 2u);
        EXPECT_EQ(dump(path, kIndexesMadeAtOpen), before);
    }
    Sqlite db;
    ASSERT_TRUE(db.open(path, false));
    auto plan = [&](const std::string& sql) {
        const auto rows = db.executeQuery("EXPLAIN QUERY PLAN " + sql);
        std::string detail;
        for (const auto& row : rows ? *rows : std::vector<SqlRow>{})
            detail += row["detail"].toText() + "\n";
        return detail;
    };
    const std::string parent = plan("SELECT ZEVLET_ID FROM ZEVLETS WHERE RELATION = 1000152 AND PARENT_ZEVLET = 2000018 "
                                    "ORDER BY DATE_IN;");
    EXPECT_NE(parent.find(KELChercheurDe::kParentIndex), std::string::npos) << parent;
    const std::string child =
        plan("SELECT ZEVLET_ID FROM ZEVLETS WHERE CHILD_ZEVLET = 5 AND RELATION = 1000152 AND DATE_IN <= 1 AND DATE_OUT > 1;");
    EXPECT_NE(child.find("RelationIndex"), std::string::npos) << child;
    const std::string whole = plan(std::string("SELECT ZEVLET_ID, BASE, CLASS, DATE_IN, DATE_OUT, CHILD_ZEVLET, "
                                               "PARENT_ZEVLET, RELATION FROM ZEVLETS WHERE RELATION = 1000152 AND ") +
                                   KELChercheurDe::kRowsIndexCondition + " AND ZEVLET_ID < 3000000;");
    EXPECT_NE(whole.find(std::string("COVERING INDEX ") + KELChercheurDe::kRowsIndex), std::string::npos) << whole;
    const auto check = db.executeQuery("PRAGMA integrity_check;");
    ASSERT_TRUE(check && check->size() == 1);
    EXPECT_EQ((*check)[0].valueAt(0).toText(), "ok");
}

