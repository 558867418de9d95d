#include "platform/files/GeneratedFiles.h"
#include "platform/files/RtfWriter.h"
#include "platform/files/SafeFileName.h"
#include "platform/files/Trash.h"
#include "platform/files/Volumes.h"
#include "platform/files/Webloc.h"

#include "tests/platform/PlatformFixture.h"

#include <QImage>
#include <QStandardPaths>

#include <random>

using namespace tallomer;
using test::writeFile;

namespace {

QString tempDir() { return test::tempFolder("generated"); }

bool isCleanUtf8(const QString& name)
{
    return QString::fromUtf8(name.toUtf8()) == name && !name.contains(QChar(0xFFFD));
}

} // namespace

TEST(RtfWriter, EscapesBracesBackslashesAndAccents)
{
    const QByteArray rtf = rtfDocument({{QStringLiteral("Café {x} \\ "), false, false},
                                        {QStringLiteral("bold"), true, false},
                                        {QStringLiteral("\r\nnext\tline "), false, false},
                                        {QStringLiteral("😀"), false, true}});
    const QByteArray expected = "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1\n"
                                "{\\fonttbl{\\f0\\fswiss\\fcharset0 Helvetica;}}\n"
                                "\\pard\\f0\\fs24 Caf\\u233? \\{x\\} \\\\ {\\b bold}\\par\n"
                                "next\\tab line {\\i \\u-10179?\\u-8704?}\n"
                                "}\n";
    EXPECT_EQ(rtf, expected);
    EXPECT_EQ(rtfDocument(QStringLiteral("a\rb\x01")), rtfDocument(QStringLiteral("a\nb")));
}

TEST(Webloc, RoundTripThroughAPropertyList)
{
    const QString url = QStringLiteral("https://example.org/a?b=1&c=<2>");
    const QString path = tempDir() + "/example.org.webloc";
    ASSERT_TRUE(writeWeblocFile(path, url).ok);
    EXPECT_EQ(readWeblocFile(path), url);
    const QByteArray data = weblocData(url);
    EXPECT_TRUE(data.contains("<plist version=\"1.0\">"));
    EXPECT_TRUE(data.contains("<key>URL</key>"));

    // Other keys around it are fine; a URL key outside the root dictionary or without a string is not.
    EXPECT_EQ(parseWebloc("<plist version=\"1.0\"><dict><key>A</key><integer>1</integer>"
                          "<key>URL</key><string>http://x/</string></dict></plist>"),
              QStringLiteral("http://x/"));
    EXPECT_FALSE(parseWebloc("<plist><dict><key>A</key><dict><key>URL</key><string>http://x/</string>"
                             "</dict></dict></plist>"));
    EXPECT_FALSE(parseWebloc("<plist><dict><key>URL</key><integer>3</integer></dict></plist>"));
    EXPECT_FALSE(parseWebloc("<plist><dict><key>URL</key><string>http://x/"));
    EXPECT_FALSE(parseWebloc("not xml"));
    EXPECT_FALSE(readWeblocFile(path + ".missing"));
}

TEST(GeneratedFiles, ImagesAsTiffAndJpeg)
{
    std::mt19937 rng(7); // noise, so that the JPEG quality shows in the size
    QImage image(64, 48, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, qRgb(rng() % 256, x * 4, y * 4));
    const QByteArray tiff = tiffData(image);
    ASSERT_FALSE(tiff.isEmpty()) << "TIFF image plugin missing";
    EXPECT_EQ(QImage::fromData(tiff, "TIFF").convertToFormat(QImage::Format_RGB32), image);

    const QByteArray jpeg = jpegData(image);
    ASSERT_TRUE(jpeg.startsWith("\xFF\xD8"));
    EXPECT_LT(jpeg.size(), jpegData(image, 95).size()) << "quality 50 is not applied";
    QImage clear(8, 8, QImage::Format_ARGB32);
    clear.fill(Qt::transparent);
    EXPECT_EQ(QImage::fromData(jpegData(clear)).pixelColor(4, 4).lightness(), 255)
        << "transparent parts become white, not black";
    EXPECT_TRUE(tiffData(QImage()).isEmpty());
}

TEST(GeneratedFiles, FoldersAndAtomicWrites)
{
    const QString dir = tempDir();
    EXPECT_TRUE(ensureFolder(dir + "/2000018/2000200").ok);
    EXPECT_TRUE(ensureFolder(dir + "/2000018/2000200").ok) << "an existing folder is accepted";
    ASSERT_TRUE(writeFileAtomically(dir + "/2000018/zevp.jpeg", "old").ok);
    ASSERT_TRUE(writeFileAtomically(dir + "/2000018/zevp.jpeg", "new").ok);
    EXPECT_EQ(test::readFile(dir + "/2000018/zevp.jpeg"), "new");
    EXPECT_FALSE(ensureFolder(dir + "/2000018/zevp.jpeg").ok);
    EXPECT_FALSE(writeFileAtomically(dir + "/missing/x", "y").ok);
}

TEST(Trash, MovesFilesAndFoldersIntoTheUsersTrash)
{
    const QString trash = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + "/Trash";
    ASSERT_TRUE(trash.startsWith(QString::fromStdString(test::testHome())));
    const QString dir = tempDir();
    writeFile(dir + "/old.txt");
    QString where;
    ASSERT_TRUE(moveToTrash(dir + "/old.txt", &where).ok);
    EXPECT_FALSE(QFile::exists(dir + "/old.txt"));
    EXPECT_TRUE(where.startsWith(trash + "/files/")) << where.toStdString();
    EXPECT_TRUE(QFile::exists(where));

    QDir().mkpath(dir + "/drop/2000300/inner");
    ASSERT_TRUE(moveToTrash(dir + "/drop/2000300").ok);
    EXPECT_FALSE(QFile::exists(dir + "/drop/2000300"));

    const FileResult missing = moveToTrash(dir + "/never.txt");
    EXPECT_FALSE(missing.ok);
    EXPECT_FALSE(missing.error.isEmpty());
}

