#include "tests/engine/EngineFixture.h"

#include <algorithm>

using namespace enginetest;

namespace {
bool actif(KELIElemRelation* rel, KELICc* w, KELI* l)
{
    const auto liens = rel->liens(w);
    return std::find(liens.begin(), liens.end(), l) != liens.end();
}
} // namespace

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
    KELI* lien(double in, double out) { return KELServeurDeLiens::CreerLienRelInt(1000182, a, b, in, out, global()); }

    KELI* a = nullptr;
    KELI* b = nullptr;
    KELIElemRelation* rel = nullptr;
    KELICc* ctx = nullptr;
    double t0 = 0;
};

TEST_F(EventTable, EqualDatesAgreeWithTheWindowsOwnTest)
{
    KELI* finit = lien(t0 - 400, t0 - 300); // ends exactly where the window starts: outside
    KELI* commence = lien(t0 + 300, t0 + 400); // starts exactly where it ends: inside
    KELI* auCurseur = lien(t0, t0 + 10);  // starts at the cursor's own moment: inside both
    KELI* finitAuCurseur = lien(t0 - 10, t0); // ends at the cursor's moment: not at the cursor
    EXPECT_FALSE(actif(rel, ctx, finit));
    EXPECT_TRUE(actif(rel, ctx, commence));
    EXPECT_FALSE(actif(rel, global(), commence));
    EXPECT_TRUE(actif(rel, global(), auCurseur));
    EXPECT_FALSE(actif(rel, global(), finitAuCurseur));
    EXPECT_TRUE(actif(rel, ctx, finitAuCurseur));
    for (KELI* l : {finit, commence, auCurseur, finitAuCurseur})
        EXPECT_EQ(actif(rel, ctx, l), ctx->siIncluLeLien(l)) << l->idInt();

    // Moving the link's end onto the window's start takes it out; onto the end brings it in.
    auCurseur->placeOutDate(t0 + 500, global());
    auCurseur->placeInDate(t0 - 500, global());
    EXPECT_TRUE(actif(rel, global(), auCurseur));
    auCurseur->placeOutDate(t0 - 300, global());
    EXPECT_FALSE(actif(rel, ctx, auCurseur));
    EXPECT_FALSE(actif(rel, global(), auCurseur));
    auCurseur->placeInDate(t0 + 300, global());
    auCurseur->placeOutDate(t0 + 301, global());
    EXPECT_TRUE(actif(rel, ctx, auCurseur));
    checkTable();
}

TEST_F(EventTable, WindowEdgeLandingExactlyOnALink)
{
    KELI* l = lien(t0 + 350, t0 + 360);
    EXPECT_FALSE(actif(rel, ctx, l));
    ctx->placeOutDate(t0 + 350, ctx); // the window's end lands on the link's start
    EXPECT_TRUE(actif(rel, ctx, l));
    ctx->placeOutDate(t0 + 349.99, ctx);
    EXPECT_FALSE(actif(rel, ctx, l));
    ctx->placeOutDate(t0 + 400, ctx);
    ctx->placeInDate(t0 + 360, ctx); // the window's start lands on the link's end
    EXPECT_FALSE(actif(rel, ctx, l));
    ctx->placeInDate(t0 + 359.5, ctx);
    EXPECT_TRUE(actif(rel, ctx, l));
    checkTable();
}

TEST_F(EventTable, ZeroLengthLinkIsInsideOnlyWindowsThatStrictlyContainItsStart)
{
    KELI* z = lien(t0, t0);
    ASSERT_NE(z, nullptr);
    EXPECT_FALSE(actif(rel, global(), z)); // a cursor at its date: no
    EXPECT_TRUE(actif(rel, ctx, z));       // a window around it: yes
    EXPECT_LT(z->lienOut()->gtIndexInt(), z->gtIndexInt());
    EXPECT_FALSE(z->siIncluLaDate(t0));
    ctx->placeInDate(t0, ctx); // the window starts at its date: no longer
    EXPECT_FALSE(actif(rel, ctx, z));
    EXPECT_EQ(actif(rel, ctx, z), ctx->siIncluLeLien(z));
    checkTable();
}

