// The browser date strip under the mouse, the wheel and the keys, its Recall and Search cursor
// views, and a column as their controller: what each gesture asks the controller, which moves it
// begins and ends, the edge steps and their limits, the drags by modifier, and the column's
// answers (continuous moves on the virtual clock, zooms, refusals on the global cursor).

#include "tests/browser/BrowserFixture.h"

#include "browser/GUIRulerCurseurView.h"
#include "browser/GUIRulerView.h"
#include "engine/KELICurseur.h"
#include "tests/support/TestHome.h"
#include "platform/SystemColours.h"

#include <QApplication>
#include <QImage>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QTest>
#include <QWheelEvent>

#include <cmath>
#include <string>
#include <vector>

namespace browsertest {
namespace {

// A controller that records what it is asked and moves its cursor's window as a column does.
class Controleur final : public GUIRulerViewerDelegate {
public:
    KELICurseur* curseur = nullptr;
    KELICurseur* now = nullptr;
    KELICurseur* search = nullptr;
    std::vector<GUIRulerCurseurView*> vues;
    double ratio = 1.0;
    bool accepte = true;
    bool accorde = true;
    bool rulerEstLaFenetre = false;
    int initie = 0;
    int termine = 0;
    bool enCours = false;
    std::vector<std::string> journal;
    std::vector<std::pair<double, double>> rulers;
    std::vector<double> valeurs;
    KELDate date = 0;

    void noter(const char* m, double v = 0)
    {
        journal.emplace_back(m);
        valeurs.push_back(v);
    }
    std::string dernier() const { return journal.empty() ? std::string() : journal.back(); }

    double rulerRatio() override { return ratio; }
    std::vector<GUIRulerCurseurView*> curseurViews() override { return vues; }
    bool siAccepteDeplacement() override { return accepte && !enCours; }
    KELICurseur* actifCurseur() override { return curseur; }
    KELICurseur* nowCurseur() override { return now; }
    KELICurseur* searchCurseur() override { return search; }
    KELICurseur* tlCurseur() override { return curseur ? curseur->curseurSup() : nullptr; }
    bool userInitieDeplacementCurseur() override
    {
        if (!accorde || enCours)
            return false;
        ++initie;
        enCours = true;
        return true;
    }
    void userTermineDeplacementCurseur() override
    {
        if (enCours)
            ++termine;
        enCours = false;
    }
    bool userChangeActifCurseur(KELICurseur* c) override
    {
        noter(c == now ? "actif now" : c == search ? "actif search" : "actif");
        return false;
    }
    void userStartStopCurseur() override { noter("startStop"); }
    void userPlaceCurseurToDate(KELDate d) override { date = d; }
    void userPlaceCurseur(double d) override { noter("userPlaceCurseur", d); }
    void userPlaceCurseurDansContexteFixe(double d) override { noter("dansContexteFixe", d); }
    void placeCurseurEtRulerOffset(double d) override { noter("placeCurseurEtRulerOffset", d); }
    void userPlaceContexteIn(double d) override
    {
        noter("contexteIn", d);
        curseur->decalerContexteIn(d);
    }
    void userPlaceContexteOut(double d) override
    {
        noter("contexteOut", d);
        curseur->decalerContexteOut(d);
    }
    void userPlaceContexte(double d) override { noter("userPlaceContexte", d); }
    void userPlaceContexteEtRulerOffset(double d) override { noter("userPlaceContexteEtRulerOffset", d); }
    bool userPlaceRulerOffsetIn(double in, double out) override
    {
        rulers.emplace_back(in, out);
        return true;
    }
    bool siRulerEstLaFenetre() override { return rulerEstLaFenetre; }
    void userBougeCurseur(float v) override { noter("userBougeCurseur", v); }
    void userBougeCurseurEtRulerOffset(double v) override { noter("userBougeCurseurEtRulerOffset", v); }
    void userBougeRulerOffsetIn(double, double) override { noter("bougeRuler"); }
    void userAgranditContexte() override { noter("agrandit"); }
    void userDiminueContexte() override { noter("diminue"); }
    void userBougeCurseurAGauche() override { noter("gauche"); }
    void userBougeCurseurADroite() override { noter("droite"); }
    void userDesactiveBouger() override { noter("desactiveBouger"); }
    void userAnimeCurseurToDate(KELDate d) override { noter("anime", d); }
    void userAnimeCurseurEtRulerToDate(KELDate d) override { noter("animeEtRuler", d); }
    void userZoom(ZEVZoomFamille, ZEVZoomUnite, KELICurseur*) override { noter("zoom"); }
    void draggWithEvent(QMouseEvent*) override { noter("dragg"); }
    void scrollWheelWithEvent(QWheelEvent*) override { noter("scrollWheelWithEvent"); }
    void displayRuler() override {}
};

class RulerInput : public Browser {
protected:
    void SetUp() override
    {
        Browser::SetUp();
        previousFolder = GUIRulerRessources::partagees().dossier;
        GUIRulerRessources::partagees().dossier = programFiles();
        search = wake<KELICurseur>(2000094);
        ASSERT_NE(search, nullptr);
        ctrl.curseur = search;
        ruler = GUIRulerType::rulerWithSpaceName(QStringLiteral("date"), programFiles());
        ASSERT_NE(ruler, nullptr);
        strip = std::make_unique<GUIRulerViewLine>();
        strip->resize(301, 30);
        strip->setRuler(ruler);
        strip->assignViewerDelegate(&ctrl);
        GUIRulerCurseurView::lectureModificateurs() = [this] { return modificateurs; };
    }
    void TearDown() override
    {
        GUIRulerCurseurView::lectureModificateurs() = [] { return QGuiApplication::queryKeyboardModifiers(); };
        vue.reset();
        strip.reset();
        KELVueDe::intervalleDeRecharge() = 2.0;
        GUIRulerRessources::partagees().dossier = previousFolder;
        Browser::TearDown();
    }

