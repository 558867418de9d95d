#include "tests/app/AppFixture.h"

using namespace apptest;

namespace {

struct Folders {
    QString support = q(test::makeTempDir("support"));
    QString home = q(test::makeTempDir("home"));
    KELStoreLayout layout{support, home};
};

} // namespace

TEST(StoreLayout, FoldersLieUnderTheDataHomeAndTheHome)
{
    const KELStoreLayout l("/d/share/", "/h");
    EXPECT_EQ(l.zevDir, "/d/share/Tallomer");
    EXPECT_EQ(l.zevBase, "/d/share/Tallomer/zev.sqlite");
    EXPECT_EQ(l.channelDrop(), "/d/share/Tallomer/local/zevDrop/2000018");
    EXPECT_EQ(l.channelData(), "/d/share/Tallomer/local/zevData/2000018");
    EXPECT_EQ(l.zevFolder, "/h/Tallomer/");
    EXPECT_EQ(l.wallpaper("zevWallpaperNo"), "/d/share/Tallomer/zevWallpaperNo.pdf");
    // The user's own folders by default.
    EXPECT_EQ(KELStoreLayout::standard().zevDir, QString::fromLocal8Bit(qgetenv("XDG_DATA_HOME")) + "/Tallomer");
}

TEST(StoreLayout, MigrationMovesBothOldFoldersIntoTheHomeChannel)
{
    Folders f;
    ASSERT_TRUE(writeFile(f.layout.oldDrop() + "/42/picture.tiff", "tiff"));
    ASSERT_TRUE(writeFile(f.layout.oldDrop() + "/.hidden", "h"));
    ASSERT_TRUE(writeFile(f.layout.oldData() + "/42.file", "record"));
    ASSERT_TRUE(writeFile(f.layout.oldData() + "/43.http", "record"));
    std::vector<QString> transitioned;
    const ScopedLogCapture log;
    EXPECT_EQ(store::migrateOldLayout(f.layout, [&](const QString& p) { transitioned.push_back(p); }),
              store::Migration::Done);
    EXPECT_EQ(readFile(f.layout.channelDrop() + "/42/picture.tiff"), "tiff");
    EXPECT_EQ(readFile(f.layout.channelDrop() + "/.hidden"), "h");
    EXPECT_EQ(readFile(f.layout.channelData() + "/42.file"), "record");
    EXPECT_EQ(readFile(f.layout.channelData() + "/43.http"), "record");
    EXPECT_FALSE(QFileInfo::exists(f.layout.oldDrop()));
    EXPECT_FALSE(QFileInfo::exists(f.layout.oldData()));
    // Only records are rewritten, each once, at its new place.
    std::sort(transitioned.begin(), transitioned.end());
    EXPECT_EQ(transitioned, (std::vector<QString>{f.layout.channelData() + "/42.file", f.layout.channelData() + "/43.http"}));
}

TEST(StoreLayout, AMigrationThatCannotFinishOverwritesNothingAndLosesNothing)
{
    Folders f;
    // The Channel folder already holds a record of that name: moving would destroy it.
    ASSERT_TRUE(writeFile(f.layout.channelData() + "/42.file", "newer"));
    ASSERT_TRUE(writeFile(f.layout.oldData() + "/42.file", "older"));
    ASSERT_TRUE(writeFile(f.layout.oldData() + "/44.file", "moves"));
    const ScopedLogCapture log;
    int transitions = 0;
    EXPECT_EQ(store::migrateOldLayout(f.layout, [&](const QString&) { ++transitions; }),
              store::Migration::LeftoverAlert);
    EXPECT_EQ(readFile(f.layout.channelData() + "/42.file"), "newer");
    EXPECT_EQ(readFile(f.layout.oldData() + "/42.file"), "older");
    EXPECT_EQ(readFile(f.layout.channelData() + "/44.file"), "moves");
    EXPECT_EQ(transitions, 1);
    EXPECT_TRUE(log.sink.contains("Move to Application Support/Tallomer/local/zevData/2000018 folder ERROR: File exists"));
    EXPECT_FALSE(log.sink.contains("Deleting"));

    // Without a Channel folder to move into, the migration stops and the old folder stays whole.
    Folders g;
    ASSERT_TRUE(writeFile(g.layout.oldDrop() + "/a", "a"));
    ASSERT_TRUE(writeFile(g.layout.zevDrop, "a file where the folder goes"));
    EXPECT_EQ(store::migrateOldLayout(g.layout, {}), store::Migration::Stop);
    EXPECT_TRUE(log.sink.contains("Creating Application Support/Tallomer/local/zevDrop/2000018 folder ERROR: "));
    EXPECT_EQ(readFile(g.layout.oldDrop() + "/a"), "a");
}

TEST(StoreLayout, EachFolderThatCannotBeMadeStopsWithItsOwnText)
{
    const struct {
        QString (*where)(const KELStoreLayout&);
        const char* text;
    } cases[] = {
        {[](const KELStoreLayout& l) { return l.zevDrop; }, "Creating Application Support/Tallomer/local/zevDrop/ folder ERROR: "},
        {[](const KELStoreLayout& l) { return l.zevData; }, "Creating Application Support/Tallomer/local/zevData/ folder ERROR: "},
        {[](const KELStoreLayout& l) { return l.channelDrop(); }, "Creating Application Support/Tallomer/local/zevDrop/2000018 folder ERROR: "},
        {[](const KELStoreLayout& l) { return l.channelData(); }, "Creating Application Support/Tallomer/local/zevData/2000018 folder ERROR: "},
    };
    for (const auto& c : cases) {
        Folders f;
        // A file where a folder must go fails whoever runs the test (root included).
        ASSERT_TRUE(writeFile(c.where(f.layout), "x"));
        const ScopedLogCapture log;
        EXPECT_FALSE(store::makeDataFolders(f.layout)) << c.text;
        EXPECT_TRUE(log.sink.contains(c.text)) << c.text;
        EXPECT_EQ(log.sink.lines.size(), 1u);
    }
}

