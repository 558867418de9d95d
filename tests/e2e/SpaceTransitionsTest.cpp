// Space transitions and the step back in the running program: Clean All from the Spaces menu ends
// every icon of the Now desk at one moment where a new Space begins, holds the user's input off
// while it runs, and Escape steps back one level at a time.

#include "tests/e2e/E2EFixture.h"

#include "desk/model/ZEVDeskClass.h"
#include "engine/KELICurseur.h"
#include "engine/KELServeurDeLiens.h"
#include "front/ZEVFrontViewer.h"
#include "inspectors/base/ZEVInspectView.h"
#include "inspectors/base/ZEVInspectViewer.h"
#include "objects/view/ZEVItemView.h"
#include "objects/viewer/ZEVItemViewer.h"
#include "front/ZEVFrontGoToPanel.h"
#include "front/ZEVFrontToolButtons.h"
#include "inspectors/channels/ZEVChannelTableView.h"
#include "inspectors/channels/ZEVChannelViewer.h"
#include "inspectors/table/ZEVTypeSelect.h"
#include "platform/sound/Sound.h"
#include "ruler/ZEVRulerViewer.h"
#include "runtime/Scheduler.h"
#include "space/ZEVSelections.h"
#include "widgets/ZEVButton.h"

#include <array>

#include <QFile>
#include <QTest>

