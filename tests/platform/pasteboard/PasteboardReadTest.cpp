// The MIME types of drops and the clipboard, read into typed lists within their bounds, and the
// readers of outside text they rely on: bookmarks, mail headers, RTF, HTML and pictures.

#include "platform/AppId.h"
#include "platform/files/RtfReader.h"
#include "platform/pasteboard/BoundedImage.h"
#include "platform/pasteboard/HtmlText.h"
#include "platform/pasteboard/MailHeaders.h"
#include "platform/pasteboard/MozUrl.h"
#include "platform/pasteboard/PasteboardRead.h"
#include "runtime/Clock.h"
#include "tests/platform/PlatformFixture.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QImageReader>
#include <QTimeZone>
#include <QDateTime>
#include <QElapsedTimer>
#include <QMimeData>
#include <QStringEncoder>

using namespace tallomer;

namespace {

QByteArray utf16le(const QString& s, bool bom)
{
    QByteArray out = bom ? QByteArray("\xFF\xFE", 2) : QByteArray();
    for (const QChar c : s) {
        out += char(c.unicode() & 0xFF);
        out += char(c.unicode() >> 8);
    }
    return out;
}

QByteArray png(int w, int h, QColor c = Qt::red)
{
    QImage image(w, h, QImage::Format_ARGB32);
    image.fill(c);
    return pngData(image);
}

// What a list of runs says, with its styles: "*bold*", "/italic/".
QString styled(const QList<RtfRun>& runs)
{
    QString out;
    for (const RtfRun& r : runs)
        out += (r.bold ? "*" : "") + QString(r.italic ? "/" : "") + r.text + (r.italic ? "/" : "") + (r.bold ? "*" : "");
    return out;
}

} // namespace

