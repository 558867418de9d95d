// Inserting a few events into a large table (a link made by the user) moves one event per run of
// equal (date, rank) instead of the whole tail; the table must still be exactly what a stable
// sort of all events gives, up to the order inside such runs.

#include "engine/KELLien.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <random>
#include <utility>
#include <vector>

namespace {

struct Table {
    KELGrandTableau gt;
    std::vector<std::unique_ptr<KELI>> liens;

    KELI* ajouter(KELDate in, KELDate out)
    {
        auto l = std::make_unique<KELI>();
        l->assignerIdInt(liens.size() + 1);
        l->assignerInDate(in);
        l->assignerOutDate(out);
        KELI* p = l.get();
        liens.push_back(std::move(l));
        gt.append(p);
        gt.append(p->lienOut());
        return p;
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

// Adds n links with dates drawn from date(), then merges them into the table.
template <class Date>
void lot(Table& t, int n, Date&& date)
{
    const std::size_t avant = t.gt.count();
    for (int i = 0; i < n; ++i) {
        const KELDate a = date(), b = date();
        t.ajouter(std::min(a, b), std::max(a, b));
    }
    t.gt.fusionnerLaFin(avant);
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

TEST(EventInsertion, ManySmallBatchesMatchASortOfAllEvents)
{
    for (unsigned graine : {1u, 2u, 3u, 4u, 5u}) {
        std::mt19937 rng(graine);
        // Few distinct dates, so that runs of equal keys are everywhere, of every length.
        std::uniform_int_distribution<int> jour(0, 12);
        auto date = [&] {
            const int j = jour(rng);
            return j == 11 ? KELDateOuverte : j == 12 ? KELDateToujours : 10.0 * j;
        };
        Table t;
        lot(t, 200, date);
        ASSERT_EQ(t.gt.verifier(), "") << graine;
        for (int n = 0; n < 60; ++n) {
            lot(t, 1 + n % 3, date);
            ASSERT_EQ(t.gt.verifier(), "") << "seed " << graine << " batch " << n;
        }
        EXPECT_EQ(t.cles(), attendu(t)) << graine;
    }
}

// A relation of a large base arrives as one batch of thousands of events, merged into a table
// that already holds others: negative dates, the sentinels and many equal keys must all land in
// (date, rank) order, every event once, with its index right.
TEST(EventInsertion, LargeBatchesMergeIntoAFilledTable)
{
    for (unsigned graine : {7u, 8u, 9u}) {
        std::mt19937 rng(graine);
        std::uniform_real_distribution<double> u(-5.0e8, 9.0e8);
        std::uniform_int_distribution<int> sorte(0, 9);
        auto date = [&] {
            switch (sorte(rng)) {
            case 0: return KELDateToujours;
            case 1: return KELDateOuverte;
            case 2: return 0.0;
            case 3: return -0.0;
            case 4: return 42.0; // one date shared by many events
            default: return std::floor(u(rng));
            }
        };
        Table t;
        // The second is merged into the first; the last, on seed 7, is large enough to be sorted
        // and placed in halves on two threads, around the old events it falls between.
        for (int n : {3000, 5000, 100, graine == 7 ? 140000 : 0}) {
            lot(t, n, date);
            ASSERT_EQ(t.gt.verifier(), "") << graine << " after " << n;
        }
        EXPECT_EQ(t.cles(), attendu(t)) << graine;
    }
}
