#include "tests/desk/DeskFixture.h"

#include "desk/view/ZEVDeskView.h"

#include "desk/pasteboard/ZEVPasteboard.h"
#include "services/ZEVItemViewForDesks.h"
#include "tests/support/NullFrontViewer.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QGraphicsRectItem>
#include <QGraphicsSceneDragDropEvent>
#include <QGuiApplication>
#include <QMimeData>

namespace desktest {

class DeskSurface : public DeskViewerBase {
protected:
    void SetUp() override
    {
        DeskViewerBase::SetUp();
        d = makeDesk(now, 1000, 800);
        va = fake(d->creerItemViewWithItem(a = newItem("a"), QPointF(200, 200), 0)); // image 160..240
        vb = fake(d->creerItemViewWithItem(b = newItem("b"), QPointF(600, 200), 0)); // image 560..640
        ASSERT_TRUE(va && vb);
        surface = d->deskView();
    }
    // Starts a lasso at (100, 100), outside both icons, and drags it to `to`.
    void lasso(QPointF to, bool ctrl = false)
    {
        surface->mouseDown(QPointF(100, 100));
        surface->mouseDragged(to, ctrl);
    }
    ZEVDeskViewer* d = nullptr;
    ZEVDeskView* surface = nullptr;
    KELI *a = nullptr, *b = nullptr;
    FakeView *va = nullptr, *vb = nullptr;
};

TEST_F(DeskSurface, ALassoSelectsWhatItTouchesAndCtrlTogglesTheStartingSelection)
{
    lasso(QPointF(300, 300));
    EXPECT_TRUE(surface->siLassoIcon());
    EXPECT_EQ(space.sel(0), std::vector<KELI*>{a});
    surface->mouseDragged(QPointF(700, 300), false);
    EXPECT_EQ(space.sel(0), (std::vector<KELI*>{a, b}));
    surface->mouseDragged(QPointF(120, 120), false); // touches neither any more
    EXPECT_TRUE(space.sel(0).empty());
    surface->mouseUp();
    EXPECT_FALSE(surface->siLasso());

    // Ctrl: over a selected icon deselects it, over an unselected one selects it, and drawing
    // the lasso away restores the start.
    space.sel(0) = {a};
    lasso(QPointF(700, 300), true);
    EXPECT_EQ(space.sel(0), std::vector<KELI*>{b});
    surface->mouseDragged(QPointF(110, 110), true);
    EXPECT_EQ(space.sel(0), std::vector<KELI*>{a});
    surface->mouseUp();

    // Filter mode lassoes icons too; hidden views are skipped except by the node lasso.
    space.sel(0).clear();
    space.mode = 2;
    vb->setHidden(true);
    lasso(QPointF(700, 300));
    EXPECT_TRUE(surface->siLassoIcon());
    EXPECT_EQ(space.sel(0), std::vector<KELI*>{a});
    surface->mouseUp();
    space.mode = 3;
    lasso(QPointF(700, 300));
    EXPECT_TRUE(surface->siLassoNode());
    EXPECT_EQ(space.sel(3), (std::vector<KELI*>{a, b}));
    surface->mouseUp();
}

TEST_F(DeskSurface, TheWheelIsKeptFromTheRulerWhileAViewResizesAndForAFifthOfASecondAfter)
{
    using P = ZEVDeskView::WheelPhase;
    EXPECT_TRUE(surface->scrollWheel(P::None, Qt::NoModifier, nullptr));
    EXPECT_EQ(space.wheels, 1);
    surface->setSiScrollingItemView(true);
    EXPECT_FALSE(surface->scrollWheel(P::None, Qt::NoModifier, nullptr));
    surface->setSiScrollingItemView(false);
    sched.advance(0.15);
    EXPECT_FALSE(surface->scrollWheel(P::None, Qt::NoModifier, nullptr)); // restarts the quiet time
    sched.advance(0.15);
    EXPECT_FALSE(surface->scrollWheel(P::None, Qt::NoModifier, nullptr));
    sched.advance(0.21);
    EXPECT_TRUE(surface->scrollWheel(P::None, Qt::NoModifier, nullptr));
    EXPECT_EQ(space.wheels, 2);

    // A momentum scroll whose modifiers change midway stops reaching the ruler.
    EXPECT_TRUE(surface->scrollWheel(P::Began, Qt::ShiftModifier, nullptr));
    EXPECT_TRUE(surface->scrollWheel(P::Changed, Qt::ShiftModifier, nullptr));
    EXPECT_FALSE(surface->scrollWheel(P::Changed, Qt::NoModifier, nullptr));
    EXPECT_FALSE(surface->scrollWheel(P::Other, Qt::ShiftModifier, nullptr));
}

TEST_F(DeskSurface, DropsTellTheirSourceApartAndSelectAllTakesTheVisibleViews)
{
    QMimeData overlay, view, outside;
    overlay.setData(kZEVItemDragViewMime, "1");
    view.setData(kZEVItemViewMime, "1");
    outside.setText("hello");
    EXPECT_EQ(ZEVDeskView::sourceOf(&overlay), ZEVDeskView::DragSource::Overlay);
    EXPECT_EQ(ZEVDeskView::sourceOf(&view), ZEVDeskView::DragSource::ItemView);
    EXPECT_EQ(ZEVDeskView::sourceOf(&outside), ZEVDeskView::DragSource::Other);
    EXPECT_EQ(surface->draggingEntered(ZEVDeskView::DragSource::ItemView, &view), Qt::LinkAction);
    EXPECT_EQ(surface->draggingUpdated(ZEVDeskView::DragSource::ItemView, true, QPointF()), Qt::CopyAction);
    EXPECT_FALSE(surface->performDragOperation(ZEVDeskView::DragSource::Overlay, false, &overlay, QPointF()));

    vb->setHidden(true);
    surface->selectAll();
    EXPECT_EQ(space.sel(0), std::vector<KELI*>{a});
    EXPECT_EQ(space.history, 1);

    // Copy of nothing beeps.
    space.sel(0).clear();
    EXPECT_FALSE(surface->copy());
    EXPECT_EQ(space.beeps, 1);
}

// Cut is a copy then a release: a copy that wrote nothing (a file Object with no file behind it)
// releases nothing; one that wrote releases at the active cursor's form.
TEST_F(DeskSurface, CutReleasesOnlyAfterACopyThatWrote)
{
    struct Releases final : test::NullFrontViewer {
        void userReleaseNow() override { ++now; }
        void userReleaseSearch() override { ++search; }
        int now = 0, search = 0;
    } front;
    space.front = &front;
    space.sel(0) = {a};
    QGuiApplication::clipboard()->clear();
    surface->cut();
    EXPECT_EQ(front.now + front.search, 0) << "nothing reached the clipboard";
    EXPECT_EQ(space.beeps, 1);

    KELI* place = itemClasses.front()->creerItemWithChannelInt(KELOBJECT_HOME_CHANNEL, "place", "zevp", "", 0);
    FakeView* vp = fake(d->creerItemViewWithItem(place, QPointF(400, 500), 0));
    ASSERT_NE(vp, nullptr);
    space.sel(0) = {place};
    surface->cut();
    EXPECT_EQ(front.now + front.search, 1);
    space.front = nullptr;
}

// The platform may hand every drag the same mime object: a drag entering the other desk, or a
// later drag with the same object, is still a drag of its own.
TEST_F(DeskSurface, EveryDragEntryHasANumberNoOtherDeskHasSeen)
{
    ZEVDeskView* other = makeDesk(search)->deskView();
    QMimeData outside;
    outside.setText("hello");
    using S = ZEVDeskView::DragSource;
    surface->draggingEntered(S::Other, &outside);
    other->draggingEntered(S::Other, &outside);
    surface->draggingExited(S::Other);
    surface->draggingEntered(S::Other, &outside);
    surface->performDragOperation(S::Other, false, &outside, QPointF(300, 300));
    surface->draggingEntered(S::Other, &outside);
    ASSERT_EQ(space.sessions.size(), 4u);
    std::vector<long> sorted = space.sessions;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(std::unique(sorted.begin(), sorted.end()), sorted.end()) << "a number was given twice";
}

// An Object's overlay as the desk sees it: it takes no drag itself and notes what it hears.
class HoverRecorder final : public QGraphicsRectItem, public ZEVDropTargetItem {
public:
    explicit HoverRecorder(const QRectF& r) : QGraphicsRectItem(r) { setAcceptDrops(true); }
    bool siTakesDrag(const QMimeData*) const override { return false; }
    void dragHoverUpdated(HoverDrag k, bool alt) override
    {
        heard.push_back(std::string(k == HoverDrag::Objects ? "objects" : "outside") + (alt ? " alt" : ""));
    }
    void dragHoverExited(HoverDrag) override { heard.push_back("exited"); }
    void dragHoverDropped(HoverDrag) override { heard.push_back("dropped"); }
    void draggingEnded() override { heard.push_back("ended"); }
    std::vector<std::string> heard;

protected:
    void dragEnterEvent(QGraphicsSceneDragDropEvent* e) override { e->ignore(); }
};

TEST_F(DeskSurface, AnObjectUnderADragTheDeskAnswersHearsOnlyTheFirstMoveOverItTheLeavingAndTheDrop)
{
    auto* over = new HoverRecorder(QRectF(400, 400, 50, 50)); // y-down scene rectangle
    surface->addItem(over);
    auto send = [&](QEvent::Type type, const QMimeData& data, QPointF p, Qt::KeyboardModifiers keys = {}) {
        QGraphicsSceneDragDropEvent e(type);
        e.setScenePos(p);
        e.setMimeData(&data);
        e.setPossibleActions(Qt::CopyAction | Qt::LinkAction);
        e.setModifiers(keys);
        QCoreApplication::sendEvent(surface, &e);
    };
    QMimeData objects, table, outside, link;
    objects.setData(kZEVItemViewMime, "1");
    table.setData(kZEVTableViewMime, "1");
    outside.setText("hello");
    link.setData(kZEVItemDragViewMime, "1");
    const QPointF on(420, 420), beside(300, 300);

    send(QEvent::GraphicsSceneDragEnter, objects, beside);
    for (QPointF p : {on, on + QPointF(5, 0), on + QPointF(5, 5)})
        send(QEvent::GraphicsSceneDragMove, objects, p, Qt::AltModifier);
    send(QEvent::GraphicsSceneDragMove, objects, beside);
    send(QEvent::GraphicsSceneDragMove, objects, on);
    send(QEvent::GraphicsSceneDrop, objects, on);
    EXPECT_EQ(over->heard, (std::vector<std::string>{"objects alt", "exited", "objects", "dropped", "ended"}));

    // A table row and another program's data are both outside drags; the desk's leaving is the
    // Object's too.
    over->heard.clear();
    send(QEvent::GraphicsSceneDragEnter, table, on);
    send(QEvent::GraphicsSceneDragMove, table, on);
    send(QEvent::GraphicsSceneDragLeave, table, on);
    send(QEvent::GraphicsSceneDragEnter, outside, on);
    send(QEvent::GraphicsSceneDragMove, outside, on);
    send(QEvent::GraphicsSceneDragMove, outside, on);
    EXPECT_EQ(over->heard, (std::vector<std::string>{"outside", "exited", "outside"}));

    // An Object gone during the drag is not reached by the leaving; a link drag is the overlays'.
    delete over;
    send(QEvent::GraphicsSceneDragLeave, outside, on);
    auto* again = new HoverRecorder(QRectF(400, 400, 50, 50));
    surface->addItem(again);
    send(QEvent::GraphicsSceneDragEnter, link, on);
    send(QEvent::GraphicsSceneDragMove, link, on);
    send(QEvent::GraphicsSceneDragLeave, link, on);
    EXPECT_TRUE(again->heard.empty());
}

TEST(DeskDropAction, ADropTakesTheWantedActionAmongThoseOfferedAndNeverMove)
{
    using A = Qt::DropAction;
    const struct {
        A wanted;
        Qt::DropActions offered;
        A got;
    } rows[] = {
        {Qt::LinkAction, Qt::CopyAction | Qt::MoveAction | Qt::LinkAction, Qt::LinkAction},
        {Qt::LinkAction, Qt::CopyAction | Qt::MoveAction, Qt::CopyAction},
        {Qt::CopyAction, Qt::LinkAction | Qt::MoveAction, Qt::LinkAction},
        {Qt::CopyAction, Qt::MoveAction, Qt::IgnoreAction},
        {Qt::MoveAction, Qt::MoveAction | Qt::CopyAction, Qt::CopyAction},
        {Qt::IgnoreAction, Qt::CopyAction, Qt::IgnoreAction},
    };
    for (const auto& r : rows)
        EXPECT_EQ(ZEVDeskView::allowedAction(r.wanted, r.offered), r.got) << &r - rows;
}

// Drags and pastes draw from one counter, and a drag's number ends with it: what the reader read
// for a drag that is over is never taken for the next drag or paste.
TEST_F(DeskSurface, PastesAreNumberedWithTheDragsAndADragsNumberEndsWithIt)
{
    QMimeData outside;
    outside.setText("hello");
    using S = ZEVDeskView::DragSource;
    surface->draggingEntered(S::Other, &outside);
    const long drag = surface->draggingSequenceNumber();
    EXPECT_EQ(ZEVPasteboard::LastUniqueInt(), drag);
    surface->draggingExited(S::Other);
    EXPECT_EQ(surface->draggingSequenceNumber(), 0);

    QGuiApplication::clipboard()->clear();
    surface->paste();
    const long paste = ZEVPasteboard::LastUniqueInt();
    EXPECT_GT(paste, drag);
    EXPECT_EQ(space.beeps, 1) << "an empty clipboard lands nothing";

    surface->draggingEntered(S::Other, &outside);
    EXPECT_GT(surface->draggingSequenceNumber(), paste);
    EXPECT_EQ(ZEVPasteboard::LastUniqueInt(), surface->draggingSequenceNumber());
    surface->performDragOperation(S::Other, false, &outside, QPointF(300, 300));
    EXPECT_EQ(surface->draggingSequenceNumber(), 0);
    ZEVPasteboard::Reset();
}

} // namespace desktest
