#include "tests/engine/EngineFixture.h"

#include "engine/KELElements.h"

using namespace enginetest;

TEST_F(LinkBase, StartUpWakesModelsAndLaunchesTheTimelineCursor)
{
    auto* models = wake<KELIModel>(kel::kModelDesModels);
    ASSERT_NE(models, nullptr);
    EXPECT_GT(models->elements(global()).size(), 5u);
    auto* curseurs = wake<KELIModel>(kel::kModelCurseur);
    auto* contextes = wake<KELIModel>(kel::kModelContexte);
    ASSERT_NE(curseurs, nullptr);
    ASSERT_NE(contextes, nullptr);
    EXPECT_FALSE(curseurs->elements(global()).empty());
    EXPECT_FALSE(contextes->elements(global()).empty());
    auto* timeline = wake<KELICurseur>(kel::kCurseurTimeline);
    ASSERT_NE(timeline, nullptr);
    sched.runUntilIdle();
    sched.advance(1.0);
    checkTable();
    EXPECT_TRUE(timeline->siLance());
}

TEST_F(LinkBase, ObjectCreationActivatesInFixedOrder)
{
    auto* models = wake<KELIModel>(1000049);
    ASSERT_NE(models, nullptr);
    models->elements(global()); // the existing Objects are loaded and told before we listen
    Recorder rec;
    global()->ajouterLeDelegueDeMaj(&rec, 1000050);
    global()->ajouterLeDelegueDeMaj(&rec, 1000050); // twice: told once
    KELI* obj = models->ajouterUnElement(global());
    ASSERT_NE(obj, nullptr);
    EXPECT_GT(obj->idInt(), 100000000u);
    EXPECT_EQ(obj->parentInt(), obj->idInt());
    const auto ev = rec.take();
    ASSERT_EQ(ev.size(), 1u);
    EXPECT_EQ(ev[0], "act " + std::to_string(obj->idInt()) + "@229");
    global()->enleverLeDelegueDeMaj(&rec, 1000050);
    checkTable();
}

TEST_F(LinkBase, LinkBetweenObjectsIsToldToParentChildAndRelationDelegates)
{
    KELI* a = newObject();
    KELI* b = newObject();
    ASSERT_TRUE(a && b);
    auto* rel = wake<KELIElemRelation>(1000182);
    ASSERT_NE(rel, nullptr);
    Recorder rec;
    global()->ajouterLeDelegueDeMaj(&rec, a->idInt());
    global()->ajouterLeDelegueDeMaj(&rec, b->idInt());
    global()->ajouterLeDelegueDeMaj(&rec, 1000182);
    const double t = sched.now();
    KELI* l = KELServeurDeLiens::CreerLienRelInt(1000182, a, b, t - 10, KELDateOuverte, global());
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
    checkTable();

    // The row says what memory says.
    EXPECT_DOUBLE_EQ(KELServeurDeLiens::OutDateForLienNum(l->idInt()), t - 5);
    global()->enleverLeDelegueDeMaj(&rec, a->idInt());
    global()->enleverLeDelegueDeMaj(&rec, b->idInt());
    global()->enleverLeDelegueDeMaj(&rec, 1000182);
}

TEST_F(LinkBase, TwoLinksBetweenOnePairKeepTheIndexesRight)
{
    KELI* a = newObject();
    KELI* b = newObject();
    auto* rel = wake<KELIElemRelation>(1000182);
    const double t = sched.now();
    KELI* l1 = KELServeurDeLiens::CreerLienRelInt(1000182, a, b, t - 10, KELDateOuverte, global());
    KELI* l2 = KELServeurDeLiens::CreerLienRelInt(1000182, a, b, t - 8, KELDateOuverte, global());
    ASSERT_TRUE(l1 && l2);
    EXPECT_EQ(rel->liensDuParent(a, global())->size(), 2u);
    l1->placeOutDate(t - 1, global());
    ASSERT_NE(rel->liensDuParent(a, global()), nullptr);
    EXPECT_EQ(rel->liensDuParent(a, global())->size(), 1u);
    // b is still a child of a through the other link.
    ASSERT_NE(rel->enfantsDuParent(a, global()), nullptr);
    EXPECT_EQ(rel->enfantsDuParent(a, global())->front(), b);
    ASSERT_NE(rel->parentsDeLEnfant(b, global()), nullptr);
    checkTable();
}

