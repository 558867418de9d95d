// The colour popup: opening selects the colour's row or none and the top; Return chooses and
// Escape cancels, both kept from the list; an empty choice is a cancel; a click on another window
// cancels and still reaches it, and the next request only closes; the program losing the focus
// cancels; the grow animation's phases. And the colour view behind the preview.

#include "tests/inspectors/InspectorFixture.h"

#include "inspectors/images/ZEVBackPopup.h"
#include "inspectors/images/ZEVBackViewer.h"

#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

namespace inspecttest {
namespace {

class Client final : public ZEVBackPopupClient {
public:
    void colorTableDidChooseColor(const QColor& c, const QString& name) override { choix.emplace_back(c, name); }
    void didCancelColorTable() override { ++annulations; }
    std::vector<std::pair<QColor, QString>> choix;
    int annulations = 0;
};

// Counts the events of a kind that reach an object.
class Compte final : public QObject {
public:
    Compte(QObject* o, QEvent::Type t) : type_(t) { o->installEventFilter(this); }
    int n = 0;

protected:
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == type_)
            ++n;
        return false;
    }

private:
    QEvent::Type type_;
};

class ColorPopup : public Inspectors {
protected:
    void SetUp() override
    {
        Inspectors::SetUp();
        popup().setDelegate(&client);
    }
    void TearDown() override
    {
        popup().setDelegate(nullptr);
        popup().closeAndSendAction(false);
        if (popup().window())
            popup().window()->resetSiOpen();
        Inspectors::TearDown();
    }
    static ZEVBackPopupController& popup() { return ZEVBackPopupController::shared(); }
    QListWidget* list() { return popup().window()->list(); }
    void ouvrir(const QColor& c)
    {
        popup().editColor(c, QPoint(300, 200));
        sched.advance(0.5);
        QCoreApplication::processEvents();
    }
    Client client;
};

TEST_F(ColorPopup, OpeningSelectsTheColoursRowOrNoneAndTheTop)
{
    const auto& couleurs = ZEVBackColorList();
    ASSERT_GT(couleurs.size(), 20u);
    ouvrir(couleurs[20].color);
    EXPECT_TRUE(popup().siVisible());
    EXPECT_EQ(popup().selectedColorName(), couleurs[20].name);
    EXPECT_EQ(popup().selectedColor().rgb(), couleurs[20].color.rgb());
    EXPECT_GT(list()->verticalScrollBar()->value(), 0) << "scrolled to its row";
    popup().closeAndSendAction(false);
    popup().window()->resetSiOpen();

    ouvrir(QColor(1, 2, 3));
    EXPECT_TRUE(popup().selectedColorName().isEmpty());
    EXPECT_FALSE(popup().selectedColor().isValid());
    EXPECT_EQ(list()->verticalScrollBar()->value(), 0);
    EXPECT_EQ(popup().window()->pos(), QPoint(300 - popup().window()->width() / 2 + 12, 216)) << "under the point";
}

TEST_F(ColorPopup, ReturnChoosesEscapeCancelsAndNeitherReachesTheList)
{
    const auto& couleurs = ZEVBackColorList();
    ouvrir(couleurs[3].color);
    Compte touches(list(), QEvent::KeyPress);
    QTest::keyClick(list(), Qt::Key_Down);
    EXPECT_EQ(touches.n, 1) << "arrows go to the list";
    QTest::keyClick(list(), Qt::Key_Return);
    EXPECT_EQ(touches.n, 1) << "Return is the popup's";
    ASSERT_EQ(client.choix.size(), 1u);
    EXPECT_EQ(client.choix[0].second, couleurs[4].name);
    EXPECT_EQ(client.choix[0].first.rgb(), couleurs[4].color.rgb());
    EXPECT_FALSE(popup().siVisible());

    ouvrir(couleurs[3].color);
    QTest::keyClick(list(), Qt::Key_Escape);
    EXPECT_EQ(touches.n, 1) << "nor Escape";
    EXPECT_EQ(client.annulations, 1);
    EXPECT_EQ(client.choix.size(), 1u);

    // From no row, the first step down takes the first colour.
    ouvrir(QColor(1, 2, 3));
    QTest::keyClick(list(), Qt::Key_Down);
    EXPECT_EQ(popup().selectedColorName(), couleurs[0].name);
    QTest::keyClick(list(), Qt::Key_Escape);
    EXPECT_EQ(client.annulations, 2);

    // Return with no row selected has no colour to give: a cancel.
    ouvrir(QColor(1, 2, 3));
    QTest::keyClick(list(), Qt::Key_Return);
    EXPECT_EQ(client.choix.size(), 1u);
    EXPECT_EQ(client.annulations, 3);
}

