// The header views over the desk in the running program: the pointer at the window's top opens
// the four, leaving it keeps those the user keeps open, the toolbar counts the Objects of the
// desk, the split bar stands in for a closed toolbar, and the View menu's Full Screen is kept in
// the settings file for the next start.

#include "tests/e2e/E2EFixture.h"

#include "app/menu/KELMainMenu.h"
#include "front/ZEVFrontSelectionView.h"
#include "front/ZEVFrontViewer.h"
#include "platform/sound/Sound.h"
#include "ruler/ZEVRulerViewbar.h"
#include "ruler/ZEVTlineView.h"
#include "widgets/ZEVButton.h"

#include <QFile>
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
        QStringList paths;
        for (const char* name : {"one.txt", "two.txt", "three.txt"}) {
            QFile f(home + "/" + name);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(name);
            paths << f.fileName();
        }
        adapter()->addFilenames(paths);
        advance(1.0);
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

} // namespace
} // namespace e2e
