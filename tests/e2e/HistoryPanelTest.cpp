// The history's panel in the running program, reached from the History menu with the mouse: each
// step back previews an older place, and Cancel returns to where the stroll began (Select keeps
// the place shown), however the History menu that started it closed around the panel; closing
// the panel's window is a Cancel. A Space's name shows in the History menu as it was typed.

#include "tests/e2e/E2EFixture.h"

#include "app/menu/KELMainMenu.h"
#include "app/space/ZEVSpaceAdapter.h"
#include "engine/KELICurseur.h"
#include "inspectors/channels/ZEVChannelModifyPanel.h"
#include "inspectors/channels/ZEVChannelViewer.h"
#include "ruler/ZEVMarkHistoryViewer.h"
#include "ruler/ZEVMarkScannPanel.h"
#include "ruler/ZEVRulerPresetButton.h"
#include "ruler/ZEVRulerViewbar.h"
#include "ruler/ZEVRulerViewer.h"

#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>

namespace e2e {
namespace {

class HistoryPanel : public E2EWithSound<RecordingSound> {
protected:
    // The visible range, from the Now cursor's moment, which runs with the clock.
    struct Range {
        double in = 0, out = 0;
    };
    Range range() const
    {
        const double t = space()->nowCurseur()->now();
        return {space()->tlContexte()->nowIn() - t, space()->tlContexte()->nowOut() - t};
    }
    static void expectRange(const Range& r, const Range& expected, const char* what)
    {
        EXPECT_NEAR(r.in, expected.in, 1) << what;
        EXPECT_NEAR(r.out, expected.out, 1) << what;
    }

    ZEVRulerPresetButton* preset(int n) const { return bar()->presetButtons()[std::size_t(n - 1)]; }
    // A press held on a preset button for that long on the virtual clock.
    void hold(ZEVRulerPresetButton* b, double seconds)
    {
        QTest::mousePress(b, Qt::LeftButton, {}, b->rect().center());
        advance(seconds);
        QTest::mouseRelease(b, Qt::LeftButton, {}, b->rect().center());
        pump();
    }

