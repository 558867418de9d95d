// The empty desk's context menu in the running program, popped by a right click: it offers the
// tools, the time cursors, the calendar and the go-to panel, the inspectors, the application's
// Object and Edit menus, Add Object, Find Object and Change Background, the view toggles and the
// presets; each item is enabled and marked as the main menu's item of the same command, and
// choosing it does what that item does.

#include "tests/e2e/E2EFixture.h"

#include "app/menu/KELMainMenu.h"
#include "front/ZEVFrontGoToPanel.h"
#include "front/ZEVFrontPanels.h"
#include "front/ZEVFrontToolButtons.h"
#include "front/ZEVFrontViewer.h"
#include "inspectors/context/ZEVContextViewer.h"
#include "space/ZEVSpaceWindow.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QTest>

#include <map>

namespace e2e {
namespace {

class DeskContextMenu : public E2E {
protected:
    void TearDown() override
    {
        while (QWidget* popup = QApplication::activePopupWidget())
            popup->close();
        E2E::TearDown();
    }
    ZEVFrontViewer* front() const { return dynamic_cast<ZEVFrontViewer*>(space()->frontViewer()); }
    ZEVContextViewer* context() const { return dynamic_cast<ZEVContextViewer*>(space()->contextViewer()); }
    KELMainMenu* mainMenu() const { return adapter()->mainMenu(); }

