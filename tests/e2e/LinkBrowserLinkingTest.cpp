// Linking through time in the link base browser of the running program: started with
// --link-browser 1 on a store that holds two models P and C, P's members and C's, and a one to one
// relation R from P to C, a person opens P's window, its relation ends and C's column with clicks
// only, turns "Lier" on, and links and unlinks p and C's members at the cursor's moment; the store
// holds each link as it is made or closed. Closing the window by its title bar leaves no column
// for the link base to call.

#include "tests/e2e/LinkBrowserFixture.h"

#include "browser/GUIWidgets.h"
#include "browser/KELVueController.h"
#include "browser/KELVueDeModel.h"
#include "browser/KELVueDeRel.h"
#include "engine/KELICurseur.h"
#include "engine/KELModels.h"
#include "engine/KELServeurDeLiens.h"
#include "platform/sound/Sound.h"

#include <QHeaderView>
#include <QLabel>
#include <QScrollBar>
#include <QPushButton>
#include <QTest>

namespace e2e {
namespace {

class LinkBrowserLinking : public LinkBrowserE2E {
protected:
    KELI* word(const std::string& text)
    {
        return wake<KELIModelMot>(kel::kModelMot)->ajouterLeMot(text, global());
    }
    KELI* model(const std::string& name)
    {
        KELI* m = wake<KELIModel>(kel::kModelDesModels)->ajouterUnModel(global());
        KELServeurDeLiens::CreerLienRelInt(24, m, word(name), clock.now(), KELDateOuverte, global());
        return m;
    }

    // The store of the user who made P, C and R a while ago, in a first run of the program.
    void seed()
    {
        start();
        P = model("Pe");
        C = model("Ce");
        p = static_cast<KELIModel*>(P)->ajouterUnElement(global());
        c1 = static_cast<KELIModel*>(C)->ajouterUnElement(global());
        c2 = static_cast<KELIModel*>(C)->ajouterUnElement(global());
        auto* relations = wake<KELIModel>(kel::kModelDesRelations);
        R = relations->ajouterUneRelationParentAuModel(static_cast<KELIModel*>(P), global());
        KELServeurDeLiens::CreerLienRelInt(kel::kRelModelEnfant, R, C, clock.now(), KELDateOuverte, global());
        KELServeurDeLiens::CreerLienRelInt(kel::kRelNom, R, word("Erre"), clock.now(), KELDateOuverte, global());
        KELServeurDeLiens::CreerLienRelInt(kel::kRelCardinalite, R, wake(238), clock.now(), KELDateOuverte, global());
        ids = {P->idInt(), C->idInt(), p->idInt(), c1->idInt(), c2->idInt(), R->idInt()};
        quit();
        advance(600);
    }

    // From the models window a person opens P's own window ("O"), clicks p twice for P's
    // relation ends, chooses R for C's column and turns "Lier" on.
    struct LinkMode {
        KELVueController* window = nullptr;
        KELVueDeRelParent* ends = nullptr;
        KELVueDe* right = nullptr;
    };
    void openLinkMode(KELVueDeModel* models, LinkMode& m)
    {
        clickRow(models, ids[0]);
        clickButton(models, QStringLiteral("O"));
        ASSERT_EQ(windows().size(), 2u);
        m.window = windows().back();
        KELVueDe* columnP = m.window->premiereVue();
        clickRow(columnP, ids[2]);
        clickRow(columnP, ids[2]);
        ASSERT_EQ(m.window->vues().size(), 2u);
        m.ends = dynamic_cast<KELVueDeRelParent*>(m.window->vues()[1].get());
        ASSERT_NE(m.ends, nullptr);
        clickRow(m.ends, ids[5]);
        ASSERT_EQ(m.window->vues().size(), 3u);
        m.right = m.window->vues()[2].get();
        clickButton(m.ends, QStringLiteral("Lier"));
        ASSERT_EQ(m.right->lieMode(), 1);
    }

    Rows links(KELId child) const
    {
        return sql(database(), "SELECT DATE_IN, DATE_OUT FROM ZEVLETS WHERE RELATION = " + std::to_string(ids[5]) +
                                   " AND PARENT_ZEVLET = " + std::to_string(ids[2]) +
                                   " AND CHILD_ZEVLET = " + std::to_string(child) + " ORDER BY DATE_IN");
    }

