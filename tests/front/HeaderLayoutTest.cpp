// The header stack as a model on the virtual clock: the requests the stack takes from each state,
// the refused ones, the drops while a view moves, the refresh and its retry, the durations and
// completion times, and the swap of toolbar and split bar.

#include "front/ZEVHeaderLayout.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace tallomer;

class Host final : public ZEVHeaderLayoutHost {
public:
    QSizeF deskSize() override { return {1100, 700}; }
    std::int64_t currentNbOfRows() override { return rows; }
    void animateFrames(const ZEVHeaderFrames& f, const ZEVHeaderFrames& t, double d) override
    {
        from = f;
        to = t;
        lastDuration = d;
        ++animations;
    }
    void setViewVisible(ZEVHeaderView v, bool on) override { visible[int(v)] = on; }
    void setSplitbarInPlace(bool s) override { splitbar = s; }
    void setUpDownImages(bool s) override { upDown = s; }
    void beep() override { ++beeps; }
    void logLine(const std::string& l) override { lines.push_back(l); }
    void resetMouseLimit() override { ++mouseLimits; }
    void majTrackingArea() override { ++trackings; }
    void updateViewbarModes() override { ++viewbarModes; }
    void majWindowTitle() override { ++titles; }
    void reloadSelectionList() override { ++reloads; }
    void clearCleanAll() override { ++cleanAllCleared; }
    void clearIconModeTitle() override { ++iconTitleCleared; }
    void headerViewsHeightDidChange(double d) override { heightNotices.push_back(d); }

    std::int64_t rows = 0;
    std::vector<double> heightNotices;
    ZEVHeaderFrames from, to;
    double lastDuration = -1;
    int animations = 0, beeps = 0, mouseLimits = 0, trackings = 0, viewbarModes = 0, titles = 0, reloads = 0,
        cleanAllCleared = 0, iconTitleCleared = 0;
    bool visible[4] = {false, false, false, false};
    bool splitbar = true, upDown = false;
    std::vector<std::string> lines;
};

class HeaderLayoutTest : public ::testing::Test {
protected:
    void SetUp() override { Scheduler::setShared(&clock); }
    void TearDown() override { Scheduler::setShared(nullptr); }
    const ZEVHeaderFlags& f(ZEVHeaderView v) const { return layout.flags(v); }
    double front() const { return layout.frames().front.height(); }

    ManualScheduler clock;
    Host host;
    ZEVHeaderLayout layout{host};
};

using V = ZEVHeaderView;

TEST_F(HeaderLayoutTest, OpeningTheTimeLineSlidesItDownAndCompletesAfterTheAnimation)
{
    layout.placeInitially(false, false, false, false);
    EXPECT_EQ(front(), 700);
    layout.request(-1, 1, -1, -1);
    EXPECT_TRUE(f(V::Tline).opening);
    EXPECT_FALSE(f(V::Tline).closed);
    EXPECT_DOUBLE_EQ(layout.duration(), 36.0 / 160);
    // It starts behind the top edge and ends 36 under it; the front area gives the 36.
    EXPECT_EQ(host.from.tline, QRectF(0, 700, 1100, 36));
    EXPECT_EQ(host.to.tline, QRectF(0, 664, 1100, 36));
    EXPECT_EQ(front(), 664);
    EXPECT_TRUE(host.visible[int(V::Tline)]);

    clock.advance(36.0 / 160 + 0.1 - 0.001);
    EXPECT_TRUE(f(V::Tline).opening);
    clock.advance(0.002);
    EXPECT_TRUE(f(V::Tline).opened);
    EXPECT_FALSE(f(V::Tline).opening);
    // The mouse limit at +0.2 s and the list's tracking at +0.3 s.
    EXPECT_EQ(host.mouseLimits, 0);
    clock.advance(0.1);
    EXPECT_EQ(host.mouseLimits, 1);
    EXPECT_EQ(host.trackings, 0);
    clock.advance(0.1);
    EXPECT_EQ(host.trackings, 1);
    // The window's title follows each completion 0.1 s later.
    EXPECT_EQ(host.titles, 1);
}

