// The bookkeeping behind every activation: a link's representations per window (their blocks are
// the scratch reserve's, tested with it), the relation's per-object indexes and the delegate lists.
#include "tests/engine/EngineFixture.h"
#include "engine/KELIRep.h"

#include <algorithm>
#include <random>


using namespace enginetest;

namespace {
auto fenetre(KELDate in, KELDate out) { return seul<KELICc>(in, out); }
auto lien(KELId id, KELDate in, KELDate out) { return seul(in, out, id); }
} // namespace

TEST(Representations, KeepTheOrderOfAdditionAcrossRemovals)
{
    auto l = lien(7, 0, 5);
    std::vector<std::unique_ptr<KELICc>> w;
    for (int i = 0; i < 4; ++i)
        EXPECT_TRUE(l->ajouterLeCurseur(w.emplace_back(fenetre(-10, 10)).get()));
    auto dehors = fenetre(20, 30);
    EXPECT_FALSE(l->ajouterLeCurseur(w[2].get())); // once per window
    EXPECT_FALSE(l->ajouterLeCurseur(dehors.get())); // a window that does not include it
    KELIRep* rep2 = l->representant(w[2].get());

    const std::uint64_t avant = KELI::repsEnleves();
    l->enleverLeCurseur(w[1].get());
    l->enleverLeCurseur(dehors.get()); // none: nothing taken away
    EXPECT_EQ(KELI::repsEnleves(), avant + 1);
    EXPECT_EQ(l->representant(w[1].get()), nullptr);
    EXPECT_TRUE(l->ajouterLeCurseur(w[1].get()));
    EXPECT_EQ(l->curseurs(), (std::vector<KELICc*>{w[0].get(), w[2].get(), w[3].get(), w[1].get()}));
    EXPECT_EQ(l->representant(w[2].get()), rep2);
    EXPECT_EQ(l->curseurNo(3), w[1].get());
    EXPECT_EQ(l->curseurNo(4), nullptr);

    KELICc* copie[2] = {};
    KELIRep* reps[2] = {};
    EXPECT_EQ(l->copierLesCurseurs(copie, 2, reps), 4u);
    EXPECT_EQ(copie[1], w[2].get());
    EXPECT_EQ(reps[1], rep2);
}

// Links shown in one window up to twenty, windows added and removed in any order: every link
// answers each window's representation (the same object for as long as it has one, whatever the
// others do), lists its windows in order of addition, and gives back what it had, alone, when all
// but one leave. Several links churn at once, so that storage one gives back another takes.
TEST(Representations, ManyWindowsInAnyOrderAgreeWithAModel)
{
    std::vector<std::unique_ptr<KELICc>> w;
    for (int i = 0; i < 20; ++i)
        w.push_back(fenetre(-10, 10));
    std::vector<std::unique_ptr<KELI>> liens;
    std::vector<std::vector<std::pair<KELICc*, KELIRep*>>> modeles(5);
    for (int i = 0; i < 5; ++i)
        liens.push_back(lien(100 + i, 0, 5));
    std::mt19937 rng(89);
    for (int pas = 0; pas < 20000; ++pas) {
        const std::size_t k = rng() % liens.size();
        KELI* l = liens[k].get();
        auto& modele = modeles[k];
        KELICc* c = w[rng() % (pas < 10000 ? w.size() : 4)].get();
        auto it = std::find_if(modele.begin(), modele.end(), [c](const auto& p) { return p.first == c; });
        if (it == modele.end() && rng() % 8 < 5) {
            KELIRep* r = pas % 2 ? l->representantAjoute(c) : (l->ajouterLeCurseur(c), l->representant(c));
            ASSERT_NE(r, nullptr) << "step " << pas;
            EXPECT_EQ(r->curseur(), c);
            modele.emplace_back(c, r);
        } else if (it != modele.end()) {
            EXPECT_EQ(l->representantAjoute(c), it->second) << "step " << pas; // found, not made again
            l->enleverLeCurseur(c);
            modele.erase(it);
        }
        ASSERT_EQ(l->nbDeCurseurs(), modele.size()) << "step " << pas;
        // A move asks for representations down the list ahead of reading them, past its end too,
        // and for a block whole: asking reads nothing beyond the link's own and changes nothing.
        l->prefetchRepresentants();
        l->prefetchVu();
        for (std::size_t i = 0; i <= modele.size() + 1; ++i)
            l->prefetchRepresentantNo(i);
        for (std::size_t i = 0; i < modele.size(); ++i) {
            ASSERT_EQ(l->curseurNo(i), modele[i].first) << "step " << pas;
            ASSERT_EQ(l->representant(modele[i].first), modele[i].second) << "step " << pas << ", window " << i;
        }
        ASSERT_EQ(l->curseurNo(modele.size()), nullptr);
        for (const auto& f : w) {
            if (std::none_of(modele.begin(), modele.end(), [&](const auto& p) { return p.first == f.get(); })) {
                ASSERT_EQ(l->representant(f.get()), nullptr) << "step " << pas;
            }
        }
    }
    // Some links are torn down still shown in many windows; what they held goes with them.
    for (int i = 0; i < 20; ++i)
        liens[0]->ajouterLeCurseur(w[i].get());
    EXPECT_EQ(liens[0]->nbDeCurseurs(), 20u);
    liens.clear();
}

