// Zip archives of a folder and what reading one refuses; moves that keep the source when they fail;
// the folder swap with its backup; .webloc files that never replace.

#include "platform/files/FileMoves.h"
#include "platform/files/Webloc.h"
#include "platform/files/ZipArchive.h"

#include "tests/platform/PlatformFixture.h"
#include "tests/platform/files/SecondFileSystemMounted.h"

#include <QDirIterator>
#include <QProcess>
#include <QRandomGenerator>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace tallomer;
using test::readFile;
using test::tempFolder;
using test::writeFile;

namespace {

// Runs a tool; answers its exit status (-1 when it could not start) and its output.
int run(const QString& program, const QStringList& arguments, QByteArray* output = nullptr)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    // The tools print names in their locale: one that has the archive's characters.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("LC_ALL", "C.UTF-8");
    p.setProcessEnvironment(env);
    p.start(program, arguments);
    if (!p.waitForStarted(10000) || !p.waitForFinished(60000))
        return -1;
    if (output)
        *output = p.readAll();
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

// A zip made by python3's zipfile from a small script with `z` open for writing.
QString pythonZip(const QString& folder, const QString& body)
{
    const QString path = folder + "/made.zip";
    const QString script = QStringLiteral("import zipfile, sys\nz = zipfile.ZipFile(sys.argv[1], 'w')\n%1\nz.close()\n").arg(body);
    EXPECT_EQ(run("python3", {"-c", script, path}), 0) << body.toStdString();
    return path;
}

// Every entry below folder with its kind and contents (links by target), for comparing trees.
QStringList tree(const QString& folder)
{
    QStringList out;
    QDirIterator it(folder, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QFileInfo info = it.fileInfo();
        const QString rel = QDir(folder).relativeFilePath(path);
        if (info.isSymLink())
            out << rel + " -> " + QFile::symLinkTarget(path).section('/', -1);
        else if (info.isDir())
            out << rel + "/";
        else
            out << rel + " = " + QString::fromUtf8(readFile(path));
    }
    out.sort();
    return out;
}

ZipLimits roomy() { return ZipLimits{1 << 30}; }

} // namespace

TEST(ZipArchive, RoundTripKeepsTheTreeLinksAndUtf8NamesAndToolsAcceptIt)
{
    const QString source = tempFolder("store");
    writeFile(source + "/zev.sqlite", "live");
    writeFile(source + "/zev.sqlite-wal", "journal");
    writeFile(source + "/.lock", "");
    writeFile(source + "/local/zevDrop/2000018/7/Café ünïcode.txt", "text");
    writeFile(source + "/local/zevData/2000018/7.file", "record");
    writeFile(source + "/.hidden", "kept");
    QDir().mkpath(source + "/empty");
    ASSERT_EQ(::symlink("local/zevData", QFile::encodeName(source + "/inside-link").constData()), 0);
    const QString outside = tempFolder("outside");
    writeFile(outside + "/secret", "never archived");
    ASSERT_EQ(::symlink(QFile::encodeName(outside).constData(), QFile::encodeName(source + "/outside-link").constData()), 0);
    const QString snapshot = tempFolder("snap") + "/copy.sqlite";
    writeFile(snapshot, "snapshot");

    const QString target = tempFolder("out") + "/store.zip";
    writeFile(target, "an older archive, replaced once the new one is whole");
    ZipWriteRequest request{source, target, {".lock", "zev.sqlite-wal"}, {{"zev.sqlite", snapshot}}};
    const FileResult written = writeZipArchive(request);
    ASSERT_TRUE(written) << written.error.toStdString();
    EXPECT_EQ(QDir(QFileInfo(target).absolutePath()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
              QStringList{"store.zip"})
        << "no temporary file is left beside it";

    QByteArray listing;
    EXPECT_EQ(run("unzip", {"-t", target}, &listing), 0) << listing.toStdString();
    EXPECT_EQ(run("bsdtar", {"-tf", target}, &listing), 0) << listing.toStdString();
    EXPECT_FALSE(listing.contains("secret")) << "a link is stored as a link, never followed";
    EXPECT_FALSE(listing.contains(".lock"));
    // Python reads the name as UTF-8 only when the archive says it is.
    QByteArray names;
    ASSERT_EQ(run("python3", {"-c", "import zipfile,sys\nfor i in zipfile.ZipFile(sys.argv[1]).infolist(): "
                                    "print(i.filename, i.flag_bits & 0x800)",
                              target},
                  &names),
              0);
    EXPECT_TRUE(QString::fromUtf8(names).contains(QStringLiteral("Café ünïcode.txt 2048"))) << names.toStdString();

    // That link leads out of the tree: an archive holding it is refused when read back.
    const FileResult refused = unpackZipArchive(target, tempFolder("refused"), roomy());
    EXPECT_FALSE(refused);
    EXPECT_TRUE(refused.error.contains("outside-link")) << refused.error.toStdString();
    ASSERT_TRUE(QFile::remove(source + "/outside-link"));
    ASSERT_TRUE(writeZipArchive(request));

    const QString back = tempFolder("back");
    const FileResult unpacked = unpackZipArchive(target, back, roomy());
    ASSERT_TRUE(unpacked) << unpacked.error.toStdString();
    QStringList expected = tree(source);
    expected.removeAll(".lock = ");
    expected.removeAll("zev.sqlite-wal = journal");
    expected.replaceInStrings("zev.sqlite = live", "zev.sqlite = snapshot");
    EXPECT_EQ(tree(back), expected);
    EXPECT_EQ(QFile::symLinkTarget(back + "/inside-link"), back + "/local/zevData");
}

TEST(ZipArchive, AFailedWriteLeavesNothingAndKeepsTheOlderArchive)
{
    const QString source = tempFolder("store");
    writeFile(source + "/zev.sqlite", "x");
    const QString folder = tempFolder("out");
    const QString target = writeFile(folder + "/store.zip", "older");
    ZipWriteRequest request{source, target, {}, {{"zev.sqlite", folder + "/missing-snapshot"}}};
    EXPECT_FALSE(writeZipArchive(request));
    EXPECT_EQ(readFile(target), "older");
    EXPECT_EQ(QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), QStringList{"store.zip"});
}

