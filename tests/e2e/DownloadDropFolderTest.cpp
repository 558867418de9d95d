// Web links dropped on the desk download their page from a server of the test's own on
// 127.0.0.1, and files put into ~/Tallomer become Objects, as a user meets both in the running
// program; what happened is read back from the store and the Object's folder.

#include "tests/e2e/E2EFixture.h"

#include "desk/viewer/ZEVDeskDownloads.h"
#include "desk/viewer/ZEVDeskSaveAs.h"
#include "objects/view/ZEVItemView.h"
#include "platform/sound/Sound.h"
#include "tests/support/ListeningSocket.h"
#include "tests/support/LocalHttpServer.h"

#include <QClipboard>
#include <QCursor>
#include <QDirIterator>
#include <QDragEnterEvent>
#include <QGuiApplication>
#include <QMimeData>

#include <algorithm>

#include <sys/stat.h>

namespace e2e {
namespace {

using tallomer::test::LocalHttpServer;

constexpr long long kError = 0x10, kDownloading = 0x8, kInDropFolder = 0x20000;

class Fetch : public E2EWithSound<RecordingSound> {
protected:
    void SetUp() override
    {
        E2EWithSound::SetUp();
        ASSERT_TRUE(server.listening());
    }

    // Addresses dragged from a browser onto the desk and dropped.
    void dropLink(const QUrl& url, QPoint at = QPoint(400, 300))
    {
        QMimeData data;
        data.setData("text/uri-list", url.toEncoded() + "\r\n");
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(canvas(), &enter);
        QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(canvas(), &drop);
    }

    bool downloadsDone() { return nowDesk()->downloads().runningCount() == 0; }

    std::string webObject()
    {
        const Rows web = placedObjectsOfType("http");
        return web.empty() ? std::string() : web.at(0, 0);
    }
    // The Object's title now (its latest title link).
    std::string title(const std::string& id)
    {
        const Rows r = sql(database(), "SELECT w.WORD FROM ZEVLETS n JOIN WORD w ON w.ZEVLET_ID = n.CHILD_ZEVLET "
                                       "WHERE n.PARENT_ZEVLET = " + id + " AND n.RELATION = 1000217 "
                                       "ORDER BY n.DATE_IN DESC LIMIT 1");
        return r.empty() ? std::string() : r.at(0, 0);
    }
    long long options(const std::string& id)
    {
        const Rows r = sql(database(), "SELECT BASE FROM ZEVLETS WHERE ZEVLET_ID = " + id);
        return r.empty() ? -1 : std::stoll(r.at(0, 0));
    }
    QString itemFolder(const std::string& id) const
    {
        return storeFolder() + "/local/zevDrop/" + QString::number(kHome) + "/" + q(id);
    }
    QStringList entries(const QString& folder) const
    {
        QStringList out;
        QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
        while (it.hasNext())
            out << QFileInfo(it.next()).fileName();
        return out;
    }
    ZEVItemView* viewOf(const std::string& id)
    {
        for (ZEVItemViewForDesks* v : nowDesk()->itemViewSet())
            if (v->item() && std::to_string(v->item()->idInt()) == id)
                return dynamic_cast<ZEVItemView*>(v);
        return nullptr;
    }

    QString dropFolder() const { return home + "/Tallomer"; }
    void put(const QString& name, const QByteArray& bytes = "from the browser")
    {
        QFile f(dropFolder() + "/" + name);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
    }

