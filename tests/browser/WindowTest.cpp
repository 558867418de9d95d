// Browser windows and value columns on the template link base: which column a link gets, how the
// window sizes itself as columns come, go and are replaced, how rows show the selection engine's
// marks, and what the buttons, the modifiers and the Menu key do to the choices.

#include "tests/browser/BrowserFixture.h"

#include "browser/GUITextFieldCell.h"
#include "browser/GUIWidgets.h"
#include "browser/KELVueDeModel.h"
#include "browser/KELVueDeRelation.h"
#include "engine/KELElements.h"
#include "platform/Keys.h"

#include <QContextMenuEvent>
#include <QTest>

#include <set>

namespace browsertest {
namespace {

using enginetest::LinkBase;

TEST_F(Browser, EachLinkClassGetsItsColumnClass)
{
    EXPECT_EQ(sorteDeVuePour(wake(kel::kModelDesModels)), KELSorteDeVue::Model);
    EXPECT_EQ(sorteDeVuePour(wake(kel::kModelDesRelations)), KELSorteDeVue::ModelRelation);
    EXPECT_EQ(sorteDeVuePour(wake(1000049)), KELSorteDeVue::ModelLien);
    EXPECT_EQ(sorteDeVuePour(wake(kel::kModelMot)), KELSorteDeVue::BaseMot);
    EXPECT_EQ(sorteDeVuePour(wake(kel::kModelNombre)), KELSorteDeVue::BaseNombre);
    EXPECT_EQ(sorteDeVuePour(wake(kel::kModelCurseur)), KELSorteDeVue::ModelCurseur);
    EXPECT_EQ(sorteDeVuePour(global()), KELSorteDeVue::ModelCurseur);
    EXPECT_EQ(sorteDeVuePour(wake(kel::kModelContexte)), KELSorteDeVue::ModelContexte);
    EXPECT_EQ(sorteDeVuePour(wake(kel::kRelMots)), KELSorteDeVue::Relation);
    EXPECT_EQ(sorteDeVuePour(wake(kel::kElemCurseurGlobal)), KELSorteDeVue::Aucune);
    EXPECT_EQ(sorteDeVuePour(nullptr), KELSorteDeVue::Aucune);

    // Every kind has its column now: only a link of no kind beeps and leaves no window.
    EXPECT_NE(dynamic_cast<KELVueDeBaseMot*>(base(ouvrir(kel::kModelMot))), nullptr);
    EXPECT_NE(dynamic_cast<KELVueDeBaseNombre*>(base(ouvrir(kel::kModelNombre))), nullptr);
    const auto premiere = [](KELVueController* w) { return w ? w->premiereVue() : nullptr; };
    EXPECT_NE(dynamic_cast<KELVueDeModel*>(premiere(ouvrir(kel::kModelDesModels))), nullptr);
    EXPECT_NE(dynamic_cast<KELVueDeModelRelation*>(premiere(ouvrir(kel::kModelDesRelations))), nullptr);
    EXPECT_NE(dynamic_cast<KELVueDeModelLien*>(premiere(ouvrir(1000049))), nullptr);
    EXPECT_NE(dynamic_cast<KELVueDeModelCurseur*>(premiere(ouvrir(kel::kModelCurseur))), nullptr);
    EXPECT_NE(dynamic_cast<KELVueDeModelCurseur*>(premiere(ouvrir(kel::kCurseurGlobal))), nullptr);
    EXPECT_NE(dynamic_cast<KELVueDeModelContexte*>(premiere(ouvrir(kel::kModelContexte))), nullptr);
    EXPECT_NE(dynamic_cast<KELVueDeRelation*>(premiere(ouvrir(kel::kRelMots))), nullptr);
    EXPECT_EQ(sound.beeps, 0);
    EXPECT_EQ(ouvrir(kel::kElemCurseurGlobal), nullptr);
    EXPECT_EQ(sound.beeps, 1);
    EXPECT_EQ(KELVueController::ouvertes().size(), 9u);
}

TEST_F(Browser, ResizingKeepsTheLastColumnAtLeast155PointsWide)
{
    KELVueController* w = ouvrir(kel::kModelMot);
    ASSERT_NE(w, nullptr);
    QWidget* colonne = w->premiereVue()->guiView();
    EXPECT_EQ(w->size(), QSize(220 + 20, KELVueController::kHauteurInitiale));
    EXPECT_EQ(w->minimumWidth(), 155 + 20);

    w->resize(500, 300);
    EXPECT_EQ(colonne->width(), 480);
    {
        // The rows' time axis follows the table's new width.
        KELVueDe* v = w->premiereVue();
        v->tableView()->viewport()->grab();
        const auto* h = v->headerView();
        EXPECT_EQ(v->cellule(1)->largeurTotale(), h->sectionSize(0) + h->sectionSize(1));
        EXPECT_GT(h->sectionSize(0) + h->sectionSize(1), 400);
    }
    EXPECT_EQ(w->contenu()->width(), 480);
    EXPECT_EQ(colonne->height(), 300 - 7);
    w->resize(100, 300);
    EXPECT_EQ(w->width(), 175);
    EXPECT_EQ(colonne->width(), 155);

    // With two columns the floor is the first's width plus 155.
    KELVueDe* seconde = w->ajouterVueAvecLienInt(kel::kModelNombre, w->premiereVue(), global());
    ASSERT_NE(seconde, nullptr);
    EXPECT_EQ(w->width(), 155 + 220 + 20);
    EXPECT_EQ(seconde->guiView()->x(), 155);
    EXPECT_EQ(w->minimumWidth(), 155 + 155 + 20);
    w->resize(200, 300);
    EXPECT_EQ(w->width(), 155 + 155 + 20);
    EXPECT_EQ(seconde->guiView()->width(), 155);
    EXPECT_EQ(colonne->width(), 155);

    // Closing frees the columns.
    w->enleverDerniereVueAvecAnimation(true);
    EXPECT_EQ(w->vues().size(), 1u);
    EXPECT_EQ(w->width(), 155 + 20);
    w->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(KELVueController::ouvertes().empty());
}

// Records, at each change of the content view's width, whether the column being replaced is still
// shown and how many column views show.
struct Ordre : QObject {
    QWidget* ancienne = nullptr;
    QWidget* contenu = nullptr;
    std::vector<std::string> pas;
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == QEvent::Resize) {
            int visibles = 0;
            for (auto* c : contenu->findChildren<GUIView*>(Qt::FindDirectChildrenOnly))
                visibles += c->isVisible() ? 1 : 0;
            pas.push_back(std::string(ancienne->isVisible() ? "ancienne " : "- ") + std::to_string(visibles));
        }
        return false;
    }
};

