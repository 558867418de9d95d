// The program's windows as they open: the Space window whole inside the screen's available area
// and back on the same frame at every start, and every other window whole on the screen, beside
// the Space window and clear of its menus, at a size where its texts read whole.

#include "tests/e2e/E2EFixture.h"

#include "app/menu/KELMainMenu.h"
#include "browser/GUITextFieldCell.h"
#include "browser/GUIWidgets.h"
#include "browser/KELVueController.h"
#include "browser/KELVueDe.h"
#include "keytime/ZEVKeyDocumentController.h"
#include "keytime/ZEVKeyWindowController.h"
#include "space/ZEVSpaceWindowFrame.h"

#include <QApplication>
#include <QFontMetrics>
#include <QHeaderView>
#include <QMenuBar>
#include <QScreen>

namespace e2e {
namespace {

class WindowsOnScreen : public E2E {
protected:
    QRect available() const { return window()->screen()->availableGeometry(); }
    // The Space window's menu bar on the screen.
    QRect menus() const
    {
        QMenuBar* bar = window()->menuBar();
        return QRect(bar->mapToGlobal(QPoint(0, 0)), bar->size());
    }
    // Whole on the screen, clear of the Space window's menus, and not at the screen's corner.
    void expectBeside(const QWidget* w, const char* what) const
    {
        ASSERT_NE(w, nullptr) << what;
        ASSERT_TRUE(w->isVisible()) << what;
        const QRect f = w->frameGeometry();
        EXPECT_TRUE(available().contains(f)) << what << " at " << f.x() << "," << f.y() << " " << f.width() << "x"
                                             << f.height();
        EXPECT_FALSE(f.intersects(menus())) << what << " over the Space window's menus";
    }
    static QWidget* topLevelTitled(const QString& title)
    {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->isVisible() && w->windowTitle() == title)
                return w;
        return nullptr;
    }
};

TEST_F(WindowsOnScreen, TheSpaceWindowFitsTheScreenMaximisedAndComesBackOnItsFrameAtEveryStart)
{
    start();
    advance(1.0);
    // A maximise asked of the manager: the largest window at 8 : 5, whole on the screen.
    window()->setWindowState(window()->windowState() | Qt::WindowMaximized);
    advance(1.0);
    EXPECT_FALSE(window()->isMaximized());
    EXPECT_TRUE(available().contains(window()->frameGeometry()));
    const QSize desk = window()->spaceView()->size();
    EXPECT_EQ(desk.height(), std::lround(desk.width() / ZEVSpaceWindowFrame::kContentAspect));
    // The largest: as wide or, to a pixel of 8 : 5, as tall as the available area.
    const QRect largest = window()->frameGeometry();
    EXPECT_TRUE(largest.width() == available().width() || largest.height() >= available().height() - 1)
        << largest.width() << "x" << largest.height() << " on " << available().width() << "x" << available().height();

    // Then made a little narrower by the user and put in the screen's lower right corner, with a
    // desk whose height is not its width / 1.6 exactly.
    const QSize content(available().width() - 39, int(std::lround((available().width() - 39) / 1.6)));
    window()->resize(content + QSize(0, window()->menuBarHeight()));
    advance(1.0);
    const QSize outer = window()->frameGeometry().size();
    window()->move(available().bottomRight() - QPoint(outer.width() - 1, outer.height() - 1));
    advance(1.0);
    const QRect frame = window()->frameGeometry();
    ASSERT_TRUE(available().contains(frame)) << frame.x() << "," << frame.y() << " " << frame.width() << "x"
                                             << frame.height();
    ASSERT_EQ(window()->spaceView()->size(), content);
    const QVariant stored = values->values(QStringLiteral("ZEVSpaceWindow"));
    ASSERT_TRUE(stored.isValid());
    for (int again = 0; again < 3; ++again) {
        SCOPED_TRACE(again);
        quit();
        start();
        advance(1.0);
        EXPECT_EQ(window()->frameGeometry(), frame);
        EXPECT_EQ(values->values(QStringLiteral("ZEVSpaceWindow")), stored);
    }
}

// Started in full screen, the window ends it on the frame it had before, round after round: the
// menu bar is part of the window before the window is first shown too.
TEST_F(WindowsOnScreen, AStartInFullScreenGivesBackTheSameFrameEveryRound)
{
    start();
    advance(1.0);
    const QRect frame = window()->frameGeometry();
    const QSize desk = window()->spaceView()->size();
    chooseMenuItem(KELMainMenu::kMenuView, 5732);
    ASSERT_TRUE(pumpUntil([&] { return window()->siFullScreen(); }));
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        quit();
        start();
        advance(1.0);
        ASSERT_TRUE(window()->siFullScreen());
        EXPECT_EQ(window()->geometry().size(), window()->screen()->geometry().size());
        chooseMenuItem(KELMainMenu::kMenuView, 5732);
        ASSERT_TRUE(pumpUntil([&] { return !window()->siFullScreen(); }));
        advance(1.0);
        EXPECT_EQ(window()->spaceView()->size(), desk);
        EXPECT_EQ(window()->frameGeometry().size(), frame.size());
        chooseMenuItem(KELMainMenu::kMenuView, 5732);
        ASSERT_TRUE(pumpUntil([&] { return window()->siFullScreen(); }));
    }
}

