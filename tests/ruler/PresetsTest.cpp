// The presets of the ruler bar as the Space calls them, on the template link base: the Home Time
// preset moves the Now cursor's context and the range, and pressed where Home already is, it brings
// back the home Channel. Saving writes dated values only when they changed; clearing and renaming
// keep the presets' history.

#include "tests/ruler/RulerFixture.h"

#include "engine/KELElements.h"
#include "engine/KELServeurDeLiens.h"
#include "platform/sound/Sound.h"
#include "ruler/ZEVStampClass.h"
#include "runtime/Log.h"

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
    ZEVStampClass& presets() { return *static_cast<ZEVStampClass*>(viewer->stampClass()); }
    KELIContexte* nowContexte() { return now()->contexte(); }
    // The stamp's first link of a relation at the timeline cursor.
    KELI* lien(KELId stamp, KELId relation)
    {
        auto* r = dynamic_cast<KELIElemRelation*>(KELServeurDeLiens::LienForInt(relation, space->tlCurseur()));
        KELI* s = KELServeurDeLiens::LienForInt(stamp, space->tlCurseur());
        const auto* liens = r && s ? r->liensDuParent(s, space->tlCurseur()) : nullptr;
        return liens && !liens->empty() ? liens->front() : nullptr;
    }
    RecordingSound sound;
};

TEST_F(Presets, ANowPresetIsWrittenOnlyWhereItChangedAndFromTheSaveOn)
{
    ScopedLogCapture log;
    const KELId p3 = ZEVSTAMP_PRESET_2 + 1;
    bar->nowButton = true;
    ASSERT_FALSE(presets().siPresetWithStampInt(p3));
    const auto saved = presets().savePresetWithStampInt(p3, false);
    ASSERT_TRUE(saved);
    EXPECT_EQ(saved->imageName, "now.tiff");
    EXPECT_EQ(saved->state, 1);
    EXPECT_EQ(presets().stateOfNowPresetWithStampInt(p3), 1);
    EXPECT_EQ(presets().imageNameWithStampInt(p3), "now.tiff");
    ASSERT_NE(lien(p3, 1000122), nullptr);
    EXPECT_EQ(lien(p3, 1000122)->inDate(), KELDateToujours) << "a first value holds for all time";
    EXPECT_EQ(lien(p3, 1000112)->inDate(), space->tlCurseur()->now()) << "the kind holds from the save on";

    // Nothing changed, or less than a thousandth: nothing written.
    const std::size_t avant = KELServeurDeLiens::LienCount();
    presets().savePresetWithStampInt(p3, false);
    nowContexte()->setOffsetIn(nowContexte()->offsetIn() + 0.0005);
    presets().savePresetWithStampInt(p3, false);
    EXPECT_EQ(KELServeurDeLiens::LienCount(), avant);
    // A change of 0.002 s is, from the save's moment on.
    sched.advance(10);
    const double in = nowContexte()->offsetIn() + 0.002;
    nowContexte()->setOffsetIn(in);
    presets().savePresetWithStampInt(p3, false);
    EXPECT_GT(KELServeurDeLiens::LienCount(), avant);
    KELI* nouveau = lien(p3, 1000122);
    ASSERT_NE(nouveau, nullptr);
    EXPECT_EQ(nouveau->inDate(), space->tlCurseur()->now());
    EXPECT_NEAR(std::get<double>(nouveau->enfant(space->tlCurseur())->base()), in, 1e-9);

    // Called at once where it is: state on, nothing to do.
    EXPECT_FALSE(presets().callPresetWithStampInt(p3, 0.0f));
    EXPECT_EQ(presets().stateOfNowPresetWithStampInt(p3), 1);
    // A wider past and a wider future by the same amount are a change, not none.
    nowContexte()->setOffsetIn(in - 300);
    nowContexte()->setOffsetOut(nowContexte()->offsetOut() + 300);
    EXPECT_EQ(presets().stateOfNowPresetWithStampInt(p3), -1);
    EXPECT_TRUE(presets().callPresetWithStampInt(p3, 0.0f));
    EXPECT_NEAR(nowContexte()->offsetIn(), in, 1e-6);
    EXPECT_EQ(presets().stateOfNowPresetWithStampInt(p3), 1);
    EXPECT_FALSE(log.sink.contains("more ids than it reserved")) << "each save is one whole act";
}

