#include "platform/desktop/DesktopEntry.h"
#include "platform/desktop/FolderIcon.h"
#include "platform/desktop/GtkBookmarks.h"
#include "platform/desktop/SingleInstance.h"

#include "runtime/Log.h"
#include "tests/platform/PlatformFixture.h"

#include <QDBusConnectionInterface>
#include <QProcess>

#include <chrono>
#include <fcntl.h>
#include <future>
#include <memory>
#include <unistd.h>
#include <utility>

#include <sys/stat.h>

using namespace tallomer;
using test::readFile;
using test::tempFolder;
using Role = SingleInstance::Role;

namespace {

// A stand-in gio running `body` as a shell script.
QString fakeGio(const QString& dir, const QString& body)
{
    const QString path = test::writeFile(dir + "/gio", "#!/bin/sh\n" + body.toUtf8() + "\n");
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path;
}

// Runs on a bus of its own, started for this suite only, so that nothing is ever registered on
// the user's session bus (nor handed to a running copy of the program).
class SingleInstanceTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        daemon = std::make_unique<QProcess>();
        daemon->start("dbus-daemon", {"--session", "--nofork", "--print-address=1",
                                      "--address=unix:dir=" + tempFolder("bus")});
        while (!daemon->canReadLine() && daemon->waitForReadyRead(10000)) {}
        address = QString::fromUtf8(daemon->readLine()).trimmed();
    }
    static void TearDownTestSuite() { daemon.reset(); } // kills the daemon
    void SetUp() override { if (address.isEmpty()) GTEST_SKIP() << "dbus-daemon is not available"; }
    void TearDown() override { for (const QString& n : names_) QDBusConnection::disconnectFromBus(n); }
    // Each instance has its own connection, as separate processes would.
    QDBusConnection connect(const QString& to = address)
    {
        names_ << QString("single-instance-test-%1").arg(names_.size());
        return QDBusConnection::connectToBus(to, names_.last());
    }

    static inline std::unique_ptr<QProcess> daemon;
    static inline QString address;
    QStringList names_;
};

} // namespace

TEST(DesktopEntry, InstalledFileIsTheGeneratedOneAndHandlesZevpLinks)
{
    const QString installed =
        QString::fromStdString(test::sourceDir()) + "/resources/desktop/" + DesktopEntry::fileName();
    EXPECT_EQ(readFile(installed), DesktopEntry::contents()) << qPrintable(installed);
    EXPECT_TRUE(DesktopEntry::contents().contains("\nMimeType=x-scheme-handler/zevp;\n"));
    EXPECT_TRUE(DesktopEntry::contents().contains("\nExec=tallomer %U\n"))
        << "without %U launchers pass no links or files";
}

TEST(FolderIcon, WritesDotDirectoryKeepingOtherLinesAndCallsGioWhoseFailuresAreLoggedAndBounded)
{
    EXPECT_EQ(FolderIcon::directoryFileWithIcon("[Desktop Entry]\nIcon=old.png\nName=x\n[Other]\nIcon=keep\n",
                                                "/i/new.svg"),
              "[Desktop Entry]\nIcon=/i/new.svg\nName=x\n[Other]\nIcon=keep\n");
    EXPECT_EQ(FolderIcon::directoryFileWithIcon("[Dolphin]\nViewMode=1", "/i/a.svg"),
              "[Desktop Entry]\nIcon=/i/a.svg\n\n[Dolphin]\nViewMode=1\n");

    const QString dir = tempFolder("folder"), bin = tempFolder("bin");
    // Without a script there is no program at the given path; the first one keeps its arguments.
    // Those that must finish are given as long as the tests wait on anything: a loaded machine
    // only makes them slower.
    const int finishes = test::kWaitMilliseconds;
    const struct { const char* script; int timeoutMs; bool ran, succeeded; const char* logged; } cases[] = {
        {"printf '%s\\n' \"$@\" > \"$0.args\"", finishes, true, true, ""},
        {"echo 'no metadata here' >&2; exit 1", finishes, true, false, "no metadata here"},
        {"exec sleep 30", 200, true, false, "did not finish"},
        {nullptr, finishes, false, false, "cannot start"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.script ? c.script : "no gio");
        ScopedLogCapture log;
        FolderIcon::Options o;
        o.gioProgram = c.script ? fakeGio(bin, c.script) : bin + "/no-such-gio";
        o.gioTimeoutMs = c.timeoutMs;
        const auto r = FolderIcon::setIcon(dir, "/opt/my icons/zevFolder.svg", o);
        EXPECT_TRUE(r.directoryFileWritten);
        EXPECT_EQ(r.gioRan, c.ran);
        EXPECT_EQ(r.gioSucceeded, c.succeeded);
        EXPECT_TRUE(*c.logged ? log.sink.contains(c.logged) : log.sink.lines.empty());
    }
    EXPECT_EQ(readFile(dir + "/.directory"), "[Desktop Entry]\nIcon=/opt/my icons/zevFolder.svg\n");
    EXPECT_EQ(readFile(bin + "/gio.args"),
              "set\n" + dir.toUtf8() + "\nmetadata::custom-icon\nfile:///opt/my%20icons/zevFolder.svg\n");
}