TEST(PasteboardRead, EachTypeFillsItsListAndNothingElse)
{
    const QByteArray record("records as they came");
    const struct Row {
        const char* what;
        std::vector<std::pair<QString, QByteArray>> types;
        std::function<void(const PasteboardContents&)> check;
    } rows[] = {
        {"uri-list: files, web, comments",
         {{"text/uri-list", "# comment\r\nfile:///tmp/a%20b.png\r\nhttp://example.org/x\r\n\r\nhttps://s.example/\r\n"}},
         [](const PasteboardContents& c) {
             ASSERT_EQ(c.urls.size(), 3);
             EXPECT_EQ(c.urls[0].toLocalFile(), "/tmp/a b.png");
             EXPECT_EQ(c.urls[2].scheme(), "https");
             EXPECT_TRUE(c.strings.isEmpty() && c.attributed.isEmpty());
         }},
        {"x-moz-url before _NETSCAPE_URL",
         {{"text/x-moz-url", utf16le("http://a.example/\nA\nhttp://b.example/\nB", true)},
          {"_NETSCAPE_URL", "http://c.example/\nC"}},
         [](const PasteboardContents& c) {
             EXPECT_EQ(c.bookmarks, (QList<PastedBookmark>{{"http://a.example/", "A"}, {"http://b.example/", "B"}}));
         }},
        {"_NETSCAPE_URL alone", {{"_NETSCAPE_URL", "http://c.example/\nC\nhttp://d.example/\nD"}},
         [](const PasteboardContents& c) {
             EXPECT_EQ(c.bookmarks, (QList<PastedBookmark>{{"http://c.example/", "C"}}));
         }},
        {"PNG preferred to another picture", {{"image/bmp", "not a bitmap"}, {"image/png", png(3, 2)}},
         [](const PasteboardContents& c) {
             ASSERT_EQ(c.bitmaps.size(), 1);
             EXPECT_EQ(c.bitmaps[0].size(), QSize(3, 2));
         }},
        {"a picture that does not decode", {{"image/png", "\x89PNG\r\n\x1a\nbroken"}},
         [](const PasteboardContents& c) { EXPECT_TRUE(c.bitmaps.isEmpty()); }},
        {"PDF only when it is one", {{"application/pdf", "%PDF-1.4\n..."}},
         [](const PasteboardContents& c) { EXPECT_EQ(c.pdfs, QList<QByteArray>{"%PDF-1.4\n..."}); }},
        {"not a PDF", {{"application/pdf", "<html>"}},
         [](const PasteboardContents& c) { EXPECT_TRUE(c.pdfs.isEmpty()); }},
        {"our records untouched", {{kItemPasteboardType, record}},
         [&](const PasteboardContents& c) { EXPECT_EQ(c.itemRecords, record); }},
        {"a mail message", {{"message/rfc822", "Subject: hi\r\n\r\nbody"}},
         [](const PasteboardContents& c) { EXPECT_EQ(c.messages.size(), 1); }},
        {"two cards of text/x-vcard",
         {{"text/x-vcard", "BEGIN:VCARD\r\nUID:1\r\nEND:VCARD\r\nBEGIN:VCARD\r\nUID:2\r\nEND:VCARD\r\n"}},
         [](const PasteboardContents& c) {
             ASSERT_EQ(c.vcards.size(), 2);
             EXPECT_EQ(c.vcards[1].uid, "2");
         }},
        {"HTML before RTF before plain text",
         {{"text/html", "<p>a <b>bold</b> word</p>"}, {"text/rtf", "{\\rtf1 rtf}"}, {"text/plain", "plain"}},
         [](const PasteboardContents& c) {
             ASSERT_EQ(c.attributed.size(), 1);
             EXPECT_EQ(styled(c.attributed[0]), "a *bold* word");
             EXPECT_EQ(c.strings, QStringList{"plain"});
         }},
        {"RTF when the HTML is empty", {{"text/html", "<p></p>"}, {"text/rtf", "{\\rtf1 {\\i it}}"}},
         [](const PasteboardContents& c) { EXPECT_EQ(styled(c.attributed.value(0)), "/it/"); }},
        {"plain text is text and a string", {{"text/plain;charset=utf-8", "caf\xc3\xa9"}},
         [](const PasteboardContents& c) {
             EXPECT_EQ(c.strings, QStringList{"café"});
             EXPECT_EQ(plainText(c.attributed.value(0)), "café");
         }},
        {"plain text over its bound", {{"text/plain", QByteArray(kMaxPlainTextBytes + 1, 'x')}},
         [](const PasteboardContents& c) { EXPECT_TRUE(c.strings.isEmpty() && c.attributed.isEmpty()); }},
        {"a uri-list over its bound", {{"text/uri-list", QByteArray(kMaxUriListBytes + 1, 'a')}},
         [](const PasteboardContents& c) { EXPECT_TRUE(c.urls.isEmpty()); }},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        QMimeData data;
        for (const auto& [type, bytes] : r.types)
            data.setData(type, bytes);
        r.check(readPasteboard(&data));
    }
    EXPECT_TRUE(readPasteboard(nullptr).urls.isEmpty());
}

TEST(PasteboardRead, APictureOfThisProgramIsTakenOnlyWhenNoEncodedOneCame)
{
    QImage image(4, 4, QImage::Format_RGB32);
    image.fill(Qt::blue);
    QMimeData inProcess;
    inProcess.setImageData(image);
    EXPECT_EQ(readPasteboard(&inProcess).bitmaps.size(), 1);

    QMimeData both;
    both.setImageData(image);
    both.setData("image/png", "broken");
    EXPECT_TRUE(readPasteboard(&both).bitmaps.isEmpty()) << "the encoded one is the one offered";
}

TEST(BoundedImage, ADeclaredHugePictureIsRefusedBeforeAnyPixel)
{
    EXPECT_TRUE(decodeImageBounded(png(5, 7)).has_value());
    // A whole PNG of one pixel whose header claims 60000 x 60000 pixels (14 GB decoded), with a
    // header checksum that fits, so that only the size can refuse it.
    QByteArray huge = png(1, 1);
    huge.replace(16, 8, QByteArray::fromHex("0000ea600000ea60"));
    quint32 crc = 0xFFFFFFFFu;
    for (const char ch : huge.mid(12, 17)) {
        crc ^= quint8(ch);
        for (int k = 0; k < 8; ++k)
            crc = (crc & 1) ? 0xEDB88320u ^ (crc >> 1) : crc >> 1;
    }
    crc = ~crc;
    huge.replace(29, 4, QByteArray::fromHex(QByteArray::number(crc, 16).rightJustified(8, '0')));
    QBuffer buffer(&huge);
    ASSERT_EQ(QImageReader(&buffer, "png").size(), QSize(60000, 60000)) << "the header must read";
    EXPECT_FALSE(decodeImageBounded(huge).has_value());
    EXPECT_FALSE(decodeImageBounded(QByteArray()).has_value());
    EXPECT_FALSE(decodeImageBounded("plain text").has_value());
}

