// The Space hands its jobs to parts of its own, each waiting on the scheduler under its own name:
// whatever they left waiting goes with the Space, and the names other views wait under on the
// controller keep reaching the part that answers them.

#include "tests/space/SpaceFixture.h"

#include <string>
#include <utility>
#include <vector>

using namespace spacetest;

namespace {

class SpaceJobs : public Space {};

} // namespace

TEST_F(SpaceJobs, WhatThePartsLeftWaitingGoesWithTheSpace)
{
    build();
    settle();
    // Each part's waits, started and left pending: a Channel step's reset of the go-to buttons,
    // the pointer limit's opening, the activation notice and the inspectors' refresh after a
    // resize, and the title held back by "Stay in front…".
    space->pasDeChannel(1);
    space->mouseMovedInLocation(space->mouseLimitRect().center());
    space->activateTallomer();
    space->windowDidResize();
    space->_setFrontSpace(false);
    space->_setFrontSpace(true);
    const std::vector<std::pair<const void*, std::string>> waits = {
        {&space->channels(), "setGotoOff"},
        {&space->pointerLimit(), "_mouseLimitInside"},
        {&space->windowDelegate(), "activateTallomerStart"},
        {&space->windowDelegate(), "majInspectViewCommonModes"},
        {space.get(), "majWindowTitle"},
    };
    for (const auto& [target, name] : waits)
        ASSERT_TRUE(sched.isPending(target, name)) << name << " was not waiting to begin with";

    space.reset();
    for (const auto& [target, name] : waits)
        EXPECT_FALSE(sched.isPending(target, name)) << name << " outlived the Space";
    // Nothing left fires on what is gone.
    sched.advance(5);
}

TEST_F(SpaceJobs, AnEndOfDragAViewScheduledOnTheControllerIsCancelledByTheNextSession)
{
    build();
    settle();
    tallomer::ZEVSpaceController* s = space.get();
    // As the strip does when a drag leaves it: the end waits under the controller's name.
    sched.perform(s, "draggingSessionDidStop", 0.8, [s] { s->draggingSessionDidStop(); });
    space->draggingSessionStartedWithInteger(7);
    EXPECT_FALSE(sched.isPending(s, "draggingSessionDidStop"));
    sched.advance(1);
    EXPECT_TRUE(space->siDraggingSession()) << "the new session was ended by the old one's delay";
    EXPECT_EQ(space->draggingSessionInteger(), 7);

    // Its own end, scheduled the same way, ends it and cancels nothing else.
    sched.perform(s, "draggingSessionDidStop", 0.8, [s] { s->draggingSessionDidStop(); });
    sched.advance(1);
    EXPECT_FALSE(space->siDraggingSession());
    EXPECT_EQ(space->draggingSessionInteger(), -1);
}

TEST_F(SpaceJobs, TheDisplayOptionsFollowTheDefaultsWhileTheSpaceLivesAndNoLonger)
{
    build();
    settle();
    defaultsController.setValue(QStringLiteral("ZEVGotoBackColorChanges"), true);
    defaultsController.setValue(QStringLiteral("ZEVShowObjectAnimation"), true);
    EXPECT_TRUE(space->siBackColorChanges());
    EXPECT_TRUE(space->displayOptions().siShowAnimation);
    defaultsController.setValue(QStringLiteral("ZEVShowObjectAnimation"), false);
    EXPECT_FALSE(space->displayOptions().siShowAnimation);

    space.reset();
    // The options followed these keys; once gone they hear them no more (under the sanitizer
    // pass, a notice reaching them would be a use after free).
    for (const char* key : {"ZEVHideObjectTitle", "ZEVShowLinksForAllIcons", "ZEVGotoBackColorChanges"})
        defaultsController.setValue(QString::fromLatin1(key), false);
    EXPECT_FALSE(defaultsController.values(QStringLiteral("ZEVGotoBackColorChanges")).toBool());
}
