// A past Space chosen from the Spaces menu to replace the Now desk's: the Search cursor goes to
// it and the replacement is asked and run as Clean and Replace runs it.

#include "tests/e2e/PastSpacesFixture.h"

namespace e2e {
namespace {

class ReplaceWithPastSpace : public PastSpacesE2E {};

TEST_F(ReplaceWithPastSpace, TheChosenSpaceIsAskedForThenReplacesTheNowDesksBackground)
{
    start();
    const auto [sea, field] = seaThenField();
    ASSERT_TRUE(sea && field);
    ASSERT_EQ(nowDesk()->background().currentBackImageItem(), field);

    // Cancelled: the Search cursor shows the past Space, the Now desk keeps its own.
    alertAnswer = 1;
    const std::size_t asked = alerts.size();
    ASSERT_TRUE(chooseReplaceWith(sea));
    advance(1.0);
    ASSERT_EQ(alerts.size(), asked + 1) << "the replacement is asked before anything changes";
    EXPECT_EQ(alerts.back().message, "Clean & Replace");
    EXPECT_EQ(space()->actifCurseur(), space()->searchCurseur());
    EXPECT_FALSE(front()->siTransitionRunning());
    EXPECT_EQ(nowDesk()->background().currentBackImageItem(), field);

    // Yes: the run ends with the past Space's background on the Now desk.
    alertAnswer = 0;
    ASSERT_TRUE(chooseReplaceWith(sea));
    runTransitionOut();
    EXPECT_FALSE(front()->siTransitionRunning());
    EXPECT_EQ(nowDesk()->background().currentBackImageItem(), sea);
}

} // namespace
} // namespace e2e