namespace e2e {
namespace {

constexpr double kOpen = 4503599627370496.0;
// A closed time window keeps its least width on either side of the cursor.
constexpr double kClosedWindow = 0.2 + 1e-6;

class SpaceTransitions : public E2EWithSound<RecordingSound> {
protected:
    std::vector<std::string> placeThreeFiles()
    {
        QStringList paths;
        for (const char* name : {"a.txt", "b.txt", "c.txt"}) {
            QFile f(home + "/" + name);
            EXPECT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(name);
            paths << f.fileName();
        }
        adapter()->addFilenames(paths);
        advance(1.0);
        std::vector<std::string> ids;
        const Rows files = placedObjectsOfType("file");
        for (std::size_t r = 0; r < files.size(); ++r)
            ids.push_back(files.at(r, 0));
        EXPECT_EQ(ids.size(), 3u);
        return ids;
    }
    ZEVFrontViewer* front() const { return dynamic_cast<ZEVFrontViewer*>(space()->frontViewer()); }
    // Object views at the Now cursor (views of the cursor's past band are not on the desk).
    int shownObjects() const
    {
        int n = 0;
        for (ZEVItemViewForDesks* v : nowDesk()->itemViewSet())
            if (auto* iv = dynamic_cast<ZEVItemView*>(v); iv && iv->siActif() && !iv->isHidden())
                ++n;
        return n;
    }
    // A stage that waited before it ran, and how long (to the nearest tick).
    struct Waited {
        int stage;
        double seconds;
    };
    // Runs the transition under way on the virtual clock in ticks of 10 ms, noting every stage
    // that was scheduled rather than run at once.
    std::vector<Waited> runNotingWaits()
    {
        static const std::array<const char*, 8> names = {"_cleanAll_0", "_cleanAll_1", "_cleanAll_2", "_cleanAll_3",
                                                         "_cleanAll_4", "_cleanAll_5", "_cleanAll_6", "_cleanAll_7"};
        std::array<double, 8> since;
        since.fill(-1);
        std::vector<Waited> out;
        const double start = clock.now();
        Scheduler& s = graph->scheduler();
        const void* target = front();
        while (front()->siTransitionRunning() && clock.now() - start < 15.0) {
            for (int i = 0; i < 8; ++i)
                if (since[i] < 0 && s.isPending(target, names[i]))
                    since[i] = clock.now();
            advance(0.01);
            for (int i = 0; i < 8; ++i)
                if (since[i] >= 0 && !s.isPending(target, names[i])) {
                    out.push_back({i, clock.now() - since[i]});
                    since[i] = -1;
                }
        }
        return out;
    }
    static bool waitedFor(const std::vector<Waited>& w, int stage) 
    {
        return std::any_of(w.begin(), w.end(), [stage](const Waited& x) { return x.stage == stage; });
    }
    static double waitOf(const std::vector<Waited>& w, int stage)
    {
        for (const Waited& x : w)
            if (x.stage == stage)
                return x.seconds;
        return -1;
    }
    // A new Space with the desk's own background, as the Channels inspector asks for one.
    void newSpaceWith(ZEVDeskViewer* d)
    {
        front()->newSpaceWithBackground(
            [d](ZEVFrontViewerServices::NewBackground& b) {
                b = {d->currentBackImageItem(), d->currentBackColorItem(), d->currentBackScaleMot()};
                return true;
            },
            {});
    }
    ZEVButton* cleanButton() const { return front()->toolbar()->button(QStringLiteral("btnDeskClean")); }
    void makeSearchActive()
    {
        ASSERT_TRUE(space()->rulerViewer()->userChangeActifCurseur(space()->searchCurseur()));
        pump();
        ASSERT_EQ(space()->actifCurseur(), space()->searchCurseur());
    }
    // A point of the desk away from the Object views and the header views.
    QPoint emptyDesk() const { return QPoint(12, canvas()->height() - 12); }
    Rows backgroundLinks() const
    {
        return sql(database(), "SELECT DATE_IN, DATE_OUT FROM ZEVLETS WHERE RELATION = 1000172 AND PARENT_ZEVLET = " +
                                   std::to_string(space()->homeChannelInt()) + " ORDER BY DATE_IN");
    }
};

TEST_F(SpaceTransitions, CleanAllAnsweredYesEndsEveryIconAtOneMomentWhereANewSpaceBegins)
{
    start();
    const std::vector<std::string> ids = placeThreeFiles();
    ASSERT_EQ(ids.size(), 3u);
    advance(5.0);
    space()->selections().selectIconForItemSet(
        {KELServeurDeLiens::LienForInt(std::stoul(ids[0]), space()->nowCurseur())}, 0);
    pump();
    const std::size_t backgroundsBefore = backgroundLinks().size();

    alertAnswer = 0; // Yes
    const std::size_t asked = alerts.size();
    chooseMenuItem(/*Spaces*/ 9, /*Clean All*/ 40);
    ASSERT_EQ(alerts.size(), asked + 1);
    EXPECT_EQ(alerts.back().windowTitle, "Space");
    EXPECT_EQ(alerts.back().message, "Clean All");
    EXPECT_EQ(alerts.back().informative, "All Objects will be Released. Do you really want to continue?");
    ASSERT_TRUE(front()->siTransitionRunning());

    // While it runs, a key beeps and reaches nothing; a click on the desk reaches nothing either.
    const int beeps = sound.beeps;
    const int mode = front()->frontMode();
    key(Qt::Key_T);
    QTest::mouseClick(canvas(), Qt::LeftButton, {}, canvas()->rect().center());
    pump();
    EXPECT_EQ(sound.beeps, beeps + 1);
    EXPECT_EQ(front()->frontMode(), mode);

    advance(10.0);
    EXPECT_FALSE(front()->siTransitionRunning());
    EXPECT_TRUE(front()->siCleanAll());

    // Every icon link open before ends at one T, and a background starts there.
    double T = -1;
    for (const std::string& id : ids) {
        const Rows links = iconLinks(id);
        ASSERT_FALSE(links.empty());
        for (std::size_t r = 0; r < links.size(); ++r) {
            const double out = std::stod(links.at(r, 1));
            ASSERT_LT(out, kOpen) << "an icon of " << id << " is still open";
            if (T < 0)
                T = out;
            EXPECT_DOUBLE_EQ(out, T);
        }
    }
    const Rows backs = backgroundLinks();
    ASSERT_EQ(backs.size(), backgroundsBefore + 1);
    EXPECT_DOUBLE_EQ(std::stod(backs.at(backs.size() - 1, 0)), T);

    EXPECT_TRUE(nowDesk()->deskClass()->itemsForIconViewerRelation().empty());
    EXPECT_EQ(shownObjects(), 0);
    EXPECT_EQ(front()->frontMode(), int(ZEVFrontModeIcons));
    EXPECT_TRUE(space()->selections().selectedIconItems().empty());
    EXPECT_TRUE(space()->selections().selectedTitleItems().empty());
}

TEST_F(SpaceTransitions, CleanAllAnsweredCancelChangesNothing)
{
    start();
    const std::vector<std::string> ids = placeThreeFiles();
    ASSERT_EQ(ids.size(), 3u);
    const std::size_t backgroundsBefore = backgroundLinks().size();
    alertAnswer = 1; // Cancel
    const std::size_t asked = alerts.size();
    chooseMenuItem(9, 40);
    ASSERT_EQ(alerts.size(), asked + 1);
    EXPECT_FALSE(front()->siTransitionRunning());
    advance(10.0);
    for (const std::string& id : ids) {
        const Rows links = iconLinks(id);
        ASSERT_EQ(links.size(), 1u);
        EXPECT_GE(std::stod(links.at(0, 1)), kOpen);
    }
    EXPECT_EQ(backgroundLinks().size(), backgroundsBefore);
    EXPECT_EQ(shownObjects(), 3);
}

TEST_F(SpaceTransitions, ASecondRequestDuringARunIsIgnoredAndTheRunDiesWithItsWindow)
{
    start();
    placeThreeFiles();
    alertAnswer = 0;
    chooseMenuItem(9, 40);
    ASSERT_TRUE(front()->siTransitionRunning());
    // The menu is held off while a run lasts: the request through the entry point is dropped.
    const std::size_t asked = alerts.size();
    front()->userSpaceCleanAll();
    EXPECT_EQ(alerts.size(), asked + 1); // it asks, then the run in progress drops it
    EXPECT_TRUE(front()->siTransitionRunning());
    // The window goes mid-run: nothing pending runs after it, and input reaches widgets again.
    graph.reset();
    pump();
    QWidget probe;
    probe.show();
    int presses = 0;
    struct Count : QObject {
        int* n;
        explicit Count(int* c) : n(c) {}
        bool eventFilter(QObject*, QEvent* e) override
        {
            if (e->type() == QEvent::MouseButtonPress)
                ++*n;
            return false;
        }
    } count(&presses);
    probe.installEventFilter(&count);
    QTest::mouseClick(&probe, Qt::LeftButton);
    EXPECT_EQ(presses, 1);
}

TEST_F(SpaceTransitions, EscapeWithTheSearchCursorInViewMakesNowActive)
{
    start();
    placeThreeFiles();
    // Imported files come selected: nothing selected, so that the step reaches the cursors.
    space()->selections().deselectAllIcons();
    ZEVRulerViewerServices* r = space()->rulerViewer();
    ASSERT_TRUE(r->userChangeActifCurseur(space()->searchCurseur()));
    pump();
    ASSERT_EQ(space()->actifCurseur(), space()->searchCurseur());
    KELIContexte* c = space()->tlContexte();
    const KELDate s = space()->searchCurseur()->now();
    ASSERT_TRUE(s >= c->nowIn() && s <= c->nowOut()) << "the Search cursor is not in view";
    key(Qt::Key_Escape);
    EXPECT_EQ(space()->actifCurseur(), space()->nowCurseur());
}

TEST_F(SpaceTransitions, EscapeDeselectsIconsThenCtrlEscapeSwapsTheCursors)
{
    start();
    const std::vector<std::string> ids = placeThreeFiles();
    ASSERT_EQ(ids.size(), 3u);
    space()->selections().selectIconForItemSet(
        {KELServeurDeLiens::LienForInt(std::stoul(ids[1]), space()->nowCurseur())}, 0);
    pump();
    ASSERT_EQ(space()->selections().selectedIconItems().size(), 1u);
    key(Qt::Key_Escape);
    EXPECT_TRUE(space()->selections().selectedIconItems().empty());
    ASSERT_EQ(space()->actifCurseur(), space()->nowCurseur());
    key(Qt::Key_Escape, Qt::ControlModifier);
    EXPECT_EQ(space()->actifCurseur(), space()->searchCurseur());
}

TEST_F(SpaceTransitions, CleanAndRecallKeepsTheSelectedObjectAndReleasesTheOthersAtT)
{
    start();
    const std::vector<std::string> ids = placeThreeFiles();
    ASSERT_EQ(ids.size(), 3u);
    advance(5.0);
    space()->selections().selectIconForItemSet(
        {KELServeurDeLiens::LienForInt(std::stoul(ids[0]), space()->nowCurseur())}, 0);
    pump();
    const std::size_t backgroundsBefore = backgroundLinks().size();
    chooseMenuItem(/*Spaces*/ 9, /*Clean and Recall*/ 41);
    advance(10.0);
    EXPECT_FALSE(front()->siTransitionRunning());

    // The kept Object is still on the desk; the two others end at one T, where a Space begins.
    const Rows kept = iconLinks(ids[0]);
    ASSERT_FALSE(kept.empty());
    EXPECT_GE(std::stod(kept.at(kept.size() - 1, 1)), kOpen);
    double T = -1;
    for (const std::string& id : {ids[1], ids[2]}) {
        const Rows links = iconLinks(id);
        ASSERT_EQ(links.size(), 1u);
        const double out = std::stod(links.at(0, 1));
        ASSERT_LT(out, kOpen);
        T = T < 0 ? out : T;
        EXPECT_DOUBLE_EQ(out, T);
    }
    const Rows backs = backgroundLinks();
    ASSERT_EQ(backs.size(), backgroundsBefore + 1);
    EXPECT_DOUBLE_EQ(std::stod(backs.at(backs.size() - 1, 0)), T);
    EXPECT_EQ(shownObjects(), 1);
    EXPECT_TRUE(space()->selections().selectedIconItems().empty());
}

TEST_F(SpaceTransitions, WhileACursorMovesCleaningBeepsStartWaitsAndANewSpaceGoesAhead)
{
    start();
    placeThreeFiles();
    ZEVRulerViewerServices* r = space()->rulerViewer();
    ASSERT_TRUE(r->userInitieDeplacementCurseur());
    ASSERT_FALSE(r->siAccepteDeplacement());

    const int beeps = sound.beeps;
    const std::size_t asked = alerts.size();
    front()->userSpaceCleanAll();
    front()->userSpaceCleanAndRecall();
    front()->userSpaceCleanAndRecallBack();
    front()->userSpaceCleanAndReplace();
    EXPECT_EQ(sound.beeps, beeps + 4);
    EXPECT_EQ(alerts.size(), asked);
    EXPECT_FALSE(front()->siTransitionRunning());

    // A start asks again every 0.3 s until the move ends.
    front()->userSpaceStart();
    EXPECT_FALSE(front()->siTransitionRunning());
    advance(0.7);
    EXPECT_FALSE(front()->siTransitionRunning());
    r->userTermineDeplacementCurseur();
    advance(0.31);
    EXPECT_TRUE(front()->siCleanAll() || front()->siTransitionRunning());
    advance(10.0);
    EXPECT_FALSE(front()->siTransitionRunning());

    // A new Space from the Channels inspector does not wait for the ruler.
    ASSERT_TRUE(r->userInitieDeplacementCurseur());
    ZEVDeskViewer* d = nowDesk();
    newSpaceWith(d);
    EXPECT_TRUE(front()->siTransitionRunning());
    r->userTermineDeplacementCurseur();
    advance(10.0);
    EXPECT_FALSE(front()->siTransitionRunning());
    EXPECT_TRUE(nowDesk()->deskClass()->itemsForIconViewerRelation().empty());
}

TEST_F(SpaceTransitions, ReturnWithNothingSelectedAndSearchActiveMakesNowActive)
{
    start();
    placeThreeFiles();
    space()->selections().deselectAllIcons();
    ASSERT_TRUE(space()->rulerViewer()->userChangeActifCurseur(space()->searchCurseur()));
    pump();
    key(Qt::Key_Return);
    EXPECT_EQ(space()->actifCurseur(), space()->nowCurseur());
}

TEST_F(SpaceTransitions, WithTheChannelsPanelInFrontTheOtherPanelComesForwardThenCloses)
{
    start();
    ZEVContextViewerServices* ctx = space()->contextViewer();
    ctx->ouvrirEntityWithInt(2000003);
    advance(1.0);
    ctx->ouvrirEntityWithInt(2000194);
    advance(1.0);
    std::vector<ZEVInspectViewer*> panels = front()->frontPanelViewers();
    ASSERT_EQ(panels.size(), 2u);
    ASSERT_EQ(panels.front()->entityInt(), 2000194) << "the Channels panel is in front";

    ASSERT_TRUE(front()->siCloseViewer());
    advance(1.0);
    panels = front()->frontPanelViewers();
    ASSERT_EQ(panels.size(), 2u);
    EXPECT_EQ(panels.front()->entityInt(), 2000003) << "the Icons panel came forward";
    EXPECT_TRUE(panels.front()->siFirstResponder()) << "with the keyboard in its table";

    ASSERT_TRUE(front()->siCloseViewer());
    advance(1.0);
    EXPECT_FALSE(ctx->isShowedEntityWithInt(2000003));
    EXPECT_TRUE(ctx->isShowedEntityWithInt(2000194));
    // Only the Channels panel is left: it is not this step's.
    EXPECT_FALSE(front()->siCloseViewer());
}

TEST_F(SpaceTransitions, TheLastStepShowsTheOtherWindowsOnlyWhenAskedAndPostsNoKeys)
{
    start();
    EXPECT_FALSE(front()->cmdTab()) << "off by default";
    EXPECT_FALSE(window()->isMinimized());
    values->setValue(QStringLiteral("ZEVStepBackShowApps"), true);
    EXPECT_TRUE(front()->cmdTab());
    pump();
    EXPECT_TRUE(window()->windowState().testFlag(Qt::WindowMinimized));
}

TEST_F(SpaceTransitions, EachKindWaitsWhereItMustAndTheRecallKindsEndOnceTheSelectionsAreEmpty)
{
    start();
    const std::vector<std::string> ids = placeThreeFiles();
    ASSERT_EQ(ids.size(), 3u);
    advance(2.0);
    // The Search cursor's time window opened a minute each way.
    ruler()->setCurseurEnDeplacement(space()->searchCurseur());
    ASSERT_TRUE(ruler()->userInitieDeplacementCurseur());
    ruler()->userPlaceContexteIn(-60);
    ruler()->userPlaceContexteOut(60);
    ruler()->userTermineDeplacementCurseur();
    ruler()->setCurseurEnDeplacement(space()->nowCurseur());
    ASSERT_GT(space()->searchCurseur()->nowOut() - space()->searchCurseur()->nowIn(), 60.0);

    // Clean and Recall from the Search cursor: the switch to Now waits 0.3 s, the deselection
    // 0.3 s, and the run ends there, header views left as they are.
    makeSearchActive();
    front()->userSpaceCleanAndRecall();
    ASSERT_TRUE(front()->siTransitionRunning());
    EXPECT_EQ(cleanButton()->state(), 1);
    std::vector<Waited> w = runNotingWaits();
    // The Search cursor's time window closed to its date on the way.
    EXPECT_LE(space()->searchCurseur()->nowOut() - space()->searchCurseur()->nowIn(), kClosedWindow);
    EXPECT_FALSE(front()->siTransitionRunning());
    EXPECT_NEAR(waitOf(w, 2), 0.3, 0.02);
    // The deselection's 0.3 s, more with the tracks shown.
    EXPECT_GE(waitOf(w, 5), 0.3 - 0.02);
    EXPECT_FALSE(waitedFor(w, 6));
    ASSERT_FALSE(w.empty());
    EXPECT_EQ(w.back().stage, 5) << "ended once the selections were emptied";
    EXPECT_EQ(space()->actifCurseur(), space()->nowCurseur());
    EXPECT_EQ(cleanButton()->state(), 0);
    EXPECT_TRUE(front()->siCleanAll());

    // Clean and Recall Back ends at the same stage and takes the Search desk's background.
    advance(2.0);
    makeSearchActive();
    front()->userSpaceCleanAndRecallBack();
    w = runNotingWaits();
    EXPECT_FALSE(front()->siTransitionRunning());
    EXPECT_NEAR(waitOf(w, 2), 0.3, 0.02);
    EXPECT_FALSE(waitedFor(w, 6));
    EXPECT_EQ(w.back().stage, 5);

    // A new Space never waits for the cursor switch; its button shows mixed until stage 5.
    advance(2.0);
    makeSearchActive();
    ZEVDeskViewer* d = space()->deskViewerForCurseur(space()->searchCurseur());
    newSpaceWith(d);
    ASSERT_TRUE(front()->siTransitionRunning());
    EXPECT_EQ(cleanButton()->state(), kZEVStateMixed);
    w = runNotingWaits();
    EXPECT_FALSE(front()->siTransitionRunning());
    EXPECT_FALSE(waitedFor(w, 2)) << "waited for a cursor switch";
    EXPECT_GE(waitOf(w, 5), 0.3 - 0.02);
    EXPECT_EQ(space()->actifCurseur(), space()->searchCurseur()) << "a new Space stays on the active cursor";
    EXPECT_EQ(cleanButton()->state(), 0);
}

TEST_F(SpaceTransitions, CleanAndReplaceLightsBothButtonsAndCancelPutsThemOut)
{
    start();
    placeThreeFiles();
    advance(2.0);
    ZEVContextViewerServices* ctx = space()->contextViewer();
    ctx->ouvrirEntityWithInt(2000194);
    advance(1.0);
    auto* channels = dynamic_cast<ZEVChannelViewer*>(space()->channelViewer());
    ASSERT_NE(channels, nullptr);
    // The Search cursor on the Objects' moment, so that its desk holds them.
    ZEVRulerViewerServices* r = space()->rulerViewer();
    r->setCurseurEnDeplacement(space()->searchCurseur());
    ASSERT_TRUE(r->userInitieDeplacementCurseur());
    r->userPlaceCurseurToDate(space()->nowCurseur()->now());
    r->userTermineDeplacementCurseur();
    r->setCurseurEnDeplacement(space()->nowCurseur());
    makeSearchActive();
    advance(1.0);
    ASSERT_EQ(space()->deskClassForCurseur(space()->searchCurseur())->itemsForIconViewerRelation().size(), 3u);

    // Lit while the question is asked, out again on Cancel, nothing run.
    bool litWhileAsked = false;
    {
        ScopedAlertAnswerer ask([&](const ZEVAlertRequest& r) {
            alerts.push_back(r);
            litWhileAsked = channels->siCleanAndReplaceLit() && cleanButton()->state() == 1;
            return 1;
        });
        front()->userSpaceCleanAndReplace();
    }
    EXPECT_TRUE(litWhileAsked);
    EXPECT_EQ(alerts.back().message, "Clean & Replace");
    EXPECT_EQ(alerts.back().informative, "These Objects and background will replace those of the \"Now Cursor\".\n"
                                         "Do you really want to continue?");
    EXPECT_FALSE(front()->siTransitionRunning());
    EXPECT_FALSE(channels->siCleanAndReplaceLit());
    EXPECT_EQ(cleanButton()->state(), 0);

    // Answered Yes: lit through the run, out at its end; the Search desk's Objects are on the Now desk.
    alertAnswer = 0;
    front()->userSpaceCleanAndReplace();
    ASSERT_TRUE(front()->siTransitionRunning());
    EXPECT_TRUE(channels->siCleanAndReplaceLit());
    EXPECT_EQ(cleanButton()->state(), 1);
    const std::vector<Waited> w = runNotingWaits();
    EXPECT_FALSE(front()->siTransitionRunning());
    EXPECT_NEAR(waitOf(w, 2), 0.3, 0.02);
    EXPECT_FALSE(channels->siCleanAndReplaceLit());
    EXPECT_EQ(cleanButton()->state(), 0);
    EXPECT_EQ(nowDesk()->deskClass()->itemsForIconViewerRelation().size(), 3u);
}

TEST_F(SpaceTransitions, StartHomeClosesTheGoToPanelAndEveryPanelAndHidesThePointer)
{
    start();
    placeThreeFiles();
    advance(2.0);
    front()->tools()->menuGoToPanel();
    pump();
    ASSERT_TRUE(front()->tools()->goToPanel()->isVisible());
    ZEVContextViewerServices* ctx = space()->contextViewer();
    ctx->ouvrirEntityWithInt(2000003);
    advance(1.0);
    ASSERT_FALSE(front()->frontPanelViewers().empty());

    front()->userSpaceStartHome();
    ASSERT_TRUE(front()->siTransitionRunning());
    EXPECT_FALSE(front()->tools()->goToPanel()->isVisible());
    EXPECT_EQ(front()->toolbar()->button(QStringLiteral("btnGoToPanel"))->state(), 0);
    const std::vector<Waited> w = runNotingWaits();
    EXPECT_FALSE(front()->siTransitionRunning());
    EXPECT_NEAR(waitOf(w, 1), 0.9, 0.02) << "a panel was closed";
    ASSERT_FALSE(w.empty());
    EXPECT_TRUE(w.back().stage == 6 || !waitedFor(w, 6));
    EXPECT_TRUE(front()->frontPanelViewers().empty());
    EXPECT_TRUE(front()->siPointerHidden());
    EXPECT_DOUBLE_EQ(space()->searchCurseur()->now(), space()->nowCurseur()->now());
    EXPECT_LE(space()->searchCurseur()->nowOut() - space()->searchCurseur()->nowIn(), kClosedWindow);
}

TEST_F(SpaceTransitions, ADragWhileTheGoToPanelShowsLeavesTheActiveDeskInFront)
{
    start();
    placeThreeFiles();
    advance(1.0);
    ASSERT_TRUE(ruler()->userChangeActifCurseur(space()->searchCurseur()));
    front()->tools()->menuGoToPanel();
    pump();
    ASSERT_TRUE(front()->tools()->goToPanel()->isVisible());
    window()->activateWindow();
    pump();
    ZEVSpaceBridge* desks = adapter()->deskServices();
    ASSERT_TRUE(desks->siApplicationActive());
    EXPECT_TRUE(desks->siGoToPanelVisible());
    ASSERT_EQ(space()->actifCurseur(), space()->searchCurseur());

    // The copies of a drag are made without bringing the Now desk forward: the go-to panel is
    // showing the desk it moves.
    ZEVItemView* view = lastNowObjectView();
    ASSERT_NE(view, nullptr);
    ZEVItemViewer* nowItems = space()->itemViewerForCurseur(space()->nowCurseur());
    EXPECT_FALSE(nowItems->copiedItemViewsForSelectedItemView(view).empty());
    EXPECT_EQ(space()->actifCurseur(), space()->searchCurseur());
    ZEVItemViewer::ViderCopiedItemViews();

    // Closed, it no longer holds the active desk.
    front()->tools()->menuGoToPanel();
    pump();
    ASSERT_FALSE(front()->tools()->goToPanel()->isVisible());
    EXPECT_FALSE(desks->siGoToPanelVisible());
}

TEST_F(SpaceTransitions, InTheHomeChannelTheLastEscapeHidesThePointerUntilItMoves)
{
    start();
    placeThreeFiles();
    advance(1.0);
    ASSERT_EQ(space()->currentChannelInt(), space()->homeChannelInt());
    // Each Escape peels one level (the selection, the header views...); the last hides the pointer.
    int escapes = 0;
    for (; escapes < 12 && !front()->siPointerHidden(); ++escapes) {
        key(Qt::Key_Escape);
        advance(2.0);
    }
    EXPECT_TRUE(front()->siPointerHidden());
    EXPECT_GT(escapes, 1) << "the pointer hid before the rest was peeled away";
    EXPECT_TRUE(space()->selections().selectedIconItems().empty());
    EXPECT_TRUE(front()->siAllHeaderViewsClosed());
    QTest::mouseMove(canvas(), emptyDesk());
    pump();
    EXPECT_FALSE(front()->siPointerHidden());
}

TEST_F(SpaceTransitions, InAnotherChannelTheLastEscapeGoesToTheHomeChannel)
{
    start();
    const KELId home = space()->homeChannelInt();
    KELI* work = showNewChannel("Work");
    ASSERT_NE(work, nullptr);
    ASSERT_EQ(space()->currentChannelInt(), work->idInt());
    int escapes = 0;
    for (; escapes < 12 && space()->currentChannelInt() != home; ++escapes) {
        key(Qt::Key_Escape);
        advance(2.0);
    }
    EXPECT_EQ(space()->currentChannelInt(), home);
    EXPECT_GT(escapes, 1) << "the Channel changed before the rest was peeled away";
    EXPECT_FALSE(front()->siPointerHidden()) << "the pointer hides only in the home Channel";
}

TEST_F(SpaceTransitions, AClickRightAfterATitleEditOrWithTheListSearchingStopsThere)
{
    start();
    placeThreeFiles();
    space()->selections().deselectAllIcons();
    advance(1.0);
    makeSearchActive();
    // The click that ends a title edit does not step back as well.
    ZEVDeskViewer* d = space()->deskViewerForCurseur(space()->searchCurseur());
    ZEVItemView* v = nullptr;
    for (ZEVItemViewForDesks* x : d->itemViewSet())
        if (auto* iv = dynamic_cast<ZEVItemView*>(x); iv && iv->isVisible())
            v = iv;
    ASSERT_NE(v, nullptr);
    ASSERT_TRUE(v->editTitle());
    pump();
    click(canvas(), emptyDesk());
    EXPECT_FALSE(space()->selections().isTitleEditing());
    EXPECT_EQ(space()->actifCurseur(), space()->searchCurseur());

    // With the selection list's search field up, a click only notes that it ended.
    advance(1.0);
    front()->menuInspectFind();
    pump();
    ASSERT_TRUE(front()->siSearchingField());
    click(canvas(), emptyDesk());
    EXPECT_FALSE(front()->siSearchingField());
    EXPECT_EQ(space()->actifCurseur(), space()->searchCurseur());
    // The next click goes on down the chain, to the cursors.
    advance(1.0);
    click(canvas(), emptyDesk());
    EXPECT_EQ(space()->actifCurseur(), space()->nowCurseur());
}

TEST_F(SpaceTransitions, AListTheDeskTookTheKeyboardFromLosesItsIntervalOnTheNextStep)
{
    start();
    placeThreeFiles();
    advance(1.0);
    ZEVTableView* list = front()->selectionTableView();
    ASSERT_NE(list, nullptr);
    list->setFocus(Qt::OtherFocusReason);
    pump();
    window()->spaceView()->deskCanvas()->setFocus(Qt::MouseFocusReason);
    pump();
    EXPECT_EQ(front()->firstResponderWasOnTableView(), list);
    const std::size_t icons = space()->selections().selectedIconItems().size();
    key(Qt::Key_Escape);
    EXPECT_EQ(front()->firstResponderWasOnTableView(), nullptr);
    EXPECT_EQ(space()->selections().selectedIconItems().size(), icons) << "the step stopped at the list";
}

TEST_F(SpaceTransitions, TheChannelsListTheDeskTookTheKeyboardFromKeepsItsRowAndTheStepStops)
{
    start();
    placeThreeFiles();
    space()->selections().deselectAllIcons();
    advance(1.0);
    space()->contextViewer()->ouvrirEntityWithInt(2000194);
    advance(1.0);
    auto* channels = dynamic_cast<ZEVChannelViewer*>(space()->channelViewer());
    ASSERT_NE(channels, nullptr);
    ASSERT_NE(channels->channelTableView(), nullptr);
    makeSearchActive();
    QWidget* list = channels->channelTableView();
    list->setFocus(Qt::OtherFocusReason);
    pump();
    window()->spaceView()->deskCanvas()->setFocus(Qt::MouseFocusReason);
    pump();
    ASSERT_NE(front()->firstResponderWasOnTableView(), nullptr);
    key(Qt::Key_Escape);
    EXPECT_EQ(front()->firstResponderWasOnTableView(), nullptr);
    EXPECT_EQ(space()->actifCurseur(), space()->searchCurseur()) << "the step went past the list";
    key(Qt::Key_Escape);
    EXPECT_EQ(space()->actifCurseur(), space()->nowCurseur());

    // Another panel's list behind the Channels panel: forgotten, and the same step goes on.
    space()->contextViewer()->ouvrirEntityWithInt(2000003);
    advance(1.0);
    space()->contextViewer()->ouvrirEntityWithInt(2000194);
    advance(1.0);
    const std::vector<ZEVInspectViewer*> panels = front()->frontPanelViewers();
    ASSERT_EQ(panels.size(), 2u);
    ASSERT_EQ(panels.front()->entityInt(), 2000194);
    auto* icons = dynamic_cast<QWidget*>(panels.back()->inspectViewIfBuilt()->inspectTableView());
    ASSERT_NE(icons, nullptr);
    makeSearchActive();
    icons->setFocus(Qt::OtherFocusReason);
    pump();
    // A list taking the keyboard draws its panel over the others: the Channels panel is put back
    // in front, as a click on it would.
    panels.front()->inspectViewIfBuilt()->raise();
    pump();
    ASSERT_EQ(front()->frontPanelViewers().front()->entityInt(), 2000194);
    window()->spaceView()->deskCanvas()->setFocus(Qt::MouseFocusReason);
    pump();
    ASSERT_EQ(static_cast<QWidget*>(front()->firstResponderWasOnTableView()), icons);
    key(Qt::Key_Escape);
    EXPECT_EQ(front()->firstResponderWasOnTableView(), nullptr);
    EXPECT_EQ(space()->actifCurseur(), space()->nowCurseur()) << "the step stopped at the list";
}

} // namespace
} // namespace e2e