    LocalHttpServer server;
};

TEST_F(Fetch, ALinkToAPdfDownloadsIntoItsObjectsFolderAndTheTitleFollowsTheFile)
{
    start();
    const QByteArray pdf = "%PDF-1.4\n" + QByteArray(300000, 'x');
    server.route("/papers/annual-report.pdf", {pdf, {{"Content-Type", "application/pdf"}}});
    dropLink(server.url("/papers/annual-report.pdf"));
    const std::string id = webObject();
    ASSERT_FALSE(id.empty()) << "no web Object on the desk";
    ASSERT_TRUE(pumpUntil([&] { return downloadsDone(); }));
    advance(0.5);

    EXPECT_EQ(entries(itemFolder(id)), QStringList{"annual-report.pdf"});
    QFile file(itemFolder(id) + "/annual-report.pdf");
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), pdf);
    EXPECT_TRUE(QFile::exists(storeFolder() + "/local/zevData/2000018/" + q(id) + ".file"));
    EXPECT_EQ(title(id), "annual-report.pdf");
    EXPECT_EQ(options(id) & (kError | kDownloading), 0);
    ZEVItemView* view = viewOf(id);
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->progressView(), nullptr);
    EXPECT_EQ(view->itemTitle(), "annual-report.pdf");
    EXPECT_EQ(server.requests.size(), 1u);
}

TEST_F(Fetch, APastedPageKeepsItsTitleAndAFailureShowsTheErrorAndLeavesNoFile)
{
    start();
    server.route("/news/today", {"<html><title>News</title></html>", {{"Content-Type", "text/html"}}});
    auto link = std::make_unique<QMimeData>();
    link->setText(server.url("/news/today").toString());
    QGuiApplication::clipboard()->setMimeData(link.release());
    QCursor::setPos(canvas()->mapToGlobal(QPoint(300, 300)));
    key(Qt::Key_V, Qt::ControlModifier);
    const std::string page = webObject();
    ASSERT_FALSE(page.empty());
    ASSERT_TRUE(pumpUntil([&] { return downloadsDone(); }));
    advance(0.5);
    EXPECT_EQ(entries(itemFolder(page)), QStringList{"today.html"});
    EXPECT_EQ(title(page), "today");

    // A server that wants a password: no password goes, the Object is in error, no file lies
    // there, and the icon is shown again with its title.
    server.route("/private/report.pdf",
                 {"<html>log in</html>", {{"WWW-Authenticate", "Basic realm=\"intranet\""}}, 401, "Unauthorized"});
    QUrl guarded = server.url("/private/report.pdf");
    guarded.setUserInfo(QStringLiteral("me:secret"));
    dropLink(guarded, QPoint(600, 300));
    const Rows web = placedObjectsOfType("http");
    ASSERT_EQ(web.size(), 2u);
    const std::string failed = web.at(1, 0);
    ASSERT_TRUE(pumpUntil([&] { return downloadsDone(); }));
    advance(0.5);
    EXPECT_EQ(options(failed) & (kError | kDownloading), kError);
    EXPECT_TRUE(entries(itemFolder(failed)).isEmpty()) << entries(itemFolder(failed)).join(' ').toStdString();
    EXPECT_EQ(title(failed), "report.pdf") << "the error page named the Object";
    ZEVItemView* view = viewOf(failed);
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->progressView(), nullptr);
    EXPECT_TRUE(view->itemImageView()->isVisible());
    EXPECT_TRUE(log.contains("ZEVDeskViewer ERROR : Download failed!"));
    for (const auto& r : server.requests)
        EXPECT_FALSE(r.headers.contains("authorization")) << r.path.toStdString();
}

TEST_F(Fetch, QuittingMidDownloadLeavesNoPartialFileAndNoObjectDownloading)
{
    start();
    server.route("/big.iso", LocalHttpServer::Response(QByteArray(200000, 'i')).stalled());
    dropLink(server.url("/big.iso"));
    const std::string id = webObject();
    ASSERT_FALSE(id.empty());
    ASSERT_TRUE(pumpUntil([&] {
        ZEVItemView* v = viewOf(id);
        return v && v->progressView() && v->progressView()->fraction() > 0;
    }));
    advance(0.1);
    ASSERT_EQ(options(id) & kDownloading, kDownloading) << "the store does not say downloading yet";
    quit();
    EXPECT_EQ(options(id) & (kDownloading | kError), 0);
    EXPECT_TRUE(entries(itemFolder(id)).isEmpty()) << entries(itemFolder(id)).join(' ').toStdString();
}

