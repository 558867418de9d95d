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

} // namespace

#include "DesktopServicesTest.moc"
