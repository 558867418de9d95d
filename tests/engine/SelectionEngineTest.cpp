// The selection engine on small models made in a real template store: choices, paths opened at
// either end, attach counts per path, and the counts following links as the Search cursor moves.
// A seeded randomized run compares every count with a fresh walk from the choices.

#include "tests/engine/EngineFixture.h"

#include "engine/selection/KELSelection.h"

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <map>
#include <random>
#include <set>
#include <sstream>

using namespace enginetest;

namespace {

class SelectionEngine : public LinkBase {
protected:
    void SetUp() override
    {
        LinkBase::SetUp();
        startUp();
        search = wake<KELICurseur>(2000094);
        ASSERT_TRUE(search && search->contexte());
        t0 = sched.now();
        a = nouveauModel();
        b = nouveauModel();
        c = nouveauModel();
        d = nouveauModel();
        ASSERT_TRUE(a && b && c && d);
        ab = nouvelleRelation(a, b);
        bc = nouvelleRelation(b, c);
        cd = nouvelleRelation(c, d);
        ad = nouvelleRelation(a, d);
        ba = nouvelleRelation(b, a);
        aa = nouvelleRelation(a, a);
        ASSERT_TRUE(ab && bc && cd && ad && ba && aa);
        for (KELIModel* m : {a, b, c, d})
            for (int i = 0; i < 4; ++i)
                objets[m].push_back(m->ajouterUnElement(global()));
        // Everything exists from here on; the Search cursor looks a while later.
        sched.advance(1000);
        search->placeToi();
        for (KELIModel* m : {a, b, c, d})
            ASSERT_NE(KELServeurDeLiens::LienForInt(m->idInt(), search), nullptr);
        for (KELIElemRelation* r : relations())
            r->liens(search);
    }

    std::vector<KELIElemRelation*> relations() const { return {ab, bc, cd, ad, ba, aa}; }

    static KELIModel* nouveauModel() { return dynamic_cast<KELIModel*>(wake<KELIModel>(kel::kModelDesModels)->ajouterUnModel(global())); }

    KELIElemRelation* nouvelleRelation(KELIModel* parent, KELIModel* enfant)
    {
        auto* r = dynamic_cast<KELIElemRelation*>(
            wake<KELIModel>(kel::kModelDesRelations)->ajouterUneRelationParentAuModel(parent, global()));
        if (r)
            KELServeurDeLiens::CreerLienRelInt(kel::kRelModelEnfant, r, enfant, sched.now(), KELDateOuverte, global());
        return r;
    }

    // A link of the relation, from long before the cursor to long after unless told.
    KELI* lier(KELIElemRelation* r, KELI* p, KELI* e, KELDate in = 0, KELDate out = KELDateOuverte)
    {
        return KELServeurDeLiens::CreerLienRelInt(r->idInt(), p, e, in ? in : t0 + 10, out, global());
    }

    KELSelCtrlModel* ctrl(KELIModel* m) const { return m->selCtrlModel(search); }
    KELSelCtrlRel* finP(KELIModel* m) const { return ctrl(m)->ctrlRP(); }
    KELSelCtrlRel* finE(KELIModel* m) const { return ctrl(m)->ctrlRE(); }
    std::size_t compte(KELIModel* m, KELI* o) const { return ctrl(m)->nbDAttaches(o, s); }
    KELI* o(KELIModel* m, int i) { return objets[m].at(static_cast<std::size_t>(i)); }

