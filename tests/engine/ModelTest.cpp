#include "tests/engine/EngineFixture.h"

#include <set>

using namespace enginetest;

namespace {
std::set<KELId> relationsDesLiensDu(KELId parent)
{
    std::set<KELId> out;
    if (KELIds ids = KELServeurDeLiens::LiensNumDeLEnfantInt(parent))
        for (KELId id : *ids)
            if (KELI* l = KELServeurDeLiens::LienForInt(id, nullptr))
                out.insert(l->relationInt());
    return out;
}
} // namespace

TEST_F(LinkBase, NewModelIsSixLinks)
{
    auto* models = wake<KELIModel>(kel::kModelDesModels);
    ASSERT_NE(models, nullptr);
    const std::size_t avant = KELServeurDeLiens::LienCount();
    auto* n = dynamic_cast<KELIModel*>(models->ajouterUnModel(global()));
    ASSERT_NE(n, nullptr);
    EXPECT_EQ(KELServeurDeLiens::LienCount(), avant + 6);
    EXPECT_EQ(n->relationInt(), kel::kRelModels);
    EXPECT_EQ(n->enfantInt(), kel::kModelDesModels);
    // Its membership relation is found through the model of relations, named "Element".
    KELIElemRelation* mc = n->relationMC(global());
    ASSERT_NE(mc, nullptr);
    EXPECT_EQ(mc->kelClasse(), "KELIElemRelationMC");
    EXPECT_EQ(mc->relationInt(), kel::kRelRelationsMC);
    EXPECT_EQ(mc->modelParent(global()), n);
    EXPECT_EQ(mc->modelEnfant(global()), models);
    // The new model takes elements, named by the link base's own means.
    KELI* e = n->ajouterUnElement(global());
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->relationInt(), mc->idInt());
    EXPECT_EQ(n->nbDElements(global()), 1u);
    // Removing it deactivates its element, its relations and itself.
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
    const auto parents = a->relationsParents(global());
    EXPECT_NE(std::find(parents.begin(), parents.end(), r), parents.end());
    EXPECT_EQ(relationsDesLiensDu(a->idInt()).count(kel::kRelModelParent), 1u);

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
    const double t = sched.now();
    KELI* l = relier(o, p, t - 1);
    const KELId lid = l->idInt(), oid = o->idInt();
    reopen();
    EXPECT_EQ(KELServeurDeLiens::DonneMaintenantLeLienId(oid), nullptr);
    KELI* again = KELServeurDeLiens::LienForInt(lid, global());
    ASSERT_NE(again, nullptr);
    EXPECT_NE(KELServeurDeLiens::DonneMaintenantLeLienId(1000182), nullptr);
    EXPECT_NE(KELServeurDeLiens::DonneMaintenantLeLienId(oid), nullptr);
    auto* rel = wake<KELIElemRelation>(1000182);
    const auto liens = rel->liens(global());
    EXPECT_NE(std::find(liens.begin(), liens.end(), again), liens.end());
    EXPECT_EQ(again->parent(global())->idInt(), oid);
}
