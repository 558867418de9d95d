// The store's lock: one program per store.

#include "platform/files/StoreLock.h"

#include "tests/platform/PlatformFixture.h"

#include <sys/stat.h>

using namespace tallomer;
using test::tempFolder;

// flock belongs to the open file description: a second open of the same file is refused even in
// this one process, which stands for a second program on the store (the start-up tests hold the
// store against a second start, and let it go with the program).
TEST(StoreLock, ASecondOpenIsBusyWithoutFailingAndTheFileIsPrivate)
{
    const QString file = StoreLock::lockFilePath(tempFolder("store"));
    StoreLock first;
    EXPECT_EQ(first.lock(file), StoreLock::State::Locked);
    EXPECT_EQ(first.lock(file), StoreLock::State::Locked) << "asking again keeps it";
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(file).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    StoreLock second;
    EXPECT_EQ(second.lock(file), StoreLock::State::Busy);
    EXPECT_FALSE(second.isLocked());
    EXPECT_TRUE(second.error().isEmpty()) << "busy is no failure";
    first.release();
    EXPECT_EQ(second.lock(file), StoreLock::State::Locked);
}

TEST(StoreLock, ALockFileThatCannotBeMadeIsAFailureWithItsReason)
{
    const QString notAFolder = test::writeFile(tempFolder("store") + "/file");
    for (const QString& file : {tempFolder("store") + "/missing/.lock", notAFolder + "/.lock"}) {
        SCOPED_TRACE(file.toStdString());
        StoreLock lock;
        EXPECT_EQ(lock.lock(file), StoreLock::State::Failed);
        EXPECT_FALSE(lock.error().isEmpty());
        EXPECT_FALSE(lock.isLocked());
    }
}
