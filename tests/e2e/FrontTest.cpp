// The front layer in the running program: a lasso selects and the status text counts it, the
// Tools menu switches the mode and a held Shift lends Icon mode until it is released, a press held
// on the empty desk hands the desk to the Search cursor, and a click on a drawn link line selects
// it. A tool menu's show-links item is the user's kept choice, which the step back turns off.

#include "tests/e2e/E2EFixture.h"

#include "app/menu/KELMainMenu.h"
#include "engine/KELICurseur.h"
#include "front/ZEVFrontView.h"
#include "front/ZEVFrontViewer.h"
#include "objects/viewer/ZEVItemConnexion.h"
#include "objects/viewer/ZEVItemViewer.h"
#include "platform/sound/Sound.h"
#include "space/ZEVSelections.h"
#include "widgets/ZEVButton.h"

#include <QApplication>
#include <QFile>
#include <QGuiApplication>
#include <QMenuBar>
#include <QMimeData>
#include <QMenu>
#include <QTest>
#include <QDragEnterEvent>
#include <QWindow>

#include <cmath>
#include <utility>

namespace e2e {
namespace {

class SilentSound final : public Sound {
public:
    void beep() override {}
    void play(const QString& name) override { played << name; }
    QStringList played;
};

class Front : public E2EWithSound<SilentSound> {
protected:
    ZEVFrontViewer* front() const { return space() ? dynamic_cast<ZEVFrontViewer*>(space()->frontViewer()) : nullptr; }
    QWidget* canvas() const { return window()->spaceView()->deskCanvas()->viewport(); }
    // A y-up point of the canvas as the widget takes it.
    QPoint at(double x, double y) const { return QPoint(int(x), int(canvas()->height() - y)); }

    // Three files placed on the Now desk from the desktop; their views in that order.
    std::vector<ZEVItemViewForDesks*> placeThreeFiles()
    {
        const QStringList names{"one.txt", "two.txt", "three.txt"};
        addHomeFiles(names);
        std::vector<ZEVItemViewForDesks*> views = viewsTitled(names);
        EXPECT_EQ(views.size(), 3u);
        return views;
    }

    // Started, with three files placed, the first and the last linked (the only link of the Now
    // desk) and the lines shown; the line is null when any of it failed.
    std::pair<std::vector<ZEVItemViewForDesks*>, ZEVItemConnexion*> startWithTheOuterOfThreeLinked()
    {
        start();
        EXPECT_NE(front(), nullptr);
        const auto views = placeThreeFiles();
        if (views.size() != 3)
            return {views, nullptr};
        ZEVItemViewer* viewer = space()->itemViewerForCurseur(space()->nowCurseur());
        viewer->userRecallLinkWithItem(views[0]->item(), views[2]->item());
        advance(1.0);
        EXPECT_EQ(viewer->connexionCount(), 1u);
        space()->setSiShowLinksForAllObjects(true);
        return {views, viewer->connexionCount() == 1 ? *viewer->connexionsExistantes().begin() : nullptr};
    }

