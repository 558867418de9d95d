// The header views over the desk in the running program: the pointer at the window's top opens
// the four, leaving it keeps those the user keeps open, the toolbar counts the Objects of the
// desk, the split bar stands in for a closed toolbar, and the View menu's Full Screen is kept in
// the settings file for the next start. In full screen the menu bar lies over the stack, which
// makes room for it and takes it back exactly. The toolbar's buttons and the main menu follow the
// selection, the mode, the cursor and the filters' operation. The Preferences window's boxes
// follow the views kept open from the View menu and its keys while the window is open.

#include "tests/e2e/E2EFixture.h"

#include "app/menu/KELMainMenu.h"
#include "app/widgets/ZEVPreferencesController.h"
#include "front/ZEVFrontSelectionView.h"
#include "front/ZEVFrontViewer.h"
#include "objects/viewer/ZEVItemViewer.h"
#include "inspectors/table/ZEVTypeSelect.h"
#include "ruler/ZEVRulerViewer.h"
#include "space/ZEVSelections.h"
#include "platform/sound/Sound.h"
#include "ruler/ZEVRulerViewbar.h"
#include "ruler/ZEVTlineView.h"
#include "widgets/ZEVButton.h"

#include <QDragEnterEvent>
#include <QFile>
#include <QMimeData>
#include <QGraphicsItem>
#include <QMenu>
#include <QCheckBox>
#include <QMenuBar>
#include <QSettings>
#include <QTest>

namespace e2e {
namespace {

class CountingSound final : public Sound {
public:
    void beep() override { ++beeps; }
    void play(const QString&) override {}
    int beeps = 0;
};

class HeaderViews : public E2EWithSound<CountingSound> {
protected:
    ZEVFrontViewer* front() const { return space() ? dynamic_cast<ZEVFrontViewer*>(space()->frontViewer()) : nullptr; }

    void placeThreeFiles()
    {
        addHomeFiles({"one.txt", "two.txt", "three.txt"});
        ASSERT_EQ(nowDesk()->itemViewSet().size(), 3u);
    }

    // The pointer moved over the window, at a y-up point of it.
    void movePointer(QPointF yUp)
    {
        QTest::mouseMove(window(), QPoint(int(yUp.x()), int(window()->height() - yUp.y())));
        pump();
        advance(1.5);
    }

    bool opened(ZEVHeaderView v) { return front()->headerLayout().flags(v).opened; }
    double frontHeight() { return front()->headerLayout().frames().front.height(); }

