// What lands on a desk when things are dropped or pasted there, and when files are opened through
// the desktop.

#include "tests/desk/DropFixture.h"

#include "desk/view/ZEVDeskView.h"
#include "platform/files/RecordFile.h"

#include <QCborArray>

namespace desktest {

namespace {

QByteArray utf16(const QString& s)
{
    QByteArray out;
    for (const QChar c : s)
        out += char(c.unicode() & 0xFF), out += char(c.unicode() >> 8);
    return out;
}

struct Mime {
    std::vector<std::pair<QString, QByteArray>> types;
    void fill(QMimeData& m) const
    {
        for (const auto& [t, b] : types)
            m.setData(t, b);
    }
};

} // namespace

TEST_F(DropBase, OneFamilyOfThingsIsTakenByPrecedence)
{
    const QString file = writeFile("notes.txt");
    const QByteArray fileUri = QUrl::fromLocalFile(file).toEncoded();
    const QByteArray png = pngBytes();
    const struct Row {
        const char* what;
        Mime mime;
        std::vector<std::string> shown;
        bool handled;
        int beeps;
    } rows[] = {
        {"bookmarks before web addresses",
         {{{"text/x-moz-url", utf16("http://one.example/a\nOne\nhttp://two.example/\nTwo")},
           {"text/uri-list", "http://three.example/x\r\n"}}},
         {"http:One", "http:Two"}, true, 0},
        {"one web address and one picture: the picture, named after the address",
         {{{"text/uri-list", "http://pics.example/photos/cat.png\r\n"}, {"image/png", png}}}, {"file:cat.png"}, true, 0},
        {"two web addresses, one of them written as text",
         {{{"text/uri-list", "http://a.example/page\r\n"}, {"text/plain", "https://b.example/"}}},
         {"http:b.example", "http:page"}, true, 0},
        {"no picture beside a file", {{{"text/uri-list", fileUri}, {"image/png", png}}}, {"file:notes.txt"}, true, 0},
        {"a picture alone", {{{"image/png", png}}}, {"file:pasted"}, true, 0},
        {"text alone", {{{"text/plain", "some words"}}}, {"file:pasted text.rtf"}, true, 0},
        {"a message without a subject takes the text's",
         {{{"message/rfc822", "Message-ID: <m1@x>\r\n\r\nbody"}, {"text/html", "<b>Lunch</b> on Friday"}}},
         {"message:Lunch on Friday"}, true, 0},
        {"a contact", {{{"text/vcard", "BEGIN:VCARD\r\nUID:p-1\r\nN:Doe;Jane\r\nEND:VCARD\r\n"}}}, {"ABPerson:Jane Doe"},
         true, 0},
        {"a bookmark that is no URL ends the list", {{{"text/x-moz-url", utf16("not a url\nX\nhttp://later.example/\nL")}}},
         {}, false, 2},
        {"nothing usable", {{{"application/x-unknown", "?"}}}, {}, false, 1},
    };
    space.people.insert("p-1", "Jane Doe");
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        for (ZEVItemViewForDesks* v : std::vector<ZEVItemViewForDesks*>(d->itemViewSet()))
            d->deleteItemView(v);
        space.beeps = 0;
        QMimeData mime;
        r.mime.fill(mime);
        EXPECT_EQ(drop(mime), r.handled);
        EXPECT_EQ(shown(), r.shown);
        EXPECT_EQ(space.beeps, r.beeps);
    }
}

TEST_F(DropBase, WebThingsKeepTheirAddressesAndStartDownloadsForNewIconsOnly)
{
    QMimeData one;
    one.setData("text/uri-list", "http://pics.example/photos/cat.png\r\n");
    one.setData("image/png", pngBytes());
    drop(one);
    // The page has its Object, without an icon; the picture's record names the page.
    const KELId page = store().itemNumberWithUid("http://pics.example/photos/cat.png");
    ASSERT_NE(page, 0u);
    EXPECT_FALSE(KELServeurDeLiens::SiLienForRelNum(KELRELATION_ICON_VIEWER, page));
    KELI* picture = viewed("cat.png");
    ASSERT_NE(picture, nullptr);
    const RecordRead record = readRecordFile(store().recordPath(picture->idInt(), "file"));
    ASSERT_TRUE(record);
    EXPECT_EQ(recordString(*record.fields, "httpPath"), "http://pics.example/photos/cat.png");
    EXPECT_TRUE(QFileInfo(recordString(*record.fields, "path")).isFile());
    EXPECT_TRUE(data.downloads.empty());

    // A web address: a new Object, loading, with its download asked for; the same again: recalled.
    QMimeData link;
    link.setData("text/uri-list", "http://site.example/docs/\r\n");
    drop(link);
    KELI* docs = viewed("docs");
    ASSERT_NE(docs, nullptr);
    EXPECT_TRUE(store().siLoadingItemNum(docs->idInt()));
    ASSERT_EQ(data.downloads.size(), 1u);
    EXPECT_EQ(data.downloads[0], std::pair(QUrl("http://site.example/docs/"), docs));
    drop(link);
    EXPECT_EQ(data.downloads.size(), 1u);
    EXPECT_EQ(fake(d->itemViewForItem(docs))->flicks, 1);
}

