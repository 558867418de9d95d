#include "widgets/ZEVWindowPlacement.h"

#include <QScreen>
#include <QWidget>

#include <gtest/gtest.h>

using namespace tallomer;

namespace {

// A screen of 1920 x 1200 with a panel of 30 along its top.
const QRect kAvailable(0, 30, 1920, 1170);

TEST(WindowPlacement, ANewWindowGoesBesideItsWindowWholeInsideTheAvailableArea)
{
    const struct {
        const char* name;
        QRect anchor;
        QSize frame;
        QRect placed;
    } rows[] = {
        {"room on the right: there, top edges level", {100, 200, 1000, 700}, {420, 400}, {1100, 200, 420, 400}},
        {"no room on the right: on the left", {600, 200, 1300, 700}, {420, 400}, {180, 200, 420, 400}},
        {"room on neither side: in the lower right corner, over it", {30, 30, 1851, 1170}, {420, 400}, {1461, 800, 420, 400}},
        {"beside, but taller than the room below its top: lifted", {100, 900, 1000, 300}, {420, 400}, {1100, 800, 420, 400}},
        {"the anchor reaching off the screen: still inside", {-200, -50, 1000, 700}, {420, 400}, {800, 30, 420, 400}},
        {"larger than the area: cut to it", {100, 200, 1000, 700}, {2500, 1500}, {0, 30, 1920, 1170}},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        const QRect placed = placement::frameBeside(r.anchor, r.frame, kAvailable);
        EXPECT_EQ(placed, r.placed);
        EXPECT_TRUE(kAvailable.contains(placed));
    }
}

TEST(WindowPlacement, AWindowIsGrownToWhatItsContentsAskBeforeItIsPlaced)
{
    QWidget anchor;
    anchor.setGeometry(100, 100, 300, 200);
    anchor.show();
    QWidget w;
    w.setMinimumSize(250, 120);
    w.resize(10, 10);
    placement::placeBeside(&w, &anchor);
    EXPECT_GE(w.width(), 250);
    EXPECT_GE(w.height(), 120);
    EXPECT_TRUE(anchor.screen()->availableGeometry().contains(w.frameGeometry()));
    EXPECT_FALSE(w.frameGeometry().intersects(anchor.frameGeometry()));
}

} // namespace