// A link kept for a crossing answers for its id at its cursor only while the server's memory says
// it is shown there, with the same context: a representation it lost, or a context it was not
// found in, sends the crossing back to the server, which would wake it there.
TEST(Representations, ALinkKeptForCrossingsAnswersOnlyWhileKnownShown)
{
    auto w = fenetre(-10, 10);
    auto ailleurs = fenetre(-10, 10);
    auto l = lien(7, 0, 5);
    auto autre = lien(8, 0, 5);
    KELLienRetenu r;
    EXPECT_EQ(r.siConnu(7, w.get()), nullptr);
    ASSERT_TRUE(l->ajouterLeCurseur(w.get()));
    l->retenirVuDans(w.get(), nullptr); // as the server notes it when it answers
    r.noter(7, w.get(), l.get());
    EXPECT_EQ(r.siConnu(7, w.get()), l.get());
    EXPECT_EQ(r.siConnu(8, w.get()), nullptr);
    EXPECT_EQ(r.siConnu(7, ailleurs.get()), nullptr);

    // Another link's comings and goings change nothing for it.
    ASSERT_TRUE(autre->ajouterLeCurseur(w.get()));
    autre->enleverLeCurseur(w.get());
    EXPECT_EQ(r.siConnu(7, w.get()), l.get());

    // Found with a context the cursor does not have.
    l->retenirVuDans(w.get(), ailleurs.get());
    EXPECT_EQ(r.siConnu(7, w.get()), nullptr);
    l->retenirVuDans(w.get(), nullptr);
    EXPECT_EQ(r.siConnu(7, w.get()), l.get());

    // Gone from the window, and back without the server having found it there again.
    l->enleverLeCurseur(w.get());
    EXPECT_EQ(r.siConnu(7, w.get()), nullptr);
    ASSERT_TRUE(l->ajouterLeCurseur(w.get()));
    EXPECT_EQ(r.siConnu(7, w.get()), nullptr);
}

// A delegate that removes itself while it is told is not told again, and one it adds meanwhile
// hears from the next message on (a lone delegate is called on a path of its own); one removed
// by another before its turn is not told at all.
TEST(Delegates, RemovedOrAddedWhileToldTakeEffectFromTheNextCall)
{
    struct Un final : KELDelegueDeMaj {
        KELICc* c = nullptr;
        KELDelegueDeMaj* enlever = this;
        KELDelegueDeMaj* ajouter = nullptr;
        int fois = 0;
        void activationDuLien(KELI*, KELICc*) override
        {
            ++fois;
            c->enleverLeDelegueDeMaj(enlever, 5);
            if (ajouter)
                c->ajouterLeDelegueDeMaj(ajouter, 5);
        }
        void desactivationDuLien(KELI*, KELICc*) override { ++fois; }
    };
    auto c = fenetre(0, 1);
    auto l = lien(9, 0, 1);
    Un autre, premier;
    autre.c = premier.c = c.get();
    premier.ajouter = &autre;
    c->ajouterLeDelegueDeMaj(&premier, 5);
    c->informerActivation(5, l.get());
    EXPECT_EQ(premier.fois, 1);
    EXPECT_EQ(autre.fois, 0);
    EXPECT_EQ(c->nbDeDelegues(5), 1u);
    c->informerDesactivation(5, l.get());
    EXPECT_EQ(premier.fois, 1);
    EXPECT_EQ(autre.fois, 1);

    auto d = fenetre(0, 1);
    Un x, y;
    x.c = y.c = d.get();
    x.enlever = &y;
    d->ajouterLeDelegueDeMaj(&x, 5);
    d->ajouterLeDelegueDeMaj(&y, 5);
    d->informerActivation(5, l.get());
    EXPECT_EQ(x.fois, 1);
    EXPECT_EQ(y.fois, 0);
}

// Objects leave a relation's index and others come in, more than the index keeps for reuse:
// the lists answer exactly the active links, never what an earlier object left behind.
TEST_F(LinkBase, RelationIndexesStayExactWhenObjectsComeAndGo)
{
    KELI* a = newObject();
    auto* rel = wake<KELIElemRelation>(1000182);
    ASSERT_TRUE(a && rel);
    const double t = sched.now();
    std::vector<KELI*> partis, venus, liensVenus;
    for (int i = 0; i < 40; ++i) {
        partis.push_back(newObject());
        ASSERT_NE(relier(a, partis.back(), t - 10), nullptr);
    }
    for (KELI* b : partis) {
        KELI* l = rel->lienDuParent(a, b, global());
        ASSERT_NE(l, nullptr);
        l->placeOutDate(t - 5, global());
    }
    EXPECT_EQ(rel->enfantsDuParent(a, global()), nullptr);
    EXPECT_EQ(rel->liensDuParent(a, global()), nullptr);
    for (int i = 0; i < 40; ++i) {
        KELI* b = venus.emplace_back(newObject());
        // Half the new links come from the new object, so it is a parent as well as a child.
        ASSERT_NE(liensVenus.emplace_back(i % 2 ? relier(a, b, t - 4) : relier(b, a, t - 4)), nullptr);
    }
    for (KELI* b : partis) {
        EXPECT_EQ(rel->parentsDeLEnfant(b, global()), nullptr);
        EXPECT_EQ(rel->liensDeLEnfant(b, global()), nullptr);
    }
    std::vector<KELI*> enfants, parents;
    for (std::size_t i = 0; i < venus.size(); ++i) {
        (i % 2 ? enfants : parents).push_back(venus[i]);
        const auto* liens = i % 2 ? rel->liensDeLEnfant(venus[i], global()) : rel->liensDuParent(venus[i], global());
        EXPECT_EQ(contenu(liens), std::vector<KELI*>{liensVenus[i]});
    }
    EXPECT_EQ(contenu(rel->enfantsDuParent(a, global())), enfants);
    EXPECT_EQ(contenu(rel->parentsDeLEnfant(a, global())), parents);
}

