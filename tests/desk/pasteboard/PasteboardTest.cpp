// The pasteboard record of an Object and the pasteboard reader: lists, dates, the check family
// and the options of a new file Object.

#include "tests/desk/DropFixture.h"

#include "desk/pasteboard/ZEVItemPB.h"
#include "desk/view/ZEVDeskView.h"
#include "platform/AppId.h"
#include "platform/pasteboard/MozUrl.h"

#include <QCborArray>
#include <QCborValue>
#include <QLocale>
#include <QMimeData>
#include <QStandardPaths>

namespace desktest {

TEST(ZEVItemPB, RecordsRoundTripAndUnsetFieldsStayUnset)
{
    KELI item;
    item.assignerIdInt(123456789);
    ZEVItemPB full(&item, "uid:1", "Title", "zevp", 2000018);
    QImage image(3, 2, QImage::Format_RGB32);
    image.fill(Qt::cyan);
    full.setZevpImage(image);
    const ZEVItemPB bare(nullptr, QString(), "Only a title", QString(), 0);
    EXPECT_EQ(std::pair(bare.itemInt(), bare.channelInt()), std::pair(KELId(0), KELId(0)));

    const std::vector<ZEVItemPB> back = ZEVItemPB::unarchive(ZEVItemPB::archive({full, bare}));
    ASSERT_EQ(back.size(), 2u);
    EXPECT_EQ(back[0], full);
    EXPECT_EQ(back[1], bare);
    EXPECT_TRUE(back[1].itemUid().isNull() && !back[1].itemNum() && !back[1].channelNum());
    EXPECT_TRUE(bare.encode().value("channelNum").isNull());

    EXPECT_EQ(ZEVItemPB::writableTypes(), QStringList{kItemPasteboardType});
    EXPECT_TRUE(full.pasteboardPropertyListForType("text/plain").isEmpty());
    EXPECT_EQ(ZEVItemPB::unarchive(full.pasteboardPropertyListForType(kItemPasteboardType)), std::vector{full});
}

TEST(ZEVItemPB, ArchivesFromElsewhereAreReadWithinTheirRules)
{
    auto archive = [](const QCborValue& records, qint64 version = 1) {
        QCborMap root;
        root.insert(QStringLiteral("version"), version);
        root.insert(QStringLiteral("records"), records);
        return root.toCborValue().toCbor();
    };
    const QCborMap good{{"itemNum", 5}, {"itemTitle", "ok"}};
    const struct {
        const char* what;
        QByteArray bytes;
        std::size_t kept;
    } rows[] = {
        {"good", archive(QCborArray{good}), 1},
        {"another version", archive(QCborArray{good}, 2), 0},
        {"no list", archive(QCborValue("text")), 0},
        {"not CBOR", "not cbor at all", 0},
        {"a negative id", archive(QCborArray{good, QCborMap{{"itemNum", -4}}}), 1},
        {"an id that is text", archive(QCborArray{QCborMap{{"channelNum", "2000018"}}, good}), 1},
        {"an overlong title", archive(QCborArray{QCborMap{{"itemTitle", QString(kMaxItemRecordText + 1, 'x')}}}), 0},
        {"an image that is no PNG", archive(QCborArray{QCborMap{{"zevpImage", QByteArray("GIF89a")}}}), 0},
        {"an image that is text", archive(QCborArray{QCborMap{{"zevpImage", "png"}}}), 0},
        {"a record that is no map", archive(QCborArray{1, "two", good}), 1},
        {"a length that lies", QByteArray::fromHex("a26776657273696f6e01677265636f7264739b7fffffffffffffff"), 0},
    };
    for (const auto& r : rows) {
        QString error;
        EXPECT_EQ(ZEVItemPB::unarchive(r.bytes, &error).size(), r.kept) << r.what;
    }
    QCborArray many;
    for (int i = 0; i < kMaxItemRecords + 10; ++i)
        many.append(good);
    qsizetype leftOut = -1;
    EXPECT_EQ(ZEVItemPB::unarchive(archive(many), nullptr, &leftOut).size(), std::size_t(kMaxItemRecords));
    EXPECT_EQ(leftOut, 10) << "the records past the bound are counted";
    EXPECT_EQ(ZEVItemPB::unarchive(archive(QCborArray{good}), nullptr, &leftOut).size(), 1u);
    EXPECT_EQ(leftOut, 0);

    // Pictures of one colour compress to almost nothing: the whole archive shares one cap.
    QImage large(4096, 4096, QImage::Format_RGB32);
    large.fill(Qt::black);
    const QByteArray png = pngData(large); // 64 MB decoded
    ASSERT_LT(png.size(), 1024 * 1024);
    QCborArray pictures;
    for (int i = 0; i < 6; ++i)
        pictures.append(QCborMap{{"zevpImage", png}});
    EXPECT_EQ(ZEVItemPB::unarchive(archive(pictures)).size(), 4u);
}

TEST_F(DropBase, BookmarksAndObjectRecordsPastTheBoundsAreToldAsTheContactsAre)
{
    QString links;
    for (qsizetype i = 0; i < kMaxBookmarks + 2; ++i)
        links += QStringLiteral("http://x/%1\n\n").arg(i);
    QCborArray records;
    for (qsizetype i = 0; i < kMaxItemRecords + 3; ++i)
        records.append(QCborMap{{"itemTitle", "t"}});
    QCborMap root;
    root.insert(QStringLiteral("version"), kItemRecordVersion);
    root.insert(QStringLiteral("records"), records);
    QMimeData mime;
    mime.setData("text/x-moz-url", QByteArray(reinterpret_cast<const char*>(links.utf16()), links.size() * 2));
    mime.setData(QString::fromLatin1(kItemPasteboardType), root.toCborValue().toCbor());
    ZEVPasteboard::AnalysePasteboard(&mime, ZEVDeskView::nextDragSequenceNumber());
    EXPECT_EQ(ZEVPasteboard::HttpBookmarkDicos().size(), kMaxBookmarks);
    EXPECT_EQ(qsizetype(ZEVPasteboard::ZEVItems().size()), kMaxItemRecords);
    const QLocale locale;
    const QString text = ZEVPasteboard::LeftOutText();
    EXPECT_TRUE(text.contains(QStringLiteral("2 bookmarks were left out: one drop or paste takes at most %1 bookmarks.")
                                  .arg(locale.toString(kMaxBookmarks))))
        << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("3 Objects were left out: one drop or paste takes at most %1 Objects.")
                                  .arg(locale.toString(kMaxItemRecords))))
        << text.toStdString();

    QMimeData whole;
    whole.setData("text/x-moz-url", QByteArray(reinterpret_cast<const char*>(links.utf16()), 40));
    ZEVPasteboard::AnalysePasteboard(&whole, ZEVDeskView::nextDragSequenceNumber());
    EXPECT_TRUE(ZEVPasteboard::LeftOutText().isEmpty());
}

