// The menus' items as a person meets them in the running program: what each reads and whether it
// is offered, checked as the menus open from the menu bar, the desk and the toolbar; and an item's
// key, typed while its menu is closed, does what the item would do then.

#include "tests/e2e/E2EFixture.h"

#include "app/menu/KELMainMenu.h"
#include "engine/KELICurseur.h"
#include "platform/sound/Sound.h"
#include "ruler/ZEVRulerPresetButton.h"
#include "ruler/ZEVRulerViewbar.h"
#include "ruler/ZEVRulerViewer.h"
#include "ruler/ZEVStampClass.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QTest>

namespace e2e {
namespace {

class MenuStates : public E2EWithSound<RecordingSound> {
protected:
    void TearDown() override
    {
        while (QWidget* popup = QApplication::activePopupWidget())
            popup->close();
        E2EWithSound<RecordingSound>::TearDown();
    }
    // Whether the item of that tag is offered as the menu bar's menu opens; the menu is closed again.
    bool offered(int menuTag, long itemTag)
    {
        QMenu* m = openMenu(menuTag);
        QAction* a = m ? menuItemTagged(m, itemTag) : nullptr;
        const bool on = a && a->isEnabled();
        if (m)
            m->close();
        pump();
        return on;
    }
    // A preset button held until it saves the Now cursor's present.
    void savePreset(int n)
    {
        ZEVRulerPresetButton* b = bar()->presetButtons()[std::size_t(n - 1)];
        QTest::mousePress(b, Qt::LeftButton, {}, b->rect().center());
        advance(1.4);
        QTest::mouseRelease(b, Qt::LeftButton, {}, b->rect().center());
        pump();
    }
    // The Now cursor's past widened by an hour, away from every preset.
    void widenNowsPast()
    {
        ASSERT_TRUE(ruler()->userInitieDeplacementCurseur());
        ruler()->setCurseurEnDeplacement(space()->nowCurseur());
        ruler()->userPlaceContexteIn(-3600);
        ruler()->userTermineDeplacementCurseur();
        pump();
    }
};

TEST_F(MenuStates, APresetsKeyCallsThePresetSavedSinceTheTimeMenuShowedItEmpty)
{
    startWithTheBar();
    EXPECT_FALSE(offered(KELMainMenu::kMenuTime, 2000011)) << "an empty preset is not offered";

    savePreset(3);
    auto* presets = dynamic_cast<ZEVStampClass*>(ruler()->stampClass());
    ASSERT_TRUE(presets && presets->stateOfNowPresetWithStampInt(2000011) == 1);
    KELIContexte* now = space()->nowCurseur()->contexte();
    const double saved = now->offsetIn();
    widenNowsPast();
    ASSERT_NEAR(now->offsetIn(), saved - 3600, 1);

    // Its key, with the menu closed, calls it as the item would.
    window()->activateWindow();
    key(Qt::Key_3, Qt::ControlModifier);
    advance(2.0);
    EXPECT_EQ(sound.beeps, 0);
    EXPECT_NEAR(now->offsetIn(), saved, 0.01) << "the preset was not called";
    EXPECT_TRUE(offered(KELMainMenu::kMenuTime, 2000011));

    // The key of a preset still empty beeps and moves nothing.
    widenNowsPast();
    const double wide = now->offsetIn();
    key(Qt::Key_4, Qt::ControlModifier);
    advance(2.0);
    EXPECT_EQ(sound.beeps, 1);
    EXPECT_NEAR(now->offsetIn(), wide, 0.01);
}

} // namespace
} // namespace e2e
