// The drop folder's watch: one scan a second after the first change of a burst, on the virtual
// clock, and a watch that survives its folder being removed and made again.

#include "platform/files/DirectoryWatch.h"

#include "tests/platform/PlatformFixture.h"

#include <QDir>

#include <map>

using namespace tallomer;

namespace {

class WatchTest : public ::testing::Test {
protected:
    void SetUp() override { Scheduler::setShared(&sched); }
    void TearDown() override { Scheduler::setShared(nullptr); }
    ManualScheduler sched{500.0};
};

class CountingWatch final : public DirectoryWatch {
public:
    using DirectoryWatch::DirectoryWatch;
    bool renew() override { return true; }
};

TEST_F(WatchTest, ABurstIsScannedOnceASecondAfterItsFirstChangeHoweverLongItLasts)
{
    CountingWatch watch(QStringLiteral("/nowhere/"));
    EXPECT_EQ(watch.path(), "/nowhere");
    std::vector<double> scans;
    watch.onScan = [&] { scans.push_back(sched.now()); };
    // Changes every 0.4 s for 2 s: a scan at 1.0 s after the first, and one after the next.
    for (int i = 0; i < 5; ++i) {
        watch.noteChange();
        sched.advance(0.4);
    }
    sched.advance(5);
    ASSERT_EQ(scans.size(), 2u);
    EXPECT_NEAR(scans[0], 501.0, 1e-9);
    EXPECT_NEAR(scans[1], 502.2, 1e-9);
    // A scan made meanwhile by someone else takes the pending one's place.
    watch.noteChange();
    EXPECT_TRUE(watch.siScanPending());
    watch.cancelPendingScan();
    sched.advance(5);
    EXPECT_EQ(scans.size(), 2u);
}

TEST_F(WatchTest, TheInotifyWatchHearsTheFolderAndIsRenewedWhenTheFolderIsMadeAgain)
{
    const QString folder = test::tempFolder("watched") + "/Tallomer";
    InotifyDirectoryWatch watch(folder);
    int scans = 0;
    watch.onScan = [&] { ++scans; };
    EXPECT_FALSE(watch.renew()) << "there is no folder yet";
    ASSERT_TRUE(QDir().mkpath(folder));
    ASSERT_TRUE(watch.renew());
    EXPECT_TRUE(watch.renew()) << "a second renewal of the same folder";

    test::writeFile(folder + "/one.txt");
    ASSERT_TRUE(test::turnUntil([&] { return watch.siScanPending(); }));
    sched.advance(0.99);
    EXPECT_EQ(scans, 0);
    sched.advance(0.02);
    EXPECT_EQ(scans, 1);

    // Removed and made again: the old watch is gone with the old folder.
    ASSERT_TRUE(QDir(folder).removeRecursively());
    ASSERT_TRUE(QDir().mkpath(folder));
    for (int i = 0; i < 50; ++i)
        QCoreApplication::processEvents();
    sched.advance(2);
    scans = 0;
    ASSERT_TRUE(watch.renew());
    test::writeFile(folder + "/two.txt");
    ASSERT_TRUE(test::turnUntil([&] { return watch.siScanPending(); })) << "the new folder is not watched";
    sched.advance(1.0);
    EXPECT_EQ(scans, 1);
}

TEST(FolderListing, HiddenEntriesAreLeftOutAndAMissingFolderIsAnError)
{
    const QString folder = test::tempFolder("listing");
    for (const char* name : {"a.txt", ".hidden", "b", ".part.download"})
        test::writeFile(folder + "/" + name);
    QDir().mkpath(folder + "/sub");
    QStringList names;
    ASSERT_TRUE(forEachFolderEntry(folder, [&](const char* name, const std::optional<FileIdentity>& identity) {
        names << QFile::decodeName(name);
        ASSERT_TRUE(identity) << name;
        EXPECT_EQ(identity->uid(), fileUid(folder + "/" + names.last())) << "the same identity as by path";
    }));
    names.sort();
    EXPECT_EQ(names, (QStringList{"a.txt", "b", "sub"}));
    QString error;
    EXPECT_FALSE(forEachFolderEntry(folder + "/none", [](const char*, const auto&) { ADD_FAILURE(); }, &error));
    EXPECT_FALSE(error.isEmpty());
}

TEST(FolderListing, ALargeFolderExaminedBySeveralThreadsGivesEachEntryOnceWithItsOwnIdentity)
{
    const QString folder = test::tempFolder("large");
    constexpr int kCount = 2100;
    for (int i = 0; i < kCount; ++i)
        test::writeFile(folder + QStringLiteral("/entry %1").arg(i));
    std::map<QString, QString> seen; // name -> uid
    ASSERT_TRUE(forEachFolderEntry(folder, [&](const char* name, const std::optional<FileIdentity>& identity) {
        ASSERT_TRUE(identity) << name;
        EXPECT_TRUE(seen.emplace(QFile::decodeName(name), identity->uid()).second) << "twice: " << name;
    }));
    ASSERT_EQ(seen.size(), std::size_t(kCount));
    for (const auto& [name, uid] : seen)
        ASSERT_EQ(uid, fileUid(folder + "/" + name)) << name.toStdString();
}

} // namespace
