// An Object view under the pointer, the wheel and the keys, on a virtual clock: what a press, a
// drag, Escape, the wheel and the arrows do to the view, and when the item viewer is asked to
// store; the grid's examples; the refused move's blink and snap-back; animated placement.

#include "tests/objects/ObjectsFakes.h"

#include "desk/pasteboard/ZEVItemPB.h"
#include "objects/view/ZEVItemViewCopy.h"
#include "platform/AppId.h"
#include "platform/sound/Sound.h"
#include "runtime/Log.h"
#include "runtime/Scheduler.h"
#include "widgets/ZEVRepaintExtent.h"

#include <cmath>
#include <limits>

#include <QMimeData>

using namespace tallomer;
using namespace objectstest;

namespace {

class ObjectInput : public ::testing::Test {
protected:
    void SetUp() override
    {
        Scheduler::setShared(&sched);
        Sound::setShared(&sound);
        previous = setLogSink(&log);
    }
    void TearDown() override
    {
        ZEVItemView::setDragRunner({});
        ZEVItemViewer::ViderCopiedItemViews();
        d.reset();
        setLogSink(previous);
        Sound::setShared(nullptr);
        Scheduler::setShared(nullptr);
    }

    // A view present at the cursor (its place may be stored) or not.
    ZEVItemView* view(KELId id, const ZEVIconPosition& p, bool actif = true)
    {
        ZEVItemView* v = d->desk.add(d->objects.objet(id), p);
        v->setIconPosition(p, 0);
        v->setSiAjoute(true);
        if (actif)
            v->setSiActif(true);
        return v;
    }
    FakeSpace& space() { return d->space; }
    ZEVItemViewer& viewer() { return *d->viewer; }
    const ZEVDeskGeometry& geo() { return d->space.geometry; }
    QPointF centre(ZEVItemView* v) { return v->imageCentre(); }
    void click(ZEVItemView* v, Qt::KeyboardModifiers m = {})
    {
        ASSERT_TRUE(v->mouseDown(centre(v), m));
        v->mouseUp(m);
    }

