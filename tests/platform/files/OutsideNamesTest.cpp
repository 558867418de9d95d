// Names handed in as bytes that are not valid UTF-8: the entries get names the program can hold,
// without replacing anything, and valid names pass untouched.

#include "platform/files/OutsideNames.h"

#include "tests/platform/PlatformFixture.h"

#include <QDir>
#include <QFile>

#include <fcntl.h>
#include <unistd.h>

using namespace tallomer;
using test::tempFolder;

namespace {

// A file made under the raw name; answers the raw path.
QByteArray makeRaw(const QString& folder, const QByteArray& name, const QByteArray& content = "x")
{
    const QByteArray path = QFile::encodeName(folder) + '/' + name;
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    EXPECT_GE(fd, 0) << path.toStdString();
    if (fd >= 0) {
        EXPECT_EQ(::write(fd, content.constData(), size_t(content.size())), content.size());
        ::close(fd);
    }
    return path;
}

bool rawExists(const QByteArray& path) { return ::access(path.constData(), F_OK) == 0; }

} // namespace

TEST(OutsideNames, StrayBytesReadAsWindowsLatin1AndValidSequencesKept)
{
    const std::pair<QByteArray, QString> cases[] = {
        {"caf\xE9.txt", QStringLiteral("café.txt")},
        {"bad\xFF\xFE.txt", QStringLiteral("badÿþ.txt")},
        {"\x80 \x93quoted\x94", QStringLiteral("€ “quoted”")},
        {"\x81\x8D\x8F\x90\x9D", QStringLiteral("_____")}, // unassigned: never control characters
        // A valid sequence beside stray bytes stays what it is.
        {"\xC3\xA9t\xE9", QStringLiteral("été")},
        // Overlong forms, surrogates, a cut sequence and a lone continuation byte are stray bytes.
        {"\xC0\xAF", QStringLiteral("À¯")},
        {"\xED\xA0\x80", QStringLiteral("í\u00A0€")},
        {"ab\xE2\x82", QStringLiteral("abâ‚")},
        {"\xA9", QStringLiteral("©")},
    };
    for (const auto& [bytes, text] : cases) {
        SCOPED_TRACE(bytes.toHex().toStdString());
        EXPECT_FALSE(isTextName(bytes));
        EXPECT_EQ(textName(bytes), text);
        EXPECT_TRUE(isTextName(QFile::encodeName(textName(bytes))));
    }
    for (const QByteArray& valid : {QByteArray("plain.txt"), QByteArray("\xC3\xA9t\xC3\xA9"), QByteArray("\xF0\x9F\x98\x80")}) {
        EXPECT_TRUE(isTextName(valid));
        EXPECT_EQ(QFile::encodeName(textName(valid)), valid);
    }
}

TEST(OutsideNames, AnEntryIsRenamedInItsFolderWithoutReplacingAnything)
{
    const QString dir = tempFolder();
    // A name already taken, by a file and by a dangling link, keeps what is there.
    test::writeFile(dir + "/café.txt", "someone else's");
    ASSERT_TRUE(QFile::link(dir + "/nowhere", dir + "/café (1).txt"));
    const QByteArray raw = makeRaw(dir, "caf\xE9.txt", "mine");
    QString error;
    const auto path = textPath(raw, &error);
    ASSERT_TRUE(path) << error.toStdString();
    EXPECT_EQ(*path, dir + "/café (2).txt");
    EXPECT_EQ(test::readFile(*path), "mine");
    EXPECT_FALSE(rawExists(raw));
    EXPECT_EQ(test::readFile(dir + "/café.txt"), "someone else's");
    EXPECT_TRUE(QFileInfo(dir + "/café (1).txt").isSymLink());

    // Relative to the current folder, as a program argument is, and a folder as well as a file.
    const QString before = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir));
    ASSERT_EQ(::mkdir("d\xE9j\xE0", 0755), 0);
    const QByteArray file = makeRaw(dir, "\xFF");
    const char* argv[] = {"tallomer", "--cursor", "7", "d\xE9j\xE0", file.constData(), "gone\xE9.txt"};
    const QStringList arguments = textArguments(6, argv);
    QDir::setCurrent(before);
    EXPECT_EQ(arguments, (QStringList{"--cursor", "7", "déjà", dir + "/ÿ", QString::fromUtf8("gone\xEF\xBF\xBD.txt")}))
        << "nothing there: only decoded";
    EXPECT_TRUE(QFileInfo(dir + "/déjà").isDir());
    EXPECT_TRUE(QFileInfo::exists(dir + "/ÿ"));

    // A name of 255 bytes that doubles in UTF-8 is cut to fit, its extension kept.
    const QByteArray longName = QByteArray(251, '\xE9') + ".txt";
    const auto cut = textPath(makeRaw(dir, longName));
    ASSERT_TRUE(cut);
    EXPECT_TRUE(cut->endsWith(".txt"));
    EXPECT_LE(QFile::encodeName(QFileInfo(*cut).fileName()).size(), 255);
    EXPECT_TRUE(QFileInfo::exists(*cut));

    // A folder above with such a name cannot be named by the program either: told, left alone.
    ASSERT_EQ(::mkdir((QFile::encodeName(dir) + "/x\xE9").constData(), 0755), 0);
    const QByteArray inside = makeRaw(dir, "x\xE9/y\xE9");
    EXPECT_FALSE(textPath(inside, &error));
    EXPECT_TRUE(error.contains("not valid UTF-8")) << error.toStdString();
    EXPECT_TRUE(rawExists(inside));
}

TEST(OutsideNames, AFileUrlsEscapesAreTakenAsBytes)
{
    const QString dir = tempFolder();
    const QByteArray raw = makeRaw(dir, "na\xEFve.txt");
    const QUrl url = QUrl::fromEncoded(QByteArray("file://") + QUrl::toPercentEncoding(QFile::decodeName(QFile::encodeName(dir)), "/") +
                                       "/na%EFve.txt");
    EXPECT_EQ(textPathOfUrl(url), dir + "/naïve.txt");
    EXPECT_FALSE(rawExists(raw));
    EXPECT_EQ(textPathOfUrl(QUrl::fromLocalFile(dir + "/naïve.txt")), dir + "/naïve.txt");
    EXPECT_TRUE(textPathOfUrl(QUrl("https://example.org/na%EFve.txt")).isEmpty());
}
