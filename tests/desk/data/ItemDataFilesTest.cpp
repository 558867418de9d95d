// Writing records and generated files, repairs on lookup, deletion and equivalents across Channels.

#include "tests/desk/data/ItemDataFixture.h"

#include "platform/files/FileIdentity.h"
#include "platform/files/Webloc.h"

#include <QDirIterator>
#include <QImage>
#include <QStandardPaths>

using namespace tallomer;
using namespace tallomer::test;

namespace {

// Every file below folder, as absolute paths.
QStringList filesBelow(const QString& folder)
{
    QStringList out;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext())
        out << it.next();
    return out;
}

} // namespace

TEST_F(ItemDataTest, OutsideNamesNeverLeaveTheObjectsFolderNorReplaceAFile)
{
    KELI* item = space.make(100000100, kHome, "file");
    QImage image(8, 8, QImage::Format_RGB32);
    image.fill(Qt::red);
    const QString folder = store().itemDropFolder(item->idInt());
    const QString hostile[] = {"../x", "/etc/passwd", ".", "..", "", QString(300, QChar(0x00E9)),
                               QStringLiteral("a") + QChar(0) + QStringLiteral("b"), ".hidden", "../x"};
    QStringList written;
    for (const QString& name : hostile) {
        const QString path = store().createBitmapImage(image, name, item);
        ASSERT_FALSE(path.isEmpty()) << name.toStdString();
        EXPECT_EQ(QFileInfo(path).absolutePath(), folder) << path.toStdString();
        EXPECT_LE(QFileInfo(path).fileName().toUtf8().size(), 255);
        EXPECT_FALSE(QFileInfo(path).fileName().startsWith('.'));
        written << path;
    }
    written.removeDuplicates();
    EXPECT_EQ(written.size(), qsizetype(std::size(hostile))); // the second "../x" did not replace the first
    EXPECT_EQ(filesBelow(folder).size(), written.size());
    EXPECT_FALSE(QFileInfo::exists(root + "/x.tiff"));

    const QString pdf = store().createPdfImage("%PDF-1.4 test", "../../escape", item);
    EXPECT_EQ(QFileInfo(pdf).absolutePath(), folder);
    EXPECT_TRUE(store().createPdfImage({}, "empty", item).isEmpty());

    // The desk image is the Object's own: a newer one replaces it.
    const QString jpeg = store().createZevpImage(image, item);
    EXPECT_EQ(jpeg, folder + "/zevp.jpeg");
    EXPECT_EQ(store().createZevpImage(image, item), jpeg);
    EXPECT_EQ(QImage(jpeg).size(), QSize(8, 8));
}

TEST_F(ItemDataTest, PastedTextIntoAnExistingFolderKeepsBothAndTheBundleResolves)
{
    KELI* item = space.make(100000110, kHome, "file");
    ZEVItemData& s = store();
    ZEVRichText text;
    text.runs = {{"Hello ", false, false}, {"world", true, false}};
    const QString rtf1 = s.createRTFWithAttributedString(text, item);
    const QString rtf2 = s.createRTFWithAttributedString(text, item);
    ASSERT_FALSE(rtf1.isEmpty());
    ASSERT_FALSE(rtf2.isEmpty());
    EXPECT_NE(rtf1, rtf2);
    EXPECT_TRUE(QFile(rtf1).open(QIODevice::ReadOnly));

    text.attachments = {{"../pic.png", "png bytes"}, {"TXT.rtf", "clash"}};
    const QString rtfd1 = s.createRTFDWithAttributedString(text, item);
    const QString rtfd2 = s.createRTFDWithAttributedString(text, item);
    ASSERT_FALSE(rtfd1.isEmpty());
    ASSERT_FALSE(rtfd2.isEmpty());
    EXPECT_NE(rtfd1, rtfd2);
    EXPECT_TRUE(QFileInfo::exists(rtfd1 + "/TXT.rtf"));
    EXPECT_TRUE(QFileInfo::exists(rtfd1 + "/pic.png"));
    EXPECT_EQ(filesBelow(rtfd1).size(), 3);

    // Recorded under ".rtf" but kept as the bundle beside it.
    KELI* pasted = space.make(100000111, kHome, "file");
    const QString bundle = s.createRTFDWithAttributedString(text, pasted);
    const QString plain = s.createRTFWithAttributedString(text, pasted);
    ASSERT_TRUE(s.createFileURL(plain, {}, pasted));
    ASSERT_TRUE(QFile::remove(plain));
    ASSERT_EQ(bundle, plain + "d");
    EXPECT_EQ(s.fileUrlForItem(pasted), bundle);
    EXPECT_EQ(s.itemNumberWithPath(bundle), pasted->idInt());
}