    ManualScheduler sched{1000};
    RecordingSound sound;
    MemoryLogSink log;
    LogSink* previous = nullptr;
    std::unique_ptr<Desk> d = std::make_unique<Desk>();
};

TEST_F(ObjectInput, APressClicksDragsCancelsOrOpensByWhatFollowsIt)
{
    ZEVItemView* v = view(10, {500, 400, 64, 0});
    KELI* o = v->item();

    // Outside the image the press is the desk's.
    EXPECT_FALSE(v->mouseDown(QPointF(480, 380), {}));

    // A click selects alone and goes into the history; Ctrl toggles.
    space().icons = {d->objects.objet(99)};
    click(v);
    EXPECT_EQ(space().icons, std::vector<KELI*>{o});
    EXPECT_EQ(space().history, 1);
    click(v, Qt::ControlModifier);
    EXPECT_TRUE(space().icons.empty());

    // Selected, the press also takes the 10 points around the image.
    space().icons = {o};
    EXPECT_TRUE(v->mouseDown(QPointF(495, 395), {}));
    v->mouseUp({});

    // A drag moves the icon with the pointer; the release gives the view back to the store.
    ASSERT_TRUE(v->mouseDown(centre(v), {}));
    EXPECT_FALSE(v->siItemViewAccepteMaj());
    v->mouseDragged(centre(v) + QPointF(30, 20));
    EXPECT_TRUE(v->siMouseDragged());
    EXPECT_DOUBLE_EQ(v->opacity(), ZEVItemView::kMoveAlpha);
    EXPECT_DOUBLE_EQ(v->savedIconPosition().x, 500);
    v->mouseUp({});
    EXPECT_DOUBLE_EQ(v->iconPosition().x, 530);
    EXPECT_DOUBLE_EQ(v->iconPosition().y, 420);
    EXPECT_DOUBLE_EQ(v->opacity(), 1.0);
    EXPECT_TRUE(v->siItemViewAccepteMaj());
    EXPECT_EQ(space().icons, std::vector<KELI*>{o}) << "a move is no click";

    // Escape during a drag: back in 0.3 s, and the release neither stores nor clicks.
    const int history = space().history;
    ASSERT_TRUE(v->mouseDown(centre(v), {}));
    v->mouseDragged(centre(v) + QPointF(50, 0));
    EXPECT_DOUBLE_EQ(v->iconPosition().x, 580);
    v->cancelOperation();
    sched.advance(0.35);
    v->mouseUp({});
    EXPECT_DOUBLE_EQ(v->iconPosition().x, 530);
    EXPECT_EQ(space().history, history);
    EXPECT_FALSE(v->siRetablirItemView());

    // A double click opens once; its release does nothing more.
    ASSERT_TRUE(v->doubleClick(centre(v)));
    v->mouseUp({});
    EXPECT_EQ(viewer().openRequests(), 1);
    EXPECT_EQ(space().history, history);
}

TEST_F(ObjectInput, AGroupDraggedAgainstTheLimitsStopsEachIconOnItsOwn)
{
    // Limits of 1920 x 1200: x from 20 to 1900.
    ZEVItemView* a = view(10, {1800, 400, 64, 0});
    ZEVItemView* b = view(11, {500, 400, 64, 0});
    space().icons = {a->item(), b->item()};
    ASSERT_TRUE(b->mouseDown(centre(b), {}));
    b->mouseDragged(centre(b) + QPointF(300, 0));
    b->mouseUp({});
    EXPECT_DOUBLE_EQ(a->iconPosition().x, 1900) << "its left edge stops at the right limit";
    EXPECT_DOUBLE_EQ(b->iconPosition().x, 800);
}

TEST_F(ObjectInput, TheWheelResizesByStepsWithinTheSizesAndStoresOnceHalfASecondAfterTheLastTurn)
{
    ZEVItemView* v = view(10, {500, 400, 100, 0});
    EXPECT_FALSE(v->scrollWheel(centre(v), 2, false)) << "an unselected icon leaves the wheel to the desk";
    space().icons = {v->item()};

    ASSERT_TRUE(v->scrollWheel(centre(v), 2, false));
    EXPECT_NEAR(v->iconPosition().size, 101, 1e-9) << "0.5 % a line, larger when turned up";
    EXPECT_TRUE(v->siSrollWheelStart());
    sched.advance(0.4);
    ASSERT_TRUE(v->scrollWheel(centre(v), -4, false));
    EXPECT_NEAR(v->iconPosition().size, 101 * 0.98, 1e-9);
    sched.advance(0.4);
    EXPECT_TRUE(v->siSrollWheelStart()) << "0.5 s after the last turn, not the first";
    EXPECT_FALSE(v->siItemViewAccepteMaj());
    sched.advance(0.2);
    EXPECT_FALSE(v->siSrollWheelStart());
    EXPECT_TRUE(v->siItemViewAccepteMaj());
    EXPECT_DOUBLE_EQ(v->savedIconPosition().size, 100) << "the store goes from the size before the first turn";

    // Far turns stop at the largest and smallest sizes.
    v->scrollWheel(centre(v), 1e6, false);
    EXPECT_DOUBLE_EQ(v->iconPosition().size, float(geo().spaceRatioMaxSize()));
    v->scrollWheel(centre(v), -1e6, false);
    EXPECT_DOUBLE_EQ(v->iconPosition().size, float(geo().spaceRatioMinSize()));
    EXPECT_TRUE(std::isfinite(v->iconPosition().x));

    // While a cursor moves on the ruler, the wheel is the desk's.
    sched.advance(1);
    space().rulerAccepts = false;
    EXPECT_FALSE(v->scrollWheel(centre(v), 2, false));
}

TEST_F(ObjectInput, ArrowsAreTheSelectedIconsOwnWithoutMetaAndCtrlResizes)
{
    ZEVItemView* v = view(10, {39, 300, 64, 0});
    EXPECT_FALSE(v->keyDown(Qt::Key_Right, {})) << "no selected icon: the window's";
    space().icons = {v->item()};
    EXPECT_TRUE(v->keyDown(Qt::Key_Right, {}));
    EXPECT_DOUBLE_EQ(v->iconPosition().x, 60);
    EXPECT_FALSE(v->keyDown(Qt::Key_Left, Qt::MetaModifier)) << "Meta walks the Spaces";
    EXPECT_DOUBLE_EQ(v->iconPosition().x, 60);
    const double size = v->iconPosition().size;
    EXPECT_TRUE(v->keyDown(Qt::Key_Up, Qt::ControlModifier));
    EXPECT_GT(v->iconPosition().size, size);
    EXPECT_FALSE(v->keyDown(Qt::Key_A, {}));
    EXPECT_TRUE(v->keyDown(Qt::Key_Escape, {}));
}

TEST_F(ObjectInput, GridMovesGoOntoTheRasterAndStepByTheGrid)
{
    // Ten desk units a point: desk x 390 is 39 points.
    ZEVItemView* v = view(10, {39, 300, 64, 0});
    viewer().userMoveLeftItemView(v, 200);
    EXPECT_DOUBLE_EQ(geo().baseForX(v->iconPosition().x), 200);
    v->setIconPosition({39, 300, 64, 0}, 0);
    viewer().userMoveRightItemView(v, 200);
    EXPECT_DOUBLE_EQ(geo().baseForX(v->iconPosition().x), 600) << "390 goes to 400 first";
    v->setIconPosition({39, 300, 64, 0}, 0);
    viewer().userMoveRightItemView(v, 400);
    EXPECT_DOUBLE_EQ(geo().baseForX(v->iconPosition().x), 800) << "the raster stays 200, the step is 400";
    viewer().userMoveUpItemView(v, 200);
    EXPECT_DOUBLE_EQ(geo().baseForY(v->iconPosition().y), 3200);

    // A window wider than 16:10 centres the desk with a margin; moves still land on the grid.
    space().geometry = ZEVDeskGeometry(1920, 1000);
    v->setIconPosition({333, 333, 64, 0}, 0);
    viewer().userMoveRightItemView(v, 200);
    viewer().userMoveDownItemView(v, 200);
    EXPECT_NEAR(std::remainder(space().geometry.baseForX(v->iconPosition().x), 200), 0, 1e-6);
    EXPECT_NEAR(std::remainder(space().geometry.baseForY(v->iconPosition().y), 200), 0, 1e-6);
}

TEST_F(ObjectInput, GridMovesStopWhereTheIconWouldLeaveTheLimits)
{
    // Moved again and again towards each side, the icon's far edge never passes the limit: some
    // of it always stays on the desk.
    ZEVItemView* v = view(10, {39, 300, 64, 0});
    const ZEVLimitRect L = geo().spaceRatioLimitRect();
    for (int i = 0; i < 200; ++i)
        viewer().userMoveLeftItemView(v, 200);
    EXPECT_GE(v->imageCentre().x() + v->imageFrame().width() / 2, L.minX - 1e-6);
    EXPECT_NEAR(v->imageCentre().x() + v->imageFrame().width() / 2, L.minX, 1e-6);
    for (int i = 0; i < 200; ++i)
        viewer().userMoveRightItemView(v, 200);
    EXPECT_NEAR(v->imageCentre().x() - v->imageFrame().width() / 2, L.maxX, 1e-6);
    for (int i = 0; i < 200; ++i)
        viewer().userMoveUpItemView(v, 200);
    EXPECT_NEAR(v->imageCentre().y() - v->imageFrame().height() / 2, L.maxY, 1e-6);
    for (int i = 0; i < 200; ++i)
        viewer().userMoveDownItemView(v, 200);
    EXPECT_NEAR(v->imageCentre().y() + v->imageFrame().height() / 2, L.minY, 1e-6);
}

TEST_F(ObjectInput, GridZoomsLandTheEdgeOnTheGridWithATenthOfTolerance)
{
    ZEVItemView* v = view(10, {10, 300, 29, 0});
    auto droite = [&] { return geo().baseForX(v->iconPosition().x + v->iconPosition().size); };
    viewer().userZoomInRightAlignItemView(v, 200);
    EXPECT_NEAR(droite(), 600, 1e-9) << "390 lies within 20 of 400";
    v->setIconPosition({10, 300, 27, 0}, 0);
    viewer().userZoomInRightAlignItemView(v, 200);
    EXPECT_NEAR(droite(), 400, 1e-9);
    v->setIconPosition({300, 300, 141, 0}, 0);
    viewer().userZoomOutRightAlignItemView(v, 200);
    EXPECT_NEAR(droite(), 4200, 1e-9) << "4410 lies within 20 of 4400";
    v->setIconPosition({300, 300, 143, 0}, 0);
    viewer().userZoomOutRightAlignItemView(v, 200);
    EXPECT_NEAR(droite(), 4400, 1e-9);

    // Never below the smallest size nor above the largest.
    v->setIconPosition({300, 300, 41, 0}, 0);
    viewer().userZoomOutRightAlignItemView(v, 200);
    EXPECT_DOUBLE_EQ(v->iconPosition().size, geo().spaceRatioMinSize());
    v->setIconPosition({10, 100, 990, 0}, 0);
    viewer().userZoomInTopAlignItemView(v, 200);
    EXPECT_DOUBLE_EQ(v->iconPosition().size, geo().spaceRatioMaxSize());
}

TEST_F(ObjectInput, ThreePressesWithinTheDelayAreOneSeriesStoredFromThePlaceBeforeTheFirst)
{
    // Not present at the cursor: the store is refused, which shows when it is asked for.
    ZEVItemView* v = view(10, {39, 300, 64, 0}, false);
    viewer().userMoveRightItemView(v, 200);
    sched.advance(0.4);
    viewer().userMoveRightItemView(v, 200);
    sched.advance(0.4);
    viewer().userMoveUpItemView(v, 200);
    sched.advance(0.5);
    EXPECT_FALSE(v->siRetablir()) << "nothing asked while the series goes on";
    EXPECT_FALSE(v->siItemViewAccepteMaj());
    EXPECT_DOUBLE_EQ(v->savedIconPosition().x, 39);
    sched.advance(0.15);
    EXPECT_TRUE(v->siRetablir()) << "asked once, 0.6 s after the last press";
    EXPECT_TRUE(v->siItemViewAccepteMaj());
}

TEST_F(ObjectInput, ARefusedMoveBlinksAndSnapsBackWithASoundUnlessAClickComesFirst)
{
    ZEVItemView* v = view(10, {500, 400, 64, 0}, false);
    viewer().userChangePosition({600, 400, 64, 0}, {500, 400, 64, 0}, v);
    EXPECT_TRUE(v->siRetablirItemView());
    EXPECT_TRUE(v->siRetablirItemViewFlag());
    sched.advance(0.49);
    EXPECT_TRUE(v->siRetablirItemViewFlag()) << "on for 0.5 s";
    sched.advance(0.02);
    EXPECT_FALSE(v->siRetablirItemViewFlag());
    sched.advance(0.25);
    EXPECT_TRUE(v->siRetablirItemViewFlag()) << "off for 0.25 s";
    sched.advance(6.7 - 0.76 - 0.01);
    EXPECT_TRUE(sound.played.isEmpty());
    sched.advance(0.02);
    EXPECT_EQ(sound.played, QStringList{QStringLiteral("Morse")});
    EXPECT_FALSE(v->siRetablirItemView());
    EXPECT_EQ(d->desk.refreshed, std::vector<ZEVItemViewForDesks*>{v}) << "back to its stored place";
    sched.advance(2);
    EXPECT_FALSE(v->siRetablirItemViewFlag()) << "the blink is over";

    // A click on the blinking view keeps it where it is, and nothing snaps back.
    viewer().userChangePosition({700, 400, 64, 0}, {500, 400, 64, 0}, v);
    sched.advance(1);
    click(v);
    EXPECT_FALSE(v->siRetablirItemView());
    sched.advance(7);
    EXPECT_EQ(sound.played.size(), 1);
    EXPECT_EQ(d->desk.refreshed.size(), 1u);
}

TEST_F(ObjectInput, APlaceThatIsNoPlaceIsNeverStoredAndTheViewGoesBack)
{
    ZEVItemView* v = view(10, {500, 400, 64, 0}, false);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    viewer().userChangePosition({nan, 400, 64, 0}, {500, 400, 64, 0}, v);
    viewer().userChangePosition({500, 400, 0, 0}, {500, 400, 64, 0}, v);
    viewer().userChangePosition({500, std::numeric_limits<double>::infinity(), 64, 0}, {500, 400, 64, 0}, v);
    EXPECT_EQ(log.count("refused a place"), 3u);
    EXPECT_FALSE(v->siRetablirItemView()) << "not offered for keeping either";
    EXPECT_EQ(d->desk.refreshed.size(), 3u);

    // A zoom out whose edge lies left of the image gives no size: nothing moves.
    v->setIconPosition({10, 400, 10, 0}, 0);
    viewer().userZoomOutRightAlignItemView(v, 200);
    EXPECT_DOUBLE_EQ(v->iconPosition().size, 10);
    EXPECT_TRUE(v->siItemViewAccepteMaj());
}

TEST_F(ObjectInput, APlacementWhereTheViewStandsRunsNoFrames)
{
    // A Search step places every Object it shows again, most where they stand: those must not
    // ask a second of frames each.
    space().animation = true;
    ZEVItemView* v = d->desk.add(d->objects.objet(10), {0, 0, 64, 0});
    v->setIconPosition({100, 100, 64, 0}, 1.0);
    const std::size_t pending = sched.pendingCount();
    v->setIconPosition({100, 100, 64, 0}, 1.0);
    EXPECT_FALSE(v->siAnimationRun());
    EXPECT_EQ(sched.pendingCount(), pending);
    EXPECT_DOUBLE_EQ(v->iconPosition().x, 100);

    // Sent back to where a running move stands now: it stops there.
    v->setIconPosition({300, 100, 64, 0}, 1.0);
    sched.advance(0.5);
    const ZEVIconPosition here = v->iconPositionForCurrentFrame();
    v->setIconPosition(here, 1.0);
    EXPECT_FALSE(v->siAnimationRun());
    sched.advance(1.0);
    EXPECT_DOUBLE_EQ(v->iconPositionForCurrentFrame().x, here.x);
}

TEST_F(ObjectInput, PlacementsAnimateUnlessFirstOrSwitchedOffAndAPressStopsThemWhereTheyStand)
{
    space().animation = true;
    ZEVItemView* v = d->desk.add(d->objects.objet(10), {0, 0, 64, 0});
    v->setIconPosition({100, 100, 64, 0}, 1.0);
    EXPECT_DOUBLE_EQ(v->iconPosition().x, 100) << "the first placement is at once";
    EXPECT_FALSE(v->siAnimationRun());

    v->setIconPosition({300, 100, 64, 0}, 1.0);
    EXPECT_TRUE(v->siAnimationRun());
    sched.advance(0.5);
    EXPECT_NEAR(v->iconPositionForCurrentFrame().x, 200, 4) << "half way at half time, eased";
    // A new placement starts from where the running one stands.
    v->setIconPosition({100, 100, 64, 0}, 1.0);
    sched.advance(0.1);
    EXPECT_GT(v->iconPositionForCurrentFrame().x, 180);
    sched.advance(1.0);
    EXPECT_FALSE(v->siAnimationRun());
    EXPECT_DOUBLE_EQ(v->iconPositionForCurrentFrame().x, 100);

    // A press snaps a running one.
    v->setIconPosition({500, 100, 64, 0}, 1.0);
    sched.advance(0.5);
    const double there = v->iconPositionForCurrentFrame().x;
    ASSERT_TRUE(v->mouseDown(v->imageCentre(), {}));
    EXPECT_FALSE(v->siAnimationRun());
    sched.advance(1.0);
    EXPECT_DOUBLE_EQ(v->iconPositionForCurrentFrame().x, there);
    EXPECT_DOUBLE_EQ(v->iconPosition().x, there);
    v->mouseUp({});

    space().animation = false;
    v->setIconPosition({50, 100, 64, 0}, 1.0);
    EXPECT_DOUBLE_EQ(v->iconPositionForCurrentFrame().x, 50) << "animations off: at once";
}

TEST_F(ObjectInput, APressHeldStillForTheLongPressDragsOutCopiesOfTheSelectionOnce)
{
    ZEVItemView* a = view(10, {500, 400, 64, 0});
    ZEVItemView* b = view(11, {800, 400, 64, 0});
    a->setItemTitle(QStringLiteral("alpha"));
    b->setItemTitle(QStringLiteral("beta"));
    space().icons = {a->item(), b->item()};
    int drags = 0;
    std::vector<QString> titles;
    ZEVItemView::setDragRunner([&](QMimeData* data, const QImage& image, ZEVItemView* source) {
        std::unique_ptr<QMimeData> owned(data);
        ++drags;
        EXPECT_EQ(source, a);
        EXPECT_TRUE(data->hasFormat(QLatin1String(kZEVItemViewMime))) << "the desks know the drag as an Object's";
        EXPECT_EQ(image.width(), int(std::ceil(b->imageFrame().right() - a->imageFrame().left())))
            << "one image over both icons";
        for (const auto& c : ZEVItemViewer::CopiedItemViews())
            titles.push_back(static_cast<ZEVItemViewCopy*>(c.get())->titleForPB());
        return Qt::IgnoreAction;
    });

    // Released, or moved, before 0.7 s: no drag.
    ASSERT_TRUE(a->mouseDown(centre(a), {}));
    sched.advance(0.5);
    a->mouseUp({});
    ASSERT_TRUE(a->mouseDown(centre(a), {}));
    a->mouseDragged(centre(a) + QPointF(5, 0));
    sched.advance(1);
    a->mouseUp({});
    EXPECT_EQ(drags, 0);

    // (The click selected the icon alone.)
    space().icons = {a->item(), b->item()};
    ASSERT_TRUE(a->mouseDown(centre(a), {}));
    sched.advance(0.69);
    EXPECT_EQ(drags, 0);
    sched.advance(0.02);
    EXPECT_EQ(drags, 1);
    EXPECT_EQ(titles, (std::vector<QString>{QStringLiteral("alpha"), QStringLiteral("beta")}));
    EXPECT_TRUE(a->siCancel()) << "a drag that ends on no target recalls nothing";
    a->mouseUp({});
    sched.advance(2);
    EXPECT_EQ(drags, 1);
}

TEST_F(ObjectInput, TheDragOfCopiesCarriesTheirRecordsAndTitlesInTheirOrder)
{
    auto copie = [&](KELId id, const char* type, const char* title) {
        auto c = std::make_unique<ZEVItemViewCopy>(QRectF(0, 0, 164, 169), 1.0f, &viewer(), d->objects.objet(id));
        c->setItemType(QString::fromLatin1(type));
        c->setTitleForPB(QString::fromLatin1(title));
        return c;
    };
    auto ann = copie(10, "ABPerson", "Ann");
    auto mail = copie(11, "message", "Mail");
    auto fichier = copie(12, "file", "gone.txt"); // no store knows its file: nothing for it
    auto bob = copie(13, "ABPerson", "Bob");
    const std::unique_ptr<QMimeData> data =
        ZEVItemViewCopy::mimeDataForCopies({ann.get(), mail.get(), fichier.get(), bob.get()}, 7);
    EXPECT_FALSE(data->hasUrls());
    EXPECT_EQ(data->text(), QStringLiteral("Ann\nMail\nBob"));
    const std::vector<ZEVItemPB> records =
        ZEVItemPB::unarchive(data->data(QString::fromLatin1(kItemPasteboardType)));
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0].itemTitle(), QStringLiteral("Ann"));
    EXPECT_EQ(records[1].itemType(), QStringLiteral("message"));
    EXPECT_EQ(records[2].itemTitle(), QStringLiteral("Bob"));
}

