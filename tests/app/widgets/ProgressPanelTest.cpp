#include "app/widgets/ZEVProgressPanel.h"

#include <QProgressBar>
#include <QLabel>

#include <gtest/gtest.h>

using tallomer::ZEVProgressPanel;

TEST(ProgressPanel, RedrawRuleIsOncePerPointOfWidth)
{
    // 10,000 links on a 200-point bar: one point is 50 links; the 51st passes it.
    EXPECT_FALSE(ZEVProgressPanel::shouldRedraw(50, 10000, 200));
    EXPECT_TRUE(ZEVProgressPanel::shouldRedraw(51, 10000, 200));
    // A bar that has not been laid out never redraws on increments (and never divides by zero).
    EXPECT_FALSE(ZEVProgressPanel::shouldRedraw(1e9, 10000, 0));
    EXPECT_FALSE(ZEVProgressPanel::shouldRedraw(1, 0, 0));
    // An empty maximum redraws on every increment rather than never.
    EXPECT_TRUE(ZEVProgressPanel::shouldRedraw(1, 0, 200));
}

TEST(ProgressPanel, IncrementsRedrawAboutOncePerPointAndResetTheCounter)
{
    ZEVProgressPanel panel(true);
    panel.showWindow();
    const double width = panel.progressWidth();
    ASSERT_GT(width, 100.0);

    const int links = 10000;
    panel.setMaxValue(links);
    EXPECT_EQ(panel.progressValue(), 0.0);
    const int before = panel.redrawCount();
    for (int i = 0; i < links; ++i)
        panel.increment();
    const int redraws = panel.redrawCount() - before;

    const double perPoint = links / width;
    EXPECT_NEAR(redraws, links / (std::floor(perPoint) + 1), 1.0);
    EXPECT_LE(panel.progressValue(), perPoint + 1);
    EXPECT_DOUBLE_EQ(panel.barValue(), links);
    EXPECT_EQ(panel.progressBar()->value(), panel.progressBar()->maximum());
    panel.close();
}

TEST(ProgressPanel, SetMaxValueZeroesTheCounterAndRedrawsAtOnce)
{
    ZEVProgressPanel panel(true);
    panel.showWindow();
    panel.setMaxValue(1e6);
    for (int i = 0; i < 10; ++i)
        panel.increment();
    EXPECT_EQ(panel.progressValue(), 10.0);
    const int before = panel.redrawCount();
    panel.setMaxValue(500);
    EXPECT_EQ(panel.progressValue(), 0.0);
    EXPECT_EQ(panel.redrawCount(), before + 1);
    panel.setMessage("zevlets loading…");
    EXPECT_EQ(panel.redrawCount(), before + 2);
    EXPECT_EQ(panel.progressMessage()->text(), QString("zevlets loading…"));
}

TEST(ProgressPanel, ValuesSetBeforeTheWindowLoadsAreShownWhenItDoes)
{
    ZEVProgressPanel panel(true);
    panel.setMaxValue(200);
    panel.updateStatus(100);
    panel.setMessage("zev Objects loading…");
    EXPECT_FALSE(panel.isWindowLoaded());
    panel.window();
    EXPECT_EQ(panel.progressMessage()->text(), QString("zev Objects loading…"));
    const QProgressBar* bar = panel.progressBar();
    EXPECT_NEAR(double(bar->value()) / bar->maximum(), 0.5, 1e-6);
}

TEST(ProgressPanel, IndeterminateBarIsBusyAndBigValuesDoNotOverflow)
{
    ZEVProgressPanel busy(false);
    busy.window();
    EXPECT_EQ(busy.progressBar()->minimum(), 0);
    EXPECT_EQ(busy.progressBar()->maximum(), 0);

    ZEVProgressPanel big(true);
    big.window();
    big.setMaxValue(1e12); // more rows than an int holds
    big.updateStatus(5e11);
    EXPECT_NEAR(double(big.progressBar()->value()) / big.progressBar()->maximum(), 0.5, 1e-6);
    big.updateStatus(2e12); // past the end stays full, never wraps
    EXPECT_EQ(big.progressBar()->value(), big.progressBar()->maximum());
}