TEST_F(LinkBase, ForgetAndEraseKeepTheObjectAndSayItInTheStore)
{
    KELI* a = newObject();
    KELI* b = newObject();
    const double t = sched.now();
    KELI* l1 = KELServeurDeLiens::CreerLienRelInt(1000182, a, b, t - 10, KELDateOuverte, global());
    KELI* l2 = KELServeurDeLiens::CreerLienRelInt(1000182, b, a, t - 10, KELDateOuverte, global());
    Recorder rec;
    global()->ajouterLeDelegueDeMaj(&rec, 1000182);
    KELServeurDeLiens::DegagerLien(l1, global());
    EXPECT_EQ(rec.take(), (std::vector<std::string>{"des " + std::to_string(l1->idInt()) + "@229"}));
    EXPECT_DOUBLE_EQ(KELServeurDeLiens::InDateForLienNum(l1->idInt()), KELDateOublieeIn);
    EXPECT_DOUBLE_EQ(KELServeurDeLiens::OutDateForLienNum(l1->idInt()), KELDateOublieeOut);
    KELServeurDeLiens::EraseLien(l2, global());
    EXPECT_DOUBLE_EQ(KELServeurDeLiens::InDateForLienNum(l2->idInt()), 0.0); // row gone
    EXPECT_EQ(KELServeurDeLiens::DonneMaintenantLeLienId(l2->idInt()), l2);
    global()->enleverLeDelegueDeMaj(&rec, 1000182);
    checkTable();
}

TEST_F(LinkBase, EqualWordsShareOneElementAndOneRow)
{
    auto* mots = wake<KELIModelMot>(kel::kModelMot);
    ASSERT_NE(mots, nullptr);
    KELI* w1 = mots->ajouterLeMot("bonjour", global());
    KELI* w2 = mots->ajouterLeMot("bonjour", global());
    ASSERT_NE(w1, nullptr);
    EXPECT_EQ(w1, w2);
    EXPECT_EQ(std::get<std::string>(w1->base()), "bonjour");
    auto* nombres = wake<KELIModelNombre>(kel::kModelNombre);
    KELI* n1 = nombres->ajouterLeNombre(12.5, global());
    KELI* n2 = nombres->ajouterLeNombre(12.5, global());
    EXPECT_EQ(n1, n2);
    // A word still linked to is kept; a free one is closed and its row deleted.
    EXPECT_EQ(mots->enleverLElement(w1, global()), w1);
    EXPECT_TRUE(std::holds_alternative<std::monostate>(KELServeurDeMots::MotAvecBaseInt(w1->baseInt())));
}

TEST_F(LinkBase, IdZeroAndUnknownClassesAnswerNothing)
{
    EXPECT_EQ(KELServeurDeLiens::LienForInt(0, global()), nullptr);
    EXPECT_EQ(KELServeurDeLiens::LienForInt(2000018, nullptr), nullptr); // never loads without cursor
    tallomer::ScopedLogCapture log;
    storetest::run(path, {"INSERT INTO ZEVLETS VALUES (150000000, 0, 'NoSuchClass', 0, 1, 0, 150000000, 23);"});
    EXPECT_EQ(KELServeurDeLiens::LienForInt(150000000, global()), nullptr);
    EXPECT_TRUE(log.sink.contains("ERREUR!!! Classe 'NoSuchClass' inconnue!"));
}

// Links keep their ids in 32 bits; a row written by other means with larger values (or with the
// one value that marks a large one) must still be read, used and written back whole.
// Ids the store hands out follow each other, but a store written by other means may hold one far
// beyond the rest: it is kept apart from the dense ids and must still be found, read alone or with
// its relation, and a link made afterwards gets an id above it.
TEST_F(LinkBase, AUserIdFarBeyondTheOthersIsFoundAgain)
{
    const KELId loin = KELIdSpace::minId() + 5000000;
    const KELId loinAussi = loin + 3;
    storetest::run(path, {"INSERT INTO ZEVLETS VALUES (" + std::to_string(loin) + ", 0, 'KELI', 100.0, 200.0, 7, 8, 1000182);",
                          "INSERT INTO ZEVLETS VALUES (" + std::to_string(loinAussi) +
                              ", 0, 'KELI', 100.0, 200.0, 7, 9, 1000182);"});
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
    checkTable();
}

TEST_F(LinkBase, IdsBeyondThirtyTwoBitsAreKeptWhole)
{
    const KELId grandId = (KELId{1} << 33) + 5;
    const KELId grandParent = 0xFFFFFFFFull; // exactly the marker
    const KELId grandeBase = KELId{1} << 40;
    storetest::run(path, {"INSERT INTO ZEVLETS VALUES (" + std::to_string(grandId) + ", " + std::to_string(grandeBase) +
                          ", 'KELI', 100.0, 200.0, 7, " + std::to_string(grandParent) + ", 1000182);"});
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
