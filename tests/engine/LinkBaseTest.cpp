#include "tests/engine/EngineFixture.h"

#include "engine/KELElements.h"

#include <functional>

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
    auto* timeline = wake<KELICurseur>(kel::kCurseurTimeline);
    ASSERT_TRUE(models && timeline);
    const auto elements = models->elements(global());
    EXPECT_GT(elements.size(), 5u);
    EXPECT_GE(compteur.n, static_cast<int>(elements.size()));
    KELServeurDeLiens::SetDelegate(nullptr);
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
    EXPECT_EQ(contenu(rel->enfantsDuParent(a, global())), std::vector<KELI*>{b});
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
    EXPECT_EQ(lien->baseInt(), grandeBase);
    EXPECT_EQ(lien->lienOut()->parentInt(), grandParent);
    EXPECT_EQ(KELServeurDeLiens::LienForInt(grandId, global()), lien);

    lien->placeInDate(150.0, global()); // rewrites the row from memory
    EXPECT_EQ(KELServeurDeLiens::InDateForLienNum(grandId), 150.0);
    EXPECT_EQ(KELServeurDeLiens::LienIntForParentInt(grandParent, 7, 1000182, 160.0), grandId);
    // A small value replaces a large one whole.
    lien->assignerBaseInt(9);
    EXPECT_EQ(lien->baseInt(), 9u);
}

// A link made through the server is one commit, seen by any other reader once the call returns
// (the crash test shows it); a transaction the caller has opened is left to the caller.
TEST_F(LinkBase, CreatingALinkLeavesTheCallersTransactionOpen)
{
    KELI* a = newObject();
    KELI* b = newObject();
    ASSERT_TRUE(a && b);
    Sqlite& db = KELChercheurDe::ZevDataBase();
    EXPECT_FALSE(db.inTransaction());
    ASSERT_TRUE(db.beginDeferredTransaction());
    KELI* l = relier(b, a, global()->inDate());
    ASSERT_NE(l, nullptr);
    EXPECT_TRUE(db.inTransaction()); // not committed behind the caller's back
    const std::string sql = "SELECT COUNT(*) FROM ZEVLETS WHERE ZEVLET_ID = " + l->idTxt() + ";";
    EXPECT_EQ(storetest::scalar(path, sql).toInt64(), 0);
    ASSERT_TRUE(db.rollback());
    EXPECT_EQ(storetest::scalar(path, sql).toInt64(), 0);
}

// How many links a model is, the act table of the whole-acts test shows.
TEST_F(LinkBase, ANewModelTakesElementsAndItsRemovalDeactivatesThem)
{
    auto* models = wake<KELIModel>(kel::kModelDesModels);
    ASSERT_NE(models, nullptr);
    auto* n = dynamic_cast<KELIModel*>(models->ajouterUnModel(global()));
    ASSERT_NE(n, nullptr);
    // Its membership relation is found through the model of relations, named "Element".
    KELIElemRelation* mc = n->relationMC(global());
    ASSERT_NE(mc, nullptr);
    EXPECT_EQ(mc->modelParent(global()), n);
    KELI* e = n->ajouterUnElement(global());
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->relationInt(), mc->idInt());
    EXPECT_EQ(n->nbDElements(global()), 1u);
    models->enleverLeModel(n, global());
    EXPECT_EQ(n->nbDElements(global()), 0u);
}

