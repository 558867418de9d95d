// A link made through the server is one commit: its id reservation and its row are written
// together, visible to any other reader as soon as the call returns, and a transaction the
// caller has opened is left to the caller.

#include "tests/engine/EngineFixture.h"

using namespace enginetest;

namespace {
// The row as another connection sees it: its class, or "" when there is none.
std::string classeVueDAilleurs(const std::string& path, KELId id)
{
    Sqlite autre(path);
    const auto rows = autre.executeQuery("SELECT CLASS FROM ZEVLETS WHERE ZEVLET_ID = ?;", {id});
    return rows && !rows->empty() ? (*rows)[0].text("CLASS") : std::string();
}
} // namespace

TEST_F(LinkBase, CreatedLinkIsCommittedWhenTheCallReturns)
{
    KELI* a = newObject();
    KELI* b = newObject();
    ASSERT_TRUE(a && b);
    KELI* l = KELServeurDeLiens::CreerLienRelInt(1000182, a, b, global()->inDate(), KELDateOuverte, global());
    ASSERT_NE(l, nullptr);
    EXPECT_FALSE(KELChercheurDe::ZevDataBase().inTransaction());
    EXPECT_EQ(classeVueDAilleurs(path, l->idInt()), "KELI");
    EXPECT_EQ(classeVueDAilleurs(path, a->idInt()), "KELI");
    checkTable();
}

TEST_F(LinkBase, CallersTransactionIsLeftOpen)
{
    KELI* a = newObject();
    KELI* b = newObject();
    ASSERT_TRUE(a && b);
    Sqlite& db = KELChercheurDe::ZevDataBase();
    ASSERT_TRUE(db.beginDeferredTransaction());
    KELI* l = KELServeurDeLiens::CreerLienRelInt(1000182, a, b, global()->inDate(), KELDateOuverte, global());
    ASSERT_NE(l, nullptr);
    EXPECT_TRUE(db.inTransaction()); // not committed behind the caller's back
    EXPECT_EQ(classeVueDAilleurs(path, l->idInt()), "");
    ASSERT_TRUE(db.rollback());
    EXPECT_EQ(classeVueDAilleurs(path, l->idInt()), "");
}
