// Where the program's own files are found.

#include "platform/files/ResourceFolder.h"

#include "tests/platform/PlatformFixture.h"

using namespace tallomer;
using test::tempFolder;

// The binary's own folder decides, so the build tree and an installed copy (moved or not) find
// their files; the configured prefix is the last resort.
TEST(ResourceFolder, FoundFromTheBinaryFirstThenInTheConfiguredPrefix)
{
    const QString prefix = tempFolder("prefix"), installed = tempFolder("installed") + "/share/tallomer";
    const QString bin = prefix + "/bin", share = prefix + "/share/tallomer";
    QDir().mkpath(bin);
    const struct {
        bool shareExists, installedExists;
        QString expected;
    } cases[] = {
        {true, true, share},
        {true, false, share},
        {false, true, installed},
        {false, false, share}, // nothing there: the place a build would use, for the error texts
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expected.toStdString());
        QDir(prefix + "/share").removeRecursively();
        QDir(installed).removeRecursively();
        if (c.shareExists)
            QDir().mkpath(share);
        if (c.installedExists)
            QDir().mkpath(installed);
        EXPECT_EQ(resourcefolder::find(bin, installed), c.expected);
        EXPECT_EQ(resourcefolder::find(bin + "/../bin/", installed), c.expected) << "any spelling of the folder";
    }
    QStringList all = resourcefolder::candidates(bin, installed);
    EXPECT_EQ(all.first(), share);
    EXPECT_EQ(all.last(), installed);
    EXPECT_EQ(all.removeDuplicates(), 0);
}

TEST(ResourceFolder, TheConfiguredPrefixIsNoBuildFolder)
{
    const QString built = QDir::cleanPath(QString::fromStdString(test::buildDir()));
    const QString installed = resourcefolder::installedDataDir();
    EXPECT_TRUE(QDir::isAbsolutePath(installed));
    EXPECT_TRUE(installed.endsWith("/share/tallomer") || installed.endsWith("/tallomer")) << installed.toStdString();
    EXPECT_FALSE(installed.startsWith(built + "/")) << installed.toStdString();
}