    void chooseTool(long tag)
    {
        KELMainMenu* menu = adapter()->mainMenu();
        ASSERT_NE(menu, nullptr);
        QMenuBar* bar = menu->menuBar();
        QMenu* m = menu->menuWithTag(KELMainMenu::kMenuModes);
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(m->menuAction()).center());
        pump();
        ASSERT_TRUE(m->isVisible()) << "the Tools menu did not open";
        QAction* item = menu->item(KELMainMenu::kMenuModes, tag);
        ASSERT_TRUE(item && item->isEnabled());
        QTest::mouseClick(m, Qt::LeftButton, {}, m->actionGeometry(item).center());
        pump();
        activate();
    }
    // The Space window takes the keyboard back, as after a menu closes, before any key is typed:
    // its coming forward reads the held modifiers again.
    void activate()
    {
        QApplication::setActiveWindow(window());
        pump();
    }

};

TEST_F(Front, ALassoOverTwoOfThreeIconsSelectsThemAndTheStatusTextCountsThem)
{
    start();
    ASSERT_NE(front(), nullptr) << "the program runs without its front viewer";
    EXPECT_EQ(adapter()->frontViewer(), space()->frontViewer());
    const auto views = placeThreeFiles();
    ASSERT_EQ(views.size(), 3u);

    QRectF two = views[0]->imageFrame().united(views[1]->imageFrame());
    ASSERT_FALSE(two.adjusted(-4, -4, 4, 4).intersects(views[2]->imageFrame()))
        << "the default places put the third icon between the first two";
    // The placed icons come selected, and a press within 10 points of a selected icon is the
    // icon's own: a lasso over nothing deselects them first.
    QTest::mousePress(canvas(), Qt::LeftButton, {}, at(5, 5));
    QTest::mouseMove(canvas(), at(10, 10));
    QTest::mouseRelease(canvas(), Qt::LeftButton, {}, at(15, 15));
    pump();
    ASSERT_TRUE(space()->selections().selectedIconItems().empty());
    const QPoint from = at(two.left() - 4, two.bottom() + 4);
    const QPoint to = at(two.right() + 4, two.top() - 4);
    QTest::mousePress(canvas(), Qt::LeftButton, {}, from);
    QTest::mouseMove(canvas(), (from + to) / 2);
    pump();
    EXPECT_TRUE(front()->siLasso());
    EXPECT_FALSE(front()->frontViewImpl()->lassoRect().isEmpty()) << "the lasso is drawn by the front view";
    QTest::mouseMove(canvas(), to);
    QTest::mouseRelease(canvas(), Qt::LeftButton, {}, to);
    pump();

    EXPECT_FALSE(front()->siLasso());
    EXPECT_EQ(space()->selections().selectedIconItems().size(), 2u);
    EXPECT_EQ(front()->nameForFrontMode(ZEVFrontModeIcons), QStringLiteral("2 Icons selected"));
    EXPECT_EQ(front()->shortNameForFrontMode(ZEVFrontModeIcons), QStringLiteral("2"));
    // The Tools menu reads the same text.
    adapter()->mainMenu()->menuWithTag(KELMainMenu::kMenuModes)->aboutToShow();
    EXPECT_EQ(adapter()->mainMenu()->item(KELMainMenu::kMenuModes, 1)->text(), QStringLiteral("2 Icons selected"));
}

TEST_F(Front, ShiftHeldInFilterModeLendsIconModeUntilItIsReleased)
{
    start();
    ASSERT_NE(front(), nullptr);
    activate();
    chooseTool(3);
    EXPECT_EQ(front()->frontMode(), ZEVFrontModeFilters);
    EXPECT_EQ(sound.played, QStringList{QStringLiteral("Pop")});
    EXPECT_EQ(front()->modeButtonState(ZEVFrontModeFilters), 1);

    QTest::keyPress(window(), Qt::Key_Shift, Qt::ShiftModifier);
    pump();
    EXPECT_EQ(front()->frontMode(), ZEVFrontModeIcons);
    EXPECT_TRUE(front()->isUserChangingFlag());
    EXPECT_EQ(front()->modeButtonState(ZEVFrontModeIcons), 1);
    EXPECT_EQ(front()->modeButtonState(ZEVFrontModeFilters), -1) << "the mode to come back to shows mixed";

    QTest::keyRelease(window(), Qt::Key_Shift, Qt::NoModifier);
    pump();
    EXPECT_EQ(front()->frontMode(), ZEVFrontModeFilters);
    EXPECT_FALSE(front()->isUserChangingFlag());
    EXPECT_EQ(front()->modeButtonState(ZEVFrontModeFilters), 1);
    EXPECT_EQ(front()->modeButtonState(ZEVFrontModeIcons), 0);

    // A switch asked while a modifier holds the mode (here by the Tools menu's key) only lights
    // the asked button.
    QTest::keyPress(window(), Qt::Key_Shift, Qt::ShiftModifier);
    pump();
    space()->frontViewer()->menuModeLink();
    EXPECT_EQ(front()->frontMode(), ZEVFrontModeIcons);
    EXPECT_EQ(front()->modeButtonState(ZEVFrontModeLinks), 1);
    QTest::keyRelease(window(), Qt::Key_Shift, Qt::NoModifier);
    pump();
    EXPECT_EQ(front()->frontMode(), ZEVFrontModeFilters);
    chooseTool(1);
    EXPECT_EQ(front()->frontMode(), ZEVFrontModeIcons);

    // A quasimode whose release went to another window ends when the window comes back: the
    // modifiers really held (none, as the window system reports them) are read again.
    QTest::keyPress(window(), Qt::Key_Alt, Qt::AltModifier);
    pump();
    EXPECT_EQ(front()->frontMode(), ZEVFrontModeFilters);
    front()->userRereadFlags(Qt::NoModifier);
    EXPECT_FALSE(front()->isUserChangingFlag());
    EXPECT_EQ(front()->frontMode(), ZEVFrontModeIcons);
}

TEST_F(Front, APressHeldOnTheEmptyDeskWithNowActiveHandsTheDeskToSearch)
{
    start();
    ASSERT_NE(front(), nullptr);
    ASSERT_EQ(space()->actifCurseur(), space()->nowCurseur());
    const QPoint p(canvas()->width() / 2, canvas()->height() - 20);
    QTest::mousePress(canvas(), Qt::LeftButton, {}, p);
    pump();
    advance(0.6);
    EXPECT_EQ(space()->actifCurseur(), space()->nowCurseur()) << "too early";
    advance(0.2);
    EXPECT_EQ(space()->actifCurseur(), space()->searchCurseur());
    EXPECT_TRUE(front()->frontViewImpl()->siMouseDownCourt());
    QTest::mouseRelease(canvas(), Qt::LeftButton, {}, p);
    pump();
    EXPECT_FALSE(front()->frontViewImpl()->siMouseDownCourt());
    quit();
    const Rows r = sql(database(), "SELECT CHILD_ZEVLET FROM ZEVLETS WHERE RELATION = 1000092 ORDER BY DATE_IN DESC, "
                                   "ZEVLET_ID DESC LIMIT 1");
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r.at(0, 0), "2000093");
}