TEST(MozUrl, ByteOrdersLineEndsAndBounds)
{
    const struct {
        QByteArray data;
        QList<PastedBookmark> expected;
    } rows[] = {
        {utf16le("http://a/\r\nTitle A", false), {{"http://a/", "Title A"}}},
        {QByteArray("\xFE\xFF\0h\0:\0/\0/\0b\0\n\0B", 16), {{"h://b", "B"}}},
        {"http://u8/\nÜ", {{"http://u8/", "Ü"}}},
        {"http://a/\n\n\nT2\nhttp://c/", {{"http://a/", ""}, {"http://c/", ""}}}, // an empty URL line skips its pair
        {QByteArray(), {}},
        {QByteArray(kMaxBookmarkBytes + 2, 'a'), {}},
    };
    for (const auto& r : rows)
        EXPECT_EQ(parseMozUrl(r.data), r.expected) << r.data.left(40).toHex().toStdString();
    QByteArray many;
    for (int i = 0; i < kMaxBookmarks + 50; ++i)
        many += "http://x/\nx\n";
    EXPECT_EQ(parseMozUrl(many).size(), kMaxBookmarks);
}

TEST(MailHeaders, SubjectIdAndDateFromTheHeaderOnly)
{
    const QByteArray message = "From: someone\r\n"
                               "Subject: =?UTF-8?B?w6l0w6k=?= =?ISO-8859-1?Q?_=E0_Paris?=\r\n"
                               "  and more\r\n"
                               "Message-ID: <abc/1@host.example>\r\n"
                               "Date: Tue, 1 Jul 2003 10:52:37 +0200 (CEST)\r\n"
                               "\r\n"
                               "Subject: not a header\r\n";
    const MailHeaders h = readMailHeaders(message);
    EXPECT_EQ(h.subject, QString("été à Paris and more"));
    EXPECT_EQ(h.messageId, "<abc/1@host.example>");
    ASSERT_TRUE(h.date.has_value());
    EXPECT_EQ(*h.date, dateFromUnix(double(QDateTime(QDate(2003, 7, 1), QTime(8, 52, 37), QTimeZone::utc()).toSecsSinceEpoch())));
    EXPECT_EQ(mailUid(message, h), "message:%3Cabc%2F1%40host.example%3E");

    // No Message-ID: the digest of the bytes; no Subject: none, not an empty one.
    const QByteArray bare = "X-A: b\n\nbody";
    const MailHeaders none = readMailHeaders(bare);
    EXPECT_TRUE(none.subject.isNull() && none.messageId.isEmpty() && !none.date);
    EXPECT_EQ(mailUid(bare, none), "message:" + QCryptographicHash::hash(bare, QCryptographicHash::Sha1).toHex());
    EXPECT_TRUE(readMailHeaders("Subject:   \r\n\r\n").subject.isNull());

    // A field beyond the bound of the header is never seen.
    const QByteArray late = "X-Pad: " + QByteArray(kMaxMailHeaderBytes, 'p') + "\r\nSubject: late\r\n\r\n";
    EXPECT_TRUE(readMailHeaders(late).subject.isNull());
    const struct {
        QByteArray in;
        QString out;
    } words[] = {
        {"=?utf-8?q?a_b?=", "a b"},
        {"plain =?utf-8?Q?x?=  =?utf-8?Q?y?= tail", "plain xy tail"},
        {"=?bogus-charset?Q?caf=E9?=", "caf\u00e9"},
        {"=?utf-8?B?!!!?=", "=?utf-8?B?!!!?="},
        {"=?utf-8?Q?unfinished", "=?utf-8?Q?unfinished"},
    };
    for (const auto& w : words)
        EXPECT_EQ(decodeMimeWords(w.in), w.out) << w.in.toStdString();
}

