#include "platform/desktop/GtkBookmarks.h"

#include "tests/support/TestHome.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

using tallomer::GtkBookmarks;

namespace {

// Points XDG_CONFIG_HOME at a fresh folder for one test and restores it afterwards.
class BookmarksTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        saved_ = qgetenv("XDG_CONFIG_HOME");
        config_ = QString::fromStdString(tallomer::test::makeTempDir("gtk-config"));
        qputenv("XDG_CONFIG_HOME", config_.toUtf8());
        folder_ = QString::fromStdString(tallomer::test::makeTempDir("home")) + "/Tallomer";
    }
    void TearDown() override { qputenv("XDG_CONFIG_HOME", saved_); }

    QByteArray read() const
    {
        QFile f(GtkBookmarks::bookmarksPath());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    void write(const QByteArray& text)
    {
        QDir().mkpath(config_ + "/gtk-3.0");
        QFile f(GtkBookmarks::bookmarksPath());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    }

    QByteArray saved_;
    QString config_;
    QString folder_;
};

} // namespace

TEST_F(BookmarksTest, PathFollowsXdgConfigHome)
{
    EXPECT_EQ(GtkBookmarks::bookmarksPath(), config_ + "/gtk-3.0/bookmarks");
    qputenv("XDG_CONFIG_HOME", "");
    EXPECT_EQ(GtkBookmarks::bookmarksPath(), QDir::homePath() + "/.config/gtk-3.0/bookmarks");
}

TEST_F(BookmarksTest, CreatesTheListWhenMissing)
{
    ASSERT_FALSE(QFileInfo::exists(config_ + "/gtk-3.0"));
    EXPECT_EQ(GtkBookmarks::addFolder(folder_), GtkBookmarks::Result::Added);
    EXPECT_EQ(read(), "file://" + folder_.toUtf8() + "\n");
}

TEST_F(BookmarksTest, NeverDuplicatesEvenWrittenDifferently)
{
    EXPECT_EQ(GtkBookmarks::addFolder(folder_), GtkBookmarks::Result::Added);
    const QByteArray once = read();
    EXPECT_EQ(GtkBookmarks::addFolder(folder_), GtkBookmarks::Result::AlreadyPresent);
    EXPECT_EQ(GtkBookmarks::addFolder(folder_ + "/"), GtkBookmarks::Result::AlreadyPresent);
    EXPECT_EQ(read(), once);

    // A line the user labelled counts too.
    write("file://" + folder_.toUtf8() + " My desk\n");
    EXPECT_EQ(GtkBookmarks::addFolder(folder_), GtkBookmarks::Result::AlreadyPresent);
}

TEST_F(BookmarksTest, PutsTheFolderFirstAndKeepsEveryOtherLine)
{
    const QByteArray others = "file:///srv/projects Projects\nsftp://host/data\n\nfile:///tmp";
    write(others); // no final newline
    EXPECT_EQ(GtkBookmarks::addFolder(folder_), GtkBookmarks::Result::Added);
    EXPECT_EQ(read(), "file://" + folder_.toUtf8() + "\n" + others + "\n");
}

TEST_F(BookmarksTest, EncodesPathsAsUris)
{
    const QString spaced = QString::fromStdString(tallomer::test::makeTempDir("a b")) + "/Tallomer";
    EXPECT_EQ(GtkBookmarks::addFolder(spaced), GtkBookmarks::Result::Added);
    EXPECT_TRUE(read().contains("a%20b"));
    EXPECT_EQ(GtkBookmarks::addFolder(spaced), GtkBookmarks::Result::AlreadyPresent);
}

TEST_F(BookmarksTest, UnreadableListIsReportedAndLeftAlone)
{
    // A folder where the list should be cannot be read, even by root.
    ASSERT_TRUE(QDir().mkpath(GtkBookmarks::bookmarksPath()));
    QString error;
    EXPECT_EQ(GtkBookmarks::addFolder(folder_, &error), GtkBookmarks::Result::CannotOpenList);
    EXPECT_FALSE(error.isEmpty());
    EXPECT_TRUE(QFileInfo(GtkBookmarks::bookmarksPath()).isDir());
}