TEST_F(Front, AnObjectViewThatLeavesDuringAPressIsNeverTouchedAgain)
{
    start();
    ASSERT_NE(front(), nullptr);
    const auto views = placeThreeFiles();
    ASSERT_EQ(views.size(), 3u);
    const QPointF centre = views[0]->imageFrame().center();
    const QPoint c = at(centre.x(), centre.y());
    KELI* gone = views[0]->item();
    QTest::mousePress(canvas(), Qt::LeftButton, {}, c);
    pump();
    // Its icon leaves the desk while the button is down (as when the cursor it shows moves on).
    nowDesk()->deleteItemView(views[0]);
    pump();
    ASSERT_EQ(nowDesk()->itemViewForItem(gone), nullptr);
    QTest::mouseMove(canvas(), c + QPoint(40, -20));
    pump();
    QTest::mouseRelease(canvas(), Qt::LeftButton, {}, c + QPoint(40, -20));
    pump();
    advance(3.0);
    EXPECT_EQ(nowDesk()->itemViewSet().size(), 2u);
    EXPECT_EQ(space()->actifCurseur(), space()->nowCurseur());
    // The desk goes on answering presses.
    const QPointF other = views[1]->imageFrame().center();
    QTest::mouseClick(canvas(), Qt::LeftButton, {}, at(other.x(), other.y()));
    pump();
    EXPECT_EQ(space()->selections().selectedIconItems(), std::vector<KELI*>{views[1]->item()});
}

TEST_F(Front, AClickOnADrawnLinkLineSelectsItAndCtrlTakesItBack)
{
    const auto linked = startWithTheOuterOfThreeLinked();
    const auto& views = linked.first;
    ZEVItemConnexion* line = linked.second;
    ASSERT_NE(line, nullptr);
    canvas()->repaint();
    ASSERT_TRUE(line->siDisplayed()) << "the line is drawn";
    // A point of the line between the two rings, away from the Object between them.
    const QPointF a = line->dragSrcPointWithRadiusCorrection(), b = line->dragDstPointWithRadiusCorrection();
    const QPointF onLine = a + (b - a) * 0.1;
    ASSERT_FALSE(views[1]->imageFrame().contains(onLine));
    const std::vector<KELI*> icons = space()->selections().selectedIconItems();
    QTest::mouseClick(canvas(), Qt::LeftButton, {}, at(onLine.x(), onLine.y()));
    pump();
    EXPECT_TRUE(space()->selections().isLinkSelectedForConnexion(line));
    EXPECT_EQ(space()->selections().selectedIconItems(), icons) << "the press stopped at the line";
    QTest::mouseClick(canvas(), Qt::LeftButton, Qt::ControlModifier, at(onLine.x(), onLine.y()));
    pump();
    EXPECT_FALSE(space()->selections().isLinkSelectedForConnexion(line));
    // With the lines hidden a click there is the desk's: no line is hit.
    space()->setSiShowLinksForAllObjects(false);
    QTest::mouseClick(canvas(), Qt::LeftButton, {}, at(onLine.x(), onLine.y()));
    pump();
    EXPECT_FALSE(space()->selections().isLinkSelectedForConnexion(line));
}

