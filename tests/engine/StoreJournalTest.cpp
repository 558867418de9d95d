// The file layer under the connection: a commit's log frames go to the kernel in one write, and
// nothing (another connection, a checkpoint, a killed process) ever sees the log without them.

#include "engine/store/Sqlite.h"
#include "engine/store/SqliteVfs.h"
#include "tests/support/TestHome.h"

#include <gtest/gtest.h>

#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

namespace {

// A connection through the system's own layer, as another program would open the file.
class Autre {
public:
    explicit Autre(const std::string& path) { sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE, nullptr); }
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

private:
    sqlite3* db_ = nullptr;
};

// A new file with its table, open on db.
std::string nouveauFichier(Sqlite& db)
{
    const std::string path = tallomer::test::makeTempDir("journal") + "/j.sqlite";
    EXPECT_TRUE(db.open(path));
    EXPECT_TRUE(db.executeNonQuery("CREATE TABLE T (ID INTEGER PRIMARY KEY, V, W TEXT);"));
    EXPECT_TRUE(db.executeNonQuery("CREATE INDEX TV ON T(V);"));
    return path;
}

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

TEST(StoreJournal, ACommitOfManyPagesIsOneWriteAndOthersSeeItAtOnce)
{
    Sqlite db;
    const std::string path = nouveauFichier(db);
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
    const auto rows = db.executeQuery("SELECT COUNT(*) AS N FROM T WHERE V = 3;");
    ASSERT_TRUE(rows && rows->size() == 1);
    EXPECT_EQ((*rows)[0].int64("N"), 13);
}

TEST(StoreJournal, SpilledTransactionsCheckpointsAndRollbacksKeepTheFileSound)
{
    Sqlite db;
    const std::string path = nouveauFichier(db);
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

TEST(StoreJournal, AProcessKilledRightAfterItsCommitLeavesTheCommitInTheFile)
{
    std::string path;
    {
        Sqlite db;
        path = nouveauFichier(db);
    }
    // No close, no checkpoint: the frames only stand in the log.
    ASSERT_EQ(dansUnEnfant([&] {
                  Sqlite db;
                  return db.open(path) && remplir(db, 1, 50) && remplir(db, 100, 1);
              }),
              0);
    Autre autre(path);
    EXPECT_EQ(autre.texte("SELECT COUNT(*) FROM T;"), "51");
    EXPECT_EQ(autre.texte("PRAGMA integrity_check;"), "ok");
}

TEST(StoreJournal, AChildClosesTheConnectionItInheritedWhileItsMergingThreadRuns)
{
    Sqlite db;
    const std::string path = nouveauFichier(db);
    // Enough frames (one commit writes at least one) to start the merging thread.
    for (int i = 0; i < Sqlite::kFramesBeforeCheckpoint + 100; ++i)
        ASSERT_TRUE(remplir(db, i * 3, 3));
    // The thread was not copied: closing must neither wait for it nor touch it.
    EXPECT_EQ(dansUnEnfant([&] {
                  db.close();
                  Sqlite autre;
                  const bool ok = autre.open(path) && remplir(autre, 100000, 1);
                  autre.close();
                  return ok;
              }),
              0);
    ASSERT_TRUE(remplir(db, 200000, 1));
    db.close();
    Autre apres(path);
    EXPECT_EQ(apres.texte("SELECT COUNT(*) FROM T;"), std::to_string((Sqlite::kFramesBeforeCheckpoint + 100) * 3 + 2));
    EXPECT_EQ(apres.texte("PRAGMA integrity_check;"), "ok");
}
