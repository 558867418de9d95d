#include "tests/engine/EngineFixture.h"

#include "engine/KELElements.h"

using namespace enginetest;
using storetest::insertRow;

// Waking links counts each on the progress delegate; the timeline cursor, once woken, launches
// itself on a following turn.
TEST_F(LinkBase, WakingCountsProgressAndLaunchesTheTimeline)
{
    struct Compteur final : KELProgressDelegate {
        int n = 0;
        void increment() override { ++n; }
    } compteur;
    KELServeurDeLiens::SetDelegate(&compteur);
    auto* models = wake<KELIModel>(kel::kModelDesModels);
    ASSERT_NE(models, nullptr);
    const auto elements = models->elements(global());
    EXPECT_GT(elements.size(), 5u);
    EXPECT_GE(compteur.n, static_cast<int>(elements.size()));
    KELServeurDeLiens::SetDelegate(nullptr);
    for (KELId m : {kel::kModelCurseur, kel::kModelContexte}) {
        auto* model = wake<KELIModel>(m);
        ASSERT_NE(model, nullptr);
        EXPECT_FALSE(model->elements(global()).empty());
    }
    auto* timeline = wake<KELICurseur>(kel::kCurseurTimeline);
    ASSERT_NE(timeline, nullptr);
    sched.runUntilIdle();
    sched.advance(1.0);
    EXPECT_TRUE(timeline->siLance());
}

TEST_F(LinkBase, ObjectCreationActivatesInFixedOrder)
{
    auto* models = wake<KELIModel>(1000049);
    ASSERT_NE(models, nullptr);
    models->elements(global()); // the existing Objects are loaded and told before we listen
    Recorder rec(global(), {1000050, 1000050}); // twice: told once
    KELI* obj = models->ajouterUnElement(global());
    ASSERT_NE(obj, nullptr);
    EXPECT_GT(obj->idInt(), 100000000u);
    EXPECT_EQ(obj->parentInt(), obj->idInt());
    EXPECT_EQ(rec.take(), std::vector<std::string>{"act " + std::to_string(obj->idInt()) + "@229"});
}

TEST_F(LinkBase, LinkBetweenObjectsIsToldToParentChildAndRelationDelegates)
{
    KELI* a = newObject();
    KELI* b = newObject();
    auto* rel = wake<KELIElemRelation>(1000182);
    ASSERT_TRUE(a && b && rel);
    Recorder rec(global(), {a->idInt(), b->idInt(), 1000182});
    const double t = sched.now();
    KELI* l = relier(a, b, t - 10);
    ASSERT_NE(l, nullptr);
    const std::string id = std::to_string(l->idInt());
    EXPECT_EQ(rec.take(), (std::vector<std::string>{"actP " + id, "actE " + id, "act " + id + "@229"}));
    ASSERT_NE(rel->enfantsDuParent(a, global()), nullptr);
    EXPECT_EQ(rel->enfantsDuParent(a, global())->front(), b);
    EXPECT_EQ(rel->lienDuParent(a, b, global()), l);

    // Closing it before the cursor's moment deactivates it: selection controller first (none
    // here), then parent, child and relation delegates.
    l->placeOutDate(t - 5, global());
    EXPECT_EQ(rec.take(), (std::vector<std::string>{"desP " + id, "desE " + id, "des " + id + "@229"}));
    EXPECT_EQ(rel->enfantsDuParent(a, global()), nullptr); // absent, not empty
    EXPECT_DOUBLE_EQ(KELServeurDeLiens::OutDateForLienNum(l->idInt()), t - 5); // the row says it too
}

TEST_F(LinkBase, EqualWordsShareOneElementAndOneRow)
{
    auto* mots = wake<KELIModelMot>(kel::kModelMot);
    auto* nombres = wake<KELIModelNombre>(kel::kModelNombre);
    ASSERT_TRUE(mots && nombres);
    KELI* w1 = mots->ajouterLeMot("bonjour", global());
    ASSERT_NE(w1, nullptr);
    EXPECT_EQ(mots->ajouterLeMot("bonjour", global()), w1);
    EXPECT_EQ(std::get<std::string>(w1->base()), "bonjour");
    EXPECT_EQ(nombres->ajouterLeNombre(12.5, global()), nombres->ajouterLeNombre(12.5, global()));
    // A word still linked to is kept; a free one is closed and its row deleted.
    EXPECT_EQ(mots->enleverLElement(w1, global()), w1);
    EXPECT_TRUE(std::holds_alternative<std::monostate>(KELServeurDeMots::MotAvecBaseInt(w1->baseInt())));
}

TEST_F(LinkBase, IdZeroAndUnknownClassesAnswerNothing)
{
    EXPECT_EQ(KELServeurDeLiens::LienForInt(0, global()), nullptr);
    EXPECT_EQ(KELServeurDeLiens::LienForInt(2000018, nullptr), nullptr); // never loads without cursor
    tallomer::ScopedLogCapture log;
    storetest::run(path, {insertRow({150000000, 0, "NoSuchClass", 0, 1, 0, 150000000, 23})});
    EXPECT_EQ(KELServeurDeLiens::LienForInt(150000000, global()), nullptr);
    EXPECT_TRUE(log.sink.contains("ERREUR!!! Classe 'NoSuchClass' inconnue!"));
}

