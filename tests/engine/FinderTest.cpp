// The three finders on a copy of the template link base.

#include "tests/engine/StoreFixtures.h"

#include "engine/store/KELChercheurDeLiens.h"
#include "engine/store/KELChercheurDeMots.h"
#include "engine/store/KELChercheurDeNombres.h"

#include <sqlite3.h>

#include <atomic>
#include <chrono>
#include <thread>

using namespace storetest;
using tallomer::ScopedLogCapture;

namespace {

constexpr KELId kAnyRel = 1000152; // any relation of the template
constexpr KELId kFirstUserId = 100000001;

KELRow link(KELId id, KELId parent, KELId child, KELId rel, KELDate in, KELDate out, KELId base = 0)
{
    return KELRow{id, base, "KELI", in, out, child, parent, rel};
}

class FinderTest : public ::testing::Test {
protected:
    void put(const KELRow& row) { ASSERT_TRUE(liens.insertLeLien(row)); }

    std::string path = copyTemplate();
    StoreSession session{path};
    KELChercheurDeLiens liens;
    KELChercheurDeMots mots;
    KELChercheurDeNombres nombres;
};

} // namespace

TEST_F(FinderTest, IdsStartAboveTheUserMinimumInEachTableApart)
{
    EXPECT_EQ(liens.maxIdInt(), kFirstUserId);
    EXPECT_EQ(mots.maxIdInt(), kFirstUserId);
    EXPECT_EQ(nombres.maxIdInt(), kFirstUserId);
    EXPECT_EQ(liens.maxIdInt(), kFirstUserId + 1);
    // The placeholder reserves the id with seven zero columns until the real row replaces it.
    EXPECT_EQ(liens.loadRowInt(kFirstUserId), (KELRow{kFirstUserId, 0, "0", 0, 0, 0, 0, 0}));
    EXPECT_EQ(mots.motAvecBaseInt(kFirstUserId), std::optional<std::string>(""));
    EXPECT_EQ(nombres.nombreAvecBaseInt(kFirstUserId), std::optional<double>(0));
    // Erasing the highest row frees its id again.
    ASSERT_TRUE(liens.deleteLeLien(kFirstUserId + 1));
    EXPECT_EQ(liens.maxIdInt(), kFirstUserId + 1);
}

// An exhausted id range answers zero, and id zero is refused by every writer: nothing is written.
TEST_F(FinderTest, ExhaustedRangeAndIdZeroWriteNothing)
{
    put(link(999999999, 999999999, 1000049, 1000050, KELDateToujours, KELDateOuverte));
    ASSERT_TRUE(mots.creeMotAvecBaseTxt("last", 999999999, 999999999));
    ASSERT_TRUE(nombres.creeNombreAvecBaseNum(1, 999999999, 999999999));
    const std::string before = dump(path);
    ScopedLogCapture log;
    EXPECT_EQ(liens.maxIdInt(), 0u);
    EXPECT_EQ(mots.maxIdInt(), 0u);
    EXPECT_EQ(nombres.maxIdInt(), 0u);
    for (const char* finder : {"KELChercheurDeLiens", "KELChercheurDeMots", "KELChercheurDeNombres"})
        EXPECT_TRUE(log.sink.contains(std::string(finder) + " Max number of zevlet reached! Zevlet creation is no "
                                                            "more possible! (newId = 1000000000)"));
    // Not only logged: the user is told that nothing new can be stored.
    EXPECT_EQ(session.storeErrors, std::vector<std::string>(3, "every id the store can give out is taken"));
    EXPECT_FALSE(liens.insertLeLien(link(0, 0, 1, kAnyRel, 0, 1)));
    EXPECT_FALSE(liens.majLesDatesDuLien(link(0, 0, 1, kAnyRel, 0, 1)));
    EXPECT_FALSE(liens.majLien(link(0, 0, 1, kAnyRel, 0, 1), 5));
    EXPECT_FALSE(mots.creeMotAvecBaseTxt("w", 100000001, 0));
    EXPECT_FALSE(nombres.creeNombreAvecBaseNum(2, 100000001, 0));
    EXPECT_EQ(log.sink.count("id 0 refused"), 3u);
    KELChercheurDe::CloseDatabase();
    EXPECT_EQ(dump(path), before);
}

TEST_F(FinderTest, FailedPlaceholderAnswersZeroAndReachesTheStoreErrorHook)
{
    run(path, {"CREATE TRIGGER refuse BEFORE INSERT ON ZEVLETS BEGIN SELECT RAISE(ABORT, 'read only'); END;"});
    ScopedLogCapture log;
    EXPECT_EQ(liens.maxIdInt(), 0u);
    EXPECT_TRUE(log.sink.contains("SQLite Step Failed: read only"));
    EXPECT_TRUE(log.sink.contains("KELChercheurDeLiens maxIdInt: the new id 100000001 could not be reserved."));
    EXPECT_EQ(session.storeErrors, std::vector<std::string>{"read only"});
}