TEST_F(HeaderLayoutTest, ClosingTakesTheSlowerSpeedAndHidesTheViewAtTheEnd)
{
    layout.placeInitially(true, false, false, false);
    EXPECT_EQ(front(), 677);
    layout.request(0, 0, 0, 0);
    EXPECT_DOUBLE_EQ(layout.duration(), 23.0 / 200);
    EXPECT_TRUE(f(V::Timebar).closing);
    EXPECT_EQ(front(), 700);
    EXPECT_EQ(host.iconTitleCleared, 1);
    clock.advance(23.0 / 200 + 0.1 + 0.001);
    EXPECT_TRUE(f(V::Timebar).closed);
    EXPECT_FALSE(host.visible[int(V::Timebar)]);
}

TEST_F(HeaderLayoutTest, EverySupportedCodeIsTakenFromTheStatesItMeets)
{
    struct Case {
        int r[4];
        bool from[4];
        bool expected[4];
    };
    const Case cases[] = {
        {{1, -1, -1, -1}, {0, 0, 0, 0}, {1, 0, 0, 0}},     {{1, -1, -1, 1}, {0, 0, 0, 0}, {1, 0, 0, 1}},
        {{1, 1, 1, 1}, {0, 0, 0, 0}, {1, 1, 1, 1}},        {{-1, 1, -1, -1}, {1, 0, 0, 1}, {1, 1, 0, 1}},
        {{-1, 1, 1, -1}, {0, 0, 0, 1}, {0, 1, 1, 1}},      {{-1, -1, 1, -1}, {0, 1, 0, 1}, {0, 1, 1, 1}},
        {{-1, -1, -1, 1}, {1, 1, 0, 0}, {1, 1, 0, 1}},     {{0, -1, -1, -1}, {1, 1, 1, 1}, {0, 1, 1, 1}},
        {{0, -1, -1, 0}, {1, 1, 1, 1}, {0, 1, 1, 0}},      {{0, -1, 0, -1}, {1, 1, 1, 1}, {0, 1, 0, 1}},
        {{0, -1, 0, 0}, {1, 1, 1, 1}, {0, 1, 0, 0}},       {{0, 0, 0, 0}, {1, 1, 1, 1}, {0, 0, 0, 0}},
        {{0, 0, -1, -1}, {1, 1, 1, 1}, {0, 0, 1, 1}},      {{0, 0, -1, 0}, {1, 1, 1, 1}, {0, 0, 1, 0}},
        {{0, 0, 0, -1}, {1, 1, 1, 1}, {0, 0, 0, 1}},       {{-1, 0, -1, -1}, {1, 1, 1, 1}, {1, 0, 1, 1}},
        {{-1, 0, -1, 0}, {1, 1, 1, 1}, {1, 0, 1, 0}},      {{-1, 0, 0, -1}, {1, 1, 1, 1}, {1, 0, 0, 1}},
        {{-1, 0, 0, 0}, {1, 1, 1, 1}, {1, 0, 0, 0}},       {{-1, -1, -1, 0}, {1, 1, 1, 1}, {1, 1, 1, 0}},
        {{-1, -1, 0, -1}, {1, 1, 1, 1}, {1, 1, 0, 1}},     {{-1, -1, 0, 0}, {1, 1, 1, 1}, {1, 1, 0, 0}},
    };
    ASSERT_EQ(std::size(cases), 22u);
    for (const Case& c : cases) {
        ManualScheduler s;
        Scheduler::setShared(&s);
        Host h;
        h.rows = 3;
        ZEVHeaderLayout l(h);
        l.placeInitially(c.from[0], c.from[1], c.from[2], c.from[3]);
        const auto code = ZEVHeaderLayout::requestCode(c.r[0], c.r[1], c.r[2], c.r[3]);
        EXPECT_TRUE(ZEVHeaderLayout::isSupported(code)) << code;
        l.request(c.r[0], c.r[1], c.r[2], c.r[3]);
        s.advance(2);
        EXPECT_EQ(h.beeps, 0) << code;
        for (int v = 0; v < 4; ++v)
            EXPECT_EQ(l.flags(ZEVHeaderView(v)).opened, c.expected[v]) << code << " view " << v;
        // The open views lie one under the other from the top edge; the front area is what they
        // leave.
        const double stack = (c.expected[0] ? 23 : 0) + (c.expected[1] ? 36 : 0) + (c.expected[2] ? 57 : 0) +
                             (c.expected[3] ? 23 : (c.expected[2] ? 5 : 0));
        EXPECT_DOUBLE_EQ(l.frames().front.height(), 700 - stack) << code;
        Scheduler::setShared(&clock);
    }
}