TEST_F(Browser, AReplacedColumnGoesAfterTheWindowWidensOrBeforeItShrinks)
{
    KELVueController* w = ouvrir(kel::kModelMot);
    ASSERT_NE(w, nullptr);
    ASSERT_NE(w->ajouterVueAvecLienInt(kel::kModelNombre, w->premiereVue(), global()), nullptr);
    EXPECT_EQ(w->width(), 220 + 220 + 20);
    EXPECT_EQ(w->contenu()->width(), 440);
    w->resize(220 + 300 + 20, 300); // the last column is now 300 wide
    ASSERT_EQ(w->vues().back()->guiView()->width(), 300);

    // Narrower: the old column goes first, then the content and the window shrink.
    Ordre o;
    o.contenu = w->contenu();
    o.ancienne = w->vues().back()->guiView();
    w->contenu()->installEventFilter(&o);
    w->enleverDerniereVueAvecAnimation(false);
    EXPECT_EQ(w->vues().size(), 2u) << "marked only";
    ASSERT_NE(w->ajouterVueAvecLienInt(kel::kModelMot, w->premiereVue(), global()), nullptr);
    EXPECT_EQ(o.pas, (std::vector<std::string>{"- 1"}));
    EXPECT_EQ(w->vues().size(), 2u);
    EXPECT_EQ(w->width(), 220 + 220 + 20);
    EXPECT_TRUE(w->vues().back()->guiView()->isVisible());
    EXPECT_EQ(w->vues().back()->guiView()->x(), 220);

    // Wider: the content and the window widen while the old column still shows.
    w->resize(220 + 155 + 20, 300);
    ASSERT_EQ(w->vues().back()->guiView()->width(), 155);
    o.pas.clear();
    o.ancienne = w->vues().back()->guiView();
    w->enleverDerniereVueAvecAnimation(false);
    ASSERT_NE(w->ajouterVueAvecLienInt(kel::kModelNombre, w->premiereVue(), global()), nullptr);
    EXPECT_EQ(o.pas, (std::vector<std::string>{"ancienne 2"}));
    EXPECT_FALSE(o.ancienne->isVisible());
    EXPECT_EQ(w->vues().size(), 2u);
    EXPECT_EQ(w->width(), 220 + 220 + 20);
    EXPECT_NE(dynamic_cast<KELVueDeBaseNombre*>(w->vues().back().get()), nullptr);

    // The mark lasts only until the next column: the one after that is appended.
    ASSERT_NE(w->ajouterVueAvecLienInt(kel::kModelMot, w->vues().back().get(), global()), nullptr);
    EXPECT_EQ(w->vues().size(), 3u);
    EXPECT_EQ(w->width(), 3 * 220 + 20);
    w->contenu()->removeEventFilter(&o);
}