TEST_F(DropBase, NewIconsStepByTheDropShiftAndReusedOnesAreRecalledAtTheDropPoint)
{
    QList<QUrl> urls;
    for (const char* name : {"a.txt", "b.txt", "c.txt"})
        urls << QUrl::fromLocalFile(writeFile(name));
    QMimeData files;
    files.setUrls(urls);
    EXPECT_TRUE(drop(files, QPointF(5000, 500))); // beyond the right edge: held at 1900
    const double s = space.geometry.spaceRatioDropShift();
    ASSERT_GT(s, 0);
    std::vector<std::tuple<double, double>> places;
    for (const char* t : {"a.txt", "b.txt", "c.txt"})
        places.emplace_back(d->itemViewForItem(viewed(t))->iconPosition().x, d->itemViewForItem(viewed(t))->iconPosition().y);
    // Shifted right and down, then held inside the limits again.
    EXPECT_EQ(places, (std::vector<std::tuple<double, double>>{{1900, 500}, {1900, 500 - s}, {1900, 500 - 2 * s}}));

    // The same files again: the same Objects, their active views flicked, no new icon link.
    KELI* a = viewed("a.txt");
    const std::size_t icons = spans(KELRELATION_ICON_VIEWER, a, true).size();
    const std::size_t views = d->nbDeItemViews();
    EXPECT_FALSE(drop(files, QPointF(300, 300))) << "found by uid, nothing new: not handled";
    EXPECT_EQ(d->nbDeItemViews(), views);
    EXPECT_EQ(fake(d->itemViewForItem(a))->flicks, 1);
    EXPECT_EQ(spans(KELRELATION_ICON_VIEWER, a, true).size(), icons);
    EXPECT_EQ(space.beeps, 0) << "the set is not empty";

    // One whose view left the desk is recalled through the item viewer.
    fake(d->itemViewForItem(a))->actif = 0;
    drop(files);
    EXPECT_EQ(itemViewers.front()->recalledViews, std::vector<ZEVItemViewForDesks*>{d->itemViewForItem(a)});
}

