// The Space window in the running program: its title on a first run and with the pointer in the
// top right zone, the narrowest window floating in front, Previous and Next Space moving the Search
// cursor, and an Object deleted through the services its views call.

#include "tests/e2e/E2EFixture.h"

#include "desk/model/ZEVItemClass.h"
#include "engine/KELICurseur.h"
#include "inspectors/links/ZEVLinkViewer.h"
#include "services/ZEVInspectorServices.h"
#include "objects/viewer/ZEVItemViewer.h"
#include "platform/sound/Sound.h"
#include "space/ZEVConstants.h"
#include "space/ZEVSpaceWindowFrame.h"
#include "widgets/ZEVButton.h"

#include <QMenuBar>
#include <QMessageBox>
#include <QPointer>
#include <QFile>
#include <QApplication>
#include <QSignalBlocker>
#include <QTimer>
#include <QTest>
#include <QWindow>

#include <cmath>
#include <functional>

namespace e2e {
namespace {

class SpaceWindow : public E2EWithSound<RecordingSound> {
protected:
    static constexpr int kTheTestEndedTheLoop = 7;

    // Closes a window in the program's own event loop, where a last window closed ends the loop a
    // few turns later; the test ends it itself after those turns, with its own code. That end is
    // no quit: the application's signals are held meanwhile, so that no quit sequence runs.
    static int closedInTheEventLoop(QWidget* w)
    {
        std::function<void(int)> tours = [&tours](int n) {
            QTimer::singleShot(0, qApp, [&tours, n] {
                if (n == 0)
                    QCoreApplication::exit(kTheTestEndedTheLoop);
                else
                    tours(n - 1);
            });
        };
        QTimer::singleShot(0, qApp, [w, &tours] {
            w->close();
            tours(5);
        });
        const QSignalBlocker pasDeFin(qApp);
        return QApplication::exec();
    }

