// Loading the indexes at start: files that moved, records that cannot be resolved or read.

#include "tests/desk/data/ItemDataFixture.h"

#include "platform/files/FileIdentity.h"

#include <QtEndian>

#include <random>

using namespace tallomer;
using namespace tallomer::test;

namespace {

QByteArray httpRecord(const QString& uid)
{
    QCborMap fields;
    fields.insert(QStringLiteral("uid"), uid);
    return encodeRecord(fields);
}

} // namespace

TEST_F(ItemDataTest, MovedAndRenamedFilesAreFoundAtStartAndTheirRecordsRewritten)
{
    KELI* a = space.make(100000001, kHome, "file");
    KELI* b = space.make(100000002, kHome, "file");
    const QString pathA = writeFile(folders.zevFolder + "/report.txt");
    const QString pathB = writeFile(root + "/elsewhere/photo.png");
    ASSERT_TRUE(store().createFileURL(pathA, {}, a));
    ASSERT_TRUE(store().createFileURL(pathB, QUrl("https://example.org/photo.png"), b));
    const QString uidA = fileUid(pathA);

    // A moves into a sub-folder of the home; B is renamed in place.
    const QString movedA = root + "/deep/er/report.txt";
    QDir().mkpath(root + "/deep/er");
    ASSERT_TRUE(QFile::rename(pathA, movedA));
    const QString renamedB = root + "/elsewhere/holiday.png";
    ASSERT_TRUE(QFile::rename(pathB, renamedB));

    EXPECT_EQ(restart(), 2);
    ZEVItemData& s = store();
    EXPECT_EQ(s.itemNumberWithPath(movedA), a->idInt());
    EXPECT_EQ(s.itemNumberWithPath(renamedB), b->idInt());
    EXPECT_EQ(s.itemNumberWithPath(pathA), 0u);
    EXPECT_EQ(s.itemNumberWithPath(pathB), 0u);
    EXPECT_EQ(s.itemNumberWithUid(uidA), a->idInt()); // identity kept across the move

    const QCborMap recA = record(a->idInt(), "file");
    EXPECT_EQ(recordString(recA, "path"), movedA);
    EXPECT_EQ(recordString(recA, "uid"), uidA);
    // The origin of B survives the rewrite.
    EXPECT_EQ(recordString(record(b->idInt(), "file"), "httpPath"), "https://example.org/photo.png");

    // The rewritten record resolves by its path next time, without any search.
    EXPECT_EQ(restart(), 2);
    EXPECT_EQ(store().itemNumberWithPath(movedA), a->idInt());
}

TEST_F(ItemDataTest, BadRecordsAreLoggedAndSkippedWithoutLosingTheOthers)
{
    KELI* gone = space.make(100000010, kHome, "file");
    KELI* kept = space.make(100000011, kHome, "file");
    const QString gonePath = writeFile(root + "/gone.txt");
    const QString keptPath = writeFile(root + "/kept.txt");
    ASSERT_TRUE(store().createFileURL(gonePath, {}, gone));
    ASSERT_TRUE(store().createFileURL(keptPath, {}, kept));
    ASSERT_TRUE(QFile::remove(gonePath));

    const QString data = store().zevDataURL();
    // A truncated record, one of an unknown kind, one whose name is no Object id, a good one.
    const QByteArray good = httpRecord("https://example.org/");
    writeFile(data + "/100000012.http", good.left(good.size() - 3));
    writeFile(data + "/100000013.other", good);
    writeFile(data + "/notanid.http", good);
    writeFile(data + "/100000014.http", good);
    // A stray file beside the Channel folders is no Channel.
    writeFile(folders.zevData + "/stray.txt");

    ScopedLogCapture log;
    EXPECT_EQ(restart(), 6);
    ZEVItemData& s = store();
    EXPECT_TRUE(log.sink.contains("InitializeDicosFromURL ERROR 2:"));
    EXPECT_TRUE(log.sink.contains(("                 previous path: " + gonePath).toStdString()));
    EXPECT_TRUE(log.sink.contains("InitializeDicosFromURL ERROR 1:"));
    EXPECT_EQ(s.itemNumberWithPath(gonePath), 0u);
    EXPECT_EQ(s.itemNumberWithPath(keptPath), kept->idInt());
    EXPECT_EQ(s.itemNumberWithUid("https://example.org/"), 100000014u);
    EXPECT_EQ(ZEVItemData::ItemDatas().size(), 1u);
    // The unresolvable record is left as it was, for a later run when the volume is back.
    EXPECT_EQ(recordString(record(gone->idInt(), "file"), "path"), gonePath);
}