TEST_F(DropBase, ObjectRecordsRecallThisChannelsAndCopyAnotherChannelsByType)
{
    const KELId other = 2000100;
    ASSERT_TRUE(ZEVItemDataChannels::CreateItemDataForChannelInt(other));
    ZEVItemData& there = *ZEVItemDataChannels::ItemDataForChannelInt(other);
    ZEVItemClass* items = itemClasses.front().get();

    KELI* here = items->creerItemWithChannelInt(KELOBJECT_HOME_CHANNEL, "Here", "ABPerson", "vcf", 2);
    store().createFilePersonWithUid("uid-here", here);
    d->creerItemViewWithItem(here, QPointF(100, 100), 0);
    KELI* mail = items->creerItemWithChannelInt(other, "Mail", "message", "eml", 2);
    QCborMap fields{{"uid", "message:%3Cz%3E"}, {"subject", "Mail"}};
    there.createFileMessageWithDico(fields, mail);

    ZEVItemPB zevp(nullptr, "zevp://view/1", "Saved view", "zevp", 0);
    QImage image(8, 5, QImage::Format_RGB32);
    image.fill(Qt::yellow);
    zevp.setZevpImage(image);
    const std::vector<ZEVItemPB> records{
        ZEVItemPB(here, "uid-here", "Here", "ABPerson", KELOBJECT_HOME_CHANNEL),
        ZEVItemPB(mail, "message:%3Cz%3E", "Mail", "message", other),
        ZEVItemPB(mail, "uid-person-there", "Someone", "ABPerson", other),
        ZEVItemPB(mail, "/a/file", "A file", "file", other),
        zevp,
    };
    space.people.insert("uid-person-there", "Pat There");
    ScopedLogCapture log;
    QMimeData mime;
    mime.setData(kItemPasteboardType, ZEVItemPB::archive(records));
    mime.setText("Here\nMail\nSomeone\nA file\nSaved view");
    EXPECT_TRUE(drop(mime));
    EXPECT_EQ(shown(), (std::vector<std::string>{"ABPerson:Here", "ABPerson:Pat There", "message:Mail", "zevp:Saved view"}));
    EXPECT_EQ(fake(d->itemViewForItem(here))->flicks, 1);
    EXPECT_TRUE(log.sink.contains("_addZevItems: _________________________________________________ ERROR !"));
    KELI* copied = viewed("Mail");
    ASSERT_NE(copied, nullptr);
    EXPECT_NE(copied, mail);
    EXPECT_EQ(store().itemNumberWithUid("message:%3Cz%3E"), copied->idInt());
    KELI* view = viewed("Saved view");
    ASSERT_NE(view, nullptr);
    EXPECT_TRUE(QFileInfo(store().zevpImageUrlForItem(view)).isFile());

    // The saved view pasted again is the same Object, recalled, not a second icon.
    const std::size_t icons = spans(KELRELATION_ICON_VIEWER, view, true).size();
    QMimeData again;
    again.setData(kItemPasteboardType, ZEVItemPB::archive({zevp}));
    EXPECT_TRUE(drop(again));
    EXPECT_EQ(spans(KELRELATION_ICON_VIEWER, view, true).size(), icons);
    EXPECT_EQ(store().itemNumberWithUid("zevp://view/1"), view->idInt());

    // A web or file Object of another Channel alone: nothing but the log line, and the beep.
    space.beeps = 0;
    QMimeData web;
    web.setData(kItemPasteboardType, ZEVItemPB::archive({ZEVItemPB(mail, "http://w/", "W", "http", other)}));
    web.setUrls({QUrl::fromLocalFile(writeFile("w.webloc"))});
    EXPECT_FALSE(drop(web));
    EXPECT_EQ(space.beeps, 1);
}

TEST_F(DropBase, AWebObjectsOwnLocationFileStandsForItAndAnyOtherIsAFile)
{
    KELI* web = itemClasses.front()->creerItemWithChannelInt(KELOBJECT_HOME_CHANNEL, "News", "http", "webloc", 0);
    store().createFileHttpWithUid("http://n.example/", web);
    d->creerItemViewWithItem(web, QPointF(100, 100), 0);
    const auto webloc = [](const QString& folder, const QString& name) {
        QDir().mkpath(folder);
        QFile f(folder + "/" + name);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("<plist/>");
        return QUrl::fromLocalFile(f.fileName());
    };
    const QUrl own = webloc(store().itemDropFolder(web->idInt()), "n.example.webloc");

    // Dragged over the desk it is the web Object; dropped, that Object is recalled.
    QMimeData mine;
    mine.setUrls({own});
    space.sel(0).clear();
    d->dragOperationForDraggingInfo(&mine, ZEVDeskView::nextDragSequenceNumber());
    EXPECT_EQ(space.sel(0), std::vector<KELI*>{web});
    EXPECT_FALSE(drop(mine)) << "found, nothing new";
    EXPECT_EQ(shown(), std::vector<std::string>{"http:News"});
    EXPECT_EQ(fake(d->itemViewForItem(web))->flicks, 1);
    EXPECT_EQ(store().uidForItem(web, "http"), "http://n.example/");
    EXPECT_TRUE(store().uidForItem(web, "file").isNull()) << "its records are left as they were";

    // A location file of the user's, or one in the folder of an Object that is no web Object,
    // is a file like any other.
    KELI* plain = newItem("plain");
    QMimeData others;
    others.setUrls({webloc(root + "/files", "mine.webloc"), webloc(store().itemDropFolder(plain->idInt()), "x.webloc")});
    EXPECT_TRUE(drop(others));
    EXPECT_EQ(shown(), (std::vector<std::string>{"file:mine.webloc", "file:x.webloc", "http:News"}));
}