// Ids the store hands out follow each other, but a store written by other means may hold one far
// beyond the rest: it is kept apart from the dense ids and must still be found, read alone or with
// its relation, and a link made afterwards gets an id above it.
TEST_F(LinkBase, AUserIdFarBeyondTheOthersIsFoundAgain)
{
    const KELId loin = KELIdSpace::minId() + 5000000;
    const KELId loinAussi = loin + 3;
    storetest::run(path, {insertRow({loin, 0, "KELI", 100.0, 200.0, 7, 8, 1000182}),
                          insertRow({loinAussi, 0, "KELI", 100.0, 200.0, 7, 9, 1000182})});
    KELI* lien = KELServeurDeLiens::LienForInt(loin, global());
    ASSERT_NE(lien, nullptr);
    EXPECT_EQ(KELServeurDeLiens::LienForInt(loin, global()), lien);
    EXPECT_EQ(KELServeurDeLiens::DonneMaintenantLeLienId(loin), lien);
    auto* rel = wake<KELIElemRelation>(1000182);
    ASSERT_NE(rel, nullptr);
    rel->liens(global());
    KELI* autre = KELServeurDeLiens::DonneMaintenantLeLienId(loinAussi);
    ASSERT_NE(autre, nullptr);
    EXPECT_EQ(autre->parentInt(), 9u);
    EXPECT_EQ(KELServeurDeLiens::LienForInt(loinAussi, global()), autre);
    KELI* nouveau = newObject();
    ASSERT_NE(nouveau, nullptr);
    EXPECT_GT(nouveau->idInt(), loinAussi);
}

// Links keep their ids in 32 bits; a row written by other means with larger values (or with the
// one value that marks a large one) must still be read, used and written back whole.
TEST_F(LinkBase, IdsBeyondThirtyTwoBitsAreKeptWhole)
{
    const KELId grandId = (KELId{1} << 33) + 5;
    const KELId grandParent = 0xFFFFFFFFull; // exactly the marker
    const KELId grandeBase = KELId{1} << 40;
    storetest::run(path, {insertRow({grandId, grandeBase, "KELI", 100.0, 200.0, 7, grandParent, 1000182})});
    KELI* lien = KELServeurDeLiens::LienForInt(grandId, global());
    ASSERT_NE(lien, nullptr);
    EXPECT_EQ(lien->idInt(), grandId);
    EXPECT_EQ(lien->parentInt(), grandParent);
    EXPECT_EQ(lien->enfantInt(), 7u);
    EXPECT_EQ(lien->relationInt(), 1000182u);
    EXPECT_EQ(lien->baseInt(), grandeBase);
    EXPECT_EQ(lien->lienOut()->parentInt(), grandParent);
    EXPECT_EQ(KELServeurDeLiens::LienForInt(grandId, global()), lien);

    lien->placeInDate(150.0, global()); // rewrites the row from memory
    EXPECT_EQ(KELServeurDeLiens::InDateForLienNum(grandId), 150.0);
    EXPECT_EQ(KELServeurDeLiens::LienIntForParentInt(grandParent, 7, 1000182, 160.0), grandId);

    // A link made afterwards at any address starts clean.
    auto autre = std::make_unique<KELI>();
    autre->assignerParentInt(3);
    EXPECT_EQ(autre->parentInt(), 3u);
    EXPECT_EQ(autre->baseInt(), 0u);
    autre->assignerBaseInt(grandeBase);
    autre->assignerBaseInt(9);
    EXPECT_EQ(autre->baseInt(), 9u);
}

// A link made through the server is one commit: its id reservation and its row are written
// together, visible to any other reader as soon as the call returns; a transaction the caller
// has opened is left to the caller.
TEST_F(LinkBase, CreatedLinkIsCommittedWhenTheCallReturnsUnlessTheCallerHoldsATransaction)
{
    // The row's class as another connection sees it, or "" when there is none.
    auto classe = [this](KELI* l) {
        return storetest::scalar(path, "SELECT CLASS FROM ZEVLETS WHERE ZEVLET_ID = " + l->idTxt() + ";").toText();
    };
    KELI* a = newObject();
    KELI* b = newObject();
    ASSERT_TRUE(a && b);
    KELI* l = relier(a, b, global()->inDate());
    ASSERT_NE(l, nullptr);
    Sqlite& db = KELChercheurDe::ZevDataBase();
    EXPECT_FALSE(db.inTransaction());
    EXPECT_EQ(classe(l), "KELI");
    EXPECT_EQ(classe(a), "KELI");

    ASSERT_TRUE(db.beginDeferredTransaction());
    l = relier(b, a, global()->inDate());
    ASSERT_NE(l, nullptr);
    EXPECT_TRUE(db.inTransaction()); // not committed behind the caller's back
    EXPECT_EQ(classe(l), "");
    ASSERT_TRUE(db.rollback());
    EXPECT_EQ(classe(l), "");
}