TEST_F(HeaderLayoutTest, AnUnsupportedCodeBeepsLogsTwoLinesAndTouchesNothing)
{
    layout.placeInitially(false, false, false, false);
    const int animations = host.animations;
    layout.request(1, 1, -1, -1); // 1089: the time bar and time line together
    EXPECT_EQ(host.beeps, 1);
    ASSERT_EQ(host.lines.size(), 2u);
    EXPECT_EQ(host.lines[0], "               --> TODO choise (2200)");
    EXPECT_EQ(host.lines[1], "               --> TODO status (0000)");
    EXPECT_EQ(host.animations, animations);
    EXPECT_EQ(host.cleanAllCleared, 0);
    EXPECT_TRUE(f(V::Timebar).closed && f(V::Tline).closed);
    EXPECT_FALSE(f(V::Timebar).opening || f(V::Tline).opening);
    clock.advance(1);
    // No completion was left behind to mark them open out of view.
    EXPECT_TRUE(f(V::Timebar).closed && f(V::Tline).closed);
    EXPECT_FALSE(f(V::Timebar).opened || f(V::Tline).opened);
    EXPECT_EQ(clock.pendingCount(), 0u);
}

TEST_F(HeaderLayoutTest, ARequestWhileAViewMovesIsDroppedAndARefreshRetries)
{
    layout.placeInitially(false, false, false, false);
    layout.request(1, -1, -1, -1);
    layout.request(0, -1, -1, -1);
    // The second toggle came during the slide: the time bar ends open.
    clock.advance(1);
    EXPECT_TRUE(f(V::Timebar).opened);

    layout.request(-1, 1, -1, -1);
    host.rows = 2;
    const int reloads = host.reloads;
    layout.refresh();
    EXPECT_EQ(host.reloads, reloads);
    // It waits in steps of 0.1 s until the time line stands.
    clock.advance(36.0 / 160 + 0.1 + 0.1);
    EXPECT_EQ(host.reloads, reloads + 1);
}

TEST_F(HeaderLayoutTest, ARowCountChangeMarksTheTracksUpdatingAndDropsRequestsMeanwhile)
{
    layout.placeInitially(false, true, true, true);
    host.rows = 4;
    layout.refresh();
    EXPECT_TRUE(layout.siTracksUpdating());
    EXPECT_EQ(layout.tracksHeight(), 76);
    EXPECT_EQ(front(), 700 - 36 - 76 - 23);
    EXPECT_DOUBLE_EQ(layout.duration(), 76.0 / 160);
    layout.request(1, -1, -1, -1);
    EXPECT_TRUE(f(V::Timebar).closed);
    clock.advance(76.0 / 160 + 0.001);
    EXPECT_FALSE(layout.siTracksUpdating());
    layout.request(1, -1, -1, -1);
    EXPECT_TRUE(f(V::Timebar).opening);
}

TEST_F(HeaderLayoutTest, TracksTakeAtMostTheirMaximumAndShowTheHint)
{
    layout.placeInitially(false, true, true, true);
    for (std::int64_t rows : {11, 20}) {
        host.rows = rows;
        layout.refresh();
        clock.advance(2);
        EXPECT_EQ(layout.tracksHeight(), 190);
        EXPECT_TRUE(host.upDown);
    }
    layout.setTracksHeightMax(200);
    EXPECT_EQ(layout.tracksHeightMax(), 209);
    layout.setTracksHeightMax(2000);
    EXPECT_EQ(layout.tracksHeightMax(), 570);
}

TEST_F(HeaderLayoutTest, ClosingTheToolbarOverOpenTracksLeavesTheSplitBarAndGrowsTheFrontBy18)
{
    host.rows = 3;
    layout.placeInitially(false, true, true, true);
    const double before = front();
    layout.request(-1, -1, -1, 0);
    EXPECT_TRUE(host.splitbar);
    EXPECT_EQ(front(), before + 18);
    EXPECT_EQ(layout.toolbarHeight(), 5);
    EXPECT_EQ(layout.frames().selection.height(), 57 + 5);
    clock.advance(1);
    EXPECT_TRUE(f(V::Toolbar).closed);
    // And back: the split bar gives way to the toolbar where it lies.
    layout.request(-1, -1, -1, 1);
    EXPECT_FALSE(host.splitbar);
    EXPECT_EQ(front(), before);
    clock.advance(0.1 + 0.001);
    EXPECT_TRUE(f(V::Toolbar).opened);
}