TEST_F(LinkBase, RelationsBetweenModelsKnowTheirModels)
{
    auto* models = wake<KELIModel>(kel::kModelDesModels);
    auto* relations = wake<KELIModel>(kel::kModelDesRelations);
    ASSERT_TRUE(models && relations);
    auto* a = dynamic_cast<KELIModel*>(models->ajouterUnModel(global()));
    auto* b = dynamic_cast<KELIModel*>(models->ajouterUnModel(global()));
    ASSERT_TRUE(a && b);
    auto* r = dynamic_cast<KELIElemRelation*>(relations->ajouterUneRelationParentAuModel(a, global()));
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->modelParent(global()), a);
    EXPECT_EQ(std::ranges::count(a->relationsParents(global()), r), 1);
    // The link from the relation to its parent model is stored.
    const std::string sql = "SELECT COUNT(*) FROM ZEVLETS WHERE RELATION = 26 AND PARENT_ZEVLET = " + r->idTxt() +
                            " AND CHILD_ZEVLET = " + a->idTxt() + ";";
    EXPECT_EQ(storetest::scalar(path, sql).toInt64(), 1);

    // Links of the new relation between elements of the two models; closing the relation closes
    // them all at now.
    KELI* x = a->ajouterUnElement(global());
    KELI* y = b->ajouterUnElement(global());
    KELI* l = KELServeurDeLiens::CreerLienRelInt(r->idInt(), x, y, sched.now() - 1, KELDateOuverte, global());
    ASSERT_NE(l, nullptr);
    EXPECT_EQ(r->nbDeLiens(global()), 1u);
    sched.advance(1.0);
    global()->placeToi();
    relations->enleverLaRelation(r, global());
    EXPECT_EQ(r->nbDeLiens(global()), 0u);
    EXPECT_DOUBLE_EQ(l->outDate(), sched.now());
}

TEST_F(LinkBase, ClosingAnObjectKeepsItsMembershipWhileItHasAFuture)
{
    KELI* o = newObject();
    KELI* p = newObject();
    auto* model = wake<KELIModel>(1000049);
    ASSERT_TRUE(o && p && model);
    const double t = sched.now();
    relier(o, p, t + 100);
    model->desactiverLeLien(o, t, global());
    EXPECT_DOUBLE_EQ(o->outDate(), KELDateOuverte); // something of it starts later: kept
    KELI* q = newObject();
    model->desactiverLeLien(q, t, global());
    EXPECT_DOUBLE_EQ(q->outDate(), t);
}

TEST_F(LinkBase, WakingAnObjectWakesItsRelationAndModelInOneGo)
{
    // Made in one run, woken in another: a fresh server finds everything through the store.
    KELI* o = newObject();
    KELI* p = newObject();
    KELI* l = relier(o, p, sched.now() - 1);
    const KELId lid = l->idInt(), oid = o->idInt();
    reopen();
    EXPECT_EQ(KELServeurDeLiens::DonneMaintenantLeLienId(oid), nullptr);
    KELI* again = KELServeurDeLiens::LienForInt(lid, global());
    ASSERT_NE(again, nullptr);
    EXPECT_NE(KELServeurDeLiens::DonneMaintenantLeLienId(1000182), nullptr);
    EXPECT_NE(KELServeurDeLiens::DonneMaintenantLeLienId(oid), nullptr);
    EXPECT_EQ(std::ranges::count(wake<KELIElemRelation>(1000182)->liens(global()), again), 1);
    EXPECT_EQ(again->parent(global())->idInt(), oid);
}

namespace {

// A started link base whose id range the test narrows, with the store-error hook recorded.
class WholeActs : public LinkBase {
protected:
    void SetUp() override
    {
        LinkBase::SetUp();
        startUp();
        Sqlite::setStoreErrorHook([this](const std::string& e) { erreurs.push_back(e); });
    }
    void TearDown() override
    {
        KELIdSpace::set(kMin, kMax);
        Sqlite::setStoreErrorHook({});
        LinkBase::TearDown();
    }

    // The highest user id of a table, as another connection reads the file.
    KELId plusHaut(const std::string& table, const std::string& colonne) const
    {
        const std::string sql = "SELECT MAX(" + colonne + ") FROM " + table + " WHERE " + colonne + " > " +
                                std::to_string(kMin) + " AND " + colonne + " < " + std::to_string(kMax) + ";";
        const SqlValue v = storetest::scalar(path, sql);
        return v.isNull() ? kMin : static_cast<KELId>(v.toInt64());
    }

    // Narrows the range so that exactly n more links can be made; the numbers' table lags behind
    // the links', so it keeps room for at least as many.
    void laisserLibres(std::size_t n)
    {
        const KELId liens = plusHaut("ZEVLETS", "ZEVLET_ID");
        ASSERT_LE(plusHaut("NUMBER", "NUMBER_ID"), liens);
        KELIdSpace::set(kMin, liens + 1 + n);
    }

