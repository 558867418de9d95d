// The uninstall dialog's count, and the links it leaves: named by day, numbered on collisions,
// none for a wallpaper, .webloc files named by the title's host that python3 reads, titles that
// cannot lead out of the links' folder; a move that fails keeps the stored file.

#include "app/widgets/ZEVUninstallPanel.h"

#include "platform/files/FileBookmark.h"
#include "platform/files/RecordFile.h"
#include "tests/support/TestHome.h"

#include <QCheckBox>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QProcess>

#include <gtest/gtest.h>

#include <cerrno>

using namespace tallomer;

namespace {

QString folder(const char* prefix) { return QString::fromStdString(test::makeTempDir(prefix)); }

QString writtenFile(const QString& path, const QByteArray& bytes = "x")
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
    return path;
}

struct Store {
    QString dir = folder("store");
    QString drop = dir + "/local/zevDrop";
    QString data = dir + "/local/zevData";
    std::map<KELId, QString> titles;

    ZEVUninstallPanel panel()
    {
        return ZEVUninstallPanel({dir, drop, data}, [this](KELId id) { return titles[id]; });
    }
    void fileRecord(KELId id, const QString& target)
    {
        const auto bookmark = FileBookmark::fromPath(target);
        ASSERT_TRUE(bookmark);
        QCborMap fields;
        fields.insert(QStringLiteral("bookmark"), bookmark->toBytes());
        fields.insert(QStringLiteral("path"), target);
        QDir().mkpath(data + "/2000018");
        ASSERT_TRUE(writeRecordFile(QStringLiteral("%1/2000018/%2.file").arg(data).arg(id), fields));
    }
    void webRecord(KELId id, const QString& url, const QString& title)
    {
        QCborMap fields;
        fields.insert(QStringLiteral("uid"), url);
        QDir().mkpath(data + "/2000018");
        ASSERT_TRUE(writeRecordFile(QStringLiteral("%1/2000018/%2.http").arg(data).arg(id), fields));
        titles[id] = title;
    }
};

QString plistUrl(const QString& path)
{
    QProcess p;
    p.start("python3", {"-c", "import plistlib,sys\nprint(plistlib.load(open(sys.argv[1],'rb'))['URL'])", path});
    p.waitForFinished(30000);
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

} // namespace

TEST(ZEVUninstallPanel, TheCountIsOfTheFilesTheMoveTakesAndDrivesTheBoxes)
{
    Store store;
    writtenFile(store.drop + "/2000018/1/zevWallpaperGrey.pdf");
    writtenFile(store.drop + "/2000018/2/page.html");
    ZEVUninstallPanel panel = store.panel();
    panel.prepare();
    EXPECT_FALSE(panel.itemsCheckBox()->isChecked());
    EXPECT_FALSE(panel.aliasCheckBox()->isEnabled());
    EXPECT_TRUE(panel.itemsLabel()->isHidden());

    // One stored file, even in a Channel without wallpaper folders, is counted and offered.
    writtenFile(store.drop + "/2000018/3/a.txt");
    panel.prepare();
    EXPECT_EQ(panel.itemsLabel()->text(), "(1 file)");
    EXPECT_TRUE(panel.itemsCheckBox()->isChecked() && panel.aliasCheckBox()->isChecked());
    writtenFile(store.drop + "/2000019/4/sub/b.txt");
    writtenFile(store.drop + "/2000018/.hidden");
    panel.prepare();
    EXPECT_EQ(panel.itemsLabel()->text(), "(2 files)");

    // Unchecking the move unchecks the links with it; checking it again enables them.
    panel.itemsCheckBox()->click();
    EXPECT_FALSE(panel.aliasCheckBox()->isChecked());
    panel.itemsCheckBox()->click();
    EXPECT_TRUE(panel.aliasCheckBox()->isChecked() && panel.aliasCheckBox()->isEnabled());

    EXPECT_EQ(ZEVUninstallPanel::numberedName("report.pdf", 1), "report (1).pdf");
    EXPECT_EQ(ZEVUninstallPanel::numberedName("README", 2), "README (2).");
    // A name that looks like a placeholder keeps every character.
    EXPECT_EQ(ZEVUninstallPanel::numberedName("50%1 off %2.pdf", 3), "50%1 off %2 (3).pdf");
}