    KELI *P = nullptr, *C = nullptr, *p = nullptr, *c1 = nullptr, *c2 = nullptr, *R = nullptr;
    std::vector<KELId> ids;
};

TEST_F(LinkBrowserLinking, APersonLinksAndUnlinksThroughTimeWithClicksAndTheStoreKeepsEachLink)
{
    seed();
    start({QStringLiteral("--link-browser"), QStringLiteral("1")});
    ASSERT_EQ(windows().size(), 1u);
    auto* models = dynamic_cast<KELVueDeModel*>(windows().front()->premiereVue());
    ASSERT_NE(models, nullptr);
    const KELId idP = ids[0], idC = ids[1], idp = ids[2], idc1 = ids[3], idc2 = ids[4], idR = ids[5];

    // P chosen and "O": P's own window.
    clickRow(models, idP);
    clickButton(models, QStringLiteral("O"));
    ASSERT_EQ(windows().size(), 2u);
    KELVueController* wP = windows().back();
    auto* columnP = dynamic_cast<KELVueDeModelLien*>(wP->premiereVue());
    ASSERT_NE(columnP, nullptr);
    EXPECT_EQ(columnP->modelInt(), idP);
    EXPECT_EQ(columnP->entete()->text(), QStringLiteral("1 Pe"));

    // p clicked twice: P's parent-relation column.
    clickRow(columnP, idp);
    EXPECT_EQ(wP->vues().size(), 1u) << "the first click only chooses";
    clickRow(columnP, idp);
    ASSERT_EQ(wP->vues().size(), 2u);
    auto* ends = dynamic_cast<KELVueDeRelParent*>(wP->vues()[1].get());
    ASSERT_NE(ends, nullptr);

    // R chosen: C's column on the right, and "Lier" can be turned on.
    clickRow(ends, idR);
    ASSERT_EQ(wP->vues().size(), 3u);
    auto* columnC = dynamic_cast<KELVueDeModelLien*>(wP->vues()[2].get());
    ASSERT_NE(columnC, nullptr);
    EXPECT_EQ(columnC->modelInt(), idC);
    EXPECT_EQ(ends->entete()->text(), QStringLiteral(">------%1 RP------>").arg(ends->lignes().size()));
    clickButton(ends, QStringLiteral("Lier"));
    EXPECT_TRUE(ends->lieBouton()->isChecked());
    EXPECT_EQ(columnC->lieMode(), 1);

    // A click on c1: p -> c1 of R from the cursor's moment on.
    const int beeps = sound.beeps;
    const double t1 = clock.now();
    clickRow(columnC, idc1);
    Rows l1 = links(idc1);
    ASSERT_EQ(l1.size(), 1u);
    EXPECT_DOUBLE_EQ(std::stod(l1.at(0, 0)), t1);
    EXPECT_DOUBLE_EQ(std::stod(l1.at(0, 1)), KELDateOuverte);
    EXPECT_FALSE(columnC->selCtrl()->siChoisit(wake(idc1), wP->selIdHl())) << "link mode chooses nothing";

    // A click on c2 a minute later: one to one, so p -> c1 closes there and p -> c2 starts.
    advance(60);
    const double t2 = clock.now();
    clickRow(columnC, idc2);
    l1 = links(idc1);
    ASSERT_EQ(l1.size(), 1u);
    EXPECT_DOUBLE_EQ(std::stod(l1.at(0, 1)), t2);
    Rows l2 = links(idc2);
    ASSERT_EQ(l2.size(), 1u);
    EXPECT_DOUBLE_EQ(std::stod(l2.at(0, 0)), t2);
    EXPECT_DOUBLE_EQ(std::stod(l2.at(0, 1)), KELDateOuverte);

    // Ctrl-click on c2, now reached from p: it closes.
    advance(60);
    const double t3 = clock.now();
    clickRow(columnC, idc2, Qt::ControlModifier);
    l2 = links(idc2);
    ASSERT_EQ(l2.size(), 1u);
    EXPECT_DOUBLE_EQ(std::stod(l2.at(0, 1)), t3);
    EXPECT_EQ(sound.beeps, beeps) << "nothing was refused";

    // Closed by its title bar: no column of it stays registered, and a new relation of P at the
    // cursor reaches none.
    wP->close();
    pump();
    ASSERT_EQ(windows().size(), 1u);
    EXPECT_EQ(global()->nbDeDelegues(idP), 0u);
    EXPECT_EQ(global()->nbDeDelegues(idR), 0u);
    auto* relations = wake<KELIModel>(kel::kModelDesRelations);
    EXPECT_NE(relations->ajouterUneRelationParentAuModel(wake<KELIModel>(idP), global()), nullptr);
    pump();
    EXPECT_EQ(windows().front()->premiereVue(), models);
}

TEST_F(LinkBrowserLinking, TheLinksPaneShowsEachLinksChildIdOrScrollsToIt)
{
    seed();
    start({QStringLiteral("--link-browser"), QStringLiteral("1")});
    ASSERT_EQ(windows().size(), 1u);
    auto* models = dynamic_cast<KELVueDeModel*>(windows().front()->premiereVue());
    ASSERT_NE(models, nullptr);
    const KELId idc1 = ids[3];
    LinkMode m;
    openLinkMode(models, m);
    if (HasFatalFailure())
        return;
    KELVueDeRelParent* ends = m.ends;
    clickRow(m.right, idc1);

    // "L": the pane lists p -> c1, whose child's id is the user's nine-digit one.
    clickButton(ends, QStringLiteral("L"));
    ASSERT_NE(ends->liensViewer(), nullptr);
    advance(2.1);
    const auto& rows = ends->liensViewer()->lignes();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0]->enfantInt(), idc1);
    GUITableView* pane = ends->liensViewer()->tableView();
    ASSERT_TRUE(pane->isVisible());
    QHeaderView* header = pane->horizontalHeader();
    ASSERT_EQ(header->count(), 3);
    EXPECT_EQ(pane->model()->headerData(2, Qt::Horizontal).toString(), QStringLiteral("L Enfant"));
    // The "L Enfant" column is on screen, or the pane's scroller brings it there.
    QScrollBar* bar = pane->horizontalScrollBar();
    if (header->sectionViewportPosition(2) + header->sectionSize(2) > pane->viewport()->width()) {
        ASSERT_TRUE(bar->isVisible()) << "the child ids lie past the pane's edge with no way to them";
        bar->setValue(bar->maximum());
        pump();
    }
    EXPECT_GE(header->sectionViewportPosition(2), 0);
    EXPECT_LE(header->sectionViewportPosition(2) + header->sectionSize(2), pane->viewport()->width());
    EXPECT_EQ(pane->model()->index(0, 2).data().toULongLong(), idc1);
}