    static constexpr KELId kMin = 100000000;
    static constexpr KELId kMax = 1000000000;
    std::vector<std::string> erreurs;
};

std::optional<double> nombre(const KELValue& v)
{
    if (const auto* d = std::get_if<double>(&v))
        return *d;
    return std::nullopt;
}

} // namespace

// Acts that store several links reserve all their ids first: when the range runs out anywhere in
// the act, the user hears of it and neither the store nor memory keeps any part of it; with just
// enough ids the whole act is stored.
TEST_F(WholeActs, AnActThatRunsOutOfIdsStoresNothingAndIsReported)
{
    auto* models = wake<KELIModel>(kel::kModelDesModels);
    auto* relations = wake<KELIModel>(kel::kModelDesRelations);
    auto* curseurs = wake<KELIModelCurseur>(kel::kModelCurseur);
    auto* contextes = wake<KELIModelContexte>(kel::kModelContexte);
    auto* objets = wake<KELIModel>(1000049);
    auto* elem = wake<KELIElemCurseur>(2000093); // the Search cursor's settings
    ASSERT_TRUE(models && relations && curseurs && contextes && objets && elem);
    KELICc* c = elem->curseurMaj();
    auto offset = [&] {
        std::vector<std::string> chemin{"Offset"};
        return nombre(elem->baseSelonLesRelations(chemin, c));
    };
    auto mobilite = [&] {
        std::vector<std::string> chemin{"Mobilite"};
        KELI* l = elem->lienSelonLesRelations(chemin, c);
        return l ? l->enfantInt() : KELId{0};
    };
    // The offset the cursor has now, to be recalled at the end.
    elem->rappelerOffset1(c, true);
    std::vector<std::string> chemin{"Offset"};
    KELI* premierOffset = elem->lienSelonLesRelations(chemin, c);
    ASSERT_NE(premierOffset, nullptr);
    const KELId offsetRappele = premierOffset->enfantInt();

    struct Cas {
        const char* nom;
        std::size_t liens, nombres;
        std::function<bool()> faire; // answers whether the act was stored
    };
    const Cas cas[] = {
        {"a relation to a model", 2, 0, [&] { return relations->ajouterUneRelationParentAuModel(objets, global()) != nullptr; }},
        {"a model", 6, 0, [&] { return models->ajouterUnModel(global()) != nullptr; }},
        {"a cursor", 3, 0, [&] { return curseurs->ajouterUnCurseurAvecLeCurseurSup(nullptr, global()) != nullptr; }},
        {"a context", 2, 0, [&] { return contextes->ajouterUnContexte(global()) != nullptr; }},
        {"a new offset", 2, 1,
         [&] {
             elem->archiverOffset(1234.5);
             return offset() == 1234.5;
         }},
        {"a move to real time", 3, 1,
         [&] {
             elem->setTypeRelatifTR(c);
             return mobilite() == kel::kTypeRelatifTR;
         }},
        {"a fixed type", 1, 0,
         [&] {
             elem->setTypeFixe(c);
             return mobilite() == kel::kTypeFixe;
         }},
        {"a recalled offset", 1, 0,
         [&] {
             elem->rappelerOffset1(c, false);
             std::vector<std::string> p{"Offset"};
             KELI* l = elem->lienSelonLesRelations(p, c);
             return l && l->enfantInt() == offsetRappele;
         }},
    };
    for (const Cas& a : cas) {
        // Every point where the ids can run out: at each link, then at the value.
        for (std::size_t libres = 0; libres < a.liens + a.nombres; ++libres) {
            SCOPED_TRACE(std::string(a.nom) + " with " + std::to_string(libres) + " ids left");
            laisserLibres(std::min(libres, a.liens));
            KELId bouchon = 0;
            if (libres >= a.liens) {
                // The links would fit: the numbers' table is the one full.
                bouchon = KELIdSpace::maxId() - 1;
                storetest::run(path, {"INSERT INTO NUMBER (NUMBER_ID, ZEVLET_ID, NUMBER) VALUES (" +
                                      std::to_string(bouchon) + ", 0, 0);"});
            }
            const std::string avant = storetest::dump(path);
            const std::size_t evenements = KELServeurDeLiens::GrandTableau().count();
            const auto typeAvant = mobilite();
            const auto offsetAvant = offset();
            erreurs.clear();
            tallomer::ScopedLogCapture log;
            EXPECT_FALSE(a.faire());
            sched.runUntilIdle();
            EXPECT_EQ(erreurs, std::vector<std::string>{"every id the store can give out is taken"});
            EXPECT_TRUE(storetest::dump(path) == avant) << "the store kept part of the act";
            EXPECT_EQ(KELServeurDeLiens::GrandTableau().count(), evenements);
            EXPECT_EQ(mobilite(), typeAvant);
            EXPECT_EQ(offset(), offsetAvant);
            EXPECT_FALSE(log.sink.contains("more ids than it reserved"));
            if (bouchon)
                storetest::run(path, {"DELETE FROM NUMBER WHERE NUMBER_ID = " + std::to_string(bouchon) + ";"});
        }
        SCOPED_TRACE(std::string(a.nom) + " with just enough ids");
        laisserLibres(a.liens);
        const std::string avant = storetest::dump(path);
        erreurs.clear();
        tallomer::ScopedLogCapture log;
        EXPECT_TRUE(a.faire());
        sched.runUntilIdle();
        EXPECT_TRUE(erreurs.empty());
        EXPECT_FALSE(storetest::dump(path) == avant) << "the act stored nothing";
        EXPECT_FALSE(log.sink.contains("more ids than it reserved"));
        EXPECT_EQ(storetest::scalar(path, "SELECT COUNT(*) FROM ZEVLETS WHERE RELATION = 0;").toInt64(), 0);
    }
}

