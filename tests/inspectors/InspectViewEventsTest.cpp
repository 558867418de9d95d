// The panel's own events besides the bar's press and drag: plain moves report the pointer to the
// Space, the secondary button shows the panel's menu inside the content and leaves the shadow's
// margin to the desk, and a focused panel is drawn with the Objects' soft shadow.

#include "tests/inspectors/InspectorFixture.h"

#include "look/KELSharedResources.h"
#include "widgets/ZEVButton.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>

namespace inspecttest {
namespace {

// The events a widget receives.
class Recu final : public QObject {
public:
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == QEvent::MouseButtonPress || e->type() == QEvent::ContextMenu)
            types.push_back(e->type());
        return false;
    }
    std::vector<QEvent::Type> types;
};

class PanelEvents : public Inspectors {
protected:
    ZEVInspectView* ouvert()
    {
        ZEVInspectViewer* v = creer("ZEVFileViewer", kFiles);
        EXPECT_NE(v, nullptr);
        if (!v)
            return nullptr;
        v->showInspectView(true);
        sched.advance(0.8);
        QCoreApplication::processEvents();
        return v->inspectViewIfBuilt();
    }
    // A pixel of the panel drawn alone (no children), Qt's y-down.
    static QImage rendu(ZEVInspectView* p)
    {
        QImage img(p->size(), QImage::Format_ARGB32_Premultiplied);
        img.fill(Qt::transparent);
        p->render(&img, QPoint(), QRegion(), QWidget::RenderFlags());
        return img;
    }
};

TEST_F(PanelEvents, PlainMovesOverThePanelReportThePointerInTheWindowYUp)
{
    ZEVInspectView* p = ouvert();
    ASSERT_NE(p, nullptr);
    QWidget* w = p->window();
    const QPoint margin(8, p->height() / 2); // the panel itself, not a child
    QTest::mouseMove(p, margin);
    QCoreApplication::processEvents();
    const QPoint inWindow = p->mapTo(w, margin);
    EXPECT_EQ(space->mouseLimitPoint(), QPointF(inWindow.x(), w->height() - inWindow.y()));
}

