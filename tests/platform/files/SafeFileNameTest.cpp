#include "platform/files/SafeFileName.h"

#include "tests/support/TestHome.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

using namespace tallomer;

namespace {

QString tempDir() { return QString::fromStdString(test::makeTempDir("names")); }

bool isCleanUtf8(const QString& name)
{
    return QString::fromUtf8(name.toUtf8()) == name && !name.contains(QChar(0xFFFD));
}

} // namespace

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
}

TEST(SafeFileName, LongNamesKeepTheirExtension)
{
    const QString name = QString(200, QChar(0xE9)) + ".tiff"; // 405 bytes
    const QString safe = safeFileName(name);
    EXPECT_TRUE(safe.endsWith(".tiff"));
    EXPECT_EQ(safe.toUtf8().size(), 255); // 125 two-byte characters, then ".tiff"
}

TEST(SafeFileName, UniqueNamesNeverReuseATakenOne)
{
    const QString folder = tempDir();
    EXPECT_EQ(uniquePathInFolder(folder, "pasted text.rtf"), folder + "/pasted text.rtf");
    QFile(folder + "/pasted text.rtf").open(QIODevice::WriteOnly);
    EXPECT_EQ(uniquePathInFolder(folder, "pasted text.rtf"), folder + "/pasted text (1).rtf");
    QFile(folder + "/pasted text (1).rtf").open(QIODevice::WriteOnly);
    // A dangling symbolic link takes its name too: writing there would land elsewhere.
    ASSERT_TRUE(QFile::link(folder + "/nowhere", folder + "/pasted text (2).rtf"));
    EXPECT_EQ(uniquePathInFolder(folder, "pasted text.rtf"), folder + "/pasted text (3).rtf");
    EXPECT_EQ(uniquePathInFolder(folder, "../pasted text.rtf"), folder + "/pasted text (3).rtf");

    const QString longName = QString(255, 'a');
    QFile(folder + "/" + longName).open(QIODevice::WriteOnly);
    const QString second = uniquePathInFolder(folder, longName);
    EXPECT_TRUE(second.endsWith(" (1)"));
    EXPECT_LE(QFileInfo(second).fileName().toUtf8().size(), kMaxFileNameBytes);

    EXPECT_TRUE(uniquePathInFolder(folder + "/missing", "x").isEmpty());
}

TEST(SafeFileName, WriteNewFileNeverOverwrites)
{
    const QString folder = tempDir();
    QString first, second;
    ASSERT_TRUE(writeNewFile(folder, "image.tiff", "one", &first).ok);
    ASSERT_TRUE(writeNewFile(folder, "../image.tiff", "two", &second).ok);
    EXPECT_NE(first, second);
    QFile a(first), b(second);
    ASSERT_TRUE(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
    EXPECT_EQ(a.readAll(), "one");
    EXPECT_EQ(b.readAll(), "two");

    const FileResult failed = writeNewFile(folder + "/missing", "x", "y");
    EXPECT_FALSE(failed.ok);
    EXPECT_FALSE(failed.error.isEmpty());
}
