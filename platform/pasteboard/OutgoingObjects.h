#pragma once
// Objects as other programs read them from the clipboard or a drop. Files and the location files
// of web links travel on text/uri-list; Linux programs read no location file, so each web link
// also travels as its address with its title on text/x-moz-url (where browsers look for a link)
// and as its address on text/plain (where a text field looks). Other kinds give their titles on
// text/plain.

#include "platform/pasteboard/MozUrl.h"

#include <QList>
#include <QStringList>
#include <QUrl>

class QMimeData;

namespace tallomer {

class OutgoingObjects {
public:
    void addFile(const QUrl& url);
    // `location` goes on text/uri-list when valid: the link's location file, or the address
    // itself where no file is wanted. An empty address adds the location alone.
    void addWebLink(const QUrl& location, const QString& address, const QString& title);
    void addText(const QString& text);

    bool isEmpty() const { return urls_.isEmpty() && links_.isEmpty() && texts_.isEmpty(); }
    const QList<QUrl>& urls() const { return urls_; }
    const QList<PastedBookmark>& links() const { return links_; }
    const QStringList& texts() const { return texts_; }

    // Sets the types that have something; a type nothing went to is left as it was.
    void writeTo(QMimeData& data) const;

private:
    QList<QUrl> urls_;
    QList<PastedBookmark> links_;
    QStringList texts_; // in the order the Objects came
};

} // namespace tallomer
