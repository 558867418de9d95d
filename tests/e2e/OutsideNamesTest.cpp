// Files whose names are not valid UTF-8 (as files from older systems often are), handed to the
// running program the ways a user hands them: as an argument of a second start, which passes them
// on over the session bus, and dropped into the drop folder. Each becomes an Object like any
// other, under the name its stray bytes read as, and opens.

#include "tests/e2e/E2EFixture.h"

#include "objects/view/ZEVItemView.h"
#include "platform/files/RecordFile.h"
#include "tests/support/ReadOnlyFolder.h"

#include <QDesktopServices>
#include <QProcess>
#include <QTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace e2e {
namespace {

// Takes what the desktop's opener is handed instead of starting a program.
class OpenedUrls : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl& url) { urls << url; }
};

class OutsideNames : public E2E {
protected:
    void SetUp() override
    {
        E2E::SetUp();
        QDesktopServices::setUrlHandler(QStringLiteral("file"), &opened, "open");
    }
    void TearDown() override
    {
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
        E2E::TearDown();
    }

    // A file made under the raw name in folder.
    static void makeRaw(const QString& folder, const QByteArray& name)
    {
        QDir().mkpath(folder);
        const QByteArray path = QFile::encodeName(folder) + '/' + name;
        const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        ASSERT_GE(fd, 0);
        EXPECT_EQ(::write(fd, "words", 5), 5);
        ::close(fd);
    }
    static QStringList entries(const QString& folder)
    {
        return QDir(folder).entryList(QDir::Files | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System, QDir::Name);
    }
    static bool rawExists(const QString& folder, const QByteArray& name)
    {
        return ::access((QFile::encodeName(folder) + '/' + name).constData(), F_OK) == 0;
    }

    // A second start of the real program from the home folder, given the name as the shell gives
    // it: printf makes the bytes from octal escapes. Answers its exit status.
    int secondStartWithRawName(const char* octalEscapedName)
    {
        QProcess other;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), bus.address());
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        other.setProcessEnvironment(env);
        other.setWorkingDirectory(home);
        other.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        other.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"),
                                                QStringLiteral("exec \"$0\" \"$(printf '%1')\"").arg(QLatin1String(octalEscapedName)),
                                                q(test::buildDir() + "/bin/tallomer")});
        return endOf(other);
    }

    // The Object of that title: placed once, its record naming path; then opened with a double
    // click on its picture.
    void expectAnObjectThatOpens(const QString& title, const QString& path)
    {
        const Rows placed = placedObjectsOfType("file");
        ASSERT_EQ(placed.size(), 1u);
        EXPECT_EQ(q(placed.at(0, 1)), title);
        const RecordRead record =
            readRecordFile(storeFolder() + "/local/zevData/2000018/" + q(placed.at(0, 0)) + ".file");
        ASSERT_TRUE(record) << record.error.toStdString();
        EXPECT_EQ(recordString(*record.fields, QStringLiteral("path")), path);
        ZEVItemView* v = viewTitled(title);
        ASSERT_NE(v, nullptr);
        opened.urls.clear();
        doubleClickPicture(v);
        ASSERT_EQ(opened.urls.size(), 1);
        EXPECT_EQ(opened.urls[0], QUrl::fromLocalFile(path));
    }

    OpenedUrls opened;
};

TEST_F(OutsideNames, AnArgumentPassedOnToTheRunningProgramBecomesAnObjectThatOpens)
{
    start();
    alerts.clear();
    makeRaw(home, "bad\xFF\xFE.txt");
    EXPECT_EQ(secondStartWithRawName("bad\\377\\376.txt"), 0);
    ASSERT_TRUE(advanceUntil([&] { return !placedObjectsOfType("file").empty(); }, 0.05, 10.0));
    EXPECT_FALSE(rawExists(home, "bad\xFF\xFE.txt"));
    EXPECT_TRUE(entries(home).contains(QStringLiteral("badÿþ.txt")));
    expectAnObjectThatOpens(QStringLiteral("badÿþ.txt"), home + QStringLiteral("/badÿþ.txt"));
    EXPECT_TRUE(alerts.empty());
}

// A folder on the way is not renamed: the user is told what to rename rather than that the file
// is not there.
TEST_F(OutsideNames, AnArgumentInAFolderWhoseNameIsNotTextIsSaidSo)
{
    start();
    alerts.clear();
    const QByteArray folder = QFile::encodeName(home) + "/caf\xE9";
    ASSERT_EQ(::mkdir(folder.constData(), 0755), 0);
    const int fd = ::open((folder + "/notes.txt").constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    ASSERT_GE(fd, 0);
    ::close(fd);
    EXPECT_EQ(secondStartWithRawName("caf\\351/notes.txt"), 0);
    advance(0.5);
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].message, QStringLiteral("\u201cnotes.txt\u201d could not be opened."));
    EXPECT_EQ(alerts[0].informative, QStringLiteral("A name on its way is not valid UTF-8, which Tallomer cannot use: "
                                                    "rename it, then try again."));
    EXPECT_TRUE(placedObjectsOfType("file").empty());
}

TEST_F(OutsideNames, AFileOfTheDropFolderThatCannotBeRenamedIsSaidOnce)
{
    start();
    alerts.clear();
    makeRaw(home + "/Tallomer", "caf\xE9.txt");
    // As on a read-only disk, or in a folder of another user.
    const test::ReadOnlyFolder frozen(home + "/Tallomer");
    ASSERT_TRUE(frozen.ok());
    graph->delegate()->applicationWillBecomeActive();
    advance(1.5);
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].message, QStringLiteral("A file in your drop folder cannot be taken."));
    EXPECT_TRUE(alerts[0].informative.startsWith(QStringLiteral("The name of \u201ccaf\uFFFD.txt\u201d is not valid UTF-8")))
        << alerts[0].informative.toStdString();
    EXPECT_TRUE(placedObjectsOfType("file").empty());
    // Every scan meets it again: it is said once.
    graph->delegate()->applicationWillBecomeActive();
    advance(1.5);
    EXPECT_EQ(alerts.size(), 1u);
}

TEST_F(OutsideNames, AFileInTheDropFolderBecomesAnObjectThatOpens)
{
    // Put there while the program was not running: the start's scan finds it.
    makeRaw(home + "/Tallomer", "caf\xE9 cr\xE8me.txt");
    start();
    alerts.clear();
    EXPECT_EQ(entries(home + "/Tallomer"), QStringList{QStringLiteral("café crème.txt")});
    expectAnObjectThatOpens(QStringLiteral("café crème.txt"), home + QStringLiteral("/Tallomer/café crème.txt"));
    EXPECT_TRUE(alerts.empty());
}

} // namespace
} // namespace e2e

#include "OutsideNamesTest.moc"
