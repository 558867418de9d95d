// Web Objects dropped on a desk download their page into their folder from a server of the
// test's own on 127.0.0.1: the record, the title, the option bits and what both desks' views are
// told.

#include "tests/desk/DropFixture.h"

#include "desk/model/ZEVItemOptions.h"
#include "runtime/Log.h"
#include "tests/platform/PlatformFixture.h"
#include "tests/support/LocalHttpServer.h"
#include "tests/support/RefusedFolder.h"

#include <QDirIterator>

namespace desktest {

namespace {

using test::LocalHttpServer;

class Downloads : public DropBase {
protected:
    void SetUp() override
    {
        DropBase::SetUp();
        sd = makeDesk(search, 1920, 1200);
        space.deskViewers = {{now, d}, {search, sd}};
        data.downloadDesk = d;
        // An hour ahead, the Search desk shows what is placed now.
        moveSearchTo(now->now() + 3600);
        ASSERT_TRUE(server.listening());
    }

    // Drops the address on the Now desk and lets its download run to its end.
    KELI* dropAndWait(const QByteArray& path, const QString& title)
    {
        QMimeData link;
        link.setData("text/uri-list", server.url(path).toEncoded() + "\r\n");
        drop(link);
        KELI* item = viewed(title.toStdString());
        EXPECT_NE(item, nullptr) << title.toStdString();
        EXPECT_TRUE(test::turnUntil([&] { return d->downloads().runningCount() == 0; }));
        sched.advance(0.3);
        return item;
    }

