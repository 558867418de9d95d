#include "tests/engine/EngineFixture.h"

#include <algorithm>

using namespace enginetest;

// The global cursor stands still at kStart here (nothing launched it); its context is
// [kStart - 300, kStart + 300].
class EventTable : public LinkBase {
protected:
    void SetUp() override
    {
        LinkBase::SetUp();
        a = newObject();
        b = newObject();
        rel = wake<KELIElemRelation>(1000182);
        ctx = KELServeurDeLiens::ContexteGlobal();
        t0 = global()->inDate();
        ASSERT_TRUE(a && b && rel && ctx);
    }
    KELI* lien(double in, double out) { return relier(a, b, in, out); }
    bool actif(KELICc* w, KELI* l) const
    {
        const auto liens = rel->liens(w);
        return std::find(liens.begin(), liens.end(), l) != liens.end();
    }

    KELI* a = nullptr;
    KELI* b = nullptr;
    KELIElemRelation* rel = nullptr;
    KELICc* ctx = nullptr;
    double t0 = 0;
};

// A link is active in a window when it starts at or before the window's end and ends after its
// start; a cursor is a window of no length.
TEST_F(EventTable, EqualDatesAgreeWithTheWindowsOwnTest)
{
    const struct {
        double in, out;
        bool dansLeContexte, auCurseur;
        const char* quoi;
    } cas[] = {
        {-400, -300, false, false, "ends exactly where the window starts"},
        {300, 400, true, false, "starts exactly where the window ends"},
        {0, 10, true, true, "starts at the cursor's own moment"},
        {-10, 0, true, false, "ends at the cursor's moment"},
        {0, 0, true, false, "no length, at the cursor's moment"},
    };
    for (const auto& c : cas) {
        SCOPED_TRACE(c.quoi);
        KELI* l = lien(t0 + c.in, t0 + c.out);
        ASSERT_NE(l, nullptr);
        EXPECT_EQ(actif(ctx, l), c.dansLeContexte);
        EXPECT_EQ(ctx->siIncluLeLien(l), c.dansLeContexte);
        EXPECT_EQ(actif(global(), l), c.auCurseur);
    }
}

TEST_F(EventTable, WindowEdgeLandingExactlyOnALink)
{
    KELI* l = lien(t0 + 350, t0 + 360);
    EXPECT_FALSE(actif(ctx, l));
    ctx->placeOutDate(t0 + 350, ctx); // the window's end lands on the link's start
    EXPECT_TRUE(actif(ctx, l));
    ctx->placeOutDate(t0 + 349.99, ctx);
    EXPECT_FALSE(actif(ctx, l));
    ctx->placeOutDate(t0 + 400, ctx);
    ctx->placeInDate(t0 + 360, ctx); // the window's start lands on the link's end
    EXPECT_FALSE(actif(ctx, l));
    ctx->placeInDate(t0 + 359.5, ctx);
    EXPECT_TRUE(actif(ctx, l));
}

TEST_F(EventTable, ZeroLengthLinkIsInsideOnlyWindowsThatStrictlyContainItsStart)
{
    KELI* z = lien(t0, t0);
    ASSERT_NE(z, nullptr);
    EXPECT_LT(z->lienOut()->gtIndexInt(), z->gtIndexInt());
    EXPECT_FALSE(z->siIncluLaDate(t0));
    ctx->placeInDate(t0, ctx); // the window starts at its date: no longer
    EXPECT_FALSE(actif(ctx, z));
    EXPECT_FALSE(ctx->siIncluLeLien(z));
}

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