TEST(Volumes, OtherMountsAndRemovableFoldersAreExternal)
{
    const VolumeMap volumes({"/", "/home", "/data", "/home/u/nas"}, "/home/u");
    EXPECT_FALSE(volumes.isExternal("/home/u/Documents/a.pdf"));
    EXPECT_FALSE(volumes.isExternal("/usr/share/doc/x")) << "the system disk is not external";
    EXPECT_TRUE(volumes.isExternal("/data/photos/a.jpg"));
    EXPECT_TRUE(volumes.isExternal("/home/u/nas/a.jpg"));
    EXPECT_FALSE(volumes.isExternal("/database/x")) << "a mount root is a folder, not a prefix";
    EXPECT_TRUE(volumes.isExternal("/media/u/STICK/a.txt"));
    EXPECT_TRUE(volumes.isExternal("/run/media/u/STICK/a.txt"));
    EXPECT_TRUE(volumes.isExternal("/mnt/backup/a.txt"));
    EXPECT_FALSE(volumes.isExternal("/mntx/a.txt"));
    EXPECT_EQ(volumes.mountRootOf("/home/u/x/../nas/y"), "/home/u/nas");

    // When the home lies on the root file system, its own mount is the root.
    const VolumeMap single({"/", "/srv"}, "/home/u");
    EXPECT_FALSE(single.isExternal("/home/u/a"));
    EXPECT_TRUE(single.isExternal("/srv/a"));
    EXPECT_FALSE(VolumeMap::system().isExternal(QString::fromStdString(test::testHome())));
}

TEST(SafeFileName, HostileNamesStayInsideTheFolder)
{
    const QString folder = tempDir();
    const QStringList hostile = {"../x", "/etc/passwd", ".", "..", "", "   ", "a/..", "../../..",
                                 ".bashrc", "..hidden", "x/", QString("a") + QChar(0) + "b",
                                 "line\nbreak", QString(300, 'n'), QString(150, QChar(0xE9)),
                                 QString::fromUtf8(QByteArray(100 * 4, 'x')).replace("xxxx", "😀")};
    for (const QString& name : hostile) {
        SCOPED_TRACE(name.left(40).toStdString());
        const QString safe = safeFileName(name);
        EXPECT_FALSE(safe.isEmpty());
        EXPECT_FALSE(safe.contains('/'));
        EXPECT_FALSE(safe.contains(QChar(0)));
        EXPECT_FALSE(safe.startsWith('.'));
        EXPECT_LE(safe.toUtf8().size(), kMaxFileNameBytes);
        EXPECT_TRUE(isCleanUtf8(safe)) << "cut inside a character";
        const QString path = pathInFolder(folder, name);
        EXPECT_EQ(QFileInfo(path).absolutePath(), folder);
        EXPECT_EQ(QDir::cleanPath(path), path);
    }
    EXPECT_EQ(safeFileName("../x"), "x");
    EXPECT_EQ(safeFileName("/etc/passwd"), "passwd");
    EXPECT_EQ(safeFileName(".."), "untitled");
    EXPECT_EQ(safeFileName("", "image"), "image");
    EXPECT_EQ(safeFileName(".bashrc"), "bashrc");
    EXPECT_EQ(safeFileName(QString("a") + QChar(0) + "b"), "ab");
    EXPECT_EQ(safeFileName("  photo.png "), "photo.png");
    // 405 bytes: cut to 125 two-byte characters, then the extension.
    EXPECT_EQ(safeFileName(QString(200, QChar(0xE9)) + ".tiff"), QString(125, QChar(0xE9)) + ".tiff");
}

TEST(SafeFileName, NewFilesNeverReuseATakenName)
{
    const QString folder = tempDir();
    QString first, second;
    ASSERT_TRUE(writeNewFile(folder, "pasted text.rtf", "one", &first).ok);
    ASSERT_TRUE(writeNewFile(folder, "../pasted text.rtf", "two", &second).ok);
    EXPECT_EQ(first, folder + "/pasted text.rtf");
    EXPECT_EQ(second, folder + "/pasted text (1).rtf");
    EXPECT_EQ(test::readFile(first), "one");
    EXPECT_EQ(test::readFile(second), "two");
    // A dangling symbolic link takes its name too: writing there would land elsewhere.
    ASSERT_TRUE(QFile::link(folder + "/nowhere", folder + "/pasted text (2).rtf"));
    EXPECT_EQ(uniquePathInFolder(folder, "pasted text.rtf"), folder + "/pasted text (3).rtf");

    const QString longName = QString(255, 'a');
    writeFile(folder + "/" + longName);
    const QString longSecond = uniquePathInFolder(folder, longName);
    EXPECT_TRUE(longSecond.endsWith(" (1)"));
    EXPECT_LE(QFileInfo(longSecond).fileName().toUtf8().size(), kMaxFileNameBytes);

    EXPECT_TRUE(uniquePathInFolder(folder + "/missing", "x").isEmpty());
    const FileResult failed = writeNewFile(folder + "/missing", "x", "y");
    EXPECT_FALSE(failed.ok);
    EXPECT_FALSE(failed.error.isEmpty());
}
