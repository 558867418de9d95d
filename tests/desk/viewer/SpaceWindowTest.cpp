// The desks inside a real Space window: the Space is built on a template base holding one icon at
// the Now cursor, on a first run, and its window is grabbed offscreen.

#include "tests/desk/DeskFixture.h"

#include "desk/data/ZEVItemData.h"
#include "desk/view/ZEVDeskView.h"
#include "desk/viewer/ZEVDeskOfCursor.h"
#include "desk/viewer/ZEVSpaceBridge.h"
#include "platform/UserDefaults.h"
#include "ruler/ZEVRulerClass.h"
#include "space/ZEVSpaceClass.h"
#include "space/ZEVSpaceController.h"
#include "space/ZEVSpaceWindow.h"

#include <QDir>

namespace desktest {

namespace {

// A desk whose item viewer makes stand-in views.
class Desk final : public ZEVDeskOfCursor {
public:
    Desk(ZEVSpaceController& space, KELICurseur* c, ZEVSpaceBridge* services)
        : ZEVDeskOfCursor(space, c, services, [](KELICurseur*, ZEVDeskClass*, ZEVDeskViewer* desk, ZEVItemClass*) {
              return std::make_unique<FakeItemViewer>(desk);
          })
    {
    }
    ZEVItemViewer* itemViewer() override { return nullptr; }
};

class Host final : public test::NullSpaceHost {
public:
    Host(QString store, UserDefaultsController& defaults) : store_(std::move(store)), defaults_(defaults) {}
    void referencerSpaceController(ZEVSpaceController* s) override
    {
        services = std::make_unique<ZEVSpaceBridge>(*s);
    }
    QString storeFolder() override { return store_; }
    UserDefaultsController& defaults() override { return defaults_; }
    QRectF mainScreenFrame() override { return QRectF(0, 0, 1920, 1200); }
    QString fileUrlForItem(KELI* item, KELId channelInt) override
    {
        return ZEVItemDataChannels::ItemDataOrCurrentForChannelInt(channelInt).fileUrlForItem(item);
    }
    std::unique_ptr<ZEVCursorDesk> creerDesk(KELICurseur* c, ZEVSpaceController& space) override
    {
        return std::make_unique<Desk>(space, c, services.get());
    }
    // The Space's cursors come from the ruler's model.
    std::unique_ptr<ZEVRulerClassServices> creerRulerClass(ZEVSpaceController& space) override
    {
        return std::make_unique<ZEVRulerClass>(space.spaceClass()->ruler(), space.tlCurseur());
    }
    std::unique_ptr<ZEVSpaceBridge> services;
    QString store_;
    UserDefaultsController& defaults_;
};

using SpaceWindowDesk = LinkBase;

} // namespace

TEST_F(SpaceWindowDesk, OpensOnTheHomeChannelWithItsBackgroundAndTheIconsAtNow)
{
    const QString root = QString::fromStdString(test::makeTempDir("spacewindow"));
    ZEVItemDataFolders folders;
    const QString store = folders.zevDir = root + "/store";
    folders.zevData = store + "/local/zevData";
    folders.zevDrop = store + "/local/zevDrop";
    folders.zevFolder = root + "/Tallomer";
    QDir().mkpath(folders.zevData);
    QDir().mkpath(folders.zevDrop);
    writePdf(store + "/zevWallpaperGrey.pdf", 320, 200, QColor(200, 0, 0));
    writePdf(store + "/zevWallpaperNew.pdf", 320, 200, QColor(0, 200, 0));
    ZEVItemDataChannels::Reset();
    ZEVItemDataChannels::SetFolders(folders);
    ASSERT_TRUE(ZEVItemDataChannels::CreateItemDataForChannelInt(KELOBJECT_HOME_CHANNEL));
    ZEVItemDataChannels::SetCurrentChannelInt(KELOBJECT_HOME_CHANNEL);

    // One Object with its icon, a twelfth of the desk wide, centred a quarter of the way up.
    {
        ZEVItemClass items(now, nullptr);
        ZEVDeskClass desk(now, nullptr);
        KELI* item = items.creerItemWithChannelInt(KELOBJECT_HOME_CHANNEL, "note", "file", "txt", 0);
        ASSERT_NE(item, nullptr);
        desk.creerIconAttributsForItem(item, ZEVIconPosition{9600, 3000, 1600, 0});
        desk.creerIconForItem(item, now->now() - 10, KELDateOuverte);
    }
    sched.advance(1.0);

    UserDefaults defaults(store + "/defaults.conf");
    UserDefaultsController controller(defaults);
    Host host(store, controller);
    std::unique_ptr<ZEVSpaceController> window = ZEVSpaceController::initSpaceControllerWithSpaceInt(2000001, host, timeline);
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->siFirstTime());
    for (int i = 0; i < 20; ++i) {
        sched.advance(0.1);
        drainWorkers();
    }

    ZEVDeskViewer* desk = window->deskViewerForCurseur(window->nowCurseur());
    ASSERT_NE(desk, nullptr);
    EXPECT_EQ(desk->currentBackImageItemName(), "Space 1");
    EXPECT_EQ(desk->nbDeItemViews(), 1u);
    QGraphicsView* canvas = window->spaceWindow()->spaceView()->deskCanvas();
    EXPECT_EQ(canvas->scene(), desk->deskView());
    const QString png = root + "/window.png";
    ASSERT_TRUE(canvas->grab().save(png));
    const QImage shot(png);
    ASSERT_FALSE(shot.isNull());
    // The wallpaper fills the desk; the icon is drawn y-up, at its size.
    const auto at = [&](double x, double y) { return QColor(shot.pixel(int(x * shot.width()), int(y * shot.height()))); };
    EXPECT_EQ(at(0.5, 0.75), QColor(0, 0, 255)) << png.toStdString();
    EXPECT_EQ(at(0.5, 0.25), QColor(200, 0, 0));
    EXPECT_EQ(at(0.5 + 1.0 / 12, 0.75), QColor(200, 0, 0));
    EXPECT_EQ(at(0.5, 0.01), QColor(200, 0, 0));
    window.reset();
    ZEVItemDataChannels::Reset();
}

} // namespace desktest