    // The ruler spans `avant` seconds before the window's start to `apres` after its end.
    void autourDeLaFenetre(double avant = 0, double apres = 0)
    {
        ruler->setInDate(search->nowIn() - avant, search->nowOut() + apres);
    }
    // Its window from `in` seconds before its cursor to `out` after.
    void fenetre(double in, double out)
    {
        KELIContexte* c = search->contexte();
        ASSERT_NE(c, nullptr);
        search->decalerContexteIn(-in - c->offsetIn());
        search->decalerContexteOut(out - c->offsetOut());
        ASSERT_NEAR(search->now() - search->nowIn(), in, 1e-6);
    }
    template <class V>
    V* avecVue()
    {
        vue = std::make_unique<V>(search, strip.get(), &ctrl);
        ctrl.vues = {vue.get()};
        vue->calculerGeometrie();
        return static_cast<V*>(vue.get());
    }
    // A y-up point of the strip as Qt's.
    QPoint qt(double x, double y) const { return QPoint(int(std::lround(x)), int(std::lround(strip->height() - y))); }
    void souris(QEvent::Type t, QPoint at, Qt::MouseButton b, Qt::KeyboardModifiers m = {})
    {
        const Qt::MouseButtons boutons = t == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(b);
        QMouseEvent e(t, QPointF(at), QPointF(strip->mapToGlobal(at)), t == QEvent::MouseMove ? Qt::NoButton : b,
                      boutons, m);
        QApplication::sendEvent(strip.get(), &e);
    }
    void roue(QPoint at, double lignes, Qt::KeyboardModifiers m = {})
    {
        QWheelEvent e(QPointF(at), QPointF(strip->mapToGlobal(at)), QPoint(), QPoint(0, int(120 * lignes)),
                      Qt::NoButton, m, Qt::NoScrollPhase, false);
        QApplication::sendEvent(strip.get(), &e);
    }

