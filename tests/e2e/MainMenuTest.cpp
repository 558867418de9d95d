// The main menu and the desk's context menu in the running program: the bar lies over an 8 : 5
// desk, its Edit menu opened and chosen with the mouse selects and copies on the desk, its keys
// run each command once and sit where the layout puts their key, and a right-click on the empty
// desk pops the desk's menu.

#include "tests/e2e/E2EFixture.h"

#include "app/menu/KELMainMenu.h"
#include "desk/viewer/ZEVDeskMenus.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QTest>

namespace e2e {
namespace {

class MainMenuE2E : public E2E {
protected:
    void TearDown() override
    {
        if (QWidget* popup = QApplication::activePopupWidget())
            popup->close();
        E2E::TearDown();
        QGuiApplication::clipboard()->clear();
    }
    KELMainMenu* mainMenu() const { return adapter()->mainMenu(); }

    void placeTwoFiles()
    {
        addHomeFiles({"one.txt", "two.txt"});
    }

};

TEST_F(MainMenuE2E, TheBarLiesOverAnEightByFiveDeskAndItsEditMenuSelectsAndCopiesOnTheDesk)
{
    start();
    ASSERT_NE(mainMenu(), nullptr);
    QMenuBar* bar = mainMenu()->menuBar();
    EXPECT_TRUE(bar->isVisible());
    EXPECT_EQ(window()->spaceView()->y(), bar->height());
    const QSize desk = window()->spaceView()->size();
    EXPECT_NEAR(double(desk.width()) / desk.height(), 1.6, 0.01);
    // Items whose receivers are not built yet are disabled, not idle.
    EXPECT_FALSE(mainMenu()->item(4333, 21)->isEnabled()) << "Move To waits for the front layer";
    // Paste's receiver is the front layer's as Copy's is; Copy waits for something to copy.
    EXPECT_TRUE(mainMenu()->item(KELMainMenu::kMenuEdit, 102)->isEnabled());

    placeTwoFiles();
    space()->selections().deselectAllIcons();
    pump();
    ASSERT_TRUE(space()->selections().selectedIconItems().empty());
    chooseMenuItem(KELMainMenu::kMenuEdit, 103);
    EXPECT_EQ(space()->selections().selectedIconItems().size(), 2u);
    chooseMenuItem(KELMainMenu::kMenuEdit, 101);
    const QMimeData* copied = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(copied, nullptr);
    EXPECT_EQ(copied->urls().size(), 2);

    // The key runs the command once, through the Edit menu alone.
    int copies = 0;
    QObject::connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, window(), [&copies] { ++copies; });
    key(Qt::Key_C, Qt::ControlModifier);
    pump();
    EXPECT_EQ(copies, 1);

    // The bar follows the preference, the desk keeping its size under it.
    values->setValue(QStringLiteral("ZEVShowMacMenu"), false);
    pump();
    EXPECT_FALSE(bar->isVisible());
    EXPECT_EQ(window()->spaceView()->size(), desk);
}

TEST_F(MainMenuE2E, KeysAreSetByThePlaceOfTheKeyOnTheKeyboardLayout)
{
    // Without a display the layout comes from the XKB variables: German swaps Y and Z.
    const QByteArray before = qgetenv("XKB_DEFAULT_LAYOUT");
    qputenv("XKB_DEFAULT_LAYOUT", "de");
    start();
    if (before.isEmpty())
        qunsetenv("XKB_DEFAULT_LAYOUT");
    else
        qputenv("XKB_DEFAULT_LAYOUT", before);
    EXPECT_EQ(mainMenu()->item(KELMainMenu::kMenuModes, 1)->shortcut(), QKeySequence(Qt::Key_Y))
        << "the key at the place of the US Z";
    EXPECT_EQ(mainMenu()->outlet("_menuViewShowAnimation")->shortcut(), QKeySequence(Qt::Key_Z));
    EXPECT_EQ(mainMenu()->item(KELMainMenu::kMenuTime, 2000010)->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_2));
}

TEST_F(MainMenuE2E, ARightClickOnTheEmptyDeskPopsTheDesksMenu)
{
    start();
    const QPoint empty(canvas()->width() / 2, canvas()->height() - 40);
    QTest::mouseClick(canvas(), Qt::RightButton, {}, empty);
    auto* popup = shownPopupMenu();
    ASSERT_NE(popup, nullptr) << "no menu popped";
    EXPECT_EQ(popup->objectName(), "menuFrontView");
    // The active cursor's item is checked and titled as active; the AND and OR items wait for
    // filters.
    ZEVDeskMenus* menus = nowDesk()->deskMenus();
    ASSERT_NE(menus, nullptr);
    bool nowChecked = false;
    for (QAction* a : popup->actions())
        if (a->text() == "Now TimeCursor")
            nowChecked = a->isChecked();
    EXPECT_TRUE(nowChecked);
    EXPECT_FALSE(menus->filtreAND()->isVisible());
    QTest::keyClick(popup, Qt::Key_Escape);
    pump();
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
}

} // namespace
} // namespace e2e