TEST_F(ObjectInput, CopiesFollowThePointerAndAnEscapeOnOneCancelsTheDropThatFollows)
{
    ZEVItemView* a = view(10, {500, 400, 64, 0});
    const auto& copies = viewer().copiedItemViewsForSelectedItemView(a);
    ASSERT_EQ(copies.size(), 1u);
    ZEVItemViewer::ReferencerDragPoint(QPointF(530, 430));
    viewer().copiedItemViewsMovedTo(QPointF(600.7, 410.2));
    EXPECT_DOUBLE_EQ(copies[0]->iconPosition().x, 570);
    EXPECT_DOUBLE_EQ(copies[0]->iconPosition().y, 380);
    EXPECT_DOUBLE_EQ(copies[0]->savedIconPosition().x, 500) << "where it flies back to";

    copies[0]->cancelOperation();
    EXPECT_TRUE(ZEVItemViewer::siCancelRecall());
    viewer().userRecallSelectedItemViewsVersNowCurseur();
    EXPECT_FALSE(ZEVItemViewer::siCancelRecall()) << "the drop found the flag and cleared it";
}

} // namespace

TEST_F(ObjectInput, RunningPlacementsAreCountedUntilTheyEndOrTheirViewGoes)
{
    // The count decides whether a frame repaints the whole desk: one left behind would make
    // every later frame of a single icon repaint it all.
    space().animation = true;
    const std::size_t before = ZEVItemView::nbDePlacementsEnCours();
    std::vector<ZEVItemView*> views;
    for (KELId id = 10; id < 50; ++id) {
        views.push_back(d->desk.add(d->objects.objet(id), {0, 0, 64, 0}));
        views.back()->setIconPosition({double(id), 100, 64, 0}, 1.0); // the first, at once
    }
    EXPECT_EQ(ZEVItemView::nbDePlacementsEnCours(), before);
    for (ZEVItemView* v : views)
        v->setIconPosition({500, 300, 64, 0}, 1.0);
    EXPECT_EQ(ZEVItemView::nbDePlacementsEnCours(), before + views.size());
    // Placed again while running: still one each.
    views[0]->setIconPosition({600, 300, 64, 0}, 1.0);
    EXPECT_EQ(ZEVItemView::nbDePlacementsEnCours(), before + views.size());
    sched.advance(0.5);
    // A view that goes mid-move, and one snapped by a placement at once.
    d->desk.deleteItemView(views[1]);
    views[2]->setIconPosition({10, 10, 64, 0}, 0);
    EXPECT_EQ(ZEVItemView::nbDePlacementsEnCours(), before + views.size() - 2);
    sched.advance(1.0);
    EXPECT_EQ(ZEVItemView::nbDePlacementsEnCours(), before);
    EXPECT_DOUBLE_EQ(views[3]->iconPositionForCurrentFrame().x, 500);
}