TEST_F(ColorPopup, AClickElsewhereCancelsReachesItsTargetAndTheNextRequestOnlyCloses)
{
    QPushButton ailleurs(QStringLiteral("elsewhere"));
    ailleurs.show();
    ouvrir(ZEVBackColorList()[1].color);
    ASSERT_TRUE(popup().window()->siOpen());
    int clics = 0;
    QObject::connect(&ailleurs, &QPushButton::clicked, [&] { ++clics; });
    QTest::mouseClick(&ailleurs, Qt::LeftButton);
    EXPECT_EQ(client.annulations, 1);
    EXPECT_EQ(clics, 1) << "the click still reached the button";
    EXPECT_FALSE(popup().siVisible());
    // The swatch's next click: the popup only closes, with one cancel, and opens on the one after.
    popup().editColor(ZEVBackColorList()[1].color, QPoint(10, 10));
    EXPECT_FALSE(popup().siVisible());
    EXPECT_EQ(client.annulations, 2);
    ouvrir(ZEVBackColorList()[1].color);
    EXPECT_TRUE(popup().siVisible());

    // The program losing the focus cancels.
    QMetaObject::invokeMethod(qApp, "applicationStateChanged", Qt::DirectConnection,
                              Q_ARG(Qt::ApplicationState, Qt::ApplicationInactive));
    EXPECT_FALSE(popup().siVisible());
    EXPECT_EQ(client.annulations, 3);
    EXPECT_TRUE(client.choix.empty());
}

TEST_F(ColorPopup, ItGrowsPastItsSizeShrinksBelowAndSettlesInFourTenthsOfASecond)
{
    popup().editColor(ZEVBackColorList()[2].color, QPoint(300, 200));
    ZEVBackPopupWindow* w = popup().window();
    EXPECT_EQ(w->phase(), ZEVBackPopupWindow::Phase::Growing);
    EXPECT_NEAR(w->scale(), 0.01, 1e-9);
    EXPECT_FALSE(w->siOpen());
    double plusGrand = 0, plusPetitApres = 2;
    bool redescendu = false;
    for (int i = 0; i < 30 && w->siAnimating(); ++i) {
        sched.advance(1.0 / 60.0);
        plusGrand = std::max(plusGrand, w->scale());
        if (w->phase() == ZEVBackPopupWindow::Phase::Settling || redescendu) {
            redescendu = true;
            plusPetitApres = std::min(plusPetitApres, w->scale());
        }
    }
    EXPECT_FALSE(w->siAnimating());
    EXPECT_NEAR(plusGrand, 1.25, 1e-6);
    EXPECT_NEAR(plusPetitApres, 0.8, 0.05);
    EXPECT_EQ(w->scale(), 1.0);
    EXPECT_TRUE(w->siOpen());
    EXPECT_TRUE(w->list()->isVisible()) << "the real content is back";
}

TEST_F(ColorPopup, TheColourViewIsTranslucentUnlessThePanelHasTheKeysAndAPlainClickPresses)
{
    auto* v = dynamic_cast<ZEVBackViewer*>(creer("ZEVBackViewer", KELENTITY_BACK_VIEWER));
    ASSERT_NE(v, nullptr);
    v->showInspectView(true);
    settle();
    QWidget parent;
    ZEVBackColorView vue(v, &parent);
    QPushButton preview(&parent);
    int presses = 0;
    QObject::connect(&preview, &QPushButton::clicked, [&] { ++presses; });
    vue.setPreviewButton(&preview);
    vue.resize(100, 100);
    parent.show();
    focusDesk();
    EXPECT_EQ(vue.alpha(), ZEVBackColorView::kUnfocusedAlpha);
    QTest::mouseClick(&vue, Qt::LeftButton);
    EXPECT_EQ(presses, 0) << "a click that only gives the panel the keys";
    v->setFirstResponder();
    QCoreApplication::processEvents();
    ASSERT_TRUE(v->siFirstResponder());
    EXPECT_EQ(vue.alpha(), 1.0);
    QTest::mouseClick(&vue, Qt::LeftButton);
    EXPECT_EQ(presses, 1);
    QTest::mousePress(&vue, Qt::LeftButton, {}, QPoint(10, 10));
    QTest::mouseMove(&vue, QPoint(40, 40));
    QMouseEvent glisse(QEvent::MouseMove, QPointF(50, 50), vue.mapToGlobal(QPointF(50, 50)), Qt::NoButton,
                       Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&vue, &glisse);
    QTest::mouseRelease(&vue, Qt::LeftButton, {}, QPoint(50, 50));
    EXPECT_EQ(presses, 1) << "a drag presses nothing";
}

} // namespace
} // namespace inspecttest