TEST_F(ItemDataTest, ThousandsOfMutatedRecordsNeverCrashTheLoad)
{
    const QString data = store().zevDataURL();
    QCborMap fields;
    fields.insert(QStringLiteral("uid"), QStringLiteral("https://example.org/page"));
    fields.insert(QStringLiteral("path"), QStringLiteral("/nowhere/x"));
    fields.insert(QStringLiteral("bookmark"), QByteArray(40, 'b'));
    const QByteArray pristine = encodeRecord(fields);
    const char* kinds[] = {"file", "http", "zevp", "message", "ABPerson"};

    std::mt19937 rng(8);
    const int kCount = 3000;
    for (int i = 0; i < kCount; ++i) {
        QByteArray bytes = pristine;
        switch (rng() % 4) {
        case 0: // truncated anywhere, header included
            bytes.truncate(qsizetype(rng() % bytes.size()));
            break;
        case 1: // a few flipped bits
            for (int k = 0; k < 1 + int(rng() % 4); ++k)
                bytes[qsizetype(rng() % bytes.size())] ^= char(1u << (rng() % 8));
            break;
        case 2: // a declared length far beyond the file
            qToBigEndian<quint32>(quint32(0x7FFFFFFF - rng() % 1000), bytes.data() + 8);
            break;
        default: // random payload bytes after an honest header
            for (qsizetype k = 16; k < bytes.size(); ++k)
                bytes[k] = char(rng());
        }
        writeFile(data + QStringLiteral("/%1.%2").arg(200000000 + i).arg(kinds[i % 5]), bytes);
    }
    // A sparse file far over any record's size is refused without being read.
    QFile huge(data + "/300000000.http");
    ASSERT_TRUE(huge.open(QIODevice::WriteOnly));
    ASSERT_TRUE(huge.resize(qint64(4) * 1024 * 1024 * 1024));
    huge.close();
    writeFile(data + "/300000001.http", httpRecord("https://intact.example/"));

    ScopedLogCapture log;
    EXPECT_EQ(restart(), kCount + 2);
    EXPECT_EQ(store().itemNumberWithUid("https://intact.example/"), 300000001u);
    EXPECT_GT(log.sink.count("InitializeDicosFromURL ERROR"), std::size_t(kCount / 2));
}

TEST_F(ItemDataTest, ChannelFoldersAreMadeWhenMissingAndEveryChannelIsLoaded)
{
    ASSERT_TRUE(ZEVItemData::CreateItemDataForChannelInt(kOther));
    EXPECT_TRUE(QFileInfo(folders.zevDrop + "/2000100").isDir());
    EXPECT_TRUE(QFileInfo(folders.zevData + "/2000100").isDir());
    KELI* web = space.make(100000020, kOther, "http");
    ASSERT_TRUE(store(kOther).createFileHttpWithUid("https://example.org/a", web));
    EXPECT_TRUE(web->baseInt() & ZEVOPTION_QL_ICON);

    restart();
    ASSERT_NE(ZEVItemData::ItemDataForChannelInt(kOther), nullptr);
    EXPECT_EQ(ZEVItemData::ItemDataForChannelInt(kOther)->itemNumberWithUid("https://example.org/a"),
              web->idInt());
    // The class lookups go to the current Channel only.
    EXPECT_EQ(ZEVItemData::ItemNumberWithUid("https://example.org/a"), 0u);
    ZEVItemData::SetCurrentChannelInt(kOther);
    EXPECT_EQ(ZEVItemData::ItemNumberWithUid("https://example.org/a"), web->idInt());

    // No store is made for a folder it cannot use.
    ZEVItemDataFolders broken = folders;
    broken.zevDrop = writeFile(root + "/a-file-not-a-folder");
    ZEVItemData::SetFolders(broken);
    ScopedLogCapture log;
    EXPECT_FALSE(ZEVItemData::CreateItemDataForChannelInt(2000200));
    EXPECT_TRUE(log.sink.contains("Creating Application Support/Tallomer/local/zevDrop/2000200 folder ERROR"));
}
