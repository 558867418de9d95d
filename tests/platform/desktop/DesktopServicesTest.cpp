// The desktop's opener and file manager: files are looked at before the opener is asked, and the
// file manager is called on the session bus with the file's URI; with no file manager, or an
// error from it, the folder opens instead (Reveal) or a line is logged with a beep (Show Info).

#include "platform/desktop/Desktop.h"

#include "platform/sound/Sound.h"
#include "runtime/Log.h"
#include "tests/platform/PlatformFixture.h"
#include "tests/support/BusDaemon.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QDesktopServices>
#include <QUrl>

#include <sys/stat.h>

using namespace tallomer;

namespace {

// Catches what the desktop's opener is given instead of starting a program.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl& url) { urls << url; }
};

// A file manager on the test's bus: records each call, answers with an error when told to.
class FakeFileManager final : public QDBusVirtualObject {
public:
    QString introspect(const QString&) const override { return {}; }
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override
    {
        calls.push_back(message);
        connection.send(fail ? message.createErrorReply(QStringLiteral("org.freedesktop.DBus.Error.Failed"),
                                                        QStringLiteral("cannot show"))
                             : message.createReply());
        return true;
    }
    bool fail = false;
    std::vector<QDBusMessage> calls;
};

class DesktopServices : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (daemon.address().isEmpty())
            GTEST_SKIP() << "dbus-daemon is not available";
        client.emplace(QDBusConnection::connectToBus(daemon.address(), QStringLiteral("desktop-client")));
        server.emplace(QDBusConnection::connectToBus(daemon.address(), QStringLiteral("desktop-server")));
        for (const char* scheme : {"file", "http"})
            QDesktopServices::setUrlHandler(QString::fromLatin1(scheme), &catcher, "open");
        Sound::setShared(&sound);
        previous = setLogSink(&log);
        file = test::writeFile(test::tempFolder("desk") + "/note.txt");
    }
    void TearDown() override
    {
        for (const char* scheme : {"file", "http"})
            QDesktopServices::unsetUrlHandler(QString::fromLatin1(scheme));
        setLogSink(previous);
        Sound::setShared(nullptr);
        client.reset();
        server.reset();
        QDBusConnection::disconnectFromBus(QStringLiteral("desktop-client"));
        QDBusConnection::disconnectFromBus(QStringLiteral("desktop-server"));
    }
    void serveFileManager()
    {
        ASSERT_TRUE(server->registerService(QString::fromLatin1(SystemDesktop::kService)));
        ASSERT_TRUE(server->registerVirtualObject(QString::fromLatin1(SystemDesktop::kPath), &manager));
    }

    test::BusDaemon daemon;
    std::optional<QDBusConnection> client, server;
    UrlCatcher catcher;
    FakeFileManager manager;
    RecordingSound sound;
    MemoryLogSink log;
    LogSink* previous = nullptr;
    QString file;
};

TEST_F(DesktopServices, FilesAreLookedAtBeforeTheOpenerAndAddressesGoStraightToIt)
{
    SystemDesktop desktop(*client);
    EXPECT_TRUE(desktop.openUrl(QUrl::fromLocalFile(file)));
    EXPECT_FALSE(desktop.openUrl(QUrl::fromLocalFile(file + ".gone"))) << "the opener would claim success";
    EXPECT_FALSE(desktop.openUrl(QUrl()));
    EXPECT_TRUE(desktop.openUrl(QUrl(QStringLiteral("http://127.0.0.1/page"))));
    ASSERT_EQ(catcher.urls.size(), 2);
    EXPECT_EQ(catcher.urls[0], QUrl::fromLocalFile(file));
    EXPECT_EQ(catcher.urls[1], QUrl(QStringLiteral("http://127.0.0.1/page")));
}

