// Downloads from a server of the test's own on 127.0.0.1: what lands in the folder, what the
// delegate hears, and what is refused. Time-outs run on a virtual clock.

#include "platform/net/WebDownload.h"

#include "tests/platform/PlatformFixture.h"
#include "tests/support/LocalHttpServer.h"

#include <QDirIterator>

#include <memory>
#include <string>
#include <vector>

using namespace tallomer;
using test::LocalHttpServer;

namespace {

class Recorder final : public WebDownloadDelegate {
public:
    void downloadDidBegin(WebDownload&) override { events.push_back("begin"); }
    void downloadDidReceiveResponse(WebDownload&, qint64 length) override
    {
        events.push_back("response " + std::to_string(length));
    }
    void downloadDidReceiveData(WebDownload&, qint64 length) override { received += length; }
    void downloadDidFinish(WebDownload& d) override
    {
        events.push_back("finish");
        path = d.path();
        ended = true;
    }
    void downloadDidFail(WebDownload&, const QString& e) override
    {
        events.push_back("fail");
        error = e;
        ended = true;
    }
    std::vector<std::string> events;
    qint64 received = 0;
    QString path;
    QString error;
    bool ended = false;
};

QByteArray bytes(int n)
{
    QByteArray out(n, '\0');
    for (int i = 0; i < n; ++i)
        out[i] = char('a' + i % 26);
    return out;
}

class Download : public ::testing::Test {
protected:
    void SetUp() override
    {
        Scheduler::setShared(&sched);
        folder = test::tempFolder("download");
        ASSERT_TRUE(server.listening());
    }
    void TearDown() override
    {
        download.reset();
        Scheduler::setShared(nullptr);
    }

    // Starts a download of url into the folder and lets it run to its end.
    Recorder& fetch(const QUrl& url, WebDownloadLimits limits = {}, const QString& replaceable = {})
    {
        download = std::make_unique<WebDownload>(url, folder, recorder, replaceable, limits);
        download->start();
        EXPECT_TRUE(test::turnUntil([&] { return recorder.ended; })) << url.toString().toStdString();
        return recorder;
    }
    QUrl url(const QByteArray& path) const { return server.url(path); }

    // Every entry of the folder, hidden ones included.
    QStringList entries() const
    {
        QStringList out;
        QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
        while (it.hasNext())
            out << QFileInfo(it.next()).fileName();
        out.sort();
        return out;
    }