    // A right click on the desk near its bottom, where no panel or Object lies; the menu that popped.
    QMenu* popDeskMenu()
    {
        const QPoint empty(canvas()->width() / 2, canvas()->height() - 40);
        QTest::mouseMove(canvas(), empty);
        QTest::mouseClick(canvas(), Qt::RightButton, {}, empty);
        pump();
        auto* m = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        EXPECT_TRUE(m && m->objectName() == QStringLiteral("menuFrontView")) << "the desk's menu did not pop";
        return m;
    }
    // What each visible item of a menu says to a person (Qt's reading of its text), by item.
    static std::map<QString, QAction*> shownItems(QMenu* m)
    {
        std::map<QString, QAction*> out;
        QAccessibleInterface* menu = QAccessible::queryAccessibleInterface(m);
        for (int i = 0; menu && i < m->actions().size(); ++i) {
            QAction* a = m->actions().at(i);
            if (a->isVisible() && !a->isSeparator())
                if (QAccessibleInterface* item = menu->child(i))
                    out[item->text(QAccessible::Name)] = a;
        }
        return out;
    }
    // Pops the desk's menu and chooses the item that reads `title` with the mouse; then a second.
    void choose(const QString& title)
    {
        QMenu* m = popDeskMenu();
        ASSERT_NE(m, nullptr);
        const auto items = shownItems(m);
        const auto it = items.find(title);
        ASSERT_NE(it, items.end()) << title.toStdString() << " is not offered";
        chooseInMenu(m, it->second);
        advance(1.0);
    }
};

TEST_F(DeskContextMenu, ARightClickOffersEveryItemEnabledAndMarkedAsTheMainMenus)
{
    start();
    advance(1.0);
    QMenu* m = popDeskMenu();
    ASSERT_NE(m, nullptr);
    const auto items = shownItems(m);
    for (const char* title :
         {"Icon Tool", "Title", "Link", "Filter", "Now TimeCursor", "Search", "Ruler", "Calendar", "Go To\u2026",
          "Channels\u2026", "Files\u2026", "Contacts\u2026", "Images\u2026", "Object", "Edit", "Add Object\u2026",
          "Find Object", "Change Background\u2026", "Full Screen", "Show Desktop", "Keep in Front", "Menu Bar",
          "Time Bar", "Timeline", "Tracks", "Toolbar", "Presets"})
        EXPECT_EQ(items.count(QString::fromUtf8(title)), 1u) << title << " is not offered";
    // The Object and Edit items are the application's own, which fill themselves as they open.
    EXPECT_EQ(items.at(QStringLiteral("Object"))->menu(), mainMenu()->menuWithTag(KELMainMenu::kMenuObject));
    EXPECT_EQ(items.at(QStringLiteral("Edit"))->menu(), mainMenu()->menuWithTag(KELMainMenu::kMenuEdit));
    EXPECT_TRUE(items.at(QStringLiteral("Icon Tool"))->isChecked());
    EXPECT_TRUE(items.at(QStringLiteral("Now TimeCursor"))->isChecked());
    for (const char* title : {"Icon Tool", "Title", "Search", "Calendar", "Go To\u2026", "Files\u2026",
                              "Add Object\u2026", "Find Object", "Change Background\u2026", "Time Bar"})
        EXPECT_TRUE(items.at(QString::fromUtf8(title))->isEnabled()) << title;
    std::map<QString, std::pair<bool, bool>> desk;
    for (const auto& [title, a] : items)
        desk[title] = {a->isEnabled(), a->isChecked()};
    QTest::keyClick(m, Qt::Key_Escape);
    pump();

    // The View and Time menus' items of the same commands read the same.
    QMenu* view = openMenu(KELMainMenu::kMenuView);
    ASSERT_NE(view, nullptr);
    const std::pair<long, const char*> same[] = {{5732, "Full Screen"}, {5733, "Show Desktop"}, {5734, "Keep in Front"},
                                                 {1, "Menu Bar"},       {2, "Time Bar"},        {3, "Timeline"},
                                                 {4, "Tracks"},         {5, "Toolbar"}};
    for (const auto& [tag, title] : same) {
        QAction* a = mainMenu()->item(KELMainMenu::kMenuView, tag);
        ASSERT_NE(a, nullptr) << title;
        EXPECT_EQ(desk[QString::fromUtf8(title)], std::make_pair(a->isEnabled(), a->isChecked())) << title;
    }
    view->close();
    pump();
    QMenu* time = openMenu(KELMainMenu::kMenuTime);
    ASSERT_NE(time, nullptr);
    QAction* calendar = mainMenu()->item(KELMainMenu::kMenuTime, 24);
    EXPECT_EQ(desk[QStringLiteral("Calendar")], std::make_pair(calendar->isEnabled(), calendar->isChecked()));
    time->close();
    pump();
}

TEST_F(DeskContextMenu, EachItemDoesWhatTheMainMenusItemOfItsCommandDoes)
{
    start();
    advance(1.0);
    // The calendar and the go-to panel show and hide, and the menu marks them while they show.
    choose(QStringLiteral("Calendar"));
    EXPECT_TRUE(front()->siShowCalandar());
    QMenu* m = popDeskMenu();
    ASSERT_NE(m, nullptr);
    EXPECT_TRUE(shownItems(m).at(QStringLiteral("Calendar"))->isChecked());
    QTest::keyClick(m, Qt::Key_Escape);
    pump();
    choose(QStringLiteral("Calendar"));
    EXPECT_FALSE(front()->siShowCalandar());
    choose(QString::fromUtf8("Go To\u2026"));
    ZEVFrontGoToPanel* goTo = front()->tools()->goToPanel();
    ASSERT_NE(goTo, nullptr);
    EXPECT_TRUE(goTo->isVisible());
    choose(QString::fromUtf8("Go To\u2026"));
    EXPECT_FALSE(goTo->isVisible());

    // The tools and the time cursors.
    choose(QStringLiteral("Title"));
    EXPECT_EQ(front()->frontMode(), 1);
    choose(QStringLiteral("Icon"));
    EXPECT_EQ(front()->frontMode(), 0);
    choose(QStringLiteral("Search"));
    EXPECT_EQ(space()->actifCurseur(), space()->searchCurseur());
    choose(QStringLiteral("Now"));
    EXPECT_EQ(space()->actifCurseur(), space()->nowCurseur());

    // The bars and full screen.
    const bool toolbarClosed = front()->siToolbarClosed();
    choose(QStringLiteral("Toolbar"));
    EXPECT_NE(front()->siToolbarClosed(), toolbarClosed);
    choose(QStringLiteral("Toolbar"));
    EXPECT_EQ(front()->siToolbarClosed(), toolbarClosed);
    choose(QStringLiteral("Full Screen"));
    EXPECT_TRUE(window()->siFullScreen());
    choose(QStringLiteral("Full Screen"));
    EXPECT_FALSE(window()->siFullScreen());

    // The inspectors; Change Background opens the Images inspector.
    choose(QString::fromUtf8("Files\u2026"));
    EXPECT_TRUE(context()->isShowedEntityWithInt(kFiles));
    choose(QString::fromUtf8("Change Background\u2026"));
    EXPECT_TRUE(context()->isShowedEntityWithInt(kImages));

    // Add Object: the add panel, as Object ▸ Add Documents… shows it.
    choose(QString::fromUtf8("Add Object\u2026"));
    ZEVFrontAddPanel* panel = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* p = dynamic_cast<ZEVFrontAddPanel*>(w); p && p->isVisible())
            panel = p;
    ASSERT_NE(panel, nullptr) << "no add panel";
    panel->reject();
    advance(1.0);
}

TEST_F(DeskContextMenu, ItsObjectMenuIsTheApplicationsAndRunsItsItems)
{
    start();
    advance(1.0);
    QMenu* m = popDeskMenu();
    ASSERT_NE(m, nullptr);
    QAction* object = shownItems(m).at(QStringLiteral("Object"));
    m->setActiveAction(object);
    QTest::keyClick(m, Qt::Key_Right);
    pump();
    QMenu* sub = object->menu();
    ASSERT_TRUE(sub && sub->isVisible()) << "the Object submenu did not open";
    QAction* add = menuItemTagged(sub, 33);
    ASSERT_NE(add, nullptr);
    chooseInMenu(sub, add);
    advance(1.0);
    ZEVFrontAddPanel* panel = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* p = dynamic_cast<ZEVFrontAddPanel*>(w); p && p->isVisible())
            panel = p;
    ASSERT_NE(panel, nullptr) << "Add Documents… from the desk's Object menu showed no panel";
    panel->reject();
    advance(1.0);
}