// The folder's icon names a copy kept in the store, never the program's own file, which may lie
// in a build tree.
TEST(FolderIcon, IconIsACopyKeptInTheStoreAndRefreshedOnlyWhenItDiffers)
{
    const QString build = tempFolder("build") + "/share/tallomer/images", store = tempFolder("store");
    const QString source = test::writeFile(build + "/zevFolder.svg", "<svg>one</svg>");
    const QString copy = FolderIcon::keepCopy(source, store);
    EXPECT_EQ(copy, store + "/zevFolder.svg");
    EXPECT_EQ(readFile(copy), "<svg>one</svg>");

    const QString folder = tempFolder("drop");
    FolderIcon::Options o;
    o.gioProgram = tempFolder("bin") + "/no-such-gio";
    {
        ScopedLogCapture quiet;
        EXPECT_TRUE(FolderIcon::setIcon(folder, copy, o).directoryFileWritten);
    }
    const QByteArray written = readFile(folder + "/.directory");
    EXPECT_EQ(written, "[Desktop Entry]\nIcon=" + copy.toUtf8() + "\n");
    EXPECT_FALSE(written.contains(build.section('/', 0, -4).toUtf8())) << "nothing points into the build folder";

    // A rewrite goes through a temporary file, so it would show as another inode.
    auto inode = [&copy] {
        struct stat st {};
        return ::stat(QFile::encodeName(copy).constData(), &st) == 0 ? st.st_ino : ino_t(0);
    };
    const ino_t before = inode();
    EXPECT_EQ(FolderIcon::keepCopy(source, store), copy);
    EXPECT_EQ(inode(), before) << "an identical copy is kept as it is";
    test::writeFile(source, "<svg>two</svg>");
    EXPECT_EQ(FolderIcon::keepCopy(source, store), copy);
    EXPECT_EQ(readFile(copy), "<svg>two</svg>");

    ScopedLogCapture log;
    EXPECT_TRUE(FolderIcon::keepCopy(build + "/missing.svg", store).isEmpty());
    EXPECT_TRUE(FolderIcon::keepCopy(source, store + "/missing").isEmpty());
    EXPECT_EQ(log.sink.lines.size(), 2u);
    EXPECT_EQ(readFile(copy), "<svg>two</svg>");
}

TEST(GtkBookmarks, PutsTheFolderFirstOnceAndKeepsEveryOtherLine)
{
    // No fatal assertions here: the test home's config folder must come back at the end.
    const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
    const QString config = tempFolder("gtk-config"), home = tempFolder("home"), folder = home + "/My Desk";
    const QByteArray line = "file://" + home.toUtf8() + "/My%20Desk\n";
    qputenv("XDG_CONFIG_HOME", config.toUtf8());
    const QString list = GtkBookmarks::bookmarksPath();
    EXPECT_EQ(list, config + "/gtk-3.0/bookmarks");
    EXPECT_FALSE(QFileInfo::exists(config + "/gtk-3.0"));
    EXPECT_EQ(GtkBookmarks::addFolder(folder), GtkBookmarks::Result::Added);
    for (const QString& same : {folder, folder + "/", home + "/x/../My Desk"})
        EXPECT_EQ(GtkBookmarks::addFolder(same), GtkBookmarks::Result::AlreadyPresent) << qPrintable(same);
    EXPECT_EQ(readFile(list), line);
    // A line the user labelled counts too.
    test::writeFile(list, line.chopped(1) + " My desk\n");
    EXPECT_EQ(GtkBookmarks::addFolder(folder), GtkBookmarks::Result::AlreadyPresent);

    const QByteArray others = "file:///srv/projects Projects\nsftp://host/data\n\nfile:///tmp";
    test::writeFile(list, others); // no final newline
    EXPECT_EQ(GtkBookmarks::addFolder(folder), GtkBookmarks::Result::Added);
    EXPECT_EQ(readFile(list), line + others + "\n");

    // A folder where the list should be cannot be read, even by root; it is reported and left alone.
    EXPECT_TRUE(QFile::remove(list) && QDir().mkpath(list));
    QString error;
    EXPECT_EQ(GtkBookmarks::addFolder(folder, &error), GtkBookmarks::Result::CannotOpenList);
    EXPECT_FALSE(error.isEmpty());
    EXPECT_TRUE(QFileInfo(list).isDir());
    // Nor is a named pipe opened (it would wait for a writer: one comes after 10 s, and the test fails).
    EXPECT_TRUE(QDir().rmdir(list));
    EXPECT_EQ(::mkfifo(QFile::encodeName(list).constData(), 0600), 0);
    auto asked = std::async(std::launch::async, [&] {
        return std::pair(GtkBookmarks::addFolder(folder), GtkBookmarks::removeFolder(folder));
    });
    while (asked.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
        ADD_FAILURE() << "the named pipe was opened";
        if (const int fd = ::open(QFile::encodeName(list).constData(), O_WRONLY | O_NONBLOCK); fd >= 0)
            ::close(fd);
    }
    EXPECT_EQ(asked.get(), std::pair(GtkBookmarks::Result::CannotOpenList, false));
    EXPECT_FALSE(QFileInfo(list).isFile()) << "left as it was";

    qputenv("XDG_CONFIG_HOME", ""); // then the list under ~/.config
    EXPECT_EQ(GtkBookmarks::bookmarksPath(), QDir::homePath() + "/.config/gtk-3.0/bookmarks");
    qputenv("XDG_CONFIG_HOME", saved);
}

