#include "platform/AppId.h"
#include "platform/desktop/DesktopEntry.h"
#include "platform/desktop/FolderIcon.h"
#include "platform/desktop/GtkBookmarks.h"

#include "engine/runtime/Log.h"
#include "tests/platform/PlatformFixture.h"

using namespace tallomer;
using test::readFile;
using test::tempFolder;

namespace {

// A stand-in gio running `body` as a shell script.
QString fakeGio(const QString& dir, const QString& body)
{
    const QString path = test::writeFile(dir + "/gio", "#!/bin/sh\n" + body.toUtf8() + "\n");
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path;
}

// Each test gets a config folder of its own; the previous one comes back afterwards.
class BookmarksTest : public ::testing::Test {
protected:
    void SetUp() override { qputenv("XDG_CONFIG_HOME", config_.toUtf8()); }
    void TearDown() override { qputenv("XDG_CONFIG_HOME", saved_); }
    static QByteArray list() { return readFile(GtkBookmarks::bookmarksPath()); }

    const QByteArray saved_ = qgetenv("XDG_CONFIG_HOME");
    const QString config_ = tempFolder("gtk-config");
    const QString home_ = tempFolder("home");
    const QString folder_ = home_ + "/My Desk";
    const QByteArray line_ = "file://" + home_.toUtf8() + "/My%20Desk";
};

using Result = GtkBookmarks::Result;

} // namespace

TEST(DesktopEntry, InstalledFileIsTheGeneratedOneAndHandlesZevpLinks)
{
    EXPECT_EQ(DesktopEntry::fileName(), QString(kAppId) + ".desktop");
    const QString installed =
        QString::fromStdString(test::sourceDir()) + "/resources/desktop/" + DesktopEntry::fileName();
    ASSERT_TRUE(QFileInfo::exists(installed)) << qPrintable(installed);
    EXPECT_EQ(readFile(installed), DesktopEntry::contents());
    const QList<QByteArray> lines = DesktopEntry::contents().split('\n');
    EXPECT_EQ(lines.first(), "[Desktop Entry]");
    EXPECT_TRUE(lines.contains("Type=Application"));
    EXPECT_TRUE(lines.contains("MimeType=x-scheme-handler/zevp;"));
    EXPECT_TRUE(lines.contains("Exec=tallomer %U")) << "without %U launchers pass no links or files";
}

TEST(FolderIcon, DirectoryFileGetsTheIconAndKeepsOtherLines)
{
    EXPECT_EQ(FolderIcon::directoryFileWithIcon("", "/i/zevFolder.svg"),
              "[Desktop Entry]\nIcon=/i/zevFolder.svg\n");
    EXPECT_EQ(FolderIcon::directoryFileWithIcon("[Desktop Entry]\nIcon=old.png\nName=x\n[Other]\nIcon=keep\n",
                                                "/i/new.svg"),
              "[Desktop Entry]\nIcon=/i/new.svg\nName=x\n[Other]\nIcon=keep\n");
    EXPECT_EQ(FolderIcon::directoryFileWithIcon("[Dolphin]\nViewMode=1", "/i/a.svg"),
              "[Desktop Entry]\nIcon=/i/a.svg\n\n[Dolphin]\nViewMode=1\n");
}

TEST(FolderIcon, WritesDotDirectoryAndCallsGioWithAFileUri)
{
    const QString dir = tempFolder("folder"), bin = tempFolder("bin");
    FolderIcon::Options o;
    o.gioProgram = fakeGio(bin, "printf '%s\\n' \"$@\" > \"" + bin + "/args\"");
    const auto r = FolderIcon::setIcon(dir, "/opt/my icons/zevFolder.svg", o);
    EXPECT_TRUE(r.directoryFileWritten);
    EXPECT_TRUE(r.gioSucceeded);
    EXPECT_EQ(readFile(dir + "/.directory"), "[Desktop Entry]\nIcon=/opt/my icons/zevFolder.svg\n");
    EXPECT_EQ(readFile(bin + "/args"),
              "set\n" + dir.toUtf8() + "\nmetadata::custom-icon\nfile:///opt/my%20icons/zevFolder.svg\n");
}

TEST(FolderIcon, GioFailureHangOrAbsenceIsLoggedAndBounded)
{
    const QString dir = tempFolder("folder"), bin = tempFolder("bin");
    const struct {
        const char* script; // none: no program at the given path
        int timeoutMs;
        bool ran;
        const char* logged;
    } cases[] = {{"echo 'no metadata here' >&2; exit 1", 2000, true, "no metadata here"},
                 {"exec sleep 30", 200, true, "did not finish"},
                 {nullptr, 2000, false, "cannot start"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.logged);
        ScopedLogCapture log;
        FolderIcon::Options o;
        o.gioProgram = c.script ? fakeGio(bin, c.script) : bin + "/no-such-gio";
        o.gioTimeoutMs = c.timeoutMs;
        const auto r = FolderIcon::setIcon(dir, "/i/a.svg", o);
        EXPECT_TRUE(r.directoryFileWritten);
        EXPECT_EQ(r.gioRan, c.ran);
        EXPECT_FALSE(r.gioSucceeded);
        EXPECT_TRUE(log.sink.contains(c.logged));
    }
}

TEST_F(BookmarksTest, CreatesTheListWhenMissingAndNeverDuplicates)
{
    ASSERT_EQ(GtkBookmarks::bookmarksPath(), config_ + "/gtk-3.0/bookmarks");
    ASSERT_FALSE(QFileInfo::exists(config_ + "/gtk-3.0"));
    EXPECT_EQ(GtkBookmarks::addFolder(folder_), Result::Added);
    EXPECT_EQ(list(), line_ + "\n");
    for (const QString& same : {folder_, folder_ + "/", home_ + "/x/../My Desk"})
        EXPECT_EQ(GtkBookmarks::addFolder(same), Result::AlreadyPresent) << qPrintable(same);
    EXPECT_EQ(list(), line_ + "\n");
    // A line the user labelled counts too.
    test::writeFile(GtkBookmarks::bookmarksPath(), line_ + " My desk\n");
    EXPECT_EQ(GtkBookmarks::addFolder(folder_), Result::AlreadyPresent);

    qputenv("XDG_CONFIG_HOME", ""); // then the list under ~/.config
    EXPECT_EQ(GtkBookmarks::bookmarksPath(), QDir::homePath() + "/.config/gtk-3.0/bookmarks");
}

TEST_F(BookmarksTest, PutsTheFolderFirstAndKeepsEveryOtherLine)
{
    const QByteArray others = "file:///srv/projects Projects\nsftp://host/data\n\nfile:///tmp";
    test::writeFile(GtkBookmarks::bookmarksPath(), others); // no final newline
    EXPECT_EQ(GtkBookmarks::addFolder(folder_), Result::Added);
    EXPECT_EQ(list(), line_ + "\n" + others + "\n");
}

TEST_F(BookmarksTest, UnreadableListIsReportedAndLeftAlone)
{
    // A folder where the list should be cannot be read, even by root.
    ASSERT_TRUE(QDir().mkpath(GtkBookmarks::bookmarksPath()));
    QString error;
    EXPECT_EQ(GtkBookmarks::addFolder(folder_, &error), Result::CannotOpenList);
    EXPECT_FALSE(error.isEmpty());
    EXPECT_TRUE(QFileInfo(GtkBookmarks::bookmarksPath()).isDir());
}