TEST_F(DeskContextMenu, TheItemUnderThePointerAloneNamesItsToolOrWindow)
{
    start();
    advance(1.0);
    QMenu* m = popDeskMenu();
    ASSERT_NE(m, nullptr);
    // Every item the menu holds, by what it said when it popped.
    const auto items = shownItems(m);
    const auto hover = [&](const char* title) {
        QAction* a = items.at(QString::fromUtf8(title));
        QTest::mouseMove(m, m->actionGeometry(a).center());
        pump();
    };
    const auto reads = [&](const char* title) { return items.at(QString::fromUtf8(title))->text().toStdString(); };
    // In Icon mode the pointer on Title: Title is the tool named, Icon reads plain.
    hover("Title");
    EXPECT_EQ(reads("Title"), "Title Tool");
    EXPECT_EQ(reads("Icon Tool"), "Icon");
    EXPECT_EQ(reads("Now TimeCursor"), "Now TimeCursor");
    // On Files…: the window is named, the tools and times back as the modes have them.
    hover("Files\u2026");
    EXPECT_EQ(reads("Files\u2026"), "Files Window\u2026");
    EXPECT_EQ(reads("Icon Tool"), "Icon Tool");
    EXPECT_EQ(reads("Title"), "Title");
    // On Search: it alone is the time cursor named.
    hover("Search");
    EXPECT_EQ(reads("Search"), "Search TimeCursor");
    EXPECT_EQ(reads("Now TimeCursor"), "Now");
    EXPECT_EQ(reads("Files\u2026"), "Files\u2026");
    EXPECT_EQ(reads("Icon Tool"), "Icon Tool");
    m->close();
    pump();
}

} // namespace
} // namespace e2e