    KELICurseur* search = nullptr;
    KELDate t0 = 0;
    KELIModel *a = nullptr, *b = nullptr, *c = nullptr, *d = nullptr;
    KELIElemRelation *ab = nullptr, *bc = nullptr, *cd = nullptr, *ad = nullptr, *ba = nullptr, *aa = nullptr;
    std::map<KELIModel*, std::vector<KELI*>> objets;
    KELSelIdRef s = KELSelId::nouveau();
};

TEST_F(SelectionEngine, TheLinkAnswersItsControllersAtACursorAndMissingOnesDoNothing)
{
    ASSERT_NE(ctrl(a), nullptr);
    EXPECT_EQ(ctrl(a), ctrl(a)) << "made once";
    EXPECT_EQ(ctrl(a)->repModel()->lien(), a);
    ASSERT_NE(ab->selCtrlRelation(search), nullptr);
    EXPECT_EQ(ab->selCtrlRelation(search)->repRelation()->lien(), ab);
    EXPECT_EQ(ab->selCtrlModel(search), nullptr) << "a relation is no model";
    EXPECT_EQ(a->selCtrlRelation(search), nullptr) << "a model is no relation";
    EXPECT_EQ(o(a, 0)->selCtrlModel(search), nullptr);
    EXPECT_NE(ctrl(a), a->selCtrlModel(global())) << "one per cursor";

    // A relation with no representation at the cursor: opening it changes nothing.
    search->decalerCurseur(-100);
    KELIElemRelation* jamais = nouvelleRelation(a, b);
    ASSERT_EQ(jamais->representant(search), nullptr);
    finP(a)->choisir(jamais, s);
    EXPECT_EQ(finP(a)->nbDeChoix(s), 0u);
}

TEST_F(SelectionEngine, ChoosingTwiceAndUnchoosingWhatIsNotChosenChangeNothing)
{
    lier(ab, o(a, 0), o(b, 0));
    finP(a)->choisir(ab, s);
    ctrl(a)->choisir(o(a, 0), s);
    ctrl(a)->choisir(o(a, 0), s);
    EXPECT_EQ(ctrl(a)->nbDeChoix(s), 1u);
    EXPECT_EQ(compte(b, o(b, 0)), 1u);
    EXPECT_EQ(compte(a, o(a, 0)), 1u);
    EXPECT_EQ(finP(a)->nbDAttaches(ab, s), 1u + 1u) << "the choice has links of it, and a walk crossed it once";
    ctrl(a)->rejeter(o(a, 1), s);
    ctrl(b)->rejeter(o(b, 0), s);
    EXPECT_EQ(ctrl(a)->nbDeChoix(s), 1u);
    EXPECT_EQ(compte(b, o(b, 0)), 1u);
    finP(a)->choisir(ab, s);
    EXPECT_EQ(compte(b, o(b, 0)), 1u) << "a path opened twice walks once";

    ctrl(a)->rejeter(o(a, 0), s);
    EXPECT_EQ(ctrl(b)->nbDAttaches(s), 0u);
    EXPECT_EQ(ctrl(a)->nbDAttaches(s), 0u);
    EXPECT_EQ(finP(a)->nbDAttaches(s), 0u);
}

TEST_F(SelectionEngine, CountsArePerPathAndACountOfTwoSurvivesOneLinkLeaving)
{
    lier(ab, o(a, 0), o(b, 0));
    KELI* second = lier(ab, o(a, 1), o(b, 0));
    lier(bc, o(b, 0), o(c, 0));
    finP(a)->choisir(ab, s);
    finP(b)->choisir(bc, s);
    ctrl(a)->choisir(o(a, 0), s);
    ctrl(a)->choisir(o(a, 1), s);
    EXPECT_EQ(compte(b, o(b, 0)), 2u + 2u) << "reached twice, and the parent end of its link twice";
    EXPECT_EQ(compte(c, o(c, 0)), 2u) << "two paths lead to it";

    // The second link closes at the cursor's moment: one path is left.
    second->placeOutDate(search->now() - 1, global());
    EXPECT_EQ(compte(b, o(b, 0)), 1u + 1u);
    EXPECT_EQ(compte(c, o(c, 0)), 1u);
    EXPECT_TRUE(ctrl(c)->siAttache(o(c, 0), s));

    // And back: the count is what it was.
    second->placeOutDate(KELDateOuverte, global());
    EXPECT_EQ(compte(c, o(c, 0)), 2u);
    ctrl(a)->rejeterTous(s);
    for (KELIModel* m : {a, b, c})
        EXPECT_EQ(ctrl(m)->nbDAttaches(s), 0u);
}

TEST_F(SelectionEngine, AChoiceInASecondModelMovesTheStartAndEmptiesTheFirst)
{
    lier(ab, o(a, 0), o(b, 0));
    lier(ab, o(a, 1), o(b, 1));
    finP(a)->choisir(ab, s);
    ctrl(a)->choisir(o(a, 0), s);
    EXPECT_EQ(s->ctrlMDeDepart(), ctrl(a));
    EXPECT_EQ(ctrl(a)->sensSiConnu(s).sens(), KELSelSens::kEntreSortie);
    EXPECT_EQ(ctrl(b)->sensSiConnu(s).sens(), KELSelSens::kSortie);

    // Choosing in b: a lets go of its choice, b is the start and the selection now flows from b
    // up through the path into a.
    ctrl(b)->choisir(o(b, 1), s);
    EXPECT_EQ(s->ctrlMDeDepart(), ctrl(b));
    EXPECT_EQ(s->ctrlMDeDepartDuGraphe(), ctrl(a)) << "the first start stays the graph's";
    EXPECT_EQ(ctrl(a)->nbDeChoix(s), 0u);
    EXPECT_EQ(compte(b, o(b, 0)), 0u);
    EXPECT_EQ(ctrl(b)->sensSiConnu(s).sens(), KELSelSens::kEntreSortie);
    EXPECT_EQ(ctrl(a)->sensSiConnu(s).sens(), KELSelSens::kEntree);
    EXPECT_EQ(compte(a, o(a, 1)), 1u);
    EXPECT_EQ(compte(a, o(a, 0)), 0u);

    // Closing the path the selection came up through takes the start away.
    finP(a)->rejeter(ab, s);
    EXPECT_EQ(s->ctrlMDeDepart(), nullptr);
    EXPECT_EQ(ctrl(b)->nbDeChoix(s), 0u);
    for (KELIModel* m : {a, b})
        EXPECT_EQ(ctrl(m)->nbDAttaches(s), 0u);
}

TEST_F(SelectionEngine, AControllerReachedTwiceTakesTheNewDirectionWithoutForwarding)
{
    // a -> b -> c -> d and a -> d: d is reached twice, its outputs told once.
    lier(ab, o(a, 0), o(b, 0));
    lier(bc, o(b, 0), o(c, 0));
    lier(cd, o(c, 0), o(d, 0));
    lier(ad, o(a, 0), o(d, 0));
    for (auto [fin, r] : {std::pair{finP(a), ab}, {finP(b), bc}, {finP(c), cd}, {finP(a), ad}})
        fin->choisir(r, s);
    ctrl(a)->choisir(o(a, 0), s);
    EXPECT_EQ(ctrl(d)->sensSiConnu(s).sens(), KELSelSens::kSortie);
    EXPECT_EQ(compte(d, o(d, 0)), 2u);

    // Open the other way round (b -> a at its parent end): a is reached again from the outputs,
    // takes the value 4 and forwards nothing, so the propagation ends.
    lier(ba, o(b, 0), o(a, 2));
    EXPECT_TRUE(ctrl(b)->siSortieVersCtrlM(ctrl(d), s));
    EXPECT_FALSE(ctrl(d)->siSortieVersCtrlM(ctrl(a), s));
    ctrl(a)->rejeterTous(s);
    finP(b)->choisir(ba, s);
    EXPECT_TRUE(ctrl(b)->siSortieVersCtrlM(ctrl(b), s)) << "a cycle is found, and the search ends";
    ctrl(a)->choisir(o(a, 0), s);
    EXPECT_EQ(ctrl(a)->sensSiConnu(s).sens(), KELSelSens::kSortie);
}

TEST_F(SelectionEngine, ACycleOpenedDirectlyThroughTheEngineEndsAndItsCountsMirror)
{
    lier(ab, o(a, 0), o(b, 0));
    lier(ba, o(b, 0), o(a, 0));
    lier(ba, o(b, 0), o(a, 1));
    finP(a)->choisir(ab, s);
    finP(b)->choisir(ba, s);
    ctrl(a)->choisir(o(a, 0), s);
    EXPECT_GT(compte(b, o(b, 0)), 0u);
    EXPECT_GT(compte(a, o(a, 1)), 0u);
    // A link of the cycle appearing and leaving walks too.
    KELI* l = lier(ab, o(a, 0), o(b, 1));
    EXPECT_EQ(compte(b, o(b, 1)), 1u);
    l->placeOutDate(search->now() - 1, global());
    EXPECT_EQ(compte(b, o(b, 1)), 0u);
    ctrl(a)->rejeter(o(a, 0), s);
    for (KELIModel* m : {a, b})
        EXPECT_EQ(ctrl(m)->nbDAttaches(s), 0u);
    finP(b)->rejeter(ba, s);
    finP(a)->rejeter(ab, s);
}

TEST_F(SelectionEngine, ARelationFromAModelToItselfAttachesBothEndsTowardsOutputsAndNothingTowardsInputs)
{
    lier(aa, o(a, 0), o(a, 1));
    lier(aa, o(a, 1), o(a, 2)); // not followed from o(a, 1): the walk goes no further
    lier(ab, o(a, 1), o(b, 0));
    finP(a)->choisir(aa, s);
    finP(a)->choisir(ab, s);
    ctrl(a)->choisir(o(a, 0), s);
    EXPECT_EQ(compte(a, o(a, 0)), 1u);
    EXPECT_EQ(compte(a, o(a, 1)), 1u);
    EXPECT_EQ(compte(a, o(a, 2)), 0u);
    EXPECT_EQ(compte(b, o(b, 0)), 0u);
    ctrl(a)->rejeterTous(s);

    // Towards inputs: o(a, 1) chosen has a parent through the relation, which is not reached.
    ctrl(a)->choisir(o(a, 1), s);
    EXPECT_EQ(compte(a, o(a, 0)), 0u);
    EXPECT_EQ(compte(a, o(a, 2)), 1u);
    EXPECT_EQ(compte(a, o(a, 1)), 1u + 1u) << "its link in a, and its link in b";
    EXPECT_EQ(compte(b, o(b, 0)), 1u);
    // Links of the self-relation appearing and leaving at the cursor.
    KELI* l = lier(aa, o(a, 1), o(a, 3));
    EXPECT_EQ(compte(a, o(a, 3)), 1u);
    l->placeOutDate(search->now() - 1, global());
    EXPECT_EQ(compte(a, o(a, 3)), 0u);
    lier(aa, o(a, 3), o(a, 1)); // into the choice: walked from its parent only
    EXPECT_EQ(compte(a, o(a, 3)), 0u);
}

TEST_F(SelectionEngine, OpeningAtTheParentEndAttachesAtOnceAndClosingTakesItBack)
{
    lier(ab, o(a, 0), o(b, 0));
    lier(ab, o(a, 0), o(b, 1));
    lier(ab, o(a, 1), o(b, 1));
    lier(ab, o(a, 2), o(b, 2)); // not chosen
    ctrl(a)->choisir(o(a, 0), s);
    ctrl(a)->choisir(o(a, 1), s);
    EXPECT_EQ(ctrl(b)->nbDAttaches(s), 0u);
    finP(a)->choisir(ab, s);
    EXPECT_EQ(compte(a, o(a, 0)), 2u) << "once per link";
    EXPECT_EQ(compte(a, o(a, 1)), 1u);
    EXPECT_EQ(compte(b, o(b, 0)), 1u);
    EXPECT_EQ(compte(b, o(b, 1)), 2u);
    EXPECT_EQ(compte(b, o(b, 2)), 0u);
    EXPECT_EQ(s->nbDansLeGraphe(ctrl(b)), 1u);
    EXPECT_TRUE(ctrl(a)->siSortie(ab->selCtrlRelation(search), s));
    EXPECT_TRUE(ctrl(b)->siEntree(ab->selCtrlRelation(search), s));

    // From the child end the same relation is walked child to parent: with b the start, a is
    // reached from b's choice.
    finP(a)->rejeter(ab, s);
    EXPECT_EQ(ctrl(b)->nbDAttaches(s), 0u);
    EXPECT_EQ(s->nbDansLeGraphe(ctrl(b)), 0u);
    ctrl(b)->choisir(o(b, 1), s);
    finE(b)->choisir(ab, s);
    EXPECT_EQ(compte(a, o(a, 0)), 1u);
    EXPECT_EQ(compte(a, o(a, 1)), 1u);
    EXPECT_EQ(compte(b, o(b, 1)), 2u);
    finE(b)->rejeter(ab, s);
    for (KELIModel* m : {a, b})
        EXPECT_EQ(ctrl(m)->nbDAttaches(s), 0u);
}

TEST_F(SelectionEngine, LinksComingAndGoingAsTheCursorMovesOnAnOpenPath)
{
    const KELDate t = search->now();
    // b0 is reached during [t - 300, t - 100), c0 from b0 during [t - 200, t + 100).
    lier(ab, o(a, 0), o(b, 0), t - 300, t - 100);
    lier(bc, o(b, 0), o(c, 0), t - 200, t + 100);
    lier(cd, o(c, 1), o(d, 0), t - 250); // upstream of nothing chosen
    finP(a)->choisir(ab, s);
    finP(b)->choisir(bc, s);
    ctrl(a)->choisir(o(a, 0), s);
    EXPECT_EQ(compte(c, o(c, 0)), 0u);
    search->decalerCurseur(-150);
    EXPECT_EQ(compte(b, o(b, 0)), 2u);
    EXPECT_EQ(compte(c, o(c, 0)), 1u);
    EXPECT_EQ(finP(b)->nbDAttaches(bc, s), 1u) << "b's end of the relation whose link came";
    search->decalerCurseur(-100);
    EXPECT_EQ(compte(b, o(b, 0)), 1u);
    EXPECT_EQ(compte(c, o(c, 0)), 0u);
    search->decalerCurseur(-100);
    EXPECT_EQ(ctrl(b)->nbDAttaches(s), 0u);
    search->decalerCurseur(350);
    for (KELIModel* m : {b, c, d})
        EXPECT_EQ(ctrl(m)->nbDAttaches(s), 0u);
    EXPECT_EQ(finP(b)->nbDAttaches(s), 0u);
}

TEST_F(SelectionEngine, AControllerDroppedWithItsRepresentationLeavesItsIdsAndNeighbours)
{
    KELI* l = lier(ab, o(a, 0), o(b, 0));
    finP(a)->choisir(ab, s);
    ctrl(b)->choisir(o(b, 0), s);
    KELSelCtrlModel* avant = ctrl(b);
    ASSERT_EQ(s->ctrlMDeDepart(), avant);
    // Back before the models existed: their representations at the cursor go, controllers with
    // them, and the id holds no pointer to them.
    search->decalerCurseur(-(search->now() - t0) - 500);
    EXPECT_EQ(b->representant(search), nullptr);
    EXPECT_EQ(b->selCtrlModel(search), nullptr);
    EXPECT_EQ(s->ctrlMDeDepart(), nullptr);
    EXPECT_EQ(s->ctrlMDeDepartDuGraphe(), nullptr);
    // Forward again: fresh controllers, and the same id chooses anew.
    search->decalerCurseur(t0 + 1000 - search->now());
    ASSERT_NE(KELServeurDeLiens::LienForInt(b->idInt(), search), nullptr);
    for (KELIElemRelation* r : relations())
        r->liens(search);
    ASSERT_NE(ctrl(b), nullptr);
    EXPECT_EQ(ctrl(b)->nbDeChoix(s), 0u);
    ASSERT_NE(KELServeurDeLiens::LienForInt(l->idInt(), search), nullptr);
    ASSERT_EQ(ab->liens(search).size(), 1u);
    finP(a)->choisir(ab, s);
    ctrl(a)->choisir(o(a, 0), s);
    EXPECT_EQ(compte(b, o(b, 0)), 1u);
    EXPECT_EQ(s->ctrlMDeDepart(), ctrl(a));
}

// ---------------------------------------------------------------------------------------------
// The randomized comparison with a fresh walk.

TEST_F(SelectionEngine, RandomActsKeepEveryCountEqualToAFreshWalkOracle)
{
    const unsigned seed = std::getenv("TALLOMER_SELECTION_SEED") ? static_cast<unsigned>(std::atoi(std::getenv("TALLOMER_SELECTION_SEED")))
                                                                 : std::random_device{}();
    SCOPED_TRACE("seed " + std::to_string(seed) + " (TALLOMER_SELECTION_SEED replays it)");
    std::mt19937 rng(seed);
    auto tirer = [&](std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n - 1)(rng); };
    const std::vector<KELIModel*> models{a, b, c, d};
    const std::vector<KELIElemRelation*> rels = relations();
    const KELDate t = search->now();

