// Resting on an Object while a drag the desk answers passes over it: the delayed selections, their
// cancel when the pointer leaves first, the Object a drag of Objects started from, and the end of a
// modifier quasimode whose key went up during the drag.

#include "tests/objects/ObjectsFakes.h"

#include "runtime/Scheduler.h"
#include "tests/support/NullFrontViewer.h"

#include <QMimeData>

using namespace tallomer;
using namespace objectstest;

namespace {

using Hover = ZEVDropTargetItem::HoverDrag;

class QuasimodeFront final : public test::NullFrontViewer {
public:
    bool isUserChangingFlag() override { return changing; }
    void userChangeFlag(int key, Qt::KeyboardModifiers m) override { calls.push_back({key, int(m)}); }
    bool changing = false;
    std::vector<std::pair<int, int>> calls;
};

class DragHover : public ::testing::Test {
protected:
    void SetUp() override
    {
        Scheduler::setShared(&sched);
        a = d->desk.add(d->objects.objet(10), {300, 300, 64, 0});
        b = d->desk.add(d->objects.objet(11), {700, 300, 64, 0});
    }
    void TearDown() override
    {
        ZEVItemView::setDragRunner({});
        ZEVItemViewer::ViderCopiedItemViews();
        d.reset();
        Scheduler::setShared(nullptr);
    }
    FakeSpace& space() { return d->space; }
    std::vector<KELI*>& icons() { return d->space.icons; }

    ManualScheduler sched{1000};
    std::unique_ptr<Desk> d = std::make_unique<Desk>();
    ZEVItemView* a = nullptr;
    ZEVItemView* b = nullptr;
};

TEST_F(DragHover, ADragFromAnotherProgramSelectsTheRestingObjectAfterItsDelayAndLeavingCancelsIt)
{
    icons() = {a->item()};
    b->dragView()->dragHoverUpdated(Hover::Outside, false);
    sched.advance(0.39);
    EXPECT_EQ(icons(), std::vector<KELI*>{a->item()});
    sched.advance(0.02);
    EXPECT_EQ(icons(), std::vector<KELI*>{b->item()}) << "alone, after 0.4 s while the program is active";

    // A selected Object is deselected after 0.4 s.
    b->dragView()->dragHoverUpdated(Hover::Outside, false);
    sched.advance(0.41);
    EXPECT_TRUE(icons().empty());

    // While the program is not active the select waits 1.4 s.
    space().active = false;
    a->dragView()->dragHoverUpdated(Hover::Outside, false);
    sched.advance(1.39);
    EXPECT_TRUE(icons().empty());
    sched.advance(0.02);
    EXPECT_EQ(icons(), std::vector<KELI*>{a->item()});

    // Leaving before the delay: nothing happens, in either direction.
    b->dragView()->dragHoverUpdated(Hover::Outside, false);
    sched.advance(1.0);
    b->dragView()->dragHoverExited(Hover::Outside);
    a->dragView()->dragHoverUpdated(Hover::Outside, false);
    sched.advance(0.2);
    a->dragView()->dragHoverDropped(Hover::Outside);
    sched.advance(5);
    EXPECT_EQ(icons(), std::vector<KELI*>{a->item()});
}

TEST_F(DragHover, ADragOfObjectsAddsTheRestingObjectAfterASecondAndAltSchedulesNothing)
{
    icons() = {a->item()};
    b->dragView()->dragHoverUpdated(Hover::Objects, true);
    sched.advance(3);
    EXPECT_EQ(icons(), std::vector<KELI*>{a->item()}) << "Alt: the drop will duplicate, no selection";

    b->dragView()->dragHoverUpdated(Hover::Objects, false);
    sched.advance(0.99);
    EXPECT_EQ(icons().size(), 1u);
    sched.advance(0.02);
    EXPECT_EQ(icons(), (std::vector<KELI*>{a->item(), b->item()})) << "added to the selection";

    b->dragView()->dragHoverUpdated(Hover::Objects, false);
    sched.advance(0.2);
    b->dragView()->dragHoverExited(Hover::Objects);
    sched.advance(2);
    EXPECT_EQ(icons().size(), 2u) << "the deselect was cancelled by the leaving";
}

TEST_F(DragHover, TheObjectALongPressStartedFromIsLeftAloneUntilTheDragHasOnceLeftAnObject)
{
    icons() = {a->item()};
    std::vector<std::size_t> during;
    ZEVItemView::setDragRunner([&](QMimeData* data, const QImage&, ZEVItemView*) {
        std::unique_ptr<QMimeData> owned(data);
        // Still over the pressed Object: nothing is scheduled.
        a->dragView()->dragHoverUpdated(Hover::Objects, false);
        sched.advance(2);
        during.push_back(icons().size());
        // Once the drag has left an Object, resting on it deselects it.
        a->dragView()->dragHoverExited(Hover::Objects);
        a->dragView()->dragHoverUpdated(Hover::Objects, false);
        sched.advance(0.5);
        during.push_back(icons().size());
        return Qt::IgnoreAction;
    });
    ASSERT_TRUE(a->mouseDown(a->imageCentre(), {}));
    sched.advance(0.8);
    a->mouseUp({});
    ASSERT_EQ(during, (std::vector<std::size_t>{1u, 0u}));
    EXPECT_TRUE(a->imageFrame().contains(ZEVItemView::DraggingFirstClickPoint()));
}

TEST_F(DragHover, ADragEndingOverAnObjectEndsTheFrontViewersModifierQuasimode)
{
    QuasimodeFront front;
    space().front = &front;
    a->dragView()->draggingEnded();
    EXPECT_TRUE(front.calls.empty()) << "no quasimode, no key";
    front.changing = true;
    a->dragView()->draggingEnded();
    ASSERT_EQ(front.calls.size(), 1u);
    EXPECT_EQ(front.calls[0], (std::pair<int, int>{Qt::Key_Alt, int(Qt::NoModifier)})) << "Alt released, no modifier";
    space().front = nullptr;
}

} // namespace