TEST(GtkBookmarks, RemovingTakesOnlyTheLineAddingWrote)
{
    const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
    const QString config = tempFolder("gtk-config"), home = tempFolder("home"), folder = home + "/My Desk";
    qputenv("XDG_CONFIG_HOME", config.toUtf8());
    const QString list = GtkBookmarks::bookmarksPath();
    EXPECT_TRUE(GtkBookmarks::removeFolder(folder)) << "no list: nothing to do";
    EXPECT_FALSE(QFileInfo::exists(list));
    const QByteArray others = "file:///srv/projects Projects\nfile://" + home.toUtf8() + "/My%20Desk Labelled\n";
    test::writeFile(list, others);
    EXPECT_EQ(GtkBookmarks::addFolder(folder), GtkBookmarks::Result::AlreadyPresent);
    test::writeFile(list, "file://" + home.toUtf8() + "/My%20Desk\n" + others);
    EXPECT_TRUE(GtkBookmarks::removeFolder(folder + "/"));
    EXPECT_EQ(readFile(list), others) << "the user's labelled line stays";
    qputenv("XDG_CONFIG_HOME", saved);
}

// What a second start hands the first, files and links, the end-to-end tests send through a
// second process of the program.
TEST_F(SingleInstanceTest, NameIsFreeAgainWhenTheFirstInstanceEndsAndWithoutABusEachRunsAlone)
{
    QDBusConnection busA = connect(), busB = connect();
    ASSERT_EQ(SingleInstance(busA).start({}), Role::Primary);
    EXPECT_EQ(SingleInstance(busB).start({}), Role::Primary);

    QDBusConnection none = connect("unix:path=/nonexistent/bus");
    ASSERT_FALSE(none.isConnected());
    ScopedLogCapture log;
    EXPECT_EQ(SingleInstance(none).start({}), Role::Standalone);
    EXPECT_EQ(SingleInstance(none).start({}), Role::Standalone);
    EXPECT_LE(log.sink.count("no session bus"), 1u) << "said more than once";
}

TEST(SingleInstanceDispatch, SortsUrlsFromFiles)
{
    SingleInstance si(QDBusConnection(QString("unused")));
    QStringList urls, docs;
    si.getURL = [&](const QString& u) { urls << u; };
    si.openDocuments = [&](const QStringList& p) { docs << p; };
    ScopedLogCapture log;
    si.dispatch({"ZEVP://a", "file:///tmp/x%20y.pdf", "/abs/file", "https://example.org/", "", "zevp://b"});
    EXPECT_EQ(urls, (QStringList{"ZEVP://a", "zevp://b"}));
    EXPECT_EQ(docs, (QStringList{"/tmp/x y.pdf", "/abs/file"}));
    EXPECT_TRUE(log.sink.contains("https://example.org/"));
    EXPECT_EQ(SingleInstance::absoluteArguments({"a/../b", "zevp://x", "/c"}, "/base"),
              (QStringList{"/base/b", "zevp://x", "/c"}));
}
