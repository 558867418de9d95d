// Link mode of the relation-end columns on the template link base: which links each relation kind
// closes and which clicks it refuses, on the parent side and on the child side; where a new link
// ends; what the right-hand column's hooks turn into; and that every refusal changes nothing.

#include "tests/browser/LinkFixture.h"

#include "platform/Keys.h"

#include <QPushButton>

namespace browsertest {
namespace {

using Linking = Linked;
using S = Linked::Stocke;
constexpr double kOuvert = 4503599627370496.0;

TEST_F(Linking, OneToOneOnTheParentSideReplacesTheParentsChildAndRefusesAChildThatHasItsParent)
{
    KELIElemRelation* r = relation(238);
    const double t0 = now();
    lien(r, p1, c1, t0);
    sched.advance(60);
    KELVueDeRel* ends = ouvrirLie(1, r, {p1});
    ASSERT_NE(ends, nullptr);
    EXPECT_EQ(ends->lieMode(), 1);
    EXPECT_TRUE(ends->lieBouton()->isChecked());
    EXPECT_EQ(ends->prochaineVue()->lieMode(), 1);
    EXPECT_FALSE(bouton(ends, QStringLiteral("+"))->isEnabled()) << "no adding while linking";

    const double t = global()->placeToi();
    ends->lierElement(c2, t);
    EXPECT_EQ(stockes(r), (std::vector<S>{{p1->idInt(), c1->idInt(), t0, t}, {p1->idInt(), c2->idInt(), t, kOuvert}}));
    EXPECT_EQ(sound.beeps, 0);

    // p2 alone on the left, and c2 already has its parent: a beep, nothing stored.
    fenetre->premiereVue()->selCtrl()->rejeterTous(fenetre->selIdHl());
    fenetre->premiereVue()->selCtrl()->choisir(p2, fenetre->selIdHl());
    const auto avant = stockes(r);
    ends->lierElement(c2, t);
    EXPECT_EQ(sound.beeps, 1);
    EXPECT_EQ(stockes(r), avant);
    // Two on the left: one to one wants exactly one.
    fenetre->premiereVue()->selCtrl()->choisir(p1, fenetre->selIdHl());
    ends->lierElement(c3, t);
    EXPECT_EQ(sound.beeps, 2);
    EXPECT_EQ(stockes(r), avant);
}

TEST_F(Linking, ManyToOneOnTheParentSideClosesEachParentsLinkAndOneToManyAddsBeside)
{
    KELIElemRelation* r = relation(240);
    const double t0 = now();
    lien(r, p1, c1, t0);
    lien(r, p2, c2, t0);
    sched.advance(60);
    KELVueDeRel* ends = ouvrirLie(1, r, {p1, p2});
    const double t = global()->placeToi();
    ends->lierElement(c3, t);
    EXPECT_EQ(stockes(r), (std::vector<S>{{p1->idInt(), c1->idInt(), t0, t},
                                          {p2->idInt(), c2->idInt(), t0, t},
                                          {p1->idInt(), c3->idInt(), t, kOuvert},
                                          {p2->idInt(), c3->idInt(), t, kOuvert}}));

    // One to many: p1 keeps its children and gains another.
    KELIElemRelation* u = relation(239);
    lien(u, p1, c1, t0);
    KELVueDeRel* e2 = ouvrirLie(1, u, {p1});
    e2->lierElement(c2, t);
    EXPECT_EQ(stockes(u), (std::vector<S>{{p1->idInt(), c1->idInt(), t0, kOuvert}, {p1->idInt(), c2->idInt(), t, kOuvert}}));
    EXPECT_EQ(sound.beeps, 0);
}

TEST_F(Linking, OneToManyOnTheChildSideClosesTheOldParentsOfEveryChosenChild)
{
    KELIElemRelation* r = relation(239);
    const double t0 = now();
    lien(r, p1, c1, t0);
    lien(r, p1, c2, t0);
    sched.advance(60);
    KELVueDeRel* ends = ouvrirLie(2, r, {c1, c2});
    ASSERT_NE(ends, nullptr);
    EXPECT_EQ(ends->lieMode(), 2);
    const double t = global()->placeToi();
    ends->lierElement(p2, t);
    EXPECT_EQ(stockes(r), (std::vector<S>{{p1->idInt(), c1->idInt(), t0, t},
                                          {p1->idInt(), c2->idInt(), t0, t},
                                          {p2->idInt(), c1->idInt(), t, kOuvert},
                                          {p2->idInt(), c2->idInt(), t, kOuvert}}));
    EXPECT_EQ(sound.beeps, 0);
}

TEST_F(Linking, TheKindsThatTakeOneChildRefuseOnTheChildSideAndOneToOneReplacesTheParent)
{
    KELIElemRelation* r = relation(240);
    const double t0 = now();
    lien(r, p1, c1, t0);
    sched.advance(60);
    // Many to one, child side: p1 already has its one child.
    KELVueDeRel* ends = ouvrirLie(2, r, {c2});
    const double t = global()->placeToi();
    ends->lierElement(p1, t);
    EXPECT_EQ(sound.beeps, 1);
    ends->lierElement(p2, t);
    EXPECT_EQ(stockes(r), (std::vector<S>{{p1->idInt(), c1->idInt(), t0, kOuvert}, {p2->idInt(), c2->idInt(), t, kOuvert}}));

    // One to one, child side: c1's old parent lets go, p2 takes it.
    KELIElemRelation* u = relation(238);
    lien(u, p1, c1, t0);
    KELVueDeRel* e2 = ouvrirLie(2, u, {c1});
    e2->lierElement(p2, t);
    EXPECT_EQ(stockes(u), (std::vector<S>{{p1->idInt(), c1->idInt(), t0, t}, {p2->idInt(), c1->idInt(), t, kOuvert}}));
    EXPECT_EQ(sound.beeps, 1);
}

TEST_F(Linking, ANewLinkEndsWhereTheParentsNextLinkBeginsOrWithTheChildOrTheParent)
{
    KELIElemRelation* r = relation(241);
    const double t = now() + 60;
    const double t2 = t + 3600;
    // A later link of p1 in r, stored ahead of time.
    lien(r, p1, c3, t2, t2 + 10);
    sched.advance(60);
    KELVueDeRel* ends = ouvrirLie(1, r, {p1});
    ASSERT_DOUBLE_EQ(global()->placeToi(), t);
    ends->lierElement(c1, t);
    auto v = stockes(r);
    ASSERT_EQ(v.size(), 2u);
    EXPECT_EQ(v[1], (S{p1->idInt(), c1->idInt(), t, t2}));

    // p2 has no later link: its link ends with the child, else with the parent (parent side), else open.
    c2->placeOutDate(t + 500, global());
    p2->placeOutDate(t + 700, global());
    KELVueDeRel* e2 = ouvrirLie(1, r, {p2});
    e2->lierElement(c2, t);
    e2->lierElement(c1, t);
    v = stockes(r);
    ASSERT_EQ(v.size(), 4u);
    EXPECT_EQ(v[2], (S{p2->idInt(), c2->idInt(), t, t + 500}));
    EXPECT_EQ(v[3], (S{p2->idInt(), c1->idInt(), t, t + 700}));
    // The child side does not lower the end to the parent's: p2 -> c3 stays open.
    KELVueDeRel* e3 = ouvrirLie(2, r, {c3});
    e3->lierElement(p2, t);
    v = stockes(r);
    ASSERT_EQ(v.size(), 5u);
    EXPECT_DOUBLE_EQ(v[4].out, kOuvert);
    EXPECT_EQ(sound.beeps, 0);
}

TEST_F(Linking, UnknownKindsAreSilentAndARelationNotAliveBeepsBoth)
{
    KELIElemRelation* r = relation(246);
    sched.advance(60);
    KELVueDeRel* ends = ouvrirLie(1, r, {p1});
    const double t = global()->placeToi();
    ends->lierElement(c1, t);
    EXPECT_TRUE(stockes(r).empty());
    EXPECT_EQ(sound.beeps, 0);

    KELIElemRelation* u = relation(241);
    lien(u, p1, c1, now() - 10);
    KELVueDeRel* e2 = ouvrirLie(1, u, {p1});
    const auto avant = stockes(u);
    // The relation was made before the moment; asked at a moment before it was made, it is not alive.
    e2->lierElement(c2, u->inDate() - 1);
    e2->delierElement(c1, u->inDate() - 1);
    EXPECT_EQ(sound.beeps, 2);
    EXPECT_EQ(stockes(u), avant);
}

TEST_F(Linking, TheRightColumnsHooksLinkAClickUnlinkACommandClickOnAnAttachedElement)
{
    KELIElemRelation* r = relation(241);
    sched.advance(60);
    KELVueDeRel* ends = ouvrirLie(1, r, {p1});
    KELVueDe* droite = ends->prochaineVue();
    ASSERT_NE(droite, nullptr);
    const auto& hl = fenetre->selIdHl();
    const double t = now();
    droite->choisir(c1, 0, hl, true);
    ASSERT_EQ(stockes(r).size(), 1u);
    EXPECT_TRUE(droite->selCtrl()->siAttache(c1, hl)) << "reached from p1 through r";
    EXPECT_FALSE(droite->selCtrl()->siChoisit(c1, hl)) << "link mode chooses nothing";

    // Attached, without Command: nothing; with Command: p1 -> c1 closes at the moment.
    sched.advance(30);
    droite->choisir(c1, 0, hl, true);
    EXPECT_EQ(stockes(r).size(), 1u);
    EXPECT_DOUBLE_EQ(stockes(r)[0].out, kOuvert);
    droite->choisir(c1, keys::kCommandFlag, hl, true);
    EXPECT_DOUBLE_EQ(stockes(r)[0].in, t);
    EXPECT_DOUBLE_EQ(stockes(r)[0].out, now());

    // Dragging back: over an unattached element only Command links.
    droite->rejeter(c2, 0, hl);
    EXPECT_EQ(stockes(r).size(), 1u);
    droite->rejeter(c2, keys::kCommandFlag, hl);
    EXPECT_EQ(stockes(r).size(), 2u);
    sched.advance(30);
    droite->rejeter(c2, 0, hl);
    EXPECT_DOUBLE_EQ(stockes(r)[1].out, now());
    EXPECT_EQ(sound.beeps, 0);
}

TEST_F(Linking, ClosingALinkMadeAtTheSameMomentEndsAndLeavesOnlyTheNewLink)
{
    // Two clicks at one moment under many to one: the first link closes where it began.
    KELIElemRelation* r = relation(240);
    KELVueDeRel* ends = ouvrirLie(1, r, {p1});
    const double t = global()->placeToi();
    ends->lierElement(c1, t);
    ends->lierElement(c2, t);
    const auto v = stockes(r);
    ASSERT_EQ(v.size(), 2u);
    EXPECT_DOUBLE_EQ(v[0].out, t);
    EXPECT_DOUBLE_EQ(v[1].out, kOuvert);
    const auto* vivants = r->liensDuParent(p1, global());
    ASSERT_NE(vivants, nullptr);
    EXPECT_EQ(vivants->size(), 1u);
}

TEST_F(Linking, TheLierButtonWantsAChoiceOnTheLeftAndOneRelationThatIsNotTheMembership)
{
    KELIElemRelation* r = relation(241);
    KELVueDeRel* ends = ouvrirLie(1, r, {}, false);
    EXPECT_FALSE(ends->lieBouton()->isEnabled());
    fenetre->premiereVue()->selCtrl()->choisir(p1, fenetre->selIdHl());
    fenetre->premiereVue()->acheverChoix(fenetre->selIdHl());
    EXPECT_TRUE(ends->lieBouton()->isEnabled());
    EXPECT_FALSE(ends->lieBouton()->isChecked());
    ends->changerLieMode();
    EXPECT_TRUE(ends->lieBouton()->isChecked());
    EXPECT_FALSE(ends->siPermetChoixVide());
    // The membership relation chosen instead: the button goes off, the right column leaves link mode.
    KELIElemRelation* mc = static_cast<KELIModel*>(P)->relationMC(global());
    ends->choisir(mc, 0, fenetre->selIdHl(), true);
    ends->acheverChoix(fenetre->selIdHl());
    EXPECT_FALSE(ends->lieBouton()->isEnabled());
    EXPECT_FALSE(ends->lieBouton()->isChecked());
    ASSERT_NE(ends->prochaineVue(), nullptr);
    EXPECT_EQ(ends->prochaineVue()->lieMode(), 0);
    EXPECT_EQ(ends->lieMode(), 1) << "the column keeps its own mode";
}

} // namespace
} // namespace browsertest