TEST_F(WindowsOnScreen, KeyTimePreferencesAndTheBrowserOpenBesideTheSpaceWindowWithTheirTextsWhole)
{
    startWithTheBar();
    alerts.clear();
    ASSERT_TRUE(available().contains(window()->frameGeometry()));

    // New KeyTime Document from the File menu.
    chooseMenuItem(KELMainMenu::kMenuFile, 1);
    advance(1.0);
    ZEVKeyDocumentController& keyTime = app()->keyTime();
    expectBeside(keyTime.windowFor(keyTime.currentDocument()), "the KeyTime window");

    // Preferences from the application menu.
    chooseMenuItemTitled(KELMainMenu::kMenuApplication, QStringLiteral("Preferences…"));
    advance(1.0);
    expectBeside(topLevelTitled(QStringLiteral("Preferences")), "the preferences");

    // The link base browser on the model of models, as a second start opens it.
    ASSERT_EQ(secondStart({QStringLiteral("--link-browser"), QStringLiteral("1")}), 0);
    advance(3.0);
    ASSERT_FALSE(KELVueController::ouvertes().empty());
    KELVueController* browser = KELVueController::ouvertes().back();
    expectBeside(browser, "the browser");
    KELVueDe* column = browser->premiereVue();
    ASSERT_NE(column, nullptr);
    ASSERT_FALSE(column->lignes().empty());
    const QHeaderView* header = column->headerView();
    int idColumns = 0;
    for (std::size_t c = 0; c < column->colonnes().size(); ++c) {
        const KELVueDe::Colonne& col = column->colonnes()[c];
        const int width = header->sectionSize(int(c));
        EXPECT_LE(header->fontMetrics().horizontalAdvance(col.titre), width) << "title " << col.titre.toStdString();
        if (!col.ids)
            continue;
        ++idColumns;
        // Each id as the cell draws it, bold (chosen) being the widest: 3 points in, 2 from the right.
        const QFontMetrics m(column->cellule(int(c))->font(true, false));
        for (KELI* row : column->lignes()) {
            const QString id = column->valeur(row, col.identifiant).toString();
            EXPECT_LE(m.horizontalAdvance(id), width - 5) << "id " << id.toStdString() << " elided";
        }
        // The ids a user's links get run up to nine digits; the template's have seven.
        EXPECT_LE(m.horizontalAdvance(QStringLiteral("999999999")), width - 5) << "a user's id would be elided";
    }
    EXPECT_EQ(idColumns, 1) << "the model's column of ids";
}

} // namespace
} // namespace e2e