TEST_F(ObjectInput, EachFrameOfManyMovingViewsCostsTheirOwnPlacesAndAnswersForThoseMovingNow)
{
    // Beyond a few dozen moving views, each one's step asks whether the frame covers most of the
    // desk. Views that start and end at their own moments must not make each step go over all
    // the others, and the answer is that of the views moving at the moment it is asked.
    space().animation = true;
    QGraphicsScene& scene = d->desk.scene;
    scene.setSceneRect(0, 0, 1000, 1000);
    KELId next = 10;
    auto restingAt = [&](double x, double y) {
        ZEVItemView* v = d->desk.add(d->objects.objet(next++), {0, 0, 64, 0});
        v->setIconPosition({x, y, 64, 0}, 0);
        return v;
    };
    auto cover = [&](const std::vector<ZEVItemView*>& views) {
        ZEVRepaintExtent extent(scene.sceneRect());
        for (ZEVItemView* v : views)
            extent.add(v->sceneBoundingRect());
        return extent.mostOfTheArea();
    };
    // A column at the left, and a grid over the whole desk.
    std::vector<ZEVItemView*> column, grid;
    for (int i = 0; i < 120; ++i)
        column.push_back(restingAt(8 * (i % 4), 8 * i));
    for (double x = 0; x < 1000; x += 40)
        for (double y = 0; y < 1000; y += 40)
            grid.push_back(restingAt(x, y));
    ASSERT_FALSE(cover(column));
    ASSERT_TRUE(cover(grid));

    // The column's moves start one by one within a frame: their steps and ends never coincide.
    const double frame = ZEVItemView::kAnimationStep;
    for (ZEVItemView* v : column) {
        const ZEVIconPosition p = v->iconPosition();
        v->setIconPosition({p.x + 4, p.y, 64, 0}, 1.0);
        sched.advance(frame / double(column.size() + 1));
    }
    ASSERT_GT(ZEVItemView::nbDePlacementsEnCours(), kZEVVuesDeMasse);
    sched.advance(0.5);
    EXPECT_FALSE(ZEVItemPlacement::frameCoversMostOf(scene));

    // The grid starts between two frames: the next frame answers for it, and no longer once it
    // has been snapped to its places.
    for (ZEVItemView* v : grid) {
        const ZEVIconPosition p = v->iconPosition();
        v->setIconPosition({p.x, p.y + 4, 64, 0}, 0.25);
    }
    EXPECT_TRUE(ZEVItemPlacement::frameCoversMostOf(scene));
    sched.advance(frame);
    EXPECT_TRUE(ZEVItemPlacement::frameCoversMostOf(scene));
    for (ZEVItemView* v : grid)
        v->setIconPosition(v->iconPosition(), 0);
    EXPECT_FALSE(ZEVItemPlacement::frameCoversMostOf(scene));

    // The frames in which the column's views end one after the other: each view's step counts
    // its own places, not those of every view still moving.
    const double untilLastFrames = 1.0 - 0.5 - 2 * frame - (column.size() + 1) * (frame / double(column.size() + 1));
    sched.advance(untilLastFrames);
    ASSERT_EQ(ZEVItemView::nbDePlacementsEnCours(), column.size());
    const std::uint64_t before = ZEVRepaintExtent::placesCounted();
    sched.advance(4 * frame);
    EXPECT_EQ(ZEVItemView::nbDePlacementsEnCours(), 0u);
    EXPECT_LE(ZEVRepaintExtent::placesCounted() - before, 4 * 4 * column.size())
        << "a frame went over the places of every moving view";
    EXPECT_FALSE(ZEVItemPlacement::frameCoversMostOf(scene));
}

TEST_F(ObjectInput, AViewThatGoesMidMoveBlinkAndFlickerLeavesNothingScheduled)
{
    // Each of these runs in steps through the scheduler, and each step reaches into the view: a
    // step left behind by a view that is gone would run on freed memory.
    space().animation = true;
    const std::size_t before = sched.pendingCount();
    ZEVItemView* v = view(10, {500, 400, 64, 0});
    v->setIconPosition({700, 400, 80, 0}, 1.0);
    v->startRetablirItemViewAmation();
    v->flick();
    ASSERT_TRUE(v->siAnimationRun());
    ASSERT_TRUE(v->siRetablirItemView());
    ASSERT_GT(v->flickIconCount(), 0);
    ASSERT_GE(sched.pendingCount(), before + 3);
    d->desk.deleteItemView(v);
    EXPECT_EQ(sched.pendingCount(), before);
    sched.advance(2);
}