// One to one: a click on c2 lets p's partner c1 go and makes p -> c2, one change. A full disk
// keeps p -> c1 as it was, in the store and on screen, and the user hears of it; with room again
// the same click makes the whole change.
TEST_F(LinkBrowserLinking, AClickTheStoreCannotKeepLeavesTheOldPartnerLinked)
{
    seed();
    start({QStringLiteral("--link-browser"), QStringLiteral("1")});
    ASSERT_EQ(windows().size(), 1u);
    auto* models = dynamic_cast<KELVueDeModel*>(windows().front()->premiereVue());
    ASSERT_NE(models, nullptr);
    const KELId idp = ids[2], idc1 = ids[3], idc2 = ids[4];
    LinkMode m;
    openLinkMode(models, m);
    if (HasFatalFailure())
        return;
    clickRow(m.right, idc1);
    ASSERT_EQ(links(idc1).size(), 1u);
    const auto* rel = wake<KELIElemRelation>(ids[5]);
    ASSERT_NE(rel, nullptr);

    diskFull(true);
    alerts.clear();
    const int beeps = sound.beeps;
    advance(60);
    clickRow(m.right, idc2);
    advance(1);
    Rows l1 = links(idc1);
    ASSERT_EQ(l1.size(), 1u);
    EXPECT_DOUBLE_EQ(std::stod(l1.at(0, 1)), KELDateOuverte) << "p let go of c1 and has no new partner";
    EXPECT_TRUE(links(idc2).empty());
    const std::vector<KELI*>* enfants = const_cast<KELIElemRelation*>(rel)->enfantsDuParent(wake(idp), global());
    ASSERT_TRUE(enfants && enfants->size() == 1u);
    EXPECT_EQ(enfants->front()->idInt(), idc1);
    EXPECT_EQ(sound.beeps, beeps + 1);
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].message, QStringLiteral("Your changes could not be saved."));

    // Nor can it close p -> c1 with Ctrl-click.
    advance(60);
    clickRow(m.right, idc1, Qt::ControlModifier);
    advance(1);
    EXPECT_DOUBLE_EQ(std::stod(links(idc1).at(0, 1)), KELDateOuverte);
    ASSERT_TRUE(enfants && enfants->size() == 1u);
    EXPECT_EQ(enfants->front()->idInt(), idc1);
    EXPECT_EQ(sound.beeps, beeps + 2);

    diskFull(false);
    advance(60);
    const double t = clock.now();
    clickRow(m.right, idc2);
    l1 = links(idc1);
    EXPECT_DOUBLE_EQ(std::stod(l1.at(0, 1)), t);
    const Rows l2 = links(idc2);
    ASSERT_EQ(l2.size(), 1u);
    EXPECT_DOUBLE_EQ(std::stod(l2.at(0, 0)), t);
}

} // namespace
} // namespace e2e
