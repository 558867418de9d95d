// Objects as other programs find them on the clipboard: a web link's address and title where
// browsers and text fields look, its location file where file managers look, and what the
// program itself reads back.

#include "platform/pasteboard/MozUrl.h"
#include "platform/pasteboard/OutgoingObjects.h"
#include "platform/pasteboard/PasteboardRead.h"
#include "tests/platform/PlatformFixture.h"

#include <QMimeData>

using namespace tallomer;

namespace {

TEST(MozUrlWriter, BrowsersLinesInUtf16WithoutMarkAndReadBackWhole)
{
    const QList<PastedBookmark> links = {{QStringLiteral("https://example.org/a?b=1"), QStringLiteral("Café «news»")},
                                         {QStringLiteral("http://example.com/"), QString()}};
    const QByteArray data = mozUrlData(links);
    // Little-endian x86 as browsers write it: "h\0t\0…", no byte-order mark, one line per field.
    ASSERT_GE(data.size(), 4);
    EXPECT_EQ(data.left(4), QByteArray("h\0t\0", 4));
    const QString text = QString::fromUtf16(reinterpret_cast<const char16_t*>(data.constData()), data.size() / 2);
    EXPECT_EQ(text, QStringLiteral("https://example.org/a?b=1\nCafé «news»\nhttp://example.com/\n"));
    EXPECT_EQ(parseMozUrl(data), links);

    // A title of several lines would shift every pair after it.
    const QByteArray broken = mozUrlData({{QStringLiteral("http://a.example/"), QStringLiteral("one\r\ntwo\nthree")},
                                          {QStringLiteral("http://b.example/"), QStringLiteral("b")}});
    const QList<PastedBookmark> read = parseMozUrl(broken);
    ASSERT_EQ(read.size(), 2);
    EXPECT_EQ(read[0].title, QStringLiteral("one two three"));
    EXPECT_EQ(read[1].url, QStringLiteral("http://b.example/"));
}

TEST(OutgoingObjects, AWebLinkIsItsLocationFileToFileManagersAndItsAddressToEveryoneElse)
{
    const QUrl file = QUrl::fromLocalFile(QStringLiteral("/tmp/store/notes.txt"));
    const QUrl webloc = QUrl::fromLocalFile(QStringLiteral("/tmp/store/News.webloc"));
    OutgoingObjects out;
    out.addFile(file);
    out.addWebLink(webloc, QStringLiteral("https://news.example/today"), QStringLiteral("News"));
    out.addText(QStringLiteral("Jane Doe"));
    QMimeData data;
    out.writeTo(data);

    EXPECT_EQ(data.urls(), (QList<QUrl>{file, webloc})) << "the files, the link's location file among them";
    EXPECT_EQ(data.text(), QStringLiteral("https://news.example/today\nJane Doe")) << "never a file path for the link";
    const QList<PastedBookmark> links = parseMozUrl(data.data(QStringLiteral("text/x-moz-url")));
    EXPECT_EQ(links, (QList<PastedBookmark>{{QStringLiteral("https://news.example/today"), QStringLiteral("News")}}));

    // Read back by the program, the link is a bookmark of that address.
    const PasteboardContents read = readPasteboard(&data);
    ASSERT_EQ(read.bookmarks.size(), 1);
    EXPECT_EQ(read.bookmarks[0].url, QStringLiteral("https://news.example/today"));
}

TEST(OutgoingObjects, WhatNothingWentToIsLeftAlone)
{
    // Files alone: no text of ours, no link.
    OutgoingObjects files;
    files.addFile(QUrl::fromLocalFile(QStringLiteral("/tmp/a.png")));
    QMimeData onlyFiles;
    files.writeTo(onlyFiles);
    EXPECT_EQ(onlyFiles.formats(), QStringList{QStringLiteral("text/uri-list")});

    // A link without a location file (a drag) and one without an address.
    OutgoingObjects links;
    links.addWebLink(QUrl(), QStringLiteral("http://a.example/"), QStringLiteral("A"));
    links.addWebLink(QUrl::fromLocalFile(QStringLiteral("/tmp/b.webloc")), QString(), QStringLiteral("B"));
    links.addText(QString());
    QMimeData data;
    links.writeTo(data);
    EXPECT_EQ(data.urls(), QList<QUrl>{QUrl::fromLocalFile(QStringLiteral("/tmp/b.webloc"))});
    EXPECT_EQ(data.text(), QStringLiteral("http://a.example/"));
    EXPECT_EQ(parseMozUrl(data.data(QStringLiteral("text/x-moz-url"))).size(), 1);

    OutgoingObjects none;
    EXPECT_TRUE(none.isEmpty());
    QMimeData empty;
    none.writeTo(empty);
    EXPECT_TRUE(empty.formats().isEmpty());
}

} // namespace
