// The shell's small widgets and the resources every view shares.

#include "look/KELSharedResources.h"
#include "widgets/ZEVAlert.h"
#include "app/widgets/ZEVPreferencesController.h"
#include "app/widgets/ZEVProgressPanel.h"
#include "app/widgets/ZEVStringAdditions.h"

#include <QCheckBox>
#include <QImage>
#include <QLabel>
#include <QMap>
#include <QPixmap>
#include <QProgressBar>
#include <QSet>

#include <functional>
#include <map>

#include <gtest/gtest.h>

using namespace tallomer;

// The simple alert is checked through the start-up failures that show it.
TEST(Alert, YesOnlyForTheFirstButton)
{
    int pick = 0;
    ZEVAlertRequest last;
    ScopedAlertAnswerer answer([&](const ZEVAlertRequest& r) { return last = r, pick; });
    EXPECT_TRUE(ZEVAlert::ShowYesNoAlertWithTitle("Clean", "Clean the Space?", "It cannot be undone."));
    EXPECT_EQ(last.windowTitle, QString("Clean"));
    EXPECT_EQ(last.buttons, (QStringList{"Yes", "Cancel"}));
    pick = 1;
    EXPECT_FALSE(ZEVAlert::ShowYesNoAlertWithTitle("Clean", "Clean the Space?", ""));
    pick = -1; // a window closed without a button is no "Yes"
    EXPECT_FALSE(ZEVAlert::ShowYesNoAlertWithTitle("Clean", "Clean the Space?", ""));
}

TEST(Preferences, BoxesShowStoredValuesElseFallbacksAndLoadingWritesNothing)
{
    QMap<QString, QVariant> store{{"ZEVShowObjectAnimation", false}, {"ZEVShowZevMenu", QString("true")}};
    int writes = 0;
    ZEVPreferencesController prefs([&](const QString& k) { return store.value(k); },
                                   [&](const QString& k, const QVariant& v) { ++writes, store[k] = v; });
    prefs.window();
    EXPECT_FALSE(prefs.showAnimation()->isChecked()); // stored off beats the "on" fallback
    EXPECT_TRUE(prefs.keepTimebar()->isChecked());    // stored on beats the "off" fallback
    // Fallbacks of the keys without a value.
    EXPECT_FALSE(prefs.hideTitle()->isChecked());
    EXPECT_TRUE(prefs.keepTimeline()->isChecked());
    EXPECT_EQ(writes, 0);
    prefs.hideTitle()->click();
    EXPECT_EQ(writes, 1);
    EXPECT_EQ(store.value("ZEVHideObjectTitle"), QVariant(true));
}

TEST(Preferences, TheShowTimelineWhileSearchingBoxIsTheOppositeOfTheKeyThatHidesIt)
{
    QMap<QString, QVariant> store{{"ZEVHideRulerWhenSearch", false}};
    ZEVPreferencesController prefs([&](const QString& k) { return store.value(k); },
                                   [&](const QString& k, const QVariant& v) { store[k] = v; });
    prefs.window();
    QCheckBox* box = prefs.checkBox("showRulerWhenSearch");
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->isChecked()) << "the registered default opens the timeline while searching";
    box->click();
    EXPECT_EQ(store.value("ZEVHideRulerWhenSearch"), QVariant(true));
    store["ZEVHideRulerWhenSearch"] = true;
    ZEVPreferencesController again([&](const QString& k) { return store.value(k); }, nullptr);
    again.window();
    EXPECT_FALSE(again.checkBox("showRulerWhenSearch")->isChecked());
}