TEST_F(Presets, HomeTimeGoesHomeBeforeItsAnimationAndOnlyAsANowPreset)
{
    take();
    nowContexte()->setOffsetIn(nowContexte()->offsetIn() - 600);
    EXPECT_TRUE(presets().callPresetWithStampInt(ZEVSTAMP_HOME_TIME, 1.5f));
    Trace t = take();
    const auto home = std::find(t.begin(), t.end(), "front userGoHome");
    const auto move = std::find(t.begin(), t.end(), "front initier");
    ASSERT_NE(home, t.end());
    ASSERT_NE(move, t.end());
    EXPECT_LT(home, move);
    EXPECT_NE(std::find(t.begin(), t.end(), "bar light 2000009"), t.end());
    EXPECT_FALSE(viewer->siAccepteDeplacement()) << "the animation runs";
    sched.advance(2.0);
    EXPECT_TRUE(viewer->siAccepteDeplacement());
    EXPECT_EQ(presets().stateOfNowPresetWithStampInt(ZEVSTAMP_HOME_TIME), 1);

    // Saved as a Search preset, Home Time calls without going home.
    bar->searchButton = true;
    viewer->userChangeActifCurseur(search());
    ASSERT_TRUE(presets().savePresetWithStampInt(ZEVSTAMP_HOME_TIME, false));
    take();
    presets().callPresetWithStampInt(ZEVSTAMP_HOME_TIME, 0.0f);
    t = take();
    EXPECT_EQ(count(t, "front userGoHome"), 0u);
    EXPECT_EQ(presets().stateOfSearchPresetWithStampInt(ZEVSTAMP_HOME_TIME), -1) << "never on, also right after its call";
}

TEST_F(Presets, TheFlaggedSaveTakesTheNowMomentAsASearchPresetAndARulerPresetFollowsTheDrift)
{
    const KELId p4 = ZEVSTAMP_PRESET_2 + 2;
    bar->nowButton = true;
    const double m = now()->now();
    const auto saved = presets().savePresetWithStampInt(p4, true);
    ASSERT_TRUE(saved);
    EXPECT_EQ(saved->imageName, "search.tiff");
    EXPECT_EQ(saved->state, 0) << "the button is left off";
    EXPECT_EQ(presets().stateOfSearchPresetWithStampInt(p4), -1);
    EXPECT_EQ(presets().stateOfNowPresetWithStampInt(p4), 0);
    EXPECT_NEAR(std::get<double>(lien(p4, 1000117)->enfant(space->tlCurseur())->base()), m, 1e-6);
    // Called, the Search cursor goes to that moment.
    viewer->userChangeActifCurseur(search());
    presets().callPresetWithStampInt(p4, 0.0f);
    EXPECT_NEAR(search()->now(), m, 0.01);

    // With the Search cursor active, a Ruler preset saved and asked at once is on.
    const KELId p6 = ZEVSTAMP_PRESET_2 + 4;
    bar->nowButton = false;
    bar->rulerButton = true;
    const auto r = presets().savePresetWithStampInt(p6, false);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->imageName, "ruler.pdf");
    EXPECT_EQ(presets().stateOfRulerPresetWithStampInt(p6), 1);
    // No mode: nothing saved.
    bar->rulerButton = false;
    EXPECT_FALSE(presets().savePresetWithStampInt(ZEVSTAMP_PRESET_2 + 5, false));
    EXPECT_FALSE(presets().siPresetWithStampInt(ZEVSTAMP_PRESET_2 + 5));
}

TEST_F(Presets, ClearingGivesPresetsTwoToNineTheirNameBackAndHomeTimeKeepsItsOwn)
{
    ScopedLogCapture log;
    const KELId p5 = ZEVSTAMP_PRESET_5;
    bar->nowButton = true;
    ASSERT_TRUE(presets().savePresetWithStampInt(p5, false));
    sched.advance(5);
    presets().setPresetName("Mine", p5);
    EXPECT_EQ(presets().nameWithStampInt(p5), "Mine");
    sched.advance(5);
    presets().clearPresetWithStampInt(p5);
    EXPECT_EQ(presets().nameWithStampInt(p5), "preset 5");
    EXPECT_FALSE(presets().siPresetWithStampInt(p5));
    EXPECT_EQ(presets().imageNameWithStampInt(p5), "preset_empty.tiff");
    EXPECT_TRUE(presets().callPresetWithStampInt(p5, 0.0f)) << "an empty preset calls as nothing";

    const std::string home = presets().nameWithStampInt(ZEVSTAMP_HOME_TIME);
    presets().clearPresetWithStampInt(ZEVSTAMP_HOME_TIME);
    EXPECT_FALSE(presets().siPresetWithStampInt(ZEVSTAMP_HOME_TIME));
    EXPECT_EQ(presets().nameWithStampInt(ZEVSTAMP_HOME_TIME), home);
    // Saving again at the very moment of the clear: the closed kind never ends before it began.
    presets().savePresetWithStampInt(ZEVSTAMP_HOME_TIME, false);
    KELI* genre = lien(ZEVSTAMP_HOME_TIME, 1000112);
    ASSERT_NE(genre, nullptr);
    EXPECT_LE(genre->inDate(), genre->outDate());
    EXPECT_FALSE(log.sink.contains("more ids than it reserved"));
}

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