// A full disk in the middle of an act: the store keeps none of it, and memory follows the store.
// The links the act made leave their windows as erased links do, and no later write of theirs
// stores their rows alone; a link the act closed is open again and one it erased is back; the
// next act is stored whole.
TEST_F(WholeActs, AnActTheFullStoreDidNotKeepIsTakenBackFromMemory)
{
    KELI* a = newObject();
    KELI* b = newObject();
    auto* rel = wake<KELIElemRelation>(kRel);
    auto* mots = wake<KELIModelMot>(kel::kModelMot);
    ASSERT_TRUE(a && b && rel && mots);
    const double t = sched.now();
    KELI* ancien = relier(a, b, t - 100);
    KELI* efface = relier(b, b, t - 100);
    ASSERT_TRUE(ancien && efface);
    Sqlite& db = KELChercheurDe::ZevDataBase();
    ASSERT_EQ(storetest::scalar(path, "PRAGMA freelist_count;").toInt64(), 0);
    const std::string avant = storetest::dump(path);
    const std::string pages = std::to_string(storetest::scalar(path, "PRAGMA page_count;").toInt64());
    const std::string ligne = "SELECT COUNT(*) FROM ZEVLETS WHERE ZEVLET_ID = ";

    Recorder rec(global(), {a->idInt()});
    KELI* nouveau = nullptr;
    KELI* apres = nullptr;
    erreurs.clear();
    {
        const KELServeurDeLiens::Acte acte(3, 1);
        ASSERT_TRUE(acte.complet());
        // The file may not grow from here on: a word too long for the pages it has fails.
        ASSERT_TRUE(db.executeNonQuery("PRAGMA max_page_count = " + pages + ";"));
        ancien->placeOutDate(t, global());
        KELServeurDeLiens::EraseLien(efface, global());
        nouveau = KELServeurDeLiens::CreerLienRelInt(kRel, a, b, t, KELDateOuverte, global());
        ASSERT_NE(nouveau, nullptr); // the act has not ended: the store's answer comes with it
        mots->ajouterLeMot(std::string(20000, 'w'), global());
        apres = KELServeurDeLiens::CreerLienRelInt(kRel, b, a, t, KELDateOuverte, global());
    }
    ASSERT_TRUE(db.executeNonQuery("PRAGMA max_page_count = 1073741823;"));
    ASSERT_FALSE(erreurs.empty());
    EXPECT_TRUE(storetest::dump(path) == avant) << "the store kept part of the act";

    EXPECT_TRUE(KELServeurDeLiens::Perdu(nouveau));
    EXPECT_FALSE(KELServeurDeLiens::Perdu(ancien));
    EXPECT_EQ(ancien->outDate(), KELDateOuverte);
    EXPECT_EQ(rel->lienDuParent(a, b, global()), ancien);
    EXPECT_EQ(contenu(rel->enfantsDuParent(a, global())), std::vector<KELI*>{b});
    EXPECT_EQ(contenu(rel->enfantsDuParent(b, global())), std::vector<KELI*>{b}) << "the erased link is back";
    EXPECT_EQ(efface->inDate(), t - 100);
    const std::vector<std::string> vus = rec.take();
    EXPECT_NE(std::ranges::find(vus, "desP " + nouveau->idTxt()), vus.end()) << "the new link's leave was not told";

    // Writes of a lost link's own row store nothing.
    nouveau->placeOutDate(t + 50, global());
    if (apres)
        apres->placeInDate(t - 50, global());
    sched.runUntilIdle();
    EXPECT_EQ(storetest::scalar(path, ligne + nouveau->idTxt() + ";").toInt64(), 0);
    EXPECT_TRUE(storetest::dump(path) == avant);

    // With room again the next act is stored whole, under ids of its own.
    erreurs.clear();
    KELI* suivant = relier(a, b, t + 1);
    ASSERT_NE(suivant, nullptr);
    EXPECT_GT(suivant->idInt(), nouveau->idInt());
    EXPECT_TRUE(erreurs.empty());
    EXPECT_EQ(storetest::scalar(path, ligne + suivant->idTxt() + ";").toInt64(), 1);
    EXPECT_DOUBLE_EQ(KELServeurDeLiens::OutDateForLienNum(ancien->idInt()), KELDateOuverte);
}

