// Moving and copying an Object's file into a folder: free names, never an overwrite, a move across
// devices, and failures that leave the source and nothing half-made in the folder.

#include "inspectors/ZEVFrontClass.h"
#include "inspectors/ZEVTransferQueue.h"
#include "widgets/ZEVAlert.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <sys/stat.h>

namespace {

using tallomer::ZEVFrontClass;

class Transfer : public ::testing::Test {
protected:
    QString make(const QString& relative, const QByteArray& content = "x")
    {
        const QString path = dir.filePath(relative);
        QDir().mkpath(QFileInfo(path).path());
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(content);
        return path;
    }
    QString read(const QString& path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }
    QStringList entries(const QString& folder)
    {
        return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    }
    QTemporaryDir dir;
};

TEST_F(Transfer, TakenNamesGetANumberAndNothingIsOverwritten)
{
    const QString folder = dir.filePath("in");
    make("in/note.txt", "first");
    make("in/note_01.txt", "second");
    const QString a = make("a/note.txt", "third");
    const QString b = make("b/note.txt", "fourth");

    const auto r1 = ZEVFrontClass::transfer(a, folder, true);
    ASSERT_TRUE(r1.ok) << r1.error.toStdString();
    EXPECT_EQ(QFileInfo(r1.path).fileName(), "note_02.txt");
    EXPECT_FALSE(QFile::exists(a)) << "moved";
    const auto r2 = ZEVFrontClass::transfer(b, folder, false);
    ASSERT_TRUE(r2.ok);
    EXPECT_EQ(QFileInfo(r2.path).fileName(), "note_03.txt");
    EXPECT_TRUE(QFile::exists(b)) << "copied: the source stays";
    EXPECT_EQ(read(dir.filePath("in/note.txt")), "first");
    EXPECT_EQ(read(dir.filePath("in/note_01.txt")), "second");
    EXPECT_EQ(read(r2.path), "fourth");
    EXPECT_EQ(entries(folder).size(), 4u) << "no temporary file left";
    EXPECT_EQ(ZEVFrontClass::freeNameInFolder(folder, "README"), "README");
    make("in/README");
    EXPECT_EQ(ZEVFrontClass::freeNameInFolder(folder, "README"), "README_01");
    // A name holding "%1" is the user's text, kept whole beside the number.
    make("in/50%1 off.txt");
    EXPECT_EQ(ZEVFrontClass::freeNameInFolder(folder, "50%1 off.txt"), "50%1 off_01.txt");
}

TEST_F(Transfer, AMoveAcrossDevicesCopiesTheWholeFolderThenRemovesTheSource)
{
    make("src/pics/one.png", "1");
    make("src/pics/deep/two.png", "2");
    const QString folder = dir.filePath("dst");
    QDir().mkpath(folder);
    int calls = 0;
    const auto r = ZEVFrontClass::transfer(dir.filePath("src/pics"), folder, true, [&](const QString&, const QString&) {
        ++calls;
        return EXDEV;
    });
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(read(dir.filePath("dst/pics/deep/two.png")), "2");
    EXPECT_EQ(read(dir.filePath("dst/pics/one.png")), "1");
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("src/pics")));
    EXPECT_EQ(entries(folder), QStringList{"pics"});
}

TEST_F(Transfer, AFailureLeavesTheSourceAndNoPartialFile)
{
    const QString src = make("src/doc.txt", "keep");
    const QString folder = dir.filePath("ro");
    QDir().mkpath(folder);
    // A move the system refuses for another reason than the device: nothing is copied.
    auto r = ZEVFrontClass::transfer(src, folder, true, [](const QString&, const QString&) { return EACCES; });
    EXPECT_FALSE(r.ok);
    EXPECT_FALSE(r.error.isEmpty());
    EXPECT_EQ(read(src), "keep");
    EXPECT_TRUE(entries(folder).isEmpty());

    // A folder holding what cannot be copied (a FIFO): refused before anything is written, and
    // across devices the source folder is not removed.
    make("src/album/a.jpg", "a");
    ASSERT_EQ(::mkfifo(QFile::encodeName(dir.filePath("src/album/z-fifo")).constData(), 0600), 0);
    r = ZEVFrontClass::transfer(dir.filePath("src/album"), folder, true,
                                [](const QString&, const QString&) { return EXDEV; });
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(read(dir.filePath("src/album/a.jpg")), "a");
    EXPECT_TRUE(entries(folder).isEmpty()) << entries(folder).join(' ').toStdString();
}

