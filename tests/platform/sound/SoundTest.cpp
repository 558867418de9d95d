// The sound layer plays the sound theme through whichever player is installed.

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

TEST(Sound, ASoundNameNeverLeadsOutOfTheThemeFolders)
{
    const QString folder = test::tempFolder();
    test::writeFile(folder + "/outside.oga");
    QDir().mkpath(folder + "/theme");
    const SystemSound sound([](auto&&...) { return true; }, [](auto&&) { return QString(); }, {folder + "/theme"});
    EXPECT_TRUE(sound.soundFileForId("../outside").isEmpty());
}