// Work given to an act for its refusal waits for the commit that decides: an act inside a larger
// one has none of its own, and its writes are lost when the larger act's are. The work runs once,
// when the links made are already known lost, and never for writes the store kept.
TEST_F(WholeActs, WorkForARefusedActRunsOnceWhenTheOutermostActIsNotStored)
{
    KELI* a = newObject();
    KELI* b = newObject();
    auto* mots = wake<KELIModelMot>(kel::kModelMot);
    ASSERT_TRUE(a && b && mots);
    const double t = sched.now();
    Sqlite& db = KELChercheurDe::ZevDataBase();
    const std::string pages = std::to_string(storetest::scalar(path, "PRAGMA page_count;").toInt64());
    int runs = 0;
    bool madeWasLost = false;

    // Stored, alone or nested: the work is dropped.
    {
        const KELServeurDeLiens::Acte dehors(0);
        ASSERT_TRUE(dehors.complet());
        dehors.siRefuse([&] { ++runs; });
        {
            const KELServeurDeLiens::Acte dedans(0);
            ASSERT_TRUE(dedans.complet());
            ASSERT_NE(relier(a, b, t), nullptr);
            dedans.siRefuse([&] { ++runs; });
        }
    }
    EXPECT_EQ(runs, 0) << "work ran for an act the store kept";

    // The inner act writes well; a later write of the outer one fails, and both are lost.
    erreurs.clear();
    KELI* fait = nullptr;
    {
        const KELServeurDeLiens::Acte dehors(0);
        ASSERT_TRUE(dehors.complet());
        {
            const KELServeurDeLiens::Acte dedans(0);
            ASSERT_TRUE(dedans.complet());
            fait = relier(a, b, t + 1);
            ASSERT_NE(fait, nullptr);
            dedans.siRefuse([&] {
                ++runs;
                madeWasLost = KELServeurDeLiens::Perdu(fait);
            });
        }
        EXPECT_EQ(runs, 0) << "work ran before the commit that decides";
        ASSERT_TRUE(db.executeNonQuery("PRAGMA max_page_count = " + pages + ";"));
        mots->ajouterLeMot(std::string(20000, 'w'), global());
    }
    ASSERT_TRUE(db.executeNonQuery("PRAGMA max_page_count = 1073741823;"));
    ASSERT_FALSE(erreurs.empty());
    EXPECT_EQ(runs, 1);
    EXPECT_TRUE(madeWasLost) << "the work ran before memory knew the link lost";
    EXPECT_EQ(storetest::scalar(path, "SELECT COUNT(*) FROM ZEVLETS WHERE ZEVLET_ID = " + fait->idTxt() + ";").toInt64(),
              0);

    // Later acts, stored or not, do not run it again.
    ASSERT_NE(relier(a, b, t + 2), nullptr);
    {
        const KELServeurDeLiens::Acte acte(0);
        ASSERT_TRUE(acte.complet());
        ASSERT_TRUE(db.executeNonQuery("PRAGMA max_page_count = " +
                                       std::to_string(storetest::scalar(path, "PRAGMA page_count;").toInt64()) + ";"));
        mots->ajouterLeMot(std::string(20000, 'v'), global());
    }
    ASSERT_TRUE(db.executeNonQuery("PRAGMA max_page_count = 1073741823;"));
    EXPECT_EQ(runs, 1);
}