    ManualScheduler sched{1000.0};
    LocalHttpServer server;
    QString folder;
    Recorder recorder;
    std::unique_ptr<WebDownload> download;
};

TEST(WebDownloadNames, ContentDispositionUrlAndHtmlDecideTheName)
{
    struct Case {
        const char* disposition;
        const char* url;
        const char* type;
        const char* name;
    };
    const Case cases[] = {
        {"attachment; filename=\"report.pdf\"", "http://h/x", "application/pdf", "report.pdf"},
        {"attachment; filename=plain.txt", "http://h/x", "", "plain.txt"},
        {"attachment; filename=\"a \\\"q\\\".txt\"", "http://h/x", "", "a \"q\".txt"},
        // The extended form wins, wherever it stands.
        {"attachment; filename*=UTF-8''na%C3%AFve%20r%C3%A9sum%C3%A9.pdf; filename=\"naive.pdf\"", "http://h/x", "",
         "naïve résumé.pdf"},
        {"attachment; filename=\"old.pdf\"; filename*=iso-8859-1'en'caf%E9.pdf", "http://h/x", "", "café.pdf"},
        // Without one: the final address's last segment, decoded, else its host.
        {"", "http://h/docs/My%20Paper.pdf?x=1", "application/pdf", "My Paper.pdf"},
        {"inline", "http://h/a/b/", "", "b"},
        {"", "http://example.org/", "", "example.org"},
        // A page gets ".html" unless it says html or htm already.
        {"", "http://h/news/today", "text/html; charset=utf-8", "today.html"},
        {"", "http://h/index.HTM", "text/html", "index.HTM"},
        {"", "http://h/", "application/xhtml+xml", "h.html"},
        {"", "http://h/page.html", "text/plain", "page.html"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(WebDownload::fileNameForResponse(c.disposition, QUrl(QString::fromUtf8(c.url)), c.type),
                  QString::fromUtf8(c.name))
            << c.disposition << " " << c.url;
}

TEST_F(Download, APdfWithItsLengthLandsWholeUnderItsNameAndTheDelegateHearsEachStep)
{
    const QByteArray pdf = "%PDF-1.4\n" + bytes(200000);
    server.route("/files/report.pdf", {pdf, {{"Content-Type", "application/pdf"}}});
    fetch(url("/files/report.pdf"));
    EXPECT_EQ(recorder.events, (std::vector<std::string>{"begin", "response " + std::to_string(pdf.size()), "finish"}));
    EXPECT_EQ(recorder.received, pdf.size());
    EXPECT_EQ(recorder.path, folder + "/report.pdf");
    EXPECT_EQ(test::readFile(recorder.path), pdf);
    EXPECT_EQ(entries(), QStringList{"report.pdf"}) << "a temporary file was left";
    EXPECT_EQ(QFileInfo(recorder.path).permissions() & QFile::ReadOther, QFile::ReadOther)
        << "the file keeps the private mode of its temporary name";
    EXPECT_EQ(sched.pendingCount(), 0u) << "the inactivity timer outlived the download";
}

TEST_F(Download, AChunkedBodyHasNoLengthAndAPageGetsHtml)
{
    server.route("/stream", LocalHttpServer::Response(bytes(5500), {{"Content-Type", "application/octet-stream"}}).chunk());
    fetch(url("/stream"));
    EXPECT_EQ(recorder.events, (std::vector<std::string>{"begin", "response -1", "finish"}));
    EXPECT_EQ(test::readFile(folder + "/stream"), bytes(5500));

    recorder = Recorder();
    server.route("/news/today", {"<html>today</html>", {{"Content-Type", "text/html"}}});
    fetch(url("/news/today"));
    EXPECT_EQ(recorder.path, folder + "/today.html");
    EXPECT_EQ(download->finalUrl(), url("/news/today"));
}

TEST_F(Download, ErrorStatusesAndCredentialsFailAndLeaveNothing)
{
    server.route("/secret", {"denied", {{"WWW-Authenticate", "Basic realm=\"x\""}}, 401, "Unauthorized"});
    server.route("/broken", {"oops", {}, 500, "Internal Server Error"});
    struct Case {
        QUrl url;
        const char* error;
    };
    QUrl withPassword = url("/secret");
    withPassword.setUserName(QStringLiteral("user"));
    withPassword.setPassword(QStringLiteral("pass"));
    const Case cases[] = {
        {url("/missing"), "404"},
        {withPassword, "401"},
        {url("/broken"), "500"},
        {QUrl("ftp://127.0.0.1/file"), "only http and https"},
        {QUrl("file:///etc/passwd"), "only http and https"},
    };
    for (const Case& c : cases) {
        recorder = Recorder();
        fetch(c.url);
        EXPECT_EQ(recorder.events.back(), "fail") << c.url.toString().toStdString();
        EXPECT_TRUE(recorder.error.contains(QLatin1String(c.error))) << recorder.error.toStdString();
        EXPECT_TRUE(entries().isEmpty()) << entries().join(' ').toStdString();
    }
    ASSERT_FALSE(server.requests.empty());
    for (const auto& r : server.requests)
        EXPECT_FALSE(r.headers.contains("authorization")) << "credentials were sent for " << r.path.toStdString();
}

TEST_F(Download, RedirectsAreFollowedTenTimesAtMostAndNeverOffTheWeb)
{
    server.route("/final.txt", {"arrived", {{"Content-Type", "text/plain"}}});
    server.redirect("/r1", "/r2");
    server.redirect("/r2", url("/final.txt").toEncoded(), 301);
    server.redirect("/loop", "/loop");
    server.redirect("/off", "file:///etc/passwd");
    fetch(url("/r1"));
    EXPECT_EQ(recorder.path, folder + "/final.txt");
    EXPECT_EQ(download->finalUrl(), url("/final.txt"));

    for (const char* path : {"/loop", "/off"}) {
        recorder = Recorder();
        const std::size_t before = server.requests.size();
        fetch(url(path));
        EXPECT_EQ(recorder.events.back(), "fail") << path;
        EXPECT_LE(server.requests.size() - before, 11u) << path;
    }
    EXPECT_EQ(entries(), QStringList{"final.txt"});
}

TEST_F(Download, TooLargeOrStalledBodiesFailWithoutLeavingTheirTemporaryFile)
{
    WebDownloadLimits small;
    small.maxBytes = 4000;
    server.route("/big", {bytes(8000)});
    server.route("/big-chunked", LocalHttpServer::Response(bytes(8000)).chunk());
    for (const char* path : {"/big", "/big-chunked"}) {
        recorder = Recorder();
        fetch(url(path), small);
        EXPECT_EQ(recorder.events.back(), "fail") << path;
        EXPECT_LE(recorder.received, small.maxBytes) << path;
        EXPECT_TRUE(entries().isEmpty()) << path;
    }
    // A full volume: the margin it must keep is more than it has.
    WebDownloadLimits full;
    full.freeSpaceMargin = std::numeric_limits<qint64>::max() / 2;
    recorder = Recorder();
    fetch(url("/big"), full);
    EXPECT_TRUE(recorder.error.contains(QLatin1String("too large"))) << recorder.error.toStdString();

    // Half the body, then silence: nothing happens until the time-out, on the virtual clock.
    WebDownloadLimits patient;
    patient.inactivityTimeout = 30;
    server.route("/stall", LocalHttpServer::Response(bytes(6000)).stalled());
    recorder = Recorder();
    download = std::make_unique<WebDownload>(url("/stall"), folder, recorder, QString(), patient);
    download->start();
    ASSERT_TRUE(test::turnUntil([&] { return recorder.received == 3000; }));
    // The partial body lies in a hidden file of the folder (named only once asked for).
    const QFileInfo partial(download->temporaryPath());
    EXPECT_TRUE(partial.fileName().startsWith('.')) << partial.fileName().toStdString();
    EXPECT_EQ(partial.absolutePath(), folder);
    EXPECT_TRUE(partial.exists());
    sched.advance(29);
    EXPECT_FALSE(recorder.ended);
    sched.advance(2);
    EXPECT_EQ(recorder.events.back(), "fail");
    EXPECT_TRUE(entries().isEmpty());
}

TEST_F(Download, HostileNamesStayInTheFolderAndOnlyTheOwnFileIsReplaced)
{
    struct Case {
        QByteArray disposition;
        QString name;
    };
    const QByteArray longName(300, 'n');
    const Case cases[] = {
        {"attachment; filename=\"../../x\"", "x"},
        {"attachment; filename=\"/etc/passwd\"", "passwd"},
        {"attachment; filename=\".bashrc\"", "bashrc"},
        {"attachment; filename*=UTF-8''a%00b%2F..%2Fc.txt", "c.txt"},
        {"attachment; filename*=UTF-8''evil%0D%0A.txt", "evil  .txt"},
        {"attachment; filename=\"" + longName + ".txt\"", QString(251, 'n') + ".txt"},
    };
    int n = 0;
    for (const Case& c : cases) {
        const QByteArray path = "/hostile" + QByteArray::number(n++);
        server.route(path, {"x", {{"Content-Disposition", c.disposition}}});
        recorder = Recorder();
        fetch(url(path));
        EXPECT_EQ(recorder.path, folder + "/" + c.name) << c.disposition.toStdString();
        EXPECT_TRUE(QFile::exists(folder + "/" + c.name)) << c.disposition.toStdString();
    }
    EXPECT_EQ(entries().size(), std::size(cases)) << entries().join(' ').toStdString();

    // Another file of the name stays; the Object's own file is replaced.
    server.route("/again", {"second", {{"Content-Disposition", "attachment; filename=x"}}});
    recorder = Recorder();
    fetch(url("/again"));
    EXPECT_EQ(recorder.path, folder + "/x (1)");
    EXPECT_EQ(test::readFile(folder + "/x"), "x");
    recorder = Recorder();
    fetch(url("/again"), {}, folder + "/x");
    EXPECT_EQ(recorder.path, folder + "/x");
    EXPECT_EQ(test::readFile(folder + "/x"), "second");
}

} // namespace