TEST_F(ItemDataTest, LookupRepairsARenamedFileAndKeepsHolderBitsInStep)
{
    KELI* item = space.make(100000120, kHome, "file");
    ZEVItemData& s = store();
    const QString path = writeFile(root + "/docs/a.txt");
    ASSERT_TRUE(s.createFileURL(path, {}, item));
    const QString uid = fileUid(path);
    item->assignerBaseInt(ZEVOPTION_MASK_BUSY | ZEVOPTION_SHOW_TITLE);

    const QString renamed = root + "/docs/b.txt";
    ASSERT_TRUE(QFile::rename(path, renamed));
    EXPECT_EQ(s.fileUrlForItem(item), renamed);
    EXPECT_EQ(s.itemNumberWithPath(renamed), item->idInt());
    EXPECT_EQ(s.itemNumberWithPath(path), 0u);
    EXPECT_EQ(s.itemNumberWithUid(uid), item->idInt());
    EXPECT_EQ(recordString(record(item->idInt(), "file"), "path"), renamed);
    EXPECT_EQ(item->baseInt(), ZEVOPTION_MASK_BUSY | ZEVOPTION_SHOW_TITLE);

    // Into the Trash: the Trash bit, and no longer busy.
    const QString trashed = folders.trash + "/files/b.txt";
    QDir().mkpath(folders.trash + "/files");
    ASSERT_TRUE(QFile::rename(renamed, trashed));
    EXPECT_EQ(s.fileUrlForItem(item), trashed);
    EXPECT_EQ(item->baseInt(), ZEVOPTION_HOLD_BY_TRASH | ZEVOPTION_SHOW_TITLE);

    // Into the store: held by the application; the Trash bit goes.
    const QString kept = folders.zevDir + "/b.txt";
    ASSERT_TRUE(QFile::rename(trashed, kept));
    EXPECT_EQ(s.fileUrlForItem(item), kept);
    EXPECT_EQ(item->baseInt(), ZEVOPTION_HOLD_BY_ZEV | ZEVOPTION_SHOW_TITLE);

    // A new file put in its place by a program that saves by replacing: same path, new uid.
    ASSERT_TRUE(QFile::remove(kept));
    writeFile(root + "/placeholder"); // holds the old inode number away from the new file
    writeFile(kept, "new content");
    const QString newUid = fileUid(kept);
    ASSERT_NE(newUid, uid);
    EXPECT_EQ(s.fileUrlForItem(item), kept);
    EXPECT_EQ(s.itemNumberWithUid(newUid), item->idInt());
    EXPECT_EQ(s.itemNumberWithUid(uid), 0u);

    // The file moved by the program itself.
    const QString moved = folders.zevFolder + "/b.txt";
    ASSERT_TRUE(QFile::rename(kept, moved));
    item->assignerBaseInt(ZEVOPTION_HOLD_BY_ZEV | ZEVOPTION_GIF | ZEVOPTION_ANIMATE);
    s.updateFilePathWithItem(item, moved);
    EXPECT_EQ(item->baseInt(), ZEVOPTION_HOLD_BY_ZEV_FOLDER);
    EXPECT_EQ(s.itemNumberWithPath(moved), item->idInt());
    EXPECT_EQ(s.itemNumberWithPath(kept), 0u);
}