TEST_F(Transfer, AFolderNeverGoesIntoItselfOrItsOwnSubfolder)
{
    make("top/sub/file.txt");
    for (const char* into : {"top", "top/sub"}) {
        for (bool move : {true, false}) {
            const auto r = ZEVFrontClass::transfer(dir.filePath("top"), dir.filePath(into), move);
            EXPECT_FALSE(r.ok) << into;
        }
    }
    EXPECT_EQ(entries(dir.filePath("top")), QStringList{"sub"});
    EXPECT_EQ(entries(dir.filePath("top/sub")), QStringList{"file.txt"});
    // A name that only begins like the folder is another folder.
    QDir().mkpath(dir.filePath("topper"));
    EXPECT_TRUE(ZEVFrontClass::transfer(dir.filePath("top"), dir.filePath("topper"), false).ok);
    EXPECT_FALSE(ZEVFrontClass::transfer(dir.filePath("missing"), dir.filePath("topper"), true).ok);
    EXPECT_TRUE(ZEVFrontClass::siFolder(dir.filePath("topper")));
    EXPECT_FALSE(ZEVFrontClass::siFolder(dir.filePath("top/sub/file.txt")));
}

TEST_F(Transfer, AFolderCopiesWholeWithItsLinksAndAWebAddressBecomesAWeblocUnderAFreeName)
{
    make("src/set/a.bin", QByteArray(300, 'a'));
    make("src/set/b.bin", QByteArray(100, 'b'));
    ASSERT_TRUE(QFile::link("a.bin", dir.filePath("src/set/link")));
    const QString folder = dir.filePath("dst");
    QDir().mkpath(folder);
    const auto r = ZEVFrontClass::transfer(dir.filePath("src/set"), folder, false);
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    EXPECT_EQ(QFile::symLinkTarget(dir.filePath("dst/set/link")), dir.filePath("dst/set/a.bin")) << "a link stays a link";
    EXPECT_EQ(read(dir.filePath("dst/set/a.bin")), QString(300, 'a'));

    const auto w1 = ZEVFrontClass::writeWebloc("https://example.org/a", "News/today", folder);
    ASSERT_TRUE(w1.ok) << w1.error.toStdString();
    EXPECT_EQ(QFileInfo(w1.path).fileName(), "News-today.webloc") << "no folder hidden in the title";
    EXPECT_TRUE(read(w1.path).contains("https://example.org/a"));
    const auto w2 = ZEVFrontClass::writeWebloc("https://example.org/b", "News/today", folder);
    ASSERT_TRUE(w2.ok);
    EXPECT_EQ(QFileInfo(w2.path).fileName(), "News-today_01.webloc");
    EXPECT_TRUE(read(w1.path).contains("/a")) << "the first is not overwritten";
    EXPECT_FALSE(ZEVFrontClass::writeWebloc("", "empty", folder).ok) << "no address, no file";
    EXPECT_EQ(entries(folder).size(), 3u);
}

} // namespace