// Sizes counted against the free bytes miss what each file costs in whole blocks: a disk that
// fills all the same is named as full, not as a bare failed write.
TEST(ZipArchive, AnUnpackThatFillsTheDiskSaysTheDiskIsFull)
{
    const QString full = test::SecondFileSystem::full();
    if (full.isEmpty())
        GTEST_SKIP() << test::SecondFileSystem::why().toStdString();
    const QString made = pythonZip(tempFolder("zip"), "import os\nz.writestr('big.file', os.urandom(3 << 20))");
    const QString into = full + "/unpacked";
    ASSERT_TRUE(QDir().mkpath(into));
    const FileResult r = unpackZipArchive(made, into, roomy());
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.error.contains(QString::fromLocal8Bit(std::strerror(ENOSPC)))) << r.error.toStdString();
    QDir(into).removeRecursively();
}

// The archive's writes meet the full disk after the store was read: the user is told the disk is
// full, not that a write failed, and no part of the archive stays behind.
TEST(ZipArchive, AnExportThatFillsTheDiskSaysTheDiskIsFull)
{
    const QString full = test::SecondFileSystem::full();
    if (full.isEmpty())
        GTEST_SKIP() << test::SecondFileSystem::why().toStdString();
    const QString source = tempFolder("store");
    // Random bytes: the archive cannot squeeze them below the free space.
    QByteArray noise(3 << 20, '\0');
    QRandomGenerator(7).fillRange(reinterpret_cast<quint32*>(noise.data()), noise.size() / 4);
    writeFile(source + "/zev.sqlite", "x");
    writeFile(source + "/local/zevDrop/2000018/7/big.bin", noise);
    const QString into = full + "/export";
    ASSERT_TRUE(QDir().mkpath(into));
    const FileResult r = writeZipArchive({source, into + "/store.zip", {}, {}});
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.error.contains(QString::fromLocal8Bit(std::strerror(ENOSPC)))) << r.error.toStdString();
    EXPECT_EQ(QDir(into).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), QStringList());
    QDir(into).removeRecursively();
}