    std::string title() const { return window()->windowTitle().toStdString(); }
    // The pointer moved over the window to that point (y-down, in the window), as the user moves it.
    void pointer(QPoint p)
    {
        QTest::mouseMove(window()->windowHandle(), p);
        pump();
    }
    // Files put on the Now desk from the desktop, each a few seconds after the last.
    std::vector<KELI*> files(const std::vector<const char*>& names)
    {
        std::vector<KELI*> items;
        for (const char* name : names) {
            QFile f(home + "/" + name);
            EXPECT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(name);
            f.close();
            addFiles({f.fileName()}, 5.0);
            for (ZEVItemViewForDesks* v : nowDesk()->itemViewSet())
                if (v->itemTitle() == name)
                    items.push_back(v->item());
        }
        EXPECT_EQ(items.size(), names.size());
        return items;
    }
    // Links of the Object, or pointing at it, that the store still holds live at some date.
    std::string liveLinks(KELI* o) const
    {
        const std::string id = std::to_string(o->idInt());
        return sql(database(), "SELECT COUNT(*) FROM ZEVLETS WHERE (ZEVLET_ID = " + id + " OR PARENT_ZEVLET = " + id +
                                   " OR CHILD_ZEVLET = " + id + ") AND DATE_IN < 4503599627370496.0")
            .at(0, 0);
    }

};

TEST_F(SpaceWindow, TheFirstRunTitleNamesChannelAndSpaceFramedWhileThePointerIsInTheTopRightZone)
{
    start();
    EXPECT_EQ(title(), "Channel 1 | Space 1");
    const QSize s = window()->size();
    // The zone is the content's corner, under the main menu's bar.
    ASSERT_GT(window()->menuBarHeight(), 0);
    pointer(QPoint(s.width() - 12, window()->menuBarHeight() + 8));
    EXPECT_EQ(title(), "=  Channel 1 | Space 1  =");
    pointer(QPoint(s.width() / 2, s.height() / 2));
    EXPECT_EQ(title(), "Channel 1 | Space 1");
    // Over the header-views button the zone is the same.
    pointer(window()->headerViewsButton()->geometry().center());
    EXPECT_EQ(title(), "=  Channel 1 | Space 1  =");
}

TEST_F(SpaceWindow, ShrunkToItsNarrowestTheWindowFloatsInFrontAndWidenedItNoLongerDoes)
{
    start();
    ZEVSpaceWindow* w = window();
    EXPECT_FALSE(w->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    w->resize(300, 200);
    advance(1.0);
    EXPECT_EQ(w->width(), int(ZEVSpaceWindowFrame::kMinContentWidth));
    EXPECT_TRUE(space()->siFrontSpace());
    EXPECT_TRUE(w->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(title(), "Channel 1 | Space 1");
    w->resize(800, 500);
    advance(1.0);
    EXPECT_FALSE(space()->siFrontSpace());
    EXPECT_FALSE(w->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(w->isVisible());
}

TEST_F(SpaceWindow, ClosedTheWindowHidesAndTheProgramGoesOnUntilASecondStartShowsItAgain)
{
    start();
    const QRect avant = window()->geometry();
    EXPECT_EQ(closedInTheEventLoop(window()), kTheTestEndedTheLoop) << "closing the window ended the program";
    EXPECT_FALSE(window()->isVisible());
    EXPECT_TRUE(stops.empty());
    EXPECT_EQ(secondStart({}), 0);
    EXPECT_TRUE(window()->isVisible());
    EXPECT_EQ(window()->geometry(), avant);
}

TEST_F(SpaceWindow, AnAlertClosedBesideTheWindowDoesNotEndTheProgram)
{
    start();
    // An alert of its own, as the first run's welcome is: Qt takes it for a last window once the
    // Space window no longer counts, and its close would end the loop a few turns later.
    QMessageBox alerte(QMessageBox::Information, QStringLiteral("Welcome to Tallomer"), QStringLiteral("x"));
    alerte.show();
    EXPECT_EQ(closedInTheEventLoop(&alerte), kTheTestEndedTheLoop) << "closing an alert ended the program";
    EXPECT_TRUE(window()->isVisible());
    EXPECT_TRUE(stops.empty());
}

// What a window manager is given of the Space window: its geometry when it is first shown, and
// the resizes after. A resize before the manager has framed the window places it by its inside
// corner, the decorations' height higher than the frame was.
class FirstShowWatch : public QObject {
public:
    QRect shown;
    int resizesAfter = 0;

protected:
    bool eventFilter(QObject* o, QEvent* e) override
    {
        auto* w = qobject_cast<ZEVSpaceWindow*>(o);
        if (!w)
            return false;
        if (e->type() == QEvent::Show && w != window_) {
            window_ = w;
            shown = w->geometry();
            resizesAfter = 0;
        } else if (e->type() == QEvent::Resize && w == window_) {
            ++resizesAfter;
        }
        return false;
    }

private:
    // Guarded: the next start's window may be made at the address of the one the quit deleted,
    // and its first show would then go uncounted.
    QPointer<QObject> window_;
};

TEST_F(SpaceWindow, EachStartShowsTheWindowWholeOnTheFrameItHadWithTheMenuBarShownOrHidden)
{
    FirstShowWatch watch;
    qApp->installEventFilter(&watch);
    const auto started = [&](bool bar) {
        start();
        advance(1.0); // the window settles
        EXPECT_EQ(watch.resizesAfter, 0) << "the window changed size after it was shown";
        EXPECT_EQ(window()->size(), watch.shown.size());
        EXPECT_EQ(window()->menuBar()->isVisible(), bar);
        EXPECT_EQ(window()->menuBarHeight() > 0, bar);
        const QSize desk = window()->spaceView()->size();
        EXPECT_EQ(desk.height(), std::lround(desk.width() / ZEVSpaceWindowFrame::kContentAspect));
        return window()->frameGeometry();
    };

    const QRect withBar = started(true);
    quit();
    EXPECT_EQ(started(true), withBar);
    const int bar = window()->menuBarHeight();

    values->setValue(QStringLiteral("ZEVShowMacMenu"), false);
    pump();
    quit();
    // The same content, at the same top, without the bar over it.
    const QRect without = withBar.adjusted(0, 0, 0, -bar);
    EXPECT_EQ(started(false), without);
    quit();
    EXPECT_EQ(started(false), without);

    values->setValue(QStringLiteral("ZEVShowMacMenu"), true);
    pump();
    quit();
    EXPECT_EQ(started(true), withBar);
    qApp->removeEventFilter(&watch);
}

TEST_F(SpaceWindow, PreviousAndNextSpaceMoveTheSearchCursorBetweenTheBackgroundsOfTheChannel)
{
    start();
    // The first run's backgrounds: Space 0 until the start, Space 1 from then on.
    const double debut = clock.now();
    advance(60);
    const std::vector<KELI*> placed = files({"one.txt", "two.txt"});
    ASSERT_EQ(placed.size(), 2u);
    const double dernier = clock.now() - 5.0; // the second file's icon
    KELICurseur* search = space()->searchCurseur();

    // Back into Space 0, which saw no change: an hour before its end.
    space()->userGotoPreviousSiDistinct(false, false);
    ASSERT_EQ(space()->actifCurseur(), search);
    EXPECT_NEAR(search->now(), debut - 3600, 1.0);
    pump(); // the desk shows its background on the next turn, and the title follows it
    EXPECT_EQ(title(), "Channel 1 | Space 0  (Past)");
    space()->userGotoPreviousSiDistinct(false, false);
    EXPECT_EQ(sound.beeps, 1) << "nothing before Space 0";

    // Forward into Space 1: its last change, the second file.
    space()->userGotoNextSiDistinct(false, false);
    EXPECT_NEAR(search->now(), dernier + 0.25, 1.0);
    pump();
    EXPECT_EQ(title(), "Channel 1 | Space 1  (Past)");
    space()->userGotoNextSiDistinct(false, false);
    EXPECT_EQ(space()->actifCurseur(), space()->nowCurseur());
    EXPECT_EQ(sound.played, QStringList{"Tink"});
    EXPECT_EQ(title(), "Channel 1 | Space 1");
}

TEST_F(SpaceWindow, AnObjectDeletedFromItsViewsLeavesNoLiveLinkNoSelectionAndNoLineOfItsPartners)
{
    start();
    const std::vector<KELI*> placed = files({"one.txt", "two.txt", "three.txt"});
    ASSERT_EQ(placed.size(), 3u);
    KELI* a = placed[0];
    KELI* b = placed[1];
    KELI* c = placed[2];
    ZEVItemViewer* viewer = space()->itemViewerForCurseur(space()->nowCurseur());
    // a linked to both others, once as parent and once as child.
    viewer->userRecallLinkWithItem(a, b);
    viewer->userRecallLinkWithItem(c, a);
    advance(1.0);
    ASSERT_EQ(viewer->connexionsTouchingItem(b).size(), 1u);
    ASSERT_EQ(viewer->connexionsTouchingItem(c).size(), 1u);
    ZEVLinkClassServices* links = space()->linkClass();
    ASSERT_EQ(links->timeLineLinks().size(), 2u);
    ZEVSelections& sel = space()->selections();
    sel.selectIconForItemSet({a, b}, nullptr);
    sel.selectNodeForItem(a);
    ASSERT_FALSE(sel.selectedLinks().empty());
    // Being dragged and having its title edited, too.
    space()->setDraggingItem(a);
    sel.editTitleForItem(a);
    EXPECT_NE(liveLinks(a), "0");

    ZEVSpaceForObjectViews& services = *adapter()->deskServices();
    services.userDeleteItem(a);
    advance(1.0);
    EXPECT_EQ(liveLinks(a), "0");
    EXPECT_EQ(sel.selectedIconItems(), std::vector<KELI*>{b});
    EXPECT_TRUE(sel.selectedNodeItemSet().empty());
    EXPECT_TRUE(sel.selectedLinks().empty());
    EXPECT_EQ(space()->draggingItem(), nullptr);
    EXPECT_FALSE(sel.isTitleEditing());
    EXPECT_TRUE(viewer->connexionsTouchingItem(b).empty());
    EXPECT_TRUE(viewer->connexionsTouchingItem(c).empty());
    EXPECT_EQ(viewer->connexionCount(), 0u);
    EXPECT_TRUE(links->timeLineLinks().empty());
    EXPECT_EQ(dynamic_cast<ZEVLinkClass&>(*links).linkCount(), 0u) << "no link object keeps it, as child either";
    for (ZEVItemViewForDesks* v : nowDesk()->itemViewSet())
        EXPECT_NE(v->item(), a);
    EXPECT_FALSE(log.contains("WARNING - KELRELATION"));
    // Tab walks the two that are left.
    key(Qt::Key_Tab);
    ASSERT_EQ(sel.selectedIconItems().size(), 1u);
    EXPECT_NE(sel.selectedIconItems().front(), a);

    // An Object never placed on a desk goes without a word.
    KELI* jamais = space()
                       ->itemClassForCurseur(space()->nowCurseur())
                       ->creerItemWithChannelInt(KELOBJECT_HOME_CHANNEL, "never placed", "file", "", 0);
    ASSERT_NE(jamais, nullptr);
    services.userDeleteItem(jamais);
    EXPECT_EQ(liveLinks(jamais), "0");
    EXPECT_FALSE(log.contains("WARNING - KELRELATION"));
}

TEST_F(SpaceWindow, DeletingTheBackgroundsImageLeavesTheDeskDrawable)
{
    start();
    KELI* image = nowDesk()->currentBackImageItem();
    ASSERT_NE(image, nullptr);
    adapter()->deskServices()->userDeleteItem(image);
    advance(1.0);
    // The Channel's backgrounds and the image's colour are the Channel's history, not the Object's.
    const Rows restes = sql(
        database(), "SELECT DISTINCT RELATION FROM ZEVLETS WHERE (PARENT_ZEVLET = " + std::to_string(image->idInt()) +
                        " OR CHILD_ZEVLET = " + std::to_string(image->idInt()) +
                        ") AND DATE_IN < 4503599627370496.0 ORDER BY RELATION");
    ASSERT_EQ(restes.size(), 2u);
    EXPECT_EQ(restes.at(0, 0), "1000172");
    EXPECT_EQ(restes.at(1, 0), "1000257");
    window()->resize(window()->size() + QSize(80, 50));
    advance(1.0);
    EXPECT_FALSE(window()->grab().isNull());
    EXPECT_FALSE(space()->zevpImageSiSpace(true).isNull());
    EXPECT_EQ(title().rfind("Channel 1 | ", 0), 0u);
}

} // namespace
} // namespace e2e
