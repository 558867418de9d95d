// A new user's first start, a quit and the next start; the store lock.

#include "tests/e2e/E2EFixture.h"

#include "engine/KELElements.h"
#include "engine/KELICurseur.h"

#include <QFileInfo>
#include <QGuiApplication>

namespace e2e {
namespace {

TEST_F(E2E, FirstRunGreetsOnceAndAQuitKeepsWhatTheNextStartShows)
{
    start();
    EXPECT_TRUE(window()->isVisible());
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].windowTitle, QStringLiteral("Welcome to Tallomer"));
    // Dismissing it (or any other alert or panel) leaves the program running: only Quit ends it.
    EXPECT_FALSE(QGuiApplication::quitOnLastWindowClosed());
    EXPECT_TRUE(QFileInfo(database()).isFile());
    EXPECT_TRUE(QFileInfo(storeFolder() + "/default.file").isFile());
    EXPECT_EQ(space()->currentChannelInt(), 2000018u);
    // The first Space of the home Channel has its background from the start.
    EXPECT_FALSE(sql(database(), "SELECT ZEVLET_ID FROM ZEVLETS WHERE RELATION = 1000172 AND PARENT_ZEVLET = 2000018")
                     .empty());

    // The Search cursor is the active one when the user quits: the next start opens on it.
    space()->changeDeskForActifCurseur(space()->searchCurseur());
    const std::string searchElement = std::to_string(space()->searchCurseur()->elemCurseur()->idInt());
    quit();
    EXPECT_EQ(stops, std::vector<int>{0});
    EXPECT_EQ(sql(database(), "SELECT COUNT(*) FROM ZEVLETS WHERE RELATION = 1000092 AND DATE_OUT > 4e15 AND "
                              "CHILD_ZEVLET = " + searchElement).at(0, 0),
              "1");

    alerts.clear();
    start();
    EXPECT_TRUE(alerts.empty()) << "the welcome is for the first run only";
    EXPECT_EQ(space()->actifCurseur(), space()->searchCurseur());
}

TEST_F(E2E, AWindowMovedBeforeQuittingOpensThereAgain)
{
    start();
    window()->move(window()->frameGeometry().topLeft() + QPoint(40, 30));
    advance(1.0); // the frame is kept once the move has settled
    const QRect before = window()->geometry();
    quit();
    start();
    EXPECT_EQ(window()->geometry(), before);
}

} // namespace
} // namespace e2e