    // Every entry of the Object's folder, hidden ones too.
    QStringList folderOf(KELI* item) const
    {
        QStringList out;
        QDirIterator it(ZEVItemData::Current().itemDropFolder(item->idInt()),
                        QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
        while (it.hasNext())
            out << QFileInfo(it.next()).fileName();
        return out;
    }

    std::string title(KELI* item) { return desks.front()->itemTitleCurseurForItem(item).value_or("?"); }
    FakeView* view(ZEVDeskViewer* desk, KELI* item) { return fake(desk->itemViewForItem(item)); }

    LocalHttpServer server;
    ZEVDeskViewer* sd = nullptr;
    ScopedLogCapture log;
};

TEST_F(Downloads, APdfNamesItsObjectAndBothDesksFollowTheBar)
{
    const QByteArray pdf = "%PDF-1.4\n" + QByteArray(120000, 'p');
    server.route("/papers/get", {pdf, {{"Content-Type", "application/pdf"},
                                       {"Content-Disposition", "attachment; filename=\"Annual Report.pdf\""}}});
    KELI* item = dropAndWait("/papers/get", "get");
    ASSERT_NE(item, nullptr);

    const QString file = ZEVItemData::Current().itemDropFolder(item->idInt()) + "/Annual Report.pdf";
    EXPECT_EQ(ZEVItemData::Current().fileUrlForItem(item), file);
    EXPECT_EQ(test::readFile(file), pdf);
    EXPECT_EQ(folderOf(item), QStringList{"Annual Report.pdf"});
    EXPECT_EQ(title(item), "Annual Report.pdf");
    EXPECT_FALSE(siItemOption(item, ZEVOPTION_DOWNLOADING | ZEVOPTION_ERROR));
    EXPECT_FALSE(ZEVItemData::Current().siLoadingItemNum(item->idInt()));
    EXPECT_EQ(space.tableRefreshes, 1);

    for (ZEVDeskViewer* desk : {d, sd}) {
        FakeView* v = view(desk, item);
        ASSERT_NE(v, nullptr);
        const std::vector<std::string>& steps = v->downloads;
        ASSERT_GE(steps.size(), 4u);
        EXPECT_EQ(std::vector(steps.begin(), steps.begin() + 2), (std::vector<std::string>{"begin", "bar"}));
        EXPECT_EQ(steps[steps.size() - 2], "1.00");
        EXPECT_EQ(steps.back(), "finish");
        EXPECT_TRUE(std::is_sorted(steps.begin() + 2, steps.end() - 1)) << "the fractions go back";
    }
    // The stickers are the dropping desk's: downloading, then what the options call for.
    EXPECT_EQ(view(d, item)->stickers, (std::vector<int>{32, 0}));
    EXPECT_TRUE(view(sd, item)->stickers.empty());
}

TEST_F(Downloads, APageKeepsItsTitleAndAnUnknownOrEmptyLengthShowsNoPercentage)
{
    server.route("/news/today", LocalHttpServer::Response("<html>news</html>", {{"Content-Type", "text/html"}}).chunk());
    server.route("/empty", {"", {{"Content-Type", "text/plain"}}});
    KELI* page = dropAndWait("/news/today", "today");
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(title(page), "today");
    EXPECT_EQ(folderOf(page), QStringList{"today.html"});
    EXPECT_EQ(view(d, page)->downloads, (std::vector<std::string>{"begin", "bar", "finish"}));

    KELI* empty = dropAndWait("/empty", "empty");
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(view(d, empty)->downloads, (std::vector<std::string>{"begin", "busy", "finish"}));
    EXPECT_EQ(title(empty), "empty");
    EXPECT_EQ(spans(KELRELATION_ITEM_TITLE, empty).size(), 1u) << "the same title dated again";
}

TEST_F(Downloads, AFailureMarksTheObjectInErrorLeavesNoFileAndIsNotRetriedByItself)
{
    KELI* item = dropAndWait("/gone", "gone");
    ASSERT_NE(item, nullptr);
    EXPECT_TRUE(siItemOption(item, ZEVOPTION_ERROR));
    EXPECT_FALSE(siItemOption(item, ZEVOPTION_DOWNLOADING));
    EXPECT_TRUE(folderOf(item).isEmpty()) << folderOf(item).join(' ').toStdString();
    EXPECT_EQ(view(d, item)->stickers, (std::vector<int>{32, 4}));
    EXPECT_EQ(view(d, item)->downloads.back(), "error");
    EXPECT_EQ(view(sd, item)->downloads.back(), "error");
    EXPECT_EQ(title(item), "gone") << "an error page names nothing";
    EXPECT_TRUE(log.sink.contains("ZEVDeskViewer ERROR : Download failed!"));
    EXPECT_TRUE(log.sink.contains("                URL : " + server.url("/gone").toString().toStdString()));
    // Looking for the Object's file does not fetch the page again.
    const std::size_t asked = server.requests.size();
    EXPECT_EQ(ZEVItemData::Current().fileUrlForItem(item), "");
    EXPECT_EQ(d->downloads().runningCount(), 0u);
    EXPECT_EQ(server.requests.size(), asked);
}

TEST_F(Downloads, ADownloadWhoseRecordCannotBeWrittenEndsInErrorWithoutItsFileAndTheObjectKeepsItsAddress)
{
    const QByteArray pdf = "%PDF-1.4\n" + QByteArray(1000, 'p');
    server.route("/late", {pdf, {{"Content-Type", "application/pdf"}}});
    QMimeData link;
    link.setData("text/uri-list", server.url("/late").toEncoded() + "\r\n");
    drop(link);
    KELI* item = viewed("late");
    ASSERT_NE(item, nullptr);
    ASSERT_EQ(d->downloads().runningCount(), 1u) << "the download ended before the store could refuse";
    {
        tallomer::test::RefusedFolder refused(ZEVItemData::Current().zevDataURL());
        ASSERT_TRUE(refused.ok());
        EXPECT_TRUE(test::turnUntil([&] { return d->downloads().runningCount() == 0; }));
        sched.advance(0.3);
    }
    EXPECT_TRUE(siItemOption(item, ZEVOPTION_ERROR));
    EXPECT_FALSE(siItemOption(item, ZEVOPTION_DOWNLOADING));
    EXPECT_FALSE(ZEVItemData::Current().siLoadingItemNum(item->idInt()));
    EXPECT_TRUE(folderOf(item).isEmpty()) << "a file no record names: " << folderOf(item).join(' ').toStdString();
    EXPECT_EQ(view(d, item)->downloads.back(), "error");
    EXPECT_EQ(view(d, item)->stickers, (std::vector<int>{32, 4}));
    EXPECT_EQ(title(item), "late") << "named after a file it does not have";
    EXPECT_EQ(ZEVItemData::Current().uidForItem(item, "http"), server.url("/late").toString(QUrl::FullyEncoded));
}

TEST_F(Downloads, AnObjectOfNoChannelIsRefusedAndANewDownloadReplacesOnlyItsOwnFile)
{
    server.route("/a.txt", {"first"});
    KELI* item = dropAndWait("/a.txt", "a.txt");
    ASSERT_NE(item, nullptr);
    const QString folder = ZEVItemData::Current().itemDropFolder(item->idInt());
    EXPECT_EQ(test::readFile(folder + "/a.txt"), "first");

    // Downloaded again: the file its record names is replaced, not doubled.
    server.route("/a.txt", {"second"});
    ASSERT_TRUE(d->downloads().startDownload(server.url("/a.txt"), item, folder));
    ASSERT_TRUE(test::turnUntil([&] { return d->downloads().runningCount() == 0; }));
    EXPECT_EQ(folderOf(item), QStringList{"a.txt"});
    EXPECT_EQ(test::readFile(folder + "/a.txt"), "second");

    // A file the user put there under that name stays.
    ASSERT_TRUE(QFile::rename(folder + "/a.txt", folder + "/mine.txt"));
    test::writeFile(folder + "/a.txt", "the user's");
    ASSERT_TRUE(d->downloads().startDownload(server.url("/a.txt"), item, folder));
    ASSERT_TRUE(test::turnUntil([&] { return d->downloads().runningCount() == 0; }));
    EXPECT_EQ(test::readFile(folder + "/a.txt"), "the user's");
    EXPECT_EQ(test::readFile(folder + "/a (1).txt"), "second");

    // An Object of no Channel would get a folder under "0" that no store reads.
    const std::size_t asked = server.requests.size();
    KELI* orphan = itemClasses.front()->creerItemWithChannelInt(0, "orphan", "http", "webloc", 0);
    ASSERT_NE(orphan, nullptr);
    ASSERT_EQ(orphan->channelInt(), 0u);
    EXPECT_FALSE(d->downloads().startDownload(server.url("/a.txt"), orphan, folder));
    EXPECT_TRUE(siItemOption(orphan, ZEVOPTION_ERROR));
    EXPECT_TRUE(log.sink.contains("initZEVUrlDownloadWithRequest: ERROR"));
    for (int i = 0; i < 50; ++i)
        QCoreApplication::processEvents();
    EXPECT_EQ(server.requests.size(), asked);
}

} // namespace

} // namespace desktest
