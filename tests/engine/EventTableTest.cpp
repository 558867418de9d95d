#include "tests/engine/EngineFixture.h"

#include <cmath>
#include <random>

using namespace enginetest;

// The global cursor stands still at kStart here (nothing launched it); its context is
// [kStart - 300, kStart + 300]. Which links windows show at equal dates is the oracle's to check.
class EventTable : public LinkBase {
protected:
    void SetUp() override
    {
        LinkBase::SetUp();
        a = newObject();
        b = newObject();
        ctx = KELServeurDeLiens::ContexteGlobal();
        t0 = global()->inDate();
        ASSERT_TRUE(a && b && ctx);
    }
    KELI* lien(double in, double out) { return relier(a, b, in, out); }

    KELI *a = nullptr, *b = nullptr;
    KELICc* ctx = nullptr;
    double t0 = 0;
};

TEST_F(EventTable, DatesAreHalfOpenAndMovingToTheSameDateStillWritesTheRow)
{
    KELI* l = lien(t0 - 5, t0 + 5);
    EXPECT_TRUE(l->siIncluLaDate(t0 - 5));
    EXPECT_FALSE(l->siIncluLaDate(t0 + 5));
    storetest::run(path, {"UPDATE ZEVLETS SET DATE_IN = 0 WHERE ZEVLET_ID = " + std::to_string(l->idInt()) + ";"});
    const auto avant = l->gtIndexInt();
    l->placeInDate(t0 - 5, global());
    EXPECT_EQ(l->gtIndexInt(), avant);
    EXPECT_DOUBLE_EQ(KELServeurDeLiens::InDateForLienNum(l->idInt()), t0 - 5);
}

TEST_F(EventTable, CursorCrossingAnotherCursorActivatesNothing)
{
    Recorder rec(global(), {kel::kRelLienCurseur, kel::kRelLienContexte});
    // The global context's end passes the global cursor and back: windows ignore each other.
    ctx->placeOutDate(t0 - 100, ctx);
    ctx->placeInDate(t0 - 200, ctx);
    ctx->placeInDate(t0 - 300, ctx);
    ctx->placeOutDate(t0 + 300, ctx);
    EXPECT_TRUE(rec.events.empty());
}

// The global context's end walked back over a link and the global cursor, one neighbour or two at
// a time, and out again: an end of a link alone is passed without a word (the window only learns
// which way it crossed), a start makes the link leave, and the table stays in order at every step.
TEST_F(EventTable, AWindowEdgeSteppingPastItsNeighboursTellsOnlyTheLinksItsCrossingChanges)
{
    auto* rel = wake<KELIElemRelation>(1000182, ctx);
    ASSERT_NE(rel, nullptr);
    rel->liens(ctx);
    KELI* l = lien(t0 + 100, t0 + 200);
    Recorder rec(ctx, {1000182});
    const std::string des = "des " + std::to_string(l->idInt()) + "@" + std::to_string(ctx->idInt());
    const std::string act = "act " + std::to_string(l->idInt()) + "@" + std::to_string(ctx->idInt());
    const std::vector<std::pair<double, std::vector<std::string>>> pas = {
        {t0 + 250, {}}, {t0 + 150, {}}, {t0 + 50, {des}}, {t0 - 10, {}}, {t0 + 150, {act}}, {t0 + 300, {}}};
    for (const auto& [date, attendu] : pas) {
        SCOPED_TRACE(date - t0);
        ctx->placeOutDate(date, ctx);
        EXPECT_EQ(rec.take(), attendu);
        checkTable();
        if (date == t0 + 150) {
            EXPECT_TRUE(ctx->siCroisementFutur()) << "last crossed: an end";
        }
    }
}

TEST_F(EventTable, ExhaustedIdRangeCreatesNothing)
{
    storetest::run(path, {"INSERT INTO ZEVLETS VALUES (999999999, 0, 'KELI', 0, 1, 0, 999999999, 23);"});
    tallomer::ScopedLogCapture log;
    const auto count = KELServeurDeLiens::GrandTableau().count();
    EXPECT_EQ(lien(t0, KELDateOuverte), nullptr);
    EXPECT_EQ(newObject(), nullptr);
    EXPECT_EQ(KELServeurDeLiens::GrandTableau().count(), count);
    EXPECT_TRUE(log.sink.contains("Max number of zevlet reached!"));
    EXPECT_EQ(KELServeurDeLiens::DonneMaintenantLeLienId(0), nullptr);
}

// Inserting a few events into a large table (a link made by the user) moves one event per run of
// equal (date, rank) instead of the whole tail; the table must still be exactly what a stable
// sort of all events gives, up to the order inside such runs.

namespace {

struct Table {
    KELGrandTableau gt;
    std::vector<std::unique_ptr<KELI>> liens;

    KELI* ajouter(KELDate in, KELDate out)
    {
        KELI* l = liens.emplace_back(seul(in, out, liens.size() + 1)).get();
        gt.append(l);
        gt.append(l->lienOut());
        return l;
    }

