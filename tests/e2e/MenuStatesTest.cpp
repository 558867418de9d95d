// The menus' items as a person meets them in the running program: what each reads and whether it
// is offered, checked as the menus open from the menu bar, an inspector panel, an Object, a link
// line and the toolbar; an item offered does something or says it cannot, and its key, typed
// while its menu is closed, does what the item would do then.

#include "tests/e2e/E2EFixture.h"

#include "app/menu/KELMainMenu.h"
#include "engine/KELICurseur.h"
#include "front/ZEVFrontBars.h"
#include "front/ZEVFrontViewer.h"
#include "inspectors/base/ZEVInspectView.h"
#include "inspectors/base/ZEVInspectViewer.h"
#include "inspectors/images/ZEVBackView.h"
#include "inspectors/table/ZEVTableModel.h"
#include "inspectors/table/ZEVTableView.h"
#include "objects/view/ZEVItemView.h"
#include "objects/viewer/ZEVItemConnexion.h"
#include "objects/viewer/ZEVItemViewer.h"
#include "platform/sound/Sound.h"
#include "ruler/ZEVRulerPresetButton.h"
#include "ruler/ZEVRulerViewbar.h"
#include "ruler/ZEVRulerViewer.h"
#include "ruler/ZEVStampClass.h"
#include "space/ZEVSelections.h"
#include "widgets/ZEVButton.h"

#include <QAction>
#include <QApplication>
#include <QGraphicsView>
#include <QMenu>
#include <QPushButton>
#include <QTest>

#include <map>