TEST_F(ItemDataTest, WebPagesOpenOnClickOnlyWithoutAnOriginAndWebObjectsDownloadOnce)
{
    ZEVItemData& s = store();
    KELI* page = space.make(100000130, kHome, "file");
    KELI* fetched = space.make(100000131, kHome, "file");
    ASSERT_TRUE(s.createFileURL(writeFile(root + "/saved.html"), {}, page));
    ASSERT_TRUE(s.createFileURL(writeFile(root + "/got.htm"), QUrl("https://example.org/got.htm"), fetched));
    EXPECT_TRUE(page->baseInt() & ZEVOPTION_OPEN_ON_CLICK);
    EXPECT_FALSE(fetched->baseInt() & ZEVOPTION_OPEN_ON_CLICK);
    EXPECT_EQ(s.originalHttpUrlForItem(fetched), QUrl("https://example.org/got.htm"));
    EXPECT_TRUE(s.originalHttpUrlForItem(page).isEmpty());

    KELI* web = space.make(100000132, kHome, "http");
    ASSERT_TRUE(s.createFileHttpWithUid("https://example.org/", web));
    EXPECT_TRUE(s.fileUrlForItem(web).isEmpty());
    EXPECT_TRUE(s.fileUrlForItem(web).isEmpty());
    ASSERT_EQ(space.downloads.size(), 1u);
    EXPECT_EQ(space.downloads[0].first, QUrl("https://example.org/"));
    EXPECT_EQ(s.httpUrlForItem(web), QUrl("https://example.org/"));

    // The downloaded page gets a web location named after the host of the title.
    writeFile(s.itemDropFolder(web->idInt()) + "/index.html");
    const QString webloc = s.weblocUrlForItem(web, "https://www.example.org/some/page");
    EXPECT_EQ(webloc, s.itemDropFolder(web->idInt()) + "/www.example.org.webloc");
    EXPECT_EQ(readWeblocFile(webloc), std::optional<QString>("https://example.org/"));
    EXPECT_EQ(s.weblocUrlForItem(web, "other"), webloc); // found, not made again
    KELI* hostile = space.make(100000133, kHome, "http");
    ASSERT_TRUE(s.createFileHttpWithUid("https://example.org/h", hostile));
    writeFile(s.itemDropFolder(hostile->idInt()) + "/index.html");
    const QString safe = s.weblocUrlForItem(hostile, "../../../evil");
    EXPECT_EQ(QFileInfo(safe).absolutePath(), s.itemDropFolder(hostile->idInt()));
}

TEST_F(ItemDataTest, DeleteTrashesDropFilesOnlyWhenNoOtherChannelHoldsTheSameUid)
{
    KELI* shared = space.make(100000140, kHome, "http");
    KELI* twin = space.make(100000141, kOther, "http");
    KELI* alone = space.make(100000142, kHome, "http");
    ZEVItemData& home = store();
    ASSERT_TRUE(home.createFileHttpWithUid("https://shared.example/", shared));
    ASSERT_TRUE(store(kOther).createFileHttpWithUid("https://shared.example/", twin));
    ASSERT_TRUE(home.createFileHttpWithUid("https://alone.example/", alone));
    const QString sharedDrop = writeFile(home.itemDropFolder(shared->idInt()) + "/page.html");
    const QString aloneDrop = writeFile(home.itemDropFolder(alone->idInt()) + "/page.html");

    home.deleteItem(shared);
    EXPECT_FALSE(QFileInfo::exists(home.recordPath(shared->idInt(), "http")));
    EXPECT_TRUE(QFileInfo::exists(sharedDrop)); // the other Channel still shows it
    EXPECT_EQ(home.itemNumberWithUid("https://shared.example/"), 0u);
    EXPECT_EQ(store(kOther).itemNumberWithUid("https://shared.example/"), twin->idInt());

    home.deleteItem(alone);
    EXPECT_FALSE(QFileInfo::exists(aloneDrop));
    EXPECT_FALSE(QFileInfo::exists(home.itemDropFolder(alone->idInt())));
    const QString trash = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + "/Trash/files";
    EXPECT_FALSE(QDir(trash).entryList({QStringLiteral("100000142*")}, QDir::AllEntries).isEmpty());
    EXPECT_TRUE(space.downloads.empty()); // deleting never fetches

    // A file in ~/Tallomer goes to the Trash with its Object.
    KELI* dropped = space.make(100000143, kHome, "file");
    const QString file = writeFile(folders.zevFolder + "/dropped.txt");
    ASSERT_TRUE(home.createFileURL(file, {}, dropped));
    home.deleteItem(dropped);
    EXPECT_FALSE(QFileInfo::exists(file));
    EXPECT_EQ(home.itemNumberWithPath(file), 0u);
}