TEST(MailHeaders, FoldedFieldsWordsCutMidCharacterAndOddLineEndsReadWhole)
{
    // A long subject cut into encoded words where its bytes fell, the cut inside the é.
    EXPECT_EQ(readMailHeaders("Subject: =?UTF-8?Q?Caf=C3?=\r\n =?UTF-8?Q?=A9_au_lait?=\r\n\r\nbody").subject,
              QString("Café au lait"));
    EXPECT_EQ(readMailHeaders("Subject: =?utf-8?B?Q2Fmww==?=\r\n\t=?UTF-8?B?qSBub2ly?=\r\n\r\n").subject,
              QString("Café noir"));
    // Words of two charsets side by side are each their own.
    EXPECT_EQ(decodeMimeWords("=?ISO-8859-1?Q?=E9?= =?UTF-8?Q?=C3=A9?= x"), QString("éé x"));
    // A field folded over three lines, the first of them empty after its name.
    EXPECT_EQ(readMailHeaders("Subject:\r\n  a long\r\n\tsubject\r\n\r\n").subject, QString("a long subject"));
    // Lines ended CR CR LF, as a message saved twice through a text mode has them: the header
    // still ends at its empty line, and a field of the body is none of the header's.
    const MailHeaders twice = readMailHeaders("Message-ID: <x@y>\r\r\n\r\r\nSubject: in the body\r\r\n");
    EXPECT_EQ(twice.messageId, "<x@y>");
    EXPECT_TRUE(twice.subject.isNull()) << twice.subject.toStdString();
    // A header and nothing after it, not even a line's end.
    EXPECT_EQ(readMailHeaders("Subject: Only this").subject, QString("Only this"));
    const MailHeaderFields bare = readMailHeaderFields("Subject: Only this\r\n");
    EXPECT_EQ(bare.field("subject"), "Only this");
    EXPECT_EQ(bare.bodyStart, 20);

    // Hostile headers as large as the bound: thousands of folds, and encoded words never closed.
    // Each reads in one pass, whole.
    QByteArray folds = "Subject: a\r\n";
    while (folds.size() < kMaxMailHeaderBytes - 8)
        folds += " b\r\n \r\n";
    QByteArray open = "Subject: ";
    while (open.size() < kMaxMailHeaderBytes - 8)
        open += "=?a?Q? ";
    QElapsedTimer t;
    t.start();
    const QString folded = readMailHeaders(folds).subject;
    const QString unclosed = readMailHeaders(open + "\r\n\r\n").subject;
    EXPECT_LT(t.elapsed(), 2000);
    EXPECT_TRUE(folded.startsWith("a b b ") && folded.endsWith(" b")) << "no blank of the empty folds kept";
    EXPECT_EQ(unclosed, QString::fromLatin1(open.mid(9).trimmed()));
}

TEST(RtfReader, TextStylesAndSkippedDestinations)
{
    const struct {
        QByteArray rtf;
        QString expected; // "" with ok=false: not read at all
        bool ok = true;
    } rows[] = {
        {"{\\rtf1\\ansi{\\fonttbl{\\f0 Times;}}{\\colortbl;\\red0;}\\f0 Plain {\\b bold} {\\i\\b0 it}\\par next}",
         "Plain *bold* /it/\nnext"},
        {"{\\rtf1 caf\\'e9 \\u8364?  euro\\uc2\\u8364xx!}", "café €  euro€!"},
        {"{\\rtf1 a{\\*\\unknown hidden}b{\\pict 0123}c\\line d\\tab e}", "abc\u2028d\te"},
        {"{\\rtf1 \\{braces\\} and \\\\ back\\~slash}", "{braces} and \\ back\u00a0slash"},
        {"{\\rtf1 \\b on\\b0 off\\plain \\i x}", "*on*off/x/"},
        {"{\\rtf1 \\bin5 {}\\\\x rest}", " rest"},
        {"not rtf", "", false},
        {QByteArray(kMaxRtfBytes + 1, '{'), "", false},
    };
    for (const auto& r : rows) {
        const auto runs = readRtf(r.rtf);
        ASSERT_EQ(runs.has_value(), r.ok) << r.rtf.left(40).toStdString();
        if (runs) {
            EXPECT_EQ(styled(*runs), r.expected) << r.rtf.toStdString();
        }
    }
    // Nesting beyond the bound stops the reading and keeps what came before.
    const QByteArray deep = "{\\rtf1 kept" + QByteArray(10000, '{') + "lost" + QByteArray(10000, '}') + "}";
    EXPECT_EQ(styled(readRtf(deep).value()), "kept");
}

