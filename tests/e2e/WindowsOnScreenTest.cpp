// The program's windows as they open: the Space window whole inside the screen's available area
// and back on the same frame at every start.

#include "tests/e2e/E2EFixture.h"

#include "space/ZEVSpaceWindowFrame.h"

#include <QApplication>
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

} // namespace
} // namespace e2e