// Asking the server for a link it has just found shown in a cursor and its context is answered
// without looking again; once the link loses a representation the next question must look again
// and give it back, in the cursor and in the context alike.
TEST_F(LinkBase, AskingAgainAfterARepresentationIsLostGivesItBack)
{
    KELICurseur* c = global();
    KELICc* ctx = c->contexte();
    KELI* objet = newObject();
    ASSERT_TRUE(ctx && objet);
    const KELId id = objet->idInt();
    for (int tour = 0; tour < 3; ++tour) {
        ASSERT_EQ(KELServeurDeLiens::LienForInt(id, c), objet);
        ASSERT_TRUE(objet->siContientLeCurseur(c));
        ASSERT_TRUE(objet->siContientLeCurseur(ctx));
        ASSERT_EQ(KELServeurDeLiens::LienForInt(id, c), objet); // answered from memory
        objet->enleverLeCurseur(tour % 2 ? c : ctx);
        EXPECT_EQ(KELServeurDeLiens::LienForInt(id, c), objet);
        EXPECT_TRUE(objet->siContientLeCurseur(c)) << "turn " << tour;
        EXPECT_TRUE(objet->siContientLeCurseur(ctx)) << "turn " << tour;
    }
    // Asked in the context itself, then in the cursor: both answers stay right.
    objet->enleverLeCurseur(c);
    EXPECT_EQ(KELServeurDeLiens::LienForInt(id, ctx), objet);
    EXPECT_FALSE(objet->siContientLeCurseur(c));
    EXPECT_EQ(KELServeurDeLiens::LienForInt(id, c), objet);
    EXPECT_TRUE(objet->siContientLeCurseur(c));
    // Its relation still lists it once in each window, active, and lets it go when it ends.
    auto* rel = dynamic_cast<KELIElemRelation*>(KELServeurDeLiens::LienForInt(objet->relationInt(), c));
    ASSERT_NE(rel, nullptr);
    auto fois = [&](KELICc* w) { return std::ranges::count(rel->liens(w), objet); };
    EXPECT_EQ(fois(c), 1);
    EXPECT_EQ(fois(ctx), 1);
    objet->placeOutDate(ctx->inDate() - 1.0, c);
    EXPECT_EQ(fois(c), 0);
    EXPECT_EQ(fois(ctx), 0);
}

// A relation's list keeps a hole where a link left and closes its holes up once they far outnumber
// its links, reading the links ahead of the one it moves: it then holds exactly the active links in
// order of activation, and each of them still leaves from its own place.
TEST_F(LinkBase, ARelationsListClosedUpKeepsEachLinkInItsPlace)
{
    KELI* a = newObject();
    auto* rel = wake<KELIElemRelation>(1000182);
    ASSERT_TRUE(a && rel);
    const double t = sched.now();
    std::vector<KELI*> liens;
    for (int i = 0; i < 150; ++i)
        ASSERT_NE(liens.emplace_back(relier(a, newObject(), t - 10)), nullptr);
    // Most leave, in runs longer than the read-ahead, and a few stay.
    std::vector<KELI*> restent;
    for (std::size_t i = 0; i < liens.size(); ++i) {
        if (i % 23 == 5)
            restent.push_back(liens[i]);
        else
            liens[i]->placeOutDate(t - 5, global());
    }
    ASSERT_NE(restent.emplace_back(relier(a, newObject(), t - 4)), nullptr);
    auto lesNotres = [&] {
        std::vector<KELI*> out;
        for (KELI* l : rel->liens(global()))
            if (l && l->parentInt() == a->idInt())
                out.push_back(l);
        return out;
    };
    EXPECT_EQ(lesNotres(), restent);
    EXPECT_EQ(contenu(rel->liensDuParent(a, global())).size(), restent.size());
    // One from the middle and the first leave after the list was closed up: exactly they go.
    for (std::size_t k : {std::size_t{3}, std::size_t{0}}) {
        restent[k]->placeOutDate(t - 3, global());
        restent.erase(restent.begin() + static_cast<std::ptrdiff_t>(k));
        EXPECT_EQ(lesNotres(), restent);
    }
}