// The lines are kept on a layer of their own and laid again only where they changed: dragging a
// linked icon shows its line at the new place, and nothing of it is left where it was.
TEST_F(Front, DraggingALinkedIconShowsItsLineAtTheNewPlaceAndNoneAtTheOld)
{
    const auto linked = startWithTheOuterOfThreeLinked();
    const auto& views = linked.first;
    ZEVItemConnexion* line = linked.second;
    ASSERT_NE(line, nullptr);
    canvas()->grab(); // the lines are laid once in full
    ASSERT_TRUE(line->siDisplayed());
    // A quarter along the line from the icon that moves: there the line moves the most.
    const auto quarter = [&] {
        const bool fromSource = line->srcItemView() == views[0];
        QPointF a = line->dragSrcPointWithRadiusCorrection(), b = line->dragDstPointWithRadiusCorrection();
        if (!fromSource)
            std::swap(a, b);
        return a + (b - a) * 0.25;
    };
    const QPointF old = quarter();

    // Dragged across the line, 100 points to its side that lies towards the middle of the desk.
    const QPointF a = line->dragSrcPoint(), b = line->dragDstPoint();
    QPointF side = QPointF(-(b - a).y(), (b - a).x()) / std::hypot(b.x() - a.x(), b.y() - a.y()) * 100;
    const QPointF from = views[0]->imageFrame().center();
    const QPointF middle(canvas()->width() / 2.0, canvas()->height() / 2.0);
    if (QPointF::dotProduct(side, middle - from) < 0)
        side = -side;
    const ZEVIconPosition before = views[0]->iconPosition();
    QTest::mousePress(canvas(), Qt::LeftButton, {}, at(from.x(), from.y()));
    for (int i = 1; i <= 4; ++i)
        QTest::mouseMove(canvas(), at(from.x() + side.x() * i / 4, from.y() + side.y() * i / 4));
    QTest::mouseRelease(canvas(), Qt::LeftButton, {}, at(from.x() + side.x(), from.y() + side.y()));
    pump();
    advance(1.2);
    ASSERT_GT(std::hypot(views[0]->iconPosition().x - before.x, views[0]->iconPosition().y - before.y), 50)
        << "the icon moved";
    const QPointF now = quarter();
    ASSERT_GT(std::hypot(now.x() - old.x(), now.y() - old.y()), 40);

    const QImage shown = canvas()->grab().toImage();
    space()->setSiShowLinksForAllObjects(false);
    const QImage bare = canvas()->grab().toImage();
    const QPoint there = at(now.x(), now.y()), gone = at(old.x(), old.y());
    ASSERT_TRUE(shown.rect().contains(there) && shown.rect().contains(gone));
    EXPECT_NE(shown.pixel(there), bare.pixel(there)) << "the line is drawn where it is now";
    EXPECT_EQ(shown.pixel(gone), bare.pixel(gone)) << "and nothing is left where it was";
}

TEST_F(Front, ADragStartedBeforeTheShortPressDrawsALassoAndMovesNoCursor)
{
    start();
    ASSERT_NE(front(), nullptr);
    const QPoint p(canvas()->width() / 2, canvas()->height() - 20);
    QTest::mousePress(canvas(), Qt::LeftButton, {}, p);
    QTest::mouseMove(canvas(), p + QPoint(30, -30));
    pump();
    advance(3.0);
    EXPECT_EQ(space()->actifCurseur(), space()->nowCurseur());
    QTest::mouseRelease(canvas(), Qt::LeftButton, {}, p + QPoint(30, -30));
    pump();
    EXPECT_FALSE(front()->siLasso());
}

TEST_F(Front, AQuasimodeWhoseReleaseWentToAnotherWindowEndsWhenTheFocusMovesInItsWindow)
{
    start();
    ASSERT_NE(front(), nullptr);
    activate();
    chooseTool(3);
    QWidget* desk = window()->spaceView()->deskCanvas();
    desk->setFocus(Qt::OtherFocusReason);
    pump();
    QTest::keyPress(window(), Qt::Key_Shift, Qt::ShiftModifier);
    pump();
    ASSERT_EQ(front()->frontMode(), ZEVFrontModeIcons);
    // The release reaches another window of the window system: the Space window never hears of
    // it, but the modifiers the application reads are none from now on.
    QWindow elsewhere;
    QTest::keyRelease(&elsewhere, Qt::Key_Shift, Qt::NoModifier);
    pump();
    ASSERT_EQ(front()->frontMode(), ZEVFrontModeIcons);
    ASSERT_EQ(QGuiApplication::queryKeyboardModifiers() & Qt::ShiftModifier, Qt::NoModifier);
    // The window stays active; only its focus moves.
    window()->setFocus(Qt::OtherFocusReason);
    pump();
    EXPECT_EQ(front()->frontMode(), ZEVFrontModeFilters);
    EXPECT_FALSE(front()->isUserChangingFlag());
}

