// The whole start: application stages, then the real Space with its two desks, on a first run.

#include "app/KELApplication.h"
#include "app/KELApplicationDelegate.h"
#include "app/ZEVController.h"
#include "app/space/ZEVSpaceAdapter.h"
#include "desk/viewer/ZEVDeskViewer.h"
#include "platform/UserDefaults.h"
#include "space/ZEVSpaceController.h"
#include "space/ZEVSpaceWindow.h"
#include "tests/app/AppFixture.h"

#include <QCoreApplication>
#include <QThreadPool>

using namespace tallomer;

namespace apptest {

class SpaceStartUp : public AppTest {
protected:
    void TearDown() override
    {
        if (app)
            app->setDelegate(nullptr);
        delegate.reset();
        AppTest::TearDown();
        ZEVController::setSpaceControllerFactory({});
    }
    std::unique_ptr<KELApplicationDelegate> delegate;
};

TEST_F(SpaceStartUp, FirstRunOpensTheSpaceWindowOnTheHomeChannelWithItsWallpaper)
{
    ZEVSpaceAdapter::installer();
    KELApplication& a = makeApp();
    delegate = std::make_unique<KELApplicationDelegate>(&a, nullptr);
    a.setDelegate(delegate.get());
    startAll();
    for (int i = 0; i < 10; ++i) {
        sched.advance(0.1);
        QThreadPool::globalInstance()->waitForDone();
        QCoreApplication::processEvents();
    }
    ASSERT_TRUE(stops.empty());
    ASSERT_NE(a.zevController(), nullptr);
    auto* adapter = dynamic_cast<ZEVSpaceAdapter*>(a.zevController()->spaceController());
    ASSERT_NE(adapter, nullptr);
    ZEVSpaceController* space = adapter->space();
    ASSERT_NE(space, nullptr);
    EXPECT_NE(dynamic_cast<ZEVSpaceWindow*>(a.zevController()->spaceWindow()), nullptr);
    EXPECT_EQ(space->currentChannelInt(), 2000018u);
    ZEVDeskViewer* now = space->deskViewerForCurseur(space->nowCurseur());
    ASSERT_NE(now, nullptr);
    EXPECT_EQ(now->currentBackImageItemName(), "Space 1");
    EXPECT_NE(space->deskViewerForCurseur(space->searchCurseur()), nullptr);
}

} // namespace apptest