TEST(HtmlText, StylesBlocksAndBounds)
{
    EXPECT_EQ(styled(readHtmlText("<h1>T</h1><p><i>x</i> <b><i>y</i></b></p>").value()), "*T*\n/x/ */y/*");
    EXPECT_EQ(plainText(readHtmlText("<img src=\"http://127.0.0.1:9/never.png\">text").value()), "text");
    EXPECT_FALSE(readHtmlText("<p> </p><img src=x>").has_value()) << "no text, no rich text";
    EXPECT_FALSE(readHtmlText(QByteArray(kMaxHtmlBytes + 1, 'a')).has_value());
    QByteArray deep;
    for (int i = 0; i <= kMaxHtmlDepth; ++i)
        deep += "<div>";
    EXPECT_FALSE(readHtmlText(deep + "x").has_value());
    QByteArray flat;
    for (int i = 0; i < 3 * kMaxHtmlDepth; ++i)
        flat += "<p>x</p><br>";
    EXPECT_TRUE(readHtmlText(flat).has_value()) << "long ordinary pages pass";
}

// Addresses and cards past what one read takes are counted, not silently dropped.
TEST(PasteboardRead, WhatThePerReadBoundsLeaveOutIsCounted)
{
    QByteArray uris = "# a comment is no address\r\n";
    for (qsizetype i = 0; i < kMaxUris + 7; ++i)
        uris += "file:///tmp/f" + QByteArray::number(i) + "\r\n";
    uris += "\r\n# nor is a blank line\r\n";
    QByteArray cards;
    for (qsizetype i = 0; i < kMaxVCards + 3; ++i)
        cards += "BEGIN:VCARD\r\nUID:" + QByteArray::number(i) + "\r\nEND:VCARD\r\n";
    QMimeData data;
    data.setData("text/uri-list", uris);
    data.setData("text/vcard", cards);
    const PasteboardContents read = readPasteboard(&data);
    EXPECT_EQ(read.urls.size(), kMaxUris);
    EXPECT_EQ(read.urlsLeftOut, 7);
    EXPECT_EQ(read.vcards.size(), kMaxVCards);
    EXPECT_EQ(read.vcardsLeftOut, 3);

    QMimeData few;
    few.setData("text/uri-list", "file:///tmp/a\r\n");
    EXPECT_EQ(readPasteboard(&few).urlsLeftOut, 0);

    // Bookmarks: only whole pairs past the bound count, not the empty ones a writer pads with.
    QString links;
    for (qsizetype i = 0; i < kMaxBookmarks + 4; ++i)
        links += QStringLiteral("http://x/%1\ntitle\n").arg(i);
    links += QStringLiteral("\n\n\n\n");
    QMimeData bookmarks;
    bookmarks.setData("text/x-moz-url", QByteArray(reinterpret_cast<const char*>(links.utf16()), links.size() * 2));
    const PasteboardContents marked = readPasteboard(&bookmarks);
    EXPECT_EQ(marked.bookmarks.size(), kMaxBookmarks);
    EXPECT_EQ(marked.bookmarksLeftOut, 4);
    qsizetype none = -1;
    EXPECT_EQ(parseMozUrl("http://a/\nA\n", &none).size(), 1);
    EXPECT_EQ(none, 0);
}
