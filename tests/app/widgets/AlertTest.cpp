#include "app/widgets/ZEVAlert.h"

#include <gtest/gtest.h>

#include <vector>

using tallomer::ScopedAlertAnswerer;
using tallomer::ZEVAlert;
using tallomer::ZEVAlertRequest;

TEST(Alert, SimpleAlertHasOneOkButtonAndTheTexts)
{
    std::vector<ZEVAlertRequest> seen;
    ScopedAlertAnswerer answer([&](const ZEVAlertRequest& r) {
        seen.push_back(r);
        return 0;
    });
    ZEVAlert::ShowSimpleAlertWithMessage("Multi-channel transition ERROR!", "Try restarting the app");
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].message, QString("Multi-channel transition ERROR!"));
    EXPECT_EQ(seen[0].informative, QString("Try restarting the app"));
    EXPECT_EQ(seen[0].buttons, QStringList{"OK"});
}

TEST(Alert, YesNoAnswersYesOnlyForTheFirstButton)
{
    int pick = 0;
    ZEVAlertRequest last;
    ScopedAlertAnswerer answer([&](const ZEVAlertRequest& r) {
        last = r;
        return pick;
    });
    EXPECT_TRUE(ZEVAlert::ShowYesNoAlertWithTitle("Clean", "Clean the Space?", "It cannot be undone."));
    EXPECT_EQ(last.windowTitle, QString("Clean"));
    EXPECT_EQ(last.buttons, (QStringList{"Yes", "Cancel"}));
    pick = 1;
    EXPECT_FALSE(ZEVAlert::ShowYesNoAlertWithTitle("Clean", "Clean the Space?", ""));
    pick = -1; // a window closed without a button is no "Yes"
    EXPECT_FALSE(ZEVAlert::ShowYesNoAlertWithTitle("Clean", "Clean the Space?", ""));
}

TEST(Alert, AnswerersNestAndRestore)
{
    int outer = 0, inner = 0;
    ScopedAlertAnswerer a([&](const ZEVAlertRequest&) { return ++outer, 0; });
    {
        ScopedAlertAnswerer b([&](const ZEVAlertRequest&) { return ++inner, 1; });
        EXPECT_FALSE(ZEVAlert::ShowYesNoAlertWithTitle("t", "m", "i"));
    }
    EXPECT_TRUE(ZEVAlert::ShowYesNoAlertWithTitle("t", "m", "i"));
    EXPECT_EQ(outer, 1);
    EXPECT_EQ(inner, 1);
}