    struct Lien {
        KELIElemRelation* r;
        KELI *p, *e, *l;
    };
    std::vector<Lien> liens;
    auto modelDe = [&](KELIElemRelation* r, bool parent) {
        return dynamic_cast<KELIModel*>(parent ? r->modelParent(global()) : r->modelEnfant(global()));
    };
    for (int i = 0; i < 40; ++i) {
        KELIElemRelation* r = rels[tirer(rels.size())];
        KELIModel* mp = modelDe(r, true);
        KELIModel* me = modelDe(r, false);
        const KELDate in = t - 400 + static_cast<double>(tirer(800));
        const KELDate out = tirer(4) == 0 ? KELDateOuverte : in + 1 + static_cast<double>(tirer(400));
        KELI* p = objets[mp][tirer(4)];
        KELI* e = objets[me][tirer(4)];
        liens.push_back({r, p, e, lier(r, p, e, in, out)});
    }

    // Paths open, by relation (its place in rels, so that a seed replays) and end.
    struct Ouvert {
        std::size_t i;
        bool finParent;
        auto operator<=>(const Ouvert&) const = default;
    };
    std::set<Ouvert> ouverts;
    const KELSelIdRef id = s;

    auto frais = [&] {
        std::map<std::pair<KELIModel*, KELI*>, std::size_t> compte;
        KELSelCtrlModel* depart = id->ctrlMDeDepart();
        if (!depart)
            return compte;
        KELIModel* ms = nullptr;
        for (KELIModel* m : models)
            if (ctrl(m) == depart)
                ms = m;
        const KELDate maintenant = search->now();
        auto actif = [&](const Lien& l) { return l.l->inDate() <= maintenant && l.l->outDate() > maintenant; };
        std::function<void(KELIModel*, KELI*, bool)> marcher = [&](KELIModel* m, KELI* o, bool sorties) {
            for (auto [i, finParent] : ouverts) {
                KELIElemRelation* r = rels[i];
                KELIModel* mp = modelDe(r, true);
                KELIModel* me = modelDe(r, false);
                KELIModel* source = finParent ? mp : me;
                KELIModel* cible = finParent ? me : mp;
                if ((sorties ? source : cible) != m)
                    continue;
                if (!sorties && mp == me)
                    continue;
                const bool oParent = sorties == finParent;
                for (const Lien& l : liens) {
                    if (l.r != r || !actif(l) || (oParent ? l.p : l.e) != o)
                        continue;
                    ++compte[{mp, l.p}];
                    ++compte[{me, l.e}];
                    if (mp != me)
                        marcher(oParent ? me : mp, oParent ? l.e : l.p, sorties);
                }
            }
        };
        for (KELI* o : depart->choix(id)) {
            marcher(ms, o, true);
            marcher(ms, o, false);
        }
        return compte;
    };