TEST(Preferences, AKeyChangedElsewhereTurnsItsBoxWithoutWritingAndTheWatchesEndWithTheWindow)
{
    QMap<QString, QVariant> store;
    int writes = 0;
    std::map<QString, std::function<void()>> watched;
    int unwatched = 0;
    {
        ZEVPreferencesController prefs([&](const QString& k) { return store.value(k); },
                                       [&](const QString& k, const QVariant& v) { ++writes, store[k] = v; },
                                       [&](const QString& k, std::function<void()> changed) -> std::function<void()> {
                                           watched[k] = std::move(changed);
                                           return [&unwatched] { ++unwatched; };
                                       });
        EXPECT_TRUE(watched.empty()) << "nothing is watched before the window is made";
        prefs.window();
        EXPECT_EQ(watched.size(), ZEVPreferencesController::options().size());
        store["ZEVShowRuler"] = false;
        watched.at("ZEVShowRuler")();
        EXPECT_FALSE(prefs.keepTimeline()->isChecked());
        // The inverted box follows its key the other way round.
        store["ZEVHideRulerWhenSearch"] = true;
        watched.at("ZEVHideRulerWhenSearch")();
        EXPECT_FALSE(prefs.showRulerWhenSearch()->isChecked());
        EXPECT_EQ(writes, 0) << "a followed change is not written back";
        prefs.keepTimeline()->click();
        EXPECT_EQ(store.value("ZEVShowRuler"), QVariant(true));
    }
    EXPECT_EQ(unwatched, int(ZEVPreferencesController::options().size()));
}

TEST(StringAdditions, MenuTitlesAreCutWithAnEllipsisAndUrlsCompareByFileName)
{
    EXPECT_EQ(stringMenuForString("0123456789", 10), QString("012345678…"));
    EXPECT_EQ(stringMenuForString("0123456789", 11), QString("0123456789"));
    EXPECT_EQ(stringMenuForString("abc", 1), QString("…"));
    EXPECT_EQ(stringMenuForString("abc", 0), QString("…")); // never a negative length
    EXPECT_EQ(stringMenuForString("", 0), QString(""));
    // Application entries sort by their file name, wherever they lie.
    EXPECT_LT(compareLastPathComponent(QUrl("file:///z/Alpha.desktop"), QUrl("file:///a/Beta.desktop")), 0);
    EXPECT_EQ(compareLastPathComponent(QUrl("file:///x/App/"), QUrl("file:///y/App")), 0);
}

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

TEST(ProgressPanel, IncrementsRedrawAboutOncePerPointAndANewMaximumStartsOver)
{
    ZEVProgressPanel panel(true);
    panel.showWindow();
    const double width = panel.progressWidth();
    ASSERT_GT(width, 100.0);
    const int links = 10000;
    panel.setMaxValue(links);
    const int before = panel.redrawCount();
    for (int i = 0; i < links; ++i)
        panel.increment();
    const double perPoint = links / width;
    EXPECT_NEAR(panel.redrawCount() - before, links / (std::floor(perPoint) + 1), 1.0);
    EXPECT_LE(panel.progressValue(), perPoint + 1);
    EXPECT_DOUBLE_EQ(panel.barValue(), links);
    EXPECT_EQ(panel.progressBar()->value(), panel.progressBar()->maximum());

    // A new maximum zeroes the counter and redraws at once, and so does a message.
    panel.setMaxValue(1e6);
    for (int i = 0; i < 10; ++i)
        panel.increment();
    EXPECT_EQ(panel.progressValue(), 10.0);
    const int redraws = panel.redrawCount();
    panel.setMaxValue(500);
    EXPECT_EQ(panel.progressValue(), 0.0);
    EXPECT_EQ(panel.redrawCount(), redraws + 1);
    panel.setMessage("zevlets loading…");
    EXPECT_EQ(panel.redrawCount(), redraws + 2);
    EXPECT_EQ(panel.progressMessage()->text(), QString("zevlets loading…"));
}

TEST(ProgressPanel, ValuesSetBeforeLoadingAreShownBigValuesNeverOverflowAndNoMaximumIsBusy)
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
    panel.setMaxValue(1e12); // more rows than an int holds
    panel.updateStatus(5e11);
    EXPECT_NEAR(double(bar->value()) / bar->maximum(), 0.5, 1e-6);
    panel.updateStatus(2e12); // past the end stays full, never wraps
    EXPECT_EQ(bar->value(), bar->maximum());

    ZEVProgressPanel busy(false);
    busy.window();
    EXPECT_EQ(busy.progressBar()->minimum(), 0);
    EXPECT_EQ(busy.progressBar()->maximum(), 0);
}