TEST_F(Browser, RowsShowTheMarksOfTheirControllersKind)
{
    KELVueController* w = ouvrir(kel::kModelMot);
    KELVueDeBase* v = base(w);
    ASSERT_NE(v, nullptr);
    ASSERT_GE(v->lignes().size(), 3u);
    KELI* a = v->lignes()[0];
    KELI* b = v->lignes()[1];
    KELI* c = v->lignes()[2];
    KELSelCtrl* ctrl = v->selCtrl();
    const auto& hl = w->selIdHl();
    const auto& bd = w->selIdBd();
    const GUICouleurs& couleurs = GUICouleurs::table();

    ctrl->choisir(a, hl);
    ctrl->attacher(b, hl);
    ctrl->choisir(c, bd);
    ctrl->attacher(c, bd);
    // A model's controller: chosen is the focus mark, attached the plain one; words read dark red.
    GUIMarques m = guiMarquesPour(ctrl, a, hl, bd);
    EXPECT_TRUE(m.hlFocus);
    EXPECT_FALSE(m.hl || m.bdFocus || m.bd || m.italique || m.gras);
    EXPECT_EQ(m.texte, couleurs.TexteCouleurRedDark);
    EXPECT_EQ(m.presence, couleurs.CouleurLienM);
    m = guiMarquesPour(ctrl, b, hl, bd);
    EXPECT_TRUE(m.hl);
    EXPECT_FALSE(m.hlFocus);
    m = guiMarquesPour(ctrl, c, hl, bd);
    EXPECT_TRUE(m.bdFocus && m.bd);
    EXPECT_FALSE(m.hlFocus || m.hl);
    EXPECT_EQ(guiMarquesPour(ctrl, wake(kel::kModelDesModels), hl, bd).texte, couleurs.TexteCouleurModel);
    EXPECT_TRUE(guiMarquesPour(ctrl, wake(kel::kModelDesRelations), hl, bd).italique);

    // A relation end's controller: italic, chosen is the plain mark and attached makes the text bold.
    auto* model = dynamic_cast<KELIModel*>(wake(kel::kModelMot));
    KELSelCtrl* rel = model->selCtrlModel(global())->ctrlRE();
    ASSERT_NE(rel, nullptr);
    // Marked directly: choosing through a relation end opens paths, which only relations have.
    rel->KELSelCtrl::choisir(a, hl);
    rel->attacher(b, hl);
    rel->KELSelCtrl::choisir(c, bd);
    m = guiMarquesPour(rel, a, hl, bd);
    EXPECT_TRUE(m.hl && m.italique);
    EXPECT_FALSE(m.hlFocus || m.gras || m.bd);
    EXPECT_EQ(m.presence, couleurs.CouleurLienR);
    m = guiMarquesPour(rel, b, hl, bd);
    EXPECT_TRUE(m.gras);
    EXPECT_FALSE(m.hl);
    m = guiMarquesPour(rel, c, hl, bd);
    EXPECT_TRUE(m.bd);
    EXPECT_FALSE(m.bdFocus);

    // No controller and no link: no marks at all.
    m = guiMarquesPour(nullptr, a, hl, bd);
    EXPECT_FALSE(m.hl || m.hlFocus || m.bd || m.bdFocus || m.gras);
    EXPECT_TRUE(m.italique);
    EXPECT_FALSE(guiMarquesPour(ctrl, nullptr, hl, bd).italique);
}

// The words chosen under an id, as a set of texts.
std::set<QString> textes(KELVueDe* v, const KELSelIdRef& s)
{
    std::set<QString> r;
    for (KELI* e : v->selCtrl()->choix(s))
        r.insert(v->valeur(e, QStringLiteral("2")).toString());
    return r;
}