TEST(ZipArchive, HostileArchivesAreRefusedAndNothingLandsOutside)
{
    struct Case {
        const char* what;
        QString body;
    };
    const std::vector<Case> cases = {
        {"dot-dot", "z.writestr('../x', 'escaped')"},
        {"deep dot-dot", "z.writestr('a/../../x', 'escaped')"},
        {"absolute", "z.writestr(zipfile.ZipInfo('/tmp/tallomer-abs-x'), 'escaped')"},
        {"link out then a file through it",
         "i = zipfile.ZipInfo('out'); i.create_system = 3; i.external_attr = 0o120777 << 16\n"
         "z.writestr(i, '..')\nz.writestr('out/x', 'escaped')"},
        {"absolute link", "i = zipfile.ZipInfo('abs'); i.create_system = 3; i.external_attr = 0o120777 << 16\n"
                          "z.writestr(i, '/etc')"},
        {"link inside then a file through it",
         "i = zipfile.ZipInfo('in'); i.create_system = 3; i.external_attr = 0o120777 << 16\n"
         "z.writestr('d/keep', 'k')\nz.writestr(i, 'd')\nz.writestr('in/x', 'through a link')"},
        {"bomb", "z.writestr('zeros', b'\\0' * (8 << 20), compress_type=zipfile.ZIP_DEFLATED)"},
        // Longer than a path can be: once there, neither removable nor readable by its name.
        {"over-long path", "z.writestr('/'.join(['d'] * 2100), 'x')"},
    };
    for (const Case& c : cases) {
        const QString work = tempFolder("hostile");
        const QString archive = pythonZip(work, c.body);
        const QString destination = work + "/import";
        QDir().mkpath(destination);
        const FileResult r = unpackZipArchive(archive, destination, ZipLimits{1 << 20});
        EXPECT_FALSE(r) << c.what;
        EXPECT_FALSE(r.error.isEmpty()) << c.what;
        EXPECT_FALSE(QFileInfo::exists(work + "/x")) << c.what;
        EXPECT_FALSE(QFileInfo::exists(destination + "/d/x")) << c.what;
        EXPECT_TRUE(removeTree(destination)) << c.what << ": what was unpacked can be taken away";
    }
    EXPECT_FALSE(QFileInfo::exists("/tmp/tallomer-abs-x"));

    // A FIFO or a device in an archive never becomes one on disk: refused, or at most a plain file.
    for (const char* mode : {"0o010644", "0o020644", "0o060644"}) {
        const QString work = tempFolder("special");
        const QString archive = pythonZip(work, QStringLiteral("i = zipfile.ZipInfo('node'); i.create_system = 3; "
                                                               "i.external_attr = %1 << 16\nz.writestr(i, '')").arg(mode));
        QDir().mkpath(work + "/import");
        unpackZipArchive(archive, work + "/import", roomy());
        struct stat st {};
        if (::lstat(QFile::encodeName(work + "/import/node").constData(), &st) == 0) {
            EXPECT_TRUE(S_ISREG(st.st_mode)) << mode;
        }
    }

    {
        // Deflated data longer than its headers say, past the first block read: named as damage,
        // not as a failed write.
        const QString work = tempFolder("longer");
        const QString archive = pythonZip(work, "z.writestr('a', b'\\0' * (1 << 20), compress_type=zipfile.ZIP_DEFLATED)");
        QByteArray bytes = readFile(archive);
        const QByteArray declared = QByteArray::fromHex("00001000"), less = QByteArray::fromHex("10000000");
        ASSERT_EQ(bytes.mid(22, 4), declared);
        bytes.replace(22, 4, less);
        bytes.replace(bytes.indexOf("PK\x01\x02") + 24, 4, less);
        writeFile(archive, bytes);
        QDir().mkpath(work + "/import");
        const FileResult r = unpackZipArchive(archive, work + "/import", roomy());
        EXPECT_TRUE(r.error.contains("the archive is damaged at a")) << r.error.toStdString();
    }

    const QString work = tempFolder("garbage");
    const QString garbage = writeFile(work + "/garbage.zip", QByteArray(5000, 'g'));
    QDir().mkpath(work + "/import");
    EXPECT_FALSE(unpackZipArchive(garbage, work + "/import", roomy()));
    // Chosen as the archive, a named pipe (that nothing writes to) or a folder is refused at once.
    ASSERT_EQ(::mkfifo(QFile::encodeName(work + "/pipe.zip").constData(), 0600), 0);
    for (const char* name : {"/pipe.zip", "/import"}) {
        const FileResult r = unpackZipArchive(work + name, work + "/import", roomy());
        EXPECT_TRUE(r.error.contains("is not an ordinary file")) << name << ": " << r.error.toStdString();
    }
    EXPECT_TRUE(unpackZipArchive(work + "/missing.zip", work + "/import", roomy()).error.contains("cannot be read"));
    // An archive within bounds unpacks.
    const QString fine = pythonZip(work, "z.writestr('a/b.txt', 'b')\nz.writestr('c', 'c')");
    QDir().mkpath(work + "/ok");
    EXPECT_TRUE(unpackZipArchive(fine, work + "/ok", ZipLimits{1 << 20}));
    EXPECT_EQ(tree(work + "/ok"), (QStringList{"a/", "a/b.txt = b", "c = c"}));
}

TEST(ZipArchive, LinkTargetsStayInsideTheTree)
{
    EXPECT_TRUE(linkStaysInside("a/b/link", "../c"));
    EXPECT_TRUE(linkStaysInside("a/link", "../c/./d"));
    EXPECT_FALSE(linkStaysInside("a/link", "../../c"));
    EXPECT_FALSE(linkStaysInside("link", ".."));
    EXPECT_FALSE(linkStaysInside("link", "/etc/passwd"));
    EXPECT_FALSE(linkStaysInside("link", ""));
}