TEST_F(DropBase, AnalysisRunsOncePerNumberAndFillsTheLists)
{
    const QString png = writeFile("shot.PNG", pngBytes());
    const QString txt = writeFile("read.me");
    QMimeData mime;
    mime.setData("text/uri-list", QUrl::fromLocalFile(png).toEncoded() + "\r\n" + QUrl::fromLocalFile(txt).toEncoded()
                                      + "\r\nhttps://secure.example/\r\nhttp://plain.example/\r\n");
    mime.setText("http://plain.example/");
    ZEVPasteboard::AnalysePasteboard(&mime, 41);
    EXPECT_EQ(ZEVPasteboard::ImageFileURLs(), QList<QUrl>{QUrl::fromLocalFile(png)});
    EXPECT_EQ(ZEVPasteboard::FileURLs().size(), 2);
    // https from the URL list is not a web address; text that is one is, once.
    EXPECT_EQ(ZEVPasteboard::HttpURLs(), QList<QUrl>{QUrl("http://plain.example/")});
    ASSERT_TRUE(ZEVPasteboard::DateModified().has_value());
    EXPECT_LE(*ZEVPasteboard::DateModified(), Clock::shared().now() + 1e9);

    QMimeData other;
    other.setText("https://secure.example/");
    ZEVPasteboard::AnalysePasteboard(&other, 41);
    EXPECT_EQ(ZEVPasteboard::FileURLs().size(), 2) << "the same number is the same drag";
    ZEVPasteboard::EndAnalysis(41);
    ZEVPasteboard::AnalysePasteboard(&other, 41);
    EXPECT_TRUE(ZEVPasteboard::FileURLs().isEmpty());
    EXPECT_EQ(ZEVPasteboard::HttpURLs(), QList<QUrl>{QUrl("https://secure.example/")});
    EXPECT_FALSE(ZEVPasteboard::DateModified().has_value());

    // The earliest date of each kind wins.
    ZEVPasteboard::SetDateCreated(500.0);
    ZEVPasteboard::SetDateCreated(std::nullopt);
    ZEVPasteboard::SetDateCreated(700.0);
    ZEVPasteboard::SetDateCreated(300.0);
    EXPECT_EQ(ZEVPasteboard::DateCreated(), 300.0);
}

TEST_F(DropBase, MessagesAndContactsAreReadWithTheirUidsAndDates)
{
    QMimeData mime;
    mime.setData("message/rfc822", "Subject: =?utf-8?Q?R=C3=A9union?=\r\nMessage-ID: <id@x>\r\n"
                                   "Date: Mon, 3 Jun 2024 09:00:00 +0000\r\n\r\nbody");
    mime.setData("text/vcard", "BEGIN:VCARD\r\nN:A;B\r\nEND:VCARD\r\n");
    ZEVPasteboard::AnalysePasteboard(&mime, ZEVDeskView::nextDragSequenceNumber());
    ASSERT_EQ(ZEVPasteboard::Messages().size(), 1u);
    const QCborMap& m = ZEVPasteboard::Messages()[0].fields;
    EXPECT_EQ(m.value("uid").toString(), "message:%3Cid%40x%3E");
    EXPECT_EQ(m.value("subject").toString(), "Réunion");
    EXPECT_EQ(recordDateValue(m.value("createdDate")), ZEVPasteboard::DateCreated());
    ASSERT_EQ(ZEVPasteboard::ABPersonUIDs().size(), 1u);
    EXPECT_TRUE(ZEVPasteboard::ABPersonUIDs()[0].uid.startsWith("urn:sha1:"));

    // A message dropped as a file is kept under its subject in the Object's folder.
    drop(mime);
    KELI* made = viewed("Réunion");
    ASSERT_NE(made, nullptr);
    const RecordRead record = readRecordFile(store().recordPath(made->idInt(), "message"));
    ASSERT_TRUE(record);
    const QString eml = recordString(*record.fields, "zevFilename");
    EXPECT_EQ(QFileInfo(eml).fileName(), "Réunion.eml");
    EXPECT_TRUE(eml.startsWith(store().itemDropFolder(made->idInt())));
    EXPECT_TRUE(space.cards.empty()) << "the message took the drop: the contact came second";
}