// An act that counts no ids is one commit whose links take their ids as they come: that is no
// shortfall to report. One that counted its ids and asks for one more is.
TEST_F(WholeActs, OnlyAnActThatCountedItsIdsReportsAskingForMore)
{
    KELI* a = newObject();
    KELI* b = newObject();
    ASSERT_TRUE(a && b);
    const double t = sched.now();
    {
        tallomer::ScopedLogCapture log;
        KELI* un = nullptr;
        KELI* deux = nullptr;
        {
            const KELServeurDeLiens::Acte acte(0);
            ASSERT_TRUE(acte.complet());
            un = KELServeurDeLiens::CreerLienRelInt(kRel, a, b, t, KELDateOuverte, global());
            deux = KELServeurDeLiens::CreerLienRelInt(kRel, b, a, t, KELDateOuverte, global());
        }
        sched.runUntilIdle();
        ASSERT_TRUE(un && deux);
        EXPECT_NE(un->idInt(), deux->idInt());
        EXPECT_EQ(storetest::scalar(path, "SELECT COUNT(*) FROM ZEVLETS WHERE ZEVLET_ID IN (" + un->idTxt() + ", " +
                                              deux->idTxt() + ");")
                      .toInt64(),
                  2);
        EXPECT_FALSE(log.sink.contains("more ids than it reserved"));
    }
    tallomer::ScopedLogCapture log;
    {
        const KELServeurDeLiens::Acte acte(1);
        ASSERT_TRUE(acte.complet());
        ASSERT_NE(KELServeurDeLiens::CreerLienRelInt(kRel, a, b, t + 1, KELDateOuverte, global()), nullptr);
        KELServeurDeLiens::CreerLienRelInt(kRel, b, a, t + 1, KELDateOuverte, global());
    }
    EXPECT_TRUE(log.sink.contains("more ids than it reserved"));
}

