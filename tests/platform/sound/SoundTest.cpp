// The sound layer plays the sound theme through whichever player is installed, and the shared
// sound can be replaced by a recording sink.

#include "platform/sound/Sound.h"
#include "tests/platform/PlatformFixture.h"

using namespace tallomer;

TEST(Sound, ThePlayerThatExistsPlaysTheThemeSound)
{
    const QString folder = test::tempFolder();
    test::writeFile(folder + "/message.oga");
    test::writeFile(folder + "/bell.oga");
    const struct {
        const char* what;
        QStringList installed;
        bool startFails;
        std::function<void(SystemSound&)> act;
        QStringList expected; // program and arguments of each start
    } rows[] = {
        {"canberra first", {"canberra-gtk-play", "paplay"}, false, [](SystemSound& s) { s.play("Tink"); },
         {"/bin/canberra-gtk-play -i message"}},
        {"paplay with the theme's file", {"paplay"}, false, [](SystemSound& s) { s.beep(); },
         {"/bin/paplay " + folder + "/bell.oga"}},
        {"paplay without a file: nothing started", {"paplay"}, false, [](SystemSound& s) { s.play("Basso"); }, {}},
        {"nothing installed", {}, false, [](SystemSound& s) { s.play("Tink"); }, {}},
        {"canberra failing to start falls to paplay", {"canberra-gtk-play", "paplay"}, true,
         [](SystemSound& s) { s.play("Pop"); },
         {"/bin/canberra-gtk-play -i message", "/bin/paplay " + folder + "/message.oga"}},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.what);
        QStringList started;
        SystemSound sound(
            [&](const QString& program, const QStringList& arguments) {
                started << (QStringList{program} + arguments).join(' ');
                return !(r.startFails && program.endsWith("canberra-gtk-play"));
            },
            [&](const QString& program) { return r.installed.contains(program) ? "/bin/" + program : QString(); },
            {folder + "/missing", folder});
        r.act(sound);
        EXPECT_EQ(started, r.expected);
    }
}

TEST(Sound, NamedSoundsAndTheRecordingSink)
{
    EXPECT_EQ(soundThemeId("Tink"), "message");
    EXPECT_EQ(soundThemeId("Basso"), "dialog-error");
    EXPECT_EQ(soundThemeId("Complete"), "complete");
    EXPECT_TRUE(SystemSound([](auto&&...) { return true; }, [](auto&&) { return QString(); }, {})
                    .soundFileForId("../etc/passwd")
                    .isEmpty());

    RecordingSound sink;
    Sound::setShared(&sink);
    Sound::shared().beep();
    Sound::shared().play("Morse");
    Sound::setShared(nullptr);
    Sound::shared(); // the system's again
    EXPECT_EQ(sink.beeps, 1);
    EXPECT_EQ(sink.played, QStringList{"Morse"});
}