    // Names for the journal: a..d, their objects a0..d3, the relations by their models.
    std::function<std::string(KELI*)> nom = [&](KELI* x) -> std::string {
        for (std::size_t i = 0; i < models.size(); ++i) {
            const std::string m(1, static_cast<char>('a' + i));
            if (x == models[i])
                return m;
            for (std::size_t k = 0; k < 4; ++k)
                if (objets[models[i]][k] == x)
                    return m + std::to_string(k);
        }
        for (KELIElemRelation* r : rels)
            if (x == r)
                return nom(modelDe(r, true)) + nom(modelDe(r, false));
        return std::to_string(x->idInt());
    };
    std::vector<std::string> journal;
    auto verifier = [&](int pas) {
        const auto attendu = frais();
        for (KELIModel* m : models) {
            for (KELI* o : objets[m]) {
                const auto it = attendu.find({m, o});
                const std::size_t n = it == attendu.end() ? 0 : it->second;
                if (ctrl(m)->nbDAttaches(o, id) != n) {
                    std::ostringstream dernier;
                    for (std::size_t i = journal.size() > 12 ? journal.size() - 12 : 0; i < journal.size(); ++i)
                        dernier << "\n  " << journal[i];
                    std::ostringstream etat;
                    etat << "\n start " << (id->ctrlMDeDepart() ? "set" : "none") << ", open:";
                    for (auto [i, fp] : ouverts)
                        etat << " " << nom(rels[i]) << (fp ? "/p" : "/c");
                    for (KELIModel* x : models)
                        etat << " " << nom(x) << "=" << ctrl(x)->sensSiConnu(id).sens();
                    ADD_FAILURE() << etat.str() << "\nstep " << pas << ": " << nom(o) << " counts "
                                  << ctrl(m)->nbDAttaches(o, id) << ", a fresh walk " << n << dernier.str();
                    return false;
                }
            }
            if (m != nullptr && ctrl(m) != id->ctrlMDeDepart() && ctrl(m)->nbDeChoix(id) != 0) {
                ADD_FAILURE() << "step " << pas << ": choices outside the start";
                return false;
            }
        }
        return true;
    };

