// Model columns, relation-end columns and the relations column on the template link base: table
// columns that follow the model's relations live, titles that change without the rows being read
// again, the cell and header texts, the cursor column's play button, the choose rules of the
// relation ends, and the columns a second click opens and closes.

#include "tests/browser/LinkFixture.h"

#include "browser/KELVueDeRelation.h"
#include "engine/KELElements.h"
#include "platform/Keys.h"

#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>

namespace browsertest {
namespace {

using ModelColumns = Linked;
using RelationEnds = Linked;

KELVueDeModel* colonne(KELVueController* w) { return w ? dynamic_cast<KELVueDeModel*>(w->premiereVue()) : nullptr; }

TEST_F(ModelColumns, ARelationComingIntoViewAddsATableColumnAndItsDisappearanceRemovesIt)
{
    KELVueDeModel* v = colonne(ouvrir(P->idInt()));
    ASSERT_NE(v, nullptr);
    // A new model has its membership relation only: one narrow column of ids.
    ASSERT_EQ(v->relationsDesColonnes().size(), 1u);
    EXPECT_EQ(v->colonnes()[0].largeur, KELVueDeModel::kLargeurMC);
    EXPECT_EQ(v->valeur(p1, QString::number(v->relationsDesColonnes()[0]->idInt())).toString(),
              QString::fromStdString(p1->idTxt()));

    KELIElemRelation* r = relation(241);
    ASSERT_EQ(v->relationsDesColonnes().size(), 2u);
    EXPECT_EQ(v->relationsDesColonnes()[1], r);
    EXPECT_EQ(v->colonnes()[0].largeur, KELVueDeModel::kLargeurMC) << "fewer than two: back to 30";
    // Shown at least that wide, and wider where its ids would be cut.
    EXPECT_EQ(v->headerView()->sectionSize(0), v->largeurLisible(v->colonnes()[0]));
    EXPECT_GE(v->headerView()->sectionSize(0), KELVueDeModel::kLargeurMC);
    EXPECT_EQ(global()->nbDeDelegues(r->idInt()), 1u);
    KELIElemRelation* r2 = relation(241);
    ASSERT_EQ(v->relationsDesColonnes().size(), 3u);
    EXPECT_EQ(v->colonnes()[1].largeur, KELVueDeModel::kLargeurRelation) << "the former last one";
    EXPECT_EQ(v->headerView()->sectionSize(1), v->largeurLisible(v->colonnes()[1]));

    wake<KELIModel>(kel::kModelDesRelations)->enleverLaRelation(r, global());
    ASSERT_EQ(v->relationsDesColonnes().size(), 2u);
    EXPECT_EQ(v->relationsDesColonnes()[1], r2);
    EXPECT_EQ(global()->nbDeDelegues(r->idInt()), 0u);

    // The window goes: the link base keeps none of its columns.
    KELVueController::ouvertes().back()->close();
    EXPECT_EQ(global()->nbDeDelegues(P->idInt()), 0u);
    EXPECT_EQ(global()->nbDeDelegues(r2->idInt()), 0u);
    relation(241);
}

TEST_F(ModelColumns, ANewNameOrChildModelRetitlesWithoutReadingTheRowsAgain)
{
    KELIElemRelation* r = relation(241);
    KELVueDeModel* v = colonne(ouvrir(P->idInt()));
    const auto titre = [v](int i) { return v->colonnes()[std::size_t(i)].titre; };
    EXPECT_EQ(titre(1), QStringLiteral("Ce")) << "no name: the child model's";
    QSignalSpy resets(v->tableView()->model(), &QAbstractItemModel::modelReset);
    QSignalSpy titres(v->tableView()->model(), &QAbstractItemModel::headerDataChanged);
    KELServeurDeLiens::CreerLienRelInt(kel::kRelNom, r, mot("ami"), now(), KELDateOuverte, global());
    EXPECT_EQ(titre(1), QStringLiteral("ami"));
    EXPECT_EQ(resets.count(), 0);
    EXPECT_GE(titres.count(), 1);

    // Neither name nor child model: "?".
    auto* nu = dynamic_cast<KELIElemRelation*>(
        wake<KELIModel>(kel::kModelDesRelations)->ajouterUneRelationParentAuModel(static_cast<KELIModel*>(P), global()));
    ASSERT_NE(nu, nullptr);
    EXPECT_EQ(titre(2), QStringLiteral("?"));
}

TEST_F(ModelColumns, CellsAndHeadersCountChildrenAndMembers)
{
    KELIElemRelation* r = relation(241);
    for (KELI* c : {c1, c2, c3})
        lien(r, p1, c, now());
    KELVueDeModel* v = colonne(ouvrir(P->idInt()));
    const QString id = QString::number(r->idInt());
    EXPECT_EQ(v->valeur(p1, id).toString(), QStringLiteral("3 El."));
    EXPECT_EQ(v->valeur(p2, id).toString(), QString());
    EXPECT_EQ(v->valeur(nullptr, id).toString(), QStringLiteral("Erreur"));
    // A word child shows its name.
    KELIElemRelation* nomme = relation(238, P, wake(kel::kModelMot));
    lien(nomme, p2, mot("tulipe"), now());
    EXPECT_EQ(v->valeur(p2, QString::number(nomme->idInt())).toString(), QStringLiteral("tulipe"));

    EXPECT_EQ(v->entete()->text(), QStringLiteral("2 Pes"));
    KELVueDeModel* c = colonne(ouvrir(model("Solo")->idInt()));
    membre(c->model());
    c->recharger();
    EXPECT_EQ(c->entete()->text(), QStringLiteral("1 Solo"));
}

TEST_F(ModelColumns, ASecondClickOnAnUnchangedChoiceOpensTheParentRelationsAndAThirdClosesThem)
{
    KELVueController* w = ouvrir(P->idInt());
    KELVueDeModel* v = colonne(w);
    const KELSelIdRef& hl = w->selIdHl();
    v->debuterChoix(hl);
    v->choisir(p1, 0, hl, true);
    v->simpleClick(0, 0);
    EXPECT_EQ(w->vues().size(), 1u);
    v->debuterChoix(hl);
    v->choisir(p1, 0, hl, true);
    v->simpleClick(0, 0);
    ASSERT_EQ(w->vues().size(), 2u);
    EXPECT_NE(dynamic_cast<KELVueDeRelParent*>(v->prochaineVue()), nullptr);
    EXPECT_TRUE(bouton(v, QStringLiteral(">"))->isChecked());
    v->debuterChoix(hl);
    v->choisir(p1, 0, hl, true);
    v->simpleClick(0, 0);
    EXPECT_EQ(w->vues().size(), 1u);
    EXPECT_FALSE(bouton(v, QStringLiteral(">"))->isChecked());

    // "<" opens the child relations instead.
    bouton(v, QStringLiteral("<"))->click();
    ASSERT_EQ(w->vues().size(), 2u);
    EXPECT_NE(dynamic_cast<KELVueDeRelEnfant*>(v->prochaineVue()), nullptr);
}

TEST_F(ModelColumns, AValueColumnsSecondClickOpensItsChildRelationsAndTheirModel)
{
    KELVueController* w = ouvrir(kel::kModelMot);
    KELVueDe* v = w->premiereVue();
    const KELSelIdRef& hl = w->selIdHl();
    KELI* nom = wake(48);
    for (int i = 0; i < 2; ++i) {
        v->debuterChoix(hl);
        v->choisir(nom, 0, hl, true);
        v->simpleClick(0, 0);
    }
    auto* ends = dynamic_cast<KELVueDeRelEnfant*>(v->prochaineVue());
    ASSERT_NE(ends, nullptr);
    EXPECT_TRUE(bouton(v, QStringLiteral("<"))->isChecked());
    // The relation naming the models (24) comes in from the model of models.
    ends->choisir(wake(24), 0, hl, true);
    ASSERT_NE(ends->prochaineVue(), nullptr);
    EXPECT_EQ(ends->prochaineVue()->modelInt(), kel::kModelDesModels);
    bouton(v, QStringLiteral(">"))->click();
    EXPECT_NE(dynamic_cast<KELVueDeRelParent*>(v->prochaineVue()), nullptr);
    EXPECT_FALSE(bouton(v, QStringLiteral("<"))->isChecked());
    EXPECT_EQ(w->vues().size(), 2u);
}

TEST_F(ModelColumns, OpenAndRemoveActOnTheChosenMembers)
{
    KELVueController* w = ouvrir(kel::kModelDesModels);
    KELVueDeModel* v = colonne(w);
    bouton(v, QStringLiteral("O"))->click();
    EXPECT_EQ(sound.beeps, 1) << "nothing chosen";
    v->selCtrl()->choisir(P, w->selIdHl());
    v->selCtrl()->choisir(C, w->selIdHl());
    const std::size_t avant = KELVueController::ouvertes().size();
    bouton(v, QStringLiteral("O"))->click();
    EXPECT_EQ(KELVueController::ouvertes().size(), avant + 2);

    KELI* nouveau = v->ajouterUnElement();
    ASSERT_NE(nouveau, nullptr);
    EXPECT_NE(std::find(v->lignes().begin(), v->lignes().end(), nouveau), v->lignes().end());
    v->selCtrl()->rejeterTous(w->selIdHl());
    v->selCtrl()->choisir(nouveau, w->selIdHl());
    bouton(v, QStringLiteral("-"))->click();
    EXPECT_EQ(std::find(v->lignes().begin(), v->lignes().end(), nouveau), v->lignes().end());
    EXPECT_EQ(v->selCtrl()->nbDeChoix(w->selIdHl()), 0u);

    // The context model's members cannot be removed by the link base: a beep, the choice kept.
    KELVueController* wc = ouvrir(kel::kModelContexte);
    KELVueDeModel* vc = colonne(wc);
    ASSERT_FALSE(vc->lignes().empty());
    vc->selCtrl()->choisir(vc->lignes().front(), wc->selIdHl());
    const int beeps = sound.beeps;
    bouton(vc, QStringLiteral("-"))->click();
    EXPECT_EQ(sound.beeps, beeps + 1);
    EXPECT_EQ(vc->selCtrl()->nbDeChoix(wc->selIdHl()), 1u);
}

TEST_F(ModelColumns, ThePlayButtonFollowsTheOneChosenCursorAndCommandSwapsItsReference)
{
    KELVueController* w = ouvrir(kel::kModelCurseur);
    auto* v = dynamic_cast<KELVueDeModelCurseur*>(w->premiereVue());
    ASSERT_NE(v, nullptr);
    EXPECT_FALSE(v->playStopBouton()->isEnabled());
    KELI* e = wake(269);
    v->selCtrl()->choisir(e, w->selIdHl());
    v->acheverChoix(w->selIdHl());
    EXPECT_TRUE(v->playStopBouton()->isEnabled());
    EXPECT_TRUE(v->playStopBouton()->isChecked()) << "relative to real time";
    const auto mobilite = [&] {
        std::vector<std::string> chemin{"Mobilite", "Nom"};
        return kelValueTxt(e->baseSelonLesRelations(chemin, global()));
    };
    ASSERT_EQ(mobilite(), "relative_tr");

    // Off with Command: the reference swaps and the button stays on.
    v->playStopBouton()->setChecked(false);
    v->playStopCurseur(false, keys::kCommandFlag);
    EXPECT_EQ(mobilite(), "relative_cs");
    EXPECT_TRUE(v->playStopBouton()->isChecked());
    v->playStopBouton()->setChecked(false);
    v->playStopCurseur(false, keys::kCommandFlag);
    EXPECT_EQ(mobilite(), "relative_tr");
    // Off: fixed; on with Command: real time.
    v->playStopCurseur(false, 0);
    EXPECT_EQ(mobilite(), "fixe");
    v->acheverChoix(w->selIdHl());
    EXPECT_FALSE(v->playStopBouton()->isChecked());
    v->playStopCurseur(true, keys::kCommandFlag);
    EXPECT_EQ(mobilite(), "relative_tr");

    // "-" beeps: cursor elements are never removed here.
    const int beeps = sound.beeps;
    bouton(v, QStringLiteral("-"))->click();
    EXPECT_EQ(sound.beeps, beeps + 1);
}

TEST_F(RelationEnds, HeadersReadTheKindAndTheCount)
{
    KELIElemRelation* r = relation(241);
    KELIElemRelation* r2 = relation(0);
    KELVueDeRel* ends = ouvrirLie(1, r, {p1}, false);
    ASSERT_NE(ends, nullptr);
    const auto n = ends->lignes().size();
    ASSERT_EQ(n, 3u) << "membership, r and r2";
    EXPECT_EQ(ends->entete()->text(), QStringLiteral(">>-----3 RP----->>"));
    ends->choisir(r2, 0, fenetre->selIdHl(), true);
    EXPECT_EQ(ends->entete()->text(), QStringLiteral("?>>----3 RP----->?"));
    ends->choisir(r, keys::kCommandFlag, fenetre->selIdHl(), true);
    EXPECT_EQ(ends->selCtrl()->nbDeChoix(fenetre->selIdHl()), 2u);
    EXPECT_EQ(ends->entete()->text(), QStringLiteral("-------3 RP------>"));
    EXPECT_EQ(ends->valeur(r, QStringLiteral("3")).toString(), QStringLiteral("Ce"));
    EXPECT_EQ(ends->valeur(r, QStringLiteral("2")).toString(), QString()) << "no name word";

    // The child side of C: r comes in from P.
    KELVueDeRel* e2 = ouvrirLie(2, r, {c1}, false);
    EXPECT_EQ(e2->entete()->text(), QStringLiteral("<<-----2 RE----<<"));
    EXPECT_EQ(e2->valeur(r, QStringLiteral("3")).toString(), QStringLiteral("Pe"));
}

TEST_F(RelationEnds, TheChosenRelationClickedAgainReopensTheNextColumnAndWithCommandClosesIt)
{
    KELIElemRelation* r = relation(241);
    KELVueDeRel* ends = ouvrirLie(1, r, {p1}, false);
    const KELSelIdRef& hl = fenetre->selIdHl();
    ASSERT_EQ(fenetre->vues().size(), 3u);
    EXPECT_EQ(ends->prochaineVue()->modelInt(), C->idInt());
    ends->choisir(r, 0, hl, true);
    ASSERT_EQ(fenetre->vues().size(), 3u);
    EXPECT_EQ(ends->prochaineVue(), fenetre->vues()[2].get());
    EXPECT_EQ(ends->prochaineVue()->modelInt(), C->idInt());
    ends->choisir(r, keys::kCommandFlag, hl, true);
    EXPECT_EQ(fenetre->vues().size(), 2u);
    EXPECT_FALSE(ends->selCtrl()->siChoisit(r, hl));
    EXPECT_EQ(ends->prochaineVue(), nullptr);

    // "L" shows r's links under the list.
    lien(r, p1, c2, now());
    ends->choisir(r, 0, hl, true);
    bouton(ends, QStringLiteral("L"))->click();
    ASSERT_NE(ends->liensViewer(), nullptr);
    ends->liensViewer()->recharger();
    ASSERT_EQ(ends->liensViewer()->lignes().size(), 1u);
    EXPECT_EQ(ends->liensViewer()->valeur(ends->liensViewer()->lignes()[0], QStringLiteral("2")).toULongLong(),
              c2->idInt());
    bouton(ends, QStringLiteral("L"))->click();
    EXPECT_EQ(ends->liensViewer(), nullptr);
}

TEST_F(RelationEnds, PlusAddsARelationAtThisEndAndOOpensTheModelOfRelationsOnTheChosenOne)
{
    KELIElemRelation* r = relation(241);
    KELVueDeRel* ends = ouvrirLie(1, r, {p1}, false);
    const std::size_t avant = ends->lignes().size();
    bouton(ends, QStringLiteral("+"))->click();
    EXPECT_EQ(ends->lignes().size(), avant + 1);
    EXPECT_EQ(ends->prochaineVue(), nullptr) << "the column on the right goes";

    const std::size_t fenetres = KELVueController::ouvertes().size();
    bouton(ends, QStringLiteral("O"))->click();
    ASSERT_EQ(KELVueController::ouvertes().size(), fenetres + 1);
    KELVueController* w = KELVueController::ouvertes().back();
    auto* relations = dynamic_cast<KELVueDeModelRelation*>(w->premiereVue());
    ASSERT_NE(relations, nullptr);
    EXPECT_TRUE(relations->selCtrl()->siChoisit(r, w->selIdHl()));
    EXPECT_NE(w->selection(), fenetre->selection());
}

TEST_F(RelationEnds, ARelationBackToAModelThatFeedsTheChoiceBeeps)
{
    KELIElemRelation* r = relation(241);
    KELIElemRelation* retour = relation(241, C, P);
    KELVueDeRel* ends = ouvrirLie(1, r, {p1}, false);
    KELVueDe* colonneC = ends->prochaineVue();
    ASSERT_NE(colonneC, nullptr);
    colonneC->montrerRelParents(true);
    auto* ends2 = dynamic_cast<KELVueDeRel*>(colonneC->prochaineVue());
    ASSERT_NE(ends2, nullptr);
    ends2->choisir(retour, 0, fenetre->selIdHl(), true);
    EXPECT_EQ(sound.beeps, 1);
    EXPECT_FALSE(ends2->selCtrl()->siChoisit(retour, fenetre->selIdHl()));
    EXPECT_EQ(ends2->prochaineVue(), nullptr);
}

TEST_F(RelationEnds, TheRelationsColumnChoosesItsLinksAndOpensTheirEnds)
{
    KELIElemRelation* r = relation(241, nullptr, nullptr, "ami");
    KELI* l1 = lien(r, p1, c1, now());
    lien(r, p2, c2, now());
    KELVueController* w = ouvrir(r->idInt());
    auto* v = dynamic_cast<KELVueDeRelation*>(w->premiereVue());
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(v->entete()->text(), QStringLiteral("2 Liens (ami)"));
    const KELSelIdRef& hl = w->selIdHl();
    bouton(v, QStringLiteral("E"))->click();
    EXPECT_EQ(w->vues().size(), 1u) << "no link chosen yet";
    v->debuterChoix(hl);
    v->choisir(l1, 0, hl, true);
    v->simpleClick(0, 0);
    ASSERT_EQ(w->vues().size(), 2u);
    EXPECT_EQ(w->vues()[1]->modelInt(), c1->relationInt()) << "c1's membership relation";
    bouton(v, QStringLiteral("P"))->click();
    ASSERT_EQ(w->vues().size(), 2u);
    EXPECT_EQ(w->vues()[1]->modelInt(), p1->relationInt());
    EXPECT_FALSE(bouton(v, QStringLiteral("E"))->isChecked());
    // Command takes the link back: nothing chosen, the next column goes.
    v->debuterChoix(hl);
    v->choisir(l1, keys::kCommandFlag, hl, true);
    v->simpleClick(0, keys::kCommandFlag);
    EXPECT_EQ(w->vues().size(), 1u);
}

} // namespace
} // namespace browsertest
