// The desks inside a real Space window: the Space is built on a template base holding one icon at
// the Now cursor, on a first run, and its window is grabbed offscreen.

#include "tests/desk/viewer/DeskViewerFixture.h"

#include "desk/data/ZEVItemData.h"
#include "desk/viewer/ZEVDeskOfCursor.h"
#include "desk/viewer/ZEVSpaceDeskServices.h"
#include "platform/UserDefaults.h"
#include "space/ZEVSpaceController.h"
#include "space/ZEVSpaceWindow.h"
#include "tests/support/TestHome.h"

#include <QCoreApplication>
#include <QDir>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QThreadPool>

namespace deskviewertest {

namespace {

void pdf(const QString& path, double w, double h, QColor color)
{
    QPdfWriter writer(path);
    writer.setPageSize(QPageSize(QSizeF(w, h), QPageSize::Point));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    QPainter p(&writer);
    p.fillRect(QRect(QPoint(0, 0), QSize(writer.width(), writer.height())), color);
}

class Host final : public ZEVSpaceHost {
public:
    Host(QString store, UserDefaultsController& defaults) : store_(std::move(store)), defaults_(defaults) {}
    void referencerSpaceController(ZEVSpaceController* s) override
    {
        services = std::make_unique<ZEVSpaceDeskServices>(*s);
    }
    QString storeFolder() override { return store_; }
    UserDefaultsController& defaults() override { return defaults_; }
    QRectF mainScreenFrame() override { return QRectF(0, 0, 1920, 1200); }
    QString fileUrlForItem(KELI* item) override { return ZEVItemData::FileUrlForItem(item); }
    std::unique_ptr<ZEVCursorDesk> creerDesk(KELICurseur* c, ZEVSpaceController& space) override
    {
        return std::make_unique<ZEVDeskOfCursor>(
            space, c, services.get(), [](KELICurseur*, ZEVDeskClass*, ZEVDeskViewer* desk, ZEVItemClass*) {
                auto v = std::make_unique<FakeItemViewer>();
                v->desk = desk;
                return v;
            });
    }
    std::unique_ptr<ZEVSpaceDeskServices> services;

private:
    QString store_;
    UserDefaultsController& defaults_;
};

} // namespace

TEST(SpaceWindowDesk, OpensOnTheHomeChannelWithItsBackgroundAndTheIconsAtNow)
{
    ManualScheduler sched{800000000.0};
    SchedulerClock clock{sched};
    const std::string base = storetest::copyTemplate();
    KELChercheurDe::setDatabasePath(base);
    Clock::setShared(&clock);
    Scheduler::setShared(&sched);
    KELServeurDeLiens::initialize();
    KELICurseur* g = KELServeurDeLiens::CurseurGlobal();
    for (KELId id : {kel::kModelDesModels, kel::kModelCurseur, kel::kModelContexte})
        if (auto* m = dynamic_cast<KELIModel*>(KELServeurDeLiens::LienForInt(id, g)))
            m->elements(g);
    auto* timeline = dynamic_cast<KELICurseur*>(KELServeurDeLiens::LienForInt(kel::kCurseurTimeline, g));
    ASSERT_NE(timeline, nullptr);
    timeline->lancer();
    sched.runUntilIdle();
    sched.advance(0.5);

    const QString root = QString::fromStdString(test::makeTempDir("spacewindow"));
    const QString store = root + "/store";
    QDir().mkpath(store + "/local/zevData");
    QDir().mkpath(store + "/local/zevDrop");
    pdf(store + "/zevWallpaperGrey.pdf", 320, 200, QColor(200, 0, 0));
    pdf(store + "/zevWallpaperNew.pdf", 320, 200, QColor(0, 200, 0));
    ZEVItemDataFolders folders;
    folders.zevDir = store;
    folders.zevData = store + "/local/zevData";
    folders.zevDrop = store + "/local/zevDrop";
    folders.zevFolder = root + "/Tallomer";
    ZEVItemData::Reset();
    ZEVItemData::SetFolders(folders);
    ASSERT_TRUE(ZEVItemData::CreateItemDataForChannelInt(2000018));
    ZEVItemData::SetCurrentChannelInt(2000018);

    // One Object with its icon in the middle of the desk at the Now cursor.
    auto* now = dynamic_cast<KELICurseur*>(KELServeurDeLiens::LienForInt(2000090, g));
    ASSERT_NE(now, nullptr);
    {
        ZEVItemClass items(now, nullptr);
        ZEVDeskClass desk(now, nullptr);
        KELI* item = items.creerItemWithChannelInt(2000018, "note", "file", "txt", 0);
        ASSERT_NE(item, nullptr);
        desk.creerIconAttributsForItem(item, ZEVIconPosition{9600, 6000, 1600, 0});
        desk.creerIconForItem(item, now->now() - 10, KELDateOuverte);
    }
    sched.advance(1.0);

    {
    UserDefaults defaults(store + "/defaults.conf");
    UserDefaultsController controller(defaults);
    Host host(store, controller);
    std::unique_ptr<ZEVSpaceController> space =
        ZEVSpaceController::initSpaceControllerWithSpaceInt(2000001, host, timeline);
    ASSERT_NE(space, nullptr);
    EXPECT_TRUE(space->siFirstTime());
    for (int i = 0; i < 20; ++i) {
        sched.advance(0.1);
        QThreadPool::globalInstance()->waitForDone();
        QCoreApplication::processEvents();
    }

    ZEVDeskViewer* desk = space->deskViewerForCurseur(space->nowCurseur());
    ASSERT_NE(desk, nullptr);
    EXPECT_EQ(desk->currentBackImageItemName(), "Space 1");
    EXPECT_EQ(desk->nbDeItemViews(), 1u);
    QGraphicsView* canvas = space->spaceWindow()->spaceView()->deskCanvas();
    EXPECT_EQ(canvas->scene(), desk->deskView());
    const QString png = root + "/window.png";
    ASSERT_TRUE(canvas->grab().save(png));
    const QImage shot(png);
    ASSERT_FALSE(shot.isNull());
    const QPoint centre(shot.width() / 2, shot.height() / 2);
    EXPECT_EQ(QColor(shot.pixel(centre)), QColor(0, 0, 255)) << png.toStdString();
    EXPECT_EQ(QColor(shot.pixel(centre.x(), 5)), QColor(200, 0, 0)) << png.toStdString();

    space.reset();
    }
    ZEVItemData::Reset();
    KELServeurDeLiens::reset();
    Scheduler::setShared(nullptr);
    Clock::setShared(nullptr);
}

} // namespace deskviewertest