TEST(ProgressPanel, TheBarDrawnShowsItsValueFromEmptyToFull)
{
    ZEVProgressPanel panel(true);
    panel.setMaxValue(200);
    panel.window();
    QProgressBar* bar = panel.progressBar();
    ASSERT_NE(bar, nullptr);
    bar->resize(360, 20);
    const QColor filled = bar->palette().color(QPalette::Highlight);
    const QColor empty = bar->palette().color(QPalette::Base);
    ASSERT_NE(filled.rgb(), empty.rgb());
    auto colourAt = [&](double fraction) {
        const QImage shot = bar->grab().toImage();
        return QColor(shot.pixel(static_cast<int>(fraction * (shot.width() - 1)), shot.height() / 2)).rgb();
    };
    panel.updateStatus(0);
    EXPECT_EQ(colourAt(0.1), empty.rgb());
    EXPECT_EQ(colourAt(0.9), empty.rgb());
    panel.updateStatus(100);
    EXPECT_EQ(colourAt(0.25), filled.rgb());
    EXPECT_EQ(colourAt(0.75), empty.rgb());
    panel.updateStatus(200);
    EXPECT_EQ(colourAt(0.1), filled.rgb());
    EXPECT_EQ(colourAt(0.9), filled.rgb());
    // Right to left, the bar fills from the right.
    bar->setLayoutDirection(Qt::RightToLeft);
    panel.updateStatus(100);
    EXPECT_EQ(colourAt(0.25), empty.rgb());
    EXPECT_EQ(colourAt(0.75), filled.rgb());
}

TEST(SharedResources, OnlyTheActiveCursorPairChangesAndComesBackExactly)
{
    KELSharedResources res;
    const QColor c0 = res.curseurColor(), a0 = res.actifCurseurColor();
    const QColor now0 = res.nowCurseurColor(), search0 = res.searchCurseurColor();
    res.setActifCurseurColorSiNow(false);
    EXPECT_EQ(res.curseurColor(), res.searchCurseurColor());
    EXPECT_EQ(res.actifCurseurColor(), KELSharedResources::searchActifColor());
    res.setActifCurseurColorSiNow(true);
    EXPECT_EQ(res.curseurColor(), c0);
    EXPECT_EQ(res.actifCurseurColor(), a0);
    // The Now and Search colours themselves are untouched by the switch.
    EXPECT_EQ(res.nowCurseurColor(), now0);
    EXPECT_EQ(res.searchCurseurColor(), search0);
}

TEST(SharedResources, EveryImageIsFoundByNamePaintedAndDistinct)
{
    KELSharedResources res;
    for (const char* cursor : {"Now", "Search", "Black"})
        for (const char* action : {"Release", "Forget", "Recall", "Retain"})
            EXPECT_EQ(res.imageNamed(QString("edit%1%2.tiff").arg(cursor, action)).deviceIndependentSize(),
                      QSizeF(32, 18)) << cursor << action;
    EXPECT_TRUE(res.imageNamed("noSuchImage.tiff").isNull());
    // Every image has something drawn on it, and no two images are the same drawing.
    QSet<QByteArray> seen;
    for (const QString& name : res.imageNames()) {
        const QImage img = res.imageNamed(name).toImage();
        bool painted = false;
        for (int y = 0; y < img.height() && !painted; ++y)
            for (int x = 0; x < img.width() && !painted; ++x)
                painted = qAlpha(img.pixel(x, y)) != 0;
        EXPECT_TRUE(painted) << qPrintable(name);
        const QByteArray bits(reinterpret_cast<const char*>(img.constBits()), img.sizeInBytes());
        EXPECT_FALSE(seen.contains(bits)) << qPrintable(name);
        seen.insert(bits);
    }
}