namespace {

using tallomer::ZEVTransferQueue;

// One set of names for every job of the process: a name handed out counts as taken until its job
// ends, whether or not its file exists yet, and the disk is asked too.
TEST_F(Transfer, FreeNamesAreHeldForTheWholeProcessUntilReleased)
{
    ZEVTransferQueue& q = ZEVTransferQueue::shared();
    const QString folder = dir.filePath("out");
    QDir().mkpath(folder);
    // Two files both named a.txt in one batch, to a folder without one, then with one.
    const QString first = q.reserveName(folder, "a.txt");
    const QString second = q.reserveName(folder, "a.txt");
    EXPECT_EQ(QFileInfo(first).fileName(), "a.txt");
    EXPECT_EQ(QFileInfo(second).fileName(), "a_01.txt");
    q.release(first);
    q.release(second);
    make("out/a.txt");
    const QString third = q.reserveName(folder, "a.txt");
    const QString fourth = q.reserveName(folder, "a.txt"); // a copy's, beside a move's
    EXPECT_EQ(QFileInfo(third).fileName(), "a_01.txt");
    EXPECT_EQ(QFileInfo(fourth).fileName(), "a_02.txt");
    q.release(third);
    EXPECT_EQ(QFileInfo(q.reserveName(folder, "a.txt")).fileName(), "a_01.txt") << "freed at the job's end";

    // No extension; after _99 comes _100.
    make("out/README");
    EXPECT_EQ(QFileInfo(q.reserveName(folder, "README")).fileName(), "README_01");
    for (int i = 1; i <= 99; ++i)
        make(QStringLiteral("out/n_%1.log").arg(i, 2, 10, QLatin1Char('0')));
    make("out/n.log");
    EXPECT_EQ(QFileInfo(q.reserveName(folder, "n.log")).fileName(), "n_100.log");
    // A name in another folder is another name.
    EXPECT_EQ(QFileInfo(q.reserveName(dir.filePath("elsewhere"), "a.txt")).fileName(), "a.txt");
}

TEST_F(Transfer, DuplicateNamesKeepTheExtensionAskBeforeRenamingAndStayInTheChosenFolder)
{
    using tallomer::ScopedAlertAnswerer;
    using tallomer::ZEVAlertRequest;
    EXPECT_EQ(ZEVFrontClass::duplicateFileName("Report", "pdf"), "Report.pdf");
    EXPECT_EQ(ZEVFrontClass::duplicateFileName("Report.pdf", "pdf"), "Report.pdf");
    EXPECT_EQ(ZEVFrontClass::duplicateFileName("Report.txt", "pdf"), "Report.txt.pdf");
    EXPECT_EQ(ZEVFrontClass::duplicateFileName("Untitled", ""), "Untitled");
    // Typed names are outside input: the last component only, never "." or "..".
    EXPECT_EQ(ZEVFrontClass::safeEnteredName("../../etc/passwd"), "passwd");
    EXPECT_EQ(ZEVFrontClass::safeEnteredName(" .. "), "");
    EXPECT_EQ(ZEVFrontClass::safeEnteredName("a\tb"), "a_b");
    EXPECT_EQ(ZEVFrontClass::safeEnteredName(""), "");

    const QString folder = dir.filePath("docs");
    QDir().mkpath(folder);
    std::vector<ZEVAlertRequest> asked;
    int answer = 0;
    ScopedAlertAnswerer alerts([&](const ZEVAlertRequest& r) { return asked.push_back(r), answer; });
    EXPECT_EQ(ZEVFrontClass::confirmDuplicateName("Report", "pdf", folder), "Report") << "free: as typed";
    EXPECT_TRUE(asked.empty());
    make("docs/Report.pdf");
    make("docs/Report_01.pdf");
    EXPECT_EQ(ZEVFrontClass::confirmDuplicateName("Report", "pdf", folder), "Report_02.pdf");
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].informative, "New filename: Report_02.pdf");
    answer = 1;
    EXPECT_EQ(ZEVFrontClass::confirmDuplicateName("Report.pdf", "pdf", folder), std::nullopt) << "Cancel";
    EXPECT_EQ(ZEVFrontClass::confirmDuplicateName("", "pdf", folder), std::nullopt) << "an empty name";
    EXPECT_EQ(ZEVFrontClass::confirmDuplicateName("x", "pdf", dir.filePath("none")), std::nullopt)
        << "no such folder";
    EXPECT_EQ(asked.size(), 2u);
    make("docs/Sale %2 %1.pdf");
    answer = 0;
    EXPECT_EQ(ZEVFrontClass::confirmDuplicateName("Sale %2 %1", "pdf", folder), "Sale %2 %1_01.pdf");

    // Three Objects under the default name: the first of each extension plain, the others numbered,
    // and the counting starts afresh once the names are released.
    ZEVTransferQueue& q = ZEVTransferQueue::shared();
    std::vector<QString> names;
    for (const char* ext : {"pdf", "pdf", "txt"})
        names.push_back(q.reserveName(folder, ZEVFrontClass::duplicateFileName("Untitled", ext)));
    EXPECT_EQ(QFileInfo(names[0]).fileName(), "Untitled.pdf");
    EXPECT_EQ(QFileInfo(names[1]).fileName(), "Untitled_01.pdf");
    EXPECT_EQ(QFileInfo(names[2]).fileName(), "Untitled.txt");
    for (const QString& n : names)
        q.release(n);
    EXPECT_EQ(QFileInfo(q.reserveName(folder, "Untitled.pdf")).fileName(), "Untitled.pdf");
}

} // namespace
