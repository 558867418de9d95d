#include "platform/files/FileBookmark.h"
#include "platform/files/FileIdentity.h"

#include "engine/runtime/Clock.h"
#include "tests/platform/PlatformFixture.h"

#include <fcntl.h>
#include <sys/stat.h>

using namespace tallomer;
using test::writeFile;

namespace {

QString tempDir() { return test::tempFolder("files"); }

bool move(const QString& from, const QString& to)
{
    QDir().mkpath(QFileInfo(to).absolutePath());
    return ::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
}

} // namespace

TEST(FileIdentity, SurvivesRenameAndMoveAndTellsFilesApart)
{
    const QString dir = tempDir();
    const QString a = writeFile(dir + "/a.txt");
    const QString b = writeFile(dir + "/b.txt");
    const QString uid = fileUid(a);
    ASSERT_FALSE(uid.isEmpty());
    EXPECT_NE(uid, fileUid(b));

    ASSERT_TRUE(move(a, dir + "/renamed.txt"));
    EXPECT_EQ(fileUid(dir + "/renamed.txt"), uid);
    ASSERT_TRUE(move(dir + "/renamed.txt", dir + "/sub/deeper/moved.txt"));
    EXPECT_EQ(fileUid(dir + "/sub/deeper/moved.txt"), uid);

    EXPECT_TRUE(fileUid(a).isEmpty());
    EXPECT_FALSE(fileIdentity(a).has_value());
    EXPECT_TRUE(fileUid(QString()).isEmpty());
}

TEST(FileIdentity, DatesComeFromAccessAndBirthTimes)
{
    const QString path = writeFile(tempDir() + "/dated.txt");
    const timespec times[2] = {{1700000000, 500000000}, {1600000000, 0}}; // access, modification
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0), 0);
    const auto dates = fileDates(path);
    ASSERT_TRUE(dates.has_value());
    EXPECT_DOUBLE_EQ(*dates->lastUsed, dateFromUnix(1700000000.5));
    EXPECT_DOUBLE_EQ(*dates->modified, dateFromUnix(1600000000.0));
    if (dates->created) { // the birth time is the file's real creation, a moment ago
        EXPECT_NEAR(*dates->created, dateFromUnix(double(::time(nullptr))), 120.0);
    }
    EXPECT_FALSE(fileDates(path + ".missing").has_value());
}

TEST(FileBookmark, BytesRoundTripAndDamageIsRejected)
{
    const QString dir = tempDir();
    QDir().mkpath(dir + "/x");
    const QString path = writeFile(dir + "/x/../kept.txt");
    const auto bookmark = FileBookmark::fromPath(path);
    ASSERT_TRUE(bookmark.has_value());
    EXPECT_FALSE(bookmark->path().contains("..")) << "paths are stored clean";
    const auto back = FileBookmark::fromBytes(bookmark->toBytes());
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(back->path(), bookmark->path());
    EXPECT_EQ(back->identity(), bookmark->identity());

    EXPECT_FALSE(FileBookmark::fromPath(path + ".missing").has_value());
    EXPECT_FALSE(FileBookmark::fromBytes(QByteArray()).has_value());
    EXPECT_FALSE(FileBookmark::fromBytes(bookmark->toBytes().left(10)).has_value());
    EXPECT_FALSE(FileBookmark::fromBytes("garbage").has_value());
}

TEST(FileBookmark, ResolvesByPathThenByIdentity)
{
    const QString root = tempDir();
    const QString original = writeFile(root + "/docs/report.txt");
    const auto bookmark = *FileBookmark::fromPath(original);

    auto resolved = resolveBookmark(bookmark, BookmarkSearch{{root}});
    ASSERT_TRUE(resolved.has_value());
    EXPECT_EQ(resolved->path, original);
    EXPECT_FALSE(resolved->stale);

    // Renamed in place: found in the old parent folder.
    ASSERT_TRUE(move(original, root + "/docs/final report.txt"));
    resolved = resolveBookmark(bookmark, BookmarkSearch{});
    ASSERT_TRUE(resolved.has_value());
    EXPECT_EQ(resolved->path, root + "/docs/final report.txt");
    EXPECT_TRUE(resolved->stale);
    EXPECT_EQ(resolved->identity.uid(), bookmark.identity().uid());

    // Moved elsewhere below a search root, the old folder gone.
    ASSERT_TRUE(move(root + "/docs/final report.txt", root + "/archive/2024/report.txt"));
    ASSERT_TRUE(QDir(root + "/docs").removeRecursively());
    resolved = resolveBookmark(bookmark, BookmarkSearch{{root}});
    ASSERT_TRUE(resolved.has_value());
    EXPECT_EQ(resolved->path, root + "/archive/2024/report.txt");
    EXPECT_TRUE(resolved->stale);

    // A file of the same name that is not the same file is no match; a deleted file answers nothing.
    ASSERT_TRUE(QFile::remove(root + "/archive/2024/report.txt"));
    writeFile(root + "/elsewhere/report.txt");
    EXPECT_FALSE(resolveBookmark(bookmark, BookmarkSearch{{root}}).has_value());
}

TEST(FileBookmark, SearchStaysWithinItsLimits)
{
    const QString root = tempDir();
    const QString original = writeFile(root + "/a.txt");
    const auto bookmark = *FileBookmark::fromPath(original);
    const QString outside = tempDir();

    // Hidden folders below a root, folders tagged as caches, and symbolic links are not entered.
    ASSERT_TRUE(move(original, root + "/x/.hidden/a.txt"));
    EXPECT_FALSE(resolveBookmark(bookmark, BookmarkSearch{{root}}).has_value());
    writeFile(root + "/cache/CACHEDIR.TAG", "Signature: 8a477f597d28d172789f06886806bc55");
    ASSERT_TRUE(move(root + "/x/.hidden/a.txt", root + "/cache/a.txt"));
    EXPECT_FALSE(resolveBookmark(bookmark, BookmarkSearch{{root}}).has_value());
    ASSERT_TRUE(move(root + "/cache/a.txt", outside + "/a.txt"));
    ASSERT_TRUE(QFile::link(outside, root + "/link"));
    EXPECT_FALSE(resolveBookmark(bookmark, BookmarkSearch{{root}}).has_value());

    // Depth and entry budgets.
    ASSERT_TRUE(move(outside + "/a.txt", root + "/1/2/3/a.txt"));
    BookmarkSearch search{{root}};
    search.maxDepth = 2;
    EXPECT_FALSE(resolveBookmark(bookmark, search).has_value());
    search.maxDepth = 3;
    EXPECT_TRUE(resolveBookmark(bookmark, search).has_value());
    for (int i = 0; i < 50; ++i)
        writeFile(root + QString("/0/f%1").arg(i));
    search.maxEntries = 20;
    EXPECT_FALSE(resolveBookmark(bookmark, search).has_value());
}

TEST(FileBookmark, FileReplacedAtTheSamePathIsTakenWithItsNewIdentity)
{
    const QString path = writeFile(tempDir() + "/notes.txt", "v1");
    const auto bookmark = *FileBookmark::fromPath(path);
    // Editors save by writing a new file and renaming it over the old name.
    ASSERT_TRUE(move(writeFile(path + ".new", "v2"), path));
    ASSERT_NE(fileUid(path), bookmark.identity().uid());

    const auto resolved = resolveBookmark(bookmark, BookmarkSearch{});
    ASSERT_TRUE(resolved.has_value());
    EXPECT_EQ(resolved->path, path);
    EXPECT_TRUE(resolved->stale);
    EXPECT_EQ(resolved->identity.uid(), fileUid(path));
}
