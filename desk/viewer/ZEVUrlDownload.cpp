#include "desk/viewer/ZEVUrlDownload.h"

#include "engine/KELLien.h"

namespace tallomer {

ZEVUrlDownload::ZEVUrlDownload(const QUrl& url, const QString& folder, ZEVUrlDownloadDelegate& delegate, KELI* item,
                               const QString& replaceable, WebDownloadLimits limits)
    : item_(item), channelInt_(item ? item->channelInt() : 0), delegate_(delegate),
      web_(url, folder, *this, replaceable, limits)
{
}

void ZEVUrlDownload::downloadDidBegin(WebDownload&) { delegate_.downloadDidBegin(*this); }

void ZEVUrlDownload::downloadDidReceiveResponse(WebDownload&, qint64 expectedLength)
{
    delegate_.didReceiveResponse(*this, expectedLength);
}

void ZEVUrlDownload::downloadDidReceiveData(WebDownload&, qint64 length)
{
    delegate_.didReceiveDataOfLength(*this, length);
}

void ZEVUrlDownload::downloadDidFinish(WebDownload&) { delegate_.downloadDidFinish(*this); }

void ZEVUrlDownload::downloadDidFail(WebDownload&, const QString& error) { delegate_.didFailWithError(*this, error); }

} // namespace tallomer