// What a lost act made may still be held by a caller (an Object, a colour, a Channel, a word). A
// later act that links to or from it, or through it as relation, gets no link: a row naming an id
// the store never held would be read as whatever link a later run hands that id. The refusal is
// logged, the rest of the act is stored, and nothing of the refused link is in memory or the store.
TEST_F(WholeActs, ALinkToOrFromALostLinkIsRefusedAndNothingOfItIsWritten)
{
    KELI* a = newObject();
    KELI* b = newObject();
    auto* rel = wake<KELIElemRelation>(kRel);
    auto* mots = wake<KELIModelMot>(kel::kModelMot);
    ASSERT_TRUE(a && b && rel && mots);
    const double t = sched.now();
    Sqlite& db = KELChercheurDe::ZevDataBase();
    const std::string pages = std::to_string(storetest::scalar(path, "PRAGMA page_count;").toInt64());
    KELI* objet = nullptr;
    KELI* lien = nullptr;
    {
        const KELServeurDeLiens::Acte acte(3, 1);
        ASSERT_TRUE(acte.complet());
        ASSERT_TRUE(db.executeNonQuery("PRAGMA max_page_count = " + pages + ";"));
        objet = newObject();
        lien = KELServeurDeLiens::CreerLienRelInt(kRel, a, b, t, KELDateOuverte, global());
        ASSERT_TRUE(objet && lien);
        mots->ajouterLeMot(std::string(20000, 'w'), global());
    }
    ASSERT_TRUE(db.executeNonQuery("PRAGMA max_page_count = 1073741823;"));
    ASSERT_TRUE(KELServeurDeLiens::Perdu(objet) && KELServeurDeLiens::Perdu(lien));
    const std::string avant = storetest::dump(path);
    erreurs.clear();

    tallomer::ScopedLogCapture log;
    const auto preparer = [](KELId parent, KELId enfant, KELId relation) {
        auto l = std::make_unique<KELI>();
        l->assignerParentInt(parent);
        l->assignerEnfantInt(enfant);
        l->assignerRelationInt(relation);
        l->assignerInDate(KELDateToujours);
        l->assignerOutDate(KELDateOuverte);
        return KELServeurDeLiens::AjouterLienIn(std::move(l), global());
    };
    const KELId o = objet->idInt(), p = lien->idInt();
    EXPECT_EQ(KELServeurDeLiens::CreerLienRelInt(kRel, objet, b, t, KELDateOuverte, global()), nullptr);
    EXPECT_EQ(KELServeurDeLiens::CreerLienRelInt(kRel, a, objet, t, KELDateOuverte, global()), nullptr);
    EXPECT_EQ(KELServeurDeLiens::CreerLienRelInt(p, a, b, t, KELDateOuverte, global()), nullptr);
    EXPECT_EQ(preparer(o, b->idInt(), kRel), nullptr);
    EXPECT_EQ(preparer(a->idInt(), o, kRel), nullptr);
    EXPECT_EQ(preparer(a->idInt(), b->idInt(), p), nullptr);
    EXPECT_EQ(log.sink.count("CreerLienRelInt: refused"), 3u);
    EXPECT_EQ(log.sink.count("AjouterLienIn: refused"), 3u);
    EXPECT_TRUE(log.sink.contains("its child " + std::to_string(o)));
    EXPECT_TRUE(storetest::dump(path) == avant) << "a refused link was written";
    EXPECT_EQ(rel->enfantsDuParent(objet, global()), nullptr);
    EXPECT_EQ(rel->parentsDeLEnfant(objet, global()), nullptr);

    // In an act, the refused link alone is missing; the act's other links are stored.
    KELI* bon = nullptr;
    {
        const KELServeurDeLiens::Acte acte(2);
        ASSERT_TRUE(acte.complet());
        bon = relier(a, b, t + 1);
        EXPECT_EQ(relier(a, objet, t + 1), nullptr);
    }
    ASSERT_NE(bon, nullptr);
    EXPECT_FALSE(KELServeurDeLiens::Perdu(bon));
    // Nor is a stored link's child changed to a lost link.
    KELServeurDeLiens::MajLien(bon, o);
    EXPECT_TRUE(erreurs.empty());
    const std::string ids = std::to_string(o) + ", " + std::to_string(p);
    EXPECT_EQ(storetest::scalar(path, "SELECT COUNT(*) FROM ZEVLETS WHERE PARENT_ZEVLET IN (" + ids +
                                          ") OR CHILD_ZEVLET IN (" + ids + ") OR RELATION IN (" + ids + ");")
                  .toInt64(),
              0);
    EXPECT_EQ(storetest::scalar(path, "SELECT CHILD_ZEVLET FROM ZEVLETS WHERE ZEVLET_ID = " + bon->idTxt() + ";")
                  .toInt64(),
              static_cast<std::int64_t>(b->idInt()));
}