    // History ▸ Back chosen with the mouse; `inPanel` runs once the history's panel runs modally,
    // and must end it. False when the panel never showed.
    bool backIntoThePanel(const std::function<void(ZEVMarkScannPanel*)>& inPanel)
    {
        QMenu* m = openMenu(KELMainMenu::kMenuHistory);
        if (!m)
            return false;
        QAction* back = nullptr;
        for (QAction* a : m->actions())
            if (a->text().remove('&') == QStringLiteral("Back"))
                back = a;
        if (!back || !back->isEnabled()) {
            ADD_FAILURE() << "no History ▸ Back to choose";
            return false;
        }
        bool shown = false;
        // Looked for at every turn of the loop, which the panel's own loop runs.
        QTimer watch;
        watch.setInterval(0);
        QObject::connect(&watch, &QTimer::timeout, [&] {
            auto* panel = qobject_cast<ZEVMarkScannPanel*>(QApplication::activeModalWidget());
            if (!panel)
                return;
            watch.stop();
            shown = true;
            inPanel(panel);
        });
        watch.start();
        const QPoint p = m->actionGeometry(back).center();
        QTest::mouseMove(m, p);
        QTest::mouseClick(m, Qt::LeftButton, {}, p);
        pump();
        watch.stop();
        return shown;
    }
    // Preset 2 holds the range of the start; the week comes from the Time menu, then the preset
    // brings the start's range back: two places the history keeps. Answers the two ranges.
    std::pair<Range, Range> startAndWeek()
    {
        hold(preset(2), 1.8);
        const Range start = range();
        chooseMenuItemTitled(KELMainMenu::kMenuTime, QStringLiteral("Zoom Now to This Week"));
        advance(2);
        const Range week = range();
        EXPECT_GT(week.out - week.in, 3 * 86400.0);
        hold(preset(2), 0.1);
        advance(2);
        expectRange(range(), start, "preset 2 called");
        EXPECT_GE(space()->markHistoryViewer()->markObjects().size(), 2u);
        return {start, week};
    }
    void press(ZEVMarkScannPanel* panel, const char* name)
    {
        auto* b = panel->findChild<QPushButton*>(QLatin1String(name));
        ASSERT_NE(b, nullptr) << name;
        QTest::mouseClick(b, Qt::LeftButton);
    }
};

TEST_F(HistoryPanel, CancelReturnsToThePlaceTheStrollBeganAndSelectKeepsThePlaceShown)
{
    startWithTheBar();
    const std::pair<Range, Range> places = startAndWeek();
    const Range start = places.first, week = places.second;
    ASSERT_FALSE(HasFailure());
    const QString here = space()->markHistoryViewer()->markObjects().front()->zevpString();

    // Back shows the week; Cancel goes back to preset 2's range.
    bool previewed = false;
    EXPECT_TRUE(backIntoThePanel([&](ZEVMarkScannPanel* panel) {
        advance(0.5);
        expectRange(range(), week, "the older place previewed");
        previewed = true;
        press(panel, "CancelButton");
    }));
    EXPECT_TRUE(previewed);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    advance(0.5);
    expectRange(range(), start, "Cancel returns to where the stroll began");
    EXPECT_TRUE(space()->initialZevpString().isEmpty()) << "the stroll is over";
    EXPECT_EQ(dynamic_cast<ZEVMarkHistoryViewer*>(space()->markHistoryViewer())->scannIndex(), 0);
    EXPECT_EQ(space()->markHistoryViewer()->markObjects().front()->zevpString(), here)
        << "the place the stroll began is still the current one";

    // Select keeps the week, which becomes the current place.
    EXPECT_TRUE(backIntoThePanel([&](ZEVMarkScannPanel* panel) {
        advance(0.5);
        press(panel, "SelectButton");
    }));
    advance(0.5);
    expectRange(range(), week, "Select keeps the place shown");
    EXPECT_NE(space()->markHistoryViewer()->markObjects().front()->zevpString(), here);
    EXPECT_TRUE(ruler()->siAccepteDeplacement());
}

TEST_F(HistoryPanel, ClosingThePanelsWindowReturnsToThePlaceTheStrollBeganAsCancelDoes)
{
    startWithTheBar();
    const std::pair<Range, Range> places = startAndWeek();
    const Range start = places.first, week = places.second;
    ASSERT_FALSE(HasFailure());
    const QString here = space()->markHistoryViewer()->markObjects().front()->zevpString();
    EXPECT_TRUE(backIntoThePanel([&](ZEVMarkScannPanel* panel) {
        advance(0.5);
        expectRange(range(), week, "the older place previewed");
        // The window manager's close button.
        panel->close();
    }));
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    advance(0.5);
    expectRange(range(), start, "the close returns to where the stroll began");
    EXPECT_TRUE(space()->initialZevpString().isEmpty()) << "the stroll is over";
    EXPECT_EQ(space()->markHistoryViewer()->markObjects().front()->zevpString(), here);
}

// A Space named with what looks like a placeholder keeps it in the History menu: the count of
// selected icons went into the name's "%2" and the name lost its own.
TEST_F(HistoryPanel, ASpaceNameHoldingAPercentSignShowsWholeInTheHistoryMenu)
{
    start();
    chooseMenuItemTitled(KELMainMenu::kMenuSpaces, QStringLiteral("Rename Space\u2026"));
    advance(1.0);
    auto* channels = dynamic_cast<ZEVChannelViewer*>(space()->channelViewer());
    ZEVChannelModifyPanel* p = channels ? channels->modifyPanel() : nullptr;
    ASSERT_TRUE(p && p->isVisible());
    p->spaceField()->setFocus(Qt::OtherFocusReason);
    QTest::keyClick(p->spaceField(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(p->spaceField(), QStringLiteral("Plan %2 of %1"));
    click(p->okButton());
    advance(1.0);
    ASSERT_FALSE(p->isVisible());

    addHomeFiles({QStringLiteral("one.txt"), QStringLiteral("two.txt")});
    const std::vector<KELI*> two = itemsTitled({QStringLiteral("one.txt"), QStringLiteral("two.txt")});
    ASSERT_EQ(two.size(), 2u);
    space()->selections().selectIconForItemSet(two, nullptr);
    // The end of a cursor's move records the place, with the two icons; a second place after it
    // puts that one in the menu.
    ZEVRulerViewerServices* r = space()->rulerViewer();
    for (double by : {-3600.0, 3600.0}) {
        ASSERT_TRUE(r->userInitieDeplacementCurseur());
        r->userPlaceCurseurEtRulerOffset(by);
        r->userTermineDeplacementCurseur();
        advance(1.0);
        space()->selections().deselectAllIcons();
    }
    QMenu* m = openMenu(KELMainMenu::kMenuHistory);
    ASSERT_NE(m, nullptr);
    QStringList texts;
    for (QAction* a : m->actions())
        texts << a->text();
    m->close();
    EXPECT_TRUE(texts.filter(QStringLiteral("Plan %2 of %1 - 2 Icons")).size() == 1) << texts.join(" / ").toStdString();
}

} // namespace
} // namespace e2e