TEST(ZEVUninstallPanel, LinksAreNamedByDayNumberedAndKeptInsideTheirFolder)
{
    Store store;
    const QString docs = folder("docs"), other = folder("other");
    store.fileRecord(100000001, writtenFile(docs + "/doc.txt", "a"));
    store.fileRecord(100000002, writtenFile(other + "/doc.txt", "b"));
    store.fileRecord(100000003, writtenFile(store.dir + "/zevWallpaperGrey.pdf", "w"));
    store.webRecord(100000004, "https://www.example.org/page?x=1", "https://www.example.org/page");
    store.webRecord(100000005, "https://plain.example/", "../../escape/name");
    writtenFile(store.data + "/2000018/garbage.file", "not a record");
    const QString day = QDate::currentDate().toString("yyyy-MM-dd");

    const QString saved = folder("saved");
    ZEVUninstallPanel panel = store.panel();
    EXPECT_TRUE(panel.backupAllZevAliasAtURL(saved));
    const QString alias = saved + "/Tallomer Alias";
    QStringList names = QDir(alias).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System | QDir::Hidden);
    names.sort();
    EXPECT_EQ(names, (QStringList{day + " (1) doc.txt", day + " doc.txt", day + " name.webloc",
                                  day + " www.example.org.webloc"}));
    const QStringList targets = {QFileInfo(alias + "/" + day + " doc.txt").symLinkTarget(),
                                 QFileInfo(alias + "/" + day + " (1) doc.txt").symLinkTarget()};
    EXPECT_TRUE(targets.contains(docs + "/doc.txt") && targets.contains(other + "/doc.txt"));
    EXPECT_EQ(plistUrl(alias + "/" + day + " www.example.org.webloc"), "https://www.example.org/page?x=1");
    EXPECT_EQ(plistUrl(alias + "/" + day + " name.webloc"), "https://plain.example/");
    EXPECT_FALSE(QFileInfo::exists(saved + "/escape"));

    // A file that cannot be found makes the answer no; the others are still made.
    store.fileRecord(100000006, writtenFile(docs + "/gone.txt"));
    QFile::remove(docs + "/gone.txt");
    const QString again = folder("again");
    EXPECT_FALSE(panel.backupAllZevAliasAtURL(again));
    EXPECT_EQ(QDir(again + "/Tallomer Alias").entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System).size(), 4);
}

TEST(ZEVUninstallPanel, AMoveThatFailsKeepsTheStoredFile)
{
    Store store;
    writtenFile(store.drop + "/2000018/7/kept.pdf", "kept");
    writtenFile(store.drop + "/2000018/8/moved.pdf", "moved");
    ZEVUninstallPanel panel = store.panel();
    panel.setRename([](const QByteArray& from, const QByteArray& to, unsigned flags) {
        if (from.endsWith("kept.pdf")) {
            errno = EACCES;
            return -1;
        }
        return systemRename()(from, to, flags);
    });
    const QString saved = folder("saved");
    EXPECT_FALSE(panel.backupAllZevItemsAtURL(saved));
    EXPECT_TRUE(QFileInfo::exists(store.drop + "/2000018/7/kept.pdf"));
    EXPECT_FALSE(QFileInfo::exists(saved + "/Tallomer Objects/2000018/kept.pdf"));
    EXPECT_TRUE(QFileInfo::exists(saved + "/Tallomer Objects/2000018/moved.pdf"));
    EXPECT_FALSE(QFileInfo::exists(store.drop + "/2000018/8/moved.pdf"));
}
