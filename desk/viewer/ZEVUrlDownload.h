#pragma once
// The download of one web Object's address into the Object's folder of its Channel's drop
// folder. It tells its delegate (the desk viewer's downloads part, or the Files model's) each step of the platform's
// download, with itself, and keeps what the delegate needs: the lengths, the file, the Object and
// the Channel the Object had when the download was made.

#include "engine/KELTypes.h"
#include "platform/net/WebDownload.h"

#include <QString>
#include <QUrl>

class KELI;

namespace tallomer {

class ZEVUrlDownload;

// Who a download reports to, step by step in the order they come: the desk viewer's downloads
// and the Files model's. The delegate owns the download until its end.
class ZEVUrlDownloadDelegate {
public:
    virtual ~ZEVUrlDownloadDelegate() = default;
    virtual void downloadDidBegin(ZEVUrlDownload& download) = 0;
    virtual void didReceiveResponse(ZEVUrlDownload& download, qint64 expectedLength) = 0;
    virtual void didReceiveDataOfLength(ZEVUrlDownload& download, qint64 length) = 0;
    virtual void downloadDidFinish(ZEVUrlDownload& download) = 0;
    virtual void didFailWithError(ZEVUrlDownload& download, const QString& error) = 0;
};

class ZEVUrlDownload final : public WebDownloadDelegate {
public:
    // Made, not started: the delegate keeps it first, then starts it. Neither the delegate nor
    // the Object is owned. `replaceable` is the file an earlier download of the Object made.
    ZEVUrlDownload(const QUrl& url, const QString& folder, ZEVUrlDownloadDelegate& delegate, KELI* item,
                   const QString& replaceable, WebDownloadLimits limits = {});
    ZEVUrlDownload(const ZEVUrlDownload&) = delete;
    ZEVUrlDownload& operator=(const ZEVUrlDownload&) = delete;

    void start() { web_.start(); }
    WebDownload& web() { return web_; }

    // -1 until the response; the length the server announced (-1 when it gave none).
    qint64 downloadSizeExpected() const { return downloadSizeExpected_; }
    void setDownloadSizeExpected(qint64 length) { downloadSizeExpected_ = length; }
    qint64 downloadCurrentLength() const { return downloadCurrentLength_; }
    void setDownloadCurrentLength(qint64 length) { downloadCurrentLength_ = length; }
    // The file in place, once finished.
    const QString& downloadPath() const { return downloadPath_; }
    void setDownloadPath(const QString& path) { downloadPath_ = path; }
    // The name the file got.
    const QString& downloadName() const { return downloadName_; }
    void setDownloadName(const QString& name) { downloadName_ = name; }
    KELI* item() const { return item_; }
    KELId channelInt() const { return channelInt_; }

private:
    void downloadDidBegin(WebDownload&) override;
    void downloadDidReceiveResponse(WebDownload&, qint64 expectedLength) override;
    void downloadDidReceiveData(WebDownload&, qint64 length) override;
    void downloadDidFinish(WebDownload&) override;
    void downloadDidFail(WebDownload&, const QString& error) override;

    qint64 downloadSizeExpected_ = -1;
    qint64 downloadCurrentLength_ = 0;
    QString downloadPath_;
    QString downloadName_;
    KELI* item_;       // not owned: links live for the run
    KELId channelInt_;
    ZEVUrlDownloadDelegate& delegate_; // not owned
    WebDownload web_;
};

} // namespace tallomer