TEST_F(DropBase, TheCheckFamilyCountsOnlyObjectsPresentAtTheCursor)
{
    KELI* item = newItem("here");
    store().createFileHttpWithUid("http://known.example/", item);
    KELI* forgotten = newItem("gone");
    store().createFileHttpWithUid("http://gone.example/", forgotten);
    forgotten->placeInDate(KELDateOublieeIn, now);
    forgotten->placeOutDate(KELDateOublieeOut, now);

    ZEVItemSet set;
    ZEVPasteboard::CheckHttpURLs({QUrl("http://known.example/"), QUrl("http://unknown.example/"),
                                  QUrl("http://gone.example/")},
                                 set);
    EXPECT_EQ(set.items(), std::vector<KELI*>{item});

    // An id from outside counts only when it names an Object: not a relation, a Channel or nothing.
    ZEVItemSet records;
    std::vector<ZEVItemPB> list;
    for (KELId id : {KELId(KELRELATION_ITEM_TITLE), KELId(KELOBJECT_HOME_CHANNEL), KELId(999999999), item->idInt(),
                     item->idInt()}) {
        ZEVItemPB r;
        r.setItemNum(id);
        list.push_back(r);
    }
    ZEVPasteboard::CheckZEVItems(list, records);
    EXPECT_EQ(records.items(), std::vector<KELI*>{item});
}

TEST_F(DropBase, FileOptionsFollowWhereTheFileLies)
{
    const QString applications = root + "/apps";
    folders.applications = {applications};
    folders.cloud = root + "/cloud";
    ZEVItemDataChannels::SetFolders(folders);
    QDir().mkpath(applications + "/Tool");
    QDir().mkpath(root + "/plain folder");
    QDir().mkpath(folders.cloud);
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + "/tool.conf";
    QDir().mkpath(QFileInfo(config).absolutePath());
    QFile(config).open(QIODevice::WriteOnly);
    const struct {
        QString path;
        ZEVItemOption options;
    } rows[] = {
        {writeFile("plain.txt"), 0},
        {root + "/plain folder", ZEVOPTION_OPEN_ON_CLICK},
        {applications + "/Tool", ZEVOPTION_HOLD_BY_APPLICATIONS | ZEVOPTION_OPEN_ON_CLICK},
        {QString("/etc/hostname"), ZEVOPTION_HOLD_BY_SYSTEM},
        {QString("/usr"), ZEVOPTION_HOLD_BY_SYSTEM | ZEVOPTION_OPEN_ON_CLICK},
        {config, ZEVOPTION_HOLD_BY_SYSTEM},
        {folders.zevFolder, ZEVOPTION_HOLD_BY_ZEV_FOLDER | ZEVOPTION_OPEN_ON_CLICK},
        {folders.cloud, ZEVOPTION_HOLD_BY_CLOUD | ZEVOPTION_OPEN_ON_CLICK},
    };
    for (const auto& r : rows)
        EXPECT_EQ(ZEVPasteboard::ItemOptionsForFileURL(r.path) & ~ZEVOPTION_HOLD_BY_SYSTEM,
                  r.options & ~ZEVOPTION_HOLD_BY_SYSTEM)
            << r.path.toStdString();
    // The system's folders by whole components.
    EXPECT_TRUE(ZEVPasteboard::ItemOptionsForFileURL("/etc/hostname") & ZEVOPTION_HOLD_BY_SYSTEM);
    EXPECT_TRUE(ZEVPasteboard::ItemOptionsForFileURL(config) & ZEVOPTION_HOLD_BY_SYSTEM);
    EXPECT_FALSE(ZEVPasteboard::ItemOptionsForFileURL(root + "/plain.txt") & ZEVOPTION_HOLD_BY_SYSTEM);
    const QStringList system = ZEVPasteboard::SystemFolders();
    EXPECT_TRUE(system.contains(applications));
    EXPECT_TRUE(std::none_of(system.begin(), system.end(), [](const QString& f) { return f.endsWith('/'); }));
    EXPECT_EQ(ZEVPasteboard::ItemOptionsForFileURL(writeFile("../apps2/tool")), 0u) << "a sibling named alike";
}

} // namespace desktest