TEST_F(Browser, TransferTakesTheOtherWindowsChoicesByModifier)
{
    KELVueController* source = ouvrir(kel::kModelMot);
    KELVueDeBase* s = base(source);
    ASSERT_NE(s, nullptr);
    KELI* a = ajouter(s, QStringLiteral("alpha"));
    KELI* b = ajouter(s, QStringLiteral("beta"));
    KELI* c = ajouter(s, QStringLiteral("gamma"));
    ASSERT_TRUE(a && b && c);
    s->selCtrl()->choisir(a, source->selIdHl());
    s->selCtrl()->choisir(b, source->selIdHl());
    s->selCtrl()->choisir(b, source->selIdBd());
    s->selCtrl()->choisir(c, source->selIdBd());

    struct Cas {
        std::uint32_t flags;
        bool bordure;
        std::set<QString> attendus;
    };
    const std::vector<Cas> cas{
        {0, false, {"alpha", "beta"}},
        {keys::kOptionFlag, true, {"beta", "gamma"}},
        {keys::kControlFlag, false, {"beta"}},
        {keys::kShiftFlag, false, {"alpha", "beta", "gamma"}},
    };
    for (const Cas& k : cas) {
        KELVueController* cible = ouvrir(kel::kModelMot);
        KELVueDeBase* t = base(cible);
        ASSERT_NE(t, nullptr);
        ASSERT_NE(cible->selection(), source->selection());
        t->transfererSelectionDepuisVue(s, k.flags);
        EXPECT_EQ(textes(t, k.bordure ? cible->selIdBd() : cible->selIdHl()), k.attendus) << k.flags;
        EXPECT_TRUE(textes(t, k.bordure ? cible->selIdHl() : cible->selIdBd()).empty()) << k.flags;
    }
    // Command: every row but the chosen ones.
    KELVueController* cible = ouvrir(kel::kModelMot);
    KELVueDeBase* t = base(cible);
    t->transfererSelectionDepuisVue(s, keys::kCommandFlag);
    EXPECT_EQ(t->selCtrl()->nbDeChoix(cible->selIdHl()), t->lignes().size() - 2);
    EXPECT_FALSE(t->selCtrl()->siChoisit(a, cible->selIdHl()));
    EXPECT_TRUE(t->selCtrl()->siChoisit(c, cible->selIdHl()));
    // The source's own choices are untouched.
    EXPECT_EQ(textes(s, source->selIdHl()), (std::set<QString>{"alpha", "beta"}));
}

TEST_F(Browser, TheButtonsRemoveOpenAndTransfer)
{
    KELVueController* w = ouvrir(kel::kModelMot);
    KELVueDeBase* v = base(w);
    ASSERT_NE(v, nullptr);
    KELI* a = ajouter(v, QStringLiteral("alpha"));
    KELI* b = ajouter(v, QStringLiteral("beta"));
    KELI* c = ajouter(v, QStringLiteral("gamma"));
    const std::size_t n = v->lignes().size();

    // "-" with nothing chosen beeps; with choices it removes them from the model, rejected first.
    QTest::mouseClick(bouton(v, QStringLiteral("-")), Qt::LeftButton);
    EXPECT_EQ(sound.beeps, 1);
    EXPECT_EQ(v->lignes().size(), n);
    v->selCtrl()->choisir(a, w->selIdHl());
    v->selCtrl()->choisir(b, w->selIdHl());
    v->selCtrl()->choisir(c, w->selIdBd());
    QTest::mouseClick(bouton(v, QStringLiteral("-")), Qt::LeftButton);
    EXPECT_EQ(sound.beeps, 1);
    EXPECT_EQ(v->lignes().size(), n - 2);
    EXPECT_EQ(ligne(v, QStringLiteral("alpha")), nullptr);
    EXPECT_EQ(ligne(v, QStringLiteral("beta")), nullptr);
    EXPECT_EQ(v->selCtrl()->nbDeChoix(w->selIdHl()), 0u);
    // With Alt, the border id's.
    v->enleverUnElement(keys::kOptionFlag);
    EXPECT_EQ(ligne(v, QStringLiteral("gamma")), nullptr);
    EXPECT_EQ(v->lignes().size(), n - 3);
    EXPECT_EQ(sound.beeps, 1);
    checkTable();

    // "O" opens the model in a new window that takes this one's choices.
    KELI* d = ajouter(v, QStringLiteral("delta"));
    v->selCtrl()->choisir(d, w->selIdHl());
    QTest::mouseClick(bouton(v, QStringLiteral("O")), Qt::LeftButton);
    ASSERT_EQ(KELVueController::ouvertes().size(), 2u);
    KELVueController* w2 = KELVueController::ouvertes().back();
    EXPECT_NE(w2->selection(), w->selection());
    EXPECT_EQ(textes(w2->premiereVue(), w2->selIdHl()), (std::set<QString>{"delta"}));
    // With the Function key (the Menu key held), a window that shares this one's selection.
    QTest::keyPress(w, Qt::Key_Menu);
    EXPECT_TRUE(w->siFonction());
    QTest::mouseClick(bouton(v, QStringLiteral("O")), Qt::LeftButton);
    QTest::keyRelease(w, Qt::Key_Menu);
    EXPECT_FALSE(w->siFonction());
    ASSERT_EQ(KELVueController::ouvertes().size(), 3u);
    KELVueController* w3 = KELVueController::ouvertes().back();
    EXPECT_EQ(w3->selection(), w->selection());
    EXPECT_EQ(w3->selIdHl(), w->selIdHl());

    // "S" in its own window: the attached rows that are not chosen become the choice.
    KELI* e = ajouter(v, QStringLiteral("epsilon"));
    v->selCtrl()->attacher(e, w->selIdHl());
    v->selCtrl()->attacher(d, w->selIdHl());
    QTest::mouseClick(bouton(v, QStringLiteral("S")), Qt::LeftButton);
    EXPECT_EQ(textes(v, w->selIdHl()), (std::set<QString>{"epsilon"}));
}

