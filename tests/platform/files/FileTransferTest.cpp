// Moves and copies into a folder on this and on other file systems: whole, verified, never over
// anything, nothing partial under a final name, and the source kept until the caller lets it go.

#include "platform/files/FileTransfer.h"

#include "tests/platform/files/SecondFileSystemMounted.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using namespace tallomer;
using test::kSecondFileSystem;

QByteArray checksum(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    QCryptographicHash h(QCryptographicHash::Sha256);
    h.addData(&f);
    return h.result();
}

QStringList entries(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

class FileTransfer : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(here.isValid());
        if (kSecondFileSystem) {
            there = QDir(test::SecondFileSystem::big()).filePath(QString::number(QRandomGenerator::global()->generate()));
            QDir().mkpath(there);
        }
    }
    void TearDown() override
    {
        if (!there.isEmpty())
            QDir(there).removeRecursively();
    }
    QString make(const QString& path, qint64 size, char fill = 0)
    {
        QDir().mkpath(QFileInfo(path).path());
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        QByteArray block(64 * 1024, fill);
        for (qint64 done = 0; done < size; done += block.size()) {
            if (!fill)
                for (int i = 0; i < block.size(); i += 8)
                    block[i] = char(QRandomGenerator::global()->generate());
            f.write(block.constData(), std::min<qint64>(block.size(), size - done));
        }
        return path;
    }
    TransferOutcome go(const QString& source, const QString& folder, bool move, const RenameFn& rename = systemRename())
    {
        return transferNoReplace(source, QDir(folder).filePath(QFileInfo(source).fileName()), transferTempPath(folder),
                                 move, nullptr, rename);
    }
    QTemporaryDir here;
    QString there;
};

#define NEED_SECOND_FILE_SYSTEM()                                                                                     \
    if (!kSecondFileSystem)                                                                                           \
    GTEST_SKIP() << test::SecondFileSystem::why().toStdString()

TEST_F(FileTransfer, AMoveWithinOneFileSystemIsARenameAndATakenNameIsAFailure)
{
    const QString src = make(here.filePath("a/doc.txt"), 1000);
    const QByteArray sum = checksum(src);
    QDir().mkpath(here.filePath("b"));
    auto r = go(src, here.filePath("b"), true);
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    EXPECT_FALSE(r.sourceLeft);
    EXPECT_EQ(checksum(here.filePath("b/doc.txt")), sum);
    EXPECT_FALSE(QFileInfo::exists(src));

    // The name taken meanwhile: nothing replaced, by a move or a copy.
    const QString other = make(here.filePath("c/doc.txt"), 10, 'o');
    for (bool move : {true, false}) {
        r = go(other, here.filePath("b"), move);
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(checksum(here.filePath("b/doc.txt")), sum);
        EXPECT_TRUE(QFileInfo::exists(other));
        EXPECT_EQ(entries(here.filePath("b")), QStringList{"doc.txt"}) << "no temporary left";
    }
}

TEST_F(FileTransfer, AFolderOnAFileSystemWithoutTheNoReplaceRenameGoesByCopyWithItsLinks)
{
    make(here.filePath("src/pics/one.png"), 5000);
    make(here.filePath("src/pics/deep/two.png"), 7000);
    ASSERT_TRUE(QFile::link("one.png", here.filePath("src/pics/alias")));
    const QByteArray sum = checksum(here.filePath("src/pics/deep/two.png"));
    QDir().mkpath(here.filePath("dst"));
    const RenameFn noFlag = [](const QByteArray& from, const QByteArray& to, unsigned flags) {
        if (flags == RENAME_NOREPLACE && QFileInfo(QFile::decodeName(from)).isDir() &&
            !isTransferTempName(QFileInfo(QFile::decodeName(from)).fileName())) {
            errno = EINVAL;
            return -1;
        }
        return systemRename()(from, to, flags);
    };
    const auto r = go(here.filePath("src/pics"), here.filePath("dst"), true, noFlag);
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    EXPECT_TRUE(r.sourceLeft) << "the source stays until its record names the copy";
    EXPECT_EQ(checksum(here.filePath("dst/pics/deep/two.png")), sum);
    EXPECT_EQ(QFileInfo(here.filePath("dst/pics/alias")).symLinkTarget(), here.filePath("dst/pics/one.png"));
    EXPECT_TRUE(removeTransferredSource(here.filePath("src/pics")).ok);
    EXPECT_FALSE(QFileInfo::exists(here.filePath("src/pics")));
    EXPECT_EQ(entries(here.filePath("dst")), QStringList{"pics"});
}