    for (int pas = 0; pas < 3000; ++pas) {
        const std::size_t acte = tirer(10);
        std::ostringstream quoi;
        if (acte < 3) {
            KELIModel* m = models[tirer(models.size())];
            KELI* o = objets[m][tirer(4)];
            ctrl(m)->choisir(o, id);
            quoi << "choose " << nom(o);
        } else if (acte < 5) {
            KELIModel* m = models[tirer(models.size())];
            KELI* o = objets[m][tirer(4)];
            ctrl(m)->rejeter(o, id);
            quoi << "reject " << nom(o);
        } else if (acte < 7) {
            const std::size_t i = tirer(rels.size());
            KELIElemRelation* r = rels[i];
            const bool finParent = tirer(2) == 0;
            KELIModel* mp = modelDe(r, true);
            KELIModel* me = modelDe(r, false);
            KELSelCtrlModel* source = ctrl(finParent ? mp : me);
            KELSelCtrlModel* cible = ctrl(finParent ? me : mp);
            // As the relation-end columns do: no path whose target already reaches its source.
            if (source == cible ? source->siSortieVersCtrlM(source, id) : (cible->siSortieVersCtrlM(source, id)))
                continue;
            if (ouverts.contains({i, !finParent}))
                continue; // one end at a time per relation
            (finParent ? finP(mp) : finE(me))->choisir(r, id);
            ouverts.insert({i, finParent});
            quoi << "open " << nom(r) << (finParent ? " at its parent" : " at its child");
        } else if (acte < 8 && !ouverts.empty()) {
            auto it = std::next(ouverts.begin(), static_cast<long>(tirer(ouverts.size())));
            auto [i, finParent] = *it;
            KELIElemRelation* r = rels[i];
            (finParent ? finP(modelDe(r, true)) : finE(modelDe(r, false)))->rejeter(r, id);
            ouverts.erase(it);
            quoi << "close " << nom(r);
        } else {
            const double dt = static_cast<double>(tirer(300)) - 150.0 + 0.5;
            const double vers = std::clamp(search->now() + dt, t - 450, t + 450);
            search->decalerCurseur(vers - search->now());
            quoi << "move to t" << (search->now() - t);
        }
        journal.push_back(quoi.str());
        if (!verifier(pas))
            break;
    }

    // Every act undone: nothing attached anywhere, relation ends included.
    for (KELIModel* m : models)
        ctrl(m)->rejeterTous(id);
    for (auto [i, finParent] : ouverts)
        (finParent ? finP(modelDe(rels[i], true)) : finE(modelDe(rels[i], false)))->rejeter(rels[i], id);
    for (KELIModel* m : models) {
        EXPECT_EQ(ctrl(m)->nbDAttaches(id), 0u);
        EXPECT_EQ(finP(m)->nbDAttaches(id), 0u);
        EXPECT_EQ(finE(m)->nbDAttaches(id), 0u);
    }
}

} // namespace