TEST_F(EventTable, DatesAndComparators)
{
    KELI* l = lien(t0 - 5, t0 + 5);
    KELI* m = lien(t0 - 5, t0 + 5);
    EXPECT_TRUE(l->siIncluLaDate(t0 - 5));
    EXPECT_FALSE(l->siIncluLaDate(t0 + 5));
    EXPECT_EQ(l->compareInDate(*m), 1);
    EXPECT_EQ(m->compareInDate(*l), 1);
    EXPECT_EQ(l->compareOutDate(*m), 1); // smaller id
    EXPECT_EQ(m->compareOutDate(*l), 0);
    // Moving to the same date moves nothing but still writes the row.
    storetest::run(path, {"UPDATE ZEVLETS SET DATE_IN = 0 WHERE ZEVLET_ID = " + std::to_string(l->idInt()) + ";"});
    const auto avant = l->gtIndexInt();
    l->placeInDate(t0 - 5, global());
    EXPECT_EQ(l->gtIndexInt(), avant);
    EXPECT_DOUBLE_EQ(KELServeurDeLiens::InDateForLienNum(l->idInt()), t0 - 5);
    checkTable();
}

TEST_F(EventTable, CursorCrossingAnotherCursorActivatesNothing)
{
    Recorder rec;
    global()->ajouterLeDelegueDeMaj(&rec, kel::kRelLienCurseur);
    global()->ajouterLeDelegueDeMaj(&rec, kel::kRelLienContexte);
    // The global context's end passes the global cursor and back: windows ignore each other.
    ctx->placeOutDate(t0 - 100, ctx);
    ctx->placeInDate(t0 - 200, ctx);
    ctx->placeInDate(t0 - 300, ctx);
    ctx->placeOutDate(t0 + 300, ctx);
    EXPECT_TRUE(rec.events.empty());
    global()->enleverLeDelegueDeMaj(&rec, kel::kRelLienCurseur);
    global()->enleverLeDelegueDeMaj(&rec, kel::kRelLienContexte);
    checkTable();
}

TEST_F(EventTable, DelegateRemovedDuringAMessageIsNotCalledAgain)
{
    struct Self final : KELDelegueDeMaj {
        KELICc* c = nullptr;
        KELDelegueDeMaj* other = nullptr;
        int calls = 0;
        void activationDuLien(KELI*, KELICc*) override
        {
            ++calls;
            c->enleverLeDelegueDeMaj(other, 1000182);
        }
    };
    Recorder second;
    Self first;
    first.c = global();
    first.other = &second;
    global()->ajouterLeDelegueDeMaj(&first, 1000182);
    global()->ajouterLeDelegueDeMaj(&second, 1000182);
    lien(t0 - 1, t0 + 1);
    EXPECT_EQ(first.calls, 1);
    EXPECT_TRUE(second.events.empty());
    global()->enleverLeDelegueDeMaj(&first, 1000182);
    checkTable();
}

TEST_F(EventTable, ExhaustedIdRangeCreatesNothing)
{
    storetest::run(path, {"INSERT INTO ZEVLETS VALUES (999999999, 0, 'KELI', 0, 1, 0, 999999999, 23);"});
    tallomer::ScopedLogCapture log;
    const auto count = KELServeurDeLiens::GrandTableau().count();
    EXPECT_EQ(KELServeurDeLiens::CreerLienRelInt(1000182, a, b, t0, KELDateOuverte, global()), nullptr);
    EXPECT_EQ(newObject(), nullptr);
    EXPECT_EQ(KELServeurDeLiens::GrandTableau().count(), count);
    EXPECT_TRUE(log.sink.contains("Max number of zevlet reached!"));
    EXPECT_EQ(KELServeurDeLiens::DonneMaintenantLeLienId(0), nullptr);
    checkTable();
}

TEST_F(LinkBase, ProgressDelegateCountsWokenLinks)
{
    struct Compteur final : KELProgressDelegate {
        int n = 0;
        void increment() override { ++n; }
    } compteur;
    KELServeurDeLiens::SetDelegate(&compteur);
    auto* modeles = wake<KELIModel>(kel::kModelDesModels);
    const auto elements = modeles->elements(global());
    EXPECT_GE(compteur.n, static_cast<int>(elements.size()));
    KELServeurDeLiens::SetDelegate(nullptr);
}