TEST(FileMoves, AcrossFileSystemsTheSourceGoesOnlyOnceTheCopyIsWhole)
{
    const QString from = tempFolder("from");
    const QString to = tempFolder("to");
    // Every rename says "another file system", as between two mounts; the copy is named with a
    // no-replace rename that then works.
    int crossings = 0;
    const RenameFn crossing = [&](const QByteArray& a, const QByteArray& b, unsigned flags) {
        if (a.startsWith(QFile::encodeName(from))) {
            ++crossings;
            errno = EXDEV;
            return -1;
        }
        return systemRename()(a, b, flags);
    };
    writeFile(from + "/a.txt", "payload");
    ASSERT_TRUE(moveFileNoReplace(from + "/a.txt", to + "/a.txt", crossing));
    EXPECT_EQ(crossings, 1);
    EXPECT_FALSE(QFileInfo::exists(from + "/a.txt"));
    EXPECT_EQ(readFile(to + "/a.txt"), "payload");

    // A copy that cannot be named (the name is taken meanwhile) keeps the source and the taker.
    writeFile(from + "/b.txt", "mine");
    writeFile(to + "/b.txt", "theirs");
    EXPECT_FALSE(moveFileNoReplace(from + "/b.txt", to + "/b.txt", crossing));
    EXPECT_EQ(readFile(from + "/b.txt"), "mine");
    EXPECT_EQ(readFile(to + "/b.txt"), "theirs");
    EXPECT_EQ(QDir(to).entryList(QDir::Files | QDir::Hidden).size(), 2) << "no temporary copy is left";

    // A plain move never replaces.
    writeFile(from + "/c.txt", "c");
    writeFile(to + "/c.txt", "kept");
    EXPECT_FALSE(moveFileNoReplace(from + "/c.txt", to + "/c.txt"));
    EXPECT_EQ(readFile(to + "/c.txt"), "kept");
    EXPECT_TRUE(QFileInfo::exists(from + "/c.txt"));
}

TEST(FileMoves, TheFolderSwapPutsTheOldStoreBackWhenTheRenameFails)
{
    const QString parent = tempFolder("swap");
    const QString store = parent + "/Tallomer";
    const QString incoming = parent + "/TallomerImport";
    auto reset = [&] {
        removeTree(store);
        removeTree(incoming);
        writeFile(store + "/zev.sqlite", "old");
        writeFile(incoming + "/zev.sqlite", "new");
    };

    // With the exchange the file system offers.
    reset();
    QString previous;
    ASSERT_TRUE(swapFolderInto(incoming, store, &previous));
    EXPECT_EQ(readFile(store + "/zev.sqlite"), "new");
    EXPECT_EQ(readFile(previous + "/zev.sqlite"), "old");

    // Without an exchange: through a backup name.
    const RenameFn noExchange = [](const QByteArray& a, const QByteArray& b, unsigned flags) {
        if (flags == RENAME_EXCHANGE) {
            errno = EINVAL;
            return -1;
        }
        return systemRename()(a, b, flags);
    };
    reset();
    ASSERT_TRUE(swapFolderInto(incoming, store, &previous, noExchange));
    EXPECT_EQ(readFile(store + "/zev.sqlite"), "new");
    EXPECT_EQ(readFile(previous + "/zev.sqlite"), "old");
    EXPECT_FALSE(QFileInfo::exists(incoming));
    EXPECT_TRUE(removeTree(previous));

    // The import cannot take the store's place: the old store is put back, the import stays.
    const RenameFn importFails = [&](const QByteArray& a, const QByteArray& b, unsigned flags) {
        if (flags == RENAME_EXCHANGE || a == QFile::encodeName(incoming)) {
            errno = flags == RENAME_EXCHANGE ? EINVAL : EACCES;
            return -1;
        }
        return systemRename()(a, b, flags);
    };
    reset();
    previous.clear();
    EXPECT_FALSE(swapFolderInto(incoming, store, &previous, importFails));
    EXPECT_TRUE(previous.isEmpty());
    EXPECT_EQ(readFile(store + "/zev.sqlite"), "old");
    EXPECT_EQ(readFile(incoming + "/zev.sqlite"), "new");
    EXPECT_EQ(QDir(parent).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), (QStringList{"Tallomer", "TallomerImport"}));
}

TEST(Webloc, ANewWeblocNeverReplacesAndPythonReadsIt)
{
    const QString folder = tempFolder("webloc");
    const QString path = folder + "/example.org.webloc";
    ASSERT_TRUE(writeNewWeblocFile(path, "https://example.org/a?b=1&c=<2>"));
    EXPECT_FALSE(writeNewWeblocFile(path, "https://other.example/"));
    EXPECT_EQ(readWeblocFile(path), QStringLiteral("https://example.org/a?b=1&c=<2>"));
    QByteArray out;
    ASSERT_EQ(run("python3", {"-c", "import plistlib,sys\nprint(plistlib.load(open(sys.argv[1],'rb'))['URL'])", path}, &out), 0)
        << out.toStdString();
    EXPECT_EQ(out.trimmed(), "https://example.org/a?b=1&c=<2>");
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{"example.org.webloc"});
}