    // The content 1100 points wide: the toolbar shows all its buttons.
    void wideWindow()
    {
        QWidget* content = window()->spaceView();
        window()->resize(window()->width() + 1100 - content->width(), window()->height() + 688 - content->height());
        pump();
        advance(1);
    }
    bool shown(const char* name) { return front()->toolbar()->button(QString::fromLatin1(name))->isVisible(); }
    int state(const char* name) { return front()->toolbar()->button(QString::fromLatin1(name))->state(); }
};

TEST_F(HeaderViews, ThePointerAtTheTopOpensAllFourAndLeavingKeepsThoseTheUserKeeps)
{
    start();
    QWidget* content = window()->spaceView();
    window()->resize(window()->width() + 1100 - content->width(), window()->height() + 688 - content->height());
    pump();
    placeThreeFiles();
    ASSERT_NE(front(), nullptr);
    ASSERT_EQ(content->width(), 1100);
    // The added Objects come selected; the View menu deselects them.
    chooseMenuItem(KELMainMenu::kMenuView, 51);
    advance(1);
    ASSERT_EQ(front()->nbOfIcons(), 0);
    // As the user keeps them: the time line and the toolbar open, the time bar closed.
    EXPECT_TRUE(opened(ZEVHeaderView::Tline));
    EXPECT_TRUE(opened(ZEVHeaderView::Toolbar));
    EXPECT_FALSE(opened(ZEVHeaderView::Timebar));

    // The toolbar at the bottom of the stack counts the desk's Objects.
    ZEVFrontToolbar* toolbar = front()->toolbar();
    ASSERT_NE(toolbar, nullptr);
    EXPECT_TRUE(toolbar->isVisible());
    EXPECT_EQ(toolbar->width(), 1100);
    EXPECT_EQ(toolbar->countText(), "0 Icon selected / 3 Objects");
    for (const char* name : {"btnAddItems", "btnGotoPreviousSpace", "btnGotoPrevious", "btnGotoNext", "btnGotoNextSpace",
                             "btnDeskClean", "btnDeskHome", "btnActionEdit"})
        EXPECT_TRUE(toolbar->button(QString::fromLatin1(name)) && toolbar->button(QString::fromLatin1(name))->isVisible())
            << name;
    // With nothing selected there is nothing to open or edit.
    EXPECT_FALSE(toolbar->button("btnActionOpen")->isVisible());
    EXPECT_FALSE(toolbar->button("btnActionEdit")->isEnabled());
    EXPECT_EQ(front()->modeButton(ZEVFrontModeIcons)->parentWidget(), toolbar);

    // The top right corner of the window.
    const QRectF corner = space()->mouseLimitRect();
    ASSERT_FALSE(corner.isEmpty());
    movePointer(corner.center());
    EXPECT_TRUE(opened(ZEVHeaderView::Timebar));
    EXPECT_TRUE(opened(ZEVHeaderView::Tline));
    EXPECT_TRUE(opened(ZEVHeaderView::Tracks));
    EXPECT_TRUE(opened(ZEVHeaderView::Toolbar));
    ASSERT_NE(bar(), nullptr);
    ASSERT_NE(strip(), nullptr);
    // From the top edge down: the time bar, the time line, the selection view with the toolbar.
    EXPECT_TRUE(bar()->isVisible());
    EXPECT_EQ(bar()->geometry().top(), 0);
    EXPECT_EQ(strip()->geometry().top(), 23);
    EXPECT_EQ(front()->selectionView()->geometry().top(), 23 + 36);
    EXPECT_EQ(front()->headerViewsHeight(), 23 + 36 + 23);

    // Away from the top: the time bar, which the user does not keep, closes.
    movePointer(QPointF(300, 100));
    EXPECT_FALSE(opened(ZEVHeaderView::Timebar));
    EXPECT_FALSE(bar()->isVisible());
    EXPECT_TRUE(opened(ZEVHeaderView::Tline));
    EXPECT_TRUE(opened(ZEVHeaderView::Toolbar));
    EXPECT_EQ(strip()->geometry().top(), 0);
}

TEST_F(HeaderViews, ClosingTheToolbarOverTracksLeavesTheSplitBarWhoseClickOpensItAgain)
{
    start();
    placeThreeFiles();
    // Two Objects selected give the tracks two rows.
    KELMainMenu* menu = adapter()->mainMenu();
    ASSERT_NE(menu, nullptr);
    key(Qt::Key_A, Qt::ControlModifier);
    advance(1);
    ASSERT_EQ(front()->nbOfIcons(), 3);
    EXPECT_EQ(front()->headerLayout().tracksHeight(), 3 * 19);
    EXPECT_TRUE(front()->toolbar()->button("btnActionOpen")->isVisible());
    EXPECT_TRUE(front()->toolbar()->button("btnActionEdit")->isEnabled());
    const double frontBefore = front()->headerLayout().frames().front.height();

    chooseMenuItem(KELMainMenu::kMenuView, 5);
    advance(1);
    EXPECT_TRUE(front()->siToolbarClosed());
    ZEVFrontSplitbar* split = front()->splitbar();
    ASSERT_NE(split, nullptr);
    EXPECT_TRUE(split->isVisible());
    EXPECT_EQ(split->height(), 5);
    EXPECT_EQ(front()->headerLayout().frames().front.height(), frontBefore + 18);

    click(split);
    advance(1);
    EXPECT_TRUE(values->values("ZEVShowToolbar").toBool());
    EXPECT_FALSE(front()->siToolbarClosed());
    EXPECT_TRUE(front()->toolbar()->isVisible());
}

TEST_F(HeaderViews, TheViewMenusFullScreenIsKeptForTheNextStartAndRefusedWhileAViewSlides)
{
    start();
    // While the time bar slides in, full screen is refused with a beep.
    values->setValue("ZEVShowZevMenu", true);
    pump();
    const int beeps = sound.beeps;
    front()->userToggleFullScreen();
    EXPECT_EQ(sound.beeps, beeps + 1);
    EXPECT_FALSE(window()->siFullScreen());
    advance(1);

    chooseMenuItem(KELMainMenu::kMenuView, 5732);
    advance(1);
    EXPECT_TRUE(window()->siFullScreen());
    EXPECT_EQ(window()->geometry().size(), window()->screen()->geometry().size());
    quit();
    QSettings settings(home + "/.config/Tallomer/Tallomer.conf", QSettings::IniFormat);
    EXPECT_TRUE(settings.value("ZEVFullScreen").toBool());
}

// Ctrl+Q quits from the Preferences window as from the Space window.
TEST_F(HeaderViews, CtrlQInThePreferencesWindowQuits)
{
    start();
    chooseMenuItemTitled(KELMainMenu::kMenuApplication, QStringLiteral("Preferences\u2026"));
    ZEVPreferencesController* prefs = app()->delegate()->preferencesController();
    ASSERT_NE(prefs, nullptr);
    ASSERT_TRUE(pumpUntil([&] { return prefs->window()->isVisible(); }));
    prefs->window()->activateWindow();
    QWidget* target = prefs->window()->focusWidget() ? prefs->window()->focusWidget() : prefs->window();
    QTest::keyClick(target, Qt::Key_Q, Qt::ControlModifier);
    pump();
    EXPECT_TRUE(app()->isTerminating() || !stops.empty());
}

TEST_F(HeaderViews, ThePreferencesBoxesFollowTheViewMenuWhileOpenAndTheirNextClickIsTheUsersChoice)
{
    start();
    chooseMenuItemTitled(KELMainMenu::kMenuApplication, QStringLiteral("Preferences\u2026"));
    ZEVPreferencesController* prefs = app()->delegate()->preferencesController();
    ASSERT_NE(prefs, nullptr);
    ASSERT_TRUE(pumpUntil([&] { return prefs->window()->isVisible(); }));
    QCheckBox* timeline = prefs->keepTimeline();
    QCheckBox* timebar = prefs->keepTimebar();
    ASSERT_TRUE(timeline && timebar);
    ASSERT_TRUE(timeline->isChecked());
    ASSERT_FALSE(timebar->isChecked());

    // The View menu closes the time line the user kept open: its box follows at once.
    chooseMenuItem(KELMainMenu::kMenuView, 3);
    EXPECT_FALSE(values->values("ZEVShowRuler").toBool());
    EXPECT_FALSE(timeline->isChecked()) << "the box shows the time line kept open when it no longer is";
    advance(1);
    EXPECT_FALSE(opened(ZEVHeaderView::Tline));
    // The time bar kept open from the View menu too.
    chooseMenuItem(KELMainMenu::kMenuView, 2);
    EXPECT_TRUE(values->values("ZEVShowZevMenu").toBool());
    EXPECT_TRUE(timebar->isChecked());
    advance(1);

    // A click on the box says what the user sees: the time line is kept open again, not closed
    // once more by the old state written back.
    // On its mark: the box's row is wider than its mark and label.
    click(timeline, QPoint(6, timeline->height() / 2));
    EXPECT_TRUE(timeline->isChecked());
    EXPECT_TRUE(values->values("ZEVShowRuler").toBool());
    advance(1);
    EXPECT_TRUE(opened(ZEVHeaderView::Tline));
    // The time bar's choice made in the menu is what the next start reads.
    quit();
    QSettings settings(home + "/.config/Tallomer/Tallomer.conf", QSettings::IniFormat);
    EXPECT_TRUE(settings.value("ZEVShowZevMenu").toBool());
    EXPECT_TRUE(settings.value("ZEVShowRuler").toBool());
}

TEST_F(HeaderViews, InFullScreenAMenuBarOfTwentyFivePointsPushesTheStackDownAndHidingItGivesBackExactly)
{
    start();
    ASSERT_NE(front(), nullptr);
    QMenuBar* mb = window()->menuBar();
    ASSERT_NE(mb, nullptr);
    mb->setFixedHeight(25);
    pump();
    // As a new user has it: the time line and the toolbar open.
    ASSERT_TRUE(opened(ZEVHeaderView::Tline));
    ASSERT_TRUE(opened(ZEVHeaderView::Toolbar));
    chooseMenuItem(KELMainMenu::kMenuView, 5732);
    advance(1);
    ASSERT_TRUE(window()->siFullScreen());
    QWidget* content = window()->spaceView();
    // The bar lies over the content, which keeps the whole screen; the stack starts under it.
    EXPECT_EQ(content->geometry(), QRect(QPoint(0, 0), window()->size()));
    EXPECT_TRUE(mb->isVisible());
    EXPECT_EQ(mb->geometry(), QRect(0, 0, window()->width(), 25));
    EXPECT_EQ(front()->menubarHeight(), 25);
    EXPECT_EQ(strip()->geometry().top(), 25);
    EXPECT_EQ(front()->selectionView()->geometry().top(), 25 + 36);
    const double withBar = frontHeight();
    EXPECT_EQ(withBar, content->height() - 25 - 36 - 23);
    EXPECT_EQ(front()->headerViewsHeight(), 25 + 36 + 23);

    // Hidden: the stack slides up first, then the bar goes.
    values->setValue("ZEVShowMacMenu", false);
    pump();
    EXPECT_TRUE(mb->isVisible()) << "the bar waits for the slide";
    advance(1);
    EXPECT_FALSE(mb->isVisible());
    EXPECT_EQ(front()->menubarHeight(), 0);
    EXPECT_EQ(strip()->geometry().top(), 0);
    EXPECT_EQ(frontHeight(), withBar + 25) << "exactly the bar's height, not 23";

    // Shown again, and hidden again.
    values->setValue("ZEVShowMacMenu", true);
    pump();
    advance(1);
    EXPECT_TRUE(mb->isVisible());
    EXPECT_EQ(strip()->geometry().top(), 25);
    EXPECT_EQ(frontHeight(), withBar);
    values->setValue("ZEVShowMacMenu", false);
    pump();
    advance(1);
    ASSERT_FALSE(mb->isVisible());

    // Leaving full screen with the bar hidden brings the bar back, above the content again.
    front()->userToggleFullScreen();
    advance(1);
    EXPECT_FALSE(window()->siFullScreen());
    EXPECT_TRUE(values->values("ZEVShowMacMenu").toBool());
    EXPECT_TRUE(mb->isVisible());
    EXPECT_EQ(window()->menuBarHeight(), 25);
    EXPECT_EQ(content->geometry().top(), 25);
    EXPECT_EQ(front()->menubarHeight(), 0);
    EXPECT_EQ(strip()->geometry().top(), 0);
    EXPECT_EQ(frontHeight(), content->height() - 36 - 23);

    // Out of full screen the bar only takes room above the content: the stack stays put.
    values->setValue("ZEVShowMacMenu", false);
    pump();
    EXPECT_FALSE(mb->isVisible());
    EXPECT_EQ(window()->menuBarHeight(), 0);
    EXPECT_EQ(strip()->geometry().top(), 0);
}

TEST_F(HeaderViews, TheToolbarsButtonsFollowTheFilesTheFiltersOperationAndTheCursor)
{
    start();
    wideWindow();
    placeThreeFiles();
    // The three files come selected: Get Info reaches them.
    ASSERT_EQ(front()->nbOfIcons(), 3);
    EXPECT_TRUE(shown("btnActionGetInfo"));
    EXPECT_TRUE(shown("btnActionToggleQL"));
    EXPECT_FALSE(shown("btnActionOr")) << "Or and And belong to Filter mode";
    // Icon mode shows the filters' operation mixed: Or, the default.
    EXPECT_EQ(state("btnActionOr"), -1);
    EXPECT_EQ(state("btnActionAnd"), 0);
    // The edit buttons carry the Now cursor's pictures.
    ZEVButton* recall = front()->toolbar()->button("btnEditRecall");
    ASSERT_NE(recall, nullptr);
    EXPECT_EQ(recall->property("image").toString(), "editNowRecall.tiff");
    EXPECT_FALSE(recall->icon().isNull());

    // Nothing selected: no Get Info.
    chooseMenuItem(KELMainMenu::kMenuView, 51);
    advance(1);
    EXPECT_FALSE(shown("btnActionGetInfo"));

    // The three become the filters: Or and And show, Or on.
    key(Qt::Key_A, Qt::ControlModifier);
    advance(1);
    front()->menuFilterIcons();
    advance(1);
    ASSERT_EQ(front()->currentFrontMode(), ZEVFrontModeFilters);
    ASSERT_EQ(front()->nbOfFilters(), 3);
    EXPECT_TRUE(shown("btnActionOr"));
    EXPECT_TRUE(shown("btnActionAnd"));
    EXPECT_EQ(state("btnActionOr"), 1);
    EXPECT_EQ(state("btnActionAnd"), 0);
    space()->userChangeFilterToAndOperation();
    pump();
    EXPECT_EQ(state("btnActionOr"), 0);
    EXPECT_EQ(state("btnActionAnd"), 1);
    // A narrow toolbar hides them whatever the filters.
    window()->resize(window()->width() - 400, window()->height());
    pump();
    advance(1);
    EXPECT_FALSE(shown("btnActionOr"));
    EXPECT_FALSE(shown("btnActionGetInfo"));

    // On the Search cursor the edit buttons take its pictures.
    ASSERT_TRUE(ruler()->userChangeActifCurseur(space()->searchCurseur()));
    advance(1);
    EXPECT_EQ(recall->property("image").toString(), "editSearchRecall.tiff");
    EXPECT_EQ(front()->toolbar()->button("btnEditForget")->property("image").toString(), "editSearchForget.tiff");
}

TEST_F(HeaderViews, ADragOverAToolbarButtonIsTheWindowsDragSessionUntilItHasBeenGoneFourFifthsOfASecond)
{
    start();
    wideWindow();
    placeThreeFiles();
    ZEVButton* info = front()->toolbar()->button("btnActionGetInfo");
    ASSERT_TRUE(info && info->isVisible());
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(home + "/one.txt")});
    const QPoint over = info->rect().center();
    auto enter = [&] {
        QDragEnterEvent e(over, Qt::CopyAction, &data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(info, &e);
        QDragMoveEvent m(over, Qt::CopyAction, &data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(info, &m);
    };
    auto leave = [&] {
        QDragLeaveEvent e;
        QCoreApplication::sendEvent(info, &e);
    };
    ASSERT_FALSE(space()->siDraggingSession());
    enter();
    EXPECT_TRUE(space()->siDraggingSession());
    leave();
    advance(0.5);
    EXPECT_TRUE(space()->siDraggingSession()) << "a drag that left the button may come back at once";
    // Back over it before the end was due: the pending end is dropped.
    enter();
    advance(1);
    EXPECT_TRUE(space()->siDraggingSession());
    leave();
    advance(1);
    EXPECT_FALSE(space()->siDraggingSession());
    EXPECT_EQ(space()->draggingSessionInteger(), -1);
}

TEST_F(HeaderViews, TheFrontLayersMenuItemsAreTheHandleSubmenusAndTheObjectMenuTitlesRemoveByTheSelectedLinks)
{
    start();
    placeThreeFiles();
    KELMainMenu* menu = adapter()->mainMenu();
    ASSERT_NE(menu, nullptr);
    // Move To, Move To Space, Copy To and Copy To Space are found in the Handle submenu.
    EXPECT_EQ(front()->menuMacItem(ZEVFrontViewer::MacMoveTo), menu->item(4333, 21));
    EXPECT_EQ(front()->menuMacItem(ZEVFrontViewer::MacMoveToSpace), menu->item(4333, 20));
    EXPECT_EQ(front()->menuMacItem(ZEVFrontViewer::MacCopyTo), menu->item(4333, 23));
    EXPECT_EQ(front()->menuMacItem(ZEVFrontViewer::MacCopyToSpace), menu->item(4333, 22));
    EXPECT_NE(menu->item(4333, 21), nullptr);
    EXPECT_EQ(front()->menuMacItem(ZEVFrontViewer::MacRemove), menu->item(KELMainMenu::kMenuObject, 13));

    // Two links between the three files, both selected through their nodes in Link mode.
    std::vector<KELI*> items;
    for (auto* v : nowDesk()->itemViewSet())
        items.push_back(v->item());
    ASSERT_EQ(items.size(), 3u);
    ZEVItemViewer* viewer = space()->itemViewerForCurseur(space()->nowCurseur());
    viewer->userRecallLinkWithItem(items[0], items[1]);
    viewer->userRecallLinkWithItem(items[1], items[2]);
    advance(1);
    front()->menuModeLink();
    const auto removeTitleFor = [&](const std::vector<KELI*>& nodes, std::size_t links) {
        space()->selections().selectNodeForItemSet(nodes, nullptr);
        advance(1);
        EXPECT_EQ(space()->selections().selectedLinks().size(), links);
        QMenu* object = openMenu(KELMainMenu::kMenuObject);
        const QString title = menu->item(KELMainMenu::kMenuObject, 13)->text();
        if (object)
            object->close();
        pump();
        return title;
    };
    EXPECT_EQ(removeTitleFor(items, 2), "Remove 2 Links");
    EXPECT_EQ(removeTitleFor({items[0]}, 1), "Remove 1 Link");
    EXPECT_EQ(removeTitleFor({}, 0), "Remove Links");

    // The Space window controlling the Quick Look panel checks the Object menu's Quick Look.
    front()->setSiShowQLPreview(true);
    EXPECT_TRUE(menu->item(KELMainMenu::kMenuObject, 523)->isChecked());
    EXPECT_EQ(front()->toolbar()->button("btnActionToggleQL")->state(), 1);
    front()->setSiShowQLPreview(false);
    EXPECT_FALSE(menu->item(KELMainMenu::kMenuObject, 523)->isChecked());
}

TEST_F(HeaderViews, AListSearchOpensTheTimeLineAndTracksAndClosingTheTimeLineFocusesTheLastObject)
{
    start();
    placeThreeFiles();
    // The user keeps the time line closed.
    values->setValue("ZEVShowRuler", false);
    pump();
    advance(1);
    ASSERT_FALSE(opened(ZEVHeaderView::Tline));
    // A search typed into the Objects list's field.
    ZEVTableView* list = front()->selectionItemTableView();
    ASSERT_NE(list, nullptr);
    list->showSearchField();
    pump();
    QLineEdit* field = list->typeSelect()->field();
    ASSERT_NE(field, nullptr);
    QTest::keyClicks(field, "two");
    QTest::keyClick(field, Qt::Key_Return);
    pump();
    advance(1);
    EXPECT_TRUE(opened(ZEVHeaderView::Tline));
    EXPECT_TRUE(opened(ZEVHeaderView::Tracks));
    // The search ends: the desk takes the keyboard back, the Title, Link and Filter buttons show.
    list->hideSearchField();
    pump();
    EXPECT_TRUE(window()->spaceView()->deskCanvas()->hasFocus());
    EXPECT_FALSE(front()->modeButton(ZEVFrontModeTitles)->isHidden());

    // The time line's own command closes it with the tracks; the last Object view takes the keyboard.
    ruler()->fermetureRuler();
    advance(1);
    EXPECT_FALSE(opened(ZEVHeaderView::Tline));
    const auto views = space()->itemViewerForCurseur(space()->nowCurseur())->visibleItemViewsForMode(ZEVFrontModeIcons);
    ASSERT_FALSE(views.empty());
    EXPECT_TRUE(views.back()->graphicsItem()->hasFocus());
}

} // namespace
} // namespace e2e