TEST_F(Front, TheStepBackHidesLinksShownFromAToolMenuAndItsItemFollows)
{
    start();
    ASSERT_NE(front(), nullptr);
    activate();
    ASSERT_EQ(front()->frontMode(), ZEVFrontModeIcons);
    ZEVButton* button = front()->modeButton(ZEVFrontModeIcons);
    QMenu* icons = front()->toolMenu(ZEVFrontModeIcons);
    ASSERT_TRUE(button && icons);
    QTest::mousePress(button, Qt::LeftButton, {}, button->rect().center());
    advance(0.05);
    QTest::mouseRelease(button, Qt::LeftButton, {}, button->rect().center());
    ASSERT_TRUE(pumpUntil([&] { return icons->isVisible(); }));
    QAction* all = nullptr;
    for (QAction* a : icons->actions())
        if (a->text() == QStringLiteral("Show Links for All Objects"))
            all = a;
    ASSERT_NE(all, nullptr);
    chooseInMenu(icons, all);
    advance(0.5);
    ASSERT_TRUE(space()->displayOptions().siShowLinks());
    EXPECT_TRUE(values->values(QStringLiteral("ZEVShowLinksForAllIcons")).toBool()) << "the choice is not kept";

    // Esc steps back through what is open, the links among them.
    for (int i = 0; i < 6 && space()->displayOptions().siShowLinks(); ++i) {
        key(Qt::Key_Escape);
        advance(0.5);
    }
    EXPECT_FALSE(space()->displayOptions().siShowLinks()) << "the step back never got past the links";
    EXPECT_FALSE(all->isChecked()) << "the menu shows links that are hidden";
    // Another mode and back: the links stay hidden.
    front()->menuModeTitle();
    advance(0.5);
    front()->menuModeIcon();
    advance(0.5);
    EXPECT_FALSE(space()->displayOptions().siShowLinks()) << "the hidden links came back";
}

TEST_F(Front, AModeButtonsShortPressOpensItsToolMenuWhileALongPressOrADragResting08sSwitches)
{
    start();
    ASSERT_NE(front(), nullptr);
    activate();
    ZEVButton* links = front()->modeButton(ZEVFrontModeLinks);
    ZEVButton* titles = front()->modeButton(ZEVFrontModeTitles);
    ASSERT_TRUE(links && titles);
    ASSERT_EQ(front()->frontMode(), ZEVFrontModeIcons);

    const QPoint c = links->rect().center();
    QTest::mousePress(links, Qt::LeftButton, {}, c);
    advance(0.05);
    QTest::mouseRelease(links, Qt::LeftButton, {}, c);
    pump();
    EXPECT_EQ(front()->frontMode(), ZEVFrontModeIcons);
    ASSERT_NE(front()->toolMenu(ZEVFrontModeLinks), nullptr);
    EXPECT_TRUE(front()->toolMenu(ZEVFrontModeLinks)->isVisible()) << "a short press shows the tool menu";
    front()->toolMenu(ZEVFrontModeLinks)->close();
    pump();

    QTest::mousePress(links, Qt::LeftButton, {}, c);
    advance(0.3);
    QTest::mouseRelease(links, Qt::LeftButton, {}, c);
    pump();
    advance(0.1);
    EXPECT_EQ(front()->frontMode(), ZEVFrontModeLinks);
    EXPECT_FALSE(front()->toolMenu(ZEVFrontModeLinks)->isVisible());
    // The pressed button goes back as it was, then shows the mode in force.
    advance(0.5);
    EXPECT_EQ(front()->modeButtonState(ZEVFrontModeLinks), 1);
    EXPECT_EQ(front()->modeButtonState(ZEVFrontModeIcons), 0);
    EXPECT_EQ(sound.played.count(QStringLiteral("Pop")), 1);

    // Something dragged over the Titles button and resting there: the switch comes at 0.8 s.
    QMimeData dragged;
    dragged.setText(QStringLiteral("notes"));
    QDragEnterEvent enter(titles->rect().center(), Qt::CopyAction, &dragged, Qt::LeftButton, {});
    QApplication::sendEvent(titles, &enter);
    advance(0.75);
    EXPECT_EQ(front()->frontMode(), ZEVFrontModeLinks) << "too early";
    advance(0.1);
    EXPECT_EQ(front()->frontMode(), ZEVFrontModeTitles);
    QDragLeaveEvent leave;
    QApplication::sendEvent(titles, &leave);
    advance(1.0);
    EXPECT_EQ(front()->frontMode(), ZEVFrontModeTitles);
}

} // namespace
} // namespace e2e