namespace e2e {
namespace {

class MenuStates : public E2EWithSound<RecordingSound> {
protected:
    void TearDown() override
    {
        while (QWidget* popup = QApplication::activePopupWidget())
            popup->close();
        E2EWithSound<RecordingSound>::TearDown();
    }
    // Whether the item of that tag is offered as the menu bar's menu opens; the menu is closed again.
    bool offered(int menuTag, long itemTag)
    {
        QMenu* m = openMenu(menuTag);
        QAction* a = m ? menuItemTagged(m, itemTag) : nullptr;
        const bool on = a && a->isEnabled();
        if (m)
            m->close();
        pump();
        return on;
    }
    ZEVInspectViewer* panel(const char* kind) const
    {
        return dynamic_cast<ZEVInspectViewer*>(space()->viewerForEntityClassName(kind));
    }
    ZEVTableView* tableOf(const char* kind) const
    {
        ZEVInspectView* v = panel(kind) ? panel(kind)->inspectViewIfBuilt() : nullptr;
        return v ? v->inspectTableView() : nullptr;
    }
    // The panel's own menu, popped by a right click on its bar through the window: (title,
    // offered) of its items by tag; the menu is closed again.
    std::map<long, std::pair<QString, bool>> panelMenu(const char* kind)
    {
        std::map<long, std::pair<QString, bool>> out;
        ZEVInspectView* p = panel(kind) ? panel(kind)->inspectViewIfBuilt() : nullptr;
        if (!p) {
            ADD_FAILURE() << "no panel " << kind;
            return out;
        }
        const QPoint onBar(p->width() / 2, p->height() - 20 - 4);
        QTest::mouseClick(window()->windowHandle(), Qt::RightButton, {}, p->mapTo(window(), onBar));
        QMenu* m = shownPopupMenu();
        if (!m || m != p->inspectViewMenu()) {
            ADD_FAILURE() << "the panel's menu did not pop in " << kind;
            if (m)
                m->close();
            return out;
        }
        offeredByTitle.clear();
        for (QAction* a : m->actions())
            if (!a->isSeparator() && a->isVisible()) {
                out[a->property("tag").toLongLong()] = {a->text(), a->isEnabled()};
                offeredByTitle[a->text()] = a->isEnabled();
            }
        m->close();
        pump();
        return out;
    }
    // A click on an Object's picture, with the keys held.
    void clickObject(const QString& title, Qt::KeyboardModifiers keys = {})
    {
        ZEVItemView* v = viewTitled(title);
        ASSERT_NE(v, nullptr) << title.toStdString();
        auto* view = qobject_cast<QGraphicsView*>(canvas()->parentWidget());
        QTest::mouseClick(canvas(), Qt::LeftButton, keys, view->mapFromScene(v->itemImageView()->sceneBoundingRect().center()));
        advance(0.5);
    }
    // What the last panel menu offered, by title.
    std::map<QString, bool> offeredByTitle;
    // A preset button held until it saves the Now cursor's present.
    void savePreset(int n)
    {
        ZEVRulerPresetButton* b = bar()->presetButtons()[std::size_t(n - 1)];
        QTest::mousePress(b, Qt::LeftButton, {}, b->rect().center());
        advance(1.4);
        QTest::mouseRelease(b, Qt::LeftButton, {}, b->rect().center());
        pump();
    }
    // The Now cursor's past widened by an hour, away from every preset.
    void widenNowsPast()
    {
        ASSERT_TRUE(ruler()->userInitieDeplacementCurseur());
        ruler()->setCurseurEnDeplacement(space()->nowCurseur());
        ruler()->userPlaceContexteIn(-3600);
        ruler()->userTermineDeplacementCurseur();
        pump();
    }
};

TEST_F(MenuStates, APresetsKeyCallsThePresetSavedSinceTheTimeMenuShowedItEmpty)
{
    startWithTheBar();
    EXPECT_FALSE(offered(KELMainMenu::kMenuTime, 2000011)) << "an empty preset is not offered";

    savePreset(3);
    auto* presets = dynamic_cast<ZEVStampClass*>(ruler()->stampClass());
    ASSERT_TRUE(presets && presets->stateOfNowPresetWithStampInt(2000011) == 1);
    KELIContexte* now = space()->nowCurseur()->contexte();
    const double saved = now->offsetIn();
    widenNowsPast();
    ASSERT_NEAR(now->offsetIn(), saved - 3600, 1);

    // Its key, with the menu closed, calls it as the item would.
    window()->activateWindow();
    key(Qt::Key_3, Qt::ControlModifier);
    advance(2.0);
    EXPECT_EQ(sound.beeps, 0);
    EXPECT_NEAR(now->offsetIn(), saved, 0.01) << "the preset was not called";
    EXPECT_TRUE(offered(KELMainMenu::kMenuTime, 2000011));

    // The key of a preset still empty beeps and moves nothing.
    widenNowsPast();
    const double wide = now->offsetIn();
    key(Qt::Key_4, Qt::ControlModifier);
    advance(2.0);
    EXPECT_EQ(sound.beeps, 1);
    EXPECT_NEAR(now->offsetIn(), wide, 0.01);
}

TEST_F(MenuStates, APanelsOwnMenuOffersTheFileCommandsOnlyForObjectsTheyTake)
{
    startWithTheBar();
    addHomeFiles({QStringLiteral("a.txt"), QStringLiteral("b.txt")});
    // Nothing selected on the desk, nor so in the Icons panel.
    const QPoint empty(canvas()->width() / 2, canvas()->height() - 40);
    QTest::mouseClick(canvas(), Qt::LeftButton, {}, empty);
    pump();
    openInspectorFromMenu(2000003);
    ZEVTableView* icons = tableOf("ZEVIconViewer");
    ASSERT_TRUE(icons && icons->numberOfRows() == 2);

    // Move To… would ask where to move no Object; the moves into the store ask nothing.
    auto shown = panelMenu("ZEVIconViewer");
    for (long tag : {21L, 20L, 23L, 22L, 25L, 24L, 60L}) {
        ASSERT_EQ(shown.count(tag), 1u) << tag;
        EXPECT_FALSE(shown[tag].second) << shown[tag].first.toStdString() << " offered with nothing to take";
    }
    for (long tag : {20L, 22L, 24L})
        EXPECT_FALSE(shown[tag].first.endsWith(QStringLiteral("\u2026"))) << shown[tag].first.toStdString();
    // The edit commands press the panel's buttons, all off with nothing selected.
    for (const char* title : {"Recall", "Retain", "Release", "Forget"})
        EXPECT_FALSE(offeredByTitle[QString::fromLatin1(title)]) << title << " offered with nothing to take";

    // One row chosen: the commands that take it are offered and say so, as the menu bar's do.
    QTest::mouseClick(icons->viewport(), Qt::LeftButton, {}, icons->visualRect(icons->tableModel()->index(0, 5)).center());
    pump();
    shown = panelMenu("ZEVIconViewer");
    EXPECT_EQ(shown[21], std::make_pair(QStringLiteral("Move 1 Object to\u2026"), true));
    EXPECT_EQ(shown[20], std::make_pair(QStringLiteral("Move 1 Object in Tallomer"), true));
    EXPECT_EQ(shown[23], std::make_pair(QStringLiteral("Copy 1 Object to\u2026"), true));
    EXPECT_TRUE(shown[60].second) << "Show Original of the one file";
    // Its icon lies on the Now desk: it can be released or forgotten, not recalled or retained.
    advance(0.5);
    shown = panelMenu("ZEVIconViewer");
    EXPECT_TRUE(offeredByTitle[QStringLiteral("Release")]);
    EXPECT_TRUE(offeredByTitle[QStringLiteral("Forget")]);
    EXPECT_FALSE(offeredByTitle[QStringLiteral("Recall")]);
    EXPECT_FALSE(offeredByTitle[QStringLiteral("Retain")]);

    // A Channel is never moved, copied or shown in the file manager: the Channels panel's menu
    // offers none of these.
    openInspectorFromMenu(2000194);
    shown = panelMenu("ZEVChannelViewer");
    for (long tag : {21L, 20L, 23L, 22L, 60L}) {
        ASSERT_EQ(shown.count(tag), 1u) << tag;
        EXPECT_FALSE(shown[tag].second) << shown[tag].first.toStdString() << " offered for a Channel";
    }
}

TEST_F(MenuStates, OnlyWhatAsksForMoreEndsWithAnEllipsis)
{
    startWithTheBar();
    // The moves, copies and duplicates into the store ask nothing; those to a folder ask where.
    openInspectorFromMenu(2000194);
    QMenu* object = openMenu(KELMainMenu::kMenuObject);
    ASSERT_NE(object, nullptr);
    QAction* handle = menuItemTagged(object, 4333);
    ASSERT_TRUE(handle && handle->menu());
    for (QAction* a : handle->menu()->actions()) {
        const long tag = a->property("tag").toLongLong();
        if (a->isSeparator() || !a->isVisible() || tag == 60)
            continue;
        const bool asks = tag == 21 || tag == 23 || tag == 25;
        EXPECT_EQ(a->text().endsWith(QStringLiteral("\u2026")), asks) << a->text().toStdString();
    }
    object->close();
    pump();

    // The Images panel's buttons open the New Channel and New Space panels, which ask for names.
    openInspectorFromMenu(2000007);
    auto* images = panel("ZEVBackViewer");
    auto* view = images ? dynamic_cast<ZEVBackView*>(images->inspectViewIfBuilt()) : nullptr;
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->btnSetAsNewChannel()->text().toStdString(), "New Channel\u2026");
    EXPECT_EQ(view->btnSetAsDesktopWallpaper()->text().toStdString(), "New Space\u2026");
}

TEST_F(MenuStates, CloseAllsKeyBeepsWithNoInspectorOpenAndClosesThemOtherwise)
{
    startWithTheBar();
    EXPECT_FALSE(offered(KELMainMenu::kMenuInspectors, 50)) << "no inspector to close";
    window()->activateWindow();
    key(Qt::Key_0);
    pump();
    EXPECT_EQ(sound.beeps, 1) << "the key of Close All did nothing without a word";

    openInspectorFromMenu(2000005);
    ASSERT_TRUE(panel("ZEVFileViewer") && panel("ZEVFileViewer")->siShowInspectView());
    EXPECT_TRUE(offered(KELMainMenu::kMenuInspectors, 50));
    window()->activateWindow();
    key(Qt::Key_0);
    advance(1.0);
    EXPECT_FALSE(panel("ZEVFileViewer")->siShowInspectView());
    EXPECT_EQ(sound.beeps, 1);
}

TEST_F(MenuStates, TheObjectMenusFilterMarksTheSelectedNodesInLinkModeAndItsKeyBeepsWithNothingToMark)
{
    startWithTheBar();
    addHomeFiles({QStringLiteral("a.txt"), QStringLiteral("b.txt")});
    chooseMenuItem(KELMainMenu::kMenuModes, 4);
    advance(1.0);
    auto* front = dynamic_cast<ZEVFrontViewer*>(space()->frontViewer());
    ASSERT_TRUE(front && front->frontMode() == ZEVFrontModeLinks);
    clickObject(QStringLiteral("a.txt"));
    clickObject(QStringLiteral("b.txt"), Qt::ControlModifier);
    ZEVSelections& s = space()->selections();
    ASSERT_EQ(s.selectedNodeItemSet().size(), 2u);
    ASSERT_TRUE(s.selectedFilterItems().empty());

    // Offered for the two nodes, it marks them both as filters; offered again, it clears them.
    QMenu* object = openMenu(KELMainMenu::kMenuObject);
    ASSERT_NE(object, nullptr);
    QAction* filter = menuItemTagged(object, 7);
    ASSERT_TRUE(filter && filter->isEnabled());
    EXPECT_EQ(filter->text().toStdString(), "Filter 2 Nodes");
    object->close();
    pump();
    chooseMenuItem(KELMainMenu::kMenuObject, 7);
    advance(0.5);
    EXPECT_EQ(s.selectedFilterItems().size(), 2u) << "the item did nothing";
    chooseMenuItem(KELMainMenu::kMenuObject, 7);
    advance(0.5);
    EXPECT_TRUE(s.selectedFilterItems().empty());
    EXPECT_EQ(sound.beeps, 0);

    // No node and no filter: the menu shows it off, and its key says there is nothing to mark.
    chooseMenuItem(KELMainMenu::kMenuModes, 1);
    advance(1.0);
    const QPoint empty(canvas()->width() / 2, canvas()->height() - 40);
    QTest::mouseMove(canvas(), empty);
    QTest::mouseClick(canvas(), Qt::LeftButton, {}, empty);
    advance(0.5);
    ASSERT_TRUE(s.selectedIconItems().empty());
    EXPECT_FALSE(offered(KELMainMenu::kMenuObject, 7));
    window()->activateWindow();
    key(Qt::Key_F);
    pump();
    EXPECT_EQ(sound.beeps, 1);
    EXPECT_TRUE(s.selectedFilterItems().empty());
}

TEST_F(MenuStates, OneCommandGoesByOneNameInEveryMenu)
{
    startWithTheBar();
    // The Channels menu's Copy Moment and the Object's own copy of its moment are one command.
    QString copyMoment;
    QMenu* channels = openMenu(KELMainMenu::kMenuChannels);
    ASSERT_NE(channels, nullptr);
    for (QAction* a : channels->actions())
        if (a->property("action").toString() == QStringLiteral("menuCopyZevTime:"))
            copyMoment = a->text();
    channels->close();
    pump();
    ASSERT_FALSE(copyMoment.isEmpty());
    addHomeFiles({QStringLiteral("a.txt")});
    ZEVItemView* v = viewTitled(QStringLiteral("a.txt"));
    ASSERT_NE(v, nullptr);
    auto* view = qobject_cast<QGraphicsView*>(canvas()->parentWidget());
    QTest::mouseClick(canvas(), Qt::RightButton, {}, view->mapFromScene(v->itemImageView()->sceneBoundingRect().center()));
    QMenu* object = shownPopupMenu();
    ASSERT_NE(object, nullptr);
    QStringList titles;
    for (QAction* a : object->actions())
        titles << a->text();
    object->close();
    pump();
    EXPECT_TRUE(titles.contains(copyMoment)) << titles.join(" | ").toStdString();
    EXPECT_FALSE(titles.contains(QStringLiteral("Copy Place"))) << "that is the Spaces menu's other command";

    // The toolbar's go-to menu names the go-to panel as the Time menu does.
    QMenu* time = openMenu(KELMainMenu::kMenuTime);
    ASSERT_NE(time, nullptr);
    const QString goTo = menuItemTagged(time, 26)->text();
    time->close();
    pump();
    auto* front = dynamic_cast<ZEVFrontViewer*>(space()->frontViewer());
    ZEVButton* b = front ? front->toolbar()->button(QStringLiteral("btnGoToPanel")) : nullptr;
    ASSERT_TRUE(b && b->isVisible());
    QTest::mousePress(b, Qt::LeftButton, {}, b->rect().center());
    advance(0.05);
    QTest::mouseRelease(b, Qt::LeftButton, {}, b->rect().center());
    QMenu* m = shownPopupMenu();
    ASSERT_NE(m, nullptr);
    const QString shown = menuItemTagged(m, 0) ? menuItemTagged(m, 0)->text() : QString();
    m->close();
    pump();
    EXPECT_EQ(shown.toStdString(), goTo.toStdString());
}

TEST_F(MenuStates, ALinkLinesMenuOffersRetainAndForgetAsTheLinksPanelDoesForTheLink)
{
    startWithTheBar();
    addHomeFiles({QStringLiteral("one.txt"), QStringLiteral("two.txt"), QStringLiteral("three.txt")});
    const std::vector<ZEVItemViewForDesks*> views =
        viewsTitled({QStringLiteral("one.txt"), QStringLiteral("two.txt"), QStringLiteral("three.txt")});
    ASSERT_EQ(views.size(), 3u);
    ZEVItemViewer* iv = space()->itemViewerForCurseur(space()->nowCurseur());
    iv->userRecallLinkWithItem(views[0]->item(), views[2]->item());
    advance(1.0);
    ASSERT_EQ(iv->connexionCount(), 1u);
    space()->setSiShowLinksForAllObjects(true);
    ZEVItemConnexion* line = *iv->connexionsExistantes().begin();
    canvas()->repaint();
    ASSERT_TRUE(line->siDisplayed());
    // A point of the line near one end, away from the Object between the two.
    const QPointF a = line->dragSrcPointWithRadiusCorrection(), b = line->dragDstPointWithRadiusCorrection();
    const QPointF onLine = a + (b - a) * 0.1;
    ASSERT_FALSE(views[1]->imageFrame().contains(onLine));
    // The line's menu, right-clicked as a person does: (offered) of its edit items by tag.
    const auto lineMenu = [this, onLine] {
        std::map<long, bool> out;
        QTest::mouseClick(canvas(), Qt::RightButton, {}, QPoint(int(onLine.x()), int(canvas()->height() - onLine.y())));
        QMenu* m = shownPopupMenu();
        if (!m) {
            ADD_FAILURE() << "the line's menu did not pop";
            return out;
        }
        for (QAction* act : m->actions())
            if (act->isVisible() && !act->isSeparator())
                out[act->property("tag").toLongLong()] = act->isEnabled();
        m->close();
        pump();
        return out;
    };

    // Present at the Now cursor: it can be released or forgotten; Retain and Recall have nothing
    // to keep or bring back.
    std::map<long, bool> offered = lineMenu();
    EXPECT_TRUE(offered[2]) << "Release";
    EXPECT_TRUE(offered[3]) << "Forget";
    EXPECT_FALSE(offered[4]) << "Recall";
    EXPECT_FALSE(offered[5]) << "Retain of a link that is present";

    // Released a while ago, it still shows: Forget would take back nothing, Retain keeps it.
    iv->userReleaseLinkWithItem(views[0]->item(), views[2]->item());
    advance(2.0);
    canvas()->repaint();
    ASSERT_TRUE(line->siDisplayed());
    ASSERT_FALSE(line->siActif());
    offered = lineMenu();
    EXPECT_FALSE(offered[2]) << "Release";
    EXPECT_FALSE(offered[3]) << "Forget of a link that is not present";
    EXPECT_TRUE(offered[4]) << "Recall";
    EXPECT_TRUE(offered[5]) << "Retain";
}

TEST_F(MenuStates, GetInfoInLinkModeWithNoLinkSelectedSaysThereIsNothingToShow)
{
    startWithTheBar();
    addHomeFiles({QStringLiteral("a.txt"), QStringLiteral("b.txt")});
    chooseMenuItem(KELMainMenu::kMenuModes, 4);
    advance(1.0);
    clickObject(QStringLiteral("a.txt"));
    clickObject(QStringLiteral("b.txt"), Qt::ControlModifier);
    ASSERT_EQ(space()->selections().selectedNodeItemSet().size(), 2u);
    ASSERT_TRUE(space()->selections().selectedLinks().empty());
    // Offered while the nodes show; it shows the Objects of the selected links, of which there
    // are none.
    ASSERT_TRUE(offered(KELMainMenu::kMenuObject, 522));
    chooseMenuItem(KELMainMenu::kMenuObject, 522);
    advance(0.5);
    EXPECT_EQ(sound.beeps, 1) << "Get Info did nothing without a word";
}

} // namespace
} // namespace e2e