TEST(StoreLayout, TheStoreFolderAndTheTemplateCopy)
{
    Folders f;
    ASSERT_TRUE(writeFile(f.layout.zevDir, "x"));
    {
        const ScopedLogCapture log;
        EXPECT_FALSE(store::makeStoreFolder(f.layout));
        ASSERT_EQ(log.sink.lines.size(), 1u);
        EXPECT_NE(log.sink.lines[0].find(f.layout.zevDir.toStdString()), std::string::npos);
    }

    Folders g;
    ASSERT_TRUE(store::makeStoreFolder(g.layout));
    const QString source = g.support + "/template.sqlite";
    ASSERT_TRUE(writeFile(source, "template"));
    {
        const ScopedLogCapture log;
        EXPECT_FALSE(store::copyTemplateIfMissing(g.layout, g.support + "/missing.sqlite"));
        EXPECT_EQ(log.sink.lines.size(), 1u);
        EXPECT_FALSE(QFileInfo::exists(g.layout.zevBase)) << "no half copy is left behind";
    }
    EXPECT_TRUE(store::copyTemplateIfMissing(g.layout, source));
    EXPECT_EQ(readFile(g.layout.zevBase), "template");
    ASSERT_TRUE(writeFile(g.layout.zevBase, "the user's links"));
    EXPECT_TRUE(store::copyTemplateIfMissing(g.layout, source));
    EXPECT_EQ(readFile(g.layout.zevBase), "the user's links");
    EXPECT_TRUE(QDir(g.layout.zevDir).entryList({"*.copying"}, QDir::Files | QDir::Hidden).isEmpty());
}

TEST(StoreLayout, WallpapersAreCopiedOnlyWhenMissingAndFailuresGoOn)
{
    Folders f;
    ASSERT_TRUE(store::makeStoreFolder(f.layout));
    QMap<QString, QString> sources;
    for (const QString& n : store::wallpaperNames()) {
        sources[n] = f.support + "/src/" + n + ".pdf";
        ASSERT_TRUE(writeFile(sources[n], n.toUtf8()));
    }
    sources.remove("zevWallpaperNew"); // the program may lack one: it is skipped
    auto sourceFor = [&](const QString& n) { return sources.value(n); };

    EXPECT_EQ(store::copyMissingWallpapers(f.layout, sourceFor), 3);
    EXPECT_FALSE(QFileInfo::exists(f.layout.wallpaper("zevWallpaperNew")));
    ASSERT_TRUE(writeFile(f.layout.wallpaper("zevWallpaperGrey"), "the user's own"));
    QFile::remove(f.layout.wallpaper("zevWallpaperBlue"));
    EXPECT_EQ(store::copyMissingWallpapers(f.layout, sourceFor), 1);
    EXPECT_EQ(readFile(f.layout.wallpaper("zevWallpaperGrey")), "the user's own");
    EXPECT_EQ(readFile(f.layout.wallpaper("zevWallpaperBlue")), "zevWallpaperBlue");

    // A store folder that is no folder: every copy fails with its three lines.
    Folders broken;
    ASSERT_TRUE(writeFile(broken.layout.zevDir, "x"));
    const ScopedLogCapture log;
    EXPECT_EQ(store::copyMissingWallpapers(broken.layout, sourceFor), 0);
    ASSERT_EQ(log.sink.lines.size(), 9u);
    EXPECT_EQ(log.sink.lines[1], "Error when copying zevWallpaperGrey: " + sources["zevWallpaperGrey"].toStdString());
    EXPECT_EQ(log.sink.lines[7], "  Error when copying zevWallpaperNo: " + sources["zevWallpaperNo"].toStdString());
}

TEST(StoreLayout, TheUserFolderIsPrivateWhenMadeAndLeftAloneOtherwise)
{
    Folders f;
    const mode_t old = ::umask(0);
    const store::UserFolder made = store::makeUserFolder(f.layout);
    ::umask(old);
    EXPECT_EQ(made, store::UserFolder::Created);
    EXPECT_EQ(modeOf(f.home + "/Tallomer"), 0700u);

    ASSERT_EQ(::chmod(QFile::encodeName(f.home + "/Tallomer").constData(), 0755), 0);
    EXPECT_EQ(store::makeUserFolder(f.layout), store::UserFolder::Existing);
    EXPECT_EQ(modeOf(f.home + "/Tallomer"), 0755u);

    Folders g;
    ASSERT_TRUE(writeFile(g.home + "/Tallomer", "a file"));
    const ScopedLogCapture log;
    EXPECT_EQ(store::makeUserFolder(g.layout), store::UserFolder::Failed);
    EXPECT_TRUE(log.sink.contains("Creating folder NSHomeDirectory/Tallomer/ ERROR: "));
}