TEST_F(DesktopServices, RevealAndShowInfoCallTheFileManagerWithTheFilesUri)
{
    serveFileManager();
    SystemDesktop desktop(*client);
    desktop.reveal(file);
    desktop.showInfo(file);
    ASSERT_TRUE(test::turnUntil([&] { return manager.calls.size() == 2; }));
    const QStringList uris{QUrl::fromLocalFile(file).toString(QUrl::FullyEncoded)};
    EXPECT_EQ(manager.calls[0].member(), QStringLiteral("ShowItems"));
    EXPECT_EQ(manager.calls[1].member(), QStringLiteral("ShowItemProperties"));
    for (const QDBusMessage& m : manager.calls) {
        EXPECT_EQ(m.interface(), QString::fromLatin1(SystemDesktop::kService));
        ASSERT_EQ(m.arguments().size(), 2);
        EXPECT_EQ(m.arguments()[0].toStringList(), uris);
        EXPECT_EQ(m.arguments()[1].toString(), QString()) << "no startup id";
    }
    // The replies come back without a fallback.
    for (int i = 0; i < 50; ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    EXPECT_TRUE(catcher.urls.isEmpty()) << "nothing else opened";
    EXPECT_EQ(sound.beeps, 0);
}

TEST_F(DesktopServices, WithoutAFileManagerRevealOpensTheFolderAndShowInfoLogsAndBeeps)
{
    SystemDesktop desktop(*client);
    desktop.reveal(file);
    ASSERT_TRUE(test::turnUntil([&] { return !catcher.urls.isEmpty(); }));
    EXPECT_EQ(catcher.urls.front(), QUrl::fromLocalFile(QFileInfo(file).absolutePath()));
    desktop.showInfo(file);
    ASSERT_TRUE(test::turnUntil([&] { return sound.beeps == 1; }));
    EXPECT_TRUE(log.contains("no file manager shows the properties"));
}

TEST_F(DesktopServices, AnErrorFromTheFileManagerFallsBackAsIfThereWereNone)
{
    serveFileManager();
    manager.fail = true;
    SystemDesktop desktop(*client);
    desktop.reveal(file);
    ASSERT_TRUE(test::turnUntil([&] { return !catcher.urls.isEmpty(); }));
    EXPECT_EQ(catcher.urls.front(), QUrl::fromLocalFile(QFileInfo(file).absolutePath()));
    EXPECT_TRUE(log.contains("cannot show"));
    desktop.showInfo(file);
    ASSERT_TRUE(test::turnUntil([&] { return sound.beeps == 1; }));
}

TEST(Desktop, ProgramsAreLaunchersAndExecutableFilesNotFoldersOrDocuments)
{
    const QString dir = test::tempFolder("programs");
    const QString doc = test::writeFile(dir + "/letter.txt");
    const QString launcher = test::writeFile(dir + "/editor.Desktop");
    const QString tool = test::writeFile(dir + "/tool");
    ::chmod(QFile::encodeName(tool).constData(), 0755);
    EXPECT_FALSE(Desktop::siRunsProgram(doc));
    EXPECT_TRUE(Desktop::siRunsProgram(launcher));
    EXPECT_TRUE(Desktop::siRunsProgram(tool));
    EXPECT_FALSE(Desktop::siRunsProgram(dir)) << "a folder opens in the file manager";
    EXPECT_FALSE(Desktop::siRunsProgram(dir + "/missing"));
}

// What runs once handed over, whatever its name or mode bits: a script by its first line, a
// program by its content.
TEST(Desktop, ScriptsAndProgramsNamedLikeDocumentsRunToo)
{
    const QString dir = test::tempFolder("programs");
    QFile elf(QStringLiteral("/bin/true"));
    ASSERT_TRUE(elf.open(QIODevice::ReadOnly));
    EXPECT_TRUE(Desktop::siRunsProgram(test::writeFile(dir + "/tidy", "#!/bin/sh\necho tidy\n")));
    EXPECT_TRUE(Desktop::siRunsProgram(test::writeFile(dir + "/photo.jpg", elf.readAll())));
    EXPECT_TRUE(Desktop::siRunsProgram(test::writeFile(dir + "/run", "[Desktop Entry]\nType=Application\nExec=true\n")));
    EXPECT_FALSE(Desktop::siRunsProgram(test::writeFile(dir + "/notes.md", "# not #! at the start\n")));
    EXPECT_FALSE(Desktop::siRunsProgram(test::writeFile(dir + "/empty.txt", "")));
}

// The question is asked before anything is handed over, by every desktop; without anybody to
// ask, a program never runs; a declined program is no failure.
TEST(Desktop, AProgramIsHandedOverOnlyAfterYes)
{
    const QString dir = test::tempFolder("ask");
    const QString script = test::writeFile(dir + "/go.sh", "#!/bin/sh\n");
    const QString text = test::writeFile(dir + "/go.txt", "words");
    RecordingDesktop desktop;
    QStringList failures;
    const auto failed = [&](const QString& why) { failures << why; };
    EXPECT_FALSE(desktop.openUrl(QUrl::fromLocalFile(script), failed)) << "nobody to ask: not run";
    QStringList asked;
    bool yes = false;
    desktop.setConfirmRun([&](const QString& path) { return asked << path, yes; });
    EXPECT_FALSE(desktop.openUrl(QUrl::fromLocalFile(script), failed));
    EXPECT_TRUE(desktop.opened.empty());
    EXPECT_TRUE(failures.isEmpty()) << "declining is no failure";
    yes = true;
    EXPECT_TRUE(desktop.openUrl(QUrl::fromLocalFile(script), failed));
    EXPECT_TRUE(desktop.openUrl(QUrl::fromLocalFile(text), failed));
    EXPECT_TRUE(desktop.openUrl(QUrl(QStringLiteral("http://127.0.0.1/x.desktop")), failed)) << "an address is no file";
    EXPECT_EQ(asked, (QStringList{script, script}));
    ASSERT_EQ(desktop.opened.size(), 3u);
    EXPECT_FALSE(desktop.openUrl(QUrl::fromLocalFile(dir + "/gone"), failed));
    ASSERT_EQ(failures.size(), 1);
    EXPECT_TRUE(failures[0].contains("no file")) << failures[0].toStdString();
}

// The desktop's opener as a program: its exit tells whether the file was opened, and what it said
// tells why not; one that cannot start fails at once.
TEST_F(DesktopServices, TheOpenersExitAndWordsComeBackToTheCaller)
{
    const QString dir = test::tempFolder("opener");
    const QString script = test::writeFile(dir + "/open.sh", "printf '%s\\n' \"$1\" >> \"$(dirname \"$0\")/opened\"\n"
                                                             "case \"$1\" in *.xyz) echo 'no method available' >&2; exit 3;; esac\n");
    SystemDesktop desktop(*client, DesktopOpener{QStringLiteral("/bin/sh"), {script}});
    QStringList failures;
    const auto failed = [&](const QString& why) { failures << why; };
    const QString odd = test::writeFile(dir + "/a.xyz", "x");
    EXPECT_TRUE(desktop.openUrl(QUrl::fromLocalFile(file), failed));
    EXPECT_TRUE(desktop.openUrl(QUrl::fromLocalFile(odd), failed)) << "handed over; the answer comes later";
    // The two openers run side by side: either may write first.
    const auto handedOver = [&] {
        QFile opened(dir + "/opened");
        QStringList lines = opened.open(QIODevice::ReadOnly)
                                ? QString::fromUtf8(opened.readAll()).split('\n', Qt::SkipEmptyParts)
                                : QStringList();
        lines.sort();
        return lines;
    };
    ASSERT_TRUE(test::turnUntil([&] { return !failures.isEmpty() && handedOver().size() == 2; }));
    EXPECT_EQ(failures, QStringList{"no method available"});
    const QStringList handed = handedOver();
    QStringList both{file, odd};
    both.sort();
    EXPECT_EQ(handed, both);
    EXPECT_TRUE(catcher.urls.isEmpty()) << "Qt's opener is not used beside it";

    failures.clear();
    SystemDesktop broken(*client, DesktopOpener{dir + "/no-such-program", {}});
    EXPECT_FALSE(broken.openUrl(QUrl::fromLocalFile(file), failed));
    ASSERT_EQ(failures.size(), 1);
    EXPECT_TRUE(failures[0].contains("cannot be started")) << failures[0].toStdString();
}

} // namespace

#include "DesktopServicesTest.moc"