TEST_F(FileTransfer, FifosAndFoldersIntoThemselvesAreRefused)
{
    ASSERT_EQ(::mkfifo(QFile::encodeName(here.filePath("pipe")).constData(), 0600), 0);
    QDir().mkpath(here.filePath("dst"));
    EXPECT_FALSE(go(here.filePath("pipe"), here.filePath("dst"), false).ok);
    make(here.filePath("top/sub/f"), 3);
    EXPECT_FALSE(go(here.filePath("top"), here.filePath("top/sub"), false).ok);
    EXPECT_FALSE(go(here.filePath("top"), here.filePath("top/sub"), true).ok);
    EXPECT_TRUE(entries(here.filePath("dst")).isEmpty());
    EXPECT_EQ(entries(here.filePath("top/sub")), QStringList{"f"});
    EXPECT_FALSE(go(here.filePath("vanished"), here.filePath("dst"), true).ok);
}

TEST_F(FileTransfer, AMoveToAnotherFileSystemKeepsTheSourceUntilToldAndCopiesTheModificationTime)
{
    NEED_SECOND_FILE_SYSTEM();
    const QString src = make(here.filePath("big.bin"), 3 * 1024 * 1024 + 17);
    const QByteArray sum = checksum(src);
    const struct timespec old[2] = {{1000000000, 0}, {1000000000, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(src).constData(), old, 0), 0);
    const auto r = go(src, there, true);
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    EXPECT_TRUE(r.sourceLeft);
    EXPECT_EQ(checksum(QDir(there).filePath("big.bin")), sum);
    EXPECT_EQ(QFileInfo(QDir(there).filePath("big.bin")).lastModified().toSecsSinceEpoch(), 1000000000);
    EXPECT_TRUE(QFileInfo::exists(src));
    EXPECT_TRUE(removeTransferredSource(src).ok);
    EXPECT_EQ(entries(there), QStringList{"big.bin"});
}

TEST_F(FileTransfer, AFullOrReadOnlyFileSystemLeavesTheSourceAndNothingThere)
{
    NEED_SECOND_FILE_SYSTEM();
    const QString src = make(here.filePath("two-megabytes.bin"), 2 * 1024 * 1024);
    const QByteArray sum = checksum(src);
    for (const QString& folder : {test::SecondFileSystem::full(), test::SecondFileSystem::readOnly()}) {
        if (folder.isEmpty())
            continue;
        for (bool move : {true, false}) {
            const auto r = go(src, folder, move);
            EXPECT_FALSE(r.ok) << folder.toStdString();
            EXPECT_FALSE(r.error.isEmpty());
            EXPECT_EQ(checksum(src), sum);
            EXPECT_TRUE(entries(folder).isEmpty()) << entries(folder).join(' ').toStdString();
        }
    }
}

// A child moves a large file across devices and is killed at a moment of the move; every byte is
// whole in the source or in the destination, and no partial file bears the final name.
TEST_F(FileTransfer, AKilledMoveLosesNothingAndLeavesNoPartialFileUnderItsName)
{
    NEED_SECOND_FILE_SYSTEM();
    const QString src = make(here.filePath("movie.bin"), 48 * 1024 * 1024);
    const QByteArray sum = checksum(src);
    const QString target = QDir(there).filePath("movie.bin");
    // 0: killed while the copy is written; 1: after it is named, before the source goes.
    for (int moment : {0, 1}) {
        const QString temp = transferTempPath(there);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            const auto r = transferNoReplace(src, target, temp, true);
            if (r.ok)
                ::raise(SIGSTOP);
            ::_exit(r.ok ? 0 : 1);
        }
        int status = 0;
        if (moment == 0) {
            // Until the temporary holds part of the copy (or the child stops or ends first).
            for (;;) {
                if (::waitpid(child, &status, WNOHANG | WUNTRACED) != 0)
                    break;
                if (QFileInfo(temp).size() > 1024 * 1024)
                    break;
            }
        } else {
            ASSERT_EQ(::waitpid(child, &status, WUNTRACED), child);
            EXPECT_TRUE(WIFSTOPPED(status));
        }
        ::kill(child, SIGKILL);
        ::waitpid(child, &status, 0);
        const bool atSource = checksum(src) == sum;
        const bool atTarget = QFileInfo::exists(target);
        EXPECT_TRUE(atSource || checksum(target) == sum) << "moment " << moment;
        if (atTarget) {
            EXPECT_EQ(checksum(target), sum) << "a file under its final name is whole";
        }
        if (moment == 1) {
            EXPECT_TRUE(atSource && atTarget) << "the source stays until the record names the copy";
        }
        // What the next start does with a leftover temporary.
        removeTree(temp);
        QFile::remove(target);
    }
    EXPECT_TRUE(entries(there).isEmpty());
}

} // namespace

#undef NEED_SECOND_FILE_SYSTEM
