#include "platform/pasteboard/OutgoingObjects.h"

#include "platform/pasteboard/PasteboardRead.h"
#include "platform/pasteboard/X11LinkAnswer.h"

#include <QMimeData>

namespace tallomer {

void OutgoingObjects::addFile(const QUrl& url)
{
    if (url.isValid() && !url.isEmpty())
        urls_ << url;
}

void OutgoingObjects::addWebLink(const QUrl& location, const QString& address, const QString& title)
{
    if (location.isValid() && !location.isEmpty())
        urls_ << location;
    if (address.isEmpty())
        return;
    links_ << PastedBookmark{address, title};
    texts_ << address;
}

void OutgoingObjects::addText(const QString& text)
{
    if (!text.isEmpty())
        texts_ << text;
}

void OutgoingObjects::writeTo(QMimeData& data) const
{
    if (!urls_.isEmpty())
        data.setUrls(urls_);
    // Set after the URLs: a text of its own, not the file URLs Qt would otherwise offer as text.
    if (!texts_.isEmpty())
        data.setText(texts_.join(QLatin1Char('\n')));
    if (!links_.isEmpty()) {
        data.setData(QString::fromLatin1(mime::kMozUrl), mozUrlData(links_));
        offerLinksToX11(&data);
    }
}

} // namespace tallomer