TEST_F(PanelEvents, TheSecondaryButtonShowsThePanelsMenuInsideAndLeavesTheMarginToTheDesk)
{
    ZEVInspectView* p = ouvert();
    ASSERT_NE(p, nullptr);
    QMenu* menu = p->inspectViewMenu();
    ASSERT_NE(menu, nullptr);
    const QPoint inside(p->width() / 2, p->height() - 20 - 10);
    const QPoint outside(6, p->height() - 6);
    EXPECT_EQ(p->menuForPoint(QPointF(inside.x(), p->height() - inside.y())), menu);
    EXPECT_EQ(p->menuForPoint(QPointF(outside.x(), p->height() - outside.y())), nullptr);

    // The margin: both the press and the menu request go on to the desk.
    Recu desk;
    canvas()->installEventFilter(&desk);
    QMouseEvent press(QEvent::MouseButtonPress, outside, p->mapToGlobal(outside), Qt::RightButton, Qt::RightButton,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(p, &press);
    QContextMenuEvent there(QContextMenuEvent::Mouse, outside, p->mapToGlobal(outside));
    QCoreApplication::sendEvent(p, &there);
    EXPECT_EQ(desk.types, (std::vector<QEvent::Type>{QEvent::MouseButtonPress, QEvent::ContextMenu}));
    EXPECT_FALSE(menu->isVisible());
    desk.types.clear();

    // Inside: the press is kept from the desk and starts no bar press; the menu opens.
    QMouseEvent pressIn(QEvent::MouseButtonPress, inside, p->mapToGlobal(inside), Qt::RightButton, Qt::RightButton,
                        Qt::NoModifier);
    QCoreApplication::sendEvent(p, &pressIn);
    EXPECT_TRUE(pressIn.isAccepted());
    EXPECT_EQ(p->clickPosition(), ZEVInspectZoneNone);
    EXPECT_FALSE(p->siSelected());
    QContextMenuEvent here(QContextMenuEvent::Mouse, inside, p->mapToGlobal(inside));
    QCoreApplication::sendEvent(p, &here);
    EXPECT_TRUE(here.isAccepted());
    EXPECT_TRUE(menu->isVisible());
    EXPECT_TRUE(desk.types.empty()) << "the desk shows no menu of its own";

    // Its entries go to the controller, which presses the panel's Recall button: the entry is not
    // offered while the button is disabled (nor does it press or beep), and presses it once
    // when the menu opens with the button enabled.
    QAction* recall = nullptr;
    for (QAction* a : menu->actions())
        if (a->text() == QStringLiteral("Recall"))
            recall = a;
    ASSERT_NE(recall, nullptr);
    ASSERT_NE(p->btnRecall(), nullptr);
    EXPECT_FALSE(recall->isEnabled());
    QSignalSpy presses(p->btnRecall(), &QAbstractButton::clicked);
    const int beeps = sound.beeps;
    recall->trigger();
    EXPECT_EQ(presses.count(), 0);
    EXPECT_EQ(sound.beeps, beeps);
    menu->hide();
    p->btnRecall()->setEnabled(true);
    QContextMenuEvent again(QContextMenuEvent::Mouse, inside, p->mapToGlobal(inside));
    QCoreApplication::sendEvent(p, &again);
    EXPECT_TRUE(recall->isEnabled());
    recall->trigger();
    EXPECT_EQ(presses.count(), 1);
    menu->hide();
}

TEST_F(PanelEvents, AFocusedPanelCastsTheObjectsSoftShadowBelowAndBesideAndAnUnfocusedOneNone)
{
    ZEVInspectView* p = ouvert();
    ASSERT_NE(p, nullptr);
    ASSERT_TRUE(p->viewer().siFirstResponder());
    const int bas = p->height() - 20; // the content's lower edge, Qt's y-down
    const int mx = p->width() / 2;
    QImage img = rendu(p);
    const int pres = qAlpha(img.pixel(mx, bas + 2));
    const int loin = qAlpha(img.pixel(mx, bas + 9));
    EXPECT_GT(pres, 0);
    EXPECT_GT(loin, 0) << "blurred over the margin, not a narrow band";
    EXPECT_LT(loin, pres) << "fading away from the edge";
    EXPECT_GT(qAlpha(img.pixel(20 - 4, p->height() / 2)), 0) << "beside the content too";
    EXPECT_EQ(qAlpha(img.pixel(2, 2)), 0) << "the margin's far corner stays clear";

    focusDesk();
    ASSERT_FALSE(p->viewer().siFirstResponder());
    img = rendu(p);
    EXPECT_EQ(qAlpha(img.pixel(mx, bas + 4)), 0) << "no shadow without the focus";
}

TEST_F(PanelEvents, TheActiveCursorsMarkStaysInSightOverTheBarsButtons)
{
    ZEVInspectView* p = ouvert();
    ASSERT_NE(p, nullptr);
    auto toutRendu = [p] {
        QImage img(p->size(), QImage::Format_ARGB32_Premultiplied);
        img.fill(Qt::transparent);
        p->render(&img, QPoint(), QRegion(), QWidget::DrawChildren);
        return img;
    };
    toutRendu();
    const double a = p->curseurActifRect().x() + 5;
    ASSERT_GT(a, -1e6) << "the strip places the active cursor";
    // The panel moved so that the mark falls on the middle of the entity button.
    ZEVButton* b = p->btnEntity();
    const int bx = b->geometry().center().x();
    p->superSetFrame(p->frame().translated(a - bx, 0));
    const QImage img = toutRendu();
    ASSERT_NEAR(p->curseurActifRect().x() + 5, bx, 1.0);
    // The disc's centre, 32.5 points above the panel's lower edge, lies on the button.
    const QPoint centre(bx, p->height() - 33);
    ASSERT_TRUE(b->geometry().contains(centre));
    const QColor now = space->host().sharedResources().nowCurseurColor();
    const QColor seen = img.pixelColor(centre);
    EXPECT_NEAR(seen.red(), now.red(), 20);
    EXPECT_NEAR(seen.green(), now.green(), 20);
    EXPECT_NEAR(seen.blue(), now.blue(), 20);
    // And the layer that draws it lets every press through to what lies below.
    QWidget* top = qobject_cast<QWidget*>(p->children().last());
    ASSERT_NE(top, nullptr);
    EXPECT_TRUE(top->testAttribute(Qt::WA_TransparentForMouseEvents));
    EXPECT_EQ(p->childAt(centre), b);
}

} // namespace
} // namespace inspecttest