TEST_F(Fetch, FilesPutIntoTheDropFolderBecomeObjectsOfItsChannelASecondLater)
{
    // Put there while the program was not running: taken at start.
    ASSERT_TRUE(QDir().mkpath(dropFolder()));
    put("before.txt");
    start();
    EXPECT_EQ(placedObjectsOfType("file").size(), 1u);
    ASSERT_NE(adapter()->deskSaveAs(), nullptr);

    put("notes.txt");
    put("movie.mkv.part");
    ASSERT_TRUE(pumpUntil([&] { return adapter()->deskSaveAs()->watch().siScanPending(); }))
        << "the folder's change was not heard";
    advance(0.9);
    EXPECT_EQ(placedObjectsOfType("file").size(), 1u) << "scanned before the second was over";
    advance(0.2);
    const Rows files = placedObjectsOfType("file");
    ASSERT_EQ(files.size(), 2u);
    EXPECT_EQ(files.at(0, 1), "before.txt");
    EXPECT_EQ(files.at(1, 1), "notes.txt");
    const KELId channel = space()->zevFolderChannelInt();
    for (std::size_t r = 0; r < files.size(); ++r) {
        EXPECT_EQ(iconLinks(files.at(r, 0), channel).size(), 1u) << files.at(r, 1);
        EXPECT_EQ(options(files.at(r, 0)) & kInDropFolder, kInDropFolder) << files.at(r, 1);
    }

    // The program made active again scans again: the partial download, now complete, is taken;
    // nothing twice.
    ASSERT_TRUE(QFile::rename(dropFolder() + "/movie.mkv.part", dropFolder() + "/movie.mkv"));
    graph->delegate()->applicationWillBecomeActive();
    EXPECT_EQ(placedObjectsOfType("file").size(), 3u);
    advance(0.1);
    EXPECT_EQ(placedObjectsOfType("file").size(), 3u);
}

// A pipe or a socket in the folder is no document: it stays there, becomes no Object, and holds
// up nothing; both are named in one alert, once.
TEST_F(Fetch, PipesAndSocketsInTheDropFolderStayThereAndAreNamedInOneAlert)
{
    ASSERT_TRUE(QDir().mkpath(dropFolder()));
    const QString pipe = dropFolder() + "/pipe";
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    const QByteArray socketPath = QFile::encodeName(dropFolder() + "/socket");
    const tallomer::test::ListeningSocket listener(dropFolder() + "/socket");
    ASSERT_TRUE(listener.ok());
    put("notes.txt");
    start();
    advance(0.5);

    const Rows files = placedObjectsOfType("file");
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(files.at(0, 1), "notes.txt");
    EXPECT_TRUE(liveObjectsTitled("pipe").empty());
    EXPECT_TRUE(liveObjectsTitled("socket").empty());
    const auto told = std::find_if(alerts.begin(), alerts.end(), [](const auto& a) {
        return a.message == QStringLiteral("2 files in your drop folder cannot be taken.");
    });
    ASSERT_NE(told, alerts.end());
    EXPECT_EQ(told->informative.split(u'\n'),
              (QStringList{QStringLiteral("\u201cpipe\u201d is neither a file nor a folder (a pipe, a socket or a device): "
                                          "it stays where it is and does not become an Object."),
                           QStringLiteral("\u201csocket\u201d is neither a file nor a folder (a pipe, a socket or a "
                                          "device): it stays where it is and does not become an Object.")}));
    struct stat st {};
    ASSERT_EQ(::lstat(QFile::encodeName(pipe).constData(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
    ASSERT_EQ(::lstat(socketPath.constData(), &st), 0);
    EXPECT_TRUE(S_ISSOCK(st.st_mode));

    // Every scan meets them again: they are said once, and a file put beside them is taken.
    alerts.clear();
    put("plan.md");
    graph->delegate()->applicationWillBecomeActive();
    advance(0.5);
    EXPECT_TRUE(alerts.empty());
    EXPECT_EQ(placedObjectsOfType("file").size(), 2u);
}

} // namespace
} // namespace e2e