    KELICurseur* search = nullptr;
    Controleur ctrl;
    std::shared_ptr<GUIRulerType> ruler;
    std::unique_ptr<GUIRulerViewLine> strip;
    std::unique_ptr<GUIRulerCurseurView> vue;
    Qt::KeyboardModifiers modificateurs;
    QString previousFolder;
};

// ---- the strip itself ----

TEST_F(RulerInput, APressDragAndReleaseIsOneMoveAndAClickAtEitherEdgeGivesTheRulersEnds)
{
    ruler->setInDate(kStart, kStart + 3000);
    const double W = strip->width();
    souris(QEvent::MouseButtonPress, QPoint(0, 20), Qt::LeftButton);
    EXPECT_DOUBLE_EQ(ctrl.date, kStart);
    souris(QEvent::MouseMove, QPoint(20, 20), Qt::LeftButton);
    EXPECT_EQ(ctrl.dernier(), "dragg");
    souris(QEvent::MouseButtonRelease, QPoint(20, 20), Qt::LeftButton);
    EXPECT_EQ(ctrl.initie, 1);
    EXPECT_EQ(ctrl.termine, 1);
    souris(QEvent::MouseButtonPress, QPoint(int(W) - 1, 20), Qt::LeftButton);
    souris(QEvent::MouseButtonRelease, QPoint(int(W) - 1, 20), Qt::LeftButton);
    EXPECT_DOUBLE_EQ(ctrl.date, kStart + 3000);

    // A refused press ends nothing, and a press on a controller that refuses moves asks nothing.
    ctrl.accorde = false;
    ctrl.date = 0;
    souris(QEvent::MouseButtonPress, QPoint(100, 20), Qt::LeftButton);
    souris(QEvent::MouseMove, QPoint(120, 20), Qt::LeftButton);
    souris(QEvent::MouseButtonRelease, QPoint(120, 20), Qt::LeftButton);
    EXPECT_EQ(ctrl.termine, 2);
    EXPECT_EQ(ctrl.date, 0);
    EXPECT_EQ(ctrl.dernier(), "dragg") << "no drag passed on";
    ctrl.accorde = true;
    ctrl.accepte = false;
    souris(QEvent::MouseButtonPress, QPoint(100, 20), Qt::LeftButton);
    EXPECT_EQ(ctrl.initie, 2);

    // The right button in a column (no Now cursor) only asks for the Now cursor.
    ctrl.accepte = true;
    souris(QEvent::MouseButtonPress, QPoint(100, 20), Qt::RightButton);
    souris(QEvent::MouseButtonRelease, QPoint(100, 20), Qt::RightButton);
    EXPECT_EQ(ctrl.dernier(), "actif now");
    EXPECT_EQ(ctrl.initie, 2);
}

TEST_F(RulerInput, TheWheelZoomsAboutTheActiveCursorAsOneMoveEndedAfterItsLastEvent)
{
    // The cursor past the ruler's end: the zoom keeps the end where it is.
    ruler->setInDate(search->now() - 6000, search->now() - 3000);
    ctrl.ratio = 10;
    roue(QPoint(150, 5), 1);
    ASSERT_EQ(ctrl.rulers.size(), 1u);
    EXPECT_DOUBLE_EQ(ctrl.rulers[0].first, -200);
    EXPECT_DOUBLE_EQ(ctrl.rulers[0].second, 0);
    EXPECT_TRUE(strip->siSrollWheelStart());
    sched.advance(0.2);
    // Within the span, at a quarter of it: a quarter of the change before it, the rest after.
    ruler->setInDate(search->now() - 1000, search->now() + 3000);
    roue(QPoint(150, 5), -1);
    ASSERT_EQ(ctrl.rulers.size(), 2u);
    EXPECT_DOUBLE_EQ(ctrl.rulers[1].first, 50);
    EXPECT_DOUBLE_EQ(ctrl.rulers[1].second, -150);
    EXPECT_EQ(ctrl.initie, 1) << "two events 0.2 s apart are one move";
    sched.advance(0.29);
    EXPECT_EQ(ctrl.termine, 0);
    sched.advance(0.02);
    EXPECT_EQ(ctrl.termine, 1);
    EXPECT_FALSE(strip->siSrollWheelStart());

    // A refused start passes the event on.
    ctrl.accorde = false;
    roue(QPoint(150, 5), 1);
    EXPECT_EQ(ctrl.dernier(), "scrollWheelWithEvent");
    EXPECT_EQ(ctrl.rulers.size(), 2u);
}

TEST_F(RulerInput, KeysAskConsentExceptNAndArrowsHoldTheMoveTheyWereGranted)
{
    ruler->setInDate(kStart, kStart + 3000);
    KELICurseur* sup = search->curseurSup();
    ctrl.now = global();
    ctrl.search = search;
    ctrl.accepte = false;
    for (Qt::Key k : {Qt::Key_1, Qt::Key_2, Qt::Key_A, Qt::Key_Up})
        QTest::keyClick(strip.get(), k);
    EXPECT_TRUE(ctrl.journal.empty()) << "nothing without consent";
    EXPECT_EQ(ctrl.initie, 0);
    if (sup) {
        QTest::keyClick(strip.get(), Qt::Key_N);
        EXPECT_EQ(ctrl.dernier(), "anime");
        EXPECT_NEAR(ctrl.valeurs.back(), sup->now(), 1e-6);
    }
    ctrl.journal.clear();
    ctrl.accepte = true;
    QTest::keyClick(strip.get(), Qt::Key_1);
    QTest::keyClick(strip.get(), Qt::Key_2);
    QTest::keyClick(strip.get(), Qt::Key_A);
    EXPECT_EQ(ctrl.journal, (std::vector<std::string>{"actif now", "actif search", "actif now"}));

    QTest::keyPress(strip.get(), Qt::Key_Up);
    QTest::keyPress(strip.get(), Qt::Key_Up, Qt::NoModifier, -1);
    EXPECT_EQ(ctrl.initie, 1) << "the repeat goes on with the move";
    EXPECT_EQ(ctrl.dernier(), "agrandit");
    QTest::keyRelease(strip.get(), Qt::Key_Up);
    EXPECT_EQ(ctrl.termine, 1);
    QTest::keyPress(strip.get(), Qt::Key_Left);
    EXPECT_EQ(ctrl.dernier(), "gauche");
    QTest::keyRelease(strip.get(), Qt::Key_Left);
    EXPECT_EQ(ctrl.termine, 2);

    // An arrow whose move was refused ends nothing on its release.
    ctrl.accorde = false;
    QTest::keyPress(strip.get(), Qt::Key_Down);
    EXPECT_NE(ctrl.dernier(), "diminue");
    QTest::keyRelease(strip.get(), Qt::Key_Down);
    EXPECT_EQ(ctrl.termine, 2);
}

// ---- the cursor views ----

using CursorViews = RulerInput;

TEST_F(CursorViews, PartsUnderThePointByViewAndOnlyTheActiveCursorHasEdgeHandles)
{
    fenetre(600, 600);
    autourDeLaFenetre(300, 300);
    auto* recall = avecVue<GUIRulerCurseurRecall>();
    const double xNow = recall->curseurRect().center().x();
    const double xIn = recall->passeRect().left(), xOut = recall->futurRect().right();
    EXPECT_EQ(recall->clickPositionForPoint({xNow, 17}), GUIRulerCurseurView::kCurseur);
    EXPECT_EQ(recall->clickPositionForPoint({xNow, 18}), GUIRulerCurseurView::kCurseurHaut);
    EXPECT_EQ(recall->clickPositionForPoint({xIn - 5, 8}), GUIRulerCurseurView::kDebut);
    EXPECT_EQ(recall->clickPositionForPoint({xOut + 5, 8}), GUIRulerCurseurView::kFin);
    EXPECT_EQ(recall->clickPositionForPoint({(xIn + xNow) / 2, 8}), GUIRulerCurseurView::kPasse);
    EXPECT_EQ(recall->clickPositionForPoint({(xNow + xOut) / 2, 8}), GUIRulerCurseurView::kFutur);
    EXPECT_EQ(recall->clickPositionForPoint({(xNow + xOut) / 2, 18}), GUIRulerCurseurView::kRien);
    ctrl.curseur = global();
    recall->calculerGeometrie();
    EXPECT_EQ(recall->clickPositionForPoint({xIn - 5, 8}), GUIRulerCurseurView::kRien) << "inactive: no handles";
    ctrl.curseur = search;

    auto* s = avecVue<GUIRulerCurseurSearch>();
    EXPECT_EQ(s->clickPositionForPoint({xNow, 25}), GUIRulerCurseurView::kCurseur);
    EXPECT_EQ(s->clickPositionForPoint({xIn - 5, 5}), GUIRulerCurseurView::kDebut);
    EXPECT_EQ(s->clickPositionForPoint({(xIn + xNow) / 2, 9}), GUIRulerCurseurView::kFenetre);
    EXPECT_EQ(s->clickPositionForPoint({(xIn + xNow) / 2, 11}), GUIRulerCurseurView::kRien);
    EXPECT_EQ(s->clickPositionForPoint({(xNow + xOut) / 2, 5}), GUIRulerCurseurView::kRien) << "no future part";
}

TEST_F(CursorViews, AnEdgeStopsATenthBeforeItsCursorWithOneTinkAndTheRulerKeepsTheWindowInPlace)
{
    fenetre(0.15, 600);
    autourDeLaFenetre(300, 300);
    auto* recall = avecVue<GUIRulerCurseurRecall>();
    const double R = ruler->outDate() - ruler->inDate();
    ctrl.ratio = 0.01;
    // Down narrows: the start edge comes later, and is cut 0.1 s before the cursor.
    roue(qt((recall->passeRect().left() + recall->curseurRect().left()) / 2, 5), -1);
    ASSERT_EQ(ctrl.dernier(), "contexteIn");
    EXPECT_NEAR(ctrl.valeurs.back(), 0.05, 1e-6);
    EXPECT_NEAR(search->now() - search->nowIn(), 0.1, 1e-6);
    EXPECT_EQ(sound.played, QStringList{QStringLiteral("Tink")});
    // The ruler is rescaled by k = R / W about the window's start.
    ASSERT_EQ(ctrl.rulers.size(), 1u);
    const double W = 600.15, k = R / W;
    EXPECT_NEAR(ctrl.rulers[0].second - ctrl.rulers[0].first, -k * 0.05, 1e-6);
    const std::size_t n = ctrl.journal.size();
    // The past part is now too thin to aim at: the same step straight to the start edge.
    QWheelEvent encore(QPointF(), QPointF(), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                       Qt::NoScrollPhase, false);
    recall->scrollWheelContexteInWithEvent(&encore);
    EXPECT_EQ(ctrl.journal.size(), n) << "at the limit nothing more";
    EXPECT_EQ(sound.played.size(), 1);
    EXPECT_EQ(ctrl.initie, 1);
    sched.advance(0.71);
    EXPECT_EQ(ctrl.termine, 1) << "the wheel move ends 0.7 s after its last step";

    // A window the ruler is (a column's): the ruler is left to follow.
    ctrl.rulerEstLaFenetre = true;
    fenetre(600, 600);
    autourDeLaFenetre();
    recall->calculerGeometrie();
    roue(qt((recall->futurRect().left() + recall->futurRect().right()) / 2, 5), 1);
    EXPECT_EQ(ctrl.dernier(), "contexteOut");
    EXPECT_NEAR(ctrl.valeurs.back(), 0.1, 1e-6) << "wheel up widens the end by r x deltaY x 10";
    EXPECT_EQ(ctrl.rulers.size(), 1u);
}

TEST_F(CursorViews, BothEdgesMoveAlikeAboutACentredCursorAndAZeroStepOnlyPostponesTheEnd)
{
    fenetre(600, 600);
    autourDeLaFenetre(600, 600);
    auto* recall = avecVue<GUIRulerCurseurRecall>();
    ctrl.ratio = 2;
    const QPoint curseur = qt(recall->curseurRect().center().x(), 5);
    roue(curseur, -1);
    ASSERT_GE(ctrl.journal.size(), 2u);
    const std::size_t n = ctrl.journal.size();
    EXPECT_EQ(ctrl.journal[n - 2], "contexteIn");
    EXPECT_EQ(ctrl.journal[n - 1], "contexteOut");
    EXPECT_NEAR(ctrl.valeurs[n - 2], -ctrl.valeurs[n - 1], 1e-6);
    EXPECT_GT(ctrl.valeurs[n - 2], 0) << "wheel down narrows";
    EXPECT_EQ(recall->clickPositionForDisplay(), GUIRulerCurseurView::kFenetre);
    sched.advance(0.6);
    roue(curseur, 0);
    sched.advance(0.6);
    EXPECT_EQ(ctrl.termine, 0) << "the zero step postponed the end";
    sched.advance(0.11);
    EXPECT_EQ(ctrl.termine, 1);
    EXPECT_EQ(ctrl.initie, 1);
}

TEST_F(CursorViews, DragsByModifierOnBothViewsAndARefusedPressEndsNothing)
{
    fenetre(600, 600);
    autourDeLaFenetre(300, 300);
    const double parPoint = (ruler->outDate() - ruler->inDate()) / (strip->width() - 1);
    auto glisser = [&](GUIRulerCurseurView* v, double x, double y, Qt::KeyboardModifiers m) {
        v->calculerGeometrie();
        const QPoint a = qt(x, y);
        souris(QEvent::MouseButtonPress, a, Qt::LeftButton, m);
        souris(QEvent::MouseMove, a - QPoint(10, 0), Qt::LeftButton, m);
        souris(QEvent::MouseButtonRelease, a - QPoint(10, 0), Qt::LeftButton, m);
    };
    auto* s = avecVue<GUIRulerCurseurSearch>();
    const double xNow = s->curseurRect().center().x();
    const std::vector<std::pair<Qt::KeyboardModifiers, std::string>> parSearch = {
        {Qt::NoModifier, "userPlaceCurseur"},
        {Qt::ShiftModifier, "userPlaceCurseur"},
        {Qt::AltModifier, "placeCurseurEtRulerOffset"},
        {Qt::AltModifier | Qt::ShiftModifier, "placeCurseurEtRulerOffset"},
        {Qt::ControlModifier, "userBougeCurseur"},
        {Qt::ControlModifier | Qt::AltModifier, "userBougeCurseurEtRulerOffset"}};
    for (const auto& [m, attendu] : parSearch) {
        glisser(s, xNow, 5, m);
        EXPECT_EQ(ctrl.dernier(), attendu) << int(m);
    }
    glisser(s, xNow, 5, Qt::ShiftModifier);
    EXPECT_NEAR(ctrl.valeurs.back(), -10 * parPoint / 100, 1e-6) << "a hundredth of the drag with Shift";
    glisser(s, xNow, 5, Qt::NoModifier);
    EXPECT_NEAR(ctrl.valeurs.back(), -10 * parPoint, 1e-6) << "the first drag event moves from the press";

    auto* r = avecVue<GUIRulerCurseurRecall>();
    const double xPasse = (r->passeRect().left() + xNow) / 2;
    const std::vector<std::pair<Qt::KeyboardModifiers, std::string>> parRecall = {
        {Qt::NoModifier, "userPlaceContexteEtRulerOffset"},
        {Qt::AltModifier, "userPlaceContexte"},
        {Qt::ShiftModifier, "userPlaceCurseur"},
        {Qt::ControlModifier, "userBougeCurseurEtRulerOffset"}};
    for (const auto& [m, attendu] : parRecall) {
        glisser(r, xPasse, 5, m);
        EXPECT_EQ(ctrl.dernier(), attendu) << int(m);
    }
    // The lower part of the cursor moves the ruler, the upper part the cursor in its window.
    const std::size_t rulers = ctrl.rulers.size();
    glisser(r, xNow, 5, Qt::NoModifier);
    EXPECT_EQ(ctrl.rulers.size(), rulers + 1);
    glisser(r, xNow, 25, Qt::NoModifier);
    EXPECT_EQ(ctrl.dernier(), "dansContexteFixe");

    // A refused press: no drag, no end.
    s = avecVue<GUIRulerCurseurSearch>();
    ctrl.accorde = false;
    const int termines = ctrl.termine;
    ctrl.journal.clear();
    glisser(s, xNow, 5, Qt::NoModifier);
    EXPECT_EQ(ctrl.termine, termines);
    EXPECT_TRUE(ctrl.journal.empty() || ctrl.dernier() == "actif");
}

TEST_F(CursorViews, ARecallDragStopsAtTheParentCursorsOffsetAndTheMenusFollowThePart)
{
    KELICurseur* sup = search->curseurSup();
    if (!sup)
        GTEST_SKIP() << "the Search cursor has no parent in this link base";
    fenetre(600, 600);
    autourDeLaFenetre(300, 300);
    auto* r = avecVue<GUIRulerCurseurRecall>();
    const double parPoint = (ruler->outDate() - ruler->inDate()) / (strip->width() - 1);
    search->setOffsetDouble(sup->offsetDouble() + 2 * parPoint);
    const QPoint haut = qt(r->curseurRect().center().x(), 25);
    souris(QEvent::MouseButtonPress, haut, Qt::LeftButton);
    souris(QEvent::MouseMove, haut - QPoint(10, 0), Qt::LeftButton);
    souris(QEvent::MouseButtonRelease, haut - QPoint(10, 0), Qt::LeftButton);
    EXPECT_EQ(ctrl.dernier(), "dansContexteFixe");
    EXPECT_NEAR(ctrl.valeurs.back(), -2 * parPoint, 1e-6);

    // The secondary press: the end part gives the end menu, and closing it without a choice
    // puts the display back to rest.
    souris(QEvent::MouseButtonPress, qt(r->futurRect().center().x(), 5), Qt::RightButton);
    ASSERT_EQ(strip->dernierMenu(), r->menuContexteOut());
    EXPECT_EQ(r->clickPositionForDisplay(), GUIRulerCurseurView::kFin);
    strip->dernierMenu()->hide();
    EXPECT_EQ(r->clickPositionForDisplay(), GUIRulerCurseurView::kRien);
    souris(QEvent::MouseButtonPress, qt(r->passeRect().center().x(), 5), Qt::RightButton);
    ASSERT_EQ(strip->dernierMenu(), r->menuContexteIn());
    strip->dernierMenu()->hide();

    // The zoom items pass the view's own cursor; a Search view's This items do nothing.
    ctrl.journal.clear();
    r->menuZoom(ZEVZoomFamille::This, ZEVZoomUnite::Jour);
    EXPECT_EQ(ctrl.dernier(), "zoom");
    auto* s = avecVue<GUIRulerCurseurSearch>();
    ctrl.journal.clear();
    s->menuZoom(ZEVZoomFamille::This, ZEVZoomUnite::Jour);
    EXPECT_TRUE(ctrl.journal.empty());
    s->menuZoom(ZEVZoomFamille::Prev, ZEVZoomUnite::Jour);
    EXPECT_EQ(ctrl.dernier(), "zoom");
}

TEST_F(CursorViews, RecallEdgeStepsRescaleTheRulerOrSlideItWithAltAndInactiveViewsDrawPale)
{
    fenetre(600, 600);
    autourDeLaFenetre(1200, 1200);
    auto* r = avecVue<GUIRulerCurseurRecall>();
    const double S = ruler->outDate() - ruler->inDate(), k = S / 1200.0, q = 1200.0;
    r->updateContexteIn(-60);
    ASSERT_EQ(ctrl.rulers.size(), 1u);
    // The window's start keeps its share of the ruler: the start moves by q - 60 - (S + 60 k) q / S.
    EXPECT_NEAR(ctrl.rulers[0].first, q - 60 - (S + 60 * k) * q / S, 1e-6);
    EXPECT_NEAR(ctrl.rulers[0].second - ctrl.rulers[0].first, 60 * k, 1e-6);
    EXPECT_EQ(ctrl.dernier(), "contexteIn");
    modificateurs = Qt::AltModifier;
    r->updateContexteOut(30);
    EXPECT_EQ(ctrl.rulers.back(), std::make_pair(30.0, 30.0));
    EXPECT_EQ(ctrl.dernier(), "contexteOut");
    r->updateContexteOut(0);
    EXPECT_EQ(ctrl.rulers.size(), 2u) << "nothing for 0";
    // The start edge narrowed by a key step never passes the cursor.
    modificateurs = {};
    fenetre(0.5, 600);
    ctrl.ratio = 1;
    r->diminuerContexte();
    EXPECT_NEAR(ctrl.valeurs.back(), 0.4, 1e-6);
    EXPECT_EQ(r->clickPositionForDisplay(), GUIRulerCurseurView::kDebut);

    // Inactive: the pale past of the Recall view, the gray past of the Search view.
    fenetre(600, 600);
    autourDeLaFenetre(300, 300);
    ctrl.curseur = global();
    auto pixel = [&](double x) {
        const QImage image = strip->grab().toImage();
        return image.pixelColor(int(x), strip->height() - 3).rgb();
    };
    r->calculerGeometrie();
    EXPECT_EQ(pixel(r->passeRect().center().x()), QColor::fromRgbF(0.55f, 0.64f, 0.55f).rgb());
    EXPECT_EQ(pixel(r->futurRect().center().x()), QColor::fromRgbF(0.55f, 0.55f, 0.64f).rgb());
    auto* s = avecVue<GUIRulerCurseurSearch>();
    EXPECT_EQ(pixel(s->passeRect().center().x()), systemGrey().rgb());
}

// ---- a column as the controller ----

using ColumnRuler = RulerInput;

TEST_F(ColumnRuler, ContinuousMovesStepEveryFourHundredthsUntilTheMoveEndsAndZoomsActAtOnce)
{
    KELVueController* w = KELVueController::ouvrir(kel::kModelMot, 2000094);
    ASSERT_NE(w, nullptr);
    KELVueDe* v = w->premiereVue();
    ASSERT_NE(v->curseurView(), nullptr);
    fenetre(600, 600);
    v->recharger();
    const double r = v->rulerRatio();
    ASSERT_GT(r, 0);
    EXPECT_EQ(v->tlCurseur(), search->curseurSup());

    ASSERT_TRUE(v->userInitieDeplacementCurseur());
    EXPECT_FALSE(v->siAccepteDeplacement()) << "one move at a time";
    EXPECT_FALSE(v->userInitieDeplacementCurseur());
    EXPECT_DOUBLE_EQ(KELVueDe::intervalleDeRecharge(), 0.05);
    const double t0 = search->now();
    v->userBougeCurseurADroite();
    EXPECT_NEAR(search->now() - t0, 8 * r, 1e-6) << "the first step at once";
    v->userBougeCurseurADroite();
    sched.advance(0.041);
    // The Search cursor also runs with the clock.
    EXPECT_NEAR(search->now() - t0, 16 * r + 0.041, 1e-3) << "one more every 0.04 s; a second call starts nothing";
    v->userTermineDeplacementCurseur();
    sched.advance(0.2);
    EXPECT_NEAR(search->now() - t0, 16 * r + 0.241, 1e-3) << "no step after the end";
    EXPECT_TRUE(v->siAccepteDeplacement());

    // Up widens the window.
    const double avant = search->nowOut() - search->nowIn();
    ASSERT_TRUE(v->userInitieDeplacementCurseur());
    v->userAgranditContexte();
    v->userTermineDeplacementCurseur();
    EXPECT_NEAR(search->nowOut() - search->nowIn(), avant + 20 * r, 1e-3);

    // Prev Day widens the past by a day; outside a move nothing is placed.
    const double in = search->nowIn();
    v->curseurView()->menuZoom(ZEVZoomFamille::Prev, ZEVZoomUnite::Jour);
    EXPECT_NEAR(search->nowIn(), in - 86400, 1e-3);
    v->userPlaceContexteIn(-100);
    EXPECT_NEAR(search->nowIn(), in - 86400, 1e-3);
    EXPECT_TRUE(v->siAccepteDeplacement());
    // This Hour frames the hour that holds the cursor's moment; without the view's cursor nothing.
    v->userZoom(ZEVZoomFamille::This, ZEVZoomUnite::Heure, nullptr);
    EXPECT_NEAR(search->nowIn(), in - 86400, 1e-3);
    v->curseurView()->menuZoom(ZEVZoomFamille::This, ZEVZoomUnite::Heure);
    const std::optional<ZEVPeriode> heure = periodeContenant(ZEVZoomUnite::Heure, search->now());
    ASSERT_TRUE(heure.has_value());
    EXPECT_NEAR(search->nowIn(), heure->debut, 1e-3);
    EXPECT_NEAR(search->nowOut(), heure->fin, 1e-3);

    // A column that goes in the middle of its move ends it.
    ASSERT_TRUE(v->userInitieDeplacementCurseur());
    v->libererSelf();
    EXPECT_FALSE(v->siEnDeplacement());
}

TEST_F(ColumnRuler, OnTheGlobalCursorEveryMoveAndZoomIsRefusedWithABeep)
{
    KELVueController* w = ouvrir(kel::kModelMot);
    ASSERT_NE(w, nullptr);
    KELVueDe* v = w->premiereVue();
    ASSERT_TRUE(v->siSurLeCurseurGlobal());
    KELIContexte* c = global()->contexte();
    const double in = c ? c->offsetIn() : 0, out = c ? c->offsetOut() : 0;
    EXPECT_FALSE(v->siAccepteDeplacement());
    EXPECT_FALSE(v->userInitieDeplacementCurseur());
    v->userZoom(ZEVZoomFamille::Prev, ZEVZoomUnite::Jour, global());
    v->userAnimeCurseurToDate(global()->now() - 3600);
    EXPECT_EQ(sound.beeps, 4);
    EXPECT_FALSE(v->siEnDeplacement());
    if (c) {
        EXPECT_DOUBLE_EQ(c->offsetIn(), in);
        EXPECT_DOUBLE_EQ(c->offsetOut(), out);
    }
}

} // namespace
} // namespace browsertest