// Counts what reaches a widget of the window after the window's own filtering.
struct Espion : QObject {
    int menus = 0, touchesMenu = 0;
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == QEvent::ContextMenu)
            ++menus;
        if ((e->type() == QEvent::KeyPress || e->type() == QEvent::KeyRelease) &&
            static_cast<QKeyEvent*>(e)->key() == Qt::Key_Menu)
            ++touchesMenu;
        return false;
    }
};

TEST_F(Browser, TheMenuKeyIsTheFunctionKeyAndOpensNoEditMenu)
{
    KELVueController* w = ouvrir(kel::kModelMot);
    KELVueDeBase* v = base(w);
    ASSERT_NE(v, nullptr);
    Espion espion;
    v->champ()->installEventFilter(&espion);

    QTest::keyPress(v->champ(), Qt::Key_Menu);
    EXPECT_TRUE(w->siFonction());
    EXPECT_NE(v->flagsActuels() & KELVueDe::kFonctionFlag, 0u);
    // The keyboard context menu X11 makes of the Menu key never reaches the field.
    QContextMenuEvent clavier(QContextMenuEvent::Keyboard, QPoint(5, 5), v->champ()->mapToGlobal(QPoint(5, 5)));
    QCoreApplication::sendEvent(v->champ(), &clavier);
    // An auto-repeated release keeps the key held.
    QKeyEvent repete(QEvent::KeyRelease, Qt::Key_Menu, Qt::NoModifier, QString(), true);
    QCoreApplication::sendEvent(v->champ(), &repete);
    EXPECT_TRUE(w->siFonction());
    QTest::keyRelease(v->champ(), Qt::Key_Menu);
    EXPECT_FALSE(w->siFonction());
    EXPECT_EQ(v->flagsActuels() & KELVueDe::kFonctionFlag, 0u);
    EXPECT_EQ(espion.menus, 0);
    EXPECT_EQ(espion.touchesMenu, 0);

    // Other keys still reach the field; the Menu key of another window is not this one's.
    QTest::keyClicks(v->champ(), QStringLiteral("ok"));
    EXPECT_EQ(v->champ()->text(), QStringLiteral("ok"));
    QWidget ailleurs;
    QTest::keyPress(&ailleurs, Qt::Key_Menu);
    EXPECT_FALSE(w->siFonction());
    v->champ()->removeEventFilter(&espion);
}

TEST_F(Browser, AMetaClickChoosesNothing)
{
    KELVueController* w = ouvrir(kel::kModelMot);
    KELVueDeBase* v = base(w);
    ASSERT_NE(v, nullptr);
    GUITableView* table = v->tableView();
    const QPoint centre = table->visualRect(table->model()->index(0, 1)).center();
    QTest::mouseClick(table->viewport(), Qt::LeftButton, keys::kControl, centre);
    EXPECT_EQ(v->selCtrl()->nbDeChoix(w->selIdHl()), 0u);
    EXPECT_EQ(v->selCtrl()->nbDeChoix(w->selIdBd()), 0u);
    // The same click without Meta chooses the row.
    QTest::mouseClick(table->viewport(), Qt::LeftButton, Qt::NoModifier, centre);
    EXPECT_TRUE(v->selCtrl()->siChoisit(v->lignes()[0], w->selIdHl()));
    // Meta-click on a chosen row leaves it chosen.
    QTest::mouseClick(table->viewport(), Qt::LeftButton, keys::kControl, centre);
    EXPECT_TRUE(v->selCtrl()->siChoisit(v->lignes()[0], w->selIdHl()));
}

} // namespace
} // namespace browsertest