TEST_F(ItemDataTest, FailedRecordWritesAreReportedAndIndexNothing)
{
    KELI* item = space.make(100000150, kHome, "http");
    ZEVItemData& s = store();
    // A folder where the record should go: the atomic replace cannot succeed.
    QDir().mkpath(s.recordPath(item->idInt(), "http"));
    ScopedLogCapture log;
    EXPECT_FALSE(s.createFileHttpWithUid("https://example.org/", item));
    EXPECT_EQ(storeErrors.size(), 1);
    EXPECT_TRUE(log.sink.contains("ZEVItemData ERROR"));
    EXPECT_EQ(s.itemNumberWithUid("https://example.org/"), 0u);
    EXPECT_FALSE(item->baseInt() & ZEVOPTION_QL_ICON);

    // A file that is not there writes no record at all.
    KELI* missing = space.make(100000151, kHome, "file");
    EXPECT_FALSE(s.createFileURL(root + "/absent", {}, missing));
    EXPECT_TRUE(log.sink.contains("createFileURL   Error when creating URL bookmark data:"));
    EXPECT_FALSE(QFileInfo::exists(s.recordPath(missing->idInt(), "file")));

    // Only the five record kinds are ever read.
    EXPECT_TRUE(s.uidForItem(item, "../../etc/passwd").isNull());
}

TEST_F(ItemDataTest, EquivalentsAcrossChannelsAreFoundOrMade)
{
    KELI* person = space.make(100000160, kHome, "ABPerson");
    KELI* web = space.make(100000161, kHome, "http");
    KELI* mail = space.make(100000162, kHome, "message");
    ASSERT_TRUE(store().createFilePersonWithUid("P-1", person));
    ASSERT_TRUE(store().createFileHttpWithUid("https://example.org/", web));
    QCborMap dico;
    dico.insert(QStringLiteral("uid"), QStringLiteral("<m@example.org>"));
    dico.insert(QStringLiteral("createdDate"), recordDate(700000000.0));
    ASSERT_TRUE(store().createFileMessageWithDico(dico, mail));
    store(kOther);
    ZEVItemData::SetCurrentChannelInt(kOther);

    EXPECT_EQ(ZEVItemData::SameItem(web), nullptr);
    KELI* made = ZEVItemData::CreateSameItem(web);
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->channelInt(), kOther);
    EXPECT_EQ(store(kOther).uidForItem(made, "http"), "https://example.org/");
    EXPECT_EQ(ZEVItemData::SameItem(web), made);
    EXPECT_EQ(ZEVItemData::CreateSameItem(web), made);

    // A contact gone from the address book has no equivalent to make.
    EXPECT_EQ(ZEVItemData::CreateSameItem(person), nullptr);
    space.people["P-1"] = {650000000.0, 660000000.0};
    KELI* contact = ZEVItemData::CreateSameItem(person);
    ASSERT_NE(contact, nullptr);
    EXPECT_EQ(contact->baseInt(), ZEVOPTION_HOLD_BY_APP);
    ASSERT_TRUE(store(kOther).updatePersonUidWithIem(contact, "P-2"));
    EXPECT_EQ(store(kOther).itemNumberWithUid("P-2"), contact->idInt());
    EXPECT_EQ(store(kOther).itemNumberWithUid("P-1"), 0u);

    // Dates by type and go-to tag.
    ZEVItemData::SetCurrentChannelInt(kHome);
    space.tag = 3;
    EXPECT_EQ(ZEVItemData::GoToDateForItem(mail), std::optional<KELDate>(700000000.0));
    EXPECT_EQ(ZEVItemData::GoToDateForItem(person), std::optional<KELDate>(650000000.0));
    space.tag = 4;
    EXPECT_EQ(ZEVItemData::GoToDateForItem(person), std::optional<KELDate>(660000000.0));
    EXPECT_EQ(ZEVItemData::GoToDateForItem(web), std::nullopt);
}

TEST_F(ItemDataTest, RecordsOfTheSingleChannelLayoutFollowTheirFiles)
{
    const QString moved = writeFile(folders.zevDrop + "/2000018/100000170/img.tiff");
    const QString oldPath = folders.zevDir + "/zevDrop/100000170/img.tiff";
    QCborMap old;
    old.insert(QStringLiteral("path"), oldPath);
    old.insert(QStringLiteral("httpPath"), QStringLiteral("https://example.org/img"));
    const QString rec = writeFile(folders.zevData + "/2000018/100000170.file", encodeRecord(old));
    ZEVItemData::TransitionForDataURL(rec);
    const QCborMap fields = *readRecordFile(rec).fields;
    EXPECT_EQ(recordString(fields, "path"), moved);
    EXPECT_EQ(recordString(fields, "uid"), fileUid(moved));
    EXPECT_EQ(recordString(fields, "httpPath"), "https://example.org/img");
    restart();
    EXPECT_EQ(store().itemNumberWithPath(moved), 100000170u);
}