TEST_F(HeaderLayoutTest, OpeningTracksWithoutRowsMovesNothingYetCompletes)
{
    layout.placeInitially(false, true, false, false);
    layout.request(-1, -1, 1, -1);
    EXPECT_EQ(layout.duration(), 0);
    EXPECT_EQ(front(), 664);
    clock.advance(0.1 + 0.001);
    EXPECT_TRUE(f(V::Tracks).opened);
}

TEST_F(HeaderLayoutTest, HeightOfTheHeaderViewsCountsWhatIsOpenOrOpening)
{
    layout.placeInitially(true, true, false, true);
    EXPECT_EQ(layout.headerViewsHeight(), 23 + 36 + 23);
    layout.setMenubarHeight(25);
    EXPECT_EQ(layout.headerViewsHeight(), 23 + 36 + 23 + 25);
}

TEST_F(HeaderLayoutTest, TheHostHearsOfEveryChangeOfTheHeightWithItsDurationAndOfNoOtherRequest)
{
    layout.placeInitially(false, true, false, false);
    ASSERT_EQ(host.heightNotices.size(), 1u);
    EXPECT_EQ(host.heightNotices.back(), 0);
    // Without rows the toolbar counts only once opened: told at its completion, at once.
    layout.request(-1, -1, -1, 1);
    EXPECT_EQ(host.heightNotices.size(), 1u);
    clock.advance(2);
    ASSERT_EQ(host.heightNotices.size(), 2u);
    EXPECT_EQ(host.heightNotices.back(), 0);
    EXPECT_EQ(layout.headerViewsHeight(), 36 + 23);
    // Tracks of three rows: told as they start, with their slide's duration.
    host.rows = 3;
    layout.request(-1, -1, 1, -1);
    ASSERT_EQ(host.heightNotices.size(), 3u);
    EXPECT_GT(layout.duration(), 0);
    EXPECT_DOUBLE_EQ(host.heightNotices.back(), layout.duration());
    clock.advance(2);
    // A refresh that changes nothing tells nothing.
    layout.refresh();
    clock.advance(2);
    EXPECT_EQ(host.heightNotices.size(), 3u);
    // The menu bar of full screen, with its own duration.
    layout.setMenubarHeight(25, 0.14375);
    ASSERT_EQ(host.heightNotices.size(), 4u);
    EXPECT_DOUBLE_EQ(host.heightNotices.back(), 0.14375);
}

TEST_F(HeaderLayoutTest, AMenuBarOfTwentyFivePointsMovesTheStackDownAndIsGivenBackExactly)
{
    layout.placeInitially(true, true, false, true);
    const ZEVHeaderFrames without = layout.frames();
    layout.setMenubarHeight(25, 0.14375);
    EXPECT_DOUBLE_EQ(host.lastDuration, 0.14375);
    EXPECT_EQ(host.from, without);
    // The whole stack lies 25 lower; the front area gives the 25.
    EXPECT_EQ(layout.frames().timebar, without.timebar.translated(0, -25));
    EXPECT_EQ(layout.frames().tline, without.tline.translated(0, -25));
    EXPECT_EQ(layout.frames().selection, without.selection.translated(0, -25));
    EXPECT_EQ(front(), without.front.height() - 25);
    // A view opened under the bar keeps below it.
    layout.request(-1, -1, -1, 0);
    clock.advance(1);
    layout.request(-1, -1, -1, 1);
    clock.advance(1);
    EXPECT_EQ(layout.frames().selection.y() + layout.frames().selection.height(), 700 - 25 - 23 - 36);
    // Given back: every frame where it was, not 23 points off.
    layout.setMenubarHeight(0);
    EXPECT_EQ(layout.frames(), without);
    EXPECT_EQ(layout.menubarHeight(), 0);
}

} // namespace
