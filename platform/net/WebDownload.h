#pragma once
// One web address fetched over http or https into a folder, on the main thread, through the one
// network access manager of the program.
//
// The bytes are streamed into a hidden temporary file of the folder, which is named only once the
// whole body arrived: an interrupted, failed or cancelled download leaves nothing behind. What the
// download refuses, whatever the server says:
//  - any scheme but http and https, more than `maxRedirects` redirects, a redirect from https to
//    http (or to any other scheme);
//  - credentials: the address's user name and password are dropped, and server and proxy
//    authentication challenges are answered with none, so the request ends with its 401 or 407;
//  - TLS errors are never ignored;
//  - a status other than 2xx: an error page is no download;
//  - a body larger than `maxBytes`, or than the folder's volume can take less `freeSpaceMargin`;
//  - `inactivityTimeout` seconds without a byte (timed on the shared scheduler).
//
// The delegate hears of the download in this order: begin, response (the announced length, -1
// when the server gave none), data (repeated), then finish or failure. Begin, and the failure of
// an address refused at once, are told inside start(); the rest comes from the event loop. After
// finish or failure nothing more is said; the delegate may destroy the download from a later
// turn, never from inside one of these calls.

#include "runtime/Scheduler.h"

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>

#include <memory>

class QNetworkAccessManager;
class QNetworkReply;
class QTemporaryFile;

namespace tallomer {

class WebDownload;

struct WebDownloadLimits {
    int maxRedirects = 10;
    double inactivityTimeout = 60.0;              // seconds
    qint64 maxBytes = qint64(2) << 30;            // 2 GiB
    qint64 freeSpaceMargin = qint64(256) << 20;   // left free on the folder's volume
};

class WebDownloadDelegate {
public:
    virtual ~WebDownloadDelegate() = default;
    virtual void downloadDidBegin(WebDownload& download) = 0;
    // expectedLength: the length the server announced, -1 when it gave none.
    virtual void downloadDidReceiveResponse(WebDownload& download, qint64 expectedLength) = 0;
    virtual void downloadDidReceiveData(WebDownload& download, qint64 length) = 0;
    // path() names the file now in place.
    virtual void downloadDidFinish(WebDownload& download) = 0;
    // error: one line for the log.
    virtual void downloadDidFail(WebDownload& download, const QString& error) = 0;
};

class WebDownload final : public QObject {
public:
    // `folder` receives the file; `replaceable` is a file of that folder the caller owns (the one
    // an earlier download made), which the new file may replace when it comes under the same
    // name; any other file is never replaced: the new one gets a free name beside it. The
    // delegate is not owned and outlives the download.
    WebDownload(const QUrl& url, const QString& folder, WebDownloadDelegate& delegate,
                const QString& replaceable = QString(), WebDownloadLimits limits = {});
    // Cancels a download still running, silently.
    ~WebDownload() override;
    WebDownload(const WebDownload&) = delete;
    WebDownload& operator=(const WebDownload&) = delete;

    // Tells begin and sends the request (or fails at once for an address it refuses).
    void start();
    // Stops a running download without a word to the delegate; its temporary file is removed.
    void cancel();
    bool isRunning() const { return state_ == State::Started || state_ == State::Receiving; }

    // The address asked for, without credentials, and the one the body came from.
    const QUrl& url() const { return url_; }
    QUrl finalUrl() const;
    const QString& folder() const { return folder_; }
    qint64 receivedLength() const { return received_; }
    // The file name, from the response's Content-Disposition, else the final address (known from
    // the response on), made safe for the folder.
    const QString& suggestedFileName() const { return suggestedName_; }
    // The file in place; empty before the finish.
    const QString& path() const { return path_; }
    // The temporary file while the body arrives; empty otherwise.
    QString temporaryPath() const;

    // The name a body gets: Content-Disposition's filename* or filename, else the last segment of
    // the final address's path, else its host; ".html" added to an HTML page whose name has no
    // html or htm extension. Not yet made safe.
    static QString fileNameForResponse(const QByteArray& contentDisposition, const QUrl& finalUrl,
                                       const QByteArray& contentType);
    // The file name a Content-Disposition value gives (filename* before filename); empty when none.
    static QString fileNameFromContentDisposition(const QByteArray& value);

    // The program's network access manager (main thread). It never answers a challenge.
    static QNetworkAccessManager& network();

private:
    enum class State { Idle, Started, Receiving, Finished, Failed, Cancelled };

    void onReadyRead();
    void onFinished();
    bool takeResponse();
    bool writeAvailable();
    void finish();
    void fail(const QString& error);
    void stopReply();
    void armInactivity();

    QUrl url_;
    QUrl finalUrl_;
    QString folder_;
    QString replaceable_;
    WebDownloadDelegate& delegate_; // not owned
    WebDownloadLimits limits_;
    State state_ = State::Idle;
    QPointer<QNetworkReply> reply_; // owned: deleted in stopReply
    std::unique_ptr<QTemporaryFile> temporary_;
    qint64 cap_ = 0;
    qint64 received_ = 0;
    QString suggestedName_;
    QString path_;
    ScheduledTarget guard_{this};
};

} // namespace tallomer