TEST_F(FinderTest, RowsLoadWithEveryColumnAndMissingOnesAreLogged)
{
    const KELRow row{100000007, (1ULL << 53) + 1, "KELIElemBase", -12.5, 99.25, 3, 100000007, 31};
    put(row);
    EXPECT_EQ(liens.loadRowInt(100000007), row); // BASE keeps every bit
    ScopedLogCapture log;
    EXPECT_FALSE(liens.loadRowInt(123456789));
    EXPECT_TRUE(log.sink.contains("- [KELChercheurDeLiens loadLienInt: (123456789)] LIEN INEXISTANT !!!"));

    // Rewrites: dates, child, delete.
    KELRow moved = row;
    moved.outDate = 200.0;
    ASSERT_TRUE(liens.majLesDatesDuLien(moved));
    ASSERT_TRUE(liens.majLien(moved, 4));
    moved.child = 4;
    EXPECT_EQ(liens.loadRowInt(row.id), moved);
    ASSERT_TRUE(liens.deleteLeLien(row.id));
    EXPECT_FALSE(liens.loadRowInt(row.id));
}

TEST_F(FinderTest, BulkLoadsAnswerInTheOrderOfTheIds)
{
    std::vector<KELId> seen;
    KELRow last;
    liens.forEachRow([&](const KELRow& r) { seen.push_back((last = r).id); });
    EXPECT_EQ(seen.size(), liens.lienCount());
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
    EXPECT_EQ(liens.loadRowInt(last.id), last);

    // More ids than one statement takes, out of order, with repeats and holes.
    std::vector<KELId> ids(seen.rbegin(), seen.rend());
    ids.insert(ids.begin() + 100, {1, 424242424, 1, 555555555});
    ScopedLogCapture log;
    const auto rows = liens.loadRowsInt(ids);
    ASSERT_EQ(rows.size(), ids.size());
    for (std::size_t i = 0; i < ids.size(); ++i)
        EXPECT_EQ(rows[i], liens.loadRowInt(ids[i])) << ids[i];
    EXPECT_EQ(std::count(rows.begin(), rows.end(), std::nullopt), 2); // only the holes are missing
    // Each missing id is logged once by the bulk load and once by the single load.
    EXPECT_EQ(log.sink.count("LIEN INEXISTANT"), 4u);
    EXPECT_TRUE(log.sink.contains("(424242424)"));
}

TEST_F(FinderTest, ListsAreAbsentRatherThanEmpty)
{
    EXPECT_FALSE(liens.liensNumDeLaRelInt(555555555).has_value());
    EXPECT_FALSE(liens.liensNumDeLEnfantInt(555555555).has_value());
    EXPECT_FALSE(liens.liensNumForParentInt(555555555, kAnyRel, 0).has_value());
    EXPECT_EQ(liens.liensNumDeLaRelInt(1000102)->size(), 2u);
}

TEST_F(FinderTest, ValidAtADateIsHalfOpen)
{
    // 100000001 closes at 20, 100000002 opens there.
    put(link(100000001, 2000018, 2000088, kAnyRel, 10, 20));
    put(link(100000002, 2000018, 2000088, kAnyRel, 20, KELDateOuverte));
    ScopedLogCapture log;
    EXPECT_EQ(liens.lienIntForParentInt(2000018, 2000088, kAnyRel, 19.5), 100000001u);
    EXPECT_EQ(liens.lienIntForParentInt(2000018, 2000088, kAnyRel, 20), 100000002u);
    EXPECT_EQ(liens.lienIntForParentInt(2000018, 2000088, kAnyRel, 9.9), 0u);
    EXPECT_FALSE(log.sink.contains("DoubleLien"));
    EXPECT_EQ(liens.liensNumForParentInt(2000018, kAnyRel, 20), (KELIds{{100000002}}));
    EXPECT_EQ(liens.liensNumForEnfantInt(2000088, kAnyRel, 20), (KELIds{{100000002}}));
    EXPECT_EQ(liens.enfantsNumForParentInt(2000018, kAnyRel, 20), (KELIds{{2000088}}));

    // A real overlap is still reported.
    put(link(100000003, 2000018, 2000088, kAnyRel, 15, 30));
    EXPECT_EQ(liens.lienIntForParentInt(2000018, 2000088, kAnyRel, 25), 100000002u);
    EXPECT_TRUE(log.sink.contains("Linkbase Integrity error! DoubleLien for parent:2000018 child:2000088 "
                                  "rel:1000152 date:25.000000"));
}