TEST_F(DropBase, FiltersAreLinkedAndTheSearchDeskOpensTheTimeline)
{
    ZEVDeskViewer* searchDesk = makeDesk(search, 1920, 1200);
    KELI* filter = newItem("filter");
    space.sel(2) = {filter};
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(writeFile("linked.txt"))});
    drop(mime, QPointF(400, 400), searchDesk);
    ASSERT_EQ(itemViewers.back()->links.size(), 1u);
    EXPECT_EQ(itemViewers.back()->links[0].second, filter);
    EXPECT_EQ(front.tline, 1);

    space.sel(2).clear();
    QMimeData text;
    text.setText("now");
    drop(text);
    EXPECT_EQ(front.tline, 1) << "not from the Now desk";
    EXPECT_TRUE(itemViewers.front()->links.empty());
}

TEST_F(DropBase, DragFeedbackByKindSelectsTheObjectsAlreadyThereOncePerDrag)
{
    KELI* existing = newItem("old");
    const QString path = writeFile("old.txt");
    store().createFileURL(path, {}, existing);
    const struct {
        Mime mime;
        Qt::DropAction action;
    } rows[] = {
        {{{{"text/x-moz-url", utf16("http://b.example/\nB")}}}, Qt::CopyAction},
        {{{{"text/uri-list", QUrl::fromLocalFile(path).toEncoded()}}}, Qt::LinkAction},
        {{{{"image/png", pngBytes()}}}, Qt::LinkAction},
        {{{{"text/rtf", "{\\rtf1 rich}"}}}, Qt::CopyAction},
        {{{{"text/uri-list", "https://s.example/\r\n"}}}, Qt::IgnoreAction}, // https is taken from text only
        {{}, Qt::IgnoreAction},
    };
    for (const auto& r : rows) {
        QMimeData mime;
        r.mime.fill(mime);
        EXPECT_EQ(d->dragOperationForDraggingInfo(&mime, ZEVDeskView::nextDragSequenceNumber()), r.action)
            << &r - rows;
    }

    space.sel(0).clear();
    QMimeData mine;
    mine.setUrls({QUrl::fromLocalFile(path)});
    const long n = ZEVDeskView::nextDragSequenceNumber();
    d->dragOperationForDraggingInfo(&mine, n);
    EXPECT_EQ(space.sel(0), std::vector<KELI*>{existing});
    // Once the drag is announced to the Space, its later feedback selects nothing again.
    space.session = n;
    space.sel(0).clear();
    d->dragOperationForDraggingInfo(&mine, n);
    EXPECT_TRUE(space.sel(0).empty());
}

TEST_F(DropBase, PasteLandsAtThePointerHeldInsideTheLimits)
{
    QMimeData text;
    text.setText("pasted words");
    ZEVPasteboard::AnalysePasteboard(&text, ZEVDeskView::nextDragSequenceNumber());
    space.pointer = QPointF(-40, 700);
    EXPECT_TRUE(d->userPerformPaste());
    KELI* made = viewed("pasted text.rtf");
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(parts(d->itemViewForItem(made)->iconPosition()), std::tuple(20.0, 700.0, 80.0, 0.0));
    const QString rtf = store().fileUrlForItem(made);
    EXPECT_TRUE(rtf.endsWith("pasted text.rtf"));
    EXPECT_TRUE(QFile(rtf).open(QIODevice::ReadOnly));
}

TEST_F(DropBase, FilesOpenedFromTheDesktopAreRecalledOrPlacedAndMissingOnesLogged)
{
    const QString a = writeFile("open a.txt");
    const QString b = writeFile("open b.txt");
    ScopedLogCapture log;
    d->addFilenames({a, root + "/nowhere.txt", b, ""});
    EXPECT_EQ(shown(), (std::vector<std::string>{"file:open a.txt", "file:open b.txt"}));
    EXPECT_TRUE(log.sink.contains("ZEVDeskViewer addFilenames: no file at " + (root + "/nowhere.txt").toStdString()));
    EXPECT_EQ(space.sel(0).size(), 2u);
    const std::size_t icons = spans(KELRELATION_ICON_VIEWER, viewed("open a.txt"), true).size();
    d->addFilenames({a});
    EXPECT_EQ(spans(KELRELATION_ICON_VIEWER, viewed("open a.txt"), true).size(), icons);
    EXPECT_EQ(fake(d->itemViewForItem(viewed("open a.txt")))->flicks, 1);
    EXPECT_EQ(space.beeps, 0);
}

} // namespace desktest
