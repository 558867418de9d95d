// The presets of the ruler bar as the Space calls them, on the template link base: the Home Time
// preset moves the Now cursor's context and the range, and pressed where Home already is, it brings
// back the home Channel.

#include "tests/ruler/RulerFixture.h"

#include "platform/sound/Sound.h"

#include <algorithm>

namespace rulertest {
namespace {

class Presets : public Ruler {
protected:
    void SetUp() override
    {
        Sound::setShared(&sound);
        Ruler::SetUp();
    }
    void TearDown() override
    {
        Ruler::TearDown();
        Sound::setShared(nullptr);
    }
    RecordingSound sound;
};

TEST_F(Presets, PresetsMoveTheirCursorAndHomeAtHomeBringsTheHomeChannel)
{
    // The template's Home Time is a Now preset.
    ZEVStampServices* presets = viewer->stampClass();
    ASSERT_NE(presets, nullptr);
    ASSERT_NE(presets->stateOfNowPresetWithStampInt(ZEVSTAMP_HOME_TIME), 0);
    EXPECT_EQ(presets->stateOfSearchPresetWithStampInt(ZEVSTAMP_HOME_TIME), 0);
    EXPECT_EQ(presets->stateOfNowPresetWithStampInt(ZEVSTAMP_PRESET_5), 0) << "an empty preset is of no kind";

    // From the Search desk: back to the Now cursor, the Channel stays.
    viewer->userChangeActifCurseur(space->searchCurseur());
    take();
    space->userChangePresetWithStampInt(ZEVSTAMP_HOME_TIME);
    EXPECT_EQ(space->actifCurseur(), space->nowCurseur());
    EXPECT_EQ(presets->stateOfNowPresetWithStampInt(ZEVSTAMP_HOME_TIME), 1);
    Trace t = take();
    EXPECT_EQ(std::count(t.begin(), t.end(), "channels selectInt 2000018"), 0);
    EXPECT_EQ(nowView->clickPosition, 4);
    EXPECT_EQ(bar->clickPosition, 4);
    EXPECT_NE(std::find(t.begin(), t.end(), "bar preset 2000009 0.7"), t.end());

    // At Home already: nothing moves, the home Channel comes back.
    space->userChangePresetWithStampInt(ZEVSTAMP_HOME_TIME);
    t = take();
    EXPECT_EQ(std::count(t.begin(), t.end(), "channels selectInt 2000018"), 1);

    // A preset of no kind beeps; one called while the ruler moves is let go.
    space->userChangePresetWithStampInt(ZEVSTAMP_PRESET_5);
    EXPECT_EQ(sound.beeps, 1);
    ASSERT_TRUE(viewer->userInitieDeplacementCurseur());
    viewer->userChangeActifCurseur(space->searchCurseur());
    space->userChangePresetWithStampInt(ZEVSTAMP_HOME_TIME);
    EXPECT_EQ(space->actifCurseur(), space->searchCurseur());
    viewer->userTermineDeplacementCurseur();
    EXPECT_EQ(sound.beeps, 1);
}

} // namespace
} // namespace rulertest