    // The (date, rank) keys in table order (the table's own check makes each event appear once).
    std::vector<std::pair<KELDate, int>> cles() const
    {
        std::vector<std::pair<KELDate, int>> out;
        for (std::size_t i = 0; i < gt.count(); ++i)
            out.emplace_back(gt.at(i)->date(), gt.at(i)->rang());
        return out;
    }
};

// Adds n links with dates drawn from date(), merges them into the table and answers its check.
template <class Date>
std::string lot(Table& t, int n, Date&& date)
{
    const std::size_t avant = t.gt.count();
    for (int i = 0; i < n; ++i) {
        const KELDate a = date(), b = date();
        t.ajouter(std::min(a, b), std::max(a, b));
    }
    t.gt.fusionnerLaFin(avant);
    return t.gt.verifier();
}

std::vector<std::pair<KELDate, int>> attendu(const Table& t)
{
    std::vector<std::pair<KELDate, int>> out;
    for (const auto& l : t.liens) {
        out.emplace_back(l->inDate(), l->rang());
        out.emplace_back(l->outDate(), l->lienOut()->rang());
    }
    std::sort(out.begin(), out.end());
    return out;
}

} // namespace

TEST(EventInsertion, NewLinkGoesBeforeTheOpenEndsAndTheForgottenRegion)
{
    Table t;
    for (int i = 0; i < 300; ++i)
        t.ajouter(100.0 + i, KELDateOuverte); // one long run of open ends
    for (int i = 0; i < 50; ++i)
        t.ajouter(KELDateOublieeIn, KELDateOublieeOut); // two runs of forgotten events
    t.gt.fusionnerLaFin(0);
    ASSERT_EQ(t.gt.verifier(), "");

    const std::size_t avant = t.gt.count();
    KELI* nouveau = t.ajouter(1000.0, KELDateOuverte);
    t.gt.fusionnerLaFin(avant);
    EXPECT_EQ(t.gt.verifier(), "");
    EXPECT_EQ(nouveau->gtIndexInt(), 300u); // after every start, before every open end
    EXPECT_EQ(t.gt.at(300), nouveau);
    EXPECT_EQ(t.gt.at(nouveau->lienOut()->gtIndexInt()), nouveau->lienOut());
    EXPECT_EQ(t.cles(), attendu(t));
}

// Small batches (a link made by the user) among few distinct dates, so that runs of equal keys are
// everywhere, of every length; and a relation of a large base arriving as one batch of thousands of
// events merged into a table that already holds others: negative dates, both zeros, the sentinels
// and many equal keys (one date shared by a tenth of the events) must all land in (date, rank)
// order, every event once, with its index right.
TEST(EventInsertion, BatchesMatchASortOfAllEvents)
{
    for (unsigned graine : {1u, 2u, 3u, 4u, 5u}) {
        std::mt19937 rng(graine);
        std::uniform_int_distribution<int> jour(0, 12);
        const KELDate bouts[] = {KELDateOuverte, KELDateToujours};
        auto date = [&] { const int j = jour(rng); return j > 10 ? bouts[j - 11] : 10.0 * j; };
        Table t;
        for (int n = -1; n < 60; ++n) // 200 links, then batches of one to three
            ASSERT_EQ(lot(t, n < 0 ? 200 : 1 + n % 3, date), "") << "seed " << graine << " batch " << n;
        EXPECT_EQ(t.cles(), attendu(t)) << graine;
    }
    for (unsigned graine : {7u, 8u, 9u}) {
        std::mt19937 rng(graine);
        std::uniform_real_distribution<double> u(-5.0e8, 9.0e8);
        std::uniform_int_distribution<int> sorte(0, 9);
        const KELDate choix[] = {KELDateToujours, KELDateOuverte, 0.0, -0.0, 42.0};
        auto date = [&] { const int s = sorte(rng); return s < 5 ? choix[s] : std::floor(u(rng)); };
        Table t;
        // The second is merged into the first; the last, on seed 7, is large enough to be sorted
        // and placed in halves on two threads, around the old events it falls between.
        for (int n : {3000, 5000, 100, graine == 7 ? 140000 : 0})
            ASSERT_EQ(lot(t, n, date), "") << graine << " after " << n;
        EXPECT_EQ(t.cles(), attendu(t)) << graine;
    }
}

// Events that go before most others (values dated "always", links made long ago) are put in at the
// front of the table, which grows room there as it needs it; events at the end and in the middle
// keep coming too. Every index stays its event's place and the order is a sort's, whichever end
// each one went in at, across many growths of the room in front.
TEST(EventInsertion, EventsInFrontAndBehindKeepEveryIndexRight)
{
    std::mt19937 rng(11);
    std::uniform_int_distribution<int> sorte(0, 9);
    std::uniform_real_distribution<double> u(0.0, 1000.0);
    Table t;
    for (int i = 0; i < 500; ++i)
        t.ajouter(u(rng), KELDateOuverte);
    t.gt.fusionnerLaFin(0);
    ASSERT_EQ(t.gt.verifier(), "");
    for (int i = 0; i < 6000; ++i) {
        const int s = sorte(rng);
        const std::size_t avant = t.gt.count();
        if (s < 5)
            t.ajouter(KELDateToujours, s < 3 ? KELDateOuverte : u(rng)); // in front
        else if (s < 7)
            t.ajouter(-1.0 - i, KELDateOuverte); // before every dated event, behind the "always" ones
        else
            t.ajouter(u(rng), s < 9 ? KELDateOuverte : KELDateOublieeOut);
        t.gt.fusionnerLaFin(avant);
        if (i % 250 == 0 || i > 5990) {
            ASSERT_EQ(t.gt.verifier(), "") << "after " << i;
        }
    }
    EXPECT_EQ(t.cles(), attendu(t));
    for (const auto& l : t.liens) {
        EXPECT_EQ(t.gt.at(l->gtIndexInt()), l.get());
        EXPECT_EQ(t.gt.at(l->lienOut()->gtIndexInt()), l->lienOut());
    }
}