// The date queries the program asks: where a parent's next link closes the open one, and the links
// after a date (a forgotten row counts as open, never beyond).
TEST_F(FinderTest, ImpliedOutDatesAndLinksAfterADate)
{
    EXPECT_EQ(liens.outDatePourParentRelationDate(2000018, kAnyRel, 0), KELDateOuverte);
    put(link(100000001, 2000018, 2000088, kAnyRel, 10, 20));
    put(link(100000002, 2000018, 2000149, kAnyRel, 30, KELDateOuverte));
    EXPECT_EQ(liens.outDatePourParentRelationDate(2000018, kAnyRel, 10), 30.0);
    EXPECT_EQ(liens.outDatePourParentRelationDate(2000018, kAnyRel, 0), 10.0);
    put(link(100000003, 2000018, 2000088, kAnyRel, KELDateOublieeIn, KELDateOublieeOut));
    EXPECT_EQ(liens.outDatePourParentRelationDate(2000018, kAnyRel, 30), KELDateOuverte);

    // Live queries skip the forgotten row; the others see it, in date order.
    EXPECT_EQ(liens.liensNumDuParentIntRelInt(2000018, kAnyRel), (KELIds{{100000001, 100000002}}));
    EXPECT_EQ(liens.liensNumDeLEnfantIntRelInt(2000088, kAnyRel), (KELIds{{100000001}}));
    EXPECT_EQ(liens.liensNumDeLEnfantIntApres(2000088, 10), (KELIds{{100000003}}));
    EXPECT_EQ(liens.liensNumDuParentIntApres(2000018, 10), (KELIds{{100000002, 100000003}}));
    EXPECT_TRUE(liens.siLienForRelNum(kAnyRel, 2000149));
    EXPECT_FALSE(liens.siLienForRelNum(kAnyRel, 2000018));
}

TEST_F(FinderTest, EqualValuesAreSharedOnlyInTheUserRange)
{
    // The template owns "Channel 1" and the number 64; neither is offered for sharing.
    EXPECT_EQ(mots.motIntAvecBaseTxt("Channel 1"), 0u);
    EXPECT_EQ(nombres.nombreIntAvecBaseNum(64), 0u);
    EXPECT_FALSE(mots.motAvecBaseInt(555555555));

    const KELId w = mots.maxIdInt();
    ASSERT_TRUE(mots.creeMotAvecBaseTxt("Channel 1", 100000005, w));
    EXPECT_EQ(mots.motIntAvecBaseTxt("Channel 1"), 100000005u);
    const KELId n = nombres.maxIdInt();
    ASSERT_TRUE(nombres.creeNombreAvecBaseNum(64, 100000006, n));
    EXPECT_EQ(nombres.nombreIntAvecBaseNum(64.0), 100000006u);
    EXPECT_EQ(nombres.nombreAvecBaseInt(n), std::optional<double>(64));

    ASSERT_TRUE(mots.suppMotAvecBaseInt(w));
    EXPECT_FALSE(mots.motAvecBaseInt(w));
    EXPECT_EQ(mots.motIntAvecBaseTxt("Channel 1"), 0u);
    ASSERT_TRUE(nombres.suppNombreAvecBaseInt(n));
    EXPECT_FALSE(nombres.nombreAvecBaseInt(n));
}

// Another connection holding the write lock for a moment (as the program's own merge and readers
// do) delays a write; it neither loses it nor reports it lost.
TEST_F(FinderTest, AWriteWaitsOutAnotherConnectionsMomentaryLock)
{
    ASSERT_EQ(liens.maxIdInt(), kFirstUserId);
    sqlite3* autre = nullptr;
    ASSERT_EQ(sqlite3_open_v2(path.c_str(), &autre, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(autre, "BEGIN IMMEDIATE;", nullptr, nullptr, nullptr), SQLITE_OK);
    std::atomic<bool> ecrit{false};
    std::thread detenteur([&] {
        while (!ecrit.load())
            std::this_thread::yield();
        // How long the lock is held is the situation tested, not a wait for a result.
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        sqlite3_exec(autre, "COMMIT;", nullptr, nullptr, nullptr);
    });
    ScopedLogCapture log;
    ecrit = true;
    const KELId id = liens.maxIdInt();
    const bool mis = liens.insertLeLien(link(id, 1000049, 1000050, kAnyRel, 10, 20));
    detenteur.join();
    sqlite3_close(autre);
    EXPECT_EQ(id, kFirstUserId + 1);
    EXPECT_TRUE(mis);
    EXPECT_FALSE(log.sink.contains("SQLite Busy"));
    EXPECT_TRUE(session.storeErrors.empty());
    EXPECT_EQ(liens.loadRowInt(id), link(id, 1000049, 1000050, kAnyRel, 10, 20));
}
